#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "SpriteDeviceFixture.h"
#include "System/Graphics/D3D9Texture.h"
#include "System/Graphics/FontSet.h"
#include "System/Graphics/SpriteBatch.h"

namespace {

std::string ReadGameFile(const std::string& rel)
{
    std::ifstream file(std::string(QM_GAME_DIR) + "/" + rel, std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

// The game's fonts as the build renders them, in a test game folder.
class FontDrawTest : public SpriteDeviceTest {
protected:
    void WriteGameFiles() override
    {
        for (const char* file : {"nachin_20.fnt", "nachin_20_0.png", "nachin_30.fnt", "nachin_30_0.png", "nachin_30_1.png"})
            Write(std::string("assets.v1/2d/fonts/") + file, ReadGameFile(std::string("assets.v1/2d/fonts/") + file));
    }
    void SetUp() override
    {
        SpriteDeviceTest::SetUp();
        g_pFontSet = new FontSet;
        for (const char* name : kFontNames)
            if (BitmapFont* font = g_pFontSet->CreateFont(HashName(name), kFontFolder))
                font->SetDepth(kFontDepth);
        ASSERT_EQ(g_pFontSet->GetCount(), 2u);
    }
    void TearDown() override
    {
        delete g_pFontSet;
        g_pFontSet = nullptr;
        SpriteDeviceTest::TearDown();
    }
    struct Box {
        int x0 = 960, y0 = 540, x1 = -1, y1 = -1, lit = 0;
    };
    Box Lit()
    {
        ReadBackBuffer();
        Box box;
        for (int y = 0; y < 540; ++y)
            for (int x = 0; x < 960; ++x)
                if ((At(x, y) & 0xFF) > 0x80) {
                    box.x0 = std::min(box.x0, x);
                    box.y0 = std::min(box.y0, y);
                    box.x1 = std::max(box.x1, x);
                    box.y1 = std::max(box.y1, y);
                    ++box.lit;
                }
        return box;
    }
};

TEST_F(FontDrawTest, TheGameFontsHaveTheirCharacters)
{
    for (size_t i = 0; i < 2; ++i) {
        const BitmapFont* font = g_pFontSet->GetFont(i);
        EXPECT_EQ(font->GetSize(), i == 0 ? 20 : 30);
        EXPECT_GT(font->GetLineHeight(), font->GetSize() - 1);
        EXPECT_FLOAT_EQ(font->GetDepth(), kFontDepth);
        for (uint16_t key : {uint16_t('A'), uint16_t('z'), uint16_t('0'), uint16_t(0xA082), uint16_t(0x4183),
                             uint16_t(0xB1), uint16_t(0x4981)}) // A, z, 0, hiragana A, katakana A, half-width A, '!'
            EXPECT_NE(font->FindGlyph(key), nullptr) << i << " " << std::hex << key;
        for (uint32_t page = 0; page < font->GetPageCount(); ++page)
            EXPECT_NE(font->GetPage(page), nullptr);
    }
}

TEST_F(FontDrawTest, DrawsWhereItMeasures)
{
    const BitmapFont* font = g_pFontSet->GetFont(0);
    const FontGlyph* h = font->FindGlyph('H');
    ASSERT_NE(h, nullptr);
    struct Case {
        const char* text;
        float scale;
        float spacing;
    } cases[] = {
        {"H", 1.0f, 0.0f},
        {"HH", 1.0f, 0.0f},
        {"HH", 2.0f, 2.0f},
        {"\x82\xa0\x82\xa2", 1.0f, 1.0f}, // hiragana A and I
    };
    for (const Case& c : cases) {
        Frame(0xFF000000, [&] { font->DrawText(c.text, 100.0f, 200.0f, 0xFFFFFFFF, c.spacing, 0.0f, c.scale, 0.0f); });
        const Box box = Lit();
        ASSERT_GT(box.lit, 0) << c.text;
        // Ink starts at the first glyph's offset and ends within the measured width.
        const FontGlyph* first = font->FindGlyph(uint16_t(uint8_t(c.text[0]) | (uint8_t(c.text[0]) >= 0x81 ? uint8_t(c.text[1]) << 8 : 0)));
        ASSERT_NE(first, nullptr);
        EXPECT_NEAR(box.x0, 100.0f + float(first->xOffset) * c.scale, 2.0f * c.scale) << c.text;
        EXPECT_NEAR(box.y0, 200.0f + float(first->yOffset) * c.scale, 2.0f * c.scale) << c.text;
        EXPECT_LE(box.x1, 100.0f + font->MeasureText(c.text, c.spacing) * c.scale + 1.0f) << c.text;
        EXPECT_GT(box.x1, 100.0f + (font->MeasureText(c.text, c.spacing) - float(h->advance)) * c.scale) << c.text;
    }
    // Two characters drawn with spacing 2 and scale 2: the second starts advance * 2 + 4 after the first.
    Frame(0xFF000000, [&] { font->DrawText("H", 100.0f, 200.0f, 0xFFFFFFFF, 0.0f, 0.0f, 2.0f, 0.0f); });
    const Box one = Lit();
    Frame(0xFF000000, [&] { font->DrawText(" H", 100.0f, 200.0f, 0xFFFFFFFF, 2.0f, 0.0f, 2.0f, 0.0f); });
    const Box shifted = Lit();
    EXPECT_NEAR(float(shifted.x0 - one.x0), float(font->GetWidestAdvance()) * 2.0f * 0.5f + 4.0f, 1.0f);
    Frame(0xFF000000, [&] { font->DrawText("HH", 100.0f, 200.0f, 0xFFFFFFFF, 2.0f, 0.0f, 2.0f, 0.0f); });
    const Box two = Lit();
    EXPECT_NEAR(float(two.x1 - one.x1), float(h->advance) * 2.0f + 4.0f, 1.0f);
}

TEST_F(FontDrawTest, NewlinesTabsColourAndTurns)
{
    const BitmapFont* font = g_pFontSet->GetFont(1);
    Frame(0xFF000000, [&] { font->DrawText("H", 300.0f, 100.0f, 0xFFFFFFFF, 0.0f, 0.0f, 1.0f, 0.0f); });
    const Box line1 = Lit();
    Frame(0xFF000000, [&] { font->DrawText("\nH", 300.0f, 100.0f, 0xFFFFFFFF, 0.0f, 5.0f, 1.0f, 0.0f); });
    const Box line2 = Lit();
    EXPECT_EQ(line2.y0 - line1.y0, font->GetLineHeight() + 5);
    EXPECT_EQ(line2.x0, line1.x0);
    Frame(0xFF000000, [&] { font->DrawText("\tH", 300.0f, 100.0f, 0xFFFFFFFF, 1.0f, 0.0f, 1.0f, 0.0f); });
    const Box tabbed = Lit();
    EXPECT_EQ(tabbed.x0 - line1.x0, (font->GetWidestAdvance() + 1) * 2);

    // Colour: a blue "H" lights only the blue channel.
    Frame(0xFF000000, [&] { font->DrawText("H", 300.0f, 100.0f, 0xFF0000FF, 0.0f, 0.0f, 1.0f, 0.0f); });
    ReadBackBuffer();
    int blue = 0, other = 0;
    for (int y = line1.y0; y <= line1.y1; ++y)
        for (int x = line1.x0; x <= line1.x1; ++x) {
            blue += (At(x, y) & 0xFF) > 0x80;
            other += (At(x, y) & 0xFFFF00) != 0;
        }
    EXPECT_GT(blue, 10);
    EXPECT_EQ(other, 0);

    // A quarter turn: the text runs down the screen from its origin.
    Frame(0xFF000000, [&] { font->DrawText("HHHH", 300.0f, 100.0f, 0xFFFFFFFF, 0.0f, 0.0f, 1.0f, -1.5707964f); });
    const Box turned = Lit();
    EXPECT_GT(turned.y1 - turned.y0, turned.x1 - turned.x0);
    EXPECT_GE(turned.y0, 100 - 2);
    EXPECT_LE(turned.x1, 300 + 2);
}

TEST_F(FontDrawTest, AMissingPageDrawsBlocksInsteadOfCrashing)
{
    BitmapFont font;
    // The game font's file with its page image gone from the folder.
    ASSERT_TRUE(font.Load(HashName("assets.v1/2d/fonts/nachin_20"), "assets.v1/2d/nowhere/"));
    ASSERT_NE(font.GetPage(0), nullptr);
    EXPECT_EQ(font.GetPage(0)->GetWidth(), 0u);
    Frame(0xFF000000, [&] { font.DrawText("H", 100.0f, 100.0f, 0xFFFFFFFF, 0.0f, 0.0f, 1.0f, 0.0f); });
    const Box box = Lit();
    const FontGlyph* h = font.FindGlyph('H');
    EXPECT_EQ(box.lit, int(h->width) * int(h->height)); // the glyph's whole cell, untextured
}

} // namespace
