#include "System/Graphics/SpriteBatch.h"

#include <cmath>
#include <cstring>
#include <string>

#include "Platform/D3D9/D3D9.h"
#include "System/Archive/ArchiveSystem.h"
#include "System/Common/Log.h"
#include "System/Common/StreamIO.h"
#include "System/Graphics/D3D9Texture.h"
#include "System/Graphics/D3D9RenderSystem.h"
#include "System/Graphics/D3D9ShaderProgram.h"
#include "System/Graphics/D3D9VertexBuffer.h"
#include "System/Graphics/D3D9VertexDeclaration.h"
#include "System/Graphics/RenderSystem.h"

SpriteBatch* g_pSpriteBatch = nullptr;

const char* const kInstancingVertexShaderName = "assets.v1/shaders/instancing_vs";
const char* const kInstancingPixelShaderName = "assets.v1/shaders/instancing_ps";

namespace {

constexpr uint32_t kVerticesPerQuad = 6;
constexpr uint32_t kVertexCount = kSpritesPerDraw * kVerticesPerQuad; // 252
constexpr uint32_t kFirstRecordRegister = 4;
constexpr uint32_t kRegistersPerSprite = 6;
constexpr uint32_t kNoPreviousState = 0xFF;

struct QuadVertex {
    float x, y, z;
    uint32_t color;
    float u, v;
};
static_assert(sizeof(QuadVertex) == 24, "stream 0 stride");

constexpr QuadVertex kQuadTemplate[kVerticesPerQuad] = {
    {-0.5f, -0.5f, 0.0f, 0xFFFFFFFF, 0.0f, 0.0f}, {0.5f, -0.5f, 0.0f, 0xFFFFFFFF, 1.0f, 0.0f},
    {-0.5f, 0.5f, 0.0f, 0xFFFFFFFF, 0.0f, 1.0f},  {-0.5f, 0.5f, 0.0f, 0xFFFFFFFF, 0.0f, 1.0f},
    {0.5f, -0.5f, 0.0f, 0xFFFFFFFF, 1.0f, 0.0f},  {0.5f, 0.5f, 0.0f, 0xFFFFFFFF, 1.0f, 1.0f},
};

// Screen (960 x 540, y down, depth 0.1..100) to clip space, one row per register.
const float kProjection[16] = {
    2.0f / 960.0f, 0.0f, 0.0f, -1.0f, //
    0.0f, -2.0f / 540.0f, 0.0f, 1.0f, //
    0.0f, 0.0f, 0.01001f, -0.001001f, //
    0.0f, 0.0f, 0.0f, 1.0f,
};

// Element type codes: 0 FLOAT1, 1 FLOAT2, 2 FLOAT3, 4 D3DCOLOR; usages: 0 position,
// 1 blend weight, 4 colour, 6 texture coordinate.
const VertexElement kSpriteVertexElements[4] = {
    {0, 0, 2, 0},
    {0, 12, 4, 4},
    {0, 16, 1, 6},
    {1, 0, 0, 1},
};

// A texture without a size, or one whose image failed to decode, draws the sprite untextured:
// its size would put infinities into the texture rectangle, and its sampler reads nothing.
bool HasImage(ITexture* texture)
{
    return texture && texture->GetWidth() != 0 && texture->GetHeight() != 0 &&
           static_cast<D3D9Texture*>(texture)->GetD3DTexture() != nullptr;
}

void ApplyBlendMode(IDirect3DDevice9* device, uint32_t mode)
{
    switch (mode) {
    case eBlendMode_Alpha:
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        break;
    case eBlendMode_Add:
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
        break;
    case eBlendMode_Multiply:
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ZERO);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_SRCCOLOR);
        break;
    default:
        break;
    }
}

