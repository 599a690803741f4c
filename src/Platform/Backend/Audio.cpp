#include "Platform/Backend/Audio.h"

#include <SDL.h>

#include <cstring>
#include <string>

#include "Platform/Win32/DebugOutput.h"

namespace {

SDL_AudioDeviceID g_AudioDevice = 0;
BackendAudioPull g_pPull = nullptr;
void* g_pPullUser = nullptr;

void SDLCALL AudioCallback(void*, Uint8* stream, int length)
{
    uint32_t frames = static_cast<uint32_t>(length) / (2 * sizeof(float));
    if (g_pPull)
        g_pPull(g_pPullUser, reinterpret_cast<float*>(stream), frames);
    else
        std::memset(stream, 0, static_cast<size_t>(length));
}

} // namespace

bool BackendOpenAudio(BackendAudioPull pull, void* user)
{
    if (g_AudioDevice != 0)
        return false;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        OutputDebugStringA((std::string("SDL audio: ") + SDL_GetError() + "\n").c_str());
        return false;
    }
    SDL_AudioSpec want;
    SDL_zero(want);
    want.freq = 44100;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = AudioCallback;
    SDL_AudioSpec have;
    g_pPull = pull;
    g_pPullUser = user;
    // No changes allowed: SDL converts to whatever the hardware takes.
    g_AudioDevice = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (g_AudioDevice == 0) {
        OutputDebugStringA((std::string("SDL audio: ") + SDL_GetError() + "\n").c_str());
        g_pPull = nullptr;
        g_pPullUser = nullptr;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    SDL_PauseAudioDevice(g_AudioDevice, 0);
    return true;
}

void BackendCloseAudio()
{
    if (g_AudioDevice == 0)
        return;
    // Closing waits for a running callback to return.
    SDL_CloseAudioDevice(g_AudioDevice);
    g_AudioDevice = 0;
    g_pPull = nullptr;
    g_pPullUser = nullptr;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool BackendIsAudioOpen() { return g_AudioDevice != 0; }
