#include "scheduler/AddressText.h"

namespace scheduler {
namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The dotted address that starts exactly at `at`, or empty.
std::string AddressAt(std::string_view text, std::size_t at)
{
    std::size_t i = at;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (i >= text.size() || text[i] != '.')
                return {};
            ++i;
        }
        const std::size_t first = i;
        int value = 0;
        while (i < text.size() && IsDigit(text[i]) && i - first < 3) {
            value = value * 10 + (text[i] - '0');
            ++i;
        }
        const std::size_t digits = i - first;
        if (digits == 0 || value > 255 || (digits > 1 && text[first] == '0'))
            return {};
    }
    // Not part of a longer run of digits and dots ("1.2.3.4.5", "1.2.3.456").
    if (i < text.size() && (IsDigit(text[i]) || (text[i] == '.' && i + 1 < text.size() && IsDigit(text[i + 1]))))
        return {};
    return std::string(text.substr(at, i - at));
}

}  // namespace

std::string FirstIPv4(std::string_view text)
{
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (!IsDigit(text[at]))
            continue;
        // An address starts after something that is neither a digit nor a dot.
        if (at > 0 && (IsDigit(text[at - 1]) || text[at - 1] == '.'))
            continue;
        std::string address = AddressAt(text, at);
        if (!address.empty())
            return address;
    }
    return {};
}

}  // namespace scheduler
