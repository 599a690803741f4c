// An enemy in the running game: on a quest stage a slime put down near the player comes to it
// and bites (the player is knocked back, blinks, sparks fly and its health falls); a heart put
// at the player's feet heals it; more bites kill it (its dead effect appears, the player object
// goes inactive). Screenshots through the game's own F12 path at each point. What the companion
// says on the way is heard tick by tick: every line comes from the talk keys of the event.
#include "Components/Game/HealthController.h"
#include "Components/Game/InvincibleController.h"
#include "Components/Game/KnockbackController.h"
#include "Components/Game/PlayerController.h"
#include "Components/Game/TalkChannel.h"
#include "System/Common/NameHash.h"
#include "Support/GameHarness.h"
#include "Support/GameplayDriver.h"
#include "World/GameObj.h"
#include "World/SceneManager.h"
#include "World/TextTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace {

// Active objects built from the prototype (object names are Shift-JIS in the game folder).
int CountBuilt(GameObj* root, const std::string& prototype)
{
    int n = 0;
    for (GameObj* o = root; o; o = o->GetNext())
        n += o->GetPrototypeName() == prototype && o->IsActive();
    return n;
}

// Every line the talk table holds under the keys.
std::set<std::string> LinesOf(const std::vector<std::string>& keys)
{
    std::set<std::string> lines;
    for (const std::string& key : keys)
        if (const std::vector<std::string>* found = g_pTextTable ? g_pTextTable->Find(HashName(key)) : nullptr)
            lines.insert(found->begin(), found->end());
    return lines;
}

// Takes what the immediate channel holds into the list.
void Hear(std::vector<std::string>& heard)
{
    std::string line;
    while (g_TalkChannelQueue.PopFront(ImmediateTalkChannel(), line))
        heard.push_back(line);
}

// Each line heard is one of the expected ones.
void ExpectSaidFrom(const std::vector<std::string>& heard, const std::set<std::string>& expected, const char* when)
{
    for (const std::string& line : heard)
        EXPECT_TRUE(expected.count(line)) << when << ": \"" << line << "\" is no line of its talk keys";
}

} // namespace

TEST(EnemyEndToEndTest, ASlimeBitesThePlayerAHeartHealsItAndMoreBitesKillIt)
{
    GameHarness game;
    ASSERT_TRUE(game.Start());
    game.Tick();
    ASSERT_TRUE(game.EnterQuestStage("quest_Meadow", "stage_Meadow"));
    GameplayDriver driver(game);
    ASSERT_NE(driver.Player(), nullptr);
    ASSERT_TRUE(driver.WaitUntil([&] { return driver.Grounded(); }, "the player lands", 120));
    const int32_t full = driver.Health();
    ASSERT_GT(full, 0);

    // A bite says the slime's own line or one of the attacked lines; taking the heart says the
    // heart's line or a healing line; the overkill line belongs to the player's hits only.
    const std::set<std::string> bitten =
        LinesOf({"enemy_slime_bite", "attacked_health_1", "attacked_health_2", "attacked_health_3", "attacked_health_4"});
    const std::set<std::string> healed = LinesOf({"take_heart", "take_heal_item_0", "take_heal_item_1", "take_heal_item_2",
                                                  "take_heal_item_3", "take_heal_item_4", "take_heal_item_5"});
    ASSERT_EQ(bitten.size(), 6u) << "the talk table holds the bite lines";
    ASSERT_EQ(healed.size(), 7u) << "the talk table holds the healing lines";
    g_TalkChannelQueue.Clear(0);
    std::vector<std::string> heardBitten, heardHealed, heardDying;

    const float side = driver.PlayerX() < 1536.0f ? 1.0f : -1.0f;
    GameObj* slime = g_pSceneManager->Spawn("enemy_Slime", game.Root(), driver.PlayerX() + 250.0f * side, 40.0f);
    ASSERT_NE(slime, nullptr);
    ASSERT_TRUE(driver.WaitUntil([&] { Hear(heardBitten); return driver.Health() < full; }, "the slime bites", 900));
    PlayerController& player = *driver.Controller();
    EXPECT_TRUE(player.m_pKnockback->IsEnabled()) << "the bite throws the player";
    EXPECT_TRUE(player.m_pInvincible->IsEnabled()) << "and it blinks";
    EXPECT_GE(CountBuilt(game.Root(), "gameobj_effect_hit_spark"), 1) << "sparks where the bite landed";
    EXPECT_TRUE(driver.Checkpoint("bitten", {}));

    ASSERT_TRUE(driver.WaitUntil([&] { Hear(heardBitten); return !player.m_pInvincible->IsEnabled(); },
                                 "the blinking ends", 200));
    ExpectSaidFrom(heardBitten, bitten, "bitten");
    const int32_t hurt = driver.Health();
    ASSERT_LT(hurt, full);
    g_pSceneManager->Spawn("item_Heart", game.Root(), driver.PlayerX(), driver.PlayerY());
    ASSERT_TRUE(driver.WaitUntil([&] { Hear(heardHealed); return driver.Health() > hurt; }, "the heart heals", 60));
    EXPECT_EQ(CountBuilt(game.Root(), "item_Heart"), 0) << "the heart is taken";
    Hear(heardHealed);
    // The slime may bite again meanwhile.
    std::set<std::string> healedOrBitten = healed;
    healedOrBitten.insert(bitten.begin(), bitten.end());
    ExpectSaidFrom(heardHealed, healedOrBitten, "healed");
    EXPECT_EQ(std::count_if(heardHealed.begin(), heardHealed.end(), [&](const std::string& l) { return healed.count(l) > 0; }),
              1)
        << "taking the heart says one line";
    EXPECT_TRUE(driver.Checkpoint("healed", {}));

    ASSERT_TRUE(driver.WaitUntil([&] { Hear(heardDying); return !driver.Player()->IsActive(); },
                                 "the bites kill the player", 6000));
    EXPECT_EQ(driver.Health(), 0);
    EXPECT_GE(CountBuilt(game.Root(), "gameobj_effect_dead_with_flower"), 1) << "the dead effect";
    EXPECT_TRUE(driver.Checkpoint("dead", {}));
    Hear(heardDying);
    ExpectSaidFrom(heardDying, bitten, "dying");
    // Three in ten bites are remarked on: over the bites of the run (the pool is seeded) some are.
    EXPECT_FALSE(heardBitten.empty() && heardDying.empty()) << "the bites drew no remark";
}
