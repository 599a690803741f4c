// The title's UI tree in the running game, on a title stage of the test's own (a flat backdrop
// and the UI tree only, without the title flow and its movies): the emblem panel opened by its
// tag fades in and drops into place, as the frame times and the tween's easing say; the title
// menu opened by its tag lights its buttons, moves its cursor and clicks by keys.
#include "Components/UI/UIMenuFrames.h"
#include "Components/UI/UIRoot.h"
#include "Components/UI/UITweener.h"
#include "Support/GameHarness.h"
#include "World/ComponentFactory.h"
#include "World/GameObj.h"
#include "World/IMessage.h"
#include "World/Transform.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// The image generator's colours: the emblem's plate and the blue fill.
constexpr uint32_t kPurple = 0xFF8A55C7;
constexpr uint32_t kFillBlue = 0xFF2040E0;

const char* const kTitleUIStage = R"(
stage_TitleScene = {
  object_name = "Title UI test", object_tag = "Stage", object_layer = LAYER_STAGE, object_activity = ACTIVE,
  components = { Transform = {} },
  children = {
    { base_script = "ui_root_title" },
    { base_script = "test_FlatBackdrop" },
    { base_script = "ui_camera" },
  },
}
)";

// The 16 x 16 blue fill stretched over the screen camera's whole view, behind everything.
const char* const kFlatBackdrop = R"(
test_FlatBackdrop = {
  object_name = "backdrop", object_layer = LAYER_STAGE, object_activity = ACTIVE,
  components = {
    Transform = { position = { x = 480, y = 270, z = 90 }, scaling = { x = 60, y = 34 } },
    SpriteRenderer = { renderingCamera = "UICamera" },
    TextureAtlas = { atlasName = "ui_fill_blue" },
  },
}
)";

// The screen camera sees 0..960 by 0..540 with y up.
// The emblem's plate is probed 24 rows above its middle, clear of the game's name lettered on it.
constexpr int kFinalX = 480, kFinalY = 540 - 270 - 24; // where the emblem ends
constexpr int kStartY = 540 - 370 - 24;                 // where its drop begins

// The button plate's grey, lit by the buttons' TweenColor "to" (255, 170, 40); the cursor's
// yellow.
constexpr uint32_t kPlateGrey = 0xFF8C8C99;
constexpr uint32_t kPlateLit = 0xFF8C5D18;
constexpr uint32_t kCursorYellow = 0xFFF2C94C;
// How far left of a button's middle the cursor's arrow stands.
constexpr int kCursorBeside = 95;

// The UI events the root copies to its listeners: kind and the tag of the widget it came from.
struct SeenEvent {
    MsgUIEventKind kind;
    NameId origin;
};
std::vector<SeenEvent>& SeenEvents()
{
    static std::vector<SeenEvent> events;
    return events;
}

class UIEventRecorder : public Component {
public:
    static inline const ClassKey s_Class{"UIEventRecorder"};
    explicit UIEventRecorder(GameObj* owner) : Component(owner, s_Class) {}
    bool IsKindOf(TypeKey key) const override { return key == s_Class.Key; }
    void OnMessage(IMessage* message) override
    {
        if (message->GetTypeId() != MsgUIEvent::s_Class.Key)
            return;
        const auto* e = static_cast<MsgUIEvent*>(message);
        SeenEvents().push_back({e->m_eKind, e->m_pOrigin ? e->m_pOrigin->GetTag() : 0});
    }
};

// Where an object's centre lands in a frame of the screen camera (read top row first).
int ScreenX(const GameObj* o) { return int(std::lround(o->GetTransform()->WorldMatrix().m[3][0])); }
int ScreenY(const GameObj* o) { return 540 - int(std::lround(o->GetTransform()->WorldMatrix().m[3][1])); }

uint32_t Blend(uint32_t under, uint32_t over, float a)
{
    uint32_t out = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const float u = float((under >> shift) & 0xFF), o = float((over >> shift) & 0xFF);
        out |= uint32_t(std::lround(u * (1.0f - a) + o * a)) << shift;
    }
    return out;
}

} // namespace

