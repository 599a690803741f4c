#include <gtest/gtest.h>

#include <lua.hpp>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <set>
#include <string>

#include "System/Lua/LuaTableReader.h"
#include "System/Lua/ScriptSystem.h"

namespace {

// A script host with the table `t` (from the chunk) on top of a context's stack.
class ReaderTest : public ::testing::Test {
protected:
    void Load(const char* chunk)
    {
        ASSERT_EQ(luaL_dostring(L, chunk), LUA_OK) << lua_tostring(L, -1);
        lua_settop(L, 0);
        lua_getglobal(L, "t");
    }

    ScriptSystem host;
    lua_State* L = host.CreateContext()->m_pThread;
};

const char* const kFields = R"(
t = {
  f29 = 2.9, fm29 = -2.9, s7 = "7", hex = "0x10", spaced = " 12 ", b300 = 300, m1 = -1,
  nan = 0/0, big = 1e300, nbig = -1e300, two32p5 = 4294967301, two31 = 2147483648,
  two31p300 = 2147483948, lowest32 = -2147483648.5, e19 = 1e19,
  hello = "hello", zero = 0, yes = true, no = false, tbl = {}, empty = "",
  justOverFloat = 3.4028235e38, halfwayPastFloat = 3.4028235677973366e38,
}
)";

} // namespace

TEST_F(ReaderTest, NumberFieldsTruncateAsTheirWidthSays)
{
    Load(kFields);
    const uint32_t kIndefinite32 = 0x80000000u;
    struct { const char* field; int32_t i; uint32_t u; uint8_t b; } cases[] = {
        {"f29", 2, 2, 2},
        {"fm29", -2, 0xFFFFFFFEu, 0xFE},
        {"s7", 7, 7, 7},
        {"hex", 16, 16, 16},
        {"spaced", 12, 12, 12},
        {"b300", 300, 300, 44},
        {"m1", -1, 0xFFFFFFFFu, 255},
        // NaN and 1e300: the 64-bit truncation gives 0x8000000000000000 (low 32 bits 0), the
        // 32-bit one 0x80000000 (low 8 bits 0).
        {"nan", 0, 0, 0},
        {"big", 0, 0, 0},
        {"nbig", 0, 0, 0},
        {"e19", 0, 0, 0},
        {"two32p5", 5, 5, uint8_t(kIndefinite32)},
        {"two31", INT32_MIN, kIndefinite32, 0},
        {"two31p300", int32_t(2147483948u), 2147483948u, 0}, // bytes go through 32 bits, so not 44
        {"lowest32", INT32_MIN, kIndefinite32, 0},
        {"missing", 0, 0, 0},
        {"hello", 0, 0, 0},
        {"yes", 0, 0, 0},
        {"tbl", 0, 0, 0},
    };
    for (auto& c : cases) {
        EXPECT_EQ(LuaGetIntField(L, c.field), c.i) << c.field;
        EXPECT_EQ(LuaGetUIntField(L, c.field), c.u) << c.field;
        EXPECT_EQ(LuaGetByteField(L, c.field), c.b) << c.field;
        EXPECT_EQ(lua_gettop(L), 1) << c.field;
    }
}

TEST_F(ReaderTest, FloatBoolAndStringFields)
{
    Load(kFields);
    const float inf = std::numeric_limits<float>::infinity();
    struct { const char* field; float f; } floats[] = {
        {"f29", 2.9f}, {"s7", 7.0f}, {"big", inf}, {"nbig", -inf}, {"justOverFloat", FLT_MAX}, {"halfwayPastFloat", inf},
        {"missing", 0.0f}, {"hello", 0.0f},
    };
    for (auto& c : floats)
        EXPECT_EQ(LuaGetFloatField(L, c.field), c.f) << c.field;
    EXPECT_TRUE(std::isnan(LuaGetFloatField(L, "nan")));

    struct { const char* field; bool b; std::string s; } others[] = {
        {"yes", true, ""},   {"no", false, ""},         {"missing", false, ""}, {"zero", true, "0"},
        {"empty", true, ""}, {"hello", true, "hello"},  {"tbl", true, ""},      {"f29", true, "2.9"},
        {"b300", true, "300"},
    };
    for (auto& c : others) {
        EXPECT_EQ(LuaGetBoolField(L, c.field), c.b) << c.field;
        EXPECT_EQ(LuaGetStringField(L, c.field), c.s) << c.field;
        EXPECT_EQ(lua_gettop(L), 1) << c.field;
    }
    ASSERT_EQ(luaL_dostring(L, "t.z = 'ab\\0cd'"), LUA_OK);
    EXPECT_EQ(LuaGetStringField(L, "z"), "ab");
}

