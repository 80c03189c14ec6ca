// What Velmora is doing now, and what it has done since it started: one
// value that the window and the other readers share.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "scheduler/LocalTime.h"

namespace scheduler {

enum class RedialState {
    Stopped,      // the Enable box is unticked
    Inactive,     // a period of 2 or less, or no entry chosen
    Counting,     // counting towards the next re-dial
    HangingUp,    // hanging up, and the waits after it
    Pausing,      // the pause before the dial
    Dialling,     // a dial has not reported its outcome
    Connected,    // connected, with an address
    Failed,       // the last dial failed
    AuthStopped,  // no dials until the account or the password changes
};

// "stopped", "inactive", "counting", "hanging-up", "pausing", "dialling",
// "connected", "failed", "auth-stopped".
const char* StateWord(RedialState state);

struct RedialStatus {
    RedialState state = RedialState::Stopped;
    std::string entry;  // the chosen entry's bytes
    bool enabled = false;
    std::int32_t elapsed = 0;
    std::int32_t period = 0;
    std::int32_t pause = 0;
    // Seconds of the current wait still to go (hanging-up and pausing).
    std::int32_t waitLeft = 0;

    // The entry's connection as last looked up; empty when not connected.
    std::string address;
    std::string publicAddress;
    std::optional<LocalTime> since;

    // The last failure (failed and auth-stopped).
    std::uint32_t lastCode = 0;
    std::string lastText;
    // Account or password failures in a row.
    std::int32_t authFailures = 0;

    // Why the HTTP API that the options ask for is not served; empty when
    // it is (or is off).
    std::string apiProblem;

    // Since the start of the run.
    std::uint64_t redials = 0;  // dials started
    std::uint64_t failures = 0;
    std::uint64_t distinctAddresses = 0;
};

}  // namespace scheduler
