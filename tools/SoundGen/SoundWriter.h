// Writers of the two sound formats the game reads: RIFF WAVE (PCM) and Ogg Vorbis with
// comments. Used by the demo-content generator and by the sound tests.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// A canonical WAVE file: "fmt " of 16 bytes and "data". 8-bit samples are stored unsigned.
std::vector<uint8_t> MakeWave(const std::vector<int16_t>& interleaved, int channels, int rate, int bits);

// An Ogg Vorbis file at the VBR quality (-0.1 .. 1.0) with the given "KEY=value" comments.
// Empty on failure.
std::vector<uint8_t> MakeVorbis(const std::vector<int16_t>& interleaved, int channels, int rate, float quality,
                                const std::vector<std::string>& comments);

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
