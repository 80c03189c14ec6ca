#pragma once
// The application's main icon, for the tray and the window.

#include <windows.h>

namespace ui {

// MAINICON of the running executable at the system's standard size; the
// platform's generic application icon when the executable carries none.
// Shared icon: never destroyed.
HICON ApplicationIcon();

}  // namespace ui
