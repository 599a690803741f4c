// Stage dressing: a landscape factory placing 500 objects (manual, spread and conditional
// entries) against spawning the same prototypes at the same places directly; and the frame that
// switches to the meadow of the built game folder (build, start pass, terrain and landscape;
// textures stay as they are, no device loads any) against a steady frame of the same stage.
#include <benchmark/benchmark.h>
#include <lua.hpp>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "Components/Core/LandscapeFactory.h"
#include "System/Archive/ArchiveSystem.h"
#include "System/Archive/FileSystemArchive.h"
#include "System/Archive/ZEVArchive.h"
#include "System/Common/FrameCounter.h"
#include "System/Common/Random.h"
#include "System/Lua/ScriptSystem.h"
#include "World/ComponentFactory.h"
#include "World/GameObj.h"
#include "World/QuestTable.h"
#include "World/SceneManager.h"
#include "World/Transform.h"
#include "World/WorldState.h"

namespace {

// 200 fixed placements, 4 spreads of 50, 100 conditional ones: 500 objects every time.
const char* const kFiles[][2] = {
    {"game_objects/bench_deco",
     "bench_deco = { object_name = 'deco', object_tag = 'Landscape', object_activity = 1, object_layer = 1,\n"
     "  components = { Transform = { position = { z = 30 } }, SpriteRenderer = {} } }\n"},
    {"game_objects/bench_rock",
     "bench_rock = { object_name = 'rock', object_activity = 1, object_layer = 1,\n"
     "  components = { Transform = { position = { z = 31 } }, SpriteRenderer = {} } }\n"},
    {"game_objects/bench_area",
     "bench_area = { object_name = 'area', object_activity = 1, object_layer = 1, components = { Transform = {},\n"
     "  LandscapeFactory = { manual = {}, procedural = {}, conditional = {} } } }\n"
     "local f = bench_area.components.LandscapeFactory\n"
     "for i = 1, 200 do f.manual[i] = { name = (i % 2 == 0) and 'bench_deco' or 'bench_rock',\n"
     "  position = { x = i * 5, y = 400 + i % 7, z = (i % 3 == 0) and 0 or 29 }, rate = 100 } end\n"
     "for i = 1, 4 do f.procedural[i] = { name = 'bench_deco', position = { x = { min = 0, max = 1000 }, y = 480 },\n"
     "  count = { min = 50, max = 50 } } end\n"
     "for i = 1, 100 do f.conditional[i] = { condition = { { { compare = 5, target = 1, value = 0 } } },\n"
     "  consequent = { name = 'bench_rock', position = { x = i * 9, y = 300 }, rate = 100 },\n"
     "  alternative = { name = 'bench_deco', rate = 100 } } end\n"},
};
constexpr int kPlaced = 500;

// The process-wide pointers other cases keep in their own worlds: put aside while a case runs
// in its own, and given back after.
struct SavedGlobals {
    ScriptSystem* script = g_pScriptSystem;
    ComponentFactory* factory = g_pComponentFactory;
    SceneManager* scene = g_pSceneManager;
    SavedGlobals()
    {
        g_pScriptSystem = nullptr;
        g_pComponentFactory = nullptr;
        g_pSceneManager = nullptr;
    }
    ~SavedGlobals()
    {
        g_pScriptSystem = script;
        g_pComponentFactory = factory;
        g_pSceneManager = scene;
    }
};

struct PlacementWorld {
    SavedGlobals saved;
    std::filesystem::path root;
    SceneManager* scene = nullptr;
    ComponentFactory* factory = nullptr;
    GameObj* area = nullptr;
    LandscapeFactory* landscape = nullptr;
    std::vector<std::pair<std::string, std::pair<float, float>>> places; // what the factory placed

