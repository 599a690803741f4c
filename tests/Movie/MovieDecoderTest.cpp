// The movie decoder on movies written here and by ffmpeg: frames, due times, colours, repeats,
// the ring, looping, closing under load, bounded memory with sound, malformed files.
#include "System/Movie/MovieDecoder.h"

#include "MovieTestUtil.h"
#include "Support/TempDir.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

namespace {

constexpr uint32_t kAudioSerial = 0x5158;

const MovieRgb kRed{220, 30, 30}, kGreen{30, 200, 60}, kBlue{40, 60, 210}, kWhite{240, 240, 240}, kGrey{128, 128, 128};

struct Frame {
    int result;
    int32_t number;
    float due;
    std::vector<uint8_t> pixels;
};

// Every frame until the end (or `limit` frames), with its pixels.
std::vector<Frame> TakeAll(MovieDecoder& decoder, int limit = 100000)
{
    std::vector<Frame> frames;
    for (int i = 0; i < limit; ++i) {
        Frame f{0, 0, 0.0f, std::vector<uint8_t>(decoder.GetFrameSize(), 0)};
        f.result = decoder.GetFrame(f.pixels.data(), f.number, f.due);
        if (f.result != MovieDecoder::eGetFrame_Taken)
            break;
        frames.push_back(std::move(f));
    }
    return frames;
}

// A pass played again: the same frames, numbers, due times and pictures, in the same order.
void ExpectSameFrames(const std::vector<Frame>& first, const std::vector<Frame>& again)
{
    ASSERT_EQ(first.size(), again.size());
    for (size_t i = 0; i < again.size(); ++i) {
        EXPECT_EQ(first[i].number, again[i].number);
        EXPECT_EQ(first[i].due, again[i].due);
        EXPECT_TRUE(first[i].pixels == again[i].pixels) << "frame " << i;
    }
}

std::unique_ptr<MovieDecoder> OpenMovie(const std::vector<uint8_t>& bytes, int slots = 4, int blocks = 0)
{
    auto decoder = std::make_unique<MovieDecoder>();
    if (!decoder->Open(MemoryStreamOf(bytes), slots, blocks))
        return nullptr;
    decoder->Start();
    return decoder;
}

// Pixel (x, y) of a frame of the decoder's frame width, as B, G, R, A.
std::array<uint8_t, 4> PixelAt(const MovieDecoder& decoder, const std::vector<uint8_t>& pixels, int x, int y)
{
    const size_t at = (size_t(y) * decoder.GetVideoInfo().frame_width + x) * 4;
    return {pixels[at], pixels[at + 1], pixels[at + 2], pixels[at + 3]};
}

void ExpectColour(MovieRgb want, std::array<uint8_t, 4> bgra, int tolerance = 12)
{
    EXPECT_NEAR(want.b, bgra[0], tolerance);
    EXPECT_NEAR(want.g, bgra[1], tolerance);
    EXPECT_NEAR(want.r, bgra[2], tolerance);
    EXPECT_EQ(255, bgra[3]);
}

MovieSpec SmallSpec(int frames)
{
    MovieSpec spec;
    spec.width = 64;
    spec.height = 48;
    spec.frameCount = frames;
    spec.quality = 63;
    return spec;
}

} // namespace

TEST(MovieDecoder, DecodesEveryFrameWithItsDueTimeAndColour)
{
    const std::vector<MovieRgb> colours = {kRed, kGreen, kBlue, kWhite, kGrey};
    auto decoder = OpenMovie(SolidMovie(SmallSpec(12), colours));
    ASSERT_TRUE(decoder);
    EXPECT_EQ(64u, decoder->GetVideoInfo().frame_width);
    EXPECT_EQ(48u, decoder->GetVideoInfo().frame_height);
    EXPECT_EQ(size_t(64 * 48 * 4), decoder->GetFrameSize());
    std::vector<Frame> frames = TakeAll(*decoder);
    ASSERT_EQ(12u, frames.size());
    for (int i = 0; i < 12; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(i, frames[i].number);
        EXPECT_FLOAT_EQ(decoder->GetFrameDuration() * float(i + 1), frames[i].due);
        ExpectColour(colours[i % colours.size()], PixelAt(*decoder, frames[i].pixels, 32, 24));
        ExpectColour(colours[i % colours.size()], PixelAt(*decoder, frames[i].pixels, 1, 46));
    }
    int32_t number = 0;
    float due = 0.0f;
    EXPECT_EQ(MovieDecoder::eGetFrame_Ended, decoder->GetFrame(nullptr, number, due));
    EXPECT_EQ(MovieDecoder::eGetFrame_Ended, decoder->GetFrame(nullptr, number, due));
}

