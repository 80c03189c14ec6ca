#include "ui/XPMenu.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "ui/Panel.h"
#include "ui/WindowText.h"

namespace ui {

namespace {

constexpr UINT_PTR kFlatSubclassId = 0x5850;  // 'XP'
// Names the painter of a styled control.
constexpr wchar_t kPainterProperty[] = L"VelmoraFlatPainter";
constexpr int kCheckBoxSize = 13;
constexpr int kCheckTextGap = 4;

enum class Painter : DWORD_PTR { Edit = 1, ComboBox, CheckBox, PushButton, UpDown };

LRESULT CALLBACK FlatProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR painter);

bool ClassIs(HWND window, const wchar_t* name)
{
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    return lstrcmpiW(className, name) == 0;
}

void Fill(HDC dc, const RECT& area, int colourIndex)
{
    FillRect(dc, &area, GetSysColorBrush(colourIndex));
}

void Frame(HDC dc, const RECT& area, int colourIndex)
{
    FrameRect(dc, &area, GetSysColorBrush(colourIndex));
}

// A small triangle pointing up or down, centred in area.
void DrawArrow(HDC dc, const RECT& area, bool up, int colourIndex)
{
    const int centreX = (area.left + area.right) / 2;
    const int centreY = (area.top + area.bottom) / 2;
    for (int row = 0; row < 4; ++row) {
        const int half = up ? row : 3 - row;
        const RECT line{centreX - half, centreY - 2 + row, centreX + half + 1, centreY - 1 + row};
        Fill(dc, line, colourIndex);
    }
}

RECT WindowArea(HWND window)
{
    RECT area;
    GetWindowRect(window, &area);
    OffsetRect(&area, -area.left, -area.top);
    return area;
}

// An edit box: a one-pixel frame in the shadow colour around its client
// area, in place of the sunken edge.
void PaintEditFrame(HWND window, HDC dc)
{
    Frame(dc, WindowArea(window), COLOR_BTNSHADOW);
}

// A drop-down list: the box framed like an edit box, its button flat.
void PaintComboBox(HWND window, HDC dc)
{
    RECT area;
    GetClientRect(window, &area);
    Frame(dc, area, COLOR_BTNSHADOW);
    RECT inner = area;
    InflateRect(&inner, -1, -1);
    Frame(dc, inner, COLOR_WINDOW);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (!GetComboBoxInfo(window, &info))
        return;
    RECT button = info.rcButton;
    button.top = inner.top;
    button.bottom = inner.bottom;
    button.right = inner.right;
    if (button.right <= button.left)
        return;
    const bool pressed = info.stateButton & STATE_SYSTEM_PRESSED;
    Fill(dc, button, pressed ? COLOR_BTNSHADOW : COLOR_BTNFACE);
    const RECT edge{button.left, button.top, button.left + 1, button.bottom};
    Fill(dc, edge, COLOR_BTNSHADOW);
    DrawArrow(dc, button, false, IsWindowEnabled(window) ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
}

UINT PrefixFormat(HWND window)
{
    const LRESULT state = SendMessageW(window, WM_QUERYUISTATE, 0, 0);
    return (state & UISF_HIDEACCEL) ? DT_HIDEPREFIX : 0;
}

bool ShowsFocus(HWND window)
{
    return GetFocus() == window && !(SendMessageW(window, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
}

// A check box: a flat box framed in the shadow colour with the tick in the
// window-text colour, the caption beside it in the colours its parent
// gives.
void PaintCheckBox(HWND window, HDC dc)
{
    RECT area;
    GetClientRect(window, &area);
    const HWND parent = GetParent(window);
    auto brush = reinterpret_cast<HBRUSH>(
        SendMessageW(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(window)));
    FillRect(dc, &area, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));

    const bool enabled = IsWindowEnabled(window);
    const LRESULT state = SendMessageW(window, BM_GETSTATE, 0, 0);
    const int top = (area.bottom - kCheckBoxSize) / 2;
    const RECT box{0, top, kCheckBoxSize, top + kCheckBoxSize};
    Fill(dc, box, (state & BST_PUSHED) || !enabled ? COLOR_BTNFACE : COLOR_WINDOW);
    Frame(dc, box, COLOR_BTNSHADOW);
    if (state & BST_CHECKED) {
        // A tick two pixels thick: down to the right, then up to the right.
        const int tick = enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT;
        for (int step = 0; step < 7; ++step) {
            const int x = box.left + 3 + step;
            const int y = step < 3 ? box.top + 5 + step : box.top + 7 - (step - 2);
            const RECT dot{x, y, x + 1, y + 3};
            Fill(dc, dot, tick);
        }
    }

    RECT text = area;
    text.left = kCheckBoxSize + kCheckTextGap;
    const std::wstring caption = WindowText(window);
    const HGDIOBJ previousFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
    const int previousMode = SetBkMode(dc, TRANSPARENT);
    if (!enabled)
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    const UINT format = DT_LEFT | DT_VCENTER | DT_SINGLELINE | PrefixFormat(window);
    DrawTextW(dc, caption.c_str(), -1, &text, format);
    if (ShowsFocus(window)) {
        RECT focus = text;
        DrawTextW(dc, caption.c_str(), -1, &focus, format | DT_CALCRECT);
        focus.top = text.top + (text.bottom - text.top - (focus.bottom - focus.top)) / 2;
        focus.bottom = focus.top + (focus.bottom - focus.top);
        InflateRect(&focus, 1, 0);
        DrawFocusRect(dc, &focus);
    }
    SetBkMode(dc, previousMode);
    SelectObject(dc, previousFont);
}

// A push button: flat in the button-face colour, framed in the shadow
// colour; pressed, it takes the shadow colour.
void PaintPushButton(HWND window, HDC dc)
{
    RECT area;
    GetClientRect(window, &area);
    const bool pressed = SendMessageW(window, BM_GETSTATE, 0, 0) & BST_PUSHED;
    Fill(dc, area, pressed ? COLOR_BTNSHADOW : COLOR_BTNFACE);
    Frame(dc, area, COLOR_BTNSHADOW);
    const HGDIOBJ previousFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
    const int previousMode = SetBkMode(dc, TRANSPARENT);
    const int colour = !IsWindowEnabled(window) ? COLOR_GRAYTEXT : pressed ? COLOR_BTNHIGHLIGHT : COLOR_BTNTEXT;
    const COLORREF previousColour = SetTextColor(dc, GetSysColor(colour));
    const std::wstring caption = WindowText(window);
    RECT text = area;
    DrawTextW(dc, caption.c_str(), -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | PrefixFormat(window));
    if (ShowsFocus(window)) {
        RECT focus = area;
        InflateRect(&focus, -3, -3);
        DrawFocusRect(dc, &focus);
    }
    SetTextColor(dc, previousColour);
    SetBkMode(dc, previousMode);
    SelectObject(dc, previousFont);
}

// The up and down buttons of a spin edit: two flat halves, each framed in
// the shadow colour; the half held down takes the shadow colour.
void PaintUpDown(HWND window, HDC dc)
{
    RECT area;
    GetClientRect(window, &area);
    const int middle = (area.top + area.bottom) / 2;
    const RECT halves[2] = {{area.left, area.top, area.right, middle}, {area.left, middle, area.right, area.bottom}};
    POINT cursor{};
    GetCursorPos(&cursor);
    ScreenToClient(window, &cursor);
    const bool held = GetCapture() == window && GetKeyState(VK_LBUTTON) < 0;
    const bool enabled = IsWindowEnabled(window);
    for (int half = 0; half < 2; ++half) {
        const bool down = held && PtInRect(&halves[half], cursor);
        Fill(dc, halves[half], down ? COLOR_BTNSHADOW : COLOR_BTNFACE);
        Frame(dc, halves[half], COLOR_BTNSHADOW);
        DrawArrow(dc, halves[half], half == 0, !enabled ? COLOR_GRAYTEXT : down ? COLOR_BTNHIGHLIGHT : COLOR_BTNTEXT);
    }
}

void Paint(Painter painter, HWND window, HDC dc)
{
    switch (painter) {
    case Painter::Edit:
        PaintEditFrame(window, dc);
        break;
    case Painter::ComboBox:
        PaintComboBox(window, dc);
        break;
    case Painter::CheckBox:
        PaintCheckBox(window, dc);
        break;
    case Painter::PushButton:
        PaintPushButton(window, dc);
        break;
    case Painter::UpDown:
        PaintUpDown(window, dc);
        break;
    }
}

void PaintNow(Painter painter, HWND window)
{
    if (!IsWindowVisible(window))
        return;
    if (HDC dc = GetDC(window)) {
        Paint(painter, window, dc);
        ReleaseDC(window, dc);
    }
}

// Messages after which a button has drawn a new state of its own: the flat
// look is drawn over it at once.
bool ChangesButtonState(UINT message)
{
    switch (message) {
    case BM_SETCHECK:
    case BM_SETSTATE:
    case BM_CLICK:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_SETTEXT:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_MOUSEMOVE:
    case WM_MOUSELEAVE:
    case WM_CAPTURECHANGED:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_UPDATEUISTATE:
        return true;
    default:
        return false;
    }
}

LRESULT CALLBACK FlatProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
{
    const auto painter = static_cast<Painter>(data);
    switch (message) {
    case WM_NCDESTROY:
        RemoveWindowSubclass(window, FlatProc, kFlatSubclassId);
        RemovePropW(window, kPainterProperty);
        break;
    case WM_NCPAINT:
        if (painter == Painter::Edit) {
            if (HDC dc = GetWindowDC(window)) {
                PaintEditFrame(window, dc);
                ReleaseDC(window, dc);
            }
            return 0;
        }
        break;
    case WM_PRINT:
        if (painter == Painter::Edit) {
            const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
            if (lParam & PRF_NONCLIENT)
                PaintEditFrame(window, reinterpret_cast<HDC>(wParam));
            return result;
        }
        break;
    case WM_PAINT:
        if (painter == Painter::ComboBox) {
            const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
            PaintNow(painter, window);
            return result;
        }
        if (painter != Painter::Edit) {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            Paint(painter, window, dc);
            EndPaint(window, &paint);
            return 0;
        }
        break;
    case WM_PRINTCLIENT:
        if (painter != Painter::Edit) {
            if (painter == Painter::ComboBox)
                DefSubclassProc(window, message, wParam, lParam);
            Paint(painter, window, reinterpret_cast<HDC>(wParam));
            return 0;
        }
        break;
    case WM_ERASEBKGND:
        if (painter == Painter::CheckBox || painter == Painter::PushButton || painter == Painter::UpDown)
            return TRUE;
        break;
    default:
        if ((painter == Painter::CheckBox || painter == Painter::PushButton) && ChangesButtonState(message)) {
            const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
            if (IsWindow(window))
                PaintNow(painter, window);
            return result;
        }
        if ((painter == Painter::ComboBox &&
             (message == WM_SETFOCUS || message == WM_KILLFOCUS || message == WM_LBUTTONDOWN ||
              message == WM_LBUTTONUP || message == WM_ENABLE)) ||
            (painter == Painter::UpDown && (message == WM_LBUTTONDOWN || message == WM_LBUTTONUP ||
                                            message == WM_CAPTURECHANGED || message == WM_ENABLE))) {
            const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
            if (IsWindow(window))
                PaintNow(painter, window);
            return result;
        }
        break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace

TXPMenu::TXPMenu(HWND owner) : owner_(owner) {}

TXPMenu::~TXPMenu()
{
    SetActive(false);
}

void TXPMenu::AddMenu(TrayPopupMenu& menu)
{
    menus_.push_back(&menu);
    if (active_)
        menu.SetFlat(true);
}

void TXPMenu::SetActive(bool active)
{
    if (active == active_)
        return;
    active_ = active;
    for (TrayPopupMenu* menu : menus_)
        menu->SetFlat(active);
    if (active) {
        EnumChildWindows(owner_, StyleChild, reinterpret_cast<LPARAM>(this));
    } else {
        for (const Styled& styled : styled_)
            Unstyle(styled);
        styled_.clear();
    }
}

bool TXPMenu::OwnerMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) const
{
    return std::any_of(menus_.begin(), menus_.end(),
                       [&](const TrayPopupMenu* menu) { return menu->OwnerMessage(message, wParam, lParam, result); });
}

BOOL CALLBACK TXPMenu::StyleChild(HWND child, LPARAM self)
{
    reinterpret_cast<TXPMenu*>(self)->Style(child);
    return TRUE;
}

void TXPMenu::Style(HWND control)
{
    const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
    const LONG_PTR exStyle = GetWindowLongPtrW(control, GWL_EXSTYLE);
    Kind kind;
    Painter painter = Painter::Edit;
    if (ClassIs(control, L"Edit")) {
        if (!(exStyle & WS_EX_CLIENTEDGE) && !(style & WS_BORDER))
            return;
        kind = Kind::Edit;
    } else if (ClassIs(control, WC_COMBOBOXW)) {
        kind = Kind::ComboBox;
        painter = Painter::ComboBox;
    } else if (ClassIs(control, L"Button")) {
        const LONG_PTR type = style & BS_TYPEMASK;
        if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX) {
            kind = Kind::CheckBox;
            painter = Painter::CheckBox;
        } else if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
            kind = Kind::PushButton;
            painter = Painter::PushButton;
        } else {
            return;
        }
    } else if (ClassIs(control, UPDOWN_CLASSW)) {
        kind = Kind::UpDown;
        painter = Painter::UpDown;
    } else if (SetPanelFlat(control, true)) {
        styled_.push_back(Styled{control, Kind::Panel, style, exStyle});
        return;
    } else {
        return;
    }
    styled_.push_back(Styled{control, kind, style, exStyle});
    if (kind == Kind::Edit) {
        // One pixel of frame, drawn in WM_NCPAINT, instead of the two of
        // the sunken edge; the box keeps its place and size.
        SetWindowLongPtrW(control, GWL_EXSTYLE, exStyle & ~static_cast<LONG_PTR>(WS_EX_CLIENTEDGE));
        SetWindowLongPtrW(control, GWL_STYLE, style | WS_BORDER);
    }
    SetPropW(control, kPainterProperty, reinterpret_cast<HANDLE>(static_cast<DWORD_PTR>(painter)));
    SetWindowSubclass(control, FlatProc, kFlatSubclassId, static_cast<DWORD_PTR>(painter));
    SetWindowPos(control, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    InvalidateRect(control, nullptr, TRUE);
}

void TXPMenu::Unstyle(const Styled& styled)
{
    if (!IsWindow(styled.window))
        return;
    if (styled.kind == Kind::Panel) {
        SetPanelFlat(styled.window, false);
        return;
    }
    RemoveWindowSubclass(styled.window, FlatProc, kFlatSubclassId);
    RemovePropW(styled.window, kPainterProperty);
    if (styled.kind == Kind::Edit) {
        SetWindowLongPtrW(styled.window, GWL_EXSTYLE, styled.exStyle);
        SetWindowLongPtrW(styled.window, GWL_STYLE, styled.style);
    }
    SetWindowPos(styled.window, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    InvalidateRect(styled.window, nullptr, TRUE);
}

void DrawFlatControl(HWND control, HDC dc)
{
    const auto painter = reinterpret_cast<DWORD_PTR>(GetPropW(control, kPainterProperty));
    if (painter != 0)
        Paint(static_cast<Painter>(painter), control, dc);
    else
        SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
}

}  // namespace ui
