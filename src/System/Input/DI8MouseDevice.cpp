#include "System/Input/DI8MouseDevice.h"

#include <cstring>

bool DI8MouseDevice::Create(HWND hWnd, const GUID*)
{
    if (FAILED(m_pDirectInput->CreateDevice(GUID_SysMouse, &m_pDevice, nullptr)))
        return false;
    if (FAILED(m_pDevice->SetDataFormat(&c_dfDIMouse2)))
        return false;
    if (FAILED(m_pDevice->SetCooperativeLevel(hWnd, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND)))
        return false;
    DIDEVCAPS caps{};
    caps.dwSize = sizeof(caps);
    if (FAILED(m_pDevice->GetCapabilities(&caps)))
        return false;
    m_nAxisCount = static_cast<int>(caps.dwAxes);
    m_nButtonCount = static_cast<int>(caps.dwButtons);
    DIPROPDWORD mode{};
    mode.diph.dwSize = sizeof(mode);
    mode.diph.dwHeaderSize = sizeof(mode.diph);
    mode.diph.dwHow = DIPH_DEVICE;
    mode.dwData = DIPROPAXISMODE_REL;
    if (FAILED(m_pDevice->SetProperty(DIPROP_AXISMODE, &mode.diph)))
        return false;
    m_pDevice->Acquire();
    return true;
}

bool DI8MouseDevice::IsDown(int code) const
{
    return Down(m_aStates[m_nCurrent], code);
}

bool DI8MouseDevice::IsPressed(int code) const
{
    return Down(m_aStates[m_nCurrent], code) && !Down(m_aStates[1 - m_nCurrent], code);
}

bool DI8MouseDevice::IsReleased(int code) const
{
    return Down(m_aStates[1 - m_nCurrent], code) && !Down(m_aStates[m_nCurrent], code);
}

float DI8MouseDevice::GetAxis(int index) const
{
    const DIMOUSESTATE2& state = m_aStates[m_nCurrent];
    switch (index) {
    case 0: return static_cast<float>(state.lX);
    case 1: return static_cast<float>(state.lY);
    case 2: return static_cast<float>(state.lZ);
    default: return 0.0f;
    }
}

void DI8MouseDevice::ClearBoth()
{
    std::memset(m_aStates, 0, sizeof(m_aStates));
}

void DI8MouseDevice::ClearKey(int code)
{
    if (code < 0) {
        for (DIMOUSESTATE2& state : m_aStates)
            std::memset(state.rgbButtons, 0, sizeof(state.rgbButtons));
    } else if (code < 8) {
        m_aStates[0].rgbButtons[code] = m_aStates[1].rgbButtons[code] = 0;
    }
}

void DI8MouseDevice::Poll()
{
    if (!m_pDevice)
        return;
    m_nCurrent = 1 - m_nCurrent;
    DIMOUSESTATE2& state = m_aStates[m_nCurrent];
    if (SUCCEEDED(m_pDevice->GetDeviceState(sizeof(state), &state)))
        return;
    if (FAILED(m_pDevice->Acquire()) || FAILED(m_pDevice->GetDeviceState(sizeof(state), &state)))
        ClearBoth();
}
