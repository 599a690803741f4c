// The title and the ending in the running game, by pad input: the logo cut by A, the opening,
// the title menu held until its fade-in ends, start and exit; the ending's pages, their music
// and sound, skipping, the save and the way back to the title.
#include "Components/Core/MovieRenderer.h"
#include "Components/Game/EndingController.h"
#include "Components/Game/TitleController.h"
#include "Components/UI/UIMenuFrames.h"
#include "Components/UI/UIQuestSelect.h"
#include "Support/GameHarness.h"
#include "Platform/Win32/FileSystem.h"
#include "Support/GameplayDriver.h"
#include "System/Common/NameHash.h"
#include "System/Graphics/ScreenFader.h"
#include "System/Sound/SoundManager.h"
#include "World/GameObj.h"
#include "World/PlayerSaveData.h"
#include "World/QuestTable.h"
#include "World/SceneManager.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>
#include <memory>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

const std::string kTitleStageFile = "assets.v1/scripts/stage/stage_TitleScene.lua";
const std::string kEndingStageFile = "assets.v1/scripts/stage/stage_Ending.lua";

std::string SavePath()
{
    std::string folder;
    PlayerSaveData::GetSaveFolder(folder);
    folder += "QMSave.sav";
    return ToNativePath(folder.c_str());
}

class TitleEndToEndTest : public testing::Test {
public:
    TitleController* Title() const
    {
        GameObj* root = m_pGame->Root();
        return root ? static_cast<TitleController*>(root->GetComponent(TitleController::s_Class.Key)) : nullptr;
    }
    EndingController* Ending() const
    {
        GameObj* root = m_pGame->Root();
        return root ? static_cast<EndingController*>(root->GetComponent(EndingController::s_Class.Key)) : nullptr;
    }
    UIFrameTitleSelect* Menu() const
    {
        GameObj* panel = Game().FindObjectByTag("ui_title_select");
        return panel ? static_cast<UIFrameTitleSelect*>(panel->GetComponent(UIFrameTitleSelect::s_Class.Key))
                     : nullptr;
    }
    NameId CurrentBgm() const
    {
        const IAudioSource* bgm = g_pSoundManager ? g_pSoundManager->GetCurrentBgm() : nullptr;
        return bgm ? bgm->GetKey() : 0;
    }
    NameId FadingBgm() const
    {
        const IAudioSource* bgm = g_pSoundManager ? g_pSoundManager->GetFadingBgm() : nullptr;
        return bgm ? bgm->GetKey() : 0;
    }
    bool SeListed(NameId key) const
    {
        for (IAudioSource* s : g_pSoundManager->GetSeList())
            if (s->GetKey() == key)
                return true;
        return false;
    }

    // Start-up and the first tick, which builds the title stage.
    void StartGame()
    {
        ASSERT_TRUE(Game().Start());
        Game().Tick();
        ASSERT_NE(Title(), nullptr);
    }
    testing::AssertionResult WaitTitle(int32_t state, int32_t step, int frameLimit = 600)
    {
        return Game().TickUntil(
            [&] { return Title() && Title()->m_nState == state && Title()->m_nStep == step; },
            "title state " + std::to_string(state) + " step " + std::to_string(step), frameLimit);
    }
    // The logo and the opening cut by A, up to the menu taking input.
    void ReachMenu()
    {
        ASSERT_TRUE(WaitTitle(eTitle_Logo, 1));
        Pad().Press("A");
        ASSERT_TRUE(WaitTitle(eTitle_Opening, 1));
        Pad().Press("A");
        ASSERT_TRUE(WaitTitle(eTitle_Menu, 2));
    }
    // The ending stage requested from the title, with the boss quest cleared so many times.
    void StartEnding(uint32_t clears)
    {
        StartGame();
        g_PlayerSaveData.m_QuestProgress[HashName("quest501")].m_nClearCount = clears;
        ASSERT_TRUE(Game().RequestStage("stage_Ending"));
        Game().Tick();
        ASSERT_NE(Ending(), nullptr);
    }
    testing::AssertionResult WaitPage(size_t next, int frameLimit = 600)
    {
        return Game().TickUntil([&] { return Ending() && Ending()->m_nStep == 2 && Ending()->m_nNextPage == next; },
                                "ending page " + std::to_string(next) + " showing", frameLimit);
    }

