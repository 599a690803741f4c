// The shader assembler on arbitrary text, the translator on what it produces, and the
// translator on arbitrary token streams.
#include "Platform/D3D9/ShaderTranslator.h"
#include "Platform/D3DX/ShaderAssembler.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint32_t> tokens;
    std::string errors;
    TranslatedShader shader;
    std::string error;
    if (AssembleShaderText(std::string_view(reinterpret_cast<const char*>(data), size), tokens, errors))
        TranslateShader(tokens.data(), tokens.size(), shader, error);
    std::vector<uint32_t> raw(size / 4);
    if (!raw.empty()) {
        std::memcpy(raw.data(), data, raw.size() * 4);
        TranslateShader(raw.data(), raw.size(), shader, error);
    }
    return 0;
}
