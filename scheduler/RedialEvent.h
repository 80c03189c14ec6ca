// What happened to the connection, as one event each: hang-ups, dials,
// their outcomes, losses, the guards and the address checks.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "scheduler/LocalTime.h"

namespace scheduler {

enum class EventKind {
    HangUp,       // the program hung the connection up
    Dial,         // the program started a dial
    Connected,    // a dial connected (or a connection was found)
    Failed,       // a dial failed
    Timeout,      // a dial reported nothing for 120 s and was given up
    SameAddress,  // a dial brought an address that is not fresh
    Dropped,      // the connection was lost without the program hanging it up
    AuthStop,     // dialling stopped after account or password failures
    IpCheck,      // the public address check failed or found no address
    Hook,         // the new-address command ended, or could not start
    Api,          // the HTTP API could not listen where it was asked to
};

// The event's word in the log file: "hangup", "dial", "connected", "failed",
// "timeout", "same-address", "dropped", "auth-stop", "ip-check", "hook",
// "api".
const char* EventWord(EventKind kind);

struct RedialEvent {
    std::uint64_t sequence = 0;  // 1 for the run's first event, then one more each
    LocalTime time;
    EventKind kind = EventKind::Dial;
    std::string entry;          // bytes of the ANSI code page
    std::string address;        // the connection's own (PPP) address, or empty
    std::string publicAddress;  // from the address check, or empty
    std::optional<std::uint32_t> code;
    std::string text;  // the platform's text for the code, or what happened; ANSI bytes
    // Connected: the address differs from the one before the re-dial (and,
    // with newiphours, from those of the last hours).
    bool fresh = false;
};

// Told of each event as it is added, and of changes of the state that come
// without an event (a wait beginning, say). On the program's thread.
class EventListener {
public:
    virtual ~EventListener() = default;
    virtual void EventAdded(const RedialEvent& event) = 0;
    virtual void StateChanged() = 0;
};

}  // namespace scheduler
