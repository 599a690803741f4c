// The XAudio2 stand-in's mixer, pulled directly: levels, channel mapping, resampling, the
// buffer queue and the callbacks it sends.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Platform/COM/CoCreateInstance.h"
#include "Platform/XAudio2/XAudio2.h"
#include "Platform/XAudio2/XAudio2Output.h"

namespace {

// Records every callback as text, e.g. "start:1" for OnBufferStart of the buffer with context 1.
class Recorder : public IXAudio2VoiceCallback {
public:
    bool recordPasses = false;
    std::vector<std::string> events;
    std::atomic<int> streamEnds{0};
    std::atomic<std::thread::id> lastThread{};

    void OnVoiceProcessingPassStart(UINT32) override { Add("pass"); }
    void OnVoiceProcessingPassEnd() override { Add("passend"); }
    void OnStreamEnd() override
    {
        ++streamEnds;
        Add("streamend");
    }
    void OnBufferStart(void* c) override { Add("start:" + Name(c)); }
    void OnBufferEnd(void* c) override { Add("end:" + Name(c)); }
    void OnLoopEnd(void* c) override { Add("loop:" + Name(c)); }
    void OnVoiceError(void*, HRESULT) override { Add("error"); }

private:
    static std::string Name(void* c) { return std::to_string(reinterpret_cast<uintptr_t>(c)); }
    void Add(const std::string& e)
    {
        lastThread = std::this_thread::get_id();
        if (!recordPasses && (e == "pass" || e == "passend"))
            return;
        std::lock_guard lock(m_Lock);
        events.push_back(e);
    }
    std::mutex m_Lock;
};

WAVEFORMATEX Format(WORD tag, WORD channels, WORD bits, DWORD rate)
{
    WAVEFORMATEX f{};
    f.wFormatTag = tag;
    f.nChannels = channels;
    f.wBitsPerSample = bits;
    f.nSamplesPerSec = rate;
    f.nBlockAlign = WORD(channels * bits / 8);
    f.nAvgBytesPerSec = f.nBlockAlign * rate;
    return f;
}

WAVEFORMATEX Pcm16(WORD channels, DWORD rate = 44100) { return Format(WAVE_FORMAT_PCM, channels, 16, rate); }

XAUDIO2_BUFFER Buffer(const std::vector<int16_t>& data, uintptr_t context, UINT32 flags = 0, UINT32 loops = 0)
{
    XAUDIO2_BUFFER b{};
    b.Flags = flags;
    b.AudioBytes = UINT32(data.size() * 2);
    b.pAudioData = reinterpret_cast<const BYTE*>(data.data());
    b.LoopCount = loops;
    b.pContext = reinterpret_cast<void*>(context);
    return b;
}

class MixerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        XAudio2SetOutputMode(eXAudio2Output_Manual);
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_XAudio2, nullptr, CLSCTX_INPROC_SERVER, IID_IXAudio2,
                                         reinterpret_cast<void**>(&engine)));
        ASSERT_EQ(S_OK, engine->Initialize(0, XAUDIO2_DEFAULT_PROCESSOR));
        ASSERT_EQ(S_OK, engine->CreateMasteringVoice(&master));
    }
    void TearDown() override
    {
        for (IXAudio2Voice* v : voices)
            v->DestroyVoice();
        if (master)
            master->DestroyVoice();
        if (engine)
            engine->Release();
        XAudio2SetOutputMode(eXAudio2Output_Device);
    }

    IXAudio2SourceVoice* Source(const WAVEFORMATEX& format, IXAudio2VoiceCallback* callback = nullptr,
                                IXAudio2SubmixVoice* group = nullptr)
    {
        XAUDIO2_SEND_DESCRIPTOR send{0, group};
        XAUDIO2_VOICE_SENDS sends{1, &send};
        IXAudio2SourceVoice* v = nullptr;
        EXPECT_EQ(S_OK, engine->CreateSourceVoice(&v, &format, 0, 2.0f, callback, group ? &sends : nullptr));
        if (v)
            voices.insert(voices.begin(), v);  // destroyed before the groups
        return v;
    }
    IXAudio2SubmixVoice* Group()
    {
        IXAudio2SubmixVoice* v = nullptr;
        EXPECT_EQ(S_OK, engine->CreateSubmixVoice(&v, 2, 44100, 0, 0, nullptr));
        if (v)
            voices.push_back(v);
        return v;
    }
    std::vector<float> Pull(uint32_t frames)
    {
        std::vector<float> out(size_t(frames) * 2, -9.0f);
        XAudio2Render(engine, out.data(), frames);
        return out;
    }
    static UINT32 Queued(IXAudio2SourceVoice* v)
    {
        XAUDIO2_VOICE_STATE s{};
        v->GetState(&s);
        return s.BuffersQueued;
    }

    IXAudio2* engine = nullptr;
    IXAudio2MasteringVoice* master = nullptr;
    std::vector<IXAudio2Voice*> voices;
};

