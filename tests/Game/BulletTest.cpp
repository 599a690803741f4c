#include <gtest/gtest.h>

#include <cmath>

#include "Components/Core/Collider.h"
#include "Components/Game/AttemptDamageController.h"
#include "Components/Game/BulletController.h"
#include "Components/Game/BulletHellController.h"
#include "Components/Game/EnemyController.h"
#include "GameFixture.h"
#include "System/Common/Random.h"
#include "World/SceneManager.h"
#include "World/Transform.h"

namespace {

constexpr float kDt = 1.0f / 60.0f;
constexpr float kPi = 3.14159265358979f;

std::string BulletPrototype(const std::string& name, const std::string& controller, const std::string& more = "")
{
    return name + " = { object_name = '" + name +
           "', object_tag = 'Bullet', object_layer = 0x8000, object_activity = 1,"
           "  components = { Transform = {}, Kinematics = { useGravity = false, needClamp = false, maxSpeed = 100000 },"
           "    CircleCollider = { radius = 4 }," +
           more + " BulletController = { " + controller + " } } }";
}

class BulletTest : public GameTest {
protected:
    // The player on the floor (and a wall at x 1000), the game camera, a shooter standing at
    // (300, 200), and the given prototypes to spawn.
    void BuildWith(const std::map<std::string, std::string>& prototypes)
    {
        auto files = GameFiles(PlayerPrototype(PlayerTuning()));
        files["game_objects/camera"] = "camera = { object_name = 'camera', object_tag = 'GameCamera', object_layer = 4,"
                                       "  object_activity = 1, components = { Transform = { position = { x = 10, y = 20 } },"
                                       "  Camera2D = {} } }";
        files["game_objects/test_shooter"] =
            "test_shooter = { object_name = 'shooter', object_layer = 4, object_activity = 1, components = {"
            "  Transform = { position = { x = 300, y = 200 } }, Kinematics = { useGravity = false, needClamp = false },"
            "  StatusParameter = { health = { init = 10, max = 10 } }, TestActor = {} } }";
        for (const auto& [name, table] : prototypes)
            files["game_objects/" + name] = table;
        files["stage/stage_Test"] =
            "stage_Test = { object_name = 'stage', object_layer = 1, object_activity = 1,"
            "  components = { Transform = {}, TestStageSize = {}, QuestController = {} },"
            "  children = { { base_script = 'test_player' }, { base_script = 'test_floor' }, { base_script = 'test_wall' },"
            "               { base_script = 'camera' }, { base_script = 'test_shooter' } } }";
        Build(files);
    }
    GameObj* Spawn(const std::string& name)
    {
        GameObj* object = g_pSceneManager->Instantiate(name, m_pWorld->Scene()->GetRoot(), nullptr);
        EXPECT_NE(object, nullptr) << name;
        return object;
    }
    // A bullet that has started (and so waits), placed at (x, y) and fired by hand.
    BulletController& Ready(const std::string& name, float x, float y, int32_t motion = eBulletMotion_Straight)
    {
        GameObj* object = Spawn(name);
        Tick();
        auto& bullet = *static_cast<BulletController*>(object->GetComponent(BulletController::s_Class.Key));
        EXPECT_FALSE(object->IsActive()) << "a bullet waits to be fired";
        Place(bullet, x, y);
        bullet.m_nMotion = motion;
        bullet.ApplyTerrainRule();
        object->Activate();
        return bullet;
    }
    static void Place(BulletController& bullet, float x, float y)
    {
        bullet.m_pKinematics->m_fPosX = x;
        bullet.m_pKinematics->m_fPosY = y;
        bullet.GetOwner()->GetTransform()->SetLocalPosition(x, y, 0.0f);
        bullet.GetOwner()->GetTransform()->UpdateWorldMatrices();
    }
    static float Angle(const BulletController& b) { return std::atan2(b.m_vDirY, b.m_vDirX); }
};

} // namespace

