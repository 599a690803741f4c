// qm_fontgen: renders the game's bitmap fonts (BMFont binary, version 3, PNG pages) with FreeType.
//
//   qm_fontgen <font file> <out folder> <name>:<pixel size>[,<name>:<pixel size>...] [<text folder>...]
//
// Every font gets printable ASCII, half-width kana, hiragana, katakana, the usual Japanese
// punctuation and full-width forms, plus every other character found in the text files
// (.lua, .txt) below the text folders, so the game's own texts always have their glyphs.
// Character ids are Unicode code points; characters that Shift-JIS cannot carry are left out,
// since the game keys its glyphs by their Shift-JIS bytes.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <iconv.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "ImageWriter.h"
#include "JapaneseFace.h"

namespace {

constexpr uint32_t kPageSize = 512;
constexpr int kPadding = 1;

struct Glyph {
    uint32_t id = 0;
    int x = 0, y = 0, width = 0, height = 0;
    int xoffset = 0, yoffset = 0, xadvance = 0;
    int page = 0;
    std::vector<uint8_t> coverage;
};

void AddRange(std::set<uint32_t>& set, uint32_t first, uint32_t last)
{
    for (uint32_t c = first; c <= last; ++c)
        set.insert(c);
}

// Decodes UTF-8, adding every character of U+0080 and up; malformed bytes are skipped.
void CollectUtf8(const std::string& text, std::set<uint32_t>& set)
{
    for (size_t i = 0; i < text.size();) {
        const uint8_t b = uint8_t(text[i]);
        int extra = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
        if (extra < 0 || i + size_t(extra) >= text.size()) {
            ++i;
            continue;
        }
        uint32_t c = extra == 0 ? b : b & (0x3F >> extra);
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            const uint8_t t = uint8_t(text[i + size_t(k)]);
            ok &= (t & 0xC0) == 0x80;
            c = (c << 6) | (t & 0x3F);
        }
        if (ok && c >= 0x80)
            set.insert(c);
        i += ok ? size_t(extra) + 1 : 1;
    }
}

void CollectFolder(const std::string& folder, std::set<uint32_t>& set)
{
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec))
        return;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, ec)) {
        const std::string ext = entry.path().extension().string();
        if (!entry.is_regular_file() || (ext != ".lua" && ext != ".txt"))
            continue;
        std::ifstream file(entry.path(), std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        CollectUtf8(text.str(), set);
    }
}

bool InShiftJis(iconv_t cd, uint32_t c)
{
    if (c < 0x80)
        return true;
    char in[4];
    std::memcpy(in, &c, 4);
    char out[8];
    char* inp = in;
    char* outp = out;
    size_t inLeft = 4, outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    return iconv(cd, &inp, &inLeft, &outp, &outLeft) != size_t(-1);
}

