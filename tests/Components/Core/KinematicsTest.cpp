#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

#include "CollisionFixture.h"
#include "Components/Core/CoreConditions.h"
#include "Components/Core/SteeringBehavior.h"
#include "System/Common/Random.h"
#include "World/Condition.h"

namespace {

constexpr float kG = 1470.99755859375f;

float Len(float x, float y) { return std::sqrt(x * x + y * y); }

} // namespace

// One second of falling: gravity is an acceleration whatever the mass, unless a steering
// behaviour is on, which divides the whole force (gravity included) by the mass.
TEST_F(CollisionTest, Gravity)
{
    struct Case {
        const char* name;
        const char* table;
        float gravityScale;
        float vy; // after one second
    };
    const Case cases[] = {
        {"plain fall", "{}", 1.0f, -kG},
        {"mass does not slow a plain fall", "{mass = 4}", 1.0f, -kG},
        {"half gravity", "{}", 0.5f, -kG / 2},
        {"steering, mass 2, no behaviour", "{mass = 2, useSteering = true}", 1.0f, -kG / 2},
        {"no gravity", "{useGravity = false}", 1.0f, 0.0f},
        {"steering without gravity", "{useSteering = true, useGravity = false}", 1.0f, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GameObj* obj = Body("b", 0, 0, 1, "", "", c.table, nullptr, false);
        Kinematics& k = *obj->GetKinematics();
        k.m_fGravityScale = c.gravityScale;
        for (int i = 0; i < 60; ++i)
            k.PhysicsUpdate();
        EXPECT_NEAR(k.m_fVelX, 0.0f, 1e-3f);
        EXPECT_NEAR(k.m_fVelY, c.vy, 0.05f);
    }
}

// The speed limit, and the heading, side and displacement that follow from the velocity.
TEST_F(CollisionTest, TruncateVelocity)
{
    struct Case {
        const char* name;
        float vx, vy, maxSpeed;
        float ex, ey, speed, hx, hy; // velocity, speed and heading after
    };
    const Case cases[] = {
        {"over the limit keeps its direction", 3000, 4000, 1000, 600, 800, 1000, 0.6f, 0.8f},
        {"under the limit", -30, 40, 1000, -30, 40, 50, -0.6f, 0.8f},
        {"at rest keeps the old heading", 0, 0, 1000, 0, 0, 0, 1, 0},
        {"a limit of 0 stops it", 30, 40, 0, 0, 0, 0, 1, 0},
        {"a negative limit stops it", 30, 40, -5, 0, 0, 0, 1, 0},
        {"a negative limit keeps a resting body at rest", 0, 0, -5, 0, 0, 0, 1, 0},
    };
    SetAppDeltaTime(0.5f);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GameObj* obj = Body("b", 0, 0, 1, "", "", "{}", nullptr, false);
        Kinematics& k = *obj->GetKinematics();
        k.m_fVelX = c.vx;
        k.m_fVelY = c.vy;
        k.m_fMaxSpeed = c.maxSpeed;
        k.TruncateVelocity();
        EXPECT_NEAR(k.m_fVelX, c.ex, 1e-3f);
        EXPECT_NEAR(k.m_fVelY, c.ey, 1e-3f);
        EXPECT_NEAR(k.m_fSpeed, c.speed, 1e-3f);
        EXPECT_NEAR(k.m_fHeadingX, c.hx, 1e-5f);
        EXPECT_NEAR(k.m_fHeadingY, c.hy, 1e-5f);
        EXPECT_NEAR(k.m_fSideX, -c.hy, 1e-5f);
        EXPECT_NEAR(k.m_fSideY, c.hx, 1e-5f);
        EXPECT_NEAR(k.m_fDispX, c.ex * 0.5f, 1e-3f);
        EXPECT_NEAR(k.m_fDispY, c.ey * 0.5f, 1e-3f);
    }
}

