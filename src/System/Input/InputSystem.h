// The input system: owns the input devices and the virtual pads.
#pragma once

#include "Platform/Win32/Windows.h"
#include "System/Input/VirtualPad.h"

#include <cstdint>
#include <vector>

class EventManager;
class InputDevice;

class InputSystem {
  public:
    InputSystem();
    virtual ~InputSystem();
    InputSystem(const InputSystem&) = delete;
    InputSystem& operator=(const InputSystem&) = delete;

    // Starts the devices and makes `padCount` pads; the devices are registered with the event
    // manager (may be null) for activation events.
    virtual bool Init(HWND hWnd, int padCount, EventManager* eventManager) = 0;
    virtual void Shutdown() = 0;
    // Polls every device, then updates the pads. Once per tick.
    virtual void Update() = 0;
    // The device at `index`; never null: a missing device reads as the do-nothing device.
    virtual InputDevice* GetDevice(int index) = 0;
    virtual int32_t GetReservedField() const { return m_nReserved; }
    virtual void CreatePads(int count);
    virtual void FreePads();
    virtual void UpdatePads();

    int GetPadCount() const { return static_cast<int>(m_Pads.size()); }
    // Pad `index`, or null when there is none.
    VirtualPad* GetPad(int index) const;

    uint16_t m_nKeyRepeatDelay = 20;
    uint16_t m_nKeyRepeatInterval = 6;

  protected:
    int32_t m_nReserved = 0;
    std::vector<VirtualPad*> m_Pads;
};

extern InputSystem* g_pInputSystem;
