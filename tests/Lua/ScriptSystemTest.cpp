#include <gtest/gtest.h>

#include <lua.hpp>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "System/Common/NameHash.h"
#include "System/Common/Random.h"
#include "System/Common/StreamIO.h"
#include "System/Lua/LuaScriptLib.h"
#include "System/Lua/ScriptSystem.h"
#include "Support/Deadline.h"

namespace {

// A stream over a copy of the text, as the archive system would hand one out.
StreamIO* Text(const std::string& text)
{
    MemoryStreamIO* stream = new MemoryStreamIO();
    void* copy = std::malloc(text.size() + 1);
    std::memcpy(copy, text.data(), text.size());
    stream->Init(copy, static_cast<uint32_t>(text.size()), true, true);
    return stream;
}

ScriptContext* RunText(ScriptSystem& host, const std::string& text)
{
    ScriptContext* context = host.CreateContext();
    RunScriptStream(Text(text), context, "test");
    return context;
}

double Global(ScriptSystem& host, const char* name)
{
    lua_getglobal(host.GetState(), name);
    double value = lua_tonumber(host.GetState(), -1);
    lua_pop(host.GetState(), 1);
    return value;
}

std::string ReadBytes(const char* path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

} // namespace

TEST(ScriptSystem, OpensOnlyTheBaseStringTableAndMathLibraries)
{
    ScriptSystem host;
    struct { const char* expression; bool expected; } cases[] = {
        {"string.format", true}, {"table.insert", true}, {"math.floor", true}, {"pairs", true},
        {"Script.awakeAt", true}, {"io", false}, {"os", false}, {"debug", false}, {"package", false},
        {"coroutine", false}, {"bit32", false}, {"require", false}, {"dofile", true},
    };
    for (auto& c : cases) {
        std::string chunk = std::string("present = ") + c.expression + " ~= nil and 1 or 0";
        ASSERT_EQ(luaL_dostring(host.GetState(), chunk.c_str()), LUA_OK) << c.expression;
        EXPECT_EQ(Global(host, "present"), c.expected ? 1 : 0) << c.expression;
    }
}

TEST(ScriptSystem, RunLeavesTheStateTheScriptEndedIn)
{
    struct { const char* script; ScriptState state; } cases[] = {
        {"x = 1", eScriptState_Finished},
        {"return 1, 2", eScriptState_Finished},
        {"Script.suspend() x = 2", eScriptState_Suspended},
        {"Script.awakeAt(1) x = 2", eScriptState_Waiting},
        {"error('boom')", eScriptState_Running},
        {"this is not lua", eScriptState_Running},
        {"Script.awakeAt('soon')", eScriptState_Running},
        {"local t = nil; t.x = 1", eScriptState_Running},
    };
    for (auto& c : cases) {
        ScriptSystem host;
        ScriptContext* context = RunText(host, c.script);
        EXPECT_EQ(context->m_eState, c.state) << c.script;
        host.Update(10.0f);
        EXPECT_EQ(context->m_eState, c.state == eScriptState_Waiting ? eScriptState_Finished : c.state) << c.script;
        EXPECT_EQ(lua_gettop(host.GetState()), 0) << c.script;
    }
    ScriptSystem host;
    ScriptContext* context = host.CreateContext();
    RunScriptStream(nullptr, context, "absent");
    EXPECT_EQ(context->m_eState, eScriptState_Running);
}

TEST(ScriptSystem, WaitsEndOnTheFirstUpdateWhoseClockReachesTheWakeTime)
{
    // The frame time is added before the test, and a wait counts from the clock at the call.
    struct { const char* waits; float dt; int finishesOnUpdate; } cases[] = {
        {"Script.awakeAt(0.5)", 0.25f, 2},
        {"Script.awakeAt(0.6)", 0.25f, 3},
        {"Script.awakeAt(0)", 0.25f, 1},
        {"Script.awakeAt(-1)", 0.25f, 1},
        {"Script.awakeAt(0.5) Script.awakeAt(0.5)", 0.25f, 4},
        {"Script.awakeAt(0.3) Script.awakeAt(0.3)", 0.25f, 4},
        {"Script.awakeAt(1.25) Script.awakeAt(0.5)", 0.125f, 14},
        {"Script.awakeAt(1) Script.awakeAt(1)", 0.0f, -1},
    };
    for (auto& c : cases) {
        ScriptSystem host;
        ScriptContext* context = RunText(host, std::string(c.waits) + " done = 1");
        int finished = -1;
        for (int update = 1; update <= 40 && finished < 0; ++update) {
            host.Update(c.dt);
            if (context->m_eState == eScriptState_Finished)
                finished = update;
        }
        EXPECT_EQ(finished, c.finishesOnUpdate) << c.waits << " dt " << c.dt;
        EXPECT_EQ(Global(host, "done"), finished > 0 ? 1 : 0) << c.waits;
    }
}

TEST(ScriptSystem, EachContextKeepsItsOwnClockAndSuspendedOnesNeverReturn)
{
    ScriptSystem host;
    ScriptContext* early = RunText(host, "Script.awakeAt(1) early = 1");
    ScriptContext* suspended = RunText(host, "Script.suspend() never = 1");
    host.Update(0.75f);
    ScriptContext* late = RunText(host, "Script.awakeAt(1) late = 1");
    host.Update(0.5f);
    EXPECT_EQ(early->m_eState, eScriptState_Finished);
    EXPECT_EQ(late->m_eState, eScriptState_Waiting);
    EXPECT_EQ(late->m_fClock, 0.5f);
    host.Update(0.5f);
    EXPECT_EQ(late->m_eState, eScriptState_Finished);
    EXPECT_EQ(suspended->m_eState, eScriptState_Suspended);
    EXPECT_EQ(suspended->m_fClock, 1.75f);
    EXPECT_EQ(Global(host, "never"), 0);
    // Newest first.
    EXPECT_EQ(host.GetContexts(), late);
    EXPECT_EQ(late->m_pNext, suspended);
    EXPECT_EQ(suspended->m_pNext, early);
}

TEST(ScriptSystem, ThousandsOfContextsLeaveTheMainStackFlat)
{
    ScriptSystem host;
    lua_State* L = host.GetState();
    lua_gc(L, LUA_GCCOLLECT, 0);
    const int baselineKb = lua_gc(L, LUA_GCCOUNT, 0);
    for (int round = 0; round < 2; ++round) {
        std::vector<ScriptContext*> contexts;
        for (int i = 0; i < 2000; ++i) {
            contexts.push_back(RunText(host, "count = (count or 0) + 1 Script.awakeAt(1) count = count + 1"));
            ASSERT_EQ(lua_gettop(L), 0) << i;
        }
        host.Update(1.0f);
        EXPECT_EQ(Global(host, "count"), 4000.0 * (round + 1));
        for (ScriptContext* c : contexts)
            host.ReleaseContext(c);
        EXPECT_EQ(host.GetContexts(), nullptr);
        EXPECT_EQ(lua_gettop(L), 0);
        // 2,000 threads with their stacks take well over a megabyte: they were collected.
        lua_gc(L, LUA_GCCOLLECT, 0);
        EXPECT_LT(lua_gc(L, LUA_GCCOUNT, 0), baselineKb + 256) << round;
    }
    // A context's thread finds its context through the registry until it is released.
    ScriptContext* context = host.CreateContext();
    EXPECT_EQ(ScriptSystem::FindContext(context->m_pThread), context);
    lua_pushlightuserdata(L, context->m_pThread);
    host.ReleaseContext(context);
    lua_rawget(L, LUA_REGISTRYINDEX);
    EXPECT_TRUE(lua_isnil(L, -1));
    lua_pop(L, 1);
}

TEST(ScriptLibrary, PrintHashAndRand)
{
    SfmtInit(20240611);
    ScriptSystem host;
    ::testing::internal::CaptureStdout();
    RunText(host, "Script.print('a', 1, 2.5, 'b') Script.print('t', {}, nil, 'u')");
    std::string log = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("INFO:LuaScriptLib(119)] a12.5b\n"), std::string::npos) << log;
    EXPECT_NE(log.find("INFO:LuaScriptLib(119)] tu\n"), std::string::npos) << log;
    EXPECT_NE(log.find("WARNING"), std::string::npos) << log;

