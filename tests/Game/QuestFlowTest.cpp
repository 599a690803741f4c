// The quest flow on a stage's root (fade-in, play, report, leave; death, giving up, menus), the
// boss battle and the spawn-intensity director, over Lua prototypes with a small UI tree whose
// panels are plain frames, so that opening and closing them sends the real events.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "Components/Game/BossBattleController.h"
#include "Components/Game/EffectController.h"
#include "Components/Game/EnemyController.h"
#include "Components/Game/ObjectiveController.h"
#include "Components/Game/TalkChannel.h"
#include "Components/UI/UIHud.h"
#include "Components/UI/UIRoot.h"
#include "Components/UI/UIUpgradeParameter.h"
#include "GameFixture.h"
#include "Support/HangGuard.h"
#include "System/Common/FrameCounter.h"
#include "System/Common/Random.h"
#include "System/Graphics/ScreenFader.h"
#include "World/PlayerSaveData.h"
#include "World/QuestTable.h"
#include "World/TextTable.h"

namespace {

const NameId kImmediate = HashName("ImmediateLisvet");
const NameId kHomeBase = HashName("HomeBaseLisvet");

// A quest table with the home, the test quest and a second quest, the test quest current, and
// the companion's lines of the quest's triggers (each line its key), while it lives; the save
// data and the talk channels are restored after.
class Quests {
public:
    explicit Quests(const char* current = "quest_Test")
    {
        m_pOld = g_pQuestTable;
        g_pQuestTable = &m_Table;
        m_pOldText = g_pTextTable;
        g_pTextTable = &m_Text;
        for (const char* key : {"dead", "target_obliterate", "any_enemy_obliterate"})
            m_Text.Insert(HashName(key), {key});
        m_Saved = g_PlayerSaveData;
        g_PlayerSaveData = PlayerSaveData();
        g_TalkChannelQueue.Clear(0);
        g_nTalkEnableMask = 0x7FFFFFFF;
        Add("vididezare", "stage_Home");
        QuestRecord& quest = Add("quest_Test", "stage_Test");
        quest.m_nInitialLevel = 2;
        quest.m_StartUpMessages = {{"go", "now"}};
        quest.m_ClearImpressions = {{"done"}};
        QuestReward experience;
        experience.m_nRewardType = eRewardType_Experience;
        experience.m_nRewardValue = 100;
        experience.m_Condition.m_Groups = {{}}; // one empty group: always
        quest.m_Rewards.push_back(experience);
        Add("quest_Other", "stage_Other");
        m_Table.m_pCurrentQuest = m_Table.Find(HashName(current));
    }
    ~Quests()
    {
        g_pQuestTable = m_pOld;
        g_pTextTable = m_pOldText;
        g_PlayerSaveData = m_Saved;
        g_TalkChannelQueue.Clear(0);
    }
    QuestRecord& Add(const char* key, const char* stage)
    {
        auto record = std::make_unique<QuestRecord>();
        record->m_nKey = HashName(key);
        record->m_StageName = stage;
        record->m_nAreaCount = 2;
        QuestRecord& r = *record;
        m_Table.Insert(r.m_nKey, std::move(record));
        return r;
    }
    QuestRecord& Current() { return *m_Table.m_pCurrentQuest; }

private:
    QuestTable m_Table;
    QuestTable* m_pOld;
    TextTable m_Text;
    TextTable* m_pOldText;
    PlayerSaveData m_Saved;
};

// A panel of the test UI tree: a plain frame, closed.
std::string Panel(const char* tag)
{
    return std::string(tag) + " = { object_name = '" + tag + "', object_tag = '" + tag +
           "', object_layer = 2048, object_activity = 0, components = { Transform = {}, UIFrame = {} } }";
}

const char* const kPanels[] = {"ui_giveup_yes_no", "ui_save_yes_no",  "ui_exit_yes_no",
                               "ui_report",        "ui_quest_select", "ui_upgrade_parameter"};

// The stage with the quest controller and the given directors, a UI tree with the HUD and the
// panels, the player, cameras, a mob, a target, a boss and a follower.
std::map<std::string, std::string> FlowFiles(const std::string& directors, const std::string& enemyMore = "")
{
    auto files = GameFiles("");
    files.erase("game_objects/test_player");
    files["stage/stage_Test"] =
        "stage_Test = { object_name = 'stage', object_layer = 1, object_activity = 1,"
        "  components = { Transform = {}, TestStageSize = {}, QuestController = { initPlayerPos = { x = 0, y = 0 } }, " +
        directors +
        " },"
        "  children = { { base_script = 'test_floor' }, { base_script = 'test_ui' } } }";
    files["game_objects/gameobj_player_pemba"] =
        PlayerPrototype(PlayerTuning(), "").replace(0, std::string("test_player").size(), "gameobj_player_pemba");
    files["game_objects/camera"] = "camera = { object_name = 'camera', object_tag = 'GameCamera', object_layer = 4,"
                                   "  object_activity = 1, components = { Transform = {}, Camera2D = {} } }";
    files["game_objects/ui_camera"] = "ui_camera = { object_name = 'ui camera', object_layer = 4, object_activity = 1,"
                                      "  components = { Transform = {} } }";
    std::string children;
    for (const char* tag : kPanels) {
        files[std::string("game_objects/") + tag] = Panel(tag);
        children += std::string("{ base_script = '") + tag + "' },";
    }
    files["game_objects/test_ui"] = "test_ui = { object_name = 'ui', object_layer = 2048, object_activity = 1,"
                                    "  components = { Transform = {}, UIRoot = {} }, children = { " +
                                    children + " { base_script = 'test_hud' } } }";
    files["game_objects/test_hud"] =
        "test_hud = { object_name = 'hud', object_tag = 'ui_hud', object_layer = 2048, object_activity = 1,"
        "  components = { Transform = {}, UIFrameHud = { status_bar = 'status_bar', quest_target = 'quest_target' } },"
        "  children = { { base_script = 'test_hud_bar' }, { base_script = 'test_hud_targets' } } }";
    files["game_objects/test_hud_bar"] =
        "test_hud_bar = { object_name = 'bar', object_tag = 'status_bar', object_layer = 2048, object_activity = 1,"
        "  components = { Transform = {}, UIHudStatusBar = {} } }";
    files["game_objects/test_hud_targets"] =
        "test_hud_targets = { object_name = 'targets', object_tag = 'quest_target', object_layer = 2048,"
        "  object_activity = 1, components = { Transform = {},"
        "  UIHudQuestTarget = { limit_max = 99, quest_target_script_name = 'test_row' } } }";
    files["game_objects/test_row"] = "test_row = { object_name = 'row', object_layer = 2048, object_activity = 1,"
                                     "  components = { Transform = {} } }";
    // Enemies stand still; their machine is one idle state.
    for (const char* name : {"test_mob", "test_target", "test_boss", "test_follower", "test_stranger"})
        files[std::string("game_objects/") + name] =
            std::string(name) + " = { object_name = '" + name +
            "', object_tag = 'Enemy', object_layer = 32, object_activity = 1,"
            "  components = { Transform = {}, StatusParameter = { health = { init = 10, max = 10 },"
            "  experience = { init = 5, max = 5 } }, HealthController = {}, " +
            enemyMore +
            "  EnemyController = { initState = 'idle', stateMachine = { idle = {} }, deadEffect = 'test_dead_effect' } } }";
    files["game_objects/gameobj_effect_dead_with_flower4"] =
        "gameobj_effect_dead_with_flower4 = { object_name = 'flower', object_layer = 1, object_activity = 1,"
        "  components = { Transform = {}, EffectController = { removeOnEnded = false } } }";
    return files;
}

class QuestFlowTest : public GameTest {
protected:
    void SetUp() override
    {
        GameTest::SetUp();
        m_pOldFader = g_pScreenFader;
        g_pScreenFader = &m_Fader;
        g_bUILocked = 0;
        SetAppTimeScale(1.0f);
        SfmtInit(7);
    }
    void TearDown() override
    {
        GameTest::TearDown();
        g_pScreenFader = m_pOldFader;
        g_bUILocked = 0;
        SetAppTimeScale(1.0f);
    }
    void BuildFlow(const std::string& directors = "", const std::string& enemyMore = "")
    {
        Build(FlowFiles(directors, enemyMore));
    }
    // A frame as the application runs it, the fader included.
    void Step(uint32_t held = 0)
    {
        m_Fader.Update(1.0f / 60.0f);
        Tick(held);
    }
    void Steps(int n, uint32_t held = 0)
    {
        for (int i = 0; i < n; ++i)
            Step(held);
    }
    // Frames until the quest is in the state, at most n.
    bool StepUntilState(int32_t state, int n = 200)
    {
        for (int i = 0; i < n && Quest().m_nState != state; ++i)
            Step();
        return Quest().m_nState == state;
    }
    QuestController& Quest() const
    {
        return *static_cast<QuestController*>(Find("stage")->GetComponent(QuestController::s_Class.Key));
    }
    ObjectiveController* Director() const
    {
        return static_cast<ObjectiveController*>(Find("stage")->GetComponent(ObjectiveController::s_Class.Key));
    }
    BossBattleController* Battle() const
    {
        return static_cast<BossBattleController*>(Find("stage")->GetComponent(BossBattleController::s_Class.Key));
    }
    UIFrameHud* Hud() const { return static_cast<UIFrameHud*>(Find("hud")->GetComponent(UIFrameHud::s_Class.Key)); }
    uint32_t Mask() const { return m_pWorld->Scene()->m_nUpdateMask; }
    // A UI result as a dialog sends it, through the UI root.
    void SendResult(const char* panel, const char* name, int32_t value)
    {
        auto* result = new MsgUIResult(Find(panel));
        result->m_Values = {static_cast<int32_t>(HashName(name)), value};
        Find("ui")->PostMessage(result, 0.0f);
    }
    void SetPanel(const char* panel, bool open)
    {
        auto* message = new MsgSetActivate(Find(panel));
        message->m_bActive = open;
        Find(panel)->PostMessage(message, 0.0f);
    }
    int Count(NameId prototype) const
    {
        int n = 0;
        for (GameObj* o = m_pWorld->Scene()->GetRoot(); o; o = o->GetNext())
            n += o->GetPrototypeNameId() == prototype && !(o->GetFlags() & eGameObjFlag_PendingRemoval);
        return n;
    }

