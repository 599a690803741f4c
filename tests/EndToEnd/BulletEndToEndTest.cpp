// Bullets in the running game: a bat near the player on a quest stage shoots its fan; the orbs
// leave the bat aimed at the player, one of them hits it (its health falls), and the rest go on
// until terrain or the camera's range erases them, after which the pattern removes itself.
// Screenshots through the game's own F12 path at each point.
#include "Components/Game/AttemptDamageController.h"
#include "Components/Game/BulletController.h"
#include "Components/Game/EnemyController.h"
#include "Support/GameHarness.h"
#include "Support/GameplayDriver.h"
#include "World/GameObj.h"
#include "World/SceneManager.h"

#include <gtest/gtest.h>

namespace {

std::vector<GameObj*> Built(GameObj* root, const std::string& prototype)
{
    std::vector<GameObj*> out;
    for (GameObj* o = root; o; o = o->GetNext())
        if (o->GetPrototypeName() == prototype)
            out.push_back(o);
    return out;
}

} // namespace

TEST(BulletEndToEndTest, ABatsFanReachesThePlayerAndTheRestLeave)
{
    GameHarness game;
    ASSERT_TRUE(game.Start());
    game.Tick();
    ASSERT_TRUE(game.EnterQuestStage("quest_Meadow", "stage_Meadow"));
    GameplayDriver driver(game);
    ASSERT_NE(driver.Player(), nullptr);
    ASSERT_TRUE(driver.WaitUntil([&] { return driver.Grounded(); }, "the player lands", 120));
    const int32_t full = driver.Health();

    const float side = driver.PlayerX() < 1536.0f ? 1.0f : -1.0f;
    GameObj* bat = g_pSceneManager->Spawn("enemy_Bat", game.Root(), driver.PlayerX() + 200.0f * side, driver.PlayerY() + 60.0f);
    ASSERT_NE(bat, nullptr);
    // The bat's attack state spawns its fan as an attendant; here the same attendant is put down
    // at once, so that the shot does not wait on the bat's wandering.
    GameObj* fan = g_pSceneManager->Instantiate("enemy_Pattern_Fan", game.Root(), nullptr);
    ASSERT_NE(fan, nullptr);
    ASSERT_NE(g_pfnSetBulletOwner, nullptr);
    g_pfnSetBulletOwner(fan, bat);
    game.Tick();
    game.Tick();
    const std::vector<GameObj*> orbs = Built(game.Root(), "enemy_Bullet_Orb");
    ASSERT_EQ(orbs.size(), 5u);
    int flying = 0;
    for (GameObj* orb : orbs)
        flying += orb->IsActive();
    EXPECT_EQ(flying, 5) << "all five leave together";
    EXPECT_TRUE(driver.Checkpoint("fan fired", {}));

    ASSERT_TRUE(driver.WaitUntil([&] { return driver.Health() < full; }, "an orb reaches the player", 240));
    bool anyHit = false;
    for (GameObj* orb : orbs) {
        auto* bullet = static_cast<BulletController*>(orb->GetComponent(BulletController::s_Class.Key));
        anyHit |= bullet && bullet->m_pDamage && bullet->m_pDamage->m_bHasHit;
    }
    EXPECT_TRUE(anyHit) << "the damage is an orb's";
    EXPECT_TRUE(driver.Checkpoint("player hit", {}));

    ASSERT_TRUE(driver.WaitUntil([&] { return Built(game.Root(), "enemy_Pattern_Fan").empty(); },
                                 "every orb is erased and the pattern leaves", 1200));
    EXPECT_TRUE(Built(game.Root(), "enemy_Bullet_Orb").empty()) << "its bullets go with it";
    EXPECT_TRUE(driver.Checkpoint("fan gone", {}));
}
