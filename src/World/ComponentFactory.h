// Turns a class name from the data into a new component for an object. One instance per
// scene lifetime (g_pComponentFactory) holds a creator for every component class.
#pragma once

#include <cstddef>
#include <unordered_map>

#include "World/Component.h"
#include "World/TypeKey.h"

class GameObj;

class ComponentFactory {
public:
    typedef Component* (*Creator)(GameObj* owner);

    ComponentFactory() = default;
    ComponentFactory(const ComponentFactory&) = delete;
    ComponentFactory& operator=(const ComponentFactory&) = delete;
    virtual ~ComponentFactory() = default;

    // Registers every component class, in the game's fixed order: the transform, then the list
    // installed below (the component folders sit above this one, so they install their list).
    virtual void RegisterAll();
    static void SetComponentList(void (*registerList)(ComponentFactory& factory));
    // A key already present keeps its first creator and its place in the order.
    void RegisterClass(TypeKey key, Creator creator);
    template <class T>
    void RegisterClass()
    {
        RegisterClass(T::s_Class.Key, [](GameObj* owner) -> Component* {
            Component* component = new T(owner);
            component->SetIdlePasses(Component::IdlePassesOf<T>());
            return component;
        });
    }

    // A new component of the named class for the owner; null (silently) for an unknown name.
    // Names are hashed exactly, so letter case matters.
    Component* Create(const char* className, GameObj* owner) const;
    // Clears the enabled bit (OnDisable when the owner is active), detaches and deletes.
    static void Destroy(Component* component);

    // The class's place in the registration order (0 for the first), or -1 when unknown. Objects
    // make their components in this order, whatever order the data lists them in.
    int GetRegistrationIndex(TypeKey key) const;

    size_t GetClassCount() const { return m_Creators.size(); }

private:
    struct Registration {
        Creator creator;
        int index;
    };
    std::unordered_map<TypeKey, Registration> m_Creators;
    static void (*s_pfnRegisterList)(ComponentFactory& factory);
};

extern ComponentFactory* g_pComponentFactory;
