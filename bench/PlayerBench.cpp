// A hundred players on one floor, all driven by one pad script: a frame's update passes and
// collision step, against a hundred objects with as many components that do nothing, whose body
// and box follow the paths the players took (recorded from the same script beforehand). The
// difference is what the player's controller, its states and its stats, health, power,
// knockback and invincibility cost. Each case reports microseconds per player per frame.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "Components/Core/CollisionWorld.h"
#include "Components/Core/Kinematics.h"
#include "Components/Game/PlayerController.h"
#include "Components/Game/PlayerPad.h"
#include "System/Archive/ArchiveSystem.h"
#include "System/Archive/FileSystemArchive.h"
#include "System/Common/FrameCounter.h"
#include "System/Lua/ScriptSystem.h"
#include "World/Component.h"
#include "World/ComponentFactory.h"
#include "World/GameObj.h"
#include "World/SceneManager.h"
#include "World/Transform.h"

namespace {

constexpr int kPlayers = 100;
constexpr float kSpacing = 400.0f;
constexpr float kDt = 1.0f / 60.0f;
constexpr int kRecordedFrames = 1200;

// Sizes the collision world when the stage attaches: a floor row wide enough for every player.
class BenchStage : public Component {
public:
    static inline const ClassKey s_Class{"BenchStage"};
    explicit BenchStage(GameObj* owner) : Component(owner, s_Class) {}
    bool IsKindOf(TypeKey key) const override { return key == s_Class.Key; }
    bool Attach() override
    {
        const float w = kSpacing * (kPlayers + 1);
        g_pCollisionWorld->SetupTree(6, 0.0f, 0.0f, w, w);
        g_pCollisionWorld->SetStageBounds({0.0f, 0.0f, w, 2000.0f});
        return true;
    }
};

// Does nothing in every pass: the baseline's stand-in for each of the player's own components.
class Idle : public Component {
public:
    static inline const ClassKey s_Class{"BenchIdle"};
    explicit Idle(GameObj* owner) : Component(owner, s_Class) {}
    bool IsKindOf(TypeKey key) const override { return key == s_Class.Key; }
    void PhysicsUpdate() override {}
    void Update() override {}
    void LateUpdate() override {}
};

// The recorded paths: per player, per frame, the body's position and velocity.
struct PathPoint {
    float x, y, vx, vy;
};
std::vector<std::vector<PathPoint>>& Paths()
{
    static std::vector<std::vector<PathPoint>> paths;
    return paths;
}
int& FrameIndex()
{
    static int frame = 0;
    return frame;
}

// Puts its body on the recorded path of the player of the same index, in the physics pass.
class Follower : public Component {
public:
    static inline const ClassKey s_Class{"BenchFollower"};
    explicit Follower(GameObj* owner) : Component(owner, s_Class) {}
    bool IsKindOf(TypeKey key) const override { return key == s_Class.Key; }
    void PhysicsUpdate() override
    {
        Kinematics* k = GetOwner()->GetKinematics();
        const PathPoint& p = Paths()[static_cast<size_t>(m_nIndex)][static_cast<size_t>(FrameIndex() % kRecordedFrames)];
        k->m_fPosX = p.x;
        k->m_fPosY = p.y;
        k->m_fVelX = p.vx;
        k->m_fVelY = p.vy;
    }
    int m_nIndex = 0;
};

// The pad script, one mask per frame over a cycle: stand, run right, a held jump, a step left,
// a dash left, a glide, and a run back; then the same mirrored, so the players stay about where
// they started however long the run.
uint32_t HalfCycleMask(int f);
uint32_t ScriptMask(int frame)
{
    const int f = frame % 600;
    if (f < 300)
        return HalfCycleMask(f);
    const uint32_t mask = HalfCycleMask(f - 300);
    const uint32_t sides = ePadBit_Left | ePadBit_Right;
    return (mask & ~sides) | ((mask & ePadBit_Left) ? ePadBit_Right : 0u) | ((mask & ePadBit_Right) ? ePadBit_Left : 0u);
}

uint32_t HalfCycleMask(int f)
{
    if (f < 30)
        return 0;
    if (f < 70)
        return ePadBit_Right;
    if (f < 90)
        return ePadBit_Jump | ePadBit_Right;
    if (f < 120)
        return 0;
    if (f < 126)
        return ePadBit_Step | ePadBit_Left;
    if (f < 150)
        return 0;
    if (f < 186)
        return ePadBit_Step | ePadBit_Left;
    if (f < 220)
        return 0;
    if (f < 230)
        return ePadBit_Jump;
    if (f < 260)
        return ePadBit_Glide;
    return ePadBit_Right;
}

PlayerPadMasks ScriptPad()
{
    return {ScriptMask(FrameIndex()), FrameIndex() > 0 ? ScriptMask(FrameIndex() - 1) : 0u};
}

// The demo player's components and tuning, one per copy; the floor; the baseline's objects.
const char* const kPrototypes[][2] = {
    {"stage/bench_players",
     "bench_players = { object_activity = 1, object_layer = 1, components = { Transform = {}, BenchStage = {} },\n"
     "  children = { { base_script = 'bench_floor' } } }\n"
     "for i = 1, 100 do bench_players.children[i + 1] = { base_script = 'bench_player',\n"
     "  components = { Transform = { position = { x = i * 400, y = 26 } } } } end\n"},
    {"stage/bench_followers",
     "bench_followers = { object_activity = 1, object_layer = 1, components = { Transform = {}, BenchStage = {} },\n"
     "  children = { { base_script = 'bench_floor' } } }\n"
     "for i = 1, 100 do bench_followers.children[i + 1] = { base_script = 'bench_follower',\n"
     "  components = { Transform = { position = { x = i * 400, y = 26 } } } } end\n"},
    {"game_objects/bench_floor",
     "bench_floor = { object_tag = 'Terrain', object_activity = 1, object_layer = 4, components = {\n"
     "  Transform = {}, SegmentCollider = { cullingMask = 2, s = { x = 0, y = 0 }, e = { x = 40400, y = 0 } } } }\n"},
    {"game_objects/bench_player",
     "bench_player = { object_tag = 'Player', object_activity = 1, object_layer = 2, components = {\n"
     "  Transform = {}, Kinematics = { maxSpeed = 1600 },\n"
     "  Box2DCollider = { size = { width = 20, height = 52 }, cullingMask = 4 + 32 + 32768 },\n"
     "  KnockbackController = { reflectionLayer = 32 },\n"
     "  InvincibleController = { duration = 1.5, blinkInterval = 0.08, invincibleMask = 4 },\n"
     "  StatusParameter = { usePlayerData = true, health = { init = 100, max = 999, table = { { 120, 100 } },\n"
     "    step = { 25, 400 } }, powerRecharge = { init = 30, max = 12, step = { -3, 300 } } },\n"
     "  HealthController = { regen = { duration = -1, interval = 1, pointType = 0, point = 1 } },\n"
     "  PowerController = { maxPower = 100 },\n"
     "  PlayerController = { run = { speed = 320, drag = 0.75, threshold = 20 },\n"
     "    step = { speed = 900, drag = 0.8, threshold = 40, duration = 0.18 },\n"
     "    dash = { speed = 4000, drag = 0.92, brakingDrag = 0.7, threshold = 40, duration = 0.6 },\n"
     "    powerCosts = { slash = 4, turnedSlash = 2, homing = 5, vardeki = 1 }, jumpHeight = 1.6,\n"
     "    deadEffect = '' } } }\n"},
    {"game_objects/bench_follower",
     "bench_follower = { object_tag = 'Player', object_activity = 1, object_layer = 2, components = {\n"
     "  Transform = {}, Kinematics = { maxSpeed = 1600 },\n"
     "  Box2DCollider = { size = { width = 20, height = 52 }, cullingMask = 4 + 32 + 32768 },\n"
     "  BenchFollower = {}, BenchIdle = {} } }\n"},
};

// A scene over the prototypes with the named stage built and started; removed with its files.
class BenchScene {
public:
    explicit BenchScene(const char* stage)
    {
        m_Root = std::filesystem::temp_directory_path() / ("qm-player-bench-" + std::to_string(getpid()));
        for (const auto& file : kPrototypes) {
            const std::filesystem::path path = m_Root / "assets.v1/scripts" / (std::string(file[0]) + ".lua");
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
        factory->RegisterClass<Follower>();
        factory->RegisterClass<Idle>();
        g_pComponentFactory = factory;
        m_pScene = new SceneManager;
        g_pSceneManager = m_pScene;
        m_pScene->Init();
        m_pScene->LoadPrototypes("assets.v1/scripts/stage/");
        m_pScene->LoadPrototypes("assets.v1/scripts/game_objects/");
        delete g_pArchiveSystem;
        SetPlayerPadReader(ScriptPad);
        SetAppDeltaTime(kDt);
        FrameIndex() = 0;
        m_pScene->RequestStage(stage);
        Frame();
    }
    ~BenchScene()
    {
        delete m_pScene; // with the factory and the collision world
        g_pSceneManager = nullptr;
        delete g_pScriptSystem;
        g_pScriptSystem = nullptr;
        SetPlayerPadReader(nullptr);
        std::error_code ec;
        std::filesystem::remove_all(m_Root, ec);
    }
    void Frame()
    {
        SetStandInFrameCount(static_cast<uint32_t>(FrameIndex() + 1));
        m_pScene->Update();
        ++FrameIndex();
    }
    // The children built from a prototype, in tree order.
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
};

// Items are player-frames: a million over items_per_second is microseconds per player per frame.
void Report(benchmark::State& state) { state.SetItemsProcessed(state.iterations() * kPlayers); }

// Every frame: the start pass (nothing new), physics (the states' movement), motion, the
// collision step (floor contacts land the players), delivery, update (the pad, the state
// machine), late (regeneration, the power refill).
void BM_PlayerFrame(benchmark::State& state)
{
    BenchScene scene("bench_players");
    for (auto _ : state)
        scene.Frame();
    Report(state);
}
BENCHMARK(BM_PlayerFrame)->Unit(benchmark::kMicrosecond);

// The same frames over bodies that replay the players' paths, with nine components each that
// do nothing of the player's.
void BM_PlayerFrame_Baseline(benchmark::State& state)
{
    {
        BenchScene players("bench_players");
        const std::vector<GameObj*> bodies = players.Objects("bench_player");
        Paths().assign(bodies.size(), {});
        for (int f = 0; f < kRecordedFrames; ++f) {
            players.Frame();
            for (size_t i = 0; i < bodies.size(); ++i) {
                const Kinematics* k = bodies[i]->GetKinematics();
                Paths()[i].push_back({k->m_fPosX - k->m_fDispX, k->m_fPosY - k->m_fDispY, k->m_fVelX, k->m_fVelY});
            }
        }
    }
    // The label shows that the script moves the players: the first one's range of x and y.
    float minX = 1e9f, maxX = -1e9f, maxY = -1e9f;
    for (const PathPoint& p : Paths()[0]) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        maxY = std::max(maxY, p.y);
    }
    state.SetLabel("first player x " + std::to_string(int(minX)) + ".." + std::to_string(int(maxX)) + ", y up to " +
                   std::to_string(int(maxY)));
    BenchScene scene("bench_followers");
    const std::vector<GameObj*> followers = scene.Objects("bench_follower");
    for (size_t i = 0; i < followers.size(); ++i) {
        auto* follower = static_cast<Follower*>(followers[i]->GetComponent(Follower::s_Class.Key));
        follower->m_nIndex = static_cast<int>(i);
        // As many components as a player: fill up with ones that do nothing.
        for (int n = 0; n < 4; ++n)
            followers[i]->AddComponent("BenchIdle", nullptr)->SetFlags(eComponentFlag_Started);
    }
    for (auto _ : state)
        scene.Frame();
    Report(state);
}
BENCHMARK(BM_PlayerFrame_Baseline)->Unit(benchmark::kMicrosecond);

} // namespace
