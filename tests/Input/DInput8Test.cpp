#include "Platform/DInput8/DInput8.h"

#include "InputTestSupport.h"
#include "Platform/DInput8/DirectInputDevice8.h"

#include <cstring>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <vector>

namespace {

HWND TestWindow()
{
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(0x1000));
}

// A DirectInput object for one test, released at the end.
struct DirectInputFixture : ::testing::Test {
    void SetUp() override
    {
        void* out = nullptr;
        ASSERT_EQ(DirectInput8Create(nullptr, DIRECTINPUT_VERSION, IID_IDirectInput8A, &out, nullptr), DI_OK);
        di = static_cast<IDirectInput8A*>(out);
        FeedFocus(true);
    }
    void TearDown() override
    {
        for (IDirectInputDevice8A* device : devices)
            device->Release();
        if (di)
            di->Release();
        EXPECT_FALSE(BackendInputStarted());
    }
    IDirectInputDevice8A* Create(const GUID& guid, const DIDATAFORMAT* format, DWORD coop)
    {
        IDirectInputDevice8A* device = nullptr;
        EXPECT_EQ(di->CreateDevice(guid, &device, nullptr), DI_OK);
        if (!device)
            return nullptr;
        devices.push_back(device);
        EXPECT_EQ(device->SetDataFormat(format), DI_OK);
        EXPECT_EQ(device->SetCooperativeLevel(TestWindow(), coop), DI_OK);
        return device;
    }

    IDirectInput8A* di = nullptr;
    std::vector<IDirectInputDevice8A*> devices;
};

std::vector<DIDEVICEINSTANCEA> Enumerate(IDirectInput8A* di, DWORD type)
{
    std::vector<DIDEVICEINSTANCEA> found;
    auto callback = [](LPCDIDEVICEINSTANCEA inst, LPVOID ref) -> BOOL {
        static_cast<std::vector<DIDEVICEINSTANCEA>*>(ref)->push_back(*inst);
        return DIENUM_CONTINUE;
    };
    EXPECT_EQ(di->EnumDevices(type, callback, &found, DIEDFL_ATTACHEDONLY), DI_OK);
    return found;
}

DIPROPRANGE Range(DWORD how, DWORD obj, LONG min, LONG max)
{
    DIPROPRANGE range{};
    range.diph.dwSize = sizeof(range);
    range.diph.dwHeaderSize = sizeof(range.diph);
    range.diph.dwHow = how;
    range.diph.dwObj = obj;
    range.lMin = min;
    range.lMax = max;
    return range;
}

DIPROPDWORD Dword(DWORD how, DWORD obj, DWORD value)
{
    DIPROPDWORD prop{};
    prop.diph.dwSize = sizeof(prop);
    prop.diph.dwHeaderSize = sizeof(prop.diph);
    prop.diph.dwHow = how;
    prop.diph.dwObj = obj;
    prop.dwData = value;
    return prop;
}

} // namespace