// A homing bullet snaps onto a target within this frame's turn limit and otherwise turns by
// exactly that limit, towards the target's side, keeping a unit heading.
TEST_F(BulletTest, HomingTurnsByTheRateAndSnapsWithinIt)
{
    BuildWith({{"test_bullet", BulletPrototype("test_bullet", "")}});
    struct Case {
        float targetAngle, expected;
    } cases[] = {
        {0.04f, 0.04f},          // within 3 rad/s x 1/60: snaps
        {1.0f, 0.05f},           // beyond: turns left by the limit
        {-1.0f, -0.05f},         // and right
        {kPi, 0.05f},            // straight behind (no side): the positive way
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.targetAngle);
        BulletController& target = Ready("test_bullet", 1000.0f + 100.0f * std::cos(c.targetAngle),
                                         1000.0f + 100.0f * std::sin(c.targetAngle));
        BulletController& bullet = Ready("test_bullet", 1000.0f, 1000.0f, eBulletMotion_Homing);
        bullet.m_vDirX = 1.0f;
        bullet.m_vDirY = 0.0f;
        bullet.m_fTurnRate = 3.0f;
        bullet.SetTarget(target.GetOwner());
        Tick();
        EXPECT_NEAR(Angle(bullet), c.expected, 1e-5f);
        EXPECT_NEAR(std::hypot(bullet.m_vDirX, bullet.m_vDirY), 1.0f, 1e-6f);
        target.Erase();
        bullet.Erase();
    }
}

// An orbit with equal radii and periods keeps on the circle, turning with the period's sign;
// a wave swings across its heading while its base travels. A period of 0 holds that axis on
// the base instead of dividing by zero.
TEST_F(BulletTest, OrbitAndWaveFollowTheirPeriods)
{
    BuildWith({{"test_bullet", BulletPrototype("test_bullet", "")}});
    struct Case {
        int32_t motion;
        float period, speed;
        float dirX, dirY;
    } cases[] = {
        {eBulletMotion_Orbit, 1.0f, 0.0f, 1.0f, 0.0f},
        {eBulletMotion_Orbit, -1.0f, 0.0f, 1.0f, 0.0f},
        {eBulletMotion_Orbit, 0.0f, 0.0f, 1.0f, 0.0f},
        {eBulletMotion_Wave, 0.5f, 60.0f, 0.0f, 1.0f},
        {eBulletMotion_Wave, -0.5f, 60.0f, 0.0f, 1.0f},
        {eBulletMotion_Wave, 0.0f, 60.0f, 0.0f, 1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.motion << " period " << c.period);
        BulletController& bullet = Ready("test_bullet", 1000.0f, 1000.0f, c.motion);
        bullet.m_vBaseX = bullet.m_vBaseY = 1000.0f;
        bullet.m_fSpeed = bullet.m_fMaxSpeed = c.speed;
        bullet.m_vDirX = c.dirX;
        bullet.m_vDirY = c.dirY;
        bullet.m_fAmpX = 50.0f;
        bullet.m_fAmpY = c.motion == eBulletMotion_Orbit ? 50.0f : 0.0f;
        bullet.m_fPeriodX = c.period;
        bullet.m_fPeriodY = c.motion == eBulletMotion_Orbit ? c.period : 0.0f;
        for (int n = 1; n <= 90; ++n) {
            Tick();
            const Kinematics& k = *bullet.m_pKinematics;
            const float a = c.period == 0.0f ? 0.0f : 2.0f * kPi * std::fmod(float(n) * kDt, std::fabs(c.period)) / c.period;
            if (c.motion == eBulletMotion_Orbit) {
                const float expectX = c.period == 0.0f ? 1000.0f : 1000.0f + 50.0f * std::cos(a);
                const float expectY = c.period == 0.0f ? 1000.0f : 1000.0f + 50.0f * std::sin(a);
                ASSERT_NEAR(k.m_fPosX, expectX, 0.05f) << "frame " << n;
                ASSERT_NEAR(k.m_fPosY, expectY, 0.05f) << "frame " << n;
            } else {
                // Heading up: the swing is along -x, the base climbs a pixel a frame.
                const float s = c.period == 0.0f ? 0.0f : 50.0f * std::sin(a);
                ASSERT_NEAR(k.m_fPosX, 1000.0f - s, 0.05f) << "frame " << n;
                ASSERT_NEAR(k.m_fPosY, 1000.0f + float(n), 0.05f) << "frame " << n;
            }
        }
        bullet.Erase();
    }
}

