#include "ui/SpinEditText.h"

#include <algorithm>
#include <limits>

namespace ui {

std::optional<std::int32_t> ParseSpinEditInteger(std::wstring_view text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == L' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    std::int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const wchar_t ch = text[i];
        if (ch < L'0' || ch > L'9')
            return std::nullopt;
        magnitude = magnitude * 10 + (ch - L'0');
        if (magnitude > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1)
            return std::nullopt;
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::int32_t SpinEditValue(std::wstring_view text)
{
    return ParseSpinEditInteger(text).value_or(kSpinEditMinValue);
}

std::int32_t ClampSpinEditValue(std::int64_t value)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, kSpinEditMinValue, kSpinEditMaxValue));
}

bool SpinEditAcceptsChar(wchar_t ch, wchar_t decimalSeparator)
{
    if (ch >= L'0' && ch <= L'9')
        return true;
    if (ch == L'+' || ch == L'-' || ch == decimalSeparator)
        return true;
    return ch < L' ' && ch != L'\r';
}

}  // namespace ui
