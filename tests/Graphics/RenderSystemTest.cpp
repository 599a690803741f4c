// The render system on a real window: viewport, display modes, clears, device recovery with
// every kind of device object, screenshots, and the wrappers' edge cases.
#include "Platform/Backend/Video.h"
#include "Platform/D3D9/D3D9Testing.h"
#include "Platform/D3DX/ImageDecode.h"
#include "Support/GraphicsFixture.h"
#include "Support/InstancingShaders.h"
#include "Support/TempDir.h"
#include "System/Common/StreamIO.h"
#include "System/Graphics/D3D9RenderSystem.h"
#include "System/Graphics/D3D9ShaderProgram.h"
#include "System/Graphics/D3D9Texture.h"
#include "System/Graphics/D3D9VertexBuffer.h"
#include "System/Graphics/D3D9VertexDeclaration.h"
#include "System/Graphics/IWindowProc.h"
#include "System/Graphics/RenderWindow.h"

#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

TEST(RenderViewport, FullScreenKeeps16To9InsideTheDesktop)
{
    struct Case {
        UINT width, height;
        D3DVIEWPORT9 expected;
    };
    const Case cases[] = {
        {1920, 1080, {0, 0, 1920, 1080, 0, 1}},   {1280, 1024, {0, 152, 1280, 720, 0, 1}},
        {1920, 1200, {0, 60, 1920, 1080, 0, 1}},  {2560, 1080, {320, 0, 1920, 1080, 0, 1}},
        {3440, 1440, {440, 0, 2560, 1440, 0, 1}}, {800, 480, {0, 15, 800, 450, 0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        D3DVIEWPORT9 vp = FullScreenViewport(c.width, c.height);
        EXPECT_EQ(vp.X, c.expected.X);
        EXPECT_EQ(vp.Y, c.expected.Y);
        EXPECT_EQ(vp.Width, c.expected.Width);
        EXPECT_EQ(vp.Height, c.expected.Height);
        EXPECT_LE(vp.X + vp.Width, c.width);
        EXPECT_LE(vp.Y + vp.Height, c.height);
        EXPECT_EQ(vp.MinZ, 0.0f);
        EXPECT_EQ(vp.MaxZ, 1.0f);
    }
}

// An adapter that offers a fixed list of modes.
class FakeDirect3D : public IDirect3D9 {
  public:
    std::vector<D3DDISPLAYMODE> modes;
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
    UINT GetAdapterCount() override { return 1; }
    HRESULT GetAdapterIdentifier(UINT, DWORD, D3DADAPTER_IDENTIFIER9*) override { return D3DERR_INVALIDCALL; }
    UINT GetAdapterModeCount(UINT, D3DFORMAT f) override
    {
        return f == D3DFMT_X8R8G8B8 ? static_cast<UINT>(modes.size()) : 0;
    }
    HRESULT EnumAdapterModes(UINT, D3DFORMAT, UINT i, D3DDISPLAYMODE* m) override
    {
        *m = modes.at(i);
        return D3D_OK;
    }
    HRESULT GetAdapterDisplayMode(UINT, D3DDISPLAYMODE*) override { return D3DERR_INVALIDCALL; }
    HRESULT CheckDeviceType(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, BOOL) override { return D3DERR_INVALIDCALL; }
    HRESULT GetDeviceCaps(UINT, D3DDEVTYPE, D3DCAPS9*) override { return D3DERR_INVALIDCALL; }
    HRESULT CreateDevice(UINT, D3DDEVTYPE, HWND, DWORD, D3DPRESENT_PARAMETERS*, IDirect3DDevice9**) override
    {
        return D3DERR_INVALIDCALL;
    }
};

TEST(RenderDisplayModes, OneEntryPerSizeWithTheHighestRate)
{
    FakeDirect3D d3d;
    d3d.modes = {{640, 400, 60, D3DFMT_X8R8G8B8},  {1024, 768, 60, D3DFMT_X8R8G8B8}, {640, 480, 60, D3DFMT_X8R8G8B8},
                 {1024, 768, 75, D3DFMT_X8R8G8B8}, {1024, 768, 70, D3DFMT_X8R8G8B8}, {800, 479, 60, D3DFMT_X8R8G8B8}};
    std::vector<DisplayMode> list;
    BuildDisplayModeList(&d3d, 0, list);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].Width, 1024u);
    EXPECT_EQ(list[0].Height, 768u);
    EXPECT_EQ(list[0].RefreshRate, 75u);
    EXPECT_EQ(list[1].Width, 640u);
    EXPECT_EQ(list[1].Height, 480u);
}

