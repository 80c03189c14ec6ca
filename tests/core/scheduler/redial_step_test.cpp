#include "scheduler/RedialStep.h"

#include <gtest/gtest.h>

#include <numeric>

#include "tests/core/ras/ScriptedRasService.h"
#include "tests/core/scheduler/SchedulerFakes.h"

namespace scheduler {
namespace {

using ras::testing::FakeHandle;
using testing::FakePump;
using testing::PlainWindow;

class RedialStepTest : public ::testing::Test {
protected:
    RedialStepTest() : control(service), cycle(control, parts.Clock(), parts.check, parts.log) {}
    void Step() { RedialStep(window, control, pump, cycle); }
    // A report of the last dial, delivered on this thread.
    void Report(ras::RASCONNSTATE state, ras::DWORD error)
    {
        service.Report(state, error);
        control.DeliverReports();
    }
    std::int64_t Waited() const { return std::accumulate(pump.slices.begin(), pump.slices.end(), std::int64_t{0}); }

    ras::testing::ScriptedRasService service;
    ras::ConnectionControl control;
    testing::CycleParts parts;
    RedialCycle cycle;
    PlainWindow window;
    FakePump pump;
};

TEST(PumpWait, RunsHundredMillisecondSlicesAndAlwaysAtLeastOne)
{
    const struct {
        std::int32_t ms;
        std::size_t slices;
    } cases[] = {{1000, 10}, {2000, 20}, {150, 2}, {100, 1}, {50, 1}, {0, 1}, {-5, 1}, {101, 2}};
    for (const auto& c : cases) {
        FakePump pump;
        PumpWait(pump, c.ms);
        EXPECT_EQ(pump.slices, std::vector<std::int32_t>(c.slices, 100)) << c.ms << " ms";
    }
}

TEST_F(RedialStepTest, SmallPeriodsOrABlankEntryOnlyCount)
{
    const struct {
        std::int32_t period;
        std::string entry;
    } cases[] = {{0, "ADSL"}, {1, "ADSL"}, {2, "ADSL"}, {3, ""}, {3, " \t\r\n"}, {100, std::string(1, '\0')}};
    for (const auto& c : cases) {
        window.period = c.period;
        window.entry = c.entry;
        window.elapsed = 0;
        control.RedialPending = true;
        service.connections = {{"ADSL", FakeHandle(1)}};
        for (int i = 1; i <= 150; ++i)
            Step();
        EXPECT_EQ(window.elapsed, 150) << c.period;
        EXPECT_TRUE(control.RedialPending);
    }
    EXPECT_TRUE(service.dials.empty());
    EXPECT_TRUE(service.hangUps.empty());
    EXPECT_TRUE(service.enumConnectionByteCounts.empty());
    EXPECT_TRUE(pump.slices.empty());
}

TEST_F(RedialStepTest, HangsUpOnTheStepThatTakesTheCountPastThePeriod)
{
    service.connections = {{"adsl", FakeHandle(8)}};
    for (int i = 1; i <= 3; ++i) {
        Step();
        EXPECT_EQ(window.elapsed, i);
    }
    EXPECT_TRUE(service.hangUps.empty());
    Step();
    EXPECT_EQ(service.hangUps, std::vector<ras::HRASCONN>{FakeHandle(8)});
    EXPECT_EQ(window.elapsed, 0);
    EXPECT_TRUE(control.RedialPending);
    EXPECT_EQ(pump.slices, std::vector<std::int32_t>(50, 100));
}

TEST_F(RedialStepTest, NothingConnectedAtHangUpTimeOwesARedialWithoutWaiting)
{
    window.elapsed = 3;
    Step();
    EXPECT_TRUE(service.hangUps.empty());
    EXPECT_TRUE(pump.slices.empty());
    EXPECT_EQ(window.elapsed, 0);
    EXPECT_TRUE(control.RedialPending);
}

TEST_F(RedialStepTest, ARedialWaitsThePauseThenDialsWithTheFieldsReadAfterIt)
{
    control.RedialPending = true;
    pump.At(2500, [&] {
        window.entry = "VPN";
        window.account = "new user";
        window.password = "new pass";
    });
    Step();
    EXPECT_EQ(pump.slices, std::vector<std::int32_t>(5, 1000));
    ASSERT_EQ(service.dials.size(), 1u);
    EXPECT_STREQ(service.dials[0].params.szEntryName, "VPN");
    EXPECT_STREQ(service.dials[0].params.szUserName, "new user");
    EXPECT_STREQ(service.dials[0].params.szPassword, "new pass");
    EXPECT_TRUE(control.RedialPending);
    EXPECT_EQ(window.elapsed, 1);
}

TEST_F(RedialStepTest, ARedialFindingTheEntryConnectedClearsTheDebt)
{
    control.RedialPending = true;
    service.connections = {{"ADSL", FakeHandle(2)}};
    Step();
    EXPECT_TRUE(service.dials.empty());
    EXPECT_FALSE(control.RedialPending);
    EXPECT_EQ(control.ActiveConnection, FakeHandle(2));
}

TEST_F(RedialStepTest, CredentialsTheCodePageCannotHoldMakeNoDialAndTheRedialStaysOwed)
{
    control.RedialPending = true;
    window.credentialsExact = false;
    Step();
    EXPECT_EQ(pump.slices, std::vector<std::int32_t>(5, 1000));  // the pause and the look-up still run
    EXPECT_EQ(service.enumConnectionByteCounts.size(), 1u);
    EXPECT_TRUE(service.dials.empty());
    EXPECT_TRUE(control.RedialPending);

    // Once the user has typed something the code page holds, the next step dials.
    pump.At(7500, [&] { window.credentialsExact = true; });
    Step();
    EXPECT_EQ(service.dials.size(), 1u);
}

TEST_F(RedialStepTest, APauseOfZeroOrLessDialsAtOnce)
{
    for (std::int32_t pause : {0, -4}) {
        window.pause = pause;
        control.RedialPending = true;
        control.ActiveConnection = nullptr;
        Step();
        EXPECT_TRUE(pump.slices.empty());
        ASSERT_EQ(service.dials.size(), 1u);
        Report(ras::RASCS_Disconnected, ras::ERROR_NO_ANSWER);  // end it for the next round
        service.dials.clear();
    }
}

TEST_F(RedialStepTest, AFlagClearedDuringThePauseStillLooksUpAndDials)
{
    control.RedialPending = true;
    pump.At(1000, [&] { control.RedialPending = false; });
    Step();
    EXPECT_EQ(service.dials.size(), 1u);
}

TEST_F(RedialStepTest, PeriodIsReadBeforeTheWaits)
{
    service.connections = {{"ADSL", FakeHandle(8)}};
    window.elapsed = 3;
    pump.At(1000, [&] { window.period = 1; });
    Step();
    EXPECT_EQ(window.elapsed, 0);
    EXPECT_EQ(Waited(), 5000);
}

TEST_F(RedialStepTest, AFailedDialIsRetriedAfterThePauseOnTheNextStep)
{
    service.dialResult = ras::SUCCESS;
    control.RedialPending = true;
    Step();
    Report(ras::RASCS_Disconnected, ras::ERROR_AUTHENTICATION_FAILURE);
    EXPECT_EQ(service.hangUps.size(), 1u);
    Step();
    EXPECT_EQ(service.dials.size(), 2u);
    EXPECT_EQ(pump.slices, std::vector<std::int32_t>(10, 1000));
}

TEST_F(RedialStepTest, LoweringThePeriodBelowTheCountHangsUpOnTheNextStep)
{
    window.period = 100;
    for (int i = 0; i < 10; ++i)
        Step();
    EXPECT_TRUE(service.enumConnectionByteCounts.empty());
    window.period = 5;
    Step();
    EXPECT_EQ(window.elapsed, 0);
    EXPECT_TRUE(control.RedialPending);
}

}  // namespace
}  // namespace scheduler
