// Shared pieces of the fighting-character tests: a world of Lua prototypes (a floor, walls,
// the player) whose stage sizes the collision world as it attaches, a pad the tests hold
// buttons on, and a trail renderer under the fighters.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "Components/Core/CollisionWorld.h"
#include "Components/Core/Kinematics.h"
#include "Components/Core/SpriteBlurRenderer.h"
#include "Components/Game/ActorController.h"
#include "Components/Game/HealthController.h"
#include "Components/Game/InvincibleController.h"
#include "Components/Game/KnockbackController.h"
#include "Components/Game/PlayerController.h"
#include "Components/Game/PlayerPad.h"
#include "Components/Game/PlayerStates.h"
#include "Components/Game/PowerController.h"
#include "Components/Game/QuestController.h"
#include "Components/Game/StatusParameter.h"
#include "System/Common/NameHash.h"
#include "World/AccessoryTable.h"
#include "World/PlayStatistics.h"
#include "World/SceneFixture.h"

// An accessory table with one ring whose abilities the test sets, while it lives.
class TestAccessories {
public:
    TestAccessories()
    {
        m_pOld = g_pAccessoryTable;
        g_pAccessoryTable = &m_Table;
        m_Table.Create();
        auto ring = std::make_unique<AccessoryRecord>();
        m_pRing = ring.get();
        m_Table.Insert(HashName("accessory_TestRing"), std::move(ring));
    }
    ~TestAccessories() { g_pAccessoryTable = m_pOld; }
    void Set(int ability, int32_t type, float point) { m_pRing->m_aAbilities[ability] = {type, point}; }

private:
    AccessoryTable m_Table;
    AccessoryRecord* m_pRing = nullptr;
    AccessoryTable* m_pOld = nullptr;
};

// The buttons the player reads while a test runs: the current mask and the one before.
inline PlayerPadMasks& TestPad()
{
    static PlayerPadMasks pad;
    return pad;
}

// Sizes the collision world over 4096 x 4096 when it attaches: the stage's colliders start
// into a tree that exists.
class TestStageSize : public Component {
public:
    static inline const ClassKey s_Class{"TestStageSize"};
    explicit TestStageSize(GameObj* owner) : Component(owner, s_Class) {}
    bool IsKindOf(TypeKey key) const override { return key == s_Class.Key; }
    bool Attach() override
    {
        if (g_pCollisionWorld) {
            g_pCollisionWorld->SetupTree(6, 0.0f, 0.0f, 4096.0f, 4096.0f);
            g_pCollisionWorld->SetStageBounds({0.0f, 0.0f, 4096.0f, 4096.0f});
        }
        return true;
    }
};

// A fighter of the enemies' side with nothing of its own: the base's rules alone.
class TestActor : public ActorController {
public:
    static inline const ClassKey s_Class{"TestActor"};
    explicit TestActor(GameObj* owner) : ActorController(owner, s_Class) {}
    bool IsKindOf(TypeKey key) const override { return key == s_Class.Key || key == ActorController::s_Class.Key; }
    int32_t GetSide() const override { return 1; }
};

// The player's tuning used by every player test unless a test gives its own.
inline std::string PlayerTuning(const std::string& extra = "")
{
    return "run = { speed = 300, drag = 0.8, threshold = 10 },"
           "step = { speed = 900, drag = 0.7, threshold = 20, duration = 0.2 },"
           "dash = { speed = 3000, drag = 0.9, brakingDrag = 0.5, threshold = 20, duration = 0.5 },"
           "powerCosts = { slash = 4, turnedSlash = 2, homing = 5, vardeki = 1 },"
           "jumpHeight = 2, deadEffect = 'test_dead_effect'," +
           extra;
}

// A player prototype standing (box bottom at its position) with the given controller keys.
inline std::string PlayerPrototype(const std::string& controller, const std::string& more = "")
{
    return "test_player = { object_name = 'player', object_tag = 'Player', object_layer = 2, object_activity = 1,"
           "  components = {"
           "    Transform = { position = { x = 500, y = 0 } },"
           "    Kinematics = { maxSpeed = 5000, needClamp = false },"
           "    Box2DCollider = { center = { x = 0, y = 40 }, size = { width = 40, height = 80 }, cullingMask = 3 },"
           "    StatusParameter = { health = { init = 100, max = 100 }, powerRecharge = { init = 30, max = 30 } },"
           "    HealthController = {}, PowerController = { maxPower = 100 },"
           "    InvincibleController = { duration = 1, blinkInterval = 0.1, invincibleMask = 1 },"
           "    KnockbackController = {}," +
           more + "    PlayerController = { " + controller +
           " } },"
           "  children = { { base_script = 'test_trail' } } }";
}

