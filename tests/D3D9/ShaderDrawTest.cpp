// Shaders assembled from text, translated by the device and drawn: instruction results read
// back as pixels, and the sprite batch's instancing scheme (relative constant addressing).
#include "Platform/D3DX/D3DX9.h"
#include "Platform/Win32/Windows.h"
#include "Support/InstancingShaders.h"
#include "Support/GraphicsFixture.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <utility>

namespace {

class ShaderDrawTest : public DeviceTest {
  protected:
    std::vector<DWORD> AssembleText(const std::string& text)
    {
        LPD3DXBUFFER code = nullptr, errors = nullptr;
        HRESULT hr =
            D3DXAssembleShader(text.data(), static_cast<UINT>(text.size()), nullptr, nullptr, 0, &code, &errors);
        EXPECT_EQ(hr, D3D_OK) << (errors ? static_cast<const char*>(errors->GetBufferPointer()) : "");
        std::vector<DWORD> tokens;
        if (code) {
            tokens.resize(code->GetBufferSize() / 4);
            std::memcpy(tokens.data(), code->GetBufferPointer(), code->GetBufferSize());
            code->Release();
        }
        SafeRelease(errors);
        return tokens;
    }

    // Fills the viewport with one quad drawn by the two shaders and returns the pixel at (8, 8).
    uint32_t DrawQuad(const std::string& vs, const std::string& ps)
    {
        std::vector<DWORD> vsCode = AssembleText(vs), psCode = AssembleText(ps);
        IDirect3DVertexShader9* vertexShader = nullptr;
        IDirect3DPixelShader9* pixelShader = nullptr;
        EXPECT_EQ(m_pDevice->CreateVertexShader(vsCode.data(), &vertexShader), D3D_OK);
        EXPECT_EQ(m_pDevice->CreatePixelShader(psCode.data(), &pixelShader), D3D_OK);
        const float quad[6][3] = {{-1, 1, 0.5f},  {1, 1, 0.5f}, {-1, -1, 0.5f},
                                  {-1, -1, 0.5f}, {1, 1, 0.5f}, {1, -1, 0.5f}};
        IDirect3DVertexBuffer9* vb = MakeBuffer(quad, sizeof quad);
        const D3DVERTEXELEMENT9 elements[] = {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0}, D3DDECL_END()};
        IDirect3DVertexDeclaration9* decl = nullptr;
        EXPECT_EQ(m_pDevice->CreateVertexDeclaration(elements, &decl), D3D_OK);
        m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        m_pDevice->SetVertexDeclaration(decl);
        m_pDevice->SetStreamSource(0, vb, 0, 12);
        m_pDevice->SetVertexShader(vertexShader);
        m_pDevice->SetPixelShader(pixelShader);
        EXPECT_EQ(m_pDevice->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3D_OK);
        m_pDevice->SetVertexShader(nullptr);
        m_pDevice->SetPixelShader(nullptr);
        SafeRelease(decl);
        SafeRelease(vb);
        SafeRelease(vertexShader);
        SafeRelease(pixelShader);
        return Pixel(8, 8);
    }
};

const char* const kPassVS = "vs_2_0\ndcl_position v0\nmov oPos, v0\n";
const char* const kPixelDefs = "ps_2_0\n"
                               "def c0, 0.25, 0.5, 0.75, 1.0\n"
                               "def c1, 1.0, 0.0, 0.5, 0.25\n"
                               "def c2, -1.0, 0.0, 1.0, -1.0\n"
                               "def c3, 4.0, 0.25, 2.0, 16.0\n"
                               "def c4, 0.0, 0.0, 0.0, 0.0\n"
                               "def c5, -1.5500992e-006, -2.1701389e-005, 0.0026041667, 0.00026041668\n"
                               "def c6, -0.020833334, -0.12500000, 1.0, 0.50000000\n"
                               "def c7, 3.0, 4.0, 0.0, 0.0\n";

