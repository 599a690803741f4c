#include "World/SceneManager.h"

#include <lua.hpp>

#include <algorithm>
#include <utility>

#include "System/Archive/ArchiveSystem.h"
#include "System/Common/FrameCounter.h"
#include "System/Common/FrameStats.h"
#include "System/Common/Log.h"
#include "System/Common/StringUtil.h"
#include "System/Graphics/SpriteBatch.h"
#include "System/Graphics/TextureTable.h"
#include "System/Lua/LuaTableReader.h"
#include "System/Lua/ScriptSystem.h"
#include "World/Component.h"
#include "World/ComponentFactory.h"
#include "World/GameObj.h"
#include "World/IMessage.h"
#include "World/MessageManager.h"
#include "World/Transform.h"

SceneManager* g_pSceneManager = nullptr;

namespace {

// What the component layers run at the scene's moments.
SceneHooks s_Hooks;

// Room for what one level of building pushes on a thread, whatever state the thread is in.
constexpr int kBuildStackSlots = 32;

// A table at a fixed place of a thread's stack. The instance table and the template may sit on
// the same thread, so neither is taken to be on top: each read pushes its table first.
struct TableRef {
    lua_State* L;
    int index;

    template <class Reader>
    auto Read(const char* key, Reader reader) const
    {
        lua_pushvalue(L, index);
        auto value = reader(L, key);
        lua_pop(L, 1);
        return value;
    }
    bool Has(const char* key) const
    {
        lua_getfield(L, index, key);
        const bool given = !lua_isnil(L, -1);
        lua_pop(L, 1);
        return given;
    }
};

// A scalar key from the instance table when it gives one (not nil), else from the template.
template <class Reader>
auto ReadKey(const TableRef& templ, const TableRef* instance, const char* key, Reader reader)
{
    if (instance && instance->Has(key))
        return instance->Read(key, reader);
    return templ.Read(key, reader);
}

} // namespace

SceneManager::SceneManager()
    : m_nUpdateMask(0xFFFFFFFFu),
      m_nDrawMask(0xFFFFFFFFu),
      m_pMessageManager(nullptr),
      m_pRoot(nullptr),
      m_bStageChangePending(false)
{
    if (!g_pSceneManager)
        g_pSceneManager = this;
}

SceneManager::~SceneManager()
{
    Teardown();
    if (g_pSceneManager == this)
        g_pSceneManager = nullptr;
}

bool SceneManager::Init()
{
    if (!m_pMessageManager)
        m_pMessageManager = new MessageManager;
    if (!g_pComponentFactory) {
        g_pComponentFactory = new ComponentFactory;
        g_pComponentFactory->RegisterAll();
    }
    if (s_Hooks.pfnInit)
        s_Hooks.pfnInit();
    return true;
}

void SceneManager::LoadPrototypes(const std::string& folder)
{
    if (!g_pArchiveSystem || !g_pScriptSystem) {
        LOG_ERROR << "Cannot load the prototypes in " << folder << ": no archive system or script host.";
        return;
    }
    std::vector<std::string> names;
    g_pArchiveSystem->FindNames(names, folder + "*");
    // The archive lists names in no set order; sorting fixes which file keeps a name two give.
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        ScriptContext* context = g_pScriptSystem->CreateContext();
        if (!context) {
            LOG_ERROR << "Cannot run the prototype " << name << ": the script host has no Lua state.";
            return;
        }
        RunScriptStream(g_pArchiveSystem->Open(HashName(name)), context, name.c_str());
        std::string directory, finalName;
        SplitPath(name, directory, finalName);
        if (!m_Prototypes.emplace(HashName(finalName), context).second)
            LOG_WARNING << "Prototype " << name << ": the name " << finalName
                        << " is taken by an earlier file, which keeps it.";
        else if (s_Hooks.pfnPrototypeLoaded)
            s_Hooks.pfnPrototypeLoaded(finalName, context->m_pThread);
    }
}

bool SceneManager::HasPrototype(const std::string& name) const { return m_Prototypes.count(HashName(name)) != 0; }

