#include "System/Sound/Decoder.h"

#include <cstdio>

#include "System/Sound/VorbisDecoder.h"
#include "System/Sound/WaveDecoder.h"

IDecoder::~IDecoder() { IDecoder::Close(); }

void IDecoder::Close()
{
    delete m_pStream;
    m_pStream = nullptr;
}

double IDecoder::GetLoopRestart()
{
    if (m_dLoopStart > 0.0 && m_dLoopStart < GetLength())
        return m_dLoopStart;
    return 0.0;
}

IDecoder* CreateDecoder(int kind)
{
    switch (kind) {
    case eDecoderKind_Wave:
        return new WaveDecoder();
    case eDecoderKind_Vorbis:
        return new VorbisDecoder();
    default:
        return nullptr;
    }
}

size_t StreamReadCallback(void* buffer, size_t size, size_t count, void* datasource)
{
    StreamIO* stream = static_cast<StreamIO*>(datasource);
    if (size == 0 || count == 0)
        return 0;
    uint32_t position = stream->Tell();
    uint32_t total = stream->GetSize();
    size_t available = total > position ? (total - position) / size : 0;
    size_t n = count < available ? count : available;
    if (n == 0)
        return 0;
    uint32_t bytes = static_cast<uint32_t>(n * size);
    return stream->Read(buffer, bytes) == bytes ? n : 0;
}

int StreamSeekCallback(void* datasource, ogg_int64_t offset, int whence)
{
    StreamIO* stream = static_cast<StreamIO*>(datasource);
    // 32-bit streams: only the low half of the offset counts.
    uint32_t low = static_cast<uint32_t>(offset);
    switch (whence) {
    case SEEK_SET:
        stream->Seek(low);
        return 0;
    case SEEK_CUR:
        stream->Skip(static_cast<int32_t>(low));
        return 0;
    case SEEK_END:
        stream->Seek(stream->GetSize() + low);
        return 0;
    default:
        return -1;
    }
}

int StreamCloseCallback(void*)
{
    // The decoder deletes its stream itself.
    return 0;
}

long StreamTellCallback(void* datasource) { return static_cast<long>(static_cast<StreamIO*>(datasource)->Tell()); }