    struct { const char* argument; NameId expected; } hashes[] = {
        {"''", 0}, {"'abc'", HashName("abc")}, {"12", HashName("12")}, {"{}", 0}, {"nil", 0},
    };
    lua_State* L = host.GetState();
    for (auto& h : hashes) {
        std::string chunk = std::string("h = Script.hash(") + h.argument + ")";
        ASSERT_EQ(luaL_dostring(L, chunk.c_str()), LUA_OK) << h.argument;
        lua_getglobal(L, "h");
        EXPECT_EQ(lua_type(L, -1), LUA_TLIGHTUSERDATA) << h.argument;
        EXPECT_EQ(reinterpret_cast<uintptr_t>(lua_touserdata(L, -1)), h.expected) << h.argument;
        lua_pop(L, 1);
    }

    struct { const char* args; double lo, hi; } rands[] = {
        {"3, 3", 3, 3}, {"1, 6", 1, 6}, {"-2, 2", -2, 2}, {"2.9, 3.9", 2, 3}, {"'x', nil", 0, 0},
        // A span that wraps to zero gives a.
        {"-2147483648, 2147483647", INT_MIN, INT_MIN}, {"5, 4", 5, 5},
    };
    for (auto& r : rands) {
        std::set<double> seen;
        for (int i = 0; i < 300; ++i) {
            std::string chunk = std::string("r = Script.rand(") + r.args + ")";
            ASSERT_EQ(luaL_dostring(L, chunk.c_str()), LUA_OK) << r.args;
            seen.insert(Global(host, "r"));
        }
        EXPECT_EQ(*seen.begin(), r.lo) << r.args;
        EXPECT_EQ(*seen.rbegin(), r.hi) << r.args;
        EXPECT_EQ(seen.size(), size_t(r.hi - r.lo + 1)) << r.args;
    }

