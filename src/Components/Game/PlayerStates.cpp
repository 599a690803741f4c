#include "Components/Game/PlayerStates.h"

#include <algorithm>
#include <cmath>

#include <string>

#include "Components/Core/Animation.h"
#include "Components/Core/Camera2D.h"
#include "Components/Core/Kinematics.h"
#include "Components/Game/AttemptDamageController.h"
#include "Components/Game/EffectController.h"
#include "Components/Game/InvincibleController.h"
#include "Components/Game/PlayerController.h"
#include "Components/Game/PowerController.h"
#include "Components/Game/TalkChannel.h"
#include "System/Common/FrameCounter.h"
#include "System/Common/Log.h"
#include "System/Common/NameHash.h"
#include "World/AnimationTable.h"
#include "World/GameObj.h"
#include "World/MessageManager.h"
#include "World/PlayStatistics.h"
#include "World/SceneManager.h"
#include "World/Transform.h"

namespace {

struct Clips {
    NameId stand = HashName("stand_loop");
    NameId homeStand = HashName("vididezare_stand_loop");
    NameId takeDamage = HashName("take_damage");
    NameId run = HashName("run_loop");
    NameId homeRun = HashName("vididezare_run_loop");
    NameId runStand = HashName("run_stand");
    NameId homeRunStand = HashName("vididezare_run_stand");
    NameId standSit = HashName("stand_sit");
    NameId sitLoop = HashName("sit_loop");
    NameId sitStand = HashName("sit_stand");
    NameId jumpStart = HashName("jump_start");
    NameId jumpLoop = HashName("jump_loop");
    NameId jumpDrop = HashName("jump_drop");
    NameId dropLoop = HashName("drop_loop");
    NameId stepLoop = HashName("step_loop");
    NameId stepStand = HashName("step_stand");
    NameId stepDash = HashName("step_dash");
    NameId dashLoop = HashName("dash_loop");
    NameId dashBrake = HashName("dash_brake");
    NameId brakeLoop = HashName("brake_loop");
    NameId brakeStand = HashName("brake_stand");
    NameId glidingLoop = HashName("gliding_loop");
    NameId homing = HashName("homing");
    NameId attack[4] = {HashName("attack_normal1"), HashName("attack_normal2"), HashName("attack_normal3"),
                        HashName("attack_normal4")};
    NameId blow[3] = {HashName("attack_blow_low"), HashName("attack_blow_mid"), HashName("attack_blow_high")};
    NameId slashStart = HashName("slash_start");
    NameId slashLoop = HashName("slash_loop");
    NameId turnSlashStart = HashName("turn_slash_start");
    NameId turnSlashCharge = HashName("turn_slash_charge");
    NameId turnSlashLoop = HashName("turn_slash_loop");
    NameId specialStart = HashName("special_start");
    NameId specialLoop = HashName("special_loop");
};

const Clips& Clip()
{
    static const Clips clips;
    return clips;
}

void SetGravity(PlayerController& p, bool on)
{
    if (p.m_pKinematics)
        p.m_pKinematics->m_bUseGravity = on;
}

void SetGravityScale(PlayerController& p, float scale)
{
    if (p.m_pKinematics)
        p.m_pKinematics->m_fGravityScale = scale;
}

void SetVelX(PlayerController& p, float vx)
{
    if (p.m_pKinematics)
        p.m_pKinematics->m_fVelX = vx;
}

float VelX(const PlayerController& p) { return p.m_pKinematics ? p.m_pKinematics->m_fVelX : 0.0f; }

void PushMask(PlayerController& p)
{
    if (p.m_pInvincible)
        p.m_pInvincible->PushMask();
}

void PopMask(PlayerController& p)
{
    if (p.m_pInvincible)
        p.m_pInvincible->PopMask();
}

} // namespace

int32_t HeldDirectionCode(const PlayerController& p)
{
    return p.m_nHorizontal > 0 ? 2 : p.m_nHorizontal < 0 ? 6 : -1;
}

// Stand

int32_t StandState::GetStateId() const { return ePlayerState_Stand; }

void StandState::Enter(PlayerController& p)
{
    p.PlayAnimation(p.m_bHomeStage ? Clip().homeStand : Clip().stand);
    p.m_fCurrentRunSpeed = p.m_fRunSpeed;
}

void StandState::UpdateMovement(PlayerController& p) { SetVelX(p, 0.0f); }

// TakeDamage

int32_t TakeDamgeState::GetStateId() const { return ePlayerState_TakeDamage; }

void TakeDamgeState::Enter(PlayerController& p)
{
    p.PlayAnimation(Clip().takeDamage);
    p.m_fCurrentRunSpeed = p.m_fRunSpeed;
}

// Run

int32_t RunState::GetStateId() const { return ePlayerState_Run; }

void RunState::Enter(PlayerController& p)
{
    p.PlayAnimation(p.m_bHomeStage ? Clip().homeRun : Clip().run);
    p.m_fCurrentRunSpeed = p.m_fRunSpeed;
    p.FaceInput();
    m_nPhase = 0;
}

