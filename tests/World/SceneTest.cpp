#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "System/Application/FramePacer.h"
#include "System/Application/MainApp.h"
#include "System/Common/SlabAllocator.h"
#include "System/Common/StreamIO.h"
#include "System/Graphics/D3D9Texture.h"
#include "System/Graphics/RenderSystem.h"
#include "System/Graphics/TextureTable.h"
#include "Support/Deadline.h"
#include "World/SceneFixture.h"

namespace {

// The tree below an object in pre-order: name, "-" when inactive, "@layer", "#tag" (tags "t" and
// "u" by name), the component classes in list order (a recorder's Lua name in brackets), then
// the children in braces.
std::string Describe(const GameObj* obj)
{
    std::string s = obj->IsActive() ? "" : "-";
    s += obj->GetObjectName();
    if (obj->GetLayer())
        s.append("@").append(std::to_string(obj->GetLayer()));
    if (obj->GetTag() == HashName("t"))
        s += "#t";
    else if (obj->GetTag() == HashName("u"))
        s += "#u";
    else if (obj->GetTag() != 0)
        s += "#?";
    s += "[";
    for (size_t i = 0; i < obj->GetComponents().size(); ++i) {
        const Component* c = obj->GetComponents()[i];
        s += (i ? "," : "") + c->GetClassName();
        if (auto* rec = dynamic_cast<const Rec*>(c); rec && !rec->m_LuaName.empty())
            s += "(" + rec->m_LuaName + ")";
    }
    s += "]";
    if (GameObj* child = obj->GetFirstChild()) {
        s += "{";
        for (; child; child = child->GetNextSibling())
            s += Describe(child) + (child->GetNextSibling() ? ";" : "");
        s += "}";
    }
    return s;
}

// The array {[1] = entry, [2] = entry, [4] = entry, ..., [2^29] = entry}: 30 entries, and a
// length of 2^29 as Lua counts it.
std::string SparseArray(const std::string& entry)
{
    std::string s = "{";
    for (int i = 0; i < 30; ++i)
        s.append("[").append(std::to_string(1L << i)).append("] = ").append(entry).append(", ");
    return s + "}";
}

struct InstantiateCase {
    const char* what;
    std::map<std::string, std::string> files; // below game_objects/
    const char* build;
    const char* tree; // "null" when nothing is made
    const char* log;  // a text the log must hold; "" for none
};

TEST(SceneInstantiate, BuildsTreesFromPrototypes)
{
    const std::string sparse = SparseArray("{ base_script = 'A' }");
    const InstantiateCase cases[] = {
        {"children: the instance's before the template's, each list last entry first",
         {{"S", "S = { object_name = 'S', children = { { base_script = 'P', children = { { base_script = 'C' } } } } }"},
          {"P", "P = { object_name = 'P', children = { { base_script = 'A' }, { base_script = 'B' } } }"},
          {"A", "A = { object_name = 'A' }"},
          {"B", "B = { object_name = 'B' }"},
          {"C", "C = { object_name = 'C', children = { { base_script = 'D' } } }"},
          {"D", "D = { object_name = 'D' }"}},
         "S",
         "-S[Transform]{-P[Transform]{-C[Transform]{-D[Transform]};-B[Transform];-A[Transform]}}",
         ""},
        {"instance keys: a given one wins, a nil one leaves the template's",
         {{"S", "S = { object_name = 'S', object_activity = 1, children = { { base_script = 'P', object_name = 'inst', "
                "object_activity = 0, object_tag = 'u', object_layer = nil } } }"},
          {"P", "P = { object_name = 'tpl', object_layer = 5, object_activity = 1, object_tag = 't' }"}},
         "S",
         "S[Transform]{-inst@5#u[Transform]}",
         ""},
        {"template keys without an instance; activity truncated toward zero",
         {{"P", "P = { object_name = 'tpl', object_layer = 4294967295, object_activity = 0.9, object_tag = 't' }"}},
         "P",
         "-tpl@4294967295#t[Transform]",
         ""},
        {"an instance's component replaces the template's of its class",
         {{"S", "S = { object_name = 'S', children = { { base_script = 'P', components = { RecA = { name = 'instA' } } } } }"},
          {"P", "P = { object_name = 'P', components = { RecA = { name = 'tplA' }, RecB = { name = 'tplB' } } }"}},
         "S",
         "-S[Transform]{-P[RecA(instA),RecB(tplB),Transform]}",
         ""},
        {"the instance's components come first, then the template's, each in registration order",
         {{"S", "S = { object_name = 'S', children = { { base_script = 'P', components = { RecB = {}, RecC = {} } } } }"},
          {"P", "P = { object_name = 'P', components = { RecA = {}, Transform = {}, RecB = { name = 'tplB' } } }"}},
         "S",
         "-S[Transform]{-P[RecC,RecB,Transform,RecA]}",
         ""},
        {"registration order, not the table's",
         {{"P", "P = { object_name = 'P', components = { RecB = {}, RecA = {}, Transform = {}, RecC = {}, "
                "TestRenderer = {} } }"}},
         "P",
         "-P[Transform,RecC,RecA,RecB,TestRenderer]",
         ""},
        {"no components: a default transform",
         {{"P", "P = { object_name = 'P' }"}},
         "P",
         "-P[Transform]",
         ""},
        {"an unknown class is left out",
         {{"P", "P = { object_name = 'P', components = { Nope = {}, RecA = {} } }"}},
         "P",
         "-P[RecA,Transform]",
         "P: unknown component class Nope; left out."},
        {"parameters that are not a table are left out",
         {{"P", "P = { object_name = 'P', components = { RecA = true, RecB = {} } }"}},
         "P",
         "-P[RecB,Transform]",
         "the parameters of RecA are not a table"},
        {"a prototype that was not loaded", {{"P", "P = {}"}}, "Ghost", "null", "No prototype Ghost is loaded."},
        {"a file that defines no table of its name", {{"P", "Other = {}"}}, "P", "null", "defines no table P"},
        {"a global of the name that is not a table", {{"P", "P = 5"}}, "P", "null", "defines no table P"},
        {"a file that does not run", {{"P", "P = {"}}, "P", "null", "does not load"},
        {"a child of a missing prototype is left out",
         {{"P", "P = { object_name = 'P', children = { { base_script = 'Ghost' }, { base_script = 'A' } } }"},
          {"A", "A = { object_name = 'A' }"}},
         "P",
         "-P[Transform]{-A[Transform]}",
         "No prototype Ghost"},
        {"sparse children: the entries, not a length of 2^29",
         {{"P", "P = { object_name = 'P', children = " + sparse + " }"}, {"A", "A = { object_name = 'A' }"}},
         "P",
         "-P[Transform]{-A[Transform];-A[Transform];-A[Transform];-A[Transform];-A[Transform]}",
         "data file P: a list has a length of 536870912 but holds only 30 entries"},
        {"a child entry that is not a table is skipped",
         {{"P", "P = { object_name = 'P', children = { { base_script = 'A' }, 'B', { base_script = 'B' } } }"},
          {"A", "A = { object_name = 'A' }"},
          {"B", "B = { object_name = 'B' }"}},
         "P",
         "-P[Transform]{-B[Transform];-A[Transform]}",
         "Prototype P: child 2 is not a table; left out."},
        {"a prototype that contains itself",
         {{"P", "P = { object_name = 'P', children = { { base_script = 'P' } } }"}},
         "P",
         "-P[Transform]",
         "Prototype P contains itself (P -> P)"},
        {"a prototype that contains itself through a child",
         {{"P", "P = { object_name = 'P', children = { { base_script = 'Q' } } }"},
          {"Q", "Q = { object_name = 'Q', children = { { base_script = 'R' } } }"},
          {"R", "R = { object_name = 'R', children = { { base_script = 'P' } } }"}},
         "P",
         "-P[Transform]{-Q[Transform]{-R[Transform]}}",
         "Prototype P contains itself (P -> Q -> R -> P)"},
        {"one prototype used twice side by side is no loop",
         {{"P", "P = { object_name = 'P', children = { { base_script = 'A' }, { base_script = 'A' } } }"},
          {"A", "A = { object_name = 'A' }"}},
         "P",
         "-P[Transform]{-A[Transform];-A[Transform]}",
         ""},
    };
    for (const InstantiateCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::map<std::string, std::string> files;
        for (const auto& [name, text] : c.files)
            files["game_objects/" + name] = text;
        ::testing::internal::CaptureStdout();
        std::string tree = "null";
        {
            TestWorld world(files);
            std::vector<int> tops;
            for (ScriptContext* context = g_pScriptSystem->GetContexts(); context; context = context->m_pNext)
                tops.push_back(lua_gettop(context->m_pThread));
            if (GameObj* obj = world.Scene()->Instantiate(c.build, nullptr, nullptr)) {
                tree = Describe(obj);
                delete obj;
            }
            // Every thread is left as it was found.
            size_t i = 0;
            for (ScriptContext* context = g_pScriptSystem->GetContexts(); context; context = context->m_pNext)
                EXPECT_EQ(lua_gettop(context->m_pThread), tops[i++]);
        }
        const std::string log = ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(tree, c.tree);
        if (*c.log)
            EXPECT_NE(log.find(c.log), std::string::npos) << log;
        else
            EXPECT_EQ(log.find(":ERROR:"), std::string::npos) << log;
    }
}

size_t CountTree(const GameObj* obj)
{
    size_t count = 1;
    for (GameObj* child = obj->GetFirstChild(); child; child = child->GetNextSibling())
        count += CountTree(child);
    return count;
}

// A chain of prototypes far deeper than any data needs overflowed the stack, and a wide fan-out
// ran out of memory: a build stops at its nesting and object bounds with an error naming the
// prototype, and keeps what it built. Run in a child, as today's fault ends the process.
TEST(SceneInstantiate, DeepOrWideTreesStopAtTheBoundsWithAnErrorNamingThePrototype)
{
    struct Case {
        const char* what;
        std::map<std::string, std::string> files;
        std::string log;
    };
    // Texts are built by appending: a literal plus a temporary string trips a false overlap
    // warning of GCC 12 at -O3.
    auto join = [](std::initializer_list<std::string_view> parts) {
        std::string text;
        for (std::string_view part : parts)
            text += part;
        return text;
    };
    Case chain{"a chain 10,000 prototypes deep", {}, join({"Prototype C", std::to_string(kMaxBuildDepth), " lies "})};
    for (int i = 0; i < 10000; ++i) {
        const std::string name = join({"C", std::to_string(i)});
        chain.files[join({"game_objects/", name})] =
            join({name, " = { children = { { base_script = 'C", std::to_string(i + 1), "' } } }"});
    }
    Case fan{"ten children a level over six levels", {}, "Prototype F"};
    for (int level = 0; level < 6; ++level) {
        std::string children;
        for (int i = 0; i < 10; ++i)
            children += join({"{ base_script = 'F", std::to_string(level + 1), "' }, "});
        const std::string name = join({"F", std::to_string(level)});
        fan.files[join({"game_objects/", name})] = join({name, " = { children = { ", children, "} }"});
    }
    fan.files["game_objects/F6"] = "F6 = {}";
    for (const Case& c : {chain, fan}) {
        const std::string root = c.files.begin()->first.substr(std::string("game_objects/").size(), 1) + "0";
        const DeadlineResult result = RunWithDeadline(
            [&] {
                TestWorld world(c.files);
                GameObj* obj = world.Scene()->Instantiate(root, nullptr, nullptr);
                const size_t count = obj ? CountTree(obj) : 0;
                delete obj;
                // Built up to the bounds, no further; and the next build has its full allowance.
                GameObj* again = world.Scene()->Instantiate(root, nullptr, nullptr);
                const size_t countAgain = again ? CountTree(again) : 0;
                delete again;
                return count > 0 && count <= kMaxBuildObjects && countAgain == count;
            },
            120.0);
        EXPECT_TRUE(result.finished) << c.what << ": crashed or still running at the deadline";
        EXPECT_TRUE(result.passed) << c.what;
        EXPECT_NE(result.output.find(":ERROR:"), std::string::npos) << c.what;
        EXPECT_NE(result.output.find(c.log), std::string::npos) << c.what << "\n" << result.output.substr(0, 2000);
    }
}

// The transform every object gets when its prototype names none: identity, scale 1, enabled;
// Spawn moves the new object by its offset and refreshes the world matrices below it.
TEST(SceneInstantiate, DefaultTransformAndSpawnOffset)
{
    TestWorld world(Files{{"game_objects/P", "P = { children = { { base_script = 'C', components = { Transform = "
                                        "{ position = { x = 1, y = 2, z = 3 } } } } } }"},
                     {"game_objects/C", "C = {}"}});
    GameObj* obj = world.Scene()->Spawn("P", nullptr, 10.0f, -4.0f);
    ASSERT_NE(obj, nullptr);
    Transform* t = obj->GetTransform();
    ASSERT_NE(t, nullptr);
    EXPECT_TRUE(t->IsEnabled());
    const Matrix4x4 id = Matrix4x4::Identity();
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(t->LocalMatrix().m[r][c], id.m[r][c]) << r << "," << c;
    EXPECT_EQ(t->LocalMatrix().m[3][0], 10.0f);
    EXPECT_EQ(t->LocalMatrix().m[3][1], -4.0f);
    EXPECT_EQ(t->LocalScale().x, 1.0f);
    EXPECT_EQ(t->LocalScale().y, 1.0f);
    const Transform* child = obj->GetFirstChild()->GetTransform();
    EXPECT_EQ(child->WorldMatrix().m[3][0], 11.0f);
    EXPECT_EQ(child->WorldMatrix().m[3][1], -2.0f);
    EXPECT_EQ(world.Scene()->Spawn("Ghost", obj, 1.0f, 1.0f), nullptr);
    delete obj;
}

// A caller may hand an instance table on any thread, the prototype's own included: the
// instance's keys still win and both stacks are left as found.
TEST(SceneInstantiate, InstanceTableOnAnyThread)
{
    TestWorld world(Files{{"game_objects/P", "P = { object_name = 'tpl', object_layer = 3, components = { "
                                             "RecA = { name = 'tplA' } }, children = { { base_script = 'C' } } }"},
                          {"game_objects/C", "C = { object_name = 'C' }"}});
    std::vector<lua_State*> threads = {g_pScriptSystem->GetState()};
    for (ScriptContext* context = g_pScriptSystem->GetContexts(); context; context = context->m_pNext)
        threads.push_back(context->m_pThread); // the prototypes' own threads
    for (lua_State* L : threads) {
        const int top = lua_gettop(L);
        ASSERT_EQ(luaL_dostring(L, "return { object_name = 'inst', components = { RecB = { name = 'instB' } }, "
                                   "children = { { base_script = 'C', object_name = 'extra' } } }"),
                  0);
        GameObj* obj = world.Scene()->Instantiate("P", nullptr, L);
        ASSERT_NE(obj, nullptr);
        EXPECT_EQ(Describe(obj), "-inst@3[RecB(instB),RecA(tplA),Transform]{-extra[Transform];-C[Transform]}");
        EXPECT_EQ(lua_gettop(L), top + 1);
        lua_settop(L, top);
        delete obj;
    }
}

// A stage of recorders: S (layer 1) with children X (layer 2, with child Y on layer 1) and Z
// (layer 1); pre-order S, X, Y, Z.
std::map<std::string, std::string> LayeredStage(bool xActive = true)
{
    const std::string x = xActive ? "1" : "0";
    return {
        {"stage/S", "S = { object_name = 'S', object_activity = 1, object_layer = 1, components = { RecA = {} }, "
                    "children = { { base_script = 'Z' }, { base_script = 'X', object_activity = " + x + " } } }"},
        {"game_objects/X", "X = { object_name = 'X', object_activity = 1, object_layer = 2, components = { RecA = {} }, "
                           "children = { { base_script = 'Y' } } }"},
        {"game_objects/Y", "Y = { object_name = 'Y', object_activity = 1, object_layer = 1, components = { RecA = {} } }"},
        {"game_objects/Z", "Z = { object_name = 'Z', object_activity = 1, object_layer = 1, components = { RecA = {} } }"},
    };
}

std::string Joined(const std::vector<std::string>& events, const std::string& suffix)
{
    std::string out;
    for (const std::string& e : events)
        if (e.size() > suffix.size() && e.compare(e.size() - suffix.size(), suffix.size(), suffix) == 0)
            out.append(out.empty() ? "" : " ").append(e, 0, e.size() - suffix.size());
    return out;
}

// Which objects' components take part: an inactive object is skipped with its subtree; an
// active one outside the mask keeps its own components still (not even started) while its
// children go on.
TEST(SceneUpdate, MaskAndInactiveSubtrees)
{
    struct Case {
        const char* what;
        bool xActive;
        uint32_t mask;
        const char* started; // the objects started in the first frame
        const char* updated; // the objects updated in the second
    };
    const Case cases[] = {
        {"everything", true, 0xFFFFFFFFu, "S X Y Z", "S X Y Z"},
        {"X outside the mask, its child in", true, 1, "S Y Z", "S Y Z"},
        {"only X's layer", true, 2, "X", "X"},
        {"X inactive: its subtree too", false, 0xFFFFFFFFu, "S Z", "S Z"},
        {"nothing in the mask", true, 4, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestWorld world(LayeredStage(c.xActive));
        world.Scene()->m_nUpdateMask = c.mask;
        world.Scene()->RequestStage("S");
        world.Tick();
        world.Tick();
        EXPECT_EQ(Joined(EventsOfFrame(1), ":Start"), c.started);
        for (const char* pass : {":PhysicsUpdate", ":Update", ":LateUpdate"})
            EXPECT_EQ(Joined(EventsOfFrame(2), pass), c.updated) << pass;
    }
}

// The order of one frame: start pass, physics, delivery, update, late update; a message posted
// in a frame arrives in the next, between physics and update.
TEST(SceneUpdate, PassOrder)
{
    TestWorld world(Files{
        {"stage/S", "S = { object_name = 'S', object_activity = 1, object_layer = 1, "
                    "components = { RecA = {}, RecB = { name = 'b' } } }"}});
    RecHook() = [&](Rec* rec, const std::string& event) {
        if (event == "Update" && rec->Name() == "S" && world.Frame() == 1)
            rec->GetOwner()->PostMessage(new Note, 0.0f);
    };
    world.Scene()->RequestStage("S");
    world.Tick();
    world.Tick();
    const std::vector<std::string> first = {"S:Load",          "S:Attach",     "b:Load",        "b:Attach",
                                            "S:OnEnable",      "S:Start",      "b:OnEnable",    "b:Start",
                                            "S:PhysicsUpdate", "b:PhysicsUpdate", "S:Update",   "b:Update",
                                            "S:LateUpdate",    "b:LateUpdate"};
    EXPECT_EQ(EventsOfFrame(1), first);
    const std::vector<std::string> second = {"S:PhysicsUpdate", "b:PhysicsUpdate", "S:OnMessage Note",
                                             "b:OnMessage Note", "S:Update", "b:Update",
                                             "S:LateUpdate", "b:LateUpdate"};
    EXPECT_EQ(EventsOfFrame(2), second);
}

// Each pass calls, in list order, the components whose class (or a base of it) takes part in
// it, however many components the object has; the others are passed over.
TEST(SceneUpdate, PassesCallTheComponentsThatTakePartInThem)
{
    struct Case {
        const char* what;
        const char* components; // of the stage object S
        int added;              // then LateRecChild and RecA added in turn, this many of each
        int physics, update, late;
    };
    const Case cases[] = {
        {"a late-only class", "LateRec = {}, RecA = {}", 0, 1, 1, 2},
        {"its pass inherited", "LateRecChild = {}", 0, 0, 0, 1},
        {"every pass", "RecA = {}, RecB = {}", 0, 2, 2, 2},
        {"past the 32nd component", "RecA = {}", 20, 21, 21, 41},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestWorld world(Files{{"stage/S", std::string("S = { object_name = 'S', object_activity = 1, object_layer = 1, "
                                                      "components = { ") +
                                              c.components + " } }"}});
        world.Scene()->RequestStage("S");
        world.Tick();
        GameObj* stage = world.Scene()->GetRoot();
        ASSERT_NE(stage, nullptr);
        for (int i = 0; i < c.added; ++i) {
            ASSERT_NE(stage->AddComponent("LateRecChild", nullptr), nullptr);
            ASSERT_NE(stage->AddComponent("RecA", nullptr), nullptr);
        }
        world.Tick();
        world.Tick();
        const std::vector<std::string> frame = EventsOfFrame(3);
        const auto count = [&](const char* event) { return std::count(frame.begin(), frame.end(), event); };
        EXPECT_EQ(count("S:PhysicsUpdate"), c.physics);
        EXPECT_EQ(count("S:Update"), c.update);
        EXPECT_EQ(count("S:LateUpdate"), c.late);
    }
}

// An object made during a pass is loaded at once and started by the next frame's start pass,
// before any of its updates; the pass that made it does not run its components.
TEST(SceneUpdate, ObjectsMadeDuringAPass)
{
    for (const char* pass : {"PhysicsUpdate", "Update", "LateUpdate"}) {
        SCOPED_TRACE(pass);
        TestWorld world(Files{{"stage/S", "S = { object_name = 'S', object_activity = 1, object_layer = 1, "
                                     "components = { RecA = {} } }"},
                         {"game_objects/N", "N = { object_name = 'N', object_activity = 1, object_layer = 1, "
                                            "components = { RecA = {} } }"}});
        RecHook() = [&](Rec* rec, const std::string& event) {
            if (event == pass && rec->Name() == "S" && world.Frame() == 1) {
                EXPECT_NE(world.Scene()->Spawn("N", rec->GetOwner(), 0, 0), nullptr);
            }
        };
        world.Scene()->RequestStage("S");
        world.Tick();
        world.Tick();
        const std::vector<std::string> made = EventsWith(EventsOfFrame(1), "N:");
        EXPECT_EQ(made, (std::vector<std::string>{"N:Load", "N:Attach"}));
        const std::vector<std::string> next = EventsWith(EventsOfFrame(2), "N:");
        EXPECT_EQ(next, (std::vector<std::string>{"N:OnEnable", "N:Start", "N:PhysicsUpdate", "N:Update",
                                                  "N:LateUpdate"}));
        // The start pass runs before any pass of the frame.
        EXPECT_EQ(EventsOfFrame(2).front(), "N:OnEnable");
    }
}

// A component that is not enabled waits; once enabled, by whatever means and whenever in the
// frame, the next start pass starts it, and only it.
TEST(SceneUpdate, ComponentsEnabledLaterStartAtTheNextStartPass)
{
    struct Case {
        const char* what;
        const char* event; // where RecB enables RecA in the second frame
        bool direct;       // by setting the flag rather than through Enable
    };
    const Case cases[] = {
        {"enabled in an update", "Update", false},
        {"enabled in a late update", "LateUpdate", false},
        {"flag set in a physics update", "PhysicsUpdate", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestWorld world(Files{{"stage/S", "S = { object_name = 'S', object_activity = 1, object_layer = 1, "
                                          "components = { RecA = { name = 'a', enabled = false }, "
                                          "RecB = { name = 'b' } } }"}});
        RecHook() = [&](Rec* rec, const std::string& event) {
            if (rec->Name() != "b" || event != c.event || world.Frame() != 2)
                return;
            Component* a = rec->GetOwner()->GetComponent(RecA::s_Class.Key);
            if (c.direct)
                a->SetFlags(eComponentFlag_Enabled);
            else
                a->Enable();
        };
        world.Scene()->RequestStage("S");
        for (int i = 0; i < 4; ++i)
            world.Tick();
        EXPECT_EQ(EventsWith(EventsOfFrame(1), ":Start"), std::vector<std::string>{"b:Start"});
        EXPECT_EQ(EventsWith(EventsOfFrame(2), ":Start"), std::vector<std::string>{});
        EXPECT_EQ(EventsWith(EventsOfFrame(3), ":Start"), std::vector<std::string>{"a:Start"});
        EXPECT_EQ(EventsOfFrame(3).front(), "a:OnEnable");
        EXPECT_EQ(EventsWith(EventsOfFrame(4), ":Start"), std::vector<std::string>{});
        EXPECT_EQ(EventsWith(EventsOfFrame(4), "a:Update").size(), 1u);
    }
}

// Components that wait where the start pass does not look (an inactive subtree, a layer out of
// the mask, an object outside the stage) start at the first start pass after the object comes
// into its walk, even after frames in which nothing else waited to start.
TEST(SceneUpdate, WaitingComponentsStartOnceTheirObjectIsWalked)
{
    struct Case {
        const char* what;
        bool xActive;
        uint32_t mask;
        std::function<void(TestWorld&, GameObj* x, GameObj* loose)> act; // between frames 3 and 4
        const char* started;                                            // in frame 4
    };
    const Case cases[] = {
        {"X activated", false, 0xFFFFFFFFu, [](TestWorld&, GameObj* x, GameObj*) { x->Activate(); }, "X Y"},
        {"X's layer joins the mask", true, 1,
         [](TestWorld& w, GameObj*, GameObj*) { w.Scene()->m_nUpdateMask = 3; }, "X"},
        {"X moved to a layer in the mask", true, 1, [](TestWorld&, GameObj* x, GameObj*) { x->SetLayer(1); }, "X"},
        {"a loose object moved into the stage", true, 0xFFFFFFFFu,
         [](TestWorld& w, GameObj*, GameObj* loose) { loose->SetParent(w.Scene()->GetRoot()); }, "Z"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestWorld world(LayeredStage(c.xActive));
        world.Scene()->m_nUpdateMask = c.mask;
        world.Scene()->RequestStage("S");
        world.Tick();
        GameObj* loose = world.Scene()->Instantiate("Z", nullptr, nullptr);
        ASSERT_NE(loose, nullptr);
        world.Tick();
        world.Tick();
        EXPECT_EQ(Joined(EventsOfFrame(3), ":Start"), "");
        c.act(world, world.Scene()->FindObjectByName("X"), loose);
        world.Tick();
        EXPECT_EQ(Joined(EventsOfFrame(4), ":Start"), c.started);
        world.Tick();
        EXPECT_EQ(Joined(EventsOfFrame(5), ":Start"), "");
        if (!loose->GetParent())
            delete loose;
    }
}

// A stage request takes effect at the start of the next frame: the old stage still updates in
// the frame of the request, the new one is built and started before the old one goes. A
// request made while the new stage is built or started is kept for the frame after.
TEST(SceneUpdate, StageRequestTiming)
{
    struct Case {
        const char* what;
        const char* sEvent; // where S asks for T in the first frame
        const char* tEvent; // where T asks for U in the second; "" for nowhere
        std::vector<std::string> roots; // the root's name after each of four frames
    };
    const Case cases[] = {
        {"from the old stage's update", "Update", "", {"S", "T", "T", "T"}},
        {"from the old stage's late update", "LateUpdate", "", {"S", "T", "T", "T"}},
        {"from the new stage's load", "Update", "Load", {"S", "T", "U", "U"}},
        {"from the new stage's start", "Update", "Start", {"S", "T", "U", "U"}},
        {"from the new stage's first update", "Update", "Update", {"S", "T", "U", "U"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestWorld world(Files{{"stage/S", "S = { object_name = 'S', object_activity = 1, object_layer = 1, "
                                     "components = { RecA = {} } }"},
                         {"stage/T", "T = { object_name = 'T', object_activity = 1, object_layer = 1, "
                                     "components = { RecA = {} } }"},
                         {"stage/U", "U = { object_name = 'U', object_activity = 1, object_layer = 1, "
                                     "components = { RecA = {} } }"}});
        RecHook() = [&](Rec* rec, const std::string& event) {
            if (rec->Name() == "S" && event == c.sEvent && world.Frame() == 1)
                world.Scene()->RequestStage("T");
            if (rec->Name() == "T" && event == c.tEvent && world.Frame() == 2)
                world.Scene()->RequestStage("U");
        };
        world.Scene()->RequestStage("S");
        std::vector<std::string> roots;
        for (int i = 0; i < 4; ++i) {
            world.Tick();
            roots.push_back(world.Scene()->GetRoot() ? world.Scene()->GetRoot()->GetObjectName() : "null");
        }
        EXPECT_EQ(roots, c.roots);
        const std::vector<std::string> requested = EventsOfFrame(1);
        EXPECT_EQ(requested.back(), "S:LateUpdate");
        if (!*c.tEvent) {
            const std::vector<std::string> switched = {"T:Load",   "T:Attach",        "T:OnEnable", "T:Start",
                                                       "S:OnDisable", "S:Detach",     "S:delete",   "T:PhysicsUpdate",
                                                       "T:Update", "T:LateUpdate"};
            EXPECT_EQ(EventsOfFrame(2), switched);
        }
    }
}

// A stage switch gives the old stage's objects and components back: switch after switch, the
// memory they come from does not grow.
TEST(SceneUpdate, StageSwitchesGiveTheOldStagesMemoryBack)
{
    const SlabAllocator* slabs = GetObjectSlabs();
    if (!slabs)
        GTEST_SKIP() << "objects come from the general heap in this build";
    auto stage = [](const std::string& name, int count) {
        return name + " = { object_activity = 1, object_layer = 1, children = {} }\n"
                      "for i = 1, " +
               std::to_string(count) + " do " + name + ".children[i] = { base_script = 'm' } end\n";
    };
    const size_t before = slabs->GetLiveCount();
    {
        TestWorld world(Files{{"stage/S", stage("S", 400)},
                              {"stage/T", stage("T", 250)},
                              {"game_objects/m", "m = { object_activity = 1, object_layer = 1, components = { "
                                                 "RecA = {}, Kinematics = { useGravity = false } } }"}});
        size_t live[2] = {}, peak = 0;
        for (int i = 0; i < 10; ++i) {
            SCOPED_TRACE(i);
            world.Scene()->RequestStage(i % 2 ? "T" : "S");
            world.Tick();
            if (i < 2) {
                live[i % 2] = slabs->GetLiveCount();
            } else {
                EXPECT_EQ(slabs->GetLiveCount(), live[i % 2]);
            }
            if (i == 2) {
                peak = slabs->GetChunkCount();
            } else if (i > 2) {
                EXPECT_LE(slabs->GetChunkCount(), peak);
            }
        }
        // Each of S's 401 objects holds at least a Transform, and m's two more.
        EXPECT_GE(live[0] - before, 401u * 2 + 400u * 2);
        EXPECT_GT(live[0], live[1]);
    }
    EXPECT_EQ(slabs->GetLiveCount(), before);
}

// DestroyLater(0) deactivates at once and deletes at the next frame's delivery; the stage root
// going this way leaves an empty scene (not a deleted root) until the next stage.
TEST(SceneUpdate, DestroyLaterWithNoDelay)
{
    struct Case {
        const char* what;
        const char* victim;
        bool rootGone;
    };
    for (const Case& c : {Case{"a child", "X", false}, Case{"the stage root", "S", true}}) {
        SCOPED_TRACE(c.what);
        TestWorld world(LayeredStage());
        int32_t victimId = -1;
        RecHook() = [&](Rec* rec, const std::string& event) {
            if (event == "Update" && rec->Name() == c.victim && world.Frame() == 1) {
                victimId = rec->GetOwner()->GetId();
                world.Scene()->DestroyLater(rec->GetOwner(), 0.0f);
                EXPECT_FALSE(rec->GetOwner()->IsActive());
                EXPECT_TRUE(rec->GetOwner()->GetFlags() & eGameObjFlag_PendingRemoval);
            }
        };
        world.Scene()->RequestStage("S");
        ::testing::internal::CaptureStdout();
        world.Tick();
        ASSERT_NE(world.Scene()->GetMessageManager()->FindObject(victimId), nullptr);
        EXPECT_EQ(EventsWith(EventsOfFrame(1), std::string(c.victim) + ":LateUpdate").size(), 0u);
        world.Tick();
        world.Tick();
        const std::string log = ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(world.Scene()->GetMessageManager()->FindObject(victimId), nullptr);
        const std::vector<std::string> second = EventsOfFrame(2);
        const auto detach = std::find(second.begin(), second.end(), std::string(c.victim) + ":Detach");
        ASSERT_NE(detach, second.end());
        if (c.rootGone) {
            EXPECT_EQ(world.Scene()->GetRoot(), nullptr);
            EXPECT_NE(log.find("The root of stage S was deleted"), std::string::npos) << log;
            EXPECT_TRUE(EventsOfFrame(3).empty());
            world.Scene()->RequestStage("S");
            world.Tick();
            ASSERT_NE(world.Scene()->GetRoot(), nullptr);
            EXPECT_EQ(world.Scene()->GetRoot()->GetObjectName(), "S");
        } else {
            // Deleted by the delivery: after the physics pass, before the update pass.
            EXPECT_EQ(second.front(), "S:PhysicsUpdate");
            EXPECT_EQ(*(detach + 2), "S:Update"); // Detach, delete, then the update pass
            EXPECT_EQ(Describe(world.Scene()->GetRoot()), "S@1[RecA,Transform]{Z@1[RecA,Transform]}");
            EXPECT_EQ(log.find(":ERROR:"), std::string::npos) << log;
        }
    }
}

// Runs as a texture loads: loading takes time.
std::function<void()> s_OnTextureLoad;

// A render system whose textures load anything, for the texture table's update.
class NullTexture : public ITexture {
public:
    bool Create(uint32_t, uint32_t, int32_t, int32_t) override { return true; }
    bool LoadFromMemory(StreamIO* stream, uint32_t, uint32_t, int32_t, int32_t) override
    {
        delete stream;
        if (s_OnTextureLoad)
            s_OnTextureLoad();
        return true;
    }
    void Release() override {}
    void* LockAll(int32_t) override { return nullptr; }
    void* LockRect(uint32_t, uint32_t, int32_t) override { return nullptr; }
    void Unlock() override {}
    void ReadPixels(uint32_t, uint32_t, void*) override {}
    void WritePixels(uint32_t, uint32_t, const void*) override {}
    uint32_t GetWidth() const override { return 1; }
    uint32_t GetHeight() const override { return 1; }
    uint32_t GetBitsPerPixel() const override { return 32; }
    int32_t GetUsage() const override { return 0; }
    int32_t GetFormat() const override { return 0; }
    NameId GetUserData() const override { return 0; }
    void* LockSurface(uint32_t, uint32_t, int32_t) override { return nullptr; }
    void UnlockSurface() override {}
};

class NullRenderSystem : public RenderSystem {
public:
    bool Init(RenderWindow*) override { return true; }
    void Shutdown() override {}
    void Clear(float, float, float, float, float, uint32_t) override {}
    void BeginScene() override {}
    void EndScene() override {}
    HRESULT Present() override { return 0; }
    bool ResetDisplay(int32_t, int32_t, int32_t) override { return true; }
    bool IsDeviceReady() override { return true; }
    bool RecoverDevice() override { return true; }
    IVertexDeclaration* CreateVertexDeclaration(const VertexElement*, uint32_t) override { return nullptr; }
    IVertexBuffer* CreateVertexBuffer(uint32_t, uint32_t, uint32_t, bool) override { return nullptr; }
    IShaderProgram* CreateShaderProgram(int32_t) override { return nullptr; }
    ITexture* CreateTexture() override { return new NullTexture; }
    void SaveScreenshot(const char*) override {}
};

// A clock that only moves when told (and by the sleeps asked of it).
class StepClock : public IFrameClock {
public:
    uint32_t Now() override { return m_nNow; }
    void Sleep(uint32_t milliseconds) override { m_nNow += milliseconds; }
    uint32_t m_nNow = 0;
};

// A frame in which textures were loaded runs from the loading on with a time step of 0: no
// message whose delay is still running arrives, nothing moves by time, and the time spent
// loading does not count as the next frame's time.
TEST(SceneUpdate, TextureLoadingFrameStandsStill)
{
    TestWorld world(Files{{"stage/S", "S = { object_name = 'S', object_activity = 1, object_layer = 1, "
                                 "components = { RecA = {} } }"},
                     {"textures/tex", "texture_table = { pic = { texture_name = 'assets.v1/scripts/pic' } }"}},
                    Files{{"assets.v1/scripts/pic.tga", std::string(18, '\0')}});
    NullRenderSystem render;
    g_pRenderSystem = &render;
    TextureTable textures;
    textures.LoadFolder("assets.v1/scripts/textures/");
    ASSERT_EQ(textures.GetCount(), 1u);
    g_pTextureTable = &textures;
    StepClock clock;
    MainApp app; // not started: only its times, frame count and pacer are used
    app.m_pFramePacer = new FramePacer(60, &clock);
    s_OnTextureLoad = [&] { clock.m_nNow += 500; };

    std::vector<float> stepsSeen;
    RecHook() = [&](Rec* rec, const std::string& event) {
        if (event != "Update")
            return;
        stepsSeen.push_back(GetAppDeltaTime());
        if (world.Frame() == 1) {
            GameObj* obj = rec->GetOwner();
            obj->PostMessage(new MsgUIEvent(obj), 0.0f);  // due in the next frame
            obj->PostMessage(new MsgUIEvent(obj), 0.25f); // due once the clock has moved on
            TextureTable::AddUse(textures.Find(HashName("pic")));
        }
    };
    world.Scene()->RequestStage("S");
    for (int i = 0; i < 3; ++i) {
        app.m_pFramePacer->Wait();
        if (i == 2) {
            EXPECT_LT(app.m_pFramePacer->GetElapsed(), 100u) << "the loading counted as frame time";
        }
        app.m_nFrameCount = world.Frame() + 1;
        world.Tick(0.25f); // sets the application's time step
        if (i == 1) {
            EXPECT_EQ(app.m_fDeltaTime, 0.0f);
        }
    }
    EXPECT_EQ(stepsSeen, (std::vector<float>{0.25f, 0.0f, 0.25f}));
    EXPECT_EQ(EventsWith(EventsOfFrame(2), "OnMessage").size(), 1u);
    EXPECT_EQ(EventsWith(EventsOfFrame(3), "OnMessage").size(), 1u);
    EXPECT_NE(textures.Find(HashName("pic"))->texture, nullptr);

    s_OnTextureLoad = nullptr;
    delete app.m_pFramePacer;
    app.m_pFramePacer = nullptr;
    g_pApplication = nullptr;
    g_pTextureTable = nullptr;
    g_pRenderSystem = nullptr;
}

// The draw pass: renderers in the draw mask are prepared, told when they come into or leave
// view (and pass that on to their object's other components), and drawn while in view. Two
// renderers on one object hand the news to each other once, not forever.
TEST(SceneDraw, VisibilityFollowsTheCullTest)
{
    TestWorld world(Files{{"stage/S", "S = { object_name = 'S', object_activity = 1, object_layer = 1, components = { "
                                 "TestRenderer = { name = 'r1' }, OtherTestRenderer = { name = 'r2' }, RecA = {} }, "
                                 "children = { { base_script = 'H' } } }"},
                     {"game_objects/H", "H = { object_name = 'H', object_activity = 1, object_layer = 2, "
                                        "components = { TestRenderer = { name = 'h' } } }"}});
    world.Scene()->RequestStage("S");
    world.Tick();
    GameObj* root = world.Scene()->GetRoot();
    ASSERT_NE(root, nullptr);
    auto* r1 = static_cast<TestRenderer*>(root->GetComponent(TestRenderer::s_Class.Key));
    auto* r2 = static_cast<TestRenderer*>(root->GetComponent(TestRenderer::s_OtherClass.Key));
    // The object's renderer slot holds the last renderer attached.
    EXPECT_EQ(root->GetRenderer(), r2);

    struct Step {
        bool r1Culled;
        bool r2Culled;
        uint32_t drawMask;
        std::vector<std::string> events;
    };
    const Step steps[] = {
        // The first renderer's news reaches the recorder and the second renderer, which keeps it.
        {false, false, 0xFFFFFFFFu,
         {"r1:PreRender", "r2:PreRender", "h:PreRender", "r1:Visible", "S:Visible", "r2:Visible", "h:Visible",
          "r1:Draw", "r2:Draw", "h:Draw"}},
        {false, false, 1, {"r1:PreRender", "r2:PreRender", "r1:Draw", "r2:Draw"}},
        {true, true, 1, {"r1:PreRender", "r2:PreRender", "r1:Invisible", "S:Invisible", "r2:Invisible"}},
        {true, true, 1, {"r1:PreRender", "r2:PreRender"}},
        {false, false, 2, {"h:PreRender", "h:Draw"}},
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        SCOPED_TRACE(i);
        r1->m_bCulled = steps[i].r1Culled;
        r2->m_bCulled = steps[i].r2Culled;
        world.Scene()->m_nDrawMask = steps[i].drawMask;
        Events().clear();
        world.Scene()->Draw();
        EXPECT_EQ(Events(), steps[i].events);
    }
    // A disabled renderer is not collected.
    r1->Disable();
    world.Scene()->m_nDrawMask = 1;
    r2->m_bCulled = false;
    Events().clear();
    world.Scene()->Draw();
    EXPECT_EQ(Events(), (std::vector<std::string>{"r2:PreRender", "r2:Visible", "S:Visible", "r2:Draw"}));
}

// The renderer's colour keys: "brightness" when present, "color" as bytes packed alpha first.
TEST(SceneDraw, RendererColorKeys)
{
    struct Case {
        const char* table;
        uint32_t color;
        float brightness;
    };
    const Case cases[] = {
        {"{}", 0xFFFFFFFFu, 1.0f},
        {"{ brightness = 0.5 }", 0xFFFFFFFFu, 0.5f},
        {"{ brightness = 0 }", 0xFFFFFFFFu, 0.0f},
        {"{ color = { r = 255, g = 128, b = 0, a = 64 } }", 0x40FF8000u, 1.0f},
        {"{ color = { r = 10 } }", 0x000A0000u, 1.0f},
        {"{ color = 7 }", 0xFFFFFFFFu, 1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.table);
        TestWorld world(Files{{"game_objects/P", std::string("P = { components = { TestRenderer = ") + c.table + " } }"}});
        GameObj* obj = world.Scene()->Instantiate("P", nullptr, nullptr);
        ASSERT_NE(obj, nullptr);
        auto* r = static_cast<TestRenderer*>(obj->GetComponent(Renderer::s_Class.Key));
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->GetColor(), c.color);
        EXPECT_EQ(r->GetBrightness(), c.brightness);
        EXPECT_EQ(r->GetAlphaFactor(), 1.0f);
        delete obj;
    }
}

} // namespace
