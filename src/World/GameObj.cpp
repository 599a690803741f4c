#include "World/GameObj.h"

#include <algorithm>

#include <lua.hpp>

#include "System/Common/Log.h"
#include "System/Lua/LuaTableReader.h"
#include "World/Component.h"
#include "World/ComponentFactory.h"
#include "World/IMessage.h"
#include "World/MessageManager.h"
#include "World/SceneManager.h"

int32_t g_nNextGameObjId = 0;
uint64_t g_nStartPassEvents = 0;

GameObj::GameObj(const std::string& prototypeName, MessageManager* messageManager)
    : m_nFlags(0),
      m_nLayer(0),
      m_anIdleComponents{},
      m_nId(g_nNextGameObjId++),
      m_pTransform(nullptr),
      m_pRenderer(nullptr),
      m_pCollider(nullptr),
      m_pKinematics(nullptr),
      m_pSpriteAnimation(nullptr),
      m_pActorController(nullptr),
      m_PrototypeName(prototypeName),
      m_nPrototypeNameId(HashName(prototypeName)),
      m_nTag(0),
      m_pMessageManager(messageManager),
      m_pFactory(g_pComponentFactory)
{
    if (m_pMessageManager)
        m_pMessageManager->RegisterHandler(this);
}

GameObj::~GameObj()
{
    // A root may be the scene's stage root: the scene must not keep walking a deleted tree.
    if (!GetParent() && g_pSceneManager)
        g_pSceneManager->OnObjectDeleted(this);
    DestroyChildren(this);
    DestroyComponents();
    if (GameObj* parent = GetParent())
        Unlink(this, parent);
    if (m_pMessageManager)
        m_pMessageManager->UnregisterHandler(this);
}

void GameObj::DestroyComponents()
{
    // In list order, each taken off the list once it is gone: a component being disabled or
    // detached may search the list, and must meet itself and the later ones, never a deleted one.
    // Places shift as components go: none counts as idle any more.
    for (uint32_t& idle : m_anIdleComponents)
        idle = 0;
    while (!m_Components.empty()) {
        Component* component = m_Components.front();
        ComponentFactory::Destroy(component);
        m_Components.erase(std::find(m_Components.begin(), m_Components.end(), component));
    }
}

Component* GameObj::AddComponent(const char* className, lua_State* L)
{
    if (!m_pFactory)
        return nullptr;
    Component* component = m_pFactory->Create(className, this);
    if (!component)
        return nullptr;
    if (L) {
        // Absent means enabled; a present value counts as the boolean reader reads it.
        bool enabled = true;
        if (LuaPushPath(L, "enabled")) {
            lua_pop(L, 1);
            enabled = LuaGetBoolField(L, "enabled");
        }
        if (enabled)
            component->SetFlags(eComponentFlag_Enabled);
        if (!component->Load(L)) {
            ComponentFactory::Destroy(component);
            return nullptr;
        }
    } else {
        component->SetFlags(eComponentFlag_Enabled);
    }
    if (!component->Attach()) {
        ComponentFactory::Destroy(component);
        return nullptr;
    }
    m_Components.push_back(component);
    const size_t index = m_Components.size() - 1;
    if (index < 32)
        for (int pass = 0; pass < eUpdatePass_Count; ++pass)
            if (component->GetIdlePasses() & (1u << pass))
                m_anIdleComponents[pass] |= 1u << index;
    return component;
}

Component* GameObj::GetComponent(TypeKey key) const
{
    for (Component* component : m_Components)
        if (component->IsKindOf(key))
            return component;
    return nullptr;
}

Component* GameObj::GetComponentInChildren(TypeKey key) const
{
    const GameObj* end = GetNextSkippingSubtree();
    for (const GameObj* obj = this; obj != end; obj = obj->GetNext())
        if (Component* component = obj->GetComponent(key))
            return component;
    return nullptr;
}

GameObj* GameObj::FindActiveByTag(NameId tag)
{
    GameObj* end = GetNextSkippingSubtree();
    for (GameObj* obj = this; obj != end; obj = obj->GetNext())
        if (obj->IsActive() && obj->m_nTag == tag)
            return obj;
    return nullptr;
}

void GameObj::Activate()
{
    if (IsActive())
        return;
    m_nFlags |= eGameObjFlag_Active;
    ++g_nStartPassEvents;
    GameObj* end = GetNextSkippingSubtree();
    for (GameObj* obj = this; obj != end; obj = obj->GetNext())
        for (size_t i = 0; i < obj->m_Components.size(); ++i)
            if (obj->m_Components[i]->IsLive())
                obj->m_Components[i]->OnEnable();
}

void GameObj::Deactivate()
{
    if (!IsActive())
        return;
    m_nFlags &= ~eGameObjFlag_Active;
    GameObj* end = GetNextSkippingSubtree();
    for (GameObj* obj = this; obj != end; obj = obj->GetNext())
        for (size_t i = 0; i < obj->m_Components.size(); ++i)
            if (obj->m_Components[i]->IsLive())
                obj->m_Components[i]->OnDisable();
}

void GameObj::SetParent(GameObj* parent)
{
    if (parent && parent->IsInSubtreeOf(this)) {
        LOG_ERROR << "Object \"" << m_PrototypeName << "\" cannot move under its own subtree.";
        return;
    }
    ++g_nStartPassEvents;
    if (GameObj* old = GetParent())
        Unlink(this, old);
    if (!parent) {
        MakeRoot(this);
        return;
    }
    InsertBefore(this, parent->GetFirstChild(), parent);
}

void GameObj::SendMessage(IMessage* message)
{
    if (!IsActive())
        return;
    // By index: a handler may add a component to its own object.
    for (size_t i = 0; i < m_Components.size(); ++i)
        if (m_Components[i]->IsLive())
            m_Components[i]->OnMessage(message);
    if (!message->IsBroadcast())
        return;
    for (GameObj* child = GetFirstChild(); child; child = child->GetNextSibling())
        child->SendMessage(message);
}

void GameObj::PostMessage(IMessage* message, float delay)
{
    if (!m_pMessageManager) {
        LOG_ERROR << "Object \"" << m_PrototypeName << "\" has no message manager; " << message->Describe()
                  << " dropped.";
        delete message;
        return;
    }
    message->SetTarget(this);
    message->SetDeliveryTime(m_pMessageManager->GetClock() + delay);
    m_pMessageManager->AddPending(message);
}
