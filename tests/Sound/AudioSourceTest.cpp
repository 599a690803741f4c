// XAudio2 device and sources over the mixer, pulled by the test: buffered and streamed play,
// loops, rewinds, stops, fades and the fall-backs to silence.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "Platform/XAudio2/XAudio2Output.h"
#include "SoundTestUtil.h"
#include "SoundWriter.h"
#include "Support/TempDir.h"
#include "System/Sound/Decoder.h"
#include "System/Sound/VorbisDecoder.h"
#include "System/Sound/WaveDecoder.h"
#include "System/Sound/XAudio2Device.h"

namespace {

using namespace std::chrono_literals;

// 1, 2, 3 ... (never 0, so gaps of silence can be told from the sound).
std::vector<int16_t> Count(size_t frames)
{
    std::vector<int16_t> out(frames);
    for (size_t i = 0; i < frames; ++i)
        out[i] = int16_t(1 + i % 30000);
    return out;
}

std::vector<int16_t> NonZero(const std::vector<int16_t>& v)
{
    std::vector<int16_t> out;
    for (int16_t s : v)
        if (s != 0)
            out.push_back(s);
    return out;
}

class SourceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        XAudio2SetOutputMode(eXAudio2Output_Manual);
        ASSERT_TRUE(device.Init());
    }
    void TearDown() override
    {
        StopPump();
        XAudio2SetOutputMode(eXAudio2Output_Device);
    }

    // Pulls passes on a thread of its own, like the audio device, while `pumping` is set;
    // keeps the left channel as 16-bit samples.
    void StartPump()
    {
        m_bQuit = false;
        m_Captured.clear();
        m_Pump = std::thread([this] {
            std::vector<float> out(441 * 2);
            while (!m_bQuit) {
                if (!pumping) {
                    std::this_thread::sleep_for(1ms);
                    continue;
                }
                XAudio2Render(device.GetEngine(), out.data(), 441);
                std::lock_guard lock(m_Lock);
                for (size_t i = 0; i < 441; ++i)
                    m_Captured.push_back(int16_t(std::lround(out[i * 2] * 32768.0f)));
                std::this_thread::sleep_for(100us);
            }
        });
    }
    void StopPump()
    {
        m_bQuit = true;
        if (m_Pump.joinable())
            m_Pump.join();
    }
    std::vector<int16_t> Captured()
    {
        std::lock_guard lock(m_Lock);
        return m_Captured;
    }
    static bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = 20s)
    {
        auto until = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            if (std::chrono::steady_clock::now() > until)
                return false;
            std::this_thread::sleep_for(1ms);
        }
        return true;
    }
    std::vector<int16_t> PullLeft(uint32_t frames)
    {
        std::vector<float> out(size_t(frames) * 2);
        XAudio2Render(device.GetEngine(), out.data(), frames);
        std::vector<int16_t> left(frames);
        for (uint32_t i = 0; i < frames; ++i)
            left[i] = int16_t(std::lround(out[size_t(i) * 2] * 32768.0f));
        return left;
    }

    std::unique_ptr<XAudio2Source> Source(IDecoder* decoder, int group = eSoundGroup_Se)
    {
        auto s = std::make_unique<XAudio2Source>(&device, 7, group, 0x1234);
        EXPECT_TRUE(s->Create(decoder));
        return s;
    }

    XAudio2Device device;
    std::atomic<bool> pumping{true};

private:
    std::thread m_Pump;
    std::atomic<bool> m_bQuit{false};
    std::mutex m_Lock;
    std::vector<int16_t> m_Captured;
};

TEST_F(SourceTest, DeviceGroupsAndVolumes)
{
    EXPECT_EQ(eAudioDeviceKind_XAudio2, device.GetKind());
    ASSERT_NE(nullptr, device.GetEngine());
    for (int g = 0; g < kSoundGroupCount; ++g) {
        ASSERT_NE(nullptr, device.GetSendList(g));
        EXPECT_EQ(1u, device.GetSendList(g)->SendCount);
        EXPECT_EQ(static_cast<IXAudio2Voice*>(device.GetGroupVoice(g)), device.GetSendList(g)->pSends[0].pOutputVoice);
        EXPECT_TRUE(device.SetGroupVolume(g, 0.25f * g));
        EXPECT_FLOAT_EQ(0.25f * g, device.GetGroupVolume(g));
    }
    EXPECT_FALSE(device.SetGroupVolume(0, 1e30f));

    // A sound in group 1 at half volume, the group at 0.25.
    auto decoder = new WaveDecoder();
    ASSERT_TRUE(decoder->Open(MemoryStreamOf(MakeWave(std::vector<int16_t>(1000, 16384), 1, 44100, 16)), false));
    auto s = Source(decoder);
    EXPECT_FALSE(s->IsStreaming());
    s->SetVolume(0.5f);
    s->Play(0);
    EXPECT_EQ(2048, PullLeft(10)[0]);  // 16384 x 0.5 x 0.25
}

