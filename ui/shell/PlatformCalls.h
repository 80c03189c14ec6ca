// The platform calls of the main window that tests replace: the tray icon's
// Shell_NotifyIconA and its balloon's Shell_NotifyIconW, the home page's ShellExecuteA, the error report's
// MessageBoxW, the refused key's beep, the message filter, the window
// management calls of the tray handlers, the tray menu's loop and the
// making of the update page's browser. The window is handed one of these
// when it is made and uses it for its whole life; SystemCalls makes the
// real calls.
#pragma once

#include <windows.h>

#include <memory>

#include "ui/shell/NotifyIconRecord.h"
#include "ui/shell/TrayPopupMenu.h"
#include "ui/shell/WebBrowser.h"

namespace ui {

class PlatformCalls {
public:
    virtual ~PlatformCalls() = default;

    // Shell_NotifyIconA with NIM_ADD or NIM_DELETE and the icon's record.
    virtual BOOL NotifyIcon(DWORD message, NotifyIconDataA88& data) = 0;
    // Shell_NotifyIconW with the wide record, for what only it holds: the
    // balloon (NIM_MODIFY with NIF_INFO).
    virtual BOOL NotifyIconWide(DWORD message, NOTIFYICONDATAW& data) = 0;
    // ShellExecuteA.
    virtual HINSTANCE OpenWithShell(HWND owner, const char* verb, const char* file, const char* parameters,
                                    const char* directory, int show) = 0;
    // MessageBoxW.
    virtual int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) = 0;
    // MessageBeep(0): the system's default beep.
    virtual void Beep() = 0;
    // ChangeWindowMessageFilterEx without the record of its outcome.
    virtual BOOL AllowMessage(HWND window, UINT message, DWORD action) = 0;
    virtual void SetActiveWindow(HWND window) = 0;
    virtual void SetForegroundWindow(HWND window) = 0;
    virtual POINT CursorPos() = 0;
    // Opens the tray menu at (x, y) and returns the item chosen once the
    // menu's loop has ended.
    virtual TrayMenuCommand TrackMenu(const TrayPopupMenu& menu, HWND owner, int x, int y) = 0;
    // The update page's browser, made in the host window's area.
    virtual std::unique_ptr<TWebBrowser> MakeBrowser(HWND host, const RECT& area) = 0;
};

class SystemCalls : public PlatformCalls {
public:
    BOOL NotifyIcon(DWORD message, NotifyIconDataA88& data) override;
    BOOL NotifyIconWide(DWORD message, NOTIFYICONDATAW& data) override;
    HINSTANCE OpenWithShell(HWND owner, const char* verb, const char* file, const char* parameters,
                            const char* directory, int show) override;
    int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) override;
    void Beep() override;
    BOOL AllowMessage(HWND window, UINT message, DWORD action) override;
    void SetActiveWindow(HWND window) override;
    void SetForegroundWindow(HWND window) override;
    POINT CursorPos() override;
    TrayMenuCommand TrackMenu(const TrayPopupMenu& menu, HWND owner, int x, int y) override;
    std::unique_ptr<TWebBrowser> MakeBrowser(HWND host, const RECT& area) override;
};

}  // namespace ui
