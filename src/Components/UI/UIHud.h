// The in-game head-up display: a frame that finds its four widgets (combo counter, name plate,
// life and special gauges, quest targets). Gameplay writes values into the widgets; none of
// them computes game state.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include "Components/UI/UIWidget.h"
#include "System/Common/NameHash.h"

// The highest count a quest-target row shows when the data gives no "limit_max".
constexpr int32_t kQuestTargetDefaultLimit = 99;

class FontRenderer;
class SlicedSpriteRenderer;
class SpriteNumberRenderer;
class StatusParameter;
class TweenAlpha;
class TweenShake;
class UIHudCombo;
class UIHudObjectName;
class UIHudQuestTarget;
class UIHudStatusBar;
class UISlider;
class UITable;
class UIWheel;

// The HUD frame of the panel "ui_hud": the one the root's quest controller caches, found and
// cached first when it has none. Null without the panel.
class UIFrameHud;
UIFrameHud* FindHud();

class UIFrameHud : public UIFrame {
public:
    static const ClassKey s_Class;
    explicit UIFrameHud(GameObj* owner);

    // The frame's keys, then the tags "combo", "object_name", "status_bar", "quest_target".
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    // Finds the widgets once, then the widget's enable steps.
    void OnEnable() override;

    void FindChildren();

    // Null until found; read by gameplay after the HUD is enabled.
    UIHudCombo* m_pCombo = nullptr;
    UIHudObjectName* m_pObjectName = nullptr;
    UIHudStatusBar* m_pStatusBar = nullptr;
    UIHudQuestTarget* m_pQuestTarget = nullptr;

private:
    NameId m_nComboTag = 0, m_nObjectNameTag = 0, m_nStatusBarTag = 0, m_nQuestTargetTag = 0;
};

// The combo count: shakes when it changes, fades out when its display time has run out.
class UIHudCombo : public UIWidget {
public:
    static const ClassKey s_Class;
    explicit UIHudCombo(GameObj* owner);

    // "sprite_number_combo", "display_time".
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    // Counts down while shown; fades out in the frame the time goes below 0.
    void Update() override;
    // Finds number and tweens once (starting hidden), then the widget's enable steps.
    void OnEnable() override;

    void FindChildren();
    // The count, a shake, a fade-in and the display time afresh.
    void ShowCount(int32_t count);

    SpriteNumberRenderer* GetNumber() const { return m_pNumber; }
    TweenShake* GetShake() const { return m_pShake; }
    TweenAlpha* GetFade() const { return m_pFade; }
    float GetDisplayTime() const { return m_fDisplayTime; }
    float GetRemainingTime() const { return m_fRemainingTime; }

private:
    NameId m_nNumberTag = 0;
    TweenShake* m_pShake = nullptr;
    TweenAlpha* m_pFade = nullptr;
    SpriteNumberRenderer* m_pNumber = nullptr;
    float m_fDisplayTime = 0.0f;
    float m_fRemainingTime = 0.0f;
};

// A name on a bar sized to it, shown for a while after its fade-in.
class UIHudObjectName : public UIWidget {
public:
    static const ClassKey s_Class;
    explicit UIHudObjectName(GameObj* owner);

    // "label_object_name", "sliced_sprite_bar", "display_time".
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    // Counts down only once the fade-in has finished.
    void Update() override;
    void OnEnable() override;

    void FindChildren();
    // The text for the seconds; the bar is as wide as the text plus its two borders.
    void Show(const std::string& text, float seconds);

    FontRenderer* GetLabel() const { return m_pLabel; }
    SlicedSpriteRenderer* GetBar() const { return m_pBar; }
    TweenAlpha* GetFade() const { return m_pFade; }
    float GetRemainingTime() const { return m_fRemainingTime; }

private:
    NameId m_nLabelTag = 0, m_nBarTag = 0;
    TweenAlpha* m_pFade = nullptr;
    FontRenderer* m_pLabel = nullptr;
    SlicedSpriteRenderer* m_pBar = nullptr;
    float m_fDisplayTime = 0.0f;
    float m_fRemainingTime = 0.0f;
    bool m_bCounting = false; // shown and not yet run out
};

// The player's life (number, slider and a flower that spins on changes and shrinks as life
// drops) and power in three special sliders. The quest director writes the five values.
class UIHudStatusBar : public UIWidget {
public:
    static const ClassKey s_Class;
    explicit UIHudStatusBar(GameObj* owner);

    // The six tags, "special_red" {r, g, b, a}, "helth_per_force" (a number other than 0).
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    // Special 0 of 1000.
    void Start() override;
    // Flower force from the life change, then, once the player is known, the gauges. Nothing
    // of the gauges moves while the life maximum is 0.
    void Update() override;
    void OnEnable() override;

    void FindChildren();

    UIWheel* GetFlower() const { return m_pFlower; }
    SpriteNumberRenderer* GetLifeNumber() const { return m_pLifeNumber; }
    UISlider* GetLifeSlider() const { return m_pLifeSlider; }
    UISlider* GetSpecialSlider(int index) const { return m_apSpecial[index]; }
    uint32_t GetSpecialColor() const { return m_nSpecialColor; }
    float GetLifePerForce() const { return m_fLifePerForce; }
    StatusParameter* GetPlayerStatus() const { return m_pPlayerStatus; }

    // Written by the quest director, current values already clamped to 0..maximum.
    float m_fLife = 0.0f;
    float m_fPrevLife = 0.0f;
    float m_fLifeMax = 0.0f;
    float m_fSpecial = 0.0f;
    float m_fSpecialMax = 1000.0f;

private:
    void ApplyGauges();

    NameId m_nFlowerTag = 0, m_nLifeNumberTag = 0, m_nLifeSliderTag = 0;
    NameId m_aSpecialTags[3] = {};
    UIWheel* m_pFlower = nullptr;
    SpriteNumberRenderer* m_pLifeNumber = nullptr;
    UISlider* m_pLifeSlider = nullptr;
    UISlider* m_apSpecial[3] = {};
    uint32_t m_nSpecialColor = 0xFFFFFFFFu;
    StatusParameter* m_pPlayerStatus = nullptr;
    float m_fLifePerForce = 100.0f;
};

// Rows of quest targets, each an icon and a count "x%3d" capped at the limit.
class UIHudQuestTarget : public UIWidget {
public:
    static const ClassKey s_Class;
    explicit UIHudQuestTarget(GameObj* owner);

    // "limit_max" (absent: kQuestTargetDefaultLimit), "quest_target_script_name".
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    // Takes the own object's table once, then the widget's enable steps.
    void OnEnable() override;

    // A new row for the key (also the icon's atlas entry), laid out with the others at count 0.
    // False for a listed key, and without the row prototype (an error).
    bool AddTarget(NameId key);
    // Sets the listed key's count; an unlisted key is ignored.
    void SetCount(NameId key, int32_t count);

    size_t GetTargetCount() const { return m_Targets.size(); }
    // The row label of the key, or null.
    FontRenderer* GetLabel(NameId key) const;
    int32_t GetCount(NameId key) const;
    UITable* GetTable() const { return m_pTable; }

private:
    struct Row {
        int32_t count = 0;
        FontRenderer* label = nullptr;
    };

    UITable* m_pTable = nullptr;
    int32_t m_nLimit = 0;
    std::string m_RowPrototype;
    std::unordered_map<NameId, Row> m_Targets;
};
