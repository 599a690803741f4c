// Shared pieces of the collision tests: a world made for each test, bodies built from Lua
// tables the way prototypes build them, a component that records the contact reports its
// object receives, and one frame of the scene's physics, motion, collision and update passes.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "Components/Core/Collider.h"
#include "Components/Core/CollisionWorld.h"
#include "Components/Core/Kinematics.h"
#include "World/WorldFixture.h"

// Every contact report of every recorder, as "<object>:<Enter|Stay|Exit> <other object>".
inline std::vector<std::string>& ContactLog()
{
    static std::vector<std::string> log;
    return log;
}

class ContactRecorder : public Component {
public:
    static const ClassKey s_Class;

    explicit ContactRecorder(GameObj* owner) : Component(owner, s_Class) {}
    bool IsKindOf(TypeKey key) const override { return key == s_Class.Key; }
    void OnCollisionEnter(const CollisionInfo& info) override { Record("Enter", info); }
    void OnCollisionStay(const CollisionInfo& info) override { Record("Stay", info); }
    void OnCollisionExit(const CollisionInfo& info) override { Record("Exit", info); }

    void Record(const char* what, const CollisionInfo& info)
    {
        m_Last = info;
        ContactLog().push_back(GetOwner()->GetObjectName() + ":" + what + " " + info.other->GetObjectName());
        if (m_OnReport)
            m_OnReport(what, info);
    }

    CollisionInfo m_Last = {};
    std::function<void(const char*, const CollisionInfo&)> m_OnReport;
};

inline const ClassKey ContactRecorder::s_Class("ContactRecorder");

class CollisionTest : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        ContactLog().clear();
        m_pFactory->RegisterClass<ContactRecorder>();
        m_pWorld = CollisionWorld::Create();
        SetAppDeltaTime(1.0f / 60.0f);
    }
    void TearDown() override
    {
        WorldTest::TearDown();
        CollisionWorld::Destroy();
        SetAppDeltaTime(0.0f);
    }

    // The tree and bounds of a row of areas, as a stage generator leaves them.
    void SizeStage(int areas)
    {
        const float w = 1024.0f * static_cast<float>(areas);
        m_pWorld->SetupTree(6, 0.0f, 0.0f, w, w);
        m_pWorld->SetStageBounds({0.0f, 0.0f, w, 2000.0f});
    }

    // An active object on the layer at (x, y) with a Transform and the named components, each
    // loaded from its Lua table ("" for none: then it is not added), started in that order.
    GameObj* Body(const std::string& name, float x, float y, uint32_t layer, const std::string& colliderClass,
        const std::string& colliderTable, const std::string& kinematicsTable = "", GameObj* parent = nullptr,
        bool record = true)
    {
        GameObj* obj = parent ? Make(name, parent) : Root(name);
        obj->SetLayer(layer);
        Transform* t = static_cast<Transform*>(obj->AddComponent("Transform", nullptr));
        t->SetLocalPosition(x, y, 0.0f);
        t->UpdateWorldMatrices();
        if (!kinematicsTable.empty())
            Add(obj, "Kinematics", kinematicsTable);
        if (!colliderClass.empty())
            Add(obj, colliderClass.c_str(), colliderTable);
        if (record)
            obj->AddComponent("ContactRecorder", nullptr);
        for (Component* c : obj->GetComponents()) {
            c->OnEnable();
            c->Start();
            c->SetFlags(eComponentFlag_Started);
        }
        return obj;
    }
    Component* Add(GameObj* obj, const char* className, const std::string& table)
    {
        PushTable(table);
        Component* c = obj->AddComponent(className, m_L);
        lua_settop(m_L, 0);
        EXPECT_NE(c, nullptr) << className;
        return c;
    }
    static void MoveTo(GameObj* obj, float x, float y)
    {
        obj->GetTransform()->SetLocalPosition(x, y, 0.0f);
        obj->GetTransform()->UpdateWorldMatrices();
    }

    // One frame: physics, motion, collision and update passes over the bodies in creation order.
    void Frame(const std::vector<GameObj*>& bodies)
    {
        for (GameObj* obj : bodies)
            if (Kinematics* k = obj->GetKinematics(); k && k->IsLive() && obj->IsActive())
                k->PhysicsUpdate();
        for (GameObj* obj : bodies)
            if (Kinematics* k = obj->GetKinematics(); k && k->IsLive() && obj->IsActive())
                k->TruncateVelocity();
        m_pWorld->Step();
        for (GameObj* obj : bodies)
            if (Kinematics* k = obj->GetKinematics(); k && k->IsLive() && obj->IsActive())
                k->Update();
    }

    // The log since the last call, joined with ", ".
    static std::string TakeLog()
    {
        std::ostringstream out;
        for (size_t i = 0; i < ContactLog().size(); ++i)
            out << (i ? ", " : "") << ContactLog()[i];
        ContactLog().clear();
        return out.str();
    }

    CollisionWorld* m_pWorld = nullptr;
};
