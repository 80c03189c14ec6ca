#include "ui/shell/TrayHandlers.h"

void WMTrayIcon(ITrayWindow& window, WPARAM iconId, LPARAM mouseMessage)
{
    if (iconId != TrayIconId) {
        return;
    }
    if (mouseMessage == TrayDoubleClick) {
        if (window.IsShown()) {
            window.SetActiveWindow();
            window.SetForegroundWindow();
        } else {
            window.SetActiveWindow();
            window.ShowModal();
        }
    } else if (mouseMessage == TrayRightButtonUp) {
        window.SetForegroundWindow();
        int x = 0;
        int y = 0;
        window.GetCursorPos(x, y);
        window.PopupMenuAt(x, y);
    }
}

void N1Click(ITrayWindow& window)
{
    if (window.IsShown()) {
        window.SetActiveWindow();
        window.SetForegroundWindow();
    } else {
        window.ShowModal();
    }
}

void E1Click(TTrayIcon& icon, const std::function<void()>& terminate)
{
    icon.Remove();
    terminate();
}