TEST(MovieDecoder, FrameDurationFollowsTheFrameRate)
{
    struct Case {
        int numerator, denominator;
        float duration;
    } cases[] = {{30, 1, 1.0f / 30.0f}, {60, 1, 1.0f / 60.0f}, {30000, 1001, 0.033366665f}, {25, 2, 0.08f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.numerator << "/" << c.denominator);
        MovieSpec spec = SmallSpec(3);
        spec.fpsNumerator = c.numerator;
        spec.fpsDenominator = c.denominator;
        auto decoder = OpenMovie(SolidMovie(spec, {kGrey}));
        ASSERT_TRUE(decoder);
        EXPECT_FLOAT_EQ(c.duration, decoder->GetFrameDuration());
        std::vector<Frame> frames = TakeAll(*decoder);
        ASSERT_EQ(3u, frames.size());
        EXPECT_FLOAT_EQ(c.duration * 3.0f, frames[2].due);
    }
}

TEST(MovieDecoder, RepeatedFramesAdvanceButLeaveTheDestinationUnchanged)
{
    // Frames 3, 4 and 5 repeat frame 2.
    const std::vector<MovieRgb> colours = {kRed, kGreen, kBlue, kBlue, kBlue, kBlue, kWhite, kRed};
    MovieSpec spec = SmallSpec(8);
    spec.markRepeats = true;
    auto decoder = OpenMovie(SolidMovie(spec, colours, [](int frame) { return frame >= 3 && frame <= 5; }));
    ASSERT_TRUE(decoder);
    std::vector<uint8_t> destination(decoder->GetFrameSize());
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        std::fill(destination.begin(), destination.end(), 0x5A);
        int32_t number = -5;
        float due = 0.0f;
        ASSERT_EQ(MovieDecoder::eGetFrame_Taken, decoder->GetFrame(destination.data(), number, due));
        EXPECT_EQ(i, number);
        EXPECT_FLOAT_EQ(decoder->GetFrameDuration() * float(i + 1), due);
        const bool repeat = i >= 3 && i <= 5;
        if (repeat)
            EXPECT_TRUE(std::all_of(destination.begin(), destination.end(), [](uint8_t b) { return b == 0x5A; }));
        else
            ExpectColour(colours[i], PixelAt(*decoder, destination, 10, 10));
    }
}

// A frame taken without a copy is read in its ring slot: the slot keeps that frame while the
// decoder runs ahead as far as it can, until the frame is handed back; a repeated frame has no
// pixels to read.
TEST(MovieDecoder, ATakenFrameKeepsItsSlotUntilItIsReleased)
{
    // Frames 3 and 4 repeat frame 2.
    const std::vector<MovieRgb> colours = {kRed, kGreen, kBlue, kBlue, kBlue, kWhite, kRed, kGreen};
    MovieSpec spec = SmallSpec(8);
    spec.markRepeats = true;
    for (int slots : {2, 3, 5}) {
        SCOPED_TRACE(slots);
        auto decoder = OpenMovie(SolidMovie(spec, colours, [](int frame) { return frame == 3 || frame == 4; }), slots);
        ASSERT_TRUE(decoder);
        for (int i = 0; i < 8; ++i) {
            SCOPED_TRACE(i);
            const uint8_t* pixels = nullptr;
            int32_t number = -1;
            float due = 0.0f;
            ASSERT_EQ(MovieDecoder::eGetFrame_Taken, decoder->TakeFrame(pixels, number, due));
            EXPECT_EQ(i, number);
            EXPECT_FLOAT_EQ(decoder->GetFrameDuration() * float(i + 1), due);
            const bool repeat = i == 3 || i == 4;
            EXPECT_EQ(repeat, pixels == nullptr);
            // Give the decoder every chance to write over the slot.
            WaitUntil([&] { return decoder->GetReadyFrameCount() >= std::min(slots - 1, 8 - i); },
                      std::chrono::seconds(5));
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (pixels) {
                const std::vector<uint8_t> held(pixels, pixels + decoder->GetFrameSize());
                ExpectColour(colours[size_t(i)], PixelAt(*decoder, held, 10, 10));
            }
            decoder->ReleaseFrame();
            // A second hand-back does not skip a frame.
            decoder->ReleaseFrame();
        }
        const uint8_t* pixels = nullptr;
        int32_t number = -1;
        float due = 0.0f;
        EXPECT_EQ(MovieDecoder::eGetFrame_Ended, decoder->TakeFrame(pixels, number, due));
        EXPECT_EQ(nullptr, pixels);
    }
}

