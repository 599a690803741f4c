#include "Components/Game/PlayerController.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include <lua.hpp>

#include "Components/Core/Camera2D.h"
#include "Components/Core/Collider.h"
#include "Components/Core/CollisionWorld.h"
#include "Components/Core/Kinematics.h"
#include "Components/Game/HealthController.h"
#include "Components/Game/InvincibleController.h"
#include "Components/Game/KnockbackController.h"
#include "Components/Game/MeleeHitController.h"
#include "Components/Game/PlayerPad.h"
#include "Components/Game/PlayerStates.h"
#include "Components/Game/PowerController.h"
#include "Components/Game/QuestController.h"
#include "Components/Game/StatusParameter.h"
#include "Components/Game/TalkChannel.h"
#include "System/Common/FrameCounter.h"
#include "System/Common/Log.h"
#include "System/Lua/LuaTableReader.h"
#include "System/Sound/SoundManager.h"
#include "World/GameObj.h"
#include "World/MessageManager.h"
#include "World/SceneManager.h"
#include "World/Transform.h"

const ClassKey PlayerController::s_Class("PlayerController");

namespace {

const NameId kTerrainTag = HashName("Terrain");

bool InState(int32_t s, std::initializer_list<int32_t> states)
{
    for (int32_t x : states)
        if (s == x)
            return true;
    return false;
}

} // namespace

PlayerController::PlayerController(GameObj* owner) : ActorController(owner, s_Class) {}

PlayerController::~PlayerController() { DestroyStates(); }

bool PlayerController::Load(lua_State* L)
{
    if (!ActorController::Load(L))
        return false;
    const std::string& proto = GetOwner()->GetPrototypeName();
    if (LuaPushTableField(L, "run")) {
        m_fRunSpeed = LuaGetFloatField(L, "speed");
        m_fRunDrag = LuaGetFloatField(L, "drag");
        m_fRunThreshold = LuaGetFloatField(L, "threshold");
        m_fCurrentRunSpeed = m_fRunSpeed;
        lua_pop(L, 1);
    }
    if (LuaPushTableField(L, "step")) {
        m_fStepSpeed = LuaGetFloatField(L, "speed");
        m_fStepDrag = LuaGetFloatField(L, "drag");
        m_fStepThreshold = LuaGetFloatField(L, "threshold");
        m_fStepDuration = LuaGetFloatField(L, "duration");
        lua_pop(L, 1);
    }
    if (LuaPushTableField(L, "dash")) {
        m_fDashSpeed = LuaGetFloatField(L, "speed");
        m_fDashDrag = LuaGetFloatField(L, "drag");
        m_fDashBrakingDrag = LuaGetFloatField(L, "brakingDrag");
        m_fDashThreshold = LuaGetFloatField(L, "threshold");
        m_fDashDuration = LuaGetFloatField(L, "duration");
        lua_pop(L, 1);
    }
    if (LuaPushTableField(L, "slash")) {
        m_fSlashAccel = LuaGetFloatField(L, "accel");
        m_fSlashSpeed = LuaGetFloatField(L, "speed");
        m_fSlashDuration = LuaGetFloatField(L, "duration");
        m_fSlashRotation = LuaGetFloatField(L, "rotation") * 0.017453292f;
        m_fSlashBlurInterval = LuaGetFloatField(L, "blurInterval");
        lua_pop(L, 1);
    }
    if (LuaPushTableField(L, "turnedSlash")) {
        m_fTurnedSlashDrag = LuaGetFloatField(L, "drag");
        m_fTurnedSlashThreshold = LuaGetFloatField(L, "threshold");
        m_fTurnedSlashAccel = LuaGetFloatField(L, "accel");
        m_fTurnedSlashSpeed = LuaGetFloatField(L, "speed");
        m_fTurnedSlashDuration = LuaGetFloatField(L, "duration");
        m_fTurnedSlashBlurInterval = LuaGetFloatField(L, "blurInterval");
        lua_pop(L, 1);
    }
    if (LuaPushTableField(L, "powerCosts")) {
        m_fSlashCost = LuaGetFloatField(L, "slash");
        m_fTurnedSlashCost = LuaGetFloatField(L, "turnedSlash");
        m_fHomingCost = LuaGetFloatField(L, "homing");
        m_fVardekiCost = LuaGetFloatField(L, "vardeki");
        lua_pop(L, 1);
    }
    if (LuaHasField(L, "jumpHeight")) {
        const float height = LuaGetFloatField(L, "jumpHeight") * 100.0f;
        if (height >= 0.0f) {
            m_fJumpSpeed = static_cast<float>(std::sqrt(static_cast<double>(kPlayerGravity) * 2.0 * height));
        } else {
            LOG_ERROR << "PlayerController of \"" << proto << "\": jumpHeight " << height / 100.0f
                      << " is negative; the player cannot jump.";
            m_fJumpSpeed = 0.0f;
        }
    }
    if (LuaHasField(L, "maxAirActionCount"))
        m_nMaxAirActions = m_nAirActions = LuaGetIntField(L, "maxAirActionCount");
    if (LuaHasField(L, "noticeLongWaitTime"))
        m_fLongWaitLimit = LuaGetFloatField(L, "noticeLongWaitTime");
    m_TurnedSlashShockwaveEffect = LuaGetStringField(L, "turnedSlashShockwaveEffect");
    m_fTurnedSlashShockwaveInterval = LuaGetFloatField(L, "turnedSlashShockwaveInterval");
    return true;
}

