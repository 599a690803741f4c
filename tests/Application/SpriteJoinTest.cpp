// The sprite batch, the screen fader and the fonts inside the application: made at start-up
// after the render system, the fade updated and drawn by the tick, all gone at shutdown.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "Platform/Backend/Video.h"
#include "Support/TempDir.h"
#include "System/Application/MainApp.h"
#include "System/Archive/ArchiveSystem.h"
#include "System/Archive/FileSystemArchive.h"
#include "System/Graphics/D3D9RenderSystem.h"
#include "System/Graphics/FontSet.h"
#include "System/Graphics/ScreenFader.h"
#include "System/Graphics/SpriteBatch.h"

namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

class SpriteJoinTest : public testing::Test {
protected:
    void SetUp() override
    {
        // A game folder with the shaders and the game's fonts, mounted as start-up would.
        for (const char* dir : {"bin", "assets.v1", "assets.v1/2d", "assets.v1/2d/fonts", "assets.v1/shaders"})
            std::filesystem::create_directories(m_Game.File(dir));
        m_Game.WriteFile("assets.v1/shaders/instancing_vs.vsh",
                         ReadFile(std::string(QM_SOURCE_DIR) + "/content/paks/shader/instancing_vs.vsh"));
        m_Game.WriteFile("assets.v1/shaders/instancing_ps.psh",
                         ReadFile(std::string(QM_SOURCE_DIR) + "/content/paks/shader/instancing_ps.psh"));
        for (const char* file : {"nachin_20.fnt", "nachin_20_0.png", "nachin_30.fnt", "nachin_30_0.png", "nachin_30_1.png"})
            m_Game.WriteFile(std::string("assets.v1/2d/fonts/") + file,
                             ReadFile(std::string(QM_GAME_DIR) + "/assets.v1/2d/fonts/" + file));
        m_pCwd = std::make_unique<ScopedCwd>(m_Game.File("bin"));
        delete g_pArchiveSystem;
        ArchiveSystem::GetInstance()->SetRoot(m_Game.Path());
        for (const char* folder : {"assets.v1/2d", "assets.v1/shaders"})
            ArchiveSystem::GetInstance()->Mount(new FileSystemArchive(folder));
    }
    void TearDown() override
    {
        delete g_pArchiveSystem;
        m_pCwd.reset();
        BackendShutdownVideo();
    }

    uint32_t CentrePixel()
    {
        IDirect3DDevice9* device = g_pD3D9RenderSystem->GetDevice();
        IDirect3DSurface9* back = nullptr;
        IDirect3DSurface9* copy = nullptr;
        uint32_t pixel = 0;
        D3DSURFACE_DESC desc{};
        if (device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back) != D3D_OK)
            return 0;
        back->GetDesc(&desc);
        if (device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM, &copy,
                                                nullptr) == D3D_OK &&
            device->GetRenderTargetData(back, copy) == D3D_OK) {
            D3DLOCKED_RECT locked{};
            if (copy->LockRect(&locked, nullptr, D3DLOCK_READONLY) == D3D_OK) {
                pixel = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(locked.pBits) +
                                                          size_t(desc.Height / 2) * size_t(locked.Pitch))[desc.Width / 2];
                copy->UnlockRect();
            }
        }
        if (copy)
            copy->Release();
        back->Release();
        return pixel & 0xFFFFFF;
    }

    TempDir m_Game;
    std::unique_ptr<ScopedCwd> m_pCwd;
};

TEST_F(SpriteJoinTest, StartupTickAndShutdown)
{
    MainApp app;
    ASSERT_TRUE(app.Startup());
    ASSERT_NE(g_pSpriteBatch, nullptr);
    ASSERT_NE(g_pScreenFader, nullptr);
    ASSERT_NE(g_pFontSet, nullptr);
    ASSERT_EQ(g_pFontSet->GetCount(), 2u);
    EXPECT_EQ(g_pFontSet->GetFont(0)->GetSize(), 20);
    EXPECT_EQ(g_pFontSet->GetFont(1)->GetSize(), 30);
    EXPECT_FLOAT_EQ(g_pFontSet->GetFont(1)->GetDepth(), 0.11f);
    EXPECT_EQ(g_pScreenFader->m_nMode, eScreenFade_Idle);

    app.Tick();

    // A fade with no duration is complete in the first tick that updates it, and is drawn from
    // then on. The pacer may skip drawing a late frame or two after the slow start-up.
    g_pScreenFader->Start(eScreenFade_FadeOut, 0, 0x00FF8000, 0.0f);
    app.Tick();
    EXPECT_EQ(g_pScreenFader->m_nMode, eScreenFade_Held);
    for (int tick = 0; tick < 30 && g_pSpriteBatch->GetLastDrawCalls() == 0; ++tick)
        app.Tick();
    EXPECT_EQ(g_pSpriteBatch->GetLastDrawCalls(), 1u);
    EXPECT_EQ(CentrePixel(), 0xFF8000u);

    app.Shutdown();
    EXPECT_EQ(g_pFontSet, nullptr);
    EXPECT_EQ(g_pScreenFader, nullptr);
    EXPECT_EQ(g_pSpriteBatch, nullptr);
    EXPECT_EQ(g_pRenderSystem, nullptr);
}

} // namespace
