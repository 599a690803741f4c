// The parameter upgrade screen: six rows that each show one parameter's level as a strip of
// pieces, a row that pages through the owned accessories, and the frame that prices the pending
// levels in experience and writes them into the save data once the player confirms.
#pragma once

#include <cstdint>
#include <string>

#include "Components/UI/UIWidget.h"
#include "System/Common/NameHash.h"

class FontRenderer;
class SpriteRenderer;
class StatusParameter;
class UITable;

constexpr int kUpgradeRowCount = 6;

extern const NameId g_nResultLevelUp;
extern const NameId g_nResultLevelDown;
extern const NameId g_nResultAccessoryPrev;
extern const NameId g_nResultAccessorySkipPrev;
extern const NameId g_nResultAccessoryNext;
extern const NameId g_nResultAccessorySkipNext;
extern const NameId g_nResultAccessorySpecified;

// Number colours of a row: at its saved level, pending beyond what the experience covers, and
// pending within it.
extern const uint32_t g_nUpgradeColorSaved;
extern const uint32_t g_nUpgradeColorShort;
extern const uint32_t g_nUpgradeColorPending;

// Every enabled TextureAtlas of the object's subtree (pre-order, each object's components in
// order) shows the row kind's piece; a kind outside 0-5 changes nothing.
void SetUpgradePieceSprites(int kind, GameObj* table);

// One upgradable parameter. It only reports the wish to raise or lower; the frame decides and
// writes the levels back.
class UIUpgradeBar : public UIWidget {
public:
    static const ClassKey s_Class;
    explicit UIUpgradeBar(GameObj* owner);
    // "label_title", "label_num", "sprite_select", "sprite_arrow_left", "sprite_arrow_right",
    // "table_piece", "sound_effect" {select_bar}.
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    // Finds the tagged descendants once, then the widget's enable steps.
    void OnEnable() override;
    // The row kind's piece sprite on the pieces (none while the kind is unset).
    void Start() override;
    // Back to the saved level and value; the arrows and the select sprite hidden.
    void Open() override;
    void OnSelect(bool selected) override;
    // Right asks for a raise; Left for a lowering, only above the saved level.
    void OnPad(uint32_t mask) override;

    // Pieces, number colour by state, and the shown value.
    void Refresh(bool shortage);
    // Shows the first count pieces: saved ones stand still, pending ones blink in step with the
    // parent's colour tween.
    void UpdatePieces(int count);

    UITable* GetPieceTable() const { return m_pPieces; }
    FontRenderer* GetNumberLabel() const { return m_pNumber; }
    SpriteRenderer* GetSelectSprite() const { return m_pSelect; }

    int m_nRowKind = -1;
    int m_nSavedLevel = 0;
    int m_nCurrentLevel = 0;
    int m_nSavedValue = 0;
    int m_nShownValue = 0;

private:
    void FindChildren();
    void PostToFrame(NameId result);

    NameId m_aTags[6] = {}; // title, number, select, left arrow, right arrow, piece table
    NameId m_nSelectSound = 0;
    FontRenderer* m_pTitle = nullptr;
    FontRenderer* m_pNumber = nullptr;
    SpriteRenderer* m_pSelect = nullptr;
    SpriteRenderer* m_pArrowLeft = nullptr;
    SpriteRenderer* m_pArrowRight = nullptr;
    UITable* m_pPieces = nullptr;
    bool m_bFound = false;
};

// The equipped accessory's name and explanation between two arrows; the pad pages.
class UIAccessoryBar : public UIWidget {
public:
    static const ClassKey s_Class;
    explicit UIAccessoryBar(GameObj* owner);
    // "label_name", "label_info", "sprite_arrow_left", "sprite_arrow_right", "sound_effect"
    // {select_bar, item_next, item_prev}.
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    void OnEnable() override;
    // Hides the arrows and tells the frame where the equipped accessory stands in the owned
    // list (-1 when it is not there).
    void Open() override;
    void OnSelect(bool selected) override;
    void OnPad(uint32_t mask) override;

