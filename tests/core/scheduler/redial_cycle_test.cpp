#include "scheduler/RedialCycle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "scheduler/Tick.h"
#include "tests/core/ras/ScriptedRasService.h"
#include "tests/core/scheduler/SchedulerFakes.h"

namespace scheduler {
namespace {

using ras::testing::FakeHandle;
using testing::CycleParts;
using testing::FakePump;
using testing::PlainWindow;

// Records what the listener is told.
struct RecordingListener : EventListener {
    std::vector<RedialEvent> events;
    int stateChanges = 0;
    void EventAdded(const RedialEvent& event) override { events.push_back(event); }
    void StateChanged() override { ++stateChanges; }
};

class RedialCycleTest : public ::testing::Test {
protected:
    RedialCycleTest() : control(service), cycle(control, parts.Clock(), parts.check, parts.log)
    {
        window.period = 3;
        window.pause = 0;
        cycle.SetListener(&listener);
        // Each dial hands out a handle of its own.
        service.duringDial = [this] {
            dialHandles.push_back(service.nextDialHandle);
            service.nextDialHandle = FakeHandle(0x1000 + dialHandles.size());
        };
    }

    // One tick of Timer1, a second after the last.
    void Tick()
    {
        pump.SleepSlice(1000);
        parts.clock.ms = pump.now;
        Timer1Timer(window, control, pump, lookup, cycle);
    }
    // Ticks until a dial has been made (at most `limit` ticks).
    void TickUntilDial(std::size_t dials, int limit = 20)
    {
        for (int i = 0; i < limit && service.dials.size() < dials; ++i)
            Tick();
        ASSERT_EQ(service.dials.size(), dials);
    }
    // The last dial connects with `address`.
    void Connect(const std::string& address)
    {
        const ras::HRASCONN handle = dialHandles.back();
        service.connections.push_back({window.entry, handle});
        service.addresses[handle] = address;
        service.Report(ras::RASCS_Connected);
        control.DeliverReports();
    }
    void Fail(ras::DWORD error)
    {
        service.Report(ras::RASCS_Disconnected, error);
        control.DeliverReports();
    }
    // A connection that exists before the first tick.
    void ConnectedBefore(const std::string& address)
    {
        service.connections.push_back({window.entry, FakeHandle(0x99)});
        service.addresses[FakeHandle(0x99)] = address;
    }
    std::vector<std::string> Words() const
    {
        std::vector<std::string> words;
        for (auto it = cycle.Events().rbegin(); it != cycle.Events().rend(); ++it)
            words.push_back(EventWord(it->kind));
        return words;
    }
    const RedialEvent* Last(EventKind kind) const
    {
        for (const RedialEvent& event : cycle.Events()) {
            if (event.kind == kind)
                return &event;
        }
        return nullptr;
    }
    RedialState State() { return cycle.Status(window).state; }

