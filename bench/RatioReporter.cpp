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
        std::map<std::string, double>* counters = nullptr;
        if (run.run_type == Run::RT_Iteration) {
            times.iteration = run.GetAdjustedRealTime();
            times.hasIteration = true;
            counters = &times.iterationCounters;
        } else if (run.aggregate_name == "median") {
            times.median = run.GetAdjustedRealTime();
            times.hasMedian = true;
            counters = &times.medianCounters;
        }
        if (counters)
            for (const auto& [name, counter] : run.counters)
                if (name.size() > 3 && name.compare(name.size() - 3, 3, "_ms") == 0)
                    (*counters)[name] = counter.value;
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
        if (at == std::string::npos || !baseline.Any())
            continue;
        // What follows the tag: a variant ("_Y") and the run's own suffix ("/manual_time").
        const std::string rest = name.substr(at + tag.size());
        const size_t slash = std::min(rest.find('/'), rest.size());
        std::string label = name.substr(0, at) + rest;
        auto it = m_Times.find(label);
        if ((it == m_Times.end() || !it->second.Any()) && slash > 0) {
            it = m_Times.find(name.substr(0, at) + rest.substr(slash));
            label = name.substr(0, at) + rest.substr(slash) + " vs" + rest.substr(0, slash);
        }
        if (it == m_Times.end() || !it->second.Any() || baseline.Best() <= 0)
            continue;
        char line[160];
        std::snprintf(line, sizeof line, "  %-48s %8.3f\n", label.c_str(), it->second.Best() / baseline.Best());
        out << line;
        const std::map<std::string, double>& own = it->second.BestCounters();
        for (const auto& [counter, value] : baseline.BestCounters()) {
            auto other = own.find(counter);
            if (other == own.end() || value <= 0)
                continue;
            std::snprintf(line, sizeof line, "  %-48s %8.3f\n", ("  " + counter).c_str(), other->second / value);
            out << line;
        }
    }
    out.flush();
}
