#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <string>

#include "System/Common/NameHash.h"
#include "System/Common/Random.h"

TEST(HashName, KnownIds)
{
    struct Case {
        std::string name;
        NameId id;
    } cases[] = {
        {"", 0u},
        {"abc", 0x439C2F4Bu},
        {std::string(1, '\x83'), 0xFAF3A29Cu}, // sign-extended, not 0x050C5D9C
        {"a", 0x050C5D7Eu},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HashName(c.name), c.id) << "name of length " << c.name.size();
}

TEST(HashName, EmbeddedZeroBytesCount)
{
    EXPECT_NE(HashName(std::string("a\0b", 3)), HashName("ab"));
}

// First 40 words of the SFMT-607 reference generator seeded with 1234 (two refills).
static const uint32_t kReference1234[40] = {
    1196421539u, 2865311212u, 3866479472u, 2692900087u, 3838928621u, 3188765817u, 2751632982u, 3712143069u,
    549918413u,  2026167923u, 1600383423u, 1164248707u, 3597250909u, 1646078700u, 3597866549u, 738391729u,
    1195673494u, 320418194u,  3419357688u, 4060638541u, 3132037965u, 2907853147u, 886556822u,  1640020536u,
    2638235623u, 538643813u,  513603633u,  1576774846u, 2624061267u, 1520310145u, 1556074285u, 274920712u,
    1875395000u, 435607661u,  4280948541u, 3881013247u, 1871389704u, 1386666007u, 1521983728u, 2017380625u};

// Asset paths hashed before can be named again by their id, for log lines about missing
// things; other names and unknown ids show the id.
TEST(HashName, IdsOfAssetPathsCanBeDescribed)
{
    const NameId path = HashName("assets.v1/sounds/se/described_here");
    EXPECT_EQ(DescribeNameId(path), "\"assets.v1/sounds/se/described_here\" (id " + [&] {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%08x", path);
        return std::string(hex);
    }() + ")");
    EXPECT_EQ(DescribeNameId(HashName("no_slash_in_this_name")).rfind("id 0x", 0), 0u);
    EXPECT_EQ(DescribeNameId(0x12345678u), "id 0x12345678");
}

TEST(Random, MatchesReferenceSequence)
{
    SfmtInit(1234);
    EXPECT_EQ(g_nRandomPoolIndex, 20u);
    for (int i = 0; i < 40; ++i)
        ASSERT_EQ(RandomNext(), kReference1234[i]) << "word " << i;
}

TEST(Random, RefillsOnTheTwentyFirstDraw)
{
    SfmtInit(1234);
    for (int i = 0; i < 20; ++i)
        RandomNext();
    EXPECT_EQ(g_nRandomPoolIndex, 20u);
    uint32_t before = g_aRandomPool[0];
    EXPECT_EQ(RandomNext(), kReference1234[20]);
    EXPECT_NE(g_aRandomPool[0], before);
    EXPECT_EQ(g_nRandomPoolIndex, 1u);
}

// Sets the pool so that the next draw returns exactly w.
static void NextWordIs(uint32_t w)
{
    g_aRandomPool[0] = w;
    g_nRandomPoolIndex = 0;
}

TEST(Random, Reductions)
{
    struct ChanceCase {
        uint32_t w;
        int32_t percent;
        bool expected;
    } chances[] = {
        {0u, 0, false},          {99u, 100, true},   {0xFFFFFFFFu, 100, true}, {0u, -5, false},
        {49u, 50, true},         {50u, 50, false},   {199u, 100, true},        {0u, 1, true},
        {0xFFFFFFFFu, 0, false}, {4294967295u, 96, true}, // 4294967295 % 100 = 95
    };
    for (const ChanceCase& c : chances) {
        NextWordIs(c.w);
        EXPECT_EQ(RandomChance(c.percent), c.expected) << c.w << " at " << c.percent << "%";
    }

    struct UIntCase {
        uint32_t w, a, b, expected;
    } uints[] = {
        {0u, 5u, 10u, 5u},
        {0xFFFFFFFFu, 5u, 10u, 10u}, // the upper bound, reached only by the last word
        {0xFFFFFFFEu, 10u, 5u, 9u},
        {0x80000000u, 0u, 0xFFFFFFFFu, 0x80000000u}, // the double product rounds up to 2^31
        {0xFFFFFFFFu, 0u, 0xFFFFFFFFu, 0xFFFFFFFFu},
        {12345u, 7u, 7u, 7u},
    };
    for (const UIntCase& c : uints) {
        NextWordIs(c.w);
        EXPECT_EQ(RandomUIntRange(c.a, c.b), c.expected) << c.w;
    }

    struct IntCase {
        uint32_t w;
        int32_t a, b, expected;
    } ints[] = {
        {0u, -10, 10, -10},
        {0xFFFFFFFFu, -10, 10, 10},
        {0xFFFFFFFFu, 10, -10, 10},
        {0x80000000u, -10, 10, 0},
        // Spans wider than INT_MAX: an out-of-range product becomes 0x80000000, the sum wraps.
        {0u, INT32_MIN, INT32_MAX, INT32_MIN},
        {0x40000000u, INT32_MIN, INT32_MAX, -1073741824},
        {0xFFFFFFFFu, INT32_MIN, INT32_MAX, 0},
        {0xFFFFFFFFu, -1, INT32_MAX, INT32_MAX},
    };
    for (const IntCase& c : ints) {
        NextWordIs(c.w);
        EXPECT_EQ(RandomIntRange(c.a, c.b), c.expected) << c.w << " in " << c.a << ".." << c.b;
    }

    struct FloatCase {
        uint32_t w;
        float a, b, expected;
    } floats[] = {
        {0u, 1.0f, 3.0f, 1.0f},
        {0u, 3.0f, 1.0f, 1.0f},
        {0xFFFFFFFFu, 3.0f, 1.0f, 3.0f},
        {0x80000000u, 1.0f, 3.0f, 2.0f},
        {0x80000000u, -4.0f, 4.0f, 0.0f},
        // The span is taken in double precision; only the product is rounded to float.
        {0x80000000u, 16777216.0f, -1.0f, 8388608.0f},
        {0u, -FLT_MAX, FLT_MAX, -FLT_MAX},
        {0x80000000u, -FLT_MAX, FLT_MAX, 0.0f},
    };
    for (const FloatCase& c : floats) {
        NextWordIs(c.w);
        // Exact: the roundings are part of the result.
        EXPECT_EQ(RandomFloat(c.a, c.b), c.expected) << c.w << " in " << c.a << ".." << c.b;
    }
}

TEST(Random, FloatRangeIsTheSameEitherWayRound)
{
    SfmtInit(99);
    float lo = 10, hi = -10;
    for (int i = 0; i < 1000; ++i) {
        float v = (i % 2) ? RandomFloat(1.0f, 3.0f) : RandomFloat(3.0f, 1.0f);
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
    EXPECT_GE(lo, 1.0f);
    EXPECT_LE(hi, 3.0f);
    EXPECT_LT(lo, 1.1f);
    EXPECT_GT(hi, 2.9f);
}
