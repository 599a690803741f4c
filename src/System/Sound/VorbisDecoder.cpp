#include "System/Sound/VorbisDecoder.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "System/Common/Log.h"
#include "System/Common/NameHash.h"
#include "System/Common/StringUtil.h"

namespace {

const NameId g_nLoopStartId = HashName("LOOP_START");
const NameId g_nLoopEndId = HashName("LOOP_END");

// ov_read hands out at most this much per call.
constexpr uint32_t kReadChunk = 4096;
// Consecutive failing reads after which the data counts as ended (a hole passes after one).
constexpr int kMaxReadErrors = 16;

} // namespace

VorbisDecoder::~VorbisDecoder() { Clear(); }

void VorbisDecoder::Clear()
{
    if (m_pFile) {
        if (m_bOpened)
            ov_clear(m_pFile);
        std::free(m_pFile);
        m_pFile = nullptr;
    }
    m_bOpened = false;
}

void VorbisDecoder::Close()
{
    // The decoder's state reads through the stream: it goes first.
    Clear();
    IDecoder::Close();
}

bool VorbisDecoder::Open(StreamIO* stream, bool loop)
{
    Close();
    m_pStream = stream;
    m_bLoop = loop;
    m_nPassBytes = 0;
    if (!m_pStream)
        return false;
    m_pFile = static_cast<OggVorbis_File*>(std::calloc(1, sizeof(OggVorbis_File)));
    if (!m_pFile)
        return false;
    ov_callbacks callbacks = {StreamReadCallback, StreamSeekCallback, StreamCloseCallback, StreamTellCallback};
    if (ov_open_callbacks(m_pStream, m_pFile, nullptr, 0, callbacks) < 0) {
        LOG_ERROR << "Not an Ogg Vorbis stream: " << m_pStream->GetName();
        return false;
    }
    m_bOpened = true;
    vorbis_info* info = ov_info(m_pFile, -1);
    if (!info) {
        LOG_ERROR << "Ogg Vorbis stream without stream info: " << m_pStream->GetName();
        return false;
    }
    if (!ReadLoopPoints()) {
        LOG_ERROR << "Ogg Vorbis stream without a comment block: " << m_pStream->GetName();
        return false;
    }
    m_Format.wFormatTag = WAVE_FORMAT_PCM;
    m_Format.nChannels = static_cast<WORD>(info->channels);
    m_Format.nSamplesPerSec = static_cast<DWORD>(info->rate);
    m_Format.wBitsPerSample = 16;
    m_Format.nBlockAlign = static_cast<WORD>(info->channels * 2);
    m_Format.nAvgBytesPerSec = m_Format.nBlockAlign * m_Format.nSamplesPerSec;
    m_Format.cbSize = 0;
    return true;
}

bool VorbisDecoder::ReadLoopPoints()
{
    vorbis_comment* comment = ov_comment(m_pFile, -1);
    if (!comment)
        return false;
    for (int i = 0; i < comment->comments; ++i) {
        if (!comment->user_comments[i])
            continue;
        std::string text(comment->user_comments[i], comment->comment_lengths ? comment->comment_lengths[i] : 0);
        std::vector<std::string> pieces;
        SplitString(text, "=", pieces);
        if (pieces.size() != 2)
            continue;
        NameId key = HashName(pieces[0]);
        double value = 0.0;
        if (key == g_nLoopStartId) {
            if (std::sscanf(pieces[1].c_str(), "%lf", &value) == 1)
                m_dLoopStart = value;
        } else if (key == g_nLoopEndId) {
            if (std::sscanf(pieces[1].c_str(), "%lf", &value) == 1)
                m_dLoopEnd = value;
        }
    }
    return true;
}

bool VorbisDecoder::Read(void* buffer, uint32_t capacity, uint32_t& bytesRead)
{
    bytesRead = 0;
    if (capacity < kReadChunk)
        return false;
    if (!m_bOpened)
        return true;
    char* out = static_cast<char*>(buffer);
    int errors = 0;
    while (capacity - bytesRead >= kReadChunk) {
        int section = 0;
        long n = ov_read(m_pFile, out + bytesRead, kReadChunk, 0, 2, 1, &section);
        if (n < 0) {
            // A hole or a bad link: nothing to count; give up on data that keeps failing.
            if (++errors >= kMaxReadErrors)
                return true;
            continue;
        }
        errors = 0;
        if (n == 0) {
            if (!m_bLoop || m_nPassBytes == 0)
                return true;
            ov_time_seek(m_pFile, GetLoopRestart());
            m_nPassBytes = 0;
            continue;
        }
        bytesRead += static_cast<uint32_t>(n);
        m_nPassBytes += static_cast<uint64_t>(n);
    }
    return false;
}

long double VorbisDecoder::Tell() { return m_bOpened ? ov_time_tell(m_pFile) : 0.0L; }

double VorbisDecoder::GetLength()
{
    if (!m_bOpened)
        return 0.0;
    double total = ov_time_total(m_pFile, -1);
    return total > 0.0 ? total : 0.0;
}

void VorbisDecoder::Seek(double seconds)
{
    if (m_bOpened)
        ov_time_seek(m_pFile, seconds);
}
