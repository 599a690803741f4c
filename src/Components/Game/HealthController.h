// Hit points: damage and healing (with a floating number and the player's statistics) and
// timed regeneration in ticks.
#pragma once

#include <cstdint>

#include "World/Component.h"

class StatusParameter;

class HealthController : public Component {
public:
    static const ClassKey s_Class;

    explicit HealthController(GameObj* owner);

    // "regen" {"duration", "interval", "pointType", "point"} switches regeneration on from the
    // start; "updateIntensity". An interval of 0 or less gives no ticks, with a warning.
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    // Health and its maximum from the StatusParameter; a fractional point becomes hit points.
    void Start() override;
    // Regeneration ticks while health is above 0.
    void LateUpdate() override;

    // Negative heals. Clamped to 0..max; true while health is above 0.
    bool ApplyDamage(int32_t amount, int32_t damageType);
    void StartRegen(int32_t pointType, float duration, float interval, float value);

    int32_t m_nHealth = 0;
    int32_t m_nMaxHealth = 0;
    bool m_bUpdateIntensity = false;
    bool m_bRegen = false;
    float m_fRegenElapsed = 0.0f;
    float m_fRegenDuration = 0.0f;
    float m_fRegenTimer = 0.0f;
    float m_fRegenInterval = 0.0f;
    float m_fRegenPoint = 0.0f;
    int32_t m_nRegenPointType = 0;

private:
    void StopRegen();
    // With "updateIntensity": the root's director takes the missing health as its intensity
    // floor and the change as intensity. Nothing with a maximum of 0.
    void FeedIntensity(int32_t amount) const;

    StatusParameter* m_pStatus = nullptr;
};
