// The history and options tabs: their captions and places among the tabs,
// the state line, the list of events as the actions report them, the
// options as the settings file and the re-dial step see them.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cctype>
#include <memory>
#include <string>
#include <vector>

#include "FakeDialUpActions.h"
#include "WindowDoubles.h"
#include "app/Application.h"
#include "app/WinMessagePump.h"
#include "ui/DialUpUnit.h"
#include "ui/HistoryTab.h"
#include "ui/WindowText.h"

namespace {

using scheduler::EventKind;
using scheduler::LocalTime;
using scheduler::RedialEvent;
using scheduler::RedialState;
using scheduler::RedialStatus;
using settings::OptionKey;

LocalTime At(int hour, int minute, int second)
{
    LocalTime time;
    time.year = 2026;
    time.month = 12;
    time.day = 10;
    time.hour = hour;
    time.minute = minute;
    time.second = second;
    return time;
}

RedialEvent MakeEvent(std::uint64_t sequence, EventKind kind, std::string address = {})
{
    RedialEvent event;
    event.sequence = sequence;
    event.time = At(10, static_cast<int>(sequence / 60 % 60), static_cast<int>(sequence % 60));
    event.kind = kind;
    event.entry = "ADSL";
    event.address = std::move(address);
    return event;
}

// The events newest first, sequence `newest` down to 1.
std::vector<RedialEvent> History(std::uint64_t newest)
{
    std::vector<RedialEvent> events;
    for (std::uint64_t sequence = newest; sequence >= 1; --sequence)
        events.push_back(MakeEvent(sequence, EventKind::Dial));
    return events;
}

class HistoryTabTest : public ::testing::Test {
protected:
    void Create()
    {
        window = std::make_unique<ui::TDialUpFrm>(actions, application, platform);
        application.SetMainWindow(window.get());
    }

    void DeliverWaiting()
    {
        app::WinMessagePump pump(application);
        pump.SleepSlice(0);
    }

