#include "System/Input/DI8InputSystem.h"

#include "InputTestSupport.h"
#include "System/Common/EventManager.h"
#include "System/Common/GameSettings.h"
#include "System/Input/DI8JoystickDevice.h"
#include "System/Input/DI8KeyboardDevice.h"
#include "System/Input/DI8MouseDevice.h"

#include <cstring>
#include <deque>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

HWND TestWindow()
{
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(0x2000));
}

constexpr uint32_t Bit(int button)
{
    return 1u << button;
}

void PostActivate(EventManager& events, WPARAM wParam)
{
    events.Post(new EvtWinMsgActivate(TestWindow(), wParam, 0));
}

HRESULT ReadKeys(InputDevice* device)
{
    uint8_t keys[256];
    return static_cast<DI8InputDevice*>(device)->GetInterface()->GetDeviceState(sizeof(keys), keys);
}

// The input system as start-up makes it: one pad, bound from the default settings.
struct InputSystemFixture : ::testing::Test {
    void SetUp() override { FeedFocus(true); }
    void Start()
    {
        ASSERT_TRUE(system.Init(TestWindow(), 1, &events));
        GameSettings settings;
        for (int i = 0; i < eGameSettings_BindingCount; ++i)
            settings.m_aBindings[i] = GetBindingDefault(i);
        pad = system.GetPad(0);
        ASSERT_NE(pad, nullptr);
        pad->BindFromSettings(settings);
    }
    void TearDown() override
    {
        system.Shutdown();
        EXPECT_TRUE(events.GetHandlers().empty());
        EXPECT_FALSE(BackendInputStarted());
        for (SDL_Scancode key : {SDL_SCANCODE_SEMICOLON, SDL_SCANCODE_UP, SDL_SCANCODE_L, SDL_SCANCODE_F12})
            FeedKey(key, false);
    }

    EventManager events;
    DI8InputSystem system;
    VirtualPad* pad = nullptr;
};

} // namespace

TEST_F(InputSystemFixture, KeyHeldAcrossTicks)
{
    Start();
    ASSERT_EQ(system.GetDeviceCount(), 2);
    ASSERT_EQ(events.GetHandlers().size(), 2u);
    InputDevice* kb = system.GetDevice(0);
    EXPECT_GT(kb->GetButtonCount(), 100);

    // Each tick: what happens to the key before the poll, then what the keyboard and pad report.
    enum Feed { None, Down, Up, DownUp };
    const struct {
        Feed feed;
        bool down, pressed, released;
    } ticks[] = {
        {Down, true, true, false}, {None, true, false, false},  {None, true, false, false},
        {Up, false, false, true},  {None, false, false, false}, {DownUp, false, false, false},
        {Down, true, true, false}, {Up, false, false, true},
    };
    int n = 0;
    for (const auto& t : ticks) {
        if (t.feed == Down || t.feed == DownUp)
            FeedKey(SDL_SCANCODE_SEMICOLON, true);
        if (t.feed == Up || t.feed == DownUp)
            FeedKey(SDL_SCANCODE_SEMICOLON, false);
        system.Update();
        EXPECT_EQ(kb->IsDown(DIK_SEMICOLON), t.down) << "tick " << n;
        EXPECT_EQ(kb->IsPressed(DIK_SEMICOLON), t.pressed) << "tick " << n;
        EXPECT_EQ(kb->IsReleased(DIK_SEMICOLON), t.released) << "tick " << n;
        EXPECT_EQ(pad->GetCurrentMask(), t.down ? Bit(ePadButton_A) : 0u) << "tick " << n;
        EXPECT_EQ(pad->IsTriggered(Bit(ePadButton_A)), t.pressed) << "tick " << n;
        EXPECT_FALSE(kb->IsDown(DIK_L));
        ++n;
    }
}

