#include "Components/Core/Camera2D.h"

#include <cmath>
#include <lua.hpp>

#include "Components/Core/CollisionWorld.h"
#include "System/Common/FrameCounter.h"
#include "System/Common/MathUtil.h"
#include "System/Common/Random.h"
#include "System/Lua/LuaTableReader.h"
#include "World/GameObj.h"
#include "World/Transform.h"

const ClassKey Camera2D::s_Class("Camera2D");

CameraRegistry g_CameraRegistry;

NameId GameCameraTag()
{
    static const NameId tag = HashName("GameCamera");
    return tag;
}

Camera2D* CameraRegistry::Find(NameId tag) const
{
    auto it = m_Cameras.find(tag);
    return it == m_Cameras.end() ? nullptr : it->second;
}

bool CameraRegistry::Register(NameId tag, Camera2D* camera) { return m_Cameras.emplace(tag, camera).second; }

void CameraRegistry::Unregister(NameId tag, const Camera2D* camera)
{
    auto it = m_Cameras.find(tag);
    if (it != m_Cameras.end() && it->second == camera)
        m_Cameras.erase(it);
}

namespace {

// 6 x sqrt(3): scales the wave (2l^2 - 3l + 1) l to peaks of +-1.
constexpr float kShakeWaveScale = 10.392304420471191f;
constexpr float kHalfPi = 1.5707964f;
constexpr double kUnitOfWord = 2.3283064370807974e-10;

float ShakeWave(float elapsed, float period, float amplitude, float envelope)
{
    const float l = FloatMod(elapsed / period, 1.0f);
    return (2.0f * l * l - 3.0f * l + 1.0f) * l * kShakeWaveScale * amplitude * envelope;
}

} // namespace

Camera2D::Camera2D(GameObj* owner) : Component(owner, s_Class) {}

bool Camera2D::Load(lua_State* L)
{
    m_nDepth = static_cast<uint8_t>(LuaGetIntField(L, "depth"));
    if (LuaPushTableField(L, "screenSize")) {
        m_fHalfWidth = LuaGetFloatField(L, "width") * 0.5f;
        m_fHalfHeight = LuaGetFloatField(L, "height") * 0.5f;
        lua_pop(L, 1);
    }
    if (LuaPushTableField(L, "spring")) {
        m_bSpring = true;
        m_fSpringLength = LuaGetFloatField(L, "length");
        m_fSpringConst = LuaGetFloatField(L, "springConst");
        m_fDampConst = LuaGetFloatField(L, "dumpConst");
        lua_pop(L, 1);
    }
    return true;
}

bool Camera2D::Attach() { return g_CameraRegistry.Register(GetOwner()->GetTag(), this); }

void Camera2D::Detach() { g_CameraRegistry.Unregister(GetOwner()->GetTag(), this); }

bool Camera2D::IsKindOf(TypeKey key) const { return key == s_Class.Key; }

void Camera2D::Start() { m_pTransform = GetOwner()->GetTransform(); }

float Camera2D::GetX() const { return m_pTransform ? m_pTransform->WorldMatrix().m[3][0] : 0.0f; }

float Camera2D::GetY() const { return m_pTransform ? m_pTransform->WorldMatrix().m[3][1] : 0.0f; }

void Camera2D::MoveTo(float x, float y)
{
    const StageBounds& bounds = g_pCollisionWorld ? g_pCollisionWorld->GetStageBounds() : kDefaultStageBounds;
    if (x < bounds.minX + m_fHalfWidth)
        x = bounds.minX + m_fHalfWidth;
    else if (x > bounds.maxX - m_fHalfWidth)
        x = bounds.maxX - m_fHalfWidth;
    if (y < bounds.minY + m_fHalfHeight)
        y = bounds.minY + m_fHalfHeight;
    else if (y > bounds.maxY - m_fHalfHeight)
        y = bounds.maxY - m_fHalfHeight;
    Transform* t = m_pTransform ? m_pTransform : GetOwner()->GetTransform();
    if (!t)
        return;
    if (GameObj* parent = GetOwner()->GetParent())
        if (Transform* pt = parent->GetTransform()) {
            x -= pt->WorldMatrix().m[3][0];
            y -= pt->WorldMatrix().m[3][1];
        }
    t->SetLocalPosition(x, y, t->LocalMatrix().m[3][2]);
    t->UpdateWorldMatrices();
}

void Camera2D::SetPosition(float x, float y)
{
    m_pTarget = nullptr;
    MoveTo(x, y);
}

void Camera2D::Shake(float amplitudeX, float amplitudeY, float duration, float cycles)
{
    m_fShakeElapsed = 0.0f;
    m_bShaking = true;
    m_fShakeDuration = duration;
    const float fx = static_cast<float>(0.875 + RandomNext() * kUnitOfWord * 0.25);
    m_fShakeAmplitudeX = amplitudeX * fx;
    const float fy = static_cast<float>(0.875 + RandomNext() * kUnitOfWord * 0.25);
    m_fShakeAmplitudeY = amplitudeY * fy;
    m_fShakePeriodX = duration / RandomFloat(cycles * 0.875f, cycles * 1.125f);
    m_fShakePeriodY = duration / RandomFloat(cycles * 0.875f, cycles * 1.125f);
}

void Camera2D::LateUpdate()
{
    if (m_pTarget && m_pTransform) {
        const float tx = m_pTarget->WorldMatrix().m[3][0];
        const float ty = m_pTarget->WorldMatrix().m[3][1];
        float nx = tx, ny = ty;
        if (m_bSpring) {
            const float px = GetX(), py = GetY();
            const float dx = px - tx, dy = py - ty;
            const float lengthSq = dx * dx + dy * dy;
            float ux = 0.0f, uy = 0.0f, dist = 0.0f;
            if (lengthSq > 0.000001f) {
                const float inv = FastInvSqrt(lengthSq);
                ux = dx * inv;
                uy = dy * inv;
                dist = lengthSq * inv;
            }
            nx = px;
            ny = py;
            if (dist > 0.000001f) {
                const float dt = GetAppRawDeltaTime();
                const float vx = (m_fPrevTargetX - tx) * dt, vy = (m_fPrevTargetY - ty) * dt;
                const float k = ((vx * ux + vy * uy) * m_fDampConst + (m_fSpringLength - dist) * m_fSpringConst) * dt;
                nx = px + ux * k;
                ny = py + uy * k;
            }
        }
        m_fPrevTargetX = tx;
        m_fPrevTargetY = ty;
        MoveTo(nx, ny);
    }
    if (m_bShaking) {
        m_fShakeElapsed += GetAppDeltaTime();
        if (m_fShakeElapsed > m_fShakeDuration)
            m_fShakeElapsed = m_fShakeDuration;
        if (m_fShakeElapsed >= m_fShakeDuration) {
            m_bShaking = false;
            m_fShakeOffsetX = m_fShakeOffsetY = 0.0f;
            return;
        }
        const float envelope = 1.0f - std::sin(m_fShakeElapsed / m_fShakeDuration * kHalfPi);
        m_fShakeOffsetX = ShakeWave(m_fShakeElapsed, m_fShakePeriodX, m_fShakeAmplitudeX, envelope);
        m_fShakeOffsetY = ShakeWave(m_fShakeElapsed, m_fShakePeriodY, m_fShakeAmplitudeY, envelope);
    }
}
