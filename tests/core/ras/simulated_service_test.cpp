#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
#include <regex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "ras/sim/RasCallText.h"
#include "ras/sim/SimConfigFile.h"
#include "ras/sim/SimulatedRasService.h"

namespace ras::sim {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;

constexpr auto kWait = 5s;  // upper bound of every condition wait

// The dial notifier is a plain function, so what it receives is kept here.
struct Notified {
    struct Report {
        UINT message;
        RASCONNSTATE state;
        DWORD error;
    };
    std::mutex mutex;
    std::vector<Report> reports;
    std::function<void(const Report&)> hook;  // runs inside the notifier

    void Reset()
    {
        std::lock_guard lock(mutex);
        reports.clear();
        hook = nullptr;
    }
    std::vector<Report> Copy()
    {
        std::lock_guard lock(mutex);
        return reports;
    }
};
Notified g_notified;

void RASAPI_CALL Notifier(UINT message, RASCONNSTATE state, DWORD error)
{
    std::function<void(const Notified::Report&)> hook;
    {
        std::lock_guard lock(g_notified.mutex);
        g_notified.reports.push_back({message, state, error});
        hook = g_notified.hook;
    }
    if (hook)
        hook({message, state, error});
}

// RASCONN's handle is not naturally aligned (4-byte packing): read it by value.
HRASCONN HandleOf(const RASCONNA& record)
{
    return record.hrasconn;
}

HRASCONN Sentinel()
{
    return reinterpret_cast<HRASCONN>(std::uintptr_t{0xDEAD0});
}

RASDIALPARAMSA Params(const std::string& entry, const std::string& user = "user", const std::string& password = "pw")
{
    RASDIALPARAMSA params{};
    params.dwSize = kDialParamsSize;
    std::memcpy(params.szEntryName, entry.data(), entry.size());
    std::memcpy(params.szUserName, user.data(), user.size());
    std::memcpy(params.szPassword, password.data(), password.size());
    std::strcpy(params.szCallbackNumber, "*");
    std::strcpy(params.szDomain, "*");
    return params;
}

class SimulatedServiceTest : public ::testing::Test {
protected:
    SimulatedServiceTest()
    {
        g_notified.Reset();
        service.SetDialDelay(5ms);
    }

    DWORD Dial(const std::string& entry, HRASCONN& handle, RASDIALFUNC notifier = &Notifier)
    {
        RASDIALPARAMSA params = Params(entry);
        return service.Dial(nullptr, nullptr, &params, kNotifierTypeRasDialFunc, notifier, &handle);
    }

    // The connections listed, from an 11-record table.
    std::vector<RASCONNA> Listed()
    {
        std::vector<RASCONNA> table(11);
        table[0].dwSize = kConnSize;
        DWORD bytes = static_cast<DWORD>(table.size() * sizeof(RASCONNA));
        DWORD count = 0;
        EXPECT_EQ(service.EnumConnections(table.data(), &bytes, &count), SUCCESS);
        table.resize(count);
        return table;
    }

    bool WaitForReport(HRASCONN handle, RASCONNSTATE state)
    {
        return service.WaitForCalls(
            [&](const std::vector<RasCallRecord>& calls) {
                return std::any_of(calls.begin(), calls.end(), [&](const RasCallRecord& r) {
                    return r.kind == RasCallKind::Report && r.handle == handle && r.state == state;
                });
            },
            kWait);
    }

    std::vector<RasCallRecord> CallsOf(RasCallKind kind)
    {
        std::vector<RasCallRecord> found;
        for (const RasCallRecord& r : service.Calls())
            if (r.kind == kind)
                found.push_back(r);
        return found;
    }

    SimulatedRasService service;
};

TEST_F(SimulatedServiceTest, AcceptsOnlyTheOlderRecordSizes)
{
    service.AddEntry("Alpha");
    const DWORD otherConnSize = kConnSize == 416 ? 412 : 416;
    struct Case {
        DWORD entrySize, connSize, dialSize, expected;
    };
    for (const Case c :
         {Case{kEntryNameSize, kConnSize, kDialParamsSize, SUCCESS}, Case{263, otherConnSize, 1051, ERROR_INVALID_SIZE},
          Case{532, 0, 1056, ERROR_INVALID_SIZE}, Case{0, 1000, 0, ERROR_INVALID_SIZE}}) {
        SCOPED_TRACE(c.entrySize);
        std::vector<RASENTRYNAMEA> entries(4);
        entries[0].dwSize = c.entrySize;
        DWORD bytes = 4 * kEntryNameSize, count = 0;
        EXPECT_EQ(service.EnumEntries(nullptr, nullptr, entries.data(), &bytes, &count), c.expected);

        std::vector<RASCONNA> connections(4);
        connections[0].dwSize = c.connSize;
        bytes = 4 * sizeof(RASCONNA);
        EXPECT_EQ(service.EnumConnections(connections.data(), &bytes, &count), c.expected);

        RASDIALPARAMSA params = Params("Alpha");
        params.dwSize = c.dialSize;
        HRASCONN handle = Sentinel();
        EXPECT_EQ(service.Dial(nullptr, nullptr, &params, 0, &Notifier, &handle), c.expected);
        if (c.expected == SUCCESS) {
            EXPECT_NE(handle, Sentinel());
            EXPECT_EQ(service.HangUp(handle), SUCCESS);
        } else {
            EXPECT_EQ(handle, Sentinel()) << "no handle for a record it does not know";
        }
    }
}

TEST_F(SimulatedServiceTest, EntryNamesPassThroughAndATooSmallBufferGetsTheNeededSize)
{
    const std::string longest(256, 'L');
    const std::string multiByte = "\xB2\xA6\xBA\xC5 ADSL";  // GB2312 bytes
    const std::string withComma = "a,b";
    for (const auto& name : {longest, multiByte, withComma})
        service.AddEntry(name);

    std::vector<RASENTRYNAMEA> entries(16);
    entries[0].dwSize = kEntryNameSize;
    DWORD bytes = 2 * kEntryNameSize, count = 0;
    EXPECT_EQ(service.EnumEntries(nullptr, nullptr, entries.data(), &bytes, &count), ERROR_BUFFER_TOO_SMALL);
    EXPECT_EQ(bytes, 3 * kEntryNameSize);
    EXPECT_EQ(count, 3u);

    bytes = 16 * kEntryNameSize;
    count = 0;
    ASSERT_EQ(service.EnumEntries(nullptr, nullptr, entries.data(), &bytes, &count), SUCCESS);
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(bytes, 3 * kEntryNameSize);
    EXPECT_EQ(std::string(entries[0].szEntryName), longest);
    EXPECT_EQ(std::string(entries[1].szEntryName), multiByte);
    EXPECT_EQ(std::string(entries[2].szEntryName), withComma);
    EXPECT_EQ(entries[2].dwSize, kEntryNameSize);

    // The sizing call: no buffer, a byte count of 0.
    bytes = 0;
    EXPECT_EQ(service.EnumEntries(nullptr, nullptr, nullptr, &bytes, &count), ERROR_BUFFER_TOO_SMALL);
    EXPECT_EQ(bytes, 3 * kEntryNameSize);

    EXPECT_THROW(service.AddEntry(std::string(257, 'x')), std::invalid_argument);
    EXPECT_THROW(service.AddEntry("A,B"), std::invalid_argument) << "same name but for the case of a to z";
}

TEST_F(SimulatedServiceTest, ConnectionsFillTheirRecordsAndATooSmallBufferGetsTheNeededSize)
{
    const HRASCONN first = service.ConnectEntry("First");
    const HRASCONN second = service.ConnectEntry("Second");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);

