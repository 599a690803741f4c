#include "Platform/Backend/Input.h"

#include "Platform/Backend/PlatformLog.h"
#include "Platform/Backend/Video.h"
#include "Platform/DInput8/DInputTypes.h"

#include <SDL2/SDL.h>
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

struct ScancodePair {
    SDL_Scancode scancode;
    uint8_t dik;
};

// Every SDL scancode that has a DirectInput key. Keys that share one make code on a PC keyboard
// (the ISO '#' key and backslash) share the DirectInput key as well.
constexpr ScancodePair kScancodeTable[] = {
    {SDL_SCANCODE_ESCAPE, DIK_ESCAPE},
    {SDL_SCANCODE_1, DIK_1},
    {SDL_SCANCODE_2, DIK_2},
    {SDL_SCANCODE_3, DIK_3},
    {SDL_SCANCODE_4, DIK_4},
    {SDL_SCANCODE_5, DIK_5},
    {SDL_SCANCODE_6, DIK_6},
    {SDL_SCANCODE_7, DIK_7},
    {SDL_SCANCODE_8, DIK_8},
    {SDL_SCANCODE_9, DIK_9},
    {SDL_SCANCODE_0, DIK_0},
    {SDL_SCANCODE_MINUS, DIK_MINUS},
    {SDL_SCANCODE_EQUALS, DIK_EQUALS},
    {SDL_SCANCODE_BACKSPACE, DIK_BACK},
    {SDL_SCANCODE_TAB, DIK_TAB},
    {SDL_SCANCODE_Q, DIK_Q},
    {SDL_SCANCODE_W, DIK_W},
    {SDL_SCANCODE_E, DIK_E},
    {SDL_SCANCODE_R, DIK_R},
    {SDL_SCANCODE_T, DIK_T},
    {SDL_SCANCODE_Y, DIK_Y},
    {SDL_SCANCODE_U, DIK_U},
    {SDL_SCANCODE_I, DIK_I},
    {SDL_SCANCODE_O, DIK_O},
    {SDL_SCANCODE_P, DIK_P},
    {SDL_SCANCODE_LEFTBRACKET, DIK_LBRACKET},
    {SDL_SCANCODE_RIGHTBRACKET, DIK_RBRACKET},
    {SDL_SCANCODE_RETURN, DIK_RETURN},
    {SDL_SCANCODE_LCTRL, DIK_LCONTROL},
    {SDL_SCANCODE_A, DIK_A},
    {SDL_SCANCODE_S, DIK_S},
    {SDL_SCANCODE_D, DIK_D},
    {SDL_SCANCODE_F, DIK_F},
    {SDL_SCANCODE_G, DIK_G},
    {SDL_SCANCODE_H, DIK_H},
    {SDL_SCANCODE_J, DIK_J},
    {SDL_SCANCODE_K, DIK_K},
    {SDL_SCANCODE_L, DIK_L},
    {SDL_SCANCODE_SEMICOLON, DIK_SEMICOLON},
    {SDL_SCANCODE_APOSTROPHE, DIK_APOSTROPHE},
    {SDL_SCANCODE_GRAVE, DIK_GRAVE},
    {SDL_SCANCODE_LSHIFT, DIK_LSHIFT},
    {SDL_SCANCODE_BACKSLASH, DIK_BACKSLASH},
    {SDL_SCANCODE_NONUSHASH, DIK_BACKSLASH},
    {SDL_SCANCODE_Z, DIK_Z},
    {SDL_SCANCODE_X, DIK_X},
    {SDL_SCANCODE_C, DIK_C},
    {SDL_SCANCODE_V, DIK_V},
    {SDL_SCANCODE_B, DIK_B},
    {SDL_SCANCODE_N, DIK_N},
    {SDL_SCANCODE_M, DIK_M},
    {SDL_SCANCODE_COMMA, DIK_COMMA},
    {SDL_SCANCODE_PERIOD, DIK_PERIOD},
    {SDL_SCANCODE_SLASH, DIK_SLASH},
    {SDL_SCANCODE_RSHIFT, DIK_RSHIFT},
    {SDL_SCANCODE_KP_MULTIPLY, DIK_MULTIPLY},
    {SDL_SCANCODE_LALT, DIK_LMENU},
    {SDL_SCANCODE_SPACE, DIK_SPACE},
    {SDL_SCANCODE_CAPSLOCK, DIK_CAPITAL},
    {SDL_SCANCODE_F1, DIK_F1},
    {SDL_SCANCODE_F2, DIK_F2},
    {SDL_SCANCODE_F3, DIK_F3},
    {SDL_SCANCODE_F4, DIK_F4},
    {SDL_SCANCODE_F5, DIK_F5},
    {SDL_SCANCODE_F6, DIK_F6},
    {SDL_SCANCODE_F7, DIK_F7},
    {SDL_SCANCODE_F8, DIK_F8},
    {SDL_SCANCODE_F9, DIK_F9},
    {SDL_SCANCODE_F10, DIK_F10},
    {SDL_SCANCODE_NUMLOCKCLEAR, DIK_NUMLOCK},
    {SDL_SCANCODE_SCROLLLOCK, DIK_SCROLL},
    {SDL_SCANCODE_KP_7, DIK_NUMPAD7},
    {SDL_SCANCODE_KP_8, DIK_NUMPAD8},
    {SDL_SCANCODE_KP_9, DIK_NUMPAD9},
    {SDL_SCANCODE_KP_MINUS, DIK_SUBTRACT},
    {SDL_SCANCODE_KP_4, DIK_NUMPAD4},
    {SDL_SCANCODE_KP_5, DIK_NUMPAD5},
    {SDL_SCANCODE_KP_6, DIK_NUMPAD6},
    {SDL_SCANCODE_KP_PLUS, DIK_ADD},
    {SDL_SCANCODE_KP_1, DIK_NUMPAD1},
    {SDL_SCANCODE_KP_2, DIK_NUMPAD2},
    {SDL_SCANCODE_KP_3, DIK_NUMPAD3},
    {SDL_SCANCODE_KP_0, DIK_NUMPAD0},
    {SDL_SCANCODE_KP_PERIOD, DIK_DECIMAL},
    {SDL_SCANCODE_NONUSBACKSLASH, DIK_OEM_102},
    {SDL_SCANCODE_F11, DIK_F11},
    {SDL_SCANCODE_F12, DIK_F12},
    {SDL_SCANCODE_F13, DIK_F13},
    {SDL_SCANCODE_F14, DIK_F14},
    {SDL_SCANCODE_F15, DIK_F15},
    {SDL_SCANCODE_INTERNATIONAL2, DIK_KANA},
    {SDL_SCANCODE_INTERNATIONAL1, DIK_ABNT_C1},
    {SDL_SCANCODE_INTERNATIONAL4, DIK_CONVERT},
    {SDL_SCANCODE_INTERNATIONAL5, DIK_NOCONVERT},
    {SDL_SCANCODE_INTERNATIONAL3, DIK_YEN},
    {SDL_SCANCODE_KP_EQUALS, DIK_NUMPADEQUALS},
    {SDL_SCANCODE_AUDIOPREV, DIK_PREVTRACK},
    {SDL_SCANCODE_STOP, DIK_STOP},
    {SDL_SCANCODE_AUDIONEXT, DIK_NEXTTRACK},
    {SDL_SCANCODE_KP_ENTER, DIK_NUMPADENTER},
    {SDL_SCANCODE_RCTRL, DIK_RCONTROL},
    {SDL_SCANCODE_AUDIOMUTE, DIK_MUTE},
    {SDL_SCANCODE_MUTE, DIK_MUTE},
    {SDL_SCANCODE_CALCULATOR, DIK_CALCULATOR},
    {SDL_SCANCODE_AUDIOPLAY, DIK_PLAYPAUSE},
    {SDL_SCANCODE_AUDIOSTOP, DIK_MEDIASTOP},
    {SDL_SCANCODE_VOLUMEDOWN, DIK_VOLUMEDOWN},
    {SDL_SCANCODE_VOLUMEUP, DIK_VOLUMEUP},
    {SDL_SCANCODE_AC_HOME, DIK_WEBHOME},
    {SDL_SCANCODE_KP_COMMA, DIK_NUMPADCOMMA},
    {SDL_SCANCODE_KP_DIVIDE, DIK_DIVIDE},
    {SDL_SCANCODE_PRINTSCREEN, DIK_SYSRQ},
    {SDL_SCANCODE_SYSREQ, DIK_SYSRQ},
    {SDL_SCANCODE_RALT, DIK_RMENU},
    {SDL_SCANCODE_PAUSE, DIK_PAUSE},
    {SDL_SCANCODE_HOME, DIK_HOME},
    {SDL_SCANCODE_UP, DIK_UP},
    {SDL_SCANCODE_PAGEUP, DIK_PRIOR},
    {SDL_SCANCODE_LEFT, DIK_LEFT},
    {SDL_SCANCODE_RIGHT, DIK_RIGHT},
    {SDL_SCANCODE_END, DIK_END},
    {SDL_SCANCODE_DOWN, DIK_DOWN},
    {SDL_SCANCODE_PAGEDOWN, DIK_NEXT},
    {SDL_SCANCODE_INSERT, DIK_INSERT},
    {SDL_SCANCODE_DELETE, DIK_DELETE},
    {SDL_SCANCODE_LGUI, DIK_LWIN},
    {SDL_SCANCODE_RGUI, DIK_RWIN},
    {SDL_SCANCODE_APPLICATION, DIK_APPS},
    {SDL_SCANCODE_POWER, DIK_POWER},
    {SDL_SCANCODE_SLEEP, DIK_SLEEP},
    {SDL_SCANCODE_AC_SEARCH, DIK_WEBSEARCH},
    {SDL_SCANCODE_AC_BOOKMARKS, DIK_WEBFAVORITES},
    {SDL_SCANCODE_AC_REFRESH, DIK_WEBREFRESH},
    {SDL_SCANCODE_AC_STOP, DIK_WEBSTOP},
    {SDL_SCANCODE_AC_FORWARD, DIK_WEBFORWARD},
    {SDL_SCANCODE_AC_BACK, DIK_WEBBACK},
    {SDL_SCANCODE_COMPUTER, DIK_MYCOMPUTER},
    {SDL_SCANCODE_MAIL, DIK_MAIL},
    {SDL_SCANCODE_MEDIASELECT, DIK_MEDIASELECT},
};

