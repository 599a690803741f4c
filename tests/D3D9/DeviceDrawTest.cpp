// Pixels drawn by the device: clears, the fixed-function stages, blending, alpha and depth
// tests, culling and the viewport.
#include "Platform/D3D9/D3D9Testing.h"
#include "Platform/D3DX/D3DX9.h"
#include "Platform/Win32/Windows.h"
#include "Support/GraphicsFixture.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

constexpr uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF;

TEST_F(DeviceTest, ClearWritesTheColourInsideTheViewportOnly)
{
    ASSERT_EQ(m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF336699, 1.0f, 0), D3D_OK);
    EXPECT_EQ(HexColor(Pixel(0, 0)), HexColor(0xFF336699));
    D3DVIEWPORT9 vp = {16, 8, 32, 16, 0.0f, 1.0f};
    ASSERT_EQ(m_pDevice->SetViewport(&vp), D3D_OK);
    m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET, kGreen, 1.0f, 0);
    std::vector<uint32_t> px = ReadBackBuffer();
    auto at = [&](int x, int y) { return HexColor(px[y * kWidth + x]); };
    EXPECT_EQ(at(16, 8), HexColor(kGreen));
    EXPECT_EQ(at(47, 23), HexColor(kGreen));
    EXPECT_EQ(at(15, 8), HexColor(0xFF336699));
    EXPECT_EQ(at(48, 23), HexColor(0xFF336699));
    EXPECT_EQ(at(16, 7), HexColor(0xFF336699));
    EXPECT_EQ(at(16, 24), HexColor(0xFF336699));
}

TEST_F(DeviceTest, FixedFunctionDrawsVertexColourAndModulatesTextures)
{
    m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    SetScreenTransforms();
    m_pDevice->SetRenderState(D3DRS_LIGHTING, FALSE);
    m_pDevice->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    m_pDevice->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    m_pDevice->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    m_pDevice->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    m_pDevice->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    m_pDevice->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    // Untextured: the vertex colour, covering exactly the pixels whose centres lie inside.
    DrawFixed(Rect(2, 2, 6, 5, 1.0f, 0xFF20C040));
    EXPECT_EQ(HexColor(Pixel(2, 2)), HexColor(0xFF20C040));
    EXPECT_EQ(HexColor(Pixel(5, 4)), HexColor(0xFF20C040));
    EXPECT_EQ(HexColor(Pixel(6, 4)), HexColor(0xFF000000));
    EXPECT_EQ(HexColor(Pixel(5, 5)), HexColor(0xFF000000));
    EXPECT_EQ(HexColor(Pixel(1, 2)), HexColor(0xFF000000));
    // Textured with half-texel offsets: each texel lands on one pixel, modulated by grey.
    IDirect3DTexture9* texture = MakeTexture(2, 2, {kRed, kGreen, kBlue, 0xFFFFFFFF});
    m_pDevice->SetTexture(0, texture);
    DrawFixed(Rect(10, 10, 12, 12, 1.0f, 0xFF808080, 0.25f, 0.25f, 1.25f, 1.25f));
    EXPECT_TRUE(NearColor(Pixel(10, 10), 0xFF800000, 1)) << HexColor(Pixel(10, 10));
    EXPECT_TRUE(NearColor(Pixel(11, 10), 0xFF008000, 1)) << HexColor(Pixel(11, 10));
    EXPECT_TRUE(NearColor(Pixel(10, 11), 0xFF000080, 1)) << HexColor(Pixel(10, 11));
    EXPECT_TRUE(NearColor(Pixel(11, 11), 0xFF808080, 1)) << HexColor(Pixel(11, 11));
    m_pDevice->SetTexture(0, nullptr);
    texture->Release();
}

struct BlendCase {
    const char* name;
    DWORD src, dst;
    D3DCOLOR color;
    uint32_t expected;
};

