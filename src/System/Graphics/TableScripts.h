// The loading loop of the texture and atlas tables: every archive entry below a folder runs as
// a Lua chunk on a temporary script context, and the named global is handed to a reader.
#pragma once

#include <functional>
#include <string>

struct lua_State;

// reader(L, entryName) runs with the global on top of L's stack when it is a table, and must
// leave the stack as it found it. Entries run in name order, so when two files give the same
// key the same one keeps it on every run.
void LoadTableScripts(const std::string& folder, const char* global,
                      const std::function<void(lua_State*, const std::string&)>& reader);
