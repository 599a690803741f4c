#include "System/Lua/LuaTableReader.h"
#include "System/Lua/ScriptSystem.h"

#include <lua.hpp>

#include <cfloat>
#include <cmath>
#include <limits>
#include <vector>

#include "System/Common/Log.h"
#include "System/Common/StringUtil.h"

namespace {

// Readers index the top value; anything but a table there would raise a Lua error outside any
// protected call and end the process, so it reads as missing instead.
bool TopIsTable(lua_State* L) { return lua_gettop(L) > 0 && lua_type(L, -1) == LUA_TTABLE; }

void ReportNotTable(lua_State* L, const char* reader, const std::string& what)
{
    LOG_WARNING << reader << "(" << what << "): the value read from is "
                << (lua_gettop(L) > 0 ? lua_typename(L, lua_type(L, -1)) : "missing") << ", not a table.";
}

bool PushField(lua_State* L, const char* reader, const char* name)
{
    if (!TopIsTable(L)) {
        ReportNotTable(L, reader, name);
        return false;
    }
    lua_getfield(L, -1, name);
    return true;
}

bool PushItem(lua_State* L, const char* reader, int index)
{
    if (!TopIsTable(L)) {
        ReportNotTable(L, reader, std::to_string(index));
        return false;
    }
    lua_pushinteger(L, static_cast<lua_Integer>(index) + 1);
    lua_gettable(L, -2);
    return true;
}

// Converts and pops the pushed value.
double PopNumber(lua_State* L)
{
    double n = lua_tonumberx(L, -1, nullptr);
    lua_pop(L, 1);
    return n;
}

std::string PopString(lua_State* L)
{
    const char* s = lua_tolstring(L, -1, nullptr);
    std::string result = s ? s : "";
    lua_pop(L, 1);
    return result;
}

// The data file being read, for the item counter's error lines.
std::string s_ReadingFile;

int CallRead(lua_State* R)
{
    const auto* read = static_cast<const std::function<void(lua_State*)>*>(lua_touserdata(R, 1));
    lua_settop(R, 0);
    (*read)(R);
    return 0;
}

} // namespace

LuaReadingFile::LuaReadingFile(const std::string& name) : m_Previous(s_ReadingFile) { s_ReadingFile = name; }

LuaReadingFile::~LuaReadingFile() { s_ReadingFile = m_Previous; }

size_t LuaGetItemCount(lua_State* L)
{
    if (!lua_istable(L, -1))
        return 0;
    const size_t length = lua_rawlen(L, -1);
    if (length <= 64)
        return length;
    // An array with a few holes still holds at least half of its length.
    size_t entries = 0;
    lua_pushnil(L);
    while (lua_next(L, -2) != 0) {
        lua_pop(L, 1);
        if (++entries * 2 >= length) {
            lua_pop(L, 1);
            return length;
        }
    }
    LOG_ERROR << "data file " << (s_ReadingFile.empty() ? "?" : s_ReadingFile) << ": a list has a length of "
              << length << " but holds only " << entries << " entries; reading its first " << entries << " items";
    return entries;
}

bool LuaReadProtected(lua_State* L, const std::function<void(lua_State*)>& read, std::string& error)
{
    // The main thread is always in a state that can call; L may have ended in an error.
    lua_checkstack(L, 1);
    lua_rawgeti(L, LUA_REGISTRYINDEX, LUA_RIDX_MAINTHREAD);
    lua_State* main = lua_tothread(L, -1);
    lua_pop(L, 1);
    const int top = lua_gettop(main);
    lua_State* R = lua_newthread(main);
    lua_pushcfunction(R, CallRead);
    lua_pushlightuserdata(R, const_cast<std::function<void(lua_State*)>*>(&read));
    bool ok;
    {
        // A metamethod in the data runs here too.
        ScriptBudgetScope budget(R);
        ok = lua_pcall(R, 1, 0, 0) == LUA_OK;
    }
    if (!ok) {
        const char* message = lua_tostring(R, -1);
        error = message ? message : std::string("an error value of type ") + luaL_typename(R, -1);
    }
    lua_settop(main, top);
    return ok;
}

int64_t LuaTruncateToInt64(double value)
{
    if (value >= -9223372036854775808.0 && value < 9223372036854775808.0)
        return static_cast<int64_t>(value);
    return std::numeric_limits<int64_t>::min();
}

int32_t LuaTruncateToInt32(double value)
{
    if (value > -2147483649.0 && value < 2147483648.0)
        return static_cast<int32_t>(value);
    return std::numeric_limits<int32_t>::min();
}

