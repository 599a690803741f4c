// qm_imagegen: draws the placeholder sprite sheets of the demo data and writes the Lua texture
// and atlas tables that describe them.
//
//   qm_imagegen <loose image folder> <pak image folder> <texture script folder> <atlas script folder>
//               <font file>
//
// Sheets marked "pak" go to the second folder, which the build packs into sprite.pak; the
// others are loose files. The font letters the pictures that carry a name (the quest banners,
// the title's emblem). Texture names in the tables are archive entry names below
// "assets.v1/2d/sprites/" either way. Art: flat shapes with dark outlines on a small palette.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "ImageWriter.h"
#include "JapaneseFace.h"

namespace {

// The palette.
constexpr uint32_t kInk = 0xFF1E1E2A;
constexpr uint32_t kWhite = 0xFFF4F1E8;
constexpr uint32_t kRed = 0xFFD9483B;
constexpr uint32_t kOrange = 0xFFF08A24;
constexpr uint32_t kYellow = 0xFFF2C94C;
constexpr uint32_t kGreen = 0xFF5DAA4F;
constexpr uint32_t kTeal = 0xFF3BA3A3;
constexpr uint32_t kBlue = 0xFF3D6FD9;
constexpr uint32_t kPurple = 0xFF8A55C7;
constexpr uint32_t kPink = 0xFFE87FB0;
constexpr uint32_t kGrey = 0xFF8C8C99;
constexpr uint32_t kBrown = 0xFF8A5A3B;
constexpr uint32_t kPanel = 0xE0283048;

const char* const kEntryFolder = "assets.v1/2d/sprites/";

// The face that letters names onto pictures; set once in main.
FT_Face g_LetteringFace = nullptr;

// One UTF-8 character from `text` at `i` (advanced past it); 0 at the end or on a broken byte.
uint32_t NextCodePoint(const std::string& text, size_t& i)
{
    if (i >= text.size())
        return 0;
    const auto byte = [&](size_t k) { return k < text.size() ? uint32_t(uint8_t(text[k])) : 0u; };
    const uint32_t b0 = byte(i);
    const int extra = b0 < 0x80 ? 0 : (b0 >> 5) == 6 ? 1 : (b0 >> 4) == 14 ? 2 : (b0 >> 3) == 30 ? 3 : -1;
    if (extra < 0) {
        ++i;
        return 0;
    }
    uint32_t cp = extra == 0 ? b0 : b0 & (0x3Fu >> extra);
    for (int k = 1; k <= extra; ++k)
        cp = cp << 6 | (byte(i + size_t(k)) & 0x3F);
    i += size_t(extra) + 1;
    return cp;
}

// Paints `colour` over the pixel with the given coverage (0..255), over what is there.
void Blend(Canvas& c, int x, int y, uint32_t colour, uint32_t coverage)
{
    if (x < 0 || y < 0 || x >= int(c.width) || y >= int(c.height) || coverage == 0)
        return;
    uint32_t& dst = c.At(uint32_t(x), uint32_t(y));
    const uint32_t a = coverage * (colour >> 24) / 255;
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t s = colour >> shift & 0xFF, d = dst >> shift & 0xFF;
        out |= ((s * a + d * (255 - a)) / 255) << shift;
    }
    const uint32_t da = dst >> 24;
    out |= (a + da * (255 - a) / 255) << 24;
    dst = out;
}

// Letters `text` centred on the picture at `pixelSize`, filled with `fill` inside a rim of
// `rim` two pixels wide, so that it reads on any plate. Nothing when no face was opened.
void DrawLettering(Canvas& c, const std::string& text, int pixelSize, uint32_t fill, uint32_t rim, int dy = 0)
{
    if (!g_LetteringFace || FT_Set_Pixel_Sizes(g_LetteringFace, 0, FT_UInt(pixelSize)) != 0)
        return;
    struct Glyph {
        int left, top, width, rows, advance;
        std::vector<uint8_t> coverage;
    };
    std::vector<Glyph> glyphs;
    int width = 0;
    for (size_t i = 0; i < text.size();) {
        const uint32_t cp = NextCodePoint(text, i);
        if (cp == 0 || FT_Load_Char(g_LetteringFace, cp, FT_LOAD_RENDER) != 0)
            continue;
        const FT_GlyphSlot slot = g_LetteringFace->glyph;
        Glyph g{slot->bitmap_left, slot->bitmap_top, int(slot->bitmap.width), int(slot->bitmap.rows),
                int(slot->advance.x >> 6), {}};
        g.coverage.resize(size_t(g.width) * size_t(g.rows));
        for (int row = 0; row < g.rows; ++row)
            for (int col = 0; col < g.width; ++col)
                g.coverage[size_t(row) * size_t(g.width) + size_t(col)] =
                    slot->bitmap.buffer[ptrdiff_t(row) * slot->bitmap.pitch + col];
        width += g.advance;
        glyphs.push_back(std::move(g));
    }
    // Centred on the letters' ink, not on the face's line box, so that digits sit mid-cell.
    int inkTop = 1 << 20, inkBottom = -(1 << 20);
    for (const Glyph& g : glyphs)
        if (g.rows > 0) {
            inkTop = std::min(inkTop, -g.top);
            inkBottom = std::max(inkBottom, g.rows - g.top);
        }
    if (inkBottom < inkTop)
        return;
    const int originX = (int(c.width) - width) / 2;
    const int baseline = (int(c.height) - (inkBottom - inkTop)) / 2 - inkTop + dy;
    for (int pass = 0; pass < 2; ++pass) {
        int penX = originX;
        for (const Glyph& g : glyphs) {
            for (int row = 0; row < g.rows; ++row)
                for (int col = 0; col < g.width; ++col) {
                    const uint32_t a = g.coverage[size_t(row) * size_t(g.width) + size_t(col)];
                    const int x = penX + g.left + col, y = baseline - g.top + row;
                    if (pass == 1) {
                        Blend(c, x, y, fill, a);
                        continue;
                    }
                    for (int oy = -2; oy <= 2; ++oy)
                        for (int ox = -2; ox <= 2; ++ox)
                            if (ox * ox + oy * oy <= 5)
                                Blend(c, x + ox, y + oy, rim, a);
                }
            penX += g.advance;
        }
    }
}

enum class Format { Dds, Tga };

struct SpriteDef {
    std::string name;
    int cellWidth, cellHeight;
    std::function<void(Canvas&)> draw;
};

struct SheetDef {
    std::string name;
    Format format;
    bool inPak;
    int loadType;
    uint32_t width, height;
    std::vector<SpriteDef> sprites; // empty: the whole image is one picture, drawn by `whole`
    std::function<void(Canvas&)> whole;
};

// Ground under a polyline: `xy` runs along the top from left to right and its first and last
// points sit on the cell's bottom. Column by column (the outline is not convex): earth from the
// line down, and grass (or rock) and a dark line along its top.
void DrawGround(Canvas& c, const std::vector<float>& xy, uint32_t earth = kBrown, uint32_t top = kGreen)
{
    for (int x = 0; x < int(c.width); ++x) {
        const float cx = float(x) + 0.5f;
        float y = -1.0f;
        for (size_t i = 0; i + 3 < xy.size(); i += 2) {
            const float x0 = xy[i], y0 = xy[i + 1], x1 = xy[i + 2], y1 = xy[i + 3];
            if (x1 > x0 && cx >= x0 && cx <= x1)
                y = y0 + (y1 - y0) * (cx - x0) / (x1 - x0);
        }
        if (y < 0.0f)
            continue;
        const int line = int(std::lround(y));
        c.FillRect(x, line, 1, int(c.height) - line, earth);
        c.FillRect(x, line, 1, 8, top);
        c.FillRect(x, line + 8, 1, 2, kInk);
    }
}

