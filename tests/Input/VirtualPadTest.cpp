#include "System/Input/VirtualPad.h"

#include "System/Common/GameSettings.h"
#include "System/Input/DI8InputSystem.h"
#include "System/Input/DI8JoystickDevice.h"
#include "System/Input/InputDevice.h"
#include "System/Input/InputSystem.h"

#include <cmath>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <numbers>
#include <set>
#include <vector>

namespace {

// A device whose state the test sets directly.
class FakeDevice : public InputDevice {
  public:
    bool IsDown(int code) const override { return down.count(code) != 0; }
    float GetAxis(int index) const override
    {
        auto it = axes.find(index);
        return it == axes.end() ? 0.0f : it->second;
    }
    float GetPov(int index) const override
    {
        auto it = povs.find(index);
        return it == povs.end() ? -1.0f : it->second;
    }

    std::set<int> down;
    std::map<int, float> axes;
    std::map<int, float> povs;
};

// An input system over fake devices 0..3.
class FakeInputSystem : public InputSystem {
  public:
    FakeInputSystem()
    {
        for (auto& device : devices)
            device = std::make_unique<FakeDevice>();
    }
    bool Init(HWND, int padCount, EventManager*) override
    {
        CreatePads(padCount);
        return true;
    }
    void Shutdown() override { FreePads(); }
    void Update() override { UpdatePads(); }
    InputDevice* GetDevice(int index) override { return index >= 0 && index < 4 ? devices[index].get() : &nothing; }

    std::unique_ptr<FakeDevice> devices[4];
    InputDevice nothing;
};

struct PadFixture : ::testing::Test {
    void SetUp() override
    {
        system.Init(nullptr, 1, nullptr);
        pad = system.GetPad(0);
    }
    FakeDevice& Device(int i) { return *system.devices[i]; }

    FakeInputSystem system;
    VirtualPad* pad = nullptr;
};

constexpr uint32_t Bit(int button)
{
    return 1u << button;
}

} // namespace

TEST(HatAngle, EightPositionsGiveTheSinglePrecisionMultiplesOfQuarterPi)
{
    for (int k = 0; k < 8; ++k) {
        const float expected = static_cast<float>(k * std::numbers::pi / 4);
        const float angle = HatValueToRadians(static_cast<DWORD>(k * 4500));
        EXPECT_EQ(angle, expected) << k * 4500; // bit for bit: the bindings compare with ==
    }
    EXPECT_EQ(HatValueToRadians(9000), 1.57079637f);
    EXPECT_EQ(HatValueToRadians(0xFFFFFFFFu), -1.0f);
    EXPECT_EQ(HatValueToRadians(0xFFFFu), -1.0f);
    EXPECT_NEAR(HatValueToRadians(1000), 0.174532920f, 1e-7f);
}

TEST_F(PadFixture, BindingsByKind)
{
    const float noHat = -1.0f;
    struct Case {
        int32_t kind;
        int32_t code;
        std::set<int> down;
        std::map<int, float> axes;
        float pov; // hat 0 and 1 angle
        bool active;
    };
    const Case cases[] = {
        {eBindingKind_Button, 7, {7}, {}, noHat, true},
        {eBindingKind_Button, 7, {6, 8}, {}, noHat, false},
        {eBindingKind_AxisPositive, 2, {}, {{2, 0.25f}}, noHat, true},
        {eBindingKind_AxisPositive, 2, {}, {{2, 0.0f}}, noHat, false},
        {eBindingKind_AxisPositive, 2, {}, {{2, -0.5f}}, noHat, false},
        {eBindingKind_AxisPositive, 2, {}, {{3, 0.5f}}, noHat, false},
        {eBindingKind_AxisNegative, 1, {}, {{1, -1.0f}}, noHat, true},
        {eBindingKind_AxisNegative, 1, {}, {{1, 0.0f}}, noHat, false},
        {eBindingKind_AxisNegative, 1, {}, {{1, 1.0f}}, noHat, false},
        {eBindingKind_Axis, 1, {1}, {{1, 1.0f}}, noHat, false}, // stick markers never press a button
        {42, 1, {1}, {{1, 1.0f}}, 0.0f, false},
        {eBindingKind_None, 1, {1}, {}, noHat, false},
    };
    for (const Case& c : cases) {
        FakeDevice& device = Device(2);
        device.down = c.down;
        device.axes = c.axes;
        device.povs = {{0, c.pov}};
        EXPECT_EQ(IsBindingActive(device, PadBinding{c.kind, 2, c.code}), c.active) << "kind " << c.kind;
    }
}

