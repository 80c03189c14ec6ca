// The onnewip command: started after each re-dial cycle whose dials ended
// connected, with what the cycle brought in its environment:
//   VELMORA_EVENT=connected  VELMORA_ENTRY  VELMORA_ADDRESS
//   VELMORA_PREVIOUS_ADDRESS  VELMORA_PUBLIC_ADDRESS  VELMORA_FRESH=1|0
// Its end (exit code, killed, or not started) is an event of the cycle.
#pragma once

#include <memory>

#include "scheduler/HookLauncher.h"
#include "scheduler/RedialCycle.h"

namespace scheduler {

class HookTrigger final : public CycleWatcher {
public:
    // Watches the cycle until destroyed; both outlive it.
    HookTrigger(RedialCycle& cycle, HookLauncher& launcher);
    ~HookTrigger() override;
    HookTrigger(const HookTrigger&) = delete;
    HookTrigger& operator=(const HookTrigger&) = delete;

    // The environment the command gets for an outcome.
    static HookLauncher::Environment EnvironmentOf(const CycleOutcome& outcome);

    void CycleEnded(const CycleOutcome& outcome) override;

private:
    RedialCycle& cycle_;
    HookLauncher& launcher_;
    // A command that ends after the trigger is gone tells no one.
    std::shared_ptr<RedialCycle*> cycleLink_;
};

}  // namespace scheduler
