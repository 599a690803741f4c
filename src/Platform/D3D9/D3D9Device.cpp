// IDirect3DDevice9 over an OpenGL 3.3 core context.
#include "Platform/D3D9/D3D9Device.h"

#include "Platform/Backend/GLContext.h"
#include "Platform/Backend/PlatformLog.h"
#include "Platform/D3D9/D3D9Testing.h"
#include "Platform/D3D9/SurfaceFormat.h"
#include "Platform/Win32/Windows.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <string>
#include <tuple>

namespace {

constexpr int kStreams = 16;
constexpr int kStages = 16;
constexpr int kVSConstants = 256;
constexpr int kPSConstants = 32;
constexpr uint32_t kMaxShaderTokens = 1u << 16;
constexpr UINT kMaxTextureSize = 8192;
constexpr UINT kMaxStreamStride = 255; // as the caps say; OpenGL refuses strides past its own limit

// A full-screen device owns the screen: its window covers it, whatever size the window was
// made at, as when the display takes the device's mode. The window system's mode itself stays
// (it may not be changeable at all); a back buffer of another size is scaled into the window.
void CoverScreen(HWND window)
{
    const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    RECT rect{};
    if (!window || cx <= 0 || cy <= 0 || !GetWindowRect(window, &rect))
        return;
    if (rect.left == 0 && rect.top == 0 && rect.right == cx && rect.bottom == cy)
        return;
    SetWindowPos(window, HWND_TOPMOST, 0, 0, cx, cy, SWP_NOACTIVATE);
}

struct Program {
    GLuint program = 0;
    GLint posFixup = -1;
    GLint alphaRef = -1;
    GLint worldViewProj = -1;
    GLint textureBound = -1;
    GLint colorStage = -1;
    GLint alphaStage = -1;
    GLint textureFactor = -1;
    // The values last given to the uniforms above (uniforms live in the program), so that
    // unchanged ones are not set again on every draw.
    struct Values {
        bool valid = false;
        float posFixup[2] = {};
        float alphaRef = 0.0f;
        D3DMATRIX worldViewProj{};
        GLint stages[6] = {};
        GLint textureBound = 0;
        DWORD textureFactor = 0;
    } set;
};

// One vertex attribute as given to OpenGL: an array in a buffer, or (buffer 0) a constant.
struct AttributeBinding {
    GLuint buffer = 0;
    GLint size = 0;
    GLenum type = 0;
    GLboolean normalized = GL_FALSE;
    GLsizei stride = 0;
    uintptr_t offset = 0;
    GLuint divisor = 0;
    float constant[4] = {};

    bool operator==(const AttributeBinding& o) const
    {
        return buffer == o.buffer && size == o.size && type == o.type && normalized == o.normalized &&
               stride == o.stride && offset == o.offset && divisor == o.divisor && std::memcmp(constant, o.constant, sizeof(constant)) == 0;
    }
};

// The fixed-function OpenGL state ApplyStates derives from the render states.
struct FixedStates {
    DWORD zenable, zfunc, zwrite, cull, blend, separate, src, dest, op, srcAlpha, destAlpha, opAlpha, write, fill,
        direct;
    bool operator==(const FixedStates& o) const { return std::memcmp(this, &o, sizeof(*this)) == 0; }
};

// What the draw path last set on one sampler object.
struct SamplerParams {
    GLint wrapS, wrapT, mag, min;
    DWORD border;
    bool operator==(const SamplerParams& o) const { return std::memcmp(this, &o, sizeof(*this)) == 0; }
};

GLenum BlendFactor(DWORD b)
{
    switch (b) {
    case D3DBLEND_ZERO: return GL_ZERO;
    case D3DBLEND_ONE: return GL_ONE;
    case D3DBLEND_SRCCOLOR: return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA: return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR: return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT: return GL_SRC_ALPHA_SATURATE;
    default: return GL_ONE;
    }
}

GLenum BlendOp(DWORD op)
{
    switch (op) {
    case D3DBLENDOP_SUBTRACT: return GL_FUNC_SUBTRACT;
    case D3DBLENDOP_REVSUBTRACT: return GL_FUNC_REVERSE_SUBTRACT;
    case D3DBLENDOP_MIN: return GL_MIN;
    case D3DBLENDOP_MAX: return GL_MAX;
    default: return GL_FUNC_ADD;
    }
}

GLenum CompareFunc(DWORD f)
{
    switch (f) {
    case D3DCMP_NEVER: return GL_NEVER;
    case D3DCMP_LESS: return GL_LESS;
    case D3DCMP_EQUAL: return GL_EQUAL;
    case D3DCMP_LESSEQUAL: return GL_LEQUAL;
    case D3DCMP_GREATER: return GL_GREATER;
    case D3DCMP_NOTEQUAL: return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL: return GL_GEQUAL;
    default: return GL_ALWAYS;
    }
}

GLint AddressMode(DWORD a)
{
    switch (a) {
    case D3DTADDRESS_MIRROR: return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP: return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER: return GL_CLAMP_TO_BORDER;
    default: return GL_REPEAT;
    }
}

// Attribute layout of one declaration element type: components, GL type, normalised, bytes.
bool ElementFormat(BYTE type, GLint& size, GLenum& glType, GLboolean& normalized, GLsizei& bytes)
{
    normalized = GL_FALSE;
    switch (type) {
    case D3DDECLTYPE_FLOAT1:
        size = 1;
        glType = GL_FLOAT;
        bytes = 4;
        return true;
    case D3DDECLTYPE_FLOAT2:
        size = 2;
        glType = GL_FLOAT;
        bytes = 8;
        return true;
    case D3DDECLTYPE_FLOAT3:
        size = 3;
        glType = GL_FLOAT;
        bytes = 12;
        return true;
    case D3DDECLTYPE_FLOAT4:
        size = 4;
        glType = GL_FLOAT;
        bytes = 16;
        return true;
    case D3DDECLTYPE_D3DCOLOR:
        size = GL_BGRA;
        glType = GL_UNSIGNED_BYTE;
        normalized = GL_TRUE;
        bytes = 4;
        return true;
    case D3DDECLTYPE_UBYTE4:
        size = 4;
        glType = GL_UNSIGNED_BYTE;
        bytes = 4;
        return true;
    case D3DDECLTYPE_UBYTE4N:
        size = 4;
        glType = GL_UNSIGNED_BYTE;
        normalized = GL_TRUE;
        bytes = 4;
        return true;
    case D3DDECLTYPE_SHORT2:
        size = 2;
        glType = GL_SHORT;
        bytes = 4;
        return true;
    case D3DDECLTYPE_SHORT4:
        size = 4;
        glType = GL_SHORT;
        bytes = 8;
        return true;
    case D3DDECLTYPE_SHORT2N:
        size = 2;
        glType = GL_SHORT;
        normalized = GL_TRUE;
        bytes = 4;
        return true;
    case D3DDECLTYPE_SHORT4N:
        size = 4;
        glType = GL_SHORT;
        normalized = GL_TRUE;
        bytes = 8;
        return true;
    case D3DDECLTYPE_USHORT2N:
        size = 2;
        glType = GL_UNSIGNED_SHORT;
        normalized = GL_TRUE;
        bytes = 4;
        return true;
    case D3DDECLTYPE_USHORT4N:
        size = 4;
        glType = GL_UNSIGNED_SHORT;
        normalized = GL_TRUE;
        bytes = 8;
        return true;
    default: return false;
    }
}

// The declaration equivalent of a flexible vertex format (stream 0).
bool ElementsFromFVF(DWORD fvf, std::vector<D3DVERTEXELEMENT9>& out)
{
    out.clear();
    WORD offset = 0;
    if ((fvf & D3DFVF_POSITION_MASK) != D3DFVF_XYZ)
        return false;
    out.push_back({0, offset, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0});
    offset += 12;
    if (fvf & D3DFVF_NORMAL) {
        out.push_back({0, offset, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_NORMAL, 0});
        offset += 12;
    }
    if (fvf & D3DFVF_DIFFUSE) {
        out.push_back({0, offset, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0});
        offset += 4;
    }
    if (fvf & D3DFVF_SPECULAR) {
        out.push_back({0, offset, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 1});
        offset += 4;
    }
    const DWORD texCount = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    for (DWORD i = 0; i < texCount; ++i) {
        out.push_back(
            {0, offset, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, static_cast<BYTE>(i)});
        offset += 8;
    }
    return true;
}

void MultiplyMatrix(const D3DMATRIX& a, const D3DMATRIX& b, D3DMATRIX& out)
{
    D3DMATRIX r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
    out = r;
}

D3DMATRIX Identity()
{
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1.0f;
    return m;
}

} // namespace

// Clears error flags left by earlier calls, so that a check after some work sees only its own.
void DrainGLErrors()
{
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
}

namespace {

GLuint CompileShader(GLenum stage, const std::string& source, std::string& log)
{
    GLuint shader = glCreateShader(stage);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char buffer[2048] = {};
        glGetShaderInfoLog(shader, sizeof(buffer) - 1, nullptr, buffer);
        log = buffer;
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

} // namespace

class D3D9DeviceImpl final : public ComObject<IDirect3DDevice9> {
  public:
    D3D9DeviceImpl(HWND window, const D3DPRESENT_PARAMETERS& params) : m_hWindow(window), m_Params(params) {}
    bool Init();

