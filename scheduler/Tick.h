// The once-a-second tick and the Enable box.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "ras/ConnectionControl.h"
#include "scheduler/MessagePump.h"
#include "scheduler/RedialCycle.h"
#include "scheduler/RedialWindow.h"

namespace scheduler {

// The tick on which the home page is opened, counted from the window's
// creation or the Enable box's last change.
inline constexpr std::int32_t kHomePageTick = 60;
// Key of the counter label's suffix in the text table.
inline constexpr const char* kCounterSuffixKey = "Sec";

// Looks a text up by key in the process-wide text table.
using TextLookup = std::function<std::string(const std::string& key)>;

// Timer1's tick: looks the entry's connection up, runs the re-dial step
// with the timer stopped, shows the count, and re-arms the timer while the
// Enable box is ticked.
void Timer1Timer(RedialWindow& window, ras::ConnectionControl& connections, MessagePump& pump, const TextLookup& lookup,
                 RedialCycle& cycle);

// The Enable box changed: resets the counters and the owed re-dial, starts
// or stops the timer, and saves the settings. An auth stop ends.
void CheckBox1Click(RedialWindow& window, ras::ConnectionControl& connections, RedialCycle& cycle);

}  // namespace scheduler
