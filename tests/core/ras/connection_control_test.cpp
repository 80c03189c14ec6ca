#include "ras/ConnectionControl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <functional>
#include <ostream>

#include "tests/core/ras/ScriptedRasService.h"

namespace ras {
namespace {

using testing::FakeHandle;
using testing::ScriptedRasService;

class ConnectionControlTest : public ::testing::Test {
public:
    ConnectionControlTest() : control(service, [this] { return now; }) {}

    // A report through the notifier of dial number `dial` (the last one by
    // default), delivered on this thread.
    void Report(RASCONNSTATE state, DWORD error = SUCCESS, std::size_t dial = static_cast<std::size_t>(-1))
    {
        service.Report(state, error, dial);
        control.DeliverReports();
    }

    std::chrono::steady_clock::time_point now{};
    ScriptedRasService service;
    ConnectionControl control;
};

struct NameCase {
    const char* entry;
    const char* listed;
    bool found;
};

class EntryNameMatch : public ConnectionControlTest, public ::testing::WithParamInterface<NameCase> {};

TEST_P(EntryNameMatch, ComparesAsciiLettersWithoutCaseAndEveryOtherByteExactly)
{
    const NameCase& c = GetParam();
    service.connections = {{"Other", FakeHandle(1)}, {c.listed, FakeHandle(7)}};
    EXPECT_EQ(control.FindConnection(c.entry), c.found ? FakeHandle(7) : nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Names, EntryNameMatch,
    ::testing::Values(NameCase{"ADSL", "ADSL", true}, NameCase{"adsl", "AdSl", true},
                      NameCase{"caf\xE9", "CAF\xC9", false},                   // accented letters are not folded
                      NameCase{"\xBF\xED\xB4\xF8", "\xBF\xED\xB4\xF8", true},  // GBK bytes compare as they are
                      NameCase{"\xBF\xED\xB4\xF8", "\xBF\xCD\xB4\xF8", false}, NameCase{"ADSL", "ADSL2", false},
                      NameCase{"ADSL2", "ADSL", false}, NameCase{"[x]", "[X]", true}, NameCase{"@", "`", false}));

TEST_F(ConnectionControlTest, NoConnectionFindsNothingAndClearsTheHeldHandle)
{
    control.ActiveConnection = FakeHandle(5);
    EXPECT_FALSE(control.IsEntryConnected("ADSL"));
    EXPECT_EQ(control.ActiveConnection, nullptr);
    EXPECT_EQ(control.ConnectionCount, 0u);
}

TEST_F(ConnectionControlTest, EnumeratesWithTheOldRecordSizeAndElevenRecords)
{
    for (int i = 0; i < 11; ++i)
        service.connections.push_back({"E" + std::to_string(i), FakeHandle(100 + i)});
    EXPECT_TRUE(control.IsEntryConnected("e10"));
    EXPECT_EQ(control.ActiveConnection, FakeHandle(110));
    ASSERT_EQ(service.enumConnectionByteCounts.size(), 1u);
    EXPECT_EQ(service.enumConnectionByteCounts[0], 11 * sizeof(RASCONNA));
    EXPECT_EQ(control.ConnectionCount, 11u);
}

TEST_F(ConnectionControlTest, MoreThanElevenConnectionsAreEnumeratedAgainWithALargerTable)
{
    for (int i = 0; i < 30; ++i)
        service.connections.push_back({"E" + std::to_string(i), FakeHandle(100 + i)});
    EXPECT_EQ(control.FindConnection("E29"), FakeHandle(129));
    ASSERT_EQ(service.enumConnectionByteCounts.size(), 2u);
    EXPECT_EQ(service.enumConnectionByteCounts[1], 30 * sizeof(RASCONNA));
    EXPECT_EQ(control.ConnectionCount, 30u);
}

TEST_F(ConnectionControlTest, AFailedEnumerationCountsAsNoConnection)
{
    service.connections = {{"ADSL", FakeHandle(1)}};
    service.enumConnectionsFailure = 5;
    EXPECT_FALSE(control.IsEntryConnected("ADSL"));
    EXPECT_EQ(control.ConnectionCount, 0u);
}

TEST_F(ConnectionControlTest, DialingAConnectedEntryMakesNoDialAndHoldsItsHandle)
{
    service.connections = {{"ADSL", FakeHandle(9)}};
    control.DialEntry("adsl", "user", "pass");
    EXPECT_TRUE(service.dials.empty());
    EXPECT_EQ(control.ActiveConnection, FakeHandle(9));
}

TEST_F(ConnectionControlTest, DialPassesTheParametersByteForByte)
{
    const std::string entry = "\xBF\xED\xB4\xF8,ADSL";
    control.DialEntry(entry, "acct@isp", "p=ss word");
    ASSERT_EQ(service.dials.size(), 1u);
    const auto& call = service.dials[0];

    RASDIALPARAMSA expected{};
    expected.dwSize = 1052;
    std::strcpy(expected.szEntryName, entry.c_str());
    std::strcpy(expected.szCallbackNumber, "*");
    std::strcpy(expected.szUserName, "acct@isp");
    std::strcpy(expected.szPassword, "p=ss word");
    std::strcpy(expected.szDomain, "*");
    EXPECT_EQ(std::memcmp(&call.params, &expected, sizeof expected), 0);
    EXPECT_TRUE(call.extensionsNull);
    EXPECT_TRUE(call.phonebookNull);
    EXPECT_EQ(call.notifierType, 0u);
    EXPECT_NE(call.notifier, nullptr);
    EXPECT_EQ(call.handleCellOnEntry, nullptr);
    EXPECT_EQ(control.ActiveConnection, service.nextDialHandle);
    EXPECT_TRUE(control.DialInProgress());
}

struct LengthCase {
    std::size_t account;
    std::size_t password;
    bool dials;
};

class CredentialLength : public ConnectionControlTest, public ::testing::WithParamInterface<LengthCase> {};

TEST_P(CredentialLength, TextsLongerThanTheirFieldsMakeNoDial)
{
    const LengthCase& c = GetParam();
    control.DialEntry("ADSL", std::string(c.account, 'u'), std::string(c.password, 'p'));
    ASSERT_EQ(service.dials.size(), c.dials ? 1u : 0u);
    if (c.dials) {
        EXPECT_EQ(std::strlen(service.dials[0].params.szUserName), c.account);
        EXPECT_EQ(std::strlen(service.dials[0].params.szPassword), c.password);
    }
}

INSTANTIATE_TEST_SUITE_P(Lengths, CredentialLength,
                         ::testing::Values(LengthCase{256, 256, true}, LengthCase{257, 1, false},
                                           LengthCase{1, 257, false}, LengthCase{0, 0, true}));

TEST_F(ConnectionControlTest, HangUpActiveHangsUpOnceAndClears)
{
    control.HangUpActive();
    EXPECT_TRUE(service.hangUps.empty());
    control.ActiveConnection = FakeHandle(3);
    control.HangUpActive();
    control.HangUpActive();
    EXPECT_EQ(service.hangUps, std::vector<HRASCONN>{FakeHandle(3)});
    EXPECT_EQ(control.ActiveConnection, nullptr);
}

TEST_F(ConnectionControlTest, ConnectedReportClearsTheOwedRedialAndEndsTheDial)
{
    control.RedialPending = true;
    control.DialEntry("ADSL", "u", "p");
    Report(RASCS_Connected);
    EXPECT_FALSE(control.RedialPending);
    EXPECT_FALSE(control.DialInProgress());
    EXPECT_EQ(control.ActiveConnection, service.nextDialHandle);
    EXPECT_TRUE(service.hangUps.empty());
}

TEST_F(ConnectionControlTest, AReportWithoutADialInProgressTouchesNothing)
{
    control.RedialPending = true;
    control.ActiveConnection = FakeHandle(4);
    for (RASCONNSTATE state : {RASCS_Connected, RASCS_Disconnected, 5, 0})
        control.DialCallback(WM_RASDIALEVENT, state, state == RASCS_Disconnected ? ERROR_NO_ANSWER : SUCCESS);
    EXPECT_TRUE(service.hangUps.empty());
    EXPECT_TRUE(control.RedialPending);
    EXPECT_EQ(control.ActiveConnection, FakeHandle(4));
}

TEST_F(ConnectionControlTest, EachDialHasANotifierOfItsOwn)
{
    control.DialEntry("ADSL", "u", "p");
    control.ActiveConnection = service.nextDialHandle;
    control.HangUpActive();  // over without its outcome: its notifier may still be called
    service.nextDialHandle = FakeHandle(0x2000);
    control.DialEntry("ADSL", "u", "p");
    ASSERT_EQ(service.dials.size(), 2u);
    EXPECT_NE(service.dials[0].notifier, service.dials[1].notifier);
    EXPECT_EQ(service.dials[1].notifierType, 0u);
}

// However a dial is over, what still comes through its notifier changes
// nothing: not the flag, not the held handle, not the next dial.
struct OverCase {
    const char* how;
    std::function<void(ConnectionControlTest&)> end;
};

void PrintTo(const OverCase& c, std::ostream* os)
{
    *os << c.how;
}

class ADialThatIsOver : public ConnectionControlTest, public ::testing::WithParamInterface<OverCase> {};

TEST_P(ADialThatIsOver, IgnoresWhatItsNotifierStillBrings)
{
    control.RedialPending = true;
    control.DialEntry("ADSL", "u", "p");
    GetParam().end(*this);
    ASSERT_FALSE(control.DialInProgress()) << GetParam().how;
    const std::size_t hangUpsBefore = service.hangUps.size();

    service.nextDialHandle = FakeHandle(0x7000);
    control.DialEntry("ADSL", "u", "p");
    ASSERT_EQ(service.dials.size(), 2u) << GetParam().how;
    now += std::chrono::seconds(5);
    for (RASCONNSTATE state : {5, RASCS_Connected, RASCS_Disconnected}) {
        Report(state, state == RASCS_Disconnected ? ERROR_NO_ANSWER : SUCCESS, 0);
        Report(state, ERROR_AUTHENTICATION_FAILURE, 0);
    }
    EXPECT_EQ(service.hangUps.size(), hangUpsBefore) << GetParam().how;
    EXPECT_TRUE(control.DialInProgress()) << GetParam().how;
    EXPECT_EQ(control.ActiveConnection, FakeHandle(0x7000)) << GetParam().how;
    EXPECT_EQ(control.RedialPending, GetParam().how != std::string("connected")) << GetParam().how;
}

INSTANTIATE_TEST_SUITE_P(
    Ways, ADialThatIsOver,
    ::testing::Values(
        OverCase{"connected", [](ConnectionControlTest& t) { t.Report(RASCS_Connected); }},
        OverCase{"ended", [](ConnectionControlTest& t) { t.Report(RASCS_Disconnected, ERROR_NO_ANSWER); }},
        OverCase{"failed at a state", [](ConnectionControlTest& t) { t.Report(5, ERROR_AUTHENTICATION_FAILURE); }},
        OverCase{"hung up by the program",
                 [](ConnectionControlTest& t) {
                     t.service.connections = {{"ADSL", t.service.nextDialHandle}};
                     ASSERT_TRUE(t.control.IsEntryConnected("ADSL"));
                     t.control.HangUpActive();
                 }},
        OverCase{"given up after the limit",
                 [](ConnectionControlTest& t) {
                     t.now += ConnectionControl::kDialTimeout;
                     t.control.IsEntryConnected("ADSL");
                 }}),
    [](const ::testing::TestParamInfo<OverCase>& info) {
        std::string name;
        for (const char* c = info.param.how; *c; ++c)
            if (std::isalpha(static_cast<unsigned char>(*c)))
                name += *c;
        return name;
    });

TEST_F(ConnectionControlTest, IntermediateStatesOfOurDialChangeNothing)
{
    control.RedialPending = true;
    control.DialEntry("ADSL", "u", "p");
    for (RASCONNSTATE state : {0, 1, 5, 14, 0x1000})
        Report(state);
    EXPECT_TRUE(control.DialInProgress());
    EXPECT_TRUE(control.RedialPending);
    EXPECT_TRUE(service.hangUps.empty());
}

TEST_F(ConnectionControlTest, NoSecondDialWhileTheFirstHasNotReported)
{
    control.RedialPending = true;
    control.DialEntry("ADSL", "u", "p");
    // The next tick looks the entry up: an unfinished dial is not listed.
    EXPECT_FALSE(control.IsEntryConnected("ADSL"));
    EXPECT_EQ(control.ActiveConnection, nullptr);
    control.DialEntry("ADSL", "u", "p");
    EXPECT_EQ(service.dials.size(), 1u);

    // Its end hangs up its own handle, although the program no longer holds it.
    Report(RASCS_Disconnected, ERROR_AUTHENTICATION_FAILURE);
    EXPECT_EQ(service.hangUps, std::vector<HRASCONN>{service.nextDialHandle});
    EXPECT_TRUE(control.RedialPending);

    service.nextDialHandle = FakeHandle(0x2000);
    control.DialEntry("ADSL", "u", "p");
    EXPECT_EQ(service.dials.size(), 2u);
}

TEST_F(ConnectionControlTest, TheEndOfADialNeverHangsUpAnotherConnection)
{
    control.DialEntry("ADSL", "u", "p");
    control.ActiveConnection = FakeHandle(77);  // found for another lookup meanwhile
    Report(RASCS_Disconnected, ERROR_NO_ANSWER);
    EXPECT_EQ(service.hangUps, std::vector<HRASCONN>{service.nextDialHandle});
    EXPECT_EQ(control.ActiveConnection, FakeHandle(77));
}

TEST_F(ConnectionControlTest, AnErrorInAnyStateEndsTheDial)
{
    control.DialEntry("ADSL", "u", "p");
    Report(5, ERROR_AUTHENTICATION_FAILURE);
    EXPECT_EQ(service.hangUps, std::vector<HRASCONN>{service.nextDialHandle});
    EXPECT_FALSE(control.DialInProgress());
    EXPECT_EQ(control.ActiveConnection, nullptr);
}

TEST_F(ConnectionControlTest, AnEndReportedBeforeRasDialReturnsHangsUpThatDialsHandle)
{
    control.RedialPending = true;
    service.duringDial = [this] { Report(RASCS_Disconnected, ERROR_NO_ANSWER); };
    control.DialEntry("ADSL", "u", "p");
    EXPECT_EQ(service.hangUps, std::vector<HRASCONN>{service.nextDialHandle});
    EXPECT_EQ(control.ActiveConnection, nullptr);
    EXPECT_FALSE(control.DialInProgress());
    EXPECT_TRUE(control.RedialPending);
}

TEST_F(ConnectionControlTest, AConnectionReportedBeforeRasDialReturnsIsKept)
{
    control.RedialPending = true;
    service.duringDial = [this] { service.Report(RASCS_Connected); };
    control.DialEntry("ADSL", "u", "p");
    EXPECT_TRUE(service.hangUps.empty());
    EXPECT_EQ(control.ActiveConnection, service.nextDialHandle);
    EXPECT_FALSE(control.DialInProgress());
    EXPECT_FALSE(control.RedialPending);
}

TEST_F(ConnectionControlTest, AFailedRasDialWithAHandleIsHungUpAtOnce)
{
    control.RedialPending = true;
    service.dialResult = ERROR_NO_ANSWER;
    control.DialEntry("ADSL", "u", "p");
    EXPECT_EQ(service.hangUps, std::vector<HRASCONN>{service.nextDialHandle});
    EXPECT_EQ(control.ActiveConnection, nullptr);
    EXPECT_TRUE(control.RedialPending);
    EXPECT_FALSE(control.DialInProgress());

    service.dialResult = SUCCESS;
    control.DialEntry("ADSL", "u", "p");
    EXPECT_EQ(service.dials.size(), 2u);
    // The failed start's notifier is over: a report through it is nobody's.
    Report(RASCS_Connected, SUCCESS, 0);
    EXPECT_TRUE(control.RedialPending);
    EXPECT_TRUE(control.DialInProgress());
}

TEST_F(ConnectionControlTest, AFailedRasDialWithoutAHandleHangsUpNothing)
{
    service.dialResult = ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
    service.nextDialHandle = nullptr;
    control.DialEntry("ADSL", "u", "p");
    EXPECT_TRUE(service.hangUps.empty());
    EXPECT_FALSE(control.DialInProgress());
}

TEST_F(ConnectionControlTest, ADialThatReportsNothingFor120SecondsIsHungUpAsFailed)
{
    control.RedialPending = true;
    control.DialEntry("ADSL", "u", "p");
    now += std::chrono::seconds(119);
    EXPECT_FALSE(control.IsEntryConnected("ADSL"));
    EXPECT_TRUE(service.hangUps.empty());
    now += std::chrono::seconds(1);
    EXPECT_FALSE(control.IsEntryConnected("ADSL"));
    EXPECT_EQ(service.hangUps, std::vector<HRASCONN>{service.nextDialHandle});
    EXPECT_TRUE(control.RedialPending);

    service.nextDialHandle = FakeHandle(0x3000);
    control.DialEntry("ADSL", "u", "p");
    EXPECT_EQ(service.dials.size(), 2u);
    // A late report of the abandoned dial does not touch the new one.
    Report(RASCS_Disconnected, ERROR_NO_ANSWER, 0);
    EXPECT_EQ(service.hangUps, std::vector<HRASCONN>{FakeHandle(0x1000)});
    EXPECT_TRUE(control.DialInProgress());
    EXPECT_EQ(control.ActiveConnection, FakeHandle(0x3000));
    // The new dial's own end is its own.
    Report(RASCS_Disconnected, ERROR_NO_ANSWER, 1);
    EXPECT_EQ(service.hangUps.back(), FakeHandle(0x3000));
}

TEST_F(ConnectionControlTest, TheLimitCountsFromTheDialsLastReport)
{
    control.DialEntry("ADSL", "u", "p");
    now += std::chrono::seconds(100);
    Report(5);  // authenticating
    now += std::chrono::seconds(119);
    EXPECT_FALSE(control.IsEntryConnected("ADSL"));
    EXPECT_TRUE(control.DialInProgress());
    EXPECT_TRUE(service.hangUps.empty());
    now += std::chrono::seconds(1);
    EXPECT_FALSE(control.IsEntryConnected("ADSL"));
    EXPECT_FALSE(control.DialInProgress());
    EXPECT_EQ(service.hangUps, std::vector<HRASCONN>{service.nextDialHandle});
}

TEST_F(ConnectionControlTest, ALateReportFiveSecondsAfterTheProgramHungTheDialUpIsNotTheNextDials)
{
    control.RedialPending = true;
    control.DialEntry("ADSL", "u", "p");
    service.connections = {{"ADSL", service.nextDialHandle}};
    ASSERT_TRUE(control.IsEntryConnected("ADSL"));
    control.HangUpActive();  // listed, but its report has not come yet

    // Nothing waits for that report: the next dial starts at once...
    service.nextDialHandle = FakeHandle(0x4000);
    control.DialEntry("ADSL", "u", "p");
    ASSERT_EQ(service.dials.size(), 2u);
    // ...and the old dial's report, five seconds on, is not taken for it.
    now += std::chrono::seconds(5);
    Report(RASCS_Connected, SUCCESS, 0);
    EXPECT_TRUE(control.RedialPending);
    EXPECT_TRUE(control.DialInProgress());
    EXPECT_EQ(service.hangUps, std::vector<HRASCONN>{FakeHandle(0x1000)});

    Report(RASCS_Disconnected, ERROR_NO_ANSWER, 1);  // the new dial's own end
    EXPECT_EQ(service.hangUps.back(), FakeHandle(0x4000));
}

TEST_F(ConnectionControlTest, AReportQueuedBeforeTheProgramHungTheDialUpIsDropped)
{
    control.DialEntry("ADSL", "u", "p");
    service.Report(RASCS_Disconnected, ERROR_NO_ANSWER);  // arrives, not yet delivered
    control.HangUpActive();
    service.nextDialHandle = FakeHandle(0x4100);
    control.DialEntry("ADSL", "u", "p");
    control.DeliverReports();
    EXPECT_EQ(service.hangUps, std::vector<HRASCONN>{FakeHandle(0x1000)});
    EXPECT_TRUE(control.DialInProgress());
}

TEST_F(ConnectionControlTest, ReportsOfAControlThatIsGoneAreDropped)
{
    RASDIALFUNC notifier = nullptr;
    int wakes = 0;
    {
        ScriptedRasService other;
        ConnectionControl gone(other);
        gone.SetReportWake([&wakes] { ++wakes; });
        gone.DialEntry("ADSL", "u", "p");
        notifier = other.dials.at(0).notifier;
    }
    // The program has ended; the service's thread still reports.
    notifier(WM_RASDIALEVENT, RASCS_Connected, SUCCESS);
    notifier(WM_RASDIALEVENT, RASCS_Disconnected, ERROR_NO_ANSWER);
    EXPECT_EQ(wakes, 0);
    control.DeliverReports();
    EXPECT_TRUE(service.hangUps.empty());
}

TEST_F(ConnectionControlTest, TheWakeComesOnceForReportsWaitingAndNeverAfterItIsCleared)
{
    int wakes = 0;
    control.SetReportWake([&wakes] { ++wakes; });
    control.DialEntry("ADSL", "u", "p");
    service.Report(0);
    service.Report(5);
    EXPECT_EQ(wakes, 1);
    control.DeliverReports();
    service.Report(14);
    EXPECT_EQ(wakes, 2);
    control.SetReportWake({});
    control.DeliverReports();
    service.Report(RASCS_Connected);
    EXPECT_EQ(wakes, 2);
    control.DeliverReports();
    EXPECT_FALSE(control.DialInProgress());
}

// A listener that writes down each call with connection control's values
// as they were at that moment; `during` runs inside each call.
class RecordingEvents final : public ConnectionEvents {
public:
    RecordingEvents(ConnectionControl& control, const ScriptedRasService& service)
        : control_(control),
          service_(service)
    {
    }

    void DialStarted(const std::string& entry) override { Note("started " + entry); }
    void DialConnected(HRASCONN handle) override { Note("connected " + Hex(handle)); }
    void DialFailed(RASCONNSTATE state, DWORD error) override
    {
        Note("failed " + std::to_string(state) + " " + std::to_string(error));
    }
    void DialGivenUp() override { Note("given up"); }
    void HangingUp(HRASCONN handle) override { Note("hanging up " + Hex(handle)); }

    static std::string Hex(HRASCONN handle)
    {
        char text[32];
        std::snprintf(text, sizeof text, "%llx",
                      static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(handle)));
        return text;
    }

    std::vector<std::string> seen;
    std::function<void(const std::string& what)> during;

private:
    void Note(const std::string& what)
    {
        seen.push_back(what + " | active " + Hex(control_.ActiveConnection) + ", pending " +
                       std::to_string(control_.RedialPending) + ", dialling " +
                       std::to_string(control_.DialInProgress()) + ", hung up " +
                       std::to_string(service_.hangUps.size()));
        if (during)
            during(what);
    }

    ConnectionControl& control_;
    const ScriptedRasService& service_;
};

class ConnectionEventsTest : public ConnectionControlTest {
public:
    ConnectionEventsTest() { control.SetEvents(&events); }

