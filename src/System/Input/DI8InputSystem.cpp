#include "System/Input/DI8InputSystem.h"

#include "Platform/Win32/Window.h"
#include "System/Common/EventManager.h"
#include "System/Common/Log.h"
#include "System/Input/DI8JoystickDevice.h"
#include "System/Input/DI8KeyboardDevice.h"
#include "System/Input/DI8MouseDevice.h"

#include <algorithm>

DI8InputSystem::~DI8InputSystem()
{
    Shutdown();
}

bool DI8InputSystem::Init(HWND hWnd, int padCount, EventManager* eventManager)
{
    m_hWnd = hWnd;
    m_pEventManager = eventManager;
    IDirectInput8A* directInput = nullptr;
    const HRESULT hr = CreateDirectInput(&directInput);
    const bool started = SUCCEEDED(hr) && directInput;
    if (started) {
        m_pDirectInput = directInput;
        CreateDevices();
    } else {
        LOG_ERROR << "DirectInput8Create failed (0x" << std::hex << static_cast<uint32_t>(hr)
                  << "): there is no keyboard, mouse or controller input";
    }
    // The pads exist even without DirectInput: start-up binds pad 0 and the UI reads it.
    CreatePads(padCount);
    return started;
}

HRESULT DI8InputSystem::CreateDirectInput(IDirectInput8A** out)
{
    void* directInput = nullptr;
    const HRESULT hr =
        DirectInput8Create(GetModuleHandleA(nullptr), DIRECTINPUT_VERSION, IID_IDirectInput8A, &directInput, nullptr);
    *out = static_cast<IDirectInput8A*>(directInput);
    return hr;
}

BOOL DI8InputSystem::EnumControllerCallback(LPCDIDEVICEINSTANCEA instance, LPVOID context)
{
    DI8InputSystem* self = static_cast<DI8InputSystem*>(context);
    DI8JoystickDevice* joystick = new DI8JoystickDevice(self->m_pDirectInput);
    InputDevice* device = joystick;
    if (!joystick->Create(self->m_hWnd, &instance->guidInstance)) {
        LOG_WARNING << "Game controller \"" << instance->tszInstanceName << "\" cannot be used";
        delete joystick;
        device = new InputDevice();
    }
    ++self->m_nControllerCount;
    self->m_Devices.push_back(device);
    return DIENUM_CONTINUE;
}

void DI8InputSystem::CreateDevices()
{
    DI8KeyboardDevice* keyboard = new DI8KeyboardDevice(m_pDirectInput);
    if (keyboard->Create(m_hWnd, nullptr)) {
        m_Devices.push_back(keyboard);
    } else {
        LOG_WARNING << "The keyboard cannot be used";
        delete keyboard;
        m_Devices.push_back(new InputDevice());
    }

    DI8MouseDevice* mouse = new DI8MouseDevice(m_pDirectInput);
    if (mouse->Create(m_hWnd, nullptr)) {
        m_Devices.push_back(mouse);
    } else {
        LOG_WARNING << "The mouse cannot be used";
        delete mouse;
        m_Devices.push_back(new InputDevice());
    }

    m_pDirectInput->EnumDevices(DI8DEVCLASS_GAMECTRL, EnumControllerCallback, this, DIEDFL_ATTACHEDONLY);

    if (m_pEventManager)
        for (InputDevice* device : m_Devices)
            m_pEventManager->Register(device);
}

void DI8InputSystem::Shutdown()
{
    FreePads();
    for (InputDevice* device : m_Devices) {
        if (m_pEventManager)
            m_pEventManager->Unregister(device);
        delete device;
    }
    m_Devices.clear();
    m_nControllerCount = 0;
    if (m_pDirectInput) {
        m_pDirectInput->Release();
        m_pDirectInput = nullptr;
    }
    m_hWnd = nullptr;
    m_pEventManager = nullptr;
}

void DI8InputSystem::Update()
{
    for (InputDevice* device : m_Devices)
        device->Poll();
    UpdatePads();
}

InputDevice* DI8InputSystem::GetDevice(int index)
{
    if (index < 0 || index >= kMaxDevices) {
        if (!m_pOutOfRange)
            m_pOutOfRange = std::make_unique<InputDevice>();
        return m_pOutOfRange.get();
    }
    while (static_cast<int>(m_Devices.size()) <= index)
        m_Devices.push_back(new InputDevice());
    return m_Devices[index];
}
