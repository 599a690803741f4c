#include "Components/UI/UIQuestSelect.h"

#include <cstdio>
#include <lua.hpp>

#include "Components/Core/FontRenderer.h"
#include "Components/Core/SpriteRenderer.h"
#include "Components/UI/UIDialogFrames.h"
#include "Components/UI/UIEventWidgets.h"
#include "Components/UI/UILayoutWidgets.h"
#include "Components/UI/UIRoot.h"
#include "Components/UI/UITweener.h"
#include "ScreenTexts.h"
#include "System/Common/Log.h"
#include "System/Lua/LuaTableReader.h"
#include "World/GameObj.h"
#include "World/PlayerSaveData.h"
#include "World/QuestTable.h"
#include "World/Transform.h"

uint32_t g_LastSelectedQuestKey = 0;

const NameId g_nResultStartQuest = HashName("StartQuest");
const NameId g_nResultStageChange = HashName("StageChange");
const NameId g_nResultQuestPrev = HashName("QuestPrev");
const NameId g_nResultQuestNext = HashName("QuestNext");
const NameId g_nResultRewardPrev = HashName("RewardPrev");
const NameId g_nResultRewardNext = HashName("RewardNext");
const NameId g_nResultStartConfirm = HashName("StartConfirm");

const ClassKey UIStageTab::s_Class("UIStageTab");
const ClassKey UIQuestNumberDisplay::s_Class("UIQuestNumberDisplay");
const ClassKey UIQuestWindow::s_Class("UIQuestWindow");
const ClassKey UIFrameQuestSelect::s_Class("UIFrameQuestSelect");

namespace {

const NameId kNewIcon = HashName("quest_select/new_icon");
const NameId kClearIcon = HashName("quest_select/clear_icon");
const NameId kRewardIcon = HashName("quest_select/reward_icon");
const NameId kRewardIconBlack = HashName("quest_select/reward_icon_black");

const std::string& UndefinedRewardText()
{
    static const std::string s = ScreenTexts::reward_undefined;
    return s;
}

template <class T>
T* FindTagged(GameObj* owner, NameId tag)
{
    GameObj* o = tag ? owner->FindActiveByTag(tag) : nullptr;
    return o ? static_cast<T*>(o->GetComponent(T::s_Class.Key)) : nullptr;
}

void PostResult(GameObj* sender, GameObj* target, std::vector<int32_t> values)
{
    if (!sender || !target)
        return;
    auto* result = new MsgUIResult(sender);
    result->m_Values = std::move(values);
    target->PostMessage(result, 0.0f);
}

void SetActive(GameObj* object, bool active)
{
    if (!object || object->IsActive() == active)
        return;
    if (active)
        object->Activate();
    else
        object->Deactivate();
}

// Chains a tab to its usable neighbours on LB and RB, with no up or down.
void LinkTab(GameObj* tab, GameObj* left, GameObj* right)
{
    auto* keys = static_cast<UIButtonKeys*>(tab->GetComponent(UIButtonKeys::s_Class.Key));
    if (!keys)
        return;
    keys->SetNeighbour(eUIDirection_Up, nullptr);
    keys->SetNeighbour(eUIDirection_Down, nullptr);
    keys->SetNeighbour(eUIDirection_Left, left);
    keys->SetNeighbour(eUIDirection_Right, right);
    keys->SetNeighbourTag(eUIDirection_Up, 0);
    keys->SetNeighbourTag(eUIDirection_Down, 0);
    keys->SetNeighbourTag(eUIDirection_Left, left ? left->GetTag() : 0);
    keys->SetNeighbourTag(eUIDirection_Right, right ? right->GetTag() : 0);
    keys->SetResolved(true);
    keys->SetPadMask(eUIDirection_Up, 0);
    keys->SetPadMask(eUIDirection_Down, 0);
    keys->SetPadMask(eUIDirection_Left, 256);
    keys->SetPadMask(eUIDirection_Right, 512);
}

} // namespace

std::vector<const QuestReward*> ListedRewards(const QuestRecord& quest)
{
    std::vector<const QuestReward*> out;
    for (const QuestReward& r : quest.m_Rewards)
        if (r.m_nRewardType != eRewardType_Experience)
            out.push_back(&r);
    return out;
}

// --- UIStageTab

UIStageTab::UIStageTab(GameObj* owner) : UIWidget(owner, s_Class) {}

