// The basic Windows types and constants that the game code uses, with the widths and values
// of the real API. Only what the game needs is declared here.
#pragma once

#include <cstddef>
#include <cstdint>

#define WINAPI
#define CALLBACK

typedef int BOOL;
typedef unsigned char BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef unsigned int UINT;
typedef int INT;
typedef char CHAR;
typedef wchar_t WCHAR;
typedef CHAR* LPSTR;
typedef const CHAR* LPCSTR;
typedef WCHAR* LPWSTR;
typedef const WCHAR* LPCWSTR;
typedef BOOL* LPBOOL;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef void* HANDLE;
typedef int64_t LONGLONG;
typedef int HRESULT;
typedef int errno_t;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#define MAX_PATH 260

// Code pages: the ANSI code page of this system is Shift-JIS.
#define CP_ACP 0
#define CP_UTF8 65001
#define CP_SHIFT_JIS 932

#define INVALID_HANDLE_VALUE ((HANDLE)(intptr_t)-1)

typedef struct _FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
} FILETIME;
