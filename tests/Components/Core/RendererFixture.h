// The renderer tests' world: the game's render system and sprite batch, a texture table and an
// atlas over small TGA images, a factory with every component class, a game camera at the centre
// of a 960 x 540 view, and what the batch has queued read back as records. Expected records come
// from a second batch fed the expected DrawSprite calls.
#pragma once

#include <lua.hpp>

#include <cmath>
#include <string>
#include <vector>

#include "Components/Core/Camera2D.h"
#include "Components/Core/SpriteRenderer.h"
#include "SpriteDeviceFixture.h"
#include "System/Graphics/AtlasTable.h"
#include "System/Graphics/SpriteBatch.h"
#include "System/Graphics/TextureTable.h"
#include "World/ComponentFactory.h"
#include "World/GameObj.h"
#include "World/Transform.h"

struct QueuedSprite {
    uint32_t state;
    ITexture* texture;
    SpriteDrawRecord record;
};

// Every sprite queued in the batch, in drawing order; the batch is emptied.
inline std::vector<QueuedSprite> Drain(SpriteBatch& batch)
{
    std::vector<QueuedSprite> out;
    for (const auto& [key, entry] : batch.GetBatches())
        for (uint32_t b = 0; b < entry->blockCount; ++b)
            for (uint32_t i = 0; i < entry->blocks[b].count; ++i)
                out.push_back({entry->renderState, entry->texture, entry->blocks[b].records[i]});
    batch.ResetFrame();
    return out;
}

// The arguments of one expected DrawSprite call and the render-state word it is queued under.
struct SpriteCall {
    float depth = 0.0f;
    bool textured = false;
    float x = 0.0f, y = 0.0f, width = 0.0f, height = 0.0f;
    float centerX = 0.0f, centerY = 0.0f;
    float scaleX = 1.0f, scaleY = 1.0f, angle = 0.0f;
    float u0 = 0.0f, v0 = 0.0f, du = 0.0f, dv = 0.0f;
    float r = 1.0f, g = 1.0f, b = 1.0f, a = 1.0f;
    uint32_t state = 1;
};

class RendererTest : public SpriteDeviceTest {
protected:
    // "sheet" 64 x 64, "other" 16 x 16, "resident" 8 x 8 (load type 1); atlas sprites "left"
    // and "right" on "sheet", "small" on "other".
    void WriteGameFiles() override
    {
        Write("assets.v1/2d/sprites/sheet.tga", TgaFile(64, 64, std::vector<uint32_t>(64 * 64, 0xFF808080u)));
        Write("assets.v1/2d/sprites/other.tga", TgaFile(16, 16, std::vector<uint32_t>(16 * 16, 0xFF00FF00u)));
        Write("assets.v1/2d/sprites/resident.tga", TgaFile(8, 8, std::vector<uint32_t>(8 * 8, 0xFFFF0000u)));
        Write("assets.v1/scripts/textures/texture_test.lua",
              "texture_table = { sheet = { texture_name = 'assets.v1/2d/sprites/sheet' },"
              " other = { texture_name = 'assets.v1/2d/sprites/other' },"
              " resident = { texture_name = 'assets.v1/2d/sprites/resident', load_type = 1 } }");
        Write("assets.v1/scripts/atlases/atlas_sheet.lua",
              "spriteSheet = { texture = 'sheet.tga', textureSize = { width = 64, height = 64 }, sprites = {"
              " { name = 'left.png', sourceRect = { x = 2, y = 4, width = 28, height = 24 },"
              "   originalSize = { width = 32, height = 32 }, uvRect = { x = 0, y = 0, width = 28, height = 24 } },"
              " { name = 'right.png', sourceRect = { x = 0, y = 0, width = 32, height = 32 },"
              "   originalSize = { width = 32, height = 32 }, uvRect = { x = 32, y = 0, width = 32, height = 32 } } } }");
        Write("assets.v1/scripts/atlases/atlas_other.lua",
              "spriteSheet = { texture = 'other.tga', textureSize = { width = 16, height = 16 }, sprites = {"
              " { name = 'small.png', sourceRect = { x = 0, y = 0, width = 16, height = 16 },"
              "   originalSize = { width = 16, height = 16 }, uvRect = { x = 0, y = 0, width = 16, height = 16 } } } }");
    }

