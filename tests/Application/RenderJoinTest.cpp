// The render system inside the application: made at start-up after the window, drawing each
// tick, resized by Alt+Enter, restored when lost, gone at shutdown; screenshots by local time.
#include "Platform/Backend/Video.h"
#include "Platform/D3D9/D3D9Testing.h"
#include "Platform/D3DX/ImageDecode.h"
#include "Support/TempDir.h"
#include "System/Application/FramePacer.h"
#include "System/Application/MainApp.h"
#include "System/Graphics/D3D9RenderSystem.h"
#include "System/Graphics/RenderWindow.h"

#include <SDL.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace {

TEST(Screenshot, FileNameFromTheLocalTime)
{
    struct Case {
        int year, month, day, hour, minute, second;
        const char* name;
    };
    const Case cases[] = {{2026, 12, 10, 9, 5, 7, "20261210-090507.png"},
                          {1999, 1, 1, 23, 59, 59, "19990101-235959.png"}};
    for (const Case& c : cases) {
        struct tm t = {};
        t.tm_year = c.year - 1900;
        t.tm_mon = c.month - 1;
        t.tm_mday = c.day;
        t.tm_hour = c.hour;
        t.tm_min = c.minute;
        t.tm_sec = c.second;
        EXPECT_EQ(ScreenshotFileName(t), c.name);
    }
}

class RenderJoinTest : public testing::Test {
  protected:
    void SetUp() override
    {
        m_Game.WriteFile("bin/.keep", "");
        m_pCwd = std::make_unique<ScopedCwd>(m_Game.File("bin"));
    }
    void TearDown() override
    {
        m_pCwd.reset();
        BackendShutdownVideo();
    }
    // Focus and F12 down reach the keyboard through the message loop, as a player's key does.
    void PushF12(MainApp& app)
    {
        const Uint32 id = SDL_GetWindowID(BackendGetSDLWindow(app.m_pWindow->GetHandle()));
        SDL_Event focus{};
        focus.type = SDL_WINDOWEVENT;
        focus.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
        focus.window.windowID = id;
        ASSERT_EQ(SDL_PushEvent(&focus), 1);
        SDL_Event key{};
        key.type = SDL_KEYDOWN;
        key.key.state = SDL_PRESSED;
        key.key.windowID = id;
        key.key.keysym.scancode = SDL_SCANCODE_F12;
        key.key.keysym.sym = SDL_GetKeyFromScancode(SDL_SCANCODE_F12);
        ASSERT_EQ(SDL_PushEvent(&key), 1);
    }
    void LoopOnce(MainApp& app)
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        app.Tick();
    }

    TempDir m_Game;
    std::unique_ptr<ScopedCwd> m_pCwd;
};

TEST_F(RenderJoinTest, StartupTickScreenshotAndShutdown)
{
    MainApp app;
    ASSERT_TRUE(app.Startup());
    ASSERT_NE(g_pD3D9RenderSystem, nullptr);
    IDirect3DDevice9* device = g_pD3D9RenderSystem->GetDevice();
    ASSERT_NE(device, nullptr);
    app.Tick();
    EXPECT_TRUE(g_pRenderSystem->IsDeviceReady());

    // F12: a PNG of the last finished frame, named YYYYMMDD-HHMMSS.png.
    PushF12(app);
    LoopOnce(app);
    std::string png;
    for (const auto& entry : std::filesystem::directory_iterator(m_Game.File("bin"))) {
        const std::string name = entry.path().filename().string();
        if (name.size() == 19 && name.substr(8, 1) == "-" && name.substr(15) == ".png")
            png = m_Game.ReadFile("bin/" + name);
    }
    DecodedImage image;
    std::string error;
    ASSERT_TRUE(DecodeImageFile(png.data(), png.size(), image, error)) << error;
    EXPECT_EQ(image.width, 960u);
    EXPECT_EQ(image.height, 540u);

    // A lost device is restored by the tick.
    D3D9ForceDeviceLoss(device, 1);
    app.Tick();
    EXPECT_TRUE(g_pRenderSystem->IsDeviceReady());

    // Alt+Enter resets the device to the desktop size.
    const LPARAM altEnter = 1 | (0x1C << 16) | (1 << 29);
    SendMessageA(app.m_pWindow->GetHandle(), WM_SYSKEYDOWN, VK_RETURN, altEnter);
    IDirect3DSurface9* back = nullptr;
    ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    D3DSURFACE_DESC desc;
    back->GetDesc(&desc);
    back->Release();
    EXPECT_EQ(desc.Width, g_pD3D9RenderSystem->GetAdapters()[0].desktopMode.Width);
    EXPECT_EQ(desc.Height, g_pD3D9RenderSystem->GetAdapters()[0].desktopMode.Height);
    app.Tick();

    app.Shutdown();
    EXPECT_EQ(g_pRenderSystem, nullptr);
    EXPECT_EQ(g_pD3D9RenderSystem, nullptr);
}

} // namespace
