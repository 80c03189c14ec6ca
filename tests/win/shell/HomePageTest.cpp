// The home-page link and the two addresses.

#include "ui/shell/HomePage.h"
#include "ui/shell/WebAddresses.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct TShellExecuteArgs {
    HWND owner;
    std::string verb, file, parameters;
    bool directoryNull;
    int show;
};

ShellExecuteCall Recorder(std::vector<TShellExecuteArgs>& calls)
{
    return [&calls](HWND owner, const char* verb, const char* file, const char* parameters, const char* directory,
                    int show) {
        calls.push_back({owner, verb, file, parameters ? parameters : "(null)", directory == nullptr, show});
        return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(33));
    };
}

const HWND kApplicationWindow = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x4242));

TEST(HomePageTest, OpensInternetExplorerOnTheHomePageEachTime)
{
    std::vector<TShellExecuteArgs> calls;
    OpenHomePage(kApplicationWindow, Recorder(calls));
    OpenHomePage(kApplicationWindow, Recorder(calls));

    ASSERT_EQ(calls.size(), 2u);
    for (const auto& c : calls) {
        EXPECT_EQ(c.owner, kApplicationWindow);
        EXPECT_EQ(c.verb, "Open");
        EXPECT_EQ(c.file, "IEXPLORE.EXE");
        EXPECT_EQ(c.parameters, "http://www.velmora.example");
        EXPECT_TRUE(c.directoryNull);
        EXPECT_EQ(c.show, SW_SHOWNORMAL);
    }
}

TEST(WebAddressesTest, BothAddressesFollowTheHost)
{
    EXPECT_EQ(UpdatePageAddress(), L"http://www.velmora.example/update/main1.htm");
    EXPECT_EQ(HomePageAddress(), "http://www.velmora.example");

    SetWebHostForTests("127.0.0.1:8080");
    EXPECT_EQ(UpdatePageAddress(), L"http://127.0.0.1:8080/update/main1.htm");
    std::vector<TShellExecuteArgs> calls;
    OpenHomePage(kApplicationWindow, Recorder(calls));
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].parameters, "http://127.0.0.1:8080");

    SetWebHostForTests({});
    EXPECT_EQ(HomePageAddress(), "http://www.velmora.example");
}

}  // namespace
