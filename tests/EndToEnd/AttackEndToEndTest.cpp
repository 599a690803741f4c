// The player's attacks in the running game, driven through the pad's default keys on a quest
// stage: the chain brings a slime down, the slash goes two ways, homing lands on a bat it has
// hit, and the special move freezes enemies and bullets while the companion's effects play, then
// hits and gives the world back. Screenshots through the game's own F12 path at each point.
#include "Components/Core/Kinematics.h"
#include "Components/Game/ActorController.h"
#include "Components/Game/HealthController.h"
#include "Components/Game/PlayerController.h"
#include "Components/Game/PlayerStates.h"
#include "Components/Game/PowerController.h"
#include "Support/GameHarness.h"
#include "Support/GameplayDriver.h"
#include "Components/Game/AttemptDamageController.h"
#include "World/GameObj.h"
#include "World/MessageManager.h"
#include "World/SceneManager.h"

#include <gtest/gtest.h>

namespace {

// An object by id: null once it has been deleted.
GameObj* Live(int32_t id) { return g_pSceneManager->GetMessageManager()->FindObject(id); }

int32_t HealthOf(int32_t id)
{
    GameObj* o = Live(id);
    ActorController* actor = o ? o->GetActorController() : nullptr;
    return actor && actor->m_pHealth ? actor->m_pHealth->m_nHealth : 0;
}

bool Down(int32_t id)
{
    GameObj* o = Live(id);
    return !o || !o->IsActive() || (o->GetFlags() & eGameObjFlag_PendingRemoval);
}

} // namespace

