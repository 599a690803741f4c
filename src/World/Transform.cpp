#include "World/Transform.h"

#include <cmath>
#include <cstring>

#include <lua.hpp>

#include "System/Common/MathUtil.h"
#include "System/Lua/LuaTableReader.h"
#include "World/GameObj.h"

const ClassKey Transform::s_Class("Transform");

Matrix4x4 Matrix4x4::Identity()
{
    Matrix4x4 r = {};
    for (int i = 0; i < 4; ++i)
        r.m[i][i] = 1.0f;
    return r;
}

namespace {

typedef float Row4 __attribute__((vector_size(16)));

Row4 LoadRow(const float* row)
{
    Row4 v;
    std::memcpy(&v, row, sizeof v);
    return v;
}

} // namespace

Matrix4x4 Matrix4x4::Multiply(const Matrix4x4& a, const Matrix4x4& b)
{
    // A row of the product at a time, four columns side by side: each element still sums its
    // four products in the same order, so the result is the same to the bit as element by element.
    const Row4 b0 = LoadRow(b.m[0]), b1 = LoadRow(b.m[1]), b2 = LoadRow(b.m[2]), b3 = LoadRow(b.m[3]);
    Matrix4x4 r;
    for (int i = 0; i < 4; ++i) {
        const Row4 row = a.m[i][0] * b0 + a.m[i][1] * b1 + a.m[i][2] * b2 + a.m[i][3] * b3;
        std::memcpy(r.m[i], &row, sizeof row);
    }
    return r;
}

Transform::Transform(GameObj* owner)
    : Component(owner, s_Class),
      m_World(Matrix4x4::Identity()),
      m_Local(Matrix4x4::Identity()),
      m_WorldScale{1.0f, 1.0f},
      m_LocalScale{1.0f, 1.0f}
{
}

namespace {

// Pushes the named field when it is a table; false, nothing pushed, otherwise.
bool PushTableField(lua_State* L, const char* name)
{
    if (!LuaPushPath(L, name))
        return false;
    if (lua_istable(L, -1))
        return true;
    lua_pop(L, 1);
    return false;
}

} // namespace

bool Transform::Load(lua_State* L)
{
    // The refresh below reads the owner's transform while the object is still being built.
    GetOwner()->SetTransform(this);
    if (PushTableField(L, "position")) {
        float z = LuaGetFloatField(L, "z");
        float y = LuaGetFloatField(L, "y");
        float x = LuaGetFloatField(L, "x");
        lua_pop(L, 1);
        SetLocalPosition(x, y, z);
        UpdateWorldMatrices();
    }
    const float degrees = LuaGetFloatField(L, "rotation");
    SetRotationBlock(static_cast<float>(-(static_cast<double>(degrees) * 0.01745329238474369)));
    UpdateWorldMatrices();
    if (PushTableField(L, "scaling")) {
        float y = LuaGetFloatField(L, "y");
        float x = LuaGetFloatField(L, "x");
        lua_pop(L, 1);
        SetLocalScale(x, y);
    }
    return true;
}

bool Transform::Attach()
{
    GetOwner()->SetTransform(this);
    return true;
}

void Transform::Detach()
{
    // Only its own slot: a second transform that failed must not clear the first's.
    if (GetOwner()->GetTransform() == this)
        GetOwner()->SetTransform(nullptr);
}

bool Transform::IsKindOf(TypeKey key) const { return key == s_Class.Key; }

void Transform::SetLocalPosition(float x, float y, float z)
{
    // The row is written whole: the refresh that follows reads it whole, and a read that has to
    // gather several smaller writes still on their way to memory stalls.
    alignas(16) const float row[4] = {x, y, z, m_Local.m[3][3]};
    std::memcpy(m_Local.m[3], row, sizeof row);
}

void Transform::SetRotationBlock(float theta)
{
    const float c = std::cos(theta);
    const float s = std::sin(theta);
    m_Local.m[0][0] = c;
    m_Local.m[0][1] = s;
    m_Local.m[1][0] = -s;
    m_Local.m[1][1] = c;
}

namespace {

// The parent's transform, when the object has a parent that has one.
Transform* ParentTransform(const GameObj* obj)
{
    GameObj* parent = obj->GetParent();
    return parent ? parent->GetTransform() : nullptr;
}

} // namespace

void Transform::UpdateWorldMatrices()
{
    GameObj* owner = GetOwner();
    GameObj* end = owner->GetNextSkippingSubtree();
    for (GameObj* obj = owner; obj != end; obj = obj->GetNext()) {
        Transform* t = obj->GetTransform();
        if (!t)
            continue;
        if (Transform* p = ParentTransform(obj)) {
            t->m_World = Matrix4x4::Multiply(t->m_Local, p->m_World);
            t->m_World.m[3][2] = t->m_Local.m[3][2];
        } else {
            t->m_World = t->m_Local;
        }
    }
}

void Transform::SetLocalScale(float x, float y)
{
    m_LocalScale = {x, y};
    GameObj* owner = GetOwner();
    GameObj* end = owner->GetNextSkippingSubtree();
    for (GameObj* obj = owner; obj != end; obj = obj->GetNext()) {
        Transform* t = obj->GetTransform();
        if (!t)
            continue;
        if (Transform* p = ParentTransform(obj))
            t->m_WorldScale = {p->m_WorldScale.x * t->m_LocalScale.x, p->m_WorldScale.y * t->m_LocalScale.y};
        else
            t->m_WorldScale = t->m_LocalScale;
    }
}

void Transform::Rotate(float angle)
{
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    const float m00 = m_Local.m[0][0], m01 = m_Local.m[0][1];
    const float m10 = m_Local.m[1][0], m11 = m_Local.m[1][1];
    m_Local.m[0][0] = m00 * c - m01 * s;
    m_Local.m[0][1] = m00 * s + m01 * c;
    m_Local.m[1][0] = m10 * c - m11 * s;
    m_Local.m[1][1] = m10 * s + m11 * c;
    UpdateWorldMatrices();
}

void Transform::SetRotation(float angle, bool local)
{
    // atan2(p01, p11) is the parent's block angle, which holds the negated rotation; adding it
    // takes the parent's turn back out, so the world rotation comes out as asked.
    if (!local)
        if (Transform* p = ParentTransform(GetOwner()))
            angle = angle + Atan2(p->m_World.m[0][1], p->m_World.m[1][1]);
    SetRotationBlock(-angle);
    UpdateWorldMatrices();
}
