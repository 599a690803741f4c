#include "Components/Game/TalkChannel.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "Components/UI/UITalkWindow.h"
#include "System/Common/NameHash.h"
#include "System/Common/Random.h"
#include "World/TextTable.h"

uint32_t g_nTalkEnableMask = 0;
TalkChannelQueue g_TalkChannelQueue;

namespace {

void PostNextToCompanionWindow()
{
    if (UITalkWindow* window = FindCompanionTalkWindow())
        window->PostNext();
}

} // namespace

void (*g_pfnTalkWindowPostNext)() = PostNextToCompanionWindow;

void TalkChannelQueue::PushBack(uint32_t channel, const std::string& line) { m_Channels[channel].push_back(line); }

void TalkChannelQueue::PushFront(uint32_t channel, const std::string& line) { m_Channels[channel].push_front(line); }

bool TalkChannelQueue::PopFront(uint32_t channel, std::string& line)
{
    auto it = m_Channels.find(channel);
    if (it == m_Channels.end() || it->second.empty())
        return false;
    line = std::move(it->second.front());
    it->second.pop_front();
    return true;
}

size_t TalkChannelQueue::Count(uint32_t channel) const
{
    auto it = m_Channels.find(channel);
    return it == m_Channels.end() ? 0 : it->second.size();
}

void TalkChannelQueue::Clear(uint32_t channel)
{
    if (channel == 0) {
        m_Channels.clear();
        return;
    }
    auto it = m_Channels.find(channel);
    if (it != m_Channels.end())
        it->second.clear();
}

void ResetTalkChannel(uint32_t channel)
{
    g_TalkChannelQueue.Clear(channel);
    if (g_pfnTalkWindowPostNext)
        g_pfnTalkWindowPostNext();
}

bool PickTalkLine(uint32_t key, std::string& line)
{
    const std::vector<std::string>* lines = g_pTextTable ? g_pTextTable->Find(key) : nullptr;
    if (!lines || lines->empty())
        return false;
    line = (*lines)[RandomNext() % lines->size()];
    return true;
}

bool ExpandTalkPlaceholders(std::string& out, size_t& position, const std::string& line)
{
    static const char* const kPlaceholders[] = {"$helth", "$enemy", "$item", "$combo"};
    const size_t dollar = line.find('$', position);
    if (dollar == std::string::npos) {
        if (position < line.size())
            out.append(line, position, std::string::npos);
        position = line.size();
        return false;
    }
    out.append(line, position, dollar - position);
    position = dollar;
    for (const char* placeholder : kPlaceholders) {
        const std::string_view p(placeholder);
        if (line.compare(position, p.size(), p) == 0) {
            position += p.size();
            return true;
        }
    }
    out.push_back('$');
    ++position;
    return true;
}

std::string StripTalkPlaceholders(const std::string& line)
{
    std::string out;
    size_t position = 0;
    while (ExpandTalkPlaceholders(out, position, line)) {
    }
    return out;
}

uint32_t ImmediateTalkChannel()
{
    static const uint32_t kChannel = HashName("ImmediateLisvet");
    return kChannel;
}

int32_t TalkHealthIndex(int32_t health, int32_t maxHealth, int32_t lo, int32_t hi)
{
    // In float: the integer quotient reads 0 below full health, and a maximum of 0 traps.
    const float share = maxHealth != 0 ? static_cast<float>(health) / static_cast<float>(maxHealth) : 0.0f;
    const float n = std::trunc(share / 0.2f);
    if (!(n >= static_cast<float>(lo)))
        return lo;
    if (n >= static_cast<float>(hi))
        return hi;
    return static_cast<int32_t>(n);
}

namespace {

void Say(uint32_t bit, uint32_t key, bool scan)
{
    if (bit != 0 && (g_nTalkEnableMask & bit) == 0)
        return;
    std::string line;
    if (!PickTalkLine(key, line))
        return;
    if (scan)
        line = StripTalkPlaceholders(line);
    ResetTalkChannel(ImmediateTalkChannel());
    g_TalkChannelQueue.PushBack(ImmediateTalkChannel(), line);
}

void SayKey(uint32_t bit, const char* key, bool scan)
{
    if (bit != 0 && (g_nTalkEnableMask & bit) == 0)
        return;
    Say(bit, HashName(key), scan);
}

} // namespace

void TalkOnAttacked(int32_t health, int32_t maxHealth)
{
    if (!(g_nTalkEnableMask & eTalk_Attacked))
        return;
    Say(eTalk_Attacked, HashName("attacked_health_" + std::to_string(TalkHealthIndex(health, maxHealth, 1, 4))),
        false);
}

void TalkByKeyHash(uint32_t key) { Say(eTalk_ByKeyHash, key, false); }

void TalkOnHealItem(int32_t health, int32_t maxHealth)
{
    if (!(g_nTalkEnableMask & eTalk_HealItem))
        return;
    Say(eTalk_HealItem, HashName("take_heal_item_" + std::to_string(TalkHealthIndex(health, maxHealth, 0, 5))),
        false);
}

void TalkByKeyHashAlways(uint32_t key) { Say(0, key, false); }

void TalkOnCombo(int32_t count)
{
    switch (count) {
    case 50: SayKey(eTalk_Combo, "combo_50", false); break;
    case 100: SayKey(eTalk_Combo, "combo_100", false); break;
    case 150: SayKey(eTalk_Combo, "combo_150", false); break;
    case 200: SayKey(eTalk_Combo, "combo_200", false); break;
    case 500: SayKey(eTalk_Combo, "combo_500", false); break;
    case 999: SayKey(eTalk_Combo, "combo_999", false); break;
    default: break;
    }
}

void TalkOnOverKill() { SayKey(eTalk_OverKill, "over_kill", true); }
void TalkOnDead() { SayKey(eTalk_Dead, "dead", true); }
void TalkOnTargetObliterate() { SayKey(eTalk_TargetObliterate, "target_obliterate", true); }
void TalkOnAnyEnemyObliterate() { SayKey(eTalk_AnyEnemyObliterate, "any_enemy_obliterate", true); }
void TalkOnAttackCompanion() { SayKey(eTalk_AttackCompanion, "attack_lisvet", true); }
void TalkOnBargeIn() { SayKey(eTalk_BargeIn, "barge_in_ilvane", true); }
void TalkOnBowOut() { SayKey(eTalk_BowOut, "bow_out_ilvane", true); }
void TalkOnLongWait() { SayKey(eTalk_LongWait, "long_wait", true); }
