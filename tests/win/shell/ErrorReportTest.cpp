// The standard error report: its text and its message box.

#include "ui/shell/ErrorReport.h"
#include "ui/shell/ShellFailure.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace {

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

struct TBoxCall {
    HWND owner;
    std::wstring text, caption;
    UINT type;
};

MessageBoxCall Recorder(std::vector<TBoxCall>& calls)
{
    return [&calls](HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
        calls.push_back({owner, text, caption, type});
        return IDOK;
    };
}

const HWND kOwner = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x77));

TEST(ErrorReportTest, ShowsTheTextWithTheTitleAnErrorIconAndOk)
{
    std::vector<TBoxCall> calls;
    ShowErrorReport(kOwner, L"Velmora V2.0.10", L"Cannot reload the page", Recorder(calls));

    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].owner, kOwner);
    EXPECT_EQ(calls[0].text, L"Cannot reload the page.");
    EXPECT_EQ(calls[0].caption, L"Velmora V2.0.10");
    EXPECT_EQ(calls[0].type, static_cast<UINT>(MB_ICONERROR | MB_OK));
}

TEST(ErrorReportTest, AFailingHandlerIsReportedAndTheCallerCarriesOn)
{
    std::vector<TBoxCall> calls;
    RunReportingFailures(kOwner, L"", [] { throw TShellFailure(L"页面打开失败 (0x80004005)"); }, Recorder(calls));
    RunReportingFailures(kOwner, L"", [] { throw std::runtime_error("plain failure"); }, Recorder(calls));
    bool ran = false;
    RunReportingFailures(kOwner, L"", [&] { ran = true; }, Recorder(calls));

    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].text, L"页面打开失败 (0x80004005)");
    EXPECT_EQ(calls[0].caption, L"");
    EXPECT_EQ(calls[1].text, L"plain failure.");
    EXPECT_TRUE(ran);
}

}  // namespace