TEST(DInput8Scancodes, KeysMapToTheirDirectInputCodes)
{
    const struct {
        SDL_Scancode scancode;
        uint8_t dik;
    } cases[] = {
        {SDL_SCANCODE_UP, 0xC8},
        {SDL_SCANCODE_DOWN, 0xD0},
        {SDL_SCANCODE_LEFT, 0xCB},
        {SDL_SCANCODE_RIGHT, 0xCD},
        {SDL_SCANCODE_SEMICOLON, 0x27},
        {SDL_SCANCODE_L, 0x26},
        {SDL_SCANCODE_K, 0x25},
        {SDL_SCANCODE_J, 0x24},
        {SDL_SCANCODE_N, 0x31},
        {SDL_SCANCODE_U, 0x16},
        {SDL_SCANCODE_PERIOD, 0x34},
        {SDL_SCANCODE_H, 0x23},
        {SDL_SCANCODE_E, 0x12},
        {SDL_SCANCODE_Q, 0x10},
        {SDL_SCANCODE_F12, 0x58},
        {SDL_SCANCODE_RETURN, 0x1C},
        {SDL_SCANCODE_ESCAPE, 0x01},
        {SDL_SCANCODE_KP_ENTER, 0x9C},
        {SDL_SCANCODE_RCTRL, 0x9D},
        {SDL_SCANCODE_LCTRL, 0x1D},
        {SDL_SCANCODE_RALT, 0xB8},
        {SDL_SCANCODE_KP_DIVIDE, 0xB5},
        {SDL_SCANCODE_INSERT, 0xD2},
        {SDL_SCANCODE_DELETE, 0xD3},
        {SDL_SCANCODE_PAGEUP, 0xC9},
        {SDL_SCANCODE_PAGEDOWN, 0xD1},
        {SDL_SCANCODE_HOME, 0xC7},
        {SDL_SCANCODE_END, 0xCF},
        {SDL_SCANCODE_1, 0x02},
        {SDL_SCANCODE_0, 0x0B},
        {SDL_SCANCODE_F1, 0x3B},
        {SDL_SCANCODE_F10, 0x44},
        {SDL_SCANCODE_F11, 0x57},
        {SDL_SCANCODE_KP_0, 0x52},
        {SDL_SCANCODE_KP_7, 0x47},
        {SDL_SCANCODE_GRAVE, 0x29},
        {SDL_SCANCODE_INTERNATIONAL3, 0x7D},
        {SDL_SCANCODE_LGUI, 0xDB},
        {SDL_SCANCODE_SPACE, 0x39},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BackendScancodeToDik(c.scancode), c.dik) << SDL_GetScancodeName(c.scancode);

    EXPECT_EQ(BackendScancodeToDik(SDL_SCANCODE_UNKNOWN), 0);
    EXPECT_EQ(BackendScancodeToDik(-1), 0);
    EXPECT_EQ(BackendScancodeToDik(SDL_NUM_SCANCODES), 0);
}

TEST(DInput8Scancodes, DistinctKeysGetDistinctCodes)
{
    // Only keys that are one key to DirectInput as well may share a code.
    const std::set<std::set<int>> shared = {
        {SDL_SCANCODE_BACKSLASH, SDL_SCANCODE_NONUSHASH},
        {SDL_SCANCODE_MUTE, SDL_SCANCODE_AUDIOMUTE},
        {SDL_SCANCODE_PRINTSCREEN, SDL_SCANCODE_SYSREQ},
    };
    std::map<int, std::set<int>> byDik;
    for (int scancode = 0; scancode < SDL_NUM_SCANCODES; ++scancode)
        if (const int dik = BackendScancodeToDik(scancode))
            byDik[dik].insert(scancode);
    EXPECT_GE(byDik.size(), 120u);
    for (const auto& [dik, scancodes] : byDik)
        if (scancodes.size() > 1) {
            EXPECT_TRUE(shared.count(scancodes)) << "DIK 0x" << std::hex << dik;
        }
}

TEST(DInput8Create, RejectsWhatItCannotServe)
{
    struct Case {
        DWORD version;
        const GUID* iid;
        bool withOut;
        HRESULT expected;
    } cases[] = {
        {0x0800, &IID_IDirectInput8A, true, DI_OK},
        {0x0700, &IID_IDirectInput8A, true, DIERR_OLDDIRECTINPUTVERSION},
        {0x0900, &IID_IDirectInput8A, true, DIERR_BETADIRECTINPUTVERSION},
        {0x0800, &IID_IDirectInputDevice8A, true, DIERR_NOINTERFACE},
        {0x0800, &IID_IDirectInput8A, false, DIERR_INVALIDPARAM},
    };
    for (const Case& c : cases) {
        void* out = reinterpret_cast<void*>(1);
        const HRESULT hr = DirectInput8Create(nullptr, c.version, *c.iid, c.withOut ? &out : nullptr, nullptr);
        EXPECT_EQ(hr, c.expected) << std::hex << c.version;
        if (c.withOut) {
            EXPECT_EQ(out != nullptr, hr == DI_OK);
        }
        if (hr == DI_OK)
            static_cast<IDirectInput8A*>(out)->Release();
    }
    EXPECT_FALSE(BackendInputStarted());
}

