// The OpenGL context of the process, on the SDL window behind an HWND. One context serves
// every window; it belongs to the backend and outlives the windows until BackendGLShutdown.
// Callers above the backend see no SDL types.
#pragma once

#include "Platform/D3D9/D3D9Types.h"

// Makes the context current on the window, creating the context (OpenGL 3.3 core, entry
// points through libepoxy) on first use. False with a logged reason when that fails.
bool BackendGLAttach(HWND hwnd);
// Makes the (existing) context current on the window, so that the default framebuffer is the
// window's; does nothing when it already is. False when that fails.
bool BackendGLMakeCurrent(HWND hwnd);
// Shows the window's back buffer (the default framebuffer) and makes it the current target.
void BackendGLSwap(HWND hwnd);
// Size in pixels of the window's default framebuffer; false for an unknown window.
bool BackendGLDrawableSize(HWND hwnd, int* width, int* height);
// True while the window is minimised (iconic).
bool BackendWindowIsMinimized(HWND hwnd);
// Deletes the context. The video shutdown calls it before the windows are freed.
void BackendGLShutdown();

// Display queries for the Direct3D adapters (the SDL displays).
struct BackendDisplayMode {
    int width;
    int height;
    int refreshRate;
};
int BackendGetDisplayCount();
bool BackendGetDesktopMode(int display, BackendDisplayMode* mode);
int BackendGetDisplayModeCount(int display);
bool BackendGetDisplayMode(int display, int index, BackendDisplayMode* mode);
