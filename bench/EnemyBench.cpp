// A hundred enemies running state machines (two seek states whose transitions test the time in
// state and the distance to the steering target every frame), through all update passes and
// the collision step, against the same bodies steering the same way under a component that
// only points the steering and switches sides on a timer, padded with components that do
// nothing. The difference is what the enemy controller, its machine, conditions and stats
// cost. Each case reports microseconds per enemy per frame.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Components/Core/CollisionWorld.h"
#include "Components/Core/Kinematics.h"
#include "Components/Core/SteeringBehavior.h"
#include "Components/Game/EnemyController.h"
#include "System/Archive/ArchiveSystem.h"
#include "System/Archive/FileSystemArchive.h"
#include "System/Common/FrameCounter.h"
#include "System/Lua/ScriptSystem.h"
#include "World/Component.h"
#include "World/ComponentFactory.h"
#include "World/GameObj.h"
#include "World/SceneManager.h"

namespace {

constexpr int kEnemies = 100;
constexpr float kSpacing = 400.0f;
constexpr float kDt = 1.0f / 60.0f;

class BenchStage : public Component {
public:
    static inline const ClassKey s_Class{"BenchStage"};
    explicit BenchStage(GameObj* owner) : Component(owner, s_Class) {}
    bool IsKindOf(TypeKey key) const override { return key == s_Class.Key; }
    bool Attach() override
    {
        const float w = kSpacing * (kEnemies + 1);
        g_pCollisionWorld->SetupTree(6, 0.0f, 0.0f, w, w);
        g_pCollisionWorld->SetStageBounds({0.0f, 0.0f, w, 2000.0f});
        return true;
    }
};

class Idle : public Component {
public:
    static inline const ClassKey s_Class{"BenchIdle"};
    explicit Idle(GameObj* owner) : Component(owner, s_Class) {}
    bool IsKindOf(TypeKey key) const override { return key == s_Class.Key; }
    void PhysicsUpdate() override {}
    void Update() override {}
    void LateUpdate() override {}
};

// Seeks 100 to the right of itself for a second, then 100 to the left: the machine's motion.
class Steer : public Component {
public:
    static inline const ClassKey s_Class{"BenchSteer"};
    explicit Steer(GameObj* owner) : Component(owner, s_Class) {}
    bool IsKindOf(TypeKey key) const override { return key == s_Class.Key; }
    void Update() override
    {
        Kinematics* k = GetOwner()->GetKinematics();
        ZEV::SteeringBehavior* s = k->GetSteering();
        m_fTime += GetAppDeltaTime();
        if (m_fTime >= 1.0f) {
            m_fTime = 0.0f;
            m_fSide = -m_fSide;
        }
        s->m_nFlags = eSteering_Seek;
        s->m_fTargetX = k->m_fPosX + 100.0f * m_fSide;
        s->m_fTargetY = k->m_fPosY;
    }
    float m_fTime = 0.0f;
    float m_fSide = 1.0f;
};

const char* const kBody = "Transform = {}, Kinematics = { useGravity = false, useSteering = true, maxSpeed = 200 },\n"
                          "  CircleCollider = { radius = 16, cullingMask = 4 },\n";

const std::string kPrototypes[][2] = {
    {"stage/bench_enemies",
     "bench_enemies = { object_activity = 1, object_layer = 1, components = { Transform = {}, BenchStage = {} },\n"
     "  children = {} }\n"
     "for i = 1, 100 do bench_enemies.children[i] = { base_script = 'bench_enemy',\n"
     "  components = { Transform = { position = { x = i * 400, y = 300 } } } } end\n"},
    {"stage/bench_steerers",
     "bench_steerers = { object_activity = 1, object_layer = 1, components = { Transform = {}, BenchStage = {} },\n"
     "  children = {} }\n"
     "for i = 1, 100 do bench_steerers.children[i] = { base_script = 'bench_steerer',\n"
     "  components = { Transform = { position = { x = i * 400, y = 300 } } } } end\n"},
    {"game_objects/bench_enemy",
     std::string("bench_enemy = { object_tag = 'Enemy', object_activity = 1, object_layer = 32, components = {\n  ") +
         kBody +
         "  StatusParameter = { health = { init = 30, max = 30 } }, HealthController = {},\n"
         "  KnockbackController = {},\n"
         "  EnemyController = { initState = 'right', stateMachine = {\n"
         "    right = { steeringBehavior = { { behaviorType = 0, target = 1, crosshair = { x = 100, y = 0 } } },\n"
         "      changeState = { { state = 'left', condition = { { { compare = 5, target = 26, value = 1 } },\n"
         "                                                       { { compare = 1, target = 29, value = 1 } } } } } },\n"
         "    left = { steeringBehavior = { { behaviorType = 0, target = 1, crosshair = { x = -100, y = 0 } } },\n"
         "      changeState = { { state = 'right', condition = { { { compare = 5, target = 26, value = 1 } },\n"
         "                                                        { { compare = 1, target = 29, value = 1 } } } } } } } } } }\n"},
    {"game_objects/bench_steerer",
     std::string("bench_steerer = { object_tag = 'Enemy', object_activity = 1, object_layer = 32, components = {\n  ") +
         kBody + "  BenchSteer = {}, BenchIdle = {} } }\n"},
};

class BenchScene {
public:
    explicit BenchScene(const char* stage)
    {
        m_Root = std::filesystem::temp_directory_path() / ("qm-enemy-bench-" + std::to_string(getpid()));
        for (const auto& file : kPrototypes) {
            const std::filesystem::path path = m_Root / "assets.v1/scripts" / (file[0] + ".lua");
            std::filesystem::create_directories(path.parent_path());
            std::ofstream(path) << file[1];
        }
        delete g_pArchiveSystem;
        ArchiveSystem::GetInstance()->SetRoot(m_Root.string() + "/");
        g_pArchiveSystem->Mount(new FileSystemArchive("assets.v1/scripts"));
        g_pScriptSystem = new ScriptSystem;
        auto* factory = new ComponentFactory;
        factory->RegisterAll();
        factory->RegisterClass<BenchStage>();
        factory->RegisterClass<Steer>();
        factory->RegisterClass<Idle>();
        g_pComponentFactory = factory;
        m_pScene = new SceneManager;
        g_pSceneManager = m_pScene;
        m_pScene->Init();
        m_pScene->LoadPrototypes("assets.v1/scripts/stage/");
        m_pScene->LoadPrototypes("assets.v1/scripts/game_objects/");
        delete g_pArchiveSystem;
        SetAppDeltaTime(kDt);
        m_pScene->RequestStage(stage);
        Frame();
    }
    ~BenchScene()
    {
        delete m_pScene;
        g_pSceneManager = nullptr;
        delete g_pScriptSystem;
        g_pScriptSystem = nullptr;
        std::error_code ec;
        std::filesystem::remove_all(m_Root, ec);
    }
    void Frame()
    {
        SetStandInFrameCount(++m_nFrame);
        m_pScene->Update();
    }
    std::vector<GameObj*> Objects(const std::string& prototype) const
    {
        std::vector<GameObj*> out;
        for (GameObj* o = m_pScene->GetRoot(); o; o = o->GetNext())
            if (o->GetPrototypeName() == prototype)
                out.push_back(o);
        return out;
    }

private:
    std::filesystem::path m_Root;
    SceneManager* m_pScene = nullptr;
    uint32_t m_nFrame = 0;
};

// Items are enemy-frames: a million over items_per_second is microseconds per enemy per frame.
void Report(benchmark::State& state) { state.SetItemsProcessed(state.iterations() * kEnemies); }

void BM_EnemyFrame(benchmark::State& state)
{
    BenchScene scene("bench_enemies");
    const GameObj* first = scene.Objects("bench_enemy").at(0);
    const float x0 = first->GetKinematics()->m_fPosX;
    for (auto _ : state)
        scene.Frame();
    // The label shows that the machine moves the enemies and keeps changing state (its time in
    // the state stays below a second and a bit).
    const auto* enemy = static_cast<const EnemyController*>(first->GetActorController());
    state.SetLabel("first enemy moved " + std::to_string(int(first->GetKinematics()->m_fPosX - x0)) +
                   ", in its state for " + std::to_string(enemy->m_fStateTime) + " s");
    Report(state);
}
BENCHMARK(BM_EnemyFrame)->Unit(benchmark::kMicrosecond);

// The same bodies steering the same way, with as many components, none of them an enemy's.
void BM_EnemyFrame_Baseline(benchmark::State& state)
{
    BenchScene scene("bench_steerers");
    for (GameObj* o : scene.Objects("bench_steerer"))
        for (int n = 0; n < 3; ++n)
            o->AddComponent("BenchIdle", nullptr)->SetFlags(eComponentFlag_Started);
    for (auto _ : state)
        scene.Frame();
    Report(state);
}
BENCHMARK(BM_EnemyFrame_Baseline)->Unit(benchmark::kMicrosecond);

} // namespace