bool PlayerController::Attach()
{
    // Registering with the root's quest controller waits for Start: while a stage is built,
    // the root is still the stage being left.
    return ActorController::Attach();
}

void PlayerController::Detach()
{
    QuestController* quest = FindRootQuestController();
    if (m_bRegistered && quest && quest == m_pQuestController && quest->m_pPlayerObj == GetOwner())
        quest->m_pPlayerObj = nullptr;
    m_bRegistered = false;
    // The Transform may have gone before this component (components go in list order), so the
    // pointer taken at Start is what the camera is compared with.
    if (Camera2D* camera = g_CameraRegistry.Find(GameCameraTag()))
        if (camera->GetTarget() && camera->GetTarget() == m_pTransform)
            camera->SetTarget(nullptr);
    DestroyStates();
    ActorController::Detach();
}

bool PlayerController::IsKindOf(TypeKey key) const { return key == s_Class.Key || key == ActorController::s_Class.Key; }

float PlayerController::CostFromDivisor(float divisor, const char* key) const
{
    const float maxPower = m_pPower ? static_cast<float>(m_pPower->m_nMaxPower) : 0.0f;
    if (divisor > 0.0f)
        return maxPower / divisor;
    // A divisor of 0 would make the cost infinite (or NaN), which no gauge can be compared with.
    LOG_WARNING << "PlayerController of \"" << GetOwner()->GetPrototypeName() << "\": powerCosts \"" << key
                << "\" is " << divisor << "; that action costs nothing.";
    return 0.0f;
}

void PlayerController::Start()
{
    ActorController::Start();
    if (m_pQuestController) {
        m_pQuestController->m_pPlayerObj = GetOwner();
        m_bRegistered = true;
    }
    m_fSlashCost = CostFromDivisor(m_fSlashCost, "slash");
    m_fTurnedSlashCost = CostFromDivisor(m_fTurnedSlashCost, "turnedSlash");
    m_fHomingCost = CostFromDivisor(m_fHomingCost, "homing");
    m_fVardekiCost = CostFromDivisor(m_fVardekiCost, "vardeki");
    CreateStates();
    m_pState = nullptr;
    ChangeState(ePlayerState_Stand);
    if (Camera2D* camera = g_CameraRegistry.Find(GameCameraTag())) {
        if (m_bHomeStage) {
            camera->SetPosition(512.0f, 256.0f);
            SetFacing(false);
        } else {
            camera->SetTarget(m_pTransform);
        }
    }
    if (m_pStatus) {
        m_nMaxAirActions = LuaTruncateToInt32(m_pStatus->ApplyAbility(eAbility_AirActions, static_cast<float>(m_nMaxAirActions)));
        m_nAirActions = LuaTruncateToInt32(m_pStatus->ApplyAbility(eAbility_AirActions, static_cast<float>(m_nAirActions)));
        m_fDashDuration = m_pStatus->ApplyAbility(eAbility_DashDuration, m_fDashDuration);
    }
    StopAfterimage();
}

