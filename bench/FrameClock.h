// Per-frame clocks for the rendering benchmarks. A software rasteriser does most of a frame's
// work on its own threads, so the submitting thread's time alone says little about what a frame
// costs: each frame is also timed on the whole process's CPU clock (every thread) and on the wall
// clock. The reporter prints the ratio of every "_ms" counter to the baseline's.
#pragma once

#include <benchmark/benchmark.h>
#include <time.h>

class FrameClock {
  public:
    // Starts one frame.
    void Start()
    {
        m_fProcessStart = Now(CLOCK_PROCESS_CPUTIME_ID);
        m_fThreadStart = Now(CLOCK_THREAD_CPUTIME_ID);
        m_fWallStart = Now(CLOCK_MONOTONIC);
    }
    // Ends the frame started last; answers its whole-process CPU seconds.
    double Stop()
    {
        const double process = Now(CLOCK_PROCESS_CPUTIME_ID) - m_fProcessStart;
        m_fProcess += process;
        m_fThread += Now(CLOCK_THREAD_CPUTIME_ID) - m_fThreadStart;
        m_fWall += Now(CLOCK_MONOTONIC) - m_fWallStart;
        ++m_nFrames;
        return process;
    }
    // The submitting thread's CPU seconds since Start.
    double ThreadSinceStart() const { return Now(CLOCK_THREAD_CPUTIME_ID) - m_fThreadStart; }

    // Milliseconds per frame on each clock, as counters.
    void Report(benchmark::State& state) const
    {
        if (m_nFrames == 0)
            return;
        const double scale = 1000.0 / double(m_nFrames);
        state.counters["process_cpu_ms"] = m_fProcess * scale;
        state.counters["thread_cpu_ms"] = m_fThread * scale;
        state.counters["wall_ms"] = m_fWall * scale;
    }

    static double Now(clockid_t clock)
    {
        timespec t{};
        clock_gettime(clock, &t);
        return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
    }

  private:
    double m_fProcessStart = 0, m_fThreadStart = 0, m_fWallStart = 0;
    double m_fProcess = 0, m_fThread = 0, m_fWall = 0;
    long m_nFrames = 0;
};
