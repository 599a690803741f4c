// Queued messages between objects. A message is made by a component, posted to a target
// object with a delay, owned by the scene's MessageManager until it is due, and then either
// runs itself (Execute) or goes to the target's components through Component::OnMessage.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "System/Common/SlabAllocator.h"
#include "World/TypeKey.h"

class GameObj;

// From the object slabs: messages posted one after another sit together in memory, so the
// delivery's walk in address order reads them in order.
class IMessage : public ObjectSlabAllocated {
public:
    explicit IMessage(const ClassKey& classKey);
    IMessage(const IMessage&) = delete;
    IMessage& operator=(const IMessage&) = delete;
    virtual ~IMessage();
    virtual void SetTarget(GameObj* target);
    // A text for log lines; the class name unless the class says more.
    virtual std::string Describe() const;
    virtual void Execute();

    const std::string& GetClassName() const { return m_ClassName; }
    TypeKey GetTypeId() const { return m_nTypeId; }
    GameObj* GetTarget() const { return m_pTarget; }
    bool IsBroadcast() const { return m_bBroadcast != 0; }
    void SetBroadcast(bool broadcast) { m_bBroadcast = broadcast ? 1 : 0; }
    bool IsSelfExecuting() const { return m_bSelfExecuting != 0; }
    float GetDeliveryTime() const { return m_fDeliveryTime; }
    void SetDeliveryTime(float time) { m_fDeliveryTime = time; }
    // The application's frame counter when the message was made.
    uint32_t GetPostFrame() const { return m_nPostFrame; }

protected:
    void SetSelfExecuting(bool selfExecuting) { m_bSelfExecuting = selfExecuting ? 1 : 0; }

private:
    std::string m_ClassName;
    TypeKey m_nTypeId;
    GameObj* m_pTarget;
    uint8_t m_bBroadcast;
    uint8_t m_bSelfExecuting;
    float m_fDeliveryTime;
    uint32_t m_nPostFrame;
};

// Deletes its target with the whole subtree.
class MsgRemoveObject : public IMessage {
public:
    static const ClassKey s_Class;
    explicit MsgRemoveObject(GameObj* target);
    void Execute() override;
};

// Activates or deactivates its target, and as a broadcast every descendant in turn.
class MsgSetActivate : public IMessage {
public:
    static const ClassKey s_Class;
    explicit MsgSetActivate(GameObj* target);
    void Execute() override;

    bool m_bActive;
};

// Reaches every component of the target's subtree, whatever the flags and activity.
class MsgSetCamera : public IMessage {
public:
    static const ClassKey s_Class;
    MsgSetCamera(GameObj* target, int32_t camera);
    void Execute() override;

    int32_t m_nCamera;
};

enum MsgUIEventKind : int32_t {
    eUIEvent_None = 0,
    eUIEvent_Hover = 1,
    eUIEvent_Press = 2,  // parameter's low byte: down
    eUIEvent_Select = 3, // parameter's low byte: selected
    eUIEvent_Click = 4,
    eUIEvent_DoubleClick = 5,
    eUIEvent_Drag = 6,
    eUIEvent_Drop = 7,
    eUIEvent_Input = 8,
    eUIEvent_Tooltip = 9,
    eUIEvent_Scroll = 10,
    eUIEvent_Pad = 11, // parameter: the pad button bit
    eUIEvent_Open = 12,
    eUIEvent_Closing = 13,
    eUIEvent_Close = 14,
};

class MsgUIEvent : public IMessage {
public:
    static const ClassKey s_Class;
    // The sender and the origin are both the given object.
    explicit MsgUIEvent(GameObj* sender);
    // "<class>(<sender's object name>) <kind>[...]", cut to 255 characters.
    std::string Describe() const override;
    // Takes the kind, text, parameters and origin of another event; the sender stays.
    void CopyPayload(const MsgUIEvent& from);

    GameObj* m_pSender;
    GameObj* m_pOrigin;
    MsgUIEventKind m_eKind;
    std::string m_Text;
    int32_t m_nParam;
    int32_t m_nParam2;
};

class MsgUIResult : public IMessage {
public:
    static const ClassKey s_Class;
    explicit MsgUIResult(GameObj* sender);

    GameObj* m_pSender;
    GameObj* m_pOrigin;
    // The name id of the result's name, then its arguments.
    std::vector<int32_t> m_Values;
    std::vector<int32_t> m_Values2;
};

// A message type that has no class of its own; frames compare incoming messages against it.
extern const ClassKey g_MsgUISetSelectClass;
