#include <gtest/gtest.h>

#include <lua.hpp>

#include <memory>
#include <string>
#include <vector>

#include "Platform/Win32/CodePage.h"
#include "Support/TempDir.h"
#include "System/Archive/ArchiveSystem.h"
#include "System/Archive/FileSystemArchive.h"
#include "System/Common/NameHash.h"
#include "System/Lua/ScriptSystem.h"
#include "World/AccessoryTable.h"
#include "World/PlayStatistics.h"
#include "World/PlayerSaveData.h"
#include "World/QuestTable.h"
#include "World/TextTable.h"

namespace {

// Lua files under <temp>/assets.v1/scripts/, an archive system rooted at <temp>/ with that
// folder mounted, and a script host: what entering the world state sets up for the loaders.
class DataTableTest : public ::testing::Test {
protected:
    void Write(const std::string& file, const std::string& lua) { m_Dir.WriteFile("assets.v1/scripts/" + file, lua); }

    void Mount(const std::string& root)
    {
        // The folder archive takes its root from the process-wide archive system.
        delete g_pArchiveSystem;
        ASSERT_TRUE(ArchiveSystem::GetInstance()->SetRoot(root));
        ASSERT_NE(g_pArchiveSystem->Mount(new FileSystemArchive("assets.v1/scripts")), nullptr);
        m_pScript = std::make_unique<ScriptSystem>();
        g_pScriptSystem = m_pScript.get();
    }
    void Mount() { Mount(m_Dir.Path() + "/"); }

    void TearDown() override
    {
        if (m_pScript)
            m_pScript->Shutdown();
        m_pScript.reset();
        g_pScriptSystem = nullptr;
        delete g_pArchiveSystem;
    }

    TempDir m_Dir;
    std::unique_ptr<ScriptSystem> m_pScript;
};

std::string ShiftJis(const wchar_t* text)
{
    char out[256];
    int n = WideCharToMultiByte(CP_SHIFT_JIS, 0, text, -1, out, sizeof out, nullptr, nullptr);
    return n > 0 ? std::string(out, n - 1) : std::string();
}

} // namespace

TEST_F(DataTableTest, AccessoriesReadEveryKeyAndKeepTheDefault)
{
    Write("accessory/accessory_Ring.lua", R"(
        accessory_Ring = { accessoryId = 7.9, name = "Ring", explain = "Guards",
          ability = {
            { target = 0, pointType = 2, point = 1.5 },
            { target = 18, pointType = 3, point = -4 },
            { target = 0, pointType = 5, point = 9 },   -- a later entry for a slot wins
            { target = 19, pointType = 1, point = 1 },  -- outside the 19 slots: ignored
            { target = -1, pointType = 1, point = 1 },
            "not a table",
          } })");
    Write("accessory/accessory_Bare.lua", "accessory_Bare = {}");
    Write("accessory/accessory_Empty.lua", "accessory_Empty = { accessoryId = 99, name = 'impostor' }");
    Write("accessory/accessory_NoTable.lua", "something_else = { accessoryId = 3 }");
    Write("accessory/accessory_Broken.lua", "accessory_Broken = { accessoryId = ");
    Write("quest/accessory_Elsewhere.lua", "accessory_Elsewhere = { accessoryId = 4 }"); // outside the prefix
    Mount();

    AccessoryTable table;
    table.Create();
    table.Load("assets.v1/scripts/accessory");
    EXPECT_EQ(table.GetCount(), 3u);

    const AccessoryRecord* empty = table.Find(HashName("accessory_Empty"));
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(g_nDefaultAccessoryKey, HashName("accessory_Empty"));
    EXPECT_EQ(empty->m_nAccessoryId, 0);
    EXPECT_EQ(empty->m_Name, ShiftJis(L"アクセサリなし"));
    EXPECT_EQ(empty->m_Explanation, ShiftJis(L"装備していません"));
    for (const AccessoryAbility& a : empty->m_aAbilities)
        EXPECT_EQ(a.m_fPoint, 0.0f);

    const AccessoryRecord* ring = table.Find(HashName("accessory_Ring"));
    ASSERT_NE(ring, nullptr);
    EXPECT_EQ(ring->m_nAccessoryId, 7);
    EXPECT_EQ(ring->m_Name, "Ring");
    EXPECT_EQ(ring->m_Explanation, "Guards");
    EXPECT_EQ(ring->m_aAbilities[0].m_nPointType, 5);
    EXPECT_EQ(ring->m_aAbilities[0].m_fPoint, 9.0f);
    EXPECT_EQ(ring->m_aAbilities[18].m_nPointType, 3);
    EXPECT_EQ(ring->m_aAbilities[18].m_fPoint, -4.0f);
    for (int i = 1; i < 18; ++i)
        EXPECT_EQ(ring->m_aAbilities[i].m_nPointType, 0) << i;

    const AccessoryRecord* bare = table.Find(HashName("accessory_Bare"));
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(bare->m_nAccessoryId, 0);
    EXPECT_EQ(bare->m_Name, "");
    EXPECT_EQ(table.Find(HashName("accessory_NoTable")), nullptr);
    EXPECT_EQ(table.Find(HashName("accessory_Elsewhere")), nullptr);
}

