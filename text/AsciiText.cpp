#include "text/AsciiText.h"

#include <algorithm>

namespace text {

namespace {

unsigned char Folded(char c)
{
    return static_cast<unsigned char>(LowerAscii(c));
}

bool IsTrimmed(char c)
{
    return static_cast<unsigned char>(c) <= 32;
}

}  // namespace

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Folded(x) == Folded(y); });
}

int CompareIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const unsigned char x = Folded(a[i]);
        const unsigned char y = Folded(b[i]);
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && IsTrimmed(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsTrimmed(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool IsBlank(std::string_view text)
{
    return TrimBlanks(text).empty();
}

}  // namespace text
