#include "RatioReporter.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The times, in seconds, that the probe case and its baseline report for each repetition.
std::vector<double> g_CaseTimes;
std::vector<double> g_BaselineTimes;
size_t g_nCaseRun = 0;
size_t g_nBaselineRun = 0;

void RunProbe(benchmark::State& state, const std::vector<double>& times, size_t& run)
{
    for (auto _ : state)
        state.SetIterationTime(times[run < times.size() ? run : times.size() - 1]);
    ++run;
}

void RegisterProbes()
{
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    benchmark::RegisterBenchmark("BM_RatioProbe", [](benchmark::State& s) { RunProbe(s, g_CaseTimes, g_nCaseRun); })
        ->UseManualTime()
        ->Iterations(1);
    benchmark::RegisterBenchmark("BM_RatioProbe_Baseline",
                                 [](benchmark::State& s) { RunProbe(s, g_BaselineTimes, g_nBaselineRun); })
        ->UseManualTime()
        ->Iterations(1);
}

// Runs the probes with the flags and returns what the reporter printed.
std::string RunWith(std::vector<std::string> flags)
{
    RegisterProbes();
    g_nCaseRun = g_nBaselineRun = 0;
    flags.insert(flags.begin(), "bench");
    flags.push_back("--benchmark_filter=^BM_RatioProbe");
    std::vector<char*> argv;
    for (std::string& f : flags)
        argv.push_back(f.data());
    argv.push_back(nullptr);
    int argc = static_cast<int>(flags.size());
    const auto options = RatioReporterOptions(argc, argv.data());
    benchmark::Initialize(&argc, argv.data());
    std::ostringstream out, err;
    RatioReporter reporter(options);
    reporter.SetOutputStream(&out);
    reporter.SetErrorStream(&err);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    return out.str();
}

// The ratio printed for the probe, or -1 when there is none.
double PrintedRatio(const std::string& text)
{
    const std::string head = "\n  BM_RatioProbe/iterations:1/manual_time ";
    const size_t at = text.find(head);
    return at == std::string::npos ? -1 : std::strtod(text.c_str() + at + head.size(), nullptr);
}

} // namespace

TEST(RatioReporter, RatioOfTheMedianWhateverIsDisplayed)
{
    struct Case {
        const char* what;
        std::vector<std::string> flags;
        std::vector<double> caseTimes, baselineTimes;
        double ratio;
    } cases[] = {
        {"one pass", {"--benchmark_repetitions=1"}, {0.003}, {0.002}, 1.5},
        // The last repetition alone would give 4.5 and the mean 2.167.
        {"repetitions", {"--benchmark_repetitions=3"}, {0.001, 0.003, 0.009}, {0.002, 0.002, 0.002}, 1.5},
        {"aggregates reported only",
         {"--benchmark_repetitions=3", "--benchmark_report_aggregates_only=true"},
         {0.009, 0.001, 0.003},
         {0.002, 0.004, 0.002},
         1.5},
        {"aggregates displayed only",
         {"--benchmark_repetitions=5", "--benchmark_display_aggregates_only=true"},
         {0.005, 0.001, 0.002, 0.009, 0.008},
         {0.001, 0.001, 0.001, 0.001, 0.001},
         5.0},
    };
    for (const Case& c : cases) {
        g_CaseTimes = c.caseTimes;
        g_BaselineTimes = c.baselineTimes;
        std::vector<std::string> flags = c.flags;
        // Every flag is given each time: the library keeps the values of the previous parse.
        for (const char* reset : {"--benchmark_report_aggregates_only=false",
                                  "--benchmark_display_aggregates_only=false", "--benchmark_color=false"})
            flags.insert(flags.begin(), reset);
        const std::string text = RunWith(flags);
        EXPECT_NEAR(PrintedRatio(text), c.ratio, 0.001) << c.what << "\n" << text;
    }
}

TEST(RatioReporter, ColourAsTheCommandLineAsks)
{
    struct Case {
        const char* what;
        const char* environment; // BENCHMARK_COLOR, or null
        std::vector<std::string> flags;
        bool colour;
    } cases[] = {
        {"off", nullptr, {"--benchmark_color=false"}, false},
        {"on", nullptr, {"--benchmark_color=true"}, true},
        {"the last flag counts", nullptr, {"--benchmark_color=no", "--benchmark_color=yes"}, true},
        {"off by a short value", nullptr, {"--benchmark_color=0"}, false},
        {"from the environment", "false", {}, false},
        {"flag over environment", "false", {"--benchmark_color=1"}, true},
    };
    for (const Case& c : cases) {
        if (c.environment)
            setenv("BENCHMARK_COLOR", c.environment, 1);
        else
            unsetenv("BENCHMARK_COLOR");
        std::vector<std::string> flags = c.flags;
        flags.insert(flags.begin(), "bench");
        std::vector<char*> argv;
        for (std::string& f : flags)
            argv.push_back(f.data());
        const auto options = RatioReporterOptions(static_cast<int>(argv.size()), argv.data());
        EXPECT_EQ((options & benchmark::ConsoleReporter::OO_Color) != 0, c.colour) << c.what;
    }
    unsetenv("BENCHMARK_COLOR");

    // Asked for no colour, the printed report holds no terminal escape.
    g_CaseTimes = {0.002};
    g_BaselineTimes = {0.001};
    const std::string text = RunWith({"--benchmark_repetitions=1", "--benchmark_report_aggregates_only=false",
                                      "--benchmark_display_aggregates_only=false", "--benchmark_color=false"});
    EXPECT_EQ(text.find('\033'), std::string::npos) << text;
    EXPECT_NEAR(PrintedRatio(text), 2.0, 0.001) << text;
}
