#include "RatioReporter.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <unistd.h>

namespace {

// The library's reading of a yes/no flag value: anything but a "no" is yes.
bool IsTruthy(std::string value)
{
    if (value.empty())
        return true;
    std::transform(value.begin(), value.end(), value.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (value.size() == 1)
        return std::isalnum(static_cast<unsigned char>(value[0])) && value != "0" && value != "f" && value != "n";
    return value != "false" && value != "no" && value != "off";
}

// The last value of --name=value or a bare --name (true) on the command line, else the
// environment variable's value, else fallback.
std::string FlagValue(int argc, char** argv, const char* name, const char* environment, const char* fallback)
{
    std::string value = fallback;
    if (const char* fromEnvironment = std::getenv(environment))
        value = fromEnvironment;
    const std::string flag = std::string("--") + name;
    for (int i = 1; i < argc; ++i) {
        if (!argv[i])
            continue;
        const char* arg = argv[i];
        if (std::strncmp(arg, flag.c_str(), flag.size()) != 0)
            continue;
        if (arg[flag.size()] == '=')
            value = arg + flag.size() + 1;
        else if (arg[flag.size()] == '\0')
            value = "true";
    }
    return value;
}

bool IsColorTerminal()
{
    const char* term = std::getenv("TERM");
    return isatty(STDOUT_FILENO) && term && *term && std::strcmp(term, "dumb") != 0;
}

} // namespace

benchmark::ConsoleReporter::OutputOptions RatioReporterOptions(int argc, char** argv)
{
    int options = benchmark::ConsoleReporter::OO_None;
    const std::string color = FlagValue(argc, argv, "benchmark_color", "BENCHMARK_COLOR", "auto");
    if (color == "auto" ? IsColorTerminal() : IsTruthy(color))
        options |= benchmark::ConsoleReporter::OO_Color;
    if (IsTruthy(FlagValue(argc, argv, "benchmark_counters_tabular", "BENCHMARK_COUNTERS_TABULAR", "false")))
        options |= benchmark::ConsoleReporter::OO_Tabular;
    return static_cast<benchmark::ConsoleReporter::OutputOptions>(options);
}

void RatioReporter::ReportRuns(const std::vector<Run>& runs)
{
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
        if (run.error_occurred)
            continue;
        Times& times = m_Times[run.run_name.str()];
        if (run.run_type == Run::RT_Iteration) {
            times.iteration = run.GetAdjustedRealTime();
            times.hasIteration = true;
        } else if (run.aggregate_name == "median") {
            times.median = run.GetAdjustedRealTime();
            times.hasMedian = true;
        }
    }
}

void RatioReporter::Finalize()
{
    ConsoleReporter::Finalize();
    std::ostream& out = GetOutputStream();
    out << "\nRatios to baselines (case time / baseline time, lower is faster):\n";
    const std::string tag = "_Baseline";
    for (const auto& [name, baseline] : m_Times) {
        const size_t at = name.find(tag);
        if (at == std::string::npos || !(baseline.hasIteration || baseline.hasMedian))
            continue;
        const std::string caseName = name.substr(0, at) + name.substr(at + tag.size());
        auto it = m_Times.find(caseName);
        if (it == m_Times.end() || !(it->second.hasIteration || it->second.hasMedian) || baseline.Best() <= 0)
            continue;
        char line[128];
        std::snprintf(line, sizeof line, "  %-48s %8.3f\n", caseName.c_str(), it->second.Best() / baseline.Best());
        out << line;
    }
    out.flush();
}
