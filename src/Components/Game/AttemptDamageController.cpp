#include "Components/Game/AttemptDamageController.h"

#include <algorithm>
#include <cmath>

#include <lua.hpp>

#include "Components/Core/Camera2D.h"
#include "Components/Core/CollisionWorld.h"
#include "Components/Core/Kinematics.h"
#include "Components/Game/ComboController.h"
#include "Components/Game/EffectController.h"
#include "Components/Game/EnemyController.h"
#include "Components/Game/HealthController.h"
#include "Components/Game/PlayerController.h"
#include "Components/Game/StatusParameter.h"
#include "Components/Game/StrangerController.h"
#include "Components/Game/TalkChannel.h"
#include "System/Common/NameHash.h"
#include "System/Common/Random.h"
#include "System/Lua/LuaTableReader.h"
#include "System/Sound/SoundManager.h"
#include "World/AccessoryTable.h"
#include "World/DataTableLoader.h"
#include "World/GameObj.h"
#include "World/PlayStatistics.h"
#include "World/PlayerSaveData.h"
#include "World/SceneManager.h"
#include "World/Transform.h"

const ClassKey AttemptDamageController::s_Class("AttemptDamageController");

namespace {

constexpr float kDegToRad = 3.14159265358979323846f / 180.0f;

} // namespace

int32_t SaturateToInt32(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483647.0)
        return INT32_MAX;
    if (value <= -2147483648.0)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

AttemptDamageController::AttemptDamageController(GameObj* owner) : Component(owner, s_Class) {}

bool AttemptDamageController::Load(lua_State* L)
{
    m_nTargetLayer = LuaGetUIntField(L, "targetLayer");
    const std::string tag = LuaGetStringField(L, "targetTag");
    m_nTargetTag = tag.empty() ? 0 : HashName(tag);
    m_nDamageParamType = LuaGetIntField(L, "damageParamType");
    if (LuaHasField(L, "damageScale"))
        m_fDamageScale = LuaGetFloatField(L, "damageScale");
    m_nCriticalRate = LuaGetIntField(L, "criticalRate");
    m_bHasKnockback = WithTableField(L, "knockback", [&] {
        WithTableField(L, "velocity", [&] {
            m_vKnockbackVelocity.x = LuaGetFloatField(L, "x");
            m_vKnockbackVelocity.y = LuaGetFloatField(L, "y");
        });
        m_fSpin = LuaGetFloatField(L, "angularVel") * kDegToRad;
        m_nBoundCount = LuaGetIntField(L, "boundCount");
        m_bBlow = LuaGetBoolField(L, "blow");
    });
    m_bHasCameraShake = WithTableField(L, "cameraShake", [&] {
        m_fShakeDx = LuaGetFloatField(L, "dx");
        m_fShakeDy = LuaGetFloatField(L, "dy");
        m_fShakeDuration = LuaGetFloatField(L, "duration");
        m_nShakeCount = LuaGetIntField(L, "count");
    });
    m_HitEffects.clear();
    WithTableField(L, "hitEffects", [&] {
        ForEachTableItem(L, [&](int) {
            HitEffect effect;
            effect.name = LuaGetStringField(L, "name");
            effect.posType = LuaGetIntField(L, "posType");
            effect.angle = LuaGetFloatField(L, "angle") * kDegToRad;
            const std::string se = LuaGetStringField(L, "se");
            effect.se = se.empty() ? 0 : HashName(se);
            m_HitEffects.push_back(std::move(effect));
        });
    });
    if (LuaHasField(L, "notifyOverKillPercentile"))
        m_nNotifyOverKillPercent = LuaGetByteField(L, "notifyOverKillPercentile");
    if (LuaHasField(L, "notifyAttackedPercentile"))
        m_nNotifyAttackedPercent = LuaGetByteField(L, "notifyAttackedPercentile");
    if (LuaHasField(L, "resetAirActCount"))
        m_bResetAirActCount = LuaGetBoolField(L, "resetAirActCount");
    return true;
}

bool AttemptDamageController::IsKindOf(TypeKey key) const { return key == s_Class.Key; }

void AttemptDamageController::Start() { m_pTransform = GetOwner()->GetTransform(); }