// The stage: a floor at y 0 from x 0 to 4000 and a wall at x 1000 facing left, up to y 400.
inline std::map<std::string, std::string> GameFiles(const std::string& player)
{
    return {
        {"stage/stage_Test",
         "stage_Test = { object_name = 'stage', object_tag = 'Stage', object_layer = 1, object_activity = 1,"
         "  components = { Transform = {}, TestStageSize = {} },"
         "  children = { { base_script = 'test_player' }, { base_script = 'test_floor' },"
         "               { base_script = 'test_wall' } } }"},
        {"game_objects/test_floor",
         "test_floor = { object_name = 'floor', object_tag = 'Terrain', object_layer = 1, object_activity = 1,"
         "  components = { Transform = {}, SegmentCollider = { s = { x = 0, y = 0 }, e = { x = 4000, y = 0 } } } }"},
        {"game_objects/test_wall",
         "test_wall = { object_name = 'wall', object_tag = 'Terrain', object_layer = 1, object_activity = 1,"
         "  components = { Transform = {}, SegmentCollider = { s = { x = 1000, y = 0 }, e = { x = 1000, y = 400 } } } }"},
        {"game_objects/test_trail",
         "test_trail = { object_name = 'trail', object_layer = 2, object_activity = 1,"
         "  components = { Transform = {}, SpriteBlurRenderer = { maxBlurs = 4, baseAlpha = 200, intervalTime = 0.05 } } }"},
        {"game_objects/test_dead_effect",
         "test_dead_effect = { object_name = 'dead', object_layer = 1, object_activity = 1,"
         "  components = { Transform = {} } }"},
        {"game_objects/test_player", player},
    };
}

class GameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TestPad() = {};
        SetPlayerPadReader([] { return TestPad(); });
        g_PlayStatistics.Reset();
    }
    void TearDown() override
    {
        m_pWorld.reset();
        SetPlayerPadReader(nullptr);
        g_PlayStatistics.Reset();
    }

    // Builds the world and the stage; the first frame starts everything.
    void Build(const std::map<std::string, std::string>& files)
    {
        m_pWorld.reset();
        m_pWorld = std::make_unique<TestWorld>(files);
        g_pComponentFactory->RegisterClass<TestStageSize>();
        g_pComponentFactory->RegisterClass<TestActor>();
        m_pWorld->Scene()->RequestStage("stage_Test");
        Tick();
    }
    void BuildPlayer(const std::string& controller = PlayerTuning(), const std::string& more = "")
    {
        Build(GameFiles(PlayerPrototype(controller, more)));
    }

    // One frame with the buttons held; pressed are those not held the frame before.
    void Tick(uint32_t held = 0, float dt = 1.0f / 60.0f)
    {
        TestPad().previous = TestPad().current;
        TestPad().current = held;
        m_pWorld->Tick(dt);
    }
    void Ticks(int n, uint32_t held = 0)
    {
        for (int i = 0; i < n; ++i)
            Tick(held);
    }

    GameObj* Find(const std::string& name) const { return m_pWorld->Scene()->FindObjectByName(name); }
    PlayerController& Player() const { return *static_cast<PlayerController*>(Find("player")->GetActorController()); }
    Kinematics& Body() const { return *Find("player")->GetKinematics(); }
    SpriteBlurRenderer& Trail() const
    {
        return *static_cast<SpriteBlurRenderer*>(Find("trail")->GetComponent(g_SpriteBlurRendererClass.Key));
    }
    // Moves the player's body (and its transform) to a point at rest.
    void Put(float x, float y)
    {
        Kinematics& k = Body();
        k.m_fPosX = x;
        k.m_fPosY = y;
        k.m_fVelX = k.m_fVelY = 0.0f;
        Find("player")->GetTransform()->SetLocalPosition(x, y, 0.0f);
        Find("player")->GetTransform()->UpdateWorldMatrices();
    }

    std::unique_ptr<TestWorld> m_pWorld;
};
