// The entry sequence: the text table first, the component object model on
// this thread, the window created hidden, the tray icon, the first modal
// showing, the main loop, and the end in reverse order.
#include <windows.h>

#include "app/Application.h"
#include "app/ComApartment.h"
#include "app/ProgramCore.h"
#include "app/SingleInstance.h"
#include "app/WinMessagePump.h"
#include "lang/LangUnit.h"
#include "ui/DialUpUnit.h"
#include "ui/shell/PlatformCalls.h"

namespace {

void RunApplication()
{
    app::ComApartment com;
    app::Application application;
    application.SetTitle(L"");

    app::WinMessagePump pump(application);
    app::ProgramCore core(pump);
    ui::SystemCalls system;

    {
        ui::TDialUpFrm window(core.Actions(), application, system);
        application.SetMainWindow(&window);
        core.AttachWindow(&window);
        window.AddTrayIcon();
        application.ShowModal(window);
        application.Run();
        core.AttachWindow(nullptr);
        application.SetMainWindow(nullptr);
    }  // FormDestroy: the tray icon goes and the settings are written
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    // Another Velmora runs from this folder: its window has been brought up.
    const std::optional<app::FolderClaim> folder = app::ClaimExeFolder();
    if (!folder) {
        return 0;
    }
    lang::CreateLanguage();
    RunApplication();
    lang::DestroyLanguage();
    return 0;
}
