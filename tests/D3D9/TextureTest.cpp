// Textures on the device: files decoded by D3DX and drawn (compressed upload and the CPU
// decoder alike), lock rules by pool and usage, and copies between surfaces.
#include "Platform/D3D9/D3D9Testing.h"
#include "Platform/D3DX/D3DX9.h"
#include "Support/GraphicsFixture.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace {

// 4 x 4 DXT3: alpha of texel t is t * 17; colours red, blue and the two thirds between them.
std::string Dxt3File()
{
    std::string h(128, '\0');
    auto put = [&](size_t at, uint32_t v) { std::memcpy(&h[at], &v, 4); };
    std::memcpy(&h[0], "DDS ", 4);
    put(4, 124);
    put(8, 0x1007);
    put(12, 4);
    put(16, 4);
    put(76, 32);
    put(80, 0x4);
    std::memcpy(&h[84], "DXT3", 4);
    const uint8_t block[16] = {0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE,
                               0x00, 0xF8, 0x1F, 0x00, 0xE4, 0xE4, 0xE4, 0xE4};
    return h + std::string(reinterpret_cast<const char*>(block), 16);
}

TEST_F(DeviceTest, CompressedTexturesDrawTheSameWithOrWithoutS3TC)
{
    const std::string file = Dxt3File();
    const uint32_t rgb[4] = {0xFF0000, 0x0000FF, 0xAA0055, 0x5500AA};
    for (bool compressed : {true, false}) {
        SCOPED_TRACE(compressed ? "compressed upload" : "decoded on the CPU");
        D3D9SetCompressedTextureUpload(m_pDevice, compressed);
        IDirect3DTexture9* texture = nullptr;
        D3DXIMAGE_INFO info{};
        ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(m_pDevice, file.data(), static_cast<UINT>(file.size()), 0, 0, 1,
                                                      0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                                      &info, nullptr, &texture),
                  D3D_OK);
        EXPECT_EQ(info.Width, 4u);
        EXPECT_EQ(info.Format, D3DFMT_DXT3);
        EXPECT_EQ(info.ImageFileFormat, D3DXIFF_DDS);
        D3DSURFACE_DESC desc;
        texture->GetLevelDesc(0, &desc);
        EXPECT_EQ(desc.Format, D3DFMT_DXT3);
        m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        SetScreenTransforms();
        m_pDevice->SetTexture(0, texture);
        m_pDevice->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        DrawFixed(Rect(0, 0, 4, 4, 1.0f, 0xFFFFFFFF, 0.125f, 0.125f, 1.125f, 1.125f));
        std::vector<uint32_t> px = ReadBackBuffer();
        // The interpolated colours may round either way by one (S3TC leaves that open).
        for (int t = 0; t < 16; ++t) {
            const uint32_t got = px[(t / 4) * kWidth + t % 4];
            EXPECT_TRUE(NearColor(got, rgb[t % 4] | 0xFF000000, 1)) << "texel " << t << ": " << HexColor(got);
        }
        // Alpha: drawn with alpha blending over white, texel 0 (alpha 0) leaves white.
        m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0);
        m_pDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        m_pDevice->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        m_pDevice->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        m_pDevice->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
        m_pDevice->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        DrawFixed(Rect(0, 0, 4, 4, 1.0f, 0xFFFFFFFF, 0.125f, 0.125f, 1.125f, 1.125f));
        EXPECT_EQ(HexColor(Pixel(0, 0)), HexColor(0xFFFFFFFF));
        EXPECT_TRUE(NearColor(Pixel(3, 3), 0xFF5500AA, 1)) << HexColor(Pixel(3, 3));
        m_pDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        m_pDevice->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
        m_pDevice->SetTexture(0, nullptr);
        texture->Release();
    }
}

