#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "Components/Core/Renderer.h"
#include "Components/UI/UIRoot.h"
#include "Components/UI/UITweener.h"
#include "Components/UI/UIWidget.h"
#include "System/Common/FrameCounter.h"
#include "UpdatePass.h"
#include "World/ComponentFactory.h"
#include "World/GameObj.h"
#include "World/MessageManager.h"
#include "World/SceneManager.h"

namespace {

constexpr int kTweens = 1000;
constexpr int kEvents = 1000;
constexpr float kDt = 1.0f / 60.0f;

// A renderer that draws nothing: the tween writes its alpha factor.
class BenchRenderer : public Renderer {
public:
    static inline const ClassKey s_Class{"BenchRenderer"};
    explicit BenchRenderer(GameObj* owner) : Renderer(owner, s_Class) {}
    bool IsKindOf(TypeKey key) const override { return key == s_Class.Key || key == Renderer::s_Class.Key; }
    void Draw() override {}
};

// A button with nothing to do, and a component that takes messages and does nothing.
class BenchButton : public UIWidget {
public:
    static inline const ClassKey s_Class{"BenchButton"};
    explicit BenchButton(GameObj* owner) : UIWidget(owner, s_Class) {}
    bool IsKindOf(TypeKey key) const override { return key == s_Class.Key || key == UIWidget::s_Class.Key; }
};

class BenchSink : public Component {
public:
    static inline const ClassKey s_Class{"BenchSink"};
    explicit BenchSink(GameObj* owner) : Component(owner, s_Class) {}
    bool IsKindOf(TypeKey key) const override { return key == s_Class.Key; }
    void OnMessage(IMessage* message) override { benchmark::DoNotOptimize(message); }
};

// A scene manager (for its id map) with the game's classes and the bench's own.
struct UIScene {
    SceneManager* scene = nullptr;
    std::vector<GameObj*> roots;
    uint32_t frame = 1;

