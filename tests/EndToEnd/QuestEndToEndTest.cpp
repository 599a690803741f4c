// Whole quests in the running game, played through the pad by the gameplay driver: the meadow
// from its fade-in through the waves, the targets, the slow motion of the last fall and the
// report to the rewards in the save and home; a death and a give-up that go home with nothing;
// the cave's master to its next stage. Screenshots through the game's own F12 path at each point.
#include "Components/Core/SpriteRenderer.h"
#include "Components/Game/BossBattleController.h"
#include "Components/Game/KnockbackController.h"
#include "Components/Game/ObjectiveController.h"
#include "Components/Game/QuestController.h"
#include "Components/Game/TalkChannel.h"
#include "Components/UI/UIRoot.h"
#include "Support/GameHarness.h"
#include "Support/GameplayDriver.h"
#include "System/Common/FrameCounter.h"
#include "System/Common/NameHash.h"
#include "System/Graphics/ScreenFader.h"
#include "World/GameObj.h"
#include "World/MessageManager.h"
#include "World/PlayerSaveData.h"
#include "World/QuestTable.h"
#include "World/SceneManager.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

namespace {

// The image generator's palette and the demo's sky, as the frames show them.
constexpr uint32_t kBlack = 0xFF000000;
constexpr uint32_t kSky = 0xFF71A8E8;            // the meadow's and home's sky 100 rows down
constexpr uint32_t kFlowerYellow = 0xFFF2C94C;   // the HUD flower's middle
constexpr uint32_t kLifeGreen = 0xFF5DAA4F;      // the HUD's life bar, the meadow's banner
constexpr uint32_t kReportPlate = 0xFF33405B;
constexpr uint32_t kDialogTeal = 0xFF3BA3A3;
constexpr uint32_t kTalkPlate = 0xFF465C7E;      // the companion's talk window, over the sky 195 rows down

const NameId kMeadow = HashName("quest_Meadow");
const NameId kCave = HashName("quest501");
const NameId kFeather = HashName("accessory_Feather");

// The HUD in its corner: the flower and the life bar.
const std::vector<PixelProbe> kHud = {{"HUD flower", 40, 40, kFlowerYellow}, {"HUD life bar", 80, 40, kLifeGreen}};

std::vector<PixelProbe> With(std::vector<PixelProbe> probes, const std::vector<PixelProbe>& more)
{
    probes.insert(probes.end(), more.begin(), more.end());
    return probes;
}

// What a quest may grant, in memory or in the save file.
struct Gains {
    uint32_t clears = 0;
    uint32_t flags = 0;
    uint32_t experience = 0;
    bool feather = false;
    bool operator==(const Gains&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Gains& g)
{
    return out << "{clears " << g.clears << ", flags " << g.flags << ", experience " << g.experience << ", feather "
               << g.feather << "}";
}

Gains GainsOf(const PlayerSaveData& data, NameId quest)
{
    return {data.GetQuestClearCount(quest), data.m_nFlagBits, data.m_nExperience, data.HasAccessory(kFeather)};
}

Gains SavedGains(NameId quest)
{
    PlayerSaveData saved;
    saved.Read("QMSave.sav");
    return GainsOf(saved, quest);
}

// The first sliced sprite of an object's subtree (the object included), or null.
SlicedSpriteRenderer* FirstSlicedSprite(GameObj* object)
{
    for (GameObj* o = object; o && o->IsInSubtreeOf(object); o = o->GetNext())
        if (auto* s = static_cast<SlicedSpriteRenderer*>(o->GetComponent(SlicedSpriteRenderer::s_Class.Key)))
            return s;
    return nullptr;
}

// Watches the companion's talk window in a fight, frame by frame: while it shows, whether its
// frame covers the player's body or a live enemy's. A slime blown away flies anywhere up the sky,
// out of the fight until it lands: only the ground fight counts.
class TalkCoverWatch {
public:
    TalkCoverWatch(GameHarness& game, GameplayDriver& driver) : m_Game(game), m_Driver(driver) {}

