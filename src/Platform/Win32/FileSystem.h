// Directory and path functions of kernel32.
#pragma once

#include "Platform/Win32/WinTypes.h"

#include <string>

// Current directory with '/' separators; returns the length, or the size needed (with the
// terminator) when the buffer is too small, or 0 on failure.
DWORD GetCurrentDirectoryA(DWORD bufferLength, LPSTR buffer);

// Lexical full path: a relative path is taken from the current directory, "." and ".."
// components are resolved without touching the file system, '\' and '/' both separate.
// filePart (when given) points at the last component inside buffer, or is null when the
// path ends with a separator. Returns as GetCurrentDirectoryA does.
DWORD GetFullPathNameA(LPCSTR fileName, DWORD bufferLength, LPSTR buffer, LPSTR* filePart);

#define INVALID_FILE_ATTRIBUTES 0xFFFFFFFFu
#define FILE_ATTRIBUTE_READONLY 0x00000001u
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010u
#define FILE_ATTRIBUTE_NORMAL 0x00000080u

// Creates one directory ('\' and '/' both separate); FALSE when it exists already
// (ERROR_ALREADY_EXISTS) or its parent does not (ERROR_PATH_NOT_FOUND). security is ignored.
BOOL CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES security);

// The attributes of a file or directory, or INVALID_FILE_ATTRIBUTES when it does not exist.
DWORD GetFileAttributesA(LPCSTR path);

// A Windows path as the C library takes it: '\\' becomes '/'.
std::string ToNativePath(LPCSTR path);
