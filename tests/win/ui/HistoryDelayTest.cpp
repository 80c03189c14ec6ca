// How soon a dial's outcome shows in the history list: the simulated
// service reports on its own thread, the report wakes this thread through
// a posted message (as in the program), and the window's list gets its
// row. The delay from the report to the row is printed; it must stay well
// within one tick.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <fstream>
#include <string>

#include "SimulatedCore.h"
#include "TempDirectory.h"
#include "WindowDoubles.h"
#include "ras/ConnectionControl.h"
#include "ras/sim/SimulatedRasService.h"
#include "ui/DialUpUnit.h"
#include "ui/WindowClass.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr UINT kReportMessage = WM_APP + 40;
constexpr wchar_t kReportClass[] = L"VelmoraTestReports";

ras::ConnectionControl* deliveringTo = nullptr;

LRESULT CALLBACK ReportProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kReportMessage && deliveringTo) {
        deliveringTo->DeliverReports();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// True when the list's top row is a connected event.
bool TopRowIsConnected(HWND list)
{
    wchar_t text[64] = {};
    LVITEMW item{};
    item.iSubItem = 1;
    item.pszText = text;
    item.cchTextMax = 64;
    SendMessageW(list, LVM_GETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&item));
    return wcscmp(text, L"已连接") == 0;
}

TEST(HistoryDelay, ADialsOutcomeIsInTheListWellWithinOneTick)
{
    RecordingPlatform platform;
    RecordingApplication application;
    TempDirectory directory;
    SimulatedCore core(directory.Path());
    core.AddEntry("ADSL");
    core.Service().SetDialDelay(std::chrono::milliseconds(200));
    std::atomic<long long> reportedAt{0};
    core.Service().SetLogger([&](const std::string& line) {
        if (line.find("state 8192") != std::string::npos)
            reportedAt = Clock::now().time_since_epoch().count();
    });
    // The re-dial is owed at once: period 3, no pause, the entry not connected.
    std::ofstream(core.SettingsPath(), std::ios::binary)
        << "dialertext=0\r\ndialtime=3\r\ndialwainttime=0\r\nstart=1\r\n";

    ui::RegisterWindowClassOnce(kReportClass, ReportProc);
    const HWND reports =
        CreateWindowExW(0, kReportClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(reports, nullptr);
    deliveringTo = &core.Connections();
    core.Connections().SetReportWake([reports] { PostMessageW(reports, kReportMessage, 0, 0); });

    auto window = std::make_unique<ui::TDialUpFrm>(core.Actions(), application, platform);
    for (int i = 0; i < 5 && core.Service().Calls().size() < 100; ++i)
        window->Timer1Timer();  // the fourth tick hangs up, the fifth dials

    // The program's loop, looking at the list after each message.
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(10);
    long long shownAt = 0;
    while (Clock::now() < deadline && shownAt == 0) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
            if (TopRowIsConnected(window->lvRedialEvents)) {
                shownAt = Clock::now().time_since_epoch().count();
                break;
            }
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    core.Connections().SetReportWake({});
    deliveringTo = nullptr;
    window.reset();
    DestroyWindow(reports);

    ASSERT_NE(reportedAt.load(), 0) << "the dial never reported";
    ASSERT_NE(shownAt, 0) << "no connected row within 10 s";
    const double delayMs = std::chrono::duration<double, std::milli>(Clock::duration(shownAt - reportedAt)).count();
    std::printf("report to list row: %.2f ms\n", delayMs);
    EXPECT_LT(delayMs, 1000.0);
}

}  // namespace
