#include "UI/UIFixture.h"

#include <lua.hpp>

#include "Components/Core/FontRenderer.h"
#include "Components/Core/SpriteRenderer.h"
#include "Components/UI/UIDialogFrames.h"
#include "Components/UI/UIEventWidgets.h"
#include "Components/UI/UIQuestSelect.h"
#include "Platform/Win32/CodePage.h"
#include "System/Graphics/AtlasTable.h"
#include "World/PlayerSaveData.h"
#include "World/QuestTable.h"
#include "World/Transform.h"

namespace {

// The icons on a sheet of their own, told apart by their left edge.
const char* kIcons[] = {"quest_select/new_icon", "quest_select/clear_icon", "quest_select/reward_icon",
                        "quest_select/reward_icon_black", "banner"};

struct QuestSpec {
    const char* key;
    const char* stage;
    int id;
    int rewards; // listed rank rewards of value 1..n, each with one info entry per state
};

std::vector<std::string>& Results()
{
    static std::vector<std::string> results;
    return results;
}

// Records the results the root passes on: "<name id>:<second value>".
class ResultSink : public Component {
public:
    static inline const ClassKey s_Class{"ResultSink"};
    explicit ResultSink(GameObj* owner) : Component(owner, s_Class) {}
    bool IsKindOf(TypeKey key) const override { return key == s_Class.Key; }
    void OnMessage(IMessage* message) override
    {
        if (message->GetTypeId() != MsgUIResult::s_Class.Key)
            return;
        auto* r = static_cast<MsgUIResult*>(message);
        if (r->m_Values.size() >= 2 && r->m_Values[0] == static_cast<int32_t>(g_nResultStartQuest))
            Results().push_back("StartQuest:" + std::to_string(r->m_Values[1]));
    }
};

std::string Proto(const std::string& name, const std::string& body, bool active = true)
{
    return name + " = { object_name = '" + name + "', object_layer = 2048, object_activity = " + (active ? "1" : "0") +
           ", " + body + " }";
}

// A new child goes in front of its siblings, so lists of children are written last first.
std::map<std::string, std::string> SelectFiles()
{
    auto Tab = [&](const char* name, const char* stage) {
        std::string body = "object_tag = '" + std::string(name) +
                           "', components = { Transform = {}, UIStageTab = { stage_names = { '" + stage +
                           "' } }, UIButtonKeys = { pad_left = 64 } }";
        return Proto(name, body);
    };
    return {
        {"stage/stage_Q", "stage_Q = { object_name = 'stage', object_layer = 1, object_activity = 1,"
                          "  children = { { base_script = 'ui_root' }, { base_script = 'sink' } } }"},
        {"game_objects/sink", Proto("sink", "components = { ResultSink = {} }")},
        {"game_objects/ui_root", Proto("ui_root", "components = { UIRoot = {} }, children = {"
                                                  " { base_script = 'qs' }, { base_script = 'yn' } }")},
        {"game_objects/qs",
         Proto("qs",
               "object_tag = 'ui_quest_select', components = { UIFrameQuestSelect = { tab_table = 'tabs',"
               " quest_window = 'qwin', quest_number_display = 'qnum', yes_no_window_text = 'go?',"
               " yes_no_window_offset = { x = 5, y = 6 } } },"
               " children = { { base_script = 'tabs' }, { base_script = 'qwin' }, { base_script = 'qnum' } }",
               false)},
        {"game_objects/tabs", Proto("tabs", "object_tag = 'tabs', components = { Transform = {},"
                                            " UITable = { on_start = true, direction = 1, padding = { x = 10, y = 0 } } },"
                                            " children = { { base_script = 'tab_c' }, { base_script = 'tab_b' },"
                                            " { base_script = 'tab_a' } }")},
        {"game_objects/tab_a", Tab("tab_a", "stage_A")},
        {"game_objects/tab_b", Tab("tab_b", "stage_B")},
        {"game_objects/tab_c", Tab("tab_c", "stage_C")},
        {"game_objects/qwin",
         Proto("qwin", "object_tag = 'qwin', components = { Transform = { position = { x = 100, y = 0 } },"
                       " UIQuestWindow = { label_title = 'q_title', sprite_title = 'q_image', sprite_new = 'q_new',"
                       " sprite_reward_cursor = 'q_cursor', label_reward_info = 'q_reward',"
                       " table_progress = 'q_progress' } },"
                       " children = { { base_script = 'q_title' }, { base_script = 'q_image' },"
                       " { base_script = 'q_new' }, { base_script = 'q_progress' }, { base_script = 'q_cursor' },"
                       " { base_script = 'q_reward' } }")},
        {"game_objects/q_title", Proto("q_title", "object_tag = 'q_title', components = { FontRenderer = {} }")},
        {"game_objects/q_reward", Proto("q_reward", "object_tag = 'q_reward', components = { FontRenderer = {} }")},
        {"game_objects/q_image", Proto("q_image", "object_tag = 'q_image', components = { TextureAtlas = {} }")},
        {"game_objects/q_new", Proto("q_new", "object_tag = 'q_new', components = { TextureAtlas = {} }")},
        {"game_objects/q_cursor",
         Proto("q_cursor", "object_tag = 'q_cursor', components = { Transform = {}, TextureAtlas = {} }")},
        {"game_objects/q_progress",
         Proto("q_progress", "object_tag = 'q_progress', components = { Transform = { position = { x = 0, y = 50 } },"
                             " UITable = { direction = 1, padding = { x = 0, y = 20 } } },"
                             " children = { { base_script = 'r2' }, { base_script = 'r1' }, { base_script = 'r0' } }")},
        {"game_objects/r0", Proto("r0", "object_tag = 'r0', components = { Transform = {}, TextureAtlas = {} }")},
        {"game_objects/r1", Proto("r1", "object_tag = 'r1', components = { Transform = {}, TextureAtlas = {} }")},
        {"game_objects/r2", Proto("r2", "object_tag = 'r2', components = { Transform = {}, TextureAtlas = {} }")},
        {"game_objects/qnum", Proto("qnum", "object_tag = 'qnum', components = { UIQuestNumberDisplay = {} }")},
        {"game_objects/yn",
         Proto("yn",
               "object_tag = 'ui_common_yes_no', components = { UIFrameCommonYesNo = { window_root = 'window' } },"
               " children = { { base_script = 'window' } }",
               false)},
        {"game_objects/window", Proto("window", "object_tag = 'window', components = { Transform = {} },"
                                                " children = { { base_script = 'yes' } }")},
        {"game_objects/yes", Proto("yes", "object_tag = 'select_yes', components = { TestWidget = {} }")},
    };
}

ConditionSet Always()
{
    ConditionSet set;
    Condition c;
    c.m_nCompare = eCompare_Always;
    set.m_Groups.push_back({c});
    return set;
}

// The quests, the icon sheet and the save data the screen reads, set before the stage loads.
class SelectWorld {
public:
    explicit SelectWorld(const std::vector<QuestSpec>& quests,
                         const std::map<std::string, std::string>& files = SelectFiles())
        : w(files)
    {
        m_pOldQuests = g_pQuestTable;
        m_pOldAtlas = g_pAtlasTable;
        g_pQuestTable = &m_Quests;
        g_pAtlasTable = &m_Atlas;
        g_PlayerSaveData.Reset();
        Results().clear();
        for (const QuestSpec& q : quests) {
            auto record = std::make_unique<QuestRecord>();
            record->m_nKey = HashName(q.key);
            record->m_nQuestId = q.id;
            record->m_nStageKey = HashName(q.stage);
            record->m_nNameImage = HashName("banner");
            record->m_QuestName = q.key;
            QuestReward experience;
            experience.m_nRewardType = eRewardType_Experience;
            experience.m_nRewardValue = 100;
            record->m_Rewards.push_back(experience);
            for (int i = 1; i <= q.rewards; ++i) {
                QuestReward r;
                r.m_nRewardType = eRewardType_Rank;
                r.m_nRewardValue = static_cast<uint32_t>(i);
                r.m_Condition = Always();
                r.m_RewardText = "rank " + std::to_string(i);
                r.m_RewardInfo = {{"not" + std::to_string(i), "get"}, {"held" + std::to_string(i), "kept"}};
                record->m_Rewards.push_back(r);
            }
            const NameId key = record->m_nKey;
            m_Quests.Insert(key, std::move(record));
        }
        LoadIcons();
        g_pComponentFactory->RegisterClass<ResultSink>();
        w.Scene()->RequestStage("stage_Q");
        w.Tick();
        UIRoot::AddListenerToAll(w.Find("sink"));
    }
    ~SelectWorld()
    {
        g_pQuestTable = m_pOldQuests;
        g_pAtlasTable = m_pOldAtlas;
        g_PlayerSaveData.Reset();
        g_LastSelectedQuestKey = 0;
    }

