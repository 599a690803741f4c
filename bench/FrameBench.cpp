// A frame with nothing to draw. The render system's own tick (clear, begin, end, present) on a
// 960 x 540 window, against a bare OpenGL clear and swap of a window of the same size made
// through the same backend; and a 960 x 540 back buffer shown scaled in a 1280 x 720 window,
// against a bare clear of an offscreen framebuffer of that size copied scaled into the window.
// The case's time is the whole process's CPU per frame (the rasteriser's threads included); the
// counters add the submitting thread's CPU and the wall time. Every frame is finished on both
// sides, so that no frame's rendering is left running into the next one's timing.
#include "FrameClock.h"
#include "Platform/Backend/GLContext.h"
#include "Platform/Backend/Video.h"
#include "Platform/D3D9/D3D9.h"
#include "System/Graphics/D3D9RenderSystem.h"
#include "System/Graphics/IWindowProc.h"
#include "System/Graphics/RenderWindow.h"

#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

namespace {

constexpr int kWidth = 960, kHeight = 540;
constexpr int kScaledWidth = 1280, kScaledHeight = 720;

class NullWindowProc : public IWindowProc {
  public:
    LRESULT WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        return DefWindowProcA(hWnd, message, wParam, lParam);
    }
};

void BM_IdleFrame(benchmark::State& state)
{
    NullWindowProc proc;
    RenderWindow window;
    window.Create(&proc, "idle frame bench", kWidth, kHeight, false);
    auto* renderSystem = new D3D9RenderSystem;
    if (!window.GetHandle() || !renderSystem->Init(&window)) {
        state.SkipWithError("no render device");
    } else {
        FrameClock clock;
        for (auto _ : state) {
            clock.Start();
            renderSystem->Clear(0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0);
            renderSystem->BeginScene();
            renderSystem->EndScene();
            renderSystem->Present();
            glFinish();
            state.SetIterationTime(clock.Stop());
        }
        clock.Report(state);
    }
    delete renderSystem;
    window.Destroy();
    BackendShutdownVideo();
}
BENCHMARK(BM_IdleFrame)->Unit(benchmark::kMillisecond)->UseManualTime();

void BM_IdleFrame_Baseline(benchmark::State& state)
{
    NullWindowProc proc;
    RenderWindow window;
    window.Create(&proc, "idle frame bench baseline", kWidth, kHeight, false);
    if (!window.GetHandle() || !BackendGLAttach(window.GetHandle())) {
        state.SkipWithError("no OpenGL context");
    } else {
        FrameClock clock;
        for (auto _ : state) {
            clock.Start();
            glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            BackendGLSwap(window.GetHandle());
            glFinish();
            state.SetIterationTime(clock.Stop());
        }
        clock.Report(state);
    }
    window.Destroy();
    BackendShutdownVideo();
}
BENCHMARK(BM_IdleFrame_Baseline)->Unit(benchmark::kMillisecond)->UseManualTime();

void BM_ScaledIdleFrame(benchmark::State& state)
{
    NullWindowProc proc;
    RenderWindow window;
    window.Create(&proc, "scaled idle frame bench", kScaledWidth, kScaledHeight, false);
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    IDirect3DDevice9* device = nullptr;
    D3DPRESENT_PARAMETERS pp = {};
    pp.BackBufferWidth = kWidth;
    pp.BackBufferHeight = kHeight;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.BackBufferCount = 1;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.hDeviceWindow = window.GetHandle();
    pp.Windowed = TRUE;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D16;
    if (!window.GetHandle() || !d3d ||
        FAILED(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window.GetHandle(), D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp,
                                 &device))) {
        state.SkipWithError("no render device");
    } else {
        FrameClock clock;
        for (auto _ : state) {
            clock.Start();
            device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
            device->BeginScene();
            device->EndScene();
            device->Present(nullptr, nullptr, nullptr, nullptr);
            glFinish();
            state.SetIterationTime(clock.Stop());
        }
        clock.Report(state);
    }
    if (device)
        device->Release();
    if (d3d)
        d3d->Release();
    window.Destroy();
    BackendShutdownVideo();
}
BENCHMARK(BM_ScaledIdleFrame)->Unit(benchmark::kMillisecond)->UseManualTime();

void BM_ScaledIdleFrame_Baseline(benchmark::State& state)
{
    NullWindowProc proc;
    RenderWindow window;
    window.Create(&proc, "scaled idle frame bench baseline", kScaledWidth, kScaledHeight, false);
    if (!window.GetHandle() || !BackendGLAttach(window.GetHandle())) {
        state.SkipWithError("no OpenGL context");
    } else {
        GLuint framebuffer = 0, buffers[2] = {};
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glGenRenderbuffers(2, buffers);
        glBindRenderbuffer(GL_RENDERBUFFER, buffers[0]);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, kWidth, kHeight);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, buffers[0]);
        glBindRenderbuffer(GL_RENDERBUFFER, buffers[1]);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, kWidth, kHeight);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, buffers[1]);
        FrameClock clock;
        for (auto _ : state) {
            clock.Start();
            glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
            glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
            glClear(GL_COLOR_BUFFER_BIT);
            glBlitFramebuffer(0, 0, kWidth, kHeight, 0, 0, kScaledWidth, kScaledHeight, GL_COLOR_BUFFER_BIT,
                              GL_LINEAR);
            BackendGLSwap(window.GetHandle());
            glFinish();
            state.SetIterationTime(clock.Stop());
        }
        clock.Report(state);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteRenderbuffers(2, buffers);
        glDeleteFramebuffers(1, &framebuffer);
    }
    window.Destroy();
    BackendShutdownVideo();
}
BENCHMARK(BM_ScaledIdleFrame_Baseline)->Unit(benchmark::kMillisecond)->UseManualTime();

} // namespace
