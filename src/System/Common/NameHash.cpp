#include "System/Common/NameHash.h"

NameId HashName(std::string_view name)
{
    if (name.empty())
        return 0;
    uint32_t h = 2166136261u;
    for (char c : name) {
        h *= 16777619u;
        // Through a signed byte explicitly: plain char is unsigned on some targets.
        h ^= static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(c)));
    }
    return h;
}
