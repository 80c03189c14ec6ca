#include "lang/TeLanguage.h"

#include <algorithm>

#include "text/AsciiText.h"

namespace lang {

namespace {

// Byte order after folding A-Z to a-z.
int CompareKeys(std::string_view a, std::string_view b)
{
    return text::CompareIgnoringAsciiCase(a, b);
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
