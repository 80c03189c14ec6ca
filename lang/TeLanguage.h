// A table of user-interface texts looked up by key. Keys are compared
// without regard to the case of the letters A to Z, so keys that differ
// only in case are the same key.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace lang {

// Keys kept sorted, each at most once, each carrying the position of its
// text in TeLanguage::Values.
class SortedKeyList {
public:
    struct Item {
        std::string key;
        std::size_t position;
    };

    // The position carried by the key, or nullptr when it is absent.
    const std::size_t* Find(std::string_view key) const;

    // Inserts the key in its sorted place; false (and no change) when the
    // key is already present.
    bool Insert(std::string_view key, std::size_t position);

    const std::vector<Item>& Items() const { return items_; }

private:
    std::vector<Item>::const_iterator LowerBound(std::string_view key) const;

    std::vector<Item> items_;
};

class TeLanguage {
public:
    // The text for the key; the empty text when the key is absent or its
    // text cannot be had. Never fails.
    std::string Lookup(std::string_view key) const noexcept;

    // Appends the text to Values and inserts the key carrying its position.
    // A key already present keeps its text and nothing is added.
    void Add(std::string_view key, std::string_view text);

    SortedKeyList Keys;
    std::vector<std::string> Values;
};

}  // namespace lang
