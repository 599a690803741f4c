#include "Components/Game/ObjectiveController.h"

#include <algorithm>
#include <cmath>

#include <lua.hpp>

#include "Components/Core/Renderer.h"
#include "Components/Game/ActorController.h"
#include "Components/Game/EffectController.h"
#include "Components/Game/EnemyController.h"
#include "Components/Game/HealthController.h"
#include "Components/Game/InvincibleController.h"
#include "Components/Game/ItemController.h"
#include "Components/Game/QuestController.h"
#include "Components/Game/StrangerController.h"
#include "Components/Game/TalkChannel.h"
#include "Components/UI/UIHud.h"
#include "System/Common/FrameCounter.h"
#include "System/Common/Log.h"
#include "System/Common/Random.h"
#include "System/Lua/LuaTableReader.h"
#include "System/Sound/SoundManager.h"
#include "World/GameObj.h"
#include "World/MessageManager.h"
#include "World/PlayStatistics.h"
#include "World/PlayerSaveData.h"
#include "World/QuestTable.h"
#include "World/SceneManager.h"

const ClassKey ObjectiveController::s_Class("ObjectiveController");

const Vec2 kSpawnOffsets[kSpawnPointCount] = {
    {544, 334},  {-544, 334}, {672, 334},  {-672, 334}, {800, 334},  {-800, 334}, {928, 334},
    {-928, 334}, {544, 462},  {-544, 462}, {672, 462},  {-672, 462}, {800, 462},  {-800, 462},
    {544, 590},  {-544, 590}, {672, 590},  {-672, 590}, {544, 718},  {-544, 718},
};

const char* const kLastTargetEffect = "gameobj_effect_dead_with_flower4";

namespace {

// A key that is absent keeps the default already in place.
void ReadFloat(lua_State* L, const char* key, float& out)
{
    lua_getfield(L, -1, key);
    const bool present = !lua_isnil(L, -1);
    lua_pop(L, 1);
    if (present)
        out = LuaGetFloatField(L, key);
}

EnemyController* EnemyOf(GameObj* object)
{
    return object ? static_cast<EnemyController*>(object->GetComponent(EnemyController::s_Class.Key)) : nullptr;
}

bool Despawned(GameObj* object)
{
    const EnemyController* enemy = EnemyOf(object);
    return enemy && (enemy->m_nFlags & eEnemyFlag_Despawned) != 0;
}

GameObj* Lookup(const GameObj* owner, int32_t id)
{
    const MessageManager* messages = owner->GetMessageManager();
    return messages && id >= 0 ? messages->FindObject(id) : nullptr;
}

} // namespace

ObjectiveController::ObjectiveController(GameObj* owner) : Component(owner, s_Class) {}

bool ObjectiveController::Load(lua_State* L)
{
    ReadFloat(L, "relaxTimeMin", m_fRelaxTimeMin);
    ReadFloat(L, "relaxTimeMax", m_fRelaxTimeMax);
    ReadFloat(L, "sustainPeakTimeMin", m_fSustainPeakTimeMin);
    ReadFloat(L, "sustainPeakTimeMax", m_fSustainPeakTimeMax);
    ReadFloat(L, "buildUpSpawnFrequency", m_fBuildUpSpawnFrequency);
    ReadFloat(L, "sustainPeakSpawnFrequency", m_fSustainPeakSpawnFrequency);
    ReadFloat(L, "peakFadeSpawnFrequency", m_fPeakFadeSpawnFrequency);
    ReadFloat(L, "relaxSpawnFrequency", m_fRelaxSpawnFrequency);
    ReadFloat(L, "intensityMax", m_fIntensityMax);
    ReadFloat(L, "intensityDecaySpeed", m_fIntensityDecaySpeed);
    ReadFloat(L, "enemyThreat", m_fEnemyThreat);
    lua_getfield(L, -1, "noticeHuntCount");
    const bool present = !lua_isnil(L, -1);
    lua_pop(L, 1);
    if (present)
        m_nNoticeHuntCount = LuaGetByteField(L, "noticeHuntCount");
    if (m_nNoticeHuntCount == 0)
        LOG_ERROR << "ObjectiveController of \"" << GetOwner()->GetPrototypeName()
                  << "\": \"noticeHuntCount\" 0; the companion never remarks on defeats.";
    return true;
}

void ObjectiveController::Detach() { m_Kinds.clear(); }

bool ObjectiveController::IsKindOf(TypeKey key) const { return key == s_Class.Key; }

