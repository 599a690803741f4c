// Places an object in the 2D world: a local matrix relative to the parent, the world matrix
// derived from it, and a local and world scale kept apart from the matrices (renderers and
// colliders apply the scale themselves). Matrices are row-major with row vectors: world =
// local x parent's world; the position sits in row 3, the rotation in the upper-left 2 x 2.
#pragma once

#include "World/Component.h"

struct alignas(16) Matrix4x4 {
    float m[4][4];

    static Matrix4x4 Identity();
    // a x b, the full 4 x 4 product.
    static Matrix4x4 Multiply(const Matrix4x4& a, const Matrix4x4& b);
};

struct Scale2 {
    float x;
    float y;
};

class alignas(16) Transform : public Component {
public:
    static const ClassKey s_Class;

    explicit Transform(GameObj* owner);

    // "position" {x, y, z}, "rotation" in degrees and "scaling" {x, y}; never fails.
    bool Load(lua_State* L) override;
    bool Attach() override;
    void Detach() override;
    bool IsKindOf(TypeKey key) const override;

    // Refreshes the world matrices of the owner's subtree in pre-order. Depth never inherits:
    // a child's world z is its own local z.
    void UpdateWorldMatrices();
    // Stores the local scale and recomputes the world scale of the owner's whole subtree.
    void SetLocalScale(float x, float y);
    // Turns the rotation block by the angle in radians, then refreshes.
    void Rotate(float angle);
    // Sets the rotation in radians, relative to the parent when local, else in the world;
    // then refreshes.
    void SetRotation(float angle, bool local);

    Matrix4x4& LocalMatrix() { return m_Local; }
    const Matrix4x4& WorldMatrix() const { return m_World; }
    const Scale2& LocalScale() const { return m_LocalScale; }
    const Scale2& WorldScale() const { return m_WorldScale; }
    // Writes row 3 of the local matrix; the caller refreshes.
    void SetLocalPosition(float x, float y, float z);

private:
    void SetRotationBlock(float theta);

    Matrix4x4 m_World;
    Matrix4x4 m_Local;
    Scale2 m_WorldScale;
    Scale2 m_LocalScale;
};
