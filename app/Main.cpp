// The entry sequence: the text table first, the component object model on
// this thread, the window created hidden, the tray icon, the first modal
// showing, the main loop, and the end in reverse order.
#include <windows.h>

#include "app/Application.h"
#include "app/ComApartment.h"
#include "app/WinMessagePump.h"
#include "app/ProgramCore.h"
#include "lang/LangUnit.h"
#include "ui/DialUpUnit.h"

namespace {

// The shell side of the window (tray icon, browser, home page, error
// report) is bound here as it becomes available.
ui::DialUpHooks MainWindowHooks(app::TApplication& application)
{
    ui::DialUpHooks hooks;
    hooks.SetApplicationTitle = [&application](const std::wstring& title) { application.SetTitle(title); };
    return hooks;
}

void RunApplication()
{
    app::ComApartment com;
    app::TApplication application;
    application.SetTitle(L"");

    app::WinMessagePump pump(application);
    app::ProgramCore core(pump);

    {
        ui::TDialUpFrm window(core.Actions(), MainWindowHooks(application));
        application.SetMainWindow(window.Handle());
        application.ShowModal(window);
        application.Run();
        application.SetMainWindow(nullptr);
    }  // FormDestroy: the settings are written
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    lang::CreateLanguage();
    RunApplication();
    lang::DestroyLanguage();
    return 0;
}