// What erases a bullet in its update: the camera's range (1536 pixels and beyond), and a hit
// of its damage unless it penetrates.
TEST_F(BulletTest, UpdateErasesOffScreenAndAfterAHit)
{
    BuildWith({{"test_far", BulletPrototype("test_far", "removeWhenOffScreen = 1")},
               {"test_near", BulletPrototype("test_near", "")},
               {"test_hit", BulletPrototype("test_hit", "", "AttemptDamageController = {},")},
               {"test_pierce", BulletPrototype("test_pierce", "penetrateTarget = true", "AttemptDamageController = {},")}});
    // Distances count from the camera (which follows the player standing on the floor), upwards
    // so that no bullet touches the floor.
    const Vec2 eye = WorldPosition(Find("camera"));
    struct Case {
        const char* prototype;
        float distance, degrees;
        bool hit, erased;
    } cases[] = {
        {"test_far", 1536.0f, 60.0f, false, true},
        {"test_far", 1535.0f, 60.0f, false, false},
        {"test_far", 1536.0f, 90.0f, false, true},
        {"test_far", 1535.9f, 45.0f, false, false},
        {"test_near", 1800.0f, 60.0f, false, false}, // not asked to leave
        {"test_hit", 100.0f, 90.0f, true, true},
        {"test_hit", 100.0f, 90.0f, false, false},
        {"test_pierce", 100.0f, 90.0f, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.prototype << " at " << c.distance << " pixels, " << c.degrees);
        const float a = c.degrees * kPi / 180.0f;
        BulletController& bullet = Ready(c.prototype, eye.x + c.distance * std::cos(a), eye.y + c.distance * std::sin(a));
        if (c.hit) {
            ASSERT_NE(bullet.m_pDamage, nullptr);
            bullet.m_pDamage->m_bHasHit = true;
        }
        Tick();
        EXPECT_EQ(bullet.m_bErased, c.erased);
        EXPECT_EQ(bullet.m_pCollider->IsEnabled(), !c.erased) << "an erased bullet's collider is off";
        bullet.Erase();
    }
}

// Terrain: "collideTerrain" 1 erases on the floor, 2 bounces a straight bullet; 2 on any other
// motion acts as 0 once the bullet is fired, with the terrain bit of its mask cleared.
TEST_F(BulletTest, TerrainErasesBouncesOrIsIgnored)
{
    BuildWith({{"test_none", BulletPrototype("test_none", "collideTerrain = 0")},
               {"test_erase", BulletPrototype("test_erase", "collideTerrain = 1")},
               {"test_bounce", BulletPrototype("test_bounce", "collideTerrain = 2")}});
    struct Case {
        const char* prototype;
        int32_t motion;
        int32_t collideTerrain;
        bool maskBit;
    } rules[] = {
        {"test_none", eBulletMotion_Straight, 0, false}, {"test_erase", eBulletMotion_Homing, 1, true},
        {"test_bounce", eBulletMotion_Straight, 2, true}, {"test_bounce", eBulletMotion_Homing, 0, false},
        {"test_bounce", eBulletMotion_Orbit, 0, false},   {"test_bounce", eBulletMotion_Wave, 0, false},
    };
    for (const Case& c : rules) {
        SCOPED_TRACE(::testing::Message() << c.prototype << " motion " << c.motion);
        BulletController& bullet = Ready(c.prototype, 2000.0f, 2000.0f, c.motion);
        EXPECT_EQ(bullet.m_nCollideTerrain, c.collideTerrain);
        EXPECT_EQ((bullet.m_pCollider->GetCullingMask() & kBulletTerrainMaskBit) != 0, c.maskBit);
        bullet.Erase();
    }

    // Falling onto the floor at y 0 from 20 pixels, 10 pixels a frame.
    BulletController& eraser = Ready("test_erase", 2000.0f, 20.0f);
    BulletController& bouncer = Ready("test_bounce", 2100.0f, 20.0f);
    for (BulletController* b : {&eraser, &bouncer}) {
        b->m_vDirX = 0.0f;
        b->m_vDirY = -1.0f;
        b->m_fSpeed = b->m_fMaxSpeed = 600.0f;
    }
    Ticks(6);
    EXPECT_TRUE(eraser.m_bErased);
    EXPECT_FALSE(bouncer.m_bErased);
    EXPECT_GT(bouncer.m_vDirY, 0.99f) << "bounced straight up";
    EXPECT_GT(bouncer.m_pKinematics->m_fPosY, 0.0f);
}

