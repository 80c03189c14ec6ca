// Blank handling of the settings values. A character with a code from 0 to
// 32 (the space and the control characters) is trimmed; bytes above 127
// are never trimmed, so the lead and trail bytes of double-byte characters
// stay as they are.
#pragma once

#include <string_view>

namespace settings {

// The text without its leading and trailing characters of codes 0 to 32.
std::string_view TrimBlanks(std::string_view text);

// True when nothing is left of the text after trimming.
bool IsBlank(std::string_view text);

}  // namespace settings
