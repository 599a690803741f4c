// The player in the running game, driven through the pad's default keys: on a quest stage it
// runs, jumps, steps, dashes and glides; on the home stage it faces left under a fixed camera and
// can only run. Checked by the body's positions, the controller's states and screenshots taken
// through the game's own F12 path.
#include "Components/Core/Camera2D.h"
#include "Components/Core/Kinematics.h"
#include "Components/Game/PlayerController.h"
#include "Support/GameHarness.h"
#include "Support/GameplayDriver.h"
#include "World/GameObj.h"
#include "Platform/Win32/FileSystem.h"
#include "World/PlayerSaveData.h"
#include "World/SceneManager.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

// The image generator's palette.
constexpr uint32_t kBlue = 0xFF3D6FD9;
constexpr uint32_t kGreen = 0xFF5DAA4F;
constexpr uint32_t kRed = 0xFFD9483B;

// The frame time of every harness tick.
constexpr float kDt = 0.017f;

// The player's figure at its body position: the blue coat at the centre of the cell, the scarf
// 8 rows above it.
std::vector<PixelProbe> FigureProbes(const GameplayDriver& driver, uint32_t scarf)
{
    int sx = 0, sy = 0;
    driver.ToScreen(driver.PlayerX(), driver.PlayerY(), sx, sy);
    return {{"coat", sx, sy + 2, kBlue}, {"scarf", sx, sy - 7, scarf}};
}

} // namespace

