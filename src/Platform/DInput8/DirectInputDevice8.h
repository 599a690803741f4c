// The one device class behind IDirectInputDevice8A: the system keyboard, the system mouse or one
// game controller, read from the backend's state.
#pragma once

#include "Platform/Backend/Input.h"
#include "Platform/DInput8/DInput8.h"

#include <cstdint>
#include <vector>

enum class DIDeviceKind { Keyboard, Mouse, Joystick };

// The instance GUID of game controller `index`, and the index of an instance GUID (-1 if none).
GUID DIJoystickInstanceGuid(int index);
int DIJoystickIndexFromGuid(const GUID& guid);
// The device type word of each kind of device.
DWORD DIDeviceType(DIDeviceKind kind, const BackendJoystickInfo* info);

class DirectInputDevice8 final : public IDirectInputDevice8A {
  public:
    DirectInputDevice8(DIDeviceKind kind, int joystickIndex);

    HRESULT QueryInterface(REFIID riid, void** ppvObject) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT GetCapabilities(LPDIDEVCAPS lpDIDevCaps) override;
    HRESULT EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA lpCallback, LPVOID pvRef, DWORD dwFlags) override;
    HRESULT SetProperty(REFGUID rguidProp, LPCDIPROPHEADER pdiph) override;
    HRESULT Acquire() override;
    HRESULT Unacquire() override;
    HRESULT GetDeviceState(DWORD cbData, LPVOID lpvData) override;
    HRESULT SetDataFormat(LPCDIDATAFORMAT lpdf) override;
    HRESULT SetCooperativeLevel(HWND hwnd, DWORD dwFlags) override;
    HRESULT Poll() override;

  private:
    ~DirectInputDevice8() override;

    // What DIPROP_RANGE, DIPROP_DEADZONE and DIPROP_SATURATION set for one axis.
    struct AxisSettings {
        LONG min = 0;
        LONG max = 65535;
        DWORD deadZone = 0;
        DWORD saturation = 10000;
    };

    void BuildObjects();
    const DIDEVICEOBJECTINSTANCEA* FindObject(const DIPROPHEADER& header) const;
    const DIDATAFORMAT* OwnFormat() const;
    bool LostFocus() const;
    void ReleaseExclusive();
    void ReadKeyboard(BYTE* out) const;
    void ReadMouse(DIMOUSESTATE2& out);
    void ReadJoystick(DIJOYSTATE2& out) const;

    ULONG m_nRefs = 1;
    DIDeviceKind m_eKind;
    int m_nJoystick;
    BackendJoystickInfo m_Info{};
    std::vector<DIDEVICEOBJECTINSTANCEA> m_Objects;
    const DIDATAFORMAT* m_pFormat = nullptr;
    HWND m_hWnd = nullptr;
    DWORD m_dwCoopFlags = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;
    bool m_bAcquired = false;
    uint32_t m_nFocusLossesAtAcquire = 0;
    bool m_bRelativeAxes = false;
    AxisSettings m_Axes[kBackendJoystickAxes];
    int64_t m_MouseBase[3] = {};
};

// Scales a backend axis reading (-32768..32767, 0 at rest) into an axis's range, with its dead
// zone and saturation in hundredths of a percent of the travel from the centre.
LONG DIScaleAxis(int32_t raw, LONG min, LONG max, DWORD deadZone, DWORD saturation);
