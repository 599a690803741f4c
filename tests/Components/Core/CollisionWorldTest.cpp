#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <set>
#include <utility>

#include "CollisionFixture.h"

namespace {

// Splits a ", "-joined log and sorts it: within one frame the two sides of a pair may come in
// either order, which these tests do not fix.
std::string Sorted(const std::string& log)
{
    std::vector<std::string> parts;
    size_t at = 0;
    while (at < log.size()) {
        size_t end = log.find(", ", at);
        if (end == std::string::npos)
            end = log.size();
        parts.push_back(log.substr(at, end - at));
        at = end + 2;
    }
    std::sort(parts.begin(), parts.end());
    std::string out;
    for (size_t i = 0; i < parts.size(); ++i) {
        out += i ? ", " : "";
        out += parts[i];
    }
    return out;
}

// A name with a number; built by appending (a short literal plus a number's text trips a false
// overlap warning of GCC 12 at -O3).
std::string Named(const char* stem, int i)
{
    std::string name = stem;
    name += std::to_string(i);
    return name;
}

// The tree's pairs as its plain walk gives them, every proxy of a cell and of its ancestors
// tried against every proxy of the cell: the order the contacts (and so the game) depend on.
void PlainWalk(const LinearQuadtree& tree, int32_t c, std::vector<int32_t>& path,
    std::vector<std::pair<Collider*, Collider*>>& out)
{
    path.push_back(c);
    const CollisionProxy* own = tree.GetCell(c)->head;
    for (int32_t a : path)
        for (const CollisionProxy* n = tree.GetCell(a)->head; n; n = n->next)
            for (const CollisionProxy* m = own; m && m != n; m = m->next) {
                const Collider& cn = *n->collider;
                const Collider& cm = *m->collider;
                if ((cn.GetLayer() & cm.GetCullingMask()) && (cn.GetCullingMask() & cm.GetLayer()) &&
                    std::fabs(n->box.cx - m->box.cx) <= std::fabs(n->box.hw + m->box.hw) &&
                    std::fabs(n->box.cy - m->box.cy) <= std::fabs(n->box.hh + m->box.hh))
                    out.emplace_back(n->collider, m->collider);
            }
    for (int32_t child = 4 * c + 1; child <= 4 * c + 4 && child < tree.GetCellCount(); ++child)
        if (tree.GetCell(child))
            PlainWalk(tree, child, path, out);
    path.pop_back();
}

std::string BoxTable(float w, float h) { return "{size = {width = " + std::to_string(w) + ", height = " + std::to_string(h) + "}}"; }

} // namespace

// ---- The broad phase against a plain all-pairs reference