constexpr std::array<uint8_t, SDL_NUM_SCANCODES> BuildScancodeMap()
{
    std::array<uint8_t, SDL_NUM_SCANCODES> map{};
    for (const ScancodePair& pair : kScancodeTable)
        map[pair.scancode] = pair.dik;
    return map;
}

constexpr std::array<uint8_t, SDL_NUM_SCANCODES> kScancodeToDik = BuildScancodeMap();

// A trigger counts as a pressed button beyond this much of its travel (30 of 255).
constexpr int kTriggerButtonThreshold = 30 * 32767 / 255;

struct Joystick {
    SDL_GameController* controller = nullptr;
    SDL_Joystick* joystick = nullptr;
    BackendJoystickInfo info{};
};

struct InputState {
    int refs = 0;
    int observer = -1;
    bool joystickSubsystem = false;
    bool focus = false;
    uint32_t focusLosses = 0;
    uint8_t keys[256] = {};
    int64_t mouse[3] = {};
    uint8_t mouseButtons[kBackendMouseButtons] = {};
    std::vector<Joystick> joysticks;
};

InputState g_Input;

void OpenJoysticks()
{
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER) != 0) {
        PLATFORM_LOG_WARNING << "Game controllers are not available: " << SDL_GetError();
        return;
    }
    g_Input.joystickSubsystem = true;
    // Controllers are read on demand (BackendInputReadJoystick updates them); their events would
    // only pile up in the queue.
    SDL_JoystickEventState(SDL_IGNORE);
    SDL_GameControllerEventState(SDL_IGNORE);
    const int count = SDL_NumJoysticks();
    for (int i = 0; i < count; ++i) {
        Joystick joy;
        if (SDL_IsGameController(i)) {
            joy.controller = SDL_GameControllerOpen(i);
            joy.joystick = joy.controller ? SDL_GameControllerGetJoystick(joy.controller) : nullptr;
        } else {
            joy.joystick = SDL_JoystickOpen(i);
        }
        if (!joy.joystick) {
            PLATFORM_LOG_WARNING << "Game controller " << i << " cannot be opened: " << SDL_GetError();
            if (joy.controller)
                SDL_GameControllerClose(joy.controller);
            continue;
        }
        BackendJoystickInfo& info = joy.info;
        const char* name = SDL_JoystickName(joy.joystick);
        std::snprintf(info.name, sizeof(info.name), "%s", name ? name : "Game controller");
        info.vendor = SDL_JoystickGetVendor(joy.joystick);
        info.product = SDL_JoystickGetProduct(joy.joystick);
        info.isGameController = joy.controller != nullptr;
        if (info.isGameController) {
            info.axisCount = 6;
            info.buttonCount = eBackendPad_max;
            info.hatCount = 1;
        } else {
            info.axisCount = std::clamp(SDL_JoystickNumAxes(joy.joystick), 0, kBackendJoystickAxes);
            info.buttonCount = std::clamp(SDL_JoystickNumButtons(joy.joystick), 0, kBackendJoystickButtons);
            info.hatCount = std::clamp(SDL_JoystickNumHats(joy.joystick), 0, kBackendJoystickHats);
        }
        g_Input.joysticks.push_back(joy);
    }
}

