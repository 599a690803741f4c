// The DirectInput 8 input system: the keyboard (device 0), the mouse (device 1) and the game
// controllers attached at start-up (devices 2 and up, in enumeration order).
#pragma once

#include "Platform/DInput8/DInput8.h"
#include "System/Input/InputDevice.h"
#include "System/Input/InputSystem.h"

#include <memory>
#include <vector>

class DI8InputSystem : public InputSystem {
  public:
    DI8InputSystem() = default;
    ~DI8InputSystem() override;

    // False when DirectInput cannot start; the pads are made all the same, and every device
    // then reads as the do-nothing device.
    bool Init(HWND hWnd, int padCount, EventManager* eventManager) override;
    void Shutdown() override;
    void Update() override;
    InputDevice* GetDevice(int index) override;

    int GetControllerCount() const { return m_nControllerCount; }
    int GetDeviceCount() const { return static_cast<int>(m_Devices.size()); }

    // Device indices are a byte in the settings; nothing is made past this many.
    static constexpr int kMaxDevices = 256;

  protected:
    // Starts DirectInput for this system.
    virtual HRESULT CreateDirectInput(IDirectInput8A** out);

  private:
    void CreateDevices();
    static BOOL EnumControllerCallback(LPCDIDEVICEINSTANCEA instance, LPVOID context);

    HWND m_hWnd = nullptr;
    EventManager* m_pEventManager = nullptr;
    IDirectInput8A* m_pDirectInput = nullptr;
    int m_nControllerCount = 0;
    std::vector<InputDevice*> m_Devices;
    // Answers for indices that no list place can hold.
    std::unique_ptr<InputDevice> m_pOutOfRange;
};
