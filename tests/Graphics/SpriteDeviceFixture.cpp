#include "SpriteDeviceFixture.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "Platform/Backend/Video.h"
#include "Platform/D3D9/D3D9.h"
#include "System/Common/StreamIO.h"
#include "System/Graphics/D3D9RenderSystem.h"
#include "System/Graphics/D3D9Texture.h"
#include "System/Graphics/ScreenFader.h"
#include "System/Graphics/SpriteBatch.h"

namespace {

std::string ReadSource(const std::string& rel)
{
    std::ifstream file(std::string(QM_SOURCE_DIR) + "/" + rel, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

} // namespace

bool NearRgb(uint32_t actual, uint32_t expected, int tolerance)
{
    for (int shift : {0, 8, 16}) {
        const int a = int((actual >> shift) & 0xFF), e = int((expected >> shift) & 0xFF);
        if (std::abs(a - e) > tolerance)
            return false;
    }
    return true;
}

std::string Hex(uint32_t argb)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08X", argb);
    return text;
}

void SpriteDeviceTest::SetUp()
{
    Write("assets.v1/shaders/instancing_vs.vsh", ReadSource("content/paks/shader/instancing_vs.vsh"));
    Write("assets.v1/shaders/instancing_ps.psh", ReadSource("content/paks/shader/instancing_ps.psh"));
    WriteGameFiles();
    Mount();
    ASSERT_NE(window.Create(this, "sprite test", 960, 540, false), nullptr);
    ASSERT_NE(window.GetHandle(), nullptr);
    renderSystem = new D3D9RenderSystem;
    ASSERT_TRUE(renderSystem->Init(&window));
    g_pSpriteBatch = new SpriteBatch;
    ASSERT_TRUE(g_pSpriteBatch->Initialize());
}

void SpriteDeviceTest::TearDown()
{
    delete g_pScreenFader;
    g_pScreenFader = nullptr;
    SpriteBatch::Destroy(g_pSpriteBatch);
    delete renderSystem;
    renderSystem = nullptr;
    window.Destroy();
    BackendShutdownVideo();
    GameFolderTest::TearDown();
}

LRESULT SpriteDeviceTest::WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hWnd, message, wParam, lParam);
}

std::string SpriteDeviceTest::TgaFile(uint32_t width, uint32_t height, const std::vector<uint32_t>& texels)
{
    std::string file(18, '\0');
    file[2] = 2;
    file[12] = char(width & 0xFF);
    file[13] = char(width >> 8);
    file[14] = char(height & 0xFF);
    file[15] = char(height >> 8);
    file[16] = 32;
    file[17] = 0x28; // top row first, 8 alpha bits
    for (uint32_t p : texels) {
        file += char(p & 0xFF);
        file += char((p >> 8) & 0xFF);
        file += char((p >> 16) & 0xFF);
        file += char(p >> 24);
    }
    return file;
}

ITexture* SpriteDeviceTest::MakeTexture(uint32_t width, uint32_t height, const std::vector<uint32_t>& texels,
                                        NameId materialKey)
{
    const std::string file = TgaFile(width, height, texels);
    void* copy = std::malloc(file.size());
    std::memcpy(copy, file.data(), file.size());
    auto* stream = new MemoryStreamIO;
    stream->Init(copy, uint32_t(file.size()), true, true);
    stream->SetNameId(materialKey);
    ITexture* texture = renderSystem->CreateTexture();
    texture->LoadFromMemory(stream, 0, 0, 0, 2);
    return texture;
}

void SpriteDeviceTest::BeginFrame(uint32_t background)
{
    renderSystem->Clear(float((background >> 16) & 0xFF) / 255.0f, float((background >> 8) & 0xFF) / 255.0f,
                        float(background & 0xFF) / 255.0f, 1.0f, 1.0f, 0);
    renderSystem->BeginScene();
}

void SpriteDeviceTest::EndFrame()
{
    g_pSpriteBatch->Render();
    renderSystem->EndScene();
}

std::vector<uint32_t> SpriteDeviceTest::ReadBackBuffer()
{
    IDirect3DDevice9* device = renderSystem->GetDevice();
    IDirect3DSurface9* back = nullptr;
    IDirect3DSurface9* copy = nullptr;
    D3DSURFACE_DESC desc{};
    m_Pixels.assign(size_t(960) * 540, 0);
    if (device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back) != D3D_OK)
        return m_Pixels;
    back->GetDesc(&desc);
    EXPECT_EQ(desc.Width, 960u);
    EXPECT_EQ(desc.Height, 540u);
    if (device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM, &copy, nullptr) ==
            D3D_OK &&
        device->GetRenderTargetData(back, copy) == D3D_OK) {
        D3DLOCKED_RECT locked{};
        if (copy->LockRect(&locked, nullptr, D3DLOCK_READONLY) == D3D_OK) {
            for (uint32_t y = 0; y < 540 && y < desc.Height; ++y) {
                const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(locked.pBits) +
                                                                    size_t(y) * size_t(locked.Pitch));
                for (uint32_t x = 0; x < 960 && x < desc.Width; ++x)
                    m_Pixels[size_t(y) * 960 + x] = row[x] | 0xFF000000u;
            }
            copy->UnlockRect();
        }
    }
    if (copy)
        copy->Release();
    back->Release();
    return m_Pixels;
}

uint32_t SpriteDeviceTest::Pixel(int x, int y)
{
    ReadBackBuffer();
    return At(x, y);
}
