// Connection control: looking up an entry's active connection, dialling it
// asynchronously, hanging up, and receiving the service's dial-progress
// reports.
//
// Two values are shared with the service's callback thread:
// ActiveConnection (the connection found or dialled last) and RedialPending
// (a re-dial is owed). Both are atomics. The dial that the program started
// is tracked on its own, under a mutex, so that its handle is the one hung
// up when it reports the end, whatever ActiveConnection holds by then, and
// so that no second dial starts while it has not reported its outcome.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "ras/Ras.h"
#include "ras/RasService.h"

namespace ras {

class ConnectionControl {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // A dial that reports nothing for this long is hung up and counts as
    // failed.
    static constexpr std::chrono::seconds kDialTimeout{120};
    // A dial hung up before its outcome was reported may still report it
    // (the report carries no handle): for this long such a report is taken
    // as that dial's, and no new dial starts.
    static constexpr std::chrono::seconds kLateReportWindow{3};
    // The table starts with room for 11 connections and grows when the
    // service asks for more.
    static constexpr std::size_t kInitialConnections = 11;

    explicit ConnectionControl(RasService& service, Clock clock = std::chrono::steady_clock::now);
    ~ConnectionControl();
    ConnectionControl(const ConnectionControl&) = delete;
    ConnectionControl& operator=(const ConnectionControl&) = delete;

    void RefreshConnections();
    HRASCONN FindConnection(const std::string& entry);
    bool IsEntryConnected(const std::string& entry);
    void DialEntry(const std::string& entry, const std::string& account, const std::string& password);
    void HangUpActive();

    // The dial-progress report, called on the service's thread.
    void OnDialProgress(RASCONNSTATE state, DWORD error);

    // True while a dial that the program started has not reported its
    // outcome (connected, ended, or timed out).
    bool DialInProgress();

    std::atomic<HRASCONN> ActiveConnection{nullptr};
    std::atomic<bool> RedialPending{false};
    std::vector<RASCONNA> ConnectionTable;
    DWORD ConnectionCount = 0;

private:
    // What the service reported before RasDialA returned.
    enum class DialOutcome { None, Connected, Ended };

    struct PendingDial {
        bool active = false;    // a dial was started and has not reported its outcome
        bool returned = false;  // RasDialA has returned and `handle` is known
        DialOutcome outcome = DialOutcome::None;
        HRASCONN handle = nullptr;
        std::chrono::steady_clock::time_point started{};
        bool hungUp = false;  // the program hung it up before its outcome came
        std::chrono::steady_clock::time_point hungUpAt{};
    };

    void ExpireStaleDial();
    // Whether dial_ still counts as in progress; dialMutex_ is held.
    bool DialOngoing() const;

    RasService& service_;
    Clock clock_;
    std::mutex dialMutex_;
    PendingDial dial_;
};

// The process-wide connection control that DialCallback reports to. The
// application sets it once at start-up; tests set their own.
void SetDialCallbackTarget(ConnectionControl* target);

// The RasDialFunc handed to RasDialA.
void RASAPI_CALL DialCallback(UINT message, RASCONNSTATE state, DWORD error);

// Case-insensitive for the letters a to z only; every other byte exact.
bool EntryNamesEqual(const char* a, const char* b);

}  // namespace ras
