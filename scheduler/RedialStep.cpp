#include "scheduler/RedialStep.h"

#include <string>

#include "text/AsciiText.h"

namespace scheduler {

void PumpWait(MessagePump& pump, std::int32_t ms)
{
    std::int64_t slices = 0;
    do {
        pump.SleepSlice(kPumpSliceMs);
        ++slices;
    } while (slices * kPumpSliceMs < ms);
}

void RedialStep(RedialWindow& window, ras::ConnectionControl& connections, MessagePump& pump)
{
    std::int32_t& elapsed = window.ElapsedSeconds();
    // Counting wraps instead of overflowing; at one tick a second that is
    // some 68 years away.
    elapsed = static_cast<std::int32_t>(static_cast<std::uint32_t>(elapsed) + 1u);
    const std::int32_t count = elapsed;

    const std::int32_t period = window.PeriodValue();
    if (period <= kSmallestIdlePeriod)
        return;
    if (text::IsBlank(window.EntryText()))
        return;

    if (count > period) {
        connections.RedialPending = true;
        if (connections.IsEntryConnected(window.EntryText())) {
            connections.HangUpActive();
            for (std::int32_t ms : kHangUpWaitsMs)
                PumpWait(pump, ms);
        }
        window.ElapsedSeconds() = 0;
        return;
    }

    if (!connections.RedialPending)
        return;

    const std::int32_t pause = window.PauseValue();
    for (std::int32_t i = 0; i < pause; ++i)
        pump.SleepSlice(kPauseSliceMs);

    if (connections.IsEntryConnected(window.EntryText())) {
        connections.RedialPending = false;
        return;
    }
    // A substituted account or password could only fail at the provider,
    // and might count against the account there: no dial, the re-dial
    // stays owed.
    if (!window.CredentialsExact())
        return;
    const std::string password = window.PasswordText();
    const std::string account = window.AccountText();
    const std::string entry = window.EntryText();
    connections.DialEntry(entry, account, password);
}

}  // namespace scheduler