TEST_F(DirectInputFixture, CreateDeviceKnowsOnlyAttachedDevices)
{
    IDirectInputDevice8A* device = nullptr;
    EXPECT_EQ(di->CreateDevice(DIJoystickInstanceGuid(0), &device, nullptr), DIERR_DEVICENOTREG);
    EXPECT_EQ(device, nullptr);
    EXPECT_EQ(di->CreateDevice(GUID_XAxis, &device, nullptr), DIERR_DEVICENOTREG);
    EXPECT_EQ(di->CreateDevice(GUID_SysKeyboard, nullptr, nullptr), DIERR_INVALIDPARAM);

    const std::vector<DIDEVICEINSTANCEA> all = Enumerate(di, DI8DEVCLASS_ALL);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].guidInstance, GUID_SysKeyboard);
    EXPECT_EQ(GET_DIDEVICE_TYPE(all[0].dwDevType), DI8DEVTYPE_KEYBOARD);
    EXPECT_EQ(all[1].guidInstance, GUID_SysMouse);
    EXPECT_TRUE(Enumerate(di, DI8DEVCLASS_GAMECTRL).empty());
    EXPECT_EQ(Enumerate(di, DI8DEVCLASS_KEYBOARD).size(), 1u);
    EXPECT_EQ(Enumerate(di, DI8DEVTYPE_MOUSE).size(), 1u);
}

TEST_F(DirectInputFixture, KeyboardAcquisitionFollowsTheFocus)
{
    IDirectInputDevice8A* kb = nullptr;
    ASSERT_EQ(di->CreateDevice(GUID_SysKeyboard, &kb, nullptr), DI_OK);
    devices.push_back(kb);
    uint8_t keys[256];

    // Before a data format is set, nothing can be acquired.
    EXPECT_EQ(kb->Acquire(), DIERR_INVALIDPARAM);
    EXPECT_EQ(kb->SetDataFormat(&c_dfDIMouse2), DIERR_INVALIDPARAM);
    ASSERT_EQ(kb->SetDataFormat(&c_dfDIKeyboard), DI_OK);
    ASSERT_EQ(kb->SetCooperativeLevel(TestWindow(), DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), DI_OK);
    EXPECT_EQ(kb->GetDeviceState(sizeof(keys), keys), DIERR_NOTACQUIRED);

    FeedFocus(false);
    EXPECT_EQ(kb->Acquire(), DIERR_OTHERAPPHASPRIO);
    FeedFocus(true);
    EXPECT_EQ(kb->Acquire(), DI_OK);
    EXPECT_EQ(kb->Acquire(), DI_NOEFFECT);
    EXPECT_EQ(kb->SetDataFormat(&c_dfDIKeyboard), DIERR_ACQUIRED);
    EXPECT_EQ(kb->GetDeviceState(100, keys), DIERR_INVALIDPARAM);

    FeedKey(SDL_SCANCODE_SEMICOLON, true);
    FeedKey(SDL_SCANCODE_F12, true);
    ASSERT_EQ(kb->GetDeviceState(sizeof(keys), keys), DI_OK);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(keys[i], (i == DIK_SEMICOLON || i == DIK_F12) ? 0x80 : 0) << i;
    FeedKey(SDL_SCANCODE_F12, false);
    ASSERT_EQ(kb->GetDeviceState(sizeof(keys), keys), DI_OK);
    EXPECT_EQ(keys[DIK_F12], 0);
    EXPECT_EQ(keys[DIK_SEMICOLON], 0x80);

    // Losing the focus unacquires: the first read reports the loss, later ones no acquisition,
    // and getting the focus back is not enough until the device is acquired again.
    FeedFocus(false);
    EXPECT_EQ(kb->GetDeviceState(sizeof(keys), keys), DIERR_INPUTLOST);
    EXPECT_EQ(kb->GetDeviceState(sizeof(keys), keys), DIERR_NOTACQUIRED);
    FeedFocus(true);
    EXPECT_EQ(kb->GetDeviceState(sizeof(keys), keys), DIERR_NOTACQUIRED);
    EXPECT_EQ(kb->Acquire(), DI_OK);
    ASSERT_EQ(kb->GetDeviceState(sizeof(keys), keys), DI_OK);
    EXPECT_EQ(keys[DIK_SEMICOLON], 0) << "keys held when the focus went are up";

    // A loss and regain between two reads still counts as a loss.
    FeedFocus(false);
    FeedFocus(true);
    EXPECT_EQ(kb->Poll(), DIERR_INPUTLOST);
    EXPECT_EQ(kb->Unacquire(), DI_NOEFFECT);
}

