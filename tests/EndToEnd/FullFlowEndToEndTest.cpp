// The whole game in one run, by pad input only, as a player would play it: the logo cut by A,
// the opening, the title menu, start, the home stage, the meadow quest chosen on its board,
// its waves and targets, the report, home again with the reward saved, a level bought on the
// training spot, the cave quest and its master, the ending's pages and the title. The save
// file is read back between the legs, screenshots are probed at each checkpoint, and a
// restart of the program finds the bought level kept. The shorter paths: giving a quest up,
// and leaving the game from home.
#include "Components/Game/BossBattleController.h"
#include "Components/Game/EndingController.h"
#include "Components/Game/ObjectiveController.h"
#include "Components/Game/QuestController.h"
#include "Components/Game/TitleController.h"
#include "Components/UI/UILayoutWidgets.h"
#include "Components/UI/UIQuestSelect.h"
#include "Components/UI/UIRoot.h"
#include "Components/UI/UITweener.h"
#include "Components/UI/UIUpgradeParameter.h"
#include "Support/GameHarness.h"
#include "Support/GameplayDriver.h"
#include "System/Common/NameHash.h"
#include "System/Graphics/ScreenFader.h"
#include "World/GameObj.h"
#include "World/MessageManager.h"
#include "World/PlayerSaveData.h"
#include "World/QuestTable.h"
#include "World/SceneManager.h"
#include "World/Transform.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <iostream>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

// Where the home stage's spots stand (their scripts' x): the quest board where the player
// appears, the training spot, the save spot and the companion.
constexpr float kQuestBoardX = 732.0f;
constexpr float kUpgradeStandX = 600.0f;
constexpr float kSavePointX = 470.0f;
constexpr float kCompanionX = 300.0f;

// The image generator's colours, where the checkpoints probe them.
constexpr uint32_t kStartPlate = 0xFF8C5D18;   // the title menu's start button, lit
constexpr uint32_t kTitleSun = 0xFFF08A24;     // the title's emblem
constexpr uint32_t kSky = 0xFF71A8E8;          // the home's and meadow's sky 100 rows down
constexpr uint32_t kFlowerYellow = 0xFFF2C94C; // the HUD flower's middle
constexpr uint32_t kLifeGreen = 0xFF5DAA4F;    // the HUD's life bar, the meadow's banner
constexpr uint32_t kScreenPlate = 0xFF37425B;  // the quest select's and upgrade screen's plate
constexpr uint32_t kReportPlate = 0xFF33405B;
constexpr uint32_t kMasterPurple = 0xFF8A55C7; // the cave's master where it stands as the fight starts
const std::vector<PixelProbe> kHud = {{"HUD flower", 40, 40, kFlowerYellow}, {"HUD life bar", 80, 40, kLifeGreen}};

std::vector<PixelProbe> With(std::vector<PixelProbe> probes, const std::vector<PixelProbe>& more)
{
    probes.insert(probes.end(), more.begin(), more.end());
    return probes;
}

const NameId kMeadow = HashName("quest_Meadow");
const NameId kCave = HashName("quest501");

// The save file as the game left it on disk.
PlayerSaveData SavedOnDisk()
{
    PlayerSaveData saved;
    saved.Read("QMSave.sav");
    return saved;
}

// Where a UI world point lands in the frame (the screen camera sees 0..960 by 0..540, y up).
int PixelX(const GameObj* o) { return int(std::lround(o->GetTransform()->WorldMatrix().m[3][0])); }
int PixelY(const GameObj* o) { return 540 - int(std::lround(o->GetTransform()->WorldMatrix().m[3][1])); }

class FullFlowEndToEndTest : public testing::Test {
public:
    FullFlowEndToEndTest() { Fresh(); }

    // A new game, not started, in a new copy of the game folder.
    void Fresh()
    {
        m_pPad.reset();
        m_pGame.reset();
        m_pGame = std::make_unique<GameHarness>();
        m_pPad = std::make_unique<GameplayDriver>(*m_pGame);
    }
    GameHarness& Game() const { return *m_pGame; }
    GameplayDriver& Pad() const { return *m_pPad; }

