// Image files decoded to surface bytes: files written by ImageMagick in every format the game
// reads, a DXT3 file of our own, and DDS files that must be refused.
#include "Platform/D3DX/ImageDecode.h"

#include "Platform/D3D9/SurfaceFormat.h"
#include "Support/TempDir.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Rgba {
    uint8_t r, g, b, a;
};

// 8 x 4: a red and white checkerboard block, then a block of opaque blue over transparent green.
std::vector<Rgba> TestImage(bool withAlpha)
{
    std::vector<Rgba> px;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) {
            if (x < 4)
                px.push_back((x + y) % 2 == 0 ? Rgba{255, 0, 0, 255} : Rgba{255, 255, 255, 255});
            else
                px.push_back(y < 2 ? Rgba{0, 0, 255, 255} : Rgba{0, 255, 0, static_cast<uint8_t>(withAlpha ? 0 : 255)});
        }
    return px;
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Writes the image as raw RGBA and converts it with ImageMagick; returns the output bytes.
std::string Convert(const TempDir& dir, const std::vector<Rgba>& px, int w, int h, const std::string& options,
                    const std::string& outName)
{
    dir.WriteFile("in.rgba", std::string(reinterpret_cast<const char*>(px.data()), px.size() * 4));
    const std::string command = "/usr/bin/convert -size " + std::to_string(w) + "x" + std::to_string(h) +
                                " -depth 8 rgba:" + dir.File("in.rgba") + " " + options + " " + dir.File(outName) +
                                " 2>/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0) << "ImageMagick (scripts/bootstrap installs it) failed: " << command;
    return ReadBytes(dir.File(outName));
}

void ExpectPixels(const DecodedImage& image, const std::vector<Rgba>& expected, int tolerance, bool colourOfClear)
{
    std::vector<uint8_t> bgra = image.bits;
    if (IsBlockFormat(image.surfaceFormat)) {
        bgra.assign(static_cast<size_t>(image.width) * image.height * 4, 0);
        DecodeDxtToBgra(image.surfaceFormat, image.bits.data(), image.width, image.height, bgra.data());
    }
    ASSERT_EQ(bgra.size(), expected.size() * 4);
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "pixel " << i % image.width << ", " << i / image.width);
        EXPECT_NEAR(bgra[i * 4 + 3], expected[i].a, tolerance);
        if (expected[i].a == 0 && !colourOfClear)
            continue; // an encoder may store any colour under full transparency
        EXPECT_NEAR(bgra[i * 4 + 2], expected[i].r, tolerance);
        EXPECT_NEAR(bgra[i * 4 + 1], expected[i].g, tolerance);
        EXPECT_NEAR(bgra[i * 4 + 0], expected[i].b, tolerance);
    }
}

TEST(ImageDecode, FilesWrittenByImageMagick)
{
    struct Case {
        const char* name;
        const char* options;
        bool alpha;
        D3DXIMAGE_FILEFORMAT type;
        D3DFORMAT fileFormat;
        D3DFORMAT surfaceFormat;
        int tolerance;
    };
    const Case cases[] = {
        {"t.png", "", true, D3DXIFF_PNG, D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8, 0},
        {"t.tga", "-orient TopLeft", true, D3DXIFF_TGA, D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8, 0},
        {"t.bmp", "-alpha off -type TrueColor", false, D3DXIFF_BMP, D3DFMT_R8G8B8, D3DFMT_X8R8G8B8, 0},
        {"dxt1.dds", "-alpha off -define dds:compression=dxt1 -define dds:cluster-fit=true -define dds:mipmaps=0",
         false, D3DXIFF_DDS, D3DFMT_DXT1, D3DFMT_DXT1, 8},
        {"dxt5.dds", "-define dds:compression=dxt5 -define dds:cluster-fit=true -define dds:mipmaps=0", true,
         D3DXIFF_DDS, D3DFMT_DXT5, D3DFMT_DXT5, 8},
        {"plain.dds", "-define dds:compression=none -define dds:mipmaps=0", true, D3DXIFF_DDS, D3DFMT_A8R8G8B8,
         D3DFMT_A8R8G8B8, 0},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<Rgba> px = TestImage(c.alpha);
        const std::string file = Convert(dir, px, 8, 4, c.options, c.name);
        DecodedImage image;
        std::string error;
        ASSERT_TRUE(DecodeImageFile(file.data(), file.size(), image, error)) << error;
        EXPECT_EQ(image.width, 8u);
        EXPECT_EQ(image.height, 4u);
        EXPECT_EQ(image.fileType, c.type);
        EXPECT_EQ(image.fileFormat, c.fileFormat);
        EXPECT_EQ(image.surfaceFormat, c.surfaceFormat);
        ExpectPixels(image, px, c.tolerance, c.tolerance == 0);
    }
}

