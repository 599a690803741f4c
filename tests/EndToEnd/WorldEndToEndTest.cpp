#include "System/Common/Random.h"
// The game world in the running application: what start-up loads, the title stage the first
#include "System/Common/Random.h"
// tick builds, stage changes on request, and shutdown.
#include "DataCheck.h"
#include "Support/GameHarness.h"
#include "System/Archive/ArchiveSystem.h"
#include "System/Common/NameHash.h"
#include "System/Common/Random.h"
#include "System/Common/Random.h"
#include "System/Common/Random.h"
#include "System/Graphics/AtlasTable.h"
#include "System/Graphics/D3D9RenderSystem.h"
#include "System/Graphics/FontSet.h"
#include "System/Graphics/ScreenFader.h"
#include "System/Graphics/SpriteBatch.h"
#include "System/Graphics/TextureTable.h"
#include "System/Input/InputSystem.h"
#include "System/Lua/ScriptSystem.h"
#include "System/Sound/SoundManager.h"
#include "World/AccessoryTable.h"
#include "World/ComponentFactory.h"
#include "World/GameObj.h"
#include "World/MessageManager.h"
#include "World/QuestTable.h"
#include "World/SceneManager.h"
#include "World/TextTable.h"
#include "World/Transform.h"

#include <gtest/gtest.h>
#include <iconv.h>
#include <string>
#include <vector>

namespace {

// The game's texts are Shift-JIS; the expectations below are written in UTF-8.
std::string ShiftJis(const std::string& utf8)
{
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return "<no CP932 converter>";
    std::string in = utf8, out(utf8.size() * 2 + 4, '\0');
    char* src = in.data();
    char* dst = out.data();
    size_t left = in.size(), room = out.size();
    const size_t done = iconv(cd, &src, &left, &dst, &room);
    iconv_close(cd);
    if (done == static_cast<size_t>(-1))
        return "<not convertible>";
    out.resize(out.size() - room);
    return out;
}

int Depth(const GameObj* object)
{
    int depth = 0;
    for (const GameObj* p = object->GetParent(); p; p = p->GetParent())
        ++depth;
    return depth;
}

std::vector<GameObj*> PreOrder(GameObj* root)
{
    std::vector<GameObj*> objects;
    const GameObj* end = root ? root->GetNextSkippingSubtree() : nullptr;
    for (GameObj* object = root; object && object != end; object = object->GetNext())
        objects.push_back(object);
    return objects;
}

// A title stage of many prototypes, nested and overridden, as a test copy: the shipped title
// holds little more than its director.
const char* const kTitleShowcaseStage = R"(
stage_TitleScene = {
  object_name = "タイトル画面",
  object_tag = "Stage",
  object_layer = LAYER_STAGE,
  object_activity = ACTIVE,
  components = { Transform = {} },
  children = {
    { base_script = "ui_root_title" },
    { base_script = "title_Menu" },
    { base_script = "title_Logo" },
    { base_script = "title_Panel" },
    { base_script = "title_Player" },
    { base_script = "prop_Backdrop", object_name = "空" },
    { base_script = "ui_camera" },
    { base_script = "camera" },
  },
})";

} // namespace

TEST(WorldEndToEndTest, StartUpHoldsEveryTableWithTheCheckersCounts)
{
    GameHarness game;
    DataCounts counts;
    const std::vector<DataFinding> findings = CheckGameData(game.Folder().Path(), &counts);
    for (const DataFinding& f : findings)
        ADD_FAILURE() << FormatFinding(f);
    ASSERT_TRUE(game.Start());

    ASSERT_NE(g_pScriptSystem, nullptr);
    ASSERT_NE(g_pTextureTable, nullptr);
    ASSERT_NE(g_pTextTable, nullptr);
    ASSERT_NE(g_pAtlasTable, nullptr);
    ASSERT_NE(g_pAccessoryTable, nullptr);
    ASSERT_NE(g_pQuestTable, nullptr);
    ASSERT_NE(g_pSceneManager, nullptr);
    const struct {
        const char* table;
        size_t held, counted;
    } tables[] = {
        {"textures", g_pTextureTable->GetCount(), counts.textures},
        {"texts", g_pTextTable->GetCount(), counts.texts},
        {"atlas sprites", g_pAtlasTable->GetCount(), counts.sprites},
        {"accessories", g_pAccessoryTable->GetCount(), counts.accessories},
        {"quests", g_pQuestTable->GetCount(), counts.quests},
        {"prototypes", g_pSceneManager->GetPrototypeCount(), counts.prototypes},
    };
    for (const auto& t : tables) {
        EXPECT_EQ(t.held, t.counted) << t.table;
        EXPECT_GT(t.held, 0u) << t.table;
    }
    // The title stage is asked for, and built by the first tick.
    EXPECT_EQ(g_pSceneManager->GetNextStageName(), "stage_TitleScene");
    EXPECT_TRUE(g_pSceneManager->IsStageChangePending());
    EXPECT_EQ(game.Root(), nullptr) << "nothing is built before the first tick";
}