// Fills the record's matrix registers: size, pivot, scale, rotation, then the position.
void SetWorldMatrix(SpriteDrawRecord& record, float x, float y, float depth, float width, float height,
                    float centerX, float centerY, float scaleX, float scaleY, float angle)
{
    // Rows of M before the translation: (w sx c, w sx s), (-h sy s, h sy c), pivot row
    // (cx sx c - cy sy s, cx sx s + cy sy c); c = 1, s = 0 without a turn.
    float c = 1.0f, s = 0.0f;
    if (angle != 0.0f) {
        c = std::cos(angle);
        s = std::sin(angle);
    }
    const float ax = width * scaleX, ay = height * scaleY;
    const float px = centerX * scaleX, py = centerY * scaleY;
    float(*m)[4] = record.matrix; // m[k] = column k of M
    m[0][0] = ax * c;
    m[0][1] = -(ay * s);
    m[0][2] = 0.0f;
    m[0][3] = px * c - py * s + x;
    m[1][0] = ax * s;
    m[1][1] = ay * c;
    m[1][2] = 0.0f;
    m[1][3] = px * s + py * c + y;
    m[2][0] = 0.0f;
    m[2][1] = 0.0f;
    m[2][2] = 1.0f;
    m[2][3] = depth;
    m[3][0] = 0.0f;
    m[3][1] = 0.0f;
    m[3][2] = 0.0f;
    m[3][3] = 1.0f;
}

IDirect3DVertexShader9* VertexShaderOf(IShaderProgram* program)
{
    return program ? static_cast<D3D9VertexShader*>(program)->GetShader() : nullptr;
}

IDirect3DPixelShader9* PixelShaderOf(IShaderProgram* program)
{
    return program ? static_cast<D3D9PixelShader*>(program)->GetShader() : nullptr;
}

bool LoadShader(IShaderProgram* program, const char* name)
{
    StreamIO* stream = g_pArchiveSystem ? g_pArchiveSystem->Open(HashName(name)) : nullptr;
    if (!stream) {
        LOG_ERROR << "The shader " << name << " is not in the archives; sprites cannot be drawn.";
        return false;
    }
    const std::string source = ReadStreamToString(*stream);
    delete stream;
    program->SetSource(source);
    return true;
}

} // namespace

uint32_t SpriteDepthBand(float depth)
{
    const double scaled = (double(depth) - double(0.1f)) * double(0.01001f) * 65535.0;
    // Depths outside 0.1..100 wrap around in the band, as the key keeps only 16 bits; values
    // beyond any integer (or NaN) give band 0 instead of an undefined conversion.
    if (!(std::fabs(scaled) < 9.0e18))
        return 0;
    return static_cast<uint32_t>(static_cast<int64_t>(scaled)) & 0xFFFFu;
}

SpriteBatchKey MakeSpriteBatchKey(float depth, uint32_t renderState, NameId materialKey)
{
    const uint32_t upper = ((0xFFFFu - SpriteDepthBand(depth)) << 16) | renderState;
    return (SpriteBatchKey(upper) << 32) | materialKey;
}

void MatrixMultiply4x4(const float* a, const float* b, float* out)
{
    float result[16];
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            result[row * 4 + col] = a[row * 4 + 0] * b[0 * 4 + col] + a[row * 4 + 1] * b[1 * 4 + col] +
                                    a[row * 4 + 2] * b[2 * 4 + col] + a[row * 4 + 3] * b[3 * 4 + col];
    std::memcpy(out, result, sizeof result);
}

SpriteBatch::~SpriteBatch() { Release(); }

bool SpriteBatch::Initialize()
{
    if (!g_pRenderSystem) {
        LOG_ERROR << "The sprite batch needs the render system.";
        return false;
    }
    m_pDeclaration = g_pRenderSystem->CreateVertexDeclaration(kSpriteVertexElements, 4);
    m_pQuadStream = g_pRenderSystem->CreateVertexBuffer(sizeof(QuadVertex), kVertexCount, eBufferUsage_WriteOnly, false);
    m_pRegisterStream = g_pRenderSystem->CreateVertexBuffer(sizeof(float), kVertexCount, eBufferUsage_WriteOnly, false);

    auto* quads = static_cast<uint8_t*>(m_pQuadStream->LockAll(eLockMode_Write));
    auto* registers = static_cast<uint8_t*>(m_pRegisterStream->LockAll(eLockMode_Write));
    for (uint32_t n = 0; n < kSpritesPerDraw; ++n) {
        std::memcpy(quads + sizeof kQuadTemplate * n, kQuadTemplate, sizeof kQuadTemplate);
        const float base = float(kFirstRecordRegister + kRegistersPerSprite * n);
        for (uint32_t v = 0; v < kVerticesPerQuad; ++v)
            std::memcpy(registers + sizeof(float) * (kVerticesPerQuad * n + v), &base, sizeof base);
    }
    m_pQuadStream->Unlock();
    m_pRegisterStream->Unlock();

    m_pVertexShader = g_pRenderSystem->CreateShaderProgram(eShaderKind_Vertex);
    m_pPixelShader = g_pRenderSystem->CreateShaderProgram(eShaderKind_Pixel);
    const bool loaded = LoadShader(m_pVertexShader, kInstancingVertexShaderName) &&
                        LoadShader(m_pPixelShader, kInstancingPixelShaderName);
    // Without both shaders the quads would go through the fixed-function stages untransformed.
    m_bReady = loaded && VertexShaderOf(m_pVertexShader) && PixelShaderOf(m_pPixelShader);
    if (loaded && !m_bReady)
        LOG_ERROR << "The sprite shaders did not build; sprites cannot be drawn.";
    m_nRenderState = eBlendMode_Alpha;
    m_fDefaultDepth = 1.0f;
    return m_bReady;
}

