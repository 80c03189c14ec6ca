#include "ui/SpinEditText.h"

#include <gtest/gtest.h>

namespace {

struct ValueCase {
    const wchar_t* text;
    std::int32_t value;
};

class SpinEditValueTest : public ::testing::TestWithParam<ValueCase> {};

TEST_P(SpinEditValueTest, ReadsTheTextAsASignedDecimalIntegerOrZero)
{
    EXPECT_EQ(ui::SpinEditValue(GetParam().text), GetParam().value) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Texts, SpinEditValueTest,
                         ::testing::Values(ValueCase{L"0", 0}, ValueCase{L"180", 180}, ValueCase{L"-7", -7},
                                           ValueCase{L"+12", 12}, ValueCase{L"  42", 42},
                                           ValueCase{L"20000000", 20000000}, ValueCase{L"2147483647", 2147483647},
                                           ValueCase{L"-2147483648", -2147483647 - 1}, ValueCase{L"2147483648", 0},
                                           ValueCase{L"99999999999999999999", 0}, ValueCase{L"abc", 0},
                                           ValueCase{L"", 0}, ValueCase{L"-", 0}, ValueCase{L"12a", 0},
                                           ValueCase{L"1.5", 0}, ValueCase{L"42 ", 0}, ValueCase{L"--1", 0}));

TEST(SpinEditLimits, HoldsValuesBetweenZeroAndTenMillion)
{
    EXPECT_EQ(ui::ClampSpinEditValue(-1), 0);
    EXPECT_EQ(ui::ClampSpinEditValue(0), 0);
    EXPECT_EQ(ui::ClampSpinEditValue(10000000), 10000000);
    EXPECT_EQ(ui::ClampSpinEditValue(10000001), 10000000);
    EXPECT_EQ(ui::ClampSpinEditValue(-2147483649LL), 0);
}

TEST(SpinEditTyping, LetsThroughOnlyTheCharactersOfANumber)
{
    for (wchar_t ch = L'0'; ch <= L'9'; ++ch)
        EXPECT_TRUE(ui::SpinEditAcceptsChar(ch, L'.'));
    EXPECT_TRUE(ui::SpinEditAcceptsChar(L'+', L'.'));
    EXPECT_TRUE(ui::SpinEditAcceptsChar(L'-', L'.'));
    EXPECT_TRUE(ui::SpinEditAcceptsChar(L'.', L'.'));
    EXPECT_TRUE(ui::SpinEditAcceptsChar(L',', L','));
    EXPECT_FALSE(ui::SpinEditAcceptsChar(L',', L'.'));
    EXPECT_TRUE(ui::SpinEditAcceptsChar(L'\b', L'.'));  // backspace
    EXPECT_TRUE(ui::SpinEditAcceptsChar(0x16, L'.'));   // Ctrl+V
    EXPECT_FALSE(ui::SpinEditAcceptsChar(L'\r', L'.'));
    EXPECT_FALSE(ui::SpinEditAcceptsChar(L'a', L'.'));
    EXPECT_FALSE(ui::SpinEditAcceptsChar(L' ', L'.'));
    EXPECT_FALSE(ui::SpinEditAcceptsChar(L'\x79d2', L'.'));  // 秒
}

}  // namespace
