// The tray menu under the platform's own menu loop, driven by keys.

#include "ui/shell/TrayPopupMenu.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using ui::TTrayMenuCommand;
using ui::TTrayPopupMenu;

std::vector<WPARAM> g_keys;
HWND g_keyTarget = nullptr;

// Once the menu loop runs, feed it the keys one per timer tick.
void CALLBACK FeedKey(HWND, UINT, UINT_PTR timer, DWORD)
{
    if (g_keys.empty()) {
        KillTimer(nullptr, timer);
        return;
    }
    PostMessageW(g_keyTarget, WM_KEYDOWN, g_keys.front(), 0);
    g_keys.erase(g_keys.begin());
}

class TrayPopupMenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window_ = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(window_, nullptr);
        g_keyTarget = window_;
    }
    void TearDown() override { DestroyWindow(window_); }

    void PressDuringMenu(std::vector<WPARAM> keys)
    {
        g_keys = std::move(keys);
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

TEST_F(TrayPopupMenuTest, HoldsShowThenExit)
{
    TTrayPopupMenu menu;
    ASSERT_EQ(GetMenuItemCount(menu.Handle()), 2);
    EXPECT_EQ(ItemText(menu.Handle(), 0), L"显示主窗口(&S)");
    EXPECT_EQ(GetMenuItemID(menu.Handle(), 0), static_cast<UINT>(TTrayMenuCommand::ShowMainWindow));
    EXPECT_EQ(ItemText(menu.Handle(), 1), L"退出系统(&E)");
    EXPECT_EQ(GetMenuItemID(menu.Handle(), 1), static_cast<UINT>(TTrayMenuCommand::Exit));
}

TEST_F(TrayPopupMenuTest, ReturnsTheItemChosenAndPostsANullMessage)
{
    TTrayPopupMenu menu;
    PressDuringMenu({VK_DOWN, VK_DOWN, VK_RETURN});
    EXPECT_EQ(menu.TrackAt(window_, 200, 200), TTrayMenuCommand::Exit);

    MSG message;
    EXPECT_TRUE(PeekMessageW(&message, window_, WM_NULL, WM_NULL, PM_REMOVE));
}

TEST_F(TrayPopupMenuTest, ClosedWithoutChoiceReturnsNone)
{
    TTrayPopupMenu menu;
    PressDuringMenu({VK_ESCAPE});
    EXPECT_EQ(menu.TrackAt(window_, 200, 200), TTrayMenuCommand::None);
}

}  // namespace