SpriteDrawRecord* SpriteBatch::Queue(float depth, ITexture*& texture)
{
    if (!HasImage(texture))
        texture = nullptr;
    const SpriteBatchKey key = MakeSpriteBatchKey(depth, m_nRenderState, texture ? texture->GetUserData() : 0);
    auto it = m_Batches.find(key);
    if (it == m_Batches.end()) {
        auto* batch = new SpriteBatchEntry;
        batch->renderState = m_nRenderState;
        it = m_Batches.emplace(key, batch).first;
    }
    SpriteBatchEntry* batch = it->second;
    if (batch->blockCount == 0) {
        // The batch draws with the texture of its first sprite of the frame, never with one
        // kept from an earlier frame, which its owner may have deleted since.
        batch->texture = texture;
    }
    if (batch->blockCount == 0 || batch->blocks[batch->blockCount - 1].count >= kSpritesPerDraw) {
        if (batch->blockCount == batch->blocks.size())
            batch->blocks.emplace_back().records.resize(kSpritesPerDraw);
        batch->blocks[batch->blockCount++].count = 0;
    }
    SpriteBlock& block = batch->blocks[batch->blockCount - 1];
    return &block.records[block.count++];
}

void SpriteBatch::DrawRect(ITexture* texture, float x, float y, float width, float height, float centerX,
                           float centerY, float srcX, float srcY, float srcWidth, float srcHeight, float scaleX,
                           float scaleY, float angle, uint32_t color, float depth)
{
    if (depth == 0.0f)
        depth = m_fDefaultDepth;
    SpriteDrawRecord& record = *Queue(depth, texture);
    SetWorldMatrix(record, x, y, depth, width, height, centerX, centerY, scaleX, scaleY, angle);
    const float toUnit = 0.003921569f;
    record.color[0] = float((color >> 16) & 0xFF) * toUnit;
    record.color[1] = float((color >> 8) & 0xFF) * toUnit;
    record.color[2] = float(color & 0xFF) * toUnit;
    record.color[3] = float(color >> 24) * toUnit;
    if (texture) {
        const float w = float(texture->GetWidth()), h = float(texture->GetHeight());
        record.uv[0] = srcX / w + 0.5f / w;
        record.uv[1] = srcY / h + 0.5f / h;
        record.uv[2] = srcWidth / w;
        record.uv[3] = srcHeight / h;
    } else {
        record.uv[0] = record.uv[1] = record.uv[2] = record.uv[3] = 0.0f;
    }
}

void SpriteBatch::DrawSprite(float depth, ITexture* texture, float x, float y, float width, float height,
                             float centerX, float centerY, float scaleX, float scaleY, float angle, float u0, float v0,
                             float du, float dv, float r, float g, float b, float a)
{
    if (depth == 0.0f)
        depth = m_fDefaultDepth;
    SpriteDrawRecord& record = *Queue(depth, texture);
    SetWorldMatrix(record, x, y, depth, width, height, centerX, centerY, scaleX, scaleY, angle);
    record.color[0] = r;
    record.color[1] = g;
    record.color[2] = b;
    record.color[3] = a;
    if (texture) {
        const float w = float(texture->GetWidth()), h = float(texture->GetHeight());
        record.uv[0] = u0 + 0.5f / w;
        record.uv[1] = v0 + 0.5f / h;
        record.uv[2] = du;
        record.uv[3] = dv;
    } else {
        record.uv[0] = record.uv[1] = record.uv[2] = record.uv[3] = 0.0f;
    }
}

