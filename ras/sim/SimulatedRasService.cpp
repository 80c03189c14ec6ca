#include "ras/sim/SimulatedRasService.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "ras/FieldText.h"
#include "ras/sim/RasCallText.h"
#include "text/AsciiText.h"

namespace ras::sim {
namespace {

void CheckEntryName(const std::string& name)
{
    if (name.empty() || name.size() > RAS_MaxEntryName || name.find('\0') != std::string::npos)
        throw std::invalid_argument("an entry name holds 1 to 256 bytes and no NUL");
}

HRASCONN ToHandle(std::uintptr_t value)
{
    return reinterpret_cast<HRASCONN>(value);
}
std::uintptr_t ToValue(HRASCONN handle)
{
    return reinterpret_cast<std::uintptr_t>(handle);
}

bool IsOtherProjection(RASPROJECTION projection)
{
    switch (projection) {
    case RASP_Amb:
    case RASP_PppNbf:
    case RASP_PppIpx:
    case RASP_PppIpv6:
    case RASP_PppCcp:
    case RASP_PppLcp:
    case RASP_Slip:
        return true;
    default:
        return false;
    }
}

}  // namespace

std::optional<std::string> SimErrorText(DWORD error)
{
    switch (error) {
    case ERROR_BUFFER_TOO_SMALL:
        return "The buffer is too small.";
    case ERROR_CANNOT_FIND_PHONEBOOK_ENTRY:
        return "The system could not find the phone book entry for this connection.";
    case ERROR_USER_DISCONNECTION:
        return "The connection was terminated by the user.";
    case ERROR_INVALID_SIZE:
        return "The structure size is incorrect.";
    case ERROR_RESTRICTED_LOGON_HOURS:
        return "The account is not permitted to log on at this time of day.";
    case ERROR_ACCT_DISABLED:
        return "The account is disabled.";
    case ERROR_PASSWD_EXPIRED:
        return "The password for this account has expired.";
    case ERROR_NO_DIALIN_PERMISSION:
        return "The account does not have permission to dial in.";
    case ERROR_NO_CONNECTION:
        return "The connection was terminated.";
    case ERROR_NO_ANSWER:
        return "The remote computer did not respond.";
    case ERROR_AUTHENTICATION_FAILURE:
        return "The remote connection was denied because the user name and password combination you provided is "
               "not recognized, or the selected authentication protocol is not permitted on the remote access "
               "server.";
    case ERROR_PROJECTION_NOT_COMPLETE:
        return "The negotiation of network protocols with the remote access server has not completed.";
    case ERROR_PROTOCOL_NOT_CONFIGURED:
        return "The network protocol was not negotiated, because the connection's settings do not ask for it.";
    case ERROR_DIAL_ALREADY_IN_PROGRESS:
        return "This connection is already being dialed.";
    default:
        if (error >= 600 && error <= 999)
            return "Remote access error " + std::to_string(error) + ".";
        return std::nullopt;
    }
}

bool IsDottedAddress(const std::string& text)
{
    if (text.empty() || text.size() > RAS_MaxIpAddress)
        return false;
    int parts = 0;
    std::size_t start = 0;
    while (true) {
        const std::size_t dot = text.find('.', start);
        const std::string part = text.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
        if (part.empty() || part.size() > 3 || part.find_first_not_of("0123456789") != std::string::npos ||
            std::stoi(part) > 255)
            return false;
        ++parts;
        if (dot == std::string::npos)
            break;
        start = dot + 1;
    }
    return parts == 4;
}

SimulatedRasService::SimulatedRasService()
{
    reporter_ = std::thread([this] { ReportLoop(); });
}

SimulatedRasService::~SimulatedRasService()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    reporter_.join();
}

// --- Configuration ---------------------------------------------------------

void SimulatedRasService::AddEntry(const std::string& name, EntrySetup setup)
{
    CheckEntryName(name);
    std::lock_guard lock(mutex_);
    if (FindEntry(name))
        throw std::invalid_argument("the phonebook has an entry of that name");
    entries_.push_back(Entry{name, setup, {}, {}});
}

void SimulatedRasService::SetEntrySetup(const std::string& name, EntrySetup setup)
{
    std::lock_guard lock(mutex_);
    Entry* entry = FindEntry(name);
    if (!entry)
        throw std::invalid_argument("no phonebook entry of that name");
    entry->setup = setup;
}

