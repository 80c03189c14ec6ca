#include "settings/SettingsPath.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Lead bytes of code page 936 (GBK).
bool IsGbkLeadByte(unsigned char c)
{
    return c >= 0x81 && c <= 0xfe;
}

struct PathCase {
    std::string modulePath;
    settings::LeadBytePredicate isLeadByte;
    std::string settingsPath;
};

class SettingsPathTest : public testing::TestWithParam<PathCase> {};

TEST_P(SettingsPathTest, CutsAfterLastBackslashOrColon)
{
    const PathCase& c = GetParam();
    EXPECT_EQ(settings::SettingsPathFromModulePath(c.modulePath, c.isLeadByte), c.settingsPath);
}

INSTANTIATE_TEST_SUITE_P(Cases, SettingsPathTest,
                         testing::Values(PathCase{"C:\\Program Files\\Velmora\\velmora.exe", nullptr,
                                                  "C:\\Program Files\\Velmora\\dialup.ini"},
                                         PathCase{"C:\\velmora.exe", nullptr, "C:\\dialup.ini"},
                                         PathCase{"C:velmora.exe", nullptr, "C:dialup.ini"},
                                         PathCase{"\\\\server\\share\\v.exe", nullptr, "\\\\server\\share\\dialup.ini"},
                                         PathCase{"C:\\dir/v.exe", nullptr, "C:\\dialup.ini"},
                                         PathCase{"velmora.exe", nullptr, "dialup.ini"},
                                         PathCase{"", nullptr, "dialup.ini"},
                                         // A double-byte character whose trail byte is 0x5C is no separator.
                                         PathCase{"C:\\d\\\x81\x5Cv.exe", &IsGbkLeadByte, "C:\\d\\dialup.ini"},
                                         PathCase{"C:\\\x81\x5C\\v.exe", &IsGbkLeadByte, "C:\\\x81\x5C\\dialup.ini"},
                                         PathCase{"C:\\d\\\x81\x5Cv.exe", nullptr, "C:\\d\\\x81\\dialup.ini"}));

}  // namespace
