// The SDL audio device: 44.1 kHz stereo float, pulled from the XAudio2 stand-in's mixer on
// SDL's audio thread.
#pragma once

#include <cstdint>

// Fills `frames` interleaved stereo float frames.
typedef void (*BackendAudioPull)(void* user, float* out, uint32_t frames);

// Opens the default output device and starts it; false (with SDL's reason logged to the debug
// output) when there is none. One device at a time.
bool BackendOpenAudio(BackendAudioPull pull, void* user);
// Stops and closes the device; when it returns, the pull function is no longer running.
void BackendCloseAudio();
bool BackendIsAudioOpen();
