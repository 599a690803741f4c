// The point-mass body of a moving object. Once started it owns the object's position: it
// integrates velocity under gravity and an optional steering force, limits the speed, keeps the
// body inside the stage bounds, may push it out of other bodies, and writes the position back
// into the object's Transform every update.
#pragma once

#include <cstdint>

#include "World/Component.h"

namespace ZEV {
class SteeringBehavior;
}

// Units per second squared.
constexpr float kGravityX = 0.0f;
constexpr float kGravityY = -1470.99755859375f;

class Kinematics : public Component {
public:
    static const ClassKey s_Class;

    explicit Kinematics(GameObj* owner);
    ~Kinematics() override;

    // "velocity" {x, y}, "useGravity", "needClamp", "nonPenetrationConstraint", "maxSpeed",
    // "maxForce", "mass", and "useSteering" (makes a steering behaviour with its defaults). A
    // negative maxSpeed or a mass of 0 or less is refused with an error, keeping the default.
    bool Load(lua_State* L) override;
    bool Attach() override;
    // Clears the owner's cache and deletes the steering behaviour.
    void Detach() override;
    bool IsKindOf(TypeKey key) const override;
    // Position from the world transform; heading from the world rotation.
    void Start() override;
    // Steering force (divided by the mass, gravity included) or plain gravity (not divided).
    void PhysicsUpdate() override;
    // Integrates the position, pushes out, clamps to the stage, writes the Transform back.
    void Update() override;

    // Speed limit, heading and side from the velocity, and this frame's displacement. A limit of
    // 0 or less stops the body.
    void TruncateVelocity();

    ZEV::SteeringBehavior* GetSteering() const { return m_pSteering; }
    // Takes ownership; the steering-on flag follows.
    void SetSteering(ZEV::SteeringBehavior* steering);

    float m_fPosX = 0.0f;
    float m_fPosY = 0.0f;
    float m_fVelX = 0.0f;
    float m_fVelY = 0.0f;
    float m_fDispX = 0.0f;
    float m_fDispY = 0.0f;
    float m_fHeadingX = 1.0f;
    float m_fHeadingY = 0.0f;
    float m_fSideX = 0.0f;
    float m_fSideY = 1.0f;
    float m_fGravityScale = 1.0f;
    float m_fSpeed = 0.0f;
    bool m_bSteeringOn = false;
    bool m_bUseGravity = true;
    bool m_bNeedClamp = true;
    bool m_bNonPenetration = false;
    float m_fMaxSpeed = 1000.0f;
    float m_fMaxForce = 10000.0f;
    float m_fMass = 1.0f;

private:
    ZEV::SteeringBehavior* m_pSteering = nullptr;
};
