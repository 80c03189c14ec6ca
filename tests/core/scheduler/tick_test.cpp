#include "scheduler/Tick.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/core/ras/ScriptedRasService.h"
#include "tests/core/scheduler/SchedulerFakes.h"

namespace scheduler {
namespace {

using ras::testing::FakeHandle;
using testing::FakePump;
using testing::PlainWindow;

class TickTest : public ::testing::Test {
protected:
    TickTest() : control(service), cycle(control, parts.Clock(), parts.check, parts.log) {}
    // A report of the last dial, delivered on this thread.
    void Report(ras::RASCONNSTATE state, ras::DWORD error)
    {
        service.Report(state, error);
        control.DeliverReports();
    }

    // Timer1 on the fake clock: while it runs, a tick fires 1000 ms after the
    // previous one ended.
    struct TickRecord {
        std::int64_t start;
        std::int64_t length;
        std::string label;
    };
    void RunTicks(int count)
    {
        for (int i = 0; i < count && window.timerRunning; ++i) {
            pump.SleepSlice(1000);
            const std::int64_t start = pump.now;
            Timer1Timer(window, control, pump, lookup, cycle);
            ticks.push_back({start, pump.now - start, window.counter});
        }
    }
    void Untick()
    {
        window.ticked = false;
        CheckBox1Click(window, control, cycle);
    }
    void Tick()
    {
        window.ticked = true;
        CheckBox1Click(window, control, cycle);
    }

    ras::testing::ScriptedRasService service;
    ras::ConnectionControl control;
    testing::CycleParts parts;
    RedialCycle cycle;
    PlainWindow window;
    FakePump pump;
    TextLookup lookup = [](const std::string&) { return std::string(); };
    std::vector<TickRecord> ticks;
};

TEST_F(TickTest, TheEnableBoxResetsCountersAndDebtThenSavesAndShowsZero)
{
    window.elapsed = 7;
    window.tickCount = 40;
    control.RedialPending = true;
    Tick();
    EXPECT_TRUE(window.timerRunning);
    EXPECT_EQ(window.elapsed, 0);
    EXPECT_EQ(window.tickCount, 0);
    EXPECT_FALSE(control.RedialPending);
    EXPECT_EQ(window.saves, 1);
    EXPECT_EQ(window.counter, "0");
    Untick();
    EXPECT_FALSE(window.timerRunning);
    EXPECT_EQ(window.saves, 2);
}

TEST_F(TickTest, ACycleWithPeriodThreeAndPauseFive)
{
    service.connections = {{"ADSL", FakeHandle(1)}};
    service.duringDial = [&] { service.connections = {{"ADSL", service.nextDialHandle}}; };
    Tick();
    // The dial is reported established between ticks 5 and 6.
    RunTicks(5);
    Report(ras::RASCS_Connected, 0);
    RunTicks(3);

    const char* labels[] = {"1", "2", "3", "0", "1", "2", "3", "0"};
    const std::int64_t lengths[] = {0, 0, 0, 5000, 5000, 0, 0, 5000};
    ASSERT_EQ(ticks.size(), 8u);
    for (std::size_t i = 0; i < ticks.size(); ++i) {
        EXPECT_EQ(ticks[i].label, labels[i]) << "tick " << i + 1;
        EXPECT_EQ(ticks[i].length, lengths[i]) << "tick " << i + 1;
    }
    EXPECT_EQ(service.hangUps, (std::vector<ras::HRASCONN>{FakeHandle(1), service.nextDialHandle}));
    EXPECT_EQ(service.dials.size(), 1u);
    EXPECT_TRUE(control.RedialPending);  // owed again after the second hang-up
    EXPECT_TRUE(window.timerRunning);
}

TEST_F(TickTest, UntickingDuringTheHangUpWaitsStopsTheTicks)
{
    service.connections = {{"ADSL", FakeHandle(1)}};
    Tick();
    RunTicks(3);
    pump.At(pump.now + 1000 + 2500, [&] { Untick(); });
    RunTicks(10);
    ASSERT_EQ(ticks.size(), 4u);
    EXPECT_EQ(ticks[3].length, 5000);  // the waits complete
    EXPECT_EQ(ticks[3].label, "0");
    EXPECT_FALSE(window.timerRunning);
    EXPECT_TRUE(service.dials.empty());
}

TEST_F(TickTest, UntickingDuringThePauseStillDialsOnceThenStops)
{
    Tick();
    RunTicks(4);  // the fourth tick owes a re-dial: nothing was connected
    ASSERT_TRUE(control.RedialPending);
    pump.At(pump.now + 1000 + 2000, [&] { Untick(); });
    RunTicks(10);
    ASSERT_EQ(ticks.size(), 5u);
    EXPECT_EQ(service.dials.size(), 1u);
    EXPECT_EQ(window.counter, "0");
    EXPECT_FALSE(window.timerRunning);
    EXPECT_FALSE(control.RedialPending);
}

TEST_F(TickTest, AFailureInsideTheStepIsDroppedAndTheTickGoesOn)
{
    Tick();
    window.onEntryRead = [] { throw std::runtime_error("widget gone"); };
    RunTicks(2);
    ASSERT_EQ(ticks.size(), 2u);
    EXPECT_EQ(window.counter, "2");
    EXPECT_TRUE(window.timerRunning);
}

TEST_F(TickTest, TheCounterShowsTheTextTablesSuffix)
{
    lookup = [](const std::string& key) { return key == "Sec" ? std::string(" s") : std::string(); };
    Tick();
    RunTicks(1);
    EXPECT_EQ(window.counter, "1 s");
}

TEST_F(TickTest, TheHomePageOpensOnceOnTheSixtiethTickAfterTheBoxChanged)
{
    window.period = 0;
    Tick();
    RunTicks(59);
    EXPECT_EQ(window.homePages, 0);
    RunTicks(1);
    EXPECT_EQ(window.homePages, 1);
    RunTicks(100);
    EXPECT_EQ(window.homePages, 1);

    Untick();
    Tick();
    RunTicks(30);
    Untick();
    Tick();
    RunTicks(59);
    EXPECT_EQ(window.homePages, 1);
    RunTicks(1);
    EXPECT_EQ(window.homePages, 2);
}

TEST_F(TickTest, TheTimerStaysStoppedDuringATick)
{
    Tick();
    bool runningDuringWait = true;
    control.RedialPending = true;
    window.elapsed = 0;
    pump.At(pump.now + 1500, [&] { runningDuringWait = window.timerRunning; });
    // Owe a re-dial by hand so the first tick waits the pause.
    RunTicks(1);
    EXPECT_FALSE(runningDuringWait);
    EXPECT_TRUE(window.timerRunning);
}

}  // namespace
}  // namespace scheduler
