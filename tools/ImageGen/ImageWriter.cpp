#include "ImageWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include <stb_image_write.h>

namespace {

void PutU16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t v)
{
    PutU16(out, v & 0xFFFF);
    PutU16(out, v >> 16);
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(file);
}

void AppendBgra(std::vector<uint8_t>& out, const Canvas& canvas)
{
    for (uint32_t p : canvas.pixels) {
        out.push_back(uint8_t(p));       // B
        out.push_back(uint8_t(p >> 8));  // G
        out.push_back(uint8_t(p >> 16)); // R
        out.push_back(uint8_t(p >> 24)); // A
    }
}

} // namespace

void Canvas::FillRect(int x, int y, int w, int h, uint32_t argb)
{
    const int x0 = std::max(x, 0), y0 = std::max(y, 0);
    const int x1 = std::min<int>(x + w, int(width)), y1 = std::min<int>(y + h, int(height));
    for (int j = y0; j < y1; ++j)
        for (int i = x0; i < x1; ++i)
            At(uint32_t(i), uint32_t(j)) = argb;
}

void Canvas::FrameRect(int x, int y, int w, int h, int border, uint32_t fill, uint32_t edge)
{
    FillRect(x, y, w, h, edge);
    FillRect(x + border, y + border, w - 2 * border, h - 2 * border, fill);
}

void Canvas::FillCircle(float cx, float cy, float r, uint32_t argb)
{
    for (uint32_t j = 0; j < height; ++j)
        for (uint32_t i = 0; i < width; ++i) {
            const float dx = float(i) + 0.5f - cx, dy = float(j) + 0.5f - cy;
            if (dx * dx + dy * dy <= r * r)
                At(i, j) = argb;
        }
}

void Canvas::FrameCircle(float cx, float cy, float r, float border, uint32_t fill, uint32_t edge)
{
    FillCircle(cx, cy, r, edge);
    FillCircle(cx, cy, r - border, fill);
}

void Canvas::FillPolygon(const std::vector<float>& xy, uint32_t argb)
{
    const size_t n = xy.size() / 2;
    if (n < 3)
        return;
    for (uint32_t j = 0; j < height; ++j)
        for (uint32_t i = 0; i < width; ++i) {
            const float px = float(i) + 0.5f, py = float(j) + 0.5f;
            bool positive = false, negative = false;
            for (size_t k = 0; k < n; ++k) {
                const float ax = xy[2 * k], ay = xy[2 * k + 1];
                const float bx = xy[2 * ((k + 1) % n)], by = xy[2 * ((k + 1) % n) + 1];
                const float cross = (bx - ax) * (py - ay) - (by - ay) * (px - ax);
                positive |= cross > 0;
                negative |= cross < 0;
            }
            if (!(positive && negative))
                At(i, j) = argb;
        }
}

bool WriteTga(const std::string& path, const Canvas& canvas)
{
    std::vector<uint8_t> out;
    out.push_back(0);         // no image id
    out.push_back(0);         // no colour map
    out.push_back(2);         // uncompressed true colour
    out.insert(out.end(), 5, 0); // colour map specification
    PutU16(out, 0);           // x origin
    PutU16(out, 0);           // y origin
    PutU16(out, canvas.width);
    PutU16(out, canvas.height);
    out.push_back(32);        // bits per pixel
    out.push_back(0x28);      // 8 alpha bits, rows top first
    AppendBgra(out, canvas);
    return WriteBytes(path, out);
}

bool WriteDds(const std::string& path, const Canvas& canvas)
{
    std::vector<uint8_t> out = {'D', 'D', 'S', ' '};
    PutU32(out, 124);                        // header size
    PutU32(out, 0x1 | 0x2 | 0x4 | 0x8 | 0x1000); // caps, height, width, pitch, pixel format
    PutU32(out, canvas.height);
    PutU32(out, canvas.width);
    PutU32(out, canvas.width * 4);           // pitch
    PutU32(out, 0);                          // depth
    PutU32(out, 0);                          // mip levels
    for (int i = 0; i < 11; ++i)
        PutU32(out, 0);
    PutU32(out, 32);                         // pixel format size
    PutU32(out, 0x41);                       // RGB with alpha
    PutU32(out, 0);                          // no four-cc
    PutU32(out, 32);
    PutU32(out, 0x00FF0000);
    PutU32(out, 0x0000FF00);
    PutU32(out, 0x000000FF);
    PutU32(out, 0xFF000000);
    PutU32(out, 0x1000);                     // texture
    for (int i = 0; i < 4; ++i)
        PutU32(out, 0);
    AppendBgra(out, canvas);
    return WriteBytes(path, out);
}

bool WritePng(const std::string& path, const Canvas& canvas)
{
    std::vector<uint8_t> rgba;
    rgba.reserve(canvas.pixels.size() * 4);
    for (uint32_t p : canvas.pixels) {
        rgba.push_back(uint8_t(p >> 16));
        rgba.push_back(uint8_t(p >> 8));
        rgba.push_back(uint8_t(p));
        rgba.push_back(uint8_t(p >> 24));
    }
    return stbi_write_png(path.c_str(), int(canvas.width), int(canvas.height), 4, rgba.data(),
                          int(canvas.width * 4)) != 0;
}

bool MakeFolders(const std::string& path)
{
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    return std::filesystem::is_directory(path, ec);
}

bool WriteTextFile(const std::string& path, const std::string& text)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    return bool(file);
}