    template <class T> T* RootComponent() const
    {
        GameObj* root = Game().Root();
        return root ? static_cast<T*>(root->GetComponent(T::s_Class.Key)) : nullptr;
    }
    bool OnStage(const char* name) const { return Game().Root() && Game().Root()->GetPrototypeName() == name; }
    testing::AssertionResult WaitStage(const char* name, int frameLimit = 600)
    {
        return Game().TickUntil([&] { return OnStage(name); }, std::string("the stage ") + name, frameLimit);
    }
    // The stage's director past its fade-in, the player's to move.
    testing::AssertionResult WaitPlay(const char* stage, int frameLimit = 600)
    {
        return Game().TickUntil(
            [&] {
                auto* quest = RootComponent<QuestController>();
                return OnStage(stage) && quest && quest->m_nState == eQuest_Play && Pad().Grounded();
            },
            std::string("playing on ") + stage, frameLimit);
    }
    testing::AssertionResult WaitTitle(int32_t state, int32_t step, int frameLimit = 600)
    {
        return Game().TickUntil(
            [&] {
                auto* title = RootComponent<TitleController>();
                return title && title->m_nState == state && title->m_nStep == step;
            },
            "title state " + std::to_string(state) + " step " + std::to_string(step), frameLimit);
    }
    GameObj* Panel(const char* tag) const { return Game().FindObjectByTag(tag); }
    testing::AssertionResult WaitOpen(const char* tag, bool open, int frameLimit = 120)
    {
        return Game().TickUntil(
            [&] {
                GameObj* panel = Panel(tag);
                return panel && panel->IsActive() == open;
            },
            std::string(tag) + (open ? " opens" : " closes"), frameLimit);
    }

    // From the program's start: the logo cut by A, the opening cut by A, the menu once it takes
    // input, and start: the home stage, the player's to move.
    void StartToTitleMenu()
    {
        ASSERT_TRUE(WaitTitle(eTitle_Logo, 1, 60));
        Pad().Press("A");
        ASSERT_TRUE(WaitTitle(eTitle_Opening, 1, 60));
        Pad().Press("A");
        ASSERT_TRUE(WaitTitle(eTitle_Menu, 2, 180));
        // The menu waits, slides in, and the start button's light settles.
        GameObj* panel = Panel("ui_title_select");
        ASSERT_NE(panel, nullptr);
        auto* slide = static_cast<TweenPosition*>(panel->GetComponent(TweenPosition::s_Class.Key));
        ASSERT_NE(slide, nullptr);
        ASSERT_TRUE(Game().TickUntil(
            [&] { return panel->IsActive() && slide->IsFinished() && slide->GetFactor() == 1.0f; },
            "the title menu slides in", 120));
        Game().Ticks(10);
    }
    void StartHome()
    {
        ASSERT_NO_FATAL_FAILURE(StartToTitleMenu());
        Pad().Press("A");
        ASSERT_TRUE(WaitStage("stage_Home", 180));
        ASSERT_TRUE(WaitPlay("stage_Home", 180));
    }

    // A yes/no dialog answered yes: Left onto yes once it has faded in, then A.
    void AnswerYes(const char* tag)
    {
        ASSERT_TRUE(WaitOpen(tag, true, 60));
        auto* fade = static_cast<UITweener*>(Panel(tag)->GetComponent(TweenAlpha::s_Class.Key));
        if (fade) {
            ASSERT_TRUE(Game().TickUntil([&] { return fade->IsFinished(); }, std::string(tag) + " fades in", 60));
        }
        Game().Ticks(3);
        Pad().Press("left");
        Game().Ticks(3);
        Pad().Press("A");
        ASSERT_TRUE(WaitOpen(tag, false, 120));
        // The answer reaches the stage's director through the UI root a few deliveries later.
        Game().Ticks(6);
    }

    // Up on a spot of the home stage opens its menu.
    void OpenAt(float x, const char* tag)
    {
        ASSERT_TRUE(Pad().WalkTo(x)) << "player state " << Pad().PlayerState() << ", mask " << std::hex
                                      << g_pSceneManager->m_nUpdateMask;
        Game().Ticks(2);
        Pad().Press("up");
        ASSERT_TRUE(WaitOpen(tag, true, 30));
    }

