// The embedded browser under test: created in a real window, navigated to a
// loopback server standing in for the maker's site.

#include "ui/shell/ShellFailure.h"
#include "ui/shell/WebAddresses.h"
#include "ui/shell/WebBrowser.h"
#include "tests/win/shell/FakeActiveObject.h"
#include "tests/win/shell/FakeWebBrowser2.h"
#include "tests/win/shell/LoopbackHttpServer.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <memory>

namespace {

using namespace ui;

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

long CountRequests(const LoopbackHttpServer& server, const std::string& line)
{
    const auto requests = server.Requests();
    return std::count_if(requests.begin(), requests.end(), [&](const std::string& r) { return r.rfind(line, 0) == 0; });
}

class WebBrowserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        window_ = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 530, 440, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
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

    LoopbackHttpServer server_;
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

// A page the browser can show renders on Windows, and reloading it works;
// the failure path is driven with a browser that fails on purpose.
TEST(WebBrowserOverAPointerTest, AFailedRefreshOrNavigationIsThrownWithTheCode)
{
    FakeWebBrowser2 fake;
    fake.refreshResult = E_FAIL;
    fake.navigateResult = E_ACCESSDENIED;
    {
        TWebBrowser browser(ComPtr<IWebBrowser2>::Share(&fake));
        try {
            browser.Refresh();
            FAIL() << "a failed refresh was taken for success";
        } catch (const ShellFailure& failure) {
            EXPECT_EQ(failure.Message().rfind(L"Cannot reload the page", 0), 0u);
            EXPECT_NE(failure.Message().find(L"(0x80004005)"), std::wstring::npos);
        }
        EXPECT_EQ(fake.refreshes, 1);
        try {
            browser.Navigate(L"http://example.invalid/update/main1.htm");
            FAIL() << "a failed navigation was taken for success";
        } catch (const ShellFailure& failure) {
            EXPECT_EQ(failure.Message().rfind(L"Cannot open the page", 0), 0u);
            EXPECT_NE(failure.Message().find(L"(0x80070005)"), std::wstring::npos);
        }
        EXPECT_EQ(fake.navigated, L"http://example.invalid/update/main1.htm");

        fake.refreshResult = S_OK;
        EXPECT_EQ(browser.Refresh(), S_OK);
        EXPECT_EQ(fake.refreshes, 2);
        EXPECT_EQ(browser.Site(), nullptr);
        MSG key{nullptr, WM_KEYDOWN, VK_TAB, 1, 0, {}};
        EXPECT_FALSE(browser.PreTranslateMessage(key));  // no site, no active object
    }
    EXPECT_EQ(fake.refs, 1);
}

TEST_F(WebBrowserTest, TheSiteKeepsTheActiveObjectTheControlNamesUntilItIsTakenBack)
{
    FakeActiveObject page;
    {
        TWebBrowser browser(window_, bounds_);
        BrowserSite* site = browser.Site();
        ASSERT_NE(site, nullptr);
        const long before = page.refs;
        EXPECT_EQ(site->SetActiveObject(&page, L"page"), S_OK);
        EXPECT_EQ(site->ActiveObject().Get(), &page);
        EXPECT_EQ(page.refs, before + 1);
        EXPECT_EQ(site->SetActiveObject(nullptr, nullptr), S_OK);
        EXPECT_EQ(site->ActiveObject().Get(), nullptr);
        EXPECT_EQ(page.refs, before);

        // Still held when the browser goes: it lets go then.
        site->SetActiveObject(&page, nullptr);
    }
    EXPECT_EQ(page.refs, 1);
}

TEST_F(WebBrowserTest, OnlyKeyMessagesWithTheFocusInTheControlsAreaAreOffered)
{
    TWebBrowser browser(window_, bounds_);
    FakeActiveObject page;
    page.translateResult = S_OK;
    browser.Site()->SetActiveObject(&page, nullptr);
    HWND inside = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, window_, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    HWND outside = CreateWindowExW(0, L"EDIT", L"", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 50, 20, nullptr, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);

    const struct {
        HWND focus;
        UINT message;
        bool offered;
    } cases[] = {
        {inside, WM_KEYDOWN, true},  {inside, WM_CHAR, true},         {inside, WM_SYSKEYDOWN, true},
        {inside, WM_KEYUP, true},    {inside, WM_LBUTTONDOWN, false}, {inside, WM_TIMER, false},
        {window_, WM_KEYDOWN, true}, {outside, WM_KEYDOWN, false},
    };
    for (const auto& c : cases) {
        SetFocus(c.focus);
        ASSERT_EQ(GetFocus(), c.focus);
        page.offered.clear();
        MSG message{c.focus, c.message, 'C', 1, 0, {}};
        EXPECT_EQ(browser.PreTranslateMessage(message), c.offered) << c.message;
        EXPECT_EQ(page.offered.size(), c.offered ? 1u : 0u) << c.message;
    }
    DestroyWindow(outside);
    browser.Site()->SetActiveObject(nullptr, nullptr);
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
