// What each dial brought: the events of the run, the entry's connection and
// its address, whether a new address is fresh, the guards, and the state.
//
// Everything here runs on the program's thread. Connection control tells
// the cycle of its dials and hang-ups (ConnectionEvents); the re-dial step
// and the tick tell it where they are; the public-address check answers
// through its seam. With every option off the cycle only watches: it makes
// no call that changes a connection and changes no value of the step's.
//
// The options:
// - newip=N: a dial that connects with an address that is not fresh is hung
//   up at once; the next tick makes the waits after a hang-up, the one after
//   it the pause and the dial, at most N times in a row; then the address is
//   accepted. Until then the re-dial stays owed and the count stays at 0.
//   Not fresh: equal to the address before the re-dial, or (newiphours=H)
//   to one taken in the last H hours, this run's or the log's.
// - authstop=N: after N dials in a row fail with an account or password
//   error, no dial is made until the account or the password changes or
//   the Enable box is clicked.
// - redialondrop: a connection lost by itself makes the re-dial owed at once.
// - ipcheckurl: the public address is read after each connection and
//   freshness compares public addresses (the connection's own address when
//   the check fails).
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "ras/ConnectionControl.h"
#include "scheduler/AddressCheck.h"
#include "scheduler/EventLogFile.h"
#include "scheduler/LocalTime.h"
#include "scheduler/RedialEvent.h"
#include "scheduler/RedialStatus.h"
#include "scheduler/RedialWindow.h"
#include "settings/Options.h"

namespace scheduler {

// The errors that count towards authstop.
bool IsAccountError(std::uint32_t code);

// How a re-dial cycle ended: from the hang-up (or the first dial) to the
// connection it kept, or to the point where it gave up.
struct CycleOutcome {
    std::uint64_t cycle = 0;
    bool connected = false;  // false: given up (auth stop) or stopped
    bool stopped = false;    // the Enable box was unticked before an outcome
    std::string entry;
    std::string address;        // the connection's own
    std::string publicAddress;  // from the check, when there is one
    std::string previousAddress;
    bool fresh = false;
    std::int32_t attempts = 0;  // dials made in the cycle
    std::uint32_t code = 0;     // the last failure, when not connected
    std::string text;
};

// Told when a re-dial cycle has ended, on the program's thread.
class CycleWatcher {
public:
    virtual ~CycleWatcher() = default;
    virtual void CycleEnded(const CycleOutcome& outcome) = 0;
};

class RedialCycle final : public ras::ConnectionEvents {
public:
    static constexpr std::size_t kKeptEvents = 500;
    // The addresses of the last hours that are remembered, at most.
    static constexpr std::size_t kKeptAddresses = 20000;

    // Registers with connection control for its events; the four outlive it.
    RedialCycle(ras::ConnectionControl& connections, WallClock clock, AddressCheck& check, EventLogFile& log);
    ~RedialCycle() override;
    RedialCycle(const RedialCycle&) = delete;
    RedialCycle& operator=(const RedialCycle&) = delete;

    void SetListener(EventListener* listener) { listener_ = listener; }
    // Watchers of cycle outcomes (the HTTP API, the hook); each must be
    // removed before it is gone.
    void AddWatcher(CycleWatcher* watcher);
    void RemoveWatcher(CycleWatcher* watcher);

    // Why the HTTP API is not served, for the state; empty when it is.
    void SetApiProblem(std::string problem) { apiProblem_ = std::move(problem); }

    // An event from the program's other parts (the hook, the API).
    void Note(EventKind kind, std::optional<std::uint32_t> code, std::string text);

    // --- A re-dial asked for from outside --------------------------------------
    // Asks for a re-dial now: the next tick takes the hang-up path whatever
    // the period, and the re-dial path after it runs whatever the period.
    // A cycle already under way is joined instead. Returns the cycle that
    // the request belongs to, for its outcome.
    std::uint64_t RequestRedial();
    // A request waits for its tick, or its cycle is under way.
    bool RedialAsked() const;
    bool RedialRequestWaiting() const { return requestWaiting_; }

    // Takes the options from the window and looks the entry's connection up
    // (FindConnection; ActiveConnection is left alone): notes a connection
    // that is new, reads an address not yet read, and notices a connection
    // lost by itself. Also lets an auth stop go once the account or the
    // password differs from those of the failed dials.
    void LookUp(const RedialWindow& window);
    // The Enable box was clicked: an auth stop ends, the options are read.
    void EnableBoxClicked(const RedialWindow& window);
    // Reads the entry, the box, the period and the pause into the view that
    // SeenStatus answers from. The tick and the box's click read them too.
    void Refresh(const RedialWindow& window);

