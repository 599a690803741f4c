#include "System/Graphics/TextureTable.h"

#include <lua.hpp>

#include <cstring>
#include <vector>

#include "System/Archive/ArchiveSystem.h"
#include "System/Common/FrameStats.h"
#include "System/Common/Log.h"
#include "System/Common/StreamIO.h"
#include "System/Graphics/D3D9Texture.h"
#include "System/Graphics/RenderSystem.h"
#include "System/Graphics/TableScripts.h"
#include "System/Lua/LuaTableReader.h"

TextureTable* g_pTextureTable = nullptr;

namespace {

uint32_t U16LE(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t U32LE(const uint8_t* p) { return U16LE(p) | U16LE(p + 2) << 16; }
uint32_t U16BE(const uint8_t* p) { return uint32_t(p[0]) << 8 | p[1]; }
uint32_t U32BE(const uint8_t* p) { return U16BE(p) << 16 | U16BE(p + 2); }

// The frame size of a JPEG from its first start-of-frame segment.
void ProbeJpeg(StreamIO& stream, uint32_t& width, uint32_t& height)
{
    stream.Seek(2);
    uint8_t marker[4];
    while (stream.Read(marker, 4) == 4) {
        if (marker[0] != 0xFF)
            return;
        const uint8_t code = marker[1];
        const uint32_t length = U16BE(marker + 2);
        if (length < 2)
            return;
        const bool startOfFrame = code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
        if (startOfFrame) {
            uint8_t frame[5];
            if (length < 7 || stream.Read(frame, 5) != 5)
                return;
            height = U16BE(frame + 1);
            width = U16BE(frame + 3);
            return;
        }
        const uint32_t next = stream.Tell() + length - 2;
        if (next > stream.GetSize())
            return;
        stream.Seek(next);
    }
}

} // namespace

void ProbeImageSize(StreamIO* stream, TextureEntry* entry)
{
    if (!entry) {
        delete stream;
        return;
    }
    entry->width = 0;
    entry->height = 0;
    if (!stream)
        return;
    uint8_t header[26] = {};
    const uint32_t got = stream->Read(header, sizeof header);
    auto has = [got](uint32_t end) { return got >= end; };
    uint32_t width = 0, height = 0;
    if (has(4) && std::memcmp(header, "DDS ", 4) == 0) {
        if (has(20)) {
            height = U32LE(header + 12);
            width = U32LE(header + 16);
        }
    } else if (has(8) && std::memcmp(header, "\x89PNG\r\n\x1a\n", 8) == 0) {
        // The IHDR chunk comes first: its width and height are big-endian.
        if (has(24)) {
            width = U32BE(header + 16);
            height = U32BE(header + 20);
        }
    } else if (has(3) && header[0] == 0xFF && header[1] == 0xD8 && header[2] == 0xFF) {
        ProbeJpeg(*stream, width, height);
    } else if (has(2) && header[0] == 'B' && header[1] == 'M') {
        if (has(18) && U32LE(header + 14) == 12) {
            // The old core header: 16-bit sizes.
            if (has(22)) {
                width = U16LE(header + 18);
                height = U16LE(header + 20);
            }
        } else if (has(26)) {
            // A negative height marks rows stored top first.
            const int32_t w = static_cast<int32_t>(U32LE(header + 18));
            const int32_t h = static_cast<int32_t>(U32LE(header + 22));
            width = w < 0 ? 0 : uint32_t(w);
            height = h < 0 ? uint32_t(0) - uint32_t(h) : uint32_t(h);
        }
    } else if (has(16)) {
        width = U16LE(header + 12);
        height = U16LE(header + 14);
    }
    entry->width = width;
    entry->height = height;
    delete stream;
}

TextureTable::~TextureTable() { Clear(); }

void TextureTable::LoadFolder(const std::string& folder)
{
    LoadTableScripts(folder, "texture_table",
                     [this](lua_State* L, const std::string& name) { ReadTextureTable(L, name); });
}

void TextureTable::ReadTextureTable(lua_State* L, const std::string& scriptName)
{
    if (!lua_istable(L, -1))
        return;
    lua_pushnil(L);
    while (lua_next(L, -2) != 0) {
        if (lua_istable(L, -1)) {
            const std::string key = LuaGetKeyString(L);
            const std::string fileName = LuaGetStringField(L, "texture_name");
            // Every Lua read comes before anything is owned: a read may raise a Lua error and unwind.
            const int32_t loadType = LuaGetIntField(L, "load_type");
            const NameId fileId = HashName(fileName);
            StreamIO* stream = g_pArchiveSystem ? g_pArchiveSystem->Open(fileId) : nullptr;
            if (!stream) {
                LOG_WARNING << "Texture table " << scriptName << ": " << key << " names the image \"" << fileName
                            << "\", which is not in the archives; it is left out.";
            } else {
                auto* entry = new TextureEntry;
                entry->fileId = fileId;
                entry->useCount = 1;
                if (!m_Entries.emplace(HashName(key), entry).second) {
                    delete entry;
                    delete stream;
                } else {
                    m_List.push_back(entry);
                    entry->loadType = loadType;
                    ProbeImageSize(stream, entry);
                    if (entry->loadType != kTextureLoadType_Resident)
                        entry->useCount = 0;
                }
            }
        }
        lua_pop(L, 1);
    }
}

bool TextureTable::Update()
{
    bool loaded = false;
    for (TextureEntry* entry : m_List) {
        if (entry->useCount == 0) {
            if (entry->texture) {
                delete entry->texture;
                entry->texture = nullptr;
            }
        } else if (!entry->texture && g_pRenderSystem && g_pArchiveSystem) {
            StreamIO* stream = g_pArchiveSystem->Open(entry->fileId);
            if (stream) {
                entry->texture = g_pRenderSystem->CreateTexture();
                entry->texture->LoadFromMemory(stream, 0, 0, 0, eTextureFormat_A8R8G8B8);
                loaded = true;
                ++g_FrameStats.texturesLoaded;
            }
        }
    }
    return loaded;
}

TextureEntry* TextureTable::Find(NameId id) const
{
    auto it = m_Entries.find(id);
    return it == m_Entries.end() ? nullptr : it->second;
}

void TextureTable::Clear()
{
    for (TextureEntry* entry : m_List) {
        delete entry->texture;
        delete entry;
    }
    m_List.clear();
    m_Entries.clear();
}

void TextureTable::AddUse(TextureEntry* entry)
{
    if (entry && entry->loadType != kTextureLoadType_Resident)
        ++entry->useCount;
}

void TextureTable::RemoveUse(TextureEntry* entry)
{
    if (entry && entry->loadType != kTextureLoadType_Resident && entry->useCount > 0)
        --entry->useCount;
}