TEST(AttackEndToEndTest, ChainSlashHomingAndTheSpecialMove)
{
    GameHarness game;
    ASSERT_TRUE(game.Start());
    game.Tick();
    ASSERT_TRUE(game.EnterQuestStage("quest_Meadow", "stage_Meadow"));
    GameplayDriver driver(game);
    ASSERT_NE(driver.Player(), nullptr);
    ASSERT_TRUE(driver.WaitUntil([&] { return driver.Grounded() && driver.PlayerState() == ePlayerState_Stand; },
                                 "the player lands", 120));
    PlayerController& player = *driver.Controller();
    const bool right = driver.PlayerX() < 1536.0f;
    const std::string ahead = right ? "right" : "left";
    const float side = right ? 1.0f : -1.0f;
    player.SetFacing(right);

    // The chain into a slime until it falls.
    GameObj* slime = g_pSceneManager->Spawn("enemy_Slime", game.Root(), driver.PlayerX() + 40.0f * side, 40.0f);
    ASSERT_NE(slime, nullptr);
    const int32_t slimeId = slime->GetId();
    driver.Press("attack");
    ASSERT_TRUE(driver.WaitForState(ePlayerState_Attack, 5));
    EXPECT_TRUE(driver.Checkpoint("chain", {}));
    for (int i = 0; i < 40 && !Down(slimeId); ++i) {
        player.SetFacing(right);
        driver.Press("attack");
        driver.Wait(5);
    }
    EXPECT_TRUE(Down(slimeId)) << "the slime falls to the chain";
    EXPECT_TRUE(driver.Checkpoint("slime down", {}));
    ASSERT_TRUE(driver.WaitUntil([&] { return driver.PlayerState() == ePlayerState_Stand && driver.Grounded(); },
                                 "the chain ends", 240));

    // Two slashes: ahead along the ground, then up and ahead. Power goes once each wind-up is over.
    for (const std::string& aim : {ahead, "up+" + ahead}) {
        SCOPED_TRACE(aim);
        driver.ReleaseAll();
        driver.Wait(2);
        const int32_t power = driver.Power();
        driver.Hold(aim + "+slash");
        ASSERT_TRUE(driver.WaitForState(ePlayerState_Slash, 10));
        EXPECT_EQ(driver.Power(), power) << "nothing spent on request";
        auto& slash = *static_cast<SlashState*>(player.GetState(ePlayerState_Slash));
        ASSERT_TRUE(driver.WaitUntil([&] { return slash.m_nPhase >= 1; }, "the slash starts its rush", 30));
        EXPECT_EQ(slash.m_nDirectionCode, aim == ahead ? (right ? 2 : 6) : (right ? 1 : 7));
        EXPECT_LT(driver.Power(), power);
        EXPECT_TRUE(driver.Checkpoint("slash " + aim, {}));
        driver.ReleaseAll();
        ASSERT_TRUE(driver.WaitUntil([&] { return driver.PlayerState() == ePlayerState_Stand && driver.Grounded(); },
                                     "the slash ends and the player lands", 240));
    }

    // Homing onto a bat that the chain has hit: the player rides it.
    player.SetFacing(right);
    GameObj* bat = g_pSceneManager->Spawn("enemy_Bat", game.Root(), driver.PlayerX() + 30.0f * side, driver.PlayerY());
    ASSERT_NE(bat, nullptr);
    const int32_t batId = bat->GetId();
    driver.Press("attack");
    ASSERT_TRUE(driver.WaitUntil([&] { return player.m_pHomingTarget == Live(batId) || Down(batId); },
                                 "the chain hits the bat", 60));
    ASSERT_FALSE(Down(batId)) << "one hit leaves the bat flying";
    ASSERT_TRUE(driver.WaitUntil([&] { return driver.PlayerState() != ePlayerState_Attack; }, "the chain ends", 120));
    player.m_pPower->m_nPower = player.m_pPower->m_nMaxPower;
    driver.Press("homing");
    ASSERT_TRUE(driver.WaitForState(ePlayerState_Homing, 5));
    auto& homing = *static_cast<HomingState*>(player.GetState(ePlayerState_Homing));
    ASSERT_TRUE(driver.WaitUntil([&] { return homing.m_nPhase == 1; }, "the homing leap", 30));
    driver.Wait(2);
    if (GameObj* target = Live(batId); target && player.m_pHomingTarget == target) {
        const Kinematics& k = *target->GetKinematics();
        EXPECT_NEAR(driver.PlayerX(), k.m_fPosX, 16.0f);
        EXPECT_NEAR(driver.PlayerY(), k.m_fPosY, 16.0f);
    } else {
        ADD_FAILURE() << "the bat is gone before the homing lands";
    }
    EXPECT_TRUE(driver.Checkpoint("homing", {}));
    ASSERT_TRUE(driver.WaitUntil([&] { return driver.PlayerState() != ePlayerState_Homing; }, "the ride ends", 120));
    driver.ReleaseAll();
    ASSERT_TRUE(driver.WaitUntil([&] { return driver.Grounded() && driver.PlayerState() == ePlayerState_Stand; },
                                 "the player lands after the ride", 300));

    // The special move with a full gauge: enemies and bullets stop, the power goes after the
    // wind-up, the hit lands on the bat once the last effect ends, and the mask comes back.
    GameObj* fresh = g_pSceneManager->Spawn("enemy_Bat", game.Root(), driver.PlayerX() + 160.0f * side, driver.PlayerY() + 40.0f);
    ASSERT_NE(fresh, nullptr);
    const int32_t freshId = fresh->GetId();
    GameObj* fan = g_pSceneManager->Instantiate("enemy_Pattern_Fan", game.Root(), nullptr);
    ASSERT_NE(fan, nullptr);
    driver.Wait(2);
    const uint32_t mask = g_pSceneManager->m_nUpdateMask;
    player.m_pPower->m_nPower = player.m_pPower->m_nMaxPower;
    const int32_t full = driver.Power();
    driver.Press("special");
    ASSERT_TRUE(driver.WaitForState(ePlayerState_Vardeki, 5));
    EXPECT_EQ(g_pSceneManager->m_nUpdateMask, mask & ~0x8020u);
    EXPECT_EQ(driver.Power(), full) << "nothing spent during the wind-up";
    ASSERT_FALSE(Down(freshId));
    const int32_t freshHealth = HealthOf(freshId);
    const float freshX = Live(freshId)->GetKinematics()->m_fPosX, freshY = Live(freshId)->GetKinematics()->m_fPosY;
    auto& special = *static_cast<VardekiState*>(player.GetState(ePlayerState_Vardeki));
    ASSERT_TRUE(driver.WaitUntil([&] { return special.m_nPhase == 1; }, "the companion appears", 60));
    EXPECT_LT(driver.Power(), full);
    driver.Wait(20);
    ASSERT_FALSE(Down(freshId));
    EXPECT_FLOAT_EQ(Live(freshId)->GetKinematics()->m_fPosX, freshX) << "the bat is frozen";
    EXPECT_FLOAT_EQ(Live(freshId)->GetKinematics()->m_fPosY, freshY);
    EXPECT_TRUE(driver.Checkpoint("special move", {}));
    ASSERT_TRUE(driver.WaitUntil([&] { return driver.PlayerState() != ePlayerState_Vardeki; },
                                 "the special move ends with its effect", 300));
    EXPECT_EQ(g_pSceneManager->m_nUpdateMask, mask);
    EXPECT_TRUE(player.m_pPower->m_bRegen);
    driver.Wait(3);
    EXPECT_TRUE(Down(freshId) || HealthOf(freshId) < freshHealth) << "the special hit reaches the bat";
    EXPECT_TRUE(driver.Checkpoint("after the special move", {}));
}
