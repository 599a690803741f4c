#include "System/Lua/ScriptSystem.h"

#include <lua.hpp>

#include <vector>

#include "System/Common/Log.h"
#include "System/Common/StreamIO.h"
#include "System/Lua/LuaScriptLib.h"

ScriptSystem* g_pScriptSystem = nullptr;

namespace {

// The count hook runs after every this many instructions.
constexpr int kHookInterval = 1000;

// What the innermost budget scope has left; one game thread runs Lua.
thread_local int64_t s_nInstructionsLeft = 0;

void BudgetHook(lua_State* L, lua_Debug*)
{
    s_nInstructionsLeft -= kHookInterval;
    if (s_nInstructionsLeft > 0)
        return;
    // From here every instruction fails, so a pcall that swallows the error cannot loop on.
    lua_sethook(L, BudgetHook, LUA_MASKCOUNT, 1);
    luaL_error(L, "runs past its budget of %d million Lua instructions without waiting",
               static_cast<int>(kScriptInstructionBudget / 1000000));
}

// An error raised by the hook runs the message handler of an xpcall with hooks off, so a handler
// that never ends would hang. Past the budget the wrapper passes the message on instead.
int GuardedHandler(lua_State* L)
{
    if (s_nInstructionsLeft <= 0)
        return 1;
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_insert(L, 1);
    lua_call(L, lua_gettop(L) - 1, LUA_MULTRET);
    return lua_gettop(L);
}

// xpcall(f, handler, ...) with the handler wrapped; the original xpcall is upvalue 1.
int GuardedXpcall(lua_State* L)
{
    luaL_checkany(L, 2);
    lua_pushvalue(L, 2);
    lua_pushcclosure(L, GuardedHandler, 1);
    lua_replace(L, 2);
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_insert(L, 1);
    lua_call(L, lua_gettop(L) - 1, LUA_MULTRET);
    return lua_gettop(L);
}

// Resumes the thread with the number 0 and records how it stopped.
void Resume(ScriptContext* context, const char* what)
{
    lua_State* thread = context->m_pThread;
    lua_pushnumber(thread, 0);
    const int result = ResumeWithBudget(thread, 1);
    if (result == LUA_OK) {
        context->m_eState = eScriptState_Finished;
    } else if (result != LUA_YIELD) {
        // The context stays "running" and is never resumed again.
        const char* message = lua_tostring(thread, -1);
        LOG_ERROR << "Script error (" << what << "): " << (message ? message : "(no message)");
    }
}

} // namespace

ScriptSystem::ScriptSystem()
{
    m_Heap.limit = kScriptHeapLimit;
    m_pState = lua_newstate(LuaAlloc, &m_Heap);
    if (!m_pState) {
        LOG_FATAL << "Cannot create the Lua state.";
        return;
    }
    lua_atpanic(m_pState, LuaPanic);
    lua_checkstack(m_pState, 1024);
    OpenLibraries();
    RestrictLoadToText(m_pState);
    lua_getglobal(m_pState, "xpcall");
    lua_pushcclosure(m_pState, GuardedXpcall, 1);
    lua_setglobal(m_pState, "xpcall");
    OpenScriptLibrary(m_pState);
}

ScriptSystem::~ScriptSystem()
{
    Shutdown();
    if (g_pScriptSystem == this)
        g_pScriptSystem = nullptr;
}

void ScriptSystem::OpenLibraries()
{
    struct Library {
        const char* name;
        lua_CFunction open;
    };
    // Of the standard libraries only these: scripts and data get no files, processes or
    // debug hooks.
    const Library libraries[] = {
        {"_G", luaopen_base}, {LUA_STRLIBNAME, luaopen_string}, {LUA_TABLIBNAME, luaopen_table},
        {LUA_MATHLIBNAME, luaopen_math}};
    for (const Library& library : libraries) {
        luaL_requiref(m_pState, library.name, library.open, 1);
        lua_pop(m_pState, 1);
    }
}

