// Quests: texts, stage, enemies, boss and rewards of each, keyed by the name id of the
// quest's Lua table name, and the quest being played.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "System/Common/NameHash.h"
#include "World/Condition.h"

enum RewardType : int32_t {
    eRewardType_Rank = 1,
    eRewardType_Flags = 2,
    eRewardType_Accessory = 3,
    eRewardType_Experience = 4,
    eRewardType_max
};

struct QuestRewardInfo {
    std::string m_Name;
    std::string m_Suggestion;
};

struct QuestReward {
    int32_t m_nRewardType = 0;
    uint32_t m_nRewardValue = 0; // an accessory key for eRewardType_Accessory
    ConditionSet m_Condition;
    std::string m_RewardText;
    std::vector<QuestRewardInfo> m_RewardInfo;
};

struct QuestMob {
    std::string m_Name;
    int32_t m_nRate = 0;
};

struct QuestObjective {
    std::string m_Name;
    float m_fTimeFrom = 0.0f;
    float m_fTimeTo = 0.0f;
    NameId m_nIcon = 0;
    int32_t m_nCount = 1; // at least 1
};

struct QuestFollower {
    std::string m_Name;
    float m_fPositionX = 0.0f;
    float m_fPositionY = 0.0f;
    float m_fRespawn = 0.0f;
};

struct QuestEnemyList {
    std::vector<QuestMob> m_Mobs;
    std::vector<QuestObjective> m_Objectives;
    int32_t m_nStrangerRate = 0;
    std::string m_StrangerName;
    float m_fStrangerTimeFrom = 0.0f;
    float m_fStrangerTimeTo = 0.0f;
    std::string m_BossName;
    float m_fBossPositionX = 0.0f;
    float m_fBossPositionY = 0.0f;
    std::string m_BossNextStage;
    uint32_t m_nBossFadeColor = 0xFFFFFFFFu; // packed, opaque white when not given
    std::vector<QuestFollower> m_Followers;
};

struct QuestRecord {
    int32_t m_nQuestId = 0;
    NameId m_nKey = 0;
    std::string m_QuestName;
    NameId m_nNameImage = 0;
    int32_t m_nMode = 0;
    uint32_t m_nFlagMask = 0;
    int32_t m_nInitialLevel = 0;
    std::string m_Explanation;
    std::vector<std::vector<std::string>> m_StartUpMessages;
    std::vector<std::vector<std::string>> m_ClearImpressions;
    QuestEnemyList m_EnemyList;
    std::string m_StageName;
    NameId m_nStageKey = 0;
    int32_t m_nAreaCount = 0;
    std::vector<QuestReward> m_Rewards;
};

class QuestTable {
public:
    // Runs every entry of the folder and reads the table named like each file.
    void Load(const std::string& folder);
    // Reads one quest table (on top of the stack) into a record under the table name's key.
    void ReadTable(lua_State* L, const std::string& tableName);
    // Reads the "enemyList" table on top of the stack.
    static void LoadEnemyList(lua_State* L, QuestEnemyList& list);

    bool Insert(NameId key, std::unique_ptr<QuestRecord> record);
    QuestRecord* Find(NameId key) const;
    // Appends the records whose flag mask lies within the flag bits and, unless the stage key
    // is 0, whose stage key is that one; then sorts the whole list stably by quest id.
    // True when the list is not empty.
    bool Query(std::vector<QuestRecord*>& out, uint32_t flagBits, NameId stageKey) const;
    void Clear();
    size_t GetCount() const { return m_Records.size(); }

    QuestRecord* m_pCurrentQuest = nullptr;

private:
    std::unordered_map<NameId, std::unique_ptr<QuestRecord>> m_Records;
};

extern QuestTable* g_pQuestTable;
