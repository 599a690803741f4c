#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "System/Common/NameHash.h"
#include "System/Common/StreamIO.h"
#include "World/AccessoryTable.h"
#include "World/PlayStatistics.h"
#include "World/PlayerSaveData.h"
#include "World/QuestTable.h"

namespace {

std::string Word(uint32_t v)
{
    std::string s;
    for (int i = 0; i < 4; ++i)
        s += static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
}

// An accessory table with the default record and a few more, installed for one test.
class ScopedAccessories {
public:
    explicit ScopedAccessories(std::initializer_list<std::pair<const char*, int32_t>> records)
    {
        m_Table.Create();
        for (auto& r : records) {
            auto record = std::make_unique<AccessoryRecord>();
            record->m_nAccessoryId = r.second;
            m_Table.Insert(HashName(r.first), std::move(record));
        }
        m_pSaved = g_pAccessoryTable;
        g_pAccessoryTable = &m_Table;
    }
    ~ScopedAccessories() { g_pAccessoryTable = m_pSaved; }

private:
    AccessoryTable m_Table;
    AccessoryTable* m_pSaved;
};

void ReadBytes(PlayerSaveData& data, const std::string& bytes)
{
    std::string copy = bytes;
    MemoryStreamIO stream;
    stream.Init(copy.data(), static_cast<uint32_t>(copy.size()), false, true);
    data.ReadFrom(stream);
}

// A fully populated record, different from the reset state in every field.
PlayerSaveData FullRecord()
{
    PlayerSaveData d;
    d.Reset();
    for (int i = 0; i < kSaveLevelCount; ++i)
        d.m_aLevels[i] = 10 + i;
    d.m_nExperience = 12345;
    d.m_nHonourLevel = 3;
    d.AddAccessory(HashName("accessory_Ring"));
    d.AddAccessory(HashName("accessory_Cape"));
    d.m_nEquippedAccessory = HashName("accessory_Ring");
    d.m_nFlagBits = 0x105;
    d.MarkQuestSeen(HashName("quest_A"));
    d.CountQuestClear(HashName("quest_B"));
    d.CountQuestClear(HashName("quest_B"));
    return d;
}

void ExpectSame(const PlayerSaveData& a, const PlayerSaveData& b)
{
    for (int i = 0; i < kSaveLevelCount; ++i)
        EXPECT_EQ(a.m_aLevels[i], b.m_aLevels[i]) << i;
    EXPECT_EQ(a.m_nExperience, b.m_nExperience);
    EXPECT_EQ(a.m_nHonourLevel, b.m_nHonourLevel);
    EXPECT_EQ(a.m_nEquippedAccessory, b.m_nEquippedAccessory);
    EXPECT_EQ(a.m_OwnedAccessories, b.m_OwnedAccessories);
    EXPECT_EQ(a.m_nFlagBits, b.m_nFlagBits);
    ASSERT_EQ(a.m_QuestProgress.size(), b.m_QuestProgress.size());
    for (auto& e : a.m_QuestProgress) {
        auto it = b.m_QuestProgress.find(e.first);
        ASSERT_NE(it, b.m_QuestProgress.end());
        EXPECT_EQ(it->second.m_nSeen, e.second.m_nSeen);
        EXPECT_EQ(it->second.m_nClearCount, e.second.m_nClearCount);
    }
}

} // namespace

TEST(PlayerSaveData, ResetImageIsTheFiftySixByteFile)
{
    PlayerSaveData d;
    d.Reset();
    std::string expected = "QMSD" + std::string(32, '\0') + Word(HashName("accessory_Empty")) + Word(1) +
                           Word(HashName("accessory_Empty")) + Word(0) + Word(0);
    EXPECT_EQ(expected.size(), 56u);
    EXPECT_EQ(d.Serialize(), expected);
}

