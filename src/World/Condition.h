// Conditions in data: a ConditionSet is an OR of AND groups of Conditions; each compares a
// value of the running game (a value kind) with a number.
#pragma once

#include <cstdint>
#include <vector>

struct lua_State;
class GameObj;
class QuestController;

enum CompareOp : int32_t {
    eCompare_Never = 0,
    eCompare_Less = 1,
    eCompare_LessEqual = 2,
    eCompare_Equal = 3,
    eCompare_NotEqual = 4,
    eCompare_GreaterEqual = 5,
    eCompare_Greater = 6,
    eCompare_Always = 7,
    eCompare_max
};

// What the conditions are about: an object (may be absent) and the current stage's quest
// controller (may be absent), which knows the player's object.
struct ConditionContext {
    GameObj* m_pObject = nullptr;
    QuestController* m_pQuestController = nullptr;
};

struct Condition {
    int32_t m_nCompare = eCompare_Never;
    uint32_t m_nTarget = 0;   // value kind 1..33
    int32_t m_nArgument = 0;  // kind 31: the quest key
    float m_fValue = 0.0f;
    int32_t m_nPredicate = 0; // non-zero: the value is a percentage of a maximum (kinds 17, 18, 25)

    bool Test(const ConditionContext& context) const;
};

typedef std::vector<Condition> ConditionGroup;

struct ConditionSet {
    std::vector<ConditionGroup> m_Groups;

    // Reads the array of groups on top of the stack; a value that is not a table reads as the
    // empty set.
    static void Load(lua_State* L, ConditionSet& set);

    // True when some group has all its conditions true: an empty group holds, an empty set never.
    bool Evaluate(const ConditionContext& context) const;
};

// The value kinds that read components (the player's health and power, an enemy's state time, a
// body's distances, an animation) are read by functions the component layers register, since
// they sit above this one. A kind with a maximum (taken a percentage of) registers that too: it
// answers false when there is nothing to take the maximum of.
typedef float (*ConditionValueFn)(const ConditionContext& context);
typedef bool (*ConditionMaximumFn)(const ConditionContext& context, float& maximum);
void RegisterConditionKind(uint32_t kind, ConditionValueFn value, ConditionMaximumFn maximum = nullptr);

// The quest controller conditions on the current stage read (its root's), through the finder the
// game's layer registers; null without one.
void RegisterStageQuestControllerFinder(QuestController* (*finder)());
QuestController* FindStageQuestController();

// The left side of a condition of the given kind; 0 for a kind nobody registered.
float ConditionValue(const ConditionContext& context, uint32_t kind, int32_t argument);
// The right side: the value, or a percentage of a maximum when the predicate asks for one.
float ConditionRightSide(const ConditionContext& context, uint32_t kind, float value, int32_t predicate);