    std::vector<RASCONNA> table(2);
    table[0].dwSize = kConnSize;
    DWORD bytes = kConnSize, count = 0;
    EXPECT_EQ(service.EnumConnections(table.data(), &bytes, &count), ERROR_BUFFER_TOO_SMALL);
    EXPECT_EQ(bytes, 2 * kConnSize);
    EXPECT_EQ(count, 2u);

    const std::vector<RASCONNA> listed = Listed();
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(HandleOf(listed[0]), first);
    EXPECT_EQ(std::string(listed[0].szEntryName), "First");
    EXPECT_EQ(HandleOf(listed[1]), second);
    EXPECT_EQ(std::string(listed[1].szDeviceType), SimulatedRasService::kDefaultDeviceType);
    EXPECT_EQ(std::string(listed[1].szDeviceName), SimulatedRasService::kDefaultDeviceName);
    EXPECT_EQ(listed[1].dwSize, kConnSize);
}

TEST_F(SimulatedServiceTest, ListsAConnectionOnlyOnceItsDialHasConnected)
{
    service.AddEntry("Alpha");
    service.SetDialDelay(100ms);
    service.SetProgressStates({RASCS_OpenPort});
    HRASCONN handle = nullptr;
    ASSERT_EQ(Dial("Alpha", handle), SUCCESS);
    ASSERT_NE(handle, nullptr);
    EXPECT_TRUE(Listed().empty());

    ASSERT_TRUE(WaitForReport(handle, RASCS_Connected));
    const std::vector<RASCONNA> listed = Listed();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(HandleOf(listed[0]), handle);

    const auto reports = g_notified.Copy();
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].message, WM_RASDIALEVENT);
    EXPECT_EQ(reports[0].state, RASCS_OpenPort);
    EXPECT_EQ(reports[1].message, WM_RASDIALEVENT);
    EXPECT_EQ(reports[1].state, RASCS_Connected);
    EXPECT_EQ(reports[1].error, SUCCESS);
}

TEST_F(SimulatedServiceTest, ASecondDialWhileTheFirstIsInProgressIsRefused)
{
    service.AddEntry("Alpha");
    service.SetDialDelay(100ms);
    HRASCONN first = nullptr;
    ASSERT_EQ(Dial("Alpha", first), SUCCESS);
    HRASCONN second = Sentinel();
    EXPECT_EQ(Dial("ALPHA", second), ERROR_DIAL_ALREADY_IN_PROGRESS);
    EXPECT_EQ(second, Sentinel()) << "no handle written";

    // Once connected, a dial of the entry hands out the same connection.
    ASSERT_TRUE(WaitForReport(first, RASCS_Connected));
    HRASCONN again = nullptr;
    EXPECT_EQ(Dial("Alpha", again), SUCCESS);
    EXPECT_EQ(again, first);
    EXPECT_EQ(Listed().size(), 1u);
}

