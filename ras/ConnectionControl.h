// Connection control: looking up an entry's active connection, dialling it
// asynchronously, hanging up, and acting on the service's dial-progress
// reports.
//
// Everything here runs on the program's (user-interface) thread. The
// service calls a dial's notifier on a thread of its own; the notifier only
// queues the report (see DialNotifiers.h) and wakes this thread, which then
// calls DeliverReports. Every operation delivers what has arrived before it
// looks at the dial, so ActiveConnection and RedialPending are plain values
// that only this thread reads and writes.
//
// Each dial has its own notifier, so a report always concerns the dial
// that made it; a report of a dial that is over changes nothing.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ras/DialNotifiers.h"
#include "ras/Ras.h"
#include "ras/RasService.h"

namespace ras {

// The state passed with a dial that failed before it reported any state
// (RasDialA itself refused it).
inline constexpr RASCONNSTATE kNoDialState = -1;

// What connection control tells the rest of the program about its dials and
// hang-ups. Called on the program's thread, after connection control's own
// values have changed; a listener may call connection control back.
class ConnectionEvents {
public:
    virtual ~ConnectionEvents() = default;

    // RasDialA accepted a dial of the entry.
    virtual void DialStarted(const std::string& entry) = 0;
    // The program's dial reported RASCS_Connected; `handle` is its connection.
    virtual void DialConnected(HRASCONN handle) = 0;
    // The dial failed: at `state` (kNoDialState when RasDialA refused it)
    // with `error`. Its handle has been hung up.
    virtual void DialFailed(RASCONNSTATE state, DWORD error) = 0;
    // The dial reported nothing for kDialTimeout and has been hung up.
    virtual void DialGivenUp() = 0;
    // The program is about to hang `handle` up (HangUpActive); the
    // connection can still be asked for its address.
    virtual void HangingUp(HRASCONN handle) = 0;
};

class ConnectionControl {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    using ReportWake = DialNotifierPool::Wake;

    // A dial that reports nothing for this long is hung up and counts as
    // failed; the time counts from its last report (or its start).
    static constexpr std::chrono::seconds kDialTimeout{120};
    // The table starts with room for 11 connections and grows when the
    // service asks for more.
    static constexpr std::size_t kInitialConnections = 11;

    explicit ConnectionControl(RasService& service, Clock clock = std::chrono::steady_clock::now);
    // Reports that arrive afterwards are dropped; a dial in progress is left
    // to the service.
    ~ConnectionControl();
    ConnectionControl(const ConnectionControl&) = delete;
    ConnectionControl& operator=(const ConnectionControl&) = delete;

    // Called on the service's thread when a report has arrived and waits for
    // DeliverReports (posting a message to the window, say). Safe to call
    // from any thread; after it returns the previous wake is never called.
    void SetReportWake(ReportWake wake);

    void RefreshConnections();
    HRASCONN FindConnection(const std::string& entry);
    bool IsEntryConnected(const std::string& entry);
    void DialEntry(const std::string& entry, const std::string& account, const std::string& password);
    void HangUpActive();

    // The IPv4 address of a connection (RasGetProjectionInfoA with
    // RASP_PppIp); empty when the service has none for it (yet).
    std::string ConnectionAddress(HRASCONN handle);
    // The platform's text for an error code (RasGetErrorStringA); empty
    // when it has none.
    std::string ErrorText(DWORD error);

    // The one listener of dial outcomes and hang-ups; null for none. It
    // must outlive its registration.
    void SetEvents(ConnectionEvents* events) { events_ = events; }

    // Acts on every report that has arrived for the dial in progress.
    void DeliverReports();
    // One report of the dial in progress: connected clears RedialPending;
    // the disconnected state, or an error in any state, hangs the dial's
    // own handle up. The dial is over after either.
    void DialCallback(UINT message, RASCONNSTATE state, DWORD error);

    // True while a dial that the program started has not reported its
    // outcome, been hung up or been given up.
    bool DialInProgress() const { return dial_.has_value(); }

    HRASCONN ActiveConnection = nullptr;
    bool RedialPending = false;
    std::vector<RASCONNA> ConnectionTable;
    DWORD ConnectionCount = 0;

private:
    struct Dial {
        std::uint64_t id = 0;
        HRASCONN handle = nullptr;  // known once RasDialA has returned
        std::chrono::steady_clock::time_point lastHeard{};
    };

    // Gives the dial up when it has been silent for too long.
    void ExpireStaleDial();
    // The dial is over: its notifier goes back to the pool.
    void EndDial();
    // Ends the dial and hangs its own handle up; ActiveConnection is cleared
    // only when it holds that handle.
    void HangUpDial();

    RasService& service_;
    Clock clock_;
    DialNotifierPool& notifiers_;
    const std::uint64_t client_;
    std::uint64_t lastDialId_ = 0;
    bool insideDial_ = false;  // RasDialA has not returned yet
    std::optional<Dial> dial_;
    ConnectionEvents* events_ = nullptr;
};

}  // namespace ras
