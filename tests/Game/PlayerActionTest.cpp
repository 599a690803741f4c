#include <gtest/gtest.h>

#include <cmath>
#include <iomanip>
#include <sstream>
#include <vector>

#include <lua.hpp>

#include "Components/Game/AttemptDamageController.h"
#include "Components/Game/EffectController.h"
#include "GameFixture.h"
#include "Support/HangGuard.h"
#include "World/AnimationTable.h"
#include "World/SceneManager.h"
#include "World/Transform.h"

namespace {

constexpr uint32_t kUp = ePadBit_Up, kDown = ePadBit_Down, kLeft = ePadBit_Left, kRight = ePadBit_Right;
constexpr uint32_t kAttack = ePadBit_Attack, kSpecial = ePadBit_Special, kHoming = ePadBit_Homing;

// The action clips: wind-ups of 0.1 s, chain steps of 0.5 s whose ground channel moves 60
// pixels over the first 0.25 s, blows of 0.3 s, the special loop held.
const char* const kClips = R"(return {
  a_attack = { wrapMode = 0, pose_anim = { { 3, 0, 1, 0, 0.5, 1 }, { 10, 1, 60, 0, 0.25, 1 } } },
  a_blow = { wrapMode = 0, pose_anim = { { 3, 0, 1, 0, 0.3, 1 } } },
  a_short = { wrapMode = 0, pose_anim = { { 3, 0, 1, 0, 0.1, 1 } } },
  a_loop = { wrapMode = 1, pose_anim = { { 3, 0, 1, 0, 0.1, 1 } } },
  a_fx = { wrapMode = 0, pose_anim = { { 3, 0, 1, 0, 0.2, 1 } } },
})";

const char* const kAnimations =
    "SpriteAnimation = { attack_normal1 = { 'a_attack' }, attack_normal2 = { 'a_attack' },"
    "  attack_normal3 = { 'a_attack' }, attack_normal4 = { 'a_attack' }, attack_blow_low = { 'a_blow' },"
    "  attack_blow_mid = { 'a_blow' }, attack_blow_high = { 'a_blow' }, slash_start = { 'a_short' },"
    "  slash_loop = { 'a_loop' }, turn_slash_start = { 'a_short' }, turn_slash_charge = { 'a_short' },"
    "  turn_slash_loop = { 'a_loop' }, special_start = { 'a_short' }, special_loop = { 'a_loop' },"
    "  homing = { 'a_short' }, drop_loop = { 'a_loop' }, stand_loop = { 'a_loop' } },";

std::string Tuning(const std::string& extra = "")
{
    return PlayerTuning("slash = { accel = 6000, speed = 1400, duration = 0.25, rotation = 30, blurInterval = 0.2 },"
                        "turnedSlash = { drag = 0.8, threshold = 30, accel = 5000, speed = 1200, duration = 0.4,"
                        "  blurInterval = 0.3 },"
                        "turnedSlashShockwaveEffect = 'test_wave'," +
                        extra);
}

// A plain object of the given name.
std::string Plain(const std::string& name, const std::string& components = "Transform = {}")
{
    return name + " = { object_name = '" + name + "', object_layer = 1, object_activity = 1, components = { " +
           components + " } }";
}

class PlayerActionTest : public GameTest {
protected:
    void SetUp() override
    {
        GameTest::SetUp();
        lua_State* L = luaL_newstate();
        ASSERT_EQ(luaL_dostring(L, kClips), 0);
        m_Clips.ReadAnimationTable(L, "test");
        lua_close(L);
        m_pOldClips = g_pAnimationTable;
        g_pAnimationTable = &m_Clips;
    }
    void TearDown() override
    {
        GameTest::TearDown(); // the world goes before the clips it plays
        g_pAnimationTable = m_pOldClips;
    }

