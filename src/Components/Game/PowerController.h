// The special-power gauge: refilled in fixed 1/30-second steps, whole points added only when
// the carried fraction crosses a whole number.
#pragma once

#include <cstdint>

#include "World/Component.h"

class StatusParameter;

constexpr float kPowerStep = 0.033333335f;

class PowerController : public Component {
public:
    static const ClassKey s_Class;

    explicit PowerController(GameObj* owner);

    // "maxPower", truncated.
    bool Load(lua_State* L) override;
    // The gauge starts full.
    bool Attach() override;
    bool IsKindOf(TypeKey key) const override;
    // The gain per step from the StatusParameter's powerRecharge (seconds to fill an empty
    // gauge); 0 or less fills it at once, with a warning.
    void Start() override;
    void LateUpdate() override;

    // The special move stops the refill and starts it again with the step timer at 0.
    void StopRegen() { m_bRegen = false; }
    void RestartRegen();

    int32_t m_nPower = 0;
    int32_t m_nMaxPower = 0;
    float m_fGainPerStep = 0.0f;
    float m_fPending = 0.0f;
    float m_fStepTimer = 0.0f;
    bool m_bRegen = true;
    // The gauge fills at once each update (a recharge time of 0 or less).
    bool m_bInstantFill = false;

private:
    StatusParameter* m_pStatus = nullptr;
};
