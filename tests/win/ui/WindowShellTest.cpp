// The window's shell parts as the program has them: the update page
// requested by the platform's browser from a loopback server, keys for the
// page, the refresh button, the home-page link, the tray icon and the exit
// item, with the platform's calls recorded and the real application object.
#include "ui/DialUpUnit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/WinMessagePump.h"
#include "tests/win/shell/FakeActiveObject.h"
#include "tests/win/shell/LoopbackHttpServer.h"
#include "tests/win/ui/FakeDialUpActions.h"
#include "tests/win/ui/WindowDoubles.h"
#include "ui/shell/WebAddresses.h"

namespace {

using namespace ui;

class WindowShellTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        SetWebHostForTests(server.Host());
        platform.realBrowser = true;
        application.SetTitle(L"Velmora V2.0.10");
        BeforeTheWindow();
        window = std::make_unique<ui::TDialUpFrm>(actions, application, platform);
        application.SetMainWindow(window.get());
    }

    virtual void BeforeTheWindow() {}

    // Takes every waiting message and delivers it as the program's loops do.
    void DeliverWaiting()
    {
        app::WinMessagePump pump(application);
        pump.SleepSlice(0);
    }

    void TearDown() override
    {
        application.SetMainWindow(nullptr);
        window.reset();
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
        SetWebHostForTests(DefaultWebHost);
        OleUninitialize();
    }

    // Delivers messages until `done` holds or five seconds have passed.
    template <typename Done>
    bool PumpUntil(Done done)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!done() && std::chrono::steady_clock::now() < end) {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
            Sleep(10);
        }
        return done();
    }

    std::size_t UpdatePageRequests() const
    {
        const auto requests = server.Requests();
        return static_cast<std::size_t>(std::count_if(requests.begin(), requests.end(), [](const std::string& line) {
            return line.rfind("GET /update/main1.htm ", 0) == 0;
        }));
    }

    LoopbackHttpServer server;
    FakeDialUpActions actions;
    RecordingPlatform platform;
    app::Application application;
    std::unique_ptr<ui::TDialUpFrm> window;
    std::vector<std::pair<DWORD, NotifyIconDataA88>>& notifications = platform.notifications;
    std::vector<RecordingPlatform::ShellCall>& shellCalls = platform.shellCalls;
    std::vector<RecordingPlatform::Report>& reports = platform.reports;
};

TEST_F(WindowShellTest, CreationRequestsTheUpdatePage)
{
    EXPECT_TRUE(PumpUntil([&] { return UpdatePageRequests() >= 1; }));
    EXPECT_TRUE(reports.empty());
}

// The browser's failures, from a browser that fails on purpose.
class WindowFailingBrowserTest : public WindowShellTest {
protected:
    void BeforeTheWindow() override
    {
        platform.realBrowser = false;
        page.navigateResult = E_ACCESSDENIED;
        page.refreshResult = E_FAIL;
    }
    FakeWebBrowser2& page = platform.page;
};

TEST_F(WindowFailingBrowserTest, AFailedNavigationAndAFailedRefreshReachTheErrorReport)
{
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(page.navigated, UpdatePageAddress());
    EXPECT_EQ(reports[0].caption, L"Velmora V2.0.10");
    EXPECT_EQ(reports[0].type, static_cast<UINT>(MB_ICONERROR | MB_OK));
    EXPECT_EQ(reports[0].text.rfind(L"Cannot open the page", 0), 0u);
    EXPECT_NE(reports[0].text.find(L"(0x80070005)"), std::wstring::npos);
    EXPECT_EQ(actions.calls, (std::vector<std::string>{"items", "load", "lookup"}));  // creation went on

    SendMessageW(window->SpeedButton43, BM_CLICK, 0, 0);
    EXPECT_EQ(page.refreshes, 1);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[1].caption, L"Velmora V2.0.10");
    EXPECT_EQ(reports[1].text.rfind(L"Cannot reload the page", 0), 0u);
    EXPECT_NE(reports[1].text.find(L"(0x80004005)"), std::wstring::npos);

    page.refreshResult = S_OK;
    SendMessageW(window->SpeedButton43, BM_CLICK, 0, 0);
    EXPECT_EQ(page.refreshes, 2);
    EXPECT_EQ(reports.size(), 2u);
}

// A child window that logs the key messages it receives.
std::vector<std::string>* keyLog = nullptr;

