// An enemy in the running game: on a quest stage a slime put down near the player comes to it
// and bites (the player is knocked back, blinks, sparks fly and its health falls); a heart put
// at the player's feet heals it; more bites kill it (its dead effect appears, the player object
// goes inactive). Screenshots through the game's own F12 path at each point.
#include "Components/Game/HealthController.h"
#include "Components/Game/InvincibleController.h"
#include "Components/Game/KnockbackController.h"
#include "Components/Game/PlayerController.h"
#include "Components/Game/TalkChannel.h"
#include "Support/GameHarness.h"
#include "Support/GameplayDriver.h"
#include "World/GameObj.h"
#include "World/SceneManager.h"

#include <gtest/gtest.h>

namespace {

// Active objects built from the prototype (object names are Shift-JIS in the game folder).
int CountBuilt(GameObj* root, const std::string& prototype)
{
    int n = 0;
    for (GameObj* o = root; o; o = o->GetNext())
        n += o->GetPrototypeName() == prototype && o->IsActive();
    return n;
}

} // namespace

TEST(EnemyEndToEndTest, ASlimeBitesThePlayerAHeartHealsItAndMoreBitesKillIt)
{
    GameHarness game;
    ASSERT_TRUE(game.Start());
    game.Tick();
    ASSERT_TRUE(game.MakeQuestCurrent("quest_Meadow"));
    ASSERT_TRUE(game.RequestStage("stage_Meadow"));
    game.Tick();
    GameplayDriver driver(game);
    ASSERT_NE(driver.Player(), nullptr);
    ASSERT_TRUE(driver.WaitUntil([&] { return driver.Grounded(); }, "the player lands", 120));
    const int32_t full = driver.Health();
    ASSERT_GT(full, 0);

    const float side = driver.PlayerX() < 1536.0f ? 1.0f : -1.0f;
    GameObj* slime = g_pSceneManager->Spawn("enemy_Slime", game.Root(), driver.PlayerX() + 250.0f * side, 40.0f);
    ASSERT_NE(slime, nullptr);
    ASSERT_TRUE(driver.WaitUntil([&] { return driver.Health() < full; }, "the slime bites", 900));
    PlayerController& player = *driver.Controller();
    EXPECT_TRUE(player.m_pKnockback->IsEnabled()) << "the bite throws the player";
    EXPECT_TRUE(player.m_pInvincible->IsEnabled()) << "and it blinks";
    EXPECT_GE(CountBuilt(game.Root(), "gameobj_effect_hit_spark"), 1) << "sparks where the bite landed";
    EXPECT_TRUE(driver.Checkpoint("bitten", {}));

    ASSERT_TRUE(driver.WaitUntil([&] { return !player.m_pInvincible->IsEnabled(); }, "the blinking ends", 200));
    const int32_t hurt = driver.Health();
    ASSERT_LT(hurt, full);
    g_pSceneManager->Spawn("item_Heart", game.Root(), driver.PlayerX(), driver.PlayerY());
    ASSERT_TRUE(driver.WaitUntil([&] { return driver.Health() > hurt; }, "the heart heals", 60));
    EXPECT_EQ(CountBuilt(game.Root(), "item_Heart"), 0) << "the heart is taken";
    EXPECT_TRUE(driver.Checkpoint("healed", {}));

    ASSERT_TRUE(driver.WaitUntil([&] { return !driver.Player()->IsActive(); }, "the bites kill the player", 6000));
    EXPECT_EQ(driver.Health(), 0);
    EXPECT_GE(CountBuilt(game.Root(), "gameobj_effect_dead_with_flower"), 1) << "the dead effect";
    EXPECT_TRUE(driver.Checkpoint("dead", {}));
    // Whatever the companion said last is one of its lines.
    std::string line;
    if (g_TalkChannelQueue.PopFront(ImmediateTalkChannel(), line)) {
        EXPECT_FALSE(line.empty());
    }
}