void RunState::UpdateMovement(PlayerController& p)
{
    if (m_nPhase == 0)
        SetVelX(p, static_cast<float>(p.m_nHorizontal) * p.m_fRunSpeed);
    else
        p.ApplyDrag(p.m_fRunDrag, p.m_fRunThreshold);
}

int32_t RunState::NextState(PlayerController& p)
{
    const NameId runStand = p.m_bHomeStage ? Clip().homeRunStand : Clip().runStand;
    if (m_nPhase == 0) {
        if (p.m_nHorizontal != 0) {
            p.FaceInput();
            return -1;
        }
        p.PlayAnimation(runStand);
        m_nPhase = 1;
        return -1;
    }
    if (!p.IsAnimationPlaying(runStand) && VelX(p) == 0.0f)
        return ePlayerState_Stand;
    return -1;
}

// Sit

int32_t SitState::GetStateId() const { return ePlayerState_Sit; }

void SitState::Enter(PlayerController& p)
{
    p.PlayAnimation(Clip().standSit);
    p.QueueAnimation(Clip().sitLoop);
    p.m_fCurrentRunSpeed = p.m_fRunSpeed;
    m_nPhase = 0;
    ++g_PlayStatistics.m_nSitCount;
}

void SitState::UpdateMovement(PlayerController& p) { p.ApplyDrag(p.m_fRunDrag, p.m_fRunThreshold); }

int32_t SitState::NextState(PlayerController& p)
{
    if (m_nPhase == 0) {
        p.FaceInput();
        if (p.m_nVertical != -1) {
            p.PlayAnimation(Clip().sitStand);
            m_nPhase = 1;
        }
        return -1;
    }
    return p.IsAnimationPlaying(Clip().sitStand) ? -1 : ePlayerState_Stand;
}

// Jump

int32_t JumpState::GetStateId() const { return ePlayerState_Jump; }

void JumpState::Enter(PlayerController& p)
{
    p.PlayAnimation(Clip().jumpStart);
    p.QueueAnimation(Clip().jumpLoop);
    m_bJumpPending = true;
    ++g_PlayStatistics.m_nJumpCount;
}

void JumpState::Exit(PlayerController& p) { SetGravityScale(p, 1.0f); }

void JumpState::UpdateMovement(PlayerController& p)
{
    if (!p.m_pKinematics)
        return;
    p.m_pKinematics->m_fVelX = static_cast<float>(p.m_nHorizontal) * p.m_fCurrentRunSpeed;
    if (m_bJumpPending) {
        p.m_pKinematics->m_fVelY = p.m_fJumpSpeed;
        m_bJumpPending = false;
    }
}

int32_t JumpState::NextState(PlayerController& p)
{
    SetGravityScale(p, (p.m_nHeld & ePadBit_Jump) ? 1.0f : 2.5f);
    p.FaceInput();
    return -1;
}

// Drop

int32_t DropState::GetStateId() const { return ePlayerState_Drop; }

void DropState::Enter(PlayerController& p)
{
    p.PlayAnimation(Clip().jumpDrop);
    p.QueueAnimation(Clip().dropLoop);
}

void DropState::Exit(PlayerController& p) { SetGravityScale(p, 1.0f); }

void DropState::UpdateMovement(PlayerController& p)
{
    SetVelX(p, static_cast<float>(p.m_nHorizontal) * p.m_fCurrentRunSpeed);
}

int32_t DropState::NextState(PlayerController& p)
{
    SetGravityScale(p, (p.m_nHeld & ePadBit_Down) ? 2.0f : 1.0f);
    p.FaceInput();
    return -1;
}

// Step

int32_t StepState::GetStateId() const { return ePlayerState_Step; }

void StepState::Enter(PlayerController& p)
{
    m_nPhase = 0;
    if (p.m_nHorizontal == 1) {
        m_nDirectionCode = 2;
        m_vDirection = {1.0f, 0.0f};
        p.SetFacing(true);
    } else {
        m_nDirectionCode = 6;
        m_vDirection = {-1.0f, 0.0f};
        p.SetFacing(false);
    }
    p.m_fCurrentRunSpeed = p.m_fStepSpeed;
    p.PlayAnimation(Clip().stepLoop);
    m_fHoldTimer = 0.0f;
    m_bWallHit = false;
    SetGravity(p, false);
    ++g_PlayStatistics.m_nStepCount;
    PlayerController::PlaySound("assets.v1/sounds/se/step2");
    PushMask(p);
}

void StepState::Exit(PlayerController& p)
{
    SetGravity(p, true);
    PopMask(p);
}

void StepState::UpdateMovement(PlayerController& p)
{
    if (m_nPhase == 0) {
        if (p.m_pKinematics) {
            p.m_pKinematics->m_fVelX = m_vDirection.x * p.m_fStepSpeed;
            p.m_pKinematics->m_fVelY = m_vDirection.y * p.m_fStepSpeed;
        }
    } else {
        p.ApplyDrag(p.m_fStepDrag, p.m_fStepThreshold);
    }
}