LRESULT CALLBACK KeyLoggingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (keyLog && message >= WM_KEYFIRST && message <= WM_KEYLAST)
        keyLog->push_back("child " + std::to_string(message));
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(WindowShellTest, KeysInTheUpdatePageGoFirstToThePageThenToTheDialogManager)
{
    ASSERT_NE(window->Browser(), nullptr);
    BrowserSite* site = window->Browser()->Site();
    ASSERT_NE(site, nullptr);
    FakeActiveObject page;
    std::vector<std::string> log;
    keyLog = &log;
    page.onOffered = [&](const MSG& message) { log.push_back("page " + std::to_string(message.message)); };
    site->SetActiveObject(&page, nullptr);

    WNDCLASSW keyClass{};
    keyClass.lpfnWndProc = KeyLoggingProc;
    keyClass.hInstance = GetModuleHandleW(nullptr);
    keyClass.lpszClassName = L"VelmoraKeyLogger";
    RegisterClassW(&keyClass);
    // A window of the page inside WebBrowser2, as the control makes them.
    HWND pageWindow = CreateWindowExW(0, keyClass.lpszClassName, L"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100,
                                      window->WebBrowserHost(), nullptr, keyClass.hInstance, nullptr);
    ASSERT_NE(pageWindow, nullptr);
    ShowWindow(window->Handle(), SW_SHOW);
    SetForegroundWindow(window->Handle());

    // Delivered as usual, the key is translated: its character follows it,
    // offered to the page first like every key message.
    const std::string down = std::to_string(WM_KEYDOWN);
    const std::string typed = std::to_string(WM_CHAR);
    const struct {
        HRESULT answer;
        bool pageFocused;
        bool active;
        std::vector<std::string> seen;
    } cases[] = {
        {S_OK, true, true, {"page " + down}},  // the page used it
        {S_FALSE, true, true, {"page " + down, "child " + down, "page " + typed, "child " + typed}},
        {S_OK, false, true, {}},                                   // the focus is elsewhere
        {S_OK, true, false, {"child " + down, "child " + typed}},  // the page took its object back
    };
    for (const auto& c : cases) {
        page.translateResult = c.answer;
        if (!c.active)
            site->SetActiveObject(nullptr, nullptr);
        SetFocus(c.pageFocused ? pageWindow : window->AccountBox());
        log.clear();
        PostMessageW(GetFocus(), WM_KEYDOWN, 'C', 0x002E0001);
        DeliverWaiting();
        // The account box is no logger: only the page may have seen the key.
        EXPECT_EQ(log, c.seen) << c.answer << " " << c.pageFocused << " " << c.active;
    }
    keyLog = nullptr;
    DestroyWindow(pageWindow);
}

TEST_F(WindowShellTest, ThePromotionLabelOpensTheHomePageInInternetExplorer)
{
    for (int click = 0; click < 2; ++click)
        SendMessageW(window->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window->Label4), STN_CLICKED),
                     reinterpret_cast<LPARAM>(window->Label4));
    ASSERT_EQ(shellCalls.size(), 2u);
    EXPECT_EQ(shellCalls[0].owner, window->Handle());
    EXPECT_EQ(shellCalls[0].verb, "Open");
    EXPECT_EQ(shellCalls[0].file, "IEXPLORE.EXE");
    EXPECT_EQ(shellCalls[0].parameters, "http://" + server.Host());
    EXPECT_TRUE(shellCalls[0].directoryNull);
    EXPECT_EQ(shellCalls[0].show, SW_SHOWNORMAL);
}

TEST_F(WindowShellTest, TheTrayIconIsAddedFromTheWindowAndAddedAgainForANewTaskBar)
{
    window->AddTrayIcon();
    ASSERT_EQ(notifications.size(), 1u);
    EXPECT_EQ(notifications[0].first, static_cast<DWORD>(NIM_ADD));
    const NotifyIconDataA88& data = window->TrayIconData;
    EXPECT_EQ(data.cbSize, sizeof(NotifyIconDataA88));
    EXPECT_EQ(data.hWnd, window->Handle());
    EXPECT_EQ(data.uID, 34953u);
    EXPECT_EQ(data.uFlags, 7u);
    EXPECT_EQ(data.uCallbackMessage, 1035u);
    EXPECT_NE(data.hIcon, nullptr);
    EXPECT_STREQ(data.szTip, "Velmora V2.0.10");

    SendMessageW(window->Handle(), window->TaskbarMessage, 0, 0);
    ASSERT_EQ(notifications.size(), 2u);
    EXPECT_EQ(notifications[1].first, static_cast<DWORD>(NIM_ADD));
}

TEST_F(WindowShellTest, TheExitItemRemovesTheIconAndPostsAQuitRequest)
{
    window->AddTrayIcon();
    // The item chosen in the tray menu.
    platform.menuChoice = TrayMenuCommand::Exit;
    SendMessageW(window->Handle(), kTrayMessage, kTrayIconId, kTrayRightButtonUp);
    ASSERT_EQ(notifications.size(), 2u);
    EXPECT_EQ(notifications[1].first, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(notifications[1].second.uID, 34953u);
    MSG message;
    EXPECT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));

    application.SetMainWindow(nullptr);
    window.reset();  // FormDestroy removes it once more and saves
    EXPECT_EQ(notifications.back().first, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(actions.Count("save"), 1);
}

TEST_F(WindowShellTest, ACallbackForAnotherIconIsIgnored)
{
    SendMessageW(window->Handle(), 1035, 1234, WM_LBUTTONDBLCLK);
    EXPECT_FALSE(window->Shown());
    EXPECT_EQ(window->ModalResult, ui::mrNone);
}

}  // namespace
