// The text of a fixed-width field of a remote-access record: its bytes up
// to the first NUL, or all of them when the field holds none.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

namespace ras {

inline std::string_view FieldText(const char* field, std::size_t capacity) {
    const void* nul = std::memchr(field, '\0', capacity);
    return {field, nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - field) : capacity};
}

}  // namespace ras