void CloseJoysticks()
{
    for (Joystick& joy : g_Input.joysticks) {
        if (joy.controller)
            SDL_GameControllerClose(joy.controller);
        else
            SDL_JoystickClose(joy.joystick);
    }
    g_Input.joysticks.clear();
    if (g_Input.joystickSubsystem)
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER);
    g_Input.joystickSubsystem = false;
}

uint32_t HatToCentidegrees(uint8_t hat)
{
    switch (hat) {
    case SDL_HAT_UP: return 0;
    case SDL_HAT_RIGHTUP: return 4500;
    case SDL_HAT_RIGHT: return 9000;
    case SDL_HAT_RIGHTDOWN: return 13500;
    case SDL_HAT_DOWN: return 18000;
    case SDL_HAT_LEFTDOWN: return 22500;
    case SDL_HAT_LEFT: return 27000;
    case SDL_HAT_LEFTUP: return 31500;
    default: return kBackendHatCentred;
    }
}

int MouseButtonIndex(uint8_t sdlButton)
{
    switch (sdlButton) {
    case SDL_BUTTON_LEFT: return 0;
    case SDL_BUTTON_RIGHT: return 1;
    case SDL_BUTTON_MIDDLE: return 2;
    case SDL_BUTTON_X1: return 3;
    case SDL_BUTTON_X2: return 4;
    default: return -1;
    }
}

