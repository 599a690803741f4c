// Where the XAudio2 stand-in's mixer sends its output. Not part of the XAudio2 API: the
// program keeps the default (an SDL audio device); tests choose to pull the mix themselves.
#pragma once

#include <cstdint>

#include "Platform/XAudio2/XAudio2.h"

// Output rate and channels of every mastering voice.
constexpr uint32_t kXAudio2MixRate = 44100;
constexpr uint32_t kXAudio2MixChannels = 2;
// Frames of one processing pass (10 ms).
constexpr uint32_t kXAudio2PassFrames = 441;

enum eXAudio2Output : int {
    eXAudio2Output_Device = 0,  // the mastering voice opens the audio device, which pulls the mix
    eXAudio2Output_Manual = 1,  // no device: the owner pulls with XAudio2Render
    eXAudio2Output_NoDevice = 2 // as if no audio device existed: mastering voices fail
};

// Applies to mastering voices created afterwards.
void XAudio2SetOutputMode(eXAudio2Output mode);
eXAudio2Output XAudio2GetOutputMode();

// Mixes `frames` stereo frames (interleaved floats) of the engine's graph into `out`, running
// the processing passes and their callbacks on the calling thread. Silence without a
// mastering voice. Meant for an engine whose mastering voice was made in the manual mode.
void XAudio2Render(IXAudio2* engine, float* out, uint32_t frames);