TEST_F(ReaderTest, ItemsAreZeroBasedAndTruncated)
{
    Load(R"(t = { 10, "20", 2.9, -1, 70000, nil, "x" })");
    struct { int index; int32_t i; uint32_t u; uint16_t us; std::string s; } cases[] = {
        {0, 10, 10, 10, "10"},   {1, 20, 20, 20, "20"},           {2, 2, 2, 2, "2.9"},
        {3, -1, 0xFFFFFFFFu, 0xFFFF, "-1"}, {4, 70000, 70000, 4464, "70000"}, {5, 0, 0, 0, ""},
        {6, 0, 0, 0, "x"},       {7, 0, 0, 0, ""},                {-1, 0, 0, 0, ""},
    };
    for (auto& c : cases) {
        EXPECT_EQ(LuaGetIntItem(L, c.index), c.i) << c.index;
        EXPECT_EQ(LuaGetUIntItem(L, c.index), c.u) << c.index;
        EXPECT_EQ(LuaGetUShortItem(L, c.index), c.us) << c.index;
        EXPECT_EQ(LuaGetStringItem(L, c.index), c.s) << c.index;
        EXPECT_EQ(lua_gettop(L), 1) << c.index;
    }
}

TEST_F(ReaderTest, ConversionsOfTheEdges)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct { double in; int64_t i64; int32_t i32; } cases[] = {
        {2.9, 2, 2}, {-2.9, -2, -2}, {nan, INT64_MIN, INT32_MIN}, {1e300, INT64_MIN, INT32_MIN},
        {-1e300, INT64_MIN, INT32_MIN}, {9223372036854775808.0, INT64_MIN, INT32_MIN},
        {-9223372036854775808.0, INT64_MIN, INT32_MIN}, {9223372036854774784.0, 9223372036854774784, INT32_MIN},
        {2147483647.9, 2147483647, INT32_MAX}, {-2147483648.9, -2147483648, INT32_MIN},
        {2147483648.0, 2147483648, INT32_MIN}, {-2147483649.0, -2147483649, INT32_MIN},
    };
    for (auto& c : cases) {
        EXPECT_EQ(LuaTruncateToInt64(c.in), c.i64) << c.in;
        EXPECT_EQ(LuaTruncateToInt32(c.in), c.i32) << c.in;
    }
}

TEST_F(ReaderTest, PathsStopAtNilAndAtValuesThatAreNotTables)
{
    Load(R"(t = { a = { b = { c = 42 }, n = 5, s = "str" }, x = 1 })");
    struct { const char* path; bool found; double value; } cases[] = {
        {"a.b.c", true, 42}, {"x", true, 1}, {"a.b.missing", false, 0}, {"missing.b", false, 0},
        {"a.n.c", false, 0}, // through a number
        {"a.s.len", false, 0}, // through a string, whose metatable must not be used
        {"a..b.c", true, 42},
    };
    for (auto& c : cases) {
        EXPECT_EQ(LuaPushPath(L, c.path), c.found) << c.path;
        EXPECT_EQ(lua_gettop(L), c.found ? 2 : 1) << c.path;
        if (c.found) {
            EXPECT_EQ(lua_tonumber(L, -1), c.value) << c.path;
            lua_pop(L, 1);
        }
    }
    EXPECT_TRUE(LuaPushPath(L, "a"));
    EXPECT_EQ(LuaGetIntField(L, "n"), 5);
    lua_settop(L, 0);
    EXPECT_FALSE(LuaPushPath(L, "a"));
}

TEST_F(ReaderTest, ReadingFromAValueThatIsNotATableGivesTheEmptyResult)
{
    for (const char* top : {"t = 5", "t = 'text'", "t = nil", "t = true"}) {
        Load(top);
        EXPECT_EQ(LuaGetIntField(L, "len"), 0) << top;
        EXPECT_EQ(LuaGetStringField(L, "len"), "") << top;
        EXPECT_FALSE(LuaGetBoolField(L, "x")) << top;
        EXPECT_EQ(LuaGetStringItem(L, 0), "") << top;
        EXPECT_FALSE(LuaPushPath(L, "a")) << top;
        EXPECT_EQ(lua_gettop(L), 1) << top;
    }
    lua_settop(L, 0);
    EXPECT_EQ(LuaGetIntField(L, "x"), 0);
    EXPECT_EQ(LuaToStdString(L), "");
    EXPECT_EQ(lua_gettop(L), 0);
}

TEST_F(ReaderTest, KeyWalksReadStringKeysAndSurviveOtherKeys)
{
    Load(R"(t = { alpha = 1, [5] = 2, beta = 3, [2.5] = 4, [true] = 5 })");
    std::multiset<std::string> keys;
    int steps = 0;
    lua_pushnil(L);
    while (lua_next(L, -2) != 0) {
        keys.insert(LuaGetKeyString(L));
        EXPECT_EQ(lua_type(L, -2) == LUA_TNUMBER || lua_type(L, -2) == LUA_TSTRING || lua_type(L, -2) == LUA_TBOOLEAN,
                  true);
        lua_pop(L, 1);
        ++steps;
    }
    EXPECT_EQ(steps, 5);
    EXPECT_EQ(keys, (std::multiset<std::string>{"alpha", "beta", "", "", ""}));

    lua_pushnumber(L, 12.5);
    EXPECT_EQ(LuaToStdString(L), "12.5");
    lua_newtable(L);
    EXPECT_EQ(LuaToStdString(L), "");
    LuaClearStack(L);
    EXPECT_EQ(lua_gettop(L), 0);
}
