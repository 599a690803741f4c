// One game controller: the extended joystick state of this poll and the one before, with every
// axis set to the range -65536..65536 and a 25 % dead zone.
#pragma once

#include "System/Input/DI8InputDevice.h"

class DI8JoystickDevice : public DI8InputDevice {
  public:
    explicit DI8JoystickDevice(IDirectInput8A* directInput);

    bool IsDown(int code) const override;
    bool IsPressed(int code) const override;
    bool IsReleased(int code) const override;
    float GetPov(int index) const override;
    // Index 0-5: position axes; 6-11 velocity; 12-17 acceleration; 18-23 force; scaled by 2^-16,
    // so the position range reads -1.0..1.0.
    float GetAxis(int index) const override;
    void ClearKey(int code) override;
    int GetButtonCount() const override { return m_nButtonCount; }
    int GetPovCount() const override { return m_nPovCount; }
    int GetAxisCount() const override { return m_nAxisCount; }
    void Poll() override;
    bool Create(HWND hWnd, const GUID* instance) override;

    // How many times one poll asks for the device again while it reports its input lost.
    static constexpr int kMaxAcquireRetries = 4;

    static constexpr LONG kAxisRange = 65536;
    static constexpr DWORD kDeadZone = 2500;

  private:
    static bool Down(const DIJOYSTATE2& state, int code)
    {
        return code >= 0 && code < 128 && (state.rgbButtons[code] & 0x80) != 0;
    }
    static BOOL SetAxisRange(LPCDIDEVICEOBJECTINSTANCEA object, LPVOID context);
    void ClearBoth();

    DIJOYSTATE2 m_aStates[2];
    int m_nCurrent = 0;
    int m_nButtonCount = 0;
    int m_nPovCount = 0;
    int m_nAxisCount = 0;
};

// The angle of a hat value in hundredths of a degree, computed in single precision so that the
// eight positions give exactly the single-precision multiples of pi/4; -1.0 when centred.
float HatValueToRadians(DWORD value);
