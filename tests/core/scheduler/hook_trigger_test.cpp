#include "scheduler/HookTrigger.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scheduler/Tick.h"
#include "tests/core/ras/ScriptedRasService.h"
#include "tests/core/scheduler/SchedulerFakes.h"

namespace scheduler {
namespace {

using ras::testing::FakeHandle;

struct RecordingLauncher : HookLauncher {
    struct RunCall {
        std::string command;
        Environment environment;
        Ended ended;
    };
    std::vector<RunCall> runs;
    void Run(const std::string& commandLine, Environment environment, Ended ended) override
    {
        runs.push_back({commandLine, std::move(environment), std::move(ended)});
    }
};

class HookTriggerTest : public ::testing::Test {
protected:
    HookTriggerTest()
        : control(service),
          cycle(control, parts.Clock(), parts.check, parts.log),
          trigger(cycle, launcher)
    {
        window.pause = 0;
        window.options.onNewIp = "C:\\hooks\\new ip.cmd";
        service.connections = {{"ADSL", FakeHandle(0x99)}};
        service.addresses[FakeHandle(0x99)] = "10.0.0.1";
        service.nextDialHandle = FakeHandle(0x1000);
    }
    void Tick()
    {
        pump.SleepSlice(1000);
        Timer1Timer(window, control, pump, lookup, cycle);
    }
    void RedialTo(const std::string& address)
    {
        const std::size_t dials = service.dials.size();
        for (int i = 0; i < 20 && service.dials.size() == dials; ++i)
            Tick();
        ASSERT_EQ(service.dials.size(), dials + 1);
        const ras::HRASCONN handle = service.nextDialHandle;
        service.nextDialHandle = FakeHandle(0x1001 + dials);
        service.connections.push_back({"ADSL", handle});
        service.addresses[handle] = address;
        service.Report(ras::RASCS_Connected);
        control.DeliverReports();
    }

    ras::testing::ScriptedRasService service;
    ras::ConnectionControl control;
    testing::CycleParts parts;
    RedialCycle cycle;
    RecordingLauncher launcher;
    HookTrigger trigger;
    testing::PlainWindow window;
    testing::FakePump pump;
    TextLookup lookup = [](const std::string&) { return std::string(); };
};

TEST_F(HookTriggerTest, EachCyclesFinalAddressStartsTheCommandWithItsEnvironment)
{
    window.options.newIp = 1;
    RedialTo("10.0.0.1");  // refused: the address before the re-dial
    EXPECT_TRUE(launcher.runs.empty());
    RedialTo("10.0.0.2");
    ASSERT_EQ(launcher.runs.size(), 1u);
    EXPECT_EQ(launcher.runs[0].command, "C:\\hooks\\new ip.cmd");
    EXPECT_EQ(launcher.runs[0].environment, (HookLauncher::Environment{{"VELMORA_EVENT", "connected"},
                                                                       {"VELMORA_ENTRY", "ADSL"},
                                                                       {"VELMORA_ADDRESS", "10.0.0.2"},
                                                                       {"VELMORA_PREVIOUS_ADDRESS", "10.0.0.1"},
                                                                       {"VELMORA_PUBLIC_ADDRESS", ""},
                                                                       {"VELMORA_FRESH", "1"}}));
}

TEST_F(HookTriggerTest, TheCommandsEndIsAnEvent)
{
    RedialTo("10.0.0.2");
    RedialTo("10.0.0.3");
    RedialTo("10.0.0.4");
    ASSERT_EQ(launcher.runs.size(), 3u);
    launcher.runs[0].ended(HookResult{true, true, false, 3, ""});
    EXPECT_EQ(cycle.Events().front().text, "exit code 3");
    EXPECT_EQ(cycle.Events().front().code, 3u);
    launcher.runs[1].ended(HookResult{true, true, true, 1, ""});
    EXPECT_EQ(cycle.Events().front().text, "ended after 30 s");
    launcher.runs[2].ended(HookResult{false, false, false, 0, "The system cannot find the file specified."});
    EXPECT_EQ(cycle.Events().front().text, "not started: The system cannot find the file specified.");
    EXPECT_STREQ(EventWord(cycle.Events().front().kind), "hook");
}

TEST_F(HookTriggerTest, NoCommandWithoutTheOptionOrWithoutADial)
{
    window.options.onNewIp = "";
    RedialTo("10.0.0.2");
    EXPECT_TRUE(launcher.runs.empty());
}

}  // namespace
}  // namespace scheduler
