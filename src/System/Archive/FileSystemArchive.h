// A folder of loose files below the archive root, scanned once when mounted.
#pragma once

#include <map>
#include <string>

#include "System/Archive/IArchive.h"

class FileSystemArchive : public IArchive {
public:
    // `name` is the folder's path relative to the archive root, such as "assets.v1/2d".
    explicit FileSystemArchive(const std::string& name);
    ~FileSystemArchive() override;

    // Scans the folder below the process-wide ArchiveSystem's root; true also when the
    // folder is missing or empty.
    bool Open() override;
    void Close() override;
    StreamIO* OpenEntry(NameId id, bool readOnly) override;
    bool Exists(NameId id) override { return m_Entries.count(id) != 0; }
    void ListEntries(std::vector<ArchiveEntry>& entries) override;

private:
    struct Entry {
        std::string m_Name;
        std::string m_Path;
    };

    void ScanDirectory(const std::string& directory);

    std::string m_Root;
    std::map<NameId, Entry> m_Entries;
};
