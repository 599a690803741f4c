// The Lua side of the script host: the allocator and panic function of the state, and the
// `Script` library ("suspend", "awakeAt", "print", "hash", "rand").
#pragma once

#include <cstddef>

struct lua_State;

// What a state's heap holds and may hold, in bytes.
struct LuaHeap {
    size_t used = 0;
    size_t limit = 0;
    // Set while data runs under protection. Outside, the engine's own unprotected calls must not
    // fail, as a failure there ends the process; they are few and small.
    bool capped = false;
};

// The state's allocator; userData is its LuaHeap, or null for no cap. While capped, growth past
// the limit is refused (Lua reports "not enough memory"); freeing and shrinking always succeed.
void* LuaAlloc(void* userData, void* block, size_t oldSize, size_t newSize);
int LuaPanic(lua_State* L);

// Replaces the base library's load and loadfile by ones that load text only: Lua does not
// verify binary chunks, and a damaged one corrupts memory.
void RestrictLoadToText(lua_State* L);

// Sets a table with the five functions as the global "Script".
void OpenScriptLibrary(lua_State* L);
