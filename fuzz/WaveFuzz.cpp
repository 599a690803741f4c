// The WAVE reader on arbitrary bytes, from memory (buffered) and through the read path.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "System/Common/StreamIO.h"
#include "System/Sound/WaveDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 20))
        return 0;
    void* copy = std::malloc(size ? size : 1);
    if (size)
        std::memcpy(copy, data, size);
    MemoryStreamIO* stream = new MemoryStreamIO();
    stream->Init(copy, static_cast<uint32_t>(size), true, true);
    stream->SetName("fuzz.wav");

    WaveDecoder decoder;
    bool loop = size > 0 && (data[size - 1] & 1);
    if (!decoder.Open(stream, loop))
        return 0;
    const void* pcm = nullptr;
    uint32_t bytes = 0;
    if (decoder.GetData(pcm, bytes)) {
        // Touch every byte the mixer would read.
        const uint8_t* p = static_cast<const uint8_t*>(pcm);
        volatile uint8_t sum = 0;
        for (uint32_t i = 0; i < bytes; ++i)
            sum = static_cast<uint8_t>(sum + p[i]);
    }
    std::vector<uint8_t> buffer(8192);
    uint32_t got = 0;
    for (int i = 0; i < 8; ++i)
        if (decoder.Read(buffer.data(), 8192, got) && !loop)
            break;
    decoder.Seek(decoder.GetLength() / 2);
    decoder.Read(buffer.data(), 100, got);
    (void)decoder.Tell();
    return 0;
}
