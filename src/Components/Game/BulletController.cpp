#include "Components/Game/BulletController.h"

#include <cmath>

#include "Components/Core/Animation.h"
#include "Components/Core/Camera2D.h"
#include "Components/Core/Collider.h"
#include "Components/Core/CollisionWorld.h"
#include "Components/Core/Kinematics.h"
#include "Components/Core/Renderer.h"
#include "Components/Core/SpriteRenderer.h"
#include "Components/Game/ActorController.h"
#include "Components/Game/AttemptDamageController.h"
#include "System/Common/FrameCounter.h"
#include "System/Common/MathUtil.h"
#include "System/Common/NameHash.h"
#include "System/Lua/LuaTableReader.h"
#include "World/GameObj.h"
#include "World/MessageManager.h"
#include "World/Transform.h"

const ClassKey BulletController::s_Class("BulletController");
const ClassKey BulletEraser::s_Class("BulletEraser");

namespace {

constexpr float kTwoPi = 6.28318530717958647692f;

// Advances a phase by dt and wraps it by the period's magnitude (fmod: a huge phase ends at
// once); returns the angle 2π × phase / period, the sign of the period giving the direction.
// A period of 0 holds the axis at its base.
bool StepPhase(float& phase, float period, float dt, float& angle)
{
    if (period == 0.0f || !std::isfinite(period)) {
        angle = 0.0f;
        return false;
    }
    const float length = std::fabs(period);
    phase += dt;
    if (phase > length)
        phase = std::fmod(phase, length);
    angle = kTwoPi * phase / period;
    return true;
}

} // namespace

BulletController::BulletController(GameObj* owner) : Component(owner, s_Class) {}

bool BulletController::Load(lua_State* L)
{
    m_bFlipSprite = LuaGetBoolField(L, "flipSprite");
    m_bRotateSprite = LuaGetBoolField(L, "rotateSprite");
    m_bPenetrateTarget = LuaGetBoolField(L, "penetrateTarget");
    m_bRemoveWhenOffScreen = LuaGetBoolField(L, "removeWhenOffScreen");
    m_nCollideTerrain = LuaGetIntField(L, "collideTerrain");
    return true;
}

bool BulletController::IsKindOf(TypeKey key) const { return key == s_Class.Key; }

void BulletController::Start()
{
    GameObj* owner = GetOwner();
    m_pTransform = owner->GetTransform();
    m_pKinematics = owner->GetKinematics();
    m_pRenderer = owner->GetRenderer();
    m_pCollider = owner->GetCollider();
    m_pSpriteAnimation = owner->GetSpriteAnimation();
    m_pCollisionAnimation = static_cast<CollisionAnimation*>(owner->GetComponent(CollisionAnimation::s_Class.Key));
    m_pDamage = static_cast<AttemptDamageController*>(owner->GetComponent(AttemptDamageController::s_Class.Key));
    // Whether bouncing stays allowed depends on the motion, which only the firing sets.
    if (m_nCollideTerrain == 0 && m_pCollider)
        m_pCollider->SetCullingMask(m_pCollider->GetCullingMask() & ~kBulletTerrainMaskBit);
    owner->Deactivate();
}

void BulletController::ApplyTerrainRule()
{
    if (m_nCollideTerrain == 2 && m_nMotion != eBulletMotion_Straight)
        m_nCollideTerrain = 0;
    if (m_nCollideTerrain == 0 && m_pCollider)
        m_pCollider->SetCullingMask(m_pCollider->GetCullingMask() & ~kBulletTerrainMaskBit);
}

void BulletController::SetTarget(const GameObj* target)
{
    m_nTargetId = target && target->GetKinematics() ? target->GetId() : -1;
}

Kinematics* BulletController::FindTarget()
{
    if (m_nTargetId < 0)
        return nullptr;
    const MessageManager* messages = GetOwner()->GetMessageManager();
    const GameObj* target = messages ? messages->FindLiveObject(m_nTargetId) : nullptr;
    Kinematics* body = target ? target->GetKinematics() : nullptr;
    if (!body)
        m_nTargetId = -1;
    return body;
}

