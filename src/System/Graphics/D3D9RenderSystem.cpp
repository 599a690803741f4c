#include "System/Graphics/D3D9RenderSystem.h"

#include "Platform/D3DX/D3DX9.h"
#include "System/Common/Log.h"
#include "System/Graphics/D3D9Resource.h"
#include "System/Graphics/D3D9ShaderProgram.h"
#include "System/Graphics/D3D9Texture.h"
#include "System/Graphics/D3D9VertexBuffer.h"
#include "System/Graphics/D3D9VertexDeclaration.h"
#include "System/Graphics/RenderWindow.h"

#include <algorithm>

D3D9RenderSystem* g_pD3D9RenderSystem = nullptr;

IDirect3DDevice9* GetD3DDevice()
{
    return g_pD3D9RenderSystem ? g_pD3D9RenderSystem->GetDevice() : nullptr;
}

// ---------------------------------------------------------------------------------------------
// Display modes and viewport

void BuildDisplayModeList(IDirect3D9* d3d, UINT ordinal, std::vector<DisplayMode>& modes)
{
    const UINT count = d3d->GetAdapterModeCount(ordinal, D3DFMT_X8R8G8B8);
    for (UINT i = 0; i < count; ++i) {
        D3DDISPLAYMODE m;
        if (FAILED(d3d->EnumAdapterModes(ordinal, D3DFMT_X8R8G8B8, i, &m)))
            continue;
        if (m.Width <= 639 || m.Height <= 479)
            continue;
        auto same = std::find_if(modes.begin(), modes.end(), [&](const DisplayMode& d) {
            return d.Width == m.Width && d.Height == m.Height && d.Format == m.Format;
        });
        if (same != modes.end())
            same->RefreshRate = std::max(same->RefreshRate, m.RefreshRate);
        else
            modes.push_back({m.Width, m.Height, m.RefreshRate, m.Format});
    }
}

D3DVIEWPORT9 FullScreenViewport(UINT desktopWidth, UINT desktopHeight)
{
    const float w = static_cast<float>(desktopWidth), h = static_cast<float>(desktopHeight);
    float width, height;
    if (static_cast<uint64_t>(desktopWidth) * 9 > static_cast<uint64_t>(desktopHeight) * 16) {
        // Wider than 16:9: full height, bars at the sides.
        width = h * 1.7777778f;
        height = width * 0.5625f;
    } else {
        width = w;
        height = w * 0.5625f;
    }
    width = std::min(width, w);
    height = std::min(height, h);
    D3DVIEWPORT9 vp;
    vp.X = static_cast<DWORD>((w - width) * 0.5f);
    vp.Y = static_cast<DWORD>((h - height) * 0.5f);
    vp.Width = static_cast<DWORD>(width);
    vp.Height = static_cast<DWORD>(height);
    vp.MinZ = 0.0f;
    vp.MaxZ = 1.0f;
    return vp;
}

// ---------------------------------------------------------------------------------------------
// Resource registry

D3D9ResourceList::D3D9ResourceList() : m_pLock(new CRITICAL_SECTION)
{
    InitializeCriticalSectionAndSpinCount(m_pLock, 2000);
}

D3D9ResourceList::~D3D9ResourceList()
{
    DeleteCriticalSection(m_pLock);
    delete m_pLock;
}

void D3D9ResourceList::Add(D3D9Resource* resource)
{
    EnterCriticalSection(m_pLock);
    m_Resources.push_back(resource);
    LeaveCriticalSection(m_pLock);
}

void D3D9ResourceList::Remove(D3D9Resource* resource)
{
    EnterCriticalSection(m_pLock);
    auto it = std::find(m_Resources.begin(), m_Resources.end(), resource);
    if (it != m_Resources.end())
        m_Resources.erase(it);
    LeaveCriticalSection(m_pLock);
}

void D3D9ResourceList::NotifyLost(IDirect3DDevice9* device)
{
    EnterCriticalSection(m_pLock);
    for (D3D9Resource* r : m_Resources)
        r->OnDeviceLost(device);
    LeaveCriticalSection(m_pLock);
}

void D3D9ResourceList::NotifyReset(IDirect3DDevice9* device)
{
    EnterCriticalSection(m_pLock);
    for (D3D9Resource* r : m_Resources)
        r->OnDeviceReset(device);
    LeaveCriticalSection(m_pLock);
}

size_t D3D9ResourceList::Count()
{
    EnterCriticalSection(m_pLock);
    size_t n = m_Resources.size();
    LeaveCriticalSection(m_pLock);
    return n;
}

// ---------------------------------------------------------------------------------------------
// Render system

D3D9RenderSystem::D3D9RenderSystem()
{
    g_pD3D9RenderSystem = this;
    g_pRenderSystem = this;
}

