// Counters of the current play: gameplay raises them, the quest start clears them, and
// conditions and the report read them.
#pragma once

#include <cstdint>

struct PlayStatistics {
    float m_fPlayTime = 0.0f;        // seconds of quest updates (scaled frame time)
    int32_t m_nLevel = 0;            // the quest's initial level plus its clear count
    float m_fDistanceX = 0.0f;       // how far the player moved along x
    int32_t m_nDamageTaken = 0;
    int32_t m_nHealingReceived = 0;
    int32_t m_nExperience = 0;       // experience acquired in this play
    int32_t m_nSitCount = 0;
    int32_t m_nJumpCount = 0;
    int32_t m_nStepCount = 0;
    int32_t m_nDashCount = 0;
    int32_t m_nGlideCount = 0;
    int32_t m_nAttackCount = 0;
    int32_t m_nBlowCount = 0;
    int32_t m_nSlashCount = 0;
    int32_t m_nTurnedSlashCount = 0;
    int32_t m_nVardekiCount = 0;
    int32_t m_nOpenedPanels = 0;
    int32_t m_nBestCombo = 0;
    int32_t m_nKillCount = 0;        // objective targets included
    int32_t m_nMobKillCount = 0;     // objective targets left out
    int32_t m_nSameNameKillRun = 0;  // longest run of defeats of objects of one name

    void Reset() { *this = PlayStatistics(); }
    // The counter a condition value kind reads (1-16 and 19-23), as a float; 0 for other kinds.
    float GetByKind(uint32_t kind) const;
};

static_assert(sizeof(PlayStatistics) == 21 * 4, "the counters are one block of 32-bit words");

extern PlayStatistics g_PlayStatistics;
