// Memory layout of the surface formats the platform stores: bytes per row and rows of
// blocks, and the CPU decoder of the DXT block formats.
#pragma once

#include "Platform/D3D9/D3D9Types.h"

#include <cstddef>
#include <cstdint>

inline bool IsBlockFormat(D3DFORMAT format)
{
    return format == D3DFMT_DXT1 || format == D3DFMT_DXT3 || format == D3DFMT_DXT5;
}

// Bytes per pixel of a non-block format; 0 for a format the platform does not store.
inline uint32_t FormatBytesPerPixel(D3DFORMAT format)
{
    switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8: return 4;
    case D3DFMT_R8G8B8: return 3;
    default: return 0;
    }
}

inline bool IsStoredFormat(D3DFORMAT format)
{
    return IsBlockFormat(format) || FormatBytesPerPixel(format) != 0;
}

// Bytes of one row (of pixels, or of 4 x 4 blocks).
inline size_t FormatPitch(D3DFORMAT format, uint32_t width)
{
    if (IsBlockFormat(format))
        return static_cast<size_t>((width + 3) / 4) * (format == D3DFMT_DXT1 ? 8 : 16);
    return static_cast<size_t>(width) * FormatBytesPerPixel(format);
}

// Rows of the pitch above that the surface holds.
inline uint32_t FormatRows(D3DFORMAT format, uint32_t height)
{
    return IsBlockFormat(format) ? (height + 3) / 4 : height;
}

inline size_t FormatSurfaceSize(D3DFORMAT format, uint32_t width, uint32_t height)
{
    return FormatPitch(format, width) * FormatRows(format, height);
}

// Decodes DXT1, DXT3 or DXT5 blocks of a width x height image into B, G, R, A bytes
// (width x 4 per row). DXT1 blocks in three-colour mode give transparent black for index 3.
void DecodeDxtToBgra(D3DFORMAT format, const uint8_t* blocks, uint32_t width, uint32_t height, uint8_t* bgra);
