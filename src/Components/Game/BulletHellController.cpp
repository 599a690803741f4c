#include "Components/Game/BulletHellController.h"

#include <cmath>

#include <lua.hpp>

#include "Components/Core/Animation.h"
#include "Components/Core/Kinematics.h"
#include "Components/Game/ActorController.h"
#include "Components/Game/AttemptDamageController.h"
#include "Components/Game/BulletController.h"
#include "Components/Game/EnemyController.h"
#include "Components/Game/QuestController.h"
#include "System/Common/FrameCounter.h"
#include "System/Common/Log.h"
#include "System/Common/NameHash.h"
#include "System/Common/Random.h"
#include "System/Lua/LuaTableReader.h"
#include "World/GameObj.h"
#include "World/MessageManager.h"
#include "World/SceneManager.h"
#include "World/Transform.h"

const ClassKey BulletHellController::s_Class("BulletHellController");

namespace {

constexpr double kTwoPi = 6.283185307179586476925;
constexpr float kDegToRad = 0.017453292519943295f;

// A range item at a Lua index of the table on top: a number as it stands, or {a, b} drawn once.
float RangeItem(lua_State* L, int index)
{
    float value = 0.0f;
    lua_rawgeti(L, -1, index);
    if (lua_type(L, -1) == LUA_TNUMBER) {
        value = LuaRoundToFloat(lua_tonumber(L, -1));
    } else if (lua_istable(L, -1)) {
        lua_rawgeti(L, -1, 1);
        lua_rawgeti(L, -2, 2);
        const float a = lua_type(L, -2) == LUA_TNUMBER ? LuaRoundToFloat(lua_tonumber(L, -2)) : 0.0f;
        const float b = lua_type(L, -1) == LUA_TNUMBER ? LuaRoundToFloat(lua_tonumber(L, -1)) : 0.0f;
        lua_pop(L, 2);
        value = RandomFloat(a, b);
    }
    lua_pop(L, 1);
    return value;
}

// The unsigned kind: a number truncated, or {a, b} drawn once over the whole numbers between.
uint32_t UIntRangeItem(lua_State* L, int index)
{
    uint32_t value = 0;
    lua_rawgeti(L, -1, index);
    if (lua_type(L, -1) == LUA_TNUMBER) {
        value = uint32_t(LuaTruncateToInt64(lua_tonumber(L, -1)));
    } else if (lua_istable(L, -1)) {
        lua_rawgeti(L, -1, 1);
        lua_rawgeti(L, -2, 2);
        const uint32_t a = lua_type(L, -2) == LUA_TNUMBER ? uint32_t(LuaTruncateToInt64(lua_tonumber(L, -2))) : 0;
        const uint32_t b = lua_type(L, -1) == LUA_TNUMBER ? uint32_t(LuaTruncateToInt64(lua_tonumber(L, -1))) : 0;
        lua_pop(L, 2);
        value = RandomUIntRange(a, b);
    }
    lua_pop(L, 1);
    return value;
}

ShotDefinition ReadShot(lua_State* L)
{
    ShotDefinition shot;
    shot.motion = LuaGetIntItem(L, 0);
    shot.prototype = LuaGetStringItem(L, 1);
    shot.baseTime = RangeItem(L, 3);
    shot.origin = LuaGetIntItem(L, 3);
    shot.offsetX = RangeItem(L, 5);
    shot.offsetY = RangeItem(L, 6);
    switch (shot.motion) {
    case eBulletMotion_Homing: shot.turnRate = RangeItem(L, 7) * kDegToRad; break;
    case eBulletMotion_Orbit:
        shot.radius = RangeItem(L, 7);
        shot.angularSpeed = RangeItem(L, 8) * kDegToRad;
        shot.startAngleKind = LuaGetIntItem(L, 8);
        shot.startAngle = RangeItem(L, 10) * kDegToRad;
        shot.centre = LuaGetIntItem(L, 10);
        break;
    case eBulletMotion_Wave:
        shot.amplitude = RangeItem(L, 7);
        shot.period = RangeItem(L, 8);
        break;
    default: break;
    }
    return shot;
}

TimelineEvent ReadEvent(lua_State* L)
{
    TimelineEvent event;
    event.type = LuaGetIntItem(L, 0);
    event.shot = LuaGetUIntItem(L, 1);
    event.time = RangeItem(L, 3);
    switch (event.type) {
    case eTimeline_SetMotion:
        event.speedMode = LuaGetIntItem(L, 3);
        event.speed = RangeItem(L, 5);
        event.accel = RangeItem(L, 6);
        event.maxSpeed = RangeItem(L, 7);
        event.angleKind = LuaGetIntItem(L, 7);
        event.angle = RangeItem(L, 9) * kDegToRad;
        break;
    case eTimeline_PlayAnimation: {
        const std::string clip = LuaGetStringItem(L, 3);
        event.animation = clip.empty() ? 0 : HashName(clip);
        break;
    }
    case eTimeline_FireFrom: event.firedShot = UIntRangeItem(L, 4); break;
    default: break;
    }
    return event;
}

// The enemies' attendant hook: a pattern spawned by an enemy shoots for it.
void SetPatternShooter(GameObj* attendant, GameObj* owner)
{
    if (auto* pattern =
            static_cast<BulletHellController*>(attendant->GetComponent(BulletHellController::s_Class.Key)))
        pattern->SetShooter(owner);
}

const bool s_bShooterHook = (g_pfnSetBulletOwner = &SetPatternShooter, true);

} // namespace

