// The game's logical controller: sixteen buttons, two sticks and two triggers, each button bound
// to any number of device inputs. Player control and the UI read only the pad.
#pragma once

#include <cstdint>
#include <vector>

struct GameSettings;
class InputDevice;
class InputSystem;

enum PadButton {
    ePadButton_Up = 0,
    ePadButton_Down,
    ePadButton_Left,
    ePadButton_Right,
    ePadButton_A,
    ePadButton_B,
    ePadButton_X,
    ePadButton_Y,
    ePadButton_LB,
    ePadButton_RB,
    ePadButton_LT,
    ePadButton_RT,
    ePadButton_LSB,
    ePadButton_RSB,
    ePadButton_Start,
    ePadButton_Select,
    ePadButton_max
};

enum BindingKind : int32_t {
    eBindingKind_None = -1,
    eBindingKind_Button = 0,
    eBindingKind_AxisPositive = 1,
    eBindingKind_AxisNegative = 2,
    eBindingKind_HatUp = 3,
    eBindingKind_HatUpRight = 4,
    eBindingKind_HatRight = 5,
    eBindingKind_HatDownRight = 6,
    eBindingKind_HatDown = 7,
    eBindingKind_HatDownLeft = 8,
    eBindingKind_HatLeft = 9,
    eBindingKind_HatUpLeft = 10,
    // Marks a stick or trigger binding as bound.
    eBindingKind_Axis = 11,
};

struct PadBinding {
    int32_t kind = eBindingKind_None;
    int32_t device = 0;
    int32_t code = 0;
};

// The pad's axis binding slots.
enum PadAxis {
    ePadAxis_Stick0X = 0,
    ePadAxis_Stick0Y,
    ePadAxis_Stick1X,
    ePadAxis_Stick1Y,
    ePadAxis_Trigger0,
    ePadAxis_Trigger1,
    ePadAxis_max
};

// Whether one binding is active on a device: a button down, an axis past its centre in the
// binding's direction, or a hat at one of the angles of the binding's direction.
bool IsBindingActive(const InputDevice& device, const PadBinding& binding);

// The binding that a settings value stands for: device = b & 0xFF, kind = (b >> 8) & 0xFF, code = b >> 16.
PadBinding PadBindingFromCode(uint32_t code);

class VirtualPad {
  public:
    // Index in the pad list; masks and hold counters start at zero.
    void Init(int index, InputSystem* owner);
    // Reads the bound devices into this frame's mask, the hold counters, the sticks and triggers.
    void Update();

    // True when some button of the mask was up in the previous frame and all are down now.
    bool IsTriggered(uint32_t mask) const;
    // True for an empty mask, or when every button of the mask is on its first held frame or on
    // a repeat frame: a hold count of at least the repeat delay that is a multiple of the interval.
    bool IsRepeated(uint32_t mask) const;

    void AddBinding(int button, const PadBinding& binding);
    void SetAxisBinding(int axis, const PadBinding& binding);
    void ClearBindings();
    // Binds the sixteen buttons from both binding sets of the settings (codes with a kind above
    // 10 are skipped) and the sticks to the first controller's axes 0/1 and 2/5.
    void BindFromSettings(const GameSettings& settings);

    int GetIndex() const { return m_nIndex; }
    uint32_t GetCurrentMask() const { return m_aMasks[m_nCurrent]; }
    uint32_t GetPreviousMask() const { return m_aMasks[1 - m_nCurrent]; }
    uint32_t GetHoldCount(int button) const { return m_aHoldCounters[button]; }
    float GetStickX(int stick) const { return m_aSticks[stick][0]; }
    float GetStickY(int stick) const { return m_aSticks[stick][1]; }
    float GetTrigger(int trigger) const { return m_aTriggers[trigger]; }
    const std::vector<PadBinding>& GetBindings(int button) const { return m_aBindings[button]; }
    const PadBinding& GetAxisBinding(int axis) const { return m_aAxisBindings[axis]; }

  private:
    float ReadAxis(const PadBinding& binding) const;

    InputSystem* m_pOwner = nullptr;
    int32_t m_nIndex = 0;
    int32_t m_nCurrent = 0;
    uint32_t m_aMasks[2] = {};
    float m_aSticks[2][2] = {};
    float m_aTriggers[2] = {};
    uint32_t m_aHoldCounters[ePadButton_max] = {};
    std::vector<PadBinding> m_aBindings[ePadButton_max];
    PadBinding m_aAxisBindings[ePadAxis_max];
};
