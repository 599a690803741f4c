#include <gtest/gtest.h>

#include <cfloat>
#include <memory>

#include "GameFixture.h"
#include "World/AccessoryTable.h"
#include "World/Condition.h"
#include "World/PlayerSaveData.h"

namespace {

StatCurve Curve(float init, float max, std::vector<std::pair<float, float>> table, std::pair<float, float> step)
{
    StatCurve c;
    c.init = init;
    c.max = max;
    c.table = std::move(table);
    c.step = step;
    return c;
}

} // namespace

// A stat at a level: the table's entry, "step" per level beyond it, capped by "max" in the
// direction the curve grows.
TEST(StatCurve, Value)
{
    struct Case {
        const char* name;
        StatCurve curve;
        int32_t level;
        float value;
    };
    const std::vector<Case> cases = {
        {"level 0 is init", Curve(10, 100, {{20, 1}, {30, 2}}, {5, 9}), 0, 10},
        {"empty table is init", Curve(10, 100, {}, {0, 0}), 3, 10},
        {"empty table still steps", Curve(10, 100, {}, {5, 0}), 3, 25},
        {"inside the table", Curve(10, 100, {{20, 1}, {30, 2}, {40, 3}}, {5, 9}), 2, 30},
        {"past the table by step", Curve(10, 100, {{20, 1}, {30, 2}}, {5, 9}), 5, 45},
        {"rising curve stops at max", Curve(10, 50, {{20, 1}, {30, 2}}, {5, 9}), 9, 50},
        {"falling curve stays at least max", Curve(10, 2, {{8, 1}, {6, 2}}, {-1, 9}), 9, 2},
        {"falling curve inside", Curve(10, 2, {{8, 1}, {6, 2}}, {-1, 9}), 3, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FLOAT_EQ(c.curve.Value(c.level), c.value);
    }
}

class StatsTest : public GameTest {
protected:
    // A character with the given StatusParameter and other components, on a stage with none of
    // its own quest controller.
    void BuildStats(const std::string& status, const std::string& more = "", const std::string& side = "TestActor = {}")
    {
        auto files = GameFiles(PlayerPrototype(PlayerTuning()));
        files["game_objects/test_body"] =
            "test_body = { object_name = 'body', object_layer = 4, object_activity = 1,"
            "  components = { Transform = { position = { x = 100, y = 200 } }, StatusParameter = { " +
            status + " }, " + (more.empty() ? "" : more + ", ") + side + " } }";
        files["stage/stage_Test"] = "stage_Test = { object_name = 'stage', object_layer = 1, object_activity = 1,"
                                    "  components = { Transform = {}, TestStageSize = {} },"
                                    "  children = { { base_script = 'test_body' } } }";
        Build(files);
    }
    StatusParameter& Status() const
    {
        return *static_cast<StatusParameter*>(Find("body")->GetComponent(StatusParameter::s_Class.Key));
    }
    HealthController& Health() const
    {
        return *static_cast<HealthController*>(Find("body")->GetComponent(HealthController::s_Class.Key));
    }
    PowerController& Power() const
    {
        return *static_cast<PowerController*>(Find("body")->GetComponent(PowerController::s_Class.Key));
    }
};

// The accessory's three modifier types on the stats that take one, applied before truncation;
// the stats without one are left alone.
TEST_F(StatsTest, AccessoryModifiers)
{
    struct Case {
        const char* name;
        int32_t type;
        float point;
        int32_t health;   // curve value 10.6
        int32_t attack;   // curve value 7.5
        int32_t defense;  // no modifier: 4
        float recharge;   // curve value 30
    };
    const Case cases[] = {
        {"no modifier", 0, 0.5f, 10, 7, 4, 30},
        {"type 1 sets the point", 1, 0.5f, 0, 0, 4, 0.5f},
        {"type 2 adds the point", 2, 0.5f, 11, 8, 4, 30.5f},
        {"type 3 adds value x point", 3, 0.5f, 15, 11, 4, 45},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestAccessories accessories;
        for (int ability : {eAbility_Health, eAbility_Attack, eAbility_PowerRecharge})
            accessories.Set(ability, c.type, c.point);
        accessories.Set(8, 1, 99); // an ability no stat reads
        BuildStats("accessory = 'accessory_TestRing', health = { init = 10.6, max = 100 },"
                   "attack = { init = 7.5, max = 100 }, defense = { init = 4.9, max = 100 },"
                   "powerRecharge = { init = 30, max = 100 }");
        EXPECT_EQ(Status().m_nHealth, c.health);
        EXPECT_EQ(Status().m_nAttack, c.attack);
        EXPECT_EQ(Status().m_nDefense, c.defense);
        EXPECT_FLOAT_EQ(Status().m_fPowerRecharge, c.recharge);
    }
}

// The player's stats come from the saved levels, every other character's from the quest's
// level; the upgrade screen's second numbers are kept.
TEST_F(StatsTest, LevelsAndRefresh)
{
    const PlayerSaveData saved = g_PlayerSaveData;
    g_PlayerSaveData.m_aLevels[eStat_Health] = 2;
    g_PlayerSaveData.m_aLevels[eStat_Attack] = 4;
    BuildStats("usePlayerData = true, health = { init = 10, max = 1000, table = { { 20, 100 }, { 30, 200 } },"
               " step = { 7, 50 } }, attack = { init = 1, max = 1000, step = { 2, 5 } },"
               " experience = { init = 9, max = 99 }");
    EXPECT_EQ(Status().m_nHealth, 30);
    EXPECT_EQ(Status().m_nAttack, 9);
    EXPECT_EQ(Status().m_nExperience, 0);
    EXPECT_FLOAT_EQ(Status().GetCurve(eStat_Health).table[1].second, 200);
    EXPECT_FLOAT_EQ(Status().GetCurve(eStat_Health).step.second, 50);
    EXPECT_FLOAT_EQ(Status().ComputeHealth(4), 44);
    g_PlayerSaveData.m_aLevels[eStat_Health] = 3;
    Status().Refresh();
    EXPECT_EQ(Status().m_nHealth, 37);
    g_PlayerSaveData = saved;
}

// Damage and healing stay within 0..max; the player's statistics count both; 0 changes nothing
// and answers whether the owner lives.
TEST_F(StatsTest, ApplyDamage)
{
    struct Case {
        const char* name;
        bool player;
        int32_t start;
        int32_t amount;
        int32_t health;
        bool alive;
        int32_t taken, healed;
    };
    const Case cases[] = {
        {"damage", true, 50, 20, 30, true, 20, 0},
        {"overkill stops at 0", true, 50, 80, 0, false, 80, 0},
        {"healing stops at max", true, 90, -30, 100, true, 0, 30},
        {"zero on the living", true, 40, 0, 40, true, 0, 0},
        {"zero on the dead", true, 0, 0, 0, false, 0, 0},
        {"an enemy counts nothing", false, 50, 20, 30, true, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BuildStats("health = { init = 100, max = 100 }", "HealthController = {}",
                   c.player ? "PlayerController = {}" : "TestActor = {}");
        g_PlayStatistics.Reset();
        Health().m_nHealth = c.start;
        EXPECT_EQ(Health().ApplyDamage(c.amount, 0), c.alive);
        EXPECT_EQ(Health().m_nHealth, c.health);
        EXPECT_EQ(g_PlayStatistics.m_nDamageTaken, c.taken);
        EXPECT_EQ(g_PlayStatistics.m_nHealingReceived, c.healed);
    }
}

// Regeneration ticks at its interval for its duration; a negative point hurts; a fraction of
// the maximum becomes whole hit points; an interval of 0 never ticks.
TEST_F(StatsTest, Regeneration)
{
    struct Case {
        const char* name;
        const char* regen;
        int32_t start;
        int frames; // at 1/60 s
        int32_t health;
        bool activeAfter;
        int32_t taken; // the player's damage statistic
    };
    const Case cases[] = {
        {"heals each interval", "duration = 10, interval = 0.5, pointType = 0, point = 3", 50, 61, 56, true, 0},
        {"negative point hurts", "duration = 10, interval = 0.5, pointType = 0, point = -4", 50, 61, 42, true, 8},
        {"fraction of the maximum", "duration = 10, interval = 1, pointType = 1, point = 0.1", 50, 61, 60, true, 0},
        {"stops after its duration", "duration = 1, interval = 0.25, pointType = 0, point = 1", 50, 300, 54, false, 0},
        {"endless with a negative duration", "duration = -1, interval = 1, pointType = 0, point = 1", 50, 300, 55,
         true, 0},
        {"no ticks while dead", "duration = 10, interval = 0.5, pointType = 0, point = 3", 0, 61, 0, true, 0},
        {"interval 0 never ticks", "duration = 10, interval = 0, pointType = 0, point = 3", 50, 61, 50, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BuildStats("health = { init = 100, max = 100 }", std::string("HealthController = { regen = { ") + c.regen + " } }",
                   "PlayerController = {}");
        Health().m_nHealth = c.start;
        g_PlayStatistics.Reset();
        Ticks(c.frames);
        EXPECT_EQ(Health().m_nHealth, c.health);
        EXPECT_EQ(Health().m_bRegen, c.activeAfter);
        EXPECT_EQ(g_PlayStatistics.m_nDamageTaken, c.taken);
    }
}

// With powerRecharge 30 an empty gauge of 100 fills in 30 seconds, about one point every
// nine steps; a recharge of 0 fills it at once.
TEST_F(StatsTest, PowerRefill)
{
    BuildStats("powerRecharge = { init = 30, max = 30 }", "PowerController = { maxPower = 100 }");
    Power().m_nPower = 0;
    int firstPointFrame = -1;
    for (int frame = 1; frame <= 1800; ++frame) {
        Tick();
        if (firstPointFrame < 0 && Power().m_nPower > 0)
            firstPointFrame = frame;
        if (frame == 1780) {
            EXPECT_LT(Power().m_nPower, 100);
        }
    }
    EXPECT_NEAR(firstPointFrame, 18, 1); // 9 steps of 2 frames, give or take the timer the start left
    EXPECT_EQ(Power().m_nPower, 100);
    Ticks(60);
    EXPECT_EQ(Power().m_nPower, 100);

    testing::internal::CaptureStdout();
    BuildStats("powerRecharge = { init = 0, max = 0 }", "PowerController = { maxPower = 100 }");
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("powerRecharge"), std::string::npos) << log;
    Power().m_nPower = 3;
    Tick();
    EXPECT_EQ(Power().m_nPower, 100);
}

// Kinds 17, 18 and 25 read the player's and the object's gauges; a non-zero predicate makes the
// right side a percentage of the maximum; kind 27 measures to the player.
TEST_F(StatsTest, ConditionKinds)
{
    BuildPlayer();
    PlayerController& player = Player();
    HealthController& health = *player.m_pHealth;
    PowerController& power = *player.m_pPower;
    health.m_nHealth = 30;
    health.m_nMaxHealth = 80;
    power.m_nPower = 20;
    power.m_nMaxPower = 50;
    QuestController quest(Find("stage"));
    quest.m_pPlayerObj = Find("player");
    GameObj* other = m_pWorld->Scene()->Instantiate("test_dead_effect", Find("stage"), nullptr);
    const ConditionContext withPlayer = {Find("player"), &quest};
    const ConditionContext noQuest = {Find("player"), nullptr};
    const ConditionContext noHealth = {other, &quest};
    struct Case {
        const char* name;
        const ConditionContext* context;
        uint32_t kind;
        float value;
        int32_t predicate;
        float left, right;
    };
    const Case cases[] = {
        {"17 hit points", &withPlayer, 17, 50, 0, 30, 50},
        {"17 percent of max", &withPlayer, 17, 50, 1, 30, 40},
        {"17 without a quest", &noQuest, 17, 50, 1, 0, 50},
        {"18 power", &withPlayer, 18, 10, 0, 20, 10},
        {"18 percent of max", &withPlayer, 18, 10, 1, 20, 5},
        {"25 the object's hit points", &withPlayer, 25, 25, 1, 30, 20},
        {"25 object without health", &noHealth, 25, 25, 1, 0, 25},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FLOAT_EQ(ConditionValue(*c.context, c.kind, 0), c.left);
        EXPECT_FLOAT_EQ(ConditionRightSide(*c.context, c.kind, c.value, c.predicate), c.right);
    }
    Condition less = {eCompare_Less, 17, 0, 50, 1};
    EXPECT_TRUE(less.Test(withPlayer));
    // Kind 27: the distance between the bodies; none without a player.
    other->GetTransform()->SetLocalPosition(0, 0, 0);
    player.m_pKinematics->m_fPosX = 30;
    player.m_pKinematics->m_fPosY = 40;
    const ConditionContext bodyToPlayer = {Find("player"), &quest};
    EXPECT_FLOAT_EQ(ConditionValue(bodyToPlayer, 27, 0), 0.0f);
    EXPECT_EQ(ConditionValue(noQuest, 27, 0), FLT_MAX);
}
