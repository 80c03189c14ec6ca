// The window as its widget table builds it: each widget's parent, place,
// size, font and colours, the tab order, and the flat look the styler gives
// the controls and the tray menu from the window's creation on.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "FakeDialUpActions.h"
#include "WindowDoubles.h"
#include "ui/DialUpUnit.h"

namespace {

constexpr COLORREF kForm = RGB(235, 238, 243);
constexpr COLORREF kTeal = RGB(0, 128, 128);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kNavy = RGB(0, 0, 128);
constexpr COLORREF kWindowText = 0xFFFFFFFF;  // the system's window-text colour

// One window for the suite: making and taking down a window costs time
// under a display without a window manager.
class WindowLookTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        actions_ = std::make_unique<FakeDialUpActions>();
        platform_ = std::make_unique<RecordingPlatform>();
        application_ = std::make_unique<RecordingApplication>();
        window_ = std::make_unique<ui::TDialUpFrm>(*actions_, *application_, *platform_);
    }
    static void TearDownTestSuite()
    {
        window_.reset();
        application_.reset();
        platform_.reset();
        actions_.reset();
    }

    static inline std::unique_ptr<FakeDialUpActions> actions_;
    static inline std::unique_ptr<RecordingPlatform> platform_;
    static inline std::unique_ptr<RecordingApplication> application_;
    static inline std::unique_ptr<ui::TDialUpFrm> window_;
};

struct Place {
    const char* name;
    HWND widget;
    HWND parent;
    RECT bounds;  // left, top, width, height
};

RECT PlaceIn(HWND widget, HWND parent)
{
    RECT bounds;
    GetWindowRect(widget, &bounds);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&bounds), 2);
    return RECT{bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top};
}

TEST_F(WindowLookTest, EveryWidgetHasItsParentPlaceAndSize)
{
    ui::TDialUpFrm& w = *window_;
    // The combo box's window is its closed box: the drop-down list is a
    // window of its own.
    RECT combo;
    SendMessageW(w.edtDialer, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&combo));
    const Place places[] = {
        {"RzPageControl1", w.RzPageControl1, w.Handle(), {0, 0, 510, 427}},
        {"TabSheet1", w.TabSheet1, w.RzPageControl1, {0, 19, 510, 408}},
        {"Label2", w.Label2, w.TabSheet1, {25, 172, 449, 69}},
        {"Label3", w.Label3, w.TabSheet1, {25, 246, 457, 151}},
        {"Label4", w.Label4, w.TabSheet1, {26, 362, 405, 28}},
        {"Panel5", w.Panel5, w.TabSheet1, {36, 5, 425, 161}},
        {"Label65", w.Label65, w.Panel5, {32, 14, 71, 12}},
        {"lbel343", w.lbel343, w.Panel5, {32, 39, 47, 12}},
        {"label890", w.label890, w.Panel5, {32, 65, 47, 12}},
        {"Label68", w.Label68, w.Panel5, {32, 91, 101, 12}},
        {"Label66", w.Label66, w.Panel5, {358, 91, 35, 12}},
        {"Label1", w.Label1, w.Panel5, {57, 143, 80, 13}},
        {"Label131", w.Label131, w.Panel5, {32, 120, 83, 16}},
        {"Label132", w.Label132, w.Panel5, {358, 117, 61, 15}},
        {"edtDialUser", w.edtDialUser, w.Panel5, {116, 35, 225, 20}},
        {"edtDialPWD", w.edtDialPWD, w.Panel5, {116, 61, 225, 20}},
        {"CheckBox1", w.CheckBox1, w.Panel5, {276, 142, 57, 17}},
        {"StatusBar1", w.StatusBar1, w.TabSheet1, {0, 389, 510, 19}},
        {"TabSheet10", w.TabSheet10, w.RzPageControl1, {0, 19, 510, 408}},
        {"WebBrowser2", w.WebBrowser2, w.TabSheet10, {0, 23, 510, 385}},
        {"Panel7", w.Panel7, w.TabSheet10, {0, 0, 510, 23}},
        {"SpeedButton43", w.SpeedButton43, w.Panel7, {8, 1, 60, 21}},
    };
    for (const Place& place : places) {
        ASSERT_NE(place.widget, nullptr) << place.name;
        EXPECT_EQ(GetParent(place.widget), place.parent) << place.name;
        const RECT actual = PlaceIn(place.widget, place.parent);
        EXPECT_TRUE(EqualRect(&actual, &place.bounds))
            << place.name << ": " << actual.left << "," << actual.top << " " << actual.right << "x" << actual.bottom;
    }
    const RECT entry = PlaceIn(w.edtDialer, w.Panel5);
    EXPECT_EQ(GetParent(w.edtDialer), w.Panel5);
    EXPECT_EQ(entry.left, 116);
    EXPECT_EQ(entry.top, 10);
    EXPECT_EQ(entry.right, 225);
    // The spin edits: the edit box and its buttons fill the place together.
    for (ui::SpinEdit* spin : {&w.edtDialTime, &w.edtDialWaintTime}) {
        EXPECT_EQ(GetParent(spin->Edit()), w.Panel5);
        const RECT edit = PlaceIn(spin->Edit(), w.Panel5);
        const RECT buttons = PlaceIn(spin->Buttons(), w.Panel5);
        EXPECT_EQ(edit.left, 115);
        EXPECT_EQ(edit.top, spin == &w.edtDialTime ? 87 : 114);
        // The buttons overlap the box's right edge by up to two pixels.
        const int right = buttons.left + buttons.right;
        EXPECT_GE(right, 115 + 225 - 2);
        EXPECT_LE(right, 115 + 225);
        EXPECT_EQ(edit.bottom, 21);
    }
}