TEST(WorldEndToEndTest, TheFirstTickBuildsTheTitleStageAsItsLuaSays)
{
    GameHarness game;
    game.WriteFile("assets.v1/scripts/stage/stage_TitleScene.lua", ShiftJis(kTitleShowcaseStage));
    ASSERT_TRUE(game.Start());
    game.Tick();
    ASSERT_NE(game.Root(), nullptr);
    EXPECT_FALSE(g_pSceneManager->IsStageChangePending());

    // Pre-order: each "children" list comes out last entry first; instance keys override.
    const struct {
        int depth;
        const char* prototype;
        const char* name; // UTF-8
        const char* tag;
        uint32_t layer;
        float x, y; // world position
        bool live = true; // active, with every component started by the first tick's start pass
    } expected[] = {
        {0, "stage_TitleScene", "タイトル画面", "Stage", 1, 0, 0},
        {1, "camera", "カメラ", "GameCamera", 4, 480, 270},
        {1, "ui_camera", "画面カメラ", "UICamera", 4, 480, 270},
        {1, "prop_Backdrop", "空", "Backdrop", 1, 480, 270},
        {1, "title_Player", "主人公", "TitlePlayer", 2048, 150, 100},
        {1, "title_Panel", "パネル", "TitlePanel", 2048, 480, 150},
        {2, "title_Gauge", "ゲージ", "TitleGauge", 2048, 480, 120},
        {1, "title_Logo", "ロゴ", "TitleLogo", 2048, 480, 460},
        {1, "title_Menu", "タイトルメニュー", "TitleMenu", 2048, 480, 360},
        {2, "title_Button", "はじめから", "select_start", 2048, 480, 360},
        {3, "title_Cursor", "矢印", "Cursor", 2048, 360, 360},
        {2, "title_Button", "つづきから", "select_continue", 2048, 480, 408},
        {2, "title_Button", "おわる", "select_exit", 2048, 480, 456},
        {1, "ui_root_title", "タイトルUI", "UIRoot", 2048, 0, 0},
        // The emblem panel waits, inactive, to be opened by its tag; its emblem stands where
        // its drop begins.
        {2, "ui_title_logo", "タイトルエンブレム", "ui_title_logo", 2048, 0, 0, false},
        {3, "ui_title_emblem", "エンブレム", "TitleEmblem", 2048, 480, 370, false},
        {3, "ui_title_sparkle", "きらめき", "TitleSparkle", 2048, 560, 300, false},
        {3, "ui_title_wheel", "回転エンブレム", "", 2048, 640, 270, false},
        {3, "ui_title_tip", "ヒントアイコン", "", 2048, 320, 270, false},
        // The title menu waits the same way, where its slide begins; its column is laid out
        // when it first runs. Its labels hang from half a line (14) above their buttons' middle.
        {2, "ui_title_select", "タイトルメニュー", "ui_title_select", 2048, 480, 40, false},
        {3, "ui_title_select_table", "メニュー列", "", 2048, 480, 40, false},
        {4, "ui_title_select_start", "はじめから", "select_start", 2048, 480, 40, false},
        {5, "ui_part", "はじめから", "", 2048, 480, 54, false},
        {4, "ui_title_select_exit", "おわる", "select_exit", 2048, 480, 40, false},
        {5, "ui_part", "おわる", "", 2048, 480, 54, false},
        {4, "ui_title_select_cursor", "矢印", "title_cursor", 2048, 420, 40, false},
        {5, "ui_part", "矢印の絵", "", 2048, 325, 40, false},
    };
    const std::vector<GameObj*> objects = PreOrder(game.Root());
    ASSERT_EQ(objects.size(), std::size(expected));
    for (size_t i = 0; i < objects.size(); ++i) {
        const GameObj* o = objects[i];
        const auto& e = expected[i];
        SCOPED_TRACE(std::to_string(i) + " " + e.prototype);
        EXPECT_EQ(Depth(o), e.depth);
        EXPECT_EQ(o->GetPrototypeName(), e.prototype);
        EXPECT_EQ(o->GetObjectName(), ShiftJis(e.name));
        EXPECT_EQ(o->GetTag(), HashName(e.tag));
        EXPECT_EQ(o->GetLayer(), e.layer);
        EXPECT_EQ(o->IsActive(), e.live || Depth(o) > 2);
        ASSERT_NE(o->GetTransform(), nullptr);
        EXPECT_FLOAT_EQ(o->GetTransform()->WorldMatrix().m[3][0], e.x);
        EXPECT_FLOAT_EQ(o->GetTransform()->WorldMatrix().m[3][1], e.y);
        // Every component of the active tree is started by the first tick's start pass.
        for (const Component* c : o->GetComponents())
            EXPECT_EQ((c->GetFlags() & eComponentFlag_Started) != 0, e.live);
    }
    EXPECT_EQ(game.FindObjectByTag("select_start"), objects[9]);
}

