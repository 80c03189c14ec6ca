// The wall-clock time of the computer's time zone, as events carry it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace scheduler {

struct LocalTime {
    int year = 1970;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;

    bool operator==(const LocalTime&) const = default;
};

// Reads the clock; the program reads the system's local time, tests a fake.
using WallClock = std::function<LocalTime()>;

// "2026-12-10 10:26:37.250", the form of the log file.
std::string FormatLogTime(const LocalTime& time);
// The log file's form back; nothing for any other text or an impossible date.
std::optional<LocalTime> ParseLogTime(std::string_view text);
// "10:26:37".
std::string FormatClockTime(const LocalTime& time);
// "2026-12-10T10:26:37.250".
std::string FormatIsoTime(const LocalTime& time);
// Milliseconds from 1970-01-01 00:00 of the same clock, for comparing and
// subtracting times (a change of daylight saving time shifts it by an hour).
std::int64_t MillisecondsOf(const LocalTime& time);

}  // namespace scheduler
