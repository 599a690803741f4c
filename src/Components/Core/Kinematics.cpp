#include "Components/Core/Kinematics.h"

#include <cmath>

#include <lua.hpp>

#include "Components/Core/Collider.h"
#include "Components/Core/CollisionWorld.h"
#include "Components/Core/SteeringBehavior.h"
#include "System/Common/FrameCounter.h"
#include "System/Common/Log.h"
#include "System/Common/MathUtil.h"
#include "System/Lua/LuaTableReader.h"
#include "World/GameObj.h"
#include "World/Transform.h"

const ClassKey Kinematics::s_Class("Kinematics");

Kinematics::Kinematics(GameObj* owner) : Component(owner, s_Class) {}

Kinematics::~Kinematics() { delete m_pSteering; }

bool Kinematics::Load(lua_State* L)
{
    if (LuaPushPath(L, "velocity")) {
        if (lua_istable(L, -1)) {
            m_fVelX = LuaGetFloatField(L, "x");
            m_fVelY = LuaGetFloatField(L, "y");
        }
        lua_pop(L, 1);
    }
    if (LuaHasField(L, "useGravity"))
        m_bUseGravity = LuaGetBoolField(L, "useGravity");
    if (LuaHasField(L, "needClamp"))
        m_bNeedClamp = LuaGetBoolField(L, "needClamp");
    m_bNonPenetration = LuaGetBoolField(L, "nonPenetrationConstraint");
    if (LuaHasField(L, "maxSpeed")) {
        const float maxSpeed = LuaGetFloatField(L, "maxSpeed");
        // A limit below 0 would turn a resting body's velocity into 0 / 0.
        if (maxSpeed >= 0.0f)
            m_fMaxSpeed = maxSpeed;
        else
            LOG_ERROR << "Kinematics of \"" << GetOwner()->GetPrototypeName() << "\": \"maxSpeed\" " << maxSpeed
                      << " is negative or no number; " << m_fMaxSpeed << " is used.";
    }
    if (LuaHasField(L, "maxForce"))
        m_fMaxForce = LuaGetFloatField(L, "maxForce");
    if (LuaHasField(L, "mass")) {
        const float mass = LuaGetFloatField(L, "mass");
        // The steering force is divided by the mass: zero or less would fling the body away.
        if (mass > 0.0f)
            m_fMass = mass;
        else
            LOG_ERROR << "Kinematics of \"" << GetOwner()->GetPrototypeName() << "\": mass " << mass
                      << " is not positive; 1 is used.";
    }
    if (LuaGetBoolField(L, "useSteering"))
        SetSteering(new ZEV::SteeringBehavior(this));
    return true;
}

void Kinematics::SetSteering(ZEV::SteeringBehavior* steering)
{
    if (steering != m_pSteering)
        delete m_pSteering;
    m_pSteering = steering;
    m_bSteeringOn = steering != nullptr;
}

bool Kinematics::Attach()
{
    GetOwner()->SetKinematics(this);
    return true;
}

void Kinematics::Detach()
{
    if (GetOwner()->GetKinematics() == this)
        GetOwner()->SetKinematics(nullptr);
    SetSteering(nullptr);
}

bool Kinematics::IsKindOf(TypeKey key) const { return key == s_Class.Key; }

void Kinematics::Start()
{
    Transform* t = GetOwner()->GetTransform();
    if (!t)
        return;
    const Matrix4x4& w = t->WorldMatrix();
    m_fPosX = w.m[3][0];
    m_fPosY = w.m[3][1];
    const float a = Atan2(w.m[0][1], w.m[1][1]);
    if (a == 0.0f) {
        m_fHeadingX = 1.0f;
        m_fHeadingY = 0.0f;
    } else {
        m_fHeadingX = std::cos(a);
        m_fHeadingY = std::sin(a);
    }
    m_fSideX = -m_fHeadingY;
    m_fSideY = m_fHeadingX;
}

