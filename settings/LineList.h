// An ordered list of text lines with name=value lookup, as the settings
// file holds them.
//
// Reading: a line ends at CR LF, at a lone LF or at a lone CR (LF followed
// by CR is two line ends, with an empty line between). A final line end
// adds no empty line. A NUL byte ends the text.
// Writing: every line, the last one included, is followed by CR LF.
//
// A line "name=value" holds a setting: the name is the text before the
// first "=", the value everything after it, untrimmed. Names match keys
// without regard to the case of the letters A to Z; nothing is trimmed
// before the comparison. The first matching line counts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "settings/FileStore.h"

namespace settings {

class LineList {
public:
    LineList() = default;

    // The lines of the text.
    static LineList FromText(std::string_view text);
    // The lines, each followed by CR LF.
    std::string ToText() const;

    // Replaces the list by the lines of the file. When the file cannot be
    // read the list is left empty and false is returned.
    bool ReadFrom(FileStore& store, const std::string& path);
    // Replaces the file by the lines; false when that fails, in which case
    // the file is as it was.
    bool WriteTo(FileStore& store, const std::string& path) const;

    // The value of the first line whose name matches the key; the empty
    // text when no line matches.
    std::string Value(std::string_view key) const;

    // Replaces the first matching line by key "=" value, or appends such a
    // line when none matches. With an empty value the first matching line
    // is removed instead (nothing happens when none matches).
    void SetValue(std::string_view key, std::string_view value);

    const std::vector<std::string>& Lines() const { return lines_; }

private:
    // The position of the first line whose name matches the key, or the
    // number of lines when none does.
    std::size_t FindKey(std::string_view key) const;

    std::vector<std::string> lines_;
};

}  // namespace settings
