// The window's calls into the shell side of the program (tray icon, update
// page browser, home-page link, error report). Each one that is not set
// does nothing, except ReportFailure, which falls back to a plain message
// box, and AllowMessage, which is the real call unless replaced.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <string>

#include "ui/shell/TaskbarCreated.h"

namespace ui {

struct DialUpHooks {
    // FormCreate: start loading the update page in the browser that lives
    // in the given child window (WebBrowser2).
    std::function<void(HWND webBrowserHost)> NavigateUpdatePage;
    // SpeedButton43Click: reload the page the browser shows.
    std::function<void()> RefreshUpdatePage;
    // Label4Click and the 60th tick.
    std::function<void()> OpenHomePage;
    // FormDestroy: take the tray icon away.
    std::function<void()> RemoveTrayIcon;
    // The tray menu's items.
    std::function<void()> N1Click;
    std::function<void()> E1Click;
    // The tray icon's callback message (wParam: icon id, lParam: mouse message).
    std::function<void(WPARAM, LPARAM)> WMTrayIcon;
    // WndProc: a message after which the tray icon has to be added anew
    // (TaskbarMessage) was received.
    std::function<void()> TaskbarRecreated;
    // FormShow: the application's title becomes the window's caption.
    std::function<void(const std::wstring& title)> SetApplicationTitle;
    // The standard error report for a failure that left a handler.
    std::function<void(const std::exception& failure)> ReportFailure;
    // Creation: lets TaskbarMessage through the window's message filter.
    MessageFilterCall AllowMessage = CallChangeWindowMessageFilterEx;
};

}  // namespace ui
