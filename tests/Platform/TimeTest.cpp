#include "Platform/Win32/Windows.h"

#include <chrono>
#include <gtest/gtest.h>

TEST(Time, ClocksAgree)
{
    LARGE_INTEGER frequency, counter;
    ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
    EXPECT_EQ(frequency.QuadPart, 1000000000);
    DWORD before = timeGetTime();
    ASSERT_TRUE(QueryPerformanceCounter(&counter));
    DWORD after = timeGetTime();
    // The millisecond clock is the performance counter in milliseconds, cut to 32 bits.
    DWORD fromCounter = static_cast<DWORD>(static_cast<uint64_t>(counter.QuadPart) / 1000000u);
    EXPECT_LE(static_cast<DWORD>(fromCounter - before), static_cast<DWORD>(after - before));
}

TEST(Time, SleepLastsAtLeastItsTime)
{
    for (DWORD ms : {1u, 5u, 17u}) {
        auto start = std::chrono::steady_clock::now();
        DWORD t0 = timeGetTime();
        Sleep(ms);
        double took = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        EXPECT_GE(took, static_cast<double>(ms));
        EXPECT_GE(timeGetTime() - t0, ms);
    }
}

TEST(Time, TimerPeriods)
{
    struct {
        UINT period;
        MMRESULT result;
    } cases[] = {{1, TIMERR_NOERROR}, {16, TIMERR_NOERROR}, {0, TIMERR_NOCANDO}, {1001, TIMERR_NOCANDO}};
    for (auto& c : cases) {
        EXPECT_EQ(timeBeginPeriod(c.period), c.result) << c.period;
        EXPECT_EQ(timeEndPeriod(c.period), c.result) << c.period;
    }
}

TEST(Time, SleepUntilTimeWakesOnTheMillisecond)
{
    // Offsets of the target from the current reading. A target already reached, however far
    // back (the clock wraps), must not be taken for one nearly 2^32 ms ahead.
    struct {
        int32_t offset;
        bool sleeps;
    } cases[] = {{5, true}, {17, true}, {0, false}, {-3, false}, {-0x7FFFFFFF, false}};
    for (const auto& c : cases) {
        const DWORD start = timeGetTime();
        const DWORD target = start + static_cast<DWORD>(c.offset);
        SleepUntilTime(target);
        const DWORD after = timeGetTime();
        if (c.sleeps)
            EXPECT_GE(static_cast<int32_t>(after - target), 0) << c.offset;
        else
            EXPECT_LT(after - start, 100u) << c.offset;
    }
}