// Hundreds of boxes, circles and segments with random layers and masks, placed anywhere, on
// cell boundaries, above the tree's square on a one-area stage and past the far edges, then
// moved, teleported, disabled and deactivated over frames: after every update the tree's
// pairs are exactly the overlapping, mutually accepted pairs of the proxies in the tree, and
// every live proxy with a finite box is in the tree, and they come in the order of a walk that
// tries every proxy of a cell and its ancestors against the cell's own.
TEST_F(CollisionTest, QuadtreePairsEqualAllPairs)
{
    for (int areas : {1, 3, 8}) {
        SCOPED_TRACE(::testing::Message() << areas << " areas");
        SizeStage(areas);
        const float w = 1024.0f * static_cast<float>(areas);
        std::mt19937 rng(1234u + static_cast<unsigned>(areas));
        auto uniform = [&](float a, float b) { return std::uniform_real_distribution<float>(a, b)(rng); };
        // A coordinate: random, on a cell boundary of a random level, past an edge, or high up.
        auto coord = [&](bool vertical) {
            switch (rng() % 6) {
            case 0: {
                const int level = static_cast<int>(rng() % 7);
                const float step = w / static_cast<float>(1 << level);
                return step * static_cast<float>(rng() % ((1u << level) + 1));
            }
            case 1:
                return rng() % 2 ? uniform(-200.0f, 0.0f) : uniform(w, w + 200.0f);
            case 2:
                return vertical ? uniform(1024.0f, 2000.0f) : uniform(0.0f, w);
            default:
                return uniform(0.0f, w);
            }
        };
        std::vector<GameObj*> bodies;
        for (int i = 0; i < 400; ++i) {
            const uint32_t layer = 1u << (rng() % 4);
            const uint32_t mask = rng() % 16;
            const std::string masks = "cullingMask = " + std::to_string(mask);
            GameObj* obj = nullptr;
            const std::string name = Named("b", i);
            switch (rng() % 3) {
            case 0:
                obj = Body(name, coord(false), coord(true), layer, "Box2DCollider",
                    "{" + masks + ", size = {width = " + std::to_string(uniform(-30.0f, 120.0f)) +
                        ", height = " + std::to_string(uniform(0.0f, 120.0f)) + "}}",
                    "", nullptr, false);
                break;
            case 1:
                obj = Body(name, coord(false), coord(true), layer, "CircleCollider",
                    "{" + masks + ", radius = " + std::to_string(uniform(0.0f, 60.0f)) + "}", "", nullptr, false);
                break;
            default:
                obj = Body(name, coord(false), coord(true), layer, "SegmentCollider",
                    "{" + masks + ", s = {x = 0, y = 0}, e = {x = " + std::to_string(uniform(-150.0f, 150.0f)) +
                        ", y = " + std::to_string(uniform(-150.0f, 150.0f)) + "}}",
                    "", nullptr, false);
                break;
            }
            bodies.push_back(obj);
        }
        for (int frame = 0; frame < 30; ++frame) {
            SCOPED_TRACE(::testing::Message() << "frame " << frame);
            for (GameObj* obj : bodies) {
                const uint32_t op = rng() % 20;
                const float* pos = &obj->GetTransform()->WorldMatrix().m[3][0];
                if (op < 8)
                    MoveTo(obj, pos[0] + uniform(-40.0f, 40.0f), pos[1] + uniform(-40.0f, 40.0f));
                else if (op == 8)
                    MoveTo(obj, coord(false), coord(true));
                else if (op == 9)
                    obj->GetCollider()->IsEnabled() ? obj->GetCollider()->Disable() : obj->GetCollider()->Enable();
                else if (op == 10)
                    obj->IsActive() ? obj->Deactivate() : obj->Activate();
            }
            m_pWorld->UpdateProxies();
            m_pWorld->CollectPairs();
            std::multiset<std::pair<GameObj*, GameObj*>> found;
            for (const auto& [a, b] : m_pWorld->GetPairs())
                found.insert(std::minmax(a->GetOwner(), b->GetOwner()));

            std::multiset<std::pair<GameObj*, GameObj*>> expected;
            for (size_t i = 0; i < bodies.size(); ++i) {
                const Collider* ci = bodies[i]->GetCollider();
                const CollisionProxy* pi = m_pWorld->FindProxy(ci);
                ASSERT_NE(pi, nullptr);
                if (pi->cell < 0)
                    continue;
                for (size_t j = i + 1; j < bodies.size(); ++j) {
                    const Collider* cj = bodies[j]->GetCollider();
                    const CollisionProxy* pj = m_pWorld->FindProxy(cj);
                    if (pj->cell < 0)
                        continue;
                    const bool accepted = (ci->GetLayer() & cj->GetCullingMask()) && (cj->GetLayer() & ci->GetCullingMask());
                    const bool overlap = std::fabs(pi->box.cx - pj->box.cx) <= std::fabs(pi->box.hw + pj->box.hw) &&
                        std::fabs(pi->box.cy - pj->box.cy) <= std::fabs(pi->box.hh + pj->box.hh);
                    if (accepted && overlap)
                        expected.insert(std::minmax(bodies[i], bodies[j]));
                }
            }
            ASSERT_EQ(found, expected) << found.size() << " found, " << expected.size() << " expected";
            // Not only the same pairs: the same order as the plain walk, which skips nothing.
            std::vector<std::pair<Collider*, Collider*>> plain;
            std::vector<int32_t> path;
            if (m_pWorld->GetTree().HasRoot())
                PlainWalk(m_pWorld->GetTree(), 0, path, plain);
            ASSERT_EQ(m_pWorld->GetPairs(), plain);
            for (GameObj* obj : bodies) {
                if (obj->GetCollider()->IsLive() && obj->IsActive()) {
                    ASSERT_GE(m_pWorld->FindProxy(obj->GetCollider())->cell, 0) << obj->GetObjectName();
                }
            }
        }
        for (GameObj* obj : bodies) {
            Forget(obj);
            delete obj;
        }
        EXPECT_EQ(m_pWorld->GetProxyCount(), 0u);
    }
}

