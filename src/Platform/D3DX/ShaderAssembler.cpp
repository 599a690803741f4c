#include "Platform/D3DX/ShaderAssembler.h"

#include "Platform/D3D9/D3D9Types.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace {

enum ShaderKind { eKind_Vertex, eKind_Pixel };

struct OpcodeInfo {
    const char* name;
    uint32_t opcode;
    bool hasDst;
    int srcCount;
    bool vs;
    bool ps;
};

// The arithmetic and texture instructions of vs_2_0 and ps_2_0 (flow control is not taken).
const OpcodeInfo kOpcodes[] = {
    {"nop", D3DSIO_NOP, false, 0, true, true},         {"mov", D3DSIO_MOV, true, 1, true, true},
    {"add", D3DSIO_ADD, true, 2, true, true},          {"sub", D3DSIO_SUB, true, 2, true, true},
    {"mad", D3DSIO_MAD, true, 3, true, true},          {"mul", D3DSIO_MUL, true, 2, true, true},
    {"rcp", D3DSIO_RCP, true, 1, true, true},          {"rsq", D3DSIO_RSQ, true, 1, true, true},
    {"dp3", D3DSIO_DP3, true, 2, true, true},          {"dp4", D3DSIO_DP4, true, 2, true, true},
    {"min", D3DSIO_MIN, true, 2, true, true},          {"max", D3DSIO_MAX, true, 2, true, true},
    {"slt", D3DSIO_SLT, true, 2, true, false},         {"sge", D3DSIO_SGE, true, 2, true, false},
    {"exp", D3DSIO_EXP, true, 1, true, true},          {"log", D3DSIO_LOG, true, 1, true, true},
    {"lit", D3DSIO_LIT, true, 1, true, false},         {"dst", D3DSIO_DST, true, 2, true, false},
    {"lrp", D3DSIO_LRP, true, 3, true, true},          {"frc", D3DSIO_FRC, true, 1, true, true},
    {"m4x4", D3DSIO_M4x4, true, 2, true, true},        {"m4x3", D3DSIO_M4x3, true, 2, true, true},
    {"m3x4", D3DSIO_M3x4, true, 2, true, true},        {"m3x3", D3DSIO_M3x3, true, 2, true, true},
    {"m3x2", D3DSIO_M3x2, true, 2, true, true},        {"pow", D3DSIO_POW, true, 2, true, true},
    {"crs", D3DSIO_CRS, true, 2, true, true},          {"sgn", D3DSIO_SGN, true, 3, true, false},
    {"abs", D3DSIO_ABS, true, 1, true, true},          {"nrm", D3DSIO_NRM, true, 1, true, true},
    {"sincos", D3DSIO_SINCOS, true, 3, true, true},    {"mova", D3DSIO_MOVA, true, 1, true, false},
    {"expp", D3DSIO_EXPP, true, 1, true, false},       {"logp", D3DSIO_LOGP, true, 1, true, false},
    {"cmp", D3DSIO_CMP, true, 3, false, true},         {"dp2add", D3DSIO_DP2ADD, true, 3, false, true},
    {"texkill", D3DSIO_TEXKILL, true, 0, false, true}, {"texld", D3DSIO_TEX, true, 2, false, true},
    {"texldp", D3DSIO_TEX, true, 2, false, true},      {"texldb", D3DSIO_TEX, true, 2, false, true},
};

struct UsageName {
    const char* name;
    uint32_t usage;
};
const UsageName kUsages[] = {
    {"position", D3DDECLUSAGE_POSITION},
    {"blendweight", D3DDECLUSAGE_BLENDWEIGHT},
    {"blendindices", D3DDECLUSAGE_BLENDINDICES},
    {"normal", D3DDECLUSAGE_NORMAL},
    {"psize", D3DDECLUSAGE_PSIZE},
    {"texcoord", D3DDECLUSAGE_TEXCOORD},
    {"tangent", D3DDECLUSAGE_TANGENT},
    {"binormal", D3DDECLUSAGE_BINORMAL},
    {"tessfactor", D3DDECLUSAGE_TESSFACTOR},
    {"positiont", D3DDECLUSAGE_POSITIONT},
    {"color", D3DDECLUSAGE_COLOR},
    {"fog", D3DDECLUSAGE_FOG},
    {"depth", D3DDECLUSAGE_DEPTH},
    {"sample", D3DDECLUSAGE_SAMPLE},
};

