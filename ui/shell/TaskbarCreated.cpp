#include "ui/shell/TaskbarCreated.h"

UINT RegisterTaskbarMessage()
{
    return RegisterWindowMessageW(L"TaskbarCreated");
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
