// The base of every component: what an object is made of. A component belongs to one GameObj,
// takes part in the scene's passes while enabled, and is matched by class key (IsKindOf).
#pragma once

#include <cstdint>
#include <string>
#include <type_traits>

#include "System/Common/SlabAllocator.h"
#include "World/TypeKey.h"

struct lua_State;
struct CollisionInfo;
class GameObj;
class IMessage;

enum ComponentFlag : uint32_t {
    eComponentFlag_Started = 1u << 0, // the start pass ran OnEnable and Start
    eComponentFlag_Enabled = 1u << 1, // takes part in the passes
    eComponentFlag_Visible = 1u << 2, // renderers: counted as in view
    eComponentFlag_Renderer = 1u << 3, // set by the renderer base: the draw pass collects it
};

// The update passes the scene walks over each object's components, in this order each frame.
enum UpdatePass : int {
    eUpdatePass_Physics = 0,
    eUpdatePass_Update = 1,
    eUpdatePass_Late = 2,
    eUpdatePass_Count = 3,
};


// From the object slabs: the parts of objects made one after another sit together in memory,
// in the order the scene's walks read them.
class Component : public ObjectSlabAllocated {
public:
    Component(GameObj* owner, const ClassKey& classKey);
    Component(const Component&) = delete;
    Component& operator=(const Component&) = delete;

    // Reads the parameters from the table on top of the thread's stack. False: creation fails.
    virtual bool Load(lua_State* L);
    // Joins the owner (caches itself in it, for example). False: creation fails.
    virtual bool Attach();
    virtual void Detach();
    // True for the class's own key and for the keys of the bases it counts itself as.
    virtual bool IsKindOf(TypeKey key) const = 0;
    virtual void Start();
    virtual void PhysicsUpdate();
    virtual void Update();
    virtual void LateUpdate();
    virtual void OnEnable();
    virtual void OnDisable();
    virtual void OnCollisionEnter(const CollisionInfo& info);
    virtual void OnCollisionStay(const CollisionInfo& info);
    virtual void OnCollisionExit(const CollisionInfo& info);
    virtual void OnBecameVisible();
    virtual void OnBecameInvisible();
    virtual void OnMessage(IMessage* message);
    virtual ~Component();

    // Sets the enabled bit; OnEnable runs at once when the owner is active (started or not).
    void Enable();
    // Clears the enabled bit; OnDisable runs at once when the owner is active.
    void Disable();

    GameObj* GetOwner() const { return m_pOwner; }
    uint32_t GetFlags() const { return m_nFlags; }
    bool HasFlags(uint32_t flags) const { return (m_nFlags & flags) == flags; }
    // A component left enabled and not started marks its owner, so that the scene's start pass
    // looks at the objects that have such components and passes the others over.
    void SetFlags(uint32_t flags)
    {
        m_nFlags |= flags;
        NoteIfUnstarted();
    }
    void ClearFlags(uint32_t flags)
    {
        m_nFlags &= ~flags;
        NoteIfUnstarted();
    }
    bool IsEnabled() const { return HasFlags(eComponentFlag_Enabled); }
    bool IsStarted() const { return HasFlags(eComponentFlag_Started); }
    // Enabled and started: what every pass and message delivery asks of a component.
    bool IsLive() const { return HasFlags(eComponentFlag_Enabled | eComponentFlag_Started); }
    TypeKey GetTypeKey() const { return m_nTypeKey; }
    const std::string& GetClassName() const { return *m_pClassName; }

    // Bit (1 << pass) set: the component's class keeps the base's empty pass, so the scene's
    // walk of that pass never needs to look at it. Set by the factory; none by default.
    uint32_t GetIdlePasses() const { return m_nIdlePasses; }
    void SetIdlePasses(uint32_t passes) { m_nIdlePasses = static_cast<uint8_t>(passes); }
    // The idle passes of a class: a pass that neither it nor a base between it and Component
    // declares is the base's, which does nothing.
    template <class T>
    static constexpr uint32_t IdlePassesOf()
    {
        uint32_t passes = 0;
        if constexpr (std::is_same_v<decltype(&T::PhysicsUpdate), void (Component::*)()>)
            passes |= 1u << eUpdatePass_Physics;
        if constexpr (std::is_same_v<decltype(&T::Update), void (Component::*)()>)
            passes |= 1u << eUpdatePass_Update;
        if constexpr (std::is_same_v<decltype(&T::LateUpdate), void (Component::*)()>)
            passes |= 1u << eUpdatePass_Late;
        return passes;
    }

private:
    void NoteIfUnstarted()
    {
        if ((m_nFlags & (eComponentFlag_Enabled | eComponentFlag_Started)) == eComponentFlag_Enabled)
            MarkOwnerUnstarted();
    }
    void MarkOwnerUnstarted();

    GameObj* m_pOwner;
    uint32_t m_nFlags;
    TypeKey m_nTypeKey;
    // The class key's, in static storage.
    const std::string* m_pClassName;
    uint8_t m_nIdlePasses = 0;
};
