#include "System/Common/NameHash.h"

#include <cstdio>
#include <mutex>
#include <unordered_map>

namespace {

constexpr size_t kMaxRememberedNames = 1 << 16;

struct NameRegistry {
    std::mutex mutex;
    std::unordered_map<NameId, std::string> names;
};

// Never destroyed: names are hashed during static construction and destruction too.
NameRegistry& Registry()
{
    static NameRegistry* registry = new NameRegistry;
    return *registry;
}

void Remember(NameId id, std::string_view name)
{
    NameRegistry& registry = Registry();
    // A busy registry is passed by: hashing must never wait for a log's convenience.
    std::unique_lock<std::mutex> lock(registry.mutex, std::try_to_lock);
    if (!lock.owns_lock() || registry.names.size() >= kMaxRememberedNames)
        return;
    registry.names.try_emplace(id, name);
}

} // namespace

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
    if (name.find('/') != std::string_view::npos)
        Remember(h, name);
    return h;
}

std::string DescribeNameId(NameId id)
{
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08x", id);
    NameRegistry& registry = Registry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    auto it = registry.names.find(id);
    if (it == registry.names.end())
        return std::string("id ") + hex;
    return "\"" + it->second + "\" (id " + hex + ")";
}
