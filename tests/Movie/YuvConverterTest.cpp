// The movie colour converter: known Y'CbCr triples, the tables' anchor values, row layout.
#include "System/Movie/YuvConverter.h"

#include <array>
#include <cstdint>
#include <gtest/gtest.h>
#include <vector>

namespace {

struct Triple {
    uint8_t y, cb, cr;
    std::array<uint8_t, 4> bgra;
};

std::array<uint8_t, 4> ConvertOne(uint8_t y, uint8_t cb, uint8_t cr)
{
    alignas(16) uint8_t out[8] = {};
    const uint8_t ys[2] = {y, y};
    YuvRowToBgra(out, ys, &cb, &cr, 2);
    return {out[0], out[1], out[2], out[3]};
}

} // namespace

TEST(YuvConverter, KnownTriplesGiveExpectedBytes)
{
    const Triple cases[] = {
        {16, 128, 128, {0, 0, 0, 255}},        // studio black
        {235, 128, 128, {254, 254, 254, 255}}, // studio white
        {255, 128, 128, {255, 255, 255, 255}}, // above white clamps
        {0, 128, 128, {0, 0, 0, 255}},         // below black clamps
        {128, 128, 128, {130, 130, 130, 255}},
        {17, 129, 127, {3, 1, 0, 255}},
        {100, 150, 110, {142, 103, 69, 255}},
        {180, 100, 160, {134, 175, 241, 255}},
        {60, 128, 200, {51, 0, 166, 255}},
        {81, 90, 240, {0, 0, 254, 255}},  // red
        {145, 54, 34, {0, 255, 0, 255}},  // green
        {41, 240, 110, {255, 0, 0, 255}}, // blue
        // Lanes that overflow 16 bits must saturate, not wrap.
        {255, 255, 255, {255, 125, 255, 255}},
        {0, 0, 0, {0, 135, 0, 255}},
        {128, 0, 255, {0, 77, 255, 255}},
        {128, 255, 0, {255, 184, 0, 255}},
    };
    for (const Triple& c : cases) {
        SCOPED_TRACE(testing::Message() << "Y " << int(c.y) << " Cb " << int(c.cb) << " Cr " << int(c.cr));
        EXPECT_EQ(c.bgra, ConvertOne(c.y, c.cb, c.cr));
    }
}

TEST(YuvConverter, TablesHoldTheFixedPointAnchors)
{
    const YuvTables& t = GetYuvTables();
    EXPECT_EQ(17805, t.y[255].b);
    EXPECT_EQ(17805, t.y[255].g);
    EXPECT_EQ(17805, t.y[255].r);
    EXPECT_EQ(0, t.y[255].a);
    EXPECT_EQ(0, t.y[16].r);
    EXPECT_EQ(-16530, t.cb[0].b);
    EXPECT_EQ(3203, t.cb[0].g);
    EXPECT_EQ(0, t.cb[0].r);
    EXPECT_EQ(16383, t.cb[0].a);
    EXPECT_EQ(0, t.cr[128].g);
    EXPECT_EQ(0, t.cr[128].r);
}

TEST(YuvConverter, PairsShareChromaAndAnOddLastPixelUsesItsOwn)
{
    // Five pixels: pairs (0,1), (2,3) and the lone 4th; each chroma sample is distinct.
    const uint8_t y[5] = {128, 128, 128, 128, 128};
    const uint8_t cb[3] = {128, 128, 255};
    const uint8_t cr[3] = {128, 200, 128};
    std::vector<uint8_t> out(5 * 4 + 4, 0xEE);
    YuvRowToBgra(out.data(), y, cb, cr, 5);
    EXPECT_EQ(ConvertOne(128, 128, 128), (std::array<uint8_t, 4>{out[0], out[1], out[2], out[3]}));
    EXPECT_EQ(ConvertOne(128, 128, 128), (std::array<uint8_t, 4>{out[4], out[5], out[6], out[7]}));
    EXPECT_EQ(ConvertOne(128, 128, 200), (std::array<uint8_t, 4>{out[8], out[9], out[10], out[11]}));
    EXPECT_EQ(ConvertOne(128, 128, 200), (std::array<uint8_t, 4>{out[12], out[13], out[14], out[15]}));
    EXPECT_EQ(ConvertOne(128, 255, 128), (std::array<uint8_t, 4>{out[16], out[17], out[18], out[19]}));
    // Nothing written past the row.
    for (size_t i = 20; i < out.size(); ++i)
        EXPECT_EQ(0xEE, out[i]);
}

TEST(YuvConverter, RowsTakeHalfHeightChromaAndFollowNegativeStrides)
{
    // A 2 x 4 picture stored bottom-up (negative strides), chroma rows 0 and 1.
    const int width = 2, height = 4;
    const uint8_t yRows[4][2] = {{235, 235}, {16, 16}, {235, 16}, {128, 128}}; // memory order: last row first
    const uint8_t cbRows[2][1] = {{128}, {255}};
    const uint8_t crRows[2][1] = {{128}, {128}};
    std::vector<uint8_t> out(width * height * 4);
    YuvToBgra(out.data(), width * 4, &yRows[3][0], -2, &cbRows[1][0], &crRows[1][0], -1, width, height);
    // Picture row 0 is yRows[3] with chroma row 0 (cbRows[1]); row 2 is yRows[1] with cbRows[0].
    auto at = [&](int x, int row) {
        const uint8_t* p = &out[(row * width + x) * 4];
        return std::array<uint8_t, 4>{p[0], p[1], p[2], p[3]};
    };
    EXPECT_EQ(ConvertOne(128, 255, 128), at(0, 0));
    EXPECT_EQ(ConvertOne(235, 255, 128), at(0, 1));
    EXPECT_EQ(ConvertOne(16, 255, 128), at(1, 1));
    EXPECT_EQ(ConvertOne(16, 128, 128), at(0, 2));
    EXPECT_EQ(ConvertOne(235, 128, 128), at(1, 3));
}