bool UIStageTab::Load(lua_State* L)
{
    m_Quests.clear();
    m_Stages.clear();
    lua_getfield(L, -1, "stage_names");
    if (lua_istable(L, -1)) {
        const int n = static_cast<int>(LuaGetItemCount(L));
        for (int i = 0; i < n; ++i) {
            const NameId stage = HashName(LuaGetStringItem(L, i));
            // Stage 0 would ask the table for the quests of every stage.
            if (stage == 0) {
                LOG_ERROR << "UIStageTab of " << GetOwner()->GetPrototypeName() << ": stage name " << i + 1
                          << " is empty or not a string; it is left out";
                continue;
            }
            m_Stages.push_back(stage);
            if (g_pQuestTable)
                g_pQuestTable->Query(m_Quests, g_PlayerSaveData.m_nFlagBits, stage);
        }
    }
    lua_pop(L, 1);
    m_bStartSelected = LuaGetIntField(L, "start_selected") == 1;
    return true;
}

bool UIStageTab::IsKindOf(TypeKey key) const { return key == s_Class.Key || key == UIWidget::s_Class.Key; }

void UIStageTab::OnEnable()
{
    UIWidget::OnEnable();
    // Selecting here would show this tab's first quest and overwrite the last quest's key
    // before the quest select screen reopens on that quest.
    if (m_bStartSelected && m_pFrame && !m_pFrame->IsKindOf(UIFrameQuestSelect::s_Class.Key))
        m_pFrame->UIFrame::SetSelection(GetOwner());
}

void UIStageTab::PostToFrame(NameId result)
{
    if (m_pFrame)
        PostResult(GetOwner(), m_pFrame->GetOwner(), {static_cast<int32_t>(result)});
}

void UIStageTab::OnSelect(bool selected)
{
    if (selected)
        PostToFrame(g_nResultStageChange);
}

void UIStageTab::OnPad(uint32_t mask)
{
    if (m_pFrame && m_pFrame->IsClosing())
        return;
    switch (mask) {
    case 1: PostToFrame(g_nResultQuestPrev); break;
    case 2: PostToFrame(g_nResultQuestNext); break;
    case 4: PostToFrame(g_nResultRewardPrev); break;
    case 8: PostToFrame(g_nResultRewardNext); break;
    case 16: PostToFrame(g_nResultStartConfirm); break;
    default: break;
    }
}

// --- UIQuestNumberDisplay

UIQuestNumberDisplay::UIQuestNumberDisplay(GameObj* owner) : UIWidget(owner, s_Class) {}

bool UIQuestNumberDisplay::Load(lua_State* L)
{
    const char* keys[4] = {"label_now_quest_count", "label_total_quest_count", "sprite_arrow_up",
                           "sprite_arrow_down"};
    for (int i = 0; i < 4; ++i)
        m_aTags[i] = HashName(LuaGetStringField(L, keys[i]));
    return true;
}

bool UIQuestNumberDisplay::IsKindOf(TypeKey key) const
{
    return key == s_Class.Key || key == UIWidget::s_Class.Key;
}

void UIQuestNumberDisplay::OnEnable()
{
    if (!m_bFound) {
        m_bFound = true;
        m_pNow = FindTagged<FontRenderer>(GetOwner(), m_aTags[0]);
        m_pTotal = FindTagged<FontRenderer>(GetOwner(), m_aTags[1]);
        m_pArrowUp = m_aTags[2] ? GetOwner()->FindActiveByTag(m_aTags[2]) : nullptr;
        m_pArrowDown = m_aTags[3] ? GetOwner()->FindActiveByTag(m_aTags[3]) : nullptr;
    }
    UIWidget::OnEnable();
}

void UIQuestNumberDisplay::SetIndex(int index, int count, bool animate)
{
    if (animate)
        Post(m_nIndex < index ? m_pArrowDown : m_pArrowUp, eUIEvent_Press, 1);
    m_nIndex = index;
    m_nCount = count;
    Refresh();
}

void UIQuestNumberDisplay::Refresh()
{
    char text[256];
    if (m_pNow) {
        std::snprintf(text, sizeof text, "%d", m_nIndex + 1);
        m_pNow->SetText(text);
    }
    if (m_pTotal) {
        std::snprintf(text, sizeof text, "%d", m_nCount);
        m_pTotal->SetText(text);
    }
}

// --- UIQuestWindow

UIQuestWindow::UIQuestWindow(GameObj* owner) : UIWidget(owner, s_Class) {}

bool UIQuestWindow::Load(lua_State* L)
{
    const char* keys[8] = {"label_title", "label_level", "sprite_title", "sprite_new",
                           "sprite_reward_cursor", "label_info", "label_reward_info", "table_progress"};
    for (int i = 0; i < 8; ++i)
        m_aTags[i] = HashName(LuaGetStringField(L, keys[i]));
    return true;
}

