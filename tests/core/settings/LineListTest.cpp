#include "settings/LineList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/core/settings/MemoryFileStore.h"

namespace {

using settings::LineList;
using Lines = std::vector<std::string>;

// std::string from a literal that may hold NUL bytes.
template <std::size_t N>
std::string Bytes(const char (&text)[N])
{
    return std::string(text, N - 1);
}

struct SplitCase {
    std::string text;
    Lines lines;
};

class LineListSplitTest : public testing::TestWithParam<SplitCase> {};

TEST_P(LineListSplitTest, SplitsAtEveryKindOfLineEnd)
{
    EXPECT_EQ(LineList::FromText(GetParam().text).Lines(), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(Cases, LineListSplitTest,
                         testing::Values(SplitCase{"", {}}, SplitCase{"a", {"a"}}, SplitCase{"a\r\n", {"a"}},
                                         SplitCase{"a\r\nb", {"a", "b"}}, SplitCase{"a\nb\n", {"a", "b"}},
                                         SplitCase{"a\rb\r", {"a", "b"}},
                                         SplitCase{"a\n\rb", {"a", "", "b"}},  // LF then CR: two line ends
                                         SplitCase{"a\r\r\nb", {"a", "", "b"}}, SplitCase{"a\r\n\r\nb", {"a", "", "b"}},
                                         SplitCase{"\r\n", {""}}, SplitCase{"\n\n", {"", ""}},
                                         SplitCase{Bytes("a\r\nb\0c\r\nd"), {"a", "b"}},  // NUL ends the text
                                         SplitCase{Bytes("\0a=b"), {}}, SplitCase{"x=\xa1\xa1\r\n", {"x=\xa1\xa1"}}));

TEST(LineListTest, WritesEveryLineWithCrLf)
{
    EXPECT_EQ(LineList::FromText("a\n\nb").ToText(), "a\r\n\r\nb\r\n");
    EXPECT_EQ(LineList().ToText(), "");
}

struct LookupCase {
    std::string text;
    std::string key;
    std::string value;
};

class LineListLookupTest : public testing::TestWithParam<LookupCase> {};

TEST_P(LineListLookupTest, FirstLineWhoseNameMatchesCounts)
{
    const LookupCase& c = GetParam();
    EXPECT_EQ(LineList::FromText(c.text).Value(c.key), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LineListLookupTest,
    testing::Values(LookupCase{"dialuser=abc", "dialuser", "abc"}, LookupCase{"DIALUSER=abc", "dialuser", "abc"},
                    LookupCase{"DialUser=abc", "DIALUSER", "abc"}, LookupCase{" dialuser=abc", "dialuser", ""},
                    LookupCase{"dialuser =abc", "dialuser", ""}, LookupCase{"dialuser= abc ", "dialuser", " abc "},
                    LookupCase{"dialpwd=one\r\ndialpwd=two", "dialpwd", "one"},
                    LookupCase{"dialpwd=a=b", "dialpwd", "a=b"},
                    LookupCase{"dialuser\r\ndialuser=x", "dialuser", "x"},  // no "=": no settings line
                    LookupCase{"dialuser", "dialuser", ""}, LookupCase{"dialuser=", "dialuser", ""},
                    LookupCase{"dialuserx=1\r\ndialuse=2", "dialuser", ""},
                    LookupCase{"\xef\xbb\xbf"
                               "dialuser=x",
                               "dialuser", ""},  // a byte-order mark spoils the name
                    LookupCase{"other=1\r\n\r\nstart=1", "start", "1"}));

TEST(LineListTest, SetValueReplacesFirstMatchInPlace)
{
    LineList lines = LineList::FromText("a=1\r\nKEY=old\r\nb=2\r\nkey=second");
    lines.SetValue("key", "new");
    EXPECT_EQ(lines.Lines(), (Lines{"a=1", "key=new", "b=2", "key=second"}));
}

TEST(LineListTest, SetValueAppendsWhenNoLineMatches)
{
    LineList lines;
    lines.SetValue("one", "1");
    lines.SetValue("two", "a=b");
    EXPECT_EQ(lines.Lines(), (Lines{"one=1", "two=a=b"}));
}

TEST(LineListTest, SetEmptyValueRemovesOnlyTheFirstMatch)
{
    LineList lines = LineList::FromText("key=1\r\nother=2\r\nKey=3");
    lines.SetValue("KEY", "");
    EXPECT_EQ(lines.Lines(), (Lines{"other=2", "Key=3"}));

    lines.SetValue("missing", "");
    EXPECT_EQ(lines.Lines(), (Lines{"other=2", "Key=3"}));
}

TEST(LineListTest, ReadsAndWritesThroughTheStore)
{
    settings_test::MemoryFileStore store;
    store.files["f"] = "x=1\ny=2";

    LineList lines;
    ASSERT_TRUE(lines.ReadFrom(store, "f"));
    EXPECT_EQ(lines.Lines(), (Lines{"x=1", "y=2"}));

    ASSERT_TRUE(lines.WriteTo(store, "g"));
    EXPECT_EQ(store.files["g"], "x=1\r\ny=2\r\n");
}

TEST(LineListTest, UnreadableFileLeavesTheListEmpty)
{
    settings_test::MemoryFileStore store;
    store.files["f"] = "x=1";
    store.readFails = true;

    LineList lines = LineList::FromText("old=1");
    EXPECT_FALSE(lines.ReadFrom(store, "f"));
    EXPECT_TRUE(lines.Lines().empty());
}

}  // namespace
