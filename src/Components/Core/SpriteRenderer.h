// Sprite renderers: a textured quad at the object's place (SpriteRenderer), a nine-slice frame
// whose borders keep their pixel size (SlicedSpriteRenderer) and a gauge of two flat quads
// (SlideBarRenderer); and TextureAtlas, which gives the object's sprite its image from the atlas
// or from a texture rectangle. Renderers queue into g_pSpriteBatch and queue nothing without it.
#pragma once

#include <cstdint>

#include "Components/Core/Renderer.h"
#include "System/Common/NameHash.h"

class Camera2D;
class ITexture;
class Transform;
struct TextureEntry;

class SpriteRenderer : public Renderer {
public:
    static const ClassKey s_Class;

    explicit SpriteRenderer(GameObj* owner);

    // The colour keys, then "renderingCamera", "blendMode", "addressU", "addressV", "pivot",
    // "size" (also the base size), "offset", "flipV", "flipH". Never fails. Pivot flags shift the
    // quad by half the base size, in this order: 2 right, 4 left, 1 along +y, 8 along -y.
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    // Binds the camera named by the camera tag (null when none holds it), and keeps the owner's
    // Transform at hand for the per-frame reads.
    void Start() override;
    // "MsgSetCamera" names a new camera tag and binds it again.
    void OnMessage(IMessage* message) override;
    // Out of the camera's view by its size; culled without a camera, which draws nothing.
    bool IsCulled() override;
    // One quad; nothing without a camera or with alpha byte 0; untextured without a loaded
    // texture. The batch's blend and address bits are set for it and restored after.
    void Draw() override;

    Camera2D* GetCamera() const { return m_pCamera; }
    NameId GetCameraTag() const { return m_nCameraTag; }
    NameId GetTextureId() const { return m_nTextureId; }
    void SetTextureId(NameId id) { m_nTextureId = id; }
    void SetUVRect(float u0, float v0, float du, float dv) { m_fU0 = u0, m_fV0 = v0, m_fDU = du, m_fDV = dv; }
    void GetUVRect(float uv[4]) const { uv[0] = m_fU0, uv[1] = m_fV0, uv[2] = m_fDU, uv[3] = m_fDV; }
    void SetSize(float width, float height) { m_fWidth = width, m_fHeight = height; }
    float GetWidth() const { return m_fWidth; }
    float GetHeight() const { return m_fHeight; }
    void SetBaseSize(float width, float height) { m_fBaseWidth = width, m_fBaseHeight = height; }
    float GetBaseWidth() const { return m_fBaseWidth; }
    float GetBaseHeight() const { return m_fBaseHeight; }
    void SetOffset(float x, float y) { m_fOffsetX = x, m_fOffsetY = y; }
    float GetOffsetX() const { return m_fOffsetX; }
    float GetOffsetY() const { return m_fOffsetY; }
    void SetFlip(bool flipH, bool flipV) { m_bFlipH = flipH, m_bFlipV = flipV; }
    bool GetFlipH() const { return m_bFlipH; }
    bool GetFlipV() const { return m_bFlipV; }
    uint32_t GetBlendMode() const { return m_nBlendMode; }
    uint32_t GetAddressFlags() const { return m_nAddressFlags; }
    uint8_t GetPivot() const { return m_nPivot; }

protected:
    SpriteRenderer(GameObj* owner, const ClassKey& classKey);

    // What Draw of both sprite classes shares: the texture (null when none is loaded), the
    // entry (null when missing), the screen position, depth, scale, world angle, pivot and UV
    // after flips. Pivot flags shift by half of (pivotWidth, pivotHeight).
    struct Quad {
        TextureEntry* entry;
        ITexture* texture;
        float screenX, screenY, depth, scaleX, scaleY, angle;
        float pivotX, pivotY, u0, v0, du, dv;
        float r, g, b, a;
    };
    void Prepare(Quad& quad, float pivotWidth, float pivotHeight) const;
    const Transform* OwnerTransform() const;
    // Sets the batch's blend and address bits; returns the word to restore.
    uint32_t ApplyRenderState() const;
    static void RestoreRenderState(uint32_t saved);

    NameId m_nCameraTag;
    uint32_t m_nBlendMode = 1;
    uint32_t m_nAddressFlags = 0;
    uint8_t m_nPivot = 0;
    float m_fWidth = 0.0f, m_fHeight = 0.0f;
    float m_fBaseWidth = 0.0f, m_fBaseHeight = 0.0f;
    float m_fOffsetX = 0.0f, m_fOffsetY = 0.0f;
    bool m_bFlipH = false, m_bFlipV = false;
    Camera2D* m_pCamera = nullptr;
    Transform* m_pTransform = nullptr; // the owner's, from Start; read through the owner before
    NameId m_nTextureId = 0;
    float m_fU0 = 0.0f, m_fV0 = 0.0f, m_fDU = 0.0f, m_fDV = 0.0f;
};

