// The scene over objects built from Lua prototypes: one frame's update and draw against a flat
// loop doing the same virtual calls, and building objects from a prototype against making the
// same objects with direct calls.
#include <benchmark/benchmark.h>
#include <lua.hpp>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Components/Core/Renderer.h"
#include "System/Archive/ArchiveSystem.h"
#include "System/Archive/FileSystemArchive.h"
#include "System/Common/FrameCounter.h"
#include "System/Lua/ScriptSystem.h"
#include "World/Component.h"
#include "World/ComponentFactory.h"
#include "World/GameObj.h"
#include "World/MessageManager.h"
#include "World/SceneManager.h"
#include "World/Transform.h"

namespace {

class Ticker : public Component {
public:
    static inline const ClassKey s_Class{"BenchTicker"};
    explicit Ticker(GameObj* owner) : Component(owner, s_Class) {}
    bool IsKindOf(TypeKey key) const override { return key == s_Class.Key; }
    void PhysicsUpdate() override { ++m_nCalls; }
    void Update() override { ++m_nCalls; }
    void LateUpdate() override { ++m_nCalls; }

    int m_nCalls = 0;
};

class Painter : public Renderer {
public:
    static inline const ClassKey s_Class{"BenchPainter"};
    explicit Painter(GameObj* owner) : Renderer(owner, s_Class) {}
    bool Load(lua_State* L) override { return LoadColor(L); }
    bool IsKindOf(TypeKey key) const override { return key == s_Class.Key || key == Renderer::s_Class.Key; }
    void PreRender() override { ++m_nCalls; }
    bool IsCulled() override { return (++m_nCalls & 0x3F) == 0; } // now and then out of view
    void Draw() override { ++m_nCalls; }

    int m_nCalls = 0;
};

// 500 groups of 20 objects under a stage root: one group in twenty inactive, one in twenty on a
// layer outside the update and draw masks (its members still in). Three components each.
const char* const kPrototypes[][2] = {
    {"stage/bench_stage",
     "bench_stage = { object_name = 'stage', object_activity = 1, object_layer = 1, components = {\n"
     "  Transform = {}, BenchTicker = {}, BenchPainter = {} }, children = {} }\n"
     "for i = 1, 500 do bench_stage.children[i] = { base_script = 'bench_group',\n"
     "  object_activity = (i % 20 == 0) and 0 or 1, object_layer = (i % 20 == 1) and 2 or 1 } end\n"},
    {"game_objects/bench_group",
     "bench_group = { object_activity = 1, object_layer = 1, components = {\n"
     "  Transform = {}, BenchTicker = {}, BenchPainter = {} }, children = {} }\n"
     "for i = 1, 19 do bench_group.children[i] = { base_script = 'bench_leaf' } end\n"},
    {"game_objects/bench_leaf",
     "bench_leaf = { object_name = 'leaf', object_tag = 'Enemy', object_activity = 1, object_layer = 1,\n"
     "  components = { Transform = { position = { x = 1, y = 2, z = 3 } }, BenchTicker = {},\n"
     "  BenchPainter = { color = { r = 255, g = 255, b = 255, a = 255 } } } }\n"},
};

constexpr uint32_t kMask = 1;
constexpr int kInstances = 1000;

struct BenchWorld {
    std::filesystem::path root;
    SceneManager* scene = nullptr;
    ComponentFactory* factory = nullptr; // other cases set the process-wide one to their own
    ScriptSystem* script = nullptr;      // likewise the script host, which holds the prototypes
    std::vector<Component*> reached;  // the live components an update pass calls, in its order
    std::vector<Renderer*> renderers; // the renderers the draw pass collects