void AttemptDamageController::SetAttacker(ActorController& attacker)
{
    const StatusParameter* status = attacker.m_pStatus;
    const AccessoryRecord* accessory = status ? status->GetAccessory() : nullptr;
    float base = 0.0f;
    if (status) {
        switch (m_nDamageParamType) {
        case eStat_Attack: base = static_cast<float>(status->m_nAttack); break;
        case eStat_Defense: base = static_cast<float>(status->m_nDefense); break;
        case eStat_SpecialAtk: base = static_cast<float>(status->m_nSpecialAtk); break;
        default: break;
        }
    }
    m_fEffectiveDamage = ApplyAccessoryAbility(accessory, 13, m_fDamageScale * base);
    m_nEffectiveBounces =
        SaturateToInt32(ApplyAccessoryAbility(accessory, 12, static_cast<float>(m_nBoundCount)));
    const float rate = ApplyAccessoryAbility(accessory, 17, static_cast<float>(m_nCriticalRate));
    m_nEffectiveCriticalRate = SaturateToInt32(std::clamp(rate, 0.0f, 100.0f));
    m_fCriticalMultiplier = std::max(1.0f, ApplyAccessoryAbility(accessory, 18, 2.0f));
    if (attacker.GetSide() == 0) {
        m_pPlayerAttacker = static_cast<PlayerController*>(&attacker);
    } else {
        m_pPlayerAttacker = nullptr;
        m_nEnemyAttackMessage = attacker.IsKindOf(EnemyController::s_Class.Key)
                                    ? static_cast<EnemyController&>(attacker).m_nAttackMessage
                                    : 0;
    }
}

void AttemptDamageController::OnCollisionEnter(const CollisionInfo& info) { Hit(info.other); }

void AttemptDamageController::Hit(GameObj* victim)
{
    if (!victim || (victim->GetLayer() & m_nTargetLayer) == 0)
        return;
    if (m_nTargetTag != 0 && victim->GetTag() != m_nTargetTag)
        return;
    ActorController* actor = victim->GetActorController();
    if (!actor || !actor->IsEnabled())
        return;

    if (m_bHasKnockback) {
        Vec2 velocity = m_vKnockbackVelocity;
        if (!m_bFacesRight)
            velocity.x = -velocity.x;
        actor->OnDamaged(velocity, m_fSpin, m_nEffectiveBounces, m_bBlow);
    }

    if (g_pSceneManager) {
        for (const HitEffect& effect : m_HitEffects) {
            if (!effect.name.empty()) {
                const Vec2 at = WorldPosition(effect.posType != 0 ? victim : GetOwner());
                GameObj* object = g_pSceneManager->Spawn(effect.name, g_pSceneManager->GetRoot(), at.x, at.y);
                if (object) {
                    if (auto* fx = static_cast<EffectController*>(object->GetComponent(EffectController::s_Class.Key)))
                        fx->SetFacing(m_bFacesRight);
                    if (effect.angle != 0.0f && object->GetTransform())
                        object->GetTransform()->SetRotation(m_bFacesRight ? -effect.angle : effect.angle, true);
                }
            }
            if (effect.se != 0 && g_pSoundManager)
                g_pSoundManager->PlaySe(effect.se, false);
        }
    }

    if (m_bHasCameraShake)
        if (Camera2D* camera = g_CameraRegistry.Find(GameCameraTag()))
            camera->Shake(m_fShakeDx, m_fShakeDy, m_fShakeDuration, static_cast<float>(m_nShakeCount));

    HealthController* health = static_cast<HealthController*>(victim->GetComponent(HealthController::s_Class.Key));
    if (m_pPlayerAttacker) {
        PlayerController& player = *m_pPlayerAttacker;
        player.m_vLastHitPosition = WorldPosition(victim);
        const NameId tag = victim->GetTag();
        if (tag == HashName("Oskel") || tag == HashName("LiberatedOskel") || !victim->GetKinematics())
            player.SetHomingTarget(nullptr);
        else
            player.SetHomingTarget(victim);
        if (m_bResetAirActCount)
            player.m_nAirActions = player.m_nMaxAirActions;
        if (health && health->m_nHealth == 0 && RandomChance(m_nNotifyOverKillPercent))
            TalkOnOverKill();
        if (player.m_pCombo && player.m_pCombo->IsKindOf(ComboController::s_Class.Key))
            static_cast<ComboController*>(player.m_pCombo)->AddHit();
    } else {
        const uint32_t w = RandomNext();
        if (w % 100 < m_nNotifyAttackedPercent) {
            if (m_nEnemyAttackMessage != 0 && !RandomChance(25))
                TalkByKeyHash(m_nEnemyAttackMessage);
            else if (health)
                TalkOnAttacked(health->m_nHealth, health->m_nMaxHealth);
        }
    }

    if (health) {
        const StatusParameter* status =
            static_cast<StatusParameter*>(victim->GetComponent(StatusParameter::s_Class.Key));
        const float defense = status ? static_cast<float>(status->m_nDefense) : 0.0f;
        float x = (200.0f - defense) * 0.01f * m_fEffectiveDamage * RandomFloat(0.875f, 1.125f);
        if (status)
            x = status->ApplyAbility(14, x);
        const bool critical = RandomNext() % 100 < static_cast<uint32_t>(std::max(m_nEffectiveCriticalRate, 0));
        if (critical)
            x *= m_fCriticalMultiplier;
        if (!(x > 1.0f))
            x = 1.0f;
        const int32_t type = critical ? 2 : (actor->GetSide() == 0 ? 1 : 0);
        health->ApplyDamage(SaturateToInt32(std::trunc(static_cast<double>(x) + 0.5)), type);
    }
    PayStrangerExperience(victim);

    m_bHasHit = true;
}
