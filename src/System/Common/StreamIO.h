// Byte streams: every file the game reads or writes, loose or inside a pak archive.
// Positions and sizes are kept by the stream itself, as unsigned 32-bit byte counts.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "System/Common/NameHash.h"

// Mode codes: bit 0 readable, bit 1 writable, 0x20000 binary.
typedef uint32_t StreamMode;
constexpr StreamMode kStreamMode_Read = 0x1;              // "r"
constexpr StreamMode kStreamMode_Write = 0x2;             // "w"
constexpr StreamMode kStreamMode_ReadUpdate = 0x3;        // "r+"
constexpr StreamMode kStreamMode_WriteUpdate = 0x10003;   // "w+"
constexpr StreamMode kStreamMode_Append = 0x10006;        // "a"
constexpr StreamMode kStreamMode_AppendUpdate = 0x10007;  // "a+"
constexpr StreamMode kStreamMode_ReadBinary = 0x20001;    // "rb"
constexpr StreamMode kStreamMode_WriteBinary = 0x20002;   // "wb"
constexpr StreamMode kStreamMode_ReadUpdateBinary = 0x20003;  // "rb+"
constexpr StreamMode kStreamMode_WriteUpdateBinary = 0x30003; // "wb+"
constexpr StreamMode kStreamMode_AppendBinary = 0x30006;      // "ab"
constexpr StreamMode kStreamMode_AppendUpdateBinary = 0x30007; // "ab+"

// The C mode string of a code, or null for any other code.
const char* StreamModeString(StreamMode mode);

class StreamIO {
public:
    virtual ~StreamIO() = default;
    virtual void Close() = 0;
    virtual uint32_t Read(void* buffer, uint32_t count) = 0;
    virtual uint32_t Write(const void* buffer, uint32_t count) = 0;
    // A negative count moves backwards; every stream stops at its start and at its end.
    virtual void Skip(int32_t count) = 0;
    virtual void Seek(uint32_t offset) = 0;
    virtual bool Extend(uint32_t count) = 0;
    virtual uint32_t Tell() = 0;
    virtual uint32_t GetSize() = 0;
    virtual bool IsEof() = 0;
    virtual bool IsInMemory() = 0;

    StreamMode GetMode() const { return m_nMode; }
    NameId GetNameId() const { return m_nNameId; }
    const std::string& GetName() const { return m_Name; }
    // Archives tag the streams they hand out with the entry's id.
    void SetNameId(NameId id) { m_nNameId = id; }

protected:
    bool CanRead() const { return (m_nMode & 1) != 0; }
    bool CanWrite() const { return (m_nMode & 2) != 0; }

    StreamMode m_nMode = 0;
    NameId m_nNameId = 0;
    std::string m_Name;
};

class FileStreamIO : public StreamIO {
public:
    FileStreamIO() = default;
    ~FileStreamIO() override;
    FileStreamIO(const FileStreamIO&) = delete;
    FileStreamIO& operator=(const FileStreamIO&) = delete;

    // Opens a file with fopen in the mode's C string. On a stream that is already open, true
    // only when the path's name id is the open one's (the open file is kept either way).
    bool Open(const std::string& path, StreamMode mode);
    bool IsOpen() const { return m_pFile != nullptr; }

    void Close() override;
    uint32_t Read(void* buffer, uint32_t count) override;
    uint32_t Write(const void* buffer, uint32_t count) override;
    void Skip(int32_t count) override;
    void Seek(uint32_t offset) override;
    bool Extend(uint32_t count) override;
    uint32_t Tell() override { return m_nPosition; }
    uint32_t GetSize() override { return m_nSize; }
    bool IsEof() override { return m_nPosition >= m_nSize; }
    bool IsInMemory() override { return false; }

protected:
    uint32_t FileSize();

    FILE* m_pFile = nullptr;
    uint32_t m_nPosition = 0;
    uint32_t m_nSize = 0;
};

// A read-only window [start, start + size) of a file, opened again by name. Position and size
// are absolute file offsets; the size field holds the window's end.
class SubFileStreamIO : public FileStreamIO {
public:
    // Never null; when the parent's file cannot be reopened the stream is closed and reads give 0.
    static SubFileStreamIO* Open(const StreamIO& parent, uint32_t start, uint32_t size);

    // Closed, the stream is empty: size and position 0.
    void Close() override;
    uint32_t Read(void* buffer, uint32_t count) override;
    uint32_t Write(const void*, uint32_t) override { return 0; }
    // Bounded by the window at both ends.
    void Skip(int32_t count) override;
    void Seek(uint32_t offset) override;
    bool Extend(uint32_t) override { return false; }
    uint32_t Tell() override { return m_nPosition - m_nStart; }
    uint32_t GetSize() override { return m_nSize - m_nStart; }

private:
    uint32_t m_nStart = 0;
};

// A stream over a memory block. An owned block must come from malloc; it is freed with free.
class MemoryStreamIO : public StreamIO {
public:
    MemoryStreamIO() = default;
    ~MemoryStreamIO() override;
    MemoryStreamIO(const MemoryStreamIO&) = delete;
    MemoryStreamIO& operator=(const MemoryStreamIO&) = delete;

    void Init(void* data, uint32_t length, bool owns, bool readOnly);
    void SetName(const std::string& name);

    void Close() override;
    uint32_t Read(void* buffer, uint32_t count) override;
    uint32_t Write(const void* buffer, uint32_t count) override;
    void Skip(int32_t count) override;
    void Seek(uint32_t offset) override;
    bool Extend(uint32_t count) override;
    uint32_t Tell() override { return static_cast<uint32_t>(m_pPosition - m_pStart); }
    uint32_t GetSize() override { return static_cast<uint32_t>(m_pDataEnd - m_pStart); }
    bool IsEof() override { return Tell() >= GetSize(); }
    bool IsInMemory() override { return true; }

    const uint8_t* GetData() const { return m_pStart; }
    uint32_t GetCapacity() const { return static_cast<uint32_t>(m_pCapacityEnd - m_pStart); }

private:
    // Makes room for `needed` bytes of data (needed + needed / 2 of capacity); false when
    // the allocation fails.
    bool Grow(uint32_t needed);
    // Moves the data end to position + count, growing first when needed.
    bool Reserve(uint32_t count);

    uint8_t* m_pStart = nullptr;
    uint8_t* m_pPosition = nullptr;
    uint8_t* m_pDataEnd = nullptr;
    uint8_t* m_pCapacityEnd = nullptr;
    bool m_bOwns = false;
};

// The whole stream; the stream's position is kept.
std::string ReadStreamToString(StreamIO& stream);
// printf into the stream; returns the bytes written.
uint32_t StreamPrintf(StreamIO& stream, const char* format, ...) __attribute__((format(printf, 2, 3)));
