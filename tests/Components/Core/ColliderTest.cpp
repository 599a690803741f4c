#include <gtest/gtest.h>

#include <cmath>

#include "CollisionFixture.h"

// World shapes of boxes and circles from their Lua tables, the object's place, rotation and
// scale, and the animated offset, scale and flip.
TEST_F(CollisionTest, ColliderWorldShapes)
{
    struct Case {
        const char* name;
        const char* transform; // the object's Transform table
        const char* colliderClass;
        const char* collider;
        bool flip;
        float scaleX, scaleY, offsetX, offsetY; // animated
        WorldBox expected;
        float radius; // bounding radius
    };
    const float diag = std::sqrt(10.0f * 10.0f + 20.0f * 20.0f);
    const Case cases[] = {
        {"box at the object", "{position = {x = 100, y = 50}}", "Box2DCollider", "{size = {width = 20, height = 40}}", false, 1, 1, 0, 0,
            {100, 50, 10, 20}, diag},
        {"box with a centre", "{position = {x = 100, y = 50}}", "Box2DCollider", "{center = {x = 10, y = 5}, size = {width = 20, height = 40}}",
            false, 1, 1, 0, 0, {110, 55, 10, 20}, diag},
        {"flipped box mirrors its centre", "{position = {x = 100, y = 50}}", "Box2DCollider",
            "{center = {x = 10, y = 5}, size = {width = 20, height = 40}}", true, 1, 1, 0, 0, {90, 55, 10, 20}, diag},
        {"flip mirrors the offset too", "{position = {x = 100, y = 50}}", "Box2DCollider",
            "{center = {x = 10, y = 0}, size = {width = 20, height = 40}}", true, 1, 1, 5, 0, {85, 50, 10, 20}, diag},
        {"collider scale and object scale multiply", "{position = {x = 0, y = 0}, scaling = {x = 2, y = 3}}", "Box2DCollider",
            "{size = {width = 20, height = 40}}", false, 0.5f, 2, 0, 0, {0, 0, 10, 120}, std::sqrt(10.0f * 10.0f + 120.0f * 120.0f)},
        {"without updateAABB a turned object keeps the box", "{position = {x = 100, y = 50}, rotation = 90}", "Box2DCollider",
            "{center = {x = 10, y = 0}, size = {width = 20, height = 40}}", false, 1, 1, 0, 0, {110, 50, 10, 20}, diag},
        {"updateAABB at 90 degrees swaps the extents", "{position = {x = 100, y = 50}, rotation = 90}", "Box2DCollider",
            "{size = {width = 20, height = 40}, updateAABB = true}", false, 1, 1, 0, 0, {100, 50, 20, 10}, diag},
        {"circle", "{position = {x = 100, y = 50}}", "CircleCollider", "{center = {x = 10, y = 5}, radius = 8}", false, 1, 1, 0, 0,
            {110, 55, 8, 8}, 8},
        {"flipped circle", "{position = {x = 100, y = 50}}", "CircleCollider", "{center = {x = 10, y = 5}, radius = 8}", true, 1, 1, 0, 0,
            {90, 55, 8, 8}, 8},
        {"circle radius scales by x only", "{position = {x = 0, y = 0}, scaling = {x = 2, y = 5}}", "CircleCollider", "{radius = 8}", false,
            1.5f, 9, 0, 0, {0, 0, 24, 24}, 24},
        {"circle without a radius", "{position = {x = 0, y = 0}}", "CircleCollider", "{}", false, 1, 1, 0, 0, {0, 0, 0, 0}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GameObj* obj = Root(c.name);
        Add(obj, "Transform", c.transform);
        auto* collider = static_cast<Collider*>(Add(obj, c.colliderClass, c.collider));
        ASSERT_NE(collider, nullptr);
        collider->SetFlip(c.flip);
        collider->SetScale(c.scaleX, c.scaleY);
        collider->SetOffset(c.offsetX, c.offsetY);
        WorldBox box;
        collider->ComputeWorldShape(box);
        EXPECT_NEAR(box.cx, c.expected.cx, 1e-3f);
        EXPECT_NEAR(box.cy, c.expected.cy, 1e-3f);
        EXPECT_NEAR(box.hw, c.expected.hw, 1e-3f);
        EXPECT_NEAR(box.hh, c.expected.hh, 1e-3f);
        EXPECT_NEAR(collider->GetBoundingRadius(), c.radius, 1e-3f);
    }
}

// An off-centre box with updateAABB on a turned object sits where a child object at the same
// offset sits, whichever way and however far the object turns.
TEST_F(CollisionTest, TurnedBoxFollowsItsObjectsChildren)
{
    for (int degrees : {30, 90, -45, 150}) {
        SCOPED_TRACE(degrees);
        GameObj* parent = Root("parent");
        Add(parent, "Transform", "{position = {x = 200, y = 100}, rotation = " + std::to_string(degrees) + "}");
        auto* box = static_cast<Collider*>(
            Add(parent, "Box2DCollider", "{center = {x = 40, y = 10}, size = {width = 20, height = 10}, updateAABB = true}"));
        GameObj* child = Make("child", parent);
        Add(child, "Transform", "{position = {x = 40, y = 10}}");
        parent->GetTransform()->UpdateWorldMatrices();
        WorldBox wb;
        box->ComputeWorldShape(wb);
        EXPECT_NEAR(wb.cx, child->GetTransform()->WorldMatrix().m[3][0], 1e-3f);
        EXPECT_NEAR(wb.cy, child->GetTransform()->WorldMatrix().m[3][1], 1e-3f);
        const float a = static_cast<float>(degrees) * 3.14159265f / 180.0f;
        EXPECT_NEAR(wb.hw, std::fabs(std::cos(a)) * 10.0f + std::fabs(std::sin(a)) * 5.0f, 1e-3f);
        EXPECT_NEAR(wb.hh, std::fabs(std::sin(a)) * 10.0f + std::fabs(std::cos(a)) * 5.0f, 1e-3f);
    }
}

TEST_F(CollisionTest, SegmentShapes)
{
    struct Case {
        const char* name;
        const char* table;
        float dirX, dirY, normalX, normalY, halfLength;
        WorldBox box; // with the object at (1000, 500)
    };
    const Case cases[] = {
        {"floor of 100", "{s = {x = 0, y = 0}, e = {x = 100, y = 0}}", 1, 0, 0, 1, 50, {1050, 500, 60, 10}},
        {"wall going down faces right", "{s = {x = 0, y = 100}, e = {x = 0, y = 0}}", 0, -1, 1, 0, 50, {1000, 550, 10, 60}},
        {"slope", "{s = {x = 0, y = 0}, e = {x = 30, y = 40}}", 0.6f, 0.8f, -0.8f, 0.6f, 25, {1015, 520, 25, 30}},
        {"zero length", "{s = {x = 5, y = 5}, e = {x = 5, y = 5}}", 0, 0, 0, 0, 0, {1005, 505, 10, 10}},
        {"absent points read as the origin", "{e = {x = -20, y = 0}}", -1, 0, 0, -1, 10, {990, 500, 20, 10}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GameObj* obj = Root(c.name);
        Add(obj, "Transform", "{position = {x = 1000, y = 500}, rotation = 30, scaling = {x = 3, y = 3}}");
        auto* seg = static_cast<SegmentCollider*>(Add(obj, "SegmentCollider", c.table));
        ASSERT_NE(seg, nullptr);
        // Offset, scale and flip do not apply to segments, nor does the object's turn or scale.
        seg->SetOffset(7.0f, 7.0f);
        seg->SetScale(2.0f, 2.0f);
        seg->SetFlip(true);
        WorldBox box;
        seg->ComputeWorldShape(box);
        EXPECT_FLOAT_EQ(seg->GetDirectionX(), c.dirX);
        EXPECT_FLOAT_EQ(seg->GetDirectionY(), c.dirY);
        EXPECT_FLOAT_EQ(seg->GetNormalX(), c.normalX);
        EXPECT_FLOAT_EQ(seg->GetNormalY(), c.normalY);
        EXPECT_FLOAT_EQ(seg->GetHalfLength(), c.halfLength);
        EXPECT_FLOAT_EQ(seg->GetBoundingRadius(), c.halfLength);
        EXPECT_FLOAT_EQ(box.cx, c.box.cx);
        EXPECT_FLOAT_EQ(box.cy, c.box.cy);
        EXPECT_FLOAT_EQ(box.hw, c.box.hw);
        EXPECT_FLOAT_EQ(box.hh, c.box.hh);
    }
}

// The common keys, the layer taken from the object, and what attaching and detaching leave.
TEST_F(CollisionTest, ColliderKeysAndLifecycle)
{
    struct Case {
        const char* table;
        uint32_t cullingMask;
        bool visible;
    };
    const Case cases[] = {
        {"{}", 0xFFFFFFFFu, false},
        {"{cullingMask = 6, visible = true}", 6u, true},
        {"{cullingMask = -1}", 0xFFFFFFFFu, false},
        {"{cullingMask = 0}", 0u, false},
        {"{cullingMask = 'x'}", 0u, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.table);
        GameObj* obj = Root("o");
        obj->SetLayer(8);
        auto* collider = static_cast<Collider*>(Add(obj, "Box2DCollider", c.table));
        ASSERT_NE(collider, nullptr);
        EXPECT_EQ(collider->GetCullingMask(), c.cullingMask);
        EXPECT_EQ(collider->IsVisible(), c.visible);
        EXPECT_EQ(collider->GetLayer(), 8u);
        EXPECT_EQ(obj->GetCollider(), collider);
        EXPECT_TRUE(collider->IsKindOf(Collider::s_Class.Key));
        EXPECT_FALSE(collider->IsKindOf(CircleCollider::s_Class.Key));
        EXPECT_NE(m_pWorld->FindProxy(collider), nullptr);
        Forget(obj);
        delete obj;
        EXPECT_EQ(m_pWorld->FindProxy(collider), nullptr);
    }
}

// Deleting one segment of a chain cuts its neighbours' links to it.
TEST_F(CollisionTest, DeletedSegmentLeavesNoDanglingNeighbour)
{
    GameObj* root = Root("terrain");
    std::vector<SegmentCollider*> segs;
    std::vector<GameObj*> objs;
    for (int i = 0; i < 3; ++i) {
        objs.push_back(Make("seg", root));
        segs.push_back(static_cast<SegmentCollider*>(objs.back()->AddComponent("SegmentCollider", nullptr)));
    }
    segs[0]->SetNeighbours(nullptr, segs[1]);
    segs[1]->SetNeighbours(segs[0], segs[2]);
    segs[2]->SetNeighbours(segs[1], nullptr);
    delete objs[1];
    EXPECT_EQ(segs[0]->GetNext(), nullptr);
    EXPECT_EQ(segs[2]->GetPrev(), nullptr);
}
