#include "World/MessageManager.h"

#include <algorithm>
#include <bit>

#include "World/Component.h"
#include "World/FrameCounter.h"
#include "World/GameObj.h"
#include "World/IMessage.h"

namespace {

// UI messages keep their sender and origin as plain pointers that receivers read; an object
// that goes must not be left behind in them.
void ForgetObject(IMessage* message, const GameObj* object)
{
    auto forget = [object](GameObj*& slot) {
        if (slot == object)
            slot = nullptr;
    };
    if (message->GetTypeId() == MsgUIEvent::s_Class.Key) {
        forget(static_cast<MsgUIEvent*>(message)->m_pSender);
        forget(static_cast<MsgUIEvent*>(message)->m_pOrigin);
    } else if (message->GetTypeId() == MsgUIResult::s_Class.Key) {
        forget(static_cast<MsgUIResult*>(message)->m_pSender);
        forget(static_cast<MsgUIResult*>(message)->m_pOrigin);
    }
}

// Every object a message names besides its target.
void NamedBesideTarget(IMessage* message, GameObj*& sender, GameObj*& origin)
{
    sender = origin = nullptr;
    if (message->GetTypeId() == MsgUIEvent::s_Class.Key) {
        sender = static_cast<MsgUIEvent*>(message)->m_pSender;
        origin = static_cast<MsgUIEvent*>(message)->m_pOrigin;
    } else if (message->GetTypeId() == MsgUIResult::s_Class.Key) {
        sender = static_cast<MsgUIResult*>(message)->m_pSender;
        origin = static_cast<MsgUIResult*>(message)->m_pOrigin;
    }
}

bool ByAddress(const IMessage* a, const IMessage* b)
{
    return reinterpret_cast<uintptr_t>(a) < reinterpret_cast<uintptr_t>(b);
}

} // namespace

MessageManager::MessageManager() : m_nFreeRecord(kNoRecord), m_nPending(0), m_fClock(0.0f), m_nWalks(0) {}

MessageManager::~MessageManager()
{
    Clear();
    m_Handlers.Clear();
}

void MessageManager::RegisterHandler(GameObj* object)
{
    if (object)
        m_Handlers[object->GetId()] = object;
}

void MessageManager::UnregisterHandler(GameObj* object)
{
    if (!object)
        return;
    if (Named* found = m_Named.Find(object)) {
        const Named named = std::move(*found);
        m_Named.Erase(object);
        // The deletions below may come back here (a message's destructor is the game's code),
        // so the scratch list is taken out while in use.
        std::vector<IMessage*> doomed;
        doomed.swap(m_Doomed);
        auto take = [&](Handle handle) {
            if (handle.record == kNoRecord || !IsLive(handle))
                return;
            IMessage* message = m_Records[handle.record].message;
            if (message->GetTarget() == object) {
                Withdraw(handle.record);
                doomed.push_back(message);
            } else {
                ForgetObject(message, object);
            }
        };
        take(named.first);
        for (Handle handle : named.more)
            take(handle);
        // The set gives them up in its own order.
        std::sort(doomed.begin(), doomed.end(), ByAddress);
        for (IMessage* message : doomed)
            delete message;
        doomed.clear();
        if (doomed.capacity() > m_Doomed.capacity())
            m_Doomed.swap(doomed);
    }
    for (IMessage* message : m_InFlight)
        ForgetObject(message, object);
    m_Handlers.Erase(object->GetId());
}

void MessageManager::AddPending(IMessage* message)
{
    if (!message)
        return;
    const uint32_t record = NewRecord(message);
    m_Records[record].place = kInFresh | static_cast<uint32_t>(m_Fresh.size());
    m_Fresh.push_back({reinterpret_cast<uintptr_t>(message), record});
    ++m_nPending;
    const Handle handle{record, m_Records[record].generation};
    // Entries withdrawn before any delivery ordered them would otherwise pile up here.
    if (m_nWalks == 0 && m_Fresh.size() + m_Sorted.size() >= 2 * m_nPending + 1024)
        Fold();
    GameObj* target = message->GetTarget();
    GameObj *sender, *origin;
    NamedBesideTarget(message, sender, origin);
    Name(target, handle);
    if (sender != target)
        Name(sender, handle);
    if (origin != target && origin != sender)
        Name(origin, handle);
}

