// Frame pacing accuracy: the length of each paced frame against the ideal 1000/60 ms, beside
// a loop that only sleeps one frame's whole milliseconds. The case's time is the run's wall
// time; the counters are the mean frame length and the deviations in milliseconds (p50, p99,
// max).
// Each case runs once over QM_PACER_FRAMES frames (60 when unset, so a quick pass of every
// benchmark stays short; set it to 600 for a ten-second measurement).
#include "Platform/Win32/Windows.h"
#include "System/Application/FramePacer.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

constexpr double kIdealFrameMs = 1000.0 / 60.0;

int FrameCount()
{
    const char* text = std::getenv("QM_PACER_FRAMES");
    int frames = text ? std::atoi(text) : 0;
    return frames > 1 ? frames : 60;
}

double NowMs()
{
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(count.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

template <typename Step> void MeasureFrames(benchmark::State& state, Step step)
{
    const int frames = FrameCount();
    std::vector<double> deviation;
    deviation.reserve(static_cast<size_t>(frames));
    double total = 0.0;
    for (auto _ : state) {
        step(); // the first frame only starts the measurement
        const double first = NowMs();
        double last = first;
        for (int i = 0; i < frames; ++i) {
            step();
            double now = NowMs();
            deviation.push_back(std::fabs(now - last - kIdealFrameMs));
            last = now;
        }
        total = last - first;
    }
    std::sort(deviation.begin(), deviation.end());
    auto at = [&](double q) { return deviation[static_cast<size_t>(q * static_cast<double>(deviation.size() - 1))]; };
    state.counters["frames"] = static_cast<double>(frames);
    state.counters["mean_frame_ms"] = total / frames;
    state.counters["p50_ms"] = at(0.50);
    state.counters["p99_ms"] = at(0.99);
    state.counters["max_ms"] = deviation.back();
}

void BM_FramePacer(benchmark::State& state)
{
    FramePacer pacer(60);
    MeasureFrames(state, [&] { pacer.Wait(); });
}
BENCHMARK(BM_FramePacer)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_FramePacer_Baseline(benchmark::State& state)
{
    MeasureFrames(state, [] { Sleep(1000 / 60); });
}
BENCHMARK(BM_FramePacer_Baseline)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace
