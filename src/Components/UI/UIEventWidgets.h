// Small behaviours that screens are assembled from in Lua: play a panel's tweens as it opens and
// closes, turn held pad buttons or the pad's directions into events, send or forward events to a
// target, play sounds and tweens on chosen events.
//
// Objects met in the data (targets, neighbours, tweened objects) are held with their ids and
// checked before use: a window may delete part of itself while a widget still names it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Components/UI/UIWidget.h"
#include "System/Common/NameHash.h"

class UITweener;

// An object kept with its id; Get is null once the object is deleted.
class UIObjectRef {
public:
    UIObjectRef() = default;
    explicit UIObjectRef(GameObj* object) { Set(object); }
    void Set(GameObj* object);
    GameObj* Get() const;
    bool IsSet() const { return m_nId >= 0; }

private:
    int32_t m_nId = -1;
    GameObj* m_pObject = nullptr;
};

// A tween kept with its object; null once that object is deleted.
struct UITweenRef {
    UIObjectRef object;
    UITweener* tween;
    UITweener* Get() const { return object.Get() ? tween : nullptr; }
};

// The target named by a "target" tag: none for 0, the root's or the frame's object for the two
// preset names, else the first active object of the frame's subtree with the tag.
GameObj* ResolveUITarget(const UIWidget& widget, NameId tag);
// The name of a Lua string field, 0 when it is absent or empty.
NameId LuaGetNameField(lua_State* L, const char* name);

// Plays a group of the object's tweens forwards when it opens and backwards when it is asked to
// close; the disable condition then switches the object off once they have run.
class UIActivateTween : public UIWidget {
public:
    static const ClassKey s_Class;
    explicit UIActivateTween(GameObj* owner);
    // "group" (true: group 1), "children", "disable_condition", "disable_when_remove_gameobj".
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    void Update() override;
    void Open() override;
    // Without a tween to play the object switches off at once.
    void OnClosing(GameObj* object) override;

    // Plays the group's tweens (of the subtree's active objects with "children"); the number
    // started.
    int PlayGroup(bool forward);

    int32_t GetGroup() const { return m_nGroup; }
    int32_t GetDisableCondition() const { return m_nDisableCondition; }
    bool IsRemoveOnDisable() const { return m_bRemoveOnDisable; }
    bool HasChildren() const { return m_bChildren; }
    void SetDisableCondition(int32_t condition) { m_nDisableCondition = condition; }

private:
    int32_t m_nGroup = 0;
    bool m_bChildren = false;
    int32_t m_nDisableCondition = 0;
    bool m_bRemoveOnDisable = false;
    std::vector<UITweenRef> m_Tweens;
};

// Posts Press(true) to its own object in every frame that pad 0 holds all the key's buttons.
class UIButtonKeyBinding : public Component {
public:
    static const ClassKey s_Class;
    explicit UIButtonKeyBinding(GameObj* owner);
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    void Update() override;
    uint32_t GetKey() const { return m_nKey; }
    void SetKey(uint32_t key) { m_nKey = key; }

private:
    uint32_t m_nKey = 0;
};

enum UIDirection : int {
    eUIDirection_Up = 0,
    eUIDirection_Down = 1,
    eUIDirection_Left = 2,
    eUIDirection_Right = 3,
};

// Moves the frame's selection to a neighbouring button on the pad's exact direction masks.
class UIButtonKeys : public UIWidget {
public:
    static const ClassKey s_Class;
    explicit UIButtonKeys(GameObj* owner);
    // "up", "down", "left", "right", "pad_up", "pad_down", "pad_left", "pad_right",
    // "start_selected".
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    // Finds root and frame; with start_selected the frame selects this button. No Open.
    void OnEnable() override;
    // Finds the neighbours by tag in the frame's subtree, unless they are resolved already.
    void Start() override;
    void OnPad(uint32_t mask) override;

    // Screens that build their buttons in code wire the neighbours and mark them resolved.
    void SetNeighbour(int direction, GameObj* object);
    GameObj* GetNeighbour(int direction) const;
    void SetNeighbourTag(int direction, NameId tag) { m_aTags[direction] = tag; }
    void SetPadMask(int direction, uint32_t mask) { m_aPads[direction] = mask; }
    uint32_t GetPadMask(int direction) const { return m_aPads[direction]; }
    void SetResolved(bool resolved) { m_bResolved = resolved; }
    bool IsResolved() const { return m_bResolved; }
    void SetStartSelected(bool selected) { m_bStartSelected = selected; }

private:
    NameId m_aTags[4] = {0, 0, 0, 0};
    UIObjectRef m_aNeighbours[4];
    uint32_t m_aPads[4] = {1, 2, 4, 8};
    bool m_bStartSelected = false;
    bool m_bResolved = false;
};

// Sends a configured event to its target on a click, hover, press or double click.
class UIButtonMessage : public UIWidget {
public:
    static const ClassKey s_Class;
    explicit UIButtonMessage(GameObj* owner);
    // "trigger", "target", then the event: "hover", "press", "select", "click", "doubleClick",
    // "drag", "input", "tooltip", "scroll", "pad", "open", "closing", "closed" (later keys win).
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    void Start() override;
    void OnHover(bool hover) override;
    void OnPress(bool down) override;
    void OnClick() override;
    void OnDoubleClick() override;

    uint32_t GetTrigger() const { return m_nTrigger; }
    MsgUIEventKind GetKind() const { return m_eKind; }
    int32_t GetParam() const { return m_nParam; }
    int32_t GetParam2() const { return m_nParam2; }
    const std::string& GetText() const { return m_Text; }
    GameObj* GetTarget() const { return m_Target.Get(); }

private:
    void Send(uint32_t code);

    uint32_t m_nTrigger = 0;
    NameId m_nTargetTag = 0;
    UIObjectRef m_Target;
    MsgUIEventKind m_eKind = eUIEvent_None;
    std::string m_Text;
    int32_t m_nParam = 0;
    int32_t m_nParam2 = 0;
    bool m_bClosingParam = false; // the parameter is the own object
};

// Copies the events of the mask's kinds (bit k: kind k) to its target, and routes nothing.
class UIForwardEvents : public UIWidget {
public:
    static const ClassKey s_Class;
    explicit UIForwardEvents(GameObj* owner);
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    void Start() override;
    void OnMessage(IMessage* message) override;

    int32_t GetMask() const { return m_nMask; }
    GameObj* GetTarget() const { return m_Target.Get(); }

private:
    NameId m_nTargetTag = 0;
    UIObjectRef m_Target;
    int32_t m_nMask = 0;
};

// Plays sound effects on chosen events; every matching entry plays, in list order.
class UITriggerSound : public UIWidget {
public:
    static const ClassKey s_Class;
    explicit UITriggerSound(GameObj* owner);
    // The table is an array of {trigger, sound}.
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    void OnHover(bool hover) override;
    void OnPress(bool down) override;
    void OnSelect(bool selected) override;
    void OnClick() override;
    void Open() override;
    void OnClosing(GameObj* object) override;
    void Close() override;

    struct Entry {
        int32_t trigger;
        NameId sound;
    };
    const std::vector<Entry>& GetEntries() const { return m_Entries; }

private:
    void Play(int32_t code);

    std::vector<Entry> m_Entries;
};

// On its trigger, activates its target when asked to and plays or toggles the target's own
// tweens of its group; the disable condition switches the target off once they have run.
class UITriggerTween : public UIWidget {
public:
    static const ClassKey s_Class;
    explicit UITriggerTween(GameObj* owner);
    // "trigger", "target", "group", "enable_condition", "disable_condition", "direction",
    // "reset_on_play".
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    void Update() override;
    void OnHover(bool hover) override;
    void OnPress(bool down) override;
    void OnSelect(bool selected) override;
    void OnClick() override;
    void OnDoubleClick() override;
    void Open() override;
    void OnClosing(GameObj* object) override;
    void Close() override;

    void PlayOnTarget(bool argument);
    GameObj* GetTarget() const { return m_Target.Get(); }

private:
    void Fire(int32_t code, bool argument);

    int32_t m_nTrigger = 0;
    NameId m_nTargetTag = 0;
    UIObjectRef m_Target;
    bool m_bTargetResolved = false;
    int32_t m_nGroup = 0;
    int32_t m_nEnableCondition = 0;
    int32_t m_nDisableCondition = 0;
    int32_t m_nDirection = 0;
    bool m_bResetOnPlay = false;
    std::vector<UITweenRef> m_Tweens;
};
