#include "ui/shell/PlatformCalls.h"

#include <shellapi.h>

namespace ui {

BOOL SystemCalls::NotifyIcon(DWORD message, NotifyIconDataA88& data)
{
    // The record is the head of NOTIFYICONDATAA; cbSize tells the shell
    // that nothing follows it.
    return Shell_NotifyIconA(message, reinterpret_cast<NOTIFYICONDATAA*>(&data));
}

BOOL SystemCalls::NotifyIconWide(DWORD message, NOTIFYICONDATAW& data)
{
    return Shell_NotifyIconW(message, &data);
}

HINSTANCE SystemCalls::OpenWithShell(HWND owner, const char* verb, const char* file, const char* parameters,
                                     const char* directory, int show)
{
    return ShellExecuteA(owner, verb, file, parameters, directory, show);
}

int SystemCalls::ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type)
{
    return MessageBoxW(owner, text, caption, type);
}

void SystemCalls::Beep()
{
    MessageBeep(0);
}

BOOL SystemCalls::AllowMessage(HWND window, UINT message, DWORD action)
{
    return ChangeWindowMessageFilterEx(window, message, action, nullptr);
}

void SystemCalls::SetActiveWindow(HWND window)
{
    ::SetActiveWindow(window);
}

void SystemCalls::SetForegroundWindow(HWND window)
{
    ::SetForegroundWindow(window);
}

POINT SystemCalls::CursorPos()
{
    POINT point{};
    GetCursorPos(&point);
    return point;
}

TrayMenuCommand SystemCalls::TrackMenu(const TrayPopupMenu& menu, HWND owner, int x, int y)
{
    return menu.TrackAt(owner, x, y);
}

std::unique_ptr<TWebBrowser> SystemCalls::MakeBrowser(HWND host, const RECT& area)
{
    return std::make_unique<TWebBrowser>(host, area);
}

}  // namespace ui
