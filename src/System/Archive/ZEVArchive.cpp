#include "System/Archive/ZEVArchive.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "System/Common/Compress.h"
#include "System/Common/Log.h"
#include "System/Common/StreamIO.h"

namespace {

uint32_t ReadU32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

// A malloc block of at least one byte, so that an empty entry still has a valid pointer.
uint8_t* Allocate(uint64_t size) { return static_cast<uint8_t*>(std::malloc(size ? size : 1)); }

} // namespace

ZEVArchive::ZEVArchive(const std::string& path)
{
    m_Name = path;
    m_nNameId = HashName(path);
}

ZEVArchive::~ZEVArchive() { ZEVArchive::Close(); }

bool ZEVArchive::Fail(const std::string& reason)
{
    LOG_ERROR << "Pak " << m_Name << " not mounted: " << reason << ".";
    Close();
    return false;
}

bool ZEVArchive::Open()
{
    Close();
    FileStreamIO* file = new FileStreamIO();
    m_pStream = file;
    errno = 0;
    if (!file->Open(m_Name, kStreamMode_ReadBinary)) {
        // An absent pak is an install without that data, not damage: the game goes on without it.
        LOG_WARNING << "Pak " << m_Name << " not mounted: cannot open the file: " << std::strerror(errno) << ".";
        Close();
        return false;
    }

    uint8_t header[kPakHeaderSize];
    if (file->Read(header, 20) != 20)
        return Fail("the header is cut short");
    if (std::memcmp(header, "ZEVA", 4) != 0)
        return Fail("not a pak (wrong magic)");
    const uint8_t flags = header[6];
    m_bReservedFlag = (flags & ePakFlag_Reserved) != 0;
    m_bCompressedEntries = (flags & ePakFlag_CompressedEntries) != 0;
    m_bCompressedData = (flags & ePakFlag_CompressedData) != 0;
    const uint32_t count = ReadU32(header + 8);
    const uint32_t dataSize = ReadU32(header + 12);
    const uint32_t dataStored = ReadU32(header + 16);
    if (file->Read(header + 20, 8) != 8)
        return Fail("the header is cut short");
    const uint32_t indexSize = ReadU32(header + 20);
    const uint32_t indexStored = ReadU32(header + 24);

    const uint64_t fileSize = file->GetSize();
    if (uint64_t(kPakHeaderSize) + indexStored > fileSize)
        return Fail("the index reaches past the end of the file");
    if (!ReadIndex(count, indexSize, indexStored))
        return false;
    m_nDataBase = kPakHeaderSize + indexStored;

    if (m_bCompressedData) {
        m_nDataBase = 0;
        return ExpandDataArea(dataSize, dataStored);
    }

    // Every window must lie inside the file, so no entry can read what is not there.
    const uint64_t dataRoom = fileSize - (uint64_t(kPakHeaderSize) + indexStored);
    for (const auto& [id, entry] : m_Entries) {
        const uint32_t span = m_bCompressedEntries ? entry.m_nStoredSize : entry.m_nSize;
        if (uint64_t(entry.m_nOffset) + span > dataRoom)
            return Fail("entry \"" + entry.m_Name + "\" reaches past the end of the file");
        if (m_bCompressedEntries && entry.m_nSize > MaxInflatedLength(entry.m_nStoredSize))
            return Fail("entry \"" + entry.m_Name + "\" claims more than its stored bytes can expand to");
    }
    return true;
}

bool ZEVArchive::ReadIndex(uint32_t count, uint32_t expandedSize, uint32_t storedSize)
{
    if (expandedSize > MaxInflatedLength(storedSize))
        return Fail("the index claims more than its stored bytes can expand to");
    if (uint64_t(count) * kPakIndexEntryMinSize > expandedSize)
        return Fail("the entry count does not fit in the index");

    uint8_t* stored = Allocate(storedSize);
    uint8_t* expanded = Allocate(expandedSize);
    if (!stored || !expanded) {
        std::free(stored);
        std::free(expanded);
        return Fail("out of memory for the index");
    }
    const uint32_t got = m_pStream->Read(stored, storedSize);
    uint32_t length = got == storedSize ? Decompress(expandedSize, expanded, stored, storedSize) : 0;
    std::free(stored);
    if (got != storedSize) {
        std::free(expanded);
        return Fail("the index is cut short");
    }

    MemoryStreamIO index;
    index.Init(expanded, length, true, true);
    for (uint32_t i = 0; i < count; ++i) {
        uint8_t record[kPakIndexEntryMinSize];
        if (index.Read(record, sizeof record) != sizeof record)
            return Fail("the index ends after " + std::to_string(i) + " of " + std::to_string(count) + " entries");
        Entry entry;
        entry.m_nSize = ReadU32(record);
        entry.m_nStoredSize = ReadU32(record + 4);
        entry.m_nOffset = ReadU32(record + 8);
        entry.m_Name.resize(record[12]);
        if (index.Read(entry.m_Name.data(), record[12]) != record[12])
            return Fail("the index ends inside the name of entry " + std::to_string(i));
        NameId id = HashName(entry.m_Name);
        m_Entries.emplace(id, std::move(entry));
    }
    return true;
}