void ReadGameController(SDL_GameController* gc, BackendJoystickState& state)
{
    auto button = [gc](SDL_GameControllerButton b) -> uint8_t { return SDL_GameControllerGetButton(gc, b) ? 0x80 : 0; };
    const int leftTrigger = SDL_GameControllerGetAxis(gc, SDL_CONTROLLER_AXIS_TRIGGERLEFT);
    const int rightTrigger = SDL_GameControllerGetAxis(gc, SDL_CONTROLLER_AXIS_TRIGGERRIGHT);
    state.buttons[eBackendPad_X] = button(SDL_CONTROLLER_BUTTON_X);
    state.buttons[eBackendPad_A] = button(SDL_CONTROLLER_BUTTON_A);
    state.buttons[eBackendPad_B] = button(SDL_CONTROLLER_BUTTON_B);
    state.buttons[eBackendPad_Y] = button(SDL_CONTROLLER_BUTTON_Y);
    state.buttons[eBackendPad_LeftTrigger] = leftTrigger > kTriggerButtonThreshold ? 0x80 : 0;
    state.buttons[eBackendPad_RightTrigger] = rightTrigger > kTriggerButtonThreshold ? 0x80 : 0;
    state.buttons[eBackendPad_LeftShoulder] = button(SDL_CONTROLLER_BUTTON_LEFTSHOULDER);
    state.buttons[eBackendPad_RightShoulder] = button(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER);
    state.buttons[eBackendPad_Start] = button(SDL_CONTROLLER_BUTTON_START);
    state.buttons[eBackendPad_Back] = button(SDL_CONTROLLER_BUTTON_BACK);
    state.buttons[eBackendPad_LeftStick] = button(SDL_CONTROLLER_BUTTON_LEFTSTICK);
    state.buttons[eBackendPad_RightStick] = button(SDL_CONTROLLER_BUTTON_RIGHTSTICK);

    state.axes[0] = SDL_GameControllerGetAxis(gc, SDL_CONTROLLER_AXIS_LEFTX);
    state.axes[1] = SDL_GameControllerGetAxis(gc, SDL_CONTROLLER_AXIS_LEFTY);
    state.axes[2] = SDL_GameControllerGetAxis(gc, SDL_CONTROLLER_AXIS_RIGHTX);
    state.axes[3] = leftTrigger;
    state.axes[4] = rightTrigger;
    state.axes[5] = SDL_GameControllerGetAxis(gc, SDL_CONTROLLER_AXIS_RIGHTY);

    uint8_t hat = SDL_HAT_CENTERED;
    if (SDL_GameControllerGetButton(gc, SDL_CONTROLLER_BUTTON_DPAD_UP))
        hat |= SDL_HAT_UP;
    if (SDL_GameControllerGetButton(gc, SDL_CONTROLLER_BUTTON_DPAD_RIGHT))
        hat |= SDL_HAT_RIGHT;
    if (SDL_GameControllerGetButton(gc, SDL_CONTROLLER_BUTTON_DPAD_DOWN))
        hat |= SDL_HAT_DOWN;
    if (SDL_GameControllerGetButton(gc, SDL_CONTROLLER_BUTTON_DPAD_LEFT))
        hat |= SDL_HAT_LEFT;
    state.hats[0] = HatToCentidegrees(hat);
}

