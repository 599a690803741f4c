#include "System/Common/KernelObject.h"

#include <atomic>
#include <gtest/gtest.h>
#include <memory>

namespace {

struct Work {
    std::atomic<int> runs{0};
    std::atomic<bool> done{false};
    HANDLE go = nullptr; // the function waits for this before it ends (when set)
};

unsigned CountRun(void* raw)
{
    auto* work = static_cast<Work*>(raw);
    ++work->runs;
    if (work->go)
        WaitForSingleObject(work->go, INFINITE);
    Sleep(20);
    work->done = true;
    return 0;
}

unsigned Other(void*)
{
    return 0;
}

} // namespace

TEST(Thread, DestroyingJoins)
{
    Work work;
    {
        Thread thread;
        ASSERT_TRUE(thread.Start(CountRun, &work));
        EXPECT_NE(thread.m_hHandle, nullptr);
        EXPECT_NE(thread.m_nThreadId, 0u);
    }
    EXPECT_TRUE(work.done);
    EXPECT_EQ(work.runs, 1);
}

TEST(Thread, StartingTwiceMakesOneThread)
{
    Work work;
    Event go;
    go.m_hHandle = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    work.go = go.m_hHandle;
    {
        Thread thread;
        ASSERT_TRUE(thread.Start(CountRun, &work));
        HANDLE first = thread.m_hHandle;
        EXPECT_TRUE(thread.Start(Other, nullptr));
        EXPECT_EQ(thread.m_hHandle, first);
        EXPECT_EQ(thread.m_pfnFunction, &CountRun);
        SetEvent(go.m_hHandle);
    }
    EXPECT_EQ(work.runs, 1);
}

TEST(Thread, DestroyingUnstartedOrFinished)
{
    {
        Thread never;
        EXPECT_EQ(never.m_hHandle, nullptr);
    }
    HANDLE closed;
    {
        Work work;
        Thread thread;
        thread.Start(CountRun, &work);
        closed = thread.m_hHandle;
        EXPECT_EQ(WaitForSingleObject(closed, 5000), WAIT_OBJECT_0);
    }
    // The handle was closed with the object.
    EXPECT_FALSE(CloseHandle(closed));
}

TEST(Thread, RunIsVirtual)
{
    struct Custom : Thread {
        std::atomic<int> calls{0};
        void Run() override { ++calls; }
    };
    auto custom = std::make_unique<Custom>();
    custom->Start(nullptr, nullptr);
    WaitForSingleObject(custom->m_hHandle, INFINITE);
    EXPECT_EQ(custom->calls, 1);
}

TEST(Event, ClosesItsHandle)
{
    HANDLE handle;
    {
        Event event;
        event.m_hHandle = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        handle = event.m_hHandle;
        EXPECT_TRUE(SetEvent(handle));
    }
    EXPECT_FALSE(SetEvent(handle));
}
