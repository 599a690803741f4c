#include "Components/Game/GameSceneHooks.h"

#include "Components/Game/EnemyController.h"

void GameScenePrototypeLoaded(const std::string& name, lua_State* thread)
{
    LoadEnemyStateMachine(name, g_EnemyStateMachineCache, thread);
}

void GameSceneTeardown() { g_EnemyStateMachineCache.Destroy(); }
