// What the game asks of the running application without knowing it: the settings it runs with
// and the end of the program. The application registers itself here.
#pragma once

struct GameSettings;

struct AppControl {
    const void* pOwner = nullptr;
    GameSettings* (*pfnSettings)(const void* owner) = nullptr;
    void (*pfnQuit)(const void* owner) = nullptr;
};

// Makes the control the one used below; the last registration wins.
void RegisterAppControl(const AppControl& control);
// Forgets the control if the owner registered the current one.
void UnregisterAppControl(const void* owner);

// The running application's settings; nullptr while there is none or it has none yet.
GameSettings* GetAppSettings();
// Asks the running application to end; nothing while there is none.
void QuitApp();