BulletHellController::BulletHellController(GameObj* owner) : Component(owner, s_Class) { (void)s_bShooterHook; }

bool BulletHellController::Load(lua_State* L)
{
    lua_getfield(L, -1, "createShots");
    if (lua_istable(L, -1)) {
        const size_t count = LuaGetItemCount(L);
        for (size_t i = 1; i <= count; ++i) {
            lua_rawgeti(L, -1, lua_Integer(i));
            m_Shots.push_back(lua_istable(L, -1) ? ReadShot(L) : ShotDefinition{});
            lua_pop(L, 1);
        }
    }
    lua_pop(L, 1);
    lua_getfield(L, -1, "timeline");
    bool warned = false;
    if (lua_istable(L, -1)) {
        const size_t count = LuaGetItemCount(L);
        for (size_t i = 1; i <= count; ++i) {
            lua_rawgeti(L, -1, lua_Integer(i));
            TimelineEvent event = lua_istable(L, -1) ? ReadEvent(L) : TimelineEvent{};
            lua_pop(L, 1);
            const bool shotKnown = event.shot < m_Shots.size();
            const bool firedKnown = event.type != eTimeline_FireFrom || event.firedShot < m_Shots.size();
            if (shotKnown)
                event.time += m_Shots[event.shot].baseTime;
            if (!(shotKnown && firedKnown)) {
                // Kept (it still counts in cancelling) but it never acts: the index has no shot.
                if (!warned)
                    LOG_ERROR << "BulletHellController of \"" << GetOwner()->GetPrototypeName() << "\": timeline entry "
                              << i << " names shot " << (shotKnown ? event.firedShot : event.shot) << " of "
                              << m_Shots.size() << "; such entries are skipped.";
                warned = true;
            } else if (event.type == eTimeline_FireFrom) {
                m_Shots[event.firedShot].baseTime += event.time;
            }
            m_Timeline.push_back(event);
        }
    }
    lua_pop(L, 1);
    return true;
}

bool BulletHellController::IsKindOf(TypeKey key) const { return key == s_Class.Key; }

BulletController* BulletHellController::GetBullet(uint32_t shot) const
{
    return shot < m_Bullets.size() ? m_Bullets[shot] : nullptr;
}

void BulletHellController::SetShooter(const GameObj* shooter) { m_nShooterId = shooter ? shooter->GetId() : -1; }

GameObj* BulletHellController::FindLive(int32_t id) const
{
    const MessageManager* messages = GetOwner()->GetMessageManager();
    return messages ? messages->FindLiveObject(id) : nullptr;
}

GameObj* BulletHellController::FindShooter() const { return FindLive(m_nShooterId); }

GameObj* BulletHellController::FindPlayer() const { return FindLive(m_nPlayerId); }

void BulletHellController::Start()
{
    m_fClock = 0.0f;
    GameObj* shooter = FindShooter();
    if (!shooter || !shooter->IsActive()) {
        m_nShooterId = -1;
        return;
    }
    ActorController* shooterActor = shooter->GetActorController();
    if (QuestController* quest = FindRootQuestController())
        if (quest->m_pPlayerObj)
            m_nPlayerId = quest->m_pPlayerObj->GetId();
    if (!g_pSceneManager)
        return;
    m_Bullets.assign(m_Shots.size(), nullptr);
    m_BulletIds.assign(m_Shots.size(), -1);
    for (size_t i = 0; i < m_Shots.size(); ++i) {
        GameObj* object = g_pSceneManager->Instantiate(m_Shots[i].prototype, GetOwner(), nullptr);
        if (!object)
            continue;
        if (auto* damage = static_cast<AttemptDamageController*>(object->GetComponent(AttemptDamageController::s_Class.Key)))
            if (shooterActor)
                damage->SetAttacker(*shooterActor);
        m_BulletIds[i] = object->GetId();
        m_Bullets[i] = static_cast<BulletController*>(object->GetComponent(BulletController::s_Class.Key));
        if (!m_Bullets[i] && !m_bWarnedEmptySlot) {
            m_bWarnedEmptySlot = true;
            LOG_ERROR << "BulletHellController of \"" << GetOwner()->GetPrototypeName() << "\": shot " << i << " (\""
                      << m_Shots[i].prototype << "\") has no BulletController; its timeline entries are skipped.";
        }
    }
}

