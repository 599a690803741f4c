// Text, number and trail renderers in a built scene against plain loops doing the same drawing
// work: 100 three-line tagged texts drawn by the draw pass against the same runs handed to
// BitmapFont::DrawText; 200 six-digit numbers against a loop splitting the digits, looking up
// the atlas, mapping to the screen and calling DrawSprite; 50 trails of ten snapshots aged and
// drawn against a flat array of the same snapshots; and laying out a tagged text against
// measuring its lines. Every case queues into a sprite batch that is emptied, not rendered.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../tests/Graphics/FontFileBuilder.h"
#include "Components/Core/Camera2D.h"
#include "Components/Core/FontRenderer.h"
#include "Components/Core/SpriteBlurRenderer.h"
#include "Components/Core/SpriteNumberRenderer.h"
#include "Components/Core/SpriteRenderer.h"
#include "Platform/Backend/Video.h"
#include "System/Archive/ArchiveSystem.h"
#include "System/Archive/FileSystemArchive.h"
#include "System/Common/FrameCounter.h"
#include "System/Graphics/AtlasTable.h"
#include "System/Graphics/D3D9RenderSystem.h"
#include "System/Graphics/FontSet.h"
#include "System/Graphics/IWindowProc.h"
#include "System/Graphics/RenderWindow.h"
#include "System/Graphics/SpriteBatch.h"
#include "System/Graphics/TextureTable.h"
#include "System/Lua/ScriptSystem.h"
#include "World/ComponentFactory.h"
#include "World/GameObj.h"
#include "World/SceneManager.h"
#include "World/Transform.h"

namespace {

constexpr uint32_t kTextLayer = 2, kNumberLayer = 4, kTrailLayer = 8, kSpriteLayer = 16;
constexpr int kTexts = 100, kNumbers = 200, kTrails = 50;
constexpr float kFrame = 1.0f / 60.0f;
const char* const kText = "AB<FF0000>CA B\nBBA<00FF00>C\nC<0000FF>AB<>CA";

// Appends every part: GCC 12 at -O3 misreads a literal plus a temporary string as an
// overlapping copy.
template <class... Parts>
std::string Cat(const Parts&... parts)
{
    std::string out;
    ((out += parts), ...);
    return out;
}

std::string Tga(uint32_t width, uint32_t height)
{
    std::string file(18, '\0');
    file[2] = 2;
    file[12] = char(width & 0xFF), file[13] = char(width >> 8);
    file[14] = char(height & 0xFF), file[15] = char(height >> 8);
    file[16] = 32;
    file[17] = 0x28;
    file += std::string(size_t(width) * height * 4, '\xFF');
    return file;
}

// Each prototype's file name and text.
std::vector<std::pair<std::string, std::string>> Prototypes()
{
    std::string digits;
    for (int d = 0; d < 10; ++d)
        digits += Cat("'d", std::to_string(d), "', ");
    return {
        {"stage/bench_stage",
         Cat("bench_stage = { object_activity = 1, object_layer = 1, components = { Transform = {} }, children = {\n"
             "  { base_script = 'bench_camera' } } }\n",
             "for i = 1, ", std::to_string(kTexts), " do table.insert(bench_stage.children, { base_script = 'bench_text',\n"
             "  components = { Transform = { position = { x = i * 9, y = i * 5, z = 3 } } } }) end\n",
             "for i = 1, ", std::to_string(kNumbers),
             " do table.insert(bench_stage.children, { base_script = 'bench_number',\n"
             "  components = { Transform = { position = { x = i * 4, y = i * 2, z = 3 } } } }) end\n",
             "for i = 1, ", std::to_string(kTrails), " do table.insert(bench_stage.children, { base_script = 'bench_star',\n"
             "  components = { Transform = { position = { x = i * 18, y = 270, z = 3 } } } }) end\n")},
        {"game_objects/bench_camera",
         "bench_camera = { object_tag = 'GameCamera', object_activity = 1, object_layer = 1, components = {\n"
         "  Transform = { position = { x = 480, y = 270 } }, Camera2D = { screenSize = { width = 960, height = 540 } } } }\n"},
        {"game_objects/bench_text",
         Cat("bench_text = { object_activity = 1, object_layer = ", std::to_string(kTextLayer), ", components = {\n"
             "  Transform = {}, FontRenderer = { encoding = true, alignment = 1, size = { width = 200, height = 90 },\n"
             "  text = 'AB<FF0000>CA B\\nBBA<00FF00>C\\nC<0000FF>AB<>CA' } } }\n")},
        {"game_objects/bench_number",
         Cat("bench_number = { object_activity = 1, object_layer = ", std::to_string(kNumberLayer), ", components = {\n"
             "  Transform = {}, SpriteNumberRenderer = { max_digit = 6, number = 123456, padding = { x = 10, y = 0 },\n"
             "  scale = { left = 1, right = 1.5 }, sprite_names = { ", digits, "} } } }\n")},
        {"game_objects/bench_star",
         Cat("bench_star = { object_activity = 1, object_layer = ", std::to_string(kSpriteLayer), ", components = {\n"
             "  Transform = {}, SpriteRenderer = { size = { width = 16, height = 16 } },\n"
             "  TextureAtlas = { atlasName = 'd1' } }, children = { { base_script = 'bench_trail' } } }\n")},
        {"game_objects/bench_trail",
         Cat("bench_trail = { object_activity = 1, object_layer = ", std::to_string(kTrailLayer), ", components = {\n"
             "  Transform = {}, SpriteBlurRenderer = { maxBlurs = 10, baseAlpha = 200, intervalTime = ",
             std::to_string(kFrame), ", blendMode = 2 } } }\n")},
    };
}

class HiddenProc : public IWindowProc {
public:
    LRESULT WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        return DefWindowProcA(hWnd, message, wParam, lParam);
    }
};

