// The texture table: every texture the data declares, read from the "texture_table" scripts of
// a folder, with its image's size taken from the file header and a use count. Once per scene
// update the images in use are loaded and those no longer in use are released.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "System/Common/NameHash.h"

class ITexture;
class StreamIO;
struct lua_State;

// "load_type" 1: loaded at the first update and kept until the table is cleared.
constexpr int32_t kTextureLoadType_Resident = 1;

struct TextureEntry {
    NameId fileId = 0; // name id of the archive entry of the image
    uint32_t width = 0;
    uint32_t height = 0;
    int32_t loadType = 0;
    ITexture* texture = nullptr; // null while not loaded
    uint32_t useCount = 0;
};

// Fills the entry's width and height from the image header (DDS, BMP, PNG, JPEG, else the TGA
// layout) and deletes the stream. A header that cannot be read gives 0.
void ProbeImageSize(StreamIO* stream, TextureEntry* entry);

class TextureTable {
public:
    TextureTable() = default;
    ~TextureTable();
    TextureTable(const TextureTable&) = delete;
    TextureTable& operator=(const TextureTable&) = delete;

    // Reads every script whose archive name matches folder + "*".
    void LoadFolder(const std::string& folder);
    // Reads the "texture_table" table on top of the stack.
    void ReadTextureTable(lua_State* L, const std::string& scriptName);
    // Loads the textures in use that have none and releases those no longer in use; true when
    // at least one was loaded.
    bool Update();
    TextureEntry* Find(NameId id) const;
    size_t GetCount() const { return m_List.size(); }
    // Deletes every texture and entry.
    void Clear();

    // Use counts: a user raises the count while it needs the texture and lowers it (never
    // below 0) when it stops; resident entries are left alone.
    static void AddUse(TextureEntry* entry);
    static void RemoveUse(TextureEntry* entry);

private:
    std::vector<TextureEntry*> m_List;
    std::unordered_map<NameId, TextureEntry*> m_Entries;
};

extern TextureTable* g_pTextureTable;
