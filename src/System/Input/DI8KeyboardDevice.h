// The system keyboard: the 256 key bytes of this poll and the one before.
#pragma once

#include "System/Input/DI8InputDevice.h"

#include <cstdint>

class DI8KeyboardDevice : public DI8InputDevice {
  public:
    using DI8InputDevice::DI8InputDevice;

    bool IsDown(int code) const override;
    bool IsPressed(int code) const override;
    bool IsReleased(int code) const override;
    void ClearKey(int code) override;
    int GetButtonCount() const override { return m_nButtonCount; }
    void Poll() override;
    bool Create(HWND hWnd, const GUID* instance) override;

  private:
    static bool Down(const uint8_t* keys, int code) { return code >= 0 && code < 256 && (keys[code] & 0x80) != 0; }
    void ClearBoth();

    int m_nButtonCount = 0;
    int m_nCurrent = 0;
    uint8_t m_aKeys[2][256] = {};
};
