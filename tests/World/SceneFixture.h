// Shared pieces of the scene and world-state tests: recording components whose class names the
// prototypes use, and a world on disk (Lua files under a temporary game folder, mounted as the
// game mounts them) with a script host and a scene manager built over it.
#pragma once

#include <gtest/gtest.h>
#include <lua.hpp>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "Components/Core/Renderer.h"
#include "Support/TempDir.h"
#include "System/Archive/ArchiveSystem.h"
#include "System/Archive/FileSystemArchive.h"
#include "System/Common/FrameCounter.h"
#include "System/Lua/LuaTableReader.h"
#include "System/Lua/ScriptSystem.h"
#include "World/Component.h"
#include "World/ComponentFactory.h"
#include "World/GameObj.h"
#include "World/IMessage.h"
#include "World/MessageManager.h"
#include "World/SceneManager.h"
#include "World/Transform.h"

// Files by path, with their contents.
using Files = std::map<std::string, std::string>;

// Every event of every recorder, as "<name>:<event>"; the name is the Lua "name" of the
// component, else its object's name.
inline std::vector<std::string>& Events()
{
    static std::vector<std::string> events;
    return events;
}

// A message with nothing but its class name.
class Note : public IMessage {
public:
    static inline const ClassKey s_Class{"Note"};
    Note() : IMessage(s_Class) {}
};

class Rec;
// Runs after each recorded event; tests act from inside the passes through it.
inline std::function<void(Rec*, const std::string&)>& RecHook()
{
    static std::function<void(Rec*, const std::string&)> hook;
    return hook;
}

class Rec : public Component {
public:
    Rec(GameObj* owner, const ClassKey& key) : Component(owner, key) {}
    ~Rec() override { Record("delete"); }

    bool Load(lua_State* L) override
    {
        m_LuaName = LuaGetStringField(L, "name");
        Record("Load");
        return true;
    }
    bool Attach() override
    {
        Record("Attach");
        return true;
    }
    void Detach() override { Record("Detach"); }
    void Start() override { Record("Start"); }
    void PhysicsUpdate() override { Record("PhysicsUpdate"); }
    void Update() override { Record("Update"); }
    void LateUpdate() override { Record("LateUpdate"); }
    void OnEnable() override { Record("OnEnable"); }
    void OnDisable() override { Record("OnDisable"); }
    void OnBecameVisible() override { Record("Visible"); }
    void OnBecameInvisible() override { Record("Invisible"); }
    void OnMessage(IMessage* message) override { Record("OnMessage " + message->Describe()); }

    std::string Name() const { return m_LuaName.empty() ? GetOwner()->GetObjectName() : m_LuaName; }
    void Record(const std::string& event)
    {
        Events().push_back(Name() + ":" + event);
        if (RecHook())
            RecHook()(this, event);
    }

    std::string m_LuaName;
};

