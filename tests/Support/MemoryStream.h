// A memory stream over a copy of some bytes (owned, read-only), like a pak entry's.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "System/Common/StreamIO.h"

inline MemoryStreamIO* MemoryStreamOf(const std::vector<uint8_t>& bytes, const std::string& name = "memory")
{
    void* copy = std::malloc(bytes.empty() ? 1 : bytes.size());
    if (!bytes.empty())
        std::memcpy(copy, bytes.data(), bytes.size());
    MemoryStreamIO* stream = new MemoryStreamIO();
    stream->Init(copy, uint32_t(bytes.size()), true, true);
    stream->SetName(name);
    return stream;
}
