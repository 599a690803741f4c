#include <algorithm>
#include <cstdio>
#include <map>
#include <new>
#include <numeric>
#include <random>
#include <set>

#include "System/Application/MainApp.h"
#include "WorldFixture.h"

using Log = std::vector<std::string>;

namespace {

// A plain message with a label; its deletion is recorded.
class Note : public IMessage {
public:
    static const ClassKey s_Class;
    explicit Note(const std::string& label) : IMessage(s_Class), m_Label(label) {}
    ~Note() override { ProbeLog().push_back("~" + m_Label); }
    std::string Describe() const override { return m_Label; }

    std::string m_Label;
};
const ClassKey Note::s_Class("Note");

// Messages placed at chosen addresses: slot i lies below slot i + 1, so a test decides the
// order in which the manager's address-ordered walk meets them.
struct Slot {
    int index;
};
alignas(64) unsigned char g_Arena[8][256];

template <class Base>
class InSlot : public Base {
public:
    using Base::Base;
    static void* operator new(size_t size, Slot slot)
    {
        EXPECT_LE(size, sizeof(g_Arena[0]));
        return g_Arena[slot.index];
    }
    static void operator delete(void*) {}
    static void operator delete(void*, Slot) {}
};

} // namespace

TEST_F(WorldTest, MessageKeysAndConstruction)
{
    EXPECT_EQ(MsgRemoveObject::s_Class.Key, HashName("MsgRemoveObject"));
    EXPECT_EQ(MsgSetActivate::s_Class.Key, HashName("MsgSetActivate"));
    EXPECT_EQ(MsgSetCamera::s_Class.Key, HashName("MsgSetCamera"));
    EXPECT_EQ(MsgUIEvent::s_Class.Key, HashName("MsgUIEvent"));
    EXPECT_EQ(MsgUIResult::s_Class.Key, HashName("MsgUIResult"));
    EXPECT_EQ(g_MsgUISetSelectClass.Key, HashName("MsgUISetSelect"));

    GameObj* obj = Root("obj");
    SetStandInFrameCount(77);
    MsgRemoveObject remove(obj);
    MsgSetActivate activate(obj);
    MsgSetCamera camera(obj, 3);
    MsgUIEvent event(obj);
    MsgUIResult result(obj);
    struct Row {
        const IMessage& m;
        const char* name;
        GameObj* target;
        bool broadcast;
        bool self;
    };
    const Row rows[] = {{remove, "MsgRemoveObject", obj, false, true},
                        {activate, "MsgSetActivate", obj, false, true},
                        {camera, "MsgSetCamera", obj, true, true},
                        {event, "MsgUIEvent", nullptr, false, false},
                        {result, "MsgUIResult", nullptr, false, false}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(r.m.GetClassName(), r.name);
        EXPECT_EQ(r.m.GetTypeId(), HashName(r.name));
        EXPECT_EQ(r.m.GetTarget(), r.target);
        EXPECT_EQ(r.m.IsBroadcast(), r.broadcast);
        EXPECT_EQ(r.m.IsSelfExecuting(), r.self);
        EXPECT_EQ(r.m.GetDeliveryTime(), 0.0f);
        EXPECT_EQ(r.m.GetPostFrame(), 77u);
    }
    EXPECT_TRUE(activate.m_bActive);
    EXPECT_EQ(camera.m_nCamera, 3);
    EXPECT_EQ(event.m_pSender, obj);
    EXPECT_EQ(event.m_pOrigin, obj);
    EXPECT_EQ(event.m_eKind, eUIEvent_None);
    EXPECT_EQ(result.m_pOrigin, obj);
    EXPECT_TRUE(result.m_Values.empty());
}

TEST_F(WorldTest, PostingSetsTargetTimeAndOwnership)
{
    GameObj* obj = Root("obj");
    AddProbe(obj, "p");
    m_pManager->Deliver(2.0f);
    Note* note = new Note("n");
    obj->PostMessage(note, 0.5f);
    EXPECT_EQ(note->GetTarget(), obj);
    EXPECT_EQ(note->GetDeliveryTime(), 2.5f);
    EXPECT_TRUE(m_pManager->IsPending(note));
    EXPECT_EQ(m_pManager->GetClock(), 2.0f);
}

