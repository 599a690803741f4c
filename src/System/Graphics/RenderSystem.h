// The render system: clears, scenes, presentation, device recovery, the factories of the
// device objects and screenshots. The application creates the one render system and reaches
// it through g_pRenderSystem.
#pragma once

#include "Platform/D3D9/D3D9Types.h"

#include <cstdint>

class RenderWindow;
class IVertexDeclaration;
class IVertexBuffer;
class IShaderProgram;
class ITexture;

// One element of a vertex declaration: stream, byte offset, element type and usage codes
// (see D3D9VertexDeclaration.h for the codes).
struct VertexElement {
    int32_t stream;
    int32_t offset;
    int32_t type;
    int32_t usage;
};

// Usage flags of RenderSystem::CreateVertexBuffer.
enum eBufferUsage : uint32_t {
    eBufferUsage_Dynamic = 2,
    eBufferUsage_WriteOnly = 4,
};

// Lock modes of buffers and textures.
enum eLockMode : int32_t {
    eLockMode_Write = 0,
    eLockMode_Discard = 1,
    eLockMode_NoOverwrite = 2,
    eLockMode_ReadOnly = 3,
};

// Kinds of RenderSystem::CreateShaderProgram.
enum eShaderKind : int32_t {
    eShaderKind_Vertex = 0,
    eShaderKind_Pixel = 1,
};

class RenderSystem {
  public:
    // Creates the device on the window; false when it cannot draw (no Direct3D, no device).
    virtual bool Init(RenderWindow* window) = 0;
    virtual void Shutdown() = 0;
    // Colour channels 0..1; clears the colour and the depth buffer of the viewport.
    virtual void Clear(float r, float g, float b, float a, float z, uint32_t stencil) = 0;
    // Begins the scene and sets the default states.
    virtual void BeginScene() = 0;
    virtual void EndScene() = 0;
    // Presents; on device loss runs the recovery and returns D3D_OK when it succeeded.
    virtual HRESULT Present() = 0;
    virtual bool ResetDisplay(int32_t a, int32_t b, int32_t c) = 0;
    // False while the device is lost or waits for a reset.
    virtual bool IsDeviceReady() = 0;
    virtual bool RecoverDevice() = 0;
    virtual IVertexDeclaration* CreateVertexDeclaration(const VertexElement* elements, uint32_t count) = 0;
    virtual IVertexBuffer* CreateVertexBuffer(uint32_t elementSize, uint32_t elementCount, uint32_t usage,
                                              bool systemMemory) = 0;
    // Kind 0 vertex shader, 1 pixel shader, any other null.
    virtual IShaderProgram* CreateShaderProgram(int32_t kind) = 0;
    virtual ITexture* CreateTexture() = 0;
    // Writes the back buffer (the last finished frame until the next is drawn) as a PNG file.
    virtual void SaveScreenshot(const char* path) = 0;
    virtual ~RenderSystem() = default;
};

extern RenderSystem* g_pRenderSystem;
