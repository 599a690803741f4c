#include <gtest/gtest.h>

#include <cmath>

#include "Components/Core/Camera2D.h"
#include "GameFixture.h"
#include "World/PlayerSaveData.h"
#include "System/Common/Random.h"
#include "World/QuestTable.h"

namespace {

// A current quest while it lives (none when `present` is false).
class CurrentQuest {
public:
    CurrentQuest(const char* key, int32_t initLevel, int32_t areas, bool present = true)
    {
        m_Record.m_nKey = HashName(key);
        m_Record.m_nInitialLevel = initLevel;
        m_Record.m_nAreaCount = areas;
        m_pOld = g_pQuestTable;
        g_pQuestTable = &m_Table;
        m_Table.m_pCurrentQuest = present ? &m_Record : nullptr;
    }
    ~CurrentQuest() { g_pQuestTable = m_pOld; }

private:
    QuestTable m_Table;
    QuestRecord m_Record;
    QuestTable* m_pOld;
};

std::map<std::string, std::string> QuestFiles(const std::string& quest)
{
    auto files = GameFiles("");
    files.erase("game_objects/test_player");
    files["stage/stage_Test"] = "stage_Test = { object_name = 'stage', object_layer = 1, object_activity = 1,"
                                "  components = { Transform = {}, TestStageSize = {}, QuestController = { " +
                                quest +
                                " } },"
                                "  children = { { base_script = 'test_floor' } } }";
    files["game_objects/gameobj_player_pemba"] =
        PlayerPrototype(PlayerTuning()).replace(0, std::string("test_player").size(), "gameobj_player_pemba");
    files["game_objects/camera"] = "camera = { object_name = 'camera', object_tag = 'GameCamera', object_layer = 4,"
                                   "  object_activity = 1, components = { Transform = { position = { x = 10, y = 20 } },"
                                   "  Camera2D = {} } }";
    files["game_objects/ui_camera"] = "ui_camera = { object_name = 'ui camera', object_layer = 4, object_activity = 1,"
                                      "  components = { Transform = { position = { x = 7, y = 8 } } } }";
    files["game_objects/test_enemy"] =
        "test_enemy = { object_name = 'enemy', object_layer = 4, object_activity = 1, components = {"
        "  Transform = {}, StatusParameter = { health = { init = 10, max = 1000, step = { 10, 0 } } },"
        "  TestActor = {} } }";
    return files;
}

class QuestTest : public GameTest {
protected:
    QuestController& Quest() const
    {
        return *static_cast<QuestController*>(Find("stage")->GetComponent(QuestController::s_Class.Key));
    }
    static float X(const GameObj* o) { return o->GetTransform()->WorldMatrix().m[3][0]; }
    static float Y(const GameObj* o) { return o->GetTransform()->WorldMatrix().m[3][1]; }
};

} // namespace

