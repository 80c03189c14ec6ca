#include "ras/ConnectionControl.h"

#include "ras/FieldText.h"
#include "text/AsciiText.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace ras {
namespace {

// The most connections the table is ever grown to, whatever the service
// asks for: a guard against a nonsensical byte count.
constexpr std::size_t kMaxConnections = 4096;

// Clears a record that held a password before it goes out of scope.
void Scrub(void* data, std::size_t size)
{
    volatile unsigned char* bytes = static_cast<volatile unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = 0;
}

}  // namespace

ConnectionControl::ConnectionControl(RasService& service, Clock clock)
    : ConnectionTable(kInitialConnections),
      service_(service),
      clock_(std::move(clock)),
      notifiers_(DialNotifierPool::Instance()),
      client_(notifiers_.Join())
{
}

ConnectionControl::~ConnectionControl()
{
    notifiers_.Leave(client_);
}

void ConnectionControl::SetReportWake(ReportWake wake)
{
    notifiers_.SetWake(client_, std::move(wake));
}

void ConnectionControl::RefreshConnections()
{
    // A failed enumeration counts as finding no connection. When the service
    // reports the table too small, the table grows to the size it asks for
    // and the enumeration runs again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        std::fill(ConnectionTable.begin(), ConnectionTable.end(), RASCONNA{});
        ConnectionTable[0].dwSize = sizeof(RASCONNA);
        DWORD byteCount = static_cast<DWORD>(ConnectionTable.size() * sizeof(RASCONNA));
        DWORD count = 0;
        const DWORD result = service_.EnumConnections(ConnectionTable.data(), &byteCount, &count);
        if (result == SUCCESS) {
            ConnectionCount = std::min<DWORD>(count, static_cast<DWORD>(ConnectionTable.size()));
            return;
        }
        if (result != ERROR_BUFFER_TOO_SMALL)
            break;
        const std::size_t wanted = std::max<std::size_t>(count, (byteCount + sizeof(RASCONNA) - 1) / sizeof(RASCONNA));
        if (wanted <= ConnectionTable.size() || wanted > kMaxConnections)
            break;
        ConnectionTable.resize(wanted);
    }
    ConnectionCount = 0;
}

HRASCONN ConnectionControl::FindConnection(const std::string& entry)
{
    RefreshConnections();
    // The name as the platform would read it: up to its first NUL.
    const std::string_view wanted(entry.c_str());
    for (DWORD i = 0; i < ConnectionCount; ++i) {
        const RASCONNA& record = ConnectionTable[i];
        if (text::EqualsIgnoringAsciiCase(wanted, FieldText(record.szEntryName, sizeof record.szEntryName)))
            return record.hrasconn;
    }
    return nullptr;
}

bool ConnectionControl::IsEntryConnected(const std::string& entry)
{
    DeliverReports();
    ExpireStaleDial();
    ActiveConnection = FindConnection(entry);
    return ActiveConnection != nullptr;
}

void ConnectionControl::DialEntry(const std::string& entry, const std::string& account, const std::string& password)
{
    DeliverReports();
    ExpireStaleDial();
    ActiveConnection = FindConnection(entry);
    if (ActiveConnection)
        return;

    // Texts that do not fit their fields make no dial: a cut account name or
    // password could only fail, and might count against the account at the
    // provider.
    if (entry.size() > RAS_MaxEntryName || account.size() > UNLEN || password.size() > PWLEN)
        return;
    // The platform lists a connection only once it has connected, so a dial
    // still in progress is not found above; it must not be doubled.
    if (dial_)
        return;

    const std::uint64_t id = ++lastDialId_;
    const RASDIALFUNC notifier = notifiers_.Bind(client_, id);
    if (!notifier)
        return;
    dial_ = Dial{id, nullptr, clock_()};

    RASDIALPARAMSA params{};
    params.dwSize = sizeof(RASDIALPARAMSA);
    CopyField(params.szEntryName, entry);
    CopyField(params.szUserName, account);
    CopyField(params.szPassword, password);
    CopyField(params.szCallbackNumber, "*");
    CopyField(params.szDomain, "*");

    HRASCONN handle = nullptr;
    insideDial_ = true;
    const DWORD result = service_.Dial(nullptr, nullptr, &params, kNotifierTypeRasDialFunc, notifier, &handle);
    insideDial_ = false;
    Scrub(&params, sizeof params);

    dial_->handle = handle;
    if (result != SUCCESS) {
        // A failed start: every handle a dial hands out has to be hung up,
        // even a failed one. RedialPending stays set, so a later tick dials
        // again.
        EndDial();
        if (handle)
            service_.HangUp(handle);
        if (events_)
            events_->DialFailed(kNoDialState, result);
        return;
    }
    ActiveConnection = handle;
    if (events_)
        events_->DialStarted(entry);
    // What the service reported before RasDialA returned, now that the
    // dial's handle is known.
    DeliverReports();
}

