#include <gtest/gtest.h>

#include <cmath>

#include "Components/Core/Collider.h"
#include "Components/Game/AttemptDamageController.h"
#include "Components/Game/BulletController.h"
#include "Components/Game/BulletHellController.h"
#include "GameFixture.h"
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
        bullet.m_pTarget = target.m_pKinematics;
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
