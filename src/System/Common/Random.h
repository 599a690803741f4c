// The random pool: an SFMT-607 generator whose 20-word state is handed out word by word,
// and the helpers that reduce a word to a chance or a range. Main thread only.
#pragma once

#include <cstdint>

constexpr int kRandomPoolSize = 20;

extern uint32_t g_aRandomPool[kRandomPoolSize];
extern uint32_t g_nRandomPoolIndex;

void SfmtInit(uint32_t seed);
void SfmtRefill();
uint32_t RandomNext();

bool RandomChance(int32_t percent);
float RandomFloat(float a, float b);
uint32_t RandomUIntRange(uint32_t a, uint32_t b);
int32_t RandomIntRange(int32_t a, int32_t b);
