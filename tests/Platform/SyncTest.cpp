#include "Platform/Win32/Windows.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <pthread.h>
#include <set>
#include <vector>

namespace {

struct Handles {
    std::vector<HANDLE> list;
    ~Handles()
    {
        for (HANDLE h : list)
            CloseHandle(h);
    }
    HANDLE Event(BOOL manual, BOOL initial)
    {
        list.push_back(CreateEventA(nullptr, manual, initial, nullptr));
        return list.back();
    }
    HANDLE Thread(_beginthreadex_proc_type f, void* arg, unsigned stack = 65536)
    {
        list.push_back(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, stack, f, arg, 0, nullptr)));
        return list.back();
    }
};

// Sleeps the given milliseconds, then signals the event.
struct DelayedSet {
    DWORD delay;
    HANDLE event;
};

unsigned WINAPI SetLater(void* raw)
{
    auto* job = static_cast<DelayedSet*>(raw);
    Sleep(job->delay);
    SetEvent(job->event);
    return 0;
}

unsigned WINAPI SleepFor(void* raw)
{
    Sleep(static_cast<DWORD>(reinterpret_cast<uintptr_t>(raw)));
    return 0;
}

double MillisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

TEST(Event, ResetModes)
{
    // Each step: 's' SetEvent, 'r' ResetEvent, 'w' a zero-time wait that must succeed,
    // 't' one that must time out.
    struct Case {
        const char* what;
        BOOL manual;
        BOOL initial;
        const char* steps;
    } cases[] = {
        {"auto-reset lets one wait through", FALSE, FALSE, "tswt"},
        {"auto-reset created signalled", FALSE, TRUE, "wt"},
        {"setting twice is one signal", FALSE, FALSE, "sswt"},
        {"manual-reset stays until reset", TRUE, FALSE, "tswwrt"},
        {"manual-reset created signalled", TRUE, TRUE, "wwrtswrt"},
    };
    for (const Case& c : cases) {
        Handles h;
        HANDLE e = h.Event(c.manual, c.initial);
        ASSERT_NE(e, nullptr);
        for (const char* p = c.steps; *p; ++p) {
            switch (*p) {
            case 's': EXPECT_TRUE(SetEvent(e)) << c.what; break;
            case 'r': EXPECT_TRUE(ResetEvent(e)) << c.what; break;
            case 'w': EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_OBJECT_0) << c.what << " step " << (p - c.steps); break;
            case 't': EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_TIMEOUT) << c.what << " step " << (p - c.steps); break;
            }
        }
    }
}

TEST(Event, WaitTimesOutAfterItsTime)
{
    Handles h;
    HANDLE e = h.Event(FALSE, FALSE);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(WaitForSingleObject(e, 30), WAIT_TIMEOUT);
    EXPECT_GE(MillisecondsSince(start), 30.0);
}

TEST(Event, WakesAWaiterOnAnotherThread)
{
    Handles h;
    HANDLE e = h.Event(FALSE, FALSE);
    DelayedSet job{20, e};
    h.Thread(SetLater, &job);
    EXPECT_EQ(WaitForSingleObject(e, 5000), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_TIMEOUT);
}

TEST(Event, BadHandles)
{
    HANDLE e = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    EXPECT_TRUE(CloseHandle(e));
    EXPECT_FALSE(CloseHandle(e));
    EXPECT_FALSE(SetEvent(e));
    EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_FAILED);
    EXPECT_EQ(WaitForSingleObject(nullptr, 0), WAIT_FAILED);
    EXPECT_EQ(CreateEventA(nullptr, FALSE, FALSE, "named"), nullptr);
}

TEST(WaitForMultipleObjects, AnyGivesTheLowestSignalledAndTakesOnlyIt)
{
    struct Case {
        const char* what;
        bool signalled[3];
        DWORD expected;
        bool stillSignalled[3];
    } cases[] = {
        {"none", {false, false, false}, WAIT_TIMEOUT, {false, false, false}},
        {"last", {false, false, true}, WAIT_OBJECT_0 + 2, {false, false, false}},
        {"middle and last", {false, true, true}, WAIT_OBJECT_0 + 1, {false, false, true}},
        {"all", {true, true, true}, WAIT_OBJECT_0, {false, true, true}},
    };
    for (const Case& c : cases) {
        Handles h;
        HANDLE events[3];
        for (int i = 0; i < 3; ++i)
            events[i] = h.Event(FALSE, c.signalled[i]);
        EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 0), c.expected) << c.what;
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(WaitForSingleObject(events[i], 0) == WAIT_OBJECT_0, c.stillSignalled[i]) << c.what << " " << i;
    }
}

TEST(WaitForMultipleObjects, AnyWakesOnTheOneThatIsSet)
{
    Handles h;
    HANDLE events[3] = {h.Event(FALSE, FALSE), h.Event(TRUE, FALSE), h.Event(FALSE, FALSE)};
    DelayedSet job{20, events[2]};
    h.Thread(SetLater, &job);
    EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 5000), WAIT_OBJECT_0 + 2);
}

TEST(WaitForMultipleObjects, AThreadEndingEndsTheWait)
{
    Handles h;
    HANDLE objects[2] = {h.Event(FALSE, FALSE), h.Thread(SleepFor, reinterpret_cast<void*>(uintptr_t{20}))};
    EXPECT_EQ(WaitForMultipleObjects(2, objects, FALSE, 5000), WAIT_OBJECT_0 + 1);
    // An ended thread stays signalled.
    EXPECT_EQ(WaitForSingleObject(objects[1], 0), WAIT_OBJECT_0);
}

