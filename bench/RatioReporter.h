// The console reporter of the benchmark binary: prints the runs as the library's own console
// reporter does, then for each case "BM_X" that has a "BM_X_Baseline" the ratio of the case's
// time to its baseline's, both measured in the same run. A baseline "BM_X_Baseline_Y" (another
// way of doing the same work) is compared with "BM_X_Y" or, when there is none, with "BM_X".
// Counters named "*_ms" that both carry are compared as well.
#pragma once

#include <benchmark/benchmark.h>
#include <map>
#include <string>

// The console options the command line asks for: --benchmark_color (auto, or a yes/no value;
// auto colours only a terminal) and --benchmark_counters_tabular, each falling back to its
// BENCHMARK_* environment variable as the library's flags do. Reads argv before
// benchmark::Initialize removes the flags from it.
benchmark::ConsoleReporter::OutputOptions RatioReporterOptions(int argc, char** argv);

class RatioReporter : public benchmark::ConsoleReporter {
  public:
    explicit RatioReporter(OutputOptions options) : ConsoleReporter(options) {}

    void ReportRuns(const std::vector<Run>& runs) override;
    void Finalize() override;

  private:
    struct Times {
        double iteration = 0; // the last repetition's time
        double median = 0;    // the median aggregate's time, when repetitions were run
        bool hasIteration = false;
        bool hasMedian = false;
        std::map<std::string, double> iterationCounters; // "*_ms" counters, as the times
        std::map<std::string, double> medianCounters;
        bool Any() const { return hasIteration || hasMedian; }
        double Best() const { return hasMedian ? median : iteration; }
        const std::map<std::string, double>& BestCounters() const { return hasMedian ? medianCounters : iterationCounters; }
    };
    // By run name without the aggregate's suffix.
    std::map<std::string, Times> m_Times;
};