// A stick figure with a round head, a scarf and a body; `phase` moves the legs and arms.
void DrawRunner(Canvas& c, float phase, float lean, uint32_t scarf, bool armOut)
{
    const float cx = float(c.width) * 0.5f + lean;
    const float legA = std::sin(phase) * 9.0f, legB = -legA;
    c.FillPolygon({cx - 5, 40, cx - 1, 40, cx - 1 + legA, 58, cx - 7 + legA, 58}, kInk);
    c.FillPolygon({cx + 1, 40, cx + 5, 40, cx + 7 + legB, 58, cx + 1 + legB, 58}, kInk);
    c.FrameRect(int(cx) - 9, 22, 18, 20, 2, kBlue, kInk);
    c.FillRect(int(cx) - 9, 22, 18, 5, scarf);
    c.FillRect(int(cx) + (lean < 0 ? 4 : -16), 23, 12, 4, scarf);
    if (armOut)
        c.FrameRect(int(cx) + 8, 27, 16, 5, 1, kWhite, kInk);
    c.FrameCircle(cx, 14, 10, 2, kWhite, kInk);
    c.FillCircle(cx + 4, 13, 2, kInk);
}

// The companion: a small round sprite with a ribbon and two wings; `flap` lifts the wings.
void DrawCompanion(Canvas& c, float flap)
{
    const float cx = float(c.width) * 0.5f;
    c.FillPolygon({cx - 8, 30, cx - 26, 18 - flap, cx - 20, 38}, kWhite);
    c.FillPolygon({cx + 8, 30, cx + 26, 18 - flap, cx + 20, 38}, kWhite);
    c.FrameCircle(cx, 32, 12, 2, kYellow, kInk);
    c.FillRect(int(cx) - 10, 20, 20, 4, kPink);
    c.FillCircle(cx - 4, 31, 2, kInk);
    c.FillCircle(cx + 4, 31, 2, kInk);
}

// A visitor: the runner in a violet scarf under a wide pointed hat.
void DrawVisitor(Canvas& c, float phase, float lean)
{
    DrawRunner(c, phase, lean, kPurple, false);
    const float cx = float(c.width) * 0.5f + lean;
    c.FillPolygon({cx - 16, 8, cx + 16, 8, cx + 2, -8}, kPurple);
    c.FillRect(int(cx) - 16, 6, 32, 3, kInk);
}

void DrawBlob(Canvas& c, float squash, uint32_t body)
{
    const float w = float(c.width), h = float(c.height);
    const float r = 22.0f;
    c.FillRect(int(w / 2 - r - 2), int(h - 14 + squash), int(2 * r + 4), 12, kInk);
    c.FrameCircle(w / 2, h - 14 - r * 0.4f + squash, r, 2.5f, body, kInk);
    c.FillRect(int(w / 2 - r + 1), int(h - 14 + squash), int(2 * r - 2), 10, body);
    c.FillCircle(w / 2 - 7, h - 24 + squash, 3, kInk);
    c.FillCircle(w / 2 + 7, h - 24 + squash, 3, kInk);
}

// The blob's other poses: leaning into a run, lunging with its mouth open, or flinching with
// shut eyes in a paler body.
enum class BlobFace { Run, Bite, Hurt };

void DrawBlobPose(Canvas& c, BlobFace face, float phase, uint32_t body)
{
    const float w = float(c.width), h = float(c.height);
    const float lean = face == BlobFace::Run ? 3.0f + phase * 3.0f : face == BlobFace::Bite ? 6.0f : -5.0f;
    const float r = face == BlobFace::Hurt ? 19.0f : 22.0f;
    const float squash = face == BlobFace::Run ? phase * 2.0f : face == BlobFace::Bite ? -3.0f : 5.0f;
    const float cx = w / 2 + lean;
    c.FillRect(int(cx - r - 2), int(h - 14 + squash), int(2 * r + 4), 12, kInk);
    c.FrameCircle(cx, h - 14 - r * 0.4f + squash, r, 2.5f, face == BlobFace::Hurt ? kPink : body, kInk);
    c.FillRect(int(cx - r + 1), int(h - 14 + squash), int(2 * r - 2), 10, face == BlobFace::Hurt ? kPink : body);
    if (face == BlobFace::Hurt) {
        c.FillRect(int(cx - 10), int(h - 25 + squash), 7, 2, kInk);
        c.FillRect(int(cx + 3), int(h - 25 + squash), 7, 2, kInk);
        return;
    }
    c.FillCircle(cx - 3, h - 24 + squash, 3, kInk);
    c.FillCircle(cx + 11, h - 24 + squash, 3, kInk);
    if (face == BlobFace::Bite) {
        c.FillPolygon({cx + 4, h - 16 + squash, cx + r + 2, h - 20 + squash, cx + r + 2, h - 8 + squash}, kInk);
        c.FillPolygon({cx + 12, h - 17 + squash, cx + 15, h - 13 + squash, cx + 18, h - 18 + squash}, kWhite);
    }
}

void DrawWisp(Canvas& c, float glow)
{
    const float w = float(c.width), h = float(c.height);
    c.FrameCircle(w / 2, h / 2, 18 + glow, 3, 0x803BA3A3, kTeal);
    c.FrameCircle(w / 2, h / 2, 10, 2, kWhite, kInk);
    c.FillPolygon({w / 2 - 6, h / 2 + 16, w / 2 + 6, h / 2 + 16, w / 2, h / 2 + 30}, kTeal);
}

void DrawStar(Canvas& c, float outer, float inner, int points, uint32_t fill);

// The wisp's other poses: streaming its tail behind as it flies, flaring its spikes to strike,
// or flashing pink when hit.
void DrawWispPose(Canvas& c, int pose, float phase)
{
    const float w = float(c.width), h = float(c.height);
    if (pose == 0) {
        c.FrameCircle(w / 2 + 3, h / 2, 18 + phase * 2.0f, 3, 0x803BA3A3, kTeal);
        c.FrameCircle(w / 2 + 5, h / 2, 10, 2, kWhite, kInk);
        c.FillPolygon({w / 2 - 2, h / 2 + 10, w / 2 + 4, h / 2 + 16, w / 2 - 22, h / 2 + 22 + phase * 4.0f}, kTeal);
    } else if (pose == 1) {
        DrawStar(c, 30.0f, 16.0f, 6, kTeal);
        c.FrameCircle(w / 2, h / 2, 12, 2, kYellow, kInk);
        c.FillCircle(w / 2 + 4, h / 2, 3, kInk);
    } else {
        c.FrameCircle(w / 2 - 3, h / 2 + 2, 16, 3, 0x80E87FB0, kPink);
        c.FrameCircle(w / 2 - 3, h / 2 + 2, 10, 2, kPink, kInk);
        c.FillRect(int(w / 2) - 8, int(h / 2) + 1, 10, 2, kInk);
        c.FillPolygon({w / 2 - 9, h / 2 + 18, w / 2 + 3, h / 2 + 18, w / 2 + 4, h / 2 + 30}, kPink);
    }
}

void DrawGuard(Canvas& c, float spear)
{
    const float w = float(c.width);
    c.FillRect(int(w / 2) + 14, int(6 + spear), 3, 54, kBrown);
    c.FillPolygon({w / 2 + 10, 10 + spear, w / 2 + 21, 10 + spear, w / 2 + 15.5f, 0 + spear}, kGrey);
    c.FrameRect(int(w / 2) - 12, 20, 24, 30, 2, kPurple, kInk);
    c.FrameRect(int(w / 2) - 10, 50, 8, 12, 2, kGrey, kInk);
    c.FrameRect(int(w / 2) + 2, 50, 8, 12, 2, kGrey, kInk);
    c.FrameCircle(w / 2, 14, 10, 2, kGrey, kInk);
    c.FillRect(int(w / 2) - 6, 12, 12, 3, kInk);
}

void DrawStar(Canvas& c, float outer, float inner, int points, uint32_t fill)
{
    const float w = float(c.width) / 2, h = float(c.height) / 2;
    for (int k = 0; k < points; ++k) {
        const float a0 = float(k) * 6.2831853f / float(points);
        const float a1 = a0 + 3.14159265f / float(points);
        const float a2 = a0 - 3.14159265f / float(points);
        c.FillPolygon({w, h, w + std::cos(a2) * inner, h + std::sin(a2) * inner, w + std::cos(a0) * outer,
                       h + std::sin(a0) * outer, w + std::cos(a1) * inner, h + std::sin(a1) * inner},
                      fill);
    }
}

