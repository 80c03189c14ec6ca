// Conversion between UTF-16 and the bytes of a code page: never a best-fit
// look-alike, exactness reported, placed bytes handed back unchanged.
#include "ui/AnsiText.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

constexpr unsigned kWestern = 1252;
constexpr unsigned kChinese = 936;

struct ExactCase {
    const wchar_t* text;
    unsigned codePage;
    std::optional<std::string> exact;  // nothing: the code page cannot hold the text
    const char* substituted;           // what the plain conversion gives
};

class ExactConversionTest : public ::testing::TestWithParam<ExactCase> {};

TEST_P(ExactConversionTest, HoldsTheTextExactlyOrSaysItCannot)
{
    const ExactCase& c = GetParam();
    EXPECT_EQ(ui::ExactBytesFromWide(c.text, c.codePage), c.exact);
    EXPECT_EQ(ui::BytesFromWide(c.text, c.codePage), c.substituted);
}

INSTANTIATE_TEST_SUITE_P(Texts, ExactConversionTest,
                         ::testing::Values(ExactCase{L"user@isp", kWestern, "user@isp", "user@isp"},
                                           ExactCase{L"caf\x00E9", kWestern, "caf\xE9", "caf\xE9"},
                                           ExactCase{L"\x20AC", kWestern, "\x80", "\x80"},
                                           // 密码: not in the western code page.
                                           ExactCase{L"\x5BC6\x7801", kWestern, std::nullopt, "??"},
                                           // Ā and ł would become A and l by best fit.
                                           ExactCase{L"p\x0100ss", kWestern, std::nullopt, "p?ss"},
                                           ExactCase{L"\x0142", kWestern, std::nullopt, "?"},
                                           ExactCase{L"\x5BC6\x7801", kChinese, "\xC3\xDC\xC2\xEB", "\xC3\xDC\xC2\xEB"},
                                           ExactCase{L"\x00E9", kChinese, "\xA8\xA6", "\xA8\xA6"},
                                           ExactCase{L"\x0E01", kChinese, std::nullopt, "?"},  // Thai
                                           ExactCase{L"\x5BC6", ui::kUtf8CodePage, "\xE5\xAF\x86", "\xE5\xAF\x86"},
                                           ExactCase{L"a\xD800", ui::kUtf8CodePage, std::nullopt,
                                                     "a\xEF\xBF\xBD"},  // lone surrogate
                                           ExactCase{L"", kWestern, "", ""}));

TEST(AnsiText, ReadsBytesOfTheCodePage)
{
    EXPECT_EQ(ui::WideFromBytes("\xC3\xDC\xC2\xEB", kChinese), L"\x5BC6\x7801");
    EXPECT_EQ(ui::WideFromBytes("caf\xE9", kWestern), L"caf\x00E9");
    EXPECT_EQ(ui::WideFromBytes("\xE5\xAF\x86", ui::kUtf8CodePage), L"\x5BC6");
    EXPECT_EQ(ui::WideFromBytes("", kWestern), L"");
    EXPECT_EQ(ui::Utf8FromWide(L"\x5BC6 x"), "\xE5\xAF\x86 x");
}

// What a text box shows for placed bytes (read back from the box; here the
// conversion stands in for it).
std::wstring Shown(const std::string& bytes, unsigned codePage)
{
    return ui::WideFromBytes(bytes, codePage);
}

TEST(PlacedBytes, BytesThatAreNoTextInTheCodePageComeBackUnchangedUntilEdited)
{
    // A lone lead byte and a lead byte before a byte that cannot follow it.
    for (const std::string& bytes : {std::string("ab\x81"), std::string("\x81\x20x"), std::string("x\xA1")}) {
        ui::PlacedBytes placed(kChinese);
        const std::wstring shown = Shown(bytes, kChinese);
        ASSERT_NE(ui::BytesFromWide(shown, kChinese), bytes) << "the bytes read back the same";
        placed.Place(bytes, shown);
        EXPECT_EQ(placed.BytesFor(shown), bytes);
        EXPECT_TRUE(placed.ExactFor(shown));
        // Edited: the box's text is converted.
        EXPECT_EQ(placed.BytesFor(shown + L"1"), ui::BytesFromWide(shown + L"1", kChinese));
        EXPECT_EQ(placed.BytesFor(L"\x5BC6"), "\xC3\xDC");
        EXPECT_TRUE(placed.ExactFor(L"\x5BC6"));
        EXPECT_FALSE(placed.ExactFor(L"\x0E01"));
    }
}

TEST(PlacedBytes, NothingPlacedConvertsWhatIsShown)
{
    ui::PlacedBytes placed(kWestern);
    EXPECT_EQ(placed.BytesFor(L""), "");
    EXPECT_TRUE(placed.ExactFor(L""));
    EXPECT_EQ(placed.BytesFor(L"180"), "180");
    EXPECT_EQ(placed.BytesFor(L"\x5BC6"), "?");
    EXPECT_FALSE(placed.ExactFor(L"\x5BC6"));
}

}  // namespace
