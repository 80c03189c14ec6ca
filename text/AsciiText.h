// Small rules about bytes of text that several parts of the program share.
// Texts here are bytes in the ANSI code page (or ASCII keys): only the
// ASCII letters fold, and every other byte, the lead and trail bytes of
// double-byte characters included, compares and stays exactly as it is.
#pragma once

#include <string_view>

namespace text {

// A to Z as a to z; every other byte as it is.
constexpr char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Equal with the letters a to z counted equal to A to Z.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

// Byte order (unsigned) after folding A to Z to a to z: below 0, 0 or above 0.
int CompareIgnoringAsciiCase(std::string_view a, std::string_view b);

// The text without its leading and trailing characters of codes 0 to 32
// (the space and the control characters); bytes above 127 are never
// trimmed.
std::string_view TrimBlanks(std::string_view text);

// True when nothing is left of the text after trimming.
bool IsBlank(std::string_view text);

}  // namespace text