    // Waiting needs a context: from the main state it is a Lua error, not a crash.
    EXPECT_NE(luaL_dostring(L, "Script.suspend()"), LUA_OK);
    lua_settop(L, 0);
}

TEST(ScriptLibrary, RandReducesTheNextPoolWordModuloTheSpan)
{
    ScriptSystem host;
    lua_State* L = host.GetState();
    auto rand = [&](int64_t a, int64_t b) {
        const std::string chunk = "r = Script.rand(" + std::to_string(a) + ", " + std::to_string(b) + ")";
        EXPECT_EQ(luaL_dostring(L, chunk.c_str()), LUA_OK) << chunk;
        return Global(host, "r");
    };

    // Chosen words: the span and the word are unsigned 32-bit, the sum wraps as a signed one.
    struct { uint32_t w; int64_t a, b; double expected; } words[] = {
        {0xFFFFFFFFu, 1, 6, 4},             // 4294967295 mod 6 = 3
        {0xFFFFFFFFu, -2, 2, -2},           // 4294967295 mod 5 = 0
        {0x80000000u, -3, 3, -1},           // 2147483648 mod 7 = 2 (a signed word would give -5)
        {7u, 0, 2147483647, 7},             // a span of 2^31
        {0xFFFFFFFFu, 0, 2147483647, 2147483647},
        {0x7FFFFFFFu, 2147483647, 2147483647, 2147483647},
        {12345u, 5, 4, 5},                  // a span that wraps to zero gives a
    };
    for (auto& c : words) {
        g_aRandomPool[0] = c.w;
        g_nRandomPoolIndex = 0;
        EXPECT_EQ(rand(c.a, c.b), c.expected) << c.w << " for " << c.a << ".." << c.b;
        EXPECT_EQ(g_nRandomPoolIndex, 1u) << "one word per call";
    }

    // A seeded pool: each call takes the next word of the one shared sequence.
    struct { int64_t a, b; } spans[] = {{1, 6}, {-2, 2}, {0, 99}, {-1000000000, 1000000000}};
    for (auto& c : spans) {
        SfmtInit(8086);
        std::vector<uint32_t> pool(45);
        for (uint32_t& w : pool)
            w = RandomNext();
        SfmtInit(8086);
        const uint32_t span = static_cast<uint32_t>(c.b - c.a + 1);
        for (uint32_t w : pool) {
            const int32_t expected = static_cast<int32_t>(static_cast<uint32_t>(c.a) + w % span);
            ASSERT_EQ(rand(c.a, c.b), expected) << c.a << ".." << c.b;
        }
    }
    lua_settop(L, 0);
}