TEST_F(SourceTest, BufferedPlaysLoopsRewindsAndStops)
{
    std::vector<int16_t> data = Count(500);
    auto open = [&] {
        auto d = new WaveDecoder();
        EXPECT_TRUE(d->Open(MemoryStreamOf(MakeWave(data, 1, 44100, 16)), false));
        return d;
    };
    device.SetGroupVolume(eSoundGroup_Se, 1.0f);

    auto once = Source(open());
    once->Play(0);
    EXPECT_TRUE(once->IsPlaying());
    std::vector<int16_t> out = PullLeft(600);
    EXPECT_EQ(data, std::vector<int16_t>(out.begin(), out.begin() + 500));
    EXPECT_EQ(0, out[550]);
    EXPECT_FALSE(once->IsPlaying());

    auto twice = Source(open());
    twice->Play(1);
    out = PullLeft(1100);
    EXPECT_EQ(data[10], out[510]);
    EXPECT_EQ(0, out[1050]);

    // An endless sound restarted by Rewind plays once more, from its start.
    auto endless = Source(open());
    endless->Play(XAUDIO2_LOOP_INFINITE);
    PullLeft(1234);
    EXPECT_TRUE(endless->IsPlaying());
    endless->Rewind();
    out = PullLeft(600);
    EXPECT_EQ(data, std::vector<int16_t>(out.begin(), out.begin() + 500));
    EXPECT_EQ(0, out[550]);
    EXPECT_FALSE(endless->IsPlaying());

    auto stopped = Source(open());
    stopped->Play(XAUDIO2_LOOP_INFINITE);
    PullLeft(100);
    stopped->Stop();
    EXPECT_EQ(0, PullLeft(10)[0]);
}

TEST_F(SourceTest, FadeSteps)
{
    struct Case {
        float from, to, seconds;
        std::vector<float> steps, volumes;
        int modeAtStart;
    };
    const Case cases[] = {
        {1.0f, 0.0f, 2.0f, {0.5f, 0.5f, 0.5f, 0.5f, 0.5f}, {0.75f, 0.5f, 0.25f, 0.0f, 0.0f}, eFadeMode_Down},
        {0.0f, 1.0f, 0.5f, {0.25f, 0.25f}, {0.5f, 1.0f}, eFadeMode_Up},
        {0.5f, 1.0f, 1.0f, {0.5f, 0.5f}, {0.75f, 1.0f}, eFadeMode_Up},
        {0.8f, 0.8f, 1.0f, {2.0f}, {0.8f}, eFadeMode_Up},
        {1.0f, 0.0f, 0.0f, {0.016f}, {0.0f}, eFadeMode_Down},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << " -> " << c.to << " in " << c.seconds);
        auto d = new WaveDecoder();
        ASSERT_TRUE(d->Open(MemoryStreamOf(MakeWave(Count(100), 1, 44100, 16)), false));
        auto s = Source(d);
        s->SetVolume(c.from);
        s->FadeTo(c.to, c.seconds);
        EXPECT_EQ(c.modeAtStart, s->GetFadeMode());
        for (size_t i = 0; i < c.steps.size(); ++i) {
            s->UpdateFade(c.steps[i]);
            EXPECT_FLOAT_EQ(c.volumes[i], s->GetVolume()) << "step " << i;
        }
        EXPECT_EQ(eFadeMode_None, s->GetFadeMode());
    }
}

TEST_F(SourceTest, CreateFailsWithoutTakingTheDecoder)
{
    // A WAVE without a "fmt " chunk leaves the format unset: no voice can be made for it.
    std::unique_ptr<WaveDecoder> d(new WaveDecoder());
    std::vector<uint8_t> noFormat = {'R', 'I', 'F', 'F', 16, 0, 0, 0, 'W', 'A', 'V', 'E',
                                     'd', 'a', 't', 'a', 4,  0, 0, 0, 1,   2,   3,   4};
    ASSERT_TRUE(d->Open(MemoryStreamOf(noFormat), false));
    XAudio2Source s(&device, 1, 0, 0);
    EXPECT_FALSE(s.Create(d.get()));
    EXPECT_EQ(nullptr, s.GetVoice());
    // Everything still answers, silently.
    s.Play(0);
    s.Rewind();
    s.Stop();
    EXPECT_FALSE(s.IsPlaying());
    EXPECT_EQ(0.0f, s.GetVolume());

    NullAudioDevice null;
    XAudio2Source other(&null, 2, 0, 0);
    EXPECT_FALSE(other.Create(d.get())) << "not an XAudio2 device";
}

