// The collision step on an eight-area stage with terrain and N moving boxes and circles, against
// the same step with every proxy tested against every other as its broad phase (the same
// update, narrow phase, records and delivery). Bodies follow fixed paths; each case warms up
// before timing, and only the step is timed.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include <lua.hpp>

#include "Components/Core/Collider.h"
#include "Components/Core/CollisionWorld.h"
#include "Components/Core/Kinematics.h"
#include "System/Common/FrameCounter.h"
#include "World/ComponentFactory.h"
#include "World/GameObj.h"
#include "World/MessageManager.h"
#include "World/Transform.h"

namespace {

// Counts every allocation of the process, so a case can report how many one frame makes.
size_t s_nAllocations = 0;

} // namespace

// The replacements pair malloc with free themselves; the compiler sees only the free.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void* operator new(size_t size)
{
    ++s_nAllocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }

namespace {

constexpr float kDt = 1.0f / 60.0f;
constexpr uint32_t kLayerBody = 1;
constexpr uint32_t kLayerTerrain = 4;

// A body's path: a loop of its own size and speed around its home point.
struct Path {
    float x0, y0, rx, ry, w, phase;
    float X(float t) const { return x0 + rx * std::cos(w * t + phase); }
    float Y(float t) const { return y0 + ry * std::sin(w * t + phase); }
};

class Stage {
public:
    // Eight areas with a terrain chain each (floors, steps, slopes and walls) and n bodies;
    // crowded puts them all above y 1024 on a one-area stage.
    Stage(int n, bool crowded)
    {
        m_Factory.RegisterAll();
        g_pComponentFactory = &m_Factory;
        m_pWorld = CollisionWorld::Create();
        m_L = luaL_newstate();
        SetAppDeltaTime(kDt);
        const int areas = crowded ? 1 : 8;
        const float w = 1024.0f * static_cast<float>(areas);
        m_pWorld->SetupTree(6, 0.0f, 0.0f, w, w);
        m_pWorld->SetStageBounds({0.0f, 0.0f, w, 2000.0f});
        m_pRoot = new GameObj("stage", &m_Manager);
        m_pRoot->Activate();
        for (int a = 0; a < areas; ++a) {
            const float x = 1024.0f * static_cast<float>(a);
            const float pts[][2] = {{0, 64}, {200, 64}, {200, 96}, {400, 96}, {600, 196}, {700, 196}, {700, 64}, {1024, 64}};
            for (size_t i = 0; i + 1 < std::size(pts); ++i)
                Segment(x + pts[i][0], pts[i][1], x + pts[i + 1][0], pts[i + 1][1]);
        }
        uint32_t seed = 12345;
        auto next = [&seed] {
            seed = seed * 1664525u + 1013904223u;
            return static_cast<float>(seed >> 8) / 16777216.0f;
        };
        for (int i = 0; i < n; ++i) {
            Path p;
            p.x0 = 40.0f + next() * (w - 80.0f);
            p.y0 = crowded ? 1100.0f + next() * 800.0f : 100.0f + next() * 1200.0f;
            p.rx = 20.0f + next() * 120.0f;
            p.ry = 20.0f + next() * 120.0f;
            p.w = 0.5f + next() * 2.0f;
            p.phase = next() * 6.2831853f;
            const bool box = i % 2 == 0;
            const float size = 8.0f + next() * 16.0f;
            Body(p, box, size);
        }
        for (int f = 0; f < 120; ++f)
            Frame(true);
    }
    ~Stage()
    {
        delete m_pRoot;
        CollisionWorld::Destroy();
        g_pComponentFactory = nullptr;
        lua_close(m_L);
        SetAppDeltaTime(0.0f);
    }

    // Moves the bodies along their paths (not timed), then the step.
    void Motion()
    {
        m_fTime += kDt;
        for (size_t i = 0; i < m_Bodies.size(); ++i) {
            Kinematics& k = *m_Bodies[i];
            k.m_fVelX = (m_Paths[i].X(m_fTime) - k.m_fPosX) / kDt;
            k.m_fVelY = (m_Paths[i].Y(m_fTime) - k.m_fPosY) / kDt;
            k.TruncateVelocity();
        }
    }
    void Step(bool bruteForce)
    {
        m_pWorld->UpdateProxies();
        if (bruteForce)
            m_pWorld->CollectPairsBruteForce();
        else
            m_pWorld->CollectPairs();
        m_pWorld->MatchPairs();
        m_pWorld->Deliver();
    }
    void After()
    {
        for (Kinematics* k : m_Bodies)
            k->Update();
    }
    void Frame(bool bruteForce)
    {
        Motion();
        Step(bruteForce);
        After();
    }

