// The Direct3D object: adapters are the SDL displays; devices run on OpenGL.
#include "Platform/Backend/GLContext.h"
#include "Platform/Backend/PlatformLog.h"
#include "Platform/D3D9/D3D9Device.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace {

class Direct3D9Impl : public ComObject<IDirect3D9> {
  public:
    UINT GetAdapterCount() override { return static_cast<UINT>(BackendGetDisplayCount()); }

    HRESULT GetAdapterIdentifier(UINT Adapter, DWORD, D3DADAPTER_IDENTIFIER9* pIdentifier) override
    {
        if (Adapter >= GetAdapterCount() || !pIdentifier)
            return D3DERR_INVALIDCALL;
        std::memset(pIdentifier, 0, sizeof(*pIdentifier));
        std::snprintf(pIdentifier->Driver, sizeof(pIdentifier->Driver), "opengl");
        std::snprintf(pIdentifier->Description, sizeof(pIdentifier->Description), "OpenGL 3.3 display %u", Adapter);
        std::snprintf(pIdentifier->DeviceName, sizeof(pIdentifier->DeviceName), "\\\\.\\DISPLAY%u", Adapter + 1);
        return D3D_OK;
    }

    UINT GetAdapterModeCount(UINT Adapter, D3DFORMAT Format) override
    {
        if (Adapter >= GetAdapterCount() || Format != D3DFMT_X8R8G8B8)
            return 0;
        return static_cast<UINT>(BackendGetDisplayModeCount(static_cast<int>(Adapter)));
    }

    HRESULT EnumAdapterModes(UINT Adapter, D3DFORMAT Format, UINT Mode, D3DDISPLAYMODE* pMode) override
    {
        BackendDisplayMode m;
        if (!pMode || Format != D3DFMT_X8R8G8B8 || Mode >= GetAdapterModeCount(Adapter, Format) ||
            !BackendGetDisplayMode(static_cast<int>(Adapter), static_cast<int>(Mode), &m))
            return D3DERR_INVALIDCALL;
        *pMode = {static_cast<UINT>(m.width), static_cast<UINT>(m.height), static_cast<UINT>(m.refreshRate),
                  D3DFMT_X8R8G8B8};
        return D3D_OK;
    }

    HRESULT GetAdapterDisplayMode(UINT Adapter, D3DDISPLAYMODE* pMode) override
    {
        BackendDisplayMode m;
        if (!pMode || Adapter >= GetAdapterCount() || !BackendGetDesktopMode(static_cast<int>(Adapter), &m))
            return D3DERR_INVALIDCALL;
        *pMode = {static_cast<UINT>(m.width), static_cast<UINT>(m.height), static_cast<UINT>(m.refreshRate),
                  D3DFMT_X8R8G8B8};
        return D3D_OK;
    }

    HRESULT CheckDeviceType(UINT Adapter, D3DDEVTYPE DevType, D3DFORMAT AdapterFormat, D3DFORMAT BackBufferFormat,
                            BOOL) override
    {
        if (Adapter >= GetAdapterCount() || DevType != D3DDEVTYPE_HAL || AdapterFormat != D3DFMT_X8R8G8B8 ||
            (BackBufferFormat != D3DFMT_X8R8G8B8 && BackBufferFormat != D3DFMT_A8R8G8B8))
            return D3DERR_NOTAVAILABLE;
        return D3D_OK;
    }

    HRESULT GetDeviceCaps(UINT Adapter, D3DDEVTYPE DeviceType, D3DCAPS9* pCaps) override
    {
        if (Adapter >= GetAdapterCount() || !pCaps)
            return D3DERR_INVALIDCALL;
        if (DeviceType != D3DDEVTYPE_HAL)
            return D3DERR_NOTAVAILABLE;
        *pCaps = D3DCAPS9{};
        pCaps->DeviceType = D3DDEVTYPE_HAL;
        pCaps->AdapterOrdinal = Adapter;
        pCaps->DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT;
        pCaps->TextureCaps = D3DPTEXTURECAPS_NONPOW2CONDITIONAL;
        pCaps->MaxTextureWidth = pCaps->MaxTextureHeight = 8192;
        pCaps->MaxStreams = 16;
        pCaps->VertexShaderVersion = D3DVS_VERSION(2, 0);
        pCaps->MaxVertexShaderConst = 256;
        pCaps->PixelShaderVersion = D3DPS_VERSION(2, 0);
        pCaps->NumSimultaneousRTs = 1;
        return D3D_OK;
    }

    HRESULT CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow, DWORD,
                         D3DPRESENT_PARAMETERS* pPresentationParameters,
                         IDirect3DDevice9** ppReturnedDeviceInterface) override
    {
        if (!ppReturnedDeviceInterface || !pPresentationParameters)
            return D3DERR_INVALIDCALL;
        *ppReturnedDeviceInterface = nullptr;
        // There is no reference rasteriser: only the hardware device type exists.
        if (Adapter >= GetAdapterCount() || DeviceType != D3DDEVTYPE_HAL)
            return D3DERR_NOTAVAILABLE;
        HWND window = pPresentationParameters->hDeviceWindow ? pPresentationParameters->hDeviceWindow : hFocusWindow;
        return CreateD3D9Device(window, pPresentationParameters, ppReturnedDeviceInterface);
    }
};

} // namespace

IDirect3D9* Direct3DCreate9(UINT SDKVersion)
{
    if (SDKVersion != D3D_SDK_VERSION)
        return nullptr;
    if (BackendGetDisplayCount() == 0) {
        PLATFORM_LOG_ERROR << "Direct3D: no display adapter";
        return nullptr;
    }
    return new (std::nothrow) Direct3D9Impl();
}