    void Open()
    {
        ASSERT_NE(UIRoot::OpenPanel(HashName("ui_quest_select")), nullptr);
        w.Ticks(5);
    }
    UIFrameQuestSelect* Frame() { return w.Get<UIFrameQuestSelect>("qs"); }
    UIQuestWindow* Window() { return w.Get<UIQuestWindow>("qwin"); }
    // A pad button pressed while the tab is selected reaches the tab.
    void Pad(const std::string& tab, uint32_t mask)
    {
        w.Post(w.Find("qs"), w.Find(tab), eUIEvent_Pad, static_cast<int32_t>(mask));
        w.Ticks(2);
    }
    QuestRecord* Quest(const char* key) { return m_Quests.Find(HashName(key)); }
    std::string Shown() { return Window()->GetQuest() ? Window()->GetQuest()->m_QuestName : "none"; }
    // Which icon an atlas shows, by its left edge; "" for none of them.
    std::string Icon(const std::string& object)
    {
        float uv[4];
        w.Get<TextureAtlas>(object)->GetUVRect(uv);
        for (const char* name : kIcons)
            if (m_Atlas.Find(HashName(name)) && m_Atlas.Find(HashName(name))->u0 == uv[0] && uv[0] > 0.0f)
                return name;
        return "";
    }

