#include "lang/TeLanguage.h"

#include <algorithm>

namespace lang {

namespace {

unsigned char FoldAsciiCase(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 'A' && byte <= 'Z') ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

// Byte order after folding A-Z to a-z.
int CompareKeys(std::string_view a, std::string_view b)
{
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const unsigned char x = FoldAsciiCase(a[i]);
        const unsigned char y = FoldAsciiCase(b[i]);
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace

std::vector<SortedKeyList::Item>::const_iterator SortedKeyList::LowerBound(std::string_view key) const
{
    return std::lower_bound(items_.begin(), items_.end(), key,
                            [](const Item& item, std::string_view k) { return CompareKeys(item.key, k) < 0; });
}

const std::size_t* SortedKeyList::Find(std::string_view key) const
{
    const auto found = LowerBound(key);
    if (found == items_.end() || CompareKeys(found->key, key) != 0) {
        return nullptr;
    }
    return &found->position;
}

bool SortedKeyList::Insert(std::string_view key, std::size_t position)
{
    const auto place = LowerBound(key);
    if (place != items_.end() && CompareKeys(place->key, key) == 0) {
        return false;
    }
    items_.insert(place, Item{std::string(key), position});
    return true;
}

std::string TeLanguage::Lookup(std::string_view key) const noexcept
{
    // The one place where a failed lookup is swallowed: the caller always
    // gets a text, the empty one when there is none to give.
    try {
        const std::size_t* position = Keys.Find(key);
        if (position == nullptr || *position >= Values.size()) {
            return {};
        }
        return Values[*position];
    } catch (...) {
        return {};
    }
}

void TeLanguage::Add(std::string_view key, std::string_view text)
{
    if (Keys.Find(key) != nullptr) {
        return;
    }
    Values.emplace_back(text);
    try {
        Keys.Insert(key, Values.size() - 1);
    } catch (...) {
        Values.pop_back();  // keep the table as it was
        throw;
    }
}

}  // namespace lang