D3D9RenderSystem::~D3D9RenderSystem()
{
    Shutdown();
    if (g_pD3D9RenderSystem == this)
        g_pD3D9RenderSystem = nullptr;
    if (g_pRenderSystem == this)
        g_pRenderSystem = nullptr;
}

bool D3D9RenderSystem::Init(RenderWindow* window)
{
    m_pD3D = Direct3DCreate9(D3D_SDK_VERSION);
    if (!m_pD3D) {
        LOG_ERROR << "Direct3D could not be created";
        return false;
    }
    m_pWindow = window;
    EnumerateAdapters();
    if (m_Adapters.empty()) {
        LOG_ERROR << "No display adapter to draw with";
        return false;
    }
    m_pDeviceState = new D3D9DeviceState;
    m_pDeviceState->pAdapters = &m_Adapters;
    // A system without a device cannot draw a frame: say so, and let start-up stop.
    if (!CreateDevice()) {
        LOG_ERROR << "The render device could not be created";
        return false;
    }
    return true;
}

void D3D9RenderSystem::Shutdown()
{
    if (m_pDeviceState) {
        SafeRelease(m_pDeviceState->pDevice);
        delete m_pDeviceState;
        m_pDeviceState = nullptr;
    }
    m_Adapters.clear();
    SafeRelease(m_pD3D);
}

void D3D9RenderSystem::EnumerateAdapters()
{
    const UINT count = m_pD3D->GetAdapterCount();
    for (UINT i = 0; i < count; ++i) {
        AdapterInfo info;
        info.ordinal = i;
        m_pD3D->GetAdapterIdentifier(i, 0, &info.identifier);
        m_pD3D->GetAdapterDisplayMode(i, &info.desktopMode);
        m_pD3D->GetDeviceCaps(i, D3DDEVTYPE_HAL, &info.caps);
        BuildDisplayModeList(m_pD3D, i, info.modes);
        m_Adapters.push_back(info);
    }
}

void D3D9RenderSystem::BuildPresentParameters(D3DPRESENT_PARAMETERS& p) const
{
    const D3DDISPLAYMODE& desktop = m_Adapters[0].desktopMode;
    const bool fullScreen = m_pWindow && m_pWindow->IsFullScreen();
    p = {};
    if (fullScreen) {
        p.BackBufferWidth = desktop.Width;
        p.BackBufferHeight = desktop.Height;
    } else if (m_pWindow) {
        p.BackBufferWidth = static_cast<UINT>(m_pWindow->GetClientWidth());
        p.BackBufferHeight = static_cast<UINT>(m_pWindow->GetClientHeight());
    }
    p.BackBufferFormat = desktop.Format;
    p.BackBufferCount = 1;
    p.MultiSampleType = D3DMULTISAMPLE_NONE;
    p.MultiSampleQuality = 0;
    p.SwapEffect = D3DSWAPEFFECT_DISCARD;
    p.hDeviceWindow = m_pWindow ? m_pWindow->GetHandle() : nullptr;
    p.Windowed = fullScreen ? FALSE : TRUE;
    p.EnableAutoDepthStencil = TRUE;
    p.AutoDepthStencilFormat = D3DFMT_D16;
    p.Flags = 0;
    p.FullScreen_RefreshRateInHz = 0;
    p.PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
}

bool D3D9RenderSystem::CreateDevice()
{
    D3DPRESENT_PARAMETERS params;
    HWND window = m_pWindow ? m_pWindow->GetHandle() : nullptr;
    const DWORD modes[] = {D3DCREATE_HARDWARE_VERTEXPROCESSING, D3DCREATE_MIXED_VERTEXPROCESSING,
                           D3DCREATE_SOFTWARE_VERTEXPROCESSING};
    IDirect3DDevice9*& device = m_pDeviceState->pDevice;
    for (DWORD mode : modes) {
        BuildPresentParameters(params);
        if (SUCCEEDED(
                m_pD3D->CreateDevice(0, D3DDEVTYPE_HAL, window, mode | D3DCREATE_MULTITHREADED, &params, &device)))
            break;
        device = nullptr;
    }
    if (!device) {
        BuildPresentParameters(params);
        if (FAILED(m_pD3D->CreateDevice(0, D3DDEVTYPE_REF, window,
                                        D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_MULTITHREADED, &params,
                                        &device))) {
            device = nullptr;
            return false;
        }
    }
    device->GetDeviceCaps(&m_pDeviceState->caps);
    SetupViewport();
    return true;
}

