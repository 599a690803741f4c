#include "Components/Game/KnockbackController.h"

#include <algorithm>
#include <cmath>

#include <lua.hpp>

#include "Components/Core/Collider.h"
#include "Components/Core/CollisionWorld.h"
#include "Components/Core/Kinematics.h"
#include "Components/Game/ActorController.h"
#include "System/Common/FrameCounter.h"
#include "System/Common/Log.h"
#include "System/Lua/LuaTableReader.h"
#include "World/GameObj.h"
#include "World/Transform.h"

const ClassKey KnockbackController::s_Class("KnockbackController");

namespace {

const NameId kTerrainTag = HashName("Terrain");

} // namespace

KnockbackController::KnockbackController(GameObj* owner) : Component(owner, s_Class) {}

bool KnockbackController::Load(lua_State* L)
{
    lua_getfield(L, -1, "knockbackDuration");
    const bool hasDuration = !lua_isnil(L, -1);
    lua_pop(L, 1);
    if (hasDuration)
        m_fKnockbackDuration = LuaGetFloatField(L, "knockbackDuration");
    m_nReflectionLayer = LuaGetUIntField(L, "reflectionLayer");
    return true;
}

bool KnockbackController::IsKindOf(TypeKey key) const { return key == s_Class.Key; }

void KnockbackController::Start()
{
    m_pTransform = GetOwner()->GetTransform();
    m_pKinematics = GetOwner()->GetKinematics();
    m_pActor = GetOwner()->GetActorController();
    if (m_pKinematics) {
        m_bSavedGravity = m_pKinematics->m_bUseGravity;
        m_bHadSteering = m_pKinematics->GetSteering() != nullptr;
        m_fSavedMaxSpeed = m_pKinematics->m_fMaxSpeed;
    } else {
        LOG_ERROR << "KnockbackController of \"" << GetOwner()->GetPrototypeName()
                  << "\" has no Kinematics; the object is never knocked back.";
    }
    Disable();
}

void KnockbackController::SetUpright()
{
    if (!m_pTransform)
        return;
    float parentAngle = 0.0f;
    if (GameObj* parent = GetOwner()->GetParent())
        if (Transform* p = parent->GetTransform())
            parentAngle = Atan2(p->WorldMatrix().m[0][1], p->WorldMatrix().m[1][1]);
    // SetRotation(local) stores the negated angle in the block, as the parent's atan2 reads it.
    m_pTransform->SetRotation(parentAngle, true);
}

void KnockbackController::Begin(const Vec2& velocity, float spin, int32_t bounces, bool blown)
{
    if (!m_pKinematics)
        return;
    Enable();
    m_vVelocity = velocity;
    m_fSpin = std::fabs(spin);
    m_fElapsed = 0.0f;
    m_nBounces = bounces;
    m_bBlown = blown;
    m_bPending = true;
    m_bFinished = false;
    m_pKinematics->m_bUseGravity = true;
    m_pKinematics->m_fMaxSpeed = 10000.0f;
    if (m_pKinematics->GetSteering())
        m_pKinematics->m_bSteeringOn = false;
    SetUpright();
}

void KnockbackController::End()
{
    Disable();
    SetUpright();
    if (!m_pKinematics)
        return;
    m_pKinematics->m_bUseGravity = m_bSavedGravity;
    m_pKinematics->m_fMaxSpeed = m_fSavedMaxSpeed;
    if (m_bHadSteering && m_pKinematics->GetSteering())
        m_pKinematics->m_bSteeringOn = true;
}

void KnockbackController::PhysicsUpdate()
{
    if (m_bPending && m_pKinematics) {
        m_pKinematics->m_fVelX = m_vVelocity.x;
        m_pKinematics->m_fVelY = m_vVelocity.y;
        m_bPending = false;
    }
}