// A quest stage: the levels from the quest's initial level and its clear count, and the
// player and camera placed at "initPlayerPos", registered and followed.
TEST_F(QuestTest, QuestStagePlacementAndLevels)
{
    struct Case {
        const char* name;
        uint32_t clears;
        int32_t level, statLevel;
    };
    const Case cases[] = {
        {"never cleared", 0, 4, 5},
        {"cleared twice", 2, 6, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PlayerSaveData saved = g_PlayerSaveData;
        g_PlayerSaveData.m_QuestProgress.clear();
        if (c.clears)
            g_PlayerSaveData.m_QuestProgress[HashName("quest_Test")].m_nClearCount = c.clears;
        CurrentQuest quest("quest_Test", 5, 2);
        Build(QuestFiles("initPlayerPos = { x = 300, y = 700 }"));
        Tick();
        EXPECT_EQ(Quest().m_nQuestLevel, c.level);
        EXPECT_EQ(g_PlayStatistics.m_nLevel, c.statLevel);
        EXPECT_FALSE(Quest().m_bHome);
        GameObj* player = Find("player");
        ASSERT_NE(player, nullptr);
        EXPECT_EQ(player->GetParent(), Find("stage"));
        EXPECT_EQ(Quest().m_pPlayerObj, player);
        EXPECT_FLOAT_EQ(X(player), 800.0f); // prototype x 500 + 300
        EXPECT_FALSE(Find("player")->GetActorController()->m_bHomeStage);
        EXPECT_FLOAT_EQ(X(Find("ui camera")), 7.0f);
        Camera2D* camera = g_CameraRegistry.Find(GameCameraTag());
        ASSERT_NE(camera, nullptr);
        EXPECT_EQ(camera->GetTarget(), player->GetTransform());
        // Other characters' stats read the quest's level.
        GameObj* enemy = m_pWorld->Scene()->Instantiate("test_enemy", Find("stage"), nullptr);
        auto* status = static_cast<StatusParameter*>(enemy->GetComponent(StatusParameter::s_Class.Key));
        EXPECT_EQ(status->m_nHealth, 10 + 10 * c.level);
        g_PlayerSaveData = saved;
    }
}

// Without "initPlayerPos" the player lands at a whole x 128 in from the ends of the areas, at
// y 512 (the prototype's own position added).
TEST_F(QuestTest, RandomPlacement)
{
    for (uint32_t seed : {1u, 2u, 3u, 4u, 5u}) {
        SCOPED_TRACE(seed);
        CurrentQuest quest("quest_Test", 1, 1);
        SfmtInit(seed);
        Build(QuestFiles(""));
        const float x = X(Find("player")) - 500.0f;
        EXPECT_GE(x, 128.0f);
        EXPECT_LE(x, 896.0f);
        EXPECT_EQ(x, std::floor(x));
        EXPECT_NEAR(Y(Find("player")), 512.0f, 1.0f); // the first frame's fall
    }
}

// The home stage: the player and the camera moved by (732, 152), the camera at (512, 256), the
// player facing left and on its home clips.
TEST_F(QuestTest, HomeStage)
{
    CurrentQuest quest("vididezare", 1, 1);
    Build(QuestFiles(""));
    Tick();
    EXPECT_TRUE(Quest().m_bHome);
    EXPECT_EQ(Quest().m_nQuestLevel, 0);
    GameObj* player = Find("player");
    ASSERT_NE(player, nullptr);
    EXPECT_TRUE(player->GetActorController()->m_bHomeStage);
    EXPECT_FALSE(player->GetActorController()->m_bFacesRight);
    Camera2D* camera = g_CameraRegistry.Find(GameCameraTag());
    ASSERT_NE(camera, nullptr);
    EXPECT_EQ(camera->GetTarget(), nullptr);
    EXPECT_FLOAT_EQ(camera->GetX(), 512.0f);
    EXPECT_FLOAT_EQ(camera->GetY(), 256.0f);
    EXPECT_FLOAT_EQ(X(Find("ui camera")), 7.0f);
}

// Only tests start a stage without a current quest: an error, and nothing placed.
TEST_F(QuestTest, NoCurrentQuest)
{
    CurrentQuest quest("quest_Test", 1, 1, false);
    testing::internal::CaptureStdout();
    Build(QuestFiles(""));
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("no current quest"), std::string::npos) << log;
    EXPECT_EQ(Find("player"), nullptr);
    EXPECT_EQ(Find("camera"), nullptr);
}

// The player's object leaves the quest controller when it goes.
TEST_F(QuestTest, PlayerUnregisters)
{
    CurrentQuest quest("quest_Test", 1, 1);
    Build(QuestFiles("initPlayerPos = { x = 300, y = 700 }"));
    Tick();
    ASSERT_NE(Quest().m_pPlayerObj, nullptr);
    m_pWorld->Scene()->DestroyLater(Find("player"), 0.0f);
    Ticks(2);
    EXPECT_EQ(Quest().m_pPlayerObj, nullptr);
    Camera2D* camera = g_CameraRegistry.Find(GameCameraTag());
    ASSERT_NE(camera, nullptr);
    EXPECT_EQ(camera->GetTarget(), nullptr);
}