TEST(GameplayEndToEndTest, OnAQuestStageThePlayerRunsJumpsStepsDashesAndGlides)
{
    GameHarness game;
    // The companion's talk window would sit over the player's probes at the bottom of the
    // screen: this copy's quest stages carry the talk gimmick without its talk.
    game.WriteFile("assets.v1/scripts/game_objects/gimmick_ImmediateTalk.lua",
                   "gimmick_ImmediateTalk = { object_layer = LAYER_TALK, object_activity = ACTIVE,\n"
                   "  components = { Transform = {} } }\n");
    ASSERT_TRUE(game.Start());
    game.Tick();
    ASSERT_TRUE(game.EnterQuestStage("quest_Meadow", "stage_Meadow"));
    GameplayDriver driver(game);
    ASSERT_NE(driver.Player(), nullptr) << "the quest controller places the player";
    EXPECT_FLOAT_EQ(driver.Controller()->m_fJumpSpeed, std::sqrt(1470.99755859375f * 2.0f * 160.0f));
    // It falls from y 512 onto the meadow's ground and stands.
    ASSERT_TRUE(driver.WaitUntil([&] { return driver.Grounded() && driver.PlayerState() == ePlayerState_Stand; },
                                 "the player lands", 120));
    const float ground = driver.PlayerY();
    EXPECT_NEAR(ground, 26.0f, 1.0f) << "feet on the floor at y 0";
    // No enemy spawns yet; two slimes put down by hand: the nearer one is found.
    EXPECT_EQ(driver.NearestEnemy(), nullptr);
    GameObj* far = g_pSceneManager->Spawn("enemy_Slime", game.Root(), driver.PlayerX() + 600.0f, 40.0f);
    GameObj* near = g_pSceneManager->Spawn("enemy_Slime", game.Root(), driver.PlayerX() - 200.0f, 40.0f);
    ASSERT_NE(far, nullptr);
    ASSERT_NE(near, nullptr);
    EXPECT_EQ(driver.NearestEnemy(), near);
    g_pSceneManager->DestroyLater(far, 0.0f);
    g_pSceneManager->DestroyLater(near, 0.0f);
    game.Ticks(2);
    EXPECT_EQ(driver.NearestEnemy(), nullptr);
    // Keep away from the stage's ends whatever x the draw gave.
    const float startX = driver.PlayerX();
    const std::string away = startX < 1536.0f ? "right" : "left";
    const float dir = away == "right" ? 1.0f : -1.0f;

    // Run: 30 ticks at 320 pixels a second.
    driver.Hold(away);
    game.Ticks(30);
    EXPECT_EQ(driver.PlayerState(), ePlayerState_Run);
    EXPECT_NEAR((driver.PlayerX() - startX) * dir, 29 * 320 * kDt, 320 * kDt * 1.5f);
    EXPECT_EQ(driver.Controller()->m_bFacesRight, dir > 0);
    EXPECT_TRUE(driver.Checkpoint("running", FigureProbes(driver, kRed)));
    driver.Release(away);
    ASSERT_TRUE(driver.WaitForState(ePlayerState_Stand, 60));

    // A held jump rises about 160 pixels and lands again.
    driver.Hold("jump");
    game.Tick();
    EXPECT_EQ(driver.PlayerState(), ePlayerState_Jump);
    float peak = ground;
    ASSERT_TRUE(driver.WaitUntil([&] {
        peak = std::max(peak, driver.PlayerY());
        return driver.PlayerState() == ePlayerState_Drop;
    }, "the jump turns into a fall", 120));
    EXPECT_NEAR(peak - ground, 160.0f, 15.0f);
    driver.Release("jump");
    ASSERT_TRUE(driver.WaitForState(ePlayerState_Stand, 120));
    EXPECT_NEAR(driver.PlayerY(), ground, 1.0f);

    // A short step: fast and level, then a stand.
    float x0 = driver.PlayerX();
    driver.Press("step+" + away, 3);
    EXPECT_EQ(driver.PlayerState(), ePlayerState_Step);
    EXPECT_GT((driver.PlayerX() - x0) * dir, 2 * 900 * kDt - 1.0f);
    EXPECT_NEAR(driver.PlayerY(), ground, 1.0f);
    ASSERT_TRUE(driver.WaitForState(ePlayerState_Stand, 120));

    // Held on, the step becomes a dash that speeds up, then brakes to a stand.
    x0 = driver.PlayerX();
    driver.Hold("step+" + away);
    ASSERT_TRUE(driver.WaitForState(ePlayerState_Dash, 30));
    const float dashSpeed = std::fabs(driver.PlayerVelocityX());
    game.Ticks(10);
    EXPECT_EQ(driver.PlayerState(), ePlayerState_Dash);
    EXPECT_GT(std::fabs(driver.PlayerVelocityX()), dashSpeed);
    driver.Release("step+" + away);
    ASSERT_TRUE(driver.WaitForState(ePlayerState_Stand, 240));
    EXPECT_GT((driver.PlayerX() - x0) * dir, 300.0f);

    // Jump, then glide down at 70 pixels a second until the ground.
    driver.Hold("jump");
    game.Ticks(12);
    driver.Release("jump");
    driver.Hold("glide");
    ASSERT_TRUE(driver.WaitForState(ePlayerState_Gliding, 60));
    game.Tick();
    EXPECT_FLOAT_EQ(driver.PlayerVelocityY(), -70.0f);
    const float y0 = driver.PlayerY();
    game.Ticks(10);
    EXPECT_NEAR(y0 - driver.PlayerY(), 10 * 70 * kDt, 2.0f);
    EXPECT_TRUE(driver.Checkpoint("gliding", FigureProbes(driver, kRed)));
    ASSERT_TRUE(driver.WaitForState(ePlayerState_Stand, 600));
    driver.ReleaseAll();
    game.Tick();
    EXPECT_NEAR(driver.PlayerY(), ground, 1.0f);
    EXPECT_TRUE(driver.Checkpoint("standing", FigureProbes(driver, kRed)));
}

TEST(GameplayEndToEndTest, OnTheHomeStageThePlayerFacesLeftAndCanOnlyRun)
{
    GameHarness game;
    ASSERT_TRUE(game.Start());
    game.Tick();
    ASSERT_TRUE(game.EnterQuestStage("vididezare", "stage_Home"));
    GameplayDriver driver(game);
    ASSERT_NE(driver.Player(), nullptr);
    Camera2D* camera = driver.GameCamera();
    ASSERT_NE(camera, nullptr);
    // Asked for (512, 256); the 540-row view stays on the stage, whose bottom is y 0.
    EXPECT_FLOAT_EQ(camera->GetX(), 512.0f);
    EXPECT_FLOAT_EQ(camera->GetY(), 270.0f);
    EXPECT_EQ(camera->GetTarget(), nullptr);
    EXPECT_FALSE(driver.Controller()->m_bFacesRight);
    EXPECT_TRUE(driver.Controller()->m_bHomeStage);
    // The settings' AutoSave is on by default: arriving home wrote the save file.
    std::string folder;
    ASSERT_TRUE(PlayerSaveData::GetSaveFolder(folder));
    EXPECT_TRUE(std::filesystem::exists(ToNativePath((folder + "QMSave.sav").c_str()))) << folder;
    ASSERT_TRUE(driver.WaitUntil([&] { return driver.Grounded(); }, "the player lands", 120));
    game.Ticks(5);
    EXPECT_TRUE(driver.Checkpoint("at home", FigureProbes(driver, kGreen)));

    // Jump, step and sit do nothing here.
    for (const char* buttons : {"jump", "down", "step"}) {
        SCOPED_TRACE(buttons);
        driver.Press(buttons, 5);
        EXPECT_EQ(driver.PlayerState(), ePlayerState_Stand);
    }
    // Running works, and a step's direction alone is a run (a short one: the ledge the player
    // stands on ends 80 pixels to its left).
    const float x0 = driver.PlayerX();
    driver.Press("step+left", 6);
    EXPECT_EQ(driver.PlayerState(), ePlayerState_Run);
    EXPECT_LT(driver.PlayerX(), x0 - 20.0f);
    EXPECT_FALSE(driver.Controller()->m_bFacesRight);
    EXPECT_EQ(camera->GetTarget(), nullptr) << "the home camera stays";
    EXPECT_FLOAT_EQ(camera->GetX(), 512.0f);
}