    // The companion at home spoken to (up beside her): her talk window opens on a line and
    // holds the UI selection while the player walks on.
    void TalkToCompanion()
    {
        ASSERT_TRUE(Pad().WalkTo(kCompanionX, 20.0f));
        Game().Ticks(2);
        Pad().Press("up");
        ASSERT_TRUE(WaitOpen("ui_lisvet_window", true, 60));
        ASSERT_TRUE(Game().TickUntil([&] { return CompanionTalkSelected(); },
                                     "the talk window holds the selection", 30));
    }
    bool CompanionTalkSelected() const
    {
        GameObj* panel = Panel("ui_lisvet_window");
        if (!panel || !panel->IsActive() || UIRootList.empty())
            return false;
        GameObj* selected = UIRootList.back()->GetSelected();
        for (GameObj* o = selected; o; o = o->GetParent())
            if (o == panel)
                return true;
        return false;
    }

    UIFrameQuestSelect* QuestSelect() const
    {
        GameObj* panel = Panel("ui_quest_select");
        return panel ? static_cast<UIFrameQuestSelect*>(panel->GetComponent(UIFrameQuestSelect::s_Class.Key))
                     : nullptr;
    }
    NameId ShownQuest() const
    {
        const UIFrameQuestSelect* select = QuestSelect();
        const UIQuestWindow* window = select ? select->GetQuestWindow() : nullptr;
        return window && window->GetQuest() ? window->GetQuest()->m_nKey : 0;
    }
    // The quest select opened on the board and slid in, showing a quest.
    void OpenQuestSelect()
    {
        ASSERT_NO_FATAL_FAILURE(OpenAt(kQuestBoardX, "ui_quest_select"));
        auto* slide = static_cast<UITweener*>(Panel("ui_quest_select")->GetComponent(TweenPosition::s_Class.Key));
        ASSERT_NE(slide, nullptr);
        ASSERT_TRUE(Game().TickUntil([&] { return ShownQuest() != 0 && slide->IsFinished(); },
                                     "the quest select slides in", 90));
        Game().Ticks(8); // the tab's light settles
    }
    // The quest shown taken (A, then yes), and its stage reached.
    void TakeQuest(NameId quest, const char* stage)
    {
        ASSERT_EQ(ShownQuest(), quest);
        Pad().Press("A");
        ASSERT_NO_FATAL_FAILURE(AnswerYes("ui_common_yes_no"));
        ASSERT_TRUE(WaitOpen("ui_quest_select", false, 120));
        ASSERT_TRUE(WaitStage(stage, 180));
        ASSERT_TRUE(WaitPlay(stage, 300));
    }

    UIFrameUpgradeParameter* Upgrade() const
    {
        GameObj* panel = Panel("ui_upgrade_parameter");
        return panel ? static_cast<UIFrameUpgradeParameter*>(panel->GetComponent(UIFrameUpgradeParameter::s_Class.Key))
                     : nullptr;
    }
    // The upgrade screen opened on the training spot, its rows slid in.
    void OpenUpgrade()
    {
        ASSERT_NO_FATAL_FAILURE(OpenAt(kUpgradeStandX, "ui_upgrade_parameter"));
        UIFrameUpgradeParameter* frame = Upgrade();
        ASSERT_NE(frame, nullptr);
        ASSERT_TRUE(Game().TickUntil(
            [&] {
                for (int k = 0; k < kUpgradeRowCount; ++k) {
                    UIUpgradeBar* row = frame->GetRow(k);
                    auto* slide = row ? static_cast<UITweener*>(row->GetOwner()->GetComponent(TweenPosition::s_Class.Key))
                                      : nullptr;
                    if (!slide || !slide->IsFinished())
                        return false;
                }
                return true;
            },
            "the upgrade rows slide in", 150));
        Game().Ticks(15);
    }
    // The first row's first piece: where it shows and how red it is over green and blue.
    int PieceRedness(const HarnessFrame& frame) const
    {
        const std::vector<GameObj*> pieces = Upgrade()->GetRow(0)->GetPieceTable()->GetItems();
        if (pieces.empty())
            return -999;
        const uint32_t argb = frame.Pixel(PixelX(pieces[0]), PixelY(pieces[0]));
        return int(argb >> 16 & 0xFF) - int(argb >> 8 & 0xFF);
    }

    std::unique_ptr<GameHarness> m_pGame;
    std::unique_ptr<GameplayDriver> m_pPad;
};

} // namespace

