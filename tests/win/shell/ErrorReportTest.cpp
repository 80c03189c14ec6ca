// The text of the standard error report.

#include "ui/shell/ErrorReport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using ui::MakeErrorReportText;

struct TextCase {
    std::wstring message;
    std::wstring text;
};

class ErrorReportTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(ErrorReportTextTest, AppendsAPeriodAfterCharactersAboveIt)
{
    EXPECT_EQ(MakeErrorReportText(GetParam().message), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Cases, ErrorReportTextTest,
                         ::testing::Values(TextCase{L"", L""}, TextCase{L"Access denied", L"Access denied."},
                                           TextCase{L"Done.", L"Done."}, TextCase{L"Stop!", L"Stop!"},
                                           TextCase{L"trailing space ", L"trailing space "},
                                           TextCase{L"dash-", L"dash-"},                // '-' is 45
                                           TextCase{L"comma,", L"comma,"},              // ',' is 44
                                           TextCase{L"slash/", L"slash/."},             // '/' is 47
                                           TextCase{L"value 0", L"value 0."},           // '0' is 48
                                           TextCase{L"(0x80004005)", L"(0x80004005)"},  // ')' is 41
                                           TextCase{L"页面打开失败", L"页面打开失败."}, TextCase{L".", L"."}));

}  // namespace
