#include "Components/UI/UIEventWidgets.h"

#include <cstring>
#include <lua.hpp>

#include "Components/UI/UIRoot.h"
#include "Components/UI/UITweener.h"
#include "System/Input/InputSystem.h"
#include "System/Input/VirtualPad.h"
#include "System/Lua/LuaTableReader.h"
#include "System/Sound/AudioDevice.h"
#include "System/Sound/Decoder.h"
#include "System/Sound/SoundManager.h"
#include "World/GameObj.h"
#include "World/MessageManager.h"
#include "World/SceneManager.h"

const ClassKey UIActivateTween::s_Class("UIActivateTween");
const ClassKey UIButtonKeyBinding::s_Class("UIButtonKeyBinding");
const ClassKey UIButtonKeys::s_Class("UIButtonKeys");
const ClassKey UIButtonMessage::s_Class("UIButtonMessage");
const ClassKey UIForwardEvents::s_Class("UIForwardEvents");
const ClassKey UITriggerSound::s_Class("UITriggerSound");
const ClassKey UITriggerTween::s_Class("UITriggerTween");

namespace {

const NameId kPresetRoot = HashName("PresetTarget_UIRoot");
const NameId kPresetFrame = HashName("PresetTarget_UIFrame");

// A float's bits in an int parameter, as drag and scroll events carry their x and y.
int32_t FloatBits(float value)
{
    int32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// The UITweener components of one object, kept with it.
void CollectTweens(GameObj* object, std::vector<UITweenRef>& out)
{
    for (Component* c : object->GetComponents())
        if (c->IsKindOf(UITweener::s_Class.Key))
            out.push_back({UIObjectRef(object), static_cast<UITweener*>(c)});
}

// Once every listed tween of the group has finished, all in the wanted direction, the target
// switches off. The list empties once they have all finished, so the check fires once a play.
// True when the target was switched off.
bool DisableWhenDone(std::vector<UITweenRef>& tweens, int32_t group, int32_t condition, GameObj* target)
{
    if (condition == 0 || tweens.empty())
        return false;
    bool allFinished = true;
    bool allMatch = true;
    for (const UITweenRef& ref : tweens) {
        UITweener* tween = ref.Get();
        if (!tween || tween->GetGroup() != group)
            continue;
        if (!tween->IsFinished()) {
            allFinished = false;
            break;
        }
        const bool forward = tween->GetAmountPerDelta() >= 0.0f;
        if ((condition == 1) != forward)
            allMatch = false;
    }
    if (!allFinished)
        return false;
    tweens.clear();
    if (!allMatch || !target)
        return false;
    target->Deactivate();
    return true;
}

} // namespace

void UIObjectRef::Set(GameObj* object)
{
    m_pObject = object;
    m_nId = object ? object->GetId() : -1;
}

GameObj* UIObjectRef::Get() const
{
    if (m_nId < 0 || !m_pObject)
        return nullptr;
    // An id names the object only while it is registered; a reused id names another one.
    return UIObjectFromParam(m_nId) == m_pObject ? m_pObject : nullptr;
}

GameObj* ResolveUITarget(const UIWidget& widget, NameId tag)
{
    if (tag == 0)
        return nullptr;
    if (tag == kPresetRoot)
        return widget.GetRoot() ? widget.GetRoot()->GetOwner() : nullptr;
    if (tag == kPresetFrame)
        return widget.GetFrame() ? widget.GetFrame()->GetOwner() : nullptr;
    return widget.GetFrame() ? widget.GetFrame()->GetOwner()->FindActiveByTag(tag) : nullptr;
}

NameId LuaGetNameField(lua_State* L, const char* name)
{
    const std::string text = LuaGetStringField(L, name);
    return text.empty() ? 0 : HashName(text);
}

// --- UIActivateTween

UIActivateTween::UIActivateTween(GameObj* owner) : UIWidget(owner, s_Class) {}

bool UIActivateTween::Load(lua_State* L)
{
    // A number names the group as the tweens' own "group" does (so 0 stays group 0); true is
    // group 1, anything else group 0.
    lua_getfield(L, -1, "group");
    const bool isNumber = lua_type(L, -1) == LUA_TNUMBER;
    const bool isTrue = lua_isboolean(L, -1) && lua_toboolean(L, -1);
    lua_pop(L, 1);
    m_nGroup = isNumber ? LuaGetIntField(L, "group") : (isTrue ? 1 : 0);
    m_bChildren = LuaGetBoolField(L, "children");
    m_nDisableCondition = LuaGetIntField(L, "disable_condition");
    m_bRemoveOnDisable = LuaGetBoolField(L, "disable_when_remove_gameobj");
    return true;
}

bool UIActivateTween::IsKindOf(TypeKey key) const { return key == s_Class.Key || key == UIWidget::s_Class.Key; }

void UIActivateTween::Open() { PlayGroup(true); }

void UIActivateTween::OnClosing(GameObj*)
{
    if (PlayGroup(false) == 0)
        GetOwner()->Deactivate();
}

int UIActivateTween::PlayGroup(bool forward)
{
    GameObj* target = GetOwner();
    m_Tweens.clear();
    if (m_bChildren) {
        GameObj* end = target->GetNextSkippingSubtree();
        for (GameObj* o = target; o && o != end; o = o->GetNext()) {
            if (!o->IsActive())
                continue;
            for (Component* c : o->GetComponents())
                if (c->IsEnabled() && c->IsKindOf(UITweener::s_Class.Key))
                    m_Tweens.push_back({UIObjectRef(o), static_cast<UITweener*>(c)});
        }
    } else {
        CollectTweens(target, m_Tweens);
    }
    int started = 0;
    for (const UITweenRef& ref : m_Tweens)
        if (ref.tween->GetGroup() == m_nGroup) {
            ref.tween->Play(forward);
            ++started;
        }
    return started;
}

void UIActivateTween::Update()
{
    GameObj* target = GetOwner();
    if (DisableWhenDone(m_Tweens, m_nGroup, m_nDisableCondition, target) && m_bRemoveOnDisable && g_pSceneManager)
        g_pSceneManager->DestroyLater(target, 0.0f);
}

// --- UIButtonKeyBinding

UIButtonKeyBinding::UIButtonKeyBinding(GameObj* owner) : Component(owner, s_Class) {}

bool UIButtonKeyBinding::Load(lua_State* L)
{
    m_nKey = LuaGetUIntField(L, "key");
    return true;
}

bool UIButtonKeyBinding::IsKindOf(TypeKey key) const { return key == s_Class.Key; }

void UIButtonKeyBinding::Update()
{
    VirtualPad* pad = g_pInputSystem ? g_pInputSystem->GetPad(0) : nullptr;
    if (pad && (pad->GetCurrentMask() & m_nKey) == m_nKey)
        PostUIEvent(GetOwner(), GetOwner(), eUIEvent_Press, 1);
}

// --- UIButtonKeys

UIButtonKeys::UIButtonKeys(GameObj* owner) : UIWidget(owner, s_Class) {}

bool UIButtonKeys::Load(lua_State* L)
{
    static const char* const kTags[4] = {"up", "down", "left", "right"};
    static const char* const kPads[4] = {"pad_up", "pad_down", "pad_left", "pad_right"};
    for (int d = 0; d < 4; ++d) {
        m_aTags[d] = LuaGetNameField(L, kTags[d]);
        if (LuaHasField(L, kPads[d]))
            m_aPads[d] = LuaGetUIntField(L, kPads[d]);
    }
    m_bStartSelected = LuaGetBoolField(L, "start_selected");
    return true;
}

bool UIButtonKeys::IsKindOf(TypeKey key) const { return key == s_Class.Key || key == UIWidget::s_Class.Key; }

void UIButtonKeys::OnEnable()
{
    if (!m_pRoot)
        FindRootAndFrame();
    if (m_bStartSelected && m_pFrame)
        m_pFrame->SetSelection(GetOwner());
}

void UIButtonKeys::Start()
{
    if (m_bResolved)
        return;
    m_bResolved = true;
    GameObj* frame = m_pFrame ? m_pFrame->GetOwner() : nullptr;
    for (int d = 0; d < 4; ++d)
        m_aNeighbours[d].Set(frame && m_aTags[d] ? frame->FindActiveByTag(m_aTags[d]) : nullptr);
}

void UIButtonKeys::SetNeighbour(int direction, GameObj* object) { m_aNeighbours[direction].Set(object); }

GameObj* UIButtonKeys::GetNeighbour(int direction) const { return m_aNeighbours[direction].Get(); }

void UIButtonKeys::OnPad(uint32_t mask)
{
    if (!m_pFrame || m_pFrame->GetSelected() != GetOwner())
        return;
    for (int d = 0; d < 4; ++d)
        if (m_aPads[d] == mask) {
            if (GameObj* next = m_aNeighbours[d].Get())
                m_pFrame->SetSelection(next);
            return;
        }
}

// --- UIButtonMessage

UIButtonMessage::UIButtonMessage(GameObj* owner) : UIWidget(owner, s_Class) {}

bool UIButtonMessage::Load(lua_State* L)
{
    m_nTrigger = LuaGetUIntField(L, "trigger");
    m_nTargetTag = LuaGetNameField(L, "target");
    // In this order: a later key overrides the kind an earlier one set.
    if (LuaPushTableField(L, "hover")) {
        m_eKind = eUIEvent_Hover, m_nParam = LuaGetBoolField(L, "is_over") ? 1 : 0;
        lua_pop(L, 1);
    }
    if (LuaPushTableField(L, "press")) {
        m_eKind = eUIEvent_Press, m_nParam = LuaGetBoolField(L, "is_down") ? 1 : 0;
        lua_pop(L, 1);
    }
    if (LuaPushTableField(L, "select")) {
        m_eKind = eUIEvent_Select, m_nParam = LuaGetBoolField(L, "selected") ? 1 : 0;
        lua_pop(L, 1);
    }
    if (LuaHasField(L, "click"))
        m_eKind = eUIEvent_Click;
    if (LuaHasField(L, "doubleClick"))
        m_eKind = eUIEvent_DoubleClick;
    if (LuaPushTableField(L, "drag")) {
        m_eKind = eUIEvent_Drag;
        m_nParam = FloatBits(LuaGetFloatField(L, "x"));
        m_nParam2 = FloatBits(LuaGetFloatField(L, "y"));
        lua_pop(L, 1);
    }
    if (LuaPushTableField(L, "input")) {
        m_eKind = eUIEvent_Input, m_Text = LuaGetStringField(L, "text");
        lua_pop(L, 1);
    }
    if (LuaPushTableField(L, "tooltip")) {
        m_eKind = eUIEvent_Tooltip, m_nParam = LuaGetBoolField(L, "show") ? 1 : 0;
        lua_pop(L, 1);
    }
    if (LuaPushTableField(L, "scroll")) {
        m_eKind = eUIEvent_Scroll;
        m_nParam = FloatBits(LuaGetFloatField(L, "x"));
        m_nParam2 = FloatBits(LuaGetFloatField(L, "y"));
        lua_pop(L, 1);
    }
    if (LuaPushTableField(L, "pad")) {
        m_eKind = eUIEvent_Pad, m_nParam = LuaGetIntField(L, "key");
        lua_pop(L, 1);
    }
    if (LuaHasField(L, "open"))
        m_eKind = eUIEvent_Open;
    m_bClosingParam = false;
    if (LuaHasField(L, "closing"))
        m_eKind = eUIEvent_Closing, m_bClosingParam = true;
    if (LuaHasField(L, "closed"))
        m_eKind = eUIEvent_Close;
    return true;
}

bool UIButtonMessage::IsKindOf(TypeKey key) const { return key == s_Class.Key || key == UIWidget::s_Class.Key; }

void UIButtonMessage::Start()
{
    if (!m_pRoot)
        FindRootAndFrame();
    m_Target.Set(ResolveUITarget(*this, m_nTargetTag));
    if (m_bClosingParam)
        m_nParam = UIObjectToParam(GetOwner());
}

void UIButtonMessage::Send(uint32_t code)
{
    if (code != m_nTrigger)
        return;
    GameObj* target = m_Target.Get();
    if (!target)
        return;
    auto* e = new MsgUIEvent(GetOwner());
    e->m_eKind = m_eKind;
    e->m_Text = m_Text;
    e->m_nParam = m_nParam;
    e->m_nParam2 = m_nParam2;
    target->PostMessage(e, 0.0f);
}

void UIButtonMessage::OnClick() { Send(0); }
void UIButtonMessage::OnHover(bool hover) { Send(hover ? 1 : 2); }
void UIButtonMessage::OnPress(bool down) { Send(down ? 3 : 4); }
void UIButtonMessage::OnDoubleClick() { Send(5); }

// --- UIForwardEvents

UIForwardEvents::UIForwardEvents(GameObj* owner) : UIWidget(owner, s_Class) {}

bool UIForwardEvents::Load(lua_State* L)
{
    m_nTargetTag = LuaGetNameField(L, "target");
    m_nMask = LuaGetIntField(L, "mask");
    return true;
}

bool UIForwardEvents::IsKindOf(TypeKey key) const { return key == s_Class.Key || key == UIWidget::s_Class.Key; }

void UIForwardEvents::Start()
{
    if (!m_pRoot)
        FindRootAndFrame();
    m_Target.Set(ResolveUITarget(*this, m_nTargetTag));
}

void UIForwardEvents::OnMessage(IMessage* message)
{
    if (message->GetTypeId() != MsgUIEvent::s_Class.Key)
        return;
    const auto* e = static_cast<const MsgUIEvent*>(message);
    const int32_t kind = e->m_eKind;
    if (kind < 0 || kind > 31 || ((static_cast<uint32_t>(m_nMask) >> kind) & 1u) == 0)
        return;
    GameObj* target = m_Target.Get();
    if (!target)
        return;
    auto* copy = new MsgUIEvent(GetOwner());
    copy->CopyPayload(*e);
    target->PostMessage(copy, 0.0f);
}

// --- UITriggerSound

UITriggerSound::UITriggerSound(GameObj* owner) : UIWidget(owner, s_Class) {}

bool UITriggerSound::Load(lua_State* L)
{
    m_Entries.clear();
    const size_t n = LuaGetItemCount(L);
    for (size_t i = 0; i < n; ++i) {
        lua_rawgeti(L, -1, static_cast<lua_Integer>(i + 1));
        if (lua_istable(L, -1))
            m_Entries.push_back({LuaGetIntField(L, "trigger"), LuaGetNameField(L, "sound")});
        lua_pop(L, 1);
    }
    return true;
}

bool UITriggerSound::IsKindOf(TypeKey key) const { return key == s_Class.Key || key == UIWidget::s_Class.Key; }

void UITriggerSound::Play(int32_t code)
{
    if (!g_pSoundManager)
        return;
    for (const Entry& entry : m_Entries)
        if (entry.trigger == code) {
            IAudioSource* source = g_pSoundManager->CreateSource(eSoundGroup_Se, entry.sound, eDecoderKind_Wave);
            g_pSoundManager->GetSeList().push_back(source);
            source->Play(0);
        }
}

void UITriggerSound::OnClick() { Play(0); }
void UITriggerSound::OnHover(bool hover) { Play(hover ? 1 : 2); }
void UITriggerSound::OnPress(bool down) { Play(down ? 3 : 4); }
void UITriggerSound::OnSelect(bool selected)
{
    if (selected)
        Play(5);
}
void UITriggerSound::Open() { Play(6); }
void UITriggerSound::OnClosing(GameObj*) { Play(7); }
void UITriggerSound::Close() { Play(8); }

// --- UITriggerTween

UITriggerTween::UITriggerTween(GameObj* owner) : UIWidget(owner, s_Class) {}

bool UITriggerTween::Load(lua_State* L)
{
    m_nTrigger = LuaGetIntField(L, "trigger");
    m_nTargetTag = LuaGetNameField(L, "target");
    m_nGroup = LuaGetIntField(L, "group");
    m_nEnableCondition = LuaGetIntField(L, "enable_condition");
    m_nDisableCondition = LuaGetIntField(L, "disable_condition");
    m_nDirection = LuaGetIntField(L, "direction");
    m_bResetOnPlay = LuaGetBoolField(L, "reset_on_play");
    return true;
}

bool UITriggerTween::IsKindOf(TypeKey key) const { return key == s_Class.Key || key == UIWidget::s_Class.Key; }

void UITriggerTween::Fire(int32_t code, bool argument)
{
    if (code == m_nTrigger)
        PlayOnTarget(argument);
}

void UITriggerTween::OnClick() { Fire(0, true); }
void UITriggerTween::OnHover(bool hover)
{
    Fire(1, hover);
    Fire(hover ? 3 : 4, hover);
}
void UITriggerTween::OnPress(bool down)
{
    Fire(2, down);
    Fire(down ? 5 : 6, down);
}
void UITriggerTween::Open() { Fire(7, true); }
void UITriggerTween::OnClosing(GameObj*) { Fire(8, false); }
void UITriggerTween::Close() { Fire(9, false); }
void UITriggerTween::OnDoubleClick() { Fire(10, true); }
void UITriggerTween::OnSelect(bool selected)
{
    Fire(11, selected);
    Fire(selected ? 12 : 13, selected);
}

void UITriggerTween::PlayOnTarget(bool argument)
{
    if (!m_bTargetResolved) {
        m_bTargetResolved = true;
        if (!m_pRoot)
            FindRootAndFrame();
        m_Target.Set(m_nTargetTag ? ResolveUITarget(*this, m_nTargetTag) : GetOwner());
    }
    GameObj* target = m_Target.Get();
    if (!target)
        return;
    if (!target->IsActive()) {
        if (m_nEnableCondition != 1)
            return;
        target->Activate();
    }
    m_Tweens.clear();
    CollectTweens(target, m_Tweens);
    if (m_Tweens.empty()) {
        if (m_nDisableCondition != 0)
            target->Deactivate();
        return;
    }
    for (const UITweenRef& ref : m_Tweens) {
        UITweener* tween = ref.tween;
        if (tween->GetGroup() != m_nGroup)
            continue;
        if (m_nDirection == 0)
            tween->Toggle();
        else if (m_nDirection == -1)
            tween->Play(!argument);
        else
            tween->Play(argument);
        if (m_bResetOnPlay)
            tween->ResetToBeginning();
    }
}

void UITriggerTween::Update()
{
    // Idle, it looks nothing up.
    if (m_nDisableCondition != 0 && !m_Tweens.empty())
        DisableWhenDone(m_Tweens, m_nGroup, m_nDisableCondition, m_Target.Get());
}