HRASCONN SimulatedRasService::ConnectEntry(const std::string& name)
{
    CheckEntryName(name);
    std::string line;
    HRASCONN handle = nullptr;
    {
        std::lock_guard lock(mutex_);
        Entry* entry = FindEntry(name);
        if (!entry) {
            entries_.push_back(Entry{name, {}, {}, {}});
            entry = &entries_.back();
        }
        if (const std::uintptr_t existing = FindLinkOfEntry(entry->name, LinkStage::Connected))
            return ToHandle(existing);
        handle = NewLink(entry->name, LinkStage::Dialling);
        Link& link = links_.at(ToValue(handle));
        Connect(link);
        line = "connected " + HandleText(handle) + " " + Quoted(link.entry) + ", address " + link.address;
        changed_.notify_all();
    }
    std::lock_guard lock(loggerMutex_);
    if (logger_)
        logger_(TimeStamp(std::chrono::system_clock::now()) + " " + line);
    return handle;
}

bool SimulatedRasService::DropConnection(const std::string& name)
{
    std::string line;
    {
        std::lock_guard lock(mutex_);
        const std::uintptr_t value = FindLinkOfEntry(name, LinkStage::Connected);
        if (!value)
            return false;
        Link& link = links_.at(value);
        link.stage = LinkStage::Ended;
        line = "line dropped " + HandleText(ToHandle(value)) + " " + Quoted(link.entry);
        changed_.notify_all();
    }
    std::lock_guard lock(loggerMutex_);
    if (logger_)
        logger_(TimeStamp(std::chrono::system_clock::now()) + " " + line);
    return true;
}

void SimulatedRasService::SetDialDelay(std::chrono::milliseconds delay)
{
    std::lock_guard lock(mutex_);
    dialDelay_ = std::max(delay, std::chrono::milliseconds{0});
}

void SimulatedRasService::SetProgressStates(std::vector<RASCONNSTATE> states)
{
    std::lock_guard lock(mutex_);
    progressStates_ = std::move(states);
}

void SimulatedRasService::SetLateReportDelay(std::optional<std::chrono::milliseconds> delay)
{
    std::lock_guard lock(mutex_);
    lateReportDelay_ = delay ? std::optional(std::max(*delay, std::chrono::milliseconds{0})) : std::nullopt;
}

void SimulatedRasService::SetReportLag(std::chrono::milliseconds lag)
{
    std::lock_guard lock(mutex_);
    reportLag_ = std::max(lag, std::chrono::milliseconds{0});
}

void SimulatedRasService::SetFreshAddress(bool fresh)
{
    std::lock_guard lock(mutex_);
    freshAddress_ = fresh;
}

void SimulatedRasService::SetAddressSequence(const std::string& name, std::vector<std::string> addresses)
{
    for (const std::string& address : addresses)
        if (!IsDottedAddress(address))
            throw std::invalid_argument("an address is four numbers of 0 to 255, joined by dots");
    std::lock_guard lock(mutex_);
    Entry* entry = FindEntry(name);
    if (!entry)
        throw std::invalid_argument("no phonebook entry of that name");
    entry->scriptedAddresses.assign(std::make_move_iterator(addresses.begin()),
                                    std::make_move_iterator(addresses.end()));
}

void SimulatedRasService::SetDevice(std::string type, std::string name)
{
    std::lock_guard lock(mutex_);
    deviceType_ = std::move(type);
    deviceName_ = std::move(name);
}

void SimulatedRasService::SetLogger(Logger logger)
{
    std::lock_guard lock(loggerMutex_);
    logger_ = std::move(logger);
}

// --- The remote-access operations --------------------------------------------

