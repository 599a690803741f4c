// Textures, surfaces, vertex buffers, declarations and shaders of the OpenGL device.
#include "Platform/Backend/PlatformLog.h"
#include "Platform/D3D9/D3D9Device.h"
#include "Platform/D3D9/SurfaceFormat.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr GLenum kCompressedRgbaDxt1 = 0x83F1; // GL_COMPRESSED_RGBA_S3TC_DXT1_EXT
constexpr GLenum kCompressedRgbaDxt3 = 0x83F2;
constexpr GLenum kCompressedRgbaDxt5 = 0x83F3;

} // namespace

// ---------------------------------------------------------------------------------------------
// Texture

D3D9TextureImpl::D3D9TextureImpl(D3D9DeviceImpl* device, UINT width, UINT height, DWORD usage, D3DFORMAT format,
                                 D3DPOOL pool)
    : m_pDevice(device), m_nWidth(width), m_nHeight(height), m_nUsage(usage), m_eFormat(format), m_ePool(pool)
{
    DeviceAddRef(m_pDevice);
    if (m_ePool == D3DPOOL_DEFAULT)
        DeviceCountDefaultPool(m_pDevice, 1);
}

bool D3D9TextureImpl::Init()
{
    m_Bits.assign(FormatSurfaceSize(m_eFormat, m_nWidth, m_nHeight), 0);
    DrainGLErrors();
    glGenTextures(1, &m_nTexture);
    glBindTexture(GL_TEXTURE_2D, m_nTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    if (m_eFormat == D3DFMT_X8R8G8B8)
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_A, GL_ONE);
    UploadToGL();
    return glGetError() == GL_NO_ERROR;
}

D3D9TextureImpl::~D3D9TextureImpl()
{
    DeviceForget(m_pDevice, static_cast<IDirect3DBaseTexture9*>(this));
    if (m_nTexture)
        glDeleteTextures(1, &m_nTexture);
    if (m_ePool == D3DPOOL_DEFAULT)
        DeviceCountDefaultPool(m_pDevice, -1);
    DeviceRelease(m_pDevice);
}

D3DSURFACE_DESC D3D9TextureImpl::Desc() const
{
    D3DSURFACE_DESC d{};
    d.Format = m_eFormat;
    d.Type = D3DRTYPE_SURFACE;
    d.Usage = m_nUsage;
    d.Pool = m_ePool;
    d.MultiSampleType = D3DMULTISAMPLE_NONE;
    d.Width = m_nWidth;
    d.Height = m_nHeight;
    return d;
}

HRESULT D3D9TextureImpl::GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc)
{
    if (Level != 0 || !pDesc)
        return D3DERR_INVALIDCALL;
    *pDesc = Desc();
    return D3D_OK;
}

HRESULT D3D9TextureImpl::GetSurfaceLevel(UINT Level, IDirect3DSurface9** ppSurfaceLevel)
{
    if (Level != 0 || !ppSurfaceLevel)
        return D3DERR_INVALIDCALL;
    *ppSurfaceLevel = new D3D9SurfaceImpl(this, m_pDevice);
    return D3D_OK;
}

HRESULT D3D9TextureImpl::LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags)
{
    // As on the real API, only managed, system-memory and dynamic textures can be locked.
    if (Level != 0 || !pLockedRect || pRect || m_bLocked)
        return D3DERR_INVALIDCALL;
    if (m_ePool == D3DPOOL_DEFAULT && !(m_nUsage & D3DUSAGE_DYNAMIC))
        return D3DERR_INVALIDCALL;
    m_bLocked = true;
    m_bLockReadOnly = (Flags & D3DLOCK_READONLY) != 0;
    pLockedRect->Pitch = static_cast<INT>(FormatPitch(m_eFormat, m_nWidth));
    pLockedRect->pBits = m_Bits.data();
    return D3D_OK;
}

HRESULT D3D9TextureImpl::UnlockRect(UINT Level)
{
    if (Level != 0 || !m_bLocked)
        return D3DERR_INVALIDCALL;
    m_bLocked = false;
    if (!m_bLockReadOnly)
        UploadToGL();
    return D3D_OK;
}

