#include "Components/Core/StageGenerator.h"

#include <algorithm>
#include <utility>

#include <lua.hpp>

#include "Components/Core/CollisionWorld.h"
#include "System/Common/Log.h"
#include "System/Common/Random.h"
#include "System/Lua/LuaTableReader.h"
#include "World/GameObj.h"
#include "World/QuestTable.h"
#include "World/SceneManager.h"

const ClassKey StageGenerator::s_Class("StageGenerator");

void ShuffleIndices(int32_t* begin, int32_t* end)
{
    const ptrdiff_t n = end - begin;
    if (n < 2)
        return;
    for (ptrdiff_t i = n - 1; i >= 1; --i) {
        const uint32_t j = RandomNext() % static_cast<uint32_t>(i + 1);
        std::swap(begin[i], begin[j]);
    }
}

StageGenerator::StageGenerator(GameObj* owner) : Component(owner, s_Class) {}

bool StageGenerator::IsKindOf(TypeKey key) const { return key == s_Class.Key; }

bool StageGenerator::Load(lua_State* L)
{
    lua_getfield(L, -1, "rules");
    if (lua_istable(L, -1)) {
        const size_t count = LuaGetItemCount(L);
        for (size_t i = 1; i <= count; ++i) {
            lua_rawgeti(L, -1, static_cast<int>(i));
            StageRule rule = {0, 0, 0};
            if (lua_istable(L, -1)) {
                rule.countA = LuaGetIntItem(L, 0);
                rule.countB = LuaGetIntItem(L, 1);
                rule.type = LuaGetIntItem(L, 2);
            }
            m_Rules.push_back(rule);
            lua_pop(L, 1);
        }
    }
    lua_pop(L, 1);
    lua_getfield(L, -1, "areas");
    if (lua_istable(L, -1)) {
        const size_t count = LuaGetItemCount(L);
        for (size_t i = 0; i < count; ++i)
            m_Areas.push_back(LuaGetStringItem(L, static_cast<int>(i)));
    }
    lua_pop(L, 1);
    lua_getfield(L, -1, "blurColor");
    if (lua_istable(L, -1)) {
        m_aBlurColor[0] = LuaGetByteField(L, "a");
        m_aBlurColor[1] = LuaGetByteField(L, "r");
        m_aBlurColor[2] = LuaGetByteField(L, "g");
        m_aBlurColor[3] = LuaGetByteField(L, "b");
    }
    lua_pop(L, 1);
    m_nGenerateType = LuaGetIntField(L, "generateType");
    return true;
}

std::vector<int32_t> StageGenerator::ChooseAreas(int32_t& counted) const
{
    std::vector<int32_t> chosen;
    const int32_t n = static_cast<int32_t>(m_Areas.size());
    if (m_nGenerateType != 0) {
        counted = n;
        for (int32_t k = 0; k < n; ++k)
            chosen.push_back(k);
        return chosen;
    }
    const QuestRecord* quest = g_pQuestTable ? g_pQuestTable->m_pCurrentQuest : nullptr;
    int32_t wanted = quest ? quest->m_nAreaCount : 0;
    const std::string& owner = GetOwner()->GetPrototypeName();
    if (wanted < 0) {
        LOG_ERROR << "StageGenerator of \"" << owner << "\": quest " << quest->m_nQuestId << " (\""
                  << quest->m_QuestName << "\") asks for " << wanted << " areas; none are placed.";
        counted = 0;
        return chosen;
    }
    if (wanted > kMaxAreaCount) {
        LOG_ERROR << "StageGenerator of \"" << owner << "\": quest " << quest->m_nQuestId << " (\""
                  << quest->m_QuestName << "\") asks for " << wanted << " areas, more than " << kMaxAreaCount
                  << "; " << kMaxAreaCount << " are placed.";
        wanted = kMaxAreaCount;
    }
    counted = wanted;
    if (wanted == 0)
        return chosen;
    if (m_Rules.empty() || m_Areas.empty()) {
        LOG_ERROR << "StageGenerator of \"" << owner << "\": " << wanted << " areas wanted, but it has "
                  << m_Rules.size() << " rules and " << m_Areas.size() << " areas; none are placed.";
        return chosen;
    }
    std::vector<int32_t> indices(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i)
        indices[static_cast<size_t>(i)] = i;
    const uint32_t un = static_cast<uint32_t>(n);
    int fruitless = 0;
    while (static_cast<int32_t>(chosen.size()) < wanted) {
        const StageRule& rule = m_Rules[RandomNext() % static_cast<uint32_t>(m_Rules.size())];
        const int64_t lo = std::min(rule.countA, rule.countB);
        const int64_t span = static_cast<int64_t>(std::max(rule.countA, rule.countB)) - lo;
        const double u = static_cast<double>(RandomNext());
        int64_t c = lo + static_cast<int64_t>(static_cast<double>(span) * u * 2.3283064370807974e-10);
        const int64_t left = wanted - static_cast<int64_t>(chosen.size());
        if (c > left)
            c = left;
        const size_t before = chosen.size();
        switch (rule.type) {
        case eStageRule_Random:
            for (int64_t i = 0; i < c; ++i)
                chosen.push_back(static_cast<int32_t>(RandomNext() % un));
            break;
        case eStageRule_NoRepeat: {
            int64_t prev = -1;
            for (int64_t filled = 0; filled < c;) {
                const int32_t v = static_cast<int32_t>(RandomNext() % un);
                if (v != prev || n <= 1) {
                    chosen.push_back(v);
                    ++filled;
                    prev = v;
                }
            }
            break;
        }
        case eStageRule_Shuffle:
            ShuffleIndices(indices.data(), indices.data() + indices.size());
            for (int64_t i = 0; i < c; ++i)
                chosen.push_back(indices[static_cast<size_t>(i % n)]);
            break;
        default:
            break;
        }
        if (chosen.size() != before) {
            fruitless = 0;
        } else if (++fruitless >= kMaxFruitlessDraws) {
            LOG_ERROR << "StageGenerator of \"" << owner << "\": its rules placed nothing in " << kMaxFruitlessDraws
                      << " draws in a row; the row has " << chosen.size() << " of " << wanted << " areas.";
            break;
        }
    }
    return chosen;
}

void StageGenerator::Start()
{
    // An area that lays out a row of its own would lay out another inside that, without end.
    for (GameObj* p = GetOwner()->GetParent(); p; p = p->GetParent())
        if (p->GetComponent(s_Class.Key)) {
            LOG_ERROR << "StageGenerator of \"" << GetOwner()->GetPrototypeName() << "\" lies inside the row of \""
                      << p->GetPrototypeName() << "\"; it places nothing.";
            return;
        }
    int32_t counted = 0;
    const std::vector<int32_t> chosen = ChooseAreas(counted);
    if (g_pSceneManager) {
        for (size_t k = 0; k < chosen.size(); ++k)
            g_pSceneManager->Spawn(m_Areas[static_cast<size_t>(chosen[k])], GetOwner(),
                512.0f + 1024.0f * static_cast<float>(k), 256.0f);
    }
    const float w = static_cast<float>(counted) * 1024.0f;
    if (g_pCollisionWorld) {
        g_pCollisionWorld->SetupTree(6, 0.0f, 0.0f, w, w);
        g_pCollisionWorld->SetStageBounds({0.0f, 0.0f, w, 2000.0f});
    }
}