// Start takes the world position and turns the heading with the object.
TEST_F(CollisionTest, KinematicsStart)
{
    GameObj* parent = Root("p");
    Add(parent, "Transform", "{position = {x = 300, y = 200}, rotation = 90}");
    GameObj* child = Make("c", parent);
    Add(child, "Transform", "{position = {x = 10, y = 0}}");
    Add(child, "Kinematics", "{}");
    parent->GetTransform()->UpdateWorldMatrices();
    Kinematics& k = *child->GetKinematics();
    k.Start();
    EXPECT_NEAR(k.m_fPosX, child->GetTransform()->WorldMatrix().m[3][0], 1e-4f);
    EXPECT_NEAR(k.m_fPosY, child->GetTransform()->WorldMatrix().m[3][1], 1e-4f);
    // A turn of 90 degrees stores the block angle -pi/2.
    EXPECT_NEAR(k.m_fHeadingX, 0.0f, 1e-6f);
    EXPECT_NEAR(k.m_fHeadingY, -1.0f, 1e-6f);
    EXPECT_NEAR(k.m_fSideX, 1.0f, 1e-6f);
    EXPECT_NEAR(k.m_fSideY, 0.0f, 1e-6f);
}

// Update: integration, the stage clamp by the collider's extents, and the write-back relative
// to the parent's world position.
TEST_F(CollisionTest, KinematicsUpdateClampsAndWritesBack)
{
    SizeStage(1); // bounds (0, 0)-(1024, 2000)
    struct Case {
        const char* name;
        const char* colliderClass;
        const char* collider;
        float x, y, vx, vy;
        float ex, ey, evx, evy;
    };
    const Case cases[] = {
        {"inside", "Box2DCollider", "{size = {width = 40, height = 20}}", 500, 500, 60, -60, 501, 499, 60, -60},
        {"left edge moving left", "Box2DCollider", "{size = {width = 40, height = 20}}", 21, 500, -120, 30, 20, 500.5f, 0, 30},
        {"right edge", "Box2DCollider", "{size = {width = 40, height = 20}}", 1010, 500, 60, 0, 1004, 500, 0, 0},
        {"on the bottom", "Box2DCollider", "{size = {width = 40, height = 20}}", 500, 5, 0, -600, 500, 10, 0, 0},
        {"above the top", "Box2DCollider", "{size = {width = 40, height = 20}}", 500, 2100, 0, 60, 500, 1990, 0, 0},
        {"circle by its radius", "CircleCollider", "{radius = 15}", 3, 3, -60, -60, 15, 15, 0, 0},
        {"no collider: the bare point", "", "", -5, 3, -60, 0, 0, 3, 0, 0},
    };
    SetAppDeltaTime(1.0f / 60.0f);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GameObj* obj = Body("b", c.x, c.y, 1, c.colliderClass, c.collider, "{useGravity = false}", nullptr, false);
        Kinematics& k = *obj->GetKinematics();
        k.m_fVelX = c.vx;
        k.m_fVelY = c.vy;
        WorldBox ignored;
        if (obj->GetCollider())
            obj->GetCollider()->ComputeWorldShape(ignored);
        k.Update();
        EXPECT_NEAR(k.m_fPosX, c.ex, 1e-3f);
        EXPECT_NEAR(k.m_fPosY, c.ey, 1e-3f);
        EXPECT_FLOAT_EQ(k.m_fVelX, c.evx);
        EXPECT_FLOAT_EQ(k.m_fVelY, c.evy);
        EXPECT_NEAR(obj->GetTransform()->WorldMatrix().m[3][0], c.ex, 1e-3f);
    }
    // Under a parent the local position is the world position less the parent's.
    GameObj* parent = Body("p", 300, 200, 1, "", "", "", nullptr, false);
    GameObj* child = Body("c", 0, 0, 1, "", "", "{useGravity = false}", parent, false);
    Kinematics& k = *child->GetKinematics();
    k.m_fPosX = 350.0f;
    k.m_fPosY = 260.0f;
    k.m_fVelX = k.m_fVelY = 0.0f;
    k.Update();
    EXPECT_FLOAT_EQ(child->GetTransform()->LocalMatrix().m[3][0], 50.0f);
    EXPECT_FLOAT_EQ(child->GetTransform()->LocalMatrix().m[3][1], 60.0f);
    EXPECT_FLOAT_EQ(child->GetTransform()->WorldMatrix().m[3][0], 350.0f);
    EXPECT_FLOAT_EQ(child->GetTransform()->WorldMatrix().m[3][1], 260.0f);
}

