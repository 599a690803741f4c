#include "Platform/D3DX/ImageDecode.h"

#include "Platform/D3D9/SurfaceFormat.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <stb_image.h>

namespace {

uint32_t ReadU32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0] | (p[1] << 8) | (p[2] << 16)) | (static_cast<uint32_t>(p[3]) << 24);
}

uint32_t ReadU16(const uint8_t* p) { return static_cast<uint32_t>(p[0] | (p[1] << 8)); }

std::string SizeText(uint64_t width, uint64_t height)
{
    return std::to_string(width) + " x " + std::to_string(height);
}

bool WithinPixelLimit(uint64_t width, uint64_t height, std::string& error)
{
    if (width * height <= kMaxImagePixels)
        return true;
    error = "image size " + SizeText(width, height) + " has more than the " + std::to_string(kMaxImagePixels) +
            " pixels an image may have";
    return false;
}

// Whether a JPEG's frame is coded in sequential (baseline or extended) Huffman scans: its first
// frame marker is SOF0 or SOF1.
bool IsSequentialJpeg(const uint8_t* data, size_t size)
{
    size_t at = 2;
    while (at + 4 <= size) {
        if (data[at] != 0xFF) {
            ++at; // as the image library does, bytes between segments are passed over
            continue;
        }
        const uint8_t marker = data[at + 1];
        if (marker == 0xFF) {
            ++at; // fill byte
            continue;
        }
        if (marker == 0xC0 || marker == 0xC1)
            return true;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD9)) {
            at += 2; // a marker without a length
            continue;
        }
        if ((marker >= 0xC2 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) ||
            marker == 0xDA)
            return false;
        at += 2 + (size_t{data[at + 2]} << 8 | data[at + 3]);
    }
    return false;
}

// Whether a JPEG's tables are safe to hand to the image library: each Huffman table holds at
// most the 256 codes a table has room for (the library fills a table before it counts its
// codes), every scan uses only Huffman tables defined before it (the library would decode
// through a table it never filled), and every quantisation table the frame names is defined
// before the first scan (the library would dequantise with memory it never wrote).
bool JpegTablesSound(const uint8_t* data, size_t size, std::string& error)
{
    bool defined[2][4] = {}; // [DC, AC][table]
    bool quantDefined[4] = {};
    uint8_t frameQuant[4] = {}; // quantisation table of each frame component the library keeps
    size_t frameComponents = 0;
    bool progressive = false;
    size_t at = 2;
    while (at + 4 <= size) {
        if (data[at] != 0xFF) {
            ++at; // the image library passes over bytes between segments, looking for a marker
            continue;
        }
        const uint8_t marker = data[at + 1];
        if (marker == 0xFF || marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD9)) {
            at += marker == 0xFF ? 1 : 2; // fill, or a marker without a length
            continue;
        }
        const size_t end = at + 2 + (size_t{data[at + 2]} << 8 | data[at + 3]);
        if (marker == 0xC2)
            progressive = true;
        if (marker == 0xC4) {
            for (size_t table = at + 4; table < end && table < size;) {
                size_t codes = 0;
                for (size_t i = 1; i <= 16 && table + i < size; ++i)
                    codes += data[table + i];
                if (codes > 256) {
                    error = "corrupt JPEG: a Huffman table of " + std::to_string(codes) + " codes (256 at most)";
                    return false;
                }
                const uint8_t kind = data[table] >> 4, index = data[table] & 15;
                if (kind <= 1 && index <= 3)
                    defined[kind][index] = true;
                table += 17 + codes;
            }
        }
        if (marker == 0xDB) {
            for (size_t table = at + 4; table < end && table < size;) {
                const uint8_t precision = data[table] >> 4, index = data[table] & 15;
                if (index <= 3)
                    quantDefined[index] = true;
                table += 1 + (precision ? 128 : 64);
            }
        }
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC &&
            at + 10 <= size) {
            frameComponents = std::min<size_t>(data[at + 9], 4);
            for (size_t c = 0; c < frameComponents; ++c)
                frameQuant[c] = at + 12 + 3 * c < size ? data[at + 12 + 3 * c] : 0;
        }
        if (marker == 0xDA) {
            for (size_t c = 0; c < frameComponents; ++c)
                if (frameQuant[c] <= 3 && !quantDefined[frameQuant[c]]) {
                    error = "corrupt JPEG: the frame uses quantisation table " + std::to_string(frameQuant[c]) +
                            ", which no segment before the scan defines";
                    return false;
                }
        }
        if (marker == 0xDA && at + 5 <= size) {
            const size_t count = data[at + 4];
            const size_t spectrum = at + 5 + 2 * count; // start, end, approximation
            if (spectrum + 3 <= size) {
                const uint8_t start = data[spectrum], last = data[spectrum + 1], high = data[spectrum + 2] >> 4;
                // Baseline scans use both tables; progressive DC scans the DC table on the first
                // pass only, progressive AC scans the AC table.
                const bool usesDc = !progressive || (start == 0 && high == 0);
                const bool usesAc = !progressive || last > 0;
                for (size_t c = 0; c < count; ++c) {
                    const uint8_t dc = data[at + 6 + 2 * c] >> 4, ac = data[at + 6 + 2 * c] & 15;
                    if ((usesDc && dc <= 3 && !defined[0][dc]) || (usesAc && ac <= 3 && !defined[1][ac])) {
                        error = "corrupt JPEG: a scan uses a Huffman table that was never defined";
                        return false;
                    }
                }
            }
        }
        at = end;
        if (marker == 0xDA) {
            // Entropy-coded data, read as the image library reads it: 0xFF, any fill 0xFF bytes,
            // then 0 is a data byte; a restart marker stays in the data; anything else is the
            // next marker.
            const size_t coded = at;
            size_t codedEnd = size;
            while (at < size) {
                if (data[at] != 0xFF) {
                    ++at;
                    continue;
                }
                size_t next = at + 1;
                while (next < size && data[next] == 0xFF)
                    ++next;
                if (next < size && (data[next] == 0 || (data[next] >= 0xD0 && data[next] <= 0xD7))) {
                    at = next + 1;
                    continue;
                }
                // The fill bytes before a marker are the marker's, not data.
                codedEnd = at;
                at = next - 1; // the marker's 0xFF
                break;
            }
            // Every scan codes at least one symbol. With nothing to read the library takes its
            // first codes from an empty bit buffer and counts its bits below zero (undefined
            // shifts when it refills).
            if (std::min(codedEnd, size) <= coded) {
                error = "corrupt JPEG: a scan at byte " + std::to_string(coded) + " has no coded data";
                return false;
            }
        }
    }
    return true;
}

