// Direct3D 9 types and constants, with the values of the real API. Only what the game and
// its tests use is declared.
#pragma once

#include <cstdint>

#include "Platform/COM/Unknown.h"
#include "Platform/Win32/WinTypes.h"

// Window and rectangle types as the Windows headers name them (repeating a typedef of the
// same type is harmless where the window layer declares them too).
struct HWND__;
typedef HWND__* HWND;
struct tagRECT;
typedef tagRECT RECT;
struct _RGNDATA;
typedef _RGNDATA RGNDATA;
struct tagPOINT;
typedef tagPOINT POINT;
struct tagPALETTEENTRY;
typedef tagPALETTEENTRY PALETTEENTRY;

#define D3D_SDK_VERSION 32
#define D3DADAPTER_DEFAULT 0

#define MAKEFOURCC(a, b, c, d)                                                                                         \
    ((DWORD)(BYTE)(a) | ((DWORD)(BYTE)(b) << 8) | ((DWORD)(BYTE)(c) << 16) | ((DWORD)(BYTE)(d) << 24))

// Result codes (facility 0x876).
#define MAKE_D3DHRESULT(code) ((HRESULT)(0x88760000u | (code)))
#define D3D_OK S_OK
#define D3DERR_WRONGTEXTUREFORMAT MAKE_D3DHRESULT(2072)
#define D3DERR_NOTFOUND MAKE_D3DHRESULT(2150)
#define D3DERR_MOREDATA MAKE_D3DHRESULT(2151)
#define D3DERR_DEVICELOST MAKE_D3DHRESULT(2152)
#define D3DERR_DEVICENOTRESET MAKE_D3DHRESULT(2153)
#define D3DERR_NOTAVAILABLE MAKE_D3DHRESULT(2154)
#define D3DERR_OUTOFVIDEOMEMORY MAKE_D3DHRESULT(380)
#define D3DERR_INVALIDDEVICE MAKE_D3DHRESULT(2155)
#define D3DERR_INVALIDCALL MAKE_D3DHRESULT(2156)
#define D3DERR_DRIVERINTERNALERROR MAKE_D3DHRESULT(2087)

enum D3DFORMAT : uint32_t {
    D3DFMT_UNKNOWN = 0,
    D3DFMT_R8G8B8 = 20,
    D3DFMT_A8R8G8B8 = 21,
    D3DFMT_X8R8G8B8 = 22,
    D3DFMT_R5G6B5 = 23,
    D3DFMT_X1R5G5B5 = 24,
    D3DFMT_A1R5G5B5 = 25,
    D3DFMT_A4R4G4B4 = 26,
    D3DFMT_A8 = 28,
    D3DFMT_A8B8G8R8 = 32,
    D3DFMT_X8B8G8R8 = 33,
    D3DFMT_L8 = 50,
    D3DFMT_D24S8 = 75,
    D3DFMT_D16 = 80,
    D3DFMT_VERTEXDATA = 100,
    D3DFMT_INDEX16 = 101,
    D3DFMT_INDEX32 = 102,
    D3DFMT_DXT1 = MAKEFOURCC('D', 'X', 'T', '1'),
    D3DFMT_DXT2 = MAKEFOURCC('D', 'X', 'T', '2'),
    D3DFMT_DXT3 = MAKEFOURCC('D', 'X', 'T', '3'),
    D3DFMT_DXT4 = MAKEFOURCC('D', 'X', 'T', '4'),
    D3DFMT_DXT5 = MAKEFOURCC('D', 'X', 'T', '5'),
    D3DFMT_FORCE_DWORD = 0x7fffffff
};

enum D3DDEVTYPE : uint32_t { D3DDEVTYPE_HAL = 1, D3DDEVTYPE_REF = 2, D3DDEVTYPE_SW = 3, D3DDEVTYPE_NULLREF = 4 };

enum D3DPOOL : uint32_t { D3DPOOL_DEFAULT = 0, D3DPOOL_MANAGED = 1, D3DPOOL_SYSTEMMEM = 2, D3DPOOL_SCRATCH = 3 };

enum D3DRESOURCETYPE : uint32_t {
    D3DRTYPE_SURFACE = 1,
    D3DRTYPE_VOLUME = 2,
    D3DRTYPE_TEXTURE = 3,
    D3DRTYPE_VOLUMETEXTURE = 4,
    D3DRTYPE_CUBETEXTURE = 5,
    D3DRTYPE_VERTEXBUFFER = 6,
    D3DRTYPE_INDEXBUFFER = 7
};

