#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "System/Graphics/Color.h"

namespace {

struct PackCase {
    float a, r, g, b;
    uint32_t expected;
};

TEST(ColorTest, PacksAlphaIntoTheHighByteClampingAndTruncating)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const PackCase cases[] = {
        {1.0f, 1.0f, 0.0f, 0.0f, 0xFFFF0000u},
        {0.5f, 0.0f, 0.0f, 1.0f, 0x7F0000FFu},      // 127.5 truncates
        {1.0f, 1.5f, -0.2f, 0.5f, 0xFFFF007Fu},     // out of range clamps
        {0.0f, 0.0f, 0.0f, 0.0f, 0x00000000u},
        {nan, 1.0f, nan, 0.25f, 0x00FF003Fu},       // NaN counts as 0
        {1.0f, 0.003921569f, 0.0f, 0.0f, 0xFF010000u},
    };
    for (const PackCase& c : cases)
        EXPECT_EQ(PackColor(c.a, c.r, c.g, c.b), c.expected) << c.a << " " << c.r << " " << c.g << " " << c.b;
}

TEST(ColorTest, SharedConstants)
{
    EXPECT_EQ(g_colorRed, 0xFFFF0000u);
    EXPECT_EQ(g_colorGreen, 0xFF00FF00u);
    EXPECT_EQ(g_colorBlue, 0xFF0000FFu);
    EXPECT_EQ(g_colorWhite, 0xFFFFFFFFu);
    EXPECT_EQ(g_colorBlack, 0xFF000000u);
    EXPECT_EQ(g_colorYellow, 0xFFFFEA04u); // 0.92 * 255 = 234.6, 0.016 * 255 = 4.08
    EXPECT_EQ(g_colorCyan, 0xFF00FFFFu);
    EXPECT_EQ(g_colorMagenta, 0xFFFF00FFu);
    EXPECT_EQ(g_colorGrey, 0xFF7F7F7Fu);
    EXPECT_EQ(g_colorClear, 0u);
}

} // namespace
