// The director of a boss stage: it spawns the current quest's boss and followers, clears away
// followers that died, and when the boss dies pays the quest's rewards, counts the clear and
// requests the boss's next stage.
//
// The scene owns the boss and the followers; the battle holds them by id.
#pragma once

#include <cstdint>
#include <vector>

#include "World/Component.h"

enum BossBattleState : int32_t {
    eBoss_Spawn = 0,
    eBoss_Battle,
};

struct BossFollowerSlot {
    int32_t id = -1;         // the follower's object, -1 when the slot is empty
    float timer = 0.0f;
    float respawn = -1.0f;   // the follower's "respawn" when above 0, else -1
};

class BossBattleController : public Component {
public:
    static const ClassKey s_Class;

    explicit BossBattleController(GameObj* owner);

    bool IsKindOf(TypeKey key) const override;
    // Spawn on the first frame (a quest without a boss disables the battle), then the battle
    // until the boss has died.
    void Update() override;

    int32_t m_nState = eBoss_Spawn;
    int32_t m_nStep = 0;
    int32_t m_nBossId = -1;
    std::vector<BossFollowerSlot> m_Followers;

private:
    int32_t StateSpawn();
    int32_t StateBattle();
};
