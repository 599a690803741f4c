#include "System/Lua/LuaScriptLib.h"

#include <lua.hpp>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "System/Common/Log.h"
#include "System/Common/NameHash.h"
#include "System/Common/Random.h"
#include "System/Lua/LuaTableReader.h"
#include "System/Lua/ScriptSystem.h"

namespace {

// The lines below carry a fixed source name and line (the module, without extension): tools
// that watch the log match them.
const char* const kSourceName = "src/System/Lua/LuaScriptLib";
constexpr int kPanicLine = 30;
constexpr int kPrintLine = 119;

ScriptContext* RunningContext(lua_State* L, const char* function)
{
    ScriptContext* context = ScriptSystem::FindContext(L);
    if (!context)
        luaL_error(L, "Script.%s: called outside a script context", function);
    return context;
}

int ScriptSuspend(lua_State* L)
{
    ScriptContext* context = RunningContext(L, "suspend");
    context->m_eState = eScriptState_Suspended;
    return lua_yield(L, 0);
}

int ScriptAwakeAt(lua_State* L)
{
    float seconds = LuaRoundToFloat(luaL_checknumber(L, 1));
    ScriptContext* context = RunningContext(L, "awakeAt");
    context->m_fWakeTime = context->m_fClock + seconds;
    context->m_eState = eScriptState_Waiting;
    return lua_yield(L, 0);
}

int ScriptPrint(lua_State* L)
{
    std::string text;
    const int count = lua_gettop(L);
    for (int i = 1; i <= count; ++i) {
        const int type = lua_type(L, i);
        if (type != LUA_TSTRING && type != LUA_TNUMBER) {
            LOG_WARNING << "Script.print: argument " << i << " is a " << lua_typename(L, type)
                        << ", which has no string form.";
            continue;
        }
        size_t length = 0;
        const char* s = lua_tolstring(L, i, &length);
        text.append(s, length);
    }
    LogLine(eLogLevel_Info).WriteHeader(kPrintLine, kSourceName) << text;
    return 0;
}

int ScriptHash(lua_State* L)
{
    NameId id = 0;
    const int type = lua_type(L, 1);
    if (type == LUA_TSTRING || type == LUA_TNUMBER)
        id = HashName(lua_tostring(L, 1));
    else
        LOG_WARNING << "Script.hash: the argument is a " << lua_typename(L, type) << ", which has no string form.";
    lua_pushlightuserdata(L, reinterpret_cast<void*>(static_cast<uintptr_t>(id)));
    return 1;
}

int ScriptRand(lua_State* L)
{
    const uint32_t a = static_cast<uint32_t>(static_cast<uint64_t>(LuaTruncateToInt64(lua_tonumberx(L, 1, nullptr))));
    const uint32_t b = static_cast<uint32_t>(static_cast<uint64_t>(LuaTruncateToInt64(lua_tonumberx(L, 2, nullptr))));
    const uint32_t word = RandomNext();
    // b - a + 1 wraps to 0 for the full range (and for b = a - 1): there is nothing to divide by.
    const uint32_t span = b - a + 1;
    const uint32_t result = span == 0 ? a : a + word % span;
    lua_pushinteger(L, static_cast<int32_t>(result));
    return 1;
}

const luaL_Reg kScriptFunctions[] = {
    {"suspend", ScriptSuspend}, {"awakeAt", ScriptAwakeAt}, {"print", ScriptPrint},
    {"hash", ScriptHash},       {"rand", ScriptRand},       {nullptr, nullptr},
};

} // namespace

void* LuaAlloc(void* userData, void* block, size_t oldSize, size_t newSize)
{
    LuaHeap* heap = static_cast<LuaHeap*>(userData);
    // For a new block Lua passes the kind of object in oldSize, not a size.
    const size_t held = block ? oldSize : 0;
    if (newSize == 0) {
        std::free(block);
        if (heap)
            heap->used -= held;
        return nullptr;
    }
    if (heap && heap->capped && newSize > held && newSize - held > heap->limit - std::min(heap->used, heap->limit))
        return nullptr;
    void* result = std::realloc(block, newSize);
    if (result && heap)
        heap->used = heap->used - held + newSize;
    return result;
}

int LuaPanic(lua_State* L)
{
    const char* message = lua_tostring(L, -1);
    LogLine(eLogLevel_Fatal).WriteHeader(kPanicLine, kSourceName) << (message ? message : "(error object is not a string)");
    return 0;
}

namespace {

// The original function is upvalue 1, the position of its mode argument upvalue 2.
int LoadTextOnly(lua_State* L)
{
    const int modeIndex = static_cast<int>(lua_tointeger(L, lua_upvalueindex(2)));
    if (lua_gettop(L) < modeIndex)
        lua_settop(L, modeIndex);
    lua_pushliteral(L, "t");
    lua_replace(L, modeIndex);
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_insert(L, 1);
    lua_call(L, lua_gettop(L) - 1, LUA_MULTRET);
    return lua_gettop(L);
}

} // namespace

void RestrictLoadToText(lua_State* L)
{
    const struct {
        const char* name;
        int modeIndex;
    } functions[] = {{"load", 3}, {"loadfile", 2}};
    for (const auto& function : functions) {
        lua_getglobal(L, function.name);
        if (lua_isnil(L, -1)) {
            lua_pop(L, 1);
            continue;
        }
        lua_pushinteger(L, function.modeIndex);
        lua_pushcclosure(L, LoadTextOnly, 2);
        lua_setglobal(L, function.name);
    }
}

void OpenScriptLibrary(lua_State* L)
{
    luaL_newlib(L, kScriptFunctions);
    lua_setglobal(L, "Script");
}
