// One-shot zlib expansion for the pak archives (index, single entries, whole data areas).
#pragma once

#include <cstdint>

// Inflates the zlib stream source[0, sourceLength) into `buffer`, a malloc block of `capacity`
// bytes. When the block is too small it is replaced by a larger one (the caller owns whatever
// `buffer` holds afterwards and frees it with free). Returns the length produced, 0 on failure.
uint32_t Decompress(uint32_t capacity, uint8_t*& buffer, const void* source, uint32_t sourceLength);

// The largest length a zlib stream of `storedLength` bytes can expand to: deflate's best case
// is 1032 to 1, plus room for the stream's own framing.
uint64_t MaxInflatedLength(uint64_t storedLength);
