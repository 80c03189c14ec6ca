#include "SimulatedCore.h"

#include "lang/TeLanguage.h"
#include "ras/ConnectionControl.h"
#include "ras/sim/SimulatedRasService.h"
#include "scheduler/EventLogFile.h"
#include "scheduler/MessagePump.h"
#include "scheduler/RedialCycle.h"
#include "settings/win/WinFileStore.h"
#include "ui/CoreDialUpActions.h"

namespace {

class DirectoryFileStore final : public settings::WinFileStore {
public:
    explicit DirectoryFileStore(std::string directory) : directory_(std::move(directory)) {}
    std::string SettingsPath() override { return directory_ + "\\dialup.ini"; }

private:
    std::string directory_;
};

// Checks of the public address are only recorded: window tests set no
// address to check.
class RecordingAddressCheck final : public scheduler::AddressCheck {
public:
    void Start(const std::string& url, Done) override { urls.push_back(url); }
    std::vector<std::string> urls;
};

// The clock of the computer, enough for window tests.
scheduler::LocalTime FixedMorning()
{
    return scheduler::LocalTime{2026, 12, 10, 10, 26, 37, 0};
}

class CountingPump final : public scheduler::MessagePump {
public:
    void SleepSlice(std::int32_t) override { ++slices; }
    int slices = 0;
};

}  // namespace

struct SimulatedCore::Parts {
    explicit Parts(const std::string& directory)
        : connections(service),
          store(directory),
          log(store),
          cycle(connections, FixedMorning, check, log),
          actions(service, connections, store, pump, language, cycle)
    {
    }
    ras::sim::SimulatedRasService service;
    ras::ConnectionControl connections;
    DirectoryFileStore store;
    CountingPump pump;
    lang::TeLanguage language;
    RecordingAddressCheck check;
    scheduler::EventLogFile log;
    scheduler::RedialCycle cycle;
    ui::CoreDialUpActions actions;
};

SimulatedCore::SimulatedCore(const std::string& directory) : parts_(std::make_unique<Parts>(directory)) {}
SimulatedCore::~SimulatedCore() = default;

void SimulatedCore::AddEntry(const std::string& name)
{
    parts_->service.AddEntry(name);
}

std::string SimulatedCore::SettingsPath() const
{
    return parts_->store.SettingsPath();
}

std::vector<std::string> SimulatedCore::DialledPasswords() const
{
    std::vector<std::string> passwords;
    for (const ras::sim::RasCallRecord& call : parts_->service.Calls())
        if (call.kind == ras::sim::RasCallKind::Dial && call.params)
            passwords.emplace_back(call.params->szPassword);
    return passwords;
}

ras::sim::SimulatedRasService& SimulatedCore::Service()
{
    return parts_->service;
}

ras::ConnectionControl& SimulatedCore::Connections()
{
    return parts_->connections;
}

ui::DialUpActions& SimulatedCore::Actions()
{
    return parts_->actions;
}
