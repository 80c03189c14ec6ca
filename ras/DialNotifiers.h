// Dial-progress notifiers that know which dial they speak for.
//
// A RasDialFunc (notifier type 0) is called with a state and an error code
// but no connection handle, so a report cannot say which dial it is about.
// Each dial is therefore handed a notifier function of its own, taken from a
// fixed pool: the function the service calls names the dial. Once a dial is
// over (reported its end, was hung up, gave up, was replaced), its notifier
// is unbound, and whatever still comes through it is dropped.
//
// The service calls notifiers on a thread of its own, at any time, also
// while the program ends. The pool only queues what arrives and wakes the
// program's thread, which takes the reports and acts on them itself. The
// pool lives as long as the process (it is never destroyed), so a report
// that arrives during or after the program's own shutdown touches nothing
// that has been freed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "ras/Ras.h"

namespace ras {

struct DialReport {
    std::uint64_t dial = 0;  // the dial whose notifier was called
    UINT message = 0;
    RASCONNSTATE state = 0;
    DWORD error = SUCCESS;
};

class DialNotifierPool {
public:
    // More than any program needs at once: there is at most one dial in
    // progress per connection control. A notifier is reused only after every
    // other one has been used since its dial ended, so a report that comes
    // late, even from a service that reports after a dial's end, finds its
    // notifier unbound.
    static constexpr std::size_t kNotifiers = 32;
    // Reports kept for one client before it takes them; what comes beyond
    // is dropped (a dial that then seems silent is given up by its limit).
    static constexpr std::size_t kMaxQueued = 256;

    // Called on the service's thread, with the pool's lock held, when a
    // client's queue turns non-empty. It must not block or call back into
    // the pool; posting a message to the program's window is what it is for.
    using Wake = std::function<void()>;

    static DialNotifierPool& Instance();

    // A new client (one connection control); its id is never 0.
    std::uint64_t Join();
    // The client is gone: its notifiers are unbound, its queued reports
    // dropped, and its wake is never called again once this returns.
    void Leave(std::uint64_t client);
    void SetWake(std::uint64_t client, Wake wake);

    // A notifier for the client's new dial; null when every notifier is
    // bound to a dial in progress.
    RASDIALFUNC Bind(std::uint64_t client, std::uint64_t dial);
    // The dial is over: its notifier is unbound and its queued reports are
    // dropped.
    void Release(std::uint64_t client, std::uint64_t dial);
    // The reports that arrived for the client, oldest first.
    std::vector<DialReport> Take(std::uint64_t client);

    // The entry point of notifier number `slot`.
    void Receive(std::size_t slot, UINT message, RASCONNSTATE state, DWORD error);

    // Notifiers bound to a dial in progress, for tests.
    std::size_t BoundCount();

private:
    DialNotifierPool();

    struct Slot {
        std::uint64_t client = 0;  // 0: unbound
        std::uint64_t dial = 0;
        std::uint64_t releasedOrder = 0;  // 0: never used
    };
    struct Client {
        std::uint64_t id = 0;
        Wake wake;
        std::vector<DialReport> queue;
    };

    Client* FindClient(std::uint64_t id);

    std::mutex mutex_;
    std::vector<Slot> slots_;
    std::vector<Client> clients_;
    std::uint64_t nextClient_ = 1;
    std::uint64_t nextRelease_ = 1;
};

}  // namespace ras
