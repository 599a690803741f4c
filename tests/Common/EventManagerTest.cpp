#include "System/Common/EventManager.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

int g_nDeleted = 0;

class CountedEvent : public EvtWinMsgActivate {
  public:
    using EvtWinMsgActivate::EvtWinMsgActivate;
    ~CountedEvent() override { ++g_nDeleted; }
};

// Answers as told and records who saw what.
class Handler : public IEventHandler {
  public:
    Handler(std::string name, std::vector<std::string>& log, bool answer, int32_t result = -1)
        : m_Name(std::move(name)), m_Log(log), m_bAnswer(answer), m_nResult(result)
    {
    }
    bool HandleEvent(IEvent* event) override
    {
        m_Log.push_back(m_Name + ":" + std::to_string(event->m_nSenderId) + "," + std::to_string(event->m_nResult));
        if (m_nResult != -1)
            event->m_nResult = m_nResult;
        return m_bAnswer;
    }

  private:
    std::string m_Name;
    std::vector<std::string>& m_Log;
    bool m_bAnswer;
    int32_t m_nResult;
};

} // namespace

TEST(EventManager, OfferOrderAndStopping)
{
    struct Spec {
        bool answer;
        int32_t result;
    };
    struct Case {
        const char* what;
        std::vector<Spec> handlers;
        std::vector<std::string> seen;
        bool returned;
    } cases[] = {
        {"no handler", {}, {}, false},
        {"three devices answering false",
         {{false, -1}, {false, -1}, {false, -1}},
         {"h0:-1,-1", "h1:-1,-1", "h2:-1,-1"},
         false},
        {"true without a result goes on", {{true, -1}, {false, -1}}, {"h0:-1,-1", "h1:-1,-1"}, false},
        {"true with a result stops", {{false, -1}, {true, 1}, {false, -1}}, {"h0:-1,-1", "h1:-1,-1"}, true},
        {"a result without true goes on", {{false, 5}, {false, -1}}, {"h0:-1,-1", "h1:-1,5"}, false},
        {"the last answer is returned", {{false, -1}, {true, -1}}, {"h0:-1,-1", "h1:-1,-1"}, true},
    };
    for (const Case& c : cases) {
        std::vector<std::string> log;
        std::vector<std::unique_ptr<Handler>> handlers;
        EventManager manager;
        for (size_t i = 0; i < c.handlers.size(); ++i) {
            std::string name = "h";
            name += std::to_string(i);
            handlers.push_back(std::make_unique<Handler>(name, log, c.handlers[i].answer, c.handlers[i].result));
            manager.Register(handlers.back().get());
        }
        g_nDeleted = 0;
        auto* event = new CountedEvent(nullptr, 1, 0);
        event->m_nSenderId = 7; // the manager sets both words to -1 first
        event->m_nResult = 7;
        EXPECT_EQ(manager.Post(event), c.returned) << c.what;
        EXPECT_EQ(log, c.seen) << c.what;
        EXPECT_EQ(g_nDeleted, 1) << c.what;
    }
}

TEST(EventManager, RegistrationAndNullEvent)
{
    std::vector<std::string> log;
    Handler a("a", log, false), b("b", log, false);
    EventManager manager;
    manager.Register(&a);
    manager.Register(&b);
    manager.Register(&a); // already there
    manager.Register(nullptr);
    EXPECT_EQ(manager.GetHandlers(), (std::vector<IEventHandler*>{&a, &b}));
    manager.Unregister(&a);
    manager.Unregister(&a);
    EXPECT_EQ(manager.GetHandlers(), (std::vector<IEventHandler*>{&b}));
    EXPECT_FALSE(manager.Post(nullptr));
    EXPECT_TRUE(log.empty());
}

TEST(EventManager, ActivateEventType)
{
    EvtWinMsgActivate event(reinterpret_cast<HWND>(uintptr_t{0x10}), 2, -3);
    EXPECT_STREQ(event.GetTypeName(), "EvtWinMsgActivate");
    EXPECT_EQ(event.GetTypeId(), HashName("EvtWinMsgActivate"));
    EXPECT_EQ(event.m_fTimeStamp, 0.0f);
    EXPECT_EQ(event.m_nResult, -1);
    EXPECT_EQ(event.m_wParam, 2u);
    EXPECT_EQ(event.m_lParam, -3);
}

TEST(EventManager, HandlerRemovedDuringAnOfferIsNotOfferedTheRest)
{
    // A handler may take another down while it handles the event (a game state leaving, an
    // input device shut down): the one taken down must not be called afterwards.
    std::vector<std::string> log;
    EventManager manager;
    auto* doomed = new Handler("b", log, false);
    class Remover : public IEventHandler {
      public:
        Remover(EventManager& m, IEventHandler*& victim, std::vector<std::string>& l)
            : manager(m), target(victim), log(l)
        {
        }
        bool HandleEvent(IEvent*) override
        {
            log.push_back("a");
            manager.Unregister(target);
            delete target;
            target = nullptr;
            return false;
        }
        EventManager& manager;
        IEventHandler*& target;
        std::vector<std::string>& log;
    };
    IEventHandler* victim = doomed;
    Remover remover(manager, victim, log);
    Handler last("c", log, false);
    manager.Register(&remover);
    manager.Register(doomed);
    manager.Register(&last);
    manager.Post(new EvtWinMsgActivate(nullptr, WA_ACTIVE, 0));
    EXPECT_EQ(log, (std::vector<std::string>{"a", "c:-1,-1"}));
    EXPECT_EQ(manager.GetHandlers(), (std::vector<IEventHandler*>{&remover, &last}));
}
