// Assembly shader programs: the source text is kept, assembled into a code buffer and made
// into a device shader; after a device reset the kept source is assembled again.
#pragma once

#include "Platform/D3DX/D3DX9.h"
#include "System/Graphics/D3D9Resource.h"

#include <string>

class IShaderProgram {
  public:
    virtual ~IShaderProgram() = default;
    // Keeps the text and builds the shader; assembly errors are logged.
    virtual void SetSource(const std::string& text) = 0;
    const std::string& GetSource() const { return m_Source; }

  protected:
    std::string m_Source;
};

class D3D9ShaderProgram : public IShaderProgram, public D3D9Resource {
  public:
    ~D3D9ShaderProgram() override = default;
    void SetSource(const std::string& text) override;
    virtual void Build(IDirect3DDevice9* device);
    virtual void Recreate(IDirect3DDevice9* device);
    virtual void ReleaseShader() = 0;
    virtual void CreateShader(IDirect3DDevice9* device, ID3DXBuffer* code) = 0;
    void OnDeviceLost(IDirect3DDevice9* device) override;
    void OnDeviceReset(IDirect3DDevice9* device) override;

  protected:
    ID3DXBuffer* m_pCode = nullptr;
};

class D3D9VertexShader : public D3D9ShaderProgram {
  public:
    ~D3D9VertexShader() override;
    void ReleaseShader() override;
    void CreateShader(IDirect3DDevice9* device, ID3DXBuffer* code) override;
    IDirect3DVertexShader9* GetShader() const { return m_pShader; }

  private:
    IDirect3DVertexShader9* m_pShader = nullptr;
};

class D3D9PixelShader : public D3D9ShaderProgram {
  public:
    ~D3D9PixelShader() override;
    void ReleaseShader() override;
    void CreateShader(IDirect3DDevice9* device, ID3DXBuffer* code) override;
    IDirect3DPixelShader9* GetShader() const { return m_pShader; }

  private:
    IDirect3DPixelShader9* m_pShader = nullptr;
};
