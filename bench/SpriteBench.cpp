// 10,000 textured sprites a frame through the sprite batch on the Direct3D 9 stand-in, against
// SDL2's opengl render driver drawing the same with SDL_RenderGeometry. The case's time is the
// submitting thread's own CPU time to queue the sprites and issue every draw call (the driver's
// rendering threads and any wait for them are not counted); beside it, each frame, presented and
// finished (the driver idle again), is timed on the whole process's CPU clock and on the wall
// clock, so that the rasteriser's threads count too. Finishing every frame keeps one frame's
// timing from overlapping the previous frame's rendering.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <time.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "FrameClock.h"
#include "Platform/Backend/Video.h"
#include "System/Archive/ArchiveSystem.h"
#include "System/Archive/FileSystemArchive.h"
#include "System/Common/StreamIO.h"
#include "System/Graphics/D3D9RenderSystem.h"
#include "System/Graphics/D3D9Texture.h"
#include "System/Graphics/IWindowProc.h"
#include "System/Graphics/RenderWindow.h"
#include "System/Graphics/SpriteBatch.h"

namespace {

constexpr int kSprites = 10000;
constexpr int kTextureSize = 64;

struct SpriteParams {
    float x, y, scale, angle;
    int cell; // which 32 x 32 quarter of the texture
    uint32_t color;
};

const std::vector<SpriteParams>& Sprites()
{
    static std::vector<SpriteParams> sprites = [] {
        std::vector<SpriteParams> out;
        uint32_t seed = 2024;
        auto next = [&seed] {
            seed = seed * 1664525u + 1013904223u;
            return float(seed >> 8) / float(1u << 24);
        };
        for (int i = 0; i < kSprites; ++i)
            out.push_back({next() * 960.0f, next() * 540.0f, 0.5f + next(), next() * 6.283f, i & 3,
                           0xFF000000u | (uint32_t(next() * 0xFFFFFF) & 0xFFFFFF)});
        return out;
    }();
    return sprites;
}

std::vector<uint32_t> Texels()
{
    std::vector<uint32_t> texels(kTextureSize * kTextureSize);
    for (int y = 0; y < kTextureSize; ++y)
        for (int x = 0; x < kTextureSize; ++x)
            texels[size_t(y * kTextureSize + x)] = ((x / 8 + y / 8) & 1) ? 0xFFFFFFFFu : 0x80FFC040u;
    return texels;
}

std::string ReadSource(const std::string& rel)
{
    std::ifstream file(std::string(QM_SOURCE_DIR) + "/" + rel, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// Waits until the current OpenGL context has finished all its work (both sides draw through one).
// Looked up each time: the GL library may be unloaded between the two cases.
void FinishFrame()
{
    using FinishFn = void (*)();
    const auto finish = reinterpret_cast<FinishFn>(SDL_GL_GetProcAddress("glFinish"));
    if (finish)
        finish();
}

class NullWindowProc : public IWindowProc {
public:
    LRESULT WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        return DefWindowProcA(hWnd, message, wParam, lParam);
    }
};

// A game folder holding just the instancing shaders, mounted as the game mounts it.
struct ShaderFolder {
    std::filesystem::path root;
    ShaderFolder()
    {
        root = std::filesystem::temp_directory_path() / ("qm-sprite-bench-" + std::to_string(getpid()));
        std::filesystem::create_directories(root / "assets.v1/shaders");
        for (const char* name : {"instancing_vs.vsh", "instancing_ps.psh"}) {
            std::ofstream out(root / "assets.v1/shaders" / name, std::ios::binary);
            out << ReadSource(std::string("content/paks/shader/") + name);
        }
        delete g_pArchiveSystem;
        ArchiveSystem::GetInstance()->SetRoot(root.string());
        ArchiveSystem::GetInstance()->Mount(new FileSystemArchive("assets.v1/shaders"));
    }
    ~ShaderFolder()
    {
        delete g_pArchiveSystem;
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
};

void BM_SpriteFrame(benchmark::State& state)
{
    ShaderFolder folder;
    NullWindowProc proc;
    RenderWindow window;
    window.Create(&proc, "sprite bench", 960, 540, false);
    auto* renderSystem = new D3D9RenderSystem;
    if (!window.GetHandle() || !renderSystem->Init(&window)) {
        state.SkipWithError("no render device");
        delete renderSystem;
        return;
    }
    g_pSpriteBatch = new SpriteBatch;
    if (!g_pSpriteBatch->Initialize()) {
        state.SkipWithError("the sprite shaders did not build");
    } else {
        // The texture, decoded from a TGA in memory like every game texture.
        const std::vector<uint32_t> texels = Texels();
        std::string tga(18, '\0');
        tga[2] = 2;
        tga[12] = char(kTextureSize);
        tga[14] = char(kTextureSize);
        tga[16] = 32;
        tga[17] = 0x28;
        tga.append(reinterpret_cast<const char*>(texels.data()), texels.size() * 4);
        void* copy = std::malloc(tga.size());
        std::memcpy(copy, tga.data(), tga.size());
        auto* stream = new MemoryStreamIO;
        stream->Init(copy, uint32_t(tga.size()), true, true);
        stream->SetNameId(HashName("assets.v1/2d/sprites/bench"));
        ITexture* texture = renderSystem->CreateTexture();
        texture->LoadFromMemory(stream, 0, 0, 0, eTextureFormat_A8R8G8B8);

        const std::vector<SpriteParams>& sprites = Sprites();
        double queueing = 0.0;
        FrameClock clock;
        for (auto _ : state) {
            clock.Start();
            renderSystem->BeginScene();
            for (const SpriteParams& s : sprites)
                g_pSpriteBatch->DrawRect(texture, s.x, s.y, 32.0f, 32.0f, 0.0f, 0.0f, float((s.cell & 1) * 32),
                                         float((s.cell >> 1) * 32), 32.0f, 32.0f, s.scale, s.scale, s.angle, s.color,
                                         1.0f);
            queueing += clock.ThreadSinceStart();
            g_pSpriteBatch->Render();
            renderSystem->EndScene();
            state.SetIterationTime(clock.ThreadSinceStart());
            renderSystem->Present();
            FinishFrame();
            clock.Stop();
        }
        clock.Report(state);
        state.counters["draws/frame"] = double(g_pSpriteBatch->GetLastDrawCalls());
        state.counters["per_sprite"] =
            benchmark::Counter(kSprites, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
        // The batch's own share: queuing the sprites, before any draw call.
        state.counters["queue_per_sprite"] = queueing / double(state.iterations()) / kSprites;
        delete texture;
    }
    SpriteBatch::Destroy(g_pSpriteBatch);
    delete renderSystem;
    window.Destroy();
    BackendShutdownVideo();
}
BENCHMARK(BM_SpriteFrame)->Unit(benchmark::kMillisecond)->UseManualTime();

// The same frame through SDL2's opengl render driver: each sprite's four corners transformed
// on the CPU (pivot, scale, turn), one SDL_RenderGeometry call for all of them, then a flush,
// with the texture blended and filtered bilinearly as the sprite batch does.
// With the render driver named, SDL's batching is off unless asked for: without it the draw
// happens inside SDL_RenderGeometry, with it SDL_RenderFlush issues the queued draw.
void SpriteFrameThroughSDL(benchmark::State& state, bool batching)
{
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "opengl");
    SDL_SetHint(SDL_HINT_RENDER_BATCHING, batching ? "1" : "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        state.SkipWithError(SDL_GetError());
        return;
    }
    SDL_Window* window = SDL_CreateWindow("sprite bench baseline", 0, 0, 960, 540, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    SDL_Renderer* renderer = window ? SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED) : nullptr;
    SDL_RendererInfo info{};
    if (!renderer || SDL_GetRendererInfo(renderer, &info) != 0 || std::strcmp(info.name, "opengl") != 0) {
        state.SkipWithError("SDL's opengl render driver is not available");
    } else {
        const std::vector<uint32_t> texels = Texels();
        SDL_Texture* texture =
            SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, kTextureSize, kTextureSize);
        SDL_UpdateTexture(texture, nullptr, texels.data(), kTextureSize * 4);
        SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
        // Filtered like the sprite batch's textures (SDL's default is nearest), so that both
        // sides draw the same image.
        SDL_SetTextureScaleMode(texture, SDL_ScaleModeLinear);

        const std::vector<SpriteParams>& sprites = Sprites();
        std::vector<SDL_Vertex> vertices(size_t(kSprites) * 4);
        std::vector<int> indices(size_t(kSprites) * 6);
        for (int i = 0; i < kSprites; ++i) {
            const int quad[6] = {0, 1, 2, 2, 1, 3};
            for (int k = 0; k < 6; ++k)
                indices[size_t(i) * 6 + size_t(k)] = i * 4 + quad[k];
        }
        const float texel = 1.0f / float(kTextureSize);
        FrameClock clock;
        for (auto _ : state) {
            clock.Start();
            SDL_Vertex* v = vertices.data();
            for (const SpriteParams& s : sprites) {
                const float c = std::cos(s.angle), sn = std::sin(s.angle);
                const float u0 = float((s.cell & 1) * 32) * texel, v0 = float((s.cell >> 1) * 32) * texel;
                const SDL_Color color{Uint8(s.color >> 16), Uint8(s.color >> 8), Uint8(s.color), Uint8(s.color >> 24)};
                for (int k = 0; k < 4; ++k) {
                    const float px = (float(k & 1) - 0.5f) * 32.0f * s.scale;
                    const float py = (float(k >> 1) - 0.5f) * 32.0f * s.scale;
                    v[k].position = {px * c - py * sn + s.x, px * sn + py * c + s.y};
                    v[k].color = color;
                    v[k].tex_coord = {u0 + float(k & 1) * 32.0f * texel, v0 + float(k >> 1) * 32.0f * texel};
                }
                v += 4;
            }
            SDL_RenderGeometry(renderer, texture, vertices.data(), kSprites * 4, indices.data(), kSprites * 6);
            SDL_RenderFlush(renderer);
            state.SetIterationTime(clock.ThreadSinceStart());
            SDL_RenderPresent(renderer);
            FinishFrame();
            clock.Stop();
        }
        clock.Report(state);
        state.counters["draws/frame"] = 1.0;
        state.counters["per_sprite"] =
            benchmark::Counter(kSprites, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
        SDL_DestroyTexture(texture);
    }
    if (renderer)
        SDL_DestroyRenderer(renderer);
    if (window)
        SDL_DestroyWindow(window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    SDL_ResetHint(SDL_HINT_RENDER_BATCHING);
}

void BM_SpriteFrame_Baseline(benchmark::State& state)
{
    SpriteFrameThroughSDL(state, false);
}
BENCHMARK(BM_SpriteFrame_Baseline)->Unit(benchmark::kMillisecond)->UseManualTime();

void BM_SpriteFrame_Baseline_Batched(benchmark::State& state)
{
    SpriteFrameThroughSDL(state, true);
}
BENCHMARK(BM_SpriteFrame_Baseline_Batched)->Unit(benchmark::kMillisecond)->UseManualTime();

} // namespace
