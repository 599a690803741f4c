// Colliders give an object a shape in the collision world: a box, a circle or a terrain
// segment. Each registers a proxy with the world, recomputes its world shape when the world
// asks, and passes the world's contact reports on to the other components of its object.
#pragma once

#include <cstdint>

#include "World/Component.h"

struct WorldBox;

enum ColliderShape : int32_t {
    eColliderShape_Box = 0,
    eColliderShape_Circle = 1,
    eColliderShape_Segment = 2,
};

class Collider : public Component {
public:
    static const ClassKey s_Class;

    // "cullingMask" (when present and not nil) and "visible".
    bool Load(lua_State* L) override;
    // Caches itself in the owner and registers a proxy (out of the tree until Start).
    bool Attach() override;
    // Drops its proxy and records (no exit is reported) and its owner's cache.
    void Detach() override;
    bool IsKindOf(TypeKey key) const override;
    // The first world box, and the proxy's first place in the tree.
    void Start() override;
    // Each report goes on to the owner's other live components, in their order. A report that
    // a collider forwards is never forwarded again by another collider of the object.
    void OnCollisionEnter(const CollisionInfo& info) override;
    void OnCollisionStay(const CollisionInfo& info) override;
    void OnCollisionExit(const CollisionInfo& info) override;

    virtual void ComputeWorldShape(WorldBox& out) = 0;
    virtual float GetBoundingRadius() const = 0;
    // Copies the loaded shape into the working one.
    virtual void ResetShape() {}

    ColliderShape GetShape() const { return m_eShape; }
    uint32_t GetLayer() const { return m_nLayer; }
    void SetLayer(uint32_t layer) { m_nLayer = layer; }
    uint32_t GetCullingMask() const { return m_nCullingMask; }
    void SetCullingMask(uint32_t mask) { m_nCullingMask = mask; }
    bool IsVisible() const { return m_bVisible; }
    bool IsFlipped() const { return m_bFlip; }
    void SetFlip(bool flip) { m_bFlip = flip; }
    void SetScale(float x, float y) { m_fScaleX = x, m_fScaleY = y; }
    void SetOffset(float x, float y) { m_fOffsetX = x, m_fOffsetY = y; }
    float GetScaleX() const { return m_fScaleX; }
    float GetScaleY() const { return m_fScaleY; }
    float GetOffsetX() const { return m_fOffsetX; }
    float GetOffsetY() const { return m_fOffsetY; }

protected:
    Collider(GameObj* owner, const ClassKey& classKey, ColliderShape shape);

    // The owner's world position, scale x and y, and rotation angle (identity without a Transform).
    void OwnerPlacement(float& px, float& py, float& sx, float& sy, float& angle) const;

private:
    template <class Call>
    void Forward(Call call);

    ColliderShape m_eShape;
    uint32_t m_nLayer;
    uint32_t m_nCullingMask = 0xFFFFFFFFu;
    bool m_bVisible = false;
    bool m_bFlip = false;
    float m_fScaleX = 1.0f;
    float m_fScaleY = 1.0f;
    float m_fOffsetX = 0.0f;
    float m_fOffsetY = 0.0f;
};

class Box2DCollider : public Collider {
public:
    static const ClassKey s_Class;

    explicit Box2DCollider(GameObj* owner);

    // Common keys, "center" {x, y}, "size" {width, height} and "updateAABB".
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    // Offset plus centre (mirrored when flipped), scaled half size; with updateAABB the centre
    // turns with the object and the extents grow to hold the turned box.
    void ComputeWorldShape(WorldBox& out) override;
    float GetBoundingRadius() const override { return m_fBoundingRadius; }
    void ResetShape() override;