struct Look {
    const char* name;
    HWND widget;
    int fontHeight;  // 0: the system's own font
    bool underlined;
    COLORREF text;  // kWindowText: the system's window-text colour
    COLORREF background;
};

TEST_F(WindowLookTest, EveryWidgetHasItsFontAndColours)
{
    ui::TDialUpFrm& w = *window_;
    const COLORREF input = GetSysColor(COLOR_WINDOW);
    const Look looks[] = {
        {"Label2", w.Label2, 12, false, kTeal, kForm},
        {"Label3", w.Label3, 12, false, kBlue, kForm},
        {"Label4", w.Label4, 12, true, kRed, kForm},
        {"Label65", w.Label65, 12, false, kWindowText, kForm},
        {"lbel343", w.lbel343, 12, false, kWindowText, kForm},
        {"label890", w.label890, 12, false, kWindowText, kForm},
        {"Label68", w.Label68, 12, false, kWindowText, kForm},
        {"Label66", w.Label66, 12, false, kBlack, kForm},
        {"Label1", w.Label1, 11, false, kRed, kForm},
        {"Label131", w.Label131, 12, false, kWindowText, kForm},
        {"Label132", w.Label132, 12, false, kBlack, kForm},
        {"edtDialer", w.edtDialer, 12, false, kNavy, input},
        {"edtDialUser", w.edtDialUser, 12, false, kNavy, input},
        {"edtDialPWD", w.edtDialPWD, 12, false, kNavy, input},
        {"edtDialTime", w.edtDialTime.Edit(), 12, false, kBlack, input},
        {"CheckBox1", w.CheckBox1, 12, false, kWindowText, kForm},
        {"edtDialWaintTime", w.edtDialWaintTime.Edit(), 12, false, kBlack, input},
        {"SpeedButton43", w.SpeedButton43, 12, false, CLR_INVALID, kForm},
        {"lblRedialState", w.lblRedialState, 12, false, kNavy, kForm},
        {"lblRedialCounters", w.lblRedialCounters, 12, false, kTeal, kForm},
        {"lvRedialEvents", w.lvRedialEvents, 12, false, CLR_INVALID, CLR_INVALID},
        {"lblNewIp", w.lblNewIp, 12, false, kWindowText, kForm},
        {"edtNewIp", w.edtNewIp.Edit(), 12, false, kBlack, input},
        {"edtIpCheckUrl", w.edtIpCheckUrl, 12, false, kNavy, input},
        {"chkBalloon", w.chkBalloon, 12, false, kWindowText, kForm},
        {"lblOptionsNote", w.lblOptionsNote, 12, false, kBlue, kForm},
    };
    HDC dc = CreateCompatibleDC(nullptr);
    for (const Look& look : looks) {
        const auto font = reinterpret_cast<HFONT>(SendMessageW(look.widget, WM_GETFONT, 0, 0));
        LOGFONTW logFont{};
        ASSERT_TRUE(font && GetObjectW(font, sizeof logFont, &logFont)) << look.name;
        EXPECT_EQ(logFont.lfHeight, -look.fontHeight) << look.name;
        EXPECT_EQ(logFont.lfUnderline != 0, look.underlined) << look.name;
        EXPECT_STREQ(logFont.lfFaceName, L"宋体") << look.name;
        EXPECT_EQ(logFont.lfCharSet, look.fontHeight == 11 ? ANSI_CHARSET : GB2312_CHARSET) << look.name;

        // The colours the parent gives, as a control asks for them (the
        // list of events has its own).
        if (look.background == CLR_INVALID)
            continue;
        SetTextColor(dc, RGB(1, 2, 3));
        const bool isEdit = look.background == input && look.widget != w.edtDialer;
        SendMessageW(GetParent(look.widget), isEdit ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(look.widget));
        const COLORREF text = look.text == kWindowText ? GetSysColor(COLOR_WINDOWTEXT) : look.text;
        if (look.text != CLR_INVALID) {
            EXPECT_EQ(GetTextColor(dc), text) << look.name;
        }
        EXPECT_EQ(GetBkColor(dc), look.background) << look.name;
    }
    // The drop-down list of the entry box takes the box's colours.
    COMBOBOXINFO combo{};
    combo.cbSize = sizeof combo;
    ASSERT_TRUE(GetComboBoxInfo(w.edtDialer, &combo));
    SetTextColor(dc, RGB(1, 2, 3));
    SendMessageW(w.Handle(), WM_CTLCOLORLISTBOX, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(combo.hwndList));
    EXPECT_EQ(GetTextColor(dc), kNavy);
    EXPECT_EQ(GetBkColor(dc), input);
    // The two labels on the right are drawn without a background.
    for (HWND label : {w.Label66, w.Label132}) {
        SetBkMode(dc, OPAQUE);
        SendMessageW(w.Panel5, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label));
        EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
    }
    SetBkMode(dc, OPAQUE);
    SendMessageW(w.Panel5, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(w.Label65));
    EXPECT_EQ(GetBkMode(dc), OPAQUE);
    DeleteDC(dc);
}

