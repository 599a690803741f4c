#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "FontFileBuilder.h"
#include "GameFolderFixture.h"
#include "System/Common/NameHash.h"
#include "System/Common/StreamIO.h"
#include "System/Graphics/FontSet.h"

namespace {

// Glyphs of the test font: 'A', 'B', hiragana A (Shift-JIS 82 A0), half-width katakana A (B1).
const std::vector<FontCharRecord> kGlyphs = {
    {'A', 1, 2, 10, 14, -2, 4, 12, 0},
    {'B', 12, 2, 9, 14, 1, 4, 11, 0},
    {0x3042, 22, 2, 18, 18, 1, 2, 21, 1},
    {0xFF71, 41, 2, 8, 14, 0, 4, 10, 1},
    {'A', 50, 2, 3, 3, 0, 0, 99, 0}, // a second 'A': the first one stays
};

std::string GoodFont()
{
    return FontFileBuilder()
        .Magic()
        .Info(-20)
        .Common(26, 2)
        .Pages({"test_0.png", "test_1.png"})
        .Chars(kGlyphs)
        .Block(5, std::string(10, '\x01')) // kerning pairs are not used
        .Bytes();
}

bool ReadFont(BitmapFont& font, const std::string& bytes)
{
    void* copy = std::malloc(bytes.size() + 1);
    std::memcpy(copy, bytes.data(), bytes.size());
    MemoryStreamIO stream;
    stream.Init(copy, uint32_t(bytes.size()), true, true);
    return font.Read(stream, "assets.v1/2d/fonts/", "test.fnt");
}

TEST(FontKeyTest, CharacterKeysAreTheirShiftJisBytes)
{
    struct Case {
        uint32_t codePoint;
        bool valid;
        uint16_t key;
    } cases[] = {
        {'A', true, 0x41},       {0x7F, true, 0x7F},       {0x3042, true, 0xA082}, // hiragana A: 82 A0
        {0x3000, true, 0x4081},  {0x4E00, true, 0xEA88},   // ideographic space 81 40, kanji one 88 EA
        {0xFF71, true, 0xB1},    {0xFF9F, true, 0xDF},     // half-width kana: one byte
        {0x00E9, false, 0},      {0x110000, false, 0},     {0xD800, false, 0},
    };
    for (const Case& c : cases) {
        bool valid = !c.valid;
        const uint16_t key = FontCharKeyFromCodePoint(c.codePoint, valid);
        EXPECT_EQ(valid, c.valid) << std::hex << c.codePoint;
        if (c.valid) {
            EXPECT_EQ(key, c.key) << std::hex << c.codePoint;
        }
    }
}

TEST(FontTest, ReadsMetricsAndGlyphs)
{
    BitmapFont font;
    ASSERT_TRUE(ReadFont(font, GoodFont()));
    EXPECT_EQ(font.GetSize(), 20);
    EXPECT_EQ(font.GetLineHeight(), 26);
    EXPECT_EQ(font.GetPageCount(), 2);
    EXPECT_EQ(font.GetWidestAdvance(), 99); // every record counts, kept or not
    EXPECT_EQ(font.GetGlyphCount(), 4u);

    const FontGlyph* a = font.FindGlyph('A');
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->x, 1);
    EXPECT_EQ(a->width, 10);
    EXPECT_EQ(a->xOffset, -2);
    EXPECT_EQ(a->advance, 12);
    const FontGlyph* hiragana = font.FindGlyph(0xA082);
    ASSERT_NE(hiragana, nullptr);
    EXPECT_EQ(hiragana->page, 1);
    EXPECT_NE(font.FindGlyph(0xB1), nullptr);
    EXPECT_EQ(font.FindGlyph('C'), nullptr);
}

TEST(FontTest, AZeroSizedBlockEndsTheFile)
{
    BitmapFont font;
    ASSERT_TRUE(ReadFont(font, FontFileBuilder()
                                   .Magic()
                                   .Common(20, 1)
                                   .Pages({"p.png"})
                                   .Block(1, "")
                                   .Chars({{'A', 0, 0, 1, 1, 0, 0, 5, 0}})
                                   .Bytes()));
    EXPECT_EQ(font.GetGlyphCount(), 0u);
}

