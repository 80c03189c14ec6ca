#include "app/Application.h"

namespace app {

void Application::Terminate()
{
    PostQuitMessage(0);
}

void Application::Deliver(MSG& message) const
{
    if (mainWindow_ && mainWindow_->PreTranslateMessage(message))
        return;
    if (mainWindow_ && mainWindow_->Shown() && IsDialogMessageW(mainWindow_->Handle(), &message))
        return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

int Application::ShowModal(ui::TDialUpFrm& window)
{
    window.ShowForModal();
    while (!terminated_ && window.ModalResult == ui::mrNone)
        TakeAndDeliver();
    if (terminated_)
        window.ModalResult = ui::mrCancel;
    const int result = window.ModalResult;
    window.HideAfterModal();
    return result;
}

void Application::Run()
{
    while (!terminated_)
        TakeAndDeliver();
}

void Application::TakeAndDeliver()
{
    MSG message;
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) {
        // A quit request is not delivered: it marks the application as
        // terminating, and the loops end.
        MarkTerminating();
        return;
    }
    Deliver(message);
}

}  // namespace app
