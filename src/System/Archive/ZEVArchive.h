// A pak file: a zlib-compressed index and a data area that holds its entries plainly, each
// entry compressed on its own, or compressed as a whole.
//
// Layout (little-endian): "ZEVA", 2 unused bytes, flags, 1 unused byte, entry count,
// data area size expanded, data area size stored, index size expanded, index size stored
// (28 bytes), then the index, then the data area. Index entry: size, stored size, offset
// (from the start of the data area, or of the expanded area), name length n, n name bytes.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "System/Archive/IArchive.h"

enum PakFlags : uint8_t {
    ePakFlag_Reserved = 0x1,          // kept, no effect
    ePakFlag_CompressedEntries = 0x2, // each entry is its own zlib stream
    ePakFlag_CompressedData = 0x4,    // the whole data area is one zlib stream (bit 1 ignored)
};

constexpr uint32_t kPakHeaderSize = 28;
constexpr uint32_t kPakIndexEntryMinSize = 13;

class ZEVArchive : public IArchive {
public:
    explicit ZEVArchive(const std::string& path);
    ~ZEVArchive() override;

    // Reads the header and the index; false, with a logged reason, for a missing, foreign or
    // damaged pak.
    bool Open() override;
    void Close() override;
    StreamIO* OpenEntry(NameId id, bool readOnly) override;
    bool Exists(NameId id) override { return m_Entries.count(id) != 0; }
    void ListEntries(std::vector<ArchiveEntry>& entries) override;

private:
    struct Entry {
        uint32_t m_nSize = 0;
        uint32_t m_nStoredSize = 0;
        uint32_t m_nOffset = 0;
        std::string m_Name;
    };

    bool Fail(const std::string& reason);
    bool ReadIndex(uint32_t count, uint32_t expandedSize, uint32_t storedSize);
    bool ExpandDataArea(uint32_t expandedSize, uint32_t storedSize);

    StreamIO* m_pStream = nullptr;
    bool m_bReservedFlag = false;
    bool m_bCompressedEntries = false;
    bool m_bCompressedData = false;
    uint32_t m_nDataBase = 0;
    std::map<NameId, Entry> m_Entries;
};