struct RegisterRef {
    uint32_t type = 0;
    uint32_t number = 0;
    bool relative = false;
    uint32_t relativeComponent = 0; // a0 component used as the index
};

std::string Lower(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string Trim(std::string_view s)
{
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1])))
        --e;
    return std::string(s.substr(b, e - b));
}

int ComponentIndex(char c)
{
    switch (c) {
    case 'x':
    case 'r': return 0;
    case 'y':
    case 'g': return 1;
    case 'z':
    case 'b': return 2;
    case 'w':
    case 'a': return 3;
    default: return -1;
    }
}

// Parses decimal digits; false when there are none, when anything follows, or on overflow.
bool ParseIndex(std::string_view s, uint32_t& out)
{
    if (s.empty() || s.size() > 6)
        return false;
    uint32_t v = 0;
    for (char c : s) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
        v = v * 10 + static_cast<uint32_t>(c - '0');
    }
    out = v;
    return true;
}

class Assembler {
  public:
    bool Run(std::string_view text, std::vector<uint32_t>& tokens, std::string& errors);

  private:
    void Error(const std::string& message)
    {
        m_Errors << "line " << m_nLine << ": " << message << "\n";
        ++m_nErrorCount;
    }
    bool ParseVersion(const std::string& line);
    void ParseStatement(const std::string& line);
    void ParseDcl(const std::string& opcodeWord, const std::vector<std::string>& operands);
    void ParseDef(const std::vector<std::string>& operands);
    bool ParseRegister(std::string_view text, RegisterRef& reg);
    bool RegisterLimit(uint32_t type, uint32_t number, bool asDestination, bool& isTextureReg);
    bool ParseDestination(const std::string& text, uint32_t modifiers, std::vector<uint32_t>& out, bool dclForm);
    bool ParseSource(const std::string& text, std::vector<uint32_t>& out, bool samplerOperand);

    ShaderKind m_eKind = eKind_Vertex;
    int m_nLine = 0;
    int m_nErrorCount = 0;
    std::ostringstream m_Errors;
    std::vector<uint32_t> m_Tokens;
};

bool Assembler::ParseVersion(const std::string& line)
{
    std::string v = Lower(line);
    if (v == "vs_2_0" || v == "vs.2.0") {
        m_eKind = eKind_Vertex;
        m_Tokens.push_back(D3DVS_VERSION(2, 0));
        return true;
    }
    if (v == "ps_2_0" || v == "ps.2.0") {
        m_eKind = eKind_Pixel;
        m_Tokens.push_back(D3DPS_VERSION(2, 0));
        return true;
    }
    if (v.rfind("vs", 0) == 0 || v.rfind("ps", 0) == 0)
        Error("unsupported shader version '" + line + "' (vs_2_0 and ps_2_0 are supported)");
    else
        Error("shader version expected (vs_2_0 or ps_2_0), found '" + line + "'");
    return false;
}

