#include "Platform/Win32/Message.h"

#include "Platform/Backend/Video.h"
#include "Platform/Win32/Time.h"

#include <deque>
#include <memory>
#include <mutex>
#include <vector>

namespace {

struct MessageQueue {
    std::mutex lock;
    std::deque<MSG> posted;
    bool quit = false;
    int exitCode = 0;
};

// Queues live as long as the process: a window may outlive nothing but its thread's queue.
std::mutex g_QueuesLock;
std::vector<std::unique_ptr<MessageQueue>>& Queues()
{
    static std::vector<std::unique_ptr<MessageQueue>> queues;
    return queues;
}

thread_local MessageQueue* t_pQueue = nullptr;

MessageQueue& CurrentQueue()
{
    if (!t_pQueue) {
        std::lock_guard<std::mutex> guard(g_QueuesLock);
        Queues().push_back(std::make_unique<MessageQueue>());
        t_pQueue = Queues().back().get();
    }
    return *t_pQueue;
}

DWORD MessageTime()
{
    return timeGetTime();
}

bool InFilter(UINT message, UINT filterMin, UINT filterMax)
{
    if (filterMin == 0 && filterMax == 0)
        return true;
    return message >= filterMin && message <= filterMax;
}

bool ForWindow(HWND wanted, HWND hwnd)
{
    if (wanted == nullptr)
        return true;
    if (wanted == reinterpret_cast<HWND>(-1))
        return hwnd == nullptr;
    return wanted == hwnd;
}

} // namespace

void* MessageQueueOfCurrentThread()
{
    return &CurrentQueue();
}

bool MessagePostToQueue(void* queue, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!queue)
        return false;
    MessageQueue& q = *static_cast<MessageQueue*>(queue);
    MSG msg = {hwnd, message, wParam, lParam, MessageTime(), {0, 0}};
    std::lock_guard<std::mutex> guard(q.lock);
    q.posted.push_back(msg);
    return true;
}

void MessageForgetWindow(void* queue, HWND hwnd)
{
    if (!queue)
        return;
    MessageQueue& q = *static_cast<MessageQueue*>(queue);
    std::lock_guard<std::mutex> guard(q.lock);
    std::erase_if(q.posted, [hwnd](const MSG& m) { return m.hwnd == hwnd; });
}

BOOL PeekMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags)
{
    if (!msg)
        return FALSE;
    BackendPumpEvents();

    MessageQueue& q = CurrentQueue();
    std::lock_guard<std::mutex> guard(q.lock);
    for (auto it = q.posted.begin(); it != q.posted.end(); ++it) {
        if (!ForWindow(hwnd, it->hwnd) || !InFilter(it->message, filterMin, filterMax))
            continue;
        *msg = *it;
        if (removeFlags & PM_REMOVE)
            q.posted.erase(it);
        return TRUE;
    }
    if (q.quit && InFilter(WM_QUIT, filterMin, filterMax) && (hwnd == nullptr || hwnd == reinterpret_cast<HWND>(-1))) {
        *msg = {nullptr, WM_QUIT, static_cast<WPARAM>(q.exitCode), 0, MessageTime(), {0, 0}};
        if (removeFlags & PM_REMOVE)
            q.quit = false;
        return TRUE;
    }
    return FALSE;
}

BOOL TranslateMessage(const MSG* msg)
{
    if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN))
        return FALSE;
    // Only the keys whose character does not depend on the keyboard layout.
    switch (msg->wParam) {
    case VK_BACK:
    case VK_TAB:
    case VK_RETURN:
    case VK_ESCAPE: break;
    default: return FALSE;
    }
    const UINT charMessage = msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
    return PostMessageA(msg->hwnd, charMessage, msg->wParam, msg->lParam);
}

LRESULT DispatchMessageA(const MSG* msg)
{
    if (!msg || !msg->hwnd)
        return 0;
    if (!IsWindow(msg->hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return SendMessageA(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

void PostQuitMessage(int exitCode)
{
    MessageQueue& q = CurrentQueue();
    std::lock_guard<std::mutex> guard(q.lock);
    q.quit = true;
    q.exitCode = exitCode;
}
