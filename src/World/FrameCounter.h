// The application's frame counter as the object model reads it: messages record the frame
// that made them and are due only in a later one.
#pragma once

#include <cstdint>

// The running application's counter; the stand-in count while there is none.
uint32_t GetAppFrameCount();
// Sets the count read while no application runs (tools, tests).
void SetStandInFrameCount(uint32_t count);
