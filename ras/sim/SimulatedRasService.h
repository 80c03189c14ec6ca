// A simulated remote-access service: a phonebook of named entries, dials
// that connect or fail after a delay and report their progress on a thread
// of the service's own, connections listed once connected, hang-ups. It
// answers the six operations the way the platform does (record sizes,
// buffer sizing, error codes, handles) and records every call, so tests and
// the demo can see exactly what a program passed.
//
// Behaviour worth knowing:
// - Records are accepted in their older forms only: RASENTRYNAME of 264
//   bytes, RASCONN of sizeof(RASCONNA) (412 bytes in 32-bit programs, 416 in
//   64-bit ones), RASDIALPARAMS of 1052 bytes; any other dwSize answers
//   ERROR_INVALID_SIZE and writes nothing.
// - A connection is listed only once its dial has reported RASCS_Connected.
// - A dial writes its handle into the caller's cell before the service's
//   thread can report anything, except with `reportBeforeReturn`, where the
//   outcome is delivered first and the handle written just before RasDialA
//   returns.
// - A dial that fails (at the call, or later with RASCS_Disconnected), and a
//   dial of an entry that does not exist (ERROR_CANNOT_FIND_PHONEBOOK_ENTRY),
//   still hands out a handle, which stays valid until it is hung up: every
//   handle a dial writes has to be hung up, as with the platform.
// - Dialling an entry that is connected already hands out that connection's
//   handle and reports RASCS_Connected at once; dialling an entry whose dial
//   is still in progress answers ERROR_DIAL_ALREADY_IN_PROGRESS and writes
//   no handle.
// - Hanging up a dial in progress cancels it and releases its handle: its
//   reports still due are dropped (one that the report thread has already
//   taken for delivery at that moment still arrives), unless late reports
//   are switched on (SetLateReportDelay): then its outcome report still
//   comes, that long after the hang-up, through the dial's notifier.
//   Nothing is reported after the outcome (RASCS_Connected, or the state a
//   dial fails in).
// - A dial may fail at any state (EntrySetup::FailsAt): the progress states
//   before it are reported, then that state with the error code.
// - With a report lag (SetReportLag), a dial that connects is listed by the
//   enumeration that long before its RASCS_Connected report comes.
// - With a null notifier the dial runs synchronously: RasDialA returns the
//   outcome (0 or the failure's code) once the delay has passed.
// - RasGetProjectionInfoA answers for RASP_PppIp in the 40-byte RASPPPIP
//   form and the 48-byte one (with dwOptions and dwServerOptions, written
//   0): the link's address and the server's (10.64.0.1) once it has
//   connected, ERROR_PROJECTION_NOT_COMPLETE while it dials,
//   ERROR_NO_CONNECTION once it has failed or dropped (until its hang-up).
//   The links negotiate IP only: every other projection of the platform
//   answers ERROR_PROTOCOL_NOT_CONFIGURED, an unknown value
//   ERROR_INVALID_PARAMETER.
// - RasGetErrorStringA has an English text for every code from 600 to 999
//   (a generic one for the codes it has no text of its own for).
// - The destructor stops and joins the report thread; reports still due are
//   dropped and no notifier is called afterwards.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "ras/Ras.h"
#include "ras/RasService.h"
#include "ras/sim/RasCallRecord.h"

