// The player's states. Each has Enter, Exit, UpdateMovement (from the controller's physics
// pass, before the body moves) and NextState (first in the controller's update; -1 stays).
// The states keep only their own phase data; tuning, pad bits, grounded and air actions are
// the controller's. Velocities go into the body; y points up.
#pragma once

#include <cstdint>

#include "System/Common/MathUtil.h"

class PlayerController;

class IPlayerState {
public:
    virtual ~IPlayerState() = default;
    virtual int32_t GetStateId() const = 0;
    virtual void Enter(PlayerController&) {}
    virtual void Exit(PlayerController&) {}
    virtual void UpdateMovement(PlayerController&) {}
    virtual int32_t NextState(PlayerController&) { return -1; }
};

class StandState : public IPlayerState {
public:
    int32_t GetStateId() const override;
    void Enter(PlayerController& p) override;
    void UpdateMovement(PlayerController& p) override;
};

// Entered by no transition of the player's own; kept for the hit clip.
class TakeDamgeState : public IPlayerState {
public:
    int32_t GetStateId() const override;
    void Enter(PlayerController& p) override;
};

class RunState : public IPlayerState {
public:
    int32_t GetStateId() const override;
    void Enter(PlayerController& p) override;
    void UpdateMovement(PlayerController& p) override;
    int32_t NextState(PlayerController& p) override;

    int32_t m_nPhase = 0;
};

class SitState : public IPlayerState {
public:
    int32_t GetStateId() const override;
    void Enter(PlayerController& p) override;
    void UpdateMovement(PlayerController& p) override;
    int32_t NextState(PlayerController& p) override;

    int32_t m_nPhase = 0;
};

class JumpState : public IPlayerState {
public:
    int32_t GetStateId() const override;
    void Enter(PlayerController& p) override;
    void Exit(PlayerController& p) override;
    void UpdateMovement(PlayerController& p) override;
    // Gravity x 2.5 once the jump button is let go: a shorter jump.
    int32_t NextState(PlayerController& p) override;

    bool m_bJumpPending = false;
};

class DropState : public IPlayerState {
public:
    int32_t GetStateId() const override;
    void Enter(PlayerController& p) override;
    void Exit(PlayerController& p) override;
    void UpdateMovement(PlayerController& p) override;
    int32_t NextState(PlayerController& p) override;
};

// A short burst to the side with gravity off and an invincibility override; held long enough
// in the same direction it becomes a dash.
class StepState : public IPlayerState {
public:
    int32_t GetStateId() const override;
    void Enter(PlayerController& p) override;
    void Exit(PlayerController& p) override;
    void UpdateMovement(PlayerController& p) override;
    int32_t NextState(PlayerController& p) override;

    int32_t m_nPhase = 0;
    int32_t m_nDirectionCode = 2; // 2 right, 6 left
    Vec2 m_vDirection = {1.0f, 0.0f};
    float m_fHoldTimer = 0.0f;
    bool m_bWallHit = false;
};

// Continues the step's direction, accelerating, while the step and direction stay held; then
// brakes. Its override is popped once, by the end of the hold or by Exit.
class DashState : public StepState {
public:
    int32_t GetStateId() const override;
    void Enter(PlayerController& p) override;
    void Exit(PlayerController& p) override;
    void UpdateMovement(PlayerController& p) override;
    int32_t NextState(PlayerController& p) override;

    bool m_bMaskReleased = false;

private:
    void ReleaseMask(PlayerController& p);
};

class GlidingState : public IPlayerState {
public:
    int32_t GetStateId() const override;
    void Enter(PlayerController& p) override;
    void UpdateMovement(PlayerController& p) override;
    int32_t NextState(PlayerController& p) override;
};

// A jump onto the last enemy hit, riding it; without one a lift of 512 pixels and a short fall.
class HomingState : public IPlayerState {
public:
    int32_t GetStateId() const override;
    void Enter(PlayerController& p) override;
    void Exit(PlayerController& p) override;
    void UpdateMovement(PlayerController& p) override;
    int32_t NextState(PlayerController& p) override;