TEST(PlayerSaveData, FullRecordRoundTrips)
{
    ScopedAccessories table({{"accessory_Ring", 5}, {"accessory_Cape", 2}});
    PlayerSaveData written = FullRecord();
    std::string bytes = written.Serialize();
    EXPECT_EQ(bytes.size(), 52u + 4u * 3 + 12u * 2);

    PlayerSaveData read;
    read.Reset();
    ReadBytes(read, bytes);
    ExpectSame(written, read);
}

// Damaged files, each read over the full record: what the reading keeps and what it takes.
TEST(PlayerSaveData, DamagedFilesReadAsFarAsTheyGo)
{
    ScopedAccessories table({{"accessory_Ring", 5}, {"accessory_Cape", 2}});
    const uint32_t ring = HashName("accessory_Ring"), empty = HashName("accessory_Empty");
    // Header and scalars of a file whose fields all differ from FullRecord.
    std::string head = "QMSD";
    for (uint32_t i = 0; i < 6; ++i)
        head += Word(0x0101u * (i + 1)); // levels inside their bound
    head += Word(777) + Word(9) + Word(empty);
    std::string afterList = head + Word(1) + Word(ring);
    std::string full = afterList + Word(0x40) + Word(1) + Word(HashName("quest_C")) + Word(1) + Word(4);

    struct Case {
        const char* name;
        std::string bytes;
        bool changed;            // anything taken from the file at all
        uint32_t experience;
        size_t owned;            // size of the owned list afterwards
        uint32_t equipped;
        uint32_t flags;
        size_t quests;           // quest records afterwards
    };
    PlayerSaveData base = FullRecord();
    const size_t baseQuests = base.m_QuestProgress.size();
    Case cases[] = {
        {"empty file", "", false, 12345, 3, ring, 0x105, baseQuests},
        {"short magic", "QMS", false, 12345, 3, ring, 0x105, baseQuests},
        {"bad magic", "QMSX" + full.substr(4), false, 12345, 3, ring, 0x105, baseQuests},
        {"magic only", "QMSD", true, 12345, 0, empty, 0x105, baseQuests},
        // Cut inside the experience: its low two bytes come from the file (777 = 0x309).
        {"cut in experience", head.substr(0, 30), true, (12345u & 0xFFFF0000u) | 777u, 0, empty, 0x105, baseQuests},
        {"cut before count", head, true, 777, 0, empty, 0x105, baseQuests},
        {"cut in count", head + Word(1).substr(0, 3), true, 777, 0, empty, 0x105, baseQuests},
        {"cut in owned key", head + Word(1) + Word(ring).substr(0, 2), true, 777, 0, empty, 0x105, baseQuests},
        {"huge owned count", head + Word(0xFFFFFFFFu) + Word(ring) + Word(0x40), true, 777, 0, empty, 0x105, baseQuests},
        {"cut in flags", afterList + Word(0x40).substr(0, 1), true, 777, 1, empty, 0x140, baseQuests},
        {"huge quest count", afterList + Word(0x40) + Word(0x7FFFFFFFu) + Word(1), true, 777, 1, empty, 0x40, baseQuests},
        {"cut in quest record", afterList + Word(0x40) + Word(1) + Word(5), true, 777, 1, empty, 0x40, baseQuests},
        {"whole file", full, true, 777, 1, empty, 0x40, baseQuests + 1},
        {"trailing bytes", full + "junk", true, 777, 1, empty, 0x40, baseQuests + 1},
    };
    for (const Case& c : cases) {
        PlayerSaveData d = FullRecord();
        ReadBytes(d, c.bytes);
        EXPECT_EQ(d.m_aLevels[0], c.changed && c.bytes.size() >= 8 ? 0x0101u : 10u) << c.name;
        EXPECT_EQ(d.m_nExperience, c.experience) << c.name;
        EXPECT_EQ(d.m_OwnedAccessories.size(), c.owned) << c.name;
        EXPECT_EQ(d.m_nEquippedAccessory, c.equipped) << c.name;
        EXPECT_EQ(d.m_nFlagBits, c.flags) << c.name;
        EXPECT_EQ(d.m_QuestProgress.size(), c.quests) << c.name;
    }
}

