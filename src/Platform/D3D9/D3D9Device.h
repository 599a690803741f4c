// The device and its resources over OpenGL (internal to the platform layer).
//
// Bound objects (textures, streams, declaration, shaders) are not referenced by the device;
// an object that is destroyed while bound unbinds itself. Every resource holds a reference
// to its device, so the device and its OpenGL objects outlive the resources made on it.
#pragma once

#include "Platform/D3D9/D3D9.h"
#include "Platform/D3D9/ShaderTranslator.h"

#include <epoxy/gl.h>
#include <map>
#include <memory>
#include <utility>
#include <vector>

class D3D9DeviceImpl;

class D3D9TextureImpl : public ComObject<IDirect3DTexture9> {
  public:
    D3D9TextureImpl(D3D9DeviceImpl* device, UINT width, UINT height, DWORD usage, D3DFORMAT format, D3DPOOL pool);
    bool Init();

    DWORD GetLevelCount() override { return 1; }
    HRESULT GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) override;
    HRESULT GetSurfaceLevel(UINT Level, IDirect3DSurface9** ppSurfaceLevel) override;
    HRESULT LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) override;
    HRESULT UnlockRect(UINT Level) override;

    // Replaces the level's bits (FormatSurfaceSize bytes) and uploads them; D3DX fills
    // textures of any pool this way.
    void Upload(const uint8_t* bits);
    const std::vector<uint8_t>& Bits() const { return m_Bits; }
    D3DSURFACE_DESC Desc() const;
    GLuint GLTexture() const { return m_nTexture; }

  private:
    ~D3D9TextureImpl() override;
    void UploadToGL();

    D3D9DeviceImpl* m_pDevice;
    UINT m_nWidth, m_nHeight;
    DWORD m_nUsage;
    D3DFORMAT m_eFormat;
    D3DPOOL m_ePool;
    std::vector<uint8_t> m_Bits;
    GLuint m_nTexture = 0;
    bool m_bLocked = false;
    bool m_bLockReadOnly = false;
};

class D3D9SurfaceImpl : public ComObject<IDirect3DSurface9> {
  public:
    enum Kind { eKind_Offscreen, eKind_TextureLevel, eKind_BackBuffer };
    // An offscreen plain surface.
    D3D9SurfaceImpl(D3D9DeviceImpl* device, UINT width, UINT height, D3DFORMAT format, D3DPOOL pool);
    // Level 0 of a texture.
    explicit D3D9SurfaceImpl(D3D9TextureImpl* texture, D3D9DeviceImpl* device);
    // The device's back buffer.
    explicit D3D9SurfaceImpl(D3D9DeviceImpl* device);

    HRESULT GetDesc(D3DSURFACE_DESC* pDesc) override;
    HRESULT LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) override;
    HRESULT UnlockRect() override;

    Kind GetKind() const { return m_eKind; }
    D3DSURFACE_DESC Desc();
    std::vector<uint8_t>& Bits() { return m_Bits; }
    D3D9TextureImpl* Texture() const { return m_pTexture; }
    IDirect3DDevice9* Device() const;

  private:
    ~D3D9SurfaceImpl() override;

    Kind m_eKind;
    D3D9DeviceImpl* m_pDevice;
    D3D9TextureImpl* m_pTexture = nullptr;
    UINT m_nWidth = 0, m_nHeight = 0;
    D3DFORMAT m_eFormat = D3DFMT_UNKNOWN;
    D3DPOOL m_ePool = D3DPOOL_SYSTEMMEM;
    std::vector<uint8_t> m_Bits;
    bool m_bLocked = false;
};