class NullProc : public IWindowProc {
  public:
    LRESULT WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        return DefWindowProcA(hWnd, message, wParam, lParam);
    }
};

// 2 x 2 Targa, origin at the bottom left: top row red, green; bottom row blue, white.
const uint8_t kTarga[18 + 12] = {0, 0,  2, 0,   0, 0, 0,   0,   0,   0, 0, 0,   2, 0,   2,
                                 0, 24, 0, 255, 0, 0, 255, 255, 255, 0, 0, 255, 0, 255, 0};

class RenderSystemTest : public testing::Test {
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(BackendInitVideo());
        m_pWindow = new RenderWindow;
        ASSERT_NE(m_pWindow->Create(&m_Proc, "render test", 960, 540, false), nullptr);
        m_pRender = new D3D9RenderSystem;
        ASSERT_EQ(g_pRenderSystem, m_pRender);
        ASSERT_TRUE(m_pRender->Init(m_pWindow));
    }
    void TearDown() override
    {
        delete m_pRender;
        EXPECT_EQ(g_pRenderSystem, nullptr);
        EXPECT_EQ(g_pD3D9RenderSystem, nullptr);
        delete m_pWindow;
        BackendShutdownVideo();
    }

    IDirect3DDevice9* Device() { return m_pRender->GetDevice(); }
    std::vector<uint32_t> Pixels() { return ReadBackBuffer(Device()); }

    NullProc m_Proc;
    RenderWindow* m_pWindow = nullptr;
    D3D9RenderSystem* m_pRender = nullptr;
};

TEST_F(RenderSystemTest, WindowedViewportCoversTheClientAreaAndClearPacksTheColour)
{
    D3DVIEWPORT9 vp;
    ASSERT_EQ(Device()->GetViewport(&vp), D3D_OK);
    EXPECT_EQ(vp.X, 0u);
    EXPECT_EQ(vp.Y, 0u);
    EXPECT_EQ(vp.Width, 960u);
    EXPECT_EQ(vp.Height, 540u);
    EXPECT_TRUE(m_pRender->IsDeviceReady());
    m_pRender->Clear(1, 0, 0, 1, 1.0f, 0);
    EXPECT_EQ(HexColor(Pixels()[540 * 960 / 2]), HexColor(0xFFFF0000));
    m_pRender->Clear(0.5f, 0.25f, 1.5f, 1, 1.0f, 0);
    EXPECT_EQ(HexColor(Pixels()[0]), HexColor(0xFF7F3FFF));
}

// A small sprite pipeline made of every kind of device object, drawn twice around a loss.
struct SpriteScene {
    IVertexDeclaration* declaration = nullptr;
    IVertexBuffer* stream0 = nullptr;
    IVertexBuffer* stream1 = nullptr;
    IShaderProgram* vs = nullptr;
    IShaderProgram* ps = nullptr;
    ITexture* created = nullptr;
    ITexture* loaded = nullptr;

