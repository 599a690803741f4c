#include <gtest/gtest.h>

#include "Components/Core/FontRenderer.h"
#include "Components/Game/GimmickActivateObject.h"
#include "Components/Game/GimmickObjectName.h"
#include "Components/Game/GimmickOpenMenu.h"
#include "Components/Game/GimmickTalkMessage.h"
#include "Components/Game/TalkChannel.h"
#include "Components/UI/UIHud.h"
#include "Components/UI/UITalkWindow.h"
#include "GameFixture.h"
#include "UI/UIFixture.h"

namespace {


// The stage: a UI root with its panels, a toucher on the player's layer, one on the stage's,
// and the gimmick under test.
std::map<std::string, std::string> GimmickFiles(const std::string& gimmick, const std::string& panels = "")
{
    return {
        {"stage/stage_G", "stage_G = { object_name = 'stage', object_layer = 1, object_activity = 1,"
                          "  components = { Transform = {}, TestStageSize = {} },"
                          "  children = { { base_script = 'ui_root' }, { base_script = 'toucher' },"
                          "    { base_script = 'prop' }, { base_script = 'gimmick' } } }"},
        {"game_objects/ui_root", "ui_root = { object_name = 'root', object_layer = 2048, object_activity = 1,"
                                 "  components = { UIRoot = {} }, children = { " +
                                     panels + " } }"},
        {"game_objects/toucher", "toucher = { object_name = 'toucher', object_layer = 2, object_activity = 1,"
                                 "  components = { Transform = {} } }"},
        {"game_objects/prop", "prop = { object_name = 'prop', object_layer = 1, object_activity = 1,"
                              "  components = { Transform = {} } }"},
        {"game_objects/gimmick", gimmick},
        // UI pieces to build on: a prototype may not contain itself, so one per level.
        {"game_objects/piece", "piece = { object_layer = 2048, object_activity = 1, components = { Transform = {} } }"},
        {"game_objects/piece2", "piece2 = { object_layer = 2048, object_activity = 1, components = { Transform = {} } }"},
        {"game_objects/piece3", "piece3 = { object_layer = 2048, object_activity = 1, components = { Transform = {} } }"},
    };
}

class GimmickTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        m_pWorld.reset();
        g_bUILocked = 0;
        g_TalkChannelQueue.Clear(0);
    }
    void Build(const std::map<std::string, std::string>& files)
    {
        m_pWorld.reset();
        g_bUILocked = 0;
        g_TalkChannelQueue.Clear(0);
        m_pWorld = std::make_unique<UIWorld>(files);
        g_pComponentFactory->RegisterClass<TestStageSize>();
        m_pWorld->Scene()->RequestStage("stage_G");
        m_pWorld->Tick();
    }
    // One frame with pad A held or not.
    void Tick(bool holdA = false)
    {
        if (holdA)
            m_pWorld->Keyboard().Hold(kKeyPadA);
        else
            m_pWorld->Keyboard().Release(kKeyPadA);
        m_pWorld->Tick();
    }
    GameObj* Find(const std::string& name) const { return m_pWorld->Find(name); }
    static CollisionInfo Contact(GameObj* other) { return CollisionInfo{other, 0, 0, 0, 0, 0, 0, 0, 0}; }

    std::unique_ptr<UIWorld> m_pWorld;
};

} // namespace

