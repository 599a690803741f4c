// Frames of whole menus. The title menu takes the selection when it opens, plays a sound when
// the selection moves between its buttons and can be locked by the title flow meanwhile.
#pragma once

#include <cstdint>

#include "Components/UI/UIWidget.h"
#include "System/Common/NameHash.h"

class UIFrameTitleSelect : public UIFrame {
public:
    static const ClassKey s_Class;
    explicit UIFrameTitleSelect(GameObj* owner);
    // The frame's keys, then "sound_effect" {select}.
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    // Opens and has the root select the menu.
    void OnEnable() override;
    // Nothing at all while locked.
    void OnMessage(IMessage* message) override;
    // The menu never closes itself.
    void OnClosing(GameObj* object) override;
    void Close() override;
    // The select sound when a button was selected before; the first selection is silent.
    void SetSelection(GameObj* object) override;

    NameId GetSelectSound() const { return m_nSelectSound; }

    // Set and cleared by the title flow, never by the menu.
    uint8_t m_bLocked = 0;

private:
    NameId m_nSelectSound = 0;
};
