// The options tab: each option's widget as the settings file reads and
// writes it, the options in force as the re-dial step reads them, the
// fields' limits and the tab order.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "FakeDialUpActions.h"
#include "WindowDoubles.h"
#include "ui/DialUpUnit.h"
#include "ui/WindowText.h"

namespace {

using settings::OptionKey;

// One window for the suite: making and taking down a window costs time
// under a display without a window manager.
class OptionsTabTest : public ::testing::Test {
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
    void SetUp() override
    {
        for (OptionKey key : settings::kOptionKeys)
            window_->SetOptionText(key, "");
    }

    static inline std::unique_ptr<FakeDialUpActions> actions_;
    static inline std::unique_ptr<RecordingPlatform> platform_;
    static inline std::unique_ptr<RecordingApplication> application_;
    static inline std::unique_ptr<ui::TDialUpFrm> window_;
};

TEST_F(OptionsTabTest, AFirstStartHasEveryOptionOff)
{
    FakeDialUpActions actions;
    RecordingPlatform platform;
    RecordingApplication application;
    ui::TDialUpFrm fresh(actions, application, platform);
    EXPECT_EQ(fresh.Options(), settings::RedialOptions{});
    for (OptionKey key : settings::kOptionKeys)
        EXPECT_EQ(settings::OptionInForce(key, fresh.OptionText(key)), "") << settings::OptionName(key);
    EXPECT_EQ(ui::WindowText(fresh.edtNewIp.Edit()), L"0");
}

struct RoundTrip {
    OptionKey key;
    std::string placed;
    std::string handedBack;
};

TEST_F(OptionsTabTest, EachOptionsTextComesBackAsPlaced)
{
    const RoundTrip cases[] = {
        {OptionKey::NewIp, "3", "3"},
        {OptionKey::NewIp, "", "0"},  // off shows as 0
        {OptionKey::NewIpHours, "720", "720"},
        {OptionKey::AuthStop, "abc", "abc"},  // placed text stays until edited
        {OptionKey::IpCheckUrl, "https://ip.example/", "https://ip.example/"},
        // Bytes that are no character in the code page come back unchanged.
        {OptionKey::IpCheckUrl, "http://ip.example/\xB2\xE2\x81", "http://ip.example/\xB2\xE2\x81"},
        {OptionKey::IpCheckUrl, "", ""},
        {OptionKey::RedialOnDrop, "1", "1"},
        {OptionKey::Log, " 1 ", "1"},
        {OptionKey::Balloon, "0", ""},
        {OptionKey::Balloon, "", ""},
    };
    for (const RoundTrip& c : cases) {
        window_->SetOptionText(c.key, c.placed);
        EXPECT_EQ(window_->OptionText(c.key), c.handedBack) << settings::OptionName(c.key) << "=" << c.placed;
    }
    // A flag's text is its box.
    window_->SetOptionText(OptionKey::Log, "1");
    EXPECT_EQ(SendMessageW(window_->chkLog, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(window_->chkBalloon, BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(OptionsTabTest, NoOptionLosesItsValueOnTheWayThroughTheWindow)
{
    // Whatever the option, and whether or not the tab has a widget for it,
    // what was in force when placed is in force when handed back.
    const char* samples[] = {"1", "3", "999", "http://ip.example/", "127.0.0.1", "8080", "notify.cmd --fresh", "x"};
    for (OptionKey key : settings::kOptionKeys) {
        for (const char* sample : samples) {
            window_->SetOptionText(key, sample);
            EXPECT_EQ(settings::OptionInForce(key, window_->OptionText(key)), settings::OptionInForce(key, sample))
                << settings::OptionName(key) << "=" << sample;
        }
        window_->SetOptionText(key, "");
    }
}

TEST_F(OptionsTabTest, AnEditedAddressIsTheBoxsText)
{
    window_->SetOptionText(OptionKey::IpCheckUrl, "http://ip.example/\xB2\xE2");
    SetWindowTextW(window_->edtIpCheckUrl, L"https://other.example/ip");
    EXPECT_EQ(window_->OptionText(OptionKey::IpCheckUrl), "https://other.example/ip");
    EXPECT_EQ(window_->Options().ipCheckUrl, "https://other.example/ip");
}

TEST_F(OptionsTabTest, TheOptionsInForceAreReadFromTheWidgets)
{
    window_->SetOptionText(OptionKey::NewIp, "5");
    window_->SetOptionText(OptionKey::NewIpHours, "24");
    window_->SetOptionText(OptionKey::IpCheckUrl, "http://ip.example/");
    window_->SetOptionText(OptionKey::AuthStop, "3");
    SendMessageW(window_->chkRedialOnDrop, BM_CLICK, 0, 0);
    SendMessageW(window_->chkBalloon, BM_CLICK, 0, 0);
    settings::RedialOptions expected;
    expected.newIp = 5;
    expected.newIpHours = 24;
    expected.ipCheckUrl = "http://ip.example/";
    expected.authStop = 3;
    expected.redialOnDrop = true;
    expected.balloon = true;
    EXPECT_EQ(window_->Options(), expected);

    // A typed value above its cap counts as the cap; a text that is no
    // number, or an address that is no web address, counts as off.
    window_->edtNewIp.SetText(L"99");
    window_->SetOptionText(OptionKey::AuthStop, "x");
    SetWindowTextW(window_->edtIpCheckUrl, L"ftp://ip.example/");
    const settings::RedialOptions read = window_->Options();
    EXPECT_EQ(read.newIp, settings::kMaxNewIpTries);
    EXPECT_EQ(read.authStop, 0);
    EXPECT_EQ(read.ipCheckUrl, "");
}

TEST_F(OptionsTabTest, TheNumberFieldsStayWithinZeroAndTheirCaps)
{
    const struct {
        ui::SpinEdit* spin;
        int cap;
    } fields[] = {
        {&window_->edtNewIp, settings::kMaxNewIpTries},
        {&window_->edtNewIpHours, settings::kMaxNewIpHours},
        {&window_->edtAuthStop, settings::kMaxAuthStop},
    };
    ShowWindow(window_->Handle(), SW_SHOW);
    window_->SetCurrentPage(ui::kOptionsPage);
    for (const auto& field : fields) {
        field.spin->SetText(std::to_wstring(field.cap));
        SendMessageW(field.spin->Edit(), WM_KEYDOWN, VK_UP, 1);
        EXPECT_EQ(field.spin->Text(), std::to_wstring(field.cap));
        SendMessageW(field.spin->Edit(), WM_KEYDOWN, VK_DOWN, 1);
        EXPECT_EQ(field.spin->Text(), std::to_wstring(field.cap - 1));
        field.spin->SetText(L"0");
        SendMessageW(field.spin->Edit(), WM_KEYDOWN, VK_DOWN, 1);
        EXPECT_EQ(field.spin->Text(), L"0");
        // Leaving the field holds a typed value within the limits.
        SetFocus(field.spin->Edit());
        field.spin->SetText(L"100000");
        SetFocus(window_->chkLog);
        EXPECT_EQ(field.spin->Text(), std::to_wstring(field.cap));
    }
    // The settings' own fields keep their limit.
    window_->PeriodEdit().SetText(L"10000000");
    SendMessageW(window_->PeriodEdit().Edit(), WM_KEYDOWN, VK_UP, 1);
    EXPECT_EQ(window_->PeriodEdit().Text(), L"10000000");
    window_->SetPeriodText("0");
    ShowWindow(window_->Handle(), SW_HIDE);
}

TEST_F(OptionsTabTest, TabRunsFromTopToBottom)
{
    ui::TDialUpFrm& w = *window_;
    ShowWindow(w.Handle(), SW_SHOW);
    w.SetCurrentPage(ui::kOptionsPage);
    const std::vector<HWND> expected{w.edtNewIp.Edit(),    w.edtNewIpHours.Edit(), w.edtIpCheckUrl,
                                     w.edtAuthStop.Edit(), w.chkRedialOnDrop,      w.chkLog,
                                     w.chkBalloon};
    std::vector<HWND> order{w.edtNewIp.Edit()};
    for (std::size_t i = 1; i < expected.size(); ++i)
        order.push_back(GetNextDlgTabItem(w.Handle(), order.back(), FALSE));
    EXPECT_EQ(order, expected);
    // The hidden pages' fields are not in the way.
    EXPECT_EQ(GetNextDlgTabItem(w.Handle(), w.chkBalloon, FALSE), w.edtNewIp.Edit());
    w.SetCurrentPage(ui::kUpdatePage);
    ShowWindow(w.Handle(), SW_HIDE);
}

TEST_F(OptionsTabTest, EditingAnOptionRunsNothing)
{
    actions_->calls.clear();
    const int saves = actions_->Count("save");
    SendMessageW(window_->chkLog, BM_CLICK, 0, 0);
    SendMessageW(window_->chkRedialOnDrop, BM_CLICK, 0, 0);
    window_->edtAuthStop.Step(1);
    SetWindowTextW(window_->edtIpCheckUrl, L"http://ip.example/");
    EXPECT_TRUE(actions_->calls.empty());
    EXPECT_EQ(actions_->Count("save"), saves);
    EXPECT_EQ(window_->OptionText(OptionKey::Log), "1");
    EXPECT_EQ(window_->OptionText(OptionKey::AuthStop), "1");
}

}  // namespace
