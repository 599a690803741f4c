// The base of the interactive UI components: a UI event delivered to the object becomes a call
// of one virtual operation, and the widget finds, once, the UIRoot and the nearest UIFrame above
// its object. A widget outside any UI tree finds no root and posts nothing.
#pragma once

#include <cstdint>
#include <string>

#include "World/Component.h"
#include "World/IMessage.h"

class UIFrame;
class UIRoot;

class UIWidget : public Component {
public:
    static const ClassKey s_Class;

    virtual void OnHover(bool hover);
    virtual void OnPress(bool down);
    virtual void OnSelect(bool selected);
    virtual void OnClick();
    virtual void OnDoubleClick();
    virtual void OnDrag(int32_t x, int32_t y);
    // The dropped object, or null when it is gone.
    virtual void OnDrop(GameObj* object);
    virtual void OnInput(std::string text);
    virtual void OnTooltip(bool show);
    virtual void OnScroll(int32_t x, int32_t y);
    virtual void OnPad(uint32_t mask);
    // Runs on enable.
    virtual void Open();
    // The object that wants to close, or null when it is gone.
    virtual void OnClosing(GameObj* object);
    // Runs on disable.
    virtual void Close();

    // Looks for root and frame first when the root is still unknown, then Open.
    void OnEnable() override;
    void OnDisable() override;
    // Routes UI events by kind; Open, Close and None reach no operation.
    void OnMessage(IMessage* message) override;

    // Walks up from the owner's parent: the first frame seen becomes the frame, and the walk
    // stops at the first object with a UIRoot. The owner itself is never searched.
    void FindRootAndFrame();
    UIRoot* GetRoot() const { return m_pRoot; }
    UIFrame* GetFrame() const { return m_pFrame; }

protected:
    UIWidget(GameObj* owner, const ClassKey& classKey);
    // A UI event from this widget's object; nothing outside a UI tree.
    void Post(GameObj* target, MsgUIEventKind kind, int32_t param = 0);
    // The parent frame's object, else the root's, else null.
    GameObj* UpwardTarget() const;

    UIRoot* m_pRoot = nullptr;
    UIFrame* m_pFrame = nullptr;
};

// The widget that leads a screen or window: it keeps a selected child of its own, forwards
// the events it receives to it, and runs the open, closing and close protocol with its parent
// frame or the root.
class UIFrame : public UIWidget {
public:
    static const ClassKey s_Class;

    explicit UIFrame(GameObj* owner);

    // "close_pad": the exact pad mask that closes the frame (0: never); "not_select": opening
    // leaves the selection alone. Never fails.
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    // Routes, then forwards every event but Select, and every result, to the selected child.
    void OnMessage(IMessage* message) override;

    // The exact close mask asks the frame itself to close.
    void OnPad(uint32_t mask) override;
    // Takes the selection (unless "not_select"), clears closing, tells the root it opened.
    void Open() override;
    // Tells the parent frame (or the root) that the object wants to close.
    void OnClosing(GameObj* object) override;
    // Tells the parent frame (or the root) that it closed; drops its selected child.
    void Close() override;
    // Select(false) to the old child, active or not, Select(true) to the new; no history.
    virtual void SetSelection(GameObj* object);

    // The selected child, or null (none, or gone).
    GameObj* GetSelected() const;
    bool IsClosing() const { return m_bClosing; }
    uint32_t GetClosePad() const { return m_nClosePad; }
    bool IsNotSelect() const { return m_bNotSelect; }

protected:
    UIFrame(GameObj* owner, const ClassKey& classKey);

    uint32_t m_nClosePad = 0;
    int32_t m_nSelected = -1;
    bool m_bNotSelect = false;
    bool m_bClosing = false;
};
