// Connection control against the simulated service, whose own thread
// reports the dials' progress while this thread, as the program's window
// thread does, looks up, dials, hangs up and delivers the reports that have
// arrived. Run under ThreadSanitizer as well.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "ras/ConnectionControl.h"
#include "ras/sim/SimulatedRasService.h"

namespace ras {
namespace {

using namespace std::chrono_literals;
using sim::EntrySetup;
using sim::LinkStage;
using sim::RasCallKind;
using sim::RasCallRecord;

std::size_t CountCalls(const std::vector<RasCallRecord>& calls, RasCallKind kind)
{
    return static_cast<std::size_t>(
        std::count_if(calls.begin(), calls.end(), [kind](const RasCallRecord& c) { return c.kind == kind; }));
}

// Delivers reports, as the window's message loop would, until `done` holds
// or two seconds have passed.
template <typename Done>
bool DeliverUntil(ConnectionControl& control, Done done)
{
    for (int i = 0; i < 1000; ++i) {
        control.DeliverReports();
        if (done())
            return true;
        std::this_thread::sleep_for(2ms);
    }
    return false;
}

TEST(ConnectionControlThreads, EveryHandleADialHandsOutIsHungUpOrHeldAndDialsNeverOverlap)
{
    sim::SimulatedRasService service;
    service.AddEntry("Good");
    service.AddEntry("Flaky", EntrySetup::FailsLater(ERROR_AUTHENTICATION_FAILURE));
    EntrySetup early = EntrySetup::FailsLater(ERROR_NO_ANSWER);
    early.reportBeforeReturn = true;
    service.AddEntry("Early", early);
    service.AddEntry("Refused", EntrySetup::FailsAtCall(ERROR_NO_ANSWER));
    service.AddEntry("Halfway", EntrySetup::FailsAt(sim::RASCS_Authenticate, ERROR_AUTHENTICATION_FAILURE));
    service.SetProgressStates(sim::DefaultProgressStates());
    service.SetLateReportDelay(1ms);
    service.SetDialDelay(1ms);

    ConnectionControl control(service);
    std::atomic<int> wakes{0};
    control.SetReportWake([&wakes] { wakes.fetch_add(1); });

    const char* entries[] = {"Good", "Flaky", "Early", "Refused", "Halfway"};
    for (int round = 0; round < 250; ++round) {
        const std::string entry = entries[round % 5];
        control.RedialPending = true;
        control.DialEntry(entry, "user", "pass");
        if (round % 3 == 0)
            std::this_thread::sleep_for(2ms);
        if (round % 2 == 0)
            control.DeliverReports();
        if (control.IsEntryConnected(entry))
            control.HangUpActive();
        if (round % 5 == 0)
            control.HangUpActive();
    }
    // Let the last reports arrive, then drop whatever is still connected.
    ASSERT_TRUE(DeliverUntil(control, [&] { return !control.DialInProgress(); }));
    for (const char* entry : entries)
        if (control.IsEntryConnected(entry))
            control.HangUpActive();
    EXPECT_GT(wakes.load(), 0);

    for (const sim::SimConnection& link : service.Links())
        ADD_FAILURE() << "handle " << link.handle << " of " << link.entry << " left behind, stage "
                      << static_cast<int>(link.stage);
    for (const RasCallRecord& call : service.Calls()) {
        if (call.kind == RasCallKind::Dial) {
            EXPECT_NE(call.result, ERROR_DIAL_ALREADY_IN_PROGRESS);
        }
        if (call.kind == RasCallKind::HangUp) {
            EXPECT_EQ(call.result, SUCCESS) << "a handle hung up twice";
        }
    }
}

// A fake clock for the control; the service keeps real time.
struct FakeClock {
    std::chrono::steady_clock::time_point now{};
    ConnectionControl::Clock Function()
    {
        return [this] { return now; };
    }
};

TEST(ConnectionControlThreads, ALateReportAfterTheLimitIsNotTakenForTheNextDial)
{
    sim::SimulatedRasService service;
    service.AddEntry("Slow");
    service.SetDialDelay(30s);  // never reports within the test
    service.SetLateReportDelay(20ms);
    FakeClock clock;
    ConnectionControl control(service, clock.Function());

    control.RedialPending = true;
    control.DialEntry("Slow", "u", "p");
    const HRASCONN first = control.ActiveConnection;
    ASSERT_NE(first, nullptr);
    clock.now += ConnectionControl::kDialTimeout;
    EXPECT_FALSE(control.IsEntryConnected("Slow"));  // given up and hung up
    control.DialEntry("Slow", "u", "p");
    const HRASCONN second = control.ActiveConnection;
    ASSERT_NE(second, nullptr);
    ASSERT_NE(second, first);

    // The abandoned dial's outcome arrives after its hang-up.
    ASSERT_TRUE(service.WaitForCalls(
        [](const std::vector<RasCallRecord>& calls) {
            return std::any_of(calls.begin(), calls.end(), [](const RasCallRecord& c) { return c.afterHangUp; });
        },
        2s));
    control.DeliverReports();
    EXPECT_TRUE(control.DialInProgress());
    EXPECT_TRUE(control.RedialPending);
    EXPECT_EQ(control.ActiveConnection, second);
    const auto calls = service.Calls();
    EXPECT_EQ(CountCalls(calls, RasCallKind::HangUp), 1u);
    control.HangUpActive();
}

TEST(ConnectionControlThreads, AReportOfADialTheProgramFoundAndHungUpIsNobodysAfterwards)
{
    sim::SimulatedRasService service;
    service.AddEntry("Home");
    service.SetDialDelay(1ms);
    service.SetReportLag(10s);         // listed long before its report
    service.SetLateReportDelay(50ms);  // which then comes after the hang-up
    ConnectionControl control(service);

    control.RedialPending = true;
    control.DialEntry("Home", "u", "p");
    const HRASCONN first = control.ActiveConnection;
    ASSERT_TRUE(DeliverUntil(control, [&] { return control.IsEntryConnected("Home"); }));
    control.HangUpActive();
    control.DialEntry("Home", "u", "p");
    const HRASCONN second = control.ActiveConnection;
    ASSERT_NE(second, first);
    ASSERT_TRUE(service.WaitForCalls(
        [](const std::vector<RasCallRecord>& calls) {
            return std::any_of(calls.begin(), calls.end(),
                               [](const RasCallRecord& c) { return c.afterHangUp && c.state == RASCS_Connected; });
        },
        2s));
    control.DeliverReports();
    EXPECT_TRUE(control.RedialPending);  // the old dial's "connected" is not the new one's
    EXPECT_TRUE(control.DialInProgress());
    EXPECT_EQ(control.ActiveConnection, second);
    control.HangUpActive();
}

TEST(ConnectionControlThreads, AnErrorAtAnIntermediateStateEndsTheDial)
{
    sim::SimulatedRasService service;
    service.AddEntry("Home", EntrySetup::FailsAt(sim::RASCS_Authenticate, ERROR_AUTHENTICATION_FAILURE));
    service.SetProgressStates(sim::DefaultProgressStates());
    service.SetDialDelay(5ms);
    ConnectionControl control(service);

    control.RedialPending = true;
    control.DialEntry("Home", "u", "p");
    const HRASCONN handle = control.ActiveConnection;
    ASSERT_TRUE(DeliverUntil(control, [&] { return !control.DialInProgress(); }));
    EXPECT_TRUE(control.RedialPending);
    EXPECT_EQ(control.ActiveConnection, nullptr);
    EXPECT_TRUE(service.Links().empty()) << "the failed dial's handle is hung up";

    std::vector<std::pair<RASCONNSTATE, DWORD>> reports;
    HRASCONN hungUp = nullptr;
    for (const RasCallRecord& call : service.Calls()) {
        if (call.kind == RasCallKind::Report)
            reports.emplace_back(call.state, call.error);
        if (call.kind == RasCallKind::HangUp)
            hungUp = call.handle;
    }
    const std::vector<std::pair<RASCONNSTATE, DWORD>> expected = {
        {sim::RASCS_OpenPort, SUCCESS},
        {sim::RASCS_ConnectDevice, SUCCESS},
        {sim::RASCS_Authenticate, ERROR_AUTHENTICATION_FAILURE}};
    EXPECT_EQ(reports, expected);
    EXPECT_EQ(hungUp, handle);
}

TEST(ConnectionControlThreads, ReportsRacingTheProgramsEndTouchNothingFreed)
{
    sim::SimulatedRasService service;
    service.AddEntry("Home");
    service.SetProgressStates(sim::DefaultProgressStates());
    service.SetDialDelay(1ms);
    const std::size_t boundBefore = DialNotifierPool::Instance().BoundCount();

    constexpr int kRuns = 40;
    auto wakesAfterEnd = std::make_shared<std::atomic<int>>(0);
    for (int run = 0; run < kRuns; ++run) {
        auto control = std::make_unique<ConnectionControl>(service);
        auto ended = std::make_shared<std::atomic<bool>>(false);
        control->SetReportWake([ended, wakesAfterEnd] {
            if (ended->load())
                wakesAfterEnd->fetch_add(1);
        });
        control->DialEntry("Home", "u", "p");
        if (run % 2)
            std::this_thread::sleep_for(std::chrono::microseconds(200 * (run % 7)));
        // The program ends with its dial left to the service.
        control.reset();
        ended->store(true);
        // The next run's dial would meet 756 while this one is in progress.
        ASSERT_TRUE(service.WaitForCalls(
            [run](const std::vector<RasCallRecord>& calls) {
                return CountCalls(calls, RasCallKind::Report) >= static_cast<std::size_t>(5 * (run + 1));
            },
            2s));
        for (const sim::SimConnection& link : service.Links())
            service.HangUp(link.handle);
    }
    EXPECT_EQ(wakesAfterEnd->load(), 0);
    EXPECT_EQ(DialNotifierPool::Instance().BoundCount(), boundBefore);
}

// A listener that asks for the connection's address as soon as it has
// connected, hangs it up from inside the call, and asks for a failure's text.
class AskingListener final : public ConnectionEvents {
public:
    explicit AskingListener(ConnectionControl& control) : control_(control) {}

