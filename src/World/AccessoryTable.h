// Equipment the player can own: one record per accessory, keyed by the name id of the
// accessory's Lua table name.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

#include "System/Common/NameHash.h"

struct lua_State;

constexpr int kAccessoryAbilityCount = 19;

struct AccessoryAbility {
    int32_t m_nPointType = 0;
    float m_fPoint = 0.0f;
};

struct AccessoryRecord {
    int32_t m_nAccessoryId = 0;
    std::string m_Name;        // Shift-JIS
    std::string m_Explanation; // Shift-JIS
    AccessoryAbility m_aAbilities[kAccessoryAbilityCount];
};

// The key of the record every player owns and falls back to: "accessory_Empty".
extern const NameId g_nDefaultAccessoryKey;

class AccessoryTable {
public:
    // Inserts the default record under the default key.
    void Create();
    // Runs every entry whose name starts with the prefix and reads the table named like it.
    void Load(const std::string& prefix);
    // Reads one accessory table (on top of the stack) into a record under the table name's key.
    void ReadTable(lua_State* L, const std::string& tableName);
    void Clear();

    // The first record given for a key stays: false (and the record is dropped) when the key
    // is already present.
    bool Insert(NameId key, std::unique_ptr<AccessoryRecord> record);
    const AccessoryRecord* Find(NameId key) const;
    size_t GetCount() const { return m_Records.size(); }
    const std::unordered_map<NameId, std::unique_ptr<AccessoryRecord>>& GetRecords() const { return m_Records; }

private:
    std::unordered_map<NameId, std::unique_ptr<AccessoryRecord>> m_Records;
};

extern AccessoryTable* g_pAccessoryTable;
