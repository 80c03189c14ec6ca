// The decisions of the tray handlers, over a fake of the window.

#include "ui/shell/TrayHandlers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class TFakeTrayWindow : public ITrayWindow {
public:
    bool shown = false;
    std::vector<std::string> calls;

    bool IsShown() const override { return shown; }
    void SetActiveWindow() override { calls.push_back("SetActiveWindow"); }
    void SetForegroundWindow() override { calls.push_back("SetForegroundWindow"); }
    void ShowModal() override { calls.push_back("ShowModal"); }
    void GetCursorPos(int& x, int& y) override
    {
        calls.push_back("GetCursorPos");
        x = 700;
        y = 740;
    }
    void PopupMenuAt(int x, int y) override
    {
        calls.push_back("PopupMenuAt " + std::to_string(x) + "," + std::to_string(y));
    }
};

using Calls = std::vector<std::string>;

struct TTrayMessageCase {
    const char* name;
    bool shown;
    WPARAM id;
    LPARAM mouse;
    Calls expected;
};

class WMTrayIconTest : public ::testing::TestWithParam<TTrayMessageCase> {};

TEST_P(WMTrayIconTest, ActsOnTheSystemsIconOnly)
{
    const TTrayMessageCase& c = GetParam();
    TFakeTrayWindow window;
    window.shown = c.shown;
    WMTrayIcon(window, c.id, c.mouse);
    EXPECT_EQ(window.calls, c.expected);
}

const Calls kFront{"SetActiveWindow", "SetForegroundWindow"};
const Calls kShow{"SetActiveWindow", "ShowModal"};
const Calls kMenu{"SetForegroundWindow", "GetCursorPos", "PopupMenuAt 700,740"};

INSTANTIATE_TEST_SUITE_P(
    Cases, WMTrayIconTest,
    ::testing::Values(TTrayMessageCase{"DoubleClickShown", true, 34953, 515, kFront},
                      TTrayMessageCase{"DoubleClickHidden", false, 34953, 515, kShow},
                      TTrayMessageCase{"RightUpShown", true, 34953, 517, kMenu},
                      TTrayMessageCase{"RightUpHidden", false, 34953, 517, kMenu},
                      TTrayMessageCase{"MouseMove", false, 34953, 512, {}},
                      TTrayMessageCase{"LeftDown", false, 34953, 513, {}},
                      TTrayMessageCase{"LeftUp", false, 34953, 514, {}},
                      TTrayMessageCase{"RightDown", false, 34953, 516, {}},
                      TTrayMessageCase{"RightDoubleClick", true, 34953, 518, {}},
                      TTrayMessageCase{"OtherIconDoubleClick", false, 34952, 515, {}},
                      TTrayMessageCase{"OtherIconRightUp", true, 1, 517, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(N1ClickTest, BringsTheShownWindowToTheFront)
{
    TFakeTrayWindow window;
    window.shown = true;
    N1Click(window);
    EXPECT_EQ(window.calls, kFront);
}

TEST(N1ClickTest, ShowsTheHiddenWindow)
{
    TFakeTrayWindow window;
    N1Click(window);
    EXPECT_EQ(window.calls, Calls{"ShowModal"});
}

// A double-click while the nested showing runs reaches the shown window:
// it is brought forward, no second showing starts.
TEST(WMTrayIconNestingTest, DoubleClickDuringAShowingBringsItForward)
{
    class TNestingWindow : public TFakeTrayWindow {
    public:
        void ShowModal() override
        {
            calls.push_back("ShowModal");
            shown = true;
            WMTrayIcon(*this, 34953, 515);
            shown = false;
        }
    } window;

    WMTrayIcon(window, 34953, 515);
    EXPECT_EQ(window.calls, (Calls{"SetActiveWindow", "ShowModal", "SetActiveWindow", "SetForegroundWindow"}));
}

}  // namespace