TEST_F(MixerTest, FormatsMapToStereoAtFullScale)
{
    struct Case {
        const char* name;
        WAVEFORMATEX format;
        std::vector<uint8_t> frame;  // one frame, repeated
        float left, right;
    };
    auto bytes16 = [](std::initializer_list<int16_t> v) {
        std::vector<uint8_t> b(v.size() * 2);
        std::memcpy(b.data(), std::data(v), b.size());
        return b;
    };
    float f[2] = {0.25f, -0.75f};
    std::vector<uint8_t> floats(8);
    std::memcpy(floats.data(), f, 8);
    const Case cases[] = {
        {"mono 16-bit goes to both sides", Pcm16(1), bytes16({16384}), 0.5f, 0.5f},
        {"stereo 16-bit keeps its sides", Pcm16(2), bytes16({-8192, 24576}), -0.25f, 0.75f},
        {"8-bit is unsigned around 128", Format(WAVE_FORMAT_PCM, 2, 8, 44100), {192, 64}, 0.5f, -0.5f},
        {"32-bit float", Format(WAVE_FORMAT_IEEE_FLOAT, 2, 32, 44100), floats, 0.25f, -0.75f},
        {"four channels keep the front pair", Pcm16(4), bytes16({8192, -8192, 32767, 32767}), 0.25f, -0.25f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> data;
        for (int i = 0; i < 100; ++i)
            data.insert(data.end(), c.frame.begin(), c.frame.end());
        IXAudio2SourceVoice* v = Source(c.format);
        ASSERT_NE(nullptr, v);
        XAUDIO2_BUFFER b{};
        b.AudioBytes = UINT32(data.size());
        b.pAudioData = data.data();
        ASSERT_EQ(S_OK, v->SubmitSourceBuffer(&b));
        v->Start();
        std::vector<float> out = Pull(100);
        EXPECT_FLOAT_EQ(c.left, out[0]);
        EXPECT_FLOAT_EQ(c.right, out[1]);
        EXPECT_FLOAT_EQ(c.left, out[198]);
        EXPECT_FLOAT_EQ(c.right, out[199]);
        // Played out: silence afterwards.
        EXPECT_EQ(0.0f, Pull(1)[0]);
        v->DestroyVoice();
        voices.erase(voices.begin());
    }
}

TEST_F(MixerTest, SourceGroupAndMasterVolumesMultiply)
{
    struct Case {
        float source, group, master, expected;
    };
    const Case cases[] = {
        {1.0f, 1.0f, 1.0f, 0.5f},   {0.5f, 1.0f, 1.0f, 0.25f},  {1.0f, 0.5f, 1.0f, 0.25f},
        {1.0f, 1.0f, 0.5f, 0.25f},  {0.5f, 0.5f, 0.5f, 0.0625f}, {0.0f, 1.0f, 1.0f, 0.0f},
        {1.0f, -1.0f, 1.0f, -0.5f}, {4.0f, 1.0f, 1.0f, 1.0f},   // the output is clamped
    };
    std::vector<int16_t> data(2000, 16384);
    IXAudio2SubmixVoice* group = Group();
    IXAudio2SourceVoice* v = Source(Pcm16(1), nullptr, group);
    XAUDIO2_BUFFER b = Buffer(data, 0, 0, XAUDIO2_LOOP_INFINITE);
    ASSERT_EQ(S_OK, v->SubmitSourceBuffer(&b));
    v->Start();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.source << " x " << c.group << " x " << c.master);
        ASSERT_EQ(S_OK, v->SetVolume(c.source));
        ASSERT_EQ(S_OK, group->SetVolume(c.group));
        ASSERT_EQ(S_OK, master->SetVolume(c.master));
        std::vector<float> out = Pull(10);
        EXPECT_FLOAT_EQ(c.expected, out[0]);
        EXPECT_FLOAT_EQ(c.expected, out[19]);
        float got = -1;
        group->GetVolume(&got);
        EXPECT_EQ(c.group, got);
    }
    EXPECT_EQ(XAUDIO2_E_INVALID_CALL, v->SetVolume(XAUDIO2_MAX_VOLUME_LEVEL * 2));
    EXPECT_EQ(XAUDIO2_E_INVALID_CALL, group->SetVolume(NAN));
}