int32_t StepState::NextState(PlayerController& p)
{
    if (m_nPhase == 0) {
        if (!m_bWallHit && (p.m_nHeld & ePadBit_Step) && HeldDirectionCode(p) == m_nDirectionCode) {
            m_fHoldTimer += GetAppDeltaTime();
            return m_fHoldTimer < p.m_fStepDuration ? -1 : ePlayerState_Dash;
        }
        if (!p.m_bGrounded)
            return ePlayerState_Drop;
        SetGravity(p, true);
        if (p.m_nHorizontal != 0)
            return ePlayerState_Run;
        p.PlayAnimation(Clip().stepStand);
        p.m_fCurrentRunSpeed = p.m_fRunSpeed;
        m_nPhase = 1;
        return -1;
    }
    if (!p.IsAnimationPlaying(Clip().stepStand) && VelX(p) == 0.0f)
        return ePlayerState_Stand;
    return -1;
}

// Dash

int32_t DashState::GetStateId() const { return ePlayerState_Dash; }

void DashState::Enter(PlayerController& p)
{
    m_nPhase = 0;
    const auto* step = static_cast<const StepState*>(p.GetState(ePlayerState_Step));
    m_nDirectionCode = step ? step->m_nDirectionCode : 2;
    m_vDirection = m_nDirectionCode == 6 ? Vec2{-1.0f, 0.0f} : Vec2{1.0f, 0.0f};
    p.SetFacing(m_nDirectionCode != 6);
    p.PlayAnimation(Clip().stepDash);
    p.QueueAnimation(Clip().dashLoop);
    m_fHoldTimer = 0.0f;
    m_bWallHit = false;
    SetGravity(p, false);
    p.m_fCurrentRunSpeed = p.m_fDashSpeed;
    p.StartAfterimage(-1.0f);
    ++g_PlayStatistics.m_nDashCount;
    PlayerController::PlaySound("assets.v1/sounds/se/dash_f");
    static const std::string kBurst = "gameobj_effect_dash_burst";
    if (g_pSceneManager && g_pSceneManager->HasPrototype(kBurst)) {
        const Vec2 at = WorldPosition(p.GetOwner());
        g_pSceneManager->Spawn(kBurst, g_pSceneManager->GetRoot(), at.x, at.y);
    }
    PushMask(p);
    m_bMaskReleased = false;
}

void DashState::ReleaseMask(PlayerController& p)
{
    if (!m_bMaskReleased)
        PopMask(p);
    m_bMaskReleased = true;
}

void DashState::Exit(PlayerController& p)
{
    SetGravity(p, true);
    p.StopAfterimage();
    ReleaseMask(p);
}

void DashState::UpdateMovement(PlayerController& p)
{
    if (!p.m_pKinematics)
        return;
    if (m_nPhase == 0) {
        const float dt = GetAppDeltaTime();
        p.m_pKinematics->m_fVelX += m_vDirection.x * p.m_fDashSpeed * dt;
        p.m_pKinematics->m_fVelY += m_vDirection.y * p.m_fDashSpeed * dt;
        return;
    }
    const bool braking = p.m_nHorizontal != 0 && static_cast<float>(p.m_nHorizontal) == -m_vDirection.x;
    p.ApplyDrag(braking ? p.m_fDashBrakingDrag : p.m_fDashDrag, p.m_fDashThreshold);
}

int32_t DashState::NextState(PlayerController& p)
{
    if (m_nPhase == 0) {
        m_fHoldTimer += GetAppDeltaTime();
        if (!m_bWallHit && (p.m_nHeld & ePadBit_Step) && HeldDirectionCode(p) == m_nDirectionCode &&
            m_fHoldTimer < p.m_fDashDuration)
            return -1;
        p.StopAfterimage();
        ReleaseMask(p);
        if (!p.m_bGrounded)
            return ePlayerState_Drop;
        p.PlayAnimation(Clip().dashBrake);
        p.QueueAnimation(Clip().brakeLoop);
        SetGravity(p, true);
        p.m_fCurrentRunSpeed = p.m_fRunSpeed;
        m_nPhase = 1;
        return -1;
    }
    if (m_nPhase == 1) {
        if (p.m_bGrounded && (p.m_nPressed & ePadBit_Slash)) {
            const bool opposite = p.m_nHorizontal != 0 && static_cast<float>(p.m_nHorizontal) == -m_vDirection.x;
            if (opposite) {
                if (p.GetState(ePlayerState_TurnedSlash) && p.HasPower(p.GetTurnedSlashCost()))
                    return ePlayerState_TurnedSlash;
            } else if (p.GetState(ePlayerState_Slash)) {
                // Out of the brake the slash starts without a cost test.
                p.m_bSlashReady = false;
                return ePlayerState_Slash;
            }
        }
        if (std::fabs(VelX(p)) > p.m_fRunSpeed)
            return -1;
        p.PlayAnimation(Clip().brakeStand);
        m_nPhase = 2;
        return -1;
    }
    if (p.IsAnimationPlaying(Clip().brakeStand))
        return -1;
    if (!p.m_bGrounded)
        return ePlayerState_Drop;
    return p.m_nHorizontal != 0 ? ePlayerState_Run : ePlayerState_Stand;
}