    // The player with its clips, the ten hit objects, the effects and the enemy "target" (a
    // body on layer 0x20 with gravity off) at (800, 300).
    void Make(const std::string& tuning = Tuning(), const std::string& effectRemoval = "true")
    {
        auto files = GameFiles(PlayerPrototype(tuning, kAnimations));
        for (const char* hit : {"attack1", "attack2", "attack3", "attack4", "blow_low", "blow_mid", "blow_high",
                                "slash", "turned_slash", "vardeki"}) {
            const std::string name = std::string("gameobj_player_hit_") + hit;
            // Held by the player (a melee hit) and alive while its looping clip plays.
            files["game_objects/" + name] =
                Plain(name, "Transform = {}, CircleCollider = { radius = 8, cullingMask = 32 },"
                            " CollisionAnimation = { default = { 'a_loop' } }, MeleeHitController = {}");
        }
        // The slash's hit carries two hit effects; the second one takes the slash's angle.
        files["game_objects/gameobj_player_hit_slash"] =
            Plain("gameobj_player_hit_slash",
                  "Transform = {}, CircleCollider = { radius = 8, cullingMask = 32 },"
                  " CollisionAnimation = { default = { 'a_loop' } }, MeleeHitController = {},"
                  " AttemptDamageController = { targetLayer = 32, hitEffects = {"
                  " { name = 'x', angle = 0 }, { name = 'y', angle = 0 } } }");
        files["game_objects/test_wave"] = Plain("test_wave", "Transform = {}, EffectController = { removeOnEnded = false }");
        files["game_objects/gameobj_effect_dash_burst"] = Plain("gameobj_effect_dash_burst");
        files["game_objects/gameobj_effect_vardeki"] = Plain("gameobj_effect_vardeki");
        files["game_objects/gameobj_effect_vardeki_slash1"] = Plain("gameobj_effect_vardeki_slash1");
        // The last effect plays a 0.2 s clip, then ends.
        files["game_objects/gameobj_effect_vardeki_slash2"] =
            Plain("gameobj_effect_vardeki_slash2", "Transform = {}, SpriteAnimation = { stand_loop = { 'a_fx' } },"
                                                   " EffectController = { removeOnEnded = " +
                                                       effectRemoval + " }");
        files["game_objects/test_target"] =
            "test_target = { object_name = 'target', object_layer = 32, object_activity = 1,"
            "  components = { Transform = { position = { x = 800, y = 300 } },"
            "    Kinematics = { useGravity = false, needClamp = false } } }";
        files["stage/stage_Test"] =
            "stage_Test = { object_name = 'stage', object_tag = 'Stage', object_layer = 1, object_activity = 1,"
            "  components = { Transform = {}, TestStageSize = {} },"
            "  children = { { base_script = 'test_player' }, { base_script = 'test_floor' },"
            "               { base_script = 'test_wall' }, { base_script = 'test_target' } } }";
        Build(files);
        g_PlayStatistics.Reset();
        Player().m_pPower->m_nPower = 100;
        Player().m_pPower->StopRegen(); // power moves only by what the states spend
        Put(500.0f, 0.0f);
        Player().ChangeState(ePlayerState_Stand);
        Ticks(3);
        ASSERT_TRUE(Player().m_bGrounded);
    }
    int32_t State() const { return Player().GetStateId(); }
    int Count(const std::string& prototype) const
    {
        int n = 0;
        for (GameObj* o = m_pWorld->Scene()->GetRoot(); o; o = o->GetNext())
            n += o->GetPrototypeName() == prototype && !(o->GetFlags() & eGameObjFlag_PendingRemoval);
        return n;
    }
    int MaskCount() const { return Player().m_pInvincible->GetMaskCount(); }
    int Power() const { return Player().m_pPower->m_nPower; }
    // Frames (at most `limit`) until the state is no longer `from`.
    int TicksWhile(int32_t from, uint32_t held = 0, int limit = 600)
    {
        int n = 0;
        while (State() == from && n < limit) {
            Tick(held);
            ++n;
        }
        return n;
    }

    AnimationTable m_Clips;
    AnimationTable* m_pOldClips = nullptr;
};

} // namespace

TEST(DirectionCodeTest, EveryInput)
{
    const struct {
        int32_t h, v, code;
    } cases[] = {{0, 1, 0},  {1, 1, 1},   {1, 0, 2},  {1, -1, 3}, {0, -1, 4},
                 {-1, -1, 5}, {-1, 0, 6}, {-1, 1, 7}, {0, 0, -1}, {2, 0, -1}};
    for (const auto& c : cases)
        EXPECT_EQ(DirectionCode(c.h, c.v), c.code) << c.h << ", " << c.v;
}