    void Build(RenderSystem* render)
    {
        const VertexElement elements[] = {{0, 0, 2, 0}, {0, 12, 4, 4}, {0, 16, 1, 6}, {1, 0, 0, 1}};
        declaration = render->CreateVertexDeclaration(elements, 4);
        stream0 = render->CreateVertexBuffer(24, 12, eBufferUsage_WriteOnly, false);
        stream1 = render->CreateVertexBuffer(4, 12, eBufferUsage_WriteOnly, false);
        struct V {
            float x, y, z;
            uint32_t c;
            float u, v;
        };
        const V tmpl[6] = {{-0.5f, -0.5f, 0, 0xFFFFFFFF, 0, 0}, {0.5f, -0.5f, 0, 0xFFFFFFFF, 1, 0},
                           {-0.5f, 0.5f, 0, 0xFFFFFFFF, 0, 1},  {-0.5f, 0.5f, 0, 0xFFFFFFFF, 0, 1},
                           {0.5f, -0.5f, 0, 0xFFFFFFFF, 1, 0},  {0.5f, 0.5f, 0, 0xFFFFFFFF, 1, 1}};
        uint8_t* p0 = static_cast<uint8_t*>(stream0->LockAll(eLockMode_Write));
        float* p1 = static_cast<float*>(stream1->LockAll(eLockMode_Write));
        for (int n = 0; n < 2; ++n) {
            std::memcpy(p0 + 144 * n, tmpl, 144);
            for (int i = 0; i < 6; ++i)
                p1[n * 6 + i] = static_cast<float>(4 + 6 * n);
        }
        stream0->Unlock();
        stream1->Unlock();
        vs = render->CreateShaderProgram(eShaderKind_Vertex);
        ps = render->CreateShaderProgram(eShaderKind_Pixel);
        vs->SetSource(kInstancingVS);
        ps->SetSource(kInstancingPS);
        // A render-target texture filled through its shadow, as the movie player does.
        created = render->CreateTexture();
        created->Create(2, 2, eTextureUsage_RenderTarget, eTextureFormat_A8R8G8B8);
        uint32_t* texels = static_cast<uint32_t*>(created->LockAll(eLockMode_Write));
        texels[0] = 0xFFFFFF00;
        texels[1] = 0xFF00FFFF;
        texels[2] = 0xFFFF00FF;
        texels[3] = 0xFF808080;
        created->Unlock();
        loaded = render->CreateTexture();
        auto* stream = new MemoryStreamIO;
        void* bytes = std::malloc(sizeof kTarga);
        std::memcpy(bytes, kTarga, sizeof kTarga);
        stream->Init(bytes, sizeof kTarga, true, true);
        stream->SetName("assets.v1/2d/test_texture");
        loaded->LoadFromMemory(stream, 0, 0, 0, eTextureFormat_A8R8G8B8);
    }

    void Draw(IDirect3DDevice9* device)
    {
        const float projection[16] = {2.0f / 960, 0, 0,        -1,         0, -2.0f / 540, 0, 1,
                                      0,          0, 0.01001f, -0.001001f, 0, 0,           0, 1};
        // Two 8 x 8 sprites one pixel per... two pixels per texel, at (10, 10) and (30, 10).
        const float records[12][4] = {
            {4, 0, 0, 12}, {0, 4, 0, 12}, {0, 0, 1, 1}, {0, 0, 0, 1}, {1, 1, 1, 1}, {0.125f, 0.125f, 1, 1},
            {4, 0, 0, 32}, {0, 4, 0, 12}, {0, 0, 1, 1}, {0, 0, 0, 1}, {1, 1, 1, 1}, {0.125f, 0.125f, 1, 1},
        };
        device->SetVertexShaderConstantF(0, projection, 4);
        device->SetVertexDeclaration(static_cast<D3D9VertexDeclaration*>(declaration)->GetD3DDeclaration());
        device->SetVertexShader(static_cast<D3D9VertexShader*>(vs)->GetShader());
        device->SetPixelShader(static_cast<D3D9PixelShader*>(ps)->GetShader());
        device->SetStreamSource(0, static_cast<D3D9VertexBuffer*>(stream0)->GetD3DBuffer(), 0, 24);
        device->SetStreamSource(1, static_cast<D3D9VertexBuffer*>(stream1)->GetD3DBuffer(), 0, 4);
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
        device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
        device->SetVertexShaderConstantF(4, &records[0][0], 6);
        device->SetTexture(0, static_cast<D3D9Texture*>(created)->GetD3DTexture());
        device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
        device->SetVertexShaderConstantF(4, &records[0][0], 12);
        device->SetTexture(0, static_cast<D3D9Texture*>(loaded)->GetD3DTexture());
        device->DrawPrimitive(D3DPT_TRIANGLELIST, 6, 2);
        device->SetVertexDeclaration(nullptr);
        device->SetVertexShader(nullptr);
        device->SetPixelShader(nullptr);
    }