// A quest controller anywhere but on the stage's root places nothing: on the player itself it
// would place a player at every start, without end.
TEST_F(QuestTest, OnlyTheRootPlaces)
{
    CurrentQuest quest("quest_Test", 1, 1);
    auto files = QuestFiles("initPlayerPos = { x = 300, y = 700 }");
    std::string& player = files["game_objects/gameobj_player_pemba"];
    player.replace(player.find("Transform ="), 0, "QuestController = {}, ");
    testing::internal::CaptureStdout();
    Build(files);
    Ticks(2);
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("not on the stage's root"), std::string::npos) << log;
    int players = 0;
    for (GameObj* o = m_pWorld->Scene()->GetRoot(); o; o = o->GetNext())
        players += o->GetPrototypeName() == "gameobj_player_pemba";
    EXPECT_EQ(players, 1);
}

// A stage whose prototype holds the player: its objects attach while the old stage is still the
// root, so the player registers with the new stage's controller only when it starts.
TEST_F(QuestTest, APlayerBuiltWithItsStageJoinsThatStage)
{
    CurrentQuest quest("quest_Test", 1, 1, false);
    auto files = QuestFiles("");
    files["stage/stage_Next"] = "stage_Next = { object_name = 'next', object_layer = 1, object_activity = 1,"
                                "  components = { Transform = {}, TestStageSize = {}, QuestController = {} },"
                                "  children = { { base_script = 'test_floor' }, { base_script = 'gameobj_player_pemba' } } }";
    Build(files);
    QuestController* old = &Quest();
    m_pWorld->Scene()->RequestStage("stage_Next");
    Tick();
    GameObj* next = Find("next");
    ASSERT_NE(next, nullptr);
    auto& quest2 = *static_cast<QuestController*>(next->GetComponent(QuestController::s_Class.Key));
    EXPECT_NE(&quest2, old);
    EXPECT_EQ(quest2.m_pPlayerObj, Find("player"));
    EXPECT_EQ(Find("player")->GetActorController()->m_pQuestController, &quest2);
}

// Characters placed in the stage's prototype attach while the stage is being built, before
// its controller knows the quest's level (the old stage is still the root then): they take
// the level as spawned copies do, health and all, on a first stage as on one that follows
// another of a different level.
TEST_F(QuestTest, PlacedCharactersTakeTheQuestLevel)
{
    const PlayerSaveData saved = g_PlayerSaveData;
    g_PlayerSaveData.m_QuestProgress.clear();
    CurrentQuest quest("quest_Test", 5, 2);
    auto files = QuestFiles("initPlayerPos = { x = 300, y = 700 }");
    std::string& stage = files["stage/stage_Test"];
    stage.replace(stage.find("{ base_script = 'test_floor' }"), 0, "{ base_script = 'test_enemy' }, ");
    std::string& enemy = files["game_objects/test_enemy"];
    enemy.replace(enemy.find("TestActor"), 0, "HealthController = {}, ");
    Build(files);
    for (const uint32_t clears : {0u, 3u}) {
        SCOPED_TRACE(clears);
        if (clears) {
            // The next stage's level differs from the one still standing while it is built.
            g_PlayerSaveData.m_QuestProgress[HashName("quest_Test")].m_nClearCount = clears;
            m_pWorld->Scene()->RequestStage("stage_Test");
            Tick();
        }
        Tick();
        const int32_t level = 4 + int32_t(clears);
        ASSERT_EQ(Quest().m_nQuestLevel, level);
        GameObj* placed = Find("enemy");
        ASSERT_NE(placed, nullptr);
        ASSERT_EQ(placed->GetParent(), Find("stage"));
        const auto* status = static_cast<StatusParameter*>(placed->GetComponent(StatusParameter::s_Class.Key));
        const auto* health = static_cast<HealthController*>(placed->GetComponent(HealthController::s_Class.Key));
        EXPECT_EQ(status->m_nHealth, 10 + 10 * level);
        EXPECT_EQ(health->m_nMaxHealth, 10 + 10 * level);
        EXPECT_EQ(health->m_nHealth, 10 + 10 * level);
        GameObj* spawned = m_pWorld->Scene()->Instantiate("test_enemy", Find("stage"), nullptr);
        EXPECT_EQ(static_cast<StatusParameter*>(spawned->GetComponent(StatusParameter::s_Class.Key))->m_nHealth,
                  status->m_nHealth);
        m_pWorld->Scene()->DestroyLater(spawned, 0.0f);
    }
    g_PlayerSaveData = saved;
}
