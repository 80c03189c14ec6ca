// The tray menu under the platform's own menu loop, driven by keys, and
// its flat look: the items measured and drawn by the menu itself.

#include "ui/shell/TrayPopupMenu.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using ui::TrayMenuCommand;
using ui::TrayPopupMenu;

struct Key {
    UINT message;  // WM_KEYDOWN or WM_CHAR
    WPARAM code;
};

std::vector<Key> g_keys;
HWND g_keyTarget = nullptr;

// Once the menu loop runs, feed it the keys one per timer tick.
void CALLBACK FeedKey(HWND, UINT, UINT_PTR timer, DWORD)
{
    if (g_keys.empty()) {
        KillTimer(nullptr, timer);
        return;
    }
    PostMessageW(g_keyTarget, g_keys.front().message, g_keys.front().code, 0);
    g_keys.erase(g_keys.begin());
}

// The owner of the open menu: it hands the menu's owner messages to the
// menu, as the main window does, and notes what the menu loop asked.
const TrayPopupMenu* g_ownedMenu = nullptr;
std::vector<UINT> g_measuredWidths;
int g_drawnItems = 0;

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (g_ownedMenu && g_ownedMenu->OwnerMessage(message, wParam, lParam, result)) {
        if (message == WM_MEASUREITEM)
            g_measuredWidths.push_back(reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam)->itemWidth);
        if (message == WM_DRAWITEM)
            ++g_drawnItems;
        return result;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class TrayPopupMenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = OwnerProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"VelmoraMenuOwnerTest";
        RegisterClassW(&windowClass);
        window_ = CreateWindowExW(0, L"VelmoraMenuOwnerTest", L"owner", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(window_, nullptr);
        g_keyTarget = window_;
        g_measuredWidths.clear();
        g_drawnItems = 0;
    }
    void TearDown() override
    {
        g_ownedMenu = nullptr;
        DestroyWindow(window_);
    }

    void PressDuringMenu(std::vector<WPARAM> keys)
    {
        g_keys.clear();
        for (WPARAM key : keys)
            g_keys.push_back({WM_KEYDOWN, key});
        SetTimer(nullptr, 0, 50, FeedKey);
    }

    HWND window_ = nullptr;
};

std::wstring ItemText(HMENU menu, int position)
{
    wchar_t text[64] = {};
    GetMenuStringW(menu, static_cast<UINT>(position), text, 64, MF_BYPOSITION);
    return text;
}

UINT ItemType(HMENU menu, int position)
{
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE;
    GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info);
    return info.fType;
}

ULONG_PTR ItemData(HMENU menu, int position)
{
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_DATA;
    GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info);
    return info.dwItemData;
}

// The width of an item's text in the system's menu font.
int MenuTextWidth(const wchar_t* text)
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    HFONT font = CreateFontIndirectW(&metrics.lfMenuFont);
    HDC dc = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, font);
    RECT bounds{0, 0, 0, 0};
    DrawTextW(dc, text, -1, &bounds, DT_SINGLELINE | DT_CALCRECT);
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    DeleteObject(font);
    return bounds.right - bounds.left;
}

// A memory picture of one drawn item.
class ItemPicture {
public:
    ItemPicture(int width, int height) : width_(width), height_(height)
    {
        HDC screen = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen);
        bitmap_ = CreateCompatibleBitmap(screen, width, height);
        ReleaseDC(nullptr, screen);
        previous_ = SelectObject(dc_, bitmap_);
        RECT all{0, 0, width, height};
        FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    ~ItemPicture()
    {
        SelectObject(dc_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC Dc() const { return dc_; }
    COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }
    int Count(COLORREF colour, int fromX, int toX) const
    {
        int count = 0;
        for (int y = 0; y < height_; ++y)
            for (int x = fromX; x < toX; ++x)
                count += At(x, y) == colour;
        return count;
    }

private:
    int width_, height_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ previous_;
};

bool DrawItem(const TrayPopupMenu& menu, TrayMenuCommand item, UINT state, const ItemPicture& picture, int width,
              int height)
{
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_MENU;
    draw.itemID = static_cast<UINT>(item);
    draw.itemAction = ODA_DRAWENTIRE;
    draw.itemState = state;
    draw.hwndItem = reinterpret_cast<HWND>(menu.Handle());
    draw.hDC = picture.Dc();
    draw.rcItem = RECT{0, 0, width, height};
    draw.itemData = ItemData(menu.Handle(), item == TrayMenuCommand::Exit ? 1 : 0);
    LRESULT result = 0;
    return menu.OwnerMessage(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw), result) && result == TRUE;
}

