#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "System/Graphics/AtlasTable.h"
#include "System/Graphics/TextureTable.h"
#include "World/AccessoryTable.h"
#include "World/AnimationTable.h"
#include "World/GameStateManager.h"
#include "World/QuestTable.h"
#include "World/SceneFixture.h"
#include "World/TextTable.h"
#include "World/WorldState.h"


namespace {

// The world state's pointers, by name, each null or not.
std::string LiveGlobals()
{
    std::string s;
    auto add = [&s](const char* name, const void* p) {
        if (p)
            s.append(s.empty() ? "" : " ").append(name);
    };
    add("script", g_pScriptSystem);
    add("texture", g_pTextureTable);
    add("text", g_pTextTable);
    add("atlas", g_pAtlasTable);
    add("animation", g_pAnimationTable);
    add("accessory", g_pAccessoryTable);
    add("quest", g_pQuestTable);
    add("scene", g_pSceneManager);
    add("factory", g_pComponentFactory);
    return s;
}

const char* const kAllGlobals = "script texture text atlas animation accessory quest scene factory";

// The strings of the Lua array global "trail".
std::vector<std::string> Trail()
{
    std::vector<std::string> out;
    lua_State* L = g_pScriptSystem->GetState();
    lua_getglobal(L, "trail");
    if (lua_istable(L, -1))
        for (lua_Integer i = 1; i <= static_cast<lua_Integer>(lua_rawlen(L, -1)); ++i) {
            lua_rawgeti(L, -1, i);
            out.push_back(lua_tostring(L, -1) ? lua_tostring(L, -1) : "?");
            lua_pop(L, 1);
        }
    lua_pop(L, 1);
    return out;
}

// Every file of the world appends its folder to one shared Lua list, so the list shows the
// order in which entering the world ran them; the title stage's recorder notes which pointers
// still live while the world is left.
TEST(WorldStateTest, BuildsInOrderAndTearsDownInReverse)
{
    const std::string step = "trail = trail or {} table.insert(trail, '%') ";
    auto file = [&step](const char* folder, const std::string& rest) {
        std::string s = step;
        s.replace(s.find('%'), 1, folder);
        return s + rest;
    };
    ScriptFolder folder(Files{
        {"prerequisites/pre", file("prerequisites", "")},
        {"textures/tex", file("textures", "texture_table = {}")},
        {"text/text_a", file("text", "text_a = { line = { 'a' } }")},
        {"atlases/sheet", file("atlases", "spriteSheet = { texture = 't.png', textureSize = { width = 1, height = 1 } }")},
        {"animations/anim", file("animations", "animation_table = {}")},
        {"accessory/accessory_x", file("accessory", "accessory_x = {}")},
        {"quest/quest_x", file("quest", "quest_x = {}")},
        {"stage/stage_TitleScene", file("stage", "stage_TitleScene = { object_name = 'title', object_activity = 1, "
                                                 "object_layer = 1, components = { RecA = {} } }")},
        {"game_objects/thing", file("game_objects", "thing = {}")},
    });
    Events().clear();
    std::vector<std::string> liveAtDetach;
    RecHook() = [&](Rec*, const std::string& event) {
        if (event == "Detach")
            liveAtDetach.push_back(LiveGlobals());
    };
    // The scene makes the factory only when there is none: this one knows the recorders.
    g_pComponentFactory = MakeTestFactory();
    SetStandInFrameCount(1);

    WorldState world;
    ::testing::internal::CaptureStdout();
    EXPECT_TRUE(world.Enter());
    EXPECT_EQ(LiveGlobals(), kAllGlobals);
    std::vector<std::string> expected = {"prerequisites", "textures", "text", "atlases"};
    expected.push_back("animations");
    for (const char* later : {"accessory", "quest", "stage", "game_objects"})
        expected.push_back(later);
    EXPECT_EQ(Trail(), expected);
    EXPECT_EQ(g_pTextTable->GetCount(), 1u);
    EXPECT_NE(g_pAccessoryTable->Find(g_nDefaultAccessoryKey), nullptr);
    EXPECT_EQ(g_pQuestTable->m_pCurrentQuest, nullptr);
    EXPECT_EQ(g_pSceneManager->GetPrototypeCount(), 2u);
    EXPECT_EQ(g_pSceneManager->m_nUpdateMask, 0xFFFFFFFFu);
    EXPECT_EQ(g_pSceneManager->m_nDrawMask, 0xFFFFFFFFu);
    EXPECT_TRUE(g_pSceneManager->IsStageChangePending());
    EXPECT_EQ(g_pSceneManager->GetNextStageName(), "stage_TitleScene");

    // The first update builds and starts the title stage; the state never asks for a switch.
    EXPECT_EQ(world.Update(0.0f), -1);
    ASSERT_NE(g_pSceneManager->GetRoot(), nullptr);
    EXPECT_EQ(g_pSceneManager->GetRoot()->GetObjectName(), "title");
    EXPECT_EQ(EventsWith(Events(), "title:Start").size(), 1u);
    EXPECT_EQ(world.GetStateId(), 0);
    EXPECT_FALSE(world.HandleEvent(nullptr));

    world.Leave();
    const std::string log = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(log.find(":ERROR:"), std::string::npos) << log;
    // The scene goes first: while its objects are deleted every table is still there.
    EXPECT_EQ(liveAtDetach, std::vector<std::string>{kAllGlobals});
    EXPECT_EQ(LiveGlobals(), "");
    RecHook() = nullptr;
    SetStandInFrameCount(0);
}

// A prerequisite that waits stops there for good, and what it set before the wait stays.
TEST(WorldStateTest, AWaitingPrerequisiteNeverResumes)
{
    ScriptFolder folder(Files{
        {"prerequisites/a_wait", "before = 1 Script.awakeAt(0.5) after = 1"},
        {"prerequisites/b_next", "second = before"},
    });
    WorldState world;
    world.Enter();
    for (int i = 0; i < 5; ++i)
        world.Update(1.0f);
    lua_State* L = g_pScriptSystem->GetState();
    auto global = [L](const char* name) {
        lua_getglobal(L, name);
        const lua_Integer value = lua_tointeger(L, -1);
        lua_pop(L, 1);
        return value;
    };
    EXPECT_EQ(global("before"), 1);
    EXPECT_EQ(global("second"), 1); // the next script ran after it, in name order
    EXPECT_EQ(global("after"), 0);
    world.Leave();
    EXPECT_EQ(LiveGlobals(), "");
}

// An accessory table that is already there is kept and gets the default record again.
TEST(WorldStateTest, AnAccessoryTableAlreadyThereGetsTheDefaultRecordAgain)
{
    ScriptFolder folder(Files{{"accessory/accessory_Ring", "accessory_Ring = { accessoryId = 4 }"}});
    auto* accessories = new AccessoryTable;
    g_pAccessoryTable = accessories;
    WorldState world;
    world.Enter();
    EXPECT_EQ(g_pAccessoryTable, accessories);
    EXPECT_NE(accessories->Find(g_nDefaultAccessoryKey), nullptr);
    EXPECT_NE(accessories->Find(HashName("accessory_Ring")), nullptr);
    world.Leave();
    EXPECT_EQ(g_pAccessoryTable, nullptr);
}

// An atlas list whose length, as Lua counts it, is 2^29 but which holds 30 sprites loads at
// once, reading the entries it holds rather than walking half a billion items.
TEST(WorldStateTest, ASparseSpriteListLoadsAtOnce)
{
    std::string sprites = "{";
    for (int i = 0; i < 30; ++i)
        sprites.append("[").append(std::to_string(1L << i)).append("] = { name = 's").append(std::to_string(i))
            .append("', sourceRect = { width = 1, height = 1 } }, ");
    sprites += "}";
    ScriptFolder folder(Files{{"atlases/sheet", "spriteSheet = { texture = 'tex.png', textureSize = { width = 8, height = 8 "
                                           "}, sprites = " + sprites + " }"}});
    WorldState world;
    ::testing::internal::CaptureStdout();
    world.Enter();
    const std::string log = ::testing::internal::GetCapturedStdout();
    // Items 1 to 30: of those, 1, 2, 4, 8 and 16 are there.
    EXPECT_EQ(g_pAtlasTable->GetCount(), 5u);
    EXPECT_NE(log.find("assets.v1/scripts/atlases/sheet: a list has a length of 536870912 but holds only 30"),
              std::string::npos)
        << log;
    world.Leave();
}

// The texture and atlas loaders need the script host and its Lua state: without either they
// log the reason and load nothing.
TEST(WorldStateTest, GraphicsLoadersWithoutAScriptHost)
{
    ScriptFolder folder(Files{{"textures/tex", "texture_table = {}"}, {"atlases/sheet", "spriteSheet = {}"}});
    ScriptSystem closed;
    closed.Shutdown();
    struct Case {
        const char* what;
        ScriptSystem* host;
        const char* log;
    };
    const Case cases[] = {
        {"no script host", nullptr, "no archive system or script host"},
        {"a host whose Lua state is closed", &closed, "the script host has no Lua state"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_pScriptSystem = c.host;
        TextureTable textures;
        AtlasTable atlas;
        ::testing::internal::CaptureStdout();
        textures.LoadFolder("assets.v1/scripts/textures/");
        atlas.LoadFolder("assets.v1/scripts/atlases/");
        const std::string log = ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(textures.GetCount(), 0u);
        EXPECT_EQ(atlas.GetCount(), 0u);
        size_t found = 0;
        for (size_t at = log.find(c.log); at != std::string::npos; at = log.find(c.log, at + 1))
            ++found;
        EXPECT_EQ(found, 2u) << log;
    }
    g_pScriptSystem = nullptr;
}

// A state that records what is done to it.
class RecordingState : public IGameState {
public:
    explicit RecordingState(std::vector<std::string>& log) : m_Log(log) {}
    ~RecordingState() override { m_Log.push_back("delete"); }
    bool HandleEvent(IEvent*) override { return false; }
    bool Enter() override
    {
        m_Log.push_back("Enter");
        return true;
    }
    void Leave() override { m_Log.push_back("Leave"); }
    int Update(float) override { return -1; }
    void Draw() override {}
    int GetStateId() const override { return 7; }

    std::vector<std::string>& m_Log;
};

// Switching leaves the current state and keeps it as the previous one until the next switch;
// only the world state's id exists.
TEST(WorldStateTest, StateSwitch)
{
    ScriptFolder folder(Files{});
    std::vector<std::string> log;
    auto* manager = new GameStateManager(nullptr);
    manager->SetCurrent(new RecordingState(log));

    ::testing::internal::CaptureStdout();
    manager->SwitchState(3);
    const std::string refused = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(refused.find("There is no game state 3"), std::string::npos) << refused;
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(manager->GetCurrent()->GetStateId(), 7);

    manager->SwitchState(0);
    EXPECT_EQ(log, std::vector<std::string>{"Leave"});
    EXPECT_EQ(manager->GetPrevious()->GetStateId(), 7);
    ASSERT_NE(manager->GetCurrent(), nullptr);
    EXPECT_EQ(manager->GetCurrent()->GetStateId(), 0);
    EXPECT_EQ(LiveGlobals(), kAllGlobals);

    manager->SwitchState(0); // the recording state goes; the first world is left for a new one
    EXPECT_EQ(log, (std::vector<std::string>{"Leave", "delete"}));
    EXPECT_EQ(LiveGlobals(), kAllGlobals);

    GameStateManager::Destroy(manager);
    EXPECT_EQ(LiveGlobals(), "");
}

} // namespace
