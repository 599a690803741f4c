#include "System/Graphics/D3D9Resource.h"

#include "System/Graphics/D3D9RenderSystem.h"

D3D9Resource::D3D9Resource()
{
    if (g_pD3D9RenderSystem)
        g_pD3D9RenderSystem->GetResourceList().Add(this);
}

D3D9Resource::~D3D9Resource()
{
    if (g_pD3D9RenderSystem)
        g_pD3D9RenderSystem->GetResourceList().Remove(this);
}
