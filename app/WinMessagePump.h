// The waits of the re-dial step on the window's thread: messages are
// dispatched as they arrive, so the window, the tray icon and the Enable
// box keep answering while the step waits.
#pragma once

#include "app/Application.h"
#include "scheduler/MessagePump.h"

namespace app {

class WinMessagePump final : public scheduler::MessagePump {
public:
    explicit WinMessagePump(Application& application) : application_(application) {}

    void SleepSlice(std::int32_t ms) override;

private:
    // Delivers every waiting message; a quit request is not delivered but
    // marks the application as terminating.
    void DispatchWaiting();

    Application& application_;
};

}  // namespace app
