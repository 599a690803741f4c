// The system mouse: relative motion, wheel and eight buttons of this poll and the one before.
#pragma once

#include "System/Input/DI8InputDevice.h"

class DI8MouseDevice : public DI8InputDevice {
  public:
    using DI8InputDevice::DI8InputDevice;

    bool IsDown(int code) const override;
    bool IsPressed(int code) const override;
    bool IsReleased(int code) const override;
    // Index 0-2: the x, y and wheel motion since the last poll.
    float GetAxis(int index) const override;
    void ClearKey(int code) override;
    int GetButtonCount() const override { return m_nButtonCount; }
    int GetAxisCount() const override { return m_nAxisCount; }
    void Poll() override;
    bool Create(HWND hWnd, const GUID* instance) override;

  private:
    static bool Down(const DIMOUSESTATE2& state, int code)
    {
        return code >= 0 && code < 8 && (state.rgbButtons[code] & 0x80) != 0;
    }
    void ClearBoth();

    DIMOUSESTATE2 m_aStates[2] = {};
    int m_nCurrent = 0;
    int m_nButtonCount = 0;
    int m_nAxisCount = 0;
};
