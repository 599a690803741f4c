#include "World/AccessoryTable.h"

#include <algorithm>

#include <lua.hpp>

#include "System/Common/Log.h"
#include "System/Lua/LuaTableReader.h"
#include "World/DataTableLoader.h"

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

void AccessoryTable::Load(const std::string& prefix)
{
    LoadDataTableFolder(prefix, [this](lua_State* L, const std::string& tableName, const std::string&) {
        ReadTable(L, tableName);
    });
}

void AccessoryTable::ReadTable(lua_State* L, const std::string& tableName)
{
    NameId key = HashName(tableName);
    if (m_Records.count(key))
        return;
    auto record = std::make_unique<AccessoryRecord>();
    record->m_nAccessoryId = LuaGetIntField(L, "accessoryId");
    record->m_Name = LuaGetStringField(L, "name");
    record->m_Explanation = LuaGetStringField(L, "explain");
    lua_getfield(L, -1, "ability");
    if (lua_istable(L, -1)) {
        int count = static_cast<int>(std::min<size_t>(LuaGetItemCount(L), INT32_MAX));
        for (int i = 1; i <= count; ++i) {
            lua_rawgeti(L, -1, i);
            if (lua_istable(L, -1)) {
                int32_t target = LuaGetIntField(L, "target");
                if (target >= 0 && target < kAccessoryAbilityCount) {
                    record->m_aAbilities[target].m_nPointType = LuaGetIntField(L, "pointType");
                    record->m_aAbilities[target].m_fPoint = LuaGetFloatField(L, "point");
                } else {
                    LOG_WARNING << "accessory " << tableName << ": ability " << i << " has target " << target
                                << " outside 0.." << kAccessoryAbilityCount - 1 << "; ignored";
                }
            }
            lua_pop(L, 1);
        }
    }
    lua_pop(L, 1);
    Insert(key, std::move(record));
}