    // A new game, not started, in a new copy of the game folder with the files replaced.
    void Fresh(const std::vector<std::pair<std::string, std::string>>& files = {})
    {
        m_pPad.reset();
        m_pGame.reset();
        m_pGame = std::make_unique<GameHarness>();
        for (const auto& [name, bytes] : files)
            m_pGame->WriteFile(name, bytes);
        m_pPad = std::make_unique<GameplayDriver>(*m_pGame);
    }
    GameHarness& Game() const { return *m_pGame; }
    GameplayDriver& Pad() const { return *m_pPad; }

    TitleEndToEndTest() { Fresh(); }

    std::unique_ptr<GameHarness> m_pGame;
    std::unique_ptr<GameplayDriver> m_pPad;
};

} // namespace

// The whole way in: the logo and its music cut by A, the opening played to its end, the menu
// held through its fade-in, then start: the saved game read and the home stage built.
TEST_F(TitleEndToEndTest, LogoCutByAThenOpeningThenMenuThenStartGoesHome)
{
    ASSERT_TRUE(Game().Start());
    g_LastSelectedQuestKey = 7;
    g_PlayerSaveData.m_nExperience = 99;
    Game().Tick();
    ASSERT_NE(Title(), nullptr);
    EXPECT_EQ(g_LastSelectedQuestKey, 0u) << "the title forgets the quest select's last quest";
    EXPECT_EQ(g_PlayerSaveData.m_nExperience, 0u) << "the title resets the save data";

    ASSERT_TRUE(WaitTitle(eTitle_Logo, 1));
    EXPECT_EQ(CurrentBgm(), HashName("assets.v1/sounds/bgm/logo"));
    auto* movie = static_cast<MovieRenderer*>(Game().Root()->GetComponent(MovieRenderer::s_Class.Key));
    ASSERT_NE(movie, nullptr);
    EXPECT_TRUE(movie->IsPlaying());
    EXPECT_EQ(movie->GetTitle(), HashName("assets.v1/movies/logo"));
    Game().Ticks(10);
    Pad().Press("A");
    ASSERT_TRUE(Game().TickUntil([&] { return Title()->m_nState == eTitle_Opening; }, "the logo cut", 3));
    EXPECT_EQ(CurrentBgm(), 0u) << "the logo's music stops at once";
    EXPECT_EQ(FadingBgm(), 0u) << "the logo's music stops at once, not fading";

    ASSERT_TRUE(WaitTitle(eTitle_Opening, 1));
    EXPECT_EQ(CurrentBgm(), HashName("assets.v1/sounds/bgm/opening"));
    EXPECT_EQ(movie->GetTitle(), HashName("assets.v1/movies/opening"));
    // Played to its end (3 s) with no key.
    ASSERT_TRUE(WaitTitle(eTitle_Menu, 1, 240));

    // The menu is locked while the screen clears from white, and A does nothing meanwhile.
    ASSERT_NE(Menu(), nullptr);
    EXPECT_EQ(Menu()->m_bLocked, 1);
    EXPECT_EQ(g_pScreenFader->m_nMode, eScreenFade_FadeIn);
    EXPECT_EQ(g_pScreenFader->m_nColor & 0x00FFFFFFu, 0x00FFFFFFu) << "from white";
    EXPECT_FLOAT_EQ(g_pScreenFader->m_fDuration, 1.0f);
    EXPECT_EQ(CurrentBgm(), HashName("assets.v1/sounds/bgm/opening")) << "the opening's music goes on";
    Pad().Press("A");
    Game().Ticks(6);
    EXPECT_EQ(Title()->m_nChoice, eTitleChoice_None) << "a press during the fade-in is ignored";
    ASSERT_TRUE(WaitTitle(eTitle_Menu, 2, 80));
    EXPECT_EQ(Menu()->m_bLocked, 0);
    Game().Ticks(20); // the menu slides in; the selection settles on start

    // A saved game to continue.
    g_PlayerSaveData.m_nExperience = 4321;
    ASSERT_TRUE(g_PlayerSaveData.Write("QMSave.sav"));
    g_PlayerSaveData.Reset();

    Pad().Press("A");
    ASSERT_TRUE(Game().TickUntil([&] { return Title()->m_nState == eTitle_Leave; }, "start chosen", 30));
    EXPECT_EQ(Title()->m_nChoice, eTitleChoice_Start);
    EXPECT_EQ(g_pSceneManager->m_nUpdateMask, kTitleLeaveUpdateMask);
    ASSERT_TRUE(Game().TickUntil([&] { return Game().Root()->GetPrototypeName() == "stage_Home"; },
                                 "the home stage built", 120));
    EXPECT_EQ(g_PlayerSaveData.m_nExperience, 4321u) << "the save file was read";
    EXPECT_EQ(g_pSceneManager->m_nUpdateMask, kTitlePlayUpdateMask);
    ASSERT_NE(g_pQuestTable->m_pCurrentQuest, nullptr);
    EXPECT_EQ(g_pQuestTable->m_pCurrentQuest->m_nKey, HashName("vididezare"));
}