enum D3DMULTISAMPLE_TYPE : uint32_t { D3DMULTISAMPLE_NONE = 0 };

enum D3DSWAPEFFECT : uint32_t { D3DSWAPEFFECT_DISCARD = 1, D3DSWAPEFFECT_FLIP = 2, D3DSWAPEFFECT_COPY = 3 };

enum D3DBACKBUFFER_TYPE : uint32_t { D3DBACKBUFFER_TYPE_MONO = 0 };

enum D3DPRIMITIVETYPE : uint32_t {
    D3DPT_POINTLIST = 1,
    D3DPT_LINELIST = 2,
    D3DPT_LINESTRIP = 3,
    D3DPT_TRIANGLELIST = 4,
    D3DPT_TRIANGLESTRIP = 5,
    D3DPT_TRIANGLEFAN = 6
};

// CreateDevice behaviour flags.
#define D3DCREATE_FPU_PRESERVE 0x00000002u
#define D3DCREATE_MULTITHREADED 0x00000004u
#define D3DCREATE_PUREDEVICE 0x00000010u
#define D3DCREATE_SOFTWARE_VERTEXPROCESSING 0x00000020u
#define D3DCREATE_HARDWARE_VERTEXPROCESSING 0x00000040u
#define D3DCREATE_MIXED_VERTEXPROCESSING 0x00000080u

// Resource usage.
#define D3DUSAGE_RENDERTARGET 0x00000001u
#define D3DUSAGE_DEPTHSTENCIL 0x00000002u
#define D3DUSAGE_WRITEONLY 0x00000008u
#define D3DUSAGE_DYNAMIC 0x00000200u

// Lock flags.
#define D3DLOCK_READONLY 0x00000010u
#define D3DLOCK_NOSYSLOCK 0x00000800u
#define D3DLOCK_NOOVERWRITE 0x00001000u
#define D3DLOCK_DISCARD 0x00002000u

// Clear flags.
#define D3DCLEAR_TARGET 0x00000001u
#define D3DCLEAR_ZBUFFER 0x00000002u
#define D3DCLEAR_STENCIL 0x00000004u

#define D3DPRESENT_INTERVAL_DEFAULT 0x00000000u
#define D3DPRESENT_INTERVAL_ONE 0x00000001u
#define D3DPRESENT_INTERVAL_IMMEDIATE 0x80000000u

// Flexible vertex format bits.
#define D3DFVF_XYZ 0x002u
#define D3DFVF_XYZRHW 0x004u
#define D3DFVF_POSITION_MASK 0x400Eu
#define D3DFVF_NORMAL 0x010u
#define D3DFVF_DIFFUSE 0x040u
#define D3DFVF_SPECULAR 0x080u
#define D3DFVF_TEXCOUNT_MASK 0xF00u
#define D3DFVF_TEXCOUNT_SHIFT 8
#define D3DFVF_TEX1 0x100u

#define D3DCOLOR_ARGB(a, r, g, b)                                                                                      \
    ((D3DCOLOR)((((a) & 0xff) << 24) | (((r) & 0xff) << 16) | (((g) & 0xff) << 8) | ((b) & 0xff)))
#define D3DCOLOR_XRGB(r, g, b) D3DCOLOR_ARGB(0xff, r, g, b)
typedef DWORD D3DCOLOR;

enum D3DRENDERSTATETYPE : uint32_t {
    D3DRS_ZENABLE = 7,
    D3DRS_FILLMODE = 8,
    D3DRS_SHADEMODE = 9,
    D3DRS_ZWRITEENABLE = 14,
    D3DRS_ALPHATESTENABLE = 15,
    D3DRS_LASTPIXEL = 16,
    D3DRS_SRCBLEND = 19,
    D3DRS_DESTBLEND = 20,
    D3DRS_CULLMODE = 22,
    D3DRS_ZFUNC = 23,
    D3DRS_ALPHAREF = 24,
    D3DRS_ALPHAFUNC = 25,
    D3DRS_DITHERENABLE = 26,
    D3DRS_ALPHABLENDENABLE = 27,
    D3DRS_FOGENABLE = 28,
    D3DRS_SPECULARENABLE = 29,
    D3DRS_STENCILENABLE = 52,
    D3DRS_TEXTUREFACTOR = 60,
    D3DRS_LIGHTING = 137,
    D3DRS_AMBIENT = 139,
    D3DRS_COLORVERTEX = 141,
    D3DRS_COLORWRITEENABLE = 168,
    D3DRS_BLENDOP = 171,
    D3DRS_SCISSORTESTENABLE = 174,
    D3DRS_SEPARATEALPHABLENDENABLE = 206,
    D3DRS_SRCBLENDALPHA = 207,
    D3DRS_DESTBLENDALPHA = 208,
    D3DRS_BLENDOPALPHA = 209,
    D3DRS_FORCE_DWORD = 0x7fffffff
};

