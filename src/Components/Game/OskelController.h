// A two-stage fight over two enemies of its own subtree: the one tagged "Oskel" must fall first;
// then, in slow motion behind white fades, the one tagged "LiberatedOskel" takes its place, and
// its fall pays the player its experience and ends the event.
#pragma once

#include <cstdint>

#include "World/Component.h"

class ActorController;
class EnemyController;
class HealthController;

// The slow motion of the event's defeats.
constexpr float kOskelTimeScale = 0.35f;
// Each defeat flashes white: a rise to white in slow motion (game time, so about 0.57 s on the
// clock), the swap behind the full white, and a quick clear. Longer fades kept the screen nearly
// white for over half a second, hiding the fight; these leave it so for a few frames.
constexpr float kOskelFlashRise = 0.2f;
constexpr float kOskelFlashClear = 0.3f;

class OskelController : public Component {
public:
    static const ClassKey s_Class;

    explicit OskelController(GameObj* owner);

    bool IsKindOf(TypeKey key) const override;
    // Finds both tagged objects (first active in pre-order), keeps them on while off screen and
    // hides the second with its parent. Either one missing (or without an enemy controller) is
    // an error and the controller disables itself: the event cannot run.
    void Start() override;
    // Runs the phase; a phase returns the next one (-1: stay), which starts at step 0.
    void Update() override;

    int32_t m_nPhase = 0;
    int32_t m_nStep = 0;
    // Ids: both objects belong to the scene and the event never outlives a lookup failing.
    int32_t m_nOskelId = -1;
    int32_t m_nLiberatedId = -1;

private:
    int32_t RunPhase0();
    int32_t RunPhase1();
    GameObj* Oskel() const;
    GameObj* Liberated() const;
    void HoldPlayerInvincible(bool hold);
    void SetQuestEnabled(bool enabled);
};

// True when the screen fade is idle or has reached its end (no fader: always).
bool ScreenFadeSettled();