// Register names: r# v# c# a0 t# s# oPos oFog oPts oD# oT# oC# oDepth, and c[a0.x + n].
bool Assembler::ParseRegister(std::string_view textIn, RegisterRef& reg)
{
    std::string text = Lower(Trim(textIn));
    const bool vs = m_eKind == eKind_Vertex;
    size_t bracket = text.find('[');
    if (bracket != std::string::npos) {
        if (text.substr(0, bracket) != "c" || text.back() != ']') {
            Error("bad relative address '" + std::string(textIn) + "'");
            return false;
        }
        if (!vs) {
            Error("relative addressing is not available in ps_2_0");
            return false;
        }
        std::string inner;
        for (char c : text.substr(bracket + 1, text.size() - bracket - 2))
            if (!std::isspace(static_cast<unsigned char>(c)))
                inner += c;
        // a0.<c> [ (+|-) n ]  or  n + a0.<c>
        long offset = 0;
        std::string addr;
        size_t plus = inner.find_first_of("+-", 1);
        if (inner.rfind("a0", 0) == 0) {
            addr = inner.substr(0, plus);
            if (plus != std::string::npos) {
                uint32_t n;
                if (!ParseIndex(inner.substr(plus + 1), n)) {
                    Error("bad constant offset in '" + std::string(textIn) + "'");
                    return false;
                }
                offset = inner[plus] == '-' ? -static_cast<long>(n) : static_cast<long>(n);
            }
        } else {
            uint32_t n;
            if (plus == std::string::npos || inner[plus] != '+' || !ParseIndex(inner.substr(0, plus), n)) {
                Error("bad relative address '" + std::string(textIn) + "'");
                return false;
            }
            offset = n;
            addr = inner.substr(plus + 1);
        }
        if (addr.size() != 4 || addr.compare(0, 3, "a0.") != 0 || ComponentIndex(addr[3]) < 0) {
            Error("relative address needs one component of a0, found '" + addr + "'");
            return false;
        }
        if (offset < 0 || offset > 255) {
            Error(std::string("constant offset ") + std::to_string(offset) + " out of range 0..255");
            return false;
        }
        reg.type = D3DSPR_CONST;
        reg.number = static_cast<uint32_t>(offset);
        reg.relative = true;
        reg.relativeComponent = static_cast<uint32_t>(ComponentIndex(addr[3]));
        return true;
    }

    struct Named {
        const char* name;
        uint32_t type;
        uint32_t number;
        bool vs;
    };
    static const Named kNamed[] = {
        {"opos", D3DSPR_RASTOUT, D3DSRO_POSITION, true},
        {"ofog", D3DSPR_RASTOUT, D3DSRO_FOG, true},
        {"opts", D3DSPR_RASTOUT, D3DSRO_POINT_SIZE, true},
        {"odepth", D3DSPR_DEPTHOUT, 0, false},
    };
    for (const Named& n : kNamed) {
        if (text == n.name) {
            if (n.vs != vs) {
                Error("register '" + std::string(textIn) + "' is not available in this shader version");
                return false;
            }
            reg.type = n.type;
            reg.number = n.number;
            return true;
        }
    }
    struct Prefix {
        const char* prefix;
        uint32_t type;
        bool vs;
        bool ps;
    };
    static const Prefix kPrefixes[] = {
        {"od", D3DSPR_ATTROUT, true, false},  {"ot", D3DSPR_TEXCRDOUT, true, false},
        {"oc", D3DSPR_COLOROUT, false, true}, {"r", D3DSPR_TEMP, true, true},
        {"v", D3DSPR_INPUT, true, true},      {"c", D3DSPR_CONST, true, true},
        {"a", D3DSPR_ADDR, true, false},      {"t", D3DSPR_TEXTURE, false, true},
        {"s", D3DSPR_SAMPLER, false, true},
    };
    for (const Prefix& p : kPrefixes) {
        size_t len = std::strlen(p.prefix);
        if (text.compare(0, len, p.prefix) != 0)
            continue;
        uint32_t number;
        if (!ParseIndex(std::string_view(text).substr(len), number))
            break;
        if (!(vs ? p.vs : p.ps)) {
            Error("register '" + std::string(textIn) + "' is not available in this shader version");
            return false;
        }
        reg.type = p.type;
        reg.number = number;
        return true;
    }
    Error("unknown register '" + std::string(textIn) + "'");
    return false;
}

