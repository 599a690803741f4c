#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "GameFolderFixture.h"
#include "System/Common/NameHash.h"
#include "System/Common/StreamIO.h"
#include "System/Graphics/TextureTable.h"

namespace {

std::string U16(uint32_t v) { return std::string{char(v & 0xFF), char((v >> 8) & 0xFF)}; }
std::string U32(uint32_t v) { return U16(v & 0xFFFF) + U16(v >> 16); }
std::string B16(uint32_t v) { return std::string{char((v >> 8) & 0xFF), char(v & 0xFF)}; }
std::string B32(uint32_t v) { return B16(v >> 16) + B16(v & 0xFFFF); }

std::string DdsHeader(uint32_t w, uint32_t h) { return "DDS " + U32(124) + U32(0x100F) + U32(h) + U32(w) + std::string(108, '\0'); }
std::string BmpHeader(int32_t w, int32_t h)
{
    return "BM" + U32(54) + U32(0) + U32(54) + U32(40) + U32(uint32_t(w)) + U32(uint32_t(h)) + U16(1) + U16(32);
}
std::string TgaHeader(uint32_t w, uint32_t h) { return std::string(12, '\0') + U16(w) + U16(h) + "\x20\x28"; }
std::string PngHeader(uint32_t w, uint32_t h) { return std::string("\x89PNG\r\n\x1a\n", 8) + U32(0x0D000000) + "IHDR" + B32(w) + B32(h) + "\x08\x06"; }

StreamIO* Stream(const std::string& bytes)
{
    void* copy = std::malloc(bytes.size() + 1);
    std::memcpy(copy, bytes.data(), bytes.size());
    auto* stream = new MemoryStreamIO;
    stream->Init(copy, uint32_t(bytes.size()), true, true);
    return stream;
}

TEST(ImageSizeTest, ReadsEachFormatsOwnHeader)
{
    const std::string jpeg = std::string("\xFF\xD8", 2) + "\xFF\xE0" + B16(6) + "JFIF" + "\xFF\xC0" + B16(11) + "\x08" +
                             B16(90) + B16(160) + "\x01\x01\x11\x00";
    struct Case {
        const char* what;
        std::string bytes;
        uint32_t width, height;
    } cases[] = {
        {"DDS", DdsHeader(512, 256), 512, 256},
        {"BMP", BmpHeader(640, 480), 640, 480},
        {"top-down BMP", BmpHeader(640, -480), 640, 480},
        {"BMP core header", "BM" + U32(26) + U32(0) + U32(26) + U32(12) + U16(33) + U16(17) + U16(1) + U16(24), 33, 17},
        {"PNG", PngHeader(300, 200), 300, 200},
        {"JPEG", jpeg, 160, 90},
        {"TGA", TgaHeader(640, 480), 640, 480},
        {"TGA bytes at offset 12", std::string(12, '\0') + "\x80\x02\xE0\x01", 640, 480},
        {"cut DDS", "DDS " + U32(124), 0, 0},
        {"cut PNG", std::string("\x89PNG\r\n\x1a\n", 8) + "abc", 0, 0},
        {"JPEG without a frame", std::string("\xFF\xD8\xFF\xE0", 4) + B16(60) + "JF", 0, 0},
        {"short", "abc", 0, 0},
        {"empty", "", 0, 0},
    };
    for (const Case& c : cases) {
        TextureEntry entry;
        entry.width = entry.height = 7;
        ProbeImageSize(Stream(c.bytes), &entry);
        EXPECT_EQ(entry.width, c.width) << c.what;
        EXPECT_EQ(entry.height, c.height) << c.what;
    }
    TextureEntry entry;
    entry.width = 7;
    ProbeImageSize(nullptr, &entry);
    EXPECT_EQ(entry.width, 0u);
}

class TextureTableTest : public GameFolderTest {
protected:
    void WriteTable(const std::string& file, const std::string& entries)
    {
        Write("assets.v1/scripts/textures/" + file, "texture_table = {" + entries + "}\n");
    }
    TextureTable table;
};

TEST_F(TextureTableTest, ReadsEntriesWithSizesAndLoadTypes)
{
    Write("assets.v1/2d/sprites/sheet.dds", DdsHeader(512, 256));
    Write("assets.v1/2d/sprites/hills.tga", TgaHeader(64, 32));
    Write("assets.v1/2d/sprites/other.png", PngHeader(8, 4));
    WriteTable("texture_a.lua",
               "sheet = { texture_name = \"assets.v1/2d/sprites/sheet\", load_type = 1 },"
               "hills = { texture_name = \"assets.v1/2d/sprites/hills\", load_type = 2.9 },"
               "gone = { texture_name = \"assets.v1/2d/sprites/missing\", load_type = 0 },"
               "noname = { load_type = 1 }, notatable = 5,");
    WriteTable("texture_b.lua", "sheet = { texture_name = \"assets.v1/2d/sprites/other\", load_type = 0 },"
                                "other = { texture_name = \"assets.v1/2d/sprites/other\" },");
    Mount();
    table.LoadFolder("assets.v1/scripts/textures/");
    ASSERT_EQ(table.GetCount(), 3u);

    const TextureEntry* sheet = table.Find(HashName("sheet"));
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->fileId, HashName("assets.v1/2d/sprites/sheet")); // the first file keeps the key
    EXPECT_EQ(sheet->width, 512u);
    EXPECT_EQ(sheet->height, 256u);
    EXPECT_EQ(sheet->loadType, 1);
    EXPECT_EQ(sheet->useCount, 1u);
    EXPECT_EQ(sheet->texture, nullptr);

