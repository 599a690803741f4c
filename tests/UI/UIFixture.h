// Shared pieces of the UI tests: a scene over Lua text with the fixed frame step, a test
// keyboard as input device 0 and pad 0 on the default bindings (so key edges, pad repeat and
// the confirm key run the game's own code), and widgets that record every event routed to them.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "Components/UI/UIRoot.h"
#include "Components/UI/UITweener.h"
#include "Components/UI/UIWidget.h"
#include "System/Common/GameSettings.h"
#include "System/Input/InputDevice.h"
#include "System/Input/InputSystem.h"
#include "World/PlayStatistics.h"
#include "World/SceneFixture.h"

// DIK codes of the default keyboard bindings.
constexpr int kKeyReturn = 0x1C;
constexpr int kKeyDown = 0xD0;
constexpr int kKeyPadA = 0x27; // the default keyboard key of pad A
constexpr int kKeyPadB = 0x26;

// A keyboard whose held keys the test sets; each poll moves them into the current state.
class TestKeyboard : public InputDevice {
public:
    bool IsDown(int code) const override { return m_Now.count(code) != 0; }
    bool IsPressed(int code) const override { return m_Now.count(code) && !m_Before.count(code); }
    bool IsReleased(int code) const override { return !m_Now.count(code) && m_Before.count(code); }
    void Poll() override
    {
        m_Before = m_Now;
        m_Now = m_Held;
    }
    void ClearKey(int code) override
    {
        if (code < 0)
            m_Held.clear(), m_Now.clear(), m_Before.clear();
        else
            m_Held.erase(code), m_Now.erase(code), m_Before.erase(code);
    }
    void Hold(int code) { m_Held.insert(code); }
    void Release(int code) { m_Held.erase(code); }

private:
    std::set<int> m_Held, m_Now, m_Before;
};

// Device 0 is the test keyboard; pad 0 is bound from the default settings.
class TestInputSystem : public InputSystem {
public:
    TestInputSystem()
    {
        CreatePads(1);
        GameSettings settings;
        for (int i = 0; i < eGameSettings_BindingCount; ++i)
            settings.m_aBindings[i] = GetBindingDefault(i);
        m_Pads[0]->BindFromSettings(settings);
    }
    ~TestInputSystem() override { FreePads(); }
    bool Init(HWND, int, EventManager*) override { return true; }
    void Shutdown() override {}
    void Update() override
    {
        m_Keyboard.Poll();
        UpdatePads();
    }
    InputDevice* GetDevice(int index) override { return index == 0 ? &m_Keyboard : &m_Nothing; }

    TestKeyboard m_Keyboard;
    InputDevice m_Nothing;
};

// Every routed event: the delivery frame, the recording object's name, the operation with its
// argument, and the sender's object name.
struct UIRecord {
    uint32_t frame;
    std::string who;
    std::string what;
    std::string sender;
};

inline std::vector<UIRecord>& UIRecords()
{
    static std::vector<UIRecord> records;
    return records;
}

// "who:what" of every record, optionally of one frame only.
inline std::vector<std::string> UIEvents(uint32_t frame = 0)
{
    std::vector<std::string> out;
    for (const UIRecord& r : UIRecords())
        if (!frame || r.frame == frame)
            out.push_back(r.who + ":" + r.what);
    return out;
}

inline std::string ObjectLabel(const GameObj* object) { return object ? object->GetObjectName() : "none"; }

// Records each routed operation, then lets the base do its part.
template <class Base>
class Recording : public Base {
public:
    template <class... Args>
    explicit Recording(Args&&... args) : Base(std::forward<Args>(args)...)
    {
    }

    void OnMessage(IMessage* message) override
    {
        m_Sender = message->GetTypeId() == MsgUIEvent::s_Class.Key
                       ? ObjectLabel(static_cast<MsgUIEvent*>(message)->m_pSender)
                       : std::string();
        if (message->GetTypeId() == MsgUIResult::s_Class.Key)
            Record("Result(" + std::to_string(static_cast<MsgUIResult*>(message)->m_Values.size()) + ")");
        Base::OnMessage(message);
    }
    void OnHover(bool b) override { Record("Hover(" + std::to_string(b) + ")"), Base::OnHover(b); }
    void OnPress(bool b) override { Record("Press(" + std::to_string(b) + ")"), Base::OnPress(b); }
    void OnSelect(bool b) override { Record("Select(" + std::to_string(b) + ")"), Base::OnSelect(b); }
    void OnClick() override { Record("Click"), Base::OnClick(); }
    void OnDoubleClick() override { Record("DoubleClick"), Base::OnDoubleClick(); }
    void OnDrag(int32_t x, int32_t y) override
    {
        Record("Drag(" + std::to_string(x) + "," + std::to_string(y) + ")"), Base::OnDrag(x, y);
    }
    void OnDrop(GameObj* o) override { Record("Drop(" + ObjectLabel(o) + ")"), Base::OnDrop(o); }
    void OnInput(std::string text) override { Record("Input(" + text + ")"), Base::OnInput(text); }
    void OnTooltip(bool b) override { Record("Tooltip(" + std::to_string(b) + ")"), Base::OnTooltip(b); }
    void OnScroll(int32_t x, int32_t y) override
    {
        Record("Scroll(" + std::to_string(x) + "," + std::to_string(y) + ")"), Base::OnScroll(x, y);
    }
    void OnPad(uint32_t m) override { Record("Pad(" + std::to_string(m) + ")"), Base::OnPad(m); }
    void OnClosing(GameObj* o) override { Record("Closing(" + ObjectLabel(o) + ")"), Base::OnClosing(o); }

