#include "Components/Game/EnemyController.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <utility>

#include <lua.hpp>

#include "Components/Core/Collider.h"
#include "Components/Core/CollisionWorld.h"
#include "Components/Core/Kinematics.h"
#include "Components/Core/Renderer.h"
#include "Components/Core/SpriteRenderer.h"
#include "Components/Core/SteeringBehavior.h"
#include "Components/Game/AttemptDamageController.h"
#include "Components/Game/HealthController.h"
#include "Components/Game/ItemController.h"
#include "Components/Game/KnockbackController.h"
#include "Components/Game/MeleeHitController.h"
#include "Components/Game/QuestController.h"
#include "Components/Game/StatusParameter.h"
#include "System/Common/FrameCounter.h"
#include "System/Common/Log.h"
#include "System/Common/NameHash.h"
#include "System/Common/Random.h"
#include "System/Lua/LuaTableReader.h"
#include "World/DataTableLoader.h"
#include "World/GameObj.h"
#include "World/PlayerSaveData.h"
#include "World/SceneManager.h"

const ClassKey EnemyController::s_Class("EnemyController");
EnemyStateMachineCache g_EnemyStateMachineCache;

void (*g_pfnSetBulletOwner)(GameObj* attendant, GameObj* owner) = nullptr;

namespace {

const NameId kTerrainTag = HashName("Terrain");
const NameId kEnemyTag = HashName("Enemy");

// The velocity of an equal-mass elastic exchange along the line between the contact points;
// 0 when the points (nearly) coincide.
Vec2 ElasticExchange(const CollisionInfo& info)
{
    const float ex = info.otherPointX - info.pointX;
    const float ey = info.otherPointY - info.pointY;
    const float d2 = ex * ex + ey * ey;
    const float len = std::sqrt(d2);
    if (d2 < 1e-6f || len < 1e-6f)
        return {0.0f, 0.0f};
    const float nx = ex / len;
    const float ny = ey / len;
    const float dot = (info.vectorX - info.otherVectorX) * nx + (info.vectorY - info.otherVectorY) * ny;
    return {info.vectorX - dot * nx, info.vectorY - dot * ny};
}

} // namespace

float HealthShare(int32_t health, int32_t maxHealth)
{
    return maxHealth != 0 ? static_cast<float>(health) / static_cast<float>(maxHealth) : 0.0f;
}

const EnemyStateMachine* EnemyStateMachineCache::Find(NameId prototype) const
{
    auto it = m_Machines.find(prototype);
    return it == m_Machines.end() ? nullptr : &it->second;
}

void EnemyStateMachineCache::Insert(NameId prototype, EnemyStateMachine&& machine)
{
    m_Machines[prototype] = std::move(machine);
}

void LoadEnemyState(lua_State* L, EnemyStateDef& state)
{
    WithTableField(L, "enterState", [&] {
        const std::string clip = LuaGetStringField(L, "animationName");
        state.clip = clip.empty() ? 0 : HashName(clip);
        state.threatRange = LuaGetFloatField(L, "threatRange");
        WithTableField(L, "attendantObject", [&] {
            state.attendantDelay = LuaGetFloatField(L, "delay");
            state.attendantName = LuaGetStringField(L, "name");
        });
    });
    WithTableField(L, "steeringBehavior", [&] {
        ForEachTableItem(L, [&](int) {
            SteeringEntry entry;
            entry.behaviorType = LuaGetIntField(L, "behaviorType");
            lua_getfield(L, -1, "weight");
            const bool hasWeight = !lua_isnil(L, -1);
            lua_pop(L, 1);
            if (hasWeight)
                entry.weight = LuaGetFloatField(L, "weight");
            entry.target = LuaGetIntField(L, "target");
            WithTableField(L, "crosshair", [&] {
                entry.crosshair.x = LuaGetFloatField(L, "x");
                entry.crosshair.y = LuaGetFloatField(L, "y");
            });
            state.steering.push_back(entry);
        });
    });
    WithTableField(L, "changeState", [&] {
        ForEachTableItem(L, [&](int) {
            EnemyTransition transition;
            const std::string target = LuaGetStringField(L, "state");
            transition.target = HashName(target);
            lua_getfield(L, -1, "condition");
            ConditionSet::Load(L, transition.condition);
            lua_pop(L, 1);
            state.transitions.push_back(std::move(transition));
        });
    });
}

