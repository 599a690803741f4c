#include "System/Graphics/FontSet.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "Platform/Win32/Windows.h"
#include "System/Archive/ArchiveSystem.h"
#include "System/Common/Log.h"
#include "System/Common/NameHash.h"
#include "System/Common/StreamIO.h"
#include "System/Common/StringUtil.h"
#include "System/Graphics/D3D9Texture.h"
#include "System/Graphics/RenderSystem.h"
#include "System/Graphics/SpriteBatch.h"

FontSet* g_pFontSet = nullptr;

const char* const kFontFolder = "assets.v1/2d/fonts/";
const char* const kFontNames[2] = {"assets.v1/2d/fonts/nachin_20", "assets.v1/2d/fonts/nachin_30"};

namespace {

constexpr uint8_t kMagic[4] = {'B', 'M', 'F', 3};
constexpr uint32_t kCharRecordSize = 20;
constexpr uint8_t kAllChannels = 15;
constexpr uint16_t kKeyTab = 9;
constexpr uint16_t kKeyNewline = 10;
constexpr uint16_t kKeySpace = 32;
constexpr uint16_t kKeyFullWidthSpace = 0x4081; // bytes 0x81 0x40

int16_t S16(const uint8_t* p) { return static_cast<int16_t>(uint16_t(p[0] | p[1] << 8)); }
uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

std::string HexId(NameId id)
{
    std::ostringstream s;
    s << "0x" << std::hex << id;
    return s.str();
}

// Walks Shift-JIS text one character at a time; a lead byte at the very end stops the walk.
class CharReader {
public:
    explicit CharReader(const char* text) : m_pText(reinterpret_cast<const uint8_t*>(text ? text : "")) {}
    bool Next(uint16_t& key)
    {
        const uint8_t b = *m_pText;
        if (b == 0)
            return false;
        if (IsFontLeadByte(b)) {
            const uint8_t trail = m_pText[1];
            if (trail == 0)
                return false;
            key = uint16_t(b | trail << 8);
            m_pText += 2;
            return true;
        }
        key = b;
        ++m_pText;
        return true;
    }

private:
    const uint8_t* m_pText;
};

// A page image as a texture; a page whose image is missing becomes a texture that failed to
// load (it has no size, so its glyphs draw untextured). Without a render system, no texture.
ITexture* LoadPageTexture(const std::string& path, const std::string& fileName)
{
    if (!g_pRenderSystem)
        return nullptr;
    ITexture* texture = g_pRenderSystem->CreateTexture();
    StreamIO* stream = g_pArchiveSystem ? g_pArchiveSystem->Open(HashName(path)) : nullptr;
    if (!stream) {
        LOG_ERROR << "Font " << fileName << ": the page image " << path << " is missing.";
        return texture;
    }
    texture->LoadFromMemory(stream, 0, 0, 0, eTextureFormat_A8R8G8B8);
    return texture;
}

} // namespace

bool IsFontLeadByte(uint8_t b) { return uint8_t((b ^ 0x20) + 0x5F) < 0x3C; }

