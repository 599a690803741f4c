// The stages on screen: the title showcase and the home base drawn by the running game, checked
// at known pixels (places from the Lua data and the cameras, colours from the image generator's
// palette), and stage switches under the sanitizers.
#include "Components/Core/Animation.h"
#include "Components/Core/Camera2D.h"
#include "Support/GameHarness.h"
#include "World/GameObj.h"
#include "World/SceneManager.h"
#include "World/Transform.h"

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <cmath>
#include <string>

namespace {

// The image generator's palette.
constexpr uint32_t kInk = 0xFF1E1E2A;
constexpr uint32_t kWhite = 0xFFF4F1E8;
constexpr uint32_t kRed = 0xFFD9483B;
constexpr uint32_t kOrange = 0xFFF08A24;
constexpr uint32_t kYellow = 0xFFF2C94C;
constexpr uint32_t kGreen = 0xFF5DAA4F;
constexpr uint32_t kBlue = 0xFF3D6FD9;
constexpr uint32_t kGrey = 0xFF8C8C99;
constexpr uint32_t kBrown = 0xFF8A5A3B;

// The title showcase as the tests keep it, whatever the title's own data becomes: the sky
// stretched over the screen camera's view, the logo, a sliced panel with a gauge, the heroine
// standing, and both cameras.
const char* const kTitleShowcase = R"(
stage_TitleScene = {
  object_name = "Title showcase", object_tag = "Stage", object_layer = LAYER_STAGE, object_activity = ACTIVE,
  components = { Transform = {} },
  children = {
    { base_script = "title_Logo" },
    { base_script = "title_Panel" },
    { base_script = "title_Player" },
    { base_script = "prop_Backdrop" },
    { base_script = "ui_camera" },
    { base_script = "camera" },
  },
}
)";

// Where a world point lands on the game camera's screen: the camera at (480, 270) sees 0..960
// by 0..540, y up.
int ScreenX(float x) { return int(std::trunc(x + 0.5f)); }
int ScreenY(float y) { return int(std::trunc(540.0f - y + 0.5f)); }

float WorldX(const GameObj* o) { return o->GetTransform()->WorldMatrix().m[3][0]; }
float WorldY(const GameObj* o) { return o->GetTransform()->WorldMatrix().m[3][1]; }

struct Probe {
    const char* what;
    int x, y;
    uint32_t argb;
};

void ExpectProbes(const HarnessFrame& frame, const std::vector<Probe>& probes)
{
    for (const Probe& p : probes)
        EXPECT_TRUE(frame.Probe(p.x, p.y, p.argb)) << p.what;
}

} // namespace

TEST(DrawEndToEndTest, TheTitleShowcaseIsDrawnWhereItsDataPutsIt)
{
    GameHarness game;
    game.WriteFile("assets.v1/scripts/stage/stage_TitleScene.lua", kTitleShowcase);
    ASSERT_TRUE(game.Start());
    game.Ticks(12);
    // Both cameras of the one stage hold their tags.
    Camera2D* gameCamera = g_CameraRegistry.Find(GameCameraTag());
    Camera2D* uiCamera = g_CameraRegistry.Find(HashName("UICamera"));
    ASSERT_NE(gameCamera, nullptr);
    ASSERT_NE(uiCamera, nullptr);
    EXPECT_NE(gameCamera, uiCamera);
    EXPECT_EQ(gameCamera->GetOwner()->GetParent(), game.Root());
    EXPECT_EQ(uiCamera->GetOwner()->GetParent(), game.Root());

    const HarnessFrame frame = game.ReadFrame();
    ExpectProbes(frame, {
        // The sky, 256 x 256 stretched to 960 x 540: texel row t of the gradient is
        // (0x60 + 96 t / 256, 0xA0 + 48 t / 256, 0xE8).
        {"sky, top left (row 9)", 20, 20, 0xFF63A1E8},
        {"sky, bottom right (row 237)", 900, 500, 0xFFB8CCE8},
        // The logo, 384 x 96, centred at world (480, 460): screen (480, 80).
        {"logo, middle block", 480, 80, kRed},
        {"logo, left block", 424, 80, kBlue},
        {"logo, plate", 348, 42, kYellow},
        {"logo, rim", 289, 80, kInk},
        {"logo, left star", 336, 80, kOrange},
        // The panel: 420 x 140 at world (480, 150), screen (480, 390), drawn from the 64 x 64
        // frame with 8-texel borders: 3 rows of ink, 2 of white, then the panel colour.
        {"panel, left rim", 271, 390, kInk},
        {"panel, left inner line", 274, 390, kWhite},
        {"panel, top rim", 480, 321, kInk},
        {"panel, bottom inner line", 480, 456, kWhite},
        {"panel, right rim", 688, 390, kInk},
        // The gauge, full: 360 x 16 at the panel's place + (0, -30), screen (480, 420).
        {"gauge, left end", 302, 420, kGreen},
        {"gauge, right end", 657, 420, kGreen},
        {"gauge's undercoat is covered", 480, 413, kGreen},
        // The heroine at world (150, 100), screen (150, 440), in her first idle frame: the
        // scarf 8 rows above her centre is red.
        {"heroine's scarf, first frame", 150, 432, kRed},
        {"heroine's body", 150, 437, kBlue},
    });

    // The second idle frame (0.5 s to 1 s) has an orange scarf.
    auto* idle = static_cast<SpriteAnimation*>(game.FindObject("title_Player")->GetSpriteAnimation());
    ASSERT_NE(idle, nullptr);
    ASSERT_TRUE(game.TickUntil([&] { return idle->GetPlayer()->GetTrackTime() > 0.6f; }, "0.6 s of idling", 60));
    EXPECT_TRUE(game.ReadFrame().Probe(150, 432, kOrange));
}

