// Lays a stage out as a row of areas 1024 units apart: the listed areas in order, or an order
// drawn from weighted rules and the current quest's area count. It then sizes the collision
// world's tree and the stage bounds to the row, and carries the stage's blur colour.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "World/Component.h"

enum StageRuleType : int32_t {
    eStageRule_Random = 0,  // random areas
    eStageRule_NoRepeat = 1, // random areas, never one twice in a row within one draw
    eStageRule_Shuffle = 2,  // consecutive entries of a shuffled permutation
};

struct StageRule {
    int32_t type;
    int32_t countA; // the two ends of an inclusive range, either way round
    int32_t countB;
};

// Fisher-Yates from the end with the random pool; nothing for fewer than two entries.
void ShuffleIndices(int32_t* begin, int32_t* end);

class StageGenerator : public Component {
public:
    static const ClassKey s_Class;
    // Rules that fill nothing this many draws in a row end the drawing.
    static constexpr int kMaxFruitlessDraws = 1000;
    // The most areas a quest may ask for: every one is an object tree built in one frame.
    static constexpr int32_t kMaxAreaCount = 256;

    explicit StageGenerator(GameObj* owner);

    // "rules" ({countA, countB, type} each), "areas" (prototype names), "blurColor" {r, g, b, a}
    // (each channel's low 8 bits) and "generateType" (non-zero: the listed order).
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    // Places the row under the owner, then sizes the tree and bounds to it, even when nothing
    // was placed. A generator inside another's row does nothing (it would nest rows forever).
    void Start() override;

    // The area indices of the row in order: the listed ones, or the drawn ones. Also gives the
    // number of areas the tree and bounds count.
    std::vector<int32_t> ChooseAreas(int32_t& counted) const;

    int32_t m_nGenerateType = 0;
    std::vector<StageRule> m_Rules;
    std::vector<std::string> m_Areas;
    // Alpha, red, green, blue in that order.
    uint8_t m_aBlurColor[4] = {255, 255, 255, 255};
};
