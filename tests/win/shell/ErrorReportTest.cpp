// The text of the standard error report.

#include "ui/shell/ErrorReport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using ui::MakeErrorReportText;

struct TTextCase {
    std::wstring message;
    std::wstring text;
};

class ErrorReportTextTest : public ::testing::TestWithParam<TTextCase> {};

TEST_P(ErrorReportTextTest, AppendsAPeriodAfterCharactersAboveIt)
{
    EXPECT_EQ(MakeErrorReportText(GetParam().message), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ErrorReportTextTest,
    ::testing::Values(TTextCase{L"", L""},
                      TTextCase{L"Access denied", L"Access denied."},
                      TTextCase{L"Done.", L"Done."},
                      TTextCase{L"Stop!", L"Stop!"},
                      TTextCase{L"trailing space ", L"trailing space "},
                      TTextCase{L"dash-", L"dash-"},        // '-' is 45
                      TTextCase{L"comma,", L"comma,"},      // ',' is 44
                      TTextCase{L"slash/", L"slash/."},   // '/' is 47
                      TTextCase{L"value 0", L"value 0."},  // '0' is 48
                      TTextCase{L"(0x80004005)", L"(0x80004005)"},  // ')' is 41
                      TTextCase{L"页面打开失败", L"页面打开失败."},
                      TTextCase{L".", L"."}));

}  // namespace
