#include "System/Common/UserDataFolder.h"

#include "Platform/Win32/Windows.h"

#include <cerrno>
#include <cstring>

bool CreateDirectoryRecursive(const char* path)
{
    if (!path)
        return false;
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
        return true;

    // Parents first. The path is kept whole, however long; either separator cuts it.
    std::string copy = path;
    size_t cut = copy.find_last_of("\\/");
    if (cut != std::string::npos)
        CreateDirectoryRecursive(copy.substr(0, cut).c_str());

    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
        return true;
    if (CreateDirectoryA(path, nullptr))
        return true;
    const int reason = errno;
    // Someone else may have made it in the meantime.
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
        return true;
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
    if (CreateDirectoryRecursive(folder.c_str()))
        return true;
    if (reason)
        *reason = "cannot create the folder " + folder + ": " + std::strerror(errno ? errno : EIO);
    return false;
}
