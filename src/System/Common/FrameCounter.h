// The application's frame counter and time step as the object model reads them: messages record
// the frame that made them and are due only in a later one; the scene steps its clock by the
// scaled frame time. The application registers its clock here and writes it; every layer reads
// it through these functions without knowing the application.
#pragma once

#include <cstdint>

// Where a running application keeps its clock; the owner tells registrations apart.
struct AppFrameClock {
    const void* pOwner = nullptr;
    uint32_t* pFrameCount = nullptr;
    float* pDeltaTime = nullptr;
    float* pRawDeltaTime = nullptr;
    float* pTimeScale = nullptr;
    // Restarts the owner's frame pacer; may be nullptr.
    void (*pfnResetPacer)(const void* owner) = nullptr;
};

// Makes the clock the one read and written below; the last registration wins.
void RegisterAppFrameClock(const AppFrameClock& clock);
// Forgets the clock if the owner registered the current one; the stand-ins are read again.
void UnregisterAppFrameClock(const void* owner);

// The running application's counter; the stand-in count while there is none.
uint32_t GetAppFrameCount();
// Sets the count read while no application runs (tools, tests).
void SetStandInFrameCount(uint32_t count);

// The running application's scaled frame time in seconds; the stand-in while there is none.
float GetAppDeltaTime();
// Sets the application's scaled frame time, or the stand-in while there is none.
void SetAppDeltaTime(float seconds);
// Restarts the application's frame pacer as at its start, so the time spent until now does not
// count as frame time; nothing while there is none.
void ResetAppFramePacer();

// The application's unscaled frame time in seconds (the game speed not applied); the stand-in
// while there is none.
float GetAppRawDeltaTime();
void SetAppRawDeltaTime(float seconds);
// The application's game speed (gameplay writes it); the stand-in while there is none.
float GetAppTimeScale();
void SetAppTimeScale(float scale);
