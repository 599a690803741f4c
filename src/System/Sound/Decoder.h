// Sound decoders: a sound file held in a stream turned into PCM for an audio source. Made by
// kind with CreateDecoder and owned by whoever it is given to.
#pragma once

#include <cstddef>
#include <cstdint>

#include <vorbis/vorbisfile.h>

#include "Platform/Win32/Windows.h"
#include "System/Common/StreamIO.h"

enum eDecoderKind : int {
    eDecoderKind_Wave = 1,
    eDecoderKind_Vorbis = 2,
};

class IDecoder {
public:
    IDecoder() = default;
    virtual ~IDecoder();
    IDecoder(const IDecoder&) = delete;
    IDecoder& operator=(const IDecoder&) = delete;

    // Takes the stream (deleted with the decoder, whatever the result).
    virtual bool Open(StreamIO* stream, bool loop) = 0;
    virtual void Close();
    // Fills up to `capacity` bytes; true when this read reached the end of the data.
    virtual bool Read(void* buffer, uint32_t capacity, uint32_t& bytesRead) = 0;
    virtual long double Tell() = 0;
    virtual double GetLength() = 0;
    virtual void Seek(double seconds) = 0;
    virtual bool IsStreaming() = 0;
    // The whole PCM data when it lies in memory; false for a streamed decoder.
    virtual bool GetData(const void*& data, uint32_t& size) = 0;

    const WAVEFORMATEX& GetFormat() const { return m_Format; }
    double GetLoopStart() const { return m_dLoopStart; }
    double GetLoopEnd() const { return m_dLoopEnd; }
    // Where a loop goes back to at the end of the data: the loop start when it lies inside the
    // data, else 0 (a start at or past the end would find nothing to play).
    double GetLoopRestart();

protected:
    StreamIO* m_pStream = nullptr;
    WAVEFORMATEX m_Format{};
    double m_dLoopStart = -1.0;
    double m_dLoopEnd = -1.0;
    bool m_bLoop = false;
};

// A new decoder of the kind, or null for an unknown kind.
IDecoder* CreateDecoder(int kind);

// vorbisfile I/O over a StreamIO (the datasource), shared with the movie stream.
size_t StreamReadCallback(void* buffer, size_t size, size_t count, void* stream);
int StreamSeekCallback(void* stream, ogg_int64_t offset, int whence);
int StreamCloseCallback(void* stream);
long StreamTellCallback(void* stream);
