// Runs every benchmark and then prints, for each case "BM_X" that has a "BM_X_Baseline",
// the ratio of the case's time to its baseline's, both measured in this same run.
#include <benchmark/benchmark.h>

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
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                m_Times[run.benchmark_name()] = run.GetAdjustedRealTime();
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\nRatios to baselines (case time / baseline time, lower is faster):\n");
        const std::string tag = "_Baseline";
        for (const auto& [name, baseline] : m_Times) {
            size_t at = name.find(tag);
            if (at == std::string::npos)
                continue;
            std::string caseName = name.substr(0, at) + name.substr(at + tag.size());
            auto it = m_Times.find(caseName);
            if (it != m_Times.end() && baseline > 0)
                std::printf("  %-48s %8.3f\n", caseName.c_str(), it->second / baseline);
        }
        std::fflush(stdout);
    }

private:
    std::map<std::string, double> m_Times;
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