// Where a box lands: its smallest cell, the root for a box reaching the far edge or above the
// square, and nowhere in a tree of no size or for a box with a non-finite coordinate.
TEST(LinearQuadtree, CellOfABox)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        const char* name;
        float size; // 0: the tree is not sized
        WorldBox box;
        int32_t index;
    };
    // Level 6 of a 1024 tree has cells of 16; its first index is (4^6 - 1) / 3 = 1365.
    const Case cases[] = {
        {"inside the first deepest cell", 1024.0f, {8.0f, 8.0f, 4.0f, 4.0f}, 1365},
        {"second deepest cell along x", 1024.0f, {24.0f, 8.0f, 4.0f, 4.0f}, 1366},
        {"second deepest cell along y", 1024.0f, {8.0f, 24.0f, 4.0f, 4.0f}, 1367},
        {"across the centre lines", 1024.0f, {512.0f, 512.0f, 4.0f, 4.0f}, 0},
        {"across one level-1 line", 1024.0f, {256.0f, 100.0f, 4.0f, 4.0f}, 1},
        {"reaching the far edge", 1024.0f, {1020.0f, 8.0f, 8.0f, 4.0f}, 0},
        {"above the square", 1024.0f, {8.0f, 1500.0f, 4.0f, 4.0f}, 0},
        {"below and left of the origin", 1024.0f, {-50.0f, -50.0f, 4.0f, 4.0f}, 1365},
        {"tree of no size", 0.0f, {8.0f, 8.0f, 4.0f, 4.0f}, -1},
        {"NaN centre", 1024.0f, {nan, 8.0f, 4.0f, 4.0f}, -1},
        {"infinite half size", 1024.0f, {8.0f, 8.0f, inf, 4.0f}, -1},
    };
    for (const Case& c : cases) {
        LinearQuadtree tree;
        if (c.size > 0.0f)
            tree.Setup(6, 0.0f, 0.0f, c.size, c.size);
        EXPECT_EQ(tree.CellIndexFor(c.box), c.index) << c.name;
    }
}

// A created cell and its ancestors get their centres and half sizes from level and code.
TEST(LinearQuadtree, CellsAreMadeWithTheirAncestors)
{
    LinearQuadtree tree;
    tree.Setup(6, 0.0f, 0.0f, 2048.0f, 2048.0f);
    CollisionProxy proxy;
    proxy.box = {40.0f, 72.0f, 1.0f, 1.0f}; // deepest cells of 32: grid (1, 2)
    ASSERT_TRUE(tree.Insert(&proxy));
    // Morton code of (1, 2): x bits to even, y bits to odd positions = 0b1001 = 9.
    EXPECT_EQ(proxy.cell, 1365 + 9);
    int32_t index = proxy.cell;
    for (int level = 6; level >= 0; --level) {
        const QuadtreeCell* cell = tree.GetCell(index);
        ASSERT_NE(cell, nullptr) << level;
        const float half = 2048.0f / static_cast<float>(1 << level) / 2.0f;
        EXPECT_FLOAT_EQ(cell->hw, half) << level;
        EXPECT_LE(std::fabs(cell->cx - 40.0f), half) << level;
        EXPECT_LE(std::fabs(cell->cy - 72.0f), half) << level;
        index = (index - 1) >> 2;
    }
    EXPECT_EQ(tree.GetCell(1365), nullptr); // a neighbour that holds nothing is never made
    tree.Unlink(&proxy);
}

// Before a tree is sized nothing enters it; after sizing the same bodies pair. A body whose
// position turns NaN leaves the tree and pairs with nothing.
TEST_F(CollisionTest, NoTreeNoPairsAndNonFiniteBoxesStayOut)
{
    GameObj* a = Body("A", 100.0f, 100.0f, 1, "Box2DCollider", BoxTable(20, 20));
    GameObj* b = Body("B", 110.0f, 100.0f, 1, "Box2DCollider", BoxTable(20, 20));
    m_pWorld->SetupTree(6, 0.0f, 0.0f, 0.0f, 0.0f);
    m_pWorld->Step();
    EXPECT_EQ(TakeLog(), "");
    EXPECT_EQ(m_pWorld->FindProxy(a->GetCollider())->cell, -1);
    SizeStage(1);
    m_pWorld->Step();
    EXPECT_EQ(Sorted(TakeLog()), "A:Enter B, B:Enter A");
    MoveTo(b, std::numeric_limits<float>::quiet_NaN(), 100.0f);
    m_pWorld->Step();
    EXPECT_EQ(m_pWorld->FindProxy(b->GetCollider())->cell, -1);
    EXPECT_EQ(Sorted(TakeLog()), "A:Exit B, B:Exit A");
}

