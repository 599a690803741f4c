#include "Components/ComponentList.h"

#include "Components/Core/CoreComponents.h"
#include "Components/Core/CoreConditions.h"
#include "Components/Core/CoreScenePasses.h"
#include "Components/Game/GameComponents.h"
#include "Components/Game/GameConditions.h"
#include "Components/Game/GameSceneHooks.h"
#include "Components/UI/UIComponents.h"
#include "World/ComponentFactory.h"
#include "World/SceneManager.h"

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
    SceneHooks hooks;
    hooks.pfnInit = &CoreSceneInit;
    hooks.pfnPrototypeLoaded = &GameScenePrototypeLoaded;
    hooks.pfnStageSwitch = &CoreStageSwitch;
    hooks.pfnMotion = &CoreMotionPass;
    hooks.pfnDraw = &CoreDrawPass;
    // The machines belong to the prototypes, which the scene has released by then; the
    // collision world goes last, as before.
    hooks.pfnTeardown = [] {
        GameSceneTeardown();
        CoreSceneTeardown();
    };
    SceneManager::SetHooks(hooks);
}
