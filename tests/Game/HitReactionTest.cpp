#include <gtest/gtest.h>

#include <cmath>

#include "Components/Core/Collider.h"
#include "GameFixture.h"

namespace {

// An actor of the enemies' side on its own: body, knockback, invincibility, health, a test
// renderer and a box collider.
std::string ActorFiles(const std::string& invincible, const std::string& actor = "")
{
    return "test_actor = { object_name = 'actor', object_layer = 4, object_activity = 1,"
           "  components = {"
           "    Transform = { position = { x = 300, y = 300 } },"
           "    Kinematics = { needClamp = false, useGravity = false, maxSpeed = 700 },"
           "    Box2DCollider = { size = { width = 20, height = 20 }, cullingMask = 255 },"
           "    TestRenderer = {},"
           "    StatusParameter = { health = { init = 50, max = 50 } }, HealthController = {},"
           "    KnockbackController = {}, InvincibleController = { " +
           invincible + " }, TestActor = { " + actor +
           " } },"
           "  children = { { base_script = 'test_trail' } } }";
}

class HitReactionTest : public GameTest {
protected:
    void BuildActor(const std::string& invincible = "duration = 1, blinkInterval = 0.25, invincibleMask = 1",
                    const std::string& actor = "")
    {
        auto files = GameFiles(PlayerPrototype(PlayerTuning()));
        files["game_objects/test_actor"] = ActorFiles(invincible, actor);
        files["stage/stage_Test"] =
            "stage_Test = { object_name = 'stage', object_layer = 1, object_activity = 1,"
            "  components = { Transform = {}, TestStageSize = {} },"
            "  children = { { base_script = 'test_actor' }, { base_script = 'test_floor' } } }";
        Build(files);
    }
    ActorController& Actor() const { return *Find("actor")->GetActorController(); }
    KnockbackController& Knockback() const
    {
        return *static_cast<KnockbackController*>(Find("actor")->GetComponent(KnockbackController::s_Class.Key));
    }
    InvincibleController& Invincible() const
    {
        return *static_cast<InvincibleController*>(Find("actor")->GetComponent(InvincibleController::s_Class.Key));
    }
    Component& ActorRenderer() const { return *Find("actor")->GetRenderer(); }
    Collider& ActorCollider() const { return *Find("actor")->GetCollider(); }
    SpriteBlurRenderer& ActorTrail() const
    {
        return *static_cast<SpriteBlurRenderer*>(Find("actor")->GetComponentInChildren(g_SpriteBlurRendererClass.Key));
    }
};

} // namespace

