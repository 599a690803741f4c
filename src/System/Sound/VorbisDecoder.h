// Ogg Vorbis files (music) through libvorbisfile, with loop points from the "LOOP_START" and
// "LOOP_END" comments (seconds).
#pragma once

#include "System/Sound/Decoder.h"

class VorbisDecoder : public IDecoder {
public:
    ~VorbisDecoder() override;

    bool Open(StreamIO* stream, bool loop) override;
    // Frees the decoder's state with the stream: afterwards reads end at once and the length
    // and position are 0, as before an open.
    void Close() override;
    bool Read(void* buffer, uint32_t capacity, uint32_t& bytesRead) override;
    long double Tell() override;
    double GetLength() override;
    void Seek(double seconds) override;
    bool IsStreaming() override { return true; }
    bool GetData(const void*&, uint32_t&) override { return false; }

private:
    bool ReadLoopPoints();
    void Clear();

    OggVorbis_File* m_pFile = nullptr;
    bool m_bOpened = false;
    // Bytes given out since the start or the last wrap: a pass with none ends the stream.
    uint64_t m_nPassBytes = 0;
};
