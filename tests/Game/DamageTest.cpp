#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>

#include <lua.hpp>

#include "Components/Core/SpriteRenderer.h"
#include "Components/Game/AttemptDamageController.h"
#include "Components/Game/ComboController.h"
#include "Components/Game/MeleeHitController.h"
#include "GameFixture.h"
#include "System/Common/Random.h"
#include "World/AnimationTable.h"

namespace {

// The next pooled words, in order (at most the pool's size).
void QueueWords(std::initializer_list<uint32_t> words)
{
    uint32_t i = 0;
    for (uint32_t w : words)
        g_aRandomPool[i++] = w;
    g_nRandomPoolIndex = 0;
}

// The word that makes RandomFloat (0.875, 1.125) exactly 1.
constexpr uint32_t kUnitSpread = 0x80000000u;

int g_nShown = 0;
int g_nLastShown = -1;

class DamageTest : public GameTest {
protected:
    void SetUp() override
    {
        GameTest::SetUp();
        g_nShown = 0;
        g_nLastShown = -1;
        m_pfnShow = g_pfnShowComboCount;
        g_pfnShowComboCount = [](int32_t count) {
            ++g_nShown;
            g_nLastShown = count;
        };
    }
    void TearDown() override
    {
        g_pfnShowComboCount = m_pfnShow;
        GameTest::TearDown();
    }
    void (*m_pfnShow)(int32_t) = nullptr;

    // A victim of the enemies' side (layer 4, tag "Enemy") in the air, an enemy attacker and a
    // hit object, with the given keys; the player (with a combo counter) stands on the floor.
    void BuildHit(const std::string& hit, const std::string& victimStatus = "defense = { init = 0 }",
                  const std::string& victimMore = "HealthController = {},",
                  const std::string& attackerStatus = "attack = { init = 100 }")
    {
        auto files = GameFiles(PlayerPrototype(PlayerTuning(), "ComboController = { comboAcceptableTime = 2,"
                                                               " maxComboCount = 3, comboNotice = 50 },"));
        files["stage/stage_Test"] =
            "stage_Test = { object_name = 'stage', object_layer = 1, object_activity = 1,"
            "  components = { Transform = {}, TestStageSize = {} },"
            "  children = { { base_script = 'test_player' }, { base_script = 'test_floor' },"
            "               { base_script = 'test_victim' }, { base_script = 'test_attacker' },"
            "               { base_script = 'test_hit' } } }";
        files["game_objects/test_victim"] =
            "test_victim = { object_name = 'victim', object_tag = 'Enemy', object_layer = 4, object_activity = 1,"
            "  components = { Transform = { position = { x = 300, y = 300 } },"
            "    Kinematics = { needClamp = false, useGravity = false, maxSpeed = 5000 },"
            "    StatusParameter = { health = { init = 1000, max = 1000 }, " +
            victimStatus + " }," + victimMore + " KnockbackController = {}, TestActor = {} } }";
        files["game_objects/test_attacker"] =
            "test_attacker = { object_name = 'attacker', object_layer = 8, object_activity = 1,"
            "  components = { Transform = { position = { x = 100, y = 300 } },"
            "    StatusParameter = { " +
            attackerStatus + " }, TestActor = {} } }";
        files["game_objects/test_hit"] =
            "test_hit = { object_name = 'hit', object_layer = 8, object_activity = 1,"
            "  components = { Transform = { position = { x = 50, y = 50 } }, AttemptDamageController = { " +
            hit + " } } }";
        files["game_objects/test_swing"] =
            "test_swing = { object_name = 'swing', object_layer = 8, object_activity = 1,"
            "  components = { Transform = {}, MeleeHitController = { followPosition = true, followDirection = true },"
            "    AttemptDamageController = { targetLayer = 4 } } }";
        files["game_objects/test_clip_swing"] =
            "test_clip_swing = { object_name = 'clip_swing', object_layer = 8, object_activity = 1,"
            "  components = { Transform = {}, CollisionAnimation = { default = { 'test_swing_box' } },"
            "    MeleeHitController = { followPosition = true, followDirection = true },"
            "    AttemptDamageController = { targetLayer = 4 } } }";
        files["game_objects/test_turned_spark"] =
            "test_turned_spark = { object_name = 'turned', object_layer = 1, object_activity = 1,"
            "  components = { Transform = {}, EffectController = {} },"
            "  children = { { base_script = 'test_spark_picture' } } }";
        files["game_objects/test_spark_picture"] =
            "test_spark_picture = { object_name = 'picture', object_layer = 1, object_activity = 1,"
            "  components = { Transform = {}, SpriteRenderer = {} } }";
        files["game_objects/test_spark"] = "test_spark = { object_name = 'spark', object_layer = 1, object_activity = 1,"
                                           "  components = { Transform = {} } }";
        Build(files);
    }
    AttemptDamageController& Hit() const
    {
        return *static_cast<AttemptDamageController*>(Find("hit")->GetComponent(AttemptDamageController::s_Class.Key));
    }
    int32_t VictimHealth() const
    {
        auto* h = static_cast<HealthController*>(Find("victim")->GetComponent(HealthController::s_Class.Key));
        return h ? h->m_nHealth : -1;
    }
    KnockbackController& VictimKnockback() const
    {
        return *static_cast<KnockbackController*>(Find("victim")->GetComponent(KnockbackController::s_Class.Key));
    }
    ComboController& Combo() const
    {
        return *static_cast<ComboController*>(Find("player")->GetComponent(ComboController::s_Class.Key));
    }
    int CountNamed(const std::string& name) const
    {
        int n = 0;
        for (GameObj* o = m_pWorld->Scene()->GetRoot(); o; o = o->GetNext())
            n += o->GetObjectName() == name;
        return n;
    }
};

} // namespace