TEST(MovieDecoder, RingHoldsOneFrameLessThanItsSlotsAndAtLeastTwoSlots)
{
    struct Case {
        int requested, slots;
    } cases[] = {{-3, 2}, {0, 2}, {1, 2}, {2, 2}, {5, 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.requested);
        auto decoder = OpenMovie(SolidMovie(SmallSpec(10), {kRed, kBlue}), c.requested);
        ASSERT_TRUE(decoder);
        EXPECT_EQ(c.slots, decoder->GetFrameSlotCount());
        // Let the thread run ahead as far as it can, then give it the chance to overrun.
        EXPECT_TRUE(WaitUntil([&] { return decoder->GetReadyFrameCount() >= c.slots - 1; }));
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        EXPECT_EQ(c.slots - 1, decoder->GetReadyFrameCount());
        EXPECT_EQ(10u, TakeAll(*decoder).size());
    }
}

// A player waits for a lead of decoded frames once it starts: the wait ends with that many
// frames ready, with as many as the ring holds when it holds fewer, or at the movie's end.
TEST(MovieDecoder, WaitingForALeadEndsWithTheFramesReadyOrAtTheEnd)
{
    struct Case {
        const char* name;
        int frames, slots, lead;
        int ready;
    } cases[] = {
        {"two of a long movie", 10, 4, 2, 2},
        {"more than the ring holds", 10, 4, 8, 3},
        {"the smallest ring", 10, 2, 2, 1},
        {"a movie shorter than the lead", 1, 4, 3, 1},
        {"no lead", 10, 4, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto decoder = OpenMovie(SolidMovie(SmallSpec(c.frames), {kRed, kBlue}), c.slots);
        ASSERT_TRUE(decoder);
        decoder->WaitForFrames(c.lead);
        EXPECT_GE(decoder->GetReadyFrameCount(), c.ready);
        // The frames waited for are the movie's from its first.
        const std::vector<Frame> frames = TakeAll(*decoder);
        ASSERT_EQ(size_t(c.frames), frames.size());
        EXPECT_EQ(0, frames[0].number);
        ExpectColour(kRed, PixelAt(*decoder, frames[0].pixels, 10, 10));
    }
    // A closed decoder has nothing to wait for.
    MovieDecoder closed;
    closed.WaitForFrames(2);
    EXPECT_EQ(0, closed.GetReadyFrameCount());
}

// The slot counts come from data: past their bounds they are cut to them, with an error, and
// the movie still plays.
TEST(MovieDecoder, SlotCountsFromDataHaveAnUpperBound)
{
    struct Case {
        int slots, blocks;
        int expectedSlots;
        bool error;
    } cases[] = {
        {MovieDecoder::kMaxFrameSlots, 0, MovieDecoder::kMaxFrameSlots, false},
        {MovieDecoder::kMaxFrameSlots + 1, 0, MovieDecoder::kMaxFrameSlots, true},
        {INT32_MAX, 0, MovieDecoder::kMaxFrameSlots, true},
        {4, INT32_MAX, 4, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.slots);
        testing::internal::CaptureStdout();
        auto decoder = OpenMovie(SolidMovie(SmallSpec(40), {kRed, kBlue}), c.slots, c.blocks);
        const std::string log = testing::internal::GetCapturedStdout();
        ASSERT_TRUE(decoder);
        EXPECT_EQ(c.expectedSlots, decoder->GetFrameSlotCount());
        EXPECT_EQ(c.error, log.find(":ERROR:") != std::string::npos) << log;
        EXPECT_EQ(40u, TakeAll(*decoder).size());
    }
}

// Frame numbers come from the file's granule positions. Moved to the top of the 32-bit range,
// they neither overflow the next frame's due time nor wrap to negative numbers.
TEST(MovieDecoder, FrameNumbersAtTheTopOfTheRangeStayInIt)
{
    const std::vector<uint8_t> movie = SolidMovie(SmallSpec(12), {kRed, kBlue});
    int shift = 0;
    {
        auto probe = OpenMovie(movie);
        ASSERT_TRUE(probe);
        shift = probe->GetVideoInfo().keyframe_granule_shift;
    }
    auto pages = SplitPages(movie);
    const int64_t offset = (int64_t{INT32_MAX} - 5) << shift;
    for (auto& page : pages) {
        int64_t granule = 0;
        std::memcpy(&granule, &page[6], 8);
        if (granule <= 0)
            continue; // the header pages, and pages where no packet ends
        granule += offset;
        std::memcpy(&page[6], &granule, 8);
        ResealPage(page);
    }
    auto decoder = OpenMovie(JoinPages(pages));
    ASSERT_TRUE(decoder);
    const std::vector<Frame> frames = TakeAll(*decoder);
    ASSERT_FALSE(frames.empty());
    int32_t highest = -1;
    for (const Frame& f : frames) {
        EXPECT_GE(f.number, -1);
        EXPECT_TRUE(std::isfinite(f.due) && f.due > 0.0f) << f.number << " " << f.due;
        highest = std::max(highest, f.number);
    }
    EXPECT_EQ(highest, INT32_MAX);
}

// A restart that cannot read the movie again (here: its bytes are gone) ends it, looping or
// not: the player sees the end, not a decoder stopped for ever, and one error rather than one
// per restart.
TEST(MovieDecoder, RestartThatCannotReadTheFileAgainEnds)
{
    for (bool loop : {false, true}) {
        SCOPED_TRACE(loop ? "looping" : "not looping");
        std::vector<uint8_t> bytes = SolidMovie(SmallSpec(6), {kRed, kBlue});
        auto* stream = new MemoryStreamIO();
        stream->Init(bytes.data(), uint32_t(bytes.size()), false, true);
        stream->SetName("vanishing");
        MovieDecoder decoder;
        ASSERT_TRUE(decoder.Open(stream, 4, 0));
        decoder.Start();
        EXPECT_EQ(6u, TakeAll(decoder).size());
        std::fill(bytes.begin(), bytes.end(), uint8_t{0});
        decoder.SetLoop(loop);
        testing::internal::CaptureStdout();
        for (int restart = 0; restart < 3; ++restart) {
            decoder.Restart();
            int32_t number = 0;
            float due = 0.0f;
            EXPECT_EQ(MovieDecoder::eGetFrame_Ended, decoder.GetFrame(nullptr, number, due)) << restart;
            EXPECT_EQ(MovieDecoder::eGetFrame_Ended, decoder.GetFrame(nullptr, number, due)) << restart;
        }
        const std::string log = testing::internal::GetCapturedStdout();
        const std::string error = "\"vanishing\" cannot be read again";
        size_t errors = 0;
        for (size_t at = log.find(error); at != std::string::npos; at = log.find(error, at + 1))
            ++errors;
        EXPECT_EQ(1u, errors) << log;
        decoder.Close();
    }
}

// A looping movie is read again from its start by the decoding thread: the end is still
// reported where it is, and the restart after it finds the first frames already decoded
// instead of an emptied ring.
TEST(MovieDecoder, ALoopingMovieGoesOnFromItsStartWithoutStopping)
{
    const std::vector<MovieRgb> colours = {kRed, kGreen, kBlue, kWhite};
    const std::vector<uint8_t> movie = SolidMovie(SmallSpec(9), colours);
    for (int slots : {2, 3, 5}) {
        SCOPED_TRACE(slots);
        auto decoder = OpenMovie(movie, slots);
        ASSERT_TRUE(decoder);
        decoder->SetLoop(true);
        const std::vector<Frame> first = TakeAll(*decoder);
        ASSERT_EQ(9u, first.size());
        for (int loop = 0; loop < 3; ++loop) {
            SCOPED_TRACE(loop);
            EXPECT_TRUE(WaitUntil([&] { return decoder->GetReadyFrameCount() >= slots - 1; }, std::chrono::seconds(5)));
            decoder->Restart();
            EXPECT_EQ(slots - 1, decoder->GetReadyFrameCount());
            ExpectSameFrames(first, TakeAll(*decoder));
        }
        // Without the loop the end stays the end.
        decoder->SetLoop(false);
        decoder->Restart();
        EXPECT_EQ(9u, TakeAll(*decoder).size());
        int32_t number = 0;
        float due = 0.0f;
        EXPECT_EQ(MovieDecoder::eGetFrame_Ended, decoder->GetFrame(nullptr, number, due));
    }
}

TEST(MovieDecoder, RestartLoopsFromFrameZeroWithTheSamePictures)
{
    const std::vector<MovieRgb> colours = {kRed, kGreen, kBlue, kWhite};
    auto decoder = OpenMovie(SolidMovie(SmallSpec(9), colours), 3);
    ASSERT_TRUE(decoder);
    const std::vector<Frame> first = TakeAll(*decoder);
    ASSERT_EQ(9u, first.size());
    for (int loop = 0; loop < 4; ++loop) {
        SCOPED_TRACE(loop);
        decoder->Restart();
        ExpectSameFrames(first, TakeAll(*decoder));
    }
    // A restart part way through also starts again at frame 0.
    decoder->Restart();
    TakeAll(*decoder, 4);
    decoder->Restart();
    std::vector<Frame> fromStart = TakeAll(*decoder, 1);
    ASSERT_EQ(1u, fromStart.size());
    EXPECT_EQ(0, fromStart[0].number);
}

TEST(MovieDecoder, ClosingWhileBothThreadsAreBusyReturnsPromptly)
{
    MovieSpec spec = SmallSpec(60);
    spec.audioRate = 22050;
    spec.audioChannels = 2;
    const std::vector<uint8_t> bytes = SolidMovie(spec, {kRed, kGreen, kBlue}, {}, TestTone);
    const auto begin = std::chrono::steady_clock::now();
    for (int i = 0; i < 40; ++i) {
        auto decoder = OpenMovie(bytes, 2, 4);
        ASSERT_TRUE(decoder);
        EXPECT_TRUE(decoder->IsDecodingSound());
        // Some iterations take a few frames so the threads are caught at different points.
        TakeAll(*decoder, i % 5);
        if (i % 3 == 0)
            decoder->Restart();
        decoder->Close();
        EXPECT_FALSE(decoder->IsOpen());
    }
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(20));
}

