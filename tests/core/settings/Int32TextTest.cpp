#include "settings/Int32Text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <ostream>
#include <string>

namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

struct ParseCase {
    std::string text;
    std::optional<std::int32_t> value;
};

void PrintTo(const ParseCase& c, std::ostream* out)
{
    *out << '"' << c.text << '"';
}

class ParseInt32Test : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseInt32Test, ConvertsOrRejects)
{
    EXPECT_EQ(settings::ParseInt32(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Decimal, ParseInt32Test,
                         testing::Values(ParseCase{"0", 0}, ParseCase{"5", 5}, ParseCase{"-1", -1},
                                         ParseCase{"+12", 12}, ParseCase{"-0", 0}, ParseCase{"   7", 7},
                                         ParseCase{" -3", -3}, ParseCase{"000000000000000000012", 12},
                                         ParseCase{"2147483647", kMax}, ParseCase{"-2147483648", kMin},
                                         ParseCase{"2147483648", std::nullopt}, ParseCase{"-2147483649", std::nullopt},
                                         ParseCase{"99999999999999999999999", std::nullopt}));

INSTANTIATE_TEST_SUITE_P(Hexadecimal, ParseInt32Test,
                         testing::Values(ParseCase{"$1F", 31}, ParseCase{"$1f", 31}, ParseCase{"0x1f", 31},
                                         ParseCase{"0X1F", 31}, ParseCase{" $a", 10}, ParseCase{"-$10", -16},
                                         ParseCase{"+0x10", 16}, ParseCase{"$7FFFFFFF", kMax},
                                         ParseCase{"-$80000000", kMin}, ParseCase{"$00000000000000001", 1},
                                         // Above the signed range: rejected, not wrapped round to negative.
                                         ParseCase{"$80000000", std::nullopt}, ParseCase{"0xFFFFFFFF", std::nullopt},
                                         ParseCase{"-0x80000001", std::nullopt},
                                         ParseCase{"$100000000", std::nullopt}));

INSTANTIATE_TEST_SUITE_P(
    Invalid, ParseInt32Test,
    testing::Values(ParseCase{"", std::nullopt}, ParseCase{" ", std::nullopt}, ParseCase{"2 ", std::nullopt},
                    ParseCase{"abc", std::nullopt}, ParseCase{"1a", std::nullopt}, ParseCase{"1.0", std::nullopt},
                    ParseCase{"\t1", std::nullopt}, ParseCase{"+", std::nullopt}, ParseCase{"-", std::nullopt},
                    ParseCase{"--1", std::nullopt}, ParseCase{"- 1", std::nullopt}, ParseCase{"$", std::nullopt},
                    ParseCase{"0x", std::nullopt}, ParseCase{"$-1", std::nullopt}, ParseCase{"$g", std::nullopt},
                    ParseCase{"x10", std::nullopt}, ParseCase{"0x0x1", std::nullopt}, ParseCase{"00x1", std::nullopt},
                    ParseCase{std::string("1\0", 2), std::nullopt}));

}  // namespace
