#include "World/ComponentFactory.h"

#include "World/Component.h"
#include "World/GameObj.h"
#include "World/Transform.h"

ComponentFactory* g_pComponentFactory = nullptr;
void (*ComponentFactory::s_pfnRegisterList)(ComponentFactory& factory) = nullptr;

void ComponentFactory::RegisterAll()
{
    // The order is the game's: the transform, then the component folders' lists in the order the
    // installed list calls them.
    RegisterClass<Transform>();
    if (s_pfnRegisterList)
        s_pfnRegisterList(*this);
}

void ComponentFactory::SetComponentList(void (*registerList)(ComponentFactory& factory))
{
    s_pfnRegisterList = registerList;
}

void ComponentFactory::RegisterClass(TypeKey key, Creator creator)
{
    m_Creators.emplace(key, Registration{creator, static_cast<int>(m_Creators.size())});
}

Component* ComponentFactory::Create(const char* className, GameObj* owner) const
{
    auto it = m_Creators.find(HashName(className ? className : ""));
    if (it == m_Creators.end())
        return nullptr;
    return it->second.creator(owner);
}

int ComponentFactory::GetRegistrationIndex(TypeKey key) const
{
    auto it = m_Creators.find(key);
    return it == m_Creators.end() ? -1 : it->second.index;
}

void ComponentFactory::Destroy(Component* component)
{
    if (!component)
        return;
    if (component->IsEnabled()) {
        component->ClearFlags(eComponentFlag_Enabled);
        if (component->GetOwner()->IsActive())
            component->OnDisable();
    }
    component->Detach();
    delete component;
}
