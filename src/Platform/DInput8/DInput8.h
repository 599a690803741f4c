// The DirectInput 8 stand-in: the system keyboard, the system mouse and the attached game
// controllers, read from the platform backend. Game code includes this header.
#pragma once

#include "Platform/DInput8/DInputTypes.h"

class IDirectInputDevice8A {
  public:
    virtual HRESULT QueryInterface(REFIID riid, void** ppvObject) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

    virtual HRESULT GetCapabilities(LPDIDEVCAPS lpDIDevCaps) = 0;
    virtual HRESULT EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA lpCallback, LPVOID pvRef, DWORD dwFlags) = 0;
    virtual HRESULT SetProperty(REFGUID rguidProp, LPCDIPROPHEADER pdiph) = 0;
    virtual HRESULT Acquire() = 0;
    virtual HRESULT Unacquire() = 0;
    virtual HRESULT GetDeviceState(DWORD cbData, LPVOID lpvData) = 0;
    virtual HRESULT SetDataFormat(LPCDIDATAFORMAT lpdf) = 0;
    virtual HRESULT SetCooperativeLevel(HWND hwnd, DWORD dwFlags) = 0;
    virtual HRESULT Poll() = 0;

  protected:
    virtual ~IDirectInputDevice8A() = default;
};
typedef IDirectInputDevice8A* LPDIRECTINPUTDEVICE8A;
typedef IDirectInputDevice8A* LPDIRECTINPUTDEVICE8;

class IDirectInput8A {
  public:
    virtual HRESULT QueryInterface(REFIID riid, void** ppvObject) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

    virtual HRESULT CreateDevice(REFGUID rguid, LPDIRECTINPUTDEVICE8A* lplpDirectInputDevice, LPUNKNOWN pUnkOuter) = 0;
    virtual HRESULT EnumDevices(DWORD dwDevType, LPDIENUMDEVICESCALLBACKA lpCallback, LPVOID pvRef, DWORD dwFlags) = 0;

  protected:
    virtual ~IDirectInput8A() = default;
};
typedef IDirectInput8A* LPDIRECTINPUT8A;
typedef IDirectInput8A* LPDIRECTINPUT8;

HRESULT WINAPI DirectInput8Create(HINSTANCE hinst, DWORD dwVersion, REFIID riidltf, LPVOID* ppvOut,
                                  LPUNKNOWN punkOuter);

extern const GUID IID_IDirectInput8A;
extern const GUID IID_IDirectInputDevice8A;
extern const GUID GUID_SysKeyboard;
extern const GUID GUID_SysMouse;
extern const GUID GUID_XAxis;
extern const GUID GUID_YAxis;
extern const GUID GUID_ZAxis;
extern const GUID GUID_RxAxis;
extern const GUID GUID_RyAxis;
extern const GUID GUID_RzAxis;
extern const GUID GUID_Slider;
extern const GUID GUID_Button;
extern const GUID GUID_Key;
extern const GUID GUID_POV;

// Properties are named by GUID; each has a GUID object of its own here.
extern const GUID DIPROP_AXISMODE;
extern const GUID DIPROP_RANGE;
extern const GUID DIPROP_DEADZONE;
extern const GUID DIPROP_SATURATION;

// The predefined data formats: 256 key bytes, the extended mouse state, the extended joystick state.
extern const DIDATAFORMAT c_dfDIKeyboard;
extern const DIDATAFORMAT c_dfDIMouse2;
extern const DIDATAFORMAT c_dfDIJoystick2;