// Checks the register number against the version's register file; `isTextureReg` is set
// for the ps t# registers, which share their type code with the vs address register.
bool Assembler::RegisterLimit(uint32_t type, uint32_t number, bool asDestination, bool& isTextureReg)
{
    const bool vs = m_eKind == eKind_Vertex;
    uint32_t limit = 0;
    bool readable = true, writable = false;
    isTextureReg = false;
    switch (type) {
    case D3DSPR_TEMP:
        limit = 12;
        writable = true;
        break;
    case D3DSPR_INPUT: limit = vs ? 16 : 2; break;
    case D3DSPR_CONST: limit = vs ? 256 : 32; break;
    case D3DSPR_ADDR: // also D3DSPR_TEXTURE
        if (vs) {
            limit = 1;
            readable = false;
            writable = true;
        } else {
            limit = 8;
            isTextureReg = true;
        }
        break;
    case D3DSPR_RASTOUT:
        limit = 3;
        readable = false;
        writable = true;
        break;
    case D3DSPR_ATTROUT:
        limit = 2;
        readable = false;
        writable = true;
        break;
    case D3DSPR_TEXCRDOUT:
        limit = 8;
        readable = false;
        writable = true;
        break;
    case D3DSPR_COLOROUT:
        limit = 4;
        readable = false;
        writable = true;
        break;
    case D3DSPR_DEPTHOUT:
        limit = 1;
        readable = false;
        writable = true;
        break;
    case D3DSPR_SAMPLER:
        limit = 16;
        readable = false;
        break;
    default: break;
    }
    if (number >= limit) {
        Error(std::string("register number ") + std::to_string(number) + " out of range");
        return false;
    }
    if (asDestination && !writable) {
        Error("register cannot be written");
        return false;
    }
    if (!asDestination && !readable) {
        Error("register cannot be read");
        return false;
    }
    return true;
}

bool Assembler::ParseDestination(const std::string& textIn, uint32_t modifiers, std::vector<uint32_t>& out,
                                 bool dclForm)
{
    std::string text = Trim(textIn);
    uint32_t mask = 0xF;
    size_t dot = text.find('.', text.find(']') == std::string::npos ? 0 : text.find(']'));
    std::string regText = text.substr(0, dot);
    if (dot != std::string::npos) {
        std::string m = Lower(text.substr(dot + 1));
        mask = 0;
        int last = -1;
        if (m.empty() || m.size() > 4) {
            Error("bad write mask '." + m + "'");
            return false;
        }
        for (char c : m) {
            int i = ComponentIndex(c);
            if (i < 0 || i <= last) {
                Error("bad write mask '." + m + "' (components must be x, y, z, w in order)");
                return false;
            }
            last = i;
            mask |= 1u << i;
        }
    }
    RegisterRef reg;
    if (!ParseRegister(regText, reg))
        return false;
    if (reg.relative) {
        Error("a destination cannot be addressed relatively");
        return false;
    }
    bool isTexture;
    if (dclForm) {
        if (reg.type == D3DSPR_SAMPLER) {
            if (reg.number >= 16) {
                Error(std::string("register number ") + std::to_string(reg.number) + " out of range");
                return false;
            }
        } else if (!RegisterLimit(reg.type, reg.number, false, isTexture)) {
            return false;
        }
    } else if (!RegisterLimit(reg.type, reg.number, true, isTexture)) {
        return false;
    }
    out.push_back(0x80000000u | D3DShaderRegisterBits(reg.type, reg.number) | (mask << 16) | modifiers);
    return true;
}

