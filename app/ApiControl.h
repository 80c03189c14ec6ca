// Serves the HTTP API while the options ask for it. Twice a second it reads
// the options from the window: it starts the server, or stops it, or moves
// it when the host or port changed; when it cannot listen (a host that is
// not a loopback address without a token, a port in use) the state says
// why and an event tells it once. It also ends the re-dial waits whose time
// is up, refreshes the cycle's view of the window that the answers read,
// and, while no tick runs (the Enable box unticked), looks the entry's
// connection up so that the answers still tell whether it is connected.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/HttpApiServer.h"
#include "scheduler/ApiService.h"
#include "scheduler/RedialCycle.h"
#include "scheduler/RedialWindow.h"

namespace app {

class ApiControl {
public:
    static constexpr unsigned kLookIntervalMs = 500;

    using LookUp = std::function<void(scheduler::RedialWindow& window)>;

    // On the program's thread; the two outlive it. `lookUp` looks the
    // entry's connection up.
    ApiControl(scheduler::ApiService& api, scheduler::RedialCycle& cycle, LookUp lookUp);
    ~ApiControl();
    ApiControl(const ApiControl&) = delete;
    ApiControl& operator=(const ApiControl&) = delete;

    // The window whose options count; null stops the server.
    void SetWindow(scheduler::RedialWindow* window);
    // Reads the options now (and on every timer).
    void Look();

private:
    class Timer;

    scheduler::ApiService& api_;
    scheduler::RedialCycle& cycle_;
    LookUp lookUp_;
    scheduler::RedialWindow* window_ = nullptr;
    std::unique_ptr<HttpApiServer> server_;
    scheduler::ApiListening serving_;  // what the server listens on
    scheduler::ApiListening tried_;    // the last plan tried
    std::string problem_;
    std::unique_ptr<Timer> timer_;
};

}  // namespace app