void BulletController::MoveBase(float dt)
{
    if (const Kinematics* target = FindTarget()) {
        m_vBaseX = target->m_fPosX;
        m_vBaseY = target->m_fPosY;
    } else {
        m_vBaseX += m_vDirX * m_fSpeed * dt;
        m_vBaseY += m_vDirY * m_fSpeed * dt;
    }
}

void BulletController::PhysicsUpdate()
{
    if (!m_pKinematics)
        return;
    Kinematics& k = *m_pKinematics;
    const float dt = GetAppDeltaTime();
    m_fSpeed = std::fmin(m_fSpeed + m_fAccel * dt, m_fMaxSpeed);
    float wantX = 0.0f, wantY = 0.0f;
    switch (m_nMotion) {
    case eBulletMotion_Straight:
        k.m_fVelX = m_vDirX * m_fSpeed;
        k.m_fVelY = m_vDirY * m_fSpeed;
        return;
    case eBulletMotion_Homing: {
        if (const Kinematics* target = FindTarget()) {
            float dx = target->m_fPosX - k.m_fPosX, dy = target->m_fPosY - k.m_fPosY;
            const float lengthSq = dx * dx + dy * dy;
            if (lengthSq > 1e-6f) {
                const float length = std::sqrt(lengthSq);
                dx /= length;
                dy /= length;
            } else {
                dx = dy = 0.0f;
            }
            const float a = m_fTurnRate * dt;
            if (m_vDirX * dx + m_vDirY * dy >= std::cos(a)) {
                m_vDirX = dx;
                m_vDirY = dy;
            } else {
                const float turn = m_vDirX * dy - m_vDirY * dx >= 0.0f ? a : -a;
                const float c = std::cos(turn), s = std::sin(turn);
                const float x = m_vDirX * c - m_vDirY * s, y = m_vDirX * s + m_vDirY * c;
                // Renormalised so that rounding never lets the heading shrink or grow over time.
                const float length = std::sqrt(x * x + y * y);
                m_vDirX = length > 0.0f ? x / length : 0.0f;
                m_vDirY = length > 0.0f ? y / length : 0.0f;
            }
        }
        k.m_fVelX = m_vDirX * m_fSpeed;
        k.m_fVelY = m_vDirY * m_fSpeed;
        return;
    }
    case eBulletMotion_Orbit: {
        MoveBase(dt);
        float ax = 0.0f, ay = 0.0f;
        const bool movesX = StepPhase(m_fPhaseX, m_fPeriodX, dt, ax);
        const bool movesY = StepPhase(m_fPhaseY, m_fPeriodY, dt, ay);
        wantX = m_vBaseX + (movesX ? std::cos(ax) * m_fAmpX : 0.0f);
        wantY = m_vBaseY + (movesY ? std::sin(ay) * m_fAmpY : 0.0f);
        break;
    }
    case eBulletMotion_Wave: {
        MoveBase(dt);
        float ax = 0.0f;
        const float s = StepPhase(m_fPhaseX, m_fPeriodX, dt, ax) ? std::sin(ax) * m_fAmpX : 0.0f;
        wantX = m_vBaseX - m_vDirY * s;
        wantY = m_vBaseY + m_vDirX * s;
        break;
    }
    default:
        return;
    }
    const float inverse = dt < 1e-6f ? 0.0f : 1.0f / dt;
    k.m_fVelX = (wantX - k.m_fPosX) * inverse;
    k.m_fVelY = (wantY - k.m_fPosY) * inverse;
}

