#include "UI/UIFixture.h"

#include <cmath>
#include <cstring>
#include <map>
#include <set>

#include <lua.hpp>

#include "Components/Core/Renderer.h"
#include "Components/Core/SpriteRenderer.h"
#include "Components/UI/UIEventWidgets.h"
#include "Components/UI/UILayoutWidgets.h"
#include "Components/UI/UIMenuFrames.h"
#include "System/Common/Random.h"
#include "System/Graphics/AtlasTable.h"
#include "System/Sound/AudioDevice.h"
#include "System/Sound/SoundManager.h"
#include "World/Transform.h"

namespace {

// "t" and 3 give "t3"; appended, since GCC 12 at -O3 misreads "t" + std::to_string(3) as an
// overlapping copy.
std::string Numbered(const char* prefix, int number)
{
    std::string name = prefix;
    name += std::to_string(number);
    return name;
}

// One object file: name, tag (may be empty), active bit, the components' text, children names.
std::pair<std::string, std::string> Obj(const std::string& name, const std::string& tag, bool active,
                                        const std::string& components, const std::vector<std::string>& children = {})
{
    std::string text = name + " = { object_name = '" + name + "', object_layer = 2048, object_activity = " +
                       (active ? "1" : "0") + (tag.empty() ? "" : ", object_tag = '" + tag + "'") +
                       ", components = { " + components + " }";
    if (!children.empty()) {
        text += ", children = {";
        for (const std::string& c : children)
            text += " { base_script = '" + c + "' },";
        text += " }";
    }
    return {"game_objects/" + name, text + " }"};
}

// A stage with a UI root whose one panel holds the given children, and a listener beside it.
std::map<std::string, std::string> PanelFiles(const std::vector<std::pair<std::string, std::string>>& objects,
                                              const std::vector<std::string>& panelChildren,
                                              const std::string& panelComponents = "TestFrame = {}")
{
    std::map<std::string, std::string> files = {
        {"stage/stage_W", "stage_W = { object_name = 'stage', object_layer = 1, object_activity = 1,"
                          "  children = { { base_script = 'ui_root' }, { base_script = 'listener' } } }"},
        Obj("ui_root", "", true, "UIRoot = {}", {"panel"}),
        Obj("panel", "ui_panel", true, panelComponents, panelChildren),
        Obj("listener", "", true, "TestListener = {}"),
    };
    for (const auto& o : objects)
        files.insert(o);
    return files;
}

std::vector<std::string> Who(const std::string& who)
{
    std::vector<std::string> out;
    for (const UIRecord& r : UIRecords())
        if (r.who == who)
            out.push_back(r.what + "<" + r.sender);
    return out;
}

// A sound manager over the silent device for the test's length.
struct SilentSound {
    SoundManager manager{new NullAudioDevice};
    SilentSound() { g_pSoundManager = &manager; }
    ~SilentSound()
    {
        Clear();
        g_pSoundManager = nullptr;
    }
    void Clear()
    {
        for (IAudioSource* s : manager.GetSeList())
            delete s;
        manager.GetSeList().clear();
    }
};

// The events a widget's operations stand for, called directly on it.
struct UIEventCall {
    const char* name;
    void (*call)(UIWidget*);
};
const UIEventCall kEvents[] = {
    {"Click", [](UIWidget* w) { w->OnClick(); }},
    {"Hover(1)", [](UIWidget* w) { w->OnHover(true); }},
    {"Hover(0)", [](UIWidget* w) { w->OnHover(false); }},
    {"Press(1)", [](UIWidget* w) { w->OnPress(true); }},
    {"Press(0)", [](UIWidget* w) { w->OnPress(false); }},
    {"DoubleClick", [](UIWidget* w) { w->OnDoubleClick(); }},
    {"Select(1)", [](UIWidget* w) { w->OnSelect(true); }},
    {"Select(0)", [](UIWidget* w) { w->OnSelect(false); }},
    {"Open", [](UIWidget* w) { w->Open(); }},
    {"Closing", [](UIWidget* w) { w->OnClosing(nullptr); }},
    {"Close", [](UIWidget* w) { w->Close(); }},
};

} // namespace

