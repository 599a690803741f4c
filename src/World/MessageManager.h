// Holds the posted messages of a scene until they are due and delivers them once per frame,
// and maps object ids to the live objects of the scene.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <unordered_map>
#include <vector>

class GameObj;
class IMessage;

class MessageManager {
public:
    MessageManager();
    MessageManager(const MessageManager&) = delete;
    MessageManager& operator=(const MessageManager&) = delete;
    // Deletes the pending messages and forgets the objects.
    virtual ~MessageManager();

    void RegisterHandler(GameObj* object);
    // Deletes every pending message aimed at the object, then forgets its id. UI messages that
    // name the object as their sender or origin, pending or being handed out, get null there.
    void UnregisterHandler(GameObj* object);
    // Takes ownership of a message whose target and delivery time are set.
    void AddPending(IMessage* message);
    // Advances the clock by dt and delivers, in ascending address order, every message whose
    // time has come and that was made before the current frame.
    void Deliver(float dt);
    // Runs or hands over one message and deletes it; false when its target is gone.
    bool Dispatch(IMessage* message);
    void Clear();

    // The live object with the id, or null.
    GameObj* FindObject(int32_t id) const;
    float GetClock() const { return m_fClock; }
    size_t GetPendingCount() const { return m_Pending.size(); }
    bool IsPending(const IMessage* message) const { return m_Pending.count(message) != 0; }

private:
    // Ordered by address as unsigned values; a position can be looked up again by the address
    // of a message already deleted.
    struct AddressOrder {
        using is_transparent = void;
        static uintptr_t Value(const IMessage* m) { return reinterpret_cast<uintptr_t>(m); }
        static uintptr_t Value(uintptr_t a) { return a; }
        template <class A, class B>
        bool operator()(const A& a, const B& b) const
        {
            return Value(a) < Value(b);
        }
    };

    std::unordered_map<int32_t, GameObj*> m_Handlers;
    std::multiset<IMessage*, AddressOrder> m_Pending;
    float m_fClock;
    // The messages being dispatched (a receiver may dispatch another), out of the pending set.
    std::vector<IMessage*> m_InFlight;
};