TEST_F(DeviceTest, BlendModesCombineWithTheBackground)
{
    const BlendCase cases[] = {
        {"alpha", D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, 0x80FF0000, 0xFFA02020},
        {"additive", D3DBLEND_SRCALPHA, D3DBLEND_ONE, 0x80FF0000, 0xFFC04040},
        {"multiply", D3DBLEND_ZERO, D3DBLEND_SRCCOLOR, 0xFF80FF00, 0xFF204000},
    };
    SetScreenTransforms();
    m_pDevice->SetRenderState(D3DRS_LIGHTING, FALSE);
    m_pDevice->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    m_pDevice->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    m_pDevice->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    for (const BlendCase& c : cases) {
        SCOPED_TRACE(c.name);
        m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF404040, 1.0f, 0);
        m_pDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        m_pDevice->SetRenderState(D3DRS_SRCBLEND, c.src);
        m_pDevice->SetRenderState(D3DRS_DESTBLEND, c.dst);
        DrawFixed(Rect(0, 0, 8, 8, 1.0f, c.color));
        EXPECT_TRUE(NearColor(Pixel(4, 4), c.expected, 2)) << HexColor(Pixel(4, 4));
        EXPECT_EQ(HexColor(Pixel(9, 4)), HexColor(0xFF404040));
    }
}

struct AlphaTestCase {
    DWORD func;
    DWORD ref;
    int alpha;
    bool drawn;
};

TEST_F(DeviceTest, AlphaTestDiscardsAfterThePixelStage)
{
    const AlphaTestCase cases[] = {
        {D3DCMP_GREATEREQUAL, 3, 2, false}, {D3DCMP_GREATEREQUAL, 3, 3, true}, {D3DCMP_GREATEREQUAL, 3, 255, true},
        {D3DCMP_LESS, 128, 127, true},      {D3DCMP_LESS, 128, 128, false},    {D3DCMP_EQUAL, 64, 64, true},
        {D3DCMP_NEVER, 0, 255, false},      {D3DCMP_LESSEQUAL, 64, 64, true},  {D3DCMP_LESSEQUAL, 64, 65, false},
        {D3DCMP_GREATER, 64, 64, false},    {D3DCMP_GREATER, 64, 65, true},    {D3DCMP_NOTEQUAL, 64, 64, false},
        {D3DCMP_NOTEQUAL, 64, 63, true},    {D3DCMP_ALWAYS, 255, 0, true},
        // No comparison at all: nothing passes.
        {0, 0, 255, false},                 {9, 0, 255, false},
        // Back to a function already used: its program is reused.
        {D3DCMP_GREATEREQUAL, 3, 2, false},
    };
    SetScreenTransforms();
    m_pDevice->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    m_pDevice->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    m_pDevice->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    for (const AlphaTestCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "func " << c.func << " ref " << c.ref << " alpha " << c.alpha);
        m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        m_pDevice->SetRenderState(D3DRS_ALPHAFUNC, c.func);
        m_pDevice->SetRenderState(D3DRS_ALPHAREF, c.ref);
        DrawFixed(Rect(0, 0, 4, 4, 1.0f, (static_cast<uint32_t>(c.alpha) << 24) | 0x00FFFFFF));
        EXPECT_EQ(HexColor(Pixel(1, 1)), HexColor(c.drawn ? 0xFFFFFFFF : 0xFF000000));
    }
}

TEST_F(DeviceTest, DepthTestKeepsTheNearestAndHonoursWriteMask)
{
    SetScreenTransforms();
    m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    DrawFixed(Rect(0, 0, 8, 8, 50.0f, kRed));
    DrawFixed(Rect(0, 0, 8, 8, 10.0f, kGreen));
    DrawFixed(Rect(0, 0, 8, 8, 80.0f, kBlue));
    EXPECT_EQ(HexColor(Pixel(3, 3)), HexColor(kGreen));
    // Without z writes a near quad shows but does not hide what follows.
    m_pDevice->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    DrawFixed(Rect(8, 0, 16, 8, 5.0f, kRed));
    DrawFixed(Rect(8, 0, 16, 8, 90.0f, kBlue));
    EXPECT_EQ(HexColor(Pixel(12, 3)), HexColor(kBlue));
    // With the z test off the last quad wins.
    m_pDevice->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    DrawFixed(Rect(0, 0, 8, 8, 99.0f, kRed));
    EXPECT_EQ(HexColor(Pixel(3, 3)), HexColor(kRed));
}

