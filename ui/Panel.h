// A plain child window that holds other widgets: the tab pages, the panels
// and the browser's place. It paints its colour and, when asked, a
// one-pixel raised outer and one-pixel lowered inner bevel (or, in the flat
// look, a one-pixel frame), and hands its
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

// The flat look of the styling component: a bevelled panel draws a
// one-pixel frame in the button-shadow colour instead of its bevels.
// False, and nothing changes, when `window` is no panel.
bool SetPanelFlat(HWND window, bool flat);

}  // namespace ui