// The hidden target moves by its offset and hides; a toucher of the layers shows it (restarting
// it), one of other layers does not; the touch's end hides it only with "only_overlap", through
// its tween (a Closing event, so a frame later) when it has one.
TEST_F(GimmickTest, ActivateObjectShowsAndHides)
{
    struct Case {
        const char* name;
        const char* keys;
        const char* targetMore;
        const char* toucher;
        bool shown, hiddenAtOnce, hiddenNextFrame;
    };
    const Case cases[] = {
        {"only_overlap", "only_overlap = true, layer_mask = 2", "", "toucher", true, true, true},
        {"stays without only_overlap", "layer_mask = 2", "", "toucher", true, false, false},
        {"closes through its tween", "only_overlap = true", "UIActivateTween = {},", "toucher", true, false, true},
        {"another layer", "only_overlap = true, layer_mask = 2", "", "prop", false, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Build(GimmickFiles(std::string("gimmick = { object_name = 'board', object_layer = 1, object_activity = 1,"
                                       "  components = { Transform = { position = { x = 100, y = 50 } },"
                                       "    GimmickActivateObject = { target = 'hint', target_offset = { x = 5, y = 7 }, ") +
                           c.keys +
                           " } },"
                           "  children = { { base_script = 'piece', object_name = 'hint', object_tag = 'hint',"
                           "    components = { " +
                           c.targetMore + " } } } }"));
        GameObj* hint = Find("hint");
        EXPECT_FALSE(hint->IsActive());
        EXPECT_FLOAT_EQ(WorldPosition(hint).x, 105.0f);
        EXPECT_FLOAT_EQ(WorldPosition(hint).y, 57.0f);
        auto& g = *static_cast<GimmickActivateObject*>(Find("board")->GetComponent(GimmickActivateObject::s_Class.Key));
        g.OnCollisionEnter(Contact(Find(c.toucher)));
        EXPECT_EQ(hint->IsActive(), c.shown);
        if (c.shown) {
            g.OnCollisionEnter(Contact(Find(c.toucher))); // again: off, then on
            EXPECT_TRUE(hint->IsActive());
        }
        g.OnCollisionExit(Contact(Find(c.toucher)));
        EXPECT_EQ(!hint->IsActive(), c.hiddenAtOnce);
        Tick();
        Tick();
        EXPECT_EQ(!hint->IsActive(), c.hiddenNextFrame);
    }
}

// The name plate on contact (and on every stay with "is_collision_stay"): the own name, or the
// toucher's with "is_other", for the display time; a toucher of other layers shows nothing.
TEST_F(GimmickTest, ObjectNameOnContact)
{
    struct Case {
        const char* name;
        const char* keys;
        const char* toucher;
        bool stay; // the contact is a stay, not an enter
        const char* shown;
    };
    const Case cases[] = {
        {"own name on enter", "", "toucher", false, "signpost"},
        {"toucher's name", "is_other = true", "toucher", false, "toucher"},
        {"stay ignored", "", "toucher", true, ""},
        {"stay shown", "is_collision_stay = true", "toucher", true, "signpost"},
        {"other layer", "layer_mask = 2", "prop", false, ""},
    };
    const std::string hud = "{ base_script = 'piece', object_name = 'hud', object_tag = 'ui_hud',"
                            "  components = { UIFrameHud = { object_name = 'plate' } }, children = {"
                            "    { base_script = 'piece2', object_name = 'plate', object_tag = 'plate',"
                            "      components = { UIHudObjectName = { label_object_name = 'lbl' } },"
                            "      children = { { base_script = 'piece3', object_name = 'lbl', object_tag = 'lbl',"
                            "        components = { FontRenderer = {} } } } } } }";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Build(GimmickFiles(std::string("gimmick = { object_name = 'signpost', object_layer = 1, object_activity = 1,"
                                       "  components = { Transform = {}, GimmickObjectName = { display_time = 2.5, ") +
                               c.keys + " } } }",
                           hud));
        auto& g = *static_cast<GimmickObjectName*>(Find("signpost")->GetComponent(GimmickObjectName::s_Class.Key));
        if (c.stay)
            g.OnCollisionStay(Contact(Find(c.toucher)));
        else
            g.OnCollisionEnter(Contact(Find(c.toucher)));
        auto* plate = static_cast<UIHudObjectName*>(Find("plate")->GetComponent(UIHudObjectName::s_Class.Key));
        auto* label = static_cast<FontRenderer*>(Find("lbl")->GetComponent(FontRenderer::s_Class.Key));
        EXPECT_EQ(label->GetText(), c.shown);
        EXPECT_FLOAT_EQ(plate->GetRemainingTime(), *c.shown ? 2.5f : 0.0f);
    }
}

