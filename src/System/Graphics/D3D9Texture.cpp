#include "System/Graphics/D3D9Texture.h"

#include "Platform/D3DX/D3DX9.h"
#include "System/Common/Log.h"
#include "System/Common/StreamIO.h"
#include "System/Graphics/D3D9RenderSystem.h"

#include <algorithm>
#include <cstring>

namespace {

D3DFORMAT FormatOfKind(int32_t kind)
{
    switch (kind) {
    case eTextureFormat_R8G8B8: return D3DFMT_R8G8B8;
    case eTextureFormat_A8R8G8B8: return D3DFMT_A8R8G8B8;
    case eTextureFormat_DXT1: return D3DFMT_DXT1;
    case eTextureFormat_DXT3: return D3DFMT_DXT3;
    case eTextureFormat_DXT5: return D3DFMT_DXT5;
    default: return D3DFMT_UNKNOWN;
    }
}

DWORD UsageOfKind(int32_t kind)
{
    if (kind == eTextureUsage_Dynamic)
        return D3DUSAGE_DYNAMIC;
    if (kind == eTextureUsage_RenderTarget)
        return D3DUSAGE_RENDERTARGET;
    return 0;
}

} // namespace

D3D9Texture::~D3D9Texture()
{
    Release();
}

bool D3D9Texture::Create(uint32_t width, uint32_t height, int32_t usage, int32_t format)
{
    Release();
    m_ePool = D3DPOOL_DEFAULT;
    m_nWidth = width;
    m_nHeight = height;
    m_nUsage = usage;
    m_nFormat = format;
    switch (format) {
    case eTextureFormat_R8G8B8: m_nBitsPerPixel = 24; break;
    case eTextureFormat_A8R8G8B8: m_nBitsPerPixel = 32; break;
    case eTextureFormat_DXT1: m_nBitsPerPixel = 4; break;
    case eTextureFormat_DXT3:
    case eTextureFormat_DXT5: m_nBitsPerPixel = 8; break;
    default: m_nBitsPerPixel = 32; break;
    }
    m_nSizeValue = width * height * m_nBitsPerPixel;
    m_nUserData = 0;
    IDirect3DDevice9* device = GetD3DDevice();
    CreateDeviceTexture(device);
    D3DSURFACE_DESC desc;
    if (device && m_pTexture && SUCCEEDED(m_pTexture->GetLevelDesc(0, &desc)) &&
        FAILED(device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM, &m_pShadow,
                                                   nullptr)))
        m_pShadow = nullptr;
    if (!m_pShadow)
        LOG_ERROR << "Texture " << width << " x " << height << " of format " << format << " could not be created";
    return true;
}

void D3D9Texture::CreateDeviceTexture(IDirect3DDevice9* device)
{
    if (!device || FAILED(device->CreateTexture(m_nWidth, m_nHeight, m_nMipLevels, UsageOfKind(m_nUsage),
                                                FormatOfKind(m_nFormat), m_ePool, &m_pTexture, nullptr)))
        m_pTexture = nullptr;
}

bool D3D9Texture::LoadFromMemory(StreamIO* stream, uint32_t width, uint32_t height, int32_t usage, int32_t format)
{
    Release();
    m_nWidth = width;
    m_nHeight = height;
    m_nUsage = usage;
    m_nFormat = format;
    m_nUserData = stream ? stream->GetNameId() : 0;
    m_Name = stream ? stream->GetName() : std::string();
    if (stream) {
        m_Bytes.resize(stream->GetSize());
        m_Bytes.resize(stream->Read(m_Bytes.data(), static_cast<uint32_t>(m_Bytes.size())));
        delete stream;
    }
    Decode(GetD3DDevice());
    return true;
}

void D3D9Texture::Decode(IDirect3DDevice9* device)
{
    D3DXIMAGE_INFO info{};
    if (device && !m_Bytes.empty() &&
        SUCCEEDED(D3DXCreateTextureFromFileInMemoryEx(device, m_Bytes.data(), static_cast<UINT>(m_Bytes.size()),
                                                      m_nWidth, m_nHeight, m_nMipLevels, UsageOfKind(m_nUsage),
                                                      D3DFMT_UNKNOWN, m_ePool, D3DX_DEFAULT, D3DX_DEFAULT, 0, &info,
                                                      nullptr, &m_pTexture))) {
        m_nWidth = info.Width;
        m_nHeight = info.Height;
        switch (info.Format) {
        case D3DFMT_R8G8B8: m_nFormat = eTextureFormat_R8G8B8; break;
        case D3DFMT_A8R8G8B8: m_nFormat = eTextureFormat_A8R8G8B8; break;
        case D3DFMT_DXT1: m_nFormat = eTextureFormat_DXT1; break;
        case D3DFMT_DXT3: m_nFormat = eTextureFormat_DXT3; break;
        case D3DFMT_DXT5: m_nFormat = eTextureFormat_DXT5; break;
        default: break;
        }
        m_nBitsPerPixel = m_nFormat == eTextureFormat_R8G8B8                                     ? 24
                          : m_nFormat == eTextureFormat_DXT1                                     ? 4
                          : m_nFormat == eTextureFormat_DXT3 || m_nFormat == eTextureFormat_DXT5 ? 8
                                                                                                 : 32;
        m_nSizeValue = static_cast<uint32_t>(m_Bytes.size());
        return;
    }
    m_pTexture = nullptr;
    // The texture stays without a device texture; its size stays usable as a divisor.
    LOG_ERROR << "Texture '" << m_Name << "' (" << m_Bytes.size() << " bytes) could not be decoded";
    m_nWidth = std::max(m_nWidth, 1u);
    m_nHeight = std::max(m_nHeight, 1u);
    m_nSizeValue = static_cast<uint32_t>(m_Bytes.size());
}