TEST_F(DeviceTest, CullingDropsTheFacesOfTheChosenWinding)
{
    struct Case {
        DWORD mode;
        bool clockwise;
        bool drawn;
    };
    const Case cases[] = {
        {D3DCULL_CCW, true, true}, {D3DCULL_CCW, false, false}, {D3DCULL_CW, true, false},
        {D3DCULL_CW, false, true}, {D3DCULL_NONE, true, true},  {D3DCULL_NONE, false, true},
    };
    SetScreenTransforms();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << (c.clockwise ? " clockwise" : " counter-clockwise"));
        m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        m_pDevice->SetRenderState(D3DRS_CULLMODE, c.mode);
        // On screen (y down): top-left, top-right, bottom-left is clockwise.
        std::vector<ColorTexVertex> tri = {{0, 0, 1, kGreen, 0, 0}, {16, 0, 1, kGreen, 0, 0}, {0, 16, 1, kGreen, 0, 0}};
        if (!c.clockwise)
            std::swap(tri[1], tri[2]);
        DrawFixed(tri);
        EXPECT_EQ(HexColor(Pixel(2, 2)), HexColor(c.drawn ? kGreen : 0xFF000000));
    }
}

TEST_F(DeviceTest, ViewportMapsClipSpaceOntoItsRectangle)
{
    m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    D3DVIEWPORT9 vp = {16, 8, 32, 16, 0.0f, 1.0f};
    ASSERT_EQ(m_pDevice->SetViewport(&vp), D3D_OK);
    // Identity transforms: the vertices are clip coordinates covering the whole viewport.
    DrawFixed({{-1, 1, 0.5f, kBlue, 0, 0},
               {1, 1, 0.5f, kBlue, 0, 0},
               {-1, -1, 0.5f, kBlue, 0, 0},
               {-1, -1, 0.5f, kBlue, 0, 0},
               {1, 1, 0.5f, kBlue, 0, 0},
               {1, -1, 0.5f, kBlue, 0, 0}});
    std::vector<uint32_t> px = ReadBackBuffer();
    int inside = 0, outside = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const bool in = x >= 16 && x < 48 && y >= 8 && y < 24;
            (px[y * kWidth + x] == (in ? kBlue : 0xFF000000) ? inside : outside) += 1;
        }
    EXPECT_EQ(outside, 0);
    EXPECT_EQ(inside, kWidth * kHeight);
    D3DVIEWPORT9 bad = {60, 0, 8, 8, 0.0f, 1.0f};
    EXPECT_EQ(m_pDevice->SetViewport(&bad), D3DERR_INVALIDCALL);
}

