// The calling thread's last-error code, and the codes our layer sets.
#pragma once

#include "Platform/Win32/WinTypes.h"

#define ERROR_SUCCESS 0L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_INVALID_WINDOW_HANDLE 1400L
#define ERROR_CANNOT_FIND_WND_CLASS 1407L
#define ERROR_CLASS_ALREADY_EXISTS 1410L
#define ERROR_RESOURCE_NAME_NOT_FOUND 1814L
#define ERROR_DEVICE_NOT_AVAILABLE 4319L

DWORD GetLastError();
void SetLastError(DWORD error);
