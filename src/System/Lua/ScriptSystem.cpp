#include "System/Lua/ScriptSystem.h"

#include <lua.hpp>

#include <vector>

#include "System/Common/Log.h"
#include "System/Common/StreamIO.h"
#include "System/Lua/LuaScriptLib.h"

ScriptSystem* g_pScriptSystem = nullptr;

namespace {

// Resumes the thread with the number 0 and records how it stopped.
void Resume(ScriptContext* context, const char* what)
{
    lua_State* thread = context->m_pThread;
    lua_pushnumber(thread, 0);
    const int result = lua_resume(thread, nullptr, 1);
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
    m_pState = lua_newstate(LuaAlloc, nullptr);
    if (!m_pState) {
        LOG_FATAL << "Cannot create the Lua state.";
        return;
    }
    lua_atpanic(m_pState, LuaPanic);
    lua_checkstack(m_pState, 1024);
    OpenLibraries();
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

    if (luaL_loadbufferx(context->m_pThread, bytes.data(), length, chunkName, "bt") != LUA_OK) {
        const char* message = lua_tostring(context->m_pThread, -1);
        LOG_ERROR << "Script " << (chunkName ? chunkName : "?") << " does not load: " << (message ? message : "");
        return;
    }
    Resume(context, chunkName ? chunkName : "?");
}