TEST(MovieDecoder, SoundIsDecodedAndLoopingKeepsMemoryFlat)
{
    // Mostly sound: 12 s of stereo 44.1 kHz under a tiny picture at 5 frames per second.
    MovieSpec spec;
    spec.width = 32;
    spec.height = 32;
    spec.fpsNumerator = 5;
    spec.frameCount = 60;
    spec.audioRate = 44100;
    spec.audioChannels = 2;
    const std::vector<uint8_t> bytes = SolidMovie(spec, {kRed, kBlue}, {}, TestTone);
    auto decoder = OpenMovie(bytes, 3, 16);
    ASSERT_TRUE(decoder);
    ASSERT_TRUE(decoder->IsDecodingSound());
    size_t firstLoopPeak = 0, peak = 0;
    for (int loop = 0; loop < 25; ++loop) {
        int32_t number;
        float due;
        int frames = 0;
        while (decoder->GetFrame(nullptr, number, due) == MovieDecoder::eGetFrame_Taken) {
            ++frames;
            peak = std::max(peak, decoder->GetMovieStream()->GetBufferedBytes());
        }
        ASSERT_EQ(60, frames);
        if (loop == 0)
            firstLoopPeak = peak;
        // Each start's sound thread fills the ring once (nobody takes the blocks) and drops
        // what follows; the restart would stop it wherever it is, so it is waited for.
        ASSERT_TRUE(WaitUntil([&] {
            return decoder->GetSoundBlocksFilled() >= 15u * (loop + 1) &&
                   decoder->GetSoundBlocksDropped() >= 50u * (loop + 1);
        })) << "loop " << loop << ": " << decoder->GetSoundBlocksFilled() << " filled, "
            << decoder->GetSoundBlocksDropped() << " dropped";
        // The last run's sound is counted; a restart now would start a 26th.
        if (loop + 1 < 25)
            decoder->Restart();
    }
    // The sound ring filled once and the rest was dropped rather than kept.
    EXPECT_GE(decoder->GetSoundBlocksFilled(), 15u);
    EXPECT_LE(decoder->GetSoundBlocksFilled(), 15u * 25u);
    EXPECT_GT(decoder->GetSoundBlocksDropped(), 1000u);
    // However fast the pictures are taken, the demultiplexer holds a bounded part of the sound,
    // never the movie's whole track.
    const size_t bound = MovieStream::kMaxHeldSoundBytes + 16 * 1024;
    EXPECT_GT(bytes.size(), bound);
    EXPECT_LT(firstLoopPeak, bound);
    EXPECT_LT(peak, bound) << "first loop " << firstLoopPeak;
}

