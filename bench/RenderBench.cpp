// Sprites through the scene: the draw pass queueing ten thousand sprite renderers against a flat
// loop doing the same work per sprite, and a frame of a thousand animated sprites against the
// same sprites standing still. The batch has no device: it queues and is emptied each frame.
#include <benchmark/benchmark.h>
#include <lua.hpp>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Components/Core/Camera2D.h"
#include "Components/Core/SpriteRenderer.h"
#include "System/Archive/ArchiveSystem.h"
#include "System/Archive/FileSystemArchive.h"
#include "System/Common/FrameCounter.h"
#include "System/Common/MathUtil.h"
#include "System/Graphics/AtlasTable.h"
#include "System/Graphics/SpriteBatch.h"
#include "System/Graphics/TextureTable.h"
#include "System/Lua/ScriptSystem.h"
#include "World/AnimationTable.h"
#include "World/ComponentFactory.h"
#include "World/GameObj.h"
#include "World/SceneManager.h"
#include "World/Transform.h"

namespace {

constexpr uint32_t kStillLayer = 2;    // the ten thousand of the draw pass
constexpr uint32_t kAnimatedLayer = 4; // a thousand with a sprite animation
constexpr uint32_t kPlainLayer = 8;    // the same thousand without one
constexpr int kSprites = 10000;
constexpr int kAnimated = 1000;

std::string TgaHeader(int width, int height)
{
    std::string header(18, '\0');
    header[2] = 2;
    header[12] = char(width);
    header[14] = char(height);
    header[16] = 32;
    return header;
}

// Sprites spread over a stretch a little wider than the view, so some are culled.
const char* const kFiles[][2] = {
    {"2d/sprites/bench_tex.tga", nullptr},
    {"scripts/textures/texture_bench.lua",
     "texture_table = { bench_tex = { texture_name = 'assets.v1/2d/sprites/bench_tex' } }\n"},
    {"scripts/atlases/atlas_bench.lua",
     "spriteSheet = { texture = 'bench_tex.tga', textureSize = { width = 64, height = 64 }, sprites = {} }\n"
     "for i = 0, 3 do spriteSheet.sprites[i + 1] = { name = 'bench_' .. i .. '.png',\n"
     "  sourceRect = { x = 0, y = 0, width = 32, height = 32 }, originalSize = { width = 32, height = 32 },\n"
     "  uvRect = { x = (i % 2) * 32, y = math.floor(i / 2) * 32, width = 32, height = 32 } } end\n"},
    {"scripts/animations/anim_bench.lua",
     "animation_table = { bench_walk = { wrapMode = 1,\n"
     "  animationSheet = { frame_per_sec = 12, animation = { { 'bench_0', 1 }, { 'bench_1', 1 }, { 'bench_2', 1 },"
     " { 'bench_3', 1 } } },\n"
     "  pose_anim = { { 3, 0, 1, 0, 1, 1 }, { 4, 0, 1, 0, 1, 1 }, { 5, 0, 1, 0, 1, 1 }, { 8, 1, 2, 0, 0.5, 0 } } } }\n"},
    {"scripts/stage/bench_sprites.lua",
     "bench_sprites = { object_name = 'stage', object_activity = 1, object_layer = 1, components = { Transform = {} },\n"
     "  children = { { base_script = 'bench_camera' } } }\n"
     "local c = bench_sprites.children\n"
     "for i = 1, 10000 do c[#c + 1] = { base_script = 'bench_still', components = { Transform = { position =\n"
     "  { x = (i * 37) % 1100 - 70, y = (i * 53) % 620 - 40, z = 1 + i % 7 }, rotation = i % 4 } } } end\n"
     "for i = 1, 1000 do\n"
     "  local place = { Transform = { position = { x = (i * 37) % 960, y = (i * 53) % 540, z = 2 } } }\n"
     "  c[#c + 1] = { base_script = 'bench_walker', components = place }\n"
     "  c[#c + 1] = { base_script = 'bench_plain', components = place } end\n"},
    {"scripts/game_objects/bench_camera.lua",
     "bench_camera = { object_tag = 'GameCamera', object_activity = 1, object_layer = 1, components = {\n"
     "  Transform = { position = { x = 480, y = 270 } }, Camera2D = { screenSize = { width = 960, height = 540 } } } }\n"},
    {"scripts/game_objects/bench_still.lua",
     "bench_still = { object_activity = 1, object_layer = 2, components = { Transform = {},\n"
     "  SpriteRenderer = { color = { r = 255, g = 200, b = 100, a = 255 }, pivot = 2 },\n"
     "  TextureAtlas = { atlasInfo = { texture = 'bench_tex', uvRect = { x = 0, y = 0, width = 32, height = 32 } } } } }\n"},
    {"scripts/game_objects/bench_walker.lua",
     "bench_walker = { object_activity = 1, object_layer = 4, components = { Transform = {},\n"
     "  SpriteRenderer = { color = { r = 255, g = 255, b = 255, a = 255 } },\n"
     "  TextureAtlas = { atlasName = 'bench_0' }, SpriteAnimation = { stand_loop = { 'bench_walk' } } } }\n"},
    {"scripts/game_objects/bench_plain.lua",
     "bench_plain = { object_activity = 1, object_layer = 8, components = { Transform = {},\n"
     "  SpriteRenderer = { color = { r = 255, g = 255, b = 255, a = 255 } },\n"
     "  TextureAtlas = { atlasName = 'bench_0' } } }\n"},
};

// What the flat loop knows of one sprite: the same values the renderer reads.
struct FlatSprite {
    NameId texture;
    float x, y, z, scaleX, scaleY, m01, m11;
    float width, height, pivotX, pivotY, u0, v0, du, dv;
    uint32_t color;
};

struct RenderWorld {
    std::filesystem::path root;
    SceneManager* scene = nullptr;
    ComponentFactory* factory = nullptr;
    TextureTable textures;
    AtlasTable atlas;
    AnimationTable clips;
    SpriteBatch batch;
    Camera2D* camera = nullptr;
    std::vector<FlatSprite> flat;