TEST_F(MixerTest, TwoSourcesInTwoGroupsAddUp)
{
    std::vector<int16_t> a(1000, 8192), b(1000, 4096);
    IXAudio2SubmixVoice* music = Group();
    IXAudio2SubmixVoice* effects = Group();
    IXAudio2SourceVoice* va = Source(Pcm16(1), nullptr, music);
    IXAudio2SourceVoice* vb = Source(Pcm16(1), nullptr, effects);
    XAUDIO2_BUFFER ba = Buffer(a, 0), bb = Buffer(b, 0);
    va->SubmitSourceBuffer(&ba);
    vb->SubmitSourceBuffer(&bb);
    va->Start();
    vb->Start();
    music->SetVolume(0.5f);
    std::vector<float> out = Pull(4);
    EXPECT_FLOAT_EQ(0.25f * 0.5f + 0.125f, out[0]);
}

TEST_F(MixerTest, RateConversionAndFrequencyRatio)
{
    // A ramp 0, 1, 2, ... (in units of 1/32768) makes the position readable from the output.
    std::vector<int16_t> ramp(400);
    for (size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = int16_t(i);
    struct Case {
        const char* name;
        DWORD rate;
        float ratio;
        double step;          // source frames per output frame
        uint32_t framesToEnd; // output frames until the buffer ends
    };
    const Case cases[] = {
        {"same rate", 44100, 1.0f, 1.0, 400},
        {"half rate doubles", 22050, 1.0f, 0.5, 800},
        {"ratio 2 halves", 44100, 2.0f, 2.0, 200},
        {"ratio beyond the voice's maximum is held at 2", 44100, 8.0f, 2.0, 200},
        {"88.2 kHz at ratio 0.5", 88200, 0.5f, 1.0, 400},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Recorder rec;
        IXAudio2SourceVoice* v = Source(Pcm16(1, c.rate), &rec);
        ASSERT_EQ(S_OK, v->SetFrequencyRatio(c.ratio));
        XAUDIO2_BUFFER b = Buffer(ramp, 7);
        v->SubmitSourceBuffer(&b);
        v->Start();
        std::vector<float> out = Pull(c.framesToEnd - 1);
        for (uint32_t i = 0; i + 1 < c.framesToEnd; i += 37)
            EXPECT_NEAR(i * c.step, out[size_t(i) * 2] * 32768.0, 1e-3) << "frame " << i;
        EXPECT_EQ(1u, Queued(v));
        Pull(1);
        EXPECT_EQ(0u, Queued(v));
        EXPECT_EQ((std::vector<std::string>{"start:7", "end:7"}), rec.events);
        v->DestroyVoice();
        voices.erase(voices.begin());
    }
}

TEST_F(MixerTest, CallbacksComeInOrder)
{
    Recorder rec;
    rec.recordPasses = true;
    IXAudio2SourceVoice* v = Source(Pcm16(1), &rec);
    std::vector<int16_t> a(100, 1), b(50, 2);
    XAUDIO2_BUFFER ba = Buffer(a, 1, 0, 2);  // plays three times
    XAUDIO2_BUFFER bb = Buffer(b, 2, XAUDIO2_END_OF_STREAM);
    v->SubmitSourceBuffer(&ba);
    v->SubmitSourceBuffer(&bb);
    Pull(441);
    EXPECT_TRUE(rec.events.empty()) << "a voice that was never started gets no pass";
    v->Start();
    Pull(441);
    EXPECT_EQ((std::vector<std::string>{"pass", "start:1", "loop:1", "loop:1", "end:1", "start:2", "streamend",
                                        "end:2", "passend"}),
              rec.events);
}

TEST_F(MixerTest, EndOfStreamKeepsTheVoiceRunning)
{
    Recorder rec;
    IXAudio2SourceVoice* v = Source(Pcm16(1), &rec);
    std::vector<int16_t> a(10, 100), b(10, 200);
    XAUDIO2_BUFFER ba = Buffer(a, 1, XAUDIO2_END_OF_STREAM), bb = Buffer(b, 2, XAUDIO2_END_OF_STREAM);
    v->SubmitSourceBuffer(&ba);
    v->Start();
    Pull(20);
    EXPECT_EQ(1, rec.streamEnds.load());
    v->SubmitSourceBuffer(&bb);
    std::vector<float> out = Pull(5);
    EXPECT_FLOAT_EQ(200.0f / 32768.0f, out[0]) << "no Start needed after a stream end";
    EXPECT_EQ(1, rec.streamEnds.load());
    Pull(10);
    EXPECT_EQ(2, rec.streamEnds.load());
}

TEST_F(MixerTest, StateCountsThePlayingBufferAndNewOnesAtOnce)
{
    IXAudio2SourceVoice* v = Source(Pcm16(1));
    std::vector<int16_t> a(1000, 1);
    XAUDIO2_BUFFER b1 = Buffer(a, 1), b2 = Buffer(a, 2);
    v->SubmitSourceBuffer(&b1);
    EXPECT_EQ(1u, Queued(v));
    v->Start();
    Pull(10);
    v->SubmitSourceBuffer(&b2);
    XAUDIO2_VOICE_STATE s{};
    v->GetState(&s);
    EXPECT_EQ(2u, s.BuffersQueued);
    EXPECT_EQ(reinterpret_cast<void*>(1), s.pCurrentBufferContext);
    EXPECT_EQ(10u, s.SamplesPlayed);
    Pull(1000);
    v->GetState(&s);
    EXPECT_EQ(1u, s.BuffersQueued);
    EXPECT_EQ(reinterpret_cast<void*>(2), s.pCurrentBufferContext);
    // Stop keeps the place; Start goes on from it.
    v->Stop();
    Pull(100);
    v->GetState(&s);
    EXPECT_EQ(1010u, s.SamplesPlayed);
}

TEST_F(MixerTest, FlushKeepsThePlayingBufferOfAStartedVoice)
{
    Recorder rec;
    IXAudio2SourceVoice* v = Source(Pcm16(1), &rec);
    std::vector<int16_t> a(100, 1000), b(100, 2000);
    XAUDIO2_BUFFER b1 = Buffer(a, 1), b2 = Buffer(b, 2), b3 = Buffer(b, 3, XAUDIO2_END_OF_STREAM);
    v->SubmitSourceBuffer(&b1);
    v->SubmitSourceBuffer(&b2);
    v->SubmitSourceBuffer(&b3);
    v->Start();
    Pull(50);
    ASSERT_EQ(S_OK, v->FlushSourceBuffers());
    EXPECT_EQ(3u, Queued(v)) << "removed at the next pass, not at the call";
    std::vector<float> out = Pull(60);
    EXPECT_EQ(0u, Queued(v));
    EXPECT_FLOAT_EQ(1000.0f / 32768.0f, out[49 * 2]) << "the playing buffer plays to its end";
    EXPECT_EQ(0.0f, out[55 * 2]) << "nothing after it";
    EXPECT_EQ((std::vector<std::string>{"start:1", "end:2", "end:3", "end:1"}), rec.events)
        << "flushed buffers end first, without start or stream end";
}

TEST_F(MixerTest, FlushOfAStoppedVoiceRemovesEverything)
{
    Recorder rec;
    IXAudio2SourceVoice* v = Source(Pcm16(1), &rec);
    std::vector<int16_t> a(100, 1000), b(100, 2000);
    XAUDIO2_BUFFER b1 = Buffer(a, 1), b2 = Buffer(b, 2);
    v->SubmitSourceBuffer(&b1);
    v->Start();
    Pull(50);
    v->Stop();
    v->FlushSourceBuffers();
    Pull(1);
    EXPECT_EQ(0u, Queued(v));
    EXPECT_EQ((std::vector<std::string>{"start:1", "end:1"}), rec.events);
    // A new buffer after the flush starts from its beginning.
    v->SubmitSourceBuffer(&b2);
    v->Start();
    EXPECT_FLOAT_EQ(2000.0f / 32768.0f, Pull(1)[0]);
}

TEST_F(MixerTest, RefusesBadFormatsAndBuffers)
{
    struct FormatCase {
        const char* name;
        WAVEFORMATEX format;
    };
    WAVEFORMATEX badAlign = Pcm16(2);
    badAlign.nBlockAlign = 3;
    const FormatCase formats[] = {
        {"all zero (a WAVE file without fmt)", WAVEFORMATEX{}},
        {"no channels", Pcm16(0)},
        {"rate below the minimum", Pcm16(1, 999)},
        {"rate above the maximum", Pcm16(1, 200001)},
        {"12-bit PCM", Format(WAVE_FORMAT_PCM, 1, 12, 44100)},
        {"16-bit float", Format(WAVE_FORMAT_IEEE_FLOAT, 1, 16, 44100)},
        {"ADPCM", Format(2, 1, 4, 44100)},
        {"block align not channels x bytes", badAlign},
    };
    for (const FormatCase& c : formats) {
        IXAudio2SourceVoice* v = reinterpret_cast<IXAudio2SourceVoice*>(1);
        EXPECT_EQ(XAUDIO2_E_INVALID_CALL, engine->CreateSourceVoice(&v, &c.format)) << c.name;
        EXPECT_EQ(nullptr, v) << c.name;
    }

    IXAudio2SourceVoice* v = Source(Pcm16(1));
    std::vector<int16_t> data(100, 0);
    struct BufferCase {
        const char* name;
        XAUDIO2_BUFFER buffer;
        HRESULT expected;
    };
    auto with = [&](auto change) {
        XAUDIO2_BUFFER b = Buffer(data, 0);
        change(b);
        return b;
    };
    const BufferCase buffers[] = {
        {"plain", with([](XAUDIO2_BUFFER&) {}), S_OK},
        {"no data", with([](XAUDIO2_BUFFER& b) { b.pAudioData = nullptr; }), XAUDIO2_E_INVALID_CALL},
        {"no bytes", with([](XAUDIO2_BUFFER& b) { b.AudioBytes = 0; }), XAUDIO2_E_INVALID_CALL},
        {"254 loops", with([](XAUDIO2_BUFFER& b) { b.LoopCount = 254; }), S_OK},
        {"endless", with([](XAUDIO2_BUFFER& b) { b.LoopCount = 255; }), S_OK},
        {"256 loops", with([](XAUDIO2_BUFFER& b) { b.LoopCount = 256; }), XAUDIO2_E_INVALID_CALL},
        {"loop region without loops", with([](XAUDIO2_BUFFER& b) { b.LoopLength = 10; }), XAUDIO2_E_INVALID_CALL},
        {"play region past the data", with([](XAUDIO2_BUFFER& b) { b.PlayBegin = 90, b.PlayLength = 20; }),
         XAUDIO2_E_INVALID_CALL},
        {"loop region past the play region",
         with([](XAUDIO2_BUFFER& b) { b.LoopCount = 1, b.LoopBegin = 50, b.LoopLength = 60; }),
         XAUDIO2_E_INVALID_CALL},
    };
    for (const BufferCase& c : buffers)
        EXPECT_EQ(c.expected, v->SubmitSourceBuffer(&c.buffer)) << c.name;
    v->FlushSourceBuffers();
    Pull(1);
    XAUDIO2_BUFFER b = Buffer(data, 0);
    for (int i = 0; i < XAUDIO2_MAX_QUEUED_BUFFERS; ++i)
        ASSERT_EQ(S_OK, v->SubmitSourceBuffer(&b));
    EXPECT_EQ(XAUDIO2_E_INVALID_CALL, v->SubmitSourceBuffer(&b)) << "65th buffer";
}

TEST_F(MixerTest, PlayAndLoopRegions)
{
    std::vector<int16_t> ramp(100);
    for (size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = int16_t(i);
    IXAudio2SourceVoice* v = Source(Pcm16(1));
    XAUDIO2_BUFFER b = Buffer(ramp, 0);
    b.PlayBegin = 10;
    b.PlayLength = 20;  // 10..29
    b.LoopBegin = 20;
    b.LoopLength = 5;   // 20..24, once more
    b.LoopCount = 1;
    v->SubmitSourceBuffer(&b);
    v->Start();
    std::vector<float> out = Pull(30);
    std::vector<int> got;
    for (int i = 0; i < 30; ++i)
        got.push_back(int(std::lround(out[size_t(i) * 2] * 32768)));
    std::vector<int> expected;
    for (int i = 10; i < 25; ++i)
        expected.push_back(i);
    for (int i = 20; i < 30; ++i)
        expected.push_back(i);
    expected.resize(30, 0);
    EXPECT_EQ(expected, got);
}

TEST_F(MixerTest, DestroyingAVoiceLeavesTheOthersPlaying)
{
    std::vector<int16_t> a(5000, 4096), b(5000, 8192);
    IXAudio2SubmixVoice* group = Group();
    Recorder ra, rb;
    IXAudio2SourceVoice* va = Source(Pcm16(1), &ra, group);
    IXAudio2SourceVoice* vb = Source(Pcm16(1), &rb, group);
    XAUDIO2_BUFFER ba = Buffer(a, 1), bb = Buffer(b, 2, XAUDIO2_END_OF_STREAM);
    va->SubmitSourceBuffer(&ba);
    vb->SubmitSourceBuffer(&bb);
    va->Start();
    vb->Start();
    EXPECT_FLOAT_EQ(0.375f, Pull(100)[0]);
    // A group that still has sources is not destroyed.
    group->DestroyVoice();
    va->DestroyVoice();
    voices.erase(std::find(voices.begin(), voices.end(), va));
    std::vector<float> out = Pull(4900);
    EXPECT_FLOAT_EQ(0.25f, out[0]);
    EXPECT_FLOAT_EQ(0.25f, out[4899 * 2]);
    EXPECT_EQ(0, ra.streamEnds.load());
    EXPECT_EQ(1, rb.streamEnds.load());
    EXPECT_EQ((std::vector<std::string>{"start:1"}), ra.events) << "no callback after DestroyVoice";
}

TEST_F(MixerTest, VoicesNeedAMasteringVoiceAndOnlyOneExists)
{
    IXAudio2MasteringVoice* second = nullptr;
    EXPECT_EQ(XAUDIO2_E_INVALID_CALL, engine->CreateMasteringVoice(&second));
    IXAudio2SubmixVoice* odd = nullptr;
    EXPECT_EQ(XAUDIO2_E_INVALID_CALL, engine->CreateSubmixVoice(&odd, 2, 48000));
    // A source may not send to another source.
    IXAudio2SourceVoice* first = Source(Pcm16(1));
    XAUDIO2_SEND_DESCRIPTOR send{0, first};
    XAUDIO2_VOICE_SENDS sends{1, &send};
    WAVEFORMATEX f = Pcm16(1);
    IXAudio2SourceVoice* v = nullptr;
    EXPECT_EQ(XAUDIO2_E_INVALID_CALL, engine->CreateSourceVoice(&v, &f, 0, 2.0f, nullptr, &sends));

    IXAudio2* bare = nullptr;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_XAudio2, nullptr, CLSCTX_INPROC_SERVER, IID_IXAudio2,
                                     reinterpret_cast<void**>(&bare)));
    IXAudio2MasteringVoice* m = nullptr;
    EXPECT_EQ(XAUDIO2_E_INVALID_CALL, bare->CreateMasteringVoice(&m)) << "before Initialize";
    bare->Initialize(0, XAUDIO2_DEFAULT_PROCESSOR);
    EXPECT_EQ(XAUDIO2_E_INVALID_CALL, bare->CreateSourceVoice(&v, &f)) << "before the mastering voice";
    EXPECT_EQ(0u, bare->Release());
}

