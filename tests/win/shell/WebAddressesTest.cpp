// The maker's two web addresses.

#include "ui/shell/WebAddresses.h"

#include <gtest/gtest.h>

namespace {

using namespace ui;

TEST(WebAddressesTest, BothAddressesFollowTheHost)
{
    EXPECT_EQ(UpdatePageAddress(), L"http://www.velmora.example/update/main1.htm");
    EXPECT_EQ(HomePageAddress(), "http://www.velmora.example");

    SetWebHostForTests("127.0.0.1:8080");
    EXPECT_EQ(UpdatePageAddress(), L"http://127.0.0.1:8080/update/main1.htm");
    EXPECT_EQ(HomePageAddress(), "http://127.0.0.1:8080");

    SetWebHostForTests({});
    EXPECT_EQ(HomePageAddress(), "http://www.velmora.example");
}

}  // namespace
