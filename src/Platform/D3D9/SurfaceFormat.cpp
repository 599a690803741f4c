#include "Platform/D3D9/SurfaceFormat.h"

#include <cstring>

namespace {

void Expand565(uint16_t c, uint8_t out[3])
{
    uint32_t r = (c >> 11) & 31, g = (c >> 5) & 63, b = c & 31;
    out[0] = static_cast<uint8_t>((b << 3) | (b >> 2));
    out[1] = static_cast<uint8_t>((g << 2) | (g >> 4));
    out[2] = static_cast<uint8_t>((r << 3) | (r >> 2));
}

// The colour half of a block: 16 B, G, R, A texels (alpha 255 or 0 for DXT1's transparent index).
void DecodeColorBlock(const uint8_t* block, bool dxt1, uint8_t texels[16][4])
{
    uint16_t c0 = static_cast<uint16_t>(block[0] | (block[1] << 8));
    uint16_t c1 = static_cast<uint16_t>(block[2] | (block[3] << 8));
    uint8_t palette[4][4];
    Expand565(c0, palette[0]);
    Expand565(c1, palette[1]);
    palette[0][3] = palette[1][3] = 255;
    if (!dxt1 || c0 > c1) {
        for (int i = 0; i < 3; ++i) {
            palette[2][i] = static_cast<uint8_t>((2 * palette[0][i] + palette[1][i]) / 3);
            palette[3][i] = static_cast<uint8_t>((palette[0][i] + 2 * palette[1][i]) / 3);
        }
        palette[2][3] = palette[3][3] = 255;
    } else {
        for (int i = 0; i < 3; ++i) {
            palette[2][i] = static_cast<uint8_t>((palette[0][i] + palette[1][i]) / 2);
            palette[3][i] = 0;
        }
        palette[2][3] = 255;
        palette[3][3] = 0;
    }
    uint32_t indices =
        static_cast<uint32_t>(block[4] | (block[5] << 8) | (block[6] << 16)) | (static_cast<uint32_t>(block[7]) << 24);
    for (int t = 0; t < 16; ++t)
        std::memcpy(texels[t], palette[(indices >> (2 * t)) & 3], 4);
}

} // namespace

void DecodeDxtToBgra(D3DFORMAT format, const uint8_t* blocks, uint32_t width, uint32_t height, uint8_t* bgra)
{
    const size_t blockBytes = format == D3DFMT_DXT1 ? 8 : 16;
    const uint32_t bw = (width + 3) / 4, bh = (height + 3) / 4;
    for (uint32_t by = 0; by < bh; ++by) {
        for (uint32_t bx = 0; bx < bw; ++bx) {
            const uint8_t* block = blocks + (static_cast<size_t>(by) * bw + bx) * blockBytes;
            uint8_t texels[16][4];
            if (format == D3DFMT_DXT1) {
                DecodeColorBlock(block, true, texels);
            } else {
                DecodeColorBlock(block + 8, false, texels);
                if (format == D3DFMT_DXT3) {
                    for (int t = 0; t < 16; ++t) {
                        uint32_t a = (block[t / 2] >> ((t & 1) * 4)) & 15;
                        texels[t][3] = static_cast<uint8_t>(a * 17);
                    }
                } else {
                    uint8_t a[8] = {block[0], block[1]};
                    if (a[0] > a[1]) {
                        for (int i = 1; i < 7; ++i)
                            a[i + 1] = static_cast<uint8_t>(((7 - i) * a[0] + i * a[1]) / 7);
                    } else {
                        for (int i = 1; i < 5; ++i)
                            a[i + 1] = static_cast<uint8_t>(((5 - i) * a[0] + i * a[1]) / 5);
                        a[6] = 0;
                        a[7] = 255;
                    }
                    uint64_t bits = 0;
                    for (int i = 0; i < 6; ++i)
                        bits |= static_cast<uint64_t>(block[2 + i]) << (8 * i);
                    for (int t = 0; t < 16; ++t)
                        texels[t][3] = a[(bits >> (3 * t)) & 7];
                }
            }
            for (int t = 0; t < 16; ++t) {
                uint32_t x = bx * 4 + (t & 3), y = by * 4 + (t >> 2);
                if (x < width && y < height)
                    std::memcpy(bgra + (static_cast<size_t>(y) * width + x) * 4, texels[t], 4);
            }
        }
    }
}