uint16_t FontCharKeyFromCodePoint(uint32_t codePoint, bool& valid)
{
    valid = true;
    if (codePoint < 128)
        return uint16_t(codePoint);
    valid = false;
    if (codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return 0;
    const WCHAR wide = static_cast<WCHAR>(codePoint);
    char bytes[4] = {};
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(CP_SHIFT_JIS, 0, &wide, 1, bytes, sizeof bytes, nullptr, &usedDefault);
    if (usedDefault || n < 1 || n > 2)
        return 0;
    const uint8_t lead = uint8_t(bytes[0]);
    if (n == 1) {
        valid = true;
        return lead;
    }
    if (!IsFontLeadByte(lead))
        return 0;
    valid = true;
    return uint16_t(lead | uint8_t(bytes[1]) << 8);
}

BitmapFont::~BitmapFont() { Release(); }

void BitmapFont::Release()
{
    for (ITexture* page : m_Pages)
        delete page;
    m_Pages.clear();
    m_PageNames.clear();
    m_GlyphMap.clear();
    m_Glyphs.clear();
    m_Glyphs.shrink_to_fit();
    m_nSize = m_nLineHeight = m_nPageCount = m_nWidestAdvance = 0;
    m_bHasCommon = m_bHasPages = false;
}

bool BitmapFont::Load(NameId id, const std::string& folder)
{
    Release();
    StreamIO* stream = g_pArchiveSystem ? g_pArchiveSystem->Open(id) : nullptr;
    if (!stream) {
        LOG_ERROR << "Font " << DescribeNameId(id) << " is not in the archives.";
        return false;
    }
    const std::string fileName = stream->GetName().empty() ? HexId(id) : stream->GetName();
    const bool ok = Read(*stream, folder, fileName);
    delete stream;
    return ok;
}

bool BitmapFont::Read(StreamIO& stream, const std::string& folder, const std::string& fileName)
{
    Release();
    auto fail = [&](const std::string& reason) {
        LOG_ERROR << "Font " << fileName << " is damaged: " << reason << ".";
        Release();
        return false;
    };
    uint8_t magic[4];
    if (stream.Read(magic, 4) != 4 || std::memcmp(magic, kMagic, 4) != 0)
        return fail("it is not a BMFont binary file of version 3");

    while (!stream.IsEof()) {
        uint8_t header[5];
        if (stream.Read(header, 5) != 5)
            break;
        const uint8_t type = header[0];
        const int32_t size = static_cast<int32_t>(U32(header + 1));
        if (size == 0)
            break;
        const uint32_t left = stream.GetSize() - stream.Tell();
        if (size < 0 || uint32_t(size) > left)
            return fail("block " + std::to_string(type) + " claims " + std::to_string(size) + " bytes, " +
                        std::to_string(left) + " are left");
        if (type < 1 || type > 4) {
            stream.Skip(size);
            continue;
        }
        std::vector<uint8_t> block(static_cast<size_t>(size));
        if (stream.Read(block.data(), uint32_t(size)) != uint32_t(size))
            return fail("block " + std::to_string(type) + " is cut short");
        switch (type) {
        case 1:
            if (block.size() < 2)
                return fail("the info block is too short");
            m_nSize = uint8_t(std::abs(int(S16(block.data()))));
            break;
        case 2:
            if (block.size() < 10)
                return fail("the common block is too short");
            if (m_bHasCommon)
                return fail("it has two common blocks");
            m_bHasCommon = true;
            m_nLineHeight = uint8_t(U16(block.data()));
            m_nPageCount = uint8_t(U16(block.data() + 8));
            m_Pages.assign(m_nPageCount, nullptr);
            break;
        case 3:
            if (!ReadPages(block, folder, fileName))
                return false;
            break;
        case 4:
            if (!ReadChars(block, fileName))
                return false;
            break;
        default:
            break;
        }
    }
    return true;
}

bool BitmapFont::ReadPages(const std::vector<uint8_t>& block, const std::string& folder, const std::string& fileName)
{
    auto fail = [&](const std::string& reason) {
        LOG_ERROR << "Font " << fileName << " is damaged: " << reason << ".";
        Release();
        return false;
    };
    if (!m_bHasCommon)
        return fail("its page names come before the page count");
    if (m_bHasPages)
        return fail("it has two page blocks");
    m_bHasPages = true;
    std::vector<std::string> names;
    size_t start = 0;
    while (start < block.size()) {
        const void* end = std::memchr(block.data() + start, 0, block.size() - start);
        if (!end)
            return fail("a page name is not terminated");
        const size_t length = static_cast<const uint8_t*>(end) - (block.data() + start);
        names.emplace_back(reinterpret_cast<const char*>(block.data() + start), length);
        start += length + 1;
    }
    if (names.size() != m_nPageCount)
        return fail(std::to_string(names.size()) + " page names for " + std::to_string(m_nPageCount) + " pages");
    for (size_t i = 0; i < names.size(); ++i) {
        std::string extension, base;
        SplitExtension(folder + names[i], extension, base);
        m_PageNames.push_back(base);
        m_Pages[i] = LoadPageTexture(base, fileName);
    }
    return true;
}

bool BitmapFont::ReadChars(const std::vector<uint8_t>& block, const std::string& fileName)
{
    auto fail = [&](const std::string& reason) {
        LOG_ERROR << "Font " << fileName << " is damaged: " << reason << ".";
        Release();
        return false;
    };
    if (block.size() % kCharRecordSize != 0)
        return fail("the character block's size " + std::to_string(block.size()) + " is not a multiple of 20");
    const size_t count = block.size() / kCharRecordSize;
    m_Glyphs.reserve(m_Glyphs.size() + count);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* r = block.data() + i * kCharRecordSize;
        const uint32_t id = U32(r);
        const uint8_t page = r[18];
        const uint8_t channel = r[19];
        if (channel != kAllChannels)
            return fail("character " + std::to_string(id) + " uses channel " + std::to_string(channel) +
                        " (only 15 is supported)");
        if (page >= m_nPageCount)
            return fail("character " + std::to_string(id) + " is on page " + std::to_string(page) + " of " +
                        std::to_string(m_nPageCount));
        FontGlyph glyph;
        glyph.x = U16(r + 4);
        glyph.y = U16(r + 6);
        glyph.width = U16(r + 8);
        glyph.height = U16(r + 10);
        glyph.xOffset = static_cast<int8_t>(r[12]);
        glyph.yOffset = static_cast<int8_t>(r[14]);
        glyph.advance = r[16];
        glyph.page = page;
        if (glyph.advance > m_nWidestAdvance)
            m_nWidestAdvance = glyph.advance;
        bool valid = false;
        const uint16_t key = FontCharKeyFromCodePoint(id, valid);
        if (!valid)
            continue; // Shift-JIS has no such character: no text can ask for it
        if (m_GlyphMap.emplace(key, uint32_t(m_Glyphs.size())).second)
            m_Glyphs.push_back(glyph);
    }
    return true;
}

