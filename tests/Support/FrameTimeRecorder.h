// Frame times of a run, per stage: the wall time of each whole frame and of its update passes,
// the stage it ended on, and what slow work it did (a stage built, textures loaded, a movie
// opened, the save file written, read from the engine's FrameStats counters). The steady frames
// give each stage's mean, median and 99th percentile; the frames that did slow work are listed
// apart, since a stage build or a file write is expected to take longer than a frame.
#pragma once

#include "System/Common/FrameStats.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What slow work a frame did, as bits.
enum FrameEvent : uint32_t {
    eFrameEvent_StageSwitch = 1u << 0,
    eFrameEvent_TexturesLoaded = 1u << 1,
    eFrameEvent_MovieOpened = 1u << 2,
    eFrameEvent_SaveWritten = 1u << 3,
};

// The events between two readings of the counters: each counter that grew sets its bit.
uint32_t FrameEventsBetween(const FrameStats& before, const FrameStats& after);
// "stage switch, textures loaded", in bit order; "none" for 0.
std::string DescribeFrameEvents(uint32_t events);

// Mean, median and 99th percentile of a set of times. The median of an even count is the mean of
// the two middle values; the percentile is the nearest rank (the smallest value with at least
// 99 % of the values at or below it). All zero for no values.
struct TimeSummary {
    size_t count = 0;
    double mean = 0.0;
    double median = 0.0;
    double p99 = 0.0;
};
TimeSummary Summarize(std::vector<double> values);

struct FrameTimeSample {
    int tick = 0; // the recorder's own frame number, from 0
    size_t stage = 0; // index into the recorder's stage names
    double frameMs = 0.0;
    double updateMs = 0.0;
    uint32_t events = 0;
};

struct StageFrameTimes {
    std::string stage;
    // Over the steady frames (no events) only.
    TimeSummary frame;
    TimeSummary update;
    // The frames with events, in order.
    std::vector<FrameTimeSample> apart;

    // The whole frame's p99 over its median; 0 without steady frames.
    double Ratio() const { return frame.median > 0.0 ? frame.p99 / frame.median : 0.0; }
    // p99 <= factor x median; a stage without steady frames has nothing to miss.
    bool MeetsGoal(double factor = 2.0) const { return frame.count == 0 || frame.p99 <= factor * frame.median; }
};

class FrameTimeRecorder {
  public:
    // One frame at 60 Hz, the budget every share is of.
    static constexpr double kFrameBudgetMs = 1000.0 / 60.0;

    // Reads the counters and the clock before a frame.
    void BeginFrame();
    // Reads them again after it: the frame's wall time since BeginFrame, the update time the
    // application measured (FrameStats::updateNanoseconds) and the events in between, under the
    // stage the frame ended on ("" for none).
    void EndFrame(const std::string& stage);
    // A frame measured elsewhere.
    void Add(const std::string& stage, double frameMs, double updateMs, uint32_t events);
    void Clear();

    const std::vector<FrameTimeSample>& Samples() const { return m_Samples; }
    const std::vector<std::string>& StageNames() const { return m_StageNames; }
    // Per stage, in the order the stages first appear; a stage left and entered again is one.
    std::vector<StageFrameTimes> Stages() const;
    // The table: per stage, the frame count, the whole frame's and the update's mean, median and
    // p99 in ms with their shares of kFrameBudgetMs, the p99/median ratio and whether it is within
    // `factor`; then the frames reported apart.
    std::string Report(double factor = 2.0) const;

  private:
    size_t StageIndex(const std::string& stage);

    std::vector<FrameTimeSample> m_Samples;
    std::vector<std::string> m_StageNames;
    FrameStats m_Before;
    int64_t m_nStartNanoseconds = 0;
};
