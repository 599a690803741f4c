// Frames for a yes/no confirmation window and the quest result report. Both are panels of a
// UIRoot and rely on the UIFrame protocol for opening, closing and selection.
#pragma once

#include <cstdint>
#include <string>

#include "Components/UI/UIWidget.h"
#include "System/Common/NameHash.h"

class FontRenderer;
class TextureAtlas;
struct QuestRecord;
struct QuestReward;

// Result names shared by the dialogs and the quest select screen.
extern const NameId g_nResultCloseWindow;

// Plays a sound effect once, without reusing a source; nothing for key 0 or without sound.
void PlayUISound(NameId key);
// Whether the save data already holds the reward; experience and unknown types count as held.
bool IsRewardHeld(const QuestReward& reward);

// A modal confirmation. Its answer (0 closed without a choice, 1 yes, 2 no) goes, with the
// caller value, as "CloseWindow" to the object selected when it opened (when it still lives)
// and to the root.
class UIFrameCommonYesNo : public UIFrame {
public:
    static const ClassKey s_Class;
    explicit UIFrameCommonYesNo(GameObj* owner);

    // "window_root", "label_info", "info_text", "sound_effect" {open, select, yes, cancel}.
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    void OnEnable() override;
    void Open() override;
    void OnClosing(GameObj* object) override;
    void Close() override;
    void SetSelection(GameObj* object) override;

    // A non-zero key overrides that sound for this opening; zero puts the loaded one back.
    void SetSounds(NameId open, NameId select, NameId yes, NameId cancel);
    // Moves the window root object for this opening.
    void SetWindowPosition(float x, float y);

    int32_t GetAnswer() const { return m_nAnswer; }
    int32_t GetCallerId() const { return m_nCallerId; }
    NameId GetCurrentSound(int index) const { return m_aCurrentSounds[index]; }

    // Written by the opener before opening.
    std::string m_InfoText;
    int32_t m_nCallerValue = 0;

private:
    void FindChildren();
    void PlaceWindow(float x, float y);

    NameId m_nWindowRootTag = 0;
    NameId m_nInfoLabelTag = 0;
    NameId m_aDefaultSounds[4] = {};
    NameId m_aCurrentSounds[4] = {};
    FontRenderer* m_pInfoLabel = nullptr;
    int32_t m_nCallerId = -1; // -1: nobody was selected
    int32_t m_nAnswer = 0;
};

// The report after a cleared quest: time, kills, experience, the rewards about to be earned and
// the quest's title image. Closes on B alone.
class UIFrameReport : public UIFrame {
public:
    static const ClassKey s_Class;
    explicit UIFrameReport(GameObj* owner);

    // "label_report", "bg_quest_title", "sound_effect" {open_window, close_window}.
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    void OnPad(uint32_t mask) override;
    void Open() override;

    // The report text for the current statistics and quest (also put on the label).
    std::string BuildReport();

private:
    NameId m_nReportLabelTag = 0;
    NameId m_nQuestTitleTag = 0;
    NameId m_nOpenSound = 0;
    NameId m_nCloseSound = 0;
    FontRenderer* m_pReportLabel = nullptr;
    TextureAtlas* m_pQuestTitle = nullptr;
    QuestRecord* m_pQuest = nullptr;
};