// A bullet eraser erases a "Bullet"-tagged bullet it touches; one under another tag flies on.
TEST_F(BulletTest, EraserErasesOnlyBullets)
{
    std::string other = BulletPrototype("test_other", "");
    other.replace(other.find("'Bullet'"), 8, "'Enemy'");
    BuildWith({{"test_bullet", BulletPrototype("test_bullet", "")},
               {"test_other", other},
               {"test_eraser", "test_eraser = { object_name = 'eraser', object_layer = 2, object_activity = 1,"
                               "  components = { Transform = { position = { x = 1500, y = 1500 } },"
                               "  Kinematics = { useGravity = false, needClamp = false },"
                               "  CircleCollider = { radius = 100 }, BulletEraser = {} } }"}});
    BulletController& bullet = Ready("test_bullet", 1500.0f, 1520.0f);
    BulletController& notBullet = Ready("test_other", 1520.0f, 1500.0f);
    Spawn("test_eraser");
    Ticks(2);
    EXPECT_TRUE(bullet.m_bErased);
    EXPECT_FALSE(notBullet.m_bErased);
}

namespace {

std::string PatternPrototype(const std::string& name, const std::string& shots, const std::string& timeline)
{
    return name + " = { object_name = '" + name +
           "', object_layer = 0x8000, object_activity = 1,"
           "  components = { Transform = {}, BulletHellController = { createShots = { " +
           shots + " }, timeline = { " + timeline + " } } } }";
}

class PatternTest : public BulletTest {
protected:
    BulletHellController& Pattern(GameObj* object)
    {
        return *static_cast<BulletHellController*>(object->GetComponent(BulletHellController::s_Class.Key));
    }
    // A pattern shot by the standing shooter, started by one frame.
    BulletHellController& Shoot(const std::string& name)
    {
        GameObj* object = Spawn(name);
        Pattern(object).SetShooter(Find("shooter"));
        Tick();
        return Pattern(object);
    }
};

} // namespace

// Event times: the shot's base time is added, and a fire-from event moves the fired shot's
// later-loaded events by its own time; a range is drawn once per load and shared by the events.
TEST_F(PatternTest, EventTimesCountFromBaseTimesAndFiringEvents)
{
    BuildWith({{"test_pattern",
                PatternPrototype("test_pattern",
                                 "{ 0, 'test_bullet', 1.0, 0, 0, 0 }, { 0, 'test_bullet', 0, 0, 0, 0 },"
                                 "{ 0, 'test_bullet', { 1, 2 }, 0, 0, 0 }",
                                 "{ 4, 0, 0.5 }, { 2, 1, 0.25 }, { 5, 0, 2.0, 1 }, { 2, 1, 0.25 },"
                                 "{ 4, 2, 0 }, { 2, 2, 0.5 }")},
               {"test_bullet", BulletPrototype("test_bullet", "")}});
    SfmtInit(20261210);
    const BulletHellController& first = Pattern(Spawn("test_pattern"));
    const float expected[] = {1.5f, 0.25f, 3.0f, 3.25f};
    for (size_t i = 0; i < std::size(expected); ++i)
        EXPECT_FLOAT_EQ(first.m_Timeline[i].time, expected[i]) << "event " << i;
    const float drawn = first.m_Shots[2].baseTime;
    EXPECT_GE(drawn, 1.0f);
    EXPECT_LE(drawn, 2.0f);
    EXPECT_FLOAT_EQ(first.m_Timeline[4].time, drawn);
    EXPECT_FLOAT_EQ(first.m_Timeline[5].time, drawn + 0.5f);
    const BulletHellController& second = Pattern(Spawn("test_pattern"));
    EXPECT_NE(second.m_Shots[2].baseTime, drawn) << "drawn again by the next load";
}

