#include "World/QuestTable.h"

#include <algorithm>

#include <lua.hpp>

#include "System/Graphics/Color.h"
#include "System/Lua/LuaTableReader.h"
#include "World/DataTableLoader.h"

QuestTable* g_pQuestTable = nullptr;

bool QuestTable::Insert(NameId key, std::unique_ptr<QuestRecord> record)
{
    return m_Records.emplace(key, std::move(record)).second;
}

QuestRecord* QuestTable::Find(NameId key) const
{
    auto it = m_Records.find(key);
    return it == m_Records.end() ? nullptr : it->second.get();
}

bool QuestTable::Query(std::vector<QuestRecord*>& out, uint32_t flagBits, NameId stageKey) const
{
    for (const auto& entry : m_Records) {
        QuestRecord* record = entry.second.get();
        if ((record->m_nFlagMask & flagBits) != record->m_nFlagMask)
            continue;
        if (stageKey != 0 && record->m_nStageKey != stageKey)
            continue;
        out.push_back(record);
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const QuestRecord* a, const QuestRecord* b) { return a->m_nQuestId < b->m_nQuestId; });
    return !out.empty();
}

void QuestTable::Clear()
{
    m_pCurrentQuest = nullptr;
    std::unordered_map<NameId, std::unique_ptr<QuestRecord>>().swap(m_Records);
}

namespace {

std::vector<std::vector<std::string>> ReadLineGroups(lua_State* L, const char* name)
{
    std::vector<std::vector<std::string>> groups;
    lua_getfield(L, -1, name);
    if (lua_istable(L, -1)) {
        size_t count = LuaGetItemCount(L);
        groups.resize(count);
        for (size_t i = 0; i < count; ++i) {
            lua_rawgeti(L, -1, static_cast<int>(i + 1));
            if (lua_istable(L, -1)) {
                size_t lines = LuaGetItemCount(L);
                for (size_t j = 0; j < lines; ++j)
                    groups[i].push_back(LuaGetStringItem(L, static_cast<int>(j)));
            }
            lua_pop(L, 1);
        }
    }
    lua_pop(L, 1);
    return groups;
}

void ReadPosition(lua_State* L, float& x, float& y)
{
    WithTableField(L, "position", [&] {
        x = LuaGetFloatField(L, "x");
        y = LuaGetFloatField(L, "y");
    });
}

void ReadTimeRange(lua_State* L, float& from, float& to)
{
    WithTableField(L, "time", [&] {
        from = LuaGetFloatItem(L, 0);
        to = LuaGetFloatItem(L, 1);
    });
}

// A Lua colour {r, g, b, a} of bytes, packed as every colour of the renderers is (0xAARRGGBB).
uint32_t ReadPackedColor(lua_State* L)
{
    const float kInv255 = 0.003921568859368563f;
    auto channel = [&](const char* name) { return static_cast<float>(LuaGetByteField(L, name)) * kInv255; };
    const float a = channel("a"), r = channel("r"), g = channel("g"), b = channel("b");
    return PackColor(a, r, g, b);
}

QuestReward ReadReward(lua_State* L)
{
    QuestReward reward;
    reward.m_nRewardType = LuaGetIntField(L, "rewardType");
    reward.m_nRewardValue = reward.m_nRewardType == eRewardType_Accessory ? LuaGetHashField(L, "rewardValue")
                                                                           : LuaGetUIntField(L, "rewardValue");
    reward.m_RewardText = LuaGetStringField(L, "rewardText");
    lua_getfield(L, -1, "condition");
    if (lua_isnil(L, -1))
        reward.m_Condition.m_Groups.assign(1, ConditionGroup(1, Condition{eCompare_Always, 0, 0, 0.0f, 0}));
    else
        ConditionSet::Load(L, reward.m_Condition);
    lua_pop(L, 1);
    lua_getfield(L, -1, "rewardInfo");
    if (lua_istable(L, -1)) {
        ForEachTableItem(L, [&](int) {
            reward.m_RewardInfo.push_back({LuaGetStringField(L, "name"), LuaGetStringField(L, "suggestion")});
        });
    }
    lua_pop(L, 1);
    return reward;
}

} // namespace