// A ball with nonPenetrationConstraint is pushed off the crate it overlaps; a static post
// beside it (no Kinematics) is passed over.
TEST_F(CollisionTest, NonPenetrationPushesOffBodies)
{
    SizeStage(1);
    GameObj* crate = Body("crate", 500, 100, 1, "Box2DCollider", "{size = {width = 40, height = 40}}", "{useGravity = false}");
    Body("post", 500, 110, 1, "Box2DCollider", "{size = {width = 10, height = 100}}");
    GameObj* ball = Body("ball", 500, 130, 1, "CircleCollider", "{radius = 12}",
        "{useGravity = false, nonPenetrationConstraint = true}");
    std::vector<GameObj*> bodies = {crate, ball};
    Frame(bodies);
    const Kinematics& k = *ball->GetKinematics();
    const float reach = 12.0f + std::sqrt(800.0f);
    EXPECT_NEAR(k.m_fPosX, 500.0f, 1e-3f);
    EXPECT_NEAR(k.m_fPosY, 100.0f + reach, 1e-3f);
    EXPECT_NEAR(crate->GetKinematics()->m_fPosY, 100.0f, 1e-3f);
}

// A mass of zero or less is refused with an error, keeping 1.
TEST_F(CollisionTest, NonPositiveMassKeepsOne)
{
    for (const char* table : {"{mass = 0, useSteering = true}", "{mass = -3, useSteering = true}"}) {
        GameObj* obj = Body("b", 0, 0, 1, "", "", table, nullptr, false);
        Kinematics& k = *obj->GetKinematics();
        EXPECT_FLOAT_EQ(k.m_fMass, 1.0f) << table;
        k.PhysicsUpdate();
        EXPECT_TRUE(std::isfinite(k.m_fVelY)) << table;
    }
}

// A negative maxSpeed (or one that is no number) is refused with an error naming the object
// and the key, keeping 1000; 0 is a body that never moves.
TEST_F(CollisionTest, NegativeMaxSpeedKeepsTheDefault)
{
    struct Case {
        const char* table;
        float maxSpeed;
        bool error;
    };
    const Case cases[] = {
        {"{maxSpeed = 250}", 250.0f, false},
        {"{maxSpeed = 0}", 0.0f, false},
        {"{maxSpeed = -5}", 1000.0f, true},
        {"{maxSpeed = 0/0}", 1000.0f, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.table);
        testing::internal::CaptureStdout();
        GameObj* obj = Body("b", 0, 0, 1, "", "", c.table, nullptr, false);
        const std::string log = testing::internal::GetCapturedStdout();
        Kinematics& k = *obj->GetKinematics();
        EXPECT_FLOAT_EQ(k.m_fMaxSpeed, c.maxSpeed);
        const size_t at = log.find("ERROR");
        EXPECT_EQ(at != std::string::npos, c.error) << log;
        if (c.error) {
            EXPECT_NE(log.find("maxSpeed", at), std::string::npos) << log;
            EXPECT_NE(log.find("Kinematics", at), std::string::npos) << log;
        }
        k.PhysicsUpdate();
        k.TruncateVelocity();
        EXPECT_TRUE(std::isfinite(k.m_fVelX) && std::isfinite(k.m_fVelY)) << log;
    }
}

// ---- Steering

class SteeringTest : public CollisionTest {
protected:
    Kinematics& Agent(float x, float y, float vx, float vy)
    {
        GameObj* obj = Body("agent", x, y, 1, "", "", "{useGravity = false, needClamp = false}", nullptr, false);
        Kinematics& k = *obj->GetKinematics();
        k.m_fVelX = vx;
        k.m_fVelY = vy;
        k.TruncateVelocity();
        return k;
    }
};

