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