TEST_F(SimulatedServiceTest, FailedDialsHandOutAHandleThatMustBeHungUp)
{
    service.AddEntry("Refused", EntrySetup::FailsAtCall(ERROR_AUTHENTICATION_FAILURE));
    service.AddEntry("NoAnswer", EntrySetup::FailsLater(ERROR_NO_ANSWER));
    service.AddEntry("Good");

    HRASCONN missing = nullptr;
    EXPECT_EQ(Dial("Nowhere", missing), ERROR_CANNOT_FIND_PHONEBOOK_ENTRY);
    HRASCONN refused = nullptr;
    EXPECT_EQ(Dial("Refused", refused), ERROR_AUTHENTICATION_FAILURE);
    HRASCONN noAnswer = nullptr;
    EXPECT_EQ(Dial("NoAnswer", noAnswer), SUCCESS);
    ASSERT_TRUE(WaitForReport(noAnswer, RASCS_Disconnected));
    HRASCONN good = nullptr;
    EXPECT_EQ(Dial("Good", good), SUCCESS);
    ASSERT_TRUE(WaitForReport(good, RASCS_Connected));

    for (const HRASCONN handle : {missing, refused, noAnswer})
        EXPECT_NE(handle, nullptr);
    const auto reports = CallsOf(RasCallKind::Report);
    ASSERT_EQ(reports.size(), 2u) << "the failures at the call report nothing";
    EXPECT_EQ(reports[0].handle, noAnswer);
    EXPECT_EQ(reports[0].error, ERROR_NO_ANSWER);
    ASSERT_EQ(Listed().size(), 1u);
    EXPECT_EQ(HandleOf(Listed()[0]), good);

    for (const HRASCONN handle : {missing, refused, noAnswer}) {
        EXPECT_EQ(service.HangUp(handle), SUCCESS);
        EXPECT_EQ(service.HangUp(handle), ERROR_BAD_HANDLE);
    }
}

TEST_F(SimulatedServiceTest, TheNotifierMayHangUpFromTheReportThread)
{
    service.AddEntry("NoAnswer", EntrySetup::FailsLater(ERROR_NO_ANSWER));
    service.SetDialDelay(50ms);
    std::atomic<HRASCONN> dialled{nullptr};
    std::atomic<DWORD> hangUpResult{0xFFFF};
    g_notified.hook = [&](const Notified::Report& report) {
        if (report.state == RASCS_Disconnected)
            hangUpResult = service.HangUp(dialled.load());
    };
    HRASCONN handle = nullptr;
    ASSERT_EQ(Dial("NoAnswer", handle), SUCCESS);
    dialled = handle;
    ASSERT_TRUE(WaitForReport(handle, RASCS_Disconnected));
    EXPECT_EQ(hangUpResult.load(), SUCCESS);
    EXPECT_TRUE(service.Links().empty());
}

TEST_F(SimulatedServiceTest, CanReportTheEndBeforeRasDialReturns)
{
    EntrySetup setup = EntrySetup::FailsLater(ERROR_AUTHENTICATION_FAILURE);
    setup.reportBeforeReturn = true;
    service.AddEntry("Early", setup);
    HRASCONN handle = nullptr;
    std::atomic<bool> cellNullInReport{false};
    g_notified.hook = [&](const Notified::Report&) { cellNullInReport = handle == nullptr; };

    ASSERT_EQ(Dial("Early", handle), SUCCESS);
    ASSERT_NE(handle, nullptr);
    const auto reports = g_notified.Copy();
    ASSERT_EQ(reports.size(), 1u) << "reported before RasDialA returned";
    EXPECT_EQ(reports[0].state, RASCS_Disconnected);
    EXPECT_EQ(reports[0].error, ERROR_AUTHENTICATION_FAILURE);
    EXPECT_TRUE(cellNullInReport) << "the handle is written only after the report";
    const auto report = CallsOf(RasCallKind::Report).at(0);
    const auto dial = CallsOf(RasCallKind::Dial).at(0);
    EXPECT_LT(report.sequence, dial.sequence);
    EXPECT_EQ(service.HangUp(handle), SUCCESS);
}

TEST_F(SimulatedServiceTest, HangUpCancelsADialInProgressAndEndsAConnection)
{
    service.AddEntry("Cancelled");
    service.AddEntry("Kept");
    service.SetDialDelay(50ms);
    HRASCONN cancelled = nullptr;
    ASSERT_EQ(Dial("Cancelled", cancelled), SUCCESS);
    EXPECT_EQ(service.HangUp(cancelled), SUCCESS);

    // Reports come in order of their due time: once the later dial has
    // connected, the cancelled one would have reported before it.
    HRASCONN kept = nullptr;
    ASSERT_EQ(Dial("Kept", kept), SUCCESS);
    ASSERT_TRUE(WaitForReport(kept, RASCS_Connected));
    for (const auto& report : CallsOf(RasCallKind::Report))
        EXPECT_NE(report.handle, cancelled);
    EXPECT_EQ(service.HangUp(cancelled), ERROR_BAD_HANDLE);

    EXPECT_EQ(service.HangUp(kept), SUCCESS);
    EXPECT_TRUE(Listed().empty());
    EXPECT_EQ(service.HangUp(kept), ERROR_BAD_HANDLE);
    EXPECT_EQ(service.HangUp(nullptr), ERROR_BAD_HANDLE);
    EXPECT_EQ(service.HangUp(Sentinel()), ERROR_BAD_HANDLE);
}

TEST_F(SimulatedServiceTest, WithLateReportsAHungUpDialStillReportsItsOutcomeAfterTheDelay)
{
    service.AddEntry("Home");
    service.SetDialDelay(20ms);
    service.SetProgressStates(DefaultProgressStates());
    service.SetLateReportDelay(60ms);
    HRASCONN handle = nullptr;
    ASSERT_EQ(Dial("Home", handle), SUCCESS);
    const auto hungUpAt = std::chrono::steady_clock::now();
    ASSERT_EQ(service.HangUp(handle), SUCCESS);
    ASSERT_TRUE(WaitForReport(handle, RASCS_Connected));

    const auto reports = CallsOf(RasCallKind::Report);
    ASSERT_EQ(reports.size(), 1u) << "only the outcome comes; the progress still due is dropped";
    EXPECT_TRUE(reports[0].afterHangUp);
    EXPECT_EQ(reports[0].entry, "Home");
    EXPECT_GE(reports[0].calledAt - hungUpAt, 60ms);
    ASSERT_EQ(g_notified.Copy().size(), 1u);
    EXPECT_TRUE(Listed().empty()) << "a hung-up dial is never listed";
    EXPECT_EQ(service.HangUp(handle), ERROR_BAD_HANDLE);
}

