#include "ras/ConnectionControl.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/core/ras/ScriptedRasService.h"

namespace ras {
namespace {

using testing::FakeHandle;
using testing::ScriptedRasService;

class ConnectionControlTest : public ::testing::Test {
protected:
    ConnectionControlTest() : control(service, [this] { return now; }) { SetDialCallbackTarget(&control); }

    void Report(RASCONNSTATE state, DWORD error = SUCCESS) { DialCallback(WM_RASDIALEVENT, state, error); }

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

TEST_P(EntryNameMatch, ComparesAsciiLettersWithoutCaseAndEveryOtherByteExactly) {
    const NameCase& c = GetParam();
    service.connections = {{"Other", FakeHandle(1)}, {c.listed, FakeHandle(7)}};
    EXPECT_EQ(control.FindConnection(c.entry), c.found ? FakeHandle(7) : nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Names, EntryNameMatch,
    ::testing::Values(NameCase{"ADSL", "ADSL", true}, NameCase{"adsl", "AdSl", true},
                      NameCase{"caf\xE9", "CAF\xC9", false},            // accented letters are not folded
                      NameCase{"\xBF\xED\xB4\xF8", "\xBF\xED\xB4\xF8", true},  // GBK bytes compare as they are
                      NameCase{"\xBF\xED\xB4\xF8", "\xBF\xCD\xB4\xF8", false},
                      NameCase{"ADSL", "ADSL2", false}, NameCase{"ADSL2", "ADSL", false},
                      NameCase{"[x]", "[X]", true}, NameCase{"@", "`", false}));

TEST_F(ConnectionControlTest, NoConnectionFindsNothingAndClearsTheHeldHandle) {
    control.ActiveConnection = FakeHandle(5);
    EXPECT_FALSE(control.IsEntryConnected("ADSL"));
    EXPECT_EQ(control.ActiveConnection.load(), nullptr);
    EXPECT_EQ(control.ConnectionCount, 0u);
}

TEST_F(ConnectionControlTest, EnumeratesWithTheOldRecordSizeAndElevenRecords) {
    for (int i = 0; i < 11; ++i) service.connections.push_back({"E" + std::to_string(i), FakeHandle(100 + i)});
    EXPECT_TRUE(control.IsEntryConnected("e10"));
    EXPECT_EQ(control.ActiveConnection.load(), FakeHandle(110));
    ASSERT_EQ(service.enumConnectionByteCounts.size(), 1u);
    EXPECT_EQ(service.enumConnectionByteCounts[0], 11 * sizeof(RASCONNA));
    EXPECT_EQ(control.ConnectionCount, 11u);
}

TEST_F(ConnectionControlTest, MoreThanElevenConnectionsAreEnumeratedAgainWithALargerTable) {
    for (int i = 0; i < 30; ++i) service.connections.push_back({"E" + std::to_string(i), FakeHandle(100 + i)});
    EXPECT_EQ(control.FindConnection("E29"), FakeHandle(129));
    ASSERT_EQ(service.enumConnectionByteCounts.size(), 2u);
    EXPECT_EQ(service.enumConnectionByteCounts[1], 30 * sizeof(RASCONNA));
    EXPECT_EQ(control.ConnectionCount, 30u);
}

TEST_F(ConnectionControlTest, AFailedEnumerationCountsAsNoConnection) {
    service.connections = {{"ADSL", FakeHandle(1)}};
    service.enumConnectionsFailure = 5;
    EXPECT_FALSE(control.IsEntryConnected("ADSL"));
    EXPECT_EQ(control.ConnectionCount, 0u);
}

TEST_F(ConnectionControlTest, DialingAConnectedEntryMakesNoDialAndHoldsItsHandle) {
    service.connections = {{"ADSL", FakeHandle(9)}};
    control.DialEntry("adsl", "user", "pass");
    EXPECT_TRUE(service.dials.empty());
    EXPECT_EQ(control.ActiveConnection.load(), FakeHandle(9));
}

TEST_F(ConnectionControlTest, DialPassesTheParametersByteForByte) {
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
    EXPECT_EQ(call.notifier, &DialCallback);
    EXPECT_EQ(call.handleCellOnEntry, nullptr);
    EXPECT_EQ(control.ActiveConnection.load(), service.nextDialHandle);
    EXPECT_TRUE(control.DialInProgress());
}

struct LengthCase {
    std::size_t account;
    std::size_t password;
    bool dials;
};

class CredentialLength : public ConnectionControlTest, public ::testing::WithParamInterface<LengthCase> {};

TEST_P(CredentialLength, TextsLongerThanTheirFieldsMakeNoDial) {
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

TEST_F(ConnectionControlTest, HangUpActiveHangsUpOnceAndClears) {
    control.HangUpActive();
    EXPECT_TRUE(service.hangUps.empty());
    control.ActiveConnection = FakeHandle(3);
    control.HangUpActive();
    control.HangUpActive();
    EXPECT_EQ(service.hangUps, std::vector<HRASCONN>{FakeHandle(3)});
    EXPECT_EQ(control.ActiveConnection.load(), nullptr);
}

TEST_F(ConnectionControlTest, ConnectedReportClearsTheOwedRedialAndEndsTheDial) {
    control.RedialPending = true;
    control.DialEntry("ADSL", "u", "p");
    Report(RASCS_Connected);
    EXPECT_FALSE(control.RedialPending.load());
    EXPECT_FALSE(control.DialInProgress());
    EXPECT_EQ(control.ActiveConnection.load(), service.nextDialHandle);
    EXPECT_TRUE(service.hangUps.empty());
}

TEST_F(ConnectionControlTest, ReportsWithoutADialOfOursTouchNothing) {
    control.RedialPending = true;
    control.ActiveConnection = FakeHandle(4);
    Report(RASCS_Disconnected, ERROR_NO_ANSWER);
    Report(5);
    Report(0);
    EXPECT_TRUE(service.hangUps.empty());
    EXPECT_TRUE(control.RedialPending.load());
    EXPECT_EQ(control.ActiveConnection.load(), FakeHandle(4));
}

TEST_F(ConnectionControlTest, IntermediateStatesOfOurDialChangeNothing) {
    control.RedialPending = true;
    control.DialEntry("ADSL", "u", "p");
    for (RASCONNSTATE state : {0, 1, 5, 14, 0x1000}) Report(state);
    EXPECT_TRUE(control.DialInProgress());
    EXPECT_TRUE(control.RedialPending.load());
    EXPECT_TRUE(service.hangUps.empty());
}

TEST_F(ConnectionControlTest, NoSecondDialWhileTheFirstHasNotReported) {
    control.RedialPending = true;
    control.DialEntry("ADSL", "u", "p");
    // The next tick looks the entry up: an unfinished dial is not listed.
    EXPECT_FALSE(control.IsEntryConnected("ADSL"));
    EXPECT_EQ(control.ActiveConnection.load(), nullptr);
    control.DialEntry("ADSL", "u", "p");
    EXPECT_EQ(service.dials.size(), 1u);

    // Its end hangs up its own handle, although the program no longer holds it.
    Report(RASCS_Disconnected, ERROR_AUTHENTICATION_FAILURE);
    EXPECT_EQ(service.hangUps, std::vector<HRASCONN>{service.nextDialHandle});
    EXPECT_TRUE(control.RedialPending.load());

    service.nextDialHandle = FakeHandle(0x2000);
    control.DialEntry("ADSL", "u", "p");
    EXPECT_EQ(service.dials.size(), 2u);
}

TEST_F(ConnectionControlTest, TheEndOfADialNeverHangsUpAnotherConnection) {
    control.DialEntry("ADSL", "u", "p");
    control.ActiveConnection = FakeHandle(77);  // found for another lookup meanwhile
    Report(RASCS_Disconnected, ERROR_NO_ANSWER);
    EXPECT_EQ(service.hangUps, std::vector<HRASCONN>{service.nextDialHandle});
    EXPECT_EQ(control.ActiveConnection.load(), FakeHandle(77));
}

TEST_F(ConnectionControlTest, AnErrorInAnyStateEndsTheDial) {
    control.DialEntry("ADSL", "u", "p");
    Report(5, ERROR_AUTHENTICATION_FAILURE);
    EXPECT_EQ(service.hangUps, std::vector<HRASCONN>{service.nextDialHandle});
    EXPECT_FALSE(control.DialInProgress());
    EXPECT_EQ(control.ActiveConnection.load(), nullptr);
}

TEST_F(ConnectionControlTest, AnEndReportedBeforeRasDialReturnsHangsUpThatDialsHandle) {
    control.RedialPending = true;
    service.duringDial = [this] { Report(RASCS_Disconnected, ERROR_NO_ANSWER); };
    control.DialEntry("ADSL", "u", "p");
    EXPECT_EQ(service.hangUps, std::vector<HRASCONN>{service.nextDialHandle});
    EXPECT_EQ(control.ActiveConnection.load(), nullptr);
    EXPECT_FALSE(control.DialInProgress());
    EXPECT_TRUE(control.RedialPending.load());
}

TEST_F(ConnectionControlTest, AConnectionReportedBeforeRasDialReturnsIsKept) {
    control.RedialPending = true;
    service.duringDial = [this] { Report(RASCS_Connected); };
    control.DialEntry("ADSL", "u", "p");
    EXPECT_TRUE(service.hangUps.empty());
    EXPECT_EQ(control.ActiveConnection.load(), service.nextDialHandle);
    EXPECT_FALSE(control.DialInProgress());
    EXPECT_FALSE(control.RedialPending.load());
}

TEST_F(ConnectionControlTest, AFailedRasDialWithAHandleIsHungUpAtOnce) {
    control.RedialPending = true;
    service.dialResult = ERROR_NO_ANSWER;
    control.DialEntry("ADSL", "u", "p");
    EXPECT_EQ(service.hangUps, std::vector<HRASCONN>{service.nextDialHandle});
    EXPECT_EQ(control.ActiveConnection.load(), nullptr);
    EXPECT_TRUE(control.RedialPending.load());
    EXPECT_FALSE(control.DialInProgress());

    control.DialEntry("ADSL", "u", "p");
    EXPECT_EQ(service.dials.size(), 2u);
}

TEST_F(ConnectionControlTest, AFailedRasDialWithoutAHandleHangsUpNothing) {
    service.dialResult = ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
    service.nextDialHandle = nullptr;
    control.DialEntry("ADSL", "u", "p");
    EXPECT_TRUE(service.hangUps.empty());
    EXPECT_FALSE(control.DialInProgress());
}

TEST_F(ConnectionControlTest, ADialThatReportsNothingFor120SecondsIsHungUpAsFailed) {
    control.RedialPending = true;
    control.DialEntry("ADSL", "u", "p");
    now += std::chrono::seconds(119);
    EXPECT_FALSE(control.IsEntryConnected("ADSL"));
    EXPECT_TRUE(service.hangUps.empty());
    now += std::chrono::seconds(1);
    EXPECT_FALSE(control.IsEntryConnected("ADSL"));
    EXPECT_EQ(service.hangUps, std::vector<HRASCONN>{service.nextDialHandle});
    EXPECT_TRUE(control.RedialPending.load());

    service.nextDialHandle = FakeHandle(0x3000);
    control.DialEntry("ADSL", "u", "p");
    EXPECT_EQ(service.dials.size(), 2u);
    // A late report of the abandoned dial does not touch the new one.
    Report(RASCS_Disconnected, ERROR_NO_ANSWER);
    EXPECT_EQ(service.hangUps.back(), FakeHandle(0x3000));
}

TEST_F(ConnectionControlTest, ALateReportOfADialAlreadyHungUpIsNotTakenForTheNextDial) {
    control.RedialPending = true;
    control.DialEntry("ADSL", "u", "p");
    service.connections = {{"ADSL", service.nextDialHandle}};
    ASSERT_TRUE(control.IsEntryConnected("ADSL"));
    control.HangUpActive();  // listed, but its report has not come yet

    // No new dial while that report may still be on its way...
    control.DialEntry("ADSL", "u", "p");
    EXPECT_EQ(service.dials.size(), 1u);
    // ...and when it comes, it ends the old dial and changes nothing else.
    Report(RASCS_Connected);
    EXPECT_TRUE(control.RedialPending.load());
    EXPECT_FALSE(control.DialInProgress());
    EXPECT_EQ(service.hangUps.size(), 1u);

    service.nextDialHandle = FakeHandle(0x4000);
    control.DialEntry("ADSL", "u", "p");
    ASSERT_EQ(service.dials.size(), 2u);
    Report(RASCS_Disconnected, ERROR_NO_ANSWER);  // the new dial's own end
    EXPECT_EQ(service.hangUps.back(), FakeHandle(0x4000));
}

TEST_F(ConnectionControlTest, ADialHungUpBeforeItsReportIsOverAfterTheLateReportWindow) {
    control.DialEntry("ADSL", "u", "p");
    service.connections = {{"ADSL", service.nextDialHandle}};
    ASSERT_TRUE(control.IsEntryConnected("ADSL"));
    control.HangUpActive();
    now += ConnectionControl::kLateReportWindow;
    service.nextDialHandle = FakeHandle(0x5000);
    control.DialEntry("ADSL", "u", "p");
    EXPECT_EQ(service.dials.size(), 2u);
    EXPECT_EQ(service.hangUps.size(), 1u);  // the old handle is not hung up twice
}

}  // namespace
}  // namespace ras
