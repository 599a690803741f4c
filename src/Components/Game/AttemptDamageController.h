// The hit object's side of a contact: when it first touches an actor of its target layer (and
// tag), the victim is knocked back, hit effects and sounds appear, the camera shakes and the
// damage is computed and applied; a player's hit also feeds the combo and the homing target.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "System/Common/MathUtil.h"
#include "World/Component.h"

class ActorController;
class PlayerController;
class Transform;

struct HitEffect {
    std::string name;   // a prototype; empty: none
    int32_t posType = 0; // 0 at the hit object, otherwise at the victim
    float angle = 0.0f; // radians
    uint32_t se = 0;    // sound key; 0: none
};

// A float value brought to int32, saturating at the range (NaN gives 0).
int32_t SaturateToInt32(double value);

class AttemptDamageController : public Component {
public:
    static const ClassKey s_Class;

    explicit AttemptDamageController(GameObj* owner);

    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    void Start() override;
    void OnCollisionEnter(const CollisionInfo& info) override;

    // The effective damage, bounces and critical values from the attacker's stats and
    // accessory; remembers a player attacker or an enemy's attack message.
    void SetAttacker(ActorController& attacker);
    // The whole hit on one victim (what a matching contact does).
    void Hit(GameObj* victim);

    uint32_t m_nTargetLayer = 0;
    uint32_t m_nTargetTag = 0;
    int32_t m_nDamageParamType = 0;
    float m_fDamageScale = 0.0f;
    int32_t m_nCriticalRate = 0;
    bool m_bHasKnockback = false;
    Vec2 m_vKnockbackVelocity = {0.0f, 0.0f};
    float m_fSpin = 0.0f;
    int32_t m_nBoundCount = 0;
    bool m_bBlow = false;
    bool m_bHasCameraShake = false;
    float m_fShakeDx = 0.0f, m_fShakeDy = 0.0f, m_fShakeDuration = 0.0f;
    int32_t m_nShakeCount = 0;
    std::vector<HitEffect> m_HitEffects;
    uint8_t m_nNotifyOverKillPercent = 2;
    uint8_t m_nNotifyAttackedPercent = 30;
    bool m_bResetAirActCount = false;

    Transform* m_pTransform = nullptr;
    PlayerController* m_pPlayerAttacker = nullptr;
    uint32_t m_nEnemyAttackMessage = 0;
    float m_fEffectiveDamage = 0.0f;
    int32_t m_nEffectiveBounces = 0;
    int32_t m_nEffectiveCriticalRate = 0;
    float m_fCriticalMultiplier = 0.0f;
    bool m_bFacesRight = true;
    bool m_bHasHit = false;
};