void DrawHeart(Canvas& c, uint32_t fill)
{
    const float w = float(c.width);
    c.FillCircle(w / 2 - 6, 12, 8, kInk);
    c.FillCircle(w / 2 + 6, 12, 8, kInk);
    c.FillPolygon({w / 2 - 14, 14, w / 2 + 14, 14, w / 2, 30}, kInk);
    c.FillCircle(w / 2 - 6, 12, 6, fill);
    c.FillCircle(w / 2 + 6, 12, 6, fill);
    c.FillPolygon({w / 2 - 11, 14, w / 2 + 11, 14, w / 2, 27}, fill);
}

void DrawDiamond(Canvas& c, uint32_t fill)
{
    const float w = float(c.width), h = float(c.height);
    c.FillPolygon({w / 2, 1, w - 6, h / 2, w / 2, h - 1, 6, h / 2}, kInk);
    c.FillPolygon({w / 2, 4, w - 9, h / 2, w / 2, h - 4, 9, h / 2}, fill);
    c.FillPolygon({w / 2, 4, w / 2 + 4, h / 2, w / 2, h - 4}, kWhite);
}

// Digits 0-9 lettered in one colour inside a dark rim, as large as the cell allows, so that they
// read as numbers over any background. A corner pixel of the faintest alpha keeps the whole
// cell through trimming, so that every digit keeps the same box.
void AddDigits(std::vector<SpriteDef>& sprites, const std::string& prefix, int w, int h, uint32_t colour)
{
    for (int d = 0; d < 10; ++d)
        sprites.push_back({prefix + std::to_string(d), w, h, [d, h, colour](Canvas& c) {
                               DrawLettering(c, std::to_string(d), h + 2, colour, kInk);
                               c.At(0, 0) = 0x01000000;
                               c.At(c.width - 1, c.height - 1) = 0x01000000;
                           }});
}

// The in-game HUD and talk window: a sliced talk frame with its arrow and "next" marker, the
// life flower, gauge fills, combo and life digits, the four damage digit sets (enemy white,
// player red, critical yellow, healing green), a sliced name plate and the meadow's target icon.
SheetDef HudSheet()
{
    SheetDef hud{"ui_hud_parts", Format::Tga, false, 1, 256, 512, {}, nullptr};
    hud.sprites.push_back({"ui_talk_frame", 48, 48, [](Canvas& c) {
                               c.FrameRect(0, 0, 48, 48, 3, kPanel, kInk);
                               c.FrameRect(4, 4, 40, 40, 1, kPanel, kWhite);
                           }});
    hud.sprites.push_back({"ui_talk_arrow", 16, 16, [](Canvas& c) { c.FillPolygon({2, 0, 14, 0, 8, 14}, kPanel); }});
    hud.sprites.push_back({"ui_talk_next", 16, 16, [](Canvas& c) {
                               c.FillPolygon({1, 3, 15, 3, 8, 14}, kInk);
                               c.FillPolygon({4, 5, 12, 5, 8, 11}, kYellow);
                           }});
    hud.sprites.push_back({"ui_hud_flower", 48, 48, [](Canvas& c) {
                               for (int k = 0; k < 5; ++k) {
                                   const float a = float(k) * 1.2566371f;
                                   c.FrameCircle(24 + 12 * std::cos(a), 24 + 12 * std::sin(a), 9, 2, kPink, kInk);
                               }
                               c.FrameCircle(24, 24, 7, 2, kYellow, kInk);
                           }});
    hud.sprites.push_back({"ui_hud_gauge_back", 64, 12, [](Canvas& c) { c.FrameRect(0, 0, 64, 12, 2, 0xFF303040, kInk); }});
    hud.sprites.push_back({"ui_hud_life_fill", 64, 12, [](Canvas& c) { c.FillRect(0, 0, 64, 12, kGreen); }});
    // White, so the special colour tints it.
    hud.sprites.push_back({"ui_hud_special_fill", 32, 10, [](Canvas& c) { c.FillRect(0, 0, 32, 10, 0xFFFFFFFF); }});
    hud.sprites.push_back({"ui_name_bar", 32, 24, [](Canvas& c) { c.FrameRect(0, 0, 32, 24, 3, kPanel, kOrange); }});
    hud.sprites.push_back({"icon_slime", 24, 24, [](Canvas& c) {
                               c.FrameCircle(12, 14, 9, 2, kGreen, kInk);
                               c.FillCircle(9, 12, 2, kInk);
                               c.FillCircle(15, 12, 2, kInk);
                           }});
    AddDigits(hud.sprites, "ui_combo_", 16, 24, kOrange);
    AddDigits(hud.sprites, "ui_life_", 15, 20, kWhite);
    AddDigits(hud.sprites, "dmg_enemy_", 17, 22, 0xFFFFFFFF);
    AddDigits(hud.sprites, "dmg_player_", 17, 22, 0xFFE02020);
    AddDigits(hud.sprites, "dmg_critical_", 17, 22, kYellow);
    AddDigits(hud.sprites, "dmg_heal_", 17, 22, 0xFF20C040);
    return hud;
}