// A save of another format in the user folder (here one with a damaged header): continuing
// reports it, and the save written on arriving home goes beside it, not over it.
TEST_F(TitleEndToEndTest, AForeignSaveSurvivesTheSaveOnArrivingHome)
{
    StartGame();
    ReachMenu();
    Game().Ticks(20);
    const std::string foreign = "QMSV" + std::string(52, '\x5A');
    {
        std::ofstream out(SavePath(), std::ios::binary);
        out << foreign;
    }
    testing::internal::CaptureStdout();
    Pad().Press("A");
    const bool home = Game().TickUntil([&] { return Game().Root()->GetPrototypeName() == "stage_Home"; },
                                       "the home stage built", 120);
    Game().Ticks(360);
    const std::string log = testing::internal::GetCapturedStdout();
    ASSERT_TRUE(home);
    EXPECT_NE(log.find("ERROR"), std::string::npos);
    EXPECT_NE(log.find("QMSave.sav.bad"), std::string::npos) << "the log says where the old save went";
    auto read = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    };
    EXPECT_EQ(read(SavePath() + ".bad"), foreign) << "the old save's bytes survive";
    EXPECT_EQ(read(SavePath()).substr(0, 4), "QMSD") << "the arrival home saved";
}

TEST_F(TitleEndToEndTest, AInTheOpeningFadesToWhiteOverOneSecond)
{
    StartGame();
    ASSERT_TRUE(WaitTitle(eTitle_Logo, 1));
    Pad().Press("A");
    ASSERT_TRUE(WaitTitle(eTitle_Opening, 1));
    Pad().Press("A");
    ASSERT_TRUE(WaitTitle(eTitle_Opening, 2, 3));
    EXPECT_EQ(g_pScreenFader->m_nMode, eScreenFade_FadeOut);
    EXPECT_EQ(g_pScreenFader->m_nColor & 0x00FFFFFFu, 0x00FFFFFFu);
    EXPECT_FLOAT_EQ(g_pScreenFader->m_fDuration, 1.0f);
    const int from = Game().TickCount();
    ASSERT_TRUE(WaitTitle(eTitle_Menu, 0, 120));
    const int ticks = Game().TickCount() - from;
    // 1 s of 17-ms ticks.
    EXPECT_GE(ticks, 55);
    EXPECT_LE(ticks, 64);
}

