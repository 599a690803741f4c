#include "Platform/D3DX/D3DX9.h"

#include "Platform/D3DX/ShaderAssembler.h"

#include <cmath>
#include <cstring>
#include <new>
#include <vector>

namespace {

class D3DXBuffer : public ComObject<ID3DXBuffer> {
  public:
    explicit D3DXBuffer(size_t size) : m_Bytes(size) {}
    void* GetBufferPointer() override { return m_Bytes.data(); }
    DWORD GetBufferSize() override { return static_cast<DWORD>(m_Bytes.size()); }

  private:
    std::vector<uint8_t> m_Bytes;
};

LPD3DXBUFFER MakeBuffer(const void* data, size_t size)
{
    D3DXBuffer* buffer = new (std::nothrow) D3DXBuffer(size);
    if (buffer && size)
        std::memcpy(buffer->GetBufferPointer(), data, size);
    return buffer;
}

} // namespace

HRESULT D3DXCreateBuffer(DWORD NumBytes, LPD3DXBUFFER* ppBuffer)
{
    if (!ppBuffer)
        return D3DERR_INVALIDCALL;
    *ppBuffer = new (std::nothrow) D3DXBuffer(NumBytes);
    return *ppBuffer ? D3D_OK : E_OUTOFMEMORY;
}

HRESULT D3DXAssembleShader(LPCSTR pSrcData, UINT SrcDataLen, const D3DXMACRO*, ID3DXInclude*, DWORD,
                           LPD3DXBUFFER* ppShader, LPD3DXBUFFER* ppErrorMsgs)
{
    if (ppShader)
        *ppShader = nullptr;
    if (ppErrorMsgs)
        *ppErrorMsgs = nullptr;
    if (!pSrcData || !ppShader)
        return D3DERR_INVALIDCALL;
    std::vector<uint32_t> tokens;
    std::string errors;
    if (!AssembleShaderText(std::string_view(pSrcData, SrcDataLen), tokens, errors)) {
        if (ppErrorMsgs)
            *ppErrorMsgs = MakeBuffer(errors.c_str(), errors.size() + 1);
        return D3DXERR_INVALIDDATA;
    }
    *ppShader = MakeBuffer(tokens.data(), tokens.size() * sizeof(uint32_t));
    return *ppShader ? D3D_OK : E_OUTOFMEMORY;
}

D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* pOut, const D3DXVECTOR3* pEye, const D3DXVECTOR3* pAt,
                               const D3DXVECTOR3* pUp)
{
    auto normalize = [](D3DXVECTOR3 v) {
        float len = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
        if (len > 0.0f) {
            v.x /= len;
            v.y /= len;
            v.z /= len;
        }
        return v;
    };
    auto cross = [](const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
        return D3DXVECTOR3{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
    };
    auto dot = [](const D3DXVECTOR3& a, const D3DXVECTOR3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; };
    D3DXVECTOR3 z = normalize({pAt->x - pEye->x, pAt->y - pEye->y, pAt->z - pEye->z});
    D3DXVECTOR3 x = normalize(cross(*pUp, z));
    D3DXVECTOR3 y = cross(z, x);
    float m[4][4] = {{x.x, y.x, z.x, 0.0f},
                     {x.y, y.y, z.y, 0.0f},
                     {x.z, y.z, z.z, 0.0f},
                     {-dot(x, *pEye), -dot(y, *pEye), -dot(z, *pEye), 1.0f}};
    std::memcpy(pOut->m, m, sizeof(m));
    return pOut;
}

D3DXMATRIX* D3DXMatrixOrthoOffCenterLH(D3DXMATRIX* pOut, float l, float r, float b, float t, float zn, float zf)
{
    float m[4][4] = {{2.0f / (r - l), 0.0f, 0.0f, 0.0f},
                     {0.0f, 2.0f / (t - b), 0.0f, 0.0f},
                     {0.0f, 0.0f, 1.0f / (zf - zn), 0.0f},
                     {(l + r) / (l - r), (t + b) / (b - t), zn / (zn - zf), 1.0f}};
    std::memcpy(pOut->m, m, sizeof(m));
    return pOut;
}