TEST_F(PadFixture, HatDirectionsIncludingDiagonals)
{
    // Rows: hat position in hundredths of a degree (-1 = centred). Columns: binding kinds 3..10
    // (up, up-right, right, down-right, down, down-left, left, up-left).
    const struct {
        int position;
        bool active[8];
    } rows[] = {
        {-1, {0, 0, 0, 0, 0, 0, 0, 0}},    {0, {1, 0, 0, 0, 0, 0, 0, 0}},     {4500, {1, 1, 1, 0, 0, 0, 0, 0}},
        {9000, {0, 0, 1, 0, 0, 0, 0, 0}},  {13500, {0, 0, 1, 1, 1, 0, 0, 0}}, {18000, {0, 0, 0, 0, 1, 0, 0, 0}},
        {22500, {0, 0, 0, 0, 1, 1, 1, 0}}, {27000, {0, 0, 0, 0, 0, 0, 1, 0}}, {31500, {1, 0, 0, 0, 0, 0, 1, 1}},
        {1000, {0, 0, 0, 0, 0, 0, 0, 0}}, // between positions: no direction
    };
    for (const auto& row : rows) {
        Device(2).povs = {{1, HatValueToRadians(row.position < 0 ? 0xFFFFFFFFu : static_cast<DWORD>(row.position))}};
        for (int k = 0; k < 8; ++k) {
            EXPECT_EQ(IsBindingActive(Device(2), PadBinding{eBindingKind_HatUp + k, 2, 1}), row.active[k])
                << "position " << row.position << " kind " << eBindingKind_HatUp + k;
            // Hat 0 stays centred.
            EXPECT_FALSE(IsBindingActive(Device(2), PadBinding{eBindingKind_HatUp + k, 2, 0}));
        }
    }
}

TEST_F(PadFixture, HeldButtonTriggersOnceAndRepeatsOnSchedule)
{
    pad->AddBinding(ePadButton_A, PadBinding{eBindingKind_Button, 0, 0x27});
    // Held from frame 1 to 40, released on 41, pressed again on 42.
    const std::set<int> repeatFrames = {1, 24, 30, 36, 42};
    for (int frame = 1; frame <= 42; ++frame) {
        if (frame <= 40 || frame == 42)
            Device(0).down = {0x27};
        else
            Device(0).down.clear();
        system.Update();
        const bool held = frame != 41;
        EXPECT_EQ(pad->GetCurrentMask(), held ? Bit(ePadButton_A) : 0u) << frame;
        EXPECT_EQ(pad->GetHoldCount(ePadButton_A), frame <= 40   ? static_cast<uint32_t>(frame)
                                                   : frame == 41 ? 0u
                                                                 : 1u)
            << frame;
        EXPECT_EQ(pad->IsTriggered(Bit(ePadButton_A)), frame == 1 || frame == 42) << frame;
        EXPECT_EQ(pad->IsRepeated(Bit(ePadButton_A)), repeatFrames.count(frame) != 0) << frame;
        EXPECT_TRUE(pad->IsRepeated(0)) << frame;
        EXPECT_FALSE(pad->IsTriggered(0)) << frame;
    }
}

TEST_F(PadFixture, RepeatFollowsTheSystemsDelayAndInterval)
{
    system.m_nKeyRepeatDelay = 10;
    system.m_nKeyRepeatInterval = 4;
    pad->AddBinding(ePadButton_B, PadBinding{eBindingKind_Button, 0, 1});
    Device(0).down = {1};
    std::vector<int> repeats;
    for (int frame = 1; frame <= 24; ++frame) {
        system.Update();
        if (pad->IsRepeated(Bit(ePadButton_B)))
            repeats.push_back(frame);
    }
    EXPECT_EQ(repeats, (std::vector<int>{1, 12, 16, 20, 24}));
}