TEST(PlayerSaveData, ReadingDropsUnknownAccessoriesAndKeepsOtherQuests)
{
    ScopedAccessories table({{"accessory_Cape", 2}});
    const uint32_t gone = HashName("accessory_Gone"), cape = HashName("accessory_Cape");
    std::string file = "QMSD" + std::string(32, '\0') + Word(gone) + Word(3) + Word(HashName("accessory_Empty")) +
                       Word(gone) + Word(cape) + Word(0) + Word(1) + Word(HashName("quest_A")) + Word(1) + Word(7);
    PlayerSaveData d;
    d.Reset();
    d.CountQuestClear(HashName("quest_A"));
    d.CountQuestClear(HashName("quest_Z"));
    ReadBytes(d, file);
    EXPECT_EQ(d.m_OwnedAccessories, (std::vector<uint32_t>{HashName("accessory_Empty"), cape}));
    EXPECT_EQ(d.m_nEquippedAccessory, HashName("accessory_Empty"));
    EXPECT_EQ(d.GetQuestClearCount(HashName("quest_A")), 7u); // replaced from the file
    EXPECT_EQ(d.GetQuestClearCount(HashName("quest_Z")), 1u); // not in the file: kept
}

TEST(PlayerSaveData, CountersSaturate)
{
    struct { uint32_t start, add, expected; } experience[] = {
        {99999998, 5, 99999999}, {99999999, 1, 99999999}, {0, 42, 42}, {99999999, 0xFFFFFFFFu, 99999999},
        {1000, 0xFFFFFFF0u, 99999999},
    };
    for (auto& c : experience) {
        PlayerSaveData d;
        d.Reset();
        d.m_nExperience = c.start;
        d.AddExperience(c.add);
        EXPECT_EQ(d.m_nExperience, c.expected) << c.start << " + " << c.add;
    }

    PlayerSaveData d;
    d.Reset();
    const uint32_t quest = HashName("quest_A");
    d.MarkQuestSeen(quest);
    EXPECT_EQ(d.GetQuestClearCount(quest), 0u);
    d.CountQuestClear(quest);
    EXPECT_EQ(d.GetQuestClearCount(quest), 1u);
    d.m_QuestProgress[quest].m_nClearCount = kMaxQuestClearCount;
    d.CountQuestClear(quest);
    d.MarkQuestSeen(quest); // leaves an existing record alone
    EXPECT_EQ(d.GetQuestClearCount(quest), kMaxQuestClearCount);
    EXPECT_EQ(d.GetQuestClearCount(HashName("quest_Never")), 0u);
}

TEST(PlayerSaveData, OwnedAccessoriesStayOrderedById)
{
    ScopedAccessories table({{"accessory_Seven", 7}, {"accessory_Three", 3}});
    PlayerSaveData d;
    d.Reset();
    d.AddAccessory(HashName("accessory_Seven"));
    d.AddAccessory(HashName("accessory_Three"));
    d.AddAccessory(HashName("accessory_Seven"));
    EXPECT_EQ(d.m_OwnedAccessories, (std::vector<uint32_t>{HashName("accessory_Empty"), HashName("accessory_Three"),
                                                           HashName("accessory_Seven")}));
}