TEST_F(SimulatedServiceTest, ADialCanFailAtAnIntermediateState)
{
    service.AddEntry("Home", EntrySetup::FailsAt(RASCS_Authenticate, ERROR_AUTHENTICATION_FAILURE));
    service.SetProgressStates(DefaultProgressStates());
    HRASCONN handle = nullptr;
    ASSERT_EQ(Dial("Home", handle), SUCCESS);
    ASSERT_TRUE(WaitForReport(handle, RASCS_Authenticate));
    std::vector<std::pair<RASCONNSTATE, DWORD>> seen;
    for (const auto& report : g_notified.Copy())
        seen.emplace_back(report.state, report.error);
    EXPECT_THAT(seen, ElementsAre(std::pair(RASCS_OpenPort, SUCCESS), std::pair(RASCS_ConnectDevice, SUCCESS),
                                  std::pair(RASCS_Authenticate, ERROR_AUTHENTICATION_FAILURE)));
    ASSERT_EQ(service.Links().size(), 1u);
    EXPECT_EQ(service.Links()[0].stage, LinkStage::Ended);
    EXPECT_EQ(service.HangUp(handle), SUCCESS);

    // Synchronously, RasDialA returns the code.
    HRASCONN sync = nullptr;
    EXPECT_EQ(Dial("Home", sync, nullptr), ERROR_AUTHENTICATION_FAILURE);
    EXPECT_EQ(service.HangUp(sync), SUCCESS);
}

TEST_F(SimulatedServiceTest, WithAReportLagTheConnectionIsListedBeforeItsReport)
{
    service.AddEntry("Home");
    service.SetReportLag(150ms);
    HRASCONN handle = nullptr;
    ASSERT_EQ(Dial("Home", handle), SUCCESS);
    std::vector<RASCONNA> listed;
    for (int i = 0; i < 100 && listed.empty(); ++i) {
        std::this_thread::sleep_for(2ms);
        listed = Listed();
    }
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(HandleOf(listed[0]), handle);
    EXPECT_TRUE(g_notified.Copy().empty()) << "listed, not yet reported";
    ASSERT_TRUE(WaitForReport(handle, RASCS_Connected));
    EXPECT_EQ(g_notified.Copy().size(), 1u);
    EXPECT_EQ(service.HangUp(handle), SUCCESS);
}

TEST_F(SimulatedServiceTest, RecordsWhatTheProgramPassed)
{
    service.AddEntry("Alpha");
    // Long enough that RasDialA's own record comes before the report's, on
    // a loaded machine too.
    service.SetDialDelay(200ms);
    std::vector<std::string> lines;
    std::mutex linesMutex;
    service.SetLogger([&](const std::string& line) {
        std::lock_guard lock(linesMutex);
        lines.push_back(line);
    });

    RASDIALPARAMSA params = Params("Alpha", "bob", "s3cret");
    HRASCONN handle = nullptr;
    ASSERT_EQ(service.Dial(nullptr, nullptr, &params, kNotifierTypeRasDialFunc, &Notifier, &handle), SUCCESS);
    ASSERT_TRUE(WaitForReport(handle, RASCS_Connected));
    std::vector<RASCONNA> table(3);
    table[0].dwSize = kConnSize;
    DWORD bytes = 3 * kConnSize, count = 7;
    ASSERT_EQ(service.EnumConnections(table.data(), &bytes, &count), SUCCESS);
    std::vector<RASENTRYNAMEA> entries(1);
    entries[0].dwSize = kEntryNameSize;
    DWORD entryBytes = kEntryNameSize, entryCount = 0;
    ASSERT_EQ(service.EnumEntries(nullptr, "C:\\other.pbk", entries.data(), &entryBytes, &entryCount), SUCCESS);
    EXPECT_EQ(service.HangUp(handle), SUCCESS);

    const auto calls = service.Calls();
    ASSERT_EQ(calls.size(), 5u);
    const RasCallRecord& dial = calls[0];
    EXPECT_EQ(dial.kind, RasCallKind::Dial);
    EXPECT_TRUE(dial.extensionsNull);
    EXPECT_TRUE(dial.phonebookNull);
    EXPECT_EQ(dial.recordSize, kDialParamsSize);
    ASSERT_TRUE(dial.params.has_value());
    EXPECT_EQ(std::memcmp(&*dial.params, &params, sizeof params), 0);
    EXPECT_EQ(dial.notifierType, kNotifierTypeRasDialFunc);
    EXPECT_EQ(dial.notifier, &Notifier);
    EXPECT_EQ(dial.handleIn, nullptr);
    EXPECT_EQ(dial.handleOut, handle);
    EXPECT_EQ(dial.result, SUCCESS);
    EXPECT_LE(dial.calledAt, dial.returnedAt);

    const RasCallRecord& report = calls[1];
    EXPECT_EQ(report.kind, RasCallKind::Report);
    EXPECT_EQ(report.state, RASCS_Connected);
    EXPECT_TRUE(std::regex_match(report.address, std::regex(R"(10\.64\.\d+\.\d+)"))) << report.address;

    const RasCallRecord& enumeration = calls[2];
    EXPECT_EQ(enumeration.kind, RasCallKind::EnumConnections);
    EXPECT_EQ(enumeration.recordSize, kConnSize);
    EXPECT_EQ(enumeration.byteCountIn, 3 * kConnSize);
    EXPECT_EQ(enumeration.byteCountOut, kConnSize);
    EXPECT_EQ(enumeration.countIn, 7u);
    EXPECT_EQ(enumeration.countOut, 1u);
    EXPECT_THAT(enumeration.handlesOut, ElementsAre(handle));

    EXPECT_FALSE(calls[3].phonebookNull);
    EXPECT_TRUE(calls[3].reservedNull);
    EXPECT_THAT(calls[3].namesOut, ElementsAre("Alpha"));
    EXPECT_EQ(calls[4].kind, RasCallKind::HangUp);
    EXPECT_EQ(calls[4].handle, handle);
    EXPECT_EQ(calls[4].entry, "Alpha");
    for (std::size_t i = 1; i < calls.size(); ++i)
        EXPECT_GT(calls[i].sequence, calls[i - 1].sequence);

    std::lock_guard lock(linesMutex);
    ASSERT_EQ(lines.size(), calls.size());
    for (const auto& line : lines)
        EXPECT_TRUE(std::regex_match(line, std::regex(R"(\d\d:\d\d:\d\d\.\d{3} .*)"))) << line;
    EXPECT_THAT(lines[0], ::testing::HasSubstr("entry \"Alpha\", user \"bob\", password 6 bytes"));
    EXPECT_THAT(lines[0], ::testing::Not(::testing::HasSubstr("s3cret")));
    EXPECT_THAT(lines[1], ::testing::HasSubstr("address " + report.address));
}

