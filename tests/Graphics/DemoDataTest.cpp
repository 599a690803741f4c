// The demo game folder as the build lays it out: its texture and atlas tables read through the
// archives as start-up mounts them (loose folders and paks), every texture decoding to the size
// its header gives, every sprite on a texture the table knows, and a sprite drawn from a pak.
#include <gtest/gtest.h>

#include <memory>

#include "Platform/Backend/Video.h"
#include "Support/TempDir.h"
#include "System/Archive/ArchiveSystem.h"
#include "System/Archive/FileSystemArchive.h"
#include "System/Archive/ZEVArchive.h"
#include "System/Common/StringUtil.h"
#include "System/Graphics/AtlasTable.h"
#include "System/Graphics/D3D9RenderSystem.h"
#include "System/Graphics/D3D9Texture.h"
#include "System/Graphics/IWindowProc.h"
#include "System/Graphics/RenderWindow.h"
#include "System/Graphics/SpriteBatch.h"
#include "System/Graphics/TextureTable.h"
#include "System/Lua/ScriptSystem.h"

namespace {

class DemoDataTest : public testing::Test, public IWindowProc {
protected:
    void SetUp() override
    {
        m_pCwd = std::make_unique<ScopedCwd>(std::string(QM_GAME_DIR) + "/bin");
        delete g_pArchiveSystem;
        ArchiveSystem* archives = ArchiveSystem::GetInstance();
        archives->SetRoot(GetCurrentDirectoryPath() + "../");
        for (const char* folder : {"assets.v1/2d", "assets.v1/scripts", "assets.v1/shaders"})
            archives->Mount(new FileSystemArchive(folder));
        for (const char* pak : {"../data/script.pak", "../data/shader.pak", "../data/sprite.pak"})
            ASSERT_NE(archives->Mount(new ZEVArchive(pak)), nullptr) << pak;
        g_pScriptSystem = new ScriptSystem;
        ASSERT_NE(window.Create(this, "demo data", 960, 540, false), nullptr);
        renderSystem = new D3D9RenderSystem;
        ASSERT_TRUE(renderSystem->Init(&window));
        g_pSpriteBatch = new SpriteBatch;
        ASSERT_TRUE(g_pSpriteBatch->Initialize()); // its shaders come from shader.pak
    }
    void TearDown() override
    {
        textures.Clear();
        SpriteBatch::Destroy(g_pSpriteBatch);
        delete renderSystem;
        window.Destroy();
        BackendShutdownVideo();
        delete g_pScriptSystem;
        g_pScriptSystem = nullptr;
        delete g_pArchiveSystem;
        m_pCwd.reset();
    }
    LRESULT WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        return DefWindowProcA(hWnd, message, wParam, lParam);
    }

    std::unique_ptr<ScopedCwd> m_pCwd;
    RenderWindow window;
    D3D9RenderSystem* renderSystem = nullptr;
    TextureTable textures;
    AtlasTable atlas;
};

TEST_F(DemoDataTest, TablesMatchTheImages)
{
    textures.LoadFolder("assets.v1/scripts/textures/");
    atlas.LoadFolder("assets.v1/scripts/atlases/");
    ASSERT_GE(textures.GetCount(), 8u);
    ASSERT_GE(atlas.GetCount(), 30u);

    for (const char* name : {"player_idle_0", "enemy_blob_0", "enemy_wisp_damage_0", "bullet_orb", "item_coin", "fx_hit_2", "ui_frame"}) {
        const AtlasEntry* sprite = atlas.Find(HashName(name));
        ASSERT_NE(sprite, nullptr) << name;
        const TextureEntry* texture = textures.Find(sprite->textureId);
        ASSERT_NE(texture, nullptr) << name << " is on a texture the table does not list";
        EXPECT_GT(sprite->du, 0.0f) << name;
        EXPECT_LE(sprite->u0 + sprite->du, 1.0f) << name;
        EXPECT_LE(sprite->v0 + sprite->dv, 1.0f) << name;
        EXPECT_LE(sprite->sourceWidth, sprite->originalWidth) << name;
        TextureTable::AddUse(const_cast<TextureEntry*>(texture));
    }
    for (const char* name : {"bg_sky", "bg_hills", "white"})
        TextureTable::AddUse(textures.Find(HashName(name)));

    EXPECT_TRUE(textures.Update());
    for (const char* name : {"chara_player", "chara_enemies", "bullets", "items", "effects", "ui_parts", "bg_sky",
                             "bg_hills", "white"}) {
        const TextureEntry* entry = textures.Find(HashName(name));
        ASSERT_NE(entry, nullptr) << name;
        ASSERT_NE(entry->texture, nullptr) << name;
        EXPECT_GT(entry->width, 0u) << name;
        EXPECT_EQ(entry->texture->GetWidth(), entry->width) << name;
        EXPECT_EQ(entry->texture->GetHeight(), entry->height) << name;
        EXPECT_NE(static_cast<D3D9Texture*>(entry->texture)->GetD3DTexture(), nullptr) << name;
    }

    // The heart from the items sheet, which is only in sprite.pak, drawn twice its size.
    const AtlasEntry* heart = atlas.Find(HashName("item_heart"));
    ASSERT_NE(heart, nullptr);
    ITexture* sheet = textures.Find(heart->textureId)->texture;
    renderSystem->Clear(0, 0, 0, 1, 1, 0);
    renderSystem->BeginScene();
    g_pSpriteBatch->DrawSprite(1.0f, sheet, 480, 270, float(heart->sourceWidth), float(heart->sourceHeight), 0, 0, 2,
                               2, 0, heart->u0, heart->v0, heart->du, heart->dv, 1, 1, 1, 1);
    g_pSpriteBatch->Render();
    renderSystem->EndScene();
    IDirect3DDevice9* device = renderSystem->GetDevice();
    IDirect3DSurface9* back = nullptr;
    IDirect3DSurface9* copy = nullptr;
    ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    ASSERT_EQ(device->CreateOffscreenPlainSurface(960, 540, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &copy, nullptr), D3D_OK);
    ASSERT_EQ(device->GetRenderTargetData(back, copy), D3D_OK);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    int red = 0;
    for (int y = 240; y < 300; ++y)
        for (int x = 440; x < 520; ++x) {
            const uint32_t p = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(locked.pBits) +
                                                                 size_t(y) * size_t(locked.Pitch))[x];
            red += ((p >> 16) & 0xFF) > 0xC0 && ((p >> 8) & 0xFF) < 0x60;
        }
    copy->UnlockRect();
    copy->Release();
    back->Release();
    EXPECT_GT(red, 200); // the heart's red fill, scaled up
}

} // namespace