enum D3DZBUFFERTYPE : uint32_t { D3DZB_FALSE = 0, D3DZB_TRUE = 1 };
enum D3DSHADEMODE : uint32_t { D3DSHADE_FLAT = 1, D3DSHADE_GOURAUD = 2 };
enum D3DFILLMODE : uint32_t { D3DFILL_POINT = 1, D3DFILL_WIREFRAME = 2, D3DFILL_SOLID = 3 };
enum D3DCULL : uint32_t { D3DCULL_NONE = 1, D3DCULL_CW = 2, D3DCULL_CCW = 3 };

enum D3DCMPFUNC : uint32_t {
    D3DCMP_NEVER = 1,
    D3DCMP_LESS = 2,
    D3DCMP_EQUAL = 3,
    D3DCMP_LESSEQUAL = 4,
    D3DCMP_GREATER = 5,
    D3DCMP_NOTEQUAL = 6,
    D3DCMP_GREATEREQUAL = 7,
    D3DCMP_ALWAYS = 8
};

enum D3DBLEND : uint32_t {
    D3DBLEND_ZERO = 1,
    D3DBLEND_ONE = 2,
    D3DBLEND_SRCCOLOR = 3,
    D3DBLEND_INVSRCCOLOR = 4,
    D3DBLEND_SRCALPHA = 5,
    D3DBLEND_INVSRCALPHA = 6,
    D3DBLEND_DESTALPHA = 7,
    D3DBLEND_INVDESTALPHA = 8,
    D3DBLEND_DESTCOLOR = 9,
    D3DBLEND_INVDESTCOLOR = 10,
    D3DBLEND_SRCALPHASAT = 11
};

enum D3DBLENDOP : uint32_t {
    D3DBLENDOP_ADD = 1,
    D3DBLENDOP_SUBTRACT = 2,
    D3DBLENDOP_REVSUBTRACT = 3,
    D3DBLENDOP_MIN = 4,
    D3DBLENDOP_MAX = 5
};

enum D3DTEXTURESTAGESTATETYPE : uint32_t {
    D3DTSS_COLOROP = 1,
    D3DTSS_COLORARG1 = 2,
    D3DTSS_COLORARG2 = 3,
    D3DTSS_ALPHAOP = 4,
    D3DTSS_ALPHAARG1 = 5,
    D3DTSS_ALPHAARG2 = 6,
    D3DTSS_TEXCOORDINDEX = 11
};

enum D3DTEXTUREOP : uint32_t {
    D3DTOP_DISABLE = 1,
    D3DTOP_SELECTARG1 = 2,
    D3DTOP_SELECTARG2 = 3,
    D3DTOP_MODULATE = 4,
    D3DTOP_MODULATE2X = 5,
    D3DTOP_MODULATE4X = 6,
    D3DTOP_ADD = 7
};

// Texture stage arguments.
#define D3DTA_SELECTMASK 0x0000000fu
#define D3DTA_DIFFUSE 0x00000000u
#define D3DTA_CURRENT 0x00000001u
#define D3DTA_TEXTURE 0x00000002u
#define D3DTA_TFACTOR 0x00000003u
#define D3DTA_SPECULAR 0x00000004u

enum D3DSAMPLERSTATETYPE : uint32_t {
    D3DSAMP_ADDRESSU = 1,
    D3DSAMP_ADDRESSV = 2,
    D3DSAMP_ADDRESSW = 3,
    D3DSAMP_BORDERCOLOR = 4,
    D3DSAMP_MAGFILTER = 5,
    D3DSAMP_MINFILTER = 6,
    D3DSAMP_MIPFILTER = 7
};

enum D3DTEXTUREADDRESS : uint32_t {
    D3DTADDRESS_WRAP = 1,
    D3DTADDRESS_MIRROR = 2,
    D3DTADDRESS_CLAMP = 3,
    D3DTADDRESS_BORDER = 4
};

