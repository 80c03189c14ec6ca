// The rules of the spin edits' text, kept free of any window so they can be
// tested on their own.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace ui {

inline constexpr std::int32_t kSpinEditMinValue = 0;
inline constexpr std::int32_t kSpinEditMaxValue = 10000000;

// The text read as a signed decimal integer: leading blanks, an optional
// "+" or "-", then one or more digits and nothing after them, within the
// 32-bit range. Anything else is no integer.
std::optional<std::int32_t> ParseSpinEditInteger(std::wstring_view text);

// What a spin edit's Value is for a text: the integer it holds, or the
// minimum (0) for a text that is no integer.
std::int32_t SpinEditValue(std::wstring_view text);

// Holds a value within the spin edit's limits.
std::int32_t ClampSpinEditValue(std::int64_t value);

// Whether a typed character is let through: the digits, "+", "-", the
// locale's decimal separator and control characters other than Enter.
bool SpinEditAcceptsChar(wchar_t ch, wchar_t decimalSeparator);

}  // namespace ui