// The chain: a press in the first 32 % of a step does nothing; later it starts the next step
// (whose hit object replaces the last); a fifth press does nothing; step 4 waits its clip's
// length + 0.1 s before the player may leave.
TEST_F(PlayerActionTest, AttackChain)
{
    struct Case {
        const char* name;
        int waitFrames; // before the next press, after each step starts
        int presses;
        int32_t steps;
    };
    const Case cases[] = {
        {"pressed at once: one step", 1, 3, 1},
        {"inside the first 32 %: one step", 8, 1, 1},
        {"after 32 %: the chain goes on", 11, 1, 2},
        {"four steps", 11, 3, 4},
        {"no fifth step", 11, 5, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Make();
        Tick(kAttack);
        ASSERT_EQ(State(), ePlayerState_Attack);
        auto& attack = *static_cast<AttackState*>(Player().GetState(ePlayerState_Attack));
        EXPECT_NEAR(attack.m_fInputTimer, 0.5f * 0.32f, 1e-4f);
        bool fourth = false;
        for (int i = 0; i < c.presses; ++i) {
            Ticks(c.waitFrames);
            Tick(kAttack);
            if (attack.m_nStepCount == 4 && !fourth) {
                fourth = true;
                EXPECT_NEAR(attack.m_fInputTimer, 0.5f + 0.1f, 1e-5f);
            }
        }
        EXPECT_EQ(attack.m_nStepCount, c.steps);
        EXPECT_EQ(Count("gameobj_player_hit_attack" + std::to_string(c.steps)), 1);
        for (int k = 1; k < c.steps; ++k)
            EXPECT_EQ(Count("gameobj_player_hit_attack" + std::to_string(k)), 0);
        TicksWhile(ePlayerState_Attack);
        EXPECT_EQ(State(), ePlayerState_Stand);
        EXPECT_EQ(g_PlayStatistics.m_nAttackCount, 1);
        EXPECT_TRUE(Body().m_bUseGravity);
    }
}

// On the ground the clip's channel 10 moves the player (mirrored when facing left); in the air
// it falls by its own gravity, or is drawn to the last enemy hit once a hit has landed.
TEST_F(PlayerActionTest, AttackMovement)
{
    struct Case {
        const char* name;
        bool air;
        bool facesRight;
        bool hitLanded;
        float wantVelX; // in the frame after the start
    };
    const Case cases[] = {
        {"ground, right: root motion", false, true, false, 240.0f},
        {"ground, left: mirrored", false, false, false, -240.0f},
        {"air: falls by itself", true, true, false, 0.0f},
        {"air: drawn to the last hit", true, true, true, 300.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Make();
        Player().SetFacing(c.facesRight);
        if (c.air)
            Put(500.0f, 1000.0f);
        Tick(kAttack);
        ASSERT_EQ(State(), ePlayerState_Attack);
        if (c.hitLanded)
            Player().m_vLastHitPosition = {Body().m_fPosX + 300.0f, Body().m_fPosY + 100.0f};
        Tick();
        Tick();
        if (c.air && !c.hitLanded) {
            EXPECT_FLOAT_EQ(Body().m_fVelX, 0.0f);
            EXPECT_LT(Body().m_fVelY, 0.0f); // own gravity; the body's is off
            EXPECT_FALSE(Body().m_bUseGravity);
        } else if (c.hitLanded) {
            EXPECT_GT(Body().m_fVelX, 0.0f);
            EXPECT_GT(Body().m_fVelY, 0.0f);
        } else {
            // 60 pixels over 0.25 s.
            EXPECT_NEAR(Body().m_fVelX, c.wantVelX, 1.0f);
        }
    }
}

// The blow's height by the vertical input and the grounding.
TEST_F(PlayerActionTest, BlowHeights)
{
    struct Case {
        const char* name;
        bool air;
        uint32_t held;
        const char* hit;
    };
    const Case cases[] = {
        {"ground, none: mid", false, 0, "gameobj_player_hit_blow_mid"},
        {"ground, up: high", false, kUp, "gameobj_player_hit_blow_high"},
        {"ground, down: mid", false, kDown, "gameobj_player_hit_blow_mid"},
        {"air, up: mid", true, kUp, "gameobj_player_hit_blow_mid"},
        {"air, down: low", true, kDown, "gameobj_player_hit_blow_low"},
        {"air, none: mid", true, 0, "gameobj_player_hit_blow_mid"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Make();
        // Blow straight from Stand, as the controller does (down would sit first).
        if (c.air)
            Put(500.0f, 1000.0f);
        Tick(c.held);
        Player().m_bGrounded = !c.air;
        TestPad().current = c.held;
        Player().m_nVertical = (c.held & kUp) ? 1 : (c.held & kDown) ? -1 : 0;
        Player().ChangeState(ePlayerState_Blow);
        EXPECT_EQ(Count(c.hit), 1);
        EXPECT_EQ(g_PlayStatistics.m_nBlowCount, 1);
        TicksWhile(ePlayerState_Blow, c.held, 60);
        EXPECT_EQ(Count(c.hit), 0); // Exit lets go of it
    }
}

// The slash aims over the eight directions; the tilt follows the aim; a grounded downward
// diagonal aims level again; power is spent after the wind-up, not on request.
TEST_F(PlayerActionTest, SlashAim)
{
    const float r = 30.0f * 0.017453292f;
    struct Case {
        const char* name;
        bool air;
        uint32_t held;
        int32_t code;
        float dx, dy;
        float tilt; // the world rotation angle
    };
    const float c30 = std::cos(r), s30 = std::sin(r);
    auto n = [](float x, float y) { return std::sqrt(x * x + y * y); };
    const float l = n(c30, s30);
    const Case cases[] = {
        {"air, up", true, kUp, 0, 0.0f, 1.0f, -1.5707964f},
        {"air, up-right", true, kUp | kRight, 1, c30 / l, s30 / l, -r},
        {"air, right", true, kRight, 2, 1.0f, 0.0f, 0.0f},
        {"air, down-right", true, kDown | kRight, 3, c30 / l, -s30 / l, r},
        {"air, down", true, kDown, 4, 0.0f, -1.0f, 1.5707964f},
        {"air, down-left", true, kDown | kLeft, 5, -c30 / l, -s30 / l, -r},
        {"air, left", true, kLeft, 6, -1.0f, 0.0f, 0.0f},
        {"air, up-left", true, kUp | kLeft, 7, -c30 / l, s30 / l, r},
        {"ground, down-right: level", false, kDown | kRight, 2, 1.0f, 0.0f, 0.0f},
        {"ground, down-left: level", false, kDown | kLeft, 6, -1.0f, 0.0f, 0.0f},
        {"ground, up-right", false, kUp | kRight, 1, c30 / l, s30 / l, -r},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Make();
        if (c.air)
            Put(500.0f, 1000.0f);
        const int before = Power();
        Player().m_bGrounded = !c.air;
        Tick(c.held);
        TestPad().current = c.held;
        Player().ChangeState(ePlayerState_Slash);
        Tick(c.held);
        EXPECT_EQ(Power(), before); // still winding up
        int frames = 0;
        auto& slash = *static_cast<SlashState*>(Player().GetState(ePlayerState_Slash));
        while (slash.m_nPhase == 0 && frames++ < 30)
            Tick(c.held);
        ASSERT_EQ(slash.m_nPhase, 1);
        EXPECT_EQ(Power(), before - 25);
        EXPECT_EQ(MaskCount(), 1);
        Tick(c.held);
        EXPECT_EQ(slash.m_nDirectionCode, c.code);
        EXPECT_NEAR(slash.m_vDirection.x, c.dx, 1e-4f);
        EXPECT_NEAR(slash.m_vDirection.y, c.dy, 1e-4f);
        const Matrix4x4& w = Find("player")->GetTransform()->WorldMatrix();
        EXPECT_NEAR(-Atan2(w.m[0][1], w.m[1][1]), c.tilt, 1e-4f);
        TicksWhile(ePlayerState_Slash, c.held, 120);
        EXPECT_EQ(MaskCount(), 0);
        EXPECT_NEAR(Atan2(w.m[0][1], w.m[1][1]), 0.0f, 1e-6f); // upright again
        EXPECT_FLOAT_EQ(Body().m_fMaxSpeed, 5000.0f);
    }
}

// The slash hit's second hit effect takes the slash's angle.
TEST_F(PlayerActionTest, SlashHitAngle)
{
    Make();
    Put(500.0f, 1000.0f);
    Player().ChangeState(ePlayerState_Slash);
    for (int i = 0; i < 20 && static_cast<SlashState*>(Player().GetState(ePlayerState_Slash))->m_nPhase == 0; ++i)
        Tick(kUp | kRight);
    GameObj* hit = Find("gameobj_player_hit_slash");
    ASSERT_NE(hit, nullptr);
    auto* damage = static_cast<AttemptDamageController*>(hit->GetComponent(AttemptDamageController::s_Class.Key));
    ASSERT_NE(damage, nullptr);
    EXPECT_NEAR(damage->m_HitEffects[1].angle, 30.0f * 0.017453292f, 1e-4f);
    EXPECT_FLOAT_EQ(damage->m_HitEffects[0].angle, 0.0f);
}

// The override is balanced on every way out of Slash and TurnedSlash, wind-up included.
TEST_F(PlayerActionTest, OverrideBalanced)
{
    struct Case {
        const char* name;
        int32_t state;
        int framesIn; // before leaving
        bool byHit;   // else by a homing press
    };
    const Case cases[] = {
        {"slash: hit during the wind-up", ePlayerState_Slash, 1, true},
        {"slash: homing during the wind-up", ePlayerState_Slash, 1, false},
        {"slash: hit during the rush", ePlayerState_Slash, 9, true},
        {"slash: to the end", ePlayerState_Slash, 200, false},
        {"turned slash: hit during the wind-up", ePlayerState_TurnedSlash, 1, true},
        {"turned slash: homing during the charge", ePlayerState_TurnedSlash, 8, false},
        {"turned slash: hit during the rush", ePlayerState_TurnedSlash, 20, true},
        {"turned slash: to the end", ePlayerState_TurnedSlash, 200, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Make();
        Player().ChangeState(c.state);
        for (int i = 0; i < c.framesIn && State() == c.state; ++i)
            Tick(kRight);
        if (State() == c.state) {
            if (c.byHit) {
                const int pushed = MaskCount();
                Player().OnDamaged({100.0f, 100.0f}, 0.0f, 0, true);
                EXPECT_EQ(MaskCount(), pushed + 1); // the hit's own override
                TicksWhile(c.state, 0, 50);
                ASSERT_NE(State(), c.state);
                // The flight is over, the hit's invincibility is not: its override stays.
                ASSERT_TRUE(Player().m_pInvincible->IsEnabled());
                EXPECT_EQ(MaskCount(), 1);
                Ticks(200);
            } else {
                Tick(kHoming);
                EXPECT_EQ(State(), ePlayerState_Homing);
                Ticks(200);
            }
        }
        EXPECT_EQ(MaskCount(), 0);
        EXPECT_TRUE(Body().m_bUseGravity);
    }
}

// The turned slash brakes, charges, spends, then rushes backwards leaving shockwaves at its
// interval (none when the interval is longer than the rush, or not positive; at most one a
// frame however short it is).
TEST_F(PlayerActionTest, Shockwaves)
{
    struct Case {
        const char* name;
        float interval;
        int minWaves, maxWaves;
    };
    const Case cases[] = {
        {"longer than the rush: none", 1.0f, 0, 0},
        {"0.1 s over a 0.4 s rush", 0.1f, 4, 5},
        {"every frame", 1.0f / 60.0f, 23, 26},
        {"0: none", 0.0f, 0, 0},
        {"negative: none", -1.0f, 0, 0},
        {"1e-12 s: one a frame", 1e-12f, 23, 26},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::ostringstream interval;
        interval << std::setprecision(9) << c.interval;
        Make(Tuning("turnedSlashShockwaveInterval = " + interval.str() + ","));
        const int before = Power();
        Player().SetFacing(true);
        Player().ChangeState(ePlayerState_TurnedSlash);
        Tick();
        EXPECT_EQ(Power(), before);
        {
            HangGuard guard(std::string("the turned slash, shockwaves every ") + c.name, 30.0);
            TicksWhile(ePlayerState_TurnedSlash, 0, 200);
        }
        EXPECT_EQ(Power(), before - 50);
        EXPECT_GE(Count("test_wave"), c.minWaves);
        EXPECT_LE(Count("test_wave"), c.maxWaves);
        EXPECT_LT(Body().m_fPosX, 500.0f); // rushed backwards, to the left
        EXPECT_FALSE(Player().m_bFacesRight);
    }
}

// Homing without a target lifts 512 pixels once and falls for at most 1.2 s; with one the
// player rides it.
TEST_F(PlayerActionTest, Homing)
{
    struct Case {
        const char* name;
        bool target;
    };
    for (const Case& c : {Case{"no target", false}, Case{"onto the target", true}}) {
        SCOPED_TRACE(c.name);
        Make();
        if (c.target)
            Player().SetHomingTarget(Find("target"));
        Put(500.0f, 1000.0f);
        const int before = Power();
        Tick(kHoming);
        ASSERT_EQ(State(), ePlayerState_Homing);
        EXPECT_EQ(Power(), before); // the wind-up is free
        auto& homing = *static_cast<HomingState*>(Player().GetState(ePlayerState_Homing));
        while (homing.m_nPhase == 0)
            Tick();
        EXPECT_EQ(Power(), before - 20);
        const float y0 = Body().m_fPosY;
        Tick();
        if (c.target) {
            Find("target")->GetKinematics()->m_fVelX = 60.0f;
            Ticks(30);
            const Kinematics& t = *Find("target")->GetKinematics();
            EXPECT_NEAR(Body().m_fPosX, t.m_fPosX, 1.5f);
            EXPECT_NEAR(Body().m_fPosY, t.m_fPosY, 1.5f);
        } else {
            EXPECT_NEAR(Body().m_fPosY, y0 + 512.0f, 1.0f);
            Ticks(10);
            EXPECT_LT(Body().m_fPosY, y0 + 500.0f); // lifted once, then falling
        }
        const int frames = TicksWhile(ePlayerState_Homing);
        EXPECT_LE(frames, 73);
        EXPECT_EQ(State(), ePlayerState_Drop);
    }
}

// The special move: layers 0x20 and 0x8000 stop, power drops once the wind-up is over, the
// hit comes once the last effect ends (also when it removed itself), and the saved mask comes
// back even if other code changed it meanwhile.
TEST_F(PlayerActionTest, SpecialMove)
{
    struct Case {
        const char* name;
        const char* removeOnEnded;
        bool maskChanged;
    };
    const Case cases[] = {
        {"the effect removes itself", "true", false},
        {"the effect stays; the mask changed meanwhile", "false", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Make(Tuning(), c.removeOnEnded);
        SceneManager& scene = *m_pWorld->Scene();
        scene.m_nUpdateMask = 0xFFFFFFFFu;
        const int before = Power();
        Tick(kSpecial);
        ASSERT_EQ(State(), ePlayerState_Vardeki);
        EXPECT_EQ(scene.m_nUpdateMask, 0xFFFFFFFFu & ~0x8020u);
        EXPECT_EQ(MaskCount(), 1);
        EXPECT_FALSE(Player().m_pPower->m_bRegen);
        if (c.maskChanged)
            scene.m_nUpdateMask &= ~0x100u;
        // The target on layer 0x20 no longer moves.
        Find("target")->GetKinematics()->m_fVelX = 100.0f;
        const float targetX = Find("target")->GetKinematics()->m_fPosX;
        Tick();
        EXPECT_EQ(Power(), before);
        const int frames = TicksWhile(ePlayerState_Vardeki, 0, 120);
        EXPECT_LT(frames, 120);
        EXPECT_EQ(Power(), 0);
        EXPECT_EQ(Count("gameobj_player_hit_vardeki"), 1);
        EXPECT_EQ(Count("gameobj_effect_vardeki_slash2"), 0);
        if (!c.maskChanged) {
            EXPECT_FLOAT_EQ(Find("target")->GetKinematics()->m_fPosX, targetX);
        }
        EXPECT_EQ(scene.m_nUpdateMask, 0xFFFFFFFFu);
        EXPECT_EQ(MaskCount(), 0);
        EXPECT_TRUE(Player().m_pPower->m_bRegen);
        EXPECT_EQ(g_PlayStatistics.m_nVardekiCount, 1);
    }
}

// A clip missing from the animation table counts as length 0: the chain step may be followed
// at once and nothing breaks.
TEST_F(PlayerActionTest, MissingAttackClip)
{
    Build(GameFiles(PlayerPrototype(Tuning())));
    Put(500.0f, 0.0f);
    Ticks(3);
    Tick(kAttack);
    ASSERT_EQ(State(), ePlayerState_Attack);
    EXPECT_FLOAT_EQ(static_cast<AttackState*>(Player().GetState(ePlayerState_Attack))->m_fInputTimer, 0.0f);
    Tick();
    EXPECT_EQ(State(), ePlayerState_Stand);
}
