// Image files as textures arrive from the archives: DDS, BMP, TGA, PNG and JPEG.
#include "Platform/D3D9/SurfaceFormat.h"
#include "Platform/D3DX/ImageDecode.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    DecodedImage image;
    std::string error;
    if (DecodeImageFile(data, size, image, error) && IsBlockFormat(image.surfaceFormat)) {
        std::vector<uint8_t> bgra(static_cast<size_t>(image.width) * image.height * 4);
        DecodeDxtToBgra(image.surfaceFormat, image.bits.data(), image.width, image.height, bgra.data());
    }
    return 0;
}