// Exit from the menu: the game asks to end, and shuts down cleanly.
TEST_F(TitleEndToEndTest, ExitEndsTheGame)
{
    StartGame();
    ReachMenu();
    Game().Ticks(20);
    Pad().Press("down");
    Game().Ticks(3);
    const int quits = Game().QuitCount();
    Pad().Press("A");
    ASSERT_TRUE(Game().TickUntil([&] { return Game().QuitCount() > quits; }, "the quit", 120));
    EXPECT_EQ(Title()->m_nChoice, eTitleChoice_Exit);
    EXPECT_TRUE(g_pSceneManager->GetNextStageName().empty() || !g_pSceneManager->IsStageChangePending());
    Game().Shutdown();
    EXPECT_FALSE(Game().IsRunning());
}

// What goes wrong in the data: each case an ERROR naming what is missing, and a title that
// still runs on.
TEST_F(TitleEndToEndTest, BrokenTitleDataIsLoggedAndTheTitleGoesOn)
{
    const std::string stageWithLogo = R"(
stage_TitleScene = {
  object_name = "T", object_tag = "Stage", object_layer = LAYER_STAGE, object_activity = ACTIVE,
  components = {
    Transform = {},
    TitleController = { logoMovie = "assets.v1/movies/none", openingMovie = "assets.v1/movies/opening",
                        titleMovie = "assets.v1/movies/title", logoBgm = "assets.v1/sounds/bgm/logo",
                        openingBgm = "assets.v1/sounds/bgm/opening" },
    MovieRenderer = { frameBufferCount = 4 },
  },
  children = { { base_script = "ui_root_title" }, { base_script = "ui_camera" } },
})";
    const std::string rootWithoutMenu = R"(
