#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <vector>

#include "World/GameObj.h"

namespace {

typedef TreeNode<GameObj> Node;

// The same forest kept the plain way: a parent and an ordered child list per node.
struct ReferenceForest {
    std::map<int, int> parent; // -1 for a root
    std::map<int, std::vector<int>> children;

    void AddRoot(int id)
    {
        parent[id] = -1;
        children[id];
    }
    void Detach(int id)
    {
        int p = parent[id];
        if (p >= 0)
            std::erase(children[p], id);
        parent[id] = -1;
    }
    void Attach(int id, int p, int beforeSibling)
    {
        parent[id] = p;
        auto& list = children[p];
        auto at = beforeSibling < 0 ? list.end() : std::find(list.begin(), list.end(), beforeSibling);
        list.insert(at, id);
    }
    void Erase(int id)
    {
        for (int c : std::vector<int>(children[id]))
            Erase(c);
        Detach(id);
        parent.erase(id);
        children.erase(id);
    }
    bool InSubtree(int id, int ancestor) const
    {
        for (int a = id; a >= 0; a = parent.at(a))
            if (a == ancestor)
                return true;
        return false;
    }
    void PreOrder(int id, std::vector<int>& out) const
    {
        out.push_back(id);
        for (int c : children.at(id))
            PreOrder(c, out);
    }
};

class TreeCheck {
public:
    std::map<int, GameObj*> objects;
    ReferenceForest ref;

    GameObj* Obj(int id) const { return id < 0 ? nullptr : objects.at(id); }

    // Every link of every node against the reference.
    void Verify(const char* step, int round) const
    {
        for (const auto& [id, p] : ref.parent) {
            if (p >= 0)
                continue;
            std::vector<int> order;
            ref.PreOrder(id, order);
            for (size_t i = 0; i < order.size(); ++i) {
                int n = order[i];
                GameObj* obj = Obj(n);
                SCOPED_TRACE(::testing::Message() << step << " in round " << round << ", node " << n);
                ASSERT_EQ(obj->GetParent(), Obj(ref.parent.at(n)));
                ASSERT_EQ(obj->GetNext(), i + 1 < order.size() ? Obj(order[i + 1]) : nullptr);
                std::vector<int> sub;
                ref.PreOrder(n, sub);
                ASSERT_EQ(obj->GetLastDescendant(), Obj(sub.back()));
                int expectedPrev = n;
                if (int pp = ref.parent.at(n); pp >= 0) {
                    const auto& sibs = ref.children.at(pp);
                    auto at = std::find(sibs.begin(), sibs.end(), n) - sibs.begin();
                    expectedPrev = at == 0 ? sibs.back() : sibs[at - 1];
                }
                ASSERT_EQ(obj->GetPrevSibling(), Obj(expectedPrev));
            }
        }
    }
};

} // namespace

