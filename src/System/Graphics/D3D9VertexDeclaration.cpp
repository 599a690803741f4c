#include "System/Graphics/D3D9VertexDeclaration.h"

#include "System/Common/Log.h"
#include "System/Graphics/D3D9RenderSystem.h"

IVertexDeclaration::IVertexDeclaration(const VertexElement* elements, uint32_t count)
{
    if (elements)
        m_Elements.assign(elements, elements + count);
}

VertexElement* IVertexDeclaration::AddElement(int32_t stream, int32_t offset, int32_t type, int32_t usage)
{
    m_Elements.push_back({stream, offset, type, usage});
    return &m_Elements.back();
}

VertexElement* IVertexDeclaration::InsertElement(uint32_t index, int32_t stream, int32_t offset, int32_t type,
                                                 int32_t usage)
{
    if (index >= m_Elements.size())
        return AddElement(stream, offset, type, usage);
    return &*m_Elements.insert(m_Elements.begin() + index, VertexElement{stream, offset, type, usage});
}

D3DVERTEXELEMENT9 ToD3DVertexElement(const VertexElement& e)
{
    static const BYTE kTypes[] = {D3DDECLTYPE_FLOAT1,   D3DDECLTYPE_FLOAT2, D3DDECLTYPE_FLOAT3, D3DDECLTYPE_FLOAT4,
                                  D3DDECLTYPE_D3DCOLOR, D3DDECLTYPE_UBYTE4, D3DDECLTYPE_SHORT2, D3DDECLTYPE_SHORT4};
    static const BYTE kUsages[][2] = {
        {D3DDECLUSAGE_POSITION, 0},  {D3DDECLUSAGE_BLENDWEIGHT, 0}, {D3DDECLUSAGE_BLENDINDICES, 0},
        {D3DDECLUSAGE_NORMAL, 0},    {D3DDECLUSAGE_COLOR, 0},       {D3DDECLUSAGE_COLOR, 1},
        {D3DDECLUSAGE_TEXCOORD, 0},  {D3DDECLUSAGE_TANGENT, 0},     {D3DDECLUSAGE_BINORMAL, 0},
        {D3DDECLUSAGE_POSITIONT, 0},
    };
    D3DVERTEXELEMENT9 d;
    d.Stream = static_cast<WORD>(e.stream);
    d.Offset = static_cast<WORD>(e.offset);
    d.Type = (e.type >= 0 && e.type < 8) ? kTypes[e.type] : static_cast<BYTE>(D3DDECLTYPE_FLOAT3);
    d.Method = D3DDECLMETHOD_DEFAULT;
    const bool known = e.usage >= 0 && e.usage < 10;
    d.Usage = known ? kUsages[e.usage][0] : static_cast<BYTE>(D3DDECLUSAGE_POSITION);
    d.UsageIndex = known ? kUsages[e.usage][1] : 0;
    return d;
}

D3D9VertexDeclaration::D3D9VertexDeclaration(const VertexElement* elements, uint32_t count)
    : IVertexDeclaration(elements, count)
{
}

D3D9VertexDeclaration::~D3D9VertexDeclaration()
{
    SafeRelease(m_pDeclaration);
}

VertexElement* D3D9VertexDeclaration::AddElement(int32_t stream, int32_t offset, int32_t type, int32_t usage)
{
    SafeRelease(m_pDeclaration);
    return IVertexDeclaration::AddElement(stream, offset, type, usage);
}

VertexElement* D3D9VertexDeclaration::InsertElement(uint32_t index, int32_t stream, int32_t offset, int32_t type,
                                                    int32_t usage)
{
    SafeRelease(m_pDeclaration);
    return IVertexDeclaration::InsertElement(index, stream, offset, type, usage);
}

void D3D9VertexDeclaration::OnDeviceLost(IDirect3DDevice9*)
{
    SafeRelease(m_pDeclaration);
}

IDirect3DVertexDeclaration9* D3D9VertexDeclaration::GetD3DDeclaration()
{
    if (m_pDeclaration)
        return m_pDeclaration;
    IDirect3DDevice9* device = GetD3DDevice();
    if (!device)
        return nullptr;
    std::vector<D3DVERTEXELEMENT9> elements;
    for (const VertexElement& e : m_Elements)
        elements.push_back(ToD3DVertexElement(e));
    elements.push_back(D3DVERTEXELEMENT9 D3DDECL_END());
    if (FAILED(device->CreateVertexDeclaration(elements.data(), &m_pDeclaration))) {
        LOG_ERROR << "Vertex declaration of " << m_Elements.size() << " elements refused by the device";
        m_pDeclaration = nullptr;
    }
    return m_pDeclaration;
}