void KnockbackController::Update()
{
    const float dt = GetAppDeltaTime();
    if (m_fSpin != 0.0f && m_pTransform && m_pKinematics) {
        const float angle = (m_pKinematics->m_fVelX < 0.0f ? -m_fSpin : m_fSpin) * dt;
        const float c = std::cos(angle);
        const float s = std::sin(angle);
        Matrix4x4& m = m_pTransform->LocalMatrix();
        for (int row = 0; row < 2; ++row) {
            const float x = m.m[row][0];
            const float y = m.m[row][1];
            m.m[row][0] = x * c - y * s;
            m.m[row][1] = x * s + y * c;
        }
        m_pTransform->UpdateWorldMatrices();
    }
    if (m_fKnockbackDuration > 0.0f) {
        m_fElapsed += dt;
        if (m_fElapsed >= m_fKnockbackDuration)
            m_bFinished = true;
    }
}

void KnockbackController::OnCollisionEnter(const CollisionInfo& info) { OnContact(info); }

void KnockbackController::OnCollisionStay(const CollisionInfo& info) { OnContact(info); }

void KnockbackController::OnContact(const CollisionInfo& info)
{
    if (!info.other || !m_pKinematics)
        return;
    if (info.other->GetTag() == kTerrainTag) {
        Collider* c = info.other->GetCollider();
        if (c && c->GetShape() == eColliderShape_Segment)
            BounceOnTerrain(*static_cast<SegmentCollider*>(c), info);
        return;
    }
    Collider* c = info.other->GetCollider();
    if (c && (c->GetLayer() & m_nReflectionLayer) != 0)
        BounceOnActor(info);
}

void KnockbackController::UpdateDead()
{
    if (m_pActor)
        m_pActor->m_bDead = m_pActor->HealthGone();
}

void KnockbackController::BounceOnTerrain(const SegmentCollider& segment, const CollisionInfo& info)
{
    Kinematics& k = *m_pKinematics;
    const float dx = segment.GetDirectionX();
    const float dy = segment.GetDirectionY();
    const float nx = segment.GetNormalX();
    const float ny = segment.GetNormalY();
    auto land = [&] {
        if (k.m_fVelY <= 0.0f) {
            k.m_fVelY = info.vectorY;
            k.m_fPosY = info.pointY;
            m_bFinished = true;
            UpdateDead();
        }
    };
    if (std::fabs(dx) < 1e-6f) {
        k.m_fVelX = -k.m_fVelX;
        if (k.m_fVelX * nx + k.m_fVelY * ny <= 0.0f)
            k.m_fVelX = info.vectorX;
        k.m_fPosX = info.pointX;
        m_nBounces = std::max(m_nBounces - 1, 0);
    } else if (std::fabs(dy) < 1e-6f) {
        if (m_nBounces <= 0) {
            land();
            return;
        }
        k.m_fVelY = -k.m_fVelY;
        if (k.m_fVelX * nx + k.m_fVelY * ny <= 0.0f)
            k.m_fVelY = info.vectorY;
        k.m_fPosY = info.pointY;
        --m_nBounces;
    } else {
        if (info.pointY < k.m_fPosY)
            return;
        if (m_nBounces <= 0) {
            land();
            return;
        }
        const double kdot = static_cast<double>(k.m_fVelX) * nx + static_cast<double>(k.m_fVelY) * ny;
        if (!(kdot < 0.0))
            return;
        k.m_fVelX = static_cast<float>(k.m_fVelX - 2.0 * kdot * nx);
        k.m_fVelY = static_cast<float>(k.m_fVelY - 2.0 * kdot * ny);
        k.m_fPosY = info.pointY;
        --m_nBounces;
    }
    UpdateDead();
    m_bBlown = false;
}

void KnockbackController::BounceOnActor(const CollisionInfo& info)
{
    if (!m_bBlown && m_nBounces > 0) {
        Kinematics& k = *m_pKinematics;
        const float ex = info.otherPointX - info.pointX;
        const float ey = info.otherPointY - info.pointY;
        const float d2 = ex * ex + ey * ey;
        const float len = std::sqrt(d2);
        if (d2 < 1e-6f || len < 1e-6f) {
            k.m_fVelX = 0.0f;
            k.m_fVelY = 0.0f;
        } else {
            const float nx = ex / len;
            const float ny = ey / len;
            const float ax = info.vectorX;
            const float ay = info.vectorY;
            const float dot = (ax - info.otherVectorX) * nx + (ay - info.otherVectorY) * ny;
            k.m_fVelX = ax - dot * nx;
            k.m_fVelY = ay - dot * ny;
        }
    }
    UpdateDead();
}
