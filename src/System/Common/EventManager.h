// Window-level happenings, offered at once to every registered handler (unlike the game's
// queued messages).
#pragma once

#include "Platform/Win32/Windows.h"
#include "System/Common/NameHash.h"

#include <cstdint>
#include <vector>

class IEvent {
  public:
    virtual ~IEvent() = default;
    virtual const char* GetTypeName() const = 0;
    virtual NameId GetTypeId() const = 0;

    float m_fTimeStamp = 0.0f;
    int32_t m_nSenderId = -1;
    // -1 while no handler has answered.
    int32_t m_nResult = -1;
};

class EvtWindowMsg : public IEvent {
  public:
    EvtWindowMsg(HWND hWnd, WPARAM wParam, LPARAM lParam) : m_hWnd(hWnd), m_wParam(wParam), m_lParam(lParam) {}

    HWND m_hWnd;
    WPARAM m_wParam;
    LPARAM m_lParam;
};

// Made for every WM_ACTIVATE of the game window.
class EvtWinMsgActivate : public EvtWindowMsg {
  public:
    using EvtWindowMsg::EvtWindowMsg;
    static const char* TypeName() { return "EvtWinMsgActivate"; }
    static NameId TypeId();
    const char* GetTypeName() const override { return TypeName(); }
    NameId GetTypeId() const override { return TypeId(); }
};

class IEventHandler {
  public:
    virtual ~IEventHandler() = default;
    virtual bool HandleEvent(IEvent* event) = 0;
};

class EventManager {
  public:
    virtual ~EventManager() = default;

    // Appends a handler unless it is registered already; the manager does not own it.
    void Register(IEventHandler* handler);
    void Unregister(IEventHandler* handler);
    // Takes the event over: offers it to the handlers in registration order, stopping after
    // one that answers true and sets the result word; deletes it. Returns the last answer
    // (false for no handler or a null event). A handler unregistered by an earlier one during
    // the offer is skipped.
    bool Post(IEvent* event);

    const std::vector<IEventHandler*>& GetHandlers() const { return m_Handlers; }

  private:
    std::vector<IEventHandler*> m_Handlers;
};
