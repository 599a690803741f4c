#include "System/Application/FramePacer.h"

#include "Platform/Win32/Windows.h"

namespace {

// The pacer sleeps for whole milliseconds counted from its last clock reading. Sleeping that
// long from the moment of the call would add the part of the millisecond already gone by and
// the wake-up latency to every frame, so frames would slip a fraction of a millisecond each
// time (about 59.4 instead of 60 per second); waking when the millisecond clock turns to the
// target keeps every frame on the 16, 17, 16, 17, 17 ms grid.
class SystemFrameClock : public IFrameClock {
  public:
    uint32_t Now() override { return t_nLastReading = timeGetTime(); }
    void Sleep(uint32_t milliseconds) override { SleepUntilTime(t_nLastReading + milliseconds); }

  private:
    static thread_local uint32_t t_nLastReading;
};

thread_local uint32_t SystemFrameClock::t_nLastReading = 0;

} // namespace

IFrameClock* GetSystemFrameClock()
{
    static SystemFrameClock clock;
    return &clock;
}

FramePacer::FramePacer(uint32_t frameRate, IFrameClock* clock)
    : m_pClock(clock ? clock : GetSystemFrameClock()), m_nFrameRate(frameRate),
      m_nPeriod(frameRate ? static_cast<uint32_t>(1000ull * 65536ull / frameRate) : 0)
{
    // Millisecond sleeps and clock readings for the rest of the process.
    timeBeginPeriod(1);
    Reset();
}

void FramePacer::Reset()
{
    m_nCarry = 0;
    m_nFrameStart = m_pClock->Now();
    m_nElapsed = 0;
    m_nBehindSince = 0;
    m_bBehind = false;
}

void FramePacer::Wait()
{
    const uint32_t now = m_pClock->Now();
    if (m_nFrameRate != 0) {
        m_nCarry = (m_nCarry & 0xFFFFu) + m_nPeriod;
        const uint32_t target = m_nCarry >> 16;
        const uint32_t spent = now - m_nFrameStart;
        if (spent < target) {
            m_bBehind = false;
            m_pClock->Sleep(target - spent);
            m_nElapsed = m_pClock->Now() - m_nFrameStart;
            m_nFrameStart = m_pClock->Now();
            return;
        }
        if (spent < 2 * target) {
            m_bBehind = false;
        } else if (!m_bBehind) {
            m_nBehindSince = now;
            m_bBehind = true;
        }
        // Drawing is skipped for at most this long in a row.
        if (m_bBehind && now - m_nBehindSince >= kBehindLimit)
            m_bBehind = false;
    }
    m_nElapsed = m_pClock->Now() - m_nFrameStart;
    m_nFrameStart = now;
}
