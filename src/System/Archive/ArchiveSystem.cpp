#include "System/Archive/ArchiveSystem.h"

#include "System/Common/Log.h"
#include "System/Common/StreamIO.h"
#include "System/Common/StringUtil.h"

ArchiveSystem* g_pArchiveSystem = nullptr;

ArchiveSystem* ArchiveSystem::GetInstance()
{
    if (!g_pArchiveSystem)
        g_pArchiveSystem = new ArchiveSystem();
    return g_pArchiveSystem;
}

ArchiveSystem::~ArchiveSystem()
{
    UnmountAll();
    if (g_pArchiveSystem == this)
        g_pArchiveSystem = nullptr;
}

bool ArchiveSystem::SetRoot(const std::string& path)
{
    std::string filePart;
    std::string full = GetFullPath(path, filePart);
    if (full.empty()) {
        // Never "/": a root that cannot be read finds nothing rather than files of another folder.
        LOG_ERROR << "The archive root \"" << path << "\" has no usable full path; nothing will be found below it.";
        m_Root.clear();
        return true;
    }
    m_Root = NormalizePath(full, true);
    return true;
}

IArchive* ArchiveSystem::Mount(IArchive* archive)
{
    if (!archive)
        return nullptr;
    if (m_Archives.count(archive->GetNameId())) {
        // A second copy would add no entry and could not be recorded: refuse it.
        LOG_WARNING << "Archive " << archive->GetName() << " is already mounted.";
        delete archive;
        return nullptr;
    }
    if (!archive->Open()) {
        delete archive;
        return nullptr;
    }
    std::vector<ArchiveEntry> entries;
    archive->ListEntries(entries);
    for (ArchiveEntry& entry : entries) {
        entry.m_pArchive = archive;
        m_Entries.emplace(entry.m_nNameId, std::move(entry));
    }
    m_Archives[archive->GetNameId()] = archive;
    return archive;
}

StreamIO* ArchiveSystem::Open(NameId id)
{
    auto it = m_Entries.find(id);
    if (it == m_Entries.end())
        return nullptr;
    return it->second.m_pArchive->OpenEntry(id, true);
}

bool ArchiveSystem::FindNames(std::vector<std::string>& names, const std::string& pattern) const
{
    for (const auto& [id, entry] : m_Entries)
        if (WildcardMatch(pattern, entry.m_Name))
            names.push_back(entry.m_Name);
    return !names.empty();
}

bool ArchiveSystem::FindHashes(std::vector<NameId>& ids, const std::string& pattern) const
{
    for (const auto& [id, entry] : m_Entries)
        if (WildcardMatch(pattern, entry.m_Name))
            ids.push_back(entry.m_nNameId);
    return !ids.empty();
}

void ArchiveSystem::UnmountAll()
{
    for (auto& [id, archive] : m_Archives) {
        archive->Close();
        delete archive;
    }
    m_Archives.clear();
    m_Entries.clear();
}
