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

namespace {

// The waits after a hang-up, shown as they go.
void SettleAfterHangUp(MessagePump& pump, RedialCycle& cycle)
{
    std::int32_t left = 0;
    for (std::int32_t ms : kHangUpWaitsMs)
        left += ms;
    for (std::int32_t ms : kHangUpWaitsMs) {
        cycle.ShowWait(RedialState::HangingUp, (left + 999) / 1000);
        PumpWait(pump, ms);
        left -= ms;
    }
    cycle.EndWait();
}

}  // namespace

void RedialStep(RedialWindow& window, ras::ConnectionControl& connections, MessagePump& pump, RedialCycle& cycle)
{
    std::int32_t& elapsed = window.ElapsedSeconds();
    // While a fresh address is sought the count stays at 0, and it starts
    // over once the search has ended.
    if (cycle.TakeCountRestart())
        elapsed = 0;
    // Counting wraps instead of overflowing; at one tick a second that is
    // some 68 years away.
    elapsed = static_cast<std::int32_t>(static_cast<std::uint32_t>(elapsed) + 1u);
    const std::int32_t count = elapsed;

    const std::int32_t period = window.PeriodValue();
    // A small period does nothing, unless a re-dial was asked for.
    if (period <= kSmallestIdlePeriod && !cycle.RedialAsked())
        return;
    if (text::IsBlank(window.EntryText()))
        return;

    // A connection whose address was not fresh has been hung up already:
    // the waits follow, and the dial comes on a later tick.
    if (cycle.SettleOwed()) {
        SettleAfterHangUp(pump, cycle);
        cycle.Settled();
        return;
    }

    const bool due = period > kSmallestIdlePeriod && count > period;
    if (due || cycle.RedialRequestWaiting()) {
        connections.RedialPending = true;
        cycle.HangUpPathTaken();
        if (connections.IsEntryConnected(window.EntryText())) {
            connections.HangUpActive();
            SettleAfterHangUp(pump, cycle);
        }
        window.ElapsedSeconds() = 0;
        return;
    }

    if (!connections.RedialPending)
        return;

    const std::int32_t pause = window.PauseValue();
    for (std::int32_t i = 0; i < pause; ++i) {
        cycle.ShowWait(RedialState::Pausing, pause - i);
        pump.SleepSlice(kPauseSliceMs);
    }
    cycle.EndWait();

    if (connections.IsEntryConnected(window.EntryText())) {
        connections.RedialPending = false;
        cycle.ConnectedAfterPause();
        return;
    }
    // A substituted account or password could only fail at the provider,
    // and might count against the account there: no dial, the re-dial
    // stays owed.
    if (!window.CredentialsExact())
        return;
    const std::string password = window.PasswordText();
    const std::string account = window.AccountText();
    // Stopped after account or password failures: no dial, the re-dial
    // stays owed.
    if (!cycle.DialAllowed(account, password))
        return;
    const std::string entry = window.EntryText();
    connections.DialEntry(entry, account, password);
}

}  // namespace scheduler
