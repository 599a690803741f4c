// Movies made by another encoder (ffmpeg with libtheora and libvorbis): frame numbers, due
// times, colours, picture offsets, gaps in the frame numbers, looping.
#include "MovieTestUtil.h"
#include "Support/TempDir.h"
#include "System/Movie/MovieDecoder.h"

#include <array>
#include <gtest/gtest.h>
#include <memory>

namespace {

struct Taken {
    int32_t number;
    float due;
    std::vector<uint8_t> pixels;
};

std::vector<Taken> TakeAll(MovieDecoder& decoder)
{
    std::vector<Taken> frames;
    for (;;) {
        Taken t{0, 0.0f, std::vector<uint8_t>(decoder.GetFrameSize())};
        if (decoder.GetFrame(t.pixels.data(), t.number, t.due) != MovieDecoder::eGetFrame_Taken)
            return frames;
        frames.push_back(std::move(t));
    }
}

class FfmpegMovie : public testing::Test {
  protected:
    void SetUp() override
    {
        if (!HaveTool("ffmpeg"))
            GTEST_SKIP() << "ffmpeg is missing (scripts/bootstrap installs it)";
    }

    // Runs ffmpeg with the arguments, writing `name` in the temporary folder; its bytes.
    std::vector<uint8_t> Make(const std::string& arguments, const std::string& name)
    {
        const std::string path = m_Dir.File(name);
        const std::string command = "ffmpeg -nostdin -v error -y " + arguments + " " + path;
        EXPECT_EQ(0, std::system(command.c_str())) << command;
        return ReadFileBytes(path);
    }

    std::unique_ptr<MovieDecoder> Open(const std::vector<uint8_t>& bytes, int blocks = 0)
    {
        auto decoder = std::make_unique<MovieDecoder>();
        if (!decoder->Open(MemoryStreamOf(bytes, "ffmpeg.ogv"), 4, blocks))
            return nullptr;
        decoder->Start();
        return decoder;
    }

    TempDir m_Dir;
};

std::array<uint8_t, 4> PixelAt(const MovieDecoder& decoder, const std::vector<uint8_t>& pixels, int x, int y)
{
    const th_info& info = decoder.GetVideoInfo();
    const size_t at = (size_t(y + info.pic_y) * info.frame_width + x + info.pic_x) * 4;
    return {pixels[at], pixels[at + 1], pixels[at + 2], pixels[at + 3]};
}

void ExpectColour(uint32_t rgb, std::array<uint8_t, 4> bgra)
{
    EXPECT_NEAR(int(rgb & 0xFF), bgra[0], 12);
    EXPECT_NEAR(int((rgb >> 8) & 0xFF), bgra[1], 12);
    EXPECT_NEAR(int(rgb >> 16), bgra[2], 12);
    EXPECT_EQ(255, bgra[3]);
}

} // namespace

TEST_F(FfmpegMovie, FramesDueTimesAndColoursWithSound)
{
    // 24 frames at 24 per second; the left half red for half a second, then blue, over a
    // moving test picture so that no frame repeats; a Vorbis track beside it.
    const std::vector<uint8_t> bytes =
        Make("-f lavfi -i testsrc2=s=96x64:r=24:d=1 -f lavfi -i sine=f=440:d=1:sample_rate=22050 "
             "-vf \"drawbox=x=0:y=0:w=48:h=64:c=0xDC1E1E:t=fill:enable='lt(t,0.5)',"
             "drawbox=x=0:y=0:w=48:h=64:c=0x283CD2:t=fill:enable='gte(t,0.5)'\" "
             "-c:v libtheora -q:v 10 -c:a libvorbis -q:a 2",
             "colours.ogv");
    auto decoder = Open(bytes, 8);
    ASSERT_TRUE(decoder);
    EXPECT_TRUE(decoder->IsDecodingSound());
    EXPECT_EQ(96u, decoder->GetVideoInfo().pic_width);
    const std::vector<Taken> frames = TakeAll(*decoder);
    ASSERT_EQ(24u, frames.size());
    for (int i = 0; i < 24; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(i, frames[i].number);
        EXPECT_FLOAT_EQ(float(i + 1) / 24.0f, frames[i].due);
        ExpectColour(i < 12 ? 0xDC1E1E : 0x283CD2, PixelAt(*decoder, frames[i].pixels, 20, 30));
    }
    // The sound thread decodes the pages the pictures brought in its own time.
    EXPECT_TRUE(WaitUntil([&] { return decoder->GetSoundBlocksFilled() > 0u; }));
    EXPECT_GT(decoder->GetSoundBlocksFilled(), 0u);
    // And again after a restart.
    decoder->Restart();
    const std::vector<Taken> again = TakeAll(*decoder);
    ASSERT_EQ(24u, again.size());
    EXPECT_EQ(0, again[0].number);
    EXPECT_TRUE(again[5].pixels == frames[5].pixels);
}

TEST_F(FfmpegMovie, PictureInsideALargerFrameAtNtscRate)
{
    const std::vector<uint8_t> bytes =
        Make("-f lavfi -i testsrc2=s=100x60:r=30000/1001:d=0.5 "
             "-vf \"drawbox=x=0:y=0:w=40:h=60:c=0x1EC83C:t=fill\" -c:v libtheora -q:v 10",
             "ntsc.ogv");
    auto decoder = Open(bytes);
    ASSERT_TRUE(decoder);
    const th_info& info = decoder->GetVideoInfo();
    EXPECT_EQ(112u, info.frame_width);
    EXPECT_EQ(64u, info.frame_height);
    EXPECT_EQ(100u, info.pic_width);
    EXPECT_EQ(60u, info.pic_height);
    EXPECT_LE(info.pic_x + info.pic_width, info.frame_width);
    EXPECT_LE(info.pic_y + info.pic_height, info.frame_height);
    EXPECT_FLOAT_EQ(0.033366665f, decoder->GetFrameDuration());
    const std::vector<Taken> frames = TakeAll(*decoder);
    ASSERT_EQ(15u, frames.size());
    EXPECT_FLOAT_EQ(0.033366665f * 15.0f, frames.back().due);
    // The box's corners, measured from the picture's own corner.
    ExpectColour(0x1EC83C, PixelAt(*decoder, frames[3].pixels, 1, 1));
    ExpectColour(0x1EC83C, PixelAt(*decoder, frames[3].pixels, 38, 58));
}

TEST_F(FfmpegMovie, UnchangedPicturesLeaveGapsInTheFrameNumbers)
{
    // A still picture: ffmpeg writes only the frames that change, and the granule positions
    // say which frame each one is.
    const std::vector<uint8_t> bytes =
        Make("-f lavfi -i color=c=0x283CD2:s=64x48:r=24:d=1 -c:v libtheora -q:v 10", "still.ogv");
    auto decoder = Open(bytes);
    ASSERT_TRUE(decoder);
    const std::vector<Taken> frames = TakeAll(*decoder);
    ASSERT_GE(frames.size(), 1u);
    ASSERT_LT(frames.size(), 24u);
    EXPECT_EQ(0, frames[0].number);
    EXPECT_FLOAT_EQ(1.0f / 24.0f, frames[0].due);
    for (size_t i = 1; i < frames.size(); ++i)
        EXPECT_GT(frames[i].number, frames[i - 1].number);
    ExpectColour(0x283CD2, PixelAt(*decoder, frames[0].pixels, 30, 20));
}