ui_root_title = {
  object_name = "UI", object_tag = "UIRoot", object_layer = LAYER_MENU, object_activity = ACTIVE,
  components = { Transform = {}, UIRoot = { camera = "UICamera" } },
  children = { { base_script = "ui_title_logo" } },
})";
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::string>> files;
        const char* logged;
        std::function<void(TitleEndToEndTest&)> play;
    };
    const Case cases[] = {
        {"a logo movie that does not open ends the logo",
         {{kTitleStageFile, stageWithLogo}},
         "assets.v1/movies/none",
         [](TitleEndToEndTest& t) {
             ASSERT_TRUE(t.Game().TickUntil([&] { return t.Title()->m_nState == eTitle_Opening; },
                                            "the opening without a key", 4));
         }},
        {"no title menu: nothing locked, the title runs on",
         {{"assets.v1/scripts/game_objects/ui_root_title.lua", rootWithoutMenu}},
         "ui_title_select",
         [](TitleEndToEndTest& t) {
             ASSERT_TRUE(t.WaitTitle(eTitle_Logo, 1));
             t.Pad().Press("A");
             ASSERT_TRUE(t.WaitTitle(eTitle_Opening, 1));
             t.Pad().Press("A");
             ASSERT_TRUE(t.WaitTitle(eTitle_Menu, 2));
             EXPECT_EQ(t.Menu(), nullptr);
             t.Game().Ticks(5);
             EXPECT_EQ(t.Title()->m_nState, eTitle_Menu);
         }},
        {"no home quest: start comes back to the title menu",
         {{"assets.v1/scripts/quest/vididezare.lua", "-- no home quest\n"}},
         "vididezare",
         [](TitleEndToEndTest& t) {
             t.ReachMenu();
             t.Game().Ticks(20);
             t.Pad().Press("A");
             ASSERT_TRUE(t.Game().TickUntil([&] { return t.Title()->m_nState == eTitle_Leave; }, "the leave", 30));
             ASSERT_TRUE(t.WaitTitle(eTitle_Menu, 1, 120));
             EXPECT_EQ(t.Title()->m_nChoice, eTitleChoice_None);
             EXPECT_EQ(g_pSceneManager->m_nUpdateMask, kTitlePlayUpdateMask);
             EXPECT_FALSE(g_pSceneManager->IsStageChangePending());
             EXPECT_EQ(g_pScreenFader->m_nMode, eScreenFade_FadeIn);
             EXPECT_EQ(t.Menu()->m_bLocked, 1);
             ASSERT_TRUE(t.WaitTitle(eTitle_Menu, 2, 80));
             EXPECT_EQ(t.Menu()->m_bLocked, 0) << "the menu takes input again";
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Fresh(c.files);
        testing::internal::CaptureStdout();
        StartGame();
        if (Title())
            c.play(*this);
        Game().Shutdown();
        const std::string log = testing::internal::GetCapturedStdout();
        // The failures of the case were captured with the log: shown again without the log lines.
        if (HasFailure()) {
            std::istringstream lines(log);
            for (std::string line; std::getline(lines, line);)
                if (line.rfind("[", 0) != 0)
                    std::cout << line << "\n";
        }
        EXPECT_NE(log.find(std::string("ERROR")), std::string::npos);
        EXPECT_NE(log.find(c.logged), std::string::npos) << "the log names " << c.logged;
    }
}

// The ending may be skipped page by page only once the boss quest has two clears.
TEST_F(TitleEndToEndTest, TheEndingIsSkippableFromTheBossQuestsSecondClear)
{
    const struct {
        uint32_t clears;
        bool skippable;
    } cases[] = {{0, false}, {1, false}, {2, true}, {5, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE("clears " + std::to_string(c.clears));
        Fresh();
        StartEnding(c.clears);
        EXPECT_EQ(Ending()->m_bUnskippable, !c.skippable);
        ASSERT_TRUE(WaitPage(1));
        Game().Ticks(3);
        Pad().Press("A");
        Game().Ticks(3);
        EXPECT_EQ(Ending()->m_nNextPage, c.skippable ? 2u : 1u);
        Game().Shutdown();
    }
}

// Page by page: music on the first, a sound effect on the second, no music on the third (the
// old music fading over the page's "prevFade"), its sound effect stopped; then the fade-out,
// the save and the title stage.
TEST_F(TitleEndToEndTest, TheEndingsPagesPlayTheirMusicAndSoundThenSaveAndReturnToTheTitle)
{
    const NameId endingBgm = HashName("assets.v1/sounds/bgm/ending");
    const NameId jingle = HashName("assets.v1/sounds/se/jingle_last_battle_end");
    StartEnding(0);
    std::filesystem::remove(SavePath());
    g_pSceneManager->m_nUpdateMask = kTitleLeaveUpdateMask;
    ASSERT_EQ(Ending()->m_nPageCount, 3u);

    // The first page cannot be skipped; its movie ends it.
    ASSERT_TRUE(WaitPage(1));
    EXPECT_EQ(CurrentBgm(), endingBgm);
    EXPECT_EQ(Ending()->m_nSeId, -1);
    auto* movie = static_cast<MovieRenderer*>(Game().Root()->GetComponent(MovieRenderer::s_Class.Key));
    ASSERT_NE(movie, nullptr);
    EXPECT_EQ(movie->GetTitle(), HashName("assets.v1/movies/ending1"));
    EXPECT_TRUE(movie->IsPlaying());

    ASSERT_TRUE(WaitPage(2, 120));
    EXPECT_EQ(CurrentBgm(), endingBgm) << "the same music plays on";
    EXPECT_EQ(FadingBgm(), 0u);
    EXPECT_GE(Ending()->m_nSeId, 0);
    EXPECT_TRUE(SeListed(jingle));
    EXPECT_EQ(movie->GetTitle(), HashName("assets.v1/movies/ending2"));

    ASSERT_TRUE(WaitPage(3, 120));
    EXPECT_EQ(CurrentBgm(), 0u) << "a page without music";
    EXPECT_EQ(FadingBgm(), endingBgm) << "the old music fades out";
    EXPECT_EQ(Ending()->m_nSeId, -1);
    EXPECT_FALSE(SeListed(jingle)) << "a page without a sound effect stops the previous one";

    ASSERT_TRUE(Game().TickUntil([&] { return Ending()->m_nStep == 3; }, "the fade-out", 120));
    EXPECT_EQ(g_pScreenFader->m_nMode, eScreenFade_FadeOut);
    EXPECT_FALSE(std::filesystem::exists(SavePath())) << "saved only once the screen is black";
    ASSERT_TRUE(Game().TickUntil([&] { return Game().Root()->GetPrototypeName() == "stage_TitleScene"; },
                                 "the title stage", 60));
    EXPECT_TRUE(std::filesystem::exists(SavePath()));
    EXPECT_EQ(g_pSceneManager->m_nUpdateMask, kTitlePlayUpdateMask);
}

// An ending without pages goes straight to the fade-out, the save and the title.
TEST_F(TitleEndToEndTest, AnEndingWithoutPagesSavesAndReturnsToTheTitle)
{
    Fresh({{kEndingStageFile, R"(
stage_Ending = {
  object_name = "E", object_tag = "Stage", object_layer = LAYER_STAGE, object_activity = ACTIVE,
  components = { Transform = {}, EndingController = {}, MovieRenderer = { frameBufferCount = 4 } },
})"}});
    StartEnding(0);
    EXPECT_EQ(Ending()->m_nPageCount, 0u);
    std::filesystem::remove(SavePath());
    ASSERT_TRUE(Game().TickUntil([&] { return Game().Root()->GetPrototypeName() == "stage_TitleScene"; },
                                 "the title stage", 60));
    EXPECT_TRUE(std::filesystem::exists(SavePath()));
}

// What the player sees of the movies, read back from the screen: the logo fills the whole
// screen (each quarter of it shows the logo's field, none left black), and each ending page is
// drawn centred with black around it. A movie that is played but never reaches the screen
// (placed outside what the projection keeps, or smaller than the screen at its corner) passes
// every check of the flow and shows nothing.
TEST_F(TitleEndToEndTest, TheLogoFillsTheScreenAndTheEndingPagesAreSeen)
{
    constexpr uint32_t kBlack = 0xFF000000u;
    struct Region {
        const char* what;
        int x, y, w, h;
        double maxBlack; // the largest share of black pixels allowed
        double minBlack; // the smallest
    };
    const struct {
        const char* what;
        std::function<void(TitleEndToEndTest&)> reach;
        std::vector<Region> regions;
    } cases[] = {
        {"the logo, once faded in",
         [](TitleEndToEndTest& t) {
             t.StartGame();
             ASSERT_TRUE(t.WaitTitle(eTitle_Logo, 1));
             ASSERT_TRUE(t.Game().TickUntil([] { return g_pScreenFader->m_nMode == eScreenFade_Idle; },
                                            "the logo's fade-in", 60));
             t.Game().Ticks(2);
         },
         {{"top left", 0, 0, 480, 270, 0.1, 0.0},
          {"top right", 480, 0, 480, 270, 0.1, 0.0},
          {"bottom left", 0, 270, 480, 270, 0.1, 0.0},
          {"bottom right", 480, 270, 480, 270, 0.1, 0.0}}},
        {"the first ending page, once the screen cleared",
         [](TitleEndToEndTest& t) {
             t.StartEnding(0);
             ASSERT_TRUE(t.WaitPage(1));
             ASSERT_TRUE(t.Game().TickUntil([] { return g_pScreenFader->m_nMode == eScreenFade_Idle; },
                                            "the ending's fade-in", 60));
             t.Game().Ticks(2);
         },
         {{"the page", 240, 135, 480, 270, 0.1, 0.0},
          {"above the page", 0, 0, 960, 130, 1.0, 0.99},
          {"left of the page", 0, 140, 235, 260, 1.0, 0.99}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Fresh();
        c.reach(*this);
        if (HasFatalFailure())
            return;
        const HarnessFrame frame = Game().ReadFrame();
        ASSERT_EQ(frame.width, 960);
        ASSERT_EQ(frame.height, 540);
        for (const Region& r : c.regions) {
            const double black = frame.Share(r.x, r.y, r.w, r.h, kBlack, 4);
            EXPECT_LE(black, r.maxBlack) << r.what << ": " << black * 100 << " % black";
            EXPECT_GE(black, r.minBlack) << r.what << ": " << black * 100 << " % black";
        }
        Game().Shutdown();
    }
}
