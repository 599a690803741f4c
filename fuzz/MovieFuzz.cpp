// Opens arbitrary bytes as a movie and, when it opens, decodes a few frames, loops once and
// decodes a few more, with the sound thread running; then plays it looping on the decoding
// thread across a few ends.
#include "System/Common/StreamIO.h"
#include "System/Movie/MovieDecoder.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 20))
        return 0;
    void* copy = std::malloc(size ? size : 1);
    if (size)
        std::memcpy(copy, data, size);
    MemoryStreamIO* stream = new MemoryStreamIO();
    stream->Init(copy, static_cast<uint32_t>(size), true, true);
    stream->SetName("fuzz.ogv");

    MovieDecoder decoder;
    if (!decoder.Open(stream, 3, 4))
        return 0;
    decoder.Start();
    std::vector<uint8_t> frame(decoder.GetFrameSize());
    int32_t number = 0;
    float due = 0.0f;
    for (int i = 0; i < 6 && decoder.GetFrame(frame.data(), number, due) == MovieDecoder::eGetFrame_Taken; ++i) {
    }
    decoder.Restart();
    for (int i = 0; i < 2 && decoder.GetFrame(frame.data(), number, due) == MovieDecoder::eGetFrame_Taken; ++i) {
    }
    decoder.Close();

    // Looping: the decoding thread reads the movie again from its start by itself, with the
    // sound thread running; frames are taken in place across a few ends.
    void* again = std::malloc(size ? size : 1);
    if (size)
        std::memcpy(again, data, size);
    MemoryStreamIO* loopStream = new MemoryStreamIO();
    loopStream->Init(again, static_cast<uint32_t>(size), true, true);
    loopStream->SetName("fuzz.ogv");
    MovieDecoder looping;
    if (!looping.Open(loopStream, 3, 4))
        return 0;
    looping.SetLoop(true);
    looping.Start();
    for (int i = 0; i < 16; ++i) {
        const uint8_t* pixels = nullptr;
        const int result = looping.TakeFrame(pixels, number, due);
        if (result == MovieDecoder::eGetFrame_Ended) {
            looping.Restart();
            continue;
        }
        if (result != MovieDecoder::eGetFrame_Taken)
            break;
        if (pixels)
            std::memcpy(frame.data(), pixels, std::min(frame.size(), looping.GetFrameSize()));
        looping.ReleaseFrame();
    }
    looping.Close();
    return 0;
}