// Each class's trigger codes against each event: which message widgets send, which sound
// widgets play, which tween widgets play their tween and in which direction ('+' forwards).
TEST(UIWidgetTriggers, EachCodeAgainstEachEvent)
{
    SilentSound sound;
    std::vector<std::pair<std::string, std::string>> objects = {Obj("sink", "sink", true, "TestWidget = {}")};
    std::vector<std::string> children = {"sink"};
    for (int i = 0; i <= 6; ++i) {
        const std::string n = Numbered("m", i);
        objects.push_back(Obj(n, "", true, "UIButtonMessage = { trigger = " + std::to_string(i) + ", target = 'sink', click = {} }"));
        children.push_back(n);
    }
    for (int i = 0; i <= 9; ++i) {
        const std::string n = Numbered("s", i);
        objects.push_back(Obj(n, "", true, "UITriggerSound = { { trigger = " + std::to_string(i) + ", sound = 'se" + std::to_string(i) + "' } }"));
        children.push_back(n);
    }
    for (int i = 0; i <= 14; ++i) {
        const std::string n = Numbered("t", i);
        objects.push_back(Obj(n, "", true, "TestRenderer = {}, TweenAlpha = { duration = 1 }, UITriggerTween = { trigger = " + std::to_string(i) + ", direction = 1 }"));
        children.push_back(n);
    }
    UIWorld w(PanelFiles(objects, children), "stage_W");
    struct Row {
        const char* event;
        std::set<int> sent;
        std::set<int> played;
        std::map<int, char> tweened;
    };
    const Row rows[] = {
        {"Click", {0}, {0}, {{0, '+'}}},
        {"Hover(1)", {1}, {1}, {{1, '+'}, {3, '+'}}},
        {"Hover(0)", {2}, {2}, {{1, '-'}, {4, '-'}}},
        {"Press(1)", {3}, {3}, {{2, '+'}, {5, '+'}}},
        {"Press(0)", {4}, {4}, {{2, '-'}, {6, '-'}}},
        {"DoubleClick", {5}, {}, {{10, '+'}}},
        {"Select(1)", {}, {5}, {{11, '+'}, {12, '+'}}},
        {"Select(0)", {}, {}, {{11, '-'}, {13, '-'}}},
        {"Open", {}, {6}, {{7, '+'}}},
        {"Closing", {}, {7}, {{8, '-'}}},
        {"Close", {}, {8}, {{9, '-'}}},
    };
    ASSERT_EQ(std::size(rows), std::size(kEvents));
    for (size_t e = 0; e < std::size(rows); ++e) {
        const Row& row = rows[e];
        SCOPED_TRACE(row.event);
        UIRecords().clear();
        sound.Clear();
        for (int i = 0; i <= 14; ++i)
            w.Get<TweenAlpha>(Numbered("t", i))->Reset();
        for (int i = 0; i <= 6; ++i)
            kEvents[e].call(w.Get<UIButtonMessage>(Numbered("m", i)));
        for (int i = 0; i <= 9; ++i)
            kEvents[e].call(w.Get<UITriggerSound>(Numbered("s", i)));
        for (int i = 0; i <= 14; ++i)
            kEvents[e].call(w.Get<UITriggerTween>(Numbered("t", i)));
        std::set<int> played;
        for (IAudioSource* s : sound.manager.GetSeList())
            for (int i = 0; i <= 9; ++i)
                if (s->GetKey() == HashName(Numbered("se", i)))
                    played.insert(i);
        EXPECT_EQ(played, row.played);
        std::map<int, char> tweened;
        for (int i = 0; i <= 14; ++i) {
            auto* tween = w.Get<TweenAlpha>(Numbered("t", i));
            if (!tween->IsFinished())
                tweened[i] = tween->GetAmountPerDelta() >= 0.0f ? '+' : '-';
        }
        EXPECT_EQ(tweened, row.tweened);
        w.Tick();
        std::set<int> sent;
        for (const UIRecord& r : UIRecords())
            if (r.who == "sink" && r.what == "Click")
                sent.insert(std::stoi(r.sender.substr(1)));
        EXPECT_EQ(sent, row.sent);
    }
}

// The direction and reset rules of a tween trigger on any Select.
TEST(UIWidgetTriggers, TweenDirectionToggleAndReset)
{
    struct Case {
        const char* keys;
        bool selected;
        float startFactor;
        char direction; // '+' forwards, '-' backwards
        float factorAfter; // right after the trigger
    };
    const Case cases[] = {
        {"direction = -1", true, 0.5f, '-', 0.5f},
        {"direction = -1", false, 0.5f, '+', 0.5f},
        {"direction = 1", false, 0.5f, '-', 0.5f},
        {"direction = 0", true, 0.5f, '-', 0.5f}, // toggle from above 0 runs back
        {"direction = 0", false, 0.0f, '+', 0.0f},
        {"direction = -1, reset_on_play = true", true, 0.5f, '-', 1.0f}, // backwards begins at 1
        {"direction = 1, reset_on_play = true", true, 0.5f, '+', 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.keys) + (c.selected ? " Select(1)" : " Select(0)"));
        UIWorld w(PanelFiles({Obj("t", "", true, std::string("TestRenderer = {}, TweenAlpha = { duration = 1 },"
                                                             " UITriggerTween = { trigger = 11, ") + c.keys + " }")},
                             {"t"}),
                  "stage_W");
        auto* tween = w.Get<TweenAlpha>("t");
        tween->SetFactor(c.startFactor);
        w.Get<UITriggerTween>("t")->OnSelect(c.selected);
        EXPECT_FALSE(tween->IsFinished());
        EXPECT_EQ(tween->GetAmountPerDelta() >= 0.0f ? '+' : '-', c.direction);
        EXPECT_FLOAT_EQ(tween->GetFactor(), c.factorAfter);
    }
}

