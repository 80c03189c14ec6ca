#include "ui/shell/TaskbarCreated.h"

UINT RegisterTaskbarMessage()
{
    return RegisterWindowMessageW(L"TaskbarCreated");
}

BOOL CallChangeWindowMessageFilterEx(HWND window, UINT message, DWORD action)
{
    return ChangeWindowMessageFilterEx(window, message, action, nullptr);
}

bool AllowTaskbarMessage(HWND window, UINT taskbarMessage, const MessageFilterCall& call)
{
    if (taskbarMessage == 0 || !call) {
        return false;
    }
    return call(window, taskbarMessage, MSGFLT_ALLOW) != FALSE;
}

bool WndProc(HWND window, UINT message, UINT taskbarMessage, const std::function<void()>& addTrayIcon)
{
    // 0 is WM_NULL, which the tray menu itself posts: never a task-bar start.
    if (taskbarMessage == 0 || message != taskbarMessage) {
        return false;
    }
    addTrayIcon();
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    return true;
}