void PlayerController::CreateStates()
{
    DestroyStates();
    m_ppStates = new IPlayerState*[ePlayerState_max]();
    m_ppStates[ePlayerState_Stand] = new StandState;
    m_ppStates[ePlayerState_TakeDamage] = new TakeDamgeState;
    m_ppStates[ePlayerState_Run] = new RunState;
    m_ppStates[ePlayerState_Sit] = new SitState;
    m_ppStates[ePlayerState_Jump] = new JumpState;
    m_ppStates[ePlayerState_Drop] = new DropState;
    m_ppStates[ePlayerState_Step] = new StepState;
    m_ppStates[ePlayerState_Dash] = new DashState;
    m_ppStates[ePlayerState_Gliding] = new GlidingState;
    m_ppStates[ePlayerState_Homing] = new HomingState;
    m_ppStates[ePlayerState_Attack] = new AttackState;
    m_ppStates[ePlayerState_Blow] = new BlowState;
    m_ppStates[ePlayerState_Slash] = new SlashState;
    m_ppStates[ePlayerState_TurnedSlash] = new TurnedSlashState;
    m_ppStates[ePlayerState_Vardeki] = new VardekiState;
}

void PlayerController::DestroyStates()
{
    if (!m_ppStates)
        return;
    for (int i = 0; i < ePlayerState_max; ++i)
        delete m_ppStates[i];
    delete[] m_ppStates;
    m_ppStates = nullptr;
    m_pState = m_pPrevState = nullptr;
}

void PlayerController::ChangeState(int32_t id)
{
    IPlayerState* next = (id >= 0 && id < ePlayerState_max) ? GetState(id) : nullptr;
    if (!next)
        return;
    if (m_pState)
        m_pState->Exit(*this);
    m_pPrevState = m_pState;
    m_pState = next;
    m_pState->Enter(*this);
}

int32_t PlayerController::GetStateId() const { return m_pState ? m_pState->GetStateId() : -1; }

float PlayerController::GetSlashCost() const
{
    return m_pStatus ? m_pStatus->ApplyAbility(eAbility_SlashCost, m_fSlashCost) : m_fSlashCost;
}
float PlayerController::GetTurnedSlashCost() const
{
    return m_pStatus ? m_pStatus->ApplyAbility(eAbility_TurnedSlashCost, m_fTurnedSlashCost) : m_fTurnedSlashCost;
}
float PlayerController::GetHomingCost() const
{
    return m_pStatus ? m_pStatus->ApplyAbility(eAbility_HomingCost, m_fHomingCost) : m_fHomingCost;
}
float PlayerController::GetVardekiCost() const
{
    return m_pStatus ? m_pStatus->ApplyAbility(eAbility_VardekiCost, m_fVardekiCost) : m_fVardekiCost;
}

bool PlayerController::HasPower(float cost) const
{
    return m_pPower && m_pPower->m_nPower >= LuaTruncateToInt32(m_pPower->m_fPending + cost);
}