    CollisionWorld* m_pWorld = nullptr;

private:
    void Load(GameObj* obj, const char* className, const std::string& table)
    {
        luaL_dostring(m_L, ("return " + table).c_str());
        obj->AddComponent(className, m_L);
        lua_settop(m_L, 0);
    }
    GameObj* Object(float x, float y, uint32_t layer)
    {
        GameObj* obj = new GameObj("body", &m_Manager);
        obj->SetParent(m_pRoot);
        obj->SetLayer(layer);
        obj->Activate();
        auto* t = static_cast<Transform*>(obj->AddComponent("Transform", nullptr));
        t->SetLocalPosition(x, y, 0.0f);
        t->UpdateWorldMatrices();
        return obj;
    }
    static void Start(GameObj* obj)
    {
        for (Component* c : obj->GetComponents()) {
            c->Start();
            c->SetFlags(eComponentFlag_Started);
        }
    }
    void Segment(float sx, float sy, float ex, float ey)
    {
        GameObj* obj = Object(0.0f, 0.0f, kLayerTerrain);
        auto* seg = static_cast<SegmentCollider*>(obj->AddComponent("SegmentCollider", nullptr));
        seg->SetCullingMask(kLayerBody);
        seg->SetEndpoints(sx, sy, ex, ey);
        Start(obj);
    }
    void Body(const Path& p, bool box, float size)
    {
        GameObj* obj = Object(p.X(0.0f), p.Y(0.0f), kLayerBody);
        Load(obj, "Kinematics", "{useGravity = false, needClamp = false}");
        if (box)
            Load(obj, "Box2DCollider", "{size = {width = " + std::to_string(size * 2) + ", height = " + std::to_string(size * 2) + "}}");
        else
            Load(obj, "CircleCollider", "{radius = " + std::to_string(size) + "}");
        Start(obj);
        m_Bodies.push_back(obj->GetKinematics());
        m_Paths.push_back(p);
    }

    ComponentFactory m_Factory;
    MessageManager m_Manager;
    lua_State* m_L = nullptr;
    GameObj* m_pRoot = nullptr;
    std::vector<Kinematics*> m_Bodies;
    std::vector<Path> m_Paths;
    float m_fTime = 0.0f;
};

void RunStep(benchmark::State& state, bool bruteForce, bool crowded)
{
    Stage stage(static_cast<int>(state.range(0)), crowded);
    size_t pairs = 0, contacts = 0, frames = 0;
    for (auto _ : state) {
        state.PauseTiming();
        stage.Motion();
        state.ResumeTiming();
        stage.Step(bruteForce);
        state.PauseTiming();
        pairs += stage.m_pWorld->GetPairs().size();
        contacts += stage.m_pWorld->GetContacts().size();
        ++frames;
        stage.After();
        state.ResumeTiming();
    }
    state.counters["candidates"] = static_cast<double>(pairs) / static_cast<double>(frames);
    state.counters["contacts"] = static_cast<double>(contacts) / static_cast<double>(frames);
}

void BM_CollisionStep(benchmark::State& state) { RunStep(state, false, false); }
void BM_CollisionStep_Baseline(benchmark::State& state) { RunStep(state, true, false); }
BENCHMARK(BM_CollisionStep)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CollisionStep_Baseline)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond);

// Every body above the tree's square on one area: all in the root cell.
void BM_CollisionStepCrowded(benchmark::State& state) { RunStep(state, false, true); }
void BM_CollisionStepCrowded_Baseline(benchmark::State& state) { RunStep(state, true, true); }
BENCHMARK(BM_CollisionStepCrowded)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CollisionStepCrowded_Baseline)->Arg(1000)->Unit(benchmark::kMillisecond);

// For information: 600 frames of the tree step split into its parts, the longest contact list
// seen, and the allocations of a frame at steady state.
void BM_CollisionStepProfile(benchmark::State& state)
{
    Stage stage(static_cast<int>(state.range(0)), false);
    using Clock = std::chrono::steady_clock;
    for (auto _ : state) {
        double parts[4] = {};
        size_t longest = 0, touching = 0, candidates = 0, allocations = 0;
        for (int f = 0; f < 600; ++f) {
            stage.Motion();
            const size_t before = s_nAllocations;
            auto t0 = Clock::now();
            stage.m_pWorld->UpdateProxies();
            auto t1 = Clock::now();
            stage.m_pWorld->CollectPairs();
            auto t2 = Clock::now();
            stage.m_pWorld->MatchPairs();
            auto t3 = Clock::now();
            stage.m_pWorld->Deliver();
            auto t4 = Clock::now();
            allocations += s_nAllocations - before;
            parts[0] += std::chrono::duration<double, std::milli>(t1 - t0).count();
            parts[1] += std::chrono::duration<double, std::milli>(t2 - t1).count();
            parts[2] += std::chrono::duration<double, std::milli>(t3 - t2).count();
            parts[3] += std::chrono::duration<double, std::milli>(t4 - t3).count();
            candidates += stage.m_pWorld->GetPairs().size();
            touching += stage.m_pWorld->GetContacts().size();
            longest = std::max(longest, stage.m_pWorld->GetContacts().size());
            stage.After();
        }
        state.counters["insert_ms"] = parts[0] / 600;
        state.counters["pairs_ms"] = parts[1] / 600;
        state.counters["narrow_records_ms"] = parts[2] / 600;
        state.counters["delivery_ms"] = parts[3] / 600;
        state.counters["candidates"] = static_cast<double>(candidates) / 600;
        state.counters["contacts"] = static_cast<double>(touching) / 600;
        state.counters["longest_list"] = static_cast<double>(longest);
        state.counters["allocs_per_frame"] = static_cast<double>(allocations) / 600;
    }
}
BENCHMARK(BM_CollisionStepProfile)->Arg(1000)->Arg(5000)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