    HRESULT TestCooperativeLevel() override;
    HRESULT GetDeviceCaps(D3DCAPS9* pCaps) override;
    HRESULT GetBackBuffer(UINT, UINT, D3DBACKBUFFER_TYPE, IDirect3DSurface9** ppBackBuffer) override;
    HRESULT Reset(D3DPRESENT_PARAMETERS* pPresentationParameters) override;
    HRESULT Present(const RECT*, const RECT*, HWND, const RGNDATA*) override;
    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z, DWORD Stencil) override;
    HRESULT SetViewport(const D3DVIEWPORT9* pViewport) override;
    HRESULT GetViewport(D3DVIEWPORT9* pViewport) override;
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) override;
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) override;
    HRESULT GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue) override;
    HRESULT SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) override;
    HRESULT SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) override;
    HRESULT GetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD* pValue) override;
    HRESULT SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture) override;
    HRESULT CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                          IDirect3DTexture9** ppTexture, HANDLE* pSharedHandle) override;
    HRESULT CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                               IDirect3DVertexBuffer9** ppVertexBuffer, HANDLE* pSharedHandle) override;
    HRESULT CreateOffscreenPlainSurface(UINT Width, UINT Height, D3DFORMAT Format, D3DPOOL Pool,
                                        IDirect3DSurface9** ppSurface, HANDLE* pSharedHandle) override;
    HRESULT UpdateSurface(IDirect3DSurface9* pSourceSurface, const RECT* pSourceRect,
                          IDirect3DSurface9* pDestinationSurface, const POINT* pDestPoint) override;
    HRESULT GetRenderTargetData(IDirect3DSurface9* pRenderTarget, IDirect3DSurface9* pDestSurface) override;
    HRESULT CreateVertexDeclaration(const D3DVERTEXELEMENT9* pVertexElements,
                                    IDirect3DVertexDeclaration9** ppDecl) override;
    HRESULT SetVertexDeclaration(IDirect3DVertexDeclaration9* pDecl) override;
    HRESULT SetFVF(DWORD FVF) override;
    HRESULT CreateVertexShader(const DWORD* pFunction, IDirect3DVertexShader9** ppShader) override;
    HRESULT SetVertexShader(IDirect3DVertexShader9* pShader) override;
    HRESULT SetVertexShaderConstantF(UINT StartRegister, const float* pConstantData, UINT Vector4fCount) override;
    HRESULT CreatePixelShader(const DWORD* pFunction, IDirect3DPixelShader9** ppShader) override;
    HRESULT SetPixelShader(IDirect3DPixelShader9* pShader) override;
    HRESULT SetPixelShaderConstantF(UINT StartRegister, const float* pConstantData, UINT Vector4fCount) override;
    HRESULT SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData, UINT OffsetInBytes,
                            UINT Stride) override;
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex, UINT PrimitiveCount) override;

    // Services for the resources.
    void CountDefaultPool(int delta) { m_nDefaultPool += delta; }
    void Forget(const void* object);
    void ForgetShader(uint64_t serial);
    bool CompressedUpload() const { return m_bS3TC && m_bCompressedUpload; }
    void SetCompressedUpload(bool enabled) { m_bCompressedUpload = enabled; }
    void CaptureNextPresent(D3D9WindowCapture* capture) { m_pCapture = capture; }
    int DefaultPoolCount() const { return m_nDefaultPool; }
    void ForceLoss(int polls)
    {
        m_nForcedLostPolls = std::max(polls, 1);
        m_eLoss = eLoss_Lost;
    }
    const D3DPRESENT_PARAMETERS& Params() const { return m_Params; }

  private:
    enum LossState { eLoss_None, eLoss_Lost, eLoss_NotReset };

    ~D3D9DeviceImpl();
    bool CreateBackBuffer();
    void DestroyBackBuffer();
    // Whether the window's own framebuffer can be the back buffer for a drawable of this size.
    bool WindowServesAsBackBuffer(int drawableWidth, int drawableHeight) const;
    void ReadWindowRows(bool shown, int width, int height, uint8_t* out);
    // Where draws and clears go: the window's framebuffer (0) or the offscreen back buffer.
    GLuint TargetFramebuffer() const { return m_bDirect ? 0 : m_nFramebuffer; }
    void SetDefaultStates();
    void ApplyViewport();
    void PollLoss();
    Program* GetProgram();
    // The alpha function the pixel stage is compiled for: ALWAYS when the test is off, NEVER
    // for a value outside the comparisons (as nothing then passes).
    DWORD AlphaFunction() const;
    bool LinkProgram(GLuint vs, GLuint ps, Program& program);
    bool BindAttributes(UINT startVertex, UINT vertexCount);
    static void MarkDirty(UINT& first, UINT& end, UINT from, UINT to)
    {
        if (first >= end) {
            first = from;
            end = to;
        } else {
            first = std::min(first, from);
            end = std::max(end, to);
        }
    }
    void UploadConstants(GLuint buffer, const float* data, UINT& first, UINT& end);
    // Copies constant registers into a shadow bank of `count` registers and widens its dirty range.
    static HRESULT SetConstants(float* bank, UINT count, UINT& first, UINT& end, UINT start, const float* data,
                                UINT vectors);
    void ApplyStates(Program& program);

    HWND m_hWindow;
    D3DPRESENT_PARAMETERS m_Params;
    LossState m_eLoss = eLoss_None;
    int m_nForcedLostPolls = 0;
    int m_nDefaultPool = 0;
    bool m_bInScene = false;
    bool m_bS3TC = false;
    bool m_bCompressedUpload = true;

    GLuint m_nFramebuffer = 0, m_nColorBuffer = 0, m_nDepthBuffer = 0;
    // The back buffer is the window's framebuffer when the drawable has its size: presenting is
    // then a swap, with no copy. Otherwise it is the offscreen framebuffer above, scaled into
    // the window. OpenGL counts the window's rows from the bottom (viewports, scissors, reads).
    bool m_bDirect = false;
    bool m_bHasDepth = false;
    // The window's framebuffer has the back buffer's formats (checked once, on the device's window).
    bool m_bWindowFormatFits = false;
    bool m_bWindowDoubleBuffered = true;
    // The origin of clip space can be moved to the upper left (needed to draw into the window).
    bool m_bClipControl = false;
    // Direct only: the last frame was swapped to the front and nothing drawn since, so the
    // back buffer's content is read from the front buffer.
    bool m_bFramePresented = false;
    GLuint m_nVertexArray = 0, m_nVSConstBuffer = 0, m_nPSConstBuffer = 0;
    GLuint m_Samplers[kStages] = {};
    GLuint m_nFixedVS = 0, m_nFixedPS = 0;
    // The fixed-function pixel stage for the other alpha functions (1 to 7), compiled when needed.
    GLuint m_FixedPSVariants[8] = {};
    D3D9SurfaceImpl* m_pBackBuffer = nullptr;

    std::array<DWORD, 256> m_RenderStates{};
    DWORD m_StageStates[kStages][33] = {};
    DWORD m_SamplerStates[kStages][14] = {};
    D3DMATRIX m_World, m_View, m_Projection;
    D3DVIEWPORT9 m_Viewport{};
    std::array<float, kVSConstants * 4> m_VSConst{};
    std::array<float, kPSConstants * 4> m_PSConst{};
    // Registers changed since the last upload: [first, end) for each constant file.
    UINT m_nVSDirtyFirst = 0, m_nVSDirtyEnd = kVSConstants;
    UINT m_nPSDirtyFirst = 0, m_nPSDirtyEnd = kPSConstants;

    // OpenGL state as the draw path last left it. A run of draws (the sprite batch issues
    // hundreds a frame) then only pays for what changed: every state change makes the driver
    // validate and rebuild state on the next draw. Invalidated wherever other code touches the
    // same OpenGL state.
    AttributeBinding m_BoundAttributes[16];
    uint32_t m_nEnabledAttributes = 0;
    bool m_bAttributesValid = false;
    FixedStates m_AppliedStates{};
    bool m_bAppliedStatesValid = false;
    SamplerParams m_AppliedSamplers[kStages] = {};
    uint32_t m_nAppliedSamplerMask = 0;
    // Every device works through the one OpenGL context, so the copies above hold only while
    // no other device has touched it: the device that last did is its state's owner.
    static D3D9DeviceImpl* s_pContextStateOwner;
    void ClaimContextState();

    D3D9TextureImpl* m_Textures[kStages] = {};
    struct Stream {
        D3D9VertexBufferImpl* buffer = nullptr;
        UINT offset = 0;
        UINT stride = 0;
    } m_Streams[kStreams];
    D3D9VertexDeclarationImpl* m_pDeclaration = nullptr;
    DWORD m_nFVF = 0;
    D3D9VertexShaderImpl* m_pVertexShader = nullptr;
    D3D9PixelShaderImpl* m_pPixelShader = nullptr;
    uint64_t m_nNextSerial = 1;
    // Linked programs by (vertex shader, pixel shader, alpha function); 0 is the fixed stage.
    std::map<std::tuple<uint64_t, uint64_t, DWORD>, Program> m_Programs;
    bool m_bReportedDrawFailure = false;
    D3D9WindowCapture* m_pCapture = nullptr;

    friend HRESULT CreateD3D9Device(HWND, D3DPRESENT_PARAMETERS*, IDirect3DDevice9**);
};

// ---------------------------------------------------------------------------------------------
// Creation and teardown

D3D9DeviceImpl* D3D9DeviceImpl::s_pContextStateOwner = nullptr;

void D3D9DeviceImpl::ClaimContextState()
{
    if (s_pContextStateOwner == this)
        return;
    s_pContextStateOwner = this;
    // The window's framebuffer is the one of the window the context is current on.
    BackendGLMakeCurrent(m_hWindow);
    m_bAppliedStatesValid = false;
    m_nAppliedSamplerMask = 0;
    m_bAttributesValid = false; // current attribute values are the context's
    // The binding points belong to the context, which every device shares.
    glBindBufferBase(GL_UNIFORM_BUFFER, 0, m_nVSConstBuffer);
    glBindBufferBase(GL_UNIFORM_BUFFER, 1, m_nPSConstBuffer);
}

