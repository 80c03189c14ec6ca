// The fixed-width text fields of the remote-access records: reading one's
// bytes up to its NUL, and filling one.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string_view>

namespace ras {

// Copies text into a zeroed field, at most N - 1 bytes so that the NUL
// stays; callers that must not cut a text check its length first.
template <std::size_t N>
void CopyField(char (&field)[N], std::string_view text)
{
    std::memcpy(field, text.data(), std::min(text.size(), N - 1));
}

// The field's bytes up to the first NUL, or all of them when it holds none.
inline std::string_view FieldText(const char* field, std::size_t capacity)
{
    const void* nul = std::memchr(field, '\0', capacity);
    return {field, nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - field) : capacity};
}

}  // namespace ras