TEST_F(ShaderDrawTest, PixelShaderInstructionsGiveTheirResults)
{
    struct Case {
        const char* body;
        uint32_t rgb;
    };
    const Case cases[] = {
        {"mov oC0, c0", 0x4080BF},
        {"add r0, c0, c1\nmov oC0, r0", 0xFF80FF},
        {"sub r0, c1, c0\nmov oC0, r0", 0xBF0000},
        {"mul r0, c0, c1\nmov oC0, r0", 0x400060},
        {"mad r0, c0, c1, c0.x\nmov oC0, r0", 0x80409F},
        {"max r0, -c0, c1\nmov oC0, r0", 0xFF0080},
        {"min r0, c0, c1.y\nmov oC0, r0", 0x000000},
        {"mov r0, c0.wzyx\nmov oC0, r0", 0xFFBF80},
        {"mov r0.xz, c1\nmov oC0, r0", 0xFF0080},
        {"dp3 r0, c0, c1\nmov oC0, r0", 0x9F9F9F},
        {"dp4 r0, c1, c1.w\nmov oC0, r0", 0x707070},
        {"cmp r0, c2, c0, c1\nmov oC0, r0", 0xFF80BF},
        {"lrp r0, c0.x, c1, c0\nmov oC0, r0", 0x7060AF},
        {"rcp r0, c3.x\nmov oC0, r0", 0x404040},
        {"rsq r0, c3.w\nmov oC0, r0", 0x404040},
        {"frc r0, c3.yzwx\nmov oC0, r0", 0x400000},
        {"pow r0, c0.y, c3.z\nmov oC0, r0", 0x404040},
        {"dp2add r0, c0, c1, c0.x\nmov oC0, r0", 0x808080},
        {"sincos r0.xy, c4.x, c5, c6\nmov oC0, r0", 0xFF0000},
        {"abs r0, -c0\nmov oC0, r0", 0x4080BF},
        {"nrm r0, c7\nmov oC0, r0", 0x99CC00},
        {"exp r0, c1.x\nmul r0, r0, c0.x\nmov oC0, r0", 0x808080},
        {"log r0, c3.z\nmov oC0, r0", 0xFFFFFF},
        {"mov_sat r0, c3\nmov oC0, r0", 0xFF40FF},
        {"mov r1, c2\ntexkill r1\nmov oC0, c0", 0x000000},
        {"mov r1, c1\ntexkill r1\nmov oC0, c0", 0x4080BF},
        {"mov oC0, c8\ndef c8, 0.0, 1.0, 0.5, 1.0", 0x00FF80},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        uint32_t pixel = DrawQuad(kPassVS, std::string(kPixelDefs) + c.body + "\n");
        EXPECT_TRUE(NearColor(pixel | 0xFF000000, c.rgb | 0xFF000000, 1)) << HexColor(pixel);
    }
}

TEST_F(ShaderDrawTest, VertexShaderInstructionsGiveTheirResults)
{
    struct Case {
        const char* body;
        uint32_t rgb;
    };
    const char* const defs = "def c10, 0.25, 0.5, 0.75, 1.0\n"
                             "def c11, 1.0, 0.0, 0.5, 0.25\n"
                             "def c12, 0.0, 1.0, 0.0, 0.0\n"
                             "def c13, 1.0, 0.0, 0.0, 0.0\n"
                             "def c14, 0.0, 0.0, 1.0, 0.0\n";
    const Case cases[] = {
        {"slt oD0, c10, c11", 0xFF0000},
        {"sge oD0, c10, c11", 0x00FFFF},
        {"m3x3 r0.xyz, c10, c12\nmov oD0, r0", 0x8040BF},
        {"m4x4 oD0, c10, c12", 0x8040BF},
        {"lit r0, c11\nmov oD0, r0.yzxw", 0xFF00FF},
        {"dst r0, c10, c11\nmov oD0, r0.yzww", 0x00BF40},
        {"expp r0, -c11.x\nmov oD0, r0", 0x808080},
        {"crs r0.xyz, c13, c12\nmov oD0, r0", 0x0000FF},
        {"sgn r0, -c10, r1, r2\nmax oD0, r0, c10.x", 0x404040},
        {"mova a0.x, c11.w\nmov oD0, c[a0.x + 10]", 0x4080BF},
        {"mova a0.y, c11.x\nmov oD0, c[a0.y + 10]", 0xFF0080},
        {"mova a0.x, c11.x\nmov oD0, c[a0.x + 255]", 0x000000},
    };
    const char* const ps = "ps_2_0\ndcl v0\nmov oC0, v0\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        std::string vs = std::string("vs_2_0\ndcl_position v0\n") + defs + "mov oPos, v0\n" + c.body + "\n";
        uint32_t pixel = DrawQuad(vs, ps);
        EXPECT_TRUE(NearColor(pixel | 0xFF000000, c.rgb | 0xFF000000, 1)) << HexColor(pixel);
    }
}

