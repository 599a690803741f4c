#include "Components/Game/PlayerStates.h"

#include <cmath>

#include "Components/Core/Kinematics.h"
#include "Components/Game/InvincibleController.h"
#include "Components/Game/PlayerController.h"
#include "System/Common/NameHash.h"
#include "World/FrameCounter.h"
#include "World/GameObj.h"
#include "World/PlayStatistics.h"
#include "World/SceneManager.h"

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