    // The quest stage's talk panel and its frame; false without them.
    bool Attach()
    {
        m_pPanel = UIRoot::FindPanel(HashName("ui_lisvet_window"));
        m_pFrame = m_pPanel ? FirstSlicedSprite(m_pPanel) : nullptr;
        return m_pFrame != nullptr;
    }
    GameObj* Panel() const { return m_pPanel; }
    SlicedSpriteRenderer* Frame() const { return m_pFrame; }

    void Look()
    {
        if (!m_pPanel->IsActive())
            return;
        ++m_nShown;
        const ScreenBox talk = GameplayDriver::ScreenSpriteBox(m_pFrame);
        auto look = [&](const std::string& who, const ScreenBox& body) {
            if (talk.Overlaps(body) && m_nHidden++ < 4)
                m_Covered.push_back(who + " at " + testing::PrintToString(body) + " under the talk at " +
                                    testing::PrintToString(talk) + " (tick " + std::to_string(m_Game.TickCount()) +
                                    ")");
        };
        look("the player", m_Driver.BodyOnScreen(m_Driver.Player()));
        for (GameObj* enemy : m_Driver.LiveEnemies()) {
            auto* flight = static_cast<KnockbackController*>(enemy->GetComponent(KnockbackController::s_Class.Key));
            if (!flight || flight->IsFinished())
                look(enemy->GetPrototypeName(), m_Driver.BodyOnScreen(enemy));
        }
    }
    // Frames it showed, frames it hid someone, and the first of those.
    int m_nShown = 0;
    int m_nHidden = 0;
    std::vector<std::string> m_Covered;

private:
    GameHarness& m_Game;
    GameplayDriver& m_Driver;
    GameObj* m_pPanel = nullptr;
    SlicedSpriteRenderer* m_pFrame = nullptr;
};

class QuestEndToEndTest : public testing::Test {
public:
    QuestEndToEndTest() : m_Driver(m_Game) {}

    QuestController* Quest() const
    {
        GameObj* root = m_Game.Root();
        return root ? static_cast<QuestController*>(root->GetComponent(QuestController::s_Class.Key)) : nullptr;
    }
    ObjectiveController* Director() const
    {
        GameObj* root = m_Game.Root();
        return root ? static_cast<ObjectiveController*>(root->GetComponent(ObjectiveController::s_Class.Key))
                    : nullptr;
    }
    std::string StageName() const
    {
        const GameObj* root = m_Game.Root();
        return root ? root->GetPrototypeName() : std::string();
    }

    // The game started, the quest made current and its stage requested from the title.
    void StartQuest(const std::string& quest, const std::string& stage, bool keepEntryFade = false)
    {
        ASSERT_TRUE(m_Game.Start());
        m_Game.Tick();
        ASSERT_TRUE(m_Game.EnterQuestStage(quest, stage, keepEntryFade));
        ASSERT_EQ(StageName(), stage);
        ASSERT_NE(Quest(), nullptr);
        ASSERT_NE(m_Driver.Player(), nullptr);
    }
    testing::AssertionResult WaitPlay()
    {
        return m_Driver.WaitUntil([&] { return Quest() && Quest()->m_nState == eQuest_Play && m_Driver.Grounded(); },
                                  "the quest plays and the player stands", 240);
    }
    // Home again: the leave's fade, the request and the home stage built with its player.
    testing::AssertionResult WaitHome(int frameLimit = 600)
    {
        return m_Driver.WaitUntil([&] { return StageName() == "stage_Home" && m_Driver.Player(); },
                                  "the home stage is built", frameLimit);
    }

