// The end-to-end harness itself: the promises every later end-to-end test builds on.
#include "Platform/Backend/Input.h"
#include "Platform/Backend/Video.h"
#include "Support/GameHarness.h"
#include "System/Archive/ArchiveSystem.h"
#include "System/Common/NameHash.h"
#include "System/Common/Random.h"
#include "System/Common/StreamIO.h"
#include "System/Graphics/RenderWindow.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string ReadArchiveEntry(const std::string& name)
{
    StreamIO* stream = g_pArchiveSystem ? g_pArchiveSystem->Open(HashName(name)) : nullptr;
    if (!stream)
        return "<none>";
    std::string bytes(stream->GetSize(), '\0');
    stream->Read(bytes.data(), static_cast<uint32_t>(bytes.size()));
    delete stream;
    return bytes;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

TEST(GameHarnessTest, EveryTickIsOneEqualStepOfTheClock)
{
    GameHarness game;
    ASSERT_TRUE(game.Start());
    for (int i = 0; i < 12; ++i) {
        const uint32_t before = game.App().m_nFrameCount;
        game.Tick();
        EXPECT_EQ(game.App().m_nFrameCount, before + 1);
        EXPECT_EQ(game.App().m_fRawDeltaTime, GameHarness::kStepMilliseconds / 1000.0f) << "tick " << i;
    }
    EXPECT_EQ(game.TickCount(), 12);
}

TEST(GameHarnessTest, SeededRunsDrawTheSameNumbers)
{
    std::vector<uint32_t> draws[2];
    for (std::vector<uint32_t>& run : draws) {
        GameHarness game;
        ASSERT_TRUE(game.Start(7));
        game.Tick();
        for (int i = 0; i < 8; ++i)
            run.push_back(RandomNext());
    }
    EXPECT_EQ(draws[0], draws[1]);
}

// On a shared X display the tests' windows take the focus from one another, and the window
// system's focus and key events would then let go of the keys a test holds. The harness alone
// gives the game its focus and keys; whatever else arrives in SDL's queue does not reach it.
TEST(GameHarnessTest, OnlyTheHarnessGivesTheGameItsFocusAndKeys)
{
    struct Case {
        const char* what;
        uint32_t type;
        int32_t detail; // the window event, or the scancode
    };
    const Case cases[] = {
        {"the window system takes the focus away", SDL_WINDOWEVENT, SDL_WINDOWEVENT_FOCUS_LOST},
        {"a key held by the test is let go", SDL_KEYUP, SDL_SCANCODE_RIGHT},
        {"a key the test never pressed goes down", SDL_KEYDOWN, SDL_SCANCODE_Z},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GameHarness game;
        ASSERT_TRUE(game.Start());
        game.KeyDown(SDL_SCANCODE_RIGHT);
        game.Tick();
        ASSERT_TRUE(BackendInputHasFocus());
        const uint32_t window = SDL_GetWindowID(BackendGetSDLWindow(game.App().m_pWindow->GetHandle()));
        SDL_Event e{};
        e.type = c.type;
        if (c.type == SDL_WINDOWEVENT) {
            e.window.event = static_cast<uint8_t>(c.detail);
            e.window.windowID = window;
        } else {
            e.key.state = c.type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
            e.key.windowID = window;
            e.key.keysym.scancode = static_cast<SDL_Scancode>(c.detail);
        }
        SDL_PushEvent(&e);
        game.Tick();
        EXPECT_TRUE(BackendInputHasFocus());
        uint8_t keys[256] = {};
        BackendInputGetKeys(keys);
        EXPECT_EQ(keys[BackendScancodeToDik(SDL_SCANCODE_RIGHT)], 0x80);
        EXPECT_EQ(keys[BackendScancodeToDik(SDL_SCANCODE_Z)], 0);
        // What the harness itself queues still arrives.
        game.KeyUp(SDL_SCANCODE_RIGHT);
        game.Focus(false);
        game.Tick();
        BackendInputGetKeys(keys);
        EXPECT_EQ(keys[BackendScancodeToDik(SDL_SCANCODE_RIGHT)], 0);
        EXPECT_FALSE(BackendInputHasFocus());
    }
}

TEST(GameHarnessTest, TickUntilStopsAtTheConditionOrFailsAtTheLimit)
{
    GameHarness game;
    ASSERT_TRUE(game.Start());
    const uint32_t start = game.App().m_nFrameCount;
    // Already true: no tick is spent.
    EXPECT_TRUE(game.TickUntil([] { return true; }, "at once"));
    EXPECT_EQ(game.TickCount(), 0);
    EXPECT_TRUE(game.TickUntil([&] { return game.App().m_nFrameCount == start + 5; }, "five frames", 10));
    EXPECT_EQ(game.TickCount(), 5);
    const testing::AssertionResult never = game.TickUntil([] { return false; }, "the impossible", 3);
    EXPECT_FALSE(never);
    EXPECT_NE(std::string(never.message()).find("\"the impossible\" still false after 3 ticks"), std::string::npos)
        << never.message();
    EXPECT_EQ(game.TickCount(), 8);
}

TEST(GameHarnessTest, FramesAreReadBackAndProbed)
{
    GameHarness game;
    // A title stage with nothing to draw: only the cleared back buffer is left to probe.
    game.WriteFile("assets.v1/scripts/stage/stage_TitleScene.lua",
                   "stage_TitleScene = { object_name = 'T', object_activity = 1, object_layer = 1,"
                   " components = { Transform = {} } }\n");
    ASSERT_TRUE(game.Start());
    game.Ticks(2);
    const HarnessFrame frame = game.ReadFrame();
    ASSERT_EQ(frame.width, 960);
    ASSERT_EQ(frame.height, 540);
    const struct {
        int x, y;
        uint32_t argb;
        int tolerance;
        bool matches;
    } probes[] = {
        {0, 0, 0xFF000000, 0, true},      {959, 539, 0xFF000000, 0, true},  {480, 270, 0xFF060606, 8, true},
        {480, 270, 0xFF0A0000, 8, false}, {480, 270, 0xFFFFFFFF, 8, false}, {960, 0, 0xFF000000, 255, false},
        {-1, 5, 0xFF000000, 255, false},
    };
    for (const auto& p : probes)
        EXPECT_EQ(static_cast<bool>(frame.Probe(p.x, p.y, p.argb, p.tolerance)), p.matches)
            << p.x << ", " << p.y << " " << std::hex << p.argb;
    const testing::AssertionResult miss = frame.Probe(10, 20, 0xFFFF0000, 4);
    EXPECT_NE(std::string(miss.message()).find("pixel (10, 20) is 0x"), std::string::npos) << miss.message();
}

TEST(GameHarnessTest, AWrittenFileOverridesThePakAndStaysPrivate)
{
    // The atlas scripts live only in the script pak; the loose folders are searched first.
    // Archive names have no extension.
    const std::string entry = "assets.v1/scripts/atlases/atlas_items.lua";
    const std::string shared = std::string(QM_GAME_DIR) + "/" + entry;
    const std::string sharedStage = std::string(QM_GAME_DIR) + "/assets.v1/scripts/quest/vididezare.lua";
    const std::string sharedText = ReadFile(sharedStage);
    GameHarness game;
    game.WriteFile(entry, "spriteSheet = nil -- replaced\n");
    game.WriteFile("assets.v1/scripts/quest/vididezare.lua", "vididezare = nil -- replaced\n");
    ASSERT_TRUE(game.Start());
    EXPECT_EQ(ReadArchiveEntry("assets.v1/scripts/atlases/atlas_items"), "spriteSheet = nil -- replaced\n");
    EXPECT_EQ(ReadArchiveEntry("assets.v1/scripts/quest/vididezare"), "vididezare = nil -- replaced\n");
    // The other files of a folder that held a replaced one are still there.
    EXPECT_NE(ReadArchiveEntry("assets.v1/scripts/quest/quest_Meadow"), "<none>");
    game.Shutdown();
    EXPECT_FALSE(std::filesystem::exists(shared));
    EXPECT_EQ(ReadFile(sharedStage), sharedText);
    EXPECT_TRUE(std::filesystem::is_symlink(game.Folder().File("assets.v1/scripts/quest/quest_Meadow.lua")));
}
