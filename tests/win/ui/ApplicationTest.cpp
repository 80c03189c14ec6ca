// The application object's loops and the message-aware wait, with the main
// window over recording actions.
#include "app/Application.h"

#include <gtest/gtest.h>

#include <memory>

#include "FakeDialUpActions.h"
#include "WindowDoubles.h"
#include "app/WinMessagePump.h"

namespace {

DWORD WINAPI PostTickLater(LPVOID target)
{
    Sleep(50);
    PostMessageW(static_cast<HWND>(target), WM_TIMER, 1, 0);
    return 0;
}

class ApplicationTest : public ::testing::Test {
protected:
    ApplicationTest()
    {
        window = std::make_unique<ui::TDialUpFrm>(actions, application, platform);
        application.SetMainWindow(window.get());
    }

    ~ApplicationTest() override
    {
        EXPECT_TRUE(platform.reports.empty());
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

TEST_F(ApplicationTest, AModalShowingEndsWhenTheWindowIsClosedAndHidesIt)
{
    EXPECT_EQ(application.Title(), L"");
    PostMessageW(window->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(application.ShowModal(*window), ui::mrCancel);
    EXPECT_FALSE(window->Shown());
    EXPECT_FALSE(application.Terminated());
    EXPECT_EQ(application.Title(), L"Velmora V2.0.10");
    EXPECT_EQ(window->CurrentPage(), 1);
}

TEST_F(ApplicationTest, TheModalLoopDeliversTimerTicks)
{
    PostMessageW(window->Handle(), WM_TIMER, window->Timer1.Id(), 0);
    PostMessageW(window->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    application.ShowModal(*window);
    EXPECT_EQ(actions.Count("tick"), 1);
    EXPECT_FALSE(application.Terminated());
}

TEST_F(ApplicationTest, AQuitRequestDuringTheShowingEndsItAndMarksTerminating)
{
    application.Terminate();
    EXPECT_EQ(application.ShowModal(*window), ui::mrCancel);
    EXPECT_TRUE(application.Terminated());
    EXPECT_FALSE(window->Shown());
    // The main loop then ends at once.
    application.Run();
    EXPECT_TRUE(application.Terminated());
}

TEST_F(ApplicationTest, TheMainLoopRunsUntilTheQuitRequestWithoutShowingTheWindow)
{
    PostMessageW(window->Handle(), WM_TIMER, window->Timer1.Id(), 0);
    application.Terminate();
    application.Run();
    EXPECT_TRUE(application.Terminated());
    EXPECT_EQ(actions.Count("tick"), 1);
    EXPECT_FALSE(window->Shown());
}

TEST_F(ApplicationTest, TheWaitDispatchesMessagesAndTakesTheQuitRequestAsTerminating)
{
    app::WinMessagePump pump(application);
    PostMessageW(window->Handle(), WM_TIMER, window->Timer1.Id(), 0);
    application.Terminate();
    const ULONGLONG start = GetTickCount64();
    pump.SleepSlice(100);
    const ULONGLONG took = GetTickCount64() - start;
    EXPECT_EQ(actions.Count("tick"), 1);
    EXPECT_TRUE(application.Terminated());
    EXPECT_GE(took, 90u);
    EXPECT_LT(took, 1000u);
    MSG message;
    EXPECT_FALSE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));  // not delivered
}

TEST_F(ApplicationTest, TheWaitAnswersAMessageThatArrivesDuringIt)
{
    app::WinMessagePump pump(application);
    // A thread posts a tick 50 ms into a 400 ms wait.
    HANDLE poster = CreateThread(nullptr, 0, PostTickLater, window->Handle(), 0, nullptr);
    ASSERT_NE(poster, nullptr);
    pump.SleepSlice(400);
    WaitForSingleObject(poster, INFINITE);
    CloseHandle(poster);
    EXPECT_EQ(actions.Count("tick"), 1);
    EXPECT_FALSE(application.Terminated());
}

TEST_F(ApplicationTest, ANonPositiveSliceDoesNotSleepButStillDispatches)
{
    app::WinMessagePump pump(application);
    PostMessageW(window->Handle(), WM_TIMER, window->Timer1.Id(), 0);
    const ULONGLONG start = GetTickCount64();
    pump.SleepSlice(0);
    pump.SleepSlice(-5);
    EXPECT_LT(GetTickCount64() - start, 50u);
    EXPECT_EQ(actions.Count("tick"), 1);
}

}  // namespace
