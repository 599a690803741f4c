// The quest select screen: stage tabs with their available quests, a window with one quest's
// details and rewards, a position display, and the frame that ties them together and asks for
// confirmation before sending "StartQuest" to the root.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Components/UI/UIWidget.h"
#include "System/Common/NameHash.h"

class FontRenderer;
class TextureAtlas;
class UITable;
struct QuestRecord;
struct QuestReward;

// The key of the quest last shown; the screen reopens on it. The title start clears it.
extern uint32_t g_LastSelectedQuestKey;

extern const NameId g_nResultStartQuest;
extern const NameId g_nResultStageChange;
extern const NameId g_nResultQuestPrev;
extern const NameId g_nResultQuestNext;
extern const NameId g_nResultRewardPrev;
extern const NameId g_nResultRewardNext;
extern const NameId g_nResultStartConfirm;

// A quest's rewards as the screen lists them: all but experience, in order.
std::vector<const QuestReward*> ListedRewards(const QuestRecord& quest);

class UIStageTab : public UIWidget {
public:
    static const ClassKey s_Class;
    explicit UIStageTab(GameObj* owner);
    // "stage_names" (each stage's available quests, by quest id), "start_selected".
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    // Under a quest select screen the screen picks the tab to start on (the last quest's first,
    // then a "start_selected" one); under another frame a "start_selected" tab takes the
    // selection itself.
    void OnEnable() override;
    void OnSelect(bool selected) override;
    void OnPad(uint32_t mask) override;

    bool IsStartSelected() const { return m_bStartSelected; }
    const std::vector<QuestRecord*>& GetQuests() const { return m_Quests; }
    const std::vector<NameId>& GetStages() const { return m_Stages; }

private:
    void PostToFrame(NameId result);

    std::vector<QuestRecord*> m_Quests;
    std::vector<NameId> m_Stages;
    bool m_bStartSelected = false;
};

class UIQuestNumberDisplay : public UIWidget {
public:
    static const ClassKey s_Class;
    explicit UIQuestNumberDisplay(GameObj* owner);
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    void OnEnable() override;

    // Presses the arrow of the direction moved when animated, then shows the numbers.
    void SetIndex(int index, int count, bool animate);
    void Refresh();
    int GetIndex() const { return m_nIndex; }
    int GetCount() const { return m_nCount; }

private:
    NameId m_aTags[4] = {}; // now, total, arrow up, arrow down
    FontRenderer* m_pNow = nullptr;
    FontRenderer* m_pTotal = nullptr;
    GameObj* m_pArrowUp = nullptr;
    GameObj* m_pArrowDown = nullptr;
    bool m_bFound = false;
    int m_nIndex = 0;
    int m_nCount = 0;
};

class UIQuestWindow : public UIWidget {
public:
    static const ClassKey s_Class;
    explicit UIQuestWindow(GameObj* owner);
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    void OnEnable() override;

    void ShowQuest(QuestRecord* quest);
    void ShowRewardProgress(QuestRecord* quest);
    // Wraps the page over the listed rewards; nothing without a quest or a listed reward.
    void ShowRewardPage(int page);

    int GetRewardPage() const { return m_nRewardPage; }
    QuestRecord* GetQuest() const { return m_pQuest; }

private:
    void FindChildren();

    NameId m_aTags[8] = {};
    FontRenderer* m_pTitle = nullptr;
    FontRenderer* m_pLevel = nullptr;
    TextureAtlas* m_pTitleImage = nullptr;
    TextureAtlas* m_pNewIcon = nullptr;
    TextureAtlas* m_pRewardCursor = nullptr;
    FontRenderer* m_pInfo = nullptr;
    FontRenderer* m_pRewardInfo = nullptr;
    UITable* m_pProgress = nullptr;
    bool m_bFound = false;
    int m_nRewardPage = 0;
    QuestRecord* m_pQuest = nullptr;
};

class UIFrameQuestSelect : public UIFrame {
public:
    static const ClassKey s_Class;
    explicit UIFrameQuestSelect(GameObj* owner);
    // "tab_table", "quest_window", "quest_number_display", "yes_no_window_text",
    // "yes_no_window_offset" {x, y}, "sound_effect" {open, change_stage, change_quest,
    // change_reward, close}.
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    void OnMessage(IMessage* message) override;
    void OnPad(uint32_t mask) override;
    void Open() override;
    void SetSelection(GameObj* object) override;

    // Shows the entry at the index (-1: the one under the cursor); nothing past the list.
    void ShowQuest(int index, bool animate);

    const std::vector<QuestRecord*>& GetQuests() const { return m_Quests; }
    int GetCursor() const { return m_nCursor; }
    UIQuestWindow* GetQuestWindow() const { return m_pQuestWindow; }

private:
    void FindChildren();

    NameId m_nTabTableTag = 0, m_nQuestWindowTag = 0, m_nNumberDisplayTag = 0;
    NameId m_aSounds[5] = {}; // open, change stage, change quest, change reward, close
    UITable* m_pTabTable = nullptr;
    UIQuestWindow* m_pQuestWindow = nullptr;
    UIQuestNumberDisplay* m_pNumberDisplay = nullptr;
    std::string m_ConfirmText;
    float m_fConfirmX = 0.0f, m_fConfirmY = 0.0f;
    std::vector<QuestRecord*> m_Quests;
    int m_nCursor = 0;
    int m_nPendingIndex = -1;
};
