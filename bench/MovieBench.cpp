// Movie frames: decoding, converting and uploading one 960 x 540 frame of the demo title
// movie into the player's render-target texture (written as the player does, on a device of a
// hidden window), against the frame's duration at 30 and at 60 frames per second
// (the baselines take exactly one frame's time, so the ratio is the share of the frame the
// work needs; below 1 keeps up). Also the colour conversion alone, and the hand-over of a
// converted frame to the texture, each against copying the same bytes.
#include "Platform/Backend/Video.h"
#include "System/Archive/ZEVArchive.h"
#include "System/Common/StreamIO.h"
#include "System/Graphics/D3D9RenderSystem.h"
#include "System/Graphics/D3D9Texture.h"
#include "System/Graphics/IWindowProc.h"
#include "System/Graphics/RenderWindow.h"
#include "System/Movie/MovieDecoder.h"
#include "System/Movie/YuvConverter.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

void SeekToStart(void* stream)
{
    static_cast<StreamIO*>(stream)->Seek(0);
}

size_t ReadStream(void* buffer, size_t size, size_t count, void* stream)
{
    return static_cast<StreamIO*>(stream)->Read(buffer, static_cast<uint32_t>(size * count)) / size;
}

// The demo title movie (960 x 540 picture) straight from the game folder's movie pak.
struct TitleMovie {
    std::unique_ptr<StreamIO> stream;
    MovieStream movie;
    bool ok = false;

    TitleMovie()
    {
        ZEVArchive pak(QM_GAME_DIR "/data/movie.pak");
        if (!pak.Open())
            return;
        stream.reset(pak.OpenEntry(HashName("assets.v1/movies/title"), true));
        ok = stream && movie.Open(stream.get(), ReadStream, nullptr, "title");
    }
};

class HiddenProc : public IWindowProc {
  public:
    LRESULT WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        return DefWindowProcA(hWnd, message, wParam, lParam);
    }
};

// A render system on a hidden 960 x 540 window.
struct Device {
    HiddenProc proc;
    RenderWindow window;
    D3D9RenderSystem* render = nullptr;
    bool ok = false;

    Device()
    {
        if (!BackendInitVideo() || window.Create(&proc, "movie bench", 960, 540, false) == nullptr)
            return;
        render = new D3D9RenderSystem;
        ok = render->Init(&window);
    }
    ~Device()
    {
        delete render;
        window.Destroy();
        BackendShutdownVideo();
    }
};

void MovieFrame(benchmark::State& state)
{
    TitleMovie title;
    if (!title.ok) {
        state.SkipWithError("the demo movie pak is missing (build the content first)");
        return;
    }
    Device device;
    if (!device.ok) {
        state.SkipWithError("no Direct3D device (SDL_VIDEODRIVER=offscreen needs Mesa)");
        return;
    }
    const th_info& info = title.movie.GetVideoInfo();
    const size_t bytes = size_t(info.frame_width) * info.frame_height * 4;
    std::vector<uint8_t, std::allocator<uint8_t>> slot(bytes + 16);
    uint8_t* pixels = slot.data() + (16 - reinterpret_cast<uintptr_t>(slot.data()) % 16) % 16;
    std::unique_ptr<ITexture> texture(g_pRenderSystem->CreateTexture());
    texture->Create(info.frame_width, info.frame_height, eTextureUsage_RenderTarget, eTextureFormat_A8R8G8B8);
    // The device's first lock and upload set up its transfer path: not part of a frame's cost.
    if (void* warm = texture->LockAll(eLockMode_Write))
        std::memset(warm, 0, bytes);
    texture->Unlock();
    for (auto _ : state) {
        int32_t number;
        bool repeat;
        // Timed by hand so that the case and its baseline are reported alike.
        const auto start = std::chrono::steady_clock::now();
        if (!title.movie.DecodeVideoFrame(number, repeat, pixels)) {
            // The end of the movie: loop it (not timed) and decode the first frame again.
            title.movie.Rewind(SeekToStart);
            const auto restart = std::chrono::steady_clock::now();
            title.movie.DecodeVideoFrame(number, repeat, pixels);
            state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - restart).count());
            continue;
        }
        // The upload: the player writes each new picture into the whole texture (a repeat leaves it).
        if (!repeat)
            texture->WritePixels(0, uint32_t(bytes), pixels);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    state.counters["frame_w"] = info.frame_width;
    state.counters["frame_h"] = info.frame_height;
}

