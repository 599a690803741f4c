#include "Components/Core/Collider.h"

#include <cmath>

#include <lua.hpp>

#include "Components/Core/Camera2D.h"
#include "Components/Core/CollisionWorld.h"
#include "Components/Core/Renderer.h"
#include "System/Common/MathUtil.h"
#include "System/Graphics/Color.h"
#include "System/Graphics/SpriteBatch.h"
#include "System/Lua/LuaTableReader.h"
#include "World/GameObj.h"
#include "World/Transform.h"

const ClassKey Collider::s_Class("Collider");
const ClassKey Box2DCollider::s_Class("Box2DCollider");
const ClassKey CircleCollider::s_Class("CircleCollider");
const ClassKey SegmentCollider::s_Class("SegmentCollider");

namespace {

// Set while a collider hands a report to its object's components: another collider of the
// same object would hand it back, without end.
bool s_bForwarding = false;

// Reads {x, y} from the named table field; false, outputs untouched, when it is not a table.
bool ReadPoint(lua_State* L, const char* name, const char* keyX, const char* keyY, float& x, float& y)
{
    if (!LuaPushPath(L, name))
        return false;
    const bool isTable = lua_istable(L, -1);
    if (isTable) {
        x = LuaGetFloatField(L, keyX);
        y = LuaGetFloatField(L, keyY);
    }
    lua_pop(L, 1);
    return isTable;
}

} // namespace

Collider::Collider(GameObj* owner, const ClassKey& classKey, ColliderShape shape)
    : Component(owner, classKey), m_eShape(shape), m_nLayer(owner->GetLayer())
{
}

bool Collider::Load(lua_State* L)
{
    lua_getfield(L, -1, "cullingMask");
    const bool hasMask = !lua_isnil(L, -1);
    lua_pop(L, 1);
    if (hasMask)
        m_nCullingMask = LuaGetUIntField(L, "cullingMask");
    m_bVisible = LuaGetBoolField(L, "visible");
    return true;
}

bool Collider::Attach()
{
    GetOwner()->SetCollider(this);
    if (g_pCollisionWorld)
        g_pCollisionWorld->AddProxy(this);
    return true;
}

void Collider::Detach()
{
    if (g_pCollisionWorld)
        g_pCollisionWorld->Remove(this);
    if (GetOwner()->GetCollider() == this)
        GetOwner()->SetCollider(nullptr);
}

bool Collider::IsKindOf(TypeKey key) const { return key == s_Class.Key; }

void Collider::Start()
{
    if (!g_pCollisionWorld)
        return;
    if (CollisionProxy* proxy = g_pCollisionWorld->FindProxy(this)) {
        ComputeWorldShape(proxy->box);
        g_pCollisionWorld->GetTree().Insert(proxy);
    }
}

template <class Call>
void Collider::Forward(Call call)
{
    if (s_bForwarding)
        return;
    s_bForwarding = true;
    // By index: a receiver may add components to the object.
    const ComponentList& list = GetOwner()->GetComponents();
    for (size_t i = 0; i < list.size(); ++i) {
        Component* c = list[i];
        if (c != this && c->IsLive())
            call(c);
    }
    s_bForwarding = false;
}

void Collider::OnCollisionEnter(const CollisionInfo& info)
{
    Forward([&](Component* c) { c->OnCollisionEnter(info); });
}

void Collider::OnCollisionStay(const CollisionInfo& info)
{
    Forward([&](Component* c) { c->OnCollisionStay(info); });
}

void Collider::OnCollisionExit(const CollisionInfo& info)
{
    Forward([&](Component* c) { c->OnCollisionExit(info); });
}

void Collider::OwnerPlacement(float& px, float& py, float& sx, float& sy, float& angle) const
{
    px = py = 0.0f;
    sx = sy = 1.0f;
    angle = 0.0f;
    if (const Transform* t = GetOwner()->GetTransform()) {
        const Matrix4x4& w = t->WorldMatrix();
        px = w.m[3][0];
        py = w.m[3][1];
        sx = t->WorldScale().x;
        sy = t->WorldScale().y;
        angle = Atan2(w.m[0][1], w.m[1][1]);
    }
}

