#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "System/Graphics/SpriteBatch.h"

namespace {

TEST(SpriteMathTest, DepthBandsAndKeys)
{
    struct Case {
        float depth;
        uint32_t band;
    } cases[] = {
        {0.1f, 0},       {0.11f, 6},      {1.0f, 590},
        {50.0f, 32734},  {100.0f, 65534},
        {0.05f, 65504},  // nearer than the near plane wraps to the far end, as 16 bits do
        {std::numeric_limits<float>::quiet_NaN(), 0},
        {1e30f, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SpriteDepthBand(c.depth), c.band) << c.depth;

    // Far bands first; within a band the render-state word, then the texture's key.
    EXPECT_EQ(MakeSpriteBatchKey(1.0f, 0x21, 0xCAFEF00D), (uint64_t(((0xFFFFu - 590) << 16) | 0x21) << 32) | 0xCAFEF00D);
    EXPECT_LT(MakeSpriteBatchKey(100.0f, 0x3F, 0xFFFFFFFF), MakeSpriteBatchKey(50.0f, 1, 0));
    EXPECT_LT(MakeSpriteBatchKey(1.0f, 1, 0xFFFFFFFF), MakeSpriteBatchKey(1.0f, 2, 0));
    EXPECT_LT(MakeSpriteBatchKey(1.0f, 1, 5), MakeSpriteBatchKey(1.0f, 1, 6));
}

TEST(SpriteMathTest, MatrixProductInPlace)
{
    const float scale[16] = {2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const float turn[16] = {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const float move[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 10, 20, 30, 1};
    // Row vectors: scale, then turn a quarter, then move.
    const float expected[16] = {0, 2, 0, 0, -3, 0, 0, 0, 0, 0, 1, 0, 10, 20, 30, 1};
    float out[16];
    MatrixMultiply4x4(scale, turn, out);
    MatrixMultiply4x4(out, move, out); // the output may be the left operand
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(out[i], expected[i]) << i;
    float right[16];
    std::copy(move, move + 16, right);
    float left[16];
    MatrixMultiply4x4(scale, turn, left);
    MatrixMultiply4x4(left, right, right); // ... or the right one
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(right[i], expected[i]) << i;
}

} // namespace
