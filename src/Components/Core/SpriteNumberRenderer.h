// An integer drawn with one atlas sprite per digit: a fixed count of digits, leading zeros
// optionally hidden, aligned on the object, a step between digits and a scale ramp from the
// first digit to the last.
#pragma once

#include <cstdint>
#include <vector>

#include "Components/Core/Renderer.h"
#include "System/Common/NameHash.h"

class SpriteNumberRenderer : public Renderer {
public:
    static const ClassKey s_Class;
    // More digits than this are refused at Load: beyond ten they are all zeros anyway.
    static constexpr int32_t kMaxDigits = 64;

    explicit SpriteNumberRenderer(GameObj* owner);

    // The colour keys, "renderingCamera", "max_digit" (0..64, else an error and 0), "hidden_zero", "alignment", "number"
    // (the list is built even for 0), "sprite_names" (the ten digits' atlas names; more are
    // ignored), "scale" {left, right} and "padding" {x, y}. Never fails.
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    void Start() override;
    // "MsgSetCamera" names a new camera tag and binds it again.
    void OnMessage(IMessage* message) override;
    // One sprite per digit, most significant first; a digit whose sprite the atlas lacks is
    // skipped and the next keeps its place. Nothing without a camera or with alpha byte 0.
    void Draw() override;

    // Rebuilds the digits unless the number is the one shown: max_digit digits from the least
    // significant (so higher ones are cut), or only the significant ones with hidden_zero. A
    // negative number shows as 0.
    void SetNumber(int32_t number);

    int32_t GetNumber() const { return m_nNumber; }
    // Most significant first.
    const std::vector<uint8_t>& GetDigits() const { return m_Digits; }
    Camera2D* GetCamera() const { return m_pCamera; }
    int32_t GetMaxDigit() const { return m_nMaxDigit; }
    NameId GetDigitSprite(int digit) const { return m_aSprites[digit]; }
    // The ten digits' atlas names, digit 0 first; the shown digits take them at the next draw.
    void SetDigitSprites(const NameId (&sprites)[10])
    {
        for (int i = 0; i < 10; ++i)
            m_aSprites[i] = sprites[i];
    }
    // The step from one digit to the next ("padding").
    void SetPadding(float x, float y) { m_fStepX = x, m_fStepY = y; }
    float GetPaddingX() const { return m_fStepX; }

private:
    void BuildDigits();

    int32_t m_nNumber = 0;
    int32_t m_nMaxDigit = 0;
    NameId m_nCameraTag;
    NameId m_aSprites[10] = {};
    float m_fScaleLeft = 1.0f, m_fScaleRight = 1.0f;
    float m_fStepX = 0.0f, m_fStepY = 0.0f;
    uint8_t m_nAlignment = 1;
    bool m_bHiddenZero = false;
    Camera2D* m_pCamera = nullptr;
    std::vector<uint8_t> m_Digits;
};
