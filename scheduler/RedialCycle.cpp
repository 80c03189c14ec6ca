#include "scheduler/RedialCycle.h"

#include <functional>
#include <utility>

#include "scheduler/AddressText.h"
#include "scheduler/RedialStep.h"
#include "text/AsciiText.h"

namespace scheduler {
namespace {

constexpr std::int64_t kMillisecondsPerHour = 3600 * 1000;

std::size_t DigestOf(const std::string& account, const std::string& password)
{
    const std::hash<std::string> hash;
    return hash(account) * 31 + hash(password);
}

}  // namespace

bool IsAccountError(std::uint32_t code)
{
    return code == ras::ERROR_AUTHENTICATION_FAILURE ||
           (code >= ras::ERROR_RESTRICTED_LOGON_HOURS && code <= ras::ERROR_NO_DIALIN_PERMISSION);
}

RedialCycle::RedialCycle(ras::ConnectionControl& connections, WallClock clock, AddressCheck& check, EventLogFile& log)
    : connections_(connections),
      clock_(std::move(clock)),
      check_(check),
      log_(log)
{
    connections_.SetEvents(this);
}

RedialCycle::~RedialCycle()
{
    connections_.SetEvents(nullptr);
}

// --- Looking the entry up ---------------------------------------------------

namespace {

RedialCycle::WindowView ViewOf(const RedialWindow& window)
{
    return {window.EntryText(), window.EnabledTicked(), window.PeriodValue(), window.PauseValue()};
}

}  // namespace

void RedialCycle::Refresh(const RedialWindow& window)
{
    view_ = ViewOf(window);
}

void RedialCycle::LookUp(const RedialWindow& window)
{
    options_ = window.Options();
    view_ = ViewOf(window);
    entry_ = view_.entry;
    if (authStopped_ && DigestOf(window.AccountText(), window.PasswordText()) != stoppedCredentials_) {
        authStopped_ = false;
        accountFailures_ = 0;
        TellState();
    }
    if (text::IsBlank(entry_))
        return;

    const ras::HRASCONN found = connections_.FindConnection(entry_);
    if (!found) {
        if (!current_.handle)
            return;
        // Gone, and not hung up by the program: that goes through HangingUp.
        const Connection lost = std::exchange(current_, Connection{});
        judgeOwed_ = false;
        Add(EventKind::Dropped, lost.address, lost.publicAddress);
        if (options_.redialOnDrop && window.EnabledTicked() && window.PeriodValue() > kSmallestIdlePeriod)
            connections_.RedialPending = true;
        TellState();
        return;
    }
    if (found != current_.handle) {
        // A connection the program did not see connect: made before it
        // started, by another program, or listed before its dial's report.
        current_ = Connection{found, connections_.ConnectionAddress(found), {}, clock_(), 0};
        NoteAddress(current_.address);
        if (!options_.ipCheckUrl.empty())
            StartCheck(false);
        else if (!current_.address.empty())
            distinct_.insert(current_.address);
        TellState();
    } else if (current_.address.empty()) {
        current_.address = connections_.ConnectionAddress(found);
        NoteAddress(current_.address);
    }
}

void RedialCycle::EnableBoxClicked(const RedialWindow& window)
{
    options_ = window.Options();
    view_ = ViewOf(window);
    authStopped_ = false;
    accountFailures_ = 0;
    // The owed re-dial is dropped with the box's change: a cycle under way,
    // or asked for, ends without an outcome.
    if (cycleId_ != 0 || requestWaiting_) {
        CycleOutcome stopped;
        stopped.stopped = true;
        stopped.text = "re-dialling was switched off";
        EndCycle(std::move(stopped));
    }
    searching_ = false;
    refusals_ = 0;
    settleOwed_ = false;
    TellState();
}

// --- Watchers and outside events ----------------------------------------------

void RedialCycle::AddWatcher(CycleWatcher* watcher)
{
    watchers_.push_back(watcher);
}

void RedialCycle::RemoveWatcher(CycleWatcher* watcher)
{
    std::erase(watchers_, watcher);
}

void RedialCycle::Note(EventKind kind, std::optional<std::uint32_t> code, std::string text)
{
    Add(kind, {}, {}, code, std::move(text));
    TellState();
}

std::uint64_t RedialCycle::RequestRedial()
{
    if (cycleId_ != 0) {
        asked_ = true;
        return cycleId_;
    }
    if (!requestWaiting_) {
        requestWaiting_ = true;
        requestedId_ = ++lastCycleId_;
    }
    TellState();
    return requestedId_;
}

bool RedialCycle::RedialAsked() const
{
    return requestWaiting_ || (cycleId_ != 0 && asked_);
}

void RedialCycle::HangUpPathTaken()
{
    if (requestWaiting_) {
        requestWaiting_ = false;
        if (cycleId_ == 0)
            cycleId_ = requestedId_;
        asked_ = true;
    } else if (cycleId_ == 0) {
        cycleId_ = ++lastCycleId_;
    }
}

void RedialCycle::ConnectedAfterPause()
{
    if (cycleId_ == 0)
        return;
    CycleOutcome kept;
    kept.connected = true;
    kept.address = current_.address;
    kept.publicAddress = current_.publicAddress;
    kept.previousAddress = previousAddress_;
    EndCycle(std::move(kept));
}

// --- The re-dial step -------------------------------------------------------

bool RedialCycle::TakeCountRestart()
{
    return searching_ || std::exchange(restartOwed_, false);
}

void RedialCycle::ShowWait(RedialState phase, std::int32_t secondsLeft)
{
    wait_ = phase;
    waitLeft_ = secondsLeft;
    TellState();
}

void RedialCycle::EndWait()
{
    if (!wait_)
        return;
    wait_.reset();
    waitLeft_ = 0;
    TellState();
}

bool RedialCycle::DialAllowed(const std::string& account, const std::string& password)
{
    dialCredentials_ = DigestOf(account, password);
    if (authStopped_ && dialCredentials_ != stoppedCredentials_) {
        authStopped_ = false;
        accountFailures_ = 0;
    }
    return !authStopped_;
}

// --- What the readers see ---------------------------------------------------

RedialStatus RedialCycle::Status(RedialWindow& window) const
{
    return StatusOf(ViewOf(window), window.ElapsedSeconds());
}

RedialStatus RedialCycle::SeenStatus(std::int32_t elapsed) const
{
    return StatusOf(view_, elapsed);
}

RedialStatus RedialCycle::StatusOf(const WindowView& view, std::int32_t elapsed) const
{
    RedialStatus status;
    status.entry = view.entry;
    status.enabled = view.enabled;
    status.elapsed = elapsed;
    status.period = view.period;
    status.pause = view.pause;
    status.address = current_.address;
    status.publicAddress = current_.publicAddress;
    status.since = current_.since;
    status.lastCode = lastCode_;
    status.lastText = lastText_;
    status.authFailures = accountFailures_;
    status.redials = redials_;
    status.failures = failures_;
    status.distinctAddresses = distinct_.size();
    status.waitLeft = wait_ ? waitLeft_ : 0;
    status.apiProblem = apiProblem_;

    if (!status.enabled)
        status.state = RedialState::Stopped;
    else if (status.period <= kSmallestIdlePeriod || text::IsBlank(status.entry))
        status.state = RedialState::Inactive;
    else if (authStopped_)
        status.state = RedialState::AuthStopped;
    else if (wait_)
        status.state = *wait_;
    else if (connections_.DialInProgress())
        status.state = RedialState::Dialling;
    else if (current_.handle)
        status.state = RedialState::Connected;
    else if (lastFailed_)
        status.state = RedialState::Failed;
    else
        status.state = RedialState::Counting;
    return status;
}

// --- Connection control's events --------------------------------------------

void RedialCycle::DialStarted(const std::string& entry)
{
    entry_ = entry;
    if (cycleId_ == 0)
        cycleId_ = ++lastCycleId_;
    ++cycleDials_;
    if (!cycleOpen_) {
        // The address to compare with is the one the entry had before this
        // re-dial, whatever the tries in between brought.
        cycleOpen_ = true;
        previousAddress_ = lastAddress_;
    }
    ++redials_;
    lastFailed_ = false;
    Add(EventKind::Dial);
}

void RedialCycle::DialConnected(ras::HRASCONN handle)
{
    if (current_.handle != handle)
        current_ = Connection{handle, {}, {}, clock_(), 0};
    if (current_.address.empty())
        current_.address = connections_.ConnectionAddress(handle);
    NoteAddress(current_.address);
    lastFailed_ = false;
    accountFailures_ = 0;
    if (!options_.ipCheckUrl.empty()) {
        // The outcome waits for the public address.
        judgeOwed_ = true;
        StartCheck(true);
        TellState();
        return;
    }
    Judge();
}

void RedialCycle::DialFailed(ras::RASCONNSTATE state, ras::DWORD error)
{
    ++failures_;
    lastFailed_ = true;
    lastCode_ = error;
    lastText_ = connections_.ErrorText(error);
    const std::string where = state == ras::kNoDialState ? std::string() : " (state " + std::to_string(state) + ")";
    Add(EventKind::Failed, {}, {}, error, lastText_ + where);
    if (IsAccountError(error)) {
        ++accountFailures_;
        if (options_.authStop > 0 && accountFailures_ >= options_.authStop && !authStopped_) {
            authStopped_ = true;
            stoppedCredentials_ = dialCredentials_;
            Add(EventKind::AuthStop, {}, {}, error,
                std::to_string(accountFailures_) + " account or password failures in a row");
            // The cycle gives up.
            CycleOutcome gaveUp;
            gaveUp.code = error;
            gaveUp.text = lastText_;
            gaveUp.previousAddress = previousAddress_;
            EndCycle(std::move(gaveUp));
            searching_ = false;
            refusals_ = 0;
        }
    } else {
        accountFailures_ = 0;
    }
    TellState();
}

void RedialCycle::DialGivenUp()
{
    ++failures_;
    lastFailed_ = true;
    lastCode_ = 0;
    lastText_ = "no report for 120 s";
    accountFailures_ = 0;
    Add(EventKind::Timeout, {}, {}, std::nullopt, lastText_);
    TellState();
}

void RedialCycle::HangingUp(ras::HRASCONN handle)
{
    if (handle != current_.handle) {
        // A dial that had not connected yet.
        Add(EventKind::HangUp);
        return;
    }
    if (current_.address.empty())
        current_.address = connections_.ConnectionAddress(handle);
    NoteAddress(current_.address);
    const Connection gone = std::exchange(current_, Connection{});
    judgeOwed_ = false;
    Add(EventKind::HangUp, gone.address, gone.publicAddress);
}

// --- Addresses and freshness ------------------------------------------------

void RedialCycle::NoteAddress(const std::string& address)
{
    if (address.empty())
        return;
    if (current_.publicAddress.empty())
        lastAddress_ = address;
}

void RedialCycle::StartCheck(bool judge)
{
    const std::uint64_t ticket = ++lastTicket_;
    current_.checkTicket = ticket;
    judgeOwed_ = judge;
    std::weak_ptr<RedialCycle*> self = self_;
    check_.Start(options_.ipCheckUrl, [self, ticket](const AddressCheckAnswer& answer) {
        if (const std::shared_ptr<RedialCycle*> cycle = self.lock())
            (*cycle)->CheckAnswered(ticket, answer);
    });
}

void RedialCycle::CheckAnswered(std::uint64_t ticket, const AddressCheckAnswer& answer)
{
    // An answer for a connection that is gone changes nothing.
    if (ticket != current_.checkTicket || !current_.handle)
        return;
    current_.checkTicket = 0;
    const std::string address = answer.received ? FirstIPv4(answer.body) : std::string();
    if (address.empty()) {
        Add(EventKind::IpCheck, current_.address, {}, std::nullopt,
            answer.received ? "no address in the reply" : answer.error);
    } else {
        current_.publicAddress = address;
        lastAddress_ = address;
        if (!judgeOwed_)
            distinct_.insert(address);
    }
    if (std::exchange(judgeOwed_, false))
        Judge();
    else
        TellState();
}

bool RedialCycle::SeenRecently(const std::string& address)
{
    if (options_.newIpHours <= 0)
        return false;
    if (options_.log && !logRead_)
        LoadLoggedAddresses();
    const std::int64_t since = MillisecondsOf(clock_()) - options_.newIpHours * kMillisecondsPerHour;
    for (const AddressSeen& seen : seen_) {
        if (seen.milliseconds >= since && seen.address == address)
            return true;
    }
    return false;
}

void RedialCycle::LoadLoggedAddresses()
{
    logRead_ = true;
    std::vector<AddressSeen> logged = log_.ConnectedAddresses();
    // The log's lines come before this run's.
    seen_.insert(seen_.begin(), logged.begin(), logged.end());
    while (seen_.size() > kKeptAddresses)
        seen_.pop_front();
}

void RedialCycle::Judge()
{
    const std::string compared = current_.publicAddress.empty() ? current_.address : current_.publicAddress;
    const bool fresh = !compared.empty() && compared != previousAddress_ && !SeenRecently(compared);

    RedialEvent& connected = Add(EventKind::Connected, current_.address, current_.publicAddress);
    connected.fresh = fresh;
    if (listener_)
        listener_->EventAdded(connected);

    if (!compared.empty()) {
        distinct_.insert(compared);
        const std::int64_t now = MillisecondsOf(clock_());
        seen_.push_back({now, compared});
        while (seen_.size() > kKeptAddresses ||
               (!seen_.empty() && seen_.front().milliseconds < now - settings::kMaxNewIpHours * kMillisecondsPerHour))
            seen_.pop_front();
    }

    CycleOutcome kept;
    kept.connected = true;
    kept.address = current_.address;
    kept.publicAddress = current_.publicAddress;
    kept.previousAddress = previousAddress_;
    kept.fresh = fresh;
    if (fresh || compared.empty() || options_.newIp <= 0) {
        EndSearch();
        EndCycle(std::move(kept));
        return;
    }
    if (refusals_ >= options_.newIp) {
        Add(EventKind::SameAddress, current_.address, current_.publicAddress, std::nullopt,
            "accepted after " + std::to_string(refusals_) + " tries");
        EndSearch();
        EndCycle(std::move(kept));
        return;
    }
    ++refusals_;
    searching_ = true;
    Add(EventKind::SameAddress, current_.address, current_.publicAddress, std::nullopt,
        "try " + std::to_string(refusals_) + " of " + std::to_string(options_.newIp));
    // Hung up at once, not at the end of the period; the re-dial stays owed.
    connections_.ActiveConnection = current_.handle;
    connections_.HangUpActive();
    connections_.RedialPending = true;
    settleOwed_ = true;
    TellState();
}

void RedialCycle::EndSearch()
{
    if (searching_)
        restartOwed_ = true;
    searching_ = false;
    refusals_ = 0;
    cycleOpen_ = false;
    TellState();
}

void RedialCycle::EndCycle(CycleOutcome outcome)
{
    outcome.cycle = cycleId_ != 0 ? cycleId_ : requestedId_;
    outcome.attempts = cycleDials_;
    outcome.entry = entry_;
    cycleId_ = 0;
    cycleDials_ = 0;
    asked_ = false;
    requestWaiting_ = false;
    cycleOpen_ = false;
    // A watcher may remove itself while it is told.
    const std::vector<CycleWatcher*> watchers = watchers_;
    for (CycleWatcher* watcher : watchers)
        watcher->CycleEnded(outcome);
}

// --- Events -------------------------------------------------------------------

RedialEvent& RedialCycle::Add(EventKind kind, std::string address, std::string publicAddress,
                              std::optional<std::uint32_t> code, std::string text)
{
    RedialEvent event;
    event.sequence = ++lastSequence_;
    event.time = clock_();
    event.kind = kind;
    event.entry = entry_;
    event.address = std::move(address);
    event.publicAddress = std::move(publicAddress);
    event.code = code;
    event.text = std::move(text);
    events_.push_front(std::move(event));
    if (events_.size() > kKeptEvents)
        events_.pop_back();
    RedialEvent& added = events_.front();
    if (options_.log)
        log_.Append(added);
    // A connected event is told once its freshness is known.
    if (listener_ && kind != EventKind::Connected)
        listener_->EventAdded(added);
    return added;
}

void RedialCycle::TellState()
{
    if (listener_)
        listener_->StateChanged();
}

}  // namespace scheduler
