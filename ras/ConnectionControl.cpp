#include "ras/ConnectionControl.h"

#include "ras/FieldText.h"

#include <algorithm>
#include <cstring>

namespace ras {
namespace {

std::atomic<ConnectionControl*> g_callbackTarget{nullptr};

// The most connections the table is ever grown to, whatever the service
// asks for: a guard against a nonsensical byte count.
constexpr std::size_t kMaxConnections = 4096;

// Copies text into a fixed field of `size` bytes; the caller has checked
// that it fits with its terminator. The field was zeroed beforehand.
template <std::size_t N>
void CopyField(char (&field)[N], const std::string& text) {
    std::memcpy(field, text.data(), std::min(text.size(), N - 1));
}

// Clears a record that held a password before it goes out of scope.
void Scrub(void* data, std::size_t size) {
    volatile unsigned char* bytes = static_cast<volatile unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = 0;
}

unsigned char FoldAsciiLetter(unsigned char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

bool NamesEqual(const char* a, std::size_t aLength, const char* b, std::size_t bLength) {
    if (aLength != bLength) return false;
    for (std::size_t i = 0; i < aLength; ++i) {
        if (FoldAsciiLetter(static_cast<unsigned char>(a[i])) !=
            FoldAsciiLetter(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

}  // namespace

bool EntryNamesEqual(const char* a, const char* b) {
    return NamesEqual(a, std::strlen(a), b, std::strlen(b));
}

void SetDialCallbackTarget(ConnectionControl* target) { g_callbackTarget.store(target); }

void RASAPI_CALL DialCallback(UINT /*message*/, RASCONNSTATE state, DWORD error) {
    if (ConnectionControl* target = g_callbackTarget.load()) target->OnDialProgress(state, error);
}

ConnectionControl::ConnectionControl(RasService& service, Clock clock)
    : ConnectionTable(kInitialConnections), service_(service), clock_(std::move(clock)) {}

ConnectionControl::~ConnectionControl() {
    ConnectionControl* self = this;
    g_callbackTarget.compare_exchange_strong(self, nullptr);
}

void ConnectionControl::RefreshConnections() {
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
        if (result != ERROR_BUFFER_TOO_SMALL) break;
        const std::size_t wanted = std::max<std::size_t>(
            count, (byteCount + sizeof(RASCONNA) - 1) / sizeof(RASCONNA));
        if (wanted <= ConnectionTable.size() || wanted > kMaxConnections) break;
        ConnectionTable.resize(wanted);
    }
    ConnectionCount = 0;
}

HRASCONN ConnectionControl::FindConnection(const std::string& entry) {
    RefreshConnections();
    const std::size_t entryLength = std::strlen(entry.c_str());
    for (DWORD i = 0; i < ConnectionCount; ++i) {
        const RASCONNA& record = ConnectionTable[i];
        const std::string_view name = FieldText(record.szEntryName, sizeof record.szEntryName);
        if (NamesEqual(entry.c_str(), entryLength, name.data(), name.size()))
            return record.hrasconn;
    }
    return nullptr;
}

bool ConnectionControl::IsEntryConnected(const std::string& entry) {
    ExpireStaleDial();
    const HRASCONN found = FindConnection(entry);
    ActiveConnection.store(found);
    return found != nullptr;
}

void ConnectionControl::DialEntry(const std::string& entry, const std::string& account,
                                  const std::string& password) {
    ExpireStaleDial();
    const HRASCONN found = FindConnection(entry);
    ActiveConnection.store(found);
    if (found) return;

    // Texts that do not fit their fields make no dial: a cut account name or
    // password could only fail, and might count against the account at the
    // provider.
    if (entry.size() > RAS_MaxEntryName || account.size() > UNLEN || password.size() > PWLEN) return;

    {
        std::lock_guard lock(dialMutex_);
        // The platform lists a connection only once it has connected, so a
        // dial still in progress is not found above; it must not be doubled.
        if (DialOngoing()) return;
        dial_ = PendingDial{};
        dial_.active = true;
        dial_.started = clock_();
    }

    RASDIALPARAMSA params{};
    params.dwSize = sizeof(RASDIALPARAMSA);
    CopyField(params.szEntryName, entry);
    CopyField(params.szUserName, account);
    CopyField(params.szPassword, password);
    CopyField(params.szCallbackNumber, std::string("*"));
    CopyField(params.szDomain, std::string("*"));

    HRASCONN handle = nullptr;
    const DWORD result =
        service_.Dial(nullptr, nullptr, &params, kNotifierTypeRasDialFunc, &DialCallback, &handle);
    Scrub(&params, sizeof params);

    HRASCONN toHangUp = nullptr;
    {
        std::lock_guard lock(dialMutex_);
        dial_.returned = true;
        dial_.handle = handle;
        if (result != SUCCESS || dial_.outcome == DialOutcome::Ended) {
            // A failed start, or an end reported before RasDialA returned:
            // every handle a dial hands out has to be hung up, even a failed
            // one. RedialPending stays set, so a later tick dials again.
            dial_.active = false;
            toHangUp = handle;
        } else {
            if (dial_.outcome == DialOutcome::Connected) dial_.active = false;
            ActiveConnection.store(handle);
        }
    }
    if (toHangUp) service_.HangUp(toHangUp);
}

void ConnectionControl::HangUpActive() {
    const HRASCONN handle = ActiveConnection.exchange(nullptr);
    if (!handle) return;
    {
        // The program's own dial, hung up before its outcome was reported:
        // a report already on its way still belongs to it.
        std::lock_guard lock(dialMutex_);
        if (dial_.active && dial_.returned && dial_.handle == handle) {
            dial_.hungUp = true;
            dial_.hungUpAt = clock_();
        }
    }
    service_.HangUp(handle);
}

void ConnectionControl::OnDialProgress(RASCONNSTATE state, DWORD error) {
    if (state == RASCS_Connected || state == RASCS_Disconnected || error != SUCCESS) {
        // The outcome of a dial the program has hung up already: it ends
        // that dial and changes nothing else.
        std::lock_guard lock(dialMutex_);
        if (dial_.active && dial_.hungUp) {
            dial_.active = false;
            return;
        }
    }
    if (state == RASCS_Connected) {
        RedialPending.store(false);
        std::lock_guard lock(dialMutex_);
        if (dial_.active) {
            if (dial_.returned) dial_.active = false;
            else dial_.outcome = DialOutcome::Connected;
        }
        return;
    }
    // The end of the dial: the disconnected state, or an error in any state
    // (the platform stops a dial at its first error).
    if (state != RASCS_Disconnected && error == SUCCESS) return;
    HRASCONN toHangUp = nullptr;
    {
        std::lock_guard lock(dialMutex_);
        if (!dial_.active) return;  // not a dial of ours: nothing to hang up
        if (!dial_.returned) {
            dial_.outcome = DialOutcome::Ended;  // DialEntry hangs up once it has the handle
            return;
        }
        dial_.active = false;
        toHangUp = dial_.handle;
        HRASCONN expected = toHangUp;
        ActiveConnection.compare_exchange_strong(expected, nullptr);
    }
    if (toHangUp) service_.HangUp(toHangUp);
}

bool ConnectionControl::DialInProgress() {
    std::lock_guard lock(dialMutex_);
    return DialOngoing();
}

bool ConnectionControl::DialOngoing() const {
    // A dial hung up before its outcome is over once no late report is due.
    return dial_.active && !(dial_.hungUp && clock_() - dial_.hungUpAt >= kLateReportWindow);
}

void ConnectionControl::ExpireStaleDial() {
    HRASCONN toHangUp = nullptr;
    {
        std::lock_guard lock(dialMutex_);
        if (!dial_.active || !dial_.returned) return;
        if (dial_.hungUp) {
            // Hung up already; once no late report is to be expected, it is over.
            dial_.active = DialOngoing();
            return;
        }
        if (clock_() - dial_.started < kDialTimeout) return;
        // No report for too long: give the dial up as failed.
        dial_.active = false;
        toHangUp = dial_.handle;
        HRASCONN expected = toHangUp;
        ActiveConnection.compare_exchange_strong(expected, nullptr);
    }
    if (toHangUp) service_.HangUp(toHangUp);
}

}  // namespace ras