bool UIQuestWindow::IsKindOf(TypeKey key) const { return key == s_Class.Key || key == UIWidget::s_Class.Key; }

void UIQuestWindow::FindChildren()
{
    if (m_bFound)
        return;
    m_bFound = true;
    GameObj* o = GetOwner();
    m_pTitle = FindTagged<FontRenderer>(o, m_aTags[0]);
    m_pLevel = FindTagged<FontRenderer>(o, m_aTags[1]);
    m_pTitleImage = FindTagged<TextureAtlas>(o, m_aTags[2]);
    m_pNewIcon = FindTagged<TextureAtlas>(o, m_aTags[3]);
    m_pRewardCursor = FindTagged<TextureAtlas>(o, m_aTags[4]);
    m_pInfo = FindTagged<FontRenderer>(o, m_aTags[5]);
    m_pRewardInfo = FindTagged<FontRenderer>(o, m_aTags[6]);
    m_pProgress = FindTagged<UITable>(o, m_aTags[7]);
}

void UIQuestWindow::OnEnable()
{
    FindChildren();
    UIWidget::OnEnable();
}

void UIQuestWindow::ShowQuest(QuestRecord* quest)
{
    FindChildren();
    m_pQuest = quest;
    if (!quest)
        return;
    if (m_pTitle)
        m_pTitle->SetText(quest->m_QuestName);
    if (m_pInfo)
        m_pInfo->SetText(quest->m_Explanation);
    auto progress = g_PlayerSaveData.m_QuestProgress.find(quest->m_nKey);
    const bool hasRecord = progress != g_PlayerSaveData.m_QuestProgress.end();
    const uint32_t clears = hasRecord ? progress->second.m_nClearCount : 0;
    if (m_pLevel) {
        char text[128];
        std::snprintf(text, sizeof text, "LV %d", static_cast<int>(clears) + quest->m_nInitialLevel);
        m_pLevel->SetText(text);
    }
    if (quest->m_nNameImage && m_pTitleImage) {
        if (m_pTitle)
            SetActive(m_pTitle->GetOwner(), false);
        SetActive(m_pTitleImage->GetOwner(), true);
        m_pTitleImage->SetAtlasEntry(quest->m_nNameImage);
    } else {
        if (m_pTitle)
            SetActive(m_pTitle->GetOwner(), true);
        if (m_pTitleImage)
            SetActive(m_pTitleImage->GetOwner(), false);
    }
    if (m_pNewIcon) {
        if (hasRecord && progress->second.m_nSeen) {
            if (clears >= 1) {
                m_pNewIcon->SetAtlasEntry(kClearIcon);
                SetActive(m_pNewIcon->GetOwner(), true);
            } else {
                SetActive(m_pNewIcon->GetOwner(), false);
            }
        } else {
            m_pNewIcon->SetAtlasEntry(kNewIcon);
            SetActive(m_pNewIcon->GetOwner(), true);
        }
    }
    ShowRewardProgress(quest);
    m_nRewardPage = 0;
    ShowRewardPage(0);
}

void UIQuestWindow::ShowRewardProgress(QuestRecord* quest)
{
    if (!m_pProgress || !quest)
        return;
    // Every cell, not only the rows the previous quest left shown.
    for (GameObj* cell : m_pProgress->GetCellObjects())
        SetActive(cell, true);
    m_pProgress->Reposition(true);
    const std::vector<GameObj*> items = m_pProgress->GetItems();
    const std::vector<const QuestReward*> listed = ListedRewards(*quest);
    const size_t rows = m_pProgress->GetCellCount();
    // No items laid out: nothing to walk (a modulo by zero otherwise).
    for (size_t i = 0; !items.empty() && i < rows; ++i) {
        GameObj* row = items[i % items.size()];
        if (i < listed.size()) {
            SetActive(row, true);
            auto* atlas = static_cast<TextureAtlas*>(row->GetComponentInChildren(TextureAtlas::s_Class.Key));
            if (atlas)
                atlas->SetAtlasEntry(IsRewardHeld(*listed[i]) ? kRewardIcon : kRewardIconBlack);
        } else {
            SetActive(row, false);
        }
    }
    m_pProgress->Reposition(true);
}

