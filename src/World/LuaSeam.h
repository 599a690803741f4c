// The few Lua table reads the object model needs, with the readers' defaulting rules: a
// missing or mistyped value reads 0 or false; the table is the one on top of the stack, and
// the stack is left as found.
#pragma once

struct lua_State;

namespace LuaSeam {

// Pushes the named field when it is a table; false (nothing pushed) otherwise.
bool PushTableField(lua_State* L, const char* name);
void Pop(lua_State* L);
float GetFloatField(lua_State* L, const char* name);
// A component's "enabled": true when absent, else true for every value but false.
bool GetEnabledField(lua_State* L);

} // namespace LuaSeam
