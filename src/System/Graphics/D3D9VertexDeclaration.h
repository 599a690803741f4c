// Vertex declarations: a list of elements {stream, offset, type, usage} in the system's own
// codes, and the Direct3D declaration built from them on first use.
//
// Element types: 0 FLOAT1, 1 FLOAT2, 2 FLOAT3 (and any other code), 3 FLOAT4, 4 D3DCOLOR,
// 5 UBYTE4, 6 SHORT2, 7 SHORT4. Usages: 0 POSITION, 1 BLENDWEIGHT, 2 BLENDINDICES, 3 NORMAL,
// 4 COLOR, 5 COLOR index 1, 6 TEXCOORD, 7 TANGENT, 8 BINORMAL, 9 POSITIONT, any other POSITION.
#pragma once

#include "System/Graphics/D3D9Resource.h"
#include "System/Graphics/RenderSystem.h"

#include <vector>

class IVertexDeclaration {
  public:
    IVertexDeclaration(const VertexElement* elements, uint32_t count);
    virtual ~IVertexDeclaration() = default;
    // Both return the new element, valid until the list changes again.
    virtual VertexElement* AddElement(int32_t stream, int32_t offset, int32_t type, int32_t usage);
    // Inserted before the element at `index`; appended when the index is not below the count.
    virtual VertexElement* InsertElement(uint32_t index, int32_t stream, int32_t offset, int32_t type, int32_t usage);

    const std::vector<VertexElement>& GetElements() const { return m_Elements; }
    uint32_t GetCount() const { return static_cast<uint32_t>(m_Elements.size()); }

  protected:
    std::vector<VertexElement> m_Elements;
};

// The Direct3D element an element of the system's codes becomes (method DEFAULT).
D3DVERTEXELEMENT9 ToD3DVertexElement(const VertexElement& element);

class D3D9VertexDeclaration : public IVertexDeclaration, public D3D9Resource {
  public:
    D3D9VertexDeclaration(const VertexElement* elements, uint32_t count);
    ~D3D9VertexDeclaration() override;

    VertexElement* AddElement(int32_t stream, int32_t offset, int32_t type, int32_t usage) override;
    VertexElement* InsertElement(uint32_t index, int32_t stream, int32_t offset, int32_t type, int32_t usage) override;
    void OnDeviceLost(IDirect3DDevice9* device) override;

    // Built on first request and cached; null when the device refuses it.
    IDirect3DVertexDeclaration9* GetD3DDeclaration();

  private:
    IDirect3DVertexDeclaration9* m_pDeclaration = nullptr;
};
