#include "Platform/Win32/Profile.h"

#include "Platform/Win32/FileReplace.h"
#include "Platform/Win32/FileSystem.h"
#include "Platform/Win32/LastError.h"
#include "Platform/Win32/ProfileText.h"

#include <cerrno>
#include <string>

UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue, LPCSTR fileName)
{
    const UINT fallback = static_cast<UINT>(defaultValue);
    if (!section || !key || !fileName)
        return fallback;
    std::string text;
    if (!ReadWholeFile(ToNativePath(fileName), text)) {
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
    if (!section) {
        // The flush request: every call has already written its file in full.
        if (key || value) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        return TRUE;
    }

    const std::string path = ToNativePath(fileName);
    std::string text;
    bool existed = ReadWholeFile(path, text);
    if (!existed && errno != ENOENT) {
        SetLastError(ErrorFromErrno(errno));
        return FALSE;
    }
    std::string updated = ProfileSetValue(text, section, key, value);
    if (existed && updated == text)
        return TRUE;
    if (!existed && updated.empty())
        return TRUE;
    if (!ReplaceFileContents(path, updated.data(), updated.size())) {
        SetLastError(ErrorFromErrno(errno));
        return FALSE;
    }
    return TRUE;
}