// The home camera stands still and shows x 32 to 992 of the 1024-wide yard: running to either
// end, over the bank and back, the player stays whole inside the view every frame, and the way
// back is never blocked. The terrain's lines are drawn where the player stands on them: the
// bank under its top and ramp, the floating block, and the house the stage names.
TEST(GameplayEndToEndTest, AtHomeThePlayerStaysOnScreenRunningBothWaysOnDrawnGround)
{
  // At 60 frames a second, and at 20 as a loaded machine shows it.
  for (const uint32_t step : {GameHarness::kStepMilliseconds, 50u}) {
    SCOPED_TRACE(testing::Message() << step << " ms frames");
    GameHarness game;
    ASSERT_TRUE(game.Start());
    game.Tick();
    ASSERT_TRUE(game.EnterQuestStage("vididezare", "stage_Home"));
    GameplayDriver driver(game);
    ASSERT_NE(driver.Player(), nullptr);
    // The frame after a stage is built is a long one on a real machine (textures load): the
    // player, placed a little above the bank's step, falls that frame's time at once.
    game.SetStepMilliseconds(400);
    game.Tick();
    game.SetStepMilliseconds(step);
    const int perSecond = static_cast<int>(1000 / step);
    ASSERT_TRUE(driver.WaitUntil([&] { return driver.Grounded(); }, "the player lands", 120));
    EXPECT_NEAR(driver.PlayerY(), 92.0f + 26.0f, 1.0f) << "the player stands on the bank's step, not through it";

    // Where each run ends: against the right end (over the bank), then all the way back left.
    float rightmost = driver.PlayerX(), leftmost = driver.PlayerX();
    for (const char* way : {"right", "left"}) {
        SCOPED_TRACE(way);
        driver.Hold(way);
        // 4 s is more than the yard's width at the run's speed, and then some standing at the end.
        for (int tick = 0; tick < 4 * perSecond; ++tick) {
            game.Tick();
            ASSERT_TRUE(driver.PlayerOnScreen()) << "tick " << tick;
            rightmost = std::max(rightmost, driver.PlayerX());
            leftmost = std::min(leftmost, driver.PlayerX());
        }
        driver.ReleaseAll();
        game.Ticks(20);
        EXPECT_TRUE(driver.PlayerOnScreen());
    }
    EXPECT_GT(rightmost, 900.0f) << "the run right reaches the bank's top";
    EXPECT_LT(leftmost, 100.0f) << "the run back left is not blocked: it reaches the yard's left end";

    // Drawn ground under the lines, looked at in a screenshot (the camera stands at (512, 270)):
    // the bank's earth below its top, its step and its slope, the floating block's stone, the
    // house's roof.
    const uint32_t kBrown = 0xFF8A5A3B, kGrey = 0xFF8C8C99;
    std::vector<PixelProbe> probes;
    auto at = [&](const char* what, float x, float y, uint32_t argb) {
        int sx = 0, sy = 0;
        driver.ToScreen(x, y, sx, sy);
        probes.push_back({what, sx, sy, argb, 12});
    };
    at("bank under its top", 930.0f, 140.0f, kBrown);
    at("bank under its step", 670.0f, 40.0f, kBrown);
    at("bank under its slope", 800.0f, 80.0f, kBrown);
    at("floating block", 390.0f, 292.0f, kGrey);
    at("house roof", 440.0f, 150.0f, kRed);
    EXPECT_TRUE(driver.Checkpoint("home ground", probes));
  }
}
