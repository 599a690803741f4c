// RIFF WAVE files (sound effects): the PCM of the "data" chunk, in the "fmt " chunk's format.
#pragma once

#include "System/Sound/Decoder.h"

class WaveDecoder : public IDecoder {
public:
    bool Open(StreamIO* stream, bool loop) override;
    bool Read(void* buffer, uint32_t capacity, uint32_t& bytesRead) override;
    long double Tell() override;
    double GetLength() override;
    void Seek(double seconds) override;
    bool IsStreaming() override;
    bool GetData(const void*& data, uint32_t& size) override;

    uint32_t GetDataSize() const { return m_nDataSize; }
    uint32_t GetDataOffset() const { return m_nDataOffset; }

private:
    bool ParseHeader();

    uint32_t m_nDataSize = 0;
    uint32_t m_nPosition = 0;
    uint32_t m_nDataOffset = 0;
};
