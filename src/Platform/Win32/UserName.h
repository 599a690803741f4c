// The name of the user running the program: the login name of the process's user from the
// password database.
#pragma once

#include "Platform/Win32/WinTypes.h"

#define UNLEN 256

// size: in, the buffer's bytes; out, the bytes written including the terminator, or the
// bytes needed when the buffer is too small (then FALSE with ERROR_INSUFFICIENT_BUFFER).
BOOL GetUserNameA(LPSTR buffer, LPDWORD size);