// The timeline on the pattern's clock: an event acts on the frame the clock reaches it, events
// of one frame in data order (a set then an add gives the sum), and the shot leaves from the
// shooter's position plus its offset, mirrored when the shooter faces left.
TEST_F(PatternTest, TimelineFiresAndSteersInOrder)
{
    BuildWith({{"test_pattern", PatternPrototype("test_pattern", "{ 0, 'test_bullet', 0, 1, 10, 5 }",
                                                 "{ 4, 0, 0.1 }, { 1, 0, 0.1, 0, 100, 0, 1000, 0, 90 },"
                                                 "{ 1, 0, 0.1, 1, 50, 0, 1000, 0, 90 }")},
               {"test_bullet", BulletPrototype("test_bullet", "")}});
    for (const bool facesRight : {true, false}) {
        SCOPED_TRACE(facesRight ? "facing right" : "facing left");
        Find("shooter")->GetActorController()->m_bFacesRight = facesRight;
        BulletHellController& pattern = Shoot("test_pattern");
        BulletController* bullet = pattern.GetBullet(0);
        ASSERT_NE(bullet, nullptr);
        const Kinematics& shooter = *Find("shooter")->GetKinematics();
        // The starting frame ran the clock too; 0.1 s is the sixth frame's clock, within rounding.
        Ticks(4);
        EXPECT_FALSE(bullet->GetOwner()->IsActive());
        Ticks(2);
        ASSERT_TRUE(bullet->GetOwner()->IsActive());
        EXPECT_FLOAT_EQ(bullet->m_fSpeed, 150.0f);
        EXPECT_NEAR(bullet->m_vDirY, 1.0f, 1e-6f);
        EXPECT_NEAR(bullet->m_pKinematics->m_fPosX, shooter.m_fPosX + (facesRight ? 10.0f : -10.0f), 1e-3f);
        EXPECT_GT(bullet->m_pKinematics->m_fPosY, shooter.m_fPosY + 5.0f);
        g_pSceneManager->DestroyLater(pattern.GetOwner(), 0.0f);
        Tick();
    }
}

// Erasing a bullet cancels its pending events and erases, down the fire-from chain, the
// bullets it would have fired; with every bullet erased the pattern removes itself.
TEST_F(PatternTest, ErasingCancelsTheChainAndThePatternLeaves)
{
    BuildWith({{"test_pattern",
                PatternPrototype("test_pattern",
                                 "{ 0, 'test_bullet', 0, 0, 500, 500 }, { 0, 'test_bullet', 0, 1, 0, 0 },"
                                 "{ 0, 'test_bullet', 0, 1, 0, 0 }, { 0, 'test_bullet', 0, 0, 600, 600 }",
                                 "{ 4, 0, 0 }, { 2, 0, 0.1 }, { 5, 0, 1.0, 1 }, { 5, 1, 0.5, 2 }, { 4, 3, 0 }")},
               {"test_bullet", BulletPrototype("test_bullet", "")}});
    BulletHellController& pattern = Shoot("test_pattern");
    GameObj* object = pattern.GetOwner();
    Ticks(10);
    for (uint32_t shot : {0u, 1u, 2u}) {
        EXPECT_TRUE(pattern.GetBullet(shot)->m_bErased) << "shot " << shot;
        EXPECT_FALSE(pattern.GetBullet(shot)->GetOwner()->IsActive()) << "shot " << shot;
    }
    for (const TimelineEvent& event : pattern.m_Timeline)
        EXPECT_TRUE(event.done);
    EXPECT_FALSE(pattern.GetBullet(3)->m_bErased) << "an unrelated shot flies on";
    EXPECT_FALSE(object->GetFlags() & eGameObjFlag_PendingRemoval);
    pattern.GetBullet(3)->Erase();
    Tick();
    EXPECT_TRUE(object->GetFlags() & eGameObjFlag_PendingRemoval);
    Ticks(2);
    EXPECT_EQ(Find("test_pattern"), nullptr) << "removed, bullets and all";
    EXPECT_EQ(Find("test_bullet"), nullptr);
}

// A pattern without a live shooter builds nothing and leaves on its first update; a shot with
// nowhere to start from (an unknown origin, the player unknown) is erased, not fired at (0, 0).
TEST_F(PatternTest, NoShooterOrNoOriginFiresNothing)
{
    BuildWith({{"test_pattern",
                PatternPrototype("test_pattern", "{ 0, 'test_bullet', 0, 7, 0, 0 }, { 1, 'test_bullet', 0, 2, 0, 0 }",
                                 "{ 4, 0, 0.05 }, { 4, 1, 0.05 }")},
               {"test_bullet", BulletPrototype("test_bullet", "")}});
    GameObj* lonely = Spawn("test_pattern");
    Tick();
    EXPECT_TRUE(Pattern(lonely).m_Bullets.empty());
    EXPECT_TRUE(lonely->GetFlags() & eGameObjFlag_PendingRemoval);

    BulletHellController& pattern = Shoot("test_pattern");
    pattern.m_nPlayerId = -1;
    Ticks(3);
    for (uint32_t shot : {0u, 1u}) {
        EXPECT_TRUE(pattern.GetBullet(shot)->m_bErased) << "shot " << shot;
        EXPECT_FALSE(pattern.GetBullet(shot)->GetOwner()->IsActive()) << "shot " << shot;
    }
}

