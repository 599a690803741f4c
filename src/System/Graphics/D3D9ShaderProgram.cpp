#include "System/Graphics/D3D9ShaderProgram.h"

#include "System/Common/Log.h"
#include "System/Graphics/D3D9RenderSystem.h"

void D3D9ShaderProgram::SetSource(const std::string& text)
{
    m_Source = text;
    Build(GetD3DDevice());
}

void D3D9ShaderProgram::Build(IDirect3DDevice9* device)
{
    ReleaseShader();
    if (!device)
        return;
    ID3DXBuffer* code = nullptr;
    ID3DXBuffer* errors = nullptr;
    if (FAILED(D3DXAssembleShader(m_Source.data(), static_cast<UINT>(m_Source.size()), nullptr, nullptr, 0, &code,
                                  &errors))) {
        // Without its shaders the sprite pipeline draws nothing: that must show in the log.
        LOG_ERROR << "Shader assembly failed:\n"
                  << (errors ? static_cast<const char*>(errors->GetBufferPointer()) : "(no message)");
        SafeRelease(errors);
        return;
    }
    SafeRelease(errors);
    CreateShader(device, code);
    m_pCode = code;
}

void D3D9ShaderProgram::Recreate(IDirect3DDevice9* device)
{
    if (m_pCode)
        CreateShader(device, m_pCode);
    else
        Build(device);
}

void D3D9ShaderProgram::OnDeviceLost(IDirect3DDevice9*)
{
    ReleaseShader();
}
void D3D9ShaderProgram::OnDeviceReset(IDirect3DDevice9* device)
{
    Recreate(device);
}

D3D9VertexShader::~D3D9VertexShader()
{
    ReleaseShader();
}

void D3D9VertexShader::ReleaseShader()
{
    SafeRelease(m_pShader);
    SafeRelease(m_pCode);
}

void D3D9VertexShader::CreateShader(IDirect3DDevice9* device, ID3DXBuffer* code)
{
    SafeRelease(m_pShader);
    if (FAILED(device->CreateVertexShader(static_cast<const DWORD*>(code->GetBufferPointer()), &m_pShader))) {
        LOG_ERROR << "Vertex shader refused by the device";
        m_pShader = nullptr;
    }
}

D3D9PixelShader::~D3D9PixelShader()
{
    ReleaseShader();
}

void D3D9PixelShader::ReleaseShader()
{
    SafeRelease(m_pShader);
    SafeRelease(m_pCode);
}

void D3D9PixelShader::CreateShader(IDirect3DDevice9* device, ID3DXBuffer* code)
{
    SafeRelease(m_pShader);
    if (FAILED(device->CreatePixelShader(static_cast<const DWORD*>(code->GetBufferPointer()), &m_pShader))) {
        LOG_ERROR << "Pixel shader refused by the device";
        m_pShader = nullptr;
    }
}
