// Makes the demo sounds: short WAVE effects in a few formats and two Ogg Vorbis music loops
// with LOOP_START / LOOP_END comments. Deterministic: the same files on every build.
//   qm_soundgen <out>   writes <out>/loose/se/*.wav (laid loose into the game's sounds folder),
//                       <out>/se/*.wav (packed into se.pak) and <out>/bgm/*.ogg (bgm.pak)
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "SoundWriter.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// A small fixed noise source (the same bytes every run).
struct Noise {
    uint32_t state = 0x1234567u;
    double Next()
    {
        state = state * 1664525u + 1013904223u;
        return double(state >> 8) / double(1u << 24) * 2.0 - 1.0;
    }
};

int16_t Clip(double v) { return int16_t(std::lround(std::fmax(-1.0, std::fmin(1.0, v)) * 32767.0)); }

// Renders seconds of a signal f(t, channel) into interleaved samples.
std::vector<int16_t> Render(double seconds, int rate, int channels, const std::function<double(double, int)>& f)
{
    size_t frames = size_t(seconds * rate);
    std::vector<int16_t> out(frames * channels);
    for (size_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            out[i * channels + c] = Clip(f(double(i) / rate, c));
    return out;
}

double Tone(double t, double hz) { return std::sin(2.0 * kPi * hz * t); }
double Decay(double t, double rate) { return std::exp(-t * rate); }
double Note(int semitonesFromA4) { return 440.0 * std::pow(2.0, semitonesFromA4 / 12.0); }

struct Effect {
    const char* name;
    bool loose;  // streamed from a loose file, else played from memory out of the pak
    int rate, channels, bits;
    double seconds;
    std::function<double(double, int)> signal;
};

std::vector<int16_t> MusicLoop(double seconds, const std::vector<int>& chords, const std::vector<int>& melody, double bpm)
{
    const int rate = 44100;
    const double beat = 60.0 / bpm;
    return Render(seconds, rate, 2, [&](double t, int c) {
        int b = int(t / beat);
        double inBeat = t - b * beat;
        int root = chords[size_t(b / 4) % chords.size()];
        double pad = 0.0;
        for (int k : {0, 4, 7})
            pad += 0.08 * Tone(t, Note(root + k - 12));
        double bass = 0.2 * Tone(t, Note(root - 24)) * Decay(inBeat, 3.0);
        int m = melody[size_t(b) % melody.size()];
        double lead = m < -90 ? 0.0 : 0.18 * Tone(t, Note(root + m)) * Decay(inBeat, 4.0);
        // The lead leans left, the bass right.
        return pad + (c == 0 ? 1.2 * lead + 0.8 * bass : 0.8 * lead + 1.2 * bass);
    });
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: qm_soundgen <sounds folder>\n");
        return 2;
    }
    namespace fs = std::filesystem;
    fs::path root = argv[1];
    fs::create_directories(root / "loose" / "se");
    fs::create_directories(root / "se");
    fs::create_directories(root / "bgm");

    const std::vector<Effect> effects = {
        // A camera shutter: two clicks of filtered noise.
        {"screenshot", true, 44100, 1, 16, 0.22,
         [n = Noise()](double t, int) mutable {
             double click = t < 0.1 ? Decay(t, 60.0) : Decay(t - 0.1, 45.0);
             return 0.7 * n.Next() * click + 0.2 * Tone(t, 2200.0) * Decay(t, 80.0);
         }},
        {"step2", false, 22050, 1, 16, 0.09, [](double t, int) { return 0.8 * Tone(t, 90.0 - 300.0 * t) * Decay(t, 40.0); }},
        {"dash_f", false, 22050, 1, 8, 0.3,
         [n = Noise()](double t, int) mutable { return 0.6 * n.Next() * std::sin(kPi * t / 0.3); }},
        {"dash_a", false, 44100, 2, 16, 0.3,
         [n = Noise()](double t, int c) mutable {
             double pan = c == 0 ? 1.0 - t / 0.3 : t / 0.3;
             return 0.5 * pan * n.Next() * std::sin(kPi * t / 0.3);
         }},
        {"jingle_last_battle_end", true, 44100, 2, 16, 1.6,
         [](double t, int c) {
             const int steps[] = {3, 7, 10, 15};
             int i = std::min(3, int(t / 0.2));
             double local = t - 0.2 * i;
             return (c == 0 ? 0.35 : 0.3) * Tone(t, Note(steps[i])) * Decay(local, i == 3 ? 2.0 : 6.0);
         }},
        {"cursor", true, 44100, 1, 16, 0.06, [](double t, int) { return 0.4 * Tone(t, 1320.0) * Decay(t, 50.0); }},
        {"decide", false, 44100, 1, 16, 0.18,
         [](double t, int) { return 0.4 * Tone(t, t < 0.06 ? 880.0 : 1320.0) * Decay(std::fmod(t, 0.06), 20.0); }},
        {"cancel", false, 44100, 1, 16, 0.15, [](double t, int) { return 0.4 * Tone(t, 660.0 - 1500.0 * t) * Decay(t, 15.0); }},
        // A window opening rises, closing falls: short sweeps under the cursor's pitch.
        {"open", false, 44100, 1, 16, 0.12, [](double t, int) { return 0.35 * Tone(t, 520.0 + 3000.0 * t) * Decay(t, 12.0); }},
        {"close", false, 44100, 1, 16, 0.12, [](double t, int) { return 0.35 * Tone(t, 880.0 - 3000.0 * t) * Decay(t, 12.0); }},
        // A hit landing: a thump under a burst of noise.
        {"hit", false, 22050, 1, 16, 0.16,
         [n = Noise()](double t, int) mutable {
             return 0.6 * n.Next() * Decay(t, 30.0) + 0.5 * Tone(t, 120.0 - 400.0 * t) * Decay(t, 20.0);
         }},
        // A swing through the air: noise swelling and fading.
        {"swing", false, 22050, 1, 16, 0.2,
         [n = Noise()](double t, int) mutable { return 0.4 * n.Next() * std::sin(kPi * t / 0.2); }},
        // Picking an item up: two rising notes.
        {"pickup", false, 44100, 1, 16, 0.2,
         [](double t, int) { return 0.35 * Tone(t, t < 0.08 ? 988.0 : 1319.0) * Decay(std::fmod(t, 0.08), 12.0); }},
        // Catching an experience mote: a short high blip.
        {"catch", false, 44100, 1, 16, 0.05, [](double t, int) { return 0.3 * Tone(t, 1760.0) * Decay(t, 60.0); }},
    };
    for (const Effect& e : effects) {
        std::vector<int16_t> samples = Render(e.seconds, e.rate, e.channels, e.signal);
        fs::path path = (e.loose ? root / "loose" / "se" : root / "se") / (std::string(e.name) + ".wav");
        if (!WriteFileBytes(path.string(), MakeWave(samples, e.channels, e.rate, e.bits))) {
            std::fprintf(stderr, "qm_soundgen: cannot write %s\n", path.string().c_str());
            return 1;
        }
    }

    struct Music {
        const char* name;
        double seconds, loopStart;
        std::vector<int> chords, melody;
        double bpm;
    };
    const std::vector<Music> music = {
        // The cave master's battle: fast, low, a driving minor figure.
        {"boss", 8.0, 1.0, {-12, -11, -14, -7}, {0, 0, 3, 0, 6, 5, 3, -99}, 150.0},
        // Two bars of intro, then the loop.
        {"title", 12.0, 4.0, {0, -4, 3, -2}, {0, 7, 12, 7, 4, -99, 7, 4}, 120.0},
        {"stage", 12.0, 2.0, {-3, -7, 0, -5}, {12, 10, 7, 10, 12, 15, 12, -99}, 120.0},
        // The logo's short flourish, played once; the opening's and the ending's loops, one bar in.
        {"logo", 3.0, 1.0, {0, 5}, {12, 16, 19, 24}, 120.0},
        {"opening", 8.0, 2.0, {0, -3, 5, 7}, {7, 4, 0, 4, 7, 12, 7, -99}, 120.0},
        {"ending", 8.0, 2.0, {5, 0, -3, 7}, {12, 11, 7, 4, 5, 7, 0, -99}, 90.0},
        // The visiting stranger's theme: light and lilting, in three-quarter feel.
        {"stranger_ilvane", 8.0, 2.0, {2, -3, 5, 0}, {14, 12, 9, 12, 14, 17, -99, 12}, 144.0},
    };
    for (const Music& m : music) {
        std::vector<int16_t> samples = MusicLoop(m.seconds, m.chords, m.melody, m.bpm);
        char start[64], end[64];
        std::snprintf(start, sizeof start, "LOOP_START=%.3f", m.loopStart);
        std::snprintf(end, sizeof end, "LOOP_END=%.3f", m.seconds);
        std::vector<uint8_t> ogg = MakeVorbis(samples, 2, 44100, 0.1f, {start, end, "TITLE=Quillmark demo"});
        fs::path path = root / "bgm" / (std::string(m.name) + ".ogg");
        if (ogg.empty() || !WriteFileBytes(path.string(), ogg)) {
            std::fprintf(stderr, "qm_soundgen: cannot write %s\n", path.string().c_str());
            return 1;
        }
    }
    return 0;
}
