#include "System/Common/StreamIO.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <vector>

const char* StreamModeString(StreamMode mode)
{
    switch (mode) {
    case kStreamMode_Read: return "r";
    case kStreamMode_Write: return "w";
    case kStreamMode_ReadUpdate: return "r+";
    case kStreamMode_WriteUpdate: return "w+";
    case kStreamMode_Append: return "a";
    case kStreamMode_AppendUpdate: return "a+";
    case kStreamMode_ReadBinary: return "rb";
    case kStreamMode_WriteBinary: return "wb";
    case kStreamMode_ReadUpdateBinary: return "rb+";
    case kStreamMode_WriteUpdateBinary: return "wb+";
    case kStreamMode_AppendBinary: return "ab";
    case kStreamMode_AppendUpdateBinary: return "ab+";
    default: return nullptr;
    }
}

// ---------------------------------------------------------------------------------------------
// FileStreamIO

FileStreamIO::~FileStreamIO()
{
    FileStreamIO::Close();
    m_Name.clear();
}

uint32_t FileStreamIO::FileSize()
{
    struct stat st;
    if (!m_pFile || fstat(fileno(m_pFile), &st) != 0 || st.st_size < 0)
        return 0;
    return static_cast<uint32_t>(std::min<uint64_t>(static_cast<uint64_t>(st.st_size), UINT32_MAX));
}

bool FileStreamIO::Open(const std::string& path, StreamMode mode)
{
    if (m_pFile)
        return HashName(path) == m_nNameId;
    const char* cmode = StreamModeString(mode);
    if (!cmode)
        return false;
    m_pFile = std::fopen(path.c_str(), cmode);
    if (!m_pFile)
        return false;
    m_Name = path;
    m_nNameId = HashName(path);
    m_nMode = mode;
    m_nPosition = 0;
    m_nSize = FileSize();
    return true;
}

void FileStreamIO::Close()
{
    if (m_pFile)
        std::fclose(m_pFile);
    m_pFile = nullptr;
    m_nPosition = 0;
    m_nSize = 0;
    m_nNameId = 0;
    m_nMode = 0;
}

uint32_t FileStreamIO::Read(void* buffer, uint32_t count)
{
    if (!CanRead() || !m_pFile)
        return 0;
    size_t n = std::fread(buffer, 1, count, m_pFile);
    m_nPosition += static_cast<uint32_t>(n);
    return static_cast<uint32_t>(n);
}

uint32_t FileStreamIO::Write(const void* buffer, uint32_t count)
{
    if (!CanWrite() || !m_pFile)
        return 0;
    size_t n = std::fwrite(buffer, 1, count, m_pFile);
    m_nPosition += static_cast<uint32_t>(n);
    // fstat does not see data still in the C library's buffer.
    m_nSize = std::max(FileSize(), m_nPosition);
    return static_cast<uint32_t>(n);
}

void FileStreamIO::Skip(int32_t count)
{
    if (count == 0 || !m_pFile)
        return;
    // Computed wide: backwards past the start stops at 0, as the other streams do, rather than
    // wrapping round to the end.
    const int64_t target = int64_t(m_nPosition) + count;
    m_nPosition = static_cast<uint32_t>(std::clamp<int64_t>(target, 0, m_nSize));
    std::fseek(m_pFile, m_nPosition, SEEK_SET);
}

void FileStreamIO::Seek(uint32_t offset)
{
    if (!m_pFile)
        return;
    m_nPosition = std::min(offset, m_nSize);
    std::fseek(m_pFile, m_nPosition, SEEK_SET);
}

bool FileStreamIO::Extend(uint32_t count)
{
    if (!CanWrite() || !m_pFile)
        return false;
    // Positions are 32-bit: an extension past 4 GiB could not be told or sought.
    if (uint64_t(m_nPosition) + count > UINT32_MAX)
        return false;
    // Written in pieces of a fixed size, so a large count costs no buffer of its size.
    static const char zeros[64 * 1024] = {};
    uint32_t written = 0;
    while (written < count) {
        const size_t piece = std::min<size_t>(count - written, sizeof zeros);
        const size_t n = std::fwrite(zeros, 1, piece, m_pFile);
        written += static_cast<uint32_t>(n);
        if (n != piece)
            break;
    }
    m_nPosition += written;
    m_nSize = std::max(FileSize(), m_nPosition);
    return written == count;
}

// ---------------------------------------------------------------------------------------------
// SubFileStreamIO

SubFileStreamIO* SubFileStreamIO::Open(const StreamIO& parent, uint32_t start, uint32_t size)
{
    SubFileStreamIO* stream = new SubFileStreamIO();
    if (stream->FileStreamIO::Open(parent.GetName(), kStreamMode_ReadBinary)) {
        stream->m_nStart = start;
        stream->m_nPosition = start;
        stream->m_nSize = static_cast<uint32_t>(std::min<uint64_t>(uint64_t(start) + size, UINT32_MAX));
        std::fseek(stream->m_pFile, start, SEEK_SET);
    }
    return stream;
}

void SubFileStreamIO::Close()
{
    FileStreamIO::Close();
    // A closed window is empty: with its start kept, size and position would wrap below zero.
    m_nStart = 0;
}

