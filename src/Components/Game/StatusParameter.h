// A character's numbers: seven stats, each a curve from a level, with the equipped accessory's
// modifiers. The player's levels come from the save data; every other character's from the
// running quest's level.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "World/Component.h"

struct AccessoryRecord;

enum StatId : int32_t {
    eStat_Health = 0,
    eStat_HealthRecharge,
    eStat_Attack,
    eStat_Defense,
    eStat_SpecialAtk,
    eStat_PowerRecharge,
    eStat_Experience,
    eStat_max
};

// Only the first number of each "table" pair and of "step" takes part in the value; both are
// kept, the upgrade screen prices levels with the second.
struct StatCurve {
    float init = 0.0f;
    float max = 0.0f;
    std::vector<std::pair<float, float>> table;
    std::pair<float, float> step = {0.0f, 0.0f};

    // init at level 0 or with no table; the table's entry min(L, n) (1-based) past that, plus
    // "step" per level beyond the table; "max" caps it in the direction of growth.
    float Value(int32_t level) const;
};

// The Lua key of each stat, in StatId order.
extern const char* const g_apStatKeys[eStat_max];

class StatusParameter : public Component {
public:
    static const ClassKey s_Class;

    explicit StatusParameter(GameObj* owner);

    // Resets the curves, reads each present stat table, "accessory" and "usePlayerData".
    bool Load(lua_State* L) override;
    // Refresh.
    bool Attach() override;
    bool IsKindOf(TypeKey key) const override;

    // Looks the accessory record up again and recomputes every value.
    void Refresh();
    float ComputeHealth(int32_t level) const;
    float ComputeHealthRecharge(int32_t level) const;
    float ComputeAttack(int32_t level) const;
    float ComputeDefense(int32_t level) const;
    float ComputeSpecialAtk(int32_t level) const;
    float ComputePowerRecharge(int32_t level) const;
    float ComputeExperience(int32_t level) const;
    // The accessory's modifier of one ability on a value (1 the point, 2 value + point,
    // 3 value + value x point); no record or another type leaves it.
    float ApplyAbility(int index, float value) const;

    const StatCurve& GetCurve(int stat) const { return m_aCurves[stat]; }
    StatCurve& GetCurve(int stat) { return m_aCurves[stat]; }
    const AccessoryRecord* GetAccessory() const { return m_pAccessory; }

    bool m_bUsePlayerData = false;
    uint32_t m_nAccessoryKey = 0;
    int32_t m_nHealth = 0;
    float m_fHealthRecharge = 0.0f;
    int32_t m_nAttack = 0;
    int32_t m_nDefense = 0;
    int32_t m_nSpecialAtk = 0;
    float m_fPowerRecharge = 0.0f;
    int32_t m_nExperience = 0;

private:
    StatCurve m_aCurves[eStat_max];
    const AccessoryRecord* m_pAccessory = nullptr;
};

// The same modifier rule on any record (null: the value unchanged).
float ApplyAccessoryAbility(const AccessoryRecord* record, int index, float value);
