#include "Components/UI/UIRoot.h"

#include <algorithm>
#include <lua.hpp>

#include "Components/Core/Camera2D.h"
#include "System/Common/Log.h"
#include "System/Input/InputDevice.h"
#include "System/Input/InputSystem.h"
#include "System/Lua/LuaTableReader.h"
#include "World/GameObj.h"
#include "World/MessageManager.h"
#include "World/PlayStatistics.h"
#include "World/SceneManager.h"

const ClassKey UIRoot::s_Class("UIRoot");

std::vector<UIRoot*> UIRootList;
uint8_t g_bUILocked = 0;

int32_t UIObjectToParam(const GameObj* object) { return object ? object->GetId() : -1; }

GameObj* UIObjectFromParam(int32_t param)
{
    if (param < 0 || !g_pSceneManager || !g_pSceneManager->GetMessageManager())
        return nullptr;
    return g_pSceneManager->GetMessageManager()->FindObject(param);
}

void PostUIEvent(GameObj* sender, GameObj* target, MsgUIEventKind kind, int32_t param)
{
    if (!sender || !target)
        return;
    auto* event = new MsgUIEvent(sender);
    event->m_eKind = kind;
    event->m_nParam = param;
    target->PostMessage(event, 0.0f);
}

namespace {

bool IsActiveWithAncestors(const GameObj* object)
{
    for (const GameObj* o = object; o; o = o->GetParent())
        if (!o->IsActive())
            return false;
    return true;
}

} // namespace

UIRoot::UIRoot(GameObj* owner) : Component(owner, s_Class) { UIRootList.push_back(this); }

UIRoot::~UIRoot()
{
    auto it = std::find(UIRootList.begin(), UIRootList.end(), this);
    const bool p = it != UIRootList.end();
    QM_ASSERT(p);
    if (p)
        UIRootList.erase(it);
    if (UIRootList.empty())
        g_bUILocked = 0;
}

bool UIRoot::Load(lua_State* L)
{
    m_nCameraName = HashName(LuaGetStringField(L, "camera"));
    return true;
}

bool UIRoot::IsKindOf(TypeKey key) const { return key == s_Class.Key; }

void UIRoot::Start()
{
    m_pCamera = g_CameraRegistry.Find(m_nCameraName);
    if (!m_pCamera)
        m_pCamera = g_CameraRegistry.Find(GameCameraTag());
    PostCamera(m_pCamera, GetOwner());
    m_Panels.clear();
    for (GameObj* child = GetOwner()->GetFirstChild(); child; child = child->GetNextSibling())
        m_Panels.emplace(child->GetTag(), child->GetId());
    // A lock left by the stage before (a menu that failed to open) must not outlive it.
    g_bUILocked = 0;
}

GameObj* UIRoot::GetSelected() const { return UIObjectFromParam(m_nSelected); }

bool UIRoot::SelectionGone() const { return m_nSelected >= 0 && !GetSelected(); }

void UIRoot::Update()
{
    if (SelectionGone())
        StepBack();
    GameObj* selected = GetSelected();
    if (selected && IsActiveWithAncestors(selected))
        ProcessInput();
}

void UIRoot::ProcessInput()
{
    m_nFrameSelection = m_nSelected;
    bool press = false;
    bool release = false;
    VirtualPad* pad = g_pInputSystem ? g_pInputSystem->GetPad(0) : nullptr;
    if (g_pInputSystem) {
        InputDevice* keyboard = g_pInputSystem->GetDevice(0);
        press = keyboard->IsPressed(m_nConfirmKey);
        release = keyboard->IsReleased(m_nConfirmKey);
    }
    if (pad) {
        const uint32_t prev = pad->GetPreviousMask() & m_nConfirmPad;
        const uint32_t cur = pad->GetCurrentMask() & m_nConfirmPad;
        press = press || (!prev && cur);
        release = release || (prev && !cur);
    }
    if (press || release)
        HandleConfirm(press, release);
    m_nFrameSelection = -1;
    if (!pad)
        return;
    const uint32_t prev = pad->GetPreviousMask();
    const uint32_t cur = pad->GetCurrentMask();
    for (int i = 0; i < 16; ++i) {
        const uint32_t m = 1u << i;
        const bool fires = i < 4 ? (cur & m) && pad->IsRepeated(m) : (cur & m) && !(prev & m);
        if (fires)
            PostUIEvent(GetOwner(), GetSelected(), eUIEvent_Pad, static_cast<int32_t>(m));
    }
}

