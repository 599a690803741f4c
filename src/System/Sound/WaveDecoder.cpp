#include "System/Sound/WaveDecoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "System/Common/Log.h"

namespace {

uint32_t ReadU32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint16_t ReadU16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

} // namespace

bool WaveDecoder::Open(StreamIO* stream, bool loop)
{
    Close();
    m_pStream = stream;
    m_bLoop = loop;
    m_Format = WAVEFORMATEX{};
    m_nDataSize = m_nPosition = m_nDataOffset = 0;
    if (!m_pStream)
        return false;
    return ParseHeader();
}

bool WaveDecoder::ParseHeader()
{
    const std::string& name = m_pStream->GetName();
    uint32_t total = m_pStream->GetSize();
    m_pStream->Seek(0);
    uint8_t riff[12];
    if (m_pStream->Read(riff, 12) != 12 || std::memcmp(riff, "RIFF", 4) != 0 ||
        std::memcmp(riff + 8, "WAVE", 4) != 0 || ReadU32(riff + 4) != total - 8) {
        LOG_ERROR << "Not a RIFF WAVE file (or its RIFF size is not the file size - 8): " << name;
        return false;
    }
    uint32_t offset = 12;
    while (total - offset >= 8) {
        uint8_t header[8];
        m_pStream->Seek(offset);
        if (m_pStream->Read(header, 8) != 8)
            break;
        uint32_t size = ReadU32(header + 4);
        uint32_t body = offset + 8;
        // A chunk that claims more than the file holds would have the mixer read past its end.
        if (size > total - body) {
            LOG_ERROR << "WAVE chunk '" << std::string(reinterpret_cast<char*>(header), 4) << "' at " << offset
                      << " claims " << size << " bytes but " << (total - body) << " remain: " << name;
            break;
        }
        if (std::memcmp(header, "fmt ", 4) == 0 && size == 16) {
            uint8_t f[16];
            if (m_pStream->Read(f, 16) != 16)
                break;
            m_Format.wFormatTag = ReadU16(f);
            m_Format.nChannels = ReadU16(f + 2);
            m_Format.nSamplesPerSec = ReadU32(f + 4);
            m_Format.nAvgBytesPerSec = ReadU32(f + 8);
            m_Format.nBlockAlign = ReadU16(f + 12);
            m_Format.wBitsPerSample = ReadU16(f + 14);
            m_Format.cbSize = 0;
        } else if (std::memcmp(header, "data", 4) == 0) {
            m_nDataSize = size;
            m_nPosition = 0;
            m_nDataOffset = body;
        }
        // No padding byte after odd sizes: the files this game reads are written without it.
        offset = body + size;
    }
    m_pStream->Seek(m_nDataOffset);
    return true;
}

bool WaveDecoder::Read(void* buffer, uint32_t capacity, uint32_t& bytesRead)
{
    bytesRead = 0;
    if (!m_pStream)
        return true;
    uint32_t want = std::min(capacity, m_nDataSize - m_nPosition);
    uint32_t got = want > 0 ? m_pStream->Read(buffer, want) : 0;
    bytesRead = got;
    // A stream that gives less than its chunk promised has ended early.
    uint32_t next = got < want ? m_nDataSize : m_nPosition + got;
    if (next < m_nDataSize) {
        m_nPosition = next;
        return false;
    }
    if (m_bLoop)
        Seek(GetLoopRestart());
    else
        m_nPosition = next;
    return true;
}

long double WaveDecoder::Tell()
{
    if (m_Format.nAvgBytesPerSec == 0)
        return 0.0L;
    return static_cast<long double>(m_nPosition) / m_Format.nAvgBytesPerSec;
}

double WaveDecoder::GetLength()
{
    if (m_Format.nAvgBytesPerSec == 0)
        return 0.0;
    return static_cast<double>(m_nDataSize) / m_Format.nAvgBytesPerSec;
}

void WaveDecoder::Seek(double seconds)
{
    if (!m_pStream)
        return;
    double s = std::min(seconds, GetLength());
    double bytes = std::max(0.0, std::trunc(double(m_Format.nAvgBytesPerSec) * s));
    m_nPosition = static_cast<uint32_t>(std::min(bytes, double(m_nDataSize)));
    m_pStream->Seek(m_nDataOffset + m_nPosition);
}

bool WaveDecoder::IsStreaming() { return !m_pStream || !m_pStream->IsInMemory(); }

bool WaveDecoder::GetData(const void*& data, uint32_t& size)
{
    MemoryStreamIO* memory = dynamic_cast<MemoryStreamIO*>(m_pStream);
    if (!memory || !memory->GetData())
        return false;
    data = memory->GetData() + m_nDataOffset;
    size = m_nDataSize;
    return true;
}
