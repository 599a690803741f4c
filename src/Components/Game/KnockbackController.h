// The flight after a hit: the body gets the hit's velocity with gravity on and a high speed
// limit, spins, bounces off terrain and off other actors while its bounce budget lasts, and
// finishes on landing with the budget spent or after an optional time limit.
#pragma once

#include <cstdint>

#include "System/Common/MathUtil.h"
#include "World/Component.h"

class ActorController;
class Kinematics;
class SegmentCollider;
class Transform;

class KnockbackController : public Component {
public:
    static const ClassKey s_Class;

    explicit KnockbackController(GameObj* owner);

    // "knockbackDuration" when present (0: no time limit) and "reflectionLayer".
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    // Caches the parts, saves the body's settings and disables itself. Without a Kinematics
    // (named once) the flight never begins.
    void Start() override;
    // Hands the pending velocity to the body.
    void PhysicsUpdate() override;
    // Spin, and the time limit.
    void Update() override;
    // Terrain bounces; actor exchanges on the reflection layers.
    void OnCollisionEnter(const CollisionInfo& info) override;
    void OnCollisionStay(const CollisionInfo& info) override;

    void Begin(const Vec2& velocity, float spin, int32_t bounces, bool blown);
    void End();
    void BounceOnTerrain(const SegmentCollider& segment, const CollisionInfo& info);
    void BounceOnActor(const CollisionInfo& info);

    bool IsFinished() const { return m_bFinished; }
    int32_t GetBounces() const { return m_nBounces; }
    bool IsBlown() const { return m_bBlown; }
    float GetSpin() const { return m_fSpin; }

    float m_fKnockbackDuration = 0.0f;
    uint32_t m_nReflectionLayer = 0;

private:
    void OnContact(const CollisionInfo& info);
    // Local rotation that leaves the actor upright in the world.
    void SetUpright();
    void UpdateDead();

    Transform* m_pTransform = nullptr;
    Kinematics* m_pKinematics = nullptr;
    ActorController* m_pActor = nullptr;
    bool m_bSavedGravity = true;
    bool m_bHadSteering = false;
    float m_fSavedMaxSpeed = 0.0f;
    Vec2 m_vVelocity = {0.0f, 0.0f};
    float m_fSpin = 0.0f;
    float m_fElapsed = 0.0f;
    int32_t m_nBounces = 0;
    bool m_bPending = false;
    bool m_bFinished = false;
    bool m_bBlown = false;
};
