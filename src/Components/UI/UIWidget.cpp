#include "Components/UI/UIWidget.h"

#include <lua.hpp>

#include "Components/UI/UIRoot.h"
#include "System/Lua/LuaTableReader.h"
#include "World/GameObj.h"

const ClassKey UIWidget::s_Class("UIWidget");
const ClassKey UIFrame::s_Class("UIFrame");

UIWidget::UIWidget(GameObj* owner, const ClassKey& classKey) : Component(owner, classKey) {}

void UIWidget::OnHover(bool) {}
void UIWidget::OnPress(bool) {}
void UIWidget::OnSelect(bool) {}
void UIWidget::OnClick() {}
void UIWidget::OnDoubleClick() {}
void UIWidget::OnDrag(int32_t, int32_t) {}
void UIWidget::OnDrop(GameObj*) {}
void UIWidget::OnInput(std::string) {}
void UIWidget::OnTooltip(bool) {}
void UIWidget::OnScroll(int32_t, int32_t) {}
void UIWidget::OnPad(uint32_t) {}
void UIWidget::Open() {}
void UIWidget::OnClosing(GameObj*) {}
void UIWidget::Close() {}

void UIWidget::OnEnable()
{
    if (!m_pRoot)
        FindRootAndFrame();
    Open();
}

void UIWidget::OnDisable() { Close(); }

void UIWidget::FindRootAndFrame()
{
    for (GameObj* o = GetOwner()->GetParent(); o; o = o->GetParent()) {
        if (!m_pFrame)
            for (Component* c : o->GetComponents())
                if (c->IsKindOf(UIFrame::s_Class.Key)) {
                    m_pFrame = static_cast<UIFrame*>(c);
                    break;
                }
        for (Component* c : o->GetComponents())
            if (c->IsKindOf(UIRoot::s_Class.Key)) {
                m_pRoot = static_cast<UIRoot*>(c);
                return;
            }
    }
}

void UIWidget::OnMessage(IMessage* message)
{
    if (message->GetTypeId() != MsgUIEvent::s_Class.Key)
        return;
    const auto* e = static_cast<const MsgUIEvent*>(message);
    const bool flag = (e->m_nParam & 0xFF) != 0;
    switch (e->m_eKind) {
    case eUIEvent_Hover: OnHover(flag); break;
    case eUIEvent_Press: OnPress(flag); break;
    case eUIEvent_Select: OnSelect(flag); break;
    case eUIEvent_Click: OnClick(); break;
    case eUIEvent_DoubleClick: OnDoubleClick(); break;
    case eUIEvent_Drag: OnDrag(e->m_nParam, e->m_nParam2); break;
    case eUIEvent_Drop: OnDrop(UIObjectFromParam(e->m_nParam)); break;
    case eUIEvent_Input: OnInput(e->m_Text); break;
    case eUIEvent_Tooltip: OnTooltip(flag); break;
    case eUIEvent_Scroll: OnScroll(e->m_nParam, e->m_nParam2); break;
    case eUIEvent_Pad: OnPad(static_cast<uint32_t>(e->m_nParam)); break;
    case eUIEvent_Closing: OnClosing(UIObjectFromParam(e->m_nParam)); break;
    default: break;
    }
}

void UIWidget::Post(GameObj* target, MsgUIEventKind kind, int32_t param)
{
    if (m_pRoot)
        PostUIEvent(GetOwner(), target, kind, param);
}

GameObj* UIWidget::UpwardTarget() const
{
    if (m_pFrame)
        return m_pFrame->GetOwner();
    return m_pRoot ? m_pRoot->GetOwner() : nullptr;
}

UIFrame::UIFrame(GameObj* owner) : UIWidget(owner, s_Class) {}

UIFrame::UIFrame(GameObj* owner, const ClassKey& classKey) : UIWidget(owner, classKey) {}

bool UIFrame::Load(lua_State* L)
{
    m_bNotSelect = LuaGetBoolField(L, "not_select");
    m_nClosePad = static_cast<uint32_t>(LuaGetIntField(L, "close_pad"));
    return true;
}

bool UIFrame::IsKindOf(TypeKey key) const { return key == s_Class.Key || key == UIWidget::s_Class.Key; }

GameObj* UIFrame::GetSelected() const { return UIObjectFromParam(m_nSelected); }

void UIFrame::OnMessage(IMessage* message)
{
    UIWidget::OnMessage(message);
    if (message->GetTypeId() == MsgUIEvent::s_Class.Key) {
        const auto* e = static_cast<const MsgUIEvent*>(message);
        GameObj* child = GetSelected();
        if (child && e->m_eKind != eUIEvent_Select) {
            auto* copy = new MsgUIEvent(GetOwner());
            copy->CopyPayload(*e);
            child->PostMessage(copy, 0.0f);
        }
    } else if (message->GetTypeId() == MsgUIResult::s_Class.Key) {
        if (GameObj* child = GetSelected()) {
            const auto* r = static_cast<const MsgUIResult*>(message);
            auto* copy = new MsgUIResult(GetOwner());
            copy->m_Values = r->m_Values;
            copy->m_Values2 = r->m_Values2;
            copy->m_pOrigin = r->m_pOrigin;
            child->PostMessage(copy, 0.0f);
        }
    }
}

void UIFrame::OnPad(uint32_t mask)
{
    if (m_nClosePad != 0 && mask == m_nClosePad)
        Post(GetOwner(), eUIEvent_Closing, UIObjectToParam(GetOwner()));
}

void UIFrame::Open()
{
    // Outside a UI tree there is nobody to select the frame or to hear of it.
    if (!m_pRoot)
        return;
    if (!m_bNotSelect) {
        if (m_pFrame)
            m_pFrame->SetSelection(GetOwner());
        else
            m_pRoot->Select(GetOwner());
    }
    m_bClosing = false;
    Post(m_pRoot->GetOwner(), eUIEvent_Open);
}

void UIFrame::OnClosing(GameObj* object)
{
    Post(UpwardTarget(), eUIEvent_Closing, UIObjectToParam(object));
    m_bClosing = true;
}

void UIFrame::Close()
{
    Post(UpwardTarget(), eUIEvent_Close);
    m_nSelected = -1;
}

void UIFrame::SetSelection(GameObj* object)
{
    GameObj* old = GetSelected();
    if (object == old && (object || m_nSelected < 0))
        return;
    Post(old, eUIEvent_Select, 0);
    Post(object, eUIEvent_Select, 1);
    m_nSelected = UIObjectToParam(object);
}
