#include "Components/Game/QuestController.h"

#include <algorithm>
#include <cmath>

#include <lua.hpp>

#include "Components/Core/Camera2D.h"
#include "Components/Game/ActorController.h"
#include "Components/Game/HealthController.h"
#include "Components/Game/ObjectiveController.h"
#include "Components/Game/PlayerPad.h"
#include "Components/Game/PowerController.h"
#include "Components/Game/StatusParameter.h"
#include "Components/Game/TalkChannel.h"
#include "Components/UI/UIHud.h"
#include "Components/UI/UIRoot.h"
#include "Components/UI/UIUpgradeParameter.h"
#include "System/Common/AppControl.h"
#include "System/Common/FrameCounter.h"
#include "System/Common/GameSettings.h"
#include "System/Common/Log.h"
#include "System/Common/NameHash.h"
#include "System/Common/Random.h"
#include "System/Graphics/ScreenFader.h"
#include "System/Lua/LuaTableReader.h"
#include "System/Sound/SoundManager.h"
#include "World/GameObj.h"
#include "World/PlayStatistics.h"
#include "World/PlayerSaveData.h"
#include "World/QuestTable.h"
#include "World/SceneManager.h"
#include "World/Transform.h"

const ClassKey QuestController::s_Class("QuestController");

namespace {

const NameId kHome = HashName("vididezare");
const NameId kExitGame = HashName("ExitGame");
const NameId kStartQuest = HashName("StartQuest");
const NameId kCloseWindow = HashName("CloseWindow");
const NameId kPanelGiveUp = HashName("ui_giveup_yes_no");
const NameId kPanelSave = HashName("ui_save_yes_no");
const NameId kPanelExit = HashName("ui_exit_yes_no");
const NameId kPanelReport = HashName("ui_report");
const NameId kPanelUpgrade = HashName("ui_upgrade_parameter");
const NameId kPanelQuestSelect = HashName("ui_quest_select");
const NameId kChannelImmediate = HashName("ImmediateLisvet");
const NameId kChannelHomeBase = HashName("HomeBaseLisvet");

constexpr uint32_t kPadSelect = 0x8000;
constexpr uint32_t kPadStart = 0x4000;
constexpr float kFadeSeconds = 0.5f;
constexpr uint32_t kOpaqueBlack = 0xFF000000u;

void StartFade(uint16_t mode, uint32_t color, float duration)
{
    if (g_pScreenFader)
        g_pScreenFader->Start(mode, 0, color, duration);
}

bool FaderFading()
{
    return g_pScreenFader && g_pScreenFader->m_nMode != eScreenFade_Idle && g_pScreenFader->m_nMode != eScreenFade_Held;
}

// One group of lines, drawn at random, queued in order on the channel.
void QueueRandomGroup(const std::vector<std::vector<std::string>>& groups, NameId channel)
{
    if (groups.empty())
        return;
    const auto& lines = groups[RandomNext() % groups.size()];
    for (const std::string& line : lines)
        g_TalkChannelQueue.PushBack(channel, line);
}

} // namespace

QuestController::QuestController(GameObj* owner) : Component(owner, s_Class) {}

bool QuestController::Load(lua_State* L)
{
    if (LuaPushPath(L, "initPlayerPos")) {
        if (lua_istable(L, -1)) {
            m_vInitPlayerPos = {LuaGetFloatField(L, "x"), LuaGetFloatField(L, "y")};
            m_bHasInitPlayerPos = true;
        }
        lua_pop(L, 1);
    }
    return true;
}

bool QuestController::Attach()
{
    g_CameraRegistry.Clear();
    return true;
}

bool QuestController::IsKindOf(TypeKey key) const { return key == s_Class.Key; }

void QuestController::Place(const char* prototype, float dx, float dy)
{
    if (!g_pSceneManager)
        return;
    GameObj* obj = g_pSceneManager->Spawn(prototype, GetOwner(), dx, dy);
    if (!obj)
        LOG_ERROR << "QuestController of \"" << GetOwner()->GetPrototypeName() << "\": no prototype \"" << prototype
                  << "\" to place.";
}

void QuestController::RefreshPlacedStats()
{
    const GameObj* end = GetOwner()->GetNextSkippingSubtree();
    for (GameObj* object = GetOwner(); object != end; object = object->GetNext())
        if (auto* status = static_cast<StatusParameter*>(object->GetComponent(StatusParameter::s_Class.Key)))
            if (!status->m_bUsePlayerData)
                status->Refresh();
}

Vec2 QuestController::ChoosePlayerPosition() const
{
    if (m_bHasInitPlayerPos)
        return m_vInitPlayerPos;
    const int32_t areas = m_pQuest ? m_pQuest->m_nAreaCount : 0;
    const float x = RandomFloat(128.0f, static_cast<float>(areas) * 1024.0f - 128.0f);
    return {static_cast<float>(LuaTruncateToInt32(x + 0.5f)), 512.0f};
}

