// Random token streams through the translator and the device: every stream the translator
// accepts must compile, so that a bad shader is refused with the translator's reason rather
// than by the GLSL compiler, and never reaches a draw half-made.
#include "Platform/D3D9/D3D9Types.h"
#include "Platform/D3D9/ShaderTranslator.h"
#include "Support/GraphicsFixture.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace {

// Builds plausible streams: real opcodes with operand counts that mostly fit, registers of
// every type with small numbers, masks, swizzles, negation, saturation and relative reads.
class StreamMaker {
  public:
    explicit StreamMaker(uint32_t seed) : m_Random(seed) {}

    std::vector<uint32_t> Make(bool pixel)
    {
        std::vector<uint32_t> t = {pixel ? D3DPS_VERSION(2, 0) : D3DVS_VERSION(2, 0)};
        const int count = 1 + Pick(6);
        for (int i = 0; i < count; ++i)
            Instruction(t, pixel);
        t.push_back(D3DSIO_END);
        return t;
    }

  private:
    int Pick(int n) { return static_cast<int>(m_Random() % static_cast<uint32_t>(n)); }

    uint32_t Register(int type, int number) { return 0x80000000u | D3DShaderRegisterBits(type, number); }
    uint32_t AnyRegister()
    {
        static const int kTypes[] = {D3DSPR_TEMP,     D3DSPR_INPUT,   D3DSPR_CONST,     D3DSPR_ADDR,
                                     D3DSPR_RASTOUT,  D3DSPR_ATTROUT, D3DSPR_TEXCRDOUT, D3DSPR_COLOROUT,
                                     D3DSPR_DEPTHOUT, D3DSPR_SAMPLER};
        // Mostly temporaries, inputs and constants, as real code reads.
        const int type = Pick(3) ? Pick(3) : kTypes[Pick(10)];
        return Register(type, Pick(4));
    }
    void Destination(std::vector<uint32_t>& t)
    {
        uint32_t d = AnyRegister() | (static_cast<uint32_t>(1 + Pick(15)) << 16);
        if (Pick(4) == 0)
            d |= D3DSPDM_SATURATE;
        t.push_back(d);
    }
    void Source(std::vector<uint32_t>& t)
    {
        uint32_t s = AnyRegister() | (static_cast<uint32_t>(Pick(256)) << D3DSP_SWIZZLE_SHIFT);
        if (Pick(4) == 0)
            s |= D3DSPSM_NEG;
        const bool relative = Pick(8) == 0;
        if (relative)
            s = (s & ~(D3DSP_REGTYPE_MASK | D3DSP_REGTYPE_MASK2)) | D3DShaderRegisterBits(D3DSPR_CONST, 0) |
                D3DSHADER_ADDRMODE_RELATIVE;
        t.push_back(s);
        if (relative)
            t.push_back(Register(D3DSPR_ADDR, 0) | (static_cast<uint32_t>(Pick(4) * 0x55) << D3DSP_SWIZZLE_SHIFT));
    }
    void Instruction(std::vector<uint32_t>& t, bool pixel)
    {
        struct Op {
            uint32_t opcode;
            int sources;
        };
        static const Op kOps[] = {
            {D3DSIO_MOV, 1},  {D3DSIO_ADD, 2},    {D3DSIO_MAD, 3},  {D3DSIO_RCP, 1},  {D3DSIO_DP4, 2},
            {D3DSIO_SLT, 2},  {D3DSIO_EXP, 1},    {D3DSIO_LIT, 1},  {D3DSIO_DST, 2},  {D3DSIO_LRP, 3},
            {D3DSIO_M4x4, 2}, {D3DSIO_M3x2, 2},   {D3DSIO_POW, 2},  {D3DSIO_CRS, 2},  {D3DSIO_SGN, 3},
            {D3DSIO_NRM, 1},  {D3DSIO_SINCOS, 3}, {D3DSIO_MOVA, 1}, {D3DSIO_EXPP, 1}, {D3DSIO_LOGP, 1},
            {D3DSIO_CMP, 3},  {D3DSIO_DP2ADD, 3}, {D3DSIO_FRC, 1},  {D3DSIO_ABS, 1},  {D3DSIO_MIN, 2},
        };
        const size_t start = t.size();
        t.push_back(0);
        uint32_t opcode;
        switch (Pick(8)) {
        case 0: // dcl
            opcode = D3DSIO_DCL;
            if (pixel && Pick(2)) {
                t.push_back(0x80000000u | D3DSTT_2D);
                t.push_back(Register(D3DSPR_SAMPLER, Pick(3)) | D3DSP_WRITEMASK_ALL);
            } else {
                t.push_back(0x80000000u | static_cast<uint32_t>(Pick(14)));
                t.push_back(Register(pixel && Pick(2) ? D3DSPR_TEXTURE : D3DSPR_INPUT, Pick(4)) | D3DSP_WRITEMASK_ALL);
            }
            break;
        case 1: // def
            opcode = D3DSIO_DEF;
            t.push_back(Register(D3DSPR_CONST, Pick(4)) | D3DSP_WRITEMASK_ALL);
            for (int i = 0; i < 4; ++i)
                t.push_back(0x3F000000u); // 0.5
            break;
        case 2: // texture instructions
            if (Pick(2)) {
                opcode = D3DSIO_TEXKILL;
                t.push_back(AnyRegister() | D3DSP_WRITEMASK_ALL);
            } else {
                opcode = D3DSIO_TEX | (Pick(3) == 0 ? D3DSI_TEXLD_PROJECT : 0);
                Destination(t);
                Source(t);
                t.push_back(Register(D3DSPR_SAMPLER, Pick(3)) | D3DSP_NOSWIZZLE);
            }
            break;
        default: {
            const Op& op = kOps[Pick(static_cast<int>(std::size(kOps)))];
            opcode = op.opcode;
            Destination(t);
            for (int i = 0; i < op.sources; ++i)
                Source(t);
            break;
        }
        }
        t[start] = opcode | (static_cast<uint32_t>(t.size() - start - 1) << D3DSI_INSTLENGTH_SHIFT);
    }

    std::mt19937 m_Random;
};

TEST_F(DeviceTest, EveryStreamTheTranslatorAcceptsCompiles)
{
    StreamMaker maker(20260101);
    int accepted[2] = {0, 0};
    for (int i = 0; i < 20000; ++i) {
        const bool pixel = (i & 1) != 0;
        const std::vector<uint32_t> tokens = maker.Make(pixel);
        TranslatedShader translated;
        std::string error;
        if (!TranslateShader(tokens.data(), tokens.size(), translated, error))
            continue;
        ++accepted[pixel];
        std::string stream;
        for (uint32_t token : tokens)
            stream += HexColor(token) + " ";
        SCOPED_TRACE(stream);
        if (pixel) {
            IDirect3DPixelShader9* shader = nullptr;
            EXPECT_EQ(m_pDevice->CreatePixelShader(reinterpret_cast<const DWORD*>(tokens.data()), &shader), D3D_OK);
            SafeRelease(shader);
        } else {
            IDirect3DVertexShader9* shader = nullptr;
            EXPECT_EQ(m_pDevice->CreateVertexShader(reinterpret_cast<const DWORD*>(tokens.data()), &shader), D3D_OK);
            SafeRelease(shader);
        }
        if (HasFailure())
            break;
    }
    // The maker must reach the code generator, or this test shows nothing.
    EXPECT_GT(accepted[0], 100);
    EXPECT_GT(accepted[1], 100);
}

} // namespace
