// The shell side of the main window: the tray icon, the embedded browser,
// the home-page link and the error report. The window's hooks reach them
// through this object, which lives as long as the window.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <memory>
#include <optional>

#include "app/Application.h"
#include "ui/DialUpHooks.h"
#include "ui/DialUpUnit.h"
#include "ui/shell/ErrorReport.h"
#include "ui/shell/HomePage.h"
#include "ui/shell/PlatformTrayWindow.h"
#include "ui/shell/TrayIcon.h"
#include "ui/shell/WebBrowser.h"

namespace app {

class ShellParts {
public:
    explicit ShellParts(TApplication& application) : application_(application) {}
    // The application stops offering keys to the browser.
    ~ShellParts();
    ShellParts(const ShellParts&) = delete;
    ShellParts& operator=(const ShellParts&) = delete;

    // The hooks to create the window with.
    ui::DialUpHooks Hooks();
    // Binds the tray icon and its handlers to the created window, and has
    // the application offer key messages to the update page first.
    void Attach(ui::TDialUpFrm& window);
    // AddTrayIcon: the icon with the window's handle and caption as tip.
    void AddTrayIcon();
    // The browser goes while the window that hosts it still exists.
    void ReleaseBrowser() { browser_.reset(); }
    // The update page's browser; null before the window's creation made it.
    TWebBrowser* Browser() const { return browser_.get(); }

    // The platform calls, replaceable in tests.
    ShellNotifyIconCall shellNotifyIcon = CallShellNotifyIconA;
    ShellExecuteCall shellExecute = CallShellExecuteA;
    MessageBoxCall messageBox = CallMessageBoxW;
    // Makes the update page's browser in the given area of its host.
    std::function<std::unique_ptr<TWebBrowser>(HWND host, const RECT& area)> makeBrowser =
        [](HWND host, const RECT& area) { return std::make_unique<TWebBrowser>(host, area); };

private:
    HWND Owner() const { return window_ ? window_->Handle() : nullptr; }
    void ReportFailure(const std::exception& failure) const;

    TApplication& application_;
    ui::TDialUpFrm* window_ = nullptr;
    std::unique_ptr<TWebBrowser> browser_;
    std::optional<TTrayIcon> tray_;
    std::unique_ptr<TPlatformTrayWindow> trayWindow_;
};

}  // namespace app
