#include "System/Application/FramePacer.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

// A millisecond clock that moves only when the test or a sleep moves it.
class FakeClock : public IFrameClock {
  public:
    explicit FakeClock(uint32_t start) : m_nNow(start) {}
    uint32_t Now() override { return m_nNow; }
    void Sleep(uint32_t milliseconds) override
    {
        m_Sleeps.push_back(milliseconds);
        m_nNow += milliseconds;
    }
    void Work(uint32_t milliseconds) { m_nNow += milliseconds; }

    uint32_t m_nNow;
    std::vector<uint32_t> m_Sleeps;
};

} // namespace

TEST(FramePacer, SixtyFramesPerSecond)
{
    FakeClock clock(1000);
    FramePacer pacer(60, &clock);
    EXPECT_EQ(pacer.GetPeriod(), 1092266u);
    for (int i = 0; i < 60; ++i)
        pacer.Wait();
    // The frame targets run 16, 17, 16, 17, 17 and add up to a second within a millisecond.
    std::vector<uint32_t> first(clock.m_Sleeps.begin(), clock.m_Sleeps.begin() + 5);
    EXPECT_EQ(first, (std::vector<uint32_t>{16, 17, 16, 17, 17}));
    EXPECT_EQ(clock.m_nNow - 1000, 999u);
    EXPECT_FALSE(pacer.IsBehind());
}

TEST(FramePacer, WorkShortensTheSleep)
{
    // Frames of 5 ms work: the sleep makes up the rest and the frame measures its target.
    FakeClock clock(0xFFFFFFF0u); // the clock wraps during the run
    FramePacer pacer(60, &clock);
    const uint32_t targets[] = {16, 17, 16, 17, 17, 16};
    for (uint32_t target : targets) {
        clock.Work(5);
        pacer.Wait();
        EXPECT_EQ(clock.m_Sleeps.back(), target - 5);
        EXPECT_EQ(pacer.GetElapsed(), target);
        EXPECT_FALSE(pacer.IsBehind());
    }
}

TEST(FramePacer, RunningBehindAndTheLimit)
{
    struct Step {
        uint32_t work; // milliseconds of work before Wait
        bool behind;   // the flag after Wait
        bool slept;
        uint32_t elapsed;
    } steps[] = {
        {40, true, false, 40},                             // more than two targets: behind from here
        {40, true, false, 40},                             // still long: stays behind
        {20, false, false, 20},                            // between one and two targets: cleared, no sleep
        {5, false, true, 0},                               // a short frame sleeps
        {100, true, false, 100},                           // behind since this Wait
        {100, true, false, 100},                           // 100 ms since
        {150, false, false, 150},                          // 250 ms since: cleared so that one frame is drawn
        {40, true, false, 40},                             // and behind again at once
        {100, true, false, 100},  {149, true, false, 149}, // 249 ms since: still behind
        {40, false, false, 40},                            // 289 ms since: cleared
    };
    FakeClock clock(5000);
    FramePacer pacer(60, &clock);
    int i = 0;
    for (const Step& s : steps) {
        size_t sleeps = clock.m_Sleeps.size();
        clock.Work(s.work);
        pacer.Wait();
        EXPECT_EQ(pacer.IsBehind(), s.behind) << "step " << i;
        EXPECT_EQ(clock.m_Sleeps.size() > sleeps, s.slept) << "step " << i;
        if (s.elapsed) {
            EXPECT_EQ(pacer.GetElapsed(), s.elapsed) << "step " << i;
        }
        ++i;
    }
}

TEST(FramePacer, ElapsedCountsFromTheReset)
{
    FakeClock clock(0);
    FramePacer pacer(60, &clock);
    clock.Work(500); // a pause (window move, screenshot...)
    pacer.Reset();
    clock.Work(30);
    pacer.Wait();
    EXPECT_EQ(pacer.GetElapsed(), 30u);
    EXPECT_FALSE(pacer.IsBehind());
    // The reset also restarts the fraction: the next target is 16 again.
    pacer.Reset();
    pacer.Wait();
    EXPECT_EQ(clock.m_Sleeps.back(), 16u);
}

TEST(FramePacer, LateFrameMeasuresFromItsStart)
{
    // A late frame's elapsed time runs to a new clock reading, and the next frame is
    // measured from the moment Wait began.
    class SlowReadClock : public FakeClock {
      public:
        using FakeClock::FakeClock;
        uint32_t Now() override { return m_nNow++; }
    };
    SlowReadClock clock(0);
    FramePacer pacer(60, &clock); // Reset reads 0
    clock.Work(20);               // Wait's first reading: 21
    pacer.Wait();
    EXPECT_EQ(pacer.GetElapsed(), 22u); // second reading 22, minus the start 0
    clock.m_nNow = 21 + 10;             // 10 ms after the first reading of the last Wait
    pacer.Wait();                       // target 17: sleeps 7
    EXPECT_EQ(clock.m_Sleeps.back(), 7u);
}

TEST(FramePacer, NoFrameRateOnlyMeasures)
{
    FakeClock clock(0);
    FramePacer pacer(0, &clock);
    clock.Work(3);
    pacer.Wait();
    EXPECT_TRUE(clock.m_Sleeps.empty());
    EXPECT_EQ(pacer.GetElapsed(), 3u);
}