std::vector<SheetDef> Sheets()
{
    std::vector<SheetDef> sheets;

    SheetDef player{"chara_player", Format::Dds, false, 0, 512, 512, {}, nullptr};
    for (int i = 0; i < 2; ++i)
        player.sprites.push_back({"player_idle_" + std::to_string(i), 64, 64,
                                  [i](Canvas& c) { DrawRunner(c, 0.0f, 0.0f, i ? kOrange : kRed, false); }});
    for (int i = 0; i < 4; ++i)
        player.sprites.push_back({"player_run_" + std::to_string(i), 64, 64,
                                  [i](Canvas& c) { DrawRunner(c, float(i) * 1.5708f + 0.8f, 3.0f, kRed, false); }});
    player.sprites.push_back({"player_jump_0", 64, 64, [](Canvas& c) { DrawRunner(c, 0.6f, 0.0f, kRed, false); }});
    player.sprites.push_back({"player_fall_0", 64, 64, [](Canvas& c) { DrawRunner(c, -0.6f, 0.0f, kRed, false); }});
    player.sprites.push_back({"player_dash_0", 64, 64, [](Canvas& c) { DrawRunner(c, 1.2f, 8.0f, kOrange, false); }});
    for (int i = 0; i < 3; ++i)
        player.sprites.push_back({"player_attack_" + std::to_string(i), 64, 64,
                                  [i](Canvas& c) { DrawRunner(c, float(i) * 0.4f, 2.0f, kRed, true); }});
    player.sprites.push_back({"player_damage_0", 64, 64, [](Canvas& c) { DrawRunner(c, 0.3f, -6.0f, kPink, false); }});
    // The movement states' own poses: crouched, a side step, braking, gliding on the scarf.
    player.sprites.push_back({"player_sit_0", 64, 64, [](Canvas& c) {
        // The standing figure lowered by 10 rows, its feet cut off: a crouch.
        Canvas body(64, 64);
        DrawRunner(body, 1.4f, 0.0f, kRed, false);
        for (uint32_t y = 0; y + 10 < 64; ++y)
            for (uint32_t x = 0; x < 64; ++x)
                if (const uint32_t p = body.pixels[y * 64 + x])
                    c.pixels[(y + 10) * c.width + x] = p;
    }});
    player.sprites.push_back({"player_step_0", 64, 64, [](Canvas& c) { DrawRunner(c, 1.0f, 6.0f, kYellow, false); }});
    player.sprites.push_back({"player_brake_0", 64, 64, [](Canvas& c) { DrawRunner(c, -1.0f, -5.0f, kOrange, false); }});
    player.sprites.push_back({"player_glide_0", 64, 64, [](Canvas& c) {
        DrawRunner(c, 0.2f, 0.0f, kRed, false);
        c.FillPolygon({4, 20, 60, 20, 32, 8}, kRed);
    }});
    // At home: the same figure in its green house scarf.
    for (int i = 0; i < 2; ++i)
        player.sprites.push_back({"player_home_idle_" + std::to_string(i), 64, 64,
                                  [i](Canvas& c) { DrawRunner(c, 0.0f, 0.0f, i ? kTeal : kGreen, false); }});
    for (int i = 0; i < 2; ++i)
        player.sprites.push_back({"player_home_run_" + std::to_string(i), 64, 64, [i](Canvas& c) {
            DrawRunner(c, float(i) * 3.1416f + 0.8f, 3.0f, kGreen, false);
        }});
    // The attacks: four chain steps (the arm swings further each time), three blows by height,
    // the slash's crouched wind-up and flat rush, the turned slash's wind-up, glowing charge and
    // rush, the special move's raised arms and the homing leap.
    for (int i = 0; i < 4; ++i)
        player.sprites.push_back({"player_chain_" + std::to_string(i), 64, 64, [i](Canvas& c) {
            DrawRunner(c, 0.5f + float(i) * 0.7f, 2.0f + float(i), i % 2 ? kOrange : kRed, true);
            c.FillPolygon({44, 20.0f + float(i) * 4, 62, 26.0f + float(i) * 4, 44, 34.0f + float(i) * 2}, kWhite);
        }});
    for (int i = 0; i < 3; ++i)
        player.sprites.push_back({"player_blow_" + std::to_string(i), 64, 64, [i](Canvas& c) {
            DrawRunner(c, 0.9f, 4.0f, kRed, false);
            const float y = 46.0f - float(i) * 18.0f; // low, mid, high
            c.FrameCircle(50, y, 7, 2, kYellow, kInk);
        }});
    player.sprites.push_back({"player_slash_0", 64, 64, [](Canvas& c) {
        DrawRunner(c, 1.4f, -4.0f, kYellow, false);
        c.FillRect(4, 30, 14, 3, kWhite);
    }});
    player.sprites.push_back({"player_slash_1", 64, 64, [](Canvas& c) {
        DrawRunner(c, 1.2f, 6.0f, kYellow, true);
        c.FillPolygon({0, 24, 30, 28, 0, 32}, 0xA0F4F1E8);
    }});
    player.sprites.push_back({"player_turn_0", 64, 64, [](Canvas& c) { DrawRunner(c, -1.2f, -6.0f, kPurple, false); }});
    player.sprites.push_back({"player_turn_1", 64, 64, [](Canvas& c) {
        c.FillCircle(32, 32, 28, 0x608A55C7);
        DrawRunner(c, 1.4f, 0.0f, kPurple, true);
    }});
    player.sprites.push_back({"player_turn_2", 64, 64, [](Canvas& c) {
        DrawRunner(c, 1.2f, 7.0f, kPurple, true);
        c.FillPolygon({0, 20, 24, 30, 0, 40}, 0xA08A55C7);
    }});
    player.sprites.push_back({"player_special_0", 64, 64, [](Canvas& c) {
        DrawRunner(c, 0.0f, 0.0f, kTeal, false);
        c.FillRect(18, 6, 4, 18, kInk);
        c.FillRect(42, 6, 4, 18, kInk);
        DrawStar(c, 8.0f, 3.0f, 4, kTeal);
    }});
    player.sprites.push_back({"player_homing_0", 64, 64, [](Canvas& c) {
        DrawRunner(c, 0.8f, 4.0f, kOrange, false);
        c.FillPolygon({2, 50, 20, 44, 8, 60}, kYellow);
    }});
    // The companion at home, and the visiting stranger.
    for (int i = 0; i < 2; ++i)
        player.sprites.push_back({"companion_idle_" + std::to_string(i), 64, 64,
                                  [i](Canvas& c) { DrawCompanion(c, float(i) * 6.0f); }});
    for (int i = 0; i < 2; ++i)
        player.sprites.push_back({"stranger_idle_" + std::to_string(i), 64, 64,
                                  [i](Canvas& c) { DrawVisitor(c, 0.0f, float(i)); }});
    for (int i = 0; i < 2; ++i)
        player.sprites.push_back({"stranger_run_" + std::to_string(i), 64, 64,
                                  [i](Canvas& c) { DrawVisitor(c, float(i) * 3.1416f + 0.8f, 3.0f); }});
    sheets.push_back(player);

    SheetDef enemies{"chara_enemies", Format::Dds, false, 0, 256, 512, {}, nullptr};
    for (int i = 0; i < 2; ++i)
        enemies.sprites.push_back({"enemy_blob_" + std::to_string(i), 64, 64,
                                   [i](Canvas& c) { DrawBlob(c, float(i) * 3.0f, kGreen); }});
    for (int i = 0; i < 2; ++i)
        enemies.sprites.push_back({"enemy_wisp_" + std::to_string(i), 64, 64,
                                   [i](Canvas& c) { DrawWisp(c, float(i) * 4.0f); }});
    for (int i = 0; i < 2; ++i)
        enemies.sprites.push_back({"enemy_guard_" + std::to_string(i), 64, 64,
                                   [i](Canvas& c) { DrawGuard(c, float(i) * -4.0f); }});
    enemies.sprites.push_back({"enemy_blob_red_0", 64, 64, [](Canvas& c) { DrawBlob(c, 0.0f, kRed); }});
    enemies.sprites.push_back({"enemy_blob_red_1", 64, 64, [](Canvas& c) { DrawBlob(c, 3.0f, kRed); }});
    // Cells 8-19: running, attacking and hit poses of the green blob, the red blob and the wisp.
    for (const auto& [prefix, body] : {std::pair<std::string, uint32_t>{"enemy_blob_", kGreen}, {"enemy_blob_red_", kRed}}) {
        const uint32_t fill = body;
        for (int i = 0; i < 2; ++i)
            enemies.sprites.push_back({prefix + "run_" + std::to_string(i), 64, 64,
                                       [i, fill](Canvas& c) { DrawBlobPose(c, BlobFace::Run, float(i), fill); }});
        enemies.sprites.push_back(
            {prefix + "attack_0", 64, 64, [fill](Canvas& c) { DrawBlobPose(c, BlobFace::Bite, 0.0f, fill); }});
        enemies.sprites.push_back(
            {prefix + "damage_0", 64, 64, [fill](Canvas& c) { DrawBlobPose(c, BlobFace::Hurt, 0.0f, fill); }});
    }
    for (int i = 0; i < 2; ++i)
        enemies.sprites.push_back(
            {"enemy_wisp_run_" + std::to_string(i), 64, 64, [i](Canvas& c) { DrawWispPose(c, 0, float(i)); }});
    enemies.sprites.push_back({"enemy_wisp_attack_0", 64, 64, [](Canvas& c) { DrawWispPose(c, 1, 0.0f); }});
    enemies.sprites.push_back({"enemy_wisp_damage_0", 64, 64, [](Canvas& c) { DrawWispPose(c, 2, 0.0f); }});
    sheets.push_back(enemies);

    SheetDef bullets{"bullets", Format::Tga, false, 1, 128, 32, {}, nullptr};
    bullets.sprites.push_back({"bullet_orb", 16, 16, [](Canvas& c) { c.FrameCircle(8, 8, 7, 2, kPink, kInk); }});
    bullets.sprites.push_back({"bullet_ring", 16, 16, [](Canvas& c) {
                                   c.FrameCircle(8, 8, 7, 2, kYellow, kInk);
                                   c.FillCircle(8, 8, 3, 0);
                               }});
    bullets.sprites.push_back({"bullet_needle", 16, 16, [](Canvas& c) {
                                   c.FillPolygon({1, 8, 8, 5, 15, 8, 8, 11}, kInk);
                                   c.FillPolygon({3, 8, 8, 6.5f, 13, 8, 8, 9.5f}, kTeal);
                               }});
    bullets.sprites.push_back({"bullet_star", 16, 16, [](Canvas& c) { DrawStar(c, 7.5f, 3.5f, 5, kYellow); }});
    bullets.sprites.push_back({"player_shot", 32, 16, [](Canvas& c) {
                                   c.FrameRect(2, 5, 28, 6, 1, kWhite, kBlue);
                               }});
    sheets.push_back(bullets);

    SheetDef items{"items", Format::Tga, true, 0, 128, 32, {}, nullptr};
    items.sprites.push_back({"item_coin", 32, 32, [](Canvas& c) {
                                 c.FrameCircle(16, 16, 12, 2, kYellow, kInk);
                                 c.FillRect(14, 9, 4, 14, kOrange);
                             }});
    items.sprites.push_back({"item_heart", 32, 32, [](Canvas& c) { DrawHeart(c, kRed); }});
    items.sprites.push_back({"item_crystal", 32, 32, [](Canvas& c) { DrawDiamond(c, kPurple); }});
    items.sprites.push_back({"item_key", 32, 32, [](Canvas& c) {
                                 c.FrameCircle(10, 16, 7, 2, kYellow, kInk);
                                 c.FrameRect(15, 14, 14, 5, 1, kYellow, kInk);
                                 c.FrameRect(24, 18, 4, 6, 1, kYellow, kInk);
                             }});
    sheets.push_back(items);

    SheetDef effects{"effects", Format::Tga, true, 0, 256, 128, {}, nullptr};
    for (int i = 0; i < 3; ++i)
        effects.sprites.push_back({"fx_hit_" + std::to_string(i), 64, 64, [i](Canvas& c) {
                                       DrawStar(c, 12.0f + 9.0f * float(i), 5.0f + 2.0f * float(i), 8, kWhite);
                                       DrawStar(c, 7.0f + 6.0f * float(i), 3.0f + float(i), 8, kYellow);
                                   }});
    effects.sprites.push_back({"fx_smoke_0", 64, 64, [](Canvas& c) {
                                   c.FillCircle(24, 36, 14, 0xC08C8C99);
                                   c.FillCircle(40, 30, 16, 0xC0A0A0AA);
                                   c.FillCircle(32, 42, 12, 0xC0B4B4BE);
                               }});
    // The companion's special move: the companion (a winged teal spirit), two crossing slashes,
    // and the turned slash's shockwave.
    effects.sprites.push_back({"fx_companion_0", 64, 64, [](Canvas& c) {
                                   c.FillPolygon({32, 30, 2, 12, 10, 40}, kTeal);
                                   c.FillPolygon({32, 30, 62, 12, 54, 40}, kTeal);
                                   c.FrameCircle(32, 32, 13, 2, kWhite, kInk);
                                   c.FillCircle(28, 30, 2, kInk);
                                   c.FillCircle(36, 30, 2, kInk);
                               }});
    for (int i = 0; i < 2; ++i)
        effects.sprites.push_back({"fx_slash_" + std::to_string(i), 64, 64, [i](Canvas& c) {
                                       const float d = i ? -1.0f : 1.0f;
                                       c.FillPolygon({2, 32 + 28 * d, 8, 32 + 30 * d, 62, 32 - 28 * d, 56, 32 - 30 * d},
                                                     kWhite);
                                       c.FillPolygon({12, 32 + 18 * d, 14, 32 + 20 * d, 52, 32 - 18 * d, 50, 32 - 20 * d},
                                                     i ? kTeal : kYellow);
                                   }});
    effects.sprites.push_back({"fx_shockwave_0", 64, 64, [](Canvas& c) {
                                   c.FrameCircle(32, 40, 22, 4, 0x00000000, kPurple);
                                   c.FillRect(4, 56, 56, 6, kPurple);
                               }});
    sheets.push_back(effects);

    SheetDef ui{"ui_parts", Format::Tga, false, 1, 256, 128, {}, nullptr};
    ui.sprites.push_back({"ui_frame", 64, 64, [](Canvas& c) {
                              c.FrameRect(0, 0, 64, 64, 3, kPanel, kInk);
                              c.FrameRect(3, 3, 58, 58, 2, kPanel, kWhite);
                          }});
    ui.sprites.push_back({"ui_button", 64, 32, [](Canvas& c) { c.FrameRect(0, 0, 64, 32, 2, kGrey, kInk); }});
    ui.sprites.push_back({"ui_button_on", 64, 32, [](Canvas& c) { c.FrameRect(0, 0, 64, 32, 2, kOrange, kInk); }});
    ui.sprites.push_back({"ui_gauge_frame", 64, 16, [](Canvas& c) { c.FrameRect(0, 0, 64, 16, 2, 0xFF303040, kInk); }});
    ui.sprites.push_back({"ui_gauge_fill", 64, 16, [](Canvas& c) { c.FillRect(0, 0, 64, 16, kGreen); }});
    ui.sprites.push_back({"ui_cursor", 32, 32, [](Canvas& c) {
                              c.FillPolygon({4, 2, 28, 16, 4, 30}, kInk);
                              c.FillPolygon({7, 7, 22, 16, 7, 25}, kYellow);
                          }});
    ui.sprites.push_back({"ui_icon_life", 32, 32, [](Canvas& c) { DrawHeart(c, kPink); }});
    ui.sprites.push_back({"ui_icon_power", 32, 32, [](Canvas& c) { DrawStar(c, 14, 6, 4, kTeal); }});
    // Digits 0-9 for counters: seven yellow segments on a 12 x 16 cell, a dark rim round the
    // cell so the trimmed sprite keeps the whole cell.
    static const char* const kSegments[10] = {"abcdef", "bc", "abdeg", "abcdg", "bcfg",
                                              "acdfg", "acdefg", "abc", "abcdefg", "abcdfg"};
    for (int d = 0; d < 10; ++d)
        ui.sprites.push_back({"ui_digit_" + std::to_string(d), 12, 16, [d](Canvas& c) {
                                  c.FrameRect(0, 0, 12, 16, 1, 0x00000000, kInk);
                                  for (const char* seg = kSegments[d]; *seg; ++seg) {
                                      switch (*seg) {
                                      case 'a': c.FillRect(3, 1, 6, 2, kYellow); break;
                                      case 'b': c.FillRect(9, 3, 2, 4, kYellow); break;
                                      case 'c': c.FillRect(9, 9, 2, 4, kYellow); break;
                                      case 'd': c.FillRect(3, 13, 6, 2, kYellow); break;
                                      case 'e': c.FillRect(1, 9, 2, 4, kYellow); break;
                                      case 'f': c.FillRect(1, 3, 2, 4, kYellow); break;
                                      case 'g': c.FillRect(3, 7, 6, 2, kYellow); break;
                                      }
                                  }
                              }});
    sheets.push_back(ui);

    // Title UI art, kept loaded like the rest of the UI: the emblem (a flat purple plate with a
    // dark rim, so its middle is one colour), a sliced panel frame, three sparkle frames and flat
    // fills whose colours pixel tests look for.
    SheetDef uiTitle{"ui_title", Format::Tga, false, 1, 256, 128, {}, nullptr};
    // The emblem: the game's name on a violet plate.
    uiTitle.sprites.push_back({"ui_title_emblem", 160, 64, [](Canvas& c) {
                                   c.FrameRect(0, 0, 160, 64, 4, kPurple, kInk);
                                   DrawLettering(c, "Quillmark", 30, kWhite, kInk);
                               }});
    uiTitle.sprites.push_back({"ui_panel_frame", 48, 48, [](Canvas& c) {
                                   c.FrameRect(0, 0, 48, 48, 3, kPanel, kInk);
                                   c.FrameRect(3, 3, 42, 42, 2, kPanel, kYellow);
                               }});
    for (int i = 0; i < 3; ++i)
        uiTitle.sprites.push_back({"ui_sparkle_" + std::to_string(i + 1), 32, 32, [i](Canvas& c) {
                                       DrawStar(c, 6.0f + 4.0f * float(i), 2.0f + float(i), 4, kYellow);
                                   }});
    uiTitle.sprites.push_back({"ui_fill_red", 16, 16, [](Canvas& c) { c.FillRect(0, 0, 16, 16, 0xFFE02020); }});
    uiTitle.sprites.push_back({"ui_fill_green", 16, 16, [](Canvas& c) { c.FillRect(0, 0, 16, 16, 0xFF20C040); }});
    uiTitle.sprites.push_back({"ui_fill_blue", 16, 16, [](Canvas& c) { c.FillRect(0, 0, 16, 16, 0xFF2040E0); }});
    // The spinning wheel under the emblem and the title's tip icons.
    uiTitle.sprites.push_back({"ui_title_wheel", 64, 64, [](Canvas& c) {
                                   DrawStar(c, 30, 14, 8, kYellow);
                                   c.FrameCircle(32, 32, 9, 2, kOrange, kInk);
                               }});
    uiTitle.sprites.push_back({"ui_tip_icon_leaf", 32, 32, [](Canvas& c) {
                                   c.FillPolygon({16, 2, 28, 16, 16, 30, 4, 16}, kInk);
                                   c.FillPolygon({16, 5, 25, 16, 16, 27, 7, 16}, kGreen);
                               }});
    uiTitle.sprites.push_back({"ui_tip_icon_star", 32, 32, [](Canvas& c) { DrawStar(c, 14, 6, 5, kPink); }});
    sheets.push_back(uiTitle);
    sheets.push_back(HudSheet());

    // The parameter upgrade screen: one flat piece colour per parameter, five rank badges (a
    // star with one more point per rank), the row arrows and the selected row's highlight.
    SheetDef uiUpgrade{"ui_upgrade", Format::Tga, false, 1, 256, 128, {}, nullptr};
    uiUpgrade.sprites.push_back({"upgrade_parameter/row_highlight", 240, 36, [](Canvas& c) {
                                     c.FrameRect(0, 0, 240, 36, 3, 0x00000000, kYellow);
                                 }});
    static const std::pair<const char*, uint32_t> kPieces[6] = {
        {"hp_max", kRed},          {"hp_cure", kPink},           {"attack", kOrange},
        {"defense", kBlue},        {"special_attack", kPurple},  {"special_charge", kTeal}};
    for (const auto& [name, colour] : kPieces)
        uiUpgrade.sprites.push_back({std::string("upgrade_parameter/piece_") + name, 12, 20,
                                     [colour = colour](Canvas& c) { c.FrameRect(0, 0, 12, 20, 1, colour, kInk); }});
    static const uint32_t kBadgeColours[5] = {kBrown, kGrey, kYellow, kTeal, kPurple};
    for (int i = 0; i < 5; ++i)
        uiUpgrade.sprites.push_back({"upgrade_parameter/honor_0" + std::to_string(i + 1), 32, 32, [i](Canvas& c) {
                                         c.FrameCircle(16, 16, 15, 2, kBadgeColours[i], kInk);
                                         DrawStar(c, 11, 5, 3 + i, kWhite);
                                     }});
    uiUpgrade.sprites.push_back({"upgrade_parameter/arrow_left", 16, 16, [](Canvas& c) {
                                     c.FillPolygon({14, 1, 1, 8, 14, 15}, kInk);
                                     c.FillPolygon({12, 4, 4, 8, 12, 12}, kYellow);
                                 }});
    uiUpgrade.sprites.push_back({"upgrade_parameter/arrow_right", 16, 16, [](Canvas& c) {
                                     c.FillPolygon({2, 1, 15, 8, 2, 15}, kInk);
                                     c.FillPolygon({4, 4, 12, 8, 4, 12}, kYellow);
                                 }});
    sheets.push_back(uiUpgrade);
    // Dialog, report and quest select art: sliced windows, buttons, tabs, arrows, the quest
    // title banners (flat middles in colours of their own, which pixel tests look for) and the
    // quest list's icons. Banners take a 4-pixel dark rim.
    SheetDef uiQuest{"ui_quest", Format::Tga, false, 1, 512, 256, {}, nullptr};
    uiQuest.sprites.push_back({"ui_dialog_window", 48, 48, [](Canvas& c) {
                                   c.FrameRect(0, 0, 48, 48, 3, kTeal, kInk);
                                   c.FrameRect(3, 3, 42, 42, 2, kTeal, kWhite);
                               }});
    uiQuest.sprites.push_back({"ui_report_panel", 48, 48, [](Canvas& c) {
                                   c.FrameRect(0, 0, 48, 48, 3, kPanel, kInk);
                                   c.FrameRect(3, 3, 42, 42, 2, kPanel, kOrange);
                               }});
    uiQuest.sprites.push_back({"ui_dialog_yes", 96, 32, [](Canvas& c) { c.FrameRect(0, 0, 96, 32, 2, kGreen, kInk); }});
    uiQuest.sprites.push_back({"ui_dialog_no", 96, 32, [](Canvas& c) { c.FrameRect(0, 0, 96, 32, 2, kRed, kInk); }});
    uiQuest.sprites.push_back({"ui_tab", 96, 32, [](Canvas& c) {
                                   c.FrameRect(0, 0, 96, 32, 2, kGrey, kInk);
                                   c.FillRect(2, 28, 92, 2, kWhite);
                               }});
    uiQuest.sprites.push_back({"ui_arrow_up", 24, 16, [](Canvas& c) {
                                   c.FillPolygon({12, 0, 24, 16, 0, 16}, kInk);
                                   c.FillPolygon({12, 4, 20, 14, 4, 14}, kYellow);
                               }});
    uiQuest.sprites.push_back({"ui_arrow_down", 24, 16, [](Canvas& c) {
                                   c.FillPolygon({0, 0, 24, 0, 12, 16}, kInk);
                                   c.FillPolygon({4, 2, 20, 2, 12, 12}, kYellow);
                               }});
    uiQuest.sprites.push_back({"ui_reward_cursor", 40, 40, [](Canvas& c) {
                                   c.FrameRect(0, 0, 40, 40, 3, 0x00000000, kInk);
                                   c.FrameRect(1, 1, 38, 38, 2, 0x00000000, kYellow);
                               }});
    uiQuest.sprites.push_back({"quest_select/new_icon", 48, 24, [](Canvas& c) {
                                   c.FrameRect(0, 0, 48, 24, 2, kYellow, kInk);
                                   DrawStar(c, 9, 4, 5, kOrange);
                               }});
    uiQuest.sprites.push_back({"quest_select/clear_icon", 48, 24, [](Canvas& c) {
                                   c.FrameRect(0, 0, 48, 24, 2, kGreen, kInk);
                                   c.FillPolygon({14, 12, 18, 8, 23, 13, 19, 17}, kWhite);
                                   c.FillPolygon({19, 17, 23, 13, 34, 4, 36, 8}, kWhite);
                               }});
    uiQuest.sprites.push_back({"quest_select/reward_icon", 32, 32, [](Canvas& c) { c.FrameCircle(16, 16, 14, 2, kYellow, kInk); }});
    uiQuest.sprites.push_back({"quest_select/reward_icon_black", 32, 32,
                               [](Canvas& c) { c.FrameCircle(16, 16, 14, 2, 0xFF303040, kInk); }});
    // A quest's name picture: its plate in the quest's colour with the quest's name on it (the
    // "questName" of its table), shown in the quest select's and the report's title bars.
    struct Banner {
        const char* name;
        uint32_t colour;
        const char* title;
    };
    const Banner banners[] = {{"quest_name_meadow", kGreen, "草原の掃除"},
                              {"quest_name_meadow_flowers", kPink, "草原の花摘み"},
                              {"quest_name_cave", kBlue, "洞窟の主"},
                              {"quest_name_home", kBrown, "拠点"}};
    for (const Banner& b : banners)
        uiQuest.sprites.push_back({b.name, 192, 40, [b](Canvas& c) {
                                       c.FrameRect(0, 0, 192, 40, 4, b.colour, kInk);
                                       DrawLettering(c, b.title, 22, kWhite, kInk);
                                   }});
    sheets.push_back(uiQuest);

    // Stage props, and a strip of ground whose top is grass.
    SheetDef props{"props", Format::Tga, false, 0, 256, 512, {}, nullptr};
    props.sprites.push_back({"prop_crate", 48, 40, [](Canvas& c) {
                                 c.FrameRect(0, 0, 48, 40, 3, kBrown, kInk);
                                 c.FillRect(3, 18, 42, 4, kInk);
                             }});
    props.sprites.push_back({"prop_ball", 32, 32, [](Canvas& c) { c.FrameCircle(16, 16, 15.5f, 2, kOrange, kInk); }});
    props.sprites.push_back({"prop_post", 12, 120, [](Canvas& c) { c.FrameRect(0, 0, 12, 120, 2, kGrey, kInk); }});
    props.sprites.push_back({"ground_strip", 64, 32, [](Canvas& c) {
                                 c.FillRect(0, 0, 64, 32, kBrown);
                                 c.FillRect(0, 0, 64, 8, kGreen);
                                 c.FillRect(0, 8, 64, 2, kInk);
                             }});
    // Landscape: decoration scattered over the areas, none of it solid.
    props.sprites.push_back({"land_grass", 32, 16, [](Canvas& c) {
                                 for (int i = 0; i < 4; ++i)
                                     c.FillPolygon({float(2 + 8 * i), 16, float(6 + 8 * i), 16, float(5 + 8 * i), 2}, kGreen);
                                 c.FillRect(0, 14, 32, 2, kInk);
                             }});
    props.sprites.push_back({"land_stone", 24, 16, [](Canvas& c) { c.FrameCircle(12, 12, 10, 2, kGrey, kInk); }});
    props.sprites.push_back({"land_flower", 16, 24, [](Canvas& c) {
                                 c.FillRect(7, 10, 2, 14, kGreen);
                                 c.FrameCircle(8, 7, 6, 1.5f, kPink, kInk);
                                 c.FillCircle(8, 7, 2, kYellow);
                             }});
    props.sprites.push_back({"land_banner", 32, 64, [](Canvas& c) {
                                 c.FillRect(2, 0, 4, 64, kBrown);
                                 c.FrameRect(6, 2, 24, 30, 2, kRed, kInk);
                                 c.FillCircle(18, 17, 5, kYellow);
                             }});
    props.sprites.push_back({"land_signpost", 40, 48, [](Canvas& c) {
                                 c.FillRect(18, 16, 4, 32, kBrown);
                                 c.FrameRect(0, 0, 40, 20, 2, kWhite, kInk);
                                 c.FillRect(6, 8, 28, 3, kInk);
                             }});
    // The signpost by the cave's way: a blank board large enough for its two lines of text.
    props.sprites.push_back({"land_signboard", 88, 84, [](Canvas& c) {
                                 c.FillRect(41, 60, 6, 24, kBrown);
                                 c.FrameRect(0, 0, 88, 64, 3, kWhite, kInk);
                             }});
    // The home's spots the player opens with Up: the quest board (a notice board on two legs
    // with papers pinned on it), the save point (a book on a lectern under a yellow gem) and the
    // training spot (a straw dummy on a post).
    props.sprites.push_back({"gimmick_quest_board", 72, 96, [](Canvas& c) {
                                 c.FillRect(10, 50, 6, 46, kBrown);
                                 c.FillRect(56, 50, 6, 46, kBrown);
                                 c.FrameRect(0, 4, 72, 56, 3, kBrown, kInk);
                                 c.FrameRect(8, 12, 22, 18, 2, kWhite, kInk);
                                 c.FrameRect(36, 10, 26, 20, 2, kYellow, kInk);
                                 c.FrameRect(16, 34, 24, 18, 2, kWhite, kInk);
                                 c.FillRect(44, 38, 16, 3, kInk);
                                 c.FillRect(44, 45, 12, 3, kInk);
                                 c.FillCircle(19, 12, 2, kRed);
                                 c.FillCircle(49, 10, 2, kRed);
                             }});
    props.sprites.push_back({"gimmick_save_point", 48, 96, [](Canvas& c) {
                                 c.FillPolygon({24, 0, 37, 17, 24, 34, 11, 17}, kInk);
                                 c.FillPolygon({24, 4, 34, 17, 24, 30, 14, 17}, kYellow);
                                 c.FrameRect(18, 50, 12, 46, 2, kGrey, kInk);
                                 c.FrameRect(4, 82, 40, 14, 2, kGrey, kInk);
                                 c.FillPolygon({4, 40, 44, 40, 40, 54, 8, 54}, kInk);
                                 c.FillPolygon({7, 42, 23, 42, 23, 52, 10, 52}, kWhite);
                                 c.FillPolygon({25, 42, 41, 42, 38, 52, 25, 52}, kWhite);
                                 c.FillRect(23, 40, 2, 14, kRed);
                             }});
    props.sprites.push_back({"gimmick_training_spot", 56, 96, [](Canvas& c) {
                                 c.FrameRect(24, 30, 8, 66, 2, kBrown, kInk);
                                 c.FrameRect(6, 40, 44, 8, 2, kBrown, kInk);
                                 c.FrameRect(14, 34, 28, 40, 3, kYellow, kInk);
                                 c.FrameCircle(28, 18, 13, 2.5f, kYellow, kInk);
                                 c.FrameCircle(28, 54, 8, 2, kRed, kInk);
                                 c.FillCircle(28, 54, 3, kWhite);
                             }});
    sheets.push_back(props);

    // Terrain that is more than a flat strip, each drawn from the same points as its area's
    // polyline (cell coordinates: the polyline less the cell's top-left), so that every line the
    // player stands on has ground under it: the home yard's bank, its floating block, the
    // meadow's hill, the cave's ledge, and earth to fill under a raised floor; and the home
    // base's house.
    SheetDef terrain{"terrain", Format::Tga, false, 0, 512, 1024, {}, nullptr};
    terrain.sprites.push_back({"terrain_home_bank", 432, 172, [](Canvas& c) {
                                   DrawGround(c, {0, 172, 90, 80, 200, 80, 300, 0, 432, 0, 432, 172});
                               }});
    terrain.sprites.push_back({"terrain_block", 120, 30, [](Canvas& c) {
                                   c.FrameRect(0, 0, 120, 30, 2, kGrey, kInk);
                                   c.FillRect(2, 2, 116, 6, kGreen);
                                   c.FillRect(2, 8, 116, 2, kInk);
                               }});
    terrain.sprites.push_back({"terrain_hill", 400, 92, [](Canvas& c) { DrawGround(c, {0, 92, 200, 0, 400, 92}); }});
    terrain.sprites.push_back({"terrain_cave_ledge", 500, 112, [](Canvas& c) {
                                   DrawGround(c, {0, 112, 200, 0, 500, 0, 500, 112}, 0xFF5A4E6E, 0xFF8C8C99);
                               }});
    terrain.sprites.push_back({"terrain_earth", 64, 32, [](Canvas& c) { c.FillRect(0, 0, 64, 32, kBrown); }});
    terrain.sprites.push_back({"prop_house", 200, 176, [](Canvas& c) {
                                   c.FillPolygon({0, 72, 100, 0, 200, 72}, kInk);
                                   c.FillPolygon({8, 68, 100, 6, 192, 68}, kRed);
                                   c.FrameRect(16, 68, 168, 108, 3, 0xFFE8D8B0, kInk);
                                   c.FrameRect(112, 108, 36, 68, 3, kBrown, kInk);  // the door, by the save point
                                   c.FrameRect(40, 96, 40, 36, 3, kBlue, kInk);     // a window
                               }});
    sheets.push_back(terrain);

    // The title's logo: a yellow plate with a dark rim, a star at each end and a band of
    // three blocks in the middle.
    SheetDef title{"title", Format::Tga, false, 0, 512, 128, {}, nullptr};
    title.sprites.push_back({"title_logo", 384, 96, [](Canvas& c) {
                                 c.FrameRect(0, 0, 384, 96, 4, kYellow, kInk);
                                 for (int i = 0; i < 3; ++i)
                                     c.FrameRect(112 + i * 56, 28, 48, 40, 3, i == 1 ? kRed : kBlue, kInk);
                                 Canvas star(48, 48, 0);
                                 DrawStar(star, 22, 9, 5, kOrange);
                                 for (int j = 0; j < 48; ++j)
                                     for (int i = 0; i < 48; ++i)
                                         if (star.Get(uint32_t(i), uint32_t(j)) >> 24) {
                                             c.At(uint32_t(24 + i), uint32_t(24 + j)) = star.Get(uint32_t(i), uint32_t(j));
                                             c.At(uint32_t(312 + i), uint32_t(24 + j)) = star.Get(uint32_t(i), uint32_t(j));
                                         }
                             }});
    sheets.push_back(title);

    // Backgrounds: whole images, repeated sideways by wrap addressing.
    sheets.push_back({"bg_sky", Format::Dds, false, 0, 256, 256, {}, [](Canvas& c) {
                          for (uint32_t y = 0; y < c.height; ++y) {
                              const uint32_t t = y * 96 / c.height;
                              const uint32_t colour = 0xFF000000 | ((0x60 + t) << 16) | ((0xA0 + t / 2) << 8) | 0xE8;
                              c.FillRect(0, int(y), int(c.width), 1, colour);
                          }
                          c.FillCircle(60, 70, 18, kWhite);
                          c.FillCircle(84, 64, 22, kWhite);
                          c.FillCircle(108, 72, 16, kWhite);
                          c.FillCircle(190, 150, 12, 0xFFE8EEF4);
                          c.FillCircle(206, 146, 15, 0xFFE8EEF4);
                      }});
    // Backdrops that scroll with the game camera, each a texture of its own so that it wraps
    // sideways: a sky as wide as the screen, and a cave wall twice as tall.
    sheets.push_back({"bg_sky_wide", Format::Dds, false, 0, 960, 540, {}, [](Canvas& c) {
                          for (uint32_t y = 0; y < c.height; ++y) {
                              const uint32_t t = y * 96 / c.height;
                              const uint32_t colour = 0xFF000000 | ((0x60 + t) << 16) | ((0xA0 + t / 2) << 8) | 0xE8;
                              c.FillRect(0, int(y), int(c.width), 1, colour);
                          }
                          // Clouds of different sizes at uneven places, so that every row through
                          // them differs along its length.
                          const float clouds[][3] = {{90, 90, 20}, {130, 80, 28}, {168, 94, 18}, {350, 140, 14},
                                                     {372, 132, 19}, {560, 70, 24}, {598, 78, 16}, {790, 120, 22},
                                                     {822, 112, 12}, {905, 150, 10}};
                          for (const auto& cloud : clouds)
                              c.FillCircle(cloud[0], cloud[1], cloud[2], kWhite);
                      }});
    sheets.push_back({"bg_cave", Format::Dds, false, 0, 960, 1080, {}, [](Canvas& c) {
                          for (uint32_t y = 0; y < c.height; ++y) {
                              const uint32_t t = y * 64 / c.height;
                              c.FillRect(0, int(y), int(c.width), 1, 0xFF000000 | ((0x30 + t) << 16) | ((0x28 + t) << 8) | (0x48 + t));
                          }
                          for (uint32_t k = 0; k < 40; ++k) {
                              const float x = float((k * 397) % c.width), y = float((k * 613) % c.height);
                              c.FillCircle(x, y, 10.0f + float(k % 5) * 6.0f, 0xFF5A4E6E);
                          }
                      }});
    sheets.push_back({"bg_hills", Format::Tga, false, 0, 512, 128, {}, [](Canvas& c) {
                          for (uint32_t x = 0; x < c.width; ++x) {
                              const float a = float(x) * 6.2831853f / float(c.width);
                              const int top = int(64 + 22 * std::sin(a * 2) + 10 * std::sin(a * 5 + 1));
                              c.FillRect(int(x), top, 1, int(c.height) - top, kGreen);
                              c.FillRect(int(x), top, 1, 3, kInk);
                          }
                      }});
    sheets.push_back({"white", Format::Tga, false, 1, 8, 8, {}, [](Canvas& c) { c.FillRect(0, 0, 8, 8, 0xFFFFFFFF); }});
    return sheets;
}