TEST_F(DataTableTest, QuestsReadEveryKey)
{
    Write("quest/quest_Full.lua", R"(
        quest_Full = {
          questId = 12, questName = "Full", questNameImage = "img_full", questMode = 3, questFlags = 6,
          questInitLevel = 4, explain = "All keys",
          startUpMessage = { { "a1", "a2" }, { "b1" } },
          clearImpression = { { "c1" } },
          enemyList = {
            mobs = { { name = "mob_A", rate = 30 }, { name = "mob_B", rate = 70.8 } },
            objectives = {
              { name = "obj_A", time = { 1.5, 2.5 }, icon = "icon_a", count = 3 },
              { name = "obj_B", count = 0 },
              { name = "obj_C", count = -2 },
            },
            stranger = { name = "str", rate = 15, time = { 30, 60 } },
            boss = { name = "boss_X", position = { x = 100, y = -20 }, nextStage = "stage_Next",
                     fadeColor = { r = 255, g = 128, b = 0, a = 64 },
                     follower = { { name = "fol", position = { x = 1, y = 2 }, respawn = 3.5 } } },
          },
          stage = { name = "stage_Full", areaCount = 5 },
          rewards = {
            { rewardType = 1, rewardValue = 3, rewardText = "rank",
              rewardInfo = { { name = "n0", suggestion = "s0" }, { name = "n1", suggestion = "s1" } } },
            { rewardType = 3, rewardValue = Script.hash("accessory_Ring"), rewardText = "ring",
              condition = { { { compare = 5, target = 31, type = Script.hash("quest_Full"), value = 2 } },
                            { { compare = 1.9, target = 8, type = 4.7, value = 2.5, predicate = 1 } } } },
            { rewardType = 3, rewardValue = 12345 },     -- a number is no key: reads 0
            { rewardType = 2, rewardValue = 4, condition = {} },
          },
        })");
    Mount();
    QuestTable table;
    table.Load("assets.v1/scripts/quest/");
    const QuestRecord* q = table.Find(HashName("quest_Full"));
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(q->m_nQuestId, 12);
    EXPECT_EQ(q->m_nKey, HashName("quest_Full"));
    EXPECT_EQ(q->m_QuestName, "Full");
    EXPECT_EQ(q->m_nNameImage, HashName("img_full"));
    EXPECT_EQ(q->m_nMode, 3);
    EXPECT_EQ(q->m_nFlagMask, 6u);
    EXPECT_EQ(q->m_nInitialLevel, 4);
    EXPECT_EQ(q->m_Explanation, "All keys");
    EXPECT_EQ(q->m_StartUpMessages, (std::vector<std::vector<std::string>>{{"a1", "a2"}, {"b1"}}));
    EXPECT_EQ(q->m_ClearImpressions, (std::vector<std::vector<std::string>>{{"c1"}}));
    EXPECT_EQ(q->m_StageName, "stage_Full");
    EXPECT_EQ(q->m_nStageKey, HashName("stage_Full"));
    EXPECT_EQ(q->m_nAreaCount, 5);

    const QuestEnemyList& e = q->m_EnemyList;
    ASSERT_EQ(e.m_Mobs.size(), 2u);
    EXPECT_EQ(e.m_Mobs[1].m_Name, "mob_B");
    EXPECT_EQ(e.m_Mobs[1].m_nRate, 70);
    ASSERT_EQ(e.m_Objectives.size(), 3u);
    EXPECT_EQ(e.m_Objectives[0].m_Name, "obj_A");
    EXPECT_EQ(e.m_Objectives[0].m_fTimeFrom, 1.5f);
    EXPECT_EQ(e.m_Objectives[0].m_fTimeTo, 2.5f);
    EXPECT_EQ(e.m_Objectives[0].m_nIcon, HashName("icon_a"));
    EXPECT_EQ(e.m_Objectives[0].m_nCount, 3);
    EXPECT_EQ(e.m_Objectives[1].m_nCount, 1); // a count below 1 counts as 1
    EXPECT_EQ(e.m_Objectives[2].m_nCount, 1);
    EXPECT_EQ(e.m_Objectives[1].m_nIcon, 0u);
    EXPECT_EQ(e.m_nStrangerRate, 15);
    EXPECT_EQ(e.m_StrangerName, "str");
    EXPECT_EQ(e.m_fStrangerTimeFrom, 30.0f);
    EXPECT_EQ(e.m_fStrangerTimeTo, 60.0f);
    EXPECT_EQ(e.m_BossName, "boss_X");
    EXPECT_EQ(e.m_fBossPositionX, 100.0f);
    EXPECT_EQ(e.m_fBossPositionY, -20.0f);
    EXPECT_EQ(e.m_BossNextStage, "stage_Next");
    // 0xAARRGGBB like every colour the renderers take; green 128 survives the trip through 0..1.
    EXPECT_EQ(e.m_nBossFadeColor, 0x40FF8000u);
    ASSERT_EQ(e.m_Followers.size(), 1u);
    EXPECT_EQ(e.m_Followers[0].m_Name, "fol");
    EXPECT_EQ(e.m_Followers[0].m_fPositionX, 1.0f);
    EXPECT_EQ(e.m_Followers[0].m_fPositionY, 2.0f);
    EXPECT_EQ(e.m_Followers[0].m_fRespawn, 3.5f);

    ASSERT_EQ(q->m_Rewards.size(), 4u);
    const QuestReward& rank = q->m_Rewards[0];
    EXPECT_EQ(rank.m_nRewardType, 1);
    EXPECT_EQ(rank.m_nRewardValue, 3u);
    EXPECT_EQ(rank.m_RewardText, "rank");
    ASSERT_EQ(rank.m_RewardInfo.size(), 2u);
    EXPECT_EQ(rank.m_RewardInfo[1].m_Name, "n1");
    EXPECT_EQ(rank.m_RewardInfo[1].m_Suggestion, "s1");
    // No condition: one group holding one "always".
    ASSERT_EQ(rank.m_Condition.m_Groups.size(), 1u);
    ASSERT_EQ(rank.m_Condition.m_Groups[0].size(), 1u);
    EXPECT_EQ(rank.m_Condition.m_Groups[0][0].m_nCompare, eCompare_Always);
    EXPECT_TRUE(rank.m_Condition.Evaluate(ConditionContext{}));

    const QuestReward& ring = q->m_Rewards[1];
    EXPECT_EQ(ring.m_nRewardValue, HashName("accessory_Ring"));
    ASSERT_EQ(ring.m_Condition.m_Groups.size(), 2u);
    const Condition& byQuest = ring.m_Condition.m_Groups[0][0];
    EXPECT_EQ(byQuest.m_nCompare, 5);
    EXPECT_EQ(byQuest.m_nTarget, 31u);
    EXPECT_EQ(static_cast<uint32_t>(byQuest.m_nArgument), HashName("quest_Full"));
    EXPECT_EQ(byQuest.m_fValue, 2.0f);
    const Condition& byNumber = ring.m_Condition.m_Groups[1][0];
    EXPECT_EQ(byNumber.m_nCompare, 1);
    EXPECT_EQ(byNumber.m_nTarget, 8u);
    EXPECT_EQ(byNumber.m_nArgument, 4);
    EXPECT_EQ(byNumber.m_fValue, 2.5f);
    EXPECT_EQ(byNumber.m_nPredicate, 1);

    EXPECT_EQ(q->m_Rewards[2].m_nRewardValue, 0u);
    // An empty condition is an empty set: it never holds.
    EXPECT_TRUE(q->m_Rewards[3].m_Condition.m_Groups.empty());
    EXPECT_FALSE(q->m_Rewards[3].m_Condition.Evaluate(ConditionContext{}));
}

