// The styling component: what the flat look draws on each kind of control
// it styles, read from pictures of the controls, and the look given back
// when it is switched off.

#include "ui/XPMenu.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include "ui/GdiObject.h"
#include "ui/Panel.h"
#include "ui/SpinEdit.h"

namespace {

using ui::TXPMenu;

// A picture of a control as its painting draws it.
class Picture {
public:
    explicit Picture(HWND control)
    {
        RECT bounds;
        GetWindowRect(control, &bounds);
        width_ = bounds.right - bounds.left;
        height_ = bounds.bottom - bounds.top;
        HDC screen = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen);
        bitmap_ = CreateCompatibleBitmap(screen, width_, height_);
        ReleaseDC(nullptr, screen);
        previous_ = SelectObject(dc_, bitmap_);
        RECT all{0, 0, width_, height_};
        FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    ~Picture()
    {
        SelectObject(dc_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC Dc() const { return dc_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }
    int Count(COLORREF colour, RECT area) const
    {
        int count = 0;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                count += At(x, y) == colour;
        return count;
    }

private:
    int width_ = 0, height_ = 0;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

// The frame of an edit box, drawn as its non-client painting draws it.
void PrintFrame(HWND edit, const Picture& picture)
{
    SendMessageW(edit, WM_PRINT, reinterpret_cast<WPARAM>(picture.Dc()), PRF_NONCLIENT);
}

COLORREF Sys(int index)
{
    return GetSysColor(index);
}

class XPMenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX classes{sizeof classes, ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS};
        InitCommonControlsEx(&classes);
        ui::RegisterPanelClass();
        const HINSTANCE instance = GetModuleHandleW(nullptr);
        owner_ = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_CLIPCHILDREN, 0, 0, 400, 300, nullptr, nullptr,
                                 instance, nullptr);
        ASSERT_NE(owner_, nullptr);
        brush_.reset(CreateSolidBrush(RGB(235, 238, 243)));
        look_ = ui::PanelLook{brush_.get(), ui::PanelBevel::RaisedOuterLoweredInner};
        panel_ = ui::CreatePanel(owner_, RECT{0, 0, 400, 300}, &look_, true);
        edit_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"abc", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 10, 10, 120,
                                20, panel_, nullptr, instance, nullptr);
        combo_ = CreateWindowExW(0, WC_COMBOBOXW, L"", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, 10, 40, 120, 200,
                                 panel_, nullptr, instance, nullptr);
        check_ = CreateWindowExW(0, L"BUTTON", L"box", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, 10, 70, 60, 17, panel_,
                                 nullptr, instance, nullptr);
        button_ = CreateWindowExW(0, L"BUTTON", L"&R", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON | BS_FLAT, 10, 100, 60, 21,
                                  panel_, nullptr, instance, nullptr);
        spin_.Create(panel_, RECT{10, 130, 130, 151}, 0, nullptr, [] {});
        ShowWindow(owner_, SW_SHOWNOACTIVATE);
    }
    void TearDown() override { DestroyWindow(owner_); }

    HWND owner_ = nullptr, panel_ = nullptr, edit_ = nullptr, combo_ = nullptr, check_ = nullptr, button_ = nullptr;
    ui::SpinEdit spin_;
    ui::BrushHandle brush_;
    ui::PanelLook look_;
};

