#include "scheduler/EventLogFile.h"

#include <optional>
#include <string_view>

#include "scheduler/LocalTime.h"

namespace scheduler {
namespace {

// A field's bytes with the separators the file uses made blanks.
std::string Field(std::string_view text)
{
    std::string field(text);
    for (char& c : field) {
        if (c == '\t' || c == '\r' || c == '\n' || c == '\0')
            c = ' ';
    }
    return field;
}

// The fields of one line, split at its tabs.
std::vector<std::string_view> FieldsOf(std::string_view line)
{
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
        if (tab == std::string_view::npos)
            return fields;
        start = tab + 1;
    }
}

}  // namespace

std::string EventLogFile::LineOf(const RedialEvent& event)
{
    std::string line = FormatLogTime(event.time);
    for (const std::string& field :
         {std::string(EventWord(event.kind)), Field(event.entry), Field(event.address), Field(event.publicAddress),
          event.code ? std::to_string(*event.code) : std::string(), Field(event.text)}) {
        line += '\t';
        line += field;
    }
    line += "\r\n";
    return line;
}

bool EventLogFile::Append(const RedialEvent& event)
{
    const std::string line = LineOf(event);
    const std::string path = PathOf(kLogName);
    if (const std::optional<std::uint64_t> size = store_.FileSize(path); size && *size + line.size() > kRotateSize) {
        // When the rename fails the line still goes into the full file:
        // it is not lost, and the next line tries the rename again.
        store_.MoveReplacing(path, PathOf(kOlderLogName));
    }
    return store_.AppendAll(path, line);
}

std::vector<AddressSeen> EventLogFile::ConnectedAddresses()
{
    std::vector<AddressSeen> seen;
    for (const char* name : {kOlderLogName, kLogName}) {
        const std::optional<std::string> bytes = store_.ReadAll(PathOf(name));
        if (!bytes)
            continue;
        std::string_view rest(*bytes);
        while (!rest.empty()) {
            const std::size_t end = rest.find('\n');
            std::string_view line = rest.substr(0, end);
            rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            const std::vector<std::string_view> fields = FieldsOf(line);
            if (fields.size() < 5 || fields[1] != EventWord(EventKind::Connected))
                continue;
            const std::optional<LocalTime> time = ParseLogTime(fields[0]);
            const std::string_view address = fields[4].empty() ? fields[3] : fields[4];
            if (time && !address.empty())
                seen.push_back({MillisecondsOf(*time), std::string(address)});
        }
    }
    return seen;
}

std::string EventLogFile::PathOf(const char* name)
{
    // Beside the settings file.
    std::string path = store_.SettingsPath();
    const std::size_t cut = path.find_last_of("\\/:");
    path.erase(cut == std::string::npos ? 0 : cut + 1);
    return path + name;
}

}  // namespace scheduler
