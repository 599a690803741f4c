// Feeding the input backend in tests: SDL events handed straight to the backend, and SDL's
// virtual joysticks standing in for attached game controllers.
#pragma once

#include "Platform/Backend/Input.h"

#include <SDL2/SDL.h>

inline void FeedKey(SDL_Scancode scancode, bool down)
{
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.scancode = scancode;
    BackendInputHandleEvent(e);
}

inline void FeedFocus(bool gained)
{
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = gained ? SDL_WINDOWEVENT_FOCUS_GAINED : SDL_WINDOWEVENT_FOCUS_LOST;
    BackendInputHandleEvent(e);
}

inline void FeedMouseMotion(int dx, int dy)
{
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.xrel = dx;
    e.motion.yrel = dy;
    BackendInputHandleEvent(e);
}

inline void FeedMouseWheel(int notches)
{
    SDL_Event e{};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.y = notches;
    e.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
    BackendInputHandleEvent(e);
}

inline void FeedMouseButton(uint8_t button, bool down)
{
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.button = button;
    BackendInputHandleEvent(e);
}

// One SDL virtual joystick, attached for the life of the object. Attach it before input starts:
// controllers are found once, when input starts.
class VirtualJoystick {
  public:
    // A game controller (SDL maps it: a b0, b b1, x b2, y b3, back b4, guide b5, start b6,
    // left stick b7, right stick b8, shoulders b9/b10, d-pad b11-b14; sticks a0-a3, triggers a4/a5).
    static constexpr int kGcAxes = 6, kGcButtons = 15, kGcHats = 1;

    VirtualJoystick(SDL_JoystickType type, int axes, int buttons, int hats)
    {
        SDL_InitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER);
        m_nDeviceIndex = SDL_JoystickAttachVirtual(type, axes, buttons, hats);
        m_pJoystick = m_nDeviceIndex >= 0 ? SDL_JoystickOpen(m_nDeviceIndex) : nullptr;
        if (m_pJoystick && type == SDL_JOYSTICK_TYPE_GAMECONTROLLER) {
            SetAxis(4, -32768); // triggers rest at the low end of the raw axis
            SetAxis(5, -32768);
        }
        SDL_JoystickUpdate();
    }
    ~VirtualJoystick()
    {
        if (m_pJoystick) {
            const SDL_JoystickID id = SDL_JoystickInstanceID(m_pJoystick);
            SDL_JoystickClose(m_pJoystick);
            for (int i = 0; i < SDL_NumJoysticks(); ++i)
                if (SDL_JoystickGetDeviceInstanceID(i) == id)
                    SDL_JoystickDetachVirtual(i);
        }
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER);
    }
    VirtualJoystick(const VirtualJoystick&) = delete;
    VirtualJoystick& operator=(const VirtualJoystick&) = delete;

    bool Ok() const { return m_pJoystick != nullptr; }
    void SetAxis(int axis, int value) { SDL_JoystickSetVirtualAxis(m_pJoystick, axis, static_cast<Sint16>(value)); }
    void SetButton(int button, bool down) { SDL_JoystickSetVirtualButton(m_pJoystick, button, down ? 1 : 0); }
    void SetHat(int hat, Uint8 value) { SDL_JoystickSetVirtualHat(m_pJoystick, hat, value); }

  private:
    int m_nDeviceIndex = -1;
    SDL_Joystick* m_pJoystick = nullptr;
};