void BulletController::Update()
{
    bool remove = false;
    if (m_bRemoveWhenOffScreen)
        if (Camera2D* camera = g_CameraRegistry.Find(GameCameraTag())) {
            const Vec2 at = WorldPosition(GetOwner()), eye = WorldPosition(camera->GetOwner());
            const float dx = at.x - eye.x, dy = at.y - eye.y;
            remove = dx * dx + dy * dy >= kBulletOffScreenDistanceSq;
        }
    if (m_pDamage && !m_bPenetrateTarget && m_pDamage->m_bHasHit)
        remove = true;
    if (m_bFlipSprite) {
        const bool mirrored = m_vDirX <= 0.0f;
        if (m_pRenderer && m_pRenderer->IsKindOf(SpriteRenderer::s_Class.Key)) {
            auto* sprite = static_cast<SpriteRenderer*>(m_pRenderer);
            sprite->SetFlip(mirrored, sprite->GetFlipV());
        }
        if (m_pCollider)
            m_pCollider->SetFlip(mirrored);
    }
    if (remove)
        Erase();
}

void BulletController::OnCollisionEnter(const CollisionInfo& info) { OnTerrain(info); }

void BulletController::OnCollisionStay(const CollisionInfo& info) { OnTerrain(info); }

void BulletController::OnTerrain(const CollisionInfo& info)
{
    static const NameId kTerrain = HashName("Terrain");
    if (!info.other || info.other->GetTag() != kTerrain)
        return;
    if (m_nCollideTerrain == 2)
        Bounce(info);
    else
        Erase();
}

void BulletController::Bounce(const CollisionInfo& info)
{
    Collider* other = info.other->GetCollider();
    if (!m_pKinematics || !other || !other->IsKindOf(SegmentCollider::s_Class.Key))
        return;
    const auto* segment = static_cast<const SegmentCollider*>(other);
    Kinematics& k = *m_pKinematics;
    const float nx = segment->GetNormalX(), ny = segment->GetNormalY();
    if (std::fabs(segment->GetDirectionX()) < 1e-6f) {
        k.m_fVelX = -k.m_fVelX;
        if (nx * k.m_fVelX + ny * k.m_fVelY <= 0.0f)
            k.m_fVelX = info.vectorX;
        k.m_fPosX = info.pointX;
    } else if (std::fabs(segment->GetDirectionY()) < 1e-6f) {
        k.m_fVelY = -k.m_fVelY;
        if (nx * k.m_fVelX + ny * k.m_fVelY <= 0.0f)
            k.m_fVelY = info.vectorY;
        k.m_fPosY = info.pointY;
    } else {
        const float along = nx * k.m_fVelX + ny * k.m_fVelY;
        if (k.m_fPosY <= info.pointY && along < 0.0f) {
            k.m_fVelX -= 2.0f * along * nx;
            k.m_fVelY -= 2.0f * along * ny;
            k.m_fPosY = info.pointY;
        }
    }
    const float lengthSq = k.m_fVelX * k.m_fVelX + k.m_fVelY * k.m_fVelY;
    if (lengthSq > 1e-6f) {
        const float length = std::sqrt(lengthSq);
        m_vDirX = k.m_fVelX / length;
        m_vDirY = k.m_fVelY / length;
    } else {
        m_vDirX = m_vDirY = 0.0f;
    }
}

void BulletController::SetDirection(float angle)
{
    m_vDirX = std::cos(angle);
    m_vDirY = std::sin(angle);
    if (!m_bRotateSprite || !m_pTransform)
        return;
    if (m_bFlipSprite && !(m_vDirX > 0.0f))
        angle -= 3.14159265358979f;
    // A world rotation: the parent's turn is taken back out.
    m_pTransform->SetRotation(angle, false);
}

void BulletController::Erase()
{
    m_bErased = true;
    if (m_pCollider && m_pCollider->IsEnabled())
        m_pCollider->Disable();
}

BulletEraser::BulletEraser(GameObj* owner) : Component(owner, s_Class) {}

bool BulletEraser::IsKindOf(TypeKey key) const { return key == s_Class.Key; }

void BulletEraser::OnCollisionEnter(const CollisionInfo& info)
{
    static const NameId kBullet = HashName("Bullet");
    if (!info.other || info.other->GetTag() != kBullet)
        return;
    auto* bullet = static_cast<BulletController*>(info.other->GetComponent(BulletController::s_Class.Key));
    if (bullet && !bullet->m_bErased)
        bullet->Erase();
}
