#include "Platform/DInput8/DirectInputDevice8.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>

namespace {

// Joystick axis slots: offset in DIJOYSTATE2 and object type GUID.
struct AxisSlot {
    DWORD offset;
    const GUID* guid;
    const char* name;
};
const AxisSlot kJoystickAxisSlots[kBackendJoystickAxes] = {
    {DIJOFS_X, &GUID_XAxis, "X Axis"},          {DIJOFS_Y, &GUID_YAxis, "Y Axis"},
    {DIJOFS_Z, &GUID_ZAxis, "Z Axis"},          {DIJOFS_RX, &GUID_RxAxis, "X Rotation"},
    {DIJOFS_RY, &GUID_RyAxis, "Y Rotation"},    {DIJOFS_RZ, &GUID_RzAxis, "Z Rotation"},
    {DIJOFS_SLIDER(0), &GUID_Slider, "Slider"}, {DIJOFS_SLIDER(1), &GUID_Slider, "Slider"},
};

// Which device holds each game controller in exclusive mode.
std::map<int, const DirectInputDevice8*> g_ExclusiveOwners;

DIDEVICEOBJECTINSTANCEA MakeObject(const GUID& type, DWORD offset, DWORD kind, DWORD instance, const char* name)
{
    DIDEVICEOBJECTINSTANCEA obj{};
    obj.dwSize = sizeof(obj);
    obj.guidType = type;
    obj.dwOfs = offset;
    obj.dwType = kind | DIDFT_MAKEINSTANCE(instance);
    std::snprintf(obj.tszName, sizeof(obj.tszName), "%s", name);
    return obj;
}

bool IsAxis(const DIDEVICEOBJECTINSTANCEA& obj)
{
    return (obj.dwType & DIDFT_AXIS) != 0;
}

} // namespace

GUID DIJoystickInstanceGuid(int index)
{
    return GUID{0x3F8A5C00u + static_cast<uint32_t>(index), 0x7E21, 0x11EF, {'Q', 'M', 'J', 'O', 'Y', 'S', 'T', 'K'}};
}

int DIJoystickIndexFromGuid(const GUID& guid)
{
    const int index = static_cast<int>(guid.Data1 - 0x3F8A5C00u);
    if (index < 0 || index >= BackendInputJoystickCount() || DIJoystickInstanceGuid(index) != guid)
        return -1;
    return index;
}

DWORD DIDeviceType(DIDeviceKind kind, const BackendJoystickInfo* info)
{
    switch (kind) {
    case DIDeviceKind::Keyboard: return DI8DEVTYPE_KEYBOARD | (DI8DEVTYPEKEYBOARD_PCENH << 8);
    case DIDeviceKind::Mouse: return DI8DEVTYPE_MOUSE | (DI8DEVTYPEMOUSE_TRADITIONAL << 8);
    case DIDeviceKind::Joystick:
        if (info && info->isGameController)
            return DI8DEVTYPE_GAMEPAD | (DI8DEVTYPEGAMEPAD_STANDARD << 8) | DIDEVTYPE_HID;
        return DI8DEVTYPE_JOYSTICK | (DI8DEVTYPEJOYSTICK_STANDARD << 8) | DIDEVTYPE_HID;
    }
    return 0;
}

LONG DIScaleAxis(int32_t raw, LONG min, LONG max, DWORD deadZone, DWORD saturation)
{
    const double position = std::clamp(static_cast<double>(raw) / 32767.0, -1.0, 1.0);
    const double magnitude = std::fabs(position) * 10000.0;
    double travel;
    if (magnitude <= deadZone)
        travel = 0.0;
    else if (magnitude >= saturation)
        travel = 1.0;
    else
        travel = (magnitude - deadZone) / (static_cast<double>(saturation) - deadZone);
    const double half = (static_cast<double>(max) - static_cast<double>(min)) / 2.0;
    const double centre = static_cast<double>(min) + half;
    const double value = centre + std::copysign(travel, position) * half;
    return static_cast<LONG>(std::llround(std::clamp(value, static_cast<double>(min), static_cast<double>(max))));
}

