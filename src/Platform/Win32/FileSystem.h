// Directory and path functions of kernel32.
#pragma once

#include "Platform/Win32/WinTypes.h"

// Current directory with '/' separators; returns the length, or the size needed (with the
// terminator) when the buffer is too small, or 0 on failure.
DWORD GetCurrentDirectoryA(DWORD bufferLength, LPSTR buffer);

// Lexical full path: a relative path is taken from the current directory, "." and ".."
// components are resolved without touching the file system, '\' and '/' both separate.
// filePart (when given) points at the last component inside buffer, or is null when the
// path ends with a separator. Returns as GetCurrentDirectoryA does.
DWORD GetFullPathNameA(LPCSTR fileName, DWORD bufferLength, LPSTR buffer, LPSTR* filePart);
