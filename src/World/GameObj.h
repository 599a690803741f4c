// A thing in a stage: a node of the scene's object tree carrying an ordered list of
// components, and the receiver of the messages aimed at it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "System/Common/NameHash.h"
#include "System/Common/SlabAllocator.h"
#include "World/IMessageHandler.h"
#include "World/Component.h"
#include "World/TreeNode.h"
#include "World/TypeKey.h"

struct lua_State;
class ActorController;
class Collider;
class Component;
class ComponentFactory;
class IMessage;
class Kinematics;
class MessageManager;
class Renderer;
class SpriteAnimation;
class Transform;

enum GameObjFlag : uint32_t {
    eGameObjFlag_Active = 1u << 0,
    eGameObjFlag_PendingRemoval = 1u << 1, // scheduled for removal by a message
    eGameObjFlag_HasUnstarted = 1u << 2,   // may hold an enabled component not started yet
};

// An object's components, in order; the list's storage comes from the object slabs, beside the
// components of the objects made about the same time.
typedef std::vector<Component*, ObjectSlabAllocator<Component*>> ComponentList;

// Ids come from this process-wide counter and are never reused.
extern int32_t g_nNextGameObjId;
// Counts the events after which the start pass may find work: a component marked as waiting
// to start, an object activated, moved or given another layer. A scene that sees the count
// unchanged since its last start pass skips the walk.
extern uint64_t g_nStartPassEvents;

// From the object slabs, as its components are.
class GameObj : public IMessageHandler, public TreeNode<GameObj>, public ObjectSlabAllocated {
public:
    // Registers the new object with the manager (which may be null for a loose object).
    GameObj(const std::string& prototypeName, MessageManager* messageManager);
    // Deletes the children's subtrees, then the components, unlinks from the parent and
    // unregisters, which also deletes the messages still pending for this object.
    ~GameObj() override;

    // Creates a component by class name through the object's factory. With a table on top of
    // L, its "enabled" field (absent = true) and Load apply; without one, the component is
    // enabled and not loaded. Null when the class is unknown or Load or Attach fails.
    Component* AddComponent(const char* className, lua_State* L);
    // The first component, in list order, that answers to the key.
    Component* GetComponent(TypeKey key) const;
    // The same over this object and then its whole subtree in pre-order, active or not.
    Component* GetComponentInChildren(TypeKey key) const;
    // The first active object of the subtree (this one included) in pre-order with the tag.
    // An inactive object is passed over alone: its descendants are still searched.
    GameObj* FindActiveByTag(NameId tag);

    // Setting the active bit calls OnEnable, clearing it OnDisable, on every enabled and
    // started component of the whole subtree; the descendants' own bits are left alone.
    void Activate();
    void Deactivate();

    // Moves the object with its subtree to be the first child of the new parent; null makes
    // it a root. A move under its own subtree is refused, as it would cut the tree into a loop.
    void SetParent(GameObj* parent);

    int32_t GetId() const override { return m_nId; }
    // To the enabled and started components of an active object, and down the active part of
    // the subtree when the message is a broadcast.
    void SendMessage(IMessage* message) override;
    // Aims the message at this object, due after the delay on the manager's clock; the
    // manager owns it from now on.
    void PostMessage(IMessage* message, float delay);

    const std::string& GetPrototypeName() const { return m_PrototypeName; }
    NameId GetPrototypeNameId() const { return m_nPrototypeNameId; }
    const std::string& GetObjectName() const { return m_ObjectName; }
    void SetObjectName(const std::string& name) { m_ObjectName = name; }
    NameId GetTag() const { return m_nTag; }
    void SetTag(NameId tag) { m_nTag = tag; }
    uint32_t GetLayer() const { return m_nLayer; }
    void SetLayer(uint32_t layer)
    {
        m_nLayer = layer;
        ++g_nStartPassEvents;
    }
    uint32_t GetFlags() const { return m_nFlags; }
    void SetFlags(uint32_t flags)
    {
        m_nFlags |= flags;
        if (flags & eGameObjFlag_HasUnstarted)
            ++g_nStartPassEvents;
    }
    void ClearFlags(uint32_t flags) { m_nFlags &= ~flags; }
    bool IsActive() const { return (m_nFlags & eGameObjFlag_Active) != 0; }
    MessageManager* GetMessageManager() const { return m_pMessageManager; }
    ComponentFactory* GetFactory() const { return m_pFactory; }
    const ComponentList& GetComponents() const { return m_Components; }
    // Bit i set: component i (of the first 32) is idle in the update pass.
    uint32_t GetIdleComponents(int pass) const { return m_anIdleComponents[pass]; }

    // Slots the components fill at Attach and clear at Detach; the object never fills them.
    Transform* GetTransform() const { return m_pTransform; }
    void SetTransform(Transform* transform) { m_pTransform = transform; }
    Renderer* GetRenderer() const { return m_pRenderer; }
    void SetRenderer(Renderer* renderer) { m_pRenderer = renderer; }
    Collider* GetCollider() const { return m_pCollider; }
    void SetCollider(Collider* collider) { m_pCollider = collider; }
    Kinematics* GetKinematics() const { return m_pKinematics; }
    void SetKinematics(Kinematics* kinematics) { m_pKinematics = kinematics; }
    SpriteAnimation* GetSpriteAnimation() const { return m_pSpriteAnimation; }
    void SetSpriteAnimation(SpriteAnimation* animation) { m_pSpriteAnimation = animation; }
    ActorController* GetActorController() const { return m_pActorController; }
    void SetActorController(ActorController* actor) { m_pActorController = actor; }

private:
    void DestroyComponents();

    // Right after the links: the fields every pass and delivery reads, then the slots the
    // components look each other up by, so that a walk reads the fewest lines of an object.
    uint32_t m_nFlags;
    uint32_t m_nLayer;
    ComponentList m_Components;
    uint32_t m_anIdleComponents[eUpdatePass_Count];
    int32_t m_nId;
    Transform* m_pTransform;
    Renderer* m_pRenderer;
    Collider* m_pCollider;
    Kinematics* m_pKinematics;
    SpriteAnimation* m_pSpriteAnimation;
    ActorController* m_pActorController;
    std::string m_PrototypeName;
    NameId m_nPrototypeNameId;
    std::string m_ObjectName;
    NameId m_nTag;
    MessageManager* m_pMessageManager;
    ComponentFactory* m_pFactory;
};
