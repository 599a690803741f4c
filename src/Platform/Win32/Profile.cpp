#include "Platform/Win32/Profile.h"

#include "Platform/Win32/FileReplace.h"
#include "Platform/Win32/FileSystem.h"
#include "Platform/Win32/LastError.h"
#include "Platform/Win32/ProfileText.h"

#include <cerrno>
#include <ctime>
#include <memory>
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
    ProfileEncoding encoding = ProfileEncoding::Bytes;
    bool existed = false;
    bool dirty = false;
};

// The values of the file read last, kept while the file is the same file with the same size
// and modification time: reading a setting must not read the whole file again for each key.
// A file changed within the last seconds is not kept, as a change within the file system's
// time resolution would not move its time.
struct CachedProfile {
    std::string path;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    struct timespec modified = {};
    std::unique_ptr<ProfileIndex> index;
};

constexpr time_t kSettledSeconds = 2;

std::mutex g_ProfileMutex;
std::optional<PendingProfile> g_Pending;
std::optional<CachedProfile> g_Cache;

bool SameFile(const CachedProfile& cache, const std::string& path, const struct stat& info)
{
    return cache.path == path && cache.device == info.st_dev && cache.inode == info.st_ino &&
           cache.size == info.st_size && cache.modified.tv_sec == info.st_mtim.tv_sec &&
           cache.modified.tv_nsec == info.st_mtim.tv_nsec;
}

// Reads and decodes a file; false (errno set) when it cannot be read or is not valid text of
// the encoding its byte order mark names.
bool ReadProfileFile(const std::string& path, std::string& text, ProfileEncoding& encoding)
{
    std::string bytes;
    if (!ReadWholeFile(path, bytes))
        return false;
    if (!ProfileHasByteOrderMark(bytes)) {
        encoding = ProfileEncoding::Bytes;
        text = std::move(bytes);
        return true;
    }
    if (!ProfileDecode(bytes, text, encoding)) {
        errno = EILSEQ;
        return false;
    }
    return true;
}

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
    if (g_Cache && g_Cache->path == pending.path)
        g_Cache.reset();
    const std::string bytes = ProfileEncode(pending.text, pending.encoding);
    return ReplaceFileContents(pending.path, bytes.data(), bytes.size());
}

// A process that ends without the flush request still keeps what it wrote.
struct FlushAtExit {
    ~FlushAtExit()
    {
        std::lock_guard<std::mutex> lock(g_ProfileMutex);
        FlushPendingLocked();
    }
} g_FlushAtExit;

// The value of a key as the profile calls see it: from the pending copy when it is this
// file's, else from the file. False (errno set) when the file cannot be read.
bool LookUpProfileValue(const std::string& path, const char* section, const char* key,
                        std::optional<std::string>& value)
{
    std::lock_guard<std::mutex> lock(g_ProfileMutex);
    if (g_Pending && g_Pending->path == path) {
        value = ProfileFindValue(g_Pending->text, section, key);
        return true;
    }
    struct stat info;
    const bool known = stat(path.c_str(), &info) == 0;
    if (!known || !g_Cache || !SameFile(*g_Cache, path, info)) {
        g_Cache.reset();
        std::string text;
        ProfileEncoding encoding;
        if (!ReadProfileFile(path, text, encoding))
            return false;
        auto index = std::make_unique<ProfileIndex>(text);
        struct timespec now;
        clock_gettime(CLOCK_REALTIME, &now);
        if (!known || info.st_mtim.tv_sec + kSettledSeconds >= now.tv_sec) {
            value = index->Find(section, key);
            return true;
        }
        g_Cache = CachedProfile{path, info.st_dev, info.st_ino, info.st_size, info.st_mtim, std::move(index)};
    }
    value = g_Cache->index->Find(section, key);
    return true;
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
    std::optional<std::string> value;
    if (!LookUpProfileValue(ToNativePath(fileName), section, key, value)) {
        SetLastError(ErrorFromErrno(errno));
        return fallback;
    }
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
        pending.existed = ReadProfileFile(path, pending.text, pending.encoding);
        // A file that is not text of its own encoding is left alone rather than mixed with
        // another.
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
