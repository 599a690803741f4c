#include "System/Graphics/AtlasTable.h"

#include <memory>

#include <lua.hpp>

#include "System/Common/Log.h"
#include "System/Common/StringUtil.h"
#include "System/Graphics/TableScripts.h"
#include "System/Lua/LuaTableReader.h"

AtlasTable* g_pAtlasTable = nullptr;

namespace {

std::string WithoutExtension(const std::string& name)
{
    std::string extension, base;
    SplitExtension(name, extension, base);
    return base;
}

// Reads x, y, width and height (whichever are asked for) of the table field `field`; 0 for
// anything missing.
void ReadRect(lua_State* L, const char* field, float* x, float* y, float* width, float* height)
{
    const bool pushed = LuaPushPath(L, field);
    const bool found = pushed && lua_istable(L, -1);
    if (x)
        *x = found ? LuaGetFloatField(L, "x") : 0.0f;
    if (y)
        *y = found ? LuaGetFloatField(L, "y") : 0.0f;
    if (width)
        *width = found ? LuaGetFloatField(L, "width") : 0.0f;
    if (height)
        *height = found ? LuaGetFloatField(L, "height") : 0.0f;
    if (pushed)
        lua_pop(L, 1);
}

} // namespace

AtlasTable::~AtlasTable() { Destroy(); }

void AtlasTable::LoadFolder(const std::string& folder)
{
    LoadTableScripts(folder, "spriteSheet",
                     [this](lua_State* L, const std::string& name) { ReadSpriteSheet(L, name); });
}

void AtlasTable::ReadSpriteSheet(lua_State* L, const std::string& scriptName)
{
    if (!lua_istable(L, -1))
        return;
    const std::string texture = LuaGetStringField(L, "texture");
    const NameId textureId = HashName(WithoutExtension(texture));
    float width = 0.0f, height = 0.0f;
    ReadRect(L, "textureSize", nullptr, nullptr, &width, &height);
    // The sprite rectangles are divided by the sheet's size: without a size every one of them
    // would come out infinite.
    if (!(width > 0.0f) || !(height > 0.0f)) {
        LOG_ERROR << "Sprite sheet " << scriptName << ": the texture size of " << texture
                  << " is missing or not positive; its sprites are left out.";
        return;
    }
    lua_getfield(L, -1, "sprites");
    if (lua_istable(L, -1)) {
        const size_t count = LuaGetItemCount(L);
        for (size_t i = 1; i <= count; ++i) {
            lua_rawgeti(L, -1, static_cast<lua_Integer>(i));
            if (lua_istable(L, -1))
                ReadSprite(L, textureId, width, height);
            lua_pop(L, 1);
        }
    }
    lua_pop(L, 1);
}

void AtlasTable::ReadSprite(lua_State* L, NameId textureId, float textureWidth, float textureHeight)
{
    // Owned here until it is in the table: a read below may raise a Lua error and unwind.
    auto entry = std::make_unique<AtlasEntry>();
    entry->name = WithoutExtension(LuaGetStringField(L, "name"));
    entry->textureId = textureId;

    float sx, sy, sw, sh, ow, oh, ux, uy, uw, uh;
    ReadRect(L, "sourceRect", &sx, &sy, &sw, &sh);
    ReadRect(L, "originalSize", nullptr, nullptr, &ow, &oh);
    ReadRect(L, "uvRect", &ux, &uy, &uw, &uh);

    entry->u0 = ux / textureWidth;
    entry->v0 = uy / textureHeight;
    entry->du = uw / textureWidth;
    entry->dv = uh / textureHeight;
    entry->sourceWidth = LuaTruncateToInt32(sw);
    entry->sourceHeight = LuaTruncateToInt32(sh);
    entry->originalWidth = LuaTruncateToInt32(ow);
    entry->originalHeight = LuaTruncateToInt32(oh);
    entry->offsetX = (sx + sw / 2.0f) - ow / 2.0f;
    entry->offsetY = (sy + sh / 2.0f) - oh / 2.0f;

    const NameId key = HashName(entry->name);
    if (!m_Entries.emplace(key, entry.get()).second)
        return;
    m_List.push_back(entry.release());
}

const AtlasEntry* AtlasTable::Find(NameId id) const
{
    auto it = m_Entries.find(id);
    return it == m_Entries.end() ? nullptr : it->second;
}

void AtlasTable::Destroy()
{
    for (AtlasEntry* entry : m_List)
        delete entry;
    m_List.clear();
    m_Entries.clear();
}
