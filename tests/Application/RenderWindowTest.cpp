#include "System/Graphics/RenderWindow.h"

#include "Platform/Backend/Video.h"
#include "System/Graphics/IWindowProc.h"

#include <SDL.h>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

class RecordingProc : public IWindowProc {
  public:
    LRESULT WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        seen.push_back(message);
        return DefWindowProcA(hWnd, message, wParam, lParam);
    }
    std::vector<UINT> seen;
};

struct Geometry {
    int x, y, width, height;       // outer rectangle
    int clientWidth, clientHeight; // real client size
};

Geometry Measure(const RenderWindow& window)
{
    RECT outer = {}, client = {};
    GetWindowRect(window.GetHandle(), &outer);
    GetClientRect(window.GetHandle(), &client);
    return {outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top, client.right, client.bottom};
}

void ExpectGeometry(const Geometry& got, const Geometry& want, const std::string& what)
{
    EXPECT_EQ(got.x, want.x) << what;
    EXPECT_EQ(got.y, want.y) << what;
    EXPECT_EQ(got.width, want.width) << what;
    EXPECT_EQ(got.height, want.height) << what;
    EXPECT_EQ(got.clientWidth, want.clientWidth) << what;
    EXPECT_EQ(got.clientHeight, want.clientHeight) << what;
}

// The SDL window must cover exactly the client area.
void ExpectSdlCoversClient(const RenderWindow& window, const std::string& what)
{
    SDL_Window* sdl = BackendGetSDLWindow(window.GetHandle());
    ASSERT_NE(sdl, nullptr) << what;
    const Geometry g = Measure(window);
    RECT client = {0, 0, g.clientWidth, g.clientHeight};
    const DWORD style = static_cast<DWORD>(GetWindowLongA(window.GetHandle(), GWL_STYLE));
    AdjustWindowRect(&client, style, FALSE);
    int x, y, w, h;
    SDL_GetWindowPosition(sdl, &x, &y);
    SDL_GetWindowSize(sdl, &w, &h);
    EXPECT_EQ(x, g.x - client.left) << what;
    EXPECT_EQ(y, g.y - client.top) << what;
    EXPECT_EQ(w, g.clientWidth) << what;
    EXPECT_EQ(h, g.clientHeight) << what;
    // Only a popup over the whole screen is shown in the desktop's full-screen state.
    const bool coversScreen = !(style & WS_CAPTION) && g.x == 0 && g.y == 0 &&
                              g.clientWidth == GetSystemMetrics(SM_CXSCREEN) &&
                              g.clientHeight == GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ((SDL_GetWindowFlags(sdl) & SDL_WINDOW_FULLSCREEN_DESKTOP) == SDL_WINDOW_FULLSCREEN_DESKTOP, coversScreen)
        << what;
}

class RenderWindowTest : public testing::Test {
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(BackendInitVideo()) << BackendVideoError();
        m_nScreenWidth = GetSystemMetrics(SM_CXSCREEN);
        m_nScreenHeight = GetSystemMetrics(SM_CYSCREEN);
        ASSERT_GT(m_nScreenWidth, 976);
        ASSERT_GT(m_nScreenHeight, 579);
    }
    void TearDown() override { BackendShutdownVideo(); }

    int m_nScreenWidth = 0;
    int m_nScreenHeight = 0;
};

} // namespace

// The windowed frame adds 8 pixels on each side and a 23-pixel caption: 960 x 540 -> 976 x 579.
TEST_F(RenderWindowTest, PlacesTheWindowForEachModeAndToggle)
{
    const int sw = m_nScreenWidth, sh = m_nScreenHeight;
    const Geometry centred = {(sw - 976) / 2, (sh - 579) / 2, 976, 579, 960, 540};
    const Geometry fullScreen = {0, 0, sw, sh, sw, sh};
    struct Case {
        const char* name;
        int clientWidth, clientHeight;
        bool startFullScreen;
        Geometry created;
        Geometry toggled;
        Geometry toggledBack;
    } cases[] = {
        {"windowed, centred", 960, 540, false, centred, fullScreen, centred},
        {"full screen, back to the corner",
         960,
         540,
         true,
         {0, 0, 960, 540, 960, 540},
         {0, 0, 976, 579, 960, 540},
         fullScreen},
        // Larger than the screen: the outer window is clipped and the real client size is kept.
        {"clipped to the screen",
         sw + 100,
         sh + 50,
         false,
         {0, 0, sw, sh, sw - 16, sh - 39},
         fullScreen,
         {0, 0, sw, sh, sw - 16, sh - 39}},
    };
    for (const Case& c : cases) {
        RecordingProc proc;
        RenderWindow window;
        window.Create(&proc, "Geometry", c.clientWidth, c.clientHeight, c.startFullScreen);
        ASSERT_NE(window.GetHandle(), nullptr) << c.name;
        ExpectGeometry(Measure(window), c.created, std::string(c.name) + ": created");
        EXPECT_EQ(window.GetClientWidth(), c.created.clientWidth) << c.name;
        EXPECT_EQ(window.GetClientHeight(), c.created.clientHeight) << c.name;
        ExpectSdlCoversClient(window, c.name);

        window.SetFullScreen(!window.IsFullScreen());
        window.ApplyWindowMode();
        ExpectGeometry(Measure(window), c.toggled, std::string(c.name) + ": toggled");
        ExpectSdlCoversClient(window, c.name);

        window.SetFullScreen(!window.IsFullScreen());
        window.ApplyWindowMode();
        ExpectGeometry(Measure(window), c.toggledBack, std::string(c.name) + ": toggled back");
        ExpectSdlCoversClient(window, c.name);
        const DWORD style = static_cast<DWORD>(GetWindowLongA(window.GetHandle(), GWL_STYLE));
        EXPECT_EQ(style, c.startFullScreen ? kRenderWindowStyle_FullScreen : kRenderWindowStyle_Windowed) << c.name;
    }
}

