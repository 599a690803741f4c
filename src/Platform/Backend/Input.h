// Keyboard, mouse and game-controller state from SDL2, for the DirectInput stand-in.
// The keyboard and mouse follow the SDL events the event pump delivers (BackendInputHandleEvent);
// controllers are found once when input starts and read from SDL's joystick state.
#pragma once

#include <cstdint>

union SDL_Event;

constexpr int kBackendJoystickAxes = 8; // X, Y, Z, Rx, Ry, Rz, slider 0, slider 1
constexpr int kBackendJoystickButtons = 128;
constexpr int kBackendJoystickHats = 4;
constexpr int kBackendMouseButtons = 8;
constexpr uint32_t kBackendHatCentred = 0xFFFFFFFFu;

struct BackendJoystickInfo {
    char name[260];
    uint16_t vendor;
    uint16_t product;
    bool isGameController; // presented in the fixed pad layout below
    int axisCount;
    int buttonCount;
    int hatCount;
};

// One reading of a controller. Axes are -32768..32767 with 0 at rest (a trigger rests at 0 and
// grows to 32767); hats are hundredths of a degree clockwise from up, or kBackendHatCentred.
struct BackendJoystickState {
    int32_t axes[kBackendJoystickAxes];
    uint32_t hats[kBackendJoystickHats];
    uint8_t buttons[kBackendJoystickButtons]; // 0x80 when down
};

// A controller that SDL knows as a game controller is laid out as: buttons 0 X, 1 A, 2 B, 3 Y,
// 4 left trigger, 5 right trigger, 6 left shoulder, 7 right shoulder, 8 start, 9 back,
// 10 left stick, 11 right stick; axes 0/1 left stick, 2/5 right stick, 3/4 triggers; d-pad hat 0.
enum BackendPadButton {
    eBackendPad_X = 0,
    eBackendPad_A,
    eBackendPad_B,
    eBackendPad_Y,
    eBackendPad_LeftTrigger,
    eBackendPad_RightTrigger,
    eBackendPad_LeftShoulder,
    eBackendPad_RightShoulder,
    eBackendPad_Start,
    eBackendPad_Back,
    eBackendPad_LeftStick,
    eBackendPad_RightStick,
    eBackendPad_max
};

// Reference-counted start and stop. The first start opens SDL's joystick subsystem and the
// controllers attached at that moment (a failure there only means no controllers) and listens
// to the event pump; the last stop closes them.
void BackendInputStart();
void BackendInputStop();
bool BackendInputStarted();

// Takes one SDL event into the keyboard, mouse and focus state. The event pump calls it for
// every event; tests call it to feed events directly.
void BackendInputHandleEvent(const SDL_Event& event);

// Whether a window of the program has the input focus, and a counter that grows on every loss of
// focus (so a device can tell that it lost the focus since it was acquired).
bool BackendInputHasFocus();
uint32_t BackendInputFocusLossCount();

// The 256 DirectInput key bytes (0x80 = down).
void BackendInputGetKeys(uint8_t keys[256]);
// Running totals of the mouse motion and wheel (wheel in 120 per notch) and the button bytes.
void BackendInputGetMouse(int64_t totals[3], uint8_t buttons[kBackendMouseButtons]);

int BackendInputJoystickCount();
bool BackendInputGetJoystickInfo(int index, BackendJoystickInfo& info);
// Brings SDL's controller state up to date and reads controller index; false when unknown.
bool BackendInputReadJoystick(int index, BackendJoystickState& state);

// The DirectInput key code of an SDL scancode; 0 when the key has none.
uint8_t BackendScancodeToDik(int scancode);
