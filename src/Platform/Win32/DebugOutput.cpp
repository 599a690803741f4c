#include "Platform/Win32/DebugOutput.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

BOOL IsDebuggerPresent()
{
    // A tracer (gdb, strace) shows as a non-zero TracerPid; checked every time so a
    // debugger attached later is seen.
    FILE* f = std::fopen("/proc/self/status", "r");
    if (!f)
        return FALSE;
    char line[256];
    BOOL traced = FALSE;
    while (std::fgets(line, sizeof line, f)) {
        if (std::strncmp(line, "TracerPid:", 10) == 0) {
            long pid = std::strtol(line + 10, nullptr, 10);
            traced = pid != 0;
            break;
        }
    }
    std::fclose(f);
    return traced;
}

void OutputDebugStringA(LPCSTR text)
{
    // Without a debugger there is no reader; the console already has the line on stdout.
    if (!text || !IsDebuggerPresent())
        return;
    std::fputs(text, stderr);
    std::fflush(stderr);
}
