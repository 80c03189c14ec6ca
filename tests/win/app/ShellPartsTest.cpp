// The window with its shell side bound as in the program: the update page
// requested from a loopback server, the refresh button, the home-page link,
// the tray icon and the exit item.
#include "app/ShellParts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "tests/win/shell/LoopbackHttpServer.h"
#include "tests/win/ui/FakeDialUpActions.h"
#include "ui/shell/TrayIcon.h"
#include "ui/shell/WebAddresses.h"

namespace {

struct ShellCall {
    std::string verb, file, parameters;
    bool directoryNull;
    int show;
    HWND owner;
};

struct Report {
    std::wstring text, caption;
    UINT type;
};

class ShellPartsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        SetWebHostForTests(server.Host());
        shell.shellNotifyIcon = [this](DWORD message, TNotifyIconDataA88& data) {
            notifications.emplace_back(message, data);
            return TRUE;
        };
        shell.shellExecute = [this](HWND owner, const char* verb, const char* file, const char* parameters,
                                    const char* directory, int show) {
            shellCalls.push_back({verb, file, parameters, directory == nullptr, show, owner});
            return reinterpret_cast<HINSTANCE>(33);
        };
        shell.messageBox = [this](HWND, const wchar_t* text, const wchar_t* caption, UINT type) {
            reports.push_back({text, caption, type});
            return IDOK;
        };
        window = std::make_unique<ui::TDialUpFrm>(actions, shell.Hooks());
        shell.Attach(*window);
    }

    void TearDown() override
    {
        shell.ReleaseBrowser();
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

    TLoopbackHttpServer server;
    FakeDialUpActions actions;
    app::TApplication application;
    app::ShellParts shell{application};
    std::unique_ptr<ui::TDialUpFrm> window;
    std::vector<std::pair<DWORD, TNotifyIconDataA88>> notifications;
    std::vector<ShellCall> shellCalls;
    std::vector<Report> reports;
};

TEST_F(ShellPartsTest, CreationRequestsTheUpdatePageAndTheRefreshButtonReloadsIt)
{
    EXPECT_TRUE(PumpUntil([&] { return UpdatePageRequests() >= 1; }));
    EXPECT_TRUE(reports.empty());

    application.SetTitle(window->Caption());
    SendMessageW(window->SpeedButton43, BM_CLICK, 0, 0);
    // The reload makes a second request where the browser can show pages.
    // Wine's browser has no page engine, so it has no document to reload and
    // fails: that failure must reach the error report, captioned with the
    // application's title.
    const bool reloaded = PumpUntil([&] { return UpdatePageRequests() >= 2 || !reports.empty(); });
    ASSERT_TRUE(reloaded);
    if (!reports.empty()) {
        EXPECT_EQ(reports[0].caption, L"Velmora V2.0.10");
        EXPECT_EQ(reports[0].type, static_cast<UINT>(MB_ICONERROR | MB_OK));
        EXPECT_NE(reports[0].text.find(L"reload"), std::wstring::npos);
    }
}

TEST_F(ShellPartsTest, ThePromotionLabelOpensTheHomePageInInternetExplorer)
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

TEST_F(ShellPartsTest, TheTrayIconIsAddedFromTheWindowAndAddedAgainForANewTaskBar)
{
    shell.AddTrayIcon();
    ASSERT_EQ(notifications.size(), 1u);
    EXPECT_EQ(notifications[0].first, static_cast<DWORD>(NIM_ADD));
    const TNotifyIconDataA88& data = window->TrayIconData;
    EXPECT_EQ(data.cbSize, sizeof(TNotifyIconDataA88));
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

TEST_F(ShellPartsTest, TheExitItemRemovesTheIconAndPostsAQuitRequest)
{
    shell.AddTrayIcon();
    SendMessageW(window->Handle(), WM_COMMAND, MAKEWPARAM(window->E1, 0), 0);
    ASSERT_EQ(notifications.size(), 2u);
    EXPECT_EQ(notifications[1].first, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(notifications[1].second.uID, 34953u);
    MSG message;
    EXPECT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));

    window.reset();  // FormDestroy removes it once more and saves
    EXPECT_EQ(notifications.back().first, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(actions.Count("save"), 1);
}

TEST_F(ShellPartsTest, ACallbackForAnotherIconIsIgnored)
{
    SendMessageW(window->Handle(), 1035, 1234, WM_LBUTTONDBLCLK);
    EXPECT_FALSE(window->Shown());
    EXPECT_EQ(window->ModalResult, ui::mrNone);
}

}  // namespace