TEST(PlayerSaveData, RewardsAreGrantedWhenTheyHoldAndAreNotHeld)
{
    ScopedAccessories table({{"accessory_Ring", 4}});
    auto reward = [](int32_t type, uint32_t value, bool always = true) {
        QuestReward r;
        r.m_nRewardType = type;
        r.m_nRewardValue = value;
        if (always)
            r.m_Condition.m_Groups.push_back({Condition{eCompare_Always, 0, 0, 0.0f, 0}});
        return r;
    };
    struct Case {
        const char* name;
        QuestReward reward;
        int32_t honour;
        uint32_t flags;
        int32_t honourAfter;
        uint32_t flagsAfter;
        size_t ownedAfter;
        uint32_t experienceAfter;
    };
    Case cases[] = {
        {"rank above", reward(1, 3), 2, 0, 3, 0, 1, 0},
        {"rank held", reward(1, 3), 5, 0, 5, 0, 1, 0},
        {"flags held by one bit", reward(2, 6), 0, 2, 0, 2, 1, 0},
        {"flags new", reward(2, 6), 0, 1, 0, 7, 1, 0},
        {"accessory known", reward(3, HashName("accessory_Ring")), 0, 0, 0, 0, 2, 0},
        {"accessory unknown", reward(3, HashName("accessory_Nope")), 0, 0, 0, 0, 1, 0},
        {"experience", reward(4, 250), 0, 0, 0, 0, 1, 250},
        {"other type", reward(9, 250), 0, 0, 0, 0, 1, 0},
        {"empty condition never holds", reward(4, 250, false), 0, 0, 0, 0, 1, 0},
    };
    for (Case& c : cases) {
        PlayerSaveData d;
        d.Reset();
        d.m_nHonourLevel = c.honour;
        d.m_nFlagBits = c.flags;
        g_PlayStatistics.Reset();
        d.GrantRewards({c.reward}, ConditionContext{});
        EXPECT_EQ(d.m_nHonourLevel, c.honourAfter) << c.name;
        EXPECT_EQ(d.m_nFlagBits, c.flagsAfter) << c.name;
        EXPECT_EQ(d.m_OwnedAccessories.size(), c.ownedAfter) << c.name;
        EXPECT_EQ(d.m_nExperience, c.experienceAfter) << c.name;
        EXPECT_EQ(g_PlayStatistics.m_nExperience, static_cast<int32_t>(c.experienceAfter)) << c.name;
    }
}

// Values that no play can reach are brought back into their bounds on reading: a wrapped or
// damaged word must not show as a negative total or buy endless levels.
TEST(PlayerSaveData, ValuesReadAreClampedToTheirBounds)
{
    ScopedAccessories table({});
    const uint32_t empty = HashName("accessory_Empty");
    auto file = [&](uint32_t level, uint32_t experience, uint32_t honour, uint32_t seen, uint32_t clears) {
        std::string bytes = "QMSD";
        for (int i = 0; i < kSaveLevelCount; ++i)
            bytes += Word(level);
        return bytes + Word(experience) + Word(honour) + Word(empty) + Word(1) + Word(empty) + Word(0) + Word(1) +
               Word(HashName("quest_A")) + Word(seen) + Word(clears);
    };
    struct Case {
        const char* name;
        std::string bytes;
        uint32_t level, experience;
        int32_t honour;
        uint32_t seen, clears;
    };
    Case cases[] = {
        {"in bounds", file(12, 99999999, 4, 1, 9999999), 12, 99999999, 4, 1, 9999999},
        {"all ones", file(0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu), kMaxSaveLevel,
         kMaxExperience, 0, 1, kMaxQuestClearCount},
        {"garbage body", file(0x9E3779B9u, 750687390, 1535100588, 7, 10000000), kMaxSaveLevel, kMaxExperience,
         kMaxHonourLevel, 1, kMaxQuestClearCount},
        {"negative honour", file(3, 5, static_cast<uint32_t>(-2), 0, 0), 3, 5, 0, 0, 0},
    };
    for (const Case& c : cases) {
        PlayerSaveData d;
        d.Reset();
        ReadBytes(d, c.bytes);
        for (int i = 0; i < kSaveLevelCount; ++i)
            EXPECT_EQ(d.m_aLevels[i], c.level) << c.name << " level " << i;
        EXPECT_EQ(d.m_nExperience, c.experience) << c.name;
        EXPECT_EQ(d.m_nHonourLevel, c.honour) << c.name;
        const QuestProgress& progress = d.m_QuestProgress[HashName("quest_A")];
        EXPECT_EQ(progress.m_nSeen, c.seen) << c.name;
        EXPECT_EQ(progress.m_nClearCount, c.clears) << c.name;
    }
}
