// Debugger output: a line goes to an attached debugger and nowhere else.
#pragma once

#include "Platform/Win32/WinTypes.h"

BOOL IsDebuggerPresent();
void OutputDebugStringA(LPCSTR text);