DirectInputDevice8::DirectInputDevice8(DIDeviceKind kind, int joystickIndex) : m_eKind(kind), m_nJoystick(joystickIndex)
{
    BackendInputStart();
    if (kind == DIDeviceKind::Joystick)
        BackendInputGetJoystickInfo(joystickIndex, m_Info);
    BuildObjects();
}

DirectInputDevice8::~DirectInputDevice8()
{
    ReleaseExclusive();
    BackendInputStop();
}

void DirectInputDevice8::BuildObjects()
{
    char name[64];
    switch (m_eKind) {
    case DIDeviceKind::Keyboard: {
        bool seen[256] = {};
        for (int scancode = 0; scancode < 512; ++scancode) {
            const uint8_t dik = BackendScancodeToDik(scancode);
            if (dik != 0)
                seen[dik] = true;
        }
        for (int dik = 1; dik < 256; ++dik) {
            if (!seen[dik])
                continue;
            std::snprintf(name, sizeof(name), "Key 0x%02X", dik);
            m_Objects.push_back(MakeObject(GUID_Key, dik, DIDFT_PSHBUTTON, dik, name));
        }
        break;
    }
    case DIDeviceKind::Mouse:
        m_Objects.push_back(MakeObject(GUID_XAxis, DIMOFS_X, DIDFT_RELAXIS, 0, "X Axis"));
        m_Objects.push_back(MakeObject(GUID_YAxis, DIMOFS_Y, DIDFT_RELAXIS, 1, "Y Axis"));
        m_Objects.push_back(MakeObject(GUID_ZAxis, DIMOFS_Z, DIDFT_RELAXIS, 2, "Wheel"));
        for (int i = 0; i < 5; ++i) {
            std::snprintf(name, sizeof(name), "Button %d", i);
            m_Objects.push_back(MakeObject(GUID_Button, DIMOFS_BUTTON0 + i, DIDFT_PSHBUTTON, i, name));
        }
        break;
    case DIDeviceKind::Joystick:
        for (int i = 0; i < m_Info.axisCount; ++i) {
            const AxisSlot& slot = kJoystickAxisSlots[i];
            m_Objects.push_back(MakeObject(*slot.guid, slot.offset, DIDFT_ABSAXIS, i, slot.name));
        }
        for (int i = 0; i < m_Info.hatCount; ++i) {
            std::snprintf(name, sizeof(name), "Hat Switch %d", i);
            m_Objects.push_back(MakeObject(GUID_POV, DIJOFS_POV(i), DIDFT_POV, i, name));
        }
        for (int i = 0; i < m_Info.buttonCount; ++i) {
            std::snprintf(name, sizeof(name), "Button %d", i);
            m_Objects.push_back(MakeObject(GUID_Button, DIJOFS_BUTTON(i), DIDFT_PSHBUTTON, i, name));
        }
        break;
    }
}

HRESULT DirectInputDevice8::QueryInterface(REFIID riid, void** ppvObject)
{
    if (!ppvObject)
        return E_POINTER;
    *ppvObject = nullptr;
    if (riid != IID_IDirectInputDevice8A)
        return DIERR_NOINTERFACE;
    AddRef();
    *ppvObject = static_cast<IDirectInputDevice8A*>(this);
    return DI_OK;
}

ULONG DirectInputDevice8::AddRef()
{
    return ++m_nRefs;
}

ULONG DirectInputDevice8::Release()
{
    const ULONG refs = --m_nRefs;
    if (refs == 0)
        delete this;
    return refs;
}

