#include "Components/Game/OskelController.h"

#include <cmath>

#include "Components/Core/SpriteRenderer.h"
#include "Components/Game/ActorController.h"
#include "Components/Game/AttemptDamageController.h"
#include "Components/Game/EnemyController.h"
#include "Components/Game/HealthController.h"
#include "Components/Game/InvincibleController.h"
#include "Components/Game/QuestController.h"
#include "Components/Game/StatusParameter.h"
#include "System/Common/FrameCounter.h"
#include "System/Common/Log.h"
#include "System/Common/NameHash.h"
#include "System/Graphics/ScreenFader.h"
#include "World/GameObj.h"
#include "World/MessageManager.h"
#include "World/PlayerSaveData.h"
#include "World/SceneManager.h"

const ClassKey OskelController::s_Class("OskelController");

namespace {

constexpr uint32_t kWhiteClear = 0x00FFFFFF;
constexpr uint32_t kWhiteFull = 0xFFFFFFFF;

EnemyController* EnemyOf(GameObj* object)
{
    return object ? static_cast<EnemyController*>(object->GetComponent(EnemyController::s_Class.Key)) : nullptr;
}

// An enemy that has not started yet (its layer frozen by a special move as it appeared) has
// not fought: it stands until it has started and its health has run out. One that is gone
// counts as fallen, or the event could never end.
bool StillStanding(GameObj* object)
{
    const EnemyController* enemy = EnemyOf(object);
    if (enemy && !enemy->IsStarted())
        return true;
    return enemy && enemy->m_pHealth && enemy->m_pHealth->m_nHealth > 0;
}

// The fallen enemy's bar empties and it stops acting.
void Fell(GameObj* object)
{
    if (EnemyController* enemy = EnemyOf(object)) {
        if (enemy->m_pHealthBar)
            enemy->m_pHealthBar->SetFillRatio(0.0f);
        enemy->Disable();
    }
}

void StartFade(uint16_t mode, uint32_t color, float duration)
{
    if (g_pScreenFader)
        g_pScreenFader->Start(mode, 0, color, duration);
}

void SetActive(GameObj* object, bool active)
{
    if (!object)
        return;
    if (active)
        object->Activate();
    else
        object->Deactivate();
}

GameObj* FindLiveObject(int32_t id)
{
    if (id < 0 || !g_pSceneManager || !g_pSceneManager->GetMessageManager())
        return nullptr;
    return g_pSceneManager->GetMessageManager()->FindObject(id);
}

} // namespace

bool ScreenFadeSettled()
{
    return !g_pScreenFader || g_pScreenFader->m_nMode == eScreenFade_Idle ||
           g_pScreenFader->m_nMode == eScreenFade_Held;
}

OskelController::OskelController(GameObj* owner) : Component(owner, s_Class) {}

bool OskelController::IsKindOf(TypeKey key) const { return key == s_Class.Key; }

GameObj* OskelController::Oskel() const { return FindLiveObject(m_nOskelId); }

GameObj* OskelController::Liberated() const { return FindLiveObject(m_nLiberatedId); }

void OskelController::Start()
{
    GameObj* oskel = GetOwner()->FindActiveByTag(HashName("Oskel"));
    GameObj* liberated = GetOwner()->FindActiveByTag(HashName("LiberatedOskel"));
    EnemyController* first = EnemyOf(oskel);
    EnemyController* second = EnemyOf(liberated);
    if (!first || !second) {
        LOG_ERROR << "OskelController of \"" << GetOwner()->GetPrototypeName() << "\": no active "
                  << (!oskel || !liberated ? "object tagged " : "EnemyController on the object tagged ")
                  << (!first ? "\"Oskel\"" : "\"LiberatedOskel\"") << " below it; the event is off.";
        Disable();
        return;
    }
    m_nOskelId = oskel->GetId();
    m_nLiberatedId = liberated->GetId();
    first->m_nFlags |= eEnemyFlag_KeepOffscreen;
    second->m_nFlags |= eEnemyFlag_KeepOffscreen;
    liberated->Deactivate();
    SetActive(liberated->GetParent(), false);
}

