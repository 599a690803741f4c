#include "Platform/Win32/Time.h"

#include <cerrno>

__time64_t _time64(__time64_t* out)
{
    __time64_t now = static_cast<__time64_t>(std::time(nullptr));
    if (out)
        *out = now;
    return now;
}

errno_t _localtime64_s(struct tm* out, const __time64_t* time)
{
    if (!out || !time)
        return EINVAL;
    time_t t = static_cast<time_t>(*time);
    if (!localtime_r(&t, out))
        return EINVAL;
    return 0;
}