void PlayerController::SpendPower(float amount)
{
    if (!m_pPower)
        return;
    m_pPower->m_fPending += amount;
    const int32_t whole = LuaTruncateToInt32(m_pPower->m_fPending);
    if (whole != 0) {
        const int64_t power = static_cast<int64_t>(m_pPower->m_nPower) - whole;
        m_pPower->m_nPower = static_cast<int32_t>(std::clamp<int64_t>(power, 0, std::max(m_pPower->m_nMaxPower, 0)));
        m_pPower->m_fPending -= static_cast<float>(whole);
    }
}

void PlayerController::PhysicsUpdate()
{
    if (!(m_pKnockback && m_pKnockback->IsEnabled()) && m_pState)
        m_pState->UpdateMovement(*this);
    m_bGrounded = false;
}

void PlayerController::ReadPad()
{
    const PlayerPadMasks pad = ReadPlayerPad();
    m_nHeld = pad.current;
    m_nPressed = pad.current & ~pad.previous;
    const uint32_t lr = m_nHeld & (ePadBit_Left | ePadBit_Right);
    m_nHorizontal = lr == ePadBit_Left ? -1 : lr == ePadBit_Right ? 1 : 0;
    const uint32_t ud = m_nHeld & (ePadBit_Up | ePadBit_Down);
    m_nVertical = ud == ePadBit_Up ? 1 : ud == ePadBit_Down ? -1 : 0;
}

void PlayerController::Die()
{
    GameObj* owner = GetOwner();
    owner->Deactivate();
    if (m_pInvincible)
        m_pInvincible->PushMask();
    if (g_pSceneManager && !m_strDeadEffect.empty()) {
        const Vec2 p = WorldPosition(owner);
        if (!g_pSceneManager->Spawn(m_strDeadEffect, g_pSceneManager->GetRoot(), p.x, p.y))
            LOG_ERROR << "PlayerController of \"" << owner->GetPrototypeName() << "\": deadEffect \""
                      << m_strDeadEffect << "\" names no prototype.";
    }
}