enum D3DTEXTUREFILTERTYPE : uint32_t {
    D3DTEXF_NONE = 0,
    D3DTEXF_POINT = 1,
    D3DTEXF_LINEAR = 2,
    D3DTEXF_ANISOTROPIC = 3
};

enum D3DTRANSFORMSTATETYPE : uint32_t {
    D3DTS_VIEW = 2,
    D3DTS_PROJECTION = 3,
    D3DTS_TEXTURE0 = 16,
    D3DTS_WORLD = 256,
    D3DTS_FORCE_DWORD = 0x7fffffff
};
#define D3DTS_WORLDMATRIX(index) (D3DTRANSFORMSTATETYPE)((index) + 256)

enum D3DDECLTYPE : uint32_t {
    D3DDECLTYPE_FLOAT1 = 0,
    D3DDECLTYPE_FLOAT2 = 1,
    D3DDECLTYPE_FLOAT3 = 2,
    D3DDECLTYPE_FLOAT4 = 3,
    D3DDECLTYPE_D3DCOLOR = 4,
    D3DDECLTYPE_UBYTE4 = 5,
    D3DDECLTYPE_SHORT2 = 6,
    D3DDECLTYPE_SHORT4 = 7,
    D3DDECLTYPE_UBYTE4N = 8,
    D3DDECLTYPE_SHORT2N = 9,
    D3DDECLTYPE_SHORT4N = 10,
    D3DDECLTYPE_USHORT2N = 11,
    D3DDECLTYPE_USHORT4N = 12,
    D3DDECLTYPE_UNUSED = 17
};

enum D3DDECLMETHOD : uint32_t { D3DDECLMETHOD_DEFAULT = 0 };

enum D3DDECLUSAGE : uint32_t {
    D3DDECLUSAGE_POSITION = 0,
    D3DDECLUSAGE_BLENDWEIGHT = 1,
    D3DDECLUSAGE_BLENDINDICES = 2,
    D3DDECLUSAGE_NORMAL = 3,
    D3DDECLUSAGE_PSIZE = 4,
    D3DDECLUSAGE_TEXCOORD = 5,
    D3DDECLUSAGE_TANGENT = 6,
    D3DDECLUSAGE_BINORMAL = 7,
    D3DDECLUSAGE_TESSFACTOR = 8,
    D3DDECLUSAGE_POSITIONT = 9,
    D3DDECLUSAGE_COLOR = 10,
    D3DDECLUSAGE_FOG = 11,
    D3DDECLUSAGE_DEPTH = 12,
    D3DDECLUSAGE_SAMPLE = 13
};

struct D3DVERTEXELEMENT9 {
    WORD Stream;
    WORD Offset;
    BYTE Type;
    BYTE Method;
    BYTE Usage;
    BYTE UsageIndex;
};
#define D3DDECL_END()                                                                                                  \
    {                                                                                                                  \
        0xFF, 0, D3DDECLTYPE_UNUSED, 0, 0, 0                                                                           \
    }
#define MAXD3DDECLLENGTH 64

struct D3DDISPLAYMODE {
    UINT Width;
    UINT Height;
    UINT RefreshRate;
    D3DFORMAT Format;
};

struct D3DPRESENT_PARAMETERS {
    UINT BackBufferWidth;
    UINT BackBufferHeight;
    D3DFORMAT BackBufferFormat;
    UINT BackBufferCount;
    D3DMULTISAMPLE_TYPE MultiSampleType;
    DWORD MultiSampleQuality;
    D3DSWAPEFFECT SwapEffect;
    HWND hDeviceWindow;
    BOOL Windowed;
    BOOL EnableAutoDepthStencil;
    D3DFORMAT AutoDepthStencilFormat;
    DWORD Flags;
    UINT FullScreen_RefreshRateInHz;
    UINT PresentationInterval;
};

struct D3DVIEWPORT9 {
    DWORD X;
    DWORD Y;
    DWORD Width;
    DWORD Height;
    float MinZ;
    float MaxZ;
};

struct D3DRECT {
    LONG x1;
    LONG y1;
    LONG x2;
    LONG y2;
};

struct D3DLOCKED_RECT {
    INT Pitch;
    void* pBits;
};

struct D3DSURFACE_DESC {
    D3DFORMAT Format;
    D3DRESOURCETYPE Type;
    DWORD Usage;
    D3DPOOL Pool;
    D3DMULTISAMPLE_TYPE MultiSampleType;
    DWORD MultiSampleQuality;
    UINT Width;
    UINT Height;
};

