#include "World/TextTable.h"

#include <lua.hpp>

#include "System/Common/Log.h"
#include "System/Lua/LuaTableReader.h"
#include "World/DataTableLoader.h"

TextTable* g_pTextTable = nullptr;

void TextTable::Load(const std::string& folder)
{
    LoadDataTableFolder(folder, [this](lua_State* L, const std::string& tableName, const std::string&) {
        ReadTable(L, tableName);
    });
}

void TextTable::ReadTable(lua_State* L, const std::string& fileName)
{
    lua_pushnil(L);
    while (lua_next(L, -2) != 0) {
        // Only string keys name texts; converting any other key in place would upset the walk.
        if (lua_type(L, -2) != LUA_TSTRING) {
            LOG_WARNING << "text file " << fileName << ": a key that is not a string is ignored";
        } else if (lua_istable(L, -1)) {
            std::string key = LuaGetKeyString(L);
            std::vector<std::string> lines;
            size_t count = LuaGetItemCount(L);
            for (size_t i = 0; i < count; ++i)
                lines.push_back(LuaGetStringItem(L, static_cast<int>(i)));
            Insert(HashName(key), std::move(lines));
        }
        lua_pop(L, 1);
    }
}

bool TextTable::Insert(NameId key, std::vector<std::string> lines)
{
    return m_Texts.emplace(key, std::move(lines)).second;
}

const std::vector<std::string>* TextTable::Find(NameId key) const
{
    auto it = m_Texts.find(key);
    return it == m_Texts.end() ? nullptr : &it->second;
}
