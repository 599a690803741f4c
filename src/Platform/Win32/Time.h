// C run-time time functions of the Windows library.
#pragma once

#include <ctime>

#include "Platform/Win32/WinTypes.h"

typedef int64_t __time64_t;

__time64_t _time64(__time64_t* out);
errno_t _localtime64_s(struct tm* out, const __time64_t* time);
