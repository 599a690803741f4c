#include "World/FrameCounter.h"

#include "System/Application/MainApp.h"

namespace {
uint32_t s_nStandInFrameCount = 0;
}

uint32_t GetAppFrameCount() { return g_pApplication ? g_pApplication->m_nFrameCount : s_nStandInFrameCount; }

void SetStandInFrameCount(uint32_t count) { s_nStandInFrameCount = count; }