    RenderWorld()
    {
        std::string name = "qm-render-bench-";
        name += std::to_string(getpid());
        root = std::filesystem::temp_directory_path() / name;
        for (const auto& file : kFiles) {
            const std::filesystem::path path = root / "assets.v1" / file[0];
            std::filesystem::create_directories(path.parent_path());
            std::ofstream(path, std::ios::binary) << (file[1] ? std::string(file[1]) : TgaHeader(64, 64));
        }
        delete g_pArchiveSystem;
        ArchiveSystem::GetInstance()->SetRoot(root.string() + "/");
        g_pArchiveSystem->Mount(new FileSystemArchive("assets.v1/2d"));
        g_pArchiveSystem->Mount(new FileSystemArchive("assets.v1/scripts"));
        g_pScriptSystem = new ScriptSystem;
        textures.LoadFolder("assets.v1/scripts/textures/");
        atlas.LoadFolder("assets.v1/scripts/atlases/");
        Bind();
        clips.LoadFolder("assets.v1/scripts/animations/");
        factory = new ComponentFactory;
        factory->RegisterAll();
        g_pComponentFactory = factory;
        scene = new SceneManager;
        scene->Init();
        scene->LoadPrototypes("assets.v1/scripts/stage/");
        scene->LoadPrototypes("assets.v1/scripts/game_objects/");
        delete g_pArchiveSystem;
        scene->RequestStage("bench_sprites");
        SetStandInFrameCount(1);
        SetAppDeltaTime(1.0f / 60.0f);
        scene->Update();
        camera = g_CameraRegistry.Find(GameCameraTag());
        for (GameObj* obj = scene->GetRoot(); obj; obj = obj->GetNext()) {
            if (obj->GetLayer() != kStillLayer)
                continue;
            auto* s = static_cast<SpriteRenderer*>(obj->GetRenderer());
            const Transform* t = obj->GetTransform();
            const Matrix4x4& w = t->WorldMatrix();
            float uv[4];
            s->GetUVRect(uv);
            flat.push_back({s->GetTextureId(), w.m[3][0], w.m[3][1], w.m[3][2], t->WorldScale().x, t->WorldScale().y,
                            w.m[0][1], w.m[1][1], s->GetWidth(), s->GetHeight(), s->GetOffsetX() + s->GetBaseWidth() * 0.5f,
                            s->GetOffsetY(), uv[0], uv[1], uv[2], uv[3], s->GetColor()});
        }
    }
    ~RenderWorld()
    {
        Bind();
        g_pComponentFactory = factory; // the scene deletes it
        delete scene;
        g_pAnimationTable = nullptr;
        g_pAtlasTable = nullptr;
        g_pTextureTable = nullptr;
        g_pSpriteBatch = nullptr;
        textures.Clear();
        delete g_pScriptSystem;
        g_pScriptSystem = nullptr;
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
    // Other cases set the process-wide tables to their own.
    void Bind()
    {
        g_pTextureTable = &textures;
        g_pAtlasTable = &atlas;
        g_pAnimationTable = &clips;
        g_pSpriteBatch = &batch;
        g_pComponentFactory = factory;
    }
    void Masks(uint32_t update, uint32_t draw)
    {
        scene->m_nUpdateMask = update;
        scene->m_nDrawMask = draw;
    }
};

RenderWorld& TheWorld()
{
    static RenderWorld world;
    world.Bind();
    return world;
}

// The scene's draw pass over ten thousand sprite renderers: collected, cull-tested against the
// camera, told of visibility changes, and queued.
void BM_SpriteDrawPass(benchmark::State& state)
{
    RenderWorld& world = TheWorld();
    world.Masks(0, kStillLayer);
    for (auto _ : state) {
        world.scene->Draw();
        world.batch.ResetFrame();
    }
    state.counters["per_sprite"] = benchmark::Counter(
        double(kSprites), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_SpriteDrawPass)->Unit(benchmark::kMicrosecond);

// The same sprites from one flat array: texture look-up, world angle, camera mapping and cull
// test, then the same DrawSprite call.
void BM_SpriteDrawPass_Baseline(benchmark::State& state)
{
    RenderWorld& world = TheWorld();
    const Camera2D& camera = *world.camera;
    for (auto _ : state) {
        for (const FlatSprite& s : world.flat) {
            if (IsOutOfView(camera, s.x, s.y, s.width, s.height))
                continue;
            const TextureEntry* entry = world.textures.Find(s.texture);
            const float angle = Atan2(s.m01, s.m11);
            float sx, sy;
            MapToScreen(camera, s.x, s.y, sx, sy);
            world.batch.DrawSprite(s.z, entry ? entry->texture : nullptr, sx, sy, s.width, s.height, s.pivotX, s.pivotY,
                                   s.scaleX, s.scaleY, -angle, s.u0, s.v0, s.du, s.dv,
                                   float((s.color >> 16) & 0xFF) / 255.0f, float((s.color >> 8) & 0xFF) / 255.0f,
                                   float(s.color & 0xFF) / 255.0f, float(s.color >> 24) / 255.0f);
        }
        world.batch.ResetFrame();
    }
    state.counters["per_sprite"] = benchmark::Counter(
        double(kSprites), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_SpriteDrawPass_Baseline)->Unit(benchmark::kMicrosecond);

// One frame (update passes and draw pass) of a thousand sprites each playing a looping clip of
// four atlas images with pose keys.
void BM_AnimatedSpriteFrame(benchmark::State& state)
{
    RenderWorld& world = TheWorld();
    world.Masks(kAnimatedLayer, kAnimatedLayer);
    SetAppDeltaTime(1.0f / 60.0f);
    for (auto _ : state) {
        world.scene->Update();
        world.scene->Draw();
        world.batch.ResetFrame();
    }
    state.SetItemsProcessed(state.iterations() * kAnimated);
}
BENCHMARK(BM_AnimatedSpriteFrame)->Unit(benchmark::kMicrosecond);

// The same frame of the same thousand sprites without their animation.
void BM_AnimatedSpriteFrame_Baseline(benchmark::State& state)
{
    RenderWorld& world = TheWorld();
    world.Masks(kPlainLayer, kPlainLayer);
    SetAppDeltaTime(1.0f / 60.0f);
    for (auto _ : state) {
        world.scene->Update();
        world.scene->Draw();
        world.batch.ResetFrame();
    }
    state.SetItemsProcessed(state.iterations() * kAnimated);
}
BENCHMARK(BM_AnimatedSpriteFrame_Baseline)->Unit(benchmark::kMicrosecond);

} // namespace