TEST(ImageDecode, OtherFormatsOfTheImageLibraryAreRefused)
{
    // Only BMP, TGA, PNG, JPEG and DDS are texture files; the image library's other decoders
    // stay out of reach of game data.
    TempDir dir;
    const std::vector<Rgba> px = TestImage(true);
    for (const char* name : {"t.gif", "t.psd", "t.ppm", "t.pgm", "t.hdr"}) {
        SCOPED_TRACE(name);
        const std::string file = Convert(dir, px, 8, 4, "", name);
        ASSERT_FALSE(file.empty());
        DecodedImage image;
        std::string error;
        EXPECT_FALSE(DecodeImageFile(file.data(), file.size(), image, error));
        EXPECT_NE(error.find("not a BMP, TGA, PNG, JPEG or DDS file"), std::string::npos) << error;
    }
}

TEST(ImageDecode, JpegDecodesCloseToItsSource)
{
    TempDir dir;
    std::vector<Rgba> px(16 * 16, Rgba{200, 100, 50, 255});
    const std::string file = Convert(dir, px, 16, 16, "-quality 95", "t.jpg");
    DecodedImage image;
    std::string error;
    ASSERT_TRUE(DecodeImageFile(file.data(), file.size(), image, error)) << error;
    EXPECT_EQ(image.fileType, D3DXIFF_JPG);
    EXPECT_EQ(image.fileFormat, D3DFMT_R8G8B8);
    EXPECT_EQ(image.surfaceFormat, D3DFMT_X8R8G8B8);
    ExpectPixels(image, px, 6, true);
}

TEST(ImageDecode, TargaStoredBottomRowFirst)
{
    // 2 x 2, 24-bit, origin at the bottom left: the file's first row is the image's last.
    const uint8_t file[18 + 12] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 24, 0,
                                   // bottom row: blue, white
                                   255, 0, 0, 255, 255, 255,
                                   // top row: red, green
                                   0, 0, 255, 0, 255, 0};
    DecodedImage image;
    std::string error;
    ASSERT_TRUE(DecodeImageFile(file, sizeof file, image, error)) << error;
    EXPECT_EQ(image.fileType, D3DXIFF_TGA);
    ExpectPixels(image, {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 255, 255, 255}}, 0, true);
}

// A DDS header for a width x height image of the given four-character code.
std::string DdsHeader(uint32_t width, uint32_t height, const char* fourCC)
{
    std::string h(128, '\0');
    auto put = [&](size_t at, uint32_t v) { std::memcpy(&h[at], &v, 4); };
    std::memcpy(&h[0], "DDS ", 4);
    put(4, 124);
    put(8, 0x1007);
    put(12, height);
    put(16, width);
    put(76, 32);
    put(80, 0x4);
    std::memcpy(&h[84], fourCC, 4);
    put(108, 0x1000);
    return h;
}

TEST(ImageDecode, Dxt3FixtureGivesExplicitAlphaAndInterpolatedColours)
{
    // One block: alpha of texel t is t (4 bits, so t * 17); colours red and blue with the
    // index of texel t being t mod 4.
    const uint8_t block[16] = {0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE,
                               0x00, 0xF8, 0x1F, 0x00, 0xE4, 0xE4, 0xE4, 0xE4};
    std::string file = DdsHeader(4, 4, "DXT3") + std::string(reinterpret_cast<const char*>(block), 16);
    DecodedImage image;
    std::string error;
    ASSERT_TRUE(DecodeImageFile(file.data(), file.size(), image, error)) << error;
    EXPECT_EQ(image.fileFormat, D3DFMT_DXT3);
    const Rgba palette[4] = {{255, 0, 0, 0}, {0, 0, 255, 0}, {170, 0, 85, 0}, {85, 0, 170, 0}};
    std::vector<Rgba> expected;
    for (int t = 0; t < 16; ++t) {
        Rgba c = palette[t % 4];
        c.a = static_cast<uint8_t>(t * 17);
        expected.push_back(c);
    }
    ExpectPixels(image, expected, 0, true);
}

