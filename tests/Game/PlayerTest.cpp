#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "Components/Core/Collider.h"
#include "GameFixture.h"
#include "System/Sound/SoundManager.h"

namespace {

constexpr uint32_t kUp = ePadBit_Up, kDown = ePadBit_Down, kLeft = ePadBit_Left, kRight = ePadBit_Right;
constexpr uint32_t kJump = ePadBit_Jump, kStep = ePadBit_Step, kGlide = ePadBit_Glide, kSlash = ePadBit_Slash;

const char* StateName(int32_t id)
{
    static const char* const names[] = {"Stand", "TakeDamage", "Run", "Sit", "Jump", "Drop", "Step", "Dash", "Gliding"};
    return id >= 0 && id < 9 ? names[id] : "?";
}

class PlayerTest : public GameTest {
protected:
    // The player standing still on the floor at x, after the start and a few frames.
    void Settle(float x = 500.0f)
    {
        Put(x, 0.0f);
        Player().ChangeState(ePlayerState_Stand);
        Ticks(3);
        ASSERT_EQ(Player().GetStateId(), ePlayerState_Stand);
        ASSERT_TRUE(Player().m_bGrounded);
    }
    int32_t State() const { return Player().GetStateId(); }
    InvincibleController& Invincible() const { return *Player().m_pInvincible; }
    int Count(const std::string& prototype) const
    {
        int n = 0;
        for (GameObj* o = m_pWorld->Scene()->GetRoot(); o; o = o->GetNext())
            n += o->GetPrototypeName() == prototype;
        return n;
    }
    // Ticks with the buttons held until the state differs from `from`; the frames it took.
    int TicksWhile(int32_t from, uint32_t held, int limit = 600)
    {
        int n = 0;
        while (State() == from && n < limit) {
            Tick(held);
            ++n;
        }
        return n;
    }
};

} // namespace

