// Directory listing of kernel32: FindFirstFileA / FindNextFileA / FindClose over a Linux
// directory.
//
// What the listing promises, beyond the Windows contract:
// - names come in one stable order: "." and ".." first, then case-insensitive (ASCII) order,
//   ties broken byte by byte, so "first listed wins" rules give the same result on every run;
// - a name starting with '.' carries FILE_ATTRIBUTE_HIDDEN;
// - every regular file carries FILE_ATTRIBUTE_ARCHIVE whatever its permission bits (plus
//   FILE_ATTRIBUTE_READONLY when the owner cannot write it); a directory carries
//   FILE_ATTRIBUTE_DIRECTORY; anything else (fifo, socket, device) only FILE_ATTRIBUTE_DEVICE;
// - symbolic links are followed; a dangling link is not listed, nor is a link to a directory
//   that is the listed directory itself or one of its ancestors (descending into it would
//   never end);
// - the pattern's last component may hold '*' and '?'; names are matched as written
//   (case-sensitive).
#pragma once

#include "Platform/Win32/FileSystem.h"
#include "Platform/Win32/WinTypes.h"

#define FILE_ATTRIBUTE_HIDDEN 0x00000002
#define FILE_ATTRIBUTE_SYSTEM 0x00000004
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020
#define FILE_ATTRIBUTE_DEVICE 0x00000040

typedef struct _WIN32_FIND_DATAA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    CHAR cFileName[MAX_PATH];
    CHAR cAlternateFileName[14];
} WIN32_FIND_DATAA, *LPWIN32_FIND_DATAA;

// INVALID_HANDLE_VALUE when the directory cannot be listed or nothing matches.
HANDLE FindFirstFileA(LPCSTR fileName, LPWIN32_FIND_DATAA findData);
// FALSE when no name is left.
BOOL FindNextFileA(HANDLE findFile, LPWIN32_FIND_DATAA findData);
BOOL FindClose(HANDLE findFile);