void LoadEnemyStateMachine(const std::string& prototype, EnemyStateMachineCache& cache, lua_State* L)
{
    if (!L)
        return;
    EnemyStateMachine machine;
    bool found = false;
    std::string error;
    // Data can make a read raise a Lua error; it comes back here as a message, not a panic.
    const bool read = LuaReadProtected(
        L,
        [&](lua_State* R) {
            lua_pushglobaltable(R);
            lua_getfield(R, -1, prototype.c_str());
            if (!lua_istable(R, -1) || !LuaPushPath(R, "components.EnemyController.stateMachine") ||
                !lua_istable(R, -1))
                return;
            found = true;
            const int table = lua_gettop(R);
            lua_pushnil(R);
            while (lua_next(R, table) != 0) {
                if (lua_type(R, -2) == LUA_TSTRING && lua_istable(R, -1)) {
                    const std::string key = LuaGetKeyString(R);
                    EnemyStateDef state;
                    LoadEnemyState(R, state);
                    machine[HashName(key)] = std::move(state);
                } else {
                    LOG_ERROR << "Prototype " << prototype
                              << ": a state machine entry is not a named table; it is passed over.";
                }
                lua_pop(R, 1);
            }
        },
        error);
    if (!read) {
        LOG_ERROR << "Prototype " << prototype << ": its state machine cannot be read (" << error
                  << "); the enemy has none.";
        return;
    }
    if (found)
        cache.Insert(HashName(prototype), std::move(machine));
}

EnemyController::EnemyController(GameObj* owner) : ActorController(owner, s_Class) {}

bool EnemyController::Load(lua_State* L)
{
    if (!ActorController::Load(L))
        return false;
    const std::string init = LuaGetStringField(L, "initState");
    m_nInitState = HashName(init);
    const std::string message = LuaGetStringField(L, "attackedMessage");
    m_nAttackMessage = message.empty() ? 0 : HashName(message);
    return true;
}

bool EnemyController::IsKindOf(TypeKey key) const { return key == s_Class.Key || key == ActorController::s_Class.Key; }

void EnemyController::Start()
{
    ActorController::Start();
    // Made here, not at attach: a stage's objects attach while the previous stage is the root.
    m_Context.m_pObject = GetOwner();
    m_Context.m_pQuestController = m_pQuestController;
    if (m_pRenderer && !m_pRenderer->HasFlags(eComponentFlag_Visible))
        m_nFlags |= eEnemyFlag_Offscreen;
    m_pHealthBar = static_cast<SlideBarRenderer*>(GetOwner()->GetComponentInChildren(SlideBarRenderer::s_Class.Key));
    EnterState(m_nInitState);
}

void EnemyController::PhysicsUpdate()
{
    if ((m_nFlags & eEnemyFlag_ResetVelocity) && m_pKinematics) {
        m_pKinematics->m_fVelX = 0.0f;
        m_pKinematics->m_fVelY = 0.0f;
        m_nFlags &= ~eEnemyFlag_ResetVelocity;
    }
}

void EnemyController::EnterState(NameId id)
{
    const EnemyStateMachine* machine = g_EnemyStateMachineCache.Find(GetOwner()->GetPrototypeNameId());
    const EnemyStateDef* state = nullptr;
    if (machine) {
        auto it = machine->find(id);
        if (it != machine->end())
            state = &it->second;
    }
    if (!state) {
        // A transition that holds every frame would repeat this every frame: once is enough.
        static std::set<std::pair<NameId, NameId>> s_Reported;
        if (s_Reported.emplace(GetOwner()->GetPrototypeNameId(), id).second)
            LOG_ERROR << "EnemyController of \"" << GetOwner()->GetPrototypeName() << "\": "
                      << (machine ? "its state machine has no state " + std::to_string(id)
                                  : std::string("it has no state machine"))
                      << "; it keeps its state.";
        return;
    }
    m_pState = state;
    m_nStateId = id;
    PlayAnimation(state->clip);
    SetUpSteering(*state);
    if (!state->attendantName.empty())
        m_nFlags |= eEnemyFlag_AttendantPending;
    else
        m_nFlags &= ~eEnemyFlag_AttendantPending;
    m_fAttendantTimer = 0.0f;
    m_fStateTime = 0.0f;
}

