// Path and string helpers on arbitrary bytes: the archive system feeds them names from
// pak indexes and data files.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "System/Common/NameHash.h"
#include "System/Common/StringUtil.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    size_t cut = text.find('\n');
    std::string pattern = cut == std::string::npos ? text : text.substr(0, cut);
    std::string name = cut == std::string::npos ? std::string() : text.substr(cut + 1);

    WildcardMatch(pattern, name);
    std::string dir, file, ext, base;
    SplitPath(name, dir, file);
    SplitExtension(file, ext, base);
    NormalizePath(name, true);
    std::vector<std::string> parts;
    SplitString(name, pattern.substr(0, 4), parts);
    HashName(name);
    return 0;
}
