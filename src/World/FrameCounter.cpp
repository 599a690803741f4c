#include "World/FrameCounter.h"

namespace {
uint32_t s_nStandInFrameCount = 0;
}

uint32_t GetAppFrameCount() { return s_nStandInFrameCount; }

void SetStandInFrameCount(uint32_t count) { s_nStandInFrameCount = count; }
