// The object model's hot paths: a scene pass over the threaded tree and one frame's message
// delivery, each against a flat loop doing the same virtual calls; and deleting a tree while
// messages wait, against the same deletion with none.
#include <benchmark/benchmark.h>

#include <utility>
#include <vector>

#include "System/Common/FrameCounter.h"
#include "World/Component.h"
#include "World/ComponentFactory.h"
#include "World/GameObj.h"
#include "World/IMessage.h"
#include "World/MessageManager.h"

namespace {

class Counter : public Component {
public:
    static const ClassKey s_Class;
    explicit Counter(GameObj* owner) : Component(owner, s_Class) {}
    bool IsKindOf(TypeKey key) const override { return key == s_Class.Key; }
    void Update() override { ++m_nCalls; }
    void OnMessage(IMessage*) override { ++m_nCalls; }

    int m_nCalls = 0;
};
const ClassKey Counter::s_Class("BenchCounter");

class Note : public IMessage {
public:
    static const ClassKey s_Class;
    Note() : IMessage(s_Class) {}
};
const ClassKey Note::s_Class("BenchNote");

constexpr int kObjects = 10000;
constexpr int kComponentsPerObject = 3;
constexpr int kMessages = 10000;

// A stage-like tree: a root, groups of about a hundred objects nested a few levels deep, one
// group in twenty inactive. Also the flat list of the components a pass reaches.
struct Scene {
    ComponentFactory factory;
    MessageManager manager;
    GameObj* root = nullptr;
    std::vector<Component*> reached;

