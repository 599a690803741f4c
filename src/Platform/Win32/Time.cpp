#include "Platform/Win32/Time.h"

#include <cerrno>
#include <cstdint>
#include <sched.h>

__time64_t _time64(__time64_t* out)
{
    __time64_t now = static_cast<__time64_t>(std::time(nullptr));
    if (out)
        *out = now;
    return now;
}

errno_t _localtime64_s(struct tm* out, const __time64_t* time)
{
    if (!out || !time)
        return EINVAL;
    time_t t = static_cast<time_t>(*time);
    if (!localtime_r(&t, out))
        return EINVAL;
    return 0;
}

namespace {

struct timespec MonotonicNow()
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now;
}

} // namespace

MMRESULT timeBeginPeriod(UINT period)
{
    return (period >= 1 && period <= 1000) ? TIMERR_NOERROR : TIMERR_NOCANDO;
}

MMRESULT timeEndPeriod(UINT period)
{
    return timeBeginPeriod(period);
}

DWORD timeGetTime()
{
    struct timespec now = MonotonicNow();
    uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<DWORD>(ms);
}

void Sleep(DWORD milliseconds)
{
    if (milliseconds == 0) {
        sched_yield();
        return;
    }
    // An absolute deadline, so a signal that interrupts the sleep does not shorten it.
    struct timespec deadline = MonotonicNow();
    deadline.tv_sec += static_cast<time_t>(milliseconds / 1000u);
    deadline.tv_nsec += static_cast<long>(milliseconds % 1000u) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_nsec -= 1000000000L;
        deadline.tv_sec += 1;
    }
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
    }
}

void SleepUntilTime(DWORD time)
{
    struct timespec now = MonotonicNow();
    const uint64_t nowMs = static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    const int32_t ahead = static_cast<int32_t>(time - static_cast<DWORD>(nowMs));
    if (ahead <= 0)
        return;
    const uint64_t targetMs = nowMs + static_cast<uint64_t>(ahead);
    struct timespec deadline;
    deadline.tv_sec = static_cast<time_t>(targetMs / 1000u);
    deadline.tv_nsec = static_cast<long>(targetMs % 1000u) * 1000000L;
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
    }
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* count)
{
    if (!count)
        return FALSE;
    struct timespec now = MonotonicNow();
    count->QuadPart = static_cast<LONGLONG>(now.tv_sec) * 1000000000LL + now.tv_nsec;
    return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency)
{
    if (!frequency)
        return FALSE;
    frequency->QuadPart = 1000000000LL;
    return TRUE;
}
