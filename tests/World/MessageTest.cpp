#include <cstdio>
#include <new>

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
