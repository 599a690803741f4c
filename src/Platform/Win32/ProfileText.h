// The text rules under the private-profile functions, on a file's contents in memory.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The value of key in the first section named section (names compared without case), trimmed
// of blanks and of one pair of matching quotes; nothing when the section or key is missing.
std::optional<std::string> ProfileFindValue(std::string_view text, std::string_view section, std::string_view key);

// The integer reading of a value (see GetPrivateProfileIntA).
uint32_t ProfileParseInt(std::string_view value);

// The text after setting (value non-null), removing (value null) a key or removing a whole
// section (key null). Lines end as the text's first line does ("\r\n" or "\n"); "\n" when
// the text has none.
std::string ProfileSetValue(std::string_view text, std::string_view section, const char* key, const char* value);
