// The sprite atlas: named rectangles of textures, read from the "spriteSheet" scripts of a
// folder and found by the name id of the sprite's name without its extension.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "System/Common/NameHash.h"

struct lua_State;

struct AtlasEntry {
    NameId textureId = 0; // name id of the sheet's texture name without its extension
    float u0 = 0.0f, v0 = 0.0f, du = 0.0f, dv = 0.0f;
    int32_t sourceWidth = 0, sourceHeight = 0;
    int32_t originalWidth = 0, originalHeight = 0;
    float offsetX = 0.0f, offsetY = 0.0f; // centre of the source rectangle minus centre of the original
    std::string name;
};

class AtlasTable {
public:
    AtlasTable() = default;
    ~AtlasTable();
    AtlasTable(const AtlasTable&) = delete;
    AtlasTable& operator=(const AtlasTable&) = delete;

    // Reads every script whose archive name matches folder + "*".
    void LoadFolder(const std::string& folder);
    // Reads the "spriteSheet" table on top of the stack.
    void ReadSpriteSheet(lua_State* L, const std::string& scriptName);
    const AtlasEntry* Find(NameId id) const;
    size_t GetCount() const { return m_Entries.size(); }
    // Deletes every entry.
    void Destroy();

private:
    void ReadSprite(lua_State* L, NameId textureId, float textureWidth, float textureHeight);

    std::vector<AtlasEntry*> m_List;
    std::unordered_map<NameId, AtlasEntry*> m_Entries;
};

extern AtlasTable* g_pAtlasTable;