void UIQuestWindow::ShowRewardPage(int page)
{
    if (!m_pQuest)
        return;
    const std::vector<const QuestReward*> listed = ListedRewards(*m_pQuest);
    // A quest without listed rewards has no page to show.
    if (listed.empty())
        return;
    const int n = static_cast<int>(listed.size());
    page %= n;
    if (page < 0)
        page += n;
    if (m_pProgress && m_pRewardCursor) {
        const std::vector<GameObj*> items = m_pProgress->GetItems();
        GameObj* cursor = m_pRewardCursor->GetOwner();
        if (!items.empty() && cursor->GetTransform()) {
            GameObj* row = items[static_cast<size_t>(page) % items.size()];
            if (row->GetTransform()) {
                float x = row->GetTransform()->WorldMatrix().m[3][0];
                float y = row->GetTransform()->WorldMatrix().m[3][1];
                GameObj* parent = cursor->GetParent();
                if (parent && parent->GetTransform()) {
                    x -= parent->GetTransform()->WorldMatrix().m[3][0];
                    y -= parent->GetTransform()->WorldMatrix().m[3][1];
                }
                Transform* t = cursor->GetTransform();
                t->SetLocalPosition(x, y, t->LocalMatrix().m[3][2]);
                t->UpdateWorldMatrices();
            }
        }
    }
    m_nRewardPage = page;
    if (m_pRewardInfo) {
        const QuestReward& reward = *listed[static_cast<size_t>(page)];
        const size_t entry = IsRewardHeld(reward) ? 1 : 0;
        if (entry < reward.m_RewardInfo.size())
            m_pRewardInfo->SetText(reward.m_RewardInfo[entry].m_Name + "\n" + reward.m_RewardInfo[entry].m_Suggestion);
        else
            m_pRewardInfo->SetText(UndefinedRewardText());
    }
}

// --- UIFrameQuestSelect

UIFrameQuestSelect::UIFrameQuestSelect(GameObj* owner) : UIFrame(owner, s_Class) {}

bool UIFrameQuestSelect::Load(lua_State* L)
{
    UIFrame::Load(L);
    m_nTabTableTag = HashName(LuaGetStringField(L, "tab_table"));
    m_nQuestWindowTag = HashName(LuaGetStringField(L, "quest_window"));
    m_nNumberDisplayTag = HashName(LuaGetStringField(L, "quest_number_display"));
    m_ConfirmText = LuaGetStringField(L, "yes_no_window_text");
    lua_getfield(L, -1, "yes_no_window_offset");
    if (lua_istable(L, -1)) {
        m_fConfirmX = LuaGetFloatField(L, "x");
        m_fConfirmY = LuaGetFloatField(L, "y");
    }
    lua_pop(L, 1);
    lua_getfield(L, -1, "sound_effect");
    if (lua_istable(L, -1)) {
        const char* names[5] = {"open", "change_stage", "change_quest", "change_reward", "close"};
        for (int i = 0; i < 5; ++i)
            m_aSounds[i] = LuaGetNameField(L, names[i]);
    }
    lua_pop(L, 1);
    return true;
}

bool UIFrameQuestSelect::IsKindOf(TypeKey key) const { return key == s_Class.Key || UIFrame::IsKindOf(key); }

void UIFrameQuestSelect::Open()
{
    UIFrame::Open();
    FindChildren();
    PlayUISound(m_aSounds[0]);
}

void UIFrameQuestSelect::FindChildren()
{
    GameObj* o = GetOwner();
    m_pTabTable = FindTagged<UITable>(o, m_nTabTableTag);
    m_pQuestWindow = FindTagged<UIQuestWindow>(o, m_nQuestWindowTag);
    m_pNumberDisplay = FindTagged<UIQuestNumberDisplay>(o, m_nNumberDisplayTag);
    if (!m_pTabTable) {
        UIFrame::SetSelection(nullptr);
        return;
    }
    m_pTabTable->Reposition(false);
    const size_t n = m_pTabTable->GetCellCount();
    const std::vector<GameObj*> items = m_pTabTable->GetItems();
    if (n < 1 || items.empty()) {
        UIFrame::SetSelection(nullptr);
        return;
    }
    GameObj* first = nullptr;
    GameObj* startTab = nullptr;
    GameObj* previous = nullptr;
    GameObj* beforePrevious = nullptr;
    GameObj* chosen = nullptr;
    int usable = 0;
    for (size_t i = 0; i < n; ++i) {
        GameObj* tab = items[i % items.size()];
        if (auto* color = static_cast<UITweener*>(tab->GetComponent(TweenColor::s_Class.Key))) {
            color->Play(false);
            color->ResetToBeginning();
        }
        auto* stage = static_cast<UIStageTab*>(tab->GetComponent(UIStageTab::s_Class.Key));
        if (!stage || stage->GetQuests().empty()) {
            SetActive(tab, false);
            continue;
        }
        ++usable;
        if (!first)
            first = tab;
        if (!startTab && stage->IsStartSelected())
            startTab = tab;
        if (previous)
            LinkTab(previous, beforePrevious, tab);
        beforePrevious = previous;
        previous = tab;
        const std::vector<QuestRecord*>& quests = stage->GetQuests();
        for (size_t q = 0; q < quests.size(); ++q)
            if (quests[q]->m_nKey == g_LastSelectedQuestKey) {
                chosen = tab;
                m_nPendingIndex = static_cast<int>(q);
            }
    }
    UIFrame::SetSelection(chosen ? chosen : startTab ? startTab : first);
    if (usable >= 2)
        LinkTab(previous, beforePrevious, nullptr);
}