    void SetUp() override
    {
        SpriteDeviceTest::SetUp();
        if (HasFatalFailure())
            return;
        textures.LoadFolder("assets.v1/scripts/textures/");
        atlas.LoadFolder("assets.v1/scripts/atlases/");
        g_pTextureTable = &textures;
        g_pAtlasTable = &atlas;
        factory.RegisterAll();
        g_pComponentFactory = &factory;
        L = luaL_newstate();
        g_CameraRegistry.Clear();
        camera = MakeCamera("GameCamera", 480.0f, 270.0f);
    }

    void TearDown() override
    {
        for (GameObj* root : roots)
            delete root;
        roots.clear();
        g_CameraRegistry.Clear();
        g_pComponentFactory = nullptr;
        if (L)
            lua_close(L);
        g_pTextureTable = nullptr;
        g_pAtlasTable = nullptr;
        textures.Clear();
        SpriteDeviceTest::TearDown();
    }

    // "{ position = { x = <x>, y = <y> } }"
    static std::string Position(float x, float y)
    {
        std::string text = "{ position = { x = ";
        text += std::to_string(x);
        text += ", y = ";
        text += std::to_string(y);
        text += " } }";
        return text;
    }
    // A root object with a Transform read from the Lua table text.
    GameObj* Object(const std::string& name, const std::string& transform, GameObj* parent = nullptr)
    {
        auto* obj = new GameObj(name, nullptr);
        obj->SetObjectName(name);
        if (parent)
            obj->SetParent(parent);
        else
            roots.push_back(obj);
        obj->Activate();
        Add(obj, "Transform", transform);
        return obj;
    }
    // The component made from the class name and Lua table text ("" for none), or null.
    Component* Add(GameObj* obj, const char* className, const std::string& table)
    {
        lua_settop(L, 0);
        if (table.empty())
            return obj->AddComponent(className, nullptr);
        std::string code = "return ";
        code += table;
        EXPECT_EQ(luaL_dostring(L, code.c_str()), 0) << lua_tostring(L, -1);
        Component* c = obj->AddComponent(className, L);
        lua_settop(L, 0);
        return c;
    }
    static void StartAll(GameObj* obj)
    {
        for (Component* c : obj->GetComponents())
            if (!c->IsStarted()) {
                c->OnEnable();
                c->Start();
                c->SetFlags(eComponentFlag_Started);
            }
    }
    Camera2D* MakeCamera(const char* tag, float x, float y)
    {
        std::string name = "camera ";
        name += tag;
        GameObj* obj = Object(name, Position(x, y));
        obj->SetTag(HashName(tag));
        auto* cam = static_cast<Camera2D*>(Add(obj, "Camera2D", "{ screenSize = { width = 960, height = 540 } }"));
        StartAll(obj);
        return cam;
    }

    TextureEntry* Entry(const char* name) const { return textures.Find(HashName(name)); }
    // Loads the entry's image now, as the scene's texture step would while it is in use.
    ITexture* Load(const char* name)
    {
        TextureEntry* entry = Entry(name);
        TextureTable::AddUse(entry);
        textures.Update();
        return entry->texture;
    }

    // The queued sprites against the expected calls, record by record.
    void ExpectQueued(const std::vector<SpriteCall>& calls, ITexture* texture, const std::string& what)
    {
        SpriteBatch expected;
        for (const SpriteCall& c : calls) {
            expected.SetRenderState(c.state);
            expected.DrawSprite(c.depth, c.textured ? texture : nullptr, c.x, c.y, c.width, c.height, c.centerX,
                                c.centerY, c.scaleX, c.scaleY, c.angle, c.u0, c.v0, c.du, c.dv, c.r, c.g, c.b, c.a);
        }
        const std::vector<QueuedSprite> want = Drain(expected);
        const std::vector<QueuedSprite> got = Drain(*g_pSpriteBatch);
        ASSERT_EQ(got.size(), want.size()) << what;
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].state, want[i].state) << what << " #" << i;
            EXPECT_EQ(got[i].texture, want[i].texture) << what << " #" << i;
            const float* a = &got[i].record.matrix[0][0];
            const float* b = &want[i].record.matrix[0][0];
            for (int k = 0; k < 24; ++k)
                EXPECT_NEAR(a[k], b[k], 1e-4f) << what << " #" << i << " float " << k;
        }
    }

    TextureTable textures;
    AtlasTable atlas;
    ComponentFactory factory;
    lua_State* L = nullptr;
    std::vector<GameObj*> roots;
    Camera2D* camera = nullptr;
};