void D3D9TextureImpl::Upload(const uint8_t* bits)
{
    std::memcpy(m_Bits.data(), bits, m_Bits.size());
    UploadToGL();
}

void D3D9TextureImpl::UploadToGL()
{
    const GLsizei w = static_cast<GLsizei>(m_nWidth), h = static_cast<GLsizei>(m_nHeight);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, m_nTexture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    switch (m_eFormat) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
        // The unsized format lets the driver keep the texels in the order they come in (B, G, R,
        // A): asked for GL_RGBA8, a software driver swizzles every texel of every upload.
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, GL_BGRA, GL_UNSIGNED_BYTE, m_Bits.data());
        break;
    case D3DFMT_R8G8B8:
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, w, h, 0, GL_BGR, GL_UNSIGNED_BYTE, m_Bits.data());
        break;
    case D3DFMT_DXT1:
    case D3DFMT_DXT3:
    case D3DFMT_DXT5:
        if (DeviceCompressedUpload(m_pDevice)) {
            GLenum internal = m_eFormat == D3DFMT_DXT1   ? kCompressedRgbaDxt1
                              : m_eFormat == D3DFMT_DXT3 ? kCompressedRgbaDxt3
                                                         : kCompressedRgbaDxt5;
            glCompressedTexImage2D(GL_TEXTURE_2D, 0, internal, w, h, 0, static_cast<GLsizei>(m_Bits.size()),
                                   m_Bits.data());
        } else {
            std::vector<uint8_t> bgra(static_cast<size_t>(w) * h * 4);
            DecodeDxtToBgra(m_eFormat, m_Bits.data(), m_nWidth, m_nHeight, bgra.data());
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, GL_BGRA, GL_UNSIGNED_BYTE, bgra.data());
        }
        break;
    default: break;
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
}

// ---------------------------------------------------------------------------------------------
// Surface

D3D9SurfaceImpl::D3D9SurfaceImpl(D3D9DeviceImpl* device, UINT width, UINT height, D3DFORMAT format, D3DPOOL pool)
    : m_eKind(eKind_Offscreen), m_pDevice(device), m_nWidth(width), m_nHeight(height), m_eFormat(format), m_ePool(pool)
{
    DeviceAddRef(m_pDevice);
    if (m_ePool == D3DPOOL_DEFAULT)
        DeviceCountDefaultPool(m_pDevice, 1);
    m_Bits.assign(FormatSurfaceSize(format, width, height), 0);
}

D3D9SurfaceImpl::D3D9SurfaceImpl(D3D9TextureImpl* texture, D3D9DeviceImpl* device)
    : m_eKind(eKind_TextureLevel), m_pDevice(device), m_pTexture(texture)
{
    DeviceAddRef(m_pDevice);
    m_pTexture->AddRef();
}

D3D9SurfaceImpl::D3D9SurfaceImpl(D3D9DeviceImpl* device) : m_eKind(eKind_BackBuffer), m_pDevice(device)
{
    // The device keeps its back buffer object; no reference back, or neither would go.
}

D3D9SurfaceImpl::~D3D9SurfaceImpl()
{
    if (m_eKind == eKind_TextureLevel)
        m_pTexture->Release();
    if (m_eKind == eKind_Offscreen && m_ePool == D3DPOOL_DEFAULT)
        DeviceCountDefaultPool(m_pDevice, -1);
    if (m_eKind != eKind_BackBuffer)
        DeviceRelease(m_pDevice);
}

D3DSURFACE_DESC D3D9SurfaceImpl::Desc()
{
    if (m_eKind == eKind_TextureLevel)
        return m_pTexture->Desc();
    D3DSURFACE_DESC d{};
    d.Type = D3DRTYPE_SURFACE;
    d.MultiSampleType = D3DMULTISAMPLE_NONE;
    if (m_eKind == eKind_BackBuffer) {
        d.Format = DeviceBackBufferFormat(m_pDevice);
        d.Usage = D3DUSAGE_RENDERTARGET;
        d.Pool = D3DPOOL_DEFAULT;
        d.Width = DeviceBackBufferWidth(m_pDevice);
        d.Height = DeviceBackBufferHeight(m_pDevice);
    } else {
        d.Format = m_eFormat;
        d.Pool = m_ePool;
        d.Width = m_nWidth;
        d.Height = m_nHeight;
    }
    return d;
}

