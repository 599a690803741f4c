#include "World/MessageManager.h"

#include <algorithm>
#include <bit>

#include "System/Common/FrameCounter.h"
#include "World/Component.h"
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
    if (!object)
        return;
    NameTargets();
    Handler& handler = m_Handlers[object->GetId()];
    if (handler.object != object) {
        MoveAside(handler);
        handler.object = object;
    }
}

void MessageManager::MoveAside(Handler& handler)
{
    if (handler.object && (IsLive(handler.aimed.first) || !handler.aimed.more.empty())) {
        Named& moved = m_Named[handler.object];
        auto move = [&](Handle handle) {
            if (IsLive(handle)) {
                m_Records[handle.record].link = 0;
                Name(moved, handle);
            }
        };
        for (Handle handle : handler.aimed.more)
            move(handle);
        move(handler.aimed.first);
    }
    handler.aimed = Named();
}

void MessageManager::UnregisterHandler(GameObj* object)
{
    if (!object)
        return;
    // The deletions below may come back here (a message's destructor is the game's code), so
    // the lists are taken out first and the scratch list while in use.
    NameTargets();
    Named aimed, named;
    if (Handler* handler = m_Handlers.Find(object->GetId())) {
        if (handler->object == object)
            aimed = std::move(handler->aimed);
        else
            MoveAside(*handler); // the id leaves the map below, not the object that holds it
    }
    if (Named* found = m_Named.Find(object)) {
        named = std::move(*found);
        m_Named.Erase(object);
    }
    std::vector<IMessage*> doomed;
    doomed.swap(m_Doomed);
    Collect(aimed, object, doomed);
    Collect(named, object, doomed);
    // The set gives them up in its own order.
    std::sort(doomed.begin(), doomed.end(), ByAddress);
    for (IMessage* message : doomed)
        delete message;
    doomed.clear();
    if (doomed.capacity() > m_Doomed.capacity())
        m_Doomed.swap(doomed);
    for (IMessage* message : m_InFlight)
        ForgetObject(message, object);
    m_Handlers.Erase(object->GetId());
}

