#include "scheduler/LocalTime.h"

#include <cstdio>

namespace scheduler {
namespace {

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days from 1970-01-01 to the date, for the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(int year, int month, int day)
{
    const std::int64_t y = month <= 2 ? year - 1 : year;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yearOfEra = y - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// Reads exactly `width` decimal digits at `at`.
bool ReadNumber(std::string_view text, std::size_t at, std::size_t width, int& value)
{
    if (at + width > text.size())
        return false;
    value = 0;
    for (std::size_t i = at; i < at + width; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

}  // namespace

std::string FormatLogTime(const LocalTime& time)
{
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d.%03d", time.year, time.month, time.day,
                  time.hour, time.minute, time.second, time.millisecond);
    return buffer;
}

std::optional<LocalTime> ParseLogTime(std::string_view text)
{
    // 2026-12-10 10:26:37.250
    if (text.size() != 23 || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':' ||
        text[16] != ':' || text[19] != '.')
        return std::nullopt;
    LocalTime time;
    if (!ReadNumber(text, 0, 4, time.year) || !ReadNumber(text, 5, 2, time.month) ||
        !ReadNumber(text, 8, 2, time.day) || !ReadNumber(text, 11, 2, time.hour) ||
        !ReadNumber(text, 14, 2, time.minute) || !ReadNumber(text, 17, 2, time.second) ||
        !ReadNumber(text, 20, 3, time.millisecond))
        return std::nullopt;
    if (time.month < 1 || time.month > 12 || time.day < 1 || time.day > DaysInMonth(time.year, time.month) ||
        time.hour > 23 || time.minute > 59 || time.second > 59)
        return std::nullopt;
    return time;
}

std::string FormatClockTime(const LocalTime& time)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", time.hour, time.minute, time.second);
    return buffer;
}

std::string FormatIsoTime(const LocalTime& time)
{
    std::string text = FormatLogTime(time);
    text[10] = 'T';
    return text;
}

std::int64_t MillisecondsOf(const LocalTime& time)
{
    const std::int64_t days = DaysFromCivil(time.year, time.month, time.day);
    return ((days * 24 + time.hour) * 60 + time.minute) * 60000 + time.second * 1000 + time.millisecond;
}

}  // namespace scheduler