TEST(WaitForMultipleObjects, AllWaitsForEveryOne)
{
    Handles h;
    HANDLE events[2] = {h.Event(FALSE, TRUE), h.Event(FALSE, FALSE)};
    EXPECT_EQ(WaitForMultipleObjects(2, events, TRUE, 0), WAIT_TIMEOUT);
    // A failed wait-all takes nothing.
    EXPECT_EQ(WaitForSingleObject(events[0], 0), WAIT_OBJECT_0);
    SetEvent(events[0]);
    DelayedSet job{20, events[1]};
    h.Thread(SetLater, &job);
    EXPECT_EQ(WaitForMultipleObjects(2, events, TRUE, 5000), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForMultipleObjects(2, events, FALSE, 0), WAIT_TIMEOUT);
}

TEST(WaitForMultipleObjects, BadArguments)
{
    Handles h;
    HANDLE good = h.Event(TRUE, TRUE);
    HANDLE mixed[2] = {good, reinterpret_cast<HANDLE>(uintptr_t{0x1234})};
    EXPECT_EQ(WaitForMultipleObjects(2, mixed, FALSE, 0), WAIT_FAILED);
    EXPECT_EQ(WaitForMultipleObjects(0, mixed, FALSE, 0), WAIT_FAILED);
    EXPECT_EQ(WaitForMultipleObjects(MAXIMUM_WAIT_OBJECTS + 1, mixed, FALSE, 0), WAIT_FAILED);
}

namespace {

struct Shared {
    CRITICAL_SECTION lock;
    long counter = 0;
};

unsigned WINAPI CountUnderLock(void* raw)
{
    auto* shared = static_cast<Shared*>(raw);
    for (int i = 0; i < 20000; ++i) {
        EnterCriticalSection(&shared->lock);
        EnterCriticalSection(&shared->lock); // the owner may enter again
        long seen = shared->counter;
        shared->counter = seen + 1;
        LeaveCriticalSection(&shared->lock);
        LeaveCriticalSection(&shared->lock);
    }
    return 0;
}

} // namespace

TEST(CriticalSection, RecursiveAndExclusive)
{
    Shared shared;
    ASSERT_TRUE(InitializeCriticalSectionAndSpinCount(&shared.lock, 2000));
    {
        Handles h;
        std::vector<HANDLE> threads;
        for (int i = 0; i < 4; ++i)
            threads.push_back(h.Thread(CountUnderLock, &shared));
        EXPECT_EQ(WaitForMultipleObjects(4, threads.data(), TRUE, INFINITE), WAIT_OBJECT_0);
    }
    EXPECT_EQ(shared.counter, 4 * 20000);
    DeleteCriticalSection(&shared.lock);
}

namespace {

struct StackProbe {
    size_t stackSize = 0;
    DWORD id = 0;
};

unsigned WINAPI ProbeStack(void* raw)
{
    auto* probe = static_cast<StackProbe*>(raw);
    pthread_attr_t attributes;
    if (pthread_getattr_np(pthread_self(), &attributes) == 0) {
        pthread_attr_getstacksize(&attributes, &probe->stackSize);
        pthread_attr_destroy(&attributes);
    }
    probe->id = GetCurrentThreadId();
    return 0;
}

} // namespace

TEST(BeginThreadEx, StackIsRaisedToTheMinimumAndIdsDiffer)
{
    for (unsigned asked : {0u, 65536u, 4u * 1024u * 1024u}) {
        StackProbe probe;
        unsigned id = 0;
        HANDLE thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, asked, ProbeStack, &probe, 0, &id));
        ASSERT_NE(thread, nullptr);
        EXPECT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
        EXPECT_TRUE(CloseHandle(thread));
        EXPECT_GE(probe.stackSize, std::max<size_t>(asked, kThreadStackMinimum)) << asked;
        EXPECT_EQ(probe.id, id);
        EXPECT_NE(probe.id, GetCurrentThreadId());
    }
    EXPECT_EQ(_beginthreadex(nullptr, 0, ProbeStack, nullptr, CREATE_SUSPENDED, nullptr), 0u);
}

TEST(BeginThreadEx, HandleClosedWhileTheThreadRuns)
{
    HANDLE thread = reinterpret_cast<HANDLE>(
        _beginthreadex(nullptr, 0, SleepFor, reinterpret_cast<void*>(uintptr_t{30}), 0, nullptr));
    ASSERT_NE(thread, nullptr);
    EXPECT_TRUE(CloseHandle(thread));
    Sleep(60); // the thread ends on its own, touching nothing freed (the sanitizers would say)
}

TEST(ComApartment, PerThreadCounting)
{
    struct Result {
        HRESULT first, again, otherMode;
    };
    auto run = [](void* raw) -> unsigned {
        auto* r = static_cast<Result*>(raw);
        r->first = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        r->again = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        r->otherMode = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        CoUninitialize();
        CoUninitialize();
        return 0;
    };
    Result main{}, other{};
    main.first = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    HANDLE thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, run, &other, 0, nullptr));
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    main.again = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    main.otherMode = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    for (const Result& r : {main, other}) {
        EXPECT_EQ(r.first, S_OK);
        EXPECT_EQ(r.again, S_FALSE);
        EXPECT_EQ(r.otherMode, RPC_E_CHANGED_MODE);
        EXPECT_TRUE(SUCCEEDED(r.again));
        EXPECT_TRUE(FAILED(r.otherMode));
    }
    CoUninitialize();
    CoUninitialize();
    // Fully uninitialised: the next call starts afresh, in either mode.
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    CoUninitialize();
}