void SpriteBatch::Render()
{
    m_nLastDrawCalls = 0;
    IDirect3DDevice9* device = GetD3DDevice();
    if (!device || !m_bReady || !VertexShaderOf(m_pVertexShader)) {
        ResetFrame();
        return;
    }
    device->SetVertexShaderConstantF(0, kProjection, 4);
    device->SetVertexDeclaration(static_cast<D3D9VertexDeclaration*>(m_pDeclaration)->GetD3DDeclaration());
    device->SetVertexShader(VertexShaderOf(m_pVertexShader));
    device->SetStreamSource(0, static_cast<D3D9VertexBuffer*>(m_pQuadStream)->GetD3DBuffer(), 0, sizeof(QuadVertex));
    device->SetStreamSource(1, static_cast<D3D9VertexBuffer*>(m_pRegisterStream)->GetD3DBuffer(), 0, sizeof(float));

    uint32_t previous = kNoPreviousState;
    bool first = true;
    for (const auto& [key, batch] : m_Batches) {
        if (batch->blockCount == 0)
            continue;
        const uint32_t state = batch->renderState;
        if ((state & kRenderStateBlendMask) != (previous & kRenderStateBlendMask))
            ApplyBlendMode(device, state & kRenderStateBlendMask);
        // The first batch of a frame sets the address modes whatever its bits: the states left
        // from the scene's start are not known to match them.
        if (first || (state & (kRenderStateWrapU | kRenderStateWrapV)) !=
                          (previous & (kRenderStateWrapU | kRenderStateWrapV))) {
            device->SetSamplerState(0, D3DSAMP_ADDRESSU, (state & kRenderStateWrapU) ? D3DTADDRESS_WRAP : D3DTADDRESS_CLAMP);
            device->SetSamplerState(0, D3DSAMP_ADDRESSV, (state & kRenderStateWrapV) ? D3DTADDRESS_WRAP : D3DTADDRESS_CLAMP);
        }
        previous = state;
        first = false;
        device->SetTexture(0, batch->texture ? static_cast<D3D9Texture*>(batch->texture)->GetD3DTexture() : nullptr);
        device->SetPixelShader(batch->texture ? PixelShaderOf(m_pPixelShader) : nullptr);
        for (uint32_t i = 0; i < batch->blockCount; ++i) {
            const SpriteBlock& block = batch->blocks[i];
            device->SetVertexShaderConstantF(kFirstRecordRegister, &block.records[0].matrix[0][0],
                                             kRegistersPerSprite * block.count);
            device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2 * block.count);
            ++m_nLastDrawCalls;
        }
    }
    device->SetVertexDeclaration(nullptr);
    device->SetVertexShader(nullptr);
    device->SetPixelShader(nullptr);
    ResetFrame();
}

void SpriteBatch::ResetFrame()
{
    for (auto it = m_Batches.begin(); it != m_Batches.end();) {
        SpriteBatchEntry* batch = it->second;
        if (batch->blockCount == 0) {
            delete batch;
            it = m_Batches.erase(it);
            continue;
        }
        batch->blockCount = 0;
        batch->texture = nullptr;
        ++it;
    }
}

uint32_t SpriteBatch::GetQueuedSpriteCount() const
{
    uint32_t count = 0;
    for (const auto& [key, batch] : m_Batches)
        for (uint32_t i = 0; i < batch->blockCount; ++i)
            count += batch->blocks[i].count;
    return count;
}

void SpriteBatch::Release()
{
    for (auto& [key, batch] : m_Batches)
        delete batch;
    m_Batches.clear();
    delete m_pPixelShader;
    delete m_pVertexShader;
    delete m_pRegisterStream;
    delete m_pQuadStream;
    delete m_pDeclaration;
    m_pPixelShader = m_pVertexShader = nullptr;
    m_pRegisterStream = m_pQuadStream = nullptr;
    m_pDeclaration = nullptr;
    m_bReady = false;
}

void SpriteBatch::Destroy(SpriteBatch* batch)
{
    if (batch == g_pSpriteBatch)
        g_pSpriteBatch = nullptr;
    delete batch;
}