TEST_F(DataTableTest, QuestDefaults)
{
    Write("quest/quest_Min.lua", R"(quest_Min = { enemyList = { boss = { name = "b" }, objectives = { {} } } })");
    Write("quest/quest_Odd.lua", R"(quest_Odd = { questId = "5", stage = 3, rewards = { 7, { rewardType = 4 } },
                                                 startUpMessage = { "flat", { 1, true } } })");
    Mount();
    QuestTable table;
    table.Load("assets.v1/scripts/quest/");
    const QuestRecord* q = table.Find(HashName("quest_Min"));
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(q->m_nQuestId, 0);
    EXPECT_EQ(q->m_nStageKey, 0u);
    EXPECT_EQ(q->m_EnemyList.m_nStrangerRate, 0);
    EXPECT_EQ(q->m_EnemyList.m_fStrangerTimeFrom, 0.0f);
    EXPECT_EQ(q->m_EnemyList.m_fStrangerTimeTo, 0.0f);
    EXPECT_EQ(q->m_EnemyList.m_nBossFadeColor, 0xFFFFFFFFu);
    ASSERT_EQ(q->m_EnemyList.m_Objectives.size(), 1u);
    EXPECT_EQ(q->m_EnemyList.m_Objectives[0].m_nCount, 1);
    EXPECT_TRUE(q->m_Rewards.empty());

    const QuestRecord* odd = table.Find(HashName("quest_Odd"));
    ASSERT_NE(odd, nullptr);
    EXPECT_EQ(odd->m_nQuestId, 5); // a numeral string reads as its number
    EXPECT_EQ(odd->m_nStageKey, 0u);
    ASSERT_EQ(odd->m_Rewards.size(), 1u); // the entry that is not a table is passed over
    EXPECT_EQ(odd->m_Rewards[0].m_nRewardType, 4);
    EXPECT_EQ(odd->m_StartUpMessages, (std::vector<std::vector<std::string>>{{}, {"1", ""}}));
}

