#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "Components/Core/Collider.h"
#include "Components/Core/CollisionWorld.h"
#include "Components/Core/StageGenerator.h"
#include "Components/Core/TerrainFactory.h"
#include "System/Common/Random.h"
#include "World/QuestTable.h"
#include "World/SceneFixture.h"

namespace {

// A current quest asking for the given number of areas, while it lives.
class CurrentQuest {
public:
    explicit CurrentQuest(int32_t areaCount, bool present = true)
    {
        m_Record.m_nQuestId = 77;
        m_Record.m_QuestName = "test quest";
        m_Record.m_nAreaCount = areaCount;
        m_pOld = g_pQuestTable;
        g_pQuestTable = &m_Table;
        m_Table.m_pCurrentQuest = present ? &m_Record : nullptr;
    }
    ~CurrentQuest() { g_pQuestTable = m_pOld; }

private:
    QuestTable m_Table;
    QuestRecord m_Record;
    QuestTable* m_pOld;
};

std::string Join(const std::vector<int32_t>& v)
{
    std::string out;
    for (int32_t i : v) {
        out += out.empty() ? "" : " ";
        out += std::to_string(i);
    }
    return out;
}

} // namespace

// The row a generator chooses, for a fixed seed: the listed order, or the draws of its rules.
TEST(StageGenerator, ChoosesAreas)
{
    struct Case {
        const char* name;
        int32_t generateType;
        std::vector<StageRule> rules; // {type, countA, countB}
        int areaNames;
        int32_t areaCount; // the quest's; INT32_MIN: no current quest
        const char* chosen;
        int32_t counted;
        bool error;
    };
    const std::vector<Case> cases = {
        {"listed order", 1, {}, 3, 9, "0 1 2", 3, false},
        {"listed order, nothing listed", 1, {}, 0, 9, "", 0, false},
        {"random, counts 2..5", 0, {{0, 2, 5}}, 4, 6, "2 3 3 3 0 3", 6, false},
        {"random, counts 5..2 draw the same", 0, {{0, 5, 2}}, 4, 6, "2 3 3 3 0 3", 6, false},
        {"a draw past the count is cut to it", 0, {{0, 5, 5}}, 4, 3, "2 3 1", 3, false},
        {"no repeat within a draw, but across draws", 0, {{1, 4, 4}}, 2, 8, "0 1 0 1 1 0 1 0", 8, false},
        {"no repeat with one area repeats it", 0, {{1, 3, 3}}, 1, 3, "0 0 0", 3, false},
        {"shuffle past the area count wraps round", 0, {{2, 5, 5}}, 3, 5, "2 1 0 2 1", 5, false},
        {"each shuffle starts from the last permutation", 0, {{2, 2, 2}}, 4, 6, "3 1 3 1 1 0", 6, false},
        {"rules of each type", 0, {{0, 1, 2}, {1, 1, 2}, {2, 1, 2}}, 3, 7, "0 2 2 2 1 1 2", 7, false},
        {"no current quest places nothing", 0, {{0, 1, 1}}, 3, INT32_MIN, "", 0, false},
        {"area count 0 places nothing", 0, {{0, 1, 1}}, 3, 0, "", 0, false},
        {"negative area count places nothing", 0, {{0, 1, 1}}, 3, -2, "", 0, true},
        {"no rules: nothing placed, the row still counted", 0, {}, 3, 2, "", 2, true},
        {"no areas: nothing placed, the row still counted", 0, {{0, 1, 1}}, 0, 2, "", 2, true},
        {"rules that fill nothing give up", 0, {{7, 1, 1}, {0, 0, 0}}, 3, 2, "", 2, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GameObj owner("stage_Test", nullptr);
        StageGenerator gen(&owner);
        gen.m_nGenerateType = c.generateType;
        gen.m_Rules = c.rules;
        for (int i = 0; i < c.areaNames; ++i)
            gen.m_Areas.push_back(std::string("area").append(std::to_string(i)));
        CurrentQuest quest(c.areaCount == INT32_MIN ? 0 : c.areaCount, c.areaCount != INT32_MIN);
        SfmtInit(2026);
        int32_t counted = -1;
        ::testing::internal::CaptureStdout();
        const std::vector<int32_t> chosen = gen.ChooseAreas(counted);
        const std::string log = ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(Join(chosen), c.chosen);
        EXPECT_EQ(counted, c.counted);
        EXPECT_EQ(log.find("ERROR") != std::string::npos, c.error) << log;
        if (c.error) {
            EXPECT_NE(log.find("stage_Test"), std::string::npos) << log;
        }
    }
}

// A quest asking for more areas than a stage can take places the cap, with an error naming the
// quest and the stage; the cap itself is placed without a word.
TEST(StageGenerator, AreaCountIsCapped)
{
    for (const int32_t wanted : {StageGenerator::kMaxAreaCount, StageGenerator::kMaxAreaCount + 1, 30000}) {
        SCOPED_TRACE(wanted);
        GameObj owner("stage_Test", nullptr);
        StageGenerator gen(&owner);
        gen.m_Rules = {{eStageRule_Random, 1, 3}};
        gen.m_Areas = {"a", "b"};
        CurrentQuest quest(wanted);
        SfmtInit(2026);
        int32_t counted = -1;
        ::testing::internal::CaptureStdout();
        const std::vector<int32_t> chosen = gen.ChooseAreas(counted);
        const std::string log = ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(chosen.size(), size_t(StageGenerator::kMaxAreaCount));
        EXPECT_EQ(counted, StageGenerator::kMaxAreaCount);
        const bool capped = wanted > StageGenerator::kMaxAreaCount;
        EXPECT_EQ(log.find("ERROR") != std::string::npos, capped) << log;
        if (capped) {
            EXPECT_NE(log.find("stage_Test"), std::string::npos) << log;
            EXPECT_NE(log.find("test quest"), std::string::npos) << log;
        }
    }
}

TEST(StageGenerator, ShuffleIndices)
{
    SfmtInit(5);
    std::vector<int32_t> one = {4};
    ShuffleIndices(one.data(), one.data() + 1);
    EXPECT_EQ(one, std::vector<int32_t>{4});
    std::vector<int32_t> v = {0, 1, 2, 3, 4, 5, 6, 7};
    SfmtInit(5);
    std::vector<uint32_t> words;
    for (int i = 0; i < 7; ++i)
        words.push_back(RandomNext());
    // From the end: entry i swaps with entry word mod (i + 1).
    std::vector<int32_t> expected = v;
    for (int i = 7, w = 0; i >= 1; --i, ++w)
        std::swap(expected[static_cast<size_t>(i)], expected[words[static_cast<size_t>(w)] % static_cast<uint32_t>(i + 1)]);
    SfmtInit(5);
    ShuffleIndices(v.data(), v.data() + v.size());
    EXPECT_EQ(v, expected);
}

TEST(StageGenerator, LoadsItsTable)
{
    lua_State* L = luaL_newstate();
    ASSERT_EQ(luaL_dostring(L, "return { rules = { {2, 5, 0}, {1}, 'x' }, areas = { 'a', 'b' }, "
                               "blurColor = { r = 300, g = -1, b = 16.9, a = 128 }, generateType = 2.7 }"),
        0);
    GameObj owner("s", nullptr);
    StageGenerator gen(&owner);
    EXPECT_TRUE(gen.Load(L));
    ASSERT_EQ(gen.m_Rules.size(), 3u);
    EXPECT_EQ(gen.m_Rules[0].countA, 2);
    EXPECT_EQ(gen.m_Rules[0].countB, 5);
    EXPECT_EQ(gen.m_Rules[0].type, 0);
    EXPECT_EQ(gen.m_Rules[1].countA, 1);
    EXPECT_EQ(gen.m_Rules[1].countB, 0);
    EXPECT_EQ(gen.m_Rules[2].countA, 0);
    EXPECT_EQ(gen.m_Areas, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(gen.m_aBlurColor[0], 128);
    EXPECT_EQ(gen.m_aBlurColor[1], 44);
    EXPECT_EQ(gen.m_aBlurColor[2], 255);
    EXPECT_EQ(gen.m_aBlurColor[3], 16);
    EXPECT_EQ(gen.m_nGenerateType, 2);
    lua_close(L);
}

namespace {

// A list of 21 copies of item at the positions 1, 2, 4, ..., 2^20: its raw length is 2^20.
std::string SparseList(const std::string& item)
{
    std::string list = "{";
    for (int k = 0; k <= 20; ++k)
        list += " [" + std::to_string(1 << k) + "] = " + item + ",";
    return list + " }";
}

} // namespace

// Lists with holes count their items, not their border: each loads at most its 21 entries,
// with the reader's error, instead of a million rules, areas, records or points.
TEST(StageLayout, SparseListsLoadTheirItemsOnly)
{
    struct Case {
        const char* what;
        std::string table;
        bool generator; // else the terrain factory
        size_t (*count)(const StageGenerator&, const TerrainFactory&);
    };
    const Case cases[] = {
        {"rules", "{ rules = " + SparseList("{ 1, 1, 0 }") + " }", true,
         [](const StageGenerator& g, const TerrainFactory&) { return g.m_Rules.size(); }},
        {"areas", "{ areas = " + SparseList("'a'") + " }", true,
         [](const StageGenerator& g, const TerrainFactory&) { return g.m_Areas.size(); }},
        {"terrain records", "{ terrain = " + SparseList("{ polyline = { { x = 0, y = 0 }, { x = 1, y = 0 } } }") + " }",
         false, [](const StageGenerator&, const TerrainFactory& f) { return f.m_Terrain.size(); }},
        {"polyline points", "{ terrain = { { polyline = " + SparseList("{ x = 1, y = 2 }") + " } } }", false,
         [](const StageGenerator&, const TerrainFactory& f) { return f.m_Terrain.at(0).points.size(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        lua_State* L = luaL_newstate();
        ASSERT_EQ(luaL_dostring(L, ("return " + c.table).c_str()), 0);
        GameObj owner("s", nullptr);
        StageGenerator generator(&owner);
        TerrainFactory factory(&owner);
        testing::internal::CaptureStdout();
        EXPECT_TRUE(c.generator ? generator.Load(L) : factory.Load(L));
        const std::string log = testing::internal::GetCapturedStdout();
        EXPECT_NE(log.find("holds only 21 entries"), std::string::npos) << log.substr(0, 400);
        EXPECT_GE(c.count(generator, factory), 1u);
        EXPECT_LE(c.count(generator, factory), 21u);
        lua_close(L);
    }
}

// ---- Built through the scene
// ---- Built through the scene

namespace {

const char* kTemplate = "terrain_template = { object_name = 'seg', object_activity = 1, object_tag = 'Terrain', "
                        "components = { Transform = {} } }";

// An area prototype with a name, a Transform and the given extra components.
std::string Area(const std::string& name, const std::string& components = "")
{
    return name + " = { object_name = '" + name + "', object_activity = 1, object_layer = 1, "
           "components = { Transform = {} " + (components.empty() ? "" : ", " + components) + " } }";
}

Transform* Placed(SceneManager* scene, const std::string& name)
{
    GameObj* obj = scene->FindObjectByName(name);
    return obj ? obj->GetTransform() : nullptr;
}

} // namespace

// Listed areas go 1024 apart from x 512 at y 256; a name with no prototype leaves its slot
// empty and still counts; the tree and bounds cover the whole row.
TEST(StageLayout, ListedRow)
{
    TestWorld world({
        {"stage/stage_Row", "stage_Row = { object_name = 'row', object_activity = 1, object_layer = 1, components = { "
                            "Transform = {}, StageGenerator = { generateType = 1, areas = { 'a', 'missing', 'c', 'b' } } } }"},
        {"game_objects/a", Area("a")},
        {"game_objects/b", Area("b")},
        {"game_objects/c", Area("c")},
    });
    world.Scene()->RequestStage("stage_Row");
    world.Tick();
    const std::pair<const char*, float> expected[] = {{"a", 512.0f}, {"c", 2560.0f}, {"b", 3584.0f}};
    for (const auto& [name, x] : expected) {
        Transform* t = Placed(world.Scene(), name);
        ASSERT_NE(t, nullptr) << name;
        EXPECT_FLOAT_EQ(t->WorldMatrix().m[3][0], x) << name;
        EXPECT_FLOAT_EQ(t->WorldMatrix().m[3][1], 256.0f) << name;
    }
    ASSERT_NE(g_pCollisionWorld, nullptr);
    EXPECT_FLOAT_EQ(g_pCollisionWorld->GetTree().GetWidth(), 4096.0f);
    EXPECT_FLOAT_EQ(g_pCollisionWorld->GetTree().GetHeight(), 4096.0f);
    EXPECT_EQ(g_pCollisionWorld->GetTree().GetCellCount(), 5461);
    const StageBounds b = g_pCollisionWorld->GetStageBounds();
    EXPECT_FLOAT_EQ(b.maxX, 4096.0f);
    EXPECT_FLOAT_EQ(b.maxY, 2000.0f);
    EXPECT_FLOAT_EQ(b.minX, 0.0f);
    EXPECT_FLOAT_EQ(b.minY, 0.0f);
}

// Before any generator the bounds are one area's; a stage without a generator keeps its
// predecessor's bounds, and its tree is gone with the clear.
TEST(StageLayout, BoundsWithoutAGenerator)
{
    TestWorld world({
        {"stage/stage_Row", "stage_Row = { object_name = 'row', object_activity = 1, object_layer = 1, components = { "
                            "Transform = {}, StageGenerator = { generateType = 1, areas = { 'a', 'a' } } } }"},
        {"stage/stage_Bare", Area("stage_Bare")},
        {"game_objects/a", Area("a")},
    });
    const StageBounds first = g_pCollisionWorld->GetStageBounds();
    EXPECT_FLOAT_EQ(first.maxX, 1024.0f);
    EXPECT_FLOAT_EQ(first.maxY, 2000.0f);
    world.Scene()->RequestStage("stage_Row");
    world.Tick();
    world.Scene()->RequestStage("stage_Bare");
    world.Tick();
    EXPECT_FLOAT_EQ(g_pCollisionWorld->GetStageBounds().maxX, 2048.0f);
    EXPECT_FALSE(g_pCollisionWorld->GetTree().HasRoot());
    EXPECT_EQ(g_pCollisionWorld->GetTree().GetCellCount(), 0);
}

// Terrain chains: one object per segment, endpoints moved from Lua's y-down area frame into the
// area's centred y-up frame, linked in a chain, on the record's layer and mask.
TEST(StageLayout, TerrainChains)
{
    TestWorld world({
        {"stage/stage_T", "stage_T = { object_name = 'row', object_activity = 1, object_layer = 1, components = { "
                          "Transform = {}, StageGenerator = { generateType = 1, areas = { 'area' } } } }"},
        {"game_objects/area",
            Area("area", "TerrainFactory = { terrain = { "
                         "{ layerMask = 4, cullingMask = 3, x = 0, y = 0, polyline = { {x = 0, y = 512}, {x = 300, y = 512}, {x = 400, y = 412} } },"
                         "{ layerMask = 4, x = 100, y = -10, polyline = { {x = 0, y = 0}, {x = 0, y = 100} } },"
                         "{ layerMask = 4, polyline = { {x = 5, y = 5} } } } }")},
        {"game_objects/terrain_template", kTemplate},
    });
    world.Scene()->RequestStage("stage_T");
    world.Tick();
    GameObj* area = world.Scene()->FindObjectByName("area");
    ASSERT_NE(area, nullptr);
    std::vector<SegmentCollider*> segs;
    for (GameObj* child = area->GetNext(); child && child->GetParent() == area; child = child->GetNextSkippingSubtree()) {
        ASSERT_EQ(child->GetObjectName(), "seg");
        segs.insert(segs.begin(), static_cast<SegmentCollider*>(child->GetCollider()));
    }
    ASSERT_EQ(segs.size(), 3u);
    struct Expected {
        float sx, sy, ex, ey;
        uint32_t mask;
        int prev, next;
    };
    // The area sits at (512, 256): Lua (x, y) of the first record lands at (x, 512 - y).
    const Expected expected[] = {
        {0, 0, 300, 0, 3u, -1, 1},
        {300, 0, 400, 100, 3u, 0, -1},
        {100, 522, 100, 422, 0xFFFFFFFFu, -1, -1},
    };
    for (size_t i = 0; i < segs.size(); ++i) {
        SCOPED_TRACE(i);
        SegmentCollider* s = segs[i];
        ASSERT_NE(s, nullptr);
        WorldBox box;
        s->ComputeWorldShape(box);
        EXPECT_FLOAT_EQ(s->GetWorldStartX(), expected[i].sx);
        EXPECT_FLOAT_EQ(s->GetWorldStartY(), expected[i].sy);
        EXPECT_FLOAT_EQ(s->GetWorldEndX(), expected[i].ex);
        EXPECT_FLOAT_EQ(s->GetWorldEndY(), expected[i].ey);
        EXPECT_EQ(s->GetCullingMask(), expected[i].mask);
        EXPECT_EQ(s->GetLayer(), 4u);
        EXPECT_EQ(s->GetOwner()->GetLayer(), 4u);
        EXPECT_EQ(s->GetPrev(), expected[i].prev < 0 ? nullptr : segs[static_cast<size_t>(expected[i].prev)]);
        EXPECT_EQ(s->GetNext(), expected[i].next < 0 ? nullptr : segs[static_cast<size_t>(expected[i].next)]);
        EXPECT_TRUE(s->IsStarted());
        EXPECT_GE(g_pCollisionWorld->FindProxy(s)->cell, 0);
    }
}

// Without "terrain_template" every segment is left out with an error, and nothing breaks.
TEST(StageLayout, TerrainWithoutTemplate)
{
    TestWorld world({
        {"stage/stage_T", "stage_T = { object_name = 'row', object_activity = 1, object_layer = 1, components = { "
                          "Transform = {}, StageGenerator = { generateType = 1, areas = { 'area' } } } }"},
        {"game_objects/area",
            Area("area", "TerrainFactory = { terrain = { { layerMask = 4, polyline = { {x = 0, y = 0}, {x = 9, y = 0}, {x = 9, y = 9} } } } }")},
    });
    world.Scene()->RequestStage("stage_T");
    ::testing::internal::CaptureStdout();
    world.Tick();
    const std::string log = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("terrain_template"), std::string::npos) << log;
    EXPECT_NE(log.find("segment 1"), std::string::npos) << log;
    GameObj* area = world.Scene()->FindObjectByName("area");
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(area->GetNext(), nullptr);
}

// Rows inside rows and terrain inside terrain would grow without end: the inner one does nothing
// and says so, and the outer one's work stands.
TEST(StageLayout, NestedGeneratorsAndFactoriesStop)
{
    TestWorld world({
        {"stage/stage_N", "stage_N = { object_name = 'row', object_activity = 1, object_layer = 1, components = { "
                          "Transform = {}, StageGenerator = { generateType = 1, areas = { 'area', 'area' } } } }"},
        {"game_objects/area",
            Area("area", "StageGenerator = { generateType = 1, areas = { 'area', 'area', 'area' } }, "
                         "TerrainFactory = { terrain = { { layerMask = 4, polyline = { {x = 0, y = 0}, {x = 9, y = 0} } } } }")},
        {"game_objects/terrain_template",
            "terrain_template = { object_name = 'seg', object_activity = 1, object_tag = 'Terrain', components = { Transform = {}, "
            "TerrainFactory = { terrain = { { layerMask = 4, polyline = { {x = 0, y = 0}, {x = 9, y = 0} } } } } } }"},
    });
    world.Scene()->RequestStage("stage_N");
    ::testing::internal::CaptureStdout();
    world.Tick();
    world.Tick();
    const std::string log = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("lies inside the row of"), std::string::npos) << log;
    EXPECT_NE(log.find("lies inside the terrain of"), std::string::npos) << log;
    size_t areas = 0, segments = 0;
    for (GameObj* o = world.Scene()->GetRoot(); o; o = o->GetNext()) {
        areas += o->GetObjectName() == "area";
        segments += o->GetObjectName() == "seg";
    }
    EXPECT_EQ(areas, 2u);
    EXPECT_EQ(segments, 2u);
    EXPECT_FLOAT_EQ(g_pCollisionWorld->GetStageBounds().maxX, 2048.0f);
}