GameObj* SceneManager::Instantiate(const std::string& name, GameObj* parent, lua_State* instance)
{
    if (std::find(m_BuildPath.begin(), m_BuildPath.end(), name) != m_BuildPath.end()) {
        std::string chain;
        for (const std::string& step : m_BuildPath)
            chain += step + " -> ";
        LOG_ERROR << "Prototype " << name << " contains itself (" << chain << name << "); it is not built again.";
        return nullptr;
    }
    if (m_BuildPath.size() >= kMaxBuildDepth) {
        LOG_ERROR << "Prototype " << name << " lies " << m_BuildPath.size() << " prototypes deep in "
                  << m_BuildPath.front() << ", past the bound of " << kMaxBuildDepth << "; it is not built.";
        return nullptr;
    }
    if (m_BuildPath.empty())
        m_nBuiltObjects = 0;
    if (m_nBuiltObjects >= kMaxBuildObjects) {
        // Once per build: the rest of a wide tree would repeat it many times over.
        if (m_nBuiltObjects++ == kMaxBuildObjects)
            LOG_ERROR << "Prototype " << name << " in " << m_BuildPath.front() << ": the build has made "
                      << kMaxBuildObjects << " objects, its bound; this and the rest are not built.";
        return nullptr;
    }
    ++m_nBuiltObjects;
    m_BuildPath.push_back(name);
    GameObj* object = Build(name, parent, instance);
    m_BuildPath.pop_back();
    return object;
}

GameObj* SceneManager::Build(const std::string& name, GameObj* parent, lua_State* instance)
{
    auto it = m_Prototypes.find(HashName(name));
    if (it == m_Prototypes.end()) {
        LOG_WARNING << "No prototype " << name << " is loaded.";
        return nullptr;
    }
    lua_State* L = it->second->m_pThread;
    if (!lua_checkstack(L, kBuildStackSlots) || (instance && !lua_checkstack(instance, kBuildStackSlots))) {
        LOG_ERROR << "Prototype " << name << ": no room on the Lua stack.";
        return nullptr;
    }
    // Taken before anything is pushed: the instance may sit on the prototype's own thread.
    TableRef instanceRef{instance, instance ? lua_gettop(instance) : 0};
    const int top = lua_gettop(L);
    lua_pushglobaltable(L);
    if (!LuaPushPath(L, name.c_str()) || !lua_istable(L, -1)) {
        LOG_WARNING << "Prototype " << name << " defines no table " << name << ".";
        lua_settop(L, top);
        return nullptr;
    }

    const TableRef templ{L, lua_gettop(L)};
    const TableRef* inst = instance ? &instanceRef : nullptr;

    GameObj* object = new GameObj(name, m_pMessageManager);
    if (parent)
        object->SetParent(parent);
    object->SetObjectName(ReadKey(templ, inst, "object_name", LuaGetStringField));
    object->SetTag(HashName(ReadKey(templ, inst, "object_tag", LuaGetStringField)));
    object->SetLayer(ReadKey(templ, inst, "object_layer", LuaGetUIntField));
    if (ReadKey(templ, inst, "object_activity", LuaGetIntField) != 0)
        object->Activate();
    else
        object->Deactivate();

    if (inst) {
        AddComponents(object, instance, inst->index, false, name);
        AddComponents(object, L, templ.index, true, name);
    } else {
        AddComponents(object, L, templ.index, false, name);
    }
    if (!object->GetTransform())
        object->AddComponent(Transform::s_Class.Name, nullptr);

    AddChildren(object, L, templ.index, name);
    if (inst)
        AddChildren(object, instance, inst->index, name);
    lua_settop(L, top);
    return object;
}

