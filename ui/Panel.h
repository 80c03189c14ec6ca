// A plain child window that holds other widgets: the tab pages, the panels
// and the browser's place. It paints its colour and, when asked, a
// one-pixel raised outer and one-pixel lowered inner bevel, and hands its
// children's notifications on to the top-level window.
#pragma once

#include <windows.h>

namespace ui {

enum class PanelBevel { None, RaisedOuterLoweredInner };

struct PanelLook {
    HBRUSH background = nullptr;  // not owned
    PanelBevel bevel = PanelBevel::None;
};

// Registers the panel window class once per process.
void RegisterPanelClass();

// A visible panel; `look` must outlive it.
HWND CreatePanel(HWND parent, RECT bounds, const PanelLook* look, bool controlParent);

}  // namespace ui
