#include "Platform/Win32/FindFile.h"

#include <dirent.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "Platform/Win32/FileSystem.h"

namespace {

struct FindState {
    std::vector<WIN32_FIND_DATAA> items;
    size_t next = 0;
};

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// '*' any run, '?' any one character; everything else matches itself.
bool MatchPattern(const char* pattern, const char* name)
{
    const char* star = nullptr;
    const char* resume = nullptr;
    while (*name) {
        if (*pattern == '*') {
            star = pattern++;
            resume = name;
        } else if (*pattern == '?' || *pattern == *name) {
            ++pattern;
            ++name;
        } else if (star) {
            pattern = star + 1;
            name = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == '*')
        ++pattern;
    return *pattern == '\0';
}

int CompareNoCase(const std::string& a, const std::string& b)
{
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z')
            x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z')
            y = static_cast<unsigned char>(y + 32);
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

bool NameBefore(const std::string& a, const std::string& b)
{
    auto rank = [](const std::string& s) { return s == "." ? 0 : s == ".." ? 1 : 2; };
    if (rank(a) != rank(b))
        return rank(a) < rank(b);
    return CompareNoCase(a, b) < 0;
}

std::string RealPath(const std::string& path)
{
    char buffer[PATH_MAX];
    return realpath(path.c_str(), buffer) ? std::string(buffer) : std::string();
}

// Whether the directory `target` (a resolved path) is `directory` or one of its ancestors,
// walking the ancestors as written, so that links met on the way count at their own place.
bool LeadsBackUp(const std::string& directory, const std::string& target)
{
    char full[4096];
    DWORD n = GetFullPathNameA(directory.c_str(), sizeof full, full, nullptr);
    if (n == 0 || n >= sizeof full)
        return true;
    std::string path(full, n);
    for (;;) {
        if (RealPath(path.empty() ? "/" : path) == target)
            return true;
        while (!path.empty() && path.back() == '/')
            path.pop_back();
        if (path.empty())
            return false;
        path.erase(path.rfind('/') + 1);
    }
}

FILETIME ToFileTime(const struct timespec& t)
{
    // 100 ns ticks since 1601-01-01.
    const uint64_t kEpochDelta = 116444736000000000ull;
    uint64_t ticks = t.tv_sec < 0 ? 0 : kEpochDelta + uint64_t(t.tv_sec) * 10000000ull + uint64_t(t.tv_nsec) / 100;
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(ticks);
    ft.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return ft;
}

bool Describe(const std::string& directory, const std::string& name, WIN32_FIND_DATAA& item)
{
    std::memset(&item, 0, sizeof item);
    if (name.size() >= sizeof item.cFileName)
        return false;
    std::string path = directory + "/" + name;
    struct stat st;
    if (stat(path.c_str(), &st) != 0)
        return false; // dangling link or vanished entry
    const bool special = name == "." || name == "..";
    if (!special) {
        struct stat link;
        if (lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode) && S_ISDIR(st.st_mode) &&
            LeadsBackUp(directory, RealPath(path)))
            return false;
    }

    if (S_ISDIR(st.st_mode))
        item.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
    else if (S_ISREG(st.st_mode))
        item.dwFileAttributes = FILE_ATTRIBUTE_ARCHIVE | ((st.st_mode & S_IWUSR) ? 0 : FILE_ATTRIBUTE_READONLY);
    else
        item.dwFileAttributes = FILE_ATTRIBUTE_DEVICE;
    if (!special && name[0] == '.')
        item.dwFileAttributes |= FILE_ATTRIBUTE_HIDDEN;

    item.ftCreationTime = ToFileTime(st.st_ctim);
    item.ftLastAccessTime = ToFileTime(st.st_atim);
    item.ftLastWriteTime = ToFileTime(st.st_mtim);
    uint64_t size = S_ISREG(st.st_mode) && st.st_size > 0 ? uint64_t(st.st_size) : 0;
    item.nFileSizeHigh = static_cast<DWORD>(size >> 32);
    item.nFileSizeLow = static_cast<DWORD>(size);
    std::memcpy(item.cFileName, name.c_str(), name.size() + 1);
    return true;
}

} // namespace

HANDLE FindFirstFileA(LPCSTR fileName, LPWIN32_FIND_DATAA findData)
{
    if (!fileName || !findData)
        return INVALID_HANDLE_VALUE;
    std::string request = fileName;
    size_t cut = request.size();
    while (cut > 0 && !IsSeparator(request[cut - 1]))
        --cut;
    const std::string pattern = request.substr(cut);
    // "name" lists the working directory, "/name" the root, "dir/name" the folder dir.
    std::string directory = request.substr(0, cut > 1 ? cut - 1 : cut);
    if (directory.empty())
        directory.push_back('.');
    std::replace(directory.begin(), directory.end(), '\\', '/');
    if (pattern.empty())
        return INVALID_HANDLE_VALUE;

    DIR* dir = opendir(directory.c_str());
    if (!dir)
        return INVALID_HANDLE_VALUE;
    std::vector<std::string> names;
    while (struct dirent* e = readdir(dir)) {
        if (MatchPattern(pattern.c_str(), e->d_name))
            names.push_back(e->d_name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end(), NameBefore);

    FindState* state = new FindState();
    for (const std::string& name : names) {
        WIN32_FIND_DATAA item;
        if (Describe(directory, name, item))
            state->items.push_back(item);
    }
    if (state->items.empty()) {
        delete state;
        return INVALID_HANDLE_VALUE;
    }
    *findData = state->items[0];
    state->next = 1;
    return state;
}

BOOL FindNextFileA(HANDLE findFile, LPWIN32_FIND_DATAA findData)
{
    if (!findFile || findFile == INVALID_HANDLE_VALUE || !findData)
        return FALSE;
    FindState* state = static_cast<FindState*>(findFile);
    if (state->next >= state->items.size())
        return FALSE;
    *findData = state->items[state->next++];
    return TRUE;
}

BOOL FindClose(HANDLE findFile)
{
    if (!findFile || findFile == INVALID_HANDLE_VALUE)
        return FALSE;
    delete static_cast<FindState*>(findFile);
    return TRUE;
}
