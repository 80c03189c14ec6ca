// Lines that describe the simulated service's calls and reports, for its
// logger: "HH:MM:SS.mmm" (UTC) and then the call with its arguments.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "ras/sim/RasCallRecord.h"

namespace ras::sim {

// "13:05:42.317": the time of day in UTC, to the millisecond.
std::string TimeStamp(std::chrono::system_clock::time_point when);

// The bytes in double quotes; quotes, backslashes and control bytes escaped,
// every other byte (those of multi-byte characters included) as it is.
std::string Quoted(std::string_view bytes);

// "null" or the handle's value in hexadecimal.
std::string HandleText(HRASCONN handle);

// The call or report, without time stamp. Passwords are shown by length only.
std::string DescribeCall(const RasCallRecord& record);

}  // namespace ras::sim