HRESULT DirectInputDevice8::GetCapabilities(LPDIDEVCAPS caps)
{
    if (!caps || caps->dwSize != sizeof(DIDEVCAPS))
        return DIERR_INVALIDPARAM;
    std::memset(caps, 0, sizeof(DIDEVCAPS));
    caps->dwSize = sizeof(DIDEVCAPS);
    caps->dwFlags = DIDC_ATTACHED | (m_eKind == DIDeviceKind::Joystick ? DIDC_POLLEDDEVICE : 0);
    caps->dwDevType = DIDeviceType(m_eKind, &m_Info);
    for (const DIDEVICEOBJECTINSTANCEA& obj : m_Objects) {
        if (IsAxis(obj))
            ++caps->dwAxes;
        else if (obj.dwType & DIDFT_BUTTON)
            ++caps->dwButtons;
        else if (obj.dwType & DIDFT_POV)
            ++caps->dwPOVs;
    }
    return DI_OK;
}

HRESULT DirectInputDevice8::EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA callback, LPVOID pvRef, DWORD dwFlags)
{
    if (!callback)
        return DIERR_INVALIDPARAM;
    const DWORD kinds = DIDFT_GETTYPE(dwFlags);
    for (const DIDEVICEOBJECTINSTANCEA& obj : m_Objects) {
        if (kinds != 0 && (obj.dwType & kinds) == 0)
            continue;
        if (callback(&obj, pvRef) == DIENUM_STOP)
            break;
    }
    return DI_OK;
}

const DIDEVICEOBJECTINSTANCEA* DirectInputDevice8::FindObject(const DIPROPHEADER& header) const
{
    for (const DIDEVICEOBJECTINSTANCEA& obj : m_Objects) {
        if (header.dwHow == DIPH_BYOFFSET && obj.dwOfs == header.dwObj)
            return &obj;
        if (header.dwHow == DIPH_BYID && DIDFT_GETINSTANCE(obj.dwType) == DIDFT_GETINSTANCE(header.dwObj) &&
            (DIDFT_GETTYPE(obj.dwType) & DIDFT_GETTYPE(header.dwObj)) != 0)
            return &obj;
    }
    return nullptr;
}

HRESULT DirectInputDevice8::SetProperty(REFGUID rguidProp, LPCDIPROPHEADER pdiph)
{
    if (!pdiph || pdiph->dwHeaderSize != sizeof(DIPROPHEADER))
        return DIERR_INVALIDPARAM;
    if (m_bAcquired)
        return DIERR_ACQUIRED;

    if (rguidProp == DIPROP_AXISMODE) {
        if (pdiph->dwSize != sizeof(DIPROPDWORD) || pdiph->dwHow != DIPH_DEVICE || pdiph->dwObj != 0)
            return DIERR_INVALIDPARAM;
        const DWORD mode = reinterpret_cast<const DIPROPDWORD*>(pdiph)->dwData;
        if (mode != DIPROPAXISMODE_ABS && mode != DIPROPAXISMODE_REL)
            return DIERR_INVALIDPARAM;
        if (m_eKind == DIDeviceKind::Keyboard)
            return DIERR_UNSUPPORTED;
        m_bRelativeAxes = mode == DIPROPAXISMODE_REL;
        return DI_OK;
    }

    const bool isRange = rguidProp == DIPROP_RANGE;
    if (!isRange && rguidProp != DIPROP_DEADZONE && rguidProp != DIPROP_SATURATION)
        return DIERR_UNSUPPORTED;
    if (pdiph->dwSize != (isRange ? sizeof(DIPROPRANGE) : sizeof(DIPROPDWORD)))
        return DIERR_INVALIDPARAM;
    if (m_eKind != DIDeviceKind::Joystick)
        return DIERR_UNSUPPORTED;

    // The axes the property applies to: all of them, or the one the header names.
    int first = 0;
    int last = m_Info.axisCount - 1;
    if (pdiph->dwHow == DIPH_DEVICE) {
        if (pdiph->dwObj != 0)
            return DIERR_INVALIDPARAM;
    } else if (pdiph->dwHow == DIPH_BYID || pdiph->dwHow == DIPH_BYOFFSET) {
        const DIDEVICEOBJECTINSTANCEA* obj = FindObject(*pdiph);
        if (!obj)
            return DIERR_OBJECTNOTFOUND;
        if (!IsAxis(*obj))
            return DIERR_UNSUPPORTED;
        first = last = static_cast<int>(DIDFT_GETINSTANCE(obj->dwType));
    } else {
        return DIERR_INVALIDPARAM;
    }

    if (isRange) {
        const DIPROPRANGE* range = reinterpret_cast<const DIPROPRANGE*>(pdiph);
        if (range->lMin >= range->lMax)
            return DIERR_INVALIDPARAM;
        for (int i = first; i <= last; ++i) {
            m_Axes[i].min = range->lMin;
            m_Axes[i].max = range->lMax;
        }
    } else {
        const DWORD value = reinterpret_cast<const DIPROPDWORD*>(pdiph)->dwData;
        if (value > 10000)
            return DIERR_INVALIDPARAM;
        for (int i = first; i <= last; ++i)
            (rguidProp == DIPROP_DEADZONE ? m_Axes[i].deadZone : m_Axes[i].saturation) = value;
    }
    return DI_OK;
}