// Constants set between draws reach the next draw, whether all of them changed or a few, and
// those not set again keep their values.
TEST_F(ShaderDrawTest, ConstantsSetBetweenDrawsReachTheNextDraw)
{
    struct Step {
        UINT start;
        std::vector<float> values;
        uint32_t rgb; // oD0 = c20 + c21
    };
    const Step steps[] = {
        {20, {0.25f, 0, 0, 1, 0, 0.5f, 0, 0}, 0x408000},
        {21, {0, 0, 1, 0}, 0x4000FF},
        {21, {0, 0, 1, 0}, 0x4000FF},
        {20, {0, 1, 0, 1}, 0x00FFFF},
        {19, {9, 9, 9, 9, 1, 0, 0, 1, 0, 0, 0, 0}, 0xFF0000},
    };
    const std::string vs = "vs_2_0\ndcl_position v0\nmov oPos, v0\nadd oD0, c20, c21\n";
    const char* const ps = "ps_2_0\ndcl v0\nmov oC0, v0\n";
    for (const Step& step : steps) {
        SCOPED_TRACE(testing::Message() << "from c" << step.start);
        ASSERT_EQ(m_pDevice->SetVertexShaderConstantF(step.start, step.values.data(),
                                                      static_cast<UINT>(step.values.size() / 4)),
                  D3D_OK);
        uint32_t pixel = DrawQuad(vs, ps);
        EXPECT_TRUE(NearColor(pixel | 0xFF000000, step.rgb | 0xFF000000, 1)) << HexColor(pixel);
    }
}

struct QuadVertex {
    float x, y, z;
    D3DCOLOR color;
    float u, v;
};

TEST_F(ShaderDrawTest, InstancedSpritesReadTheirOwnConstants)
{
    const QuadVertex tmpl[6] = {{-0.5f, -0.5f, 0, 0xFFFFFFFF, 0, 0}, {0.5f, -0.5f, 0, 0xFFFFFFFF, 1, 0},
                                {-0.5f, 0.5f, 0, 0xFFFFFFFF, 0, 1},  {-0.5f, 0.5f, 0, 0xFFFFFFFF, 0, 1},
                                {0.5f, -0.5f, 0, 0xFFFFFFFF, 1, 0},  {0.5f, 0.5f, 0, 0xFFFFFFFF, 1, 1}};
    QuadVertex quads[12];
    float bases[12];
    for (int n = 0; n < 2; ++n)
        for (int i = 0; i < 6; ++i) {
            quads[n * 6 + i] = tmpl[i];
            bases[n * 6 + i] = static_cast<float>(4 + 6 * n);
        }
    IDirect3DVertexBuffer9* stream0 = MakeBuffer(quads, sizeof quads);
    IDirect3DVertexBuffer9* stream1 = MakeBuffer(bases, sizeof bases);
    const D3DVERTEXELEMENT9 elements[] = {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
                                          {0, 12, D3DDECLTYPE_D3DCOLOR, 0, D3DDECLUSAGE_COLOR, 0},
                                          {0, 16, D3DDECLTYPE_FLOAT2, 0, D3DDECLUSAGE_TEXCOORD, 0},
                                          {1, 0, D3DDECLTYPE_FLOAT1, 0, D3DDECLUSAGE_BLENDWEIGHT, 0},
                                          D3DDECL_END()};
    IDirect3DVertexDeclaration9* decl = nullptr;
    ASSERT_EQ(m_pDevice->CreateVertexDeclaration(elements, &decl), D3D_OK);
    std::vector<DWORD> vsCode = AssembleText(kInstancingVS), psCode = AssembleText(kInstancingPS);
    IDirect3DVertexShader9* vs = nullptr;
    IDirect3DPixelShader9* ps = nullptr;
    ASSERT_EQ(m_pDevice->CreateVertexShader(vsCode.data(), &vs), D3D_OK);
    ASSERT_EQ(m_pDevice->CreatePixelShader(psCode.data(), &ps), D3D_OK);
    // 2 x 2 texture: red, green / blue, white.
    IDirect3DTexture9* texture = MakeTexture(2, 2, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF});

    // Projection of a 64 x 32 screen, y down, z 0.1..100.
    const float projection[16] = {2.0f / kWidth, 0, 0, -1, 0, -2.0f / kHeight, 0, 1, 0, 0, 0.01001f,
                                  -0.001001f,    0, 0, 0,  1};
    // Sprite 0: 4 x 4 centred on (6, 6), the whole texture; sprite 1: 2 x 2 centred on
    // (21, 11), green texel only, half-transparent colour.
    const float records[12][4] = {
        {4, 0, 0, 6},  {0, 4, 0, 6},  {0, 0, 1, 1}, {0, 0, 0, 1}, {1, 1, 1, 1},    {0.125f, 0.125f, 1, 1},
        {2, 0, 0, 21}, {0, 2, 0, 11}, {0, 0, 1, 1}, {0, 0, 0, 1}, {1, 1, 1, 0.5f}, {0.75f, 0.25f, 0, 0},
    };
    m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    m_pDevice->BeginScene();
    m_pDevice->SetVertexShaderConstantF(0, projection, 4);
    m_pDevice->SetVertexShaderConstantF(4, &records[0][0], 12);
    m_pDevice->SetVertexDeclaration(decl);
    m_pDevice->SetVertexShader(vs);
    m_pDevice->SetPixelShader(ps);
    m_pDevice->SetStreamSource(0, stream0, 0, sizeof(QuadVertex));
    m_pDevice->SetStreamSource(1, stream1, 0, 4);
    m_pDevice->SetTexture(0, texture);
    m_pDevice->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    m_pDevice->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    m_pDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    m_pDevice->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    m_pDevice->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    ASSERT_EQ(m_pDevice->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 4), D3D_OK);
    m_pDevice->EndScene();

    std::vector<uint32_t> px = ReadBackBuffer();
    auto at = [&](int x, int y) { return px[y * kWidth + x]; };
    // Sprite 0 spans x 4..8, y 4..8: each texel covers 2 x 2 pixels (the texture rectangle
    // starts half a pixel in, as drawn two pixels per texel).
    EXPECT_EQ(HexColor(at(4, 4)), HexColor(0xFFFF0000));
    EXPECT_EQ(HexColor(at(7, 5)), HexColor(0xFF00FF00));
    EXPECT_EQ(HexColor(at(5, 7)), HexColor(0xFF0000FF));
    EXPECT_EQ(HexColor(at(7, 7)), HexColor(0xFFFFFFFF));
    EXPECT_EQ(HexColor(at(8, 4)), HexColor(0xFF000000));
    EXPECT_EQ(HexColor(at(3, 4)), HexColor(0xFF000000));
    // Sprite 1 spans x 20..22, y 10..12, green at half alpha over black.
    EXPECT_TRUE(NearColor(at(20, 10), 0xFF008000, 1)) << HexColor(at(20, 10));
    EXPECT_TRUE(NearColor(at(21, 11), 0xFF008000, 1)) << HexColor(at(21, 11));
    EXPECT_EQ(HexColor(at(22, 11)), HexColor(0xFF000000));

    m_pDevice->SetVertexShader(nullptr);
    m_pDevice->SetPixelShader(nullptr);
    m_pDevice->SetTexture(0, nullptr);
    texture->Release();
    vs->Release();
    ps->Release();
    decl->Release();
    stream0->Release();
    stream1->Release();
}

