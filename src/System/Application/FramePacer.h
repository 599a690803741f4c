// Holds the game to its frame rate on the millisecond clock, measures the real length of
// each frame and tells the tick when it runs behind so that drawing can be skipped.
#pragma once

#include <cstdint>

// The clock the pacer reads and sleeps on; tests give it a clock of their own.
class IFrameClock {
  public:
    virtual ~IFrameClock() = default;
    virtual uint32_t Now() = 0;
    // Sleeps the milliseconds counted from the last Now() reading.
    virtual void Sleep(uint32_t milliseconds) = 0;
};

// timeGetTime, and sleeps that end when the millisecond clock reaches the target.
IFrameClock* GetSystemFrameClock();

class FramePacer {
  public:
    static constexpr uint32_t kBehindLimit = 250;

    // Asks the system for 1 ms timer resolution, then resets.
    explicit FramePacer(uint32_t frameRate = 60, IFrameClock* clock = nullptr);

    // Measures the next frame from now.
    void Reset();
    // Called once at the start of every tick: sleeps until the frame's time has come and
    // updates the elapsed time and the behind flag.
    void Wait();

    uint32_t GetElapsed() const { return m_nElapsed; }
    bool IsBehind() const { return m_bBehind; }
    uint32_t GetFrameRate() const { return m_nFrameRate; }
    uint32_t GetPeriod() const { return m_nPeriod; }

  private:
    IFrameClock* m_pClock;
    uint32_t m_nFrameRate;
    // One frame in 16.16 fixed-point milliseconds.
    uint32_t m_nPeriod;
    // The period plus the fraction left from the previous frame (low 16 bits carry over).
    uint32_t m_nCarry = 0;
    uint32_t m_nFrameStart = 0;
    uint32_t m_nElapsed = 0;
    uint32_t m_nBehindSince = 0;
    bool m_bBehind = false;
};
