#include "World/FrameCounter.h"

#include "System/Application/FramePacer.h"
#include "System/Application/MainApp.h"

namespace {
uint32_t s_nStandInFrameCount = 0;
float s_fStandInDeltaTime = 0.0f;
float s_fStandInRawDeltaTime = 0.0f;
float s_fStandInTimeScale = 1.0f;
} // namespace

uint32_t GetAppFrameCount() { return g_pApplication ? g_pApplication->m_nFrameCount : s_nStandInFrameCount; }

void SetStandInFrameCount(uint32_t count) { s_nStandInFrameCount = count; }

float GetAppDeltaTime() { return g_pApplication ? g_pApplication->m_fDeltaTime : s_fStandInDeltaTime; }

void SetAppDeltaTime(float seconds)
{
    if (g_pApplication)
        g_pApplication->m_fDeltaTime = seconds;
    else
        s_fStandInDeltaTime = seconds;
}

float GetAppRawDeltaTime() { return g_pApplication ? g_pApplication->m_fRawDeltaTime : s_fStandInRawDeltaTime; }

void SetAppRawDeltaTime(float seconds)
{
    if (g_pApplication)
        g_pApplication->m_fRawDeltaTime = seconds;
    else
        s_fStandInRawDeltaTime = seconds;
}

void ResetAppFramePacer()
{
    if (g_pApplication && g_pApplication->m_pFramePacer)
        g_pApplication->m_pFramePacer->Reset();
}

float GetAppTimeScale() { return g_pApplication ? g_pApplication->m_fTimeScale : s_fStandInTimeScale; }

void SetAppTimeScale(float scale)
{
    if (g_pApplication)
        g_pApplication->m_fTimeScale = scale;
    else
        s_fStandInTimeScale = scale;
}