    void Destroy()
    {
        delete loaded;
        delete created;
        delete ps;
        delete vs;
        delete stream1;
        delete stream0;
        delete declaration;
    }
};

TEST_F(RenderSystemTest, ForcedLossRestoresEveryResourceAndTheNextFrameMatches)
{
    SpriteScene scene;
    scene.Build(m_pRender);
    const size_t registered = m_pRender->GetResourceList().Count();
    EXPECT_EQ(registered, 7u);
    auto frame = [&] {
        m_pRender->Clear(0, 0, 0, 0, 1.0f, 0);
        m_pRender->BeginScene();
        scene.Draw(Device());
        m_pRender->EndScene();
        return Pixels();
    };
    const std::vector<uint32_t> before = frame();
    EXPECT_EQ(HexColor(before[10 * 960 + 10]), HexColor(0xFFFFFF00));
    EXPECT_EQ(HexColor(before[12 * 960 + 12]), HexColor(0xFF808080));
    EXPECT_EQ(HexColor(before[10 * 960 + 30]), HexColor(0xFFFF0000));
    EXPECT_EQ(HexColor(before[12 * 960 + 32]), HexColor(0xFFFFFFFF));
    EXPECT_EQ(m_pRender->Present(), D3D_OK);
    const uint32_t loadedWidth = scene.loaded->GetWidth(), loadedFormat = scene.loaded->GetFormat();

    D3D9ForceDeviceLoss(Device(), 2);
    EXPECT_FALSE(m_pRender->IsDeviceReady());
    EXPECT_FALSE(m_pRender->RecoverDevice()); // still lost: nothing changes
    EXPECT_NE(static_cast<D3D9Texture*>(scene.created)->GetD3DTexture(), nullptr);
    EXPECT_FALSE(m_pRender->IsDeviceReady()); // restored, waiting for the reset
    EXPECT_TRUE(m_pRender->RecoverDevice());
    EXPECT_TRUE(m_pRender->IsDeviceReady());
    EXPECT_EQ(D3D9CountDefaultPoolResources(Device()), 3); // two buffers and the created texture, again
    EXPECT_EQ(scene.loaded->GetWidth(), loadedWidth);
    EXPECT_EQ(scene.loaded->GetFormat(), static_cast<int32_t>(loadedFormat));
    EXPECT_EQ(frame(), before);
    scene.Destroy();
    EXPECT_EQ(m_pRender->GetResourceList().Count(), 0u);
}

TEST_F(RenderSystemTest, PresentOnALostDeviceRecoversAtOnce)
{
    SpriteScene scene;
    scene.Build(m_pRender);
    D3D9ForceDeviceLoss(Device(), 1);
    EXPECT_EQ(m_pRender->Present(), D3D_OK);
    EXPECT_TRUE(m_pRender->IsDeviceReady());
    EXPECT_NE(static_cast<D3D9VertexBuffer*>(scene.stream0)->GetD3DBuffer(), nullptr);
    EXPECT_NE(static_cast<D3D9PixelShader*>(scene.ps)->GetShader(), nullptr);
    scene.Destroy();
}

