// Shows a name in the HUD's name plate when something touches the gimmick: its own object's
// name, or with "is_other" the toucher's.
#pragma once

#include <cstdint>

#include "World/Component.h"

class UIFrameHud;

class GimmickObjectName : public Component {
public:
    static const ClassKey s_Class;

    explicit GimmickObjectName(GameObj* owner);

    // "display_time", "is_other", "is_collision_stay", "layer_mask" (when present).
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    void OnCollisionEnter(const CollisionInfo& info) override;
    // Only with "is_collision_stay": the plate is shown again on every contact.
    void OnCollisionStay(const CollisionInfo& info) override;

    float m_fDisplayTime = 0.0f;
    bool m_bIsOther = false;
    bool m_bIsCollisionStay = false;
    uint32_t m_nLayerMask = 0x7FFFFFFF;

private:
    // An active toucher of the layers: the plate of the "ui_hud" panel (looked up until found)
    // shows the name. Nothing without a HUD.
    void ShowName(const GameObj* other);

    UIFrameHud* m_pHud = nullptr;
};
