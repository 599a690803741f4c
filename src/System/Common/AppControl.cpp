#include "System/Common/AppControl.h"

namespace {
AppControl s_Control;
} // namespace

void RegisterAppControl(const AppControl& control) { s_Control = control; }

void UnregisterAppControl(const void* owner)
{
    if (s_Control.pOwner == owner)
        s_Control = AppControl{};
}

GameSettings* GetAppSettings() { return s_Control.pfnSettings ? s_Control.pfnSettings(s_Control.pOwner) : nullptr; }

void QuitApp()
{
    if (s_Control.pfnQuit)
        s_Control.pfnQuit(s_Control.pOwner);
}