TEST_F(RenderSystemTest, ScreenshotBeforeTheNextFrameHoldsTheLastFinishedOne)
{
    TempDir dir;
    m_pRender->Clear(0, 0.5f, 1, 1, 1.0f, 0);
    m_pRender->BeginScene();
    m_pRender->EndScene();
    m_pRender->Present();
    const std::vector<uint32_t> shown = Pixels();
    m_pRender->SaveScreenshot(dir.File("shot.png").c_str());
    const std::string png = dir.ReadFile("shot.png");
    DecodedImage image;
    std::string error;
    ASSERT_TRUE(DecodeImageFile(png.data(), png.size(), image, error)) << error;
    EXPECT_EQ(image.fileType, D3DXIFF_PNG);
    ASSERT_EQ(image.width, 960u);
    ASSERT_EQ(image.height, 540u);
    EXPECT_EQ(std::memcmp(image.bits.data(), shown.data(), image.bits.size()), 0);
    EXPECT_EQ(HexColor(shown[0]), HexColor(0xFF007FFF));
}

// A screenshot that cannot be written says where and why.
TEST_F(RenderSystemTest, AScreenshotThatCannotBeWrittenSaysWhy)
{
    TempDir dir;
    m_pRender->BeginScene();
    m_pRender->EndScene();
    m_pRender->Present();
    const std::string path = dir.File("no such folder/shot.png");
    testing::internal::CaptureStdout();
    m_pRender->SaveScreenshot(path.c_str());
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("ERROR"), std::string::npos) << log;
    EXPECT_NE(log.find(path), std::string::npos) << log;
    EXPECT_NE(log.find(std::strerror(ENOENT)), std::string::npos) << log;
}

TEST_F(RenderSystemTest, VertexBufferKeepsItsCopyAndUploadsOnlyWrites)
{
    IVertexBuffer* vb = m_pRender->CreateVertexBuffer(4, 4, eBufferUsage_Dynamic | eBufferUsage_WriteOnly, false);
    IDirect3DVertexBuffer9* d3d = static_cast<D3D9VertexBuffer*>(vb)->GetD3DBuffer();
    ASSERT_NE(d3d, nullptr);
    auto device = [&] {
        void* p = nullptr;
        uint32_t v[4];
        d3d->Lock(0, 16, &p, D3DLOCK_READONLY);
        std::memcpy(v, p, 16);
        d3d->Unlock();
        return std::vector<uint32_t>(v, v + 4);
    };
    const uint32_t data[4] = {1, 2, 3, 4};
    std::memcpy(vb->LockAll(eLockMode_Discard), data, 16);
    vb->Unlock();
    uint32_t back[4] = {};
    vb->Read(0, 16, back);
    EXPECT_EQ(std::vector<uint32_t>(back, back + 4), std::vector<uint32_t>(data, data + 4));
    EXPECT_EQ(device(), std::vector<uint32_t>(data, data + 4));
    // A read-only lock uploads nothing, even if the copy was scribbled on.
    static_cast<uint32_t*>(vb->Lock(4, 4, eLockMode_ReadOnly))[0] = 99;
    vb->Unlock();
    EXPECT_EQ(device()[1], 2u);
    const uint32_t two[2] = {7, 8};
    vb->Write(8, 8, two);
    EXPECT_EQ(device(), (std::vector<uint32_t>{1, 2, 7, 8}));
    EXPECT_EQ(vb->Lock(12, 8, eLockMode_Write), nullptr); // past the end
    delete vb;
}

