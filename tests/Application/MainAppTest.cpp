#include "System/Application/MainApp.h"

#include "Platform/Backend/Video.h"
#include "Support/TempDir.h"
#include "System/Application/FramePacer.h"
#include "System/Common/GameSettings.h"
#include "System/Graphics/RenderWindow.h"

#include <SDL.h>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

class FakeClock : public IFrameClock {
  public:
    uint32_t Now() override { return now; }
    void Sleep(uint32_t milliseconds) override { now += milliseconds; }
    uint32_t now = 5000;
};

class ActivateRecorder : public IEventHandler {
  public:
    bool HandleEvent(IEvent* event) override
    {
        if (event->GetTypeId() == EvtWinMsgActivate::TypeId())
            wParams.push_back(static_cast<EvtWinMsgActivate*>(event)->m_wParam);
        return false;
    }
    std::vector<WPARAM> wParams;
};

std::string UserName()
{
    char name[UNLEN + 1];
    DWORD size = sizeof name;
    return GetUserNameA(name, &size) ? name : "";
}

// The game runs from <game>/bin; the settings go to <game>/userdata/<user>/.
class MainAppTest : public testing::Test {
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

    std::string SettingsText() const { return m_Game.ReadFile("userdata/" + UserName() + "/QMPref.ini"); }

    // Starts the application and swaps its frame pacer for one on a clock the test controls.
    void Start(MainApp& app)
    {
        ASSERT_TRUE(app.Startup());
        ASSERT_NE(app.m_pWindow->GetHandle(), nullptr);
        delete app.m_pFramePacer;
        app.m_pFramePacer = new FramePacer(60, &m_Clock);
    }

    // Lets one frame pass, so that a reset shows as an elapsed time of 0.
    void RunOneFrame(MainApp& app)
    {
        app.m_pFramePacer->Wait();
        ASSERT_NE(app.m_pFramePacer->GetElapsed(), 0u);
    }

    TempDir m_Game;
    std::unique_ptr<ScopedCwd> m_pCwd;
    FakeClock m_Clock;
};

} // namespace

TEST_F(MainAppTest, PauseMessagesRestartTheFrameClock)
{
    MainApp app;
    Start(app);
    HWND hwnd = app.m_pWindow->GetHandle();
    struct Case {
        const char* name;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        bool resets;
    } cases[] = {
        {"activated", WM_ACTIVATE, WA_ACTIVE, 0, true},
        {"activated by a click", WM_ACTIVATE, WA_CLICKACTIVE, 0, true},
        {"activated while minimised", WM_ACTIVATE, WA_ACTIVE | 0x10000, 0, true},
        {"deactivated", WM_ACTIVATE, WA_INACTIVE, 0, false},
        {"application activated", WM_ACTIVATEAPP, 1, 0, true},
        {"application deactivated", WM_ACTIVATEAPP, 0, 0, false},
        {"end of move or size", WM_EXITSIZEMOVE, 0, 0, true},
        {"Enter without Alt", WM_SYSKEYDOWN, VK_RETURN, 1, false},
        {"other message", WM_USER, 0, 0, false},
    };
    for (const Case& c : cases) {
        RunOneFrame(app);
        SendMessageA(hwnd, c.message, c.wParam, c.lParam);
        EXPECT_EQ(app.m_pFramePacer->GetElapsed() == 0, c.resets) << c.name;
    }
    EXPECT_FALSE(app.m_pWindow->IsFullScreen());
    app.Shutdown();
}