bool D3D9DeviceImpl::Init()
{
    DrainGLErrors();
    m_bS3TC = epoxy_has_gl_extension("GL_EXT_texture_compression_s3tc");
    {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        GLint doubleBuffered = GL_TRUE;
        glGetIntegerv(GL_DOUBLEBUFFER, &doubleBuffered);
        m_bWindowDoubleBuffered = doubleBuffered != GL_FALSE;
        auto size = [](GLenum attachment, GLenum what) {
            GLint type = GL_NONE, bits = 0;
            glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, attachment, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE,
                                                  &type);
            if (type != GL_NONE)
                glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, attachment, what, &bits);
            return bits;
        };
        const GLenum color = m_bWindowDoubleBuffered ? GL_BACK_LEFT : GL_FRONT_LEFT;
        const bool colorFits = size(color, GL_FRAMEBUFFER_ATTACHMENT_RED_SIZE) == 8 &&
                               size(color, GL_FRAMEBUFFER_ATTACHMENT_GREEN_SIZE) == 8 &&
                               size(color, GL_FRAMEBUFFER_ATTACHMENT_BLUE_SIZE) == 8 &&
                               size(color, GL_FRAMEBUFFER_ATTACHMENT_ALPHA_SIZE) == 8;
        const GLint depthBits = size(GL_DEPTH, GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE);
        const GLint stencilBits = size(GL_STENCIL, GL_FRAMEBUFFER_ATTACHMENT_STENCIL_SIZE);
        bool depthFits = true;
        if (m_Params.EnableAutoDepthStencil)
            depthFits = m_Params.AutoDepthStencilFormat == D3DFMT_D24S8 ? depthBits == 24 && stencilBits == 8
                                                                        : depthBits == 16;
        m_bClipControl = epoxy_gl_version() >= 45 || epoxy_has_gl_extension("GL_ARB_clip_control");
        bool fits = m_bClipControl && colorFits && depthFits && glGetError() == GL_NO_ERROR;
        // After a swap the frame shown must stay readable (screenshots read it): from the front
        // buffer, which some window systems do not let a double-buffered window read.
        if (fits && m_bWindowDoubleBuffered) {
            glReadBuffer(GL_FRONT);
            fits = glGetError() == GL_NO_ERROR;
            glReadBuffer(GL_BACK);
        }
        m_bWindowFormatFits = fits;
        DrainGLErrors();
    }
    if (!CreateBackBuffer())
        return false;
    glGenVertexArrays(1, &m_nVertexArray);
    glBindVertexArray(m_nVertexArray);
    glGenBuffers(1, &m_nVSConstBuffer);
    glBindBuffer(GL_UNIFORM_BUFFER, m_nVSConstBuffer);
    glBufferData(GL_UNIFORM_BUFFER, sizeof(m_VSConst), nullptr, GL_DYNAMIC_DRAW);
    glGenBuffers(1, &m_nPSConstBuffer);
    glBindBuffer(GL_UNIFORM_BUFFER, m_nPSConstBuffer);
    glBufferData(GL_UNIFORM_BUFFER, sizeof(m_PSConst), nullptr, GL_DYNAMIC_DRAW);
    glGenSamplers(kStages, m_Samplers);
    s_pContextStateOwner = nullptr;
    ClaimContextState();
    std::string log;
    m_nFixedVS = CompileShader(GL_VERTEX_SHADER, kFixedFunctionVertexGlsl, log);
    m_nFixedPS = m_nFixedVS ? CompileShader(GL_FRAGMENT_SHADER, kFixedFunctionPixelGlsl, log) : 0;
    if (!m_nFixedVS || !m_nFixedPS) {
        PLATFORM_LOG_ERROR << "Fixed-function shaders failed to compile: " << log;
        return false;
    }
    m_pBackBuffer = new D3D9SurfaceImpl(this);
    SetDefaultStates();
    return glGetError() == GL_NO_ERROR;
}

D3D9DeviceImpl::~D3D9DeviceImpl()
{
    if (s_pContextStateOwner == this)
        s_pContextStateOwner = nullptr;
    for (auto& entry : m_Programs)
        glDeleteProgram(entry.second.program);
    if (m_pBackBuffer)
        m_pBackBuffer->Release();
    glDeleteShader(m_nFixedVS);
    glDeleteShader(m_nFixedPS);
    for (GLuint variant : m_FixedPSVariants)
        if (variant)
            glDeleteShader(variant);
    glDeleteSamplers(kStages, m_Samplers);
    glDeleteBuffers(1, &m_nVSConstBuffer);
    glDeleteBuffers(1, &m_nPSConstBuffer);
    glDeleteVertexArrays(1, &m_nVertexArray);
    DestroyBackBuffer();
}

bool D3D9DeviceImpl::WindowServesAsBackBuffer(int drawableWidth, int drawableHeight) const
{
    // A copy or flip swap keeps the back buffer's content for the next frame; only a discarding
    // one lets the window's framebuffer stand in for it.
    return m_bWindowFormatFits && m_Params.SwapEffect == D3DSWAPEFFECT_DISCARD &&
           drawableWidth == static_cast<int>(m_Params.BackBufferWidth) &&
           drawableHeight == static_cast<int>(m_Params.BackBufferHeight);
}

bool D3D9DeviceImpl::CreateBackBuffer()
{
    const GLsizei w = static_cast<GLsizei>(m_Params.BackBufferWidth),
                  h = static_cast<GLsizei>(m_Params.BackBufferHeight);
    m_bHasDepth = m_Params.EnableAutoDepthStencil != FALSE;
    m_bFramePresented = false;
    int dw = 0, dh = 0;
    m_bDirect = BackendGLDrawableSize(m_hWindow, &dw, &dh) && WindowServesAsBackBuffer(dw, dh);
    if (m_bDirect) {
        BackendGLMakeCurrent(m_hWindow);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    } else {
        glGenFramebuffers(1, &m_nFramebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, m_nFramebuffer);
        glGenRenderbuffers(1, &m_nColorBuffer);
        glBindRenderbuffer(GL_RENDERBUFFER, m_nColorBuffer);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, w, h);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, m_nColorBuffer);
        if (m_bHasDepth) {
            const bool stencil = m_Params.AutoDepthStencilFormat == D3DFMT_D24S8;
            glGenRenderbuffers(1, &m_nDepthBuffer);
            glBindRenderbuffer(GL_RENDERBUFFER, m_nDepthBuffer);
            glRenderbufferStorage(GL_RENDERBUFFER, stencil ? GL_DEPTH24_STENCIL8 : GL_DEPTH_COMPONENT16, w, h);
            glFramebufferRenderbuffer(GL_FRAMEBUFFER, stencil ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT,
                                      GL_RENDERBUFFER, m_nDepthBuffer);
        }
        if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
            PLATFORM_LOG_ERROR << "Back buffer " << w << " x " << h << " could not be created";
            return false;
        }
    }
    // A new back buffer starts black, as the first Present would show it.
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    m_bAppliedStatesValid = false;
    s_pContextStateOwner = nullptr;
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | (m_bHasDepth ? GL_DEPTH_BUFFER_BIT : 0));
    return true;
}

void D3D9DeviceImpl::DestroyBackBuffer()
{
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (m_nFramebuffer)
        glDeleteFramebuffers(1, &m_nFramebuffer);
    if (m_nColorBuffer)
        glDeleteRenderbuffers(1, &m_nColorBuffer);
    if (m_nDepthBuffer)
        glDeleteRenderbuffers(1, &m_nDepthBuffer);
    m_nFramebuffer = m_nColorBuffer = m_nDepthBuffer = 0;
    m_bDirect = false;
}

