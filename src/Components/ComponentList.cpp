#include "Components/ComponentList.h"

#include "Components/Core/CoreComponents.h"
#include "Components/Core/CoreConditions.h"
#include "Components/Game/GameComponents.h"
#include "Components/Game/GameConditions.h"
#include "Components/UI/UIComponents.h"
#include "World/ComponentFactory.h"

void RegisterComponentList(ComponentFactory& factory)
{
    RegisterCoreComponents(factory);
    RegisterGameComponents(factory);
    RegisterUIComponents(factory);
}

void InstallComponents()
{
    ComponentFactory::SetComponentList(&RegisterComponentList);
    RegisterCoreConditionKinds();
    RegisterGameConditionKinds();
}
