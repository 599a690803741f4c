#include "Platform/Win32/Profile.h"

#include "Platform/Win32/FileReplace.h"
#include "Platform/Win32/FileSystem.h"
#include "Platform/Win32/LastError.h"
#include "Platform/Win32/ProfileText.h"

#include <cerrno>
#include <mutex>
#include <optional>
#include <string>
#include <sys/stat.h>

namespace {

// The written-but-not-flushed contents of the most recently written file. Writes edit this
// copy; the flush request (or a write to another file, or the end of the process) puts it on
// disk in one replacement, so the file is only ever the old or the new whole.
struct PendingProfile {
    std::string path;
    std::string text;
    bool existed = false;
    bool dirty = false;
};

std::mutex g_ProfileMutex;
std::optional<PendingProfile> g_Pending;

// Writes the pending file out and forgets it; false (errno set) when the replacement failed,
// the file on disk then being the old one.
bool FlushPendingLocked()
{
    if (!g_Pending)
        return true;
    PendingProfile pending = std::move(*g_Pending);
    g_Pending.reset();
    if (!pending.dirty || (!pending.existed && pending.text.empty()))
        return true;
    return ReplaceFileContents(pending.path, pending.text.data(), pending.text.size());
}

// A process that ends without the flush request still keeps what it wrote.
struct FlushAtExit {
    ~FlushAtExit()
    {
        std::lock_guard<std::mutex> lock(g_ProfileMutex);
        FlushPendingLocked();
    }
} g_FlushAtExit;

// The file's text as the profile calls see it: the pending copy when it is this file's.
bool ReadProfileText(const std::string& path, std::string& text)
{
    std::lock_guard<std::mutex> lock(g_ProfileMutex);
    if (g_Pending && g_Pending->path == path) {
        text = g_Pending->text;
        return true;
    }
    return ReadWholeFile(path, text);
}

// A file that does not exist yet can only be made when its folder exists (errno set if not).
bool FolderExistsFor(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return true;
    struct stat info;
    const std::string folder = slash == 0 ? "/" : path.substr(0, slash);
    if (stat(folder.c_str(), &info) != 0)
        return false;
    if (!S_ISDIR(info.st_mode)) {
        errno = ENOTDIR;
        return false;
    }
    return true;
}

} // namespace

UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue, LPCSTR fileName)
{
    const UINT fallback = static_cast<UINT>(defaultValue);
    if (!section || !key || !fileName)
        return fallback;
    std::string text;
    if (!ReadProfileText(ToNativePath(fileName), text)) {
        SetLastError(ErrorFromErrno(errno));
        return fallback;
    }
    std::optional<std::string> value = ProfileFindValue(text, section, key);
    // An empty value ("Key=") reads as absent, not as 0.
    if (!value || value->empty())
        return fallback;
    return ProfileParseInt(*value);
}

BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName)
{
    if (!fileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::string path = ToNativePath(fileName);
    std::lock_guard<std::mutex> lock(g_ProfileMutex);
    if (!section) {
        // The flush request.
        if (key || value) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        if (!g_Pending || g_Pending->path != path)
            return TRUE;
        if (!FlushPendingLocked()) {
            SetLastError(ErrorFromErrno(errno));
            return FALSE;
        }
        return TRUE;
    }

    if (g_Pending && g_Pending->path != path)
        FlushPendingLocked();
    if (!g_Pending) {
        PendingProfile pending;
        pending.path = path;
        pending.existed = ReadWholeFile(path, pending.text);
        if (!pending.existed && (errno != ENOENT || !FolderExistsFor(path))) {
            SetLastError(ErrorFromErrno(errno));
            return FALSE;
        }
        g_Pending = std::move(pending);
    }
    std::string updated = ProfileSetValue(g_Pending->text, section, key, value);
    if (updated != g_Pending->text) {
        g_Pending->text = std::move(updated);
        g_Pending->dirty = true;
    }
    return TRUE;
}