// The device keeps what it last gave OpenGL between draws; each step here changes one thing
// behind that (a clear, a new buffer, a vertex format losing an element) and checks the next
// draw still sees the device's states rather than stale ones.
TEST_F(DeviceTest, DrawsFollowEveryChangeMadeBetweenThem)
{
    SetScreenTransforms();
    m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    // Colour writes off: the clear in between writes every channel, the draw after it none.
    m_pDevice->SetRenderState(D3DRS_COLORWRITEENABLE, 0);
    DrawFixed(Rect(0, 0, 4, 4, 1.0f, kRed));
    EXPECT_EQ(HexColor(Pixel(1, 1)), HexColor(0xFF000000));
    m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBlue, 1.0f, 0);
    DrawFixed(Rect(0, 0, 4, 4, 1.0f, kRed));
    EXPECT_EQ(HexColor(Pixel(1, 1)), HexColor(kBlue));
    m_pDevice->SetRenderState(D3DRS_COLORWRITEENABLE, 0xF);

    // Each DrawFixed makes and releases its own buffer: the next one must not draw the last's data.
    DrawFixed(Rect(0, 0, 4, 4, 1.0f, kRed));
    DrawFixed(Rect(4, 0, 8, 4, 1.0f, kGreen));
    EXPECT_EQ(HexColor(Pixel(1, 1)), HexColor(kRed));
    EXPECT_EQ(HexColor(Pixel(5, 1)), HexColor(kGreen));

    // Positions only, right after a draw with vertex colours: the colour is white again.
    const std::vector<ColorTexVertex> rect = Rect(8, 0, 12, 4, 1.0f, kRed);
    float positions[6][3];
    for (size_t i = 0; i < 6; ++i) {
        positions[i][0] = rect[i].x;
        positions[i][1] = rect[i].y;
        positions[i][2] = rect[i].z;
    }
    IDirect3DVertexBuffer9* vb = MakeBuffer(positions, sizeof positions);
    m_pDevice->SetStreamSource(0, vb, 0, sizeof positions[0]);
    m_pDevice->SetFVF(D3DFVF_XYZ);
    EXPECT_EQ(m_pDevice->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3D_OK);
    m_pDevice->SetStreamSource(0, nullptr, 0, 0);
    vb->Release();
    EXPECT_EQ(HexColor(Pixel(9, 1)), HexColor(0xFFFFFFFF));
    DrawFixed(Rect(12, 0, 16, 4, 1.0f, kGreen));
    EXPECT_EQ(HexColor(Pixel(13, 1)), HexColor(kGreen));
}

// Devices share one OpenGL context: a draw on another device in between must not leave this
// device drawing with the other's blend state.
TEST_F(DeviceTest, DevicesDrawingInTurnKeepTheirOwnStates)
{
    SetScreenTransforms();
    m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    m_pDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    m_pDevice->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    m_pDevice->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    m_pDevice->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    m_pDevice->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    DrawFixed(Rect(0, 0, 8, 8, 1.0f, 0x80FF0000));
    EXPECT_TRUE(NearColor(Pixel(4, 4), 0xFF800000, 2)) << HexColor(Pixel(4, 4));

    HWND window = CreateHiddenTestWindow(kWidth, kHeight);
    ASSERT_NE(window, nullptr);
    D3DPRESENT_PARAMETERS pp = m_Params;
    pp.hDeviceWindow = window;
    IDirect3DDevice9* other = nullptr;
    ASSERT_EQ(m_pD3D->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &other),
              D3D_OK);
    // The other device draws opaque (its blending is off) across its whole back buffer.
    const ColorTexVertex quad[6] = {{-1, 1, 0.5f, kGreen, 0, 0},  {1, 1, 0.5f, kGreen, 0, 0},
                                    {-1, -1, 0.5f, kGreen, 0, 0}, {-1, -1, 0.5f, kGreen, 0, 0},
                                    {1, 1, 0.5f, kGreen, 0, 0},   {1, -1, 0.5f, kGreen, 0, 0}};
    IDirect3DVertexBuffer9* vb = nullptr;
    ASSERT_EQ(other->CreateVertexBuffer(sizeof quad, D3DUSAGE_WRITEONLY, 0, D3DPOOL_DEFAULT, &vb, nullptr), D3D_OK);
    void* bits = nullptr;
    ASSERT_EQ(vb->Lock(0, 0, &bits, 0), D3D_OK);
    std::memcpy(bits, quad, sizeof quad);
    vb->Unlock();
    other->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    other->SetStreamSource(0, vb, 0, sizeof quad[0]);
    other->SetFVF(kColorTexFVF);
    EXPECT_EQ(other->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3D_OK);
    other->SetStreamSource(0, nullptr, 0, 0);
    vb->Release();

    // This device again, states unchanged: still blending.
    DrawFixed(Rect(0, 0, 8, 8, 1.0f, 0x80FF0000));
    EXPECT_TRUE(NearColor(Pixel(4, 4), 0xFFBF0000, 2)) << HexColor(Pixel(4, 4));
    other->Release();
    DestroyWindow(window);
}

