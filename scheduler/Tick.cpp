#include "scheduler/Tick.h"

#include "scheduler/RedialStep.h"

namespace scheduler {
namespace {

// Re-arms Timer1 from the Enable box when the tick ends, however it ends.
class TimerRearm {
public:
    explicit TimerRearm(RedialWindow& window) : window_(window) {}
    ~TimerRearm() { window_.SetTimerRunning(window_.EnabledTicked()); }
    TimerRearm(const TimerRearm&) = delete;
    TimerRearm& operator=(const TimerRearm&) = delete;

private:
    RedialWindow& window_;
};

// The tick drops whatever fails inside the lookup or the re-dial step: what
// was done before the failure stays done, and the next tick tries again.
// The lookup only watches, so its failure still lets the step run.
template <typename Work>
void DropFailures(Work work)
{
    try {
        work();
    } catch (...) {
    }
}

}  // namespace

void Timer1Timer(RedialWindow& window, ras::ConnectionControl& connections, MessagePump& pump, const TextLookup& lookup,
                 RedialCycle& cycle)
{
    window.SetTimerRunning(false);
    TimerRearm rearm(window);

    std::int32_t& ticks = window.TickCount();
    ticks = static_cast<std::int32_t>(static_cast<std::uint32_t>(ticks) + 1u);
    if (ticks == kHomePageTick)
        window.OpenHomePage();

    DropFailures([&] { cycle.LookUp(window); });
    DropFailures([&] { RedialStep(window, connections, pump, cycle); });

    window.SetCounterText(std::to_string(window.ElapsedSeconds()) + lookup(kCounterSuffixKey));
}

void CheckBox1Click(RedialWindow& window, ras::ConnectionControl& connections, RedialCycle& cycle)
{
    window.TickCount() = 0;
    window.ElapsedSeconds() = 0;
    window.SetTimerRunning(window.EnabledTicked());
    connections.RedialPending = false;
    window.SaveSettings();
    window.SetCounterText("0");
    cycle.EnableBoxClicked(window);
}

}  // namespace scheduler
