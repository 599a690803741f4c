// The game's virtual file system: assets are named by their path relative to the archive root
// without extension and found by that name's id. The first mounted archive that supplies an
// id keeps it, so loose folders mounted before the paks override them.
#pragma once

#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "System/Archive/IArchive.h"

class StreamIO;

class ArchiveSystem {
public:
    // The process-wide instance, created empty on first use.
    static ArchiveSystem* GetInstance();

    ArchiveSystem() = default;
    virtual ~ArchiveSystem();
    ArchiveSystem(const ArchiveSystem&) = delete;
    ArchiveSystem& operator=(const ArchiveSystem&) = delete;

    // root = full path of `path`, '/'-separated, ending in '/'; when that is too long for the
    // system to open anything below it, the same folder as a path from the working directory.
    bool SetRoot(const std::string& path);
    const std::string& GetRoot() const { return m_Root; }

    // Takes ownership. Returns the archive once mounted, or null (the archive deleted) when it
    // fails to open.
    IArchive* Mount(IArchive* archive);
    // A new stream owned by the caller, or null for an unknown id.
    StreamIO* Open(NameId id);
    // Append the names (ids) of every entry matching a '*' pattern; true when the list is not
    // empty afterwards. The order is not defined.
    bool FindNames(std::vector<std::string>& names, const std::string& pattern) const;
    bool FindHashes(std::vector<NameId>& ids, const std::string& pattern) const;
    void UnmountAll();

private:
    std::string m_Root;
    std::unordered_map<NameId, ArchiveEntry> m_Entries;
    std::map<NameId, IArchive*> m_Archives;
};

extern ArchiveSystem* g_pArchiveSystem;