TEST(ImageDecode, Dxt1BlockWithTransparentIndex)
{
    // c0 <= c1 selects three colours and transparent black for index 3.
    const uint8_t block[8] = {0x1F, 0x00, 0x00, 0xF8, 0xE4, 0xE4, 0xE4, 0xE4};
    uint8_t bgra[64];
    DecodeDxtToBgra(D3DFMT_DXT1, block, 4, 4, bgra);
    EXPECT_EQ(bgra[0], 255);     // blue
    EXPECT_EQ(bgra[4 + 2], 255); // red
    EXPECT_EQ(bgra[8 + 0], 127); // half blue, half red
    EXPECT_EQ(bgra[8 + 2], 127);
    EXPECT_EQ(bgra[12 + 3], 0);
    EXPECT_EQ(bgra[12 + 0] + bgra[12 + 1] + bgra[12 + 2], 0);
}

TEST(ImageDecode, RefusesMalformedFiles)
{
    auto withField = [](std::string h, size_t at, uint32_t v) {
        std::memcpy(&h[at], &v, 4);
        return h;
    };
    const std::string good = DdsHeader(8, 8, "DXT1") + std::string(32, '\0');
    struct Case {
        const char* name;
        std::string bytes;
        const char* reason;
    };
    const Case cases[] = {
        {"empty", "", "empty image file"},
        {"short header", good.substr(0, 100), "header truncated"},
        {"header size", withField(good, 4, 100), "wrong size field"},
        {"pixel format size", withField(good, 76, 0), "wrong size field"},
        {"zero width", withField(good, 16, 0), "out of range"},
        {"huge height", withField(good, 12, 0x40000000), "out of range"},
        {"truncated blocks", good.substr(0, good.size() - 1), "data truncated"},
        {"unknown code", DdsHeader(4, 4, "ATI2") + std::string(16, '\0'), "'ATI2' is not supported"},
        {"cube map", withField(good, 112, 0x200), "cube maps"},
        {"rgb bit count", withField(withField(good, 80, 0x40), 88, 12), "bit count 12"},
        {"rgb truncated", withField(withField(good, 80, 0x40), 88, 32), "data truncated"},
        {"not an image", "hello, world", "unrecognised or corrupt image"},
        {"png signature only", std::string("\x89PNG\r\n\x1a\n", 8), "unrecognised or corrupt image"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DecodedImage image;
        std::string error;
        EXPECT_FALSE(DecodeImageFile(c.bytes.data(), c.bytes.size(), image, error));
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        EXPECT_TRUE(image.bits.empty());
    }
}

// A header may claim far more pixels than its file holds; the image library would decode them
// all from nothing (reading missing bytes as 0), taking seconds and hundreds of megabytes.
// Such files are refused before decoding, as are sizes past the pixel limit.
TEST(ImageDecode, RefusesSizesTheFileCannotHold)
{
    TempDir dir;
    const std::vector<Rgba> px = TestImage(true);
    const std::string png = Convert(dir, px, 8, 4, "", "t.png");
    const std::string bmp = Convert(dir, px, 8, 4, "-alpha off -type TrueColor", "t.bmp");
    const std::string jpg = Convert(dir, std::vector<Rgba>(16 * 16, Rgba{9, 9, 9, 255}), 16, 16, "", "t.jpg");
    auto tga = [](uint8_t type, uint32_t width, uint32_t height, size_t dataBytes) {
        std::string t = {0, 0, char(type), 0, 0, 0, 0, 0, 0, 0, 0, 0, char(width & 0xFF), char(width >> 8),
                         char(height & 0xFF), char(height >> 8), 24, 0x20};
        for (size_t i = 0; i < dataBytes; ++i)
            t += (i % 4 == 0) ? char(0xFF) : char(0x40); // runs of 128 pixels
        return t;
    };
    auto patched = [](std::string file, size_t at, std::initializer_list<uint8_t> bytes) {
        for (uint8_t b : bytes)
            file[at++] = char(b);
        return file;
    };
    const size_t sof = jpg.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    struct Case {
        const char* name;
        std::string bytes;
        const char* reason;
    };
    const Case cases[] = {
        {"run-length TGA claiming 8192 x 8192 in 243 bytes", tga(10, 8192, 8192, 225), "pixels an image may have"},
        {"run-length TGA claiming 2048 x 2048 in 243 bytes", tga(10, 2048, 2048, 225),
         "more than a TGA file of 243 bytes can hold"},
        {"uncompressed TGA cut short", tga(2, 64, 64, 64 * 63 * 3), "more than a TGA file"},
        {"BMP claiming 1000 x 1000", patched(bmp, 18, {0xE8, 0x03, 0, 0, 0xE8, 0x03, 0, 0}), "more than a BMP file"},
        {"PNG claiming 4000 x 4000", patched(png, 16, {0, 0, 0x0F, 0xA0, 0, 0, 0x0F, 0xA0}), "more than a PNG file"},
        {"PNG chunk claiming 1.5 GB", patched(png, 33, {0x5A, 0x41, 0x4D, 0x61}), "more than the file holds"},
        {"PNG cut inside a chunk header", png.substr(0, 40), "chunk header truncated"},
        {"JPEG claiming 8192 x 8192", patched(jpg, sof + 5, {0x20, 0, 0x20, 0}), "pixels an image may have"},
        {"baseline JPEG claiming 1000 x 1000", patched(jpg, sof + 5, {0x03, 0xE8, 0x03, 0xE8}), "more than a JPEG file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DecodedImage image;
        std::string error;
        EXPECT_FALSE(DecodeImageFile(c.bytes.data(), c.bytes.size(), image, error));
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        EXPECT_TRUE(image.bits.empty());
    }

    // Files that really hold their pixels still decode: the fullest runs there are, a file
    // exactly as long as its pixels, a run-length file and a progressive JPEG written by ImageMagick.
    const std::string solid = Convert(dir, std::vector<Rgba>(256 * 128, Rgba{0, 128, 255, 255}), 256, 128,
                                      "-alpha off -compress RLE", "solid.tga");
    const std::string progressive = Convert(dir, std::vector<Rgba>(64 * 64, Rgba{9, 99, 199, 255}), 64, 64,
                                            "-interlace JPEG", "progressive.jpg");
    for (const std::string& file : {tga(10, 128, 8, 32), tga(2, 4, 4, 48), solid, progressive}) {
        DecodedImage image;
        std::string error;
        EXPECT_TRUE(DecodeImageFile(file.data(), file.size(), image, error)) << error;
    }
}

// A JPEG Huffman table has room for 256 codes; the image library fills the table before it
// counts them, so a table claiming more must be refused before the library sees it, wherever
// it stands (progressive files define tables between their scans, any file may before its
// frame header).
TEST(ImageDecode, JpegHuffmanTablesPastTheirRoomAreRefused)
{
    TempDir dir;
    const std::vector<Rgba> px(16 * 16, Rgba{60, 120, 180, 255});
    for (const char* options : {"", "-interlace JPEG"}) {
        SCOPED_TRACE(options);
        const std::string written = Convert(dir, px, 16, 16, options, "h.jpg");
        size_t last = std::string::npos;
        for (size_t at = written.find("\xFF\xC4"); at != std::string::npos; at = written.find("\xFF\xC4", at + 2))
            last = at;
        ASSERT_NE(last, std::string::npos);
        const size_t length = 2 + (size_t(uint8_t(written[last + 2])) << 8 | uint8_t(written[last + 3]));
        // The same table moved up to follow the start marker: read before the frame header,
        // where even the size query meets it.
        const std::string moved = written.substr(0, 2) + written.substr(last, length) + written.substr(2, last - 2) +
                                  written.substr(last + length);
        struct Case {
            bool movedUp;
            uint8_t count15, count16; // codes of lengths 15 and 16 in that table
            bool decodes;
        } cases[] = {{false, 0, 0, true}, {false, 1, 255, false}, {false, 255, 255, false},
                     {true, 0, 0, true},  {true, 255, 255, false}};
        for (const Case& c : cases) {
            std::string file = c.movedUp ? moved : written;
            const size_t table = c.movedUp ? 2 : last;
            file[table + 5 + 14] = char(c.count15);
            file[table + 5 + 15] = char(c.count16);
            DecodedImage image;
            std::string error;
            const bool decoded = DecodeImageFile(file.data(), file.size(), image, error);
            if (c.decodes) {
                EXPECT_TRUE(decoded) << error;
            } else {
                EXPECT_FALSE(decoded);
                EXPECT_NE(error.find("Huffman table"), std::string::npos) << error;
            }
        }
    }
}

// A scan whose Huffman table was never defined would be decoded through a table the image
// library never filled. Taking out each table definition of a progressive file in turn: the
// file either still decodes (the table is defined again, or not used) or is refused, and the
// first definition of a table is always missed.
TEST(ImageDecode, JpegScansThroughUndefinedTablesAreRefused)
{
    TempDir dir;
    const std::string jpg = Convert(dir, std::vector<Rgba>(16 * 16, Rgba{60, 120, 180, 255}), 16, 16,
                                    "-interlace JPEG", "p.jpg");
    int refused = 0;
    for (size_t at = jpg.find("\xFF\xC4"); at != std::string::npos; at = jpg.find("\xFF\xC4", at + 2)) {
        const size_t length = 2 + (size_t(uint8_t(jpg[at + 2])) << 8 | uint8_t(jpg[at + 3]));
        const std::string file = jpg.substr(0, at) + jpg.substr(at + length);
        DecodedImage image;
        std::string error;
        if (!DecodeImageFile(file.data(), file.size(), image, error)) {
            EXPECT_NE(error.find("never defined"), std::string::npos) << error;
            ++refused;
        }
    }
    EXPECT_GT(refused, 0);
}

TEST(ImageDecode, UncompressedDdsWithOtherMasks)
{
    // 2 x 1, 16-bit R5G6B5: white and pure green.
    std::string h = DdsHeader(2, 1, "\0\0\0\0");
    auto put = [&](size_t at, uint32_t v) { std::memcpy(&h[at], &v, 4); };
    put(80, 0x40);
    put(88, 16);
    put(92, 0xF800);
    put(96, 0x07E0);
    put(100, 0x001F);
    const uint8_t data[4] = {0xFF, 0xFF, 0xE0, 0x07};
    std::string file = h + std::string(reinterpret_cast<const char*>(data), 4);
    DecodedImage image;
    std::string error;
    ASSERT_TRUE(DecodeImageFile(file.data(), file.size(), image, error)) << error;
    EXPECT_EQ(image.fileFormat, D3DFMT_R5G6B5);
    EXPECT_EQ(image.surfaceFormat, D3DFMT_X8R8G8B8);
    ExpectPixels(image, {{255, 255, 255, 255}, {0, 255, 0, 255}}, 0, true);

    // 3 x 1, 32-bit luminance over the whole word: full, none and half scale.
    std::string l = DdsHeader(3, 1, "\0\0\0\0");
    std::memcpy(&l[80], "\0\0\2\0", 4); // luminance
    const uint32_t bits = 32, mask = 0xFFFFFFFFu, words[3] = {0xFFFFFFFFu, 0, 0x80000000u};
    std::memcpy(&l[88], &bits, 4);
    std::memcpy(&l[92], &mask, 4);
    file = l + std::string(reinterpret_cast<const char*>(words), sizeof words);
    ASSERT_TRUE(DecodeImageFile(file.data(), file.size(), image, error)) << error;
    EXPECT_EQ(image.fileFormat, D3DFMT_L8);
    ExpectPixels(image, {{255, 255, 255, 255}, {0, 0, 0, 255}, {128, 128, 128, 255}}, 0, true);
}

} // namespace

// Files on which the image library reads memory it never wrote or runs into undefined
// behaviour are refused before it sees them, with the reason: a frame naming a quantisation
// table that no segment before the scan defines (the library would dequantise with
// uninitialised memory, different pixels on every run) and a PNG whose first IDAT chunk is
// empty (the library copies zero bytes to a buffer it has not made yet).
TEST(ImageDecode, FilesTheLibraryWouldMisreadAreRefused)
{
    TempDir dir;
    const std::vector<Rgba> px(8 * 8, Rgba{48, 128, 192, 255});
    const std::string jpg = Convert(dir, px, 8, 8, "-quality 50", "q.jpg");
    const std::string png = Convert(dir, px, 8, 8, "", "q.png");
    // Every DQT segment taken out.
    std::string noTables = jpg;
    for (size_t at = noTables.find("\xFF\xDB"); at != std::string::npos; at = noTables.find("\xFF\xDB")) {
        const size_t length = 2 + (size_t(uint8_t(noTables[at + 2])) << 8 | uint8_t(noTables[at + 3]));
        noTables.erase(at, length);
    }
    // The frame's first component names table 3, which the file never defines.
    std::string otherTable = jpg;
    const size_t frame = otherTable.find("\xFF\xC0");
    ASSERT_NE(frame, std::string::npos);
    otherTable[frame + 10 + 2] = 3;
    // The DQT segments moved after the first scan's header: named, but defined too late.
    std::string lateTables = noTables;
    {
        std::string tables;
        for (size_t at = jpg.find("\xFF\xDB"); at != std::string::npos; at = jpg.find("\xFF\xDB", at + 2))
            tables += jpg.substr(at, 2 + (size_t(uint8_t(jpg[at + 2])) << 8 | uint8_t(jpg[at + 3])));
        const size_t scan = lateTables.find("\xFF\xDA");
        const size_t length = 2 + (size_t(uint8_t(lateTables[scan + 2])) << 8 | uint8_t(lateTables[scan + 3]));
        lateTables.insert(scan + length, tables);
    }
    // An empty IDAT chunk (its CRC included) before the first one with data.
    std::string emptyIdat = png;
    const size_t idat = emptyIdat.find("IDAT");
    ASSERT_NE(idat, std::string::npos);
    emptyIdat.insert(idat - 4, std::string("\0\0\0\0IDAT\x35\xAF\x06\x1E", 12));

    // A progressive 8 x 8 grey file whose one AC scan has no coded data, with and without a
    // quantisation table (the library counts its bit buffer below zero and shifts by 32).
    const std::string progressiveFrame("\xFF\xC2\x00\x0B\x08\x00\x08\x00\x08\x01\x01\x11\x00", 13);
    const std::string acTable = std::string("\xFF\xC4\x00\x14\x10\x01", 6) + std::string(15, '\0') + "\x07";
    const std::string acScan("\xFF\xDA\x00\x08\x01\x01\x00\x01\x3F\x00", 10);
    const std::string quant = std::string("\xFF\xDB\x00\x43\x00", 5) + std::string(64, '\x01');
    const std::string emptyScan = "\xFF\xD8" + progressiveFrame + acTable + acScan + "\xFF\xD9";
    const std::string emptyScanWithTable = "\xFF\xD8" + quant + progressiveFrame + acTable + acScan + "\xFF\xD9";
    const std::string oneByteScan = "\xFF\xD8" + quant + progressiveFrame + acTable + acScan + std::string(1, '\0') + "\xFF\xD9";
    // Fill bytes (0xFF) before the end marker belong to the marker, not to the scan's data.
    const std::string fillOnlyScan = "\xFF\xD8" + quant + progressiveFrame + acTable + acScan + std::string(9, '\xFF') + "\xD9";

    struct Case {
        const char* name;
        std::string bytes;
        const char* reason; // nullptr: decodes
    };
    const Case cases[] = {
        {"progressive scan without data or tables", emptyScan, "quantisation table"},
        {"progressive scan without data", emptyScanWithTable, "no coded data"},
        {"progressive scan of one byte", oneByteScan, nullptr},
        {"progressive scan of fill bytes only", fillOnlyScan, "no coded data"},
        {"jpeg as written", jpg, nullptr},
        {"png as written", png, nullptr},
        {"jpeg without quantisation tables", noTables, "quantisation table"},
        {"jpeg naming an undefined table", otherTable, "quantisation table"},
        {"jpeg defining its tables after the scan", lateTables, "quantisation table"},
        {"png with an empty first IDAT", emptyIdat, "empty IDAT"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DecodedImage image;
        std::string error;
        const bool decoded = DecodeImageFile(c.bytes.data(), c.bytes.size(), image, error);
        if (!c.reason) {
            EXPECT_TRUE(decoded) << error;
            continue;
        }
        EXPECT_FALSE(decoded);
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
}