// A render system on a hidden window (for the trail's texture), the game's tables over a small
// font and sheet, and the stage built and started.
struct RendererWorld {
    HiddenProc proc;
    RenderWindow window;
    D3D9RenderSystem* render = nullptr;
    std::filesystem::path root;
    SpriteBatch batch;
    FontSet fonts;
    TextureTable textures;
    AtlasTable atlas;
    SceneManager* scene = nullptr;
    bool ok = false;

    RendererWorld()
    {
        if (!BackendInitVideo() || window.Create(&proc, "renderer bench", 960, 540, false) == nullptr)
            return;
        render = new D3D9RenderSystem;
        if (!render->Init(&window))
            return;
        root = std::filesystem::temp_directory_path() / Cat("qm-text-bench-", std::to_string(getpid()));
        auto write = [&](const std::string& rel, const std::string& bytes) {
            const std::filesystem::path path = root / rel;
            std::filesystem::create_directories(path.parent_path());
            std::ofstream(path, std::ios::binary) << bytes;
        };
        std::vector<FontCharRecord> glyphs;
        for (char c = 'A'; c <= 'C'; ++c)
            glyphs.push_back({uint32_t(c), uint16_t((c - 'A') * 10), 0, 9, 12, 0, 2, int16_t(9 + c - 'A'), 0});
        write("assets.v1/2d/fonts/bench.fnt",
              FontFileBuilder().Magic().Info(16).Common(20, 1).Pages({"bench_0.tga"}).Chars(glyphs).Bytes());
        write("assets.v1/2d/fonts/bench_0.tga", Tga(32, 16));
        write("assets.v1/2d/sprites/digits.tga", Tga(128, 16));
        write("assets.v1/scripts/textures/texture_bench.lua",
              "texture_table = { digits = { texture_name = 'assets.v1/2d/sprites/digits', load_type = 1 } }");
        std::string sprites;
        for (int d = 0; d < 10; ++d)
            sprites += Cat("{ name = 'd", std::to_string(d), ".png', sourceRect = { x = 0, y = 0, width = 12, height = 16 },"
                           " originalSize = { width = 12, height = 16 }, uvRect = { x = ", std::to_string(d * 12),
                           ", y = 0, width = 12, height = 16 } },");
        write("assets.v1/scripts/atlases/atlas_digits.lua",
              Cat("spriteSheet = { texture = 'digits.tga', textureSize = { width = 128, height = 16 }, sprites = { ",
                  sprites, " } }"));
        for (const auto& [name, text] : Prototypes())
            write(Cat("assets.v1/scripts/", name, ".lua"), text);

        delete g_pArchiveSystem;
        ArchiveSystem::GetInstance()->SetRoot(root.string() + "/");
        g_pArchiveSystem->Mount(new FileSystemArchive("assets.v1/2d"));
        g_pArchiveSystem->Mount(new FileSystemArchive("assets.v1/scripts"));
        g_pScriptSystem = new ScriptSystem;
        if (!fonts.CreateFont(HashName("assets.v1/2d/fonts/bench"), "assets.v1/2d/fonts/"))
            return;
        g_pFontSet = &fonts;
        g_pSpriteBatch = &batch;
        textures.LoadFolder("assets.v1/scripts/textures/");
        atlas.LoadFolder("assets.v1/scripts/atlases/");
        g_pTextureTable = &textures;
        g_pAtlasTable = &atlas;
        TextureTable::AddUse(textures.Find(HashName("digits")));
        textures.Update();
        g_CameraRegistry.Clear();
        scene = new SceneManager;
        scene->Init();
        scene->LoadPrototypes("assets.v1/scripts/stage/");
        scene->LoadPrototypes("assets.v1/scripts/game_objects/");
        scene->RequestStage("bench_stage");
        SetStandInFrameCount(1);
        SetAppDeltaTime(kFrame);
        scene->Update();
        batch.ResetFrame();
        ok = scene->GetRoot() != nullptr;
    }
    ~RendererWorld()
    {
        delete scene;
        g_pSceneManager = nullptr;
        g_CameraRegistry.Clear();
        g_pTextureTable = nullptr;
        g_pAtlasTable = nullptr;
        g_pFontSet = nullptr;
        g_pSpriteBatch = nullptr;
        fonts.Clear();
        textures.Clear();
        delete g_pScriptSystem;
        g_pScriptSystem = nullptr;
        delete g_pArchiveSystem;
        delete render;
        window.Destroy();
        BackendShutdownVideo();
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }

    template <class T>
    std::vector<T*> All() const
    {
        std::vector<T*> out;
        for (GameObj* obj = scene->GetRoot(); obj; obj = obj->GetNext())
            if (Component* c = obj->GetComponent(T::s_Class.Key))
                out.push_back(static_cast<T*>(c));
        return out;
    }
};

bool Ready(RendererWorld& world, benchmark::State& state)
{
    if (!world.ok)
        state.SkipWithError("no device or scene (SDL_VIDEODRIVER=offscreen needs Mesa)");
    return world.ok;
}

void BM_TextDrawPass(benchmark::State& state)
{
    RendererWorld world;
    if (!Ready(world, state))
        return;
    world.scene->m_nDrawMask = kTextLayer;
    for (auto _ : state) {
        world.scene->Draw();
        world.batch.ResetFrame();
    }
    world.scene->Draw();
    state.counters["sprites"] = world.batch.GetQueuedSpriteCount();
    world.batch.ResetFrame();
    state.SetItemsProcessed(state.iterations() * kTexts);
}
BENCHMARK(BM_TextDrawPass)->Unit(benchmark::kMicrosecond);

// The same runs at the same places, colours and depth, straight to the font.
void BM_TextDrawPass_Baseline(benchmark::State& state)
{
    RendererWorld world;
    if (!Ready(world, state))
        return;
    struct Run {
        std::string text;
        float x, y;
        uint32_t color;
    };
    std::vector<Run> runs;
    for (FontRenderer* text : world.All<FontRenderer>()) {
        const Matrix4x4& w = text->GetOwner()->GetTransform()->WorldMatrix();
        float sx, sy;
        MapToScreen(*text->GetCamera(), w.m[3][0], w.m[3][1], sx, sy);
        for (const TextLine& line : text->GetLines())
            runs.push_back({line.text, sx + line.x, sy + line.y,
                            uint32_t(line.a) << 24 | uint32_t(line.r) << 16 | uint32_t(line.g) << 8 | line.b});
    }
    BitmapFont* font = world.fonts.GetFont(0);
    for (auto _ : state) {
        font->SetDepth(3.0f);
        for (const Run& run : runs)
            font->DrawText(run.text.c_str(), run.x, run.y, run.color, 0.0f, 0.0f, 1.0f, 0.0f);
        font->SetDepth(kFontDepth);
        state.counters["sprites"] = world.batch.GetQueuedSpriteCount();
        world.batch.ResetFrame();
    }
    state.SetItemsProcessed(state.iterations() * kTexts);
}
BENCHMARK(BM_TextDrawPass_Baseline)->Unit(benchmark::kMicrosecond);

