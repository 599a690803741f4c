#include "Components/UI/UITalkWindow.h"

#include <algorithm>
#include <climits>
#include <lua.hpp>

#include "Components/Core/FontRenderer.h"
#include "Components/Core/SpriteRenderer.h"
#include "Components/UI/UIRoot.h"
#include "Platform/Win32/CodePage.h"
#include "System/Common/AppControl.h"
#include "System/Common/FrameCounter.h"
#include "System/Common/GameSettings.h"
#include "System/Graphics/Color.h"
#include "System/Lua/LuaTableReader.h"
#include "World/GameObj.h"
#include "World/MessageManager.h"

const ClassKey UITalkWindow::s_Class("UITalkWindow");
const NameId g_nResultTalkWindowWait = HashName("TalkWindowMessageWait");
const NameId g_nResultTalkWindowNext = HashName("TalkWindowMessageNext");

namespace {

NameId TagField(lua_State* L, const char* name)
{
    const std::string tag = LuaGetStringField(L, name);
    return tag.empty() ? 0 : HashName(tag);
}

template <class T>
T* FindTagged(GameObj* owner, NameId tag)
{
    GameObj* o = tag ? owner->FindActiveByTag(tag) : nullptr;
    return o ? static_cast<T*>(o->GetComponent(T::s_Class.Key)) : nullptr;
}

int32_t WindowTransmittance()
{
    if (const GameSettings* settings = GetAppSettings())
        return settings->m_nWindowTransmittance;
    return GameSettings().m_nWindowTransmittance;
}

} // namespace

UITalkWindow::UITalkWindow(GameObj* owner) : UIWidget(owner, s_Class) {}

bool UITalkWindow::Load(lua_State* L)
{
    m_nLabelTag = TagField(L, "label_text");
    m_nFrameTag = TagField(L, "sprite_frame");
    m_nArrowTag = TagField(L, "sprite_frame_arrow");
    m_nNextTag = TagField(L, "sprite_next");
    m_Text = LuaGetStringField(L, "text");
    m_fCharacterDisplayTime = LuaGetFloatField(L, "character_display_time");
    m_fAutoDisplayTime = LuaGetFloatField(L, "auto_display_time");
    lua_getfield(L, -1, "pad_next");
    const bool hasPad = !lua_isnil(L, -1);
    lua_pop(L, 1);
    if (hasPad)
        m_nPadNext = LuaGetUIntField(L, "pad_next");
    return true;
}

bool UITalkWindow::IsKindOf(TypeKey key) const { return key == s_Class.Key || key == UIWidget::s_Class.Key; }

void UITalkWindow::OnEnable()
{
    if (!m_pRoot)
        FindRootAndFrame();
    Open();
    FindChildren();
    if (m_pFrame)
        m_pFrame->SetSelection(GetOwner());
    if (!m_Text.empty())
        ShowText();
}

void UITalkWindow::FindChildren()
{
    if (m_nListener < 0 && m_pRoot)
        m_nListener = m_pRoot->GetOwner()->GetId();
    if (!m_pLabel) {
        GameObj* owner = GetOwner();
        m_pLabel = FindTagged<FontRenderer>(owner, m_nLabelTag);
        m_pFrameSprite = FindTagged<SlicedSpriteRenderer>(owner, m_nFrameTag);
        m_pArrow = FindTagged<SpriteRenderer>(owner, m_nArrowTag);
        m_pNext = FindTagged<SpriteRenderer>(owner, m_nNextTag);
    }
    const uint32_t color = PackColor(static_cast<float>(WindowTransmittance()) / 100.0f, 1.0f, 1.0f, 1.0f);
    if (m_pFrameSprite)
        m_pFrameSprite->SetColor(color);
    if (m_pArrow)
        m_pArrow->SetColor(color);
}

void UITalkWindow::SetListener(GameObj* listener) { m_nListener = listener ? listener->GetId() : -1; }

GameObj* UITalkWindow::GetListener() const
{
    MessageManager* manager = GetOwner()->GetMessageManager();
    return m_nListener >= 0 && manager ? manager->FindObject(m_nListener) : nullptr;
}

