#include "ui/shell/TrayPopupMenu.h"

#include "ui/shell/ShellFailure.h"

namespace ui {

TTrayPopupMenu::TTrayPopupMenu() : menu_(CreatePopupMenu())
{
    if (!menu_) {
        throw ShellFailure(L"Cannot create the tray menu");
    }
    if (!AppendMenuW(menu_, MF_STRING, static_cast<UINT_PTR>(TTrayMenuCommand::ShowMainWindow),
                     L"显示主窗口(&S)") ||
        !AppendMenuW(menu_, MF_STRING, static_cast<UINT_PTR>(TTrayMenuCommand::Exit), L"退出系统(&E)")) {
        DestroyMenu(menu_);
        throw ShellFailure(L"Cannot fill the tray menu");
    }
}

TTrayPopupMenu::~TTrayPopupMenu()
{
    DestroyMenu(menu_);
}

TTrayMenuCommand TTrayPopupMenu::TrackAt(HWND owner, int x, int y) const
{
    const UINT chosen = static_cast<UINT>(TrackPopupMenu(
        menu_, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, x, y, 0, owner, nullptr));
    // Without a message after the menu, a second click on the icon would not
    // open it again (the platform's advice for menus of tray icons).
    PostMessageW(owner, WM_NULL, 0, 0);
    switch (chosen) {
    case static_cast<UINT>(TTrayMenuCommand::ShowMainWindow):
        return TTrayMenuCommand::ShowMainWindow;
    case static_cast<UINT>(TTrayMenuCommand::Exit):
        return TTrayMenuCommand::Exit;
    default:
        return TTrayMenuCommand::None;
    }
}

}  // namespace ui
