// The window's actions bound to the program's subsystems: the phonebook
// entry list, the settings file, the tick and the Enable box.
#pragma once

#include "lang/TeLanguage.h"
#include "ras/ConnectionControl.h"
#include "ras/RasService.h"
#include "scheduler/MessagePump.h"
#include "scheduler/RedialCycle.h"
#include "settings/FileStore.h"
#include "ui/DialUpActions.h"

namespace ui {

class CoreDialUpActions final : public DialUpActions {
public:
    CoreDialUpActions(ras::RasService& service, ras::ConnectionControl& connections, settings::FileStore& store,
                      scheduler::MessagePump& pump, const lang::TeLanguage& language, scheduler::RedialCycle& cycle)
        : service_(service),
          connections_(connections),
          store_(store),
          pump_(pump),
          language_(language),
          cycle_(cycle)
    {
    }

    std::vector<std::string> EntryItems() override;
    settings::LoadOutcome LoadSettings(settings::SettingsView& view) override;
    void SaveSettings(const settings::SettingsView& view) override;
    void Timer1Timer(scheduler::RedialWindow& window) override;
    void CheckBox1Click(scheduler::RedialWindow& window) override;
    void LookUpConnection(scheduler::RedialWindow& window) override;
    scheduler::RedialStatus Status(scheduler::RedialWindow& window) override;
    std::vector<scheduler::RedialEvent> RecentEvents(std::size_t count) override;
    void SetEventListener(scheduler::EventListener* listener) override;

private:
    ras::RasService& service_;
    ras::ConnectionControl& connections_;
    settings::FileStore& store_;
    scheduler::MessagePump& pump_;
    const lang::TeLanguage& language_;
    scheduler::RedialCycle& cycle_;
};

}  // namespace ui