void EnemyController::SetUpSteering(const EnemyStateDef& state)
{
    ZEV::SteeringBehavior* steering = m_pKinematics ? m_pKinematics->GetSteering() : nullptr;
    if (!steering)
        return;
    steering->m_nFlags = 0;
    steering->m_fThreatRangeSq = state.threatRange * state.threatRange;
    QuestController* quest = m_pQuestController;
    for (const SteeringEntry& entry : state.steering) {
        GameObj* targetObject = nullptr;
        Vec2 point = {steering->m_fTargetX, steering->m_fTargetY};
        switch (entry.target) {
        case eSteerTarget_Self: targetObject = GetOwner(); break;
        case eSteerTarget_Player: targetObject = quest ? quest->m_pPlayerObj : nullptr; break;
        case eSteerTarget_Second: targetObject = quest ? quest->m_pSecondObj : nullptr; break;
        case eSteerTarget_Point: point = entry.crosshair; break;
        default: break;
        }
        const Kinematics* body = targetObject ? targetObject->GetKinematics() : nullptr;
        if (entry.target == eSteerTarget_Self || entry.target == eSteerTarget_Player ||
            entry.target == eSteerTarget_Second) {
            if (body)
                point = {body->m_fPosX + entry.crosshair.x, body->m_fPosY + entry.crosshair.y};
            else if (targetObject)
                point = {WorldPosition(targetObject).x + entry.crosshair.x,
                         WorldPosition(targetObject).y + entry.crosshair.y};
        }
        if (entry.behaviorType < eSteerEntry_Seek || entry.behaviorType > eSteerEntry_Evade)
            continue;
        const uint32_t flag = 1u << entry.behaviorType;
        steering->m_nFlags |= flag;
        steering->m_afWeights[entry.behaviorType] = entry.weight;
        switch (entry.behaviorType) {
        case eSteerEntry_Seek:
        case eSteerEntry_Flee:
        case eSteerEntry_Arrive:
            steering->m_fTargetX = point.x;
            steering->m_fTargetY = point.y;
            break;
        case eSteerEntry_Pursuit:
        case eSteerEntry_Evade:
            steering->m_nAgent1Id = targetObject && targetObject->GetKinematics() ? targetObject->GetId() : -1;
            break;
        default: break;
        }
    }
}

void EnemyController::SpawnAttendant()
{
    m_fAttendantTimer += GetAppDeltaTime();
    if (m_fAttendantTimer < m_pState->attendantDelay || m_pState->attendantName.empty() || !g_pSceneManager)
        return;
    GameObj* attendant = g_pSceneManager->Instantiate(m_pState->attendantName, g_pSceneManager->GetRoot(), nullptr);
    if (!attendant)
        return;
    if (g_pfnSetBulletOwner)
        g_pfnSetBulletOwner(attendant, GetOwner());
    if (auto* melee = static_cast<MeleeHitController*>(attendant->GetComponent(MeleeHitController::s_Class.Key))) {
        melee->BindOwner(GetOwner());
        HoldObject(attendant);
    }
    m_nFlags &= ~eEnemyFlag_AttendantPending;
}

void EnemyController::Update()
{
    const float dt = GetAppDeltaTime();
    if ((m_nFlags & eEnemyFlag_Offscreen) && !(m_nFlags & eEnemyFlag_KeepOffscreen)) {
        m_fOffscreenTime += dt;
        if (m_fOffscreenTime >= kEnemyOffscreenLimit) {
            m_nFlags |= eEnemyFlag_Despawned;
            GetOwner()->Deactivate();
            return;
        }
    }
    // One that never flies (it only blinks, or has nothing to fly with) has no landing to die
    // on: at 0 hit points it dies where it is.
    const bool flies = m_pKnockback && m_nKnockbackType == 0;
    if (!flies && m_pHealth && m_pHealth->m_nHealth < 1)
        m_bDead = true;
    if (m_bDead) {
        GetOwner()->Deactivate();
    } else if (m_pKnockback && m_pKnockback->IsEnabled()) {
        if (m_pKnockback->IsFinished()) {
            OnKnockbackEnd();
            EnterState(m_nInitState);
            m_nFlags |= eEnemyFlag_ResetVelocity;
            m_bDead = m_pHealth && m_pHealth->m_nHealth < 1;
        }
    } else if (m_pState) {
        m_fStateTime += dt;
        for (const EnemyTransition& transition : m_pState->transitions) {
            if (transition.condition.Evaluate(m_Context)) {
                EnterState(transition.target);
                break;
            }
        }
        if (m_nFlags & eEnemyFlag_AttendantPending)
            SpawnAttendant();
        if (m_pKinematics && m_pKinematics->m_fSpeed >= 50.0f) {
            if (m_pKinematics->m_fVelX > 0.0f)
                SetFacing(true);
            else if (m_pKinematics->m_fVelX < 0.0f)
                SetFacing(false);
        }
    }
    if (m_pHealthBar)
        m_pHealthBar->SetFillRatio(m_pHealth ? HealthShare(m_pHealth->m_nHealth, m_pHealth->m_nMaxHealth) : 0.0f);
}

