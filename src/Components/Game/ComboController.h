// The player's run of hits: each hit inside the acceptance time after the last adds one; the
// HUD shows the count from the second hit on.
#pragma once

#include <cstdint>

#include "World/Component.h"

// Shows the count on the HUD's combo display (number, tweens, display timer); tests may put
// an observer in its place.
extern void (*g_pfnShowComboCount)(int32_t count);

class ComboController : public Component {
public:
    static const ClassKey s_Class;

    explicit ComboController(GameObj* owner);

    // "comboAcceptableTime", "maxComboCount", "comboNotice"; an absent key keeps the default.
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    void Update() override;

    // One more hit: a count of -1 becomes 0 (nothing shown); otherwise it is capped, shown,
    // talked about and kept as the best combo of the play.
    void AddHit();

    float m_fAcceptableTime = 2.0f;
    int32_t m_nMaxCount = 999;
    int32_t m_nNotice = 50;
    bool m_bFirstUpdate = true;
    int32_t m_nCount = -1;
    float m_fTimer = 0.0f;
};
