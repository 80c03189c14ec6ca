// A soak of the re-dial cycle: the portable core against the simulated
// service with no delays, 10,000 dials with a mix of fresh addresses, the
// same address again and failures, newip=2 and newiphours=1. Prints the
// handles still open, the events kept and the growth of resident memory;
// asserts nothing.
//   redial_soak [DIALS]   (default 10000)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>

#include "ras/ConnectionControl.h"
#include "ras/sim/SimulatedRasService.h"
#include "scheduler/Tick.h"
#include "tests/core/scheduler/SchedulerFakes.h"

namespace {

// Resident memory in KiB, from /proc/self/statm.
long ResidentKiB()
{
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    if (!statm)
        return -1;
    long pages = 0;
    long resident = 0;
    const int read = std::fscanf(statm, "%ld %ld", &pages, &resident);
    std::fclose(statm);
    return read == 2 ? resident * 4 : -1;
}

// Advances a virtual clock and keeps nothing (the tests' pump records every
// slice, which would grow with the run).
struct VirtualPump : scheduler::MessagePump {
    void SleepSlice(std::int32_t ms) override { now += ms > 0 ? ms : 0; }
    std::int64_t now = 0;
};

}  // namespace

int main(int argc, char** argv)
{
    const long wanted = argc > 1 ? std::atol(argv[1]) : 10000;
    using namespace scheduler;

    ras::sim::SimulatedRasService service;
    service.AddEntry("ADSL");
    service.SetDialDelay(std::chrono::milliseconds(0));
    service.ConnectEntry("ADSL");
    ras::ConnectionControl control(service);
    testing::CycleParts parts;
    RedialCycle cycle(control, parts.Clock(), parts.check, parts.log);
    testing::PlainWindow window;
    window.period = 3;
    window.pause = 0;
    window.options.newIp = 2;
    window.options.newIpHours = 1;
    VirtualPump pump;
    const TextLookup lookup = [](const std::string&) { return std::string(); };

    std::mt19937 random(7);
    long baseline = -1;
    std::uint64_t dials = 0;
    const auto start = std::chrono::steady_clock::now();
    while (dials < static_cast<std::uint64_t>(wanted)) {
        pump.SleepSlice(1000);
        parts.clock.ms = pump.now;
        Timer1Timer(window, control, pump, lookup, cycle);
        if (cycle.Status(window).redials == dials)
            continue;
        dials = cycle.Status(window).redials;
        // The dial's outcome, from the service's thread.
        while (control.DialInProgress()) {
            std::this_thread::sleep_for(std::chrono::microseconds(50));
            control.DeliverReports();
        }
        // What the next dial brings.
        const unsigned roll = random() % 100;
        if (roll < 20)
            service.SetEntrySetup("ADSL", ras::sim::EntrySetup::FailsLater(678));
        else
            service.SetEntrySetup("ADSL", ras::sim::EntrySetup::Connects());
        if (roll >= 20 && roll < 45 && !cycle.Status(window).address.empty())
            service.SetAddressSequence("ADSL", {cycle.Status(window).address});
        service.ClearCalls();
        if (dials == 500)
            baseline = ResidentKiB();
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const long end = ResidentKiB();

    const RedialStatus status = cycle.Status(window);
    std::printf("dials: %llu in %.1f s (%llu failed), distinct addresses %llu\n",
                static_cast<unsigned long long>(status.redials), seconds,
                static_cast<unsigned long long>(status.failures),
                static_cast<unsigned long long>(status.distinctAddresses));
    std::printf("handles still open: %zu (the live connection counts one)\n", service.Links().size());
    std::printf("events kept: %zu (at most %zu)\n", cycle.Events().size(), RedialCycle::kKeptEvents);
    std::printf("resident memory: %ld KiB after 500 dials, %ld KiB at the end: growth %ld KiB\n", baseline, end,
                end - baseline);
    return 0;
}