void QuestController::Start()
{
    g_PlayStatistics.Reset();
    m_pQuest = g_pQuestTable ? g_pQuestTable->m_pCurrentQuest : nullptr;
    UIRoot::AddListenerToAll(GetOwner());
    m_pObjective = GetOwner()->GetComponent(ObjectiveController::s_Class.Key);
    // Only the stage's own director places: one on a placed object would place again at every
    // start, without end when the player carries one.
    if (!g_pSceneManager || g_pSceneManager->GetRoot() != GetOwner()) {
        LOG_ERROR << "QuestController of \"" << GetOwner()->GetPrototypeName()
                  << "\" is not on the stage's root; it places nothing.";
        return;
    }
    if (!m_pQuest) {
        LOG_ERROR << "QuestController of \"" << GetOwner()->GetPrototypeName()
                  << "\": no current quest; nothing is placed.";
        return;
    }
    m_bHome = m_pQuest->m_nKey == HashName("vididezare");
    if (m_bHome) {
        RefreshPlacedStats();
        Place("gameobj_player_pemba", kHomePlacementX, kHomePlacementY);
        Place("camera", kHomePlacementX, kHomePlacementY);
        Place("ui_camera", 0.0f, 0.0f);
        if (GetAppSettings() && GetAppSettings()->m_bAutoSave)
            g_PlayerSaveData.Write("QMSave.sav");
    } else {
        const int32_t clears = static_cast<int32_t>(g_PlayerSaveData.GetQuestClearCount(m_pQuest->m_nKey));
        m_nQuestLevel = m_pQuest->m_nInitialLevel + clears - 1;
        g_PlayStatistics.m_nLevel = m_pQuest->m_nInitialLevel + clears;
        RefreshPlacedStats();
        const Vec2 at = ChoosePlayerPosition();
        Place("gameobj_player_pemba", at.x, at.y);
        Place("camera", at.x, at.y);
        Place("ui_camera", 0.0f, 0.0f);
    }
    m_nOutcome = 0;
    g_nTalkEnableMask = 0x7FFFFFFF;
    SetAppTimeScale(1.0f);
}

void QuestController::Update()
{
    const float dt = GetAppDeltaTime();
    const int32_t next = RunState(dt);
    if (next >= 0) {
        m_nState = next;
        m_nStep = 0;
        m_fStateTimer = 0.0f;
    }
    // The player object is cleared when the player goes; its actor goes with it.
    if (!m_pPlayerObj)
        m_pPlayerActor = nullptr;
    if (m_pPlayerActor) {
        const Vec2 at = WorldPosition(m_pPlayerObj);
        g_PlayStatistics.m_fDistanceX += std::fabs(m_vLastPlayerPos.x - at.x);
        m_vLastPlayerPos = at;
    }
    g_PlayStatistics.m_fPlayTime += dt;
}

int32_t QuestController::RunState(float dt)
{
    if (!m_pQuest)
        return -1;
    switch (m_nState) {
    case eQuest_Start:
        return StateStart();
    case eQuest_Play:
        return StatePlay(dt);
    case eQuest_Clear:
        return StateClear();
    case eQuest_Leave:
        return StateLeave();
    default:
        return -1;
    }
}

int32_t QuestController::StateStart()
{
    if (m_nStep == 0) {
        StartFade(eScreenFade_Held, kOpaqueBlack, 0.0f);
    } else if (m_nStep == 1) {
        const UIFrameHud* hud = FindHud();
        m_pStatusBar = hud ? hud->m_pStatusBar : nullptr;
        m_pPlayerActor = m_pPlayerObj ? m_pPlayerObj->GetActorController() : nullptr;
        if (!m_pPlayerActor)
            LOG_ERROR << "QuestController of \"" << GetOwner()->GetPrototypeName()
                      << "\": no player actor; the visit runs without one.";
        if (m_pPlayerActor)
            m_vLastPlayerPos = WorldPosition(m_pPlayerObj);
        CopyStatus(true);
        if (!m_bHome)
            g_PlayerSaveData.MarkQuestSeen(m_pQuest->m_nKey);
        StartFade(eScreenFade_FadeIn, kOpaqueBlack, kFadeSeconds);
    } else if (!FaderFading()) {
        return eQuest_Play;
    }
    ++m_nStep;
    return -1;
}