namespace ras::sim {

// Intermediate connection states a dial may report before its outcome.
inline constexpr RASCONNSTATE RASCS_OpenPort = 0;
inline constexpr RASCONNSTATE RASCS_ConnectDevice = 2;
inline constexpr RASCONNSTATE RASCS_Authenticate = 5;
inline constexpr RASCONNSTATE RASCS_Authenticated = 14;

// A plausible run of intermediate states, for SetProgressStates.
inline std::vector<RASCONNSTATE> DefaultProgressStates()
{
    return {RASCS_OpenPort, RASCS_ConnectDevice, RASCS_Authenticate, RASCS_Authenticated};
}

// A synchronous dial that was hung up from another thread before it ended.
inline constexpr DWORD ERROR_USER_DISCONNECTION = 631;
// A projection asked of a link that has failed or dropped.
inline constexpr DWORD ERROR_NO_CONNECTION = 668;
// A projection the link did not negotiate (anything but IP here).
inline constexpr DWORD ERROR_PROTOCOL_NOT_CONFIGURED = 731;
// The platform's ERROR_INSUFFICIENT_BUFFER (a text that does not fit),
// named apart from windows.h's macro.
inline constexpr DWORD ERROR_TEXT_BUFFER_TOO_SMALL = 122;

// The platform's other projections: known, but never negotiated here.
inline constexpr RASPROJECTION RASP_Amb = 0x10000;
inline constexpr RASPROJECTION RASP_PppNbf = 0x803F;
inline constexpr RASPROJECTION RASP_PppIpx = 0x802B;
inline constexpr RASPROJECTION RASP_PppIpv6 = 0x8057;
inline constexpr RASPROJECTION RASP_PppCcp = 0x80FD;
inline constexpr RASPROJECTION RASP_PppLcp = 0xC021;
inline constexpr RASPROJECTION RASP_Slip = 0x20000;

// The server's side of every simulated link.
inline constexpr const char* kServerAddress = "10.64.0.1";

// The second form of RASPPPIP, with the option fields: 48 bytes.
#pragma pack(push, 4)
struct RASPPPIPOPTIONSA {
    DWORD dwSize;
    DWORD dwError;
    char szIpAddress[RAS_MaxIpAddress + 1];
    char szServerIpAddress[RAS_MaxIpAddress + 1];
    DWORD dwOptions;
    DWORD dwServerOptions;
};
#pragma pack(pop)
inline constexpr DWORD kPppIpOptionsSize = 48;
static_assert(sizeof(RASPPPIPOPTIONSA) == kPppIpOptionsSize);

// The service's text for an error code: a text of its own for the codes it
// gives out and the account errors, "Remote access error <N>." for any
// other code from 600 to 999, nothing outside that range.
std::optional<std::string> SimErrorText(DWORD error);

// True for a dotted IPv4 address: four numbers of 0 to 255, one to three
// digits each.
bool IsDottedAddress(const std::string& text);

enum class DialOutcome {
    Connect,     // reports RASCS_Connected after the delay
    FailLater,   // reports `failState` (RASCS_Disconnected unless set) with `error` after the delay
    FailAtCall,  // RasDialA returns `error` at once (a handle is written); nothing is reported
};

// How dials of one phonebook entry behave.
struct EntrySetup {
    DialOutcome outcome = DialOutcome::Connect;
    DWORD error = SUCCESS;  // the failure's code
    // The outcome is reported on the service's thread before RasDialA
    // returns (RasDialA waits for it: the delay and at most
    // kReportBeforeReturnWait more).
    bool reportBeforeReturn = false;
    // FailLater: the state reported with the error. The progress states that
    // come before it in the service's list are reported first.
    RASCONNSTATE failState = RASCS_Disconnected;

    static EntrySetup Connects() { return {}; }
    static EntrySetup FailsLater(DWORD code) { return {DialOutcome::FailLater, code, false}; }
    static EntrySetup FailsAt(RASCONNSTATE state, DWORD code) { return {DialOutcome::FailLater, code, false, state}; }
    static EntrySetup FailsAtCall(DWORD code) { return {DialOutcome::FailAtCall, code, false}; }
};

// One handle the service has handed out and that has not been hung up.
enum class LinkStage {
    Dialling,   // the dial has not reported its outcome
    Connected,  // listed by the enumeration
    Ended,      // failed or dropped; waits for its hang-up
};

struct SimConnection {
    HRASCONN handle = nullptr;
    std::string entry;
    LinkStage stage = LinkStage::Dialling;
    std::string address;  // set once connected
};

class SimulatedRasService final : public RasService {
public:
    using Logger = std::function<void(const std::string& line)>;
    using CallPredicate = std::function<bool(const std::vector<RasCallRecord>&)>;

    static constexpr std::chrono::milliseconds kDefaultDialDelay{1500};
    static constexpr std::chrono::seconds kReportBeforeReturnWait{5};
    static constexpr const char* kDefaultDeviceType = "PPPoE";
    static constexpr const char* kDefaultDeviceName = "WAN Miniport (PPPOE)";

    SimulatedRasService();
    ~SimulatedRasService() override;
    SimulatedRasService(const SimulatedRasService&) = delete;
    SimulatedRasService& operator=(const SimulatedRasService&) = delete;

    // --- Configuration -----------------------------------------------------
    // Adds a phonebook entry, listed after the ones before it. Names are
    // bytes (1 to 256 of them, no NUL); std::invalid_argument otherwise, or
    // when an entry of that name exists.
    void AddEntry(const std::string& name, EntrySetup setup = {});
    // Changes how later dials of an existing entry behave.
    void SetEntrySetup(const std::string& name, EntrySetup setup);
    // A connection that exists before the program looks: listed at once,
    // with a handle of its own. Adds the entry when it is missing.
    HRASCONN ConnectEntry(const std::string& name);
    // The line drops: the entry's connection is no longer listed; its handle
    // stays valid until hung up. False when the entry has no connection.
    bool DropConnection(const std::string& name);
    // Time from RasDialA to the outcome report.
    void SetDialDelay(std::chrono::milliseconds delay);
    // States reported, evenly spread over the delay, before the outcome
    // (RASCS_OpenPort and so on). None by default.
    void SetProgressStates(std::vector<RASCONNSTATE> states);
    // A dial hung up before its outcome was reported still reports that
    // outcome, `delay` after the hang-up (as the platform may, from a report
    // already on its way). Nothing: such reports are dropped (the default).
    void SetLateReportDelay(std::optional<std::chrono::milliseconds> delay);
    // A connecting dial is listed this long before its RASCS_Connected
    // report is delivered (0 by default).
    void SetReportLag(std::chrono::milliseconds lag);
    // On (the default): every connection gets a new address, 10.64.x.y.
    // Off: an entry's connection gets the address its last one had (a new
    // one for its first).
    void SetFreshAddress(bool fresh);
    // The entry's next connections take these addresses, in order; once
    // they are used up the rule above applies again. std::invalid_argument
    // for an unknown entry or an address that is not dotted IPv4.
    void SetAddressSequence(const std::string& entry, std::vector<std::string> addresses);
    void SetDevice(std::string type, std::string name);
    // Called with one line for each call and report, time stamp first.
    void SetLogger(Logger logger);

