#include "Platform/DInput8/DInput8.h"
#include "Platform/DInput8/DirectInputDevice8.h"

#include <cstdio>
#include <cstring>

const GUID IID_IDirectInput8A = {0xBF798030, 0x483A, 0x4DA2, {0xAA, 0x99, 0x5D, 0x64, 0xED, 0x36, 0x97, 0x00}};
const GUID IID_IDirectInputDevice8A = {0x54D41080, 0xDC15, 0x4833, {0xA4, 0x1B, 0x74, 0x8F, 0x73, 0xA3, 0x81, 0x79}};
const GUID GUID_SysMouse = {0x6F1D2B60, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const GUID GUID_SysKeyboard = {0x6F1D2B61, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const GUID GUID_XAxis = {0xA36D02E0, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const GUID GUID_YAxis = {0xA36D02E1, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const GUID GUID_ZAxis = {0xA36D02E2, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const GUID GUID_RzAxis = {0xA36D02E3, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const GUID GUID_Slider = {0xA36D02E4, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const GUID GUID_Button = {0xA36D02F0, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const GUID GUID_POV = {0xA36D02F2, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const GUID GUID_RxAxis = {0xA36D02F4, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const GUID GUID_RyAxis = {0xA36D02F5, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const GUID GUID_Key = {0x55728220, 0xD33C, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

// The real API names its predefined properties by small numbers cast to GUID references; here
// each property is a GUID object of its own with that number in its first field.
const GUID DIPROP_AXISMODE = {2, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
const GUID DIPROP_RANGE = {4, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
const GUID DIPROP_DEADZONE = {5, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
const GUID DIPROP_SATURATION = {6, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

// The device reads its format's layout itself, so the predefined formats carry no object list.
const DIDATAFORMAT c_dfDIKeyboard = {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS, 256, 0, nullptr};
const DIDATAFORMAT c_dfDIMouse2 = {
    sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS, sizeof(DIMOUSESTATE2), 0, nullptr};
const DIDATAFORMAT c_dfDIJoystick2 = {
    sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_ABSAXIS, sizeof(DIJOYSTATE2), 0, nullptr};

namespace {

class DirectInput8 final : public IDirectInput8A {
  public:
    DirectInput8() { BackendInputStart(); }

    HRESULT QueryInterface(REFIID riid, void** ppvObject) override
    {
        if (!ppvObject)
            return E_POINTER;
        *ppvObject = nullptr;
        if (riid != IID_IDirectInput8A)
            return DIERR_NOINTERFACE;
        AddRef();
        *ppvObject = static_cast<IDirectInput8A*>(this);
        return DI_OK;
    }

    ULONG AddRef() override { return ++m_nRefs; }

    ULONG Release() override
    {
        const ULONG refs = --m_nRefs;
        if (refs == 0)
            delete this;
        return refs;
    }

    HRESULT CreateDevice(REFGUID rguid, LPDIRECTINPUTDEVICE8A* out, LPUNKNOWN pUnkOuter) override
    {
        if (!out)
            return DIERR_INVALIDPARAM;
        *out = nullptr;
        if (pUnkOuter)
            return DIERR_NOAGGREGATION;
        if (rguid == GUID_SysKeyboard) {
            *out = new DirectInputDevice8(DIDeviceKind::Keyboard, -1);
        } else if (rguid == GUID_SysMouse) {
            *out = new DirectInputDevice8(DIDeviceKind::Mouse, -1);
        } else {
            const int index = DIJoystickIndexFromGuid(rguid);
            if (index < 0)
                return DIERR_DEVICENOTREG;
            *out = new DirectInputDevice8(DIDeviceKind::Joystick, index);
        }
        return DI_OK;
    }

    HRESULT EnumDevices(DWORD dwDevType, LPDIENUMDEVICESCALLBACKA callback, LPVOID pvRef, DWORD dwFlags) override
    {
        if (!callback || (dwFlags & ~DWORD{DIEDFL_ATTACHEDONLY}) != 0)
            return DIERR_INVALIDPARAM;
        const bool isClass = dwDevType <= DI8DEVCLASS_GAMECTRL;
        if (!isClass && (dwDevType < DI8DEVTYPE_DEVICE || dwDevType > DI8DEVTYPE_1STPERSON))
            return DIERR_INVALIDPARAM;

        // Every device here is attached: the keyboard, the mouse, then the controllers in order.
        const int count = BackendInputJoystickCount();
        for (int i = -2; i < count; ++i) {
            DIDEVICEINSTANCEA inst{};
            inst.dwSize = sizeof(inst);
            BackendJoystickInfo info{};
            DWORD deviceClass;
            if (i == -2) {
                inst.guidInstance = inst.guidProduct = GUID_SysKeyboard;
                inst.dwDevType = DIDeviceType(DIDeviceKind::Keyboard, nullptr);
                std::snprintf(inst.tszInstanceName, sizeof(inst.tszInstanceName), "Keyboard");
                deviceClass = DI8DEVCLASS_KEYBOARD;
            } else if (i == -1) {
                inst.guidInstance = inst.guidProduct = GUID_SysMouse;
                inst.dwDevType = DIDeviceType(DIDeviceKind::Mouse, nullptr);
                std::snprintf(inst.tszInstanceName, sizeof(inst.tszInstanceName), "Mouse");
                deviceClass = DI8DEVCLASS_POINTER;
            } else {
                if (!BackendInputGetJoystickInfo(i, info))
                    continue;
                inst.guidInstance = DIJoystickInstanceGuid(i);
                // Product GUIDs of HID devices carry the vendor and product ids.
                inst.guidProduct = GUID{static_cast<uint32_t>(info.product) << 16 | info.vendor,
                                        0,
                                        0,
                                        {0, 0, 'P', 'I', 'D', 'V', 'I', 'D'}};
                inst.dwDevType = DIDeviceType(DIDeviceKind::Joystick, &info);
                std::snprintf(inst.tszInstanceName, sizeof(inst.tszInstanceName), "%s", info.name);
                deviceClass = DI8DEVCLASS_GAMECTRL;
            }
            std::memcpy(inst.tszProductName, inst.tszInstanceName, sizeof(inst.tszProductName));
            const bool wanted = isClass ? (dwDevType == DI8DEVCLASS_ALL || dwDevType == deviceClass)
                                        : GET_DIDEVICE_TYPE(inst.dwDevType) == dwDevType;
            if (wanted && callback(&inst, pvRef) == DIENUM_STOP)
                break;
        }
        return DI_OK;
    }

  private:
    ~DirectInput8() override { BackendInputStop(); }

    ULONG m_nRefs = 1;
};

} // namespace

HRESULT WINAPI DirectInput8Create(HINSTANCE, DWORD dwVersion, REFIID riidltf, LPVOID* ppvOut, LPUNKNOWN punkOuter)
{
    if (!ppvOut)
        return DIERR_INVALIDPARAM;
    *ppvOut = nullptr;
    if (punkOuter)
        return DIERR_NOAGGREGATION;
    if (dwVersion < DIRECTINPUT_VERSION)
        return DIERR_OLDDIRECTINPUTVERSION;
    if (dwVersion > DIRECTINPUT_VERSION)
        return DIERR_BETADIRECTINPUTVERSION;
    if (riidltf != IID_IDirectInput8A)
        return DIERR_NOINTERFACE;
    *ppvOut = static_cast<IDirectInput8A*>(new DirectInput8());
    return DI_OK;
}
