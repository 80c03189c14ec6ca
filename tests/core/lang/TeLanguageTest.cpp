#include "lang/TeLanguage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lang/LangUnit.h"

namespace {

using lang::TeLanguage;

TEST(TeLanguageTest, EmptyTableGivesEmptyText)
{
    const TeLanguage table;
    EXPECT_EQ(table.Lookup("Sec"), "");
    EXPECT_EQ(table.Lookup(""), "");
    EXPECT_EQ(std::to_string(37) + table.Lookup("Sec"), "37");
}

TEST(TeLanguageTest, KeysDifferingOnlyInCaseAreOneKey)
{
    TeLanguage table;
    table.Add("Sec", " s");
    table.Add("SEC", " seconds");  // already present: not added again

    for (const char* key : {"Sec", "sec", "SEC", "sEc"}) {
        EXPECT_EQ(table.Lookup(key), " s") << key;
    }
    EXPECT_EQ(table.Keys.Items().size(), 1u);
    EXPECT_EQ(table.Values, std::vector<std::string>{" s"});
}

TEST(TeLanguageTest, EachKeyFindsItsOwnText)
{
    // Added out of order, so the binary search needs the sorted keys.
    const std::vector<std::pair<std::string, std::string>> entries{
        {"Sec", "s"}, {"min", "m"}, {"Hour", "h"}, {"a", "A"}, {"zz", "Z"}, {"\xc3\xa9t\xc3\xa9", "summer"},
        {"B", "b"}};
    TeLanguage table;
    for (const auto& [key, text] : entries) {
        table.Add(key, text);
    }

    for (const auto& [key, text] : entries) {
        EXPECT_EQ(table.Lookup(key), text) << key;
    }
    EXPECT_EQ(table.Lookup("Se"), "");
    EXPECT_EQ(table.Lookup("Secs"), "");
    EXPECT_EQ(table.Lookup("\xc3\x89t\xc3\xa9"), "");  // only A to Z fold

    // Sorted with A to Z folded; each key carries its text's position.
    std::vector<std::string> keys;
    for (const auto& item : table.Keys.Items()) {
        keys.push_back(item.key);
        EXPECT_EQ(table.Values.at(item.position), table.Lookup(item.key));
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"a", "B", "Hour", "min", "Sec", "zz", "\xc3\xa9t\xc3\xa9"}));
    EXPECT_EQ(table.Values.size(), entries.size());
}

TEST(TeLanguageTest, PositionOutsideValuesGivesEmptyText)
{
    TeLanguage table;
    table.Add("Sec", "s");
    ASSERT_TRUE(table.Keys.Insert("Broken", 5));

    EXPECT_EQ(table.Lookup("broken"), "");
    EXPECT_EQ(table.Lookup("sec"), "s");
}

TEST(LangUnitTest, LanguageLivesFromCreateToDestroy)
{
    ASSERT_EQ(lang::Language, nullptr);

    lang::CreateLanguage();
    ASSERT_NE(lang::Language, nullptr);
    EXPECT_EQ(lang::Language->Lookup("Sec"), "");

    lang::Language->Add("Sec", "s");
    lang::CreateLanguage();  // the table in place is kept
    EXPECT_EQ(lang::Language->Lookup("Sec"), "s");

    lang::DestroyLanguage();
    EXPECT_EQ(lang::Language, nullptr);
}

}  // namespace