TEST_F(TrayPopupMenuTest, HoldsShowThenExit)
{
    TrayPopupMenu menu;
    ASSERT_EQ(GetMenuItemCount(menu.Handle()), 2);
    EXPECT_EQ(ItemText(menu.Handle(), 0), L"显示主窗口(&S)");
    EXPECT_EQ(GetMenuItemID(menu.Handle(), 0), static_cast<UINT>(TrayMenuCommand::ShowMainWindow));
    EXPECT_EQ(ItemText(menu.Handle(), 1), L"退出系统(&E)");
    EXPECT_EQ(GetMenuItemID(menu.Handle(), 1), static_cast<UINT>(TrayMenuCommand::Exit));
}

TEST_F(TrayPopupMenuTest, ReturnsTheItemChosenAndPostsANullMessage)
{
    TrayPopupMenu menu;
    PressDuringMenu({VK_DOWN, VK_DOWN, VK_RETURN});
    EXPECT_EQ(menu.TrackAt(window_, 200, 200), TrayMenuCommand::Exit);

    MSG message;
    EXPECT_TRUE(PeekMessageW(&message, window_, WM_NULL, WM_NULL, PM_REMOVE));
}

TEST_F(TrayPopupMenuTest, ClosedWithoutChoiceReturnsNone)
{
    TrayPopupMenu menu;
    PressDuringMenu({VK_ESCAPE});
    EXPECT_EQ(menu.TrackAt(window_, 200, 200), TrayMenuCommand::None);
}

TEST_F(TrayPopupMenuTest, FlatItemsAreOwnerDrawnAndKeepTheirTexts)
{
    TrayPopupMenu menu;
    menu.SetFlat(true);
    for (int position : {0, 1})
        EXPECT_TRUE(ItemType(menu.Handle(), position) & MFT_OWNERDRAW) << position;
    EXPECT_EQ(ItemText(menu.Handle(), 0), L"显示主窗口(&S)");
    EXPECT_EQ(ItemText(menu.Handle(), 1), L"退出系统(&E)");

    menu.SetFlat(false);
    for (int position : {0, 1})
        EXPECT_FALSE(ItemType(menu.Handle(), position) & MFT_OWNERDRAW) << position;
    LRESULT result = 0;
    MEASUREITEMSTRUCT measure{ODT_MENU, 0, static_cast<UINT>(TrayMenuCommand::Exit), 0, 0, 0};
    EXPECT_FALSE(menu.OwnerMessage(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure), result));
}

TEST_F(TrayPopupMenuTest, TheMeasuredWidthHoldsTheIconColumnBesideTheText)
{
    TrayPopupMenu menu;
    menu.SetFlat(true);
    const struct {
        int position;
        TrayMenuCommand item;
        const wchar_t* text;
    } cases[] = {{0, TrayMenuCommand::ShowMainWindow, L"显示主窗口(&S)"}, {1, TrayMenuCommand::Exit, L"退出系统(&E)"}};
    for (const auto& item : cases) {
        MEASUREITEMSTRUCT measure{};
        measure.CtlType = ODT_MENU;
        measure.itemID = static_cast<UINT>(item.item);
        measure.itemData = ItemData(menu.Handle(), item.position);
        LRESULT result = 0;
        ASSERT_TRUE(menu.OwnerMessage(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure), result));
        EXPECT_EQ(result, TRUE);
        const int text = MenuTextWidth(item.text);
        EXPECT_GT(text, 0);
        EXPECT_GE(static_cast<int>(measure.itemWidth), TrayPopupMenu::kIconColumnWidth + text) << item.position;
        EXPECT_LE(static_cast<int>(measure.itemWidth), TrayPopupMenu::kIconColumnWidth + text + 32) << item.position;
        EXPECT_GE(measure.itemHeight, 16u);
    }
    // Another menu's items are not this menu's to measure.
    MEASUREITEMSTRUCT other{ODT_MENU, 0, static_cast<UINT>(TrayMenuCommand::Exit), 0, 0, 12345};
    LRESULT result = 0;
    EXPECT_FALSE(menu.OwnerMessage(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&other), result));
}