// Gliding

int32_t GlidingState::GetStateId() const { return ePlayerState_Gliding; }

void GlidingState::Enter(PlayerController& p)
{
    p.PlayAnimation(Clip().glidingLoop);
    p.m_fCurrentRunSpeed = p.m_fRunSpeed;
    ++g_PlayStatistics.m_nGlideCount;
}

void GlidingState::UpdateMovement(PlayerController& p)
{
    if (!p.m_pKinematics)
        return;
    p.m_pKinematics->m_fVelX = static_cast<float>(p.m_nHorizontal) * p.m_fRunSpeed;
    p.m_pKinematics->m_fVelY = -70.0f;
}

int32_t GlidingState::NextState(PlayerController& p)
{
    p.FaceInput();
    if (p.m_nHeld & ePadBit_Glide)
        return -1;
    return p.m_bGrounded ? ePlayerState_Stand : ePlayerState_Drop;
}

// The action states

int32_t DirectionCode(int32_t h, int32_t v)
{
    // Indexed by (v + 1) * 3 + (h + 1).
    static const int32_t codes[9] = {5, 4, 3, 6, -1, 2, 7, 0, 1};
    if (h < -1 || h > 1 || v < -1 || v > 1)
        return -1;
    return codes[(v + 1) * 3 + (h + 1)];
}

namespace {

int32_t HorizontalCode(const PlayerController& p)
{
    if (p.m_nHorizontal != 0)
        return p.m_nHorizontal > 0 ? 2 : 6;
    return p.m_bFacesRight ? 2 : 6;
}

int32_t StandOrDrop(const PlayerController& p) { return p.m_bGrounded ? ePlayerState_Stand : ePlayerState_Drop; }

void SetVelocity(PlayerController& p, float vx, float vy)
{
    if (p.m_pKinematics) {
        p.m_pKinematics->m_fVelX = vx;
        p.m_pKinematics->m_fVelY = vy;
    }
}

// Coming out of a homing jump onto a target, both stop where they met.
void StopAfterHoming(PlayerController& p)
{
    if (!p.m_pPrevState || p.m_pPrevState->GetStateId() != ePlayerState_Homing || !p.m_pHomingTarget)
        return;
    SetVelocity(p, 0.0f, 0.0f);
    if (Kinematics* k = p.m_pHomingTarget->GetKinematics()) {
        k->m_fVelX = 0.0f;
        k->m_fVelY = 0.0f;
    }
}

// The length of the last part of an animation; 0, with an error naming it, when the sprite
// animation has no such name.
float AnimationLength(const PlayerController& p, NameId name, const char* label)
{
    const std::vector<const AnimationClip*>* parts =
        p.m_pSpriteAnimation ? p.m_pSpriteAnimation->FindParts(name) : nullptr;
    if (parts && !parts->empty() && parts->back())
        return parts->back()->m_fLength;
    LOG_ERROR << "PlayerController of \"" << p.GetOwner()->GetPrototypeName() << "\": the animation \"" << label
              << "\" is missing; its length counts as 0.";
    return 0.0f;
}

Vec2 ParentWorldPosition(const GameObj* object)
{
    const GameObj* parent = object->GetParent();
    return parent && parent->GetTransform() ? WorldPosition(parent) : Vec2{0.0f, 0.0f};
}

// Moves the player to a world position: its Transform and its body alike.
void PlaceAt(PlayerController& p, float x, float y)
{
    if (Transform* t = p.m_pTransform) {
        const Vec2 parent = ParentWorldPosition(p.GetOwner());
        t->SetLocalPosition(x - parent.x, y - parent.y, t->LocalMatrix().m[3][2]);
        t->UpdateWorldMatrices();
    }
    if (p.m_pKinematics) {
        p.m_pKinematics->m_fPosX = x;
        p.m_pKinematics->m_fPosY = y;
    }
}

// Upright again, as after a flight.
void SetUpright(PlayerController& p)
{
    if (!p.m_pTransform)
        return;
    float parentAngle = 0.0f;
    if (GameObj* parent = p.GetOwner()->GetParent())
        if (Transform* t = parent->GetTransform())
            parentAngle = Atan2(t->WorldMatrix().m[0][1], t->WorldMatrix().m[1][1]);
    p.m_pTransform->SetRotation(parentAngle, true);
}

void SetMaxSpeed(PlayerController& p, float speed)
{
    if (p.m_pKinematics)
        p.m_pKinematics->m_fMaxSpeed = speed;
}

float MaxSpeed(const PlayerController& p) { return p.m_pKinematics ? p.m_pKinematics->m_fMaxSpeed : 0.0f; }

GameObj* SpawnAt(const std::string& name, const Vec2& at)
{
    if (!g_pSceneManager || !g_pSceneManager->HasPrototype(name))
        return nullptr;
    return g_pSceneManager->Spawn(name, g_pSceneManager->GetRoot(), at.x, at.y);
}

void SpawnDashBurst(const PlayerController& p)
{
    static const std::string kBurst = "gameobj_effect_dash_burst";
    SpawnAt(kBurst, WorldPosition(p.GetOwner()));
}

} // namespace

