// The Ogg Vorbis reader on arbitrary bytes: opening, the loop points from the "LOOP_START" and
// "LOOP_END" comments, streamed reads that wrap at the loop, seeking, and closing.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "System/Common/StreamIO.h"
#include "System/Sound/VorbisDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 20))
        return 0;
    void* copy = std::malloc(size ? size : 1);
    if (size)
        std::memcpy(copy, data, size);
    MemoryStreamIO* stream = new MemoryStreamIO();
    stream->Init(copy, static_cast<uint32_t>(size), true, true);
    stream->SetName("fuzz.ogg");

    VorbisDecoder decoder;
    const bool loop = size > 0 && (data[size - 1] & 1);
    if (decoder.Open(stream, loop)) {
        (void)decoder.GetLoopRestart();
        std::vector<uint8_t> buffer(8192);
        uint32_t got = 0;
        // Enough reads to pass the end of a small file and wrap at its loop point.
        for (int i = 0; i < 32; ++i)
            if (decoder.Read(buffer.data(), 8192, got) && !loop)
                break;
        decoder.Seek(decoder.GetLength() / 2);
        decoder.Read(buffer.data(), 8192, got);
        (void)decoder.Tell();
    }
    decoder.Close();
    std::vector<uint8_t> buffer(8192);
    uint32_t got = 0;
    decoder.Read(buffer.data(), 8192, got);
    (void)decoder.Tell();
    return 0;
}