void QuestTable::Load(const std::string& folder)
{
    LoadDataTableFolder(folder, [this](lua_State* L, const std::string& tableName, const std::string&) {
        ReadTable(L, tableName);
    });
}

void QuestTable::LoadEnemyList(lua_State* L, QuestEnemyList& list)
{
    WithTableField(L, "mobs", [&] {
        ForEachTableItem(L, [&](int) { list.m_Mobs.push_back({LuaGetStringField(L, "name"), LuaGetIntField(L, "rate")}); });
    });
    WithTableField(L, "objectives", [&] {
        ForEachTableItem(L, [&](int) {
            QuestObjective objective;
            objective.m_Name = LuaGetStringField(L, "name");
            ReadTimeRange(L, objective.m_fTimeFrom, objective.m_fTimeTo);
            objective.m_nIcon = HashName(LuaGetStringField(L, "icon"));
            objective.m_nCount = std::max(LuaGetIntField(L, "count"), 1);
            list.m_Objectives.push_back(objective);
        });
    });
    WithTableField(L, "stranger", [&] {
        list.m_nStrangerRate = LuaGetIntField(L, "rate");
        list.m_StrangerName = LuaGetStringField(L, "name");
        ReadTimeRange(L, list.m_fStrangerTimeFrom, list.m_fStrangerTimeTo);
    });
    WithTableField(L, "boss", [&] {
        list.m_BossName = LuaGetStringField(L, "name");
        ReadPosition(L, list.m_fBossPositionX, list.m_fBossPositionY);
        list.m_BossNextStage = LuaGetStringField(L, "nextStage");
        WithTableField(L, "fadeColor", [&] { list.m_nBossFadeColor = ReadPackedColor(L); });
        WithTableField(L, "follower", [&] {
            ForEachTableItem(L, [&](int) {
                QuestFollower follower;
                follower.m_Name = LuaGetStringField(L, "name");
                ReadPosition(L, follower.m_fPositionX, follower.m_fPositionY);
                follower.m_fRespawn = LuaGetFloatField(L, "respawn");
                list.m_Followers.push_back(follower);
            });
        });
    });
}

void QuestTable::ReadTable(lua_State* L, const std::string& tableName)
{
    NameId key = HashName(tableName);
    if (m_Records.count(key))
        return;
    auto record = std::make_unique<QuestRecord>();
    record->m_nQuestId = LuaGetIntField(L, "questId");
    record->m_nKey = key;
    record->m_QuestName = LuaGetStringField(L, "questName");
    record->m_nNameImage = HashName(LuaGetStringField(L, "questNameImage"));
    record->m_nMode = LuaGetIntField(L, "questMode");
    record->m_nFlagMask = LuaGetUIntField(L, "questFlags");
    record->m_nInitialLevel = LuaGetIntField(L, "questInitLevel");
    record->m_Explanation = LuaGetStringField(L, "explain");
    record->m_StartUpMessages = ReadLineGroups(L, "startUpMessage");
    record->m_ClearImpressions = ReadLineGroups(L, "clearImpression");
    WithTableField(L, "enemyList", [&] { LoadEnemyList(L, record->m_EnemyList); });
    WithTableField(L, "stage", [&] {
        record->m_StageName = LuaGetStringField(L, "name");
        record->m_nStageKey = HashName(record->m_StageName);
        record->m_nAreaCount = LuaGetIntField(L, "areaCount");
    });
    WithTableField(L, "rewards", [&] { ForEachTableItem(L, [&](int) { record->m_Rewards.push_back(ReadReward(L)); }); });
    Insert(key, std::move(record));
}
