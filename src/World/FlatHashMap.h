// A hash map for integer and pointer keys kept in one array: open addressing with linear
// probing, and deletion by shifting the following entries back, so no tombstones build up.
// A lookup is usually one cache line, where a node-based map costs two or three.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>
#include <vector>

template <class Key, class Value>
class FlatHashMap {
    static_assert(std::is_integral_v<Key> || std::is_pointer_v<Key>, "integer or pointer keys");

public:
    FlatHashMap() = default;

    size_t Size() const { return m_nCount; }

    Value* Find(Key key)
    {
        if (m_nCount == 0)
            return nullptr;
        for (size_t i = Home(key);; i = (i + 1) & m_nMask) {
            Slot& slot = m_Slots[i];
            if (!slot.used)
                return nullptr;
            if (slot.key == key)
                return &slot.value;
        }
    }
    const Value* Find(Key key) const { return const_cast<FlatHashMap*>(this)->Find(key); }

    // Starts loading the key's home slot, for a Find soon after.
    void Prefetch(Key key) const
    {
        if (m_nCount == 0)
            return;
        const char* slot = reinterpret_cast<const char*>(&m_Slots[Home(key)]);
        __builtin_prefetch(slot);
        __builtin_prefetch(slot + sizeof(Slot) - 1);
    }

    // The value under the key, default-made when the key is new. The reference lasts until the
    // next insertion or erasure.
    Value& operator[](Key key)
    {
        if ((m_nCount + 1) * 4 > m_Slots.size() * 3)
            Grow();
        for (size_t i = Home(key);; i = (i + 1) & m_nMask) {
            Slot& slot = m_Slots[i];
            if (!slot.used) {
                slot.used = true;
                slot.key = key;
                slot.value = Value();
                ++m_nCount;
                return slot.value;
            }
            if (slot.key == key)
                return slot.value;
        }
    }

    bool Erase(Key key)
    {
        if (m_nCount == 0)
            return false;
        size_t hole = Home(key);
        for (;; hole = (hole + 1) & m_nMask) {
            if (!m_Slots[hole].used)
                return false;
            if (m_Slots[hole].key == key)
                break;
        }
        // Pull back every later entry of the run that may live in the hole: one whose home is
        // not cyclically inside (hole, i].
        for (size_t i = (hole + 1) & m_nMask; m_Slots[i].used; i = (i + 1) & m_nMask) {
            const size_t home = Home(m_Slots[i].key);
            if (((i - home) & m_nMask) >= ((i - hole) & m_nMask)) {
                m_Slots[hole].key = m_Slots[i].key;
                m_Slots[hole].value = std::move(m_Slots[i].value);
                hole = i;
            }
        }
        m_Slots[hole].used = false;
        m_Slots[hole].value = Value();
        --m_nCount;
        return true;
    }

    // Calls f(key, value) for every entry; f must not insert or erase.
    template <class F>
    void ForEach(F f)
    {
        for (Slot& slot : m_Slots)
            if (slot.used)
                f(slot.key, slot.value);
    }

    void Clear()
    {
        m_Slots.clear();
        m_nMask = 0;
        m_nShift = 64;
        m_nCount = 0;
    }

private:
    struct Slot {
        Value value{};
        Key key{};
        bool used = false;
    };

    size_t Home(Key key) const
    {
        uint64_t bits;
        if constexpr (std::is_pointer_v<Key>)
            bits = reinterpret_cast<uintptr_t>(key);
        else
            bits = static_cast<uint64_t>(static_cast<std::make_unsigned_t<Key>>(key));
        // Fibonacci hashing: consecutive ids and aligned addresses spread over the whole table.
        return static_cast<size_t>((bits * 0x9E3779B97F4A7C15ull) >> m_nShift);
    }

    void Grow()
    {
        std::vector<Slot> old;
        old.swap(m_Slots);
        const size_t size = old.empty() ? 16 : old.size() * 2;
        m_Slots.resize(size);
        m_nMask = size - 1;
        m_nShift = 64 - std::countr_zero(size);
        m_nCount = 0;
        for (Slot& slot : old)
            if (slot.used)
                (*this)[slot.key] = std::move(slot.value);
    }

    std::vector<Slot> m_Slots;
    size_t m_nMask = 0;
    int m_nShift = 64;
    size_t m_nCount = 0;
};