TEST_F(DirectInputFixture, BackgroundDeviceReadsWithoutTheFocus)
{
    IDirectInputDevice8A* kb = Create(GUID_SysKeyboard, &c_dfDIKeyboard, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND);
    ASSERT_TRUE(kb);
    FeedFocus(false);
    uint8_t keys[256];
    EXPECT_EQ(kb->Acquire(), DI_OK);
    EXPECT_EQ(kb->GetDeviceState(sizeof(keys), keys), DI_OK);
}

TEST_F(DirectInputFixture, CooperativeLevelsAreChecked)
{
    IDirectInputDevice8A* kb = nullptr;
    ASSERT_EQ(di->CreateDevice(GUID_SysKeyboard, &kb, nullptr), DI_OK);
    devices.push_back(kb);
    const struct {
        bool window;
        DWORD flags;
        HRESULT expected;
    } cases[] = {
        {true, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND, DI_OK},
        {true, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND | DISCL_NOWINKEY, DI_OK},
        {true, DISCL_EXCLUSIVE | DISCL_FOREGROUND, DI_OK},
        {false, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND, E_HANDLE},
        {true, DISCL_FOREGROUND, DIERR_INVALIDPARAM},
        {true, DISCL_NONEXCLUSIVE, DIERR_INVALIDPARAM},
        {true, DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_FOREGROUND, DIERR_INVALIDPARAM},
        {true, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND | DISCL_BACKGROUND, DIERR_INVALIDPARAM},
        {true, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND | 0x100, DIERR_INVALIDPARAM},
        {true, DISCL_EXCLUSIVE | DISCL_BACKGROUND, DIERR_UNSUPPORTED},
    };
    for (const auto& c : cases)
        EXPECT_EQ(kb->SetCooperativeLevel(c.window ? TestWindow() : nullptr, c.flags), c.expected) << c.flags;
}

TEST_F(DirectInputFixture, MouseReportsMotionSinceTheLastRead)
{
    IDirectInputDevice8A* mouse = Create(GUID_SysMouse, &c_dfDIMouse2, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND);
    ASSERT_TRUE(mouse);
    DIDEVCAPS caps{};
    caps.dwSize = sizeof(caps);
    ASSERT_EQ(mouse->GetCapabilities(&caps), DI_OK);
    EXPECT_EQ(caps.dwAxes, 3u);
    EXPECT_EQ(caps.dwButtons, 5u);

    FeedMouseMotion(50, 50); // before acquisition: not reported
    ASSERT_EQ(mouse->Acquire(), DI_OK);
    FeedMouseMotion(3, -4);
    FeedMouseMotion(2, 1);
    FeedMouseWheel(-2);
    FeedMouseButton(SDL_BUTTON_RIGHT, true);
    DIMOUSESTATE2 state{};
    ASSERT_EQ(mouse->GetDeviceState(sizeof(state), &state), DI_OK);
    EXPECT_EQ(state.lX, 5);
    EXPECT_EQ(state.lY, -3);
    EXPECT_EQ(state.lZ, -240);
    const uint8_t expected[8] = {0, 0x80, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(state.rgbButtons, expected, 8), 0);
    ASSERT_EQ(mouse->GetDeviceState(sizeof(state), &state), DI_OK);
    EXPECT_EQ(state.lX, 0);
    EXPECT_EQ(state.lY, 0);
    EXPECT_EQ(state.lZ, 0);
    EXPECT_EQ(state.rgbButtons[1], 0x80);
    FeedMouseButton(SDL_BUTTON_RIGHT, false);

    // In absolute mode the axes are running totals.
    ASSERT_EQ(mouse->Unacquire(), DI_OK);
    DIPROPDWORD mode = Dword(DIPH_DEVICE, 0, DIPROPAXISMODE_ABS);
    ASSERT_EQ(mouse->SetProperty(DIPROP_AXISMODE, &mode.diph), DI_OK);
    ASSERT_EQ(mouse->Acquire(), DI_OK);
    DIMOUSESTATE2 first{}, second{};
    ASSERT_EQ(mouse->GetDeviceState(sizeof(first), &first), DI_OK);
    FeedMouseMotion(7, 0);
    ASSERT_EQ(mouse->GetDeviceState(sizeof(second), &second), DI_OK);
    EXPECT_EQ(second.lX - first.lX, 7);
    ASSERT_EQ(mouse->GetDeviceState(sizeof(first), &first), DI_OK);
    EXPECT_EQ(first.lX, second.lX);
}