TEST_F(WindowLookTest, TheTabOrderRunsThroughTheSettingsInTheirOrder)
{
    ui::TDialUpFrm& w = *window_;
    const std::vector<HWND> expected{w.edtDialer,          w.edtDialUser, w.edtDialPWD,
                                     w.edtDialTime.Edit(), w.CheckBox1,   w.edtDialWaintTime.Edit()};
    std::vector<HWND> order{w.edtDialer};
    for (std::size_t i = 1; i < expected.size(); ++i)
        order.push_back(GetNextDlgTabItem(w.Handle(), order.back(), FALSE));
    EXPECT_EQ(order, expected);
    // On the update tab the browser's place comes before the refresh strip.
    EXPECT_EQ(GetWindow(w.WebBrowser2, GW_HWNDNEXT), w.Panel7);
    // Where the settings tab's widgets overlap, the later is drawn over the
    // earlier: the status bar over the promotion, that over the usage notes.
    HWND top = GetWindow(w.TabSheet1, GW_CHILD);
    EXPECT_EQ(top, w.StatusBar1);
    EXPECT_EQ(GetWindow(top, GW_HWNDNEXT), w.Panel5);
    EXPECT_EQ(GetWindow(w.Panel5, GW_HWNDNEXT), w.Label4);
    EXPECT_EQ(GetWindow(w.Label4, GW_HWNDNEXT), w.Label3);
}

