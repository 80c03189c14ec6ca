// The HTTP API's answers, on the program's thread:
//   GET /status        200 JSON: what Velmora is doing, its counters and the
//                      last 50 events
//   GET /ip            200 text/plain: the current address (the public one
//                      when it is checked) and a newline; 503 when not connected
//   POST /redial       202 {"accepted": true}: a re-dial now, or joins the one
//                      under way; ?wait=S (1..300) answers once the cycle has
//                      an outcome: 200 {address, previous_address, fresh,
//                      attempts}, 502 {error, code, text} when it gave up, 504
//                      when S ran out first; 409 when the Enable box is
//                      unticked or no entry is chosen
// With a token set every request must carry "Authorization: Bearer <token>"
// (401 otherwise, before anything else). Other paths 404, other methods 405
// with Allow, a bad query 400. Every answer but /ip's is JSON.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "scheduler/ApiTypes.h"
#include "scheduler/RedialCycle.h"
#include "scheduler/RedialWindow.h"
#include "settings/Options.h"

namespace scheduler {

inline constexpr int kMaxRedialWaitSeconds = 300;
inline constexpr std::size_t kStatusEvents = 50;

// Where the API listens, or why it does not.
struct ApiListening {
    bool listen = false;
    std::string host;
    std::uint16_t port = 0;
    std::string problem;  // why not, when the API is on but cannot listen
};

// 127.0.0.0/8 and ::1.
bool IsLoopbackHost(const std::string& host);
// The API listens only when it is on, and on a host that is not a loopback
// address only with a token.
ApiListening PlanApiListening(const settings::RedialOptions& options);

// Compares in a time that does not depend on where the texts differ.
bool EqualInConstantTime(const std::string& a, const std::string& b);

class ApiService final : public ApiHandler, public CycleWatcher {
public:
    using SteadyClock = std::function<std::chrono::steady_clock::time_point()>;
    // ANSI bytes (entry names, error texts) as UTF-8 for JSON.
    using Utf8Of = std::function<std::string(const std::string& ansi)>;

    // Watches the cycle until destroyed; it outlives this.
    ApiService(RedialCycle& cycle, SteadyClock clock, Utf8Of utf8, std::string version);
    ~ApiService() override;
    ApiService(const ApiService&) = delete;
    ApiService& operator=(const ApiService&) = delete;

    // The window whose count the status tells; null while there is none
    // (the answers are then 503). A request reads none of its widgets: the
    // entry, the box, the period and the pause are the cycle's view of them
    // (RedialCycle::Refresh), so that a flood of requests costs the window's
    // thread no more than building the answers.
    void SetWindow(RedialWindow* window) { window_ = window; }
    // The options in force (the token, the address check), read from the
    // window by whoever serves the API; a request reads no widget for them.
    void SetOptions(const settings::RedialOptions& options) { options_ = options; }

    void Handle(const ApiRequest& request, Reply reply) override;
    // Answers 504 to the waits whose time is up.
    void ExpireWaits();
    bool HasWaits() const { return !waits_.empty(); }

    void CycleEnded(const CycleOutcome& outcome) override;

private:
    struct Wait {
        std::uint64_t cycle = 0;
        std::chrono::steady_clock::time_point deadline;
        Reply reply;
    };

    ApiAnswer Status(RedialWindow& window) const;
    ApiAnswer Ip() const;
    void Redial(const std::string& query, Reply reply);

    RedialCycle& cycle_;
    SteadyClock clock_;
    Utf8Of utf8_;
    std::string version_;
    RedialWindow* window_ = nullptr;
    settings::RedialOptions options_;
    std::vector<Wait> waits_;
};

}  // namespace scheduler
