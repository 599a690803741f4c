// The readers through which engine code takes values out of Lua tables. Each reads from the
// table on top of the given thread's stack and leaves the stack as it found it (LuaPushPath
// on success excepted). A missing or mistyped value reads as 0, false or "": that is every
// component's rule for defaults. Numbers are truncated toward zero.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

struct lua_State;

// Runs read(R) inside a protected call on a fresh thread R of L's Lua state, R's stack empty.
// Data can make any read raise a Lua error (a metatable whose __index fails, memory running
// out); such an error unwinds read and comes back as false with Lua's message in error,
// instead of reaching the panic handler. L may be any thread, finished or dead ones included.
bool LuaReadProtected(lua_State* L, const std::function<void(lua_State*)>& read, std::string& error);

// Pushes the value at a dotted path ("a.b.c") below the top table (raw gets) and returns
// true; false when a step is nil or not a table, with the stack as before.
bool LuaPushPath(lua_State* L, const char* path);

// Fields (lua_getfield, so metamethods apply).
int32_t LuaGetIntField(lua_State* L, const char* name);   // 64-bit truncation, low 32 bits
uint32_t LuaGetUIntField(lua_State* L, const char* name); // the same bits unsigned: -1 reads 0xFFFFFFFF
uint8_t LuaGetByteField(lua_State* L, const char* name);  // 32-bit truncation, low 8 bits: 300 reads 44
float LuaGetFloatField(lua_State* L, const char* name);
bool LuaGetBoolField(lua_State* L, const char* name);     // true for all but nil and false
std::string LuaGetStringField(lua_State* L, const char* name); // up to the first zero byte; numbers in Lua's text form
bool LuaHasField(lua_State* L, const char* name);              // any value but nil
// Pushes the named field when it is a table and returns true; false, nothing pushed, otherwise.
bool LuaPushTableField(lua_State* L, const char* name);

// Array items, index 0-based (Lua index + 1).
int32_t LuaGetIntItem(lua_State* L, int index);
uint32_t LuaGetUIntItem(lua_State* L, int index);
uint16_t LuaGetUShortItem(lua_State* L, int index); // 64-bit truncation, low 16 bits
std::string LuaGetStringItem(lua_State* L, int index);

// How many array items (1..n) to read from the table on top: its raw length, unless that length
// is a border far past the entries the table holds; then the number of entries, with an error
// logged. (Lua's length of {[1]=x, [2]=x, [4]=x, ..., [2^29]=x}, 30 entries, is 2^29.) 0 for a
// value that is not a table. Every loader counts its arrays with it, never by raw length.
size_t LuaGetItemCount(lua_State* L);

// Names the data file being read in the item counter's error lines while it lives; the name
// before it comes back when it goes.
class LuaReadingFile {
public:
    explicit LuaReadingFile(const std::string& name);
    ~LuaReadingFile();
    LuaReadingFile(const LuaReadingFile&) = delete;
    LuaReadingFile& operator=(const LuaReadingFile&) = delete;

private:
    std::string m_Previous;
};

// The top value as a string, not popped; "" when it has no string form.
std::string LuaToStdString(lua_State* L);
// The key at index -2 during a lua_next walk. Only string keys are read: converting a number
// key in place would break the walk, so any other key gives "" and a log line.
std::string LuaGetKeyString(lua_State* L);
void LuaClearStack(lua_State* L);

// Double-to-integer conversions with the hardware's answer for NaN and out-of-range values
// (the "integer indefinite" 0x8000...) instead of undefined behaviour.
int64_t LuaTruncateToInt64(double value);
int32_t LuaTruncateToInt32(double value);
// Rounds to single precision; beyond the float range gives the infinity of that sign.
float LuaRoundToFloat(double value);
