#include "ui/Panel.h"

#include "ui/WindowClass.h"

namespace ui {

namespace {

constexpr wchar_t kPanelClass[] = L"VelmoraPanel";
// Marks a panel drawn in the flat look.
constexpr wchar_t kFlatProperty[] = L"VelmoraPanelFlat";

// The messages a child sends to its parent about itself; the top-level
// window handles them all in one place.
bool IsForwardedToTopLevel(UINT message)
{
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
        return true;
    default:
        return false;
    }
}

void DrawLine(HDC dc, int left, int top, int right, int bottom, int colourIndex)
{
    RECT line{left, top, right, bottom};
    FillRect(dc, &line, GetSysColorBrush(colourIndex));
}

// Outer bevel raised (light top-left, shadow bottom-right), inner bevel
// lowered (the reverse), one pixel each.
void DrawBevel(HDC dc, const RECT& client)
{
    const int l = client.left, t = client.top, r = client.right, b = client.bottom;
    DrawLine(dc, l, t, r, t + 1, COLOR_BTNHIGHLIGHT);
    DrawLine(dc, l, t, l + 1, b, COLOR_BTNHIGHLIGHT);
    DrawLine(dc, l, b - 1, r, b, COLOR_BTNSHADOW);
    DrawLine(dc, r - 1, t, r, b, COLOR_BTNSHADOW);
    DrawLine(dc, l + 1, t + 1, r - 1, t + 2, COLOR_BTNSHADOW);
    DrawLine(dc, l + 1, t + 1, l + 2, b - 1, COLOR_BTNSHADOW);
    DrawLine(dc, l + 1, b - 2, r - 1, b - 1, COLOR_BTNHIGHLIGHT);
    DrawLine(dc, r - 2, t + 1, r - 1, b - 1, COLOR_BTNHIGHLIGHT);
}

void PaintPanel(HWND window, HDC dc, const PanelLook& look, bool background)
{
    RECT client;
    GetClientRect(window, &client);
    if (background)
        FillRect(dc, &client, look.background ? look.background : GetSysColorBrush(COLOR_BTNFACE));
    if (look.bevel != PanelBevel::RaisedOuterLoweredInner)
        return;
    if (GetPropW(window, kFlatProperty))
        FrameRect(dc, &client, GetSysColorBrush(COLOR_BTNSHADOW));
    else
        DrawBevel(dc, client);
}

LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const auto* look = reinterpret_cast<const PanelLook*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    } else if (IsForwardedToTopLevel(message)) {
        return SendMessageW(GetAncestor(window, GA_ROOT), message, wParam, lParam);
    } else if (message == WM_ERASEBKGND && look) {
        RECT client;
        GetClientRect(window, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client,
                 look->background ? look->background : GetSysColorBrush(COLOR_BTNFACE));
        return TRUE;
    } else if (message == WM_PAINT && look) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        PaintPanel(window, dc, *look, false);
        EndPaint(window, &paint);
        return 0;
    } else if (message == WM_PRINTCLIENT && look) {
        PaintPanel(window, reinterpret_cast<HDC>(wParam), *look, true);
        return 0;
    } else if (message == WM_NCDESTROY) {
        RemovePropW(window, kFlatProperty);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

void RegisterPanelClass()
{
    RegisterWindowClassOnce(kPanelClass, PanelProc, LoadCursorW(nullptr, IDC_ARROW));
}

HWND CreatePanel(HWND parent, RECT bounds, const PanelLook* look, bool controlParent)
{
    return CreateWindowExW(controlParent ? WS_EX_CONTROLPARENT : 0, kPanelClass, L"",
                           WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, bounds.left, bounds.top, bounds.right - bounds.left,
                           bounds.bottom - bounds.top, parent, nullptr, GetModuleHandleW(nullptr),
                           const_cast<PanelLook*>(look));
}

bool SetPanelFlat(HWND window, bool flat)
{
    wchar_t className[32] = {};
    GetClassNameW(window, className, 32);
    if (lstrcmpW(className, kPanelClass) != 0)
        return false;
    if (flat)
        SetPropW(window, kFlatProperty, reinterpret_cast<HANDLE>(1));
    else
        RemovePropW(window, kFlatProperty);
    InvalidateRect(window, nullptr, TRUE);
    return true;
}

}  // namespace ui