void SceneManager::AddComponents(GameObj* object, lua_State* L, int table, bool skipPresent,
                                 const std::string& prototype)
{
    const int top = lua_gettop(L);
    lua_getfield(L, table, "components");
    if (!lua_istable(L, -1)) {
        lua_settop(L, top);
        return;
    }
    const int components = lua_gettop(L);
    // Lua walks a table in an order that changes from run to run; the factory's order does not.
    std::vector<std::pair<int, std::string>> classes;
    lua_pushnil(L);
    while (lua_next(L, components) != 0) {
        std::string className = LuaGetKeyString(L);
        const bool isTable = lua_istable(L, -1);
        lua_pop(L, 1);
        if (className.empty())
            continue;
        const int index = g_pComponentFactory ? g_pComponentFactory->GetRegistrationIndex(HashName(className)) : -1;
        if (index < 0)
            LOG_WARNING << "Prototype " << prototype << ": unknown component class " << className << "; left out.";
        else if (!isTable)
            LOG_WARNING << "Prototype " << prototype << ": the parameters of " << className
                        << " are not a table; left out.";
        else
            classes.emplace_back(index, std::move(className));
    }
    std::sort(classes.begin(), classes.end());
    for (const auto& entry : classes) {
        const char* className = entry.second.c_str();
        if (skipPresent && object->GetComponent(HashName(className)))
            continue;
        lua_getfield(L, components, className);
        object->AddComponent(className, L);
        lua_settop(L, components);
    }
    lua_settop(L, top);
}

void SceneManager::AddChildren(GameObj* object, lua_State* L, int table, const std::string& prototype)
{
    const int top = lua_gettop(L);
    lua_getfield(L, table, "children");
    if (!lua_istable(L, -1)) {
        lua_settop(L, top);
        return;
    }
    const int children = lua_gettop(L);
    size_t count;
    {
        LuaReadingFile reading(prototype);
        count = LuaGetItemCount(L);
    }
    for (size_t i = 1; i <= count; ++i) {
        lua_rawgeti(L, children, static_cast<lua_Integer>(i));
        if (lua_istable(L, -1))
            Instantiate(LuaGetStringField(L, "base_script"), object, L);
        else
            LOG_WARNING << "Prototype " << prototype << ": child " << i << " is not a table; left out.";
        lua_settop(L, children);
    }
    lua_settop(L, top);
}

GameObj* SceneManager::Spawn(const std::string& name, GameObj* parent, float x, float y)
{
    GameObj* object = Instantiate(name, parent, nullptr);
    if (!object)
        return nullptr;
    if (Transform* transform = object->GetTransform()) {
        Matrix4x4& local = transform->LocalMatrix();
        local.m[3][0] += x;
        local.m[3][1] += y;
        transform->UpdateWorldMatrices();
    }
    return object;
}

void SceneManager::RequestStage(const std::string& name)
{
    m_NextStageName = name;
    if (!name.empty())
        m_bStageChangePending = true;
}

void SceneManager::DestroyLater(GameObj* object, float delay)
{
    if (!object || !m_pMessageManager)
        return;
    object->Deactivate();
    object->SetFlags(eGameObjFlag_PendingRemoval);
    auto* message = new MsgRemoveObject(object);
    message->SetDeliveryTime(m_pMessageManager->GetClock() + delay);
    m_pMessageManager->AddPending(message);
}

void SceneManager::SetHooks(const SceneHooks& hooks) { s_Hooks = hooks; }

template <int Pass, class Call>
void SceneManager::WalkPass(Call call)
{
    Walk(m_nUpdateMask, [call](GameObj* object) {
        // By index: a component may add another to its object. A component idle in the pass is
        // passed over unread, which spares the walk a memory access per component and pass.
        const ComponentList& components = object->GetComponents();
        for (size_t i = 0; i < components.size(); ++i) {
            if (i < 32 && ((object->GetIdleComponents(Pass) >> i) & 1u))
                continue;
            Component* component = components[i];
            if (component->IsLive())
                call(component);
        }
    },
    // Nothing of the next object's components is fetched ahead: the object slabs keep them in
    // walk order, where the processor's own prefetcher already follows them, and a loop that
    // fetches them costs more than it saves.
    [](const GameObj*) {});
}

