// The entry sequence: the text table first, the component object model on
// this thread, the window created hidden, the tray icon, the first modal
// showing, the main loop, and the end in reverse order.
#include <windows.h>

#include <memory>
#include <optional>

#include "app/Application.h"
#include "app/ComApartment.h"
#include "app/ProgramCore.h"
#include "app/WinMessagePump.h"
#include "lang/LangUnit.h"
#include "ui/DialUpUnit.h"
#include "ui/shell/ApplicationIcon.h"
#include "ui/shell/ErrorReport.h"
#include "ui/shell/HomePage.h"
#include "ui/shell/PlatformTrayWindow.h"
#include "ui/shell/TrayHandlers.h"
#include "ui/shell/TrayIcon.h"
#include "ui/shell/WebAddresses.h"
#include "ui/shell/WebBrowser.h"

namespace {

// The shell side of the window: the tray icon, the embedded browser, the
// home-page link and the error report. The window's hooks reach them
// through this object, which lives as long as the window.
struct ShellParts {
    explicit ShellParts(app::TApplication& application) : application(application) {}

    HWND Owner() const { return window ? window->Handle() : nullptr; }

    void AddTrayIcon()
    {
        if (window && tray)
            tray->Add(window->Handle(), ApplicationIcon(), window->Caption());
    }

    void ReportFailure(const std::exception& failure) const
    {
        ShowErrorReport(Owner(), application.Title(), FailureMessage(failure));
    }

    ui::DialUpHooks Hooks()
    {
        ui::DialUpHooks hooks;
        hooks.SetApplicationTitle = [this](const std::wstring& title) { application.SetTitle(title); };
        hooks.NavigateUpdatePage = [this](HWND host) {
            RECT area{};
            GetClientRect(host, &area);
            browser = std::make_unique<TWebBrowser>(host, area);
            browser->Navigate(UpdatePageAddress());
        };
        hooks.RefreshUpdatePage = [this] {
            if (browser)
                browser->Refresh();
        };
        hooks.OpenHomePage = [this] { ::OpenHomePage(Owner()); };
        hooks.RemoveTrayIcon = [this] {
            if (tray)
                tray->Remove();
        };
        hooks.N1Click = [this] {
            if (trayWindow)
                ::N1Click(*trayWindow);
        };
        hooks.E1Click = [this] {
            if (tray)
                ::E1Click(*tray, [] { app::TApplication::Terminate(); });
        };
        hooks.WMTrayIcon = [this](WPARAM iconId, LPARAM mouseMessage) {
            if (trayWindow)
                ::WMTrayIcon(*trayWindow, iconId, mouseMessage);
        };
        hooks.TaskbarRecreated = [this] { AddTrayIcon(); };
        hooks.ReportFailure = [this](const std::exception& failure) { ReportFailure(failure); };
        return hooks;
    }

    // Binds the tray to the created window.
    void Attach(ui::TDialUpFrm& created)
    {
        window = &created;
        tray.emplace(created.TrayIconData);
        TTrayWindowActions actions;
        actions.IsShown = [this] { return window->Shown(); };
        actions.ShowModal = [this] { application.ShowModal(*window); };
        actions.Exit = [this] { window->E1Click(); };
        trayWindow = std::make_unique<TPlatformTrayWindow>(created.Handle(), std::move(actions));
    }

    app::TApplication& application;
    ui::TDialUpFrm* window = nullptr;
    std::unique_ptr<TWebBrowser> browser;
    std::optional<TTrayIcon> tray;
    std::unique_ptr<TPlatformTrayWindow> trayWindow;
};

void RunApplication()
{
    app::ComApartment com;
    app::TApplication application;
    application.SetTitle(L"");

    app::WinMessagePump pump(application);
    app::ProgramCore core(pump);
    ShellParts shell(application);

    {
        ui::TDialUpFrm window(core.Actions(), shell.Hooks());
        shell.Attach(window);
        application.SetMainWindow(window.Handle());
        shell.AddTrayIcon();
        application.ShowModal(window);
        application.Run();
        application.SetMainWindow(nullptr);
        shell.browser.reset();  // the browser goes while its host window exists
    }  // FormDestroy: the tray icon goes and the settings are written
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    lang::CreateLanguage();
    RunApplication();
    lang::DestroyLanguage();
    return 0;
}