bool ZEVArchive::ExpandDataArea(uint32_t expandedSize, uint32_t storedSize)
{
    const uint64_t dataRoom = uint64_t(m_pStream->GetSize()) - m_pStream->Tell();
    if (storedSize > dataRoom)
        return Fail("the data area reaches past the end of the file");
    if (expandedSize > MaxInflatedLength(storedSize))
        return Fail("the data area claims more than its stored bytes can expand to");

    uint8_t* stored = Allocate(storedSize);
    uint8_t* expanded = Allocate(expandedSize);
    if (!stored || !expanded) {
        std::free(stored);
        std::free(expanded);
        return Fail("out of memory for the data area");
    }
    const uint32_t got = m_pStream->Read(stored, storedSize);
    delete m_pStream;
    m_pStream = nullptr;
    const uint32_t length = got == storedSize ? Decompress(expandedSize, expanded, stored, storedSize) : 0;
    std::free(stored);

    MemoryStreamIO* area = new MemoryStreamIO();
    area->Init(expanded, length, true, true);
    m_pStream = area;
    if (got != storedSize)
        return Fail("the data area is cut short");
    for (const auto& [id, entry] : m_Entries)
        if (uint64_t(entry.m_nOffset) + entry.m_nSize > length)
            return Fail("entry \"" + entry.m_Name + "\" reaches past the end of the expanded data area");
    return true;
}

void ZEVArchive::Close()
{
    m_Entries.clear();
    delete m_pStream;
    m_pStream = nullptr;
}

StreamIO* ZEVArchive::OpenEntry(NameId id, bool readOnly)
{
    auto it = m_Entries.find(id);
    if (it == m_Entries.end() || !m_pStream)
        return nullptr;
    const Entry& entry = it->second;
    m_pStream->Seek(m_nDataBase + entry.m_nOffset);

    if (m_bCompressedData) {
        // A view into the archive's own buffer: it must not outlive the archive.
        MemoryStreamIO* area = static_cast<MemoryStreamIO*>(m_pStream);
        MemoryStreamIO* view = new MemoryStreamIO();
        view->Init(const_cast<uint8_t*>(area->GetData()) + area->Tell(), entry.m_nSize, false, readOnly);
        view->SetNameId(id);
        return view;
    }

    if (m_bCompressedEntries) {
        MemoryStreamIO* stream = new MemoryStreamIO();
        uint8_t* stored = Allocate(entry.m_nStoredSize);
        uint8_t* expanded = Allocate(entry.m_nSize);
        uint32_t length = 0;
        if (stored && expanded && m_pStream->Read(stored, entry.m_nStoredSize) == entry.m_nStoredSize)
            length = Decompress(entry.m_nSize, expanded, stored, entry.m_nStoredSize);
        else
            LOG_ERROR << "Pak " << m_Name << ": entry \"" << entry.m_Name << "\" could not be read.";
        std::free(stored);
        if (length == 0) {
            std::free(expanded);
            expanded = nullptr;
        }
        stream->Init(expanded, length, true, readOnly);
        stream->SetNameId(id);
        return stream;
    }

    StreamIO* window = SubFileStreamIO::Open(*m_pStream, m_nDataBase + entry.m_nOffset, entry.m_nSize);
    window->SetNameId(id);
    return window;
}

void ZEVArchive::ListEntries(std::vector<ArchiveEntry>& entries)
{
    for (const auto& [id, entry] : m_Entries)
        entries.push_back(ArchiveEntry{HashName(entry.m_Name), entry.m_Name, nullptr});
}
