#include "World/DataTableLoader.h"

#include <lua.hpp>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "System/Archive/ArchiveSystem.h"
#include "System/Common/Log.h"
#include "System/Common/NameHash.h"
#include "System/Common/Random.h"
#include "System/Common/StringUtil.h"
#include "System/Lua/LuaTableReader.h"
#include "System/Lua/ScriptSystem.h"

void LoadDataTableFolder(const std::string& pattern,
                         const std::function<void(lua_State*, const std::string&, const std::string&)>& reader)
{
    if (!g_pArchiveSystem || !g_pScriptSystem) {
        LOG_ERROR << "cannot load the tables of " << pattern << ": no archive system or script host";
        return;
    }
    std::vector<std::string> names;
    g_pArchiveSystem->FindNames(names, pattern + "*");
    // The archive lists names in no set order; sorting them fixes which file keeps a key
    // that two files give.
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        ScriptContext* context = g_pScriptSystem->CreateContext();
        if (!context) {
            LOG_ERROR << "cannot run the data file " << name << ": the script host has no Lua state";
            return;
        }
        StreamIO* stream = g_pArchiveSystem->Open(HashName(name));
        if (!stream) {
            LOG_ERROR << "cannot open the data file " << name;
            g_pScriptSystem->ReleaseContext(context);
            continue;
        }
        RunScriptStream(stream, context, name.c_str());
        std::string directory, tableName;
        SplitPath(name, directory, tableName);

        // The data's own metatables run during these reads, so a failing one ends this file
        // with a logged error instead of the process.
        std::string error;
        const bool read = LuaReadProtected(context->m_pThread, [&](lua_State* L) {
            lua_pushglobaltable(L);
            if (!LuaPushPath(L, tableName.c_str())) {
                LOG_WARNING << "data file " << name << " defines no table " << tableName;
            } else if (!lua_istable(L, -1)) {
                LOG_WARNING << "data file " << name << ": the global " << tableName << " is not a table";
            } else {
                LuaReadingFile reading(name);
                reader(L, tableName, name);
            }
        }, error);
        if (!read)
            LOG_ERROR << "data file " << name << ": reading it stopped at a Lua error: " << error
                      << "; the rest of the file is skipped";
        g_pScriptSystem->ReleaseContext(context);
    }
}

uint32_t LuaGetHashField(lua_State* L, const char* name)
{
    lua_getfield(L, -1, name);
    uint32_t value = 0;
    if (lua_type(L, -1) == LUA_TLIGHTUSERDATA)
        value = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(lua_touserdata(L, -1)));
    lua_pop(L, 1);
    return value;
}

bool WithTableField(lua_State* L, const char* name, const std::function<void()>& fn)
{
    lua_getfield(L, -1, name);
    bool isTable = lua_istable(L, -1);
    if (isTable)
        fn();
    lua_pop(L, 1);
    return isTable;
}

void ForEachTableItem(lua_State* L, const std::function<void(int)>& fn)
{
    int count = static_cast<int>(std::min<size_t>(LuaGetItemCount(L), INT32_MAX));
    for (int i = 1; i <= count; ++i) {
        lua_rawgeti(L, -1, i);
        if (lua_istable(L, -1))
            fn(i);
        lua_pop(L, 1);
    }
}

float LuaGetFloatItem(lua_State* L, int index)
{
    lua_pushinteger(L, index + 1);
    lua_gettable(L, -2);
    float value = static_cast<float>(lua_tonumberx(L, -1, nullptr));
    lua_pop(L, 1);
    return value;
}

float LuaGetFloatOrRandomRange(lua_State* L, const char* name)
{
    float value = 0.0f;
    lua_getfield(L, -1, name);
    if (lua_istable(L, -1))
        value = RandomFloat(LuaGetFloatItem(L, 0), LuaGetFloatItem(L, 1));
    else if (lua_isnumber(L, -1))
        value = LuaRoundToFloat(lua_tonumber(L, -1));
    lua_pop(L, 1);
    return value;
}
