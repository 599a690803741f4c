// The calling thread's last-error code and the error values the stand-in sets.
#pragma once

#include "Platform/Win32/WinTypes.h"

#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_PATH_NOT_FOUND 3L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_WRITE_FAULT 29L
#define ERROR_READ_FAULT 30L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_ALREADY_EXISTS 183L
#define ERROR_NOT_SUPPORTED 50L
#define ERROR_INVALID_WINDOW_HANDLE 1400L
#define ERROR_CANNOT_FIND_WND_CLASS 1407L
#define ERROR_CLASS_ALREADY_EXISTS 1410L
#define ERROR_RESOURCE_NAME_NOT_FOUND 1814L
#define ERROR_DEVICE_NOT_AVAILABLE 4319L

DWORD GetLastError();
void SetLastError(DWORD error);

// Maps a C library errno value to the nearest error code above.
DWORD ErrorFromErrno(int error);
