#include "Components/UI/UIDialogFrames.h"

#include <cstdio>
#include <lua.hpp>
#include <vector>

#include "Components/Core/FontRenderer.h"
#include "Components/Core/SpriteRenderer.h"
#include "Components/Game/QuestController.h"
#include "Components/UI/UIEventWidgets.h"
#include "Components/UI/UIRoot.h"
#include "ScreenTexts.h"
#include "System/Common/Log.h"
#include "System/Lua/LuaTableReader.h"
#include "System/Sound/SoundManager.h"
#include "World/GameObj.h"
#include "World/MessageManager.h"
#include "World/PlayStatistics.h"
#include "World/PlayerSaveData.h"
#include "World/QuestTable.h"
#include "World/SceneManager.h"
#include "World/Transform.h"

const NameId g_nResultCloseWindow = HashName("CloseWindow");

const ClassKey UIFrameCommonYesNo::s_Class("UIFrameCommonYesNo");
const ClassKey UIFrameReport::s_Class("UIFrameReport");

namespace {

const NameId kSelectYes = HashName("select_yes");
const NameId kSelectNo = HashName("select_no");

// The report's line formats, in the code page 932 the font and the data speak.
std::string Line(const char* format)
{
    std::string line = format;
    line += '\n';
    return line;
}

const std::string& TimeFormat()
{
    static const std::string s = Line(ScreenTexts::report_clear_time);
    return s;
}
const std::string& KillFormat()
{
    static const std::string s = Line(ScreenTexts::report_kill_count);
    return s;
}
const std::string& ExperienceFormat()
{
    static const std::string s = Line(ScreenTexts::report_experience);
    return s;
}

// The first active object of the subtree with the tag and its component of the class.
template <class T>
T* FindTagged(GameObj* owner, NameId tag)
{
    GameObj* o = tag ? owner->FindActiveByTag(tag) : nullptr;
    return o ? static_cast<T*>(o->GetComponent(T::s_Class.Key)) : nullptr;
}

NameId SoundField(lua_State* L, const char* name) { return LuaGetNameField(L, name); }

void PostResultTo(GameObj* sender, GameObj* target, std::vector<int32_t> values)
{
    if (!target)
        return;
    auto* result = new MsgUIResult(sender);
    result->m_Values = std::move(values);
    target->PostMessage(result, 0.0f);
}

} // namespace

void PlayUISound(NameId key)
{
    if (key && g_pSoundManager)
        g_pSoundManager->PlaySe(key, false);
}

bool IsRewardHeld(const QuestReward& reward)
{
    const PlayerSaveData& save = g_PlayerSaveData;
    switch (reward.m_nRewardType) {
    case eRewardType_Rank: return save.m_nHonourLevel >= static_cast<int32_t>(reward.m_nRewardValue);
    case eRewardType_Flags: return (save.m_nFlagBits & reward.m_nRewardValue) != 0;
    case eRewardType_Accessory: return save.HasAccessory(reward.m_nRewardValue);
    default: return true;
    }
}

// --- UIFrameCommonYesNo

UIFrameCommonYesNo::UIFrameCommonYesNo(GameObj* owner) : UIFrame(owner, s_Class) {}

bool UIFrameCommonYesNo::Load(lua_State* L)
{
    UIFrame::Load(L);
    m_nWindowRootTag = HashName(LuaGetStringField(L, "window_root").c_str());
    m_nInfoLabelTag = HashName(LuaGetStringField(L, "label_info").c_str());
    m_InfoText = LuaGetStringField(L, "info_text");
    lua_getfield(L, -1, "sound_effect");
    if (lua_istable(L, -1)) {
        const char* names[4] = {"open", "select", "yes", "cancel"};
        for (int i = 0; i < 4; ++i)
            m_aDefaultSounds[i] = SoundField(L, names[i]);
    }
    lua_pop(L, 1);
    for (int i = 0; i < 4; ++i)
        m_aCurrentSounds[i] = m_aDefaultSounds[i];
    return true;
}

bool UIFrameCommonYesNo::IsKindOf(TypeKey key) const { return key == s_Class.Key || UIFrame::IsKindOf(key); }

void UIFrameCommonYesNo::FindChildren()
{
    if (m_pInfoLabel)
        return;
    m_pInfoLabel = FindTagged<FontRenderer>(GetOwner(), m_nInfoLabelTag);
}

void UIFrameCommonYesNo::OnEnable()
{
    FindChildren();
    if (!m_pRoot)
        FindRootAndFrame();
    Open();
    if (m_pRoot)
        m_pRoot->Select(GetOwner());
    if (!m_InfoText.empty() && m_pInfoLabel)
        m_pInfoLabel->SetText(m_InfoText);
    PlayUISound(m_aCurrentSounds[0]);
}

void UIFrameCommonYesNo::Open()
{
    GameObj* selected = m_pRoot ? m_pRoot->GetSelected() : nullptr;
    m_nCallerId = selected ? selected->GetId() : -1;
    UIFrame::Open();
}

void UIFrameCommonYesNo::SetSelection(GameObj* object)
{
    if (GetSelected())
        PlayUISound(m_aCurrentSounds[1]);
    UIFrame::SetSelection(object);
}

void UIFrameCommonYesNo::OnClosing(GameObj* object)
{
    if (m_bClosing)
        return;
    UIFrame::OnClosing(object);
    if (object && object->GetTag() == kSelectYes)
        m_nAnswer = 1;
    else if (object && object->GetTag() == kSelectNo)
        m_nAnswer = 2;
    PlayUISound(m_nAnswer == 1 ? m_aCurrentSounds[2] : m_aCurrentSounds[3]);
}