    RecordingEvents events{control, service};
};

struct EventCase {
    const char* how;
    std::function<void(ConnectionEventsTest&)> run;  // starts from RedialPending set
    std::vector<std::string> expected;
};

void PrintTo(const EventCase& c, std::ostream* os)
{
    *os << c.how;
}

class EachWayADialEnds : public ConnectionEventsTest, public ::testing::WithParamInterface<EventCase> {};

TEST_P(EachWayADialEnds, TellsTheListenerOnceItsOwnValuesHaveChanged)
{
    control.RedialPending = true;
    GetParam().run(*this);
    EXPECT_EQ(events.seen, GetParam().expected) << GetParam().how;
}

INSTANTIATE_TEST_SUITE_P(
    Ways, EachWayADialEnds,
    ::testing::Values(EventCase{"connected",
                                [](ConnectionEventsTest& t) {
                                    t.control.DialEntry("ADSL", "u", "p");
                                    t.Report(5);
                                    t.Report(RASCS_Connected);
                                },
                                {"started ADSL | active 1000, pending 1, dialling 1, hung up 0",
                                 "connected 1000 | active 1000, pending 0, dialling 0, hung up 0"}},
                      EventCase{"ended",
                                [](ConnectionEventsTest& t) {
                                    t.control.DialEntry("ADSL", "u", "p");
                                    t.Report(RASCS_Disconnected, ERROR_NO_ANSWER);
                                },
                                {"started ADSL | active 1000, pending 1, dialling 1, hung up 0",
                                 "failed 8193 678 | active 0, pending 1, dialling 0, hung up 1"}},
                      EventCase{"failed at a state",
                                [](ConnectionEventsTest& t) {
                                    t.control.DialEntry("ADSL", "u", "p");
                                    t.Report(5, ERROR_AUTHENTICATION_FAILURE);
                                },
                                {"started ADSL | active 1000, pending 1, dialling 1, hung up 0",
                                 "failed 5 691 | active 0, pending 1, dialling 0, hung up 1"}},
                      EventCase{"refused by RasDialA with a handle",
                                [](ConnectionEventsTest& t) {
                                    t.service.dialResult = ERROR_NO_ANSWER;
                                    t.control.DialEntry("ADSL", "u", "p");
                                },
                                {"failed -1 678 | active 0, pending 1, dialling 0, hung up 1"}},
                      EventCase{"refused by RasDialA without a handle",
                                [](ConnectionEventsTest& t) {
                                    t.service.dialResult = ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
                                    t.service.nextDialHandle = nullptr;
                                    t.control.DialEntry("ADSL", "u", "p");
                                },
                                {"failed -1 623 | active 0, pending 1, dialling 0, hung up 0"}},
                      EventCase{"given up after the limit",
                                [](ConnectionEventsTest& t) {
                                    t.control.DialEntry("ADSL", "u", "p");
                                    t.now += ConnectionControl::kDialTimeout;
                                    t.control.IsEntryConnected("ADSL");
                                },
                                {"started ADSL | active 1000, pending 1, dialling 1, hung up 0",
                                 "given up | active 0, pending 1, dialling 0, hung up 1"}},
                      EventCase{"hung up by the program",
                                [](ConnectionEventsTest& t) {
                                    t.control.DialEntry("ADSL", "u", "p");
                                    t.service.connections = {{"ADSL", t.service.nextDialHandle}};
                                    ASSERT_TRUE(t.control.IsEntryConnected("ADSL"));
                                    t.control.HangUpActive();
                                    t.control.HangUpActive();  // nothing held: nothing told
                                },
                                {"started ADSL | active 1000, pending 1, dialling 1, hung up 0",
                                 "hanging up 1000 | active 0, pending 1, dialling 0, hung up 0"}},
                      EventCase{"connected before RasDialA returned",
                                [](ConnectionEventsTest& t) {
                                    t.service.duringDial = [&t] { t.service.Report(RASCS_Connected); };
                                    t.control.DialEntry("ADSL", "u", "p");
                                },
                                {"started ADSL | active 1000, pending 1, dialling 1, hung up 0",
                                 "connected 1000 | active 1000, pending 0, dialling 0, hung up 0"}},
                      EventCase{"ended before RasDialA returned",
                                [](ConnectionEventsTest& t) {
                                    t.service.duringDial = [&t] {
                                        t.service.Report(RASCS_Disconnected, ERROR_NO_ANSWER);
                                    };
                                    t.control.DialEntry("ADSL", "u", "p");
                                },
                                {"started ADSL | active 1000, pending 1, dialling 1, hung up 0",
                                 "failed 8193 678 | active 0, pending 1, dialling 0, hung up 1"}},
                      EventCase{"a report of a dial that is over",
                                [](ConnectionEventsTest& t) {
                                    t.control.DialEntry("ADSL", "u", "p");
                                    t.Report(RASCS_Connected);
                                    t.Report(RASCS_Disconnected, ERROR_NO_ANSWER);
                                },
                                {"started ADSL | active 1000, pending 1, dialling 1, hung up 0",
                                 "connected 1000 | active 1000, pending 0, dialling 0, hung up 0"}},
                      EventCase{"a connected entry is not dialled",
                                [](ConnectionEventsTest& t) {
                                    t.service.connections = {{"ADSL", FakeHandle(9)}};
                                    t.control.DialEntry("ADSL", "u", "p");
                                },
                                {}}),
    [](const ::testing::TestParamInfo<EventCase>& info) {
        std::string name;
        for (const char* c = info.param.how; *c; ++c)
            if (std::isalpha(static_cast<unsigned char>(*c)))
                name += *c;
        return name;
    });

TEST_F(ConnectionEventsTest, TheConnectedHandleIsTheDialsOwnEvenWhenALookupReplacedTheHeldOne)
{
    control.DialEntry("ADSL", "u", "p");
    control.ActiveConnection = FakeHandle(77);
    Report(RASCS_Connected);
    ASSERT_EQ(events.seen.size(), 2u);
    EXPECT_EQ(events.seen[1].substr(0, 15), "connected 1000 ");
}

TEST_F(ConnectionEventsTest, AListenerThatHangsUpAndDialsAgainFromTheConnectedCallIsSafe)
{
    events.during = [this](const std::string& what) {
        if (what.rfind("connected", 0) != 0)
            return;
        control.HangUpActive();
        service.nextDialHandle = FakeHandle(0x2000);
        control.DialEntry("ADSL", "u", "p");
    };
    control.RedialPending = true;
    control.DialEntry("ADSL", "u", "p");
    // Two reports arrive together; the second is the first dial's too.
    service.Report(RASCS_Connected);
    service.Report(RASCS_Disconnected, ERROR_NO_ANSWER);
    control.DeliverReports();

    EXPECT_EQ(service.hangUps, std::vector<HRASCONN>{FakeHandle(0x1000)});
    ASSERT_EQ(service.dials.size(), 2u);
    EXPECT_TRUE(control.DialInProgress());
    EXPECT_EQ(control.ActiveConnection, FakeHandle(0x2000));
    EXPECT_EQ(events.seen, (std::vector<std::string>{
                               "started ADSL | active 1000, pending 1, dialling 1, hung up 0",
                               "connected 1000 | active 1000, pending 0, dialling 0, hung up 0",
                               "hanging up 1000 | active 0, pending 0, dialling 0, hung up 0",
                               "started ADSL | active 2000, pending 0, dialling 1, hung up 1",
                           }));

    events.during = nullptr;
    Report(RASCS_Connected, SUCCESS, 1);
    EXPECT_FALSE(control.DialInProgress());
    EXPECT_EQ(events.seen.back().substr(0, 15), "connected 2000 ");
}

TEST_F(ConnectionEventsTest, AClearedListenerHearsNothing)
{
    control.SetEvents(nullptr);
    control.DialEntry("ADSL", "u", "p");
    Report(RASCS_Disconnected, ERROR_NO_ANSWER);
    EXPECT_TRUE(events.seen.empty());
    EXPECT_EQ(service.hangUps.size(), 1u);
}

struct AddressCase {
    const char* how;
    std::function<void(ScriptedRasService&)> script;
    HRASCONN handle;
    std::string expected;
    bool asks;
};

void PrintTo(const AddressCase& c, std::ostream* os)
{
    *os << c.how;
}

class ConnectionAddressOf : public ConnectionControlTest, public ::testing::WithParamInterface<AddressCase> {};

TEST_P(ConnectionAddressOf, IsTheProjectionsAddressOrEmpty)
{
    const AddressCase& c = GetParam();
    service.addresses = {{FakeHandle(0x1000), "10.64.0.7"}};
    c.script(service);
    EXPECT_EQ(control.ConnectionAddress(c.handle), c.expected) << c.how;
    ASSERT_EQ(service.projectionCalls.size(), c.asks ? 1u : 0u) << c.how;
    if (c.asks) {
        const auto& call = service.projectionCalls[0];
        EXPECT_EQ(call.handle, c.handle);
        EXPECT_EQ(call.projection, RASP_PppIp);
        EXPECT_EQ(call.recordSize, kPppIpSize);
        EXPECT_EQ(call.byteCount, kPppIpSize);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ConnectionAddressOf,
    ::testing::Values(AddressCase{"connected", [](ScriptedRasService&) {}, FakeHandle(0x1000), "10.64.0.7", true},
                      AddressCase{"unknown handle", [](ScriptedRasService&) {}, FakeHandle(0x2000), "", true},
                      AddressCase{"null handle", [](ScriptedRasService&) {}, nullptr, "", false},
                      AddressCase{"not negotiated yet",
                                  [](ScriptedRasService& s) { s.projectionResult = ERROR_PROJECTION_NOT_COMPLETE; },
                                  FakeHandle(0x1000), "", true},
                      AddressCase{"negotiation failed", [](ScriptedRasService& s) { s.projectionError = 733; },
                                  FakeHandle(0x1000), "", true},
                      AddressCase{"a field without its NUL",
                                  [](ScriptedRasService& s) { s.addresses[FakeHandle(0x1000)] = std::string(20, '9'); },
                                  FakeHandle(0x1000), std::string(16, '9'), true}));

TEST_F(ConnectionControlTest, ErrorTextIsThePlatformsTextOrEmpty)
{
    service.errorTexts = {{691, "Access denied."}, {700, std::string(511, 'x')}, {701, std::string(512, 'y')}};
    EXPECT_EQ(control.ErrorText(691), "Access denied.");
    EXPECT_EQ(control.ErrorText(700), std::string(511, 'x'));  // fills the buffer with its NUL
    EXPECT_EQ(control.ErrorText(701), "");                     // does not fit
    EXPECT_EQ(control.ErrorText(5), "");                       // no text
    ASSERT_EQ(service.errorStringCalls.size(), 4u);
    EXPECT_EQ(service.errorStringCalls[0].error, 691u);
    EXPECT_EQ(service.errorStringCalls[0].bufferSize, 512u);
}

TEST(DialNotifierPool, ANotifierComesBackOnlyAfterEveryOtherHasBeenUsed)
{
    DialNotifierPool& pool = DialNotifierPool::Instance();
    const std::uint64_t client = pool.Join();
    std::vector<RASDIALFUNC> seen;
    for (std::uint64_t dial = 1; dial <= 2 * DialNotifierPool::kNotifiers; ++dial) {
        const RASDIALFUNC notifier = pool.Bind(client, dial);
        ASSERT_NE(notifier, nullptr);
        if (seen.size() >= DialNotifierPool::kNotifiers)
            EXPECT_EQ(notifier, seen[seen.size() - DialNotifierPool::kNotifiers]) << "dial " << dial;
        else
            EXPECT_EQ(std::count(seen.begin(), seen.end(), notifier), 0) << "dial " << dial;
        seen.push_back(notifier);
        // Even a final report does not make a notifier come back sooner.
        notifier(WM_RASDIALEVENT, RASCS_Connected, SUCCESS);
        pool.Release(client, dial);
    }
    pool.Leave(client);
}

TEST(DialNotifierPool, BoundNotifiersAreNeverHandedOutTwiceAndRunOutCleanly)
{
    DialNotifierPool& pool = DialNotifierPool::Instance();
    const std::uint64_t client = pool.Join();
    const std::size_t before = pool.BoundCount();
    std::vector<RASDIALFUNC> bound;
    for (std::uint64_t dial = 1; dial <= DialNotifierPool::kNotifiers - before; ++dial)
        bound.push_back(pool.Bind(client, dial));
    EXPECT_EQ(std::count(bound.begin(), bound.end(), nullptr), 0);
    EXPECT_EQ(pool.Bind(client, 999), nullptr);  // none left: the caller makes no dial
    EXPECT_EQ(pool.Bind(0, 1), nullptr);         // not a client
    pool.Receive(DialNotifierPool::kNotifiers + 3, WM_RASDIALEVENT, RASCS_Connected, SUCCESS);  // no such notifier
    pool.Leave(client);
    EXPECT_EQ(pool.BoundCount(), before);
    EXPECT_TRUE(pool.Take(client).empty());
}

}  // namespace
}  // namespace ras