// The knockback against one terrain segment, from the flight's state before the contact.
TEST_F(HitReactionTest, TerrainBounces)
{
    struct Case {
        const char* name;
        float sx, sy, ex, ey; // the segment; its normal is its direction turned left
        int32_t budget;
        float vx, vy, px, py; // body before
        float cx, cy, ux, uy; // the contact's own point and vector
        float evx, evy, epx, epy;
        int32_t ebudget;
        bool finished;
        bool blownAfter; // flights start blown
    };
    const Case cases[] = {
        // A wall facing left (normal -x).
        {"wall, into it", 0, 0, 0, 100, 1, 300, 100, 10, 50, 5, 50, 0, 100, -300, 100, 5, 50, 0, false, false},
        {"wall, into it, no budget", 0, 0, 0, 100, 0, 300, 100, 10, 50, 5, 50, 0, 100, -300, 100, 5, 50, 0, false,
         false},
        {"wall, moving away takes the contact's x", 0, 0, 0, 100, 1, -300, 100, 10, 50, 5, 50, 7, 100, 7, 100, 5, 50,
         0, false, false},
        // A floor (normal +y).
        {"floor, falling", 0, 0, 100, 0, 1, 100, -400, 50, -3, 50, 0, 100, 0, 100, 400, 50, 0, 0, false, false},
        {"floor, falling, budget spent: lands", 0, 0, 100, 0, 0, 100, -400, 50, -3, 50, 0, 100, 0, 100, 0, 50, 0, 0,
         true, true},
        {"floor, rising, budget spent: nothing", 0, 0, 100, 0, 0, 100, 400, 50, -3, 50, 0, 100, 0, 100, 400, 50, -3, 0,
         false, true},
        {"floor, rising, budget left takes the contact's y", 0, 0, 100, 0, 1, 0, 200, 50, -3, 50, 0, 0, 9, 0, 9, 50, 0,
         0, false, false},
        // A ceiling (normal -y).
        {"ceiling, rising", 100, 0, 0, 0, 1, 0, 300, 50, 3, 50, 0, 0, 0, 0, -300, 50, 0, 0, false, false},
        {"ceiling, rising, budget spent: nothing", 100, 0, 0, 0, 0, 0, 300, 50, 3, 50, 0, 0, 0, 0, 300, 50, 3, 0, false,
         true},
        // A slope rising to the right (normal (-r, r)).
        {"slope, contact below the body: nothing", 0, 0, 100, 100, 1, 0, -100, 50, 60, 50, 55, 0, 0, 0, -100, 50, 60,
         1, false, true},
        {"slope, falling onto it reflects", 0, 0, 100, 100, 1, 0, -100, 50, 40, 50, 50, 0, 0, -100, 0, 50, 50, 0,
         false, false},
        {"slope, moving away: nothing", 0, 0, 100, 100, 1, -100, 100, 50, 40, 50, 50, 0, 0, -100, 100, 50, 40, 1,
         false, true},
        {"slope, falling, budget spent: lands", 0, 0, 100, 100, 0, 0, -100, 50, 40, 50, 50, 0, 0, 0, 0, 50, 50, 0,
         true, true},
    };
    BuildActor();
    GameObj* seg = Find("floor");
    auto* segment = static_cast<SegmentCollider*>(seg->GetCollider());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Knockback().Begin({0.0f, 0.0f}, 0.0f, c.budget, true);
        Kinematics& k = *Find("actor")->GetKinematics();
        k.m_fVelX = c.vx;
        k.m_fVelY = c.vy;
        k.m_fPosX = c.px;
        k.m_fPosY = c.py;
        segment->SetEndpoints(c.sx, c.sy, c.ex, c.ey);
        CollisionInfo info = {seg, c.cx, c.cy, c.ux, c.uy, 0, 0, 0, 0};
        Knockback().BounceOnTerrain(*segment, info);
        EXPECT_NEAR(k.m_fVelX, c.evx, 1e-3f);
        EXPECT_NEAR(k.m_fVelY, c.evy, 1e-3f);
        EXPECT_FLOAT_EQ(k.m_fPosX, c.epx);
        EXPECT_FLOAT_EQ(k.m_fPosY, c.epy);
        EXPECT_EQ(Knockback().GetBounces(), c.ebudget);
        EXPECT_EQ(Knockback().IsFinished(), c.finished);
        EXPECT_EQ(Knockback().IsBlown(), c.blownAfter);
        Actor().OnKnockbackEnd();
    }
}

// Two actors meeting in flight exchange their velocities along the line between them, unless
// the flight is blown or has no bounces left; the budget is not spent.
TEST_F(HitReactionTest, ActorExchange)
{
    struct Case {
        const char* name;
        bool blown;
        int32_t budget;
        float ox, oy; // the other's point (own at the origin)
        float evx, evy;
    };
    const Case cases[] = {
        {"head on", false, 2, 10, 0, -50, 20},
        {"blown keeps flying", true, 2, 10, 0, 100, 20},
        {"no budget keeps flying", false, 0, 10, 0, 100, 20},
        {"one point: stops", false, 2, 0, 0, 0, 0},
    };
    BuildActor();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Knockback().Begin({0.0f, 0.0f}, 0.0f, c.budget, c.blown);
        Kinematics& k = *Find("actor")->GetKinematics();
        k.m_fVelX = 100;
        k.m_fVelY = 20;
        CollisionInfo info = {Find("floor"), 0, 0, 100, 20, c.ox, c.oy, -50, 0};
        Knockback().BounceOnActor(info);
        EXPECT_NEAR(k.m_fVelX, c.evx, 1e-4f);
        EXPECT_NEAR(k.m_fVelY, c.evy, 1e-4f);
        EXPECT_EQ(Knockback().GetBounces(), c.budget);
        Actor().OnKnockbackEnd();
    }
}

