#include "ui/DialUpUnit.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "FakeDialUpActions.h"
#include "WindowDoubles.h"
#include "app/Application.h"
#include "app/WinMessagePump.h"
#include "ui/AnsiText.h"
#include "ui/WindowText.h"
#include "ui/shell/ShellFailure.h"
#include "ui/shell/WebAddresses.h"

namespace {

class DialUpFrmTest : public ::testing::Test {
protected:
    void Create()
    {
        window = std::make_unique<ui::TDialUpFrm>(actions, application, platform);
        application.SetMainWindow(window.get());
    }

    // The texts of the error reports shown so far.
    std::vector<std::wstring> Reports() const
    {
        std::vector<std::wstring> texts;
        for (const auto& report : platform.reports)
            texts.push_back(report.text);
        return texts;
    }

    // Shows the window and gives it the focus, as the user would see it.
    void ShowAndFocus(HWND control)
    {
        ShowWindow(window->Handle(), SW_SHOW);
        SetForegroundWindow(window->Handle());
        window->SetCurrentPage(0);
        SetFocus(control);
    }

    // Takes every waiting message and delivers it as the program's loops do,
    // the dialog manager included.
    void DeliverWaiting()
    {
        app::WinMessagePump pump(application);
        pump.SleepSlice(0);
    }

    // Characters typed into the focused control, as the keyboard's
    // translated messages arrive in the queue.
    void Type(const std::wstring& keys)
    {
        for (wchar_t key : keys)
            PostMessageW(GetFocus(), WM_CHAR, key, 1);
        DeliverWaiting();
    }

    // A key pressed and released on the focused control; its character, if
    // it has one, comes from the loop's translation.
    void Press(UINT key, UINT scanCode)
    {
        const LPARAM scan = static_cast<LPARAM>(scanCode) << 16;
        PostMessageW(GetFocus(), WM_KEYDOWN, key, scan | 1);
        PostMessageW(GetFocus(), WM_KEYUP, key, scan | 1 | (LPARAM{1} << 30) | (LPARAM{1} << 31));
        DeliverWaiting();
    }

