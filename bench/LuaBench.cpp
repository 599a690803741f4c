// One field read through the table readers, against the bare Lua calls and cast that they wrap.
#include <benchmark/benchmark.h>

#include <lua.hpp>

#include <string>

#include "System/Lua/LuaTableReader.h"
#include "System/Lua/ScriptSystem.h"

namespace {

struct LuaFixture {
    ScriptSystem host;
    lua_State* L = nullptr;

    LuaFixture()
    {
        L = host.CreateContext()->m_pThread;
        luaL_dostring(L, "t = { speed = 312.75, name = 'enemy_flyer', layer = 7, visible = true }");
        lua_settop(L, 0);
        lua_getglobal(L, "t");
    }
};

void BM_LuaGetIntField(benchmark::State& state)
{
    LuaFixture f;
    for (auto _ : state)
        benchmark::DoNotOptimize(LuaGetIntField(f.L, "speed"));
}
BENCHMARK(BM_LuaGetIntField);

void BM_LuaGetIntField_Baseline(benchmark::State& state)
{
    LuaFixture f;
    for (auto _ : state) {
        lua_getfield(f.L, -1, "speed");
        int32_t value = static_cast<int32_t>(static_cast<int64_t>(lua_tonumberx(f.L, -1, nullptr)));
        lua_pop(f.L, 1);
        benchmark::DoNotOptimize(value);
    }
}
BENCHMARK(BM_LuaGetIntField_Baseline);

void BM_LuaGetStringField(benchmark::State& state)
{
    LuaFixture f;
    for (auto _ : state)
        benchmark::DoNotOptimize(LuaGetStringField(f.L, "name"));
}
BENCHMARK(BM_LuaGetStringField);

void BM_LuaGetStringField_Baseline(benchmark::State& state)
{
    LuaFixture f;
    for (auto _ : state) {
        lua_getfield(f.L, -1, "name");
        const char* s = lua_tolstring(f.L, -1, nullptr);
        std::string value = s ? s : "";
        lua_pop(f.L, 1);
        benchmark::DoNotOptimize(value);
    }
}
BENCHMARK(BM_LuaGetStringField_Baseline);

} // namespace
