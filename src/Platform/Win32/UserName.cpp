#include "Platform/Win32/UserName.h"

#include "Platform/Win32/LastError.h"

#include <cerrno>
#include <cstring>
#include <pwd.h>
#include <unistd.h>
#include <vector>

BOOL GetUserNameA(LPSTR buffer, LPDWORD size)
{
    if (!size) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    long hint = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> scratch(hint > 0 ? static_cast<size_t>(hint) : 16384);
    struct passwd entry;
    struct passwd* found = nullptr;
    int rc;
    while ((rc = getpwuid_r(geteuid(), &entry, scratch.data(), scratch.size(), &found)) == ERANGE &&
           scratch.size() < (1u << 20))
        scratch.resize(scratch.size() * 2);
    if (rc != 0 || !found || !found->pw_name || !*found->pw_name) {
        SetLastError(rc != 0 ? ErrorFromErrno(rc) : ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    size_t needed = std::strlen(found->pw_name) + 1;
    if (!buffer || *size < needed) {
        *size = static_cast<DWORD>(needed);
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(buffer, found->pw_name, needed);
    *size = static_cast<DWORD>(needed);
    return TRUE;
}
