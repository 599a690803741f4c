#include "Platform/Backend/Input.h"
#include "Platform/DInput8/DInput8.h"
#include "System/Common/GameSettings.h"
#include "System/Input/DI8InputSystem.h"

#include <SDL2/SDL.h>
#include <benchmark/benchmark.h>
#include <cstring>

namespace {

HWND BenchWindow()
{
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(0x3000));
}

void Feed(Uint32 type, Uint8 windowEvent, SDL_Scancode scancode)
{
    SDL_Event e{};
    e.type = type;
    e.window.event = windowEvent;
    if (type == SDL_KEYDOWN)
        e.key.keysym.scancode = scancode;
    BackendInputHandleEvent(e);
}

// The tick's input step: poll keyboard and mouse, then the pad's 32 default bindings and sticks.
void BM_InputUpdate(benchmark::State& state)
{
    Feed(SDL_WINDOWEVENT, SDL_WINDOWEVENT_FOCUS_GAINED, SDL_SCANCODE_UNKNOWN);
    DI8InputSystem system;
    system.Init(BenchWindow(), 1, nullptr);
    GameSettings settings;
    for (int i = 0; i < eGameSettings_BindingCount; ++i)
        settings.m_aBindings[i] = GetBindingDefault(i);
    system.GetPad(0)->BindFromSettings(settings);
    Feed(SDL_KEYDOWN, 0, SDL_SCANCODE_SEMICOLON);
    for (auto _ : state) {
        system.Update();
        benchmark::DoNotOptimize(system.GetPad(0)->GetCurrentMask());
    }
    system.Shutdown();
}
BENCHMARK(BM_InputUpdate);

// The least the step must do: copy the key and mouse states and test the 16 bound keys.
void BM_InputUpdate_Baseline(benchmark::State& state)
{
    static uint8_t source[256 + sizeof(DIMOUSESTATE2)];
    uint8_t keys[2][256];
    DIMOUSESTATE2 mouse;
    const uint8_t bound[16] = {0xC8, 0xD0, 0xCB, 0xCD, 0x27, 0x26, 0x25, 0x24,
                               0x31, 0x16, 0x34, 0x23, 0,    0,    0x12, 0x10};
    source[0x27] = 0x80;
    int current = 0;
    for (auto _ : state) {
        current ^= 1;
        benchmark::DoNotOptimize(source);
        std::memcpy(keys[current], source, 256);
        std::memcpy(&mouse, source + 256, sizeof(mouse));
        uint32_t mask = 0;
        for (int i = 0; i < 16; ++i)
            if (keys[current][bound[i]] & 0x80)
                mask |= 1u << i;
        benchmark::DoNotOptimize(mask);
        benchmark::DoNotOptimize(mouse);
    }
}
BENCHMARK(BM_InputUpdate_Baseline);

} // namespace