TEST_F(XPMenuTest, EditBoxesTradeTheSunkenEdgeForAOnePixelShadowFrame)
{
    RECT before;
    GetWindowRect(edit_, &before);
    TXPMenu styler(owner_);
    styler.SetActive(true);
    EXPECT_TRUE(styler.Active());

    for (HWND edit : {edit_, spin_.Edit()}) {
        EXPECT_FALSE(GetWindowLongW(edit, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
        EXPECT_TRUE(GetWindowLongW(edit, GWL_STYLE) & WS_BORDER);
        Picture picture(edit);
        PrintFrame(edit, picture);
        const int right = picture.Width() - 1, bottom = picture.Height() - 1;
        for (POINT point : {POINT{0, 0}, POINT{right, 0}, POINT{0, bottom}, POINT{right, bottom}, POINT{right / 2, 0},
                            POINT{0, bottom / 2}})
            EXPECT_EQ(picture.At(point.x, point.y), Sys(COLOR_BTNSHADOW)) << point.x << "," << point.y;
    }
    // The box keeps its place and size; only its frame is thinner.
    RECT after;
    GetWindowRect(edit_, &after);
    EXPECT_TRUE(EqualRect(&before, &after));
    RECT client;
    GetClientRect(edit_, &client);
    EXPECT_EQ(client.right, (after.right - after.left) - 2);
}

TEST_F(XPMenuTest, TheComboBoxIsFramedFlatWithAFlatButton)
{
    TXPMenu styler(owner_);
    styler.SetActive(true);
    Picture picture(combo_);
    ui::DrawFlatControl(combo_, picture.Dc());
    EXPECT_EQ(picture.At(0, 0), Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(picture.At(picture.Width() - 1, picture.Height() - 1), Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(picture.At(1, 1), Sys(COLOR_WINDOW));
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetComboBoxInfo(combo_, &info));
    EXPECT_EQ(picture.At(info.rcButton.left, picture.Height() / 2), Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(picture.At(info.rcButton.left + 2, 3), Sys(COLOR_BTNFACE));
    EXPECT_GT(picture.Count(Sys(COLOR_BTNTEXT), info.rcButton), 0);  // the arrow
}

TEST_F(XPMenuTest, TheCheckBoxIsAFlatBoxThatShowsItsTick)
{
    TXPMenu styler(owner_);
    styler.SetActive(true);
    RECT client;
    GetClientRect(check_, &client);
    const int top = (client.bottom - 13) / 2;
    const RECT inside{1, top + 1, 12, top + 12};
    {
        Picture picture(check_);
        ui::DrawFlatControl(check_, picture.Dc());
        EXPECT_EQ(picture.At(0, top), Sys(COLOR_BTNSHADOW));
        EXPECT_EQ(picture.At(12, top + 12), Sys(COLOR_BTNSHADOW));
        EXPECT_EQ(picture.At(6, top + 6), Sys(COLOR_WINDOW));
        EXPECT_EQ(picture.Count(Sys(COLOR_WINDOWTEXT), inside), 0);
    }
    SendMessageW(check_, BM_SETCHECK, BST_CHECKED, 0);
    Picture ticked(check_);
    ui::DrawFlatControl(check_, ticked.Dc());
    EXPECT_GT(ticked.Count(Sys(COLOR_WINDOWTEXT), inside), 10);
    EXPECT_EQ(ticked.At(0, top), Sys(COLOR_BTNSHADOW));
}

TEST_F(XPMenuTest, TheButtonsAreFlatAndShowWhenTheyAreHeldDown)
{
    TXPMenu styler(owner_);
    styler.SetActive(true);
    {
        Picture picture(button_);
        ui::DrawFlatControl(button_, picture.Dc());
        EXPECT_EQ(picture.At(0, 0), Sys(COLOR_BTNSHADOW));
        EXPECT_EQ(picture.At(2, 2), Sys(COLOR_BTNFACE));
        EXPECT_GT(picture.Count(Sys(COLOR_BTNTEXT), RECT{1, 1, picture.Width() - 1, picture.Height() - 1}), 0);
    }
    SendMessageW(button_, BM_SETSTATE, TRUE, 0);
    Picture pressed(button_);
    ui::DrawFlatControl(button_, pressed.Dc());
    EXPECT_EQ(pressed.At(2, 2), Sys(COLOR_BTNSHADOW));

    // The spin edit's buttons: two flat halves, each with its arrow.
    Picture arrows(spin_.Buttons());
    ui::DrawFlatControl(spin_.Buttons(), arrows.Dc());
    const int middle = arrows.Height() / 2;
    EXPECT_EQ(arrows.At(0, 0), Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(arrows.At(0, middle), Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(arrows.At(2, 2), Sys(COLOR_BTNFACE));
    EXPECT_GT(arrows.Count(Sys(COLOR_BTNTEXT), RECT{1, 1, arrows.Width() - 1, middle}), 0);
    EXPECT_GT(arrows.Count(Sys(COLOR_BTNTEXT), RECT{1, middle + 1, arrows.Width() - 1, arrows.Height() - 1}), 0);
}

TEST_F(XPMenuTest, ABevelledPanelDrawsAFlatFrame)
{
    {
        Picture bevelled(panel_);
        SendMessageW(panel_, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(bevelled.Dc()), PRF_CLIENT);
        EXPECT_EQ(bevelled.At(0, 0), Sys(COLOR_BTNHIGHLIGHT));
        EXPECT_EQ(bevelled.At(1, 1), Sys(COLOR_BTNSHADOW));
    }
    TXPMenu styler(owner_);
    styler.SetActive(true);
    Picture flat(panel_);
    SendMessageW(panel_, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(flat.Dc()), PRF_CLIENT);
    EXPECT_EQ(flat.At(0, 0), Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(flat.At(flat.Width() - 1, flat.Height() - 1), Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(flat.At(1, 1), RGB(235, 238, 243));
}

TEST_F(XPMenuTest, SwitchedOffOrGoneTheControlsGetTheirOwnLookBack)
{
    ui::TrayPopupMenu menu;
    {
        TXPMenu styler(owner_);
        styler.AddMenu(menu);
        styler.SetActive(true);
        EXPECT_TRUE(menu.Flat());
        styler.SetActive(false);
        EXPECT_FALSE(menu.Flat());
        EXPECT_TRUE(GetWindowLongW(edit_, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
        EXPECT_FALSE(GetWindowLongW(edit_, GWL_STYLE) & WS_BORDER);
        styler.SetActive(true);
        EXPECT_FALSE(GetWindowLongW(edit_, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    }
    EXPECT_FALSE(menu.Flat());
    EXPECT_TRUE(GetWindowLongW(edit_, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    Picture bevelled(panel_);
    SendMessageW(panel_, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(bevelled.Dc()), PRF_CLIENT);
    EXPECT_EQ(bevelled.At(0, 0), Sys(COLOR_BTNHIGHLIGHT));
}

TEST_F(XPMenuTest, TheOwnersMenuMessagesReachTheStyledMenu)
{
    ui::TrayPopupMenu menu;
    TXPMenu styler(owner_);
    styler.AddMenu(menu);
    styler.SetActive(true);
    LRESULT result = 0;
    ASSERT_TRUE(
        styler.OwnerMessage(WM_MENUCHAR, MAKEWPARAM(L'e', MF_POPUP), reinterpret_cast<LPARAM>(menu.Handle()), result));
    EXPECT_EQ(result, MAKELRESULT(1, MNC_EXECUTE));
    EXPECT_FALSE(styler.OwnerMessage(WM_MENUCHAR, MAKEWPARAM(L'e', MF_POPUP), 0, result));
}

}  // namespace
