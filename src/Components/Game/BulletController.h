// A bullet: it flies by one of four motions through its Kinematics, turns and mirrors its sprite
// to the flight direction, and marks itself erased when it hits its target, meets terrain or
// leaves the camera's range. Its pattern fires it and deactivates it once erased.
// BulletEraser: erases every bullet it touches.
#pragma once

#include <cstdint>

#include "World/Component.h"

class AttemptDamageController;
class Collider;
class CollisionAnimation;
class Kinematics;
class Renderer;
class SpriteAnimation;
class Transform;

enum BulletMotion : int32_t {
    eBulletMotion_Straight = 0,
    eBulletMotion_Homing = 1,
    eBulletMotion_Orbit = 2,
    eBulletMotion_Wave = 3,
};

// The collision-mask bit of terrain contacts.
constexpr uint32_t kBulletTerrainMaskBit = 0x4;
// Squared distance from the camera at which an off-screen bullet goes (1536 pixels).
constexpr float kBulletOffScreenDistanceSq = 2359296.0f;

class BulletController : public Component {
public:
    static const ClassKey s_Class;

    explicit BulletController(GameObj* owner);

    // "flipSprite", "rotateSprite", "penetrateTarget", "removeWhenOffScreen" (Lua truth values)
    // and "collideTerrain" (truncated). Never fails.
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    // Caches the owner's parts, drops terrain contacts when it has none, and deactivates the
    // object: it waits to be fired.
    void Start() override;
    // The motion: speed, then velocity by the motion kind.
    void PhysicsUpdate() override;
    // Off-screen and hit tests, then the sprite's mirroring.
    void Update() override;
    void OnCollisionEnter(const CollisionInfo& info) override;
    void OnCollisionStay(const CollisionInfo& info) override;

    // Heading from an angle in radians; turns the sprite with it when asked to.
    void SetDirection(float angle);
    // Finished: marked, and its collider off.
    void Erase();
    // Called once the motion is set, as the bullet is fired: bouncing is for straight flight
    // only (any other motion has no terrain contact at all).
    void ApplyTerrainRule();
    // What a homing bullet flies at and an orbit circles: held by id, since it may be deleted
    // while this bullet's layer stands still. Null (or an object without a body) holds none.
    void SetTarget(const GameObj* target);
    // The target's body; a target that is gone or being removed is dropped for good.
    Kinematics* FindTarget();

    bool m_bFlipSprite = false;
    bool m_bRotateSprite = false;
    bool m_bPenetrateTarget = false;
    bool m_bRemoveWhenOffScreen = false;
    int32_t m_nCollideTerrain = 0;
    Transform* m_pTransform = nullptr;
    Kinematics* m_pKinematics = nullptr;
    Renderer* m_pRenderer = nullptr;
    Collider* m_pCollider = nullptr;
    SpriteAnimation* m_pSpriteAnimation = nullptr;
    CollisionAnimation* m_pCollisionAnimation = nullptr;
    AttemptDamageController* m_pDamage = nullptr;
    int32_t m_nMotion = eBulletMotion_Straight;
    float m_fSpeed = 0.0f;
    float m_fAccel = 0.0f;
    float m_fMaxSpeed = 0.0f;
    float m_vDirX = 0.0f;
    float m_vDirY = 0.0f;
    int32_t m_nTargetId = -1; // -1: none
    float m_fTurnRate = 0.0f;
    float m_vBaseX = 0.0f;
    float m_vBaseY = 0.0f;
    float m_fAmpX = 0.0f;
    float m_fAmpY = 0.0f;
    float m_fPeriodX = 0.0f;
    float m_fPeriodY = 0.0f;
    float m_fPhaseX = 0.0f;
    float m_fPhaseY = 0.0f;
    bool m_bErased = false;

private:
    void OnTerrain(const CollisionInfo& info);
    void Bounce(const CollisionInfo& info);
    void MoveBase(float dt);
};

class BulletEraser : public Component {
public:
    static const ClassKey s_Class;

    explicit BulletEraser(GameObj* owner);

    bool IsKindOf(TypeKey key) const override;
    void OnCollisionEnter(const CollisionInfo& info) override;
};
