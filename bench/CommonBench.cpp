#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "System/Common/NameHash.h"
#include "System/Common/Random.h"
#include "System/Common/StreamIO.h"

namespace {

const std::vector<std::string>& Names()
{
    static const std::vector<std::string> names = [] {
        std::vector<std::string> v;
        for (int i = 0; i < 256; ++i)
            v.push_back("assets.v1/2d/sprite_sheet_" + std::to_string(i * 7919) + "_enemy_flyer");
        return v;
    }();
    return names;
}

uint32_t PlainFnv1(const std::string& s)
{
    uint32_t h = 2166136261u;
    for (unsigned char c : s)
        h = (h * 16777619u) ^ c;
    return h;
}

void BM_HashName(benchmark::State& state)
{
    for (auto _ : state)
        for (const std::string& n : Names())
            benchmark::DoNotOptimize(HashName(n));
    state.SetItemsProcessed(state.iterations() * Names().size());
}
BENCHMARK(BM_HashName);

void BM_HashName_Baseline(benchmark::State& state)
{
    for (auto _ : state)
        for (const std::string& n : Names())
            benchmark::DoNotOptimize(PlainFnv1(n));
    state.SetItemsProcessed(state.iterations() * Names().size());
}
BENCHMARK(BM_HashName_Baseline);

void BM_RandomNext(benchmark::State& state)
{
    SfmtInit(1234);
    for (auto _ : state)
        for (int i = 0; i < 1000; ++i)
            benchmark::DoNotOptimize(RandomNext());
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_RandomNext);

void BM_RandomNext_Baseline(benchmark::State& state)
{
    std::mt19937 mt(1234);
    for (auto _ : state)
        for (int i = 0; i < 1000; ++i)
            benchmark::DoNotOptimize(mt());
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_RandomNext_Baseline);

// Sequential reads of a 64 KiB block in chunks of the given size.
constexpr uint32_t kBlock = 64 * 1024;

void BM_MemoryStreamRead(benchmark::State& state)
{
    std::vector<char> data(kBlock, 'x'), out(kBlock);
    const uint32_t chunk = static_cast<uint32_t>(state.range(0));
    MemoryStreamIO m;
    m.Init(data.data(), kBlock, false, true);
    for (auto _ : state) {
        m.Seek(0);
        for (uint32_t at = 0; at < kBlock; at += chunk)
            m.Read(out.data() + at, chunk);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kBlock);
}
BENCHMARK(BM_MemoryStreamRead)->Arg(16)->Arg(256)->Arg(4096);

void BM_MemoryStreamRead_Baseline(benchmark::State& state)
{
    std::vector<char> data(kBlock, 'x'), out(kBlock);
    const uint32_t chunk = static_cast<uint32_t>(state.range(0));
    for (auto _ : state) {
        for (uint32_t at = 0; at < kBlock; at += chunk)
            std::memcpy(out.data() + at, data.data() + at, chunk);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kBlock);
}
BENCHMARK(BM_MemoryStreamRead_Baseline)->Arg(16)->Arg(256)->Arg(4096);

} // namespace
