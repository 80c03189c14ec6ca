#include "settings/LineList.h"

#include <algorithm>

#include "text/AsciiText.h"

namespace settings {

namespace {

bool SameName(std::string_view name, std::string_view key)
{
    return text::EqualsIgnoringAsciiCase(name, key);
}

}  // namespace

LineList LineList::FromText(std::string_view text)
{
    text = text.substr(0, text.find('\0'));

    LineList list;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            list.lines_.emplace_back(text.substr(start));
            break;
        }
        list.lines_.emplace_back(text.substr(start, end - start));
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n') {
            ++start;
        }
    }
    return list;
}

std::string LineList::ToText() const
{
    std::string text;
    for (const std::string& line : lines_) {
        text += line;
        text += "\r\n";
    }
    return text;
}

bool LineList::ReadFrom(FileStore& store, const std::string& path)
{
    lines_.clear();
    const std::optional<std::string> bytes = store.ReadAll(path);
    if (!bytes) {
        return false;
    }
    *this = FromText(*bytes);
    return true;
}

bool LineList::WriteTo(FileStore& store, const std::string& path) const
{
    return store.ReplaceAll(path, ToText());
}

std::size_t LineList::FindKey(std::string_view key) const
{
    const auto found = std::find_if(lines_.begin(), lines_.end(), [key](const std::string& line) {
        const std::size_t equals = line.find('=');
        return equals != std::string::npos && SameName(std::string_view(line).substr(0, equals), key);
    });
    return static_cast<std::size_t>(found - lines_.begin());
}

std::string LineList::Value(std::string_view key) const
{
    const std::size_t index = FindKey(key);
    if (index == lines_.size()) {
        return {};
    }
    const std::string& line = lines_[index];
    return line.substr(line.find('=') + 1);
}

void LineList::SetValue(std::string_view key, std::string_view value)
{
    const std::size_t index = FindKey(key);
    if (value.empty()) {
        if (index != lines_.size()) {
            lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(index));
        }
        return;
    }

    std::string line;
    line.reserve(key.size() + 1 + value.size());
    line.append(key).append("=").append(value);
    if (index == lines_.size()) {
        lines_.push_back(std::move(line));
    } else {
        lines_[index] = std::move(line);
    }
}

}  // namespace settings