class SlicedSpriteRenderer : public SpriteRenderer {
public:
    static const ClassKey s_Class;

    explicit SlicedSpriteRenderer(GameObj* owner);

    // The sprite's keys, the draw size from the size, then "border" {left, right, top, bottom}
    // truncated to whole pixels (0 when absent).
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    // Nine cells: corners at their pixel size, edges and middle stretched to the draw size.
    // Borders wider than the draw size shrink in proportion; nothing without a texture.
    void Draw() override;

    void SetDrawSize(float width, float height) { m_fDrawWidth = width, m_fDrawHeight = height; }
    float GetDrawWidth() const { return m_fDrawWidth; }
    float GetDrawHeight() const { return m_fDrawHeight; }
    void SetBorder(int32_t left, int32_t top, int32_t right, int32_t bottom)
    {
        m_nLeft = left, m_nTop = top, m_nRight = right, m_nBottom = bottom;
    }
    int32_t GetBorderLeft() const { return m_nLeft; }
    int32_t GetBorderRight() const { return m_nRight; }

private:
    int32_t m_nLeft = 0, m_nTop = 0, m_nRight = 0, m_nBottom = 0;
    float m_fDrawWidth = 0.0f, m_fDrawHeight = 0.0f;
};

class SlideBarRenderer : public Renderer {
public:
    static const ClassKey s_Class;

    explicit SlideBarRenderer(GameObj* owner);

    // The colour keys ("color" is also the bar's), "size" {width, height} (0 when absent) and
    // "undercoatCol".
    bool Load(lua_State* L) override;
    bool IsKindOf(TypeKey key) const override;
    // Captures the parent's and its own Transform, its local position and the game camera;
    // later moves of its own Transform do not move the bar.
    void Start() override;
    bool IsCulled() override;
    // The undercoat a hair behind, then the fill from the left by the ratio; nothing without a
    // camera or a parent.
    void Draw() override;

    void SetFillRatio(float ratio) { m_fFillRatio = ratio; }
    float GetFillRatio() const { return m_fFillRatio; }
    float GetWidth() const { return m_fWidth; }
    float GetHeight() const { return m_fHeight; }
    uint32_t GetBarColor() const { return m_nBarColor; }
    uint32_t GetUndercoatColor() const { return m_nUndercoatColor; }

private:
    float m_fWidth = 0.0f, m_fHeight = 0.0f;
    uint32_t m_nBarColor = 0xFFFFFFFFu;
    uint32_t m_nUndercoatColor = 0xFFFFFFFFu;
    float m_fLocalX = 0.0f, m_fLocalY = 0.0f, m_fLocalZ = 0.0f;
    Transform* m_pParentTransform = nullptr;
    Transform* m_pTransform = nullptr;
    Camera2D* m_pCamera = nullptr;
    float m_fFillRatio = 1.0f;
};

class TextureAtlas : public Component {
public:
    static const ClassKey s_Class;

    explicit TextureAtlas(GameObj* owner);

    // "atlasName" (non-empty), else "atlasInfo" {texture, uvRect {x, y, width, height},
    // offset {x, y}}. A texture the table lacks leaves UV and size 0, with an error.
    bool Load(lua_State* L) override;
    // Holds a use of its texture until Detach (resident textures are left alone).
    bool Attach() override;
    void Detach() override;
    bool IsKindOf(TypeKey key) const override;
    // Applies itself to the owner's first SpriteRenderer.
    void Start() override;

    // Takes the atlas entry's image when the atlas holds the id (an unknown id keeps the old
    // one), then applies itself; the owner's sprite, or null. While attached, the use moves to
    // the new texture.
    SpriteRenderer* SetAtlasEntry(NameId id);
    // Copies texture, UV rectangle, sizes and offset into the owner's first SpriteRenderer.
    SpriteRenderer* Apply();

    NameId GetTextureId() const { return m_nTextureId; }
    void GetUVRect(float uv[4]) const { uv[0] = m_fU0, uv[1] = m_fV0, uv[2] = m_fDU, uv[3] = m_fDV; }
    int32_t GetWidth() const { return m_nWidth; }
    int32_t GetHeight() const { return m_nHeight; }
    int32_t GetBaseWidth() const { return m_nBaseWidth; }
    int32_t GetBaseHeight() const { return m_nBaseHeight; }
    float GetOffsetX() const { return m_fOffsetX; }
    float GetOffsetY() const { return m_fOffsetY; }

private:
    NameId m_nTextureId = 0;
    float m_fU0 = 0.0f, m_fV0 = 0.0f, m_fDU = 0.0f, m_fDV = 0.0f;
    int32_t m_nWidth = 0, m_nHeight = 0;
    int32_t m_nBaseWidth = 0, m_nBaseHeight = 0;
    float m_fOffsetX = 0.0f, m_fOffsetY = 0.0f;
    bool m_bAttached = false;
};
