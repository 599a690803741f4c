#include "System/Input/DI8KeyboardDevice.h"

#include <cstring>

bool DI8KeyboardDevice::Create(HWND hWnd, const GUID*)
{
    if (FAILED(m_pDirectInput->CreateDevice(GUID_SysKeyboard, &m_pDevice, nullptr)))
        return false;
    if (FAILED(m_pDevice->SetDataFormat(&c_dfDIKeyboard)))
        return false;
    if (FAILED(m_pDevice->SetCooperativeLevel(hWnd, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND)))
        return false;
    DIDEVCAPS caps{};
    caps.dwSize = sizeof(caps);
    if (FAILED(m_pDevice->GetCapabilities(&caps)))
        return false;
    m_nButtonCount = static_cast<int>(caps.dwButtons);
    // Fails while the window is in the background; the first poll after activation tries again.
    m_pDevice->Acquire();
    return true;
}

bool DI8KeyboardDevice::IsDown(int code) const
{
    return Down(m_aKeys[m_nCurrent], code);
}

bool DI8KeyboardDevice::IsPressed(int code) const
{
    return Down(m_aKeys[m_nCurrent], code) && !Down(m_aKeys[1 - m_nCurrent], code);
}

bool DI8KeyboardDevice::IsReleased(int code) const
{
    return Down(m_aKeys[1 - m_nCurrent], code) && !Down(m_aKeys[m_nCurrent], code);
}

void DI8KeyboardDevice::ClearBoth()
{
    std::memset(m_aKeys, 0, sizeof(m_aKeys));
}

void DI8KeyboardDevice::ClearKey(int code)
{
    if (code < 0)
        ClearBoth();
    else if (code < 256)
        m_aKeys[0][code] = m_aKeys[1][code] = 0;
}

void DI8KeyboardDevice::Poll()
{
    if (!m_pDevice)
        return;
    m_nCurrent = 1 - m_nCurrent;
    uint8_t* keys = m_aKeys[m_nCurrent];
    if (SUCCEEDED(m_pDevice->GetDeviceState(sizeof(m_aKeys[0]), keys)))
        return;
    // Lost or not acquired: acquire and read once more. If that fails too, every key is up in
    // both polls, so neither a stale press nor a release is reported.
    if (FAILED(m_pDevice->Acquire()) || FAILED(m_pDevice->GetDeviceState(sizeof(m_aKeys[0]), keys)))
        ClearBoth();
}