TEST_F(SimulatedServiceTest, EachConnectionGetsAFreshAddressUnlessSwitchedOff)
{
    service.AddEntry("Alpha");
    const auto connectOnce = [&] {
        HRASCONN handle = nullptr;
        EXPECT_EQ(Dial("Alpha", handle), SUCCESS);
        EXPECT_TRUE(WaitForReport(handle, RASCS_Connected));
        const std::string address = service.Links().at(0).address;
        EXPECT_EQ(service.HangUp(handle), SUCCESS);
        return address;
    };
    const std::string first = connectOnce();
    const std::string second = connectOnce();
    EXPECT_NE(first, second);
    service.SetFreshAddress(false);
    EXPECT_EQ(connectOnce(), second);
}

TEST_F(SimulatedServiceTest, WithoutANotifierTheDialIsSynchronous)
{
    service.AddEntry("Good");
    service.AddEntry("Bad", EntrySetup::FailsLater(ERROR_NO_ANSWER));
    HRASCONN good = nullptr;
    EXPECT_EQ(Dial("Good", good, nullptr), SUCCESS);
    ASSERT_EQ(Listed().size(), 1u);
    HRASCONN bad = nullptr;
    EXPECT_EQ(Dial("Bad", bad, nullptr), ERROR_NO_ANSWER);
    EXPECT_NE(bad, nullptr);
    EXPECT_EQ(service.HangUp(bad), SUCCESS);
}

// The record the projection is asked into: the 48-byte form, of which the
// caller may name only the first 40 bytes. The rest is a sentinel.
RASPPPIPOPTIONSA ProjectionRecord(DWORD size)
{
    RASPPPIPOPTIONSA record;
    std::memset(&record, 0xCC, sizeof record);
    record.dwSize = size;
    return record;
}

struct ProjectionCase {
    const char* how;
    const char* link;  // "connected", "dialling", "dropped", "refused", "hung up", "unknown"
    RASPROJECTION projection;
    DWORD size;
    DWORD byteCount;
    bool nullRecord;
    bool nullByteCount;
    DWORD expected;
    DWORD byteCountAfter;
};

void PrintTo(const ProjectionCase& c, std::ostream* os)
{
    *os << c.how;
}

class ProjectionInfo : public SimulatedServiceTest, public ::testing::WithParamInterface<ProjectionCase> {};