TEST_F(DataTableTest, TheFirstFileToGiveAKeyKeepsIt)
{
    // Two folders under the quest folder give the same table name; text keys repeat across files.
    Write("quest/a/quest_Twice.lua", "quest_Twice = { questId = 1 }");
    Write("quest/b/quest_Twice.lua", "quest_Twice = { questId = 2 }");
    Write("text/text_A.lua", R"(text_A = { hello = { "first" }, only_a = { "a" } })");
    Write("text/text_B.lua", R"(text_B = { hello = { "second" }, only_b = { "b1", "b2" } })");
    Mount();

    QuestTable quests;
    quests.Load("assets.v1/scripts/quest/");
    ASSERT_NE(quests.Find(HashName("quest_Twice")), nullptr);
    EXPECT_EQ(quests.Find(HashName("quest_Twice"))->m_nQuestId, 1);
    EXPECT_EQ(quests.GetCount(), 1u);

    TextTable texts;
    texts.Load("assets.v1/scripts/text/");
    EXPECT_EQ(texts.GetCount(), 3u);
    ASSERT_NE(texts.Find(HashName("hello")), nullptr);
    EXPECT_EQ(*texts.Find(HashName("hello")), std::vector<std::string>{"first"});
    EXPECT_EQ(*texts.Find(HashName("only_b")), (std::vector<std::string>{"b1", "b2"}));
}