void MessageManager::Deliver(float dt)
{
    m_fClock += dt;
    const uint32_t frame = GetAppFrameCount();
    if (m_nWalks == 0)
        Fold();
    // Messages posted from here on go to m_Fresh and are not walked; removals only mark
    // entries, so the walk keeps its place by index.
    ++m_nWalks;
    const size_t count = m_Sorted.size();
    for (size_t i = 0; i < count; ++i) {
        Prefetch(i, count);
        const Entry entry = m_Sorted[i];
        if (entry.address & kGone)
            continue;
        IMessage* message = reinterpret_cast<IMessage*>(entry.address);
        if (!(message->GetDeliveryTime() <= m_fClock && message->GetPostFrame() < frame))
            continue;
        Withdraw(entry.record);
        Dispatch(message);
    }
    --m_nWalks;
}

namespace {

void PrefetchBytes(const void* start, size_t size)
{
    const uintptr_t first = reinterpret_cast<uintptr_t>(start) & ~uintptr_t(63);
    const uintptr_t end = reinterpret_cast<uintptr_t>(start) + size;
    for (uintptr_t line = first; line < end; line += 64)
        __builtin_prefetch(reinterpret_cast<const void*>(line));
}

} // namespace

// Each message of the walk leads to its target, the target's slot in the map and its
// components, scattered over the heap: a chain of loads that would each wait on memory. Ahead
// of the walk, start each link of the chain for a later message, one link per distance.
void MessageManager::Prefetch(size_t i, size_t count) const
{
    constexpr size_t kMessage = 48, kTarget = 28, kSlot = 14, kComponents = 6;
    auto pending = [&](size_t at) -> const IMessage* {
        if (at >= count || (m_Sorted[at].address & kGone))
            return nullptr;
        return reinterpret_cast<const IMessage*>(m_Sorted[at].address);
    };
    if (i + kMessage < count) {
        PrefetchBytes(reinterpret_cast<const void*>(m_Sorted[i + kMessage].address & ~kGone), sizeof(IMessage));
    }
    if (const IMessage* message = pending(i + kTarget))
        if (const GameObj* target = message->GetTarget())
            PrefetchBytes(target, sizeof(GameObj));
    if (const IMessage* message = pending(i + kSlot)) {
        __builtin_prefetch(&m_Records[m_Sorted[i + kSlot].record]);
        if (const GameObj* target = message->GetTarget()) {
            m_Handlers.Prefetch(target->GetId());
            __builtin_prefetch(target->GetComponents().data());
        }
    }
    if (const IMessage* message = pending(i + kComponents))
        if (const GameObj* target = message->GetTarget())
            for (const Component* component : target->GetComponents())
                PrefetchBytes(component, sizeof(Component) + sizeof(int));
}

bool MessageManager::Dispatch(IMessage* message)
{
    bool delivered = true;
    m_InFlight.push_back(message);
    if (message->IsSelfExecuting()) {
        message->Execute();
    } else {
        GameObj* target = message->GetTarget();
        GameObj* object = target ? FindObject(target->GetId()) : nullptr;
        if (object)
            static_cast<IMessageHandler*>(object)->SendMessage(message);
        else
            delivered = false;
    }
    m_InFlight.pop_back();
    delete message;
    return delivered;
}

void MessageManager::Clear()
{
    std::vector<IMessage*> doomed;
    doomed.reserve(m_nPending);
    for (std::vector<Entry>* entries : {&m_Sorted, &m_Fresh})
        for (Entry& entry : *entries)
            if (!(entry.address & kGone)) {
                doomed.push_back(reinterpret_cast<IMessage*>(entry.address));
                entry.address |= kGone;
            }
    std::sort(doomed.begin(), doomed.end(), ByAddress);
    m_Named.Clear();
    m_Fresh.clear();
    m_nPending = 0;
    if (m_nWalks == 0) {
        m_Sorted.clear();
        m_Records.clear();
        m_nFreeRecord = kNoRecord;
    } else {
        // The walk under way still reads the records through its entries, all now gone.
        for (uint32_t i = 0; i < m_Records.size(); ++i)
            if (m_Records[i].message)
                FreeRecord(i);
    }
    for (IMessage* message : doomed)
        delete message;
}

GameObj* MessageManager::FindObject(int32_t id) const
{
    GameObj* const* object = m_Handlers.Find(id);
    return object ? *object : nullptr;
}

