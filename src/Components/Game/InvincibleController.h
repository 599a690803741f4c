// A timed spell of invincibility after a hit: the renderer blinks and the collider's culling
// mask is overridden. The mask override is counted, so the step, the dash and the special
// moves nest their own overrides with the hit's and the collider's mask returns after the last.
#pragma once

#include <cstdint>

#include "World/Component.h"

class Collider;
class Renderer;

class InvincibleController : public Component {
public:
    static const ClassKey s_Class;

    explicit InvincibleController(GameObj* owner);

    // "duration", "blinkInterval" and "invincibleMask". A blink interval of 0 or less means no
    // blinking, with a warning.
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    // Caches the renderer and the collider (a missing collider is named), saves the collider's
    // mask and disables itself: it runs only between Begin and End.
    void Start() override;
    // One blink toggle at most per update; ends after the duration.
    void Update() override;

    // Nothing while running, so a second hit does not extend the spell.
    void Begin();
    // Nothing unless running; the renderer is left shown.
    void End();
    void PushMask();
    void PopMask();

    int32_t GetMaskCount() const { return m_nMaskCount; }
    uint32_t GetSavedMask() const { return m_nSavedMask; }

    float m_fDuration = 0.0f;
    float m_fBlinkInterval = 0.0f;
    uint32_t m_nInvincibleMask = 0;

private:
    void ShowRenderer();

    Renderer* m_pRenderer = nullptr;
    Collider* m_pCollider = nullptr;
    uint32_t m_nSavedMask = 0;
    int32_t m_nMaskCount = 0;
    float m_fElapsed = 0.0f;
    float m_fBlinkTimer = 0.0f;
};
