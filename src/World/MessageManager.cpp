#include "World/MessageManager.h"

#include "World/FrameCounter.h"
#include "World/GameObj.h"
#include "World/IMessage.h"

MessageManager::MessageManager() : m_fClock(0.0f) {}

namespace {

// UI messages keep their sender and origin as plain pointers that receivers read; an object
// that goes must not be left behind in them.
void ForgetObject(IMessage* message, const GameObj* object)
{
    auto forget = [object](GameObj*& slot) {
        if (slot == object)
            slot = nullptr;
    };
    if (message->GetTypeId() == MsgUIEvent::s_Class.Key) {
        forget(static_cast<MsgUIEvent*>(message)->m_pSender);
        forget(static_cast<MsgUIEvent*>(message)->m_pOrigin);
    } else if (message->GetTypeId() == MsgUIResult::s_Class.Key) {
        forget(static_cast<MsgUIResult*>(message)->m_pSender);
        forget(static_cast<MsgUIResult*>(message)->m_pOrigin);
    }
}

} // namespace

MessageManager::~MessageManager()
{
    Clear();
    m_Handlers.clear();
}

void MessageManager::RegisterHandler(GameObj* object)
{
    if (object)
        m_Handlers[object->GetId()] = object;
}

void MessageManager::UnregisterHandler(GameObj* object)
{
    if (!object)
        return;
    for (auto it = m_Pending.begin(); it != m_Pending.end();) {
        if ((*it)->GetTarget() == object) {
            delete *it;
            it = m_Pending.erase(it);
        } else {
            ForgetObject(*it, object);
            ++it;
        }
    }
    for (IMessage* message : m_InFlight)
        ForgetObject(message, object);
    m_Handlers.erase(object->GetId());
}

void MessageManager::AddPending(IMessage* message)
{
    if (message)
        m_Pending.insert(message);
}

void MessageManager::Deliver(float dt)
{
    m_fClock += dt;
    const uint32_t frame = GetAppFrameCount();
    auto it = m_Pending.begin();
    while (it != m_Pending.end()) {
        IMessage* message = *it;
        if (!(message->GetDeliveryTime() <= m_fClock && message->GetPostFrame() < frame)) {
            ++it;
            continue;
        }
        m_Pending.erase(it);
        const uintptr_t place = reinterpret_cast<uintptr_t>(message);
        Dispatch(message);
        // The dispatch may have deleted any other pending message (a removed object takes its
        // messages along), so find the place again rather than keep an iterator.
        it = m_Pending.upper_bound(place);
    }
}

bool MessageManager::Dispatch(IMessage* message)
{
    bool delivered = true;
    m_InFlight.push_back(message);
    if (message->IsSelfExecuting()) {
        message->Execute();
    } else {
        GameObj* target = message->GetTarget();
        GameObj* object = target ? FindObject(target->GetId()) : nullptr;
        if (object)
            static_cast<IMessageHandler*>(object)->SendMessage(message);
        else
            delivered = false;
    }
    m_InFlight.pop_back();
    delete message;
    return delivered;
}

void MessageManager::Clear()
{
    for (IMessage* message : m_Pending)
        delete message;
    m_Pending.clear();
}

GameObj* MessageManager::FindObject(int32_t id) const
{
    auto it = m_Handlers.find(id);
    return it == m_Handlers.end() ? nullptr : it->second;
}