TEST(DInput8Axis, RangeDeadZoneAndSaturation)
{
    const struct {
        int32_t raw;
        LONG min, max;
        DWORD deadZone, saturation;
        LONG expected;
    } cases[] = {
        {0, -65536, 65536, 2500, 10000, 0},
        {32767, -65536, 65536, 2500, 10000, 65536},
        {-32768, -65536, 65536, 2500, 10000, -65536},
        {-32767, -65536, 65536, 2500, 10000, -65536},
        {8191, -65536, 65536, 2500, 10000, 0},      // 25 % of the travel: inside the dead zone
        {16384, -65536, 65536, 2500, 10000, 21847}, // half way: a third past the dead zone
        {-16384, -65536, 65536, 2500, 10000, -21847},
        {16384, -65536, 65536, 0, 10000, 32769},
        {16384, -65536, 65536, 0, 5000, 65536}, // saturated at half way
        {29491, -65536, 65536, 2500, 9000, 65536},
        {29490, -65536, 65536, 2500, 9000, 65535},
        {0, 0, 65535, 0, 10000, 32768}, // the default range: the centre rounds up
        {32767, 0, 65535, 0, 10000, 65535},
        {-32768, 0, 65535, 0, 10000, 0},
        {16384, -1000, 1000, 5000, 5000, 1000}, // saturation at the dead zone: a step
        {16383, -1000, 1000, 5000, 5000, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DIScaleAxis(c.raw, c.min, c.max, c.deadZone, c.saturation), c.expected)
            << c.raw << " in " << c.min << ".." << c.max << " dz " << c.deadZone << " sat " << c.saturation;
}

struct GameControllerFixture : DirectInputFixture {
    void SetUp() override
    {
        pad = std::make_unique<VirtualJoystick>(SDL_JOYSTICK_TYPE_GAMECONTROLLER, VirtualJoystick::kGcAxes,
                                                VirtualJoystick::kGcButtons, VirtualJoystick::kGcHats);
        ASSERT_TRUE(pad->Ok()) << SDL_GetError();
        DirectInputFixture::SetUp();
    }
    void TearDown() override
    {
        DirectInputFixture::TearDown();
        pad.reset();
    }
    IDirectInputDevice8A* CreateController()
    {
        const std::vector<DIDEVICEINSTANCEA> found = Enumerate(di, DI8DEVCLASS_GAMECTRL);
        EXPECT_EQ(found.size(), 1u);
        if (found.empty())
            return nullptr;
        return Create(found[0].guidInstance, &c_dfDIJoystick2, DISCL_EXCLUSIVE | DISCL_FOREGROUND);
    }
    DIJOYSTATE2 Read(IDirectInputDevice8A* device)
    {
        DIJOYSTATE2 state{};
        EXPECT_EQ(device->Poll(), DI_OK);
        EXPECT_EQ(device->GetDeviceState(sizeof(state), &state), DI_OK);
        return state;
    }

    std::unique_ptr<VirtualJoystick> pad;
};

TEST_F(GameControllerFixture, PresentsTheFixedPadLayout)
{
    const std::vector<DIDEVICEINSTANCEA> found = Enumerate(di, DI8DEVCLASS_GAMECTRL);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(GET_DIDEVICE_TYPE(found[0].dwDevType), DI8DEVTYPE_GAMEPAD);
    EXPECT_EQ(Enumerate(di, DI8DEVCLASS_ALL).size(), 3u);
    EXPECT_EQ(Enumerate(di, DI8DEVTYPE_GAMEPAD).size(), 1u);
    EXPECT_EQ(Enumerate(di, DI8DEVTYPE_JOYSTICK).size(), 0u);

    IDirectInputDevice8A* joy = CreateController();
    ASSERT_TRUE(joy);
    DIDEVCAPS caps{};
    caps.dwSize = sizeof(caps);
    ASSERT_EQ(joy->GetCapabilities(&caps), DI_OK);
    EXPECT_EQ(caps.dwAxes, 6u);
    EXPECT_EQ(caps.dwButtons, 12u);
    EXPECT_EQ(caps.dwPOVs, 1u);
    ASSERT_EQ(joy->Acquire(), DI_OK);

    // SDL's virtual button -> the DirectInput button it must appear as.
    const struct {
        int sdlButton;
        int diButton;
    } buttons[] = {{2, 0}, {0, 1}, {1, 2}, {3, 3}, {9, 6}, {10, 7}, {6, 8}, {4, 9}, {7, 10}, {8, 11}};
    for (const auto& b : buttons) {
        pad->SetButton(b.sdlButton, true);
        const DIJOYSTATE2 state = Read(joy);
        for (int i = 0; i < 128; ++i)
            EXPECT_EQ(state.rgbButtons[i], i == b.diButton ? 0x80 : 0) << "SDL " << b.sdlButton << " DI " << i;
        pad->SetButton(b.sdlButton, false);
    }

    // Triggers: axes 3 and 4 from rest (centre) to the top of the range, and buttons 4 and 5.
    pad->SetAxis(4, 32767);
    DIJOYSTATE2 state = Read(joy);
    EXPECT_EQ(state.lRx, 65535);
    EXPECT_EQ(state.lRy, 32768);
    EXPECT_EQ(state.rgbButtons[4], 0x80);
    EXPECT_EQ(state.rgbButtons[5], 0);
    pad->SetAxis(4, -32768);
    pad->SetAxis(5, 0); // half way
    state = Read(joy);
    EXPECT_EQ(state.rgbButtons[4], 0);
    EXPECT_EQ(state.rgbButtons[5], 0x80);
    pad->SetAxis(5, -32768);

    // Sticks: left on X/Y, right on Z/Rz.
    pad->SetAxis(0, 32767);
    pad->SetAxis(1, -32768);
    pad->SetAxis(2, -32768);
    pad->SetAxis(3, 32767);
    state = Read(joy);
    EXPECT_EQ(state.lX, 65535);
    EXPECT_EQ(state.lY, 0);
    EXPECT_EQ(state.lZ, 0);
    EXPECT_EQ(state.lRz, 65535);
    EXPECT_EQ(state.lRx, 32768);
}

TEST_F(GameControllerFixture, DpadIsHatZero)
{
    IDirectInputDevice8A* joy = CreateController();
    ASSERT_TRUE(joy);
    ASSERT_EQ(joy->Acquire(), DI_OK);
    // d-pad buttons of SDL's mapping: up 11, down 12, left 13, right 14.
    const struct {
        std::vector<int> held;
        DWORD pov;
    } cases[] = {
        {{}, 0xFFFFFFFFu}, {{11}, 0},         {{11, 14}, 4500}, {{14}, 9000},      {{12, 14}, 13500},
        {{12}, 18000},     {{12, 13}, 22500}, {{13}, 27000},    {{11, 13}, 31500}, {{11, 12}, 0xFFFFFFFFu},
    };
    for (const auto& c : cases) {
        for (int b : c.held)
            pad->SetButton(b, true);
        const DIJOYSTATE2 state = Read(joy);
        EXPECT_EQ(state.rgdwPOV[0], c.pov);
        EXPECT_EQ(state.rgdwPOV[1], 0xFFFFFFFFu);
        for (int b : c.held)
            pad->SetButton(b, false);
    }
}

TEST_F(GameControllerFixture, RangeAndDeadZoneProperties)
{
    IDirectInputDevice8A* joy = CreateController();
    ASSERT_TRUE(joy);

    std::vector<DIDEVICEOBJECTINSTANCEA> axes;
    auto collect = [](LPCDIDEVICEOBJECTINSTANCEA obj, LPVOID ref) -> BOOL {
        static_cast<std::vector<DIDEVICEOBJECTINSTANCEA>*>(ref)->push_back(*obj);
        return DIENUM_CONTINUE;
    };
    ASSERT_EQ(joy->EnumObjects(collect, &axes, DIDFT_AXIS), DI_OK);
    ASSERT_EQ(axes.size(), 6u);
    const GUID* types[] = {&GUID_XAxis, &GUID_YAxis, &GUID_ZAxis, &GUID_RxAxis, &GUID_RyAxis, &GUID_RzAxis};
    for (size_t i = 0; i < axes.size(); ++i) {
        EXPECT_EQ(axes[i].guidType, *types[i]);
        EXPECT_EQ(axes[i].dwOfs, i * 4);
        EXPECT_EQ(DIDFT_GETTYPE(axes[i].dwType), DWORD{DIDFT_ABSAXIS});
        DIPROPRANGE range = Range(DIPH_BYID, axes[i].dwType, -65536, 65536);
        EXPECT_EQ(joy->SetProperty(DIPROP_RANGE, &range.diph), DI_OK);
    }
    // X alone by offset: a narrower range.
    DIPROPRANGE narrow = Range(DIPH_BYOFFSET, DIJOFS_X, -100, 100);
    ASSERT_EQ(joy->SetProperty(DIPROP_RANGE, &narrow.diph), DI_OK);
    DIPROPDWORD deadZone = Dword(DIPH_DEVICE, 0, 2500);
    ASSERT_EQ(joy->SetProperty(DIPROP_DEADZONE, &deadZone.diph), DI_OK);

    ASSERT_EQ(joy->Acquire(), DI_OK);
    pad->SetAxis(0, 32767);
    pad->SetAxis(1, 8000); // inside the dead zone
    pad->SetAxis(2, -32768);
    pad->SetAxis(3, 16384);
    DIJOYSTATE2 state = Read(joy);
    EXPECT_EQ(state.lX, 100);
    EXPECT_EQ(state.lY, 0);
    EXPECT_EQ(state.lZ, -65536);
    EXPECT_EQ(state.lRz, 21847);
    EXPECT_EQ(state.lRx, 0);

    // Errors: properties are fixed while acquired, sizes and values are checked.
    DIPROPRANGE range = Range(DIPH_DEVICE, 0, -1, 1);
    EXPECT_EQ(joy->SetProperty(DIPROP_RANGE, &range.diph), DIERR_ACQUIRED);
    ASSERT_EQ(joy->Unacquire(), DI_OK);
    const struct {
        const GUID* prop;
        DIPROPRANGE range;
        HRESULT expected;
    } rangeCases[] = {
        {&DIPROP_RANGE, Range(DIPH_DEVICE, 0, 5, 5), DIERR_INVALIDPARAM},
        {&DIPROP_RANGE, Range(DIPH_DEVICE, 0, 5, -5), DIERR_INVALIDPARAM},
        {&DIPROP_RANGE, Range(DIPH_DEVICE, 3, -5, 5), DIERR_INVALIDPARAM},
        {&DIPROP_RANGE, Range(7, 0, -5, 5), DIERR_INVALIDPARAM},
        {&DIPROP_RANGE, Range(DIPH_BYOFFSET, 200, -5, 5), DIERR_OBJECTNOTFOUND},
        {&DIPROP_RANGE, Range(DIPH_BYOFFSET, DIJOFS_BUTTON(0), -5, 5), DIERR_UNSUPPORTED},
        {&DIPROP_RANGE, Range(DIPH_BYID, DIDFT_ABSAXIS | DIDFT_MAKEINSTANCE(9), -5, 5), DIERR_OBJECTNOTFOUND},
        {&DIPROP_DEADZONE, Range(DIPH_DEVICE, 0, -5, 5), DIERR_INVALIDPARAM},
    };
    for (const auto& c : rangeCases)
        EXPECT_EQ(joy->SetProperty(*c.prop, &c.range.diph), c.expected)
            << c.range.diph.dwHow << " " << c.range.diph.dwObj;
    DIPROPDWORD tooBig = Dword(DIPH_DEVICE, 0, 10001);
    EXPECT_EQ(joy->SetProperty(DIPROP_DEADZONE, &tooBig.diph), DIERR_INVALIDPARAM);
    EXPECT_EQ(joy->SetProperty(DIPROP_SATURATION, &tooBig.diph), DIERR_INVALIDPARAM);
    DIPROPDWORD badMode = Dword(DIPH_DEVICE, 0, 2);
    EXPECT_EQ(joy->SetProperty(DIPROP_AXISMODE, &badMode.diph), DIERR_INVALIDPARAM);
    DIPROPDWORD modeByObject = Dword(DIPH_BYOFFSET, DIJOFS_X, DIPROPAXISMODE_ABS);
    EXPECT_EQ(joy->SetProperty(DIPROP_AXISMODE, &modeByObject.diph), DIERR_INVALIDPARAM);
    EXPECT_EQ(joy->SetProperty(GUID_Key, &deadZone.diph), DIERR_UNSUPPORTED);
    EXPECT_EQ(joy->SetProperty(DIPROP_RANGE, nullptr), DIERR_INVALIDPARAM);
}

TEST_F(GameControllerFixture, ExclusiveAcquisitionHasOneOwner)
{
    IDirectInputDevice8A* first = CreateController();
    IDirectInputDevice8A* second = CreateController();
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->Acquire(), DI_OK);
    EXPECT_EQ(second->Acquire(), DIERR_OTHERAPPHASPRIO);
    EXPECT_EQ(first->Unacquire(), DI_OK);
    EXPECT_EQ(second->Acquire(), DI_OK);
    // Losing the focus ends the exclusive hold as well.
    FeedFocus(false);
    EXPECT_EQ(second->Poll(), DIERR_INPUTLOST);
    FeedFocus(true);
    EXPECT_EQ(first->Acquire(), DI_OK);
}