void D3D9RenderSystem::SetupViewport()
{
    IDirect3DDevice9* device = GetDevice();
    if (!device)
        return;
    D3DVIEWPORT9 vp{};
    if (m_pWindow && m_pWindow->IsFullScreen()) {
        vp = FullScreenViewport(m_Adapters[0].desktopMode.Width, m_Adapters[0].desktopMode.Height);
    } else {
        vp.Width = m_pWindow ? static_cast<DWORD>(m_pWindow->GetClientWidth()) : 0;
        vp.Height = m_pWindow ? static_cast<DWORD>(m_pWindow->GetClientHeight()) : 0;
        vp.MinZ = 0.0f;
        vp.MaxZ = 1.0f;
    }
    device->SetViewport(&vp);
}

void D3D9RenderSystem::Clear(float r, float g, float b, float a, float z, uint32_t stencil)
{
    IDirect3DDevice9* device = GetDevice();
    if (!device)
        return;
    auto byte = [](float v) { return static_cast<uint32_t>(std::clamp(v, 0.0f, 1.0f) * 255.0f); };
    const D3DCOLOR color = (byte(a) << 24) | (byte(r) << 16) | (byte(g) << 8) | byte(b);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, color, z, stencil);
}

void D3D9RenderSystem::BeginScene()
{
    IDirect3DDevice9* d = GetDevice();
    if (!d)
        return;
    d->BeginScene();
    d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    d->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    d->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    d->SetRenderState(D3DRS_ALPHAREF, 3);
    d->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    d->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
    d->SetRenderState(D3DRS_LIGHTING, FALSE);
    d->SetRenderState(D3DRS_AMBIENT, 0xFFFFFFFF);
    d->SetRenderState(D3DRS_ZENABLE, TRUE);
    d->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    d->SetRenderState(D3DRS_FOGENABLE, FALSE);
    d->SetRenderState(D3DRS_TEXTUREFACTOR, 0);
    d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    d->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    d->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    d->SetTexture(0, nullptr);
    d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    d->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    d->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    d->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
    d->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    d->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    d->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
}

void D3D9RenderSystem::EndScene()
{
    if (IDirect3DDevice9* device = GetDevice())
        device->EndScene();
}

HRESULT D3D9RenderSystem::Present()
{
    IDirect3DDevice9* device = GetDevice();
    if (!device)
        return D3DERR_INVALIDCALL;
    HRESULT hr = device->Present(nullptr, nullptr, nullptr, nullptr);
    if (hr == D3DERR_DEVICELOST)
        return ResetDevice() ? D3D_OK : D3DERR_DEVICELOST;
    return hr;
}

bool D3D9RenderSystem::ResetDisplay(int32_t, int32_t, int32_t)
{
    return ResetDevice();
}

bool D3D9RenderSystem::IsDeviceReady()
{
    IDirect3DDevice9* device = GetDevice();
    if (!device)
        return false;
    HRESULT hr = device->TestCooperativeLevel();
    return hr != D3DERR_DEVICELOST && hr != D3DERR_DEVICENOTRESET;
}

bool D3D9RenderSystem::RecoverDevice()
{
    return ResetDevice();
}

bool D3D9RenderSystem::ResetDevice()
{
    IDirect3DDevice9* device = GetDevice();
    if (!device)
        return false;
    if (device->TestCooperativeLevel() == D3DERR_DEVICELOST)
        return false;
    m_Resources.NotifyLost(device);
    D3DPRESENT_PARAMETERS params;
    BuildPresentParameters(params);
    if (device->Reset(&params) == D3DERR_DEVICELOST)
        return false;
    m_Resources.NotifyReset(device);
    SetupViewport();
    return true;
}

IVertexDeclaration* D3D9RenderSystem::CreateVertexDeclaration(const VertexElement* elements, uint32_t count)
{
    return new D3D9VertexDeclaration(elements, count);
}

IVertexBuffer* D3D9RenderSystem::CreateVertexBuffer(uint32_t elementSize, uint32_t elementCount, uint32_t usage,
                                                    bool systemMemory)
{
    return new D3D9VertexBuffer(elementSize, elementCount, usage, systemMemory);
}

IShaderProgram* D3D9RenderSystem::CreateShaderProgram(int32_t kind)
{
    if (kind == eShaderKind_Vertex)
        return new D3D9VertexShader();
    if (kind == eShaderKind_Pixel)
        return new D3D9PixelShader();
    return nullptr;
}

ITexture* D3D9RenderSystem::CreateTexture()
{
    return new D3D9Texture();
}

void D3D9RenderSystem::SaveScreenshot(const char* path)
{
    IDirect3DDevice9* device = GetDevice();
    IDirect3DSurface9* surface = nullptr;
    if (!device || FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &surface)))
        return;
    D3DXSaveSurfaceToFileA(path, D3DXIFF_PNG, surface, nullptr, nullptr);
    surface->Release();
}