HRESULT D3D9SurfaceImpl::GetDesc(D3DSURFACE_DESC* pDesc)
{
    if (!pDesc)
        return D3DERR_INVALIDCALL;
    *pDesc = Desc();
    return D3D_OK;
}

HRESULT D3D9SurfaceImpl::LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags)
{
    if (m_eKind == eKind_TextureLevel)
        return m_pTexture->LockRect(0, pLockedRect, pRect, Flags);
    // The back buffer is not lockable (it is not created with a lockable flag).
    if (m_eKind == eKind_BackBuffer || !pLockedRect || pRect || m_bLocked)
        return D3DERR_INVALIDCALL;
    m_bLocked = true;
    pLockedRect->Pitch = static_cast<INT>(FormatPitch(m_eFormat, m_nWidth));
    pLockedRect->pBits = m_Bits.data();
    return D3D_OK;
}

HRESULT D3D9SurfaceImpl::UnlockRect()
{
    if (m_eKind == eKind_TextureLevel)
        return m_pTexture->UnlockRect(0);
    if (!m_bLocked)
        return D3DERR_INVALIDCALL;
    m_bLocked = false;
    return D3D_OK;
}

// ---------------------------------------------------------------------------------------------
// Vertex buffer

D3D9VertexBufferImpl::D3D9VertexBufferImpl(D3D9DeviceImpl* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool)
    : m_pDevice(device), m_nUsage(usage), m_nFVF(fvf), m_ePool(pool), m_Data(length, 0)
{
    DeviceAddRef(m_pDevice);
    if (m_ePool == D3DPOOL_DEFAULT)
        DeviceCountDefaultPool(m_pDevice, 1);
    glGenBuffers(1, &m_nBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, m_nBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(length), m_Data.data(),
                 (usage & D3DUSAGE_DYNAMIC) ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
}

D3D9VertexBufferImpl::~D3D9VertexBufferImpl()
{
    DeviceForget(m_pDevice, this);
    glDeleteBuffers(1, &m_nBuffer);
    if (m_ePool == D3DPOOL_DEFAULT)
        DeviceCountDefaultPool(m_pDevice, -1);
    DeviceRelease(m_pDevice);
}

HRESULT D3D9VertexBufferImpl::Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags)
{
    if (!ppbData || OffsetToLock > m_Data.size())
        return D3DERR_INVALIDCALL;
    size_t size = SizeToLock == 0 ? m_Data.size() - OffsetToLock : SizeToLock;
    if (size > m_Data.size() - OffsetToLock)
        return D3DERR_INVALIDCALL;
    if (!(Flags & D3DLOCK_READONLY) && size > 0) {
        if (m_nDirtyBegin == m_nDirtyEnd) {
            m_nDirtyBegin = OffsetToLock;
            m_nDirtyEnd = OffsetToLock + size;
        } else {
            m_nDirtyBegin = std::min<size_t>(m_nDirtyBegin, OffsetToLock);
            m_nDirtyEnd = std::max<size_t>(m_nDirtyEnd, OffsetToLock + size);
        }
    }
    ++m_nLocks;
    *ppbData = m_Data.data() + OffsetToLock;
    return D3D_OK;
}

HRESULT D3D9VertexBufferImpl::Unlock()
{
    if (m_nLocks == 0)
        return D3DERR_INVALIDCALL;
    if (--m_nLocks == 0 && m_nDirtyEnd > m_nDirtyBegin) {
        glBindBuffer(GL_ARRAY_BUFFER, m_nBuffer);
        glBufferSubData(GL_ARRAY_BUFFER, static_cast<GLintptr>(m_nDirtyBegin),
                        static_cast<GLsizeiptr>(m_nDirtyEnd - m_nDirtyBegin), m_Data.data() + m_nDirtyBegin);
        m_nDirtyBegin = m_nDirtyEnd = 0;
    }
    return D3D_OK;
}