void BM_NumberDrawPass(benchmark::State& state)
{
    RendererWorld world;
    if (!Ready(world, state))
        return;
    world.scene->m_nDrawMask = kNumberLayer;
    for (auto _ : state) {
        world.scene->Draw();
        world.batch.ResetFrame();
    }
    world.scene->Draw();
    state.counters["sprites"] = world.batch.GetQueuedSpriteCount();
    world.batch.ResetFrame();
    state.SetItemsProcessed(state.iterations() * kNumbers);
}
BENCHMARK(BM_NumberDrawPass)->Unit(benchmark::kMicrosecond);

// Per digit: split the number, look the sprite up, map to the screen, DrawSprite.
void BM_NumberDrawPass_Baseline(benchmark::State& state)
{
    RendererWorld world;
    if (!Ready(world, state))
        return;
    struct Number {
        int32_t value;
        float x, y;
    };
    std::vector<Number> numbers;
    for (SpriteNumberRenderer* n : world.All<SpriteNumberRenderer>()) {
        const Matrix4x4& w = n->GetOwner()->GetTransform()->WorldMatrix();
        numbers.push_back({n->GetNumber(), w.m[3][0], w.m[3][1]});
    }
    NameId sprites[10];
    for (int d = 0; d < 10; ++d)
        sprites[d] = HashName(Cat("d", std::to_string(d)).c_str());
    const Camera2D* camera = g_CameraRegistry.Find(GameCameraTag());
    for (auto _ : state) {
        for (const Number& n : numbers) {
            uint8_t digits[6];
            int32_t v = n.value;
            for (int i = 5; i >= 0; --i, v /= 10)
                digits[i] = uint8_t(v % 10);
            float sx, sy;
            MapToScreen(*camera, n.x, n.y, sx, sy);
            sx -= 10.0f * 2.5f;
            for (int k = 0; k < 6; ++k) {
                const AtlasEntry* e = world.atlas.Find(sprites[digits[k]]);
                const TextureEntry* t = world.textures.Find(e->textureId);
                const float scale = 1.0f + float(k) * 0.5f / 6.0f;
                world.batch.DrawSprite(3.0f, t->texture, sx + 10.0f * float(k), sy, float(e->sourceWidth),
                                       float(e->sourceHeight), e->offsetX, e->offsetY, scale, scale, 0.0f, e->u0, e->v0,
                                       e->du, e->dv, 1.0f, 1.0f, 1.0f, 1.0f);
            }
        }
        state.counters["sprites"] = world.batch.GetQueuedSpriteCount();
        world.batch.ResetFrame();
    }
    state.SetItemsProcessed(state.iterations() * kNumbers);
}
BENCHMARK(BM_NumberDrawPass_Baseline)->Unit(benchmark::kMicrosecond);

