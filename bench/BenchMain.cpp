// Runs every benchmark and then prints, for each case "BM_X" that has a "BM_X_Baseline",
// the ratio of the case's time to its baseline's, both measured in this same run. The heap is
// set up as the game sets it, for the cases and their baselines alike.
#include "Components/ComponentList.h"
#include "Platform/Backend/Heap.h"
#include "RatioReporter.h"

#include <benchmark/benchmark.h>

int main(int argc, char** argv)
{
    BackendConfigureHeap();
    InstallComponents();
    const benchmark::ConsoleReporter::OutputOptions options = RatioReporterOptions(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter(options);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