TEST(FontTest, DamagedFilesAreRefused)
{
    const std::string common = FontFileBuilder().Common(20, 1).Bytes();
    const std::string pages = FontFileBuilder().Pages({"p.png"}).Bytes();
    FontCharRecord wrongChannel{'A', 0, 0, 1, 1, 0, 0, 5, 0, 4};
    FontCharRecord wrongPage{'A', 0, 0, 1, 1, 0, 0, 5, 1};
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty file", ""},
        {"wrong magic", FontFileBuilder().Magic("BMF\x02").Common(20, 1).Bytes()},
        {"text format", "info face=\"x\" size=20\n"},
        {"block longer than the file", FontFileBuilder().Magic().BlockSized(4, 400, FontFileBuilder::Record(kGlyphs[0])).Bytes()},
        {"negative block size", FontFileBuilder().Magic().BlockSized(4, -20, FontFileBuilder::Record(kGlyphs[0])).Bytes()},
        {"short info block", FontFileBuilder().Magic().Block(1, "\x14").Bytes()},
        {"short common block", FontFileBuilder().Magic().Block(2, std::string(9, '\0')).Bytes()},
        {"two common blocks", FontFileBuilder().Magic().Raw(common).Raw(common).Bytes()},
        {"pages before common", FontFileBuilder().Magic().Raw(pages).Raw(common).Bytes()},
        {"more page names than pages", FontFileBuilder().Magic().Raw(common).Pages({"a.png", "b.png"}).Bytes()},
        {"fewer page names than pages", FontFileBuilder().Magic().Common(20, 3).Pages({"a.png", "b.png"}).Bytes()},
        {"unterminated page name", FontFileBuilder().Magic().Raw(common).Block(3, "p.png").Bytes()},
        {"two page blocks", FontFileBuilder().Magic().Raw(common).Raw(pages).Raw(pages).Bytes()},
        {"character record cut short",
         FontFileBuilder().Magic().Raw(common).Raw(pages).Block(4, FontFileBuilder::Record(kGlyphs[0]).substr(0, 19)).Bytes()},
        {"channel other than 15", FontFileBuilder().Magic().Raw(common).Raw(pages).Chars({kGlyphs[0], wrongChannel}).Bytes()},
        {"page beyond the page count", FontFileBuilder().Magic().Raw(common).Raw(pages).Chars({wrongPage}).Bytes()},
        {"characters without a page count", FontFileBuilder().Magic().Chars({kGlyphs[0]}).Bytes()},
    };
    for (const Case& c : cases) {
        BitmapFont font;
        EXPECT_FALSE(ReadFont(font, c.bytes)) << c.what;
        EXPECT_EQ(font.GetGlyphCount(), 0u) << c.what;
        EXPECT_EQ(font.GetSize(), 0) << c.what;
        EXPECT_EQ(font.GetPageCount(), 0) << c.what;
        EXPECT_EQ(font.GetWidestAdvance(), 0) << c.what;
    }
}

TEST(FontTest, MeasuresShiftJisText)
{
    BitmapFont font;
    ASSERT_TRUE(ReadFont(font, GoodFont()));
    struct Case {
        const char* text;
        float spacing;
        float width;
    } cases[] = {
        {"A B", 1.0f, 12 + 10 + 11 + 3 * 1.0f},        // a space is half the font size
        {"\x82\xa0\x81\x40", 0.0f, 21 + 20},          // hiragana A, then a full-width space: the size
        {"\xb1" "A", 2.0f, 10 + 12 + 2 * 2.0f},        // half-width kana is one byte
        {"C\n", 1.5f, 2 * 1.5f},                       // unknown characters and newlines add only the spacing
        {"A\x82", 0.0f, 12},                           // a lead byte at the end stops the text
        {"", 5.0f, 0.0f},
    };
    for (const Case& c : cases)
        EXPECT_FLOAT_EQ(font.MeasureText(c.text, c.spacing), c.width) << c.text;
}

class FontSetTest : public GameFolderTest {};

TEST_F(FontSetTest, FontsThatFailToLoadAreNotAdded)
{
    Write("assets.v1/2d/fonts/good.fnt", GoodFont());
    Write("assets.v1/2d/fonts/bad.fnt", "BMF\x02");
    Mount();
    FontSet set;
    testing::internal::CaptureStdout();
    EXPECT_EQ(set.CreateFont(HashName("assets.v1/2d/fonts/missing"), "assets.v1/2d/fonts/"), nullptr);
    const std::string log = testing::internal::GetCapturedStdout();
    // Named as the data writes it, not by its id alone.
    EXPECT_NE(log.find("\"assets.v1/2d/fonts/missing\""), std::string::npos) << log;
    EXPECT_EQ(set.CreateFont(HashName("assets.v1/2d/fonts/bad"), "assets.v1/2d/fonts/"), nullptr);
    BitmapFont* good = set.CreateFont(HashName("assets.v1/2d/fonts/good"), "assets.v1/2d/fonts/");
    ASSERT_NE(good, nullptr);
    EXPECT_EQ(set.GetCount(), 1u);
    EXPECT_EQ(set.GetFont(0), good);
    EXPECT_EQ(good->GetGlyphCount(), 4u);
    set.Clear();
    EXPECT_EQ(set.GetCount(), 0u);
}

} // namespace

namespace {

// Every character of the game's Shift-JIS texts has a glyph in both of the game's fonts.
TEST(GameFontTest, CoverEveryCharacterOfTheGameTexts)
{
    const std::string game = QM_GAME_DIR;
    for (const char* name : {"nachin_20", "nachin_30"}) {
        std::ifstream file(game + "/assets.v1/2d/fonts/" + name + ".fnt", std::ios::binary);
        std::stringstream bytes;
        bytes << file.rdbuf();
        BitmapFont font;
        ASSERT_TRUE(ReadFont(font, bytes.str())) << name;
        size_t checked = 0;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(game + "/assets.v1/scripts")) {
            if (entry.path().extension() != ".lua")
                continue;
            std::ifstream text(entry.path(), std::ios::binary);
            std::stringstream content;
            content << text.rdbuf();
            const std::string s = content.str();
            for (size_t i = 0; i < s.size(); ++i) {
                const uint8_t b = uint8_t(s[i]);
                if (b < 0x80)
                    continue; // ASCII is covered by construction; the scripts' own text is Japanese
                uint16_t key = b;
                if (IsFontLeadByte(b) && i + 1 < s.size())
                    key = uint16_t(b | uint8_t(s[++i]) << 8);
                EXPECT_NE(font.FindGlyph(key), nullptr)
                    << name << ": " << entry.path().filename() << " character " << std::hex << key;
                ++checked;
            }
        }
        EXPECT_GT(checked, 0u) << "the game folder holds no Japanese text";
    }
}

} // namespace