void MessageManager::Collect(const Named& named, const GameObj* object, std::vector<IMessage*>& doomed)
{
    auto take = [&](Handle handle) {
        if (!IsLive(handle))
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
}

void MessageManager::AddPending(IMessage* message)
{
    if (!message)
        return;
    // Stale entries of messages withdrawn before any delivery ordered them would otherwise
    // pile up in m_Fresh.
    if (m_nWalks == 0 && m_Fresh.size() + m_Sorted.size() >= 2 * m_nPending + 1024)
        Fold();
    const uint32_t record = NewRecord(message);
    const Handle handle{record, m_Records[record].generation};
    m_Fresh.push_back({reinterpret_cast<uintptr_t>(message), handle});
    ++m_nPending;
    GameObj* target = message->GetTarget();
    if (target)
        m_Unnamed.push_back({handle, target->GetId(), target});
    GameObj *sender, *origin;
    NamedBesideTarget(message, sender, origin);
    if (sender && sender != target)
        Name(m_Named[sender], handle);
    if (origin && origin != target && origin != sender)
        Name(m_Named[origin], handle);
}

void MessageManager::Deliver(float dt)
{
    m_fClock += dt;
    const uint32_t frame = GetAppFrameCount();
    const bool outermost = m_nWalks == 0;
    if (outermost)
        Fold();
    // Messages posted from here on go to m_Fresh and are not walked; a removal only makes the
    // message's entry stale, so the walk keeps its place by index. The outermost walk packs
    // the entries it keeps to the front as it goes: one nested in it meets them first, still
    // in address order, and then only stale copies.
    ++m_nWalks;
    const size_t count = m_Sorted.size();
    size_t kept = 0;
    for (size_t i = 0; i < count; ++i) {
        Prefetch(i, count);
        const Entry entry = m_Sorted[i];
        if (!IsLive(entry.handle))
            continue;
        IMessage* message = reinterpret_cast<IMessage*>(entry.address);
        if (!(message->GetDeliveryTime() <= m_fClock && message->GetPostFrame() < frame)) {
            if (outermost)
                m_Sorted[kept++] = entry;
            continue;
        }
        const bool toHolder = m_Records[entry.handle.record].link == kToHolder;
        Withdraw(entry.handle.record);
        Dispatch(message, toHolder ? message->GetTarget() : nullptr);
    }
    --m_nWalks;
    if (outermost)
        m_Sorted.resize(kept);
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
    constexpr size_t kMessage = 40, kTarget = 24, kSlot = 12, kComponents = 5;
    // An object's table pointer, tree links, flags, layer and component list lead it: all that
    // delivery reads of it.
    constexpr size_t kObjectHead = 5 * sizeof(void*) + 2 * sizeof(uint32_t) + sizeof(ComponentList);
    auto pending = [&](size_t at) -> const IMessage* {
        if (at >= count || !IsLive(m_Sorted[at].handle))
            return nullptr;
        return reinterpret_cast<const IMessage*>(m_Sorted[at].address);
    };
    if (i + kMessage < count) {
        PrefetchBytes(reinterpret_cast<const void*>(m_Sorted[i + kMessage].address), sizeof(IMessage));
        __builtin_prefetch(&m_Records[m_Sorted[i + kMessage].handle.record]);
    }
    if (const IMessage* message = pending(i + kTarget))
        if (const GameObj* target = message->GetTarget())
            PrefetchBytes(target, kObjectHead);
    if (const IMessage* message = pending(i + kSlot))
        if (const GameObj* target = message->GetTarget()) {
            if (m_Records[m_Sorted[i + kSlot].handle.record].link != kToHolder)
                m_Handlers.Prefetch(target->GetId());
            __builtin_prefetch(target->GetComponents().data());
        }
    if (const IMessage* message = pending(i + kComponents))
        if (const GameObj* target = message->GetTarget())
            for (const Component* component : target->GetComponents()) {
                // The hand-over reads the table pointer and the flags after the owner: only the
                // lines holding them.
                __builtin_prefetch(component);
                __builtin_prefetch(reinterpret_cast<const char*>(component) + 2 * sizeof(void*));
            }
}

bool MessageManager::Dispatch(IMessage* message) { return Dispatch(message, nullptr); }

bool MessageManager::Dispatch(IMessage* message, GameObj* holder)
{
    bool delivered = true;
    m_InFlight.push_back(message);
    if (message->IsSelfExecuting()) {
        message->Execute();
    } else {
        GameObj* target = message->GetTarget();
        GameObj* object = holder ? holder : target ? FindObject(target->GetId()) : nullptr;
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
    for (const std::vector<Entry>* entries : {&m_Sorted, &m_Fresh})
        for (const Entry& entry : *entries)
            if (IsLive(entry.handle)) {
                doomed.push_back(reinterpret_cast<IMessage*>(entry.address));
                FreeRecord(entry.handle.record);
            }
    std::sort(doomed.begin(), doomed.end(), ByAddress);
    m_Named.Clear();
    m_Unnamed.clear();
    m_Handlers.ForEach([](int32_t, Handler& handler) { handler.aimed = Named(); });
    m_Fresh.clear();
    m_nPending = 0;
    // A walk under way still reads its entries, all stale now.
    if (m_nWalks == 0) {
        m_Sorted.clear();
        m_Records.clear();
        m_nFreeRecord = kNoRecord;
    }
    for (IMessage* message : doomed)
        delete message;
}

GameObj* MessageManager::FindObject(int32_t id) const
{
    const Handler* handler = m_Handlers.Find(id);
    return handler ? handler->object : nullptr;
}

GameObj* MessageManager::FindLiveObject(int32_t id) const
{
    GameObj* object = id >= 0 ? FindObject(id) : nullptr;
    return object && !(object->GetFlags() & eGameObjFlag_PendingRemoval) ? object : nullptr;
}

bool MessageManager::IsPending(const IMessage* message) const
{
    const uintptr_t address = reinterpret_cast<uintptr_t>(message);
    for (const std::vector<Entry>* entries : {&m_Sorted, &m_Fresh})
        for (const Entry& entry : *entries)
            if (entry.address == address && IsLive(entry.handle))
                return true;
    return false;
}

uint32_t MessageManager::NewRecord(IMessage* message)
{
    uint32_t record = m_nFreeRecord;
    if (record == kNoRecord) {
        record = static_cast<uint32_t>(m_Records.size());
        m_Records.push_back({nullptr, 0, 0});
    } else {
        m_nFreeRecord = m_Records[record].link;
    }
    m_Records[record].message = message;
    m_Records[record].link = 0;
    return record;
}

void MessageManager::FreeRecord(uint32_t record)
{
    Record& r = m_Records[record];
    r.message = nullptr;
    ++r.generation;
    r.link = m_nFreeRecord;
    m_nFreeRecord = record;
}

void MessageManager::Name(Named& named, Handle handle)
{
    if (!IsLive(named.first)) {
        named.first = handle;
        return;
    }
    if (named.more.size() == named.more.capacity())
        std::erase_if(named.more, [this](Handle h) { return !IsLive(h); });
    named.more.push_back(handle);
}

void MessageManager::NameTargets()
{
    constexpr size_t kAhead = 8;
    const size_t count = m_Unnamed.size();
    for (size_t i = 0; i < count; ++i) {
        if (i + kAhead < count)
            m_Handlers.Prefetch(m_Unnamed[i + kAhead].id);
        const Unnamed& unnamed = m_Unnamed[i];
        if (!IsLive(unnamed.handle))
            continue;
        Handler* handler = m_Handlers.Find(unnamed.id);
        if (handler && handler->object == unnamed.target) {
            Name(handler->aimed, unnamed.handle);
            m_Records[unnamed.handle.record].link = kToHolder;
        } else {
            Name(m_Named[unnamed.target], unnamed.handle);
        }
    }
    m_Unnamed.clear();
}

void MessageManager::Withdraw(uint32_t record)
{
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
    NameTargets();
    const bool anyStale = m_Sorted.size() + m_Fresh.size() != m_nPending;
    if (m_Fresh.empty() && !anyStale)
        return;
    if (anyStale) {
        auto stale = [this](const Entry& e) { return !IsLive(e.handle); };
        std::erase_if(m_Fresh, stale);
        std::erase_if(m_Sorted, stale);
    }
    if (m_Fresh.empty())
        return;
    SortByAddress(m_Fresh, m_Spare);
    if (m_Sorted.empty()) {
        m_Sorted.swap(m_Fresh);
        return;
    }
    m_Spare.resize(m_Sorted.size() + m_Fresh.size());
    std::merge(m_Sorted.begin(), m_Sorted.end(), m_Fresh.begin(), m_Fresh.end(), m_Spare.begin(),
               [](const Entry& a, const Entry& b) { return a.address < b.address; });
    m_Sorted.swap(m_Spare);
    m_Fresh.clear();
}
