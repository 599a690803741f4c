// Holds the posted messages of a scene until they are due and delivers them once per frame,
// and maps object ids to the live objects of the scene.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "World/FlatHashMap.h"

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
    // Deletes every pending message aimed at the object, in ascending address order, then
    // forgets its id. UI messages that name the object as their sender or origin, pending or
    // being handed out, get null there. Costs in proportion to the messages naming the object,
    // not to all that are pending.
    void UnregisterHandler(GameObj* object);
    // Takes ownership of a message whose target and delivery time are set. The objects the
    // message names (its target, a UI message's sender and origin) are read now: they are not
    // to be changed while the message is pending.
    void AddPending(IMessage* message);
    // Advances the clock by dt and delivers, in ascending address order, every message whose
    // time has come and that was made before the current frame. A message posted during the
    // delivery waits for the next one.
    void Deliver(float dt);
    // Runs or hands over one message and deletes it; false when its target is gone.
    bool Dispatch(IMessage* message);
    // Deletes every pending message, in ascending address order.
    void Clear();

    // The live object with the id, or null.
    GameObj* FindObject(int32_t id) const;
    // The same, but null as well for a negative id (none held) and for an object pending
    // removal: how whatever holds an object that may be deleted first finds it again.
    GameObj* FindLiveObject(int32_t id) const;
    float GetClock() const { return m_fClock; }
    size_t GetPendingCount() const { return m_nPending; }
    bool IsPending(const IMessage* message) const;

private:
    static constexpr uint32_t kNoRecord = 0xFFFFFFFFu;
    static constexpr uint32_t kToHolder = 1;

    // One per pending message. The generation changes whenever the record is freed, so an
    // entry or handle made for an earlier message tells itself stale without reading the
    // message, which may be gone. While free, link is the next free record; while pending,
    // kToHolder when the target is the object registered under its id and stays so: such a
    // message is dropped with its target, and the mark is cleared if the id changes hands,
    // so delivery can skip the lookup.
    struct Record {
        IMessage* message;
        uint32_t generation;
        uint32_t link;
    };
    struct Handle {
        uint32_t record;
        uint32_t generation;
    };
    // A place in the walk: the message's address and its record.
    struct Entry {
        uintptr_t address;
        Handle handle;
    };
    // The pending messages that name one object: the usual one in place, more in a list whose
    // stale handles are swept out before it grows, so a long-lived object's list stays in
    // proportion to its pending messages.
    struct Named {
        std::vector<Handle> more;
        Handle first{kNoRecord, 0};
    };
    // A registered object, with the messages aimed at it: removing an object finds both in
    // one place.
    struct Handler {
        GameObj* object = nullptr;
        Named aimed;
    };

    // A posted message whose target has not been looked up in m_Handlers yet, with the id the
    // target had when posted.
    struct Unnamed {
        Handle handle;
        int32_t id;
        GameObj* target;
    };

    uint32_t NewRecord(IMessage* message);
    void FreeRecord(uint32_t record);
    bool IsLive(Handle handle) const
    {
        return handle.record != kNoRecord && m_Records[handle.record].generation == handle.generation;
    }
    void Name(Named& named, Handle handle);
    // Files the messages of m_Unnamed under their targets. Called before anything reads the
    // lists or the marks, or changes which object an id maps to.
    void NameTargets();
    // Moves the list of messages aimed at a registered object to m_Named, when its id is
    // taken over or leaves the map while the object stays.
    void MoveAside(Handler& handler);
    // Takes the messages of a list that are aimed at the object for deletion, and makes the
    // others forget it.
    void Collect(const Named& named, const GameObj* object, std::vector<IMessage*>& doomed);
    // Takes the message out of the set; the caller deletes it.
    void Withdraw(uint32_t record);
    void Prefetch(size_t i, size_t count) const;
    // Dispatch, with the target already known to be the object its id maps to, or null.
    bool Dispatch(IMessage* message, GameObj* holder);
    // Drops stale entries and merges the fresh ones into m_Sorted in address order.
    void Fold();

    FlatHashMap<int32_t, Handler> m_Handlers;
    // The pending messages naming an object otherwise: a UI message's sender and origin, and
    // the target when it is not the object registered under its id.
    FlatHashMap<const GameObj*, Named> m_Named;
    // Posting leaves the map's lookup for later: the map's slots are scattered over memory, and
    // looked up together, ahead of their use, their loads overlap instead of each stalling a
    // post.
    std::vector<Unnamed> m_Unnamed;
    std::vector<Record> m_Records;
    uint32_t m_nFreeRecord;
    // The set in ascending address order, and the messages posted since it was last ordered.
    // Both may hold stale entries, of messages since delivered or deleted.
    std::vector<Entry> m_Sorted;
    std::vector<Entry> m_Fresh;
    std::vector<Entry> m_Spare;
    size_t m_nPending;
    float m_fClock;
    // Deliveries under way: the walk's array is only reordered when none is.
    int m_nWalks;
    // The messages being dispatched (a receiver may dispatch another), out of the pending set.
    std::vector<IMessage*> m_InFlight;
    std::vector<IMessage*> m_Doomed;
};
