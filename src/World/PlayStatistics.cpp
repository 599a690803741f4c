#include "World/PlayStatistics.h"

PlayStatistics g_PlayStatistics;

float PlayStatistics::GetByKind(uint32_t kind) const
{
    switch (kind) {
    case 1: return m_fPlayTime;
    case 2: return static_cast<float>(m_nLevel);
    case 3: return m_fDistanceX;
    case 4: return static_cast<float>(m_nDamageTaken);
    case 5: return static_cast<float>(m_nHealingReceived);
    case 6: return static_cast<float>(m_nExperience);
    case 7: return static_cast<float>(m_nSitCount);
    case 8: return static_cast<float>(m_nJumpCount);
    case 9: return static_cast<float>(m_nStepCount);
    case 10: return static_cast<float>(m_nDashCount);
    case 11: return static_cast<float>(m_nGlideCount);
    case 12: return static_cast<float>(m_nAttackCount);
    case 13: return static_cast<float>(m_nBlowCount);
    case 14: return static_cast<float>(m_nSlashCount);
    case 15: return static_cast<float>(m_nTurnedSlashCount);
    case 16: return static_cast<float>(m_nVardekiCount);
    case 19: return static_cast<float>(m_nOpenedPanels);
    case 20: return static_cast<float>(m_nBestCombo);
    case 21: return static_cast<float>(m_nKillCount);
    case 22: return static_cast<float>(m_nMobKillCount);
    case 23: return static_cast<float>(m_nSameNameKillRun);
    default: return 0.0f;
    }
}