HRESULT D3D9VertexBufferImpl::GetDesc(D3DVERTEXBUFFER_DESC* pDesc)
{
    if (!pDesc)
        return D3DERR_INVALIDCALL;
    pDesc->Format = D3DFMT_VERTEXDATA;
    pDesc->Type = D3DRTYPE_VERTEXBUFFER;
    pDesc->Usage = m_nUsage;
    pDesc->Pool = m_ePool;
    pDesc->Size = static_cast<UINT>(m_Data.size());
    pDesc->FVF = m_nFVF;
    return D3D_OK;
}

// ---------------------------------------------------------------------------------------------
// Vertex declaration

D3D9VertexDeclarationImpl::D3D9VertexDeclarationImpl(D3D9DeviceImpl* device, std::vector<D3DVERTEXELEMENT9> elements)
    : m_pDevice(device), m_Elements(std::move(elements))
{
    DeviceAddRef(m_pDevice);
}

D3D9VertexDeclarationImpl::~D3D9VertexDeclarationImpl()
{
    DeviceForget(m_pDevice, this);
    DeviceRelease(m_pDevice);
}

HRESULT D3D9VertexDeclarationImpl::GetDeclaration(D3DVERTEXELEMENT9* pElement, UINT* pNumElements)
{
    if (!pNumElements)
        return D3DERR_INVALIDCALL;
    *pNumElements = static_cast<UINT>(m_Elements.size() + 1);
    if (pElement) {
        std::memcpy(pElement, m_Elements.data(), m_Elements.size() * sizeof(D3DVERTEXELEMENT9));
        pElement[m_Elements.size()] = D3DVERTEXELEMENT9 D3DDECL_END();
    }
    return D3D_OK;
}

// ---------------------------------------------------------------------------------------------
// Shaders

namespace {

HRESULT GetShaderFunction(const D3D9ShaderCode& code, void* pData, UINT* pSizeOfData)
{
    if (!pSizeOfData)
        return D3DERR_INVALIDCALL;
    const UINT bytes = static_cast<UINT>(code.tokens.size() * sizeof(uint32_t));
    if (pData) {
        if (*pSizeOfData < bytes)
            return D3DERR_INVALIDCALL;
        std::memcpy(pData, code.tokens.data(), bytes);
    }
    *pSizeOfData = bytes;
    return D3D_OK;
}

} // namespace

D3D9VertexShaderImpl::D3D9VertexShaderImpl(D3D9DeviceImpl* device, std::unique_ptr<D3D9ShaderCode> code)
    : m_pDevice(device), m_pCode(std::move(code))
{
    DeviceAddRef(m_pDevice);
}

D3D9VertexShaderImpl::~D3D9VertexShaderImpl()
{
    DeviceForget(m_pDevice, this);
    DeviceForgetShader(m_pDevice, m_pCode->serial);
    glDeleteShader(m_pCode->shader);
    DeviceRelease(m_pDevice);
}

HRESULT D3D9VertexShaderImpl::GetFunction(void* pData, UINT* pSizeOfData)
{
    return GetShaderFunction(*m_pCode, pData, pSizeOfData);
}

D3D9PixelShaderImpl::D3D9PixelShaderImpl(D3D9DeviceImpl* device, std::unique_ptr<D3D9ShaderCode> code)
    : m_pDevice(device), m_pCode(std::move(code))
{
    DeviceAddRef(m_pDevice);
}

D3D9PixelShaderImpl::~D3D9PixelShaderImpl()
{
    DeviceForget(m_pDevice, this);
    DeviceForgetShader(m_pDevice, m_pCode->serial);
    glDeleteShader(m_pCode->shader);
    for (GLuint variant : m_pCode->alphaVariants)
        if (variant)
            glDeleteShader(variant);
    DeviceRelease(m_pDevice);
}

HRESULT D3D9PixelShaderImpl::GetFunction(void* pData, UINT* pSizeOfData)
{
    return GetShaderFunction(*m_pCode, pData, pSizeOfData);
}