struct D3DVERTEXBUFFER_DESC {
    D3DFORMAT Format;
    D3DRESOURCETYPE Type;
    DWORD Usage;
    D3DPOOL Pool;
    UINT Size;
    DWORD FVF;
};

struct D3DMATRIX {
    union {
        struct {
            float _11, _12, _13, _14;
            float _21, _22, _23, _24;
            float _31, _32, _33, _34;
            float _41, _42, _43, _44;
        };
        float m[4][4];
    };
};

struct D3DADAPTER_IDENTIFIER9 {
    char Driver[512];
    char Description[512];
    char DeviceName[32];
    int64_t DriverVersion;
    DWORD VendorId;
    DWORD DeviceId;
    DWORD SubSysId;
    DWORD Revision;
    GUID DeviceIdentifier;
    DWORD WHQLLevel;
};

#define D3DVS_VERSION(major, minor) (0xFFFE0000u | ((major) << 8) | (minor))
#define D3DPS_VERSION(major, minor) (0xFFFF0000u | ((major) << 8) | (minor))

// The capabilities the system reads; the fields keep the real structure's names.
struct D3DCAPS9 {
    D3DDEVTYPE DeviceType;
    UINT AdapterOrdinal;
    DWORD Caps;
    DWORD Caps2;
    DWORD Caps3;
    DWORD PresentationIntervals;
    DWORD DevCaps;
    DWORD PrimitiveMiscCaps;
    DWORD RasterCaps;
    DWORD ZCmpCaps;
    DWORD SrcBlendCaps;
    DWORD DestBlendCaps;
    DWORD AlphaCmpCaps;
    DWORD TextureCaps;
    DWORD TextureFilterCaps;
    DWORD TextureAddressCaps;
    DWORD MaxTextureWidth;
    DWORD MaxTextureHeight;
    DWORD MaxTextureAspectRatio;
    DWORD MaxTextureBlendStages;
    DWORD MaxSimultaneousTextures;
    DWORD FVFCaps;
    DWORD MaxPrimitiveCount;
    DWORD MaxVertexIndex;
    DWORD MaxStreams;
    DWORD MaxStreamStride;
    DWORD VertexShaderVersion;
    DWORD MaxVertexShaderConst;
    DWORD PixelShaderVersion;
    DWORD NumSimultaneousRTs;
};

#define D3DPTEXTURECAPS_POW2 0x00000002u
#define D3DPTEXTURECAPS_NONPOW2CONDITIONAL 0x00000100u
#define D3DDEVCAPS_HWTRANSFORMANDLIGHT 0x00010000u

// Shader token stream: instruction opcodes, register types and parameter-token fields.
enum D3DSHADER_INSTRUCTION_OPCODE_TYPE : uint32_t {
    D3DSIO_NOP = 0,
    D3DSIO_MOV = 1,
    D3DSIO_ADD = 2,
    D3DSIO_SUB = 3,
    D3DSIO_MAD = 4,
    D3DSIO_MUL = 5,
    D3DSIO_RCP = 6,
    D3DSIO_RSQ = 7,
    D3DSIO_DP3 = 8,
    D3DSIO_DP4 = 9,
    D3DSIO_MIN = 10,
    D3DSIO_MAX = 11,
    D3DSIO_SLT = 12,
    D3DSIO_SGE = 13,
    D3DSIO_EXP = 14,
    D3DSIO_LOG = 15,
    D3DSIO_LIT = 16,
    D3DSIO_DST = 17,
    D3DSIO_LRP = 18,
    D3DSIO_FRC = 19,
    D3DSIO_M4x4 = 20,
    D3DSIO_M4x3 = 21,
    D3DSIO_M3x4 = 22,
    D3DSIO_M3x3 = 23,
    D3DSIO_M3x2 = 24,
    D3DSIO_DCL = 31,
    D3DSIO_POW = 32,
    D3DSIO_CRS = 33,
    D3DSIO_SGN = 34,
    D3DSIO_ABS = 35,
    D3DSIO_NRM = 36,
    D3DSIO_SINCOS = 37,
    D3DSIO_MOVA = 46,
    D3DSIO_TEXKILL = 65,
    D3DSIO_TEX = 66,
    D3DSIO_EXPP = 78,
    D3DSIO_LOGP = 79,
    D3DSIO_DEF = 81,
    D3DSIO_CMP = 88,
    D3DSIO_DP2ADD = 90,
    D3DSIO_COMMENT = 0xFFFE,
    D3DSIO_END = 0xFFFF
};