TEST_P(ProjectionInfo, AnswersAsThePlatformDoes)
{
    const ProjectionCase& c = GetParam();
    service.AddEntry("Slow");
    service.AddEntry("Refused", EntrySetup::FailsAtCall(ERROR_NO_ANSWER));
    const HRASCONN connected = service.ConnectEntry("Home");
    service.ConnectEntry("Dropped");
    HRASCONN dropped = nullptr;
    for (const SimConnection& link : service.Links())
        if (link.entry == "Dropped")
            dropped = link.handle;
    ASSERT_TRUE(service.DropConnection("Dropped"));
    service.SetDialDelay(30s);
    HRASCONN dialling = nullptr;
    ASSERT_EQ(Dial("Slow", dialling), SUCCESS);
    HRASCONN refused = nullptr;
    ASSERT_EQ(Dial("Refused", refused), ERROR_NO_ANSWER);
    const HRASCONN hungUp = service.ConnectEntry("Gone");
    ASSERT_EQ(service.HangUp(hungUp), SUCCESS);
    const std::string link = c.link;
    const HRASCONN handle = link == "connected"  ? connected
                            : link == "dialling" ? dialling
                            : link == "dropped"  ? dropped
                            : link == "refused"  ? refused
                            : link == "hung up"  ? hungUp
                                                 : Sentinel();
    service.ClearCalls();

    RASPPPIPOPTIONSA record = ProjectionRecord(c.size);
    DWORD byteCount = c.byteCount;
    EXPECT_EQ(service.GetProjectionInfo(handle, c.projection, c.nullRecord ? nullptr : &record,
                                        c.nullByteCount ? nullptr : &byteCount),
              c.expected);
    if (!c.nullByteCount) {
        EXPECT_EQ(byteCount, c.byteCountAfter);
    }
    const RASPPPIPOPTIONSA untouched = ProjectionRecord(c.size);
    if (c.expected != SUCCESS) {
        EXPECT_EQ(std::memcmp(&record, &untouched, sizeof record), 0) << "nothing written";
    } else {
        const std::string address = service.Links().at(0).address;
        EXPECT_EQ(record.dwSize, c.size);
        EXPECT_EQ(record.dwError, SUCCESS);
        EXPECT_EQ(std::string(record.szIpAddress), address);
        EXPECT_EQ(std::string(record.szServerIpAddress), "10.64.0.1");
        if (c.size == kPppIpOptionsSize) {
            EXPECT_EQ(record.dwOptions, 0u);
            EXPECT_EQ(record.dwServerOptions, 0u);
        } else {
            EXPECT_EQ(std::memcmp(&record.dwOptions, &untouched.dwOptions, 8), 0) << "nothing past the form";
        }
    }

    const auto calls = CallsOf(RasCallKind::ProjectionInfo);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].handle, handle);
    EXPECT_EQ(calls[0].projection, c.projection);
    EXPECT_EQ(calls[0].result, c.expected);
    EXPECT_EQ(calls[0].recordSize, c.nullRecord ? 0u : c.size);
    EXPECT_EQ(calls[0].byteCountIn, c.nullByteCount ? 0u : c.byteCount);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProjectionInfo,
    ::testing::Values(
        ProjectionCase{"connected", "connected", RASP_PppIp, 40, 40, false, false, SUCCESS, 40},
        ProjectionCase{"connected, larger buffer", "connected", RASP_PppIp, 40, 100, false, false, SUCCESS, 40},
        ProjectionCase{"connected, with options", "connected", RASP_PppIp, 48, 48, false, false, SUCCESS, 48},
        ProjectionCase{"null record", "connected", RASP_PppIp, 40, 40, true, false, ERROR_BAD_PARAMETER, 40},
        ProjectionCase{"null byte count", "connected", RASP_PppIp, 40, 40, false, true, ERROR_BAD_PARAMETER, 0},
        ProjectionCase{"no such projection", "connected", 0x1234, 40, 40, false, false, ERROR_BAD_PARAMETER, 40},
        ProjectionCase{"not negotiated", "connected", RASP_PppIpx, 40, 40, false, false, ERROR_PROTOCOL_NOT_CONFIGURED,
                       40},
        ProjectionCase{"unknown handle", "unknown", RASP_PppIp, 40, 40, false, false, ERROR_BAD_HANDLE, 40},
        ProjectionCase{"hung up", "hung up", RASP_PppIp, 40, 40, false, false, ERROR_BAD_HANDLE, 40},
        ProjectionCase{"unknown size", "connected", RASP_PppIp, 44, 44, false, false, ERROR_INVALID_SIZE, 44},
        ProjectionCase{"zero size", "connected", RASP_PppIp, 0, 40, false, false, ERROR_INVALID_SIZE, 40},
        ProjectionCase{"byte count too small", "connected", RASP_PppIp, 40, 39, false, false, ERROR_BUFFER_TOO_SMALL,
                       40},
        ProjectionCase{"byte count too small for options", "connected", RASP_PppIp, 48, 40, false, false,
                       ERROR_BUFFER_TOO_SMALL, 48},
        ProjectionCase{"dialling", "dialling", RASP_PppIp, 40, 40, false, false, ERROR_PROJECTION_NOT_COMPLETE, 40},
        ProjectionCase{"dropped", "dropped", RASP_PppIp, 40, 40, false, false, ERROR_NO_CONNECTION, 40},
        ProjectionCase{"refused at the call", "refused", RASP_PppIp, 40, 40, false, false, ERROR_NO_CONNECTION, 40}),
    [](const ::testing::TestParamInfo<ProjectionCase>& info) {
        std::string name;
        for (const char* c = info.param.how; *c; ++c)
            if (std::isalpha(static_cast<unsigned char>(*c)))
                name += *c;
        return name;
    });

TEST_F(SimulatedServiceTest, TheProjectionIsRecordedAndLogged)
{
    std::vector<std::string> lines;
    service.SetLogger([&](const std::string& line) { lines.push_back(line); });
    service.AddEntry("Home");
    service.SetAddressSequence("Home", {"192.0.2.7"});
    const HRASCONN handle = service.ConnectEntry("Home");
    RASPPPIPA record{};
    record.dwSize = kPppIpSize;
    DWORD bytes = kPppIpSize;
    ASSERT_EQ(service.GetProjectionInfo(handle, RASP_PppIp, &record, &bytes), SUCCESS);
    EXPECT_EQ(std::string(record.szIpAddress), "192.0.2.7");

    const auto call = CallsOf(RasCallKind::ProjectionInfo).at(0);
    EXPECT_EQ(call.entry, "Home");
    EXPECT_EQ(call.address, "192.0.2.7");
    EXPECT_EQ(call.serverAddress, "10.64.0.1");
    EXPECT_EQ(call.byteCountOut, kPppIpSize);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_THAT(lines[1], ::testing::HasSubstr(" RasGetProjectionInfoA(" + HandleText(handle) +
                                               " \"Home\", projection 0x8021, dwSize=40, bytes 40->40) = 0: "
                                               "address 192.0.2.7, server 10.64.0.1"));
}