TEST_F(DataTableTest, TextsTakeStringKeysWithArrays)
{
    Write("text/talk.lua", R"(talk = { line = { "x", 7, {} }, [1] = { "numbered" }, flat = "not a list", none = {} })");
    Mount();
    TextTable texts;
    texts.Load("assets.v1/scripts/text/");
    EXPECT_EQ(texts.GetCount(), 2u);
    EXPECT_EQ(*texts.Find(HashName("line")), (std::vector<std::string>{"x", "7", ""}));
    EXPECT_EQ(*texts.Find(HashName("none")), std::vector<std::string>{});
    EXPECT_EQ(texts.Find(HashName("flat")), nullptr);
}

TEST_F(DataTableTest, MissingFolderLeavesTablesEmpty)
{
    Mount();
    QuestTable quests;
    quests.Load("assets.v1/scripts/quest/");
    TextTable texts;
    texts.Load("assets.v1/scripts/text/");
    EXPECT_EQ(quests.GetCount(), 0u);
    EXPECT_EQ(texts.GetCount(), 0u);
}

// Lua's length of a sparse table is any border: {[1]=x, [2]=x, [4]=x, ..., [2^29]=x} holds 30
// entries and has a length of 2^29. Such a list must be read in bounded time and memory: the
// items up to the number of entries the table holds.
TEST_F(DataTableTest, SparseListsAreReadAsFarAsTheirEntries)
{
    auto sparse = [](const std::string& item) {
        std::string t = "{";
        for (int bit = 0; bit <= 29; ++bit) {
            t += '[';
            t += std::to_string(1u << bit);
            t += "]=";
            t += item;
            t += ',';
        }
        return t + "}";
    };
    Write("quest/quest_Sparse.lua", "quest_Sparse = { startUpMessage = " + sparse("{'a'}") +
                                        ", clearImpression = { " + sparse("'b'") + " }, rewards = { { rewardType = 4, "
                                        "condition = " + sparse("{}") + " }, { rewardType = 1, condition = { " +
                                        sparse("{compare = 7}") + " } } }, enemyList = { mobs = " +
                                        sparse("{rate = 1}") + " } }");
    Write("text/text_Sparse.lua", "text_Sparse = { lines = " + sparse("'x'") + " }");
    Write("accessory/accessory_Sparse.lua", "accessory_Sparse = { ability = " + sparse("{target = 1, point = 2}") + " }");
    Mount();

    QuestTable quests;
    quests.Load("assets.v1/scripts/quest/");
    const QuestRecord* q = quests.Find(HashName("quest_Sparse"));
    ASSERT_NE(q, nullptr);
    // Items 1 to 30: present at 1, 2, 4, 8 and 16.
    ASSERT_EQ(q->m_StartUpMessages.size(), 30u);
    EXPECT_EQ(q->m_StartUpMessages[0], std::vector<std::string>{"a"});
    EXPECT_TRUE(q->m_StartUpMessages[2].empty());
    ASSERT_EQ(q->m_ClearImpressions.size(), 1u);
    EXPECT_EQ(q->m_ClearImpressions[0].size(), 30u);
    EXPECT_EQ(q->m_EnemyList.m_Mobs.size(), 5u);
    ASSERT_EQ(q->m_Rewards.size(), 2u);
    EXPECT_EQ(q->m_Rewards[0].m_Condition.m_Groups.size(), 30u);
    ASSERT_EQ(q->m_Rewards[1].m_Condition.m_Groups.size(), 1u);
    EXPECT_EQ(q->m_Rewards[1].m_Condition.m_Groups[0].size(), 30u);

    TextTable texts;
    texts.Load("assets.v1/scripts/text/");
    ASSERT_NE(texts.Find(HashName("lines")), nullptr);
    EXPECT_EQ(texts.Find(HashName("lines"))->size(), 30u);

    AccessoryTable accessories;
    accessories.Load("assets.v1/scripts/accessory");
    ASSERT_NE(accessories.Find(HashName("accessory_Sparse")), nullptr);
    EXPECT_EQ(accessories.Find(HashName("accessory_Sparse"))->m_aAbilities[1].m_fPoint, 2.0f);
}

