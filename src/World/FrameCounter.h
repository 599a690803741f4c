// The application's frame counter and time step as the object model reads them: messages record
// the frame that made them and are due only in a later one; the scene steps its clock by the
// scaled frame time.
#pragma once

#include <cstdint>

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

// The game speed applied to the next frames' time (1 normal); the stand-in while there is none.
float GetAppTimeScale();
void SetAppTimeScale(float scale);
