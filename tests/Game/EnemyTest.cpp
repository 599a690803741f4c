#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>

#include "Components/Core/SteeringBehavior.h"
#include "Components/Game/EnemyController.h"
#include "Components/Game/ItemController.h"
#include "GameFixture.h"
#include "System/Common/Random.h"
#include "World/PlayerSaveData.h"

namespace {

void QueueWords(std::initializer_list<uint32_t> words)
{
    uint32_t i = 0;
    for (uint32_t w : words)
        g_aRandomPool[i++] = w;
    g_nRandomPoolIndex = 0;
}

// Holds from the half second in the state on.
const char* const kAfterHalfSecond = "{ { { compare = 5, target = 26, value = 0.5 } } }";

std::string EnemyPrototype(const std::string& name, const std::string& machine, const std::string& more = "",
                           float x = 300.0f)
{
    return name + " = { object_name = '" + name +
           "', object_tag = 'Enemy', object_layer = 4, object_activity = 1,"
           "  components = { Transform = { position = { x = " +
           std::to_string(x) +
           ", y = 300 } },"
           "    Kinematics = { needClamp = false, useGravity = false, useSteering = true, maxSpeed = 200 },"
           "    StatusParameter = { health = { init = 10, max = 10 }, experience = { init = 50 } },"
           "    HealthController = {}, KnockbackController = { knockbackDuration = 0.2 }," +
           more + "    EnemyController = { initState = 'idle', attackedMessage = 'enemy_bites', stateMachine = {" +
           machine + "} } } }";
}

class EnemyTest : public GameTest {
protected:
    void TearDown() override
    {
        g_PlayerSaveData.m_nExperience = 0;
        GameTest::TearDown();
    }
    // The player on the floor and the given enemies (prototype name -> table) on the stage.
    void BuildEnemies(const std::map<std::string, std::string>& enemies,
                      const std::map<std::string, std::string>& others = {})
    {
        auto files = GameFiles(PlayerPrototype(PlayerTuning()));
        std::string children = "{ base_script = 'test_player' }, { base_script = 'test_floor' }";
        for (const auto& [name, table] : enemies) {
            files["game_objects/" + name] = table;
            children += ", { base_script = '" + name + "' }";
        }
        for (const auto& [name, table] : others)
            files["game_objects/" + name] = table;
        files["stage/stage_Test"] = "stage_Test = { object_name = 'stage', object_layer = 1, object_activity = 1,"
                                    "  components = { Transform = {}, TestStageSize = {}, QuestController = {} },"
                                    "  children = { " +
                                    children + " } }";
        Build(files);
    }
    EnemyController& Enemy(const std::string& name = "test_enemy") const
    {
        return *static_cast<EnemyController*>(Find(name)->GetActorController());
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

// A machine read from Lua: every state with its clip, threat range, attendant, steering
// (defaults included) and transitions in order; a prototype without one adds nothing.
TEST_F(EnemyTest, MachineFromLua)
{
    BuildEnemies({{"test_enemy", EnemyPrototype("test_enemy",
                                                "idle = { enterState = { animationName = 'stand_loop', threatRange = 120,"
                                                "           attendantObject = { delay = 0.25, name = 'test_bite' } },"
                                                "         steeringBehavior = { { behaviorType = 2, target = 2,"
                                                "             crosshair = { x = 3, y = 4 } }, { weight = 0.5 } },"
                                                "         changeState = { { state = 'run', condition = { {} } },"
                                                "                         { state = 'idle', condition = {} } } },"
                                                "run = {}")},
                  {"test_plain", "test_plain = { object_name = 'plain', object_activity = 1,"
                                 "  components = { Transform = {} } }"}});
    EXPECT_EQ(g_EnemyStateMachineCache.Find(HashName("test_plain")), nullptr);
    const EnemyStateMachine* machine = g_EnemyStateMachineCache.Find(HashName("test_enemy"));
    ASSERT_NE(machine, nullptr);
    ASSERT_EQ(machine->size(), 2u);
    const EnemyStateDef& idle = machine->at(HashName("idle"));
    EXPECT_EQ(idle.clip, HashName("stand_loop"));
    EXPECT_FLOAT_EQ(idle.threatRange, 120.0f);
    EXPECT_FLOAT_EQ(idle.attendantDelay, 0.25f);
    EXPECT_EQ(idle.attendantName, "test_bite");
    ASSERT_EQ(idle.steering.size(), 2u);
    EXPECT_EQ(idle.steering[0].behaviorType, 2);
    EXPECT_EQ(idle.steering[0].target, 2);
    EXPECT_FLOAT_EQ(idle.steering[0].weight, 1.0f);
    EXPECT_FLOAT_EQ(idle.steering[0].crosshair.y, 4.0f);
    EXPECT_EQ(idle.steering[1].behaviorType, 0);
    EXPECT_FLOAT_EQ(idle.steering[1].weight, 0.5f);
    ASSERT_EQ(idle.transitions.size(), 2u);
    EXPECT_EQ(idle.transitions[0].target, HashName("run"));
    EXPECT_EQ(idle.transitions[0].condition.m_Groups.size(), 1u);
    EXPECT_TRUE(idle.transitions[1].condition.m_Groups.empty());
    const EnemyStateDef& run = machine->at(HashName("run"));
    EXPECT_EQ(run.clip, 0u);
    EXPECT_TRUE(run.transitions.empty());
}

// Transitions are tried in order every frame, the entering frame included: the first that holds
// wins; time in state drives the next.
TEST_F(EnemyTest, FirstHoldingTransitionWins)
{
    BuildEnemies({{"test_enemy",
                   EnemyPrototype("test_enemy", std::string("idle = { changeState = { { state = 'never', condition = {} },"
                                                            "  { state = 'b', condition = { {} } },"
                                                            "  { state = 'c', condition = { {} } } } },"
                                                            "b = { changeState = { { state = 'c', condition = ") +
                                                    kAfterHalfSecond +
                                                    " } } }, c = {}, never = {}")}});
    EXPECT_EQ(Enemy().m_nStateId, HashName("b")); // the first frame
    Ticks(28);
    EXPECT_EQ(Enemy().m_nStateId, HashName("b"));
    Ticks(3);
    EXPECT_EQ(Enemy().m_nStateId, HashName("c"));
}

// Steering set-up: each entry's bit and weight; seek, flee and arrive write the point and the
// last of them wins; a missing target leaves the point unchanged.
TEST_F(EnemyTest, SteeringSetUp)
{
    struct Case {
        const char* name;
        const char* entries;
        uint32_t flags;
        float tx, ty;
    };
    // The player stands at (500, 0).
    const Case cases[] = {
        {"point then player", "{ behaviorType = 0, target = 4, crosshair = { x = 10, y = 20 }, weight = 2 },"
                              "{ behaviorType = 2, target = 2, crosshair = { x = 0, y = 5 } }, { behaviorType = 3 }",
         eSteering_Seek | eSteering_Arrive | eSteering_Wander, 500.0f, 5.0f},
        {"player then point", "{ behaviorType = 2, target = 2 }, { behaviorType = 1, target = 4, crosshair = { x = 7, y = 8 } }",
         eSteering_Arrive | eSteering_Flee, 7.0f, 8.0f},
        {"self", "{ behaviorType = 0, target = 1, crosshair = { x = 1, y = 2 } }", eSteering_Seek, 301.0f, 302.0f},
        {"pursuit does not move the point", "{ behaviorType = 0, target = 4, crosshair = { x = 9, y = 9 } },"
                                            "{ behaviorType = 4, target = 2 }",
         eSteering_Seek | eSteering_Pursuit, 9.0f, 9.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BuildEnemies({{"test_enemy", EnemyPrototype("test_enemy", std::string("idle = { enterState = { threatRange = 100 },"
                                                                              " steeringBehavior = { ") +
                                                                      c.entries + " } }")}});
        // Enemies start before the player registers (children start last-attached first).
        Enemy().EnterState(HashName("idle"));
        ZEV::SteeringBehavior* s = Find("test_enemy")->GetKinematics()->GetSteering();
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->m_nFlags, c.flags);
        // The body has moved a little in the first frame: "self" is near where it started.
        EXPECT_NEAR(s->m_fTargetX, c.tx, 0.5f);
        EXPECT_NEAR(s->m_fTargetY, c.ty, 0.5f);
        EXPECT_FLOAT_EQ(s->m_fThreatRangeSq, 10000.0f);
        if (c.flags & eSteering_Pursuit) {
            EXPECT_EQ(s->m_nAgent1Id, Find("player")->GetId());
        }
    }
    EXPECT_FLOAT_EQ(Find("test_enemy")->GetKinematics()->GetSteering()->m_afWeights[0], 1.0f);
}

// Pursuit and evasion hold the other body by its object: when that object is deleted the
// enemy's steering lets it go (no force from that behaviour) instead of reading it.
TEST_F(EnemyTest, SteeringLetsGoOfADeletedAgent)
{
    struct Case {
        const char* name;
        int behaviorType;
        float towardGuard; // the sign of the first steps along x, the guard being to the right
    } cases[] = {{"pursuit", eSteerEntry_Pursuit, 1.0f}, {"evade", eSteerEntry_Evade, -1.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BuildEnemies({{"test_enemy", EnemyPrototype("test_enemy", "idle = { enterState = { threatRange = 1000 },"
                                                                  " steeringBehavior = { { behaviorType = " +
                                                                      std::to_string(c.behaviorType) +
                                                                      ", target = 3 } } }")},
                      {"test_guard", EnemyPrototype("test_guard", "idle = {}", "", 600.0f)}});
        auto& quest = *static_cast<QuestController*>(Find("stage")->GetComponent(QuestController::s_Class.Key));
        quest.m_pSecondObj = Find("test_guard");
        Enemy().EnterState(HashName("idle"));
        quest.m_pSecondObj = nullptr;
        const float startX = Find("test_enemy")->GetKinematics()->m_fPosX;
        Ticks(5);
        const Kinematics& body = *Find("test_enemy")->GetKinematics();
        EXPECT_GT((body.m_fPosX - startX) * c.towardGuard, 0.0f);

        m_pWorld->Scene()->DestroyLater(Find("test_guard"), 0.0f);
        Ticks(10);
        ASSERT_EQ(Find("test_guard"), nullptr);
        EXPECT_TRUE(std::isfinite(body.m_fPosX) && std::isfinite(body.m_fVelX));
        EXPECT_EQ(body.GetSteering()->m_nFlags, 1u << c.behaviorType);
    }
}

// The attendant comes after its delay, once, bound to the enemy and held by it.
TEST_F(EnemyTest, AttendantDelay)
{
    BuildEnemies({{"test_enemy", EnemyPrototype("test_enemy", "idle = { enterState = { attendantObject ="
                                                              " { delay = 0.5, name = 'test_bite' } } }")}},
                 {{"test_bite", "test_bite = { object_name = 'bite', object_layer = 8, object_activity = 1,"
                                "  components = { Transform = {}, MeleeHitController = {},"
                                "    AttemptDamageController = { targetLayer = 2 } } }"}});
    int spawnedAt = -1;
    for (int frame = 2; frame <= 40 && spawnedAt < 0; ++frame) {
        Tick();
        if (Find("bite"))
            spawnedAt = frame;
    }
    EXPECT_GE(spawnedAt, 30);
    EXPECT_LE(spawnedAt, 31);
    EXPECT_EQ(Enemy().m_pHeldObject, Find("bite"));
    EXPECT_FALSE(Enemy().m_nFlags & eEnemyFlag_AttendantPending);
}

// Five seconds off screen despawn an enemy unless it is kept or comes back into view.
TEST_F(EnemyTest, OffScreen)
{
    struct Case {
        const char* name;
        bool keep;
        bool backAt4;
        bool active;
    };
    const Case cases[] = {
        {"gone", false, false, false},
        {"kept", true, false, true},
        {"seen again", false, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BuildEnemies({{"test_enemy", EnemyPrototype("test_enemy", "idle = {}")}});
        EnemyController& e = Enemy();
        if (c.keep)
            e.m_nFlags |= eEnemyFlag_KeepOffscreen;
        e.OnBecameInvisible();
        Ticks(240);
        if (c.backAt4) {
            e.OnBecameVisible();
            e.OnBecameInvisible();
        }
        Ticks(70);
        EXPECT_EQ(Find("test_enemy")->IsActive(), c.active);
        EXPECT_EQ((e.m_nFlags & eEnemyFlag_Despawned) != 0, !c.active);
    }
}

// A knockback that ends sends the enemy to its initial state (not the one it was in), with its
// velocity reset.
TEST_F(EnemyTest, KnockbackEndGoesHome)
{
    BuildEnemies({{"test_enemy", EnemyPrototype("test_enemy", std::string("idle = { changeState = { { state = 'b',"
                                                                          " condition = ") +
                                                                  kAfterHalfSecond + " } } }, b = {}")}});
    Ticks(32);
    ASSERT_EQ(Enemy().m_nStateId, HashName("b"));
    Enemy().OnDamaged({100.0f, 100.0f}, 0.0f, 0, false);
    Ticks(20);
    EXPECT_EQ(Enemy().m_nStateId, HashName("idle"));
    EXPECT_FALSE(Enemy().m_bDead);
    const Kinematics& k = *Find("test_enemy")->GetKinematics();
    EXPECT_FLOAT_EQ(k.m_fVelX, 0.0f);
}

// A blown enemy knocks the one it touches back with one bounce, not blown; that one, touching a
// third, passes nothing on.
TEST_F(EnemyTest, BlownChainStops)
{
    BuildEnemies({{"test_a", EnemyPrototype("test_a", "idle = {}", "", 100.0f)},
                  {"test_b", EnemyPrototype("test_b", "idle = {}", "", 600.0f)},
                  {"test_c", EnemyPrototype("test_c", "idle = {}", "", 1100.0f)}});
    Enemy("test_a").OnDamaged({500.0f, 0.0f}, 2.0f, 3, true);
    CollisionInfo ab{Find("test_a"), 600, 300, 0, 0, 590, 300, 500, 0};
    Enemy("test_b").OnEnemyContact(ab);
    const KnockbackController& kb = *Enemy("test_b").m_pKnockback;
    EXPECT_TRUE(kb.IsEnabled());
    EXPECT_FALSE(kb.IsBlown());
    EXPECT_EQ(kb.GetBounces(), 1);
    EXPECT_FLOAT_EQ(kb.GetSpin(), 2.0f);
    CollisionInfo bc{Find("test_b"), 1100, 300, 0, 0, 1090, 300, 500, 0};
    Enemy("test_c").OnEnemyContact(bc);
    EXPECT_FALSE(Enemy("test_c").m_pKnockback->IsEnabled());
}

// The weighted pick: ranges in list order; the largest word lands in the last range that can be
// drawn; zero and negative rates are never drawn; a total of 0 or less picks word mod count.
// An enemy whose health runs out while it cannot fly (never knocked back, or with nothing to
// fly with) and touches nothing dies where it is, in the next frame.
TEST_F(EnemyTest, DeadWithoutAFlightDiesWhereItIs)
{
    struct Case {
        const char* name;
        int knockbackType;
        bool knockbackComponent;
    };
    const Case cases[] = {
        {"only blinks (type 1)", 1, true},
        {"only blinks (type 2)", 2, true},
        {"no knockback component", 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string enemy = EnemyPrototype("test_enemy", "idle = {}");
        enemy.replace(enemy.find("initState = 'idle'"), std::string("initState = 'idle'").size(),
                      "knockbackType = " + std::to_string(c.knockbackType) + ", initState = 'idle'");
        if (!c.knockbackComponent) {
            const std::string kb = "KnockbackController = { knockbackDuration = 0.2 },";
            enemy.erase(enemy.find(kb), kb.size());
        }
        BuildEnemies({{"test_enemy", enemy}});
        Tick();
        ASSERT_TRUE(Find("test_enemy")->IsActive());
        Enemy().OnDamaged({100.0f, 100.0f}, 0.0f, 1, true);
        Enemy().m_pHealth->m_nHealth = 0;
        Tick(0);
        Tick(0);
        EXPECT_FALSE(Find("test_enemy")->IsActive());
    }
}

TEST(EnemyPick, Weighted)
{
    struct Case {
        std::vector<int32_t> rates;
        uint32_t word;
        int32_t index;
    };
    const Case cases[] = {
        {{}, 7, -1},
        {{10, 20, 70}, 0, 0},
        {{10, 20, 70}, 0x20000000u, 1},      // r = 12.5
        {{10, 20, 70}, 0xFFFFFFFFu, 2},
        {{10, 20, 0}, 0xFFFFFFFFu, 1},
        {{0, 5}, 0, 1},
        {{-10, 20}, 0, 1},
        {{-10, 20}, 0xFFFFFFFFu, 1},
        {{0, 0, 0}, 5, 2},
        {{-3, 1}, 7, 1},
        {{INT32_MAX, INT32_MAX}, 0xFFFFFFFFu, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rates.size() << " " << c.word);
        EXPECT_EQ(PickWeighted(c.rates, c.word), c.index);
    }
}

// The drop's chance grows with the player's hurt: none at full health; the experience (with the
// player's ability 16) is saved up to the cap and its emitter appears at the enemy.
TEST_F(EnemyTest, DefeatRewards)
{
    struct Case {
        const char* name;
        int32_t health;        // of the player's 100
        uint32_t chanceWord;
        bool drop;
        int32_t abilityType;   // 16 on the player's accessory; 0 none
        uint32_t savedBefore;
        uint32_t savedAfter;
    };
    const Case cases[] = {
        {"full health", 100, 0, false, 0, 0, 50},
        {"half, inside", 50, 49, true, 0, 0, 50},
        {"half, outside", 50, 50, false, 0, 0, 50},
        {"none left", 0, 99, true, 0, 0, 50},
        {"ability doubles", 100, 0, false, 3, 0, 100},
        {"the cap", 100, 0, false, 0, 99999990u, 99999999u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestAccessories accessories;
        accessories.Set(16, c.abilityType, 1.0f);
        BuildEnemies({{"test_enemy", EnemyPrototype("test_enemy", "idle = {}",
                                                    "Inventory = { items = { { name = 'test_heart', rate = 1 } } },")}},
                     {{"test_heart", "test_heart = { object_name = 'heart', object_activity = 1,"
                                     "  components = { Transform = {} } }"},
                      {"gameobj_effect_experience_emitter",
                       "gameobj_effect_experience_emitter = { object_name = 'motes', object_activity = 1,"
                       "  components = { Transform = {} } }"}});
        StatusParameter* status = Player().m_pStatus;
        status->m_nAccessoryKey = HashName("accessory_TestRing");
        status->Refresh();
        Player().m_pHealth->m_nHealth = c.health;
        g_PlayerSaveData.m_nExperience = c.savedBefore;
        QueueWords({c.chanceWord, 0});
        Enemy().GrantDefeatRewards();
        EXPECT_EQ(CountNamed("heart"), c.drop ? 1 : 0);
        EXPECT_EQ(g_PlayerSaveData.m_nExperience, c.savedAfter);
        ASSERT_EQ(CountNamed("motes"), 1);
        EXPECT_FLOAT_EQ(WorldPosition(Find("motes")).x, 300.0f);
        m_pWorld.reset();
    }
}

// Entering a state the machine lacks, or having no machine, is named once per prototype and
// state however often a transition asks for it; the enemy keeps its state.
TEST_F(EnemyTest, MissingStateNamedOnce)
{
    testing::internal::CaptureStdout();
    BuildEnemies({{"test_lost", EnemyPrototype("test_lost", "idle = { changeState = { { state = 'gone', condition = { {} } } } }")},
                  {"test_bare", "test_bare = { object_name = 'test_bare', object_tag = 'Enemy', object_layer = 4,"
                                " object_activity = 1, components = { Transform = {}, EnemyController = { initState = 'a' } } }"}});
    Ticks(10);
    const std::string log = testing::internal::GetCapturedStdout();
    auto count = [&](const std::string& what) {
        int n = 0;
        for (size_t at = log.find(what); at != std::string::npos; at = log.find(what, at + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(count("\"test_lost\": its state machine has no state"), 1);
    EXPECT_EQ(count("\"test_bare\": it has no state machine"), 1);
    EXPECT_EQ(Enemy("test_lost").m_nStateId, HashName("idle"));
    EXPECT_EQ(Enemy("test_bare").m_pState, nullptr);
}

// A machine whose reading raises a Lua error (a failing metamethod) is left out with a logged
// error; the enemy is built and keeps still.
TEST_F(EnemyTest, MachineThatFailsToReadIsLeftOut)
{
    testing::internal::CaptureStdout();
    BuildEnemies({{"test_enemy", EnemyPrototype("test_enemy", "idle = {}") +
                                     "\nsetmetatable(test_enemy.components.EnemyController.stateMachine.idle,"
                                     " { __index = function() error('no such key') end })"}});
    Ticks(2);
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(g_EnemyStateMachineCache.Find(HashName("test_enemy")), nullptr);
    EXPECT_NE(log.find("test_enemy: its state machine cannot be read"), std::string::npos) << log;
    EXPECT_EQ(Enemy().m_pState, nullptr);
}