// Timeline entries naming a shot the pattern lacks are logged once at load and never act.
TEST_F(PatternTest, BadShotIndexesAreSkipped)
{
    BuildWith({{"test_pattern", PatternPrototype("test_pattern", "{ 0, 'test_bullet', 0, 0, 700, 700 }",
                                                 "{ 4, 9, 0 }, { 5, 0, 0, 4000000000 }, { 2, 3, 0 }, { 4, 0, 0.05 }")},
               {"test_bullet", BulletPrototype("test_bullet", "")}});
    ::testing::internal::CaptureStdout();
    BulletHellController& pattern = Shoot("test_pattern");
    Ticks(5);
    const std::string log = ::testing::internal::GetCapturedStdout();
    size_t lines = 0;
    for (size_t at = log.find("timeline entry"); at != std::string::npos; at = log.find("timeline entry", at + 1))
        ++lines;
    EXPECT_EQ(lines, 1u) << log;
    EXPECT_NE(log.find("test_pattern"), std::string::npos) << log;
    EXPECT_TRUE(pattern.GetBullet(0)->GetOwner()->IsActive()) << "the good entry still fires";
    EXPECT_EQ(pattern.GetBullet(9), nullptr);
}

// Shot angles in radians, brought into [0, 2π] whatever the data gives.
TEST_F(PatternTest, ShotAnglesByKind)
{
    BuildWith({{"test_pattern", PatternPrototype("test_pattern", "{ 0, 'test_bullet', 0, 0, 100, 100 }", "")},
               {"test_bullet", BulletPrototype("test_bullet", "")}});
    BulletHellController& pattern = Shoot("test_pattern");
    BulletController& bullet = *pattern.GetBullet(0);
    Place(bullet, 100.0f, 100.0f);
    bullet.m_vDirX = 0.0f;
    bullet.m_vDirY = 1.0f;
    Kinematics& aimAt = *Find("shooter")->GetKinematics();
    struct Case {
        int32_t kind;
        float angle;
        bool facesRight;
        bool player;
        float expected;
    } cases[] = {
        {eShotAngle_Absolute, 1.0f, true, false, 1.0f},
        {eShotAngle_Absolute, -1.0f, true, false, 2.0f * kPi - 1.0f},
        {eShotAngle_Absolute, 7.0f * kPi, true, false, kPi},
        {eShotAngle_Relative, 0.5f, true, false, kPi / 2.0f + 0.5f},
        {eShotAngle_Mirrored, 0.3f, true, false, 0.3f},
        {eShotAngle_Mirrored, 0.3f, false, false, kPi - 0.3f},
        {eShotAngle_Aimed, 0.1f, true, true, std::atan2(100.0f, 200.0f) + 0.1f}, // to (300, 200)
        {eShotAngle_Aimed, 0.1f, true, false, 0.1f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "kind " << c.kind << " angle " << c.angle);
        pattern.FindShooter()->GetActorController()->m_bFacesRight = c.facesRight;
        pattern.m_nPlayerId = c.player ? Find("shooter")->GetId() : -1;
        aimAt.m_fPosX = 300.0f;
        aimAt.m_fPosY = 200.0f;
        EXPECT_NEAR(pattern.ComputeShotAngle(&bullet, c.kind, c.angle), c.expected, 1e-4f);
    }
    for (const float huge : {1e30f, -1e30f, 3.4e38f}) {
        const float a = pattern.ComputeShotAngle(&bullet, eShotAngle_Absolute, huge);
        EXPECT_GE(a, 0.0f) << huge;
        EXPECT_LE(a, 2.0f * kPi) << huge;
    }
}

