#include "settings/BlankText.h"

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
    EXPECT_EQ(settings::TrimBlanks(c.text), c.trimmed);
    EXPECT_EQ(settings::IsBlank(c.text), c.trimmed.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, TrimBlanksTest, testing::Values(
    TrimCase{"", ""},
    TrimCase{"   ", ""},
    TrimCase{"\t\r\n\x01\x1f ", ""},
    TrimCase{"  a b  ", "a b"},
    TrimCase{"\ta\x1f", "a"},
    TrimCase{"1", "1"},
    TrimCase{" \x7f ", "\x7f"},                  // DEL is above 32
    TrimCase{"\xa1\xa1", "\xa1\xa1"},            // a double-byte blank is kept
    TrimCase{" \xa0\xff ", "\xa0\xff"}));        // bytes above 127 never go

}  // namespace