    UIWorld w;

private:
    void LoadIcons()
    {
        std::string sprites;
        int x = 1;
        for (const char* name : kIcons)
            sprites += "{ name = '" + std::string(name) + ".png', uvRect = { x = " + std::to_string(x++ * 8) +
                       ", y = 0, width = 8, height = 8 }, sourceRect = { x = 0, y = 0, width = 8, height = 8 },"
                       " originalSize = { width = 8, height = 8 } },";
        const std::string text =
            "return { texture = 'icons.png', textureSize = { width = 64, height = 8 }, sprites = { " + sprites + " } }";
        lua_State* L = luaL_newstate();
        ASSERT_EQ(luaL_dostring(L, text.c_str()), 0);
        m_Atlas.ReadSpriteSheet(L, "icons");
        lua_close(L);
    }

    QuestTable m_Quests;
    AtlasTable m_Atlas;
    QuestTable* m_pOldQuests = nullptr;
    AtlasTable* m_pOldAtlas = nullptr;
};

UIButtonKeys* Keys(SelectWorld& s, const char* tab) { return s.w.Get<UIButtonKeys>(tab); }

} // namespace

TEST(UIFrameQuestSelect, UsableTabsAreChainedOnTheShoulderButtons)
{
    struct Case {
        const char* name;
        std::vector<QuestSpec> quests;
        const char* selected; // "none" when nothing is
        std::vector<bool> active; // tab_a, tab_b, tab_c
    };
    const Case cases[] = {
        {"no usable tab", {{"q9", "stage_Z", 1, 0}}, "none", {false, false, false}},
        {"one usable tab", {{"b1", "stage_B", 1, 0}}, "tab_b", {false, true, false}},
        {"two around a hidden one", {{"a1", "stage_A", 1, 0}, {"c1", "stage_C", 2, 0}}, "tab_a", {true, false, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SelectWorld s(c.quests);
        s.Open();
        EXPECT_EQ(ObjectLabel(s.Frame()->GetSelected()), c.selected);
        const char* tabs[] = {"tab_a", "tab_b", "tab_c"};
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(s.w.Find(tabs[i])->IsActive(), c.active[i]) << tabs[i];
        if (std::string(c.selected) == "none") {
            EXPECT_EQ(s.Shown(), "none");
        }
    }
    {
        SCOPED_TRACE("one usable tab keeps its data's keys");
        SelectWorld s({{"b1", "stage_B", 1, 0}});
        s.Open();
        EXPECT_EQ(Keys(s, "tab_b")->GetPadMask(eUIDirection_Left), 64u);
        EXPECT_EQ(Keys(s, "tab_b")->GetPadMask(eUIDirection_Up), 1u);
    }
    {
        SCOPED_TRACE("two usable tabs");
        SelectWorld s({{"a1", "stage_A", 1, 0}, {"c1", "stage_C", 2, 0}});
        s.Open();
        UIButtonKeys* a = Keys(s, "tab_a");
        UIButtonKeys* c = Keys(s, "tab_c");
        EXPECT_EQ(a->GetNeighbour(eUIDirection_Right), s.w.Find("tab_c"));
        EXPECT_EQ(a->GetNeighbour(eUIDirection_Left), nullptr);
        EXPECT_EQ(c->GetNeighbour(eUIDirection_Left), s.w.Find("tab_a"));
        EXPECT_EQ(c->GetNeighbour(eUIDirection_Right), nullptr);
        for (UIButtonKeys* k : {a, c}) {
            EXPECT_EQ(k->GetPadMask(eUIDirection_Up), 0u);
            EXPECT_EQ(k->GetPadMask(eUIDirection_Down), 0u);
            EXPECT_EQ(k->GetPadMask(eUIDirection_Left), 256u);
            EXPECT_EQ(k->GetPadMask(eUIDirection_Right), 512u);
        }
        // RB on the first tab moves to the other one, whose quests then show.
        s.w.Post(s.w.Find("qs"), s.w.Find("tab_a"), eUIEvent_Pad, 512);
        s.w.Ticks(3);
        EXPECT_EQ(ObjectLabel(s.Frame()->GetSelected()), "tab_c");
        EXPECT_EQ(s.Shown(), "c1");
    }
}

TEST(UIFrameQuestSelect, ReopensOnTheLastShownQuest)
{
    const std::vector<QuestSpec> quests = {
        {"a1", "stage_A", 1, 0}, {"a2", "stage_A", 2, 0}, {"c1", "stage_C", 3, 0}, {"c2", "stage_C", 4, 0}};
    struct Case {
        const char* last;
        const char* tab;
        int cursor;
    };
    for (const Case& c : {Case{"c2", "tab_c", 1}, Case{"a2", "tab_a", 1}, Case{"", "tab_a", 0}}) {
        SCOPED_TRACE(c.last);
        SelectWorld s(quests);
        g_LastSelectedQuestKey = *c.last ? HashName(c.last) : 0;
        s.Open();
        EXPECT_EQ(ObjectLabel(s.Frame()->GetSelected()), c.tab);
        EXPECT_EQ(s.Frame()->GetCursor(), c.cursor);
        ASSERT_EQ(s.Frame()->GetQuests().size(), 2u);
        EXPECT_EQ(g_LastSelectedQuestKey, s.Frame()->GetQuests()[static_cast<size_t>(c.cursor)]->m_nKey);
        EXPECT_EQ(s.w.Get<UIQuestNumberDisplay>("qnum")->GetCount(), 2);
    }
}

// A tab that asks to start selected is chosen only when there is no last quest to reopen on;
// it never overwrites the last quest's key.
TEST(UIFrameQuestSelect, StartSelectedTabYieldsToTheLastQuest)
{
    const std::vector<QuestSpec> quests = {
        {"a1", "stage_A", 1, 0}, {"a2", "stage_A", 2, 0}, {"c1", "stage_C", 3, 0}, {"c2", "stage_C", 4, 0}};
    struct Case {
        const char* startTab;
        const char* last;
        const char* tab;
        int cursor;
    };
    const Case cases[] = {
        {"tab_a", "c2", "tab_c", 1}, {"tab_c", "a2", "tab_a", 1}, {"tab_c", "", "tab_c", 0}, {"tab_c", "zz", "tab_c", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.startTab) + " last " + c.last);
        auto files = SelectFiles();
        const std::string stage = std::string(c.startTab) == "tab_a" ? "stage_A" : "stage_C";
        files[std::string("game_objects/") + c.startTab] =
            Proto(c.startTab, std::string("object_tag = '") + c.startTab +
                                  "', components = { Transform = {}, UIStageTab = { stage_names = { '" + stage +
                                  "' }, start_selected = 1 }, UIButtonKeys = { pad_left = 64 } }");
        SelectWorld s(quests, files);
        g_LastSelectedQuestKey = *c.last ? HashName(c.last) : 0;
        s.Open();
        EXPECT_EQ(ObjectLabel(s.Frame()->GetSelected()), c.tab);
        EXPECT_EQ(s.Frame()->GetCursor(), c.cursor);
        ASSERT_EQ(s.Frame()->GetQuests().size(), 2u);
        EXPECT_EQ(g_LastSelectedQuestKey, s.Frame()->GetQuests()[static_cast<size_t>(c.cursor)]->m_nKey);
        EXPECT_EQ(s.Shown(), s.Frame()->GetQuests()[static_cast<size_t>(c.cursor)]->m_QuestName);
    }
}

TEST(UIFrameQuestSelect, QuestPagingStopsAtTheEnds)
{
    SelectWorld s({{"a1", "stage_A", 1, 0}, {"a2", "stage_A", 2, 0}, {"a3", "stage_A", 3, 0}});
    s.Open();
    struct Step {
        uint32_t pad;
        int cursor;
        const char* shown;
    };
    const Step steps[] = {{1, 0, "a1"}, {2, 1, "a2"}, {2, 2, "a3"}, {2, 2, "a3"}, {1, 1, "a2"}, {1, 0, "a1"}, {1, 0, "a1"}};
    for (const Step& st : steps) {
        s.Pad("tab_a", st.pad);
        EXPECT_EQ(s.Frame()->GetCursor(), st.cursor);
        EXPECT_EQ(s.Shown(), st.shown);
        EXPECT_EQ(s.w.Get<UIQuestNumberDisplay>("qnum")->GetIndex(), st.cursor);
        EXPECT_EQ(g_LastSelectedQuestKey, HashName(st.shown));
    }
}

TEST(UIQuestWindow, RewardPagesWrapAndFollowTheRows)
{
    SelectWorld s({{"a1", "stage_A", 1, 3}, {"a2", "stage_A", 2, 0}, {"a3", "stage_A", 3, 2}});
    g_PlayerSaveData.m_nHonourLevel = 2; // rank rewards 1 and 2 held, 3 not
    s.Open();
    ASSERT_EQ(s.Shown(), "a1");
    struct Step {
        uint32_t pad;
        int page;
        const char* text;
    };
    const Step steps[] = {{8, 1, "held2\nkept"}, {8, 2, "not3\nget"}, {8, 0, "held1\nkept"}, {4, 2, "not3\nget"},
                          {4, 1, "held2\nkept"}};
    const char* rows[] = {"r0", "r1", "r2"};
    for (const Step& st : steps) {
        s.Pad("tab_a", st.pad);
        EXPECT_EQ(s.Window()->GetRewardPage(), st.page);
        EXPECT_EQ(s.w.Get<FontRenderer>("q_reward")->GetText(), st.text);
        const Matrix4x4& row = s.w.Find(rows[st.page])->GetTransform()->WorldMatrix();
        const Matrix4x4& cursor = s.w.Find("q_cursor")->GetTransform()->WorldMatrix();
        EXPECT_FLOAT_EQ(cursor.m[3][0], row.m[3][0]);
        EXPECT_FLOAT_EQ(cursor.m[3][1], row.m[3][1]);
    }
    EXPECT_EQ(s.Icon("r0"), "quest_select/reward_icon");
    EXPECT_EQ(s.Icon("r1"), "quest_select/reward_icon");
    EXPECT_EQ(s.Icon("r2"), "quest_select/reward_icon_black");

    // The quest without listed rewards: every row hidden, paging changes nothing.
    s.Pad("tab_a", 2);
    ASSERT_EQ(s.Shown(), "a2");
    const std::string text = s.w.Get<FontRenderer>("q_reward")->GetText();
    for (const char* r : rows)
        EXPECT_FALSE(s.w.Find(r)->IsActive()) << r;
    for (uint32_t pad : {8u, 4u, 4u}) {
        s.Pad("tab_a", pad);
        EXPECT_EQ(s.Window()->GetRewardPage(), 0);
        EXPECT_EQ(s.w.Get<FontRenderer>("q_reward")->GetText(), text);
    }

    // Rows hidden for an earlier quest come back for a later one with more rewards.
    const struct {
        uint32_t pad;
        const char* quest;
        size_t shownRows;
    } revisits[] = {{2, "a3", 2}, {1, "a2", 0}, {1, "a1", 3}};
    for (const auto& v : revisits) {
        s.Pad("tab_a", v.pad);
        ASSERT_EQ(s.Shown(), v.quest);
        for (size_t i = 0; i < 3; ++i)
            EXPECT_EQ(s.w.Find(rows[i])->IsActive(), i < v.shownRows) << v.quest << " row " << i;
    }
}

TEST(UIQuestWindow, IconsAndRewardTextsBySaveData)
{
    struct Case {
        const char* name;
        bool record;
        uint32_t seen, clears;
        bool iconShown;
        const char* icon;
        const char* level;
    };
    const Case cases[] = {
        {"never seen", false, 0, 0, true, "quest_select/new_icon", "LV 5"},
        {"recorded, not seen", true, 0, 0, true, "quest_select/new_icon", "LV 5"},
        {"seen and cleared", true, 1, 2, true, "quest_select/clear_icon", "LV 7"},
        {"seen, not cleared", true, 1, 0, false, "", "LV 5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SelectWorld s({{"a1", "stage_A", 1, 1}});
        s.Quest("a1")->m_nInitialLevel = 5;
        if (c.record)
            g_PlayerSaveData.m_QuestProgress[HashName("a1")] = QuestProgress{c.seen, c.clears};
        s.Open();
        ASSERT_EQ(s.Shown(), "a1");
        EXPECT_EQ(s.w.Find("q_new")->IsActive(), c.iconShown);
        if (c.iconShown) {
            EXPECT_EQ(s.Icon("q_new"), c.icon);
        }
        // The title image replaces the title label.
        EXPECT_TRUE(s.w.Find("q_image")->IsActive());
        EXPECT_FALSE(s.w.Find("q_title")->IsActive());
        EXPECT_EQ(s.Icon("q_image"), "banner");
    }
    // A held reward with no entry for the held state shows the fallback text.
    SelectWorld s({{"a1", "stage_A", 1, 1}});
    s.Quest("a1")->m_Rewards[1].m_RewardInfo.resize(1);
    g_PlayerSaveData.m_nHonourLevel = 1;
    s.Open();
    std::string fallback(64, '\0');
    const int n = WideCharToMultiByte(CP_SHIFT_JIS, 0, L"未定義の報酬説明", -1, fallback.data(), 64, nullptr, nullptr);
    fallback.resize(static_cast<size_t>(n - 1));
    EXPECT_EQ(s.w.Get<FontRenderer>("q_reward")->GetText(), fallback);
    EXPECT_EQ(s.Icon("r0"), "quest_select/reward_icon");
}

TEST(UIFrameQuestSelect, ConfirmationStartsTheQuestOnYesOnly)
{
    for (bool yes : {true, false}) {
        SCOPED_TRACE(yes);
        SelectWorld s({{"a1", "stage_A", 1, 0}, {"a2", "stage_A", 2, 0}});
        s.Open();
        s.Pad("tab_a", 2);
        s.Pad("tab_a", 16);
        s.w.Ticks(2);
        GameObj* yn = s.w.Find("yn");
        ASSERT_TRUE(yn->IsActive());
        EXPECT_EQ(s.w.Get<UIFrameCommonYesNo>("yn")->m_InfoText, "go?");
        EXPECT_FLOAT_EQ(s.w.Find("window")->GetTransform()->WorldMatrix().m[3][0], 5.0f);
        if (yes)
            s.w.Post(s.w.Find("yes"), yn, eUIEvent_Closing, UIObjectToParam(s.w.Find("yes")));
        else
            s.w.Post(yn, yn, eUIEvent_Closing, UIObjectToParam(yn));
        s.w.Ticks(2);
        yn->Deactivate();
        s.w.Ticks(3);
        if (yes) {
            EXPECT_EQ(Results(), std::vector<std::string>{"StartQuest:" +
                                                          std::to_string(static_cast<int32_t>(HashName("a2")))});
            EXPECT_TRUE(s.Frame()->IsClosing());
        } else {
            EXPECT_TRUE(Results().empty());
            EXPECT_FALSE(s.Frame()->IsClosing());
            EXPECT_EQ(s.Frame()->GetCursor(), 1);
        }
    }
}

// An empty stage name would stand for every stage; it offers nothing instead.
TEST(UIStageTab, EmptyStageNamesOfferNothing)
{
    std::map<std::string, std::string> files = SelectFiles();
    files["game_objects/tab_b"] =
        Proto("tab_b", "object_tag = 'tab_b', components = { Transform = {}, UIStageTab = { stage_names = { '', 3 } } }");
    SelectWorld s({{"a1", "stage_A", 1, 0}}, files);
    EXPECT_TRUE(s.w.Get<UIStageTab>("tab_b")->GetQuests().empty());
    EXPECT_EQ(s.w.Get<UIStageTab>("tab_a")->GetQuests().size(), 1u);
}

// A list of stage names with holes counts its items, not its border: 21 names at 1, 2, 4, ...,
// 2^20 read as the first 21 items, with the reader's error, not as a million empty names.
TEST(UIStageTab, SparseStageNamesReadTheirItemsOnly)
{
    std::string names = "{";
    for (int k = 0; k <= 20; ++k)
        names += " [" + std::to_string(1 << k) + "] = 'stage_A',";
    std::map<std::string, std::string> files = SelectFiles();
    files["game_objects/tab_b"] =
        Proto("tab_b", "object_tag = 'tab_b', components = { Transform = {}, UIStageTab = { stage_names = " + names +
                           " } } }");
    testing::internal::CaptureStdout();
    SelectWorld s({{"a1", "stage_A", 1, 0}}, files);
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("holds only 21 entries"), std::string::npos);
    size_t empty = 0;
    for (size_t at = log.find("is empty or not a string"); at != std::string::npos;
         at = log.find("is empty or not a string", at + 1))
        ++empty;
    EXPECT_LE(empty, 21u);
    const std::vector<NameId>& stages = s.w.Get<UIStageTab>("tab_b")->GetStages();
    EXPECT_GE(stages.size(), 1u);
    EXPECT_LE(stages.size(), 21u);
}