void EnemyController::OnCollisionEnter(const CollisionInfo& info)
{
    if ((m_pKnockback && m_pKnockback->IsEnabled()) || !info.other)
        return;
    if (info.other->GetTag() == kTerrainTag) {
        if (Collider* c = info.other->GetCollider(); c && c->GetShape() == eColliderShape_Segment)
            OnTerrainContact(*static_cast<SegmentCollider*>(c), info);
    } else if (info.other->GetTag() == kEnemyTag) {
        OnEnemyContact(info);
    }
}

void EnemyController::OnCollisionStay(const CollisionInfo& info) { OnCollisionEnter(info); }

void EnemyController::OnBecameVisible()
{
    m_nFlags &= ~eEnemyFlag_Offscreen;
    m_fOffscreenTime = 0.0f;
}

void EnemyController::OnBecameInvisible()
{
    m_nFlags |= eEnemyFlag_Offscreen;
    m_fOffscreenTime = 0.0f;
}

void EnemyController::OnTerrainContact(const SegmentCollider& segment, const CollisionInfo& info)
{
    if (!m_pKinematics)
        return;
    Kinematics& k = *m_pKinematics;
    if (std::fabs(segment.GetDirectionX()) < 1e-6f) {
        k.m_fVelX = info.vectorX;
        k.m_fPosX = info.pointX;
    } else if (info.pointY > k.m_fPosY) {
        k.m_fPosY = info.pointY;
        k.m_fVelY = info.vectorY;
    }
    m_bDead = HealthGone();
}

void EnemyController::OnEnemyContact(const CollisionInfo& info)
{
    const ActorController* other = info.other->GetActorController();
    const KnockbackController* knockback = other ? other->m_pKnockback : nullptr;
    if (knockback && knockback->IsEnabled() && !knockback->IsFinished() && knockback->IsBlown())
        OnDamaged(ElasticExchange(info), knockback->GetSpin(), 1, false);
    m_bDead = m_pHealth && m_pHealth->m_nHealth < 1;
}

void EnemyController::GrantDefeatRewards()
{
    if (!g_pSceneManager)
        return;
    const Vec2 at = WorldPosition(GetOwner());
    const QuestController* quest = FindRootQuestController();
    const ActorController* player =
        quest && quest->m_pPlayerObj ? quest->m_pPlayerObj->GetActorController() : nullptr;
    if (auto* inventory = static_cast<Inventory*>(GetOwner()->GetComponent(Inventory::s_Class.Key))) {
        // Without a registered player there is no hurt to weigh: no drop.
        if (player && player->m_pHealth) {
            const float share = HealthShare(player->m_pHealth->m_nHealth, player->m_pHealth->m_nMaxHealth);
            const float raw = std::trunc((1.0f - share) * 100.0f + 0.5f);
            const uint32_t chance = static_cast<uint32_t>(std::clamp(raw, 0.0f, 100.0f));
            if (RandomNext() % 100 < chance) {
                const std::string name = inventory->Pick();
                if (!name.empty())
                    g_pSceneManager->Spawn(name, g_pSceneManager->GetRoot(), at.x, at.y);
            }
        }
    }
    float experience = m_pStatus ? static_cast<float>(m_pStatus->m_nExperience) : 0.0f;
    if (player && player->m_pStatus)
        experience = player->m_pStatus->ApplyAbility(16, experience);
    const int32_t e = SaturateToInt32(std::trunc(experience));
    if (e > 0)
        g_PlayerSaveData.AddExperience(static_cast<uint32_t>(e));
    g_pSceneManager->Spawn("gameobj_effect_experience_emitter", g_pSceneManager->GetRoot(), at.x, at.y);
}
