// Texture creation from image files and PNG output of surfaces.
#include "Platform/Backend/PlatformLog.h"
#include "Platform/D3D9/D3D9Device.h"
#include "Platform/D3D9/SurfaceFormat.h"
#include "Platform/D3DX/D3DX9.h"
#include "Platform/D3DX/ImageDecode.h"
#include "Platform/Win32/FileReplace.h"

#include <cstring>
#include <stb_image_write.h>
#include <string>
#include <vector>

namespace {

bool TakesFileSize(UINT size)
{
    return size == 0 || size == D3DX_DEFAULT || size == D3DX_FROM_FILE || size == D3DX_DEFAULT_NONPOW2;
}

} // namespace

HRESULT D3DXCreateTextureFromFileInMemoryEx(IDirect3DDevice9* pDevice, LPCVOID pSrcData, UINT SrcDataSize, UINT Width,
                                            UINT Height, UINT, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool, DWORD,
                                            DWORD, D3DCOLOR ColorKey, D3DXIMAGE_INFO* pSrcInfo, PALETTEENTRY*,
                                            IDirect3DTexture9** ppTexture)
{
    if (ppTexture)
        *ppTexture = nullptr;
    if (!pDevice || !pSrcData || SrcDataSize == 0 || !ppTexture)
        return D3DERR_INVALIDCALL;
    DecodedImage image;
    std::string error;
    if (!DecodeImageFile(pSrcData, SrcDataSize, image, error)) {
        PLATFORM_LOG_ERROR << "Image could not be decoded: " << error;
        return D3DXERR_INVALIDDATA;
    }
    // The texture keeps the file's size; scaling to another size is not offered.
    if ((!TakesFileSize(Width) && Width != image.width) || (!TakesFileSize(Height) && Height != image.height)) {
        PLATFORM_LOG_ERROR << "Image is " << image.width << " x " << image.height << ", not the " << Width << " x " << Height
                  << " asked for";
        return D3DERR_INVALIDCALL;
    }
    if (Format != D3DFMT_UNKNOWN && Format != static_cast<D3DFORMAT>(D3DX_FROM_FILE) && Format != image.surfaceFormat) {
        PLATFORM_LOG_ERROR << "Image format conversion is not supported";
        return D3DERR_INVALIDCALL;
    }
    if (ColorKey != 0 && !IsBlockFormat(image.surfaceFormat)) {
        // Pixels of the key colour (alpha included) become transparent black.
        for (size_t i = 0; i + 3 < image.bits.size(); i += 4) {
            uint32_t p = static_cast<uint32_t>(image.bits[i] | (image.bits[i + 1] << 8) | (image.bits[i + 2] << 16)) |
                         (static_cast<uint32_t>(image.bits[i + 3]) << 24);
            if (p == ColorKey)
                std::memset(&image.bits[i], 0, 4);
        }
        image.surfaceFormat = D3DFMT_A8R8G8B8;
    }
    IDirect3DTexture9* texture = nullptr;
    HRESULT hr =
        pDevice->CreateTexture(image.width, image.height, 1, Usage, image.surfaceFormat, Pool, &texture, nullptr);
    if (FAILED(hr))
        return hr;
    static_cast<D3D9TextureImpl*>(texture)->Upload(image.bits.data());
    if (pSrcInfo) {
        pSrcInfo->Width = image.width;
        pSrcInfo->Height = image.height;
        pSrcInfo->Depth = 1;
        pSrcInfo->MipLevels = 1;
        pSrcInfo->Format = image.fileFormat;
        pSrcInfo->ResourceType = D3DRTYPE_TEXTURE;
        pSrcInfo->ImageFileFormat = image.fileType;
    }
    *ppTexture = texture;
    return D3D_OK;
}

HRESULT D3DXSaveSurfaceToFileA(LPCSTR pDestFile, D3DXIMAGE_FILEFORMAT DestFormat, IDirect3DSurface9* pSrcSurface,
                               const PALETTEENTRY*, const RECT* pSrcRect)
{
    if (!pDestFile || !pSrcSurface || pSrcRect || DestFormat != D3DXIFF_PNG)
        return D3DERR_INVALIDCALL;
    D3DSURFACE_DESC desc;
    if (FAILED(pSrcSurface->GetDesc(&desc)) || FormatBytesPerPixel(desc.Format) != 4)
        return D3DERR_INVALIDCALL;
    std::vector<uint8_t> bits;
    D3D9SurfaceImpl* surface = static_cast<D3D9SurfaceImpl*>(pSrcSurface);
    IDirect3DSurface9* copy = nullptr;
    if (surface->GetKind() == D3D9SurfaceImpl::eKind_BackBuffer) {
        // The back buffer is not lockable: read it through a system-memory copy.
        IDirect3DDevice9* device = surface->Device();
        if (FAILED(device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM, &copy,
                                                       nullptr)))
            return D3DERR_INVALIDCALL;
        if (FAILED(device->GetRenderTargetData(pSrcSurface, copy))) {
            copy->Release();
            return D3DERR_INVALIDCALL;
        }
        pSrcSurface = copy;
    }
    D3DLOCKED_RECT locked;
    if (FAILED(pSrcSurface->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
        SafeRelease(copy);
        return D3DERR_INVALIDCALL;
    }
    const bool alpha = desc.Format == D3DFMT_A8R8G8B8;
    const int comps = alpha ? 4 : 3;
    bits.resize(static_cast<size_t>(desc.Width) * desc.Height * comps);
    for (UINT y = 0; y < desc.Height; ++y) {
        const uint8_t* row = static_cast<const uint8_t*>(locked.pBits) + static_cast<size_t>(locked.Pitch) * y;
        uint8_t* out = bits.data() + static_cast<size_t>(desc.Width) * comps * y;
        for (UINT x = 0; x < desc.Width; ++x, out += comps) {
            out[0] = row[x * 4 + 2];
            out[1] = row[x * 4 + 1];
            out[2] = row[x * 4 + 0];
            if (alpha)
                out[3] = row[x * 4 + 3];
        }
    }
    pSrcSurface->UnlockRect();
    SafeRelease(copy);
    // Encoded in memory and written by our own file code, so that a failure can say why; a
    // screenshot is never left half written.
    std::string png;
    const auto append = [](void* context, void* data, int size) {
        static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<size_t>(size));
    };
    if (!stbi_write_png_to_func(append, &png, static_cast<int>(desc.Width), static_cast<int>(desc.Height), comps,
                                bits.data(), static_cast<int>(desc.Width) * comps)) {
        PLATFORM_LOG_ERROR << "PNG file " << pDestFile << " could not be encoded";
        return E_FAIL;
    }
    std::string error;
    if (!ReplaceFileContents(pDestFile, png.data(), png.size(), &error)) {
        PLATFORM_LOG_ERROR << "PNG file " << pDestFile << " could not be written: " << error;
        return E_FAIL;
    }
    return D3D_OK;
}