// The states of a new or reset device, as the real API documents them.
void D3D9DeviceImpl::SetDefaultStates()
{
    m_RenderStates.fill(0);
    m_RenderStates[D3DRS_ZENABLE] = m_Params.EnableAutoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
    m_RenderStates[D3DRS_FILLMODE] = D3DFILL_SOLID;
    m_RenderStates[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
    m_RenderStates[D3DRS_ZWRITEENABLE] = TRUE;
    m_RenderStates[D3DRS_ALPHATESTENABLE] = FALSE;
    m_RenderStates[D3DRS_LASTPIXEL] = TRUE;
    m_RenderStates[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    m_RenderStates[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    m_RenderStates[D3DRS_CULLMODE] = D3DCULL_CCW;
    m_RenderStates[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    m_RenderStates[D3DRS_ALPHAREF] = 0;
    m_RenderStates[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
    m_RenderStates[D3DRS_ALPHABLENDENABLE] = FALSE;
    m_RenderStates[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFF;
    m_RenderStates[D3DRS_LIGHTING] = TRUE;
    m_RenderStates[D3DRS_COLORVERTEX] = TRUE;
    m_RenderStates[D3DRS_COLORWRITEENABLE] = 0xF;
    m_RenderStates[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
    m_RenderStates[D3DRS_SRCBLENDALPHA] = D3DBLEND_ONE;
    m_RenderStates[D3DRS_DESTBLENDALPHA] = D3DBLEND_ZERO;
    m_RenderStates[D3DRS_BLENDOPALPHA] = D3DBLENDOP_ADD;
    for (int s = 0; s < kStages; ++s) {
        std::fill(std::begin(m_StageStates[s]), std::end(m_StageStates[s]), 0);
        m_StageStates[s][D3DTSS_COLOROP] = s == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        m_StageStates[s][D3DTSS_COLORARG1] = D3DTA_TEXTURE;
        m_StageStates[s][D3DTSS_COLORARG2] = D3DTA_CURRENT;
        m_StageStates[s][D3DTSS_ALPHAOP] = s == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        m_StageStates[s][D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        m_StageStates[s][D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        m_StageStates[s][D3DTSS_TEXCOORDINDEX] = static_cast<DWORD>(s);
        std::fill(std::begin(m_SamplerStates[s]), std::end(m_SamplerStates[s]), 0);
        m_SamplerStates[s][D3DSAMP_ADDRESSU] = D3DTADDRESS_WRAP;
        m_SamplerStates[s][D3DSAMP_ADDRESSV] = D3DTADDRESS_WRAP;
        m_SamplerStates[s][D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
        m_SamplerStates[s][D3DSAMP_MAGFILTER] = D3DTEXF_POINT;
        m_SamplerStates[s][D3DSAMP_MINFILTER] = D3DTEXF_POINT;
        m_SamplerStates[s][D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
        m_Textures[s] = nullptr;
    }
    for (Stream& s : m_Streams)
        s = Stream();
    m_pDeclaration = nullptr;
    m_nFVF = 0;
    m_pVertexShader = nullptr;
    m_pPixelShader = nullptr;
    m_World = m_View = m_Projection = Identity();
    m_Viewport = {0, 0, m_Params.BackBufferWidth, m_Params.BackBufferHeight, 0.0f, 1.0f};
    m_VSConst.fill(0.0f);
    m_PSConst.fill(0.0f);
    m_nVSDirtyFirst = m_nPSDirtyFirst = 0;
    m_nVSDirtyEnd = kVSConstants;
    m_nPSDirtyEnd = kPSConstants;
    m_bAttributesValid = false;
    m_bAppliedStatesValid = false;
    ApplyViewport();
}

void D3D9DeviceImpl::Forget(const void* object)
{
    m_bAttributesValid = false;
    for (auto& t : m_Textures)
        if (static_cast<const IDirect3DBaseTexture9*>(t) == object)
            t = nullptr;
    for (Stream& s : m_Streams)
        if (s.buffer == object)
            s = Stream();
    if (m_pDeclaration == object)
        m_pDeclaration = nullptr;
    if (m_pVertexShader == object)
        m_pVertexShader = nullptr;
    if (m_pPixelShader == object)
        m_pPixelShader = nullptr;
}

void D3D9DeviceImpl::ForgetShader(uint64_t serial)
{
    for (auto it = m_Programs.begin(); it != m_Programs.end();) {
        if (std::get<0>(it->first) == serial || std::get<1>(it->first) == serial) {
            glDeleteProgram(it->second.program);
            it = m_Programs.erase(it);
        } else {
            ++it;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Loss, reset and presentation

void D3D9DeviceImpl::PollLoss()
{
    if (m_nForcedLostPolls > 0) {
        --m_nForcedLostPolls;
        m_eLoss = eLoss_Lost;
        return;
    }
    // A full-screen device is lost while its window is minimised.
    if (!m_Params.Windowed && BackendWindowIsMinimized(m_hWindow)) {
        m_eLoss = eLoss_Lost;
        return;
    }
    if (m_eLoss == eLoss_Lost)
        m_eLoss = eLoss_NotReset;
}

HRESULT D3D9DeviceImpl::TestCooperativeLevel()
{
    PollLoss();
    if (m_eLoss == eLoss_Lost)
        return D3DERR_DEVICELOST;
    if (m_eLoss == eLoss_NotReset)
        return D3DERR_DEVICENOTRESET;
    return D3D_OK;
}

HRESULT D3D9DeviceImpl::Reset(D3DPRESENT_PARAMETERS* pp)
{
    if (!pp)
        return D3DERR_INVALIDCALL;
    PollLoss();
    if (m_eLoss == eLoss_Lost)
        return D3DERR_DEVICELOST;
    if (m_nDefaultPool > 0) {
        PLATFORM_LOG_ERROR << "Device reset refused: " << m_nDefaultPool << " default-pool resources still exist";
        m_eLoss = eLoss_NotReset;
        return D3DERR_INVALIDCALL;
    }
    D3DPRESENT_PARAMETERS params = *pp;
    if (!params.Windowed)
        CoverScreen(m_hWindow);
    int w = 0, h = 0;
    if (params.Windowed && (params.BackBufferWidth == 0 || params.BackBufferHeight == 0) &&
        BackendGLDrawableSize(m_hWindow, &w, &h)) {
        params.BackBufferWidth = static_cast<UINT>(w);
        params.BackBufferHeight = static_cast<UINT>(h);
    }
    if (params.BackBufferWidth == 0 || params.BackBufferHeight == 0 || params.BackBufferWidth > kMaxTextureSize ||
        params.BackBufferHeight > kMaxTextureSize)
        return D3DERR_INVALIDCALL;
    if (params.BackBufferFormat == D3DFMT_UNKNOWN)
        params.BackBufferFormat = D3DFMT_X8R8G8B8;
    DestroyBackBuffer();
    m_Params = params;
    *pp = params;
    if (!CreateBackBuffer()) {
        m_eLoss = eLoss_NotReset;
        return D3DERR_INVALIDCALL;
    }
    SetDefaultStates();
    m_bInScene = false;
    m_eLoss = eLoss_None;
    return D3D_OK;
}

HRESULT D3D9DeviceImpl::Present(const RECT*, const RECT*, HWND, const RGNDATA*)
{
    if (m_eLoss != eLoss_None || m_nForcedLostPolls > 0) {
        PollLoss();
        return D3DERR_DEVICELOST;
    }
    PollLoss();
    if (m_eLoss != eLoss_None)
        return D3DERR_DEVICELOST;
    int dw = 0, dh = 0;
    if (!BackendGLDrawableSize(m_hWindow, &dw, &dh) || dw <= 0 || dh <= 0)
        return D3D_OK;
    ClaimContextState();
    if (m_bDirect) {
        // The frame is already in the window's framebuffer.
        if (m_pCapture) {
            m_pCapture->width = dw;
            m_pCapture->height = dh;
            m_pCapture->pixels.resize(static_cast<size_t>(dw) * dh);
            ReadWindowRows(false, dw, dh, reinterpret_cast<uint8_t*>(m_pCapture->pixels.data()));
            m_pCapture = nullptr;
        }
        BackendGLSwap(m_hWindow);
        m_bFramePresented = true;
        if (!WindowServesAsBackBuffer(dw, dh)) {
            // The window changed size: from the next frame on, draw offscreen and scale.
            if (!CreateBackBuffer()) {
                m_eLoss = eLoss_NotReset;
                return D3DERR_DEVICELOST;
            }
            ApplyViewport();
        }
        return D3D_OK;
    }
    const int bw = static_cast<int>(m_Params.BackBufferWidth), bh = static_cast<int>(m_Params.BackBufferHeight);
    // Scale the whole back buffer into the window, keeping its aspect, with black bars.
    int w = dw, h = dh;
    if (static_cast<int64_t>(dw) * bh > static_cast<int64_t>(dh) * bw)
        w = static_cast<int>(static_cast<int64_t>(dh) * bw / bh);
    else
        h = static_cast<int>(static_cast<int64_t>(dw) * bh / bw);
    const int x = (dw - w) / 2, y = (dh - h) / 2;
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_nFramebuffer);
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    m_bAppliedStatesValid = false;
    glViewport(0, 0, dw, dh);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    // The back buffer holds its top row first; the window's framebuffer its bottom row.
    glBlitFramebuffer(0, 0, bw, bh, x, y + h, x + w, y, GL_COLOR_BUFFER_BIT,
                      (w == bw && h == bh) ? GL_NEAREST : GL_LINEAR);
    if (m_pCapture) {
        m_pCapture->width = dw;
        m_pCapture->height = dh;
        m_pCapture->pixels.resize(static_cast<size_t>(dw) * dh);
        ReadWindowRows(false, dw, dh, reinterpret_cast<uint8_t*>(m_pCapture->pixels.data()));
        m_pCapture = nullptr;
    }
    BackendGLSwap(m_hWindow);
    if (WindowServesAsBackBuffer(dw, dh)) {
        // The window has the back buffer's size again: draw into it from the next frame on. The
        // frame just shown stays readable from the front buffer.
        DestroyBackBuffer();
        m_bDirect = true;
        m_bFramePresented = true;
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    } else {
        glBindFramebuffer(GL_FRAMEBUFFER, m_nFramebuffer);
    }
    ApplyViewport();
    return D3D_OK;
}

// The window framebuffer's rows, top row first, as BGRA bytes: of the frame being drawn, or of
// the one last swapped to the front (a single-buffered window has only the one buffer).
void D3D9DeviceImpl::ReadWindowRows(bool shown, int width, int height, uint8_t* out)
{
    const GLenum buffer = m_bWindowDoubleBuffered && !shown ? GL_BACK : GL_FRONT;
    std::vector<uint8_t> rows(static_cast<size_t>(width) * height * 4);
    const size_t pitch = static_cast<size_t>(width) * 4;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(buffer);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, rows.data());
    glReadBuffer(m_bWindowDoubleBuffered ? GL_BACK : GL_FRONT);
    for (int row = 0; row < height; ++row)
        std::memcpy(out + static_cast<size_t>(row) * pitch, &rows[static_cast<size_t>(height - 1 - row) * pitch],
                    pitch);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, TargetFramebuffer());
}

HRESULT D3D9DeviceImpl::BeginScene()
{
    if (m_bInScene)
        return D3DERR_INVALIDCALL;
    m_bInScene = true;
    return D3D_OK;
}

HRESULT D3D9DeviceImpl::EndScene()
{
    if (!m_bInScene)
        return D3DERR_INVALIDCALL;
    m_bInScene = false;
    // No flush: Present's swap hands the frame over, and a read-back waits for what it reads.
    // Flushing here too would make the rasteriser run frames a window never shows (an offscreen
    // surface's swap shows nothing).
    return D3D_OK;
}

HRESULT D3D9DeviceImpl::GetDeviceCaps(D3DCAPS9* pCaps)
{
    if (!pCaps)
        return D3DERR_INVALIDCALL;
    *pCaps = D3DCAPS9{};
    pCaps->DeviceType = D3DDEVTYPE_HAL;
    pCaps->DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT;
    pCaps->TextureCaps = D3DPTEXTURECAPS_NONPOW2CONDITIONAL;
    pCaps->MaxTextureWidth = pCaps->MaxTextureHeight = kMaxTextureSize;
    pCaps->MaxTextureBlendStages = 8;
    pCaps->MaxSimultaneousTextures = 8;
    pCaps->MaxPrimitiveCount = 0xFFFFF;
    pCaps->MaxVertexIndex = 0xFFFFF;
    pCaps->MaxStreams = kStreams;
    pCaps->MaxStreamStride = kMaxStreamStride;
    pCaps->VertexShaderVersion = D3DVS_VERSION(2, 0);
    pCaps->MaxVertexShaderConst = kVSConstants;
    pCaps->PixelShaderVersion = D3DPS_VERSION(2, 0);
    pCaps->NumSimultaneousRTs = 1;
    return D3D_OK;
}

HRESULT D3D9DeviceImpl::GetBackBuffer(UINT iSwapChain, UINT iBackBuffer, D3DBACKBUFFER_TYPE,
                                      IDirect3DSurface9** ppBackBuffer)
{
    if (iSwapChain != 0 || iBackBuffer != 0 || !ppBackBuffer)
        return D3DERR_INVALIDCALL;
    m_pBackBuffer->AddRef();
    *ppBackBuffer = m_pBackBuffer;
    return D3D_OK;
}

// ---------------------------------------------------------------------------------------------
// Clear, viewport and states

void D3D9DeviceImpl::ApplyViewport()
{
    // In the window's framebuffer the rows count from the bottom.
    const GLint y = m_bDirect ? static_cast<GLint>(m_Params.BackBufferHeight - m_Viewport.Y - m_Viewport.Height)
                              : static_cast<GLint>(m_Viewport.Y);
    glViewport(static_cast<GLint>(m_Viewport.X), y, static_cast<GLsizei>(m_Viewport.Width),
               static_cast<GLsizei>(m_Viewport.Height));
    glDepthRange(m_Viewport.MinZ, m_Viewport.MaxZ);
}

HRESULT D3D9DeviceImpl::Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z, DWORD)
{
    if ((Flags & D3DCLEAR_ZBUFFER) && !m_bHasDepth)
        return D3DERR_INVALIDCALL;
    if (m_eLoss != eLoss_None)
        return D3D_OK;
    GLbitfield mask = 0;
    if (Flags & D3DCLEAR_TARGET)
        mask |= GL_COLOR_BUFFER_BIT;
    if (Flags & D3DCLEAR_ZBUFFER)
        mask |= GL_DEPTH_BUFFER_BIT;
    if (!mask)
        return D3D_OK;
    ClaimContextState();
    glBindFramebuffer(GL_FRAMEBUFFER, TargetFramebuffer());
    m_bFramePresented = false;
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    m_bAppliedStatesValid = false;
    glClearColor(((Color >> 16) & 0xFF) / 255.0f, ((Color >> 8) & 0xFF) / 255.0f, (Color & 0xFF) / 255.0f,
                 ((Color >> 24) & 0xFF) / 255.0f);
    glClearDepth(std::clamp(Z, 0.0f, 1.0f));
    glEnable(GL_SCISSOR_TEST);
    // Only the viewport rectangle is cleared (and of it, the given rectangles).
    const LONG vx1 = static_cast<LONG>(m_Viewport.X), vy1 = static_cast<LONG>(m_Viewport.Y);
    const LONG vx2 = vx1 + static_cast<LONG>(m_Viewport.Width), vy2 = vy1 + static_cast<LONG>(m_Viewport.Height);
    auto clearRect = [&](LONG x1, LONG y1, LONG x2, LONG y2) {
        x1 = std::max(x1, vx1);
        y1 = std::max(y1, vy1);
        x2 = std::min(x2, vx2);
        y2 = std::min(y2, vy2);
        if (x2 <= x1 || y2 <= y1)
            return;
        const LONG height = static_cast<LONG>(m_Params.BackBufferHeight);
        glScissor(x1, m_bDirect ? height - y2 : y1, x2 - x1, y2 - y1);
        glClear(mask);
    };
    if (Count == 0 || !pRects)
        clearRect(vx1, vy1, vx2, vy2);
    else
        for (DWORD i = 0; i < Count; ++i)
            clearRect(pRects[i].x1, pRects[i].y1, pRects[i].x2, pRects[i].y2);
    glDisable(GL_SCISSOR_TEST);
    return D3D_OK;
}

HRESULT D3D9DeviceImpl::SetViewport(const D3DVIEWPORT9* vp)
{
    if (!vp || vp->Width == 0 || vp->Height == 0 || vp->X + vp->Width > m_Params.BackBufferWidth ||
        vp->Y + vp->Height > m_Params.BackBufferHeight || vp->MinZ < 0.0f || vp->MaxZ > 1.0f)
        return D3DERR_INVALIDCALL;
    m_Viewport = *vp;
    ApplyViewport();
    return D3D_OK;
}

HRESULT D3D9DeviceImpl::GetViewport(D3DVIEWPORT9* vp)
{
    if (!vp)
        return D3DERR_INVALIDCALL;
    *vp = m_Viewport;
    return D3D_OK;
}

HRESULT D3D9DeviceImpl::SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix)
{
    if (!pMatrix)
        return D3DERR_INVALIDCALL;
    switch (State) {
    case D3DTS_WORLD: m_World = *pMatrix; return D3D_OK;
    case D3DTS_VIEW: m_View = *pMatrix; return D3D_OK;
    case D3DTS_PROJECTION: m_Projection = *pMatrix; return D3D_OK;
    default: return D3D_OK; // texture and further world matrices are not used by the fixed stage here
    }
}

HRESULT D3D9DeviceImpl::GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix)
{
    if (!pMatrix)
        return D3DERR_INVALIDCALL;
    switch (State) {
    case D3DTS_WORLD: *pMatrix = m_World; return D3D_OK;
    case D3DTS_VIEW: *pMatrix = m_View; return D3D_OK;
    case D3DTS_PROJECTION: *pMatrix = m_Projection; return D3D_OK;
    default: *pMatrix = Identity(); return D3D_OK;
    }
}

HRESULT D3D9DeviceImpl::SetRenderState(D3DRENDERSTATETYPE State, DWORD Value)
{
    if (State >= m_RenderStates.size())
        return D3DERR_INVALIDCALL;
    m_RenderStates[State] = Value;
    return D3D_OK;
}

HRESULT D3D9DeviceImpl::GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue)
{
    if (State >= m_RenderStates.size() || !pValue)
        return D3DERR_INVALIDCALL;
    *pValue = m_RenderStates[State];
    return D3D_OK;
}

HRESULT D3D9DeviceImpl::SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value)
{
    if (Stage >= kStages || Type >= 33)
        return D3DERR_INVALIDCALL;
    m_StageStates[Stage][Type] = Value;
    return D3D_OK;
}

HRESULT D3D9DeviceImpl::SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value)
{
    if (Sampler >= kStages || Type >= 14)
        return D3DERR_INVALIDCALL;
    m_SamplerStates[Sampler][Type] = Value;
    return D3D_OK;
}

HRESULT D3D9DeviceImpl::GetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD* pValue)
{
    if (Sampler >= kStages || Type >= 14 || !pValue)
        return D3DERR_INVALIDCALL;
    *pValue = m_SamplerStates[Sampler][Type];
    return D3D_OK;
}

HRESULT D3D9DeviceImpl::SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture)
{
    if (Stage >= kStages)
        return D3DERR_INVALIDCALL;
    m_Textures[Stage] = static_cast<D3D9TextureImpl*>(static_cast<IDirect3DTexture9*>(pTexture));
    return D3D_OK;
}

// ---------------------------------------------------------------------------------------------
// Resource creation and copies

HRESULT D3D9DeviceImpl::CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                      IDirect3DTexture9** ppTexture, HANDLE*)
{
    if (!ppTexture)
        return D3DERR_INVALIDCALL;
    *ppTexture = nullptr;
    // One level is kept whatever the count asked for; the game asks for one.
    (void)Levels;
    if (Width == 0 || Height == 0 || Width > kMaxTextureSize || Height > kMaxTextureSize || !IsStoredFormat(Format) ||
        ((Usage & D3DUSAGE_RENDERTARGET) && Pool != D3DPOOL_DEFAULT) ||
        ((Usage & D3DUSAGE_DYNAMIC) && Pool == D3DPOOL_MANAGED))
        return D3DERR_INVALIDCALL;
    D3D9TextureImpl* texture = new D3D9TextureImpl(this, Width, Height, Usage, Format, Pool);
    if (!texture->Init()) {
        texture->Release();
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    *ppTexture = texture;
    return D3D_OK;
}

HRESULT D3D9DeviceImpl::CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                           IDirect3DVertexBuffer9** ppVertexBuffer, HANDLE*)
{
    if (!ppVertexBuffer)
        return D3DERR_INVALIDCALL;
    *ppVertexBuffer = nullptr;
    if (Length == 0 || Length > (256u << 20))
        return D3DERR_INVALIDCALL;
    *ppVertexBuffer = new D3D9VertexBufferImpl(this, Length, Usage, FVF, Pool);
    return D3D_OK;
}

HRESULT D3D9DeviceImpl::CreateOffscreenPlainSurface(UINT Width, UINT Height, D3DFORMAT Format, D3DPOOL Pool,
                                                    IDirect3DSurface9** ppSurface, HANDLE*)
{
    if (!ppSurface)
        return D3DERR_INVALIDCALL;
    *ppSurface = nullptr;
    if (Width == 0 || Height == 0 || Width > kMaxTextureSize || Height > kMaxTextureSize || !IsStoredFormat(Format) ||
        Pool == D3DPOOL_MANAGED)
        return D3DERR_INVALIDCALL;
    *ppSurface = new D3D9SurfaceImpl(this, Width, Height, Format, Pool);
    return D3D_OK;
}

HRESULT D3D9DeviceImpl::UpdateSurface(IDirect3DSurface9* pSource, const RECT* pSourceRect, IDirect3DSurface9* pDest,
                                      const POINT* pDestPoint)
{
    if (!pSource || !pDest || pSourceRect || pDestPoint)
        return D3DERR_INVALIDCALL;
    D3D9SurfaceImpl* src = static_cast<D3D9SurfaceImpl*>(pSource);
    D3D9SurfaceImpl* dst = static_cast<D3D9SurfaceImpl*>(pDest);
    D3DSURFACE_DESC sd = src->Desc(), dd = dst->Desc();
    // System memory to a default-pool texture level, same size and format.
    if (src->GetKind() != D3D9SurfaceImpl::eKind_Offscreen || sd.Pool != D3DPOOL_SYSTEMMEM ||
        dst->GetKind() != D3D9SurfaceImpl::eKind_TextureLevel || dd.Pool != D3DPOOL_DEFAULT || sd.Format != dd.Format ||
        sd.Width != dd.Width || sd.Height != dd.Height)
        return D3DERR_INVALIDCALL;
    dst->Texture()->Upload(src->Bits().data());
    return D3D_OK;
}

HRESULT D3D9DeviceImpl::GetRenderTargetData(IDirect3DSurface9* pRenderTarget, IDirect3DSurface9* pDestSurface)
{
    if (!pRenderTarget || !pDestSurface)
        return D3DERR_INVALIDCALL;
    D3D9SurfaceImpl* src = static_cast<D3D9SurfaceImpl*>(pRenderTarget);
    D3D9SurfaceImpl* dst = static_cast<D3D9SurfaceImpl*>(pDestSurface);
    D3DSURFACE_DESC sd = src->Desc(), dd = dst->Desc();
    if (dst->GetKind() != D3D9SurfaceImpl::eKind_Offscreen || dd.Pool != D3DPOOL_SYSTEMMEM || sd.Width != dd.Width ||
        sd.Height != dd.Height)
        return D3DERR_INVALIDCALL;
    if (src->GetKind() == D3D9SurfaceImpl::eKind_TextureLevel) {
        if (sd.Format != dd.Format)
            return D3DERR_INVALIDCALL;
        dst->Bits() = src->Texture()->Bits();
        return D3D_OK;
    }
    if (src->GetKind() != D3D9SurfaceImpl::eKind_BackBuffer || FormatBytesPerPixel(dd.Format) != 4)
        return D3DERR_INVALIDCALL;
    // The back buffer's rows are kept top row first, as the surface wants them.
    std::vector<uint8_t>& out = dst->Bits();
    ClaimContextState();
    if (m_bDirect) {
        // Once swapped, the frame is the front buffer's (a single-buffered window keeps it).
        ReadWindowRows(m_bFramePresented, static_cast<int>(dd.Width), static_cast<int>(dd.Height), out.data());
    } else {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, m_nFramebuffer);
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glReadPixels(0, 0, static_cast<GLsizei>(dd.Width), static_cast<GLsizei>(dd.Height), GL_BGRA,
                     GL_UNSIGNED_BYTE, out.data());
    }
    glBindFramebuffer(GL_FRAMEBUFFER, TargetFramebuffer());
    if (dd.Format == D3DFMT_X8R8G8B8 || DeviceBackBufferFormat(this) == D3DFMT_X8R8G8B8)
        for (size_t i = 3; i < out.size(); i += 4)
            out[i] = 0xFF;
    return D3D_OK;
}

HRESULT D3D9DeviceImpl::CreateVertexDeclaration(const D3DVERTEXELEMENT9* pVertexElements,
                                                IDirect3DVertexDeclaration9** ppDecl)
{
    if (!pVertexElements || !ppDecl)
        return D3DERR_INVALIDCALL;
    *ppDecl = nullptr;
    std::vector<D3DVERTEXELEMENT9> elements;
    for (size_t i = 0; pVertexElements[i].Stream != 0xFF; ++i) {
        const D3DVERTEXELEMENT9& e = pVertexElements[i];
        GLint size;
        GLenum type;
        GLboolean norm;
        GLsizei bytes;
        if (i >= MAXD3DDECLLENGTH || e.Stream >= kStreams || !ElementFormat(e.Type, size, type, norm, bytes))
            return D3DERR_INVALIDCALL;
        elements.push_back(e);
    }
    *ppDecl = new D3D9VertexDeclarationImpl(this, std::move(elements));
    return D3D_OK;
}

HRESULT D3D9DeviceImpl::SetVertexDeclaration(IDirect3DVertexDeclaration9* pDecl)
{
    m_pDeclaration = static_cast<D3D9VertexDeclarationImpl*>(pDecl);
    if (pDecl)
        m_nFVF = 0;
    return D3D_OK;
}

HRESULT D3D9DeviceImpl::SetFVF(DWORD FVF)
{
    m_nFVF = FVF;
    if (FVF)
        m_pDeclaration = nullptr;
    return D3D_OK;
}

namespace {

HRESULT MakeShaderCode(const DWORD* pFunction, bool pixel, uint64_t serial, std::unique_ptr<D3D9ShaderCode>& code)
{
    if (!pFunction)
        return D3DERR_INVALIDCALL;
    code = std::make_unique<D3D9ShaderCode>();
    std::string error;
    if (!TranslateShader(pFunction, kMaxShaderTokens, code->translated, error)) {
        PLATFORM_LOG_ERROR << (pixel ? "Pixel" : "Vertex") << " shader rejected: " << error;
        return D3DERR_INVALIDCALL;
    }
    if (code->translated.pixel != pixel) {
        PLATFORM_LOG_ERROR << "Shader of the wrong kind given to Create" << (pixel ? "Pixel" : "Vertex") << "Shader";
        return D3DERR_INVALIDCALL;
    }
    std::string log;
    code->shader = CompileShader(pixel ? GL_FRAGMENT_SHADER : GL_VERTEX_SHADER, code->translated.glsl, log);
    if (!code->shader) {
        PLATFORM_LOG_ERROR << "Translated shader failed to compile: " << log;
        return D3DERR_INVALIDCALL;
    }
    code->tokens.assign(pFunction, pFunction + code->translated.tokenCount);
    code->serial = serial;
    return D3D_OK;
}

} // namespace

HRESULT D3D9DeviceImpl::CreateVertexShader(const DWORD* pFunction, IDirect3DVertexShader9** ppShader)
{
    if (!ppShader)
        return D3DERR_INVALIDCALL;
    *ppShader = nullptr;
    std::unique_ptr<D3D9ShaderCode> code;
    HRESULT hr = MakeShaderCode(pFunction, false, m_nNextSerial++, code);
    if (FAILED(hr))
        return hr;
    *ppShader = new D3D9VertexShaderImpl(this, std::move(code));
    return D3D_OK;
}

HRESULT D3D9DeviceImpl::CreatePixelShader(const DWORD* pFunction, IDirect3DPixelShader9** ppShader)
{
    if (!ppShader)
        return D3DERR_INVALIDCALL;
    *ppShader = nullptr;
    std::unique_ptr<D3D9ShaderCode> code;
    HRESULT hr = MakeShaderCode(pFunction, true, m_nNextSerial++, code);
    if (FAILED(hr))
        return hr;
    *ppShader = new D3D9PixelShaderImpl(this, std::move(code));
    return D3D_OK;
}

HRESULT D3D9DeviceImpl::SetVertexShader(IDirect3DVertexShader9* pShader)
{
    m_pVertexShader = static_cast<D3D9VertexShaderImpl*>(pShader);
    return D3D_OK;
}

HRESULT D3D9DeviceImpl::SetPixelShader(IDirect3DPixelShader9* pShader)
{
    m_pPixelShader = static_cast<D3D9PixelShaderImpl*>(pShader);
    return D3D_OK;
}

HRESULT D3D9DeviceImpl::SetConstants(float* bank, UINT count, UINT& first, UINT& end, UINT start,
                                     const float* data, UINT vectors)
{
    if (!data || start > count || vectors > count - start)
        return D3DERR_INVALIDCALL;
    float* target = bank + start * 4;
    const size_t bytes = vectors * 4 * sizeof(float);
    // Registers set to what they already hold need no upload (the projection, set every frame).
    if (vectors == 0 || std::memcmp(target, data, bytes) == 0)
        return D3D_OK;
    std::memcpy(target, data, bytes);
    MarkDirty(first, end, start, start + vectors);
    return D3D_OK;
}

HRESULT D3D9DeviceImpl::SetVertexShaderConstantF(UINT StartRegister, const float* pConstantData, UINT Vector4fCount)
{
    return SetConstants(m_VSConst.data(), kVSConstants, m_nVSDirtyFirst, m_nVSDirtyEnd, StartRegister, pConstantData,
                        Vector4fCount);
}

HRESULT D3D9DeviceImpl::SetPixelShaderConstantF(UINT StartRegister, const float* pConstantData, UINT Vector4fCount)
{
    return SetConstants(m_PSConst.data(), kPSConstants, m_nPSDirtyFirst, m_nPSDirtyEnd, StartRegister, pConstantData,
                        Vector4fCount);
}

HRESULT D3D9DeviceImpl::SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData, UINT OffsetInBytes,
                                        UINT Stride)
{
    if (StreamNumber >= kStreams)
        return D3DERR_INVALIDCALL;
    m_Streams[StreamNumber] = {static_cast<D3D9VertexBufferImpl*>(pStreamData), OffsetInBytes, Stride};
    return D3D_OK;
}