uint32_t SubFileStreamIO::Read(void* buffer, uint32_t count)
{
    if (!CanRead() || !m_pFile || m_nPosition >= m_nSize)
        return 0;
    count = std::min(count, m_nSize - m_nPosition);
    if (count == 0)
        return 0;
    // The window may reach past the file's end: count only what really arrived.
    size_t n = std::fread(buffer, 1, count, m_pFile);
    m_nPosition += static_cast<uint32_t>(n);
    return static_cast<uint32_t>(n);
}

void SubFileStreamIO::Skip(int32_t count)
{
    if (count == 0 || !m_pFile)
        return;
    // A backward skip must not leave the window: the bytes before it are other entries' data.
    const int64_t target = int64_t(m_nPosition) + count;
    m_nPosition = static_cast<uint32_t>(std::clamp<int64_t>(target, m_nStart, m_nSize));
    std::fseek(m_pFile, m_nPosition, SEEK_SET);
}

void SubFileStreamIO::Seek(uint32_t offset)
{
    if (!m_pFile)
        return;
    m_nPosition = static_cast<uint32_t>(std::min<uint64_t>(uint64_t(m_nStart) + offset, m_nSize));
    std::fseek(m_pFile, m_nPosition, SEEK_SET);
}

// ---------------------------------------------------------------------------------------------
// MemoryStreamIO

MemoryStreamIO::~MemoryStreamIO()
{
    MemoryStreamIO::Close();
    m_Name.clear();
}

void MemoryStreamIO::Init(void* data, uint32_t length, bool owns, bool readOnly)
{
    Close();
    m_pStart = static_cast<uint8_t*>(data);
    m_pPosition = m_pStart;
    m_pDataEnd = m_pStart + length;
    m_pCapacityEnd = m_pDataEnd;
    m_bOwns = owns;
    m_nMode = readOnly ? kStreamMode_ReadBinary : kStreamMode_ReadUpdateBinary;
}

void MemoryStreamIO::SetName(const std::string& name)
{
    m_Name = name;
    m_nNameId = HashName(name);
}

void MemoryStreamIO::Close()
{
    if (m_bOwns)
        std::free(m_pStart);
    m_pStart = m_pPosition = m_pDataEnd = m_pCapacityEnd = nullptr;
    m_bOwns = false;
    m_nMode = 0;
}

uint32_t MemoryStreamIO::Read(void* buffer, uint32_t count)
{
    if (!CanRead())
        return 0;
    count = std::min(count, static_cast<uint32_t>(m_pDataEnd - m_pPosition));
    if (count)
        std::memcpy(buffer, m_pPosition, count);
    m_pPosition += count;
    return count;
}

bool MemoryStreamIO::Grow(uint32_t needed)
{
    uint64_t capacity = uint64_t(needed) + needed / 2;
    uint8_t* block = static_cast<uint8_t*>(std::malloc(capacity ? capacity : 1));
    if (!block)
        return false;
    uint32_t size = GetSize();
    uint32_t offset = Tell();
    if (size)
        std::memcpy(block, m_pStart, size);
    if (m_bOwns)
        std::free(m_pStart);
    m_pStart = block;
    m_pPosition = block + offset;
    m_pDataEnd = block + needed;
    m_pCapacityEnd = block + capacity;
    m_bOwns = true;
    return true;
}

bool MemoryStreamIO::Reserve(uint32_t count)
{
    uint64_t end = uint64_t(Tell()) + count;
    if (end > UINT32_MAX)
        return false;
    if (end > GetSize()) {
        if (end > GetCapacity()) {
            if (!Grow(static_cast<uint32_t>(end)))
                return false;
        } else {
            m_pDataEnd = m_pStart + end;
        }
    }
    return true;
}

uint32_t MemoryStreamIO::Write(const void* buffer, uint32_t count)
{
    if (!CanWrite() || !Reserve(count))
        return 0;
    if (count)
        std::memcpy(m_pPosition, buffer, count);
    m_pPosition += count;
    return count;
}

void MemoryStreamIO::Skip(int32_t count)
{
    int64_t target = int64_t(Tell()) + count;
    if (target < 0)
        target = 0;
    m_pPosition = m_pStart + std::min<int64_t>(target, GetSize());
}

void MemoryStreamIO::Seek(uint32_t offset) { m_pPosition = m_pStart + std::min(offset, GetSize()); }

bool MemoryStreamIO::Extend(uint32_t count)
{
    if (!CanWrite())
        return count == 0;
    if (!Reserve(count))
        return false;
    m_pPosition += count;
    return true;
}

// ---------------------------------------------------------------------------------------------

std::string ReadStreamToString(StreamIO& stream)
{
    std::string text(stream.GetSize(), '\0');
    uint32_t position = stream.Tell();
    stream.Seek(0);
    uint32_t n = text.empty() ? 0 : stream.Read(text.data(), static_cast<uint32_t>(text.size()));
    text.resize(n);
    stream.Seek(position);
    return text;
}

uint32_t StreamPrintf(StreamIO& stream, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (needed < 0) {
        va_end(args);
        return 0;
    }
    std::vector<char> buffer(static_cast<size_t>(needed) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    va_end(args);
    return stream.Write(buffer.data(), static_cast<uint32_t>(needed));
}