DWORD SimulatedRasService::EnumEntries(const char* reserved, const char* phonebook, RASENTRYNAMEA* entries,
                                       DWORD* byteCount, DWORD* entryCount)
{
    RasCallRecord r;
    r.kind = RasCallKind::EnumEntries;
    r.calledAt = Clock::now();
    r.reservedNull = reserved == nullptr;
    r.phonebookNull = phonebook == nullptr;
    r.recordsNull = entries == nullptr;
    r.byteCountNull = byteCount == nullptr;
    r.countNull = entryCount == nullptr;
    if (entries)
        r.recordSize = entries[0].dwSize;
    if (byteCount)
        r.byteCountIn = *byteCount;
    if (entryCount)
        r.countIn = *entryCount;

    // A phonebook path names the one phonebook the service has.
    r.result = [&]() -> DWORD {
        if (reserved || !byteCount || !entryCount)
            return ERROR_BAD_PARAMETER;
        if (!entries && *byteCount != 0)
            return ERROR_BAD_PARAMETER;
        if (entries && entries[0].dwSize != kEntryNameSize)
            return ERROR_INVALID_SIZE;
        std::lock_guard lock(mutex_);
        const auto count = static_cast<DWORD>(entries_.size());
        const DWORD needed = count * kEntryNameSize;
        *entryCount = count;
        if (*byteCount < needed) {
            *byteCount = needed;
            return ERROR_BUFFER_TOO_SMALL;
        }
        *byteCount = needed;
        for (DWORD i = 0; i < count; ++i) {
            entries[i] = RASENTRYNAMEA{};
            entries[i].dwSize = kEntryNameSize;
            CopyField(entries[i].szEntryName, entries_[i].name);
            r.namesOut.push_back(entries_[i].name);
        }
        return SUCCESS;
    }();

    if (byteCount)
        r.byteCountOut = *byteCount;
    if (entryCount)
        r.countOut = *entryCount;
    r.returnedAt = Clock::now();
    const DWORD result = r.result;
    Record(std::move(r));
    return result;
}

DWORD SimulatedRasService::EnumConnections(RASCONNA* connections, DWORD* byteCount, DWORD* connectionCount)
{
    RasCallRecord r;
    r.kind = RasCallKind::EnumConnections;
    r.calledAt = Clock::now();
    r.recordsNull = connections == nullptr;
    r.byteCountNull = byteCount == nullptr;
    r.countNull = connectionCount == nullptr;
    if (connections)
        r.recordSize = connections[0].dwSize;
    if (byteCount)
        r.byteCountIn = *byteCount;
    if (connectionCount)
        r.countIn = *connectionCount;

    r.result = [&]() -> DWORD {
        if (!byteCount || !connectionCount)
            return ERROR_BAD_PARAMETER;
        if (!connections && *byteCount != 0)
            return ERROR_BAD_PARAMETER;
        if (connections && connections[0].dwSize != kConnSize)
            return ERROR_INVALID_SIZE;
        std::lock_guard lock(mutex_);
        std::vector<std::pair<std::uintptr_t, const Link*>> listed;
        for (const auto& [value, link] : links_)
            if (link.stage == LinkStage::Connected)
                listed.emplace_back(value, &link);
        std::sort(listed.begin(), listed.end(),
                  [](const auto& a, const auto& b) { return a.second->listOrder < b.second->listOrder; });
        const auto count = static_cast<DWORD>(listed.size());
        const DWORD needed = count * kConnSize;
        *connectionCount = count;
        if (*byteCount < needed) {
            *byteCount = needed;
            return ERROR_BUFFER_TOO_SMALL;
        }
        *byteCount = needed;
        for (DWORD i = 0; i < count; ++i) {
            RASCONNA& record = connections[i];
            record = RASCONNA{};
            record.dwSize = kConnSize;
            // The handle field is not naturally aligned in the packed record:
            // written by value, never through a reference.
            const HRASCONN handle = ToHandle(listed[i].first);
            record.hrasconn = handle;
            CopyField(record.szEntryName, listed[i].second->entry);
            CopyField(record.szDeviceType, deviceType_);
            CopyField(record.szDeviceName, deviceName_);
            r.namesOut.push_back(listed[i].second->entry);
            r.handlesOut.push_back(handle);
        }
        return SUCCESS;
    }();

    if (byteCount)
        r.byteCountOut = *byteCount;
    if (connectionCount)
        r.countOut = *connectionCount;
    r.returnedAt = Clock::now();
    const DWORD result = r.result;
    Record(std::move(r));
    return result;
}