    BenchWorld()
    {
        root = std::filesystem::temp_directory_path() / ("qm-scene-bench-" + std::to_string(getpid()));
        for (const auto& file : kPrototypes) {
            const std::filesystem::path path = root / "assets.v1/scripts" / (std::string(file[0]) + ".lua");
            std::filesystem::create_directories(path.parent_path());
            std::ofstream(path) << file[1];
        }
        delete g_pArchiveSystem;
        ArchiveSystem::GetInstance()->SetRoot(root.string() + "/");
        g_pArchiveSystem->Mount(new FileSystemArchive("assets.v1/scripts"));
        script = new ScriptSystem;
        g_pScriptSystem = script;
        factory = new ComponentFactory;
        factory->RegisterAll();
        factory->RegisterClass<Ticker>();
        factory->RegisterClass<Painter>();
        g_pComponentFactory = factory;
        scene = new SceneManager;
        scene->Init();
        scene->LoadPrototypes("assets.v1/scripts/stage/");
        scene->LoadPrototypes("assets.v1/scripts/game_objects/");
        // The prototypes have run; later cases set up archives of their own.
        delete g_pArchiveSystem;
        scene->m_nUpdateMask = kMask;
        scene->m_nDrawMask = kMask;
        scene->RequestStage("bench_stage");
        SetStandInFrameCount(1);
        scene->Update();
        for (GameObj* obj = scene->GetRoot(); obj;) {
            if (!obj->IsActive()) {
                obj = obj->GetNextSkippingSubtree();
                continue;
            }
            if (obj->GetLayer() & kMask)
                for (Component* c : obj->GetComponents()) {
                    if (c->IsLive())
                        reached.push_back(c);
                    if (c->IsLive() && c->IsKindOf(Renderer::s_Class.Key))
                        renderers.push_back(static_cast<Renderer*>(c));
                }
            obj = obj->GetNext();
        }
        // Between its cases the factory is not the process-wide one: another case's scene would
        // take it up as its own and delete it.
        g_pComponentFactory = nullptr;
    }
    ~BenchWorld()
    {
        // Destroyed at exit, after every case: the process-wide pointers may name another case's
        // objects by then, or ones already deleted.
        g_pComponentFactory = factory; // the scene deletes it
        g_pScriptSystem = script;
        delete scene;
        delete script;
        g_pScriptSystem = nullptr;
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
};

BenchWorld& TheWorld()
{
    static BenchWorld world;
    return world;
}

// The world's factory is the process-wide one while a case runs.
struct WorldInUse {
    ComponentFactory* previous;
    explicit WorldInUse(BenchWorld& world) : previous(g_pComponentFactory) { g_pComponentFactory = world.factory; }
    ~WorldInUse() { g_pComponentFactory = previous; }
};

// One frame as the world runs it: the start pass, physics, delivery (nothing due), update and
// late passes, then the draw pass with its cull test and visibility news.
void BM_SceneUpdateDraw(benchmark::State& state)
{
    BenchWorld& world = TheWorld();
    WorldInUse inUse(world);
    for (auto _ : state) {
        world.scene->Update();
        world.scene->Draw();
    }
    state.SetItemsProcessed(state.iterations() * world.reached.size());
}
BENCHMARK(BM_SceneUpdateDraw)->Unit(benchmark::kMicrosecond);

// The same three update calls on the same components, and the same three draw calls on the
// same renderers, from flat lists.
void BM_SceneUpdateDraw_Baseline(benchmark::State& state)
{
    BenchWorld& world = TheWorld();
    WorldInUse inUse(world);
    for (auto _ : state) {
        for (Component* c : world.reached)
            c->PhysicsUpdate();
        for (Component* c : world.reached)
            c->Update();
        for (Component* c : world.reached)
            c->LateUpdate();
        for (Renderer* r : world.renderers)
            r->PreRender();
        for (Renderer* r : world.renderers)
            benchmark::DoNotOptimize(r->IsCulled());
        for (Renderer* r : world.renderers)
            r->Draw();
    }
    state.SetItemsProcessed(state.iterations() * world.reached.size());
}
BENCHMARK(BM_SceneUpdateDraw_Baseline)->Unit(benchmark::kMicrosecond);

// A thousand objects from the leaf prototype: its keys read, its components made in the
// factory's order and loaded from their tables.
void BM_SceneInstantiate(benchmark::State& state)
{
    BenchWorld& world = TheWorld();
    WorldInUse inUse(world);
    g_pComponentFactory = world.factory;
    for (auto _ : state) {
        GameObj* parent = new GameObj("parent", world.scene->GetMessageManager());
        for (int i = 0; i < kInstances; ++i)
            world.scene->Instantiate("bench_leaf", parent, nullptr);
        state.PauseTiming();
        delete parent;
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kInstances);
}
BENCHMARK(BM_SceneInstantiate)->Unit(benchmark::kMicrosecond);

// The same objects made by direct calls: the object, its keys, and its three components loaded
// from the same parameter tables.
void BM_SceneInstantiate_Baseline(benchmark::State& state)
{
    BenchWorld& world = TheWorld();
    WorldInUse inUse(world);
    g_pComponentFactory = world.factory;
    lua_State* L = g_pScriptSystem->GetState();
    lua_getglobal(L, "bench_leaf");
    lua_getfield(L, -1, "components");
    const int components = lua_gettop(L);
    const char* const classes[] = {"Transform", "BenchTicker", "BenchPainter"};
    for (auto _ : state) {
        GameObj* parent = new GameObj("parent", world.scene->GetMessageManager());
        for (int i = 0; i < kInstances; ++i) {
            GameObj* obj = new GameObj("bench_leaf", world.scene->GetMessageManager());
            obj->SetParent(parent);
            obj->SetObjectName("leaf");
            obj->SetTag(HashName("Enemy"));
            obj->SetLayer(1);
            obj->Activate();
            for (const char* name : classes) {
                lua_getfield(L, components, name);
                obj->AddComponent(name, L);
                lua_pop(L, 1);
            }
        }
        state.PauseTiming();
        delete parent;
        state.ResumeTiming();
    }
    lua_settop(L, 0);
    state.SetItemsProcessed(state.iterations() * kInstances);
}
BENCHMARK(BM_SceneInstantiate_Baseline)->Unit(benchmark::kMicrosecond);

} // namespace
