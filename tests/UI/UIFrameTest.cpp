#include "UI/UIFixture.h"

#include <algorithm>

namespace {

// root > outer (frame) > inner (frame) > leaf (widget); the root also holds a widget "w" and the
// inactive frames "win" (close_pad 32) and "quiet" (not_select).
std::map<std::string, std::string> FrameFiles()
{
    return {
        {"stage/stage_UI",
         "stage_UI = { object_name = 'stage', object_layer = 1, object_activity = 1,"
         "  children = { { base_script = 'ui_root' }, { base_script = 'listener' }, { base_script = 'loose' } } }"},
        {"game_objects/ui_root",
         "ui_root = { object_name = 'root', object_layer = 2048, object_activity = 1,"
         "  components = { UIRoot = {} },"
         "  children = { { base_script = 'outer' }, { base_script = 'w' }, { base_script = 'win' },"
         "               { base_script = 'quiet' } } }"},
        {"game_objects/outer", "outer = { object_name = 'outer', object_tag = 'ui_outer', object_layer = 2048,"
                               " object_activity = 1, components = { TestFrame = {} },"
                               " children = { { base_script = 'inner' } } }"},
        {"game_objects/inner", "inner = { object_name = 'inner', object_layer = 2048, object_activity = 1,"
                               " components = { TestFrame = {} }, children = { { base_script = 'leaf' } } }"},
        {"game_objects/leaf", "leaf = { object_name = 'leaf', object_layer = 2048, object_activity = 1,"
                              " components = { TestWidget = {} } }"},
        {"game_objects/w", "w = { object_name = 'w', object_layer = 2048, object_activity = 1,"
                           " components = { TestWidget = {} } }"},
        {"game_objects/win", "win = { object_name = 'win', object_tag = 'ui_win', object_layer = 2048,"
                             " object_activity = 0, components = { TestFrame = { close_pad = 32 } } }"},
        {"game_objects/quiet", "quiet = { object_name = 'quiet', object_tag = 'ui_quiet', object_layer = 2048,"
                               " object_activity = 0, components = { TestFrame = { not_select = true } } }"},
        {"game_objects/listener", "listener = { object_name = 'listener', object_layer = 1, object_activity = 1,"
                                  " components = { TestListener = {} } }"},
        {"game_objects/loose", "loose = { object_name = 'loose', object_layer = 1, object_activity = 0,"
                               " components = { TestFrame = {} }, children = { { base_script = 'loose_w' } } }"},
        {"game_objects/loose_w", "loose_w = { object_name = 'loose_w', object_layer = 1, object_activity = 1,"
                                 " components = { TestWidget = {} } }"},
    };
}

std::vector<std::string> After(uint32_t frame, const std::string& who = "")
{
    std::vector<std::string> out;
    for (const UIRecord& r : UIRecords())
        if (r.frame > frame && (who.empty() || r.who == who))
            out.push_back(r.who + ":" + r.what);
    return out;
}

} // namespace