    // --- The re-dial step ----------------------------------------------------
    // The step takes the hang-up path: a cycle begins (or goes on).
    void HangUpPathTaken();
    // After the pause the entry was found connected: the cycle ends there.
    void ConnectedAfterPause();
    // True when the step has to set the count to 0 before counting: while
    // a fresh address is still sought, and once when that has ended.
    bool TakeCountRestart();
    // A connection whose address was not fresh has been hung up: the waits
    // after a hang-up are owed. Settled() once they are made.
    bool SettleOwed() const { return settleOwed_; }
    void Settled() { settleOwed_ = false; }
    // The step waits: after a hang-up (HangingUp) or before a dial (Pausing),
    // `secondsLeft` to go; EndWait when the wait is over.
    void ShowWait(RedialState phase, std::int32_t secondsLeft);
    void EndWait();
    // False while dialling is stopped by authstop. The credentials are the
    // ones the step is about to dial with.
    bool DialAllowed(const std::string& account, const std::string& password);

    // --- What the readers see ----------------------------------------------
    // What the window's fields held when the cycle last read them.
    struct WindowView {
        std::string entry;
        bool enabled = false;
        std::int32_t period = 0;
        std::int32_t pause = 0;
    };
    // Reads the window's fields now.
    RedialStatus Status(RedialWindow& window) const;
    // Reads no widget: the fields as last read (see Refresh), with the count
    // given. For readers off the window's own refresh, like the HTTP API.
    RedialStatus SeenStatus(std::int32_t elapsed) const;
    const WindowView& Seen() const { return view_; }
    // Newest first.
    const std::deque<RedialEvent>& Events() const { return events_; }
    const settings::RedialOptions& Options() const { return options_; }

    // --- ras::ConnectionEvents -------------------------------------------------
    void DialStarted(const std::string& entry) override;
    void DialConnected(ras::HRASCONN handle) override;
    void DialFailed(ras::RASCONNSTATE state, ras::DWORD error) override;
    void DialGivenUp() override;
    void HangingUp(ras::HRASCONN handle) override;

private:
    struct Connection {
        ras::HRASCONN handle = nullptr;
        std::string address;
        std::string publicAddress;
        std::optional<LocalTime> since;
        std::uint64_t checkTicket = 0;  // the check running for it, 0 for none
    };

    RedialStatus StatusOf(const WindowView& view, std::int32_t elapsed) const;
    RedialEvent& Add(EventKind kind, std::string address = {}, std::string publicAddress = {},
                     std::optional<std::uint32_t> code = std::nullopt, std::string text = {});
    void NoteAddress(const std::string& address);
    // Starts the public-address check for the current connection; `judge`
    // says whether its outcome then decides about freshness.
    void StartCheck(bool judge);
    void CheckAnswered(std::uint64_t ticket, const AddressCheckAnswer& answer);
    // The dial's connection and its address are known: the Connected event,
    // then the freshness rule.
    void Judge();
    bool SeenRecently(const std::string& address);
    void LoadLoggedAddresses();
    void EndSearch();
    void TellState();
    // The cycle under way ends; its watchers are told.
    void EndCycle(CycleOutcome outcome);

    ras::ConnectionControl& connections_;
    WallClock clock_;
    AddressCheck& check_;
    EventLogFile& log_;
    EventListener* listener_ = nullptr;
    std::vector<CycleWatcher*> watchers_;
    settings::RedialOptions options_;
    std::string entry_;
    WindowView view_;

    std::deque<RedialEvent> events_;
    std::uint64_t lastSequence_ = 0;

    Connection current_;
    // The address (public where known) the entry had before the re-dial.
    std::string lastAddress_;
    std::string previousAddress_;
    bool cycleOpen_ = false;  // a dial was made since the last accepted connection
    bool searching_ = false;  // a not-fresh address was refused; a fresh one is sought
    std::int32_t refusals_ = 0;
    bool restartOwed_ = false;
    bool settleOwed_ = false;
    bool judgeOwed_ = false;  // the dial's check is running; its answer decides
    std::uint64_t lastTicket_ = 0;

    std::uint64_t cycleId_ = 0;  // the cycle under way, 0 for none
    std::uint64_t lastCycleId_ = 0;
    std::int32_t cycleDials_ = 0;
    bool requestWaiting_ = false;  // a request waits for the next tick
    std::uint64_t requestedId_ = 0;
    bool asked_ = false;  // the cycle under way was asked for from outside
    std::string apiProblem_;

    std::optional<RedialState> wait_;
    std::int32_t waitLeft_ = 0;

    bool lastFailed_ = false;
    std::uint32_t lastCode_ = 0;
    std::string lastText_;
    std::int32_t accountFailures_ = 0;
    bool authStopped_ = false;
    std::size_t dialCredentials_ = 0;     // digest of the last dial's account and password
    std::size_t stoppedCredentials_ = 0;  // of the dials that stopped

    std::uint64_t redials_ = 0;
    std::uint64_t failures_ = 0;
    std::unordered_set<std::string> distinct_;
    std::deque<AddressSeen> seen_;
    bool logRead_ = false;
    // Checks still running hold it weakly: an answer that comes after the
    // cycle is gone finds nothing.
    std::shared_ptr<RedialCycle*> self_ = std::make_shared<RedialCycle*>(this);
};

}  // namespace scheduler