TEST_F(DeviceTest, ZeroStrideGivesEveryVertexTheSameElement)
{
    SetScreenTransforms();
    m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    // Positions in stream 0; one colour in stream 1 read with stride 0, further colours after it.
    const float positions[6][3] = {{0, 0, 1}, {16, 0, 1}, {0, 16, 1}, {0, 16, 1}, {16, 0, 1}, {16, 16, 1}};
    const D3DCOLOR colors[6] = {kGreen, kBlue, kBlue, kRed, kRed, kRed};
    IDirect3DVertexBuffer9* stream0 = MakeBuffer(positions, sizeof positions);
    IDirect3DVertexBuffer9* stream1 = MakeBuffer(colors, sizeof colors);
    const D3DVERTEXELEMENT9 elements[] = {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
                                          {1, 0, D3DDECLTYPE_D3DCOLOR, 0, D3DDECLUSAGE_COLOR, 0},
                                          D3DDECL_END()};
    IDirect3DVertexDeclaration9* decl = nullptr;
    ASSERT_EQ(m_pDevice->CreateVertexDeclaration(elements, &decl), D3D_OK);
    m_pDevice->SetVertexDeclaration(decl);
    m_pDevice->SetStreamSource(0, stream0, 0, 12);
    m_pDevice->SetStreamSource(1, stream1, 0, 0);
    EXPECT_EQ(m_pDevice->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3D_OK);
    std::vector<uint32_t> px = ReadBackBuffer();
    for (int y = 0; y < 16; y += 5)
        for (int x = 0; x < 16; x += 5)
            EXPECT_EQ(HexColor(px[y * kWidth + x]), HexColor(kGreen)) << x << ", " << y;
    // Later draws with a stride read one element per vertex again.
    m_pDevice->SetStreamSource(1, stream1, 0, 4);
    EXPECT_EQ(m_pDevice->DrawPrimitive(D3DPT_TRIANGLELIST, 3, 1), D3D_OK);
    EXPECT_EQ(HexColor(Pixel(14, 14)), HexColor(kRed));
    m_pDevice->SetVertexDeclaration(nullptr);
    m_pDevice->SetStreamSource(0, nullptr, 0, 0);
    m_pDevice->SetStreamSource(1, nullptr, 0, 0);
    decl->Release();
    stream0->Release();
    stream1->Release();
}

TEST_F(DeviceTest, StrideBeyondTheCapsIsRefusedAndLeavesTheDeviceWhole)
{
    D3DCAPS9 caps;
    ASSERT_EQ(m_pDevice->GetDeviceCaps(&caps), D3D_OK);
    SetScreenTransforms();
    m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    const UINT stride = 4096;
    ASSERT_GT(stride, caps.MaxStreamStride);
    std::vector<uint8_t> bytes(3 * stride, 0);
    const std::vector<ColorTexVertex> tri = {
        {0, 0, 1, kGreen, 0, 0}, {16, 0, 1, kGreen, 0, 0}, {0, 16, 1, kGreen, 0, 0}};
    for (size_t i = 0; i < tri.size(); ++i)
        std::memcpy(&bytes[i * stride], &tri[i], sizeof tri[i]);
    IDirect3DVertexBuffer9* vb = MakeBuffer(bytes.data(), bytes.size());
    m_pDevice->SetStreamSource(0, vb, 0, stride);
    m_pDevice->SetFVF(kColorTexFVF);
    EXPECT_EQ(m_pDevice->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL);
    m_pDevice->SetStreamSource(0, nullptr, 0, 0);
    vb->Release();
    // The refused draw leaves nothing behind that makes later work fail.
    IDirect3DTexture9* texture = MakeTexture(1, 1, {kBlue});
    ASSERT_NE(texture, nullptr);
    m_pDevice->SetTexture(0, texture);
    DrawFixed(Rect(0, 0, 4, 4, 1.0f, 0xFFFFFFFF));
    EXPECT_EQ(HexColor(Pixel(1, 1)), HexColor(kBlue));
    m_pDevice->SetTexture(0, nullptr);
    texture->Release();
}

