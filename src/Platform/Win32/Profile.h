// Private-profile (ini) files: "[section]" lines and "key=value" lines. Section and key names
// are matched without regard to case; every other line of a file is kept as it is.
#pragma once

#include "Platform/Win32/WinTypes.h"

// The integer after the key: optional blanks and sign, then decimal digits or "0x" and hex
// digits, read up to the first other character ("12ab" reads 12, "abc" reads 0). A missing
// file, section or key, or an empty value ("Key="), gives defaultValue.
UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue, LPCSTR fileName);

// Sets key=value in the section: an existing key keeps its place, a new key goes after the
// last entry of its section, a new section goes at the end of the file. A null value removes
// the key, a null key removes the whole section. Every call rewrites the file through a
// temporary file and a rename, so no call leaves a truncated file; the call with a null
// section, key and value (the flush request) therefore has nothing left to do.
// FALSE when the file cannot be read or written (for example its folder does not exist).
BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName);