    void SetCenter(float x, float y) { m_fCenterX = x, m_fCenterY = y; }
    void SetHalfSize(float x, float y) { m_fHalfX = x, m_fHalfY = y; }
    void SetUpdateAABB(bool on) { m_bUpdateAABB = on; }
    float GetLocalCenterX() const { return m_fLocalX; }
    float GetLocalCenterY() const { return m_fLocalY; }
    float GetWorldCenterX() const { return m_fWorldX; }
    float GetWorldCenterY() const { return m_fWorldY; }
    float GetWorldHalfX() const { return m_fWorldHalfX; }
    float GetWorldHalfY() const { return m_fWorldHalfY; }

private:
    float m_fCenterX = 0.0f;
    float m_fCenterY = 0.0f;
    float m_fHalfX = 0.0f;
    float m_fHalfY = 0.0f;
    float m_fLocalX = 0.0f;
    float m_fLocalY = 0.0f;
    float m_fLocalHalfX = 0.0f;
    float m_fLocalHalfY = 0.0f;
    float m_fWorldX = 0.0f;
    float m_fWorldY = 0.0f;
    float m_fWorldHalfX = 0.0f;
    float m_fWorldHalfY = 0.0f;
    float m_fBoundingRadius = 0.0f;
    bool m_bUpdateAABB = false;
};

class CircleCollider : public Collider {
public:
    static const ClassKey s_Class;

    explicit CircleCollider(GameObj* owner);

    // Common keys, "center" {x, y} and "radius".
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    // No rotation: the centre moves with the object, the radius scales with scale x only.
    void ComputeWorldShape(WorldBox& out) override;
    float GetBoundingRadius() const override { return m_fWorldRadius; }
    void ResetShape() override;

    void SetCenter(float x, float y) { m_fCenterX = x, m_fCenterY = y; }
    void SetRadius(float r) { m_fRadius = r; }
    float GetLocalCenterX() const { return m_fLocalX; }
    float GetLocalCenterY() const { return m_fLocalY; }
    float GetWorldCenterX() const { return m_fWorldX; }
    float GetWorldCenterY() const { return m_fWorldY; }
    float GetWorldRadius() const { return m_fWorldRadius; }

private:
    float m_fCenterX = 0.0f;
    float m_fCenterY = 0.0f;
    float m_fRadius = 0.0f;
    float m_fLocalX = 0.0f;
    float m_fLocalY = 0.0f;
    float m_fLocalRadius = 0.0f;
    float m_fWorldX = 0.0f;
    float m_fWorldY = 0.0f;
    float m_fWorldRadius = 0.0f;
};

class SegmentCollider : public Collider {
public:
    static const ClassKey s_Class;

    explicit SegmentCollider(GameObj* owner);

    // Common keys, "s" {x, y} and "e" {x, y} (an absent point reads as the origin).
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    // Also cuts the links of its neighbours to it, so none points at a deleted segment.
    void Detach() override;
    // The two points moved with the object (no rotation, scale, offset or flip); the box holds
    // both with 10 units to spare on each side.
    void ComputeWorldShape(WorldBox& out) override;
    float GetBoundingRadius() const override { return m_fHalfLength; }

    // Local points; the direction is zero for a segment of (nearly) no length, and the normal
    // is the direction turned a quarter to the left.
    void SetEndpoints(float sx, float sy, float ex, float ey);
    void SetNeighbours(SegmentCollider* prev, SegmentCollider* next) { m_pPrev = prev, m_pNext = next; }

    float GetNormalX() const { return m_fNormalX; }
    float GetNormalY() const { return m_fNormalY; }
    float GetDirectionX() const { return m_fDirX; }
    float GetDirectionY() const { return m_fDirY; }
    float GetHalfLength() const { return m_fHalfLength; }
    float GetWorldStartX() const { return m_fWorldSX; }
    float GetWorldStartY() const { return m_fWorldSY; }
    float GetWorldEndX() const { return m_fWorldEX; }
    float GetWorldEndY() const { return m_fWorldEY; }
    SegmentCollider* GetPrev() const { return m_pPrev; }
    SegmentCollider* GetNext() const { return m_pNext; }

private:
    float m_fNormalX = 0.0f;
    float m_fNormalY = 0.0f;
    float m_fDirX = 0.0f;
    float m_fDirY = 0.0f;
    float m_fSX = 0.0f;
    float m_fSY = 0.0f;
    float m_fEX = 0.0f;
    float m_fEY = 0.0f;
    float m_fWorldSX = 0.0f;
    float m_fWorldSY = 0.0f;
    float m_fWorldEX = 0.0f;
    float m_fWorldEY = 0.0f;
    SegmentCollider* m_pPrev = nullptr;
    SegmentCollider* m_pNext = nullptr;
    float m_fHalfLength = 0.0f;
};