TEST(XAudio2Creation, UnknownClassesAndNoDevice)
{
    const CLSID other = {1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
    void* p = &p;
    EXPECT_EQ(REGDB_E_CLASSNOTREG, CoCreateInstance(other, nullptr, CLSCTX_INPROC_SERVER, IID_IXAudio2, &p));
    EXPECT_EQ(nullptr, p);
    EXPECT_EQ(E_NOINTERFACE, CoCreateInstance(CLSID_XAudio2, nullptr, CLSCTX_INPROC_SERVER, other, &p));

    XAudio2SetOutputMode(eXAudio2Output_NoDevice);
    IXAudio2* engine = nullptr;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_XAudio2, nullptr, CLSCTX_INPROC_SERVER, IID_IXAudio2,
                                     reinterpret_cast<void**>(&engine)));
    engine->Initialize(0, XAUDIO2_DEFAULT_PROCESSOR);
    IXAudio2MasteringVoice* m = nullptr;
    EXPECT_TRUE(FAILED(engine->CreateMasteringVoice(&m)));
    EXPECT_EQ(nullptr, m);
    engine->Release();
    XAudio2SetOutputMode(eXAudio2Output_Device);
}

// The audio device (SDL's dummy driver in tests) pulls the mix on its own thread, which is
// where the callbacks arrive.
TEST(XAudio2Device, DevicePullsOnItsOwnThread)
{
    // No sound card in tests: SDL's dummy driver pulls at the real rate.
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    XAudio2SetOutputMode(eXAudio2Output_Device);
    IXAudio2* engine = nullptr;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_XAudio2, nullptr, CLSCTX_INPROC_SERVER, IID_IXAudio2,
                                     reinterpret_cast<void**>(&engine)));
    engine->Initialize(0, XAUDIO2_DEFAULT_PROCESSOR);
    IXAudio2MasteringVoice* master = nullptr;
    ASSERT_EQ(S_OK, engine->CreateMasteringVoice(&master));
    Recorder rec;
    WAVEFORMATEX f = Pcm16(1);
    IXAudio2SourceVoice* v = nullptr;
    ASSERT_EQ(S_OK, engine->CreateSourceVoice(&v, &f, 0, 2.0f, &rec));
    std::vector<int16_t> data(441, 1000);
    XAUDIO2_BUFFER b = Buffer(data, 1, XAUDIO2_END_OF_STREAM);
    v->SubmitSourceBuffer(&b);
    v->Start();
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (rec.streamEnds.load() == 0 && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(1, rec.streamEnds.load());
    EXPECT_NE(std::this_thread::get_id(), rec.lastThread.load());
    v->DestroyVoice();
    master->DestroyVoice();
    engine->Release();
}

} // namespace