TEST_F(SteeringTest, Behaviours)
{
    SfmtInit(7);
    struct Case {
        const char* name;
        std::function<ZEV::Force(ZEV::SteeringBehavior&, Kinematics& self)> force;
        float fx, fy;
    };
    // The body sits at the origin moving at (100, 0) with maxSpeed 1000.
    const std::vector<Case> cases = {
        {"seek", [](ZEV::SteeringBehavior& s, Kinematics&) { return s.Seek(0, 300); }, -100, 1000},
        {"seek its own place", [](ZEV::SteeringBehavior& s, Kinematics&) { return s.Seek(0, 0); }, -100, 0},
        {"flee", [](ZEV::SteeringBehavior& s, Kinematics&) { return s.Flee(0, 300); }, -100, -1000},
        {"arrive from 60 with deceleration 2 asks for 100", [](ZEV::SteeringBehavior& s, Kinematics&) { return s.Arrive(60, 0, 2); }, 0, 0},
        {"arrive from 600 with deceleration 1", [](ZEV::SteeringBehavior& s, Kinematics&) { return s.Arrive(0, 600, 1); }, -100, 1000},
        {"arrive far away is capped at maxSpeed", [](ZEV::SteeringBehavior& s, Kinematics&) { return s.Arrive(0, 6000, 2); }, -100, 1000},
        {"arrive at the target", [](ZEV::SteeringBehavior& s, Kinematics&) { return s.Arrive(0, 0, 2); }, 0, 0},
        {"pursuit of one ahead coming toward us seeks it",
            [this](ZEV::SteeringBehavior& s, Kinematics&) { return s.Pursuit(Agent(500, 0, -200, 0)); }, 900, 0},
        {"pursuit of one moving across leads it",
            [this](ZEV::SteeringBehavior& s, Kinematics&) { return s.Pursuit(Agent(0, 600, 200, 0)); }, 1000 * 100 / Len(100, 600) - 100,
            1000 * 600 / Len(100, 600)},
        {"evade a threat in range",
            [this](ZEV::SteeringBehavior& s, Kinematics&) { return s.Evade(Agent(0, 240, 0, -400)); }, -100, -1000},
        {"evade a threat out of range",
            [this](ZEV::SteeringBehavior& s, Kinematics&) { return s.Evade(Agent(0, 301, 0, -400)); }, 0, 0},
        {"interpose between two resting agents arrives at their midpoint",
            [this](ZEV::SteeringBehavior& s, Kinematics&) { return s.Interpose(Agent(0, 100, 0, 0), Agent(0, 500, 0, 0)); }, -100, 1000},
        {"interpose between two agents close by",
            [this](ZEV::SteeringBehavior& s, Kinematics&) { return s.Interpose(Agent(-30, 60, 0, 0), Agent(30, 60, 0, 0)); }, -100, 200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Kinematics& self = Agent(0, 0, 100, 0);
        ZEV::SteeringBehavior s(&self);
        const ZEV::Force f = c.force(s, self);
        EXPECT_NEAR(f.x, c.fx, 0.05f);
        EXPECT_NEAR(f.y, c.fy, 0.05f);
    }
}

// A body whose maxSpeed is 0 (or was set below it) looks no time ahead: pursuit, evasion and
// interposition between resting agents stay finite numbers.
TEST_F(SteeringTest, NoMaxSpeedLooksNoTimeAhead)
{
    struct Case {
        const char* name;
        std::function<ZEV::Force(ZEV::SteeringBehavior&)> force;
    };
    const std::vector<Case> cases = {
        {"pursuit of a resting agent", [this](ZEV::SteeringBehavior& s) { return s.Pursuit(Agent(500, 0, 0, 0)); }},
        {"pursuit of an agent in its place", [this](ZEV::SteeringBehavior& s) { return s.Pursuit(Agent(0, 0, 0, 0)); }},
        {"evasion of a resting agent", [this](ZEV::SteeringBehavior& s) { return s.Evade(Agent(0, 100, 0, 0)); }},
        {"interposition between resting agents",
         [this](ZEV::SteeringBehavior& s) { return s.Interpose(Agent(0, 100, 0, 0), Agent(0, 500, 0, 0)); }},
    };
    for (const float maxSpeed : {0.0f, -5.0f})
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + ", maxSpeed " + std::to_string(maxSpeed));
            Kinematics& self = Agent(0, 0, 0, 0);
            self.m_fMaxSpeed = maxSpeed;
            ZEV::SteeringBehavior s(&self);
            const ZEV::Force f = c.force(s);
            EXPECT_TRUE(std::isfinite(f.x) && std::isfinite(f.y)) << f.x << ", " << f.y;
        }
}