TEST_F(RenderSystemTest, DeclarationElementsAndInsertion)
{
    const VertexElement two[] = {{0, 0, 2, 0}, {0, 12, 4, 4}};
    IVertexDeclaration* decl = m_pRender->CreateVertexDeclaration(two, 2);
    decl->InsertElement(0, 1, 0, 0, 1);
    decl->InsertElement(5, 0, 16, 1, 6);
    ASSERT_EQ(decl->GetCount(), 4u);
    EXPECT_EQ(decl->GetElements()[0].stream, 1);
    EXPECT_EQ(decl->GetElements()[3].usage, 6);
    struct Case {
        VertexElement element;
        BYTE type, usage, index;
    };
    const Case cases[] = {
        {{0, 0, 0, 1}, D3DDECLTYPE_FLOAT1, D3DDECLUSAGE_BLENDWEIGHT, 0},
        {{0, 0, 4, 5}, D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 1},
        {{0, 0, 7, 9}, D3DDECLTYPE_SHORT4, D3DDECLUSAGE_POSITIONT, 0},
        {{0, 0, 42, 42}, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION, 0},
        {{0, 0, 5, 6}, D3DDECLTYPE_UBYTE4, D3DDECLUSAGE_TEXCOORD, 0},
    };
    for (const Case& c : cases) {
        D3DVERTEXELEMENT9 e = ToD3DVertexElement(c.element);
        EXPECT_EQ(e.Type, c.type);
        EXPECT_EQ(e.Usage, c.usage);
        EXPECT_EQ(e.UsageIndex, c.index);
        EXPECT_EQ(e.Method, D3DDECLMETHOD_DEFAULT);
    }
    IDirect3DVertexDeclaration9* d3d = static_cast<D3D9VertexDeclaration*>(decl)->GetD3DDeclaration();
    ASSERT_NE(d3d, nullptr);
    UINT count = 0;
    d3d->GetDeclaration(nullptr, &count);
    EXPECT_EQ(count, 5u);
    delete decl;
}

TEST_F(RenderSystemTest, FailuresAreReportedNotSilent)
{
    EXPECT_EQ(m_pRender->CreateShaderProgram(2), nullptr);
    IShaderProgram* vs = m_pRender->CreateShaderProgram(eShaderKind_Vertex);
    testing::internal::CaptureStdout();
    vs->SetSource("vs_2_0\nbogus r0\n");
    std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(static_cast<D3D9VertexShader*>(vs)->GetShader(), nullptr);
    EXPECT_NE(log.find(":ERROR:"), std::string::npos) << log;
    EXPECT_NE(log.find("line 2: unknown instruction 'bogus'"), std::string::npos) << log;
    delete vs;
    // A texture that does not decode still reports success, has no device texture, and keeps
    // a size that can be divided by.
    ITexture* texture = m_pRender->CreateTexture();
    auto* stream = new MemoryStreamIO;
    void* junk = std::malloc(5);
    std::memcpy(junk, "junk!", 5);
    stream->Init(junk, 5, true, true);
    stream->SetName("assets.v1/2d/broken");
    testing::internal::CaptureStdout();
    EXPECT_TRUE(texture->LoadFromMemory(stream, 0, 0, 0, 0));
    log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("'assets.v1/2d/broken' (5 bytes) could not be decoded"), std::string::npos) << log;
    EXPECT_EQ(static_cast<D3D9Texture*>(texture)->GetD3DTexture(), nullptr);
    EXPECT_GE(texture->GetWidth(), 1u);
    EXPECT_GE(texture->GetHeight(), 1u);
    EXPECT_EQ(texture->GetUserData(), HashName("assets.v1/2d/broken"));
    EXPECT_EQ(texture->LockAll(eLockMode_Write), nullptr);
    delete texture;
}

TEST(RenderSystemInit, FailsWithoutAWindowToDrawIn)
{
    ASSERT_TRUE(BackendInitVideo());
    RenderWindow window; // never created: no handle
    D3D9RenderSystem render;
    EXPECT_FALSE(render.Init(&window));
    EXPECT_FALSE(render.IsDeviceReady());
    render.Clear(0, 0, 0, 0, 1, 0);
    render.BeginScene();
    render.EndScene();
    EXPECT_NE(render.Present(), D3D_OK);
    EXPECT_FALSE(render.RecoverDevice());
    BackendShutdownVideo();
}

} // namespace
