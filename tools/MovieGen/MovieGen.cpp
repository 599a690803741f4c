// Makes the demo movies: a short logo, an opening with a Vorbis track and a title background
// whose last frame leads seamlessly back into its first. Deterministic: the same files on
// every build.
//   qm_moviegen <movies folder>    writes logo.ogv, opening.ogv, title.ogv and the ending pages
//                                  ending1.ogv .. ending3.ogv into it
#include "MovieWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

namespace {

constexpr double kPi = 3.14159265358979323846;

// The demo palette.
constexpr MovieRgb kNight{18, 22, 48};
constexpr MovieRgb kInk{30, 34, 60};
constexpr MovieRgb kGold{236, 188, 72};
constexpr MovieRgb kPaper{244, 236, 214};
constexpr MovieRgb kDawn{238, 128, 96};
constexpr MovieRgb kSky{96, 156, 214};
constexpr MovieRgb kHill{52, 96, 72};
constexpr MovieRgb kHillFar{88, 132, 110};

MovieRgb Mix(MovieRgb a, MovieRgb b, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    auto lerp = [t](uint8_t x, uint8_t y) { return uint8_t(std::lround(x + (y - x) * t)); };
    return {lerp(a.r, b.r), lerp(a.g, b.g), lerp(a.b, b.b)};
}

// The logo: a gold ring draws itself around a quill stroke on a night-blue field, then the
// whole fades out.
MovieRgb PaintLogo(int frame, int x, int y, const MovieSpec& spec)
{
    const double t = double(frame) / (spec.frameCount - 1);
    const double cx = spec.width / 2.0, cy = spec.height / 2.0;
    const double dx = x - cx, dy = y - cy;
    const double r = std::sqrt(dx * dx + dy * dy);
    const double angle = std::atan2(dy, dx) + kPi; // 0..2 pi
    MovieRgb c = kNight;
    const double ring = spec.height * 0.36;
    if (std::fabs(r - ring) < spec.height / 45.0 && angle <= std::min(1.0, t * 2.0) * 2.0 * kPi)
        c = kGold;
    // The quill: a slanted leaf shape, the stroke across it in ink.
    const double u = (dx * 0.8 + dy * 0.6), v = (-dx * 0.6 + dy * 0.8);
    const double half = ring * 0.8;
    if (std::fabs(u) < half && std::fabs(v) < (1.0 - (u / half) * (u / half)) * ring * 0.18)
        c = std::fabs(v) < spec.height / 180.0 ? kInk : kPaper;
    const double fade = t < 0.75 ? std::min(1.0, t * 4.0) : (1.0 - t) * 4.0;
    return Mix(kNight, c, fade);
}

// The opening: dawn over two rows of hills, the sun climbing.
MovieRgb PaintOpening(int frame, int x, int y, const MovieSpec& spec)
{
    const double t = double(frame) / (spec.frameCount - 1);
    const double h = spec.height;
    MovieRgb c = Mix(kDawn, kSky, (h - y) / h * 0.8 + t * 0.4);
    const double sunX = spec.width * 0.7, sunY = h * (0.75 - 0.4 * t);
    if (std::hypot(x - sunX, y - sunY) < h * 0.08)
        c = kGold;
    const double far = h * (0.62 + 0.05 * std::sin(x * 0.011 + t * 0.6));
    if (y > far)
        c = kHillFar;
    const double near = h * (0.74 + 0.07 * std::sin(x * 0.007 + 1.3 - t * 0.9));
    if (y > near)
        c = kHill;
    return c;
}

// The title background: diagonal bands drifting by exactly one period over the movie, so
// playing it in a loop shows no seam.
MovieRgb PaintTitle(int frame, int x, int y, const MovieSpec& spec)
{
    const double phase = 2.0 * kPi * frame / spec.frameCount;
    const double wave = std::sin((x + y * 0.5) * 2.0 * kPi / 240.0 - phase);
    const double glow = 0.5 + 0.5 * std::sin(y * 2.0 * kPi / spec.height + phase);
    return Mix(kNight, Mix(kInk, kSky, glow * 0.5), 0.5 + 0.5 * wave);
}

// The ending pages: the same hills at dusk, night and the next dawn, a star field slowly
// brightening over them; each page a different sky.
MovieRgb PaintEnding(int frame, int x, int y, const MovieSpec& spec, MovieRgb sky, MovieRgb ground)
{
    const double t = double(frame) / (spec.frameCount - 1);
    const double h = spec.height;
    MovieRgb c = Mix(sky, kNight, (h - y) / h * 0.6);
    // A sparse, fixed star field from a hash of the pixel.
    const uint32_t hash = (uint32_t(x) * 73856093u) ^ (uint32_t(y) * 19349663u);
    if (hash % 977 == 0 && y < h * 0.6)
        c = Mix(c, kPaper, 0.3 + 0.7 * t);
    if (y > h * (0.7 + 0.05 * std::sin(x * 0.02 + t)))
        c = ground;
    return c;
}

MovieRgb PaintEnding1(int f, int x, int y, const MovieSpec& s) { return PaintEnding(f, x, y, s, kDawn, kHill); }
MovieRgb PaintEnding2(int f, int x, int y, const MovieSpec& s) { return PaintEnding(f, x, y, s, kInk, kHillFar); }
MovieRgb PaintEnding3(int f, int x, int y, const MovieSpec& s) { return PaintEnding(f, x, y, s, kSky, kHill); }

// The opening's music: a slow arpeggio of a major chord with a soft decay on each note.
float OpeningSound(double seconds, int)
{
    static const double notes[] = {261.63, 329.63, 392.00, 523.25};
    const double step = 0.25;
    const int index = int(seconds / step);
    const double inNote = seconds - index * step;
    const double hz = notes[index % 4];
    return float(0.3 * std::sin(2.0 * kPi * hz * seconds) * std::exp(-inNote * 6.0));
}

bool Make(const std::filesystem::path& folder, const char* name, const MovieSpec& spec,
          MovieRgb (*paint)(int, int, int, const MovieSpec&), MovieSound sound = {})
{
    const std::string path = (folder / name).string();
    std::string error;
    if (!WriteMovieFile(
            path, spec, [&](int f, int x, int y) { return paint(f, x, y, spec); }, sound, {}, &error)) {
        std::fprintf(stderr, "qm_moviegen: %s: %s\n", path.c_str(), error.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: qm_moviegen <movies folder>\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);

    // The logo is drawn from the screen's top left at its own size, as the opening after it:
    // the whole screen's size, or it fills one corner and leaves the rest black.
    MovieSpec logo;
    logo.width = 960;
    logo.height = 540;
    logo.offsetY = 2;
    logo.frameCount = 60;
    logo.quality = 40;

    MovieSpec opening;
    opening.width = 960;
    opening.height = 540;
    opening.frameCount = 90;
    opening.quality = 32;
    opening.audioRate = 22050;
    opening.audioChannels = 1;

    MovieSpec title;
    title.width = 960;
    title.height = 540;
    title.frameCount = 60;
    title.quality = 32;

    // The ending's pages: short and small, each shown centred.
    MovieSpec ending;
    ending.width = 480;
    ending.height = 270;
    ending.frameCount = 36;
    ending.quality = 32;

    // One thread per movie: the encoder is the slow part of the content build.
    bool ok[6] = {};
    std::thread threads[] = {
        std::thread([&] { ok[0] = Make(folder, "logo.ogv", logo, PaintLogo); }),
        std::thread([&] { ok[1] = Make(folder, "opening.ogv", opening, PaintOpening, OpeningSound); }),
        std::thread([&] { ok[2] = Make(folder, "title.ogv", title, PaintTitle); }),
        std::thread([&] {
            ok[3] = Make(folder, "ending1.ogv", ending, PaintEnding1);
            ok[4] = Make(folder, "ending2.ogv", ending, PaintEnding2);
            ok[5] = Make(folder, "ending3.ogv", ending, PaintEnding3);
        }),
    };
    for (std::thread& t : threads)
        t.join();
    return std::all_of(std::begin(ok), std::end(ok), [](bool b) { return b; }) ? 0 : 1;
}