void QuestController::CopyStatus(bool first)
{
    auto* bar = static_cast<UIHudStatusBar*>(m_pStatusBar);
    if (!bar)
        return;
    const HealthController* health = m_pPlayerActor ? m_pPlayerActor->m_pHealth : nullptr;
    const PowerController* power = m_pPlayerActor ? m_pPlayerActor->m_pPower : nullptr;
    const float life = health ? static_cast<float>(health->m_nHealth) : 0.0f;
    const float lifeMax = health ? static_cast<float>(health->m_nMaxHealth) : 0.0f;
    const float special = power ? static_cast<float>(power->m_nPower) : 0.0f;
    const float specialMax = power ? static_cast<float>(power->m_nMaxPower) : 0.0f;
    if (first) {
        bar->m_fLifeMax = lifeMax;
        bar->m_fLife = std::clamp(life, 0.0f, std::max(lifeMax, 0.0f));
        bar->m_fPrevLife = life;
        bar->m_fSpecialMax = specialMax;
        bar->m_fSpecial = std::clamp(special, 0.0f, std::max(specialMax, 0.0f));
        return;
    }
    // Clamped to the maximum the bar held before, then the new maximum: the order of the
    // original copy, which the flower's change follows.
    bar->m_fLife = std::clamp(life, 0.0f, std::max(bar->m_fLifeMax, 0.0f));
    bar->m_fLifeMax = lifeMax;
    bar->m_fSpecial = std::clamp(special, 0.0f, std::max(bar->m_fSpecialMax, 0.0f));
    bar->m_fSpecialMax = specialMax;
}

void QuestController::MenuButtons()
{
    const PlayerPadMasks pad = ReadPlayerPad();
    const uint32_t pressed = pad.current & ~pad.previous;
    GameObj* opened = nullptr;
    if (!m_bHome) {
        if (pressed & kPadSelect)
            opened = UIRoot::OpenPanel(kPanelGiveUp);
        else if (pressed & kPadStart) {
            opened = UIRoot::OpenPanel(kPanelUpgrade);
            // Levels are bought at home only: on a quest the screen just shows them. The panel
            // is switched on by a message, so the flag is in place before its opening.
            auto* upgrade = opened ? static_cast<UIFrameUpgradeParameter*>(
                                         opened->GetComponent(UIFrameUpgradeParameter::s_Class.Key))
                                   : nullptr;
            if (upgrade)
                upgrade->m_bUpdatable = false;
        }
    } else if (pressed & kPadSelect) {
        opened = UIRoot::OpenPanel(kPanelExit);
    }
    // Only a menu that opened will send the Open that clears the lock.
    if (opened)
        g_bUILocked = 1;
}

int32_t QuestController::StatePlay(float dt)
{
    MenuButtons();
    CopyStatus(false);
    switch (m_nStep) {
    case 0:
        QueueRandomGroup(m_pQuest->m_StartUpMessages, kChannelImmediate);
        ++m_nStep;
        return -1;
    case 1: {
        const auto* objective = static_cast<const ObjectiveController*>(m_pObjective);
        if ((objective && objective->m_bComplete) || (m_bHome && m_nNextTarget != 0)) {
            m_nOutcome = eOutcome_Success;
            SetAppTimeScale(1.0f);
        } else if (m_nOutcome == eOutcome_None && m_pPlayerObj && !m_pPlayerObj->IsActive()) {
            TalkOnDead();
            m_nOutcome = eOutcome_Dead;
        }
        if (m_nOutcome != eOutcome_None)
            ++m_nStep;
        return -1;
    }
    case 2:
        if (m_nOutcome == eOutcome_Success && !m_bHome) {
            QueueRandomGroup(m_pQuest->m_ClearImpressions, kChannelHomeBase);
            m_nNextTarget = kHome;
            return eQuest_Clear;
        }
        if (m_nOutcome == eOutcome_Success)
            return eQuest_Leave;
        if (m_nOutcome == eOutcome_Dead) {
            m_fStateTimer = 0.0f;
            m_nStep = 3;
            return -1;
        }
        m_nNextTarget = kHome;
        return eQuest_Leave;
    default:
        m_fStateTimer += dt;
        if (m_fStateTimer >= kDeathLeaveDelay) {
            m_nNextTarget = kHome;
            return eQuest_Leave;
        }
        return -1;
    }
}

int32_t QuestController::StateClear()
{
    if (m_nStep == 0) {
        if (!UIRoot::OpenPanel(kPanelReport))
            LOG_ERROR << "QuestController of \"" << GetOwner()->GetPrototypeName()
                      << "\": the panel \"ui_report\" did not open; the quest clears without it.";
    } else if (m_nStep == 1) {
        const GameObj* report = UIRoot::FindPanel(kPanelReport);
        if (report && report->IsActive())
            return -1;
        ConditionContext context;
        context.m_pObject = GetOwner();
        context.m_pQuestController = this;
        g_PlayerSaveData.GrantRewards(m_pQuest->m_Rewards, context);
        g_PlayerSaveData.CountQuestClear(m_pQuest->m_nKey);
    } else {
        return eQuest_Leave;
    }
    ++m_nStep;
    return -1;
}