    ScreenFader m_Fader;
    ScreenFader* m_pOldFader = nullptr;
};

} // namespace

// The start: black held, then a half-second fade-in with the player's status in the HUD (the
// flower seeing no change), the start-up lines queued once play begins, the quest seen.
TEST_F(QuestFlowTest, StartFadesInAndFillsTheHud)
{
    Quests quests;
    BuildFlow();
    EXPECT_EQ(m_Fader.m_nMode, eScreenFade_Held);
    Step();
    EXPECT_EQ(m_Fader.m_nMode, eScreenFade_FadeIn);
    EXPECT_FLOAT_EQ(m_Fader.m_fDuration, 0.5f);
    EXPECT_EQ(g_PlayerSaveData.m_QuestProgress[HashName("quest_Test")].m_nSeen, 1u);
    UIHudStatusBar* bar = Hud()->m_pStatusBar;
    ASSERT_NE(bar, nullptr);
    EXPECT_FLOAT_EQ(bar->m_fLifeMax, 100.0f);
    EXPECT_FLOAT_EQ(bar->m_fLife, 100.0f);
    EXPECT_FLOAT_EQ(bar->m_fPrevLife, 100.0f);
    EXPECT_FLOAT_EQ(bar->m_fSpecialMax, 100.0f);
    ASSERT_TRUE(StepUntilState(eQuest_Play, 40));
    EXPECT_GE(m_pWorld->Frame(), 30u); // not before the fade has run
    Step();
    EXPECT_EQ(g_TalkChannelQueue.Count(kImmediate), 2u);
    Steps(3);
    EXPECT_EQ(g_TalkChannelQueue.Count(kImmediate), 2u);
    // Per frame: hit points clamped to the maximum the bar held, then the new maximum.
    auto* player = Find("player")->GetActorController();
    player->m_pHealth->m_nHealth = 40;
    player->m_pHealth->m_nMaxHealth = 30;
    Step();
    EXPECT_FLOAT_EQ(bar->m_fLife, 40.0f);
    EXPECT_FLOAT_EQ(bar->m_fLifeMax, 30.0f);
    Step();
    EXPECT_FLOAT_EQ(bar->m_fLife, 30.0f);
}