void ObjectiveController::Start()
{
    m_pQuest = g_pQuestTable ? g_pQuestTable->m_pCurrentQuest : nullptr;
    m_nState = eDirector_Init;
    m_nStep = 0;
    m_fStateTimer = 0.0f;
    m_fSpawnAccumulator = 0.0f;
    m_fElapsed = 0.0f;
    m_fIntensity = 0.0f;
}

void ObjectiveController::AddIntensity(float amount)
{
    // The floor may pass the ceiling (a floor of max health lost); the ceiling wins.
    m_fIntensity = std::min(std::max(m_fIntensity + amount, m_fIntensityFloor), m_fIntensityMax);
}

void ObjectiveController::Update()
{
    const float dt = GetAppDeltaTime();
    const int32_t next = RunState(dt);
    if (next >= 0) {
        m_nState = next;
        m_nStep = 0;
        m_fStateTimer = 0.0f;
    }
    if (!AnyMobOnScreen())
        AddIntensity(-m_fIntensityDecaySpeed * dt);
    m_fElapsed += dt;
    SpawnTimedObjectives();
    StrangerArrival();
    MobUpkeep();
    StrangerUpkeep();
    if (TargetUpkeep() && m_nState != eDirector_Complete)
        Complete();
}

int32_t ObjectiveController::RunState(float dt)
{
    switch (m_nState) {
    case eDirector_Init:
        return StateInit();
    case eDirector_BuildUp:
        return StateBuildUp(dt);
    case eDirector_SustainPeak:
        return StateSustainPeak(dt);
    case eDirector_PeakFade:
        return StatePeakFade(dt);
    case eDirector_Relax:
        return StateRelax(dt);
    case eDirector_Complete:
        return StateComplete();
    default:
        return -1;
    }
}

ObjectiveKind* ObjectiveController::FindKind(NameId icon)
{
    for (ObjectiveKind& kind : m_Kinds)
        if (kind.icon == icon)
            return &kind;
    return nullptr;
}

int32_t ObjectiveController::StateInit()
{
    if (!m_pQuestTarget) {
        const UIFrameHud* hud = FindHud();
        m_pQuestTarget = hud ? hud->m_pQuestTarget : nullptr;
        if (!m_pQuestTarget)
            return -1;
    }
    m_Kinds.clear();
    m_nTargetsLeft = 0;
    if (m_pQuest) {
        for (const QuestObjective& objective : m_pQuest->m_EnemyList.m_Objectives) {
            ObjectiveKind* kind = FindKind(objective.m_nIcon);
            if (!kind) {
                m_Kinds.push_back({objective.m_nIcon, 0, &objective, {}});
                kind = &m_Kinds.back();
            }
            kind->remaining += objective.m_nCount;
            kind->times.push_back({RandomFloat(objective.m_fTimeFrom, objective.m_fTimeTo), objective.m_nCount, false});
        }
        for (const ObjectiveKind& kind : m_Kinds) {
            m_pQuestTarget->AddTarget(kind.icon);
            m_pQuestTarget->SetCount(kind.icon, kind.remaining);
            m_nTargetsLeft += kind.remaining;
        }
        const QuestEnemyList& list = m_pQuest->m_EnemyList;
        m_fStrangerTime = RandomFloat(list.m_fStrangerTimeFrom, list.m_fStrangerTimeTo);
        const bool stays = static_cast<int64_t>(RandomNext() % 100) >= list.m_nStrangerRate;
        m_bStrangerDone = stays || list.m_StrangerName.empty();
    }
    return eDirector_Relax;
}

void ObjectiveController::SetSpawnInterval(float interval)
{
    m_fSpawnInterval = interval;
    if (interval <= 0.0f) {
        m_fSpawnAccumulator = 0.0f;
        return;
    }
    // A remainder, not a loop: subtracting an interval far below the time left changes nothing.
    m_fSpawnAccumulator = std::fmod(m_fSpawnAccumulator, interval);
}

int32_t ObjectiveController::StateBuildUp(float dt)
{
    if (m_nStep == 0) {
        SetSpawnInterval(m_fBuildUpSpawnFrequency);
        ++m_nStep;
    }
    if (m_fIntensity >= m_fIntensityMax)
        return eDirector_SustainPeak;
    if (TickSpawn(dt))
        ++m_nLiveSpawnCount;
    return -1;
}

int32_t ObjectiveController::StateSustainPeak(float dt)
{
    if (m_nStep == 0) {
        SetSpawnInterval(m_fSustainPeakSpawnFrequency);
        m_fSustainTime = RandomFloat(m_fSustainPeakTimeMin, m_fSustainPeakTimeMax);
        ++m_nStep;
    }
    m_fStateTimer += dt;
    if (m_fStateTimer >= m_fSustainTime)
        return eDirector_PeakFade;
    if (TickSpawn(dt))
        ++m_nLiveSpawnCount;
    return -1;
}

