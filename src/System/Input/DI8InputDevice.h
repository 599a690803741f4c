// What the three DirectInput devices share: the device interface, and acquiring and
// unacquiring it as the game window is activated and deactivated.
#pragma once

#include "Platform/DInput8/DInput8.h"
#include "System/Input/InputDevice.h"

class DI8InputDevice : public InputDevice {
  public:
    explicit DI8InputDevice(IDirectInput8A* directInput) : m_pDirectInput(directInput) {}
    ~DI8InputDevice() override;

    // Acquires on activation and unacquires on deactivation; always false, so every device
    // sees the event.
    bool HandleEvent(IEvent* event) override;
    // Creates and sets up the DirectInput device; false at the first step that fails.
    virtual bool Create(HWND hWnd, const GUID* instance) = 0;
    // Unacquires and releases the device interface.
    virtual void Release();

    IDirectInputDevice8A* GetInterface() const { return m_pDevice; }

  protected:
    IDirectInput8A* m_pDirectInput;
    IDirectInputDevice8A* m_pDevice = nullptr;
};
