// Writers for the image files of the demo data: 32-bit TGA, uncompressed A8R8G8B8 DDS and PNG,
// from one in-memory canvas with simple drawing helpers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Pixels as 0xAARRGGBB words, rows top first.
struct Canvas {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint32_t> pixels;

    Canvas(uint32_t w, uint32_t h, uint32_t fill = 0) : width(w), height(h), pixels(size_t(w) * h, fill) {}
    uint32_t& At(uint32_t x, uint32_t y) { return pixels[size_t(y) * width + x]; }
    uint32_t Get(uint32_t x, uint32_t y) const { return pixels[size_t(y) * width + x]; }

    void FillRect(int x, int y, int w, int h, uint32_t argb);
    // A filled rectangle with a border `border` pixels thick.
    void FrameRect(int x, int y, int w, int h, int border, uint32_t fill, uint32_t edge);
    void FillCircle(float cx, float cy, float r, uint32_t argb);
    // A filled circle with a ring of `border` pixels.
    void FrameCircle(float cx, float cy, float r, float border, uint32_t fill, uint32_t edge);
    // A filled convex polygon (points in order, either winding).
    void FillPolygon(const std::vector<float>& xy, uint32_t argb);
};

bool WriteTga(const std::string& path, const Canvas& canvas);
bool WriteDds(const std::string& path, const Canvas& canvas);
bool WritePng(const std::string& path, const Canvas& canvas);
// Creates the folder and its parents; true when it exists afterwards.
bool MakeFolders(const std::string& path);
// Writes text as is; true on success.
bool WriteTextFile(const std::string& path, const std::string& text);