// Each trail takes a snapshot a frame and keeps ten; its late update and its draw.
void BM_TrailLateUpdateDraw(benchmark::State& state)
{
    RendererWorld world;
    if (!Ready(world, state))
        return;
    std::vector<SpriteBlurRenderer*> trails = world.All<SpriteBlurRenderer>();
    for (SpriteBlurRenderer* t : trails)
        t->SetSpawning(true);
    for (int frame = 0; frame < 12; ++frame)
        for (SpriteBlurRenderer* t : trails)
            t->LateUpdate();
    world.scene->m_nDrawMask = kTrailLayer;
    for (auto _ : state) {
        for (SpriteBlurRenderer* t : trails)
            t->LateUpdate();
        world.scene->Draw();
        world.batch.ResetFrame();
    }
    world.scene->Draw();
    state.counters["sprites"] = world.batch.GetQueuedSpriteCount();
    world.batch.ResetFrame();
    state.SetItemsProcessed(state.iterations() * kTrails);
}
BENCHMARK(BM_TrailLateUpdateDraw)->Unit(benchmark::kMicrosecond);

// The same 500 snapshots in one array: aged, the oldest of each trail replaced, drawn with
// the same alpha and camera arithmetic and the same look-up of each snapshot's texture.
void BM_TrailLateUpdateDraw_Baseline(benchmark::State& state)
{
    RendererWorld world;
    if (!Ready(world, state))
        return;
    std::vector<BlurSnapshot> snapshots;
    for (SpriteBlurRenderer* t : world.All<SpriteBlurRenderer>()) {
        BlurSnapshot s;
        t->TakeSnapshot(s);
        for (int k = 0; k < 10; ++k) {
            s.age = float(k) * kFrame;
            snapshots.push_back(s);
        }
    }
    const Camera2D* camera = g_CameraRegistry.Find(GameCameraTag());
    for (auto _ : state) {
        for (BlurSnapshot& s : snapshots) {
            s.age += kFrame;
            if (s.age >= s.lifetime)
                s.age = 0.0f;
        }
        const uint32_t saved = world.batch.GetRenderState();
        world.batch.SetRenderState((saved & ~kRenderStateBlendMask) | 2u);
        for (size_t i = 0; i < snapshots.size(); ++i) {
            const BlurSnapshot& s = snapshots[i];
            const float alpha = (1.0f - s.age / s.lifetime) * 200.0f / 255.0f;
            if (!(alpha > 0.0f))
                continue;
            const TextureEntry* t = world.textures.Find(s.textureId);
            if (!t || !t->texture)
                continue;
            float sx, sy;
            MapToScreen(*camera, s.x, s.y, sx, sy);
            world.batch.DrawSprite(3.01f + 0.001f * float(i % 10), t->texture, sx, sy, s.width, s.height, s.offsetX,
                                   s.offsetY, s.scaleX, s.scaleY, s.angle, s.u0, s.v0, s.du, s.dv, 1.0f, 1.0f, 1.0f,
                                   alpha);
        }
        world.batch.SetRenderState(saved);
        state.counters["sprites"] = world.batch.GetQueuedSpriteCount();
        world.batch.ResetFrame();
    }
    state.SetItemsProcessed(state.iterations() * kTrails);
}
BENCHMARK(BM_TrailLateUpdateDraw_Baseline)->Unit(benchmark::kMicrosecond);

void BM_TextLayout(benchmark::State& state)
{
    RendererWorld world;
    if (!Ready(world, state))
        return;
    FontRenderer* text = world.All<FontRenderer>().front();
    const std::string source = kText;
    for (auto _ : state) {
        float w, h;
        text->SetText(source, w, h);
        benchmark::DoNotOptimize(w);
    }
}
BENCHMARK(BM_TextLayout);

// Measuring the three lines as they stand.
void BM_TextLayout_Baseline(benchmark::State& state)
{
    RendererWorld world;
    if (!Ready(world, state))
        return;
    const BitmapFont* font = world.fonts.GetFont(0);
    const std::string lines[3] = {"AB<FF0000>CA B", "BBA<00FF00>C", "C<0000FF>AB<>CA"};
    for (auto _ : state) {
        float w = 0.0f;
        for (const std::string& line : lines)
            w = std::max(w, font->MeasureText(line.c_str(), 0.0f));
        benchmark::DoNotOptimize(w);
    }
}
BENCHMARK(BM_TextLayout_Baseline);

} // namespace