void FrameDuration(benchmark::State& state, double seconds)
{
    for (auto _ : state)
        state.SetIterationTime(seconds);
}

void BM_MovieFrameAt30fps(benchmark::State& state)
{
    MovieFrame(state);
}
void BM_MovieFrameAt30fps_Baseline(benchmark::State& state)
{
    FrameDuration(state, 1.0 / 30.0);
}
void BM_MovieFrameAt60fps(benchmark::State& state)
{
    MovieFrame(state);
}
void BM_MovieFrameAt60fps_Baseline(benchmark::State& state)
{
    FrameDuration(state, 1.0 / 60.0);
}

BENCHMARK(BM_MovieFrameAt30fps)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MovieFrameAt30fps_Baseline)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MovieFrameAt60fps)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MovieFrameAt60fps_Baseline)->UseManualTime()->Unit(benchmark::kMillisecond);

// Handing one decoded 960 x 544 frame to the player's texture as the player does (the whole
// texture written from the frame's ring slot and uploaded to the device), against copying the
// frame's bytes once: the hand-over's cost in copies.
void BM_MovieFrameHandOver(benchmark::State& state)
{
    Device device;
    if (!device.ok) {
        state.SkipWithError("no Direct3D device (SDL_VIDEODRIVER=offscreen needs Mesa)");
        return;
    }
    constexpr uint32_t kWidth = 960, kHeight = 544;
    std::vector<uint8_t> frame(size_t(kWidth) * kHeight * 4);
    for (size_t i = 0; i < frame.size(); ++i)
        frame[i] = uint8_t(i * 7 + i / 4096);
    std::unique_ptr<ITexture> texture(g_pRenderSystem->CreateTexture());
    texture->Create(kWidth, kHeight, eTextureUsage_RenderTarget, eTextureFormat_A8R8G8B8);
    texture->WritePixels(0, uint32_t(frame.size()), frame.data());
    for (auto _ : state)
        texture->WritePixels(0, uint32_t(frame.size()), frame.data());
}

void BM_MovieFrameHandOver_Baseline(benchmark::State& state)
{
    std::vector<uint8_t> frame(size_t(960) * 544 * 4, 7), copy(frame.size());
    for (auto _ : state) {
        std::memcpy(copy.data(), frame.data(), frame.size());
        benchmark::DoNotOptimize(copy.data());
    }
}

BENCHMARK(BM_MovieFrameHandOver)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MovieFrameHandOver_Baseline)->Unit(benchmark::kMicrosecond);

// 960 x 544 planes of varied samples.
struct Planes {
    static constexpr int kWidth = 960, kHeight = 544;
    std::vector<uint8_t> y, cb, cr;
    uint8_t* out;
    std::vector<uint8_t> outStorage;

    Planes() : y(size_t(kWidth) * kHeight), cb(size_t(kWidth / 2) * (kHeight / 2)), cr(cb.size())
    {
        uint32_t seed = 99;
        for (auto* plane : {&y, &cb, &cr})
            for (uint8_t& v : *plane) {
                seed = seed * 1664525u + 1013904223u;
                v = uint8_t(seed >> 24);
            }
        outStorage.resize(size_t(kWidth) * kHeight * 4 + 16);
        out = outStorage.data() + (16 - reinterpret_cast<uintptr_t>(outStorage.data()) % 16) % 16;
    }
};

void BM_YuvToBgra(benchmark::State& state)
{
    Planes p;
    for (auto _ : state) {
        YuvToBgra(p.out, Planes::kWidth * 4, p.y.data(), Planes::kWidth, p.cb.data(), p.cr.data(), Planes::kWidth / 2,
                  Planes::kWidth, Planes::kHeight);
        benchmark::DoNotOptimize(p.out);
    }
}

// Copying a converted frame's worth of bytes: the floor for writing the pixels at all.
void BM_YuvToBgra_Baseline(benchmark::State& state)
{
    Planes p;
    std::vector<uint8_t> source(size_t(Planes::kWidth) * Planes::kHeight * 4, 7);
    for (auto _ : state) {
        std::memcpy(p.out, source.data(), source.size());
        benchmark::DoNotOptimize(p.out);
    }
}

BENCHMARK(BM_YuvToBgra)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_YuvToBgra_Baseline)->Unit(benchmark::kMicrosecond);

} // namespace
