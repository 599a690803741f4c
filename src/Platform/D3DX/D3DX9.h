// The D3DX 9 helpers the game uses: the shader assembler, texture creation from image files,
// saving a surface as PNG, and two matrix builders.
#pragma once

#include "Platform/D3D9/D3D9.h"

#define MAKE_DDHRESULT(code) ((HRESULT)(0x88760000u | (code)))
#define D3DXERR_INVALIDDATA MAKE_DDHRESULT(2905)
#define D3DXERR_NOTAVAILABLE MAKE_DDHRESULT(2906)

#define D3DX_DEFAULT ((UINT)-1)
#define D3DX_DEFAULT_NONPOW2 ((UINT)-2)
#define D3DX_FROM_FILE ((UINT)-3)
#define D3DX_FILTER_NONE 0x00000001u
#define D3DX_FILTER_POINT 0x00000002u
#define D3DX_FILTER_LINEAR 0x00000003u

struct ID3DXBuffer : IUnknown {
    virtual void* GetBufferPointer() = 0;
    virtual DWORD GetBufferSize() = 0;
};
typedef ID3DXBuffer* LPD3DXBUFFER;

struct D3DXMACRO {
    LPCSTR Name;
    LPCSTR Definition;
};
struct ID3DXInclude;

enum D3DXIMAGE_FILEFORMAT : uint32_t {
    D3DXIFF_BMP = 0,
    D3DXIFF_JPG = 1,
    D3DXIFF_TGA = 2,
    D3DXIFF_PNG = 3,
    D3DXIFF_DDS = 4,
    D3DXIFF_PPM = 5,
    D3DXIFF_DIB = 6
};

struct D3DXIMAGE_INFO {
    UINT Width;
    UINT Height;
    UINT Depth;
    UINT MipLevels;
    D3DFORMAT Format;
    D3DRESOURCETYPE ResourceType;
    D3DXIMAGE_FILEFORMAT ImageFileFormat;
};

struct D3DXVECTOR3 {
    float x, y, z;
};

struct D3DXMATRIX : D3DMATRIX {};

HRESULT D3DXCreateBuffer(DWORD NumBytes, LPD3DXBUFFER* ppBuffer);

// Assembles vs_2_0 or ps_2_0 text into a shader token stream. On failure the error buffer
// holds one line per error ("line N: ..."). Defines and include handlers are not supported.
HRESULT D3DXAssembleShader(LPCSTR pSrcData, UINT SrcDataLen, const D3DXMACRO* pDefines, ID3DXInclude* pInclude,
                           DWORD Flags, LPD3DXBUFFER* ppShader, LPD3DXBUFFER* ppErrorMsgs);

// Decodes a DDS, BMP, TGA, PNG or JPEG file into a one-level texture. Width and Height of
// 0, D3DX_DEFAULT or D3DX_FROM_FILE take the file's size; other sizes must match the file.
HRESULT D3DXCreateTextureFromFileInMemoryEx(IDirect3DDevice9* pDevice, LPCVOID pSrcData, UINT SrcDataSize, UINT Width,
                                            UINT Height, UINT MipLevels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                            DWORD Filter, DWORD MipFilter, D3DCOLOR ColorKey, D3DXIMAGE_INFO* pSrcInfo,
                                            PALETTEENTRY* pPalette, IDirect3DTexture9** ppTexture);

// Writes a 32-bit surface as a PNG file (the only format written).
HRESULT D3DXSaveSurfaceToFileA(LPCSTR pDestFile, D3DXIMAGE_FILEFORMAT DestFormat, IDirect3DSurface9* pSrcSurface,
                               const PALETTEENTRY* pSrcPalette, const RECT* pSrcRect);

D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* pOut, const D3DXVECTOR3* pEye, const D3DXVECTOR3* pAt,
                               const D3DXVECTOR3* pUp);
D3DXMATRIX* D3DXMatrixOrthoOffCenterLH(D3DXMATRIX* pOut, float l, float r, float b, float t, float zn, float zf);
