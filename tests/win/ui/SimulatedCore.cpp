#include "SimulatedCore.h"

#include "lang/TeLanguage.h"
#include "ras/ConnectionControl.h"
#include "ras/sim/SimulatedRasService.h"
#include "scheduler/MessagePump.h"
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
          actions(service, connections, store, pump, language)
    {
    }
    ras::sim::SimulatedRasService service;
    ras::ConnectionControl connections;
    DirectoryFileStore store;
    CountingPump pump;
    lang::TeLanguage language;
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

ui::DialUpActions& SimulatedCore::Actions()
{
    return parts_->actions;
}