void Put8(std::string& out, uint32_t v) { out += char(v & 0xFF); }
void Put16(std::string& out, uint32_t v)
{
    Put8(out, v);
    Put8(out, v >> 8);
}
void Put32(std::string& out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
void PutBlock(std::string& out, int type, const std::string& body)
{
    Put8(out, uint32_t(type));
    Put32(out, uint32_t(body.size()));
    out += body;
}

bool MakeFont(FT_Face face, const std::set<uint32_t>& chars, const std::string& outFolder, const std::string& name,
              int pixelSize)
{
    if (FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixelSize)) != 0) {
        std::fprintf(stderr, "qm_fontgen: the font has no size %d\n", pixelSize);
        return false;
    }
    const int ascender = int(face->size->metrics.ascender >> 6);
    const int lineHeight = int(face->size->metrics.height >> 6);

    std::vector<Glyph> glyphs;
    for (uint32_t c : chars) {
        if (FT_Get_Char_Index(face, c) == 0 && c != ' ')
            continue;
        if (FT_Load_Char(face, c, FT_LOAD_RENDER) != 0)
            continue;
        const FT_GlyphSlot slot = face->glyph;
        Glyph g;
        g.id = c;
        g.width = int(slot->bitmap.width);
        g.height = int(slot->bitmap.rows);
        g.xoffset = slot->bitmap_left;
        g.yoffset = ascender - slot->bitmap_top;
        g.xadvance = int(slot->advance.x >> 6);
        g.coverage.resize(size_t(g.width) * size_t(g.height));
        for (int row = 0; row < g.height; ++row)
            std::memcpy(g.coverage.data() + size_t(row) * size_t(g.width),
                        slot->bitmap.buffer + ptrdiff_t(row) * slot->bitmap.pitch, size_t(g.width));
        glyphs.push_back(std::move(g));
    }

    // Shelf packing in id order onto as many pages as needed.
    std::vector<Canvas> pages;
    int penX = kPadding, penY = kPadding, shelf = 0;
    pages.emplace_back(kPageSize, kPageSize, 0x00FFFFFF);
    for (Glyph& g : glyphs) {
        if (penX + g.width + kPadding > int(kPageSize)) {
            penX = kPadding;
            penY += shelf + kPadding;
            shelf = 0;
        }
        if (penY + g.height + kPadding > int(kPageSize)) {
            pages.emplace_back(kPageSize, kPageSize, 0x00FFFFFF);
            penX = kPadding;
            penY = kPadding;
            shelf = 0;
        }
        g.x = penX;
        g.y = penY;
        g.page = int(pages.size()) - 1;
        for (int row = 0; row < g.height; ++row)
            for (int col = 0; col < g.width; ++col) {
                const uint32_t a = g.coverage[size_t(row) * size_t(g.width) + size_t(col)];
                pages.back().At(uint32_t(g.x + col), uint32_t(g.y + row)) = (a << 24) | 0x00FFFFFF;
            }
        penX += g.width + kPadding;
        shelf = std::max(shelf, g.height);
    }

    std::string file = "BMF";
    file += char(3);

    std::string info;
    Put16(info, uint32_t(-pixelSize) & 0xFFFF); // negative: the size matches the character height
    Put8(info, 0x03);                           // smooth, unicode
    Put8(info, 0);                              // charset (unused with unicode)
    Put16(info, 100);                           // stretchH
    Put8(info, 1);                              // supersampling level
    for (int i = 0; i < 4; ++i)
        Put8(info, 0); // padding
    Put8(info, uint32_t(kPadding));
    Put8(info, uint32_t(kPadding));
    Put8(info, 0); // outline
    info += face->family_name ? face->family_name : "font";
    info += '\0';
    PutBlock(file, 1, info);

    std::string common;
    Put16(common, uint32_t(lineHeight));
    Put16(common, uint32_t(ascender));
    Put16(common, kPageSize);
    Put16(common, kPageSize);
    Put16(common, uint32_t(pages.size()));
    Put8(common, 0);                 // not packed
    for (int i = 0; i < 4; ++i)
        Put8(common, 0);             // each channel holds the glyph
    PutBlock(file, 2, common);

    std::string pageNames;
    for (size_t i = 0; i < pages.size(); ++i) {
        const std::string pageName = name + "_" + std::to_string(i) + ".png";
        if (!WritePng(outFolder + "/" + pageName, pages[i])) {
            std::fprintf(stderr, "qm_fontgen: cannot write %s/%s\n", outFolder.c_str(), pageName.c_str());
            return false;
        }
        pageNames += pageName;
        pageNames += '\0';
    }
    PutBlock(file, 3, pageNames);

    std::string records;
    for (const Glyph& g : glyphs) {
        Put32(records, g.id);
        Put16(records, uint32_t(g.x));
        Put16(records, uint32_t(g.y));
        Put16(records, uint32_t(g.width));
        Put16(records, uint32_t(g.height));
        Put16(records, uint32_t(g.xoffset) & 0xFFFF);
        Put16(records, uint32_t(g.yoffset) & 0xFFFF);
        Put16(records, uint32_t(g.xadvance) & 0xFFFF);
        Put8(records, uint32_t(g.page));
        Put8(records, 15); // all four channels
    }
    PutBlock(file, 4, records);

    const std::string path = outFolder + "/" + name + ".fnt";
    if (!WriteTextFile(path, file)) {
        std::fprintf(stderr, "qm_fontgen: cannot write %s\n", path.c_str());
        return false;
    }
    std::printf("qm_fontgen: %s: %zu glyphs on %zu page(s)\n", path.c_str(), glyphs.size(), pages.size());
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: qm_fontgen <font file> <out folder> <name>:<size>[,...] [<text folder>...]\n");
        return 2;
    }
    const std::string fontPath = argv[1];
    const std::string outFolder = argv[2];

    std::set<uint32_t> chars;
    AddRange(chars, 0x20, 0x7E);     // ASCII
    AddRange(chars, 0xFF61, 0xFF9F); // half-width kana
    AddRange(chars, 0x3000, 0x3015); // ideographic space and punctuation, brackets
    AddRange(chars, 0x3041, 0x3093); // hiragana
    AddRange(chars, 0x30A1, 0x30F6); // katakana
    AddRange(chars, 0x30FB, 0x30FC); // middle dot, long vowel mark
    AddRange(chars, 0xFF01, 0xFF5E); // full-width forms
    for (int i = 4; i < argc; ++i)
        CollectFolder(argv[i], chars);

    iconv_t cd = iconv_open("CP932", "UTF-32LE");
    if (cd == iconv_t(-1)) {
        std::fprintf(stderr, "qm_fontgen: no Shift-JIS converter\n");
        return 1;
    }
    for (auto it = chars.begin(); it != chars.end();)
        it = InShiftJis(cd, *it) ? std::next(it) : chars.erase(it);
    iconv_close(cd);

    if (!MakeFolders(outFolder)) {
        std::fprintf(stderr, "qm_fontgen: cannot make %s\n", outFolder.c_str());
        return 1;
    }
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0)
        return 1;
    FT_Face face = OpenJapaneseFace(library, fontPath);
    if (!face) {
        std::fprintf(stderr, "qm_fontgen: cannot open %s\n", fontPath.c_str());
        FT_Done_FreeType(library);
        return 1;
    }
    bool ok = true;
    std::stringstream list(argv[3]);
    std::string item;
    while (ok && std::getline(list, item, ',')) {
        const size_t colon = item.find(':');
        const int size = colon == std::string::npos ? 0 : std::atoi(item.c_str() + colon + 1);
        if (size <= 0 || size > 200) {
            std::fprintf(stderr, "qm_fontgen: bad font argument '%s' (name:size expected)\n", item.c_str());
            ok = false;
            break;
        }
        ok = MakeFont(face, chars, outFolder, item.substr(0, colon), size);
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    return ok ? 0 : 1;
}