ScriptContext* ScriptSystem::CreateContext()
{
    if (!m_pState)
        return nullptr;
    ScriptContext* context = new ScriptContext();
    context->m_pOwner = this;
    // The thread is anchored by a registry reference, not left on the main stack, so any
    // number of contexts can live at once and each can be freed on its own.
    context->m_pThread = lua_newthread(m_pState);
    context->m_nThreadRef = luaL_ref(m_pState, LUA_REGISTRYINDEX);
    lua_pushlightuserdata(m_pState, context->m_pThread);
    lua_pushlightuserdata(m_pState, context);
    lua_settable(m_pState, LUA_REGISTRYINDEX);
    context->m_pNext = m_pContexts;
    m_pContexts = context;
    return context;
}

void ScriptSystem::ReleaseContext(ScriptContext* context)
{
    if (!context)
        return;
    for (ScriptContext** link = &m_pContexts; *link; link = &(*link)->m_pNext) {
        if (*link == context) {
            *link = context->m_pNext;
            break;
        }
    }
    if (m_pState) {
        lua_pushlightuserdata(m_pState, context->m_pThread);
        lua_pushnil(m_pState);
        lua_settable(m_pState, LUA_REGISTRYINDEX);
        luaL_unref(m_pState, LUA_REGISTRYINDEX, context->m_nThreadRef);
    }
    delete context;
}

void ScriptSystem::Update(float dt)
{
    for (ScriptContext* context = m_pContexts; context;) {
        ScriptContext* next = context->m_pNext;
        context->m_fClock += dt;
        if (context->m_eState == eScriptState_Waiting && context->m_fClock >= context->m_fWakeTime) {
            context->m_eState = eScriptState_Running;
            Resume(context, "on resume");
        }
        context = next;
    }
}

void ScriptSystem::Shutdown()
{
    while (m_pContexts)
        ReleaseContext(m_pContexts);
    if (m_pState)
        lua_close(m_pState);
    m_pState = nullptr;
}

ScriptContext* ScriptSystem::FindContext(lua_State* L)
{
    lua_pushlightuserdata(L, L);
    lua_rawget(L, LUA_REGISTRYINDEX);
    ScriptContext* context = static_cast<ScriptContext*>(lua_touserdata(L, -1));
    lua_pop(L, 1);
    return context;
}

ScriptBudgetScope::ScriptBudgetScope(lua_State* thread) : m_pThread(thread), m_nSavedBudget(s_nInstructionsLeft)
{
    void* userData = nullptr;
    if (lua_getallocf(thread, &userData) == LuaAlloc && userData) {
        m_pHeap = static_cast<LuaHeap*>(userData);
        m_bWasCapped = m_pHeap->capped;
        m_pHeap->capped = true;
    }
    s_nInstructionsLeft = kScriptInstructionBudget;
    lua_sethook(thread, BudgetHook, LUA_MASKCOUNT, kHookInterval);
}

ScriptBudgetScope::~ScriptBudgetScope()
{
    lua_sethook(m_pThread, nullptr, 0, 0);
    s_nInstructionsLeft = m_nSavedBudget;
    if (m_pHeap)
        m_pHeap->capped = m_bWasCapped;
}

int LoadScriptText(lua_State* thread, const char* bytes, size_t length, const char* chunkName)
{
    // Text only: Lua does not verify binary chunks, and a damaged one corrupts memory.
    return luaL_loadbufferx(thread, bytes, length, chunkName, "t");
}

int ResumeWithBudget(lua_State* thread, int arguments)
{
    ScriptBudgetScope budget(thread);
    return lua_resume(thread, nullptr, arguments);
}

void RunScriptStream(StreamIO* stream, ScriptContext* context, const char* chunkName)
{
    if (!context) {
        delete stream;
        return;
    }
    context->m_eState = eScriptState_Running;
    if (!stream) {
        LOG_ERROR << "Script " << (chunkName ? chunkName : "?") << " has no data.";
        return;
    }
    std::vector<char> bytes(stream->GetSize());
    const uint32_t length = bytes.empty() ? 0 : stream->Read(bytes.data(), static_cast<uint32_t>(bytes.size()));
    delete stream;

    if (LoadScriptText(context->m_pThread, bytes.data(), length, chunkName) != LUA_OK) {
        const char* message = lua_tostring(context->m_pThread, -1);
        LOG_ERROR << "Script " << (chunkName ? chunkName : "?") << " does not load: " << (message ? message : "");
        return;
    }
    Resume(context, chunkName ? chunkName : "?");
}
