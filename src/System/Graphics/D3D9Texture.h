// Textures: created empty (with a system-memory shadow that locks go through) or decoded from
// an image file, whose bytes are kept so the texture can be decoded again after a reset.
#pragma once

#include "System/Common/NameHash.h"
#include "System/Graphics/D3D9Resource.h"
#include "System/Graphics/RenderSystem.h"

#include <cstdint>
#include <string>
#include <vector>

class StreamIO;

enum eTextureFormat : int32_t {
    eTextureFormat_R8G8B8 = 1,
    eTextureFormat_A8R8G8B8 = 2,
    eTextureFormat_DXT1 = 3,
    eTextureFormat_DXT3 = 4,
    eTextureFormat_DXT5 = 5,
};

enum eTextureUsage : int32_t {
    eTextureUsage_Dynamic = 1,
    eTextureUsage_RenderTarget = 3,
};

class ITexture {
  public:
    virtual ~ITexture() = default;
    virtual bool Create(uint32_t width, uint32_t height, int32_t usage, int32_t format) = 0;
    // Takes ownership of the stream (deleted once read).
    virtual bool LoadFromMemory(StreamIO* stream, uint32_t width, uint32_t height, int32_t usage, int32_t format) = 0;
    virtual void Release() = 0;
    virtual void* LockAll(int32_t mode) = 0;
    virtual void* LockRect(uint32_t offset, uint32_t size, int32_t mode) = 0;
    virtual void Unlock() = 0;
    virtual void ReadPixels(uint32_t offset, uint32_t size, void* destination) = 0;
    virtual void WritePixels(uint32_t offset, uint32_t size, const void* source) = 0;
    virtual uint32_t GetWidth() const = 0;
    virtual uint32_t GetHeight() const = 0;
    virtual uint32_t GetBitsPerPixel() const = 0;
    virtual int32_t GetUsage() const = 0;
    virtual int32_t GetFormat() const = 0;
    // The material key: the name id of the image file, 0 for created textures.
    virtual NameId GetUserData() const = 0;
    virtual void* LockSurface(uint32_t offset, uint32_t size, int32_t mode) = 0;
    virtual void UnlockSurface() = 0;
};

class D3D9Texture : public ITexture, public D3D9Resource {
  public:
    D3D9Texture() = default;
    ~D3D9Texture() override;

    bool Create(uint32_t width, uint32_t height, int32_t usage, int32_t format) override;
    bool LoadFromMemory(StreamIO* stream, uint32_t width, uint32_t height, int32_t usage, int32_t format) override;
    void Release() override;
    void* LockAll(int32_t mode) override;
    void* LockRect(uint32_t offset, uint32_t size, int32_t mode) override;
    void Unlock() override;
    void ReadPixels(uint32_t offset, uint32_t size, void* destination) override;
    void WritePixels(uint32_t offset, uint32_t size, const void* source) override;
    uint32_t GetWidth() const override { return m_nWidth; }
    uint32_t GetHeight() const override { return m_nHeight; }
    uint32_t GetBitsPerPixel() const override { return m_nBitsPerPixel; }
    int32_t GetUsage() const override { return m_nUsage; }
    int32_t GetFormat() const override { return m_nFormat; }
    NameId GetUserData() const override { return m_nUserData; }
    void* LockSurface(uint32_t offset, uint32_t size, int32_t mode) override;
    void UnlockSurface() override;
    void OnDeviceLost(IDirect3DDevice9* device) override;
    void OnDeviceReset(IDirect3DDevice9* device) override;

    IDirect3DTexture9* GetD3DTexture() const { return m_pTexture; }

  private:
    void Decode(IDirect3DDevice9* device);
    void CreateDeviceTexture(IDirect3DDevice9* device);
    uint32_t ShadowBytes();

    IDirect3DTexture9* m_pTexture = nullptr;
    IDirect3DSurface9* m_pShadow = nullptr;
    D3DPOOL m_ePool = D3DPOOL_MANAGED;
    std::vector<uint8_t> m_Bytes;
    uint32_t m_nWidth = 0;
    uint32_t m_nHeight = 0;
    uint32_t m_nBitsPerPixel = 0;
    int32_t m_nUsage = 0;
    int32_t m_nFormat = 0;
    uint32_t m_nMipLevels = 1;
    NameId m_nUserData = 0;
    uint32_t m_nSizeValue = 0;
    std::string m_Name;
};