TEST_F(MainAppTest, AltEnterSwitchesTheDisplayAndTheSavedSetting)
{
    MainApp app;
    Start(app);
    HWND hwnd = app.m_pWindow->GetHandle();
    const LPARAM altEnter = 1 | (0x1C << 16) | (1 << 29);

    RunOneFrame(app);
    SendMessageA(hwnd, WM_SYSKEYDOWN, VK_RETURN, altEnter);
    EXPECT_TRUE(app.m_pWindow->IsFullScreen());
    EXPECT_TRUE(app.m_pSettings->m_bFullScreen);
    EXPECT_EQ(app.m_pFramePacer->GetElapsed(), 0u);
    RECT client;
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(client.bottom, GetSystemMetrics(SM_CYSCREEN));

    // The cursor is hidden in full screen and shown in a window.
    EXPECT_EQ(SendMessageA(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), HTCLIENT), 1);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);

    SendMessageA(hwnd, WM_SYSKEYDOWN, VK_RETURN, altEnter | (1 << 30)); // a held key toggles again
    EXPECT_FALSE(app.m_pWindow->IsFullScreen());
    EXPECT_FALSE(app.m_pSettings->m_bFullScreen);
    EXPECT_EQ(SendMessageA(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), HTCLIENT), 1);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);

    SendMessageA(hwnd, WM_SYSKEYDOWN, VK_RETURN, altEnter);
    app.Shutdown();
    EXPECT_NE(SettingsText().find("FullScreen=1"), std::string::npos) << SettingsText();
}

TEST_F(MainAppTest, ScreensaverRequestsFollowTheSetting)
{
    MainApp app;
    Start(app);
    HWND hwnd = app.m_pWindow->GetHandle();
    struct Case {
        bool disable;
        WPARAM command;
        LRESULT expected;
    } cases[] = {
        {true, SC_SCREENSAVE, 1},
        {true, SC_MONITORPOWER, 1},
        {true, SC_SCREENSAVE | 0x2, 1},
        {true, SC_MONITORPOWER | 0x1, 1},
        {false, SC_SCREENSAVE, 0},
        {false, SC_MONITORPOWER, 0},
        {true, 0xF020, 0}, // minimise: not ours to refuse
    };
    for (const Case& c : cases) {
        app.m_pSettings->m_bDisableScreensaver = c.disable;
        EXPECT_EQ(SendMessageA(hwnd, WM_SYSCOMMAND, c.command, 0), c.expected) << std::hex << c.command << c.disable;
    }
    app.Shutdown();
}

TEST_F(MainAppTest, ActivationReachesTheEventHandlers)
{
    MainApp app;
    Start(app);
    ActivateRecorder recorder;
    app.GetEventManager()->Register(&recorder);
    SendMessageA(app.m_pWindow->GetHandle(), WM_ACTIVATE, WA_CLICKACTIVE, 0);
    SendMessageA(app.m_pWindow->GetHandle(), WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_EQ(recorder.wParams, (std::vector<WPARAM>{WA_CLICKACTIVE, WA_INACTIVE}));
    app.GetEventManager()->Unregister(&recorder);
    app.Shutdown();
}

TEST_F(MainAppTest, QuitSentToTheWindowHidesIt)
{
    MainApp app;
    Start(app);
    HWND hwnd = app.m_pWindow->GetHandle();
    SendMessageA(hwnd, WM_SYSKEYDOWN, VK_RETURN, 1 << 29); // full screen: topmost popup
    EXPECT_EQ(SendMessageA(hwnd, WM_QUIT, 0, 0), 0);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)), static_cast<DWORD>(WS_POPUP));
    EXPECT_TRUE(SDL_GetWindowFlags(BackendGetSDLWindow(hwnd)) & SDL_WINDOW_HIDDEN);
    app.Shutdown();
}