// A menu opens only on the frame of the press while something stands on the gimmick, and
// locks the UI only when a panel opened.
TEST_F(GimmickTest, OpenMenuOnPressEdge)
{
    struct Step {
        const char* what;
        bool overlap, holdA;
        bool open, locked;
    };
    const Step steps[] = {
        {"pressed off the gimmick", false, true, false, false},
        {"held onto it: no edge", true, true, false, false},
        {"released", true, false, false, false},
        {"pressed on it", true, true, true, true},
    };
    const std::string menu = "{ base_script = 'piece', object_name = 'menu', object_tag = 'ui_menu', object_activity = 0,"
                             "  components = { UIFrame = {} } }";
    for (const char* tag : {"ui_menu", "ui_nothing"}) {
        SCOPED_TRACE(tag);
        Build(GimmickFiles(std::string("gimmick = { object_name = 'pad', object_layer = 1, object_activity = 1,"
                                       "  components = { Transform = {}, GimmickOpenMenu = { open_menu_name = '") +
                               tag + "', open_pad = 16 } } }",
                           menu));
        auto& g = *static_cast<GimmickOpenMenu*>(Find("pad")->GetComponent(GimmickOpenMenu::s_Class.Key));
        const bool known = std::string(tag) == "ui_menu";
        for (const Step& s : steps) {
            SCOPED_TRACE(s.what);
            if (s.overlap)
                g.OnCollisionStay(Contact(Find("prop"))); // any layer
            Tick(s.holdA);
            Tick(s.holdA); // the opening arrives by message
            EXPECT_EQ(Find("menu")->IsActive(), s.open && known);
            EXPECT_EQ(g_bUILocked, s.locked && known ? 1 : 0);
            EXPECT_FALSE(g.m_bOverlapping) << "forgotten every frame";
        }
    }
}

