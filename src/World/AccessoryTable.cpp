#include "World/AccessoryTable.h"

const NameId g_nDefaultAccessoryKey = HashName("accessory_Empty");
AccessoryTable* g_pAccessoryTable = nullptr;

void AccessoryTable::Create()
{
    auto record = std::make_unique<AccessoryRecord>();
    record->m_nAccessoryId = 0;
    // The game's text is Shift-JIS: "no accessory" and "nothing equipped".
    record->m_Name = "\x83\x41\x83\x4e\x83\x5a\x83\x54\x83\x8a\x82\xc8\x82\xb5";
    record->m_Explanation = "\x91\x95\x94\xf5\x82\xb5\x82\xc4\x82\xa2\x82\xdc\x82\xb9\x82\xf1";
    Insert(g_nDefaultAccessoryKey, std::move(record));
}

void AccessoryTable::Clear()
{
    m_Records.clear();
    std::unordered_map<NameId, std::unique_ptr<AccessoryRecord>>().swap(m_Records);
}

bool AccessoryTable::Insert(NameId key, std::unique_ptr<AccessoryRecord> record)
{
    return m_Records.emplace(key, std::move(record)).second;
}

const AccessoryRecord* AccessoryTable::Find(NameId key) const
{
    auto it = m_Records.find(key);
    return it == m_Records.end() ? nullptr : it->second.get();
}