TEST_F(SimulatedServiceTest, ErrorStringsHaveAPlainTextForEveryRemoteAccessCode)
{
    // The codes the service gives out and the account errors have texts of
    // their own; the rest of 600..999 a generic one.
    const std::string generic = "Remote access error ";
    for (const DWORD code :
         {603u, 623u, 631u, 632u, 646u, 647u, 648u, 649u, 668u, 678u, 691u, 730u, 731u, 756u, 600u, 700u, 999u}) {
        SCOPED_TRACE(code);
        char buffer[512];
        ASSERT_EQ(service.GetErrorString(code, buffer, sizeof buffer), SUCCESS);
        const std::string text = buffer;
        ASSERT_FALSE(text.empty());
        EXPECT_TRUE(std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7F; })) << text;
        const bool own = code != 600 && code != 700 && code != 999;
        EXPECT_EQ(text.rfind(generic, 0) != 0, own) << text;
        if (!own) {
            EXPECT_EQ(text, generic + std::to_string(code) + ".");
        }
    }
    char buffer[512];
    ASSERT_EQ(service.GetErrorString(691, buffer, sizeof buffer), SUCCESS);
    EXPECT_STREQ(buffer,
                 "The remote connection was denied because the user name and password combination you provided is "
                 "not recognized, or the selected authentication protocol is not permitted on the remote access "
                 "server.");
}

TEST_F(SimulatedServiceTest, ErrorStringsRefuseBadArgumentsAndShortBuffers)
{
    const std::string text = "Remote access error 700.";
    const auto size = static_cast<DWORD>(text.size());
    struct Case {
        UINT code;
        bool nullBuffer;
        DWORD bufferSize;
        DWORD expected;
    };
    for (const Case c : {Case{700, false, size + 1, SUCCESS}, Case{700, false, size, ERROR_TEXT_BUFFER_TOO_SMALL},
                         Case{700, false, 0, ERROR_TEXT_BUFFER_TOO_SMALL}, Case{700, true, 512, ERROR_BAD_PARAMETER},
                         Case{599, false, 512, ERROR_BAD_PARAMETER}, Case{1000, false, 512, ERROR_BAD_PARAMETER},
                         Case{0, false, 512, ERROR_BAD_PARAMETER}, Case{87, false, 512, ERROR_BAD_PARAMETER}}) {
        SCOPED_TRACE(std::to_string(c.code) + " in " + std::to_string(c.bufferSize));
        std::string buffer(512, '#');
        EXPECT_EQ(service.GetErrorString(c.code, c.nullBuffer ? nullptr : buffer.data(), c.bufferSize), c.expected);
        if (c.expected == SUCCESS) {
            EXPECT_EQ(std::string(buffer.c_str()), text);
        } else {
            EXPECT_EQ(buffer, std::string(512, '#')) << "nothing written";
        }
    }
    const auto calls = CallsOf(RasCallKind::ErrorString);
    ASSERT_EQ(calls.size(), 8u);
    EXPECT_EQ(calls[0].error, 700u);
    EXPECT_EQ(calls[0].byteCountIn, size + 1);
    EXPECT_EQ(calls[0].text, text);
    EXPECT_TRUE(calls[3].recordsNull);
    EXPECT_EQ(DescribeCall(calls[0]), "RasGetErrorStringA(700, buffer set, size 25) = 0: \"" + text + "\"");
}

TEST_F(SimulatedServiceTest, ScriptedAddressesComeFirstThenTheUsualRule)
{
    service.AddEntry("Alpha");
    service.AddEntry("Office");
    service.SetAddressSequence("ALPHA", {"192.0.2.1", "198.51.100.20"});
    service.SetAddressSequence("Office", {"203.0.113.9"});
    const auto connectOnce = [&] {
        HRASCONN handle = nullptr;
        EXPECT_EQ(Dial("Alpha", handle), SUCCESS);
        EXPECT_TRUE(WaitForReport(handle, RASCS_Connected));
        RASPPPIPA record{};
        record.dwSize = kPppIpSize;
        DWORD bytes = kPppIpSize;
        EXPECT_EQ(service.GetProjectionInfo(handle, RASP_PppIp, &record, &bytes), SUCCESS);
        EXPECT_EQ(service.HangUp(handle), SUCCESS);
        return std::string(record.szIpAddress);
    };
    EXPECT_EQ(connectOnce(), "192.0.2.1");
    EXPECT_EQ(connectOnce(), "198.51.100.20");
    const std::string fresh = connectOnce();
    EXPECT_TRUE(std::regex_match(fresh, std::regex(R"(10\.64\.\d+\.\d+)"))) << fresh;
    EXPECT_NE(connectOnce(), fresh);
    // Kept addresses: the last one the entry had, scripted or not.
    service.SetFreshAddress(false);
    const std::string kept = connectOnce();
    EXPECT_EQ(kept, connectOnce());
    service.SetAddressSequence("Alpha", {"192.0.2.99"});
    EXPECT_EQ(connectOnce(), "192.0.2.99");
    EXPECT_EQ(connectOnce(), "192.0.2.99");

    // A connection that exists before the program looks takes one too.
    service.ConnectEntry("Office");
    EXPECT_EQ(service.Links().at(0).address, "203.0.113.9");
    const auto reports = CallsOf(RasCallKind::Report);
    EXPECT_EQ(reports.at(0).address, "192.0.2.1");

    EXPECT_THROW(service.SetAddressSequence("Nowhere", {"192.0.2.1"}), std::invalid_argument);
    for (const char* bad :
         {"", "1.2.3", "1.2.3.4.5", "256.1.1.1", "1.2.3.0004", "1..2.3", "1.2.3.4 ", "a.b.c.d", "1.2.3.-4"})
        EXPECT_THROW(service.SetAddressSequence("Alpha", {"192.0.2.1", bad}), std::invalid_argument) << bad;
    EXPECT_EQ(connectOnce(), "192.0.2.99") << "a refused sequence changes nothing";
}

TEST(SimulatedServiceLifetime, DestructionDropsReportsStillDue)
{
    g_notified.Reset();
    const auto start = std::chrono::steady_clock::now();
    {
        SimulatedRasService service;
        service.AddEntry("Slow");
        service.SetDialDelay(30s);
        HRASCONN handle = nullptr;
        RASDIALPARAMSA params = Params("Slow");
        ASSERT_EQ(service.Dial(nullptr, nullptr, &params, 0, &Notifier, &handle), SUCCESS);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s) << "the destructor does not wait for the dial";
    EXPECT_TRUE(g_notified.Copy().empty());
}