TEST_F(TrayPopupMenuTest, AnItemIsDrawnInTheHighlightWhenSelectedAndInTheTextColourOtherwise)
{
    TrayPopupMenu menu;
    menu.SetFlat(true);
    constexpr int width = 160, height = 22;
    const int column = TrayPopupMenu::kIconColumnWidth;

    ItemPicture plain(width, height);
    ASSERT_TRUE(DrawItem(menu, TrayMenuCommand::Exit, 0, plain, width, height));
    EXPECT_EQ(plain.At(2, 2), GetSysColor(COLOR_BTNFACE));  // the icon column
    EXPECT_EQ(plain.At(column - 1, height - 1), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(plain.At(width - 2, 2), GetSysColor(COLOR_WINDOW));  // beside the text
    EXPECT_GT(plain.Count(GetSysColor(COLOR_MENUTEXT), column, width), 10);
    EXPECT_EQ(plain.Count(GetSysColor(COLOR_MENUTEXT), 0, column), 0);  // the text is right of the column

    ItemPicture selected(width, height);
    ASSERT_TRUE(DrawItem(menu, TrayMenuCommand::Exit, ODS_SELECTED, selected, width, height));
    EXPECT_EQ(selected.At(2, 2), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(selected.At(width - 2, 2), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_GT(selected.Count(GetSysColor(COLOR_HIGHLIGHTTEXT), column, width), 10);
    EXPECT_EQ(selected.Count(GetSysColor(COLOR_MENUTEXT), column, width), 0);
}

TEST_F(TrayPopupMenuTest, AnAccessKeyPicksItsFlatItem)
{
    TrayPopupMenu menu;
    menu.SetFlat(true);
    const HMENU handle = menu.Handle();
    const struct {
        wchar_t typed;
        LRESULT expected;
    } cases[] = {
        {L's', MAKELRESULT(0, MNC_EXECUTE)}, {L'S', MAKELRESULT(0, MNC_EXECUTE)}, {L'e', MAKELRESULT(1, MNC_EXECUTE)},
        {L'E', MAKELRESULT(1, MNC_EXECUTE)}, {L'x', MAKELRESULT(0, MNC_IGNORE)},
    };
    for (const auto& key : cases) {
        LRESULT result = -1;
        ASSERT_TRUE(
            menu.OwnerMessage(WM_MENUCHAR, MAKEWPARAM(key.typed, MF_POPUP), reinterpret_cast<LPARAM>(handle), result));
        EXPECT_EQ(result, key.expected) << static_cast<char>(key.typed);
    }
    TrayPopupMenu other;
    LRESULT result = 0;
    EXPECT_FALSE(
        menu.OwnerMessage(WM_MENUCHAR, MAKEWPARAM(L'e', MF_POPUP), reinterpret_cast<LPARAM>(other.Handle()), result));
}

TEST_F(TrayPopupMenuTest, TheOpenFlatMenuIsMeasuredByItsOwnerAndTakesItsAccessKeys)
{
    const struct {
        WPARAM key;
        TrayMenuCommand expected;
    } cases[] = {{'E', TrayMenuCommand::Exit}, {'S', TrayMenuCommand::ShowMainWindow}};
    for (const auto& press : cases) {
        TrayPopupMenu menu;
        menu.SetFlat(true);
        g_ownedMenu = &menu;
        g_measuredWidths.clear();
        g_drawnItems = 0;
        SetForegroundWindow(window_);
        PressDuringMenu({press.key});
        EXPECT_EQ(menu.TrackAt(window_, 200, 200), press.expected) << static_cast<char>(press.key);
        ASSERT_EQ(g_measuredWidths.size(), 2u);
        for (UINT width : g_measuredWidths)
            EXPECT_GT(static_cast<int>(width), TrayPopupMenu::kIconColumnWidth);
        EXPECT_GE(g_drawnItems, 2);
        g_ownedMenu = nullptr;
    }
}

}  // namespace
