#include "World/QuestTable.h"

#include <algorithm>

QuestTable* g_pQuestTable = nullptr;

bool QuestTable::Insert(NameId key, std::unique_ptr<QuestRecord> record)
{
    return m_Records.emplace(key, std::move(record)).second;
}

QuestRecord* QuestTable::Find(NameId key) const
{
    auto it = m_Records.find(key);
    return it == m_Records.end() ? nullptr : it->second.get();
}

bool QuestTable::Query(std::vector<QuestRecord*>& out, uint32_t flagBits, NameId stageKey) const
{
    for (const auto& entry : m_Records) {
        QuestRecord* record = entry.second.get();
        if ((record->m_nFlagMask & flagBits) != record->m_nFlagMask)
            continue;
        if (stageKey != 0 && record->m_nStageKey != stageKey)
            continue;
        out.push_back(record);
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const QuestRecord* a, const QuestRecord* b) { return a->m_nQuestId < b->m_nQuestId; });
    return !out.empty();
}

void QuestTable::Clear()
{
    m_pCurrentQuest = nullptr;
    std::unordered_map<NameId, std::unique_ptr<QuestRecord>>().swap(m_Records);
}
