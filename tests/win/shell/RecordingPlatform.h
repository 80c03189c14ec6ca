// A test double of the main window's platform calls: each call is recorded
// instead of made; the menu answers as told and the browser is one over a
// fake IWebBrowser2, unless a test asks for the real ones.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/win/shell/FakeWebBrowser2.h"
#include "ui/shell/PlatformCalls.h"

struct RecordingPlatform : ui::PlatformCalls {
    struct ShellCall {
        HWND owner;
        std::string verb, file, parameters;
        bool directoryNull;
        int show;
    };
    struct Report {
        HWND owner;
        std::wstring text, caption;
        UINT type;
    };
    struct Filter {
        HWND window;
        UINT message;
        DWORD action;
    };

    // The window management calls, the cursor and the menu, in order:
    // "SetActiveWindow", "SetForegroundWindow", "CursorPos",
    // "TrackMenu x,y".
    std::vector<std::string> calls;
    std::vector<std::pair<DWORD, ui::NotifyIconDataA88>> notifications;
    std::vector<std::pair<DWORD, NOTIFYICONDATAW>> wideNotifications;
    std::vector<ShellCall> shellCalls;
    std::vector<Report> reports;
    std::vector<Filter> filters;
    int beeps = 0;

    POINT cursor{700, 740};
    // The menu's answer; with realMenu the real menu opens instead.
    ui::TrayMenuCommand menuChoice = ui::TrayMenuCommand::None;
    bool realMenu = false;
    // The browser: by default one over `page`, which records what it is
    // asked; with realBrowser the platform's WebBrowser control.
    bool realBrowser = false;
    FakeWebBrowser2 page;
    std::vector<HWND> browserHosts;

    BOOL NotifyIcon(DWORD message, ui::NotifyIconDataA88& data) override
    {
        notifications.emplace_back(message, data);
        return TRUE;
    }
    BOOL NotifyIconWide(DWORD message, NOTIFYICONDATAW& data) override
    {
        wideNotifications.emplace_back(message, data);
        return TRUE;
    }
    HINSTANCE OpenWithShell(HWND owner, const char* verb, const char* file, const char* parameters,
                            const char* directory, int show) override
    {
        shellCalls.push_back({owner, verb, file, parameters ? parameters : "(null)", directory == nullptr, show});
        return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(33));
    }
    int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) override
    {
        reports.push_back({owner, text, caption, type});
        return IDOK;
    }
    void Beep() override { ++beeps; }
    BOOL AllowMessage(HWND window, UINT message, DWORD action) override
    {
        filters.push_back({window, message, action});
        return TRUE;
    }
    void SetActiveWindow(HWND) override { calls.push_back("SetActiveWindow"); }
    void SetForegroundWindow(HWND window) override
    {
        calls.push_back("SetForegroundWindow");
        if (realMenu)
            ::SetForegroundWindow(window);
    }
    POINT CursorPos() override
    {
        calls.push_back("CursorPos");
        return cursor;
    }
    ui::TrayMenuCommand TrackMenu(const ui::TrayPopupMenu& menu, HWND owner, int x, int y) override
    {
        calls.push_back("TrackMenu " + std::to_string(x) + "," + std::to_string(y));
        return realMenu ? menu.TrackAt(owner, x, y) : menuChoice;
    }
    std::unique_ptr<ui::TWebBrowser> MakeBrowser(HWND host, const RECT& area) override
    {
        browserHosts.push_back(host);
        if (realBrowser)
            return std::make_unique<ui::TWebBrowser>(host, area);
        return std::make_unique<ui::TWebBrowser>(ui::ComPtr<IWebBrowser2>::Share(&page));
    }

    int Count(DWORD notifyMessage) const
    {
        int n = 0;
        for (const auto& notification : notifications)
            n += notification.first == notifyMessage;
        return n;
    }
};