TEST_F(FullFlowEndToEndTest, FromTheLogoThroughBothQuestsAndTheEndingToTheTitleAndARestart)
{
    const auto wallStart = std::chrono::steady_clock::now();
    ASSERT_TRUE(Game().Start());
    Game().RecordFrameTimes(true);
    Game().Tick();
    ASSERT_NE(RootComponent<TitleController>(), nullptr);

    // The title menu.
    ASSERT_NO_FATAL_FAILURE(StartToTitleMenu());
    {
        // The plate above the start button's label, clear of the cursor beside it.
        const GameObj* start = Game().FindObjectByTag("select_start");
        ASSERT_NE(start, nullptr);
        EXPECT_TRUE(Pad().Checkpoint("title menu", {{"start button", PixelX(start) - 50, PixelY(start) - 16, kStartPlate, 12},
                                                           {"emblem", 640, 270, kTitleSun, 12}}));
    }

    // Start: home, a new game saved on arrival.
    Pad().Press("A");
    ASSERT_TRUE(WaitStage("stage_Home", 180));
    ASSERT_TRUE(WaitPlay("stage_Home", 180));
    EXPECT_TRUE(Pad().Checkpoint("home", With(kHud, {{"sky", 480, 100, kSky}})));
    {
        const PlayerSaveData saved = SavedOnDisk();
        EXPECT_EQ(saved.m_nExperience, 0u);
        EXPECT_EQ(saved.GetQuestClearCount(kMeadow), 0u);
    }

    // The quest board: the meadow's quest, taken.
    ASSERT_NO_FATAL_FAILURE(OpenQuestSelect());
    EXPECT_TRUE(Pad().Checkpoint("quest select", With(kHud, {{"plate", 480, 400, kScreenPlate, 12},
                                                                  {"meadow banner, left of its name", 480, 140, kLifeGreen}})));
    ASSERT_NO_FATAL_FAILURE(TakeQuest(kMeadow, "stage_Meadow"));

    // The meadow: waves of slimes and the targets, fought down.
    auto* director = RootComponent<ObjectiveController>();
    ASSERT_NE(director, nullptr);
    EXPECT_TRUE(Pad().Checkpoint("play with the HUD", With(kHud, {{"sky", 480, 100, kSky}})));
    size_t mobsSeen = 0;
    ASSERT_TRUE(Pad().FightUntil(
        [&] {
            mobsSeen = std::max(mobsSeen, director->m_Mobs.size());
            return director->m_bComplete;
        },
        // A slower rhythm: each chain runs out before the next, so the player turns to a slime
        // that comes round rather than pressing into the pond's bank.
        "every target of the meadow is down", 60 * 180, 8));
    EXPECT_GT(mobsSeen, 0u) << "no wave came";
    EXPECT_EQ(director->m_nTargetsLeft, 0);
    Pad().ReleaseAll();

    // The report, closed by B.
    ASSERT_TRUE(WaitOpen("ui_report", true, 240));
    auto* drop = static_cast<UITweener*>(Panel("ui_report")->GetComponent(TweenPosition::s_Class.Key));
    ASSERT_NE(drop, nullptr);
    ASSERT_TRUE(Game().TickUntil([&] { return !drop->IsFinished(); }, "the report starts dropping in", 5));
    ASSERT_TRUE(Game().TickUntil([&] { return drop->IsFinished(); }, "the report drops in", 90));
    Game().Ticks(2);
    {
        const GameObj* banner = Game().FindObjectByTag("bg_quest_title");
        ASSERT_NE(banner, nullptr);
        EXPECT_TRUE(Pad().Checkpoint("report", With(kHud, {{"the meadow's banner", PixelX(banner) - 70, PixelY(banner),
                                                             kLifeGreen},
                                                            {"plate", 480, 300, kReportPlate, 12}})));
    }
    Pad().Press("B");
    ASSERT_TRUE(WaitOpen("ui_report", false, 120));

    // Home with the reward saved on arrival, and the cave's quest offered.
    ASSERT_TRUE(WaitStage("stage_Home", 240));
    ASSERT_TRUE(WaitPlay("stage_Home", 180));
    const uint32_t earned = g_PlayerSaveData.m_nExperience;
    {
        const PlayerSaveData saved = SavedOnDisk();
        EXPECT_EQ(saved.GetQuestClearCount(kMeadow), 1u);
        EXPECT_NE(saved.m_nFlagBits & 1u, 0u) << "the way to the cave opened";
        EXPECT_GE(saved.m_nExperience, 100u) << "the quest's experience";
        EXPECT_EQ(saved.m_nExperience, earned);
    }

    // The training spot: one level of the first row bought with that experience.
    ASSERT_NO_FATAL_FAILURE(OpenUpgrade());
    UIFrameUpgradeParameter* upgrade = Upgrade();
    UIUpgradeBar* hp = upgrade->GetRow(0);
    EXPECT_EQ(hp->m_nSavedLevel, 0);
    EXPECT_TRUE(Pad().Checkpoint("upgrade", With(kHud, {{"plate", 480, 380, kScreenPlate, 12}})));
    const int cost = upgrade->LevelCost(0, 0);
    ASSERT_GT(cost, 0);
    ASSERT_LE(uint32_t(cost), earned) << "the meadow pays for a level";
    Pad().Press("right");
    ASSERT_TRUE(Game().TickUntil([&] { return hp->m_nCurrentLevel == 1; }, "the first row rises", 10));
    Pad().Press("A");
    ASSERT_NO_FATAL_FAILURE(AnswerYes("ui_common_yes_no"));
    Game().Ticks(3);
    EXPECT_EQ(g_PlayerSaveData.m_aLevels[0], 1u);
    EXPECT_EQ(g_PlayerSaveData.m_nExperience, earned - uint32_t(cost));
    Pad().Press("B");
    ASSERT_TRUE(WaitOpen("ui_upgrade_parameter", false, 60));

    // Saved on the save spot while the companion's talk window is up: the level is in the file.
    Game().Ticks(3);
    ASSERT_NO_FATAL_FAILURE(TalkToCompanion());
    ASSERT_NO_FATAL_FAILURE(OpenAt(kSavePointX, "ui_save_yes_no"));
    ASSERT_NO_FATAL_FAILURE(AnswerYes("ui_save_yes_no"));
    {
        const PlayerSaveData saved = SavedOnDisk();
        EXPECT_EQ(saved.m_aLevels[0], 1u);
        EXPECT_EQ(saved.m_nExperience, earned - uint32_t(cost));
        EXPECT_EQ(saved.m_nEquippedAccessory, g_PlayerSaveData.m_nEquippedAccessory);
    }
    // Her lines read to the end close the window.
    ASSERT_TRUE(Game().TickUntil(
        [&] {
            if (Game().TickCount() % 8 == 0)
                Pad().Press("A");
            return !Panel("ui_lisvet_window")->IsActive();
        },
        "the talk window closes", 600));

    // The board again: the cave's tab now holds its quest.
    Game().Ticks(3);
    ASSERT_NO_FATAL_FAILURE(OpenQuestSelect());
    Pad().Press("RB");
    ASSERT_TRUE(Game().TickUntil([&] { return ShownQuest() == kCave; }, "the cave's quest shown", 30));
    Game().Ticks(8);
    ASSERT_NO_FATAL_FAILURE(TakeQuest(kCave, "stage_Cave"));

    // The cave: its master comes, and falls.
    auto* battle = RootComponent<BossBattleController>();
    ASSERT_NE(battle, nullptr);
    ASSERT_TRUE(Game().TickUntil([&] { return battle->m_nBossId >= 0; }, "the master comes", 120));
    const int32_t bossId = battle->m_nBossId;
    auto bossAlive = [&] {
        GameObj* boss = g_pSceneManager->GetMessageManager()->FindObject(bossId);
        return boss && boss->IsActive() && !(boss->GetFlags() & eGameObjFlag_PendingRemoval);
    };
    Game().Ticks(30);
    EXPECT_TRUE(Pad().Checkpoint("boss", With(kHud, {{"the master's body", 800, 400, kMasterPurple, 16}})));
    // Up to the master first, then the fight with whatever is nearest.
    ASSERT_TRUE(Pad().Approach(g_pSceneManager->GetMessageManager()->FindObject(bossId), 80.0f, 600));
    ASSERT_TRUE(Pad().FightUntil([&] { return !bossAlive(); }, "the master falls", 60 * 180));
    Pad().ReleaseAll();

    // The ending's pages, then the title; the game saved on the way.
    ASSERT_TRUE(WaitStage("stage_Ending", 600));
    auto* ending = RootComponent<EndingController>();
    ASSERT_NE(ending, nullptr);
    EXPECT_TRUE(ending->m_bUnskippable) << "a first clear cannot skip the ending";
    ASSERT_TRUE(Game().TickUntil([&] { return ending->m_nStep == 2 && ending->m_nNextPage == 1; }, "the first page",
                                 120));
    // Once the screen has cleared: black beside the page.
    ASSERT_TRUE(Game().TickUntil([&] { return g_pScreenFader->m_nMode == eScreenFade_Idle || ending->m_nNextPage > 1; },
                                 "the ending's screen clears", 120));
    EXPECT_TRUE(Pad().Checkpoint("ending", {{"black beside the page", 100, 100, 0xFF000000u}}));
    // Black beside the page says nothing of the page itself: most of it must be drawn.
    EXPECT_LT(Game().ReadFrame().Share(240, 135, 480, 270, 0xFF000000u, 4), 0.1) << "the ending's page is black";
    ASSERT_TRUE(WaitStage("stage_TitleScene", 900));
    {
        const PlayerSaveData saved = SavedOnDisk();
        EXPECT_EQ(saved.GetQuestClearCount(kCave), 1u);
        EXPECT_EQ(saved.GetQuestClearCount(kMeadow), 1u);
        EXPECT_EQ(saved.m_aLevels[0], 1u);
    }
    const double firstRun = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    const int firstRunTicks = Game().TickCount();
    Game().RecordFrameTimes(false);
    std::cout << Game().FrameTimes().Report() << std::flush;

    // A restart of the program on the same folder: the level bought is read back and shown.
    ASSERT_TRUE(Game().Restart());
    Game().Tick();
    ASSERT_NO_FATAL_FAILURE(StartHome());
    EXPECT_EQ(g_PlayerSaveData.m_aLevels[0], 1u);
    ASSERT_NO_FATAL_FAILURE(OpenUpgrade());
    hp = Upgrade()->GetRow(0);
    EXPECT_EQ(hp->m_nSavedLevel, 1);
    const std::vector<GameObj*> pieces = hp->GetPieceTable()->GetItems();
    ASSERT_GE(pieces.size(), 2u);
    EXPECT_TRUE(pieces[0]->IsActive()) << "the bought level's piece";
    EXPECT_GT(PieceRedness(Game().ReadFrame()), 40) << "the bought level's piece in the hp colour";
    Pad().Press("B");
    ASSERT_TRUE(WaitOpen("ui_upgrade_parameter", false, 60));

    std::printf("full flow: %d ticks (%.1f s of game time) in %.1f s, then the restart in %.1f s\n", firstRunTicks,
                firstRunTicks * GameHarness::kStepMilliseconds / 1000.0, firstRun,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count() - firstRun);
}

