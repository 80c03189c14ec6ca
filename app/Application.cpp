#include "app/Application.h"

namespace app {

void TApplication::Terminate()
{
    PostQuitMessage(0);
}

void TApplication::Deliver(MSG& message) const
{
    if (preTranslate_ && preTranslate_(message))
        return;
    if (mainWindow_ && IsWindowVisible(mainWindow_) && IsDialogMessageW(mainWindow_, &message))
        return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

int TApplication::ShowModal(ui::TDialUpFrm& window)
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

void TApplication::Run()
{
    while (!terminated_)
        TakeAndDeliver();
}

void TApplication::TakeAndDeliver()
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
