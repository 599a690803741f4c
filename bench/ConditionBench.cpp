#include <benchmark/benchmark.h>

#include "World/Condition.h"
#include "World/PlayStatistics.h"

namespace {

// An enemy state machine's typical guard: three groups of two statistics comparisons, the
// last one holding.
ConditionSet GuardSet()
{
    ConditionSet set;
    set.m_Groups = {
        {{eCompare_Greater, 21, 0, 10.0f, 0}, {eCompare_Less, 1, 0, 5.0f, 0}},
        {{eCompare_GreaterEqual, 20, 0, 50.0f, 0}, {eCompare_Equal, 8, 0, 3.0f, 0}},
        {{eCompare_Greater, 1, 0, 30.0f, 0}, {eCompare_LessEqual, 21, 0, 10.0f, 0}},
    };
    return set;
}

void BM_ConditionSetEvaluate(benchmark::State& state)
{
    g_PlayStatistics.Reset();
    g_PlayStatistics.m_fPlayTime = 45.0f;
    g_PlayStatistics.m_nKillCount = 7;
    const ConditionSet set = GuardSet();
    const ConditionContext context;
    for (auto _ : state)
        benchmark::DoNotOptimize(set.Evaluate(context));
}
BENCHMARK(BM_ConditionSetEvaluate);

// The same six comparisons written out by hand on the counters.
void BM_ConditionSetEvaluate_Baseline(benchmark::State& state)
{
    g_PlayStatistics.Reset();
    g_PlayStatistics.m_fPlayTime = 45.0f;
    g_PlayStatistics.m_nKillCount = 7;
    for (auto _ : state) {
        const PlayStatistics& s = g_PlayStatistics;
        benchmark::DoNotOptimize(s);
        bool holds = (s.m_nKillCount > 10 && s.m_fPlayTime < 5.0f) ||
                     (s.m_nBestCombo >= 50 && s.m_nJumpCount == 3) ||
                     (s.m_fPlayTime > 30.0f && s.m_nKillCount <= 10);
        benchmark::DoNotOptimize(holds);
    }
}
BENCHMARK(BM_ConditionSetEvaluate_Baseline);

} // namespace