TEST_F(RenderWindowTest, ProcedureSeesOnlyMessagesBetweenCreationAndDestruction)
{
    RecordingProc proc;
    RenderWindow window;
    window.Create(&proc, "Quillmark ver1.0.3", 960, 540, false);
    HWND hwnd = window.GetHandle();
    ASSERT_NE(hwnd, nullptr);
    EXPECT_TRUE(proc.seen.empty()); // creation messages went to the default procedure
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_EQ(GetFocus(), hwnd);
    EXPECT_STREQ(SDL_GetWindowTitle(BackendGetSDLWindow(hwnd)), "Quillmark ver1.0.3");

    SendMessageA(hwnd, WM_USER, 0, 0);
    EXPECT_EQ(proc.seen, std::vector<UINT>{WM_USER});

    proc.seen.clear();
    window.Destroy();
    EXPECT_EQ(window.GetHandle(), nullptr);
    EXPECT_EQ(window.GetIcon(), nullptr);
    EXPECT_EQ(proc.seen, (std::vector<UINT>{WM_DESTROY, WM_NCDESTROY}));
    proc.seen.clear();
    EXPECT_EQ(SendMessageA(hwnd, WM_USER, 0, 0), 0);
    EXPECT_TRUE(proc.seen.empty());
    window.Destroy(); // nothing left to destroy
}

TEST_F(RenderWindowTest, WindowClosedByItsMessageIsDestroyedOnceMore)
{
    RecordingProc proc;
    auto* window = new RenderWindow;
    window->Create(&proc, "t", 320, 200, false);
    HWND hwnd = window->GetHandle();
    ASSERT_NE(hwnd, nullptr);
    SendMessageA(hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(hwnd));
    proc.seen.clear();
    delete window; // its destructor meets a handle that is gone
    EXPECT_TRUE(proc.seen.empty());
}

TEST_F(RenderWindowTest, IconGoesToTheClassAndTheWindow)
{
    RecordingProc proc;
    RenderWindow window;
    // Without an icon of its own the window takes the executable's default icon.
    window.Create(&proc, "t", 320, 200, false);
    ASSERT_NE(window.GetIcon(), nullptr);
    EXPECT_EQ(SendMessageA(window.GetHandle(), WM_GETICON, ICON_BIG, 0), reinterpret_cast<LRESULT>(window.GetIcon()));

    HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(101));
    window.SetIcon(icon);
    EXPECT_EQ(SendMessageA(window.GetHandle(), WM_GETICON, ICON_BIG, 0), reinterpret_cast<LRESULT>(icon));
    EXPECT_EQ(SendMessageA(window.GetHandle(), WM_GETICON, ICON_SMALL, 0), reinterpret_cast<LRESULT>(icon));
}

TEST(RenderWindowNoDisplay, FailedCreationLeavesNoHandle)
{
    BackendShutdownVideo();
    const char* saved = std::getenv("SDL_VIDEODRIVER");
    const std::string previous = saved ? saved : "";
    setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
    RecordingProc proc;
    RenderWindow window;
    EXPECT_EQ(window.Create(&proc, "t", 960, 540, false), nullptr);
    EXPECT_EQ(window.GetHandle(), nullptr);
    EXPECT_FALSE(BackendVideoError().empty());
    if (saved)
        setenv("SDL_VIDEODRIVER", previous.c_str(), 1);
    else
        unsetenv("SDL_VIDEODRIVER");
}
