// The window's handlers of the tray icon's callback message and of its menu
// items, with the platform calls and the application recorded.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "FakeDialUpActions.h"
#include "WindowDoubles.h"
#include "ui/DialUpUnit.h"

namespace {

using Calls = std::vector<std::string>;

// One window for the suite: making and taking down a window costs time
// under a display without a window manager.
class TrayHandlersTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        actions_ = std::make_unique<FakeDialUpActions>();
        platform_ = std::make_unique<RecordingPlatform>();
        application_ = std::make_unique<RecordingApplication>();
        window_ = std::make_unique<ui::TDialUpFrm>(*actions_, *application_, *platform_);
        window_->AddTrayIcon();
    }
    static void TearDownTestSuite()
    {
        window_.reset();
        application_.reset();
        platform_.reset();
        actions_.reset();
    }
    void SetUp() override
    {
        platform_->calls.clear();
        platform_->notifications.clear();
        platform_->menuChoice = ui::TrayMenuCommand::None;
        platform_->realMenu = false;
        application_->calls.clear();
        application_->duringShowing = nullptr;
        ShowWindow(window_->Handle(), SW_HIDE);
    }
    void TearDown() override
    {
        ShowWindow(window_->Handle(), SW_HIDE);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    // The platform's calls, then the application's, as one list.
    static Calls AllCalls()
    {
        Calls all = platform_->calls;
        for (const auto& notification : platform_->notifications)
            all.push_back(notification.first == NIM_DELETE ? "RemoveIcon" : "AddIcon");
        all.insert(all.end(), application_->calls.begin(), application_->calls.end());
        return all;
    }

    static std::unique_ptr<FakeDialUpActions> actions_;
    static std::unique_ptr<RecordingPlatform> platform_;
    static std::unique_ptr<RecordingApplication> application_;
    static std::unique_ptr<ui::TDialUpFrm> window_;
};
std::unique_ptr<FakeDialUpActions> TrayHandlersTest::actions_;
std::unique_ptr<RecordingPlatform> TrayHandlersTest::platform_;
std::unique_ptr<RecordingApplication> TrayHandlersTest::application_;
std::unique_ptr<ui::TDialUpFrm> TrayHandlersTest::window_;

const Calls kFront{"SetActiveWindow", "SetForegroundWindow"};
const Calls kShow{"SetActiveWindow", "ShowModal"};
const Calls kMenu{"SetForegroundWindow", "CursorPos", "TrackMenu 700,740"};

struct TrayMessageCase {
    const char* name;
    bool shown;
    WPARAM id;
    LPARAM mouse;
    ui::TrayMenuCommand chosen;
    Calls expected;
};

class WMTrayIconTest : public TrayHandlersTest, public ::testing::WithParamInterface<TrayMessageCase> {};

TEST_P(WMTrayIconTest, ActsOnTheSystemsIconOnly)
{
    const TrayMessageCase& c = GetParam();
    if (c.shown)
        ShowWindow(window_->Handle(), SW_SHOWNA);
    ASSERT_EQ(window_->Shown(), c.shown);
    platform_->menuChoice = c.chosen;
    // As the shell sends it, through the window procedure.
    SendMessageW(window_->Handle(), ui::kTrayMessage, c.id, c.mouse);
    EXPECT_EQ(AllCalls(), c.expected);
}