TEST_F(WindowLookTest, TheControlsAreFlatFromCreationOn)
{
    ui::TDialUpFrm& w = *window_;
    for (HWND edit : {w.edtDialUser, w.edtDialPWD, w.edtDialTime.Edit(), w.edtDialWaintTime.Edit(), w.edtNewIp.Edit(),
                      w.edtIpCheckUrl}) {
        EXPECT_FALSE(GetWindowLongW(edit, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
        RECT bounds;
        GetWindowRect(edit, &bounds);
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP picture = CreateCompatibleBitmap(screen, bounds.right - bounds.left, bounds.bottom - bounds.top);
        ReleaseDC(nullptr, screen);
        HGDIOBJ previous = SelectObject(dc, picture);
        SendMessageW(edit, WM_PRINT, reinterpret_cast<WPARAM>(dc), PRF_NONCLIENT);
        EXPECT_EQ(GetPixel(dc, 0, 0), GetSysColor(COLOR_BTNSHADOW));
        EXPECT_EQ(GetPixel(dc, bounds.right - bounds.left - 1, bounds.bottom - bounds.top - 1),
                  GetSysColor(COLOR_BTNSHADOW));
        SelectObject(dc, previous);
        DeleteObject(picture);
        DeleteDC(dc);
    }
    // The bevelled panel draws a flat frame.
    RECT panel;
    GetClientRect(w.Panel5, &panel);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP picture = CreateCompatibleBitmap(screen, panel.right, panel.bottom);
    ReleaseDC(nullptr, screen);
    HGDIOBJ previous = SelectObject(dc, picture);
    SendMessageW(w.Panel5, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    EXPECT_EQ(GetPixel(dc, 0, 0), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(GetPixel(dc, 1, 1), kForm);
    SelectObject(dc, previous);
    DeleteObject(picture);
    DeleteDC(dc);
}

TEST_F(WindowLookTest, TheWindowMeasuresAndDrawsItsFlatTrayMenu)
{
    ui::TDialUpFrm& w = *window_;
    const HMENU menu = w.PopupMenuHandle();
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_DATA;
    ASSERT_TRUE(GetMenuItemInfoW(menu, 1, TRUE, &info));
    EXPECT_TRUE(info.fType & MFT_OWNERDRAW);

    // The window is the menu's owner: it answers the menu loop's questions.
    MEASUREITEMSTRUCT measure{};
    measure.CtlType = ODT_MENU;
    measure.itemID = w.E1;
    measure.itemData = info.dwItemData;
    EXPECT_EQ(SendMessageW(w.Handle(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure)), TRUE);
    EXPECT_GT(static_cast<int>(measure.itemWidth), ui::TrayPopupMenu::kIconColumnWidth + 24);
    EXPECT_EQ(SendMessageW(w.Handle(), WM_MENUCHAR, MAKEWPARAM(L'e', MF_POPUP), reinterpret_cast<LPARAM>(menu)),
              MAKELRESULT(1, MNC_EXECUTE));
    EXPECT_EQ(SendMessageW(w.Handle(), WM_MENUCHAR, MAKEWPARAM(L's', MF_POPUP), reinterpret_cast<LPARAM>(menu)),
              MAKELRESULT(0, MNC_EXECUTE));
    // The entry box's items are still the window's own, 12 pixels high.
    MEASUREITEMSTRUCT entry{};
    entry.CtlType = ODT_COMBOBOX;
    entry.itemID = 0;
    EXPECT_EQ(SendMessageW(w.Handle(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&entry)), TRUE);
    EXPECT_EQ(entry.itemHeight, 12u);
}

}  // namespace
