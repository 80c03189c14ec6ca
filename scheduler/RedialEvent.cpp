#include "scheduler/RedialEvent.h"

#include "scheduler/RedialStatus.h"

namespace scheduler {

const char* EventWord(EventKind kind)
{
    switch (kind) {
    case EventKind::HangUp:
        return "hangup";
    case EventKind::Dial:
        return "dial";
    case EventKind::Connected:
        return "connected";
    case EventKind::Failed:
        return "failed";
    case EventKind::Timeout:
        return "timeout";
    case EventKind::SameAddress:
        return "same-address";
    case EventKind::Dropped:
        return "dropped";
    case EventKind::AuthStop:
        return "auth-stop";
    case EventKind::IpCheck:
        return "ip-check";
    case EventKind::Hook:
        return "hook";
    case EventKind::Api:
        return "api";
    }
    return "";
}

const char* StateWord(RedialState state)
{
    switch (state) {
    case RedialState::Stopped:
        return "stopped";
    case RedialState::Inactive:
        return "inactive";
    case RedialState::Counting:
        return "counting";
    case RedialState::HangingUp:
        return "hanging-up";
    case RedialState::Pausing:
        return "pausing";
    case RedialState::Dialling:
        return "dialling";
    case RedialState::Connected:
        return "connected";
    case RedialState::Failed:
        return "failed";
    case RedialState::AuthStopped:
        return "auth-stopped";
    }
    return "";
}

}  // namespace scheduler
