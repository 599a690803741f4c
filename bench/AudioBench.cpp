// The mixer: 32 playing voices (half mono at 22.05 kHz, resampled; half stereo at 44.1 kHz) in
// two groups, mixed for one second of audio per iteration. The baseline does only the
// unavoidable part of that work: converting and summing the same samples, with no resampling,
// queue or volume stages. The counter "audio_seconds_per_cpu_second" is how many seconds of
// audio one second of CPU mixes (its inverse is the share of a core the mix takes).
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "Platform/COM/CoCreateInstance.h"
#include "Platform/XAudio2/XAudio2.h"
#include "Platform/XAudio2/XAudio2Output.h"

namespace {

constexpr int kVoices = 32;
constexpr uint32_t kFrames = 44100;  // one second

std::vector<int16_t> Signal(size_t samples, double hz, int rate, int channels)
{
    std::vector<int16_t> out(samples);
    for (size_t i = 0; i < samples; ++i)
        out[i] = int16_t(8000.0 * std::sin(2 * 3.14159265 * hz * double(i / channels) / rate));
    return out;
}

void BM_Mix32Voices(benchmark::State& state)
{
    XAudio2SetOutputMode(eXAudio2Output_Manual);
    IXAudio2* engine = nullptr;
    CoCreateInstance(CLSID_XAudio2, nullptr, CLSCTX_INPROC_SERVER, IID_IXAudio2, reinterpret_cast<void**>(&engine));
    engine->Initialize(0, XAUDIO2_DEFAULT_PROCESSOR);
    IXAudio2MasteringVoice* master = nullptr;
    engine->CreateMasteringVoice(&master);
    IXAudio2SubmixVoice* groups[2] = {};
    XAUDIO2_SEND_DESCRIPTOR sends[2];
    XAUDIO2_VOICE_SENDS sendLists[2];
    for (int g = 0; g < 2; ++g) {
        engine->CreateSubmixVoice(&groups[g], 2, 44100);
        groups[g]->SetVolume(0.5f);
        sends[g] = {0, groups[g]};
        sendLists[g] = {1, &sends[g]};
    }
    std::vector<std::vector<int16_t>> data(kVoices);
    std::vector<IXAudio2SourceVoice*> voices(kVoices);
    for (int i = 0; i < kVoices; ++i) {
        bool mono = i % 2 == 0;
        WAVEFORMATEX f{};
        f.wFormatTag = WAVE_FORMAT_PCM;
        f.nChannels = mono ? 1 : 2;
        f.nSamplesPerSec = mono ? 22050 : 44100;
        f.wBitsPerSample = 16;
        f.nBlockAlign = WORD(f.nChannels * 2);
        f.nAvgBytesPerSec = f.nBlockAlign * f.nSamplesPerSec;
        data[i] = Signal(f.nSamplesPerSec * f.nChannels, 200.0 + 20.0 * i, f.nSamplesPerSec, f.nChannels);
        engine->CreateSourceVoice(&voices[i], &f, 0, 2.0f, nullptr, &sendLists[i % 2]);
        XAUDIO2_BUFFER b{};
        b.AudioBytes = UINT32(data[i].size() * 2);
        b.pAudioData = reinterpret_cast<const BYTE*>(data[i].data());
        b.LoopCount = XAUDIO2_LOOP_INFINITE;
        voices[i]->SubmitSourceBuffer(&b);
        voices[i]->SetVolume(0.05f);
        voices[i]->Start();
    }
    std::vector<float> out(size_t(kFrames) * 2);
    for (auto _ : state) {
        XAudio2Render(engine, out.data(), kFrames);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["audio_seconds_per_cpu_second"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    for (IXAudio2SourceVoice* v : voices)
        v->DestroyVoice();
    for (IXAudio2SubmixVoice* g : groups)
        g->DestroyVoice();
    master->DestroyVoice();
    engine->Release();
    XAudio2SetOutputMode(eXAudio2Output_Device);
}
BENCHMARK(BM_Mix32Voices)->Unit(benchmark::kMillisecond);

void BM_Mix32Voices_Baseline(benchmark::State& state)
{
    std::vector<std::vector<int16_t>> data(kVoices);
    for (int i = 0; i < kVoices; ++i)
        data[i] = Signal(size_t(kFrames) * (i % 2 == 0 ? 1 : 2), 200.0 + 20.0 * i, 44100, i % 2 == 0 ? 1 : 2);
    std::vector<float> out(size_t(kFrames) * 2);
    for (auto _ : state) {
        std::fill(out.begin(), out.end(), 0.0f);
        for (int i = 0; i < kVoices; ++i) {
            const int16_t* s = data[i].data();
            if (i % 2 == 0) {
                // A mono voice, one sample per output frame (no rate change).
                for (uint32_t f = 0; f < kFrames / 2; ++f) {
                    float v = s[f] * (1.0f / 32768.0f);
                    out[f * 4] += v;
                    out[f * 4 + 1] += v;
                    out[f * 4 + 2] += v;
                    out[f * 4 + 3] += v;
                }
            } else {
                for (uint32_t k = 0; k < kFrames * 2; ++k)
                    out[k] += s[k] * (1.0f / 32768.0f);
            }
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["audio_seconds_per_cpu_second"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Mix32Voices_Baseline)->Unit(benchmark::kMillisecond);

} // namespace
