// The re-dial decision step, run once per tick, and the pumped wait.
#pragma once

#include <cstdint>

#include "ras/ConnectionControl.h"
#include "scheduler/MessagePump.h"
#include "scheduler/RedialCycle.h"
#include "scheduler/RedialWindow.h"

namespace scheduler {

// Waits after a hang-up, in this order.
inline constexpr std::int32_t kHangUpWaitsMs[] = {1000, 1000, 1000, 2000};
inline constexpr std::int32_t kPumpSliceMs = 100;
inline constexpr std::int32_t kPauseSliceMs = 1000;
// A period of this many seconds or less does nothing.
inline constexpr std::int32_t kSmallestIdlePeriod = 2;

// Waits `ms` milliseconds in slices of 100 ms; at least one slice runs.
void PumpWait(MessagePump& pump, std::int32_t ms);

// Counts one tick; hangs the entry up once the count exceeds the period,
// and on a later tick waits the pause and dials it again. The cycle is told
// of the waits and keeps its own rules (a fresh address, the auth stop).
void RedialStep(RedialWindow& window, ras::ConnectionControl& connections, MessagePump& pump, RedialCycle& cycle);

}  // namespace scheduler
