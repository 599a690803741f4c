#include <gtest/gtest.h>

#include "Components/Game/TalkChannel.h"
#include "System/Common/NameHash.h"
#include "World/TextTable.h"

namespace {

// A text table whose every key of the triggers has one line naming the key, while it lives.
class TalkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_pOld = g_pTextTable;
        g_pTextTable = &m_Table;
        const char* const keys[] = {"attacked_health_1", "attacked_health_2", "attacked_health_3",
                                    "attacked_health_4", "take_heal_item_0",  "take_heal_item_1",
                                    "take_heal_item_2",  "take_heal_item_3",  "take_heal_item_4",
                                    "take_heal_item_5",  "combo_50",          "combo_999",
                                    "dead",              "long_wait",         "enemy_bites",
                                    "herb_taken"};
        for (const char* key : keys)
            m_Table.Insert(HashName(key), {key});
        m_Table.Insert(HashName("over_kill"), {"too $helth much$ $combo!"});
        g_nTalkEnableMask = 0x7FFFFFFF;
        g_TalkChannelQueue.Clear(0);
        m_nPosts = 0;
        m_pfnPostNext = g_pfnTalkWindowPostNext;
        g_pfnTalkWindowPostNext = [] { ++m_nPosts; };
    }
    void TearDown() override
    {
        g_pTextTable = m_pOld;
        g_nTalkEnableMask = 0;
        g_TalkChannelQueue.Clear(0);
        g_pfnTalkWindowPostNext = m_pfnPostNext;
    }
    // The immediate channel's lines, emptying it.
    static std::vector<std::string> Lines()
    {
        std::vector<std::string> lines;
        std::string line;
        while (g_TalkChannelQueue.PopFront(ImmediateTalkChannel(), line))
            lines.push_back(line);
        return lines;
    }

    TextTable m_Table;
    TextTable* m_pOld = nullptr;
    static inline int m_nPosts = 0;
    void (*m_pfnPostNext)() = nullptr;
};

} // namespace

// The keys the health share selects, and the combos that speak.
TEST_F(TalkTest, Keys)
{
    struct Case {
        const char* name;
        void (*fire)();
        const char* line; // "" nothing
    };
    const Case cases[] = {
        {"attacked at full health", [] { TalkOnAttacked(100, 100); }, "attacked_health_4"},
        {"attacked at 0", [] { TalkOnAttacked(0, 100); }, "attacked_health_1"},
        {"attacked at 50", [] { TalkOnAttacked(50, 100); }, "attacked_health_2"},
        {"attacked with max 0", [] { TalkOnAttacked(5, 0); }, "attacked_health_1"},
        {"heal at full health", [] { TalkOnHealItem(100, 100); }, "take_heal_item_5"},
        {"heal at 0", [] { TalkOnHealItem(0, 100); }, "take_heal_item_0"},
        {"heal at 79", [] { TalkOnHealItem(79, 100); }, "take_heal_item_3"},
        {"combo 50", [] { TalkOnCombo(50); }, "combo_50"},
        {"combo 75", [] { TalkOnCombo(75); }, ""},
        {"combo 999", [] { TalkOnCombo(999); }, "combo_999"},
        {"combo 100 has no line", [] { TalkOnCombo(100); }, ""},
        {"by key", [] { TalkByKeyHash(HashName("enemy_bites")); }, "enemy_bites"},
        {"over-kill is scanned", [] { TalkOnOverKill(); }, "too  much$ !"},
        {"long wait", [] { TalkOnLongWait(); }, "long_wait"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.fire();
        const auto lines = Lines();
        if (*c.line) {
            ASSERT_EQ(lines.size(), 1u);
            EXPECT_EQ(lines[0], c.line);
        } else {
            EXPECT_TRUE(lines.empty());
        }
    }
}

// A new line replaces one that waits; a key without lines leaves the channel as it was; with
// the mask at 0 only the always-trigger speaks.
TEST_F(TalkTest, ChannelAndMask)
{
    TalkOnDead();
    TalkOnLongWait();
    EXPECT_EQ(g_TalkChannelQueue.Count(ImmediateTalkChannel()), 1u);
    EXPECT_EQ(m_nPosts, 2);
    TalkByKeyHash(HashName("no_such_key"));
    TalkOnCombo(500); // no "combo_500" in the table
    EXPECT_EQ(m_nPosts, 2);
    EXPECT_EQ(Lines(), std::vector<std::string>{"long_wait"});

    g_nTalkEnableMask = 0;
    TalkOnAttacked(1, 2);
    TalkOnDead();
    TalkByKeyHash(HashName("enemy_bites"));
    TalkOnHealItem(1, 2);
    EXPECT_TRUE(Lines().empty());
    TalkByKeyHashAlways(HashName("herb_taken"));
    EXPECT_EQ(Lines(), std::vector<std::string>{"herb_taken"});
}

// The placeholder scan: the four placeholders vanish, any other '$' stays.
TEST(TalkScan, Placeholders)
{
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"", ""},
        {"plain", "plain"},
        {"a $enemy b", "a  b"},
        {"$helth$enemy$item$combo", ""},
        {"$hel", "$hel"},
        {"cost $5 $itemx", "cost $5 x"},
        {"$$combo$", "$$"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StripTalkPlaceholders(c.in), c.out) << c.in;
}

// The queue's own operations.
TEST(TalkQueue, Operations)
{
    TalkChannelQueue q;
    std::string line;
    EXPECT_FALSE(q.PopFront(1, line));
    EXPECT_EQ(q.Count(1), 0u);
    q.PushBack(1, "b");
    q.PushFront(1, "a");
    q.PushBack(2, "x");
    EXPECT_EQ(q.Count(1), 2u);
    ASSERT_TRUE(q.PopFront(1, line));
    EXPECT_EQ(line, "a");
    q.Clear(1);
    EXPECT_EQ(q.Count(1), 0u);
    EXPECT_EQ(q.Count(2), 1u);
    q.Clear(0);
    EXPECT_EQ(q.Count(2), 0u);
}
