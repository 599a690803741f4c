// C run-time time functions of the Windows library.
#pragma once

#include "Platform/Win32/WinTypes.h"

#include <ctime>

typedef int64_t __time64_t;

__time64_t _time64(__time64_t* out);
errno_t _localtime64_s(struct tm* out, const __time64_t* time);

// WinMM timer resolution. Linux sleeps and clocks are already fine-grained, so the period is
// only checked: 1 to 1000 ms gives TIMERR_NOERROR, anything else TIMERR_NOCANDO.
#define TIMERR_NOERROR 0u
#define TIMERR_NOCANDO 97u
typedef UINT MMRESULT;
MMRESULT timeBeginPeriod(UINT period);
MMRESULT timeEndPeriod(UINT period);

// Milliseconds of a monotonic clock, truncated to 32 bits (wraps after 49.7 days).
DWORD timeGetTime();

// Suspends the calling thread for at least the milliseconds given; 0 yields the processor.
void Sleep(DWORD milliseconds);

// Suspends the calling thread until timeGetTime() reaches the given value, waking just after
// that millisecond begins, as a sleep on a 1 ms timer tick does. A value already reached (the
// wrapped difference is zero or negative) returns at once.
void SleepUntilTime(DWORD time);

// A monotonic counter in ticks of QueryPerformanceFrequency (nanoseconds here).
BOOL QueryPerformanceCounter(LARGE_INTEGER* count);
BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);
