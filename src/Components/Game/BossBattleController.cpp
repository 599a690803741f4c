#include "Components/Game/BossBattleController.h"

#include "Components/Game/ActorController.h"
#include "Components/Game/EnemyController.h"
#include "Components/Game/QuestController.h"
#include "System/Common/FrameCounter.h"
#include "System/Common/Log.h"
#include "World/GameObj.h"
#include "World/MessageManager.h"
#include "World/PlayerSaveData.h"
#include "World/QuestTable.h"
#include "World/SceneManager.h"

const ClassKey BossBattleController::s_Class("BossBattleController");

namespace {

GameObj* Lookup(const GameObj* owner, int32_t id)
{
    const MessageManager* messages = owner->GetMessageManager();
    return messages && id >= 0 ? messages->FindObject(id) : nullptr;
}

EnemyController* EnemyOf(GameObj* object)
{
    return static_cast<EnemyController*>(object->GetComponent(EnemyController::s_Class.Key));
}

// An enemy of the battle under the scene root, moved by the position; null (with an error)
// when it cannot be made or has no actor.
GameObj* SpawnFighter(const std::string& name, float x, float y, const char* role)
{
    GameObj* object = g_pSceneManager->Spawn(name, g_pSceneManager->GetRoot(), x, y);
    if (!object) {
        LOG_ERROR << "BossBattleController: the " << role << " \"" << name << "\" cannot be made; skipped.";
        return nullptr;
    }
    if (!object->GetActorController()) {
        LOG_ERROR << "BossBattleController: the " << role << " \"" << name << "\" has no actor; skipped.";
        g_pSceneManager->DestroyLater(object, 0.0f);
        return nullptr;
    }
    // Off screen for a while is no defeat: a boss or follower never leaves by itself.
    if (EnemyController* enemy = EnemyOf(object))
        enemy->m_nFlags |= eEnemyFlag_KeepOffscreen;
    return object;
}

} // namespace

BossBattleController::BossBattleController(GameObj* owner) : Component(owner, s_Class) {}

bool BossBattleController::IsKindOf(TypeKey key) const { return key == s_Class.Key; }

void BossBattleController::Update()
{
    const int32_t next = m_nState == eBoss_Spawn ? StateSpawn() : StateBattle();
    if (next >= 0) {
        m_nState = next;
        m_nStep = 0;
    }
}


int32_t BossBattleController::StateSpawn()
{
    if (m_nStep != 0)
        return -1;
    ++m_nStep;
    const QuestRecord* quest = g_pQuestTable ? g_pQuestTable->m_pCurrentQuest : nullptr;
    if (!quest || quest->m_EnemyList.m_BossName.empty() || !g_pSceneManager) {
        Disable();
        return -1;
    }
    const QuestEnemyList& list = quest->m_EnemyList;
    GameObj* boss = SpawnFighter(list.m_BossName, list.m_fBossPositionX, list.m_fBossPositionY, "boss");
    if (!boss) {
        // Without its boss the battle has nothing to win: as a quest with no boss.
        Disable();
        return -1;
    }
    m_nBossId = boss->GetId();
    for (const QuestFollower& follower : list.m_Followers) {
        GameObj* object = SpawnFighter(follower.m_Name, follower.m_fPositionX, follower.m_fPositionY, "follower");
        BossFollowerSlot slot;
        slot.id = object ? object->GetId() : -1;
        slot.respawn = follower.m_fRespawn > 0.0f ? follower.m_fRespawn : -1.0f;
        m_Followers.push_back(slot);
    }
    return eBoss_Battle;
}

int32_t BossBattleController::StateBattle()
{
    if (m_nStep != 0)
        return -1;
    const float dt = GetAppDeltaTime();
    for (BossFollowerSlot& slot : m_Followers) {
        GameObj* follower = Lookup(GetOwner(), slot.id);
        if (!follower) {
            // An empty slot keeps its respawn clock; nothing comes back (the data's "respawn"
            // is kept for that).
            slot.id = -1;
            if (slot.respawn > 0.0f) {
                slot.timer += dt;
                if (slot.timer >= slot.respawn)
                    slot.timer = 0.0f;
            }
            continue;
        }
        if (follower->IsActive() || (follower->GetFlags() & eGameObjFlag_PendingRemoval))
            continue;
        const ActorController* actor = follower->GetActorController();
        const Vec2 at = WorldPosition(follower);
        g_pSceneManager->Spawn(actor->m_strDeadEffect, g_pSceneManager->GetRoot(), at.x, at.y);
        if (EnemyController* enemy = EnemyOf(follower))
            enemy->GrantDefeatRewards();
        g_pSceneManager->DestroyLater(follower, 0.0f);
        slot.id = -1;
    }
    GameObj* boss = Lookup(GetOwner(), m_nBossId);
    if (boss && boss->IsActive())
        return -1;
    QuestRecord* quest = g_pQuestTable ? g_pQuestTable->m_pCurrentQuest : nullptr;
    if (quest) {
        ConditionContext context;
        context.m_pObject = GetOwner();
        context.m_pQuestController = FindRootQuestController();
        g_PlayerSaveData.GrantRewards(quest->m_Rewards, context);
        g_PlayerSaveData.CountQuestClear(quest->m_nKey);
        if (!quest->m_EnemyList.m_BossNextStage.empty()) {
            g_pSceneManager->RequestStage(quest->m_EnemyList.m_BossNextStage);
        } else {
            // With nowhere to go the cleared stage would run on until the player gave up.
            QuestRecord* home = g_pQuestTable->Find(HashName("vididezare"));
            LOG_ERROR << "BossBattleController: the quest of the stage \"" << quest->m_StageName
                      << "\" names no boss \"nextStage\"; going home (\"vididezare\").";
            if (home) {
                g_pQuestTable->m_pCurrentQuest = home;
                g_pSceneManager->RequestStage(home->m_StageName);
            }
        }
    }
    ++m_nStep;
    return -1;
}
