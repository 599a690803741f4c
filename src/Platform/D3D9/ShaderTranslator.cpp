#include "Platform/D3D9/ShaderTranslator.h"

#include "Platform/D3D9/D3D9Types.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <sstream>

// Vertex stage epilogue shared by both vertex paths. The device renders upside down, so
// that OpenGL's rows are the surface rows (top row first) and its rasterisation rules meet
// Direct3D's; y is negated for that. D3D9 puts pixel centres on integer coordinates and clip
// z in 0..w; qm_PosFixup = (1 / viewport width, 1 / viewport height) moves the position half
// a pixel so that OpenGL's centres land on the same pixels.
#define QM_VS_COMMON                                                                                                   \
    "uniform vec4 qm_PosFixup;\n"                                                                                      \
    "out vec4 qm_D0; out vec4 qm_D1;\n"                                                                                \
    "out vec4 qm_T0; out vec4 qm_T1; out vec4 qm_T2; out vec4 qm_T3;\n"                                                \
    "out vec4 qm_T4; out vec4 qm_T5; out vec4 qm_T6; out vec4 qm_T7;\n"                                                \
    "void qm_EmitPosition(vec4 p) {\n"                                                                                 \
    "    p.y = -p.y;\n"                                                                                                \
    "    p.xy += qm_PosFixup.xy * p.w;\n"                                                                              \
    "    p.z = p.z * 2.0 - p.w;\n"                                                                                     \
    "    gl_Position = p;\n"                                                                                           \
    "}\n"

// Pixel stage prologue: inputs and the alpha test, which runs on the final colour. The alpha
// function is compiled in (the device defines QM_ALPHA_FUNC, one program per function in use):
// a software rasteriser runs both sides of a branch on a uniform for every pixel, and ALWAYS
// then needs no discard at all. The reference value stays a uniform.
#define QM_PS_COMMON                                                                                                   \
    "#ifndef QM_ALPHA_FUNC\n"                                                                                          \
    "#define QM_ALPHA_FUNC 8\n"                                                                                        \
    "#endif\n"                                                                                                         \
    "in vec4 qm_D0; in vec4 qm_D1;\n"                                                                                  \
    "in vec4 qm_T0; in vec4 qm_T1; in vec4 qm_T2; in vec4 qm_T3;\n"                                                    \
    "in vec4 qm_T4; in vec4 qm_T5; in vec4 qm_T6; in vec4 qm_T7;\n"                                                    \
    "out vec4 qm_Color;\n"                                                                                             \
    "uniform float qm_AlphaRef;\n"                                                                                     \
    "void qm_Output(vec4 c) {\n"                                                                                       \
    "#if QM_ALPHA_FUNC != 8\n"                                                                                         \
    "    float a = floor(clamp(c.a, 0.0, 1.0) * 255.0 + 0.5);\n"                                                       \
    "    bool pass = QM_ALPHA_FUNC == 2 ? a < qm_AlphaRef : QM_ALPHA_FUNC == 3 ? a == qm_AlphaRef :\n"                 \
    "                QM_ALPHA_FUNC == 4 ? a <= qm_AlphaRef : QM_ALPHA_FUNC == 5 ? a > qm_AlphaRef :\n"                 \
    "                QM_ALPHA_FUNC == 6 ? a != qm_AlphaRef : QM_ALPHA_FUNC == 7 ? a >= qm_AlphaRef : false;\n"         \
    "    if (!pass) discard;\n"                                                                                        \
    "#endif\n"                                                                                                         \
    "    qm_Color = c;\n"                                                                                              \
    "}\n"

const char* const kFixedFunctionVertexGlsl =
    "#version 330 core\n" QM_VS_COMMON "layout(location = 0) in vec4 qm_Position;\n"
    "layout(location = 1) in vec4 qm_Diffuse;\n"
    "layout(location = 2) in vec4 qm_TexCoord0;\n"
    "uniform mat4 qm_WorldViewProj;\n"
    "void main() {\n"
    "    qm_D0 = qm_Diffuse; qm_D1 = vec4(0.0);\n"
    "    qm_T0 = qm_TexCoord0; qm_T1 = vec4(0.0); qm_T2 = vec4(0.0); qm_T3 = vec4(0.0);\n"
    "    qm_T4 = vec4(0.0); qm_T5 = vec4(0.0); qm_T6 = vec4(0.0); qm_T7 = vec4(0.0);\n"
    "    qm_EmitPosition(qm_WorldViewProj * qm_Position);\n"
    "}\n";

