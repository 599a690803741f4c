#include "System/Input/DI8InputDevice.h"

#include "Platform/Win32/Message.h"
#include "Platform/Win32/Windows.h"

DI8InputDevice::~DI8InputDevice()
{
    Release();
}

bool DI8InputDevice::HandleEvent(IEvent* event)
{
    if (!event || !m_pDevice || event->GetTypeId() != EvtWinMsgActivate::TypeId())
        return false;
    // The low word is the activation state; the high word only says whether the window is minimised.
    if (LOWORD(static_cast<EvtWinMsgActivate*>(event)->m_wParam) != WA_INACTIVE)
        m_pDevice->Acquire();
    else
        m_pDevice->Unacquire();
    return false;
}

void DI8InputDevice::Release()
{
    if (!m_pDevice)
        return;
    m_pDevice->Unacquire();
    m_pDevice->Release();
    m_pDevice = nullptr;
}