TEST_F(InputSystemFixture, FocusLossReadsAllUpAndActivationAcquiresAgain)
{
    Start();
    InputDevice* kb = system.GetDevice(0);
    InputDevice* mouse = system.GetDevice(1);
    FeedKey(SDL_SCANCODE_UP, true);
    FeedMouseButton(SDL_BUTTON_LEFT, true);
    system.Update();
    system.Update();
    ASSERT_TRUE(kb->IsDown(DIK_UP));
    ASSERT_TRUE(mouse->IsDown(0));
    ASSERT_EQ(pad->GetCurrentMask(), Bit(ePadButton_Up));

    // The window goes to the background: everything reads up, and nothing is reported released.
    FeedFocus(false);
    PostActivate(events, 0);
    for (int tick = 0; tick < 3; ++tick) {
        system.Update();
        EXPECT_FALSE(kb->IsDown(DIK_UP));
        EXPECT_FALSE(kb->IsReleased(DIK_UP));
        EXPECT_FALSE(mouse->IsDown(0));
        EXPECT_FALSE(mouse->IsReleased(0));
        EXPECT_EQ(pad->GetCurrentMask(), 0u);
        EXPECT_EQ(pad->GetPreviousMask(), tick == 0 ? Bit(ePadButton_Up) : 0u);
    }

    // Back in front, and the key pressed again.
    FeedFocus(true);
    PostActivate(events, 1); // WA_ACTIVE
    EXPECT_EQ(ReadKeys(kb), DI_OK);
    FeedKey(SDL_SCANCODE_UP, true);
    system.Update();
    EXPECT_TRUE(kb->IsPressed(DIK_UP));
    EXPECT_TRUE(pad->IsTriggered(Bit(ePadButton_Up)));
}

TEST_F(InputSystemFixture, ActivationLooksAtTheLowWordOnly)
{
    Start();
    InputDevice* kb = system.GetDevice(0);
    const struct {
        WPARAM wParam;
        bool acquired;
    } cases[] = {
        {0x00000001, true},  // WA_ACTIVE
        {0x00000000, false}, // WA_INACTIVE
        {0x00000002, true},  // WA_CLICKACTIVE
        {0x00010000, false}, // WA_INACTIVE while minimised
        {0x00010001, true},  // WA_ACTIVE while minimised
    };
    for (const auto& c : cases) {
        PostActivate(events, c.wParam);
        EXPECT_EQ(ReadKeys(kb), c.acquired ? DI_OK : DIERR_NOTACQUIRED) << std::hex << c.wParam;
        EXPECT_EQ(ReadKeys(system.GetDevice(1)) == DIERR_NOTACQUIRED, !c.acquired) << std::hex << c.wParam;
    }
}

TEST_F(InputSystemFixture, OutOfRangeCodesReadAsNothing)
{
    VirtualJoystick controller(SDL_JOYSTICK_TYPE_GAMECONTROLLER, VirtualJoystick::kGcAxes, VirtualJoystick::kGcButtons,
                               VirtualJoystick::kGcHats);
    ASSERT_TRUE(controller.Ok());
    Start();
    InputDevice* kb = system.GetDevice(0);
    InputDevice* mouse = system.GetDevice(1);
    InputDevice* joy = system.GetDevice(2);
    FeedKey(SDL_SCANCODE_L, true);
    FeedMouseButton(SDL_BUTTON_MIDDLE, true);
    controller.SetButton(0, true); // A: DirectInput button 1
    controller.SetAxis(0, 32767);
    system.Update();

    for (InputDevice* device : {kb, mouse, joy}) {
        for (int code : {-1, -1000, 256, 1 << 20}) {
            EXPECT_FALSE(device->IsDown(code)) << code;
            EXPECT_FALSE(device->IsPressed(code)) << code;
            EXPECT_FALSE(device->IsReleased(code)) << code;
        }
        for (int index : {-1, 4, 1000})
            EXPECT_EQ(device->GetPov(index), -1.0f) << index;
        for (int index : {-1, 24, 1000})
            EXPECT_EQ(device->GetAxis(index), 0.0f) << index;
        device->ClearKey(300); // ignored
    }
    EXPECT_FALSE(mouse->IsDown(8));
    EXPECT_EQ(mouse->GetAxis(3), 0.0f);
    EXPECT_FALSE(joy->IsDown(128));
    EXPECT_TRUE(kb->IsDown(DIK_L));
    EXPECT_TRUE(mouse->IsDown(2));
    EXPECT_TRUE(joy->IsDown(1));
    EXPECT_EQ(joy->GetAxis(0), 1.0f);

    // One code clears one key; a negative code clears them all.
    FeedKey(SDL_SCANCODE_SEMICOLON, true);
    system.Update();
    kb->ClearKey(DIK_L);
    EXPECT_FALSE(kb->IsDown(DIK_L));
    EXPECT_TRUE(kb->IsDown(DIK_SEMICOLON));
    for (InputDevice* device : {kb, mouse, joy})
        device->ClearKey(-1);
    EXPECT_FALSE(kb->IsDown(DIK_SEMICOLON));
    EXPECT_FALSE(mouse->IsDown(2));
    EXPECT_FALSE(joy->IsDown(1));
    EXPECT_EQ(joy->GetAxis(0), 1.0f) << "clearing buttons leaves the axes";
    FeedMouseButton(SDL_BUTTON_MIDDLE, false);
}

