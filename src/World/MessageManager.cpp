#include "World/MessageManager.h"

#include "World/FrameCounter.h"
#include "World/GameObj.h"
#include "World/IMessage.h"

MessageManager::MessageManager() : m_fClock(0.0f) {}

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
            ++it;
        }
    }
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
    if (message->IsSelfExecuting()) {
        message->Execute();
        delete message;
        return true;
    }
    GameObj* target = message->GetTarget();
    GameObj* object = target ? FindObject(target->GetId()) : nullptr;
    if (!object) {
        delete message;
        return false;
    }
    static_cast<IMessageHandler*>(object)->SendMessage(message);
    delete message;
    return true;
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
