#include "System/Common/UserDataFolder.h"

#include "Platform/Win32/Windows.h"

#include <cerrno>
#include <cstring>

bool CreateDirectoryRecursive(const char* path, std::string* failedLevel)
{
    if (!path)
        return false;
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
        return true;

    // Parents first. The path is kept whole, however long; either separator cuts it. A parent
    // that cannot be made is the reason: the level below it would only add "no such folder".
    std::string copy = path;
    size_t cut = copy.find_last_of("\\/");
    if (cut != std::string::npos && cut > 0 && !CreateDirectoryRecursive(copy.substr(0, cut).c_str(), failedLevel))
        return false;

    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
        return true;
    if (CreateDirectoryA(path, nullptr))
        return true;
    const int reason = errno;
    // Someone else may have made it in the meantime.
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
        return true;
    if (failedLevel)
        *failedLevel = path;
    errno = reason; // why the folder could not be made, for the caller's log
    return false;
}

bool GetUserDataFolder(std::string& folder, std::string* reason)
{
    folder = "..\\";
    folder += "userdata";
    folder += "\\";

    char name[MAX_PATH + 1];
    DWORD size = sizeof name;
    if (!GetUserNameA(name, &size)) {
        if (reason)
            *reason = "cannot read the user name (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    folder += name;
    folder += "\\";
    errno = 0;
    std::string failed;
    if (CreateDirectoryRecursive(folder.c_str(), &failed))
        return true;
    const int error = errno ? errno : EIO;
    if (reason)
        *reason = "cannot create the folder " + folder + ": " + (failed.empty() ? folder : failed) + ": " +
                  std::strerror(error);
    errno = error;
    return false;
}
