// The program's subsystems behind the main window: the remote-access
// binding, connection control, the settings file store and the window's
// actions over them, behind one small interface so the entry sequence
// needs none of their headers.
#pragma once

#include <memory>

#include "scheduler/MessagePump.h"
#include "scheduler/RedialWindow.h"
#include "ui/DialUpActions.h"

namespace app {

class ProgramCore {
public:
    // Binds the remote-access service; dial reports are acted on on this
    // thread. The process-wide text table must exist.
    explicit ProgramCore(scheduler::MessagePump& pump);
    // A report that arrives afterwards is dropped.
    ~ProgramCore();
    ProgramCore(const ProgramCore&) = delete;
    ProgramCore& operator=(const ProgramCore&) = delete;

    ui::DialUpActions& Actions();
    // The main window, once it exists, for the HTTP API; null before it is
    // destroyed.
    void AttachWindow(scheduler::RedialWindow* window);

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

}  // namespace app
