#include "System/Input/VirtualPad.h"

#include "System/Common/GameSettings.h"
#include "System/Input/InputDevice.h"
#include "System/Input/InputSystem.h"

#include <numbers>

namespace {

// Hat angles as the devices report them: single-precision multiples of pi/4.
constexpr float kHat0 = 0.0f;
constexpr float kHat45 = static_cast<float>(std::numbers::pi / 4);
constexpr float kHat90 = static_cast<float>(std::numbers::pi / 2);
constexpr float kHat135 = static_cast<float>(3 * std::numbers::pi / 4);
constexpr float kHat180 = static_cast<float>(std::numbers::pi);
constexpr float kHat225 = static_cast<float>(5 * std::numbers::pi / 4);
constexpr float kHat270 = static_cast<float>(3 * std::numbers::pi / 2);
constexpr float kHat315 = static_cast<float>(7 * std::numbers::pi / 4);

struct HatDirection {
    int count;
    float angles[3];
};

// Kinds 3..10: a straight direction also accepts its two neighbouring diagonals.
constexpr HatDirection kHatDirections[8] = {
    {3, {kHat315, kHat0, kHat45}},    // up
    {1, {kHat45}},                    // up-right
    {3, {kHat45, kHat90, kHat135}},   // right
    {1, {kHat135}},                   // down-right
    {3, {kHat135, kHat180, kHat225}}, // down
    {1, {kHat225}},                   // down-left
    {3, {kHat225, kHat270, kHat315}}, // left
    {1, {kHat315}},                   // up-left
};

} // namespace

bool IsBindingActive(const InputDevice& device, const PadBinding& binding)
{
    switch (binding.kind) {
    case eBindingKind_Button: return device.IsDown(binding.code);
    case eBindingKind_AxisPositive: return device.GetAxis(binding.code) > 0.0f;
    case eBindingKind_AxisNegative: return device.GetAxis(binding.code) < 0.0f;
    default: break;
    }
    if (binding.kind < eBindingKind_HatUp || binding.kind > eBindingKind_HatUpLeft)
        return false;
    const float angle = device.GetPov(binding.code);
    const HatDirection& direction = kHatDirections[binding.kind - eBindingKind_HatUp];
    for (int i = 0; i < direction.count; ++i)
        if (angle == direction.angles[i])
            return true;
    return false;
}

PadBinding PadBindingFromCode(uint32_t code)
{
    PadBinding binding;
    binding.kind = static_cast<int32_t>((code >> 8) & 0xFF);
    binding.device = static_cast<int32_t>(code & 0xFF);
    binding.code = static_cast<int32_t>(code >> 16);
    return binding;
}

void VirtualPad::Init(int index, InputSystem* owner)
{
    m_pOwner = owner;
    m_nIndex = index;
    m_nCurrent = 0;
    m_aMasks[0] = m_aMasks[1] = 0;
    for (uint32_t& counter : m_aHoldCounters)
        counter = 0;
}

float VirtualPad::ReadAxis(const PadBinding& binding) const
{
    return m_pOwner->GetDevice(binding.device)->GetAxis(binding.code);
}

void VirtualPad::Update()
{
    if (!m_pOwner)
        return;
    m_nCurrent = 1 - m_nCurrent;
    uint32_t& mask = m_aMasks[m_nCurrent];
    mask = 0;
    m_aSticks[0][0] = m_aSticks[0][1] = m_aSticks[1][0] = m_aSticks[1][1] = 0.0f;
    m_aTriggers[0] = m_aTriggers[1] = 0.0f;

    for (int button = 0; button < ePadButton_max; ++button) {
        for (const PadBinding& binding : m_aBindings[button]) {
            if (binding.kind == eBindingKind_None)
                continue;
            if (IsBindingActive(*m_pOwner->GetDevice(binding.device), binding)) {
                mask |= 1u << button;
                break;
            }
        }
        m_aHoldCounters[button] = (mask & (1u << button)) ? m_aHoldCounters[button] + 1 : 0;
    }

    for (int stick = 0; stick < 2; ++stick) {
        const PadBinding& x = m_aAxisBindings[ePadAxis_Stick0X + stick * 2];
        const PadBinding& y = m_aAxisBindings[ePadAxis_Stick0Y + stick * 2];
        if (x.kind != eBindingKind_None && y.kind != eBindingKind_None) {
            m_aSticks[stick][0] = ReadAxis(x);
            m_aSticks[stick][1] = ReadAxis(y);
        }
    }
    for (int trigger = 0; trigger < 2; ++trigger) {
        const PadBinding& binding = m_aAxisBindings[ePadAxis_Trigger0 + trigger];
        if (binding.kind != eBindingKind_None)
            m_aTriggers[trigger] = ReadAxis(binding);
    }
}

bool VirtualPad::IsTriggered(uint32_t mask) const
{
    if ((GetPreviousMask() & mask) == mask)
        return false;
    return (GetCurrentMask() & mask) == mask;
}

bool VirtualPad::IsRepeated(uint32_t mask) const
{
    const uint32_t delay = m_pOwner ? m_pOwner->m_nKeyRepeatDelay : 20;
    const uint32_t interval = m_pOwner ? m_pOwner->m_nKeyRepeatInterval : 6;
    for (int button = 0; button < ePadButton_max; ++button) {
        if (!(mask & (1u << button)))
            continue;
        const uint32_t held = m_aHoldCounters[button];
        const bool repeats = held == 1 || (held >= delay && interval != 0 && held % interval == 0);
        if (!repeats)
            return false;
    }
    return true;
}

void VirtualPad::AddBinding(int button, const PadBinding& binding)
{
    if (button >= 0 && button < ePadButton_max)
        m_aBindings[button].push_back(binding);
}

void VirtualPad::SetAxisBinding(int axis, const PadBinding& binding)
{
    if (axis >= 0 && axis < ePadAxis_max)
        m_aAxisBindings[axis] = binding;
}

void VirtualPad::ClearBindings()
{
    for (std::vector<PadBinding>& list : m_aBindings)
        list.clear();
    for (PadBinding& binding : m_aAxisBindings)
        binding = PadBinding{};
}

void VirtualPad::BindFromSettings(const GameSettings& settings)
{
    for (int set = 0; set < 2; ++set) {
        for (int button = 0; button < ePadButton_max; ++button) {
            const PadBinding binding =
                PadBindingFromCode(settings.m_aBindings[set * eGameSettings_BindingsPerSet + button]);
            if (binding.kind <= eBindingKind_HatUpLeft)
                AddBinding(button, binding);
        }
    }
    // Both sticks read the first game controller (device 2): the left stick on axes 0 and 1, the
    // right stick on axes 2 and 5.
    const int32_t stickAxes[4] = {0, 1, 2, 5};
    for (int i = 0; i < 4; ++i)
        SetAxisBinding(ePadAxis_Stick0X + i, PadBinding{eBindingKind_Axis, 2, stickAxes[i]});
}