    int32_t m_nPhase = 0;
    float m_fTimer = 0.0f;
    bool m_bRisePending = false;
    bool m_bWallHit = false;
};

// The four-step chain. On the ground the clip's root motion moves the player; in the air it is
// drawn towards the last enemy hit, or falls by its own gravity.
class AttackState : public IPlayerState {
public:
    int32_t GetStateId() const override;
    void Enter(PlayerController& p) override;
    void Exit(PlayerController& p) override;
    void UpdateMovement(PlayerController& p) override;
    int32_t NextState(PlayerController& p) override;
    void NextStep(PlayerController& p);

    int32_t m_nStepCount = 0;
    uint32_t m_nClip = 0;
    int32_t m_nDirectionCode = 2;
    float m_fInputTimer = 0.0f;
    float m_fVelY = 0.0f;
};

// A low, mid or high blow by the held vertical direction.
class BlowState : public IPlayerState {
public:
    int32_t GetStateId() const override;
    void Enter(PlayerController& p) override;
    void Exit(PlayerController& p) override;
    void UpdateMovement(PlayerController& p) override;
    int32_t NextState(PlayerController& p) override;

    int32_t m_nPhase = 0;
    uint32_t m_nClip = 0;
    int32_t m_nDirectionCode = 2;
    bool m_bGrounded = false;
};

// A directed rush after a wind-up; the sprite tilts along the aim.
class SlashState : public IPlayerState {
public:
    int32_t GetStateId() const override;
    void Enter(PlayerController& p) override;
    void Exit(PlayerController& p) override;
    void UpdateMovement(PlayerController& p) override;
    int32_t NextState(PlayerController& p) override;
    // hs and vs in -1..1.
    void Aim(PlayerController& p, int32_t hs, int32_t vs);

    int32_t m_nPhase = 0;
    int32_t m_nDirectionCode = 2;
    Vec2 m_vDirection = {1.0f, 0.0f};
    Vec2 m_vRushVelocity = {0.0f, 0.0f};
    float m_fTimer = 0.0f;
    float m_fSavedMaxSpeed = 0.0f;
    bool m_bWallHit = false;
    // The override is pushed only once the rush starts; Exit pops only what was pushed.
    bool m_bMaskPushed = false;
};

// A charged rush backwards that leaves shockwaves behind at an interval.
class TurnedSlashState : public IPlayerState {
public:
    int32_t GetStateId() const override;
    void Enter(PlayerController& p) override;
    void Exit(PlayerController& p) override;
    void UpdateMovement(PlayerController& p) override;
    int32_t NextState(PlayerController& p) override;

    int32_t m_nPhase = 0;
    int32_t m_nDirectionCode = 6;
    Vec2 m_vDirection = {-1.0f, 0.0f};
    Vec2 m_vRushVelocity = {0.0f, 0.0f};
    float m_fTimer = 0.0f;
    float m_fSavedMaxSpeed = 0.0f;
    float m_fShockwaveTimer = 0.0f;
    float m_fShockwaveInterval = 0.0f;
    bool m_bWallHit = false;
    bool m_bMaskPushed = false;

private:
    void Shockwave(PlayerController& p);
};

// The companion's screen-wide attack: enemies and bullets stop updating until its effect has
// played and the hit has been dealt.
class VardekiState : public IPlayerState {
public:
    int32_t GetStateId() const override;
    void Enter(PlayerController& p) override;
    void Exit(PlayerController& p) override;
    void UpdateMovement(PlayerController& p) override;
    int32_t NextState(PlayerController& p) override;

    int32_t m_nPhase = 0;
    uint32_t m_nSavedUpdateMask = 0;
    // The last effect, held by id: an ended effect removes itself, so a pointer could dangle.
    int32_t m_nEffectId = -1;
};

// The code of the input (h, v): 0 up, then clockwise to 7 up-left; -1 for none.
int32_t DirectionCode(int32_t h, int32_t v);

// The code of the held horizontal direction: -1 none, 2 right, 6 left.
int32_t HeldDirectionCode(const PlayerController& p);