// Wander: the target moves by two pool words, stays on the wander circle, and the force points
// at the target projected ahead of the body along its heading.
TEST_F(SteeringTest, WanderDrawsFromThePool)
{
    SetAppDeltaTime(0.1f);
    SfmtInit(11);
    Kinematics& self = Agent(10, 20, 0, 50); // heading up: side is (-1, 0)
    std::vector<uint32_t> words;
    SfmtInit(11);
    for (int i = 0; i < 7; ++i)
        words.push_back(RandomNext());
    SfmtInit(11);
    ZEV::SteeringBehavior s(&self);
    auto unit = [](uint32_t w) { return static_cast<double>(w) * 2.3283064370807974e-10; };
    const float angle = static_cast<float>(unit(words[0]) * 6.2831855f);
    EXPECT_NEAR(s.m_fWanderTargetX, 45.0f * std::cos(angle), 1e-3f);
    EXPECT_NEAR(s.m_fWanderTargetY, 45.0f * std::sin(angle), 1e-3f);
    float tx = s.m_fWanderTargetX, ty = s.m_fWanderTargetY;
    for (int step = 0; step < 3; ++step) {
        SCOPED_TRACE(step);
        const ZEV::Force f = s.Wander();
        tx += static_cast<float>(unit(words[1 + 2 * step]) * 2.0 - 1.0) * 42.0f;
        ty += static_cast<float>(unit(words[2 + 2 * step]) * 2.0 - 1.0) * 42.0f;
        const float len = Len(tx, ty);
        tx = tx / len * 45.0f;
        ty = ty / len * 45.0f;
        EXPECT_NEAR(s.m_fWanderTargetX, tx, 1e-3f);
        EXPECT_NEAR(s.m_fWanderTargetY, ty, 1e-3f);
        EXPECT_NEAR(Len(s.m_fWanderTargetX, s.m_fWanderTargetY), 45.0f, 1e-3f);
        // Local (target x + 70, target y) with heading (0, 1) and side (-1, 0).
        EXPECT_NEAR(f.x, -ty, 1e-3f);
        EXPECT_NEAR(f.y, tx + 70.0f, 1e-3f);
    }
}

