#include "System/Common/StringUtil.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "Platform/Win32/Windows.h"
#include "System/Common/Log.h"

namespace {

// Calls get(size, buffer) (a Win32 string getter: the length on success, the size needed when
// the buffer is too small, 0 on failure) with a buffer as large as the answer needs.
template <typename Get> bool GetSystemString(Get get, std::string& out, std::string& reason)
{
    std::vector<char> buffer(MAX_PATH);
    for (int attempt = 0; attempt < 4; ++attempt) {
        errno = 0;
        const DWORD n = get(static_cast<DWORD>(buffer.size()), buffer.data());
        if (n == 0) {
            reason = errno ? std::strerror(errno) : "the system gives no reason";
            return false;
        }
        if (n < buffer.size()) {
            out.assign(buffer.data(), n);
            return true;
        }
        buffer.resize(n); // the size needed, the terminator included
    }
    reason = "the path keeps changing length";
    return false;
}

} // namespace

std::string GetCurrentDirectoryPath()
{
    std::string path, reason;
    if (!GetSystemString([](DWORD size, char* buffer) { return GetCurrentDirectoryA(size, buffer); }, path, reason)) {
        LOG_ERROR << "Cannot read the current directory: " << reason << ".";
        return std::string();
    }
    return NormalizePath(path, true);
}

std::string NormalizePath(const std::string& path, bool trailingSlash)
{
    std::string result = path;
    std::replace(result.begin(), result.end(), '\\', '/');
    if (trailingSlash && (result.empty() || result.back() != '/'))
        result += '/';
    return result;
}

std::string GetFullPath(const std::string& path, std::string& filePart)
{
    std::string full, reason;
    if (!GetSystemString(
            [&](DWORD size, char* buffer) { return GetFullPathNameA(path.c_str(), size, buffer, nullptr); }, full,
            reason)) {
        LOG_ERROR << "Cannot make a full path of \"" << path << "\": " << reason << ".";
        return std::string();
    }
    // The file part is the last component, unless the path ends with a separator.
    const size_t slash = full.find_last_of("/\\");
    if (slash != std::string::npos && slash + 1 < full.size())
        filePart = full.substr(slash + 1);
    return NormalizePath(full, false);
}

void SplitPath(const std::string& path, std::string& directory, std::string& name)
{
    std::string p = NormalizePath(path, false);
    int slash = FindLastOf(p, '/');
    if (slash < 0) {
        directory.clear();
        name = p;
        return;
    }
    directory = p.substr(0, slash + 1);
    name = p.substr(slash + 1);
}

void SplitExtension(const std::string& fileName, std::string& extension, std::string& base)
{
    int dot = FindLastOf(fileName, '.');
    if (dot < 0) {
        extension.clear();
        base = fileName;
        return;
    }
    extension = fileName.substr(dot + 1);
    base = fileName.substr(0, dot);
}

int FindLastOf(const std::string& s, char c)
{
    size_t pos = s.rfind(c);
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

std::string AppendSlash(const std::string& s) { return s + '/'; }

bool WildcardMatch(const std::string& pattern, const std::string& name)
{
    const size_t m = pattern.size();
    const size_t n = name.size();
    size_t p = 0;
    size_t s = 0;
    size_t star = std::string::npos;
    while (s < n && p < m) {
        if (pattern[p] == '*') {
            if (p + 1 == m) {
                s = n;
            } else {
                while (s < n && name[s] != pattern[p + 1])
                    ++s;
            }
            star = p;
            ++p;
        } else if (pattern[p] == name[s]) {
            ++p;
            ++s;
        } else {
            if (star == std::string::npos)
                return false;
            p = star;
            star = std::string::npos;
        }
    }
    // Trailing stars match the empty rest, so "dir/*" also matches "dir/" itself.
    while (p < m && pattern[p] == '*')
        ++p;
    return p == m && s == n;
}

void SplitString(const std::string& text, const std::string& delimiters, std::vector<std::string>& out)
{
    size_t i = 0;
    while (i < text.size()) {
        size_t start = text.find_first_not_of(delimiters, i);
        if (start == std::string::npos)
            break;
        size_t end = text.find_first_of(delimiters, start);
        if (end == std::string::npos)
            end = text.size();
        out.push_back(text.substr(start, end - start));
        i = end;
    }
}

void WideToNarrow(const std::wstring& wide, std::string& narrow)
{
    int needed = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) {
        narrow.clear();
        return;
    }
    narrow.resize(static_cast<size_t>(needed));
    int written = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, narrow.data(), needed, nullptr, nullptr);
    narrow.resize(static_cast<size_t>(std::max(written, 0)));
}