DWORD SimulatedRasService::Dial(void* extensions, const char* phonebook, RASDIALPARAMSA* params, DWORD notifierType,
                                RASDIALFUNC notifier, HRASCONN* handle)
{
    RasCallRecord r;
    r.kind = RasCallKind::Dial;
    r.calledAt = Clock::now();
    r.extensionsNull = extensions == nullptr;
    r.phonebookNull = phonebook == nullptr;
    r.recordsNull = params == nullptr;
    r.handleCellNull = handle == nullptr;
    r.notifierType = notifierType;
    r.notifier = notifier;
    if (params) {
        r.recordSize = params->dwSize;
        if (params->dwSize == kDialParamsSize) {
            r.params = *params;
            r.entry = std::string(FieldText(params->szEntryName, sizeof params->szEntryName));
        }
    }
    if (handle)
        r.handleIn = *handle;

    {
        std::unique_lock lock(mutex_);
        std::uintptr_t awaited = 0;  // a dial whose outcome RasDialA waits for
        DWORD awaitedError = SUCCESS;
        bool writeAfterWait = false;

        r.result = [&]() -> DWORD {
            if (!params || !handle)
                return ERROR_BAD_PARAMETER;
            if (params->dwSize != kDialParamsSize)
                return ERROR_INVALID_SIZE;
            // Only the RasDialFunc notifier is offered.
            if (notifier && notifierType != kNotifierTypeRasDialFunc)
                return ERROR_BAD_PARAMETER;

            Entry* entry = FindEntry(r.entry);
            if (!entry) {
                *handle = NewLink(r.entry, LinkStage::Ended);
                return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
            }
            r.entry = entry->name;
            if (FindLinkOfEntry(entry->name, LinkStage::Dialling))
                return ERROR_DIAL_ALREADY_IN_PROGRESS;
            if (const std::uintptr_t connected = FindLinkOfEntry(entry->name, LinkStage::Connected)) {
                // The connection is handed out again and reported connected.
                *handle = ToHandle(connected);
                if (notifier)
                    reports_.emplace_back(connected, notifier, RASCS_Connected, SUCCESS, Clock::now());
                return SUCCESS;
            }

            const EntrySetup setup = entry->setup;
            if (setup.outcome == DialOutcome::FailAtCall) {
                *handle = NewLink(entry->name, LinkStage::Ended);
                return setup.error;
            }

            const HRASCONN dialled = NewLink(entry->name, LinkStage::Dialling);
            const std::uintptr_t value = ToValue(dialled);
            const Clock::time_point start = Clock::now();
            const bool connects = setup.outcome == DialOutcome::Connect;
            const RASCONNSTATE last = connects ? RASCS_Connected : setup.failState;
            if (notifier) {
                // The progress states up to the one the dial fails in.
                std::vector<RASCONNSTATE> states;
                for (RASCONNSTATE state : progressStates_) {
                    if (!connects && state == last)
                        break;
                    states.push_back(state);
                }
                const auto steps = static_cast<long long>(states.size()) + 1;
                for (std::size_t i = 0; i < states.size(); ++i) {
                    const auto due = start + dialDelay_ * static_cast<long long>(i + 1) / steps;
                    reports_.emplace_back(value, notifier, states[i], SUCCESS, due);
                }
            }
            PendingReport outcome(value, notifier, last, connects ? SUCCESS : setup.error, start + dialDelay_, true);
            if (connects && notifier && reportLag_.count() > 0) {
                PendingReport listing = outcome;
                listing.listOnly = true;
                reports_.push_back(listing);
                outcome.due += reportLag_;
            }
            reports_.push_back(outcome);

            if (!notifier || setup.reportBeforeReturn) {
                awaited = value;
                awaitedError = connects ? SUCCESS : setup.error;
            }
            writeAfterWait = notifier && setup.reportBeforeReturn;
            // The cell is written before the report thread can see the dial,
            // unless the outcome is to come first.
            if (!writeAfterWait)
                *handle = dialled;
            return SUCCESS;
        }();
        changed_.notify_all();

        if (awaited) {
            const auto settled = [&] {
                const auto it = links_.find(awaited);
                return stopping_ || it == links_.end() || it->second.outcomeDelivered;
            };
            if (notifier) {
                changed_.wait_for(lock, dialDelay_ + kReportBeforeReturnWait, settled);
            } else {
                changed_.wait(lock, settled);
                const auto it = links_.find(awaited);
                const bool delivered = it != links_.end() && it->second.outcomeDelivered;
                r.result = delivered ? awaitedError : ERROR_USER_DISCONNECTION;
            }
            if (writeAfterWait)
                *handle = ToHandle(awaited);
        }
        if (handle)
            r.handleOut = *handle;
    }

    r.returnedAt = Clock::now();
    const DWORD result = r.result;
    Record(std::move(r));
    return result;
}