// A hit starts the flight with the hit's velocity and the body's limits raised; its end gives
// the body back its own settings. An actor that is never knocked back only blinks.
TEST_F(HitReactionTest, FlightAndItsEnd)
{
    for (int type : {0, 1}) {
        SCOPED_TRACE(type);
        BuildActor("duration = 1, blinkInterval = 0.25, invincibleMask = 1",
                   "knockbackType = " + std::to_string(type));
        Kinematics& k = *Find("actor")->GetKinematics();
        Actor().OnDamaged({-200.0f, 300.0f}, -3.0f, 2, true);
        EXPECT_TRUE(Invincible().IsEnabled());
        if (type != 0) {
            EXPECT_FALSE(Knockback().IsEnabled());
            continue;
        }
        EXPECT_TRUE(Knockback().IsEnabled());
        EXPECT_FLOAT_EQ(Knockback().GetSpin(), 3.0f);
        EXPECT_TRUE(k.m_bUseGravity);
        EXPECT_FLOAT_EQ(k.m_fMaxSpeed, 10000.0f);
        Tick();
        EXPECT_FLOAT_EQ(k.m_fVelX, -200.0f);
        Actor().OnKnockbackEnd();
        EXPECT_FALSE(Knockback().IsEnabled());
        EXPECT_FALSE(k.m_bUseGravity);
        EXPECT_FLOAT_EQ(k.m_fMaxSpeed, 700.0f);
        // Upright again whatever the spin did.
        EXPECT_FLOAT_EQ(Find("actor")->GetTransform()->LocalMatrix().m[0][0], 1.0f);
    }
}

// The spell's blinking, its length, and the collider's mask under nested overrides.
TEST_F(HitReactionTest, Invincibility)
{
    BuildActor();
    const uint32_t own = ActorCollider().GetCullingMask();
    ASSERT_EQ(own, 255u);
    EXPECT_FALSE(Invincible().IsEnabled());

    // One toggle per update, however many intervals the update spans.
    Invincible().Begin();
    EXPECT_EQ(ActorCollider().GetCullingMask(), 1u);
    Tick(0, 0.6f);
    EXPECT_FALSE(ActorRenderer().IsEnabled());
    Tick(0, 0.1f);
    EXPECT_FALSE(ActorRenderer().IsEnabled());
    Tick(0, 0.2f); // 0.9 s: a second toggle
    EXPECT_TRUE(ActorRenderer().IsEnabled());

    // A second hit does not extend the spell: it ends 1 s after the first.
    Invincible().Begin();
    Tick(0, 0.11f);
    EXPECT_FALSE(Invincible().IsEnabled());
    EXPECT_TRUE(ActorRenderer().IsEnabled());
    EXPECT_EQ(ActorCollider().GetCullingMask(), own);

    // Step, hit, death: the own mask comes back after the last pop only.
    Invincible().PushMask();
    Invincible().Begin();
    Invincible().PushMask();
    EXPECT_EQ(Invincible().GetMaskCount(), 3);
    Tick(0, 1.5f); // the hit's spell ends
    EXPECT_EQ(ActorCollider().GetCullingMask(), 1u);
    Invincible().PopMask();
    EXPECT_EQ(ActorCollider().GetCullingMask(), 1u);
    Invincible().PopMask();
    EXPECT_EQ(ActorCollider().GetCullingMask(), own);
    Invincible().PopMask(); // one pop too many changes nothing
    EXPECT_EQ(Invincible().GetMaskCount(), 0);
    EXPECT_EQ(ActorCollider().GetCullingMask(), own);
}

