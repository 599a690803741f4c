#include "Components/Game/PowerController.h"

#include <algorithm>
#include <cmath>

#include <lua.hpp>

#include "Components/Game/StatusParameter.h"
#include "System/Common/FrameCounter.h"
#include "System/Common/Log.h"
#include "System/Lua/LuaTableReader.h"
#include "World/GameObj.h"

const ClassKey PowerController::s_Class("PowerController");

PowerController::PowerController(GameObj* owner) : Component(owner, s_Class) {}

bool PowerController::Load(lua_State* L)
{
    m_nMaxPower = LuaGetIntField(L, "maxPower");
    return true;
}

bool PowerController::Attach()
{
    m_nPower = m_nMaxPower;
    return true;
}

bool PowerController::IsKindOf(TypeKey key) const { return key == s_Class.Key; }

void PowerController::Start()
{
    m_pStatus = static_cast<StatusParameter*>(GetOwner()->GetComponent(StatusParameter::s_Class.Key));
    const float recharge = m_pStatus ? m_pStatus->m_fPowerRecharge : 0.0f;
    m_bInstantFill = !(recharge > 0.0f);
    if (m_bInstantFill) {
        // Dividing by it would make the gain infinite or NaN.
        LOG_WARNING << "PowerController of \"" << GetOwner()->GetPrototypeName() << "\": powerRecharge "
                    << recharge << " is not positive; the gauge fills at once.";
        m_fGainPerStep = 0.0f;
    } else {
        m_fGainPerStep = (static_cast<float>(m_nMaxPower) / recharge) * kPowerStep;
    }
    m_fPending = 0.0f;
    m_fStepTimer = 0.0f;
}

void PowerController::RestartRegen()
{
    if (m_bRegen)
        return;
    m_bRegen = true;
    m_fStepTimer = 0.0f;
}

void PowerController::LateUpdate()
{
    if (!m_bRegen)
        return;
    if (m_bInstantFill) {
        m_nPower = std::max(m_nMaxPower, 0);
        return;
    }
    m_fStepTimer += GetAppDeltaTime();
    while (m_fStepTimer >= kPowerStep) {
        m_fStepTimer -= kPowerStep;
        m_fPending -= m_fGainPerStep;
        const int32_t whole = LuaTruncateToInt32(m_fPending);
        if (whole != 0) {
            const int64_t power = static_cast<int64_t>(m_nPower) - whole;
            m_nPower = static_cast<int32_t>(std::clamp<int64_t>(power, 0, std::max(m_nMaxPower, 0)));
            m_fPending -= static_cast<float>(whole);
        }
    }
}