TEST_F(PadFixture, ChordTriggersWhenItsLastButtonGoesDown)
{
    pad->AddBinding(ePadButton_A, PadBinding{eBindingKind_Button, 0, 1});
    pad->AddBinding(ePadButton_B, PadBinding{eBindingKind_Button, 0, 2});
    const uint32_t chord = Bit(ePadButton_A) | Bit(ePadButton_B);
    // Frame: keys down -> chord triggered, chord repeated.
    const struct {
        std::set<int> keys;
        bool triggered;
        bool repeated;
    } frames[] = {
        {{1}, false, false},   // A only
        {{1}, false, false},   // A held
        {{1, 2}, true, false}, // B joins: triggered, but A is on hold 3 and B on 1
        {{1, 2}, false, false}, {{}, false, false}, {{1, 2}, true, true}, // both on their first frame together
    };
    int n = 0;
    for (const auto& f : frames) {
        Device(0).down = f.keys;
        system.Update();
        EXPECT_EQ(pad->IsTriggered(chord), f.triggered) << "frame " << n;
        EXPECT_EQ(pad->IsRepeated(chord), f.repeated) << "frame " << n;
        ++n;
    }
}

TEST_F(PadFixture, AnyBindingOfAButtonPressesIt)
{
    pad->AddBinding(ePadButton_X, PadBinding{eBindingKind_Button, 0, 0x25});
    pad->AddBinding(ePadButton_X, PadBinding{eBindingKind_Button, 2, 0});
    pad->AddBinding(ePadButton_X, PadBinding{eBindingKind_None, 0, 0x30});
    const struct {
        bool key;
        bool controller;
        bool unboundKey;
        bool down;
    } cases[] = {
        {false, false, false, false}, {true, false, false, true},  {false, true, false, true},
        {true, true, false, true},    {false, false, true, false},
    };
    for (const auto& c : cases) {
        Device(0).down.clear();
        Device(2).down.clear();
        if (c.key)
            Device(0).down.insert(0x25);
        if (c.unboundKey)
            Device(0).down.insert(0x30);
        if (c.controller)
            Device(2).down.insert(0);
        system.Update();
        EXPECT_EQ((pad->GetCurrentMask() & Bit(ePadButton_X)) != 0, c.down);
    }
}

TEST_F(PadFixture, SticksNeedBothAxesBoundAndTriggersTheirOwn)
{
    Device(2).axes = {{0, 0.5f}, {1, -0.25f}, {2, 1.0f}, {3, 0.75f}, {5, -1.0f}};
    pad->SetAxisBinding(ePadAxis_Stick0X, PadBinding{eBindingKind_Axis, 2, 0});
    pad->SetAxisBinding(ePadAxis_Stick0Y, PadBinding{eBindingKind_Axis, 2, 1});
    pad->SetAxisBinding(ePadAxis_Stick1X, PadBinding{eBindingKind_Axis, 2, 2}); // y unbound
    pad->SetAxisBinding(ePadAxis_Trigger1, PadBinding{eBindingKind_Axis, 2, 3});
    system.Update();
    EXPECT_EQ(pad->GetStickX(0), 0.5f);
    EXPECT_EQ(pad->GetStickY(0), -0.25f);
    EXPECT_EQ(pad->GetStickX(1), 0.0f);
    EXPECT_EQ(pad->GetStickY(1), 0.0f);
    EXPECT_EQ(pad->GetTrigger(0), 0.0f);
    EXPECT_EQ(pad->GetTrigger(1), 0.75f);

    // Values do not linger once the axis returns.
    Device(2).axes.clear();
    system.Update();
    EXPECT_EQ(pad->GetStickX(0), 0.0f);
    EXPECT_EQ(pad->GetTrigger(1), 0.0f);
}

