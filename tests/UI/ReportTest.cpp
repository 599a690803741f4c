#include "UI/UIFixture.h"

#include "Components/Core/FontRenderer.h"
#include "Components/Core/SpriteRenderer.h"
#include "Components/UI/UIDialogFrames.h"
#include "Platform/Win32/CodePage.h"
#include "System/Graphics/AtlasTable.h"
#include "World/PlayerSaveData.h"
#include "World/QuestTable.h"

namespace {

std::string CodePage(const wchar_t* text)
{
    std::string out(256, '\0');
    const int n = WideCharToMultiByte(CP_SHIFT_JIS, 0, text, -1, out.data(), 256, nullptr, nullptr);
    out.resize(static_cast<size_t>(n > 0 ? n - 1 : 0));
    return out;
}

std::map<std::string, std::string> ReportFiles()
{
    return {
        {"stage/stage_R", "stage_R = { object_name = 'stage', object_layer = 1, object_activity = 1,"
                          "  children = { { base_script = 'ui_root' } } }"},
        {"game_objects/ui_root", "ui_root = { object_name = 'root', object_layer = 2048, object_activity = 1,"
                                 " components = { UIRoot = {} }, children = { { base_script = 'report' } } }"},
        {"game_objects/report",
         "report = { object_name = 'report', object_tag = 'ui_report', object_layer = 2048, object_activity = 0,"
         " components = { UIFrameReport = { label_report = 'label_report', bg_quest_title = 'bg_quest_title' } },"
         " children = { { base_script = 'label' }, { base_script = 'title' } } }"},
        {"game_objects/label", "label = { object_name = 'label', object_tag = 'label_report', object_layer = 2048,"
                               " object_activity = 1, components = { FontRenderer = {} } }"},
        {"game_objects/title", "title = { object_name = 'title', object_tag = 'bg_quest_title', object_layer = 2048,"
                               " object_activity = 1, components = { TextureAtlas = {} } }"},
    };
}

QuestReward Reward(int type, uint32_t value, const char* text, bool condition = true)
{
    QuestReward r;
    r.m_nRewardType = type;
    r.m_nRewardValue = value;
    r.m_RewardText = text;
    if (condition) {
        Condition always;
        always.m_nCompare = eCompare_Always;
        r.m_Condition.m_Groups.push_back({always});
    }
    return r;
}

class ReportWorld {
public:
    ReportWorld() : w(ReportFiles())
    {
        m_pOld = g_pQuestTable;
        g_pQuestTable = &m_Quests;
        g_PlayerSaveData.Reset();
        w.Scene()->RequestStage("stage_R");
        w.Tick();
    }
    ~ReportWorld()
    {
        g_pQuestTable = m_pOld;
        g_PlayerSaveData.Reset();
    }
    void Open()
    {
        ASSERT_NE(UIRoot::OpenPanel(HashName("ui_report")), nullptr);
        w.Ticks(3);
    }
    std::string Text() { return w.Get<FontRenderer>("label")->GetText(); }

    UIWorld w;
    QuestTable m_Quests;
    QuestRecord m_Quest;

private:
    QuestTable* m_pOld = nullptr;
};

std::string Statistics(const wchar_t* time, int kills, int experience)
{
    char line[256];
    std::string text = CodePage(time);
    std::snprintf(line, sizeof line, CodePage(L"討伐数 %4d体\n").c_str(), kills);
    text += line;
    std::snprintf(line, sizeof line, CodePage(L"取得EXP %d\n").c_str(), experience);
    return text + line + "\n";
}

} // namespace

TEST(UIFrameReport, StatisticsAndTheRewardsAboutToBeEarned)
{
    ReportWorld r;
    g_PlayerSaveData.m_nHonourLevel = 3;
    g_PlayerSaveData.m_nFlagBits = 2;
    r.m_Quest.m_Rewards = {
        Reward(eRewardType_Experience, 500, "experience"),  // never listed
        Reward(eRewardType_Rank, 3, "rank 3"),              // held at rank 3
        Reward(eRewardType_Rank, 4, "rank 4"),
        Reward(eRewardType_Flags, 2, "flag 2"),             // held
        Reward(eRewardType_Flags, 4, "flag 4"),
        Reward(eRewardType_Accessory, HashName("ring"), "ring"),
        Reward(eRewardType_Rank, 5, "rank 5", false),       // its condition does not hold
        Reward(9, 1, "unknown type"),
    };
    r.m_Quests.m_pCurrentQuest = &r.m_Quest;
    g_PlayStatistics.m_fPlayTime = 3725.9f;
    g_PlayStatistics.m_nKillCount = 12;
    g_PlayStatistics.m_nExperience = 340;
    r.Open();
    ASSERT_TRUE(r.w.Find("report")->IsActive());
    EXPECT_EQ(r.Text(), Statistics(L"クリア時間 01:02:05\n", 12, 340) + "rank 4\nflag 4\nring\n");
}

TEST(UIFrameReport, TitleImageShownOnlyForAQuestWithOne)
{
    struct Case {
        const char* name;
        bool current;
        NameId image;
        bool shown;
    };
    const Case cases[] = {{"with image", true, HashName("banner"), true},
                          {"without image", true, 0, false},
                          {"no current quest", false, HashName("banner"), false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReportWorld r;
        r.m_Quest.m_nNameImage = c.image;
        r.m_Quest.m_Rewards = {Reward(eRewardType_Rank, 4, "rank 4")};
        r.m_Quests.m_pCurrentQuest = c.current ? &r.m_Quest : nullptr;
        r.Open();
        EXPECT_EQ(r.w.Find("title")->IsActive(), c.shown);
        // Without a quest only the statistics are shown.
        EXPECT_EQ(r.Text(), Statistics(L"クリア時間 00:00:00\n", 0, 0) + (c.current ? "rank 4\n" : ""));
    }
}

TEST(UIFrameReport, OnlyTheBButtonAloneClosesIt)
{
    for (uint32_t mask : {16u, 48u, 1u, 32u}) {
        SCOPED_TRACE(mask);
        ReportWorld r;
        r.Open();
        GameObj* report = r.w.Find("report");
        r.w.Post(report, report, eUIEvent_Pad, static_cast<int32_t>(mask));
        r.w.Ticks(3);
        EXPECT_EQ(r.w.Get<UIFrameReport>("report")->IsClosing(), mask == 32);
    }
}
