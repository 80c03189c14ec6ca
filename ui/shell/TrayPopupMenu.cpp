#include "ui/shell/TrayPopupMenu.h"

#include <cwctype>
#include <iterator>

#include "ui/shell/ShellFailure.h"

namespace ui {

namespace {

struct MenuItem {
    TrayMenuCommand command;
    const wchar_t* text;
};

constexpr MenuItem kItems[] = {
    {TrayMenuCommand::ShowMainWindow, L"显示主窗口(&S)"},
    {TrayMenuCommand::Exit, L"退出系统(&E)"},
};

// Room around an item's text in the flat look.
constexpr int kTextGap = 8;    // between the icon column and the text
constexpr int kRightGap = 16;  // after the text
constexpr int kMinItemHeight = 22;
constexpr UINT kTextFormat = DT_LEFT | DT_VCENTER | DT_SINGLELINE;

const MenuItem* ItemFor(UINT id)
{
    for (const MenuItem& item : kItems) {
        if (static_cast<UINT>(item.command) == id)
            return &item;
    }
    return nullptr;
}

// The character after the single "&" of an item's text, 0 when none.
wchar_t AccessKey(const wchar_t* text)
{
    for (const wchar_t* p = text; *p; ++p) {
        if (*p == L'&') {
            if (p[1] != L'&')
                return p[1];
            ++p;
        }
    }
    return 0;
}

FontHandle MenuFont()
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        return FontHandle(CreateFontIndirectW(&metrics.lfMenuFont));
    return nullptr;
}

}  // namespace

TrayPopupMenu::TrayPopupMenu() : menu_(CreatePopupMenu())
{
    if (!menu_) {
        throw ShellFailure(L"Cannot create the tray menu");
    }
    for (const MenuItem& item : kItems) {
        if (!AppendMenuW(menu_, MF_STRING, static_cast<UINT_PTR>(item.command), item.text)) {
            DestroyMenu(menu_);
            throw ShellFailure(L"Cannot fill the tray menu");
        }
    }
}

TrayPopupMenu::~TrayPopupMenu()
{
    DestroyMenu(menu_);
}

TrayMenuCommand TrayPopupMenu::TrackAt(HWND owner, int x, int y) const
{
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenu(menu_, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, x, y, 0, owner, nullptr));
    // Without a message after the menu, a second click on the icon would not
    // open it again (the platform's advice for menus of tray icons).
    PostMessageW(owner, WM_NULL, 0, 0);
    switch (chosen) {
    case static_cast<UINT>(TrayMenuCommand::ShowMainWindow):
        return TrayMenuCommand::ShowMainWindow;
    case static_cast<UINT>(TrayMenuCommand::Exit):
        return TrayMenuCommand::Exit;
    default:
        return TrayMenuCommand::None;
    }
}

void TrayPopupMenu::SetFlat(bool flat)
{
    font_ = flat ? MenuFont() : nullptr;
    flat_ = flat;
    // The items keep their texts; only their drawing changes hands. Their
    // data names this menu, so that the owner can tell its items apart.
    for (const MenuItem& item : kItems) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_DATA;
        info.fType = flat ? MFT_OWNERDRAW : MFT_STRING;
        info.dwItemData = flat ? reinterpret_cast<ULONG_PTR>(this) : 0;
        SetMenuItemInfoW(menu_, static_cast<UINT>(item.command), FALSE, &info);
    }
    MENUINFO background{};
    background.cbSize = sizeof background;
    background.fMask = MIM_BACKGROUND;
    background.hbrBack = flat ? GetSysColorBrush(COLOR_WINDOW) : nullptr;
    SetMenuInfo(menu_, &background);
}

bool TrayPopupMenu::OwnerMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) const
{
    if (!flat_)
        return false;
    switch (message) {
    case WM_MEASUREITEM: {
        auto& measure = *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (measure.CtlType != ODT_MENU || measure.itemData != reinterpret_cast<ULONG_PTR>(this))
            return false;
        MeasureItem(measure);
        result = TRUE;
        return true;
    }
    case WM_DRAWITEM: {
        const auto& draw = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (draw.CtlType != ODT_MENU || reinterpret_cast<HMENU>(draw.hwndItem) != menu_)
            return false;
        DrawItem(draw);
        result = TRUE;
        return true;
    }
    case WM_MENUCHAR: {
        if (reinterpret_cast<HMENU>(lParam) != menu_)
            return false;
        // Owner-drawn items have no access keys of the system's: the menu
        // finds the item whose key was typed.
        const wchar_t typed = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(LOWORD(wParam))));
        result = MAKELRESULT(0, MNC_IGNORE);
        for (std::size_t index = 0; index < std::size(kItems); ++index) {
            const wchar_t key = AccessKey(kItems[index].text);
            if (key != 0 && static_cast<wchar_t>(std::towupper(static_cast<wint_t>(key))) == typed) {
                result = MAKELRESULT(index, MNC_EXECUTE);
                break;
            }
        }
        return true;
    }
    default:
        return false;
    }
}

void TrayPopupMenu::MeasureItem(MEASUREITEMSTRUCT& measure) const
{
    const MenuItem* item = ItemFor(measure.itemID);
    RECT text{0, 0, 0, 0};
    if (HDC dc = GetDC(nullptr)) {
        const HGDIOBJ previous = SelectObject(dc, font_ ? font_.get() : GetStockObject(DEFAULT_GUI_FONT));
        if (item)
            DrawTextW(dc, item->text, -1, &text, kTextFormat | DT_CALCRECT);
        SelectObject(dc, previous);
        ReleaseDC(nullptr, dc);
    }
    measure.itemWidth = static_cast<UINT>(kIconColumnWidth + kTextGap + (text.right - text.left) + kRightGap);
    const int height = (text.bottom - text.top) + 8;
    measure.itemHeight = static_cast<UINT>(height > kMinItemHeight ? height : kMinItemHeight);
}

void TrayPopupMenu::DrawItem(const DRAWITEMSTRUCT& draw) const
{
    const bool selected = (draw.itemState & ODS_SELECTED) != 0;
    const bool disabled = (draw.itemState & (ODS_DISABLED | ODS_GRAYED)) != 0;
    RECT column = draw.rcItem;
    column.right = column.left + kIconColumnWidth;
    RECT body = draw.rcItem;
    body.left = column.right;
    if (selected) {
        FillRect(draw.hDC, &draw.rcItem, GetSysColorBrush(COLOR_HIGHLIGHT));
    } else {
        FillRect(draw.hDC, &column, GetSysColorBrush(COLOR_BTNFACE));
        FillRect(draw.hDC, &body, GetSysColorBrush(COLOR_WINDOW));
    }
    const MenuItem* item = ItemFor(draw.itemID);
    if (!item)
        return;
    const int colour = disabled ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT;
    const COLORREF previousColour = SetTextColor(draw.hDC, GetSysColor(colour));
    const int previousMode = SetBkMode(draw.hDC, TRANSPARENT);
    const HGDIOBJ previousFont = SelectObject(draw.hDC, font_ ? font_.get() : GetStockObject(DEFAULT_GUI_FONT));
    RECT text = body;
    text.left += kTextGap;
    DrawTextW(draw.hDC, item->text, -1, &text, kTextFormat | ((draw.itemState & ODS_NOACCEL) ? DT_HIDEPREFIX : 0));
    SelectObject(draw.hDC, previousFont);
    SetBkMode(draw.hDC, previousMode);
    SetTextColor(draw.hDC, previousColour);
}

}  // namespace ui