int32_t ObjectiveController::StatePeakFade(float dt)
{
    if (m_fIntensity <= m_fIntensityFloor && m_nLiveSpawnCount <= 0)
        return eDirector_Relax;
    // One attempt a frame: a loop here would never end while no spawn can be made.
    if (static_cast<int32_t>(m_Mobs.size()) < m_nLiveSpawnCount)
        TickSpawn(dt);
    return -1;
}

int32_t ObjectiveController::StateRelax(float dt)
{
    if (m_nStep == 0) {
        SetSpawnInterval(m_fRelaxSpawnFrequency);
        m_fRelaxTime = RandomFloat(m_fRelaxTimeMin, m_fRelaxTimeMax);
        ++m_nStep;
    }
    m_fStateTimer += dt;
    if (m_fStateTimer >= m_fRelaxTime)
        return eDirector_BuildUp;
    if (m_fIntensity - m_fIntensityFloor <= m_fIntensityMax * 0.5f)
        TickSpawn(dt);
    return -1;
}

int32_t ObjectiveController::StateComplete()
{
    if (m_bComplete)
        return -1;
    // The flower removes itself when it ends: one gone, on its way out or never made has ended.
    GameObj* effect = Lookup(GetOwner(), m_nLastEffectId);
    if (effect && !(effect->GetFlags() & eGameObjFlag_PendingRemoval)) {
        const auto* controller = static_cast<EffectController*>(effect->GetComponent(EffectController::s_Class.Key));
        if (controller && controller->m_bActive)
            return -1;
    }
    m_bComplete = true;
    return -1;
}

std::vector<Vec2> ObjectiveController::ChooseSpawnPoints(int32_t n)
{
    std::vector<Vec2> points;
    const QuestController* quest = FindRootQuestController();
    GameObj* player = quest ? quest->m_pPlayerObj : nullptr;
    if (!player || !player->GetActorController() || n <= 0)
        return points;
    Vec2 offsets[kSpawnPointCount];
    std::copy(std::begin(kSpawnOffsets), std::end(kSpawnOffsets), offsets);
    for (int32_t i = kSpawnPointCount - 1; i > 0; --i)
        std::swap(offsets[i], offsets[RandomNext() % static_cast<uint32_t>(i + 1)]);
    const Vec2 at = WorldPosition(player);
    const int32_t count = std::min(n, kSpawnPointCount);
    for (int32_t i = 0; i < count; ++i)
        points.push_back({at.x + offsets[i].x, at.y + offsets[i].y});
    return points;
}

GameObj* ObjectiveController::SpawnEnemy(const std::string& name, const Vec2& at, bool keepOffscreen, const char* role)
{
    if (!g_pSceneManager)
        return nullptr;
    GameObj* object = g_pSceneManager->Spawn(name, GetOwner(), at.x, at.y);
    if (!object) {
        LOG_ERROR << "ObjectiveController of \"" << GetOwner()->GetPrototypeName() << "\": the " << role << " \""
                  << name << "\" cannot be made; skipped.";
        return nullptr;
    }
    if (!object->GetActorController()) {
        LOG_ERROR << "ObjectiveController of \"" << GetOwner()->GetPrototypeName() << "\": the " << role << " \""
                  << name << "\" has no actor; skipped.";
        Remove(object);
        return nullptr;
    }
    if (keepOffscreen)
        if (EnemyController* enemy = EnemyOf(object))
            enemy->m_nFlags |= eEnemyFlag_KeepOffscreen;
    return object;
}

bool ObjectiveController::TickSpawn(float dt)
{
    if (m_fSpawnInterval <= 0.0f)
        return false;
    m_fSpawnAccumulator += dt;
    if (m_fSpawnAccumulator < m_fSpawnInterval)
        return false;
    // One spawn a frame at most, however many intervals passed.
    m_fSpawnAccumulator = std::fmod(m_fSpawnAccumulator, m_fSpawnInterval);
    if (!m_pQuest || m_pQuest->m_EnemyList.m_Mobs.empty())
        return false;
    const std::vector<QuestMob>& mobs = m_pQuest->m_EnemyList.m_Mobs;
    std::vector<int32_t> rates;
    rates.reserve(mobs.size());
    for (const QuestMob& mob : mobs)
        rates.push_back(mob.m_nRate);
    const int32_t pick = PickWeighted(rates, RandomNext());
    if (pick < 0)
        return false;
    const std::vector<Vec2> points = ChooseSpawnPoints(1);
    if (points.empty())
        return false;
    GameObj* mob = SpawnEnemy(mobs[static_cast<size_t>(pick)].m_Name, points[0], false, "mob");
    if (!mob)
        return false;
    m_Mobs.push_back(mob->GetId());
    AddIntensity(m_fEnemyThreat);
    return true;
}