    void DialStarted(const std::string&) override {}
    void DialConnected(HRASCONN handle) override
    {
        addresses.push_back(control_.ConnectionAddress(handle));
        control_.HangUpActive();
    }
    void DialFailed(RASCONNSTATE state, DWORD error) override
    {
        failures.push_back(std::to_string(state) + " " + control_.ErrorText(error));
    }
    void DialGivenUp() override {}
    void HangingUp(HRASCONN handle) override { addressesAtHangUp.push_back(control_.ConnectionAddress(handle)); }

    std::vector<std::string> addresses;
    std::vector<std::string> addressesAtHangUp;
    std::vector<std::string> failures;

private:
    ConnectionControl& control_;
};

TEST(ConnectionControlThreads, AListenerReadsTheAddressAndTheErrorTextWhileTheServiceReports)
{
    sim::SimulatedRasService service;
    service.AddEntry("Home");
    service.AddEntry("Flaky", EntrySetup::FailsAt(sim::RASCS_Authenticate, ERROR_AUTHENTICATION_FAILURE));
    service.SetAddressSequence("Home", {"192.0.2.1", "192.0.2.2", "192.0.2.3"});
    service.SetProgressStates(sim::DefaultProgressStates());
    service.SetDialDelay(2ms);
    ConnectionControl control(service);
    AskingListener listener(control);
    control.SetEvents(&listener);

    for (int round = 0; round < 3; ++round) {
        control.RedialPending = true;
        control.DialEntry("Home", "u", "p");
        ASSERT_TRUE(DeliverUntil(control, [&] { return !control.DialInProgress(); }));
        control.DialEntry("Flaky", "u", "p");
        ASSERT_TRUE(DeliverUntil(control, [&] { return !control.DialInProgress(); }));
    }
    control.SetEvents(nullptr);

    EXPECT_EQ(listener.addresses, (std::vector<std::string>{"192.0.2.1", "192.0.2.2", "192.0.2.3"}));
    EXPECT_EQ(listener.addressesAtHangUp, listener.addresses) << "still connected when the hang-up is told";
    const std::string refused = "5 " + control.ErrorText(ERROR_AUTHENTICATION_FAILURE);
    EXPECT_EQ(listener.failures, (std::vector<std::string>{refused, refused, refused}));
    EXPECT_GT(refused.size(), 2u);
    EXPECT_TRUE(service.Links().empty());
}

}  // namespace
}  // namespace ras
