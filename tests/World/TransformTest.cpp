#include <cmath>
#include <functional>

#include "WorldFixture.h"

namespace {

struct Expected {
    float m00, m01, m10, m11; // world rotation block
    float x, y, z;            // world position
    float sx, sy;             // world scale
};

constexpr float kPi = 3.14159265358979f;

} // namespace

// Each case builds parent (root) and child from Lua tables, applies an action and checks the
// child's world matrix and scale.
TEST_F(WorldTest, TransformCases)
{
    struct Case {
        const char* what;
        const char* parent;
        const char* child;
        std::function<void(Transform& parent, Transform& child)> act;
        Expected child_world;
    };
    const Case cases[] = {
        {"depth never inherits; x and y follow the parent's turn", "{position={x=10, y=20, z=100}, rotation=90}",
         "{position={x=1, y=2, z=5}}", nullptr, {0, -1, 1, 0, 12, 19, 5, 1, 1}},
        {"rotation 90 in data", "{}", "{rotation=90}", nullptr, {0, -1, 1, 0, 0, 0, 0, 1, 1}},
        {"missing members and keys read 0; scale stays 1", "{}", "{position={y=7}}", nullptr,
         {1, 0, 0, 1, 0, 7, 0, 1, 1}},
        {"a position or scaling that is not a table is passed over", "{}", "{position=5, scaling='big'}", nullptr,
         {1, 0, 0, 1, 0, 0, 0, 1, 1}},
        {"numeral strings read as numbers", "{}", "{position={x='3', y=true}, rotation='90'}", nullptr,
         {0, -1, 1, 0, 3, 0, 0, 1, 1}},
        {"scale multiplies down the subtree", "{}", "{scaling={x=0.5, y=1}}",
         [](Transform& p, Transform&) { p.SetLocalScale(2, 3); }, {1, 0, 0, 1, 0, 0, 0, 1, 3}},
        {"scale from data", "{scaling={x=2, y=3}}", "{scaling={x=0.5, y=1}}", nullptr, {1, 0, 0, 1, 0, 0, 0, 1, 3}},
        {"a moved root carries its subtree in one refresh", "{}", "{position={x=1, y=1, z=2}}",
         [](Transform& p, Transform&) {
             p.SetLocalPosition(100, 50, 9);
             p.UpdateWorldMatrices();
         },
         {1, 0, 0, 1, 101, 51, 2, 1, 1}},
        {"a moved parent not refreshed leaves the child behind", "{}", "{position={x=1, y=1}}",
         [](Transform& p, Transform&) { p.SetLocalPosition(100, 50, 0); }, {1, 0, 0, 1, 1, 1, 0, 1, 1}},
        {"local rotation ignores the parent's", "{rotation=90}", "{}",
         [](Transform&, Transform& c) { c.SetRotation(0, true); }, {0, -1, 1, 0, 0, 0, 0, 1, 1}},
        {"world rotation cancels the parent's", "{rotation=90}", "{}",
         [](Transform&, Transform& c) { c.SetRotation(0, false); }, {1, 0, 0, 1, 0, 0, 0, 1, 1}},
        {"world rotation under a parent turned by 30 degrees", "{rotation=30}", "{}",
         [](Transform&, Transform& c) { c.SetRotation(kPi / 2, false); }, {0, -1, 1, 0, 0, 0, 0, 1, 1}},
        {"world rotation on a root is the local one", "{}", "{}",
         [](Transform& p, Transform& c) {
             p.SetRotation(kPi / 2, false);
             c.GetOwner()->SetParent(nullptr);
             c.SetRotation(kPi / 2, false);
         },
         {0, -1, 1, 0, 0, 0, 0, 1, 1}},
        {"Rotate turns the current block", "{}", "{rotation=45}",
         [](Transform&, Transform& c) { c.Rotate(-kPi / 4); }, {0, -1, 1, 0, 0, 0, 0, 1, 1}},
        {"Rotate refreshes the subtree", "{}", "{position={x=10}}",
         [](Transform& p, Transform&) { p.Rotate(kPi / 2); }, {0, 1, -1, 0, 0, 10, 0, 1, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GameObj* top = Root("top");
        PushTable(c.parent);
        auto* parent = static_cast<Transform*>(top->AddComponent("Transform", m_L));
        GameObj* kid = Make("kid", top);
        PushTable(c.child);
        auto* child = static_cast<Transform*>(kid->AddComponent("Transform", m_L));
        ASSERT_NE(parent, nullptr);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(lua_gettop(m_L), 1);
        if (c.act)
            c.act(*parent, *child);
        const Matrix4x4& w = child->WorldMatrix();
        const Expected& e = c.child_world;
        const float got[] = {w.m[0][0], w.m[0][1], w.m[1][0], w.m[1][1], w.m[3][0], w.m[3][1], w.m[3][2],
                             child->WorldScale().x, child->WorldScale().y};
        const float want[] = {e.m00, e.m01, e.m10, e.m11, e.x, e.y, e.z, e.sx, e.sy};
        for (int i = 0; i < 9; ++i)
            EXPECT_NEAR(got[i], want[i], 1e-4f) << "value " << i;
        EXPECT_EQ(w.m[3][3], 1.0f);
        EXPECT_EQ(kid->GetTransform(), child);
        if (!kid->GetParent())
            delete kid;
    }
}

TEST_F(WorldTest, TransformRotationFromDataIsExact)
{
    GameObj* obj = Root("obj");
    PushTable("{rotation=90}");
    auto* t = static_cast<Transform*>(obj->AddComponent("Transform", m_L));
    const float theta = static_cast<float>(-(90.0 * 0.01745329238474369));
    EXPECT_EQ(t->LocalMatrix().m[0][0], std::cos(theta));
    EXPECT_EQ(t->LocalMatrix().m[0][1], -1.0f);
    EXPECT_EQ(t->LocalMatrix().m[1][0], 1.0f);
    EXPECT_EQ(t->LocalMatrix().m[1][1], std::cos(theta));
}

TEST_F(WorldTest, TransformCachesItselfAndIsAligned)
{
    GameObj* obj = Root("obj");
    auto* t = static_cast<Transform*>(obj->AddComponent("Transform", nullptr));
    EXPECT_EQ(obj->GetTransform(), t);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(t) % 16, 0u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(&t->WorldMatrix()) % 16, 0u);
    EXPECT_TRUE(t->IsKindOf(HashName("Transform")));
    EXPECT_FALSE(t->IsKindOf(HashName("Component")));
    t->Detach();
    EXPECT_EQ(obj->GetTransform(), nullptr);
    t->Attach();
}
