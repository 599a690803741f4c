#include "Components/Game/HealthController.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include <lua.hpp>

#include "Components/Game/ActorController.h"
#include "Components/Game/ObjectiveController.h"
#include "Components/Game/StatusParameter.h"
#include "Components/UI/UIDamageNumber.h"
#include "System/Common/FrameCounter.h"
#include "System/Common/Log.h"
#include "System/Lua/LuaTableReader.h"
#include "World/GameObj.h"
#include "World/PlayStatistics.h"
#include "World/SceneManager.h"
#include "World/Transform.h"

const ClassKey HealthController::s_Class("HealthController");

HealthController::HealthController(GameObj* owner) : Component(owner, s_Class) {}

bool HealthController::Load(lua_State* L)
{
    lua_getfield(L, -1, "regen");
    if (lua_istable(L, -1)) {
        m_bRegen = true;
        m_fRegenDuration = LuaGetFloatField(L, "duration");
        m_fRegenInterval = LuaGetFloatField(L, "interval");
        m_nRegenPointType = LuaGetIntField(L, "pointType");
        m_fRegenPoint = LuaGetFloatField(L, "point");
        if (!(m_fRegenInterval > 0.0f))
            LOG_WARNING << "HealthController of \"" << GetOwner()->GetPrototypeName() << "\": regen interval "
                        << m_fRegenInterval << " is not positive; it never ticks.";
    }
    lua_pop(L, 1);
    m_bUpdateIntensity = LuaGetBoolField(L, "updateIntensity");
    return true;
}

bool HealthController::IsKindOf(TypeKey key) const { return key == s_Class.Key; }

void HealthController::Start()
{
    m_pStatus = static_cast<StatusParameter*>(GetOwner()->GetComponent(StatusParameter::s_Class.Key));
    m_nMaxHealth = m_nHealth = m_pStatus ? m_pStatus->m_nHealth : 0;
    if (m_bRegen) {
        m_fRegenElapsed = 0.0f;
        m_fRegenTimer = 0.0f;
        if (m_nRegenPointType == 1)
            m_fRegenPoint = static_cast<float>(m_nMaxHealth) * m_fRegenPoint + 0.5f;
    }
}

void HealthController::StopRegen()
{
    m_bRegen = false;
    m_fRegenElapsed = m_fRegenDuration = m_fRegenTimer = m_fRegenInterval = m_fRegenPoint = 0.0f;
}

void HealthController::LateUpdate()
{
    if (!m_bRegen || m_nHealth <= 0)
        return;
    const float dt = GetAppDeltaTime();
    if (m_fRegenInterval > 0.0f) {
        m_fRegenTimer += dt;
        // A tiny interval would leave the timer where it is; the ticks due are counted instead.
        const double due = std::floor(static_cast<double>(m_fRegenTimer) / m_fRegenInterval);
        m_fRegenTimer = std::fmod(m_fRegenTimer, m_fRegenInterval);
        const int32_t point = std::max(LuaTruncateToInt32(m_fRegenPoint), -INT32_MAX);
        for (double i = 0; i < std::min(due, 1000.0); ++i)
            ApplyDamage(-point, point < 0 ? 1 : 3);
    }
    if (m_fRegenDuration >= 0.0f) {
        m_fRegenElapsed += dt;
        if (m_fRegenElapsed >= m_fRegenDuration)
            StopRegen();
    }
}

bool HealthController::ApplyDamage(int32_t amount, int32_t damageType)
{
    const ActorController* actor = GetOwner()->GetActorController();
    if (actor && actor->GetSide() == 0) {
        if (amount >= 1)
            g_PlayStatistics.m_nDamageTaken += amount;
        else
            g_PlayStatistics.m_nHealingReceived += amount == INT32_MIN ? INT32_MAX : std::abs(amount);
    }
    static const std::string kDamageNumber = "gameobj_effect_damage_number";
    if (g_pSceneManager && g_pSceneManager->HasPrototype(kDamageNumber)) {
        const Vec2 p = WorldPosition(GetOwner());
        GameObj* number = g_pSceneManager->Spawn(kDamageNumber, g_pSceneManager->GetRoot(), p.x, p.y + 60.0f);
        auto* display = number ? static_cast<UIDamageNumber*>(number->GetComponent(UIDamageNumber::s_Class.Key)) : nullptr;
        if (display)
            display->Show(amount == INT32_MIN ? INT32_MAX : std::abs(amount), damageType);
    }
    const int64_t health = static_cast<int64_t>(m_nHealth) - amount;
    m_nHealth = static_cast<int32_t>(std::clamp<int64_t>(health, 0, std::max(m_nMaxHealth, 0)));
    if (m_bUpdateIntensity)
        FeedIntensity(amount);
    return m_nHealth > 0;
}

void HealthController::StartRegen(int32_t pointType, float duration, float interval, float value)
{
    m_fRegenElapsed = 0.0f;
    m_fRegenTimer = 0.0f;
    m_bRegen = true;
    m_fRegenDuration = duration;
    m_fRegenInterval = interval;
    if (pointType == 0)
        m_fRegenPoint = value;
    else if (pointType == 1)
        m_fRegenPoint = static_cast<float>(m_nMaxHealth) * value + 0.5f;
}

void HealthController::FeedIntensity(int32_t amount) const
{
    // Shares in float: in whole numbers every loss short of death would read as none.
    if (m_nMaxHealth <= 0 || !g_pSceneManager || !g_pSceneManager->GetRoot())
        return;
    auto* director = static_cast<ObjectiveController*>(
        g_pSceneManager->GetRoot()->GetComponent(ObjectiveController::s_Class.Key));
    if (!director)
        return;
    const float k = director->m_fIntensityMax;
    const float max = static_cast<float>(m_nMaxHealth);
    const float t = (1.0f - static_cast<float>(m_nHealth) / max) * k;
    const float u = director->m_fIntensity + static_cast<float>(amount) / max * k;
    director->m_fIntensityFloor = t;
    director->m_fIntensity = t > u ? t : std::min(k, u);
}
