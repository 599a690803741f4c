#include "Platform/Win32/ProfileText.h"

#include <vector>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (IsBlank(s.front()) || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

char Lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    return true;
}

// One line of the file: its text without the line end, and the line end itself ("" for a
// last line without one).
struct Line {
    std::string_view text;
    std::string_view end;
};

std::vector<Line> SplitLines(std::string_view text)
{
    std::vector<Line> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t nl = text.find('\n', pos);
        if (nl == std::string_view::npos) {
            lines.push_back({text.substr(pos), {}});
            break;
        }
        size_t endStart = (nl > pos && text[nl - 1] == '\r') ? nl - 1 : nl;
        lines.push_back({text.substr(pos, endStart - pos), text.substr(endStart, nl + 1 - endStart)});
        pos = nl + 1;
    }
    return lines;
}

enum class LineKind { Other, Section, Entry };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    std::string_view name;  // section or key name
    std::string_view value; // entry value, trimmed
};

ParsedLine Parse(std::string_view line)
{
    ParsedLine parsed;
    std::string_view body = Trim(line);
    if (body.empty())
        return parsed;
    if (body.front() == '[') {
        body.remove_prefix(1);
        size_t close = body.find(']');
        parsed.kind = LineKind::Section;
        parsed.name = Trim(close == std::string_view::npos ? body : body.substr(0, close));
        return parsed;
    }
    size_t eq = body.find('=');
    if (eq == std::string_view::npos)
        return parsed;
    parsed.kind = LineKind::Entry;
    parsed.name = Trim(body.substr(0, eq));
    parsed.value = Trim(body.substr(eq + 1));
    return parsed;
}

std::string_view StripQuotes(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::optional<std::string> ProfileFindValue(std::string_view text, std::string_view section, std::string_view key)
{
    bool inSection = false;
    bool seenSection = false;
    for (const Line& line : SplitLines(text)) {
        ParsedLine parsed = Parse(line.text);
        if (parsed.kind == LineKind::Section) {
            // Only the first section of a name counts, as on the original platform.
            if (inSection)
                return std::nullopt;
            inSection = !seenSection && SameName(parsed.name, section);
            seenSection = seenSection || inSection;
        } else if (inSection && parsed.kind == LineKind::Entry && SameName(parsed.name, key)) {
            return std::string(StripQuotes(parsed.value));
        }
    }
    return std::nullopt;
}

uint32_t ProfileParseInt(std::string_view value)
{
    size_t i = 0;
    while (i < value.size() && IsBlank(value[i]))
        ++i;
    bool negative = false;
    if (i < value.size() && (value[i] == '-' || value[i] == '+')) {
        negative = value[i] == '-';
        ++i;
    }
    uint32_t result = 0;
    if (i + 2 < value.size() && value[i] == '0' && (value[i + 1] == 'x' || value[i + 1] == 'X') &&
        HexDigit(value[i + 2]) >= 0) {
        for (i += 2; i < value.size() && HexDigit(value[i]) >= 0; ++i)
            result = result * 16u + static_cast<uint32_t>(HexDigit(value[i]));
    } else {
        for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i)
            result = result * 10u + static_cast<uint32_t>(value[i] - '0');
    }
    return negative ? 0u - result : result;
}

std::string ProfileSetValue(std::string_view text, std::string_view section, const char* key, const char* value)
{
    std::vector<Line> lines = SplitLines(text);
    std::string_view eol = "\n";
    if (!lines.empty() && !lines.front().end.empty())
        eol = lines.front().end;

    // Find the first section of that name: its header, its first key line and its last
    // non-blank line, and where it ends.
    size_t header = lines.size(), keyLine = lines.size(), lastFilled = lines.size(), sectionEnd = lines.size();
    for (size_t i = 0; i < lines.size(); ++i) {
        ParsedLine parsed = Parse(lines[i].text);
        if (header == lines.size()) {
            if (parsed.kind == LineKind::Section && SameName(parsed.name, section))
                header = lastFilled = i;
            continue;
        }
        if (parsed.kind == LineKind::Section) {
            sectionEnd = i;
            break;
        }
        if (!Trim(lines[i].text).empty())
            lastFilled = i;
        if (key && keyLine == lines.size() && parsed.kind == LineKind::Entry && SameName(parsed.name, key))
            keyLine = i;
    }

    std::string out;
    out.reserve(text.size() + section.size() + 64);
    auto emit = [&](const Line& line, bool forceEnd) {
        out.append(line.text);
        out.append(line.end.empty() && forceEnd ? eol : line.end);
    };

    if (header == lines.size()) {
        if (!key || !value)
            return std::string(text);
        for (const Line& line : lines)
            emit(line, true);
        out.append("[").append(section).append("]").append(eol);
        out.append(key).append("=").append(value).append(eol);
        return out;
    }

    for (size_t i = 0; i < lines.size(); ++i) {
        if (!key) {
            if (i >= header && i < sectionEnd)
                continue;
            emit(lines[i], i + 1 < lines.size());
            continue;
        }
        if (i == keyLine) {
            if (value) {
                // The key keeps its spelling and place; only the value changes.
                std::string_view name = Parse(lines[i].text).name;
                out.append(name).append("=").append(value).append(lines[i].end.empty() ? eol : lines[i].end);
            }
            continue;
        }
        bool insertAfter = value && keyLine == lines.size() && i == lastFilled;
        emit(lines[i], insertAfter || i + 1 < lines.size());
        if (insertAfter)
            out.append(key).append("=").append(value).append(eol);
    }
    return out;
}