TEST_F(InputSystemFixture, ControllerDrivesThePad)
{
    VirtualJoystick controller(SDL_JOYSTICK_TYPE_GAMECONTROLLER, VirtualJoystick::kGcAxes, VirtualJoystick::kGcButtons,
                               VirtualJoystick::kGcHats);
    ASSERT_TRUE(controller.Ok());
    Start();
    ASSERT_EQ(system.GetControllerCount(), 1);
    ASSERT_EQ(system.GetDeviceCount(), 3);
    EXPECT_EQ(events.GetHandlers().size(), 3u);
    InputDevice* joy = system.GetDevice(2);
    EXPECT_EQ(joy->GetAxisCount(), 6);
    EXPECT_EQ(joy->GetButtonCount(), 12);
    EXPECT_EQ(joy->GetPovCount(), 1);
    pad->AddBinding(ePadButton_Y, PadBinding{eBindingKind_HatUpRight, 2, 0});

    // SDL axis values and buttons -> the pad's mask and sticks.
    const struct {
        int leftX, leftY, rightX, rightY;
        std::vector<int> buttons; // SDL virtual buttons
        uint32_t mask;
        float stick0x, stick0y, stick1x, stick1y;
    } cases[] = {
        {0, 0, 0, 0, {}, 0u, 0, 0, 0, 0},
        {-32768, 0, 0, 0, {}, Bit(ePadButton_Left), -1.0f, 0, 0, 0},
        {6553, -6553, 0, 0, {}, 0u, 0, 0, 0, 0}, // 20 %: inside the 25 % dead zone
        {0, 32767, 32767, -32768, {}, Bit(ePadButton_Down), 0, 1.0f, 1.0f, -1.0f},
        {0, 0, 0, 0, {0, 2}, Bit(ePadButton_A) | Bit(ePadButton_X), 0, 0, 0, 0},
        {0,
         0,
         0,
         0,
         {1, 3, 9, 10},
         Bit(ePadButton_B) | Bit(ePadButton_Y) | Bit(ePadButton_LB) | Bit(ePadButton_RB),
         0,
         0,
         0,
         0},
        {0,
         0,
         0,
         0,
         {6, 4, 7, 8},
         Bit(ePadButton_Start) | Bit(ePadButton_Select) | Bit(ePadButton_LSB) | Bit(ePadButton_RSB),
         0,
         0,
         0,
         0},
        {0, 0, 0, 0, {11, 14}, Bit(ePadButton_Y), 0, 0, 0, 0}, // d-pad up-right: the hat binding
        {0, 0, 0, 0, {11}, 0u, 0, 0, 0, 0},
    };
    int n = 0;
    for (const auto& c : cases) {
        controller.SetAxis(0, c.leftX);
        controller.SetAxis(1, c.leftY);
        controller.SetAxis(2, c.rightX);
        controller.SetAxis(3, c.rightY);
        for (int b : c.buttons)
            controller.SetButton(b, true);
        system.Update();
        EXPECT_EQ(pad->GetCurrentMask(), c.mask) << "case " << n;
        EXPECT_EQ(pad->GetStickX(0), c.stick0x) << "case " << n;
        EXPECT_EQ(pad->GetStickY(0), c.stick0y) << "case " << n;
        EXPECT_EQ(pad->GetStickX(1), c.stick1x) << "case " << n;
        EXPECT_EQ(pad->GetStickY(1), c.stick1y) << "case " << n;
        for (int b : c.buttons)
            controller.SetButton(b, false);
        ++n;
    }

    // The triggers press LT and RT.
    controller.SetAxis(4, 32767);
    system.Update();
    EXPECT_EQ(pad->GetCurrentMask(), Bit(ePadButton_LT));
    EXPECT_EQ(joy->GetAxis(3), 1.0f);
    controller.SetAxis(4, -32768);
    controller.SetAxis(5, 32767);
    system.Update();
    EXPECT_EQ(pad->GetCurrentMask(), Bit(ePadButton_RT));
    EXPECT_EQ(joy->GetAxis(3), 0.0f);
    controller.SetAxis(5, -32768);

    // Losing the focus: the controller reads as released with its hat centred.
    controller.SetButton(0, true);
    controller.SetButton(11, true);
    system.Update();
    ASSERT_TRUE(joy->IsDown(1));
    ASSERT_EQ(joy->GetPov(0), 0.0f);
    FeedFocus(false);
    system.Update();
    EXPECT_FALSE(joy->IsDown(1));
    EXPECT_FALSE(joy->IsReleased(1));
    EXPECT_EQ(joy->GetPov(0), -1.0f);
    EXPECT_EQ(pad->GetCurrentMask(), 0u);
    FeedFocus(true);
    system.Update(); // the failed poll acquired it again
    system.Update();
    EXPECT_TRUE(joy->IsDown(1));
    EXPECT_EQ(joy->GetPov(0), 0.0f);
}

