#include "World/Condition.h"

#include <cfloat>
#include <cmath>

#include <lua.hpp>

#include "System/Common/Random.h"
#include "System/Lua/LuaTableReader.h"
#include "World/AccessoryTable.h"
#include "World/DataTableLoader.h"
#include "World/GameObj.h"
#include "World/PlayStatistics.h"
#include "World/PlayerSaveData.h"

namespace {

// Every record of the accessory table, the default included, is owned. Without a table there
// is nothing to collect.
bool OwnsEveryAccessory()
{
    if (!g_pAccessoryTable)
        return false;
    for (const auto& entry : g_pAccessoryTable->GetRecords()) {
        if (!g_PlayerSaveData.HasAccessory(entry.first))
            return false;
    }
    return true;
}

// The kinds the component layers read, by kind (1..33).
constexpr uint32_t kKindCount = 34;
struct KindReader {
    ConditionValueFn value = nullptr;
    ConditionMaximumFn maximum = nullptr;
};
KindReader s_Readers[kKindCount];
QuestController* (*s_pfnFindQuestController)() = nullptr;

} // namespace

void RegisterStageQuestControllerFinder(QuestController* (*finder)()) { s_pfnFindQuestController = finder; }

QuestController* FindStageQuestController() { return s_pfnFindQuestController ? s_pfnFindQuestController() : nullptr; }

void RegisterConditionKind(uint32_t kind, ConditionValueFn value, ConditionMaximumFn maximum)
{
    if (kind < kKindCount)
        s_Readers[kind] = KindReader{value, maximum};
}

float ConditionValue(const ConditionContext& context, uint32_t kind, int32_t argument)
{
    switch (kind) {
    case 1: case 2: case 3: case 4: case 5: case 6: case 7: case 8:
    case 9: case 10: case 11: case 12: case 13: case 14: case 15: case 16:
    case 19: case 20: case 21: case 22: case 23:
        return g_PlayStatistics.GetByKind(kind);
    case 24:
        return static_cast<float>(g_PlayerSaveData.m_nEquippedAccessory);
    case 28: // distance to the quest controller's second object, a slot nothing fills
        return FLT_MAX;
    case 31:
        return static_cast<float>(g_PlayerSaveData.GetQuestClearCount(static_cast<uint32_t>(argument)));
    case 32:
        return static_cast<float>(RandomNext() % 100u);
    case 33:
        return OwnsEveryAccessory() ? 1.0f : 0.0f;
    default:
        return kind < kKindCount && s_Readers[kind].value ? s_Readers[kind].value(context) : 0.0f;
    }
}

float ConditionRightSide(const ConditionContext& context, uint32_t kind, float value, int32_t predicate)
{
    if (predicate == 0)
        return value;
    float maximum = 0.0f;
    if (kind >= kKindCount || !s_Readers[kind].maximum || !s_Readers[kind].maximum(context, maximum))
        return value;
    return static_cast<float>(value * 0.009999999776482582) * maximum;
}

bool Condition::Test(const ConditionContext& context) const
{
    if (m_nCompare == eCompare_Always)
        return true;
    if (m_nCompare == eCompare_Never)
        return false;
    double left = ConditionValue(context, m_nTarget, m_nArgument);
    double right = ConditionRightSide(context, m_nTarget, m_fValue, m_nPredicate);
    switch (m_nCompare) {
    case eCompare_Less: return left < right;
    case eCompare_LessEqual: return left <= right;
    case eCompare_Equal: return left == right;
    case eCompare_NotEqual: return left != right;
    case eCompare_GreaterEqual: return left >= right;
    case eCompare_Greater: return left > right;
    default: return false;
    }
}

bool ConditionSet::Evaluate(const ConditionContext& context) const
{
    for (const ConditionGroup& group : m_Groups) {
        bool holds = true;
        for (const Condition& condition : group) {
            if (!condition.Test(context)) {
                holds = false;
                break;
            }
        }
        if (holds)
            return true;
    }
    return false;
}

void ConditionSet::Load(lua_State* L, ConditionSet& set)
{
    if (!lua_istable(L, -1)) {
        set.m_Groups.clear();
        return;
    }
    size_t groupCount = LuaGetItemCount(L);
    set.m_Groups.resize(groupCount);
    for (size_t i = 0; i < groupCount; ++i) {
        ConditionGroup& group = set.m_Groups[i];
        lua_rawgeti(L, -1, static_cast<int>(i + 1));
        size_t count = LuaGetItemCount(L);
        group.resize(count);
        for (size_t j = 0; j < count; ++j) {
            Condition& condition = group[j];
            condition = Condition();
            lua_rawgeti(L, -1, static_cast<int>(j + 1));
            if (lua_istable(L, -1)) {
                condition.m_nCompare = LuaGetIntField(L, "compare");
                condition.m_nTarget = LuaGetUIntField(L, "target");
                condition.m_nPredicate = LuaGetIntField(L, "predicate");
                condition.m_fValue = LuaGetFloatField(L, "value");
                if (condition.m_nTarget == 31)
                    condition.m_nArgument = static_cast<int32_t>(LuaGetHashField(L, "type"));
                else
                    condition.m_nArgument = LuaGetIntField(L, "type");
            }
            lua_pop(L, 1);
        }
        lua_pop(L, 1);
    }
}
