// Writes Ogg Theora movies (optionally with a Vorbis track) from painted frames: the demo
// movies, the tests' fixtures and the fuzz seeds.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct MovieRgb {
    uint8_t r, g, b;
};

struct MovieSpec {
    // The picture; the coded frame is the picture rounded up to whole 16-pixel blocks and
    // placed at the offsets inside it.
    int width = 64;
    int height = 64;
    int offsetX = 0;
    int offsetY = 0;
    int fpsNumerator = 30;
    int fpsDenominator = 1;
    int frameCount = 30;
    int quality = 48; // 0..63
    int keyframeInterval = 64;
    // Frames painted the same as the one before go out as repeats (empty packets) when set.
    bool markRepeats = false;
    // Sound: 0 leaves the movie silent.
    int audioRate = 0;
    int audioChannels = 1;
};

// Colour of picture pixel (x, y) in frame `frame`.
using MoviePainter = std::function<MovieRgb(int frame, int x, int y)>;
// A sample in -1..1 of channel `channel` at time `seconds`.
using MovieSound = std::function<float(double seconds, int channel)>;
// Whether frame `frame` (> 0) repeats the one before.
using MovieRepeat = std::function<bool(int frame)>;

bool WriteMovie(std::vector<uint8_t>& out, const MovieSpec& spec, const MoviePainter& paint,
                const MovieSound& sound = {}, const MovieRepeat& repeat = {}, std::string* error = nullptr);
bool WriteMovieFile(const std::string& path, const MovieSpec& spec, const MoviePainter& paint,
                    const MovieSound& sound = {}, const MovieRepeat& repeat = {}, std::string* error = nullptr);

// Studio-range Y'CbCr of a colour, as the writer stores it.
void MovieRgbToYCbCr(MovieRgb c, uint8_t& y, uint8_t& cb, uint8_t& cr);