TEST_F(DeviceTest, BackBufferKeepsTheLastFinishedFrameAfterPresent)
{
    m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF123456, 1.0f, 0);
    m_pDevice->BeginScene();
    SetScreenTransforms();
    DrawFixed(Rect(0, 0, 4, 4, 1.0f, kRed));
    m_pDevice->EndScene();
    std::vector<uint32_t> before = ReadBackBuffer();
    ASSERT_EQ(m_pDevice->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(ReadBackBuffer(), before);
    EXPECT_EQ(HexColor(before[0]), HexColor(kRed));
}

} // namespace

namespace {

TEST_F(DeviceTest, PresentScalesTheBackBufferIntoTheWindowKeepingItsAspect)
{
    struct Case {
        int windowWidth, windowHeight;
        int barTop, barLeft; // size of the black bars
    };
    const Case cases[] = {
        {kWidth, kHeight, 0, 0}, {kWidth, kHeight * 2, kHeight / 2, 0}, {kWidth * 2, kHeight, 0, kWidth / 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.windowWidth << " x " << c.windowHeight);
        // A 64 x 32 back buffer on a window of the case's size.
        HWND window = CreateHiddenTestWindow(c.windowWidth, c.windowHeight);
        ASSERT_NE(window, nullptr);
        D3DPRESENT_PARAMETERS pp = m_Params;
        pp.hDeviceWindow = window;
        IDirect3DDevice9* device = nullptr;
        ASSERT_EQ(m_pD3D->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device),
                  D3D_OK);
        // Top half red, bottom half blue, a green pixel at the top left.
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBlue, 1.0f, 0);
        D3DVIEWPORT9 top = {0, 0, kWidth, kHeight / 2, 0.0f, 1.0f};
        device->SetViewport(&top);
        device->Clear(0, nullptr, D3DCLEAR_TARGET, kRed, 1.0f, 0);
        D3DVIEWPORT9 corner = {0, 0, 1, 1, 0.0f, 1.0f};
        device->SetViewport(&corner);
        device->Clear(0, nullptr, D3DCLEAR_TARGET, kGreen, 1.0f, 0);

        D3D9WindowCapture capture;
        D3D9CaptureNextPresent(device, &capture);
        ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
        ASSERT_EQ(capture.width, c.windowWidth);
        ASSERT_EQ(capture.height, c.windowHeight);
        auto at = [&](int x, int y) { return HexColor(capture.pixels[static_cast<size_t>(y) * capture.width + x]); };
        const int imageWidth = c.windowWidth - 2 * c.barLeft, imageHeight = c.windowHeight - 2 * c.barTop;
        if (c.barTop > 0) {
            EXPECT_EQ(at(c.windowWidth / 2, c.barTop - 1), HexColor(0xFF000000));
            EXPECT_EQ(at(c.windowWidth / 2, c.windowHeight - c.barTop), HexColor(0xFF000000));
        }
        if (c.barLeft > 0) {
            EXPECT_EQ(at(c.barLeft - 1, c.windowHeight / 2), HexColor(0xFF000000));
            EXPECT_EQ(at(c.windowWidth - c.barLeft, c.windowHeight / 2), HexColor(0xFF000000));
        }
        EXPECT_EQ(at(c.barLeft + imageWidth / 2, c.barTop + imageHeight / 4), HexColor(kRed));
        EXPECT_EQ(at(c.barLeft + imageWidth / 2, c.barTop + imageHeight * 3 / 4), HexColor(kBlue));
        if (imageWidth == kWidth) {
            EXPECT_EQ(at(c.barLeft, c.barTop), HexColor(kGreen));
        }
        device->Release();
        DestroyWindow(window);
    }
}

} // namespace