    // --- The remote-access operations ---------------------------------------
    DWORD EnumEntries(const char* reserved, const char* phonebook, RASENTRYNAMEA* entries, DWORD* byteCount,
                      DWORD* entryCount) override;
    DWORD EnumConnections(RASCONNA* connections, DWORD* byteCount, DWORD* connectionCount) override;
    DWORD Dial(void* extensions, const char* phonebook, RASDIALPARAMSA* params, DWORD notifierType,
               RASDIALFUNC notifier, HRASCONN* handle) override;
    DWORD HangUp(HRASCONN handle) override;
    DWORD GetProjectionInfo(HRASCONN handle, RASPROJECTION projection, void* record, DWORD* byteCount) override;
    DWORD GetErrorString(UINT error, char* buffer, DWORD bufferSize) override;

    // --- What happened (thread-safe copies) ---------------------------------
    std::vector<RasCallRecord> Calls() const;
    void ClearCalls();
    // Waits until `done` holds for the record of calls, or the time is up.
    bool WaitForCalls(const CallPredicate& done, std::chrono::milliseconds timeout) const;
    // Every handle handed out and not yet hung up, in the order handed out.
    std::vector<SimConnection> Links() const;

private:
    using Clock = std::chrono::steady_clock;

    struct Entry {
        std::string name;
        EntrySetup setup;
        std::string keptAddress;                    // with fresh addresses off
        std::deque<std::string> scriptedAddresses;  // taken before either rule
    };

    struct Link {
        std::string entry;
        LinkStage stage = LinkStage::Dialling;
        std::string address;
        std::uint64_t listOrder = 0;    // order of connecting, for the enumeration
        bool outcomeDelivered = false;  // the outcome report has been delivered
    };

    struct PendingReport {
        PendingReport(std::uintptr_t handle, RASDIALFUNC notifier, RASCONNSTATE state, DWORD error,
                      Clock::time_point due, bool outcome = false)
            : handle(handle),
              notifier(notifier),
              state(state),
              error(error),
              due(due),
              outcome(outcome)
        {
        }

        std::uintptr_t handle = 0;
        RASDIALFUNC notifier = nullptr;  // null: a synchronous dial, nothing to call
        RASCONNSTATE state = 0;
        DWORD error = SUCCESS;
        Clock::time_point due{};
        bool outcome = false;      // the last report of the dial: settles its stage
        bool listOnly = false;     // no report: the connection is listed from now on
        bool afterHangUp = false;  // delivered although the dial was hung up
        std::string entry;
    };

    Entry* FindEntry(const std::string& name);                                       // letters a-z match A-Z
    std::uintptr_t FindLinkOfEntry(const std::string& name, LinkStage stage) const;  // 0: none
    HRASCONN NewLink(const std::string& entry, LinkStage stage);
    void Connect(Link& link);
    std::string NextAddress(Entry* entry);
    void Record(RasCallRecord record);
    void ReportLoop();

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;  // the log grew, a link changed, reports were queued
    std::vector<Entry> entries_;
    std::map<std::uintptr_t, Link> links_;
    std::vector<PendingReport> reports_;
    std::vector<RasCallRecord> calls_;
    std::uint64_t nextSequence_ = 1;
    std::uint64_t nextListOrder_ = 1;
    std::uintptr_t nextHandle_ = 0x5A000;
    std::uint32_t nextAddress_ = 0;
    std::chrono::milliseconds dialDelay_ = kDefaultDialDelay;
    std::vector<RASCONNSTATE> progressStates_;
    std::optional<std::chrono::milliseconds> lateReportDelay_;
    std::chrono::milliseconds reportLag_{0};
    bool freshAddress_ = true;
    std::string deviceType_ = kDefaultDeviceType;
    std::string deviceName_ = kDefaultDeviceName;
    bool stopping_ = false;

    std::mutex loggerMutex_;
    Logger logger_;

    std::thread reporter_;  // last: started once everything above exists
};

}  // namespace ras::sim
