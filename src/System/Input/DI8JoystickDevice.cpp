#include "System/Input/DI8JoystickDevice.h"

#include <cstring>

float HatValueToRadians(DWORD value)
{
    if (value == 0xFFFFFFFFu || value == 0xFFFFu)
        return -1.0f;
    // Two single-precision products, each rounded: carrying them in double precision would put
    // 4500, 9000 and 18000 one unit in the last place below the angles the bindings compare with.
    const float degrees = static_cast<float>(value) * 0.01f;
    const float radians = degrees * 0.017453292f;
    return radians;
}

DI8JoystickDevice::DI8JoystickDevice(IDirectInput8A* directInput) : DI8InputDevice(directInput)
{
    ClearBoth();
}

BOOL DI8JoystickDevice::SetAxisRange(LPCDIDEVICEOBJECTINSTANCEA object, LPVOID context)
{
    IDirectInputDevice8A* device = static_cast<IDirectInputDevice8A*>(context);
    DIPROPRANGE range{};
    range.diph.dwSize = sizeof(range);
    range.diph.dwHeaderSize = sizeof(range.diph);
    range.diph.dwHow = DIPH_BYID;
    range.diph.dwObj = object->dwType;
    range.lMin = -kAxisRange;
    range.lMax = kAxisRange;
    if (FAILED(device->SetProperty(DIPROP_RANGE, &range.diph)))
        return DIENUM_STOP;
    return DIENUM_CONTINUE;
}

bool DI8JoystickDevice::Create(HWND hWnd, const GUID* instance)
{
    if (!instance || FAILED(m_pDirectInput->CreateDevice(*instance, &m_pDevice, nullptr)))
        return false;
    if (FAILED(m_pDevice->SetDataFormat(&c_dfDIJoystick2)))
        return false;
    if (FAILED(m_pDevice->SetCooperativeLevel(hWnd, DISCL_EXCLUSIVE | DISCL_FOREGROUND)))
        return false;
    DIDEVCAPS caps{};
    caps.dwSize = sizeof(caps);
    if (FAILED(m_pDevice->GetCapabilities(&caps)))
        return false;
    m_nAxisCount = static_cast<int>(caps.dwAxes);
    m_nButtonCount = static_cast<int>(caps.dwButtons);
    m_nPovCount = static_cast<int>(caps.dwPOVs);
    if (FAILED(m_pDevice->EnumObjects(SetAxisRange, m_pDevice, DIDFT_AXIS)))
        return false;

    DIPROPDWORD dword{};
    dword.diph.dwSize = sizeof(dword);
    dword.diph.dwHeaderSize = sizeof(dword.diph);
    dword.diph.dwHow = DIPH_DEVICE;
    dword.dwData = DIPROPAXISMODE_ABS;
    if (FAILED(m_pDevice->SetProperty(DIPROP_AXISMODE, &dword.diph)))
        return false;
    dword.dwData = kDeadZone;
    if (FAILED(m_pDevice->SetProperty(DIPROP_DEADZONE, &dword.diph)))
        return false;
    m_pDevice->Acquire();
    return true;
}

bool DI8JoystickDevice::IsDown(int code) const
{
    return Down(m_aStates[m_nCurrent], code);
}

bool DI8JoystickDevice::IsPressed(int code) const
{
    return Down(m_aStates[m_nCurrent], code) && !Down(m_aStates[1 - m_nCurrent], code);
}

bool DI8JoystickDevice::IsReleased(int code) const
{
    return Down(m_aStates[1 - m_nCurrent], code) && !Down(m_aStates[m_nCurrent], code);
}

float DI8JoystickDevice::GetPov(int index) const
{
    if (index < 0 || index >= 4)
        return -1.0f;
    return HatValueToRadians(m_aStates[m_nCurrent].rgdwPOV[index]);
}

float DI8JoystickDevice::GetAxis(int index) const
{
    const DIJOYSTATE2& s = m_aStates[m_nCurrent];
    const LONG* axes[24] = {&s.lX,   &s.lY,   &s.lZ,   &s.lRx,  &s.lRy, &s.lRz,  &s.lVX,  &s.lVY,
                            &s.lVZ,  &s.lVRx, &s.lVRy, &s.lVRz, &s.lAX, &s.lAY,  &s.lAZ,  &s.lARx,
                            &s.lARy, &s.lARz, &s.lFX,  &s.lFY,  &s.lFZ, &s.lFRx, &s.lFRy, &s.lFRz};
    if (index < 0 || index >= 24)
        return 0.0f;
    return static_cast<float>(*axes[index]) * (1.0f / 65536.0f);
}

void DI8JoystickDevice::ClearBoth()
{
    std::memset(m_aStates, 0, sizeof(m_aStates));
    for (DIJOYSTATE2& state : m_aStates)
        for (DWORD& pov : state.rgdwPOV)
            pov = 0xFFFFFFFFu;
}

void DI8JoystickDevice::ClearKey(int code)
{
    if (code < 0) {
        for (DIJOYSTATE2& state : m_aStates)
            std::memset(state.rgbButtons, 0, sizeof(state.rgbButtons));
    } else if (code < 128) {
        m_aStates[0].rgbButtons[code] = m_aStates[1].rgbButtons[code] = 0;
    }
}

void DI8JoystickDevice::Poll()
{
    if (!m_pDevice)
        return;
    if (FAILED(m_pDevice->Poll())) {
        ClearBoth();
        HRESULT hr = m_pDevice->Acquire();
        for (int retry = 0; hr == DIERR_INPUTLOST && retry < kMaxAcquireRetries; ++retry)
            hr = m_pDevice->Acquire();
        return;
    }
    m_nCurrent = 1 - m_nCurrent;
    if (FAILED(m_pDevice->GetDeviceState(sizeof(DIJOYSTATE2), &m_aStates[m_nCurrent])))
        ClearBoth();
}