// Every PNG chunk up to IEND must lie inside the file: the image library grows its buffer for
// the compressed data to whatever length a chunk claims before it finds the bytes missing, so
// one corrupt length would cost gigabytes. And the first IDAT must hold bytes.
bool PngChunksInsideFile(const uint8_t* data, size_t size, std::string& error)
{
    bool imageData = false;
    size_t at = 8;
    while (at < size) {
        if (size - at < 12) {
            error = "corrupt PNG: chunk header truncated at byte " + std::to_string(at);
            return false;
        }
        const uint64_t length = (uint64_t{data[at]} << 24) | (uint64_t{data[at + 1]} << 16) |
                                (uint64_t{data[at + 2]} << 8) | uint64_t{data[at + 3]};
        if (length > size - at - 12) {
            error = "corrupt PNG: chunk at byte " + std::to_string(at) + " claims " + std::to_string(length) +
                    " bytes, more than the file holds";
            return false;
        }
        if (std::memcmp(data + at + 4, "IEND", 4) == 0)
            return true;
        // The library copies an IDAT's bytes to its buffer before it has made one: a first
        // IDAT with no bytes copies to a null pointer.
        if (std::memcmp(data + at + 4, "IDAT", 4) == 0 && !imageData) {
            if (length == 0) {
                error = "corrupt PNG: an empty IDAT chunk at byte " + std::to_string(at) + " before any image data";
                return false;
            }
            imageData = true;
        }
        at += 12 + static_cast<size_t>(length);
    }
    return true;
}

