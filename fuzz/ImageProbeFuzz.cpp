// The image size probe of the texture table on arbitrary bytes: it reads the header of every
// format the game loads (DDS, PNG, JPEG, BMP, TGA) and must stay inside what it was given.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "System/Common/StreamIO.h"
#include "System/Graphics/TextureTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    void* copy = std::malloc(size ? size : 1);
    if (size)
        std::memcpy(copy, data, size);
    auto* stream = new MemoryStreamIO();
    stream->Init(copy, static_cast<uint32_t>(size), true, true);
    TextureEntry entry;
    ProbeImageSize(stream, &entry); // takes the stream
    return 0;
}