void BulletHellController::Update()
{
    DropLostBullets();
    bool anyLeft = false;
    for (size_t i = 0; i < m_Bullets.size(); ++i) {
        BulletController* bullet = m_Bullets[i];
        if (!bullet)
            continue;
        if (bullet->m_bErased && bullet->GetOwner()->IsActive()) {
            CancelShot(uint32_t(i));
            bullet->GetOwner()->Deactivate();
        }
        anyLeft |= !bullet->m_bErased;
    }
    if (!anyLeft) {
        if (g_pSceneManager && !(GetOwner()->GetFlags() & eGameObjFlag_PendingRemoval))
            g_pSceneManager->DestroyLater(GetOwner(), 0.0f);
        return;
    }
    m_fClock += GetAppDeltaTime();
    for (TimelineEvent& event : m_Timeline) {
        if (event.done || event.time > m_fClock)
            continue;
        event.done = true;
        Perform(event);
    }
}

void BulletHellController::Perform(const TimelineEvent& event)
{
    BulletController* bullet = GetBullet(event.shot);
    if (!bullet || bullet->m_bErased)
        return;
    switch (event.type) {
    case eTimeline_SetMotion:
        bullet->m_fSpeed = event.speedMode == 1 ? bullet->m_fSpeed + event.speed : event.speed;
        bullet->m_fAccel = event.accel;
        bullet->m_fMaxSpeed = event.maxSpeed;
        bullet->SetDirection(ComputeShotAngle(bullet, event.angleKind, event.angle));
        break;
    case eTimeline_Erase: bullet->Erase(); break;
    case eTimeline_PlayAnimation:
        if (bullet->m_pSpriteAnimation)
            bullet->m_pSpriteAnimation->Play(event.animation, true);
        if (bullet->m_pCollisionAnimation)
            bullet->m_pCollisionAnimation->Play(event.animation, true);
        break;
    case eTimeline_Fire: FireShot(event.shot, bullet, nullptr); break;
    case eTimeline_FireFrom:
        if (BulletController* fired = GetBullet(event.firedShot); fired && !fired->m_bErased)
            FireShot(event.firedShot, fired, bullet);
        break;
    default: break;
    }
}

void BulletHellController::CancelShot(uint32_t shot)
{
    // Depth-first through fire-from chains; an event is marked done before it is followed, so a
    // chain that leads back to itself ends.
    for (TimelineEvent& event : m_Timeline) {
        if (event.done || event.shot != shot)
            continue;
        event.done = true;
        if (event.type == eTimeline_Erase || event.type == eTimeline_Fire) {
            if (BulletController* bullet = GetBullet(shot); bullet && !bullet->m_bErased)
                bullet->Erase();
        } else if (event.type == eTimeline_FireFrom) {
            CancelShot(event.firedShot);
            if (BulletController* fired = GetBullet(event.firedShot); fired && !fired->m_bErased)
                fired->Erase();
        }
    }
}