void UIFrameQuestSelect::SetSelection(GameObj* object)
{
    if (GetSelected())
        PlayUISound(m_aSounds[1]);
    UIFrame::SetSelection(object);
}

void UIFrameQuestSelect::OnPad(uint32_t mask)
{
    if (m_bClosing || mask != 32)
        return;
    Post(GetOwner(), eUIEvent_Closing, UIObjectToParam(GetOwner()));
    PlayUISound(m_aSounds[4]);
}

void UIFrameQuestSelect::OnMessage(IMessage* message)
{
    UIFrame::OnMessage(message);
    if (message->GetTypeId() != MsgUIResult::s_Class.Key)
        return;
    const auto* r = static_cast<const MsgUIResult*>(message);
    if (r->m_Values.empty())
        return;
    const NameId name = static_cast<NameId>(r->m_Values[0]);
    if (name == g_nResultStageChange) {
        auto* tab = r->m_pSender
                        ? static_cast<UIStageTab*>(r->m_pSender->GetComponent(UIStageTab::s_Class.Key))
                        : nullptr;
        m_Quests = tab ? tab->GetQuests() : std::vector<QuestRecord*>();
        m_nCursor = 0;
        ShowQuest(m_nPendingIndex < 0 ? -1 : m_nPendingIndex, false);
        m_nPendingIndex = -1;
    } else if (name == g_nResultRewardNext || name == g_nResultRewardPrev) {
        if (m_pQuestWindow) {
            m_pQuestWindow->ShowRewardPage(m_pQuestWindow->GetRewardPage() + (name == g_nResultRewardNext ? 1 : -1));
            PlayUISound(m_aSounds[3]);
        }
    } else if (name == g_nResultQuestNext) {
        if (m_nCursor + 1 < static_cast<int>(m_Quests.size())) {
            ++m_nCursor;
            ShowQuest(-1, true);
            PlayUISound(m_aSounds[2]);
        }
    } else if (name == g_nResultQuestPrev) {
        if (m_nCursor > 0 && !m_Quests.empty()) {
            --m_nCursor;
            ShowQuest(-1, true);
            PlayUISound(m_aSounds[2]);
        }
    } else if (name == g_nResultStartConfirm) {
        GameObj* panel = UIRoot::FindPanel(HashName("ui_common_yes_no"));
        auto* dialog =
            panel ? static_cast<UIFrameCommonYesNo*>(panel->GetComponent(UIFrameCommonYesNo::s_Class.Key)) : nullptr;
        if (!dialog) {
            LOG_ERROR << "UIFrameQuestSelect: no panel \"ui_common_yes_no\" with a UIFrameCommonYesNo to confirm with";
            return;
        }
        dialog->m_InfoText = m_ConfirmText;
        dialog->SetWindowPosition(m_fConfirmX, m_fConfirmY);
        UIRoot::OpenPanel(HashName("ui_common_yes_no"));
    } else if (name == g_nResultCloseWindow) {
        if (r->m_Values.size() >= 2 && r->m_Values[1] == 1 && m_nCursor < static_cast<int>(m_Quests.size()) &&
            m_pRoot) {
            PostResult(GetOwner(), m_pRoot->GetOwner(),
                       {static_cast<int32_t>(g_nResultStartQuest), static_cast<int32_t>(m_Quests[m_nCursor]->m_nKey)});
            Post(GetOwner(), eUIEvent_Closing, UIObjectToParam(GetOwner()));
        }
    }
}

void UIFrameQuestSelect::ShowQuest(int index, bool animate)
{
    if (m_Quests.empty() || index >= static_cast<int>(m_Quests.size()))
        return;
    if (index >= 0)
        m_nCursor = index;
    QuestRecord* quest = m_Quests[static_cast<size_t>(m_nCursor)];
    if (m_pQuestWindow)
        m_pQuestWindow->ShowQuest(quest);
    if (m_pNumberDisplay)
        m_pNumberDisplay->SetIndex(m_nCursor, static_cast<int>(m_Quests.size()), animate);
    g_LastSelectedQuestKey = quest->m_nKey;
}
