// The conversion of a stored number to a signed 32-bit integer.
//
// Accepted: optional leading spaces (code 32 only), an optional "+" or "-",
// then either decimal digits, or hexadecimal digits after a "$", "0x" or
// "0X" prefix. Anything else makes the text invalid: an empty text, a sign
// or prefix without digits, any other character (a trailing blank too) and
// a value outside -2147483648..2147483647.
//
// The range holds for hexadecimal as for decimal: the sign applies to the
// digits' value, so "-$80000000" is the smallest value and "$80000000" to
// "$FFFFFFFF" are out of range. They are not wrapped round to negative
// numbers: a hand-edited "$FFFFFFFF" would otherwise quietly mean -1.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace settings {

std::optional<std::int32_t> ParseInt32(std::string_view text);

}  // namespace settings