// ---------------------------------------------------------------------------------------------
// Drawing

bool D3D9DeviceImpl::LinkProgram(GLuint vs, GLuint ps, Program& p)
{
    p.program = glCreateProgram();
    glAttachShader(p.program, vs);
    glAttachShader(p.program, ps);
    glBindFragDataLocation(p.program, 0, "qm_Color");
    glLinkProgram(p.program);
    GLint ok = GL_FALSE;
    glGetProgramiv(p.program, GL_LINK_STATUS, &ok);
    if (!ok) {
        char buffer[2048] = {};
        glGetProgramInfoLog(p.program, sizeof(buffer) - 1, nullptr, buffer);
        PLATFORM_LOG_ERROR << "Shader program failed to link: " << buffer;
        glDeleteProgram(p.program);
        p.program = 0;
        return false;
    }
    glUseProgram(p.program);
    GLuint block = glGetUniformBlockIndex(p.program, "QmVSConst");
    if (block != GL_INVALID_INDEX)
        glUniformBlockBinding(p.program, block, 0);
    block = glGetUniformBlockIndex(p.program, "QmPSConst");
    if (block != GL_INVALID_INDEX)
        glUniformBlockBinding(p.program, block, 1);
    for (int s = 0; s < kStages; ++s) {
        GLint loc = glGetUniformLocation(p.program, (std::string("s") + std::to_string(s)).c_str());
        if (loc >= 0)
            glUniform1i(loc, s);
    }
    GLint loc = glGetUniformLocation(p.program, "qm_Texture0");
    if (loc >= 0)
        glUniform1i(loc, 0);
    p.posFixup = glGetUniformLocation(p.program, "qm_PosFixup");
    p.alphaRef = glGetUniformLocation(p.program, "qm_AlphaRef");
    p.worldViewProj = glGetUniformLocation(p.program, "qm_WorldViewProj");
    p.textureBound = glGetUniformLocation(p.program, "qm_TextureBound");
    p.colorStage = glGetUniformLocation(p.program, "qm_ColorStage");
    p.alphaStage = glGetUniformLocation(p.program, "qm_AlphaStage");
    p.textureFactor = glGetUniformLocation(p.program, "qm_TextureFactor");
    return true;
}