bool ObjectiveController::AnyMobOnScreen() const
{
    for (int32_t id : m_Mobs) {
        const GameObj* mob = Lookup(GetOwner(), id);
        if (mob && mob->IsActive() && mob->GetRenderer() && mob->GetRenderer()->HasFlags(eComponentFlag_Visible))
            return true;
    }
    return false;
}

void ObjectiveController::SpawnTimedObjectives()
{
    for (ObjectiveKind& kind : m_Kinds)
        for (ObjectiveSpawnTime& time : kind.times) {
            if (time.done || time.time > m_fElapsed)
                continue;
            if (time.count > kSpawnPointCount)
                LOG_ERROR << "ObjectiveController: the objective \"" << kind.first->m_Name << "\" asks for "
                          << time.count << " at once; " << kSpawnPointCount << " are made.";
            const std::vector<Vec2> points = ChooseSpawnPoints(time.count);
            if (points.empty())
                continue; // no player to place them by yet: they wait
            int32_t made = 0;
            for (const Vec2& at : points)
                if (GameObj* target = SpawnEnemy(kind.first->m_Name, at, true, "objective target")) {
                    m_Targets.push_back({kind.icon, target->GetId()});
                    ++made;
                }
            time.done = true;
            // Only targets that exist can fall: the rest leave the count, or the quest could
            // never complete.
            if (made < time.count)
                DropUnmadeTargets(kind, time.count - made);
        }
}

void ObjectiveController::DropUnmadeTargets(ObjectiveKind& kind, int32_t missing)
{
    LOG_ERROR << "ObjectiveController: " << missing << " of the objective \"" << kind.first->m_Name
              << "\" could not be made; they are not counted.";
    kind.remaining = std::max(0, kind.remaining - missing);
    m_nTargetsLeft = std::max(0, m_nTargetsLeft - missing);
    if (m_pQuestTarget)
        m_pQuestTarget->SetCount(kind.icon, kind.remaining);
    // Nothing left standing: the stage completes as when the last target falls.
    if (m_nTargetsLeft == 0 && m_nState != eDirector_Complete)
        Complete();
}

void ObjectiveController::StrangerArrival()
{
    if (m_bStrangerDone || !m_pQuest || m_fElapsed < m_fStrangerTime)
        return;
    const std::vector<Vec2> points = ChooseSpawnPoints(1);
    if (points.empty())
        return;
    if (GameObj* stranger = SpawnStranger(m_pQuest->m_EnemyList.m_StrangerName, GetOwner(), points[0].x, points[0].y))
        m_Strangers.push_back(stranger->GetId());
    m_bStrangerDone = true;
}

void ObjectiveController::Remove(GameObj* object)
{
    if (!(object->GetFlags() & eGameObjFlag_PendingRemoval) && g_pSceneManager)
        g_pSceneManager->DestroyLater(object, 0.0f);
    object->Deactivate();
    object->SetFlags(eGameObjFlag_PendingRemoval);
}

int32_t ObjectiveController::SpawnDeadEffect(GameObj* object, const std::string& effect)
{
    if (!g_pSceneManager || effect.empty())
        return -1;
    const Vec2 at = WorldPosition(object);
    GameObj* made = g_pSceneManager->Spawn(effect, GetOwner(), at.x, at.y);
    return made ? made->GetId() : -1;
}

void ObjectiveController::CountDefeat(GameObj* object, bool mobOrStranger)
{
    ++g_PlayStatistics.m_nKillCount;
    if (mobOrStranger) {
        ++g_PlayStatistics.m_nMobKillCount;
        if (m_nNoticeHuntCount != 0 && g_PlayStatistics.m_nKillCount % m_nNoticeHuntCount == 0)
            TalkOnAnyEnemyObliterate();
    }
    const NameId name = HashName(object->GetObjectName());
    if (name == m_nLastDefeatedName) {
        ++m_nDefeatRun;
        g_PlayStatistics.m_nSameNameKillRun = std::max(g_PlayStatistics.m_nSameNameKillRun, m_nDefeatRun);
    } else {
        m_nDefeatRun = 1;
    }
    m_nLastDefeatedName = name;
}