bool MessageManager::IsPending(const IMessage* message) const
{
    const uintptr_t address = reinterpret_cast<uintptr_t>(message);
    auto it = std::lower_bound(m_Sorted.begin(), m_Sorted.end(), address,
                               [](const Entry& e, uintptr_t a) { return (e.address & ~kGone) < a; });
    for (; it != m_Sorted.end() && (it->address & ~kGone) == address; ++it)
        if (!(it->address & kGone))
            return true;
    for (const Entry& entry : m_Fresh)
        if (entry.address == address)
            return true;
    return false;
}

uint32_t MessageManager::NewRecord(IMessage* message)
{
    uint32_t record = m_nFreeRecord;
    if (record == kNoRecord) {
        record = static_cast<uint32_t>(m_Records.size());
        m_Records.push_back({nullptr, 0, kNoRecord});
    } else {
        m_nFreeRecord = m_Records[record].place;
    }
    m_Records[record].message = message;
    return record;
}

void MessageManager::FreeRecord(uint32_t record)
{
    Record& r = m_Records[record];
    r.message = nullptr;
    ++r.generation;
    r.place = m_nFreeRecord;
    m_nFreeRecord = record;
}

bool MessageManager::IsLive(Handle handle) const
{
    const Record& r = m_Records[handle.record];
    return r.generation == handle.generation && r.message;
}

void MessageManager::Name(GameObj* object, Handle handle)
{
    if (!object)
        return;
    Named& named = m_Named[object];
    if (named.first.record == kNoRecord || !IsLive(named.first)) {
        named.first = handle;
        return;
    }
    if (named.more.size() >= named.sweepAt) {
        std::erase_if(named.more, [this](Handle h) { return !IsLive(h); });
        named.sweepAt = std::max<uint32_t>(4, static_cast<uint32_t>(named.more.size() * 2));
    }
    named.more.push_back(handle);
}

void MessageManager::Withdraw(uint32_t record)
{
    const uint32_t place = m_Records[record].place;
    if (place & kInFresh)
        m_Fresh[place & ~kInFresh].address |= kGone;
    else
        m_Sorted[place].address |= kGone;
    FreeRecord(record);
    --m_nPending;
}

namespace {

// Sorts entries by address: a radix sort over the bits in which the addresses differ, which
// for heap addresses is two or three passes, against a comparison sort's dozen and more.
template <class Entry>
void SortByAddress(std::vector<Entry>& entries, std::vector<Entry>& scratch)
{
    const size_t n = entries.size();
    if (n < 64) {
        std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.address < b.address; });
        return;
    }
    uintptr_t differ = 0;
    const uintptr_t first = entries[0].address;
    for (const Entry& e : entries)
        differ |= e.address ^ first;
    if (differ == 0)
        return;
    constexpr int kDigitBits = 11;
    constexpr size_t kDigits = size_t(1) << kDigitBits;
    const int low = std::countr_zero(differ);
    const int high = std::bit_width(differ);
    scratch.resize(n);
    Entry* from = entries.data();
    Entry* to = scratch.data();
    for (int shift = low; shift < high; shift += kDigitBits) {
        uint32_t start[kDigits] = {};
        for (size_t i = 0; i < n; ++i)
            ++start[(from[i].address >> shift) & (kDigits - 1)];
        uint32_t sum = 0;
        for (uint32_t& s : start) {
            const uint32_t c = s;
            s = sum;
            sum += c;
        }
        for (size_t i = 0; i < n; ++i)
            to[start[(from[i].address >> shift) & (kDigits - 1)]++] = from[i];
        std::swap(from, to);
    }
    if (from != entries.data())
        entries.swap(scratch);
}

} // namespace

void MessageManager::Fold()
{
    if (m_Fresh.empty() && m_Sorted.size() == m_nPending)
        return;
    std::erase_if(m_Fresh, [](const Entry& e) { return (e.address & kGone) != 0; });
    SortByAddress(m_Fresh, m_Spare);
    m_Spare.clear();
    m_Spare.reserve(m_nPending);
    auto keep = [this](const Entry& e) {
        m_Records[e.record].place = static_cast<uint32_t>(m_Spare.size());
        m_Spare.push_back(e);
    };
    size_t f = 0;
    for (const Entry& e : m_Sorted) {
        if (e.address & kGone)
            continue;
        for (; f < m_Fresh.size() && m_Fresh[f].address < e.address; ++f)
            keep(m_Fresh[f]);
        keep(e);
    }
    for (; f < m_Fresh.size(); ++f)
        keep(m_Fresh[f]);
    m_Sorted.swap(m_Spare);
    m_Fresh.clear();
}