TEST_F(DeviceTest, TexturesLockByPoolAndUsage)
{
    struct Case {
        const char* name;
        DWORD usage;
        D3DPOOL pool;
        HRESULT create;
        HRESULT lock;
    };
    const Case cases[] = {
        {"managed", 0, D3DPOOL_MANAGED, D3D_OK, D3D_OK},
        {"system memory", 0, D3DPOOL_SYSTEMMEM, D3D_OK, D3D_OK},
        {"default", 0, D3DPOOL_DEFAULT, D3D_OK, D3DERR_INVALIDCALL},
        {"default dynamic", D3DUSAGE_DYNAMIC, D3DPOOL_DEFAULT, D3D_OK, D3D_OK},
        {"render target", D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT, D3D_OK, D3DERR_INVALIDCALL},
        {"managed render target", D3DUSAGE_RENDERTARGET, D3DPOOL_MANAGED, D3DERR_INVALIDCALL, D3D_OK},
        {"managed dynamic", D3DUSAGE_DYNAMIC, D3DPOOL_MANAGED, D3DERR_INVALIDCALL, D3D_OK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IDirect3DTexture9* texture = nullptr;
        ASSERT_EQ(m_pDevice->CreateTexture(5, 3, 1, c.usage, D3DFMT_A8R8G8B8, c.pool, &texture, nullptr), c.create);
        if (FAILED(c.create))
            continue;
        D3DLOCKED_RECT locked;
        EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), c.lock);
        if (SUCCEEDED(c.lock)) {
            EXPECT_EQ(locked.Pitch, 20);
            texture->UnlockRect(0);
        }
        texture->Release();
    }
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(m_pDevice->CreateTexture(0, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(m_pDevice->CreateTexture(4, 4, 1, 0, D3DFMT_A8, D3DPOOL_MANAGED, &texture, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3D9CountDefaultPoolResources(m_pDevice), 0);
}

TEST_F(DeviceTest, ShadowSurfaceRoundTripThroughARenderTarget)
{
    IDirect3DTexture9* target = nullptr;
    ASSERT_EQ(
        m_pDevice->CreateTexture(2, 2, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &target, nullptr),
        D3D_OK);
    IDirect3DSurface9* shadow = nullptr;
    ASSERT_EQ(m_pDevice->CreateOffscreenPlainSurface(2, 2, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &shadow, nullptr),
              D3D_OK);
    IDirect3DSurface9* level = nullptr;
    ASSERT_EQ(target->GetSurfaceLevel(0, &level), D3D_OK);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(shadow->LockRect(&locked, nullptr, 0), D3D_OK);
    const uint32_t texels[4] = {0xFF102030, 0xFF405060, 0x80708090, 0x00A0B0C0};
    std::memcpy(locked.pBits, texels, 16);
    shadow->UnlockRect();
    EXPECT_EQ(m_pDevice->UpdateSurface(shadow, nullptr, level, nullptr), D3D_OK);
    // Wrong directions and mismatched sizes are refused.
    EXPECT_EQ(m_pDevice->UpdateSurface(level, nullptr, shadow, nullptr), D3DERR_INVALIDCALL);
    IDirect3DSurface9* other = nullptr;
    m_pDevice->CreateOffscreenPlainSurface(4, 2, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &other, nullptr);
    EXPECT_EQ(m_pDevice->UpdateSurface(other, nullptr, level, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_pDevice->GetRenderTargetData(level, other), D3DERR_INVALIDCALL);
    // Reading the level back gives what was written.
    ASSERT_EQ(shadow->LockRect(&locked, nullptr, 0), D3D_OK);
    std::memset(locked.pBits, 0, 16);
    shadow->UnlockRect();
    EXPECT_EQ(m_pDevice->GetRenderTargetData(level, shadow), D3D_OK);
    ASSERT_EQ(shadow->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(std::memcmp(locked.pBits, texels, 16), 0);
    shadow->UnlockRect();
    other->Release();
    level->Release();
    shadow->Release();
    target->Release();
}

TEST_F(DeviceTest, ResetNeedsEveryDefaultPoolObjectReleasedAndResizes)
{
    IDirect3DVertexBuffer9* vb = nullptr;
    ASSERT_EQ(m_pDevice->CreateVertexBuffer(64, 0, 0, D3DPOOL_DEFAULT, &vb, nullptr), D3D_OK);
    m_pDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    D3D9ForceDeviceLoss(m_pDevice, 1);
    EXPECT_EQ(m_pDevice->TestCooperativeLevel(), D3DERR_DEVICELOST);
    EXPECT_EQ(m_pDevice->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    EXPECT_EQ(m_pDevice->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    D3DPRESENT_PARAMETERS pp = m_Params;
    pp.BackBufferWidth = 32;
    pp.BackBufferHeight = 16;
    EXPECT_EQ(m_pDevice->Reset(&pp), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_pDevice->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    vb->Release();
    EXPECT_EQ(m_pDevice->Reset(&pp), D3D_OK);
    EXPECT_EQ(m_pDevice->TestCooperativeLevel(), D3D_OK);
    DWORD cull = 0;
    m_pDevice->GetRenderState(D3DRS_CULLMODE, &cull);
    EXPECT_EQ(cull, static_cast<DWORD>(D3DCULL_CCW));
    D3DVIEWPORT9 vp;
    m_pDevice->GetViewport(&vp);
    EXPECT_EQ(vp.Width, 32u);
    EXPECT_EQ(vp.Height, 16u);
    m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0);
    std::vector<uint32_t> px = ReadBackBuffer();
    EXPECT_EQ(px.size(), 32u * 16u);
    EXPECT_EQ(HexColor(px.back()), HexColor(0xFF00FF00));
}

} // namespace
