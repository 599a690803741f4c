// Window messages and the per-thread message queue of the Win32 stand-in. Posted messages wait
// in the queue of the thread that created their window; PeekMessageA first lets the backend turn
// pending SDL events into messages. A quit request is a flag of the queue, returned once the
// posted messages are gone, as on Windows.
#pragma once

#include "Platform/Win32/Window.h"

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};
typedef MSG* LPMSG;

#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_MOVE 0x0003
#define WM_SIZE 0x0005
#define WM_ACTIVATE 0x0006
#define WM_SETFOCUS 0x0007
#define WM_KILLFOCUS 0x0008
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_SHOWWINDOW 0x0018
#define WM_ACTIVATEAPP 0x001C
#define WM_SETCURSOR 0x0020
#define WM_GETICON 0x007F
#define WM_SETICON 0x0080
#define WM_NCCREATE 0x0081
#define WM_NCDESTROY 0x0082
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_CHAR 0x0102
#define WM_SYSKEYDOWN 0x0104
#define WM_SYSKEYUP 0x0105
#define WM_SYSCHAR 0x0106
#define WM_SYSCOMMAND 0x0112
#define WM_MOUSEMOVE 0x0200
#define WM_ENTERSIZEMOVE 0x0231
#define WM_EXITSIZEMOVE 0x0232
#define WM_USER 0x0400

#define WA_INACTIVE 0
#define WA_ACTIVE 1
#define WA_CLICKACTIVE 2

#define SC_CLOSE 0xF060
#define SC_SCREENSAVE 0xF140
#define SC_MONITORPOWER 0xF170

#define HTCLIENT 1

#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_RETURN 0x0D
#define VK_ESCAPE 0x1B

#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001

// Takes the first message of the calling thread's queue for the window (null: any window and
// thread messages) within [filterMin, filterMax] (0, 0: all); FALSE when there is none.
BOOL PeekMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags);
// Posts the character message of a key message (WM_CHAR or WM_SYSCHAR) for the keys that have one.
BOOL TranslateMessage(const MSG* msg);
// Calls the window procedure of the message's window; 0 for thread messages and dead windows.
LRESULT DispatchMessageA(const MSG* msg);
BOOL PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Calls the window procedure at once; 0 and ERROR_INVALID_WINDOW_HANDLE for a dead window.
LRESULT SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
// The default handling: WM_CLOSE destroys the window, WM_SETICON and WM_GETICON keep its icons,
// WM_SETCURSOR shows the class cursor; everything else answers 0.
LRESULT DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// --- Platform-internal ---
// The queue of the calling thread, as an opaque token for the window records.
void* MessageQueueOfCurrentThread();
// Posts to the queue a window was created on.
bool MessagePostToQueue(void* queue, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Drops a window's pending messages when it is destroyed.
void MessageForgetWindow(void* queue, HWND hwnd);