DWORD SimulatedRasService::HangUp(HRASCONN handle)
{
    RasCallRecord r;
    r.kind = RasCallKind::HangUp;
    r.calledAt = Clock::now();
    r.handle = handle;
    {
        std::lock_guard lock(mutex_);
        const auto it = links_.find(ToValue(handle));
        if (it == links_.end()) {
            r.result = ERROR_BAD_HANDLE;
        } else {
            r.entry = it->second.entry;
            links_.erase(it);
            const std::uintptr_t value = ToValue(handle);
            for (PendingReport& report : reports_) {
                // With late reports on, the outcome still comes.
                if (report.handle != value || !report.outcome || report.listOnly || !lateReportDelay_)
                    continue;
                report.afterHangUp = true;
                report.entry = r.entry;
                report.due = Clock::now() + *lateReportDelay_;
            }
            std::erase_if(reports_, [value](const PendingReport& p) { return p.handle == value && !p.afterHangUp; });
            r.result = SUCCESS;
            changed_.notify_all();
        }
    }
    r.returnedAt = Clock::now();
    const DWORD result = r.result;
    Record(std::move(r));
    return result;
}

DWORD SimulatedRasService::GetProjectionInfo(HRASCONN handle, RASPROJECTION projection, void* record, DWORD* byteCount)
{
    RasCallRecord r;
    r.kind = RasCallKind::ProjectionInfo;
    r.calledAt = Clock::now();
    r.handle = handle;
    r.projection = projection;
    r.recordsNull = record == nullptr;
    r.byteCountNull = byteCount == nullptr;
    auto* ip = static_cast<RASPPPIPOPTIONSA*>(record);  // dwSize says how much of it there is
    if (record)
        r.recordSize = ip->dwSize;
    if (byteCount)
        r.byteCountIn = *byteCount;

    r.result = [&]() -> DWORD {
        if (!record || !byteCount)
            return ERROR_BAD_PARAMETER;
        if (projection != RASP_PppIp && !IsOtherProjection(projection))
            return ERROR_BAD_PARAMETER;
        std::lock_guard lock(mutex_);
        const auto it = links_.find(ToValue(handle));
        if (it == links_.end())
            return ERROR_BAD_HANDLE;
        const Link& link = it->second;
        r.entry = link.entry;
        if (projection != RASP_PppIp)
            return ERROR_PROTOCOL_NOT_CONFIGURED;
        const DWORD size = ip->dwSize;
        if (size != kPppIpSize && size != kPppIpOptionsSize)
            return ERROR_INVALID_SIZE;
        if (*byteCount < size) {
            *byteCount = size;
            return ERROR_BUFFER_TOO_SMALL;
        }
        if (link.stage == LinkStage::Dialling)
            return ERROR_PROJECTION_NOT_COMPLETE;
        if (link.stage == LinkStage::Ended)
            return ERROR_NO_CONNECTION;
        // Only the bytes of the form the caller named are written.
        RASPPPIPOPTIONSA filled{};
        filled.dwSize = size;
        filled.dwError = SUCCESS;
        CopyField(filled.szIpAddress, link.address);
        CopyField(filled.szServerIpAddress, kServerAddress);
        std::memcpy(record, &filled, size);
        *byteCount = size;
        r.address = link.address;
        r.serverAddress = kServerAddress;
        return SUCCESS;
    }();

    if (byteCount)
        r.byteCountOut = *byteCount;
    r.returnedAt = Clock::now();
    const DWORD result = r.result;
    Record(std::move(r));
    return result;
}

DWORD SimulatedRasService::GetErrorString(UINT error, char* buffer, DWORD bufferSize)
{
    RasCallRecord r;
    r.kind = RasCallKind::ErrorString;
    r.calledAt = Clock::now();
    r.error = error;
    r.recordsNull = buffer == nullptr;
    r.byteCountIn = bufferSize;

    r.result = [&]() -> DWORD {
        if (!buffer)
            return ERROR_BAD_PARAMETER;
        const std::optional<std::string> text = SimErrorText(error);
        if (!text)
            return ERROR_BAD_PARAMETER;
        if (text->size() >= bufferSize)
            return ERROR_TEXT_BUFFER_TOO_SMALL;
        std::memcpy(buffer, text->c_str(), text->size() + 1);
        r.text = *text;
        return SUCCESS;
    }();

    r.returnedAt = Clock::now();
    const DWORD result = r.result;
    Record(std::move(r));
    return result;
}

// --- What happened -----------------------------------------------------------

std::vector<RasCallRecord> SimulatedRasService::Calls() const
{
    std::lock_guard lock(mutex_);
    return calls_;
}

void SimulatedRasService::ClearCalls()
{
    std::lock_guard lock(mutex_);
    calls_.clear();
}

bool SimulatedRasService::WaitForCalls(const CallPredicate& done, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return done(calls_); });
}