// The talk gimmick's steps: a random text only into an empty channel, the window opened on the
// press while overlapped, one line per "next", closing at the end and the window freed; without
// a collider no overlap is needed and with "open_pad" 0 no press.
TEST_F(GimmickTest, TalkMessageSteps)
{
    struct Case {
        const char* name;
        const char* keys;
        const char* collider;
        std::vector<std::string> waiting; // lines in the channel before the first frame
        bool needsPress, needsOverlap;
        std::vector<std::string> shown;
    };
    const Case cases[] = {
        {"random text, press and overlap", "open_pad = 16, random_texts = { 'hello' }",
         "Box2DCollider = { size = { width = 10, height = 10 }, cullingMask = 0 },", {}, true, true, {"hello"}},
        {"waiting lines, no random text", "open_pad = 16, random_texts = { 'hello' }",
         "Box2DCollider = { size = { width = 10, height = 10 }, cullingMask = 0 },", {"one", "two"}, true, true,
         {"one", "two"}},
        {"no collider, open_pad 0", "open_pad = 0, auto_display_time = 3", "", {"only"}, false, false, {"only"}},
    };
    const std::string window = "{ base_script = 'piece', object_name = 'talk', object_tag = 'ui_lisvet_window',"
                               "  object_activity = 0, components = { UIActivateTween = {}, UITalkWindow = {} } }";
    const NameId channel = HashName("HomeBaseLisvet");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto files = GimmickFiles(std::string("gimmick = { object_name = 'lisvet', object_layer = 1, object_activity = 1,"
                                              "  components = { Transform = {}, ") +
                                      c.collider +
                                      " GimmickTalkMessage = { talk_window = 'ui_lisvet_window',"
                                      "   message_type = 'HomeBaseLisvet', " +
                                      c.keys + " } } }",
                                  window);
        Build(files);
        g_TalkChannelQueue.Clear(0);
        for (const std::string& line : c.waiting)
            g_TalkChannelQueue.PushBack(channel, line);
        auto& g = *static_cast<GimmickTalkMessage*>(Find("lisvet")->GetComponent(GimmickTalkMessage::s_Class.Key));
        UITalkWindow* w = g.GetWindow();
        ASSERT_NE(w, nullptr);
        g.m_nStep = eGimmickTalk_Fill;
        Tick();
        EXPECT_EQ(g_TalkChannelQueue.Count(channel), c.shown.size());
        if (c.needsPress || c.needsOverlap) {
            Tick(false);
            Tick(true); // pressed, not overlapped
            EXPECT_EQ(g.m_nStep, eGimmickTalk_Open);
            Tick(false);
            g.OnCollisionStay(Contact(Find("toucher")));
            Tick(true);
        } else {
            Tick();
        }
        EXPECT_EQ(g.m_nStep, eGimmickTalk_Play);
        EXPECT_TRUE(Find("talk")->IsActive());
        EXPECT_EQ(w->GetListener(), Find("lisvet"));
        if (!c.needsPress) {
            EXPECT_FLOAT_EQ(w->m_fAutoDisplayTime, 3.0f);
        }
        for (const std::string& line : c.shown) {
            Tick();
            EXPECT_EQ(w->m_Text, line);
            Tick();
            EXPECT_EQ(w->m_Text, line) << "one line per next";
            EXPECT_EQ(g.m_nStep, eGimmickTalk_Play);
            w->PostNext();
            Tick();
        }
        EXPECT_EQ(g.m_nStep, eGimmickTalk_Close);
        Tick();
        EXPECT_FALSE(Find("talk")->IsActive()) << "closed through its tween";
        EXPECT_EQ(w->GetListener(), nullptr);
        EXPECT_EQ(g.m_nStep, eGimmickTalk_Fill);
        Tick();
        EXPECT_EQ(g.m_nStep, eGimmickTalk_Open) << "ready again";
    }
}

// An empty channel without random texts never opens the window; a missing panel or window is
// one error and the gimmick stays idle.
TEST_F(GimmickTest, TalkMessageIdleCases)
{
    struct Case {
        const char* name;
        const char* panel;
        bool error;
    };
    const Case cases[] = {
        {"nothing to say", "{ base_script = 'piece', object_name = 'talk', object_tag = 'ui_lisvet_window',"
                           "  object_activity = 0, components = { UIActivateTween = {}, UITalkWindow = {} } }",
         false},
        {"no panel", "", true},
        {"panel without window", "{ base_script = 'piece', object_name = 'talk', object_tag = 'ui_lisvet_window',"
                                 "  object_activity = 0, components = { UIFrame = {} } }",
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::internal::CaptureStdout();
        Build(GimmickFiles("gimmick = { object_name = 'lisvet', object_layer = 1, object_activity = 1,"
                           "  components = { Transform = {}, GimmickTalkMessage = { talk_window = 'ui_lisvet_window',"
                           "    message_type = 'ImmediateLisvet', open_pad = 0 } } }",
                           c.panel));
        for (int i = 0; i < 10; ++i)
            Tick(i % 2 == 0);
        const std::string log = testing::internal::GetCapturedStdout();
        auto& g = *static_cast<GimmickTalkMessage*>(Find("lisvet")->GetComponent(GimmickTalkMessage::s_Class.Key));
        EXPECT_EQ(g.m_nStep, c.error ? eGimmickTalk_Fill : eGimmickTalk_Open);
        if (GameObj* talk = Find("talk")) {
            EXPECT_FALSE(talk->IsActive());
        }
        size_t errors = 0;
        for (size_t at = log.find("it shows nothing"); at != std::string::npos;
             at = log.find("it shows nothing", at + 1))
            ++errors;
        EXPECT_EQ(errors, c.error ? 1u : 0u) << log;
    }
}
