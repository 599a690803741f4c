// The animation clips: named image and pose tracks read from the "animation_table" scripts of a
// folder, found by the name id of the clip name. Players borrow the clips; the table keeps them
// until it is destroyed.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "System/Common/NameHash.h"

struct AtlasEntry;
struct lua_State;

enum WrapMode : int32_t {
    eWrapMode_Once = 0, // plays once and ends; any value but 0 and 1 clamps like it yet never ends
    eWrapMode_Loop = 1,
};

enum PoseCurve : int16_t {
    ePoseCurve_Step = 0,       // 1
    ePoseCurve_Linear = 1,     // e
    ePoseCurve_EaseIn = 2,     // e^2
    ePoseCurve_EaseOut = 3,    // (2 - e) e
    ePoseCurve_SmoothStep = 4, // e^2 (3 - 2e)
    ePoseCurve_SlowMiddle = 5, // ((2e - 3) e + 2) e: fast, slow in the middle, fast again
    ePoseCurve_max
};

constexpr int kPoseChannelCount = 12;
// Channel 2 is a rotation, given in degrees and kept in radians.
constexpr int kPoseChannel_Rotation = 2;
constexpr float kDegreesToRadians = 0.01745329238474369f;

// One row of an atlas-sprite track: shown while its duration runs.
struct SheetFrame {
    const AtlasEntry* sprite = nullptr; // null: the row names no known sprite and changes nothing
    float duration = 0.0f;              // seconds
};

// One run of cells of a texture grid, numbered row by row from the top-left cell 0.
struct SpriteFrame {
    NameId textureId;
    float invTextureWidth;
    float invTextureHeight;
    float cellDuration; // seconds per cell
    int16_t cellWidth;
    int16_t cellHeight;
    int8_t firstCell;
    int8_t lastCell; // below firstCell: the run counts down
    int8_t cellCount;
    int8_t columns;
};
static_assert(sizeof(SpriteFrame) == 24, "a grid run is a 24-byte record");

struct TexcoordRect {
    NameId textureId = 0;
    int32_t textureWidth = 0, textureHeight = 0;
    float u0 = 0.0f, v0 = 0.0f, du = 0.0f, dv = 0.0f;
};

struct PoseKey {
    int16_t channel = 0; // 0..11
    int16_t curve = 0;   // PoseCurve; others add nothing
    float value = 0.0f;
    float start = 0.0f, end = 0.0f, length = 0.0f; // seconds; length = end - start
    uint8_t flag = 0;                              // bit 0: once past its end, holds its full value
};
constexpr uint8_t kPoseKeyFlag_Hold = 1;

class AnimationClip {
public:
    uint32_t m_nFlags = 0;
    int32_t m_nWrapMode = eWrapMode_Once;
    float m_fLength = 0.0f; // the image track's length, or the pose track's when that is longer

    std::vector<SpriteFrame> m_SpriteFrames; // grid-cell track
    float m_fSpriteLength = 0.0f;
    std::vector<SheetFrame> m_SheetFrames; // atlas-sprite track
    float m_fSheetLength = 0.0f;
    bool m_bHasTexcoord = false;
    TexcoordRect m_Texcoord;
    bool m_bHasPose = false; // an empty pose track still sets the pose to 0 each evaluation
    std::vector<PoseKey> m_PoseKeys;
    float m_fPoseLength = 0.0f;
    std::string m_Name;

    bool HasSheet() const { return !m_SheetFrames.empty(); }
    bool HasSprite() const { return !m_SpriteFrames.empty(); }
};

class AnimationTable {
public:
    AnimationTable() = default;
    ~AnimationTable();
    AnimationTable(const AnimationTable&) = delete;
    AnimationTable& operator=(const AnimationTable&) = delete;

    // Reads every script whose archive name matches folder + "*", in name order; textures and
    // atlas sprites are looked up in g_pTextureTable and g_pAtlasTable, which must be loaded
    // first. The first definition of a clip name stays.
    void LoadFolder(const std::string& folder);
    // Reads the "animation_table" table on top of the stack; scriptName names the file in errors.
    // Tracks, runs and keys that evaluation could not show are dropped with an error.
    void ReadAnimationTable(lua_State* L, const std::string& scriptName);
    const AnimationClip* Find(NameId id) const;
    size_t GetCount() const { return m_List.size(); }
    // The clips in the order they were read.
    const std::vector<AnimationClip*>& GetList() const { return m_List; }
    // Deletes every clip; players bound to them must be gone.
    void Destroy();

private:
    std::vector<AnimationClip*> m_List; // in insertion order
    std::unordered_map<NameId, AnimationClip*> m_Clips;
};

extern AnimationTable* g_pAnimationTable;
