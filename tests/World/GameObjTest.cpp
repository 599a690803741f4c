#include <climits>

#include "WorldFixture.h"

using Log = std::vector<std::string>;

TEST_F(WorldTest, IdsComeFromOneCounterAndAreNeverReused)
{
    GameObj* a = Root("a");
    int32_t next = g_nNextGameObjId;
    GameObj* b = Root("b");
    EXPECT_EQ(b->GetId(), next);
    EXPECT_EQ(g_nNextGameObjId, next + 1);
    EXPECT_LT(a->GetId(), b->GetId());
    EXPECT_EQ(m_pManager->FindObject(b->GetId()), b);
    EXPECT_EQ(b->GetPrototypeNameId(), HashName("b"));
    EXPECT_FALSE(GameObj("fresh", nullptr).IsActive());
}

TEST_F(WorldTest, AddComponentFromATable)
{
    struct Case {
        const char* what;
        const char* className;
        const char* table; // nullptr: added without a table
        bool made;
        bool enabled;
        Log log;
    };
    const Case cases[] = {
        {"no table: enabled, never loaded", "Probe", nullptr, true, true, {"?:Attach"}},
        {"enabled absent", "Probe", "{name='p'}", true, true, {"p:Load", "p:Attach"}},
        {"enabled true", "Probe", "{name='p', enabled=true}", true, true, {"p:Load", "p:Attach"}},
        {"enabled 0 counts as true", "Probe", "{name='p', enabled=0}", true, true, {"p:Load", "p:Attach"}},
        {"enabled as a string counts as true", "Probe", "{name='p', enabled='no'}", true, true, {"p:Load", "p:Attach"}},
        {"enabled false", "Probe", "{name='p', enabled=false}", true, false, {"p:Load", "p:Attach"}},
        {"Load fails: destroyed, detached", "Probe", "{name='p', fail_load=true}", false, false,
         {"p:Load", "p:OnDisable", "p:Detach", "p:delete"}},
        {"Attach fails: destroyed, detached", "Probe", "{name='p', fail_attach=true}", false, false,
         {"p:Load", "p:Attach", "p:OnDisable", "p:Detach", "p:delete"}},
        {"disabled and failing: no OnDisable", "Probe", "{name='p', enabled=false, fail_attach=true}", false, false,
         {"p:Load", "p:Attach", "p:Detach", "p:delete"}},
        {"unknown class", "Nobody", "{}", false, false, {}},
        {"class names are exact", "probe", "{}", false, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ProbeLog().clear();
        GameObj* obj = Root(c.what);
        lua_State* L = nullptr;
        if (c.table) {
            PushTable(c.table);
            L = m_L;
        }
        int top = lua_gettop(m_L);
        Component* made = obj->AddComponent(c.className, L);
        EXPECT_EQ(lua_gettop(m_L), top);
        EXPECT_EQ(made != nullptr, c.made);
        EXPECT_EQ(obj->GetComponents().size(), c.made ? 1u : 0u);
        if (made) {
            EXPECT_EQ(made->IsEnabled(), c.enabled);
            EXPECT_FALSE(made->IsStarted());
            EXPECT_EQ(made->GetOwner(), obj);
            EXPECT_EQ(made->GetClassName(), "Probe");
        }
        EXPECT_EQ(ProbeLog(), c.log);
    }
}

TEST_F(WorldTest, ComponentsAreFoundByKindInListAndPreOrder)
{
    GameObj* top = Root("top");
    GameObj* second = Make("second", top);
    GameObj* first = Make("first", top, false); // inactive, still searched
    GameObj* deep = Make("deep", first);
    Probe* p1 = AddProbe(deep, "p1");
    Probe* p2 = AddProbe(second, "p2");
    Component* t = top->AddComponent("Transform", nullptr);
    Probe* p3 = AddProbe(top, "p3");

    EXPECT_EQ(top->GetComponent(Probe::s_Class.Key), p3);
    EXPECT_EQ(top->GetComponent(Probe::s_BaseClass.Key), p3);
    EXPECT_EQ(top->GetComponent(Transform::s_Class.Key), t);
    EXPECT_EQ(top->GetTransform(), t);
    EXPECT_EQ(second->GetComponent(Transform::s_Class.Key), nullptr);
    EXPECT_EQ(first->GetComponentInChildren(Probe::s_Class.Key), p1);
    EXPECT_EQ(top->GetComponentInChildren(Probe::s_Class.Key), p3);
    EXPECT_EQ(second->GetComponentInChildren(Probe::s_Class.Key), p2);
    EXPECT_EQ(first->GetComponentInChildren(Transform::s_Class.Key), nullptr);
    EXPECT_EQ(top->GetComponentInChildren(HashName("Nothing")), nullptr);
}

TEST_F(WorldTest, FindActiveByTagPassesOverInactiveObjectsAlone)
{
    const NameId tag = HashName("select_start");
    GameObj* top = Root("top");
    GameObj* later = Make("later", top);
    GameObj* hidden = Make("hidden", top, false);
    GameObj* inner = Make("inner", hidden);
    for (GameObj* obj : {later, hidden, inner})
        obj->SetTag(tag);

    EXPECT_EQ(top->FindActiveByTag(tag), inner); // pre-order: hidden, inner, later
    EXPECT_EQ(later->FindActiveByTag(tag), later);
    EXPECT_EQ(hidden->FindActiveByTag(tag), inner);
    inner->Deactivate();
    EXPECT_EQ(top->FindActiveByTag(tag), later);
    EXPECT_EQ(hidden->FindActiveByTag(tag), nullptr);
    EXPECT_EQ(top->FindActiveByTag(0), top); // untagged objects carry 0
}

TEST_F(WorldTest, ActivationReachesTheWholeSubtreeButLeavesItsBits)
{
    GameObj* top = Root("top", false);
    GameObj* child = Make("child", top, false);
    AddProbe(top, "top");
    AddProbe(child, "child");
    Probe* fresh = static_cast<Probe*>(child->AddComponent("Probe", nullptr)); // not started
    fresh->m_Name = "fresh";
    AddProbe(child, "off")->Disable();
    ProbeLog().clear();

    top->Activate();
    EXPECT_EQ(ProbeLog(), (Log{"top:OnEnable", "child:OnEnable"}));
    EXPECT_FALSE(child->IsActive());
    top->Activate();
    EXPECT_EQ(ProbeLog().size(), 2u);

    ProbeLog().clear();
    top->Deactivate();
    top->Deactivate();
    EXPECT_EQ(ProbeLog(), (Log{"top:OnDisable", "child:OnDisable"}));
}

TEST_F(WorldTest, EnableAndDisableFollowTheOwnersActivity)
{
    GameObj* on = Root("on");
    GameObj* off = Root("off", false);
    Probe* a = static_cast<Probe*>(on->AddComponent("Probe", nullptr));
    Probe* b = static_cast<Probe*>(off->AddComponent("Probe", nullptr));
    a->m_Name = "a";
    b->m_Name = "b";
    ProbeLog().clear();

    a->Enable(); // already enabled
    a->Disable();
    a->Disable();
    a->Enable(); // not started: OnEnable still runs at once
    b->Disable();
    b->Enable();
    EXPECT_EQ(ProbeLog(), (Log{"a:OnDisable", "a:OnEnable"}));
    EXPECT_TRUE(a->IsEnabled());
    EXPECT_TRUE(b->IsEnabled());
}

// Deleting a parent takes its subtree bottom-up: a child's components go (OnDisable when they
// are enabled and the child is active, then Detach) before the parent's.
TEST_F(WorldTest, DestructionGoesChildrenFirstThenComponentsInOrder)
{
    GameObj* top = Root("top");
    GameObj* b = Make("b", top);
    GameObj* a = Make("a", top, false); // first child, inactive
    GameObj* deep = Make("deep", b);
    AddProbe(top, "top1");
    AddProbe(top, "top2")->Disable();
    AddProbe(a, "a");
    AddProbe(b, "b");
    AddProbe(deep, "deep");
    const int32_t ids[] = {top->GetId(), a->GetId(), b->GetId(), deep->GetId()};
    ProbeLog().clear();

    Forget(top);
    delete top;
    EXPECT_EQ(ProbeLog(), (Log{"a:Detach", "a:delete", "deep:OnDisable", "deep:Detach", "deep:delete",
                               "b:OnDisable", "b:Detach", "b:delete", "top1:OnDisable", "top1:Detach",
                               "top1:delete", "top2:Detach", "top2:delete"}));
    for (int32_t id : ids)
        EXPECT_EQ(m_pManager->FindObject(id), nullptr);
}

// While an object's components go one by one, a component being disabled or detached may look
// for the others; it must find only those not yet destroyed.
TEST_F(WorldTest, ComponentsBeingDestroyedSeeOnlyTheLiveOnes)
{
    GameObj* obj = Root("obj");
    AddProbe(obj, "a");
    Probe* b = AddProbe(obj, "b");
    Probe* c = AddProbe(obj, "c");
    std::vector<std::string> seen;
    auto look = [&](Probe* self) {
        return [&seen, self] {
            std::string names;
            for (Component* other : self->GetOwner()->GetComponents())
                names += static_cast<Probe*>(other)->m_Name;
            Component* found = self->GetOwner()->GetComponent(Probe::s_Class.Key);
            seen.push_back(self->m_Name + " sees " + names + ", finds " + static_cast<Probe*>(found)->m_Name);
        };
    };
    b->m_OnDisable = look(b);
    c->m_OnDisable = look(c);
    Forget(obj);
    delete obj;
    EXPECT_EQ(seen, (Log{"b sees bc, finds b", "c sees c, finds c"}));
}

TEST_F(WorldTest, DeletingAChildUnlinksItFromALiveParent)
{
    GameObj* top = Root("top");
    GameObj* x = Make("x", top);
    GameObj* y = Make("y", top);
    Make("yy", y);
    delete y;
    EXPECT_EQ(top->GetNext(), x);
    EXPECT_EQ(top->GetLastDescendant(), x);
    EXPECT_EQ(x->GetPrevSibling(), x);
}

TEST_F(WorldTest, SendMessageGoesToLiveComponentsAndDownTheActiveSubtree)
{
    struct Case {
        const char* what;
        bool broadcast;
        bool topActive;
        Log log;
    };
    const Case cases[] = {
        {"broadcast", true, true, {"t:OnMessage MsgUIEvent() None", "c2:OnMessage MsgUIEvent() None",
                                   "g:OnMessage MsgUIEvent() None"}},
        {"to the target only", false, true, {"t:OnMessage MsgUIEvent() None"}},
        {"inactive target", true, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GameObj* top = Root("top", c.topActive);
        GameObj* c1 = Make("c1", top, false);
        GameObj* c2 = Make("c2", top); // first child
        GameObj* g = Make("g", c1);    // active under an inactive parent: not reached
        GameObj* g2 = Make("g2", c2);
        AddProbe(top, "t");
        static_cast<Probe*>(top->AddComponent("Probe", nullptr))->m_Name = "not started";
        AddProbe(top, "disabled")->Disable();
        AddProbe(c1, "c1");
        AddProbe(c2, "c2");
        AddProbe(g, "hidden");
        AddProbe(g2, "g");
        ProbeLog().clear();
        MsgUIEvent message(nullptr);
        message.SetBroadcast(c.broadcast);
        top->SendMessage(&message);
        EXPECT_EQ(ProbeLog(), c.log);
    }
}

TEST_F(WorldTest, FactoryKeepsTheFirstCreatorAndDestroysSoundly)
{
    ComponentFactory factory;
    factory.RegisterAll();
    const size_t count = factory.GetClassCount();
    EXPECT_GE(count, 1u);
    factory.RegisterClass(Transform::s_Class.Key, [](GameObj* owner) -> Component* { return new Probe(owner); });
    EXPECT_EQ(factory.GetClassCount(), count);
    GameObj* obj = Root("obj", false);
    Component* made = factory.Create("Transform", obj);
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(made->IsKindOf(Transform::s_Class.Key));
    EXPECT_EQ(made->GetFlags(), 0u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(made) % 16, 0u);
    ComponentFactory::Destroy(made);
    EXPECT_EQ(factory.Create("transform", obj), nullptr);
    EXPECT_EQ(factory.Create("", obj), nullptr);

    // An inactive owner: the enabled bit goes, OnDisable does not run, Detach does.
    auto* probe = static_cast<Probe*>(m_pFactory->Create("Probe", obj));
    probe->m_Name = "p";
    probe->SetFlags(eComponentFlag_Enabled | eComponentFlag_Started);
    ComponentFactory::Destroy(probe);
    EXPECT_EQ(ProbeLog(), (Log{"p:Detach", "p:delete"}));
}

TEST_F(WorldTest, ObjectsKeepTheFactoryTheyWereBuiltWith)
{
    GameObj* before = Root("before");
    ComponentFactory* old = g_pComponentFactory;
    g_pComponentFactory = nullptr;
    GameObj* orphan = Root("orphan");
    EXPECT_EQ(orphan->AddComponent("Transform", nullptr), nullptr);
    g_pComponentFactory = old;
    EXPECT_EQ(before->GetFactory(), old);
    EXPECT_NE(before->AddComponent("Transform", nullptr), nullptr);
}
