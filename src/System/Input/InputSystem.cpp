#include "System/Input/InputSystem.h"

InputSystem* g_pInputSystem = nullptr;

InputSystem::InputSystem() = default;

InputSystem::~InputSystem()
{
    FreePads();
}

void InputSystem::CreatePads(int count)
{
    for (int i = 0; i < count; ++i) {
        VirtualPad* pad = new VirtualPad();
        pad->Init(static_cast<int>(m_Pads.size()), this);
        m_Pads.push_back(pad);
    }
}

void InputSystem::FreePads()
{
    for (VirtualPad* pad : m_Pads)
        delete pad;
    m_Pads.clear();
}

void InputSystem::UpdatePads()
{
    for (VirtualPad* pad : m_Pads)
        pad->Update();
}

VirtualPad* InputSystem::GetPad(int index) const
{
    if (index < 0 || index >= GetPadCount())
        return nullptr;
    return m_Pads[index];
}