TEST(UIWidgetRouting, EachKindReachesItsOperation)
{
    struct Case {
        MsgUIEventKind kind;
        int32_t param;
        int32_t param2;
        const char* text;
        const char* expected; // "" : no operation
    };
    UIWorld w(FrameFiles(), "stage_UI");
    GameObj* target = w.Find("w");
    const int32_t leafId = w.Find("leaf")->GetId();
    const Case cases[] = {
        {eUIEvent_None, 1, 0, "", ""},
        {eUIEvent_Hover, 1, 0, "", "Hover(1)"},
        {eUIEvent_Press, 0x100, 0, "", "Press(0)"}, // the flag is the low byte alone
        {eUIEvent_Press, 0x101, 0, "", "Press(1)"},
        {eUIEvent_Select, 1, 0, "", "Select(1)"},
        {eUIEvent_Click, 0, 0, "", "Click"},
        {eUIEvent_DoubleClick, 0, 0, "", "DoubleClick"},
        {eUIEvent_Drag, 3, -4, "", "Drag(3,-4)"},
        {eUIEvent_Drop, leafId, 0, "", "Drop(leaf)"},
        {eUIEvent_Drop, -1, 0, "", "Drop(none)"},
        {eUIEvent_Input, 0, 0, "abc", "Input(abc)"},
        {eUIEvent_Tooltip, 0, 0, "", "Tooltip(0)"},
        {eUIEvent_Scroll, -1, 2, "", "Scroll(-1,2)"},
        {eUIEvent_Pad, 0x8000, 0, "", "Pad(32768)"},
        {eUIEvent_Open, 1, 0, "", ""},
        {eUIEvent_Closing, leafId, 0, "", "Closing(leaf)"},
        {eUIEvent_Closing, 987654, 0, "", "Closing(none)"}, // an id nobody has
        {eUIEvent_Close, 1, 0, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        const uint32_t base = w.Frame();
        auto* e = new MsgUIEvent(w.Find("root"));
        e->m_eKind = c.kind;
        e->m_nParam = c.param;
        e->m_nParam2 = c.param2;
        e->m_Text = c.text;
        target->PostMessage(e, 0.0f);
        w.Tick();
        const std::vector<std::string> expected =
            *c.expected ? std::vector<std::string>{std::string("w:") + c.expected} : std::vector<std::string>{};
        EXPECT_EQ(After(base, "w"), expected);
    }
}

TEST(UIFrameNesting, EventsAndResultsForwardDownTheSelectionButSelectDoesNot)
{
    UIWorld w(FrameFiles(), "stage_UI");
    UIRoot* root = w.Root("root");
    auto* outer = w.Get<TestFrame>("outer");
    auto* inner = w.Get<TestFrame>("inner");
    // Opening: the outer frame is the root's selection, the inner one the outer's.
    EXPECT_EQ(root->GetSelected(), w.Find("outer"));
    EXPECT_EQ(outer->GetSelected(), w.Find("inner"));
    EXPECT_EQ(inner->GetRoot(), root);
    EXPECT_EQ(inner->GetFrame(), outer);
    EXPECT_EQ(outer->GetFrame(), nullptr);
    inner->SetSelection(w.Find("leaf"));
    w.Ticks(2);
    struct Case {
        const char* name;
        std::function<void()> post;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"press forwarded frame by frame",
         [&] { w.Post(w.Find("w"), w.Find("outer"), eUIEvent_Press, 1); },
         {"outer:Press(1)", "inner:Press(1)", "leaf:Press(1)"}},
        {"select stays", [&] { w.Post(w.Find("w"), w.Find("outer"), eUIEvent_Select, 1); }, {"outer:Select(1)"}},
        {"results forwarded",
         [&] {
             auto* r = new MsgUIResult(w.Find("w"));
             r->m_Values = {1, 2};
             w.Find("outer")->PostMessage(r, 0.0f);
         },
         {"outer:Result(2)", "inner:Result(2)", "leaf:Result(2)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const uint32_t base = w.Frame();
        c.post();
        w.Ticks(4);
        std::vector<std::string> got;
        for (const UIRecord& r : UIRecords())
            if (r.frame > base)
                got.push_back(r.who + ":" + r.what);
        EXPECT_EQ(got, c.expected);
        // Each hop is one delivery later and names the frame that forwarded it.
        for (const UIRecord& r : UIRecords())
            if (r.frame > base && r.who == "leaf") {
                EXPECT_EQ(r.sender, c.name[0] == 'r' ? "" : "inner");
            }
    }
}

TEST(UIFrameLifecycle, OpenClosingAndCloseWithTheRoot)
{
    UIWorld w(FrameFiles(), "stage_UI");
    UIRoot* root = w.Root("root");
    w.Ticks(2); // the opening of the frames present from the start
    ASSERT_EQ(UIRoot::AddListenerToAll(w.Find("listener")), 1);
    const uint32_t opened = w.Frame();
    GameObj* winObj = w.Find("win");
    auto* win = w.Get<TestFrame>("win");
    ASSERT_NE(UIRoot::OpenPanel(HashName("ui_win")), nullptr);
    w.Ticks(5);
    EXPECT_EQ(root->GetSelected(), winObj);
    EXPECT_FALSE(win->IsClosing());
    const std::string winId = std::to_string(winObj->GetId());
    // The listener hears the Open the window sent to the root.
    EXPECT_EQ(After(opened, "listener"), std::vector<std::string>{"listener:Event(12,0,win)"});

    // close_pad: exactly 32 closes; 48 holds 32 and more, 16 is another button.
    struct PadCase {
        uint32_t mask;
        bool closes;
    };
    for (PadCase c : {PadCase{48, false}, PadCase{16, false}, PadCase{32, true}}) {
        SCOPED_TRACE(c.mask);
        const uint32_t base = w.Frame();
        w.Post(w.Find("root"), winObj, eUIEvent_Pad, static_cast<int32_t>(c.mask));
        w.Ticks(5);
        std::vector<std::string> expected = {"win:Pad(" + std::to_string(c.mask) + ")"};
        if (c.closes)
            expected.push_back("win:Closing(win)");
        EXPECT_EQ(After(base, "win"), expected);
        EXPECT_EQ(win->IsClosing(), c.closes);
        if (c.closes) {
            EXPECT_EQ(After(base, "listener"), std::vector<std::string>{"listener:Event(13," + winId + ",win)"});
        }
    }
    // The owner deactivates it: Close reaches the root, which steps back to the outer frame.
    const uint32_t base = w.Frame();
    winObj->Deactivate();
    w.Ticks(3);
    EXPECT_EQ(root->GetSelected(), w.Find("outer"));
    EXPECT_EQ(After(base, "listener"), std::vector<std::string>{"listener:Event(14,0,win)"});
    EXPECT_EQ(After(base, "outer"), std::vector<std::string>{"outer:Select(1)"});
}

TEST(UIFrameLifecycle, NotSelectLeavesTheSelectionAndSetSelectionRepeatsNothing)
{
    UIWorld w(FrameFiles(), "stage_UI");
    UIRoot* root = w.Root("root");
    ASSERT_NE(UIRoot::OpenPanel(HashName("ui_quiet")), nullptr);
    w.Ticks(3);
    EXPECT_TRUE(w.Find("quiet")->IsActive());
    EXPECT_EQ(root->GetSelected(), w.Find("outer"));
    auto* outer = w.Get<TestFrame>("outer");
    const uint32_t base = w.Frame();
    outer->SetSelection(w.Find("inner"));
    w.Ticks(2);
    EXPECT_TRUE(After(base).empty());
}

TEST(UIFrameLifecycle, AFrameOutsideAUITreeSelectsAndPostsNothing)
{
    UIWorld w(FrameFiles(), "stage_UI");
    auto* loose = w.Get<TestFrame>("loose");
    const uint32_t base = w.Frame();
    w.Find("loose")->Activate();
    loose->SetSelection(w.Find("loose_w"));
    w.Post(w.Find("w"), w.Find("loose"), eUIEvent_Pad, 0);
    w.Find("loose")->Deactivate();
    w.Ticks(3);
    EXPECT_EQ(loose->GetRoot(), nullptr);
    EXPECT_EQ(After(base, "loose_w"), std::vector<std::string>{});
    EXPECT_EQ(w.Root("root")->GetSelected(), w.Find("outer"));
}
