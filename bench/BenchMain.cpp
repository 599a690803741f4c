// Runs every benchmark and then prints, for each case "BM_X" that has a "BM_X_Baseline",
// the ratio of the case's time to its baseline's, both measured in this same run. A baseline
// "BM_X_Baseline_Y" (another way of doing the same work) is compared with "BM_X_Y" or, when
// there is none, with "BM_X". Counters named "*_ms" that both carry are compared as well.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>

namespace {

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                Entry& entry = m_Entries[run.benchmark_name()];
                entry.time = run.GetAdjustedRealTime();
                for (const auto& [name, counter] : run.counters)
                    if (name.size() > 3 && name.compare(name.size() - 3, 3, "_ms") == 0)
                        entry.counters[name] = counter.value;
            }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\nRatios to baselines (case time / baseline time, lower is faster):\n");
        const std::string tag = "_Baseline";
        for (const auto& [name, baseline] : m_Entries) {
            size_t at = name.find(tag);
            if (at == std::string::npos)
                continue;
            // What follows the tag: a variant ("_Y") and the run's own suffix ("/manual_time").
            const std::string rest = name.substr(at + tag.size());
            const size_t slash = std::min(rest.find('/'), rest.size());
            std::string caseName = name.substr(0, at) + rest;
            auto it = m_Entries.find(caseName);
            std::string label = caseName;
            if (it == m_Entries.end() && slash > 0) {
                it = m_Entries.find(name.substr(0, at) + rest.substr(slash));
                label = name.substr(0, at) + rest.substr(slash) + " vs" + rest.substr(0, slash);
            }
            if (it == m_Entries.end())
                continue;
            if (baseline.time > 0)
                std::printf("  %-48s %8.3f\n", label.c_str(), it->second.time / baseline.time);
            for (const auto& [counter, value] : baseline.counters) {
                auto other = it->second.counters.find(counter);
                if (other != it->second.counters.end() && value > 0)
                    std::printf("  %-48s %8.3f\n", ("  " + counter).c_str(), other->second / value);
            }
        }
        std::fflush(stdout);
    }

private:
    struct Entry {
        double time = 0;
        std::map<std::string, double> counters;
    };
    std::map<std::string, Entry> m_Entries;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
