// The text rules under the private-profile functions, on a file's contents in memory.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

// The value of key in the first section named section (names compared without case), trimmed
// of blanks and of one pair of matching quotes; nothing when the section or key is missing.
std::optional<std::string> ProfileFindValue(std::string_view text, std::string_view section, std::string_view key);

// The integer reading of a value (see GetPrivateProfileIntA).
uint32_t ProfileParseInt(std::string_view value);

// The text after setting (value non-null), removing (value null) a key or removing a whole
// section (key null). Lines end as the text's first line does ("\r\n" or "\n"); "\n" when
// the text has none.
std::string ProfileSetValue(std::string_view text, std::string_view section, const char* key, const char* value);

// Every value ProfileFindValue would give for the text, gathered in one pass: for files read
// many times over without a change.
class ProfileIndex {
public:
    explicit ProfileIndex(std::string_view text);
    std::optional<std::string> Find(std::string_view section, std::string_view key) const;

private:
    std::unordered_map<std::string, std::string> m_Values; // "section\nkey", lower case
};

// How a file's bytes carry its text. The rules above work on one-byte text; a file saved with a
// byte order mark is read through it and written back the same way.
enum class ProfileEncoding { Bytes, Utf8Bom, Utf16Le, Utf16Be };

// Whether the bytes start with a UTF-8 or UTF-16 byte order mark.
bool ProfileHasByteOrderMark(std::string_view bytes);
// The text of a file's bytes (UTF-16 becomes UTF-8). False when a file marked as UTF-16 is
// not valid UTF-16 (an odd byte count, a lone surrogate).
bool ProfileDecode(std::string_view bytes, std::string& text, ProfileEncoding& encoding);
// The bytes of a text in the given encoding.
std::string ProfileEncode(std::string_view text, ProfileEncoding encoding);