// ---- Contact sequences

TEST_F(CollisionTest, ContactSequences)
{
    // Each frame: what happens before the step, then the reports it gives (sorted).
    struct Frame {
        std::function<void(GameObj* a, GameObj* b)> before;
        const char* log;
    };
    struct Case {
        const char* name;
        std::vector<Frame> frames;
    };
    auto at = [](float x) { return [x](GameObj*, GameObj* b) { CollisionTest::MoveTo(b, x, 100.0f); }; };
    auto nothing = [](GameObj*, GameObj*) {};
    const char* both = "A:Enter B, B:Enter A";
    const char* stay = "A:Stay B, B:Stay A";
    const char* exit = "A:Exit B, B:Exit A";
    const std::vector<Case> cases = {
        {"enter, stays, exit", {{at(500), ""}, {at(110), both}, {nothing, stay}, {nothing, stay}, {at(500), exit}, {nothing, ""}}},
        {"one-frame touch", {{at(110), both}, {at(500), exit}, {nothing, ""}}},
        {"touch again", {{at(110), both}, {at(500), exit}, {at(115), both}, {nothing, stay}}},
        {"removal drops the records without exit",
            {{at(110), both},
                {[this](GameObj*, GameObj* b) {
                     Forget(b);
                     delete b;
                 },
                    ""},
                {nothing, ""}}},
        {"a disabled collider is skipped, and receives nothing",
            {{at(110), both}, {[](GameObj*, GameObj* b) { b->GetCollider()->Disable(); }, "A:Exit B"}, {nothing, ""},
                {[](GameObj*, GameObj* b) { b->GetCollider()->Enable(); }, both}}},
        {"an inactive object's collider pairs with its old box; only the other side hears",
            {{at(110), both},
                {[](GameObj*, GameObj* b) {
                     b->Deactivate();
                     CollisionTest::MoveTo(b, 900.0f, 100.0f);
                 },
                    "A:Stay B"},
                {[](GameObj* a, GameObj*) { CollisionTest::MoveTo(a, 300.0f, 100.0f); }, "A:Exit B"}}},
        {"layers that do not accept each other never touch",
            {{[](GameObj*, GameObj* b) {
                 b->GetCollider()->SetLayer(2);
                 CollisionTest::MoveTo(b, 110.0f, 100.0f);
             },
                ""}}},
    };
    SizeStage(1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GameObj* a = Body("A", 100.0f, 100.0f, 1, "Box2DCollider", "{cullingMask = 1, size = {width = 20, height = 20}}");
        GameObj* b = Body("B", 500.0f, 100.0f, 1, "Box2DCollider", "{cullingMask = 1, size = {width = 20, height = 20}}");
        ContactLog().clear();
        for (size_t i = 0; i < c.frames.size(); ++i) {
            c.frames[i].before(a, b);
            m_pWorld->Step();
            EXPECT_EQ(Sorted(TakeLog()), c.frames[i].log) << "frame " << i;
        }
        for (GameObj* root : std::vector<GameObj*>(m_Roots)) {
            Forget(root);
            delete root;
        }
        EXPECT_TRUE(m_pWorld->GetContacts().empty());
    }
}

// Reports come in the order the records were made, which follows the bodies' creation order,
// never where the allocator put the colliders.
TEST_F(CollisionTest, ContactOrderDoesNotDependOnAddresses)
{
    SizeStage(1);
    std::vector<std::string> runs;
    for (int run = 0; run < 3; ++run) {
        std::vector<std::unique_ptr<char[]>> ballast;
        std::vector<GameObj*> bodies;
        for (int i = 0; i < 12; ++i) {
            if (run > 0)
                for (int k = 0; k < (run == 1 ? 1 : 12 - i); ++k)
                    ballast.emplace_back(new char[64 * (1 + (i * 7 + k) % 9)]);
            bodies.push_back(Body(Named("b", i), 100.0f + 15.0f * static_cast<float>(i % 6),
                100.0f + 15.0f * static_cast<float>(i / 6), 1, i % 2 ? "CircleCollider" : "Box2DCollider",
                i % 2 ? "{radius = 12}" : BoxTable(24, 24)));
        }
        m_pWorld->Step();
        m_pWorld->Step();
        for (GameObj* b : bodies)
            MoveTo(b, b->GetTransform()->WorldMatrix().m[3][0] + 20.0f, 100.0f);
        m_pWorld->Step();
        runs.push_back(TakeLog());
        for (GameObj* b : bodies) {
            Forget(b);
            delete b;
        }
    }
    ASSERT_FALSE(runs[0].empty());
    EXPECT_EQ(runs[1], runs[0]);
    EXPECT_EQ(runs[2], runs[0]);
}