TEST(MovieDecoder, SoundNobodyDecodesIsDroppedAsItIsRead)
{
    MovieSpec spec;
    spec.width = 32;
    spec.height = 32;
    spec.fpsNumerator = 5;
    spec.frameCount = 30;
    spec.audioRate = 44100;
    spec.audioChannels = 2;
    const std::vector<uint8_t> bytes = SolidMovie(spec, {kRed, kBlue}, {}, TestTone);
    auto decoder = OpenMovie(bytes, 3, 0);
    ASSERT_TRUE(decoder);
    EXPECT_FALSE(decoder->IsDecodingSound());
    size_t peak = 0;
    int32_t number;
    float due;
    int frames = 0;
    while (decoder->GetFrame(nullptr, number, due) == MovieDecoder::eGetFrame_Taken) {
        ++frames;
        peak = std::max(peak, decoder->GetMovieStream()->GetBufferedBytes());
    }
    EXPECT_EQ(30, frames);
    EXPECT_LT(peak, bytes.size() / 4);
}

TEST(MovieDecoder, MalformedFilesFailToOpen)
{
    MovieSpec spec = SmallSpec(4);
    spec.audioRate = 22050;
    const std::vector<uint8_t> movie = SolidMovie(spec, {kRed}, {}, TestTone);
    const auto pages = SplitPages(movie);
    ASSERT_GT(pages.size(), 4u);

    std::vector<std::vector<uint8_t>> soundOnly;
    for (const auto& p : pages)
        if (PageSerial(p) == kAudioSerial)
            soundOnly.push_back(p);

    // The identification header's frame size in macroblocks (16 bits each at bytes 10 and 12 of
    // the packet, which starts after the page header) made absurd.
    std::vector<std::vector<uint8_t>> huge = pages;
    const size_t body = 27 + huge[0][26];
    huge[0][body + 10] = 0x10; // 4096 macroblocks = 65536 pixels
    huge[0][body + 12] = 0x10;
    ResealPage(huge[0]);

    // The pixel format bits (4:2:2) in the identification header's last byte pair.
    std::vector<std::vector<uint8_t>> format = pages;
    const size_t last = 27 + format[0][26] + 41;
    format[0][last] = uint8_t((format[0][last] & ~0x18) | (2 << 3));
    ResealPage(format[0]);

    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"empty", {}},
        {"not Ogg", std::vector<uint8_t>(5000, 'x')},
        {"cut inside the first page", std::vector<uint8_t>(movie.begin(), movie.begin() + 40)},
        {"cut before the setup header", JoinPages({pages[0], pages[1]})},
        {"sound without pictures", JoinPages(soundOnly)},
        {"absurd frame size", JoinPages(huge)},
        {"4:2:2 pictures", JoinPages(format)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MovieDecoder decoder;
        EXPECT_FALSE(decoder.Open(MemoryStreamOf(c.bytes), 3, 4));
        int32_t number = 0;
        float due = 0.0f;
        EXPECT_NE(MovieDecoder::eGetFrame_Taken, decoder.GetFrame(nullptr, number, due));
    }
}

TEST(MovieDecoder, DamagedOrEmptyVideoEndsInsteadOfHanging)
{
    const std::vector<uint8_t> movie = SolidMovie(SmallSpec(20), {kRed, kGreen, kBlue});
    auto pages = SplitPages(movie);
    // Headers only (the identification page, then comment and setup): opens, and has no frames.
    std::vector<std::vector<uint8_t>> headers(pages.begin(), pages.begin() + 2);
    {
        auto decoder = OpenMovie(JoinPages(headers));
        ASSERT_TRUE(decoder);
        EXPECT_EQ(0u, TakeAll(*decoder).size());
        decoder->Restart();
        EXPECT_EQ(0u, TakeAll(*decoder).size());
    }
    // Garbage in every data page (checksums fixed, so the pages are read and the packets fail).
    for (size_t i = 2; i < pages.size(); ++i) {
        const size_t body = 27 + pages[i][26];
        for (size_t b = body; b < pages[i].size(); b += 3)
            pages[i][b] ^= 0xA5;
        ResealPage(pages[i]);
    }
    auto decoder = OpenMovie(JoinPages(pages));
    ASSERT_TRUE(decoder);
    EXPECT_LE(TakeAll(*decoder).size(), 20u);
}
