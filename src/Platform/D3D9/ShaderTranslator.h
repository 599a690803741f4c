// Translation of a vs_2_0 / ps_2_0 token stream to GLSL 3.30.
//
// The generated stages meet through fixed varyings (qm_D0, qm_D1, qm_T0..qm_T7) so that a
// shader stage pairs with the fixed-function stage on the other side. Vertex shader
// constants live in the uniform block "QmVSConst" (c[256]), pixel shader constants in
// "QmPSConst" (pc[32]); defined constants (def) are folded into the text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct ShaderInput {
    uint32_t reg;   // v#
    uint32_t usage; // D3DDECLUSAGE
    uint32_t usageIndex;
};

struct TranslatedShader {
    bool pixel = false;
    std::string glsl;
    std::vector<ShaderInput> inputs; // vertex shaders: the declared v# registers
    uint32_t samplerMask = 0;        // pixel shaders: the declared s# registers
    size_t tokenCount = 0;           // length of the stream, end token included
};

// Translates the stream at `tokens` (at most `maxTokens` long). False with a reason in `error`
// for a malformed stream or an instruction outside the supported set.
bool TranslateShader(const uint32_t* tokens, size_t maxTokens, TranslatedShader& out, std::string& error);

// Common GLSL of the fixed-function stages and the alpha test; see ShaderTranslator.cpp.
extern const char* const kFixedFunctionVertexGlsl;
extern const char* const kFixedFunctionPixelGlsl;