void ObjectiveController::MobUpkeep()
{
    for (size_t i = 0; i < m_Mobs.size();) {
        GameObj* mob = Lookup(GetOwner(), m_Mobs[i]);
        if (!mob) {
            m_Mobs.erase(m_Mobs.begin() + static_cast<ptrdiff_t>(i));
            continue;
        }
        if (mob->IsActive()) {
            ++i;
            continue;
        }
        if (!Despawned(mob)) {
            AddIntensity(-m_fEnemyThreat);
            m_nLiveSpawnCount = std::max(m_nLiveSpawnCount - 1, 0);
            SpawnDeadEffect(mob, mob->GetActorController()->m_strDeadEffect);
            if (EnemyController* enemy = EnemyOf(mob))
                enemy->GrantDefeatRewards();
            CountDefeat(mob, true);
        }
        Remove(mob);
        m_Mobs.erase(m_Mobs.begin() + static_cast<ptrdiff_t>(i));
    }
}

void ObjectiveController::StrangerUpkeep()
{
    for (size_t i = 0; i < m_Strangers.size();) {
        GameObj* stranger = Lookup(GetOwner(), m_Strangers[i]);
        if (!stranger) {
            m_Strangers.erase(m_Strangers.begin() + static_cast<ptrdiff_t>(i));
            continue;
        }
        if (stranger->IsActive()) {
            ++i;
            continue;
        }
        if (!Despawned(stranger)) {
            SpawnDeadEffect(stranger, stranger->GetActorController()->m_strDeadEffect);
            if (EnemyController* enemy = EnemyOf(stranger))
                enemy->GrantDefeatRewards();
            g_PlayerSaveData.m_nFlagBits |= 0x100;
            CountDefeat(stranger, true);
        }
        const auto* visitor = static_cast<const StrangerController*>(stranger->GetComponent(StrangerController::s_Class.Key));
        if (visitor && m_nState != eDirector_Complete)
            RestoreStageMusic(visitor->GetStageMusic(), 1.0f);
        Remove(stranger);
        m_Strangers.erase(m_Strangers.begin() + static_cast<ptrdiff_t>(i));
    }
}

bool ObjectiveController::TargetUpkeep()
{
    bool lastFell = false;
    for (size_t i = 0; i < m_Targets.size();) {
        const LiveTarget entry = m_Targets[i];
        GameObj* target = Lookup(GetOwner(), entry.id);
        if (!target) {
            m_Targets.erase(m_Targets.begin() + static_cast<ptrdiff_t>(i));
            continue;
        }
        const ActorController* actor = target->GetActorController();
        if (m_nTargetsLeft == 1 && actor->IsStarted() && actor->m_pHealth && actor->m_pHealth->m_nHealth < 1) {
            target->Deactivate();
            lastFell = true;
        }
        if (target->IsActive()) {
            ++i;
            continue;
        }
        ObjectiveKind* kind = FindKind(entry.icon);
        if (kind)
            --kind->remaining;
        --m_nTargetsLeft;
        if (m_nTargetsLeft == 0) {
            // However it went, the last one down ends the stage.
            lastFell = true;
            m_nLastEffectId = SpawnDeadEffect(target, kLastTargetEffect);
            if (m_nLastEffectId < 0)
                LOG_ERROR << "ObjectiveController: no \"" << kLastTargetEffect
                          << "\" to mark the last target's fall; the stage completes at once.";
        } else {
            SpawnDeadEffect(target, actor->m_strDeadEffect);
        }
        if (EnemyController* enemy = EnemyOf(target))
            enemy->GrantDefeatRewards();
        if (m_pQuestTarget && kind)
            m_pQuestTarget->SetCount(entry.icon, kind->remaining);
        Remove(target);
        m_Targets.erase(m_Targets.begin() + static_cast<ptrdiff_t>(i));
        CountDefeat(target, false);
    }
    return lastFell;
}

void ObjectiveController::Complete()
{
    m_nState = eDirector_Complete;
    m_nStep = 0;
    m_fStateTimer = 0.0f;
    SetAppTimeScale(0.35f);
    const QuestController* quest = FindRootQuestController();
    const ActorController* player =
        quest && quest->m_pPlayerObj ? quest->m_pPlayerObj->GetActorController() : nullptr;
    if (player && player->m_pInvincible)
        player->m_pInvincible->PushMask();
    TalkOnTargetObliterate();
    g_nTalkEnableMask = 0;
    if (g_pSoundManager) {
        g_pSoundManager->PlaySe(HashName("assets.v1/sounds/se/jingle_last_battle_end"), false);
        g_pSoundManager->FadeOutBgm(0.0f);
    }
}