// ---- Box2DCollider

Box2DCollider::Box2DCollider(GameObj* owner) : Collider(owner, s_Class, eColliderShape_Box) {}

bool Box2DCollider::Load(lua_State* L)
{
    Collider::Load(L);
    ReadPoint(L, "center", "x", "y", m_fCenterX, m_fCenterY);
    float w = 0.0f, h = 0.0f;
    if (ReadPoint(L, "size", "width", "height", w, h)) {
        m_fHalfX = w * 0.5f;
        m_fHalfY = h * 0.5f;
    }
    m_bUpdateAABB = LuaGetBoolField(L, "updateAABB");
    m_fBoundingRadius = std::sqrt(m_fHalfX * m_fHalfX + m_fHalfY * m_fHalfY);
    ResetShape();
    return true;
}

bool Box2DCollider::IsKindOf(TypeKey key) const { return key == s_Class.Key || key == Collider::s_Class.Key; }

void Box2DCollider::ResetShape()
{
    m_fLocalX = m_fCenterX;
    m_fLocalY = m_fCenterY;
    m_fLocalHalfX = m_fHalfX;
    m_fLocalHalfY = m_fHalfY;
}

void Box2DCollider::ComputeWorldShape(WorldBox& out)
{
    float px, py, sx, sy, a;
    OwnerPlacement(px, py, sx, sy, a);
    float wx = GetOffsetX() + m_fCenterX;
    const float wy = GetOffsetY() + m_fCenterY;
    if (IsFlipped())
        wx = -wx;
    m_fLocalX = wx;
    m_fLocalY = wy;
    const float hx = GetScaleX() * sx * m_fHalfX;
    const float hy = GetScaleY() * sy * m_fHalfY;
    if (!m_bUpdateAABB) {
        m_fWorldX = px + wx;
        m_fWorldY = py + wy;
        m_fWorldHalfX = hx;
        m_fWorldHalfY = hy;
    } else {
        // The centre turns the way the object's children and sprite turn.
        const float c = std::cos(a);
        const float s = std::sin(a);
        m_fWorldX = c * wx - s * wy + px;
        m_fWorldY = s * wx + c * wy + py;
        m_fWorldHalfX = std::fabs(c) * hx + std::fabs(s) * hy;
        m_fWorldHalfY = std::fabs(s) * hx + std::fabs(c) * hy;
    }
    m_fLocalHalfX = hx;
    m_fLocalHalfY = hy;
    out = {m_fWorldX, m_fWorldY, m_fWorldHalfX, m_fWorldHalfY};
    m_fBoundingRadius = std::sqrt(m_fWorldHalfX * m_fWorldHalfX + m_fWorldHalfY * m_fWorldHalfY);
}

// ---- CircleCollider

CircleCollider::CircleCollider(GameObj* owner) : Collider(owner, s_Class, eColliderShape_Circle) {}

bool CircleCollider::Load(lua_State* L)
{
    Collider::Load(L);
    ReadPoint(L, "center", "x", "y", m_fCenterX, m_fCenterY);
    lua_getfield(L, -1, "radius");
    const bool hasRadius = !lua_isnil(L, -1);
    lua_pop(L, 1);
    if (hasRadius)
        m_fRadius = LuaGetFloatField(L, "radius");
    ResetShape();
    return true;
}

bool CircleCollider::IsKindOf(TypeKey key) const { return key == s_Class.Key || key == Collider::s_Class.Key; }

void CircleCollider::ResetShape()
{
    m_fLocalX = m_fCenterX;
    m_fLocalY = m_fCenterY;
    m_fLocalRadius = m_fRadius;
}

