#include "GraphicsFixture.h"

#include "Platform/Backend/Video.h"
#include "Platform/D3DX/D3DX9.h"
#include "Platform/Win32/Windows.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

LRESULT CALLBACK TestWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

} // namespace

HWND CreateHiddenTestWindow(int width, int height)
{
    if (!BackendInitVideo())
        return nullptr;
    static const char* const kClass = "QmGraphicsTestWindow";
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = TestWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kClass;
    RegisterClassExA(&wc);
    return CreateWindowExA(0, kClass, "graphics test", WS_POPUP, 0, 0, width, height, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

void DeviceTest::SetUp()
{
    m_hWindow = CreateHiddenTestWindow(kWidth, kHeight);
    ASSERT_NE(m_hWindow, nullptr);
    m_pD3D = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(m_pD3D, nullptr);
    m_Params = {};
    m_Params.BackBufferWidth = kWidth;
    m_Params.BackBufferHeight = kHeight;
    m_Params.BackBufferFormat = D3DFMT_X8R8G8B8;
    m_Params.BackBufferCount = 1;
    m_Params.SwapEffect = D3DSWAPEFFECT_DISCARD;
    m_Params.hDeviceWindow = m_hWindow;
    m_Params.Windowed = TRUE;
    m_Params.EnableAutoDepthStencil = TRUE;
    m_Params.AutoDepthStencilFormat = D3DFMT_D16;
    ASSERT_EQ(m_pD3D->CreateDevice(0, D3DDEVTYPE_HAL, m_hWindow,
                                   D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_MULTITHREADED, &m_Params,
                                   &m_pDevice),
              D3D_OK);
}

void DeviceTest::TearDown()
{
    if (m_pDevice) {
        EXPECT_EQ(m_pDevice->Release(), 0u);
    }
    if (m_pD3D)
        m_pD3D->Release();
    if (m_hWindow)
        DestroyWindow(m_hWindow);
    BackendShutdownVideo();
}

std::vector<uint32_t> ReadBackBuffer(IDirect3DDevice9* device, int* width)
{
    std::vector<uint32_t> pixels;
    IDirect3DSurface9* back = nullptr;
    IDirect3DSurface9* copy = nullptr;
    D3DSURFACE_DESC desc;
    EXPECT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    back->GetDesc(&desc);
    if (width)
        *width = static_cast<int>(desc.Width);
    EXPECT_EQ(
        device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM, &copy, nullptr),
        D3D_OK);
    EXPECT_EQ(device->GetRenderTargetData(back, copy), D3D_OK);
    D3DLOCKED_RECT locked;
    EXPECT_EQ(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(locked.Pitch, static_cast<INT>(desc.Width * 4));
    pixels.resize(static_cast<size_t>(desc.Width) * desc.Height);
    for (UINT y = 0; y < desc.Height; ++y)
        std::memcpy(pixels.data() + y * desc.Width, static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch,
                    desc.Width * 4);
    copy->UnlockRect();
    copy->Release();
    back->Release();
    return pixels;
}

std::vector<uint32_t> DeviceTest::ReadBackBuffer()
{
    return ::ReadBackBuffer(m_pDevice, &m_nBackWidth);
}

IDirect3DVertexBuffer9* DeviceTest::MakeBuffer(const void* data, size_t bytes)
{
    IDirect3DVertexBuffer9* vb = nullptr;
    EXPECT_EQ(
        m_pDevice->CreateVertexBuffer(static_cast<UINT>(bytes), D3DUSAGE_WRITEONLY, 0, D3DPOOL_DEFAULT, &vb, nullptr),
        D3D_OK);
    void* p = nullptr;
    EXPECT_EQ(vb->Lock(0, 0, &p, 0), D3D_OK);
    std::memcpy(p, data, bytes);
    vb->Unlock();
    return vb;
}

std::vector<ColorTexVertex> DeviceTest::Rect(float x0, float y0, float x1, float y1, float z, D3DCOLOR color, float u0,
                                             float v0, float u1, float v1)
{
    return {{x0, y0, z, color, u0, v0}, {x1, y0, z, color, u1, v0}, {x0, y1, z, color, u0, v1},
            {x0, y1, z, color, u0, v1}, {x1, y0, z, color, u1, v0}, {x1, y1, z, color, u1, v1}};
}

void DeviceTest::SetScreenTransforms()
{
    D3DXMATRIX view, proj, world;
    D3DXVECTOR3 eye{0, 0, 0}, at{0, 0, 1}, up{0, 1, 0};
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixOrthoOffCenterLH(&proj, 0, static_cast<float>(kWidth), static_cast<float>(kHeight), 0, 0.1f, 100.0f);
    std::memset(&world, 0, sizeof world);
    world._11 = world._22 = world._33 = world._44 = 1;
    m_pDevice->SetTransform(D3DTS_WORLD, &world);
    m_pDevice->SetTransform(D3DTS_VIEW, &view);
    m_pDevice->SetTransform(D3DTS_PROJECTION, &proj);
}

void DeviceTest::DrawFixed(const std::vector<ColorTexVertex>& vertices)
{
    IDirect3DVertexBuffer9* vb = MakeBuffer(vertices.data(), vertices.size() * sizeof(ColorTexVertex));
    m_pDevice->SetStreamSource(0, vb, 0, sizeof(ColorTexVertex));
    m_pDevice->SetFVF(kColorTexFVF);
    EXPECT_EQ(m_pDevice->DrawPrimitive(D3DPT_TRIANGLELIST, 0, static_cast<UINT>(vertices.size() / 3)), D3D_OK);
    m_pDevice->SetStreamSource(0, nullptr, 0, 0);
    vb->Release();
}

IDirect3DTexture9* DeviceTest::MakeTexture(int width, int height, const std::vector<uint32_t>& texels)
{
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(m_pDevice->CreateTexture(width, height, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
              D3D_OK);
    D3DLOCKED_RECT locked;
    EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    for (int y = 0; y < height; ++y)
        std::memcpy(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch, texels.data() + y * width, width * 4);
    texture->UnlockRect(0);
    return texture;
}

bool NearColor(uint32_t actual, uint32_t expected, int tolerance)
{
    for (int n = 0; n < 4; ++n)
        if (std::abs(Channel(actual, n) - Channel(expected, n)) > tolerance)
            return false;
    return true;
}

std::string HexColor(uint32_t argb)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", argb);
    return text;
}