    // A click on a tab, as the mouse makes it, delivered by the program's
    // loop; the tab control tells the window of the change.
    void ClickTab(int page)
    {
        ShowWindow(window->Handle(), SW_SHOW);
        RECT tab;
        ASSERT_TRUE(SendMessageW(window->RzPageControl1, TCM_GETITEMRECT, static_cast<WPARAM>(page),
                                 reinterpret_cast<LPARAM>(&tab)));
        const LPARAM point = MAKELPARAM((tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2);
        PostMessageW(window->RzPageControl1, WM_LBUTTONDOWN, MK_LBUTTON, point);
        PostMessageW(window->RzPageControl1, WM_LBUTTONUP, 0, point);
        DeliverWaiting();
    }

    std::vector<std::wstring> Column(std::size_t column) const
    {
        std::vector<std::wstring> cells;
        for (std::size_t row = 0; row < ui::EventRowCount(window->lvRedialEvents); ++row)
            cells.push_back(ui::EventRowText(window->lvRedialEvents, row)[column]);
        return cells;
    }

    void TearDown() override
    {
        application.SetMainWindow(nullptr);
        window.reset();
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    FakeDialUpActions actions;
    RecordingPlatform platform;
    app::Application application;
    std::unique_ptr<ui::TDialUpFrm> window;
};

TEST_F(HistoryTabTest, FourTabsInOrderAndTheWindowOpensOnTheUpdateTab)
{
    Create();
    ASSERT_EQ(SendMessageW(window->RzPageControl1, TCM_GETITEMCOUNT, 0, 0), 4);
    const wchar_t* captions[] = {L"参数设置", L"官方更新", L"运行记录", L"高级设置"};
    for (int i = 0; i < 4; ++i) {
        wchar_t tab[32] = {};
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = tab;
        item.cchTextMax = 32;
        SendMessageW(window->RzPageControl1, TCM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        EXPECT_STREQ(tab, captions[i]);
    }
    EXPECT_EQ(window->CurrentPage(), ui::kUpdatePage);
    const HWND pages[] = {window->TabSheet1, window->TabSheet10, window->HistorySheet, window->OptionsSheet};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ((GetWindowLongW(pages[i], GWL_STYLE) & WS_VISIBLE) != 0, i == ui::kUpdatePage) << i;
    // Each new page fills the page area like the first two.
    for (HWND page : {window->HistorySheet, window->OptionsSheet}) {
        EXPECT_EQ(GetParent(page), window->RzPageControl1);
        RECT bounds;
        GetWindowRect(page, &bounds);
        MapWindowPoints(nullptr, window->RzPageControl1, reinterpret_cast<POINT*>(&bounds), 2);
        EXPECT_EQ(bounds.top, 19);
        EXPECT_EQ(bounds.right - bounds.left, 510);
        EXPECT_EQ(bounds.bottom - bounds.top, 408);
    }
}

TEST_F(HistoryTabTest, CreationListensToEventsLooksTheConnectionUpAndShowsTheHistory)
{
    actions.status.state = RedialState::Connected;
    actions.status.address = "10.64.0.3";
    actions.status.redials = 2;
    actions.events = History(3);
    Create();
    EXPECT_EQ(actions.listener, window.get());
    // The look-up comes after the settings are loaded.
    EXPECT_EQ(actions.calls, (std::vector<std::string>{"items", "load", "lookup"}));
    EXPECT_EQ(actions.recentCounts, std::vector<std::size_t>{500});
    EXPECT_EQ(window->StateLineText(), L"已连接 10.64.0.3");
    EXPECT_EQ(window->CountersText(), L"重拨 2 次  失败 0 次  不同地址 0 个");
    EXPECT_EQ(ui::EventRowCount(window->lvRedialEvents), 3u);

    const LONG style = GetWindowLongW(window->lvRedialEvents, GWL_STYLE);
    EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
    EXPECT_FALSE(style & LVS_EDITLABELS);
    EXPECT_TRUE(SendMessageW(window->lvRedialEvents, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT);

    window.reset();
    EXPECT_EQ(actions.listener, nullptr);
    EXPECT_EQ(actions.listenerChanges, 2);
}

TEST_F(HistoryTabTest, TheListShowsEachEventsCellsNewestFirst)
{
    RedialEvent connected = MakeEvent(3, EventKind::Connected, "10.64.0.3");
    connected.time = At(10, 26, 37);
    connected.publicAddress = "203.0.113.7";
    connected.fresh = true;
    RedialEvent failed = MakeEvent(2, EventKind::Failed);
    failed.time = At(9, 5, 0);
    failed.code = 691;
    failed.text = "\xD5\xCB\xBA\xC5\xB4\xED\xCE\xF3";  // 账号错误 in GBK
    RedialEvent hangUp = MakeEvent(1, EventKind::HangUp);
    hangUp.time = At(9, 4, 55);
    actions.events = {connected, failed, hangUp};
    Create();

    ASSERT_EQ(ui::EventRowCount(window->lvRedialEvents), 3u);
    EXPECT_EQ(Column(0), (std::vector<std::wstring>{L"10:26:37", L"09:05:00", L"09:04:55"}));
    EXPECT_EQ(Column(1), (std::vector<std::wstring>{L"已连接", L"拨号失败", L"断开"}));
    EXPECT_EQ(Column(2), (std::vector<std::wstring>{L"10.64.0.3", L"", L""}));
    EXPECT_EQ(Column(3), (std::vector<std::wstring>{L"203.0.113.7", L"", L""}));
    EXPECT_EQ(Column(4), (std::vector<std::wstring>{L"", L"691", L""}));
    EXPECT_EQ(Column(5)[0], L"新地址");
    EXPECT_EQ(Column(5)[1], ui::WideFromAnsi(failed.text));
    EXPECT_EQ(Column(5)[2], L"");

    // The headings, in order.
    const wchar_t* headings[] = {L"时间", L"事件", L"地址", L"公网地址", L"代码", L"说明"};
    for (int i = 0; i < 6; ++i) {
        wchar_t heading[32] = {};
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT;
        column.pszText = heading;
        column.cchTextMax = 32;
        ASSERT_TRUE(SendMessageW(window->lvRedialEvents, LVM_GETCOLUMNW, static_cast<WPARAM>(i),
                                 reinterpret_cast<LPARAM>(&column)));
        EXPECT_STREQ(heading, headings[i]);
    }
}

TEST_F(HistoryTabTest, EveryEventHasItsChineseName)
{
    const struct {
        EventKind kind;
        const wchar_t* name;
    } names[] = {
        {EventKind::HangUp, L"断开"},     {EventKind::Dial, L"拨号"},         {EventKind::Connected, L"已连接"},
        {EventKind::Failed, L"拨号失败"}, {EventKind::Timeout, L"超时"},      {EventKind::SameAddress, L"地址未变"},
        {EventKind::Dropped, L"掉线"},    {EventKind::AuthStop, L"停止拨号"}, {EventKind::IpCheck, L"公网地址"},
        {EventKind::Hook, L"新地址命令"}, {EventKind::Api, L"HTTP接口"},
    };
    for (const auto& name : names)
        EXPECT_EQ(ui::EventName(name.kind), name.name) << scheduler::EventWord(name.kind);
}

TEST_F(HistoryTabTest, ANewEventGoesOnTopAndTheOldestGoesPastFiveHundred)
{
    actions.events = History(499);
    Create();
    ASSERT_EQ(ui::EventRowCount(window->lvRedialEvents), 499u);
    actions.status.state = RedialState::Dialling;
    actions.status.redials = 500;

    window->EventAdded(MakeEvent(500, EventKind::Dial));
    EXPECT_EQ(ui::EventRowCount(window->lvRedialEvents), 500u);
    EXPECT_EQ(window->StateLineText(), L"正在拨号…");
    EXPECT_EQ(window->CountersText(), L"重拨 500 次  失败 0 次  不同地址 0 个");

    window->EventAdded(MakeEvent(501, EventKind::Connected, "10.0.0.9"));
    ASSERT_EQ(ui::EventRowCount(window->lvRedialEvents), 500u);
    const std::vector<std::wstring> addresses = Column(2);
    EXPECT_EQ(addresses.front(), L"10.0.0.9");
    EXPECT_EQ(Column(1)[1], L"拨号");
    // Event 1 went; event 2 (10:00:02) is now the last row.
    EXPECT_EQ(Column(0).back(), L"10:00:02");

    // Filling anew keeps at most 500 rows too.
    ui::FillEventRows(window->lvRedialEvents, History(600));
    EXPECT_EQ(ui::EventRowCount(window->lvRedialEvents), 500u);
    EXPECT_EQ(Column(0).front(), L"10:10:00");  // event 600
}

TEST_F(HistoryTabTest, TurningToTheHistoryTabLooksUpAndRefreshesEverything)
{
    Create();
    ASSERT_EQ(ui::EventRowCount(window->lvRedialEvents), 0u);
    actions.calls.clear();
    actions.events = History(2);
    actions.status.state = RedialState::Counting;
    actions.status.elapsed = 12;
    actions.status.period = 180;

    ClickTab(ui::kOptionsPage);
    EXPECT_EQ(window->CurrentPage(), ui::kOptionsPage);
    EXPECT_TRUE(IsWindowVisible(window->OptionsSheet));
    EXPECT_EQ(actions.Count("lookup"), 0);

    ClickTab(ui::kHistoryPage);
    EXPECT_EQ(window->CurrentPage(), ui::kHistoryPage);
    EXPECT_TRUE(IsWindowVisible(window->HistorySheet));
    EXPECT_FALSE(IsWindowVisible(window->OptionsSheet));
    EXPECT_EQ(actions.calls, std::vector<std::string>{"lookup"});
    EXPECT_EQ(ui::EventRowCount(window->lvRedialEvents), 2u);
    EXPECT_EQ(window->StateLineText(), L"计时 12/180 秒");
}

TEST_F(HistoryTabTest, EachTickAndEachChangeOfStateRefreshTheStateLine)
{
    Create();
    actions.status.state = RedialState::Counting;
    actions.status.elapsed = 7;
    actions.status.period = 180;
    SendMessageW(window->Handle(), WM_TIMER, window->Timer1.Id(), 0);
    EXPECT_EQ(actions.Count("tick"), 1);
    EXPECT_EQ(window->StateLineText(), L"计时 7/180 秒");

    actions.status.state = RedialState::HangingUp;
    actions.status.waitLeft = 3;
    actions.listener->StateChanged();
    EXPECT_EQ(window->StateLineText(), L"正在断开（等待 3 秒）");
    EXPECT_EQ(ui::EventRowCount(window->lvRedialEvents), 0u);

    // Why the HTTP API is not served shows under the state, and goes once
    // the API is served.
    actions.status.apiProblem = "the HTTP API is not served: port 17080 is in use";
    actions.listener->StateChanged();
    EXPECT_EQ(window->StateLineText(),
              L"正在断开（等待 3 秒）\r\nHTTP接口未启动：the HTTP API is not served: port 17080 is in use");
    actions.status.apiProblem.clear();
    actions.listener->StateChanged();
    EXPECT_EQ(window->StateLineText(), L"正在断开（等待 3 秒）");
}

TEST_F(HistoryTabTest, TheStateLineHasRoomForTheStateAndAWrappedApiProblem)
{
    // The longest problem, after a long state, wraps to three lines at
    // most: all of them lie within the label, above the counters.
    Create();
    actions.status.state = RedialState::AuthStopped;
    actions.status.authFailures = 20;
    actions.status.apiProblem =
        "not listening on fd00:1234:5678:9abc:def0:1234:5678:9abc: a host that is not a loopback address needs "
        "apitoken";
    actions.listener->StateChanged();
    const std::wstring text = window->StateLineText();
    RECT label;
    GetClientRect(window->lblRedialState, &label);
    HDC dc = GetDC(window->lblRedialState);
    const HGDIOBJ previous =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(window->lblRedialState, WM_GETFONT, 0, 0)));
    RECT needed = label;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &needed, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, previous);
    ReleaseDC(window->lblRedialState, dc);
    EXPECT_LE(needed.bottom, label.bottom) << "the state line needs " << needed.bottom << " pixels";

    RECT state, counters;
    GetWindowRect(window->lblRedialState, &state);
    GetWindowRect(window->lblRedialCounters, &counters);
    EXPECT_LE(state.bottom, counters.top);
}

TEST_F(HistoryTabTest, ABalloonShowsAFreshAddressOnlyWithTheOptionOn)
{
    Create();
    window->AddTrayIcon();
    RedialEvent fresh = MakeEvent(2, EventKind::Connected, "10.64.0.3");
    fresh.fresh = true;
    RedialEvent same = MakeEvent(3, EventKind::Connected, "10.64.0.3");
    RedialEvent other = MakeEvent(4, EventKind::SameAddress, "10.64.0.3");
    other.fresh = true;

    window->EventAdded(fresh);  // the option is off
    EXPECT_TRUE(platform.wideNotifications.empty());

    window->SetOptionText(OptionKey::Balloon, "1");
    window->EventAdded(same);
    window->EventAdded(other);
    EXPECT_TRUE(platform.wideNotifications.empty());
    window->EventAdded(fresh);
    fresh.address = "10.64.0.9";
    fresh.publicAddress = "203.0.113.7";
    window->EventAdded(fresh);
    ASSERT_EQ(platform.wideNotifications.size(), 2u);
    for (const auto& [message, record] : platform.wideNotifications) {
        EXPECT_EQ(message, static_cast<DWORD>(NIM_MODIFY));
        EXPECT_EQ(record.uFlags, static_cast<UINT>(NIF_INFO));
        EXPECT_STREQ(record.szInfoTitle, L"Velmora V2.0.10");
    }
    EXPECT_STREQ(platform.wideNotifications[0].second.szInfo, L"新地址 10.64.0.3");
    EXPECT_STREQ(platform.wideNotifications[1].second.szInfo, L"新地址 10.64.0.9，公网 203.0.113.7");
    EXPECT_EQ(ui::EventRowCount(window->lvRedialEvents), 5u);
}

struct StateCase {
    const char* name;
    RedialStatus status;
    const wchar_t* line;
};

RedialStatus With(RedialState state, void (*fill)(RedialStatus&) = nullptr)
{
    RedialStatus status;
    status.state = state;
    if (fill)
        fill(status);
    return status;
}

class StateLineTest : public ::testing::TestWithParam<StateCase> {};

TEST_P(StateLineTest, TheStateLineSaysWhatTheProgramIsDoing)
{
    EXPECT_EQ(ui::StateLine(GetParam().status), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    States, StateLineTest,
    ::testing::Values(
        StateCase{"stopped", With(RedialState::Stopped), L"未启用"},
        StateCase{"inactive", With(RedialState::Inactive), L"未生效：重复拨号时间须大于2秒，并选择拨号连接"},
        StateCase{"counting",
                  With(RedialState::Counting,
                       [](RedialStatus& s) {
                           s.elapsed = 12;
                           s.period = 180;
                       }),
                  L"计时 12/180 秒"},
        StateCase{"counting connected",
                  With(RedialState::Counting,
                       [](RedialStatus& s) {
                           s.elapsed = 1;
                           s.period = 300;
                           s.address = "10.64.0.3";
                           s.publicAddress = "203.0.113.7";
                       }),
                  L"计时 1/300 秒，已连接 10.64.0.3，公网 203.0.113.7"},
        StateCase{"hanging up", With(RedialState::HangingUp, [](RedialStatus& s) { s.waitLeft = 3; }),
                  L"正在断开（等待 3 秒）"},
        StateCase{"hanging up, no wait", With(RedialState::HangingUp), L"正在断开"},
        StateCase{"pausing", With(RedialState::Pausing, [](RedialStatus& s) { s.waitLeft = 3; }), L"断线后等待 3 秒"},
        StateCase{"dialling", With(RedialState::Dialling), L"正在拨号…"},
        StateCase{"connected",
                  With(RedialState::Connected,
                       [](RedialStatus& s) {
                           s.address = "10.64.0.3";
                           s.since = At(10, 26, 37);
                       }),
                  L"已连接 10.64.0.3（自 10:26:37）"},
        StateCase{"connected, public",
                  With(RedialState::Connected,
                       [](RedialStatus& s) {
                           s.address = "10.64.0.3";
                           s.since = At(8, 0, 5);
                           s.publicAddress = "203.0.113.7";
                       }),
                  L"已连接 10.64.0.3（自 08:00:05），公网 203.0.113.7"},
        StateCase{"failed",
                  With(RedialState::Failed,
                       [](RedialStatus& s) {
                           s.lastCode = 691;
                           s.lastText = "Access denied";
                       }),
                  L"拨号失败 691：Access denied"},
        StateCase{"failed, no text", With(RedialState::Failed, [](RedialStatus& s) { s.lastCode = 678; }),
                  L"拨号失败 678"},
        StateCase{"auth-stopped", With(RedialState::AuthStopped, [](RedialStatus& s) { s.authFailures = 3; }),
                  L"账号或密码错误 3 次，已停止拨号：修改账号或密码，或重新点击“启用”后继续"},
        StateCase{"stopped, API needs a token",
                  With(RedialState::Stopped,
                       [](RedialStatus& s) {
                           s.apiProblem = "not listening on 0.0.0.0: a host that is not a loopback address needs "
                                          "apitoken";
                       }),
                  L"未启用\r\nHTTP接口未启动：not listening on 0.0.0.0: a host that is not a loopback address "
                  L"needs apitoken"},
        StateCase{
            "connected, API port in use",
            With(RedialState::Connected,
                 [](RedialStatus& s) {
                     s.address = "10.64.0.3";
                     s.since = At(10, 26, 37);
                     s.apiProblem = "the HTTP API is not served: port 8080 is in use";
                 }),
            L"已连接 10.64.0.3（自 10:26:37）\r\nHTTP接口未启动：the HTTP API is not served: port 8080 is in use"}),
    [](const ::testing::TestParamInfo<StateCase>& info) {
        std::string name;
        for (const char* c = info.param.name; *c; ++c)
            name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
        return name;
    });

}  // namespace