Calls Then(Calls first, const Calls& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

using Command = ui::TrayMenuCommand;

INSTANTIATE_TEST_SUITE_P(
    Cases, WMTrayIconTest,
    ::testing::Values(
        TrayMessageCase{"DoubleClickShown", true, 34953, 515, Command::None, kFront},
        TrayMessageCase{"DoubleClickHidden", false, 34953, 515, Command::None, kShow},
        TrayMessageCase{"RightUpShown", true, 34953, 517, Command::None, kMenu},
        TrayMessageCase{"RightUpHidden", false, 34953, 517, Command::None, kMenu},
        // The chosen item's handler runs once the menu has closed.
        TrayMessageCase{"ShowItemHidden", false, 34953, 517, Command::ShowMainWindow, Then(kMenu, {"ShowModal"})},
        TrayMessageCase{"ShowItemShown", true, 34953, 517, Command::ShowMainWindow, Then(kMenu, kFront)},
        TrayMessageCase{"ExitItem", true, 34953, 517, Command::Exit, Then(kMenu, {"RemoveIcon", "Terminate"})},
        TrayMessageCase{"MouseMove", false, 34953, 512, Command::None, {}},
        TrayMessageCase{"LeftDown", false, 34953, 513, Command::None, {}},
        TrayMessageCase{"LeftUp", false, 34953, 514, Command::None, {}},
        TrayMessageCase{"RightDown", false, 34953, 516, Command::None, {}},
        TrayMessageCase{"RightDoubleClick", true, 34953, 518, Command::None, {}},
        TrayMessageCase{"OtherIconDoubleClick", false, 34952, 515, Command::None, {}},
        TrayMessageCase{"OtherIconRightUp", true, 1, 517, Command::None, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TrayHandlersTest, N1ClickBringsTheShownWindowToTheFront)
{
    ShowWindow(window_->Handle(), SW_SHOWNA);
    window_->N1Click();
    EXPECT_EQ(AllCalls(), kFront);
}

TEST_F(TrayHandlersTest, N1ClickShowsTheHiddenWindow)
{
    window_->N1Click();
    EXPECT_EQ(AllCalls(), Calls{"ShowModal"});
}

TEST_F(TrayHandlersTest, E1ClickRemovesTheIconThenTerminates)
{
    window_->AddTrayIcon();
    window_->E1Click();
    EXPECT_EQ(AllCalls(), (Calls{"AddIcon", "RemoveIcon", "Terminate"}));
    ASSERT_EQ(platform_->notifications.size(), 2u);
    // The record removed is the one added.
    const auto& added = platform_->notifications[0].second;
    const auto& removed = platform_->notifications[1].second;
    EXPECT_EQ(std::memcmp(&added, &removed, sizeof added), 0);
    EXPECT_EQ(removed.uID, 34953u);
}

// A double-click while the nested showing runs reaches the shown window:
// it is brought forward, no second showing starts.
TEST_F(TrayHandlersTest, ADoubleClickDuringAShowingBringsItForward)
{
    application_->duringShowing = [](ui::TDialUpFrm& window) {
        SendMessageW(window.Handle(), ui::kTrayMessage, ui::kTrayIconId, ui::kTrayDoubleClick);
    };
    SendMessageW(window_->Handle(), ui::kTrayMessage, ui::kTrayIconId, ui::kTrayDoubleClick);
    EXPECT_EQ(platform_->calls, (Calls{"SetActiveWindow", "SetActiveWindow", "SetForegroundWindow"}));
    EXPECT_EQ(application_->calls, Calls{"ShowModal"});
}

// The real menu, driven by its keys once its loop runs.
std::vector<WPARAM> g_keys;

void CALLBACK FeedKey(HWND, UINT, UINT_PTR timer, DWORD)
{
    if (g_keys.empty()) {
        KillTimer(nullptr, timer);
        return;
    }
    // The menu's loop takes the keys of its thread's queue.
    if (HWND menu = FindWindowW(L"#32768", nullptr))
        PostMessageW(menu, WM_KEYDOWN, g_keys.front(), 0);
    g_keys.erase(g_keys.begin());
}

struct MenuKeysCase {
    const char* name;
    std::vector<WPARAM> keys;
    Calls expected;
};

class TrayMenuKeysTest : public TrayHandlersTest, public ::testing::WithParamInterface<MenuKeysCase> {};

TEST_P(TrayMenuKeysTest, TheChosenItemRunsItsHandler)
{
    platform_->realMenu = true;
    platform_->cursor = POINT{200, 200};
    g_keys = GetParam().keys;
    SetTimer(nullptr, 0, 50, FeedKey);
    SendMessageW(window_->Handle(), ui::kTrayMessage, ui::kTrayIconId, ui::kTrayRightButtonUp);
    EXPECT_EQ(AllCalls(), GetParam().expected);
    platform_->cursor = POINT{700, 740};
}

const Calls kRealMenu{"SetForegroundWindow", "CursorPos", "TrackMenu 200,200"};

INSTANTIATE_TEST_SUITE_P(
    Keys, TrayMenuKeysTest,
    ::testing::Values(MenuKeysCase{"DownReturnShows", {VK_DOWN, VK_RETURN}, Then(kRealMenu, {"ShowModal"})},
                      MenuKeysCase{"AccessKeyExits", {'E'}, Then(kRealMenu, {"RemoveIcon", "Terminate"})},
                      MenuKeysCase{"EscapeDoesNothing", {VK_ESCAPE}, kRealMenu}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
