// The companion's remarks: named FIFO channels of text lines, and the triggers that pick a
// line of a text key at random and put it, alone, in the immediate channel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <map>
#include <string>

// One bit per trigger; the quest sets every bit when a stage starts.
extern uint32_t g_nTalkEnableMask;

enum TalkBit : uint32_t {
    eTalk_Attacked = 0x1,
    eTalk_ByKeyHash = 0x2,
    eTalk_HealItem = 0x4,
    eTalk_TakeMessage = 0x8,
    eTalk_Combo = 0x20,
    eTalk_OverKill = 0x40,
    eTalk_Dead = 0x80,
    eTalk_TargetObliterate = 0x100,
    eTalk_AnyEnemyObliterate = 0x200,
    eTalk_AttackCompanion = 0x400,
    eTalk_BargeIn = 0x800,
    eTalk_BowOut = 0x1000,
    eTalk_LongWait = 0x2000,
};

class TalkChannelQueue {
public:
    void PushBack(uint32_t channel, const std::string& line);
    void PushFront(uint32_t channel, const std::string& line);
    // False when the channel is missing or empty.
    bool PopFront(uint32_t channel, std::string& line);
    size_t Count(uint32_t channel) const;
    // Channel 0 removes every channel.
    void Clear(uint32_t channel);

private:
    std::map<uint32_t, std::list<std::string>> m_Channels;
};

extern TalkChannelQueue g_TalkChannelQueue;

// Tells the talk window of the panel "ui_lisvet_window" to move on; tests may put an observer
// in its place.
extern void (*g_pfnTalkWindowPostNext)();

// Clears the channel and tells the talk window to move on.
void ResetTalkChannel(uint32_t channel);
// A random line of the key (next pooled word modulo the count); false when it has none.
bool PickTalkLine(uint32_t key, std::string& line);
// One step of the placeholder scan from position; true while there is more to scan.
bool ExpandTalkPlaceholders(std::string& out, size_t& position, const std::string& line);
// The whole scan: the line without its placeholders.
std::string StripTalkPlaceholders(const std::string& line);

// The channel the triggers use.
uint32_t ImmediateTalkChannel();

void TalkOnAttacked(int32_t health, int32_t maxHealth);
void TalkByKeyHash(uint32_t key);
void TalkOnHealItem(int32_t health, int32_t maxHealth);
void TalkByKeyHashAlways(uint32_t key);
void TalkOnCombo(int32_t count);
void TalkOnOverKill();
void TalkOnDead();
void TalkOnTargetObliterate();
void TalkOnAnyEnemyObliterate();
void TalkOnAttackCompanion();
void TalkOnBargeIn();
void TalkOnBowOut();
void TalkOnLongWait();

// The key index of a health share: truncate((health / max) / 0.2) in float (a maximum of 0
// gives 0), clamped to lo..hi.
int32_t TalkHealthIndex(int32_t health, int32_t maxHealth, int32_t lo, int32_t hi);
