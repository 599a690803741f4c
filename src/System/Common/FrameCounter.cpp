#include "System/Common/FrameCounter.h"

namespace {
// The registered clock; its null pointers read the stand-ins.
AppFrameClock s_Clock;
uint32_t s_nStandInFrameCount = 0;
float s_fStandInDeltaTime = 0.0f;
float s_fStandInRawDeltaTime = 0.0f;
float s_fStandInTimeScale = 1.0f;

uint32_t& FrameCount() { return s_Clock.pFrameCount ? *s_Clock.pFrameCount : s_nStandInFrameCount; }
float& DeltaTime() { return s_Clock.pDeltaTime ? *s_Clock.pDeltaTime : s_fStandInDeltaTime; }
float& RawDeltaTime() { return s_Clock.pRawDeltaTime ? *s_Clock.pRawDeltaTime : s_fStandInRawDeltaTime; }
float& TimeScale() { return s_Clock.pTimeScale ? *s_Clock.pTimeScale : s_fStandInTimeScale; }
} // namespace

void RegisterAppFrameClock(const AppFrameClock& clock) { s_Clock = clock; }

void UnregisterAppFrameClock(const void* owner)
{
    if (s_Clock.pOwner == owner)
        s_Clock = AppFrameClock{};
}

uint32_t GetAppFrameCount() { return FrameCount(); }

void SetStandInFrameCount(uint32_t count) { s_nStandInFrameCount = count; }

float GetAppDeltaTime() { return DeltaTime(); }

void SetAppDeltaTime(float seconds) { DeltaTime() = seconds; }

float GetAppRawDeltaTime() { return RawDeltaTime(); }

void SetAppRawDeltaTime(float seconds) { RawDeltaTime() = seconds; }

float GetAppTimeScale() { return TimeScale(); }

void SetAppTimeScale(float scale) { TimeScale() = scale; }

void ResetAppFramePacer()
{
    if (s_Clock.pfnResetPacer)
        s_Clock.pfnResetPacer(s_Clock.pOwner);
}