// Texture stage 0 of the fixed-function pixel stage. A stage without a texture reads white
// for its texture argument, so untextured draws give the vertex colour under MODULATE.
const char* const kFixedFunctionPixelGlsl =
    "#version 330 core\n" QM_PS_COMMON "uniform sampler2D qm_Texture0;\n"
    "uniform int qm_TextureBound;\n"
    "uniform ivec3 qm_ColorStage;\n" // op, arg1, arg2
    "uniform ivec3 qm_AlphaStage;\n"
    "uniform vec4 qm_TextureFactor;\n"
    "vec4 qm_Arg(int a, vec4 tex, vec4 diffuse) {\n"
    "    int sel = a & 15;\n"
    "    vec4 v = sel == 2 ? tex : sel == 3 ? qm_TextureFactor : diffuse;\n"
    "    if ((a & 16) != 0) v = vec4(1.0) - v;\n"
    "    if ((a & 32) != 0) v = v.aaaa;\n"
    "    return v;\n"
    "}\n"
    "vec4 qm_Op(int op, vec4 a1, vec4 a2, vec4 current) {\n"
    "    if (op == 2) return a1;\n"
    "    if (op == 3) return a2;\n"
    "    if (op == 4) return a1 * a2;\n"
    "    if (op == 5) return a1 * a2 * 2.0;\n"
    "    if (op == 6) return a1 * a2 * 4.0;\n"
    "    if (op == 7) return a1 + a2;\n"
    "    return current;\n"
    "}\n"
    "void main() {\n"
    "    vec4 diffuse = clamp(qm_D0, 0.0, 1.0);\n"
    "    vec4 tex = qm_TextureBound != 0 ? texture(qm_Texture0, qm_T0.xy) : vec4(1.0);\n"
    "    vec4 c = qm_Op(qm_ColorStage.x, qm_Arg(qm_ColorStage.y, tex, diffuse), qm_Arg(qm_ColorStage.z, tex, "
    "diffuse), diffuse);\n"
    "    vec4 a = qm_ColorStage.x == 1 ? diffuse : qm_Op(qm_AlphaStage.x, qm_Arg(qm_AlphaStage.y, tex, diffuse), "
    "qm_Arg(qm_AlphaStage.z, tex, diffuse), diffuse);\n"
    "    qm_Output(clamp(vec4(c.rgb, a.a), 0.0, 1.0));\n"
    "}\n";

namespace {

const char kComponents[] = "xyzw";

class Translator {
  public:
    Translator(const uint32_t* tokens, size_t maxTokens) : m_pTokens(tokens), m_nMax(maxTokens) {}
    bool Run(TranslatedShader& out, std::string& error);

  private:
    bool Fail(const std::string& why)
    {
        if (m_Error.empty())
            m_Error = why;
        return false;
    }
    bool Token(size_t i, uint32_t& t)
    {
        if (i >= m_nMax)
            return Fail("token stream ends without an end token");
        t = m_pTokens[i];
        return true;
    }
    // Name of a register as read (with `offset` added to its number) or written.
    bool RegisterName(uint32_t param, uint32_t relativeToken, bool relative, int offset, bool write, std::string& name);
    bool Source(size_t& pos, int offset, std::string& expr, bool keepSwizzle = true);
    bool Destination(size_t& pos, std::string& name, uint32_t& mask, uint32_t& modifiers);
    bool Instruction(uint32_t token, size_t start, size_t length);

