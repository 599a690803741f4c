#include "System/Movie/MoviePlayer.h"

#include "Platform/D3DX/D3DX9.h"
#include "System/Archive/ArchiveSystem.h"
#include "System/Common/FrameCounter.h"
#include "System/Common/FrameStats.h"
#include "System/Common/Log.h"
#include "System/Common/NameHash.h"
#include "System/Graphics/D3D9RenderSystem.h"
#include "System/Graphics/D3D9Texture.h"
#include "System/Graphics/D3D9VertexBuffer.h"
#include "System/Movie/MovieDecoder.h"

namespace {

struct QuadVertex {
    float x, y, z;
    uint32_t colour;
    float u, v;
};
static_assert(sizeof(QuadVertex) == 24);

} // namespace

MoviePlayer::~MoviePlayer()
{
    Close();
}

bool MoviePlayer::Open(NameId movie, int frameSlots, int soundBlocks)
{
    // An open movie would otherwise be lost with its texture and threads.
    Close();
    ++g_FrameStats.moviesOpened;
    StreamIO* stream = g_pArchiveSystem ? g_pArchiveSystem->Open(movie) : nullptr;
    if (!stream) {
        LOG_ERROR << "Movie " << DescribeNameId(movie) << " is not in the archives.";
        return false;
    }
    m_pDecoder = new MovieDecoder();
    if (!m_pDecoder->Open(stream, frameSlots, soundBlocks))
        return false;

    const th_info& info = m_pDecoder->GetVideoInfo();
    const float w = static_cast<float>(info.frame_width);
    const float h = static_cast<float>(info.frame_height);
    // Texel centres on pixel centres.
    const float u0 = 0.5f / w, v0 = 0.5f / h, u1 = 1.0f + 0.5f / w, v1 = 1.0f + 0.5f / h;
    const QuadVertex quad[6] = {
        {0, 0, 0, 0xFFFFFFFFu, u0, v0}, {w, 0, 0, 0xFFFFFFFFu, u1, v0}, {0, h, 0, 0xFFFFFFFFu, u0, v1},
        {0, h, 0, 0xFFFFFFFFu, u0, v1}, {w, 0, 0, 0xFFFFFFFFu, u1, v0}, {w, h, 0, 0xFFFFFFFFu, u1, v1},
    };
    if (g_pRenderSystem) {
        m_pQuad = g_pRenderSystem->CreateVertexBuffer(sizeof(QuadVertex), 6, eBufferUsage_WriteOnly, false);
        if (m_pQuad)
            m_pQuad->Write(0, sizeof quad, quad);
        m_pTexture = g_pRenderSystem->CreateTexture();
        if (m_pTexture)
            m_pTexture->Create(info.frame_width, info.frame_height, eTextureUsage_RenderTarget,
                               eTextureFormat_A8R8G8B8);
    }

    m_fClock = 0.0f;
    m_fDueTime = 0.0f;
    m_nFrameNumber = 0;
    m_nLastResult = MovieDecoder::eGetFrame_Taken;
    m_bOpen = true;
    m_bLoop = false;
    m_bPlaying = false;
    m_pDecoder->Start();
    // In the opening frame, which is slow anyway: the next frames find their pictures decoded
    // instead of each waiting for one while the decoder has no lead.
    m_pDecoder->WaitForFrames(kLeadFrames);
    return true;
}

void MoviePlayer::Close()
{
    delete m_pTexture;
    m_pTexture = nullptr;
    delete m_pQuad;
    m_pQuad = nullptr;
    delete m_pDecoder;
    m_pDecoder = nullptr;
    m_fClock = 0.0f;
    m_fDueTime = 0.0f;
    m_nFrameNumber = 0;
    m_nLastResult = MovieDecoder::eGetFrame_Taken;
    m_bOpen = false;
    m_bLoop = false;
    m_bPlaying = false;
}

void MoviePlayer::Update()
{
    Advance(GetAppDeltaTime());
}

void MoviePlayer::Advance(float seconds)
{
    if (!m_bPlaying || !m_bOpen || !m_pDecoder)
        return;
    m_pDecoder->SetLoop(m_bLoop);
    m_fClock += seconds;
    if (m_fClock < m_fDueTime)
        return;
    bool restarted = false;
    // A slow frame skips frames until the clock is caught up; each one is still copied.
    while (m_fClock >= m_fDueTime) {
        if (m_nLastResult == MovieDecoder::eGetFrame_Ended) {
            if (!m_bLoop) {
                m_bPlaying = false;
                return;
            }
            // One loop per update: a movie that has no frames at all must not spin here.
            if (restarted)
                return;
            m_fClock = 0.0f;
            m_fDueTime = 0.0f;
            m_nFrameNumber = 0;
            m_nLastResult = MovieDecoder::eGetFrame_Taken;
            m_pDecoder->Restart();
            restarted = true;
        }
        // The picture goes from its ring slot into the texture, replacing all of it; a repeated
        // frame leaves the texture as it is.
        const uint8_t* pixels = nullptr;
        m_nLastResult = m_pDecoder->TakeFrame(pixels, m_nFrameNumber, m_fDueTime);
        if (m_nLastResult == MovieDecoder::eGetFrame_Taken) {
            if (pixels && m_pTexture)
                m_pTexture->WritePixels(0, static_cast<uint32_t>(m_pDecoder->GetFrameSize()), pixels);
            m_pDecoder->ReleaseFrame();
        }
        // A stopped decoder leaves the texture and the clock as they are.
        if (m_nLastResult == MovieDecoder::eGetFrame_Stopped)
            return;
    }
}

void MoviePlayer::Draw()
{
    Update();
    IDirect3DDevice9* device = GetD3DDevice();
    D3D9VertexBuffer* quad = dynamic_cast<D3D9VertexBuffer*>(m_pQuad);
    D3D9Texture* texture = dynamic_cast<D3D9Texture*>(m_pTexture);
    if (!device || !quad || !texture || !m_pDecoder)
        return;
    device->SetStreamSource(0, quad->GetD3DBuffer(), 0, sizeof(QuadVertex));
    device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1);
    device->SetTexture(0, texture->GetD3DTexture());
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);

    const D3DXVECTOR3 eye{0.0f, 0.0f, 0.0f}, at{0.0f, 0.0f, 1.0f}, up{0.0f, 1.0f, 0.0f};
    D3DXMATRIX view, projection, world{};
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixOrthoOffCenterLH(&projection, 0.0f, 960.0f, 540.0f, 0.0f, 0.1f, 100.0f);
    const th_info& info = m_pDecoder->GetVideoInfo();
    world._11 = world._22 = world._33 = world._44 = 1.0f;
    world._41 = m_fPositionX - static_cast<float>(info.pic_x);
    world._42 = m_fPositionY - static_cast<float>(info.pic_y);
    world._43 = m_fDepth;
    device->SetTransform(D3DTS_VIEW, &view);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    device->SetTransform(D3DTS_WORLD, &world);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
}