DWORD D3D9DeviceImpl::AlphaFunction() const
{
    if (!m_RenderStates[D3DRS_ALPHATESTENABLE])
        return D3DCMP_ALWAYS;
    const DWORD f = m_RenderStates[D3DRS_ALPHAFUNC];
    return f >= D3DCMP_NEVER && f <= D3DCMP_ALWAYS ? f : D3DCMP_NEVER;
}

Program* D3D9DeviceImpl::GetProgram()
{
    const uint64_t vsKey = m_pVertexShader ? m_pVertexShader->Code().serial : 0;
    const uint64_t psKey = m_pPixelShader ? m_pPixelShader->Code().serial : 0;
    const DWORD alpha = AlphaFunction();
    const auto key = std::make_tuple(vsKey, psKey, alpha);
    auto found = m_Programs.find(key);
    if (found != m_Programs.end())
        return found->second.program ? &found->second : nullptr;
    GLuint ps = m_pPixelShader ? m_pPixelShader->Code().shader : m_nFixedPS;
    if (alpha != D3DCMP_ALWAYS) {
        GLuint& variant = m_pPixelShader ? m_pPixelShader->Code().alphaVariants[alpha] : m_FixedPSVariants[alpha];
        if (!variant) {
            // The same text with the alpha function defined right after the version line.
            std::string source = m_pPixelShader ? m_pPixelShader->Code().translated.glsl : kFixedFunctionPixelGlsl;
            const size_t line = source.find('\n') + 1;
            source.insert(line, "#define QM_ALPHA_FUNC " + std::to_string(alpha) + "\n");
            std::string log;
            variant = CompileShader(GL_FRAGMENT_SHADER, source, log);
            if (!variant)
                PLATFORM_LOG_ERROR << "Pixel stage failed to compile for alpha function " << alpha << ": " << log;
        }
        ps = variant;
    }
    Program& p = m_Programs[key];
    if (ps)
        LinkProgram(m_pVertexShader ? m_pVertexShader->Code().shader : m_nFixedVS, ps, p);
    return p.program ? &p : nullptr;
}

