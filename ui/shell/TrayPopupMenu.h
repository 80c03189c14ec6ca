#pragma once
// The tray icon's menu: "显示主窗口(&S)" (N1) and "退出系统(&E)" (E1).

#include <windows.h>

namespace ui {

enum class TTrayMenuCommand : UINT {
    None = 0,            // closed without a choice
    // Command identifiers away from IDOK and IDCANCEL, which the dialog
    // keys (Enter, Esc) send to the window.
    ShowMainWindow = 200,  // N1
    Exit = 201,            // E1
};

class TTrayPopupMenu {
public:
    TTrayPopupMenu();  // throws ShellFailure when the menu cannot be made
    ~TTrayPopupMenu();

    TTrayPopupMenu(const TTrayPopupMenu&) = delete;
    TTrayPopupMenu& operator=(const TTrayPopupMenu&) = delete;

    // Opens the menu with its top-left corner at the screen point (x, y),
    // either mouse button choosing, and returns the item chosen once the
    // menu has closed. owner should be in the foreground already, so that
    // a click elsewhere closes the menu.
    TTrayMenuCommand TrackAt(HWND owner, int x, int y) const;

    HMENU Handle() const noexcept { return menu_; }

private:
    HMENU menu_;
};

}  // namespace ui
