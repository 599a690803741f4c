// Named lists of text lines (Shift-JIS), keyed by the name id of a key of a text file's table.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "System/Common/NameHash.h"

struct lua_State;

class TextTable {
public:
    // Runs every entry of the folder and reads the table named like each file.
    void Load(const std::string& folder);
    // Reads one file's table (on top of the stack): every string key whose value is an array.
    void ReadTable(lua_State* L, const std::string& fileName);

    // The first list given for a key stays: false when the key is already present.
    bool Insert(NameId key, std::vector<std::string> lines);
    const std::vector<std::string>* Find(NameId key) const;
    size_t GetCount() const { return m_Texts.size(); }

private:
    std::unordered_map<NameId, std::vector<std::string>> m_Texts;
};

extern TextTable* g_pTextTable;
