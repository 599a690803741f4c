// Arbitrary bytes read as a bitmap font file, then used: a damaged font must be refused with an
// error or read safely, and text drawn or measured with whatever was read must stay in bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "System/Common/StreamIO.h"
#include "System/Graphics/FontSet.h"
#include "System/Graphics/SpriteBatch.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!g_pSpriteBatch)
        g_pSpriteBatch = new SpriteBatch; // queues sprites; nothing is drawn without a device
    void* copy = std::malloc(size ? size : 1);
    if (size)
        std::memcpy(copy, data, size);
    MemoryStreamIO stream;
    stream.Init(copy, static_cast<uint32_t>(size), true, true);

    BitmapFont font;
    if (font.Read(stream, "assets.v1/2d/fonts/", "fuzz")) {
        static const char* const texts[] = {"Ab c\t\nd", "\x82\xa0\x81\x40\x83\x41", "tail\x82", "\xb1\xb2\xdf"};
        for (const char* text : texts) {
            font.MeasureText(text, 2.0f);
            font.DrawText(text, 10.0f, 20.0f, 0xFFFFFFFFu, 1.0f, 2.0f, 1.5f, 0.3f);
        }
        g_pSpriteBatch->ResetFrame();
    }
    return 0;
}