TEST_F(MainAppTest, HandlersLeaveAbsentServicesAlone)
{
    MainApp app; // nothing started
    HWND none = nullptr;
    struct Case {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        LRESULT expected;
    } cases[] = {
        {WM_ACTIVATE, WA_ACTIVE, 0, 0}, {WM_ACTIVATEAPP, 1, 0, 0},
        {WM_EXITSIZEMOVE, 0, 0, 0},     {WM_SYSKEYDOWN, VK_RETURN, 1 << 29, 0},
        {WM_SETCURSOR, 0, HTCLIENT, 1}, {WM_SYSCOMMAND, SC_SCREENSAVE, 0, 0},
        {WM_CREATE, 0, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(app.WindowProc(none, c.message, c.wParam, c.lParam), c.expected) << std::hex << c.message;
    app.Shutdown();
}

TEST_F(MainAppTest, TickCountsFramesAndScalesTheFrameTime)
{
    MainApp app;
    Start(app);
    struct Case {
        float timeScale;
        uint32_t workMs; // time spent in the frame before the next tick
        float rawSeconds;
        float scaledSeconds;
    } cases[] = {
        {1.0f, 0, 0.016f, 0.016f},  // the 16, 17, 16, 17, 17 targets
        {0.5f, 5, 0.017f, 0.0085f}, // work inside the period is slept off
        {2.0f, 30, 0.030f, 0.060f}, // a late frame is measured as it was
        {0.0f, 0, 0.017f, 0.0f},
        {1.0f, 400, 0.1f, 0.1f}, // a hitch is played as a tenth of a second
        {0.5f, 250, 0.1f, 0.05f},
    };
    uint32_t frame = app.m_nFrameCount;
    app.m_pFramePacer->Reset();
    for (const Case& c : cases) {
        m_Clock.now += c.workMs;
        app.m_fTimeScale = c.timeScale;
        app.Tick();
        EXPECT_EQ(app.m_nFrameCount, ++frame);
        EXPECT_FLOAT_EQ(app.m_fRawDeltaTime, c.rawSeconds) << c.timeScale;
        EXPECT_FLOAT_EQ(app.m_fDeltaTime, c.scaledSeconds) << c.timeScale;
    }
    app.Shutdown();
}

TEST_F(MainAppTest, ClosingTheWindowEndsTheLoopAndShutdownWritesTheSettings)
{
    MainApp app;
    Start(app);
    PostMessageA(app.m_pWindow->GetHandle(), WM_CLOSE, 0, 0);
    app.Run();
    EXPECT_FALSE(IsWindow(app.m_pWindow->GetHandle()));
    app.Shutdown();
    EXPECT_EQ(app.m_pWindow, nullptr);
    EXPECT_EQ(app.m_pFramePacer, nullptr);
    EXPECT_EQ(app.m_pSettings, nullptr);
    const std::string ini = SettingsText();
    EXPECT_NE(ini.find("GAMEPAD_1_SELECT="), std::string::npos) << ini;
}

TEST_F(MainAppTest, WithoutAWindowTheProgramStopsWithAnError)
{
    BackendShutdownVideo();
    const char* saved = std::getenv("SDL_VIDEODRIVER");
    const std::string previous = saved ? saved : "";
    setenv("SDL_VIDEODRIVER", "no-such-driver", 1);

    testing::internal::CaptureStdout();
    const int result = RunApplication();
    const std::string out = testing::internal::GetCapturedStdout();
    if (saved)
        setenv("SDL_VIDEODRIVER", previous.c_str(), 1);
    else
        unsetenv("SDL_VIDEODRIVER");

    EXPECT_EQ(result, 1);
    EXPECT_NE(out.find(":ERROR:"), std::string::npos) << out;
    EXPECT_NE(out.find("game window could not be created"), std::string::npos) << out;
    // What did start was shut down: the settings were written back.
    EXPECT_NE(SettingsText().find("[GameConfig]"), std::string::npos);
}

namespace {

// A loop-only application: each tick runs the test's script for that tick.
class LoopApp : public Application {
  public:
    bool Startup() override { return true; }
    void Shutdown() override {}
    void Tick() override
    {
        ++ticks;
        if (onTick)
            onTick(ticks);
    }
    LRESULT WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message >= WM_USER)
            seen.push_back(message - WM_USER);
        return Application::WindowProc(hWnd, message, wParam, lParam);
    }
    int ticks = 0;
    std::function<void(int)> onTick;
    std::vector<UINT> seen;
};

} // namespace

TEST_F(MainAppTest, LoopDispatchesWhatFollowsTheQuitMessageAndTicksNoMore)
{
    ASSERT_TRUE(BackendInitVideo());
    LoopApp app;
    RenderWindow window;
    window.Create(&app, "loop", 320, 200, false);
    HWND hwnd = window.GetHandle();
    ASSERT_NE(hwnd, nullptr);
    app.onTick = [&](int tick) {
        PostMessageA(hwnd, WM_USER + tick, 0, 0);
        if (tick == 3) {
            app.Quit();
            PostMessageA(hwnd, WM_USER + 10, 0, 0);
        }
    };
    app.Run();
    EXPECT_EQ(app.ticks, 3);
    EXPECT_EQ(app.seen, (std::vector<UINT>{1, 2, 3, 10}));
}
