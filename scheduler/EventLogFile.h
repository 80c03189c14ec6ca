// "dialup.log" beside the exe: one line per event, appended, in the ANSI
// code page, each line ended by CR LF, fields separated by tabs:
//   time  event  entry  address  public address  code  text
// e.g. "2026-12-10 10:26:37.250\tconnected\tADSL\t10.64.0.3\t\t\t". A field
// never holds a tab, CR or LF (they become blanks). A line that would take
// the file past 1 MiB first renames it to dialup.log.1, replacing the older
// one, and starts a new file. A failed append loses that line only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "scheduler/RedialEvent.h"
#include "settings/FileStore.h"

namespace scheduler {

// An address that a connection had, and when the log says it was taken.
struct AddressSeen {
    std::int64_t milliseconds = 0;  // MillisecondsOf its time
    std::string address;
};

class EventLogFile {
public:
    static constexpr std::uint64_t kRotateSize = 1024 * 1024;
    static constexpr const char* kLogName = "dialup.log";
    static constexpr const char* kOlderLogName = "dialup.log.1";

    explicit EventLogFile(settings::FileStore& store) : store_(store) {}

    // The event's line as it is written.
    static std::string LineOf(const RedialEvent& event);

    // Appends the event's line; false when it could not be written.
    bool Append(const RedialEvent& event);

    // The addresses of the "connected" lines of the older file and then of
    // the current one, in the order written: the public address where the
    // line has one, else the connection's own.
    std::vector<AddressSeen> ConnectedAddresses();

private:
    std::string PathOf(const char* name);

    settings::FileStore& store_;
};

}  // namespace scheduler
