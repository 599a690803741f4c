// The translator on token streams of known length: malformed streams are refused, never read
// past their end.
#include "Platform/D3D9/ShaderTranslator.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

TEST(ShaderTranslator, RefusesMalformedStreams)
{
    struct Case {
        const char* name;
        std::vector<uint32_t> tokens;
        const char* reason;
    };
    const Case cases[] = {
        {"empty", {}, "empty shader"},
        {"version only", {0xFFFE0200}, "without an end token"},
        {"no end token", {0xFFFE0200, 0x02000001, 0xC00F0000, 0x90E40000}, "without an end token"},
        {"instruction past the end", {0xFFFE0200, 0x0F000001, 0x0000FFFF}, "past the end"},
        {"comment past the end", {0xFFFE0200, 0x0010FFFE, 0x0000FFFF}, "without an end token"},
        {"relative token missing", {0xFFFE0200, 0x03000001, 0x800F0000, 0xA0E42005}, "past the end"},
        {"flow control", {0xFFFE0200, 0x0000001C, 0x0000FFFF}, "unsupported instruction 28"},
        {"register type unknown", {0xFFFE0200, 0x02000001, 0x800F0000, 0xF0E40000, 0x0000FFFF}, "register"},
        {"temp out of range", {0xFFFE0200, 0x02000001, 0x800F000C, 0x90E40000, 0x0000FFFF}, "out of range"},
        {"empty write mask", {0xFFFE0200, 0x02000001, 0x80000000, 0x90E40000, 0x0000FFFF}, "write mask"},
        {"def of infinity", {0xFFFE0200, 0x05000051, 0xA00F0000, 0x7F800000, 0, 0, 0, 0x0000FFFF}, "not finite"},
        {"cube sampler", {0xFFFF0200, 0x0200001F, 0x98000000, 0xA00F0800, 0x0000FFFF}, "2D samplers"},
        {"length too short", {0xFFFE0200, 0x01000001, 0xC00F0000, 0x0000FFFF}, "missing source"},
        {"texkill in a vertex shader",
         {0xFFFE0200, 0x0200001F, 0x80000000, 0x900F0000, 0x01000041, 0x900F0000, 0x0000FFFF},
         "texkill in a vertex shader"},
        {"undeclared input",
         {0xFFFE0200, 0x02000001, 0xC00F0000, 0x90E40002, 0x0000FFFF},
         "v2 is read but not declared"},
        {"input declared twice",
         {0xFFFE0200, 0x0200001F, 0x80000000, 0x900F0001, 0x0200001F, 0x80000005, 0x900F0001, 0x0000FFFF},
         "v1 declared twice"},
        {"relative temporary",
         {0xFFFE0200, 0x03000001, 0xC00F0000, 0x80E42001, 0xB0000000, 0x0000FFFF},
         "relative addressing of a register other than c#"},
        {"mova saturated", {0xFFFE0200, 0x0200002E, 0xB0110000, 0xA0000000, 0x0000FFFF}, "mova cannot saturate"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TranslatedShader out;
        std::string error;
        EXPECT_FALSE(TranslateShader(c.tokens.data(), c.tokens.size(), out, error));
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
}

TEST(ShaderTranslator, RecordsInputsSamplersAndLength)
{
    // dcl_texcoord2 v5; comment of 2 words; mov oPos, v5; end.
    const std::vector<uint32_t> vs = {0xFFFE0200, 0x0200001F, 0x80020005, 0x900F0005, 0x0002FFFE, 0x12345678,
                                      0x9ABCDEF0, 0x02000001, 0xC00F0000, 0x90E40005, 0x0000FFFF, 0xDEADBEEF};
    TranslatedShader out;
    std::string error;
    ASSERT_TRUE(TranslateShader(vs.data(), vs.size(), out, error)) << error;
    EXPECT_FALSE(out.pixel);
    ASSERT_EQ(out.inputs.size(), 1u);
    EXPECT_EQ(out.inputs[0].reg, 5u);
    EXPECT_EQ(out.inputs[0].usage, 5u);
    EXPECT_EQ(out.inputs[0].usageIndex, 2u);
    EXPECT_EQ(out.tokenCount, vs.size() - 1);
    const std::vector<uint32_t> ps = {0xFFFF0200, 0x0200001F, 0x90000000, 0xA00F0803, 0x0000FFFF};
    ASSERT_TRUE(TranslateShader(ps.data(), ps.size(), out, error)) << error;
    EXPECT_TRUE(out.pixel);
    EXPECT_EQ(out.samplerMask, 1u << 3);
}

} // namespace
