// Private-profile (ini) files: "[section]" lines and "key=value" lines. Section and key names
// are matched without regard to case; every other line of a file is kept as it is. A file that
// starts with a UTF-8 or UTF-16 byte order mark is read through it and written back in it; one
// marked as UTF-16 that is not valid UTF-16 reads as no file and is never written. The values
// of the file read last are kept while it stays the same file with the same size and time.
#pragma once

#include "Platform/Win32/WinTypes.h"

// The integer after the key: optional blanks and sign, then decimal digits or "0x" and hex
// digits, read up to the first other character ("12ab" reads 12, "abc" reads 0). A missing
// file, section or key, or an empty value ("Key="), gives defaultValue.
UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue, LPCSTR fileName);

// Sets key=value in the section: an existing key keeps its place, a new key goes after the
// last entry of its section, a new section goes at the end of the file. A null value removes
// the key, a null key removes the whole section. The edits of a file are kept in memory (and
// read back from there) until the flush request, the call with a null section, key and value
// for that file, writes them out in one replacement through a temporary file and a rename, so
// the file on disk is always either the old or the new whole. A write to another file, and
// the end of the process, flush what is pending too.
// FALSE when the file cannot be read, when its folder does not exist, or (for the flush
// request) when it cannot be written; the file on disk is then unchanged.
BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName);