bool D3D9DeviceImpl::BindAttributes(UINT startVertex, UINT vertexCount)
{
    std::vector<D3DVERTEXELEMENT9> fvfElements;
    const std::vector<D3DVERTEXELEMENT9>* elements = nullptr;
    if (m_pDeclaration)
        elements = &m_pDeclaration->Elements();
    else if (m_nFVF && ElementsFromFVF(m_nFVF, fvfElements))
        elements = &fvfElements;
    if (!elements)
        return false;

    // (attribute location, usage, usage index) wanted by the vertex stage.
    struct Want {
        GLuint location;
        BYTE usage;
        BYTE index;
        float fallback[4];
    };
    static const Want kFixedWants[] = {{0, D3DDECLUSAGE_POSITION, 0, {0, 0, 0, 1}},
                                       {1, D3DDECLUSAGE_COLOR, 0, {1, 1, 1, 1}},
                                       {2, D3DDECLUSAGE_TEXCOORD, 0, {0, 0, 0, 1}}};
    Want shaderWants[16];
    const Want* wants = kFixedWants;
    size_t wantCount = std::size(kFixedWants);
    if (m_pVertexShader) {
        wants = shaderWants;
        wantCount = 0;
        for (const ShaderInput& in : m_pVertexShader->Code().translated.inputs)
            if (wantCount < std::size(shaderWants) && in.reg < 16)
                shaderWants[wantCount++] = {in.reg, static_cast<BYTE>(in.usage), static_cast<BYTE>(in.usageIndex),
                                            {0, 0, 0, 1}};
    }

    // Work out every binding (and check every vertex read lies inside its buffer) before
    // touching OpenGL, so a rejected draw leaves the bound attributes as they were.
    AttributeBinding bindings[16];
    uint32_t arrays = 0, constants = 0;
    for (size_t i = 0; i < wantCount; ++i) {
        const Want& w = wants[i];
        const D3DVERTEXELEMENT9* e = nullptr;
        for (const D3DVERTEXELEMENT9& candidate : *elements)
            if (candidate.Usage == w.usage && candidate.UsageIndex == w.index)
                e = &candidate;
        AttributeBinding& b = bindings[w.location];
        if (!e) {
            b = AttributeBinding();
            std::memcpy(b.constant, w.fallback, sizeof(b.constant));
            constants |= 1u << w.location;
            arrays &= ~(1u << w.location);
            continue;
        }
        const Stream& s = m_Streams[e->Stream];
        GLsizei bytes;
        b = AttributeBinding();
        if (!s.buffer || s.stride > kMaxStreamStride || !ElementFormat(e->Type, b.size, b.type, b.normalized, bytes))
            return false;
        const uint64_t last = static_cast<uint64_t>(s.offset) + e->Offset +
                              static_cast<uint64_t>(startVertex + vertexCount - 1) * s.stride + bytes;
        if (last > s.buffer->Size())
            return false;
        b.buffer = s.buffer->GLBuffer();
        b.stride = static_cast<GLsizei>(s.stride);
        b.offset = static_cast<uintptr_t>(s.offset) + e->Offset;
        // Stride 0 repeats the first element for every vertex; to OpenGL it would mean packed
        // elements, read past the one the bounds check allowed for. A divisor pins the element.
        b.divisor = s.stride == 0 ? 1 : 0;
        arrays |= 1u << w.location;
        constants &= ~(1u << w.location);
    }

    if (!m_bAttributesValid) {
        for (GLuint i = 0; i < 16; ++i)
            glDisableVertexAttribArray(i);
        m_nEnabledAttributes = 0;
    }
    for (GLuint i = 0; i < 16; ++i) {
        const uint32_t bit = 1u << i;
        if ((m_nEnabledAttributes & bit) && !(arrays & bit))
            glDisableVertexAttribArray(i);
        if (arrays & bit) {
            if (!m_bAttributesValid || !(m_nEnabledAttributes & bit) || !(m_BoundAttributes[i] == bindings[i])) {
                glBindBuffer(GL_ARRAY_BUFFER, bindings[i].buffer);
                glVertexAttribDivisor(i, bindings[i].divisor);
                glVertexAttribPointer(i, bindings[i].size, bindings[i].type, bindings[i].normalized,
                                      bindings[i].stride, reinterpret_cast<const void*>(bindings[i].offset));
            }
            if (!(m_nEnabledAttributes & bit))
                glEnableVertexAttribArray(i);
            m_BoundAttributes[i] = bindings[i];
        } else if (constants & bit) {
            // Current attribute values are context state, kept between draws like the arrays.
            if (!m_bAttributesValid || (m_nEnabledAttributes & bit) || !(m_BoundAttributes[i] == bindings[i]))
                glVertexAttrib4fv(i, bindings[i].constant);
            m_BoundAttributes[i] = bindings[i];
        }
    }
    m_nEnabledAttributes = arrays;
    m_bAttributesValid = true;
    return true;
}

void D3D9DeviceImpl::UploadConstants(GLuint buffer, const float* data, UINT& first, UINT& end)
{
    if (first >= end)
        return;
    glBindBuffer(GL_UNIFORM_BUFFER, buffer);
    glBufferSubData(GL_UNIFORM_BUFFER, static_cast<GLintptr>(first) * 16, static_cast<GLsizeiptr>(end - first) * 16,
                    data + first * 4);
    first = end = 0;
}

