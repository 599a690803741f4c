// The sprite batch: every 2D quad of a frame (sprites, glyphs, gauges, the fade) is queued here
// during the draw pass and drawn once, late in the tick, by vertex-shader-constant instancing:
// a static vertex buffer holds 42 copies of a unit quad, each vertex knowing the first constant
// register of its copy, and each queued sprite is six constant registers. Batches are keyed by
// depth band, render-state word and texture, and drawn far to near, 42 sprites per draw call.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "System/Common/NameHash.h"

class ITexture;
class IVertexBuffer;
class IVertexDeclaration;
class IShaderProgram;

// Render-state word: bits 0-2 the blend mode, 0x10 wrap in U, 0x20 wrap in V (else clamp).
enum eBlendMode : uint32_t {
    eBlendMode_Alpha = 1,
    eBlendMode_Add = 2,
    eBlendMode_Multiply = 4,
};
constexpr uint32_t kRenderStateBlendMask = 0x7;
constexpr uint32_t kRenderStateWrapU = 0x10;
constexpr uint32_t kRenderStateWrapV = 0x20;

constexpr uint32_t kSpritesPerDraw = 42;
constexpr float kScreenWidth = 960.0f;
constexpr float kScreenHeight = 540.0f;
constexpr float kNearestDepth = 0.1f;
constexpr float kFarthestDepth = 100.0f;

extern const char* const kInstancingVertexShaderName;
extern const char* const kInstancingPixelShaderName;

// Six float4 constants: the transposed world matrix (translation in the fourth components of
// the first three), the colour (r, g, b, a) and the texture rectangle (u0, v0, du, dv).
struct SpriteDrawRecord {
    float matrix[4][4];
    float color[4];
    float uv[4];
};
static_assert(sizeof(SpriteDrawRecord) == 96, "six constant registers");

// Drawing order, ascending: upper half ((0xFFFF - depth band) << 16 | render-state word), lower
// half the texture's material key.
typedef uint64_t SpriteBatchKey;
// The depth band of z: the low 16 bits of (z - 0.1) * 0.01001 * 65535 truncated.
uint32_t SpriteDepthBand(float depth);
SpriteBatchKey MakeSpriteBatchKey(float depth, uint32_t renderState, NameId materialKey);

// out = a x b for row-major 4 x 4 matrices (a point transforms as p x M); out may be a or b.
void MatrixMultiply4x4(const float* a, const float* b, float* out);

struct SpriteBlock {
    uint32_t count = 0;
    std::vector<SpriteDrawRecord> records;
};

struct SpriteBatchEntry {
    uint32_t renderState = 0;
    ITexture* texture = nullptr; // the texture of the first sprite queued since the last reset
    std::vector<SpriteBlock> blocks; // kept allocated between frames; the first blockCount are in use
    uint32_t blockCount = 0;
};

class SpriteBatch {
public:
    SpriteBatch() = default;
    ~SpriteBatch();
    SpriteBatch(const SpriteBatch&) = delete;
    SpriteBatch& operator=(const SpriteBatch&) = delete;

    // Creates the vertex declaration, the two vertex buffers and the two shaders; false (with an
    // ERROR) when the render system or a shader is missing.
    bool Initialize();

    // Source rectangle in texels; colour 0xAARRGGBB; angle in radians; depth 0 = the default.
    void DrawRect(ITexture* texture, float x, float y, float width, float height, float centerX, float centerY,
                  float srcX, float srcY, float srcWidth, float srcHeight, float scaleX, float scaleY, float angle,
                  uint32_t color, float depth);
    // Normalised texture rectangle; colour as four floats; depth 0 = the default.
    void DrawSprite(float depth, ITexture* texture, float x, float y, float width, float height, float centerX,
                    float centerY, float scaleX, float scaleY, float angle, float u0, float v0, float du, float dv,
                    float r, float g, float b, float a);

    // Draws everything queued, far to near, then empties the batches.
    void Render();
    // Drops the batches that received no sprite since the last reset and empties the others.
    void ResetFrame();
    // Frees every batch and the device objects.
    void Release();
    static void Destroy(SpriteBatch* batch);

    uint32_t GetRenderState() const { return m_nRenderState; }
    void SetRenderState(uint32_t word) { m_nRenderState = word; }
    float GetDefaultDepth() const { return m_fDefaultDepth; }
    void SetDefaultDepth(float depth) { m_fDefaultDepth = depth; }

    size_t GetBatchCount() const { return m_Batches.size(); }
    // The batches in drawing order: what the frame has queued so far.
    const std::map<SpriteBatchKey, SpriteBatchEntry*>& GetBatches() const { return m_Batches; }
    uint32_t GetQueuedSpriteCount() const;
    // Draw calls issued by the last Render.
    uint32_t GetLastDrawCalls() const { return m_nLastDrawCalls; }

private:
    SpriteDrawRecord* Queue(float depth, ITexture*& texture);

    IVertexDeclaration* m_pDeclaration = nullptr;
    IVertexBuffer* m_pQuadStream = nullptr;     // stream 0: 42 copies of the quad template
    IVertexBuffer* m_pRegisterStream = nullptr; // stream 1: each vertex's first constant register
    IShaderProgram* m_pVertexShader = nullptr;
    IShaderProgram* m_pPixelShader = nullptr;
    uint32_t m_nRenderState = eBlendMode_Alpha;
    float m_fDefaultDepth = 1.0f;
    std::map<SpriteBatchKey, SpriteBatchEntry*> m_Batches;
    uint32_t m_nLastDrawCalls = 0;
    bool m_bReady = false; // the device objects and both shaders exist
};

extern SpriteBatch* g_pSpriteBatch;
