#include "System/Input/InputDevice.h"

bool InputDevice::HandleEvent(IEvent*)
{
    return false;
}
bool InputDevice::IsDown(int) const
{
    return false;
}
bool InputDevice::IsPressed(int) const
{
    return false;
}
bool InputDevice::IsReleased(int) const
{
    return false;
}
float InputDevice::GetPov(int) const
{
    return -1.0f;
}
float InputDevice::GetAxis(int) const
{
    return 0.0f;
}
void InputDevice::ClearKey(int) {}
int InputDevice::GetButtonCount() const
{
    return 0;
}
int InputDevice::GetPovCount() const
{
    return 0;
}
int InputDevice::GetAxisCount() const
{
    return 0;
}
void InputDevice::Poll() {}
