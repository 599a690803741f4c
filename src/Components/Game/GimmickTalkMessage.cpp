#include "Components/Game/GimmickTalkMessage.h"

#include <lua.hpp>

#include "Components/Game/GimmickOpenMenu.h"
#include "Components/Game/TalkChannel.h"
#include "Components/UI/UIRoot.h"
#include "Components/UI/UITalkWindow.h"
#include "System/Common/Log.h"
#include "System/Common/Random.h"
#include "System/Lua/LuaTableReader.h"
#include "World/GameObj.h"
#include "World/IMessage.h"

const ClassKey GimmickTalkMessage::s_Class("GimmickTalkMessage");

GimmickTalkMessage::GimmickTalkMessage(GameObj* owner) : Component(owner, s_Class) {}

bool GimmickTalkMessage::IsKindOf(TypeKey key) const { return key == s_Class.Key; }

bool GimmickTalkMessage::Load(lua_State* L)
{
    const std::string window = LuaGetStringField(L, "talk_window");
    m_nTalkWindow = window.empty() ? 0 : HashName(window);
    const std::string channel = LuaGetStringField(L, "message_type");
    m_nChannel = channel.empty() ? 0 : HashName(channel);
    m_nOpenPad = static_cast<uint32_t>(LuaGetIntField(L, "open_pad"));
    m_fCharacterDisplayTime = LuaGetFloatField(L, "character_display_time");
    m_fAutoDisplayTime = LuaGetFloatField(L, "auto_display_time");
    m_vRandomTexts.clear();
    if (LuaPushPath(L, "random_texts")) {
        const size_t count = LuaGetItemCount(L);
        for (size_t i = 0; i < count; ++i)
            m_vRandomTexts.push_back(LuaGetStringItem(L, static_cast<int>(i)));
        lua_pop(L, 1);
    }
    return true;
}

void GimmickTalkMessage::OnEnable() { m_nStep = eGimmickTalk_Fill; }

GameObj* GimmickTalkMessage::GetPanel() const { return UIObjectFromParam(m_nPanelId); }

UITalkWindow* GimmickTalkMessage::GetWindow() const
{
    GameObj* panel = GetPanel();
    return panel ? static_cast<UITalkWindow*>(panel->GetComponentInChildren(UITalkWindow::s_Class.Key)) : nullptr;
}

void GimmickTalkMessage::Update()
{
    if (!m_bLookedUp) {
        m_bLookedUp = true;
        GameObj* panel = UIRoot::FindPanel(m_nTalkWindow);
        m_nPanelId = UIObjectToParam(panel);
        if (!panel || !GetWindow()) {
            LOG_ERROR << "GimmickTalkMessage of \"" << GetOwner()->GetPrototypeName() << "\": "
                      << (panel ? "the talk panel has no UITalkWindow" : "no talk panel with its \"talk_window\" tag")
                      << "; it shows nothing.";
            m_bIdle = true;
        }
    }
    if (m_bIdle)
        return;

    const bool pressed = m_nOpenPad == 0 || GimmickPadPressed(m_nOpenPad);
    const size_t waiting = g_TalkChannelQueue.Count(m_nChannel);
    GameObj* panel = GetPanel();
    UITalkWindow* window = GetWindow();
    if (!panel || !window) {
        m_bOverlapping = false;
        return;
    }
    switch (m_nStep) {
    case eGimmickTalk_Fill:
        if (waiting == 0 && !m_vRandomTexts.empty())
            g_TalkChannelQueue.PushFront(m_nChannel, m_vRandomTexts[RandomNext() % m_vRandomTexts.size()]);
        m_nStep = eGimmickTalk_Open;
        break;
    case eGimmickTalk_Open:
        if (waiting > 0 && pressed && m_bOverlapping && !window->GetListener()) {
            panel->Activate();
            window->SetListener(GetOwner());
            if (m_fCharacterDisplayTime != 0.0f)
                window->m_fCharacterDisplayTime = m_fCharacterDisplayTime;
            if (m_fAutoDisplayTime != 0.0f)
                window->m_fAutoDisplayTime = m_fAutoDisplayTime;
            m_bAdvance = true;
            m_nStep = eGimmickTalk_Play;
        }
        break;
    case eGimmickTalk_Play:
        if (m_bAdvance) {
            std::string line;
            if (g_TalkChannelQueue.PopFront(m_nChannel, line)) {
                window->m_Text = line;
                window->ShowText();
            } else {
                PostUIEvent(GetOwner(), panel, eUIEvent_Closing, UIObjectToParam(GetOwner()));
                m_nStep = eGimmickTalk_Close;
            }
        }
        m_bAdvance = false;
        break;
    default:
        if (!panel->IsActive()) {
            window->SetListener(nullptr);
            m_nStep = eGimmickTalk_Fill;
        }
        break;
    }
    m_bOverlapping = GetOwner()->GetCollider() == nullptr;
}

void GimmickTalkMessage::OnCollisionStay(const CollisionInfo&) { m_bOverlapping = true; }

void GimmickTalkMessage::OnMessage(IMessage* message)
{
    if (message->GetTypeId() != MsgUIResult::s_Class.Key)
        return;
    const auto* result = static_cast<const MsgUIResult*>(message);
    if (!result->m_Values.empty() && static_cast<NameId>(result->m_Values[0]) == g_nResultTalkWindowNext)
        m_bAdvance = true;
}
