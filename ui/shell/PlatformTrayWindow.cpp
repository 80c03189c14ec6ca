#include "ui/shell/PlatformTrayWindow.h"

#include "ui/shell/TrayHandlers.h"

TPlatformTrayWindow::TPlatformTrayWindow(HWND window, const TTrayPopupMenu& menu, TTrayWindowActions actions)
    : window_(window), actions_(std::move(actions)), menu_(menu)
{
}

bool TPlatformTrayWindow::IsShown() const
{
    return actions_.IsShown();
}

void TPlatformTrayWindow::SetActiveWindow()
{
    ::SetActiveWindow(window_);
}

void TPlatformTrayWindow::SetForegroundWindow()
{
    ::SetForegroundWindow(window_);
}

void TPlatformTrayWindow::ShowModal()
{
    actions_.ShowModal();
}

void TPlatformTrayWindow::GetCursorPos(int& x, int& y)
{
    POINT p{};
    ::GetCursorPos(&p);
    x = p.x;
    y = p.y;
}

void TPlatformTrayWindow::PopupMenuAt(int x, int y)
{
    switch (menu_.TrackAt(window_, x, y)) {
    case TTrayMenuCommand::ShowMainWindow:
        N1Click(*this);
        break;
    case TTrayMenuCommand::Exit:
        actions_.Exit();
        break;
    case TTrayMenuCommand::None:
        break;
    }
}