void PlayerController::Update()
{
    // A target hit after this player's last frame may have been deleted since.
    DropLostHomingTarget();
    if (m_pHealth && m_pHealth->m_nHealth < 1)
        m_bDead = true;
    if (m_bDead) {
        Die();
        return;
    }
    if (m_pKnockback && m_pKnockback->IsEnabled()) {
        if (m_pKnockback->IsFinished()) {
            OnKnockbackEnd();
            ChangeState(m_bGrounded ? ePlayerState_Stand : ePlayerState_Drop);
        }
        return;
    }
    ReadPad();
    if (m_nHeld == 0) {
        m_fLongWaitTimer += GetAppRawDeltaTime();
        if (m_fLongWaitTimer >= m_fLongWaitLimit) {
            TalkOnLongWait();
            m_fLongWaitTimer = 0.0f;
        }
    } else {
        m_fLongWaitTimer = 0.0f;
    }
    if (m_pState) {
        const int32_t next = m_pState->NextState(*this);
        if (next >= 0)
            ChangeState(next);
    }
    const uint32_t directions = ePadBit_Up | ePadBit_Down | ePadBit_Left | ePadBit_Right;
    if (!(m_nHeld & directions) || !(m_nHeld & ePadBit_Step))
        m_bStepReady = true;
    if (!(m_nHeld & directions) || !(m_nHeld & ePadBit_Slash))
        m_bSlashReady = true;

    if (m_pKinematics && m_pKinematics->m_fVelY < 0.0f &&
        InState(GetStateId(), {ePlayerState_Stand, ePlayerState_TakeDamage, ePlayerState_Run, ePlayerState_Sit,
                               ePlayerState_Jump, ePlayerState_Dash}))
        ChangeState(ePlayerState_Drop);
    if (m_nHorizontal != 0 && GetStateId() == ePlayerState_Stand)
        ChangeState(ePlayerState_Run);
    if (m_bHomeStage)
        return;
    if ((m_nHeld & ePadBit_Step) && m_nHorizontal != 0 && m_bStepReady &&
        InState(GetStateId(), {ePlayerState_Stand, ePlayerState_Run, ePlayerState_Jump, ePlayerState_Drop,
                               ePlayerState_Gliding})) {
        bool allowed = true;
        if (!m_bGrounded) {
            allowed = m_nAirActions > 0;
            if (allowed)
                --m_nAirActions;
        }
        if (allowed) {
            ChangeState(ePlayerState_Step);
            m_bStepReady = false;
        }
    }
    if ((m_nHeld & ePadBit_Glide) && !m_bGrounded && InState(GetStateId(), {ePlayerState_Jump, ePlayerState_Drop}))
        ChangeState(ePlayerState_Gliding);
    if (m_nVertical == -1 && InState(GetStateId(), {ePlayerState_Stand, ePlayerState_Run}))
        ChangeState(ePlayerState_Sit);
    if (m_nPressed & ePadBit_Jump) {
        const int32_t s = GetStateId();
        if (InState(s, {ePlayerState_Stand, ePlayerState_Run})) {
            --m_nAirActions;
            ChangeState(ePlayerState_Jump);
        } else if (InState(s, {ePlayerState_Jump, ePlayerState_Drop, ePlayerState_Step, ePlayerState_Dash,
                               ePlayerState_Gliding})) {
            if (m_bGrounded) {
                ChangeState(ePlayerState_Jump);
            } else if (m_nAirActions > 0) {
                --m_nAirActions;
                ChangeState(ePlayerState_Jump);
            }
        }
    }
    if ((m_nPressed & ePadBit_Homing) && m_pPower &&
        !InState(GetStateId(), {ePlayerState_Homing, ePlayerState_Vardeki}) && HasPower(GetHomingCost()))
        ChangeState(ePlayerState_Homing);
    const int32_t s = GetStateId();
    if (InState(s, {ePlayerState_TakeDamage, ePlayerState_Blow, ePlayerState_Slash, ePlayerState_TurnedSlash,
                    ePlayerState_Vardeki}))
        return;
    if (s == ePlayerState_Attack) {
        if (m_nPressed & ePadBit_Blow)
            ChangeState(ePlayerState_Blow);
        return;
    }
    if (m_nPressed & ePadBit_Attack) {
        ChangeState(ePlayerState_Attack);
    } else if (m_nPressed & ePadBit_Blow) {
        ChangeState(ePlayerState_Blow);
    } else if (m_nPressed & ePadBit_Special) {
        if (m_pPower && HasPower(GetVardekiCost()))
            ChangeState(ePlayerState_Vardeki);
    } else if (m_bSlashReady && (m_nHeld & directions) && (m_nHeld & ePadBit_Slash) &&
               !(m_bGrounded && m_nVertical == -1) && HasPower(GetSlashCost())) {
        ChangeState(ePlayerState_Slash);
        m_bSlashReady = false;
    }
}

void PlayerController::SetHomingTarget(GameObj* target)
{
    m_pHomingTarget = target;
    m_nHomingTargetId = target ? target->GetId() : -1;
}

void PlayerController::DropLostHomingTarget()
{
    if (!m_pHomingTarget)
        return;
    const MessageManager* messages = GetOwner()->GetMessageManager();
    if (!messages || messages->FindLiveObject(m_nHomingTargetId) != m_pHomingTarget)
        SetHomingTarget(nullptr);
}

void PlayerController::LateUpdate()
{
    ActorController::LateUpdate();
    DropLostHomingTarget();
}

void PlayerController::OnCollisionEnter(const CollisionInfo& info)
{
    if (m_pKnockback && m_pKnockback->IsEnabled())
        return;
    if (info.other && info.other->GetTag() == kTerrainTag)
        if (Collider* c = info.other->GetCollider(); c && c->GetShape() == eColliderShape_Segment)
            OnTerrainContact(*static_cast<SegmentCollider*>(c), info);
}

