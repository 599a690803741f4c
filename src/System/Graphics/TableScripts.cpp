#include "System/Graphics/TableScripts.h"

#include <lua.hpp>

#include <algorithm>
#include <vector>

#include "System/Archive/ArchiveSystem.h"
#include "System/Common/Log.h"
#include "System/Common/NameHash.h"
#include "System/Lua/LuaTableReader.h"
#include "System/Lua/ScriptSystem.h"

void LoadTableScripts(const std::string& folder, const char* global,
                      const std::function<void(lua_State*, const std::string&)>& reader)
{
    if (!g_pArchiveSystem || !g_pScriptSystem) {
        LOG_ERROR << "Cannot read the tables in " << folder << ": no archive system or script host.";
        return;
    }
    std::vector<std::string> names;
    g_pArchiveSystem->FindNames(names, folder + "*");
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        ScriptContext* context = g_pScriptSystem->CreateContext();
        if (!context) {
            LOG_ERROR << "Cannot run the table script " << name << ": the script host has no Lua state.";
            return;
        }
        lua_State* L = context->m_pThread;
        // Every script shares one global table: a script that fails or defines nothing must not
        // hand over the table its predecessor left behind.
        lua_pushnil(L);
        lua_setglobal(L, global);
        RunScriptStream(g_pArchiveSystem->Open(HashName(name)), context, name.c_str());
        lua_pushglobaltable(L);
        lua_getfield(L, -1, global);
        if (lua_istable(L, -1)) {
            LuaReadingFile reading(name);
            reader(L, name);
        }
        else
            LOG_WARNING << "The table script " << name << " defines no table " << global << ".";
        LuaClearStack(L);
        g_pScriptSystem->ReleaseContext(context);
    }
}