// Homing

int32_t HomingState::GetStateId() const { return ePlayerState_Homing; }

void HomingState::Enter(PlayerController& p)
{
    p.PlayAnimation(Clip().homing);
    m_nPhase = 0;
    m_fTimer = 0.0f;
    m_bRisePending = false;
    m_bWallHit = false;
    PlayerController::PlaySound("assets.v1/sounds/se/dash_a");
    SpawnDashBurst(p);
}

void HomingState::Exit(PlayerController& p) { SetGravityScale(p, 1.0f); }

void HomingState::UpdateMovement(PlayerController& p)
{
    if (m_nPhase != 1 || !p.m_pKinematics)
        return;
    Kinematics& k = *p.m_pKinematics;
    if (p.m_pHomingTarget) {
        if (const Kinematics* target = p.m_pHomingTarget->GetKinematics()) {
            PlaceAt(p, target->m_fPosX, target->m_fPosY);
            k.m_fVelX = target->m_fVelX;
            k.m_fVelY = target->m_fVelY;
            return;
        }
    }
    if (m_bRisePending) {
        m_bRisePending = false;
        const Vec2 at = WorldPosition(p.GetOwner());
        PlaceAt(p, at.x, at.y + 512.0f);
        k.m_fVelX = 0.0f;
        k.m_fVelY = 0.0f;
        return;
    }
    k.m_fVelX = static_cast<float>(p.m_nHorizontal) * p.m_fCurrentRunSpeed;
}

int32_t HomingState::NextState(PlayerController& p)
{
    if (m_nPhase == 0) {
        if (p.IsAnimationPlaying(Clip().homing))
            return -1;
        p.SpendPower(p.GetHomingCost());
        m_nPhase = 1;
        m_fTimer = 1.2f;
        m_bRisePending = true;
        return -1;
    }
    if (!p.IsAnimationPlaying(Clip().dropLoop))
        p.PlayAnimation(Clip().dropLoop);
    if (!p.m_pHomingTarget) {
        SetGravityScale(p, (p.m_nHeld & ePadBit_Down) ? 2.0f : 1.0f);
        p.FaceInput();
    }
    m_fTimer -= GetAppDeltaTime();
    if (m_fTimer <= 0.0f || m_bWallHit)
        return StandOrDrop(p);
    return -1;
}

// Attack

int32_t AttackState::GetStateId() const { return ePlayerState_Attack; }

void AttackState::Enter(PlayerController& p)
{
    StopAfterHoming(p);
    SetGravity(p, false);
    p.m_fCurrentRunSpeed = p.m_fRunSpeed;
    m_nStepCount = 0;
    m_fVelY = 0.0f;
    p.m_vLastHitPosition = {0.0f, 0.0f};
    m_nDirectionCode = HorizontalCode(p);
    NextStep(p);
    ++g_PlayStatistics.m_nAttackCount;
}

void AttackState::NextStep(PlayerController& p)
{
    ++m_nStepCount;
    std::string clip = "attack_normal";
    clip += static_cast<char>('0' + m_nStepCount);
    m_nClip = Clip().attack[m_nStepCount - 1];
    const float length = AnimationLength(p, m_nClip, clip.c_str());
    m_fInputTimer = m_nStepCount < 4 ? length * 0.32f : length + 0.1f;
    p.PlayAnimation(m_nClip);
    std::string hit = "gameobj_player_hit_attack";
    hit += static_cast<char>('0' + m_nStepCount);
    p.SpawnHitObject(hit);
}

void AttackState::Exit(PlayerController& p)
{
    p.HoldObject(nullptr);
    SetGravity(p, true);
}

void AttackState::UpdateMovement(PlayerController& p)
{
    if (p.m_nHorizontal != 0) {
        m_nDirectionCode = p.m_nHorizontal > 0 ? 2 : 6;
        p.SetFacing(p.m_nHorizontal > 0);
    }
    if (!p.m_pKinematics)
        return;
    Kinematics& k = *p.m_pKinematics;
    const float dt = GetAppDeltaTime();
    if (p.m_bGrounded) {
        // The clip's ground channels give this frame's root motion.
        const AnimationPlayer* player = p.m_pSpriteAnimation ? p.m_pSpriteAnimation->GetPlayer() : nullptr;
        const bool posed = player && player->GetClip() && player->GetClip()->m_bHasPose;
        const float inverse = dt < 1e-6f ? 0.0f : 1.0f / dt;
        float vx = posed ? player->GetPoseChange(10) * inverse : 0.0f;
        const float vy = posed ? player->GetPoseChange(11) * inverse : 0.0f;
        if (!p.m_bFacesRight)
            vx = -vx;
        k.m_fVelX = vx;
        k.m_fVelY = vy;
        return;
    }
    if (p.m_vLastHitPosition.x != 0.0f || p.m_vLastHitPosition.y != 0.0f) {
        k.m_fVelX = p.m_vLastHitPosition.x - k.m_fPosX;
        k.m_fVelY = p.m_vLastHitPosition.y - k.m_fPosY;
        return;
    }
    k.m_fVelX = static_cast<float>(p.m_nHorizontal) * p.m_fCurrentRunSpeed;
    k.m_fVelY = m_fVelY;
    m_fVelY -= kPlayerGravity * dt;
}