// One frame from a state, with buttons newly pressed, on the ground or in the air.
TEST_F(PlayerTest, Transitions)
{
    struct Case {
        const char* name;
        bool air;
        int32_t from;
        int32_t airActions;
        uint32_t held;
        bool home;
        int32_t to;
        int32_t airAfter;
    };
    const Case cases[] = {
        {"stand still", false, ePlayerState_Stand, 2, 0, false, ePlayerState_Stand, 2},
        {"stand, right runs", false, ePlayerState_Stand, 2, kRight, false, ePlayerState_Run, 2},
        {"stand in the air falls", true, ePlayerState_Stand, 2, 0, false, ePlayerState_Drop, 2},
        {"step on the ground is free", false, ePlayerState_Stand, 2, kStep | kRight, false, ePlayerState_Step, 2},
        {"step out of a run", false, ePlayerState_Run, 2, kStep | kLeft, false, ePlayerState_Step, 2},
        {"step needs a direction", false, ePlayerState_Stand, 2, kStep, false, ePlayerState_Stand, 2},
        {"air step spends an action", true, ePlayerState_Drop, 1, kStep | kRight, false, ePlayerState_Step, 0},
        {"no air step without actions", true, ePlayerState_Drop, 0, kStep | kRight, false, ePlayerState_Drop, 0},
        {"glide out of a drop", true, ePlayerState_Drop, 2, kGlide, false, ePlayerState_Gliding, 2},
        {"glide out of a jump", true, ePlayerState_Jump, 2, kGlide, false, ePlayerState_Gliding, 2},
        {"no glide on the ground", false, ePlayerState_Stand, 2, kGlide, false, ePlayerState_Stand, 2},
        {"down sits", false, ePlayerState_Stand, 2, kDown, false, ePlayerState_Sit, 2},
        {"down sits out of a run", false, ePlayerState_Run, 2, kDown, false, ePlayerState_Sit, 2},
        {"up and down is no direction", false, ePlayerState_Stand, 2, kDown | kUp, false, ePlayerState_Stand, 2},
        {"jump from the ground spends", false, ePlayerState_Stand, 2, kJump, false, ePlayerState_Jump, 1},
        {"jump from a run spends after the landing refill", false, ePlayerState_Run, 0, kJump, false,
         ePlayerState_Jump, 1},
        {"air jump spends", true, ePlayerState_Drop, 1, kJump, false, ePlayerState_Jump, 0},
        {"no air jump without actions", true, ePlayerState_Drop, 0, kJump, false, ePlayerState_Drop, 0},
        {"air jump out of a glide", true, ePlayerState_Gliding, 1, kJump, false, ePlayerState_Jump, 0},
        {"jump out of a step on the ground is free", false, ePlayerState_Step, 0, kJump, false, ePlayerState_Jump, 2},
        {"home: right runs", false, ePlayerState_Stand, 2, kRight, true, ePlayerState_Run, 2},
        {"home: no step", false, ePlayerState_Stand, 2, kStep | kRight, true, ePlayerState_Run, 2},
        {"home: no jump", false, ePlayerState_Stand, 2, kJump, true, ePlayerState_Stand, 2},
        {"home: no sit", false, ePlayerState_Stand, 2, kDown, true, ePlayerState_Stand, 2},
        {"home: falls", true, ePlayerState_Stand, 2, 0, true, ePlayerState_Drop, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BuildPlayer();
        Settle();
        PlayerController& p = Player();
        p.m_bHomeStage = c.home;
        if (c.air)
            Put(500.0f, 1000.0f);
        p.ChangeState(c.from);
        p.m_nAirActions = c.airActions;
        Tick(c.held);
        EXPECT_STREQ(StateName(State()), StateName(c.to));
        EXPECT_EQ(p.m_nAirActions, c.airAfter);
    }
}

// "maxAirActionCount" 0: the jump from the ground drives the count to -1, and nothing more
// happens in the air until a landing restores it.
TEST_F(PlayerTest, NoAirActions)
{
    BuildPlayer(PlayerTuning("maxAirActionCount = 0"));
    Settle();
    Tick(kJump);
    EXPECT_EQ(State(), ePlayerState_Jump);
    EXPECT_EQ(Player().m_nAirActions, -1);
    Ticks(5, kJump);
    Tick(0);
    Tick(kJump);
    EXPECT_EQ(State(), ePlayerState_Jump);
    EXPECT_EQ(Player().m_nAirActions, -1);
    Tick(kStep | kRight);
    EXPECT_NE(State(), ePlayerState_Step);
    TicksWhile(State(), 0);
    TicksWhile(ePlayerState_Drop, 0);
    EXPECT_EQ(State(), ePlayerState_Stand);
    EXPECT_EQ(Player().m_nAirActions, 0);
}

// Landing by state: the contact ends a drop or a glide, a jump only sets grounded, and every
// landing refills the air actions.
TEST_F(PlayerTest, Landing)
{
    struct Case {
        const char* name;
        int32_t state;
        uint32_t held;
        int32_t after;
    };
    const Case cases[] = {
        {"drop lands standing", ePlayerState_Drop, 0, ePlayerState_Stand},
        {"glide lands standing", ePlayerState_Gliding, kGlide, ePlayerState_Stand},
        {"down held lands into a sit", ePlayerState_Drop, kDown, ePlayerState_Sit},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BuildPlayer();
        Settle();
        Put(500.0f, 120.0f);
        Player().ChangeState(c.state);
        Player().m_nAirActions = 0;
        TicksWhile(c.state, c.held);
        EXPECT_STREQ(StateName(State()), StateName(c.after));
        EXPECT_TRUE(Player().m_bGrounded);
        EXPECT_EQ(Player().m_nAirActions, 2);
        EXPECT_NEAR(Body().m_fPosY, 0.0f, 1e-3f);
        EXPECT_FLOAT_EQ(Body().m_fGravityScale, 1.0f);
    }
}

// A held jump peaks at "jumpHeight" x 100 within one frame's travel; let go early, gravity
// weighs 2.5 times until the state changes.
TEST_F(PlayerTest, JumpHeightAndRelease)
{
    BuildPlayer();
    Settle();
    const float speed = Player().m_fJumpSpeed;
    EXPECT_NEAR(speed, std::sqrt(kPlayerGravity * 2.0f * 200.0f), 1e-2f);
    float peak = 0.0f;
    Tick(kJump);
    while (State() == ePlayerState_Jump) {
        Tick(kJump);
        peak = std::max(peak, Body().m_fPosY);
        EXPECT_FLOAT_EQ(Body().m_fGravityScale, 1.0f);
    }
    EXPECT_NEAR(peak, 200.0f, speed / 60.0f);

    TicksWhile(ePlayerState_Drop, 0);
    Ticks(2);
    Tick(kJump);
    Ticks(2, kJump);
    Tick(0);
    EXPECT_EQ(State(), ePlayerState_Jump);
    EXPECT_FLOAT_EQ(Body().m_fGravityScale, 2.5f);
    TicksWhile(ePlayerState_Jump, 0);
    EXPECT_FLOAT_EQ(Body().m_fGravityScale, 1.0f);
}

// The drag rule after a run: velocity x times pow(drag, dt x 60) each frame, 0 once at or
// below the threshold, and Stand after it.
TEST_F(PlayerTest, RunDrag)
{
    BuildPlayer();
    Settle();
    Ticks(5, kRight);
    EXPECT_FLOAT_EQ(Body().m_fVelX, 300.0f);
    Tick(0); // the run ends its phase 0
    EXPECT_EQ(State(), ePlayerState_Run);
    float expected = Body().m_fVelX;
    for (int i = 0; i < 30 && State() == ePlayerState_Run; ++i) {
        Tick(0);
        expected *= std::pow(0.8f, (1.0f / 60.0f) * 60.0f);
        if (std::fabs(expected) <= 10.0f)
            expected = 0.0f;
        if (State() == ePlayerState_Run) {
            EXPECT_NEAR(Body().m_fVelX, expected, 1e-2f);
        }
    }
    EXPECT_EQ(State(), ePlayerState_Stand);
    EXPECT_EQ(Body().m_fVelX, 0.0f);
}

// A step held in its direction for "step" "duration" becomes a dash the same way; the dash
// accelerates, and a wall ends its hold in the update of the frame it touches.
TEST_F(PlayerTest, StepToDashAndWall)
{
    BuildPlayer();
    Settle(500.0f);
    Tick(kStep | kRight);
    ASSERT_EQ(State(), ePlayerState_Step);
    EXPECT_FALSE(Body().m_bUseGravity);
    EXPECT_FLOAT_EQ(Player().m_fCurrentRunSpeed, 900.0f);
    const int frames = TicksWhile(ePlayerState_Step, kStep | kRight);
    EXPECT_EQ(State(), ePlayerState_Dash);
    EXPECT_NEAR(frames / 60.0f, 0.2f, 1.5f / 60.0f);
    EXPECT_TRUE(Trail().IsSpawning());
    const float v0 = Body().m_fVelX;
    Tick(kStep | kRight);
    EXPECT_GT(Body().m_fVelX, v0);

    auto* dash = static_cast<DashState*>(Player().GetState(ePlayerState_Dash));
    int guard = 0;
    while (!dash->m_bWallHit && guard++ < 120)
        Tick(kStep | kRight);
    ASSERT_TRUE(dash->m_bWallHit);
    EXPECT_EQ(State(), ePlayerState_Dash);
    EXPECT_NE(dash->m_nPhase, 0);
    EXPECT_TRUE(dash->m_bMaskReleased);
    EXPECT_FALSE(Trail().IsSpawning());
    EXPECT_EQ(Invincible().GetMaskCount(), 0);
    EXPECT_LE(Body().m_fPosX, 1000.0f);
}

// The step's and the dash's mask override is popped exactly once on every way out.
TEST_F(PlayerTest, OverrideBalanced)
{
    struct Case {
        const char* name;
        bool air;
        std::vector<uint32_t> script; // held per frame after the step starts
        int32_t end;
    };
    const std::vector<uint32_t> dash(20, kStep | kRight);
    auto then = [](std::vector<uint32_t> a, uint32_t held, int n) {
        a.insert(a.end(), n, held);
        return a;
    };
    const Case cases[] = {
        {"step, let go: stands", false, std::vector<uint32_t>(60, 0), ePlayerState_Stand},
        {"step, keep running", false, std::vector<uint32_t>(3, kRight), ePlayerState_Run},
        {"air step, let go: drops", true, std::vector<uint32_t>(2, 0), ePlayerState_Drop},
        {"dash, brake, stand", false, then(dash, 0, 120), ePlayerState_Stand},
        {"dash, brake, run", false, then(dash, kRight, 120), ePlayerState_Run},
        {"air dash ends in a drop", true, then(dash, 0, 1), ePlayerState_Drop},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BuildPlayer();
        Settle(100.0f);
        if (c.air)
            Put(100.0f, 2000.0f);
        Tick(kStep | kRight);
        ASSERT_EQ(State(), ePlayerState_Step);
        EXPECT_EQ(Invincible().GetMaskCount(), 1);
        for (uint32_t held : c.script)
            Tick(held);
        EXPECT_STREQ(StateName(State()), StateName(c.end));
        EXPECT_EQ(Invincible().GetMaskCount(), 0);
        EXPECT_EQ(Find("player")->GetCollider()->GetCullingMask(), 3u);
        EXPECT_TRUE(Body().m_bUseGravity);
        if (c.end == ePlayerState_Stand) {
            Tick(0);
            EXPECT_FLOAT_EQ(Body().m_fVelX, 0.0f);
        }
    }
}

// A hit mid-dash: the flight takes over, and its end leaves the dash through Exit; once the
// spell is over no override is left. The player ignores terrain in flight, so the frame the
// flight lands is not a grounded one: it drops, and lands standing in the next.
TEST_F(PlayerTest, HitMidDash)
{
    BuildPlayer();
    Settle(100.0f);
    Tick(kStep | kRight);
    TicksWhile(ePlayerState_Step, kStep | kRight);
    ASSERT_EQ(State(), ePlayerState_Dash);
    Player().OnDamaged({-100.0f, 400.0f}, 2.0f, 0, false);
    EXPECT_EQ(Invincible().GetMaskCount(), 2);
    EXPECT_FALSE(Trail().IsSpawning());
    int guard = 0;
    while (Player().m_pKnockback->IsEnabled() && guard++ < 300)
        Tick(kStep | kRight);
    EXPECT_EQ(State(), ePlayerState_Drop);
    Tick(0);
    EXPECT_EQ(State(), ePlayerState_Stand);
    EXPECT_EQ(Invincible().GetMaskCount(), 1);
    Ticks(60);
    EXPECT_EQ(Invincible().GetMaskCount(), 0);
    EXPECT_EQ(Find("player")->GetCollider()->GetCullingMask(), 3u);
    EXPECT_TRUE(Body().m_bUseGravity);
}

// A flight that ends in the air leads to Drop.
TEST_F(PlayerTest, FlightEndsInTheAir)
{
    BuildPlayer();
    Settle();
    Put(500.0f, 1500.0f);
    Player().m_pKnockback->m_fKnockbackDuration = 0.1f;
    Player().OnDamaged({0.0f, 10.0f}, 0.0f, 0, false);
    Ticks(8);
    EXPECT_EQ(State(), ePlayerState_Drop);
}

// Step, slash and a held direction: the step waits for a release before it re-arms.
TEST_F(PlayerTest, StepRearm)
{
    BuildPlayer();
    Settle();
    Tick(kStep | kRight);
    Tick(kRight); // let go of the step: run
    EXPECT_EQ(State(), ePlayerState_Run);
    Ticks(2, kRight);
    Tick(kStep | kRight);
    EXPECT_EQ(State(), ePlayerState_Step);
    Tick(kStep); // no direction: the step ends on the ground and the step re-arms
    TicksWhile(ePlayerState_Step, kStep);
    EXPECT_EQ(State(), ePlayerState_Stand);
    Tick(kStep | kLeft);
    EXPECT_EQ(State(), ePlayerState_Step);
    EXPECT_FALSE(Player().m_bFacesRight);
    (void)kSlash;
}

// The five movement counters rise once per Enter.
TEST_F(PlayerTest, Counters)
{
    BuildPlayer();
    Settle(100.0f);
    Tick(kDown);
    Tick(0);
    TicksWhile(ePlayerState_Sit, 0);
    Tick(kJump);
    Tick(0);
    Tick(kGlide);
    TicksWhile(ePlayerState_Gliding, kGlide);
    Ticks(3);
    Tick(kStep | kRight);
    TicksWhile(ePlayerState_Step, kStep | kRight);
    TicksWhile(ePlayerState_Dash, 0);
    EXPECT_EQ(g_PlayStatistics.m_nSitCount, 1);
    EXPECT_EQ(g_PlayStatistics.m_nJumpCount, 1);
    EXPECT_EQ(g_PlayStatistics.m_nGlideCount, 1);
    EXPECT_EQ(g_PlayStatistics.m_nStepCount, 1);
    EXPECT_EQ(g_PlayStatistics.m_nDashCount, 1);
}

// Death: the player object goes inactive once, with one dead effect and one override.
TEST_F(PlayerTest, DeathOnce)
{
    BuildPlayer();
    Settle(300.0f);
    Player().m_pHealth->m_nHealth = 0;
    Tick();
    EXPECT_FALSE(Find("player")->IsActive());
    EXPECT_EQ(Count("test_dead_effect"), 1);
    EXPECT_EQ(Invincible().GetMaskCount(), 1);
    Ticks(5);
    EXPECT_EQ(Count("test_dead_effect"), 1);
    EXPECT_EQ(Invincible().GetMaskCount(), 1);
    GameObj* effect = nullptr;
    for (GameObj* o = m_pWorld->Scene()->GetRoot(); o; o = o->GetNext())
        if (o->GetPrototypeName() == "test_dead_effect")
            effect = o;
    ASSERT_NE(effect, nullptr);
    EXPECT_FLOAT_EQ(effect->GetTransform()->WorldMatrix().m[3][0], 300.0f);
}

// Power: costs from the divisors, HasPower with the carried fraction, SpendPower carrying
// fractions; a missing divisor costs nothing, with a warning naming the prototype and key.
TEST_F(PlayerTest, PowerCosts)
{
    testing::internal::CaptureStdout();
    BuildPlayer("run = { speed = 300 }, powerCosts = { slash = 4, homing = 0, vardeki = 3 }");
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("test_player"), std::string::npos) << log;
    EXPECT_NE(log.find("\"turnedSlash\""), std::string::npos) << log;
    EXPECT_NE(log.find("\"homing\""), std::string::npos) << log;
    PlayerController& p = Player();
    EXPECT_FLOAT_EQ(p.GetSlashCost(), 25.0f);
    EXPECT_FLOAT_EQ(p.GetTurnedSlashCost(), 0.0f);
    EXPECT_FLOAT_EQ(p.GetHomingCost(), 0.0f);
    EXPECT_NEAR(p.GetVardekiCost(), 33.333f, 1e-3f);
    PowerController& power = *p.m_pPower;
    power.StopRegen();
    struct Step {
        float spend;
        int32_t power;
        float pending;
    };
    const Step steps[] = {{0.4f, 100, 0.4f}, {0.4f, 100, 0.8f}, {0.4f, 99, 0.2f}, {33.3f, 66, 0.5f}, {-1.7f, 67, -0.2f}};
    for (const Step& s : steps) {
        p.SpendPower(s.spend);
        EXPECT_EQ(power.m_nPower, s.power);
        EXPECT_NEAR(power.m_fPending, s.pending, 1e-4f);
    }
    power.m_nPower = 25;
    power.m_fPending = 0.5f;
    EXPECT_TRUE(p.HasPower(24.6f));  // trunc(25.1) = 25
    EXPECT_FALSE(p.HasPower(25.5f)); // trunc(26.0) = 26
}

// The step's and the dash's sounds are one-shot effects: each joins the sound manager's effect
// list, which frees it once it has ended, so no source or voice is left behind.
TEST_F(PlayerTest, MoveSoundsAreListedAndFreed)
{
    SoundManager sound(new NullAudioDevice);
    g_pSoundManager = &sound;
    struct Unset {
        ~Unset() { g_pSoundManager = nullptr; }
    } unset;
    BuildPlayer();
    Settle();
    Tick(kStep | kRight);
    ASSERT_EQ(State(), ePlayerState_Step);
    ASSERT_EQ(sound.GetSeList().size(), 1u);
    EXPECT_EQ(sound.GetSeList()[0]->GetKey(), HashName("assets.v1/sounds/se/step2"));
    TicksWhile(ePlayerState_Step, kStep | kRight);
    ASSERT_EQ(State(), ePlayerState_Dash);
    EXPECT_EQ(sound.GetSeList().back()->GetKey(), HashName("assets.v1/sounds/se/dash_f"));
    sound.Update(1.0f / 60.0f);
    EXPECT_TRUE(sound.GetSeList().empty());
}
