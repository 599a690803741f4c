// WAVE and Ogg Vorbis decoders on files made here, by sox and by oggenc.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "SoundTestUtil.h"
#include "SoundWriter.h"
#include "Support/TempDir.h"
#include "System/Sound/Decoder.h"
#include "System/Sound/VorbisDecoder.h"
#include "System/Sound/WaveDecoder.h"

namespace {

// Little-endian chunk builder for hand-made WAVE files.
struct Bytes {
    std::vector<uint8_t> b;
    Bytes& tag(const char* t)
    {
        b.insert(b.end(), t, t + 4);
        return *this;
    }
    Bytes& u32(uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            b.push_back(uint8_t(v >> (8 * i)));
        return *this;
    }
    Bytes& u16(uint16_t v)
    {
        b.push_back(uint8_t(v));
        b.push_back(uint8_t(v >> 8));
        return *this;
    }
    Bytes& raw(size_t n, uint8_t v = 0x55)
    {
        b.insert(b.end(), n, v);
        return *this;
    }
    Bytes& fmt16(uint16_t channels = 1, uint32_t rate = 22050, uint16_t bits = 16)
    {
        uint16_t align = uint16_t(channels * bits / 8);
        return tag("fmt ").u32(16).u16(1).u16(channels).u32(rate).u32(rate * align).u16(align).u16(bits);
    }
    // RIFF header in front, its size counted from the rest (+ adjust).
    std::vector<uint8_t> riff(int adjust = 0) const
    {
        Bytes r;
        r.tag("RIFF").u32(uint32_t(int(b.size()) + 4 + adjust)).tag("WAVE");
        r.b.insert(r.b.end(), b.begin(), b.end());
        return r.b;
    }
};

std::unique_ptr<WaveDecoder> OpenWave(const std::vector<uint8_t>& bytes, bool* opened, bool loop = false)
{
    auto d = std::make_unique<WaveDecoder>();
    *opened = d->Open(MemoryStreamOf(bytes), loop);
    return d;
}

TEST(WaveDecoder, MalformedHeaders)
{
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
        bool opens;
        uint32_t dataSize;
        uint32_t dataOffset;
        bool hasFormat;
    };
    const std::vector<Case> cases = {
        {"canonical", Bytes().fmt16().tag("data").u32(8).raw(8).riff(), true, 8, 44, true},
        {"RIFF size one too big", Bytes().fmt16().tag("data").u32(8).raw(8).riff(1), false, 0, 0, false},
        {"RIFF size one too small", Bytes().fmt16().tag("data").u32(8).raw(8).riff(-1), false, 0, 0, false},
        {"not RIFF", [] { auto f = Bytes().fmt16().riff(); f[0] = 'X'; return f; }(), false, 0, 0, false},
        {"not WAVE", [] { auto f = Bytes().fmt16().riff(); f[8] = 'A'; return f; }(), false, 0, 0, false},
        {"shorter than the RIFF header", {'R', 'I', 'F', 'F', 0, 0}, false, 0, 0, false},
        {"empty", {}, false, 0, 0, false},
        {"LIST before data is skipped", Bytes().fmt16().tag("LIST").u32(6).raw(6).tag("data").u32(4).raw(4).riff(),
         true, 4, 58, true},
        {"odd chunk has no padding byte", Bytes().fmt16().tag("junk").u32(3).raw(3).tag("data").u32(2).raw(2).riff(),
         true, 2, 55, true},
        {"fmt of 18 bytes is skipped", Bytes().tag("fmt ").u32(18).raw(18).tag("data").u32(2).raw(2).riff(), true, 2,
         46, false},
        {"no data chunk", Bytes().fmt16().riff(), true, 0, 0, true},
        {"data larger than the file", Bytes().fmt16().tag("data").u32(9).raw(8).riff(), true, 0, 0, true},
        {"data size near 4 GiB", Bytes().fmt16().tag("data").u32(0xFFFFFFF9u).raw(8).riff(), true, 0, 0, true},
        {"chunk past the end before data",
         Bytes().fmt16().tag("LIST").u32(100).tag("data").u32(2).raw(2).riff(), true, 0, 0, true},
        {"fmt larger than the file", Bytes().tag("fmt ").u32(16).raw(10).riff(), true, 0, 0, false},
        {"trailing bytes after data", Bytes().fmt16().tag("data").u32(2).raw(2).raw(5).riff(), true, 2, 44, true},
        {"a later data chunk wins", Bytes().fmt16().tag("data").u32(2).raw(2).tag("data").u32(4).raw(4).riff(), true,
         4, 54, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bool opened = false;
        auto d = OpenWave(c.file, &opened);
        EXPECT_EQ(c.opens, opened);
        if (!opened)
            continue;
        EXPECT_EQ(c.dataSize, d->GetDataSize());
        EXPECT_EQ(c.dataOffset, d->GetDataOffset());
        EXPECT_EQ(c.hasFormat, d->GetFormat().nChannels != 0);
        // Reading never goes past what is there.
        std::vector<uint8_t> buffer(8192);
        uint32_t got = 99;
        EXPECT_TRUE(d->Read(buffer.data(), 8192, got));
        EXPECT_EQ(c.dataSize, got);
        if (c.dataSize) {
            EXPECT_EQ(0x55, buffer[0]);
        }
        const void* data = nullptr;
        uint32_t size = 0;
        ASSERT_TRUE(d->GetData(data, size));
        EXPECT_EQ(c.dataSize, size);
        EXPECT_GE(double(d->GetLength()), 0.0);
    }
}

TEST(WaveDecoder, ReadsSeeksAndLoops)
{
    // 1 s of 16-bit mono at 22050 Hz: 44100 bytes.
    std::vector<int16_t> ramp = Ramp(22050, 1);
    std::vector<uint8_t> file = MakeWave(ramp, 1, 22050, 16);
    bool opened = false;
    auto d = OpenWave(file, &opened);
    ASSERT_TRUE(opened);
    EXPECT_FALSE(d->IsStreaming());
    EXPECT_DOUBLE_EQ(1.0, d->GetLength());
    std::vector<int16_t> out(4096);
    uint32_t got = 0;
    std::vector<int16_t> all;
    bool end = false;
    int reads = 0;
    while (!end) {
        end = d->Read(out.data(), 8192, got);
        all.insert(all.end(), out.begin(), out.begin() + got / 2);
        ++reads;
    }
    EXPECT_EQ(6, reads);  // 5 x 8192 + 3140
    EXPECT_EQ(ramp, all);
    EXPECT_DOUBLE_EQ(1.0, double(d->Tell()));

    struct SeekCase {
        double seconds;
        int16_t firstSample;
        double tell;
    };
    const SeekCase seeks[] = {{0.0, 0, 0.0}, {0.5, 11025, 0.5}, {2.0, 0, 1.0}, {-1.0, 0, 0.0}};
    for (const SeekCase& s : seeks) {
        SCOPED_TRACE(s.seconds);
        d->Seek(s.seconds);
        EXPECT_DOUBLE_EQ(s.tell, double(d->Tell()));
        bool atEnd = d->Read(out.data(), 2, got);
        if (s.seconds >= 1.0) {
            EXPECT_TRUE(atEnd) << "clamped to the end of the data";
            EXPECT_EQ(0u, got);
        } else {
            EXPECT_EQ(2u, got);
            EXPECT_EQ(s.firstSample, out[0]);
        }
    }

    // With the loop flag the read that ends the data goes back to the start.
    auto looped = OpenWave(file, &opened, true);
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(looped->Read(out.data(), 8192, got));
    EXPECT_TRUE(looped->Read(out.data(), 8192, got));
    EXPECT_EQ(3140u, got);
    EXPECT_FALSE(looped->Read(out.data(), 4, got));
    EXPECT_EQ(0, out[0]);
    EXPECT_EQ(1, out[1]);
}

TEST(WaveDecoder, FileStreamsStreamAndMemoryStreamsDoNot)
{
    TempDir dir;
    std::vector<uint8_t> file = MakeWave(Ramp(100, 2), 2, 44100, 16);
    std::string bytes(file.begin(), file.end());
    dir.WriteFile("a.wav", bytes);
    WaveDecoder streamed;
    ASSERT_TRUE(streamed.Open(FileStreamOf(dir.File("a.wav")), false));
    EXPECT_TRUE(streamed.IsStreaming());
    const void* data = nullptr;
    uint32_t size = 0;
    EXPECT_FALSE(streamed.GetData(data, size));
    EXPECT_EQ(2u, streamed.GetFormat().nChannels);
    EXPECT_EQ(400u, streamed.GetDataSize());

    // A file that shrinks after opening ends the data instead of reading on.
    dir.WriteFile("a.wav", bytes.substr(0, 60));
    std::vector<uint8_t> out(8192);
    uint32_t got = 0;
    EXPECT_TRUE(streamed.Read(out.data(), 8192, got));
    EXPECT_LE(got, 400u);
}

TEST(Decoder, KindsAndTheStreamCallbacks)
{
    std::unique_ptr<IDecoder> wave(CreateDecoder(eDecoderKind_Wave));
    std::unique_ptr<IDecoder> vorbis(CreateDecoder(eDecoderKind_Vorbis));
    EXPECT_NE(nullptr, dynamic_cast<WaveDecoder*>(wave.get()));
    EXPECT_NE(nullptr, dynamic_cast<VorbisDecoder*>(vorbis.get()));
    EXPECT_EQ(nullptr, CreateDecoder(0));
    EXPECT_EQ(nullptr, CreateDecoder(3));

    std::unique_ptr<MemoryStreamIO> s(MemoryStreamOf(std::vector<uint8_t>(10, 7)));
    char buffer[16];
    struct ReadCase {
        uint32_t at;
        size_t size, count, expected;
    };
    const ReadCase reads[] = {{0, 4, 2, 2}, {0, 4, 3, 2}, {8, 4, 1, 0}, {8, 1, 5, 2}, {0, 0, 5, 0}, {10, 1, 1, 0}};
    for (const ReadCase& r : reads) {
        s->Seek(r.at);
        EXPECT_EQ(r.expected, StreamReadCallback(buffer, r.size, r.count, s.get())) << r.at << " " << r.size;
    }
    struct SeekCase {
        ogg_int64_t offset;
        int whence, result;
        long tell;
    };
    s->Seek(5);
    const SeekCase seeks[] = {{3, SEEK_SET, 0, 3},  {2, SEEK_CUR, 0, 5},  {-1, SEEK_CUR, 0, 4},
                              {-4, SEEK_END, 0, 6}, {0, SEEK_END, 0, 10}, {0x100000002LL, SEEK_SET, 0, 2},
                              {0, 7, -1, 2}};
    for (const SeekCase& c : seeks) {
        EXPECT_EQ(c.result, StreamSeekCallback(s.get(), c.offset, c.whence));
        EXPECT_EQ(c.tell, StreamTellCallback(s.get()));
    }
    EXPECT_EQ(0, StreamCloseCallback(s.get()));
}

// ---------------------------------------------------------------------------------------------
// Ogg Vorbis

std::vector<int16_t> DecodeAll(IDecoder& d, size_t limitFrames = 1u << 24)
{
    std::vector<int16_t> all;
    std::vector<int16_t> buffer(4096);
    uint32_t got = 0;
    bool end = false;
    while (!end && all.size() < limitFrames * d.GetFormat().nChannels) {
        end = d.Read(buffer.data(), 8192, got);
        all.insert(all.end(), buffer.begin(), buffer.begin() + got / 2);
    }
    return all;
}

std::unique_ptr<VorbisDecoder> OpenVorbis(const std::vector<uint8_t>& file, bool loop, bool* opened)
{
    auto d = std::make_unique<VorbisDecoder>();
    *opened = d->Open(MemoryStreamOf(file, "test.ogg"), loop);
    return d;
}

TEST(VorbisDecoder, LoopPointsFromComments)
{
    std::vector<int16_t> tune = Tune(44100, 2, 44100);
    struct Case {
        std::vector<std::string> comments;
        double start, end;
    };
    const Case cases[] = {
        {{"LOOP_START=12.5", "LOOP_END=60"}, 12.5, 60.0},
        {{}, -1.0, -1.0},
        {{"LOOP_START==3"}, 3.0, -1.0},
        {{"loop_start=2", "Loop_End=3"}, -1.0, -1.0},
        {{"LOOP_START=1=2"}, -1.0, -1.0},
        {{"LOOP_START=abc", "LOOP_END=0.25"}, -1.0, 0.25},
        {{"LOOP_START"}, -1.0, -1.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.comments.empty() ? "none" : c.comments[0]);
        bool opened = false;
        auto d = OpenVorbis(MakeVorbis(tune, 2, 44100, 0.1f, c.comments), false, &opened);
        ASSERT_TRUE(opened);
        EXPECT_EQ(c.start, d->GetLoopStart());
        EXPECT_EQ(c.end, d->GetLoopEnd());
        const WAVEFORMATEX& f = d->GetFormat();
        EXPECT_EQ(WAVE_FORMAT_PCM, f.wFormatTag);
        EXPECT_EQ(2, f.nChannels);
        EXPECT_EQ(44100u, f.nSamplesPerSec);
        EXPECT_EQ(16, f.wBitsPerSample);
        EXPECT_EQ(4, f.nBlockAlign);
        EXPECT_EQ(176400u, f.nAvgBytesPerSec);
        EXPECT_TRUE(d->IsStreaming());
    }
}

TEST(VorbisDecoder, ReadSizesAndEnd)
{
    std::vector<int16_t> tune = Tune(30000, 1, 22050);
    bool opened = false;
    auto d = OpenVorbis(MakeVorbis(tune, 1, 22050, 0.2f, {}), false, &opened);
    ASSERT_TRUE(opened);
    EXPECT_NEAR(30000.0 / 22050.0, d->GetLength(), 1e-9);
    std::vector<uint8_t> buffer(8192);
    uint32_t got = 1;
    EXPECT_FALSE(d->Read(buffer.data(), 4095, got)) << "too small a buffer reads nothing";
    EXPECT_EQ(0u, got);
    size_t total = 0;
    bool end = false;
    while (!end) {
        end = d->Read(buffer.data(), 8192, got);
        if (!end) {
            EXPECT_GE(got, 4096u);
            EXPECT_LE(got, 8192u);
        }
        total += got;
    }
    EXPECT_EQ(60000u, total);
    const void* data = nullptr;
    uint32_t size = 0;
    EXPECT_FALSE(d->GetData(data, size));
    d->Seek(0.5);
    EXPECT_NEAR(0.5, double(d->Tell()), 1e-3);
}

TEST(VorbisDecoder, LoopsAtLoopStartExactToTheSample)
{
    const int rate = 44100;
    const size_t frames = 88200;
    const size_t loopFrame = 33075;  // 0.75 s
    std::vector<uint8_t> file = MakeVorbis(Tune(frames, 2, rate), 2, rate, 0.3f, {"LOOP_START=0.75", "LOOP_END=2"});
    bool opened = false;
    auto plain = OpenVorbis(file, false, &opened);
    ASSERT_TRUE(opened);
    std::vector<int16_t> once = DecodeAll(*plain);
    ASSERT_EQ(frames * 2, once.size());

    auto looped = OpenVorbis(file, true, &opened);
    ASSERT_TRUE(opened);
    std::vector<int16_t> run = DecodeAll(*looped, frames * 3);
    ASSERT_GE(run.size(), frames * 2 * 2);
    // First pass: the whole piece; then from the loop start on, sample for sample.
    EXPECT_TRUE(std::equal(once.begin(), once.end(), run.begin()));
    size_t mismatches = 0;
    for (size_t i = 0; i < (frames - loopFrame) * 2; ++i)
        mismatches += run[frames * 2 + i] != once[loopFrame * 2 + i];
    EXPECT_EQ(0u, mismatches);
    // And again after the second end.
    size_t second = frames * 2 + (frames - loopFrame) * 2;
    for (size_t i = 0; i < 1000 && second + i < run.size(); ++i)
        ASSERT_EQ(once[loopFrame * 2 + i], run[second + i]) << i;
}

TEST(VorbisDecoder, LoopStartOutsideTheDataLoopsFromZero)
{
    std::vector<int16_t> tune = Tune(22050, 1, 22050);
    for (const char* comment : {"LOOP_START=1", "LOOP_START=5", "LOOP_START=-2"}) {
        SCOPED_TRACE(comment);
        bool opened = false;
        auto once = OpenVorbis(MakeVorbis(tune, 1, 22050, 0.2f, {}), false, &opened);
        std::vector<int16_t> reference = DecodeAll(*once);
        auto d = OpenVorbis(MakeVorbis(tune, 1, 22050, 0.2f, {comment}), true, &opened);
        ASSERT_TRUE(opened);
        std::vector<int16_t> run = DecodeAll(*d, 22050 * 3);
        ASSERT_GE(run.size(), 22050u * 2);
        EXPECT_TRUE(std::equal(reference.begin(), reference.begin() + 2000, run.begin() + 22050));
    }
}

TEST(VorbisDecoder, RejectsWhatIsNotVorbis)
{
    std::vector<uint8_t> good = MakeVorbis(Tune(20000, 1, 22050), 1, 22050, 0.2f, {});
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
        int opens;  // -1: vorbisfile may take it or not
    };
    std::vector<uint8_t> garbage(5000, 0x42);
    std::vector<uint8_t> wave = MakeWave(Ramp(100, 1), 1, 22050, 16);
    std::vector<uint8_t> headOnly(good.begin(), good.begin() + 200);
    std::vector<uint8_t> cut(good.begin(), good.begin() + good.size() / 2);
    std::vector<uint8_t> damaged = good;
    for (size_t i = good.size() / 3; i < good.size() / 3 + 400; ++i)
        damaged[i] ^= 0xA5;
    const Case cases[] = {
        {"garbage", garbage, 0},     {"a WAVE file", wave, 0},  {"empty", {}, 0},
        {"only the first page", headOnly, 0}, {"cut in half", cut, -1}, {"damaged middle", damaged, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bool opened = false;
        auto d = OpenVorbis(c.file, true, &opened);
        if (c.opens >= 0) {
            EXPECT_EQ(c.opens == 1, opened);
        }
        // Whatever happened, reading ends or loops without hanging or crashing.
        std::vector<int16_t> run = DecodeAll(*d, 40000);
        EXPECT_LE(run.size(), 40000u + 4096u);
    }
}

// Closing frees the stream the decoder reads through; every call after it must find nothing
// to read rather than the freed stream, and the decoder opens again as new.
TEST(VorbisDecoder, ClosedDecoderReadsNothingAndOpensAgain)
{
    const std::vector<uint8_t> file = MakeVorbis(Tune(20000, 1, 22050), 1, 22050, 0.2f, {"LOOP_START=0.25"});
    bool opened = false;
    auto d = OpenVorbis(file, true, &opened);
    ASSERT_TRUE(opened);
    d->Close();
    std::vector<int16_t> buffer(4096);
    uint32_t got = 7;
    EXPECT_TRUE(d->Read(buffer.data(), 8192, got));
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(d->Tell(), 0.0L);
    EXPECT_EQ(d->GetLength(), 0.0);
    d->Seek(0.1);
    d->Close();
    ASSERT_TRUE(d->Open(MemoryStreamOf(file, "again.ogg"), false));
    EXPECT_EQ(DecodeAll(*d).size(), 20000u);
}

// Files made by other encoders (installed by the bootstrap).
bool Have(const char* tool) { return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0; }

TEST(Decoders, FilesFromSoxAndOggenc)
{
    if (!Have("sox") || !Have("oggenc"))
        GTEST_SKIP() << "sox or oggenc is missing";
    TempDir dir;
    std::string wav = dir.File("tone.wav"), ogg = dir.File("tone.ogg"), wav8 = dir.File("tone8.wav");
    ASSERT_EQ(0, std::system(("sox -n -r 22050 -c 2 -b 16 " + wav + " synth 0.5 sine 440 2>/dev/null").c_str()));
    ASSERT_EQ(0, std::system(("sox -n -r 11025 -c 1 -b 8 " + wav8 + " synth 0.25 square 300 2>/dev/null").c_str()));
    ASSERT_EQ(0, std::system(("oggenc -Q -q 2 -c LOOP_START=0.125 -c LOOP_END=0.5 -o " + ogg + " " + wav).c_str()));

    struct Case {
        std::string path;
        int kind;
        WORD channels, bits;
        DWORD rate;
        double seconds;
    };
    const Case cases[] = {
        {wav, eDecoderKind_Wave, 2, 16, 22050, 0.5},
        {wav8, eDecoderKind_Wave, 1, 8, 11025, 0.25},
        {ogg, eDecoderKind_Vorbis, 2, 16, 22050, 0.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        std::unique_ptr<IDecoder> d(CreateDecoder(c.kind));
        ASSERT_TRUE(d->Open(FileStreamOf(c.path), false));
        EXPECT_EQ(c.channels, d->GetFormat().nChannels);
        EXPECT_EQ(c.bits, d->GetFormat().wBitsPerSample);
        EXPECT_EQ(c.rate, d->GetFormat().nSamplesPerSec);
        EXPECT_NEAR(c.seconds, d->GetLength(), 1e-3);
        std::vector<int16_t> all = DecodeAll(*d);
        size_t bytes = all.size() * 2;
        EXPECT_NEAR(c.seconds * d->GetFormat().nAvgBytesPerSec, double(bytes), 4.0);
        int16_t peak = 0;
        for (int16_t s : all)
            peak = std::max<int16_t>(peak, int16_t(std::abs(s)));
        EXPECT_GT(peak, 1000) << "the tone is there";
        if (c.kind == eDecoderKind_Vorbis) {
            EXPECT_DOUBLE_EQ(0.125, d->GetLoopStart());
            EXPECT_DOUBLE_EQ(0.5, d->GetLoopEnd());
        }
    }
}

} // namespace
