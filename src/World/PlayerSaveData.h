// The player's progress across plays and its save file "QMSave.sav" in the "save" folder of
// the per-user folder.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "World/Condition.h"

class StreamIO;
struct QuestReward;

constexpr int kSaveLevelCount = 6;
constexpr uint32_t kMaxExperience = 99999999u;
constexpr uint32_t kMaxQuestClearCount = 9999999u;
// The honour badges run 0..4. Levels have no badge or table end to bound them; the cap lies far
// past where any stat curve reaches its "max", and keeps level arithmetic inside an int.
constexpr int32_t kMaxHonourLevel = 4;
constexpr uint32_t kMaxSaveLevel = 9999u;

struct QuestProgress {
    uint32_t m_nSeen = 0;
    uint32_t m_nClearCount = 0;
};

class PlayerSaveData {
public:
    // Levels, experience and honour 0; the default accessory owned and equipped; no flags and
    // no quest progress.
    void Reset();

    // The folder of the save file, created when missing; true when it exists. When false,
    // reason (when given) says which folder could not be made and why.
    static bool GetSaveFolder(std::string& path, std::string* reason = nullptr);
    // Writes the save file; the previous file stays whole when anything fails. A save that
    // Read could not set aside is never written over: the write fails instead.
    bool Write(const std::string& fileName) const;
    // Reads the save file over the current data; a missing or foreign file changes nothing. A
    // file that cannot be read whole is reported and renamed to "<name>.bad" (or .bad2, ...)
    // so that the next write keeps the old bytes.
    void Read(const std::string& fileName);

    // The file image, and reading one from a stream (what Write and Read do past the folder).
    // ReadFrom is true when the stream held one whole save with every value in its bounds;
    // otherwise problem (when given) says what was wrong first. Values out of bounds are
    // clamped to them.
    std::string Serialize() const;
    bool ReadFrom(StreamIO& stream, std::string* problem = nullptr);

    void AddExperience(uint32_t amount);
    void AddAccessory(uint32_t key);
    bool HasAccessory(uint32_t key) const;
    void MarkQuestSeen(uint32_t questKey);
    void CountQuestClear(uint32_t questKey);
    uint32_t GetQuestClearCount(uint32_t questKey) const;
    // Grants every reward whose condition holds in the context and that is not held yet.
    void GrantRewards(const std::vector<QuestReward>& rewards, const ConditionContext& context);
    // Drops owned keys the accessory table does not know; an equipped key that is no longer
    // owned falls back to the default accessory.
    void ValidateAccessories();

    uint32_t m_aLevels[kSaveLevelCount] = {};
    uint32_t m_nExperience = 0;
    int32_t m_nHonourLevel = 0;
    uint32_t m_nEquippedAccessory = 0;
    std::vector<uint32_t> m_OwnedAccessories;
    uint32_t m_nFlagBits = 0;
    std::unordered_map<uint32_t, QuestProgress> m_QuestProgress;

private:
    // The native path of a save that could not be read whole and not yet be set aside.
    mutable std::string m_UnreadSavePath;
};

extern PlayerSaveData g_PlayerSaveData;