    ras::testing::ScriptedRasService service;
    ras::ConnectionControl control;
    CycleParts parts;
    RedialCycle cycle;
    RecordingListener listener;
    PlainWindow window;
    FakePump pump;
    TextLookup lookup = [](const std::string&) { return std::string(); };
    std::vector<ras::HRASCONN> dialHandles;
};

TEST_F(RedialCycleTest, WithTheOptionsOffAPeriodicRedialIsRecordedAndNothingMoreHappens)
{
    ConnectedBefore("10.0.0.1");
    Tick();
    EXPECT_EQ(State(), RedialState::Connected);
    EXPECT_EQ(cycle.Status(window).address, "10.0.0.1");
    EXPECT_TRUE(cycle.Events().empty());

    // Sampled while the step waits after the hang-up.
    std::vector<RedialState> duringWaits;
    pump.At(pump.now + 5000, [&] { duringWaits.push_back(State()); });
    TickUntilDial(1);
    EXPECT_EQ(duringWaits, std::vector<RedialState>{RedialState::HangingUp});
    EXPECT_EQ(State(), RedialState::Dialling);
    Connect("10.0.0.2");

    EXPECT_EQ(Words(), (std::vector<std::string>{"hangup", "dial", "connected"}));
    EXPECT_EQ(Last(EventKind::HangUp)->address, "10.0.0.1");
    EXPECT_EQ(Last(EventKind::Connected)->address, "10.0.0.2");
    EXPECT_TRUE(Last(EventKind::Connected)->fresh);
    EXPECT_EQ(Last(EventKind::Connected)->entry, "ADSL");
    const RedialStatus status = cycle.Status(window);
    EXPECT_EQ(status.state, RedialState::Connected);
    EXPECT_EQ(status.address, "10.0.0.2");
    EXPECT_EQ(status.redials, 1u);
    EXPECT_EQ(status.distinctAddresses, 2u);
    EXPECT_EQ(service.hangUps, std::vector<ras::HRASCONN>{FakeHandle(0x99)});
    EXPECT_FALSE(control.RedialPending);
    EXPECT_EQ(listener.events.size(), 3u);
    // Nothing was written: the log is off.
    EXPECT_EQ(parts.store.appendCalls, 0);
}

TEST_F(RedialCycleTest, NewIpHangsUpAnAddressThatIsNotFreshAtMostNTimes)
{
    const struct {
        int newIp;
        std::vector<std::string> addresses;  // what each dial of the re-dial brings
        std::vector<std::string> tail;       // the events after the first hang-up
    } cases[] = {
        {0, {"10.0.0.1"}, {"dial", "connected"}},
        {2, {"10.0.0.2"}, {"dial", "connected"}},
        {2,
         {"10.0.0.1", "10.0.0.1", "10.0.0.3"},
         {"dial", "connected", "same-address", "hangup", "dial", "connected", "same-address", "hangup", "dial",
          "connected"}},
        {1,
         {"10.0.0.1", "10.0.0.1"},
         {"dial", "connected", "same-address", "hangup", "dial", "connected", "same-address"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.newIp);
        service.connections.clear();
        service.dials.clear();
        service.hangUps.clear();
        dialHandles.clear();
        window.options.newIp = c.newIp;
        ras::ConnectionControl control2(service);
        CycleParts parts2;
        RedialCycle cycle2(control2, parts2.Clock(), parts2.check, parts2.log);
        ConnectedBefore("10.0.0.1");
        auto tick = [&] {
            pump.SleepSlice(1000);
            parts2.clock.ms = pump.now;
            Timer1Timer(window, control2, pump, lookup, cycle2);
        };
        std::size_t dials = 0;
        for (const std::string& address : c.addresses) {
            ++dials;
            for (int i = 0; i < 20 && service.dials.size() < dials; ++i)
                tick();
            ASSERT_EQ(service.dials.size(), dials);
            service.connections.push_back({window.entry, dialHandles.back()});
            service.addresses[dialHandles.back()] = address;
            service.Report(ras::RASCS_Connected);
            control2.DeliverReports();
        }
        // Two ticks later no further dial has come.
        for (int i = 0; i < 2; ++i)
            tick();
        EXPECT_EQ(service.dials.size(), c.addresses.size());
        EXPECT_FALSE(control2.RedialPending);
        // After a search, counting starts over once it has ended.
        if (std::count(c.tail.begin(), c.tail.end(), std::string("same-address")) > 0) {
            EXPECT_LE(window.elapsed, 2);
        }

        std::vector<std::string> words;
        for (auto it = cycle2.Events().rbegin(); it != cycle2.Events().rend(); ++it)
            words.push_back(EventWord(it->kind));
        ASSERT_FALSE(words.empty());
        EXPECT_EQ(words.front(), "hangup");
        EXPECT_EQ(std::vector<std::string>(words.begin() + 1, words.end()), c.tail);
        // Each refused connection was hung up at once, on its outcome.
        EXPECT_EQ(service.hangUps.size(), 1 + std::count(c.tail.begin(), c.tail.end(), std::string("hangup")));
        if (c.newIp == 1) {
            EXPECT_EQ(cycle2.Events().front().text, "accepted after 1 tries");
        }
        service.connections.clear();
    }
}

TEST_F(RedialCycleTest, TheSettleWaitsAndThePauseComeBetweenARefusalAndTheNextDial)
{
    window.options.newIp = 1;
    window.pause = 2;
    ConnectedBefore("10.0.0.1");
    TickUntilDial(1);
    Connect("10.0.0.1");
    pump.slices.clear();
    TickUntilDial(2);
    std::int64_t waited = 0;
    for (std::int32_t ms : pump.slices)
        waited += ms;
    // Two ticks: the waits after the hang-up (5 s), then the pause (2 s).
    EXPECT_EQ(waited, 2 * 1000 + 5000 + 2000);
    EXPECT_TRUE(control.RedialPending);
}

TEST_F(RedialCycleTest, NewIpHoursAlsoRefusesTheAddressesOfTheLastHours)
{
    window.options.newIp = 3;
    ConnectedBefore("10.0.0.1");
    TickUntilDial(1);
    Connect("10.0.0.2");  // fresh: differs from 10.0.0.1
    for (const auto& c : {std::pair{1, true}, std::pair{3, false}}) {
        SCOPED_TRACE(c.first);
        window.options.newIpHours = c.first;
        // Two hours later the next re-dial brings 10.0.0.1 again.
        pump.now += 2 * 3600 * 1000;
        TickUntilDial(service.dials.size() + 1);
        Connect("10.0.0.1");
        EXPECT_EQ(Last(EventKind::Connected)->fresh, c.second);
        if (!c.second) {
            TickUntilDial(service.dials.size() + 1);
            Connect("10.0.0.9");
            EXPECT_TRUE(Last(EventKind::Connected)->fresh);
        }
    }
}

TEST_F(RedialCycleTest, NewIpHoursReadsTheAddressesOfEarlierRunsFromTheLog)
{
    // 10.0.0.7 came an hour before this run began.
    parts.store.files["C:\\Velmora\\dialup.log.1"] = "2026-12-10 09:00:00.000\tconnected\tADSL\t10.0.0.7\t\t\t\r\n";
    parts.store.files["C:\\Velmora\\dialup.log"] = "garbage line\r\n2026-12-10 09:30:00.000\tdial\tADSL\t\t\t\t\r\n";
    window.options.newIp = 1;
    window.options.newIpHours = 2;
    window.options.log = true;
    ConnectedBefore("10.0.0.1");
    TickUntilDial(1);
    Connect("10.0.0.7");
    EXPECT_FALSE(Last(EventKind::Connected)->fresh);
    EXPECT_EQ(Last(EventKind::SameAddress)->text, "try 1 of 1");
}

TEST_F(RedialCycleTest, AuthStopStopsDiallingUntilTheCredentialsChangeOrTheBoxIsClicked)
{
    window.options.authStop = 2;
    window.period = 1000;
    control.RedialPending = true;
    const struct {
        ras::DWORD error;
        bool stops;
    } failures[] = {{691, false}, {678, false}, {649, false}, {691, true}};
    for (const auto& f : failures) {
        TickUntilDial(service.dials.size() + 1);
        Fail(f.error);
        EXPECT_EQ(State() == RedialState::AuthStopped, f.stops) << f.error;
    }
    EXPECT_STREQ(EventWord(cycle.Events().front().kind), "auth-stop");
    for (int i = 0; i < 10; ++i)
        Tick();
    EXPECT_EQ(service.dials.size(), 4u);
    EXPECT_TRUE(control.RedialPending);

    window.password = "corrected";
    TickUntilDial(5);
    Fail(691);
    Fail(691);
    TickUntilDial(6);
    Fail(691);
    EXPECT_EQ(State(), RedialState::AuthStopped);

    window.ticked = false;
    CheckBox1Click(window, control, cycle);
    window.ticked = true;
    CheckBox1Click(window, control, cycle);
    control.RedialPending = true;
    EXPECT_NE(State(), RedialState::AuthStopped);
    TickUntilDial(7);
}

TEST_F(RedialCycleTest, ALostConnectionIsAnEventAndWithRedialOnDropIsDialledAgainAtOnce)
{
    for (bool redialOnDrop : {false, true}) {
        SCOPED_TRACE(redialOnDrop);
        window.options.redialOnDrop = redialOnDrop;
        window.period = 1000;
        window.elapsed = 0;
        service.connections.clear();
        ConnectedBefore("10.0.0.1");
        Tick();
        const std::size_t dialsBefore = service.dials.size();
        service.connections.clear();  // the line drops
        Tick();
        ASSERT_NE(Last(EventKind::Dropped), nullptr);
        EXPECT_EQ(Last(EventKind::Dropped)->address, "10.0.0.1");
        Tick();
        EXPECT_EQ(service.dials.size(), dialsBefore + (redialOnDrop ? 1 : 0));
        if (redialOnDrop)
            Connect("10.0.0.4");
    }
}

TEST_F(RedialCycleTest, ThePublicAddressDecidesFreshnessWhenItIsChecked)
{
    window.options.newIp = 1;
    window.options.ipCheckUrl = "http://ip.example/";
    ConnectedBefore("100.64.0.1");
    Tick();
    ASSERT_EQ(parts.check.started.size(), 1u);
    parts.check.Answer("<p>Your address: 203.0.113.7</p>");
    EXPECT_EQ(cycle.Status(window).publicAddress, "203.0.113.7");

    TickUntilDial(1);
    Connect("100.64.0.2");  // a new private address...
    EXPECT_EQ(Last(EventKind::Connected), nullptr) << "the outcome waits for the check";
    EXPECT_EQ(parts.check.started.back().url, "http://ip.example/");
    parts.check.Answer("203.0.113.7\n");  // ...behind the same public one
    ASSERT_NE(Last(EventKind::Connected), nullptr);
    EXPECT_FALSE(Last(EventKind::Connected)->fresh);
    EXPECT_EQ(Last(EventKind::Connected)->publicAddress, "203.0.113.7");
    EXPECT_NE(Last(EventKind::SameAddress), nullptr);

    // A failed check is an event; the connection's own address decides.
    TickUntilDial(2);
    Connect("100.64.0.3");
    parts.check.Answer("", false, "timeout");
    EXPECT_EQ(Last(EventKind::IpCheck)->text, "timeout");
    EXPECT_TRUE(Last(EventKind::Connected)->fresh);
}

TEST_F(RedialCycleTest, AnAnswerForAConnectionThatIsGoneChangesNothing)
{
    window.options.ipCheckUrl = "http://ip.example/";
    ConnectedBefore("10.0.0.1");
    Tick();
    service.connections.clear();
    Tick();  // dropped
    const std::size_t events = cycle.Events().size();
    parts.check.Answer("203.0.113.7");
    EXPECT_EQ(cycle.Events().size(), events);
    EXPECT_EQ(cycle.Status(window).publicAddress, "");
}

TEST_F(RedialCycleTest, TheLogGetsOneLineAnEventAndNeverThePassword)
{
    window.options.log = true;
    window.password = "s3cret-pw";
    ConnectedBefore("10.0.0.1");
    TickUntilDial(1);
    Fail(691);
    const std::string log = parts.LogBytes();
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 3);
    EXPECT_NE(log.find("\thangup\tADSL\t10.0.0.1\t\t\t\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("\tfailed\tADSL\t\t\t691\t"), std::string::npos) << log;
    EXPECT_EQ(log.find("s3cret-pw"), std::string::npos);
}

TEST_F(RedialCycleTest, TheLast500EventsAreKeptNewestFirst)
{
    window.period = 1000;
    control.RedialPending = true;
    for (int i = 0; i < 300; ++i) {
        TickUntilDial(service.dials.size() + 1);
        Fail(678);
    }
    ASSERT_EQ(cycle.Events().size(), RedialCycle::kKeptEvents);
    EXPECT_EQ(cycle.Events().front().sequence, 600u);
    EXPECT_EQ(cycle.Events().back().sequence, 101u);
    EXPECT_EQ(cycle.Status(window).failures, 300u);
    EXPECT_EQ(cycle.Status(window).lastCode, 678u);
}

TEST_F(RedialCycleTest, TheStateFollowsTheBoxThePeriodAndTheDial)
{
    EXPECT_EQ(State(), RedialState::Counting);
    window.ticked = false;
    EXPECT_EQ(State(), RedialState::Stopped);
    window.ticked = true;
    window.period = 2;
    EXPECT_EQ(State(), RedialState::Inactive);
    window.period = 3;
    window.entry = "";
    EXPECT_EQ(State(), RedialState::Inactive);
    window.entry = "ADSL";
    control.RedialPending = true;
    window.pause = 3;
    std::vector<std::int32_t> left;
    for (int at : {1500, 2500, 3500})
        pump.At(at, [&] {
            const RedialStatus status = cycle.Status(window);
            EXPECT_EQ(status.state, RedialState::Pausing);
            left.push_back(status.waitLeft);
        });
    Tick();
    EXPECT_EQ(left, (std::vector<std::int32_t>{3, 2, 1}));
    EXPECT_EQ(State(), RedialState::Dialling);
    Fail(678);
    EXPECT_EQ(State(), RedialState::Failed);
}

}  // namespace
}  // namespace scheduler
