// Code-page conversion and the lead-byte test of Shift-JIS (code page 932), which is
// this system's ANSI code page. The C library's locale is not used.
#pragma once

#include "Platform/Win32/WinTypes.h"

// Converts wide text to a multibyte code page (CP_ACP and 932 give Shift-JIS, CP_UTF8 UTF-8).
// wideCount -1 takes the text up to and including its terminator. With outSize 0 it returns
// the bytes needed; otherwise the bytes written, or 0 when they do not fit. A character the
// code page lacks becomes '?', and usedDefault (when given) is set.
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideCount, LPSTR out, int outSize,
                        LPCSTR defaultChar, LPBOOL usedDefault);

// True when the byte starts a two-byte character in the code page (Shift-JIS: 0x81-0x9F, 0xE0-0xFC).
BOOL IsDBCSLeadByteEx(UINT codePage, BYTE b);
BOOL IsDBCSLeadByte(BYTE b);