// How a quest stage ends: each outcome's lines, rewards, clear count and next stage.
TEST_F(QuestFlowTest, Outcomes)
{
    enum How { kSuccess, kDeath, kGiveUp };
    struct Case {
        const char* name;
        How how;
        uint32_t clears, experience;
        size_t homeLines;
    };
    const Case cases[] = {
        {"objective complete", kSuccess, 1, 100, 1},
        {"player dead", kDeath, 0, 0, 0},
        {"given up", kGiveUp, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Quests quests;
        BuildFlow("ObjectiveController = {}");
        ASSERT_TRUE(StepUntilState(eQuest_Play));
        Steps(2);
        if (c.how == kSuccess) {
            Director()->m_bComplete = true;
            SetAppTimeScale(0.35f);
            ASSERT_TRUE(StepUntilState(eQuest_Clear, 5));
            EXPECT_FLOAT_EQ(GetAppTimeScale(), 1.0f);
            Steps(5);
            // The report is up: the stage stands, nothing is paid yet.
            EXPECT_TRUE(Find("ui_report")->IsActive());
            EXPECT_EQ(Mask(), kMenuUpdateMask);
            Steps(5);
            EXPECT_EQ(g_PlayerSaveData.m_nExperience, 0u);
            SetPanel("ui_report", false);
            Steps(5);
            EXPECT_EQ(Mask(), 0xFFFFFFFFu);
        } else if (c.how == kDeath) {
            testing::internal::CaptureStdout();
            g_TalkChannelQueue.Clear(0);
            const uint32_t died = m_pWorld->Frame();
            Find("player")->Deactivate();
            Step();
            EXPECT_EQ(Quest().m_nOutcome, eOutcome_Dead);
            std::string line;
            ASSERT_TRUE(g_TalkChannelQueue.PopFront(kImmediate, line));
            EXPECT_EQ(line, "dead");
            Steps(60); // a second: still here, and no second line
            EXPECT_EQ(Quest().m_nState, eQuest_Play);
            EXPECT_EQ(g_TalkChannelQueue.Count(kImmediate), 0u);
            ASSERT_TRUE(StepUntilState(eQuest_Leave, 100));
            EXPECT_NEAR((m_pWorld->Frame() - died) / 60.0f, 2.2f, 0.05f);
            testing::internal::GetCapturedStdout();
        } else {
            SendResult("ui_giveup_yes_no", "CloseWindow", 1);
            ASSERT_TRUE(StepUntilState(eQuest_Leave, 4));
        }
        ASSERT_TRUE(StepUntilState(eQuest_Leave, 10));
        Step();
        EXPECT_EQ(m_Fader.m_nMode, eScreenFade_FadeOut);
        EXPECT_FALSE(m_pWorld->Scene()->IsStageChangePending());
        Steps(40);
        EXPECT_EQ(m_Fader.m_nMode, eScreenFade_Held);
        EXPECT_EQ(m_pWorld->Scene()->GetNextStageName(), "stage_Home");
        EXPECT_EQ(g_pQuestTable->m_pCurrentQuest->m_nKey, HashName("vididezare"));
        EXPECT_EQ(g_PlayerSaveData.GetQuestClearCount(HashName("quest_Test")), c.clears);
        EXPECT_EQ(g_PlayerSaveData.m_nExperience, c.experience);
        EXPECT_EQ(g_TalkChannelQueue.Count(kHomeBase), c.homeLines);
        EXPECT_EQ(g_TalkChannelQueue.Count(kImmediate), 0u);
    }
}

// The menu masks: an Open saves the mask and updates only the menu layer, a Close restores it;
// a Close with nothing saved leaves the mask alone; the quest select's Close with a chosen quest
// keeps the talk layer still.
TEST_F(QuestFlowTest, MenuMasks)
{
    struct Case {
        const char* name;
        const char* panel;
        bool open, chooseQuest;
        uint32_t whileOpen, after;
    };
    const Case cases[] = {
        {"give-up dialog", "ui_giveup_yes_no", true, false, kMenuUpdateMask, 0xFFFFFFFFu},
        {"report", "ui_report", true, false, kMenuUpdateMask, 0xFFFFFFFFu},
        {"upgrade screen", "ui_upgrade_parameter", true, false, kMenuUpdateMask, 0xFFFFFFFFu},
        {"quest select, nothing chosen", "ui_quest_select", true, false, kMenuUpdateMask, 0xFFFFFFFFu},
        {"quest select, a quest chosen", "ui_quest_select", true, true, kMenuUpdateMask, kLeaveUpdateMask},
        {"close without open", "ui_save_yes_no", false, false, 0xFFFFFFFFu, 0xFFFFFFFFu},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Quests quests;
        BuildFlow();
        ASSERT_TRUE(StepUntilState(eQuest_Play));
        EXPECT_EQ(Mask(), 0xFFFFFFFFu);
        if (c.open) {
            SetPanel(c.panel, true);
            Steps(5);
        } else {
            // A Close event with no Open before it.
            auto* close = new MsgUIEvent(Find(c.panel));
            close->m_eKind = eUIEvent_Close;
            Find("ui")->PostMessage(close, 0.0f);
            Steps(2);
        }
        EXPECT_EQ(Mask(), c.whileOpen);
        if (c.chooseQuest)
            SendResult(c.panel, "StartQuest", static_cast<int32_t>(HashName("quest_Other")));
        SetPanel(c.panel, false);
        Steps(5);
        EXPECT_EQ(Mask(), c.after);
    }
}

// Select on a quest stage opens the give-up dialog and locks the UI until the dialog's Open
// clears it; with no dialog to open, nothing is locked. Start opens the upgrade screen with
// "updatable" cleared: no levels are bought on a quest.
TEST_F(QuestFlowTest, MenuButtonsAndTheLock)
{
    struct Case {
        const char* name;
        uint32_t button;
        const char* panel;
        bool present;
    };
    const Case cases[] = {
        {"select", 0x8000, "ui_giveup_yes_no", true},
        {"start", 0x4000, "ui_upgrade_parameter", true},
        {"select without the dialog", 0x8000, "ui_giveup_yes_no", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Quests quests;
        auto files = FlowFiles("");
        if (!c.present) {
            std::string& ui = files["game_objects/test_ui"];
            const std::string entry = std::string("{ base_script = '") + c.panel + "' },";
            ui.erase(ui.find(entry), entry.size());
        }
        const bool upgrade = std::string(c.panel) == "ui_upgrade_parameter";
        if (upgrade)
            files["game_objects/ui_upgrade_parameter"] =
                "ui_upgrade_parameter = { object_name = 'ui_upgrade_parameter', object_tag = 'ui_upgrade_parameter',"
                "  object_layer = 2048, object_activity = 0,"
                "  components = { Transform = {}, UIFrameUpgradeParameter = { updatable = 1 } } }";
        Build(files);
        ASSERT_TRUE(StepUntilState(eQuest_Play));
        UIFrameUpgradeParameter* screen =
            upgrade ? static_cast<UIFrameUpgradeParameter*>(
                          Find(c.panel)->GetComponent(UIFrameUpgradeParameter::s_Class.Key))
                    : nullptr;
        if (upgrade) {
            ASSERT_NE(screen, nullptr);
            EXPECT_TRUE(screen->m_bUpdatable);
        }
        Step(c.button);
        EXPECT_EQ(g_bUILocked, c.present ? 1 : 0);
        if (screen) {
            EXPECT_FALSE(screen->m_bUpdatable);
        }
        Steps(5, c.button); // held: no second press; the menu's Open clears the lock
        EXPECT_EQ(g_bUILocked, 0);
        if (c.present) {
            EXPECT_TRUE(Find(c.panel)->IsActive());
            EXPECT_EQ(Mask(), kMenuUpdateMask);
        }
        EXPECT_EQ(g_PlayStatistics.m_nOpenedPanels, c.present ? 1 : 0);
    }
}

// The home stage: a quest chosen on the quest select leaves for its stage once the select
// closes; one that names no quest goes home, with an error; exit keeps the talk still and
// quits (no application here) without a stage request, the last request staying the stage's.
TEST_F(QuestFlowTest, HomeLeaves)
{
    struct Case {
        const char* name;
        const char* result;
        const char* panel;
        uint32_t value;
        const char* stage;
    };
    const Case cases[] = {
        {"a quest", "StartQuest", "ui_quest_select", HashName("quest_Other"), "stage_Other"},
        {"no such quest", "StartQuest", "ui_quest_select", 12345u, "stage_Home"},
        {"exit", "CloseWindow", "ui_exit_yes_no", 1u, "stage_Test"}, // nothing requested
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Quests quests("vididezare");
        BuildFlow();
        ASSERT_TRUE(StepUntilState(eQuest_Play));
        testing::internal::CaptureStdout();
        SetPanel(c.panel, true);
        Steps(5);
        SendResult(c.panel, c.result, static_cast<int32_t>(c.value));
        Steps(3);
        if (std::string(c.result) == "CloseWindow") {
            EXPECT_EQ(Mask(), kLeaveUpdateMask);
        }
        SetPanel(c.panel, false);
        Steps(5);
        ASSERT_TRUE(StepUntilState(eQuest_Leave, 5));
        Steps(40);
        const std::string log = testing::internal::GetCapturedStdout();
        EXPECT_EQ(m_pWorld->Scene()->GetNextStageName(), c.stage);
        EXPECT_EQ(log.find("names no quest") != std::string::npos, std::string(c.stage) == "stage_Home") << log;
    }
}

// The boss battle: no boss disables it; the follower's death is paid once and its slot stays
// empty; a boss long off screen is no defeat; the boss's fall pays, counts and requests once.
TEST_F(QuestFlowTest, BossBattle)
{
    {
        SCOPED_TRACE("no boss");
        Quests quests;
        BuildFlow("BossBattleController = {}");
        Steps(3);
        EXPECT_FALSE(Battle()->IsEnabled());
        EXPECT_EQ(Count(HashName("test_boss")), 0);
    }
    Quests quests;
    QuestEnemyList& list = quests.Current().m_EnemyList;
    list.m_BossName = "test_boss";
    list.m_fBossPositionX = 300.0f;
    list.m_BossNextStage = "stage_Home";
    list.m_Followers = {{"test_follower", 200.0f, 0.0f, 3.0f}, {"no_such_follower", 0.0f, 0.0f, 0.0f}};
    testing::internal::CaptureStdout();
    BuildFlow("BossBattleController = {}");
    Steps(2);
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("\"no_such_follower\" cannot be made"), std::string::npos) << log;
    GameObj* boss = Find("test_boss");
    GameObj* follower = Find("test_follower");
    ASSERT_NE(boss, nullptr);
    ASSERT_NE(follower, nullptr);
    ASSERT_EQ(Battle()->m_Followers.size(), 2u);
    EXPECT_FLOAT_EQ(Battle()->m_Followers[0].respawn, 3.0f);
    EXPECT_FLOAT_EQ(Battle()->m_Followers[1].respawn, -1.0f);
    for (GameObj* o : {boss, follower})
        EXPECT_TRUE(static_cast<EnemyController*>(o->GetComponent(EnemyController::s_Class.Key))->m_nFlags &
                    eEnemyFlag_KeepOffscreen);
    // Six seconds off screen.
    static_cast<EnemyController*>(boss->GetComponent(EnemyController::s_Class.Key))->m_nFlags |= eEnemyFlag_Offscreen;
    Steps(360);
    EXPECT_TRUE(boss->IsActive());
    EXPECT_FALSE(m_pWorld->Scene()->IsStageChangePending());
    // The follower falls.
    follower->Deactivate();
    Steps(3);
    EXPECT_EQ(Count(HashName("test_follower")), 0);
    EXPECT_EQ(Count(HashName("test_dead_effect")), 1);
    EXPECT_EQ(g_PlayerSaveData.m_nExperience, 5u);
    EXPECT_EQ(Battle()->m_Followers[0].id, -1);
    Steps(200); // its respawn clock runs; nothing comes back
    EXPECT_EQ(Count(HashName("test_follower")), 0);
    // The boss falls.
    boss->Deactivate();
    Step();
    EXPECT_EQ(g_PlayerSaveData.GetQuestClearCount(HashName("quest_Test")), 1u);
    EXPECT_EQ(g_PlayerSaveData.m_nExperience, 5u + 100u);
    EXPECT_EQ(m_pWorld->Scene()->GetNextStageName(), "stage_Home");
    Steps(3);
    EXPECT_EQ(g_PlayerSaveData.GetQuestClearCount(HashName("quest_Test")), 1u);
}

// The director's waves, seeded: with the defaults eight spawns take the intensity to the
// ceiling and end the build-up; the states cycle Relax, BuildUp, SustainPeak, PeakFade, Relax.
TEST_F(QuestFlowTest, DirectorWaves)
{
    Quests quests;
    quests.Current().m_EnemyList.m_Mobs = {{"test_mob", 1}};
    // No decay: the mobs here are never on screen.
    BuildFlow("ObjectiveController = { relaxTimeMin = 0.5, relaxTimeMax = 0.5, sustainPeakTimeMin = 1,"
              " sustainPeakTimeMax = 1, intensityDecaySpeed = 0 }");
    ObjectiveController& d = *Director();
    std::vector<int32_t> states;
    int spawnsInBuildUp = 0;
    for (int i = 0; i < 60 * 20; ++i) {
        const size_t before = d.m_Mobs.size();
        const int32_t state = d.m_nState;
        Step();
        if (states.empty() || states.back() != d.m_nState)
            states.push_back(d.m_nState);
        if (state == eDirector_BuildUp && d.m_Mobs.size() > before)
            ++spawnsInBuildUp;
        EXPECT_GE(d.m_fIntensity, d.m_fIntensityFloor);
        EXPECT_LE(d.m_fIntensity, d.m_fIntensityMax);
        if (d.m_nState == eDirector_PeakFade) {
            // The mobs fall: each kill takes its threat back.
            for (int32_t id : std::vector<int32_t>(d.m_Mobs))
                if (GameObj* mob = m_pWorld->Scene()->GetMessageManager()->FindObject(id))
                    mob->Deactivate();
        }
        if (states.size() >= 6)
            break;

    }
    // Init leaves in the first frame.
    const std::vector<int32_t> expected = {eDirector_Relax,    eDirector_BuildUp, eDirector_SustainPeak,
                                           eDirector_PeakFade, eDirector_Relax,   eDirector_BuildUp};
    EXPECT_EQ(states, expected);
    EXPECT_EQ(spawnsInBuildUp, 8);
    EXPECT_GT(g_PlayStatistics.m_nMobKillCount, 0);
    EXPECT_EQ(g_PlayStatistics.m_nKillCount, g_PlayStatistics.m_nMobKillCount);
    EXPECT_EQ(d.m_nLiveSpawnCount, 0);
}

// A spawn interval far below a frame spawns at most one mob a frame, in every phase, and the
// frame ends.
TEST_F(QuestFlowTest, DirectorTinySpawnInterval)
{
    Quests quests;
    quests.Current().m_EnemyList.m_Mobs = {{"test_mob", 1}};
    BuildFlow("ObjectiveController = { relaxTimeMin = 0.2, relaxTimeMax = 0.2, sustainPeakTimeMin = 0.2,"
              " sustainPeakTimeMax = 0.2, intensityDecaySpeed = 0, relaxSpawnFrequency = 1e-12,"
              " buildUpSpawnFrequency = 1e-12, sustainPeakSpawnFrequency = 1e-12, peakFadeSpawnFrequency = 1e-12 }");
    ObjectiveController& d = *Director();
    std::set<int32_t> states;
    size_t spawned = 0;
    HangGuard guard("the director with a spawn interval of 1e-12 s", 60.0);
    for (int i = 0; i < 120; ++i) {
        const size_t before = d.m_Mobs.size();
        Step();
        states.insert(d.m_nState);
        ASSERT_LE(d.m_Mobs.size(), before + 1) << "frame " << i;
        spawned += d.m_Mobs.size() - std::min(before, d.m_Mobs.size());
    }
    EXPECT_TRUE(states.count(eDirector_BuildUp));
    EXPECT_TRUE(states.count(eDirector_SustainPeak));
    EXPECT_GT(spawned, 0u);
}

// Intensity decays only while no mob is on screen, never below the floor the player's missing
// health sets; the health feedback takes the floor and the raise.
TEST_F(QuestFlowTest, DecayAndHealthFeedback)
{
    Quests quests;
    quests.Current().m_EnemyList.m_Mobs = {{"test_mob", 1}};
    auto files = FlowFiles("ObjectiveController = { relaxTimeMin = 100, relaxTimeMax = 100, relaxSpawnFrequency = 0 }",
                           "TestRenderer = {},");
    std::string& player = files["game_objects/gameobj_player_pemba"];
    player.replace(player.find("HealthController = {}"), std::string("HealthController = {}").size(),
                   "HealthController = { updateIntensity = true }");
    Build(files);
    Steps(3);
    ObjectiveController& d = *Director();
    GameObj* mob = m_pWorld->Scene()->Spawn("test_mob", Find("stage"), 0.0f, 0.0f);
    d.m_Mobs.push_back(mob->GetId());
    Step();
    mob->GetRenderer()->SetFlags(eComponentFlag_Visible);
    d.m_fIntensity = 50.0f;
    Steps(60);
    EXPECT_FLOAT_EQ(d.m_fIntensity, 50.0f);
    mob->GetRenderer()->ClearFlags(eComponentFlag_Visible);
    Steps(60);
    EXPECT_NEAR(d.m_fIntensity, 50.0f - 0.8f, 0.01f);
    // The player loses 30 of 100: floor 30, intensity 49.2 + 30.
    Find("player")->GetActorController()->m_pHealth->ApplyDamage(30, 1);
    EXPECT_NEAR(d.m_fIntensityFloor, 30.0f, 1e-4f);
    EXPECT_NEAR(d.m_fIntensity, 79.2f, 0.01f);
    d.m_fIntensity = 31.0f;
    Steps(180);
    EXPECT_FLOAT_EQ(d.m_fIntensity, 30.0f);
    // A maximum of 0 feeds nothing.
    Find("player")->GetActorController()->m_pHealth->m_nMaxHealth = 0;
    Find("player")->GetActorController()->m_pHealth->ApplyDamage(10, 1);
    EXPECT_NEAR(d.m_fIntensityFloor, 30.0f, 1e-4f);
}

// Objectives: two entries with one icon make one HUD row with their sum; each spawns at its
// time, kept on screen; a mob that leaves by itself is removed with nothing paid; the last
// target's fall completes in that frame, and the completion follows the flower's end, also
// when the flower is gone or was never made.
TEST_F(QuestFlowTest, ObjectivesAndCompletion)
{
    enum Flower { kEnds, kRemoved, kMissing };
    struct Case {
        const char* name;
        Flower flower;
    };
    const Case cases[] = {{"flower ends", kEnds}, {"flower removed itself", kRemoved}, {"no flower", kMissing}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Quests quests;
        QuestEnemyList& list = quests.Current().m_EnemyList;
        list.m_Objectives = {{"test_target", 0.5f, 0.5f, HashName("icon_a"), 2},
                             {"test_other", 1.0f, 1.0f, HashName("icon_a"), 1},
                             {"test_target", 0.2f, 0.2f, HashName("icon_b"), 1}};
        auto files = FlowFiles("ObjectiveController = { relaxTimeMin = 100, relaxTimeMax = 100, relaxSpawnFrequency = 0 }");
        if (c.flower == kMissing)
            files.erase("game_objects/gameobj_effect_dead_with_flower4");
        testing::internal::CaptureStdout();
        Build(files);
        Step();
        ObjectiveController& d = *Director();
        UIHudQuestTarget* rows = Hud()->m_pQuestTarget;
        ASSERT_NE(rows, nullptr);
        EXPECT_EQ(rows->GetTargetCount(), 2u);
        EXPECT_EQ(rows->GetCount(HashName("icon_a")), 3);
        EXPECT_EQ(rows->GetCount(HashName("icon_b")), 1);
        EXPECT_EQ(d.m_nTargetsLeft, 4);
        Steps(20);
        EXPECT_EQ(d.m_Targets.size(), 1u);
        Steps(60);
        ASSERT_EQ(d.m_Targets.size(), 4u); // the shared icon spawns its first entry's prototype
        EXPECT_EQ(Count(HashName("test_target")), 4);
        // A mob that left off screen.
        GameObj* mob = m_pWorld->Scene()->Spawn("test_mob", Find("stage"), 0.0f, 0.0f);
        d.m_Mobs.push_back(mob->GetId());
        static_cast<EnemyController*>(mob->GetComponent(EnemyController::s_Class.Key))->m_nFlags |= eEnemyFlag_Despawned;
        mob->Deactivate();
        const float intensity = d.m_fIntensity;
        Steps(2);
        EXPECT_TRUE(d.m_Mobs.empty());
        EXPECT_EQ(Count(HashName("test_mob")), 0);
        EXPECT_EQ(g_PlayStatistics.m_nKillCount, 0);
        EXPECT_EQ(g_PlayerSaveData.m_nExperience, 0u);
        EXPECT_LE(d.m_fIntensity, intensity);
        // Three targets fall.
        for (int i = 0; i < 3; ++i)
            m_pWorld->Scene()->GetMessageManager()->FindObject(d.m_Targets[0].id)->Deactivate(), Step();
        EXPECT_EQ(d.m_nTargetsLeft, 1);
        EXPECT_EQ(g_PlayStatistics.m_nKillCount, 3);
        EXPECT_EQ(g_PlayStatistics.m_nMobKillCount, 0);
        EXPECT_EQ(g_PlayStatistics.m_nSameNameKillRun, 3);
        EXPECT_EQ(rows->GetCount(HashName("icon_a")) + rows->GetCount(HashName("icon_b")), 1);
        EXPECT_EQ(d.m_nState, eDirector_Relax);
        // The last one's hit points run out: complete in the same frame.
        GameObj* last = m_pWorld->Scene()->GetMessageManager()->FindObject(d.m_Targets[0].id);
        last->GetActorController()->m_pHealth->m_nHealth = 0;
        Step();
        EXPECT_EQ(d.m_nState, eDirector_Complete);
        EXPECT_FLOAT_EQ(GetAppTimeScale(), 0.35f);
        EXPECT_EQ(g_nTalkEnableMask, 0u);
        EXPECT_EQ(Find("player")->GetActorController()->m_pInvincible->GetMaskCount(), 1);
        GameObj* flower = Find("flower");
        EXPECT_EQ(flower != nullptr, c.flower != kMissing);
        if (c.flower == kEnds) {
            // This flower has nothing to play: it ends at once and stays.
            Steps(3);
            EXPECT_FALSE(static_cast<EffectController*>(flower->GetComponent(EffectController::s_Class.Key))->m_bActive);
        } else if (c.flower == kRemoved) {
            m_pWorld->Scene()->DestroyLater(flower, 0.0f);
        }
        Steps(3);
        const std::string log = testing::internal::GetCapturedStdout();
        EXPECT_TRUE(d.m_bComplete);
        EXPECT_EQ(log.find("no \"gameobj_effect_dead_with_flower4\"") != std::string::npos, c.flower == kMissing) << log;
        EXPECT_EQ(g_PlayStatistics.m_nKillCount, 4);
    }
}

// Only targets that were made count: a prototype that cannot be made, or more at once than
// there are spawn points, leaves the count with an error, so the quest still completes.
TEST_F(QuestFlowTest, TargetsThatCannotBeMadeDoNotCount)
{
    Quests quests;
    QuestEnemyList& list = quests.Current().m_EnemyList;
    list.m_Objectives = {{"test_target", 0.2f, 0.2f, HashName("icon_a"), 1},
                         {"no_such_target", 0.3f, 0.3f, HashName("icon_b"), 2},
                         {"test_target", 0.4f, 0.4f, HashName("icon_c"), kSpawnPointCount + 3}};
    testing::internal::CaptureStdout();
    BuildFlow("ObjectiveController = { relaxTimeMin = 100, relaxTimeMax = 100, relaxSpawnFrequency = 0 }");
    Step();
    ObjectiveController& d = *Director();
    EXPECT_EQ(d.m_nTargetsLeft, 3 + kSpawnPointCount + 3);
    Steps(40);
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("no_such_target"), std::string::npos) << log;
    ASSERT_EQ(d.m_Targets.size(), size_t(1 + kSpawnPointCount));
    EXPECT_EQ(d.m_nTargetsLeft, 1 + kSpawnPointCount);
    UIHudQuestTarget* rows = Hud()->m_pQuestTarget;
    EXPECT_EQ(rows->GetCount(HashName("icon_b")), 0);
    EXPECT_EQ(rows->GetCount(HashName("icon_c")), kSpawnPointCount);
    // Every target made falls: the quest completes.
    while (!d.m_Targets.empty() && d.m_nState != eDirector_Complete) {
        m_pWorld->Scene()->GetMessageManager()->FindObject(d.m_Targets[0].id)->Deactivate();
        Step();
    }
    EXPECT_EQ(d.m_nTargetsLeft, 0);
    EXPECT_EQ(d.m_nState, eDirector_Complete);
}

