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
        // hand over the table its predecessor left behind. Raw, so that no metatable an earlier
        // script gave the globals can fail here.
        lua_pushglobaltable(L);
        lua_pushstring(L, global);
        lua_pushnil(L);
        lua_rawset(L, -3);
        lua_pop(L, 1);
        RunScriptStream(g_pArchiveSystem->Open(HashName(name)), context, name.c_str());
        // The data's own metatables run during the reads, so a failing one ends this script
        // with a logged error instead of the process.
        std::string error;
        const bool read = LuaReadProtected(L, [&](lua_State* R) {
            lua_pushglobaltable(R);
            lua_getfield(R, -1, global);
            if (lua_istable(R, -1)) {
                LuaReadingFile reading(name);
                reader(R, name);
            }
            else
                LOG_WARNING << "The table script " << name << " defines no table " << global << ".";
        }, error);
        if (!read)
            LOG_ERROR << "The table script " << name << ": reading it stopped at a Lua error: " << error
                      << "; the rest of it is skipped.";
        LuaClearStack(L);
        g_pScriptSystem->ReleaseContext(context);
    }
}