TEST(AudioDeviceStart, FailsWithoutAnOutputDevice)
{
    XAudio2SetOutputMode(eXAudio2Output_NoDevice);
    XAudio2Device device;
    EXPECT_FALSE(device.Init());
    EXPECT_EQ(nullptr, device.GetEngine());
    EXPECT_EQ(nullptr, device.GetSendList(0));
    XAudio2SetOutputMode(eXAudio2Output_Device);

    NullAudioDevice null;
    EXPECT_TRUE(null.Init());
    std::unique_ptr<IAudioSource> s(null.CreateSource(5, 1, 99));
    EXPECT_TRUE(s->Create(CreateDecoder(eDecoderKind_Wave)));  // kept and deleted by the source
    s->Play(0);
    EXPECT_FALSE(s->IsPlaying());
    EXPECT_EQ(5, s->GetId());
    EXPECT_EQ(99u, s->GetKey());
}

class StreamTest : public SourceTest {
protected:
    std::unique_ptr<XAudio2Source> StreamedWave(const std::vector<int16_t>& data, int channels = 1)
    {
        std::vector<uint8_t> bytes = MakeWave(data, channels, 44100, 16);
        dir.WriteFile("s.wav", std::string(bytes.begin(), bytes.end()));
        auto d = new WaveDecoder();
        EXPECT_TRUE(d->Open(FileStreamOf(dir.File("s.wav")), false));
        auto s = Source(d, eSoundGroup_Bgm);
        EXPECT_TRUE(s->IsStreaming());
        return s;
    }
    TempDir dir;
};

TEST_F(StreamTest, LoopCountsPlayToTheEnd)
{
    // 2.5 ring buffers of data.
    std::vector<int16_t> data = Count(10240);
    struct Case {
        int loops;
        int plays;
    };
    for (Case c : {Case{0, 1}, Case{2, 3}}) {
        SCOPED_TRACE(c.loops);
        auto s = StreamedWave(data);
        StartPump();
        s->Play(c.loops);
        ASSERT_TRUE(WaitFor([&] { return !s->IsPlaying(); }));
        StopPump();
        std::vector<int16_t> expected;
        for (int i = 0; i < c.plays; ++i)
            expected.insert(expected.end(), data.begin(), data.end());
        EXPECT_EQ(expected, NonZero(Captured()));
        // The voice outlives the stream: its volume can still be read and set.
        s->SetVolume(0.3f);
        EXPECT_FLOAT_EQ(0.3f, s->GetVolume());
        // A finished stream is not started again.
        s->Play(0);
        EXPECT_FALSE(s->IsPlaying());
    }
}

TEST_F(StreamTest, FramesThatDoNotDivideTheRingBufferStayWhole)
{
    // Three channels of 16 bits: six-byte frames, and 8192 is no multiple of six. The left
    // channel counts; the others hold a value the left one never has.
    const size_t frames = 5000;
    std::vector<int16_t> data(frames * 3, -7);
    std::vector<int16_t> left = Count(frames);
    for (size_t i = 0; i < frames; ++i)
        data[i * 3] = left[i];
    auto s = StreamedWave(data, 3);
    StartPump();
    s->Play(0);
    ASSERT_TRUE(WaitFor([&] { return !s->IsPlaying(); }));
    StopPump();
    EXPECT_EQ(left, NonZero(Captured()));
}

TEST_F(StreamTest, EndlessUntilStopped)
{
    auto s = StreamedWave(Count(3000));
    StartPump();
    s->Play(XAUDIO2_LOOP_INFINITE);
    // Counted in sound, not in passes: a slow start fills the first passes with silence.
    ASSERT_TRUE(WaitFor([&] { return NonZero(Captured()).size() > 3000 * 3; }));
    EXPECT_TRUE(s->IsPlaying());
    s->Stop();
    ASSERT_TRUE(WaitFor([&] { return !s->IsPlaying(); }));
    StopPump();
    std::vector<int16_t> got = NonZero(Captured());
    ASSERT_GT(got.size(), 3000u * 3);
    for (size_t i = 0; i < 3000 * 3; i += 101)
        ASSERT_EQ(int16_t(1 + i % 3000), got[i]) << i;
}