void SceneManager::StartPass()
{
    if (g_nStartPassEvents == m_nStartPassSeen && m_nUpdateMask == m_nStartPassMask && m_pRoot == m_pStartPassRoot)
        return;
    // Taken before the walk: whatever the starts themselves mark brings the walk back next frame.
    m_nStartPassSeen = g_nStartPassEvents;
    m_nStartPassMask = m_nUpdateMask;
    m_pStartPassRoot = m_pRoot;
    // As the walk of the passes; an object none of whose components waits to start is passed
    // over without looking at them.
    for (GameObj* object = m_pRoot; object;) {
        if (!object->IsActive()) {
            object = object->GetNextSkippingSubtree();
            continue;
        }
        // The next object was fetched a turn ago; the one after it is fetched now.
        if (const GameObj* next = object->GetNext())
            __builtin_prefetch(next->GetNext());
        if ((object->GetLayer() & m_nUpdateMask) && (object->GetFlags() & eGameObjFlag_HasUnstarted)) {
            // Cleared first: a component enabled again behind the loop marks the object anew.
            object->ClearFlags(eGameObjFlag_HasUnstarted);
            const ComponentList& components = object->GetComponents();
            for (size_t i = 0; i < components.size(); ++i) {
                Component* component = components[i];
                if (component->IsEnabled() && !component->IsStarted()) {
                    component->OnEnable();
                    component->Start();
                    component->SetFlags(eComponentFlag_Started);
                }
            }
        }
        object = object->IsActive() ? object->GetNext() : object->GetNextSkippingSubtree();
    }
}

void SceneManager::Update()
{
    GameObj* oldRoot = nullptr;
    bool switched = false;
    if (m_bStageChangePending) {
        // The request is taken now, so that one made while the new stage starts is kept for
        // the next frame.
        const std::string stage = m_NextStageName;
        m_bStageChangePending = false;
        switched = true;
        ++g_FrameStats.stageSwitches;
        oldRoot = m_pRoot;
        // The old stage's colliders and cameras are let go before the new stage attaches its own.
        if (s_Hooks.pfnStageSwitch)
            s_Hooks.pfnStageSwitch();
        GameObj* root = Instantiate(stage, nullptr, nullptr);
        if (root) {
            if (Transform* transform = root->GetTransform())
                transform->UpdateWorldMatrices();
        } else {
            LOG_WARNING << "Stage " << stage << " could not be built; the scene is empty.";
        }
        m_pRoot = root;
    }

    StartPass();

    if (switched) {
        delete oldRoot;
        if (g_pSpriteBatch)
            g_pSpriteBatch->ResetFrame();
    }

    if (g_pTextureTable && g_pTextureTable->Update()) {
        // Loading took real time: none of it counts, and the rest of the frame stands still.
        ResetAppFramePacer();
        SetAppDeltaTime(0.0f);
    }

    WalkPass<eUpdatePass_Physics>([](Component* component) { component->PhysicsUpdate(); });
    if (s_Hooks.pfnMotion)
        s_Hooks.pfnMotion(*this);
    if (m_pMessageManager)
        m_pMessageManager->Deliver(GetAppDeltaTime());
    WalkPass<eUpdatePass_Update>([](Component* component) { component->Update(); });
    WalkPass<eUpdatePass_Late>([](Component* component) { component->LateUpdate(); });
}

void SceneManager::Draw()
{
    if (s_Hooks.pfnDraw)
        s_Hooks.pfnDraw(*this);
}

void SceneManager::Teardown()
{
    for (auto& entry : m_Prototypes)
        if (g_pScriptSystem)
            g_pScriptSystem->ReleaseContext(entry.second);
    m_Prototypes.clear();
    GameObj* root = m_pRoot;
    m_pRoot = nullptr;
    delete root;
    // What the component layers keep for the scene (the enemy machines belong to the
    // prototypes just released; the collision world).
    if (s_Hooks.pfnTeardown)
        s_Hooks.pfnTeardown();
    if (g_pComponentFactory) {
        delete g_pComponentFactory;
        g_pComponentFactory = nullptr;
    }
    delete m_pMessageManager;
    m_pMessageManager = nullptr;
}

GameObj* SceneManager::FindObjectByTag(NameId tag) const { return m_pRoot ? m_pRoot->FindActiveByTag(tag) : nullptr; }

GameObj* SceneManager::FindObjectByName(const std::string& name) const
{
    for (GameObj* object = m_pRoot; object; object = object->GetNext())
        if (object->GetObjectName() == name)
            return object;
    return nullptr;
}

void SceneManager::OnObjectDeleted(GameObj* object)
{
    if (!object || object != m_pRoot)
        return;
    LOG_ERROR << "The root of stage " << object->GetPrototypeName()
              << " was deleted while the stage ran; the scene is empty until the next stage.";
    m_pRoot = nullptr;
}