// A boss quest whose data names no next stage pays, then goes home with an error instead of
// leaving the stage running with nothing to do.
TEST_F(QuestFlowTest, BossQuestWithoutANextStageGoesHome)
{
    Quests quests;
    QuestEnemyList& list = quests.Current().m_EnemyList;
    list.m_BossName = "test_boss";
    list.m_fBossPositionX = 300.0f;
    testing::internal::CaptureStdout();
    BuildFlow("BossBattleController = {}");
    Steps(2);
    Find("test_boss")->Deactivate();
    Step();
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(g_PlayerSaveData.GetQuestClearCount(HashName("quest_Test")), 1u);
    EXPECT_NE(log.find("nextStage"), std::string::npos) << log;
    EXPECT_TRUE(m_pWorld->Scene()->IsStageChangePending());
    EXPECT_EQ(m_pWorld->Scene()->GetNextStageName(), "stage_Home");
    EXPECT_EQ(g_pQuestTable->m_pCurrentQuest, g_pQuestTable->Find(HashName("vididezare")));
}

// The companion remarks at every "noticeHuntCount" defeats; 0 never remarks, with an error.
TEST_F(QuestFlowTest, NoticeHuntCount)
{
    struct Case {
        int notice;
        int kills;
        int remarks;
    };
    const Case cases[] = {{3, 7, 2}, {1, 2, 2}, {0, 4, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.notice);
        Quests quests;
        testing::internal::CaptureStdout();
        BuildFlow("ObjectiveController = { relaxTimeMin = 100, relaxTimeMax = 100, relaxSpawnFrequency = 0,"
                  " noticeHuntCount = " +
                  std::to_string(c.notice) + " }");
        Steps(2);
        ObjectiveController& d = *Director();
        int remarks = 0;
        std::string line;
        for (int i = 0; i < c.kills; ++i) {
            GameObj* mob = m_pWorld->Scene()->Spawn("test_mob", Find("stage"), 0.0f, 0.0f);
            d.m_Mobs.push_back(mob->GetId());
            Step();
            g_TalkChannelQueue.Clear(0);
            mob->Deactivate();
            Step();
            while (g_TalkChannelQueue.PopFront(kImmediate, line))
                remarks += line == "any_enemy_obliterate";
        }
        EXPECT_EQ(g_PlayStatistics.m_nKillCount, c.kills);
        const std::string log = testing::internal::GetCapturedStdout();
        EXPECT_EQ(remarks, c.remarks);
        EXPECT_EQ(log.find("\"noticeHuntCount\" 0") != std::string::npos, c.notice == 0) << log;
    }
}