void ConnectionControl::HangUpActive()
{
    const HRASCONN handle = std::exchange(ActiveConnection, nullptr);
    if (!handle)
        return;
    // The program's own dial, hung up before its outcome was reported: what
    // its notifier still brings changes nothing.
    if (dial_ && dial_->handle == handle)
        EndDial();
    if (events_)
        events_->HangingUp(handle);
    service_.HangUp(handle);
}

std::string ConnectionControl::ConnectionAddress(HRASCONN handle)
{
    if (!handle)
        return {};
    RASPPPIPA record{};
    record.dwSize = kPppIpSize;
    DWORD byteCount = kPppIpSize;
    if (service_.GetProjectionInfo(handle, RASP_PppIp, &record, &byteCount) != SUCCESS || record.dwError != SUCCESS)
        return {};
    return std::string(FieldText(record.szIpAddress, sizeof record.szIpAddress));
}

std::string ConnectionControl::ErrorText(DWORD error)
{
    char buffer[512] = {};
    if (service_.GetErrorString(error, buffer, sizeof buffer) != SUCCESS)
        return {};
    return std::string(FieldText(buffer, sizeof buffer));
}

void ConnectionControl::DeliverReports()
{
    // Reports that come while RasDialA runs wait until it has returned the
    // dial's handle.
    if (insideDial_)
        return;
    // The loop runs over the reports taken out of the pool: a listener that
    // calls back in (hanging up, dialling anew) leaves it intact, and what
    // remains of a dial that ended meanwhile is skipped.
    for (const DialReport& report : notifiers_.Take(client_)) {
        if (!dial_ || report.dial != dial_->id)
            continue;  // a dial that is over
        DialCallback(report.message, report.state, report.error);
    }
}

void ConnectionControl::DialCallback(UINT /*message*/, RASCONNSTATE state, DWORD error)
{
    if (!dial_)
        return;
    dial_->lastHeard = clock_();
    // The end of the dial: the disconnected state, or an error in any state
    // (the platform stops a dial at its first error).
    if (state == RASCS_Disconnected || error != SUCCESS) {
        HangUpDial();
        if (events_)
            events_->DialFailed(state, error);
    } else if (state == RASCS_Connected) {
        const HRASCONN handle = dial_->handle;
        RedialPending = false;
        EndDial();
        if (events_)
            events_->DialConnected(handle);
    }
}

void ConnectionControl::ExpireStaleDial()
{
    if (dial_ && clock_() - dial_->lastHeard >= kDialTimeout) {
        HangUpDial();
        if (events_)
            events_->DialGivenUp();
    }
}

void ConnectionControl::EndDial()
{
    if (!dial_)
        return;
    notifiers_.Release(client_, dial_->id);
    dial_.reset();
}

void ConnectionControl::HangUpDial()
{
    if (!dial_)
        return;
    const HRASCONN handle = dial_->handle;
    EndDial();
    if (!handle)
        return;
    if (ActiveConnection == handle)
        ActiveConnection = nullptr;
    service_.HangUp(handle);
}

}  // namespace ras