void D3D9Texture::Release()
{
    SafeRelease(m_pShadow);
    SafeRelease(m_pTexture);
    m_Bytes.clear();
    m_Bytes.shrink_to_fit();
}

void* D3D9Texture::LockAll(int32_t mode)
{
    return LockRect(0, m_nSizeValue, mode);
}
void* D3D9Texture::LockRect(uint32_t offset, uint32_t size, int32_t mode)
{
    return LockSurface(offset, size, mode);
}
void D3D9Texture::Unlock()
{
    UnlockSurface();
}

void* D3D9Texture::LockSurface(uint32_t, uint32_t, int32_t mode)
{
    IDirect3DDevice9* device = GetD3DDevice();
    if (!m_pShadow) {
        LOG_ERROR << "Only created textures can be locked";
        return nullptr;
    }
    IDirect3DSurface9* level = nullptr;
    if (device && m_pTexture && SUCCEEDED(m_pTexture->GetSurfaceLevel(0, &level))) {
        device->GetRenderTargetData(level, m_pShadow);
        level->Release();
    }
    DWORD flags = 0;
    if (mode == eLockMode_Discard && (m_nUsage & 1))
        flags = D3DLOCK_DISCARD;
    else if (mode == eLockMode_ReadOnly && !(m_nUsage & 2))
        flags = D3DLOCK_READONLY;
    D3DLOCKED_RECT locked;
    if (FAILED(m_pShadow->LockRect(&locked, nullptr, flags)))
        return nullptr;
    return locked.pBits;
}

void D3D9Texture::UnlockSurface()
{
    if (!m_pShadow)
        return;
    m_pShadow->UnlockRect();
    IDirect3DDevice9* device = GetD3DDevice();
    IDirect3DSurface9* level = nullptr;
    if (device && m_pTexture && SUCCEEDED(m_pTexture->GetSurfaceLevel(0, &level))) {
        device->UpdateSurface(m_pShadow, nullptr, level, nullptr);
        level->Release();
    }
}

uint32_t D3D9Texture::ShadowBytes()
{
    D3DSURFACE_DESC desc;
    if (!m_pShadow || FAILED(m_pShadow->GetDesc(&desc)))
        return 0;
    D3DLOCKED_RECT locked;
    if (FAILED(m_pShadow->LockRect(&locked, nullptr, D3DLOCK_READONLY)))
        return 0;
    m_pShadow->UnlockRect();
    const uint32_t blockRows = (desc.Format == D3DFMT_DXT1 || desc.Format == D3DFMT_DXT3 || desc.Format == D3DFMT_DXT5)
                                   ? (desc.Height + 3) / 4
                                   : desc.Height;
    return static_cast<uint32_t>(locked.Pitch) * blockRows;
}

void D3D9Texture::ReadPixels(uint32_t offset, uint32_t size, void* destination)
{
    const uint32_t available = ShadowBytes();
    if (offset > available || size > available - offset) {
        LOG_ERROR << "Texture read of " << size << " bytes at " << offset << " outside its " << available << " bytes";
        return;
    }
    const uint8_t* p = static_cast<const uint8_t*>(LockRect(offset, size, eLockMode_ReadOnly));
    if (!p)
        return;
    std::memcpy(destination, p + offset, size);
    Unlock();
}

void D3D9Texture::WritePixels(uint32_t offset, uint32_t size, const void* source)
{
    const uint32_t available = ShadowBytes();
    if (offset > available || size > available - offset) {
        LOG_ERROR << "Texture write of " << size << " bytes at " << offset << " outside its " << available << " bytes";
        return;
    }
    // Every byte is replaced: the device texture's bytes need not be read back into the shadow
    // first (a movie frame's worth each time).
    if (available != 0 && offset == 0 && size == available) {
        D3DLOCKED_RECT locked;
        if (FAILED(m_pShadow->LockRect(&locked, nullptr, 0)))
            return;
        std::memcpy(locked.pBits, source, size);
        UnlockSurface();
        return;
    }
    uint8_t* p = static_cast<uint8_t*>(LockRect(offset, size, eLockMode_Write));
    if (!p)
        return;
    std::memcpy(p + offset, source, size);
    Unlock();
}

void D3D9Texture::OnDeviceLost(IDirect3DDevice9*)
{
    SafeRelease(m_pTexture);
}

void D3D9Texture::OnDeviceReset(IDirect3DDevice9* device)
{
    if (!m_Bytes.empty()) {
        Decode(device);
        return;
    }
    if (!m_pShadow)
        return;
    CreateDeviceTexture(device);
    IDirect3DSurface9* level = nullptr;
    if (m_pTexture && SUCCEEDED(m_pTexture->GetSurfaceLevel(0, &level))) {
        device->UpdateSurface(m_pShadow, nullptr, level, nullptr);
        level->Release();
    }
}
