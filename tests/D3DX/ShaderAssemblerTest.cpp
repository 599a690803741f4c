// Assembly text to the Direct3D 9 token stream: known encodings and rejected texts.
#include "Platform/D3DX/D3DX9.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::vector<uint32_t> Assemble(const std::string& text, std::string* errors = nullptr)
{
    LPD3DXBUFFER code = nullptr, messages = nullptr;
    HRESULT hr = D3DXAssembleShader(text.data(), static_cast<UINT>(text.size()), nullptr, nullptr, 0, &code, &messages);
    std::vector<uint32_t> tokens;
    if (SUCCEEDED(hr)) {
        tokens.resize(code->GetBufferSize() / 4);
        std::memcpy(tokens.data(), code->GetBufferPointer(), code->GetBufferSize());
        code->Release();
        EXPECT_EQ(messages, nullptr);
    } else {
        EXPECT_EQ(hr, D3DXERR_INVALIDDATA);
        EXPECT_EQ(code, nullptr);
        if (messages && errors)
            *errors = static_cast<const char*>(messages->GetBufferPointer());
        if (messages)
            messages->Release();
    }
    return tokens;
}

struct EncodingCase {
    const char* text;               // one statement after the version line
    std::vector<uint32_t> expected; // its tokens
};

void CheckEncodings(const char* version, uint32_t versionToken, const std::vector<EncodingCase>& cases)
{
    for (const EncodingCase& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<uint32_t> tokens = Assemble(std::string(version) + "\n" + c.text + "\n");
        std::vector<uint32_t> expected = {versionToken};
        expected.insert(expected.end(), c.expected.begin(), c.expected.end());
        expected.push_back(0x0000FFFF);
        EXPECT_EQ(tokens, expected);
    }
}

TEST(ShaderAssembler, VertexShaderEncodings)
{
    CheckEncodings(
        "vs_2_0", 0xFFFE0200,
        {
            {"mov oPos, v0", {0x02000001, 0xC00F0000, 0x90E40000}},
            {"dcl_position v0", {0x0200001F, 0x80000000, 0x900F0000}},
            {"dcl_texcoord1 v2", {0x0200001F, 0x80010005, 0x900F0002}},
            {"dcl_blendweight v3.x", {0x0200001F, 0x80000001, 0x90010003}},
            {"def c0, 1, 0, 0.5, -1", {0x05000051, 0xA00F0000, 0x3F800000, 0x00000000, 0x3F000000, 0xBF800000}},
            {"mad_sat r0.xy, -r1.x, c2, r3", {0x04000004, 0x80130000, 0x81000001, 0xA0E40002, 0x80E40003}},
            {"mov r0, c[a0.x + 5]", {0x03000001, 0x800F0000, 0xA0E42005, 0xB0000000}},
            {"mov r1.w, c[a0.y]", {0x03000001, 0x80080001, 0xA0E42000, 0xB0550000}},
            {"mova a0.x, v3.x", {0x0200002E, 0xB0010000, 0x90000003}},
            {"dp4 oPos.z, r0, c2.wzyx", {0x03000009, 0xC0040000, 0x80E40000, 0xA01B0002}},
            {"m4x4 oT0, v0, c4", {0x03000014, 0xE00F0000, 0x90E40000, 0xA0E40004}},
            {"mov oD1.xz, v1.bgra", {0x02000001, 0xD0050001, 0x90C60001}},
            {"rcp r2.x, r1.w  // comment", {0x02000006, 0x80010002, 0x80FF0001}},
        });
}

TEST(ShaderAssembler, PixelShaderEncodings)
{
    CheckEncodings("ps_2_0", 0xFFFF0200,
                   {
                       {"dcl_2d s0", {0x0200001F, 0x90000000, 0xA00F0800}},
                       {"dcl t0.xy", {0x0200001F, 0x80000000, 0xB0030000}},
                       {"dcl v0", {0x0200001F, 0x80000000, 0x900F0000}},
                       {"texld r0, t0, s0", {0x03000042, 0x800F0000, 0xB0E40000, 0xA0E40800}},
                       {"texldp r1, t1, s2", {0x03010042, 0x800F0001, 0xB0E40001, 0xA0E40802}},
                       {"mov oC0, r0", {0x02000001, 0x800F0800, 0x80E40000}},
                       {"mul_pp r0.rgb, r0, v0.a", {0x02000005 | 0x01000000, 0x80270000, 0x80E40000, 0x90FF0000}},
                       {"cmp r0, -r1, c0, c1", {0x04000058, 0x800F0000, 0x81E40001, 0xA0E40000, 0xA0E40001}},
                       {"texkill t0", {0x01000041, 0xB00F0000}},
                   });
}

TEST(ShaderAssembler, CommentsAndCaseAreAccepted)
{
    std::vector<uint32_t> a = Assemble("vs_2_0\ndcl_position v0\nmov oPos, v0\n");
    std::vector<uint32_t> b = Assemble("// header\nVS_2_0 ; version\n/* block\n comment */ DCL_POSITION V0\r\n"
                                       "  MOV   oPos ,  v0   // trailing\n");
    EXPECT_FALSE(a.empty());
    EXPECT_EQ(a, b);
}