TEST(DrawEndToEndTest, TheHomeBasesPropsRestOnTheFloorAndAnEnemyIdles)
{
    GameHarness game;
    ASSERT_TRUE(game.Start());
    game.Tick();
    // The home quest is the one whose controller places the cameras (and the player).
    ASSERT_TRUE(game.MakeQuestCurrent("vididezare"));
    ASSERT_TRUE(game.RequestStage("stage_Home"));
    game.Tick();
    ASSERT_NE(game.Root(), nullptr);
    // The player puts the home camera at x 512: screen x is world x less 32.
    Camera2D* camera = g_CameraRegistry.Find(GameCameraTag());
    ASSERT_NE(camera, nullptr);
    ASSERT_FLOAT_EQ(camera->GetX(), 512.0f);
    ASSERT_FLOAT_EQ(camera->GetY(), 270.0f);
    const auto ScreenX = [](float x) { return ::ScreenX(x - 32.0f); };
    GameObj* slime = g_pSceneManager->Instantiate("enemy_Slime", game.Root(), nullptr);
    ASSERT_NE(slime, nullptr);
    slime->GetTransform()->SetLocalPosition(700, 40, 8);
    slime->GetTransform()->UpdateWorldMatrices();
    auto* idle = static_cast<SpriteAnimation*>(slime->GetSpriteAnimation());
    ASSERT_NE(idle, nullptr);
    // The props fall from where the area puts them; a second is enough for all to land.
    game.Ticks(12);
    ASSERT_LT(idle->GetPlayer()->GetTrackTime(), 0.3f);
    const float slimeX = WorldX(slime), slimeY = WorldY(slime);
    HarnessFrame frame = game.ReadFrame();
    // The blob's first cell: the top of its outline 11 rows above the sprite's centre.
    EXPECT_TRUE(frame.Probe(ScreenX(slimeX), ScreenY(slimeY) - 11, kInk)) << "slime, first cell";
    EXPECT_TRUE(frame.Probe(ScreenX(slimeX), ScreenY(slimeY) - 2, kGreen)) << "slime's body";
    game.Ticks(60);
    frame = game.ReadFrame();

    const std::vector<GameObj*> crates = game.FindObjects("prop_Crate");
    ASSERT_EQ(crates.size(), 3u);
    for (const GameObj* crate : crates) {
        SCOPED_TRACE(crate->GetObjectName());
        EXPECT_NEAR(WorldY(crate), 20.0f, 1e-3f);
        // 48 x 40: ink rim, brown boards, an ink band 18 rows down.
        const int x = ScreenX(WorldX(crate)), y = ScreenY(WorldY(crate));
        EXPECT_TRUE(frame.Probe(x, y - 10, kBrown)) << "crate's boards";
        EXPECT_TRUE(frame.Probe(x, y, kInk)) << "crate's band";
        EXPECT_TRUE(frame.Probe(x - 23, y - 10, kInk)) << "crate's rim";
    }
    const GameObj* post = game.FindObject("prop_Post");
    ASSERT_NE(post, nullptr);
    EXPECT_TRUE(frame.Probe(ScreenX(WorldX(post)), ScreenY(WorldY(post)) - 40, kGrey)) << "post";
    const GameObj* ball = game.FindObject("prop_Ball");
    ASSERT_NE(ball, nullptr);
    EXPECT_NEAR(WorldY(ball), 16.0f, 1e-3f);
    EXPECT_TRUE(frame.Probe(ScreenX(WorldX(ball)) - 8, ScreenY(WorldY(ball)), kOrange)) << "ball";
    // The yard's ground strip: 600 x 16 from x 0 along the floor, grass on top.
    EXPECT_TRUE(frame.Probe(ScreenX(500), 525, kGreen)) << "grass";
    EXPECT_TRUE(frame.Probe(ScreenX(500), 534, kBrown)) << "soil";
    EXPECT_TRUE(frame.Probe(ScreenX(750), 534, 0xFFB8CCE8, 12)) << "sky past the strip's end";
    // Two frames a cell at six a second, looping every 2/3 s: 1.2 s on, the slime shows its
    // second cell, squashed 3 rows down, so the old outline row is sky.
    const float t = idle->GetPlayer()->GetTrackTime();
    ASSERT_GT(t, 1.0f / 3.0f);
    ASSERT_LT(t, 2.0f / 3.0f);
    EXPECT_FALSE(frame.Probe(ScreenX(slimeX), ScreenY(slimeY) - 11, kInk, 24)) << "slime, second cell";
}

TEST(DrawEndToEndTest, SwitchingBetweenTitleAndHomeRunsClean)
{
    GameHarness game;
    game.WriteFile("assets.v1/scripts/stage/stage_TitleScene.lua", kTitleShowcase);
    ASSERT_TRUE(game.Start());
    game.Tick();
    ASSERT_TRUE(game.MakeQuestCurrent("vididezare"));
    for (int i = 0; i < 20; ++i) {
        const char* stage = i % 2 ? "stage_TitleScene" : "stage_Home";
        ASSERT_TRUE(game.RequestStage(stage));
        game.Ticks(3);
        ASSERT_NE(game.Root(), nullptr);
        ASSERT_EQ(game.Root()->GetPrototypeName(), stage);
        // The stage's own cameras hold the tags.
        Camera2D* camera = g_CameraRegistry.Find(GameCameraTag());
        ASSERT_NE(camera, nullptr) << i;
        EXPECT_EQ(camera->GetOwner()->GetParent(), game.Root()) << i;
        EXPECT_EQ(g_CameraRegistry.GetCount(), 2u) << i;
    }
    // The last switch went to the title: the logo's middle block is on screen.
    EXPECT_TRUE(game.ReadFrame().Probe(480, 80, kRed));
}