TEST(WorldEndToEndTest, ARequestedStageReplacesTheOldTreeAtTheNextTick)
{
    GameHarness game;
    ASSERT_TRUE(game.Start());
    game.Tick();
    GameObj* title = game.Root();
    ASSERT_NE(title, nullptr);
    std::vector<int32_t> oldIds;
    for (const GameObj* o : PreOrder(title))
        oldIds.push_back(o->GetId());
    MessageManager* messages = g_pSceneManager->GetMessageManager();

    ASSERT_TRUE(game.RequestStage("stage_Home"));
    EXPECT_EQ(game.Root(), title) << "a request waits for the next tick";
    game.Tick();
    ASSERT_NE(game.Root(), nullptr);
    EXPECT_EQ(game.Root()->GetPrototypeName(), "stage_Home");
    EXPECT_FALSE(g_pSceneManager->IsStageChangePending());
    for (int32_t id : oldIds)
        EXPECT_EQ(messages->FindObject(id), nullptr) << "object " << id << " of the title outlived it";
    EXPECT_EQ(game.FindObject("title_Menu"), nullptr);
    // The house's sign starts inactive, as the house's children list says.
    const GameObj* sign = game.FindObject("prop_Sign");
    ASSERT_NE(sign, nullptr);
    EXPECT_FALSE(sign->IsActive());
    EXPECT_EQ(sign->GetParent(), game.FindObject("prop_House"));
}

TEST(WorldEndToEndTest, EachQuestsStageIsBuiltFromItsRecord)
{
    GameHarness game;
    ASSERT_TRUE(game.Start());
    game.Tick();
    const struct {
        const char* quest;
        const char* stage;
        size_t grounds;    // objects tagged "Terrain": the terrain segments
        int inactive;      // objects that start inactive
        uint32_t anyLayer; // the layers of every object, ORed
    } cases[] = {
        // The quest controller places the player (2); every stage has a UI tree (2048), whose
        // panels wait inactive: the talk window, the upgrade screen, four more at home, three more
        // on a quest stage. Home: the gimmicks (64) and the hint board's hidden note; quest
        // stages: the talk gimmick (128); the cave: the Oskel event (enemies, 32) with its hidden
        // second form. The home yard's line has a fence post at each end of the view (7
        // segments) beside the floating block (4). Home also hides the key hints of the save
        // point and the training spot (the board's shows: the player appears before it).
        {"vididezare", "stage_Home", 11, 1 + 1 + 1 + 4 + 1 + 2, 1 | 2 | 4 | 64 | 2048},
        {"quest_Meadow", "stage_Meadow", 10, 1 + 0 + 1 + 3, 1 | 2 | 4 | 128 | 2048}, // the seeded draw's three areas
        {"quest501", "stage_Cave", 9, 1 + 1 + 1 + 3 + 2, 1 | 2 | 4 | 5 | 32 | 128 | 2048},
        {"vididezare", "stage_Home", 11, 1 + 1 + 1 + 4 + 1 + 2, 1 | 2 | 4 | 64 | 2048}, // and back home
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.quest);
        ASSERT_TRUE(game.MakeQuestCurrent(c.quest));
        ASSERT_NE(g_pQuestTable->m_pCurrentQuest, nullptr);
        EXPECT_EQ(g_pQuestTable->m_pCurrentQuest->m_StageName, c.stage);
        // The pool starts afresh for each stage: how many words the previous stage drew varies
        // with its frames (a texture-loading frame stands still), and the layout draws from it.
        SfmtInit(GameHarness::kDefaultSeed);
        ASSERT_TRUE(game.RequestStage(g_pQuestTable->m_pCurrentQuest->m_StageName));
        ASSERT_TRUE(game.TickUntil([&] { return game.Root() && game.Root()->GetPrototypeName() == c.stage; },
                                   std::string("the stage ") + c.stage + " is built", 1));
        size_t grounds = 0;
        int inactive = 0;
        uint32_t layers = 0;
        for (const GameObj* o : PreOrder(game.Root())) {
            grounds += o->GetTag() == HashName("Terrain");
            inactive += !o->IsActive();
            layers |= o->GetLayer();
        }
        EXPECT_EQ(grounds, c.grounds);
        EXPECT_EQ(inactive, c.inactive);
        EXPECT_EQ(layers, c.anyLayer);
        EXPECT_NE(game.FindObjectByTag("GameCamera"), nullptr);
        EXPECT_NE(game.FindObjectByTag("UICamera"), nullptr);
    }
}