TEST(DInput8Joystick, OtherJoysticksAppearAsSdlReportsThem)
{
    VirtualJoystick stick(SDL_JOYSTICK_TYPE_UNKNOWN, 3, 4, 2);
    ASSERT_TRUE(stick.Ok()) << SDL_GetError();
    void* out = nullptr;
    ASSERT_EQ(DirectInput8Create(nullptr, DIRECTINPUT_VERSION, IID_IDirectInput8A, &out, nullptr), DI_OK);
    IDirectInput8A* di = static_cast<IDirectInput8A*>(out);
    FeedFocus(true);

    const std::vector<DIDEVICEINSTANCEA> found = Enumerate(di, DI8DEVCLASS_GAMECTRL);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(GET_DIDEVICE_TYPE(found[0].dwDevType), DI8DEVTYPE_JOYSTICK);
    IDirectInputDevice8A* joy = nullptr;
    ASSERT_EQ(di->CreateDevice(found[0].guidInstance, &joy, nullptr), DI_OK);
    ASSERT_EQ(joy->SetDataFormat(&c_dfDIJoystick2), DI_OK);
    DIDEVCAPS caps{};
    caps.dwSize = sizeof(caps);
    ASSERT_EQ(joy->GetCapabilities(&caps), DI_OK);
    EXPECT_EQ(caps.dwAxes, 3u);
    EXPECT_EQ(caps.dwButtons, 4u);
    EXPECT_EQ(caps.dwPOVs, 2u);
    ASSERT_EQ(joy->Acquire(), DI_OK);

    stick.SetAxis(2, 32767);
    stick.SetButton(3, true);
    stick.SetHat(1, SDL_HAT_LEFTDOWN);
    DIJOYSTATE2 state{};
    ASSERT_EQ(joy->GetDeviceState(sizeof(state), &state), DI_OK);
    EXPECT_EQ(state.lZ, 65535); // default range 0..65535
    EXPECT_EQ(state.lX, 32768);
    EXPECT_EQ(state.rgbButtons[3], 0x80);
    EXPECT_EQ(state.rgdwPOV[0], 0xFFFFFFFFu);
    EXPECT_EQ(state.rgdwPOV[1], 22500u);
    EXPECT_EQ(state.rgdwPOV[2], 0xFFFFFFFFu);
    joy->Release();
    di->Release();
}