void PlayerController::OnCollisionStay(const CollisionInfo& info) { OnCollisionEnter(info); }

void PlayerController::Land(const CollisionInfo& info)
{
    if (m_pKinematics) {
        m_pKinematics->m_fVelY = info.vectorY;
        m_pKinematics->m_fPosY = info.pointY;
    }
    m_nAirActions = m_nMaxAirActions;
    m_bDead = HealthGone();
    m_bGrounded = true;
}

void PlayerController::OnTerrainContact(const SegmentCollider& segment, const CollisionInfo& info)
{
    if (!m_pKinematics)
        return;
    Kinematics& k = *m_pKinematics;
    const int32_t s = GetStateId();
    if (std::fabs(segment.GetDirectionX()) < 1e-6f) {
        if (s == ePlayerState_Jump || s == ePlayerState_Drop)
            m_fCurrentRunSpeed = m_fRunSpeed;
        else if (s == ePlayerState_Step || s == ePlayerState_Dash)
            static_cast<StepState*>(m_pState)->m_bWallHit = true;
        else if (s == ePlayerState_Homing)
            static_cast<HomingState*>(m_pState)->m_bWallHit = true;
        else if (s == ePlayerState_Slash)
            static_cast<SlashState*>(m_pState)->m_bWallHit = true;
        else if (s == ePlayerState_TurnedSlash)
            static_cast<TurnedSlashState*>(m_pState)->m_bWallHit = true;
        k.m_fVelX = info.vectorX;
        k.m_fPosX = info.pointX;
        m_bDead = HealthGone();
        return;
    }
    switch (s) {
    case ePlayerState_Jump:
        if (info.pointY > k.m_fPosY)
            k.m_fPosY = info.pointY;
        m_bGrounded = true;
        return;
    case ePlayerState_Drop:
    case ePlayerState_Gliding:
        ChangeState(ePlayerState_Stand);
        break;
    case ePlayerState_Step:
    case ePlayerState_Dash:
    case ePlayerState_TurnedSlash:
        if (!k.m_bUseGravity && info.pointY < k.m_fPosY) {
            m_bGrounded = true;
            return;
        }
        break;
    case ePlayerState_Homing:
        if (info.pointY > k.m_fPosY) {
            static_cast<HomingState*>(m_pState)->m_bWallHit = true;
            break;
        }
        m_bGrounded = true;
        return;
    case ePlayerState_Slash:
        if (static_cast<SlashState*>(m_pState)->m_nDirectionCode == 4)
            static_cast<SlashState*>(m_pState)->m_bWallHit = true;
        if (!k.m_bUseGravity && info.pointY < k.m_fPosY) {
            m_bGrounded = true;
            return;
        }
        break;
    default:
        break;
    }
    Land(info);
}

void PlayerController::ApplyDrag(float drag, float threshold)
{
    if (!m_pKinematics || m_pKinematics->m_fVelX == 0.0f)
        return;
    float& vx = m_pKinematics->m_fVelX;
    vx *= std::pow(drag, GetAppDeltaTime() * 60.0f);
    if (std::fabs(vx) <= threshold)
        vx = 0.0f;
}

void PlayerController::FaceInput()
{
    if (m_nHorizontal != 0)
        SetFacing(m_nHorizontal > 0);
}

GameObj* PlayerController::SpawnHitObject(const std::string& name)
{
    if (!g_pSceneManager)
        return nullptr;
    GameObj* object = g_pSceneManager->Instantiate(name, g_pSceneManager->GetRoot(), nullptr);
    if (!object)
        return nullptr;
    if (auto* melee = static_cast<MeleeHitController*>(object->GetComponent(MeleeHitController::s_Class.Key))) {
        melee->BindOwner(GetOwner());
        HoldObject(object);
    }
    return object;
}

void PlayerController::PlaySound(const char* path)
{
    if (g_pSoundManager)
        g_pSoundManager->PlaySe(HashName(path), false);
}