TEST(WorldEndToEndTest, ShutdownClearsEveryGlobal)
{
    GameHarness game;
    ASSERT_TRUE(game.Start());
    game.Ticks(3);
    game.Shutdown();
    const struct {
        const char* name;
        const void* pointer;
    } globals[] = {
        {"g_pSceneManager", g_pSceneManager},
        {"g_pComponentFactory", g_pComponentFactory},
        {"g_pQuestTable", g_pQuestTable},
        {"g_pAccessoryTable", g_pAccessoryTable},
        {"g_pTextTable", g_pTextTable},
        {"g_pAtlasTable", g_pAtlasTable},
        {"g_pTextureTable", g_pTextureTable},
        {"g_pScriptSystem", g_pScriptSystem},
        {"g_pSoundManager", g_pSoundManager},
        {"g_pInputSystem", g_pInputSystem},
        {"g_pFontSet", g_pFontSet},
        {"g_pScreenFader", g_pScreenFader},
        {"g_pSpriteBatch", g_pSpriteBatch},
        {"g_pRenderSystem", g_pRenderSystem},
        {"g_pD3D9RenderSystem", g_pD3D9RenderSystem},
        {"g_pArchiveSystem", g_pArchiveSystem},
        {"game state manager", game.App().m_pGameStateManager},
        {"frame pacer", game.App().m_pFramePacer},
        {"window", game.App().m_pWindow},
        {"settings", game.App().m_pSettings},
    };
    for (const auto& g : globals)
        EXPECT_EQ(g.pointer, nullptr) << g.name;
}

TEST(WorldEndToEndTest, AReplacedTitleStageIsWhatTheFirstTickBuilds)
{
    const std::string title = "assets.v1/scripts/stage/stage_TitleScene.lua";
    const struct {
        const char* what;
        std::string lua;
        const char* root; // prototype of the built root; null: none
        size_t objects;   // in the built tree
    } cases[] = {
        {"a stage of its own",
         "stage_TitleScene = { object_activity = 1, object_layer = 1,\n"
         "  children = { { base_script = 'camera' }, { base_script = 'prop_Ground', object_tag = 'Bridge' } } }\n",
         "stage_TitleScene", 3},
        {"a stage naming a missing child",
         "stage_TitleScene = { object_activity = 1, object_layer = 1,\n"
         "  children = { { base_script = 'camera' }, { base_script = 'prop_Nowhere' } } }\n",
         "stage_TitleScene", 2},
        {"a stage that does not load", "stage_TitleScene = { object_activity = 1,\n", nullptr, 0},
        {"a stage that defines another table", "stage_Title = { object_activity = 1 }\n", nullptr, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        GameHarness game;
        game.WriteFile(title, c.lua);
        ASSERT_TRUE(game.Start());
        game.Ticks(2);
        if (!c.root) {
            EXPECT_EQ(game.Root(), nullptr);
            continue;
        }
        ASSERT_NE(game.Root(), nullptr);
        EXPECT_EQ(game.Root()->GetPrototypeName(), c.root);
        EXPECT_EQ(PreOrder(game.Root()).size(), c.objects);
    }
}
