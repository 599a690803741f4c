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

// The code of the held horizontal direction: -1 none, 2 right, 6 left.
int32_t HeldDirectionCode(const PlayerController& p);
