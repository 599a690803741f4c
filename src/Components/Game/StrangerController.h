// A visiting character on top of an enemy: it switches the music to its theme, stays a while,
// then walks off by its exit state and brings the stage music back. Every hit on it pays the
// player its extra experience.
#pragma once

#include <cstdint>
#include <string>

#include "System/Common/NameHash.h"
#include "World/Component.h"

class EnemyController;

// How far from the camera (squared, 768 units) a leaving stranger is gone.
constexpr float kStrangerGoneDistanceSq = 589824.0f;

class StrangerController : public Component {
public:
    static const ClassKey s_Class;

    explicit StrangerController(GameObj* owner);

    // "themeSong" (asset name), "duration" (seconds, or {a, b}: a random time between, drawn
    // here once), "extraExp" (a number, or {a, b}: a random whole number between), "exitState"
    // (the enemy state it leaves by; absent: the state named "exitState"). Never fails.
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    // Caches the enemy controller, the stage music (the scene root's MusicPlayer track) and
    // scales the extra experience by the saved stat levels (sum / 6 + 1).
    void Start() override;
    // Step 0 starts the theme afresh; step 1 waits out the stay, then enters the exit state and
    // stops colliding; step 2 deactivates it once 768 units from the camera, restoring the
    // stage music unless it is already playing.
    void Update() override;

    // What one hit on the stranger pays.
    int32_t GetExtraExperience() const { return m_nExtraExp; }
    // The stage music it took over (0: none), for whoever removes it early.
    NameId GetStageMusic() const { return m_nStageMusic; }

    NameId m_nThemeSong = 0;
    float m_fDuration = 0.0f;
    int32_t m_nExtraExp = 0;
    NameId m_nExitState = 0;
    NameId m_nStageMusic = 0;
    float m_fTimer = 0.0f;
    int32_t m_nStep = 0;

private:
    EnemyController* m_pEnemy = nullptr;
};

// Brings the stage music back as a stranger's departure does: nothing when it already plays,
// else the current music fades over the seconds and the stage track starts looping (a stage
// without music is left silent).
void RestoreStageMusic(NameId stageMusic, float fadeSeconds);

// A stranger of the quest made under the parent at a point: kept on while off screen. A name
// that builds nothing, or an object without an enemy controller (removed again), is an error
// naming the prototype and gives null.
GameObj* SpawnStranger(const std::string& name, GameObj* parent, float x, float y);

// The experience a hit on the victim pays (its StrangerController's), added to the play's
// statistic and the saved points, with an experience emitter at the victim. Nothing for a
// victim without one.
void PayStrangerExperience(GameObj* victim);
