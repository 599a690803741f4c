#include "Platform/Win32/FileReplace.h"

#include <atomic>
#include <cerrno>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::atomic<unsigned> g_nTempCounter{0};
std::atomic<FileReplaceFaultHook> g_pFaultHook{nullptr};

// The injected errno of a step, or 0.
int Fault(FileReplaceStep step, unsigned index = 0, size_t* count = nullptr)
{
    size_t ignored = 0;
    FileReplaceFaultHook hook = g_pFaultHook.load();
    return hook ? hook(step, index, count ? count : &ignored) : 0;
}

// Cleans up after a failed step and keeps the step's errno for the caller.
bool Fail(const std::string& temp, const char* what, int saved, std::string* error)
{
    if (!temp.empty())
        unlink(temp.c_str());
    if (error)
        *error = std::string(what) + ": " + std::strerror(saved);
    errno = saved;
    return false;
}

bool WriteAll(int fd, const char* data, size_t size)
{
    for (unsigned call = 0; size > 0; ++call) {
        size_t chunk = size;
        if (int injected = Fault(eFileReplaceStep_Write, call, &chunk)) {
            errno = injected;
            return false;
        }
        ssize_t n = write(fd, data, chunk < size ? chunk : size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) {
            // No progress and no error (a full device can answer so): give up rather than spin.
            errno = ENOSPC;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Makes the rename itself durable; a failure here loses nothing already written.
void SyncDirectoryOf(const std::string& path)
{
    size_t slash = path.find_last_of('/');
    std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

// Removes the temporary files of path ("<name>.tmp.<pid>.<n>") that a process of this program
// left behind when it ended during a replacement. A temporary file of a running process (this
// one included) is left alone: that process may be writing it now.
void RemoveStaleTemporaries(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    const std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    const std::string prefix = (slash == std::string::npos ? path : path.substr(slash + 1)) + ".tmp.";
    DIR* listing = opendir(dir.c_str());
    if (!listing)
        return;
    const pid_t self = getpid();
    while (const dirent* entry = readdir(listing)) {
        const char* name = entry->d_name;
        if (std::strncmp(name, prefix.c_str(), prefix.size()) != 0)
            continue;
        // Exactly "<pid>.<n>" after the prefix, both decimal.
        const char* digits = name + prefix.size();
        if (!std::isdigit(static_cast<unsigned char>(*digits)))
            continue;
        char* end = nullptr;
        errno = 0;
        const long pid = std::strtol(digits, &end, 10);
        if (end == digits || *end != '.' || errno != 0 || pid <= 0 || pid == self)
            continue;
        const char* counter = end + 1;
        std::strtoul(counter, &end, 10);
        if (end == counter || *end != '\0' || !std::isdigit(static_cast<unsigned char>(*counter)))
            continue;
        if (kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH)
            continue; // that process still runs (or is not ours to ask about)
        unlinkat(dirfd(listing), name, 0);
    }
    closedir(listing);
}

} // namespace

bool ReplaceFileContents(const std::string& path, const void* data, size_t size, std::string* error)
{
    RemoveStaleTemporaries(path);
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temp = path + ".tmp." + std::to_string(getpid()) + "." + std::to_string(g_nTempCounter++);
        if (int injected = Fault(eFileReplaceStep_Open)) {
            errno = injected;
            break;
        }
        fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return Fail({}, "cannot create a temporary file", errno, error);

    // Keep the permissions of the file being replaced.
    struct stat info;
    if (stat(path.c_str(), &info) == 0)
        fchmod(fd, info.st_mode & 07777);

    const char* bytes = static_cast<const char*>(data);
    auto syncFile = [fd] {
        if (int injected = Fault(eFileReplaceStep_Sync)) {
            errno = injected;
            return false;
        }
        return fsync(fd) == 0;
    };
    if (!WriteAll(fd, bytes, size) || !syncFile()) {
        int saved = errno;
        close(fd);
        return Fail(temp, "cannot write the temporary file", saved, error);
    }
    if (int injected = Fault(eFileReplaceStep_Close)) {
        close(fd);
        return Fail(temp, "cannot close the temporary file", injected, error);
    }
    if (close(fd) != 0)
        return Fail(temp, "cannot close the temporary file", errno, error);
    if (int injected = Fault(eFileReplaceStep_Rename))
        return Fail(temp, "cannot replace the file", injected, error);
    if (rename(temp.c_str(), path.c_str()) != 0)
        return Fail(temp, "cannot replace the file", errno, error);
    SyncDirectoryOf(path);
    return true;
}

void SetFileReplaceFaultHook(FileReplaceFaultHook hook)
{
    g_pFaultHook.store(hook);
}

bool ReadWholeFile(const std::string& path, std::string& out)
{
    out.clear();
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info;
    const bool known = fstat(fd, &info) == 0;
    if (known && S_ISDIR(info.st_mode)) {
        close(fd);
        errno = EISDIR;
        return false;
    }
    // One allocation for a file that keeps its size while it is read: growing the string as
    // it fills copies a large file several times over.
    if (known && S_ISREG(info.st_mode) && info.st_size > 0)
        out.reserve(static_cast<size_t>(info.st_size));
    char buffer[16384];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            int saved = errno;
            close(fd);
            errno = saved;
            return false;
        }
        if (n == 0)
            break;
        out.append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    return true;
}
