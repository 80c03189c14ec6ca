// The options tab: each option's widget as the settings file reads and
// writes it, the options in force as the re-dial step and the HTTP API read
// them, the fields' limits, the token's hidden box, the layout and the tab
// order.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "FakeDialUpActions.h"
#include "WindowDoubles.h"
#include "ui/AnsiText.h"
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
    // The API's place is the default one, which the labels name; the port
    // field stays empty.
    EXPECT_EQ(ui::WindowText(fresh.edtApiHost), L"");
    EXPECT_EQ(fresh.edtApiPort.Text(), L"");
    EXPECT_EQ(SendMessageW(fresh.chkApi, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_NE(ui::WindowText(fresh.lblApiHost).find(ui::WideFromAnsi(settings::kDefaultApiHost)), std::wstring::npos);
    EXPECT_NE(ui::WindowText(fresh.lblApiPort).find(std::to_wstring(settings::kDefaultApiPort)), std::wstring::npos);
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
        {OptionKey::Api, "1", "1"},
        {OptionKey::Api, "yes", ""},
        {OptionKey::ApiHost, "0.0.0.0", "0.0.0.0"},
        {OptionKey::ApiHost, "fd00::1", "fd00::1"},
        {OptionKey::ApiHost, "", ""},
        {OptionKey::ApiPort, "8080", "8080"},
        {OptionKey::ApiPort, "", ""},  // the default port: not written
        {OptionKey::ApiPort, "+080", "+080"},
        {OptionKey::ApiToken, "s3cret", "s3cret"},
        // Every printable character a token may hold, the longest token.
        {OptionKey::ApiToken, "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~", "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~"},
        {OptionKey::ApiToken, std::string(settings::kMaxTokenLength, 'k'), std::string(settings::kMaxTokenLength, 'k')},
        {OptionKey::ApiToken, "", ""},
        // A command in a folder named in the code page, and bytes that are
        // no character in it, come back unchanged.
        {OptionKey::OnNewIp, "\"C:\\\xB9\xA4\xBE\xDF\\new-ip.cmd\" --fresh",
         "\"C:\\\xB9\xA4\xBE\xDF\\new-ip.cmd\" --fresh"},
        {OptionKey::OnNewIp, "notify.cmd \x81\xFF", "notify.cmd \x81\xFF"},
        {OptionKey::OnNewIp, std::string(settings::kMaxCommandLength, 'c'),
         std::string(settings::kMaxCommandLength, 'c')},
        {OptionKey::OnNewIp, "", ""},
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
    const char* samples[] = {"1",     "3",      "999", "http://ip.example/", "127.0.0.1", "::1", "8080",
                             "70000", "s3cret", "a b", "notify.cmd --fresh", "x"};
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

TEST_F(OptionsTabTest, TheTokenIsHiddenButItsBytesAreKept)
{
    const LONG_PTR style = GetWindowLongPtrW(window_->edtApiToken, GWL_STYLE);
    EXPECT_TRUE(style & ES_PASSWORD);
    EXPECT_EQ(SendMessageW(window_->edtApiToken, EM_GETPASSWORDCHAR, 0, 0), L'*');
    // Like the password's box.
    EXPECT_EQ(SendMessageW(window_->PasswordBox(), EM_GETPASSWORDCHAR, 0, 0), L'*');

    window_->SetOptionText(OptionKey::ApiToken, "Tok-3n_~x");
    EXPECT_EQ(window_->OptionText(OptionKey::ApiToken), "Tok-3n_~x");
    EXPECT_EQ(window_->Options().apiToken, "Tok-3n_~x");
    // A typed token is the box's text; one with a blank is no token.
    SetWindowTextW(window_->edtApiToken, L"typed");
    EXPECT_EQ(window_->Options().apiToken, "typed");
    SetWindowTextW(window_->edtApiToken, L"two words");
    EXPECT_EQ(window_->Options().apiToken, "");
    // Nothing longer than a token can hold can be typed.
    EXPECT_EQ(SendMessageW(window_->edtApiToken, EM_GETLIMITTEXT, 0, 0),
              static_cast<LRESULT>(settings::kMaxTokenLength));
    EXPECT_EQ(SendMessageW(window_->edtOnNewIp, EM_GETLIMITTEXT, 0, 0),
              static_cast<LRESULT>(settings::kMaxCommandLength));
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

    // The HTTP API's and the hook's options.
    SendMessageW(window_->chkApi, BM_CLICK, 0, 0);
    window_->SetOptionText(OptionKey::ApiHost, "0.0.0.0");
    window_->SetOptionText(OptionKey::ApiPort, "8080");
    window_->SetOptionText(OptionKey::ApiToken, "s3cret");
    window_->SetOptionText(OptionKey::OnNewIp, "new-ip.cmd");
    expected.api = true;
    expected.apiHost = "0.0.0.0";
    expected.apiPort = 8080;
    expected.apiToken = "s3cret";
    expected.onNewIp = "new-ip.cmd";
    EXPECT_EQ(window_->Options(), expected);
    EXPECT_EQ(window_->OptionText(OptionKey::Api), "1");
    // Empty fields are the default address and port; a host that is no
    // address and a port out of range count as off, that is the defaults.
    SetWindowTextW(window_->edtApiHost, L"");
    window_->edtApiPort.SetText(L"");
    EXPECT_EQ(window_->Options().apiHost, settings::kDefaultApiHost);
    EXPECT_EQ(window_->Options().apiPort, settings::kDefaultApiPort);
    SetWindowTextW(window_->edtApiHost, L"localhost");
    window_->edtApiPort.SetText(L"70000");
    EXPECT_EQ(window_->Options().apiHost, settings::kDefaultApiHost);
    EXPECT_EQ(window_->Options().apiPort, settings::kDefaultApiPort);
    // A typed command is the box's text; a blank one is none.
    SetWindowTextW(window_->edtOnNewIp, L"notify.cmd %VELMORA_ADDRESS%");
    EXPECT_EQ(window_->Options().onNewIp, "notify.cmd %VELMORA_ADDRESS%");
    SetWindowTextW(window_->edtOnNewIp, L"   ");
    EXPECT_EQ(window_->Options().onNewIp, "");

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
    // The port: 1 to 65535. An empty field is the default port and stays
    // empty when left.
    ui::SpinEdit& port = window_->edtApiPort;
    EXPECT_EQ(port.MinValue(), 1);
    EXPECT_EQ(port.MaxValue(), 65535);
    port.SetText(L"65535");
    SendMessageW(port.Edit(), WM_KEYDOWN, VK_UP, 1);
    EXPECT_EQ(port.Text(), L"65535");
    port.SetText(L"1");
    SendMessageW(port.Edit(), WM_KEYDOWN, VK_DOWN, 1);
    EXPECT_EQ(port.Text(), L"1");
    const struct {
        const wchar_t* typed;
        const wchar_t* left;
    } leavings[] = {{L"0", L"1"}, {L"-5", L"1"}, {L"70000", L"65535"}, {L"8080", L"8080"}, {L"", L""}};
    for (const auto& leaving : leavings) {
        SetFocus(port.Edit());
        port.SetText(leaving.typed);
        SetFocus(window_->chkLog);
        EXPECT_EQ(port.Text(), leaving.left) << "typed " << ui::AnsiFromWide(leaving.typed);
    }
    EXPECT_EQ(window_->OptionText(OptionKey::ApiPort), "");
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
    const std::vector<HWND> expected{w.edtNewIp.Edit(), w.edtNewIpHours.Edit(),
                                     w.edtIpCheckUrl,   w.edtAuthStop.Edit(),
                                     w.chkRedialOnDrop, w.chkLog,
                                     w.chkBalloon,      w.chkApi,
                                     w.edtApiHost,      w.edtApiPort.Edit(),
                                     w.edtApiToken,     w.edtOnNewIp};
    std::vector<HWND> order{w.edtNewIp.Edit()};
    for (std::size_t i = 1; i < expected.size(); ++i)
        order.push_back(GetNextDlgTabItem(w.Handle(), order.back(), FALSE));
    EXPECT_EQ(order, expected);
    // The hidden pages' fields are not in the way.
    EXPECT_EQ(GetNextDlgTabItem(w.Handle(), w.edtOnNewIp, FALSE), w.edtNewIp.Edit());
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
    SendMessageW(window_->chkApi, BM_CLICK, 0, 0);
    SetWindowTextW(window_->edtApiHost, L"0.0.0.0");
    window_->edtApiPort.Step(1);
    SetWindowTextW(window_->edtApiToken, L"s3cret");
    SetWindowTextW(window_->edtOnNewIp, L"new-ip.cmd");
    EXPECT_TRUE(actions_->calls.empty());
    EXPECT_EQ(actions_->Count("save"), saves);
    EXPECT_EQ(window_->OptionText(OptionKey::Log), "1");
    EXPECT_EQ(window_->OptionText(OptionKey::AuthStop), "1");
    EXPECT_EQ(window_->OptionText(OptionKey::Api), "1");
    // From an empty field a step starts at the lowest port.
    EXPECT_EQ(window_->OptionText(OptionKey::ApiPort), "2");
}

// Where a widget lies within its parent's client area.
RECT PlaceInParent(HWND widget)
{
    RECT place;
    GetWindowRect(widget, &place);
    MapWindowPoints(nullptr, GetParent(widget), reinterpret_cast<POINT*>(&place), 2);
    return place;
}

// A spin edit's buttons lie over its edit box's right border, as the
// platform places buttons on their buddy.
bool ButtonsOf(HWND buttons, HWND edit)
{
    wchar_t name[32] = {};
    GetClassNameW(buttons, name, 32);
    return std::wstring(name) == UPDOWN_CLASSW &&
           reinterpret_cast<HWND>(SendMessageW(buttons, UDM_GETBUDDY, 0, 0)) == edit;
}

// Each of the parent's visible children lies inside it and overlaps no
// other but its own buttons; the panels' children are checked in turn.
void ExpectLaidOutWithoutOverlap(HWND parent, std::vector<std::wstring>& faults)
{
    RECT area;
    GetClientRect(parent, &area);
    std::vector<std::pair<HWND, RECT>> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsWindowVisible(child))
            children.emplace_back(child, PlaceInParent(child));
    }
    for (std::size_t i = 0; i < children.size(); ++i) {
        const RECT& place = children[i].second;
        if (place.left < area.left || place.top < area.top || place.right > area.right || place.bottom > area.bottom)
            faults.push_back(L"outside: " + ui::WindowText(children[i].first));
        for (std::size_t j = i + 1; j < children.size(); ++j) {
            const HWND a = children[i].first;
            const HWND b = children[j].first;
            RECT common;
            if (!ButtonsOf(a, b) && !ButtonsOf(b, a) && IntersectRect(&common, &place, &children[j].second))
                faults.push_back(ui::WindowText(children[i].first) + L" over " + ui::WindowText(children[j].first));
        }
        if (GetWindow(children[i].first, GW_CHILD))
            ExpectLaidOutWithoutOverlap(children[i].first, faults);
    }
}

TEST_F(OptionsTabTest, EveryWidgetFitsThePageWithoutOverlap)
{
    ui::TDialUpFrm& w = *window_;
    ShowWindow(w.Handle(), SW_SHOW);
    w.SetCurrentPage(ui::kOptionsPage);
    RECT page;
    GetClientRect(w.OptionsSheet, &page);
    EXPECT_EQ(page.right, 510);
    EXPECT_EQ(page.bottom, 408);
    std::vector<std::wstring> faults;
    ExpectLaidOutWithoutOverlap(w.OptionsSheet, faults);
    for (const std::wstring& fault : faults)
        ADD_FAILURE() << ui::AnsiFromWide(fault);
    // The second group lies below the first.
    EXPECT_GE(PlaceInParent(w.pnlApiOptions).top, PlaceInParent(w.pnlOptions).bottom);
    w.SetCurrentPage(ui::kUpdatePage);
    ShowWindow(w.Handle(), SW_HIDE);
}

}  // namespace
