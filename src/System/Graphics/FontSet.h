// Bitmap fonts (BMFont binary files, version 3) drawing and measuring Shift-JIS text through the
// sprite batch, and the set of fonts the game loads at start-up.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "System/Common/NameHash.h"

class ITexture;
class StreamIO;

struct FontGlyph {
    uint16_t x = 0, y = 0, width = 0, height = 0; // texel rectangle on its page
    int8_t xOffset = 0, yOffset = 0;
    uint8_t advance = 0;
    uint8_t page = 0;
};

// The key of a character: one-byte characters (ASCII, half-width kana) are their byte; a
// two-byte Shift-JIS character is its two bytes read little-endian (lead byte low).
uint16_t FontCharKeyFromCodePoint(uint32_t codePoint, bool& valid);
// True for a Shift-JIS lead byte (0x81-0x9F, 0xE0-0xFC).
bool IsFontLeadByte(uint8_t b);

class BitmapFont {
public:
    BitmapFont() = default;
    ~BitmapFont();
    BitmapFont(const BitmapFont&) = delete;
    BitmapFont& operator=(const BitmapFont&) = delete;

    // Reads the font file of the archive entry `id`; its page images are looked up below
    // `folder`. False, with an ERROR naming the file, for a missing or damaged file.
    bool Load(NameId id, const std::string& folder);
    // The same from an open stream; `fileName` names it in messages.
    bool Read(StreamIO& stream, const std::string& folder, const std::string& fileName);
    // Deletes the pages, empties the glyphs and zeroes the metrics.
    void Release();

    // Queues the glyph sprites of Shift-JIS text; colour is 0xAARRGGBB, angle in radians.
    void DrawText(const char* text, float x, float y, uint32_t color, float spacing, float lineSpacing, float scale,
                  float angle) const;
    // The unscaled width of the text: each character's advance plus the spacing.
    float MeasureText(const char* text, float spacing) const;

    const FontGlyph* FindGlyph(uint16_t key) const;
    uint8_t GetSize() const { return m_nSize; }
    uint8_t GetLineHeight() const { return m_nLineHeight; }
    uint8_t GetPageCount() const { return m_nPageCount; }
    uint8_t GetWidestAdvance() const { return m_nWidestAdvance; }
    float GetDepth() const { return m_fDepth; }
    void SetDepth(float depth) { m_fDepth = depth; }
    ITexture* GetPage(uint32_t index) const { return index < m_Pages.size() ? m_Pages[index] : nullptr; }
    // The archive names of the page images, in page order, as the file gives them: a checker
    // without a render system decodes them itself.
    const std::vector<std::string>& GetPageNames() const { return m_PageNames; }
    size_t GetGlyphCount() const { return m_Glyphs.size(); }

private:
    bool ReadPages(const std::vector<uint8_t>& block, const std::string& folder, const std::string& fileName);
    bool ReadChars(const std::vector<uint8_t>& block, const std::string& fileName);

    uint8_t m_nSize = 0;
    uint8_t m_nLineHeight = 0;
    uint8_t m_nPageCount = 0;
    uint8_t m_nWidestAdvance = 0;
    float m_fDepth = 0.0f;
    std::vector<FontGlyph> m_Glyphs;
    std::vector<ITexture*> m_Pages;
    std::vector<std::string> m_PageNames;
    bool m_bHasCommon = false;
    bool m_bHasPages = false;
    std::unordered_map<uint16_t, uint32_t> m_GlyphMap; // key -> index into m_Glyphs
};

class FontSet {
public:
    FontSet() = default;
    ~FontSet();
    FontSet(const FontSet&) = delete;
    FontSet& operator=(const FontSet&) = delete;

    // Loads the font and appends it; null (nothing appended) when it fails to load.
    BitmapFont* CreateFont(NameId id, const std::string& folder);
    // Deletes every font.
    void Clear();
    BitmapFont* GetFont(size_t index) const { return index < m_Fonts.size() ? m_Fonts[index] : nullptr; }
    size_t GetCount() const { return m_Fonts.size(); }

private:
    std::vector<BitmapFont*> m_Fonts;
};

extern FontSet* g_pFontSet;

// The game's fonts, in the order text renderers index them, and their folder.
extern const char* const kFontFolder;
extern const char* const kFontNames[2];
// Depth of every glyph of the game's fonts.
constexpr float kFontDepth = 0.11f;