    const uint32_t* m_pTokens;
    size_t m_nMax;
    bool m_bPixel = false;
    // Only a pixel stage that writes oDepth sets the fragment's depth: writing gl_FragDepth at
    // all turns off the rasteriser's early depth test and its depth interpolation.
    bool m_bWritesDepth = false;
    std::string m_Error;
    std::ostringstream m_Body;
    std::map<uint32_t, std::string> m_Defs;
    std::vector<ShaderInput> m_Inputs;
    uint32_t m_nSamplerMask = 0;
    uint32_t m_nInputsDeclared = 0; // vertex shaders: v# masks
    uint32_t m_nInputsRead = 0;
};

bool Translator::RegisterName(uint32_t param, uint32_t relativeToken, bool relative, int offset, bool write,
                              std::string& name)
{
    const uint32_t type = D3DShaderRegisterType(param);
    const uint32_t number = (param & D3DSP_REGNUM_MASK) + static_cast<uint32_t>(offset);
    auto limit = [&](uint32_t n) { return number < n ? true : Fail("register number out of range"); };
    switch (type) {
    case D3DSPR_TEMP:
        if (!limit(12))
            return false;
        name = std::string("r") + std::to_string(number);
        return true;
    case D3DSPR_INPUT:
        if (write || !limit(m_bPixel ? 2 : 16))
            return write ? Fail("an input register is written") : false;
        if (!m_bPixel)
            m_nInputsRead |= 1u << number;
        name = std::string("v") + std::to_string(number);
        return true;
    case D3DSPR_CONST: {
        if (write)
            return Fail("a constant register is written");
        const uint32_t count = m_bPixel ? 32 : 256;
        if (relative) {
            if (m_bPixel)
                return Fail("relative addressing in a pixel shader");
            if (D3DShaderRegisterType(relativeToken) != D3DSPR_ADDR)
                return Fail("relative addressing through a register other than a0");
            uint32_t component = (relativeToken >> D3DSP_SWIZZLE_SHIFT) & 3;
            name =
                "qm_C(a0." + std::string(1, kComponents[component]) + std::string(" + ") + std::to_string(number) + ")";
            return true;
        }
        if (!limit(count))
            return false;
        auto def = m_Defs.find(number);
        if (def != m_Defs.end())
            name = def->second;
        else
            name = (m_bPixel ? "pc[" : "c[") + std::to_string(number) + "]";
        return true;
    }
    case D3DSPR_ADDR: // D3DSPR_TEXTURE in pixel shaders
        if (m_bPixel) {
            if (write || !limit(8))
                return write ? Fail("a texture coordinate register is written") : false;
            name = std::string("t") + std::to_string(number);
        } else {
            if (!write || !limit(1))
                return write ? false : Fail("the address register is read");
            name = "a0";
        }
        return true;
    case D3DSPR_RASTOUT:
        if (m_bPixel || !write || !limit(3))
            return Fail("bad use of a rasteriser output");
        name = number == 0 ? "o_Pos" : number == 1 ? "o_Fog" : "o_Pts";
        return true;
    case D3DSPR_ATTROUT:
        if (m_bPixel || !write || !limit(2))
            return Fail("bad use of a colour output");
        name = std::string("qm_D") + std::to_string(number);
        return true;
    case D3DSPR_TEXCRDOUT:
        if (m_bPixel || !write || !limit(8))
            return Fail("bad use of a texture coordinate output");
        name = std::string("qm_T") + std::to_string(number);
        return true;
    case D3DSPR_COLOROUT:
        if (!m_bPixel || !write || !limit(1))
            return Fail("bad use of a colour output (oC0 only)");
        name = "o_C0";
        return true;
    case D3DSPR_DEPTHOUT:
        if (!m_bPixel || !write || !limit(1))
            return Fail("bad use of oDepth");
        name = "o_Depth";
        m_bWritesDepth = true;
        return true;
    default: return Fail(std::string("unsupported register type ") + std::to_string(type));
    }
}

bool Translator::Source(size_t& pos, int offset, std::string& expr, bool keepSwizzle)
{
    uint32_t param, relativeToken = 0;
    if (!Token(pos++, param))
        return false;
    if (!(param & 0x80000000u))
        return Fail("malformed source parameter");
    const bool relative = (param & D3DSHADER_ADDRMODE_RELATIVE) != 0;
    if (relative && !Token(pos++, relativeToken))
        return false;
    if (relative && D3DShaderRegisterType(param) != D3DSPR_CONST)
        return Fail("relative addressing of a register other than c#");
    std::string name;
    if (!RegisterName(param, relativeToken, relative, offset, false, name))
        return false;
    const uint32_t swizzle = (param & D3DSP_SWIZZLE_MASK) >> D3DSP_SWIZZLE_SHIFT;
    expr = name;
    if (keepSwizzle && swizzle != 0xE4) {
        expr += '.';
        for (int i = 0; i < 4; ++i)
            expr += kComponents[(swizzle >> (2 * i)) & 3];
    }
    const uint32_t modifier = param & D3DSP_SRCMOD_MASK;
    if (modifier == D3DSPSM_NEG)
        expr = "(-" + expr + ")";
    else if (modifier != D3DSPSM_NONE)
        return Fail("unsupported source modifier");
    return true;
}

bool Translator::Destination(size_t& pos, std::string& name, uint32_t& mask, uint32_t& modifiers)
{
    uint32_t param;
    if (!Token(pos++, param))
        return false;
    if (!(param & 0x80000000u))
        return Fail("malformed destination parameter");
    if (param & D3DSHADER_ADDRMODE_RELATIVE)
        return Fail("relative addressing of a destination");
    if (!RegisterName(param, 0, false, 0, true, name))
        return false;
    mask = (param >> 16) & 0xF;
    modifiers = param & D3DSP_DSTMOD_MASK;
    if (param & D3DSP_DSTSHIFT_MASK)
        return Fail("result shift is not supported");
    if (mask == 0)
        return Fail("empty write mask");
    return true;
}

bool Translator::Instruction(uint32_t token, size_t start, size_t length)
{
    const uint32_t opcode = token & D3DSI_OPCODE_MASK;
    size_t pos = start;
    const size_t end = start + length;
    if (opcode == D3DSIO_NOP)
        return true;
    if (opcode == D3DSIO_DCL) {
        uint32_t usage, param;
        if (length != 2 || !Token(pos, usage) || !Token(pos + 1, param))
            return Fail("malformed dcl");
        const uint32_t type = D3DShaderRegisterType(param);
        const uint32_t number = param & D3DSP_REGNUM_MASK;
        if (!m_bPixel) {
            if (type != D3DSPR_INPUT || number >= 16)
                return Fail("vertex shader dcl of a register other than v0..v15");
            if (m_nInputsDeclared & (1u << number))
                return Fail(std::string("v") + std::to_string(number) + " declared twice");
            m_nInputsDeclared |= 1u << number;
            m_Inputs.push_back({number, usage & D3DSP_DCL_USAGE_MASK,
                                (usage & D3DSP_DCL_USAGEINDEX_MASK) >> D3DSP_DCL_USAGEINDEX_SHIFT});
        } else if (type == D3DSPR_SAMPLER) {
            if (number >= 16)
                return Fail("sampler number out of range");
            if ((usage & D3DSP_TEXTURETYPE_MASK) != D3DSTT_2D)
                return Fail("only 2D samplers are supported");
            m_nSamplerMask |= 1u << number;
        }
        return true;
    }
    if (opcode == D3DSIO_DEF) {
        uint32_t param, v[4];
        if (length != 5 || !Token(pos, param) || !Token(pos + 1, v[0]) || !Token(pos + 2, v[1]) ||
            !Token(pos + 3, v[2]) || !Token(pos + 4, v[3]))
            return Fail("malformed def");
        if (D3DShaderRegisterType(param) != D3DSPR_CONST || (param & D3DSP_REGNUM_MASK) >= (m_bPixel ? 32u : 256u))
            return Fail("def of a register other than c#");
        std::ostringstream text;
        text.precision(9);
        text << "vec4(";
        for (int i = 0; i < 4; ++i) {
            float f;
            std::memcpy(&f, &v[i], 4);
            if (f != f || f - f != 0.0f)
                return Fail("def of a value that is not finite");
            text << std::scientific << f << (i < 3 ? ", " : ")");
        }
        m_Defs[param & D3DSP_REGNUM_MASK] = text.str();
        return true;
    }

    static const uint32_t kSupported[] = {
        D3DSIO_MOV, D3DSIO_ADD,  D3DSIO_SUB,  D3DSIO_MAD,  D3DSIO_MUL,   D3DSIO_RCP,    D3DSIO_RSQ,  D3DSIO_DP3,
        D3DSIO_DP4, D3DSIO_MIN,  D3DSIO_MAX,  D3DSIO_SLT,  D3DSIO_SGE,   D3DSIO_EXP,    D3DSIO_LOG,  D3DSIO_LIT,
        D3DSIO_DST, D3DSIO_LRP,  D3DSIO_FRC,  D3DSIO_M4x4, D3DSIO_M4x3,  D3DSIO_M3x4,   D3DSIO_M3x3, D3DSIO_M3x2,
        D3DSIO_POW, D3DSIO_CRS,  D3DSIO_SGN,  D3DSIO_ABS,  D3DSIO_NRM,   D3DSIO_SINCOS, D3DSIO_MOVA, D3DSIO_TEXKILL,
        D3DSIO_TEX, D3DSIO_EXPP, D3DSIO_LOGP, D3DSIO_CMP,  D3DSIO_DP2ADD};
    if (std::find(std::begin(kSupported), std::end(kSupported), opcode) == std::end(kSupported))
        return Fail(std::string("unsupported instruction ") + std::to_string(opcode));
    std::string dst;
    uint32_t mask = 0, modifiers = 0;
    if (opcode == D3DSIO_TEXKILL) {
        if (!m_bPixel)
            return Fail("texkill in a vertex shader");
        std::string reg;
        uint32_t param;
        if (length != 1 || !Token(pos, param) || !RegisterName(param, 0, false, 0, false, reg))
            return Fail("malformed texkill");
        m_Body << "    if (any(lessThan(" << reg << ".xyz, vec3(0.0)))) discard;\n";
        return true;
    }
    if (!Destination(pos, dst, mask, modifiers))
        return false;
    std::vector<std::string> src;
    auto need = [&](size_t n) {
        src.clear();
        for (size_t i = 0; i < n; ++i) {
            std::string e;
            if (pos >= end || !Source(pos, 0, e))
                return Fail("missing source operand");
            src.push_back(e);
        }
        return pos == end ? true : Fail("instruction length does not match its operands");
    };
    // Matrix instructions read consecutive registers from the second source.
    auto matrix = [&](int rows, int columns) {
        std::string v;
        size_t p = pos;
        if (!Source(p, 0, v))
            return false;
        std::vector<std::string> m;
        for (int i = 0; i < rows; ++i) {
            size_t q = p;
            std::string r;
            if (!Source(q, i, r, false))
                return false;
            m.push_back(r);
            if (i == rows - 1)
                pos = q;
        }
        if (pos != end)
            return Fail("instruction length does not match its operands");
        std::string e = "vec4(";
        for (int i = 0; i < 4; ++i) {
            if (i < rows)
                e += columns == 4 ? "dot(" + v + ", " + m[i] + ")" : "dot((" + v + ").xyz, (" + m[i] + ").xyz)";
            else
                e += "0.0";
            e += i < 3 ? ", " : ")";
        }
        src.assign(1, e);
        return true;
    };
    std::string e;
    switch (opcode) {
    case D3DSIO_MOV:
        if (!need(1))
            return false;
        e = src[0];
        break;
    case D3DSIO_MOVA:
        if (!need(1))
            return false;
        e = "ivec4(floor(" + src[0] + " + 0.5))";
        break;
    case D3DSIO_ADD:
        if (!need(2))
            return false;
        e = src[0] + " + " + src[1];
        break;
    case D3DSIO_SUB:
        if (!need(2))
            return false;
        e = src[0] + " - " + src[1];
        break;
    case D3DSIO_MUL:
        if (!need(2))
            return false;
        e = src[0] + " * " + src[1];
        break;
    case D3DSIO_MAD:
        if (!need(3))
            return false;
        e = src[0] + " * " + src[1] + " + " + src[2];
        break;
    case D3DSIO_RCP:
        if (!need(1))
            return false;
        e = "vec4(1.0 / (" + src[0] + ").w)";
        break;
    case D3DSIO_RSQ:
        if (!need(1))
            return false;
        e = "vec4(inversesqrt(abs((" + src[0] + ").w)))";
        break;
    case D3DSIO_DP3:
        if (!need(2))
            return false;
        e = "vec4(dot((" + src[0] + ").xyz, (" + src[1] + ").xyz))";
        break;
    case D3DSIO_DP4:
        if (!need(2))
            return false;
        e = "vec4(dot(" + src[0] + ", " + src[1] + "))";
        break;
    case D3DSIO_MIN:
        if (!need(2))
            return false;
        e = "min(" + src[0] + ", " + src[1] + ")";
        break;
    case D3DSIO_MAX:
        if (!need(2))
            return false;
        e = "max(" + src[0] + ", " + src[1] + ")";
        break;
    case D3DSIO_SLT:
        if (!need(2))
            return false;
        e = "vec4(lessThan(" + src[0] + ", " + src[1] + "))";
        break;
    case D3DSIO_SGE:
        if (!need(2))
            return false;
        e = "vec4(greaterThanEqual(" + src[0] + ", " + src[1] + "))";
        break;
    case D3DSIO_EXP:
        if (!need(1))
            return false;
        e = "vec4(exp2((" + src[0] + ").w))";
        break;
    case D3DSIO_LOG:
        if (!need(1))
            return false;
        e = "vec4(log2(abs((" + src[0] + ").w)))";
        break;
    case D3DSIO_LOGP:
        if (!need(1))
            return false;
        e = "vec4(log2(abs((" + src[0] + ").w)))";
        break;
    case D3DSIO_EXPP:
        if (!need(1))
            return false;
        // From version 2.0 on, expp is 2^x in every component (the older split form is gone).
        e = "vec4(exp2((" + src[0] + ").w))";
        break;
    case D3DSIO_LIT:
        if (!need(1))
            return false;
        e = "qm_Lit(" + src[0] + ")";
        break;
    case D3DSIO_DST:
        if (!need(2))
            return false;
        e = "vec4(1.0, (" + src[0] + ").y * (" + src[1] + ").y, (" + src[0] + ").z, (" + src[1] + ").w)";
        break;
    case D3DSIO_LRP:
        if (!need(3))
            return false;
        e = "mix(" + src[2] + ", " + src[1] + ", " + src[0] + ")";
        break;
    case D3DSIO_FRC:
        if (!need(1))
            return false;
        e = "fract(" + src[0] + ")";
        break;
    case D3DSIO_M4x4:
        if (!matrix(4, 4))
            return false;
        e = src[0];
        break;
    case D3DSIO_M4x3:
        if (!matrix(3, 4))
            return false;
        e = src[0];
        break;
    case D3DSIO_M3x4:
        if (!matrix(4, 3))
            return false;
        e = src[0];
        break;
    case D3DSIO_M3x3:
        if (!matrix(3, 3))
            return false;
        e = src[0];
        break;
    case D3DSIO_M3x2:
        if (!matrix(2, 3))
            return false;
        e = src[0];
        break;
    case D3DSIO_POW:
        if (!need(2))
            return false;
        e = "vec4(pow(abs((" + src[0] + ").w), (" + src[1] + ").w))";
        break;
    case D3DSIO_CRS:
        if (!need(2))
            return false;
        e = "vec4(cross((" + src[0] + ").xyz, (" + src[1] + ").xyz), 0.0)";
        break;
    case D3DSIO_SGN:
        if (!need(3))
            return false;
        e = "sign(" + src[0] + ")";
        break;
    case D3DSIO_ABS:
        if (!need(1))
            return false;
        e = "abs(" + src[0] + ")";
        break;
    case D3DSIO_NRM:
        if (!need(1))
            return false;
        e = "qm_Nrm(" + src[0] + ")";
        break;
    case D3DSIO_SINCOS:
        if (!need(3))
            return false;
        e = "vec4(cos((" + src[0] + ").w), sin((" + src[0] + ").w), 0.0, 0.0)";
        break;
    case D3DSIO_CMP:
        if (!need(3))
            return false;
        e = "qm_Cmp(" + src[0] + ", " + src[1] + ", " + src[2] + ")";
        break;
    case D3DSIO_DP2ADD:
        if (!need(3))
            return false;
        e = "vec4(dot((" + src[0] + ").xy, (" + src[1] + ").xy) + (" + src[2] + ").w)";
        break;
    case D3DSIO_TEX: {
        if (!m_bPixel)
            return Fail("texld in a vertex shader");
        std::string coord;
        uint32_t samplerParam;
        if (!Source(pos, 0, coord) || !Token(pos, samplerParam))
            return false;
        ++pos;
        if (pos != end || D3DShaderRegisterType(samplerParam) != D3DSPR_SAMPLER)
            return Fail("texld needs a coordinate and a sampler");
        const uint32_t s = samplerParam & D3DSP_REGNUM_MASK;
        if (s >= 16 || !(m_nSamplerMask & (1u << s)))
            return Fail("texld from an undeclared sampler");
        const std::string sampler = std::string("s") + std::to_string(s);
        if (token & D3DSI_TEXLD_PROJECT)
            e = "texture(" + sampler + ", (" + coord + ").xy / (" + coord + ").w)";
        else if (token & D3DSI_TEXLD_BIAS)
            e = "texture(" + sampler + ", (" + coord + ").xy, (" + coord + ").w)";
        else
            e = "texture(" + sampler + ", (" + coord + ").xy)";
        break;
    }
    default: return Fail(std::string("unsupported instruction ") + std::to_string(opcode));
    }
    if (opcode == D3DSIO_MOVA) {
        if (dst != "a0")
            return Fail("mova writes a0 only");
        if (modifiers & D3DSPDM_SATURATE)
            return Fail("mova cannot saturate");
    } else if (dst == "a0") {
        return Fail("a0 is written by mova only");
    }
    if (modifiers & D3DSPDM_SATURATE)
        e = "clamp(" + e + ", 0.0, 1.0)";
    std::string m = ".";
    for (int i = 0; i < 4; ++i)
        if (mask & (1u << i))
            m += kComponents[i];
    m_Body << "    " << dst << m << " = (" << e << ")" << m << ";\n";
    return true;
}

bool Translator::Run(TranslatedShader& out, std::string& error)
{
    uint32_t version;
    if (!Token(0, version)) {
        error = m_Error;
        return false;
    }
    if (version == D3DVS_VERSION(2, 0))
        m_bPixel = false;
    else if (version == D3DPS_VERSION(2, 0))
        m_bPixel = true;
    else {
        error = "unsupported shader version token";
        return false;
    }
    // Defined constants hold for the whole shader, wherever their def stands: the first pass
    // takes the defs, the second translates the rest.
    size_t pos = 1;
    bool ended = false;
    for (int pass = 0; pass < 2 && m_Error.empty(); ++pass) {
        pos = 1;
        ended = false;
        while (!ended) {
            uint32_t token;
            if (!Token(pos, token))
                break;
            const uint32_t opcode = token & D3DSI_OPCODE_MASK;
            if (opcode == D3DSIO_END) {
                ++pos;
                ended = true;
                break;
            }
            if (opcode == D3DSIO_COMMENT) {
                size_t words = (token & D3DSI_COMMENTSIZE_MASK) >> D3DSI_COMMENTSIZE_SHIFT;
                pos += 1 + words;
                continue;
            }
            const size_t length = (token & D3DSI_INSTLENGTH_MASK) >> D3DSI_INSTLENGTH_SHIFT;
            if (pos + 1 + length > m_nMax) {
                Fail("instruction runs past the end of the stream");
                break;
            }
            if ((opcode == D3DSIO_DEF) == (pass == 0) && !Instruction(token, pos + 1, length))
                break;
            pos += 1 + length;
        }
    }
    if (!ended) {
        error = m_Error.empty() ? "token stream ends without an end token" : m_Error;
        return false;
    }
    // A vertex input exists only through its dcl; reading another has no data to give.
    if (const uint32_t undeclared = m_nInputsRead & ~m_nInputsDeclared) {
        int n = 0;
        while (!(undeclared & (1u << n)))
            ++n;
        error = std::string("v") + std::to_string(n) + " is read but not declared";
        return false;
    }

    std::ostringstream g;
    g << "#version 330 core\n";
    if (!m_bPixel) {
        g << QM_VS_COMMON;
        g << "layout(std140) uniform QmVSConst { vec4 c[256]; };\n";
        // Relative reads see the defined constants too; reads outside the file give zero.
        g << "vec4 qm_C(int i) {\n";
        for (const auto& def : m_Defs)
            g << "    if (i == " << def.first << ") return " << def.second << ";\n";
        g << "    return i >= 0 && i < 256 ? c[i] : vec4(0.0);\n}\n";
        for (const ShaderInput& in : m_Inputs)
            g << "layout(location = " << in.reg << ") in vec4 v" << in.reg << ";\n";
    } else {
        g << QM_PS_COMMON;
        g << "layout(std140) uniform QmPSConst { vec4 pc[32]; };\n";
        for (uint32_t s = 0; s < 16; ++s)
            if (m_nSamplerMask & (1u << s))
                g << "uniform sampler2D s" << s << ";\n";
    }
    g << "vec4 qm_Lit(vec4 s) {\n"
         "    float p = clamp(s.w, -128.0, 128.0);\n"
         "    return vec4(1.0, max(s.x, 0.0), s.x > 0.0 && s.y > 0.0 ? pow(s.y, p) : 0.0, 1.0);\n"
         "}\n"
         "vec4 qm_Nrm(vec4 s) { float l = dot(s.xyz, s.xyz); return l > 0.0 ? s * inversesqrt(l) : s; }\n"
         "vec4 qm_Cmp(vec4 a, vec4 b, vec4 c) {\n"
         "    return vec4(a.x >= 0.0 ? b.x : c.x, a.y >= 0.0 ? b.y : c.y, a.z >= 0.0 ? b.z : c.z, a.w >= 0.0 ? b.w : "
         "c.w);\n"
         "}\n";
    g << "void main() {\n";
    for (int i = 0; i < 12; ++i)
        g << "    vec4 r" << i << " = vec4(0.0);\n";
    if (!m_bPixel) {
        g << "    ivec4 a0 = ivec4(0);\n"
             "    vec4 o_Pos = vec4(0.0, 0.0, 0.0, 1.0); vec4 o_Fog = vec4(0.0); vec4 o_Pts = vec4(0.0);\n"
             "    qm_D0 = vec4(0.0); qm_D1 = vec4(0.0);\n"
             "    qm_T0 = vec4(0.0); qm_T1 = vec4(0.0); qm_T2 = vec4(0.0); qm_T3 = vec4(0.0);\n"
             "    qm_T4 = vec4(0.0); qm_T5 = vec4(0.0); qm_T6 = vec4(0.0); qm_T7 = vec4(0.0);\n";
    } else {
        g << "    vec4 v0 = clamp(qm_D0, 0.0, 1.0); vec4 v1 = clamp(qm_D1, 0.0, 1.0);\n"
             "    vec4 t0 = qm_T0; vec4 t1 = qm_T1; vec4 t2 = qm_T2; vec4 t3 = qm_T3;\n"
             "    vec4 t4 = qm_T4; vec4 t5 = qm_T5; vec4 t6 = qm_T6; vec4 t7 = qm_T7;\n"
             "    vec4 o_C0 = vec4(0.0);\n";
        if (m_bWritesDepth)
            g << "    vec4 o_Depth = vec4(gl_FragCoord.z);\n";
    }
    g << m_Body.str();
    if (!m_bPixel)
        g << "    qm_EmitPosition(o_Pos);\n";
    else
        g << (m_bWritesDepth ? "    gl_FragDepth = clamp(o_Depth.x, 0.0, 1.0);\n" : "") << "    qm_Output(o_C0);\n";
    g << "}\n";

    out.pixel = m_bPixel;
    out.glsl = g.str();
    out.inputs = m_Inputs;
    out.samplerMask = m_nSamplerMask;
    out.tokenCount = pos;
    return true;
}

} // namespace

bool TranslateShader(const uint32_t* tokens, size_t maxTokens, TranslatedShader& out, std::string& error)
{
    out = TranslatedShader();
    if (!tokens || maxTokens == 0) {
        error = "empty shader";
        return false;
    }
    Translator translator(tokens, maxTokens);
    return translator.Run(out, error);
}
