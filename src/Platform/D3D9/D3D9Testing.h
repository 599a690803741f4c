// Hooks that let tests drive the device through situations a desktop produces by itself.
#pragma once

#include "Platform/D3D9/D3D9.h"

// Starts a device loss as a minimised full-screen window does: TestCooperativeLevel and
// Present report D3DERR_DEVICELOST for the next `lostPolls` calls (at least one), then
// D3DERR_DEVICENOTRESET until Reset succeeds.
void D3D9ForceDeviceLoss(IDirect3DDevice9* device, int lostPolls);

// Number of D3DPOOL_DEFAULT resources of the device still alive (Reset needs none).
int D3D9CountDefaultPoolResources(IDirect3DDevice9* device);

// Whether DXT textures go to OpenGL compressed (true when the context offers S3TC) or are
// decoded on the CPU; tests switch it off to run the decoder path.
void D3D9SetCompressedTextureUpload(IDirect3DDevice9* device, bool enabled);