// Thousands of random inserts (before a sibling or at the end), moves, unlinks and deletes,
// each followed by a check of every link against the plain reference.
TEST(Tree, RandomOperationsMatchAPlainTree)
{
    std::mt19937 rng(20261210);
    TreeCheck t;
    auto pick = [&](const std::vector<int>& v) { return v[rng() % v.size()]; };
    auto ids = [&] {
        std::vector<int> v;
        for (auto& [id, p] : t.ref.parent)
            v.push_back(id);
        return v;
    };
    auto make = [&] {
        GameObj* obj = new GameObj("node", nullptr);
        t.objects[obj->GetId()] = obj;
        t.ref.AddRoot(obj->GetId());
        return obj->GetId();
    };
    // A place under p: before a random child, or -1 for the end.
    auto place = [&](int p) {
        const auto& kids = t.ref.children.at(p);
        return kids.empty() || rng() % 3 == 0 ? -1 : pick(kids);
    };

    for (int i = 0; i < 8; ++i)
        make();
    for (int round = 0; round < 6000; ++round) {
        if (t.ref.parent.empty())
            make();
        std::vector<int> all = ids();
        int op = rng() % 10;
        const char* step = "";
        if (op < 2 || all.size() < 4) {
            step = "insert";
            int n = make();
            int p = pick(all);
            int s = place(p);
            Node::InsertBefore(t.Obj(n), t.Obj(s), t.Obj(p));
            t.ref.Attach(n, p, s);
        } else if (op < 6) {
            step = "move";
            int n = pick(all);
            std::vector<int> targets;
            for (int c : all)
                if (!t.ref.InSubtree(c, n))
                    targets.push_back(c);
            if (targets.empty())
                continue;
            int p = pick(targets);
            if (GameObj* old = t.Obj(n)->GetParent())
                Node::Unlink(t.Obj(n), old);
            t.ref.Detach(n);
            int s = place(p);
            Node::InsertBefore(t.Obj(n), t.Obj(s), t.Obj(p));
            t.ref.Attach(n, p, s);
        } else if (op < 7) {
            step = "set parent";
            int n = pick(all);
            int p = pick(all);
            if (t.ref.InSubtree(p, n))
                continue;
            t.Obj(n)->SetParent(t.Obj(p));
            t.ref.Detach(n);
            const auto& kids = t.ref.children.at(p);
            t.ref.Attach(n, p, kids.empty() ? -1 : kids.front());
        } else if (op < 8) {
            step = "unlink";
            int n = pick(all);
            t.Obj(n)->SetParent(nullptr);
            t.ref.Detach(n);
        } else {
            step = "delete";
            int n = pick(all);
            std::vector<int> gone;
            t.ref.PreOrder(n, gone);
            delete t.Obj(n);
            t.ref.Erase(n);
            for (int g : gone)
                t.objects.erase(g);
        }
        t.Verify(step, round);
        if (::testing::Test::HasFatalFailure())
            return;
    }
    for (int id : ids())
        if (t.ref.parent.count(id) && t.ref.parent.at(id) < 0) {
            std::vector<int> gone;
            t.ref.PreOrder(id, gone);
            delete t.Obj(id);
            t.ref.Erase(id);
        }
    EXPECT_TRUE(t.ref.parent.empty());
}

TEST(Tree, NewParentGetsTheObjectAsFirstChild)
{
    GameObj root("root", nullptr);
    GameObj* a = new GameObj("a", nullptr);
    GameObj* b = new GameObj("b", nullptr);
    GameObj* c = new GameObj("c", nullptr);
    for (GameObj* child : {a, b, c})
        child->SetParent(&root);
    EXPECT_EQ(root.GetNext(), c);
    EXPECT_EQ(c->GetNext(), b);
    EXPECT_EQ(b->GetNext(), a);
    EXPECT_EQ(a->GetNext(), nullptr);
    EXPECT_EQ(root.GetFirstChild(), c);
    EXPECT_EQ(root.GetLastChild(), a);
    EXPECT_EQ(root.GetLastDescendant(), a);
}

TEST(Tree, RemovingTheOnlyChildGivesItsAncestorsTheirOwnEnds)
{
    GameObj top("top", nullptr);
    GameObj* mid = new GameObj("mid", nullptr);
    GameObj* leaf = new GameObj("leaf", nullptr);
    GameObj* side = new GameObj("side", nullptr);
    side->SetParent(&top);
    mid->SetParent(&top); // top: mid, side
    leaf->SetParent(mid);
    EXPECT_EQ(top.GetLastDescendant(), side);
    EXPECT_EQ(mid->GetLastDescendant(), leaf);

    delete leaf;
    EXPECT_EQ(mid->GetLastDescendant(), mid);
    EXPECT_EQ(mid->GetNext(), side);
    EXPECT_EQ(top.GetLastDescendant(), side);

    delete side;
    EXPECT_EQ(top.GetLastDescendant(), mid);
    EXPECT_EQ(mid->GetNext(), nullptr);
    EXPECT_EQ(mid->GetPrevSibling(), mid);
}

// A move under its own subtree would close the chain into a loop: it is refused.
TEST(Tree, MovingAnObjectUnderItselfIsRefused)
{
    GameObj top("top", nullptr);
    GameObj* child = new GameObj("child", nullptr);
    child->SetParent(&top);
    top.SetParent(child);
    top.SetParent(&top);
    EXPECT_EQ(top.GetParent(), nullptr);
    EXPECT_EQ(child->GetParent(), &top);
    EXPECT_EQ(top.GetNext(), child);
    EXPECT_EQ(child->GetNext(), nullptr);
}
