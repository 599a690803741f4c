#include "World/GameStateManager.h"

#include "System/Common/Log.h"
#include "World/WorldState.h"

GameStateManager::GameStateManager(RenderSystem* renderSystem)
    : m_pRenderSystem(renderSystem), m_pCurrent(nullptr), m_pPrevious(nullptr)
{
}

GameStateManager::~GameStateManager() = default;

void GameStateManager::SwitchState(int stateId)
{
    if (stateId != WorldState::kStateId) {
        LOG_ERROR << "There is no game state " << stateId << "; the current state stays.";
        return;
    }
    delete m_pPrevious;
    m_pPrevious = m_pCurrent;
    if (m_pPrevious)
        m_pPrevious->Leave();
    m_pCurrent = new WorldState;
    m_pCurrent->Enter();
}

void GameStateManager::Destroy(GameStateManager* manager)
{
    if (!manager)
        return;
    delete manager->m_pPrevious;
    manager->m_pPrevious = nullptr;
    if (manager->m_pCurrent) {
        manager->m_pCurrent->Leave();
        delete manager->m_pCurrent;
        manager->m_pCurrent = nullptr;
    }
    delete manager;
}