    void Record(const std::string& what)
    {
        UIRecords().push_back({GetAppFrameCount(), this->GetOwner()->GetObjectName(), what, m_Sender});
    }

    std::string m_Sender;
};

// A plain widget: the base's routing with every operation recorded.
class TestWidget : public Recording<UIWidget> {
public:
    static inline const ClassKey s_Class{"TestWidget"};
    explicit TestWidget(GameObj* owner) : Recording<UIWidget>(owner, s_Class) {}
    bool IsKindOf(TypeKey key) const override { return key == s_Class.Key || key == UIWidget::s_Class.Key; }
};

// A frame whose operations are recorded; the frame's own behaviour runs after each record.
class TestFrame : public Recording<UIFrame> {
public:
    static inline const ClassKey s_Class{"TestFrame"};
    explicit TestFrame(GameObj* owner) : Recording<UIFrame>(owner, s_Class) {}
    bool IsKindOf(TypeKey key) const override { return key == s_Class.Key || UIFrame::IsKindOf(key); }
};

// Everything a listener receives, as a recorded line.
class TestListener : public Component {
public:
    static inline const ClassKey s_Class{"TestListener"};
    explicit TestListener(GameObj* owner) : Component(owner, s_Class) {}
    bool IsKindOf(TypeKey key) const override { return key == s_Class.Key; }
    void OnMessage(IMessage* message) override
    {
        std::string what;
        if (message->GetTypeId() == MsgUIEvent::s_Class.Key) {
            auto* e = static_cast<MsgUIEvent*>(message);
            what = "Event(" + std::to_string(e->m_eKind) + "," + std::to_string(e->m_nParam) + "," +
                   ObjectLabel(e->m_pOrigin) + ")";
            UIRecords().push_back({GetAppFrameCount(), GetOwner()->GetObjectName(), what, ObjectLabel(e->m_pSender)});
        } else if (message->GetTypeId() == MsgUIResult::s_Class.Key) {
            auto* r = static_cast<MsgUIResult*>(message);
            what = "Result(" + std::to_string(r->m_Values.size()) + "," + ObjectLabel(r->m_pOrigin) + ")";
            UIRecords().push_back({GetAppFrameCount(), GetOwner()->GetObjectName(), what, ObjectLabel(r->m_pSender)});
        }
    }
};

// A scene of Lua prototypes with the UI test classes, the test input as the game's input and
// the play statistics cleared. Tick polls the input, then runs one frame of the scene.
class UIWorld {
public:
    explicit UIWorld(const std::map<std::string, std::string>& files, const std::string& stage = "")
        : m_World(files)
    {
        UIRecords().clear();
        g_PlayStatistics.Reset();
        g_pInputSystem = &m_Input;
        g_pComponentFactory->RegisterClass<TestWidget>();
        g_pComponentFactory->RegisterClass<TestFrame>();
        g_pComponentFactory->RegisterClass<TestListener>();
        if (!stage.empty()) {
            m_World.Scene()->RequestStage(stage);
            Tick();
        }
    }
    ~UIWorld()
    {
        g_pInputSystem = nullptr;
        g_PlayStatistics.Reset();
    }
    UIWorld(const UIWorld&) = delete;
    UIWorld& operator=(const UIWorld&) = delete;

    void Tick(float dt = 1.0f / 60.0f)
    {
        m_Input.Update();
        m_World.Tick(dt);
    }
    void Ticks(int n)
    {
        for (int i = 0; i < n; ++i)
            Tick();
    }
    uint32_t Frame() const { return m_World.Frame(); }
    SceneManager* Scene() const { return m_World.Scene(); }
    GameObj* Find(const std::string& name) const { return m_World.Scene()->FindObjectByName(name); }
    template <class T>
    T* Get(const std::string& name) const
    {
        GameObj* o = Find(name);
        return o ? static_cast<T*>(o->GetComponent(T::s_Class.Key)) : nullptr;
    }
    UIRoot* Root(const std::string& name) const { return Get<UIRoot>(name); }
    TestKeyboard& Keyboard() { return m_Input.m_Keyboard; }
    // Posts an event from the sender to the target as the UI posts them.
    void Post(GameObj* sender, GameObj* target, MsgUIEventKind kind, int32_t param = 0)
    {
        PostUIEvent(sender, target, kind, param);
    }

private:
    TestWorld m_World;
    TestInputSystem m_Input;
};
