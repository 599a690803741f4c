// Hooks that let tests drive the device through situations a desktop produces by itself.
#pragma once

#include "Platform/D3D9/D3D9.h"

#include <vector>

// Starts a device loss as a minimised full-screen window does: TestCooperativeLevel and
// Present report D3DERR_DEVICELOST for the next `lostPolls` calls (at least one), then
// D3DERR_DEVICENOTRESET until Reset succeeds.
void D3D9ForceDeviceLoss(IDirect3DDevice9* device, int lostPolls);

// Number of D3DPOOL_DEFAULT resources of the device still alive (Reset needs none).
int D3D9CountDefaultPoolResources(IDirect3DDevice9* device);

// Whether DXT textures go to OpenGL compressed (true when the context offers S3TC) or are
// decoded on the CPU; tests switch it off to run the decoder path.
void D3D9SetCompressedTextureUpload(IDirect3DDevice9* device, bool enabled);

// What the window shows after a Present: 0xAARRGGBB values, top row first.
struct D3D9WindowCapture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};
// The next successful Present fills `capture` (which must outlive it) with the window's pixels.
void D3D9CaptureNextPresent(IDirect3DDevice9* device, D3D9WindowCapture* capture);
