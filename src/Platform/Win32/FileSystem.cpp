#include "Platform/Win32/FileSystem.h"

#include "Platform/Win32/LastError.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

DWORD CopyOut(const std::string& s, DWORD bufferLength, LPSTR buffer)
{
    if (!buffer || bufferLength < s.size() + 1)
        return static_cast<DWORD>(s.size() + 1);
    std::memcpy(buffer, s.c_str(), s.size() + 1);
    return static_cast<DWORD>(s.size());
}

bool IsSeparator(char c)
{
    return c == '/' || c == '\\';
}

// The working directory at any length the system allows; false (errno and the last error set)
// when it cannot be read, for instance once it has been removed.
bool ReadWorkingDirectory(std::string& out)
{
    char* cwd = getcwd(nullptr, 0);
    if (!cwd) {
        const int saved = errno;
        SetLastError(ErrorFromErrno(saved));
        errno = saved;
        return false;
    }
    out = cwd;
    std::free(cwd);
    return true;
}

} // namespace

DWORD GetCurrentDirectoryA(DWORD bufferLength, LPSTR buffer)
{
    std::string cwd;
    if (!ReadWorkingDirectory(cwd))
        return 0;
    return CopyOut(cwd, bufferLength, buffer);
}

DWORD GetFullPathNameA(LPCSTR fileName, DWORD bufferLength, LPSTR buffer, LPSTR* filePart)
{
    if (filePart)
        *filePart = nullptr;
    if (!fileName || !*fileName)
        return 0;

    std::string path = fileName;
    if (!IsSeparator(path[0])) {
        std::string cwd;
        if (!ReadWorkingDirectory(cwd))
            return 0;
        path = cwd + "/" + path;
    }
    const bool trailing = IsSeparator(path.back());

    std::vector<std::string> parts;
    size_t i = 0;
    while (i < path.size()) {
        while (i < path.size() && IsSeparator(path[i]))
            ++i;
        size_t start = i;
        while (i < path.size() && !IsSeparator(path[i]))
            ++i;
        std::string part = path.substr(start, i - start);
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }

    std::string full = "/";
    for (size_t k = 0; k < parts.size(); ++k) {
        full += parts[k];
        if (k + 1 < parts.size() || trailing)
            full += '/';
    }

    DWORD result = CopyOut(full, bufferLength, buffer);
    if (result == full.size() && filePart && !parts.empty() && !trailing)
        *filePart = buffer + (full.size() - parts.back().size());
    return result;
}

std::string ToNativePath(LPCSTR path)
{
    std::string native = path ? path : "";
    for (char& c : native)
        if (c == '\\')
            c = '/';
    return native;
}

BOOL CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES)
{
    if (!path || !*path) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (mkdir(ToNativePath(path).c_str(), 0777) != 0) {
        SetLastError(errno == ENOENT ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(errno));
        return FALSE;
    }
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

DWORD GetFileAttributesA(LPCSTR path)
{
    if (!path || !*path) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    std::string native = ToNativePath(path);
    struct stat info;
    if (stat(native.c_str(), &info) != 0) {
        SetLastError(ErrorFromErrno(errno));
        return INVALID_FILE_ATTRIBUTES;
    }
    DWORD attributes = S_ISDIR(info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : 0;
    if (access(native.c_str(), W_OK) != 0)
        attributes |= FILE_ATTRIBUTE_READONLY;
    return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}
