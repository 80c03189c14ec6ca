// Waiting on the window's thread while its messages keep being handled.
#pragma once

#include <cstdint>

namespace scheduler {

class MessagePump {
public:
    virtual ~MessagePump() = default;

    // Sleeps one slice of `ms` milliseconds (nothing for ms <= 0) while
    // the thread's waiting messages are dispatched as they arrive, then
    // dispatches whatever is still waiting. A quit request taken here is not
    // delivered; it marks the application as terminating.
    virtual void SleepSlice(std::int32_t ms) = 0;
};

}  // namespace scheduler
