// Makes its object's sprite a parallax backdrop behind the game camera: every late pass it moves
// the sprite's UV window over a wrapping texture and keeps the quad in front of the camera.
#pragma once

#include <cstdint>

#include "World/Component.h"

class Camera2D;
class SpriteRenderer;
class TextureAtlas;
class Transform;

class BackgroundLayer : public Component {
public:
    static const ClassKey s_Class;
    // The stage height the vertical scroll spans.
    static constexpr double kStageHeight = 2000.0;

    explicit BackgroundLayer(GameObj* owner);

    // "layer" (0: sideways, 1: sideways and up and down) and "scroll", the parallax divisor.
    // Never fails.
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    // Binds the owner's sprite and atlas and the "GameCamera", and sizes the scroll. Without one
    // of them, or with an atlas of no size, the layer stays idle with one error.
    void Start() override;
    void LateUpdate() override;

    // Layer 0: the texture scrolls at 1/scroll of the camera's speed, the quad keeps its height.
    void ScrollX();
    // Layer 1: also vertically, over the part of the texture taller than the screen.
    void ScrollXY();

    // Started with everything it needs: only then does the late pass move it.
    bool IsBound() const { return m_bBound; }

    int32_t m_nLayer = -1;
    float m_fScroll = 0.0f;
    float m_fScrollWidth = 0.0f;
    float m_fVerticalRange = 0.0f;
    float m_fAtlasWidth = 0.0f, m_fAtlasHeight = 0.0f;
    float m_fScreenWidth = 0.0f, m_fScreenHeight = 0.0f;

private:
    // The U offset of a camera x; 0 when the scroll width is 0.
    double OffsetU(double cameraX, double halfWidth) const;
    // The object's world position written as local values against its parent.
    void PlaceAt(float x, float y);

    Transform* m_pTransform = nullptr;
    SpriteRenderer* m_pSprite = nullptr;
    TextureAtlas* m_pAtlas = nullptr;
    Camera2D* m_pCamera = nullptr;
    bool m_bBound = false;
};
