// Path and string helpers on arbitrary bytes: the archive system feeds them names from
// pak indexes and data files, and wide text reaches the code-page conversion.
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
    std::string filePart;
    GetFullPath(name, filePart);

    // The same bytes as wide characters, converted to the ANSI code page.
    std::wstring wide;
    for (size_t i = 0; i + 4 <= size; i += 4) {
        uint32_t c = uint32_t(data[i]) | uint32_t(data[i + 1]) << 8 | uint32_t(data[i + 2]) << 16 |
                     uint32_t(data[i + 3] & 0x7F) << 24;
        if (c != 0)
            wide.push_back(static_cast<wchar_t>(c));
    }
    std::string narrow;
    WideToNarrow(wide, narrow);
    return 0;
}
