#include "Platform/Win32/CodePage.h"

#include <iconv.h>

#include <cstring>
#include <string>

namespace {

void EncodeUtf8(uint32_t c, std::string& out)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// One character to Shift-JIS through the C library's converter; false when unmappable.
bool EncodeShiftJis(iconv_t cd, uint32_t c, std::string& out)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
        return true;
    }
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    char in[4];
    std::memcpy(in, &c, 4);
    char buf[8];
    char* inp = in;
    size_t inLeft = 4;
    char* outp = buf;
    size_t outLeft = sizeof buf;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == static_cast<size_t>(-1))
        return false;
    out.append(buf, outp - buf);
    return true;
}

} // namespace

int WideCharToMultiByte(UINT codePage, DWORD /*flags*/, LPCWSTR wide, int wideCount, LPSTR out, int outSize,
                        LPCSTR defaultChar, LPBOOL usedDefault)
{
    if (!wide || outSize < 0 || wideCount == 0 || wideCount < -1)
        return 0;
    if (usedDefault)
        *usedDefault = FALSE;
    size_t count = wideCount == -1 ? std::wcslen(wide) + 1 : static_cast<size_t>(wideCount);

    const bool utf8 = codePage == CP_UTF8;
    if (!utf8 && codePage != CP_ACP && codePage != CP_SHIFT_JIS)
        return 0;
    iconv_t cd = utf8 ? reinterpret_cast<iconv_t>(-1) : iconv_open("CP932", "UTF-32LE");

    std::string result;
    for (size_t i = 0; i < count; ++i) {
        uint32_t c = static_cast<uint32_t>(wide[i]);
        if (utf8) {
            EncodeUtf8(c, result);
        } else if (!EncodeShiftJis(cd, c, result)) {
            result += defaultChar ? *defaultChar : '?';
            if (usedDefault)
                *usedDefault = TRUE;
        }
    }
    if (cd != reinterpret_cast<iconv_t>(-1))
        iconv_close(cd);

    if (outSize == 0)
        return static_cast<int>(result.size());
    if (!out || result.size() > static_cast<size_t>(outSize))
        return 0;
    std::memcpy(out, result.data(), result.size());
    return static_cast<int>(result.size());
}

BOOL IsDBCSLeadByteEx(UINT codePage, BYTE b)
{
    if (codePage != CP_ACP && codePage != CP_SHIFT_JIS)
        return FALSE;
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

BOOL IsDBCSLeadByte(BYTE b) { return IsDBCSLeadByteEx(CP_ACP, b); }