TEST(SimConfigFile, ParsesEntriesOutcomesAndSettings)
{
    const SimConfig config = ParseSimConfig("# phonebook\r\n"
                                            "entry = Home ADSL\r\n"
                                            "connected=Office\n"
                                            "fail=Dial:Up:691\n"
                                            "fail_at_call=Home ADSL:623\n"
                                            "report_before_return=Dial:Up\n"
                                            "delay_ms=250\n"
                                            "progress=on\n"
                                            "fresh_address=off\n"
                                            "fail_at=Stage:2:5:691\n"
                                            "late_report_ms=5000\n"
                                            "report_lag_ms=300\n"
                                            "fail_at=Stage:x:691\n"
                                            "; comment\n"
                                            "\n"
                                            "colour=blue\n"
                                            "fail=NoCode\n"
                                            "delay_ms=-1\n"
                                            "entry=\n");
    EXPECT_THAT(config.entries, ElementsAre("Home ADSL", "Office", "Dial:Up", "Stage:2"));
    EXPECT_THAT(config.connected, ElementsAre("Office"));
    ASSERT_EQ(config.setups.size(), 3u);
    EXPECT_EQ(config.setups[2].first, "Stage:2");
    EXPECT_EQ(config.setups[2].second.failState, RASCS_Authenticate);
    EXPECT_EQ(config.setups[2].second.error, 691u);
    EXPECT_EQ(config.lateReport, 5000ms);
    EXPECT_EQ(config.reportLag, 300ms);
    EXPECT_EQ(config.setups[0].first, "Dial:Up");
    EXPECT_EQ(config.setups[0].second.outcome, DialOutcome::FailLater);
    EXPECT_EQ(config.setups[0].second.error, 691u);
    EXPECT_TRUE(config.setups[0].second.reportBeforeReturn);
    EXPECT_EQ(config.setups[1].second.outcome, DialOutcome::FailAtCall);
    EXPECT_EQ(config.setups[1].second.error, 623u);
    EXPECT_EQ(config.dialDelay, 250ms);
    EXPECT_EQ(config.progress, true);
    EXPECT_EQ(config.freshAddress, false);
    EXPECT_THAT(config.problems, ElementsAre(::testing::StartsWith("line 13:"), ::testing::StartsWith("line 16:"),
                                             ::testing::StartsWith("line 17:"), ::testing::StartsWith("line 18:"),
                                             ::testing::StartsWith("line 19:")));
}

TEST(SimConfigFile, ParsesAddressSequences)
{
    const SimConfig config = ParseSimConfig("addresses=Home:192.0.2.1, 192.0.2.2 ,192.0.2.3\n"
                                            "addresses=Dial:Up:198.51.100.1\n"
                                            "addresses=Bad:192.0.2.1,1.2.3\n"
                                            "addresses=NoColon\n"
                                            "addresses=:192.0.2.1\n"
                                            "addresses=HOME:203.0.113.1\n"
                                            "addresses=Empty:\n");
    EXPECT_THAT(config.entries, ElementsAre("Home", "Dial:Up"));
    ASSERT_EQ(config.addresses.size(), 2u);
    EXPECT_EQ(config.addresses[0].first, "Home");
    EXPECT_THAT(config.addresses[0].second, ElementsAre("203.0.113.1")) << "a later line for the entry wins";
    EXPECT_EQ(config.addresses[1].first, "Dial:Up");
    EXPECT_THAT(config.addresses[1].second, ElementsAre("198.51.100.1"));
    EXPECT_THAT(config.problems, ElementsAre(::testing::StartsWith("line 3:"), ::testing::StartsWith("line 4:"),
                                             ::testing::StartsWith("line 5:"), ::testing::StartsWith("line 7:")));
}

TEST(SimConfigFile, ConfiguresTheService)
{
    g_notified.Reset();
    SimulatedRasService service;
    ApplySimConfig(
        ParseSimConfig("entry=Home\nconnected=Office\nfail=Home:678\ndelay_ms=1\naddresses=Office:192.0.2.5\n"),
        service);

    std::vector<RASENTRYNAMEA> entries(4);
    entries[0].dwSize = kEntryNameSize;
    DWORD bytes = 4 * kEntryNameSize, count = 0;
    ASSERT_EQ(service.EnumEntries(nullptr, nullptr, entries.data(), &bytes, &count), SUCCESS);
    ASSERT_EQ(count, 2u);
    EXPECT_EQ(std::string(entries[1].szEntryName), "Office");
    const auto links = service.Links();
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(links[0].entry, "Office");
    EXPECT_EQ(links[0].stage, LinkStage::Connected);
    EXPECT_EQ(links[0].address, "192.0.2.5") << "the addresses are set before the connections are made";

    RASDIALPARAMSA params = Params("Home");
    HRASCONN handle = nullptr;
    ASSERT_EQ(service.Dial(nullptr, nullptr, &params, 0, &Notifier, &handle), SUCCESS);
    ASSERT_TRUE(service.WaitForCalls(
        [](const auto& calls) {
            return std::any_of(calls.begin(), calls.end(),
                               [](const RasCallRecord& r) { return r.kind == RasCallKind::Report; });
        },
        kWait));
    const auto reports = g_notified.Copy();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].state, RASCS_Disconnected);
    EXPECT_EQ(reports[0].error, ERROR_NO_ANSWER);
}

}  // namespace
}  // namespace ras::sim
