// The title's UI tree in the running game, on a title stage of the test's own (a flat backdrop
// and the UI tree only): the emblem panel opened by its tag fades in and drops into place, as the
// frame times and the tween's easing say.
#include "Components/UI/UIRoot.h"
#include "Components/UI/UITweener.h"
#include "Support/GameHarness.h"
#include "World/GameObj.h"
#include "World/Transform.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>

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
constexpr int kFinalX = 480, kFinalY = 540 - 270; // where the emblem ends
constexpr int kStartY = 540 - 370;                 // where its drop begins

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
