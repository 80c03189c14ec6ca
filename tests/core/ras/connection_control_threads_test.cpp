// Connection control against the simulated service, whose own thread
// reports the dials' progress while this thread looks up, dials and hangs
// up. Run under ThreadSanitizer as well.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "ras/ConnectionControl.h"
#include "ras/sim/SimulatedRasService.h"

namespace ras {
namespace {

using namespace std::chrono_literals;
using sim::EntrySetup;
using sim::LinkStage;
using sim::RasCallKind;

TEST(ConnectionControlThreads, EveryHandleADialHandsOutIsHungUpOrHeldAndDialsNeverOverlap)
{
    sim::SimulatedRasService service;
    service.AddEntry("Good");
    service.AddEntry("Flaky", EntrySetup::FailsLater(ERROR_AUTHENTICATION_FAILURE));
    EntrySetup early = EntrySetup::FailsLater(ERROR_NO_ANSWER);
    early.reportBeforeReturn = true;
    service.AddEntry("Early", early);
    service.AddEntry("Refused", EntrySetup::FailsAtCall(ERROR_NO_ANSWER));
    service.SetDialDelay(1ms);

    ConnectionControl control(service);
    SetDialCallbackTarget(&control);

    const char* entries[] = {"Good", "Flaky", "Early", "Refused"};
    for (int round = 0; round < 200; ++round) {
        const std::string entry = entries[round % 4];
        control.RedialPending = true;
        control.DialEntry(entry, "user", "pass");
        if (round % 3 == 0) std::this_thread::sleep_for(2ms);
        if (control.IsEntryConnected(entry)) control.HangUpActive();
        if (round % 5 == 0) control.HangUpActive();
    }
    // Let the last reports arrive, then drop whatever is still connected.
    for (int i = 0; i < 2500 && control.DialInProgress(); ++i) std::this_thread::sleep_for(2ms);
    ASSERT_FALSE(control.DialInProgress());
    for (const char* entry : entries)
        if (control.IsEntryConnected(entry)) control.HangUpActive();
    SetDialCallbackTarget(nullptr);

    for (const sim::SimConnection& link : service.Links())
        ADD_FAILURE() << "handle " << link.handle << " of " << link.entry << " left behind, stage "
                      << static_cast<int>(link.stage);
    for (const sim::RasCallRecord& call : service.Calls()) {
        if (call.kind == RasCallKind::Dial) {
            EXPECT_NE(call.result, ERROR_DIAL_ALREADY_IN_PROGRESS);
        }
        if (call.kind == RasCallKind::HangUp) {
            EXPECT_EQ(call.result, SUCCESS) << "a handle hung up twice";
        }
    }
}

}  // namespace
}  // namespace ras