TEST(UIEndToEndTest, TheTitleEmblemFadesInAndDropsIntoPlace)
{
    GameHarness game;
    game.WriteFile("assets.v1/scripts/stage/stage_TitleScene.lua", kTitleUIStage);
    game.WriteFile("assets.v1/scripts/game_objects/test_FlatBackdrop.lua", kFlatBackdrop);
    ASSERT_TRUE(game.Start());
    game.Ticks(3);
    GameObj* panel = game.FindObjectByTag("ui_title_logo");
    GameObj* emblem = game.FindObject("ui_title_emblem");
    ASSERT_NE(panel, nullptr);
    ASSERT_NE(emblem, nullptr);
    EXPECT_FALSE(panel->IsActive());
    {
        const HarnessFrame before = game.ReadFrame();
        EXPECT_TRUE(before.Probe(kFinalX, kFinalY, kFillBlue, 2)) << "final place, before the opening";
        EXPECT_TRUE(before.Probe(kFinalX, kStartY, kFillBlue, 2)) << "drop's start, before the opening";
    }

    ASSERT_EQ(UIRoot::OpenPanel(HashName("ui_title_logo")), panel);
    auto* fade = static_cast<TweenAlpha*>(emblem->GetComponent(TweenAlpha::s_Class.Key));
    auto* drop = static_cast<TweenPosition*>(emblem->GetComponent(TweenPosition::s_Class.Key));
    ASSERT_NE(fade, nullptr);
    ASSERT_NE(drop, nullptr);
    // Mid-fade, with the drop (a quarter of the fade's second) done.
    ASSERT_TRUE(game.TickUntil([&] { return fade->GetFactor() >= 0.4f; }, "the fade is under way", 120));
    EXPECT_TRUE(drop->IsFinished());
    EXPECT_FALSE(fade->IsFinished());
    const float eased = EaseTween(eTweenMethod_EaseOut, fade->GetFactor());
    EXPECT_NEAR(fade->GetCurrent(), eased, 1e-6);
    {
        const HarnessFrame mid = game.ReadFrame();
        EXPECT_TRUE(mid.Probe(kFinalX, kFinalY, Blend(kFillBlue, kPurple, eased), 2))
            << "the blend at factor " << fade->GetFactor();
        EXPECT_TRUE(mid.Probe(kFinalX, kStartY, kFillBlue, 2)) << "drop's start, mid-fade";
    }

    ASSERT_TRUE(game.TickUntil([&] { return fade->IsFinished(); }, "the fade ends", 120));
    game.Tick();
    const HarnessFrame after = game.ReadFrame();
    EXPECT_TRUE(after.Probe(kFinalX, kFinalY, kPurple, 2)) << "the emblem in place";
    EXPECT_TRUE(after.Probe(kFinalX, kStartY, kFillBlue, 2)) << "drop's start, after";
    EXPECT_EQ(emblem->GetTransform()->WorldMatrix().m[3][1], 270.0f);
}