// A blink interval of 0 would never leave its subtraction: the spell shows the object
// throughout and still ends after its duration.
TEST_F(HitReactionTest, NoBlinkInterval)
{
    testing::internal::CaptureStdout();
    BuildActor("duration = 0.5, blinkInterval = 0, invincibleMask = 1");
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("test_actor"), std::string::npos) << log;
    EXPECT_NE(log.find("blinkInterval"), std::string::npos) << log;
    Invincible().Begin();
    for (int i = 0; i < 5; ++i) {
        Tick(0, 0.05f);
        EXPECT_TRUE(ActorRenderer().IsEnabled());
    }
    Tick(0, 0.3f);
    EXPECT_FALSE(Invincible().IsEnabled());
}

// The trail: on for a time, on until switched off, and off when a hit lands.
TEST_F(HitReactionTest, Afterimage)
{
    BuildActor();
    Actor().StartAfterimage(0.5f);
    EXPECT_TRUE(ActorTrail().IsSpawning());
    Ticks(29);
    EXPECT_TRUE(ActorTrail().IsSpawning());
    Ticks(2);
    EXPECT_FALSE(ActorTrail().IsSpawning());

    Actor().StartAfterimage(-1.0f);
    Tick(0, 10.0f);
    EXPECT_TRUE(ActorTrail().IsSpawning());
    // Switched on again, the trail starts a fresh interval.
    Tick(0, 0.02f);
    EXPECT_GT(ActorTrail().GetSpawnTimer(), 0.0f);
    Actor().StartAfterimage(-1.0f);
    EXPECT_EQ(ActorTrail().GetSpawnTimer(), 0.0f);
    Actor().StopAfterimage();
    EXPECT_FALSE(ActorTrail().IsSpawning());

    Actor().StartAfterimage(-1.0f);
    Actor().OnDamaged({0.0f, 100.0f}, 0.0f, 0, false);
    EXPECT_FALSE(ActorTrail().IsSpawning());
}

// The held object goes with the next one held, and releasing anything else does nothing.
TEST_F(HitReactionTest, HeldObject)
{
    BuildActor();
    GameObj* a = m_pWorld->Scene()->Instantiate("test_dead_effect", nullptr, nullptr);
    GameObj* b = m_pWorld->Scene()->Instantiate("test_dead_effect", nullptr, nullptr);
    Actor().HoldObject(a);
    Actor().HoldObject(b);
    EXPECT_EQ(Actor().m_pHeldObject, b);
    EXPECT_FALSE(a->IsActive()); // on its way out
    EXPECT_FALSE(Actor().ReleaseObject(a));
    EXPECT_TRUE(Actor().ReleaseObject(b));
    EXPECT_EQ(Actor().m_pHeldObject, nullptr);
    Ticks(2);
}

// An actor without the parts its rules read is named and goes on without them.
TEST_F(HitReactionTest, MissingParts)
{
    auto files = GameFiles(PlayerPrototype(PlayerTuning()));
    files["game_objects/test_bare"] =
        "test_bare = { object_name = 'bare', object_layer = 4, object_activity = 1,"
        "  components = { Transform = {}, KnockbackController = {}, InvincibleController = { duration = 1, "
        "blinkInterval = 0.1 }, TestActor = {} } }";
    files["stage/stage_Test"] = "stage_Test = { object_name = 'stage', object_layer = 1, object_activity = 1,"
                                "  components = { Transform = {}, TestStageSize = {} },"
                                "  children = { { base_script = 'test_bare' } } }";
    testing::internal::CaptureStdout();
    Build(files);
    const std::string log = testing::internal::GetCapturedStdout();
    for (const char* part : {"StatusParameter", "Kinematics", "collider"})
        EXPECT_NE(log.find(part), std::string::npos) << part << "\n" << log;
    ActorController& actor = *Find("bare")->GetActorController();
    actor.OnDamaged({100.0f, 100.0f}, 1.0f, 1, false);
    Ticks(3);
    actor.OnKnockbackEnd();
    EXPECT_FALSE(actor.m_bDead);
}