// The two ways of adding the behaviours up.
TEST_F(SteeringTest, Summing)
{
    SfmtInit(3);
    struct Case {
        const char* name;
        int32_t summing;
        uint32_t flags;
        float maxForce;
        float seekWeight;
        float fx, fy;
        int poolWords; // words drawn during the calculation
    };
    // From rest at the origin, seek (0, 300) gives (0, 1000) and flee from it (0, -1000).
    const Case cases[] = {
        {"weighted, under the limit", eSumming_WeightedTruncated, eSteering_Seek, 10000, 2, 0, 2000, 0},
        {"weighted, over the limit: exactly maxForce in its direction", eSumming_WeightedTruncated, eSteering_Seek, 500, 2, 0, 500, 0},
        {"weighted, seek and flee cancel", eSumming_WeightedTruncated, eSteering_Seek | eSteering_Flee, 10000, 1, 0, 0, 0},
        {"reserved bits add nothing", eSumming_WeightedTruncated, eSteering_Reserved400 | eSteering_Reserved800, 10000, 1, 0, 0, 0},
        {"prioritised: flee first, seek gets what is left", eSumming_Prioritized, eSteering_Seek | eSteering_Flee, 1500, 1, 0, -500, 0},
        {"prioritised: flee takes the whole budget", eSumming_Prioritized, eSteering_Seek | eSteering_Flee, 1000, 1, 0, -1000, 0},
        {"prioritised: the first that finds nothing left stops the rest (wander draws no word)", eSumming_Prioritized,
            eSteering_Seek | eSteering_Arrive | eSteering_Wander, 1000, 1, 0, 1000, 0},
        {"prioritised: a behaviour's force is made before the budget is checked", eSumming_Prioritized,
            eSteering_Seek | eSteering_Wander, 1000, 1, 0, 1000, 2},
        {"prioritised: with budget left wander draws two words", eSumming_Prioritized, eSteering_Seek | eSteering_Wander, 100000, 1,
            777, 777, 2},
        {"unknown summing method leaves no force", 5, eSteering_Seek, 10000, 1, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Kinematics& self = Agent(0, 0, 0, 0);
        self.m_fMaxForce = c.maxForce;
        self.m_bUseGravity = false;
        auto* s = new ZEV::SteeringBehavior(&self);
        self.SetSteering(s);
        s->m_nFlags = c.flags;
        s->m_eSumming = c.summing;
        s->m_fTargetX = 0.0f;
        s->m_fTargetY = 300.0f;
        s->m_afWeights[0] = c.seekWeight;
        const uint32_t before = g_nRandomPoolIndex;
        const float vx = self.m_fVelX, vy = self.m_fVelY;
        SetAppDeltaTime(1.0f);
        self.PhysicsUpdate();
        SetAppDeltaTime(1.0f / 60.0f);
        EXPECT_EQ((g_nRandomPoolIndex + kRandomPoolSize - before) % kRandomPoolSize, static_cast<uint32_t>(c.poolWords));
        if (c.fx != 777) {
            EXPECT_NEAR(s->m_SteeringForce.x, c.fx, 0.05f);
            EXPECT_NEAR(s->m_SteeringForce.y, c.fy, 0.05f);
            // The force, over a mass of 1 and one second, is the change of velocity.
            EXPECT_NEAR(self.m_fVelX - vx, c.fx, 0.05f);
            EXPECT_NEAR(self.m_fVelY - vy, c.fy, 0.05f);
        }
    }
}

// AccumulateForce: the part of a force that still fits under maxForce.
TEST_F(SteeringTest, AccumulateForce)
{
    struct Case {
        float totalX, totalY, addX, addY;
        bool result;
        float ex, ey;
    };
    const Case cases[] = {
        {0, 0, 30, 40, true, 30, 40},       // fits whole
        {60, 0, 0, 80, true, 60, 40},       // 100 - 60 left: 40 of 80
        {100, 0, 5, 5, false, 100, 0},      // nothing left
        {0, 0, 0, 0, true, 0, 0},           // a zero force fits
        {99.9999f, 0, 0, 1e-8f, true, 99.9999f, 1e-8f},
    };
    Kinematics& self = Agent(0, 0, 0, 0);
    self.m_fMaxForce = 100.0f;
    ZEV::SteeringBehavior s(&self);
    for (const Case& c : cases) {
        ZEV::Force total = {c.totalX, c.totalY};
        EXPECT_EQ(s.AccumulateForce(total, {c.addX, c.addY}), c.result) << c.addX << "," << c.addY;
        EXPECT_NEAR(total.x, c.ex, 1e-4f);
        EXPECT_NEAR(total.y, c.ey, 1e-4f);
    }
}

// Distances that conditions measure between bodies and to a steering target.
TEST_F(CollisionTest, ConditionDistances)
{
    GameObj* steered = Body("s", 10, 20, 1, "", "", "{useSteering = true}", nullptr, false);
    steered->GetKinematics()->GetSteering()->m_fTargetX = 40.0f;
    steered->GetKinematics()->GetSteering()->m_fTargetY = 60.0f;
    GameObj* plain = Body("p", 13, 24, 1, "", "", "{}", nullptr, false);
    GameObj* bare = Root("bare");
    struct Case {
        const char* name;
        GameObj* object;
        float kind29;
    };
    const Case cases[] = {
        {"steering target 50 away", steered, 50.0f},
        {"no steering: the target is at (FLT_MAX, FLT_MAX)", plain, INFINITY},
        {"no Kinematics", bare, INFINITY},
        {"no object", nullptr, INFINITY},
    };
    for (const Case& c : cases) {
        ConditionContext context;
        context.m_pObject = c.object;
        EXPECT_FLOAT_EQ(ConditionValue(context, 29, 0), c.kind29) << c.name;
    }
    EXPECT_FLOAT_EQ(KinematicsDistance(steered, plain), 5.0f);
    EXPECT_FLOAT_EQ(KinematicsDistance(plain, steered), 5.0f);
    EXPECT_FLOAT_EQ(KinematicsDistance(steered, bare), FLT_MAX);
    EXPECT_FLOAT_EQ(KinematicsDistance(nullptr, plain), FLT_MAX);
}