namespace {

// A window the back buffer's size is shown without scaling, whichever way the device keeps the
// back buffer (a depth format the window lacks keeps it offscreen): the window shows the frame
// upright, pixel for pixel, and after the Present the back buffer still reads as that frame.
TEST_F(DeviceTest, PresentShowsTheFrameUprightForEveryDepthFormat)
{
    for (D3DFORMAT depth : {D3DFMT_D16, D3DFMT_D24S8}) {
        SCOPED_TRACE(testing::Message() << "depth format " << depth);
        HWND window = CreateHiddenTestWindow(kWidth, kHeight);
        ASSERT_NE(window, nullptr);
        D3DPRESENT_PARAMETERS pp = m_Params;
        pp.hDeviceWindow = window;
        pp.AutoDepthStencilFormat = depth;
        IDirect3DDevice9* device = nullptr;
        ASSERT_EQ(m_pD3D->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device),
                  D3D_OK);
        // Blue, a red band over the top quarter and a green pixel at the bottom right.
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBlue, 1.0f, 0);
        D3DVIEWPORT9 band = {0, 0, kWidth, kHeight / 4, 0.0f, 1.0f};
        device->SetViewport(&band);
        device->Clear(0, nullptr, D3DCLEAR_TARGET, kRed, 1.0f, 0);
        D3DVIEWPORT9 corner = {kWidth - 1, kHeight - 1, 1, 1, 0.0f, 1.0f};
        device->SetViewport(&corner);
        device->Clear(0, nullptr, D3DCLEAR_TARGET, kGreen, 1.0f, 0);
        const std::vector<uint32_t> drawn = ::ReadBackBuffer(device);
        ASSERT_EQ(HexColor(drawn[0]), HexColor(kRed));
        ASSERT_EQ(HexColor(drawn[kWidth * (kHeight / 4)]), HexColor(kBlue));
        ASSERT_EQ(HexColor(drawn.back()), HexColor(kGreen));

        D3D9WindowCapture capture;
        D3D9CaptureNextPresent(device, &capture);
        ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
        ASSERT_EQ(capture.width, kWidth);
        ASSERT_EQ(capture.height, kHeight);
        EXPECT_TRUE(capture.pixels == drawn);
        EXPECT_TRUE(::ReadBackBuffer(device) == drawn);
        device->Release();
        DestroyWindow(window);
    }
}

// Two devices on two windows share one OpenGL context; each draws into and reads from its own
// window, whichever was made current last.
TEST_F(DeviceTest, DevicesOnTwoWindowsKeepTheirOwnPixels)
{
    HWND window = CreateHiddenTestWindow(kWidth, kHeight);
    ASSERT_NE(window, nullptr);
    D3DPRESENT_PARAMETERS pp = m_Params;
    pp.hDeviceWindow = window;
    IDirect3DDevice9* other = nullptr;
    ASSERT_EQ(m_pD3D->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &other),
              D3D_OK);
    for (int frame = 0; frame < 2; ++frame) {
        SCOPED_TRACE(frame == 0 ? "before presenting" : "after presenting");
        m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kRed, 1.0f, 0);
        other->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBlue, 1.0f, 0);
        SetScreenTransforms();
        m_pDevice->SetRenderState(D3DRS_LIGHTING, FALSE);
        DrawFixed(Rect(0, 0, 4, 4, 1.0f, kGreen));
        if (frame == 1) {
            ASSERT_EQ(m_pDevice->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
            ASSERT_EQ(other->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
        }
        std::vector<uint32_t> mine = ReadBackBuffer();
        EXPECT_EQ(HexColor(mine[0]), HexColor(kGreen));
        EXPECT_EQ(HexColor(mine[kWidth * 10 + 10]), HexColor(kRed));
        std::vector<uint32_t> theirs = ::ReadBackBuffer(other);
        EXPECT_EQ(HexColor(theirs[0]), HexColor(kBlue));
        EXPECT_EQ(HexColor(theirs[kWidth * 10 + 10]), HexColor(kBlue));
    }
    other->Release();
    DestroyWindow(window);
}

} // namespace
