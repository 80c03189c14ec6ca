// The embedded browser under test: created in a real window, navigated to a
// loopback server standing in for the maker's site.

#include "ui/shell/ShellFailure.h"
#include "ui/shell/WebAddresses.h"
#include "ui/shell/WebBrowser.h"
#include "tests/win/shell/LoopbackHttpServer.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <memory>

namespace {

// Dispatches the thread's messages until done() or the time is up.
template <class Done>
bool PumpUntil(Done done, std::chrono::milliseconds limit = std::chrono::milliseconds(5000))
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

long CountRequests(const TLoopbackHttpServer& server, const std::string& line)
{
    const auto requests = server.Requests();
    return std::count_if(requests.begin(), requests.end(),
                         [&](const std::string& r) { return r.rfind(line, 0) == 0; });
}

class WebBrowserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        window_ = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 530, 440,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(window_, nullptr);
        SetWebHostForTests(server_.Host());
    }

    void TearDown() override
    {
        SetWebHostForTests({});
        if (window_) {
            DestroyWindow(window_);
        }
        OleUninitialize();
    }

    TLoopbackHttpServer server_;
    HWND window_ = nullptr;
    const RECT bounds_{0, 23, 510, 23 + 385};
};

TEST_F(WebBrowserTest, NavigateRequestsTheUpdatePage)
{
    TWebBrowser browser(window_, bounds_);

    EXPECT_EQ(browser.Navigate(UpdatePageAddress()), S_OK);
    EXPECT_TRUE(PumpUntil([&] { return CountRequests(server_, "GET /update/main1.htm ") == 1; }))
        << "requests seen: " << server_.Requests().size();
}

TEST_F(WebBrowserTest, NavigatesTheAddressGiven)
{
    TWebBrowser browser(window_, bounds_);

    const std::string host = server_.Host();
    browser.Navigate(L"http://" + std::wstring(host.begin(), host.end()) + L"/other.htm");
    EXPECT_TRUE(PumpUntil([&] { return CountRequests(server_, "GET /other.htm ") == 1; }));
    EXPECT_EQ(CountRequests(server_, "GET /update/main1.htm "), 0);
}

// Wine's control has no HTML engine here: the page is fetched but no
// document comes of it, and reloading fails. The failure has to reach the
// caller, for the error report, with the control's code in its message.
TEST_F(WebBrowserTest, RefreshFailureIsThrownWithTheCode)
{
    TWebBrowser browser(window_, bounds_);
    browser.Navigate(UpdatePageAddress());
    ASSERT_TRUE(PumpUntil([&] { return CountRequests(server_, "GET /update/main1.htm ") == 1; }));
    IDispatch* document = nullptr;
    ASSERT_EQ(browser.Browser()->get_Document(&document), S_FALSE) << "the control has a document";

    try {
        browser.Refresh();
        FAIL() << "Refresh without a document did not fail";
    } catch (const TShellFailure& failure) {
        EXPECT_EQ(failure.Message().rfind(L"Cannot reload the page", 0), 0u);
        EXPECT_NE(failure.Message().find(L"(0x80004005)"), std::wstring::npos);
    }
}

TEST_F(WebBrowserTest, ControlSitsInTheParentAtTheGivenBounds)
{
    TWebBrowser browser(window_, bounds_);

    HWND child = GetWindow(window_, GW_CHILD);
    ASSERT_NE(child, nullptr);
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 23);
    EXPECT_EQ(r.right - r.left, 510);
    EXPECT_EQ(r.bottom - r.top, 385);
}

TEST(ComFailureMessageTest, NamesTheStepAndTheCode)
{
    const std::wstring text = ComFailureMessage(L"Cannot open the page", E_ACCESSDENIED);
    EXPECT_EQ(text.rfind(L"Cannot open the page: ", 0), 0u) << text.c_str();
    EXPECT_NE(text.find(L"(0x80070005)"), std::wstring::npos);
    EXPECT_NE(text.back(), L'.');
}

}  // namespace