namespace {

class NoDirectInputSystem : public DI8InputSystem {
  protected:
    HRESULT CreateDirectInput(IDirectInput8A** out) override
    {
        *out = nullptr;
        return DIERR_OUTOFMEMORY;
    }
};

} // namespace

TEST(DI8InputSystemStart, WithoutDirectInputThePadsStillExist)
{
    EventManager events;
    NoDirectInputSystem system;
    FeedFocus(true);
    EXPECT_FALSE(system.Init(TestWindow(), 1, &events));
    EXPECT_EQ(system.GetDeviceCount(), 0);
    EXPECT_TRUE(events.GetHandlers().empty());
    ASSERT_EQ(system.GetPadCount(), 1);
    VirtualPad* pad = system.GetPad(0);
    GameSettings settings;
    for (int i = 0; i < eGameSettings_BindingCount; ++i)
        settings.m_aBindings[i] = GetBindingDefault(i);
    pad->BindFromSettings(settings);
    FeedKey(SDL_SCANCODE_SEMICOLON, true);
    system.Update();
    system.Update();
    EXPECT_EQ(pad->GetCurrentMask(), 0u);
    EXPECT_FALSE(system.GetDevice(0)->IsDown(DIK_F12));
    EXPECT_EQ(system.GetDeviceCount(), 3); // the pad's bindings asked for devices 0 and 2
    FeedKey(SDL_SCANCODE_SEMICOLON, false);
}

namespace {

// A DirectInput device whose results a test scripts, to drive the devices' poll logic.
class ScriptedDevice final : public IDirectInputDevice8A {
  public:
    HRESULT QueryInterface(REFIID, void**) override { return DIERR_NOINTERFACE; }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override { return --refs; }
    HRESULT GetCapabilities(LPDIDEVCAPS caps) override
    {
        caps->dwButtons = 128;
        caps->dwAxes = 3;
        caps->dwPOVs = 4;
        return DI_OK;
    }
    HRESULT EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA, LPVOID, DWORD) override { return DI_OK; }
    HRESULT SetProperty(REFGUID, LPCDIPROPHEADER) override { return DI_OK; }
    HRESULT Acquire() override
    {
        ++acquireCalls;
        return Next(acquireResults);
    }
    HRESULT Unacquire() override { return DI_OK; }
    HRESULT GetDeviceState(DWORD size, LPVOID data) override
    {
        const HRESULT hr = Next(stateResults);
        if (SUCCEEDED(hr)) {
            std::memset(data, 0, size);
            // Button / key 1 down; for a joystick, hat 0 up.
            static_cast<uint8_t*>(data)[size == sizeof(DIJOYSTATE2) ? DIJOFS_BUTTON(1) : size == 20 ? 13 : 1] = 0x80;
        }
        return hr;
    }
    HRESULT SetDataFormat(LPCDIDATAFORMAT) override { return DI_OK; }
    HRESULT SetCooperativeLevel(HWND, DWORD) override { return DI_OK; }
    HRESULT Poll() override { return Next(pollResults); }

