// The loading loop shared by the game data tables: each entry matching a pattern runs as a
// Lua chunk on a temporary script context, and the global table named like the entry (its
// name after the last '/') is handed to the reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "System/Lua/LuaTableReader.h"

struct lua_State;

// reader(L, tableName, entryName) is called with the table on top of L's stack and must leave
// the stack as it found it. Entries are run in name order, so "the first file keeps a key"
// means the same file on every run.
void LoadDataTableFolder(const std::string& pattern,
                         const std::function<void(lua_State*, const std::string&, const std::string&)>& reader);

// A key that data gives as the light userdata of the Script library's "hash": its 32-bit
// value; any other value (a number, a string, nothing) reads 0.
uint32_t LuaGetHashField(lua_State* L, const char* name);

// Runs fn(L) with the named field pushed when it is a table (and pops it); false otherwise.
bool WithTableField(lua_State* L, const char* name, const std::function<void()>& fn);
// Runs fn(index) with each table item 1..raw length of the table on top pushed in turn; items
// that are not tables are passed over.
void ForEachTableItem(lua_State* L, const std::function<void(int)>& fn);
// Item i (0-based) of the array on top as a float, read like a number field.
float LuaGetFloatItem(lua_State* L, int index);
// A number, or a {a, b} range drawn uniformly from the shared pool now; 0 for anything else.
float LuaGetFloatOrRandomRange(lua_State* L, const char* name);
