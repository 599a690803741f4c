// A swing's hit object: it follows the actor that swung it (position, facing, or the screen's
// centre) and leaves when its collision clip "default" has ended.
#pragma once

#include <cstdint>

#include "World/Component.h"

class ActorController;
class AttemptDamageController;
class Collider;
class CollisionAnimation;
class Transform;

class MeleeHitController : public Component {
public:
    static const ClassKey s_Class;

    explicit MeleeHitController(GameObj* owner);

    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    // Without a live owner it stays unbound; otherwise takes the owner's placement and facing,
    // sets up the damage and plays the swing sound.
    void Start() override;
    void PhysicsUpdate() override;
    // Leaves once "default" no longer plays (at once without a collision animation).
    void Update() override;
    void LateUpdate() override;

    // The owner, unless it is missing, inactive or pending removal.
    void BindOwner(GameObj* owner);

    bool m_bFollowPosition = false;
    bool m_bFollowDirection = false;
    bool m_bIsScreenCenter = false;
    uint32_t m_nSwingSe = 0;
    GameObj* m_pOwnerObj = nullptr;
    ActorController* m_pOwnerActor = nullptr;
    Transform* m_pTransform = nullptr;
    Collider* m_pCollider = nullptr;
    CollisionAnimation* m_pCollisionAnimation = nullptr;
    AttemptDamageController* m_pDamage = nullptr;

private:
    void CopyOwnerPlacement();
    void ApplyFacing();
    bool m_bWarnedNoClip = false;
};