    static HRESULT Next(std::deque<HRESULT>& results)
    {
        if (results.empty())
            return DI_OK;
        const HRESULT hr = results.front();
        results.pop_front();
        return hr;
    }

    ULONG refs = 1;
    int acquireCalls = 0;
    std::deque<HRESULT> acquireResults, stateResults, pollResults;
};

class ScriptedDirectInput final : public IDirectInput8A {
  public:
    HRESULT QueryInterface(REFIID, void**) override { return DIERR_NOINTERFACE; }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
    HRESULT CreateDevice(REFGUID, LPDIRECTINPUTDEVICE8A* out, LPUNKNOWN) override
    {
        *out = &device;
        return DI_OK;
    }
    HRESULT EnumDevices(DWORD, LPDIENUMDEVICESCALLBACKA, LPVOID, DWORD) override { return DI_OK; }

    ScriptedDevice device;
};

} // namespace

TEST(DI8DevicePoll, FailedReadsNeverLeaveAStaleState)
{
    const HRESULT lost = DIERR_INPUTLOST;
    const HRESULT denied = DIERR_OTHERAPPHASPRIO;
    // Per poll: the read results, the acquire results; then whether key 1 reads down.
    const struct {
        std::deque<HRESULT> reads;
        std::deque<HRESULT> acquires;
        bool down;
    } polls[] = {
        {{DI_OK}, {}, true},
        {{lost}, {denied}, false}, // cannot acquire: all up
        {{DI_OK}, {}, true},
        {{lost, DI_OK}, {DI_OK}, true}, // acquired again and read
        {{lost, lost}, {DI_OK}, false}, // acquired but the second read fails: all up too
        {{DI_OK}, {}, true},
    };
    for (int kind = 0; kind < 2; ++kind) {
        ScriptedDirectInput di;
        std::unique_ptr<DI8InputDevice> device;
        if (kind == 0)
            device = std::make_unique<DI8KeyboardDevice>(&di);
        else
            device = std::make_unique<DI8MouseDevice>(&di);
        ASSERT_TRUE(device->Create(TestWindow(), nullptr));
        const int code = 1;
        int n = 0;
        bool before = false;
        for (const auto& p : polls) {
            di.device.stateResults = p.reads;
            di.device.acquireResults = p.acquires;
            device->Poll();
            EXPECT_EQ(device->IsDown(code), p.down) << "device " << kind << " poll " << n;
            // A release is only ever reported from a good read after a good read.
            EXPECT_EQ(device->IsReleased(code), false) << "device " << kind << " poll " << n;
            EXPECT_EQ(device->IsPressed(code), p.down && !before) << "device " << kind << " poll " << n;
            before = p.down;
            ++n;
        }
        device.reset();
        EXPECT_EQ(di.device.refs, 0u);
    }
}

TEST(DI8DevicePoll, JoystickRetriesALostDeviceABoundedNumberOfTimes)
{
    ScriptedDirectInput di;
    DI8JoystickDevice joy(&di);
    const GUID instance = {1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
    ASSERT_TRUE(joy.Create(TestWindow(), &instance));
    joy.Poll();
    ASSERT_TRUE(joy.IsDown(1));

    di.device.acquireCalls = 0;
    di.device.pollResults = {DIERR_INPUTLOST};
    di.device.acquireResults = std::deque<HRESULT>(100, DIERR_INPUTLOST);
    joy.Poll();
    EXPECT_EQ(di.device.acquireCalls, 1 + DI8JoystickDevice::kMaxAcquireRetries);
    EXPECT_FALSE(joy.IsDown(1));
    EXPECT_EQ(joy.GetPov(0), -1.0f);

    di.device.acquireCalls = 0;
    di.device.acquireResults = {DIERR_INPUTLOST, DI_OK};
    di.device.pollResults = {DIERR_NOTACQUIRED};
    joy.Poll();
    EXPECT_EQ(di.device.acquireCalls, 2);

    // A good poll whose read fails clears both states.
    di.device.stateResults = {DI_OK};
    joy.Poll();
    ASSERT_TRUE(joy.IsDown(1));
    di.device.stateResults = {DIERR_INPUTLOST};
    joy.Poll();
    EXPECT_FALSE(joy.IsDown(1));
    EXPECT_FALSE(joy.IsReleased(1));
}
