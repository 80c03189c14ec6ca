// The public-address check over WinHTTP: each check fetches its page on a
// thread of its own, and its answer is handed to the program's thread
// through a message-only window.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "scheduler/AddressCheck.h"

namespace app {

class WinHttpAddressCheck final : public scheduler::AddressCheck {
public:
    // Made on the program's thread, which must pump messages: the answers'
    // `done` run there, from whichever loop is running. Every check answers
    // within `limit` of its start, "timeout" when the page has not come by
    // then. Throws std::runtime_error when the window cannot be made.
    explicit WinHttpAddressCheck(
        std::chrono::milliseconds limit = std::chrono::seconds(scheduler::kAddressCheckLimitSeconds));
    // Cancels the checks still running and waits for their threads, which
    // end at once (a name being looked up may keep one until the lookup
    // ends); no `done` runs afterwards, not even one whose answer had
    // already come.
    ~WinHttpAddressCheck() override;

    WinHttpAddressCheck(const WinHttpAddressCheck&) = delete;
    WinHttpAddressCheck& operator=(const WinHttpAddressCheck&) = delete;

    // Called on the program's thread. `url` is text in the ANSI code page,
    // as the settings file holds it. A GET with the user agent
    // "Velmora/2.0.10", through the system's default WinHTTP proxy
    // settings; redirects are followed. Only status 200 counts as received
    // ("HTTP <code>" otherwise); the body is read up to
    // kMaxAddressCheckBody bytes. Several checks may run at once.
    void Start(const std::string& url, Done done) override;

private:
    class Checks;
    std::shared_ptr<Checks> checks_;
};

}  // namespace app