bool Assembler::ParseSource(const std::string& textIn, std::vector<uint32_t>& out, bool samplerOperand)
{
    std::string text = Trim(textIn);
    uint32_t modifier = D3DSPSM_NONE;
    if (!text.empty() && text[0] == '-') {
        modifier = D3DSPSM_NEG;
        text = Trim(text.substr(1));
    }
    size_t close = text.find(']');
    size_t dot = text.find('.', close == std::string::npos ? 0 : close);
    std::string regText = text.substr(0, dot);
    if (regText.find('_') != std::string::npos) {
        Error("source modifier '" + regText.substr(regText.find('_')) + "' is not available in this shader version");
        return false;
    }
    uint32_t swizzle = 0xE4;
    if (dot != std::string::npos) {
        std::string s = Lower(text.substr(dot + 1));
        if (s.empty() || s.size() > 4) {
            Error("bad swizzle '." + s + "'");
            return false;
        }
        int comps[4];
        for (size_t i = 0; i < 4; ++i) {
            int c = ComponentIndex(s[i < s.size() ? i : s.size() - 1]);
            if (c < 0) {
                Error("bad swizzle '." + s + "'");
                return false;
            }
            comps[i] = c;
        }
        swizzle = static_cast<uint32_t>(comps[0] | (comps[1] << 2) | (comps[2] << 4) | (comps[3] << 6));
    }
    RegisterRef reg;
    if (!ParseRegister(regText, reg))
        return false;
    if (samplerOperand != (reg.type == D3DSPR_SAMPLER && m_eKind == eKind_Pixel)) {
        Error(samplerOperand ? "sampler register expected, found '" + regText + "'"
                             : "a sampler register is only read by texld");
        return false;
    }
    bool isTexture;
    if (reg.type == D3DSPR_SAMPLER) {
        if (reg.number >= 16) {
            Error(std::string("register number ") + std::to_string(reg.number) + " out of range");
            return false;
        }
    } else if (!RegisterLimit(reg.type, reg.number, false, isTexture)) {
        return false;
    }
    if (samplerOperand && (modifier != D3DSPSM_NONE || swizzle != 0xE4)) {
        Error("a sampler takes no modifier or swizzle");
        return false;
    }
    out.push_back(0x80000000u | D3DShaderRegisterBits(reg.type, reg.number) | (swizzle << D3DSP_SWIZZLE_SHIFT) |
                  modifier | (reg.relative ? D3DSHADER_ADDRMODE_RELATIVE : 0));
    if (reg.relative) {
        uint32_t c = reg.relativeComponent;
        out.push_back(0x80000000u | D3DShaderRegisterBits(D3DSPR_ADDR, 0) |
                      ((c | (c << 2) | (c << 4) | (c << 6)) << D3DSP_SWIZZLE_SHIFT));
    }
    return true;
}

void Assembler::ParseDcl(const std::string& opcodeWord, const std::vector<std::string>& operands)
{
    if (operands.size() != 1) {
        Error("dcl takes one register");
        return;
    }
    std::string suffix = opcodeWord.size() > 3 ? opcodeWord.substr(4) : std::string();
    if (opcodeWord.size() > 3 && opcodeWord[3] != '_') {
        Error("unknown instruction '" + opcodeWord + "'");
        return;
    }
    uint32_t dclToken = 0x80000000u;
    std::vector<uint32_t> dst;
    RegisterRef reg;
    std::string regText = Trim(operands[0]);
    if (!ParseRegister(regText.substr(0, regText.find('.')), reg))
        return;
    if (m_eKind == eKind_Vertex) {
        if (reg.type != D3DSPR_INPUT) {
            Error("vs_2_0 declares input registers only");
            return;
        }
        size_t digits = suffix.size();
        while (digits > 0 && std::isdigit(static_cast<unsigned char>(suffix[digits - 1])))
            --digits;
        std::string usageName = suffix.substr(0, digits);
        uint32_t index = 0;
        if (digits < suffix.size() && (!ParseIndex(suffix.substr(digits), index) || index > 15)) {
            Error("bad usage index in '" + opcodeWord + "'");
            return;
        }
        const UsageName* found = nullptr;
        for (const UsageName& u : kUsages)
            if (usageName == u.name)
                found = &u;
        if (!found) {
            Error("unknown declaration usage '" + opcodeWord + "'");
            return;
        }
        dclToken |= found->usage | (index << D3DSP_DCL_USAGEINDEX_SHIFT);
    } else {
        if (reg.type == D3DSPR_SAMPLER) {
            if (suffix == "2d")
                dclToken |= D3DSTT_2D;
            else if (suffix == "cube")
                dclToken |= D3DSTT_CUBE;
            else if (suffix == "volume")
                dclToken |= D3DSTT_VOLUME;
            else {
                Error("a sampler needs a texture type (dcl_2d, dcl_cube or dcl_volume)");
                return;
            }
        } else if (reg.type == D3DSPR_INPUT || reg.type == D3DSPR_TEXTURE) {
            if (!suffix.empty()) {
                Error("ps_2_0 declares v# and t# registers without a usage");
                return;
            }
        } else {
            Error("ps_2_0 declares v#, t# and s# registers only");
            return;
        }
    }
    if (!ParseDestination(regText, 0, dst, true))
        return;
    m_Tokens.push_back(D3DSIO_DCL | (2u << D3DSI_INSTLENGTH_SHIFT));
    m_Tokens.push_back(dclToken);
    m_Tokens.insert(m_Tokens.end(), dst.begin(), dst.end());
}

