// Putting the icon back when the task bar starts again.

#include "ui/shell/TaskbarCreated.h"
#include "ui/shell/TrayIcon.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

int g_childPaints = 0;
WNDPROC g_staticProc = nullptr;

LRESULT CALLBACK CountingChildProc(HWND window, UINT message, WPARAM w, LPARAM l)
{
    if (message == WM_PAINT) {
        ++g_childPaints;
    }
    return CallWindowProcW(g_staticProc, window, message, w, l);
}

// A top-level window with the icon and the hook in its procedure, as the
// main window has them.
struct TTestWindow {
    std::vector<DWORD> shellCalls;
    TNotifyIconDataA88 TrayIconData{};
    TTrayIcon icon{TrayIconData, [this](DWORD message, TNotifyIconDataA88&) {
        shellCalls.push_back(message);
        return TRUE;
    }};
    UINT TaskbarMessage = RegisterTaskbarMessage();
    HWND handle = nullptr;
    HWND child = nullptr;

    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM w, LPARAM l)
    {
        auto* self = reinterpret_cast<TTestWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self) {
            WndProc(window, message, self->TaskbarMessage, [self] { self->AddTrayIcon(); });
        }
        return DefWindowProcW(window, message, w, l);
    }

    void AddTrayIcon() { icon.Add(handle, nullptr, L"Velmora V2.0.10"); }

    TTestWindow()
    {
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VelmoraTaskbarTest";
        RegisterClassW(&wc);
        handle = CreateWindowExW(0, wc.lpszClassName, L"t", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200,
                                 nullptr, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrW(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        child = CreateWindowExW(0, L"STATIC", L"child", WS_CHILD | WS_VISIBLE, 10, 10, 100, 20, handle, nullptr,
                                wc.hInstance, nullptr);
        g_staticProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingChildProc)));
        UpdateWindow(handle);
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&m);
        }
    }
    ~TTestWindow() { DestroyWindow(handle); }
};

TEST(TaskbarCreatedTest, MessageIsTheRegisteredTaskbarCreated)
{
    const UINT message = RegisterTaskbarMessage();
    EXPECT_GE(message, 0xC000u);
    EXPECT_EQ(message, RegisterWindowMessageW(L"TaskbarCreated"));
}

// One window for the suite: taking a shown window down costs seconds under
// a display without a window manager.
class TaskbarWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { shared_ = std::make_unique<TTestWindow>(); }
    static void TearDownTestSuite() { shared_.reset(); }
    void SetUp() override { shared_->shellCalls.clear(); }

    static std::unique_ptr<TTestWindow> shared_;
};
std::unique_ptr<TTestWindow> TaskbarWindowTest::shared_;

TEST_F(TaskbarWindowTest, AddsTheIconAgainAndRepaintsTheChildren)
{
    TTestWindow& window = *shared_;
    window.AddTrayIcon();
    ASSERT_NE(window.child, nullptr);
    g_childPaints = 0;

    SendMessageW(window.handle, window.TaskbarMessage, 0, 0);

    EXPECT_EQ(window.shellCalls, (std::vector<DWORD>{NIM_ADD, NIM_ADD}));
    EXPECT_GE(g_childPaints, 1);
}

TEST_F(TaskbarWindowTest, OtherMessagesLeaveTheIconAlone)
{
    TTestWindow& window = *shared_;
    window.AddTrayIcon();

    SendMessageW(window.handle, WM_NULL, 0, 0);
    SendMessageW(window.handle, WM_USER + 11, TrayIconId, 515);

    EXPECT_EQ(window.shellCalls, std::vector<DWORD>{NIM_ADD});
}

TEST(TaskbarCreatedTest, TheMessageIsLetThroughTheFilterForAnElevatedProgram)
{
    struct Call {
        HWND window;
        UINT message;
        DWORD action;
    };
    std::vector<Call> calls;
    const MessageFilterCall record = [&](HWND window, UINT message, DWORD action) {
        calls.push_back({window, message, action});
        return TRUE;
    };
    const HWND window = reinterpret_cast<HWND>(0x1234);
    const UINT message = RegisterTaskbarMessage();
    EXPECT_TRUE(AllowTaskbarMessage(window, message, record));
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].window, window);
    EXPECT_EQ(calls[0].message, message);
    EXPECT_EQ(calls[0].action, static_cast<DWORD>(MSGFLT_ALLOW));

    // Nothing to let through for an unregistered message; a refusal is told.
    EXPECT_FALSE(AllowTaskbarMessage(window, 0, record));
    EXPECT_EQ(calls.size(), 1u);
    EXPECT_FALSE(AllowTaskbarMessage(window, message, [](HWND, UINT, DWORD) { return FALSE; }));
}

TEST_F(TaskbarWindowTest, ThePlatformsFilterTakesTheMessageForARealWindow)
{
    EXPECT_TRUE(AllowTaskbarMessage(shared_->handle, shared_->TaskbarMessage));
}

// An unregistered message (0) must not turn the menu's own WM_NULL into a
// task-bar start.
TEST(TaskbarCreatedTest, ZeroMatchesNothing)
{
    int adds = 0;
    EXPECT_FALSE(WndProc(nullptr, WM_NULL, 0, [&] { ++adds; }));
    EXPECT_EQ(adds, 0);
}

}  // namespace