void D3D9DeviceImpl::ApplyStates(Program& p)
{
    const auto& rs = m_RenderStates;
    const bool depth = rs[D3DRS_ZENABLE] && m_bHasDepth;
    const bool blend = rs[D3DRS_ALPHABLENDENABLE] != 0;
    const bool separate = blend && rs[D3DRS_SEPARATEALPHABLENDENABLE];
    // Only the render states that reach OpenGL take part; the others are zero.
    const FixedStates fixed = {depth,
                               depth ? rs[D3DRS_ZFUNC] : 0,
                               depth ? rs[D3DRS_ZWRITEENABLE] : 0,
                               rs[D3DRS_CULLMODE],
                               blend,
                               separate,
                               blend ? rs[D3DRS_SRCBLEND] : 0,
                               blend ? rs[D3DRS_DESTBLEND] : 0,
                               blend ? rs[D3DRS_BLENDOP] : 0,
                               separate ? rs[D3DRS_SRCBLENDALPHA] : 0,
                               separate ? rs[D3DRS_DESTBLENDALPHA] : 0,
                               separate ? rs[D3DRS_BLENDOPALPHA] : 0,
                               rs[D3DRS_COLORWRITEENABLE],
                               rs[D3DRS_FILLMODE],
                               m_bDirect};
    if (!m_bAppliedStatesValid || !(fixed == m_AppliedStates)) {
        if (depth) {
            glEnable(GL_DEPTH_TEST);
            glDepthFunc(CompareFunc(rs[D3DRS_ZFUNC]));
            glDepthMask(rs[D3DRS_ZWRITEENABLE] ? GL_TRUE : GL_FALSE);
        } else {
            glDisable(GL_DEPTH_TEST);
        }
        // Winding is judged on screen, y down. Rendering upside down mirrors it, so a triangle
        // clockwise on screen is counter-clockwise to OpenGL: CCW culling drops OpenGL's back faces.
        if (rs[D3DRS_CULLMODE] == D3DCULL_NONE) {
            glDisable(GL_CULL_FACE);
        } else {
            glEnable(GL_CULL_FACE);
            glFrontFace(GL_CCW);
            glCullFace(rs[D3DRS_CULLMODE] == D3DCULL_CCW ? GL_BACK : GL_FRONT);
        }
        if (blend) {
            glEnable(GL_BLEND);
            if (separate) {
                glBlendFuncSeparate(BlendFactor(rs[D3DRS_SRCBLEND]), BlendFactor(rs[D3DRS_DESTBLEND]),
                                    BlendFactor(rs[D3DRS_SRCBLENDALPHA]), BlendFactor(rs[D3DRS_DESTBLENDALPHA]));
                glBlendEquationSeparate(BlendOp(rs[D3DRS_BLENDOP]), BlendOp(rs[D3DRS_BLENDOPALPHA]));
            } else {
                glBlendFunc(BlendFactor(rs[D3DRS_SRCBLEND]), BlendFactor(rs[D3DRS_DESTBLEND]));
                glBlendEquation(BlendOp(rs[D3DRS_BLENDOP]));
            }
        } else {
            glDisable(GL_BLEND);
        }
        const DWORD write = rs[D3DRS_COLORWRITEENABLE];
        glColorMask((write & 1) != 0, (write & 2) != 0, (write & 4) != 0, (write & 8) != 0);
        glPolygonMode(GL_FRONT_AND_BACK, rs[D3DRS_FILLMODE] == D3DFILL_WIREFRAME ? GL_LINE : GL_FILL);
        // Into the window (rows counted from the bottom) the upper-left origin turns the
        // upside-down rendering upright, and with it the winding and the edge rules, so the
        // same triangles cover the same pixels as offscreen.
        if (m_bClipControl)
            glClipControl(m_bDirect ? GL_UPPER_LEFT : GL_LOWER_LEFT, GL_NEGATIVE_ONE_TO_ONE);
        m_AppliedStates = fixed;
        m_bAppliedStatesValid = true;
    }

    const float fixup[2] = {1.0f / static_cast<float>(m_Viewport.Width), 1.0f / static_cast<float>(m_Viewport.Height)};
    const float alphaRef = static_cast<float>(rs[D3DRS_ALPHAREF] & 0xFF);
    const bool all = !p.set.valid;
    if (all || std::memcmp(fixup, p.set.posFixup, sizeof(fixup)) != 0) {
        glUniform4f(p.posFixup, fixup[0], fixup[1], 0.0f, 0.0f);
        std::memcpy(p.set.posFixup, fixup, sizeof(fixup));
    }
    if (all || alphaRef != p.set.alphaRef) {
        glUniform1f(p.alphaRef, alphaRef);
        p.set.alphaRef = alphaRef;
    }
    if (p.worldViewProj >= 0) {
        D3DMATRIX wv, wvp;
        MultiplyMatrix(m_World, m_View, wv);
        MultiplyMatrix(wv, m_Projection, wvp);
        if (all || std::memcmp(&wvp, &p.set.worldViewProj, sizeof(wvp)) != 0) {
            glUniformMatrix4fv(p.worldViewProj, 1, GL_FALSE, &wvp.m[0][0]);
            p.set.worldViewProj = wvp;
        }
    }
    if (p.colorStage >= 0) {
        const DWORD* st = m_StageStates[0];
        const GLint stages[6] = {static_cast<GLint>(st[D3DTSS_COLOROP]), static_cast<GLint>(st[D3DTSS_COLORARG1]),
                                 static_cast<GLint>(st[D3DTSS_COLORARG2]), static_cast<GLint>(st[D3DTSS_ALPHAOP]),
                                 static_cast<GLint>(st[D3DTSS_ALPHAARG1]), static_cast<GLint>(st[D3DTSS_ALPHAARG2])};
        if (all || std::memcmp(stages, p.set.stages, sizeof(stages)) != 0) {
            glUniform3i(p.colorStage, stages[0], stages[1], stages[2]);
            glUniform3i(p.alphaStage, stages[3], stages[4], stages[5]);
            std::memcpy(p.set.stages, stages, sizeof(stages));
        }
        const GLint bound = m_Textures[0] != nullptr;
        if (all || bound != p.set.textureBound) {
            glUniform1i(p.textureBound, bound);
            p.set.textureBound = bound;
        }
        const DWORD f = rs[D3DRS_TEXTUREFACTOR];
        if (all || f != p.set.textureFactor) {
            glUniform4f(p.textureFactor, ((f >> 16) & 0xFF) / 255.0f, ((f >> 8) & 0xFF) / 255.0f, (f & 0xFF) / 255.0f,
                        ((f >> 24) & 0xFF) / 255.0f);
            p.set.textureFactor = f;
        }
    }
    p.set.valid = true;
    UploadConstants(m_nVSConstBuffer, m_VSConst.data(), m_nVSDirtyFirst, m_nVSDirtyEnd);
    UploadConstants(m_nPSConstBuffer, m_PSConst.data(), m_nPSDirtyFirst, m_nPSDirtyEnd);
    // Only the stages the pixel stage samples are bound: stage 0 for the fixed-function stage.
    const uint32_t used = m_pPixelShader ? m_pPixelShader->Code().translated.samplerMask : 1u;
    for (int s = 0; s < kStages; ++s) {
        if (!(used & (1u << s)))
            continue;
        glActiveTexture(GL_TEXTURE0 + s);
        glBindTexture(GL_TEXTURE_2D, m_Textures[s] ? m_Textures[s]->GLTexture() : 0);
        if (!m_Textures[s])
            continue;
        const DWORD* ss = m_SamplerStates[s];
        const SamplerParams params = {AddressMode(ss[D3DSAMP_ADDRESSU]), AddressMode(ss[D3DSAMP_ADDRESSV]),
                                      ss[D3DSAMP_MAGFILTER] >= D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST,
                                      ss[D3DSAMP_MINFILTER] >= D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST,
                                      ss[D3DSAMP_BORDERCOLOR]};
        // The sampler objects are the device's own: nothing else changes them.
        if ((m_nAppliedSamplerMask & (1u << s)) && params == m_AppliedSamplers[s])
            continue;
        GLuint sampler = m_Samplers[s];
        glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, params.wrapS);
        glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, params.wrapT);
        glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, params.mag);
        glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, params.min);
        const DWORD b = params.border;
        const float border[4] = {((b >> 16) & 0xFF) / 255.0f, ((b >> 8) & 0xFF) / 255.0f, (b & 0xFF) / 255.0f,
                                 ((b >> 24) & 0xFF) / 255.0f};
        glSamplerParameterfv(sampler, GL_TEXTURE_BORDER_COLOR, border);
        glBindSampler(static_cast<GLuint>(s), sampler);
        m_AppliedSamplers[s] = params;
        m_nAppliedSamplerMask |= 1u << s;
    }
    glActiveTexture(GL_TEXTURE0);
}

HRESULT D3D9DeviceImpl::DrawPrimitive(D3DPRIMITIVETYPE type, UINT StartVertex, UINT PrimitiveCount)
{
    if (m_eLoss != eLoss_None || PrimitiveCount == 0)
        return D3D_OK;
    GLenum mode;
    uint64_t vertices;
    switch (type) {
    case D3DPT_POINTLIST:
        mode = GL_POINTS;
        vertices = PrimitiveCount;
        break;
    case D3DPT_LINELIST:
        mode = GL_LINES;
        vertices = 2ull * PrimitiveCount;
        break;
    case D3DPT_LINESTRIP:
        mode = GL_LINE_STRIP;
        vertices = PrimitiveCount + 1ull;
        break;
    case D3DPT_TRIANGLELIST:
        mode = GL_TRIANGLES;
        vertices = 3ull * PrimitiveCount;
        break;
    case D3DPT_TRIANGLESTRIP:
        mode = GL_TRIANGLE_STRIP;
        vertices = PrimitiveCount + 2ull;
        break;
    case D3DPT_TRIANGLEFAN:
        mode = GL_TRIANGLE_FAN;
        vertices = PrimitiveCount + 2ull;
        break;
    default: return D3DERR_INVALIDCALL;
    }
    if (vertices + StartVertex > 0x7FFFFFFF)
        return D3DERR_INVALIDCALL;
    ClaimContextState();
    Program* program = GetProgram();
    glBindFramebuffer(GL_FRAMEBUFFER, TargetFramebuffer());
    m_bFramePresented = false;
    glBindVertexArray(m_nVertexArray);
    if (!program || !BindAttributes(StartVertex, static_cast<UINT>(vertices))) {
        if (!m_bReportedDrawFailure)
            PLATFORM_LOG_ERROR << "Draw rejected: no usable shaders, vertex layout or vertex data for it";
        m_bReportedDrawFailure = true;
        return D3DERR_INVALIDCALL;
    }
    glUseProgram(program->program);
    ApplyStates(*program);
    glDrawArrays(mode, static_cast<GLint>(StartVertex), static_cast<GLsizei>(vertices));
    return D3D_OK;
}

// ---------------------------------------------------------------------------------------------
// Entry points used by the Direct3D object, the resources and the tests

HRESULT CreateD3D9Device(HWND window, D3DPRESENT_PARAMETERS* params, IDirect3DDevice9** device)
{
    if (!params || !device)
        return D3DERR_INVALIDCALL;
    *device = nullptr;
    if (!BackendGLAttach(window))
        return D3DERR_NOTAVAILABLE;
    D3DPRESENT_PARAMETERS p = *params;
    if (!p.Windowed)
        CoverScreen(window);
    int w = 0, h = 0;
    if (p.Windowed && (p.BackBufferWidth == 0 || p.BackBufferHeight == 0) && BackendGLDrawableSize(window, &w, &h)) {
        p.BackBufferWidth = static_cast<UINT>(w);
        p.BackBufferHeight = static_cast<UINT>(h);
    }
    if (p.BackBufferWidth == 0 || p.BackBufferHeight == 0 || p.BackBufferWidth > kMaxTextureSize ||
        p.BackBufferHeight > kMaxTextureSize)
        return D3DERR_INVALIDCALL;
    if (p.BackBufferFormat == D3DFMT_UNKNOWN)
        p.BackBufferFormat = D3DFMT_X8R8G8B8;
    D3D9DeviceImpl* impl = new (std::nothrow) D3D9DeviceImpl(window, p);
    if (!impl)
        return E_OUTOFMEMORY;
    if (!impl->Init()) {
        impl->Release();
        return D3DERR_NOTAVAILABLE;
    }
    *params = p;
    *device = impl;
    return D3D_OK;
}

IDirect3DDevice9* D3D9SurfaceImpl::Device() const
{
    return m_pDevice;
}
D3D9DeviceImpl* GetDeviceImpl(IDirect3DDevice9* device)
{
    return static_cast<D3D9DeviceImpl*>(device);
}
void DeviceAddRef(D3D9DeviceImpl* device)
{
    device->AddRef();
}
void DeviceRelease(D3D9DeviceImpl* device)
{
    device->Release();
}
void DeviceCountDefaultPool(D3D9DeviceImpl* device, int delta)
{
    device->CountDefaultPool(delta);
}
void DeviceForget(D3D9DeviceImpl* device, const void* object)
{
    device->Forget(object);
}
void DeviceForgetShader(D3D9DeviceImpl* device, uint64_t serial)
{
    device->ForgetShader(serial);
}
bool DeviceCompressedUpload(D3D9DeviceImpl* device)
{
    return device->CompressedUpload();
}
UINT DeviceBackBufferWidth(D3D9DeviceImpl* device)
{
    return device->Params().BackBufferWidth;
}
UINT DeviceBackBufferHeight(D3D9DeviceImpl* device)
{
    return device->Params().BackBufferHeight;
}
D3DFORMAT DeviceBackBufferFormat(D3D9DeviceImpl* device)
{
    return device->Params().BackBufferFormat;
}

void D3D9ForceDeviceLoss(IDirect3DDevice9* device, int lostPolls)
{
    GetDeviceImpl(device)->ForceLoss(lostPolls);
}
int D3D9CountDefaultPoolResources(IDirect3DDevice9* device)
{
    return GetDeviceImpl(device)->DefaultPoolCount();
}
void D3D9CaptureNextPresent(IDirect3DDevice9* device, D3D9WindowCapture* capture)
{
    GetDeviceImpl(device)->CaptureNextPresent(capture);
}

void D3D9SetCompressedTextureUpload(IDirect3DDevice9* device, bool enabled)
{
    GetDeviceImpl(device)->SetCompressedUpload(enabled);
}