void Assembler::ParseDef(const std::vector<std::string>& operands)
{
    if (operands.size() != 5) {
        Error("def takes a constant register and four values");
        return;
    }
    RegisterRef reg;
    if (!ParseRegister(operands[0], reg))
        return;
    if (reg.type != D3DSPR_CONST || reg.relative) {
        Error("def defines a float constant register c#");
        return;
    }
    bool isTexture;
    if (!RegisterLimit(reg.type, reg.number, false, isTexture))
        return;
    uint32_t values[4];
    for (int i = 0; i < 4; ++i) {
        std::string v = Trim(operands[i + 1]);
        char* end = nullptr;
        errno = 0;
        float f = std::strtof(v.c_str(), &end);
        if (v.empty() || end != v.c_str() + v.size() || errno == ERANGE) {
            Error("bad number '" + v + "'");
            return;
        }
        std::memcpy(&values[i], &f, 4);
    }
    m_Tokens.push_back(D3DSIO_DEF | (5u << D3DSI_INSTLENGTH_SHIFT));
    m_Tokens.push_back(0x80000000u | D3DShaderRegisterBits(D3DSPR_CONST, reg.number) | D3DSP_WRITEMASK_ALL);
    m_Tokens.insert(m_Tokens.end(), values, values + 4);
}