bool BulletHellController::FireShot(uint32_t shotIndex, BulletController* bullet, BulletController* source)
{
    if (!bullet || shotIndex >= m_Shots.size())
        return false;
    const ShotDefinition& shot = m_Shots[shotIndex];
    GameObj* shooter = FindShooter();
    GameObj* player = FindPlayer();
    const Kinematics* shooterBody = shooter ? shooter->GetKinematics() : nullptr;
    const Kinematics* playerBody = player ? player->GetKinematics() : nullptr;
    float x = 0.0f, y = 0.0f;
    bool placed = true;
    switch (shot.origin) {
    case 0:
        x = shot.offsetX;
        y = shot.offsetY;
        break;
    case 1:
        if (source && source->m_pKinematics) {
            x = source->m_pKinematics->m_fPosX + shot.offsetX;
            y = source->m_pKinematics->m_fPosY + shot.offsetY;
        } else if (shooterBody) {
            const ActorController* actor = shooter->GetActorController();
            const bool left = actor && !actor->m_bFacesRight;
            x = shooterBody->m_fPosX + (left ? -shot.offsetX : shot.offsetX);
            y = shooterBody->m_fPosY + shot.offsetY;
        } else {
            placed = false;
        }
        break;
    case 2:
        if (playerBody) {
            x = playerBody->m_fPosX + shot.offsetX;
            y = playerBody->m_fPosY + shot.offsetY;
        } else {
            placed = false;
        }
        break;
    default: placed = false; break;
    }
    if (!placed || !bullet->m_pKinematics) {
        // Nowhere to fire from: the shot never flies, and nothing waits on it.
        bullet->Erase();
        CancelShot(shotIndex);
        return false;
    }
    bullet->m_pKinematics->m_fPosX = x;
    bullet->m_pKinematics->m_fPosY = y;
    if (Transform* transform = bullet->m_pTransform) {
        float px = 0.0f, py = 0.0f;
        if (GameObj* parent = bullet->GetOwner()->GetParent())
            if (Transform* p = parent->GetTransform()) {
                px = p->WorldMatrix().m[3][0];
                py = p->WorldMatrix().m[3][1];
            }
        transform->SetLocalPosition(x - px, y - py, transform->LocalMatrix().m[3][2]);
        transform->UpdateWorldMatrices();
    }
    bullet->m_nMotion = shot.motion;
    switch (shot.motion) {
    case eBulletMotion_Straight:
        if (source) {
            bullet->m_fSpeed = source->m_fSpeed;
            bullet->m_fAccel = source->m_fAccel;
            bullet->m_fMaxSpeed = source->m_fMaxSpeed;
            bullet->SetDirection(std::atan2(source->m_vDirY, source->m_vDirX));
        }
        break;
    case eBulletMotion_Homing:
        bullet->SetTarget(player);
        bullet->m_fTurnRate = shot.turnRate;
        break;
    case eBulletMotion_Orbit: {
        bullet->SetTarget(shot.centre == 1 ? shooter : shot.centre == 2 ? player : nullptr);
        bullet->m_vBaseX = x;
        bullet->m_vBaseY = y;
        bullet->m_fAmpX = bullet->m_fAmpY = shot.radius;
        // An angular speed of 0 holds the bullet at its centre's offset-free point.
        const float w = shot.angularSpeed;
        bullet->m_fPeriodX = bullet->m_fPeriodY = w != 0.0f ? float(kTwoPi) / w : 0.0f;
        const float a = ComputeShotAngle(bullet, shot.startAngleKind, shot.startAngle);
        bullet->m_fPhaseX = bullet->m_fPhaseY = w != 0.0f ? a / w : 0.0f;
        break;
    }
    case eBulletMotion_Wave:
        bullet->m_vBaseX = x;
        bullet->m_vBaseY = y;
        bullet->m_fAmpX = shot.amplitude;
        bullet->m_fAmpY = 0.0f;
        bullet->m_fPeriodX = shot.period;
        bullet->m_fPeriodY = 0.0f;
        break;
    default: break;
    }
    bullet->ApplyTerrainRule();
    bullet->GetOwner()->Activate();
    return true;
}

float BulletHellController::ComputeShotAngle(const BulletController* bullet, int32_t kind, float angle) const
{
    double result = angle;
    switch (kind) {
    case eShotAngle_Relative:
        if (bullet)
            result += std::atan2(bullet->m_vDirY, bullet->m_vDirX);
        break;
    case eShotAngle_Mirrored: {
        const GameObj* shooter = FindShooter();
        const ActorController* actor = shooter ? shooter->GetActorController() : nullptr;
        if (actor && !actor->m_bFacesRight)
            result = kTwoPi / 2.0 - result;
        break;
    }
    case eShotAngle_Aimed: {
        const GameObj* player = FindPlayer();
        const Kinematics* body = player ? player->GetKinematics() : nullptr;
        if (body && bullet && bullet->m_pKinematics) {
            const double dx = double(body->m_fPosX) - bullet->m_pKinematics->m_fPosX;
            const double dy = double(body->m_fPosY) - bullet->m_pKinematics->m_fPosY;
            result += std::atan2(dy, dx);
        }
        break;
    }
    default: break;
    }
    // Reduced first, so that any finite angle from data ends in one step.
    if (!std::isfinite(result))
        return 0.0f;
    result = std::fmod(result, kTwoPi);
    if (result < 0.0)
        result += kTwoPi;
    return float(result);
}

void BulletHellController::LateUpdate() { DropLostBullets(); }

void BulletHellController::DropLostBullets()
{
    const MessageManager* messages = GetOwner()->GetMessageManager();
    if (!messages)
        return;
    for (size_t i = 0; i < m_Bullets.size(); ++i)
        if (m_Bullets[i] && !messages->FindLiveObject(m_BulletIds[i]))
            m_Bullets[i] = nullptr;
}