bool DirectInputDevice8::LostFocus() const
{
    if (!(m_dwCoopFlags & DISCL_FOREGROUND))
        return false;
    return !BackendInputHasFocus() || BackendInputFocusLossCount() != m_nFocusLossesAtAcquire;
}

void DirectInputDevice8::ReleaseExclusive()
{
    auto it = g_ExclusiveOwners.find(m_nJoystick);
    if (m_eKind == DIDeviceKind::Joystick && it != g_ExclusiveOwners.end() && it->second == this)
        g_ExclusiveOwners.erase(it);
}

HRESULT DirectInputDevice8::Acquire()
{
    if (!m_pFormat)
        return DIERR_INVALIDPARAM;
    if (m_bAcquired && !LostFocus())
        return DI_NOEFFECT;
    m_bAcquired = false;
    ReleaseExclusive();
    if ((m_dwCoopFlags & DISCL_FOREGROUND) && !BackendInputHasFocus())
        return DIERR_OTHERAPPHASPRIO;
    if (m_eKind == DIDeviceKind::Joystick && (m_dwCoopFlags & DISCL_EXCLUSIVE)) {
        if (g_ExclusiveOwners.count(m_nJoystick))
            return DIERR_OTHERAPPHASPRIO;
        g_ExclusiveOwners[m_nJoystick] = this;
    }
    m_bAcquired = true;
    m_nFocusLossesAtAcquire = BackendInputFocusLossCount();
    if (m_eKind == DIDeviceKind::Mouse) {
        // Motion made while the device was not acquired is not reported.
        uint8_t buttons[kBackendMouseButtons];
        BackendInputGetMouse(m_MouseBase, buttons);
    }
    return DI_OK;
}

HRESULT DirectInputDevice8::Unacquire()
{
    if (!m_bAcquired)
        return DI_NOEFFECT;
    m_bAcquired = false;
    ReleaseExclusive();
    return DI_OK;
}

void DirectInputDevice8::ReadKeyboard(BYTE* out) const
{
    BackendInputGetKeys(out);
}

void DirectInputDevice8::ReadMouse(DIMOUSESTATE2& out)
{
    int64_t totals[3];
    BackendInputGetMouse(totals, out.rgbButtons);
    LONG* axes[3] = {&out.lX, &out.lY, &out.lZ};
    for (int i = 0; i < 3; ++i) {
        const int64_t value = m_bRelativeAxes ? totals[i] - m_MouseBase[i] : totals[i];
        *axes[i] = static_cast<LONG>(static_cast<uint32_t>(value));
        if (m_bRelativeAxes)
            m_MouseBase[i] = totals[i];
    }
}