struct Placed {
    std::string name;
    int srcX, srcY, srcW, srcH; // trimmed rectangle inside the cell
    int cellW, cellH;
    int uvX, uvY;               // where the trimmed rectangle sits on the sheet
};

std::string Num(int v) { return std::to_string(v); }

bool BuildSheet(const SheetDef& sheet, const std::string& imageFolder, const std::string& atlasFolder,
                std::string& textureLua)
{
    Canvas canvas(sheet.width, sheet.height, 0);
    std::vector<Placed> placed;
    if (sheet.whole) {
        sheet.whole(canvas);
    } else {
        int x = 0, y = 0, row = 0;
        for (const SpriteDef& s : sheet.sprites) {
            if (x + s.cellWidth > int(sheet.width)) {
                x = 0;
                y += row;
                row = 0;
            }
            if (y + s.cellHeight > int(sheet.height)) {
                std::fprintf(stderr, "qm_imagegen: %s does not fit on %s\n", s.name.c_str(), sheet.name.c_str());
                return false;
            }
            Canvas cell(uint32_t(s.cellWidth), uint32_t(s.cellHeight), 0);
            s.draw(cell);
            int x0 = s.cellWidth, y0 = s.cellHeight, x1 = -1, y1 = -1;
            for (int j = 0; j < s.cellHeight; ++j)
                for (int i = 0; i < s.cellWidth; ++i)
                    if (cell.Get(uint32_t(i), uint32_t(j)) >> 24) {
                        x0 = std::min(x0, i);
                        y0 = std::min(y0, j);
                        x1 = std::max(x1, i);
                        y1 = std::max(y1, j);
                    }
            if (x1 < 0) {
                x0 = y0 = 0;
                x1 = y1 = 0;
            }
            for (int j = 0; j < s.cellHeight; ++j)
                for (int i = 0; i < s.cellWidth; ++i)
                    canvas.At(uint32_t(x + i), uint32_t(y + j)) = cell.Get(uint32_t(i), uint32_t(j));
            placed.push_back({s.name, x0, y0, x1 - x0 + 1, y1 - y0 + 1, s.cellWidth, s.cellHeight, x + x0, y + y0});
            x += s.cellWidth;
            row = std::max(row, s.cellHeight);
        }
    }

    const std::string ext = sheet.format == Format::Dds ? ".dds" : ".tga";
    const std::string path = imageFolder + "/" + sheet.name + ext;
    const bool written = sheet.format == Format::Dds ? WriteDds(path, canvas) : WriteTga(path, canvas);
    if (!written) {
        std::fprintf(stderr, "qm_imagegen: cannot write %s\n", path.c_str());
        return false;
    }

    textureLua += "    " + sheet.name + " = { texture_name = \"" + kEntryFolder + sheet.name + "\", load_type = " +
                  Num(sheet.loadType) + " },\n";

    if (placed.empty())
        return true;
    std::string lua = "-- Sprites of " + sheet.name + ext + " (made by qm_imagegen).\n";
    lua += "spriteSheet = {\n";
    lua += "    texture = \"" + sheet.name + ext + "\",\n";
    lua += "    textureSize = { width = " + Num(int(sheet.width)) + ", height = " + Num(int(sheet.height)) + " },\n";
    lua += "    sprites = {\n";
    for (const Placed& p : placed) {
        lua += "        { name = \"" + p.name + ".png\",\n";
        lua += "          sourceRect = { x = " + Num(p.srcX) + ", y = " + Num(p.srcY) + ", width = " + Num(p.srcW) +
               ", height = " + Num(p.srcH) + " },\n";
        lua += "          originalSize = { width = " + Num(p.cellW) + ", height = " + Num(p.cellH) + " },\n";
        lua += "          uvRect = { x = " + Num(p.uvX) + ", y = " + Num(p.uvY) + ", width = " + Num(p.srcW) +
               ", height = " + Num(p.srcH) + " } },\n";
    }
    lua += "    },\n}\n";
    const std::string luaPath = atlasFolder + "/atlas_" + sheet.name + ".lua";
    if (!WriteTextFile(luaPath, lua)) {
        std::fprintf(stderr, "qm_imagegen: cannot write %s\n", luaPath.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 6) {
        std::fprintf(stderr, "usage: qm_imagegen <loose image folder> <pak image folder> <texture script folder> "
                             "<atlas script folder> <font file>\n");
        return 2;
    }
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        std::fprintf(stderr, "qm_imagegen: FreeType does not start\n");
        return 1;
    }
    g_LetteringFace = OpenJapaneseFace(library, argv[5]);
    if (!g_LetteringFace) {
        std::fprintf(stderr, "qm_imagegen: %s is not a font\n", argv[5]);
        FT_Done_FreeType(library);
        return 1;
    }
    struct FaceCloser {
        FT_Library library;
        ~FaceCloser()
        {
            FT_Done_Face(g_LetteringFace);
            g_LetteringFace = nullptr;
            FT_Done_FreeType(library);
        }
    } closer{library};
    for (int i = 1; i < 5; ++i)
        if (!MakeFolders(argv[i])) {
            std::fprintf(stderr, "qm_imagegen: cannot make %s\n", argv[i]);
            return 1;
        }
    std::string textureLua = "-- Every sprite sheet and background (made by qm_imagegen).\n"
                             "-- load_type 1: always resident; 0: loaded while something uses it.\n"
                             "texture_table = {\n";
    for (const SheetDef& sheet : Sheets())
        if (!BuildSheet(sheet, sheet.inPak ? argv[2] : argv[1], argv[4], textureLua))
            return 1;
    textureLua += "}\n";
    const std::string path = std::string(argv[3]) + "/texture_sprites.lua";
    if (!WriteTextFile(path, textureLua)) {
        std::fprintf(stderr, "qm_imagegen: cannot write %s\n", path.c_str());
        return 1;
    }
    return 0;
}
