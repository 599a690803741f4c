// A deadline for a scope that data could keep from ending: when the scope outlives it, the
// test process ends at once with a failure line naming the scope, so a loop that never ends
// fails its test instead of holding the suite until the runner's own timeout.
#pragma once

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

class HangGuard {
public:
    HangGuard(std::string what, double seconds);
    ~HangGuard();
    HangGuard(const HangGuard&) = delete;
    HangGuard& operator=(const HangGuard&) = delete;

private:
    std::mutex m_Mutex;
    std::condition_variable m_Done;
    bool m_bDone = false;
    std::thread m_Watch;
};
