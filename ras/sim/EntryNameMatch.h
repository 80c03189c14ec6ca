// How the simulated service matches phonebook entry names: the letters a to
// z equal A to Z, every other byte (those of multi-byte characters
// included) compares exactly.
#pragma once

#include <algorithm>
#include <string_view>

namespace ras::sim {

inline unsigned char FoldEntryNameByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 'a' && byte <= 'z') ? static_cast<unsigned char>(byte - 'a' + 'A') : byte;
}

inline bool SameEntryName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return FoldEntryNameByte(x) == FoldEntryNameByte(y);
           });
}

}  // namespace ras::sim