// An enemy's attendant that is a pattern gets the enemy as its shooter.
TEST_F(PatternTest, AnEnemysAttendantPatternShootsForIt)
{
    BuildWith({{"test_pattern", PatternPrototype("test_pattern", "{ 0, 'test_bullet', 0, 1, 0, 0 }", "{ 4, 0, 0 }")},
               {"test_bullet", BulletPrototype("test_bullet", "")}});
    ASSERT_NE(g_pfnSetBulletOwner, nullptr);
    GameObj* object = Spawn("test_pattern");
    g_pfnSetBulletOwner(object, Find("shooter"));
    Tick();
    EXPECT_EQ(Pattern(object).FindShooter(), Find("shooter"));
    ASSERT_NE(Pattern(object).GetBullet(0), nullptr);
    EXPECT_TRUE(Pattern(object).GetBullet(0)->GetOwner()->IsActive()) << "fired from the enemy";
}

// A pattern's shooter or the player deleted while the patterns' layer is frozen (a special
// move stops that layer): once the layer runs again, the bullets that circled or chased the
// lost object fly on from where they were, and a shot still to leave from the shooter has
// nowhere to start and is erased; a bullet of the pattern deleted meanwhile empties its slot.
TEST_F(PatternTest, AShooterOrPlayerDeletedWhileThePatternIsFrozenIsLetGo)
{
    struct Case {
        const char* lost;
        bool laterShotFlies;
    } cases[] = {{"shooter", false}, {"player", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lost);
        // Shot 0 circles the shooter, shot 1 homes on the player, shot 2 leaves the shooter later.
        BuildWith({{"test_pattern",
                    PatternPrototype("test_pattern",
                                     "{ 2, 'test_bullet', 0, 1, 0, 0, 50, 90, 0, 0, 1 },"
                                     "{ 1, 'test_bullet', 0, 0, 2000, 2000, 90 },"
                                     "{ 0, 'test_bullet', 0, 1, 0, 0 }",
                                     "{ 4, 0, 0 }, { 4, 1, 0 }, { 1, 1, 0, 0, 60, 0, 60, 0, 0 }, { 4, 2, 0.5 }")},
                   {"test_bullet", BulletPrototype("test_bullet", "")}});
        BulletHellController& pattern = Shoot("test_pattern");
        Ticks(2);
        BulletController* circling = pattern.GetBullet(0);
        BulletController* homing = pattern.GetBullet(1);
        ASSERT_TRUE(circling && homing && pattern.GetBullet(2));
        ASSERT_TRUE(circling->GetOwner()->IsActive() && homing->GetOwner()->IsActive());

        SceneManager& scene = *m_pWorld->Scene();
        scene.m_nUpdateMask &= ~(0x8000u | 0x4u);
        scene.DestroyLater(Find(c.lost), 0.0f);
        Ticks(2);
        ASSERT_EQ(Find(c.lost), nullptr) << "deleted while frozen";
        scene.m_nUpdateMask = 0xFFFFFFFFu;
        Ticks(40);
        for (BulletController* b : {circling, homing}) {
            EXPECT_TRUE(std::isfinite(b->m_pKinematics->m_fPosX) && std::isfinite(b->m_pKinematics->m_fPosY));
            EXPECT_FALSE(b->m_bErased);
        }
        EXPECT_EQ(pattern.GetBullet(2)->m_bErased, !c.laterShotFlies);
    }

    // One of the pattern's own bullets deleted by other means meanwhile leaves its slot empty.
    BuildWith({{"test_pattern", PatternPrototype("test_pattern", "{ 0, 'test_bullet', 0, 1, 0, 0 },"
                                                                 "{ 0, 'test_bullet', 0, 1, 0, 0 }",
                                                 "{ 4, 0, 0 }, { 4, 1, 0 }")},
               {"test_bullet", BulletPrototype("test_bullet", "")}});
    BulletHellController& pattern = Shoot("test_pattern");
    ASSERT_NE(pattern.GetBullet(0), nullptr);
    SceneManager& scene = *m_pWorld->Scene();
    scene.m_nUpdateMask &= ~0x8000u;
    scene.DestroyLater(pattern.GetBullet(0)->GetOwner(), 0.0f);
    Ticks(2);
    scene.m_nUpdateMask = 0xFFFFFFFFu;
    Tick();
    EXPECT_EQ(pattern.GetBullet(0), nullptr);
    ASSERT_NE(pattern.GetBullet(1), nullptr);
    EXPECT_FALSE(pattern.GetBullet(1)->m_bErased);
}