const FontGlyph* BitmapFont::FindGlyph(uint16_t key) const
{
    auto it = m_GlyphMap.find(key);
    return it == m_GlyphMap.end() ? nullptr : &m_Glyphs[it->second];
}

void BitmapFont::DrawText(const char* text, float x, float y, uint32_t color, float spacing, float lineSpacing,
                          float scale, float angle) const
{
    if (!g_pSpriteBatch)
        return;
    const float cell = float(m_nWidestAdvance) * scale;
    const float gap = spacing * scale;
    const float c = std::cos(-angle), s = std::sin(-angle);
    float penX = x, penY = y;
    CharReader reader(text);
    uint16_t key = 0;
    while (reader.Next(key)) {
        switch (key) {
        case kKeyTab:
            penX += (cell + gap) * 2.0f;
            continue;
        case kKeyNewline:
            penY += float(m_nLineHeight) * scale + lineSpacing * scale;
            penX = x;
            continue;
        case kKeySpace:
            penX += cell * 0.5f + gap;
            continue;
        case kKeyFullWidthSpace:
            penX += cell + gap;
            continue;
        default:
            break;
        }
        const FontGlyph* glyph = FindGlyph(key);
        if (!glyph) {
            penX += cell + gap;
            continue;
        }
        float gx = penX + float(glyph->xOffset) * scale;
        float gy = penY + float(glyph->yOffset) * scale;
        if (angle != 0.0f) {
            const float dx = gx - x, dy = gy - y;
            gx = x + dx * c - dy * s;
            gy = y + dx * s + dy * c;
        }
        g_pSpriteBatch->DrawRect(GetPage(glyph->page), gx, gy, float(glyph->width), float(glyph->height),
                                 float(glyph->width / 2), float(glyph->height / 2), float(glyph->x), float(glyph->y),
                                 float(glyph->width), float(glyph->height), scale, scale, -angle, color, m_fDepth);
        penX += float(glyph->advance) * scale + gap;
    }
}

float BitmapFont::MeasureText(const char* text, float spacing) const
{
    float width = 0.0f;
    CharReader reader(text);
    uint16_t key = 0;
    while (reader.Next(key)) {
        int advance = 0;
        if (key == kKeySpace) {
            advance = m_nSize / 2;
        } else if (key == kKeyFullWidthSpace) {
            advance = m_nSize;
        } else if (const FontGlyph* glyph = FindGlyph(key)) {
            advance = glyph->advance;
        }
        width += float(advance) + spacing;
    }
    return width;
}

FontSet::~FontSet() { Clear(); }

BitmapFont* FontSet::CreateFont(NameId id, const std::string& folder)
{
    auto* font = new BitmapFont;
    if (!font->Load(id, folder)) {
        delete font;
        return nullptr;
    }
    m_Fonts.push_back(font);
    return font;
}

void FontSet::Clear()
{
    for (BitmapFont* font : m_Fonts)
        delete font;
    m_Fonts.clear();
}