    const TextureEntry* hills = table.Find(HashName("hills"));
    ASSERT_NE(hills, nullptr);
    EXPECT_EQ(hills->loadType, 2);
    EXPECT_EQ(hills->useCount, 0u);
    EXPECT_EQ(hills->width, 64u);

    EXPECT_EQ(table.Find(HashName("gone")), nullptr);
    EXPECT_EQ(table.Find(HashName("noname")), nullptr);
    ASSERT_NE(table.Find(HashName("other")), nullptr);
    EXPECT_EQ(table.Find(HashName("other"))->width, 8u);
}

TEST_F(TextureTableTest, UseCountsStopAtZeroAndLeaveResidentEntriesAlone)
{
    TextureEntry resident;
    resident.loadType = kTextureLoadType_Resident;
    resident.useCount = 1;
    TextureEntry onDemand;
    onDemand.loadType = 2;
    struct Step {
        bool add;
        uint32_t resident, onDemand;
    } steps[] = {{true, 1, 1}, {true, 1, 2}, {false, 1, 1}, {false, 1, 0}, {false, 1, 0}, {true, 1, 1}};
    for (const Step& s : steps) {
        for (TextureEntry* e : {&resident, &onDemand})
            s.add ? TextureTable::AddUse(e) : TextureTable::RemoveUse(e);
        EXPECT_EQ(resident.useCount, s.resident);
        EXPECT_EQ(onDemand.useCount, s.onDemand);
    }
    TextureTable::AddUse(nullptr);
    TextureTable::RemoveUse(nullptr);
}

// Data can give its tables metatables, which run while the table is read. One that raises an
// error costs the script it is in, with an error line naming the script and Lua's message;
// the other scripts still load.
TEST_F(TextureTableTest, ALuaErrorWhileReadingSkipsItsScriptWithAnError)
{
    Write("assets.v1/2d/sprites/sheet.dds", DdsHeader(16, 8));
    struct Case {
        const char* file;
        const char* text;
        const char* message;
    } cases[] = {
        {"texture_a", // the entry fails after its image is found
         "texture_table = { bad = setmetatable({ texture_name = 'assets.v1/2d/sprites/sheet' },"
         " { __index = function(t, k) error('no ' .. k) end }) }",
         "no load_type"},
        {"texture_b", // the globals fail when the table is looked up
         "setmetatable(_G, { __index = function(t, k) error('no global ' .. k) end })", "no global texture_table"},
    };
    for (const Case& c : cases)
        Write(std::string("assets.v1/scripts/textures/") + c.file + ".lua", c.text);
    WriteTable("texture_c.lua", "good = { texture_name = 'assets.v1/2d/sprites/sheet', load_type = 1 },");
    Mount();
    testing::internal::CaptureStdout();
    table.LoadFolder("assets.v1/scripts/textures/");
    const std::string log = testing::internal::GetCapturedStdout();
    for (const Case& c : cases) {
        const size_t at = log.find(std::string("assets.v1/scripts/textures/") + c.file + ":");
        ASSERT_NE(at, std::string::npos) << c.file << "\n" << log;
        const std::string line = log.substr(log.rfind('[', at), log.find('\n', at) - log.rfind('[', at));
        EXPECT_NE(line.find(":ERROR:"), std::string::npos) << line;
        EXPECT_NE(line.find(c.message), std::string::npos) << line;
    }
    EXPECT_EQ(table.Find(HashName("bad")), nullptr);
    ASSERT_EQ(table.GetCount(), 1u);
    EXPECT_EQ(table.Find(HashName("good"))->width, 16u);
}

} // namespace