void OskelController::Update()
{
    const int32_t next = m_nPhase == 0 ? RunPhase0() : RunPhase1();
    if (next >= 0) {
        m_nPhase = next;
        m_nStep = 0;
    }
}

void OskelController::HoldPlayerInvincible(bool hold)
{
    const QuestController* quest = FindRootQuestController();
    const ActorController* player = quest && quest->m_pPlayerObj ? quest->m_pPlayerObj->GetActorController() : nullptr;
    if (!player || !player->m_pInvincible)
        return;
    if (hold)
        player->m_pInvincible->PushMask();
    else
        player->m_pInvincible->PopMask();
}

void OskelController::SetQuestEnabled(bool enabled)
{
    if (QuestController* quest = FindRootQuestController()) {
        if (enabled)
            quest->Enable();
        else
            quest->Disable();
    }
}

int32_t OskelController::RunPhase0()
{
    switch (m_nStep) {
    case 0:
        m_nStep = 1;
        [[fallthrough]];
    case 1:
        if (StillStanding(Oskel()))
            return -1;
        Fell(Oskel());
        HoldPlayerInvincible(true);
        SetAppTimeScale(kOskelTimeScale);
        SetQuestEnabled(false);
        StartFade(eScreenFade_FadeOut, kWhiteClear, kOskelFlashRise);
        m_nStep = 2;
        return -1;
    default:
        if (!ScreenFadeSettled())
            return -1;
        if (GameObj* oskel = Oskel()) {
            SetActive(oskel->GetParent(), false);
            oskel->Deactivate();
        }
        return 1;
    }
}

int32_t OskelController::RunPhase1()
{
    GameObj* liberated = Liberated();
    switch (m_nStep) {
    case 0:
        if (liberated) {
            SetActive(liberated->GetParent(), true);
            liberated->Activate();
        }
        if (EnemyController* enemy = EnemyOf(liberated))
            enemy->Disable();
        SetAppTimeScale(1.0f);
        StartFade(eScreenFade_FadeIn, kWhiteFull, kOskelFlashClear);
        m_nStep = 1;
        return -1;
    case 1:
        if (!ScreenFadeSettled())
            return -1;
        if (EnemyController* enemy = EnemyOf(liberated))
            enemy->Enable();
        SetQuestEnabled(true);
        HoldPlayerInvincible(false);
        m_nStep = 2;
        return -1;
    case 2: {
        if (StillStanding(liberated))
            return -1;
        Fell(liberated);
        const QuestController* quest = FindRootQuestController();
        const ActorController* player =
            quest && quest->m_pPlayerObj ? quest->m_pPlayerObj->GetActorController() : nullptr;
        const EnemyController* enemy = EnemyOf(liberated);
        if (g_pSceneManager && liberated) {
            const Vec2 at = WorldPosition(liberated->GetParent() ? liberated->GetParent() : liberated);
            g_pSceneManager->Spawn("gameobj_effect_dead_with_flower4", g_pSceneManager->GetRoot(), at.x, at.y);
        }
        float experience = enemy && enemy->m_pStatus ? static_cast<float>(enemy->m_pStatus->m_nExperience) : 0.0f;
        if (player && player->m_pStatus)
            experience = player->m_pStatus->ApplyAbility(16, experience);
        const int32_t e = SaturateToInt32(std::trunc(experience));
        if (e > 0)
            g_PlayerSaveData.AddExperience(static_cast<uint32_t>(e));
        HoldPlayerInvincible(true);
        SetAppTimeScale(kOskelTimeScale);
        StartFade(eScreenFade_FadeOut, kWhiteClear, kOskelFlashRise);
        SetQuestEnabled(false);
        m_nStep = 3;
        return -1;
    }
    default:
        if (!ScreenFadeSettled())
            return -1;
        // The event is over: the quest goes on, the player can be hit again and the white
        // clears, or the stage could never end.
        SetQuestEnabled(true);
        HoldPlayerInvincible(false);
        StartFade(eScreenFade_FadeIn, kWhiteFull, kOskelFlashClear);
        GetOwner()->Deactivate();
        SetAppTimeScale(1.0f);
        m_nStep = 4;
        return -1;
    }
}
