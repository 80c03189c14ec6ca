#pragma once
// ITrayWindow over a real window: the platform calls on its handle, the
// tray menu, and the window's own showing and exit through callbacks.

#include "ui/shell/TrayPopupMenu.h"
#include "ui/shell/TrayWindow.h"

#include <functional>

struct TTrayWindowActions {
    std::function<bool()> IsShown;
    std::function<void()> ShowModal;
    std::function<void()> Exit;  // E1Click of the window
};

class TPlatformTrayWindow final : public ITrayWindow {
public:
    // `menu` is the window's tray menu; it outlives this object.
    TPlatformTrayWindow(HWND window, const TTrayPopupMenu& menu, TTrayWindowActions actions);

    bool IsShown() const override;
    void SetActiveWindow() override;
    void SetForegroundWindow() override;
    void ShowModal() override;
    void GetCursorPos(int& x, int& y) override;
    // Opens the menu and runs N1Click or the exit action for the item chosen.
    void PopupMenuAt(int x, int y) override;

    const TTrayPopupMenu& PopupMenu() const noexcept { return menu_; }

private:
    HWND window_;
    TTrayWindowActions actions_;
    const TTrayPopupMenu& menu_;
};
