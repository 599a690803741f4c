// Decoding of image files into level-0 surface bytes: DDS (parsed here), and BMP, TGA, PNG
// and JPEG (through stb_image).
#pragma once

#include "Platform/D3DX/D3DX9.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct DecodedImage {
    uint32_t width = 0;
    uint32_t height = 0;
    D3DFORMAT fileFormat = D3DFMT_UNKNOWN;    // what the file holds, as D3DXIMAGE_INFO reports it
    D3DFORMAT surfaceFormat = D3DFMT_UNKNOWN; // format of `bits`: A8R8G8B8, X8R8G8B8 or DXT1/3/5
    D3DXIMAGE_FILEFORMAT fileType = D3DXIFF_BMP;
    std::vector<uint8_t> bits; // rows of FormatPitch(surfaceFormat, width) bytes, top row first
};

// Largest width or height accepted from a file.
constexpr uint32_t kMaxImageDimension = 8192;
// Largest pixel count accepted from a file (64 MiB decoded): a small file can claim a size
// whose decoding would take seconds and hundreds of megabytes.
constexpr uint64_t kMaxImagePixels = 4096u * 4096u;
// The most a deflate stream can expand: a 258-byte match costs at least two bits.
constexpr uint64_t kDeflateMaxRatio = 1032;

// Decodes `size` bytes; false with a reason in `error` for anything malformed or unsupported,
// for more than kMaxImagePixels pixels, and for a claimed size the file cannot hold (BMP and
// uncompressed TGA: their pixel bytes; run-length TGA: 128 pixels per packet; PNG: the
// deflate ratio), before any decoding.
bool DecodeImageFile(const void* data, size_t size, DecodedImage& image, std::string& error);