// Bodies enter the tree in creation order, so within one cell every pair, and so every record,
// holds the earlier-made collider first: the order reports come in repeats with the seed.
TEST_F(CollisionTest, RecordsFollowCreationOrder)
{
    SizeStage(1);
    std::vector<GameObj*> bodies;
    for (int i = 0; i < 40; ++i)
        bodies.push_back(Body(Named("b", i), 300.0f + static_cast<float>(i % 3), 300.0f, 1, "Box2DCollider", BoxTable(8, 8), "",
            nullptr, false));
    m_pWorld->Step();
    ASSERT_EQ(m_pWorld->GetContacts().size(), 40u * 39u / 2u);
    for (const ContactRecord* r : m_pWorld->GetContacts())
        ASSERT_LT(r->a->GetOwner()->GetId(), r->b->GetOwner()->GetId());
}

// A handler that destroys the other object mid-delivery: that side hears nothing more, the
// records go at the walk's end, and later frames are quiet.
TEST_F(CollisionTest, ColliderRemovedDuringDelivery)
{
    SizeStage(1);
    GameObj* a = Body("A", 100.0f, 100.0f, 1, "Box2DCollider", BoxTable(20, 20));
    GameObj* b = Body("B", 110.0f, 100.0f, 1, "Box2DCollider", BoxTable(20, 20));
    GameObj* c = Body("C", 95.0f, 100.0f, 1, "Box2DCollider", BoxTable(20, 20));
    bool deleted = false;
    for (GameObj* killer : {a, b, c}) {
        auto* rec = static_cast<ContactRecorder*>(killer->GetComponent(ContactRecorder::s_Class.Key));
        rec->m_OnReport = [this, &deleted](const char*, const CollisionInfo& info) {
            if (deleted || info.other->GetObjectName() != "B")
                return;
            deleted = true;
            Forget(info.other);
            delete info.other;
        };
    }
    m_pWorld->Step();
    const std::string log = TakeLog();
    // Whoever heard of B first deleted it; B itself never reported after that.
    const size_t firstB = log.find("Enter B");
    ASSERT_NE(firstB, std::string::npos) << log;
    EXPECT_EQ(log.find("B:", firstB), std::string::npos) << log;
    EXPECT_EQ(log.find("Enter B", firstB + 1), std::string::npos) << log;
    for (ContactRecord* r : m_pWorld->GetContacts())
        EXPECT_TRUE(r->a->GetOwner() != b && r->b->GetOwner() != b);
    m_pWorld->Step();
    EXPECT_EQ(Sorted(TakeLog()), "A:Stay C, C:Stay A");
}

// Two colliders on one object: each report reaches the object's other components once per
// collider record, and never bounces between the two colliders.
TEST_F(CollisionTest, TwoCollidersOnOneObjectForwardOnce)
{
    SizeStage(1);
    GameObj* a = Body("A", 100.0f, 100.0f, 1, "Box2DCollider", BoxTable(20, 20));
    Body("B", 110.0f, 100.0f, 1, "Box2DCollider", BoxTable(20, 20), "", nullptr, false);
    Component* second = Add(a, "CircleCollider", "{radius = 10}");
    second->SetFlags(eComponentFlag_Started);
    second->Start();
    m_pWorld->Step();
    // A's box and circle each touch B's box and each other; every report reaches A's recorder
    // once, through the collider that received it.
    EXPECT_EQ(Sorted(TakeLog()), "A:Enter A, A:Enter A, A:Enter B, A:Enter B");
}

// ---- Narrow phase

