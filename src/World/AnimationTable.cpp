#include "World/AnimationTable.h"

#include <lua.hpp>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "System/Common/Log.h"
#include "System/Graphics/AtlasTable.h"
#include "System/Graphics/TableScripts.h"
#include "System/Graphics/TextureTable.h"
#include "System/Lua/LuaTableReader.h"

AnimationTable* g_pAnimationTable = nullptr;

namespace {

// The clip being read, for the error lines.
struct ClipSource {
    const std::string& file;
    const std::string& clip;
};

std::ostream& operator<<(std::ostream& out, const ClipSource& source)
{
    return out << "Animation table " << source.file << ", clip \"" << source.clip << "\": ";
}

// Item index (0-based) of the array on top as a float, rounded like a float field.
float GetFloatItem(lua_State* L, int index)
{
    lua_rawgeti(L, -1, index + 1);
    const float value = LuaRoundToFloat(lua_tonumberx(L, -1, nullptr));
    lua_pop(L, 1);
    return value;
}

// Seconds per frame of a track: "frame_per_sec" of the table on top, 30 when 0 or absent. A
// negative rate (or no number) would give the clip a negative length: it plays at 30, with an
// error.
float ReadFrameTime(lua_State* L, const ClipSource& source, const char* track)
{
    float rate = LuaGetFloatField(L, "frame_per_sec");
    if (!(rate >= 0.0f)) {
        LOG_ERROR << source << "the \"" << track << "\" \"frame_per_sec\" " << rate
                  << " is not positive; 30 is used.";
        rate = 0.0f;
    }
    if (rate == 0.0f)
        rate = 30.0f;
    return 1.0f / rate;
}

// Pushes the "animation" array of the track table on top and returns its item count; the
// caller pops it. 0 when it is missing or empty, with an error: a track without rows has no
// last row for evaluation to fall back on.
size_t PushTrackRows(lua_State* L, const ClipSource& source, const char* track)
{
    lua_getfield(L, -1, "animation");
    const size_t count = LuaGetItemCount(L);
    if (count == 0)
        LOG_ERROR << source << "the \"" << track << "\" has no \"animation\" rows; the track is dropped.";
    return count;
}

void ReadSheet(lua_State* L, const ClipSource& source, AnimationClip& clip)
{
    const float frameTime = ReadFrameTime(L, source, "animationSheet");
    const size_t count = PushTrackRows(L, source, "animationSheet");
    for (size_t i = 1; i <= count; ++i) {
        lua_rawgeti(L, -1, static_cast<lua_Integer>(i));
        if (lua_istable(L, -1)) {
            SheetFrame frame;
            const NameId spriteId = HashName(LuaGetStringItem(L, 0));
            frame.sprite = g_pAtlasTable ? g_pAtlasTable->Find(spriteId) : nullptr;
            frame.duration = static_cast<float>(LuaGetIntItem(L, 1)) * frameTime;
            clip.m_SheetFrames.push_back(frame);
            clip.m_fSheetLength += frame.duration;
        } else {
            LOG_ERROR << source << "\"animationSheet\" row " << i << " is not a table; it is left out.";
        }
        lua_pop(L, 1);
    }
    lua_pop(L, 1);
    if (count != 0 && clip.m_SheetFrames.empty())
        LOG_ERROR << source << "the \"animationSheet\" has no usable rows; the track is dropped.";
}

// One run {texture name, first cell, last cell, frames per cell} of the array item on top;
// false (with an error) when its cells cannot be placed on the texture.
bool ReadRun(lua_State* L, const ClipSource& source, size_t index, int16_t cellWidth, int16_t cellHeight,
             float frameTime, SpriteFrame& run)
{
    const std::string textureName = LuaGetStringItem(L, 0);
    const TextureEntry* texture = g_pTextureTable ? g_pTextureTable->Find(HashName(textureName)) : nullptr;
    if (!texture) {
        LOG_ERROR << source << "\"sprite_anim\" run " << index << " names the texture \"" << textureName
                  << "\", which is not in the texture table; the run is dropped.";
        return false;
    }
    if (texture->width == 0 || texture->height == 0) {
        LOG_ERROR << source << "\"sprite_anim\" run " << index << ": the texture \"" << textureName
                  << "\" has no size; the run is dropped.";
        return false;
    }
    // The columns are kept in a signed byte and divide the cell number.
    const int64_t columns = cellWidth > 0 ? int64_t(texture->width) / cellWidth : 0;
    if (columns < 1 || columns > 127) {
        LOG_ERROR << source << "\"sprite_anim\" run " << index << ": cells " << cellWidth << " wide make "
                  << columns << " columns on the texture \"" << textureName << "\" (" << texture->width
                  << " wide), not 1 to 127; the run is dropped.";
        return false;
    }
    // The cells and their count are kept in signed bytes too: past 127 they would wrap into a
    // negative count and length, and a cell below 0 lies off the texture.
    const int64_t first = LuaGetIntItem(L, 1), last = LuaGetIntItem(L, 2);
    if (first < 0 || last < 0 || first > 127 || last > 127 || std::abs(last - first) + 1 > 127) {
        LOG_ERROR << source << "\"sprite_anim\" run " << index << " covers cells " << first << " to " << last
                  << ": only cells 0 to 127 and runs of up to 127 cells fit; the run is dropped.";
        return false;
    }
    run.textureId = HashName(textureName);
    run.invTextureWidth = 1.0f / static_cast<float>(texture->width);
    run.invTextureHeight = 1.0f / static_cast<float>(texture->height);
    run.cellDuration = static_cast<float>(LuaGetIntItem(L, 3)) * frameTime;
    run.cellWidth = cellWidth;
    run.cellHeight = cellHeight;
    run.firstCell = static_cast<int8_t>(first);
    run.lastCell = static_cast<int8_t>(last);
    run.cellCount = static_cast<int8_t>(std::abs(int(run.lastCell) - int(run.firstCell)) + 1);
    run.columns = static_cast<int8_t>(columns);
    return true;
}

void ReadSpriteAnim(lua_State* L, const ClipSource& source, AnimationClip& clip)
{
    const float frameTime = ReadFrameTime(L, source, "sprite_anim");
    int16_t cellWidth = 0, cellHeight = 0;
    lua_getfield(L, -1, "spriteSize");
    if (lua_istable(L, -1)) {
        cellWidth = static_cast<int16_t>(LuaGetIntField(L, "x"));
        cellHeight = static_cast<int16_t>(LuaGetIntField(L, "y"));
    }
    lua_pop(L, 1);

    const size_t count = PushTrackRows(L, source, "sprite_anim");
    for (size_t i = 1; i <= count; ++i) {
        lua_rawgeti(L, -1, static_cast<lua_Integer>(i));
        SpriteFrame run{};
        if (!lua_istable(L, -1))
            LOG_ERROR << source << "\"sprite_anim\" run " << i << " is not a table; it is left out.";
        else if (ReadRun(L, source, i, cellWidth, cellHeight, frameTime, run)) {
            clip.m_SpriteFrames.push_back(run);
            clip.m_fSpriteLength += static_cast<float>(run.cellCount) * run.cellDuration;
        }
        lua_pop(L, 1);
    }
    lua_pop(L, 1);
    if (count != 0 && clip.m_SpriteFrames.empty())
        LOG_ERROR << source << "the \"sprite_anim\" has no usable runs; the track is dropped.";
}

void ReadTexcoord(lua_State* L, AnimationClip& clip)
{
    const NameId textureId = HashName(LuaGetStringItem(L, 0));
    const TextureEntry* texture = g_pTextureTable ? g_pTextureTable->Find(textureId) : nullptr;
    if (!texture)
        return;
    const float x = static_cast<int16_t>(LuaGetIntItem(L, 1));
    const float y = static_cast<int16_t>(LuaGetIntItem(L, 2));
    const float width = static_cast<int16_t>(LuaGetIntItem(L, 3));
    const float height = static_cast<int16_t>(LuaGetIntItem(L, 4));
    const float textureWidth = static_cast<float>(texture->width);
    const float textureHeight = static_cast<float>(texture->height);
    TexcoordRect& rect = clip.m_Texcoord;
    rect.textureId = textureId;
    rect.textureWidth = static_cast<int32_t>(texture->width);
    rect.textureHeight = static_cast<int32_t>(texture->height);
    rect.u0 = x / textureWidth;
    rect.v0 = y / textureHeight;
    rect.du = width / textureWidth;
    rect.dv = height / textureHeight;
    clip.m_bHasTexcoord = true;
}

void ReadPose(lua_State* L, const ClipSource& source, AnimationClip& clip)
{
    clip.m_bHasPose = true;
    const size_t count = LuaGetItemCount(L);
    bool first = true;
    for (size_t i = 1; i <= count; ++i) {
        lua_rawgeti(L, -1, static_cast<lua_Integer>(i));
        if (!lua_istable(L, -1)) {
            LOG_ERROR << source << "\"pose_anim\" key " << i << " is not a table; it is left out.";
            lua_pop(L, 1);
            continue;
        }
        PoseKey key;
        key.channel = static_cast<int16_t>(LuaGetIntItem(L, 0));
        key.curve = static_cast<int16_t>(LuaGetIntItem(L, 1));
        key.value = GetFloatItem(L, 2);
        key.start = GetFloatItem(L, 3);
        key.end = GetFloatItem(L, 4);
        key.flag = static_cast<uint8_t>(LuaGetIntItem(L, 5));
        lua_pop(L, 1);
        if (key.channel < 0 || key.channel >= kPoseChannelCount) {
            LOG_ERROR << source << "\"pose_anim\" key " << i << " keys channel " << key.channel
                      << ", not 0 to 11; the key is dropped.";
            continue;
        }
        // An endless or undefined number would carry NaN into the object's transform.
        if (!std::isfinite(key.value) || !std::isfinite(key.start) || !std::isfinite(key.end) ||
            !std::isfinite(key.end - key.start)) {
            LOG_ERROR << source << "\"pose_anim\" key " << i
                      << " has a value, start or end that is not a finite number; the key is dropped.";
            continue;
        }
        if (key.channel == kPoseChannel_Rotation)
            key.value *= kDegreesToRadians;
        key.length = key.end - key.start;
        // A key without a span jumps to its value at its start; a curve over it would be 0 / 0.
        if (key.length == 0.0f && key.curve > ePoseCurve_Step && key.curve < ePoseCurve_max)
            key.curve = ePoseCurve_Step;
        clip.m_fPoseLength = first ? key.end : std::max(clip.m_fPoseLength, key.end);
        first = false;
        clip.m_PoseKeys.push_back(key);
    }
}

void ReadClip(lua_State* L, const ClipSource& source, AnimationClip& clip)
{
    clip.m_nFlags = LuaGetUIntField(L, "flags");
    clip.m_nWrapMode = LuaGetIntField(L, "wrapMode");

    lua_getfield(L, -1, "animationSheet");
    if (lua_istable(L, -1))
        ReadSheet(L, source, clip);
    lua_pop(L, 1);

    if (!clip.HasSheet()) {
        lua_getfield(L, -1, "sprite_anim");
        if (lua_istable(L, -1))
            ReadSpriteAnim(L, source, clip);
        lua_pop(L, 1);
    }

    if (!clip.HasSprite()) {
        lua_getfield(L, -1, "texcoord");
        if (lua_istable(L, -1))
            ReadTexcoord(L, clip);
        lua_pop(L, 1);
    }

    lua_getfield(L, -1, "pose_anim");
    if (lua_istable(L, -1))
        ReadPose(L, source, clip);
    lua_pop(L, 1);

    clip.m_fLength = clip.HasSheet() ? clip.m_fSheetLength : clip.HasSprite() ? clip.m_fSpriteLength : 0.0f;
    if (clip.m_bHasPose && clip.m_fPoseLength > clip.m_fLength)
        clip.m_fLength = clip.m_fPoseLength;
}

} // namespace