int32_t QuestController::StateLeave()
{
    if (m_nStep == 0) {
        StartFade(eScreenFade_FadeOut, 0, kFadeSeconds);
        if (g_pSoundManager)
            g_pSoundManager->FadeOutBgm(kFadeSeconds);
    } else if (m_nStep == 1) {
        if (FaderFading())
            return -1;
        StartFade(eScreenFade_Held, kOpaqueBlack, 0.0f);
    } else if (m_nStep == 2) {
        g_TalkChannelQueue.Clear(m_bHome ? 0 : kChannelImmediate);
        if (m_nNextTarget == kExitGame) {
            QuitApp();
        } else {
            if (g_pSceneManager)
                g_pSceneManager->m_nUpdateMask = kFullUpdateMask;
            QuestRecord* next = g_pQuestTable ? g_pQuestTable->Find(m_nNextTarget) : nullptr;
            if (!next) {
                LOG_ERROR << "QuestController of \"" << GetOwner()->GetPrototypeName() << "\": the next target "
                          << m_nNextTarget << " names no quest; going home (\"vididezare\").";
                next = g_pQuestTable ? g_pQuestTable->Find(kHome) : nullptr;
            }
            if (next) {
                g_pQuestTable->m_pCurrentQuest = next;
                if (g_pSceneManager)
                    g_pSceneManager->RequestStage(next->m_StageName);
            }
        }
    } else {
        return -1;
    }
    ++m_nStep;
    return -1;
}

void QuestController::OnMessage(IMessage* message)
{
    if (message->GetTypeId() == MsgUIResult::s_Class.Key)
        OnResult(*static_cast<const MsgUIResult*>(message));
    else if (message->GetTypeId() == MsgUIEvent::s_Class.Key)
        OnPanelEvent(*static_cast<const MsgUIEvent*>(message));
}

void QuestController::OnResult(const MsgUIResult& result)
{
    if (result.m_Values.size() < 2)
        return;
    const NameId name = static_cast<NameId>(result.m_Values[0]);
    const int32_t value = result.m_Values[1];
    if (name == kStartQuest) {
        m_nNextTarget = static_cast<uint32_t>(value);
        return;
    }
    if (name != kCloseWindow || value != 1 || !result.m_pOrigin)
        return;
    const NameId panel = result.m_pOrigin->GetTag();
    if (panel == kPanelGiveUp) {
        m_nOutcome = eOutcome_GiveUp;
    } else if (panel == kPanelSave) {
        g_PlayerSaveData.Write("QMSave.sav");
    } else if (panel == kPanelExit) {
        m_nNextTarget = kExitGame;
        if (g_pSceneManager)
            g_pSceneManager->m_nUpdateMask = kLeaveUpdateMask;
    }
}

void QuestController::PauseForMenu()
{
    if (!g_pSceneManager)
        return;
    m_nSavedUpdateMask = g_pSceneManager->m_nUpdateMask;
    g_pSceneManager->m_nUpdateMask = kMenuUpdateMask;
    g_bUILocked = 0;
}

void QuestController::ResumeFromMenu()
{
    // A Close with nothing saved leaves the mask: restoring 0 would freeze every layer.
    if (!g_pSceneManager || m_nSavedUpdateMask == 0)
        return;
    g_pSceneManager->m_nUpdateMask = m_nSavedUpdateMask;
    m_nSavedUpdateMask = 0;
}

void QuestController::OnPanelEvent(const MsgUIEvent& event)
{
    if ((event.m_eKind != eUIEvent_Open && event.m_eKind != eUIEvent_Close) || !event.m_pOrigin)
        return;
    const NameId panel = event.m_pOrigin->GetTag();
    const bool menu = panel == kPanelGiveUp || panel == kPanelSave || panel == kPanelExit || panel == kPanelReport;
    if (!menu && panel != kPanelUpgrade && panel != kPanelQuestSelect)
        return;
    if (event.m_eKind == eUIEvent_Open) {
        PauseForMenu();
        return;
    }
    ResumeFromMenu();
    if (panel == kPanelUpgrade && m_bHome && m_pPlayerActor && m_pPlayerObj) {
        if (StatusParameter* status = m_pPlayerActor->m_pStatus) {
            status->Refresh();
            if (HealthController* health = m_pPlayerActor->m_pHealth)
                health->m_nHealth = health->m_nMaxHealth = status->m_nHealth;
        }
        CopyStatus(true);
    } else if (panel == kPanelQuestSelect && m_nNextTarget != 0 && g_pSceneManager) {
        m_nSavedUpdateMask = g_pSceneManager->m_nUpdateMask;
        g_pSceneManager->m_nUpdateMask = kLeaveUpdateMask;
    }
}
