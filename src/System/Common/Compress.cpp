#include "System/Common/Compress.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>

#include "System/Common/Log.h"

namespace {

// The log lines of this file carry a fixed source name and line (the module, without extension):
// tools that watch the log match them.
const char* const kSourceName = "src/System/Common/Compress";

// A stream whose declared length is wrong by more than this many doublings is corrupt.
constexpr int kMaxRetries = 24;

} // namespace

uint64_t MaxInflatedLength(uint64_t storedLength) { return storedLength * 1032 + 64; }

uint32_t Decompress(uint32_t capacity, uint8_t*& buffer, const void* source, uint32_t sourceLength)
{
    const uint64_t limit = std::min<uint64_t>(MaxInflatedLength(sourceLength), UINT32_MAX);
    for (int attempt = 0;; ++attempt) {
        uLongf destLength = capacity;
        int result = uncompress(buffer, &destLength, static_cast<const Bytef*>(source), sourceLength);
        switch (result) {
        case Z_OK:
            return static_cast<uint32_t>(destLength);
        case Z_BUF_ERROR: {
            LogLine(eLogLevel_Info).WriteHeader(91, kSourceName)
                << "The buffer 'dest' was not large enough to hold the compressd data.";
            // No intact stream of this length expands past the limit: stop instead of
            // doubling for ever.
            if (attempt >= kMaxRetries || capacity >= limit) {
                LOG_WARNING << "Gave up inflating " << sourceLength << " bytes: larger than " << capacity
                            << " bytes, which a stream of this length cannot exceed.";
                return 0;
            }
            std::free(buffer);
            capacity = static_cast<uint32_t>(std::min<uint64_t>(std::max<uint64_t>(uint64_t(capacity) * 2, 64), limit));
            buffer = static_cast<uint8_t*>(std::malloc(capacity));
            if (!buffer) {
                LogLine(eLogLevel_Info).WriteHeader(100, kSourceName) << "Insufficient memory.";
                return 0;
            }
            break;
        }
        case Z_MEM_ERROR:
            LogLine(eLogLevel_Info).WriteHeader(100, kSourceName) << "Insufficient memory.";
            return 0;
        case Z_DATA_ERROR:
            LogLine(eLogLevel_Info).WriteHeader(101, kSourceName)
                << "The compressed data (referenced by source) was corrupted.";
            return 0;
        default:
            LOG_WARNING << "uncompress failed with code " << result << ".";
            return 0;
        }
    }
}
