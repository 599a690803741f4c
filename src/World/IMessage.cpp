#include "World/IMessage.h"

#include <cstdio>

#include "System/Common/FrameCounter.h"
#include "World/Component.h"
#include "World/GameObj.h"

const ClassKey MsgRemoveObject::s_Class("MsgRemoveObject");
const ClassKey MsgSetActivate::s_Class("MsgSetActivate");
const ClassKey MsgSetCamera::s_Class("MsgSetCamera");
const ClassKey MsgUIEvent::s_Class("MsgUIEvent");
const ClassKey MsgUIResult::s_Class("MsgUIResult");
const ClassKey g_MsgUISetSelectClass("MsgUISetSelect");

IMessage::IMessage(const ClassKey& classKey)
    : m_ClassName(classKey.Name),
      m_nTypeId(classKey.Key),
      m_pTarget(nullptr),
      m_bBroadcast(0),
      m_bSelfExecuting(0),
      m_fDeliveryTime(0.0f),
      m_nPostFrame(GetAppFrameCount())
{
}

IMessage::~IMessage() = default;

void IMessage::SetTarget(GameObj* target) { m_pTarget = target; }

std::string IMessage::Describe() const { return m_ClassName; }

void IMessage::Execute() {}

MsgRemoveObject::MsgRemoveObject(GameObj* target) : IMessage(s_Class)
{
    SetTarget(target);
    SetSelfExecuting(true);
}

void MsgRemoveObject::Execute() { delete GetTarget(); }

MsgSetActivate::MsgSetActivate(GameObj* target) : IMessage(s_Class), m_bActive(true)
{
    SetTarget(target);
    SetSelfExecuting(true);
}

namespace {

void SetActiveTree(GameObj* obj, bool active, bool broadcast)
{
    if (active)
        obj->Activate();
    else
        obj->Deactivate();
    if (!broadcast)
        return;
    for (GameObj* child = obj->GetFirstChild(); child; child = child->GetNextSibling())
        SetActiveTree(child, active, broadcast);
}

void SendToEveryComponent(GameObj* obj, IMessage* message)
{
    for (size_t i = 0; i < obj->GetComponents().size(); ++i)
        obj->GetComponents()[i]->OnMessage(message);
    if (!message->IsBroadcast())
        return;
    for (GameObj* child = obj->GetFirstChild(); child; child = child->GetNextSibling())
        SendToEveryComponent(child, message);
}

} // namespace

void MsgSetActivate::Execute()
{
    if (GameObj* target = GetTarget())
        SetActiveTree(target, m_bActive, IsBroadcast());
}

MsgSetCamera::MsgSetCamera(GameObj* target, int32_t camera) : IMessage(s_Class), m_nCamera(camera)
{
    SetTarget(target);
    SetBroadcast(true);
    SetSelfExecuting(true);
}

void MsgSetCamera::Execute()
{
    if (GameObj* target = GetTarget())
        SendToEveryComponent(target, this);
}

MsgUIEvent::MsgUIEvent(GameObj* sender)
    : IMessage(s_Class), m_pSender(sender), m_pOrigin(sender), m_eKind(eUIEvent_None), m_nParam(0), m_nParam2(0)
{
}

std::string MsgUIEvent::Describe() const
{
    static const char* const kNames[] = {"None", "Hover", "Press", "Select", "Click", "DoubleClick", "Drag", "Drop",
                                         "Input", "Tooltip", "Scroll", "Pad", "Open", "Closing", "Close"};
    const char* cls = GetClassName().c_str();
    const char* sender = m_pSender ? m_pSender->GetObjectName().c_str() : "";
    const bool flag = (m_nParam & 0xFF) != 0;
    // Object names come from data: the fixed buffer cuts a long line rather than overrun it.
    char text[256];
    switch (m_eKind) {
    case eUIEvent_Press:
        std::snprintf(text, sizeof(text), "%s(%s) Press(%s)", cls, sender, flag ? "down" : "up");
        break;
    case eUIEvent_Select:
        std::snprintf(text, sizeof(text), "%s(%s) Select(%s)", cls, sender, flag ? "true" : "false");
        break;
    case eUIEvent_Pad:
        std::snprintf(text, sizeof(text), "%s(%s) Pad(%d)", cls, sender, static_cast<int>(m_nParam));
        break;
    default:
        if (m_eKind >= eUIEvent_None && m_eKind <= eUIEvent_Close)
            std::snprintf(text, sizeof(text), "%s(%s) %s", cls, sender, kNames[m_eKind]);
        else
            std::snprintf(text, sizeof(text), "%s(%s) %d", cls, sender, static_cast<int>(m_eKind));
        break;
    }
    return text;
}

void MsgUIEvent::CopyPayload(const MsgUIEvent& from)
{
    m_eKind = from.m_eKind;
    m_Text = from.m_Text;
    m_nParam = from.m_nParam;
    m_nParam2 = from.m_nParam2;
    m_pOrigin = from.m_pOrigin;
}

MsgUIResult::MsgUIResult(GameObj* sender) : IMessage(s_Class), m_pSender(sender), m_pOrigin(sender) {}