    PlacementWorld()
    {
        root = std::filesystem::temp_directory_path() / ("qm-landscape-bench-" + std::to_string(getpid()));
        for (const auto& file : kFiles) {
            const std::filesystem::path path = root / "assets.v1/scripts" / (std::string(file[0]) + ".lua");
            std::filesystem::create_directories(path.parent_path());
            std::ofstream(path) << file[1];
        }
        delete g_pArchiveSystem;
        ArchiveSystem::GetInstance()->SetRoot(root.string() + "/");
        g_pArchiveSystem->Mount(new FileSystemArchive("assets.v1/scripts"));
        g_pScriptSystem = new ScriptSystem;
        factory = new ComponentFactory;
        factory->RegisterAll();
        g_pComponentFactory = factory;
        scene = new SceneManager;
        g_pSceneManager = scene;
        scene->Init();
        scene->LoadPrototypes("assets.v1/scripts/game_objects/");
        delete g_pArchiveSystem;
        area = scene->Instantiate("bench_area", nullptr, nullptr);
        landscape = static_cast<LandscapeFactory*>(area->GetComponent(LandscapeFactory::s_Class.Key));
        SfmtInit(3);
        landscape->Start();
        for (GameObj* o = area->GetFirstChild(); o; o = o->GetNextSibling()) {
            const Matrix4x4& local = o->GetTransform()->LocalMatrix();
            places.push_back({o->GetPrototypeName(), {local.m[3][0], local.m[3][1]}});
        }
        Clear();
    }
    ~PlacementWorld()
    {
        delete area;
        delete scene; // and the factory with it
        delete g_pScriptSystem;
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
    void Clear()
    {
        while (GameObj* child = area->GetFirstChild())
            delete child;
    }
};

void BM_LandscapePlace(benchmark::State& state)
{
    PlacementWorld world;
    uint32_t frame = 0;
    for (auto _ : state) {
        world.landscape->Start();
        state.PauseTiming();
        world.Clear();
        // Each placement is a stage start of its own frame, within the per-frame limit.
        SetStandInFrameCount(++frame);
        state.ResumeTiming();
    }
    SetStandInFrameCount(0);
    state.SetItemsProcessed(state.iterations() * kPlaced);
}
BENCHMARK(BM_LandscapePlace)->Unit(benchmark::kMicrosecond);

// The same prototypes spawned at the same places under the same parent.
void BM_LandscapePlace_Baseline(benchmark::State& state)
{
    PlacementWorld world;
    for (auto _ : state) {
        for (const auto& [name, at] : world.places)
            world.scene->Spawn(name, world.area, at.first, at.second);
        state.PauseTiming();
        world.Clear();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kPlaced);
}
BENCHMARK(BM_LandscapePlace_Baseline)->Unit(benchmark::kMicrosecond);

// The built game's world without a window or device: its archives mounted as the game mounts
// them, every table and prototype loaded, the meadow's quest current.
struct MeadowWorld {
    SavedGlobals saved;
    WorldState state;
    bool ready = false;

    MeadowWorld()
    {
        const std::string game = QM_GAME_DIR;
        if (!std::filesystem::exists(game + "/assets.v1/scripts/stage/stage_Meadow.lua"))
            return;
        delete g_pArchiveSystem;
        ArchiveSystem* archives = ArchiveSystem::GetInstance();
        archives->SetRoot(game + "/");
        for (const char* folder :
             {"assets.v1/2d", "assets.v1/scripts", "assets.v1/shaders", "assets.v1/sounds", "assets.v1/movies"})
            archives->Mount(new FileSystemArchive(folder));
        for (const char* pak : {"bgm", "movie", "script", "se", "shader", "sprite"})
            archives->Mount(new ZEVArchive(game + "/data/" + pak + ".pak"));
        state.Enter();
        QuestRecord* quest = g_pQuestTable ? g_pQuestTable->Find(HashName("quest_Meadow")) : nullptr;
        if (!quest)
            return;
        g_pQuestTable->m_pCurrentQuest = quest;
        SetAppDeltaTime(1.0f / 60.0f);
        SfmtInit(20240611);
        g_pSceneManager->RequestStage("stage_Meadow");
        Frame();
        Frame();
        ready = g_pSceneManager->GetRoot() && g_pSceneManager->GetRoot()->GetPrototypeName() == "stage_Meadow";
    }
    ~MeadowWorld()
    {
        state.Leave();
        delete g_pArchiveSystem;
    }
    void Frame()
    {
        g_pSceneManager->Update();
        g_pSceneManager->Draw();
    }
};

// The switch frame: the old meadow goes, a new one is built, laid out and dressed. The seed
// is the same each time, so every switch builds the same row and landscape.
void BM_MeadowStageSwitch(benchmark::State& state)
{
    MeadowWorld world;
    if (!world.ready) {
        state.SkipWithError("no built game folder with the meadow");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        SfmtInit(20240611);
        g_pSceneManager->RequestStage("stage_Meadow");
        state.ResumeTiming();
        world.Frame();
    }
}
BENCHMARK(BM_MeadowStageSwitch)->Unit(benchmark::kMillisecond);

// A steady frame of the same stage.
void BM_MeadowStageSwitch_Baseline(benchmark::State& state)
{
    MeadowWorld world;
    if (!world.ready) {
        state.SkipWithError("no built game folder with the meadow");
        return;
    }
    for (auto _ : state)
        world.Frame();
}
BENCHMARK(BM_MeadowStageSwitch_Baseline)->Unit(benchmark::kMillisecond);

} // namespace
