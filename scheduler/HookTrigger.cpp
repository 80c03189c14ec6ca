#include "scheduler/HookTrigger.h"

#include <string>

namespace scheduler {

HookTrigger::HookTrigger(RedialCycle& cycle, HookLauncher& launcher)
    : cycle_(cycle),
      launcher_(launcher),
      cycleLink_(std::make_shared<RedialCycle*>(&cycle))
{
    cycle_.AddWatcher(this);
}

HookTrigger::~HookTrigger()
{
    cycle_.RemoveWatcher(this);
}

HookLauncher::Environment HookTrigger::EnvironmentOf(const CycleOutcome& outcome)
{
    return {
        {"VELMORA_EVENT", "connected"},
        {"VELMORA_ENTRY", outcome.entry},
        {"VELMORA_ADDRESS", outcome.address},
        {"VELMORA_PREVIOUS_ADDRESS", outcome.previousAddress},
        {"VELMORA_PUBLIC_ADDRESS", outcome.publicAddress},
        {"VELMORA_FRESH", outcome.fresh ? "1" : "0"},
    };
}

void HookTrigger::CycleEnded(const CycleOutcome& outcome)
{
    const std::string& command = cycle_.Options().onNewIp;
    // Only a cycle whose dial brought a connection: one found connected
    // after the pause brought nothing new.
    if (command.empty() || !outcome.connected || outcome.attempts == 0)
        return;
    std::weak_ptr<RedialCycle*> link = cycleLink_;
    launcher_.Run(command, EnvironmentOf(outcome), [link](const HookResult& result) {
        const std::shared_ptr<RedialCycle*> cycle = link.lock();
        if (!cycle)
            return;
        if (!result.started)
            (*cycle)->Note(EventKind::Hook, std::nullopt, "not started: " + result.error);
        else if (result.killed)
            (*cycle)->Note(EventKind::Hook, result.exitCode, "ended after " + std::to_string(kHookLimitSeconds) + " s");
        else
            (*cycle)->Note(EventKind::Hook, result.exitCode, "exit code " + std::to_string(result.exitCode));
    });
}

}  // namespace scheduler