// Whether a file of `size` bytes can hold the pixels its header claims, for the formats the
// image library would otherwise decode in full from any file (it reads missing bytes as 0).
bool FileCanHoldImage(const uint8_t* data, size_t size, D3DXIMAGE_FILEFORMAT type, uint64_t width, uint64_t height,
                      std::string& error)
{
    const char* kind = nullptr;
    bool fits = true;
    if (type == D3DXIFF_TGA) {
        kind = "TGA";
        const uint64_t mapEntryBytes = (uint64_t{data[7]} + 7) / 8;
        const uint64_t offset = 18 + uint64_t{data[0]} + (data[1] ? ReadU16(data + 5) * mapEntryBytes : 0);
        const uint64_t available = size > offset ? size - offset : 0;
        const uint64_t pixelBytes = std::max<uint64_t>(1, (uint64_t{data[16]} + 7) / 8);
        // Run-length packets: one header byte and at least one pixel value for up to 128 pixels.
        const uint64_t holds = data[2] >= 9 ? available / (1 + pixelBytes) * 128 : available / pixelBytes;
        fits = width * height <= holds;
    } else if (type == D3DXIFF_BMP && size >= 30) {
        kind = "BMP";
        const uint64_t offset = ReadU32(data + 10);
        const uint64_t available = size > offset ? size - offset : 0;
        const uint64_t bits = ReadU32(data + 14) == 12 ? ReadU16(data + 24) : ReadU16(data + 28);
        fits = width * height * bits <= available * 8;
    } else if (type == D3DXIFF_PNG && size >= 26) {
        kind = "PNG";
        static const uint8_t kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
        const uint64_t channels = data[25] < 7 && kChannels[data[25]] ? kChannels[data[25]] : 4;
        const uint64_t rowBytes = (width * channels * std::max<uint64_t>(1, data[24]) + 7) / 8;
        fits = height * rowBytes <= kDeflateMaxRatio * size;
    } else if (type == D3DXIFF_JPG && IsSequentialJpeg(data, size)) {
        kind = "JPEG";
        // Every 8 x 8 block takes at least two bits (a DC code and an end-of-block code). A
        // progressive file has no such bound (one code can end thousands of blocks): the pixel
        // limit bounds it.
        fits = 2 * ((width + 7) / 8) * ((height + 7) / 8) <= uint64_t{size} * 8;
    }
    if (fits)
        return true;
    error = "image size " + SizeText(width, height) + " is more than a " + kind + " file of " + std::to_string(size) +
            " bytes can hold";
    return false;
}

// DDS header fields (offsets from the start of the file, after the "DDS " magic).
constexpr size_t kDdsHeaderEnd = 128;
constexpr uint32_t kDdpfAlphaPixels = 0x1;
constexpr uint32_t kDdpfFourCC = 0x4;
constexpr uint32_t kDdpfRgb = 0x40;
constexpr uint32_t kDdpfLuminance = 0x20000;
constexpr uint32_t kDdsCaps2CubeMap = 0x200;
constexpr uint32_t kDdsCaps2Volume = 0x200000;

// A channel of a masked pixel, scaled to 0..255 (255 when the mask is empty).
uint8_t Channel(uint32_t pixel, uint32_t mask, uint8_t whenEmpty)
{
    if (mask == 0)
        return whenEmpty;
    int shift = 0;
    while (!((mask >> shift) & 1))
        ++shift;
    // In 64 bits: a channel of more than 24 bits would overflow the scaling.
    const uint64_t max = mask >> shift;
    const uint64_t value = (pixel & mask) >> shift;
    return static_cast<uint8_t>((value * 255 + max / 2) / max);
}

D3DFORMAT MaskedFileFormat(uint32_t bits, uint32_t r, uint32_t g, uint32_t b, uint32_t a)
{
    if (bits == 32 && r == 0xFF0000 && g == 0xFF00 && b == 0xFF)
        return a == 0xFF000000u ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    if (bits == 32 && r == 0xFF && g == 0xFF00 && b == 0xFF0000)
        return a == 0xFF000000u ? D3DFMT_A8B8G8R8 : D3DFMT_X8B8G8R8;
    if (bits == 24 && r == 0xFF0000 && g == 0xFF00 && b == 0xFF)
        return D3DFMT_R8G8B8;
    if (bits == 16 && r == 0xF800 && g == 0x7E0 && b == 0x1F)
        return D3DFMT_R5G6B5;
    if (bits == 16 && r == 0x7C00 && g == 0x3E0 && b == 0x1F)
        return a ? D3DFMT_A1R5G5B5 : D3DFMT_X1R5G5B5;
    if (bits == 16 && r == 0xF00 && g == 0xF0 && b == 0xF)
        return D3DFMT_A4R4G4B4;
    return D3DFMT_UNKNOWN;
}

