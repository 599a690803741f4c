#include "System/Common/UserDataFolder.h"

#include "Platform/Win32/Windows.h"

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
    // Someone else may have made it in the meantime.
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

bool GetUserDataFolder(std::string& folder)
{
    folder = "..\\";
    folder += "userdata";
    folder += "\\";

    char name[MAX_PATH + 1];
    DWORD size = sizeof name;
    if (!GetUserNameA(name, &size))
        return false;
    folder += name;
    folder += "\\";
    return CreateDirectoryRecursive(folder.c_str());
}