void Assembler::ParseStatement(const std::string& line)
{
    size_t space = line.find_first_of(" \t");
    std::string word = Lower(line.substr(0, space));
    std::string rest = space == std::string::npos ? std::string() : line.substr(space + 1);
    std::vector<std::string> operands;
    if (!Trim(rest).empty()) {
        size_t start = 0;
        while (true) {
            size_t comma = rest.find(',', start);
            std::string op = Trim(rest.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
            if (op.empty()) {
                Error("empty operand");
                return;
            }
            operands.push_back(op);
            if (comma == std::string::npos)
                break;
            start = comma + 1;
        }
    }

    if (word.rfind("dcl", 0) == 0) {
        ParseDcl(word, operands);
        return;
    }
    if (word == "def") {
        ParseDef(operands);
        return;
    }

    // Instruction modifiers: _sat and _pp.
    uint32_t dstModifiers = 0;
    std::string name = word;
    while (true) {
        size_t u = name.rfind('_');
        if (u == std::string::npos)
            break;
        std::string mod = name.substr(u);
        if (mod == "_sat")
            dstModifiers |= D3DSPDM_SATURATE;
        else if (mod == "_pp")
            dstModifiers |= D3DSPDM_PARTIALPRECISION;
        else {
            Error("unknown instruction modifier '" + mod + "' in '" + word + "'");
            return;
        }
        name = name.substr(0, u);
    }
    const OpcodeInfo* info = nullptr;
    for (const OpcodeInfo& o : kOpcodes)
        if (name == o.name)
            info = &o;
    if (!info) {
        Error("unknown instruction '" + word + "'");
        return;
    }
    if (!(m_eKind == eKind_Vertex ? info->vs : info->ps)) {
        Error("instruction '" + name + "' is not available in this shader version");
        return;
    }
    if (m_eKind == eKind_Vertex && (dstModifiers & D3DSPDM_PARTIALPRECISION)) {
        Error("_pp is a pixel shader modifier");
        return;
    }
    size_t expected = (info->hasDst ? 1u : 0u) + static_cast<size_t>(info->srcCount);
    if (operands.size() != expected) {
        Error("'" + name + std::string("' takes ") + std::to_string(expected) + " operand" +
              (expected == 1 ? "" : "s") + std::string(", found ") + std::to_string(operands.size()));
        return;
    }
    uint32_t instruction = info->opcode;
    if (name == "texldp")
        instruction |= D3DSI_TEXLD_PROJECT;
    else if (name == "texldb")
        instruction |= D3DSI_TEXLD_BIAS;
    std::vector<uint32_t> params;
    if (info->hasDst) {
        if (info->opcode == D3DSIO_TEXKILL) {
            // texkill names the register it tests in the destination slot.
            RegisterRef reg;
            if (!ParseRegister(operands[0].substr(0, operands[0].find('.')), reg))
                return;
            bool isTexture;
            if ((reg.type != D3DSPR_TEMP && reg.type != D3DSPR_TEXTURE) ||
                !RegisterLimit(reg.type, reg.number, false, isTexture)) {
                Error("texkill tests an r# or t# register");
                return;
            }
            params.push_back(0x80000000u | D3DShaderRegisterBits(reg.type, reg.number) | D3DSP_WRITEMASK_ALL);
        } else if (!ParseDestination(operands[0], dstModifiers, params, false)) {
            return;
        }
        uint32_t dstType = D3DShaderRegisterType(params[0]);
        bool addressDst = m_eKind == eKind_Vertex && dstType == D3DSPR_ADDR;
        if (addressDst != (info->opcode == D3DSIO_MOVA)) {
            Error(addressDst ? "the address register is written by mova only" : "mova writes the address register a0");
            return;
        }
    }
    for (int i = 0; i < info->srcCount; ++i) {
        bool sampler = info->opcode == D3DSIO_TEX && i == 1;
        if (!ParseSource(operands[(info->hasDst ? 1 : 0) + i], params, sampler))
            return;
    }
    m_Tokens.push_back(instruction | (static_cast<uint32_t>(params.size()) << D3DSI_INSTLENGTH_SHIFT));
    m_Tokens.insert(m_Tokens.end(), params.begin(), params.end());
}

bool Assembler::Run(std::string_view text, std::vector<uint32_t>& tokens, std::string& errors)
{
    // Strip /* */ comments first, keeping the line breaks so line numbers stay right.
    std::string source;
    source.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '/' && i + 1 < text.size() && text[i + 1] == '*') {
            size_t end = text.find("*/", i + 2);
            std::string_view inner =
                text.substr(i, end == std::string_view::npos ? std::string_view::npos : end + 2 - i);
            for (char c : inner)
                if (c == '\n')
                    source += '\n';
            if (end == std::string_view::npos) {
                m_nLine = 1 + static_cast<int>(std::count(source.begin(), source.end(), '\n'));
                Error("unterminated comment");
                break;
            }
            i = end + 1;
            continue;
        }
        source += text[i] == '\0' ? ' ' : text[i];
    }

    bool haveVersion = false;
    size_t pos = 0;
    m_nLine = 0;
    while (pos <= source.size() && m_nErrorCount < 50) {
        size_t eol = source.find('\n', pos);
        std::string line = source.substr(pos, eol == std::string::npos ? std::string::npos : eol - pos);
        pos = eol == std::string::npos ? source.size() + 1 : eol + 1;
        ++m_nLine;
        size_t comment = std::min(line.find("//"), line.find(';'));
        if (comment != std::string::npos)
            line = line.substr(0, comment);
        line = Trim(line);
        if (line.empty())
            continue;
        if (!haveVersion) {
            if (!ParseVersion(line))
                break;
            haveVersion = true;
            continue;
        }
        ParseStatement(line);
    }
    if (!haveVersion && m_nErrorCount == 0) {
        m_nLine = std::max(m_nLine, 1);
        Error("shader version expected (vs_2_0 or ps_2_0)");
    }
    if (m_nErrorCount > 0) {
        errors = m_Errors.str();
        return false;
    }
    m_Tokens.push_back(D3DSIO_END);
    tokens = std::move(m_Tokens);
    errors.clear();
    return true;
}

} // namespace

bool AssembleShaderText(std::string_view text, std::vector<uint32_t>& tokens, std::string& errors)
{
    Assembler assembler;
    return assembler.Run(text, tokens, errors);
}