// Data can give its tables metatables, which run while the loaders read. One that raises an
// error costs the file it is in, with an error line naming the file and Lua's message; the
// process and the other files go on.
TEST_F(DataTableTest, ALuaErrorWhileReadingSkipsItsFileWithAnError)
{
    const std::string failing = "setmetatable({}, { __index = function(t, k) error('no field ' .. k) end })";
    struct Case {
        const char* what;
        const char* folder; // quest/ or accessory/
        const char* name;   // the global and file name
        std::string table;
        const char* message;
    } cases[] = {
        {"failing record", "quest/", "quest_Bad", failing, "no field "},
        {"failing sub-table", "quest/", "quest_Deep",
         "{ questId = 2, enemyList = { boss = setmetatable({}, { __index = function() error('boss unreadable') end }) } }",
         "boss unreadable"},
        {"error value that is no string", "quest/", "quest_Odd",
         "setmetatable({}, { __index = function() error({}) end })", "error value of type table"},
        {"endless __index", "quest/", "quest_Loop", "setmetatable({}, { __index = function(t, k) return t[k] end })",
         "stack overflow"},
        {"failing accessory", "accessory/", "accessory_Bad", failing, "no field "},
    };
    for (const Case& c : cases)
        Write(std::string(c.folder) + c.name + ".lua", std::string(c.name) + " = " + c.table);
    Write("quest/quest_Zed.lua", "quest_Zed = { questId = 9 }");
    Write("accessory/accessory_Zed.lua", "accessory_Zed = { accessoryId = 9 }");
    Mount();

    QuestTable quests;
    AccessoryTable accessories;
    testing::internal::CaptureStdout();
    quests.Load("assets.v1/scripts/quest/");
    accessories.Load("assets.v1/scripts/accessory/");
    const std::string log = testing::internal::GetCapturedStdout();

    for (const Case& c : cases) {
        const std::string file = std::string("assets.v1/scripts/") + c.folder + c.name + ":";
        bool reported = false;
        for (size_t at = log.find(":ERROR:"); at != std::string::npos; at = log.find(":ERROR:", at + 1)) {
            const std::string line = log.substr(at, log.find('\n', at) - at);
            reported = reported || (line.find(file) != std::string::npos && line.find(c.message) != std::string::npos);
        }
        EXPECT_TRUE(reported) << c.what << "\n" << log;
        EXPECT_EQ(quests.Find(HashName(c.name)), nullptr) << c.what;
        EXPECT_EQ(accessories.Find(HashName(c.name)), nullptr) << c.what;
    }
    ASSERT_NE(quests.Find(HashName("quest_Zed")), nullptr);
    EXPECT_EQ(quests.Find(HashName("quest_Zed"))->m_nQuestId, 9);
    ASSERT_NE(accessories.Find(HashName("accessory_Zed")), nullptr);
    EXPECT_EQ(accessories.Find(HashName("accessory_Zed"))->m_nAccessoryId, 9);
}

// A script host that has shut down gives no contexts: loading reports it and adds nothing.
TEST_F(DataTableTest, NoScriptContextLoadsNothing)
{
    Write("quest/quest_A.lua", "quest_A = { questId = 1 }");
    Mount();
    m_pScript->Shutdown();
    QuestTable quests;
    quests.Load("assets.v1/scripts/quest/");
    EXPECT_EQ(quests.GetCount(), 0u);
}

