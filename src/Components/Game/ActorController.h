// The common base of every character that fights: it holds the sibling components a fighter
// uses, keeps the facing, plays named clips on the sprite and collision animations together,
// and carries the hit reaction (knockback flight, "take_damage", invincibility).
#pragma once

#include <cstdint>
#include <string>

#include "System/Common/MathUtil.h"
#include "System/Common/NameHash.h"
#include "World/Component.h"

class Collider;
class CollisionAnimation;
class GameObj;
class HealthController;
class InvincibleController;
class Kinematics;
class KnockbackController;
class PowerController;
class QuestController;
class Renderer;
class SpriteAnimation;
class StatusParameter;
class Transform;
class Component;

// Accessory ability targets read by the fighters.
enum AbilityTarget : int32_t {
    eAbility_Health = 0,
    eAbility_Attack = 1,
    eAbility_SpecialAtk = 2,
    eAbility_SlashCost = 3,
    eAbility_TurnedSlashCost = 4,
    eAbility_HomingCost = 5,
    eAbility_VardekiCost = 6,
    eAbility_PowerRecharge = 7,
    eAbility_DashDuration = 10,
    eAbility_AirActions = 11,
    eAbility_KnockbackType = 15,
};

// The trail renderer's class key: the trail belongs to a later renderer, found by this key
// when a prototype has one.
extern const ClassKey g_SpriteBlurRendererClass;

// Switches on or off the trail of a renderer found under the trail key. The trail renderer
// sets these when it exists; until then they stay null and the actor goes without a trail.
struct TrailHooks {
    void (*start)(Component* trail) = nullptr; // spawning on, spawn timer 0
    void (*stop)(Component* trail) = nullptr;
};
extern TrailHooks g_TrailHooks;

class ActorController : public Component {
public:
    static const ClassKey s_Class;

    // "knockbackType" (truncated; absent 0) and "deadEffect" when present.
    bool Load(lua_State* L) override;
    // Caches itself in the owner. The root's quest controller is looked up at Start: a stage's
    // objects attach while the previous stage is still the root.
    bool Attach() override;
    void Detach() override;
    bool IsKindOf(TypeKey key) const override;
    // Fills the sibling pointers, applies the accessory to the knockback type, copies the
    // home-stage flag. A missing StatusParameter is named once and done without.
    void Start() override;
    // Counts down the afterimage's time, when one was given.
    void LateUpdate() override;

    // 0 the player's side, 1 the enemies'.
    virtual int32_t GetSide() const = 0;
    // Mirrors the renderer and the collider when facing left.
    virtual void SetFacing(bool facesRight);
    // Flight, "take_damage", held object released and trail off when this actor can be knocked
    // back; invincibility in every case (which a running spell does not extend).
    virtual void OnDamaged(const Vec2& velocity, float spin, int32_t bounces, bool blown);
    // Restores the body after a flight and plays "stand_loop".
    virtual void OnKnockbackEnd();
    virtual int32_t ReservedQuery() { return 0; }
    // The previous held object is destroyed.
    virtual void HoldObject(GameObj* object);
    // Destroys the object when it is the held one; false otherwise.
    virtual bool ReleaseObject(GameObj* object);

    void PlayAnimation(NameId clip);
    void QueueAnimation(NameId clip);
    // True while the sprite animation plays that clip and it loops or still has time left.
    bool IsAnimationPlaying(NameId clip) const;
    // Trail on; after `seconds` of scaled time it goes off again, or with a negative value it
    // stays on until StopAfterimage.
    void StartAfterimage(float seconds);
    void StopAfterimage();

    Transform* m_pTransform = nullptr;
    Kinematics* m_pKinematics = nullptr;
    Renderer* m_pRenderer = nullptr;
    Component* m_pBlurRenderer = nullptr;
    SpriteAnimation* m_pSpriteAnimation = nullptr;
    Collider* m_pCollider = nullptr;
    CollisionAnimation* m_pCollisionAnimation = nullptr;
    QuestController* m_pQuestController = nullptr;
    HealthController* m_pHealth = nullptr;
    PowerController* m_pPower = nullptr;
    Component* m_pInventory = nullptr;
    StatusParameter* m_pStatus = nullptr;
    KnockbackController* m_pKnockback = nullptr;
    InvincibleController* m_pInvincible = nullptr;
    Component* m_pCombo = nullptr;
    GameObj* m_pHeldObject = nullptr;
    bool m_bGrounded = false;
    bool m_bFacesRight = true;
    bool m_bDead = false;
    bool m_bHomeStage = false;
    int32_t m_nKnockbackType = 0;
    std::string m_strDeadEffect = "gameobj_effect_dead_with_flower";
    Vec2 m_vLastHitPosition = {0.0f, 0.0f};

    // The afterimage: seconds left, negative while it runs without a limit or is off.
    float m_fAfterimageLeft = -1.0f;

    // Whether health has run out (no health component: not dead).
    bool HealthGone() const;

protected:
    ActorController(GameObj* owner, const ClassKey& classKey);
};

// The root's quest controller, or null.
QuestController* FindRootQuestController();
// The owner's world position.
Vec2 WorldPosition(const GameObj* object);
