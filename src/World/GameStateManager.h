// Holds the application's current game state and the one it replaced.
#pragma once

class IGameState;
class RenderSystem;

class GameStateManager {
public:
    explicit GameStateManager(RenderSystem* renderSystem);
    GameStateManager(const GameStateManager&) = delete;
    GameStateManager& operator=(const GameStateManager&) = delete;

    // Deletes the previous state; the current one leaves and becomes the previous one; a new
    // state of the id becomes current and is entered. Only the world state (id 0) exists: any
    // other id is refused with an error and changes nothing.
    void SwitchState(int stateId);
    // Deletes the previous state, leaves and deletes the current one, then the manager.
    static void Destroy(GameStateManager* manager);

    RenderSystem* GetRenderSystem() const { return m_pRenderSystem; }
    IGameState* GetCurrent() const { return m_pCurrent; }
    IGameState* GetPrevious() const { return m_pPrevious; }
    // Takes over a state as the current one (start-up enters it afterwards).
    void SetCurrent(IGameState* state) { m_pCurrent = state; }

private:
    ~GameStateManager();

    RenderSystem* m_pRenderSystem;
    IGameState* m_pCurrent;
    IGameState* m_pPrevious;
};