void UITalkWindow::ShowText()
{
    m_nLength = static_cast<int32_t>(std::min<size_t>(m_Text.size(), INT32_MAX));
    m_nRevealed = 0;
    if (m_fCharacterDisplayTime <= 0.0f) {
        if (m_pLabel)
            m_pLabel->SetText(m_Text);
        m_nRevealed = m_nLength;
        if (m_fAutoDisplayTime <= 0.0f)
            SetNextVisible(true);
    } else {
        if (m_pLabel)
            m_pLabel->SetText(std::string());
        SetNextVisible(false);
    }
    m_fRevealTimer = 0.0f;
    m_fWaitTimer = 0.0f;
}

void UITalkWindow::ShowAll()
{
    if (!GetListener() || m_nRevealed >= m_nLength)
        return;
    if (m_pLabel)
        m_pLabel->SetText(m_Text);
    m_nRevealed = m_nLength;
    if (m_fAutoDisplayTime <= 0.0f)
        SetNextVisible(true);
    PostResult(g_nResultTalkWindowWait);
}

void UITalkWindow::OnPad(uint32_t mask)
{
    if (m_fAutoDisplayTime > 0.0f || mask != m_nPadNext)
        return;
    if (m_nRevealed < m_nLength)
        ShowAll();
    else
        PostResult(g_nResultTalkWindowNext);
}

void UITalkWindow::PostNext() { PostResult(g_nResultTalkWindowNext); }

int32_t UITalkWindow::CharLength(int32_t position) const
{
    if (position >= m_nLength)
        return 0;
    const BYTE b = static_cast<BYTE>(m_Text[static_cast<size_t>(position)]);
    // Code page 932, whatever the C library's locale says; a final lead byte stands alone.
    return IsDBCSLeadByteEx(CP_SHIFT_JIS, b) && position + 1 < m_nLength ? 2 : 1;
}

void UITalkWindow::Update()
{
    const float dt = GetAppDeltaTime();
    if (m_nRevealed < m_nLength) {
        m_fRevealTimer += dt;
        if (m_fRevealTimer > m_fCharacterDisplayTime) {
            int32_t p = m_nRevealed;
            if (m_pLabel && m_pLabel->GetEncoding() && m_Text[static_cast<size_t>(p)] == '<') {
                // A tag appears whole: up to its ">" (or the end of an unclosed one).
                do
                    p += CharLength(p);
                while (p < m_nLength && m_Text[static_cast<size_t>(p)] != '>');
            }
            p += CharLength(p);
            m_nRevealed = std::min(p, m_nLength);
            if (m_pLabel) {
                m_Shown.assign(m_Text, 0, static_cast<size_t>(m_nRevealed));
                m_pLabel->SetText(m_Shown);
            }
            m_fRevealTimer = 0.0f;
        }
        if (m_nRevealed < m_nLength)
            return;
        if (m_fAutoDisplayTime <= 0.0f)
            SetNextVisible(true);
        PostResult(g_nResultTalkWindowWait);
        return;
    }
    if (m_fAutoDisplayTime > 0.0f && m_fWaitTimer <= m_fAutoDisplayTime) {
        m_fWaitTimer += dt;
        if (m_fWaitTimer > m_fAutoDisplayTime)
            PostResult(g_nResultTalkWindowNext);
    }
}

void UITalkWindow::PostResult(NameId name)
{
    GameObj* listener = GetListener();
    if (!listener)
        return;
    auto* result = new MsgUIResult(GetOwner());
    result->m_Values = {static_cast<int32_t>(name)};
    listener->PostMessage(result, 0.0f);
}

void UITalkWindow::SetNextVisible(bool visible)
{
    if (!m_pNext)
        return;
    GameObj* next = m_pNext->GetOwner();
    if (visible && !next->IsActive())
        next->Activate();
    else if (!visible && next->IsActive())
        next->Deactivate();
}

UITalkWindow* FindCompanionTalkWindow()
{
    static const NameId kPanel = HashName("ui_lisvet_window");
    GameObj* panel = UIRoot::FindPanel(kPanel);
    return panel ? static_cast<UITalkWindow*>(panel->GetComponentInChildren(UITalkWindow::s_Class.Key)) : nullptr;
}
