#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <memory>
#include <set>

#include "System/Common/NameHash.h"
#include "System/Common/Random.h"
#include "World/AccessoryTable.h"
#include "World/Condition.h"
#include "World/PlayStatistics.h"
#include "World/PlayerSaveData.h"

namespace {

Condition Make(int32_t compare, uint32_t target, float value, int32_t argument = 0)
{
    Condition c;
    c.m_nCompare = compare;
    c.m_nTarget = target;
    c.m_fValue = value;
    c.m_nArgument = argument;
    return c;
}

struct StatsGuard {
    StatsGuard() { g_PlayStatistics.Reset(); }
    ~StatsGuard() { g_PlayStatistics.Reset(); }
};

} // namespace

TEST(Condition, OperatorsCompareTheTwoSides)
{
    StatsGuard guard;
    const float nan = std::nanf("");
    // The left side is the play time (kind 1).
    struct { int32_t op; float left, right; bool expected; } cases[] = {
        {0, 1, 1, false}, {1, 1, 2, true},  {1, 2, 2, false}, {2, 2, 2, true},  {2, 3, 2, false},
        {3, 2, 2, true},  {3, 2, 3, false}, {4, 2, 3, true},  {4, 2, 2, false}, {5, 2, 2, true},
        {5, 1, 2, false}, {6, 3, 2, true},  {6, 2, 2, false}, {7, 1, 2, true},  {8, 1, 1, false},
        {-1, 1, 1, false},
        // An unordered pair holds only for "not equal".
        {1, nan, 1, false}, {2, nan, 1, false}, {3, nan, nan, false}, {4, nan, 1, true},
        {5, 1, nan, false}, {6, nan, 1, false}, {7, nan, nan, true}, {0, nan, nan, false},
    };
    for (auto& c : cases) {
        g_PlayStatistics.m_fPlayTime = c.left;
        EXPECT_EQ(Make(c.op, 1, c.right).Test(ConditionContext{}), c.expected)
            << "op " << c.op << " " << c.left << " vs " << c.right;
    }
}

TEST(Condition, ValueKindsReadTheirSource)
{
    StatsGuard guard;
    int32_t words[21];
    for (int i = 0; i < 21; ++i)
        words[i] = 100 + i;
    std::memcpy(&g_PlayStatistics, words, sizeof(words));
    g_PlayStatistics.m_fPlayTime = 12.5f;
    g_PlayStatistics.m_fDistanceX = 3.25f;

    AccessoryTable table;
    table.Create();
    AccessoryTable* savedTable = g_pAccessoryTable;
    g_pAccessoryTable = &table;
    PlayerSaveData savedData = g_PlayerSaveData;
    g_PlayerSaveData.Reset();
    g_PlayerSaveData.m_nEquippedAccessory = 0xABCD00u;
    g_PlayerSaveData.CountQuestClear(HashName("quest_A"));
    g_PlayerSaveData.CountQuestClear(HashName("quest_A"));

    struct { uint32_t kind; int32_t argument; float expected; } cases[] = {
        {1, 0, 12.5f}, {2, 0, 101}, {3, 0, 3.25f}, {4, 0, 103}, {6, 0, 105}, {11, 0, 110}, {16, 0, 115},
        // Kinds 17 and 18 have no word in the block: 19 reads word 16.
        {19, 0, 116}, {20, 0, 117}, {23, 0, 120},
        {24, 0, static_cast<float>(0xABCD00u)},
        {28, 0, FLT_MAX},
        {31, static_cast<int32_t>(HashName("quest_A")), 2}, {31, static_cast<int32_t>(HashName("quest_B")), 0},
        {33, 0, 1}, // the default record is the whole table and it is owned
        {0, 0, 0}, {34, 0, 0}, {0xFFFFFFFFu, 0, 0},
        // Without the components they read, the object and player kinds give their "missing" values.
        {17, 0, 0}, {18, 0, 0}, {25, 0, 0}, {26, 0, 0}, {27, 0, FLT_MAX}, {30, 0, 0},
    };
    for (auto& c : cases)
        EXPECT_EQ(ConditionValue(ConditionContext{}, c.kind, c.argument), c.expected) << "kind " << c.kind;
    EXPECT_TRUE(std::isinf(ConditionValue(ConditionContext{}, 29, 0)));

    table.Insert(HashName("accessory_Ring"), std::make_unique<AccessoryRecord>());
    EXPECT_EQ(ConditionValue(ConditionContext{}, 33, 0), 0.0f); // one record not owned

    g_pAccessoryTable = savedTable;
    g_PlayerSaveData = savedData;
}

TEST(Condition, PercentagesNeedTheirMaximum)
{
    // A predicate turns the value into a percentage only of kinds 17, 18 and 25, and only
    // when the maximum can be read; otherwise the value stands.
    struct { uint32_t kind; float value; int32_t predicate; float expected; } cases[] = {
        {17, 50, 1, 50}, {18, 25, 1, 25}, {25, 80, 7, 80}, {1, 50, 1, 50}, {17, 50, 0, 50}, {32, 12.5f, 1, 12.5f},
    };
    for (auto& c : cases)
        EXPECT_EQ(ConditionRightSide(ConditionContext{}, c.kind, c.value, c.predicate), c.expected) << c.kind;
}

TEST(Condition, RandomKindGivesFreshValuesBelowAHundred)
{
    SfmtInit(1234);
    std::set<float> seen;
    for (int i = 0; i < 200; ++i) {
        float v = ConditionValue(ConditionContext{}, 32, 0);
        ASSERT_GE(v, 0.0f);
        ASSERT_LE(v, 99.0f);
        ASSERT_EQ(v, std::floor(v));
        seen.insert(v);
    }
    EXPECT_GT(seen.size(), 50u);
}

TEST(Condition, MissingPlayerMeansFarAway)
{
    // Kind 27 without a player is FLT_MAX: "closer than 500" fails, "farther than 500" holds.
    EXPECT_FALSE(Make(eCompare_Less, 27, 500).Test(ConditionContext{}));
    EXPECT_TRUE(Make(eCompare_Greater, 27, 500).Test(ConditionContext{}));
    // "Always" needs nothing from the context.
    EXPECT_TRUE(Make(eCompare_Always, 25, 0).Test(ConditionContext{}));
}

TEST(ConditionSet, IsAnOrOfAndGroups)
{
    StatsGuard guard;
    g_PlayStatistics.m_nJumpCount = 5; // kind 8
    const Condition yes = Make(eCompare_Equal, 8, 5), no = Make(eCompare_Greater, 8, 5);
    struct { const char* name; std::vector<ConditionGroup> groups; bool expected; } cases[] = {
        {"empty set", {}, false},
        {"one empty group", {{}}, true},
        {"false group then empty group", {{no}, {}}, true},
        {"all true", {{yes, yes}}, true},
        {"one false in the group", {{yes, no, yes}}, false},
        {"second group holds", {{yes, no}, {yes}}, true},
        {"no group holds", {{no}, {yes, no}}, false},
    };
    for (auto& c : cases) {
        ConditionSet set;
        set.m_Groups = c.groups;
        EXPECT_EQ(set.Evaluate(ConditionContext{}), c.expected) << c.name;
    }
}