    Scene()
    {
        factory.RegisterClass<Counter>();
        g_pComponentFactory = &factory;
        root = new GameObj("root", &manager);
        root->Activate();
        std::vector<GameObj*> made;
        for (int i = 1; i < kObjects; ++i) {
            GameObj* obj = new GameObj("obj", &manager);
            GameObj* parent = root;
            if (i % 100 != 1)
                parent = made[made.size() - 1 - (i % 3 == 0 ? 0 : (i % 7) % made.size())];
            obj->SetParent(parent);
            for (int c = 0; c < kComponentsPerObject; ++c)
                obj->AddComponent("BenchCounter", nullptr)->SetFlags(eComponentFlag_Started);
            obj->SetLayer(1);
            if (!(i % 2000 == 1))
                obj->Activate();
            made.push_back(obj);
        }
        g_pComponentFactory = nullptr;
        for (GameObj* obj = root; obj;) {
            if (!obj->IsActive()) {
                obj = obj->GetNextSkippingSubtree();
                continue;
            }
            for (Component* c : obj->GetComponents())
                reached.push_back(c);
            obj = obj->GetNext();
        }
    }
    ~Scene() { delete root; }
};

Scene& TheScene()
{
    static Scene scene;
    return scene;
}

// Time per message, printed as seconds with a prefix (87n is 87 ns).
benchmark::Counter PerMessage()
{
    return benchmark::Counter(kMessages, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// One update pass as the scene runs it: inactive subtrees skipped in one step, objects outside
// the mask keep their components out but their children still take part.
void BM_TreePass(benchmark::State& state)
{
    Scene& scene = TheScene();
    const uint32_t mask = 0xFFFFFFFF;
    for (auto _ : state) {
        for (GameObj* obj = scene.root; obj;) {
            if (!obj->IsActive()) {
                obj = obj->GetNextSkippingSubtree();
                continue;
            }
            if (obj->GetLayer() & mask)
                for (Component* c : obj->GetComponents())
                    if (c->IsLive())
                        c->Update();
            obj = obj->GetNext();
        }
    }
    state.SetItemsProcessed(state.iterations() * scene.reached.size());
}
BENCHMARK(BM_TreePass);

void BM_TreePass_Baseline(benchmark::State& state)
{
    Scene& scene = TheScene();
    for (auto _ : state)
        for (Component* c : scene.reached)
            if (c->IsLive())
                c->Update();
    state.SetItemsProcessed(state.iterations() * scene.reached.size());
}
BENCHMARK(BM_TreePass_Baseline);

std::vector<GameObj*> MessageTargets(Scene& scene)
{
    std::vector<GameObj*> targets;
    for (GameObj* obj = scene.root->GetNext(); obj; obj = obj->GetNext())
        if (obj->IsActive() && obj->GetParent()->IsActive())
            targets.push_back(obj);
    return targets;
}

// One frame's 10,000 messages spread over the scene's active objects, posted and then
// delivered: the allocation, the bookkeeping of posting, the ordered walk, the id lookup, the
// hand-over to the components and the deletion.
void BM_MessageDelivery(benchmark::State& state)
{
    Scene& scene = TheScene();
    const std::vector<GameObj*> targets = MessageTargets(scene);
    uint32_t frame = 1;
    for (auto _ : state) {
        SetStandInFrameCount(frame);
        for (int i = 0; i < kMessages; ++i)
            targets[(i * 7919) % targets.size()]->PostMessage(new Note, 0.0f);
        SetStandInFrameCount(++frame);
        scene.manager.Deliver(0.016f);
    }
    SetStandInFrameCount(0);
    state.SetItemsProcessed(state.iterations() * kMessages);
    state.counters["per_message"] = PerMessage();
}
BENCHMARK(BM_MessageDelivery)->Unit(benchmark::kMicrosecond);

// The same messages made the same way (from the object slabs), kept with their targets in a
// vector, then handed to the targets' components in the order made and deleted.
void BM_MessageDelivery_Baseline(benchmark::State& state)
{
    Scene& scene = TheScene();
    const std::vector<GameObj*> targets = MessageTargets(scene);
    std::vector<std::pair<GameObj*, Note*>> posted;
    posted.reserve(kMessages);
    for (auto _ : state) {
        for (int i = 0; i < kMessages; ++i)
            posted.emplace_back(targets[(i * 7919) % targets.size()], new Note);
        for (auto [target, note] : posted) {
            for (Component* c : target->GetComponents())
                if (c->IsLive())
                    c->OnMessage(note);
            delete note;
        }
        posted.clear();
    }
    state.SetItemsProcessed(state.iterations() * kMessages);
    state.counters["per_message"] = PerMessage();
}
BENCHMARK(BM_MessageDelivery_Baseline)->Unit(benchmark::kMicrosecond);

} // namespace

namespace {

// Deleting a stage-sized tree while messages wait: one aimed at each of its objects and as
// many at an object that stays. The objects' messages go with them, the others are not
// visited: against the same deletion with nothing pending, the cost should stay within a
// small factor at every size.
void DeleteTree(benchmark::State& state, bool withMessages)
{
    const int objects = static_cast<int>(state.range(0));
    uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    for (auto _ : state) {
        state.PauseTiming();
        auto* manager = new MessageManager;
        auto* survivor = new GameObj("survivor", manager);
        std::vector<GameObj*> made;
        made.push_back(new GameObj("root", manager));
        for (int i = 1; i < objects; ++i) {
            auto* obj = new GameObj("obj", manager);
            obj->SetParent(made[(next() >> 8) % made.size()]);
            made.push_back(obj);
        }
        SetStandInFrameCount(1);
        if (withMessages) {
            for (GameObj* obj : made) {
                obj->PostMessage(new Note, 0.0f);
                survivor->PostMessage(new Note, 0.0f);
            }
            manager->Deliver(0.0f); // nothing is due yet: they wait as they would in a game
        }
        state.ResumeTiming();
        delete made[0];
        state.PauseTiming();
        if (withMessages && manager->GetPendingCount() != static_cast<size_t>(objects))
            state.SkipWithError("the survivor's messages should be all that is left");
        delete survivor;
        delete manager;
        SetStandInFrameCount(0);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * objects);
}

void BM_TreeDeletion(benchmark::State& state) { DeleteTree(state, true); }
BENCHMARK(BM_TreeDeletion)->Arg(1000)->Arg(4000)->Unit(benchmark::kMicrosecond);

void BM_TreeDeletion_Baseline(benchmark::State& state) { DeleteTree(state, false); }
BENCHMARK(BM_TreeDeletion_Baseline)->Arg(1000)->Arg(4000)->Unit(benchmark::kMicrosecond);

} // namespace
