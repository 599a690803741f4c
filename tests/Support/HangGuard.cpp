#include "Support/HangGuard.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

HangGuard::HangGuard(std::string what, double seconds)
{
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    std::string test = info ? std::string(info->test_suite_name()) + "." + info->name() : "?";
    m_Watch = std::thread([this, what = std::move(what), test = std::move(test), seconds] {
        std::unique_lock<std::mutex> lock(m_Mutex);
        if (m_Done.wait_for(lock, std::chrono::duration<double>(seconds), [this] { return m_bDone; }))
            return;
        // The guarded code is still running on the test's thread: nothing can unwind it.
        std::fprintf(stderr, "[  FAILED  ] %s: %s did not end within %g s\n", test.c_str(), what.c_str(), seconds);
        std::fflush(stderr);
        std::_Exit(1);
    });
}

HangGuard::~HangGuard()
{
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_bDone = true;
    }
    m_Done.notify_one();
    m_Watch.join();
}