float LuaRoundToFloat(double value)
{
    if (std::isnan(value))
        return std::numeric_limits<float>::quiet_NaN();
    // Halfway between FLT_MAX and 2^128: from there on, round-to-nearest gives infinity.
    const double overflow = 0x1.ffffffp127;
    if (std::fabs(value) > FLT_MAX) {
        float edge = std::fabs(value) >= overflow ? std::numeric_limits<float>::infinity() : FLT_MAX;
        return value < 0 ? -edge : edge;
    }
    return static_cast<float>(value);
}

bool LuaPushPath(lua_State* L, const char* path)
{
    if (lua_gettop(L) == 0) {
        LOG_WARNING << "LuaPushPath(" << path << "): the stack is empty.";
        return false;
    }
    std::vector<std::string> segments;
    SplitString(path ? path : "", ".", segments);
    lua_pushvalue(L, -1);
    for (const std::string& segment : segments) {
        if (lua_type(L, -1) != LUA_TTABLE) {
            LOG_WARNING << "LuaPushPath(" << path << "): \"" << segment << "\" is looked up in a "
                        << lua_typename(L, lua_type(L, -1)) << ", not a table.";
            lua_pop(L, 1);
            return false;
        }
        lua_pushlstring(L, segment.data(), segment.size());
        lua_rawget(L, -2);
        lua_remove(L, -2);
        if (lua_isnil(L, -1)) {
            lua_pop(L, 1);
            return false;
        }
    }
    return true;
}

int32_t LuaGetIntField(lua_State* L, const char* name)
{
    if (!PushField(L, "LuaGetIntField", name))
        return 0;
    return static_cast<int32_t>(static_cast<uint64_t>(LuaTruncateToInt64(PopNumber(L))));
}

uint32_t LuaGetUIntField(lua_State* L, const char* name)
{
    if (!PushField(L, "LuaGetUIntField", name))
        return 0;
    return static_cast<uint32_t>(static_cast<uint64_t>(LuaTruncateToInt64(PopNumber(L))));
}

uint8_t LuaGetByteField(lua_State* L, const char* name)
{
    if (!PushField(L, "LuaGetByteField", name))
        return 0;
    return static_cast<uint8_t>(static_cast<uint32_t>(LuaTruncateToInt32(PopNumber(L))));
}

float LuaGetFloatField(lua_State* L, const char* name)
{
    if (!PushField(L, "LuaGetFloatField", name))
        return 0.0f;
    return LuaRoundToFloat(PopNumber(L));
}

bool LuaGetBoolField(lua_State* L, const char* name)
{
    if (!PushField(L, "LuaGetBoolField", name))
        return false;
    bool value = lua_toboolean(L, -1) != 0;
    lua_pop(L, 1);
    return value;
}

std::string LuaGetStringField(lua_State* L, const char* name)
{
    if (!PushField(L, "LuaGetStringField", name))
        return std::string();
    return PopString(L);
}

bool LuaHasField(lua_State* L, const char* name)
{
    lua_getfield(L, -1, name);
    const bool present = !lua_isnil(L, -1);
    lua_pop(L, 1);
    return present;
}

bool LuaPushTableField(lua_State* L, const char* name)
{
    lua_getfield(L, -1, name);
    if (lua_istable(L, -1))
        return true;
    lua_pop(L, 1);
    return false;
}

int32_t LuaGetIntItem(lua_State* L, int index)
{
    if (!PushItem(L, "LuaGetIntItem", index))
        return 0;
    return static_cast<int32_t>(static_cast<uint64_t>(LuaTruncateToInt64(PopNumber(L))));
}

uint32_t LuaGetUIntItem(lua_State* L, int index)
{
    if (!PushItem(L, "LuaGetUIntItem", index))
        return 0;
    return static_cast<uint32_t>(static_cast<uint64_t>(LuaTruncateToInt64(PopNumber(L))));
}

uint16_t LuaGetUShortItem(lua_State* L, int index)
{
    if (!PushItem(L, "LuaGetUShortItem", index))
        return 0;
    return static_cast<uint16_t>(static_cast<uint64_t>(LuaTruncateToInt64(PopNumber(L))));
}

std::string LuaGetStringItem(lua_State* L, int index)
{
    if (!PushItem(L, "LuaGetStringItem", index))
        return std::string();
    return PopString(L);
}

std::string LuaToStdString(lua_State* L)
{
    if (lua_gettop(L) == 0)
        return std::string();
    const char* s = lua_tolstring(L, -1, nullptr);
    return s ? s : "";
}

std::string LuaGetKeyString(lua_State* L)
{
    if (lua_gettop(L) >= 2 && lua_type(L, -2) == LUA_TSTRING)
        return lua_tostring(L, -2);
    LOG_WARNING << "LuaGetKeyString: the key is "
                << (lua_gettop(L) >= 2 ? lua_typename(L, lua_type(L, -2)) : "missing") << ", not a string.";
    return std::string();
}

void LuaClearStack(lua_State* L) { lua_settop(L, 0); }
