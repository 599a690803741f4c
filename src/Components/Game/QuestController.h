// The director of one visit to a stage, on the stage's root: it places the player and the
// cameras when the stage starts and holds the quest's level, which the characters' stats read.
// The home stage (the quest "vididezare") places them at its own spot and may autosave.
#pragma once

#include <cstdint>

#include "System/Common/MathUtil.h"
#include "World/Component.h"

class ActorController;
struct QuestRecord;

enum QuestState : int32_t {
    eQuest_Start = 0,
    eQuest_Play,
    eQuest_Clear,
    eQuest_Leave,
};

// Where the home stage puts the player and the camera, from their prototype positions.
constexpr float kHomePlacementX = 732.0f;
constexpr float kHomePlacementY = 152.0f;

class QuestController : public Component {
public:
    static const ClassKey s_Class;

    explicit QuestController(GameObj* owner);

    // "initPlayerPos" {x, y} when present.
    bool Load(lua_State* L) override;
    // Empties the camera registry: this stage places its own cameras.
    bool Attach() override;
    bool IsKindOf(TypeKey key) const override;
    // Takes the current quest, places the player and the cameras, sets the levels (or, on the
    // home stage, autosaves). Without a current quest, or off the stage's root, an error and
    // nothing placed.
    void Start() override;

    // The player's spot on a quest stage: "initPlayerPos", else a random x over the areas
    // (128 from either end, rounded) at y 512.
    Vec2 ChoosePlayerPosition() const;

    Vec2 m_vInitPlayerPos = {0.0f, 0.0f};
    bool m_bHasInitPlayerPos = false;
    int32_t m_nState = eQuest_Start;
    int32_t m_nStep = 0;
    QuestRecord* m_pQuest = nullptr;
    GameObj* m_pPlayerObj = nullptr;
    // Nothing fills it; conditions and steering that read it find it empty.
    GameObj* m_pSecondObj = nullptr;
    ActorController* m_pPlayerActor = nullptr;
    Vec2 m_vLastPlayerPos = {0.0f, 0.0f};
    Component* m_pHud = nullptr;
    Component* m_pStatusBar = nullptr;
    Component* m_pObjective = nullptr;
    int32_t m_nQuestLevel = 0;
    uint32_t m_nNextTarget = 0;
    bool m_bHome = false;
    int32_t m_nOutcome = 0;
    float m_fStateTimer = 0.0f;
    uint32_t m_nSavedUpdateMask = 0;

private:
    void Place(const char* prototype, float dx, float dy);
};