void UIFrameCommonYesNo::Close()
{
    UIFrame::Close();
    if (m_pRoot) {
        GameObj* caller = nullptr;
        if (m_nCallerId >= 0 && GetOwner()->GetMessageManager())
            caller = GetOwner()->GetMessageManager()->FindObject(m_nCallerId);
        const std::vector<int32_t> answer = {static_cast<int32_t>(g_nResultCloseWindow), m_nAnswer, m_nCallerValue};
        // The screen that asked hears the answer as its caller; the root always hears it too,
        // for gameplay listens there: a dialog the game flow opened while another widget held
        // the selection (a talk window) answers the flow, not that widget.
        GameObj* root = m_pRoot->GetOwner();
        if (caller && caller != root)
            PostResultTo(GetOwner(), caller, answer);
        PostResultTo(GetOwner(), root, answer);
        m_nCallerId = -1;
    }
    PlaceWindow(0.0f, 0.0f);
    for (int i = 0; i < 4; ++i)
        m_aCurrentSounds[i] = m_aDefaultSounds[i];
    m_nAnswer = 0;
    m_nCallerValue = 0;
}

void UIFrameCommonYesNo::SetSounds(NameId open, NameId select, NameId yes, NameId cancel)
{
    const NameId keys[4] = {open, select, yes, cancel};
    for (int i = 0; i < 4; ++i)
        m_aCurrentSounds[i] = keys[i] ? keys[i] : m_aDefaultSounds[i];
}

void UIFrameCommonYesNo::SetWindowPosition(float x, float y) { PlaceWindow(x, y); }

void UIFrameCommonYesNo::PlaceWindow(float x, float y)
{
    GameObj* window = m_nWindowRootTag ? GetOwner()->FindActiveByTag(m_nWindowRootTag) : nullptr;
    if (!window || !window->GetTransform())
        return;
    window->GetTransform()->SetLocalPosition(x, y, window->GetTransform()->LocalMatrix().m[3][2]);
    window->GetTransform()->UpdateWorldMatrices();
}

// --- UIFrameReport

UIFrameReport::UIFrameReport(GameObj* owner) : UIFrame(owner, s_Class) {}

bool UIFrameReport::Load(lua_State* L)
{
    UIFrame::Load(L);
    m_nReportLabelTag = HashName(LuaGetStringField(L, "label_report").c_str());
    m_nQuestTitleTag = HashName(LuaGetStringField(L, "bg_quest_title").c_str());
    lua_getfield(L, -1, "sound_effect");
    if (lua_istable(L, -1)) {
        m_nOpenSound = SoundField(L, "open_window");
        m_nCloseSound = SoundField(L, "close_window");
    }
    lua_pop(L, 1);
    return true;
}

bool UIFrameReport::IsKindOf(TypeKey key) const { return key == s_Class.Key || UIFrame::IsKindOf(key); }

void UIFrameReport::Open()
{
    UIFrame::Open();
    if (!m_pReportLabel) {
        m_pReportLabel = FindTagged<FontRenderer>(GetOwner(), m_nReportLabelTag);
        m_pQuestTitle = FindTagged<TextureAtlas>(GetOwner(), m_nQuestTitleTag);
    }
    BuildReport();
    PlayUISound(m_nOpenSound);
}

std::string UIFrameReport::BuildReport()
{
    m_pQuest = g_pQuestTable ? g_pQuestTable->m_pCurrentQuest : nullptr;
    const PlayStatistics& stats = g_PlayStatistics;
    const int t = static_cast<int>(stats.m_fPlayTime);
    char line[256];
    std::string text;
    std::snprintf(line, sizeof line, TimeFormat().c_str(), t / 3600, (t / 60) % 60, t % 60);
    text += line;
    std::snprintf(line, sizeof line, KillFormat().c_str(), stats.m_nKillCount);
    text += line;
    std::snprintf(line, sizeof line, ExperienceFormat().c_str(), stats.m_nExperience);
    text += line;
    text += "\n";

    if (m_pQuest) {
        ConditionContext context;
        context.m_pObject = GetOwner();
        GameObj* root = g_pSceneManager ? g_pSceneManager->GetRoot() : nullptr;
        if (root)
            context.m_pQuestController =
                static_cast<QuestController*>(root->GetComponent(QuestController::s_Class.Key));
        for (const QuestReward& reward : m_pQuest->m_Rewards) {
            const int type = reward.m_nRewardType;
            if (type != eRewardType_Rank && type != eRewardType_Flags && type != eRewardType_Accessory)
                continue;
            if (!IsRewardHeld(reward) && reward.m_Condition.Evaluate(context))
                text += reward.m_RewardText + "\n";
        }
    }

    // Without a current quest there is no title to show.
    if (m_pQuestTitle) {
        if (m_pQuest && m_pQuest->m_nNameImage) {
            m_pQuestTitle->GetOwner()->Activate();
            m_pQuestTitle->SetAtlasEntry(m_pQuest->m_nNameImage);
        } else {
            m_pQuestTitle->GetOwner()->Deactivate();
        }
    }
    if (m_pReportLabel)
        m_pReportLabel->SetText(text);
    return text;
}

void UIFrameReport::OnPad(uint32_t mask)
{
    if (m_bClosing || mask != 32)
        return;
    Post(GetOwner(), eUIEvent_Closing, UIObjectToParam(GetOwner()));
    PlayUISound(m_nCloseSound);
}
