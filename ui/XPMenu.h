// The menu and control styling component. Switched on, it gives the popup
// menus it was handed and the standard controls of its owner window (edit
// boxes, combo boxes, the buttons of spin edits, check boxes, push buttons
// and panels) a flat look in the system's colours: a one-pixel frame in the
// button-shadow colour instead of the sunken edges, and menu items drawn
// with a 24-pixel column for item icons at their left. The owner window
// hands its WM_MEASUREITEM, WM_DRAWITEM and WM_MENUCHAR to OwnerMessage.
#pragma once

#include <windows.h>

#include <vector>

#include "ui/shell/TrayPopupMenu.h"

namespace ui {

class TXPMenu {
public:
    explicit TXPMenu(HWND owner);
    // Switches off: the controls get their own drawing back.
    ~TXPMenu();
    TXPMenu(const TXPMenu&) = delete;
    TXPMenu& operator=(const TXPMenu&) = delete;

    // A popup menu the owner opens; it must outlive the styler.
    void AddMenu(TrayPopupMenu& menu);

    // On: the menus and the owner's controls that exist now take the flat
    // look. Off: they get their own look back.
    void SetActive(bool active);
    bool Active() const { return active_; }

    // The owner's menu messages for the styled menus; see
    // TrayPopupMenu::OwnerMessage.
    bool OwnerMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) const;

private:
    enum class Kind { Edit, ComboBox, CheckBox, PushButton, UpDown, Panel };
    struct Styled {
        HWND window;
        Kind kind;
        LONG_PTR style;
        LONG_PTR exStyle;
    };
    static BOOL CALLBACK StyleChild(HWND child, LPARAM self);
    void Style(HWND control);
    void Unstyle(const Styled& styled);

    HWND owner_;
    std::vector<TrayPopupMenu*> menus_;
    std::vector<Styled> styled_;
    bool active_ = false;
};

// Draws a styled control's flat look into dc, as its painting does; for
// tests and WM_PRINTCLIENT.
void DrawFlatControl(HWND control, HDC dc);

}  // namespace ui