bool DecodeDds(const uint8_t* data, size_t size, DecodedImage& image, std::string& error)
{
    if (size < kDdsHeaderEnd) {
        error = "DDS header truncated";
        return false;
    }
    const uint32_t headerSize = ReadU32(data + 4);
    const uint32_t height = ReadU32(data + 12);
    const uint32_t width = ReadU32(data + 16);
    const uint32_t pfSize = ReadU32(data + 76);
    const uint32_t pfFlags = ReadU32(data + 80);
    const uint32_t fourCC = ReadU32(data + 84);
    const uint32_t bitCount = ReadU32(data + 88);
    const uint32_t rMask = ReadU32(data + 92), gMask = ReadU32(data + 96), bMask = ReadU32(data + 100);
    const uint32_t aMask = ReadU32(data + 104);
    const uint32_t caps2 = ReadU32(data + 112);
    if (headerSize != 124 || pfSize != 32) {
        error = "DDS header has a wrong size field";
        return false;
    }
    if (width == 0 || height == 0 || width > kMaxImageDimension || height > kMaxImageDimension) {
        error = std::string("DDS image size ") + std::to_string(width) + std::string(" x ") + std::to_string(height) +
                " out of range";
        return false;
    }
    if (!WithinPixelLimit(width, height, error))
        return false;
    if (caps2 & (kDdsCaps2CubeMap | kDdsCaps2Volume)) {
        error = "DDS cube maps and volume textures are not supported";
        return false;
    }
    const uint8_t* pixels = data + kDdsHeaderEnd;
    const size_t available = size - kDdsHeaderEnd;
    image.width = width;
    image.height = height;
    image.fileType = D3DXIFF_DDS;

    if (pfFlags & kDdpfFourCC) {
        D3DFORMAT format = static_cast<D3DFORMAT>(fourCC);
        if (!IsBlockFormat(format)) {
            char name[5] = {static_cast<char>(fourCC & 0xFF), static_cast<char>((fourCC >> 8) & 0xFF),
                            static_cast<char>((fourCC >> 16) & 0xFF), static_cast<char>(fourCC >> 24), 0};
            for (char& c : name)
                if (c && (c < 32 || c > 126))
                    c = '?';
            error = std::string("DDS pixel format '") + name + "' is not supported";
            return false;
        }
        const size_t needed = FormatSurfaceSize(format, width, height);
        if (available < needed) {
            error = std::string("DDS data truncated: ") + std::to_string(available) + std::string(" bytes for ") +
                    std::to_string(needed);
            return false;
        }
        image.fileFormat = image.surfaceFormat = format;
        image.bits.assign(pixels, pixels + needed);
        return true;
    }

    const bool luminance = (pfFlags & kDdpfLuminance) != 0;
    if (!(pfFlags & kDdpfRgb) && !luminance) {
        error = "DDS pixel format is neither compressed, RGB nor luminance";
        return false;
    }
    if (bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32) {
        error = std::string("DDS bit count ") + std::to_string(bitCount) + " is not supported";
        return false;
    }
    const bool hasAlpha = (pfFlags & kDdpfAlphaPixels) && aMask != 0;
    const uint32_t bytesPerPixel = bitCount / 8;
    const size_t rowBytes = static_cast<size_t>(width) * bytesPerPixel;
    const size_t needed = rowBytes * height;
    if (available < needed) {
        error = std::string("DDS data truncated: ") + std::to_string(available) + std::string(" bytes for ") +
                std::to_string(needed);
        return false;
    }
    image.fileFormat = luminance ? D3DFMT_L8 : MaskedFileFormat(bitCount, rMask, gMask, bMask, hasAlpha ? aMask : 0);
    image.surfaceFormat = hasAlpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    image.bits.resize(static_cast<size_t>(width) * height * 4);
    uint8_t* out = image.bits.data();
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* row = pixels + rowBytes * y;
        for (uint32_t x = 0; x < width; ++x, out += 4) {
            uint32_t p = 0;
            for (uint32_t i = 0; i < bytesPerPixel; ++i)
                p |= static_cast<uint32_t>(row[x * bytesPerPixel + i]) << (8 * i);
            if (luminance) {
                uint8_t l = Channel(p, rMask ? rMask : 0xFF, 0);
                out[0] = out[1] = out[2] = l;
            } else {
                out[0] = Channel(p, bMask, 0);
                out[1] = Channel(p, gMask, 0);
                out[2] = Channel(p, rMask, 0);
            }
            out[3] = hasAlpha ? Channel(p, aMask, 255) : 255;
        }
    }
    return true;
}

