#include "app/ShellParts.h"

#include "ui/shell/ApplicationIcon.h"
#include "ui/shell/TrayHandlers.h"
#include "ui/shell/WebAddresses.h"

namespace app {

ShellParts::~ShellParts()
{
    if (window_)
        application_.SetPreTranslate(nullptr);
}

void ShellParts::AddTrayIcon()
{
    if (window_ && tray_)
        tray_->Add(window_->Handle(), ApplicationIcon(), window_->Caption());
}

void ShellParts::ReportFailure(const std::exception& failure) const
{
    ShowErrorReport(Owner(), application_.Title(), FailureMessage(failure), messageBox);
}

ui::DialUpHooks ShellParts::Hooks()
{
    ui::DialUpHooks hooks;
    hooks.SetApplicationTitle = [this](const std::wstring& title) { application_.SetTitle(title); };
    hooks.NavigateUpdatePage = [this](HWND host) {
        RECT area{};
        GetClientRect(host, &area);
        browser_ = makeBrowser(host, area);
        browser_->Navigate(UpdatePageAddress());
    };
    hooks.RefreshUpdatePage = [this] {
        if (browser_)
            browser_->Refresh();
    };
    hooks.OpenHomePage = [this] { ::OpenHomePage(Owner(), shellExecute); };
    hooks.RemoveTrayIcon = [this] {
        if (tray_)
            tray_->Remove();
    };
    hooks.N1Click = [this] {
        if (trayWindow_)
            ::N1Click(*trayWindow_);
    };
    hooks.E1Click = [this] {
        if (tray_)
            ::E1Click(*tray_, [] { TApplication::Terminate(); });
    };
    hooks.WMTrayIcon = [this](WPARAM iconId, LPARAM mouseMessage) {
        if (trayWindow_)
            ::WMTrayIcon(*trayWindow_, iconId, mouseMessage);
    };
    hooks.TaskbarRecreated = [this] { AddTrayIcon(); };
    hooks.ReportFailure = [this](const std::exception& failure) { ReportFailure(failure); };
    return hooks;
}

void ShellParts::Attach(ui::TDialUpFrm& window)
{
    window_ = &window;
    tray_.emplace(window.TrayIconData, shellNotifyIcon);
    TTrayWindowActions actions;
    actions.IsShown = [this] { return window_->Shown(); };
    actions.ShowModal = [this] { application_.ShowModal(*window_); };
    actions.Exit = [this] { window_->E1Click(); };
    trayWindow_ = std::make_unique<TPlatformTrayWindow>(window.Handle(), window.PopupMenu, std::move(actions));
    application_.SetPreTranslate([this](MSG& message) { return browser_ && browser_->PreTranslateMessage(message); });
}

}  // namespace app
