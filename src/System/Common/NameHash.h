// Name ids: the 32-bit hash by which nearly everything in the game is found.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

typedef uint32_t NameId;

// FNV-1 over the name's bytes, each byte sign-extended before it is mixed in (so names in
// Shift-JIS hash as the data expects); the empty name is 0.
NameId HashName(std::string_view name);

// For log lines about something that is missing, where an id alone tells whoever wrote the data
// nothing: "\"name\" (id 0x...)" when a name with this id was hashed before in this process,
// else "id 0x...". Only names with a '/' (asset paths) are remembered, up to a bound.
std::string DescribeNameId(NameId id);