TEST(ScriptLibrary, AllocatorFreesOnZeroAndReallocatesOtherwise)
{
    void* block = LuaAlloc(nullptr, nullptr, 0, 16);
    ASSERT_NE(block, nullptr);
    std::memset(block, 7, 16);
    block = LuaAlloc(nullptr, block, 16, 64);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(static_cast<unsigned char*>(block)[15], 7);
    EXPECT_EQ(LuaAlloc(nullptr, block, 64, 0), nullptr);
}

TEST(ScriptLibraryDeathTest, AnErrorOutsideAProtectedCallEndsTheProcessAfterAFatalLine)
{
    ::testing::GTEST_FLAG(death_test_style) = "threadsafe";
    EXPECT_DEATH(
        {
            dup2(2, 1); // the log writes to standard output
            ScriptSystem host;
            lua_pushstring(host.GetState(), "boom");
            lua_error(host.GetState());
        },
        "FATAL:LuaScriptLib\\(30\\)\\] boom");
}

// Lua does not verify binary chunks, and a damaged one corrupts memory: data is text only, and
// a binary chunk, whole or damaged, is refused with an error naming its file.
TEST(ScriptSystem, RefusesPrecompiledChunksWithAnErrorNamingTheFile)
{
    const std::string compiled = ReadBytes(QM_PRECOMPILED_FIXTURE);
    ASSERT_GT(compiled.size(), 64u);
    ASSERT_EQ(compiled.substr(0, 4), "\x1bLua");
    std::vector<std::string> copies = {compiled};
    for (size_t at = 20; at < compiled.size(); at += compiled.size() / 7) {
        std::string damaged = compiled;
        damaged[at] = static_cast<char>(damaged[at] ^ 0x5A);
        copies.push_back(damaged);
    }
    for (size_t i = 0; i < copies.size(); ++i) {
        ScriptSystem host;
        ::testing::internal::CaptureStdout();
        ScriptContext* context = host.CreateContext();
        RunScriptStream(Text(copies[i]), context, "assets.v1/scripts/stage/stage_Home");
        const std::string log = ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(context->m_eState, eScriptState_Running) << "copy " << i;
        lua_getglobal(host.GetState(), "stage_Home");
        EXPECT_TRUE(lua_isnil(host.GetState(), -1)) << "copy " << i;
        lua_pop(host.GetState(), 1);
        EXPECT_NE(log.find(":ERROR:"), std::string::npos) << log;
        EXPECT_NE(log.find("assets.v1/scripts/stage/stage_Home does not load"), std::string::npos) << log;
    }
}

TEST(ScriptSystem, ChunksCannotLoadBinaryChunksEither)
{
    ScriptSystem host;
    const char* cases[] = {
        "f, why = load(string.dump(function() return 1 end))",
        "f, why = load(string.dump(function() return 1 end), 'x', 'b')",
        "f, why = load(string.dump(function() return 1 end), 'x', 'bt', {})",
    };
    for (const char* script : cases) {
        ScriptContext* context = RunText(host, script);
        ASSERT_EQ(context->m_eState, eScriptState_Finished) << script;
        lua_getglobal(host.GetState(), "f");
        EXPECT_TRUE(lua_isnil(host.GetState(), -1)) << script;
        lua_getglobal(host.GetState(), "why");
        EXPECT_NE(std::string(lua_tostring(host.GetState(), -1) ? lua_tostring(host.GetState(), -1) : "").find("binary"),
                  std::string::npos)
            << script;
        lua_pop(host.GetState(), 2);
    }
    // Text still loads, with the environment given.
    ScriptContext* context = RunText(host, "local env = { y = 5 } f = load('return y', 'x', 't', env) z = f()");
    EXPECT_EQ(context->m_eState, eScriptState_Finished);
    EXPECT_EQ(Global(host, "z"), 5);
}

