#include "app/Application.h"

namespace app {

void TApplication::Terminate()
{
    PostQuitMessage(0);
}

void TApplication::Deliver(MSG& message) const
{
    if (mainWindow_ && IsWindowVisible(mainWindow_) && IsDialogMessageW(mainWindow_, &message))
        return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

int TApplication::ShowModal(ui::TDialUpFrm& window)
{
    window.ShowForModal();
    while (!terminated_ && window.ModalResult == ui::mrNone) {
        MSG message;
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            MarkTerminating();
            break;
        }
        Deliver(message);
    }
    if (terminated_)
        window.ModalResult = ui::mrCancel;
    const int result = window.ModalResult;
    window.HideAfterModal();
    return result;
}

void TApplication::Run()
{
    while (!terminated_) {
        MSG message;
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            MarkTerminating();
            break;
        }
        Deliver(message);
    }
}

}  // namespace app