void ReadJoystick(SDL_Joystick* joy, const BackendJoystickInfo& info, BackendJoystickState& state)
{
    for (int i = 0; i < info.axisCount; ++i)
        state.axes[i] = SDL_JoystickGetAxis(joy, i);
    for (int i = 0; i < info.buttonCount; ++i)
        state.buttons[i] = SDL_JoystickGetButton(joy, i) ? 0x80 : 0;
    for (int i = 0; i < info.hatCount; ++i)
        state.hats[i] = HatToCentidegrees(SDL_JoystickGetHat(joy, i));
}

} // namespace

void BackendInputStart()
{
    if (g_Input.refs++ > 0)
        return;
    std::memset(g_Input.keys, 0, sizeof(g_Input.keys));
    std::memset(g_Input.mouseButtons, 0, sizeof(g_Input.mouseButtons));
    // The focus is followed from the events at all times; a window that SDL already knows to
    // have the focus counts as well (its focus event may have gone by before input started).
    if (SDL_GetKeyboardFocus() != nullptr)
        g_Input.focus = true;
    g_Input.observer = BackendAddEventObserver(BackendInputHandleEvent);
    OpenJoysticks();
}

void BackendInputStop()
{
    if (g_Input.refs <= 0 || --g_Input.refs > 0)
        return;
    BackendRemoveEventObserver(g_Input.observer);
    g_Input.observer = -1;
    CloseJoysticks();
}

bool BackendInputStarted()
{
    return g_Input.refs > 0;
}

void BackendInputHandleEvent(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        const uint8_t dik = BackendScancodeToDik(event.key.keysym.scancode);
        if (dik != 0)
            g_Input.keys[dik] = event.type == SDL_KEYDOWN ? 0x80 : 0;
        break;
    }
    case SDL_MOUSEMOTION:
        g_Input.mouse[0] += event.motion.xrel;
        g_Input.mouse[1] += event.motion.yrel;
        break;
    case SDL_MOUSEWHEEL: {
        const int notches = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
        g_Input.mouse[2] += static_cast<int64_t>(notches) * 120;
        break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        const int index = MouseButtonIndex(event.button.button);
        if (index >= 0)
            g_Input.mouseButtons[index] = event.type == SDL_MOUSEBUTTONDOWN ? 0x80 : 0;
        break;
    }
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
            g_Input.focus = true;
        } else if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
            // Keys and buttons let go elsewhere never come back as events: forget them.
            g_Input.focus = false;
            ++g_Input.focusLosses;
            std::memset(g_Input.keys, 0, sizeof(g_Input.keys));
            std::memset(g_Input.mouseButtons, 0, sizeof(g_Input.mouseButtons));
        }
        break;
    default: break;
    }
}

bool BackendInputHasFocus()
{
    return g_Input.focus;
}

uint32_t BackendInputFocusLossCount()
{
    return g_Input.focusLosses;
}

void BackendInputGetKeys(uint8_t keys[256])
{
    std::memcpy(keys, g_Input.keys, sizeof(g_Input.keys));
}

void BackendInputGetMouse(int64_t totals[3], uint8_t buttons[kBackendMouseButtons])
{
    for (int i = 0; i < 3; ++i)
        totals[i] = g_Input.mouse[i];
    std::memcpy(buttons, g_Input.mouseButtons, sizeof(g_Input.mouseButtons));
}

int BackendInputJoystickCount()
{
    return static_cast<int>(g_Input.joysticks.size());
}

bool BackendInputGetJoystickInfo(int index, BackendJoystickInfo& info)
{
    if (index < 0 || index >= BackendInputJoystickCount())
        return false;
    info = g_Input.joysticks[index].info;
    return true;
}

bool BackendInputReadJoystick(int index, BackendJoystickState& state)
{
    if (index < 0 || index >= BackendInputJoystickCount())
        return false;
    SDL_JoystickUpdate();
    const Joystick& joy = g_Input.joysticks[index];
    std::memset(&state, 0, sizeof(state));
    std::fill(std::begin(state.hats), std::end(state.hats), kBackendHatCentred);
    if (joy.controller)
        ReadGameController(joy.controller, state);
    else
        ReadJoystick(joy.joystick, joy.info, state);
    return true;
}

uint8_t BackendScancodeToDik(int scancode)
{
    if (scancode < 0 || scancode >= SDL_NUM_SCANCODES)
        return 0;
    return kScancodeToDik[scancode];
}