AnimationTable::~AnimationTable() { Destroy(); }

void AnimationTable::LoadFolder(const std::string& folder)
{
    LoadTableScripts(folder, "animation_table",
                     [this](lua_State* L, const std::string& name) { ReadAnimationTable(L, name); });
}

void AnimationTable::ReadAnimationTable(lua_State* L, const std::string& scriptName)
{
    if (!lua_istable(L, -1))
        return;
    lua_pushnil(L);
    while (lua_next(L, -2) != 0) {
        if (lua_type(L, -2) != LUA_TSTRING) {
            LOG_ERROR << "Animation table " << scriptName << ": a clip is keyed by a "
                      << lua_typename(L, lua_type(L, -2)) << ", not a name; it is left out.";
        } else {
            const std::string name = lua_tostring(L, -2);
            const NameId id = HashName(name);
            if (!lua_istable(L, -1)) {
                LOG_ERROR << "Animation table " << scriptName << ", clip \"" << name << "\": the clip is a "
                          << lua_typename(L, lua_type(L, -1)) << ", not a table; it is left out.";
            } else if (m_Clips.find(id) == m_Clips.end()) {
                auto* clip = new AnimationClip;
                clip->m_Name = name;
                ReadClip(L, ClipSource{scriptName, name}, *clip);
                m_Clips.emplace(id, clip);
                m_List.push_back(clip);
            }
        }
        lua_pop(L, 1);
    }
}

const AnimationClip* AnimationTable::Find(NameId id) const
{
    auto it = m_Clips.find(id);
    return it == m_Clips.end() ? nullptr : it->second;
}

void AnimationTable::Destroy()
{
    for (AnimationClip* clip : m_List)
        delete clip;
    m_List.clear();
    m_Clips.clear();
}