    GameHarness m_Game;
    GameplayDriver m_Driver;
};

} // namespace

TEST_F(QuestEndToEndTest, TheMeadowFromItsFadeInToTheRewardsInTheSave)
{
    StartQuest("quest_Meadow", "stage_Meadow", true);
    ObjectiveController* director = Director();
    ASSERT_NE(director, nullptr);
    const Gains before = GainsOf(g_PlayerSaveData, kMeadow);

    // The stage fades in from black, then play starts.
    ASSERT_TRUE(m_Driver.WaitUntil([&] { return g_pScreenFader->m_nMode == eScreenFade_FadeIn; }, "the fade-in", 10));
    EXPECT_EQ(Quest()->m_nState, eQuest_Start);
    EXPECT_TRUE(m_Driver.Checkpoint("fade-in", {{"black over everything", 480, 100, kBlack, 24},
                                                 {"black over the HUD", 40, 40, kBlack, 24}}));
    ASSERT_TRUE(WaitPlay());
    EXPECT_TRUE(m_Driver.Checkpoint("play", With(kHud, {{"sky", 480, 100, kSky}})));

    // Waves of slimes and the three targets, fought through on the pad.
    std::set<int32_t> states;
    size_t mostMobs = 0, mostTargets = 0;
    ASSERT_TRUE(m_Driver.FightUntil(
        [&] {
            states.insert(director->m_nState);
            mostMobs = std::max(mostMobs, director->m_Mobs.size());
            mostTargets = std::max(mostTargets, director->m_Targets.size());
            return director->m_nState == eDirector_Complete;
        },
        "every target is down", 6000));
    EXPECT_TRUE(states.count(eDirector_Relax) && states.count(eDirector_BuildUp)) << "a wave built up";
    EXPECT_GT(mostMobs, 0u) << "mobs came";
    EXPECT_EQ(mostTargets, 3u) << "the three targets came";
    EXPECT_EQ(director->m_nTargetsLeft, 0);
    // The last fall: slow motion, the companion silenced, the report still to come.
    EXPECT_FLOAT_EQ(GetAppTimeScale(), 0.35f);
    EXPECT_EQ(g_nTalkEnableMask, 0u);
    EXPECT_EQ(Quest()->m_nState, eQuest_Play);
    EXPECT_TRUE(m_Driver.Checkpoint("last target", With(kHud, {{"sky", 480, 100, kSky}})));

    // Once the flower has played out: full speed, the report, closed on B; nothing is granted
    // before it closes.
    QuestController* quest = Quest();
    ASSERT_TRUE(m_Driver.WaitUntil([&] { return quest->m_nState == eQuest_Clear && quest->m_nStep == 1; },
                                   "the report opens", 600));
    EXPECT_TRUE(director->m_bComplete);
    EXPECT_FLOAT_EQ(GetAppTimeScale(), 1.0f);
    GameObj* report = UIRoot::FindPanel(HashName("ui_report"));
    ASSERT_NE(report, nullptr);
    m_Driver.Wait(30);
    EXPECT_TRUE(report->IsActive());
    EXPECT_TRUE(m_Driver.Checkpoint("report", {{"the meadow's banner, left of its name", 410, 160, kLifeGreen},
                                               {"the report's plate", 300, 200, kReportPlate}}));
    // Defeats pay experience as they happen; the rewards wait for the report.
    Gains beforeClose = GainsOf(g_PlayerSaveData, kMeadow);
    EXPECT_GT(beforeClose.experience, before.experience) << "the defeats paid";
    beforeClose.experience = before.experience;
    EXPECT_EQ(beforeClose, before) << "nothing granted before the report closes";
    const uint32_t defeatsPaid = GainsOf(g_PlayerSaveData, kMeadow).experience;
    m_Driver.Press("B");
    ASSERT_TRUE(m_Driver.WaitUntil([&] { return !report->IsActive(); }, "the report closes", 120));

    // Home, whose start saves: the clear, the way to the cave, the experience and the feather
    // for a clear within five minutes.
    ASSERT_TRUE(WaitHome());
    EXPECT_EQ(g_pQuestTable->m_pCurrentQuest->m_nKey, HashName("vididezare"));
    const Gains saved = SavedGains(kMeadow);
    EXPECT_EQ(saved, GainsOf(g_PlayerSaveData, kMeadow)) << "the save holds the game's state";
    EXPECT_EQ(saved.clears, 1u);
    EXPECT_EQ(saved.flags, before.flags | 1u) << "the way to the cave";
    EXPECT_EQ(saved.experience, defeatsPaid + 100u) << "the quest's 100 on top of the defeats";
    EXPECT_TRUE(saved.feather);
    ASSERT_TRUE(m_Driver.WaitUntil([&] { return g_pScreenFader->m_nMode == eScreenFade_Idle; }, "home fades in", 120));
    EXPECT_TRUE(m_Driver.Checkpoint("home", With(kHud, {{"sky", 480, 100, kSky}})));
}

// The companion's talk window hides none of the meadow's fight: whenever it shows, from the
// opening talk through the waves to the last fall's remark, its frame covers neither the
// player's body nor any live enemy's; a remark still up when the report opens leaves the
// report's plate clear; and a frame with the talk up shows the player and the sky around it.
TEST_F(QuestEndToEndTest, TheTalkWindowHidesNoneOfTheMeadowFight)
{
    StartQuest("quest_Meadow", "stage_Meadow");
    ObjectiveController* director = Director();
    ASSERT_NE(director, nullptr);
    ASSERT_TRUE(WaitPlay());
    TalkCoverWatch watch(m_Game, m_Driver);
    ASSERT_TRUE(watch.Attach()) << "the talk panel and its frame";
    GameObj* panel = watch.Panel();
    SlicedSpriteRenderer* frame = watch.Frame();

    // The opening talk, with the player standing where play starts.
    ASSERT_TRUE(m_Driver.WaitUntil([&] { return panel->IsActive() && frame->GetDrawWidth() > 0.0f; },
                                   "the opening talk shows", 60));
    watch.Look();
    m_Driver.Wait(20);
    const ScreenBox talk = GameplayDriver::ScreenSpriteBox(frame);
    const ScreenBox player = m_Driver.BodyOnScreen(m_Driver.Player());
    EXPECT_TRUE(m_Driver.Checkpoint(
        "the opening talk", With(kHud, {{"sky", 480, 100, kSky},
                                        {"the talk window", 900, 195, kTalkPlate, 12}})));
    EXPECT_FALSE(talk.Overlaps(player)) << "the player at " << player << " under the talk at " << talk;

    ASSERT_TRUE(m_Driver.FightUntil(
        [&] {
            watch.Look();
            return director->m_nState == eDirector_Complete;
        },
        "every target is down", 6000));
    // The last fall's remark in the slow motion, up to the report.
    QuestController* quest = Quest();
    ASSERT_TRUE(m_Driver.WaitUntil(
        [&] {
            watch.Look();
            return quest->m_nState == eQuest_Clear && quest->m_nStep == 1;
        },
        "the report opens", 600));
    EXPECT_GT(watch.m_nShown, 0) << "the talk window showed during the fight";
    EXPECT_EQ(watch.m_nHidden, 0) << "frames in which the talk window hid the fight; the first: "
                                  << testing::PrintToString(watch.m_Covered);

    GameObj* report = UIRoot::FindPanel(HashName("ui_report"));
    ASSERT_NE(report, nullptr);
    SlicedSpriteRenderer* plate = FirstSlicedSprite(report);
    ASSERT_NE(plate, nullptr) << "the report's plate";
    int overPlate = 0;
    for (int tick = 0; tick < 60 && panel->IsActive(); ++tick, m_Game.Tick())
        overPlate += GameplayDriver::ScreenSpriteBox(frame).Overlaps(GameplayDriver::ScreenSpriteBox(plate));
    EXPECT_EQ(overPlate, 0) << "frames with the talk at " << GameplayDriver::ScreenSpriteBox(frame)
                            << " over the report's plate at " << GameplayDriver::ScreenSpriteBox(plate);
}

TEST_F(QuestEndToEndTest, StandingStillUntilDeathGoesHomeWithNothing)
{
    StartQuest("quest_Meadow", "stage_Meadow");
    ASSERT_TRUE(WaitPlay());
    const Gains before = GainsOf(g_PlayerSaveData, kMeadow);
    ASSERT_TRUE(m_Driver.WaitUntil([&] { return !m_Driver.Player()->IsActive(); }, "the slimes bring the player down",
                                   3000));
    // The companion's line on the death, shown in its window.
    ASSERT_TRUE(m_Driver.WaitUntil([&] { return Quest()->m_nStep == 3; }, "the death is seen", 5));
    m_Driver.Wait(20);
    EXPECT_TRUE(m_Driver.Checkpoint("dead", {{"sky", 480, 100, kSky}, {"the talk window", 900, 195, kTalkPlate, 12}}));
    // The leave starts 2.2 s after the death was seen.
    const int seen = m_Game.TickCount() - 20;
    ASSERT_TRUE(m_Driver.WaitUntil([&] { return Quest()->m_nState == eQuest_Leave; }, "the leave", 300));
    const float waited = static_cast<float>(m_Game.TickCount() - seen) * GameHarness::kStepMilliseconds / 1000.0f;
    EXPECT_NEAR(waited, kDeathLeaveDelay, 0.06f);
    ASSERT_TRUE(WaitHome());
    EXPECT_EQ(GainsOf(g_PlayerSaveData, kMeadow), before);
    EXPECT_EQ(SavedGains(kMeadow), before) << "nothing granted in the save";
    m_Game.Ticks(30);
    EXPECT_TRUE(m_Driver.Checkpoint("home after the death", With(kHud, {{"sky", 480, 100, kSky}})));
}

TEST_F(QuestEndToEndTest, TheGiveUpDialogKeepsPlayingOnNoAndGoesHomeOnYes)
{
    StartQuest("quest_Meadow", "stage_Meadow");
    ASSERT_TRUE(WaitPlay());
    const Gains before = GainsOf(g_PlayerSaveData, kMeadow);
    const uint32_t playing = g_pSceneManager->m_nUpdateMask;
    GameObj* dialog = UIRoot::FindPanel(HashName("ui_giveup_yes_no"));
    ASSERT_NE(dialog, nullptr);
    struct Case {
        const char* answer;
        const char* buttons; // from the dialog's first button, "no"
        bool home;
    };
    for (const Case& c : {Case{"no", "", false}, Case{"yes", "left", true}}) {
        SCOPED_TRACE(c.answer);
        m_Driver.Press("select");
        ASSERT_TRUE(m_Driver.WaitUntil([&] { return dialog->IsActive(); }, "the dialog opens", 30));
        m_Driver.Wait(20);
        EXPECT_EQ(g_pSceneManager->m_nUpdateMask, kMenuUpdateMask) << "the stage stands still";
        EXPECT_TRUE(m_Driver.Checkpoint(std::string("give up? ") + c.answer,
                                        With(kHud, {{"the dialog's plate", 320, 330, kDialogTeal}})));
        if (*c.buttons) {
            m_Driver.Press(c.buttons);
            m_Driver.Wait(5);
        }
        m_Driver.Press("A");
        if (c.home) {
            ASSERT_TRUE(WaitHome());
        } else {
            ASSERT_TRUE(m_Driver.WaitUntil([&] { return !dialog->IsActive(); }, "the dialog closes", 60));
            m_Driver.Wait(60);
            EXPECT_EQ(g_pSceneManager->m_nUpdateMask, playing);
            EXPECT_EQ(Quest()->m_nState, eQuest_Play);
            EXPECT_EQ(Quest()->m_nOutcome, eOutcome_None);
        }
    }
    EXPECT_EQ(GainsOf(g_PlayerSaveData, kMeadow), before);
    EXPECT_EQ(SavedGains(kMeadow), before) << "nothing granted in the save";
    m_Game.Ticks(30);
    EXPECT_TRUE(m_Driver.Checkpoint("home after giving up", With(kHud, {{"sky", 480, 100, kSky}})));
}

TEST_F(QuestEndToEndTest, TheCaveMasterFallsAndItsNextStageIsRequested)
{
    StartQuest("quest501", "stage_Cave");
    ASSERT_TRUE(WaitPlay());
    auto* battle = static_cast<BossBattleController*>(m_Game.Root()->GetComponent(BossBattleController::s_Class.Key));
    ASSERT_NE(battle, nullptr);
    ASSERT_EQ(battle->m_nState, eBoss_Battle);
    const int32_t boss = battle->m_nBossId;
    const auto bossStands = [&] {
        GameObj* b = g_pSceneManager->GetMessageManager()->FindObject(boss);
        return b && b->IsActive();
    };
    ASSERT_TRUE(bossStands()) << "the master is there";
    EXPECT_TRUE(m_Driver.Checkpoint("cave", kHud));
    const uint32_t clears = g_PlayerSaveData.GetQuestClearCount(kCave);
    // Up to the master first, then the fight with whatever is nearest.
    const GameObj* master = g_pSceneManager->GetMessageManager()->FindObject(boss);
    ASSERT_TRUE(m_Driver.Approach(master, 80.0f, 600));
    EXPECT_LE(std::fabs(GameplayDriver::XOf(master) - m_Driver.PlayerX()), 80.0f + 10.0f);
    ASSERT_TRUE(m_Driver.FightUntil([&] { return !bossStands(); }, "the master falls", 3000));
    // The battle sees the fall at its next update: paid, counted and on to the ending.
    ASSERT_TRUE(m_Driver.WaitUntil([&] { return StageName() == "stage_Ending"; }, "the ending stage", 5));
    EXPECT_EQ(g_PlayerSaveData.GetQuestClearCount(kCave), clears + 1) << "counted once";
    EXPECT_GE(g_PlayerSaveData.m_nHonourLevel, 1) << "the explorer's title";
    m_Game.Ticks(30);
    // The ending opens on its first page, black around it, the quest's HUD gone with its stage.
    EXPECT_TRUE(m_Driver.Checkpoint("ending", {{"black beside the page", 100, 100, kBlack}, {"no HUD flower", 40, 40, kBlack}}));
    EXPECT_LT(m_Game.ReadFrame().Share(240, 135, 480, 270, kBlack, 4), 0.1) << "the ending's page is black";
}

// The first quest as a new player meets it, from ten seeds: the companion's opening talk plays
// while the player already runs (it does not hold him still as the first enemies come), the
// waves never put more slimes about than the goal's three, the talk window hides no one in the
// fight, and the driver, fighting by the pad alone, brings the three targets down and clears the
// quest each time.
TEST(QuestFirstPlayEndToEndTest, TheMeadowIsClearedFromTenSeeds)
{
    constexpr uint32_t kSeeds = 10;
    for (uint32_t run = 0; run < kSeeds; ++run) {
        const uint32_t seed = GameHarness::kDefaultSeed + 7919u * (run + 1u);
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        GameHarness game;
        GameplayDriver driver(game);
        ASSERT_TRUE(game.Start(seed));
        game.Tick();
        ASSERT_TRUE(game.EnterQuestStage("quest_Meadow", "stage_Meadow"));
        GameObj* root = game.Root();
        ASSERT_NE(root, nullptr);
        auto* quest = static_cast<QuestController*>(root->GetComponent(QuestController::s_Class.Key));
        auto* director = static_cast<ObjectiveController*>(root->GetComponent(ObjectiveController::s_Class.Key));
        ASSERT_NE(quest, nullptr);
        ASSERT_NE(director, nullptr);
        ASSERT_TRUE(driver.WaitUntil([&] { return quest->m_nState == eQuest_Play && driver.Grounded(); },
                                     "the quest plays and the player stands", 240));

        TalkCoverWatch watch(game, driver);
        ASSERT_TRUE(watch.Attach());
        GameObj* panel = watch.Panel();

        // The opening talk shows, and the player runs meanwhile.
        ASSERT_TRUE(driver.WaitUntil([&] { return panel->IsActive(); }, "the opening talk shows", 60));
        const float startX = driver.PlayerX();
        const std::string way = driver.Toward(1536.0f);
        driver.Hold(way);
        game.Ticks(30);
        driver.ReleaseAll();
        EXPECT_TRUE(panel->IsActive()) << "the talk still shows";
        EXPECT_GT(std::fabs(driver.PlayerX() - startX), 60.0f) << "the talk holds the player still";

        size_t mostMobs = 0;
        ASSERT_TRUE(driver.FightUntil(
            [&] {
                watch.Look();
                mostMobs = std::max(mostMobs, director->m_Mobs.size());
                return director->m_nState == eDirector_Complete;
            },
            "every target is down", 5000));
        EXPECT_EQ(watch.m_nHidden, 0) << "frames in which the talk window hid the fight; the first: "
                                      << testing::PrintToString(watch.m_Covered);
        EXPECT_EQ(director->m_nTargetsLeft, 0);
        // The waves fit the goal: never more slimes about at once than the three targets.
        EXPECT_GT(mostMobs, 0u);
        EXPECT_LE(mostMobs, 3u) << "slimes alive at once";
        ASSERT_TRUE(driver.WaitUntil([&] { return quest->m_nState == eQuest_Clear; }, "the quest is cleared", 600));
    }
}