// The two shorter ways through: a quest given up with Select comes home with nothing granted;
// Select at home, answered yes, ends the program, which then shuts down cleanly.
TEST_F(FullFlowEndToEndTest, GivingAQuestUpAndLeavingTheGameFromHome)
{
    struct Case {
        const char* what;
        std::function<void(FullFlowEndToEndTest&)> play;
    };
    const Case cases[] = {
        {"giving the meadow up",
         [](FullFlowEndToEndTest& t) {
             ASSERT_NO_FATAL_FAILURE(t.OpenQuestSelect());
             ASSERT_NO_FATAL_FAILURE(t.TakeQuest(kMeadow, "stage_Meadow"));
             t.Game().Ticks(30);
             t.Pad().Press("select");
             ASSERT_NO_FATAL_FAILURE(t.AnswerYes("ui_giveup_yes_no"));
             ASSERT_TRUE(t.WaitStage("stage_Home", 180));
             ASSERT_TRUE(t.WaitPlay("stage_Home", 180));
             EXPECT_EQ(g_PlayerSaveData.GetQuestClearCount(kMeadow), 0u);
             EXPECT_EQ(g_PlayerSaveData.m_nExperience, 0u);
             const PlayerSaveData saved = SavedOnDisk();
             EXPECT_EQ(saved.GetQuestClearCount(kMeadow), 0u) << "nothing granted in the save";
             EXPECT_EQ(saved.m_nExperience, 0u);
         }},
        {"leaving the game from home",
         [](FullFlowEndToEndTest& t) {
             const int quits = t.Game().QuitCount();
             t.Pad().Press("select");
             ASSERT_NO_FATAL_FAILURE(t.AnswerYes("ui_exit_yes_no"));
             ASSERT_TRUE(t.Game().TickUntil([&] { return t.Game().QuitCount() > quits; }, "the quit", 120));
             EXPECT_TRUE(t.OnStage("stage_Home")) << "no stage requested on the way out";
             t.Game().Shutdown();
             EXPECT_FALSE(t.Game().IsRunning());
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Fresh();
        ASSERT_TRUE(Game().Start());
        Game().Tick();
        ASSERT_NO_FATAL_FAILURE(StartHome());
        c.play(*this);
        if (HasFatalFailure())
            return;
    }
}

// Saving and leaving from home are answered by the stage's director whatever held the UI
// selection when the dialog opened: with the companion's talk window up the answer still counts.
TEST_F(FullFlowEndToEndTest, SaveAndQuitFromHomeWithAndWithoutTheTalkWindow)
{
    struct Case {
        const char* what;
        bool talking;
        bool quit; // else save
    };
    const Case cases[] = {
        {"save", false, false},
        {"save while the companion talks", true, false},
        {"quit", false, true},
        {"quit while the companion talks", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Fresh();
        ASSERT_TRUE(Game().Start());
        Game().Tick();
        ASSERT_NO_FATAL_FAILURE(StartHome());
        ASSERT_EQ(SavedOnDisk().m_nExperience, 0u) << "the arrival's autosave";
        if (c.talking) {
            ASSERT_NO_FATAL_FAILURE(TalkToCompanion());
        }
        if (c.quit) {
            const int quits = Game().QuitCount();
            Pad().Press("select");
            ASSERT_TRUE(WaitOpen("ui_exit_yes_no", true, 30));
            ASSERT_NO_FATAL_FAILURE(AnswerYes("ui_exit_yes_no"));
            ASSERT_TRUE(Game().TickUntil([&] { return Game().QuitCount() > quits; }, "the quit", 120));
            Game().Shutdown();
            EXPECT_FALSE(Game().IsRunning());
            continue;
        }
        // Something worth saving: the experience a quest would have paid.
        g_PlayerSaveData.m_nExperience = 321;
        ASSERT_NO_FATAL_FAILURE(OpenAt(kSavePointX, "ui_save_yes_no"));
        EXPECT_EQ(Panel("ui_lisvet_window")->IsActive(), c.talking);
        ASSERT_NO_FATAL_FAILURE(AnswerYes("ui_save_yes_no"));
        EXPECT_EQ(SavedOnDisk().m_nExperience, 321u) << "the file holds what was saved";
        if (c.talking) {
            EXPECT_TRUE(CompanionTalkSelected()) << "the talk window has the selection back";
        }
    }
}

// The companion's talk window stays up while the player walks to the board: the quest select
// opened there is drawn over it, so the talk frame's white inner line never crosses the screen.
TEST_F(FullFlowEndToEndTest, TheQuestSelectIsDrawnOverTheCompanionsTalk)
{
    Fresh();
    ASSERT_TRUE(Game().Start());
    Game().Tick();
    ASSERT_NO_FATAL_FAILURE(StartHome());
    ASSERT_NO_FATAL_FAILURE(TalkToCompanion());
    const GameObj* talkFrame = Game().FindObjectByTag("talk_frame");
    ASSERT_NE(talkFrame, nullptr);
    // The frame is 120 high around its middle; its white line runs 4 to 5 pixels inside its top.
    const int top = 540 - int(talkFrame->GetTransform()->WorldMatrix().m[3][1]) - 60;
    const auto longestWhiteRun = [&] {
        const HarnessFrame frame = Game().ReadFrame();
        int longest = 0;
        for (int y = top + 2; y <= top + 7; ++y) {
            int run = 0;
            for (int x = 170; x < 790; ++x) {
                const uint32_t p = frame.Pixel(x, y);
                const bool bright = ((p >> 16) & 0xFF) >= 170 && ((p >> 8) & 0xFF) >= 170 && (p & 0xFF) >= 160;
                run = bright ? run + 1 : 0;
                longest = std::max(longest, run);
            }
        }
        return longest;
    };
    Game().Ticks(30); // the window fades in
    EXPECT_GT(longestWhiteRun(), 500) << "the talk window is not seen over the yard";

    ASSERT_NO_FATAL_FAILURE(OpenQuestSelect());
    ASSERT_TRUE(Panel("ui_lisvet_window")->IsActive()) << "the talk closed before the check";
    EXPECT_LT(longestWhiteRun(), 100) << "the talk frame's line crosses the open quest select";
}