namespace {

std::string LowerName(std::string_view name)
{
    std::string lower(name);
    for (char& c : lower)
        c = Lower(c);
    return lower;
}

void PutUtf8(std::string& out, uint32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The next code point of UTF-8 text; a byte that starts no valid sequence stands for itself
// (text written through the profile calls may hold any bytes).
uint32_t NextCodePoint(std::string_view text, size_t& at)
{
    const uint8_t lead = static_cast<uint8_t>(text[at]);
    const int extra = lead >= 0xF0 && lead < 0xF5 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 && lead < 0xE0 ? 1 : 0;
    if (lead < 0x80 || extra == 0 || at + extra >= text.size()) {
        ++at;
        return lead;
    }
    uint32_t code = lead & (0x3F >> extra);
    for (int i = 1; i <= extra; ++i) {
        const uint8_t next = static_cast<uint8_t>(text[at + i]);
        if ((next & 0xC0) != 0x80) {
            ++at;
            return lead;
        }
        code = code << 6 | (next & 0x3F);
    }
    at += extra + 1;
    return code;
}

} // namespace

ProfileIndex::ProfileIndex(std::string_view text)
{
    std::unordered_map<std::string, bool> seenSections;
    std::string current; // "section\n" of the section being read; empty outside a first one
    size_t pos = 0;
    while (pos < text.size()) {
        size_t nl = text.find('\n', pos);
        const std::string_view line = text.substr(pos, nl == std::string_view::npos ? std::string_view::npos : nl - pos);
        pos = nl == std::string_view::npos ? text.size() : nl + 1;
        ParsedLine parsed = Parse(line);
        if (parsed.kind == LineKind::Section) {
            // Only the first section of a name counts.
            std::string name = LowerName(parsed.name);
            current = seenSections.emplace(name, true).second ? name + "\n" : std::string();
        } else if (parsed.kind == LineKind::Entry && !current.empty()) {
            m_Values.emplace(current + LowerName(parsed.name), std::string(StripQuotes(parsed.value)));
        }
    }
}

std::optional<std::string> ProfileIndex::Find(std::string_view section, std::string_view key) const
{
    auto it = m_Values.find(LowerName(section) + "\n" + LowerName(key));
    if (it == m_Values.end())
        return std::nullopt;
    return it->second;
}

bool ProfileHasByteOrderMark(std::string_view bytes)
{
    return bytes.starts_with("\xEF\xBB\xBF") || bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
}

bool ProfileDecode(std::string_view bytes, std::string& text, ProfileEncoding& encoding)
{
    text.clear();
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        encoding = ProfileEncoding::Utf8Bom;
        text = bytes.substr(3);
        return true;
    }
    const bool little = bytes.size() >= 2 && bytes.substr(0, 2) == "\xFF\xFE";
    const bool big = bytes.size() >= 2 && bytes.substr(0, 2) == "\xFE\xFF";
    if (!little && !big) {
        encoding = ProfileEncoding::Bytes;
        text = bytes;
        return true;
    }
    encoding = little ? ProfileEncoding::Utf16Le : ProfileEncoding::Utf16Be;
    if (bytes.size() % 2 != 0)
        return false;
    auto unit = [&](size_t at) {
        const uint32_t a = static_cast<uint8_t>(bytes[at]), b = static_cast<uint8_t>(bytes[at + 1]);
        return little ? a | b << 8 : a << 8 | b;
    };
    text.reserve(bytes.size() / 2);
    for (size_t at = 2; at < bytes.size(); at += 2) {
        uint32_t code = unit(at);
        if (code >= 0xDC00 && code < 0xE000)
            return false;
        if (code >= 0xD800 && code < 0xDC00) {
            if (at + 4 > bytes.size())
                return false;
            const uint32_t low = unit(at + 2);
            if (low < 0xDC00 || low >= 0xE000)
                return false;
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
            at += 2;
        }
        PutUtf8(text, code);
    }
    return true;
}

std::string ProfileEncode(std::string_view text, ProfileEncoding encoding)
{
    if (encoding == ProfileEncoding::Bytes)
        return std::string(text);
    if (encoding == ProfileEncoding::Utf8Bom)
        return "\xEF\xBB\xBF" + std::string(text);
    const bool little = encoding == ProfileEncoding::Utf16Le;
    std::string out = little ? "\xFF\xFE" : "\xFE\xFF";
    out.reserve(2 + text.size() * 2);
    auto put = [&](uint32_t unit) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        out += little ? low : high;
        out += little ? high : low;
    };
    for (size_t at = 0; at < text.size();) {
        const uint32_t code = NextCodePoint(text, at);
        if (code >= 0x10000) {
            put(0xD800 + ((code - 0x10000) >> 10));
            put(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            put(code);
        }
    }
    return out;
}
