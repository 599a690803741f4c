// Text drawn with one of the game's bitmap fonts. The text is laid out once, when it is set,
// into coloured runs (lines split at line feeds, colour changed by inline tags like <FF0000>);
// each frame draws the runs relative to the object's place on its camera's screen, so colour,
// brightness and alpha-factor tweens need no new layout.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Components/Core/Renderer.h"
#include "System/Common/NameHash.h"

class BitmapFont;

enum TextAlignment : uint8_t {
    eAlign_Left = 0,
    eAlign_Center = 1,
    eAlign_Right = 2,
};

// One run of one colour; x and y are pixel offsets from the object's screen position.
struct TextLine {
    std::string text;
    float x = 0.0f, y = 0.0f;
    uint8_t a = 255, r = 255, g = 255, b = 255;
};

class FontRenderer : public Renderer {
public:
    static const ClassKey s_Class;

    explicit FontRenderer(GameObj* owner);

    // The colour keys, then "renderingCamera", "font", "alignment", "letterSpacing",
    // "lineSpacing", "size" {width, height}, "encoding" (by Lua truth) and "text", which is
    // kept until Start lays it out. Never fails.
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    // Lays out the loaded text, then binds the camera named by the camera tag.
    void Start() override;
    // "MsgSetCamera" names a new camera tag and binds it again.
    void OnMessage(IMessage* message) override;
    // Out of view by a box of twice the size (the size counts as a half extent, beyond the
    // view's own half); culled without a camera.
    bool IsCulled() override;
    // Each run at the object's screen position plus its offset times the world scale, at the
    // object's depth (the font's own depth is restored after). Nothing without a camera or a
    // font at the index.
    void Draw() override;

    // Stores the text and lays it out. Returns the block's size times the world scale: the
    // widest line's laid-out width (tags taken out) and the line pitch times the line count.
    // A final line feed adds no line; with encoding off tags are plain text. A font index
    // outside the font set lays out nothing.
    void SetText(const std::string& text, float& width, float& height);
    void SetText(const std::string& text)
    {
        float w, h;
        SetText(text, w, h);
    }

    const std::string& GetText() const { return m_Text; }
    const std::vector<TextLine>& GetLines() const { return m_Lines; }
    // The font at the index, or null when the set has none there.
    BitmapFont* GetFont() const;
    Camera2D* GetCamera() const { return m_pCamera; }
    uint8_t GetFontIndex() const { return m_nFont; }
    void SetFontIndex(uint8_t index) { m_nFont = index; }
    uint8_t GetAlignment() const { return m_nAlignment; }
    void SetAlignment(uint8_t alignment) { m_nAlignment = alignment; }
    float GetLetterSpacing() const { return m_fLetterSpacing; }
    float GetLineSpacing() const { return m_fLineSpacing; }
    void SetSize(float width, float height) { m_fWidth = width, m_fHeight = height; }
    bool GetEncoding() const { return m_bEncoding; }

private:
    Camera2D* m_pCamera = nullptr;
    NameId m_nCameraTag;
    uint8_t m_nFont = 0;
    float m_fWidth = 0.0f, m_fHeight = 0.0f;
    uint8_t m_nAlignment = eAlign_Left;
    float m_fLetterSpacing = 0.0f, m_fLineSpacing = 0.0f;
    std::string m_Text;
    bool m_bEncoding = false;
    std::vector<TextLine> m_Lines;
};
