// Shared pieces of the object-model tests: a probe component that records what happens to it,
// a factory and message manager set up for one test, and a Lua state to load tables from.
#pragma once

#include <gtest/gtest.h>
#include <lua.hpp>

#include <functional>
#include <string>
#include <vector>

#include "System/Common/FrameCounter.h"
#include "World/Component.h"
#include "World/ComponentFactory.h"
#include "World/GameObj.h"
#include "World/IMessage.h"
#include "World/MessageManager.h"
#include "World/Transform.h"

// Every event of every probe, as "<probe name>:<event>".
inline std::vector<std::string>& ProbeLog()
{
    static std::vector<std::string> log;
    return log;
}

// Answers to "Probe" and to the base key "ProbeBase"; its Lua table may ask Load or Attach to
// fail ("fail_load", "fail_attach") and may give it a name ("name").
class Probe : public Component {
public:
    static const ClassKey s_Class;
    static const ClassKey s_BaseClass;

    explicit Probe(GameObj* owner) : Component(owner, s_Class) {}
    ~Probe() override { Record("delete"); }

    bool Load(lua_State* L) override
    {
        lua_getfield(L, -1, "name");
        if (lua_isstring(L, -1))
            m_Name = lua_tostring(L, -1);
        lua_pop(L, 1);
        lua_getfield(L, -1, "fail_load");
        bool failLoad = lua_toboolean(L, -1);
        lua_pop(L, 1);
        lua_getfield(L, -1, "fail_attach");
        m_bFailAttach = lua_toboolean(L, -1);
        lua_pop(L, 1);
        Record("Load");
        return !failLoad;
    }
    bool Attach() override
    {
        Record("Attach");
        return !m_bFailAttach;
    }
    void Detach() override { Record("Detach"); }
    bool IsKindOf(TypeKey key) const override { return key == s_Class.Key || key == s_BaseClass.Key; }
    void Start() override { Record("Start"); }
    void OnEnable() override { Record("OnEnable"); }
    void OnDisable() override
    {
        Record("OnDisable");
        if (m_OnDisable)
            m_OnDisable();
    }
    void OnMessage(IMessage* message) override
    {
        Record("OnMessage " + message->Describe());
        if (m_OnMessage)
            m_OnMessage(message);
    }

    void Record(const std::string& what) const { ProbeLog().push_back(m_Name + ":" + what); }

    std::string m_Name = "?";
    bool m_bFailAttach = false;
    std::function<void(IMessage*)> m_OnMessage;
    std::function<void()> m_OnDisable;
};

inline const ClassKey Probe::s_Class("Probe");
inline const ClassKey Probe::s_BaseClass("ProbeBase");

class WorldTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ProbeLog().clear();
        SetStandInFrameCount(1);
        m_pFactory = new ComponentFactory;
        m_pFactory->RegisterAll();
        m_pFactory->RegisterClass<Probe>();
        g_pComponentFactory = m_pFactory;
        m_L = luaL_newstate();
    }
    void TearDown() override
    {
        for (GameObj* root : m_Roots)
            delete root;
        delete m_pManager;
        g_pComponentFactory = nullptr;
        delete m_pFactory;
        lua_close(m_L);
        SetStandInFrameCount(0);
    }

    // A root object that the fixture deletes at the end (children go with their root).
    GameObj* Root(const std::string& name, bool active = true)
    {
        GameObj* obj = Make(name, nullptr, active);
        m_Roots.push_back(obj);
        return obj;
    }
    GameObj* Make(const std::string& name, GameObj* parent, bool active = true)
    {
        GameObj* obj = new GameObj(name, m_pManager);
        obj->SetObjectName(name);
        if (parent)
            obj->SetParent(parent);
        if (active)
            obj->Activate();
        return obj;
    }
    // Runs "return <table>" and leaves the table on top of the stack.
    void PushTable(const std::string& table)
    {
        lua_settop(m_L, 0);
        ASSERT_EQ(luaL_dostring(m_L, ("return " + table).c_str()), 0) << lua_tostring(m_L, -1);
    }
    // A started, enabled probe with the given name on the object.
    Probe* AddProbe(GameObj* obj, const std::string& name)
    {
        auto* probe = static_cast<Probe*>(obj->AddComponent("Probe", nullptr));
        probe->m_Name = name;
        probe->SetFlags(eComponentFlag_Started);
        return probe;
    }
    void Forget(GameObj* root) { std::erase(m_Roots, root); }

    ComponentFactory* m_pFactory = nullptr;
    MessageManager* m_pManager = new MessageManager;
    lua_State* m_L = nullptr;
    std::vector<GameObj*> m_Roots;
};