    // Both labels; the right arrow follows the name's width.
    void SetTexts(const std::string& name, const std::string& info);

private:
    void FindChildren();
    void PostToFrame(NameId result, int32_t value, bool withValue);

    NameId m_aTags[4] = {}; // name, info, left arrow, right arrow
    NameId m_aSounds[3] = {}; // select, next, previous
    FontRenderer* m_pName = nullptr;
    FontRenderer* m_pInfo = nullptr;
    SpriteRenderer* m_pArrowLeft = nullptr;
    SpriteRenderer* m_pArrowRight = nullptr;
    bool m_bFound = false;
};

class UIFrameUpgradeParameter : public UIFrame {
public:
    static const ClassKey s_Class;
    explicit UIFrameUpgradeParameter(GameObj* owner);
    // "updatable" (1 selects a row at opening), "accept_upgrade_confirm_text",
    // "cancel_upgrade_confirm_text", "select", "table", "accessory", "label_experience_cost",
    // "label_experience_total", "sprite_rank_badge", "sound_effect" {ten sounds}.
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    // Finds the rows at the first opening; every opening drops the pending cost.
    void Open() override;
    // A asks to confirm the pending levels, B asks to drop them (or closes when none).
    void OnPad(uint32_t mask) override;
    void OnMessage(IMessage* message) override;

    // The experience from the level to the next, from the kind's curve of the player status;
    // 0 without a status or for another kind.
    int LevelCost(int level, int kind) const;
    // The kind's value at the level (kinds 1 and 5 as a rounded percent); 0 without a status.
    int DisplayValue(int level, int kind) const;
    // 2 next, 3 previous, 4 skip next, 5 skip previous, 6 specified, -1 anything else.
    static int AccessoryOpFromResult(NameId name);
    // The accessory index after the paging operation over n entries.
    static int PageAccessory(int op, int index, int count);
    bool AnyChange() const;
    void RefreshCostLabels();
    void RefreshAllBars(bool shortage);
    // Spends the pending cost and makes the pending levels the saved ones (no file written).
    void Apply();

    // Whether a row is selected when the screen opens; the quest flow clears it.
    bool m_bUpdatable = false;

    UIUpgradeBar* GetRow(int kind) const { return m_apRows[kind]; }
    int GetPendingCost() const { return m_nPendingCost; }
    int GetAccessoryIndex() const { return m_nAccessoryIndex; }
    int GetAccessoryCount() const { return m_nAccessoryCount; }
    bool IsConfirming() const { return m_bConfirming; }
    FontRenderer* GetCostLabel() const { return m_pCostLabel; }

private:
    enum Sound {
        eSound_Open,
        eSound_Accept,
        eSound_NoExperience,
        eSound_OpenConfirm,
        eSound_SelectConfirm,
        eSound_Close,
        eSound_ForceClose,
        eSound_CancelClose,
        eSound_LevelUp,
        eSound_LevelDown,
        eSound_Count
    };
    void FindChildren();
    void OpenConfirm(const std::string& text, int32_t callerValue, NameId yesSound, NameId cancelSound);
    void OnLevelResult(NameId name, GameObj* sender);
    void OnAccessoryResult(int op, const MsgUIResult& result);
    StatusParameter* PlayerStatus() const;
    bool Shortage() const;

    NameId m_nSelectTag = 0, m_nTableTag = 0, m_nAccessoryTag = 0;
    NameId m_nCostLabelTag = 0, m_nTotalLabelTag = 0, m_nRankTag = 0;
    NameId m_aSounds[eSound_Count] = {};
    UITable* m_pRowTable = nullptr;
    FontRenderer* m_pCostLabel = nullptr;
    FontRenderer* m_pTotalLabel = nullptr;
    GameObj* m_pRankObject = nullptr;
    UIUpgradeBar* m_apRows[kUpgradeRowCount] = {};
    std::string m_AcceptText;
    std::string m_CancelText;
    int m_nPendingCost = 0;
    int m_nAccessoryIndex = -1;
    int m_nAccessoryCount = 0;
    bool m_bConfirming = false;
};
