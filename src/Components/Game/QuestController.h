// The director of one visit to a stage, on the stage's root: it places the player and the
// cameras when the stage starts and holds the quest's level, which the characters' stats read.
// Then it runs the visit: fade-in, play (menus, HUD copies, success, death, giving up), the
// report and its rewards, and the fade-out that requests the next stage. The home stage (the
// quest "vididezare") places them at its own spot, may autosave and leaves for the quest chosen
// on its quest-select screen.
#pragma once

#include <cstdint>

#include "System/Common/MathUtil.h"
#include "World/Component.h"

class ActorController;
class MsgUIEvent;
class MsgUIResult;
struct QuestRecord;

enum QuestState : int32_t {
    eQuest_Start = 0,
    eQuest_Play,
    eQuest_Clear,
    eQuest_Leave,
};

enum QuestOutcome : int32_t {
    eOutcome_None = 0,
    eOutcome_Success = 1, // or a leave chosen on the home stage
    eOutcome_Dead = 2,
    eOutcome_GiveUp = 3,
};

// The scene's update masks of the quest flow: a menu up updates only its layer (bit 11); a
// chosen leave keeps only the talk layer (bit 7) still.
constexpr uint32_t kMenuUpdateMask = 0x800;
constexpr uint32_t kLeaveUpdateMask = 0x7FFFFF7F;
constexpr uint32_t kFullUpdateMask = 0x7FFFFFFF;
// Seconds from the player's death to the leave.
constexpr float kDeathLeaveDelay = 2.2f;

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
    // The state, then the player's horizontal distance and the play time.
    void Update() override;
    // Menu results ("StartQuest", "CloseWindow") and the menus' Open and Close events.
    void OnMessage(IMessage* message) override;

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
    // The characters of the stage's own prototype attached while it was built, when the old
    // stage was still the root: they read their stats again at this stage's level, before any
    // of them starts.
    void RefreshPlacedStats();
    int32_t RunState(float dt);
    int32_t StateStart();
    int32_t StatePlay(float dt);
    int32_t StateClear();
    int32_t StateLeave();
    // Select and Start open their menus; the lock is set only when one opened.
    void MenuButtons();
    // The player's hit points and power into the status bar; `first` also sets the previous
    // life, so that the first copy shows no change.
    void CopyStatus(bool first);
    void OnResult(const MsgUIResult& result);
    void OnPanelEvent(const MsgUIEvent& event);
    // A menu up: the stage stands still. The mask is saved once, restored only when saved.
    void PauseForMenu();
    void ResumeFromMenu();
};