// Delivery is never in the frame that made the message, even when delivery runs after the
// posting within that frame; a step of 0 still delivers what was posted earlier without delay.
TEST_F(WorldTest, DueMeansTimeReachedAndAnEarlierFrame)
{
    struct Step {
        uint32_t frame;
        float dt;
        Log delivered;
    };
    struct Case {
        const char* what;
        float delay;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {"no delay: next frame", 0.0f, {{1, 0.016f, {}}, {2, 0.016f, {"p:OnMessage n", "~n"}}}},
        {"no delay, frame step 0", 0.0f, {{2, 0.0f, {"p:OnMessage n", "~n"}}}},
        {"running delay waits through a step of 0", 0.5f,
         {{2, 0.0f, {}}, {3, 0.25f, {}}, {4, 0.0f, {}}, {5, 0.25f, {"p:OnMessage n", "~n"}}}},
        {"time reached but same frame", 0.1f, {{1, 1.0f, {}}, {1, 1.0f, {}}, {2, 0.0f, {"p:OnMessage n", "~n"}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        delete m_pManager;
        m_pManager = new MessageManager;
        GameObj* obj = Root("obj");
        AddProbe(obj, "p");
        SetStandInFrameCount(1);
        obj->PostMessage(new Note("n"), c.delay);
        for (const Step& s : c.steps) {
            SCOPED_TRACE(s.frame);
            ProbeLog().clear();
            SetStandInFrameCount(s.frame);
            m_pManager->Deliver(s.dt);
            EXPECT_EQ(ProbeLog(), s.delivered);
        }
        EXPECT_EQ(m_pManager->GetPendingCount(), 0u);
        Forget(obj);
        delete obj;
    }
}

TEST_F(WorldTest, AMessagePostedDuringDeliveryWaitsForTheNextFrame)
{
    GameObj* obj = Root("obj");
    Probe* p = AddProbe(obj, "p");
    ProbeLog().clear();
    int echoes = 0;
    p->m_OnMessage = [&](IMessage*) {
        if (echoes++ < 1)
            obj->PostMessage(new Note("echo"), 0.0f);
    };
    obj->PostMessage(new Note("first"), 0.0f);
    SetStandInFrameCount(2);
    m_pManager->Deliver(0.0f);
    EXPECT_EQ(ProbeLog(), (Log{"p:OnMessage first", "~first"}));
    EXPECT_EQ(m_pManager->GetPendingCount(), 1u);
    ProbeLog().clear();
    SetStandInFrameCount(3);
    m_pManager->Deliver(0.0f);
    EXPECT_EQ(ProbeLog(), (Log{"p:OnMessage echo", "~echo"}));
}

// Due messages go out in ascending address order, whatever their times and posting order;
// one whose target an earlier message removed is deleted and never delivered.
TEST_F(WorldTest, DeliveryOrderIsByAddressAndRemovedTargetsGetNothing)
{
    enum Kind { eNote, eRemove };
    struct Post {
        int slot;
        Kind kind;
        const char* target; // "top", "a", "a1" (child of a) or "b"
        float delay;
    };
    struct Case {
        const char* what;
        std::vector<Post> posts; // in posting order
        Log log;
    };
    const Case cases[] = {
        {"address order, not time or posting order",
         {{5, eNote, "b", 0.0f}, {1, eNote, "b", 0.3f}, {3, eNote, "a", 0.1f}},
         {"b:OnMessage n1", "~n1", "a:OnMessage n3", "~n3", "b:OnMessage n5", "~n5"}},
        {"removal first: the subtree's later messages die with it, others go on",
         {{4, eNote, "a", 0.0f}, {2, eRemove, "a", 0.0f}, {1, eNote, "a1", 0.0f}, {5, eNote, "b", 0.0f},
          {3, eNote, "a1", 0.0f}},
         {"a1:OnMessage n1", "~n1", "a1:OnDisable", "a1:Detach", "a1:delete", "~n3", "a:OnDisable", "a:Detach",
          "a:delete", "~n4", "b:OnMessage n5", "~n5"}},
        {"removal last: earlier messages are delivered",
         {{6, eRemove, "a", 0.0f}, {1, eNote, "a", 0.0f}, {2, eNote, "a1", 0.0f}},
         {"a:OnMessage n1", "~n1", "a1:OnMessage n2", "~n2", "a1:OnDisable", "a1:Detach", "a1:delete",
          "a:OnDisable", "a:Detach", "a:delete"}},
        {"a removal of a removed object is itself dropped",
         {{1, eRemove, "a", 0.0f}, {2, eRemove, "a1", 0.0f}, {3, eNote, "b", 0.0f}},
         {"a1:OnDisable", "a1:Detach", "a1:delete", "a:OnDisable", "a:Detach", "a:delete", "b:OnMessage n3", "~n3"}},
        {"removal of the root of all", {{2, eRemove, "top", 0.0f}, {3, eNote, "b", 0.0f}, {1, eNote, "top", 0.0f}},
         {"top:OnMessage n1", "~n1", "a1:OnDisable", "a1:Detach", "a1:delete", "a:OnDisable", "a:Detach", "a:delete",
          "b:OnDisable", "b:Detach", "b:delete", "~n3", "top:OnDisable", "top:Detach", "top:delete"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GameObj* top = Root("top");
        GameObj* b = Make("b", top);
        GameObj* a = Make("a", top);
        GameObj* a1 = Make("a1", a);
        std::map<std::string, GameObj*> objs = {{"top", top}, {"a", a}, {"a1", a1}, {"b", b}};
        const int32_t aId = a->GetId(), a1Id = a1->GetId();
        for (auto& [name, obj] : objs)
            AddProbe(obj, name);
        SetStandInFrameCount(1);
        for (const Post& p : c.posts) {
            GameObj* target = objs.at(p.target);
            IMessage* m = p.kind == eRemove
                              ? static_cast<IMessage*>(new (Slot{p.slot}) InSlot<MsgRemoveObject>(target))
                              : new (Slot{p.slot}) InSlot<Note>("n" + std::to_string(p.slot));
            target->PostMessage(m, p.delay);
        }
        ProbeLog().clear();
        SetStandInFrameCount(2);
        m_pManager->Deliver(1.0f);
        EXPECT_EQ(ProbeLog(), c.log);
        EXPECT_EQ(m_pManager->GetPendingCount(), 0u);
        bool removedTop = std::find(c.log.begin(), c.log.end(), "top:delete") != c.log.end();
        bool removedA = std::find(c.log.begin(), c.log.end(), "a:delete") != c.log.end();
        if (removedA) {
            EXPECT_EQ(m_pManager->FindObject(aId), nullptr);
            EXPECT_EQ(m_pManager->FindObject(a1Id), nullptr);
        }
        if (removedTop)
            Forget(top);
        else
            EXPECT_EQ(top->GetLastDescendant(), b);
        for (GameObj* root : std::vector<GameObj*>(m_Roots)) {
            Forget(root);
            delete root;
        }
    }
}

TEST_F(WorldTest, MessagesToADeletedObjectAreGoneWithIt)
{
    GameObj* keep = Root("keep");
    GameObj* gone = Make("gone", keep);
    AddProbe(keep, "keep");
    Make("below", gone)->PostMessage(new Note("below"), 0.0f);
    // The manager drops an object's messages in address order: x is placed below y.
    gone->PostMessage(new (Slot{0}) InSlot<Note>("x"), 0.0f);
    gone->PostMessage(new (Slot{1}) InSlot<Note>("y"), 5.0f);
    keep->PostMessage(new Note("k"), 0.0f);
    ProbeLog().clear();
    delete gone;
    EXPECT_EQ(ProbeLog(), (Log{"~below", "~x", "~y"}));
    EXPECT_EQ(m_pManager->GetPendingCount(), 1u);
    ProbeLog().clear();
    SetStandInFrameCount(2);
    m_pManager->Deliver(1.0f);
    EXPECT_EQ(ProbeLog(), (Log{"keep:OnMessage k", "~k"}));
}

TEST_F(WorldTest, DispatchDropsMessagesWhoseTargetIsUnknown)
{
    GameObj loose("loose", nullptr); // never registered
    loose.Activate();
    Note* note = new Note("lost");
    note->SetTarget(&loose);
    EXPECT_FALSE(m_pManager->Dispatch(note));
    EXPECT_EQ(ProbeLog(), (Log{"~lost"}));
    EXPECT_FALSE(m_pManager->Dispatch(new Note("nobody")));
}

// A camera message reaches every component of the subtree, inactive objects and disabled
// components included; a UI event to an inactive object reaches none.
TEST_F(WorldTest, CameraMessagesIgnoreFlagsAndUIEventsDoNot)
{
    GameObj* top = Root("top", false);
    GameObj* child = Make("child", top, false);
    AddProbe(top, "top")->Disable();
    static_cast<Probe*>(child->AddComponent("Probe", nullptr))->m_Name = "fresh";
    ProbeLog().clear();
    top->PostMessage(new MsgSetCamera(top, 1), 0.0f);
    top->PostMessage(new MsgUIEvent(top), 0.0f);
    SetStandInFrameCount(2);
    m_pManager->Deliver(0.0f);
    Log log = ProbeLog();
    std::sort(log.begin(), log.end()); // the two messages' order is their addresses'
    EXPECT_EQ(log, (Log{"fresh:OnMessage MsgSetCamera", "top:OnMessage MsgSetCamera"}));
}

TEST_F(WorldTest, SetActivateMessages)
{
    struct Case {
        const char* what;
        bool active;
        bool broadcast;
        bool top, child, grandchild;
    };
    const Case cases[] = {
        {"activate the target", true, false, true, false, false},
        {"activate the subtree", true, true, true, true, true},
        {"deactivate the target", false, false, false, true, true},
        {"deactivate the subtree", false, true, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GameObj* top = Root("top", !c.active);
        GameObj* child = Make("child", top, !c.active);
        GameObj* grandchild = Make("grandchild", child, !c.active);
        auto* m = new MsgSetActivate(top);
        m->m_bActive = c.active;
        m->SetBroadcast(c.broadcast);
        top->PostMessage(m, 0.0f);
        SetStandInFrameCount(2);
        m_pManager->Deliver(0.0f);
        EXPECT_EQ(top->IsActive(), c.top);
        EXPECT_EQ(child->IsActive(), c.child);
        EXPECT_EQ(grandchild->IsActive(), c.grandchild);
        SetStandInFrameCount(1);
    }
}

TEST_F(WorldTest, UIEventDescriptions)
{
    GameObj* sender = Root("sender");
    sender->SetObjectName("OK");
    struct Case {
        MsgUIEventKind kind;
        int32_t param;
        const char* text;
    };
    const Case cases[] = {
        {eUIEvent_None, 0, "MsgUIEvent(OK) None"},
        {eUIEvent_Hover, 0, "MsgUIEvent(OK) Hover"},
        {eUIEvent_Press, 1, "MsgUIEvent(OK) Press(down)"},
        {eUIEvent_Press, 0x100, "MsgUIEvent(OK) Press(up)"},
        {eUIEvent_Select, 0x1FF, "MsgUIEvent(OK) Select(true)"},
        {eUIEvent_Select, 0, "MsgUIEvent(OK) Select(false)"},
        {eUIEvent_Click, 0, "MsgUIEvent(OK) Click"},
        {eUIEvent_DoubleClick, 0, "MsgUIEvent(OK) DoubleClick"},
        {eUIEvent_Drag, 0, "MsgUIEvent(OK) Drag"},
        {eUIEvent_Drop, 0, "MsgUIEvent(OK) Drop"},
        {eUIEvent_Input, 0, "MsgUIEvent(OK) Input"},
        {eUIEvent_Tooltip, 0, "MsgUIEvent(OK) Tooltip"},
        {eUIEvent_Scroll, 0, "MsgUIEvent(OK) Scroll"},
        {eUIEvent_Pad, 4096, "MsgUIEvent(OK) Pad(4096)"},
        {eUIEvent_Open, 0, "MsgUIEvent(OK) Open"},
        {eUIEvent_Closing, 7, "MsgUIEvent(OK) Closing"},
        {eUIEvent_Close, 0, "MsgUIEvent(OK) Close"},
    };
    for (const Case& c : cases) {
        MsgUIEvent e(sender);
        e.m_eKind = c.kind;
        e.m_nParam = c.param;
        EXPECT_EQ(e.Describe(), c.text);
    }
    EXPECT_EQ(MsgUIEvent(nullptr).Describe(), "MsgUIEvent() None");
    EXPECT_EQ(MsgRemoveObject(sender).Describe(), "MsgRemoveObject");

    // A name from data longer than the line: cut, never overrun.
    sender->SetObjectName(std::string(400, 'x'));
    MsgUIEvent e(sender);
    e.m_eKind = eUIEvent_Press;
    std::string text = e.Describe();
    EXPECT_EQ(text.size(), 255u);
    EXPECT_EQ(text.substr(0, 12), "MsgUIEvent(x");
}

TEST_F(WorldTest, UIEventPayloadCopyKeepsTheSender)
{
    GameObj* first = Root("first");
    GameObj* second = Root("second");
    MsgUIEvent from(first);
    from.m_eKind = eUIEvent_Click;
    from.m_Text = "hello";
    from.m_nParam = 3;
    from.m_nParam2 = -4;
    MsgUIEvent to(second);
    to.CopyPayload(from);
    EXPECT_EQ(to.m_pSender, second);
    EXPECT_EQ(to.m_pOrigin, first);
    EXPECT_EQ(to.m_eKind, eUIEvent_Click);
    EXPECT_EQ(to.m_Text, "hello");
    EXPECT_EQ(to.m_nParam, 3);
    EXPECT_EQ(to.m_nParam2, -4);
}

// With an application running, messages count its frames, not the stand-in.
TEST_F(WorldTest, MessagesCountTheApplicationsFrames)
{
    GameObj* obj = Root("obj");
    AddProbe(obj, "p");
    {
        MainApp app;
        ASSERT_EQ(g_pApplication, &app);
        app.m_nFrameCount = 41;
        SetStandInFrameCount(1000);
        obj->PostMessage(new Note("n"), 0.0f);
        m_pManager->Deliver(0.0f);
        EXPECT_EQ(m_pManager->GetPendingCount(), 1u);
        app.m_nFrameCount = 42;
        m_pManager->Deliver(0.0f);
        EXPECT_EQ(m_pManager->GetPendingCount(), 0u);
        g_pApplication = nullptr;
    }
}

// A UI message names its sender and its origin by pointer. When either object is deleted
// before the message arrives, or by an earlier receiver while it is being handed out, the
// receivers must find null there, not the deleted object.
TEST_F(WorldTest, UIMessagesForgetObjectsDeletedBeforeTheyAreRead)
{
    struct Case {
        const char* what;
        bool result; // a MsgUIResult rather than a MsgUIEvent
        bool deleteSender;
        bool deleteOrigin;
        bool duringDelivery;
    };
    const Case cases[] = {
        {"event: sender gone before delivery", false, true, false, false},
        {"event: origin gone before delivery", false, false, true, false},
        {"event: both gone while it is handed out", false, true, true, true},
        {"event: sender gone while it is handed out", false, true, false, true},
        {"result: sender gone before delivery", true, true, false, false},
        {"result: origin gone while it is handed out", true, false, true, true},
        {"event: nothing gone", false, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetStandInFrameCount(1);
        GameObj* frame = Root("frame");
        GameObj* widget = Make("widget", frame);
        GameObj* source = Make("source", frame);
        Probe* first = AddProbe(frame, "first");
        Probe* second = AddProbe(frame, "second");
        IMessage* message = nullptr;
        if (c.result) {
            auto* result = new MsgUIResult(widget);
            result->m_pOrigin = source;
            message = result;
        } else {
            auto* event = new MsgUIEvent(widget);
            event->m_pOrigin = source;
            event->m_eKind = eUIEvent_Click;
            message = event;
        }
        frame->PostMessage(message, 0.0f);

        auto deleteObjects = [&] {
            if (c.deleteSender)
                delete widget;
            if (c.deleteOrigin)
                delete source;
        };
        if (c.duringDelivery)
            first->m_OnMessage = [&](IMessage*) { deleteObjects(); };
        else
            deleteObjects();
        GameObj* seenSender = widget;
        GameObj* seenOrigin = source;
        second->m_OnMessage = [&](IMessage* m) {
            if (m->GetTypeId() == MsgUIResult::s_Class.Key) {
                seenSender = static_cast<MsgUIResult*>(m)->m_pSender;
                seenOrigin = static_cast<MsgUIResult*>(m)->m_pOrigin;
            } else {
                seenSender = static_cast<MsgUIEvent*>(m)->m_pSender;
                seenOrigin = static_cast<MsgUIEvent*>(m)->m_pOrigin;
            }
        };
        ProbeLog().clear();
        SetStandInFrameCount(2);
        m_pManager->Deliver(0.0f);
        EXPECT_EQ(seenSender, c.deleteSender ? nullptr : widget);
        EXPECT_EQ(seenOrigin, c.deleteOrigin ? nullptr : source);
        if (!c.result && c.deleteSender) { // the log line names no one rather than a freed object
            EXPECT_NE(std::find(ProbeLog().begin(), ProbeLog().end(), "second:OnMessage MsgUIEvent() Click"),
                      ProbeLog().end());
        }
        Forget(frame);
        delete frame;
    }
}

namespace {

// Messages for the randomised index test: each logs its deletion under its label; the event
// also shows whom it names when read.
class LabeledEvent : public MsgUIEvent {
public:
    LabeledEvent(const std::string& label, GameObj* sender, GameObj* origin) : MsgUIEvent(sender), m_Label(label)
    {
        m_pOrigin = origin;
    }
    ~LabeledEvent() override { ProbeLog().push_back("~" + m_Label); }
    std::string Describe() const override
    {
        return m_Label + " from " + (m_pSender ? m_pSender->GetObjectName() : "-") + " via " +
               (m_pOrigin ? m_pOrigin->GetObjectName() : "-");
    }

    std::string m_Label;
};

class LabeledRemove : public MsgRemoveObject {
public:
    LabeledRemove(const std::string& label, GameObj* target) : MsgRemoveObject(target), m_Label(label) {}
    ~LabeledRemove() override { ProbeLog().push_back("~" + m_Label); }

    std::string m_Label;
};

// The manager's rules kept the plain way: every pending message in one list, every removal and
// every delivery a walk over all of them.
class FullWalkModel {
public:
    enum Kind { eNote, eEvent, eRemove };
    struct Message {
        uintptr_t address;
        std::string label;
        Kind kind;
        int target, sender, origin; // object numbers, -1 for none
        float time;
        uint32_t frame;
    };
    struct Object {
        std::string name;
        int parent;
        std::vector<int> children; // first child first
    };

    std::map<int, Object> objects;
    std::vector<Message> pending;
    float clock = 0.0f;
    std::vector<std::string> log;

    void Add(int n, const std::string& name, int parent)
    {
        objects[n] = {name, parent, {}};
        if (parent >= 0)
            objects[parent].children.insert(objects[parent].children.begin(), n);
    }

    // Children first, in sibling order; then the object's probe; then its messages, lowest
    // address first; a sender or origin it was becomes none.
    void Delete(int n)
    {
        for (int child : std::vector<int>(objects.at(n).children))
            Delete(child);
        const std::string& name = objects.at(n).name;
        log.insert(log.end(), {name + ":OnDisable", name + ":Detach", name + ":delete"});
        if (int parent = objects.at(n).parent; parent >= 0)
            std::erase(objects.at(parent).children, n);
        std::sort(pending.begin(), pending.end(), [](auto& a, auto& b) { return a.address < b.address; });
        std::vector<Message> kept;
        for (Message& m : pending) {
            if (m.target == n) {
                log.push_back("~" + m.label);
                continue;
            }
            if (m.sender == n)
                m.sender = -1;
            if (m.origin == n)
                m.origin = -1;
            kept.push_back(m);
        }
        pending = kept;
        objects.erase(n);
    }

    std::string NameOf(int n) const { return n < 0 ? "-" : objects.at(n).name; }

    void Deliver(float dt, uint32_t frame)
    {
        clock += dt;
        std::sort(pending.begin(), pending.end(), [](auto& a, auto& b) { return a.address < b.address; });
        std::vector<uintptr_t> order;
        for (const Message& m : pending)
            order.push_back(m.address);
        for (uintptr_t address : order) {
            auto it = std::find_if(pending.begin(), pending.end(), [&](auto& m) { return m.address == address; });
            if (it == pending.end() || !(it->time <= clock && it->frame < frame))
                continue;
            Message m = *it;
            pending.erase(it);
            const std::string& target = objects.at(m.target).name;
            if (m.kind == eRemove)
                Delete(m.target);
            else if (m.kind == eNote)
                log.push_back(target + ":OnMessage " + m.label);
            else
                log.push_back(target + ":OnMessage " + m.label + " from " + NameOf(m.sender) + " via " +
                              NameOf(m.origin));
            log.push_back("~" + m.label);
        }
    }
};

} // namespace

// Random posts (plain, UI with a random sender and origin, removals), deletions of subtrees and
// deliveries, each checked against the full-walk model: the same messages delivered in the
// same order, the same ones deleted with their objects, senders and origins forgotten alike.
TEST_F(WorldTest, RandomRemovalsAndDeliveriesMatchAFullWalk)
{
    std::mt19937 rng(20261210);
    FullWalkModel model;
    std::map<int, GameObj*> objects;
    int nextObject = 0, nextLabel = 0;
    uint32_t frame = 1;
    SetStandInFrameCount(frame);
    auto pick = [&]() {
        auto it = objects.begin();
        std::advance(it, rng() % objects.size());
        return it->first;
    };
    auto maybe = [&]() { return rng() % 3 == 0 ? -1 : pick(); };
    auto obj = [&](int n) { return n < 0 ? nullptr : objects.at(n); };
    const float delays[] = {0.0f, 0.0f, 0.05f, 0.25f};

    for (int round = 0; round < 4000; ++round) {
        ProbeLog().clear();
        model.log.clear();
        const int op = objects.size() < 6 ? 0 : static_cast<int>(rng() % 20);
        std::string step;
        if (op < 4) {
            step = "make";
            const int n = nextObject++;
            const int parent = objects.empty() || rng() % 4 == 0 ? -1 : pick();
            const std::string name = "o" + std::to_string(n);
            GameObj* made = parent < 0 ? Root(name) : Make(name, obj(parent));
            AddProbe(made, name);
            objects[n] = made;
            model.Add(n, name, parent);
            ProbeLog().clear();
        } else if (op < 14) {
            step = "post";
            const int target = pick();
            const float delay = delays[rng() % 4];
            const std::string label = "m" + std::to_string(nextLabel++);
            FullWalkModel::Message m{0, label, FullWalkModel::eNote, target, -1, -1, 0.0f, frame};
            IMessage* message = nullptr;
            const int kind = static_cast<int>(rng() % 10);
            if (kind < 4) {
                message = new Note(label);
            } else if (kind < 9) {
                m.kind = FullWalkModel::eEvent;
                m.sender = maybe();
                m.origin = rng() % 2 ? m.sender : maybe();
                message = new LabeledEvent(label, obj(m.sender), obj(m.origin));
            } else {
                m.kind = FullWalkModel::eRemove;
                message = new LabeledRemove(label, obj(target));
            }
            obj(target)->PostMessage(message, delay);
            m.address = reinterpret_cast<uintptr_t>(message);
            m.time = message->GetDeliveryTime();
            model.pending.push_back(m);
        } else if (op < 17) {
            step = "delete";
            const int n = pick();
            GameObj* gone = obj(n);
            model.Delete(n);
            Forget(gone);
            delete gone;
        } else {
            step = "deliver";
            const float dt = rng() % 2 ? 0.1f : 0.0f;
            SetStandInFrameCount(++frame);
            m_pManager->Deliver(dt);
            model.Deliver(dt, frame);
        }
        for (auto it = objects.begin(); it != objects.end();) {
            if (model.objects.count(it->first)) {
                ++it;
                continue;
            }
            Forget(it->second); // a root removed by a message is no longer the fixture's
            it = objects.erase(it);
        }
        SCOPED_TRACE(::testing::Message() << step << " in round " << round);
        ASSERT_EQ(ProbeLog(), model.log);
        ASSERT_EQ(m_pManager->GetPendingCount(), model.pending.size());
        for (auto& [n, o] : objects)
            ASSERT_EQ(m_pManager->FindObject(o->GetId()), o);
    }
    // The roots still standing go with the fixture, their messages with them.
    for (GameObj* root : std::vector<GameObj*>(m_Roots)) {
        Forget(root);
        delete root;
    }
    EXPECT_EQ(m_pManager->GetPendingCount(), 0u);
}

namespace {

// Large enough that the allocator maps it apart from the heap, far from the small messages.
class BulkyNote : public IMessage {
public:
    BulkyNote() : IMessage(Note::s_Class) {}
    char m_Padding[256 * 1024] = {};
};

// Notes packed into one small block, in shuffled places: their addresses differ in few bits.
alignas(128) unsigned char g_Packed[1024][128];

class PackedNote : public Note {
public:
    using Note::Note;
    static void* operator new(size_t size, int place)
    {
        EXPECT_LE(size, sizeof(g_Packed[0]));
        return g_Packed[place];
    }
    static void operator delete(void*) {}
    static void operator delete(void*, int) {}
};

} // namespace

// Many messages at once, some held over from earlier frames, some removed with their objects,
// addresses near and far apart: every delivery goes out in ascending address order, and each
// message exactly once.
TEST_F(WorldTest, ManyMessagesGoOutInAddressOrder)
{
    struct Case {
        const char* what;
        int perFrame;
        int bulkyEvery; // 0: none
        bool packed;
    };
    const Case cases[] = {
        {"a few", 5, 0, false},
        {"thousands", 3000, 0, false},
        {"thousands, some far apart", 3000, 500, false},
        {"hundreds packed close", 250, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GameObj* keep = Root("keep");
        std::vector<GameObj*> doomed;
        for (int i = 0; i < 8; ++i)
            doomed.push_back(Make("doomed", keep));
        std::vector<const IMessage*> seen;
        AddProbe(keep, "keep")->m_OnMessage = [&](IMessage* m) { seen.push_back(m); };
        std::set<const IMessage*> expected;
        std::mt19937 rng(7);
        std::vector<int> places(std::size(g_Packed));
        std::iota(places.begin(), places.end(), 0);
        std::shuffle(places.begin(), places.end(), rng);
        for (uint32_t frame = 1; frame <= 4; ++frame) {
            SetStandInFrameCount(frame);
            seen.clear();
            m_pManager->Deliver(0.25f);
            ProbeLog().clear();
            ASSERT_TRUE(std::is_sorted(seen.begin(), seen.end(), std::less<const IMessage*>()));
            for (const IMessage* m : seen)
                EXPECT_EQ(expected.erase(m), 1u);
            for (int i = 0; i < c.perFrame; ++i) {
                IMessage* m = nullptr;
                if (c.packed)
                    m = new (places[(frame - 1) * c.perFrame + i]) PackedNote("n");
                else if (c.bulkyEvery && i % c.bulkyEvery == 0)
                    m = new BulkyNote;
                else
                    m = new Note("n");
                const float delay = (rng() % 3) * 0.25f;
                if (rng() % 4 == 0) {
                    doomed[rng() % doomed.size()]->PostMessage(m, delay);
                } else {
                    keep->PostMessage(m, delay);
                    expected.insert(m);
                }
            }
            if (frame == 2)
                for (GameObj* obj : doomed)
                    delete obj;
            if (frame == 2)
                doomed = {Make("doomed", keep)};
        }
        SetStandInFrameCount(10);
        seen.clear();
        m_pManager->Deliver(1.0f);
        EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end(), std::less<const IMessage*>()));
        for (const IMessage* m : seen)
            EXPECT_EQ(expected.erase(m), 1u);
        EXPECT_TRUE(expected.empty());
        EXPECT_EQ(m_pManager->GetPendingCount(), 0u);
        Forget(keep);
        delete keep;
    }
}

// Removing an object deletes the messages aimed at it wherever it stands with this manager:
// not registered here at all, or sharing its id with another object (ids are never reused by
// the game, but the map must not lose messages if they were). A message is handed to the object
// its target's id maps to when it is due, even if that changed since it was posted.
TEST_F(WorldTest, RemovalFindsMessagesOfObjectsOutsideTheMap)
{
    auto post = [&](GameObj* target, const std::string& label, float time = 100.0f) {
        Note* note = new Note(label);
        note->SetTarget(target);
        note->SetDeliveryTime(time);
        m_pManager->AddPending(note);
    };
    struct Case {
        const char* what;
        bool sharedId;
    };
    for (const Case& c : {Case{"target never registered", false}, Case{"two objects under one id", true}}) {
        SCOPED_TRACE(c.what);
        ProbeLog().clear();
        SetStandInFrameCount(1);
        GameObj* first = c.sharedId ? new GameObj("first", m_pManager) : new GameObj("first", nullptr);
        post(first, "to-first");
        GameObj* second = nullptr;
        if (c.sharedId) {
            post(first, "to-first-now", 0.0f);
            const int32_t next = g_nNextGameObjId;
            g_nNextGameObjId = first->GetId();
            second = new GameObj("second", m_pManager); // takes the id over in the map
            g_nNextGameObjId = next;
            EXPECT_EQ(m_pManager->FindObject(first->GetId()), second);
            second->Activate();
            AddProbe(second, "second");
            post(second, "to-second");
            ProbeLog().clear();
            SetStandInFrameCount(2);
            m_pManager->Deliver(0.0f);
            EXPECT_EQ(ProbeLog(), (Log{"second:OnMessage to-first-now", "~to-first-now"}));
            ProbeLog().clear();
        }
        m_pManager->UnregisterHandler(first);
        EXPECT_EQ(ProbeLog(), (Log{"~to-first"}));
        if (c.sharedId) {
            EXPECT_EQ(m_pManager->FindObject(first->GetId()), nullptr); // the id goes, whoever held it
            ProbeLog().clear();
            delete second;
            EXPECT_EQ(ProbeLog(), (Log{"second:OnDisable", "second:Detach", "second:delete", "~to-second"}));
        }
        EXPECT_EQ(m_pManager->GetPendingCount(), 0u);
        ProbeLog().clear();
        delete first; // nothing of it is left to delete
        EXPECT_EQ(ProbeLog(), Log{});
    }
}
