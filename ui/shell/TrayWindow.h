#pragma once
// What the tray handlers need of the main window.

class ITrayWindow {
public:
    virtual ~ITrayWindow() = default;

    virtual bool IsShown() const = 0;
    virtual void SetActiveWindow() = 0;      // the platform call, with the window's handle
    virtual void SetForegroundWindow() = 0;  // the same
    // Shows the window modally; returns when that showing has ended.
    virtual void ShowModal() = 0;
    // The cursor's position in screen coordinates.
    virtual void GetCursorPos(int& x, int& y) = 0;
    // Opens the tray menu with its top-left corner at (x, y); the chosen
    // item's handler has run when this returns.
    virtual void PopupMenuAt(int x, int y) = 0;
};
