#include "World/Component.h"

#include "World/GameObj.h"

Component::Component(GameObj* owner, const ClassKey& classKey)
    : m_pOwner(owner), m_nFlags(0), m_nTypeKey(classKey.Key), m_pClassName(&classKey.Text)
{
}

Component::~Component() = default;

void Component::MarkOwnerUnstarted()
{
    if (m_pOwner)
        m_pOwner->SetFlags(eGameObjFlag_HasUnstarted);
}

bool Component::Load(lua_State*) { return true; }
bool Component::Attach() { return true; }
void Component::Detach() {}
void Component::Start() {}
void Component::PhysicsUpdate() {}
void Component::Update() {}
void Component::LateUpdate() {}
void Component::OnEnable() {}
void Component::OnDisable() {}
void Component::OnCollisionEnter(const CollisionInfo&) {}
void Component::OnCollisionStay(const CollisionInfo&) {}
void Component::OnCollisionExit(const CollisionInfo&) {}
void Component::OnBecameVisible() {}
void Component::OnBecameInvisible() {}
void Component::OnMessage(IMessage*) {}

void Component::Enable()
{
    if (IsEnabled())
        return;
    SetFlags(eComponentFlag_Enabled);
    if (m_pOwner->IsActive())
        OnEnable();
}

void Component::Disable()
{
    if (!IsEnabled())
        return;
    ClearFlags(eComponentFlag_Enabled);
    if (m_pOwner->IsActive())
        OnDisable();
}
