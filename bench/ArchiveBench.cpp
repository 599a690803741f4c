// Reading every entry of a pak whose entries are compressed one by one, through the archive
// system, against bare zlib uncompress of the same stored bytes already in memory.
#include <benchmark/benchmark.h>
#include <unistd.h>
#include <zlib.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "PakWriter.h"
#include "System/Archive/ArchiveSystem.h"
#include "System/Archive/ZEVArchive.h"
#include "System/Common/StreamIO.h"

namespace {

// 48 entries of 64 KB that compress about 3 to 1, like the game's scripts and sprite sheets.
struct PakFixture {
    std::vector<PakItem> items;
    std::vector<std::string> stored;
    std::vector<NameId> ids;
    std::string path;
    size_t totalBytes = 0;

    PakFixture()
    {
        uint32_t seed = 12345;
        for (int i = 0; i < 48; ++i) {
            std::string bytes(64 * 1024, '\0');
            for (size_t k = 0; k < bytes.size(); ++k) {
                seed = seed * 1103515245u + 12345u;
                bytes[k] = static_cast<char>(k % 5 == 0 ? seed >> 24 : "local x = table.insert "[k % 23]);
            }
            std::string name = "assets.v1/scripts/bench/entry_" + std::to_string(i);
            items.push_back(PakItem{name, bytes});
            ids.push_back(HashName(name));
            totalBytes += bytes.size();

            uLongf length = compressBound(bytes.size());
            std::string packed(length, '\0');
            compress2(reinterpret_cast<Bytef*>(packed.data()), &length, reinterpret_cast<const Bytef*>(bytes.data()),
                      bytes.size(), Z_BEST_COMPRESSION);
            packed.resize(length);
            stored.push_back(packed);
        }
        path = (std::filesystem::temp_directory_path() / ("qm-archive-bench-" + std::to_string(getpid()) + ".pak"))
                   .string();
        std::string pak, error;
        BuildPak(items, PakLayout::EntryCompressed, pak, error);
        WriteWholeFile(path, pak);
    }
    ~PakFixture() { std::filesystem::remove(path); }
};

PakFixture& Fixture()
{
    static PakFixture fixture;
    return fixture;
}

void BM_ArchiveReadCompressedPak(benchmark::State& state)
{
    PakFixture& f = Fixture();
    ArchiveSystem archives;
    if (!archives.Mount(new ZEVArchive(f.path))) {
        state.SkipWithError("pak did not mount");
        return;
    }
    std::vector<char> buffer(64 * 1024);
    for (auto _ : state) {
        for (NameId id : f.ids) {
            std::unique_ptr<StreamIO> stream(archives.Open(id));
            benchmark::DoNotOptimize(stream->Read(buffer.data(), static_cast<uint32_t>(buffer.size())));
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * f.totalBytes);
}
BENCHMARK(BM_ArchiveReadCompressedPak);

void BM_ArchiveReadCompressedPak_Baseline(benchmark::State& state)
{
    PakFixture& f = Fixture();
    std::vector<Bytef> buffer(64 * 1024);
    for (auto _ : state) {
        for (const std::string& s : f.stored) {
            uLongf length = buffer.size();
            benchmark::DoNotOptimize(
                uncompress(buffer.data(), &length, reinterpret_cast<const Bytef*>(s.data()), s.size()));
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * f.totalBytes);
}
BENCHMARK(BM_ArchiveReadCompressedPak_Baseline);

} // namespace
