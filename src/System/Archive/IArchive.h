// An archive mounted into the ArchiveSystem: a folder of loose files or a pak file.
#pragma once

#include <string>
#include <vector>

#include "System/Common/NameHash.h"

class IArchive;
class StreamIO;

struct ArchiveEntry {
    NameId m_nNameId = 0;
    std::string m_Name;
    IArchive* m_pArchive = nullptr; // set by the ArchiveSystem
};

class IArchive {
public:
    virtual ~IArchive() = default;
    // Whether the archive is usable; an archive that fails is not mounted.
    virtual bool Open() = 0;
    virtual void Close() = 0;
    // A new stream owned by the caller, or null when the id is unknown.
    virtual StreamIO* OpenEntry(NameId id, bool readOnly) = 0;
    virtual bool Exists(NameId id) = 0;
    virtual int ReservedQuery() { return 0; }
    // Appends {name id, name} for every entry.
    virtual void ListEntries(std::vector<ArchiveEntry>& entries) = 0;

    NameId GetNameId() const { return m_nNameId; }
    const std::string& GetName() const { return m_Name; }

protected:
    NameId m_nNameId = 0;
    std::string m_Name;
};
