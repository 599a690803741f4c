// The talk window's typewriter and the floating damage numbers against plain code doing the
// same work: revealing a 200-character Shift-JIS line with colour tags a character a frame
// against setting the label to the same prefixes, and 200 numbers moved by the update pass
// against a loop of the same position, depth and world-matrix updates on 200 transforms.
#include <benchmark/benchmark.h>

#include <lua.hpp>
#include <string>
#include <vector>

#include "Components/Core/FontRenderer.h"
#include "Components/UI/UIDamageNumber.h"
#include "Components/UI/UITalkWindow.h"
#include "System/Common/FrameCounter.h"
#include "UpdatePass.h"
#include "World/ComponentFactory.h"
#include "World/GameObj.h"
#include "World/SceneManager.h"
#include "World/Transform.h"

namespace {

constexpr int kNumbers = 200;
constexpr float kDt = 1.0f / 60.0f;

// 200 characters: kana (two bytes each), letters and a colour tag every ten characters.
std::string TaggedLine()
{
    const char* const kana[] = {"\x82\xa0", "\x82\xa2", "\x82\xa4", "\x82\xa6", "\x82\xa8"};
    std::string line;
    for (int i = 0; i < 200; ++i) {
        if (i % 10 == 0)
            line += i % 20 == 0 ? "<FF0000>" : "<FFFFFF>";
        if (i % 3 == 2)
            line += char('a' + i % 26);
        else
            line += kana[i % 5];
    }
    return line;
}

// A scene manager (for ids and messages) with the game's classes; objects made from Lua tables.
struct HudScene {
    SceneManager* scene = nullptr;
    lua_State* L = luaL_newstate();
    std::vector<GameObj*> roots;

    HudScene()
    {
        auto* factory = new ComponentFactory;
        factory->RegisterAll();
        g_pComponentFactory = factory;
        scene = new SceneManager;
        g_pSceneManager = scene;
        scene->Init();
    }
    ~HudScene()
    {
        for (GameObj* root : roots)
            delete root;
        delete scene;
        g_pSceneManager = nullptr;
        lua_close(L);
    }
    // Each component loaded from its Lua table text.
    GameObj* Make(const char* tag, GameObj* parent, std::initializer_list<std::pair<const char*, const char*>> components)
    {
        auto* obj = new GameObj(tag, scene->GetMessageManager());
        obj->SetTag(HashName(tag));
        if (parent)
            obj->SetParent(parent);
        else
            roots.push_back(obj);
        obj->SetFlags(eGameObjFlag_Active);
        for (const auto& [name, table] : components) {
            std::string chunk = "return ";
            chunk += table;
            luaL_dostring(L, chunk.c_str());
            obj->AddComponent(name, L)->SetFlags(eComponentFlag_Started);
            lua_settop(L, 0);
        }
        return obj;
    }
};

struct TalkScene : HudScene {
    UITalkWindow* window = nullptr;
    FontRenderer* label = nullptr;
    TalkScene()
    {
        GameObj* w = Make("window", nullptr, {{"UITalkWindow", "{ label_text = 'label', character_display_time = 1e-6 }"}});
        GameObj* l = Make("label", w, {{"FontRenderer", "{ encoding = true }"}});
        window = static_cast<UITalkWindow*>(w->GetComponent(UITalkWindow::s_Class.Key));
        label = static_cast<FontRenderer*>(l->GetComponent(FontRenderer::s_Class.Key));
        window->FindChildren();
        window->m_Text = TaggedLine();
    }
};

// The whole line revealed, one Update a frame.
void BM_TalkWindowReveal(benchmark::State& state)
{
    TalkScene s;
    SetAppDeltaTime(kDt);
    int64_t steps = 0;
    for (auto _ : state) {
        s.window->ShowText();
        while (s.window->GetRevealed() < s.window->GetLength()) {
            s.window->Update();
            ++steps;
        }
        benchmark::DoNotOptimize(s.label->GetText().data());
    }
    state.SetItemsProcessed(steps);
    SetAppDeltaTime(0.0f);
}
BENCHMARK(BM_TalkWindowReveal);

// The label set to the same prefixes, found beforehand.
void BM_TalkWindowReveal_Baseline(benchmark::State& state)
{
    TalkScene s;
    SetAppDeltaTime(kDt);
    std::vector<size_t> ends;
    s.window->ShowText();
    while (s.window->GetRevealed() < s.window->GetLength()) {
        s.window->Update();
        ends.push_back(static_cast<size_t>(s.window->GetRevealed()));
    }
    const std::string& text = s.window->m_Text;
    int64_t steps = 0;
    for (auto _ : state) {
        s.label->SetText(std::string());
        for (size_t end : ends)
            s.label->SetText(text.substr(0, end));
        steps += static_cast<int64_t>(ends.size());
        benchmark::DoNotOptimize(s.label->GetText().data());
    }
    state.SetItemsProcessed(steps);
    SetAppDeltaTime(0.0f);
}
BENCHMARK(BM_TalkWindowReveal_Baseline);

// 200 numbers, each updated as the update pass calls a live component.
void BM_DamageNumberUpdate(benchmark::State& state)
{
    HudScene s;
    SetAppDeltaTime(kDt);
    std::vector<Component*> reached;
    for (int i = 0; i < kNumbers; ++i) {
        GameObj* o = s.Make("number", nullptr,
                            {{"Transform", "{ position = { x = 1, y = 2, z = 3 } }"},
                             {"UIDamageNumber", "{ velocity = { x = 10, y = 220 }, gravity = -400 }"}});
        Component* c = o->GetComponent(UIDamageNumber::s_Class.Key);
        c->Start();
        reached.push_back(c);
    }
    for (auto _ : state) {
        RunUpdatePass(reached);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kNumbers);
    SetAppDeltaTime(0.0f);
}
BENCHMARK(BM_DamageNumberUpdate);

// The same moves written straight onto 200 transforms.
void BM_DamageNumberUpdate_Baseline(benchmark::State& state)
{
    HudScene s;
    struct Number {
        Transform* transform;
        float vx, vy, depth;
    };
    std::vector<Number> numbers;
    for (int i = 0; i < kNumbers; ++i) {
        GameObj* o = s.Make("number", nullptr, {{"Transform", "{ position = { x = 1, y = 2, z = 3 } }"}});
        numbers.push_back({o->GetTransform(), 10.0f, 220.0f, 3.0f});
    }
    const float gravity = -400.0f;
    for (auto _ : state) {
        for (Number& n : numbers) {
            n.vy += gravity * kDt;
            Matrix4x4& m = n.transform->LocalMatrix();
            n.transform->SetLocalPosition(m.m[3][0] + n.vx * kDt, m.m[3][1] + n.vy * kDt, m.m[3][2]);
            n.transform->UpdateWorldMatrices();
            n.depth += kDt;
            n.transform->SetLocalPosition(m.m[3][0], m.m[3][1], n.depth);
            n.transform->UpdateWorldMatrices();
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kNumbers);
}
BENCHMARK(BM_DamageNumberUpdate_Baseline);

} // namespace