// However loud or broken a mix gets, the output stays in [-1, 1], a number, and the voices
// that are fine go on being heard through it and after it: a pile of effects at full scale
// clips and passes, and a float voice carrying NaN or infinity (what a faulty decoder or an
// overflowing sum gives) only loses its own bad samples.
TEST_F(MixerTest, ALoudOrBrokenMixIsClampedAndNeverSilencesTheRest)
{
    struct Case {
        const char* name;
        int voices;   // effects started at once over the music
        float sample; // each effect's float sample, both sides
    };
    const Case cases[] = {
        {"forty effects at full scale clip", 40, 1.0f},
        {"effects over full scale", 8, 3.5f},
        {"a NaN effect", 1, std::numeric_limits<float>::quiet_NaN()},
        {"an infinite effect", 1, std::numeric_limits<float>::infinity()},
        {"a negative infinite effect", 1, -std::numeric_limits<float>::infinity()},
        {"NaN and infinity in the same pass", 3, std::numeric_limits<float>::quiet_NaN()},
    };
    IXAudio2SubmixVoice* musicGroup = Group();
    IXAudio2SubmixVoice* effectGroup = Group();
    std::vector<int16_t> music(4410, 8192);  // 0.25, looped for good
    IXAudio2SourceVoice* track = Source(Pcm16(1), nullptr, musicGroup);
    XAUDIO2_BUFFER mb = Buffer(music, 0, 0, XAUDIO2_LOOP_INFINITE);
    ASSERT_EQ(S_OK, track->SubmitSourceBuffer(&mb));
    track->Start();
    const WAVEFORMATEX floatFormat = Format(WAVE_FORMAT_IEEE_FLOAT, 2, 32, 44100);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::vector<float>> data;
        std::vector<IXAudio2SourceVoice*> effects;
        for (int k = 0; k < c.voices; ++k) {
            float s = c.sample;
            if (c.voices == 3 && k == 1)
                s = std::numeric_limits<float>::infinity();
            if (c.voices == 3 && k == 2)
                s = -std::numeric_limits<float>::infinity();
            data.emplace_back(2000, s);
            IXAudio2SourceVoice* v = Source(floatFormat, nullptr, effectGroup);
            ASSERT_NE(nullptr, v);
            XAUDIO2_BUFFER b{};
            b.Flags = XAUDIO2_END_OF_STREAM;
            b.AudioBytes = UINT32(data.back().size() * sizeof(float));
            b.pAudioData = reinterpret_cast<const BYTE*>(data.back().data());
            ASSERT_EQ(S_OK, v->SubmitSourceBuffer(&b));
            effects.push_back(v);
        }
        for (IXAudio2SourceVoice* v : effects)
            v->Start();
        const std::vector<float> loud = Pull(1000);
        for (size_t i = 0; i < loud.size(); ++i) {
            ASSERT_TRUE(std::isfinite(loud[i])) << "sample " << i << " is " << loud[i];
            ASSERT_LE(std::fabs(loud[i]), 1.0f) << "sample " << i;
        }
        if (std::isfinite(c.sample) && c.voices != 3) {
            EXPECT_FLOAT_EQ(1.0f, loud[0]) << "the clipped mix reaches full scale";
        } else {
            // The bad voice's samples are dropped: the music is what is heard.
            EXPECT_FLOAT_EQ(0.25f, loud[0]);
            EXPECT_FLOAT_EQ(0.25f, loud[1999]);
        }
        // The effects play out; the music goes on as before, at its own level.
        const std::vector<float> after = Pull(2000);
        EXPECT_FLOAT_EQ(0.25f, after[1998]);
        EXPECT_FLOAT_EQ(0.25f, after[3999]);
        for (IXAudio2SourceVoice* v : effects) {
            EXPECT_EQ(0u, Queued(v));
            v->DestroyVoice();
            voices.erase(std::find(voices.begin(), voices.end(), v));
        }
    }
}