// The title menu opened by its tag, with no title flow to lock it: the start button lit and the
// cursor on it, Down and Up moving both, Return clicking to the root's listeners, and a locked
// menu leaving every pixel of its area as it was.
TEST(UIEndToEndTest, TheTitleMenuLightsMovesAndClicksByKeys)
{
    GameHarness game;
    game.WriteFile("assets.v1/scripts/stage/stage_TitleScene.lua", kTitleUIStage);
    game.WriteFile("assets.v1/scripts/game_objects/test_FlatBackdrop.lua", kFlatBackdrop);
    ASSERT_TRUE(game.Start());
    game.Ticks(3);

    g_pComponentFactory->RegisterClass<UIEventRecorder>();
    auto* listener = new GameObj("test_listener", game.Root()->GetMessageManager());
    listener->SetParent(game.Root());
    listener->SetLayer(2048);
    listener->Activate();
    ASSERT_NE(listener->AddComponent("UIEventRecorder", nullptr), nullptr);
    ASSERT_EQ(UIRoot::AddListenerToAll(listener), 1);

    GameObj* panel = game.FindObjectByTag("ui_title_select");
    GameObj* start = game.FindObjectByTag("select_start");
    GameObj* exit = game.FindObjectByTag("select_exit");
    GameObj* cursor = game.FindObjectByTag("title_cursor");
    for (GameObj* o : {panel, start, exit, cursor})
        ASSERT_NE(o, nullptr);
    auto* menu = static_cast<UIFrameTitleSelect*>(panel->GetComponent(UIFrameTitleSelect::s_Class.Key));
    auto* slide = static_cast<TweenPosition*>(panel->GetComponent(TweenPosition::s_Class.Key));
    auto* glide = static_cast<TweenPosition*>(cursor->GetComponent(TweenPosition::s_Class.Key));
    ASSERT_NE(menu, nullptr);
    ASSERT_NE(slide, nullptr);
    ASSERT_NE(glide, nullptr);
    EXPECT_FALSE(panel->IsActive());

    ASSERT_EQ(UIRoot::OpenPanel(HashName("ui_title_select")), panel);
    // A tween starts finished: the slide is over once it has run to its end.
    ASSERT_TRUE(game.TickUntil([&] { return panel->IsActive() && slide->IsFinished() && slide->GetFactor() == 1.0f; },
                               "the menu slides in", 60));
    game.Ticks(10); // the start button's light settles

    // A settled frame: the lit and the plain plate above each label (the label's box is 28 high
    // on a 40-high plate), and the cursor's yellow on the selected button.
    struct Expected {
        const GameObj* lit;
        const GameObj* plain;
    };
    const auto expectSettled = [&](const Expected& e, const char* when) {
        SCOPED_TRACE(when);
        ASSERT_EQ(ScreenX(cursor), ScreenX(e.lit));
        ASSERT_EQ(ScreenY(cursor), ScreenY(e.lit));
        const HarnessFrame f = game.ReadFrame();
        EXPECT_TRUE(f.Probe(ScreenX(e.lit) - 50, ScreenY(e.lit) - 16, kPlateLit)) << "the selected button lit";
        EXPECT_TRUE(f.Probe(ScreenX(e.plain) - 50, ScreenY(e.plain) - 16, kPlateGrey)) << "the other button plain";
        // The arrow stands beside the selected button's left end and covers none of its plate,
        // so the label it points at is read whole.
        EXPECT_TRUE(f.Probe(ScreenX(e.lit) - kCursorBeside - 4, ScreenY(e.lit), kCursorYellow))
            << "the cursor beside the selected button";
        EXPECT_FALSE(f.Probe(ScreenX(e.plain) - kCursorBeside - 4, ScreenY(e.plain), kCursorYellow))
            << "no cursor beside the other";
        for (const GameObj* button : {e.lit, e.plain})
            EXPECT_EQ(f.Share(ScreenX(button) - 73, ScreenY(button) - 18, 147, 37, kCursorYellow), 0.0)
                << "cursor pixels on a button's plate";
    };
    ASSERT_NE(ScreenY(start), ScreenY(exit));
    expectSettled({start, exit}, "opened");

    const auto press = [&](SDL_Scancode key) {
        game.KeyDown(key);
        game.Tick();
        game.KeyUp(key);
        // The pad event, the selection's messages, then the glide (0.12 s) and the light (0.1 s).
        game.Ticks(3);
        EXPECT_TRUE(game.TickUntil([&] { return glide->IsFinished(); }, "the cursor's glide", 30));
        game.Ticks(10);
    };
    press(SDL_SCANCODE_DOWN);
    expectSettled({exit, start}, "after Down");
    press(SDL_SCANCODE_UP);
    expectSettled({start, exit}, "after Up");

    SeenEvents().clear();
    press(SDL_SCANCODE_RETURN);
    const auto click = std::find_if(SeenEvents().begin(), SeenEvents().end(),
                                    [](const SeenEvent& e) { return e.kind == eUIEvent_Click; });
    ASSERT_NE(click, SeenEvents().end()) << "no Click reached the listener";
    EXPECT_EQ(click->origin, HashName("select_start"));
    EXPECT_EQ(std::count_if(SeenEvents().begin(), SeenEvents().end(),
                            [](const SeenEvent& e) { return e.kind == eUIEvent_Click; }),
              1);

    // Locked by the title flow's byte: Down leaves the menu's area as it was.
    menu->m_bLocked = 1;
    const HarnessFrame before = game.ReadFrame();
    press(SDL_SCANCODE_DOWN);
    const HarnessFrame after = game.ReadFrame();
    ASSERT_EQ(before.width, after.width);
    ASSERT_EQ(before.height, after.height);
    const int left = std::min(ScreenX(start), ScreenX(exit)) - 100, right = std::max(ScreenX(start), ScreenX(exit)) + 100;
    const int top = std::min(ScreenY(start), ScreenY(exit)) - 40, bottom = std::max(ScreenY(start), ScreenY(exit)) + 40;
    int changed = 0;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            changed += before.Pixel(x, y) != after.Pixel(x, y);
    EXPECT_EQ(changed, 0) << "pixels of the locked menu changed";
    expectSettled({start, exit}, "locked, after Down");
}