TEST(ShaderAssembler, RejectsWithAnErrorNamingTheLine)
{
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"", "shader version expected"},
        {"mov r0, r1", "shader version expected"},
        {"vs_3_0\nmov oPos, v0", "unsupported shader version"},
        {"ps_1_4\nmov r0, v0", "unsupported shader version"},
        {"vs_2_0\nfoo r0, r1", "line 2: unknown instruction 'foo'"},
        {"vs_2_0\nmov r0", "takes 2 operands, found 1"},
        {"vs_2_0\nmov r0, r1, r2", "takes 2 operands, found 3"},
        {"vs_2_0\nmov r12, v0", "out of range"},
        {"vs_2_0\nmov r0, v16", "out of range"},
        {"vs_2_0\nmov r0, c256", "out of range"},
        {"ps_2_0\nmov r0, c32", "out of range"},
        {"vs_2_0\nmov r0.yx, v0", "bad write mask"},
        {"vs_2_0\nmov r0.xq, v0", "bad write mask"},
        {"vs_2_0\nmov r0, v0.xyzwx", "bad swizzle"},
        {"vs_2_0\nmov r0, v0.q", "bad swizzle"},
        {"vs_2_0\nmov v0, r0", "cannot be written"},
        {"vs_2_0\nmov r0, oPos", "cannot be read"},
        {"vs_2_0\nmov oC0, r0", "not available in this shader version"},
        {"ps_2_0\nmov oPos, r0", "not available in this shader version"},
        {"ps_2_0\ntexld r0, t0, c0", "sampler register expected"},
        {"ps_2_0\nmov r0, s0", "only read by texld"},
        {"vs_2_0\ntexld r0, v0, s0", "not available in this shader version"},
        {"ps_2_0\nmova a0.x, r0", "not available in this shader version"},
        {"vs_2_0\nmov a0.x, v0", "written by mova only"},
        {"vs_2_0\ndef c0, 1.0, 2.0", "def takes a constant register and four values"},
        {"vs_2_0\ndef c0, 1.0, 2.0, x, 4", "bad number 'x'"},
        {"vs_2_0\ndef r0, 1, 2, 3, 4", "def defines a float constant register"},
        {"vs_2_0\nmov r0, c[a0.x + 300]", "out of range"},
        {"vs_2_0\nmov r0, c[r0.x + 1]", "relative address"},
        {"ps_2_0\nmov r0, c[a0.x]", "relative addressing is not available in ps_2_0"},
        {"vs_2_0\ndcl_foo v0", "unknown declaration usage"},
        {"vs_2_0\ndcl_position r0", "vs_2_0 declares input registers only"},
        {"ps_2_0\ndcl s0", "a sampler needs a texture type"},
        {"vs_2_0\nmov_x2 r0, v0", "unknown instruction modifier '_x2'"},
        {"vs_2_0\nmov r0, v0_bx2", "source modifier '_bx2' is not available"},
        {"vs_2_0\nmov_pp r0, v0", "_pp is a pixel shader modifier"},
        {"vs_2_0\nmov r0, , v0", "empty operand"},
        {"vs_2_0\n/* open comment\nmov r0, v0", "unterminated comment"},
        {"vs_2_0\nloop aL, i0", "unknown instruction 'loop'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::string errors;
        EXPECT_TRUE(Assemble(c.text, &errors).empty());
        EXPECT_NE(errors.find(c.message), std::string::npos) << errors;
    }
}

TEST(ShaderAssembler, ReportsEveryFaultyLine)
{
    std::string errors;
    Assemble("vs_2_0\nmov r0, v0\nbad1 r0\nmov r0, r1\nbad2 r0\n", &errors);
    EXPECT_NE(errors.find("line 3:"), std::string::npos) << errors;
    EXPECT_NE(errors.find("line 5:"), std::string::npos) << errors;
    EXPECT_EQ(errors.find("line 4:"), std::string::npos) << errors;
}

TEST(D3DXMatrix, LookAtAndOrthoOffCenterMapScreenUnitsToClipSpace)
{
    D3DXMATRIX view, proj;
    D3DXVECTOR3 eye{0, 0, 0}, at{0, 0, 1}, up{0, 1, 0};
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            EXPECT_FLOAT_EQ(view.m[i][j], i == j ? 1.0f : 0.0f);
    D3DXMatrixOrthoOffCenterLH(&proj, 0, 960, 540, 0, 0.1f, 100);
    // A point p maps to p x M (row vector): (0, 0, 0.1) -> (-1, 1, 0); (960, 540, 100) -> (1, -1, 1).
    auto apply = [&](float x, float y, float z, int c) {
        return x * proj.m[0][c] + y * proj.m[1][c] + z * proj.m[2][c] + proj.m[3][c];
    };
    EXPECT_FLOAT_EQ(apply(0, 0, 0.1f, 0), -1.0f);
    EXPECT_FLOAT_EQ(apply(0, 0, 0.1f, 1), 1.0f);
    EXPECT_NEAR(apply(0, 0, 0.1f, 2), 0.0f, 1e-7);
    EXPECT_FLOAT_EQ(apply(960, 540, 100, 0), 1.0f);
    EXPECT_FLOAT_EQ(apply(960, 540, 100, 1), -1.0f);
    EXPECT_FLOAT_EQ(apply(960, 540, 100, 2), 1.0f);
    EXPECT_FLOAT_EQ(proj.m[3][3], 1.0f);
    D3DXVECTOR3 eye2{1, 2, 3}, at2{1, 2, 4};
    D3DXMatrixLookAtLH(&view, &eye2, &at2, &up);
    EXPECT_FLOAT_EQ(view.m[3][0], -1.0f);
    EXPECT_FLOAT_EQ(view.m[3][1], -2.0f);
    EXPECT_FLOAT_EQ(view.m[3][2], -3.0f);
}

} // namespace