TEST(CollisionNarrowPhase, CircleAgainstCircle)
{
    struct Case {
        const char* name;
        float ax, ay, ar, bx, by, br, vax, vay, vbx, vby;
        bool touching;
        float t;
    };
    const Case cases[] = {
        {"100 apart closing at 200, radii 10 + 10", 0, 0, 10, 100, 0, 10, 200, 0, 0, 0, true, 0.5f - 20.0f / 200.0f},
        {"the same, both moving", 0, 0, 30, 100, 0, 20, 100, 0, -100, 0, true, 0.5f - 50.0f / 200.0f},
        {"overlapping, at rest", 0, 0, 10, 15, 0, 10, 0, 0, 0, 0, true, 0.0f},
        {"just touching, at rest", 0, 0, 10, 20, 0, 10, 0, 0, 0, 0, true, 0.0f},
        {"apart, at rest", 0, 0, 10, 21, 0, 10, 0, 0, 0, 0, false, 0.0f},
        {"apart, moving apart", 0, 0, 10, 100, 0, 10, -200, 0, 0, 0, false, 0.0f},
        {"closing but passing beside", 0, 0, 10, 100, 50, 10, 200, 0, 0, 0, false, 0.0f},
        {"closing too slowly to meet within a second", 0, 0, 10, 100, 0, 10, 50, 0, 0, 0, false, 0.0f},
        {"meeting at exactly one second", 0, 0, 10, 100, 0, 10, 80, 0, 0, 0, true, 1.0f},
        {"overlapping and moving apart", 0, 0, 10, 15, 0, 10, -100, 0, 0, 0, true, 0.0f},
    };
    for (const Case& c : cases) {
        float t = -1.0f;
        EXPECT_EQ(TestCircleCircle(c.ax, c.ay, c.ar, c.bx, c.by, c.br, c.vax, c.vay, c.vbx, c.vby, t), c.touching)
            << c.name;
        if (c.touching) {
            EXPECT_NEAR(t, c.t, 1e-5f) << c.name;
        }
    }
}

