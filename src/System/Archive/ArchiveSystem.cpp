#include "System/Archive/ArchiveSystem.h"

#include "System/Common/Log.h"
#include "System/Common/StreamIO.h"
#include "System/Common/StringUtil.h"

#include <string>
#include <vector>

ArchiveSystem* g_pArchiveSystem = nullptr;

namespace {

// The longest path the system opens, its terminator included.
constexpr size_t kPathLimit = 4096;

std::vector<std::string> PathParts(const std::string& path)
{
    std::vector<std::string> parts;
    size_t at = 0;
    while (at < path.size()) {
        size_t slash = path.find('/', at);
        if (slash == std::string::npos)
            slash = path.size();
        if (slash > at)
            parts.push_back(path.substr(at, slash - at));
        at = slash + 1;
    }
    return parts;
}

// The full folder path (ending with '/') as a path from the working directory, ending with
// '/'; empty when the working directory cannot be read.
std::string RelativeToWorkingDirectory(const std::string& folder)
{
    const std::string cwd = GetCurrentDirectoryPath();
    if (cwd.empty())
        return std::string();
    const std::vector<std::string> from = PathParts(cwd), to = PathParts(folder);
    size_t common = 0;
    while (common < from.size() && common < to.size() && from[common] == to[common])
        ++common;
    std::string relative;
    for (size_t i = common; i < from.size(); ++i)
        relative += "../";
    for (size_t i = common; i < to.size(); ++i)
        relative += to[i] + "/";
    return relative.empty() ? "./" : relative;
}

} // namespace

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
    if (m_Root.size() < kPathLimit)
        return true;
    // Below this root no file could be opened by its full path: the system refuses paths of
    // this length. A root relative to the working directory reaches the same files.
    const std::string relative = RelativeToWorkingDirectory(m_Root);
    if (relative.empty() || relative.size() >= kPathLimit) {
        LOG_ERROR << "The game folder's full path is " << m_Root.size() << " bytes, past the " << kPathLimit
                  << " bytes a path may have, and it has no shorter path from the working directory; no asset "
                     "can be read. Move the game to a shorter path.";
        return true;
    }
    LOG_WARNING << "The game folder's full path is " << m_Root.size() << " bytes, past the " << kPathLimit
                << " bytes a path may have; its files are opened through \"" << relative
                << "\" from the working directory.";
    m_Root = relative;
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
