// The ini reader and writer on arbitrary file contents: the settings file is user-editable.
// After setting a key, reading it back must give the value set; the one-pass index agrees with
// the reader; a file marked as UTF-16 that decodes is written back to the same bytes.
#include "Platform/Win32/ProfileText.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);

    // Names taken from the input's first line, so that they can match its sections and keys.
    size_t cut = text.find('\n');
    std::string_view names = cut == std::string_view::npos ? std::string_view() : text.substr(0, cut);
    size_t space = names.find(' ');
    std::string_view section = space == std::string_view::npos ? names : names.substr(0, space);
    std::string_view key = space == std::string_view::npos ? std::string_view("k") : names.substr(space + 1);

    if (std::optional<std::string> value = ProfileFindValue(text, section, key))
        ProfileParseInt(*value);
    ProfileParseInt(text);
    if (ProfileIndex(text).Find(section, key) != ProfileFindValue(text, section, key))
        std::abort();

    std::string decoded;
    ProfileEncoding encoding;
    if (ProfileDecode(text, decoded, encoding) && encoding != ProfileEncoding::Bytes &&
        ProfileEncode(decoded, encoding) != text)
        std::abort();

    // The round trip holds for names and values that the format can carry.
    const std::string_view unsafe("[]=\r\n \t\"'", 10);
    bool plain = !section.empty() && !key.empty() && section.find_first_of(unsafe) == std::string_view::npos &&
                 key.find_first_of(unsafe) == std::string_view::npos;
    std::string keyText(key);
    std::string updated = ProfileSetValue(text, section, keyText.c_str(), "1234");
    if (plain) {
        std::optional<std::string> back = ProfileFindValue(updated, section, key);
        if (!back || *back != "1234" || ProfileParseInt(*back) != 1234u)
            std::abort();
        // Removing the key and then its section leaves text the reader still takes.
        std::string removed = ProfileSetValue(updated, section, keyText.c_str(), nullptr);
        ProfileFindValue(ProfileSetValue(removed, section, nullptr, nullptr), section, key);
    }
    return 0;
}