// Terrain contacts: a body's box (half 10 x 20) with its local centre, against floors, ceilings,
// walls and slopes, with the neighbour rules at segment ends.
TEST(CollisionNarrowPhase, SegmentContact)
{
    struct Seg {
        float sx, sy, ex, ey;
    };
    struct Case {
        const char* name;
        Seg seg;
        std::vector<Seg> prev; // none or one neighbour each side
        std::vector<Seg> next;
        float cx, cy;          // body box centre
        float dispX;           // the body's displacement this frame
        float localY;          // body local centre y
        bool touching;
        float bx, by;          // point B when touching
    };
    const float hw = 10.0f, hh = 20.0f;
    const Seg floor = {0, 0, 100, 0};
    const Seg wallFacingLeft = {0, 0, 0, 100};  // normal (-1, 0)
    const Seg wallFacingRight = {0, 100, 0, 0}; // normal (1, 0)
    const Seg slopeUp = {0, 0, 100, 100};       // normal up and left
    const std::vector<Case> cases = {
        {"resting on a floor", floor, {}, {}, 50, 20, 0, 0, true, 777, 20},
        {"resting, local centre up 5", floor, {}, {}, 50, 20, 0, 5, true, 777, 15},
        {"sunk into a floor", floor, {}, {}, 50, 12, 0, 0, true, 777, 20},
        {"one above a floor", floor, {}, {}, 50, 21, 0, 0, false, 0, 0},
        {"past the floor's end, no neighbour", floor, {}, {}, 130, 20, 0, 0, true, 777, 20},
        {"past the end, next is a slope", floor, {}, {{100, 0, 200, 100}}, 130, 20, 0, 0, false, 0, 0},
        {"past the end, next is a wall facing right, inside", floor, {}, {{100, 50, 100, -50}}, 130, 15, 0, 0, false, 0, 0},
        {"past the end, next is a wall facing left", floor, {}, {{100, -50, 100, 50}}, 130, 15, 0, 0, true, 777, 20},
        {"before the start, previous is a wall facing left, inside", floor, {{0, -50, 0, 50}}, {}, -30, 15, 0, 0, false, 0, 0},
        {"before the start, previous is a wall facing right", floor, {{0, 50, 0, -50}}, {}, -30, 15, 0, 0, true, 777, 20},
        {"ceiling above", {100, 0, 0, 0}, {}, {}, 50, -20, 0, 0, true, 777, -20},
        {"ceiling, -21 rounds up to -20: touching", {100, 0, 0, 0}, {}, {}, 50, -21, 0, 0, true, 777, -20},
        {"ceiling, body clear below (-22 rounds up to -21)", {100, 0, 0, 0}, {}, {}, 50, -22, 0, 0, false, 0, 0},
        {"wall facing left, body pressing in", wallFacingLeft, {}, {}, -9, 50, 0, 0, true, -10, 888},
        {"wall facing left, body flush (-11 rounds up to -10)", wallFacingLeft, {}, {}, -11, 50, 0, 0, false, 0, 0},
        {"wall facing right, body pressing in", wallFacingRight, {}, {}, 9, 50, 0, 0, true, 10, 888},
        {"wall, probe below its foot", wallFacingLeft, {}, {}, -9, 10, 0, 0, false, 0, 0},
        {"wall, probe above its foot thanks to a ceiling neighbour", wallFacingLeft, {{50, 0, 0, 0}}, {}, -9, 10, 0, 0, true, -10, 888},
        {"on a slope", slopeUp, {}, {}, 50, 70, 0, 0, true, 777, 70},
        {"a little above a slope, steps down", slopeUp, {}, {}, 40, 80, 10, 0, true, 777, 66},
        {"above a slope, not moving sideways", slopeUp, {}, {}, 50, 80, 0, 0, false, 0, 0},
        {"above a slope, step too short", slopeUp, {}, {}, 48, 80, 2, 0, false, 0, 0},
        {"below a slope's start, clamped to it", slopeUp, {}, {}, -20, 0, 0, 0, true, 777, 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GameObj terrain("terrain", nullptr);
        std::vector<std::unique_ptr<SegmentCollider>> segs;
        auto make = [&](const Seg& s) {
            segs.push_back(std::make_unique<SegmentCollider>(&terrain));
            segs.back()->SetEndpoints(s.sx, s.sy, s.ex, s.ey);
            WorldBox ignored;
            segs.back()->ComputeWorldShape(ignored);
            return segs.back().get();
        };
        SegmentCollider* seg = make(c.seg);
        SegmentCollider* prev = c.prev.empty() ? nullptr : make(c.prev[0]);
        SegmentCollider* next = c.next.empty() ? nullptr : make(c.next[0]);
        seg->SetNeighbours(prev, next);
        GameObj bodyObj("body", nullptr);
        Kinematics body(&bodyObj);
        body.m_fPosX = 777.0f;
        body.m_fPosY = 888.0f;
        body.m_fVelX = 5.0f;
        body.m_fVelY = -7.0f;
        body.m_fDispX = c.dispX;
        ContactRecord record;
        const bool touching = TestSegmentContact(*seg, body, {c.cx, c.cy, hw, hh}, 0.0f, c.localY, record);
        EXPECT_EQ(touching, c.touching);
        if (touching && c.touching) {
            EXPECT_NEAR(record.pointB[0], c.bx, 1e-3f);
            EXPECT_NEAR(record.pointB[1], c.by, 1e-3f);
            const bool wall = std::fabs(seg->GetDirectionX()) < 1e-6f;
            EXPECT_FLOAT_EQ(record.vectorB[0], wall ? 0.0f : 5.0f);
            EXPECT_FLOAT_EQ(record.vectorB[1], wall ? -7.0f : 0.0f);
        }
    }
}

// A zero-length segment touches nothing, wherever the body is.
TEST(CollisionNarrowPhase, ZeroLengthSegmentTouchesNothing)
{
    GameObj terrain("terrain", nullptr);
    SegmentCollider seg(&terrain);
    seg.SetEndpoints(5.0f, 5.0f, 5.0f, 5.0f);
    WorldBox box;
    seg.ComputeWorldShape(box);
    GameObj bodyObj("body", nullptr);
    Kinematics body(&bodyObj);
    for (float x : {-10.0f, 0.0f, 5.0f, 10.0f}) {
        ContactRecord record;
        EXPECT_FALSE(TestSegmentContact(seg, body, {x, 5.0f, 10.0f, 10.0f}, 0.0f, 0.0f, record)) << x;
    }
}

// Pair kinds through the world: which pairs touch, with and without Kinematics, and which way
// round the record holds them.
TEST_F(CollisionTest, PairKinds)
{
    SizeStage(1);
    struct Case {
        const char* name;
        const char* classA;
        const char* tableA;
        bool kinA;
        const char* classB;
        const char* tableB;
        bool kinB;
        float bx, by; // B's place; A sits at (100, 100)
        bool touching;
        const char* recordA; // the object the record holds as A when touching
    };
    const char* box = "{size = {width = 20, height = 20}}";
    const char* circle = "{radius = 10}";
    const char* floor = "{s = {x = -50, y = 0}, e = {x = 50, y = 0}}";
    const Case cases[] = {
        {"box and box", "Box2DCollider", box, false, "Box2DCollider", box, false, 115, 100, true, nullptr},
        {"circle and box, near corners apart", "Box2DCollider", box, false, "CircleCollider", circle, false, 118, 118, false, nullptr},
        {"circle and box, touching", "Box2DCollider", box, false, "CircleCollider", circle, false, 115, 110, true, "B"},
        {"circles without Kinematics", "CircleCollider", circle, false, "CircleCollider", circle, false, 110, 100, false, nullptr},
        {"circles with Kinematics", "CircleCollider", circle, true, "CircleCollider", circle, true, 110, 100, true, nullptr},
        {"box on a floor, with Kinematics", "Box2DCollider", box, true, "SegmentCollider", floor, false, 100, 90, true, "B"},
        {"box on a floor, without", "Box2DCollider", box, false, "SegmentCollider", floor, false, 100, 90, false, nullptr},
        {"circle on a floor, with Kinematics", "CircleCollider", circle, true, "SegmentCollider", floor, false, 100, 90, true, "B"},
        {"segment and segment", "SegmentCollider", floor, false, "SegmentCollider", floor, false, 100, 100, false, nullptr},
    };
    const std::string still = "{useGravity = false, needClamp = false}";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GameObj* a = Body("A", 100.0f, 100.0f, 1, c.classA, c.tableA, c.kinA ? still : "");
        GameObj* b = Body("B", c.bx, c.by, 1, c.classB, c.tableB, c.kinB ? still : "");
        m_pWorld->Step();
        EXPECT_EQ(m_pWorld->GetContacts().size(), c.touching ? 1u : 0u);
        if (c.touching && c.recordA && !m_pWorld->GetContacts().empty()) {
            EXPECT_EQ(m_pWorld->GetContacts()[0]->a->GetOwner()->GetObjectName(), c.recordA);
        }
        for (GameObj* o : {a, b}) {
            Forget(o);
            delete o;
        }
        TakeLog();
    }
}

