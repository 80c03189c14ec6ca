#include "app/ProgramCore.h"

#include "lang/LangUnit.h"
#include "ras/ConnectionControl.h"
#include "ras/win/RasApi32Service.h"
#include "settings/win/WinFileStore.h"
#include "ui/CoreDialUpActions.h"

namespace app {

struct ProgramCore::Parts {
    explicit Parts(scheduler::MessagePump& pump)
        : connections(service), actions(service, connections, store, pump, *lang::Language)
    {
    }

    ras::RasApi32Service service;
    ras::ConnectionControl connections;
    settings::WinFileStore store;
    ui::CoreDialUpActions actions;
};

ProgramCore::ProgramCore(scheduler::MessagePump& pump) : parts_(std::make_unique<Parts>(pump))
{
    ras::SetDialCallbackTarget(&parts_->connections);
}

ProgramCore::~ProgramCore()
{
    ras::SetDialCallbackTarget(nullptr);
}

ui::DialUpActions& ProgramCore::Actions()
{
    return parts_->actions;
}

}  // namespace app