int32_t AttackState::NextState(PlayerController& p)
{
    m_fInputTimer = std::max(m_fInputTimer - GetAppDeltaTime(), 0.0f);
    if (p.m_bGrounded)
        m_fVelY = 0.0f;
    if ((p.m_nPressed & ePadBit_Attack) && m_fInputTimer == 0.0f && m_nStepCount < 4)
        NextStep(p);
    if (!p.IsAnimationPlaying(m_nClip) && m_fInputTimer == 0.0f)
        return StandOrDrop(p);
    return -1;
}

// Blow

int32_t BlowState::GetStateId() const { return ePlayerState_Blow; }

void BlowState::Enter(PlayerController& p)
{
    StopAfterHoming(p);
    int32_t height = p.m_nVertical;
    if ((!p.m_bGrounded && height == 1) || (p.m_bGrounded && height == -1))
        height = 0;
    static const char* const kHits[3] = {"gameobj_player_hit_blow_low", "gameobj_player_hit_blow_mid",
                                         "gameobj_player_hit_blow_high"};
    m_nPhase = 0;
    m_nClip = Clip().blow[height + 1];
    m_nDirectionCode = HorizontalCode(p);
    m_bGrounded = p.m_bGrounded;
    p.PlayAnimation(m_nClip);
    p.m_fCurrentRunSpeed = p.m_fRunSpeed;
    p.SpawnHitObject(kHits[height + 1]);
    ++g_PlayStatistics.m_nBlowCount;
}

void BlowState::Exit(PlayerController& p) { p.HoldObject(nullptr); }

void BlowState::UpdateMovement(PlayerController& p)
{
    if (m_bGrounded) {
        p.ApplyDrag(p.m_fRunDrag, p.m_fRunThreshold);
        return;
    }
    if (p.m_nHorizontal != 0) {
        m_nDirectionCode = p.m_nHorizontal > 0 ? 2 : 6;
        p.SetFacing(p.m_nHorizontal > 0);
    }
    SetVelX(p, static_cast<float>(p.m_nHorizontal) * p.m_fCurrentRunSpeed);
}

int32_t BlowState::NextState(PlayerController& p)
{
    m_bGrounded = p.m_bGrounded;
    return p.IsAnimationPlaying(m_nClip) ? -1 : StandOrDrop(p);
}

// Slash

int32_t SlashState::GetStateId() const { return ePlayerState_Slash; }

void SlashState::Enter(PlayerController& p)
{
    StopAfterHoming(p);
    m_nPhase = 0;
    m_fTimer = 0.0f;
    m_bWallHit = false;
    m_bMaskPushed = false;
    m_vRushVelocity = {0.0f, 0.0f};
    m_fSavedMaxSpeed = MaxSpeed(p);
    p.PlayAnimation(Clip().slashStart);
    p.m_fCurrentRunSpeed = p.m_fRunSpeed;
    p.FaceInput();
    SetGravity(p, false);
    SetMaxSpeed(p, p.m_fSlashSpeed);
    ++g_PlayStatistics.m_nSlashCount;
}

void SlashState::Aim(PlayerController& p, int32_t hs, int32_t vs)
{
    m_nDirectionCode = DirectionCode(hs, vs);
    const float r = p.m_fSlashRotation;
    const float x = static_cast<float>(hs) * std::cos(r), y = static_cast<float>(vs) * std::sin(r);
    const float length = std::sqrt(x * x + y * y);
    m_vDirection = length < 1e-6f ? Vec2{0.0f, 0.0f} : Vec2{x / length, y / length};
    m_vRushVelocity = {0.0f, 0.0f};
    if (hs != 0)
        p.SetFacing(hs > 0);
    p.PlayAnimation(Clip().slashLoop);
    float angle = hs == 0 ? 1.5707964f : r;
    if (vs == 1)
        angle = -angle;
    if (vs == 0)
        angle = 0.0f;
    if (!p.m_bFacesRight)
        angle = -angle;
    // A world angle: the parent's turn is taken out.
    if (p.m_pTransform)
        p.m_pTransform->SetRotation(angle, false);
}

