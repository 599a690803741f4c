// Helpers of the sound tests: streams over bytes and test signals.
#pragma once

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Support/MemoryStream.h"
#include "System/Common/StreamIO.h"


inline FileStreamIO* FileStreamOf(const std::string& path)
{
    FileStreamIO* stream = new FileStreamIO();
    stream->Open(path, kStreamMode_ReadBinary);
    return stream;
}

// 0, 1, 2, ... per frame (each channel the same), wrapping at 30000: every frame is known.
inline std::vector<int16_t> Ramp(size_t frames, int channels)
{
    std::vector<int16_t> out(frames * channels);
    for (size_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            out[i * channels + c] = int16_t(i % 30000);
    return out;
}

// A tune with some movement, for the lossy encoder.
inline std::vector<int16_t> Tune(size_t frames, int channels, int rate)
{
    std::vector<int16_t> out(frames * channels);
    for (size_t i = 0; i < frames; ++i) {
        double t = double(i) / rate;
        double v = 0.3 * std::sin(2 * 3.14159265 * (220.0 + 40.0 * std::sin(t * 3)) * t);
        for (int c = 0; c < channels; ++c)
            out[i * channels + c] = int16_t(v * 32767 * (c ? 0.8 : 1.0));
    }
    return out;
}
