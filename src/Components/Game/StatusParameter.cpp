#include "Components/Game/StatusParameter.h"

#include <algorithm>

#include <lua.hpp>

#include "Components/Game/ActorController.h"
#include "Components/Game/QuestController.h"
#include "System/Common/NameHash.h"
#include "System/Lua/LuaTableReader.h"
#include "World/AccessoryTable.h"
#include "World/GameObj.h"
#include "World/PlayerSaveData.h"

const ClassKey StatusParameter::s_Class("StatusParameter");

const char* const g_apStatKeys[eStat_max] = {"health",     "healthRecharge", "attack",    "defense",
                                             "specialAtk", "powerRecharge",  "experience"};

namespace {

// A two-number array; missing numbers read 0.
std::pair<float, float> ReadPair(lua_State* L)
{
    std::pair<float, float> out = {0.0f, 0.0f};
    if (!lua_istable(L, -1))
        return out;
    lua_rawgeti(L, -1, 1);
    out.first = lua_isnumber(L, -1) ? LuaRoundToFloat(lua_tonumber(L, -1)) : 0.0f;
    lua_pop(L, 1);
    lua_rawgeti(L, -1, 2);
    out.second = lua_isnumber(L, -1) ? LuaRoundToFloat(lua_tonumber(L, -1)) : 0.0f;
    lua_pop(L, 1);
    return out;
}

void ReadCurve(lua_State* L, StatCurve& curve)
{
    curve.init = LuaGetFloatField(L, "init");
    curve.max = LuaGetFloatField(L, "max");
    lua_getfield(L, -1, "table");
    const size_t n = LuaGetItemCount(L);
    for (size_t i = 1; i <= n; ++i) {
        lua_rawgeti(L, -1, static_cast<lua_Integer>(i));
        curve.table.push_back(ReadPair(L));
        lua_pop(L, 1);
    }
    lua_pop(L, 1);
    lua_getfield(L, -1, "step");
    curve.step = ReadPair(L);
    lua_pop(L, 1);
}

} // namespace

float StatCurve::Value(int32_t level) const
{
    const int64_t n = static_cast<int64_t>(table.size());
    float value = init;
    if (level != 0 && n != 0)
        value = table[static_cast<size_t>(std::min<int64_t>(std::max<int64_t>(level, 1), n) - 1)].first;
    if (level > n)
        value += static_cast<float>(level - n) * step.first;
    if (max > init)
        value = std::min(value, max);
    else
        value = std::max(value, max);
    return value;
}

float ApplyAccessoryAbility(const AccessoryRecord* record, int index, float value)
{
    if (!record || index < 0 || index >= kAccessoryAbilityCount)
        return value;
    const AccessoryAbility& a = record->m_aAbilities[index];
    switch (a.m_nPointType) {
    case 1: return a.m_fPoint;
    case 2: return value + a.m_fPoint;
    case 3: return value + value * a.m_fPoint;
    default: return value;
    }
}

StatusParameter::StatusParameter(GameObj* owner) : Component(owner, s_Class) {}

bool StatusParameter::Load(lua_State* L)
{
    for (int i = 0; i < eStat_max; ++i) {
        m_aCurves[i] = StatCurve();
        lua_getfield(L, -1, g_apStatKeys[i]);
        if (lua_istable(L, -1))
            ReadCurve(L, m_aCurves[i]);
        lua_pop(L, 1);
    }
    const std::string accessory = LuaGetStringField(L, "accessory");
    m_nAccessoryKey = accessory.empty() ? 0 : HashName(accessory.c_str());
    m_bUsePlayerData = LuaGetBoolField(L, "usePlayerData");
    return true;
}

bool StatusParameter::Attach()
{
    Refresh();
    return true;
}

bool StatusParameter::IsKindOf(TypeKey key) const { return key == s_Class.Key; }

float StatusParameter::ApplyAbility(int index, float value) const
{
    return ApplyAccessoryAbility(m_pAccessory, index, value);
}

float StatusParameter::ComputeHealth(int32_t level) const
{
    return ApplyAbility(eAbility_Health, m_aCurves[eStat_Health].Value(level));
}
float StatusParameter::ComputeHealthRecharge(int32_t level) const
{
    return m_aCurves[eStat_HealthRecharge].Value(level);
}
float StatusParameter::ComputeAttack(int32_t level) const
{
    return ApplyAbility(eAbility_Attack, m_aCurves[eStat_Attack].Value(level));
}
float StatusParameter::ComputeDefense(int32_t level) const { return m_aCurves[eStat_Defense].Value(level); }
float StatusParameter::ComputeSpecialAtk(int32_t level) const
{
    return ApplyAbility(eAbility_SpecialAtk, m_aCurves[eStat_SpecialAtk].Value(level));
}
float StatusParameter::ComputePowerRecharge(int32_t level) const
{
    return ApplyAbility(eAbility_PowerRecharge, m_aCurves[eStat_PowerRecharge].Value(level));
}
float StatusParameter::ComputeExperience(int32_t level) const { return m_aCurves[eStat_Experience].Value(level); }

void StatusParameter::Refresh()
{
    const NameId key = m_nAccessoryKey ? m_nAccessoryKey : g_nDefaultAccessoryKey;
    m_pAccessory = g_pAccessoryTable ? g_pAccessoryTable->Find(key) : nullptr;
    int32_t levels[eStat_max] = {};
    if (m_bUsePlayerData) {
        for (int i = 0; i < kSaveLevelCount; ++i)
            levels[i] = static_cast<int32_t>(g_PlayerSaveData.m_aLevels[i]);
    } else {
        const QuestController* quest = FindRootQuestController();
        const int32_t level = quest ? quest->m_nQuestLevel : 0;
        for (int32_t& l : levels)
            l = level;
    }
    m_nHealth = LuaTruncateToInt32(ComputeHealth(levels[eStat_Health]));
    m_fHealthRecharge = ComputeHealthRecharge(levels[eStat_HealthRecharge]);
    m_nAttack = LuaTruncateToInt32(ComputeAttack(levels[eStat_Attack]));
    m_nDefense = LuaTruncateToInt32(ComputeDefense(levels[eStat_Defense]));
    m_nSpecialAtk = LuaTruncateToInt32(ComputeSpecialAtk(levels[eStat_SpecialAtk]));
    m_fPowerRecharge = ComputePowerRecharge(levels[eStat_PowerRecharge]);
    m_nExperience = m_bUsePlayerData ? 0 : LuaTruncateToInt32(ComputeExperience(levels[eStat_Experience]));
}
