#include "text/AsciiText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct TrimCase {
    std::string text;
    std::string trimmed;
};

class TrimBlanksTest : public testing::TestWithParam<TrimCase> {};

TEST_P(TrimBlanksTest, RemovesCodesUpTo32AtBothEnds)
{
    const TrimCase& c = GetParam();
    EXPECT_EQ(text::TrimBlanks(c.text), c.trimmed);
    EXPECT_EQ(text::IsBlank(c.text), c.trimmed.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, TrimBlanksTest,
                         testing::Values(TrimCase{"", ""}, TrimCase{"   ", ""}, TrimCase{"\t\r\n\x01\x1f ", ""},
                                         TrimCase{"  a b  ", "a b"}, TrimCase{"\ta\x1f", "a"}, TrimCase{"1", "1"},
                                         TrimCase{" \x7f ", "\x7f"},            // DEL is above 32
                                         TrimCase{"\xa1\xa1", "\xa1\xa1"},      // a double-byte blank is kept
                                         TrimCase{" \xa0\xff ", "\xa0\xff"}));  // bytes above 127 never go

struct FoldCase {
    std::string a;
    std::string b;
    int order;  // of a against b, after folding
};

class AsciiCaseTest : public testing::TestWithParam<FoldCase> {};

TEST_P(AsciiCaseTest, FoldsTheAsciiLettersOnly)
{
    const FoldCase& c = GetParam();
    EXPECT_EQ(text::EqualsIgnoringAsciiCase(c.a, c.b), c.order == 0);
    EXPECT_EQ(text::CompareIgnoringAsciiCase(c.a, c.b), c.order);
    EXPECT_EQ(text::CompareIgnoringAsciiCase(c.b, c.a), -c.order);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AsciiCaseTest,
    testing::Values(FoldCase{"DialUser", "dialuser", 0}, FoldCase{"", "", 0}, FoldCase{"[x]", "[X]", 0},
                    FoldCase{"@", "`", -1},                             // the bytes next to A and a do not fold
                    FoldCase{"caf\xe9", "CAF\xc9", 1},                  // accented letters are not folded
                    FoldCase{"\xbf\xed", "\xbf\xed", 0},                // double-byte characters compare as they are
                    FoldCase{"ab", "ABC", -1}, FoldCase{"_", "a", -1},  // '_' (95) sorts below 'a' (97), above 'A'
                    FoldCase{"\x80", "z", 1}));                         // bytes compare unsigned

}  // namespace
