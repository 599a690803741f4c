// The render system on Direct3D 9: adapters and display modes, the device, the 16:9 viewport,
// and the registry of device objects that are released and re-created around a reset.
#pragma once

#include "Platform/D3D9/D3D9.h"
#include "Platform/Win32/Sync.h"
#include "System/Graphics/RenderSystem.h"

#include <vector>

class D3D9Resource;

struct DisplayMode {
    UINT Width;
    UINT Height;
    UINT RefreshRate;
    D3DFORMAT Format;
};

struct AdapterInfo {
    UINT ordinal = 0;
    D3DCAPS9 caps{};
    D3DADAPTER_IDENTIFIER9 identifier{};
    D3DDISPLAYMODE desktopMode{};
    std::vector<DisplayMode> modes;
};

// The X8R8G8B8 modes of an adapter of at least 640 x 480, one entry per size with the
// highest refresh rate offered.
void BuildDisplayModeList(IDirect3D9* d3d, UINT ordinal, std::vector<DisplayMode>& modes);

// The centred 16:9 viewport of a full-screen desktop of width x height: bars above and below,
// or at the sides on a desktop wider than 16:9.
D3DVIEWPORT9 FullScreenViewport(UINT desktopWidth, UINT desktopHeight);

struct D3D9DeviceState {
    IDirect3DDevice9* pDevice = nullptr;
    D3DCAPS9 caps{};
    std::vector<AdapterInfo>* pAdapters = nullptr;
};

// Live device objects, walked in registration order under a lock.
class D3D9ResourceList {
  public:
    D3D9ResourceList();
    ~D3D9ResourceList();
    D3D9ResourceList(const D3D9ResourceList&) = delete;
    D3D9ResourceList& operator=(const D3D9ResourceList&) = delete;

    void Add(D3D9Resource* resource);
    void Remove(D3D9Resource* resource);
    void NotifyLost(IDirect3DDevice9* device);
    void NotifyReset(IDirect3DDevice9* device);
    size_t Count();

  private:
    std::vector<D3D9Resource*> m_Resources;
    CRITICAL_SECTION* m_pLock;
};

class D3D9RenderSystem : public RenderSystem {
  public:
    D3D9RenderSystem();
    ~D3D9RenderSystem() override;

    bool Init(RenderWindow* window) override;
    void Shutdown() override;
    void Clear(float r, float g, float b, float a, float z, uint32_t stencil) override;
    void BeginScene() override;
    void EndScene() override;
    HRESULT Present() override;
    bool ResetDisplay(int32_t a, int32_t b, int32_t c) override;
    bool IsDeviceReady() override;
    bool RecoverDevice() override;
    IVertexDeclaration* CreateVertexDeclaration(const VertexElement* elements, uint32_t count) override;
    IVertexBuffer* CreateVertexBuffer(uint32_t elementSize, uint32_t elementCount, uint32_t usage,
                                      bool systemMemory) override;
    IShaderProgram* CreateShaderProgram(int32_t kind) override;
    ITexture* CreateTexture() override;
    void SaveScreenshot(const char* path) override;

    IDirect3DDevice9* GetDevice() const { return m_pDeviceState ? m_pDeviceState->pDevice : nullptr; }
    D3D9ResourceList& GetResourceList() { return m_Resources; }
    const std::vector<AdapterInfo>& GetAdapters() const { return m_Adapters; }

    // Releases, resets and re-creates: false while the device is still lost.
    bool ResetDevice();

  private:
    void EnumerateAdapters();
    bool CreateDevice();
    void BuildPresentParameters(D3DPRESENT_PARAMETERS& params) const;
    void SetupViewport();

    IDirect3D9* m_pD3D = nullptr;
    RenderWindow* m_pWindow = nullptr;
    std::vector<AdapterInfo> m_Adapters;
    D3D9DeviceState* m_pDeviceState = nullptr;
    D3D9ResourceList m_Resources;
};

extern D3D9RenderSystem* g_pD3D9RenderSystem;

// The device of the render system in g_pD3D9RenderSystem (null without one).
IDirect3DDevice9* GetD3DDevice();
