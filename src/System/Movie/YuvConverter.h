// The movie frames' colour conversion: Theora's Y'CbCr 4:2:0 planes into 32-bit pixels whose
// bytes are B, G, R, A (alpha always 255). Table driven, fixed point with 6 fraction bits.
#pragma once

#include <cstdint>

// One entry per sample value: the contribution to the B, G, R and A lanes, scaled by 64.
struct YuvLanes {
    int16_t b, g, r, a;
};

struct YuvTables {
    alignas(8) YuvLanes y[256];
    alignas(8) YuvLanes cb[256];
    alignas(8) YuvLanes cr[256];
};

// The process-wide tables, built on first use.
const YuvTables& GetYuvTables();

// One row: `width` pixels from the Y row and the chroma rows (one Cb and Cr sample for each
// pair of pixels; an odd last pixel uses its own pair's sample).
void YuvRowToBgra(uint8_t* destination, const uint8_t* y, const uint8_t* cb, const uint8_t* cr, int width);

// The whole picture: row i reads Y row i and chroma row i / 2. Strides may be negative
// (bottom-up planes).
void YuvToBgra(uint8_t* destination, int destinationStride, const uint8_t* y, int yStride, const uint8_t* cb,
               const uint8_t* cr, int chromaStride, int width, int height);