std::vector<SimConnection> SimulatedRasService::Links() const
{
    std::lock_guard lock(mutex_);
    std::vector<SimConnection> links;
    for (const auto& [value, link] : links_)
        links.push_back({ToHandle(value), link.entry, link.stage, link.address});
    return links;
}

// --- Inner working -------------------------------------------------------------

SimulatedRasService::Entry* SimulatedRasService::FindEntry(const std::string& name)
{
    for (Entry& entry : entries_)
        if (text::EqualsIgnoringAsciiCase(entry.name, name))
            return &entry;
    return nullptr;
}

std::uintptr_t SimulatedRasService::FindLinkOfEntry(const std::string& name, LinkStage stage) const
{
    for (const auto& [value, link] : links_)
        if (link.stage == stage && text::EqualsIgnoringAsciiCase(link.entry, name))
            return value;
    return 0;
}

HRASCONN SimulatedRasService::NewLink(const std::string& entry, LinkStage stage)
{
    const std::uintptr_t value = nextHandle_;
    nextHandle_ += 0x10;
    Link link;
    link.entry = entry;
    link.stage = stage;
    links_.emplace(value, std::move(link));
    return ToHandle(value);
}

void SimulatedRasService::Connect(Link& link)
{
    link.stage = LinkStage::Connected;
    link.listOrder = nextListOrder_++;
    link.address = NextAddress(FindEntry(link.entry));
}

std::string SimulatedRasService::NextAddress(Entry* entry)
{
    if (entry && !entry->scriptedAddresses.empty()) {
        std::string address = std::move(entry->scriptedAddresses.front());
        entry->scriptedAddresses.pop_front();
        // With fresh addresses off the next connection keeps this one.
        entry->keptAddress = address;
        return address;
    }
    if (!freshAddress_ && entry && !entry->keptAddress.empty())
        return entry->keptAddress;
    const std::uint32_t n = nextAddress_++;
    std::string address = "10.64." + std::to_string(n / 253 % 256) + "." + std::to_string(n % 253 + 2);
    if (entry)
        entry->keptAddress = address;
    return address;
}

void SimulatedRasService::Record(RasCallRecord record)
{
    // The line is logged before the record shows: whoever waits for the
    // record finds its line written.
    {
        std::lock_guard lock(loggerMutex_);
        if (logger_)
            logger_(TimeStamp(std::chrono::system_clock::now()) + " " + DescribeCall(record));
    }
    {
        std::lock_guard lock(mutex_);
        record.sequence = nextSequence_++;
        calls_.push_back(std::move(record));
    }
    changed_.notify_all();
}

void SimulatedRasService::ReportLoop()
{
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        if (reports_.empty()) {
            changed_.wait(lock);
            continue;
        }
        const auto next =
            std::min_element(reports_.begin(), reports_.end(),
                             [](const PendingReport& a, const PendingReport& b) { return a.due < b.due; });
        if (next->due > Clock::now()) {
            // A copy: the queue may grow, and move, while this waits.
            const Clock::time_point due = next->due;
            changed_.wait_until(lock, due);
            continue;
        }
        const PendingReport report = *next;
        reports_.erase(next);
        RasCallRecord r;
        r.kind = RasCallKind::Report;
        r.handle = ToHandle(report.handle);
        r.message = WM_RASDIALEVENT;
        r.state = report.state;
        r.error = report.error;
        r.notifier = report.notifier;
        r.afterHangUp = report.afterHangUp;
        if (report.afterHangUp) {
            r.entry = report.entry;
        } else {
            const auto it = links_.find(report.handle);
            if (it == links_.end())
                continue;
            Link& link = it->second;
            if (report.outcome && link.stage == LinkStage::Dialling) {
                if (report.state == RASCS_Connected)
                    Connect(link);
                else
                    link.stage = LinkStage::Ended;
            }
            changed_.notify_all();  // the enumeration may list it now
            if (report.listOnly)
                continue;
            r.entry = link.entry;
            if (report.state == RASCS_Connected)
                r.address = link.address;
        }

        // The notifier runs without the lock: it may call back into the
        // service (a hang-up on the end of a dial, an enumeration).
        lock.unlock();
        r.calledAt = Clock::now();
        if (report.notifier)
            report.notifier(WM_RASDIALEVENT, report.state, report.error);
        r.returnedAt = Clock::now();
        Record(std::move(r));
        lock.lock();

        if (report.outcome) {
            const auto delivered = links_.find(report.handle);
            if (delivered != links_.end())
                delivered->second.outcomeDelivered = true;
            changed_.notify_all();
        }
    }
}

}  // namespace ras::sim