TEST_F(StreamTest, RewindDuringTheLastWaitStartsTheLoopsAgain)
{
    std::vector<int16_t> data = Count(2000);
    auto s = StreamedWave(data);
    pumping = false;
    StartPump();
    s->Play(0);
    // The thread has queued its one (last) buffer and waits for the stream to end.
    XAUDIO2_VOICE_STATE state{};
    ASSERT_TRUE(WaitFor([&] {
        s->GetVoice()->GetState(&state);
        return state.BuffersQueued == 1;
    }));
    std::this_thread::sleep_for(20ms);
    s->Rewind();
    ASSERT_TRUE(WaitFor([&] {
        s->GetVoice()->GetState(&state);
        return state.BuffersQueued == 2;
    }));
    pumping = true;
    ASSERT_TRUE(WaitFor([&] { return !s->IsPlaying(); }));
    // The pass that ended the stream may still be on its way into the capture.
    StopPump();
    std::vector<int16_t> expected = data;
    expected.insert(expected.end(), data.begin(), data.end());
    EXPECT_EQ(expected, NonZero(Captured()));
}

TEST_F(StreamTest, RewindNeverOverwritesTheBufferStillPlaying)
{
    // Enough data to fill the ring: every ring buffer holds 4096 frames of this mono sound.
    std::vector<int16_t> data = Count(40000);
    auto s = StreamedWave(data);
    // No pump: the test pulls each pass itself, so it knows what the mixer has played.
    s->Play(0);
    XAUDIO2_VOICE_STATE state{};
    auto queued = [&] {
        s->GetVoice()->GetState(&state);
        return state.BuffersQueued;
    };
    ASSERT_TRUE(WaitFor([&] { return queued() == 7; }));
    std::vector<int16_t> captured = PullLeft(441);
    // The first buffer is playing; a rewind keeps it and queues the data again behind it.
    s->Rewind();
    std::this_thread::sleep_for(20ms);
    auto more = [&] {
        std::vector<int16_t> pass = PullLeft(441);
        captured.insert(captured.end(), pass.begin(), pass.end());
    };
    more();  // the pass that drops the flushed buffers
    ASSERT_TRUE(WaitFor([&] { return queued() == 7; }));
    ASSERT_TRUE(WaitFor([&] {
        more();
        return !s->IsPlaying();
    }));
    std::vector<int16_t> expected(data.begin(), data.begin() + 4096);
    expected.insert(expected.end(), data.begin(), data.end());
    EXPECT_EQ(expected, NonZero(captured));
}

TEST_F(StreamTest, VorbisLoopsAtLoopStartToTheSample)
{
    const size_t frames = 30000, loopFrame = 11025;  // LOOP_START = 0.25 s
    std::vector<uint8_t> ogg = MakeVorbis(Tune(frames, 1, 44100), 1, 44100, 0.3f, {"LOOP_START=0.25"});
    VorbisDecoder reference;
    ASSERT_TRUE(reference.Open(MemoryStreamOf(ogg, "m.ogg"), false));
    std::vector<int16_t> once(frames);
    uint32_t got = 0;
    size_t at = 0;
    std::vector<int16_t> buffer(4096);
    for (bool end = false; !end;) {
        end = reference.Read(buffer.data(), 8192, got);
        std::copy(buffer.begin(), buffer.begin() + got / 2, once.begin() + at);
        at += got / 2;
    }
    ASSERT_EQ(frames, at);

    auto d = new VorbisDecoder();
    ASSERT_TRUE(d->Open(MemoryStreamOf(ogg, "m.ogg"), false));
    auto s = Source(d, eSoundGroup_Bgm);
    StartPump();
    s->Play(2);
    ASSERT_TRUE(WaitFor([&] { return !s->IsPlaying(); }));
    StopPump();
    std::vector<int16_t> expected = once;
    for (int pass = 0; pass < 2; ++pass)
        expected.insert(expected.end(), once.begin() + loopFrame, once.end());
    EXPECT_EQ(NonZero(expected), NonZero(Captured()));
}

TEST_F(StreamTest, ReleaseWhilePlayingStopsTheThread)
{
    std::vector<std::unique_ptr<XAudio2Source>> sources;
    for (int i = 0; i < 4; ++i)
        sources.push_back(StreamedWave(Count(20000)));
    StartPump();
    for (auto& s : sources)
        s->Play(XAUDIO2_LOOP_INFINITE);
    ASSERT_TRUE(WaitFor([&] { return Captured().size() > 5000; }));
    sources[1].reset();
    sources[2]->Release();
    EXPECT_FALSE(sources[2]->IsPlaying());
    EXPECT_TRUE(sources[0]->IsPlaying());
    EXPECT_TRUE(sources[3]->IsPlaying());
    sources.clear();
}

} // namespace
