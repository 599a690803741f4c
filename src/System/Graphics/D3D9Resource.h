// The registry side of every Direct3D object wrapper: registered with the render system for
// its whole life, it releases its device object when the device is lost and re-creates it
// after the reset.
#pragma once

#include "Platform/D3D9/D3D9.h"

class D3D9Resource {
  public:
    D3D9Resource();
    virtual ~D3D9Resource();
    D3D9Resource(const D3D9Resource&) = delete;
    D3D9Resource& operator=(const D3D9Resource&) = delete;

    virtual void ReservedNotifyA() {}
    virtual void ReservedNotifyB() {}
    // Called with the registry locked: must not create or delete resources.
    virtual void OnDeviceLost(IDirect3DDevice9*) {}
    virtual void OnDeviceReset(IDirect3DDevice9*) {}
};