// The formula over defence, the critical draw and the floor of 1, for an enemy's hit: the
// notice word (99: no talk) comes first, then the spread (exactly 1) and the critical word.
TEST_F(DamageTest, Formula)
{
    struct Case {
        const char* name;
        const char* hit;
        int defense;
        uint32_t criticalWord;
        int32_t damage;
    };
    const Case cases[] = {
        {"defence 0", "damageParamType = 2, damageScale = 1, criticalRate = 50", 0, 50, 200},
        {"defence 0, critical", "damageParamType = 2, damageScale = 1, criticalRate = 50", 0, 49, 400},
        {"defence 100", "damageParamType = 2, damageScale = 1, criticalRate = 50", 100, 99, 100},
        {"defence 100, critical", "damageParamType = 2, damageScale = 1, criticalRate = 50", 100, 0, 200},
        {"defence 200", "damageParamType = 2, damageScale = 1, criticalRate = 50", 200, 99, 1},
        {"defence 200, critical", "damageParamType = 2, damageScale = 1, criticalRate = 50", 200, 0, 1},
        {"defence 300", "damageParamType = 2, damageScale = 1, criticalRate = 100", 300, 0, 1},
        {"no damageScale", "damageParamType = 2, criticalRate = 100", 0, 0, 1},
        {"no stat selected", "damageParamType = 1, damageScale = 5", 0, 99, 1},
        {"scale and rounding", "damageParamType = 2, damageScale = 0.0125", 0, 99, 3}, // 2.5 -> 3
        {"critical rate above 100 clamps", "damageParamType = 2, damageScale = 1, criticalRate = 400", 0, 99, 400},
        {"negative critical rate never", "damageParamType = 2, damageScale = 1, criticalRate = -5", 0, 0, 200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BuildHit(std::string("targetLayer = 4, ") + c.hit, "defense = { init = " + std::to_string(c.defense) + " }");
        Hit().SetAttacker(*Find("attacker")->GetActorController());
        QueueWords({99, kUnitSpread, c.criticalWord});
        Hit().Hit(Find("victim"));
        EXPECT_EQ(VictimHealth(), 1000 - c.damage);
        EXPECT_EQ(g_nRandomPoolIndex, 3u);
        EXPECT_TRUE(Hit().m_bHasHit);
    }
}

// The accessory's abilities: 13 on the attacker's damage, 14 on the victim's share, 17 on the
// critical rate and 18 on the critical multiplier (never below 1).
TEST_F(DamageTest, Abilities)
{
    struct Case {
        const char* name;
        int ability;
        int32_t type;
        float point;
        bool onVictim;
        uint32_t criticalWord;
        int32_t damage;
    };
    const Case cases[] = {
        {"13 adds to the damage", 13, 2, 50.0f, false, 99, 300},
        {"13 sets the damage", 13, 1, 10.0f, false, 99, 20},
        {"14 sets the victim's share", 14, 1, 7.0f, true, 99, 7},
        {"14 scales the victim's share", 14, 3, -0.5f, true, 99, 100},
        {"17 raises the rate", 17, 1, 100.0f, false, 99, 400},
        {"17 lowers the rate", 17, 1, 0.0f, false, 0, 200},
        {"18 sets the multiplier", 18, 1, 3.0f, false, 0, 600},
        {"18 multiplier at least 1", 18, 1, 0.25f, false, 0, 200},
        {"18 point x 2 + 2", 18, 3, 1.0f, false, 0, 800},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestAccessories accessories;
        accessories.Set(c.ability, c.type, c.point);
        const std::string ring = "accessory = 'accessory_TestRing', ";
        BuildHit("targetLayer = 4, damageParamType = 2, damageScale = 1, criticalRate = 50",
                 (c.onVictim ? ring : "") + "defense = { init = 0 }", "HealthController = {},",
                 (c.onVictim ? "" : ring) + "attack = { init = 100 }");
        Hit().SetAttacker(*Find("attacker")->GetActorController());
        QueueWords({99, kUnitSpread, c.criticalWord});
        Hit().Hit(Find("victim"));
        EXPECT_EQ(VictimHealth(), 1000 - c.damage);
        m_pWorld.reset();
    }
}

// A contact whose layer or tag does not match does nothing at all: no knockback, effect,
// pooled word, damage or "has hit".
TEST_F(DamageTest, MismatchDoesNothing)
{
    const char* const hits[] = {
        "targetLayer = 2, damageParamType = 2, damageScale = 1",
        "targetLayer = 4, targetTag = 'Player', damageParamType = 2, damageScale = 1",
    };
    for (const char* hit : hits) {
        SCOPED_TRACE(hit);
        BuildHit(std::string(hit) + ", knockback = { velocity = { x = 300, y = 0 } },"
                                    " hitEffects = { { name = 'test_spark', posType = 1 } }");
        Hit().SetAttacker(*Find("attacker")->GetActorController());
        QueueWords({99, kUnitSpread, 99});
        Hit().Hit(Find("victim"));
        EXPECT_EQ(VictimHealth(), 1000);
        EXPECT_FALSE(VictimKnockback().IsEnabled());
        EXPECT_EQ(CountNamed("spark"), 0);
        EXPECT_EQ(g_nRandomPoolIndex, 0u);
        EXPECT_FALSE(Hit().m_bHasHit);
    }
}

// The knockback's x follows the hit object's facing; the hit effects appear at the victim or
// at the hit object.
TEST_F(DamageTest, KnockbackAndEffects)
{
    struct Case {
        bool facesRight;
        int posType;
        float vx;
        float ex, ey;
    };
    const Case cases[] = {
        {true, 1, 300.0f, 300.0f, 300.0f},
        {false, 1, -300.0f, 300.0f, 300.0f},
        {true, 0, 300.0f, 50.0f, 50.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.facesRight << " " << c.posType);
        BuildHit("targetLayer = 4, knockback = { velocity = { x = 300, y = 0 }, boundCount = 1 },"
                 " hitEffects = { { name = 'test_spark', posType = " +
                 std::to_string(c.posType) + " } }");
        Hit().SetAttacker(*Find("attacker")->GetActorController());
        Hit().m_bFacesRight = c.facesRight;
        Hit().Hit(Find("victim"));
        EXPECT_TRUE(VictimKnockback().IsEnabled());
        ASSERT_EQ(CountNamed("spark"), 1);
        const Vec2 at = WorldPosition(Find("spark"));
        EXPECT_FLOAT_EQ(at.x, c.ex);
        EXPECT_FLOAT_EQ(at.y, c.ey);
        Tick();
        EXPECT_FLOAT_EQ(Find("victim")->GetKinematics()->m_fVelX, c.vx);
    }
}

// A player's hit on a victim without health still knocks back, spawns its effect, aims the
// homing and counts for the combo; nothing is drawn for the attacked notice.
TEST_F(DamageTest, PlayerHitOnVictimWithoutHealth)
{
    BuildHit("targetLayer = 4, damageParamType = 2, damageScale = 1, resetAirActCount = true,"
             " knockback = { velocity = { x = 300, y = 0 } }, hitEffects = { { name = 'test_spark', posType = 1 } }",
             "defense = { init = 0 }", "");
    Player().m_nAirActions = 0;
    Hit().SetAttacker(Player());
    EXPECT_EQ(Hit().m_pPlayerAttacker, &Player());
    Hit().Hit(Find("victim"));
    Hit().Hit(Find("victim"));
    EXPECT_TRUE(VictimKnockback().IsEnabled());
    EXPECT_EQ(CountNamed("spark"), 2);
    EXPECT_EQ(Player().m_pHomingTarget, Find("victim"));
    EXPECT_EQ(Player().m_nAirActions, Player().m_nMaxAirActions);
    EXPECT_EQ(Combo().m_nCount, 1);
    EXPECT_EQ(g_nShown, 1);
    EXPECT_EQ(g_nLastShown, 1);
}

// The victim hit last is deleted before the player's next frame, as one felled by a hit after
// the player's frame is: the player lets go of it without reading the deleted object.
TEST_F(DamageTest, HomingTargetDeletedBeforeThePlayersNextFrame)
{
    BuildHit("targetLayer = 4, damageParamType = 2, damageScale = 1", "defense = { init = 0 }", "");
    Hit().SetAttacker(Player());
    Hit().Hit(Find("victim"));
    ASSERT_EQ(Player().m_pHomingTarget, Find("victim"));
    m_pWorld->Scene()->DestroyLater(Find("victim"), 0.0f);
    Tick();
    EXPECT_EQ(Find("victim"), nullptr);
    EXPECT_EQ(Player().m_pHomingTarget, nullptr);
    EXPECT_EQ(Player().m_nHomingTargetId, -1);
}

// The combo: the first hit starts at 0 unseen, the HUD shows from the second, the count stays
// at the cap while hits restart its timer, the acceptance time ends it and the best combo of
// the play is kept.
TEST_F(DamageTest, Combo)
{
    BuildHit("targetLayer = 4");
    ComboController& combo = Combo();
    struct Step {
        const char* what;
        int hits;
        int frames; // idle frames after the hits
        int32_t count;
        int shown;
        int32_t best;
    };
    const Step steps[] = {
        {"first hit", 1, 0, 0, 0, 0},
        {"second hit shows 1", 1, 0, 1, 1, 1},
        {"up to the cap", 4, 0, 3, 5, 3},
        {"inside the time", 0, 110, 3, 5, 3},
        {"a hit at the cap restarts the timer", 1, 110, 3, 6, 3},
        {"the time runs out", 0, 20, -1, 6, 3},
        {"a new run starts unseen", 1, 0, 0, 6, 3},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        for (int i = 0; i < s.hits; ++i)
            combo.AddHit();
        Ticks(s.frames);
        EXPECT_EQ(combo.m_nCount, s.count);
        EXPECT_EQ(g_nShown, s.shown);
        EXPECT_EQ(g_PlayStatistics.m_nBestCombo, s.best);
    }
}

// Keys left out of the combo's data keep working values: a run of hits still shows.
TEST(ComboControllerLoad, AbsentKeysKeepWorkingDefaults)
{
    struct Case {
        const char* table;
        float time;
        int32_t max, notice;
    };
    const Case cases[] = {
        {"{}", 2.0f, 999, 50},
        {"{ comboAcceptableTime = 1.5 }", 1.5f, 999, 50},
        {"{ maxComboCount = 3, comboNotice = 7 }", 2.0f, 3, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.table);
        lua_State* L = luaL_newstate();
        ASSERT_EQ(luaL_dostring(L, (std::string("return ") + c.table).c_str()), 0);
        ComboController combo(nullptr);
        EXPECT_TRUE(combo.Load(L));
        EXPECT_FLOAT_EQ(combo.m_fAcceptableTime, c.time);
        EXPECT_EQ(combo.m_nMaxCount, c.max);
        EXPECT_EQ(combo.m_nNotice, c.notice);
        lua_close(L);
    }
}

// A swing spawned by the player is bound and held, takes the player's place and facing at
// start, and, without a collision animation, leaves at its first update.
TEST_F(DamageTest, MeleeHitFollowsAndLeaves)
{
    BuildHit("targetLayer = 4");
    EXPECT_EQ(Player().SpawnHitObject("test_nothing"), nullptr);
    Player().SetFacing(false);
    GameObj* swing = Player().SpawnHitObject("test_swing");
    ASSERT_NE(swing, nullptr);
    EXPECT_EQ(Player().m_pHeldObject, swing);
    auto* damage = static_cast<AttemptDamageController*>(swing->GetComponent(AttemptDamageController::s_Class.Key));
    Tick();
    const Vec2 at = WorldPosition(swing);
    const Vec2 player = WorldPosition(Find("player"));
    EXPECT_FLOAT_EQ(at.x, player.x);
    EXPECT_FLOAT_EQ(at.y, player.y);
    EXPECT_FALSE(damage->m_bFacesRight);
    EXPECT_EQ(damage->m_pPlayerAttacker, &Player());
    Ticks(2);
    EXPECT_EQ(Player().m_pHeldObject, nullptr);
    EXPECT_EQ(Find("swing"), nullptr);
}

// A swing with its collision clip follows the player while "default" plays (position and
// facing) and leaves, released by the player, once the clip has ended.
TEST_F(DamageTest, MeleeHitLeavesWhenItsClipEnds)
{
    AnimationTable clips;
    lua_State* L = luaL_newstate();
    ASSERT_EQ(luaL_dostring(L, "return { test_swing_box = { wrapMode = 0, pose_anim = {"
                               " { 3, 0, 1, 0, 0.25, 1 }, { 4, 0, 1, 0, 0.25, 1 }, { 5, 0, 1, 0, 0.25, 1 } } } }"),
              0);
    clips.ReadAnimationTable(L, "test");
    lua_close(L);
    struct UseClips {
        AnimationTable* old;
        explicit UseClips(AnimationTable* clips) : old(g_pAnimationTable) { g_pAnimationTable = clips; }
        ~UseClips() { g_pAnimationTable = old; }
    } use(&clips);
    // The world goes before the clips it plays.
    struct DropWorld {
        std::unique_ptr<TestWorld>& world;
        ~DropWorld() { world.reset(); }
    } drop{m_pWorld};
    BuildHit("targetLayer = 4");
    GameObj* swing = Player().SpawnHitObject("test_clip_swing");
    ASSERT_NE(swing, nullptr);
    Tick();
    Player().SetFacing(false);
    Put(700.0f, 40.0f);
    Ticks(5);
    ASSERT_EQ(Find("clip_swing"), swing);
    EXPECT_FLOAT_EQ(WorldPosition(swing).x, 700.0f);
    EXPECT_FALSE(static_cast<AttemptDamageController*>(swing->GetComponent(AttemptDamageController::s_Class.Key))
                     ->m_bFacesRight);
    Ticks(20); // past the clip's quarter second
    EXPECT_EQ(Find("clip_swing"), nullptr);
    EXPECT_EQ(Player().m_pHeldObject, nullptr);
}

// A hit effect's angle turns it against the facing (-angle facing right, +angle left) and its
// pictures are mirrored when the hit faces left.
TEST_F(DamageTest, HitEffectFacing)
{
    float sines[2] = {0.0f, 0.0f};
    for (bool right : {true, false}) {
        SCOPED_TRACE(right);
        BuildHit("targetLayer = 4, hitEffects = { { name = 'test_turned_spark', posType = 1, angle = 30 } }");
        Hit().m_bFacesRight = right;
        Hit().Hit(Find("victim"));
        GameObj* turned = Find("turned");
        ASSERT_NE(turned, nullptr);
        sines[right ? 0 : 1] = turned->GetTransform()->LocalMatrix().m[0][1];
        auto* picture = static_cast<SpriteRenderer*>(Find("picture")->GetRenderer());
        ASSERT_NE(picture, nullptr);
        EXPECT_EQ(picture->GetFlipH(), !right);
    }
    EXPECT_NEAR(std::fabs(sines[0]), 0.5f, 1e-5f);
    EXPECT_FLOAT_EQ(sines[0], -sines[1]);
}
