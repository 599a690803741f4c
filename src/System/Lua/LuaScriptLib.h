// The Lua side of the script host: the allocator and panic function of the state, and the
// `Script` library ("suspend", "awakeAt", "print", "hash", "rand").
#pragma once

#include <cstddef>

struct lua_State;

void* LuaAlloc(void* userData, void* block, size_t oldSize, size_t newSize);
int LuaPanic(lua_State* L);

// Sets a table with the five functions as the global "Script".
void OpenScriptLibrary(lua_State* L);
