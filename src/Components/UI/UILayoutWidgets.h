// Components that place and show UI pieces: a table that lays its children out in a row or
// column, a cursor that moves onto a table cell, a gauge that sizes its foreground sprite, a
// wheel that spins with a decaying force and an icon that shows a random atlas entry.
#pragma once

#include <cstdint>
#include <vector>

#include "Components/UI/UIEventWidgets.h"
#include "Components/UI/UIWidget.h"
#include "System/Common/NameHash.h"

class SpriteRenderer;
class TextureAtlas;
class Transform;

// Lays out its direct children from its own world position, one step apart, each offset by the
// local position it had when first collected (so repeated layouts never drift). Inactive
// children keep their place and take no step.
class UITable : public Component {
public:
    static const ClassKey s_Class;
    explicit UITable(GameObj* owner);
    ~UITable() override;
    // "on_start", "padding" {x, y}, "alignment" (0 start, 1 centre, 2 end), "direction"
    // (0 none, 1 forward, 2 reversed).
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    // Lays out when a layout is pending.
    void Update() override;

    // Lays out when a layout is pending or forced.
    virtual void Reposition(bool force);
    // Puts the recorded cells back where they were, then records the present children afresh.
    void ResetChildPositions();

    // The laid-out objects still alive, in order.
    std::vector<GameObj*> GetItems() const;
    // The objects of the recorded cells still alive, in order, active or not (collected first
    // when none are recorded).
    std::vector<GameObj*> GetCellObjects();
    // The first laid-out object with the tag, or null.
    GameObj* FindItem(NameId tag) const;
    bool IsRepositionPending() const { return m_bRepositionPending; }
    void SetRepositionPending(bool pending) { m_bRepositionPending = pending; }
    void SetPadding(float x, float y) { m_fPaddingX = x, m_fPaddingY = y; }
    void SetAlignment(uint8_t alignment) { m_nAlignment = alignment; }
    void SetDirection(uint8_t direction) { m_nDirection = direction; }
    uint8_t GetDirection() const { return m_nDirection; }
    size_t GetCellCount() const { return m_Cells.size(); }

private:
    struct Cell {
        UIObjectRef object;
        float x, y;
    };
    void Collect();

    bool m_bRepositionPending = false;
    float m_fPaddingX = 0.0f, m_fPaddingY = 0.0f;
    uint8_t m_nAlignment = 0;
    uint8_t m_nDirection = 0;
    std::vector<Cell> m_Cells;
    std::vector<UIObjectRef> m_Items;
};

// A cursor that moves onto the cell of its parent's table with a given tag, gliding with its
// TweenPosition when it has one.
class UISelector : public Component {
public:
    static const ClassKey s_Class;
    explicit UISelector(GameObj* owner);
    // "target_tag".
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    // Lays the table out, then stands on the target cell at once.
    void OnEnable() override;
    // Press(true) or Select(true) from a button moves onto the button's cell.
    void OnMessage(IMessage* message) override;

    // Nothing moves when no laid-out cell has the tag.
    void MoveTo(NameId tag, bool immediate);
    NameId GetCurrentTag() const { return m_nCurrentTag; }
    void SetTargetTag(NameId tag) { m_nTargetTag = tag; }

private:
    UITable* m_pTable = nullptr;
    NameId m_nTargetTag = 0;
    NameId m_nCurrentTag = 0;
};

// A gauge: its foreground sprite is sized by the value along one axis.
class UISlider : public UIWidget {
public:
    static const ClassKey s_Class;
    explicit UISlider(GameObj* owner);
    // "value", "direciton" (0 horizontal, 1 vertical), "foreground", "thumb"; "size" {width,
    // height} when present.
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    // On the first enable finds foreground and thumb (a missing foreground is an error) and
    // takes the foreground's size when none is set; then applies. No Open.
    void OnEnable() override;

    // Sizes the foreground by the value; nothing without one.
    void Apply();
    void SetValue(float value) { m_fValue = value; }
    float GetValue() const { return m_fValue; }
    void SetSize(float width, float height) { m_fWidth = width, m_fHeight = height; }
    float GetWidth() const { return m_fWidth; }
    float GetHeight() const { return m_fHeight; }
    int32_t GetDirection() const { return m_nDirection; }
    SpriteRenderer* GetForeground() const;
    SpriteRenderer* GetThumb() const;

private:
    NameId m_nForegroundTag = 0;
    NameId m_nThumbTag = 0;
    UIObjectRef m_Foreground, m_Thumb;
    SpriteRenderer* m_pForeground = nullptr;
    SpriteRenderer* m_pThumb = nullptr;
    bool m_bFound = false;
    float m_fValue = 0.0f;
    float m_fWidth = 0.0f, m_fHeight = 0.0f;
    int32_t m_nDirection = 1;
};

// Spins its object by a force that the friction scales every frame.
class UIWheel : public UIWidget {
public:
    static const ClassKey s_Class;
    explicit UIWheel(GameObj* owner);
    // "friction" (-1 to 1; another is refused, keeping 0), "base_rps", "force", "limit_force".
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    void Start() override;
    void Update() override;

    float GetForce() const { return m_fForce; }
    void SetForce(float force) { m_fForce = force; }
    float GetLimitForce() const { return m_fLimitForce; }
    float GetAngle() const { return m_fAngle; }

private:
    Transform* m_pTransform = nullptr;
    float m_fFriction = 0.0f;
    float m_fBaseRps = 0.0f;
    float m_fForce = 0.0f;
    float m_fLimitForce = 0.0f;
    float m_fAngle = 0.0f;
};

// Shows a random entry of its list on its object's atlas each time the object is enabled.
class UIRandomAtlas : public Component {
public:
    static const ClassKey s_Class;
    explicit UIRandomAtlas(GameObj* owner);
    // "atlases": an array of entry names.
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    void OnEnable() override;

    const std::vector<NameId>& GetEntries() const { return m_Entries; }

private:
    std::vector<NameId> m_Entries;
};
