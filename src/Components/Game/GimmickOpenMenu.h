// Opens a UI panel when a pad button goes down while something stands on the gimmick.
#pragma once

#include <cstdint>

#include "System/Common/NameHash.h"
#include "World/Component.h"

class Transform;

// True in the frame when all the mask's buttons of the first pad are down and were not all
// down the frame before (no pad, or an empty mask: never).
bool GimmickPadPressed(uint32_t mask);

class GimmickOpenMenu : public Component {
public:
    static const ClassKey s_Class;

    explicit GimmickOpenMenu(GameObj* owner);

    // "open_menu_name" (the panel's tag), "open_pad" (pad button mask).
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    void OnEnable() override;
    // On the press edge while overlapped: opens the panel and locks the UI, only when a panel
    // opened (a lock with nothing open would shut every menu). The overlap is forgotten each
    // frame.
    void Update() override;
    // Any contact counts: there is no layer test.
    void OnCollisionStay(const CollisionInfo& info) override;

    Transform* m_pTransform = nullptr;
    bool m_bOverlapping = false;
    NameId m_nMenu = 0;
    uint32_t m_nOpenPad = 0;
};