void DirectInputDevice8::ReadJoystick(DIJOYSTATE2& out) const
{
    std::memset(&out, 0, sizeof(out));
    BackendJoystickState state;
    if (!BackendInputReadJoystick(m_nJoystick, state)) {
        std::fill(std::begin(out.rgdwPOV), std::end(out.rgdwPOV), kBackendHatCentred);
        return;
    }
    LONG* axes[kBackendJoystickAxes] = {&out.lX,  &out.lY,  &out.lZ,           &out.lRx,
                                        &out.lRy, &out.lRz, &out.rglSlider[0], &out.rglSlider[1]};
    for (int i = 0; i < m_Info.axisCount; ++i) {
        const AxisSettings& a = m_Axes[i];
        *axes[i] = DIScaleAxis(state.axes[i], a.min, a.max, a.deadZone, a.saturation);
    }
    for (int i = 0; i < kBackendJoystickHats; ++i)
        out.rgdwPOV[i] = i < m_Info.hatCount ? state.hats[i] : kBackendHatCentred;
    std::memcpy(out.rgbButtons, state.buttons, sizeof(out.rgbButtons));
}

HRESULT DirectInputDevice8::GetDeviceState(DWORD cbData, LPVOID lpvData)
{
    if (!m_bAcquired)
        return DIERR_NOTACQUIRED;
    if (LostFocus()) {
        // A foreground device loses its acquisition with the focus.
        m_bAcquired = false;
        ReleaseExclusive();
        return DIERR_INPUTLOST;
    }
    if (!lpvData || cbData != m_pFormat->dwDataSize)
        return DIERR_INVALIDPARAM;
    switch (m_eKind) {
    case DIDeviceKind::Keyboard: ReadKeyboard(static_cast<BYTE*>(lpvData)); break;
    case DIDeviceKind::Mouse: ReadMouse(*static_cast<DIMOUSESTATE2*>(lpvData)); break;
    case DIDeviceKind::Joystick: ReadJoystick(*static_cast<DIJOYSTATE2*>(lpvData)); break;
    }
    return DI_OK;
}

const DIDATAFORMAT* DirectInputDevice8::OwnFormat() const
{
    switch (m_eKind) {
    case DIDeviceKind::Keyboard: return &c_dfDIKeyboard;
    case DIDeviceKind::Mouse: return &c_dfDIMouse2;
    case DIDeviceKind::Joystick: return &c_dfDIJoystick2;
    }
    return nullptr;
}

HRESULT DirectInputDevice8::SetDataFormat(LPCDIDATAFORMAT lpdf)
{
    if (m_bAcquired)
        return DIERR_ACQUIRED;
    // Only the predefined format of the device's own kind is supported.
    if (!lpdf || lpdf != OwnFormat())
        return DIERR_INVALIDPARAM;
    m_pFormat = lpdf;
    m_bRelativeAxes = (lpdf->dwFlags & DIDF_RELAXIS) != 0;
    return DI_OK;
}

HRESULT DirectInputDevice8::SetCooperativeLevel(HWND hwnd, DWORD dwFlags)
{
    if (!hwnd)
        return E_HANDLE;
    const DWORD known = DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_FOREGROUND | DISCL_BACKGROUND | DISCL_NOWINKEY;
    const bool oneShare = ((dwFlags & DISCL_EXCLUSIVE) != 0) != ((dwFlags & DISCL_NONEXCLUSIVE) != 0);
    const bool oneScope = ((dwFlags & DISCL_FOREGROUND) != 0) != ((dwFlags & DISCL_BACKGROUND) != 0);
    if ((dwFlags & ~known) != 0 || !oneShare || !oneScope)
        return DIERR_INVALIDPARAM;
    if (m_eKind != DIDeviceKind::Joystick && (dwFlags & DISCL_EXCLUSIVE) && (dwFlags & DISCL_BACKGROUND))
        return DIERR_UNSUPPORTED;
    m_hWnd = hwnd;
    m_dwCoopFlags = dwFlags;
    return DI_OK;
}

HRESULT DirectInputDevice8::Poll()
{
    if (!m_bAcquired)
        return DIERR_NOTACQUIRED;
    if (LostFocus()) {
        m_bAcquired = false;
        ReleaseExclusive();
        return DIERR_INPUTLOST;
    }
    return m_eKind == DIDeviceKind::Joystick ? DI_OK : DI_NOEFFECT;
}