void UIRoot::HandleConfirm(bool press, bool release)
{
    if (press) {
        m_nPressed = m_nFrameSelection;
        PostUIEvent(GetOwner(), UIObjectFromParam(m_nPressed), eUIEvent_Press, 1);
    }
    if (release) {
        if (GameObj* pressed = UIObjectFromParam(m_nPressed)) {
            PostUIEvent(GetOwner(), pressed, eUIEvent_Press, 0);
            if (pressed == GetSelected())
                PostUIEvent(GetOwner(), pressed, eUIEvent_Click);
        }
        m_nPressed = -1;
    }
}

void UIRoot::Select(GameObj* object)
{
    GameObj* old = GetSelected();
    if (object == old && (object || m_nSelected < 0))
        return;
    if (old && old->IsActive()) {
        PostUIEvent(GetOwner(), old, eUIEvent_Select, 0);
        m_History.push_back(old->GetId());
    }
    if (object)
        PostUIEvent(GetOwner(), object, eUIEvent_Select, 1);
    m_nSelected = UIObjectToParam(object);
}

void UIRoot::StepBack()
{
    if (m_History.empty()) {
        Select(nullptr);
        return;
    }
    while (!m_History.empty()) {
        const int32_t id = m_History.back();
        m_History.pop_back();
        Select(UIObjectFromParam(id));
        if (GetSelected())
            break;
    }
}

void UIRoot::OnMessage(IMessage* message)
{
    if (message->GetTypeId() == MsgUIResult::s_Class.Key) {
        const auto* result = static_cast<const MsgUIResult*>(message);
        for (int32_t id : m_Listeners)
            if (GameObj* listener = UIObjectFromParam(id)) {
                auto* copy = new MsgUIResult(GetOwner());
                copy->m_Values = result->m_Values;
                copy->m_Values2 = result->m_Values2;
                copy->m_pOrigin = result->m_pOrigin;
                listener->PostMessage(copy, 0.0f);
            }
        return;
    }
    if (message->GetTypeId() != MsgUIEvent::s_Class.Key)
        return;
    const auto* event = static_cast<const MsgUIEvent*>(message);
    for (int32_t id : m_Listeners)
        if (GameObj* listener = UIObjectFromParam(id)) {
            auto* copy = new MsgUIEvent(GetOwner());
            copy->CopyPayload(*event);
            listener->PostMessage(copy, 0.0f);
        }
    if (event->m_eKind != eUIEvent_Close)
        return;
    // A window that deleted itself sends its Close with no origin, after its object is gone.
    GameObj* selected = GetSelected();
    if ((selected && event->m_pOrigin == selected) || SelectionGone())
        StepBack();
}

GameObj* UIRoot::GetPanel(NameId tag) const
{
    auto it = m_Panels.find(tag);
    return it == m_Panels.end() ? nullptr : UIObjectFromParam(it->second);
}

GameObj* UIRoot::FindPanel(NameId tag)
{
    for (const UIRoot* root : UIRootList)
        if (GameObj* panel = root->GetPanel(tag))
            return panel;
    return nullptr;
}

GameObj* UIRoot::OpenPanel(NameId tag)
{
    if (g_bUILocked)
        return nullptr;
    GameObj* panel = FindPanel(tag);
    if (!panel || panel->IsActive())
        return nullptr;
    panel->PostMessage(new MsgSetActivate(panel), 0.0f);
    ++g_PlayStatistics.m_nOpenedPanels;
    return panel;
}

int UIRoot::AddListenerToAll(GameObj* object)
{
    for (UIRoot* root : UIRootList)
        root->m_Listeners.push_back(UIObjectToParam(object));
    return static_cast<int>(UIRootList.size());
}

void UIRoot::PostCamera(Camera2D* camera, GameObj* target)
{
    if (!camera || !target)
        return;
    target->PostMessage(new MsgSetCamera(target, static_cast<int32_t>(camera->GetOwner()->GetTag())), 0.0f);
}