    static std::wstring Text(HWND control) { return ui::WindowText(control); }

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
    int& beeps = platform.beeps;
};

TEST_F(DialUpFrmTest, FirstStartShowsTheUpdateTabAndTheInitialValues)
{
    Create();

    EXPECT_EQ(window->CurrentPage(), 1);
    // The window is hidden, so the pages' own visibility marks tell.
    EXPECT_FALSE(GetWindowLongW(window->TabSheet1, GWL_STYLE) & WS_VISIBLE);
    EXPECT_TRUE(GetWindowLongW(window->TabSheet10, GWL_STYLE) & WS_VISIBLE);
    EXPECT_EQ(window->EntryIndex(), -1);
    EXPECT_EQ(window->EntryText(), "");
    EXPECT_EQ(window->AccountText(), "");
    EXPECT_EQ(window->PasswordText(), "");
    EXPECT_EQ(window->PeriodText(), "0");
    EXPECT_EQ(window->PauseText(), "5");
    EXPECT_EQ(window->PeriodValue(), 0);
    EXPECT_EQ(window->PauseValue(), 5);
    EXPECT_FALSE(window->EnabledTicked());
    EXPECT_FALSE(window->Timer1Running());
    EXPECT_EQ(window->Label1Text(), L"");
    EXPECT_EQ(window->ElapsedSeconds(), 0);
    EXPECT_EQ(window->TickCount(), 0);
    // The flat look is on from creation (WindowLookTest shows what it draws).
    EXPECT_FALSE(GetWindowLongW(window->edtDialUser, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_FALSE(IsWindowVisible(window->Handle()));
    // The update page's browser, made in WebBrowser2, was sent to the page.
    EXPECT_EQ(platform.browserHosts, std::vector<HWND>{window->WebBrowser2});
    EXPECT_EQ(platform.page.navigated, ui::UpdatePageAddress());
    EXPECT_EQ(actions.calls, (std::vector<std::string>{"items", "load", "lookup"}));
    EXPECT_TRUE(platform.reports.empty());
}

TEST_F(DialUpFrmTest, TheWindowHasAFixedBorderAndNoMaximiseButton)
{
    Create();
    const LONG style = GetWindowLongW(window->Handle(), GWL_STYLE);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_TRUE(style & WS_SYSMENU);
    RECT client;
    GetClientRect(window->Handle(), &client);
    EXPECT_EQ(client.right - client.left, 510);
    EXPECT_EQ(client.bottom - client.top, 427);
    RECT frame;
    GetWindowRect(window->Handle(), &frame);
    EXPECT_EQ(frame.left, 282);
    EXPECT_EQ(frame.top, 152);
    EXPECT_EQ(window->Caption(), L"Velmora V2.0.10");
}

TEST_F(DialUpFrmTest, WidgetsHaveTheirDesignedTextsAndPlaces)
{
    Create();
    EXPECT_EQ(Text(window->CheckBox1), L"启用");
    EXPECT_EQ(Text(window->SpeedButton43), L"刷新(&R)");
    EXPECT_EQ(Text(window->Label68), L"重复拨号时间 ");
    EXPECT_EQ(SendMessageW(window->edtDialPWD, EM_GETPASSWORDCHAR, 0, 0), L'*');
    const LONG comboStyle = GetWindowLongW(window->edtDialer, GWL_STYLE);
    EXPECT_EQ(comboStyle & 0x3, CBS_DROPDOWNLIST);
    EXPECT_EQ(SendMessageW(window->edtDialer, CB_GETITEMHEIGHT, 0, 0), 12);

    wchar_t tab[32] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = tab;
    item.cchTextMax = 32;
    SendMessageW(window->RzPageControl1, TCM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(tab, L"参数设置");
    SendMessageW(window->RzPageControl1, TCM_GETITEMW, 1, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(tab, L"官方更新");

    // The status bar: a 450-pixel credit panel and a 50-pixel empty one.
    int edges[2] = {};
    EXPECT_EQ(SendMessageW(window->StatusBar1, SB_GETPARTS, 2, reinterpret_cast<LPARAM>(edges)), 2);
    EXPECT_EQ(edges[0], 450);
    EXPECT_EQ(edges[1] - edges[0], 50);

    // The browser's place on the update tab, below the refresh strip.
    RECT browser;
    GetWindowRect(window->WebBrowser2, &browser);
    MapWindowPoints(nullptr, window->TabSheet10, reinterpret_cast<POINT*>(&browser), 2);
    EXPECT_EQ(browser.left, 0);
    EXPECT_EQ(browser.top, 23);
    EXPECT_EQ(browser.right - browser.left, 510);
    EXPECT_EQ(browser.bottom - browser.top, 385);

    // A lone CR in a label's text shows as a line break.
    EXPECT_NE(Text(window->Label4).find(L"\r\n"), std::wstring::npos);
}

TEST_F(DialUpFrmTest, EntryItemsKeepTheirExactBytes)
{
    const std::string gbkName = "\xB2\xE2\xCA\xD4\xC1\xAC\xBD\xD3";  // 测试连接 in GBK
    actions.items = {"ADSL", gbkName, "VPN,office"};
    Create();
    ASSERT_EQ(window->EntryItemCount(), 3u);
    EXPECT_EQ(SendMessageW(window->edtDialer, CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(window->EntryIndex(), -1);

    window->SetEntryIndex(1);
    EXPECT_EQ(window->EntryIndex(), 1);
    EXPECT_EQ(window->EntryText(), gbkName);
    window->SetEntryIndex(2);
    EXPECT_EQ(window->EntryText(), "VPN,office");

    for (int outside : {3, -1, -5, 1000}) {
        window->SetEntryIndex(1);
        window->SetEntryIndex(outside);
        EXPECT_EQ(window->EntryIndex(), -1) << outside;
        EXPECT_EQ(window->EntryText(), "") << outside;
    }
}

TEST_F(DialUpFrmTest, FillEntryBoxReplacesTheItems)
{
    actions.items = {"A", "B"};
    Create();
    actions.items = {};
    window->FillEntryBox();
    EXPECT_EQ(window->EntryItemCount(), 0u);
    EXPECT_EQ(SendMessageW(window->edtDialer, CB_GETCOUNT, 0, 0), 0);
}

TEST_F(DialUpFrmTest, AccountAndPasswordCrossAsAnsiBytes)
{
    Create();
    window->SetAccountText("user@isp");
    window->SetPasswordText("p=ss word");
    EXPECT_EQ(window->AccountText(), "user@isp");
    EXPECT_EQ(window->PasswordText(), "p=ss word");
    EXPECT_EQ(Text(window->edtDialUser), L"user@isp");
}

TEST_F(DialUpFrmTest, ALoadedValueThatDoesNotReadBackIsHandedBackByteForByteUntilEdited)
{
    Create();
    // A NUL ends what a box can show: the box holds "pass" only.
    const std::string stored("pass\0word", 9);
    window->SetPasswordText(stored);
    window->SetAccountText(stored);
    window->SetPauseText(stored);
    ASSERT_EQ(Text(window->PasswordBox()), L"pass");
    EXPECT_EQ(window->PasswordText(), stored);
    EXPECT_EQ(window->AccountText(), stored);
    EXPECT_EQ(window->PauseText(), stored);
    EXPECT_TRUE(window->CredentialsExact());

    // Edited, the box's text is converted.
    SetWindowTextW(window->PasswordBox(), L"pass1");
    EXPECT_EQ(window->PasswordText(), "pass1");
    SetWindowTextW(window->PasswordBox(), L"pass");  // shows the loaded text again
    EXPECT_EQ(window->PasswordText(), stored);
    window->PauseEdit().Step(1);
    EXPECT_EQ(window->PauseText(), "1");
}

TEST_F(DialUpFrmTest, ATypedCharacterTheCodePageCannotHoldMakesTheCredentialsInexact)
{
    Create();
    if (GetACP() != 1252)
        GTEST_SKIP() << "the characters below assume the western code page";
    struct {
        HWND box;
        const wchar_t* typed;
        bool exact;
        const char* bytes;
    } cases[] = {
        {window->PasswordBox(), L"\x5BC6\x7801", false, "??"},  // 密码
        {window->AccountBox(), L"\x0100lice", false, "?lice"},  // not "Alice" by best fit
        {window->PasswordBox(), L"caf\x00E9", true, "caf\xE9"},
        {window->AccountBox(), L"alice", true, "alice"},
    };
    for (const auto& c : cases) {
        window->SetAccountText("alice");
        window->SetPasswordText("secret");
        SetWindowTextW(c.box, c.typed);
        EXPECT_EQ(window->CredentialsExact(), c.exact) << c.bytes;
        EXPECT_EQ(c.box == window->PasswordBox() ? window->PasswordText() : window->AccountText(), c.bytes);
    }
}

TEST_F(DialUpFrmTest, TypingARefusedKeyBeepsAndChangesNothing)
{
    Create();
    for (HWND edit : {window->PeriodEdit().Edit(), window->PauseEdit().Edit()}) {
        ShowAndFocus(edit);
        ASSERT_EQ(GetFocus(), edit);
        const std::string before = edit == window->PeriodEdit().Edit() ? window->PeriodText() : window->PauseText();
        beeps = 0;
        Type(L"a");
        EXPECT_EQ(beeps, 1);
        Type(L" \x79d2");  // a blank and 秒
        EXPECT_EQ(beeps, 3);
        // Enter reaches the edit, not the dialog manager's default button,
        // and is refused like any other key.
        Press(VK_RETURN, 0x1C);
        EXPECT_EQ(beeps, 4);
        EXPECT_EQ(edit == window->PeriodEdit().Edit() ? window->PeriodText() : window->PauseText(), before);
        EXPECT_EQ(GetFocus(), edit);
        EXPECT_EQ(window->ModalResult, ui::mrNone);
    }
    EXPECT_TRUE(platform.shellCalls.empty());
    // A digit goes in, without a beep.
    SendMessageW(GetFocus(), EM_SETSEL, 0, -1);
    Type(L"7");
    EXPECT_EQ(beeps, 4);
    EXPECT_EQ(window->PauseText(), "7");
}

struct LeaveCase {
    const wchar_t* typed;
    const char* afterLeaving;
};

class SpinEditLeaveTest : public DialUpFrmTest, public ::testing::WithParamInterface<LeaveCase> {};

TEST_P(SpinEditLeaveTest, LeavingTheFieldHoldsTheValueWithinItsLimits)
{
    Create();
    HWND edit = window->PeriodEdit().Edit();
    ShowAndFocus(edit);
    ASSERT_EQ(GetFocus(), edit);
    SetWindowTextW(edit, L"");
    Type(GetParam().typed);
    EXPECT_EQ(beeps, 0);
    EXPECT_EQ(window->PeriodText(), ui::AnsiFromWide(GetParam().typed));
    SetFocus(window->EnableBox());
    EXPECT_EQ(window->PeriodText(), GetParam().afterLeaving);
}

INSTANTIATE_TEST_SUITE_P(Typed, SpinEditLeaveTest,
                         ::testing::Values(LeaveCase{L"-7", "0"}, LeaveCase{L"20000000", "10000000"},
                                           LeaveCase{L"180", "180"}, LeaveCase{L"10000000", "10000000"},
                                           LeaveCase{L"-", "-"}));

TEST_F(DialUpFrmTest, TextPlacedFromCodeStaysUntilSteppedOrLeft)
{
    Create();
    window->SetPeriodText("abc");
    EXPECT_EQ(window->PeriodText(), "abc");
    EXPECT_EQ(window->PeriodValue(), 0);
    window->SetPauseText("20000000");
    EXPECT_EQ(window->PauseText(), "20000000");
    EXPECT_EQ(window->PauseValue(), 20000000);

    SendMessageW(window->PeriodEdit().Edit(), WM_KEYDOWN, VK_UP, 1);
    EXPECT_EQ(window->PeriodText(), "1");
    SendMessageW(window->PauseEdit().Edit(), WM_KEYDOWN, VK_UP, 1);
    EXPECT_EQ(window->PauseText(), "10000000");
}

TEST_F(DialUpFrmTest, ArrowKeysAndButtonsStepByOneWithinTheLimits)
{
    Create();
    HWND pause = window->PauseEdit().Edit();
    window->SetPauseText("0");
    // The arrow keys reach the field through the dialog manager, which
    // would otherwise move the focus with them.
    ShowAndFocus(pause);
    Press(VK_DOWN, 0x50);
    EXPECT_EQ(window->PauseText(), "0");
    Press(VK_UP, 0x48);
    Press(VK_UP, 0x48);
    EXPECT_EQ(window->PauseText(), "2");
    Press(VK_DOWN, 0x50);
    EXPECT_EQ(window->PauseText(), "1");
    EXPECT_EQ(GetFocus(), pause);
    EXPECT_EQ(beeps, 0);

    // The buttons report a press through UDN_DELTAPOS to the window.
    NMUPDOWN press{};
    press.hdr.hwndFrom = window->PauseEdit().Buttons();
    press.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(press.hdr.hwndFrom));
    press.hdr.code = UDN_DELTAPOS;
    press.iDelta = 1;
    EXPECT_EQ(SendMessageW(window->Handle(), WM_NOTIFY, press.hdr.idFrom, reinterpret_cast<LPARAM>(&press)), TRUE);
    EXPECT_EQ(window->PauseText(), "2");
    press.iDelta = -1;
    window->SetPauseText("0");
    SendMessageW(window->Handle(), WM_NOTIFY, press.hdr.idFrom, reinterpret_cast<LPARAM>(&press));
    EXPECT_EQ(window->PauseText(), "0");
    EXPECT_EQ(window->PeriodText(), "0");  // the other spin edit is untouched
}

TEST_F(DialUpFrmTest, TabGoesFromThePeriodToTheEnableBoxAndThenToThePause)
{
    Create();
    HWND period = window->PeriodEdit().Edit();
    HWND pause = window->PauseEdit().Edit();
    ShowAndFocus(period);
    EXPECT_EQ(GetNextDlgTabItem(window->Handle(), period, FALSE), window->EnableBox());
    EXPECT_EQ(GetNextDlgTabItem(window->Handle(), window->EnableBox(), FALSE), pause);
    EXPECT_EQ(GetNextDlgTabItem(window->Handle(), window->EntryBox(), FALSE), window->AccountBox());
    EXPECT_EQ(GetNextDlgTabItem(window->Handle(), window->AccountBox(), FALSE), window->PasswordBox());
    EXPECT_EQ(GetNextDlgTabItem(window->Handle(), window->PasswordBox(), FALSE), period);

    // The keyboard path the message loops take.
    ASSERT_EQ(GetFocus(), period);
    Press(VK_TAB, 0x0F);
    EXPECT_EQ(GetFocus(), window->EnableBox());
    Press(VK_TAB, 0x0F);
    EXPECT_EQ(GetFocus(), pause);
    EXPECT_EQ(beeps, 0);
}

TEST_F(DialUpFrmTest, AUserClickTogglesTheBoxAndThenRunsItsHandler)
{
    Create();
    actions.calls.clear();
    SendMessageW(window->EnableBox(), BM_CLICK, 0, 0);
    EXPECT_TRUE(window->EnabledTicked());
    EXPECT_EQ(actions.tickedSeenByClick, (std::vector<bool>{true}));
    SendMessageW(window->EnableBox(), BM_CLICK, 0, 0);
    EXPECT_FALSE(window->EnabledTicked());
    EXPECT_EQ(actions.tickedSeenByClick, (std::vector<bool>{true, false}));
}

TEST_F(DialUpFrmTest, SettingTheBoxFromCodeRunsItsHandlerOnlyOnAChange)
{
    Create();
    window->SetEnabledTicked(false);
    EXPECT_EQ(actions.Count("click"), 0);
    window->SetEnabledTicked(true);
    EXPECT_EQ(actions.tickedSeenByClick, (std::vector<bool>{true}));
    window->SetEnabledTicked(true);
    EXPECT_EQ(actions.Count("click"), 1);
    window->SetEnabledTicked(false);
    EXPECT_EQ(actions.tickedSeenByClick, (std::vector<bool>{true, false}));
}

TEST_F(DialUpFrmTest, Timer1RunsOnlyWhenStartedAndTicksIntoTheTickHandler)
{
    Create();
    EXPECT_FALSE(window->Timer1Running());
    window->SetTimerRunning(true);
    EXPECT_TRUE(window->Timer1Running());
    window->SetTimerRunning(true);
    EXPECT_TRUE(window->Timer1Running());
    SendMessageW(window->Handle(), WM_TIMER, window->Timer1.Id(), 0);
    EXPECT_EQ(actions.Count("tick"), 1);
    SendMessageW(window->Handle(), WM_TIMER, window->Timer1.Id() + 1, 0);  // not Timer1
    EXPECT_EQ(actions.Count("tick"), 1);
    window->SetTimerRunning(false);
    EXPECT_FALSE(window->Timer1Running());

    // A real tick arrives about a second after the start.
    window->SetTimerRunning(true);
    const ULONGLONG start = GetTickCount64();
    while (actions.Count("tick") < 2 && GetTickCount64() - start < 3000) {
        MSG message;
        if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        else
            Sleep(10);
    }
    EXPECT_EQ(actions.Count("tick"), 2);
    EXPECT_GE(GetTickCount64() - start, 900u);
}

TEST_F(DialUpFrmTest, ATickDuringAMenuOrAMoveRunsOnceThatLoopHasEnded)
{
    Create();
    const struct {
        UINT enter, exit;
    } loops[] = {{WM_ENTERMENULOOP, WM_EXITMENULOOP}, {WM_ENTERSIZEMOVE, WM_EXITSIZEMOVE}};
    for (const auto& loop : loops) {
        actions.calls.clear();
        SendMessageW(window->Handle(), loop.enter, TRUE, 0);
        for (int i = 0; i < 3; ++i)
            SendMessageW(window->Handle(), WM_TIMER, window->Timer1.Id(), 0);
        EXPECT_EQ(actions.Count("tick"), 0) << loop.enter;
        SendMessageW(window->Handle(), loop.exit, TRUE, 0);
        EXPECT_EQ(actions.Count("tick"), 0) << "the tick runs from our own loop, not inside the ending one";
        DeliverWaiting();
        EXPECT_EQ(actions.Count("tick"), 1) << loop.enter;
        DeliverWaiting();
        EXPECT_EQ(actions.Count("tick"), 1) << loop.enter;
        // Outside the loop a tick runs at once again.
        SendMessageW(window->Handle(), WM_TIMER, window->Timer1.Id(), 0);
        EXPECT_EQ(actions.Count("tick"), 2) << loop.enter;
    }
}

TEST_F(DialUpFrmTest, ATickDeferredWhileTheTimerIsStoppedDoesNotRun)
{
    Create();
    window->SetTimerRunning(true);
    SendMessageW(window->Handle(), WM_ENTERMENULOOP, TRUE, 0);
    SendMessageW(window->Handle(), WM_TIMER, window->Timer1.Id(), 0);
    window->SetTimerRunning(false);  // as unticking the Enable box does
    SendMessageW(window->Handle(), WM_EXITMENULOOP, TRUE, 0);
    DeliverWaiting();
    EXPECT_EQ(actions.Count("tick"), 0);
}

// The tray menu's own loop: timer messages it dispatches meanwhile make no
// tick inside it.
HWND g_menuOwner = nullptr;
int g_ticksSeenInMenu = -1;
FakeDialUpActions* g_menuActions = nullptr;

void CALLBACK CloseTheMenu(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    g_ticksSeenInMenu = g_menuActions->Count("tick");
    PostMessageW(g_menuOwner, WM_KEYDOWN, VK_ESCAPE, 0);
}

TEST_F(DialUpFrmTest, TheTrayMenuLoopDefersTheTickUntilTheMenuHasClosed)
{
    Create();
    g_menuOwner = window->Handle();
    g_menuActions = &actions;
    g_ticksSeenInMenu = -1;
    PostMessageW(window->Handle(), WM_TIMER, window->Timer1.Id(), 0);
    PostMessageW(window->Handle(), WM_TIMER, window->Timer1.Id(), 0);
    SetTimer(nullptr, 0, 200, CloseTheMenu);
    EXPECT_EQ(window->PopupMenu.TrackAt(window->Handle(), 200, 200), ui::TrayMenuCommand::None);
    EXPECT_EQ(g_ticksSeenInMenu, 0);
    EXPECT_EQ(actions.Count("tick"), 0);
    DeliverWaiting();
    EXPECT_EQ(actions.Count("tick"), 1);
    g_menuActions = nullptr;
}

TEST_F(DialUpFrmTest, TheLinkTheRefreshButtonAndTheTrayMessageReachTheirHandlers)
{
    Create();
    SendMessageW(window->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window->Label4), STN_CLICKED),
                 reinterpret_cast<LPARAM>(window->Label4));
    EXPECT_EQ(platform.shellCalls.size(), 1u);
    SendMessageW(window->SpeedButton43, BM_CLICK, 0, 0);
    EXPECT_EQ(platform.page.refreshes, 1);
    platform.calls.clear();
    SendMessageW(window->Handle(), ui::kTrayMessage, ui::kTrayIconId, ui::kTrayRightButtonUp);
    EXPECT_EQ(platform.calls, (std::vector<std::string>{"SetForegroundWindow", "CursorPos", "TrackMenu 700,740"}));
    // The menu's commands come back from its loop; a WM_COMMAND with them
    // is nothing to the window.
    SendMessageW(window->Handle(), WM_COMMAND, MAKEWPARAM(ui::kE1Id, 0), 0);
    SendMessageW(window->Handle(), WM_COMMAND, MAKEWPARAM(ui::kN1Id, 0), 0);
    EXPECT_EQ(platform.Count(NIM_DELETE), 0);
    MSG quit;
    EXPECT_FALSE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_FALSE(window->Shown());

    EXPECT_EQ(GetMenuItemCount(window->PopupMenuHandle()), 2);
    wchar_t caption[32] = {};
    GetMenuStringW(window->PopupMenuHandle(), 0, caption, 32, MF_BYPOSITION);
    EXPECT_STREQ(caption, L"显示主窗口(&S)");
    GetMenuStringW(window->PopupMenuHandle(), 1, caption, 32, MF_BYPOSITION);
    EXPECT_STREQ(caption, L"退出系统(&E)");
}

TEST_F(DialUpFrmTest, TheHandOverThePromotionLabel)
{
    Create();
    EXPECT_EQ(SendMessageW(window->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(window->Label4),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              TRUE);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
}

TEST_F(DialUpFrmTest, ClosingTheShownWindowOnlySetsTheModalResult)
{
    Create();
    window->ShowForModal();
    SendMessageW(window->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(window->ModalResult, ui::mrCancel);
    EXPECT_TRUE(IsWindow(window->Handle()));
    window->HideAfterModal();
    EXPECT_FALSE(window->Shown());

    // Outside a showing a close request ends the application.
    SendMessageW(window->Handle(), WM_CLOSE, 0, 0);
    MSG message;
    EXPECT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_TRUE(IsWindow(window->Handle()));
}

TEST_F(DialUpFrmTest, TheEndOfTheSessionWritesTheSettingsAtOnceAndEndsTheApplication)
{
    Create();
    EXPECT_EQ(SendMessageW(window->Handle(), WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_EQ(actions.Count("save"), 0);
    SendMessageW(window->Handle(), WM_ENDSESSION, FALSE, 0);
    EXPECT_EQ(actions.Count("save"), 0);
    SendMessageW(window->Handle(), WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(actions.Count("save"), 1);
    MSG message;
    EXPECT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(DialUpFrmTest, DestructionRemovesTheTrayIconAndThenSavesTheSettings)
{
    Create();
    int removedBeforeSave = -1;
    actions.onSave = [&] { removedBeforeSave = platform.Count(NIM_DELETE); };
    window->SetAccountText("kept");
    HWND handle = window->Handle();
    application.SetMainWindow(nullptr);
    window.reset();
    ASSERT_FALSE(IsWindow(handle));
    EXPECT_EQ(platform.Count(NIM_DELETE), 1);
    EXPECT_EQ(removedBeforeSave, 1);
    EXPECT_EQ(actions.calls.back(), "save");
    EXPECT_EQ(actions.savedAccounts.back(), "kept");  // the widgets still existed
}

TEST_F(DialUpFrmTest, AFailingNavigationIsReportedAndCreationGoesOn)
{
    platform.page.navigateResult = E_ACCESSDENIED;
    actions.items = {"A"};
    Create();
    ASSERT_EQ(platform.reports.size(), 1u);
    EXPECT_EQ(platform.reports[0].text.rfind(L"Cannot open the page", 0), 0u);
    EXPECT_NE(platform.reports[0].text.find(L"(0x80070005)"), std::wstring::npos);
    EXPECT_EQ(window->Label1Text(), L"");
    EXPECT_EQ(window->EntryItemCount(), 1u);
    EXPECT_EQ(actions.calls, (std::vector<std::string>{"items", "load", "lookup"}));
    EXPECT_EQ(window->CurrentPage(), 1);
}

TEST_F(DialUpFrmTest, AnyOtherFailureInCreationIsReportedAndSkipsTheRestOfIt)
{
    actions.failItems = true;
    Create();
    EXPECT_EQ(Reports(), (std::vector<std::wstring>{L"phonebook gone."}));
    EXPECT_EQ(actions.Count("load"), 0);
    EXPECT_TRUE(IsWindow(window->Handle()));
}

TEST_F(DialUpFrmTest, AnUnreadableSettingsFileIsNotOverwrittenUnlessTheBoxChanges)
{
    actions.loadOutcome = settings::LoadOutcome::Unreadable;
    Create();
    SendMessageW(window->Handle(), WM_ENDSESSION, TRUE, 0);
    window.reset();
    EXPECT_EQ(actions.Count("save"), 0);

    Create();
    actions.calls.clear();
    window->SetEnabledTicked(true);  // runs the click handler, which saves
    window.reset();
    EXPECT_EQ(actions.Count("click"), 1);
    EXPECT_EQ(actions.Count("save"), 1);  // the one at the end of the run
}

TEST_F(DialUpFrmTest, AFailureInAHandlerIsReportedAndTheWindowGoesOn)
{
    Create();
    application.SetTitle(L"Velmora V2.0.10");
    platform.page.refreshResult = E_FAIL;
    SendMessageW(window->SpeedButton43, BM_CLICK, 0, 0);
    // The message of a failure of the shell's own stands as it is; any
    // other failure's what() is read in the code page, with a period.
    actions.onTick = [] { throw ui::ShellFailure(L"\x9875\x9762 (0x80004005)"); };
    SendMessageW(window->Handle(), WM_TIMER, window->Timer1.Id(), 0);
    actions.onTick = [] { throw std::runtime_error("plain failure"); };
    SendMessageW(window->Handle(), WM_TIMER, window->Timer1.Id(), 0);
    ASSERT_EQ(platform.reports.size(), 3u);
    EXPECT_EQ(platform.reports[0].text.rfind(L"Cannot reload the page", 0), 0u);
    EXPECT_EQ(platform.reports[1].text, L"\x9875\x9762 (0x80004005)");
    EXPECT_EQ(platform.reports[2].text, L"plain failure.");
    for (const auto& report : platform.reports) {
        EXPECT_EQ(report.owner, window->Handle());
        EXPECT_EQ(report.caption, L"Velmora V2.0.10");
        EXPECT_EQ(report.type, static_cast<UINT>(MB_ICONERROR | MB_OK));
    }
    // The window goes on.
    actions.onTick = nullptr;
    SendMessageW(window->Handle(), WM_TIMER, window->Timer1.Id(), 0);
    EXPECT_EQ(actions.Count("tick"), 3);
    EXPECT_EQ(platform.reports.size(), 3u);
}

LRESULT CALLBACK CountPaints(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR paints)
{
    if (message == WM_PAINT)
        ++*reinterpret_cast<int*>(paints);
    return DefSubclassProc(window, message, wParam, lParam);
}

TEST_F(DialUpFrmTest, TheTaskbarMessageAddsTheIconAgainAndRepaintsTheWindow)
{
    Create();
    window->AddTrayIcon();
    ASSERT_NE(window->TaskbarMessage, 0u);
    ShowWindow(window->Handle(), SW_SHOW);
    UpdateWindow(window->Handle());
    int childPaints = 0;
    ASSERT_TRUE(SetWindowSubclass(window->RzPageControl1, CountPaints, 1, reinterpret_cast<DWORD_PTR>(&childPaints)));
    SendMessageW(window->Handle(), window->TaskbarMessage, 0, 0);
    RemoveWindowSubclass(window->RzPageControl1, CountPaints, 1);
    EXPECT_EQ(platform.Count(NIM_ADD), 2);
    EXPECT_GE(childPaints, 1);
    // The menu's own WM_NULL and the tray message leave the icon alone.
    SendMessageW(window->Handle(), WM_NULL, 0, 0);
    SendMessageW(window->Handle(), ui::kTrayMessage, ui::kTrayIconId, 512);
    EXPECT_EQ(platform.Count(NIM_ADD), 2);
    EXPECT_EQ(platform.Count(NIM_DELETE), 0);
    // Without a registered message (0) the menu's WM_NULL is still no new
    // task bar.
    window->TaskbarMessage = 0;
    SendMessageW(window->Handle(), WM_NULL, 0, 0);
    EXPECT_EQ(platform.Count(NIM_ADD), 2);
}

TEST_F(DialUpFrmTest, CreationLetsTheTaskbarMessageThroughTheMessageFilter)
{
    Create();
    ASSERT_NE(window->TaskbarMessage, 0u);
    EXPECT_GE(window->TaskbarMessage, 0xC000u);
    EXPECT_EQ(window->TaskbarMessage, RegisterWindowMessageW(L"TaskbarCreated"));
    ASSERT_EQ(platform.filters.size(), 1u);
    EXPECT_EQ(platform.filters[0].window, window->Handle());
    EXPECT_EQ(platform.filters[0].message, window->TaskbarMessage);
    EXPECT_EQ(platform.filters[0].action, static_cast<DWORD>(MSGFLT_ALLOW));
    // The platform's filter takes the message for a real window.
    ui::SystemCalls system;
    EXPECT_TRUE(system.AllowMessage(window->Handle(), window->TaskbarMessage, MSGFLT_ALLOW));
}

TEST_F(DialUpFrmTest, SwitchingTabsShowsOnePageAtATime)
{
    Create();
    ShowWindow(window->Handle(), SW_SHOW);
    window->SetCurrentPage(0);
    EXPECT_TRUE(IsWindowVisible(window->TabSheet1));
    EXPECT_FALSE(IsWindowVisible(window->TabSheet10));
    // The user picks the update tab.
    SendMessageW(window->RzPageControl1, TCM_SETCURSEL, 1, 0);
    NMHDR change{window->RzPageControl1, static_cast<UINT_PTR>(GetDlgCtrlID(window->RzPageControl1)),
                 static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(window->Handle(), WM_NOTIFY, change.idFrom, reinterpret_cast<LPARAM>(&change));
    EXPECT_FALSE(IsWindowVisible(window->TabSheet1));
    EXPECT_TRUE(IsWindowVisible(window->TabSheet10));
}

}  // namespace
