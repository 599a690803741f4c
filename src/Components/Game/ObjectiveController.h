// The director of a quest stage, beside its QuestController on the stage's root: it paces the
// ordinary enemies in waves by an intensity that rises with each spawn and falls with each
// kill, spawns the quest's objective targets at their times and at most one stranger, removes
// the defeated and pays for them, keeps the HUD's target counts, and completes the stage when
// the last target falls.
//
// Spawned objects belong to the scene; the director holds them by id, so one deleted by other
// means simply drops out of its list.
#pragma once

#include <cstdint>
#include <vector>

#include "System/Common/MathUtil.h"
#include "System/Common/NameHash.h"
#include "World/Component.h"

class UIHudQuestTarget;
struct QuestObjective;
struct QuestRecord;

enum DirectorState : int32_t {
    eDirector_Init = 0,
    eDirector_BuildUp,
    eDirector_SustainPeak,
    eDirector_PeakFade,
    eDirector_Relax,
    eDirector_Complete,
};

struct ObjectiveSpawnTime {
    float time = 0.0f;
    int32_t count = 0;
    bool done = false;
};

// One HUD row: the objectives sharing an icon.
struct ObjectiveKind {
    NameId icon = 0;
    int32_t remaining = 0;
    const QuestObjective* first = nullptr; // its prototype spawns for every entry of the icon
    std::vector<ObjectiveSpawnTime> times;
};

// The offsets from the player where spawns appear, in the order the shuffle starts from.
constexpr int32_t kSpawnPointCount = 20;
extern const Vec2 kSpawnOffsets[kSpawnPointCount];

// The name of the effect that marks the last target's fall; the completion waits for it.
extern const char* const kLastTargetEffect;

class ObjectiveController : public Component {
public:
    static const ClassKey s_Class;

    explicit ObjectiveController(GameObj* owner);

    // The tuning keys; absent keys keep their defaults. Never fails.
    bool Load(lua_State* L) override;
    void Detach() override;
    bool IsKindOf(TypeKey key) const override;
    // Takes the current quest; state, timers and intensity from 0.
    void Start() override;
    // The state, the decay while no mob is on screen, then spawns and upkeep; the last target's
    // fall completes the stage in the same frame.
    void Update() override;

    // One mob when the accumulated time passes the interval (once however many passed); true
    // when one spawned.
    bool TickSpawn(float dt);
    // The interval of a spawn state; the accumulator keeps only what is below it.
    void SetSpawnInterval(float interval);
    // n shuffled spawn points (at most 20) around the player; none without a player actor.
    std::vector<Vec2> ChooseSpawnPoints(int32_t n);
    void AddIntensity(float amount);

    // Tuning.
    float m_fRelaxTimeMin = 30.0f;
    float m_fRelaxTimeMax = 45.0f;
    float m_fSustainPeakTimeMin = 3.0f;
    float m_fSustainPeakTimeMax = 5.0f;
    float m_fBuildUpSpawnFrequency = 0.5f;
    float m_fSustainPeakSpawnFrequency = 0.5f;
    float m_fPeakFadeSpawnFrequency = 0.0f; // read and kept; the fade keeps the peak's interval
    float m_fRelaxSpawnFrequency = 3.5f;
    float m_fIntensityMax = 100.0f;
    float m_fIntensityDecaySpeed = 0.8f;
    float m_fEnemyThreat = 13.0f;
    uint8_t m_nNoticeHuntCount = 20;

    // Run time.
    UIHudQuestTarget* m_pQuestTarget = nullptr;
    QuestRecord* m_pQuest = nullptr;
    int32_t m_nState = eDirector_Init;
    int32_t m_nStep = 0;
    float m_fStateTimer = 0.0f;
    float m_fSpawnAccumulator = 0.0f;
    float m_fElapsed = 0.0f;
    float m_fIntensity = 0.0f;
    // Written by a HealthController with "updateIntensity": the player's missing health.
    float m_fIntensityFloor = 0.0f;
    float m_fRelaxTime = 0.0f;
    float m_fSustainTime = 0.0f;
    float m_fSpawnInterval = 0.0f;
    int32_t m_nLiveSpawnCount = 0;
    std::vector<ObjectiveKind> m_Kinds; // in order of first sight
    struct LiveTarget {
        NameId icon;
        int32_t id;
    };
    std::vector<LiveTarget> m_Targets;
    std::vector<int32_t> m_Mobs;
    float m_fStrangerTime = 0.0f;
    bool m_bStrangerDone = true;
    std::vector<int32_t> m_Strangers;
    int32_t m_nTargetsLeft = 0;
    int32_t m_nLastEffectId = -1; // the last target's death effect; -1 when none was made
    bool m_bComplete = false;
    NameId m_nLastDefeatedName = 0;
    int32_t m_nDefeatRun = 0;

private:
    int32_t RunState(float dt);
    int32_t StateInit();
    int32_t StateBuildUp(float dt);
    int32_t StateSustainPeak(float dt);
    int32_t StatePeakFade(float dt);
    int32_t StateRelax(float dt);
    int32_t StateComplete();

    bool AnyMobOnScreen() const;
    void SpawnTimedObjectives();
    // Takes targets that could not be made out of the kind's and the total count (ERROR).
    void DropUnmadeTargets(ObjectiveKind& kind, int32_t missing);
    void StrangerArrival();
    void MobUpkeep();
    void StrangerUpkeep();
    bool TargetUpkeep();
    void Complete();

    // A spawned enemy of the director: under its object at the point, kept on screen when asked.
    GameObj* SpawnEnemy(const std::string& name, const Vec2& at, bool keepOffscreen, const char* role);
    void Remove(GameObj* object);
    // The dead effect under the director at the object's place; the new effect's id or -1.
    int32_t SpawnDeadEffect(GameObj* object, const std::string& effect);
    void CountDefeat(GameObj* object, bool mobOrStranger);
    ObjectiveKind* FindKind(NameId icon);
};