TEST(PadBinding, FromSettings)
{
    GameSettings settings;
    for (int i = 0; i < eGameSettings_BindingCount; ++i)
        settings.m_aBindings[i] = GetBindingDefault(i);
    settings.m_aBindings[int{eGameSettings_BindingsPerSet} + ePadButton_Start] = 0x80B02; // kind 11: skipped
    settings.m_aBindings[ePadButton_Select] = 0x0A0A03;                                   // hat up-left of device 3
    FakeInputSystem system;
    system.Init(nullptr, 1, nullptr);
    VirtualPad* pad = system.GetPad(0);
    pad->BindFromSettings(settings);

    const struct {
        int button;
        std::vector<std::vector<int32_t>> bindings; // {kind, device, code}
    } cases[] = {
        {ePadButton_Up, {{0, 0, 0xC8}, {2, 2, 1}}},      {ePadButton_Right, {{0, 0, 0xCD}, {1, 2, 0}}},
        {ePadButton_A, {{0, 0, 0x27}, {0, 2, 1}}},       {ePadButton_X, {{0, 0, 0x25}, {0, 2, 0}}},
        {ePadButton_LSB, {{0, 0, 0}, {0, 2, 10}}},       {ePadButton_Start, {{0, 0, 0x12}}},
        {ePadButton_Select, {{10, 3, 0x0A}, {0, 2, 9}}},
    };
    for (const auto& c : cases) {
        const std::vector<PadBinding>& list = pad->GetBindings(c.button);
        ASSERT_EQ(list.size(), c.bindings.size()) << "button " << c.button;
        for (size_t i = 0; i < list.size(); ++i) {
            EXPECT_EQ(list[i].kind, c.bindings[i][0]) << "button " << c.button;
            EXPECT_EQ(list[i].device, c.bindings[i][1]) << "button " << c.button;
            EXPECT_EQ(list[i].code, c.bindings[i][2]) << "button " << c.button;
        }
    }
    const int32_t stickAxes[4] = {0, 1, 2, 5};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(pad->GetAxisBinding(ePadAxis_Stick0X + i).kind, eBindingKind_Axis);
        EXPECT_EQ(pad->GetAxisBinding(ePadAxis_Stick0X + i).device, 2);
        EXPECT_EQ(pad->GetAxisBinding(ePadAxis_Stick0X + i).code, stickAxes[i]);
    }
    EXPECT_EQ(pad->GetAxisBinding(ePadAxis_Trigger0).kind, eBindingKind_None);
    EXPECT_EQ(pad->GetAxisBinding(ePadAxis_Trigger1).kind, eBindingKind_None);
}

TEST(DI8InputSystem, MissingDevicesReadAsNothing)
{
    DI8InputSystem system; // never started: no DirectInput at all
    EXPECT_EQ(system.GetDeviceCount(), 0);
    InputDevice* device = system.GetDevice(5);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(system.GetDeviceCount(), 6);
    for (int i = 0; i < 6; ++i)
        EXPECT_NE(system.GetDevice(i), nullptr);
    EXPECT_EQ(system.GetDevice(5), device);
    for (int index : {-1, DI8InputSystem::kMaxDevices, 1 << 30}) {
        InputDevice* outside = system.GetDevice(index);
        ASSERT_NE(outside, nullptr);
        EXPECT_FALSE(outside->IsDown(0));
        EXPECT_EQ(outside->GetPov(0), -1.0f);
        EXPECT_EQ(outside->GetAxis(0), 0.0f);
    }
    EXPECT_EQ(system.GetDeviceCount(), 6);

    // A pad bound to a missing device simply stays up.
    system.CreatePads(1);
    VirtualPad* pad = system.GetPad(0);
    pad->AddBinding(ePadButton_A, PadBinding{eBindingKind_Button, 200, 1});
    pad->AddBinding(ePadButton_B, PadBinding{eBindingKind_HatUp, -7, 0});
    system.Update();
    EXPECT_EQ(pad->GetCurrentMask(), 0u);
    EXPECT_EQ(system.GetDeviceCount(), 201);
}
