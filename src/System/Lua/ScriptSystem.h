// The Lua host: one state with the base, string, table and math libraries and the `Script`
// library, and the script contexts, each a coroutine that can wait for game time.
#pragma once

#include <cstdint>

struct lua_State;
class ScriptSystem;
class StreamIO;

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

    lua_State* m_pState = nullptr;
    ScriptContext* m_pContexts = nullptr;
};

extern ScriptSystem* g_pScriptSystem;

// Runs a whole stream as a chunk on the context's thread (text or precompiled), up to its end
// or its first wait, and deletes the stream. The chunk's globals and results stay behind for
// the caller to read. A null stream or a failed load leaves the context ended by an error.
void RunScriptStream(StreamIO* stream, ScriptContext* context, const char* chunkName);
