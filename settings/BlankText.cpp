#include "settings/BlankText.h"

namespace settings {

namespace {

bool IsTrimmed(char c)
{
    return static_cast<unsigned char>(c) <= 32;
}

}  // namespace

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

}  // namespace settings
