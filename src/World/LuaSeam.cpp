#include "World/LuaSeam.h"

#include <lua.hpp>

namespace LuaSeam {

bool PushTableField(lua_State* L, const char* name)
{
    lua_getfield(L, -1, name);
    if (lua_istable(L, -1))
        return true;
    lua_pop(L, 1);
    return false;
}

void Pop(lua_State* L) { lua_pop(L, 1); }

float GetFloatField(lua_State* L, const char* name)
{
    lua_getfield(L, -1, name);
    float value = static_cast<float>(lua_tonumberx(L, -1, nullptr));
    lua_pop(L, 1);
    return value;
}

bool GetEnabledField(lua_State* L)
{
    lua_getfield(L, -1, "enabled");
    bool enabled = lua_isnil(L, -1) || lua_toboolean(L, -1);
    lua_pop(L, 1);
    return enabled;
}

} // namespace LuaSeam