// Targets by preset name and by tag; a tag with no active object at Start never sends, even once
// the object is there.
TEST(UIWidgetTargets, PresetsTagsAndALateTag)
{
    UIWorld w(PanelFiles({Obj("to_root", "", true, "UIButtonMessage = { target = 'PresetTarget_UIRoot', click = {} }"),
                          Obj("to_frame", "", true, "UIButtonMessage = { target = 'PresetTarget_UIFrame', click = {} }"),
                          Obj("to_tag", "", true, "UIButtonMessage = { target = 'sink', click = {} }"),
                          Obj("to_late", "", true, "UIButtonMessage = { target = 'late', click = {} }"),
                          Obj("to_none", "", true, "UIButtonMessage = { click = {} }"),
                          Obj("sink", "sink", true, "TestWidget = {}"), Obj("late", "late", false, "TestWidget = {}")},
                         {"to_root", "to_frame", "to_tag", "to_late", "to_none", "sink", "late"},
                         "TestFrame = {}"),
              "stage_W");
    UIRoot::AddListenerToAll(w.Find("listener"));
    w.Find("late")->Activate();
    w.Tick();
    struct Case {
        const char* sender;
        const char* who; // the one that hears the click, "" for nobody
    };
    const Case cases[] = {
        {"to_root", "listener"}, {"to_frame", "panel"}, {"to_tag", "sink"}, {"to_late", ""}, {"to_none", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sender);
        UIRecords().clear();
        w.Get<UIButtonMessage>(c.sender)->OnClick();
        w.Ticks(2); // the root's copy to its listeners takes a second hop
        std::vector<std::string> heard;
        for (const UIRecord& r : UIRecords())
            if (r.sender == c.sender || r.what.find(c.sender) != std::string::npos)
                heard.push_back(r.who);
        EXPECT_EQ(heard, c.who[0] ? std::vector<std::string>{c.who} : std::vector<std::string>{});
    }
    // The root's listeners see the event as sent: a Click (kind 4) from the button.
    UIRecords().clear();
    w.Get<UIButtonMessage>("to_root")->OnClick();
    w.Ticks(2);
    EXPECT_EQ(UIEvents(), std::vector<std::string>{"listener:Event(4,0,to_root)"});
}