#define QM_TEST_RECORDER(ClassName)                                                                                    \
    class ClassName : public Rec {                                                                                     \
    public:                                                                                                            \
        static inline const ClassKey s_Class{#ClassName};                                                              \
        explicit ClassName(GameObj* owner) : Rec(owner, s_Class) {}                                                    \
        bool IsKindOf(TypeKey key) const override { return key == s_Class.Key; }                                       \
    };
QM_TEST_RECORDER(RecA)
QM_TEST_RECORDER(RecB)
QM_TEST_RECORDER(RecC)
#undef QM_TEST_RECORDER

// A renderer that records its passes; Lua "culled" decides its cull answer.
class TestRenderer : public Renderer {
public:
    static inline const ClassKey s_Class{"TestRenderer"};
    static inline const ClassKey s_OtherClass{"OtherTestRenderer"};
    explicit TestRenderer(GameObj* owner, const ClassKey& key = s_Class) : Renderer(owner, key) {}

    bool Load(lua_State* L) override
    {
        LoadColor(L);
        m_Name = LuaGetStringField(L, "name");
        m_bCulled = LuaGetBoolField(L, "culled");
        return true;
    }
    bool IsKindOf(TypeKey key) const override { return key == GetTypeKey() || key == Renderer::s_Class.Key; }
    void PreRender() override { Record("PreRender"); }
    bool IsCulled() override { return m_bCulled; }
    void Draw() override { Record("Draw"); }
    void OnBecameVisible() override
    {
        Record("Visible");
        Renderer::OnBecameVisible();
    }
    void OnBecameInvisible() override
    {
        Record("Invisible");
        Renderer::OnBecameInvisible();
    }
    void Record(const std::string& event) { Events().push_back(m_Name + ":" + event); }

    std::string m_Name;
    bool m_bCulled = false;
};

class OtherTestRenderer : public TestRenderer {
public:
    explicit OtherTestRenderer(GameObj* owner) : TestRenderer(owner, s_OtherClass) {}
};

// Takes part in the late pass only, recording it under its object's name.
class LateRec : public Component {
public:
    static inline const ClassKey s_Class{"LateRec"};
    explicit LateRec(GameObj* owner, const ClassKey& key = s_Class) : Component(owner, key) {}
    bool IsKindOf(TypeKey key) const override { return key == GetTypeKey(); }
    void LateUpdate() override { Events().push_back(GetOwner()->GetObjectName() + ":LateUpdate"); }
};

// Declares no pass of its own: it inherits LateRec's.
class LateRecChild : public LateRec {
public:
    static inline const ClassKey s_Class{"LateRecChild"};
    explicit LateRecChild(GameObj* owner) : LateRec(owner, s_Class) {}
};

// The recorder classes join after the game's own, in an order that is neither the names' nor
// any table's: C, A, B.
inline ComponentFactory* MakeTestFactory()
{
    auto* factory = new ComponentFactory;
    factory->RegisterAll();
    factory->RegisterClass<RecC>();
    factory->RegisterClass<RecA>();
    factory->RegisterClass<RecB>();
    factory->RegisterClass<TestRenderer>();
    factory->RegisterClass(TestRenderer::s_OtherClass.Key,
                           [](GameObj* owner) -> Component* { return new OtherTestRenderer(owner); });
    factory->RegisterClass<LateRec>();
    factory->RegisterClass<LateRecChild>();
    return factory;
}

// Files under <temp>/assets.v1/scripts/ (keys are paths below it, ".lua" added), mounted as the
// game mounts them, with a script host.
class ScriptFolder {
public:
    // Other files (paths below the game folder) go in as they are.
    explicit ScriptFolder(const std::map<std::string, std::string>& files,
                          const std::map<std::string, std::string>& others = {})
    {
        for (const auto& [path, text] : files)
            m_Dir.WriteFile("assets.v1/scripts/" + path + ".lua", text);
        for (const auto& [path, bytes] : others)
            m_Dir.WriteFile(path, bytes);
        delete g_pArchiveSystem;
        ArchiveSystem::GetInstance()->SetRoot(m_Dir.Path() + "/");
        g_pArchiveSystem->Mount(new FileSystemArchive("assets.v1/scripts"));
    }
    ~ScriptFolder() { delete g_pArchiveSystem; }
    ScriptFolder(const ScriptFolder&) = delete;
    ScriptFolder& operator=(const ScriptFolder&) = delete;

private:
    TempDir m_Dir;
};

// A scene over a script folder: prototypes from "stage/" and "game_objects/", the test factory,
// the stand-in frame counter stepped by Tick.
class TestWorld {
public:
    explicit TestWorld(const std::map<std::string, std::string>& files,
                       const std::map<std::string, std::string>& others = {})
        : m_Folder(files, others)
    {
        Events().clear();
        RecHook() = nullptr;
        SetStandInFrameCount(0);
        SetAppDeltaTime(0.0f);
        g_pScriptSystem = new ScriptSystem;
        g_pComponentFactory = MakeTestFactory();
        m_pScene = new SceneManager;
        g_pSceneManager = m_pScene;
        m_pScene->Init();
        m_pScene->LoadPrototypes("assets.v1/scripts/stage/");
        m_pScene->LoadPrototypes("assets.v1/scripts/game_objects/");
    }
    ~TestWorld()
    {
        RecHook() = nullptr;
        delete m_pScene; // clears g_pSceneManager and deletes the factory
        delete g_pScriptSystem;
        SetStandInFrameCount(0);
        SetAppDeltaTime(0.0f);
    }
    TestWorld(const TestWorld&) = delete;
    TestWorld& operator=(const TestWorld&) = delete;

    // One frame as the application runs it: the counter steps, the time step is set, the scene
    // updates. The events of the frame follow a "frame <n>" line.
    void Tick(float dt = 1.0f / 60.0f)
    {
        SetStandInFrameCount(++m_nFrame);
        SetAppDeltaTime(dt);
        Events().push_back(std::string("frame ").append(std::to_string(m_nFrame)));
        m_pScene->Update();
    }
    uint32_t Frame() const { return m_nFrame; }
    SceneManager* Scene() const { return m_pScene; }

private:
    ScriptFolder m_Folder;
    SceneManager* m_pScene = nullptr;
    uint32_t m_nFrame = 0;
};

// The events recorded since the last "frame <n>" line of the given frame, up to the next one.
inline std::vector<std::string> EventsOfFrame(uint32_t frame)
{
    std::vector<std::string> out;
    bool in = false;
    for (const std::string& e : Events()) {
        if (e.rfind("frame ", 0) == 0) {
            in = e == std::string("frame ").append(std::to_string(frame));
            continue;
        }
        if (in)
            out.push_back(e);
    }
    return out;
}

// The events containing the text, in order.
inline std::vector<std::string> EventsWith(const std::vector<std::string>& events, const std::string& text)
{
    std::vector<std::string> out;
    for (const std::string& e : events)
        if (e.find(text) != std::string::npos)
            out.push_back(e);
    return out;
}
