// The running application reading the keyboard: events go into SDL's own event queue
// (SDL_PushEvent), the message loop's PeekMessageA pumps them through the platform backend, and
// the tick polls the devices into the virtual pad. Under SDL's offscreen driver no window manager
// ever gives the window the focus, so the test pushes the focus event too.
#include "Platform/DInput8/DInput8.h"
#include "Support/GameHarness.h"
#include "System/Input/InputDevice.h"
#include "System/Input/InputSystem.h"

#include <gtest/gtest.h>

TEST(InputEndToEndTest, KeyboardEventsReachThePadThroughTheMessageLoop)
{
    GameHarness game;
    ASSERT_TRUE(game.Start(GameHarness::kDefaultSeed, /*focused=*/false));
    MainApp& app = game.App();
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
        case Focus: game.Focus(true); break;
        case Blur: game.Focus(false); break;
        case ADown: game.KeyDown(SDL_SCANCODE_SEMICOLON); break;
        case AUp: game.KeyUp(SDL_SCANCODE_SEMICOLON); break;
        case F12Down: game.KeyDown(SDL_SCANCODE_F12); break;
        case F12Up: game.KeyUp(SDL_SCANCODE_F12); break;
        }
        const uint32_t framesBefore = app.m_nFrameCount;
        game.Tick();
        EXPECT_EQ(app.m_nFrameCount, framesBefore + 1);
        EXPECT_EQ(pad->GetCurrentMask(), f.mask) << "frame " << n;
        EXPECT_EQ(pad->IsTriggered(a), f.triggered) << "frame " << n;
        EXPECT_EQ(pad->IsRepeated(a), f.repeated) << "frame " << n;
        EXPECT_EQ(pad->GetHoldCount(ePadButton_A), f.hold) << "frame " << n;
        EXPECT_EQ(keyboard->IsDown(DIK_F12), f.f12) << "frame " << n;
        ++n;
    }

    game.Shutdown();
    EXPECT_EQ(g_pInputSystem, nullptr);
}