void SlashState::Exit(PlayerController& p)
{
    SetUpright(p);
    SetGravity(p, true);
    SetMaxSpeed(p, m_fSavedMaxSpeed);
    p.HoldObject(nullptr);
    p.StopAfterimage();
    if (m_bMaskPushed)
        PopMask(p);
    m_bMaskPushed = false;
}

void SlashState::UpdateMovement(PlayerController& p)
{
    if (m_nPhase != 1) {
        SetVelocity(p, 0.0f, 0.0f);
        return;
    }
    const float dt = GetAppDeltaTime();
    m_vRushVelocity.x += m_vDirection.x * p.m_fSlashAccel * dt;
    m_vRushVelocity.y += m_vDirection.y * p.m_fSlashAccel * dt;
    SetVelocity(p, m_vRushVelocity.x, m_vRushVelocity.y);
}

int32_t SlashState::NextState(PlayerController& p)
{
    if (m_nPhase == 0) {
        if (p.IsAnimationPlaying(Clip().slashStart))
            return -1;
        p.StartAfterimage(p.m_fSlashBlurInterval);
        int32_t hs = p.m_nHorizontal, vs = p.m_nVertical;
        if (p.m_bGrounded && vs == -1)
            vs = 0;
        if (hs == 0 && vs == 0)
            hs = p.m_bFacesRight ? 1 : -1;
        p.SpendPower(p.GetSlashCost());
        Aim(p, hs, vs);
        PushMask(p);
        m_bMaskPushed = p.m_pInvincible != nullptr;
        static const std::string kHit = "gameobj_player_hit_slash";
        if (GameObj* hit = p.SpawnHitObject(kHit)) {
            auto* damage =
                static_cast<AttemptDamageController*>(hit->GetComponent(AttemptDamageController::s_Class.Key));
            if (damage && damage->m_HitEffects.size() >= 2 && p.m_pTransform) {
                const Matrix4x4& w = p.m_pTransform->WorldMatrix();
                const float angle = Atan2(w.m[0][1], w.m[1][1]);
                damage->m_HitEffects[1].angle = p.m_bFacesRight ? angle : -angle;
            }
        }
        m_nPhase = 1;
        return -1;
    }
    if (m_nPhase == 1) {
        // A downward diagonal on the ground would dig in: the rush goes level instead.
        if (p.m_bGrounded && (m_nDirectionCode == 3 || m_nDirectionCode == 5))
            Aim(p, p.m_bFacesRight ? 1 : -1, 0);
        m_fTimer += GetAppDeltaTime();
        if (m_fTimer >= p.m_fSlashDuration || m_bWallHit)
            m_nPhase = 2;
        return -1;
    }
    return StandOrDrop(p);
}

// TurnedSlash

int32_t TurnedSlashState::GetStateId() const { return ePlayerState_TurnedSlash; }

void TurnedSlashState::Enter(PlayerController& p)
{
    m_nPhase = 0;
    if (p.m_bFacesRight) {
        m_nDirectionCode = 6;
        m_vDirection = {-1.0f, 0.0f};
    } else {
        m_nDirectionCode = 2;
        m_vDirection = {1.0f, 0.0f};
    }
    m_fTimer = 0.0f;
    m_fShockwaveTimer = 0.0f;
    m_vRushVelocity = {0.0f, 0.0f};
    m_bWallHit = false;
    m_bMaskPushed = false;
    m_fSavedMaxSpeed = MaxSpeed(p);
    m_fShockwaveInterval = p.m_fTurnedSlashShockwaveInterval;
    p.PlayAnimation(Clip().turnSlashStart);
    p.m_fCurrentRunSpeed = p.m_fRunSpeed;
    SetMaxSpeed(p, p.m_fTurnedSlashSpeed);
    ++g_PlayStatistics.m_nTurnedSlashCount;
}

void TurnedSlashState::Exit(PlayerController& p)
{
    SetGravity(p, true);
    SetMaxSpeed(p, m_fSavedMaxSpeed);
    p.HoldObject(nullptr);
    p.StopAfterimage();
    if (m_bMaskPushed)
        PopMask(p);
    m_bMaskPushed = false;
}

void TurnedSlashState::UpdateMovement(PlayerController& p)
{
    if (m_nPhase == 0) {
        p.ApplyDrag(p.m_fTurnedSlashDrag, p.m_fTurnedSlashThreshold);
    } else if (m_nPhase == 2) {
        const float dt = GetAppDeltaTime();
        m_vRushVelocity.x += m_vDirection.x * p.m_fTurnedSlashAccel * dt;
        m_vRushVelocity.y += m_vDirection.y * p.m_fTurnedSlashAccel * dt;
        SetVelocity(p, m_vRushVelocity.x, m_vRushVelocity.y);
    } else if (m_nPhase == 3) {
        SetVelocity(p, 0.0f, 0.0f);
    }
}

