// The enemies' fighter: its behaviour is a state machine from data (clip, steering, an
// attendant spawned after a delay, guarded transitions), parsed once per prototype into a
// cache. It also despawns enemies left off screen, keeps their health bar, reacts to terrain and
// to blown fellow enemies, and pays the rewards of a defeat.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "Components/Game/ActorController.h"
#include "World/Condition.h"

class SlideBarRenderer;
class SegmentCollider;

enum SteeringEntryType : int32_t {
    eSteerEntry_Seek = 0,
    eSteerEntry_Flee,
    eSteerEntry_Arrive,
    eSteerEntry_Wander,
    eSteerEntry_Pursuit,
    eSteerEntry_Evade,
};

enum SteeringTargetKind : int32_t {
    eSteerTarget_None = 0,
    eSteerTarget_Self = 1,
    eSteerTarget_Player = 2,
    eSteerTarget_Second = 3,
    eSteerTarget_Point = 4,
};

struct SteeringEntry {
    int32_t behaviorType = 0;
    float weight = 1.0f;
    int32_t target = 0;
    Vec2 crosshair = {0.0f, 0.0f};
};

struct EnemyTransition {
    NameId target = 0;
    ConditionSet condition;
};

struct EnemyStateDef {
    NameId clip = 0;
    float threatRange = 0.0f;
    float attendantDelay = 0.0f;
    std::string attendantName;
    std::vector<SteeringEntry> steering;
    std::vector<EnemyTransition> transitions;
};

typedef std::unordered_map<NameId, EnemyStateDef> EnemyStateMachine;

class EnemyStateMachineCache {
public:
    const EnemyStateMachine* Find(NameId prototype) const;
    void Insert(NameId prototype, EnemyStateMachine&& machine);
    void Destroy() { m_Machines.clear(); }
    size_t GetCount() const { return m_Machines.size(); }

private:
    std::unordered_map<NameId, EnemyStateMachine> m_Machines;
};

extern EnemyStateMachineCache g_EnemyStateMachineCache;

// Reads the machine of the prototype's global table (components.EnemyController.stateMachine)
// from the thread's globals into the cache; a prototype without one adds nothing. A state
// whose table is malformed is read as far as it goes; the states keep Lua's key order.
void LoadEnemyStateMachine(const std::string& prototype, EnemyStateMachineCache& cache, lua_State* L);
// Reads one state's table (on top of the stack).
void LoadEnemyState(lua_State* L, EnemyStateDef& state);

enum EnemyFlag : uint32_t {
    eEnemyFlag_Offscreen = 0x1,
    eEnemyFlag_KeepOffscreen = 0x2,
    eEnemyFlag_ResetVelocity = 0x4,
    eEnemyFlag_AttendantPending = 0x8,
    eEnemyFlag_Despawned = 0x10,
};

// Seconds off screen after which an enemy leaves.
constexpr float kEnemyOffscreenLimit = 5.0f;

class EnemyController : public ActorController {
public:
    static const ClassKey s_Class;

    explicit EnemyController(GameObj* owner);

    // The actor's keys, "initState", "attackedMessage".
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    int32_t GetSide() const override { return 1; }
    // The actor's start, the condition context, off-screen flag, health bar, initial state.
    void Start() override;
    void PhysicsUpdate() override;
    void Update() override;
    void OnCollisionEnter(const CollisionInfo& info) override;
    void OnCollisionStay(const CollisionInfo& info) override;
    void OnBecameVisible() override;
    void OnBecameInvisible() override;

    // Plays the state's clip, sets the steering up and arms its attendant. A state the machine
    // lacks (or no machine) is named once per prototype and state; the enemy keeps its state.
    void EnterState(NameId id);
    void OnTerrainContact(const SegmentCollider& segment, const CollisionInfo& info);
    void OnEnemyContact(const CollisionInfo& info);
    // The drop (likelier the more the player is hurt) and the experience of this enemy.
    void GrantDefeatRewards();

    const EnemyStateDef* m_pState = nullptr;
    NameId m_nStateId = 0;
    ConditionContext m_Context;
    NameId m_nInitState = 0;
    uint32_t m_nFlags = 0;
    float m_fAttendantTimer = 0.0f;
    float m_fStateTime = 0.0f;
    float m_fOffscreenTime = 0.0f;
    uint32_t m_nAttackMessage = 0;
    SlideBarRenderer* m_pHealthBar = nullptr;

private:
    void SetUpSteering(const EnemyStateDef& state);
    void SpawnAttendant();
};

// Hands an attendant's bullet pattern its owner enemy; set by the bullet patterns when they
// exist (null: attendants get no owner of that kind).
extern void (*g_pfnSetBulletOwner)(GameObj* attendant, GameObj* owner);

// The health share for bars and chances, in float; a maximum of 0 gives 0.
float HealthShare(int32_t health, int32_t maxHealth);