void CircleCollider::ComputeWorldShape(WorldBox& out)
{
    float px, py, sx, sy, a;
    OwnerPlacement(px, py, sx, sy, a);
    float wx = GetOffsetX() + m_fCenterX;
    const float wy = GetOffsetY() + m_fCenterY;
    if (IsFlipped())
        wx = -wx;
    m_fLocalX = wx;
    m_fLocalY = wy;
    m_fLocalRadius = m_fRadius * GetScaleX();
    m_fWorldX = px + wx;
    m_fWorldY = py + wy;
    m_fWorldRadius = sx * m_fLocalRadius;
    out = {m_fWorldX, m_fWorldY, m_fWorldRadius, m_fWorldRadius};
}

// ---- SegmentCollider

SegmentCollider::SegmentCollider(GameObj* owner) : Collider(owner, s_Class, eColliderShape_Segment) {}

bool SegmentCollider::Load(lua_State* L)
{
    Collider::Load(L);
    float sx = 0.0f, sy = 0.0f, ex = 0.0f, ey = 0.0f;
    ReadPoint(L, "s", "x", "y", sx, sy);
    ReadPoint(L, "e", "x", "y", ex, ey);
    SetEndpoints(sx, sy, ex, ey);
    return true;
}

bool SegmentCollider::IsKindOf(TypeKey key) const { return key == s_Class.Key || key == Collider::s_Class.Key; }

void SegmentCollider::Detach()
{
    if (m_pPrev && m_pPrev->m_pNext == this)
        m_pPrev->m_pNext = nullptr;
    if (m_pNext && m_pNext->m_pPrev == this)
        m_pNext->m_pPrev = nullptr;
    m_pPrev = m_pNext = nullptr;
    Collider::Detach();
}

void SegmentCollider::SetEndpoints(float sx, float sy, float ex, float ey)
{
    m_fSX = sx;
    m_fSY = sy;
    m_fEX = ex;
    m_fEY = ey;
    const float vx = ex - sx;
    const float vy = ey - sy;
    const float lenSq = vx * vx + vy * vy;
    const float len = std::sqrt(lenSq);
    if (lenSq <= 0.000001f) {
        m_fDirX = m_fDirY = 0.0f;
    } else {
        m_fDirX = vx / len;
        m_fDirY = vy / len;
    }
    m_fNormalX = -m_fDirY;
    m_fNormalY = m_fDirX;
    m_fHalfLength = len / 2.0f;
}

void SegmentCollider::ComputeWorldShape(WorldBox& out)
{
    float px, py, sx, sy, a;
    OwnerPlacement(px, py, sx, sy, a);
    m_fWorldSX = px + m_fSX;
    m_fWorldSY = py + m_fSY;
    m_fWorldEX = px + m_fEX;
    m_fWorldEY = py + m_fEY;
    const float minX = std::fmin(m_fWorldSX, m_fWorldEX), maxX = std::fmax(m_fWorldSX, m_fWorldEX);
    const float minY = std::fmin(m_fWorldSY, m_fWorldEY), maxY = std::fmax(m_fWorldSY, m_fWorldEY);
    out = {(minX + maxX) / 2.0f, (minY + maxY) / 2.0f, (maxX - minX) / 2.0f + 10.0f, (maxY - minY) / 2.0f + 10.0f};
}

void Collider::DrawWorldBox(uint32_t color)
{
    Camera2D* camera = g_CameraRegistry.Find(GameCameraTag());
    if (!camera || !g_pSpriteBatch)
        return;
    WorldBox box;
    ComputeWorldShape(box);
    float sx, sy;
    MapToScreen(*camera, box.cx, box.cy, sx, sy);
    g_pSpriteBatch->DrawSprite(0.2f, nullptr, sx, sy, box.hw * 2.0f, box.hh * 2.0f, 0.0f, 0.0f, 1.0f, 1.0f, 0.0f, 0.0f,
                               0.0f, 0.0f, 0.0f, ColorRed(color) / 255.0f, ColorGreen(color) / 255.0f,
                               ColorBlue(color) / 255.0f, 0.5f);
}

void Box2DCollider::DebugDraw() { DrawWorldBox(g_colorCyan); }

void CircleCollider::DebugDraw() { DrawWorldBox(g_colorYellow); }
