#include "System/Common/EventManager.h"

#include <algorithm>

NameId EvtWinMsgActivate::TypeId()
{
    static const NameId id = HashName(TypeName());
    return id;
}

void EventManager::Register(IEventHandler* handler)
{
    if (handler && std::find(m_Handlers.begin(), m_Handlers.end(), handler) == m_Handlers.end())
        m_Handlers.push_back(handler);
}

void EventManager::Unregister(IEventHandler* handler)
{
    auto it = std::find(m_Handlers.begin(), m_Handlers.end(), handler);
    if (it != m_Handlers.end())
        m_Handlers.erase(it);
}

bool EventManager::Post(IEvent* event)
{
    if (!event)
        return false;
    event->m_nSenderId = -1;
    event->m_nResult = -1;
    bool answer = false;
    // A copy: a handler may register or unregister handlers while the event is offered. One
    // that was unregistered meanwhile may already be deleted, so it is skipped.
    const std::vector<IEventHandler*> handlers = m_Handlers;
    for (IEventHandler* handler : handlers) {
        if (std::find(m_Handlers.begin(), m_Handlers.end(), handler) == m_Handlers.end())
            continue;
        answer = handler->HandleEvent(event);
        if (answer && event->m_nResult != -1)
            break;
    }
    delete event;
    return answer;
}