void Kinematics::PhysicsUpdate()
{
    // A body without steering or gravity (a bullet's) has nothing to add.
    const bool steering = m_pSteering && m_bSteeringOn;
    if (!steering && !m_bUseGravity)
        return;
    const float dt = GetAppDeltaTime();
    if (steering) {
        ZEV::SteeringBehavior& s = *m_pSteering;
        s.m_SteeringForce = {0.0f, 0.0f};
        if (s.m_eSumming == eSumming_WeightedTruncated)
            s.CalculateWeightedSum();
        else if (s.m_eSumming == eSumming_Prioritized)
            s.CalculatePrioritized();
        float fx = s.m_SteeringForce.x;
        float fy = s.m_SteeringForce.y;
        if (m_bUseGravity) {
            fx += kGravityX * m_fGravityScale;
            fy += kGravityY * m_fGravityScale;
        }
        m_fVelX += fx / m_fMass * dt;
        m_fVelY += fy / m_fMass * dt;
    } else if (m_bUseGravity) {
        m_fVelX += kGravityX * m_fGravityScale * dt;
        m_fVelY += kGravityY * m_fGravityScale * dt;
    }
}

void Kinematics::TruncateVelocity()
{
    float speed = std::sqrt(m_fVelX * m_fVelX + m_fVelY * m_fVelY);
    // The velocity's length: the speed itself unless the velocity is cut down below.
    float len = speed;
    if (speed > m_fMaxSpeed && !(m_fMaxSpeed > 0.0f)) {
        // No speed allowed (a limit set below 0 by code included): the body stops.
        m_fVelX = m_fVelY = speed = len = 0.0f;
    } else if (speed > m_fMaxSpeed) {
        m_fVelX = m_fVelX / speed * m_fMaxSpeed;
        m_fVelY = m_fVelY / speed * m_fMaxSpeed;
        speed = m_fMaxSpeed;
        len = std::sqrt(m_fVelX * m_fVelX + m_fVelY * m_fVelY);
    }
    if (speed >= 0.000001f) {
        m_fHeadingX = m_fVelX / len;
        m_fHeadingY = m_fVelY / len;
        m_fSideX = -m_fHeadingY;
        m_fSideY = m_fHeadingX;
    }
    const float dt = GetAppDeltaTime();
    m_fDispX = m_fVelX * dt;
    m_fDispY = m_fVelY * dt;
    m_fSpeed = speed;
}

void Kinematics::Update()
{
    const float dt = GetAppDeltaTime();
    m_fPosX += m_fVelX * dt;
    m_fPosY += m_fVelY * dt;
    if (m_bNonPenetration && g_pCollisionWorld)
        g_pCollisionWorld->PushOut(*this);
    if (m_bNeedClamp) {
        float ex = 0.0f, ey = 0.0f;
        if (Collider* c = GetOwner()->GetCollider()) {
            if (c->GetShape() == eColliderShape_Box) {
                auto* box = static_cast<Box2DCollider*>(c);
                ex = box->GetWorldHalfX();
                ey = box->GetWorldHalfY();
            } else if (c->GetShape() == eColliderShape_Circle) {
                ex = ey = static_cast<CircleCollider*>(c)->GetWorldRadius();
            }
        }
        const StageBounds b = g_pCollisionWorld ? g_pCollisionWorld->GetStageBounds() : kDefaultStageBounds;
        if (m_fPosX < b.minX + ex) {
            m_fPosX = b.minX + ex;
            m_fVelX = 0.0f;
        } else if (m_fPosX > b.maxX - ex) {
            m_fPosX = b.maxX - ex;
            m_fVelX = 0.0f;
        }
        if (m_fPosY < b.minY + ey) {
            m_fPosY = b.minY + ey;
            m_fVelY = 0.0f;
        } else if (m_fPosY > b.maxY - ey) {
            m_fPosY = b.maxY - ey;
            m_fVelY = 0.0f;
        }
    }
    GameObj* owner = GetOwner();
    Transform* t = owner->GetTransform();
    if (!t)
        return;
    float x = m_fPosX, y = m_fPosY;
    if (GameObj* parent = owner->GetParent())
        if (Transform* pt = parent->GetTransform()) {
            x -= pt->WorldMatrix().m[3][0];
            y -= pt->WorldMatrix().m[3][1];
        }
    t->SetLocalPosition(x, y, t->LocalMatrix().m[3][2]);
    t->UpdateWorldMatrices();
}
