// The frame-time recorder's arithmetic and sorting, on frames given by hand: the statistics a
// frame-time goal is judged by, and which frames count as steady.
#include "Support/FrameTimeRecorder.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace {

std::vector<double> Shuffled(int from, int to)
{
    std::vector<double> values(static_cast<size_t>(to - from + 1));
    std::iota(values.begin(), values.end(), static_cast<double>(from));
    std::shuffle(values.begin(), values.end(), std::mt19937(7));
    return values;
}

} // namespace

TEST(FrameTimeRecorderTest, SummariesTakeTheMeanTheMiddleAndTheNearestRankPercentile)
{
    struct Case {
        const char* what;
        std::vector<double> values;
        TimeSummary expected;
    };
    const Case cases[] = {
        {"no values", {}, {0, 0.0, 0.0, 0.0}},
        {"one value", {5.0}, {1, 5.0, 5.0, 5.0}},
        {"odd count, unsorted", {3.0, 1.0, 2.0}, {3, 2.0, 2.0, 3.0}},
        {"even count: the middle two averaged", {4.0, 1.0, 3.0, 2.0}, {4, 2.5, 2.5, 4.0}},
        {"one slow frame in a hundred is below the percentile", Shuffled(1, 100), {100, 50.5, 50.5, 99.0}},
        {"two hundred: the 198th", Shuffled(1, 200), {200, 100.5, 100.5, 198.0}},
        {"a hundred and one: rank 100", Shuffled(1, 101), {101, 51.0, 51.0, 100.0}},
        {"a long tail moves the mean, not the median",
         {1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 91.0},
         {10, 10.0, 1.0, 91.0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TimeSummary summary = Summarize(c.values);
        EXPECT_EQ(summary.count, c.expected.count);
        EXPECT_DOUBLE_EQ(summary.mean, c.expected.mean);
        EXPECT_DOUBLE_EQ(summary.median, c.expected.median);
        EXPECT_DOUBLE_EQ(summary.p99, c.expected.p99);
    }
}

TEST(FrameTimeRecorderTest, EachCounterThatGrewMarksItsEvent)
{
    struct Case {
        const char* what;
        FrameStats after;
        uint32_t events;
        const char* described;
    };
    const FrameStats before{3, 40, 2, 1, 5000};
    const Case cases[] = {
        {"nothing grew; the update time is no event", {3, 40, 2, 1, 9000000}, 0, "none"},
        {"a stage built", {4, 40, 2, 1, 5000}, eFrameEvent_StageSwitch, "stage switch"},
        {"several textures", {3, 47, 2, 1, 5000}, eFrameEvent_TexturesLoaded, "textures loaded"},
        {"a movie", {3, 40, 3, 1, 5000}, eFrameEvent_MovieOpened, "movie opened"},
        {"the save file", {3, 40, 2, 2, 5000}, eFrameEvent_SaveWritten, "save written"},
        {"a stage with its textures and a save",
         {4, 41, 2, 2, 5000},
         eFrameEvent_StageSwitch | eFrameEvent_TexturesLoaded | eFrameEvent_SaveWritten,
         "stage switch, textures loaded, save written"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const uint32_t events = FrameEventsBetween(before, c.after);
        EXPECT_EQ(events, c.events);
        EXPECT_EQ(DescribeFrameEvents(events), c.described);
    }
}

TEST(FrameTimeRecorderTest, FramesWithSlowWorkAreReportedApartFromEachStagesFigures)
{
    FrameTimeRecorder recorder;
    // The title, home, the title again: two stages, in the order first met.
    recorder.Add("stage_TitleScene", 40.0, 30.0, eFrameEvent_StageSwitch | eFrameEvent_TexturesLoaded);
    for (int i = 0; i < 9; ++i)
        recorder.Add("stage_TitleScene", 2.0, 1.0, 0);
    recorder.Add("stage_Home", 60.0, 50.0, eFrameEvent_StageSwitch | eFrameEvent_SaveWritten);
    for (int i = 0; i < 4; ++i)
        recorder.Add("stage_Home", 3.0 + i, 1.5, 0);
    recorder.Add("stage_TitleScene", 25.0, 20.0, eFrameEvent_StageSwitch);
    recorder.Add("stage_TitleScene", 12.0, 8.0, eFrameEvent_MovieOpened);
    recorder.Add("stage_TitleScene", 2.0, 1.0, 0);
    recorder.Add("", 1.0, 0.0, 0);

    const std::vector<StageFrameTimes> stages = recorder.Stages();
    ASSERT_EQ(stages.size(), 3u);
    struct Expected {
        const char* stage;
        size_t steady;
        double frameMedian, frameP99, updateMean;
        std::vector<int> apartTicks;
    };
    const Expected expected[] = {
        {"stage_TitleScene", 10, 2.0, 2.0, 1.0, {0, 15, 16}},
        {"stage_Home", 4, 4.5, 6.0, 1.5, {10}},
        {"", 1, 1.0, 1.0, 0.0, {}},
    };
    for (size_t i = 0; i < stages.size(); ++i) {
        SCOPED_TRACE(expected[i].stage);
        EXPECT_EQ(stages[i].stage, expected[i].stage);
        EXPECT_EQ(stages[i].frame.count, expected[i].steady);
        EXPECT_EQ(stages[i].update.count, expected[i].steady);
        EXPECT_DOUBLE_EQ(stages[i].frame.median, expected[i].frameMedian);
        EXPECT_DOUBLE_EQ(stages[i].frame.p99, expected[i].frameP99);
        EXPECT_DOUBLE_EQ(stages[i].update.mean, expected[i].updateMean);
        std::vector<int> ticks;
        for (const FrameTimeSample& sample : stages[i].apart)
            ticks.push_back(sample.tick);
        EXPECT_EQ(ticks, expected[i].apartTicks);
    }

    const std::string report = recorder.Report();
    EXPECT_NE(report.find("stage_TitleScene"), std::string::npos) << report;
    EXPECT_NE(report.find("(none)"), std::string::npos) << report;
    EXPECT_NE(report.find("Frames reported apart"), std::string::npos) << report;
    EXPECT_NE(report.find("stage switch, save written"), std::string::npos) << report;
    EXPECT_NE(report.find("movie opened"), std::string::npos) << report;
    EXPECT_EQ(report.find("MISSES"), std::string::npos) << report;
    // 6 ms over 4.5 ms misses a goal of 1.2 x the median.
    EXPECT_NE(recorder.Report(1.2).find("MISSES"), std::string::npos);

    recorder.Clear();
    EXPECT_TRUE(recorder.Samples().empty());
    EXPECT_TRUE(recorder.Stages().empty());
}

TEST(FrameTimeRecorderTest, TheGoalIsTheWholeFramesP99AgainstItsMedian)
{
    struct Case {
        const char* what;
        std::vector<double> frames;
        double factor;
        double ratio;
        bool meets;
    };
    const Case cases[] = {
        {"exactly twice", {10.0, 10.0, 20.0}, 2.0, 2.0, true},
        {"just over twice", {10.0, 10.0, 20.5}, 2.0, 2.05, false},
        {"a tighter factor", {10.0, 10.0, 15.0}, 1.4, 1.5, false},
        {"only slow frames: nothing steady to judge", {}, 2.0, 0.0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FrameTimeRecorder recorder;
        recorder.Add("stage_Meadow", 100.0, 90.0, eFrameEvent_StageSwitch);
        for (double ms : c.frames)
            recorder.Add("stage_Meadow", ms, 0.5, 0);
        const std::vector<StageFrameTimes> stages = recorder.Stages();
        ASSERT_EQ(stages.size(), 1u);
        EXPECT_DOUBLE_EQ(stages[0].Ratio(), c.ratio);
        EXPECT_EQ(stages[0].MeetsGoal(c.factor), c.meets);
    }
}

TEST(FrameTimeRecorderTest, AMeasuredFrameReadsTheEngineCountersAndTheUpdateTime)
{
    const FrameStats saved = g_FrameStats;
    FrameTimeRecorder recorder;
    recorder.BeginFrame();
    ++g_FrameStats.moviesOpened;
    g_FrameStats.updateNanoseconds = 2500000;
    recorder.EndFrame("stage_Ending");
    recorder.BeginFrame();
    g_FrameStats.updateNanoseconds = 0;
    recorder.EndFrame("stage_Ending");
    g_FrameStats = saved;

    ASSERT_EQ(recorder.Samples().size(), 2u);
    const FrameTimeSample& first = recorder.Samples()[0];
    EXPECT_EQ(first.events, static_cast<uint32_t>(eFrameEvent_MovieOpened));
    EXPECT_DOUBLE_EQ(first.updateMs, 2.5);
    EXPECT_GE(first.frameMs, 0.0);
    EXPECT_EQ(recorder.Samples()[1].events, 0u) << "the counters are read afresh at each frame's start";
    EXPECT_EQ(recorder.StageNames(), std::vector<std::string>{"stage_Ending"});
}