// A chunk that never ends, or that grows the heap without end, stops with an error naming it;
// the host runs the next chunk as before. Run in a child under a deadline, so a hang fails.
TEST(ScriptSystem, AChunkPastItsInstructionBudgetOrTheHeapCapEndsInAnError)
{
    struct {
        const char* what;
        const char* script;
        const char* reason; // a part of the error, or empty when either limit may come first
    } cases[] = {
        {"an endless loop", "while true do end", "instruction"},
        {"an endless loop around a protected one", "while true do pcall(function() while true do end end) end",
         "instruction"},
        {"an endless error handler",
         "while true do xpcall(function() while true do end end, function() while true do end end) end",
         ""},
        {"a string doubled without end", "local s = 'x' while true do s = s .. s end", "not enough memory"},
        {"tables without end", "local t = {} while true do t[#t + 1] = { 1, 2, 3 } end", ""},
    };
    for (auto& c : cases) {
        const DeadlineResult result = RunWithDeadline(
            [&] {
                ScriptSystem host;
                ScriptContext* context = host.CreateContext();
                RunScriptStream(Text(c.script), context, "assets.v1/scripts/prerequisites/endless");
                const bool ended = context->m_eState == eScriptState_Running;
                ScriptContext* next = RunText(host, "after = 1");
                return ended && next->m_eState == eScriptState_Finished && Global(host, "after") == 1;
            },
            60.0);
        EXPECT_TRUE(result.finished) << c.what << ": still running at the deadline";
        EXPECT_TRUE(result.passed) << c.what << "\n" << result.output;
        EXPECT_NE(result.output.find(":ERROR:"), std::string::npos) << c.what << "\n" << result.output;
        EXPECT_NE(result.output.find("assets.v1/scripts/prerequisites/endless"), std::string::npos)
            << c.what << "\n" << result.output;
        EXPECT_NE(result.output.find(c.reason), std::string::npos) << c.what << "\n" << result.output;
    }
}

// The budget is per run: a script that waits between slices may do more in all than one run may.
TEST(ScriptSystem, AScriptThatWaitsBetweenSlicesMayRunPastOneBudgetInAll)
{
    ScriptSystem host;
    const std::string script = "for slice = 1, 3 do for i = 1, " + std::to_string(kScriptInstructionBudget * 2 / 3) +
                               " do end Script.awakeAt(0) end done = 1";
    ScriptContext* context = RunText(host, script);
    for (int frame = 0; frame < 3; ++frame) {
        EXPECT_EQ(context->m_eState, eScriptState_Waiting) << frame;
        host.Update(0.0f);
    }
    EXPECT_EQ(context->m_eState, eScriptState_Finished);
    EXPECT_EQ(Global(host, "done"), 1);
}

TEST(ScriptLibrary, TheAllocatorRefusesToGrowTheHeapPastItsCap)
{
    LuaHeap heap;
    heap.limit = 1000;
    heap.capped = true;
    void* block = LuaAlloc(&heap, nullptr, LUA_TTABLE, 600);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(heap.used, 600u);
    EXPECT_EQ(LuaAlloc(&heap, nullptr, LUA_TSTRING, 500), nullptr);
    EXPECT_EQ(LuaAlloc(&heap, block, 600, 1100), nullptr);
    EXPECT_EQ(heap.used, 600u);
    block = LuaAlloc(&heap, block, 600, 100); // shrinking always succeeds
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(heap.used, 100u);
    void* other = LuaAlloc(&heap, nullptr, 0, 900);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(heap.used, 1000u);
    LuaAlloc(&heap, other, 900, 0);
    LuaAlloc(&heap, block, 100, 0);
    EXPECT_EQ(heap.used, 0u);
}
