#include "System/Movie/YuvConverter.h"

#include <algorithm>
#include <cstddef>

#if defined(__SSE2__) && defined(__x86_64__)
#define QM_YUV_SSE2 1
#include <emmintrin.h>
#endif

namespace {

int16_t Scaled(double factor, int value)
{
    // Truncation toward zero after adding one half, as the tables have always been built.
    return static_cast<int16_t>(factor * 64.0 * value + 0.5);
}

YuvTables BuildTables()
{
    YuvTables t{};
    for (int i = 0; i < 256; ++i) {
        int16_t y = Scaled(1.164, i - 16);
        t.y[i] = {y, y, y, 0};
        t.cb[i] = {Scaled(2.018, i - 128), Scaled(-0.391, i - 128), 0, 16383};
        t.cr[i] = {0, Scaled(-0.813, i - 128), Scaled(1.596, i - 128), 0};
    }
    return t;
}

#if !defined(QM_YUV_SSE2)
int16_t AddSaturated(int a, int b)
{
    return static_cast<int16_t>(std::clamp(a + b, -32768, 32767));
}

uint8_t Channel(int16_t lane)
{
    return static_cast<uint8_t>(std::clamp(lane >> 6, 0, 255));
}

void StorePixel(uint8_t* out, const YuvLanes& y, const YuvLanes& chroma)
{
    out[0] = Channel(AddSaturated(y.b, chroma.b));
    out[1] = Channel(AddSaturated(y.g, chroma.g));
    out[2] = Channel(AddSaturated(y.r, chroma.r));
    out[3] = Channel(AddSaturated(y.a, chroma.a));
}
#endif

} // namespace

const YuvTables& GetYuvTables()
{
    static const YuvTables tables = BuildTables();
    return tables;
}

#if defined(QM_YUV_SSE2)

void YuvRowToBgra(uint8_t* destination, const uint8_t* y, const uint8_t* cb, const uint8_t* cr, int width)
{
    const YuvTables& t = GetYuvTables();
    const bool streamable = (reinterpret_cast<uintptr_t>(destination) & 7) == 0;
    int x = 0;
    for (; x + 1 < width; x += 2) {
        // Both pixels of the pair in one register: lanes B G R A of the left, then of the right.
        __m128i chroma = _mm_adds_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(&t.cb[cb[x >> 1]])),
                                        _mm_loadl_epi64(reinterpret_cast<const __m128i*>(&t.cr[cr[x >> 1]])));
        chroma = _mm_unpacklo_epi64(chroma, chroma);
        __m128i luma = _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(&t.y[y[x]])),
                                          _mm_loadl_epi64(reinterpret_cast<const __m128i*>(&t.y[y[x + 1]])));
        __m128i lanes = _mm_srai_epi16(_mm_adds_epi16(luma, chroma), 6);
        __m128i bytes = _mm_packus_epi16(lanes, lanes);
        uint8_t* out = destination + x * 4;
        if (streamable)
            _mm_stream_si64(reinterpret_cast<long long*>(out), _mm_cvtsi128_si64(bytes));
        else
            _mm_storel_epi64(reinterpret_cast<__m128i*>(out), bytes);
    }
    if (x < width) {
        __m128i chroma = _mm_adds_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(&t.cb[cb[x >> 1]])),
                                        _mm_loadl_epi64(reinterpret_cast<const __m128i*>(&t.cr[cr[x >> 1]])));
        __m128i luma = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(&t.y[y[x]]));
        __m128i lanes = _mm_srai_epi16(_mm_adds_epi16(luma, chroma), 6);
        __m128i bytes = _mm_packus_epi16(lanes, lanes);
        int32_t pixel = _mm_cvtsi128_si32(bytes);
        __builtin_memcpy(destination + x * 4, &pixel, 4);
    }
}

#else

void YuvRowToBgra(uint8_t* destination, const uint8_t* y, const uint8_t* cb, const uint8_t* cr, int width)
{
    const YuvTables& t = GetYuvTables();
    for (int x = 0; x < width; ++x) {
        const YuvLanes& b = t.cb[cb[x >> 1]];
        const YuvLanes& r = t.cr[cr[x >> 1]];
        YuvLanes chroma{AddSaturated(b.b, r.b), AddSaturated(b.g, r.g), AddSaturated(b.r, r.r), AddSaturated(b.a, r.a)};
        StorePixel(destination + x * 4, t.y[y[x]], chroma);
    }
}

#endif

void YuvToBgra(uint8_t* destination, int destinationStride, const uint8_t* y, int yStride, const uint8_t* cb,
               const uint8_t* cr, int chromaStride, int width, int height)
{
    for (int i = 0; i < height; ++i) {
        const std::ptrdiff_t chromaRow = static_cast<std::ptrdiff_t>(i / 2) * chromaStride;
        YuvRowToBgra(destination + static_cast<std::ptrdiff_t>(i) * destinationStride,
                     y + static_cast<std::ptrdiff_t>(i) * yStride, cb + chromaRow, cr + chromaRow, width);
    }
#if defined(QM_YUV_SSE2)
    // The rows went out with non-temporal stores: make them visible before the frame is handed on.
    _mm_sfence();
#endif
}
