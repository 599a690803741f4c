// The running application reading the keyboard: events go into SDL's own event queue
// (SDL_PushEvent), the message loop's PeekMessageA pumps them through the platform backend, and
// the tick polls the devices into the virtual pad. Under SDL's offscreen driver no window manager
// ever gives the window the focus, so the test pushes the focus event too.
#include "Platform/Backend/Video.h"
#include "InputTestSupport.h"
#include "Platform/DInput8/DInput8.h"
#include "Support/TempDir.h"
#include "System/Application/FramePacer.h"
#include "System/Application/MainApp.h"
#include "System/Application/RenderWindow.h"
#include "System/Input/InputDevice.h"
#include "System/Input/InputSystem.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <memory>

namespace {

class FakeClock : public IFrameClock {
  public:
    uint32_t Now() override { return now; }
    void Sleep(uint32_t milliseconds) override { now += milliseconds; }
    uint32_t now = 1000;
};

class InputEndToEndTest : public testing::Test {
  protected:
    void SetUp() override
    {
        // The window starts in the background, whatever focus earlier tests in this process gave.
        FeedFocus(false);
        m_Game.WriteFile("bin/.keep", "");
        m_pCwd = std::make_unique<ScopedCwd>(m_Game.File("bin"));
    }
    void TearDown() override
    {
        m_pCwd.reset();
        BackendShutdownVideo();
    }

    void PushWindowEvent(MainApp& app, SDL_WindowEventID id)
    {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.event = id;
        e.window.windowID = SDL_GetWindowID(BackendGetSDLWindow(app.m_pWindow->GetHandle()));
        ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
    }
    void PushKey(MainApp& app, SDL_Scancode scancode, bool down)
    {
        SDL_Event e{};
        e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.key.windowID = SDL_GetWindowID(BackendGetSDLWindow(app.m_pWindow->GetHandle()));
        e.key.keysym.scancode = scancode;
        e.key.keysym.sym = SDL_GetKeyFromScancode(scancode);
        ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
    }
    // One pass of the message loop: dispatch every pending message, then tick.
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
    FakeClock m_Clock;
};

} // namespace

TEST_F(InputEndToEndTest, KeyboardEventsReachThePadThroughTheMessageLoop)
{
    MainApp app;
    ASSERT_TRUE(app.Startup());
    delete app.m_pFramePacer;
    app.m_pFramePacer = new FramePacer(60, &m_Clock);
    ASSERT_NE(g_pInputSystem, nullptr);
    VirtualPad* pad = g_pInputSystem->GetPad(0);
    ASSERT_NE(pad, nullptr);
    InputDevice* keyboard = g_pInputSystem->GetDevice(0);
    const uint32_t a = 1u << ePadButton_A;

    // What goes into SDL's queue before each loop pass, and what the pad and keyboard then say.
    enum Push { Nothing, Focus, ADown, AUp, Blur, F12Down, F12Up };
    const struct {
        Push push;
        uint32_t mask;
        bool triggered, repeated;
        uint32_t hold;
        bool f12;
    } frames[] = {
        {ADown, 0, false, false, 0, false},   // in the background: nothing reaches the game
        {Focus, a, true, true, 1, false},     // activated: the held key now reads down
        {Nothing, a, false, false, 2, false}, // held: a hold, not a new trigger
        {Nothing, a, false, false, 3, false}, {F12Down, a, false, false, 4, true}, {AUp, 0, false, false, 0, true},
        {ADown, a, true, true, 1, true},      {Blur, 0, false, false, 0, false}, // deactivated: all up
        {F12Up, 0, false, false, 0, false},
    };
    int n = 0;
    for (const auto& f : frames) {
        switch (f.push) {
        case Nothing: break;
        case Focus: PushWindowEvent(app, SDL_WINDOWEVENT_FOCUS_GAINED); break;
        case Blur: PushWindowEvent(app, SDL_WINDOWEVENT_FOCUS_LOST); break;
        case ADown: PushKey(app, SDL_SCANCODE_SEMICOLON, true); break;
        case AUp: PushKey(app, SDL_SCANCODE_SEMICOLON, false); break;
        case F12Down: PushKey(app, SDL_SCANCODE_F12, true); break;
        case F12Up: PushKey(app, SDL_SCANCODE_F12, false); break;
        }
        const uint32_t framesBefore = app.m_nFrameCount;
        LoopOnce(app);
        EXPECT_EQ(app.m_nFrameCount, framesBefore + 1);
        EXPECT_EQ(pad->GetCurrentMask(), f.mask) << "frame " << n;
        EXPECT_EQ(pad->IsTriggered(a), f.triggered) << "frame " << n;
        EXPECT_EQ(pad->IsRepeated(a), f.repeated) << "frame " << n;
        EXPECT_EQ(pad->GetHoldCount(ePadButton_A), f.hold) << "frame " << n;
        EXPECT_EQ(keyboard->IsDown(DIK_F12), f.f12) << "frame " << n;
        ++n;
    }

    app.Shutdown();
    EXPECT_EQ(g_pInputSystem, nullptr);
}