class D3D9VertexBufferImpl : public ComObject<IDirect3DVertexBuffer9> {
  public:
    D3D9VertexBufferImpl(D3D9DeviceImpl* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool);
    HRESULT Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags) override;
    HRESULT Unlock() override;
    HRESULT GetDesc(D3DVERTEXBUFFER_DESC* pDesc) override;

    GLuint GLBuffer() const { return m_nBuffer; }
    size_t Size() const { return m_Data.size(); }

  private:
    ~D3D9VertexBufferImpl() override;

    D3D9DeviceImpl* m_pDevice;
    DWORD m_nUsage;
    DWORD m_nFVF;
    D3DPOOL m_ePool;
    std::vector<uint8_t> m_Data;
    GLuint m_nBuffer = 0;
    int m_nLocks = 0;
    size_t m_nDirtyBegin = 0, m_nDirtyEnd = 0;
};

class D3D9VertexDeclarationImpl : public ComObject<IDirect3DVertexDeclaration9> {
  public:
    D3D9VertexDeclarationImpl(D3D9DeviceImpl* device, std::vector<D3DVERTEXELEMENT9> elements);
    HRESULT GetDeclaration(D3DVERTEXELEMENT9* pElement, UINT* pNumElements) override;
    const std::vector<D3DVERTEXELEMENT9>& Elements() const { return m_Elements; }

  private:
    ~D3D9VertexDeclarationImpl() override;
    D3D9DeviceImpl* m_pDevice;
    std::vector<D3DVERTEXELEMENT9> m_Elements; // without the end marker
};

// The GL shader object made from a translated token stream.
struct D3D9ShaderCode {
    uint64_t serial = 0;
    GLuint shader = 0; // a pixel stage's: with the alpha function ALWAYS
    // A pixel stage compiled for each other alpha function (1 to 7) once a draw needs it.
    GLuint alphaVariants[8] = {};
    TranslatedShader translated;
    std::vector<uint32_t> tokens;
};

class D3D9VertexShaderImpl : public ComObject<IDirect3DVertexShader9> {
  public:
    D3D9VertexShaderImpl(D3D9DeviceImpl* device, std::unique_ptr<D3D9ShaderCode> code);
    HRESULT GetFunction(void* pData, UINT* pSizeOfData) override;
    const D3D9ShaderCode& Code() const { return *m_pCode; }

  private:
    ~D3D9VertexShaderImpl() override;
    D3D9DeviceImpl* m_pDevice;
    std::unique_ptr<D3D9ShaderCode> m_pCode;
};

class D3D9PixelShaderImpl : public ComObject<IDirect3DPixelShader9> {
  public:
    D3D9PixelShaderImpl(D3D9DeviceImpl* device, std::unique_ptr<D3D9ShaderCode> code);
    HRESULT GetFunction(void* pData, UINT* pSizeOfData) override;
    const D3D9ShaderCode& Code() const { return *m_pCode; }
    D3D9ShaderCode& Code() { return *m_pCode; }

  private:
    ~D3D9PixelShaderImpl() override;
    D3D9DeviceImpl* m_pDevice;
    std::unique_ptr<D3D9ShaderCode> m_pCode;
};

// Clears stale OpenGL error flags before work whose own errors are checked.
void DrainGLErrors();

// Creates a device on the window (the Direct3D object's CreateDevice).
HRESULT CreateD3D9Device(HWND window, D3DPRESENT_PARAMETERS* params, IDirect3DDevice9** device);

// The implementation behind a device pointer made by CreateD3D9Device.
D3D9DeviceImpl* GetDeviceImpl(IDirect3DDevice9* device);

// Counterparts used by the resources.
void DeviceAddRef(D3D9DeviceImpl* device);
void DeviceRelease(D3D9DeviceImpl* device);
void DeviceCountDefaultPool(D3D9DeviceImpl* device, int delta);
void DeviceForget(D3D9DeviceImpl* device, const void* object);
void DeviceForgetShader(D3D9DeviceImpl* device, uint64_t serial);
bool DeviceCompressedUpload(D3D9DeviceImpl* device);
UINT DeviceBackBufferWidth(D3D9DeviceImpl* device);
UINT DeviceBackBufferHeight(D3D9DeviceImpl* device);
D3DFORMAT DeviceBackBufferFormat(D3D9DeviceImpl* device);
