#pragma once
// The tray icon's menu: "显示主窗口(&S)" (N1) and "退出系统(&E)" (E1).

#include <windows.h>

#include "ui/GdiObject.h"

namespace ui {

enum class TrayMenuCommand : UINT {
    None = 0,  // closed without a choice
    // Command identifiers away from IDOK and IDCANCEL, which the dialog
    // keys (Enter, Esc) send to the window.
    ShowMainWindow = 200,  // N1
    Exit = 201,            // E1
};

class TrayPopupMenu {
public:
    TrayPopupMenu();  // throws ShellFailure when the menu cannot be made
    ~TrayPopupMenu();

    TrayPopupMenu(const TrayPopupMenu&) = delete;
    TrayPopupMenu& operator=(const TrayPopupMenu&) = delete;

    // Opens the menu with its top-left corner at the screen point (x, y),
    // either mouse button choosing, and returns the item chosen once the
    // menu has closed. owner should be in the foreground already, so that
    // a click elsewhere closes the menu.
    TrayMenuCommand TrackAt(HWND owner, int x, int y) const;

    HMENU Handle() const noexcept { return menu_; }

    // The flat look: the menu draws its items itself, in the system's
    // colours and the system's menu font, with a column of
    // kIconColumnWidth pixels for item icons at their left. The owner
    // window given to TrackAt then receives WM_MEASUREITEM, WM_DRAWITEM and
    // WM_MENUCHAR for the items and hands them to OwnerMessage.
    static constexpr int kIconColumnWidth = 24;
    void SetFlat(bool flat);
    bool Flat() const noexcept { return flat_; }

    // The owner's WM_MEASUREITEM, WM_DRAWITEM or WM_MENUCHAR: true when it
    // was about this menu's items and has been handled; result is then what
    // the owner's window procedure returns. An access key ("&S", "&E")
    // typed while the menu is open picks its item.
    bool OwnerMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) const;

private:
    void MeasureItem(MEASUREITEMSTRUCT& measure) const;
    void DrawItem(const DRAWITEMSTRUCT& draw) const;

    HMENU menu_;
    bool flat_ = false;
    FontHandle font_;  // the system's menu font, while flat
};

}  // namespace ui