    UIScene()
    {
        auto* factory = new ComponentFactory;
        factory->RegisterAll();
        factory->RegisterClass<BenchRenderer>();
        factory->RegisterClass<BenchButton>();
        factory->RegisterClass<BenchSink>();
        g_pComponentFactory = factory;
        scene = new SceneManager;
        g_pSceneManager = scene;
        scene->Init();
    }
    ~UIScene()
    {
        for (GameObj* root : roots)
            delete root;
        delete scene; // with the factory
        g_pSceneManager = nullptr;
    }
    GameObj* Make(const char* name, GameObj* parent, std::initializer_list<const char*> components)
    {
        auto* obj = new GameObj(name, scene->GetMessageManager());
        obj->SetObjectName(name);
        if (parent)
            obj->SetParent(parent);
        else
            roots.push_back(obj);
        for (const char* c : components)
            obj->AddComponent(c, nullptr)->SetFlags(eComponentFlag_Started);
        obj->SetFlags(eGameObjFlag_Active);
        return obj;
    }
    // One delivery on a new frame, as the scene runs it.
    void Deliver()
    {
        SetStandInFrameCount(++frame);
        scene->GetMessageManager()->Deliver(0.0f);
    }
};

// The update pass over 1,000 objects, each with a renderer and an eased ping-pong fade.
void BM_TweenAlphaUpdate(benchmark::State& state)
{
    UIScene s;
    SetAppDeltaTime(kDt);
    std::vector<Component*> reached;
    for (int i = 0; i < kTweens; ++i) {
        GameObj* obj = s.Make("fade", nullptr, {"BenchRenderer", "TweenAlpha"});
        auto* tween = static_cast<TweenAlpha*>(obj->GetComponent(TweenAlpha::s_Class.Key));
        tween->SetMethod(eTweenMethod_EaseInOut);
        tween->SetStyle(eTweenStyle_PingPong);
        tween->SetDuration(1.0f);
        tween->Start();
        tween->SetFactor(0.001f * static_cast<float>(i));
        tween->Play(true);
        for (Component* c : obj->GetComponents())
            reached.push_back(c);
    }
    for (auto _ : state) {
        RunUpdatePass(reached);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kTweens);
    SetAppDeltaTime(0.0f);
}
BENCHMARK(BM_TweenAlphaUpdate);

// The same arithmetic over plain arrays: advance, turn at the ends, ease, blend, store.
void BM_TweenAlphaUpdate_Baseline(benchmark::State& state)
{
    struct Fade {
        float factor, amount, from, to;
    };
    std::vector<Fade> fades(kTweens);
    std::vector<float> alphas(kTweens);
    for (int i = 0; i < kTweens; ++i)
        fades[i] = {0.001f * static_cast<float>(i), 1.0f, 1.0f, 0.0f};
    const float twoPi = 6.2831855f;
    for (auto _ : state) {
        for (int i = 0; i < kTweens; ++i) {
            Fade& f = fades[i];
            f.factor += f.amount * kDt;
            if (f.factor > 1.0f) {
                f.factor = 1.0f - (f.factor - std::trunc(f.factor));
                f.amount = -f.amount;
            } else if (f.factor < 0.0f) {
                f.factor = -f.factor - std::trunc(-f.factor);
                f.amount = -f.amount;
            }
            const float t = f.factor < 0.0f ? 0.0f : f.factor > 1.0f ? 1.0f : f.factor;
            const float v = t - static_cast<float>(std::sin(twoPi * t)) / twoPi;
            alphas[i] = (1.0f - v) * f.from + v * f.to;
        }
        benchmark::DoNotOptimize(alphas.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kTweens);
}
BENCHMARK(BM_TweenAlphaUpdate_Baseline);

// 1,000 pad events posted to a frame as the root posts them; the frame routes each and
// forwards it to its selected button: 2,000 deliveries in two passes.
void BM_UIPadToSelectedButton(benchmark::State& state)
{
    UIScene s;
    GameObj* root = s.Make("root", nullptr, {"UIRoot"});
    GameObj* frameObj = s.Make("frame", root, {"UIFrame"});
    GameObj* button = s.Make("button", frameObj, {"BenchButton"});
    auto* frame = static_cast<UIFrame*>(frameObj->GetComponent(UIFrame::s_Class.Key));
    frame->FindRootAndFrame();
    frame->SetSelection(button);
    s.Deliver();
    for (auto _ : state) {
        for (int i = 0; i < kEvents; ++i)
            PostUIEvent(root, frameObj, eUIEvent_Pad, 1 << (i % 16));
        s.Deliver();
        s.Deliver();
    }
    state.SetItemsProcessed(state.iterations() * kEvents);
}
BENCHMARK(BM_UIPadToSelectedButton);

// 2,000 bare UI events to a component that does nothing with them, in two passes.
void BM_UIPadToSelectedButton_Baseline(benchmark::State& state)
{
    UIScene s;
    GameObj* sender = s.Make("sender", nullptr, {});
    GameObj* sink = s.Make("sink", nullptr, {"BenchSink"});
    for (auto _ : state) {
        for (int pass = 0; pass < 2; ++pass) {
            for (int i = 0; i < kEvents; ++i) {
                auto* e = new MsgUIEvent(sender);
                e->m_eKind = eUIEvent_Pad;
                e->m_nParam = 1 << (i % 16);
                sink->PostMessage(e, 0.0f);
            }
            s.Deliver();
        }
    }
    state.SetItemsProcessed(state.iterations() * kEvents);
}
BENCHMARK(BM_UIPadToSelectedButton_Baseline);

} // namespace

namespace {

constexpr int kIdleWidgets = 50;

std::vector<Component*> IdlePanel(UIScene& s, bool widgets)
{
    static const char* const kKinds[] = {"UIActivateTween", "UIButtonKeyBinding", "UIButtonKeys", "UIButtonMessage",
                                         "UIForwardEvents", "UITriggerSound",     "UITriggerTween", "UITable",
                                         "UISelector",      "UISlider",           "UIWheel",        "UIRandomAtlas"};
    std::vector<Component*> out;
    GameObj* panel = s.Make("panel", nullptr, {"Transform"});
    for (int i = 0; i < kIdleWidgets; ++i) {
        const char* kind = widgets ? kKinds[i % std::size(kKinds)] : "BenchSink";
        GameObj* obj = s.Make("w", panel, {"Transform", kind});
        for (Component* c : obj->GetComponents())
            out.push_back(c);
    }
    return out;
}

} // namespace

// A panel of 50 idle widgets of the screen-building kinds: nothing to look up or allocate.
void BM_UIIdleWidgetsUpdate(benchmark::State& state)
{
    UIScene s;
    SetAppDeltaTime(kDt);
    const std::vector<Component*> components = IdlePanel(s, true);
    for (auto _ : state) {
        RunUpdatePass(components);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kIdleWidgets);
    SetAppDeltaTime(0.0f);
}
BENCHMARK(BM_UIIdleWidgetsUpdate);

// The same objects carrying do-nothing components.
void BM_UIIdleWidgetsUpdate_Baseline(benchmark::State& state)
{
    UIScene s;
    SetAppDeltaTime(kDt);
    const std::vector<Component*> components = IdlePanel(s, false);
    for (auto _ : state) {
        RunUpdatePass(components);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kIdleWidgets);
    SetAppDeltaTime(0.0f);
}
BENCHMARK(BM_UIIdleWidgetsUpdate_Baseline);
