// The program's frame: the message loop and the base window procedure. Start-up, the frame
// tick and shutdown belong to the concrete application.
#pragma once

#include "Platform/Win32/Windows.h"
#include "System/Common/EventManager.h"
#include "System/Graphics/IWindowProc.h"

class Application : public IWindowProc {
  public:
    Application() = default;
    ~Application() override = default;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // WM_DESTROY ends the loop; WM_ACTIVATE goes to the event handlers; WM_QUIT sent to the
    // window hides it. Everything else gets the default handling.
    LRESULT WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) override;

    // False when the program cannot run (then Run is skipped; Shutdown still runs).
    virtual bool Startup() = 0;
    virtual void Shutdown() = 0;
    // Dispatches all pending messages, else ticks once; returns after the queue held the quit message.
    virtual void Run();
    virtual void Quit();
    virtual EventManager* GetEventManager() { return &m_EventManager; }
    virtual void Tick() = 0;

  protected:
    EventManager m_EventManager;
};