bool DecodeRaster(const uint8_t* data, size_t size, DecodedImage& image, std::string& error)
{
    if (size > 0x7FFFFFFF) {
        error = "image file too large";
        return false;
    }
    const int length = static_cast<int>(size);
    if (size >= 2 && data[0] == 'B' && data[1] == 'M')
        image.fileType = D3DXIFF_BMP;
    else if (size >= 8 && std::memcmp(data, "\x89PNG\r\n\x1a\n", 8) == 0)
        image.fileType = D3DXIFF_PNG;
    else if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF)
        image.fileType = D3DXIFF_JPG;
    else
        image.fileType = D3DXIFF_TGA;
    // A Targa has no signature, but its colour-map type is 0 or 1 and its image type one of
    // six. Anything else would reach the image library's other decoders (GIF, PSD, PNM, HDR,
    // PIC), which are no texture formats of ours.
    if (image.fileType == D3DXIFF_TGA) {
        static const uint8_t kTgaTypes[] = {1, 2, 3, 9, 10, 11};
        if (size < 18 || data[1] > 1 ||
            std::find(std::begin(kTgaTypes), std::end(kTgaTypes), data[2]) == std::end(kTgaTypes)) {
            error = "unrecognised or corrupt image (not a BMP, TGA, PNG, JPEG or DDS file)";
            return false;
        }
    }
    // Before the image library reads even the header: it builds the tables it meets on the way.
    if (image.fileType == D3DXIFF_JPG && !JpegTablesSound(data, size, error))
        return false;
    if (image.fileType == D3DXIFF_PNG && !PngChunksInsideFile(data, size, error))
        return false;
    int w = 0, h = 0, comp = 0;
    if (!stbi_info_from_memory(data, length, &w, &h, &comp)) {
        const char* reason = stbi_failure_reason();
        error = std::string("unrecognised or corrupt image (") + (reason ? reason : "unknown") + ")";
        return false;
    }
    if (w <= 0 || h <= 0 || static_cast<uint32_t>(w) > kMaxImageDimension ||
        static_cast<uint32_t>(h) > kMaxImageDimension) {
        error =
            std::string("image size ") + std::to_string(w) + std::string(" x ") + std::to_string(h) + " out of range";
        return false;
    }
    if (!WithinPixelLimit(uint64_t(w), uint64_t(h), error) ||
        !FileCanHoldImage(data, size, image.fileType, uint64_t(w), uint64_t(h), error))
        return false;

    int dw = 0, dh = 0, dcomp = 0;
    stbi_uc* rgba = stbi_load_from_memory(data, length, &dw, &dh, &dcomp, 4);
    if (!rgba) {
        const char* reason = stbi_failure_reason();
        error = std::string("image decoding failed (") + (reason ? reason : "unknown") + ")";
        return false;
    }
    if (dw != w || dh != h) {
        stbi_image_free(rgba);
        error = "image size changed while decoding";
        return false;
    }
    const bool alpha = dcomp == 2 || dcomp == 4;
    image.width = static_cast<uint32_t>(w);
    image.height = static_cast<uint32_t>(h);
    image.fileFormat = dcomp == 1 ? D3DFMT_L8 : alpha ? D3DFMT_A8R8G8B8 : D3DFMT_R8G8B8;
    image.surfaceFormat = alpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    const size_t count = static_cast<size_t>(w) * static_cast<size_t>(h);
    image.bits.resize(count * 4);
    for (size_t i = 0; i < count; ++i) {
        image.bits[i * 4 + 0] = rgba[i * 4 + 2];
        image.bits[i * 4 + 1] = rgba[i * 4 + 1];
        image.bits[i * 4 + 2] = rgba[i * 4 + 0];
        image.bits[i * 4 + 3] = alpha ? rgba[i * 4 + 3] : 255;
    }
    stbi_image_free(rgba);
    return true;
}

} // namespace

bool DecodeImageFile(const void* data, size_t size, DecodedImage& image, std::string& error)
{
    image = DecodedImage();
    if (!data || size == 0) {
        error = "empty image file";
        return false;
    }
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    if (size >= 4 && std::memcmp(bytes, "DDS ", 4) == 0)
        return DecodeDds(bytes, size, image, error);
    return DecodeRaster(bytes, size, image, error);
}
