// The Lua host: one state with the base, string, table and math libraries and the `Script`
// library, and the script contexts, each a coroutine that can wait for game time.
#pragma once

#include <cstddef>
#include <cstdint>

#include "System/Lua/LuaScriptLib.h"

struct lua_State;
class ScriptSystem;
class StreamIO;

// One run of a chunk (its first run, or one resume after a wait) that executes more Lua
// instructions than this ends in an error, so that data whose top level never ends cannot
// hang the game; a script that waits between runs may do more in all.
constexpr int64_t kScriptInstructionBudget = 200'000'000;
// The Lua heap's cap in bytes: data that grows without end fails with "not enough memory".
constexpr size_t kScriptHeapLimit = size_t(256) << 20;

enum ScriptState : int32_t {
    eScriptState_Finished = 0,
    eScriptState_Running = 1,   // also: ended by an error
    eScriptState_Suspended = 2, // after Script.suspend: never resumed
    eScriptState_Waiting = 3,   // after Script.awakeAt: resumed once the clock reaches the wake time
};

struct ScriptContext {
    lua_State* m_pThread = nullptr;
    ScriptContext* m_pNext = nullptr;
    ScriptSystem* m_pOwner = nullptr;
    ScriptState m_eState = eScriptState_Finished;
    float m_fClock = 0.0f;    // seconds: the sum of every frame time since creation
    float m_fWakeTime = 0.0f; // on the same clock
    int m_nThreadRef = -2;    // registry reference that keeps the thread alive (LUA_NOREF when none)
};

class ScriptSystem {
public:
    ScriptSystem();
    virtual ~ScriptSystem();
    ScriptSystem(const ScriptSystem&) = delete;
    ScriptSystem& operator=(const ScriptSystem&) = delete;

    lua_State* GetState() const { return m_pState; }
    ScriptContext* GetContexts() const { return m_pContexts; }

    // A new context at the head of the list: a fresh Lua thread, anchored in the registry.
    ScriptContext* CreateContext();
    // Unlinks and frees a context; its thread is left to the collector.
    void ReleaseContext(ScriptContext* context);
    // Advances every context's clock by dt and resumes the waiting ones whose time has come.
    void Update(float dt);
    // Frees every context and closes the state.
    void Shutdown();

    // The context whose thread is L, or null.
    static ScriptContext* FindContext(lua_State* L);

private:
    void OpenLibraries();

    LuaHeap m_Heap;
    lua_State* m_pState = nullptr;
    ScriptContext* m_pContexts = nullptr;
};

extern ScriptSystem* g_pScriptSystem;

// While it lives, Lua code run on the thread counts against one instruction budget (past it,
// each instruction raises an error, so a loop that catches errors cannot go on) and the state's
// heap is capped. Scopes nest; the inner one has a budget of its own.
class ScriptBudgetScope {
public:
    explicit ScriptBudgetScope(lua_State* thread);
    ~ScriptBudgetScope();
    ScriptBudgetScope(const ScriptBudgetScope&) = delete;
    ScriptBudgetScope& operator=(const ScriptBudgetScope&) = delete;

private:
    lua_State* m_pThread;
    LuaHeap* m_pHeap = nullptr;
    bool m_bWasCapped = false;
    int64_t m_nSavedBudget;
};

// Loads bytes as a chunk of Lua text on the thread; a binary chunk is refused. Returns what
// luaL_loadbufferx returns, with the chunk or the message on the thread's stack.
int LoadScriptText(lua_State* thread, const char* bytes, size_t length, const char* chunkName);
// Resumes the thread with the given arguments under a budget scope; returns what lua_resume does.
int ResumeWithBudget(lua_State* thread, int arguments);

// Runs a whole stream as a chunk of Lua text on the context's thread, up to its end or its
// first wait, and deletes the stream. The chunk's globals and results stay behind for the
// caller to read. A null stream, a failed load (a binary chunk among them) or a run past the
// budget leaves the context ended by an error.
void RunScriptStream(StreamIO* stream, ScriptContext* context, const char* chunkName);
