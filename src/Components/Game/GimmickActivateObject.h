// Shows a hidden object of its own subtree (found by tag) while something touches the gimmick,
// and with "only_overlap" hides it again when the touch ends, through the target's closing
// tween when it has one.
#pragma once

#include <cstdint>

#include "System/Common/MathUtil.h"
#include "World/Component.h"

class GimmickActivateObject : public Component {
public:
    static const ClassKey s_Class;

    explicit GimmickActivateObject(GameObj* owner);

    // "target" (tag), "target_offset" {x, y}, "only_overlap", "layer_mask" (when present).
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    // Once: the first active object of the subtree with the tag moves by the offset and hides.
    // None found leaves the gimmick with nothing to show.
    void OnEnable() override;
    // A toucher of the layers restarts the target: off if on, then on.
    void OnCollisionEnter(const CollisionInfo& info) override;
    // With "only_overlap": the target closes (by a Closing event when it has a
    // UIActivateTween, else at once).
    void OnCollisionExit(const CollisionInfo& info) override;

    // The target, or null (none found, or gone).
    GameObj* GetTarget() const;

    NameId m_nTargetTag = 0;
    Vec2 m_vTargetOffset = {0.0f, 0.0f};
    bool m_bOnlyOverlap = false;
    uint32_t m_nLayerMask = 0x7FFFFFFF;

private:
    int32_t m_nTargetId = -1; // held by id: the target may be removed before the gimmick
    bool m_bLookedUp = false;
};