TEST(UIWidgetMessage, TemplatesFromTheirKeys)
{
    struct Case {
        const char* keys;
        MsgUIEventKind kind;
        int32_t param, param2;
        const char* text;
    };
    const float x = 1.5f, y = -2.0f;
    int32_t xb, yb;
    std::memcpy(&xb, &x, 4);
    std::memcpy(&yb, &y, 4);
    const Case cases[] = {
        {"", eUIEvent_None, 0, 0, ""},
        {"hover = { is_over = true }", eUIEvent_Hover, 1, 0, ""},
        {"press = { is_down = false }", eUIEvent_Press, 0, 0, ""},
        {"select = { selected = true }", eUIEvent_Select, 1, 0, ""},
        {"drag = { x = 1.5, y = -2 }", eUIEvent_Drag, xb, yb, ""},
        {"scroll = { x = 1.5, y = -2 }", eUIEvent_Scroll, xb, yb, ""},
        {"input = { text = 'abc' }", eUIEvent_Input, 0, 0, "abc"},
        {"pad = { key = 8 }", eUIEvent_Pad, 8, 0, ""},
        {"click = {}, hover = { is_over = true }", eUIEvent_Click, 1, 0, ""}, // the later key's kind wins
        {"closed = {}, open = {}", eUIEvent_Close, 0, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        UIWorld w(PanelFiles({Obj("m", "", true, std::string("UIButtonMessage = { ") + c.keys + " }")}, {"m"}), "stage_W");
        auto* m = w.Get<UIButtonMessage>("m");
        EXPECT_EQ(m->GetKind(), c.kind);
        EXPECT_EQ(m->GetParam(), c.param);
        EXPECT_EQ(m->GetParam2(), c.param2);
        EXPECT_EQ(m->GetText(), c.text);
    }
}

// Pad navigation between two buttons: only the selected button moves, only on an exact mask.
TEST(UIWidgetNavigation, PadMovesToTheNeighbour)
{
    UIWorld w(PanelFiles({Obj("a", "btn_a", true, "UIButtonKeys = { down = 'btn_b', start_selected = true }, TestWidget = {}"),
                          Obj("b", "btn_b", true, "UIButtonKeys = { up = 'btn_a' }, TestWidget = {}")},
                         {"a", "b"}),
              "stage_W");
    auto* frame = w.Get<TestFrame>("panel");
    ASSERT_EQ(frame->GetSelected(), w.Find("a"));
    struct Case {
        const char* to;
        uint32_t mask;
        const char* selected;
    };
    const Case cases[] = {
        {"a", 3, "a"}, // two buttons held together move nothing
        {"a", 1, "a"}, // no up neighbour
        {"b", 2, "a"}, // b is not the selected child
        {"a", 2, "b"},
        {"a", 1, "b"}, // a is no longer the selected child
        {"b", 1, "a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.to) + " Pad(" + std::to_string(c.mask) + ")");
        w.Post(w.Find("ui_root") ? w.Find("ui_root") : w.Find("panel"), w.Find(c.to), eUIEvent_Pad, static_cast<int32_t>(c.mask));
        w.Tick();
        EXPECT_EQ(ObjectLabel(frame->GetSelected()), c.selected);
    }
}

// Buttons made in code move on pad bits 1, 2, 4, 8, and wiring set before their Start stays.
TEST(UIWidgetNavigation, MadeInCodeWithWiredNeighbours)
{
    UIWorld w(PanelFiles({Obj("a", "btn_a", true, "TestWidget = {}"), Obj("b", "btn_b", true, "TestWidget = {}")},
                         {"a", "b"}),
              "stage_W");
    GameObj* a = w.Find("a");
    GameObj* b = w.Find("b");
    auto* keys = static_cast<UIButtonKeys*>(a->AddComponent("UIButtonKeys", nullptr));
    ASSERT_NE(keys, nullptr);
    for (int d = 0; d < 4; ++d)
        EXPECT_EQ(keys->GetPadMask(d), 1u << d);
    keys->SetNeighbourTag(eUIDirection_Right, HashName("btn_a")); // would resolve to itself
    keys->SetNeighbour(eUIDirection_Right, b);
    keys->SetResolved(true);
    w.Get<TestFrame>("panel")->SetSelection(a);
    w.Tick();
    w.Tick();
    EXPECT_EQ(keys->GetNeighbour(eUIDirection_Right), b);
    w.Post(w.Find("panel"), a, eUIEvent_Pad, 8);
    w.Tick();
    EXPECT_EQ(w.Get<TestFrame>("panel")->GetSelected(), b);
}

TEST(UIWidgetForward, MaskPicksTheKinds)
{
    UIWorld w(PanelFiles({Obj("fwd", "", true, "UIForwardEvents = { target = 'sink', mask = 16 }"),
                          Obj("sink", "sink", true, "TestWidget = {}")},
                         {"fwd", "sink"}),
              "stage_W");
    GameObj* fwd = w.Find("fwd");
    for (MsgUIEventKind kind : {eUIEvent_Hover, eUIEvent_Press, eUIEvent_Click, eUIEvent_Select, eUIEvent_DoubleClick})
        w.Post(w.Find("panel"), fwd, kind, 1);
    w.Ticks(2);
    EXPECT_EQ(Who("sink"), std::vector<std::string>{"Click<fwd"});
}

// A bound combination posts one Press(true) to its own object in every frame it is held, and
// nothing while any of its bits is up or while its object is off; key 0 matches every frame.
TEST(UIWidgetKeyBinding, PressWhileTheCombinationIsHeld)
{
    constexpr int kKeyStart = 0x12; // the default keyboard key of pad Start
    struct Case {
        const char* what;
        uint32_t key;
        std::vector<int> held;
        bool active;
        size_t presses; // over 3 frames held and 3 released
    };
    const Case cases[] = {
        {"Start held", 0x4000, {kKeyStart}, true, 3},
        {"another button", 0x4000, {kKeyPadA}, true, 0},
        {"Start with A held", 0x4000, {kKeyStart, kKeyPadA}, true, 3},
        {"half the combination", 0x4010, {kKeyStart}, true, 0},
        {"the whole combination", 0x4010, {kKeyStart, kKeyPadA}, true, 3},
        {"key 0", 0, {}, true, 6},
        {"object off", 0x4000, {kKeyStart}, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        UIWorld w(PanelFiles({Obj("btn", "btn", c.active,
                                  "TestWidget = {}, UIButtonKeyBinding = { key = " + std::to_string(c.key) + " }")},
                             {"btn"}),
                  "stage_W");
        w.Ticks(2);
        UIRecords().clear();
        for (int k : c.held)
            w.Keyboard().Hold(k);
        w.Ticks(3);
        for (int k : c.held)
            w.Keyboard().Release(k);
        w.Ticks(3);
        std::set<uint32_t> frames;
        size_t presses = 0;
        for (const UIRecord& r : UIRecords()) {
            if (r.who != "btn")
                continue;
            EXPECT_EQ(r.what + "<" + r.sender, "Press(1)<btn");
            presses += r.what == "Press(1)";
            EXPECT_TRUE(frames.insert(r.frame).second) << "two presses in frame " << r.frame;
        }
        EXPECT_EQ(presses, c.presses);
    }
}

// The tip icon shows a listed entry, drawn from the seeded pool, each time its object comes on;
// with no entries or no atlas nothing changes and nothing fails.
TEST(UIRandomAtlasPick, ListedEntriesFromThePool)
{
    // Entries told apart by their widths; "tip_x" is in the sheet but never listed.
    const std::map<std::string, int> widths = {{"tip_a", 8}, {"tip_b", 16}, {"tip_c", 24}, {"tip_x", 40}};
    AtlasTable atlas;
    {
        std::string sprites;
        int x = 0;
        for (const auto& [name, width] : widths) {
            sprites += "{ name = '" + name + ".png', uvRect = { x = " + std::to_string(x) + ", y = 0, width = " +
                       std::to_string(width) + ", height = 8 }, sourceRect = { x = 0, y = 0, width = " +
                       std::to_string(width) + ", height = 8 }, originalSize = { width = " + std::to_string(width) +
                       ", height = 8 } },";
            x += width;
        }
        const std::string text =
            "return { texture = 'tips.png', textureSize = { width = 128, height = 8 }, sprites = { " + sprites + " } }";
        lua_State* L = luaL_newstate();
        ASSERT_EQ(luaL_dostring(L, text.c_str()), 0);
        atlas.ReadSpriteSheet(L, "tips");
        lua_close(L);
    }
    AtlasTable* oldAtlas = g_pAtlasTable;
    g_pAtlasTable = &atlas;
    struct Case {
        const char* what;
        const char* components;
        std::vector<std::string> listed; // in the list's order; empty: the width never changes
    };
    const Case cases[] = {
        {"three entries", "TextureAtlas = {}, UIRandomAtlas = { atlases = { 'tip_a', 'tip_b', 'tip_c' } }",
         {"tip_a", "tip_b", "tip_c"}},
        {"one entry", "TextureAtlas = {}, UIRandomAtlas = { atlases = { 'tip_b' } }", {"tip_b"}},
        {"an empty list", "TextureAtlas = {}, UIRandomAtlas = { atlases = {} }", {}},
        {"no list", "TextureAtlas = {}, UIRandomAtlas = {}", {}},
        {"no atlas", "UIRandomAtlas = { atlases = { 'tip_a', 'tip_b' } }", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::map<std::string, std::string> files = {
            {"stage/stage_W", "stage_W = { object_name = 'stage', object_layer = 1, object_activity = 1,"
                              "  children = { { base_script = 'tip' } } }"},
            Obj("tip", "", true, c.components),
        };
        UIWorld w(files, "stage_W");
        GameObj* tip = w.Find("tip");
        ASSERT_NE(tip, nullptr);
        auto* shown = w.Get<TextureAtlas>("tip");
        const int before = shown ? shown->GetWidth() : 0;
        std::set<std::string> seen;
        for (uint32_t seed = 1; seed <= 24; ++seed) {
            tip->Deactivate();
            SfmtInit(seed);
            tip->Activate();
            if (!shown)
                continue;
            if (c.listed.empty()) {
                EXPECT_EQ(shown->GetWidth(), before);
                continue;
            }
            SfmtInit(seed);
            const std::string& expected = c.listed[RandomNext() % c.listed.size()];
            EXPECT_EQ(shown->GetWidth(), widths.at(expected)) << "seed " << seed;
            seen.insert(expected);
        }
        EXPECT_EQ(seen.size(), c.listed.size()); // every listed entry came up over the seeds
        w.Tick();
    }
    g_pAtlasTable = oldAtlas;
}

// A window closing through its tweens: backwards, then off; removal one frame later; without
// tweens off in the same call; a trigger with nothing to play switches its target off.
TEST(UIWidgetClosing, ThroughTheTweensAndWithout)
{
    struct Case {
        const char* components;
        bool offAtOnce;
        bool removed;
    };
    const Case cases[] = {
        {"UIActivateTween = { disable_condition = -1 }, TestRenderer = {}, TweenAlpha = { duration = 0.05 }", false, false},
        {"UIActivateTween = { disable_condition = -1, disable_when_remove_gameobj = true }, TestRenderer = {},"
         " TweenAlpha = { duration = 0.05 }", false, true},
        {"UIActivateTween = { disable_condition = -1, group = true }, TestRenderer = {}, TweenAlpha = { duration = 0.05 }",
         true, false}, // its tween is of group 0, so nothing plays
        // A number names its group as it does on the tweens.
        {"UIActivateTween = { disable_condition = -1, group = 1 }, TestRenderer = {}, TweenAlpha = { duration = 0.05 }",
         true, false},
        {"UIActivateTween = { disable_condition = -1, group = 1 }, TestRenderer = {},"
         " TweenAlpha = { duration = 0.05, group = 1 }", false, false},
        {"UIActivateTween = { disable_condition = -1, group = true }, TestRenderer = {},"
         " TweenAlpha = { duration = 0.05, group = 1 }", false, false},
        {"UIActivateTween = { disable_condition = -1, group = 0 }, TestRenderer = {}, TweenAlpha = { duration = 0.05 }",
         false, false},
        {"UIActivateTween = { disable_condition = -1 }", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.components);
        UIWorld w(PanelFiles({Obj("win", "win", true, c.components)}, {"win"}), "stage_W");
        GameObj* win = w.Find("win");
        auto* tween = w.Get<TweenAlpha>("win");
        if (tween && !c.offAtOnce) {
            EXPECT_FALSE(tween->IsFinished()); // opening played it forwards
            w.Ticks(5);
            EXPECT_TRUE(tween->IsFinished());
            EXPECT_EQ(tween->GetFactor(), 1.0f);
        }
        w.Get<UIActivateTween>("win")->OnClosing(win);
        if (c.offAtOnce) {
            EXPECT_FALSE(win->IsActive());
            continue;
        }
        EXPECT_TRUE(win->IsActive());
        EXPECT_LT(tween->GetAmountPerDelta(), 0.0f);
        w.Ticks(4);
        EXPECT_TRUE(tween->IsFinished());
        w.Tick();
        if (!c.removed) {
            ASSERT_NE(w.Find("win"), nullptr);
            EXPECT_FALSE(win->IsActive());
            continue;
        }
        w.Ticks(2);
        EXPECT_EQ(w.Find("win"), nullptr);
    }
}

// Closing by the root's protocol: the panel's Closing plays it out, it switches off, its Close
// reaches the root, which gives the selection back to the button that had it.
TEST(UIWidgetClosing, TheSelectionComesBack)
{
    auto files = PanelFiles({Obj("btn", "", true, "TestWidget = {}")}, {"btn"});
    files["game_objects/ui_root"] = Obj("ui_root", "", true, "UIRoot = {}", {"panel", "win"}).second;
    files.insert(Obj("win", "ui_win", false,
                     "TestFrame = {}, UIActivateTween = { disable_condition = -1 }, TestRenderer = {},"
                     " TweenAlpha = { duration = 0.05 }"));
    UIWorld w(files, "stage_W");
    UIRoot* root = w.Root("ui_root");
    root->Select(w.Find("btn"));
    w.Tick();
    GameObj* win = w.Find("win");
    win->Activate();
    w.Ticks(6);
    ASSERT_EQ(root->GetSelected(), win);
    w.Post(win, win, eUIEvent_Closing, UIObjectToParam(win));
    w.Ticks(8);
    EXPECT_FALSE(win->IsActive());
    EXPECT_EQ(root->GetSelected(), w.Find("btn"));
}

TEST(UIWidgetTriggers, NoTweensSwitchTheTargetOff)
{
    UIWorld w(PanelFiles({Obj("t", "", true, "UITriggerTween = { trigger = 0, target = 'box', disable_condition = 1 }"),
                          Obj("box", "box", true, "TestWidget = {}")},
                         {"t", "box"}),
              "stage_W");
    w.Get<UITriggerTween>("t")->OnClick();
    EXPECT_FALSE(w.Find("box")->IsActive());
}

// The layout of three cells under a table at (100, 50) with the step (0, -40); the first cell
// carries a local x of 5, which every layout adds.
TEST(UITableLayout, AlignmentDirectionAndAnInactiveCell)
{
    struct Case {
        const char* keys;
        bool middleActive;
        std::vector<float> ys; // of the three cells
        std::vector<std::string> items;
    };
    const Case cases[] = {
        {"direction = 1, alignment = 1", true, {90, 50, 10}, {"c0", "c1", "c2"}},
        {"direction = 1, alignment = 1", false, {70, 50, 30}, {"c0", "c2"}}, // the middle one stays at its own place
        {"direction = 1, alignment = 0", true, {50, 10, -30}, {"c0", "c1", "c2"}},
        {"direction = 1, alignment = 2", true, {130, 90, 50}, {"c0", "c1", "c2"}},
        {"direction = 2, alignment = 0", true, {-30, 10, 50}, {"c0", "c1", "c2"}},
        {"direction = 2, alignment = 2", true, {50, 90, 130}, {"c0", "c1", "c2"}},
        {"direction = 2, alignment = 1", true, {10, 50, 90}, {"c0", "c1", "c2"}},
        {"direction = 0, alignment = 1", true, {50, 50, 50}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.keys) + (c.middleActive ? "" : ", middle inactive"));
        std::map<std::string, std::string> files = {
            {"stage/stage_W", "stage_W = { object_name = 'stage', object_layer = 1, object_activity = 1,"
                              "  children = { { base_script = 'table' } } }"},
            Obj("table", "", true,
                std::string("Transform = { position = { x = 100, y = 50 } }, UITable = { padding = { x = 0, y = -40 }, ") +
                    c.keys + " }",
                {"c2", "c1", "c0"}), // children come out in reverse order: c0 first
            Obj("c0", "c0", true, "Transform = { position = { x = 5, y = 0 } }"),
            Obj("c1", "c1", c.middleActive, "Transform = {}"),
            Obj("c2", "c2", true, "Transform = {}"),
        };
        UIWorld w(files, "stage_W");
        auto* table = w.Get<UITable>("table");
        for (int round = 0; round < 3; ++round) { // repeated layouts do not drift
            table->Reposition(true);
            for (int i = 0; i < 3; ++i) {
                const Matrix4x4& m = w.Find(Numbered("c", i))->GetTransform()->WorldMatrix();
                EXPECT_FLOAT_EQ(m.m[3][1], c.ys[i]) << "cell " << i << " round " << round;
                EXPECT_FLOAT_EQ(m.m[3][0], i == 0 ? 105.0f : 100.0f) << "cell " << i;
            }
        }
        std::vector<std::string> items;
        for (GameObj* o : table->GetItems())
            items.push_back(o->GetObjectName());
        EXPECT_EQ(items, c.items);
        table->ResetChildPositions();
        EXPECT_FLOAT_EQ(w.Find("c0")->GetTransform()->WorldMatrix().m[3][1], 50.0f);
        EXPECT_FLOAT_EQ(w.Find("c0")->GetTransform()->WorldMatrix().m[3][0], 105.0f);
    }
}

// A layout pending from the data runs at the first update; a cell added later joins only
// after ResetChildPositions.
TEST(UITableLayout, OnStartAndCellsAddedLater)
{
    std::map<std::string, std::string> files = {
        {"stage/stage_W", "stage_W = { object_name = 'stage', object_layer = 1, object_activity = 1,"
                          "  children = { { base_script = 'table' }, { base_script = 'extra' } } }"},
        Obj("table", "", true, "Transform = {}, UITable = { padding = { x = 10, y = 0 }, direction = 1, on_start = true }",
            {"c1", "c0"}),
        Obj("c0", "c0", true, "Transform = {}"),
        Obj("c1", "c1", true, "Transform = {}"),
        Obj("extra", "extra", true, "Transform = {}"),
    };
    UIWorld w(files, "stage_W");
    auto* table = w.Get<UITable>("table");
    EXPECT_FALSE(table->IsRepositionPending());
    EXPECT_FLOAT_EQ(w.Find("c1")->GetTransform()->WorldMatrix().m[3][0], 10.0f);
    w.Find("extra")->SetParent(w.Find("table")); // becomes the first child
    table->Reposition(true);
    EXPECT_EQ(table->GetItems().size(), 2u);
    table->ResetChildPositions();
    table->Reposition(true);
    ASSERT_EQ(table->GetItems().size(), 3u);
    EXPECT_FLOAT_EQ(w.Find("extra")->GetTransform()->WorldMatrix().m[3][0], 0.0f);
    EXPECT_FLOAT_EQ(w.Find("c1")->GetTransform()->WorldMatrix().m[3][0], 20.0f);
}

// The cursor stands on its target cell when enabled, glides to a button's cell on its Select,
// and stays for a tag no cell has.
TEST(UISelectorMove, ToCellsByTagWithTheGlide)
{
    std::map<std::string, std::string> files = {
        {"stage/stage_W", "stage_W = { object_name = 'stage', object_layer = 1, object_activity = 1,"
                          "  children = { { base_script = 'table' } } }"},
        Obj("table", "", true, "Transform = { position = { x = 0, y = 100 } }, UITable = { padding = { x = 0, y = -50 }, direction = 1 }",
            {"cur", "c1", "c0"}),
        Obj("c0", "c0", true, "Transform = {}"),
        Obj("c1", "c1", true, "Transform = {}"),
        Obj("cur", "", true, "Transform = {}, UISelector = { target_tag = 'c0' }, TweenPosition = { duration = 0.25 }"),
    };
    UIWorld w(files, "stage_W");
    GameObj* cur = w.Find("cur");
    auto y = [&] { return cur->GetTransform()->WorldMatrix().m[3][1]; };
    // Cells in child order: c0, c1, then the cursor itself in a cell of its own.
    EXPECT_FLOAT_EQ(y(), 100.0f);
    w.Post(w.Find("c1"), cur, eUIEvent_Select, 1);
    w.Tick();
    w.Ticks(20);
    EXPECT_FLOAT_EQ(y(), 50.0f);
    auto* selector = w.Get<UISelector>("cur");
    EXPECT_EQ(selector->GetCurrentTag(), HashName("c1"));
    w.Post(w.Find("c0"), cur, eUIEvent_Select, 0); // a deselection moves nothing
    w.Ticks(20);
    EXPECT_FLOAT_EQ(y(), 50.0f);
    selector->MoveTo(HashName("nowhere"), true);
    EXPECT_FLOAT_EQ(y(), 50.0f);
    selector->MoveTo(HashName("c0"), true);
    EXPECT_FLOAT_EQ(y(), 100.0f);
}

TEST(UISliderSize, ValueAlongTheAxis)
{
    struct Case {
        const char* keys;
        const char* sprite;
        float w, h;
    };
    const Case cases[] = {
        {"value = 0.5, size = { width = 200, height = 16 }, direciton = 0", "SpriteRenderer", 100, 16},
        {"value = 0.333, size = { width = 200, height = 16 }, direciton = 0", "SpriteRenderer", 66, 16},
        {"value = 0.5, size = { width = 200, height = 16 }, direciton = 1", "SpriteRenderer", 200, 8},
        {"value = 0.5, size = { width = 200, height = 16 }", "SpriteRenderer", 100, 16}, // absent: horizontal
        {"value = 0.5, size = { width = 200, height = 16 }, direction = 1", "SpriteRenderer", 100, 16}, // not read
        {"value = 0.5, size = { width = 200, height = 16 }, direciton = 5", "SpriteRenderer", 200, 16},
        {"value = 0.25, direciton = 0", "SpriteRenderer", 30, 10}, // the sprite's own 120 x 10
        {"value = 0.5, size = { width = 200, height = 16 }, direciton = 0", "SlicedSpriteRenderer", 100, 16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.sprite) + " " + c.keys);
        std::map<std::string, std::string> files = {
            {"stage/stage_W", "stage_W = { object_name = 'stage', object_layer = 1, object_activity = 1,"
                              "  children = { { base_script = 'gauge' } } }"},
            Obj("gauge", "", true, std::string("UISlider = { foreground = 'fg', ") + c.keys + " }", {"fg"}),
            Obj("fg", "fg", true, std::string(c.sprite) + " = { size = { width = 120, height = 10 } }"),
        };
        UIWorld w(files, "stage_W");
        SpriteRenderer* sprite = w.Get<UISlider>("gauge")->GetForeground();
        ASSERT_NE(sprite, nullptr);
        if (std::string(c.sprite) == "SlicedSpriteRenderer") {
            auto* sliced = static_cast<SlicedSpriteRenderer*>(sprite);
            EXPECT_EQ(sliced->GetDrawWidth(), c.w);
            EXPECT_EQ(sliced->GetDrawHeight(), c.h);
        } else {
            EXPECT_EQ(sprite->GetWidth(), c.w);
            EXPECT_EQ(sprite->GetHeight(), c.h);
            EXPECT_EQ(sprite->GetBaseWidth(), c.w);
        }
    }
}

// Without its foreground the gauge says so and goes on; Apply then does nothing.
TEST(UISliderSize, MissingForegroundIsAnError)
{
    std::map<std::string, std::string> files = {
        {"stage/stage_W", "stage_W = { object_name = 'stage', object_layer = 1, object_activity = 1,"
                          "  children = { { base_script = 'gauge' } } }"},
        Obj("gauge", "", true, "UISlider = { foreground = 'nothing', value = 1 }"),
    };
    UIWorld w(files, "stage_W");
    auto* slider = w.Get<UISlider>("gauge");
    EXPECT_EQ(slider->GetForeground(), nullptr);
    slider->SetValue(0.5f);
    slider->Apply();
    w.Tick();
}

TEST(UIWheelSpin, ForceDecaysUntilItStops)
{
    std::map<std::string, std::string> files = {
        {"stage/stage_W", "stage_W = { object_name = 'stage', object_layer = 1, object_activity = 1,"
                          "  children = { { base_script = 'wheel' } } }"},
        Obj("wheel", "", true, "Transform = {}, UIWheel = { force = 1, friction = 0.9, base_rps = 1 }"),
    };
    UIWorld w(files, "stage_W");
    auto* wheel = w.Get<UIWheel>("wheel");
    wheel->SetForce(1.0f);
    const float angle0 = wheel->GetAngle();
    double expected = angle0;
    float force = 1.0f;
    for (int i = 0; i < 3; ++i) {
        w.Tick(0.1f);
        force *= 0.9f;
        expected += 6.2831854820251465 * 0.1 * force;
        EXPECT_FLOAT_EQ(wheel->GetForce(), force);
        EXPECT_NEAR(wheel->GetAngle(), expected, 1e-4);
    }
    const Matrix4x4& m = w.Find("wheel")->GetTransform()->LocalMatrix();
    EXPECT_NEAR(m.m[0][0], std::cos(-wheel->GetAngle()), 1e-6);
    EXPECT_NEAR(m.m[0][1], std::sin(-wheel->GetAngle()), 1e-6);
    EXPECT_NEAR(m.m[1][0], -std::sin(-wheel->GetAngle()), 1e-6);
    w.Ticks(200);
    EXPECT_LE(std::fabs(wheel->GetForce()), 1e-6f);
    const float stopped = wheel->GetAngle();
    const float stoppedForce = wheel->GetForce();
    w.Ticks(5);
    EXPECT_EQ(wheel->GetAngle(), stopped);
    EXPECT_EQ(wheel->GetForce(), stoppedForce);
}

// A friction that would let the force grow (above 1 either way, or no number) is refused with
// an error naming the object and the key, keeping 0: the spin never reaches an endless angle.
TEST(UIWheelSpin, FrictionThatWouldGrowIsRefused)
{
    struct Case {
        const char* friction;
        bool refused;
    };
    const Case cases[] = {{"1", false}, {"-1", false}, {"0.5", false}, {"1.5", true}, {"-1.5", true}, {"0/0", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.friction);
        std::map<std::string, std::string> files = {
            {"stage/stage_W", "stage_W = { object_name = 'stage', object_layer = 1, object_activity = 1,"
                              "  children = { { base_script = 'wheel' } } }"},
            Obj("wheel", "", true,
                std::string("Transform = {}, UIWheel = { force = 1, base_rps = 1, friction = ") + c.friction + " }"),
        };
        testing::internal::CaptureStdout();
        UIWorld w(files, "stage_W");
        const std::string log = testing::internal::GetCapturedStdout();
        const size_t at = log.find("ERROR");
        EXPECT_EQ(at != std::string::npos, c.refused) << log;
        if (c.refused) {
            EXPECT_NE(log.find("\"wheel\"", at), std::string::npos) << log;
            EXPECT_NE(log.find("friction", at), std::string::npos) << log;
        }
        auto* wheel = w.Get<UIWheel>("wheel");
        wheel->SetForce(1.0f);
        w.Ticks(300);
        EXPECT_TRUE(std::isfinite(wheel->GetForce()));
        EXPECT_TRUE(std::isfinite(wheel->GetAngle()));
        EXPECT_LE(std::fabs(wheel->GetForce()), 1.0f);
    }
}

// The title menu: the first selection is silent, each move after it plays the select sound;
// locked, pads reach nothing and the selection stays; unlocked, they move it again.
TEST(UITitleMenu, SelectSoundAndLock)
{
    SilentSound sound;
    std::map<std::string, std::string> files = {
        {"stage/stage_W", "stage_W = { object_name = 'stage', object_layer = 1, object_activity = 1,"
                          "  children = { { base_script = 'ui_root' } } }"},
        Obj("ui_root", "", true, "UIRoot = {}", {"menu"}),
        Obj("menu", "ui_title_select", true, "UIFrameTitleSelect = { sound_effect = { select = 'se_sel' } }",
            {"b", "a"}),
        Obj("a", "select_start", true, "UIButtonKeys = { down = 'select_exit', start_selected = true }"),
        Obj("b", "select_exit", true, "UIButtonKeys = { up = 'select_start' }"),
    };
    UIWorld w(files, "stage_W");
    w.Tick();
    auto* menu = w.Get<UIFrameTitleSelect>("menu");
    auto sounds = [&] {
        size_t n = 0;
        for (IAudioSource* s : sound.manager.GetSeList())
            n += s->GetKey() == HashName("se_sel");
        return n;
    };
    ASSERT_EQ(w.Root("ui_root")->GetSelected(), w.Find("menu"));
    ASSERT_EQ(ObjectLabel(menu->GetSelected()), "a");
    EXPECT_EQ(sounds(), 0u);
    struct Step {
        bool locked;
        uint32_t pad;
        const char* selected;
        size_t sounds;
    };
    const Step steps[] = {
        {false, 2, "b", 1}, {true, 1, "b", 1}, {true, 2, "b", 1}, {false, 1, "a", 2}, {false, 1, "a", 2},
    };
    for (const Step& st : steps) {
        SCOPED_TRACE(std::to_string(st.locked) + " Pad(" + std::to_string(st.pad) + ")");
        menu->m_bLocked = st.locked;
        w.Post(w.Find("ui_root"), w.Find("menu"), eUIEvent_Pad, static_cast<int32_t>(st.pad));
        w.Ticks(2);
        EXPECT_EQ(ObjectLabel(menu->GetSelected()), st.selected);
        EXPECT_EQ(sounds(), st.sounds);
    }
    // Locked, even a selection posted to the menu itself leaves everything as it is.
    menu->m_bLocked = 1;
    w.Post(w.Find("ui_root"), w.Find("menu"), eUIEvent_Select, 0);
    w.Ticks(2);
    EXPECT_EQ(ObjectLabel(menu->GetSelected()), "a");
}