// A body resting on a floor gets, as the point it must stand at, the floor's height plus its
// half height less its local centre; the other side gets its own point and the body's.
TEST_F(CollisionTest, FloorContactReportsTheStandingPoint)
{
    SizeStage(1);
    GameObj* ground = Body("ground", 0.0f, 0.0f, 1, "SegmentCollider", "{s = {x = 0, y = 100}, e = {x = 400, y = 100}}");
    GameObj* crate = Body("crate", 200.0f, 115.0f, 1, "Box2DCollider", "{center = {x = 0, y = 5}, size = {width = 40, height = 40}}",
        "{useGravity = false, needClamp = false}");
    m_pWorld->Step();
    auto* rec = static_cast<ContactRecorder*>(crate->GetComponent(ContactRecorder::s_Class.Key));
    EXPECT_EQ(TakeLog(), "ground:Enter crate, crate:Enter ground");
    EXPECT_EQ(rec->m_Last.other, ground);
    EXPECT_FLOAT_EQ(rec->m_Last.pointX, 200.0f);
    EXPECT_FLOAT_EQ(rec->m_Last.pointY, 100.0f + 20.0f - 5.0f);
}

// ---- Push-out

TEST_F(CollisionTest, PushOut)
{
    SizeStage(1);
    const std::string kin = "{useGravity = false, needClamp = false}";
    GameObj* ball = Body("ball", 100.0f, 100.0f, 1, "CircleCollider", "{radius = 10}", kin);
    // A static post without Kinematics overlaps the ball and is passed over.
    Body("post", 100.0f, 100.0f, 1, "Box2DCollider", BoxTable(10, 10));
    GameObj* crate = Body("crate", 100.0f, 88.0f, 1, "Box2DCollider", BoxTable(10, 10), kin);
    m_pWorld->Step();
    Kinematics& k = *ball->GetKinematics();
    m_pWorld->PushOut(k);
    // Radii 10 + half diagonal of the crate; 12 apart: pushed straight up by the overlap.
    const float overlap = 10.0f + std::sqrt(50.0f) - 12.0f;
    EXPECT_FLOAT_EQ(k.m_fPosX, 100.0f);
    EXPECT_FLOAT_EQ(k.m_fPosY, 100.0f + overlap);
    // Two bodies at one point: the move is straight up.
    crate->GetKinematics()->m_fPosY = k.m_fPosY;
    crate->GetKinematics()->m_fPosX = k.m_fPosX;
    const float before = k.m_fPosY;
    m_pWorld->PushOut(k);
    EXPECT_FLOAT_EQ(k.m_fPosY, before + 10.0f + std::sqrt(50.0f));
}
