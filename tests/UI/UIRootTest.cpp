#include "UI/UIFixture.h"

#include "Components/Core/Camera2D.h"

#include <algorithm>
#include <functional>

namespace {

// A stage with one UI root; the root's panels are the widgets "x" and "y" and a group holding
// the widget "z". The listener sits beside the root.
std::map<std::string, std::string> RootFiles(const std::string& extraPanels = "")
{
    return {
        {"stage/stage_UI",
         "stage_UI = { object_name = 'stage', object_layer = 1, object_activity = 1,"
         "  components = { Transform = {} },"
         "  children = { { base_script = 'ui_root' }, { base_script = 'listener' } } }"},
        {"game_objects/ui_root",
         "ui_root = { object_name = 'root', object_layer = 2048, object_activity = 1,"
         "  components = { UIRoot = { camera = 'UICamera' } },"
         "  children = { { base_script = 'w_x' }, { base_script = 'w_y' }, { base_script = 'group' }" +
             extraPanels + " } }"},
        {"game_objects/w_x", "w_x = { object_name = 'x', object_tag = 'tag_x', object_layer = 2048, object_activity = 1,"
                             " components = { TestWidget = {} } }"},
        {"game_objects/w_y", "w_y = { object_name = 'y', object_tag = 'tag_y', object_layer = 2048, object_activity = 1,"
                             " components = { TestWidget = {} } }"},
        {"game_objects/group", "group = { object_name = 'group', object_layer = 2048, object_activity = 1,"
                               " children = { { base_script = 'w_z' } } }"},
        {"game_objects/w_z", "w_z = { object_name = 'z', object_layer = 2048, object_activity = 1,"
                             " components = { TestWidget = {} } }"},
        {"game_objects/listener", "listener = { object_name = 'listener', object_layer = 1, object_activity = 1,"
                                  " components = { TestListener = {} } }"},
        {"game_objects/panel_hud", "panel_hud = { object_name = 'hud', object_tag = 'ui_hud', object_layer = 2048,"
                                   " object_activity = 1, components = { TestFrame = {} } }"},
        {"game_objects/panel_menu", "panel_menu = { object_name = 'menu', object_tag = 'ui_menu', object_layer = 2048,"
                                    " object_activity = 0, components = { TestFrame = {} } }"},
        {"game_objects/ui_root2",
         "ui_root2 = { object_name = 'root2', object_layer = 2048, object_activity = 1,"
         "  components = { UIRoot = {} }, children = { { base_script = 'panel_hud2' } } }"},
        {"game_objects/panel_hud2", "panel_hud2 = { object_name = 'hud2', object_tag = 'ui_hud', object_layer = 2048,"
                                    " object_activity = 1, components = { TestWidget = {} } }"},
    };
}

// The records since `base`, each as "<frame the root posted it, counted from base> who:what",
// sorted: messages of one delivery come in address order, not in posting order.
std::vector<std::string> Since(uint32_t base)
{
    std::vector<std::string> out;
    for (const UIRecord& r : UIRecords())
        if (r.frame > base + 1)
            out.push_back(std::to_string(r.frame - base - 1) + " " + r.who + ":" + r.what);
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<std::string> Sorted(std::vector<std::string> v)
{
    std::sort(v.begin(), v.end());
    return v;
}

} // namespace

TEST(UIRootInput, ConfirmAndPadEventsReachOnlyAnActiveSelection)
{
    struct Case {
        const char* name;
        const char* select; // the widget selected before the input, or "" for none
        std::function<void(UIWorld&, UIRoot&)> act;
        std::vector<std::string> expected;
    };
    auto hold = [](int key, int frames) {
        return [key, frames](UIWorld& w, UIRoot&) {
            w.Keyboard().Hold(key);
            w.Ticks(frames);
            w.Keyboard().Release(key);
            w.Ticks(2);
        };
    };
    const Case cases[] = {
        {"Down held 40 frames repeats on hold frames 1, 24, 30 and 36", "x", hold(kKeyDown, 40),
         {"1 x:Pad(2)", "24 x:Pad(2)", "30 x:Pad(2)", "36 x:Pad(2)"}},
        {"A held: one Pad(0x10) and the confirm's press, its release on letting go", "x", hold(kKeyPadA, 30),
         {"1 x:Pad(16)", "1 x:Press(1)", "31 x:Click", "31 x:Press(0)"}},
        {"Return pressed and released: Press(true), Press(false), Click", "x", hold(kKeyReturn, 1),
         {"1 x:Press(1)", "2 x:Click", "2 x:Press(0)"}},
        {"B is no confirm: one Pad(0x20) alone", "x", hold(kKeyPadB, 10), {"1 x:Pad(32)"}},
        {"selection moved before release: Press(false) to the first widget, no Click", "x",
         [](UIWorld& w, UIRoot& root) {
             w.Keyboard().Hold(kKeyReturn);
             w.Tick();
             root.Select(w.Find("y"));
             w.Keyboard().Release(kKeyReturn);
             w.Ticks(2);
         },
         {"1 x:Press(1)", "1 x:Select(0)", "1 y:Select(1)", "2 x:Press(0)"}},
        {"no selection: nothing", "",
         [](UIWorld& w, UIRoot&) {
             w.Keyboard().Hold(kKeyReturn);
             w.Keyboard().Hold(kKeyDown);
             w.Ticks(3);
             w.Keyboard().Release(kKeyReturn);
             w.Ticks(2);
         },
         {}},
        {"inactive selection: nothing", "x",
         [](UIWorld& w, UIRoot&) {
             w.Find("x")->Deactivate();
             w.Keyboard().Hold(kKeyReturn);
             w.Keyboard().Hold(kKeyDown);
             w.Ticks(3);
             w.Keyboard().Release(kKeyReturn);
             w.Ticks(2);
         },
         {}},
        {"inactive ancestor of the selection: nothing", "z",
         [](UIWorld& w, UIRoot&) {
             w.Find("group")->Deactivate();
             w.Keyboard().Hold(kKeyReturn);
             w.Keyboard().Hold(kKeyPadA);
             w.Ticks(3);
             w.Keyboard().Release(kKeyReturn);
             w.Ticks(2);
         },
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UIWorld w(RootFiles(), "stage_UI");
        UIRoot* root = w.Root("root");
        ASSERT_NE(root, nullptr);
        if (*c.select)
            root->Select(w.Find(c.select));
        w.Tick();
        const uint32_t base = w.Frame();
        c.act(w, *root);
        EXPECT_EQ(Since(base), Sorted(c.expected));
    }
}

TEST(UIRootSelect, HistorySkipsADeletedEntry)
{
    UIWorld w(RootFiles(), "stage_UI");
    UIRoot* root = w.Root("root");
    root->Select(w.Find("x"));
    root->Select(w.Find("y"));
    root->Select(w.Find("z"));
    EXPECT_EQ(root->GetHistorySize(), 2u);
    w.Tick();
    delete w.Find("y");
    // z closes as a frame does: inactive first, then its Close reaches the root.
    GameObj* z = w.Find("z");
    z->Deactivate();
    w.Post(z, root->GetOwner(), eUIEvent_Close);
    const uint32_t base = w.Frame();
    w.Ticks(2);
    EXPECT_EQ(root->GetSelected(), w.Find("x"));
    EXPECT_EQ(root->GetHistorySize(), 0u);
    // y is skipped without an event, z was inactive and gets none either.
    EXPECT_EQ(Since(base - 1), std::vector<std::string>{"2 x:Select(1)"});
}

TEST(UIRootSelect, ReselectingTheSelectionPostsNothing)
{
    UIWorld w(RootFiles(), "stage_UI");
    UIRoot* root = w.Root("root");
    root->Select(w.Find("x"));
    w.Tick();
    const uint32_t base = w.Frame();
    root->Select(w.Find("x"));
    w.Ticks(2);
    EXPECT_TRUE(Since(base - 1).empty());
    EXPECT_EQ(root->GetHistorySize(), 0u);
}

// A window that deletes itself while selected: its Close may come before its removal, after it
// (with no origin: the object is gone), or not at all. The root never reads the deleted window
// and steps back to the panel selected before it.
TEST(UIRootSelect, RemovedWindowStepsBackInEveryDeliveryOrder)
{
    enum Order { CloseThenRemove, RemoveWithItsClose, RemoveWithoutClose };
    for (Order order : {CloseThenRemove, RemoveWithItsClose, RemoveWithoutClose}) {
        SCOPED_TRACE(order);
        UIWorld w(RootFiles(", { base_script = 'panel_menu' }"), "stage_UI");
        UIRoot* root = w.Root("root");
        root->Select(w.Find("x"));
        w.Tick();
        ASSERT_NE(UIRoot::OpenPanel(HashName("ui_menu")), nullptr);
        w.Ticks(2);
        GameObj* menu = w.Find("menu");
        ASSERT_EQ(root->GetSelected(), menu);
        if (order == CloseThenRemove) {
            menu->Deactivate(); // the frame's Close goes to the root
            w.Tick();
            delete menu;
        } else if (order == RemoveWithItsClose) {
            delete menu; // closes while it goes: the Close arrives with no origin
        } else {
            menu->GetComponent(UIFrame::s_Class.Key)->ClearFlags(eComponentFlag_Enabled);
            delete menu;
        }
        w.Ticks(3);
        EXPECT_EQ(root->GetSelected(), w.Find("x"));
        EXPECT_EQ(root->GetHistorySize(), 0u);
    }
}

TEST(UIRootPanels, FindPanelSearchesTheOlderRootFirst)
{
    UIWorld w(RootFiles(", { base_script = 'panel_hud' }"), "stage_UI");
    w.Scene()->Instantiate("ui_root2", w.Find("stage"), nullptr);
    w.Tick();
    ASSERT_EQ(UIRootList.size(), 2u);
    EXPECT_EQ(UIRoot::FindPanel(HashName("ui_hud")), w.Find("hud"));
    EXPECT_EQ(UIRoot::FindPanel(HashName("tag_y")), w.Find("y"));
    EXPECT_EQ(UIRoot::FindPanel(HashName("nothing")), nullptr);
    // The group has no tag: it is mapped under 0, but z below it is no panel.
    delete w.Find("root");
    EXPECT_EQ(UIRoot::FindPanel(HashName("ui_hud")), w.Find("hud2"));
    EXPECT_EQ(UIRoot::FindPanel(HashName("tag_y")), nullptr);
}

TEST(UIRootPanels, OpenPanelRefusesAndCounts)
{
    struct Case {
        const char* name;
        const char* tag;
        bool locked;
        bool opens;
    };
    const Case cases[] = {
        {"an inactive panel opens", "ui_menu", false, true},
        {"an active panel is refused", "ui_hud", false, false},
        {"an unknown tag is refused", "ui_nothing", false, false},
        {"a lock refuses everything", "ui_menu", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UIWorld w(RootFiles(", { base_script = 'panel_hud' }, { base_script = 'panel_menu' }"), "stage_UI");
        g_bUILocked = c.locked ? 1 : 0;
        GameObj* panel = UIRoot::OpenPanel(HashName(c.tag));
        EXPECT_EQ(panel != nullptr, c.opens);
        EXPECT_EQ(g_PlayStatistics.m_nOpenedPanels, c.opens ? 1 : 0);
        w.Tick();
        if (c.opens) {
            EXPECT_TRUE(panel->IsActive());
            EXPECT_EQ(UIRoot::OpenPanel(HashName(c.tag)), nullptr); // now active
            EXPECT_EQ(g_PlayStatistics.m_nOpenedPanels, 1);
        }
        g_bUILocked = 0;
    }
}

TEST(UIRootPanels, LockIsClearedByANewRootAndByTheLastRootLeaving)
{
    {
        UIWorld w(RootFiles(", { base_script = 'panel_menu' }"));
        g_bUILocked = 1; // left by a stage before
        w.Scene()->RequestStage("stage_UI");
        w.Tick();
        EXPECT_EQ(g_bUILocked, 0);
        EXPECT_NE(UIRoot::OpenPanel(HashName("ui_menu")), nullptr);
        w.Scene()->Instantiate("ui_root2", w.Find("stage"), nullptr);
        w.Tick();
        g_bUILocked = 1;
        delete w.Find("root2");
        EXPECT_EQ(g_bUILocked, 1); // one root is left
        delete w.Find("root");
        EXPECT_EQ(g_bUILocked, 0);
    }
    EXPECT_TRUE(UIRootList.empty());
}

TEST(UIRootListeners, CopiesOfEventsAndResultsGoToEveryListener)
{
    EXPECT_EQ(UIRoot::AddListenerToAll(nullptr), 0);
    UIWorld w(RootFiles(), "stage_UI");
    w.Scene()->Instantiate("ui_root2", w.Find("stage"), nullptr);
    w.Tick();
    EXPECT_EQ(UIRoot::AddListenerToAll(w.Find("listener")), 2);
    UIRoot* root = w.Root("root");
    GameObj* x = w.Find("x");
    const uint32_t base = w.Frame();
    // A Drop naming y, and a result, both from x.
    w.Post(x, root->GetOwner(), eUIEvent_Drop, UIObjectToParam(w.Find("y")));
    auto* result = new MsgUIResult(x);
    result->m_Values = {7, 8, 9};
    root->GetOwner()->PostMessage(result, 0.0f);
    w.Ticks(2);
    std::vector<std::string> got;
    for (const UIRecord& r : UIRecords())
        if (r.frame > base && r.who == "listener")
            got.push_back(r.what + " from " + r.sender);
    std::sort(got.begin(), got.end());
    const std::string drop = "Event(7," + std::to_string(w.Find("y")->GetId()) + ",x) from root";
    EXPECT_EQ(got, Sorted({drop, "Result(3,x) from root"}));
    // The listener is gone: the roots skip it.
    delete w.Find("listener");
    w.Post(x, root->GetOwner(), eUIEvent_Click);
    w.Ticks(2);
}

TEST(UIRootCamera, TheNamedCameraElseTheGameCameraElseNone)
{
    auto files = RootFiles();
    files["game_objects/cam_ui"] =
        "cam_ui = { object_name = 'cam_ui', object_tag = 'UICamera', object_activity = 1,"
        " components = { Transform = {}, Camera2D = { screenSize = { width = 960, height = 540 } } } }";
    files["game_objects/cam_game"] =
        "cam_game = { object_name = 'cam_game', object_tag = 'GameCamera', object_activity = 1,"
        " components = { Transform = {}, Camera2D = { screenSize = { width = 960, height = 540 } } } }";
    struct Case {
        const char* name;
        std::vector<std::string> cameras;
        const char* expected;
    };
    const Case cases[] = {
        {"named camera", {"cam_ui", "cam_game"}, "cam_ui"},
        {"game camera as the fallback", {"cam_game"}, "cam_game"},
        {"no camera", {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string children = "{ base_script = 'ui_root' }";
        for (const std::string& cam : c.cameras)
            children += ", { base_script = '" + cam + "' }";
        files["stage/stage_Cam"] = "stage_Cam = { object_name = 'stage', object_layer = 1, object_activity = 1,"
                                   " children = { " + children + " } }";
        UIWorld w(files, "stage_Cam");
        w.Tick();
        ASSERT_EQ(UIRootList.size(), 1u);
        UIRoot* root = UIRootList.back();
        EXPECT_EQ(root->GetCamera() ? root->GetCamera()->GetOwner()->GetObjectName() : "", c.expected);
    }
}