TEST_F(ShaderDrawTest, ConstantsStayWithTheirDeviceWhenTwoExist)
{
    // A second device on a second window shares the process's OpenGL context.
    HWND window = CreateHiddenTestWindow(kWidth, kHeight);
    ASSERT_NE(window, nullptr);
    D3DPRESENT_PARAMETERS pp = m_Params;
    pp.hDeviceWindow = window;
    IDirect3DDevice9* other = nullptr;
    ASSERT_EQ(m_pD3D->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &other),
              D3D_OK);
    const float red[4] = {1, 0, 0, 1}, green[4] = {0, 1, 0, 1};
    const char* const ps = "ps_2_0\nmov oC0, c0\n";
    m_pDevice->SetPixelShaderConstantF(0, red, 1);
    other->SetPixelShaderConstantF(0, green, 1);
    std::swap(m_pDevice, other);
    const uint32_t onOther = DrawQuad(kPassVS, ps);
    std::swap(m_pDevice, other);
    const uint32_t onFirst = DrawQuad(kPassVS, ps);
    EXPECT_EQ(HexColor(onOther), HexColor(0xFF00FF00));
    EXPECT_EQ(HexColor(onFirst), HexColor(0xFFFF0000));
    EXPECT_EQ(other->Release(), 0u);
    DestroyWindow(window);
}

TEST_F(ShaderDrawTest, MalformedTokenStreamsAreRefused)
{
    std::vector<DWORD> ps = AssembleText("ps_2_0\nmov oC0, c0\n");
    std::vector<DWORD> vs = AssembleText(kPassVS);
    IDirect3DVertexShader9* vertexShader = nullptr;
    IDirect3DPixelShader9* pixelShader = nullptr;
    struct Case {
        const char* name;
        std::vector<DWORD> tokens;
        bool pixel;
    };
    const Case cases[] = {
        {"pixel code as vertex shader", ps, false},
        {"vertex code as pixel shader", vs, true},
        {"unknown version", {0xFFFE0300, 0x0000FFFF}, false},
        {"flow control", {0xFFFE0200, 0x0000001C, 0x0000FFFF}, false},
        {"input written", {0xFFFE0200, 0x02000001, 0x900F0000, 0x90E40000, 0x0000FFFF}, false},
        {"undeclared sampler", {0xFFFF0200, 0x03000042, 0x800F0000, 0xB0E40000, 0xA0E40800, 0x0000FFFF}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.pixel) {
            EXPECT_EQ(m_pDevice->CreatePixelShader(c.tokens.data(), &pixelShader), D3DERR_INVALIDCALL);
            EXPECT_EQ(pixelShader, nullptr);
        } else {
            EXPECT_EQ(m_pDevice->CreateVertexShader(c.tokens.data(), &vertexShader), D3DERR_INVALIDCALL);
            EXPECT_EQ(vertexShader, nullptr);
        }
    }
}

} // namespace