#define D3DSI_OPCODE_MASK 0x0000FFFFu
#define D3DSI_INSTLENGTH_MASK 0x0F000000u
#define D3DSI_INSTLENGTH_SHIFT 24
#define D3DSI_TEXLD_PROJECT 0x00010000u
#define D3DSI_TEXLD_BIAS 0x00020000u
#define D3DSI_COMMENTSIZE_SHIFT 16
#define D3DSI_COMMENTSIZE_MASK 0x7FFF0000u

enum D3DSHADER_PARAM_REGISTER_TYPE : uint32_t {
    D3DSPR_TEMP = 0,
    D3DSPR_INPUT = 1,
    D3DSPR_CONST = 2,
    D3DSPR_ADDR = 3,
    D3DSPR_TEXTURE = 3,
    D3DSPR_RASTOUT = 4,
    D3DSPR_ATTROUT = 5,
    D3DSPR_TEXCRDOUT = 6,
    D3DSPR_OUTPUT = 6,
    D3DSPR_CONSTINT = 7,
    D3DSPR_COLOROUT = 8,
    D3DSPR_DEPTHOUT = 9,
    D3DSPR_SAMPLER = 10,
    D3DSPR_CONSTBOOL = 14,
    D3DSPR_LOOP = 15
};

enum D3DVS_RASTOUT_OFFSETS : uint32_t { D3DSRO_POSITION = 0, D3DSRO_FOG = 1, D3DSRO_POINT_SIZE = 2 };

#define D3DSP_REGNUM_MASK 0x000007FFu
#define D3DSP_REGTYPE_SHIFT 28
#define D3DSP_REGTYPE_SHIFT2 8
#define D3DSP_REGTYPE_MASK 0x70000000u
#define D3DSP_REGTYPE_MASK2 0x00001800u
#define D3DSHADER_ADDRMODE_RELATIVE 0x00002000u
#define D3DSP_WRITEMASK_0 0x00010000u
#define D3DSP_WRITEMASK_1 0x00020000u
#define D3DSP_WRITEMASK_2 0x00040000u
#define D3DSP_WRITEMASK_3 0x00080000u
#define D3DSP_WRITEMASK_ALL 0x000F0000u
#define D3DSPDM_SATURATE 0x00100000u
#define D3DSPDM_PARTIALPRECISION 0x00200000u
#define D3DSP_DSTMOD_MASK 0x00F00000u
#define D3DSP_DSTSHIFT_MASK 0x0F000000u
#define D3DSP_SWIZZLE_SHIFT 16
#define D3DSP_SWIZZLE_MASK 0x00FF0000u
#define D3DSP_NOSWIZZLE 0x00E40000u
#define D3DSP_SRCMOD_SHIFT 24
#define D3DSP_SRCMOD_MASK 0x0F000000u
#define D3DSPSM_NONE 0x00000000u
#define D3DSPSM_NEG 0x01000000u
#define D3DSP_DCL_USAGE_MASK 0x0000001Fu
#define D3DSP_DCL_USAGEINDEX_SHIFT 16
#define D3DSP_DCL_USAGEINDEX_MASK 0x000F0000u
#define D3DSP_TEXTURETYPE_SHIFT 27
#define D3DSP_TEXTURETYPE_MASK 0x78000000u

enum D3DSAMPLER_TEXTURE_TYPE : uint32_t {
    D3DSTT_UNKNOWN = 0u << 27,
    D3DSTT_2D = 2u << 27,
    D3DSTT_CUBE = 3u << 27,
    D3DSTT_VOLUME = 4u << 27
};

// The register type of a parameter token, from its two fields.
inline uint32_t D3DShaderRegisterType(uint32_t token)
{
    return ((token & D3DSP_REGTYPE_MASK) >> D3DSP_REGTYPE_SHIFT) | ((token & D3DSP_REGTYPE_MASK2) >> D3DSP_REGTYPE_SHIFT2);
}
// A parameter token's register type and number fields.
inline uint32_t D3DShaderRegisterBits(uint32_t type, uint32_t number)
{
    return ((type << D3DSP_REGTYPE_SHIFT) & D3DSP_REGTYPE_MASK) | ((type << D3DSP_REGTYPE_SHIFT2) & D3DSP_REGTYPE_MASK2) |
           (number & D3DSP_REGNUM_MASK);
}