void TurnedSlashState::Shockwave(PlayerController& p)
{
    m_fShockwaveTimer += GetAppDeltaTime();
    // An interval of 0 or less would spawn without end: none at all.
    if (!(m_fShockwaveInterval > 0.0f) || m_fShockwaveTimer < m_fShockwaveInterval)
        return;
    // One wave a frame at most; a remainder, since subtracting a tiny interval changes nothing.
    m_fShockwaveTimer = std::fmod(m_fShockwaveTimer, m_fShockwaveInterval);
    if (GameObj* wave = SpawnAt(p.m_TurnedSlashShockwaveEffect, WorldPosition(p.GetOwner())))
        if (auto* fx = static_cast<EffectController*>(wave->GetComponent(EffectController::s_Class.Key)))
            fx->SetFacing(p.m_bFacesRight);
}

int32_t TurnedSlashState::NextState(PlayerController& p)
{
    if (m_nPhase == 0) {
        if (p.IsAnimationPlaying(Clip().turnSlashStart) || VelX(p) != 0.0f)
            return -1;
        p.PlayAnimation(Clip().turnSlashCharge);
        SetGravity(p, false);
        p.SetFacing(m_nDirectionCode == 2);
        m_nPhase = 1;
        return -1;
    }
    if (m_nPhase == 1) {
        if (p.IsAnimationPlaying(Clip().turnSlashCharge))
            return -1;
        p.SpendPower(p.GetTurnedSlashCost());
        p.PlayAnimation(Clip().turnSlashLoop);
        static const std::string kHit = "gameobj_player_hit_turned_slash";
        p.SpawnHitObject(kHit);
        PushMask(p);
        m_bMaskPushed = p.m_pInvincible != nullptr;
        p.StartAfterimage(p.m_fTurnedSlashBlurInterval);
        m_nPhase = 2;
        Shockwave(p);
        return -1;
    }
    if (m_nPhase == 2) {
        m_fTimer += GetAppDeltaTime();
        if (m_fTimer >= p.m_fTurnedSlashDuration || m_bWallHit)
            m_nPhase = 3;
        Shockwave(p);
        return -1;
    }
    return StandOrDrop(p);
}

// Vardeki

int32_t VardekiState::GetStateId() const { return ePlayerState_Vardeki; }

void VardekiState::Enter(PlayerController& p)
{
    p.PlayAnimation(Clip().specialStart);
    SetGravity(p, false);
    PushMask(p);
    if (p.m_pPower)
        p.m_pPower->StopRegen();
    TalkOnAttackCompanion();
    ++g_PlayStatistics.m_nVardekiCount;
    m_nEffectId = -1;
    if (g_pSceneManager) {
        m_nSavedUpdateMask = g_pSceneManager->m_nUpdateMask;
        g_pSceneManager->m_nUpdateMask &= ~(0x20u | 0x8000u);
    }
    m_nPhase = 0;
}

void VardekiState::Exit(PlayerController& p)
{
    if (g_pSceneManager)
        g_pSceneManager->m_nUpdateMask = m_nSavedUpdateMask;
    if (p.m_pPower)
        p.m_pPower->RestartRegen();
    PopMask(p);
    SetGravity(p, true);
}

void VardekiState::UpdateMovement(PlayerController& p) { SetVelocity(p, 0.0f, 0.0f); }

int32_t VardekiState::NextState(PlayerController& p)
{
    if (m_nPhase == 0) {
        if (p.IsAnimationPlaying(Clip().specialStart))
            return -1;
        p.PlayAnimation(Clip().specialLoop);
        p.SpendPower(p.GetVardekiCost());
        Vec2 at = {0.0f, 0.0f};
        if (Camera2D* camera = g_CameraRegistry.Find(GameCameraTag()))
            at = WorldPosition(camera->GetOwner());
        static const char* const kEffects[3] = {"gameobj_effect_vardeki", "gameobj_effect_vardeki_slash1",
                                                "gameobj_effect_vardeki_slash2"};
        GameObj* last = nullptr;
        for (const char* name : kEffects)
            last = SpawnAt(name, at);
        m_nEffectId = last ? last->GetId() : -1;
        m_nPhase = 1;
        return -1;
    }
    if (m_nPhase == 1) {
        GameObj* effect = nullptr;
        if (m_nEffectId != -1 && g_pSceneManager && g_pSceneManager->GetMessageManager())
            effect = g_pSceneManager->GetMessageManager()->FindObject(m_nEffectId);
        if (effect && (effect->GetFlags() & eGameObjFlag_PendingRemoval))
            effect = nullptr;
        auto* fx = effect ? static_cast<EffectController*>(effect->GetComponent(EffectController::s_Class.Key)) : nullptr;
        // An effect that is gone, on its way out or without a controller has ended.
        if (fx && fx->m_bActive)
            return -1;
        static const std::string kHit = "gameobj_player_hit_vardeki";
        p.SpawnHitObject(kHit);
        if (effect && g_pSceneManager)
            g_pSceneManager->DestroyLater(effect, 0.0f);
        m_nEffectId = -1;
        m_nPhase = 2;
        return -1;
    }
    return StandOrDrop(p);
}