TEST(QuestTable, QueryFiltersAndSortsStably)
{
    QuestTable table;
    struct { const char* name; int32_t id; uint32_t mask; const char* stage; } quests[] = {
        {"q_a", 3, 0, "s1"}, {"q_b", 1, 1, "s1"}, {"q_c", 2, 0, "s2"}, {"q_d", 1, 0, "s1"},
        {"q_e", 1, 0, "s2"}, {"q_f", 0, 6, "s1"}, {"q_g", 2, 4, "s2"},
    };
    for (auto& q : quests) {
        auto record = std::make_unique<QuestRecord>();
        record->m_nQuestId = q.id;
        record->m_nKey = HashName(q.name);
        record->m_nFlagMask = q.mask;
        record->m_nStageKey = HashName(q.stage);
        NameId key = record->m_nKey;
        table.Insert(key, std::move(record));
    }
    auto ids = [](const std::vector<QuestRecord*>& list) {
        std::vector<int32_t> v;
        for (auto* r : list)
            v.push_back(r->m_nQuestId);
        return v;
    };
    struct { uint32_t bits; const char* stage; std::vector<int32_t> expected; } cases[] = {
        {0, nullptr, {1, 1, 2, 3}},        // only the quests with no mask
        {1, nullptr, {1, 1, 1, 2, 3}},
        {4, "s2", {1, 2, 2}},
        {6, "s1", {0, 1, 3}},              // mask 6 needs both bits
        {2, "s1", {1, 3}},
        {0, "none", {}},
    };
    for (auto& c : cases) {
        std::vector<QuestRecord*> out;
        bool any = table.Query(out, c.bits, c.stage ? HashName(c.stage) : 0);
        EXPECT_EQ(ids(out), c.expected) << c.bits << " " << (c.stage ? c.stage : "any");
        EXPECT_EQ(any, !c.expected.empty());
    }

    // Stable: equal ids keep the order in which the records were visited, also across calls
    // that append to one list (the quest-select screen queries stage by stage).
    std::vector<QuestRecord*> unsorted;
    for (NameId key : {HashName("q_d"), HashName("q_e")})
        unsorted.push_back(table.Find(key));
    std::vector<QuestRecord*> all = unsorted;
    table.Query(all, 0, HashName("s2"));
    std::vector<QuestRecord*> expectFirst(all.begin(), all.begin() + 2);
    EXPECT_EQ(expectFirst, unsorted);
    EXPECT_EQ(ids(all), (std::vector<int32_t>{1, 1, 1, 2}));
}

// The demo data of the repository loads through the same loaders.
TEST_F(DataTableTest, DemoDataLoads)
{
    Mount(std::string(QM_SOURCE_DIR) + "/content/");
    AccessoryTable accessories;
    accessories.Create();
    accessories.Load("assets.v1/scripts/accessory");
    QuestTable quests;
    quests.Load("assets.v1/scripts/quest/");
    TextTable texts;
    texts.Load("assets.v1/scripts/text/");
    EXPECT_GE(accessories.GetCount(), 3u);
    EXPECT_GE(quests.GetCount(), 3u);
    ASSERT_NE(quests.Find(HashName("vididezare")), nullptr); // the home quest the title starts
    EXPECT_NE(texts.Find(HashName("dead")), nullptr);
    // Every accessory a quest rewards exists.
    std::vector<QuestRecord*> all;
    quests.Query(all, 0xFFFFFFFFu, 0);
    for (const QuestRecord* q : all) {
        for (const QuestReward& r : q->m_Rewards) {
            if (r.m_nRewardType == eRewardType_Accessory) {
                EXPECT_NE(accessories.Find(r.m_nRewardValue), nullptr) << q->m_QuestName;
            }
        }
    }
}
